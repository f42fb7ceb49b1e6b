#!/usr/bin/env bash
# A toolbar docked at the bottom centre goes to the top row while a panel
# takes the screen's bottom edge; its tooltip chips, submenus, colour picker
# and font picker then open below it, on the screen, as for the top row.
# A control that opens a panel takes its chip down at once instead of
# leaving it over the panel.
#   toolbar_moved_to_top.sh <overink>
# OVERINK_E2E_OUTPUT: where the screenshots are kept.
# x11-session: --tray-edge bottom
set -u
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
overink=$1
e2e_begin toolbar_moved_to_top
submenu() { window_of_width "$1" 34 8; }
no_submenu() { ! submenu "$1" >/dev/null; }
picker() { window_of_width "$1" 246 300; }
no_picker() { ! picker "$1" >/dev/null; }
font_picker() { window_of_width "$1" 260 100; }
no_font_picker() { ! font_picker "$1" >/dev/null; }
# The chip of a control, settled: sets CX CY CW CH.
settled_chip() {
  local geometry
  wait_until 3 chip_geometry "$1" "$2" >/dev/null || { shot "no-chip"; fail "resting on the control showed no \"$2\" chip"; }
  geometry=$(wait_steady 3 2 chip_geometry "$1" "$2") || fail "the \"$2\" chip does not settle"
  set -- $geometry
  CX=$1 CY=$2 CW=$3 CH=$4
}

start_overink_at bottomCenterH
pid=${pids[0]}
show_toolbar $pid
mid_y=$((TY + TH / 2))
[ "$TY" -lt 100 ] || fail "the toolbar stands at y $TY, not in the top row"
shot 0-toolbar

# The pen slot spans 119…153 from the toolbar's left, its chevron the last
# 10 points. Resting on it shows its chip below the toolbar.
chevron_x=$((TX + 119 + 29))
move $chevron_x $mid_y
settled_chip $pid Pen
[ "$CY" -eq $((TY + TH + 4)) ] || { shot 1-chip; fail "the chip stands at y $CY, not 4 below the toolbar"; }
shot 1-chip

# The chevron opens the submenu under the slot, and the chip goes with it.
xdotool click 1
menu=$(wait_steady 5 2 submenu $pid) || fail "the chevron opened no submenu"
wait_until 1 no_chip $pid Pen || { shot 2-chip-stays; fail "the chip stays over the submenu it opened"; }
# The pointer still rests on the control: the chip stays away.
holds_for 1 no_chip $pid Pen || { shot 2-chip-back; fail "the chip came back over the submenu"; }
set -- $menu
[ "$2" -eq $((TY + TH)) ] || { shot 2-submenu; fail "the submenu's top is at y $2, not on the toolbar's bottom $((TY + TH))"; }
shot 2-submenu
xdotool key Escape
wait_until 5 no_submenu $pid || fail "Esc left the submenu open"

# The colour picker hangs under the swatch (the first red pixels of the
# toolbar), and the swatch's chip goes when it opens.
reds=$(convert "$out/0-toolbar.png" -crop "${TW}x1+${TX}+${mid_y}" +repage txt:- |
  awk -v x0="$TX" 'NR > 1 { split($1, p, /[,:]/); split($2, c, /[(),]/); if (c[2] > 220 && c[3] < 110 && c[4] < 100) print x0 + p[1] }')
swatch_x=$(( $(echo "$reds" | head -n1) + 8 ))
move $swatch_x $mid_y
settled_chip $pid Color
xdotool click 1
panel=$(wait_steady 5 2 picker $pid) || fail "the swatch opened no colour picker"
wait_until 1 no_chip $pid Color || { shot 3-chip-stays; fail "the swatch's chip stays over the colour picker"; }
holds_for 1 no_chip $pid Color || { shot 3-chip-back; fail "the swatch's chip came back over the colour picker"; }
set -- $panel
[ "$2" -eq $((TY + TH)) ] || { shot 3-picker; fail "the colour picker's top is at y $2, not on the toolbar's bottom"; }
shot 3-picker
xdotool key Escape
wait_until 5 no_picker $pid || fail "Esc left the colour picker open"

# Holding the text tool (309…333) opens the font picker under the toolbar.
move $((TX + 321)) $mid_y
settled_chip $pid "Text (hold for font)"
xdotool mousedown 1
panel=$(wait_steady 5 2 font_picker $pid) || { xdotool mouseup 1; fail "holding the text tool opened no font picker"; }
xdotool mouseup 1
wait_until 1 no_chip $pid "Text (hold for font)" || { shot 4-chip-stays; fail "the text tool's chip stays over the font picker"; }
holds_for 1 no_chip $pid "Text (hold for font)" || { shot 4-chip-back; fail "the text tool's chip came back over the font picker"; }
set -- $panel
[ "$2" -eq $((TY + TH)) ] || { shot 4-font-picker; fail "the font picker's top is at y $2, not on the toolbar's bottom"; }
shot 4-font-picker
xdotool key Escape
wait_until 5 no_font_picker $pid || fail "Esc left the font picker open"
echo "ok: screenshots in $out"
