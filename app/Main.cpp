#include "app/Main.h"

#include <commctrl.h>

#include "app/version_text.h"
#include "changes/change_list.h"
#include "deploy/firmware_writer.h"
#include "platform/dpi.h"
#include "platform/drives.h"
#include "platform/error.h"
#include "platform/files.h"
#include "platform/resources.h"
#include "platform/shell.h"
#include "platform/system.h"
#include "platform/version_info.h"

namespace qz {

TForm1* Form1 = nullptr;

namespace {

constexpr const wchar_t* kWindowClass = L"TForm1";
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kWindowExStyle = WS_EX_CONTROLPARENT;
constexpr UINT kTimerInterval = 1000;
constexpr int kToolTipDelay = 100;

// The size of text drawn in the font.
SIZE TextSize(HWND window, HFONT font, const std::wstring& text) {
    SIZE size{0, 0};
    HDC dc = GetDC(window);
    const HGDIOBJ old = SelectObject(dc, font);
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    return size;
}

std::wstring WindowText(HWND window) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

void Place(HWND window, const Rect& r) { MoveWindow(window, r.x, r.y, r.w, r.h, TRUE); }

// DeviceBox as the drive watcher sees it.
class ComboDriveList : public DriveList {
public:
    explicit ComboDriveList(HWND combo) : combo_(combo) {}

    std::vector<std::wstring> Items() const override {
        std::vector<std::wstring> items;
        const int count = static_cast<int>(SendMessageW(combo_, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            const LRESULT length = SendMessageW(combo_, CB_GETLBTEXTLEN, i, 0);
            if (length == CB_ERR) continue;
            std::wstring text(static_cast<size_t>(length) + 1, L'\0');
            SendMessageW(combo_, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()));
            text.resize(static_cast<size_t>(length));
            items.push_back(text);
        }
        return items;
    }
    void Append(const std::wstring& root) override {
        SendMessageW(combo_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(root.c_str()));
    }
    int Selected() const override { return static_cast<int>(SendMessageW(combo_, CB_GETCURSEL, 0, 0)); }
    void Select(int index) override { SendMessageW(combo_, CB_SETCURSEL, index, 0); }

private:
    HWND combo_;
};

// Keeps the write button disabled for one write and enables it again
// however the write ends.
class ButtonDisabledForRun {
public:
    explicit ButtonDisabledForRun(HWND button) : button_(button) { EnableWindow(button_, FALSE); }
    ~ButtonDisabledForRun() { EnableWindow(button_, TRUE); }
    ButtonDisabledForRun(const ButtonDisabledForRun&) = delete;
    ButtonDisabledForRun& operator=(const ButtonDisabledForRun&) = delete;

private:
    HWND button_;
};

class ChangeListShell : public ChangeListHost {
public:
    ByteView OpenDocument() override { return win::LoadEmbeddedResource(kChangesResource); }
    bool SaveFile(const std::wstring& path, ByteView bytes) override {
        win::FileSystem fs;
        return WriteWholeFile(fs, path, bytes);
    }
    std::intptr_t OpenWithShell(const std::wstring& path) override {
        return win::OpenDocument(Form1->Window(), path);
    }
};

}  // namespace

void ReportCurrentException(HWND owner) noexcept {
    try {
        throw;
    } catch (const std::exception& e) {
        try {
            win::ShowMessage(owner, {win::DescribeException(e), kAppTitle, MessageIcon::Error});
        } catch (...) {
            MessageBoxW(owner, L"", kAppTitle, MB_OK | MB_ICONERROR);
        }
    } catch (...) {
        MessageBoxW(owner, L"Неизвестная ошибка", kAppTitle, MB_OK | MB_ICONERROR);
    }
}

// ---------------------------------------------------------------------------
// Window

void TForm1::CreateForm(HINSTANCE instance) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, L"MAINICON");
    wc.hIconSm = static_cast<HICON>(LoadImageW(instance, L"MAINICON", IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), 0));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kWindowClass;
    if (!RegisterClassExW(&wc)) win::ThrowLastError(L"Не удалось зарегистрировать класс окна");

    // Sized and centred for the system DPI; WM_DPICHANGED corrects a
    // monitor with another DPI.
    const int dpi = win::SystemDpi();
    const Rect client = LayoutForm(dpi, 0, 0, 0).client;
    RECT frame{0, 0, client.w, client.h};
    win::AdjustWindowRectForDpi(&frame, kWindowStyle, kWindowExStyle, dpi);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    if (!CreateWindowExW(kWindowExStyle, kWindowClass, kAppTitle, kWindowStyle, x, y, width, height, nullptr,
                         nullptr, instance, this))
        win::ThrowLastError(L"Не удалось создать окно");
}

