# Host tools the Windows builds run after linking.
add_executable(qz_pe_load_config ${CMAKE_CURRENT_LIST_DIR}/pe_load_config.cpp)
target_link_libraries(qz_pe_load_config PRIVATE qz_warnings)
set_target_properties(qz_pe_load_config PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools)
