# The shell's x11 tests use the other-process window of the platform tests.
target_compile_definitions(x11_app PRIVATE OVERINK_CLICK_RECORDER="$<TARGET_FILE:click_recorder>")
add_dependencies(x11_app click_recorder)

# Without a compositing manager overlays are shaped to their pixels and their
# input region lies on an input-only window over them.
add_test(NAME x11_app_no_compositor
  COMMAND ${OVERINK_X11_SESSION} --no-compositor -- $<TARGET_FILE:x11_app> --gtest_filter=OverlayOnX11.*)
set_tests_properties(x11_app_no_compositor PROPERTIES LABELS x11 TIMEOUT 600)
