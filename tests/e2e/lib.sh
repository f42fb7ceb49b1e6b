# Shared helpers of the end-to-end tests (sourced, not run). Every wait polls
# the state it is named after until a deadline and fails when it passes;
# none waits a fixed time before a look.

# A busy machine (tests beside a build) makes everything slower, so the
# deadlines of the waits below are OVERINK_E2E_PATIENCE (default 3) times the
# seconds given: a deadline only bounds how long a failure takes to show.
# holds_for, what must stay so for a time, is not stretched.
#
# OVERINK_E2E_SLOW_LOOKS=SECONDS stands in for a machine too busy to answer
# quickly: every look at the screen or the windows (an xdotool question,
# import, xwininfo, xprop) waits that long first. The deadlines then stretch
# ten times by default.
e2e_slow_looks=${OVERINK_E2E_SLOW_LOOKS:-0}
e2e_looks_slow() { awk -v s="$e2e_slow_looks" 'BEGIN { exit !(s > 0) }'; }
if e2e_looks_slow; then e2e_patience=${OVERINK_E2E_PATIENCE:-10}; else e2e_patience=${OVERINK_E2E_PATIENCE:-3}; fi
# deadline_in SECONDS: the clock (date +%s%N) at that (stretched) deadline.
deadline_in() { echo $(( $(date +%s%N) + ${1%.*} * e2e_patience * 1000000000 )); }

# The program's user-facing timers (a tooltip chip's life, the capture
# countdown's ticks) run OVERINK_E2E_TIMER_SCALE times slower (default 10,
# 30 with slow looks) than a user's, so that a script judges a chip or a
# countdown that stays up as long as its looks take, never a race with the
# timer. What a script asserts of the timers themselves it asserts of a
# program started with the scale 1 (timer_scale=1 before its start).
if e2e_looks_slow; then timer_scale=${OVERINK_E2E_TIMER_SCALE:-30}; else timer_scale=${OVERINK_E2E_TIMER_SCALE:-10}; fi
# countdown_seconds: how long a capture countdown of a program started now
# lasts.
countdown_seconds() { echo $((3 * ${timer_scale%.*})); }

# look_pause: the pause before a look, with OVERINK_E2E_SLOW_LOOKS.
look_pause() { [ "$e2e_slow_looks" = 0 ] || sleep "$e2e_slow_looks"; }
import() { look_pause; command import "$@"; }
xwininfo() { look_pause; command xwininfo "$@"; }
xprop() { look_pause; command xprop "$@"; }

# xdotool dies of an X error when a window it looks at goes meanwhile (a
# search walks every window while the program opens and closes its own):
# a question it did not live to answer is asked again. Input is never sent
# twice.
xdotool() {
  case "${1:-}" in
    search | getwindowgeometry | getwindowname | getwindowpid | getwindowfocus | getactivewindow | getmouselocation) ;;
    *)
      command xdotool "$@"
      return
      ;;
  esac
  local answer status errors=${TMPDIR:-/tmp}/overink-e2e-xdotool.$BASHPID
  for _ in 1 2 3 4 5; do
    look_pause
    answer=$(command xdotool "$@" 2>"$errors")
    status=$?
    grep -q '^X Error' "$errors" || break
  done
  grep -v '^X Error\|^  ' "$errors" >&2
  rm -f "$errors"
  [ -z "$answer" ] || printf '%s\n' "$answer"
  return $status
}

# wait_until SECONDS COMMAND [ARGS...]: runs COMMAND every 50 ms until it
# succeeds (status 0) or SECONDS (stretched) pass (status 1).
wait_until() {
  local deadline=$(( $(date +%s%N) + ${1%.*} * e2e_patience * 1000000000 ))
  shift
  until "$@"; do
    [ "$(date +%s%N)" -lt "$deadline" ] || return 1
    sleep 0.05
  done
}

# answer_of SECONDS COMMAND [ARGS...]: what COMMAND prints, asked again every
# 50 ms until it prints something (whatever its status) or SECONDS
# (stretched) pass (status 1). For a window looked up once to be used after:
# a search of the window tree fails as a whole, printing nothing, when any
# window goes while it walks the tree, so one empty answer does not say the
# window is not there.
answer_of() {
  local deadline=$(( $(date +%s%N) + ${1%.*} * e2e_patience * 1000000000 )) answer
  shift
  until answer=$("$@"); [ -n "$answer" ]; do
    [ "$(date +%s%N)" -lt "$deadline" ] || return 1
    sleep 0.05
  done
  echo "$answer"
}

