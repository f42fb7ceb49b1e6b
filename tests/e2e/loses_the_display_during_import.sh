#!/usr/bin/env bash
# The X server killed, or ended as at logout, at a random moment of a large
# brush import, a tool chosen just before: the program exits with status 1
# (it used to crash in the teardown about half of the time), leaving after
# the server's end only one line of Qt's about the connection and one of its
# own at most; the index decodes, every record's images are there and no
# image lacks a record (before any start tidies the store, but for the brush
# being written by work that outlived the grace); the preferences hold the
# tool (it used to be lost). Each run has an X session of its own, whose
# server it ends; odd runs kill it, even ones send it SIGTERM.
#   loses_the_display_during_import.sh <overink> [RUNS]   (3 runs by default)
# OVERINK_BRUSH_STORE_CHECK: the store checker; OVERINK_E2E_OUTPUT: where
# each run's log and shots are kept.
# x11-session: --no-compositor --no-tray --no-wm
set -u
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
overink=$1

if [ -z "${OVERINK_LOSS_RUN:-}" ]; then
  runs=${2:-3}
  for run in $(seq "$runs"); do
    OVERINK_LOSS_RUN=$run "$here/../../scripts/x11-session" -- "$here/$(basename "${BASH_SOURCE[0]}")" "$overink" ||
      { echo "FAIL: run $run of $runs" >&2; exit 1; }
  done
  echo "ok: $runs runs, each ending its X server during the import"
  exit 0
fi

. "$here/lib.sh"
run=$OVERINK_LOSS_RUN
e2e_begin "loses_the_display_during_import/run$run"
server=${OVERINK_X11_SESSION_PIDS%% *}
signal=KILL
[ $((run % 2)) -eq 0 ] && signal=TERM

sources=$(mktemp -d)
homes+=("$sources")
pipe=$sources/slow.gih
slow_pipe "$pipe"
store() { echo "$home/.local/share/Overink/gimp-brushes"; }
# The image names the index records, a line each.
names() { tr ',' '\n' <"$(store)/brushes.json" 2>/dev/null | grep -oE '[0-9A-F-]{36}_([0-9]+|thumb)\.png'; echo none; }
# Cells of a brush no record names yet: the import is writing.
writing() { [ -n "$(cd "$(store)" 2>/dev/null && ls | grep -E '_[0-9]+\.png$' | grep -vxFf <(names) | head -1)" ]; }
alive() { kill -0 "$pid" 2>/dev/null; }
dead() { ! alive; }

start_overink
pid=${pids[-1]}
show_toolbar "$pid"
toolbar_id=$(answer_of 5 toolbar "$pid") || fail "no toolbar"
toolbar_id=${toolbar_id%% *}
mid_y=$((TY + TH / 2))
import_files "$pid" "$(store)" "$pipe" "$pipe" "$pipe" "$pipe"
wait_until 20 writing || fail "the import wrote no cell"
# A click on the toolbar's edge closes the brush panel, so that the next
# click chooses a tool.
click_at $((TX + 4)) "$mid_y"
wait_until 5 no_brush_panel "$pid" || fail "the brush panel stayed open"

# A random moment of the import; then the line tool, seen chosen once the pen
# (chosen at start) no longer looks so.
moment=$((RANDOM % 300))
moment=$((moment / 100)).$((moment / 10 % 10))$((moment % 10))
pace "$moment"
pen_look() { import -window "$toolbar_id" -crop 36x28+117+4 +repage "$out/$1.png" 2>/dev/null; }
pen_look pen-chosen || fail "no shot of the toolbar"
click_at $((TX + 215)) "$mid_y"
line_chosen() { pen_look pen-now && ! same_pixels "$out/pen-chosen.png" "$out/pen-now.png"; }
wait_until 5 line_chosen || fail "the line tool was not chosen"
pace 0.05
was_writing=no
writing && was_writing=yes
logged=$(wc -c <"$out/overink.log")
kill -"$signal" "$server"
wait_until 10 dead || fail "overink did not end within 10 s of the X server's end (SIG$signal)"
wait "$pid"
status=$?
[ "$status" -eq 1 ] || fail "overink exited with status $status after the X server's end (SIG$signal)"

# After the end: one line of Qt's and at most one of ours. Qt's is its
# line about the connection, or whichever of its xcb lines first met the
# broken connection (a shared-memory segment it could not make), which ends
# the program just as well.
after=$(tail -c +$((logged + 1)) "$out/overink.log")
qt_lines=$(grep -v '^overink: ' <<<"$after" | grep .)
[ "$(grep -c . <<<"$qt_lines")" -eq 1 ] && grep -qE '^(The X11 connection broke|qt\.qpa\.xcb: )' <<<"$qt_lines" ||
    fail "not one line of Qt's about the connection in the log: $after"
[ "$(grep -c '^overink: ' <<<"$after")" -le 1 ] || fail "more than one line of ours: $after"
# The store before any start tidies it. Work that outlives the quit's grace
# (a cell's encoding on a very busy machine) is not waited for: the images of
# the one brush it was writing are left for the next start, and our line
# says so.
"$OVERINK_BRUSH_STORE_CHECK" "$(store)" >"$out/store.txt"
faults=$(grep -v ' records$' "$out/store.txt")
left=
if [ -n "$faults" ]; then
  grep -q 'still running' <<<"$after" && ! grep -qv '^not recorded: ' <<<"$faults" &&
    [ "$(grep -oE '[0-9A-F-]{36}' <<<"$faults" | sort -u | wc -l)" -eq 1 ] ||
    fail "the store is damaged: $faults"
  left=", the brush being written left to the next start"
fi
grep -qE '"overink\.selectedTool": *\{ *"string": *"line\.diagonal"' "$home/.config/overink/defaults.json" ||
  fail "the chosen tool was not saved: $(cat "$home/.config/overink/defaults.json")"
echo "run $run: SIG$signal $moment s into the import, still writing: $was_writing," \
  "$(tail -1 "$out/store.txt")$left, status $status"
exit 0
