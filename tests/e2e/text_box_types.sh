#!/usr/bin/env bash
# The text tool end to end: the toolbar's text slot selects it; a click on
# the overlay opens a text box that takes the keyboard; "Hello" typed with
# xdotool shows in the box; a click elsewhere commits it, and the text stays
# on screen where it was typed. A right-button drag opens a box of the
# dragged rectangle, its handle turns it, and Esc commits it. Shot in the
# light and the dark palette.
#   text_box_types.sh <overink>
# OVERINK_E2E_OUTPUT: where the screenshots are kept.
set -u
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
overink=$1
e2e_begin text_box_types
# Red pixels of typed text (the default colour, antialiased more than a
# stroke) in a rectangle of a shot: NAME W H X Y.
text_red_in() { colour_count "$out/$1.png" "$2" "$3" "$4" "$5" 'r > 200 && g < 130 && b < 120'; }
type_text() { xdotool type --delay 60 "$1"; }

# The box's accent (the palette's highlight, blue) in a rectangle: NAME W H X Y.
accent_in() { colour_count "$out/$1.png" "$2" "$3" "$4" "$5" 'b > 150 && r < 120'; }
# The text slot ("Aa") is the ninth item of the horizontal toolbar.
text_slot() { echo $((TX + 321)) $((TY + TH / 2)); }

start_overink
first=${pids[0]}
show_toolbar "$first"
click_at $(text_slot)

# A click opens a box 70 high, its top 35 above the click; the box takes the
# keyboard: "Hello" shows in it.
click_at 600 500
wait_until 5 eval 'shot 1-box; [ "$(accent_in 1-box 200 80 500 460)" -ge 40 ]' || fail "the click opened no box"
type_text Hello
# The box widens with its text as the program takes the keys in: once its
# right edge (the accent's rightmost column) stays put over three shots,
# the whole word is drawn. (Its blinking caret would make the ink itself
# flicker.)
box_right() {
  convert "$out/$1.png" -crop 620x90+480+455 +repage txt:- |
    awk 'NR > 1 { split($1, p, /[,:]/); split($2, c, /[(),]/); if (c[4] > 150 && c[2] < 120 && p[1] + 0 > m) m = p[1] + 0 } END { print m + 0 }'
}
hello_typed() {
  wait_steady 5 3 eval 'shot 2-typed; box_right 2-typed' >/dev/null && [ "$(text_red_in 2-typed 260 70 560 465)" -ge 400 ]
}
wait_until 5 hello_typed || fail "the typed text is not in the box"
[ "$(text_red_in 2-typed 1920 400 0 600)" -eq 0 ] || fail "red below the box"

# A click elsewhere commits: the text stays where it was typed, the box goes.
typed=$(text_red_in 2-typed 260 70 560 465)
click_at 1400 900
committed() {
  shot 3-committed
  [ "$(accent_in 3-committed 300 120 480 420)" -eq 0 ] && [ "$(text_red_in 3-committed 260 70 560 465)" -ge $((typed * 9 / 10)) ]
}
wait_until 5 committed || fail "the text did not stay where it was typed (had $typed red pixels)"
convert "$out/2-typed.png" -crop 90x40+580+480 +repage "$out/typed-crop.png"
convert "$out/3-committed.png" -crop 90x40+580+480 +repage "$out/committed-crop.png"
same=$(compare -metric AE -fuzz 15% "$out/typed-crop.png" "$out/committed-crop.png" null: 2>&1)
[ "${same%% *}" -le 10 ] || fail "the committed text differs from the typed one in $same pixels"

# A right-button drag opens a box of the dragged rectangle; Esc commits it.
move 300 700
xdotool mousedown 3
for x in $(seq 320 40 700); do xdotool mousemove "$x" $((700 + (x - 300) / 4)); pace 0.01; done
xdotool mousemove 700 800
pace 0.05
xdotool mouseup 3
wait_until 5 eval 'shot 4-dragged; [ "$(accent_in 4-dragged 410 4 296 698)" -ge 100 ]' ||
  fail "the right drag opened no box along its top edge"
type_text Hi
wait_until 5 eval 'shot 5-hi; [ "$(text_red_in 5-hi 390 90 305 705)" -ge 300 ]' || fail "no text in the dragged box"
# The handle above the box's middle, dragged right of its centre (500, 750),
# turns it a quarter: "Hi" then stands along the box's new right-hand top.
move 500 674
xdotool mousedown 1
for x in $(seq 520 20 700); do xdotool mousemove "$x" $((674 + (x - 500) * 76 / 200)); pace 0.01; done
xdotool mousemove 700 750
pace 0.05
xdotool mouseup 1
turned() { shot 6-turned; [ "$(text_red_in 6-turned 90 90 470 545)" -ge 300 ] && [ "$(text_red_in 6-turned 100 90 305 705)" -eq 0 ]; }
wait_until 5 turned || fail "the rotate handle did not turn the box"
xdotool key Escape
wait_until 5 eval 'shot 7-esc; [ "$(accent_in 7-esc 420 420 290 540)" -eq 0 ]' || fail "Esc left the box open"
[ "$(text_red_in 7-esc 90 90 470 545)" -ge 300 ] || fail "Esc lost the turned text"
[ "$(text_red_in 7-esc 260 70 560 465)" -ge $((typed * 9 / 10)) ] || fail "the first text is gone"

kill "$first"
wait "$first" 2>/dev/null

# The box in the dark palette, through the qt6ct plugin when it is installed.
if has_qt6ct; then
  start_overink dark
  show_toolbar "${pids[-1]}"
  click_at $(text_slot)
  click_at 600 500
  type_text Dark
  wait_until 5 eval 'shot 8-dark; [ "$(text_red_in 8-dark 260 70 560 465)" -ge 300 ]' || fail "no text in the dark palette"
else
  echo "note: qt6ct is not installed, no dark shot"
fi
echo "ok: screenshots in $out"
