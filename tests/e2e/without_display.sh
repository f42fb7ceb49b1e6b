#!/usr/bin/env bash
# Without an X display the program, and `make run` before it builds, say in
# one line what is wrong and end with a failure status, not Qt's abort.
#   without_display.sh <overink>
set -u
overink=$1
check_display=$(dirname "$0")/../../scripts/check-display
fail() { echo "FAIL: $*" >&2; exit 1; }
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT

# One line on stderr naming the X11 session; status 1 (Qt's abort is 134).
expect_one_line() {
  local what=$1 status=$2 err=$3
  [ "$status" -eq 1 ] || fail "$what: exit status $status"
  [ "$(wc -l <"$err")" -eq 1 ] || { cat "$err" >&2; fail "$what: not one line"; }
  grep -q "X11 session" "$err" || { cat "$err" >&2; fail "$what: does not say what it needs"; }
}

# A display number that no server holds.
n=917
while [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done

for display in "" ":$n"; do
  for what in program check-display; do
    if [ $what = program ]; then cmd=("$overink"); else cmd=("$check_display"); fi
    start=$(date +%s)
    if [ -z "$display" ]; then
      env -u DISPLAY HOME="$home" XDG_CONFIG_HOME="$home" XDG_RUNTIME_DIR="$home" "${cmd[@]}" 2>"$home/err" >/dev/null
    else
      DISPLAY=$display HOME="$home" XDG_CONFIG_HOME="$home" XDG_RUNTIME_DIR="$home" "${cmd[@]}" 2>"$home/err" >/dev/null
    fi
    status=$?
    expect_one_line "$what with DISPLAY='$display'" $status "$home/err"
    [ $(( $(date +%s) - start )) -lt 10 ] || fail "$what took too long to give up"
  done
done

# With the session's display both say nothing against it.
"$check_display" || fail "check-display refused a running display"
echo "ok"
