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
e2e_begin update_check
work=$(mktemp -d)
homes+=("$work")

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

# The program reads the feed from that server.
export OVERINK_APPCAST_URL="http://127.0.0.1:$port/feed.xml"
requests() { grep -c 'GET /feed.xml' "$work/requests.log" 2>/dev/null; }
requested() { [ "$(requests)" = "$1" ]; }
recorded() { grep -q '"updater.lastUpdateCheckDate"' "$1/.config/overink/defaults.json" 2>/dev/null; }

# ---- Light ----
start_overink
pid=${pids[-1]}
show_toolbar "$pid"
pace 0.5
open_settings "$pid"
pace 0.3
shot 1-panel-light
[ "$(requests)" = "" ] || [ "$(requests)" = 0 ] || fail "the feed was read before any check"

# "Check Now": the right end of the version row, 104 points above the
# panel's bottom edge (footer 30, divider 8, checkbox two lines and its
# inset, the status line).
click_at $((PX + PW - 14 - 30)) $((PY + PH - 104))
wait_until 5 no_settings_panel "$pid" || { shot panel-stays; fail "Check Now left the panel open"; }
wait_until 10 alert "$pid" >/dev/null || { shot no-offer; fail "the check offered nothing (feed read $(requests) times)"; }
requested 1 || fail "the feed was read $(requests) times, not once"
set -- $(answer_of 5 alert "$pid")
alert_id=$1
set -- $(answer_of 5 toolbar "$pid")
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
open_settings "$pid"
pace 0.3
shot 3-panel-after-check
requested 1 || fail "opening the panel read the feed again"

# One copy runs at a time: the light one ends first.
kill "$pid"
wait "$pid" 2>/dev/null

# ---- Dark: the panel with its update rows in the qt6ct palette ----
if has_qt6ct; then
  start_overink dark
  pid=${pids[-1]}
  await_tray_icon "$pid"
  open_settings "$pid"
  pace 0.3
  shot 4-panel-dark
  dark=$(brightness 4-panel-dark 100 20 $((PX + 20)) $((PY + PH - 110)))
  awk -v b="$dark" 'BEGIN { exit !(b < 0.35) }' || fail "the dark panel's update rows are light ($dark)"
else
  echo "note: qt6ct is not installed, no dark shot"
fi
echo "ok: screenshots in $out"
