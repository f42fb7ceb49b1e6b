# The screenshots' x11 tests use windows of other processes: one that
# records clicks, and one that repaints when told, or late.
target_compile_definitions(x11_capture PRIVATE OVERINK_CLICK_RECORDER="$<TARGET_FILE:click_recorder>"
  OVERINK_PAINTING_WINDOW="$<TARGET_FILE:painting_window>")
add_dependencies(x11_capture click_recorder painting_window)

# Without a compositing manager the toolbar is left out by its shape.
overink_x11_cases(x11_capture x11_capture_no_compositor SESSION_OPTIONS --no-compositor FILTER CaptureOnX11.*)

# Writes a screenshot too large for a small file system, for the full-disk test.
add_executable(screenshot_writer ${CMAKE_CURRENT_SOURCE_DIR}/capture/ScreenshotWriter.cpp)
target_link_libraries(screenshot_writer PRIVATE overink_core)
target_compile_definitions(unit_capture PRIVATE OVERINK_SCREENSHOT_WRITER="$<TARGET_FILE:screenshot_writer>")
add_dependencies(unit_capture screenshot_writer)
