# Rewrites a brush index until killed.
add_executable(brush_index_writer ${CMAKE_CURRENT_SOURCE_DIR}/brushes/BrushIndexWriter.cpp)
target_link_libraries(brush_index_writer PRIVATE overink_testsupport)
target_compile_definitions(unit_brushes PRIVATE OVERINK_BRUSH_INDEX_WRITER="$<TARGET_FILE:brush_index_writer>")
add_dependencies(unit_brushes brush_index_writer)