HWND TForm1::Child(const wchar_t* windowClass, const wchar_t* text, DWORD style, int id) {
    HWND child = CreateWindowExW(0, windowClass, text, WS_CHILD | WS_CLIPSIBLINGS | style, 0, 0, 0, 0, hwnd_,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    if (child == nullptr) win::ThrowLastError(L"Не удалось создать элемент окна");
    return child;
}

void TForm1::CreateControls() {
    // Creation order is the tab order: DeviceBox, SaveButton, RzBmpButton1.
    Label1 = Child(WC_STATICW, kPromptChoose, WS_VISIBLE | SS_LEFT | SS_NOPREFIX, kIdLabel1);
    DeviceBox = Child(WC_COMBOBOXW, L"", WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, kIdDeviceBox);
    SaveButton = Child(WC_BUTTONW, L"Записать прошивку на USB-Flash", WS_VISIBLE | WS_TABSTOP | WS_DISABLED |
                       BS_PUSHBUTTON, kIdSaveButton);
    RzBmpButton1.Create(hwnd_, kIdRzBmpButton1, L"INFO_UP", L"INFO_HOT", L"INFO_DOWN");
    RzBmpButton1.SetToolTip(L"Изменения в ПО\r\n(Adobe Reader)");
    // Drawn by the window so the text sits on the strip's bottom edge, clear
    // of the buttons that reach into the strip's top row.
    FullVer = Child(WC_STATICW, L"V1.11.0.2   ", WS_VISIBLE | SS_OWNERDRAW, kIdFullVer);
    // The strip lies under the buttons where they touch.
    SetWindowPos(FullVer, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

    ApplyDpi(win::DpiForWindow(hwnd_));
    Timer1 = SetTimer(hwnd_, 1, kTimerInterval, nullptr);
    if (Timer1 == 0) win::ThrowLastError(L"Не удалось запустить таймер");
}

void TForm1::ApplyDpi(int dpi) {
    dpi_ = dpi;
    const FormLayout layout = LayoutForm(dpi, 0, 0, 0);
    // The controls take the new fonts before the old ones are deleted.
    win::GdiObject font(CreateFontW(layout.fontHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, RUSSIAN_CHARSET,
                                    OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                    DEFAULT_PITCH | FF_SWISS, L"MS Sans Serif"));
    win::GdiObject versionFont(CreateFontW(layout.fullVerFontHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                           RUSSIAN_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                           DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"Arial"));
    for (HWND control : {Label1, DeviceBox, SaveButton, RzBmpButton1.Window()})
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), TRUE);
    SendMessageW(FullVer, WM_SETFONT, reinterpret_cast<WPARAM>(versionFont.Get()), TRUE);
    font_ = std::move(font);
    versionFont_ = std::move(versionFont);
    SendMessageW(DeviceBox, CB_SETITEMHEIGHT, 0, layout.deviceBoxItemHeight);
    RzBmpButton1.SetPictureSize(layout.rzBmpButton1.w);
    LayoutControls();
}

void TForm1::LayoutControls() {
    const HFONT font = static_cast<HFONT>(font_.Get());
    const SIZE label = TextSize(Label1, font, WindowText(Label1));
    const SIZE prompt = TextSize(Label1, font, kPromptChoose);
    const FormLayout layout = LayoutForm(dpi_, label.cx, label.cy, prompt.cx);
    Place(Label1, layout.label1);
    Place(DeviceBox, Rect{layout.deviceBox.x, layout.deviceBox.y, layout.deviceBox.w, layout.deviceBoxDropHeight});
    // The closed list's height follows its selection field; bring it to the
    // designed height. Systems differ in how the field height they report
    // relates to the one they take, so measure after each step.
    for (int attempt = 0; attempt < 3; ++attempt) {
        RECT closed{};
        GetWindowRect(DeviceBox, &closed);
        const int difference = layout.deviceBox.h - (closed.bottom - closed.top);
        if (difference == 0) break;
        const int field = static_cast<int>(SendMessageW(DeviceBox, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0));
        if (field + difference <= 0) break;
        SendMessageW(DeviceBox, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), field + difference);
    }
    Place(SaveButton, layout.saveButton);
    Place(RzBmpButton1.Window(), layout.rzBmpButton1);
    Place(FullVer, layout.fullVer);
}

void TForm1::SetLabel(const wchar_t* text, COLORREF colour) {
    const bool textChanged = WindowText(Label1) != text;
    const bool colourChanged = labelColourIsSystem_ || labelColour_ != colour;
    if (!textChanged && !colourChanged) return;
    labelColour_ = colour;
    labelColourIsSystem_ = false;
    if (textChanged) {
        SetWindowTextW(Label1, text);
        LayoutControls();  // the label grows with its text
    }
    InvalidateRect(Label1, nullptr, TRUE);
}

void TForm1::ApplyLook(const WindowLook& look) {
    EnableWindow(SaveButton, look.saveEnabled);
    SetLabel(look.labelText, look.labelColour);
    ShowWindow(DeviceBox, look.listVisible ? SW_SHOWNA : SW_HIDE);
}

