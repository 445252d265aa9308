#include "platform/dpi.h"

namespace qz::win {
namespace {

template <typename Fn>
Fn User32Function(const char* name) {
    // user32 is loaded by every GUI program; looking it up loads nothing.
    const HMODULE user32 = GetModuleHandleW(L"user32.dll");
    return user32 == nullptr ? nullptr
                             : reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(user32, name)));
}

}  // namespace

int SystemDpi() {
    using Fn = UINT(WINAPI*)();
    static const Fn getDpiForSystem = User32Function<Fn>("GetDpiForSystem");
    if (getDpiForSystem != nullptr) return static_cast<int>(getDpiForSystem());
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

int DpiForWindow(HWND hwnd) {
    using Fn = UINT(WINAPI*)(HWND);
    static const Fn getDpiForWindow = User32Function<Fn>("GetDpiForWindow");
    if (getDpiForWindow != nullptr) {
        const UINT dpi = getDpiForWindow(hwnd);
        if (dpi != 0) return static_cast<int>(dpi);
    }
    return SystemDpi();
}

void AdjustWindowRectForDpi(RECT* rect, DWORD style, DWORD exStyle, int dpi) {
    using Fn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
    static const Fn adjustForDpi = User32Function<Fn>("AdjustWindowRectExForDpi");
    if (adjustForDpi != nullptr && adjustForDpi(rect, style, FALSE, exStyle, static_cast<UINT>(dpi))) return;
    AdjustWindowRectEx(rect, style, FALSE, exStyle);
}

}  // namespace qz::win
