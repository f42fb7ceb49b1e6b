#!/usr/bin/env bash
# Overink beside gromit-mpx, under the same input sent through XTest at
# precise times (bench/tools/pointer_bench.cpp), in a private X session
# with a compositor and in one without, one after the other:
#
#   bench/shell_vs_gromit.sh [build-dir] [--compositor | --no-compositor]
#
# (build-dir defaults to ./build, configured with -DOVERINK_BENCH=ON;
# gromit-mpx comes with scripts/install-deps bench). A session option runs
# that session only. OVERINK_BENCH_RUNS (default 5) and OVERINK_BENCH_SCENES
# (default "0 200 2000 20000") shorten a run; OVERINK_BENCH_ENV adds
# environment to the program's.
#
# Both draw with a red pen 11 pixels wide. gromit-mpx is measured on its
# second launch in the session (the first maps GL libraries the later ones
# do not). For every scene of N placed strokes (drawn at about 70 strokes a
# second, 12 moves each, in a strip on the right; the scene starts from a
# cleared screen):
#  - placing: CPU per stroke of the program and the X server over the last
#    nine tenths of the strokes, and the lag, how long after the last
#    release the program was still busy;
#  - memory, PSS and RSS;
#  - a stroke of 2,000 moves 4 ms apart (250 a second, the button held,
#    a zigzag: a skipped move leaves its peak empty): CPU per move of the
#    program, the X server and the compositor, and how many moves show;
#  - in place, from the user's input to the pixels changing: the release
#    of that stroke (a click right after it, to its dot), its undo (the
#    key), and at the end of the scene the clear (the toolbar's button;
#    gromit-mpx's key);
#  - input-to-pixel latency along a line, 16 pixels a move: sparse moves
#    (50 ms apart), paced ones open loop (4 ms apart, whatever is shown) and
#    closed loop (each move waits until the last one shows, and 4 ms).
# Also idle CPU with the overlay shown, and start-up to the tray icon.
# Figures are the median [min-max] of the runs with the load average, as
# the machine may be busy with other work.
set -u
build=$(cd "${1:-build}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
if [ -z "${OVERINK_BENCH_SESSION:-}" ]; then
  case "${2:-}" in
    --compositor) sessions=(compositor) ;;
    --no-compositor) sessions=(none) ;;
    "") sessions=(compositor none) ;;
    *) echo "usage: $0 [build-dir] [--compositor | --no-compositor]" >&2; exit 2 ;;
  esac
  for s in "${sessions[@]}"; do
    if [ "$s" = compositor ]; then
      echo "=== session with a compositor (xcompmgr), $(date -Is)"
      OVERINK_BENCH_SESSION=1 "$here/../scripts/x11-session" -- "$0" "$build"
    else
      echo "=== session without a compositor, $(date -Is)"
      OVERINK_BENCH_SESSION=1 "$here/../scripts/x11-session" --no-compositor -- "$0" "$build"
    fi
  done
  exit
fi
command -v gromit-mpx >/dev/null || { echo "gromit-mpx is missing (scripts/install-deps bench)"; exit 1; }
overink=$build/src/overink
tool=$build/bench/pointer_bench
runs=${OVERINK_BENCH_RUNS:-5}
scenes=${OVERINK_BENCH_SCENES:-0 200 2000 20000}
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
# "PSS x MB, RSS y MB" of a process.
memory() {
  local pss rss
  pss=$(awk '/^Pss:/ { printf "%.1f", $2 / 1024 }' /proc/"$1"/smaps_rollup)
  rss=$(awk '/VmRSS/ { printf "%.1f", $2 / 1024 }' /proc/"$1"/status)
  echo "PSS $pss MB, RSS $rss MB"
}
load() { cut -d' ' -f1-3 /proc/loadavg; }
# "median [min-max]" of the numbers on standard input; negative ones (a
# change never seen) are counted apart.
spread() { sort -g | awk '$1 < 0 { lost++; next } { v[++n] = $1 } END { if (n == 0) { print "-"; exit }
  m = n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2
  printf "%.1f [%.1f-%.1f]", m, v[1], v[n]; if (lost) printf " (%d never)", lost }'; }
