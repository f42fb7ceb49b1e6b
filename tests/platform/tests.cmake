add_executable(defaults_writer ${CMAKE_CURRENT_SOURCE_DIR}/platform/DefaultsWriter.cpp)
target_link_libraries(defaults_writer PRIVATE overink_core)
target_compile_definitions(unit_platform PRIVATE OVERINK_DEFAULTS_WRITER="$<TARGET_FILE:defaults_writer>")
add_dependencies(unit_platform defaults_writer)

# A window of another process that reports the clicks it receives.
add_executable(click_recorder ${CMAKE_CURRENT_SOURCE_DIR}/platform/ClickRecorder.cpp)
target_link_libraries(click_recorder PRIVATE Qt6::Widgets PkgConfig::XCB)
target_compile_definitions(x11_platform PRIVATE OVERINK_CLICK_RECORDER="$<TARGET_FILE:click_recorder>")
add_dependencies(x11_platform click_recorder)

# A window of another process that repaints when told, without end, or
# late (its program kept busy).
add_executable(painting_window ${CMAKE_CURRENT_SOURCE_DIR}/platform/PaintingWindow.cpp)
target_link_libraries(painting_window PRIVATE Qt6::Widgets PkgConfig::XCB)
target_compile_definitions(x11_platform PRIVATE OVERINK_PAINTING_WINDOW="$<TARGET_FILE:painting_window>")
add_dependencies(x11_platform painting_window)

# Which window a press would go to, and which has the keyboard, for the
# end-to-end tests.
add_executable(x_query ${CMAKE_CURRENT_SOURCE_DIR}/platform/XQuery.cpp)
target_link_libraries(x_query PRIVATE PkgConfig::XCB)

# A stand-in for the program the user types in: holds the keyboard and
# reports the keys that reach it.
add_executable(key_recorder ${CMAKE_CURRENT_SOURCE_DIR}/platform/KeyRecorder.cpp)
target_link_libraries(key_recorder PRIVATE Qt6::Widgets PkgConfig::XCB)

# The same windows without a compositing manager: bounding shapes and input
# windows.
overink_x11_cases(x11_platform x11_platform_no_compositor
  SESSION_OPTIONS --no-compositor FILTER Window.*:NoCompositor.*:ScreenGrab.*)

# A copy of the program that claims the single instance.
add_executable(instance_probe ${CMAKE_CURRENT_SOURCE_DIR}/platform/InstanceProbe.cpp)
target_link_libraries(instance_probe PRIVATE overink_core)
target_compile_definitions(x11_platform PRIVATE OVERINK_INSTANCE_PROBE="$<TARGET_FILE:instance_probe>")
add_dependencies(x11_platform instance_probe)

# Without a tray host the status item falls back to its launcher button.
overink_x11_cases(x11_platform x11_platform_no_tray SESSION_OPTIONS --no-tray FILTER NoTray.*)

# Without a window manager the window list falls back to the X server's own.
overink_x11_cases(x11_platform x11_platform_no_wm SESSION_OPTIONS --no-wm --no-tray FILTER NoWindowManager.*)

# Our windows hand the keyboard among themselves without a window manager too.
overink_x11_cases(x11_platform x11_platform_keyboard_no_wm SESSION_OPTIONS --no-wm --no-tray FILTER WindowKeyboard.*)

# The stand-in window manager's own cases, each in the session that runs it
# in its mode.
overink_x11_cases(x11_platform x11_platform_standin SESSION_OPTIONS --wm standin FILTER StandInWindowManager.*)
overink_x11_cases(x11_platform x11_platform_late_placing SESSION_OPTIONS --wm late-placing FILTER LatePlacing.*)
overink_x11_cases(x11_platform x11_platform_ignores_activation SESSION_OPTIONS --wm ignores-activation
  FILTER IgnoredActivation.*)
overink_x11_cases(x11_platform x11_platform_late_activation SESSION_OPTIONS --wm late-activation
  FILTER LateActivation.*)

# Those cases skip themselves in the full session.
set(x11_default_filter
  -NoCompositor.*:NoTray.*:NoWindowManager.*:StandInWindowManager.*:LatePlacing.*:IgnoredActivation.*:LateActivation.*)

# A program whose background work never ends, for the quitting test.
add_executable(quit_probe ${CMAKE_CURRENT_SOURCE_DIR}/platform/QuitProbe.cpp)
target_link_libraries(quit_probe PRIVATE overink_core)
target_compile_definitions(unit_platform PRIVATE OVERINK_QUIT_PROBE="$<TARGET_FILE:quit_probe>")
add_dependencies(unit_platform quit_probe)

# A program on X11 whose server the test kills, for the lost-connection test.
add_executable(connection_loss_probe ${CMAKE_CURRENT_SOURCE_DIR}/platform/ConnectionLossProbe.cpp)
target_link_libraries(connection_loss_probe PRIVATE overink_core)
target_compile_definitions(x11_platform PRIVATE OVERINK_CONNECTION_LOSS_PROBE="$<TARGET_FILE:connection_loss_probe>")
add_dependencies(x11_platform connection_loss_probe)

# The tests' own window manager (scripts/x11-session --wm late-placing and
# the like): cooperative, or late or deaf where told.
add_executable(standin_wm ${CMAKE_CURRENT_SOURCE_DIR}/platform/StandInWindowManager.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/platform/StandInWindowManagerFocus.cpp)
target_link_libraries(standin_wm PRIVATE Qt6::Core PkgConfig::XCB)

# A program on X11 that takes an image at once, for the test whose display
# goes while the image is read.
add_executable(grab_loss_probe ${CMAKE_CURRENT_SOURCE_DIR}/platform/GrabLossProbe.cpp)
target_link_libraries(grab_loss_probe PRIVATE overink_core)
target_compile_definitions(x11_platform PRIVATE OVERINK_GRAB_LOSS_PROBE="$<TARGET_FILE:grab_loss_probe>")
add_dependencies(x11_platform grab_loss_probe)
