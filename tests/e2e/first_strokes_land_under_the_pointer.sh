#!/usr/bin/env bash
# The first strokes after the tray icon shows the overlays land under the
# pointer, wherever the desktop's panel is: a window manager may first put
# the overlay below (or beside) the panel it overlaps, and a stroke begun
# there would move with the overlay as it takes its place. Twenty quick
# strokes follow, all drawn.
#   first_strokes_land_under_the_pointer.sh <overink>
# OVERINK_E2E_OUTPUT: where the screenshots are kept.
set -u
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
overink=$1
e2e_begin first_strokes_land_under_the_pointer

start_overink
program=${pids[-1]}
await_tray_icon "$program"
click_at "$IX" "$IY"
wait_until 5 eval '[ "$(overlays_shown $program)" -ge 1 ]' || fail "the tray icon showed no overlay"
overlay=$(answer_of 5 overlays "$program" | head -n1)

# As soon as the overlay takes the pointer, a person's stroke across it.
pointer_reaches 400 500 "$overlay" || fail "the overlay does not take the pointer"
xdotool mousedown 1
for x in $(seq 420 20 800); do xdotool mousemove "$x" 500; pace 0.01; done
xdotool mouseup 1
on_line() { [ "$(red_in "$1" 300 6 450 497)" -ge 1500 ]; }
shot_until 1-first 'on_line 1-first' || {
  [ "$(red_in 1-first 300 60 450 440)" -gt 0 ] && fail "the first stroke is drawn above the pointer"
  [ "$(red_in 1-first 300 60 450 504)" -gt 0 ] && fail "the first stroke is drawn below the pointer"
  fail "the first stroke is not drawn"
}

# Twenty quick strokes, each a jump and four steps as a pen draws them.
for i in $(seq 0 19); do
  x=$((150 + 85 * i)) y=$((650 + 25 * (i % 7)))
  args="mousemove $x $y mousedown 1"
  for k in 1 2 3 4; do args="$args mousemove $((x + 10 * k)) $((y + 15 * k))"; done
  xdotool $args mouseup 1
  pace 0.05
done
# Each stroke's middle part, where its pen is red.
drawn_all() {
  local i x y
  for i in $(seq 0 19); do
    x=$((150 + 85 * i)) y=$((650 + 25 * (i % 7)))
    [ "$(red_in "$1" 8 8 $((x + 16)) $((y + 26)))" -gt 0 ] || return 1
  done
}
shot_until 2-quick 'drawn_all 2-quick' || fail "quick strokes were lost"
echo "ok: screenshots in $out"
