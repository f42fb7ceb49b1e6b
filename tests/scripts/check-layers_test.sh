#!/usr/bin/env bash
# The layer check catches every planted fault, by name, and nothing else:
# includes that climb (in quotes or angle brackets), xcb outside the
# platform layer or in the window header, and raw subscriptions however
# they are written.
#   tests/scripts/check-layers_test.sh <source folder>
set -u
root=$1
check=$root/scripts/check-layers
fail=0
expect() { # folder, exit status, then the lines the output must hold, exactly
    local folder=$1 want=$2 out status
    shift 2
    out=$("$check" "$root/tests/data/$folder" 2>&1)
    status=$?
    [ "$status" -eq "$want" ] || { echo "check-layers on $folder: status $status, not $want"; fail=1; }
    local expected
    expected=$(printf '%s\n' "$@" | sort)
    if [ "$(grep -v '^layers:' <<<"$out" | sort)" != "$expected" ]; then
        printf 'check-layers on %s said:\n%s\nbut should have said:\n%s\n' "$folder" "$out" "$expected"
        fail=1
    fi
}
expect layers-climb 1 \
    'canvas/AngledClimb.h: canvas includes toolbar/UsesXcb.h from the later layer toolbar' \
    'model/Climb.cpp: model includes canvas/Painter.h from the later layer canvas' \
    'platform/Window.h: includes xcb or Xlib headers outside the platform layer'"'"'s sources' \
    'toolbar/UsesXcb.h: includes xcb or Xlib headers outside the platform layer'"'"'s sources'
expect raw-sink 1 \
    'app/ChangeSink.h: follows a published field with a raw sink; use ui::Bindings' \
    'capture/SpacedSink.cpp: follows a published field with a raw sink; use ui::Bindings' \
    'toolbar/Follower.cpp: follows a published field with a raw sink; use ui::Bindings'
# The real tree passes.
"$check" "$root/src" >/dev/null || { echo "check-layers fails on src/"; fail=1; }
[ $fail -eq 0 ] && echo "check-layers catches every planted fault"
exit $fail
