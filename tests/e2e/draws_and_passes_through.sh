#!/usr/bin/env bash
# The first usable program, end to end: the tray icon shows an overlay on
# which a drag draws a red stroke over another program's window; Esc lets
# clicks through except on the stroke; Ctrl+Z removes the stroke; the tray
# icon hides the overlays again; a second copy ends at once; SIGTERM ends
# the first.
#   draws_and_passes_through.sh <overink>
# OVERINK_CLICK_RECORDER: a window of another process that reports its
# clicks. OVERINK_E2E_OUTPUT: where the screenshots are kept.
set -u
overink=$1
recorder=${OVERINK_CLICK_RECORDER:?}
out=${OVERINK_E2E_OUTPUT:-$(mktemp -d)}/draws_and_passes_through
mkdir -p "$out"
rm -f "$out"/*.png
home=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  for p in "${pids[@]}"; do wait "$p" 2>/dev/null; done
  rm -rf "$home"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; echo "screenshots in $out" >&2; exit 1; }
pause() { sleep 0.1; }
move() { xdotool mousemove --sync "$1" "$2"; pause; }
click() { move "$1" "$2"; xdotool click 1; pause; }
shot() { import -window root "$out/$1.png"; }
# Red pixels (the default colour, 255 59 48, give or take antialiasing) in
# a rectangle of the shot: count W H X Y.
red_in() {
  convert "$out/$1.png" -crop "$2x$3+$4+$5" +repage txt:- |
    awk 'NR > 1 { split($2, c, /[(),]/); if (c[2] > 220 && c[3] < 110 && c[4] < 100) n++ } END { print n + 0 }'
}
start_overink() {
  HOME=$home XDG_CONFIG_HOME=$home/.config XDG_DATA_HOME=$home/.local/share XDG_RUNTIME_DIR=$home \
    "$overink" >>"$out/overink.log" 2>&1 &
}
# The tray icon's centre: the window of ours that the tray embedded.
tray_icon() {
  local w
  for w in $(xdotool search --pid "$1" 2>/dev/null); do
    if xprop -id "$w" _XEMBED_INFO 2>/dev/null | grep -q '='; then
      eval "$(xdotool getwindowgeometry --shell "$w")"
      echo "$((X + WIDTH / 2)) $((Y + HEIGHT / 2))"
      return 0
    fi
  done
  return 1
}
# Our mapped windows covering the 1920x1080 screen (but its bottom row).
overlays_shown() {
  local w n=0
  for w in $(xdotool search --onlyvisible --pid "$1" 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$w")"
    [ "$WIDTH" -eq 1920 ] && [ "$HEIGHT" -ge 1079 ] && n=$((n + 1))
  done
  echo $n
}

# Another program's window under the drawing, reporting its clicks.
"$recorder" 300 300 900 600 >"$out/recorder.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do grep -q ready "$out/recorder.log" && break; sleep 0.05; done
grep -q ready "$out/recorder.log" || fail "the click recorder did not start"

start_overink
first=$!
pids+=($first)
icon=
for _ in $(seq 100); do icon=$(tray_icon $first) && break; sleep 0.05; done
[ -n "$icon" ] || fail "no tray icon"
sleep 0.3
set -- $icon
icon_x=$1 icon_y=$2
shot 0-launched
[ "$(overlays_shown $first)" -eq 0 ] || fail "an overlay is shown at launch"

# The tray icon shows the overlay.
click "$icon_x" "$icon_y"
for _ in $(seq 40); do [ "$(overlays_shown $first)" -eq 1 ] && break; sleep 0.05; done
[ "$(overlays_shown $first)" -eq 1 ] || fail "the tray icon showed no overlay"

# A drag with the pen draws a red stroke 11 px wide over the recorder.
move 500 600
xdotool mousedown 1; pause
for x in $(seq 510 10 900); do xdotool mousemove "$x" 600; sleep 0.01; done
pause
xdotool mouseup 1; pause
sleep 0.3
shot 1-drawn
[ "$(red_in 1-drawn 380 1 510 600)" -ge 370 ] || fail "no red stroke along the drag"
width=$(red_in 1-drawn 1 40 700 580)
[ "$width" -ge 9 ] && [ "$width" -le 13 ] || fail "the stroke is $width px wide, not 11"
[ "$(red_in 1-drawn 300 200 500 300)" -eq 0 ] || fail "red away from the stroke"
grep -q "press" "$out/recorder.log" && fail "the drag reached the other window"

# Esc: clicks pass through, except on the stroke.
xdotool key Escape; pause
click 500 400
for _ in $(seq 20); do grep -q "press 1 500 400" "$out/recorder.log" && break; sleep 0.05; done
grep -q "press 1 500 400" "$out/recorder.log" || fail "after Esc a click beside the stroke did not reach the other window"
click 700 600
sleep 0.3
grep -q "press 1 700 600" "$out/recorder.log" && fail "a click on the stroke reached the other window"
shot 2-passthrough
[ "$(red_in 2-passthrough 380 1 510 600)" -ge 370 ] || fail "the stroke changed after the clicks"

# The click on the stroke gave the overlay the keyboard: Ctrl+Z undoes.
xdotool key ctrl+z; pause
sleep 0.3
shot 3-undone
[ "$(red_in 3-undone 400 40 500 580)" -eq 0 ] || fail "Ctrl+Z left the stroke"

# The tray icon hides the overlay again.
click "$icon_x" "$icon_y"
for _ in $(seq 40); do [ "$(overlays_shown $first)" -eq 0 ] && break; sleep 0.05; done
[ "$(overlays_shown $first)" -eq 0 ] || fail "the tray icon did not hide the overlay"
shot 4-hidden

# A second copy ends at once; the first keeps running.
start_overink
second=$!
for _ in $(seq 60); do kill -0 $second 2>/dev/null || break; sleep 0.05; done
kill -0 $second 2>/dev/null && { kill $second; fail "a second copy kept running"; }
wait $second
[ $? -eq 0 ] || fail "the second copy failed"
kill -0 $first 2>/dev/null || fail "the first copy ended with the second"

# SIGTERM ends the program.
kill -TERM $first
for _ in $(seq 100); do kill -0 $first 2>/dev/null || break; sleep 0.05; done
kill -0 $first 2>/dev/null && fail "overink ignored SIGTERM"
wait $first
status=$?
[ $status -eq 0 ] || fail "overink exited with status $status after SIGTERM"
echo "ok: screenshots in $out"
