// The image's load configuration. Its one purpose here is the dependent
// load flags: DLLs that the program's imports pull in are then looked for in
// System32 only, never in the program's folder (Windows 10 1607 and later).
// The linker does not point the image's load-config entry at this table;
// the build's post-link step does (cmake/tools/pe_load_config.cpp).
#include <windows.h>

extern "C" {
extern const IMAGE_LOAD_CONFIG_DIRECTORY _load_config_used;
__attribute__((used)) const IMAGE_LOAD_CONFIG_DIRECTORY _load_config_used = [] {
    IMAGE_LOAD_CONFIG_DIRECTORY config{};
    config.Size = sizeof config;
    config.Reserved1 = LOAD_LIBRARY_SEARCH_SYSTEM32;  // DependentLoadFlags in newer headers
    return config;
}();
}
