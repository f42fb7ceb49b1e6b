# The screenshots' x11 tests use a window of another process.
target_compile_definitions(x11_capture PRIVATE OVERINK_CLICK_RECORDER="$<TARGET_FILE:click_recorder>")
add_dependencies(x11_capture click_recorder)

# Without a compositing manager the toolbar is left out by its shape.
overink_x11_cases(x11_capture x11_capture_no_compositor SESSION_OPTIONS --no-compositor FILTER CaptureOnX11.*)
