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
out=${OVERINK_E2E_OUTPUT:-$(mktemp -d)}/font_picker_picks
mkdir -p "$out"
rm -f "$out"/*.png
homes=()
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  for p in "${pids[@]}"; do wait "$p" 2>/dev/null; done
  for h in "${homes[@]}"; do rm -rf "$h"; done
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; echo "screenshots in $out" >&2; exit 1; }
shot() { import -window root "$out/$1.png"; }
# A person's click: the pointer rests on the spot first.
click_at() { move "$1" "$2" && pace 0.2 && xdotool click 1; }
brightness() { convert "$out/$1.png" -crop "$2x$3+$4+$5" +repage -colorspace Gray -format '%[fx:mean]' info:; }
# Pixels of a shot's rectangle that stand out from the panel's background
# (text, symbols): count SHOT W H X Y.
ink_in() {
  local bg
  bg=$(convert "$out/$1.png" -crop "1x1+$(($4 + $2 - 1))+$5" +repage -format '%[fx:int(255*mean)]' info:)
  convert "$out/$1.png" -crop "$2x$3+$4+$5" +repage -colorspace Gray txt:- |
    awk -v bg="$bg" 'NR > 1 { split($2, c, /[(),]/); d = c[2] - bg; if (d < 0) d = -d; if (d > 60) n++ } END { print n + 0 }'
}
# Starts overink in a fresh home; "dark" gives it the qt6ct dark palette.
start_overink() {
  local home
  home=$(mktemp -d)
  homes+=("$home")
  mkdir -p "$home/.config"
  if [ "${1:-}" = dark ]; then
    mkdir -p "$home/.config/qt6ct"
    printf '[Appearance]\ncolor_scheme_path=/usr/share/qt6ct/colors/darker.conf\ncustom_palette=true\nstyle=Fusion\n' \
      >"$home/.config/qt6ct/qt6ct.conf"
    HOME=$home XDG_CONFIG_HOME=$home/.config XDG_DATA_HOME=$home/.local/share XDG_RUNTIME_DIR=$home \
      QT_QPA_PLATFORMTHEME=qt6ct "$overink" >>"$out/overink.log" 2>&1 &
  else
    HOME=$home XDG_CONFIG_HOME=$home/.config XDG_DATA_HOME=$home/.local/share XDG_RUNTIME_DIR=$home \
      "$overink" >>"$out/overink.log" 2>&1 &
  fi
  pids+=($!)
}
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
picker() { window_of_width "$1" 260 100; }
no_picker() { ! picker "$1" >/dev/null; }
# Shows the toolbar from the tray; sets TX TY TH.
show_toolbar() {
  local icon geometry
  icon=$(wait_steady 10 3 tray_icon "$1") || fail "no tray icon"
  click_at $icon
  geometry=$(wait_steady 10 3 toolbar "$1") || fail "the tray icon showed no toolbar"
  set -- $geometry
  TX=$1 TY=$2 TH=$4
}
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
  ! [ "$(compare -metric AE "$out/row-before.png" "$out/row-after.png" null: 2>&1)" = 0 ] &&
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
if [ -e "$(qtpaths6 --plugin-dir 2>/dev/null)/platformthemes/libqt6ct.so" ] || \
   [ -e /usr/lib/x86_64-linux-gnu/qt6/plugins/platformthemes/libqt6ct.so ]; then
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
