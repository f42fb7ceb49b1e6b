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
out=${OVERINK_E2E_OUTPUT:-$(mktemp -d)}/toolbar_draws
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
# A person's click on the toolbar: the press goes once the server would hand
# it to the toolbar's window.
click() { pointer_reaches "$1" "$2" "$toolbar" || fail "the pointer does not reach the toolbar at $1 $2"; xdotool click 1; }
shot() { import -window root "$out/$1.png"; }
# shot_until NAME TEST...: takes the shot NAME until TEST succeeds on it.
shot_until() {
  local name=$1
  shift
  wait_until 5 eval 'shot "$name"; '"$*"
}
# Red pixels (the default colour, 255 59 48, give or take antialiasing) in a
# rectangle of a shot: count W H X Y.
red_in() {
  convert "$out/$1.png" -crop "$2x$3+$4+$5" +repage txt:- |
    awk 'NR > 1 { split($2, c, /[(),]/); if (c[2] > 220 && c[3] < 110 && c[4] < 100) n++ } END { print n + 0 }'
}
# Mean brightness 0..1 of a rectangle: W H X Y.
brightness() { convert "$out/$1.png" -crop "$2x$3+$4+$5" +repage -colorspace Gray -format '%[fx:mean]' info:; }
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
# The tray icon's centre: the window of ours that the tray embedded.
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
# The toolbar: our shown window 36 pixels high (the horizontal layout).
toolbar_geometry() {
  local w
  for w in $(xdotool search --onlyvisible --pid "$1" 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$w")"
    [ "$HEIGHT" -eq 36 ] && [ "$WIDTH" -gt 600 ] && { echo "$X $Y $WIDTH $HEIGHT"; return 0; }
  done
  return 1
}
# Our shown windows covering the 1920x1080 screen (but its bottom row).
overlays_shown() {
  local w n=0
  for w in $(xdotool search --onlyvisible --pid "$1" 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$w")"
    [ "$WIDTH" -eq 1920 ] && [ "$HEIGHT" -ge 1079 ] && n=$((n + 1))
  done
  echo $n
}
# Clicks the tray icon and waits for the toolbar to rest; sets TX TY TW TH
# and toolbar (its window).
show_toolbar() {
  local icon geometry
  # The tray host places the icon after embedding it: wait until it rests.
  icon=$(wait_steady 10 3 tray_icon "$1") || fail "no tray icon"
  set -- $icon
  move "$1" "$2" || fail "the pointer does not reach the tray icon"
  xdotool click 1
  geometry=$(wait_steady 10 3 toolbar_geometry "${pids[-1]}") || fail "the tray icon showed no toolbar"
  set -- $geometry
  TX=$1 TY=$2 TW=$3 TH=$4
  toolbar=$(xdotool search --all --onlyvisible --pid "${pids[-1]}" --name '^Overink Toolbar$' | head -1)
  [ -n "$toolbar" ] || fail "the toolbar window has no name"
}
# The thickness of the red stroke across a vertical run at x: W=1 H X Y.
thickness_at() { red_in "$1" 1 80 "$2" "$(($3 - 40))"; }

start_overink
first=${pids[0]}
show_toolbar "$first"
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
if [ -e "$(qtpaths6 --plugin-dir 2>/dev/null)/platformthemes/libqt6ct.so" ] || \
   [ -e /usr/lib/x86_64-linux-gnu/qt6/plugins/platformthemes/libqt6ct.so ]; then
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
