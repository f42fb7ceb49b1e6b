#!/usr/bin/env bash
# The toolbar end to end: the tray icon shows it with the overlays; its line
# tool draws a straight line; its width slider makes the next stroke wider;
# the toolbar is shot in the light palette and, where the qt6ct palette
# plugin is installed, in a dark one.
#   toolbar_draws.sh <overink>
# OVERINK_E2E_OUTPUT: where the screenshots are kept.
set -u
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
overink=$1
e2e_begin toolbar_draws
# A person's click on the toolbar: the press goes once the server would hand
# it to the toolbar's window.
click() { pointer_reaches "$1" "$2" "$toolbar" || fail "the pointer does not reach the toolbar at $1 $2"; xdotool click 1; }
# The thickness of the red stroke across a vertical run at x: W=1 H X Y.
thickness_at() { red_in "$1" 1 80 "$2" "$(($3 - 40))"; }

start_overink
first=${pids[0]}
show_toolbar "$first"
toolbar=$(xdotool search --all --onlyvisible --pid "$first" --name '^Overink Toolbar$' | head -1)
[ -n "$toolbar" ] || fail "the toolbar window has no name"
# Centred 8 pixels below the 24-pixel tray panel.
[ "$TY" -eq 32 ] || fail "the toolbar stands at y $TY, not 8 below the panel"
[ $((TX + TW / 2)) -eq 960 ] || fail "the toolbar is not centred"
wait_until 5 eval '[ "$(overlays_shown "$first")" -eq 1 ]' || fail "the tray icon showed the toolbar without the overlay"
shot 0-toolbar-light
convert "$out/0-toolbar-light.png" -crop "${TW}x${TH}+${TX}+${TY}" +repage "$out/toolbar-light.png"
light=$(brightness 0-toolbar-light 40 8 $((TX + 300)) $((TY + 28)))
awk -v b="$light" 'BEGIN { exit !(b > 0.6) }' || fail "the light toolbar is dark ($light)"

# Item centres along the toolbar (12-point padding, 8 between items): the
# line tool is the seventh item, the slider spans 440…520 with its knob
# travelling 446…514.
line_x=$((TX + 215)) mid_y=$((TY + TH / 2))
click $line_x $mid_y
move 400 500
xdotool mousedown 1
# The drag at a person's pace.
for x in $(seq 420 20 900); do xdotool mousemove "$x" $((500 + (x - 400) / 100)); pace 0.01; done
xdotool mousemove 900 505
pace 0.05
xdotool mouseup 1
# A straight line: red all along, 11 pixels across.
shot_until 1-line '[ "$(red_in 1-line 400 12 450 497)" -ge 3000 ]' || fail "the line tool drew no line"
width=$(thickness_at 1-line 700 503)
[ "$width" -ge 9 ] && [ "$width" -le 13 ] || fail "the line is $width px wide, not 11"
[ "$(red_in 1-line 400 40 450 540)" -eq 0 ] || fail "red below the line"

# The slider to about 30 points; the next line is that wide.
click $((TX + 466)) $mid_y
# The value beside the slider reads its new width.
shot_until 2-slider '[ "$(red_in 2-slider 400 1 450 503)" -ge 380 ]' || fail "the slider click lost the first line"
move 400 800
xdotool mousedown 1
for x in $(seq 420 20 900); do xdotool mousemove "$x" 800; pace 0.01; done
pace 0.05
xdotool mouseup 1
wide_enough() { local w; w=$(thickness_at 3-wide-line 700 800); [ "$w" -ge 27 ]; }
shot_until 3-wide-line wide_enough || true
wide=$(thickness_at 3-wide-line 700 800)
[ "$wide" -ge 27 ] && [ "$wide" -le 33 ] || fail "after the slider the line is $wide px wide, not about 30"
# (The width change also restyles the last placed stroke, the first line.)
[ "$(red_in 3-wide-line 400 1 450 503)" -ge 380 ] || fail "the first line is gone"

kill "$first"
wait "$first" 2>/dev/null

# The dark palette, through the qt6ct plugin when it is installed.
if has_qt6ct; then
  start_overink dark
  show_toolbar "${pids[1]}"
  shot 4-toolbar-dark
  convert "$out/4-toolbar-dark.png" -crop "${TW}x${TH}+${TX}+${TY}" +repage "$out/toolbar-dark.png"
  dark=$(brightness 4-toolbar-dark 40 8 $((TX + 300)) $((TY + 28)))
  awk -v b="$dark" 'BEGIN { exit !(b < 0.3) }' || fail "the dark toolbar is light ($dark)"
else
  echo "note: qt6ct is not installed, no dark shot"
fi
echo "ok: screenshots in $out"
