#include "platform/system.h"

#include "platform/error.h"

namespace qz::win {
namespace {

std::wstring SystemDirectory() {
    wchar_t buffer[MAX_PATH];
    const UINT n = GetSystemDirectoryW(buffer, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) ThrowLastError(L"Не удалось определить системную папку Windows");
    return std::wstring(buffer, n);
}

}  // namespace

void RestrictDllSearchToSystem32() {
    // Windows 8 and later (and 7 with KB2533623) have SetDefaultDllDirectories;
    // kernel32 is always loaded, so looking it up here plants nothing.
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    const auto setDefault = kernel == nullptr ? nullptr
        : reinterpret_cast<SetDefaultDllDirectoriesFn>(
              reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
    if (setDefault != nullptr && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) return;
    // Older systems: at least take the current directory out of the search.
    SetDllDirectoryW(L"");
}

Library LoadSystemLibrary(const wchar_t* name) {
    const std::wstring path = SystemDirectory() + L"\\" + name;
    Library library(LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    if (!library) ThrowLastError(L"Не удалось загрузить " + path);
    return library;
}

std::wstring ExecutablePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) ThrowLastError(L"Не удалось определить путь программы");
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::wstring ProgramDirectory() {
    const std::wstring path = ExecutablePath();
    const auto slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

void FailCriticalErrorsSilently() { SetErrorMode(SEM_FAILCRITICALERRORS); }

}  // namespace qz::win
