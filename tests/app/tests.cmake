# The shell's x11 tests use the other-process window of the platform tests.
target_compile_definitions(x11_app PRIVATE OVERINK_CLICK_RECORDER="$<TARGET_FILE:click_recorder>")
add_dependencies(x11_app click_recorder)

# Without a compositing manager overlays are shaped to their pixels and their
# input region lies on an input-only window over them.
overink_x11_cases(x11_app x11_app_no_compositor SESSION_OPTIONS --no-compositor FILTER OverlayOnX11.*)
