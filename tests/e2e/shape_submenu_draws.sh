#!/usr/bin/env bash
# The shape submenu end to end: the shape slot's chevron opens it right
# under the slot; picking the star closes it, puts the star on the slot and
# selects it; a drag then draws a star. The pen submenu opens and Esc
# closes it.
#   shape_submenu_draws.sh <overink>
# OVERINK_E2E_OUTPUT: where the screenshots are kept.
set -u
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
overink=$1
out=${OVERINK_E2E_OUTPUT:-$(mktemp -d)}/shape_submenu_draws
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
red_in() { colour_count "$out/$1.png" "$2" "$3" "$4" "$5" 'r > 220 && g < 110 && b < 100'; }
# A person's click: the pointer rests on the spot first.
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
toolbar() { window_of_width "$1" 730 36; }
submenu() { window_of_width "$1" 34 8; }
no_submenu() { ! submenu "$1" >/dev/null; }
# The star's upper edge between its right inner corner and right tip is
# drawn, and nothing where a rectangle or an ellipse would pass (the
# drag's corners and its left middle) nor at the middle (an outline only).
star_drawn() {
  shot "$1"
  [ "$(red_in "$1" 70 9 805 499)" -ge 150 ] &&
    [ "$(red_in "$1" 12 12 594 394)" -eq 0 ] && [ "$(red_in "$1" 12 12 894 694)" -eq 0 ] &&
    [ "$(red_in "$1" 12 20 594 540)" -eq 0 ] && [ "$(red_in "$1" 30 30 735 535)" -eq 0 ]
}
same_pixels() { [ "$(compare -metric AE "$1" "$2" null: 2>&1)" = 0 ]; }

HOME=$home XDG_CONFIG_HOME=$home/.config XDG_DATA_HOME=$home/.local/share XDG_RUNTIME_DIR=$home \
  "$overink" >>"$out/overink.log" 2>&1 &
pid=$!
pids+=($pid)
icon=$(wait_steady 10 3 tray_icon $pid) || fail "no tray icon"
click_at $icon
geometry=$(wait_steady 10 3 toolbar $pid) || fail "the tray icon showed no toolbar"
set -- $geometry
TX=$1 TY=$2 TH=$4
# Items from the left (12-point padding, 8 between items): the shape slot
# spans 267…301, its chevron the last 10 points.
slot_x=$((TX + 267)) mid_y=$((TY + TH / 2))
shot 0-toolbar
convert "$out/0-toolbar.png" -crop "24x24+${slot_x}+$((mid_y - 12))" +repage "$out/slot-before.png"

click_at $((slot_x + 29)) $mid_y
menu=$(wait_steady 5 2 submenu $pid) || fail "the chevron opened no submenu"
set -- $menu
SX=$1 SY=$2 SH=$4
[ "$SX" -eq "$slot_x" ] || fail "the submenu stands at x $SX, not under the slot at $slot_x"
[ "$SY" -eq $((TY + TH)) ] || fail "the submenu's top is at y $SY, not on the toolbar's bottom $((TY + TH))"
# Eight shapes besides the rectangle, 24 high, 6 apart, 4 above and below.
[ "$SH" -eq 242 ] || fail "the submenu is $SH high, not 242"
shot 1-submenu
convert "$out/1-submenu.png" -crop "$((SX - TX + 60))x$((SH + TH + 20))+${TX}+${TY}" +repage "$out/submenu.png"

# The star is the last item.
click_at $((SX + 17)) $((SY + 4 + 7 * 30 + 12))
wait_until 5 no_submenu $pid || fail "picking the star left the submenu open"
shot 2-picked
convert "$out/2-picked.png" -crop "24x24+${slot_x}+$((mid_y - 12))" +repage "$out/slot-after.png"
same_pixels "$out/slot-before.png" "$out/slot-after.png" && fail "the shape slot still shows the rectangle"

move 600 400
xdotool mousedown 1
for i in $(seq 1 15); do xdotool mousemove $((600 + 20 * i)) $((400 + 20 * i)); pace 0.02; done
xdotool mouseup 1
wait_until 5 star_drawn 3-star || fail "the drag drew no star"

# The pen submenu opens from its chevron (pen slot 119…153) and Esc
# closes it.
click_at $((TX + 119 + 29)) $mid_y
wait_steady 5 2 submenu $pid >/dev/null || fail "the pen chevron opened no submenu"
shot 4-pen-submenu
xdotool key Escape
wait_until 5 no_submenu $pid || fail "Esc left the pen submenu open"
star_drawn 5-after-esc || fail "Esc changed the drawing"
echo "ok: screenshots in $out"
