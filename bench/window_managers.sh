#!/usr/bin/env bash
# Counts, under each window manager with and without a compositing manager,
# how often what a window manager decides goes right: clicks that pass
# through the overlay, the tray icon's clicks, presses and strokes on a
# pinned window on either monitor, strokes begun the moment the overlays
# appear, Help and About taking Esc from another program's keyboard, quick
# ticks, and our levels as the window manager ends and starts again. Each
# figure is the actions of the test runs that passed, of all those tried.
#   bench/window_managers.sh BUILD [ROUNDS] [LAYOUT...]
# BUILD: a build folder with the tests (make build). ROUNDS scales the runs
# (1: the issue's minimum counts). LAYOUTS as "wm" or "wm:--no-compositor";
# by default the nine of the test suite.
set -u
build=$(cd "${1:?usage: $0 BUILD [ROUNDS] [LAYOUT...]}" && pwd)
rounds=${2:-1}
shift $(($# >= 2 ? 2 : 1))
layouts=${*:-"openbox openbox:--no-compositor fluxbox fluxbox:--no-compositor icewm icewm:--no-compositor xfwm4 xfwm4:--no-compositor xfwm4-compositing"}
root=$(cd "$(dirname "$0")/.." && pwd)
session=$root/scripts/x11-session
export OVERINK_STANDIN_WM=$build/tests/standin_wm OVERINK_CLICK_RECORDER=$build/tests/click_recorder \
  OVERINK_KEY_RECORDER=$build/tests/key_recorder OVERINK_X_QUERY=$build/tests/x_query \
  OVERINK_STROKE_ON_APPEARANCE=$build/tests/stroke_on_appearance
out=$(mktemp -d /tmp/overink-wm-bench.XXXXXX)
export OVERINK_E2E_OUTPUT=$out/e2e

# x11 LAYOUT OPTIONS FILTER RUNS: passed runs of one x11 case.
x11() {
  local wm=${1%%:*} opt= passed=0 i
  [[ $1 == *:* ]] && opt=${1#*:}
  for i in $(seq "$4"); do
    # shellcheck disable=SC2086
    "$session" $2 --wm "$wm" $opt -- "$build/tests/x11_app" --gtest_filter="$3" >>"$out/x11.log" 2>&1 &&
      passed=$((passed + 1))
  done
  echo "$passed"
}
# e2e LAYOUT SCRIPT RUNS [ARGS]: passed runs of one end-to-end script.
e2e() {
  local wm=${1%%:*} opt= passed=0 i
  [[ $1 == *:* ]] && opt=${1#*:}
  for i in $(seq "$3"); do
    # shellcheck disable=SC2086
    "$session" --wm "$wm" $opt -- "$root/tests/e2e/$2.sh" "$build/src/overink" ${4:-} >>"$out/e2e.log" 2>&1 &&
      passed=$((passed + 1))
  done
  echo "$passed"
}
# "passed actions of all tried"
of() { echo "$(($1 * $2))/$(($3 * $2))"; }

printf '%-26s %9s %9s %9s %9s %9s %9s %9s %9s %9s %9s %9s\n' layout passthru tray strip empty other-mon pick \
  fresh reshow help-about ticks wm-kills
for layout in $layouts; do
  # 20 clicks that pass through beside a stroke a run.
  pass=$(x11 "$layout" "" 'OverlayOnX11.ClicksRightAfterAJump*' "$rounds")
  # Draw and move mode, tray at the top, bottom and left: 6 clicks.
  tray=0
  for edge in top bottom left; do
    tray=$((tray + $(x11 "$layout" "--tray-edge $edge" 'OverlayOnX11.TheTrayIconToggles*' "$rounds")))
  done
  # A run: a picking click, and on each monitor a strip press, a stroke
  # and a click on an empty part.
  pin=$(x11 "$layout" "" 'PinningOnX11.APinned*' $((10 * rounds)))
  # 20 fresh starts, each stroke pressed as the overlay maps.
  fresh=$(e2e "$layout" strokes_right_after_the_overlays_appear "$rounds" 20)
  # 5 shows again from the tray, each stroke pressed as the overlay maps.
  reshow=$(e2e "$layout" strokes_right_after_the_overlays_appear "$rounds" "5 reshow")
  # A run opens About twice and Help four times (light and dark).
  help=$(e2e "$layout" info_panels $((4 * rounds)))
  # 200 ticks a run.
  ticks=$(x11 "$layout" "" 'OverlayOnX11.EveryTick*' $((3 * rounds)))
  # Two ends and starts of the window manager a run.
  kills=$(x11 "$layout" "" 'WindowManagerGoneOnX11.*' $((3 * rounds)))
  printf '%-26s %9s %9s %9s %9s %9s %9s %9s %9s %9s %9s %9s\n' "$layout" "$(of "$pass" 20 "$rounds")" \
    "$(of "$tray" 2 $((3 * rounds)))" "$(of "$pin" 2 $((10 * rounds)))" "$(of "$pin" 2 $((10 * rounds)))" \
    "$(of "$pin" 1 $((10 * rounds)))" "$(of "$pin" 1 $((10 * rounds)))" "$(of "$fresh" 20 "$rounds")" \
    "$(of "$reshow" 5 "$rounds")" \
    "$(of "$help" 6 $((4 * rounds)))" "$(of "$ticks" 200 $((3 * rounds)))" "$(of "$kills" 2 $((3 * rounds)))"
done
echo "logs in $out"
