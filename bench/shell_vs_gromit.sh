#!/usr/bin/env bash
# Overink beside gromit-mpx, under the same input sent through XTest at
# precise times (bench/tools/pointer_bench.cpp), in a private X session
# with a compositor and in one without, one after the other:
#
#   bench/shell_vs_gromit.sh [build-dir] [--compositor | --no-compositor] [--cpu-per-move]
#
# (build-dir defaults to ./build, configured with -DOVERINK_BENCH=ON;
# gromit-mpx comes with scripts/install-deps bench). A session option runs
# that session only. OVERINK_BENCH_RUNS (default 5) and OVERINK_BENCH_SCENES
# (default "0 200 2000 20000") shorten a run; OVERINK_BENCH_ENV adds
# environment to the program's. --cpu-per-move (or OVERINK_BENCH_CPU_PER_MOVE=1)
# measures only the paced stroke on an empty screen (CPU per move, moves
# shown, release): a few minutes for both sessions.
#
# Each run launches both programs, one after the other, the order flipped
# every run, so that a change of the machine's load between them biases
# neither; within a launch every scene is measured once, after a first
# stroke and its undo that are not. Both draw with a
# red pen 11 pixels wide. gromit-mpx's first launch in the session is for
# its memory only (it maps GL libraries the later ones do not). For every
# scene of N placed strokes (drawn at about 70 strokes a second, 30 moves
# of about 3 pixels each, 0.32 ms apart, in a strip on the right; the scene
# starts from a cleared screen):
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
#  - input-to-pixel latency along rows, 14 pixels a move: sparse moves
#    (50 ms apart, 50 a run), paced ones open loop (4 ms apart, whatever is
#    shown, 270 a run) and closed loop (each move waits until the last one
#    shows, and 4 ms; 270 a run). p50 is the median [min-max] of the runs'
#    medians; p99 is taken over all the runs' latencies together (how many
#    is said), and called max when there are fewer than 100.
# Also idle CPU with the overlay shown, and start-up to the tray icon (3
# launches each a run, alternating too).
# Figures are the median [min-max] of the runs with the 1-minute load
# average over them, as the machine may be busy with other work.
set -u
here=$(cd "$(dirname "$0")" && pwd)
build=build session=
for a in "$@"; do
  case "$a" in
    --compositor) session=compositor ;;
    --no-compositor) session=none ;;
    --cpu-per-move) export OVERINK_BENCH_CPU_PER_MOVE=1 ;;
    -*) echo "usage: $0 [build-dir] [--compositor | --no-compositor] [--cpu-per-move]" >&2; exit 2 ;;
    *) build=$a ;;
  esac
done
build=$(cd "$build" && pwd)
if [ -z "${OVERINK_BENCH_SESSION:-}" ]; then
  if [ -n "$session" ]; then sessions=("$session"); else sessions=(compositor none); fi
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
cpu_only=${OVERINK_BENCH_CPU_PER_MOVE:-}
[ -n "$cpu_only" ] && scenes=0
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
# "pss=x rss=y" (MB) of a process.
memory() {
  echo "pss=$(awk '/^Pss:/ { printf "%.1f", $2 / 1024 }' /proc/"$1"/smaps_rollup)" \
    "rss=$(awk '/VmRSS/ { printf "%.1f", $2 / 1024 }' /proc/"$1"/status)"
}
# "PSS x MB, RSS y MB" of the records in a file, over the runs.
memory_of() { echo "PSS $(field pss < "$1" | spread) MB, RSS $(field rss < "$1" | spread) MB"; }
load() { cut -d' ' -f1-3 /proc/loadavg; }
load1() { cut -d' ' -f1 /proc/loadavg; }
# "median [min-max]" of the numbers on standard input; negative ones (a
# change never seen) are counted apart.
spread() { sort -g | awk '$1 < 0 { lost++; next } { v[++n] = $1 } END { if (n == 0) { print "-"; exit }
  m = n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2
  printf "%.1f [%.1f-%.1f]", m, v[1], v[n]; if (lost) printf " (%d never)", lost }'; }
