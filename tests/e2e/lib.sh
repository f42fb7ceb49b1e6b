# Shared helpers of the end-to-end tests (sourced, not run). Every wait polls
# the state it is named after until a deadline and fails when it passes;
# none waits a fixed time before a look.

# wait_until SECONDS COMMAND [ARGS...]: runs COMMAND every 50 ms until it
# succeeds (status 0) or SECONDS pass (status 1).
wait_until() {
  local deadline=$(( $(date +%s%N) + ${1%.*} * 1000000000 ))
  shift
  until "$@"; do
    [ "$(date +%s%N)" -lt "$deadline" ] || return 1
    sleep 0.05
  done
}

# wait_steady SECONDS POLLS COMMAND [ARGS...]: runs COMMAND every 100 ms until
# it prints the same non-empty output POLLS times in a row, then prints that
# output; status 1 at the deadline. For state another program settles in
# steps (a tray host placing an icon).
wait_steady() {
  local deadline=$(( $(date +%s%N) + ${1%.*} * 1000000000 )) polls=$2 last= now same=0
  shift 2
  while [ "$same" -lt "$polls" ]; do
    [ "$(date +%s%N)" -lt "$deadline" ] || return 1
    now=$("$@" 2>/dev/null)
    if [ -n "$now" ] && [ "$now" = "$last" ]; then same=$((same + 1)); elif [ -n "$now" ]; then same=1; else same=0; fi
    last=$now
    [ "$same" -ge "$polls" ] || sleep 0.1
  done
  echo "$last"
}

# has_line FILE PATTERN: FILE has a line matching the extended PATTERN.
has_line() { grep -qE "$2" "$1" 2>/dev/null; }

# Pacing of scripted input (a person's pace): never a wait before a look.
pace() { sleep "$1"; }

# pointer_at X Y: the server has the pointer there.
pointer_at() {
  local X Y SCREEN WINDOW
  eval "$(xdotool getmouselocation --shell 2>/dev/null)"
  [ "${X:-}" = "$1" ] && [ "${Y:-}" = "$2" ]
}

# move X Y: warps the pointer (absolute: relative moves lose events) and waits
# until the server has it there. Not xdotool's --sync, which waits for a
# movement that never comes when the pointer is there already.
move() {
  xdotool mousemove "$1" "$2"
  wait_until 5 pointer_at "$1" "$2"
}

# window_under_pointer: the top-level window (a child of the root, a window
# manager's frame) a press would go to, as the server finds it: input shapes
# count.
window_under_pointer() {
  local X Y SCREEN WINDOW
  eval "$(xdotool getmouselocation --shell 2>/dev/null)"
  echo "${WINDOW:-0}"
}
# toplevel_of WINDOW: the child of the root that holds WINDOW (its frame).
toplevel_of() {
  local w=$1 parent root
  while :; do
    root=$(xwininfo -tree -id "$w" 2>/dev/null | awk '/Root window id:/ { print $4 }')
    parent=$(xwininfo -tree -id "$w" 2>/dev/null | awk '/Parent window id:/ { print $4 }')
    [ -n "$parent" ] || return 1
    [ "$parent" = "$root" ] && break
    w=$parent
  done
  echo $((w))
}
under_pointer_is() { [ "$(window_under_pointer)" = "$(toplevel_of "$1")" ]; }

# pointer_reaches X Y WINDOW: moves the pointer to X Y and waits until a press
# there would go to WINDOW's top-level window.
pointer_reaches() {
  move "$1" "$2" && wait_until 5 under_pointer_is "$3"
}

# focus_is WINDOW: WINDOW has the keyboard.
focus_is() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ]; }

# colour_count PNG W H X Y AWK-CONDITION: the pixels of the rectangle of PNG
# whose red, green and blue (0-255, as r g b) meet the condition.
colour_count() {
  convert "$1" -crop "$2x$3+$4+$5" +repage txt:- |
    awk "NR > 1 { split(\$2, c, /[(),]/); r = c[2]; g = c[3]; b = c[4]; if ($6) n++ } END { print n + 0 }"
}

# The click recorder (tests/platform/ClickRecorder.cpp) reports presses and
# sentinels in the order the server delivered them.
# recorder_sync LOG WINDOW: returns once the recorder has reported every press
# delivered to it before the call; tests that a press did not arrive wait on
# this rather than on the clock.
recorder_sync() {
  local n
  n=$(( $(grep -c '^sentinel ' "$1" 2>/dev/null) + 1 ))
  xprop -id "$2" -f _OVERINK_SENTINEL 32c -set _OVERINK_SENTINEL "$n" || return 1
  wait_until 5 has_line "$1" "^sentinel $n\$"
}
