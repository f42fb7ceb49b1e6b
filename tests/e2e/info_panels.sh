#!/usr/bin/env bash
# Help and About end to end, opened while the user's editor holds the
# keyboard: the settings panel's About opens the about panel centred in the
# work area, named "Overink About" and carrying the application's icon, and
# Esc closes it; Help opens the help panel, a second Help still shows one,
# and its footer's "Close" closes it; Help opened once more closes on Esc.
# No Esc reaches the editor. The panels are shot in the light palette and,
# where the qt6ct palette plugin is installed, a dark one.
#   info_panels.sh <overink>
# Runs under every window manager, as variants (tests/CMakeLists.txt).
# OVERINK_KEY_RECORDER: the editor's stand-in. OVERINK_E2E_OUTPUT: where the
# screenshots are kept.
set -u
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
overink=$1
e2e_begin info_panels

# The editor, at the bottom left, away from the panels.
"${OVERINK_KEY_RECORDER:?}" 40 640 300 300 >"$out/editor.log" 2>&1 &
pids+=($!)
wait_until 5 has_line "$out/editor.log" '^ready ' || fail "the editor did not start"
editor=$(awk '$1 == "ready" { print $2; exit }' "$out/editor.log")
# type_in_editor: the user clicks into the editor and it has the keyboard (a
# window manager may not give it on the first click under load: then it is
# given directly).
editor_focused() { focus_is "$editor" || { xdotool windowfocus "$editor" 2>/dev/null; false; }; }
type_in_editor() {
  click_at 190 790
  wait_until 3 focus_is "$editor" || wait_until 5 editor_focused || fail "the editor does not have the keyboard"
}
# escape_reached_editor: the editor reported an Esc (keysym ff1b).
escape_reached_editor() { recorder_sync "$out/editor.log" "$editor" && has_line "$out/editor.log" '^key ff1b '; }
# shown_windows PID TEST: every shown window of ours whose geometry passes
# the awk TEST on w h, one "ID X Y W H" a line.
shown_windows() {
  local w X Y WIDTH HEIGHT SCREEN WINDOW
  for w in $(xdotool search --onlyvisible --pid "$1" 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$w")"
    if awk -v w="$WIDTH" -v h="$HEIGHT" "BEGIN { exit !($2) }"; then echo "$w $X $Y $WIDTH $HEIGHT"; fi
  done
}
about() { shown_windows "$1" 'w == 346 && h == 430' | grep .; }
no_about() { ! about "$1" >/dev/null; }
help() { shown_windows "$1" 'w == 360 && h == 470' | grep .; }
no_help() { ! help "$1" >/dev/null; }
# The footer's buttons, 14 wide, 8 above the bottom: Help 12 in from the
# left; About left of Quit, which is 12 in from the right, 12 apart.
press_help() { open_settings "$1"; click_at $((PX + 12 + 7)) $((PY + PH - 8 - 7)); }
press_about() { open_settings "$1"; click_at $((PX + PW - 12 - 14 - 12 - 7)) $((PY + PH - 8 - 7)); }
# centred W H X Y: the frame's centre is the work area's, to a pixel.
centred() {
  local wa
  wa=$(xprop -root _NET_WORKAREA | cut -d= -f2 | tr -d ' ' | cut -d, -f1-4)
  awk -v wa="$wa" -v w="$1" -v h="$2" -v x="$3" -v y="$4" 'BEGIN {
    split(wa, a, ",")
    dx = x + w / 2 - (a[1] + a[3] / 2); dy = y + h / 2 - (a[2] + a[4] / 2)
    exit !(dx >= -1 && dx <= 1 && dy >= -1 && dy <= 1) }'
}

run() {
  local pid=$1 theme=$2 geometry id
  await_tray_icon "$pid"

  # About: centred, named, closed by Esc.
  type_in_editor
  press_about "$pid"
  geometry=$(wait_steady 5 3 about "$pid") || { shot "no-about-$theme"; fail "About opened no panel ($theme)"; }
  no_settings_panel "$pid" || fail "the settings panel stayed open under About ($theme)"
  set -- $geometry
  id=$1
  centred 346 430 "$2" "$3" || fail "the about panel at $2,$3 is not centred in the work area ($theme)"
  [ "$(xdotool getwindowname "$id")" = "Overink About" ] || fail "the about panel is named $(xdotool getwindowname "$id")"
  xprop -id "$id" _NET_WM_ICON | grep -q 'Icon (32 x 32)' || fail "the about panel's window has no application icon"
  pace 0.3
  shot "1-about-$theme"
  xdotool key Escape
  wait_until 5 no_about "$pid" || { shot "esc-about-$theme"; fail "Esc left the about panel open ($theme)"; }
  escape_reached_editor && fail "the Esc meant for the about panel reached the editor ($theme)"

  # Help twice: one panel; its "Close" closes it.
  press_help "$pid"
  wait_steady 5 3 help "$pid" >/dev/null || { shot "no-help-$theme"; fail "Help opened no panel ($theme)"; }
  press_help "$pid"
  wait_until 5 no_settings_panel "$pid" || fail "the settings panel stayed open under Help ($theme)"
  geometry=$(wait_steady 5 3 help "$pid") || fail "the second Help opened no panel ($theme)"
  [ "$(help "$pid" | wc -l)" -eq 1 ] || fail "two help panels are shown ($theme)"
  set -- $geometry
  id=$1
  centred 360 470 "$2" "$3" || fail "the help panel at $2,$3 is not centred in the work area ($theme)"
  [ "$(xdotool getwindowname "$id")" = "Overink Help" ] || fail "the help panel is named $(xdotool getwindowname "$id")"
  pace 0.3
  shot "2-help-$theme"
  # The footer's "Close": right of the hint, 12 in, 8 above the bottom.
  click_at $(($2 + 360 - 12 - 20)) $(($3 + 470 - 8 - 10))
  wait_until 5 no_help "$pid" || { shot "close-help-$theme"; fail "Close left the help panel open ($theme)"; }

  # Help from the editor again, closed by Esc.
  type_in_editor
  press_help "$pid"
  wait_steady 5 3 help "$pid" >/dev/null || { shot "no-help-again-$theme"; fail "Help opened no panel again ($theme)"; }
  xdotool key Escape
  wait_until 5 no_help "$pid" || { shot "esc-help-$theme"; fail "Esc left the help panel open ($theme)"; }
  escape_reached_editor && fail "the Esc meant for the help panel reached the editor ($theme)"
  kill -0 "$pid" 2>/dev/null || fail "the program ended ($theme)"
}

start_overink
run "${pids[1]}" light
if has_qt6ct; then
  kill "${pids[1]}"
  wait "${pids[1]}" 2>/dev/null
  start_overink dark
  run "${pids[2]}" dark
else
  echo "note: qt6ct is not installed, no dark shot"
fi
echo "ok: screenshots in $out"
