#!/usr/bin/env bash
# The program starts, keeps running, and ends cleanly on SIGTERM.
set -u
overink=$1
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
HOME=$home XDG_CONFIG_HOME=$home/.config XDG_DATA_HOME=$home/.local/share "$overink" &
pid=$!
sleep 1
if ! kill -0 $pid 2>/dev/null; then echo "overink exited early"; exit 1; fi
kill -TERM $pid
for _ in $(seq 100); do kill -0 $pid 2>/dev/null || break; sleep 0.05; done
if kill -0 $pid 2>/dev/null; then echo "overink ignored SIGTERM"; kill -9 $pid; exit 1; fi
wait $pid
status=$?
[ $status -eq 0 ] || { echo "overink exited with status $status after SIGTERM"; exit 1; }
