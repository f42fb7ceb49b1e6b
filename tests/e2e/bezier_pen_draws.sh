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
out=${OVERINK_E2E_OUTPUT:-$(mktemp -d)}/bezier_pen_draws-$palette
mkdir -p "$out"
rm -f "$out"/*.png
home=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  for p in "${pids[@]}"; do wait "$p" 2>/dev/null; done
  rm -rf "$home"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; echo "screenshots in $out" >&2; exit 1; }
shot() { import -window root "$out/$1.png"; }
# shot_until NAME TEST...: takes the shot NAME until TEST succeeds on it.
shot_until() {
  local name=$1
  shift
  wait_until 5 eval 'shot "$name"; '"$*"
}
red_in() { colour_count "$out/$1.png" "$2" "$3" "$4" "$5" 'r > 220 && g < 110 && b < 100'; }
white_in() { colour_count "$out/$1.png" "$2" "$3" "$4" "$5" 'r > 240 && g > 240 && b > 240'; }
click_at() { move "$1" "$2" && pace 0.2 && xdotool click 1; }
tray_icon() {
  local w
  for w in $(xdotool search --pid "$1" 2>/dev/null); do
    if xprop -id "$w" _XEMBED_INFO 2>/dev/null | grep -q '='; then
      eval "$(xdotool getwindowgeometry --shell "$w")"
      echo "$((X + WIDTH / 2)) $((Y + HEIGHT / 2))"
      return 0
    fi
  done
  return 1
}
# Our shown window of the given width (and at least the given height):
# prints X Y W H.
window_of_width() {
  local w
  for w in $(xdotool search --onlyvisible --pid "$1" 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$w")"
    [ "$WIDTH" -eq "$2" ] && [ "$HEIGHT" -ge "${3:-1}" ] && { echo "$X $Y $WIDTH $HEIGHT"; return 0; }
  done
  return 1
}
submenu() { window_of_width "$1" 34 8; }
no_submenu() { ! submenu "$1" >/dev/null; }
toolbar_geometry() {
  local w
  for w in $(xdotool search --onlyvisible --pid "$1" 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$w")"
    [ "$HEIGHT" -eq 36 ] && [ "$WIDTH" -gt 600 ] && { echo "$X $Y $WIDTH $HEIGHT"; return 0; }
  done
  return 1
}
# A drag at a person's pace: X1 Y1 X2 Y2.
drag() {
  local i
  move "$1" "$2"
  xdotool mousedown 1
  for i in $(seq 1 20); do xdotool mousemove $(($1 + ($3 - $1) * i / 20)) $(($2 + ($4 - $2) * i / 20)); pace 0.01; done
  pace 0.05
  xdotool mouseup 1
}

mkdir -p "$home/.config"
if [ "$palette" = dark ]; then
  mkdir -p "$home/.config/qt6ct"
  printf '[Appearance]\ncolor_scheme_path=/usr/share/qt6ct/colors/darker.conf\ncustom_palette=true\nstyle=Fusion\n' \
    >"$home/.config/qt6ct/qt6ct.conf"
  export QT_QPA_PLATFORMTHEME=qt6ct
fi
HOME=$home XDG_CONFIG_HOME=$home/.config XDG_DATA_HOME=$home/.local/share XDG_RUNTIME_DIR=$home \
  "$overink" >>"$out/overink.log" 2>&1 &
pids+=($!)
icon=$(wait_steady 10 3 tray_icon "${pids[0]}") || fail "no tray icon"
click_at $icon
geometry=$(wait_steady 10 3 toolbar_geometry "${pids[0]}") || fail "the tray icon showed no toolbar"
set -- $geometry
TX=$1 TY=$2 TH=$4
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
click_at 800 400
pace 0.1
xdotool click 1
# Finished: the path, straight from vertex to vertex, with its handles.
handle_at() { [ "$(white_in "$1" 12 12 $(($2 - 6)) $(($3 - 6)))" -ge 20 ]; }
drawn() {
  [ "$(red_in "$1" 12 12 494 444)" -ge 20 ] && [ "$(red_in "$1" 12 12 694 444)" -ge 20 ] &&
    handle_at "$1" 400 400 && handle_at "$1" 600 500 && handle_at "$1" 800 400
}
shot_until 1-drawn 'drawn 1-drawn' || fail "the bezier pen drew no path with handles"

# The middle vertex, dragged down: the first piece now passes (500, 500).
drag 600 500 600 600
reshaped() {
  [ "$(red_in "$1" 12 12 494 494)" -ge 20 ] && [ "$(red_in "$1" 12 12 494 444)" -eq 0 ] && handle_at "$1" 600 600
}
shot_until 2-reshaped 'reshaped 2-reshaped' || fail "dragging the vertex did not reshape the path"

# Esc ends the edit: the handles go, the path stays as edited.
xdotool key Escape
kept() { [ "$(white_in "$1" 12 12 594 594)" -lt 5 ] && [ "$(red_in "$1" 12 12 494 494)" -ge 20 ]; }
shot_until 3-kept 'kept 3-kept' || fail "Esc left the edit open or lost the path"
echo "ok: screenshots in $out"
