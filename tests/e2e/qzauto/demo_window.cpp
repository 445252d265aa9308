// qzdemo: a small window with the same class name and control ids as the
// program's main window, used to check qzauto and the e2e library on their
// own. Its behaviour is fixed so the harness self-test can assert on it:
//   101 STATIC   "Pick a drive:"
//   102 COMBOBOX drop-down list of the removable drive roots, refreshed each second
//   103 BUTTON   "Save": error message box; tool tip "Writes the files\nto the drive"
//   104 BUTTON   owner-drawn; message boxes with a warning, info, question, no icon in turn
//   105 STATIC   "Selected: <root>" after a pick in the combo box
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

namespace {

constexpr int kIdLabel = 101;
constexpr int kIdDrives = 102;
constexpr int kIdSave = 103;
constexpr int kIdPicture = 104;
constexpr int kIdStatus = 105;
constexpr UINT_PTR kScanTimer = 1;
constexpr const wchar_t* kTitle = L"QZ demo";

int g_pictureClicks = 0;

std::vector<std::wstring> RemovableRoots() {
    std::vector<std::wstring> roots;
    wchar_t buffer[512] = {};
    const DWORD length = GetLogicalDriveStringsW(ARRAYSIZE(buffer), buffer);
    if (length == 0 || length >= ARRAYSIZE(buffer)) return roots;
    for (const wchar_t* root = buffer; *root; root += wcslen(root) + 1)
        if (GetDriveTypeW(root) == DRIVE_REMOVABLE) roots.emplace_back(root);
    return roots;
}

std::vector<std::wstring> ComboItems(HWND combo) {
    std::vector<std::wstring> items;
    const auto count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        std::wstring item(static_cast<size_t>(SendMessageW(combo, CB_GETLBTEXTLEN, i, 0)) + 1, L'\0');
        item.resize(static_cast<size_t>(SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item.data()))));
        items.push_back(item);
    }
    return items;
}

// Refills the list only when the set of drives changed, keeping the pick.
void RefreshDrives(HWND combo) {
    const auto roots = RemovableRoots();
    if (roots == ComboItems(combo)) return;
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    for (const auto& root : roots) SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(root.c_str()));
}

void AddToolTip(HWND owner, HWND tool, const wchar_t* text) {
    HWND tip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, 0,
                               0, 0, 0, owner, nullptr, GetModuleHandleW(nullptr), nullptr);
    TOOLINFOW info{};
    info.cbSize = sizeof info;
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = owner;
    info.uId = reinterpret_cast<UINT_PTR>(tool);
    info.lpszText = const_cast<wchar_t*>(text);
    SendMessageW(tip, TTM_SETMAXTIPWIDTH, 0, 300);
    SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

void CreateControls(HWND window) {
    const auto instance = GetModuleHandleW(nullptr);
    const auto font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    struct ControlDef {
        const wchar_t* windowClass;
        const wchar_t* text;
        DWORD style;
        int id, x, y, width, height;
    };
    const ControlDef defs[] = {
        {L"STATIC", L"Pick a drive:", SS_LEFT, kIdLabel, 8, 12, 120, 20},
        {L"COMBOBOX", L"", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, kIdDrives, 132, 8, 160, 200},
        {L"BUTTON", L"Save", BS_PUSHBUTTON | WS_TABSTOP, kIdSave, 300, 8, 90, 26},
        {L"BUTTON", L"", BS_OWNERDRAW | WS_TABSTOP, kIdPicture, 300, 42, 90, 26},
        {L"STATIC", L"Selected: none", SS_LEFT, kIdStatus, 8, 190, 380, 20},
    };
    for (const auto& s : defs) {
        HWND child = CreateWindowExW(0, s.windowClass, s.text, WS_CHILD | WS_VISIBLE | s.style, s.x, s.y, s.width,
                                     s.height, window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(s.id)), instance,
                                     nullptr);
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    AddToolTip(window, GetDlgItem(window, kIdSave), L"Writes the files\nto the drive");
    RefreshDrives(GetDlgItem(window, kIdDrives));
    SetTimer(window, kScanTimer, 1000, nullptr);
}

void ShowNextPictureBox(HWND window) {
    static const UINT icons[] = {MB_ICONWARNING, MB_ICONINFORMATION, MB_ICONQUESTION, 0};
    const UINT icon = icons[g_pictureClicks++ % ARRAYSIZE(icons)];
    MessageBoxW(window, L"Picture button pressed", kTitle, MB_OK | icon);
}

void OnCommand(HWND window, int id, int code) {
    if (id == kIdSave && code == BN_CLICKED) {
        MessageBoxW(window, L"Nothing to save", kTitle, MB_OK | MB_ICONERROR);
    } else if (id == kIdPicture && code == BN_CLICKED) {
        ShowNextPictureBox(window);
    } else if (id == kIdDrives && code == CBN_SELCHANGE) {
        wchar_t root[64] = {};
        GetWindowTextW(GetDlgItem(window, kIdDrives), root, ARRAYSIZE(root));
        SetWindowTextW(GetDlgItem(window, kIdStatus), (std::wstring(L"Selected: ") + root).c_str());
    }
}

void DrawPicture(const DRAWITEMSTRUCT& item) {
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(COLOR_BTNFACE));
    RECT r = item.rcItem;
    InflateRect(&r, -4, -4);
    FillRect(item.hDC, &r, GetSysColorBrush((item.itemState & ODS_SELECTED) ? COLOR_HIGHLIGHT : COLOR_BTNSHADOW));
    if (item.itemState & ODS_FOCUS) DrawFocusRect(item.hDC, &item.rcItem);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        CreateControls(window);
        return 0;
    case WM_TIMER:
        if (wParam == kScanTimer) RefreshDrives(GetDlgItem(window, kIdDrives));
        return 0;
    case WM_COMMAND:
        OnCommand(window, LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_DRAWITEM:
        if (wParam == kIdPicture) {
            DrawPicture(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        }
        break;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);

    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = L"TForm1";
    if (!RegisterClassExW(&windowClass)) return 1;

    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    RECT frame{0, 0, 400, 220};
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    HWND window = CreateWindowExW(0, L"TForm1", kTitle, style, 100, 80, frame.right - frame.left,
                                  frame.bottom - frame.top, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    SetFocus(GetDlgItem(window, kIdDrives));

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (IsDialogMessageW(window, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