# holds_for SECONDS COMMAND [ARGS...]: runs COMMAND every 50 ms for SECONDS;
# status 1 as soon as it fails once. For what must stay so, not just become
# so.
holds_for() {
  local deadline=$(( $(date +%s%N) + ${1%.*} * 1000000000 ))
  shift
  while [ "$(date +%s%N)" -lt "$deadline" ]; do
    "$@" || return 1
    sleep 0.05
  done
}

# wait_steady SECONDS POLLS COMMAND [ARGS...]: runs COMMAND every 100 ms until
# it prints the same non-empty output POLLS times in a row, then prints that
# output; status 1 at the deadline (stretched). For state another program
# settles in steps (a tray host placing an icon).
wait_steady() {
  local deadline=$(( $(date +%s%N) + ${1%.*} * e2e_patience * 1000000000 )) polls=$2 last= now same=0
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
  "${OVERINK_X_QUERY:?}" pointer 2>/dev/null || echo 0
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
# under_pointer_is WINDOW: a press here would go to WINDOW; without a
# compositing manager an overlay's clicks go to the input-only window laid
# over it ("Overink Input"), which counts as the overlay's.
under_pointer_is() {
  local under
  under=$(window_under_pointer)
  [ "$under" = "$(toplevel_of "$1")" ] && return 0
  # Without a compositing manager a window of ours takes the pointer through
  # an input-only window laid over it, just where it stands.
  xdotool search --name '^Overink Input$' 2>/dev/null | grep -qx "$under" || return 1
  [ "$(root_geometry "$under")" = "$(root_geometry "$1")" ]
}
# root_geometry WINDOW: "X Y W H" of the window in root coordinates.
root_geometry() {
  xwininfo -id "$1" 2>/dev/null |
    awk '/Absolute upper-left X:/ { x = $NF } /Absolute upper-left Y:/ { y = $NF } /Width:/ { w = $NF } /Height:/ { h = $NF }
         END { print x, y, w, h }'
}

# pointer_reaches X Y WINDOW: moves the pointer to X Y and waits until a press
# there would go to WINDOW's top-level window.
pointer_reaches() {
  move "$1" "$2" && wait_until 5 under_pointer_is "$3"
}

# focus_is WINDOW: WINDOW has the keyboard.
# focused_window: the window that holds the keyboard focus, as the server
# says (xdotool's getwindowfocus looks for a managed client around it).
focused_window() { "${OVERINK_X_QUERY:?}" focus 2>/dev/null || echo 0; }
focus_is() { [ "$(focused_window)" = "$1" ]; }

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

# ---- A script's frame: its output, the programs it starts, its homes ----

# e2e_begin NAME: keeps the script's screenshots in $out (OVERINK_E2E_OUTPUT/
# NAME, a temporary folder without it; NAME-VARIANT for a run in another
# session layout, OVERINK_E2E_VARIANT), emptied of old shots and logs; the
# programs in $pids are ended and the homes in $homes removed on exit.
e2e_begin() {
  out=${OVERINK_E2E_OUTPUT:-$(mktemp -d)}/$1${OVERINK_E2E_VARIANT:+-$OVERINK_E2E_VARIANT}
  mkdir -p "$out"
  # A program started in the background opens its log only once it runs:
  # a look before that must find nothing, not the last run's lines.
  rm -f "$out"/*.png "$out"/*.log
  homes=()
  pids=()
  trap e2e_cleanup EXIT
}
e2e_cleanup() {
  local p h
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  for p in "${pids[@]}"; do wait "$p" 2>/dev/null; done
  for h in "${homes[@]}"; do rm -rf "$h"; done
}
fail() { echo "FAIL: $*" >&2; echo "screenshots in $out" >&2; exit 1; }
shot() { import -window root "$out/$1.png"; }
# shot_until NAME TEST...: takes the shot NAME until TEST succeeds on it.
shot_until() {
  local name=$1
  shift
  wait_until 5 eval 'shot "$name"; '"$*"
}

# new_home [dark]: a fresh home for the program in $home, removed on exit;
# "dark" gives it the qt6ct dark palette.
new_home() {
  home=$(mktemp -d)
  homes+=("$home")
  mkdir -p "$home/.config"
  if [ "${1:-}" = dark ]; then
    mkdir -p "$home/.config/qt6ct"
    printf '[Appearance]\ncolor_scheme_path=/usr/share/qt6ct/colors/darker.conf\ncustom_palette=true\nstyle=Fusion\n' \
      >"$home/.config/qt6ct/qt6ct.conf"
  fi
}
# launch_overink: starts $overink in $home (through the qt6ct plugin when
# the home has its settings), logging to $out/overink.log; appends its pid
# to $pids.
launch_overink() {
  local theme=()
  [ -e "$home/.config/qt6ct/qt6ct.conf" ] && theme=(QT_QPA_PLATFORMTHEME=qt6ct)
  env HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" XDG_RUNTIME_DIR="$home" \
    OVERINK_TIMER_SCALE="$timer_scale" "${theme[@]}" "$overink" >>"$out/overink.log" 2>&1 &
  pids+=($!)
}
# start_overink [dark]: launches the program in a new home.
start_overink() {
  new_home "${1:-}"
  launch_overink
}
# start_overink_at DOCK [dark]: the same, its toolbar docked at DOCK.
start_overink_at() {
  new_home "${2:-}"
  mkdir -p "$home/.config/overink"
  printf '{ "overink.toolbarDockPosition": { "string": "%s" } }\n' "$1" >"$home/.config/overink/defaults.json"
  launch_overink
}
# The qt6ct palette plugin is installed (the dark shots need it).
has_qt6ct() {
  [ -e "$(qtpaths6 --plugin-dir 2>/dev/null)/platformthemes/libqt6ct.so" ] ||
    [ -e /usr/lib/x86_64-linux-gnu/qt6/plugins/platformthemes/libqt6ct.so ]
}

# be32 N: N as four bytes, big-endian.
be32() { printf '%b' "$(printf '\\x%02x\\x%02x\\x%02x\\x%02x' $(($1 >> 24 & 255)) $(($1 >> 16 & 255)) $(($1 >> 8 & 255)) $(($1 & 255)))"; }
# slow_pipe FILE: writes a brush pipe of eight 1024 x 1024 cells of noise,
# each a while to import.
slow_pipe() {
  {
    printf 'Slow pipe\n8 ncells:8 cellwidth:1024 cellheight:1024 step:25 dim:1 cols:8 rows:1 placement:constant rank0:8 select0:incremental\n'
    for _ in $(seq 8); do
      be32 33; be32 2; be32 1024; be32 1024; be32 1; printf 'GIMP'; be32 20; printf 'cell\0'
      head -c $((1024 * 1024)) /dev/urandom
    done
  } >"$1"
}

# ---- The program's windows ----

# tray_icon_frame PID: X Y W H of the window of ours that the tray embedded:
# the one held in the tray's window (trayer's), whatever other windows of
# ours carry an embedding property (a panel that once held a field does).
tray_icon_frame() {
  local w t top trays= X Y WIDTH HEIGHT SCREEN WINDOW
  for t in $(xdotool search --class '^trayer$' 2>/dev/null); do
    top=$(toplevel_of "$t") && trays="$trays $top"
  done
  [ -n "$trays" ] || return 1
  for w in $(xdotool search --pid "$1" 2>/dev/null); do
    top=$(toplevel_of "$w") || continue
    case " $trays " in
      *" $top "*)
        [ "$top" = "$((w))" ] && continue
        eval "$(xdotool getwindowgeometry --shell "$w")"
        echo "$X $Y $WIDTH $HEIGHT"
        return 0 ;;
    esac
  done
  return 1
}
# tray_icon PID: the tray icon's centre.
tray_icon() {
  local frame
  frame=$(tray_icon_frame "$1") || return 1
  set -- $frame
  echo "$(($1 + $3 / 2)) $(($2 + $4 / 2))"
}
# shown_window PID TEST: our first shown window whose size passes the awk
# TEST on w and h, as "ID X Y W H".
shown_window() {
  local w X Y WIDTH HEIGHT SCREEN WINDOW
  for w in $(xdotool search --onlyvisible --pid "$1" 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$w")"
    if awk -v w="$WIDTH" -v h="$HEIGHT" "BEGIN { exit !($2) }"; then echo "$w $X $Y $WIDTH $HEIGHT"; return 0; fi
  done
  return 1
}
# window_of_width PID WIDTH [MIN-HEIGHT]: our shown window of that width
# (and at least that height), as X Y W H.
window_of_width() {
  local found
  found=$(shown_window "$1" "w == $2 && h >= ${3:-1}") || return 1
  echo "${found#* }"
}
# toolbar PID: the toolbar, our shown window 36 pixels high (the horizontal
# layout), as "ID X Y W H"; toolbar_geometry PID: as X Y W H.
toolbar() { shown_window "$1" 'h == 36 && w > 600'; }
toolbar_geometry() {
  local found
  found=$(toolbar "$1") || return 1
  echo "${found#* }"
}
# named_geometry PID NAME: "X Y W H" of our shown window of that name.
named_geometry() {
  local w X Y WIDTH HEIGHT SCREEN WINDOW
  w=$(xdotool search --all --onlyvisible --pid "$1" --name "^$2\$" 2>/dev/null | head -1)
  [ -n "$w" ] || return 1
  eval "$(xdotool getwindowgeometry --shell "$w")"
  echo "$X $Y $WIDTH $HEIGHT"
}
# brush_panel PID: the brush panel, as X Y W H; file_dialog: the brush
# import's file dialog, its id.
brush_panel() { window_of_width "$1" 240 100; }
no_brush_panel() { ! brush_panel "$1" >/dev/null; }
file_dialog() { xdotool search --onlyvisible --name "Import GIMP Brushes" 2>/dev/null | head -1; }
no_file_dialog() { [ -z "$(file_dialog)" ]; }
# import_files PID STORE FILE...: imports the files through the brush
# panel's import button (the toolbar shown, TX TY TH set), once the shipped
# brushes are in STORE; returns once the file dialog has closed.
import_files() {
  local pid=$1 store=$2 panel dialog f names=
  shift 2
  click_at $((TX + 190)) $((TY + TH / 2))
  panel=$(wait_steady 5 3 brush_panel "$pid") || fail "the brush chevron opened no panel"
  set -- $panel "$@"
  wait_until 10 test -e "$store/brushes.json" || fail "the shipped brushes were not installed"
  click_at $(($1 + 180)) $(($2 + 20))
  shift 4
  dialog=$(wait_steady 10 2 file_dialog) || fail "no file dialog"
  xdotool windowactivate --sync "$dialog" 2>/dev/null
  wait_until 5 focus_is "$dialog" || fail "the file dialog has no keyboard"
  for f in "$@"; do names="$names \"$f\""; done
  xdotool type --delay 15 "${names# }"
  xdotool key Return
  wait_until 5 no_file_dialog || fail "the file dialog stayed"
}
# overlays PID: our shown windows covering the 1920x1080 screen (but its
# bottom row), an id a line.
overlays() {
  local w X Y WIDTH HEIGHT SCREEN WINDOW
  for w in $(xdotool search --onlyvisible --pid "$1" 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$w")"
    [ "$WIDTH" -eq 1920 ] && [ "$HEIGHT" -ge 1079 ] && echo "$w"
  done
}
overlays_shown() { overlays "$1" | wc -l; }
# await_tray_icon PID: waits for the tray icon to rest (the tray host places
# it after embedding it); sets IX IY, its centre.
await_tray_icon() {
  local icon
  icon=$(wait_steady 10 3 tray_icon "$1") || fail "no tray icon"
  set -- $icon
  IX=$1 IY=$2
}
# show_toolbar PID: clicks the tray icon and waits for the toolbar to rest;
# sets IX IY and TX TY TW TH.
show_toolbar() {
  local geometry
  await_tray_icon "$1"
  click_at "$IX" "$IY"
  geometry=$(wait_steady 10 3 toolbar_geometry "$1") || fail "the tray icon showed no toolbar"
  set -- $geometry
  TX=$1 TY=$2 TW=$3 TH=$4
}

# chip_geometry PID TEXT: the tooltip chip of ours titled with TEXT, as X Y
# W H; no_chip PID TEXT: there is none.
# (Found by its name in one question, not by a look at each window's name.)
chip_geometry() {
  local w X Y WIDTH HEIGHT SCREEN WINDOW name
  name=$(printf '%s' "$2" | sed 's/[][\\.*^$+?(){}|]/\\&/g')
  w=$(xdotool search --all --onlyvisible --pid "$1" --name "^$name( |\$)" 2>/dev/null | head -n1)
  [ -n "$w" ] || return 1
  eval "$(xdotool getwindowgeometry --shell "$w" 2>/dev/null)"
  [ -n "${WIDTH:-}" ] || return 1
  echo "$X $Y $WIDTH $HEIGHT"
}
no_chip() { ! chip_geometry "$1" "$2" >/dev/null; }

# settings_panel PID: the settings panel, our shown window 210 wide, as
# "ID X Y W H".
settings_panel() { shown_window "$1" 'w == 210'; }
no_settings_panel() { ! settings_panel "$1" >/dev/null; }
# open_settings PID: right-clicks the tray icon at IX IY and waits for the
# settings panel to rest; sets PX PY PW PH.
open_settings() {
  local geometry
  click_at "$IX" "$IY" 3
  wait_until 5 settings_panel "$1" >/dev/null || { shot no-panel; fail "a right click on the tray icon opened no panel"; }
  geometry=$(wait_steady 5 3 settings_panel "$1") || fail "the panel does not settle"
  set -- $geometry
  PX=$2 PY=$3 PW=$4 PH=$5
}
# alert PID: an alert of ours, a shown window that is none of the others
# (overlay, settings panel, toolbar), as "ID X Y W H".
alert() { shown_window "$1" '(w != 1920 && w != 210 && h != 36 && w > 100 && h > 80)'; }
no_alert() { ! alert "$1" >/dev/null; }
# above WINDOW OTHER: the server stacks WINDOW's frame above OTHER's (the
# window manager's list leaves out the overlays, which are no manager's,
# and not every manager keeps it up to date as it raises a window).
above() {
  local top other
  top=$(printf '0x%x' "$(toplevel_of "$1")") other=$(printf '0x%x' "$(toplevel_of "$2")")
  # xwininfo lists the root's children top first.
  xwininfo -root -children | awk -v a="$top" -v b="$other" '$1 == a { print "above"; exit } $1 == b { exit }' |
    grep -q above
}
# kept_above WINDOW: the window asks to stay above others.
kept_above() { xprop -id "$1" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE; }

# ---- Input and shots ----

# click_at X Y [BUTTON]: a person's click, the pointer resting on the spot
# first.
click_at() { move "$1" "$2" && pace 0.2 && xdotool click "${3:-1}"; }
# drag_between X1 Y1 X2 Y2: a left-button drag in 20 steps at a person's
# pace.
drag_between() {
  local i
  move "$1" "$2"
  xdotool mousedown 1
  for i in $(seq 1 20); do xdotool mousemove $(($1 + ($3 - $1) * i / 20)) $(($2 + ($4 - $2) * i / 20)); pace 0.01; done
  pace 0.05
  xdotool mouseup 1
}
# red_in SHOT W H X Y: the pixels of the program's red (the first drawing
# colour, 255 59 48, give or take antialiasing) in a rectangle of a shot.
red_in() { colour_count "$out/$1.png" "$2" "$3" "$4" "$5" 'r > 220 && g < 110 && b < 100'; }
# white_in SHOT W H X Y: the pure white pixels (edit handles) in a
# rectangle of a shot.
white_in() { colour_count "$out/$1.png" "$2" "$3" "$4" "$5" 'r > 240 && g > 240 && b > 240'; }
# brightness SHOT W H X Y: the mean brightness 0..1 of a rectangle of a shot.
brightness() { convert "$out/$1.png" -crop "$2x$3+$4+$5" +repage -colorspace Gray -format '%[fx:mean]' info:; }
# same_pixels PNG PNG: the two images are alike to the pixel.
same_pixels() { [ "$(compare -metric AE "$1" "$2" null: 2>&1)" = 0 ]; }
