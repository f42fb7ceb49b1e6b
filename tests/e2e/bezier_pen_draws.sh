#!/usr/bin/env bash
# The bezier pen end to end: picked from the pen submenu, three clicks and a
# double-click draw a path, which then shows its vertex handles; dragging a
# vertex reshapes it, and Esc ends the edit with the path kept as edited.
# Run with "dark" as second argument for the dark palette.
#   bezier_pen_draws.sh <overink> [dark]
# OVERINK_E2E_OUTPUT: where the screenshots are kept.
set -u
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
overink=$1
palette=${2:-light}
e2e_begin bezier_pen_draws-$palette
submenu() { window_of_width "$1" 34 8; }
no_submenu() { ! submenu "$1" >/dev/null; }

start_overink "$palette"
show_toolbar "${pids[0]}"
# The pen slot spans 119…153, its chevron the last 10 points; the bezier
# pen heads the submenu.
click_at $((TX + 119 + 29)) $((TY + TH / 2))
menu=$(wait_steady 5 2 submenu "${pids[0]}") || fail "the pen chevron opened no submenu"
set -- $menu
click_at $(($1 + 17)) $(($2 + 4 + 12))
wait_until 5 no_submenu "${pids[0]}" || fail "picking the bezier pen left the submenu open"

# Clicks a third of a second apart and more make single vertices.
click_at 400 400
pace 0.5
click_at 600 500
pace 0.5
# The last, a double-click: both clicks from one xdotool run, since starting
# a second one can take longer than a double-click under load.
move 800 400 && pace 0.2
xdotool click --repeat 2 --delay 100 1
# Finished: the path, straight from vertex to vertex, with its handles.
handle_at() { [ "$(white_in "$1" 12 12 $(($2 - 6)) $(($3 - 6)))" -ge 20 ]; }
drawn() {
  [ "$(red_in "$1" 12 12 494 444)" -ge 20 ] && [ "$(red_in "$1" 12 12 694 444)" -ge 20 ] &&
    handle_at "$1" 400 400 && handle_at "$1" 600 500 && handle_at "$1" 800 400
}
shot_until 1-drawn 'drawn 1-drawn' || fail "the bezier pen drew no path with handles"

# The middle vertex, dragged down: the first piece now passes (500, 500).
drag_between 600 500 600 600
reshaped() {
  [ "$(red_in "$1" 12 12 494 494)" -ge 20 ] && [ "$(red_in "$1" 12 12 494 444)" -eq 0 ] && handle_at "$1" 600 600
}
shot_until 2-reshaped 'reshaped 2-reshaped' || fail "dragging the vertex did not reshape the path"

# Esc ends the edit: the handles go, the path stays as edited.
xdotool key Escape
kept() { [ "$(white_in "$1" 12 12 594 594)" -lt 5 ] && [ "$(red_in "$1" 12 12 494 494)" -ge 20 ]; }
shot_until 3-kept 'kept 3-kept' || fail "Esc left the edit open or lost the path"
echo "ok: screenshots in $out"
