#!/usr/bin/env bash
# The settings panel end to end: a right click on the tray icon drops it
# down under the icon; its bottom-left spot docks the toolbar at the bottom
# left; Quit asks first, the alert above our lowered windows: Return keeps
# the program, "Close" ends it with status 0. The open panel is shot in the
# light palette and, where the qt6ct palette plugin is installed, a dark one.
#   settings_panel.sh <overink>
# OVERINK_E2E_OUTPUT: where the screenshots are kept.
set -u
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
overink=$1
e2e_begin settings_panel
overlay() { shown_window "$1" 'w == 1920 && h >= 1079'; }
toolbar_at() { toolbar "$1" | awk -v x="$2" -v y="$3" '{ exit !($2 == x && $3 == y) }'; }

# ---- Light: the panel under the icon, the bottom-left spot, Quit ----
start_overink
pid=${pids[0]}
icon=$(wait_steady 10 3 tray_icon_frame "$pid") || fail "no tray icon"
set -- $icon
IX=$(($1 + $3 / 2)) IY=$(($2 + $4 / 2)) ibottom=$(($2 + $4))
click_at "$IX" "$IY"
wait_until 5 toolbar "$pid" >/dev/null || fail "the tray icon showed no toolbar"
pace 0.5
open_settings "$pid"
[ "$PY" -eq $((ibottom + 6)) ] || fail "the panel's top is at $PY, not 6 under the icon's bottom $ibottom"
[ $((PX + PW)) -le 1920 ] || fail "the panel runs off the screen"
[ "$PH" -gt 200 ] || fail "the panel is only $PH high"
shot 1-panel-light

# The bottom-left spot: 18 % across the miniature (14 in from the panel's
# edge, 182 wide), 95 % down it (96 high, under the 14-point padding, the
# title and 5 points).
click_at $((PX + 14 + 33)) $((PY + 14 + 13 + 5 + 91))
wait_until 5 no_settings_panel "$pid" || fail "picking a spot left the panel open"
wait_until 5 toolbar_at "$pid" 8 1036 || { shot no-move; fail "the toolbar did not move to the bottom left"; }
shot 2-bottom-left

# Quit, then Return: the default answer keeps the program.
open_settings "$pid"
click_at $((PX + PW - 12 - 7)) $((PY + PH - 8 - 7))
wait_until 5 alert "$pid" >/dev/null || { shot no-alert; fail "Quit asked nothing"; }
no_settings_panel "$pid" || fail "the panel stayed open under the alert"
set -- $(answer_of 5 alert "$pid")
alert_id=$1
set -- $(answer_of 5 toolbar "$pid")
toolbar_id=$1
set -- $(answer_of 5 overlay "$pid")
overlay_id=$1
wait_until 5 above "$alert_id" "$toolbar_id" || fail "the toolbar covers the alert"
above "$alert_id" "$overlay_id" || fail "the overlay covers the alert"
kept_above "$toolbar_id" && fail "the toolbar stays above other windows during the alert"
shot 3-alert
xdotool key Return
wait_until 5 no_alert "$pid" || fail "Return left the alert up"
wait_until 5 kept_above "$toolbar_id" || fail "the toolbar is not raised again after the alert"
kill -0 "$pid" 2>/dev/null || fail "Return (Cancel) ended the program"
toolbar "$pid" >/dev/null || fail "cancelling hid the toolbar"

# Quit, then "Close" (the second button): the program ends, status 0.
open_settings "$pid"
click_at $((PX + PW - 12 - 7)) $((PY + PH - 8 - 7))
wait_until 5 alert "$pid" >/dev/null || fail "the second Quit asked nothing"
xdotool key Tab
pace 0.2
xdotool key space
gone() { ! kill -0 "$pid" 2>/dev/null; }
wait_until 10 gone || fail "Close did not end the program"
wait "$pid"
status=$?
[ "$status" -eq 0 ] || fail "the program ended with status $status"

# ---- Dark: the panel in the qt6ct palette, its smoothing section open ----
if has_qt6ct; then
  start_overink dark
  pid=${pids[1]}
  wait_steady 10 3 tray_icon_frame "$pid" >/dev/null || fail "no tray icon (dark)"
  open_settings "$pid"
  closed=$PH
  # The middle of the section's header row, under the diagram: 14 + title
  # 13 + 5 + 96 + 5 + caption 13 + 10 + 2, and half its 12 points.
  click_at $((PX + 100)) $((PY + 164))
  grown() { settings_panel "$pid" | awk -v h="$closed" '{ exit !($5 > h + 80) }'; }
  wait_until 5 grown || { shot dark-not-grown; fail "the smoothing section did not open"; }
  pace 0.3
  shot 4-panel-dark
  dark=$(brightness 4-panel-dark 100 20 $((PX + 50)) $((PY + 40)))
  awk -v b="$dark" 'BEGIN { exit !(b < 0.35) }' || fail "the dark panel is light ($dark)"
else
  echo "note: qt6ct is not installed, no dark shot"
fi
echo "ok: screenshots in $out"
