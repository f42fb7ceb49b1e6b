#!/usr/bin/env bash
# Imported brushes end to end: the brush slot's chevron opens the brush
# panel with the shipped brushes; "Import Brushes…" closes it and opens the
# file dialog, while which a drag on the screen draws nothing; two of GIMP's
# own brushes are picked by typing their paths into the dialog; they join
# the library, one is chosen there, and a drag draws with it. The panel is
# shot in the light palette and, where qt6ct is installed, in a dark one.
#   brush_library_draws.sh <overink>
# OVERINK_E2E_OUTPUT: where the screenshots are kept.
set -u
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
overink=$1
e2e_begin brush_library_draws
gimp=/usr/share/gimp/2.0/brushes
charcoal=$gimp/Sketch/Charcoal-01.gbr
pencil=$gimp/Sketch/Pencil-02.gih
[ -r "$charcoal" ] && [ -r "$pencil" ] || fail "GIMP's brushes are missing (gimp-data, scripts/install-deps test)"
# Red pixels (the default colour, 255 59 48, give or take the brush's
# coverage) in W H X Y of a shot.
brush_red_in() { colour_count "$out/$1.png" "$2" "$3" "$4" "$5" 'r > 200 && g < 170 && b < 160 && r - g > 60'; }
drag() { # X1 Y X2: a horizontal drag with the left button
  move "$1" "$2"
  xdotool mousedown 1
  local x
  for x in $(seq "$1" 20 "$3"); do xdotool mousemove "$x" "$2"; pace 0.01; done
  xdotool mouseup 1
}
# Starts overink in a fresh home ("dark": the qt6ct dark palette), shows
# the toolbar and opens the brush panel: sets PID HOME_DIR TX TY TH and
# PX PY PH.
start() {
  start_overink "${1:-}"
  PID=${pids[-1]} HOME_DIR=$home
  show_toolbar $PID
  open_panel
}
# The brush slot spans 161…195 from the toolbar's left, its chevron the
# last 10 points.
open_panel() {
  local geometry
  click_at $((TX + 190)) $((TY + TH / 2))
  geometry=$(wait_steady 5 3 brush_panel $PID) || fail "the brush chevron opened no panel"
  set -- $geometry
  PX=$1 PY=$2 PH=$4
}
store() { echo "$HOME_DIR/.local/share/Overink/gimp-brushes"; }
# The index holds a brush of that name.
stored() { grep -q "\"name\":\"$1\"" "$(store)/brushes.json" 2>/dev/null; }
# The id of the stored brush of that name (a brush of files: no nested object).
brush_id() { tr '}' '\n' <"$(store)/brushes.json" | grep "\"name\":\"$1\"" | sed 's/.*"id":"\([^"]*\)".*/\1/'; }
# A string preference as stored: {"overink.KEY": {"string": VALUE}}.
preference() {
  tr -d ' \n' <"$HOME_DIR/.config/overink/defaults.json" 2>/dev/null | grep -qF "\"overink.$1\":{\"string\":\"$2\"}"
}

start
# Under the toolbar, centred on the brush slot.
[ "$PY" -eq $((TY + TH)) ] || fail "the brush panel's top is at y $PY, not on the toolbar's bottom"
[ $((PX + 120)) -eq $((TX + 178)) ] || fail "the brush panel is not centred on the brush slot"
wait_until 10 stored "Round Soft" || fail "the shipped brushes were not installed"
shot 0-panel-light
convert "$out/0-panel-light.png" -crop "240x${PH}+${PX}+${PY}" +repage "$out/panel-light.png"
light=$(brightness 0-panel-light 200 20 $((PX + 20)) $((PY + PH - 30)))
awk -v b="$light" 'BEGIN { exit !(b > 0.6) }' || fail "the light panel is dark ($light)"

# The import button sits at the panel's top right.
click_at $((PX + 180)) $((PY + 20))
wait_until 5 no_brush_panel $PID || fail "importing left the brush panel open"
dialog=$(wait_steady 10 2 file_dialog) || fail "no file dialog"
shot 1-dialog
# While the dialog is up the overlay takes no drag: the pen draws nothing.
drag 300 950 700
pace 0.3
xdotool windowactivate --sync "$dialog" 2>/dev/null
wait_until 5 focus_is "$dialog" || fail "the file dialog has no keyboard"
xdotool type --delay 15 "\"$charcoal\" \"$pencil\""
pace 0.2
shot 2-typed
xdotool key Return
wait_until 5 no_file_dialog || fail "the file dialog stayed"
wait_until 10 stored "Charcoal 01" || fail "Charcoal 01 was not imported"
wait_until 10 stored "Pencil 02" || fail "Pencil 02 was not imported"
shot 3-imported
[ "$(brush_red_in 3-imported 420 40 290 930)" -eq 0 ] || fail "a drag drew while the file dialog was up"

# Twelve rows now; the list scrolls, the imported two are at its end.
open_panel
move $((PX + 120)) $((PY + 120))
for _ in $(seq 12); do xdotool click 5; pace 0.02; done
pace 0.3
shot 4-library
convert "$out/4-library.png" -crop "240x${PH}+${PX}+${PY}" +repage "$out/library.png"
# The list's 276 points end 20 above the divider over the sliders; its last
# row is the pencil, the one before it the charcoal.
list_bottom=$((PY + 59 + 276))
click_at $((PX + 80)) $((list_bottom - 47 - 23))
charcoal_id=$(brush_id "Charcoal 01")
[ -n "$charcoal_id" ] || fail "no id for Charcoal 01 in the index"
wait_until 5 preference activeGIMPBrushID "$charcoal_id" || fail "the click did not choose Charcoal 01"
wait_until 5 preference selectedTool "paintbrush.pointed.fill" || fail "choosing a brush did not select the brush tool"
shot 5-chosen
xdotool key Escape
wait_until 5 no_brush_panel $PID || fail "Esc left the brush panel open"

# A drag draws with the charcoal brush.
drag 400 700 1200
pace 0.3
shot 6-drawn
drawn=$(brush_red_in 6-drawn 800 60 400 670)
[ "$drawn" -ge 1500 ] || fail "the brush drew $drawn red pixels along the drag"
[ "$(brush_red_in 6-drawn 800 40 400 760)" -eq 0 ] || fail "red below the stroke"
kill "$PID"
wait "$PID" 2>/dev/null

if has_qt6ct; then
  start dark
  shot 7-panel-dark
  convert "$out/7-panel-dark.png" -crop "240x${PH}+${PX}+${PY}" +repage "$out/panel-dark.png"
  dark=$(brightness 7-panel-dark 200 20 $((PX + 20)) $((PY + PH - 30)))
  awk -v b="$dark" 'BEGIN { exit !(b < 0.3) }' || fail "the dark panel is light ($dark)"
else
  echo "note: qt6ct is not installed, no dark shot"
fi
echo "ok: screenshots in $out"
