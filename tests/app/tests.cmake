# The shell's x11 tests use the other-process windows of the platform tests:
# one that records clicks, and a stand-in for the user's editor.
target_compile_definitions(x11_app PRIVATE OVERINK_CLICK_RECORDER="$<TARGET_FILE:click_recorder>"
  OVERINK_KEY_RECORDER="$<TARGET_FILE:key_recorder>")
add_dependencies(x11_app click_recorder key_recorder)
# Its tests drive the pointer through XTest too.
pkg_check_modules(XCB_XTEST REQUIRED IMPORTED_TARGET xcb-xtest)
target_link_libraries(x11_app PRIVATE PkgConfig::XCB_XTEST)

# Where presses, strokes and keys go, and how our windows stack, depends on
# the window manager: these cases run under each, with and without a
# compositing manager (tests/CMakeLists.txt).
set(wm_cases FocusOnX11.*:StackingOnX11.*:WindowManagerGoneOnX11.*:PinningOnX11.*:ToolbarPlacementOnX11.*)
string(APPEND wm_cases :OverlayOnX11.TheFirstStrokes*:OverlayOnX11.TheTrayIcon*:OverlayOnX11.*OntoTheTrayIcon*)
string(APPEND wm_cases :OverlayOnX11.InDrawModeEveryPixel*:OverlayOnX11.ClicksPassThrough*:OverlayOnX11.ClicksRightAfter*)
string(APPEND wm_cases :OverlayOnX11.EveryTick*:OverlayOnX11.ABurst*:OverlayOnX11.TwentyQuick*)
overink_x11_cases_under_every_wm(x11_app x11_app_wm FILTER ${wm_cases})

# Without a compositing manager overlays are shaped to their pixels and their
# input region lies on an input-only window over them (the cases above run
# so too).
overink_x11_cases(x11_app x11_app_no_compositor SESSION_OPTIONS --no-compositor FILTER OverlayOnX11.*:-${wm_cases})

# Where keys and clicks go depends on the desktop's layout too: the tray and
# its panel at the bottom (with and without a compositing manager), on the
# left and right (where a window manager pushes new windows off the panel),
# and no window manager at all (the status item then floats as a launcher).
set(layout_cases
  FocusOnX11.*:StackingOnX11.*:OverlayOnX11.TheFirstStrokes*:OverlayOnX11.TheTrayIcon*:OverlayOnX11.*OntoTheTrayIcon*:OverlayOnX11.InDrawModeEveryPixel*)
overink_x11_cases(x11_app x11_app_tray_bottom SESSION_OPTIONS --tray-edge bottom FILTER ${layout_cases})
overink_x11_cases(x11_app x11_app_tray_bottom_no_compositor SESSION_OPTIONS --tray-edge bottom --no-compositor
  FILTER ${layout_cases})
# Where the overlay's pointer region ends, with the panel on each edge.
set(edge_cases OverlayOnX11.InDrawModeEveryPixel*:OverlayOnX11.*BottomRow*)
overink_x11_cases(x11_app x11_app_tray_left SESSION_OPTIONS --tray-edge left
  FILTER FocusOnX11.TheStatusItems*:OverlayOnX11.TheFirstStrokes*:OverlayOnX11.TheTrayIcon*:${edge_cases})
overink_x11_cases(x11_app x11_app_tray_right SESSION_OPTIONS --tray-edge right
  FILTER FocusOnX11.TheStatusItems*:OverlayOnX11.TheFirstStrokes*:${edge_cases})
overink_x11_cases(x11_app x11_app_tray_left_no_compositor SESSION_OPTIONS --tray-edge left --no-compositor
  FILTER ${edge_cases})
overink_x11_cases(x11_app x11_app_tray_right_no_compositor SESSION_OPTIONS --tray-edge right --no-compositor
  FILTER ${edge_cases})
# The tests' own window manager, cooperative, must serve the program as the
# real ones do: sessions that make it uncooperative start from there.
overink_x11_cases(x11_app x11_app_standin SESSION_OPTIONS --wm standin FILTER ${layout_cases})
# Quick strokes under a window manager that holds each press on the windows it
# manages until it has focused and raised them, as most do for a click.
overink_x11_cases(x11_app x11_app_quick_strokes_standin SESSION_OPTIONS --wm standin
  FILTER OverlayOnX11.EveryTick*:OverlayOnX11.ABurst*)
overink_x11_cases(x11_app x11_app_no_wm SESSION_OPTIONS --no-wm --no-tray
  FILTER NoWindowManager.*:FocusOnX11.ShiftEsc*:FocusOnX11.TheSettings*:FocusOnX11.EscDuring*)
overink_x11_cases(x11_app x11_app_no_wm_no_compositor SESSION_OPTIONS --no-wm --no-tray --no-compositor
  FILTER NoWindowManager.*:FocusOnX11.ShiftEsc*:FocusOnX11.TheSettings*:FocusOnX11.EscDuring*)

# A window manager that first puts a new window out of the tray's strut and
# moves it where it asked only seconds later.
overink_x11_cases(x11_app x11_app_late_placing SESSION_OPTIONS --wm late-placing --wm-args --place-late=3000
  FILTER LatePlacingOnX11.*)
overink_x11_cases(x11_app x11_app_late_placing_no_compositor
  SESSION_OPTIONS --wm late-placing --wm-args --place-late=3000 --no-compositor FILTER LatePlacingOnX11.*)

# Those cases only mean something in their own sessions.
set(x11_default_filter -NoWindowManager.*:LatePlacingOnX11.*)

# A person who draws the moment the overlays appear, for the end-to-end tests.
add_executable(stroke_on_appearance ${CMAKE_CURRENT_SOURCE_DIR}/app/StrokeOnAppearance.cpp)
target_link_libraries(stroke_on_appearance PRIVATE PkgConfig::XCB PkgConfig::XCB_XTEST)

# The program itself, started on a display that goes away meanwhile.
target_compile_definitions(x11_app PRIVATE OVERINK_PROGRAM="$<TARGET_FILE:overink>")
add_dependencies(x11_app overink)
