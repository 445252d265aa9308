#pragma once
// Routes a window's messages to a C++ object (the BaseWindow pattern of the
// Win32 samples). An exception never leaves the window procedure: it goes to
// the standard error box and the program keeps running.
#include <windows.h>

namespace qz {

// Shows the standard error box for the exception being handled: its text,
// the application title as caption and the error icon.
void ReportCurrentException(HWND owner) noexcept;

template <typename Derived>
class BaseWindow {
public:
    HWND Window() const { return hwnd_; }

protected:
    BaseWindow() = default;
    ~BaseWindow() = default;
    BaseWindow(const BaseWindow&) = delete;
    BaseWindow& operator=(const BaseWindow&) = delete;

    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        Derived* self = nullptr;
        if (message == WM_NCCREATE) {
            self = static_cast<Derived*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
            self->hwnd_ = hwnd;
        } else {
            self = reinterpret_cast<Derived*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        }
        if (self == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
        try {
            const LRESULT result = self->HandleMessage(message, wParam, lParam);
            if (message == WM_NCDESTROY) {
                SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
                self->hwnd_ = nullptr;
            }
            return result;
        } catch (...) {
            ReportCurrentException(hwnd);
            return 0;
        }
    }

    HWND hwnd_ = nullptr;
};

}  // namespace qz
