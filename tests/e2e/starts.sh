#!/usr/bin/env bash
# The program starts (its tray icon appears), keeps running, and ends
# cleanly on SIGTERM.
set -u
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
overink=$1
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
HOME=$home XDG_CONFIG_HOME=$home/.config XDG_DATA_HOME=$home/.local/share XDG_RUNTIME_DIR=$home "$overink" &
pid=$!
# The tray host embeds a window of ours once the launch is done.
has_tray_icon() { tray_icon_frame "$pid" >/dev/null; }
running() { kill -0 $pid 2>/dev/null; }
launched_or_ended() { has_tray_icon || ! running; }
wait_until 10 launched_or_ended
if ! running; then echo "overink exited early"; exit 1; fi
has_tray_icon || { echo "overink shows no tray icon"; kill -9 $pid; exit 1; }
kill -TERM $pid
if ! wait_until 5 eval '! running'; then echo "overink ignored SIGTERM"; kill -9 $pid; exit 1; fi
wait $pid
status=$?
[ $status -eq 0 ] || { echo "overink exited with status $status after SIGTERM"; exit 1; }
