#!/usr/bin/env bash
# SIGTERM while a large brush import writes its cells, at several moments
# (while the first brush is written, and once it is recorded while the next
# is): the program ends within the grace with status 0 (it used to crash
# about one time in three), every record of the index has all its cells, and
# the next start removes the cells no record names.
#   quits_during_import.sh <overink>
# OVERINK_E2E_OUTPUT: where the screenshots are kept.
set -u
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
overink=$1
e2e_begin quits_during_import

sources=$(mktemp -d)
homes+=("$sources")
pipe=$sources/slow.gih
slow_pipe "$pipe"

brush_panel() { window_of_width "$1" 240 100; }
file_dialog() { xdotool search --onlyvisible --name "Import GIMP Brushes" 2>/dev/null | head -1; }
no_file_dialog() { [ -z "$(file_dialog)" ]; }
store() { echo "$home/.local/share/Overink/gimp-brushes"; }
# Cells of a brush no record names yet: the import is writing.
writing() { [ -n "$(cd "$(store)" 2>/dev/null && ls | grep -E '_[0-9]+\.png$' | grep -vxFf <(names) | head -1)" ]; }
# The index records an imported pipe.
recorded() { grep -q '"name":"Slow pipe"' "$(store)/brushes.json" 2>/dev/null; }
# The image names the index records, a line each.
names() { tr ',' '\n' <"$(store)/brushes.json" 2>/dev/null | grep -oE '[0-9A-F-]{36}_([0-9]+|thumb)\.png'; echo none; }
alive() { kill -0 "$pid" 2>/dev/null; }
dead() { ! alive; }

# Moments: a delay after the import's first cell, or after its first record.
moment=0
for when in cell:0 cell:1.5 record:0.3; do
  moment=$((moment + 1))
  start_overink
  pid=${pids[-1]}
  show_toolbar "$pid"
  click_at $((TX + 190)) $((TY + TH / 2))
  panel=$(wait_steady 5 3 brush_panel "$pid") || fail "the brush chevron opened no panel"
  set -- $panel
  wait_until 10 eval '[ -e "$(store)/brushes.json" ]' || fail "the shipped brushes were not installed"
  click_at $(($1 + 180)) $(($2 + 20))
  dialog=$(wait_steady 10 2 file_dialog) || fail "no file dialog"
  xdotool windowactivate --sync "$dialog" 2>/dev/null
  wait_until 5 focus_is "$dialog" || fail "the file dialog has no keyboard"
  xdotool type --delay 15 "\"$pipe\" \"$pipe\" \"$pipe\""
  xdotool key Return
  wait_until 5 no_file_dialog || fail "the file dialog stayed"
  wait_until 20 writing || fail "the import wrote no cell"
  [ "${when%%:*}" = record ] && { wait_until 60 recorded || fail "no pipe was recorded"; }
  pace "${when#*:}"
  kill -TERM "$pid"
  wait_until 8 dead || fail "moment $moment: overink did not end within 8 s of SIGTERM"
  wait "$pid"
  status=$?
  [ "$status" -eq 0 ] || fail "moment $moment: overink exited with status $status after SIGTERM"

  # Every record's cells are there.
  for cell in $(names); do
    [ "$cell" = none ] || [ -f "$(store)/$cell" ] || fail "moment $moment: $cell is recorded but missing"
  done
  # The next start removes the images no record names.
  launch_overink
  pid=${pids[-1]}
  await_tray_icon "$pid"
  kill -TERM "$pid"
  wait_until 8 dead || fail "moment $moment: the second start did not end"
  wait "$pid"
  left=$(cd "$(store)" && ls | grep -E '\.png' | grep -vxFf <(names))
  [ -z "$left" ] || fail "moment $moment: images no record names were left: $left"
done
exit 0
