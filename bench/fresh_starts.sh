#!/usr/bin/env bash
# Counts strokes lost right after the overlays appear over many fresh starts
# of the program: runs tests/e2e/strokes_right_after_the_overlays_appear.sh
# in several private X sessions at once and adds up what they report.
#
#   bench/fresh_starts.sh [build-dir] [RUNS] [SESSIONS] [-- x11-session options]
#
# build-dir defaults to ./build (configured with -DOVERINK_TESTS=ON), RUNS to
# 200 (spread over the sessions), SESSIONS to 4; the session options default
# to "--no-compositor" (openbox, the tray at the top). Prints one line per
# session and the totals; exits 1 when any stroke went astray.
set -u
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-$here/build}
runs=${2:-200}
sessions=${3:-4}
shift $(($# < 3 ? $# : 3))
[ "${1:-}" = -- ] && shift
options=("$@")
[ ${#options[@]} -gt 0 ] || options=(--no-compositor)
build=$(cd "$build" && pwd)
for tool in src/overink tests/click_recorder tests/stroke_on_appearance; do
  [ -x "$build/$tool" ] || { echo "fresh_starts: build $tool first (in $build)" >&2; exit 2; }
done

export OVERINK_CLICK_RECORDER=$build/tests/click_recorder
export OVERINK_STROKE_ON_APPEARANCE=$build/tests/stroke_on_appearance
[ -x "$build/tests/standin_wm" ] && export OVERINK_STANDIN_WM=$build/tests/standin_wm
logs=$(mktemp -d /tmp/overink-fresh-starts.XXXXXX)
started=$(date +%s)
pids=()
for s in $(seq 1 "$sessions"); do
  n=$((runs / sessions + (s <= runs % sessions ? 1 : 0)))
  [ "$n" -gt 0 ] || continue
  OVERINK_E2E_OUTPUT=$logs/session-$s "$here/scripts/x11-session" "${options[@]}" -- \
    "$here/tests/e2e/strokes_right_after_the_overlays_appear.sh" "$build/src/overink" "$n" >"$logs/session-$s.log" 2>&1 &
  pids+=($!)
done
failed=0
for p in "${pids[@]}"; do wait "$p" || failed=1; done
elapsed=$(($(date +%s) - started))

total=0 lost=0 offset=0 leaked=0 misplaced=0
for log in "$logs"/session-*.log; do
  line=$(grep -E '^[0-9]+ runs: ' "$log" | tail -1)
  if [ -z "$line" ]; then
    echo "$(basename "$log" .log): no summary (see $log)"
    failed=1
    continue
  fi
  echo "$(basename "$log" .log): $line"
  set -- $(echo "$line" | sed -E 's/^([0-9]+) runs: ([0-9]+) lost, ([0-9]+) drawn away .*, ([0-9]+) reached .* elsewhere at ([0-9]+) of .*/\1 \2 \3 \4 \5/')
  total=$((total + $1)) lost=$((lost + $2)) offset=$((offset + $3)) leaked=$((leaked + $4)) misplaced=$((misplaced + $5))
done
echo "$total fresh starts in $elapsed s ($sessions sessions, ${options[*]}): $lost lost, $offset drawn away from" \
  "the pointer, $leaked reached the program beneath; the overlay stood elsewhere at $misplaced of the presses;" \
  "load $(cut -d' ' -f1-3 /proc/loadavg); logs in $logs"
[ "$failed" -eq 0 ] && [ "$lost" -eq 0 ] && [ "$offset" -eq 0 ] && [ "$leaked" -eq 0 ]
