#pragma once
// Owners for Windows handles: the handle is released in the destructor and
// the owner can be moved but not copied.
#include <windows.h>

#include <utility>

namespace qz::win {

template <typename Traits>
class Owner {
public:
    using Handle = typename Traits::Handle;

    Owner() = default;
    explicit Owner(Handle h) : handle_(h) {}
    ~Owner() { Reset(); }
    Owner(const Owner&) = delete;
    Owner& operator=(const Owner&) = delete;
    Owner(Owner&& other) noexcept : handle_(std::exchange(other.handle_, Traits::Invalid())) {}
    Owner& operator=(Owner&& other) noexcept {
        if (this != &other) {
            Reset();
            handle_ = std::exchange(other.handle_, Traits::Invalid());
        }
        return *this;
    }

    Handle Get() const { return handle_; }
    bool Valid() const { return handle_ != Traits::Invalid(); }
    explicit operator bool() const { return Valid(); }
    Handle Release() { return std::exchange(handle_, Traits::Invalid()); }
    // Releases the handle now; true when there was none or closing worked.
    bool Reset(Handle h = Traits::Invalid()) {
        bool ok = true;
        if (Valid()) ok = Traits::Close(handle_);
        handle_ = h;
        return ok;
    }

private:
    Handle handle_ = Traits::Invalid();
};

struct FileHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static bool Close(Handle h) { return CloseHandle(h) != FALSE; }
};

struct GdiObjectTraits {
    using Handle = HGDIOBJ;
    static Handle Invalid() { return nullptr; }
    static bool Close(Handle h) { return DeleteObject(h) != FALSE; }
};

struct LibraryTraits {
    using Handle = HMODULE;
    static Handle Invalid() { return nullptr; }
    static bool Close(Handle h) { return FreeLibrary(h) != FALSE; }
};

using FileHandle = Owner<FileHandleTraits>;
using GdiObject = Owner<GdiObjectTraits>;
using Library = Owner<LibraryTraits>;

}  // namespace qz::win
