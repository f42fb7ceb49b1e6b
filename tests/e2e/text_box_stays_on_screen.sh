#!/usr/bin/env bash
# A new text box never leaves its screen: opened near the right edge, a long
# typed line widens it to the right until its right edge meets the screen's
# edge, then to the left; once it spans the screen it stops and the text is
# fitted into it, so the committed text stays whole on the screen.
#   text_box_stays_on_screen.sh <overink>
# OVERINK_E2E_OUTPUT: where the screenshots are kept.
set -u
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
overink=$1
e2e_begin text_box_stays_on_screen
text_red_in() { colour_count "$out/$1.png" "$2" "$3" "$4" "$5" 'r > 200 && g < 130 && b < 120'; }
accent_in() { colour_count "$out/$1.png" "$2" "$3" "$4" "$5" 'b > 150 && r < 120'; }

start_overink
pid=${pids[0]}
show_toolbar $pid
# The text slot is the ninth item of the horizontal toolbar.
click_at $((TX + 321)) $((TY + TH / 2))

# A box 70 high whose top is 35 above the click, 150 points from the right
# edge of the 1920-wide screen.
click_at 1770 500
wait_until 5 eval 'shot 1-box; [ "$(accent_in 1-box 120 80 1700 460)" -ge 40 ]' || fail "the click opened no box"
xdotool type --delay 15 "Hello there"
# At the edge it grows to the left: its right edge stays on the screen's.
grown_left() {
  shot 2-left
  [ "$(accent_in 2-left 12 6 1908 462)" -ge 3 ] && [ "$(text_red_in 2-left 600 70 1320 465)" -ge 300 ]
}
wait_until 5 grown_left || fail "the box did not widen to the left from the screen's edge"

line="The quick brown fox jumps over the lazy dog, and then over the lazy dog again, and once more over the lazy dog"
xdotool type --delay 15 "$line"
# Spanning the screen: its left edge on the screen's left edge, its text
# inside it (nothing red in the outer 6 pixels on either side), once the
# program has taken every key in: its text, fitted anew with each, stays
# the same over three shots (but the caret, blinking at its right end).
spanning() {
  wait_steady 10 3 eval 'shot 3-spanning; text_red_in 3-spanning 1860 70 20 465' >/dev/null &&
    [ "$(accent_in 3-spanning 12 6 0 462)" -ge 3 ] && [ "$(accent_in 3-spanning 12 6 1908 462)" -ge 3 ] &&
    [ "$(text_red_in 3-spanning 6 70 0 465)" -eq 0 ] && [ "$(text_red_in 3-spanning 6 70 1914 465)" -eq 0 ] &&
    [ "$(text_red_in 3-spanning 1900 70 10 465)" -ge 2000 ]
}
wait_until 10 spanning || fail "the box does not span the screen with its text inside it"

# Committed, the text stays whole where it was typed.
typed=$(text_red_in 3-spanning 1900 70 10 465)
click_at 900 900
committed() {
  shot 4-committed
  [ "$(accent_in 4-committed 1920 90 0 455)" -eq 0 ] &&
    [ "$(text_red_in 4-committed 1900 70 10 465)" -ge $((typed * 9 / 10)) ] &&
    [ "$(text_red_in 4-committed 6 70 1914 465)" -eq 0 ]
}
wait_until 5 committed || fail "the committed text is not the whole typed line"
echo "ok: screenshots in $out"