field() { sed -n "s/.*\\<$1=\\([^ ]*\\).*/\\1/p"; }
cpu_total() { awk '{ s = 0; for (i = 1; i <= NF; ++i) if ($i ~ /^cpu[0-9]=/) { split($i, a, "="); s += a[2] } print s }'; }

# Layout on the 1920x1080 screen: the measured strokes on the left (undone
# after each run), the scenes' strokes in a strip on the right, the click
# that times a release between the two, far enough from both that it is
# not taken for a click on a stroke.
drag_area="40 70 1360"
scene_box="1470 60 430 980"
probe="1431 500"
lat_x=60; lat_y=110

# Keysyms: z, Control_L, Shift_L, F8, F9.
undo() { # name probe-x probe-y
  if [ "$1" = gromit ]; then "$tool" key 0xffc5 0 "$2" "$3"; else "$tool" key 0x7a 0xffe3 "$2" "$3"; fi
}
clear_all() { # name pid probe-x probe-y
  if [ "$1" = gromit ]; then "$tool" key 0xffc6 0xffe1 "$3" "$4"; return; fi
  # The toolbar's clear button is its rightmost red control while there
  # are strokes.
  local w X Y WIDTH HEIGHT SCREEN WINDOW x
  for w in $(xdotool search --onlyvisible --pid "$2" 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$w")"
    [ "$HEIGHT" -eq 36 ] && [ "$WIDTH" -gt 600 ] && break
  done
  x=$("$tool" red "$X" $((Y + 18)) "$WIDTH") || { echo "ms=-1"; return; }
  "$tool" click "$x" $((Y + 18)) "$3" "$4"
}

drawn=0
scene_pixel=
grow_scene() { # pid target seed
  local n=$(( $2 - drawn )) out
  [ $n -gt 0 ] || return
  out=$("$tool" scene $n 12 $scene_box 750 "$3" $1 $xserver)
  scene_pixel=$(echo "$out" | field pixel | tr , ' ')
  drawn=$2
  echo "$out"
}

measure() { # name pid
  local name=$1 pid=$2 scene r out place first
  local pids="$pid $xserver ${compositor:-}"
  for scene in $scenes; do
    : > "$work/drag"; : > "$work/undo"; : > "$work/sparse"; : > "$work/paced"; : > "$work/closed"
    first=$((scene / 10))
    grow_scene "$pid" "$first" 1 >/dev/null
    place=$(grow_scene "$pid" "$scene" $((first + 1)))
    mem=$(memory "$pid")
    for r in $(seq "$runs"); do
      out=$("$tool" drag $drag_area 2000 4000 $probe $pids)
      echo "$out $(load)" >> "$work/drag"
      # The release's dot goes first, then the stroke, timed.
      undo "$name" $probe >/dev/null
      set -- $(echo "$out" | field pixel | tr , ' ')
      undo "$name" "$1" "$2" | field ms >> "$work/undo"
    done
    for r in $(seq "$runs"); do
      "$tool" latency $lat_x $lat_y 16 40 50000 >> "$work/sparse"; undo "$name" $((lat_x + 16)) $lat_y >/dev/null
      "$tool" latency $lat_x $((lat_y + 40)) 14 90 4000 >> "$work/paced"; undo "$name" $((lat_x + 14)) $((lat_y + 40)) >/dev/null
      "$tool" latency $lat_x $((lat_y + 80)) 14 90 4000 closed >> "$work/closed"; undo "$name" $((lat_x + 14)) $((lat_y + 80)) >/dev/null
    done
    printf '%-8s %5s strokes  %s  load %s\n' "$name" "$scene" "$mem" "$(load)"
    if [ -n "$place" ]; then
      printf '    placing: %s ms program, %s ms X a stroke, at %s a second; lag %s s\n' \
        "$(echo "$place" | field cpu0)" "$(echo "$place" | field cpu1)" "$(echo "$place" | field rate)" \
        "$(echo "$place" | field lag)"
    fi
    printf '    CPU/move us: program %s  X %s  compositor %s  total %s\n' \
      "$(field cpu0 < "$work/drag" | spread)" "$(field cpu1 < "$work/drag" | spread)" \
      "$(field cpu2 < "$work/drag" | spread)" "$(cpu_total < "$work/drag" | spread)"
    printf '    moves shown: %s of %s   sent at %s per second\n' "$(field shown < "$work/drag" | spread)" \
      "$(field checked < "$work/drag" | head -1)" "$(field rate < "$work/drag" | spread)"
    printf '    in place, ms: release %s (program CPU %s)  undo %s\n' \
      "$(field release < "$work/drag" | spread)" "$(field releasecpu < "$work/drag" | spread)" \
      "$(spread < "$work/undo")"
    printf '    latency ms: sparse p50 %s p99 %s\n' "$(field p50 < "$work/sparse" | spread)" "$(field p99 < "$work/sparse" | spread)"
    printf '                paced open loop p50 %s p99 %s   closed loop p50 %s p99 %s  (lost %s/%s/%s)\n' \
      "$(field p50 < "$work/paced" | spread)" "$(field p99 < "$work/paced" | spread)" \
      "$(field p50 < "$work/closed" | spread)" "$(field p99 < "$work/closed" | spread)" \
      "$(field lost < "$work/sparse" | paste -sd+ | bc)" "$(field lost < "$work/paced" | paste -sd+ | bc)" \
      "$(field lost < "$work/closed" | paste -sd+ | bc)"
    # The scene goes; the next one starts from a clear screen.
    if [ "$drawn" -gt 0 ]; then
      printf '    clear: %s ms\n' "$(clear_all "$name" "$pid" $scene_pixel | field ms)"
      drawn=0
    fi
  done
}

idle() { # name pid
  local p0 x0 p1 x1
  p0=$(cpu_ns "$2"); x0=$(cpu_ns "$xserver")
  sleep 10
  p1=$(cpu_ns "$2"); x1=$(cpu_ns "$xserver")
  awk -v n="$1" -v p=$((p1 - p0)) -v x=$((x1 - x0)) -v l="$(load)" 'BEGIN {
    printf "%-8s idle, overlay shown: program %.2f ms/s  X server %.2f ms/s  (load %s)\n", n, p / 1e7, x / 1e7, l }'
}

