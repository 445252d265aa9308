#pragma once
// A push button that shows a picture: one for up, one while the mouse is
// over it (hot) and one while it is pressed. White in the pictures is
// transparent. It is a standard owner-drawn BUTTON, so the keyboard, the
// dialog navigation and accessibility tools treat it as any push button.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "platform/handle.h"

namespace qz {

struct ImageListTraits {
    using Handle = HIMAGELIST;
    static Handle Invalid() { return nullptr; }
    static bool Close(Handle h) { return ImageList_Destroy(h) != FALSE; }
};

class PictureButton {
public:
    PictureButton() = default;
    PictureButton(const PictureButton&) = delete;
    PictureButton& operator=(const PictureButton&) = delete;

    // Creates the button as a child of parent; the picture names are
    // BITMAP resources of the executable.
    void Create(HWND parent, int id, const wchar_t* up, const wchar_t* hot, const wchar_t* down);
    HWND Window() const { return hwnd_; }

    // Scales the pictures to the button's current size.
    void SetPictureSize(int size);
    void SetToolTip(const std::wstring& text);
    void SetToolTipDelay(int milliseconds);

    // Handles the parent's WM_DRAWITEM for this button.
    void Draw(const DRAWITEMSTRUCT& item) const;

private:
    static LRESULT CALLBACK SubclassProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    void SetHot(bool hot);

    HWND hwnd_ = nullptr;
    HWND toolTip_ = nullptr;
    win::GdiObject pictures_[3];
    win::Owner<ImageListTraits> images_;
    bool hot_ = false;
    std::wstring toolTipText_;
};

}  // namespace qz
