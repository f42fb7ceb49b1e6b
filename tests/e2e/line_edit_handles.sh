#!/usr/bin/env bash
# Editing a placed line end to end: a double-click opens it with its
# handles, a drag of its end handle moves that end, the mouse wheel widens
# it by one point per notch, and Esc ends the edit, writing the line back on
# its display as one new undo entry (undo takes it off, a second undo passes
# the older entry over, and redo then brings back the line as first drawn).
# Run with "dark" as second argument for the dark palette.
#   line_edit_handles.sh <overink> [dark]
# OVERINK_E2E_OUTPUT: where the screenshots are kept.
set -u
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
overink=$1
palette=${2:-light}
e2e_begin line_edit_handles-$palette
# The red run across a vertical cut at x around y: NAME X Y.
thickness_at() { red_in "$1" 1 60 "$2" "$(($3 - 30))"; }

start_overink "$palette"
show_toolbar "${pids[0]}"
# The line tool is the seventh item of the toolbar.
click_at $((TX + 215)) $((TY + TH / 2))

# Line A stays as it is; line B is edited.
drag_between 300 300 700 300
drag_between 300 600 700 600
shot_until 1-lines '[ "$(red_in 1-lines 300 12 350 294)" -ge 2500 ] && [ "$(red_in 1-lines 300 12 350 594)" -ge 2500 ]' ||
  fail "the line tool drew no lines"
before=$(thickness_at 1-lines 500 600)

# A double-click on B opens it: white handles at its ends and middle.
move 500 600
pace 0.2
xdotool click --repeat 2 --delay 80 1
handles_shown() { [ "$(white_in "$1" 12 12 694 594)" -ge 20 ] && [ "$(white_in "$1" 12 12 494 594)" -ge 20 ]; }
shot_until 2-open 'handles_shown 2-open' || fail "the double-click showed no handles on the line"

# The end handle, dragged down and to the right: B runs from (300, 600) to
# (800, 700) now, through (550, 650).
drag_between 700 600 800 700
moved() {
  [ "$(red_in "$1" 12 12 544 644)" -ge 20 ] && [ "$(red_in "$1" 40 12 530 594)" -eq 0 ] &&
    [ "$(white_in "$1" 12 12 794 694)" -ge 20 ]
}
shot_until 3-moved 'moved 3-moved' || fail "the end handle did not move the line's end"

# Five notches of the wheel up: five points wider.
for i in 1 2 3 4 5; do xdotool click 4; pace 0.05; done
# The cut at x = 400 meets B at y = 620.
wider() { local t; t=$(thickness_at "$1" 400 620); [ "$t" -ge $((before + 4)) ] && [ "$t" -le $((before + 6)) ]; }
shot_until 4-wider 'wider 4-wider' || fail "the wheel made the line $(thickness_at 4-wider 400 620) px thick, not $before + 5"

# Esc ends the edit: the handles go, the line stays as edited.
xdotool key Escape
closed() { [ "$(white_in "$1" 12 12 794 694)" -lt 5 ] && wider "$1" && [ "$(red_in "$1" 12 12 544 644)" -ge 20 ]; }
shot_until 5-closed 'closed 5-closed' || fail "Esc left the edit open or lost the line"

# Undo takes B off; A stays.
xdotool key ctrl+z
b_gone() { [ "$(red_in "$1" 60 60 520 620)" -eq 0 ] && [ "$(red_in "$1" 300 12 350 294)" -ge 2500 ]; }
shot_until 6-undone 'b_gone 6-undone' || fail "undo did not take the edited line off"
# The second undo passes over B's first addition; redo brings B back as
# it was first drawn. Had the edit left more or fewer than one entry, redo
# would bring back the edited B, or A would be gone.
xdotool key ctrl+z
pace 0.2
xdotool key ctrl+shift+z
first_b() {
  [ "$(red_in "$1" 300 12 350 594)" -ge 2500 ] && [ "$(red_in "$1" 12 12 544 644)" -eq 0 ] &&
    [ "$(red_in "$1" 300 12 350 294)" -ge 2500 ]
}
shot_until 7-redone 'first_b 7-redone' || fail "redo did not bring back the line as first drawn"
echo "ok: screenshots in $out"
