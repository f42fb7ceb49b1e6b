#!/usr/bin/env bash
# The font picker end to end: holding the text tool opens it 10 pixels left
# of the tool, under the toolbar; a typed search leaves one family; a click
# on it checks it; auto-size off shows the size row and the panel grows; the
# first Esc ends the typing and the second closes it. The picker is shot in
# the light palette and, where the qt6ct palette plugin is installed, in a
# dark one. (That text placed afterwards takes the face is tested on the
# overlay itself in tests/toolbar/FontPicker_x11test.cpp: the program has no
# text box to type into yet.)
#   font_picker_picks.sh <overink>
# OVERINK_E2E_OUTPUT: where the screenshots are kept.
set -u
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
overink=$1
e2e_begin font_picker_picks
# Pixels of a shot's rectangle that stand out from the panel's background
# (text, symbols): count SHOT W H X Y.
ink_in() {
  local bg
  bg=$(convert "$out/$1.png" -crop "1x1+$(($4 + $2 - 1))+$5" +repage -format '%[fx:int(255*mean)]' info:)
  convert "$out/$1.png" -crop "$2x$3+$4+$5" +repage -colorspace Gray txt:- |
    awk -v bg="$bg" 'NR > 1 { split($2, c, /[(),]/); d = c[2] - bg; if (d < 0) d = -d; if (d > 60) n++ } END { print n + 0 }'
}
picker() { window_of_width "$1" 260 100; }
no_picker() { ! picker "$1" >/dev/null; }
# Holds the text tool (toolbar items from the left: its slot spans
# 309…333) until the picker is up; sets PX PY PH.
hold_text_tool() {
  local geometry
  move $((TX + 321)) $((TY + TH / 2)) || fail "the pointer did not reach the text tool"
  pace 0.2
  xdotool mousedown 1
  geometry=$(wait_steady 5 2 picker "$1") || { xdotool mouseup 1; fail "holding the text tool opened no picker"; }
  xdotool mouseup 1
  set -- $geometry
  PX=$1 PY=$2 PH=$4
}

start_overink
first=${pids[0]}
show_toolbar "$first"
hold_text_tool "$first"
[ "$PX" -eq $((TX + 299)) ] || fail "the picker stands at x $PX, not 10 left of the text tool at $((TX + 309))"
[ "$PY" -eq $((TY + TH)) ] || fail "the picker's top is at y $PY, not on the toolbar's bottom $((TY + TH))"
shot 1-picker-light
convert "$out/1-picker-light.png" -crop "260x${PH}+${PX}+${PY}" +repage "$out/picker-light.png"
light=$(brightness 1-picker-light 200 20 $((PX + 30)) $((PY + 100)))
awk -v b="$light" 'BEGIN { exit !(b > 0.6) }' || fail "the light picker is dark ($light)"
# The family list (44 below the top, rows 28 high) shows a name in every
# row but the system font's is checked.
list_y=$((PY + 44))
[ "$(ink_in 1-picker-light 200 140 $((PX + 12)) $((list_y + 28)))" -ge 100 ] || fail "the family list shows no names"

# A search: the only family left is DejaVu Sans Mono.
click_at $((PX + 130)) $((PY + 21))
pace 0.3
xdotool type --delay 50 "sans mono"
one_family() {
  shot 2-search
  [ "$(ink_in 2-search 200 20 $((PX + 12)) $((list_y + 4)))" -ge 20 ] &&
    [ "$(ink_in 2-search 200 140 $((PX + 12)) $((list_y + 32)))" -eq 0 ]
}
wait_until 5 one_family || fail "the search did not leave one family"
convert "$out/2-search.png" -crop "236x28+$((PX + 12))+${list_y}" +repage "$out/row-before.png"

# A click picks it: the row is tinted and checked; the picker stays.
click_at $((PX + 100)) $((list_y + 14))
checked() {
  shot 3-picked
  convert "$out/3-picked.png" -crop "236x28+$((PX + 12))+${list_y}" +repage "$out/row-after.png"
  ! same_pixels "$out/row-before.png" "$out/row-after.png" &&
    [ "$(ink_in 3-picked 16 16 $((PX + 260 - 12 - 16)) $((list_y + 6)))" -ge 8 ]
}
wait_until 5 checked || fail "the picked family is not checked"
picker "$first" >/dev/null || fail "picking a family closed the picker"

# Auto-size off (the checkbox 8 below the list's lower divider): the size
# row appears and the panel grows.
click_at $((PX + 20)) $((list_y + 180 + 1 + 8 + 8))
grown() { set -- $(picker "$first"); [ "${4:-0}" -gt "$PH" ]; }
wait_until 5 grown || fail "turning auto-size off did not show the size row"
shot 4-size-row

# The first Esc ends the typing, the second closes the picker.
xdotool key Escape
pace 0.5
picker "$first" >/dev/null || fail "the first Esc closed the picker while its field had the keys"
xdotool key Escape
wait_until 5 no_picker "$first" || fail "the second Esc left the picker open"
kill "$first"
wait "$first" 2>/dev/null

# The dark palette, through the qt6ct plugin when it is installed.
if has_qt6ct; then
  start_overink dark
  show_toolbar "${pids[1]}"
  hold_text_tool "${pids[1]}"
  shot 5-picker-dark
  convert "$out/5-picker-dark.png" -crop "260x${PH}+${PX}+${PY}" +repage "$out/picker-dark.png"
  dark=$(brightness 5-picker-dark 200 20 $((PX + 30)) $((PY + 100)))
  awk -v b="$dark" 'BEGIN { exit !(b < 0.3) }' || fail "the dark picker is light ($dark)"
  [ "$(ink_in 5-picker-dark 200 140 $((PX + 12)) $((PY + 44 + 28)))" -ge 100 ] || fail "the dark list shows no names"
else
  echo "note: qt6ct is not installed, no dark shot"
fi
echo "ok: screenshots in $out"
