# Without a compositing manager the toolbar is shaped to its painted panel
# and must still get its clicks without holding the pointer; so must the
# font picker's fields and rows.
overink_x11_cases(x11_toolbar x11_toolbar_no_compositor SESSION_OPTIONS --no-compositor
  FILTER ToolbarOnX11.Clicks*:PanelsOnX11.Clicks*:FontPickerOnX11.*:BrushPanelOnX11.Clicks*:SettingsOnX11.Clicks*)
# Tooltip chips without a compositing manager: shaped to the painted chip.
overink_x11_cases(x11_toolbar x11_toolbar_tooltips_no_compositor SESSION_OPTIONS --no-compositor
  FILTER ToolbarTooltipsOnX11.*)

# A window of another program, for clicks that are not ours.
target_compile_definitions(x11_toolbar PRIVATE OVERINK_CLICK_RECORDER="$<TARGET_FILE:click_recorder>")
add_dependencies(x11_toolbar click_recorder)
# The colour picker without a compositing manager: shaped to its painted
# panel, it must still take the wheel's clicks.
overink_x11_cases(x11_toolbar x11_colorpicker_no_compositor SESSION_OPTIONS --no-compositor
  FILTER ColorPickerOnX11.*)

# Panels taller than small displays: each size with the tray at the top and
# at the bottom, one session each for the five panels in turn; at 1024x600
# the colour picker also goes back against the toolbar once it fits there.
# The default session's screen is tall enough for all of them.
foreach(size 640x480 1024x600 1280x720)
  foreach(edge top bottom)
    set(filter TallPanelsOnX11.Every*)
    if(size STREQUAL 1024x600)
      set(filter TallPanelsOnX11.*)
    endif()
    overink_x11_cases(x11_toolbar x11_toolbar_tall_panels_${size}_tray_${edge}
      SESSION_OPTIONS --size ${size} --tray-edge ${edge} FILTER ${filter})
  endforeach()
endforeach()
set(x11_default_filter -TallPanelsOnX11.*)

# Open panels while their display changes: where a window manager puts or
# keeps a window when a desktop panel comes or the screen is resized differs
# from one to the next, so each runs them (tests/CMakeLists.txt). The
# settings panel's case also under the stand-ins, which leave every window
# where it is.
overink_x11_cases_under_every_wm(x11_toolbar x11_toolbar_display_changes FILTER DisplayChangesOnX11.*)
overink_x11_cases(x11_toolbar x11_toolbar_display_changes_standin SESSION_OPTIONS --wm standin
  FILTER DisplayChangesOnX11.TheSettings*)
overink_x11_cases(x11_toolbar x11_toolbar_display_changes_late_placing SESSION_OPTIONS --wm late-placing
  FILTER DisplayChangesOnX11.TheSettings*)
