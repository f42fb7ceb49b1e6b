#!/usr/bin/env bash
# A stroke begun the moment the overlays appear is drawn where the pointer
# went, and none of it reaches the program beneath: a window manager may
# first put the overlay below (or beside) the panel it overlaps and move it
# into place only a moment later. Each run starts the program afresh (or,
# with "reshow", shows the overlays of one program again, its stroke undone
# and the overlays hidden after each run), clicks its tray icon and draws at
# once; RUNS runs (3 unless given).
#   strokes_right_after_the_overlays_appear.sh <overink> [RUNS [reshow]]
# OVERINK_CLICK_RECORDER: a window of another process that reports its
# clicks. OVERINK_STROKE_ON_APPEARANCE: the helper that draws the moment an
# overlay is mapped. OVERINK_E2E_OUTPUT: where the screenshots are kept.
set -u
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
overink=$1
runs=${2:-3}
mode=${3:-fresh}
recorder=${OVERINK_CLICK_RECORDER:?}
stroker=${OVERINK_STROKE_ON_APPEARANCE:?}
e2e_begin strokes_right_after_the_overlays_appear
running() { kill -0 "$1" 2>/dev/null; }
ended() { ! running "$1"; }

# Another program's window beneath the stroke, reporting its clicks.
"$recorder" 300 400 700 200 >"$out/recorder.log" 2>&1 &
pids+=($!)
wait_until 5 has_line "$out/recorder.log" '^ready ' || fail "the click recorder did not start"
other=$(awk '$1 == "ready" { print $2; exit }' "$out/recorder.log")
presses() { grep -c '^press ' "$out/recorder.log"; }

# The stroke: from (400, 500) to (800, 500). Its middle, 300 wide, is red.
on_line() { [ "$(red_in "$1" 300 6 450 497)" -ge 1500 ]; }
lost=0 offset=0 leaked=0 misplaced=0
if [ "$mode" = reshow ]; then
  start_overink
  program=${pids[-1]}
fi
for run in $(seq 1 "$runs"); do
  if [ "$mode" != reshow ]; then
    start_overink
    program=${pids[-1]}
  fi
  await_tray_icon "$program"
  "$stroker" 400 500 400 40 >"$out/stroke.log" 2>&1 &
  stroker_pid=$!
  wait_until 5 has_line "$out/stroke.log" '^ready$' || fail "run $run: the stroke helper did not start"
  # The helper sees the icon's press too: the pointer rests first.
  click_at "$IX" "$IY"
  wait_until 10 has_line "$out/stroke.log" '^stroke ' || fail "run $run: no overlay appeared"
  wait "$stroker_pid"
  set -- $(awk '$1 == "stroke" { print $2, $3 }' "$out/stroke.log")
  [ "$2" = 1 ] || misplaced=$((misplaced + 1))
  if ! shot_until "run-$run" "on_line run-$run"; then
    if [ "$(red_in "run-$run" 400 60 400 440)" -gt 0 ] || [ "$(red_in "run-$run" 400 60 400 504)" -gt 0 ]; then
      offset=$((offset + 1))
      echo "run $run: the stroke is drawn away from the pointer (pressed ${1} ms after the map, placed $2)" >&2
    else
      lost=$((lost + 1))
      echo "run $run: the stroke was lost (pressed ${1} ms after the map, placed $2)" >&2
    fi
  else
    rm -f "$out/run-$run.png"
  fi
  recorder_sync "$out/recorder.log" "$other" || fail "the click recorder does not answer"
  if [ "$(presses)" -gt "$leaked" ]; then
    echo "run $run: the press reached the program beneath" >&2
    leaked=$(presses)
  fi
  if [ "$mode" = reshow ]; then
    # The stroke undone (the keyboard is the program's as the overlays
    # show), then the overlays hidden again from the tray icon.
    xdotool key ctrl+z
    shot_until "undone-$run" '[ "$(red_in "undone-$run" 400 60 400 440)" -eq 0 ]' || fail "run $run: the stroke was not undone"
    rm -f "$out/undone-$run.png"
    click_at "$IX" "$IY"
    wait_until 5 eval '[ "$(overlays_shown $program)" -eq 0 ]' || fail "run $run: the tray icon did not hide the overlays"
    pace 0.5
    continue
  fi
  kill -TERM "$program"
  wait_until 10 ended "$program" || fail "run $run: overink ignored SIGTERM"
  wait "$program"
done
echo "$runs runs: $lost lost, $offset drawn away from the pointer, $leaked reached the program beneath;" \
  "the overlay stood elsewhere at $misplaced of the presses"
[ "$lost" -eq 0 ] && [ "$offset" -eq 0 ] && [ "$leaked" -eq 0 ] || fail "strokes right after the overlays appeared went astray"
echo "ok: screenshots in $out"
