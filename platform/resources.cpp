#include "platform/resources.h"

#include <windows.h>

#include "platform/error.h"

namespace qz::win {

ByteView LoadEmbeddedResource(const wchar_t* name) {
    const std::wstring what = L"Ресурс \"" + std::wstring(name) + L"\" не найден";
    HRSRC info = FindResourceW(nullptr, name, MAKEINTRESOURCEW(10));  // RT_RCDATA
    if (info == nullptr) ThrowLastError(what);
    const DWORD size = SizeofResource(nullptr, info);
    HGLOBAL loaded = LoadResource(nullptr, info);
    const void* data = loaded == nullptr ? nullptr : LockResource(loaded);
    if (data == nullptr) ThrowLastError(what);
    return ByteView{static_cast<const std::uint8_t*>(data), size};
}

}  // namespace qz::win
