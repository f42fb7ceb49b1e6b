#!/usr/bin/env bash
# Software updates end to end against a feed served on 127.0.0.1: the
# settings panel's "Check Now" closes the panel, the program reads the feed
# and offers the newer version in a window above our lowered windows; Cancel
# dismisses it, our windows come back above others, and the check is
# recorded in the program's store. The panel with its update rows is shot in
# the light palette and, where the qt6ct palette plugin is installed, a
# dark one.
#   update_check.sh <overink>
# OVERINK_E2E_OUTPUT: where the screenshots are kept.
set -u
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
overink=$1
out=${OVERINK_E2E_OUTPUT:-$(mktemp -d)}/update_check
mkdir -p "$out"
rm -f "$out"/*.png
work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  for p in "${pids[@]}"; do wait "$p" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; echo "screenshots in $out" >&2; exit 1; }
shot() { import -window root "$out/$1.png"; }

# The feed: one item far newer than any build.
cat >"$work/feed.xml" <<'FEED'
<?xml version="1.0" encoding="utf-8"?>
<rss version="2.0" xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle">
  <channel>
    <title>Overink</title>
    <item>
      <title>Overink 999.0</title>
      <sparkle:version>999999999</sparkle:version>
      <sparkle:shortVersionString>999.0</sparkle:shortVersionString>
      <link>https://overink.example/download</link>
      <enclosure url="https://overink.example/files/overink.tar.gz" length="1" type="application/octet-stream"/>
    </item>
  </channel>
</rss>
FEED

# A tiny HTTP server on 127.0.0.1 (perl's core modules only): writes its
# port, logs each request line and answers every request with the feed. It
# stops by itself after two minutes.
perl -MIO::Socket::INET -e '
  my ($feed, $portfile, $log) = @ARGV;
  open(my $f, "<", $feed) or die; my $body = do { local $/; <$f> }; close $f;
  my $s = IO::Socket::INET->new(LocalAddr => "127.0.0.1", LocalPort => 0, Listen => 5, ReuseAddr => 1) or die;
  open(my $p, ">", "$portfile.tmp") or die; print $p $s->sockport, "\n"; close $p;
  rename("$portfile.tmp", $portfile);
  $SIG{ALRM} = sub { exit 0 }; alarm 120;
  while (my $c = $s->accept) {
    my $line = <$c>;
    while (my $h = <$c>) { last if $h =~ /^\r?\n$/ }
    open(my $l, ">>", $log); print $l $line; close $l;
    print $c "HTTP/1.1 200 OK\r\nContent-Type: application/rss+xml\r\nContent-Length: " . length($body) .
      "\r\nConnection: close\r\n\r\n" . $body;
    close $c;
  }' "$work/feed.xml" "$work/port" "$work/requests.log" &
pids+=($!)
wait_until 10 test -s "$work/port" || fail "the feed server did not start"
port=$(cat "$work/port")

# start_overink HOME [dark]
start_overink() {
  local home=$1 theme=()
  mkdir -p "$home/.config"
  if [ "${2:-}" = dark ]; then
    mkdir -p "$home/.config/qt6ct"
    printf '[Appearance]\ncolor_scheme_path=/usr/share/qt6ct/colors/darker.conf\ncustom_palette=true\nstyle=Fusion\n' \
      >"$home/.config/qt6ct/qt6ct.conf"
    theme=(QT_QPA_PLATFORMTHEME=qt6ct)
  fi
  env HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" XDG_RUNTIME_DIR="$home" \
    OVERINK_APPCAST_URL="http://127.0.0.1:$port/feed.xml" "${theme[@]}" "$overink" >>"$out/overink.log" 2>&1 &
  pids+=($!)
}
tray_icon() {
  local w X Y WIDTH HEIGHT SCREEN WINDOW
  for w in $(xdotool search --pid "$1" 2>/dev/null); do
    if xprop -id "$w" _XEMBED_INFO 2>/dev/null | grep -q '='; then
      eval "$(xdotool getwindowgeometry --shell "$w")"
      echo "$X $Y $WIDTH $HEIGHT"
      return 0
    fi
  done
  return 1
}
shown_window() {
  local w X Y WIDTH HEIGHT SCREEN WINDOW
  for w in $(xdotool search --onlyvisible --pid "$1" 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$w")"
    if awk -v w="$WIDTH" -v h="$HEIGHT" "BEGIN { exit !($2) }"; then echo "$w $X $Y $WIDTH $HEIGHT"; return 0; fi
  done
  return 1
}
toolbar() { shown_window "$1" 'h == 36 && w > 600'; }
panel() { shown_window "$1" 'w == 210'; }
no_panel() { ! panel "$1" >/dev/null; }
# The offer: a shown window of ours that is none of the others.
alert() { shown_window "$1" '(w != 1920 && w != 210 && h != 36 && w > 100 && h > 80)'; }
no_alert() { ! alert "$1" >/dev/null; }
above() {
  local id i=0 pa=0 pb=0
  for id in $(xprop -root _NET_CLIENT_LIST_STACKING | cut -d'#' -f2 | tr -d ','); do
    i=$((i + 1))
    [ $((id)) -eq "$1" ] && pa=$i
    [ $((id)) -eq "$2" ] && pb=$i
  done
  [ "$pa" -gt 0 ] && [ "$pb" -gt 0 ] && [ "$pa" -gt "$pb" ]
}
kept_above() { xprop -id "$1" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE; }
click_at() { move "$1" "$2"; pace 0.2; xdotool click "${3:-1}"; }
open_panel() {
  local geometry
  click_at "$IX" "$IY" 3
  wait_until 5 panel "$1" >/dev/null || { shot no-panel; fail "a right click on the tray icon opened no panel"; }
  geometry=$(wait_steady 5 3 panel "$1") || fail "the panel does not settle"
  set -- $geometry
  PX=$2 PY=$3 PW=$4 PH=$5
}
requests() { grep -c 'GET /feed.xml' "$work/requests.log" 2>/dev/null; }
requested() { [ "$(requests)" = "$1" ]; }
recorded() { grep -q '"updater.lastUpdateCheckDate"' "$1/.config/overink/defaults.json" 2>/dev/null; }

# ---- Light ----
home=$work/light
start_overink "$home"
pid=${pids[-1]}
icon=$(wait_steady 10 3 tray_icon "$pid") || fail "no tray icon"
set -- $icon
IX=$(($1 + $3 / 2)) IY=$(($2 + $4 / 2))
click_at "$IX" "$IY"
wait_until 5 toolbar "$pid" >/dev/null || fail "the tray icon showed no toolbar"
pace 0.5
open_panel "$pid"
pace 0.3
shot 1-panel-light
[ "$(requests)" = "" ] || [ "$(requests)" = 0 ] || fail "the feed was read before any check"

# "Check Now": the right end of the version row, 104 points above the
# panel's bottom edge (footer 30, divider 8, checkbox two lines and its
# inset, the status line).
click_at $((PX + PW - 14 - 30)) $((PY + PH - 104))
wait_until 5 no_panel "$pid" || { shot panel-stays; fail "Check Now left the panel open"; }
wait_until 10 alert "$pid" >/dev/null || { shot no-offer; fail "the check offered nothing (feed read $(requests) times)"; }
requested 1 || fail "the feed was read $(requests) times, not once"
set -- $(alert "$pid")
alert_id=$1
set -- $(toolbar "$pid")
toolbar_id=$1
wait_until 5 above "$alert_id" "$toolbar_id" || { shot covered; fail "the toolbar covers the offer"; }
kept_above "$toolbar_id" && fail "the toolbar stays above other windows during the offer"
shot 2-offer
# Cancel, the second button (Esc is taken by the overlay's own key handling).
xdotool key Tab
pace 0.2
xdotool key space
wait_until 5 no_alert "$pid" || fail "Cancel left the offer up"
wait_until 5 kept_above "$toolbar_id" || fail "the toolbar is not raised again after the offer"
toolbar "$pid" >/dev/null || fail "the offer hid the toolbar"
wait_until 5 recorded "$home" || fail "the check is not recorded in the program's store"

# Opened again, the panel tells when the check ran (shot).
open_panel "$pid"
pace 0.3
shot 3-panel-after-check
requested 1 || fail "opening the panel read the feed again"

# One copy runs at a time: the light one ends first.
kill "$pid"
wait "$pid" 2>/dev/null

# ---- Dark: the panel with its update rows in the qt6ct palette ----
if [ -e /usr/lib/x86_64-linux-gnu/qt6/plugins/platformthemes/libqt6ct.so ]; then
  start_overink "$work/dark" dark
  pid=${pids[-1]}
  wait_steady 10 3 tray_icon "$pid" >/dev/null || fail "no tray icon (dark)"
  open_panel "$pid"
  pace 0.3
  shot 4-panel-dark
  dark=$(convert "$out/4-panel-dark.png" -crop "100x20+$((PX + 20))+$((PY + PH - 110))" +repage -colorspace Gray \
    -format '%[fx:mean]' info:)
  awk -v b="$dark" 'BEGIN { exit !(b < 0.35) }' || fail "the dark panel's update rows are light ($dark)"
else
  echo "note: qt6ct is not installed, no dark shot"
fi
echo "ok: screenshots in $out"
