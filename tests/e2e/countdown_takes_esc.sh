#!/usr/bin/env bash
# The keyboard goes where the user means, end to end, with a stand-in for
# the user's editor beside the program: the tray icon's click gives the
# program the keyboard; after a click into the editor the keys go there; the
# capture's save panel takes the keyboard by itself, and closing it leaves
# the keyboard with the program; Esc during a later countdown, after the
# user went back to typing in the editor, cancels the capture and never
# reaches the editor.
#   countdown_takes_esc.sh <overink>
# OVERINK_KEY_RECORDER: the editor's stand-in. OVERINK_E2E_OUTPUT: where the
# screenshots are kept.
set -u
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
overink=$1
editor_program=${OVERINK_KEY_RECORDER:?}
e2e_begin countdown_takes_esc

# The editor, at the left, holding the keyboard as the user types in it.
"$editor_program" 100 300 500 500 >"$out/editor.log" 2>&1 &
pids+=($!)
wait_until 5 has_line "$out/editor.log" '^ready ' || fail "the editor did not start"
editor=$(awk '$1 == "ready" { print $2; exit }' "$out/editor.log")
# The user works in it (a window manager may not give a new window the
# keyboard by itself, nor, now and then under load, on the first click
# before the program has started: then it is given directly, again until
# it stays).
click_at 350 550
editor_focused() { focus_is "$editor" || { xdotool windowfocus "$editor" 2>/dev/null; false; }; }
wait_until 3 focus_is "$editor" || wait_until 5 editor_focused || fail "the editor does not have the keyboard"
# escape_reached_editor: the editor reported an Esc (keysym ff1b).
escape_reached_editor() { recorder_sync "$out/editor.log" "$editor" && has_line "$out/editor.log" '^key ff1b '; }
# type_in_editor: the user clicks into the editor (where the overlays let
# clicks through) and types there.
type_in_editor() {
  pointer_reaches 300 700 "$editor" || fail "the editor is not under the pointer"
  xdotool click 1
  wait_until 5 focus_is "$editor" || fail "a click into the editor did not give it the keyboard"
  xdotool type --delay 20 ab
}

start_overink
program=${pids[-1]}
show_toolbar "$program"
save_panel() { xdotool search --all --onlyvisible --pid "$1" --name '^Save Screenshot$' 2>/dev/null | head -n1; }
has_save_panel() { [ -n "$(save_panel "$1")" ]; }
no_save_panel() { ! has_save_panel "$1"; }
countdown() { shown_window "$1" 'w == 260 && h == 260'; }
# program_has_keyboard: the focused window is one of the program's.
program_has_keyboard() { [ "$(xdotool getwindowpid "$(focused_window)" 2>/dev/null)" = "$program" ]; }
capture_x=$((TX + TW - 24)) capture_y=$((TY + TH / 2))

wait_until 5 program_has_keyboard || fail "the tray icon's click did not give the program the keyboard"
# Esc lets clicks through the overlays to the editor.
xdotool key Escape
type_in_editor

# A capture: its save panel takes the keyboard itself; Esc closes it, and
# the program keeps the keyboard.
click_at "$capture_x" "$capture_y"
wait_until $(($(countdown_seconds) + 10)) has_save_panel "$program" || fail "no save panel after the countdown"
# (By its name: the panel is its own window, whichever of its windows a
# search finds first.)
panel_has_keyboard() { [ "$(xdotool getwindowname "$(focused_window)" 2>/dev/null)" = "Save Screenshot" ]; }
wait_until 5 panel_has_keyboard || { shot 1-no-keyboard; fail "the save panel does not have the keyboard"; }
xdotool key Escape
wait_until 5 no_save_panel "$program" || fail "Esc left the save panel open"
wait_until 5 program_has_keyboard || fail "the program lost the keyboard as the save panel closed"
escape_reached_editor && fail "an Esc meant for the program reached the editor"

# Back to the editor, then a capture again: Esc during its countdown
# cancels it. Showing the countdown gives the program the keyboard; Esc
# goes once it has it. (The session's countdown outlasts these looks.)
type_in_editor
asked=$(date +%s%N)
click_at "$capture_x" "$capture_y"
wait_until 5 countdown "$program" >/dev/null || fail "no countdown"
wait_until 5 program_has_keyboard || fail "the countdown did not give the program the keyboard"
xdotool key Escape
wait_until 5 eval '! countdown "$program" >/dev/null' || fail "Esc left the countdown running"
# Gone sooner after the click than its three ticks take: Esc ended it, not
# the last tick.
[ $(($(date +%s%N) - asked)) -lt $(($(countdown_seconds) * 1000000000)) ] ||
  fail "the countdown had run its course before Esc could cancel it (too busy a machine for the timer scale)"
shot 2-after-escape
# No capture, also once the countdown would have run its course.
left=$(( ($(countdown_seconds) * 1000000000 - ($(date +%s%N) - asked)) / 1000000000 + 5 ))
holds_for "$left" no_save_panel "$program" || { shot 3-saving; fail "the capture went ahead after Esc"; }
escape_reached_editor && fail "the countdown's Esc reached the editor"
echo "ok: screenshots in $out"
