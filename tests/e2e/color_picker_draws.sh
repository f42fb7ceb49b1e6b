#!/usr/bin/env bash
# The colour picker end to end: a click on the toolbar's swatch opens the
# picker under it; a click low on the wheel's disc picks cyan, which the
# swatch shows at once; Esc closes the picker and a drag then draws a cyan
# stroke. The swatch opens the picker again and its second click closes it.
#   color_picker_draws.sh <overink>
# OVERINK_E2E_OUTPUT: where the screenshots are kept.
set -u
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
overink=$1
e2e_begin color_picker_draws
# The cyan the wheel gives 60 points below its centre (about 79, 255, 255).
cyan_in() { colour_count "$out/$1.png" "$2" "$3" "$4" "$5" 'r < 130 && g > 220 && b > 220'; }
picker() { window_of_width "$1" 246 300; }
no_picker() { ! picker "$1" >/dev/null; }
# xs PNG Y X0 X1 AWK-CONDITION: the x of each pixel of row Y between X0 and
# X1 whose colour meets the condition.
xs_in_row() {
  convert "$1" -crop "$(($4 - $3))x1+$3+$2" +repage txt:- |
    awk -v x0="$3" "NR > 1 { split(\$1, p, /[,:]/); split(\$2, c, /[(),]/); r = c[2]; g = c[3]; b = c[4]; if ($5) print x0 + p[1] }"
}
# ys PNG X Y0 Y1 AWK-CONDITION: the same down column X.
ys_in_column() {
  convert "$1" -crop "1x$(($4 - $3))+$2+$3" +repage txt:- |
    awk -v y0="$3" "NR > 1 { split(\$1, p, /[,:]/); split(\$2, c, /[(),]/); r = c[2]; g = c[3]; b = c[4]; if ($5) print y0 + p[2] }"
}
swatch_is_cyan() {
  shot "$1"
  [ "$(cyan_in "$1" 8 8 $((swatch_x - 4)) $((mid_y - 4)))" -eq 64 ]
}
stroke_drawn() {
  shot "$1"
  [ "$(cyan_in "$1" 500 16 450 792)" -ge 1500 ] && [ "$(red_in "$1" 500 16 450 792)" -eq 0 ]
}

start_overink
pid=${pids[0]}
show_toolbar $pid
mid_y=$((TY + TH / 2))

# The swatch: the 16-point square of the drawing colour (red at first).
shot 0-toolbar
reds=$(xs_in_row "$out/0-toolbar.png" $mid_y $TX $((TX + TW)) 'r > 220 && g < 110 && b < 100')
[ "$(echo "$reds" | wc -w)" -ge 12 ] || fail "no red swatch on the toolbar"
# Its left edge is the first red pixel (the clear button is red too once
# there are strokes).
swatch_x=$(( $(echo "$reds" | head -n1) + 8 ))

click_at $swatch_x $mid_y
panel=$(wait_steady 5 2 picker $pid) || fail "the swatch opened no colour picker"
set -- $panel
PX=$1 PY=$2 PH=$4
[ "$((PX - (swatch_x - 123)))" -ge -1 ] && [ "$((PX - (swatch_x - 123)))" -le 1 ] ||
  fail "the picker stands at x $PX, not centred under the swatch at $swatch_x"
[ "$PY" -eq $((TY + TH)) ] || fail "the picker's top is at y $PY, not on the toolbar's bottom $((TY + TH))"
shot 1-picker
convert "$out/1-picker.png" -crop "$((246 + 40))x$((PH + TH + 20))+$((PX - 20))+${TY}" +repage "$out/picker.png"

# The wheel's centre line: the ring is pure red at its top, 111 points
# above the centre; the disc's column below the centre reads hue 0.5.
cx=$((PX + 123))
top=$(ys_in_column "$out/1-picker.png" $cx $PY $((PY + PH)) 'r > 220 && g < 40 && b < 40' | head -n1)
[ -n "$top" ] || fail "no wheel in the picker"
click_at $cx $((top + 111 + 60))
wait_until 5 swatch_is_cyan 2-picked || fail "the pick on the wheel did not reach the swatch"
picker $pid >/dev/null || fail "the pick closed the picker"

xdotool key Escape
wait_until 5 no_picker $pid || fail "Esc left the picker open"
move 450 800
xdotool mousedown 1
for i in $(seq 1 25); do xdotool mousemove $((450 + 20 * i)) 800; pace 0.02; done
xdotool mouseup 1
wait_until 5 stroke_drawn 3-stroke || fail "the stroke is not cyan"

# Open again from the swatch; its second click closes it.
click_at $swatch_x $mid_y
wait_steady 5 2 picker $pid >/dev/null || fail "the swatch did not open the picker again"
shot 4-again
pace 0.3
click_at $swatch_x $mid_y
wait_until 5 no_picker $pid || fail "the swatch's second click left the picker open"
stroke_drawn 5-closed || fail "closing the picker changed the drawing"
echo "ok: screenshots in $out"