void TForm1::DrawVersionStrip(const DRAWITEMSTRUCT& item) const {
    RECT area = item.rcItem;
    FillRect(item.hDC, &area, GetSysColorBrush(COLOR_BTNFACE));
    const std::wstring text = WindowText(FullVer);
    const HGDIOBJ old = SelectObject(item.hDC, versionFont_.Get());
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, GetSysColor(COLOR_WINDOWTEXT));
    DrawTextW(item.hDC, text.c_str(), static_cast<int>(text.size()), &area,
              DT_RIGHT | DT_BOTTOM | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(item.hDC, old);
}

std::wstring TForm1::SelectedDrive() const { return WindowText(DeviceBox); }

void TForm1::ShowMessage(const Message& message) const { win::ShowMessage(hwnd_, message); }

LRESULT TForm1::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            CreateControls();
            FormCreate();
            return 0;
        case WM_TIMER:
            if (wParam == Timer1) Timer1Timer();
            return 0;
        case WM_COMMAND: {
            const int id = LOWORD(wParam);
            const int code = HIWORD(wParam);
            if (id == kIdSaveButton && code == BN_CLICKED) SaveButtonClick();
            if (id == kIdRzBmpButton1 && (code == BN_CLICKED || code == BN_DOUBLECLICKED)) RzBmpButton1Click();
            return 0;
        }
        case WM_DRAWITEM: {
            const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (item->hwndItem == RzBmpButton1.Window()) {
                RzBmpButton1.Draw(*item);
                return TRUE;
            }
            if (item->hwndItem == FullVer) {
                DrawVersionStrip(*item);
                return TRUE;
            }
            break;
        }
        case WM_CTLCOLORSTATIC: {
            HDC dc = reinterpret_cast<HDC>(wParam);
            const HWND control = reinterpret_cast<HWND>(lParam);
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, control == Label1 && !labelColourIsSystem_ ? labelColour_ : GetSysColor(COLOR_WINDOWTEXT));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
        }
        case WM_ACTIVATE:
            // Keep the focus where the user left it, as a dialog does.
            if (LOWORD(wParam) == WA_INACTIVE) {
                lastFocus_ = GetFocus();
            } else {
                HWND focus = lastFocus_ != nullptr && IsChild(hwnd_, lastFocus_) && IsWindowEnabled(lastFocus_) &&
                                     IsWindowVisible(lastFocus_)
                                 ? lastFocus_
                                 : GetNextDlgTabItem(hwnd_, nullptr, FALSE);
                if (focus != nullptr) SetFocus(focus);
            }
            return 0;
        case WM_DPICHANGED: {
            const auto* suggested = reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                         suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
            ApplyDpi(HIWORD(wParam));
            return 0;
        }
        case WM_DESTROY:
            if (Timer1 != 0) KillTimer(hwnd_, Timer1);
            Timer1 = 0;
            PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

// ---------------------------------------------------------------------------
// Handlers

void TForm1::Timer1Timer() {
    ComboDriveList list(DeviceBox);
    ApplyLook(WatchDrives(win::LogicalDriveStrings, win::DriveKind, list));
}

void TForm1::SaveButtonClick() { SaveFirmware(); }

void TForm1::RzBmpButton1Click() { ShowChanges(); }

void TForm1::FormCreate() {
    RzBmpButton1.SetToolTipDelay(kToolTipDelay);
    // No version block: the caption stays as it is and the strip shows only
    // its spaces, never a made-up number.
    std::optional<std::uint32_t> versionMS;
    try {
        versionMS = win::LoadVersionInfo(win::ExecutablePath()).FileVersionMS();
    } catch (const std::exception&) {
        versionMS.reset();
    }
    if (versionMS) SetWindowTextW(hwnd_, (WindowText(hwnd_) + CaptionSuffix(*versionMS)).c_str());
    SetWindowTextW(FullVer, FooterText(GetVersionString()).c_str());
}

// ---------------------------------------------------------------------------
// Procedures

void SaveFirmware() {
    ButtonDisabledForRun disabled(Form1->SaveButton);
    win::FailCriticalErrorsSilently();
    const std::wstring root = Form1->SelectedDrive();
    const HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    win::EmbeddedResources resources;
    win::FileSystem drive;
    int written = 0;
    try {
        written = WriteFirmwareSet(resources, drive, root);
    } catch (...) {
        SetCursor(previous);
        throw;
    }
    SetCursor(previous);
    for (const Message& message : FirmwareOutcome(written, root)) Form1->ShowMessage(message);
}

void ShowChanges() {
    ChangeListShell shell;
    if (const auto failure = ShowChangeList(shell, win::ProgramDirectory())) Form1->ShowMessage(*failure);
}

std::wstring GetVersionString() {
    try {
        const win::FileVersionInfo info = win::LoadVersionInfo(win::ExecutablePath());
        return QueryVersionValue(info, L"FileVersion");
    } catch (...) {
        return {};
    }
}

}  // namespace qz
