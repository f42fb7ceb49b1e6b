#!/usr/bin/env bash
# The first usable program, end to end: the tray icon shows an overlay on
# which a drag draws a red stroke over another program's window; Esc lets
# clicks through except on the stroke; Ctrl+Z removes the stroke and
# Ctrl+Shift+Z brings it back; a click on the stroke never takes the
# keyboard from the other program; the tray icon hides the overlays again; a second copy ends at once; SIGTERM ends
# the first.
#   draws_and_passes_through.sh <overink>
# OVERINK_CLICK_RECORDER: a window of another process that reports its
# clicks. OVERINK_E2E_OUTPUT: where the screenshots are kept.
set -u
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
overink=$1
recorder=${OVERINK_CLICK_RECORDER:?}
e2e_begin draws_and_passes_through
overlays_shown_are() { [ "$(overlays_shown "$1")" -eq "$2" ]; }
not_under_pointer() { ! under_pointer_is "$1"; }
running() { kill -0 "$1" 2>/dev/null; }
ended() { ! running "$1"; }

# Another program's window under the drawing, reporting its clicks.
"$recorder" 300 300 900 600 >"$out/recorder.log" 2>&1 &
pids+=($!)
wait_until 5 has_line "$out/recorder.log" '^ready ' || fail "the click recorder did not start"
other=$(awk '$1 == "ready" { print $2; exit }' "$out/recorder.log")
clicks_on_other() { grep -c '^press ' "$out/recorder.log"; }

new_home
launch_overink
first=${pids[-1]}
# The tray host places the icon after embedding it: wait until it rests.
icon=$(wait_steady 10 3 tray_icon $first) || fail "no tray icon"
set -- $icon
icon_x=$1 icon_y=$2
shot 0-launched
[ "$(overlays_shown $first)" -eq 0 ] || fail "an overlay is shown at launch"

# The tray icon shows the overlay.
move "$icon_x" "$icon_y" && xdotool click 1
wait_until 5 overlays_shown_are $first 1 || fail "the tray icon showed no overlay"
overlay=$(answer_of 5 overlays $first)

# A drag with the pen draws a red stroke 11 px wide over the recorder.
pointer_reaches 500 600 "$overlay" || fail "the overlay does not take the pointer for drawing"
xdotool mousedown 1
# The drag at a person's pace.
for x in $(seq 510 10 900); do xdotool mousemove "$x" 600; pace 0.01; done
xdotool mouseup 1
shot_until 1-drawn '[ "$(red_in 1-drawn 380 1 510 600)" -ge 370 ]' || fail "no red stroke along the drag"
width=$(red_in 1-drawn 1 40 700 580)
[ "$width" -ge 9 ] && [ "$width" -le 13 ] || fail "the stroke is $width px wide, not 11"
[ "$(red_in 1-drawn 300 200 500 300)" -eq 0 ] || fail "red away from the stroke"
recorder_sync "$out/recorder.log" "$other" || fail "the click recorder does not answer"
[ "$(clicks_on_other)" -eq 0 ] || fail "the drag reached the other window"

# Esc: clicks pass through, except on the stroke.
wait_until 5 focus_is "$overlay" || fail "the overlay does not have the keyboard"
xdotool key Escape
pointer_reaches 700 600 "$overlay" || fail "after Esc the overlay does not take the pointer on the stroke"
xdotool click 1
recorder_sync "$out/recorder.log" "$other" || fail "the click recorder does not answer"
has_line "$out/recorder.log" '^press 1 700 600$' && fail "a click on the stroke reached the other window"
shot 2-passthrough
[ "$(red_in 2-passthrough 380 1 510 600)" -ge 370 ] || fail "the stroke changed after the click"

# The program kept the keyboard: Ctrl+Z undoes, Ctrl+Shift+Z redoes.
wait_until 5 focus_is "$overlay" || fail "the overlay lost the keyboard"
xdotool key ctrl+z
shot_until 3-undone '[ "$(red_in 3-undone 400 40 500 580)" -eq 0 ]' || fail "Ctrl+Z left the stroke"
xdotool key ctrl+shift+z
shot_until 3-redone '[ "$(red_in 3-redone 380 1 510 600)" -ge 370 ]' || fail "Ctrl+Shift+Z did not bring the stroke back"

# Beside the stroke a click reaches the other program, which takes the
# keyboard; a click on the stroke then moves nothing of the keyboard: an
# overlay letting clicks through never takes it from another program.
pointer_reaches 500 400 "$other" || fail "after Esc the overlay still takes the pointer beside the stroke"
xdotool click 1
wait_until 5 has_line "$out/recorder.log" '^press 1 500 400$' ||
  fail "after Esc a click beside the stroke did not reach the other window"
wait_until 5 focus_is "$other" || fail "the other program did not take the keyboard"
pointer_reaches 700 600 "$overlay" || fail "the overlay does not take the pointer on the stroke"
xdotool click 1
recorder_sync "$out/recorder.log" "$other" || fail "the click recorder does not answer"
has_line "$out/recorder.log" '^press 1 700 600$' && fail "a click on the stroke reached the other window"
holds_for 1 focus_is "$other" || fail "a click on the stroke in passthrough took the keyboard from the other program"

# The tray icon hides the overlay again: the overlay over the tray lets the
# icon have the click.
move "$icon_x" "$icon_y" && wait_until 5 not_under_pointer "$overlay" || fail "the overlay covers the tray icon"
xdotool click 1
wait_until 5 overlays_shown_are $first 0 || fail "the tray icon did not hide the overlay"
shot 4-hidden

# A second copy, in the same home, ends at once; the first keeps running.
launch_overink
second=${pids[-1]}
wait_until 3 ended $second || { kill $second; fail "a second copy kept running"; }
wait $second
[ $? -eq 0 ] || fail "the second copy failed"
running $first || fail "the first copy ended with the second"

# SIGTERM ends the program.
kill -TERM $first
wait_until 5 ended $first || fail "overink ignored SIGTERM"
wait $first
status=$?
[ $status -eq 0 ] || fail "overink exited with status $status after SIGTERM"
echo "ok: screenshots in $out"
