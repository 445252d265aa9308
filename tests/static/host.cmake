# Host tool that reads version blocks for the static and end-to-end checks.
add_executable(qz_version_block_dump ${CMAKE_CURRENT_LIST_DIR}/version_block_dump.cpp)
target_link_libraries(qz_version_block_dump PRIVATE qz_warnings)
set_target_properties(qz_version_block_dump PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests/static)