field() { sed -n "s/.*\\<$1=\\([^ ]*\\).*/\\1/p"; }
cpu_total() { awk '{ s = 0; for (i = 1; i <= NF; ++i) if ($i ~ /^cpu[0-9]=/) { split($i, a, "="); s += a[2] } print s }'; }
# "p99 x (of n)" over every latency of a file's runs; "max" below 100 of them,
# where the 99th percentile would be the largest.
pooled_p99() {
  field ms < "$1" | tr ',' '\n' | sed '/^$/d' | sort -g | awk '{ v[++n] = $1 } END { if (n == 0) { print "p99 -"; exit }
    if (n < 100) { printf "max %.1f (of %d)", v[n], n; exit }
    i = int(0.99 * n); if (i < 0.99 * n) i++; printf "p99 %.1f (of %d)", v[i], n }'
}
lost_of() { field lost < "$1" | paste -sd+ | bc; }

# Layout on the 1920x1080 screen: the measured strokes on the left (undone
# after each run), the scenes' strokes in a strip on the right, the click
# that times a release between the two, far enough from both that it is
# not taken for a click on a stroke.
drag_area="40 70 1360"
scene_box="1470 60 430 980"
probe="1431 500"
# The latency strokes: rows 1,260 pixels wide and 30 apart (90 moves a row),
# one band for each kind.
lat_x=60; lat_w=1260; lat_dx=14
sparse_y=110; paced_y=150; closed_y=250

# Keysyms: z, Control_L, Shift_L, F8, F9.
undo() { # name probe-x probe-y
  if [ "$1" = gromit ]; then "$tool" key 0xffc5 0 "$2" "$3"; else "$tool" key 0x7a 0xffe3 "$2" "$3"; fi
}
clear_all() { # name pid probe-x probe-y
  if [ "$1" = gromit ]; then "$tool" key 0xffc6 0xffe1 "$3" "$4"; return; fi
  # The toolbar's clear button is its rightmost red control while there
  # are strokes.
  local bar x
  bar=($(toolbar_of "$2")) || { echo "ms=-1"; return; }
  x=$("$tool" red "${bar[0]}" $((bar[1] + 18)) "${bar[2]}") || { echo "ms=-1"; return; }
  "$tool" click "$x" $((bar[1] + 18)) "$3" "$4"
}

drawn=0
scene_pixel=
grow_scene() { # pid target seed
  local n=$(( $2 - drawn )) out
  [ $n -gt 0 ] || return
  out=$("$tool" scene $n 30 $scene_box 320 "$3" $1 $xserver)
  scene_pixel=$(echo "$out" | field pixel | tr , ' ')
  drawn=$2
  echo "$out"
}

# One run of every scene on a launched program; the records go to files
# named after the program and the scene, one line a run.
measure() { # name pid
  local name=$1 pid=$2 scene out place first f
  local pids="$pid $xserver ${compositor:-}"
  drawn=0
  for scene in $scenes; do
    f=$work/$name.$scene
    first=$((scene / 10))
    grow_scene "$pid" "$first" 1 >/dev/null
    place=$(grow_scene "$pid" "$scene" $((first + 1)))
    [ -n "$place" ] && echo "$place" >> "$f.place"
    memory "$pid" >> "$f.memory"
    load1 >> "$f.load"
    out=$("$tool" drag $drag_area 2000 4000 $probe $pids)
    echo "$out" >> "$f.drag"
    # The release's dot goes first, then the stroke, timed.
    undo "$name" $probe >/dev/null
    set -- $(echo "$out" | field pixel | tr , ' ')
    undo "$name" "$1" "$2" | field ms >> "$f.undo"
    if [ -z "$cpu_only" ]; then
      "$tool" latency $lat_x $sparse_y $lat_w $lat_dx 50 50000 >> "$f.sparse"
      undo "$name" $((lat_x + lat_dx)) $sparse_y >/dev/null
      "$tool" latency $lat_x $paced_y $lat_w $lat_dx 270 4000 >> "$f.paced"
      undo "$name" $((lat_x + lat_dx)) $paced_y >/dev/null
      "$tool" latency $lat_x $closed_y $lat_w $lat_dx 270 4000 closed >> "$f.closed"
      undo "$name" $((lat_x + lat_dx)) $closed_y >/dev/null
    fi
    load1 >> "$f.load"
    # The scene goes; the next one starts from a clear screen.
    if [ "$drawn" -gt 0 ]; then
      clear_all "$name" "$pid" $scene_pixel | field ms >> "$f.clear"
      drawn=0
    fi
  done
}

