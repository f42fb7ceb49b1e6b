#!/usr/bin/env bash
# The toolbar's tooltip chips end to end: the pointer resting on the undo
# button shows the "Undo" chip beside the toolbar, on the side its dock
# position opens to (below it at the top of the screen, above it at the
# bottom), centred on the button; leaving the button takes the chip away.
# With the user's own timers (not the session's longer ones), a chip goes
# by itself while the pointer stays. Shot in the light palette and, where
# the qt6ct palette plugin is installed, in a dark one.
#   toolbar_tooltips.sh <overink>
# OVERINK_E2E_OUTPUT: where the screenshots are kept.
set -u
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
overink=$1
e2e_begin toolbar_tooltips

# Mean brightness 0..1 of a rectangle of the screen as it is now: W H X Y.
brightness_now() {
  import -window root -crop "$1x$2+$3+$4" +repage -colorspace Gray -format '%[fx:mean]' info: 2>/dev/null
}
brighter_than() { awk -v b="$(brightness_now "$@" 2>/dev/null)" -v t="$5" 'BEGIN { exit !(b > t) }'; }
darker_than() { awk -v b="$(brightness_now "$1" "$2" "$3" "$4" 2>/dev/null)" -v t="$5" 'BEGIN { exit !(b < t) }'; }
# check_undo_chip PID SIDE NAME: rests on the undo button, checks its chip on
# SIDE (below or above the toolbar), shoots it, leaves and sees it go.
check_undo_chip() {
  local pid=$1 side=$2 name=$3 geometry cx cy cw ch
  # The undo button: the eleventh control, 99 pixels left of the toolbar's end.
  local ux=$((TX + TW - 99)) uy=$((TY + TH / 2))
  move $ux $uy
  wait_until 3 chip_geometry "$pid" Undo >/dev/null || { shot "$name-no-chip"; fail "no Undo chip ($name)"; }
  geometry=$(wait_steady 3 3 chip_geometry "$pid" Undo) || fail "the chip does not settle ($name)"
  set -- $geometry
  cx=$1 cy=$2 cw=$3 ch=$4
  if [ "$side" = below ]; then
    [ "$cy" -eq $((TY + TH + 4)) ] || fail "the chip stands at y $cy, not 4 below the toolbar ($name)"
  else
    [ $((cy + ch)) -eq $((TY - 4)) ] || fail "the chip ends at y $((cy + ch)), not 4 above the toolbar ($name)"
  fi
  [ $((2 * cx + cw - 2 * ux)) -ge -2 ] && [ $((2 * cx + cw - 2 * ux)) -le 2 ] ||
    fail "the chip ($cx, width $cw) is not centred on the undo button at $ux ($name)"
  [ "$ch" -ge 18 ] && [ "$ch" -le 30 ] && [ "$cw" -ge 30 ] && [ "$cw" -le 80 ] || fail "the chip is ${cw}x$ch ($name)"
  # Its plate in the palette's material, its text in the palette's text
  # colour: faded in fully once the plate reaches its brightness.
  if [ "${name%-*}" = dark ]; then
    wait_until 3 darker_than 4 4 $((cx + 3)) $((cy + ch / 2 - 2)) 0.3 || fail "the dark chip's plate is light"
  else
    wait_until 3 brighter_than 4 4 $((cx + 3)) $((cy + ch / 2 - 2)) 0.8 || fail "the light chip's plate is dark"
  fi
  # Its text darkens (or lightens) as the chip fades in, after the plate.
  local ink='r < 90 && g < 90 && b < 90'
  [ "${name%-*}" = dark ] && ink='r > 170 && g > 170 && b > 170'
  chip_text() { colour_count "$out/$name.png" $((cw - 16)) $((ch - 8)) $((cx + 8)) $((cy + 4)) "$ink"; }
  wait_until 3 eval 'shot "$name"; [ "$(chip_text)" -ge 20 ]' ||
    fail "the chip shows no text ($(chip_text) pixels, $name)"
  convert "$out/$name.png" -crop "$((cw + 40))x$((ch + 40))+$((cx - 20))+$((cy - 20))" +repage "$out/$name-chip.png"

  if [ "$side" = below ]; then move $ux $((uy + 300)); else move $ux $((uy - 300)); fi
  wait_until 3 no_chip "$pid" Undo || { shot "$name-stays"; fail "the chip stays after the pointer left ($name)"; }
}

start_overink_at topCenterH
show_toolbar "${pids[0]}"
check_undo_chip "${pids[0]}" below light-top
kill "${pids[0]}"
wait "${pids[0]}" 2>/dev/null

if has_qt6ct; then
  start_overink_at bottomCenterH dark
  show_toolbar "${pids[1]}"
  check_undo_chip "${pids[1]}" above dark-bottom
else
  start_overink_at bottomCenterH
  show_toolbar "${pids[1]}"
  check_undo_chip "${pids[1]}" above light-bottom
  echo "note: qt6ct is not installed, no dark shot"
fi
kill "${pids[1]}"
wait "${pids[1]}" 2>/dev/null

# The chip's real life, judged from what lasts rather than by catching it
# up: its window, made and named when the chip first shows, keeps the name
# after the chip went; once it is unmapped with the pointer still on the
# button, the chip went by itself.
timer_scale=1
start_overink_at topCenterH
show_toolbar "${pids[2]}"
ux=$((TX + TW - 99)) uy=$((TY + TH / 2))
move $ux $uy
undo_chip_window() { xdotool search --all --pid "${pids[2]}" --name '^Undo$' 2>/dev/null | head -n1; }
chip=$(answer_of 10 undo_chip_window) || { shot real-no-chip; fail "resting on the undo button showed no chip (real timers)"; }
unmapped() { xwininfo -id "$chip" 2>/dev/null | grep -q 'Map State: IsUnMapped'; }
wait_until 5 unmapped || { shot real-stays; fail "the chip stays while the pointer rests on the button (real timers)"; }
pointer_at $ux $uy || fail "the pointer left the undo button"
echo "ok: screenshots in $out"
