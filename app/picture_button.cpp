#include "app/picture_button.h"

#include <windowsx.h>

#include "platform/error.h"
#include "platform/handle.h"

namespace qz {
namespace {

enum Picture { kUp = 0, kHot = 1, kDown = 2 };
constexpr COLORREF kTransparent = RGB(255, 255, 255);
constexpr UINT_PTR kSubclassId = 1;

}  // namespace

void PictureButton::Create(HWND parent, int id, const wchar_t* up, const wchar_t* hot, const wchar_t* down) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    const wchar_t* names[3] = {up, hot, down};
    for (int i = 0; i < 3; ++i) {
        pictures_[i].Reset(LoadImageW(instance, names[i], IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
        if (!pictures_[i]) win::ThrowLastError(L"Не удалось загрузить рисунок " + std::wstring(names[i]));
    }
    hwnd_ = CreateWindowExW(0, WC_BUTTONW, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS | BS_OWNERDRAW,
                            0, 0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    if (hwnd_ == nullptr) win::ThrowLastError(L"Не удалось создать кнопку");
    SetWindowSubclass(hwnd_, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));

    toolTip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, parent, nullptr,
                               instance, nullptr);
    if (toolTip_ == nullptr) win::ThrowLastError(L"Не удалось создать подсказку");
    // A maximum width lets the tip break its text at line breaks.
    SendMessageW(toolTip_, TTM_SETMAXTIPWIDTH, 0, 400);
}

void PictureButton::SetPictureSize(int size) {
    win::Owner<ImageListTraits> list(ImageList_Create(size, size, ILC_COLOR24 | ILC_MASK, 3, 0));
    if (!list) win::ThrowLastError(L"Не удалось подготовить рисунки кнопки");
    HDC screen = GetDC(nullptr);
    HDC source = CreateCompatibleDC(screen);
    HDC target = CreateCompatibleDC(screen);
    for (const win::GdiObject& picture : pictures_) {
        BITMAP info{};
        GetObjectW(picture.Get(), sizeof info, &info);
        win::GdiObject scaled(CreateCompatibleBitmap(screen, size, size));
        const HGDIOBJ oldSource = SelectObject(source, picture.Get());
        const HGDIOBJ oldTarget = SelectObject(target, scaled.Get());
        // Nearest-neighbour keeps the transparent white exact at the edges.
        SetStretchBltMode(target, COLORONCOLOR);
        StretchBlt(target, 0, 0, size, size, source, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
        SelectObject(source, oldSource);
        SelectObject(target, oldTarget);
        ImageList_AddMasked(list.Get(), static_cast<HBITMAP>(scaled.Get()), kTransparent);
    }
    DeleteDC(target);
    DeleteDC(source);
    ReleaseDC(nullptr, screen);
    images_ = std::move(list);
    if (hwnd_ != nullptr) InvalidateRect(hwnd_, nullptr, TRUE);
}

void PictureButton::SetToolTip(const std::wstring& text) {
    toolTipText_ = text;
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = GetParent(hwnd_);
    tool.uId = reinterpret_cast<UINT_PTR>(hwnd_);
    tool.lpszText = toolTipText_.data();
    SendMessageW(toolTip_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessageW(toolTip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void PictureButton::SetToolTipDelay(int milliseconds) {
    SendMessageW(toolTip_, TTM_SETDELAYTIME, TTDT_INITIAL, MAKELPARAM(milliseconds, 0));
}

void PictureButton::Draw(const DRAWITEMSTRUCT& item) const {
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(COLOR_BTNFACE));
    const int picture = (item.itemState & ODS_SELECTED) ? kDown : hot_ ? kHot : kUp;
    if (images_) {
        int width = 0, height = 0;
        ImageList_GetIconSize(images_.Get(), &width, &height);
        const int x = item.rcItem.left + (item.rcItem.right - item.rcItem.left - width) / 2;
        const int y = item.rcItem.top + (item.rcItem.bottom - item.rcItem.top - height) / 2;
        ImageList_Draw(images_.Get(), picture, item.hDC, x, y, ILD_TRANSPARENT);
    }
    if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT)) {
        RECT focus = item.rcItem;
        InflateRect(&focus, -2, -2);
        DrawFocusRect(item.hDC, &focus);
    }
}

void PictureButton::SetHot(bool hot) {
    if (hot_ == hot) return;
    hot_ = hot;
    InvalidateRect(hwnd_, nullptr, FALSE);
}

LRESULT CALLBACK PictureButton::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                             DWORD_PTR data) {
    auto* self = reinterpret_cast<PictureButton*>(data);
    switch (message) {
        case WM_MOUSEMOVE:
            if (!self->hot_) {
                TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd, 0};
                TrackMouseEvent(&track);
                self->SetHot(true);
            }
            break;
        case WM_MOUSELEAVE:
            self->SetHot(false);
            break;
        case WM_NCDESTROY:
            RemoveWindowSubclass(hwnd, SubclassProc, kSubclassId);
            break;
        default:
            break;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

}  // namespace qz
