add_executable(defaults_writer ${CMAKE_CURRENT_SOURCE_DIR}/platform/DefaultsWriter.cpp)
target_link_libraries(defaults_writer PRIVATE overink_core)
target_compile_definitions(unit_platform PRIVATE OVERINK_DEFAULTS_WRITER="$<TARGET_FILE:defaults_writer>")
add_dependencies(unit_platform defaults_writer)

# A window of another process that reports the clicks it receives.
add_executable(click_recorder ${CMAKE_CURRENT_SOURCE_DIR}/platform/ClickRecorder.cpp)
target_link_libraries(click_recorder PRIVATE Qt6::Widgets)
target_compile_definitions(x11_platform PRIVATE OVERINK_CLICK_RECORDER="$<TARGET_FILE:click_recorder>")
add_dependencies(x11_platform click_recorder)

# The same windows without a compositing manager: bounding shapes and input
# windows.
add_test(NAME x11_platform_no_compositor
  COMMAND ${OVERINK_X11_SESSION} --no-compositor -- $<TARGET_FILE:x11_platform> --gtest_filter=Window.*:NoCompositor.*)
set_tests_properties(x11_platform_no_compositor PROPERTIES LABELS x11 TIMEOUT 600)

# A copy of the program that claims the single instance.
add_executable(instance_probe ${CMAKE_CURRENT_SOURCE_DIR}/platform/InstanceProbe.cpp)
target_link_libraries(instance_probe PRIVATE overink_core)
target_compile_definitions(x11_platform PRIVATE OVERINK_INSTANCE_PROBE="$<TARGET_FILE:instance_probe>")
add_dependencies(x11_platform instance_probe)

# Without a tray host the status item falls back to its launcher button.
add_test(NAME x11_platform_no_tray
  COMMAND ${OVERINK_X11_SESSION} --no-tray -- $<TARGET_FILE:x11_platform> --gtest_filter=NoTray.*)
set_tests_properties(x11_platform_no_tray PROPERTIES LABELS x11 TIMEOUT 600)
