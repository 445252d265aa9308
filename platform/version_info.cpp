#include "platform/version_info.h"

#include <windows.h>

#include "platform/error.h"
#include "platform/system.h"

namespace qz::win {
namespace {

using GetSizeFn = DWORD(WINAPI*)(LPCWSTR, LPDWORD);
using GetInfoFn = BOOL(WINAPI*)(LPCWSTR, DWORD, DWORD, LPVOID);

template <typename Fn>
Fn Function(const Library& library, const char* name) {
    auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(library.Get(), name)));
    if (fn == nullptr) ThrowLastError(L"version.dll: " + Widen(name));
    return fn;
}

}  // namespace

FileVersionInfo::FileVersionInfo(const std::wstring& path) : library_(LoadSystemLibrary(L"version.dll")) {
    const auto getSize = Function<GetSizeFn>(library_, "GetFileVersionInfoSizeW");
    const auto getInfo = Function<GetInfoFn>(library_, "GetFileVersionInfoW");
    verQueryValue_ = Function<QueryFn>(library_, "VerQueryValueW");

    DWORD ignored = 0;
    const DWORD size = getSize(path.c_str(), &ignored);
    if (size == 0) return;
    block_.assign(size, 0);
    if (!getInfo(path.c_str(), 0, size, block_.data())) block_.clear();
}

bool FileVersionInfo::Query(const std::wstring& subBlock, void** value, unsigned* length) const {
    if (block_.empty()) return false;
    UINT n = 0;
    if (!verQueryValue_(block_.data(), subBlock.c_str(), value, &n) || *value == nullptr) return false;
    *length = n;
    return true;
}

std::optional<std::uint32_t> FileVersionInfo::FileVersionMS() const {
    void* value = nullptr;
    unsigned length = 0;
    if (!Query(L"\\", &value, &length) || length < sizeof(VS_FIXEDFILEINFO)) return std::nullopt;
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    if (fixed->dwSignature != 0xFEEF04BDu) return std::nullopt;
    return fixed->dwFileVersionMS;
}

std::optional<std::uint32_t> FileVersionInfo::FirstTranslation() const {
    void* value = nullptr;
    unsigned length = 0;
    if (!Query(L"\\VarFileInfo\\Translation", &value, &length) || length < 4) return std::nullopt;
    const auto* words = static_cast<const WORD*>(value);
    return static_cast<std::uint32_t>(words[0]) | (static_cast<std::uint32_t>(words[1]) << 16);
}

std::optional<std::wstring> FileVersionInfo::StringValue(const std::wstring& path) const {
    void* value = nullptr;
    unsigned length = 0;
    if (!Query(path, &value, &length)) return std::nullopt;
    // The length counts characters and may include the final zero.
    const auto* text = static_cast<const wchar_t*>(value);
    std::wstring result(text, length);
    const auto zero = result.find(L'\0');
    if (zero != std::wstring::npos) result.resize(zero);
    return result;
}

}  // namespace qz::win
