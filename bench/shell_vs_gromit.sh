#!/usr/bin/env bash
# Overink beside gromit-mpx in one private X session, under the same input,
# sent through XTest at precise times (bench/tools/pointer_bench.cpp):
#  - CPU per move of the program, the X server and the compositor over a
#    stroke of 2,000 moves 4 ms apart (250 a second), the button held,
#    with 0, 200 and 2,000 strokes of 60 moves already drawn; how many of the
#    2,000 moves the picture shows (a zigzag: a skipped move leaves its peak
#    empty);
#  - input-to-pixel latency: after each move of a stroke the pixel at the new
#    position is polled until it changes; sparse moves (50 ms apart) and
#    paced ones (4 ms apart), 16 pixels apart so the stroke so far cannot
#    already cover the new point;
#  - idle CPU with the overlay shown, and resident memory in the same states;
#  - start-up to the tray icon being embedded.
# Figures are the median [min-max] of the runs, with the load average, as
# the machine may be busy with other work.
#   bench/shell_vs_gromit.sh <build-dir> [--no-compositor]
# OVERINK_BENCH_RUNS (default 5) and OVERINK_BENCH_SCENES (default
# "0 200 2000") shorten a run.
set -u
build=$(cd "${1:-build}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
if [ -z "${OVERINK_BENCH_SESSION:-}" ]; then
  OVERINK_BENCH_SESSION=1 exec "$here/../scripts/x11-session" ${2:+"$2"} -- "$0" "$build"
fi
command -v gromit-mpx >/dev/null || { echo "gromit-mpx is missing (scripts/install-deps bench)"; exit 1; }
overink=$build/src/overink
tool=$build/bench/pointer_bench
runs=${OVERINK_BENCH_RUNS:-5}
scenes=${OVERINK_BENCH_SCENES:-0 200 2000}
xserver=$(echo "$OVERINK_X11_SESSION_PIDS" | cut -d' ' -f1)
compositor=
for p in $OVERINK_X11_SESSION_PIDS; do [ "$(cat /proc/$p/comm 2>/dev/null)" = xcompmgr ] && compositor=$p; done
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$work"' EXIT

cpu_ns() {
  local t sum=0
  for t in /proc/"$1"/task/*/schedstat; do
    read -r run _ < "$t" 2>/dev/null && sum=$((sum + run))
  done
  echo $sum
}
rss_mb() { awk '/VmRSS/ { printf "%.1f", $2 / 1024 }' /proc/"$1"/status; }
load() { cut -d' ' -f1-3 /proc/loadavg; }
# "median [min-max]" of the numbers on standard input.
spread() { sort -g | awk '{ v[NR] = $1 } END { if (NR == 0) { print "-"; exit }
  m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
  printf "%.1f [%.1f-%.1f]", m, v[1], v[NR] }'; }
field() { sed -n "s/.*\\<$1=\\([^ ]*\\).*/\\1/p"; }

# Layout on the 1920x1080 screen: the measured strokes on the left (undone
# after each run), the scenes' strokes in a strip on the right.
drag_area="40 70 1416"
scene_box="1470 60 430 980"
lat_x=60; lat_y=110

# The program's undo, and a strip of strokes added to the scene.
undo() { if [ "$1" = gromit ]; then gromit_cmd -z; else xdotool key ctrl+z; fi; sleep 0.3; }
drawn=0
grow_scene() { # target
  local n=$(( $1 - drawn ))
  [ $n -gt 0 ] && "$tool" scene $n 60 $scene_box 1000 $((drawn + 1))
  drawn=$1; sleep 1
}

measure() { # name pid
  local name=$1 pid=$2 scene r out cpus=() shown=() lat
  local pids="$pid $xserver ${compositor:-}"
  drawn=0
  for scene in $scenes; do
    grow_scene "$scene"
    rss=$(rss_mb "$pid")
    : > "$work/drag"
    for r in $(seq "$runs"); do
      out=$("$tool" drag $drag_area 2000 4000 $pids)
      echo "$out $(load)" >> "$work/drag"
      undo "$name"
    done
    for r in $(seq "$runs"); do
      "$tool" latency $lat_x $lat_y 16 40 50000 >> "$work/sparse"; undo "$name"
      "$tool" latency $lat_x $((lat_y + 40)) 14 90 4000 >> "$work/paced"; undo "$name"
    done
    printf '%-10s %5s strokes  RSS %6s MB  load %s\n' "$name" "$scene" "$rss" "$(load)"
    printf '    CPU/move us: program %s  X %s  compositor %s  total %s\n' \
      "$(field cpu0 < "$work/drag" | spread)" "$(field cpu1 < "$work/drag" | spread)" \
      "$(field cpu2 < "$work/drag" | spread)" \
      "$(awk '{ s = 0; for (i = 1; i <= NF; ++i) if ($i ~ /^cpu[0-9]=/) { split($i, a, "="); s += a[2] } print s }' "$work/drag" | spread)"
    printf '    moves shown: %s of %s   sent at %s per second\n' "$(field shown < "$work/drag" | spread)" \
      "$(field checked < "$work/drag" | head -1)" "$(field rate < "$work/drag" | spread)"
    printf '    latency ms: sparse p50 %s p99 %s   paced p50 %s p99 %s  (lost %s/%s)\n' \
      "$(field p50 < "$work/sparse" | spread)" "$(field p99 < "$work/sparse" | spread)" \
      "$(field p50 < "$work/paced" | spread)" "$(field p99 < "$work/paced" | spread)" \
      "$(field lost < "$work/sparse" | paste -sd+ | bc)" "$(field lost < "$work/paced" | paste -sd+ | bc)"
    : > "$work/sparse"; : > "$work/paced"
  done
}

idle() { # name pid
  local p0 x0 p1 x1
  p0=$(cpu_ns "$2"); x0=$(cpu_ns "$xserver")
  sleep 10
  p1=$(cpu_ns "$2"); x1=$(cpu_ns "$xserver")
  awk -v n="$1" -v p=$((p1 - p0)) -v x=$((x1 - x0)) -v l="$(load)" 'BEGIN {
    printf "%-10s idle, overlay shown: program %.2f ms/s  X server %.2f ms/s  (load %s)\n", n, p / 1e7, x / 1e7, l }'
}

echo "== $runs runs a scene; load $(load)"
# gromit-mpx, active (it takes the pointer), without its introduction.
ghome=$work/gromit; mkdir -p "$ghome/.config"
printf '[General]\nShowIntroOnStartup=false\n' > "$ghome/.config/gromit-mpx.ini"
gromit_cmd() { HOME=$ghome XDG_CONFIG_HOME=$ghome/.config gromit-mpx "$@" >>"$work/gromit.log" 2>&1; }
# Started directly (not through the function) so that $! is its own pid.
HOME=$ghome XDG_CONFIG_HOME=$ghome/.config gromit-mpx -a >>"$work/gromit.log" 2>&1 &
gromit=$!
sleep 2
gromit_rss=$(rss_mb $gromit)
idle gromit $gromit
measure gromit $gromit
kill $gromit; wait $gromit 2>/dev/null
sleep 0.5

# overink: the tray icon shows the overlay with the pen selected.
ohome=$work/overink
env HOME=$ohome XDG_CONFIG_HOME=$ohome/.config XDG_DATA_HOME=$ohome/.local/share ${OVERINK_BENCH_ENV:-} "$overink" >"$work/overink.log" 2>&1 &
ovk=$!
icon=
for _ in $(seq 100); do
  for w in $(xdotool search --pid $ovk 2>/dev/null); do
    if xprop -id "$w" _XEMBED_INFO 2>/dev/null | grep -q '='; then
      eval "$(xdotool getwindowgeometry --shell "$w")"; icon="$((X + WIDTH / 2)) $((Y + HEIGHT / 2))"
    fi
  done
  [ -n "$icon" ] && break; sleep 0.05
done
[ -n "$icon" ] || { echo "overink showed no tray icon"; exit 1; }
sleep 1
overink_tray=$(rss_mb $ovk)
xdotool mousemove $icon; sleep 0.2; xdotool click 1; sleep 1
overink_rss=$(rss_mb $ovk)
idle overink $ovk
measure overink $ovk
import -window root "$work/overink-strokes.png" 2>/dev/null
kill $ovk; wait $ovk 2>/dev/null

echo "== resident memory, shown and nothing drawn: gromit-mpx $gromit_rss MB, overink $overink_rss MB" \
  "(tray icon only: $overink_tray MB)"
"$build/bench/stroke_memory" 10000 100 | tail -1

echo "== start-up to the tray icon embedded (15 runs)"
echo "overink:    $("$build/bench/tray_probe" 15 "$overink" | tail -1)"
echo "gromit-mpx: $("$build/bench/tray_probe" 15 sh -c 'mkdir -p "$HOME/.config"; printf "[General]\nShowIntroOnStartup=false\n" > "$HOME/.config/gromit-mpx.ini"; exec gromit-mpx' 2>/dev/null | tail -1)"
