#!/usr/bin/env bash
# A pinned window minimised and restored: the toolbar and the overlay stay
# where they were throughout, also while the window manager animates the
# window away and back, and follow the window again once it is back.
#   pin_holds_while_minimised.sh <overink>
# OVERINK_CLICK_RECORDER: the window of another program.
# OVERINK_E2E_OUTPUT: where the screenshots are kept.
set -u
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
overink=$1
recorder=${OVERINK_CLICK_RECORDER:?the click recorder}
e2e_begin pin_holds_while_minimised
rm -f "$out"/*.log
geometry_of() { named_geometry "$overink_pid" "$1"; }
toolbar_and_overlay() { echo "$(geometry_of 'Overink Toolbar') / $(geometry_of 'Overink Overlay')"; }
client_at() { xdotool getwindowgeometry "$window" 2>/dev/null | awk '/Position/ { print $2 }'; }
iconic() { xprop -id "$window" WM_STATE 2>/dev/null | grep -q 'window state: Iconic'; }
frame_unmapped() { xwininfo -id "$(toplevel_of "$window")" 2>/dev/null | grep -q 'IsUnMapped'; }
frame_viewable() { xwininfo -id "$(toplevel_of "$window")" 2>/dev/null | grep -q 'IsViewable'; }
# stays_until SECONDS COMMAND...: the toolbar and the overlay stay where they
# were pinned ($pinned) at every look until COMMAND succeeds.
stays_until() {
  local deadline now
  deadline=$(deadline_in "$1")
  shift
  while :; do
    now=$(toolbar_and_overlay)
    [ "$now" = "$pinned" ] || fail "the toolbar or the overlay moved: $now, pinned at $pinned"
    "$@" && return 0
    [ "$(date +%s%N)" -lt "$deadline" ] || fail "timed out waiting for: $*"
  done
}

# Another program's window with the window manager's title bar and borders:
# those are what it animates.
"$recorder" 600 400 600 400 decorated >"$out/recorder.log" 2>&1 &
pids+=($!)
wait_until 10 has_line "$out/recorder.log" '^ready ' || fail "the other window did not show"
window=$(awk '/^ready / { print $2; exit }' "$out/recorder.log")
wait_until 5 frame_viewable || fail "the other window has no frame"

start_overink
overink_pid=${pids[-1]}
show_toolbar "$overink_pid"

# The pin control (third item), then a click inside the window.
pointer_reaches $((TX + 89)) $((TY + TH / 2)) "$(xdotool search --all --pid "$overink_pid" --name '^Overink Toolbar$' | head -1)" ||
  fail "the pointer does not reach the pin control"
xdotool click 1
pace 0.2
move 900 700
xdotool click 1
toolbar_pinned() { [ "$(geometry_of 'Overink Toolbar' | cut -d' ' -f2)" -lt 400 ]; }
wait_until 5 toolbar_pinned || fail "the toolbar did not go above the window: $(geometry_of 'Overink Toolbar')"
pinned=$(wait_steady 5 3 toolbar_and_overlay) || fail "the toolbar does not settle beside the window"
place=$(client_at)
shot 0-pinned

# Minimised: through the window manager's animation to its end (the frame
# unmapped), nothing moves.
xdotool windowminimize "$window"
stays_until 5 iconic
stays_until 5 frame_unmapped
shot 1-minimised

# Restored: through the animation back until the window is in place again,
# and a while after, nothing moves either.
xdotool windowactivate "$window" 2>/dev/null
back() { frame_viewable && ! iconic && [ "$(client_at)" = "$place" ]; }
stays_until 5 back
until_half_a_second=$(( $(date +%s%N) + 500000000 ))
past() { [ "$(date +%s%N)" -ge "$until_half_a_second" ]; }
stays_until 5 past
shot 2-restored

# Followed again.
xdotool windowmove "$window" 700 450
moved() { [ "$(toolbar_and_overlay)" != "$pinned" ]; }
wait_until 5 moved || fail "the toolbar no longer follows the window"
echo "ok: screenshots in $out"
