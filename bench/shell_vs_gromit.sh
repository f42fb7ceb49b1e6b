#!/usr/bin/env bash
# Overink beside gromit-mpx in one private X session, under the same
# scripted input:
#  - CPU per pointer event (program, X server, compositor) over 2,000
#    absolute pointer moves 4 ms apart, with 0 and with 200 strokes drawn,
#    the overlay taking the pointer (overink: the pen; gromit-mpx: active);
#  - start-up to the tray icon being embedded (median of 15);
#  - resident memory: idle, overlays shown, and what 10,000 committed pen
#    strokes of 100 points add.
#   bench/shell_vs_gromit.sh <build-dir>
set -u
build=$(cd "${1:-build}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
if [ -z "${OVERINK_BENCH_SESSION:-}" ]; then
  OVERINK_BENCH_SESSION=1 exec "$here/../scripts/x11-session" "$0" "$build"
fi
command -v gromit-mpx >/dev/null || { echo "gromit-mpx is missing (scripts/install-deps bench)"; exit 1; }
overink=$build/src/overink
xserver=$(echo "$OVERINK_X11_SESSION_PIDS" | cut -d' ' -f1)
compositor=
for p in $OVERINK_X11_SESSION_PIDS; do [ "$(cat /proc/$p/comm 2>/dev/null)" = xcompmgr ] && compositor=$p; done
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$work"' EXIT

# CPU time of a process and all its threads, in nanoseconds.
cpu_ns() {
  local t sum=0
  for t in /proc/"$1"/task/*/schedstat; do
    read -r run _ < "$t" 2>/dev/null && sum=$((sum + run))
  done
  echo $sum
}
rss_mb() { awk '/VmRSS/ { printf "%.1f", $2 / 1024 }' /proc/"$1"/status; }

# 2,000 absolute moves 4 ms apart along a loop in the middle of the screen.
moves=()
for i in $(seq 0 1999); do
  x=$(awk -v i="$i" 'BEGIN { printf "%d", 960 + 500 * cos(i / 60) }')
  y=$(awk -v i="$i" 'BEGIN { printf "%d", 560 + 300 * sin(i / 45) }')
  moves+=(mousemove "$x" "$y" sleep 0.004)
done
# 200 strokes of 12 samples each, on a grid.
strokes=()
for i in $(seq 0 199); do
  x0=$((120 + (i % 20) * 85)); y0=$((120 + (i / 20) * 85))
  strokes+=(mousemove "$x0" "$y0" sleep 0.03 mousedown 1 sleep 0.01)
  for k in $(seq 1 12); do strokes+=(mousemove $((x0 + k * 5)) $((y0 + (k % 3) * 6)) sleep 0.005); done
  strokes+=(mouseup 1 sleep 0.02)
done

# CPU of the program, the X server and the compositor over the 2,000 moves,
# per move; the median of three passes (other work on the machine adds noise).
measure() { # name pid
  local name=$1 pid=$2 rep p0 x0 c0 p1 x1 c1 lines=()
  for rep in 1 2 3; do
    xdotool mousemove 960 560; sleep 0.5
    p0=$(cpu_ns "$pid"); x0=$(cpu_ns "$xserver"); c0=$(cpu_ns "${compositor:-$xserver}")
    xdotool "${moves[@]}"
    sleep 0.2
    p1=$(cpu_ns "$pid"); x1=$(cpu_ns "$xserver"); c1=$(cpu_ns "${compositor:-$xserver}")
    lines+=("$(( (p1 - p0) / 2000 )) $(( (x1 - x0) / 2000 )) $(( (c1 - c0) / 2000 ))")
  done
  median() { printf '%s\n' "${lines[@]}" | cut -d' ' -f"$1" | sort -n | sed -n 2p; }
  awk -v n="$name" -v p="$(median 1)" -v x="$(median 2)" -v c="$(median 3)" 'BEGIN {
    printf "%-26s program %6.1f us  X server %6.1f us  program+X %6.1f us  compositor %6.1f us\n",
      n, p / 1000, x / 1000, (p + x) / 1000, c / 1000 }'
}

echo "== CPU per pointer event, 2000 moves 4 ms apart (median of 3 passes)"
# gromit-mpx, active (it takes the pointer), without its introduction.
ghome=$work/gromit; mkdir -p "$ghome/.config"
printf '[General]\nShowIntroOnStartup=false\n' > "$ghome/.config/gromit-mpx.ini"
HOME=$ghome XDG_CONFIG_HOME=$ghome/.config gromit-mpx -a >"$work/gromit.log" 2>&1 &
gromit=$!
sleep 2
measure "gromit-mpx, 0 strokes" $gromit
xdotool "${strokes[@]}"; sleep 1
measure "gromit-mpx, 200 strokes" $gromit
gromit_idle=$(rss_mb $gromit)
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
overink_idle=$(rss_mb $ovk)
xdotool mousemove $icon; sleep 0.2; xdotool click 1; sleep 1
overink_shown=$(rss_mb $ovk)
measure "overink, 0 strokes" $ovk
xdotool "${strokes[@]}"; sleep 1
import -window root "$work/overink-strokes.png" 2>/dev/null
measure "overink, 200 strokes" $ovk
overink_drawn=$(rss_mb $ovk)
kill $ovk; wait $ovk 2>/dev/null

echo "== start-up to the tray icon embedded (15 runs)"
echo "overink:    $("$build/bench/tray_probe" 15 "$overink" | tail -1)"
echo "gromit-mpx: $("$build/bench/tray_probe" 15 sh -c 'mkdir -p "$HOME/.config"; printf "[General]\nShowIntroOnStartup=false\n" > "$HOME/.config/gromit-mpx.ini"; exec gromit-mpx' 2>/dev/null | tail -1)"

echo "== resident memory"
echo "overink idle (tray icon only):            $overink_idle MB"
echo "overink, overlay shown on 1920x1080:      $overink_shown MB"
echo "overink, overlay shown, 200 strokes drawn: $overink_drawn MB"
echo "gromit-mpx active, 200 strokes drawn:      $gromit_idle MB"
"$build/bench/stroke_memory" 10000 100 | tail -1
