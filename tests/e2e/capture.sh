#!/usr/bin/env bash
# A screenshot end to end: the toolbar's camera button, after the
# countdown, saves through the save panel a JPEG of the display that shows
# another program's window and the red stroke drawn over it, but neither the
# toolbar, nor the camera button's tooltip chip, nor the countdown; the
# toolbar stays on screen.
#   capture.sh <overink>
# OVERINK_CLICK_RECORDER: a window of another process. OVERINK_E2E_OUTPUT:
# where the screenshots are kept. OVERINK_E2E_NAME: the output's folder.
set -u
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
overink=$1
recorder=${OVERINK_CLICK_RECORDER:?}
e2e_begin "${OVERINK_E2E_NAME:-capture}"
rm -f "$out"/*.jpg
# Pixels of a rectangle of an image: red ones (the pen's 255 59 48, give or
# take antialiasing and JPEG) and ones of the recorder's green (40 160 60).
red_in_image() { colour_count "$1" "$2" "$3" "$4" "$5" 'r > 200 && g < 110 && b < 110'; }
green_in() {
  colour_count "$1" "$2" "$3" "$4" "$5" \
    'r >= 16 && r <= 64 && g >= 136 && g <= 184 && b >= 36 && b <= 84'
}
save_panel() { xdotool search --all --onlyvisible --pid "$1" --name '^Save Screenshot$' 2>/dev/null | head -n1; }
has_save_panel() { [ -n "$(save_panel "$1")" ]; }
# The toolbar area of a shot is the recorder's green all over (no toolbar):
# at least 99 in 100 pixels.
toolbar_gone_from() { [ "$(green_in "$1" "$TW" "$TH" "$TX" "$TY")" -ge $((TW * TH * 99 / 100)) ]; }
toolbar_shows_in() { [ "$(green_in "$1" "$TW" "$TH" "$TX" "$TY")" -lt $((TW * TH / 2)) ]; }

# Another program's window under the toolbar, the drawing and the countdown.
"$recorder" 300 26 1320 820 >"$out/recorder.log" 2>&1 &
pids+=($!)
wait_until 5 has_line "$out/recorder.log" '^ready ' || fail "the click recorder did not start"

start_overink
program=${pids[-1]}
show_toolbar $program
over=$(wait_steady 10 2 overlays $program) || fail "the tray icon showed no overlay"
shot_until 0-toolbar 'toolbar_shows_in "$out/0-toolbar.png"' || fail "the toolbar does not show over the window"

# A red stroke with the pen across the window, as soon as the overlay takes
# the pointer there (without a compositing manager through an input-only
# window laid over it).
drag() {
  move 600 700
  # A person's pause between reaching a spot and pressing there.
  pace 0.3
  xdotool mousedown 1
  for x in $(seq 610 10 1300); do xdotool mousemove "$x" 700; pace 0.01; done
  xdotool mouseup 1
}
drawn() { shot_until 1-drawn '[ "$(red_in_image "$out/1-drawn.png" 660 1 620 700)" -ge 620 ]'; }
pointer_reaches 600 700 "$over" || fail "the overlay does not take the pointer for drawing"
drag
drawn || fail "no red stroke along the drag"

# The camera button, the last item (24-pixel buttons, 12 of padding); the
# pointer stays on it.
CX=$((TX + TW - 24))
move $CX $((TY + TH / 2))
asked=$(date +%s%N)
xdotool click 1
# The countdown: our 260-pixel window in the middle of the screen, over the
# window, with its dark disc.
countdown_id() { local found; found=$(shown_window "$1" 'w == 260 && h == 260') && echo "${found%% *}"; }
countdown=$(wait_until 5 countdown_id $program >/dev/null && countdown_id $program) || fail "no countdown"
counting() { [ "$(countdown_id $program)" = "$countdown" ]; }
# A second click on the camera button while the countdown shows starts
# nothing new: that countdown goes on to its end, no other one shows, and
# the save panel comes after it. (The click is sent only while the
# countdown shows; time only bounds the countdown from below.)
if counting; then
  xdotool click 1
else
  echo "note: the countdown had ended before a second click could be sent"
fi
disc_shows() { shot 2-countdown && [ "$(green_in "$out/2-countdown.png" 20 20 890 530)" -eq 0 ]; }
wait_until 5 eval 'disc_shows || ! counting' || fail "the countdown does not end"
disc_shows || ! counting || fail "no countdown over the window"
# The pointer leaves the camera button and comes back while the countdown
# runs, so that its tooltip chip (held as long as the countdown runs in
# the test session) is up when the grab comes.
# The chip hangs under the toolbar, centred on the button.
chip_shows_in() { [ "$(green_in "$1" 60 12 $((CX - 30)) $((TY + TH + 9)))" -lt 360 ]; }
chip_up() { chip_geometry $program "Capture screen + drawing (3s)" >/dev/null; }
move $CX $((TY + TH + 120))
pace 0.2
move $CX $((TY + TH / 2))
wait_until 5 eval 'chip_up || ! counting' || fail "the countdown does not end"
if chip_up && counting; then
  shot_until 2-chip 'chip_shows_in "$out/2-chip.png"' || fail "no tooltip chip under the camera button"
else
  echo "note: the countdown had ended before the tooltip chip showed"
fi
# Until the save panel comes, no countdown shows but the first.
deadline=$(deadline_in $(($(countdown_seconds) + 10)))
until has_save_panel $program; do
  [ "$(date +%s%N)" -lt "$deadline" ] || fail "no save panel after the countdown"
  now=$(countdown_id $program)
  [ -z "$now" ] || [ "$now" = "$countdown" ] || fail "a second click started the countdown again"
  sleep 0.05
done
[ $(($(date +%s%N) - asked)) -ge 2800000000 ] || fail "the save panel came before the countdown's three seconds"
[ -z "$(countdown_id $program)" ] || fail "the save panel came while the countdown showed"
panel=$(answer_of 5 save_panel $program)
shot 3-save-panel
# The panel takes the keyboard by itself; the proposed name is replaced by a
# path of our own.
wait_until 5 focus_is "$panel" || fail "the save panel does not have the keyboard"
xdotool key ctrl+a
xdotool type --delay 5 "$out/screenshot.jpg"
xdotool key Return
wait_until 10 test -s "$out/screenshot.jpg" || fail "no screenshot written"
wait_until 5 eval '! has_save_panel $program' || fail "the save panel stayed open"

jpeg=$out/screenshot.jpg
[ "$(identify -format '%m %w %h' "$jpeg")" = "JPEG 1920 1080" ] || fail "not a 1920×1080 JPEG: $(identify "$jpeg")"
# The window at its four corners, and the stroke where it was drawn.
for corner in "340 60" "1580 60" "340 800" "1580 800"; do
  set -- $corner
  [ "$(green_in "$jpeg" 10 10 "$1" "$2")" -eq 100 ] || fail "the window is missing at $1,$2"
done
[ "$(red_in_image "$jpeg" 660 1 620 700)" -ge 620 ] || fail "the stroke is missing"
[ "$(red_in_image "$jpeg" 660 300 620 300)" -eq 0 ] || fail "red away from the stroke"
# Neither the countdown nor the toolbar.
[ "$(green_in "$jpeg" 260 260 830 410)" -ge $((260 * 260 * 99 / 100)) ] || fail "the countdown is in the screenshot"
toolbar_gone_from "$jpeg" || fail "the toolbar is in the screenshot"
[ "$(green_in "$jpeg" 60 12 $((CX - 30)) $((TY + TH + 9)))" -ge 713 ] || fail "the tooltip chip is in the screenshot"
# The toolbar is back on screen, and the overlays with the stroke.
shot_until 4-after 'toolbar_shows_in "$out/4-after.png"' || fail "the toolbar did not come back"
[ "$(red_in_image "$out/4-after.png" 660 1 620 700)" -ge 620 ] || fail "the stroke left the screen"

kill -TERM $program
wait_until 5 eval '! kill -0 $program 2>/dev/null' || fail "overink ignored SIGTERM"
echo "ok: screenshots in $out"
