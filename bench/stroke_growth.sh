#!/usr/bin/env bash
# What one stroke costs as the drawing grows, in the real program, in a
# private X session (bench/tools/stroke_probe.cpp sends the input):
#  - placing: the program's CPU per stroke while the scene grows, strokes of
#    STROKE_MOVES moves 1 ms apart (9 moves: about 71 strokes a second),
#    per block of strokes, and how far behind the input it was at the end;
#  - at each scene size, a paced stroke of 2,000 moves (4 ms apart): CPU per
#    move of the program and the X server (and the compositor), then its
#    release and an undo (Ctrl+Z): wall time until all of them are quiet,
#    their CPU meanwhile, and the undo's time from the key to the stroke's
#    pixels gone;
#  - the program's thread count.
# Figures are the median [min-max] of the runs, with the load average.
#   bench/stroke_growth.sh <build-dir> [--no-compositor]
# OVERINK_BENCH_RUNS (default 5), OVERINK_BENCH_SCENES (default "200 20000")
# and STROKE_MOVES (default 9) shorten a run; OVERINK_BIN runs another
# build of the program (for before and after).
set -u
build=$(cd "${1:-build}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
if [ -z "${OVERINK_BENCH_SESSION:-}" ]; then
  OVERINK_BENCH_SESSION=1 exec "$here/../scripts/x11-session" ${2:+"$2"} -- "$0" "$build"
fi
overink=${OVERINK_BIN:-$build/src/overink}
probe=$build/bench/stroke_probe
runs=${OVERINK_BENCH_RUNS:-5}
scenes=${OVERINK_BENCH_SCENES:-200 20000}
moves=${STROKE_MOVES:-9}
xserver=$(echo "$OVERINK_X11_SESSION_PIDS" | cut -d' ' -f1)
compositor=
for p in $OVERINK_X11_SESSION_PIDS; do [ "$(cat /proc/$p/comm 2>/dev/null)" = xcompmgr ] && compositor=$p; done
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$work"' EXIT

load() { cut -d' ' -f1-3 /proc/loadavg; }
spread() { sort -g | awk '{ v[NR] = $1 } END { if (NR == 0) { print "-"; exit }
  m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
  printf "%.1f [%.1f-%.1f]", m, v[1], v[NR] }'; }
field() { sed -n "s/.*\\<$1=\\([^ ]*\\).*/\\1/p"; }

ohome=$work/home
env HOME=$ohome XDG_CONFIG_HOME=$ohome/.config XDG_DATA_HOME=$ohome/.local/share "$overink" >"$work/overink.log" 2>&1 &
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
[ -n "$icon" ] || { echo "overink showed no tray icon"; cat "$work/overink.log"; exit 1; }
sleep 1
# The tray icon shows the overlay with the pen selected.
xdotool mousemove $icon; sleep 0.2; xdotool click 1; sleep 1

echo "== $runs runs a scene; $([ -n "$compositor" ] && echo "with a compositor" || echo "no compositor"); load $(load)"
pids="$ovk $xserver ${compositor:-}"
drawn=0
for scene in $scenes; do
  n=$((scene - drawn))
  if [ $n -gt 0 ]; then
    block=$(( n < 1000 ? n : 1000 ))
    "$probe" scene $n "$moves" 1470 60 430 980 1000 $((drawn + 1)) $block $ovk > "$work/scene"
    drawn=$scene
    echo "placing strokes up to $scene (load $(load)): ms of program CPU per stroke"
    sed -n 's/^strokes=\([^ ]*\) cpu_ms_per_stroke=\(.*\)/    \1: \2/p' "$work/scene" | tail -3
    sed -n 's/^sent_per_s=\([^ ]*\) lag_ms=\(.*\)/    sent at \1 a second, quiet \2 ms after the last release/p' "$work/scene"
  fi
  : > "$work/edit"
  for r in $(seq "$runs"); do
    "$probe" edit 40 70 1416 2000 4000 $pids >> "$work/edit"
    echo " load=$(load | cut -d' ' -f1)" >> "$work/edit"
    sleep 0.3
  done
  echo "$scene strokes, a 2,000-move stroke (load $(load)):"
  printf '    CPU per move us: program %s  X %s%s\n' "$(field move_us0 < "$work/edit" | spread)" \
    "$(field move_us1 < "$work/edit" | spread)" \
    "${compositor:+  compositor $(field move_us2 < "$work/edit" | spread)}"
  printf '    release: quiet after %s ms; CPU ms program %s  X %s%s\n' "$(field release_ms < "$work/edit" | spread)" \
    "$(field release_cpu_ms0 < "$work/edit" | spread)" "$(field release_cpu_ms1 < "$work/edit" | spread)" \
    "${compositor:+  compositor $(field release_cpu_ms2 < "$work/edit" | spread)}"
  printf '    undo: pixels after %s ms (all of them %s), quiet after %s ms; CPU ms program %s  X %s%s\n' \
    "$(field undo_pixels_ms < "$work/edit" | spread)" "$(field undo_all_pixels_ms < "$work/edit" | spread)" \
    "$(field undo_ms < "$work/edit" | spread)" \
    "$(field undo_cpu_ms0 < "$work/edit" | spread)" "$(field undo_cpu_ms1 < "$work/edit" | spread)" \
    "${compositor:+  compositor $(field undo_cpu_ms2 < "$work/edit" | spread)}"
  echo "    stroke pixels painted before the undo: $(field painted < "$work/edit" | tr '\n' ' ')"
  echo "    program threads: $(ls /proc/$ovk/task | wc -l)"
done
import -window root "$work/strokes.png" 2>/dev/null && cp "$work/strokes.png" /tmp/stroke_growth_last.png
kill $ovk; wait $ovk 2>/dev/null
