# What the scripted benchmarks share (sourced, not run): finding Overink's
# tray icon and toolbar, and showing its overlay from the icon.

# tray_icon_of PID TRIES: "x y", the centre of the program's tray icon,
# looked for every 50 ms, TRIES times at the most; status 1 if none.
tray_icon_of() {
  local w X Y WIDTH HEIGHT SCREEN WINDOW
  for _ in $(seq "$2"); do
    for w in $(xdotool search --pid "$1" 2>/dev/null); do
      if xprop -id "$w" _XEMBED_INFO 2>/dev/null | grep -q '='; then
        eval "$(xdotool getwindowgeometry --shell "$w")"
        echo "$((X + WIDTH / 2)) $((Y + HEIGHT / 2))"
        return 0
      fi
    done
    sleep 0.05
  done
  return 1
}

# toolbar_of PID: "x y width" of the program's toolbar (36 pixels high),
# when it shows.
toolbar_of() {
  local w X Y WIDTH HEIGHT SCREEN WINDOW
  for w in $(xdotool search --onlyvisible --pid "$1" 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$w")"
    [ "$HEIGHT" -eq 36 ] && [ "$WIDTH" -gt 600 ] && { echo "$X $Y $WIDTH"; return 0; }
  done
  return 1
}

# show_overlay PID ICON POLLS: clicks the tray icon at ICON ("x y"), which
# shows the overlay with the pen selected and the toolbar, and waits for
# the toolbar, POLLS times 0.25 s; a slowed program may miss a click that
# comes too early: it gets another, three at the most. Status 1 if the
# toolbar never showed.
show_overlay() {
  for _ in 1 2 3; do
    xdotool mousemove $2; sleep 0.2; xdotool click 1
    for _ in $(seq "$3"); do toolbar_of "$1" >/dev/null && return 0; sleep 0.25; done
  done
  toolbar_of "$1" >/dev/null
}
