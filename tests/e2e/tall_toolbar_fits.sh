#!/usr/bin/env bash
# A vertical toolbar longer than a small screen allows (1024x600, a tray
# panel along the top) breaks into two columns that stand 8 pixels inside
# the work area, so that every control stays on the screen: the last one,
# the capture button, shows its chip under the pointer.
#   tall_toolbar_fits.sh <overink>
# OVERINK_E2E_OUTPUT: where the screenshots are kept.
# x11-session: --size 1024x600
set -u
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
overink=$1
e2e_begin tall_toolbar_fits
# The vertical toolbar, as X Y W H.
vertical_toolbar() {
  local found
  found=$(shown_window "$1" 'h > w && h > 200 && w < 200') || return 1
  echo "${found#* }"
}
any_chip() { chip_geometry "$1" "$2" >/dev/null; }

start_overink_at middleLeftV
pid=${pids[0]}
await_tray_icon $pid
click_at "$IX" "$IY"
geometry=$(wait_steady 10 3 vertical_toolbar $pid) || { shot no-toolbar; fail "the tray icon showed no vertical toolbar"; }
set -- $geometry
TX=$1 TY=$2 TW=$3 TH=$4
shot 1-toolbar
set -- $(xprop -root _NET_WORKAREA | cut -d= -f2 | tr -d ',')
WX=$1 WY=$2 WW=$3 WH=$4
[ "$TX" -ge $((WX + 8)) ] && [ "$TY" -ge $((WY + 8)) ] && [ $((TY + TH)) -le $((WY + WH - 8)) ] ||
  fail "the toolbar ($TX, $TY, ${TW}x$TH) runs off the work area ($WX, $WY, ${WW}x$WH)"
[ "$TW" -gt 80 ] || fail "the toolbar is ${TW} wide: one column"
convert "$out/1-toolbar.png" -crop "$((TW + 40))x$((TH + 40))+$((TX - 20))+$((TY - 20))" +repage "$out/toolbar.png"

# The capture button ends the second column (40 points wide, 6 in from the
# toolbar's right edge): resting on it, found from the bottom up, shows
# its chip.
x=$((TX + TW - 26))
found=
for y in $(seq $((TY + TH - 14)) -8 $((TY + 12))); do
  move $x $y
  if wait_until 1 any_chip $pid "Capture screen + drawing (3s)"; then found=$y; break; fi
done
[ -n "$found" ] || { shot 2-no-chip; fail "no point of the toolbar's second column shows the capture button's chip"; }
shot 2-capture-chip
echo "ok: screenshots in $out"
