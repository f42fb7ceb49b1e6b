#!/usr/bin/env bash
# Pinning end to end: the pin control, then a click on another program's
# window; the toolbar and the overlay follow the window as it moves, the
# window's top strip still takes clicks, the drawing made while pinned moves
# with the window, and closing the window brings back the earlier drawing
# and the toolbar's dock position.
#   pins_to_a_window.sh <overink>
# OVERINK_CLICK_RECORDER: the window of another program.
# OVERINK_E2E_OUTPUT: where the screenshots are kept.
set -u
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
overink=$1
recorder=${OVERINK_CLICK_RECORDER:?the click recorder}
e2e_begin pins_to_a_window
# The logs start afresh too: the program's is appended to.
rm -f "$out"/*.log
geometry_of() { named_geometry "$overink_pid" "$1"; }
toolbar_at() { [ "$(geometry_of 'Overink Toolbar' | cut -d' ' -f1,2)" = "$1 $2" ]; }
overlay_is() { [ "$(geometry_of 'Overink Overlay')" = "$1" ]; }
# A pen stroke from X1 Y to X2 Y at a person's pace.
draw_line() {
  move "$1" "$3" || fail "the pointer does not reach $1 $3"
  xdotool mousedown 1
  for x in $(seq "$1" 20 "$2"); do xdotool mousemove "$x" "$3"; pace 0.01; done
  pace 0.05
  xdotool mouseup 1
}

# Another program's window, undecorated: its frame is its client area.
"$recorder" 600 400 600 400 >"$out/recorder.log" 2>&1 &
recorder_pid=$!
pids+=("$recorder_pid")
wait_until 10 has_line "$out/recorder.log" '^ready ' || fail "the other window did not show"
window=$(awk '/^ready / { print $2; exit }' "$out/recorder.log")

start_overink
overink_pid=${pids[-1]}
show_toolbar "$overink_pid"

# A stroke below the window, before pinning.
draw_line 200 500 900
shot_until 0-before '[ "$(red_in 0-before 300 12 200 894)" -ge 1500 ]' || fail "the first stroke was not drawn"

# The pin control (third item), then a click on the window.
pointer_reaches $((TX + 89)) $((TY + TH / 2)) "$(xdotool search --all --pid "$overink_pid" --name '^Overink Toolbar$' | head -1)" ||
  fail "the pointer does not reach the pin control"
xdotool click 1
pace 0.2
move 900 700
xdotool click 1
# Above the window, centred, 4 points away; the overlay 2 points inside it.
wait_until 5 toolbar_at $((900 - TW / 2)) $((400 - 4 - TH)) || fail "the toolbar did not go above the window: $(geometry_of 'Overink Toolbar')"
wait_until 5 overlay_is "602 402 596 396" || fail "the overlay does not fit the window: $(geometry_of 'Overink Overlay')"
shot_until 1-pinned '[ "$(red_in 1-pinned 300 12 200 894)" -eq 0 ]' || fail "the earlier drawing is still shown while pinned"

# Drawn while pinned, inside the window.
draw_line 700 1000 600
shot_until 2-drawn '[ "$(red_in 2-drawn 300 12 700 594)" -ge 1500 ]' || fail "no stroke drawn on the pinned window"

# The window's top strip passes clicks to it even in draw mode.
grep -c '^press ' "$out/recorder.log" >"$out/presses-before" || true
move 900 410 || fail "the pointer does not reach the strip"
xdotool click 1
wait_until 5 has_line "$out/recorder.log" '^press 1 900 410$' || fail "the title strip did not pass the click"

# The window moves in steps; the toolbar, the overlay and the stroke follow.
for i in $(seq 1 10); do
  xdotool windowmove "$window" $((600 + 30 * i)) $((400 + 10 * i))
  pace 0.03
done
wait_until 5 toolbar_at $((1200 - TW / 2)) $((500 - 4 - TH)) || fail "the toolbar did not follow: $(geometry_of 'Overink Toolbar')"
wait_until 5 overlay_is "902 502 596 396" || fail "the overlay did not follow: $(geometry_of 'Overink Overlay')"
shot_until 3-moved '[ "$(red_in 3-moved 300 12 1000 694)" -ge 1500 ]' || fail "the stroke did not move with the window"

# The window closes: the earlier drawing, the overlay's screen and the dock
# position come back; the drawing made while pinned goes.
kill "$recorder_pid"
wait "$recorder_pid" 2>/dev/null
wait_until 5 toolbar_at "$TX" "$TY" || fail "the toolbar did not go back to its dock position: $(geometry_of 'Overink Toolbar')"
wait_until 5 overlay_is "0 0 1920 1079" || wait_until 5 overlay_is "0 0 1920 1080" ||
  fail "the overlay did not take its screen again: $(geometry_of 'Overink Overlay')"
shot_until 4-closed '[ "$(red_in 4-closed 300 12 200 894)" -ge 1500 ]' || fail "the earlier drawing did not come back"
[ "$(red_in 4-closed 300 12 1000 694)" -eq 0 ] || fail "the drawing made while pinned stayed after the pin ended"
echo "ok: screenshots in $out"
