add_executable(defaults_writer ${CMAKE_CURRENT_SOURCE_DIR}/platform/DefaultsWriter.cpp)
target_link_libraries(defaults_writer PRIVATE overink_core)
target_compile_definitions(unit_platform PRIVATE OVERINK_DEFAULTS_WRITER="$<TARGET_FILE:defaults_writer>")
add_dependencies(unit_platform defaults_writer)