report() { # name
  local name=$1 scene f
  for scene in $scenes; do
    f=$work/$name.$scene
    printf '%-8s %5s strokes  %s  load %s\n' "$name" "$scene" "$(memory_of "$f.memory")" "$(spread < "$f.load")"
    if [ -s "$f.place" ]; then
      printf '    placing: %s ms program, %s ms X a stroke, at %s a second; lag %s s\n' \
        "$(field cpu0 < "$f.place" | spread)" "$(field cpu1 < "$f.place" | spread)" \
        "$(field rate < "$f.place" | spread)" "$(field lag < "$f.place" | spread)"
    fi
    printf '    CPU/move us: program %s  X %s  compositor %s  total %s\n' \
      "$(field cpu0 < "$f.drag" | spread)" "$(field cpu1 < "$f.drag" | spread)" \
      "$(field cpu2 < "$f.drag" | spread)" "$(cpu_total < "$f.drag" | spread)"
    printf '    moves shown: %s of %s   sent at %s per second\n' "$(field shown < "$f.drag" | spread)" \
      "$(field checked < "$f.drag" | head -1)" "$(field rate < "$f.drag" | spread)"
    printf '    in place, ms: release %s (program CPU %s)  undo %s\n' \
      "$(field release < "$f.drag" | spread)" "$(field releasecpu < "$f.drag" | spread)" "$(spread < "$f.undo")"
    if [ -s "$f.sparse" ]; then
      printf '    latency ms: sparse p50 %s %s\n' "$(field p50 < "$f.sparse" | spread)" "$(pooled_p99 "$f.sparse")"
      printf '                paced open loop p50 %s %s   closed loop p50 %s %s  (lost %s/%s/%s)\n' \
        "$(field p50 < "$f.paced" | spread)" "$(pooled_p99 "$f.paced")" \
        "$(field p50 < "$f.closed" | spread)" "$(pooled_p99 "$f.closed")" \
        "$(lost_of "$f.sparse")" "$(lost_of "$f.paced")" "$(lost_of "$f.closed")"
    fi
    [ -s "$f.clear" ] && printf '    clear: %s ms\n' "$(spread < "$f.clear")"
  done
}

