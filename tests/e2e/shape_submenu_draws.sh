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
e2e_begin shape_submenu_draws
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

start_overink
pid=${pids[0]}
show_toolbar $pid
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
