#!/usr/bin/env bash
# What one stroke costs as the drawing grows, in the real program, in a
# private X session (bench/tools/stroke_probe.cpp sends the input):
#  - placing: the program's CPU per stroke while the scene grows, strokes of
#    STROKE_MOVES moves (30, of about 3 pixels each) STROKE_MOVE_US apart
#    (320 us: about 71 strokes a second), per block of strokes, and how far
#    behind the input it was at the end;
#  - at each scene size, a paced stroke of 2,000 moves (4 ms apart): CPU per
#    move of the program and the X server (and the compositor), then its
#    release and an undo (Ctrl+Z): wall time until all of them are quiet,
#    their CPU meanwhile, and the undo's time from the key to the stroke's
#    pixels gone;
#  - the program's thread count.
# Figures are the median [min-max] of the runs, with the load average.
#   bench/stroke_growth.sh <build-dir> [--no-compositor] [--callgrind]
# OVERINK_BENCH_RUNS (default 5), OVERINK_BENCH_SCENES (default "200 2000
# 20000"), STROKE_MOVES and STROKE_MOVE_US shorten a run; OVERINK_BIN runs
# another build of the program (for before and after).
#
# --callgrind (or STROKE_CALLGRIND=1) runs the program under callgrind,
# counting its instructions only from each release (and undo) until all
# went quiet: a figure of the program's own work that neither the machine's
# load nor the X server's and the compositor's share moves (their CPU is
# still shown, but under valgrind the program's is not its own). The counts
# at each scene, and the functions whose inclusive count grew most from the
# smallest scene to the largest, are printed; the dumps are kept in
# STROKE_CALLGRIND_DIR (default /tmp/stroke_growth_callgrind). Scenes are
# placed slower there (STROKE_MOVE_US 1000) for the slowed program to keep
# up: a stroke's moves are all its own. STROKE_CALLGRIND_ARGS adds options:
# "--cache-sim=yes" also counts the cache misses (the last level's shown).
set -u
here=$(cd "$(dirname "$0")" && pwd)
build=build session=()
for a in "$@"; do
  case "$a" in
    --no-compositor) session=(--no-compositor) ;;
    --callgrind) export STROKE_CALLGRIND=1 ;;
    -*) echo "usage: $0 <build-dir> [--no-compositor] [--callgrind]" >&2; exit 2 ;;
    *) build=$a ;;
  esac
done
build=$(cd "$build" && pwd)
if [ -z "${OVERINK_BENCH_SESSION:-}" ]; then
  OVERINK_BENCH_SESSION=1 exec "$here/../scripts/x11-session" "${session[@]}" -- "$0" "$build"
fi
overink=${OVERINK_BIN:-$build/src/overink}
probe=$build/bench/stroke_probe
runs=${OVERINK_BENCH_RUNS:-5}
scenes=${OVERINK_BENCH_SCENES:-200 2000 20000}
moves=${STROKE_MOVES:-30}
callgrind=${STROKE_CALLGRIND:-}
move_us=${STROKE_MOVE_US:-$([ -n "$callgrind" ] && echo 1000 || echo 320)}
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
launch=("$overink")
if [ -n "$callgrind" ]; then
  command -v valgrind >/dev/null || { echo "valgrind is missing (scripts/install-deps bench)"; exit 1; }
  cgdir=${STROKE_CALLGRIND_DIR:-/tmp/stroke_growth_callgrind}
  rm -rf "$cgdir"; mkdir -p "$cgdir"
  launch=(valgrind --tool=callgrind --instr-atstart=no --callgrind-out-file="$cgdir/all.out"
    ${STROKE_CALLGRIND_ARGS:-} "$overink")
fi
env HOME=$ohome XDG_CONFIG_HOME=$ohome/.config XDG_DATA_HOME=$ohome/.local/share "${launch[@]}" >"$work/overink.log" 2>&1 &
ovk=$!
icon=
for _ in $(seq 1200); do
  for w in $(xdotool search --pid $ovk 2>/dev/null); do
    if xprop -id "$w" _XEMBED_INFO 2>/dev/null | grep -q '='; then
      eval "$(xdotool getwindowgeometry --shell "$w")"; icon="$((X + WIDTH / 2)) $((Y + HEIGHT / 2))"
    fi
  done
  [ -n "$icon" ] && break; sleep 0.05
done
[ -n "$icon" ] || { echo "overink showed no tray icon"; cat "$work/overink.log"; exit 1; }
sleep 1
# The tray icon shows the overlay with the pen selected: the toolbar (36
# pixels high) shows then. A slowed program may miss a click that comes too
# early; it gets another.
toolbar_shown() {
  local w X Y WIDTH HEIGHT SCREEN WINDOW
  for w in $(xdotool search --onlyvisible --pid $ovk 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$w")"
    [ "$HEIGHT" -eq 36 ] && [ "$WIDTH" -gt 600 ] && return 0
  done
  return 1
}
for attempt in 1 2 3; do
  xdotool mousemove $icon; sleep 0.2; xdotool click 1
  for _ in $(seq "$([ -n "$callgrind" ] && echo 120 || echo 20)"); do toolbar_shown && break 2; sleep 0.5; done
done
toolbar_shown || { echo "the overlay did not show"; cat "$work/overink.log"; exit 1; }
sleep 1

if [ -n "$callgrind" ]; then
  # Counting on from the input, each count dumped to a file named for the
  # scene, the run and the phase once all went quiet.
  cat > "$work/hook" <<HOOK
#!/usr/bin/env bash
case \$1 in
  release|undo) callgrind_control -i on $ovk >/dev/null 2>&1 && callgrind_control -z $ovk >/dev/null 2>&1 ;;
  *-done) callgrind_control -d $ovk >/dev/null 2>&1 && callgrind_control -i off $ovk >/dev/null 2>&1
    f=\$(ls -t "$cgdir"/all.out.* | head -1) && mv "\$f" "$cgdir/\$(cat "$work/tag").\${1%-done}.out" ;;
