# Without a compositing manager the toolbar is shaped to its painted panel
# and must still get its clicks without holding the pointer.
add_test(NAME x11_toolbar_no_compositor
  COMMAND ${OVERINK_X11_SESSION} --no-compositor -- $<TARGET_FILE:x11_toolbar> --gtest_filter=ToolbarOnX11.Clicks*)
set_tests_properties(x11_toolbar_no_compositor PROPERTIES LABELS x11 TIMEOUT 600)