idle() { # name pid
  local p0 x0 p1 x1
  p0=$(cpu_ns "$2"); x0=$(cpu_ns "$xserver")
  sleep 10
  p1=$(cpu_ns "$2"); x1=$(cpu_ns "$xserver")
  echo "program=$(((p1 - p0) / 10000000)).$(((p1 - p0) / 100000 % 100)) x=$(((x1 - x0) / 10000000)).$(((x1 - x0) / 100000 % 100)) load=$(load1)" >> "$work/$1.idle"
}

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
# overink: the tray icon shows the overlay with the pen selected.
start_overink() {
  local ohome=$work/overink w X Y WIDTH HEIGHT SCREEN WINDOW icon=
  rm -rf "$ohome"
  env HOME=$ohome XDG_CONFIG_HOME=$ohome/.config XDG_DATA_HOME=$ohome/.local/share ${OVERINK_BENCH_ENV:-} \
    "$overink" >>"$work/overink.log" 2>&1 &
  ovk=$!
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
  memory $ovk >> "$work/overink.tray"
  # The toolbar (36 pixels high) shows with the overlay; a click that came
  # too early gets another.
  for _ in 1 2 3; do
    xdotool mousemove $icon; sleep 0.2; xdotool click 1
    for _ in $(seq 20); do toolbar_of $ovk >/dev/null && break 2; sleep 0.25; done
  done
  sleep 1
}
# "x y width" of a program's toolbar, when it shows.
toolbar_of() {
  local w X Y WIDTH HEIGHT SCREEN WINDOW
  for w in $(xdotool search --onlyvisible --pid "$1" 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$w")"
    [ "$HEIGHT" -eq 36 ] && [ "$WIDTH" -gt 600 ] && { echo "$X $Y $WIDTH"; return 0; }
  done
  return 1
}
stop() { kill "$1"; wait "$1" 2>/dev/null; sleep 0.5; }

# A first stroke and its undo after a launch, unmeasured, so that the
# figures are of a program that has drawn before, as a single launch's
# later runs were.
warm_up() { # name
  "$tool" latency $lat_x $sparse_y $lat_w $lat_dx 90 4000 >/dev/null
  undo "$1" $((lat_x + lat_dx)) $sparse_y >/dev/null
  sleep 0.5
}
run_gromit() {
  start_gromit
  memory $gromit >> "$work/gromit.shown"
  [ -z "$cpu_only" ] && idle gromit $gromit
  warm_up gromit
  measure gromit $gromit
  stop $gromit
}
run_overink() {
  start_overink
  memory $ovk >> "$work/overink.shown"
  [ -z "$cpu_only" ] && idle overink $ovk
  warm_up overink
  measure overink $ovk
  stop $ovk
}
startup() { # name
  if [ "$1" = gromit ]; then
    "$build/bench/tray_probe" 3 sh -c 'mkdir -p "$HOME/.config"; printf "[General]\nShowIntroOnStartup=false\n" > "$HOME/.config/gromit-mpx.ini"; exec gromit-mpx' 2>/dev/null
  else
    "$build/bench/tray_probe" 3 "$overink" 2>/dev/null
  fi | sed -n 's/^run [0-9]*: \([0-9.]*\) ms/\1/p' >> "$work/$1.startup"
}

echo "== $runs runs, the programs alternating, the order flipped each run; load $(load)"
[ -n "$cpu_only" ] && echo "   (CPU per move only: a paced stroke on an empty screen)"
start_gromit
memory $gromit > "$work/gromit.first"
stop $gromit
for r in $(seq "$runs"); do
  if [ $((r % 2)) -eq 1 ]; then order="overink gromit"; else order="gromit overink"; fi
  for name in $order; do "run_$name"; done
  if [ -z "$cpu_only" ]; then for name in $order; do startup "$name"; done; fi
  echo "   run $r ($order) done, load $(load)"
done

if [ -z "$cpu_only" ]; then
  for name in gromit overink; do
    printf '%-8s idle, overlay shown: program %s ms/s  X server %s ms/s  (load %s)\n' "$name" \
      "$(field program < "$work/$name.idle" | spread)" "$(field x < "$work/$name.idle" | spread)" \
      "$(field load < "$work/$name.idle" | spread)"
  done
fi
report gromit
report overink
[ -n "$cpu_only" ] && exit 0

echo "== memory, shown and nothing drawn: gromit-mpx $(memory_of "$work/gromit.shown") (its first launch:" \
  "$(memory_of "$work/gromit.first"));" \
  "overink $(memory_of "$work/overink.shown") (tray icon only: $(memory_of "$work/overink.tray"))"
"$build/bench/stroke_memory" 10000 100 2>/dev/null | tail -1

echo "== start-up to the tray icon embedded ($((3 * runs)) launches each, alternating; load $(load))"
echo "overink:    $(spread < "$work/overink.startup") ms"
echo "gromit-mpx: $(spread < "$work/gromit.startup") ms"
