# The Windows program, built with MinGW-w64 from the data made by the host build.
set(QZ_HOST_BUILD_DIR "" CACHE PATH "The host build, which holds the generated data and the check tools")
set(QZ_GEN_DIR ${QZ_HOST_BUILD_DIR}/gen)
if(NOT QZ_HOST_BUILD_DIR OR NOT EXISTS "${QZ_GEN_DIR}/payloads.rc")
  message(FATAL_ERROR "QZ_HOST_BUILD_DIR must name a finished host build (scripts/build.sh builds it first)")
endif()

set(QZ_VERSION_DOTTED "${PROJECT_VERSION}")

# Small: no unused code, stripped, runtime linked statically so the exe
# needs no DLL beyond Windows' own.
set(QZ_WIN_COMPILE -Os -ffunction-sections -fdata-sections -DUNICODE -D_UNICODE -DWIN32_LEAN_AND_MEAN
    -DNOMINMAX -D_WIN32_WINNT=0x0601 -DWINVER=0x0601 -D__USE_MINGW_ANSI_STDIO=0)
set(QZ_WIN_LINK -static -static-libgcc -static-libstdc++ -Wl,--gc-sections -s -Wl,--nxcompat -Wl,--dynamicbase)
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  list(APPEND QZ_WIN_LINK -Wl,--high-entropy-va)
endif()
# C++20 drops the library's extern declarations of the string templates, so
# only the string members the program uses are compiled in, not the whole
# prebuilt instantiation.
set(CMAKE_CXX_STANDARD 20)
set_target_properties(qz_core PROPERTIES CXX_STANDARD 20)
target_compile_options(qz_core PRIVATE ${QZ_WIN_COMPILE})

add_library(qz_platform STATIC
  platform/dpi.cpp
  platform/drives.cpp
  platform/error.cpp
  platform/files.cpp
  platform/resources.cpp
  platform/shell.cpp
  platform/system.cpp
  platform/version_info.cpp
)
target_compile_options(qz_platform PRIVATE ${QZ_WIN_COMPILE})
target_link_libraries(qz_platform PUBLIC qz_core PRIVATE qz_warnings)

configure_file(app/QZ_LoadingModule.manifest ${CMAKE_CURRENT_BINARY_DIR}/QZ_LoadingModule.manifest @ONLY)
set(QZ_MANIFEST ${CMAKE_CURRENT_BINARY_DIR}/QZ_LoadingModule.manifest)
file(GLOB QZ_GENERATED_DATA CONFIGURE_DEPENDS ${QZ_GEN_DIR}/*)

# The program's code, shared by the program and the test builds that only
# differ in their resources.
add_library(qz_app OBJECT
  app/QZ_LoadingModule.cpp
  app/Main.cpp
  app/picture_button.cpp
  app/runtime_support.cpp
  app/load_config.cpp
)
target_compile_options(qz_app PRIVATE ${QZ_WIN_COMPILE} -municode)
target_link_libraries(qz_app PRIVATE qz_platform qz_warnings)

# The C name _load_config_used as the linker sees it.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  set(QZ_LOAD_CONFIG_SYMBOL _load_config_used)
else()
  set(QZ_LOAD_CONFIG_SYMBOL __load_config_used)
endif()

# qz_add_program(<target> VERSION_BLOCK <rc or empty> PAYLOADS <rc> CHANGES <file or empty>)
# links the program with a resource script made from app/QZ_LoadingModule.rc.in.
function(qz_add_program target)
  cmake_parse_arguments(ARG "" "VERSION_BLOCK;PAYLOADS;CHANGES" "" ${ARGN})
  set(QZ_VERSION_BLOCK "")
  if(ARG_VERSION_BLOCK)
    set(QZ_VERSION_BLOCK "#include \"${ARG_VERSION_BLOCK}\"")
  endif()
  set(QZ_PAYLOAD_RESOURCES "#include \"${ARG_PAYLOADS}\"")
  set(QZ_CHANGES_RESOURCE "")
  if(ARG_CHANGES)
    set(QZ_CHANGES_RESOURCE "Changes RCDATA \"${ARG_CHANGES}\"")
  endif()
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc)
  configure_file(${PROJECT_SOURCE_DIR}/app/QZ_LoadingModule.rc.in ${rc} @ONLY)
  set_source_files_properties(${rc} PROPERTIES
    OBJECT_DEPENDS "${QZ_GENERATED_DATA};${QZ_MANIFEST};${ARG_VERSION_BLOCK};${ARG_PAYLOADS}")
  add_executable(${target} WIN32 $<TARGET_OBJECTS:qz_app> ${rc})
  set(map ${CMAKE_CURRENT_BINARY_DIR}/${target}.map)
  target_link_options(${target} PRIVATE ${QZ_WIN_LINK} -municode -mwindows
                      -Wl,-u,${QZ_LOAD_CONFIG_SYMBOL} -Wl,-Map=${map})
  target_link_libraries(${target} PRIVATE qz_platform comctl32 shell32)
  # The linker leaves the load-config entry empty; point it at the table.
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${QZ_HOST_BUILD_DIR}/tools/qz_pe_load_config $<TARGET_FILE:${target}> ${map}
    VERBATIM)
endfunction()

# qz_version_block(<out> <major> <minor> <patch> <tweak> <translation>): the version block
# of app/version_block.rc.in with these numbers.
function(qz_version_block out major minor patch tweak translation)
  set(QZ_VERSION_COMMAS "${major},${minor},${patch},${tweak}")
  set(QZ_VERSION_DOTTED "${major}.${minor}.${patch}.${tweak}")
  set(QZ_PRODUCT_VERSION "${major}.${minor}")
  set(QZ_TRANSLATION "${translation}")
  configure_file(${PROJECT_SOURCE_DIR}/app/version_block.rc.in ${out} @ONLY)
endfunction()

qz_version_block(${CMAKE_CURRENT_BINARY_DIR}/version_block.rc ${PROJECT_VERSION_MAJOR} ${PROJECT_VERSION_MINOR}
                 ${PROJECT_VERSION_PATCH} ${PROJECT_VERSION_TWEAK} "0x0419, 1251")
qz_add_program(QZ_LoadingModule
  VERSION_BLOCK ${CMAKE_CURRENT_BINARY_DIR}/version_block.rc
  PAYLOADS ${QZ_GEN_DIR}/payloads.rc
  CHANGES ${QZ_GEN_DIR}/Changes.pdf)

if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  # The build that runs under Wine: automation tool and end-to-end tests.
  add_subdirectory(tests/e2e)
else()
  add_subdirectory(tests/static)
endif()