echo "== $runs runs a scene; load $(load)"
# gromit-mpx, active (it takes the pointer), without its introduction, with
# a red pen as wide as ours.
ghome=$work/gromit; mkdir -p "$ghome/.config"
printf '[General]\nShowIntroOnStartup=false\n' > "$ghome/.config/gromit-mpx.ini"
printf '"red Pen" = PEN (size=11 color="red");\n"default" = "red Pen";\n' > "$ghome/.config/gromit-mpx.cfg"
start_gromit() {
  # Started directly so that $! is its own pid.
  HOME=$ghome XDG_CONFIG_HOME=$ghome/.config gromit-mpx -a >>"$work/gromit.log" 2>&1 &
  gromit=$!
  sleep 2
}
start_gromit
gromit_first=$(memory $gromit)
kill $gromit; wait $gromit 2>/dev/null
sleep 0.5
start_gromit
gromit_memory=$(memory $gromit)
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
overink_tray=$(memory $ovk)
xdotool mousemove $icon; sleep 0.2; xdotool click 1; sleep 1
overink_memory=$(memory $ovk)
idle overink $ovk
measure overink $ovk
kill $ovk; wait $ovk 2>/dev/null

echo "== memory, shown and nothing drawn: gromit-mpx $gromit_memory (its first launch: $gromit_first);" \
  "overink $overink_memory (tray icon only: $overink_tray)"
"$build/bench/stroke_memory" 10000 100 2>/dev/null | tail -1

echo "== start-up to the tray icon embedded (15 runs)"
echo "overink:    $("$build/bench/tray_probe" 15 "$overink" 2>/dev/null | tail -1)"
echo "gromit-mpx: $("$build/bench/tray_probe" 15 sh -c 'mkdir -p "$HOME/.config"; printf "[General]\nShowIntroOnStartup=false\n" > "$HOME/.config/gromit-mpx.ini"; exec gromit-mpx' 2>/dev/null | tail -1)"
