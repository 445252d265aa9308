# The Windows program, built with MinGW-w64 from the data made by the host build.
set(QZ_HOST_BUILD_DIR "" CACHE PATH "The host build, which holds the generated data and the check tools")
set(QZ_GEN_DIR ${QZ_HOST_BUILD_DIR}/gen)
if(NOT QZ_HOST_BUILD_DIR OR NOT EXISTS "${QZ_GEN_DIR}/payloads.rc")
  message(FATAL_ERROR "QZ_HOST_BUILD_DIR must name a finished host build (scripts/build.sh builds it first)")
endif()

set(QZ_VERSION_DOTTED "${PROJECT_VERSION}")
set(QZ_VERSION_COMMAS "${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},${PROJECT_VERSION_PATCH},${PROJECT_VERSION_TWEAK}")
set(QZ_PRODUCT_VERSION "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}")

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
configure_file(app/version_block.rc.in ${CMAKE_CURRENT_BINARY_DIR}/version_block.rc @ONLY)
set(QZ_VERSION_BLOCK "#include \"${CMAKE_CURRENT_BINARY_DIR}/version_block.rc\"")
set(QZ_PAYLOAD_RESOURCES "#include \"${QZ_GEN_DIR}/payloads.rc\"")
configure_file(app/QZ_LoadingModule.rc.in ${CMAKE_CURRENT_BINARY_DIR}/QZ_LoadingModule.rc @ONLY)

file(GLOB QZ_GENERATED_DATA CONFIGURE_DEPENDS ${QZ_GEN_DIR}/*)
set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/QZ_LoadingModule.rc PROPERTIES
  OBJECT_DEPENDS "${QZ_GENERATED_DATA};${QZ_MANIFEST};${CMAKE_CURRENT_BINARY_DIR}/version_block.rc")

add_executable(QZ_LoadingModule WIN32
  app/QZ_LoadingModule.cpp
  app/Main.cpp
  app/picture_button.cpp
  app/runtime_support.cpp
  ${CMAKE_CURRENT_BINARY_DIR}/QZ_LoadingModule.rc
)
target_compile_options(QZ_LoadingModule PRIVATE ${QZ_WIN_COMPILE} -municode)
target_link_options(QZ_LoadingModule PRIVATE ${QZ_WIN_LINK} -municode -mwindows)
target_link_libraries(QZ_LoadingModule PRIVATE qz_platform qz_warnings comctl32 shell32)

if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  # The build that runs under Wine: automation tool and end-to-end tests.
  add_subdirectory(tests/e2e)
else()
  add_subdirectory(tests/static)
endif()