esac
HOOK
  chmod +x "$work/hook"
  export STROKE_PROBE_HOOK=$work/hook
fi
# The program's instructions in a dump.
instructions() { sed -n 's/^summary: *\([0-9]*\).*/\1/p' "$1"; }
# Its last-level cache misses (instructions and data), when simulated.
misses() { awk '/^events:/ { for (i = 2; i <= NF; ++i) e[i] = $i }
  /^summary:/ { for (i = 2; i <= NF; ++i) if (e[i] ~ /^(ILmr|DLmr|DLmw)$/) { s += $i; found = 1 } }
  END { if (found) print s }' "$1"; }

echo "== $runs runs a scene; $([ -n "$compositor" ] && echo "with a compositor" || echo "no compositor")$([ -n "$callgrind" ] && echo ", the program under callgrind"); load $(load)"
pids="$ovk $xserver ${compositor:-}"
drawn=0
for scene in $scenes; do
  n=$((scene - drawn))
  if [ $n -gt 0 ]; then
    block=$(( n < 1000 ? n : 1000 ))
    "$probe" scene $n "$moves" 1470 60 430 980 "$move_us" $((drawn + 1)) $block $ovk > "$work/scene"
    drawn=$scene
    echo "placing strokes up to $scene (load $(load)): ms of program CPU per stroke"
    sed -n 's/^strokes=\([^ ]*\) cpu_ms_per_stroke=\(.*\)/    \1: \2/p' "$work/scene" | tail -3
    sed -n 's/^sent_per_s=\([^ ]*\) lag_ms=\(.*\)/    sent at \1 a second, quiet \2 ms after the last release/p' "$work/scene"
  fi
  : > "$work/edit"
  for r in $(seq "$runs"); do
    echo "$scene.$r" > "$work/tag"
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
  if [ -n "$callgrind" ]; then
    for phase in release undo; do
      printf '    %s: program instructions, millions: %s\n' "$phase" \
        "$(for f in "$cgdir/$scene".*."$phase".out; do instructions "$f"; done | awk '{ print $1 / 1e6 }' | spread)"
      missed=$(for f in "$cgdir/$scene".*."$phase".out; do misses "$f"; done)
      [ -n "$missed" ] && printf '    %s: program last-level cache misses, thousands: %s\n' "$phase" \
        "$(echo "$missed" | awk '{ print $1 / 1e3 }' | spread)"
    done
  fi
  echo "    stroke pixels painted before the undo: $(field painted < "$work/edit" | tr '\n' ' ')"
  echo "    program threads: $(ls /proc/$ovk/task | wc -l)"
done
import -window root "$work/strokes.png" 2>/dev/null && cp "$work/strokes.png" /tmp/stroke_growth_last.png
kill $ovk; wait $ovk 2>/dev/null

if [ -n "$callgrind" ]; then
  set -- $scenes
  first=$1 last=${!#}
  echo "== the release's instructions by function (millions, median of the runs), those that grew most from $first to $last strokes"
  for f in "$cgdir"/*.release.out; do
    for inclusive in no yes; do
      callgrind_annotate --inclusive=$inclusive --show=Ir --threshold=100 --show-percs=no --auto=no "$f" 2>/dev/null |
        awk -v tag="$(basename "$f" .release.out)" -v kind=$inclusive '$1 ~ /^[0-9,]+$/ && NF >= 2 {
          n = $1; gsub(",", "", n); $1 = ""; sub(/^ /, ""); print kind "\t" tag "\t" n "\t" $0 }'
    done
  done > "$work/functions"
  python3 - "$work/functions" $scenes <<'PY'
import collections, re, statistics, sys
scenes = sys.argv[2:]
rows = {k: collections.defaultdict(lambda: collections.defaultdict(list)) for k in ("no", "yes")}
runs = collections.defaultdict(set)
for line in open(sys.argv[1]):
    kind, tag, count, name = line.rstrip("\n").split("\t", 3)
    scene = tag.split(".")[0]
    runs[scene].add(tag)
    rows[kind][re.sub(r"^\?\?\?:", "", name)][scene].append(int(count))
def median(kind, name, scene):
    v = rows[kind][name][scene]
    v = v + [0] * (len(runs[scene]) - len(v))
    return statistics.median(v) / 1e6 if v else 0.0
first, last = scenes[0], scenes[-1]
def show(title, kind, keep, count):
    names = [n for n in rows[kind] if keep(n) and n != "PROGRAM TOTALS"]
    grown = sorted(names, key=lambda n: median(kind, n, last) - median(kind, n, first), reverse=True)[:count]
    print(f"  {title}")
    print("    " + "".join(f"{s:>9}" for s in scenes) + "  function")
    for n in grown:
        print("    " + "".join(f"{median(kind, n, s):9.3f}" for s in scenes) + "  " + n[:120])
show("its own instructions (where the work is):", "no", lambda n: True, 12)
show("with what it calls, the program's own functions (the path to it):", "yes", lambda n: "/src/overink]" in n, 12)
PY
  echo "   (dumps in $cgdir: callgrind_annotate --inclusive=yes <file>)"
fi
