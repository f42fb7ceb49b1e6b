#!/usr/bin/env bash
# A screenshot saved where it cannot be written: the alert that says so is
# closed from the keyboard, with Return and then, on a second screenshot,
# with Esc, while the pointer rests on the camera button (whose tooltip
# chip comes back as the toolbar does). Each time the window manager lives
# on and still manages a new window, the keyboard stays with the program,
# and the toolbar and the overlays are back above other windows, the
# toolbar over the overlays.
#   unsaved_screenshot_alert.sh <overink>
# Runs under openbox and, as a variant (tests/CMakeLists.txt), fluxbox.
# x11-session: --wm openbox
# OVERINK_CLICK_RECORDER: a window of another process. OVERINK_E2E_OUTPUT:
# where the screenshots are kept.
set -u
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
overink=$1
recorder=${OVERINK_CLICK_RECORDER:?}
e2e_begin unsaved_screenshot_alert
[ "${OVERINK_X11_WM:-none}" != none ] || fail "needs a window manager"
# The session starts the X server first, the window manager next.
wm=$(echo "$OVERINK_X11_SESSION_PIDS" | cut -d' ' -f2)
kill -0 "$wm" 2>/dev/null || fail "no window manager running"

save_panel() { xdotool search --all --onlyvisible --pid "$1" --name '^Save Screenshot$' 2>/dev/null | head -n1; }
has_save_panel() { [ -n "$(save_panel "$1")" ]; }
no_save_panel() { ! has_save_panel "$1"; }
# The window manager's check window, which it keeps while it runs.
wm_check_window() {
  local id
  id=$(xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | awk '/window id/ { print $NF }')
  [ -n "$id" ] && [ "$(xprop -id "$id" _NET_SUPPORTING_WM_CHECK 2>/dev/null | awk '{ print $NF }')" = "$id" ]
}
managed() { xprop -root _NET_CLIENT_LIST 2>/dev/null | tr -d ',' | tr ' ' '\n' | grep -q "^$1$"; }
# The window manager still runs and takes a new window of another program
# in hand.
wm_lives_and_manages() {
  local log=$out/recorder-$1.log id
  kill -0 "$wm" 2>/dev/null || return 1
  wm_check_window || return 1
  "$recorder" 40 700 200 120 >"$log" 2>&1 &
  pids+=($!)
  wait_until 10 has_line "$log" '^ready ' || return 1
  id=$(awk '/^ready / { print $2; exit }' "$log")
  wait_until 10 managed "$(printf '0x%x' "$id")" || return 1
  # It took the keyboard as it came; it goes again.
  kill "${pids[-1]}"
  wait "${pids[-1]}" 2>/dev/null
  return 0
}
focus_is_ours() { xdotool search --pid "$program" 2>/dev/null | grep -qx "$(focused_window)"; }

# Another program's window, which the overlays stand above.
"$recorder" 40 400 200 120 >"$out/other.log" 2>&1 &
pids+=($!)
wait_until 10 has_line "$out/other.log" '^ready ' || fail "the other program's window did not show"
other=$(awk '/^ready / { print $2; exit }' "$out/other.log")

start_overink
program=${pids[-1]}
show_toolbar $program
set -- $(answer_of 5 overlays $program)
overlay=${1:?the tray icon showed no overlay}
set -- $(answer_of 5 toolbar $program)
toolbar_id=$1
camera_x=$((TX + TW - 24)) camera_y=$((TY + TH / 2))

# close_alert_with KEY ROUND: a screenshot into /proc, its alert closed with
# KEY.
close_alert_with() {
  local key=$1 round=$2 panel
  pointer_reaches $camera_x $camera_y "$toolbar_id" ||
    { shot "$round-camera"; fail "the camera button does not take the pointer ($key): $(window_under_pointer) is under it"; }
  xdotool click 1
  wait_until $(($(countdown_seconds) + 15)) has_save_panel $program || { shot "$round-no-panel"; fail "no save panel ($key)"; }
  panel=$(answer_of 5 save_panel $program)
  wait_until 5 focus_is "$panel" || fail "the save panel does not have the keyboard ($key)"
  xdotool key ctrl+a
  xdotool type --delay 5 /proc/x.jpg
  xdotool key Return
  wait_until 10 no_save_panel $program || fail "the save panel stayed open ($key)"
  wait_until 10 alert $program >/dev/null || { shot "no-alert-$round"; fail "no alert for an unwritable path ($key)"; }
  set -- $(answer_of 5 alert $program)
  wait_until 5 focus_is "$1" || fail "the alert does not have the keyboard ($key)"
  [ "$(grep -c 'could not save a screenshot to /proc/x.jpg: ' "$out/overink.log")" = "$round" ] ||
    fail "the failure is not logged with its path and reason ($key)"
  shot "$round-alert"
  # The pointer stays on the camera button, as it does for someone who
  # answers from the keyboard.
  pointer_at $camera_x $camera_y || fail "the pointer left the camera button ($key)"
  xdotool key "$key"
  wait_until 5 no_alert $program || fail "$key left the alert up"
  # The pointer leaves the button and comes back: its tooltip chip shows
  # again over the toolbar, which takes the pointer again.
  move $camera_x $((camera_y + 120))
  pace 0.2
  move $camera_x $camera_y
  wait_until 10 chip_geometry $program 'Capture screen' >/dev/null ||
    { shot "$round-no-chip"; fail "the camera button's tooltip did not come back ($key)"; }
  wait_until 5 focus_is_ours || fail "the keyboard left the program after the alert ($key)"
  wait_until 5 kept_above "$toolbar_id" || fail "the toolbar is not raised again after the alert ($key)"
  wait_until 5 above "$overlay" "$other" || fail "the overlay is not raised again after the alert ($key)"
  wait_until 5 above "$toolbar_id" "$overlay" || fail "the overlay covers the toolbar after the alert ($key)"
  shot "$round-after"
  # The window manager takes the new window only once it has dealt with
  # everything the program asked of it before.
  wm_lives_and_manages "$round" || fail "the window manager died as $key closed the alert"
}
close_alert_with Return 1
close_alert_with Escape 2

kill -TERM $program
wait_until 5 eval '! kill -0 $program 2>/dev/null' || fail "overink ignored SIGTERM"
echo "ok: screenshots in $out"
