# Builds of the program that differ from the release only in their
# resources, for the cases that need a version block or embedded data the
# release never has.
set(QZ_VARIANT_DIR ${CMAKE_CURRENT_BINARY_DIR}/variants)
file(MAKE_DIRECTORY ${QZ_VARIANT_DIR})
file(WRITE ${QZ_VARIANT_DIR}/no_payloads.rc "// no embedded payloads\n")
set(QZ_BLOCKS ${CMAKE_CURRENT_SOURCE_DIR}/version_blocks)

qz_version_block(${QZ_VARIANT_DIR}/v6_0.rc 6 0 0 0 "0x0419, 1251")
set(QZ_E2E_ENV_version)
foreach(variant no_block no_translation top_bit no_file_version v6_0)
  set(block "")
  if(EXISTS ${QZ_BLOCKS}/${variant}.rc)
    set(block ${QZ_BLOCKS}/${variant}.rc)
  elseif(EXISTS ${QZ_VARIANT_DIR}/${variant}.rc)
    set(block ${QZ_VARIANT_DIR}/${variant}.rc)
  endif()
  qz_add_program(QZ_version_${variant} VERSION_BLOCK "${block}" PAYLOADS ${QZ_VARIANT_DIR}/no_payloads.rc)
  list(APPEND QZ_E2E_ENV_version QZ_VARIANT_${variant}=$<TARGET_FILE:QZ_version_${variant}>)
endforeach()

# The release's data with one firmware image and the change list missing.
file(READ ${QZ_GEN_DIR}/payloads.rc QZ_ALL_PAYLOADS)
string(REGEX REPLACE "Firmware7 RCDATA [^\n]*\n" "" QZ_SOME_PAYLOADS "${QZ_ALL_PAYLOADS}")
file(WRITE ${QZ_VARIANT_DIR}/missing_payload.rc "${QZ_SOME_PAYLOADS}")
qz_add_program(QZ_missing_data
  VERSION_BLOCK ${CMAKE_BINARY_DIR}/version_block.rc
  PAYLOADS ${QZ_VARIANT_DIR}/missing_payload.rc)
set(QZ_E2E_ENV_errors QZ_MISSING_DATA=$<TARGET_FILE:QZ_missing_data>)
