#!/usr/bin/env bash
# Starts the program on an X server of its own and ends that server at a
# random moment 0-0.3 s after the launch, SIGKILL and SIGTERM by turns, many
# times: every start must end with status 1 and exactly one line of the
# program's own on stderr, never a signal (Qt's abort, a crash) nor Xlib's
# own I/O error line.
#
#   bench/starts_losing_the_server.sh [build-dir] [ROUNDS]
#
# build-dir defaults to ./build, ROUNDS to 100. Prints a line for each round
# that went wrong and a summary (where the kills fell, by the program's
# line); exits 1 when any round went wrong.
set -u
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-$here/build}
rounds=${2:-100}
overink=$build/src/overink
[ -x "$overink" ] || { echo "starts_losing_the_server: build src/overink first (in $build)" >&2; exit 2; }
work=$(mktemp -d /tmp/overink-losing-server.XXXXXX)

ok=0 bad=0 before_check=0 while_starting=0 with_qt_line=0
started=$(date +%s)
for round in $(seq 1 "$rounds"); do
  dir=$work/$round
  mkdir -p "$dir/home"
  chmod 700 "$dir/home"
  # The server names the display it took on the descriptor it is given.
  Xvfb -displayfd 1 -nolisten tcp -screen 0 1280x800x24 -auth /dev/null >"$dir/display" 2>"$dir/xvfb.log" &
  server=$!
  for _ in $(seq 200); do [ -s "$dir/display" ] && break; sleep 0.05; done
  display=:$(head -1 "$dir/display")
  if [ "$display" = : ]; then echo "round $round: Xvfb did not start" >&2; kill -9 $server 2>/dev/null; bad=$((bad + 1)); continue; fi
  signal=KILL
  [ $((round % 2)) -eq 0 ] && signal=TERM
  delay=$(printf '0.%03d' $((RANDOM % 301)))
  env DISPLAY="$display" HOME="$dir/home" XDG_CONFIG_HOME="$dir/home" XDG_DATA_HOME="$dir/home" \
    XDG_CACHE_HOME="$dir/home" XDG_RUNTIME_DIR="$dir/home" "$overink" >/dev/null 2>"$dir/err" &
  program=$!
  sleep "$delay"
  kill -$signal $server 2>/dev/null
  wait $server 2>/dev/null
  for _ in $(seq 600); do kill -0 $program 2>/dev/null || break; sleep 0.05; done
  if kill -0 $program 2>/dev/null; then
    kill -9 $program
    echo "ended by the script" >>"$dir/err"
  fi
  wait $program
  status=$?
  ours=$(grep -c '^overink: ' "$dir/err")
  xlib=$(grep -c -e '^X connection to' -e '^XIO:' "$dir/err")
  if [ $status -eq 1 ] && [ "$ours" -eq 1 ] && [ "$xlib" -eq 0 ]; then
    ok=$((ok + 1))
    grep -q '^overink: the X display .* does not answer' "$dir/err" && before_check=$((before_check + 1))
    grep -q '^overink: The X server is gone' "$dir/err" && while_starting=$((while_starting + 1))
    grep -q 'The X11 connection broke' "$dir/err" && with_qt_line=$((with_qt_line + 1))
    rm -rf "$dir"
  else
    bad=$((bad + 1))
    echo "round $round (SIG$signal after $delay s): status $status, $ours lines of ours, $xlib of Xlib's:"
    sed 's/^/    /' "$dir/err"
  fi
done
echo "$rounds starts, the server ended 0-0.3 s after each (SIGKILL and SIGTERM by turns) in $(($(date +%s) - started)) s:" \
  "$ok ended with status 1 and one line of ours ($before_check before the program's check answered," \
  "$while_starting once it had: $with_qt_line of them after Qt's line on the broken connection), $bad did not;" \
  "load $(cut -d' ' -f1-3 /proc/loadavg)"
[ "$bad" -eq 0 ] && rm -rf "$work"
[ "$bad" -eq 0 ]
