# Rewrites a brush index until killed.
add_executable(brush_index_writer ${CMAKE_CURRENT_SOURCE_DIR}/brushes/BrushIndexWriter.cpp)
target_link_libraries(brush_index_writer PRIVATE overink_testsupport)
target_compile_definitions(unit_brushes PRIVATE OVERINK_BRUSH_INDEX_WRITER="$<TARGET_FILE:brush_index_writer>")
add_dependencies(unit_brushes brush_index_writer)

# Imports brush files and quits on SIGTERM, as the program does.
add_executable(import_quit_probe ${CMAKE_CURRENT_SOURCE_DIR}/brushes/ImportQuitProbe.cpp)
target_link_libraries(import_quit_probe PRIVATE overink_testsupport)
target_compile_definitions(unit_brushes PRIVATE OVERINK_IMPORT_QUIT_PROBE="$<TARGET_FILE:import_quit_probe>")
add_dependencies(unit_brushes import_quit_probe)

# Checks a brush store as the program left it, for the end-to-end tests.
add_executable(brush_store_check ${CMAKE_CURRENT_SOURCE_DIR}/brushes/BrushStoreCheck.cpp)
target_link_libraries(brush_store_check PRIVATE overink_core)
