// qzauto: finds the program's main window from a second process of the same
// wineserver (or Windows session) and drives it the way a UI-automation client
// does, so the end-to-end tests can read and operate the real user interface.
// It also plugs drives in and out through Wine's mount manager.
//
// Output is UTF-8 on stdout, one "key=value" line per fact. Exit codes: 0 done,
// 1 a wait, lookup or action failed, 2 bad usage; the reason goes to stderr.
#include <windows.h>
#include <winioctl.h>

#include <cwchar>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

constexpr const wchar_t* kMainClass = L"TForm1";
constexpr const wchar_t* kDialogClass = L"#32770";
constexpr const wchar_t* kToolTipClass = L"tooltips_class32";
constexpr int kMessageTextId = 0xFFFF;
constexpr DWORD kDefaultWaitMs = 10000;
constexpr DWORD kPollMs = 50;
// Upper bound for one message sent to the program (it may be busy writing).
constexpr UINT kSendTimeoutMs = 5000;

// --- errors and output ------------------------------------------------------

struct Failure {
    int code;
    std::wstring reason;
};

[[noreturn]] void Fail(std::wstring reason) { throw Failure{kExitFailed, std::move(reason)}; }
[[noreturn]] void UsageError(std::wstring reason) { throw Failure{kExitUsage, std::move(reason)}; }

void WriteUtf8(DWORD stdHandle, const std::wstring& text) {
    if (text.empty()) return;
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr,
                        nullptr);
    DWORD written = 0;
    WriteFile(GetStdHandle(stdHandle), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

void Print(const std::wstring& line) { WriteUtf8(STD_OUTPUT_HANDLE, line + L"\n"); }

std::wstring Hex(DWORD value) {
    wchar_t buffer[16];
    swprintf(buffer, 16, L"0x%08X", static_cast<unsigned>(value));
    return buffer;
}

// Line breaks and tabs are shown as \n, \r, \t so every fact stays on one line.
std::wstring Escape(const std::wstring& text) {
    std::wstring out;
    for (size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (c == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') continue;  // CR LF is one break
        if (c == L'\n') out += L"\\n";
        else if (c == L'\r') out += L"\\r";
        else if (c == L'\t') out += L"\\t";
        else out += c;
    }
    return out;
}

// --- owners -----------------------------------------------------------------

// Owns a handle and releases it with Close when it goes out of scope.
template <typename T, auto Close>
class Owned {
public:
    explicit Owned(T value = nullptr) : value_(value) {}
    ~Owned() {
        if (value_) Close(value_);
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    T get() const { return value_; }
    explicit operator bool() const { return value_ != nullptr; }

private:
    T value_;
};

using Handle = Owned<HANDLE, CloseHandle>;
using MemoryDc = Owned<HDC, DeleteDC>;
using Bitmap = Owned<HBITMAP, DeleteObject>;

class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDc() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// Keeps a bitmap selected into a DC for the lifetime of the object.
class Selection {
public:
    Selection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~Selection() { SelectObject(dc_, previous_); }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// --- windows of the program -------------------------------------------------

std::wstring ClassOf(HWND window) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

DWORD ProcessOf(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    return pid;
}

struct TopLevelQuery {
    const wchar_t* className;
    DWORD pid;  // 0: any process
    bool mustBeEnabled;
    HWND found;
};

BOOL CALLBACK MatchTopLevel(HWND window, LPARAM param) {
    auto& q = *reinterpret_cast<TopLevelQuery*>(param);
    if (_wcsicmp(ClassOf(window).c_str(), q.className) != 0) return TRUE;
    if (q.pid != 0 && ProcessOf(window) != q.pid) return TRUE;
    if (!IsWindowVisible(window) || (q.mustBeEnabled && !IsWindowEnabled(window))) return TRUE;
    q.found = window;
    return FALSE;
}

// First visible (and, if asked, enabled) top-level window of the class.
HWND FindTopLevel(const wchar_t* className, DWORD pid, bool mustBeEnabled) {
    TopLevelQuery query{className, pid, mustBeEnabled, nullptr};
    EnumWindows(MatchTopLevel, reinterpret_cast<LPARAM>(&query));
    return query.found;
}

HWND FindMainWindow() { return FindTopLevel(kMainClass, 0, false); }

HWND FindMessageBox(DWORD pid) { return FindTopLevel(kDialogClass, pid, true); }

// Polls find() until it answers a window or timeoutMs have passed.
template <typename Find>
HWND WaitFor(DWORD timeoutMs, Find find) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (HWND window = find()) return window;
        if (GetTickCount64() >= deadline) return nullptr;
        Sleep(kPollMs);
    }
}

LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL | SMTO_ABORTIFHUNG, kSendTimeoutMs,
                             &result))
        Fail(L"the program did not answer message " + Hex(message) + L" within " +
             std::to_wstring(kSendTimeoutMs) + L" ms");
    return static_cast<LRESULT>(result);
}

// The caption kept for the window; asks no question of the program's thread.
std::wstring Caption(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), length + 1)));
    return text;
}

// WM_GETTEXT, marshalled across processes; for controls whose text is not
// their caption (a combo box shows its selection, a tool tip its current tip).
std::wstring AskedText(HWND window) {
    const auto length = static_cast<size_t>(Send(window, WM_GETTEXTLENGTH));
    std::wstring text(length + 1, L'\0');
    text.resize(static_cast<size_t>(Send(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
    return text;
}

std::wstring ControlText(HWND control) {
    const std::wstring className = ClassOf(control);
    if (_wcsicmp(className.c_str(), L"ComboBox") == 0 || _wcsicmp(className.c_str(), kToolTipClass) == 0)
        return AskedText(control);
    return Caption(control);
}

// Window rectangle of a child in its parent's client coordinates.
RECT RectInParent(HWND child) {
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

std::wstring Geometry(const RECT& r) {
    return std::to_wstring(r.left) + L"," + std::to_wstring(r.top) + L"," + std::to_wstring(r.right - r.left) +
           L"," + std::to_wstring(r.bottom - r.top);
}

// --- message box icons ------------------------------------------------------

struct IconKind {
    const wchar_t* name;
    LPCWSTR resource;
};
const IconKind kIconKinds[] = {
    {L"error", IDI_HAND},
    {L"warning", IDI_EXCLAMATION},
    {L"info", IDI_ASTERISK},
    {L"question", IDI_QUESTION},
};

HWND FindIconStatic(HWND box) {
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (_wcsicmp(ClassOf(child).c_str(), L"Static") != 0) continue;
        if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) return child;
    }
    return nullptr;
}

// Top-down 32-bit pixels of a width x height bitmap drawn by paint(dc).
template <typename Paint>
std::vector<DWORD> Render(int width, int height, Paint paint) {
    WindowDc screen(nullptr);
    MemoryDc dc(CreateCompatibleDC(screen.get()));
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    Bitmap bitmap(CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!dc || !bitmap) Fail(L"cannot create a bitmap to compare icons");
    {
        Selection selected(dc.get(), bitmap.get());
        paint(dc.get());
        GdiFlush();
    }
    const auto* pixels = static_cast<const DWORD*>(bits);
    return std::vector<DWORD>(pixels, pixels + static_cast<size_t>(width) * height);
}

std::vector<DWORD> IconOn(HICON icon, int width, int height, COLORREF background) {
    return Render(width, height, [&](HDC dc) {
        RECT all{0, 0, width, height};
        Owned<HBRUSH, DeleteObject> brush(CreateSolidBrush(background));
        FillRect(dc, &all, brush.get());
        DrawIconEx(dc, 0, 0, icon, width, height, 0, nullptr, DI_NORMAL);
    });
}

bool Near(DWORD a, DWORD b) {
    for (int shift = 0; shift < 24; shift += 8) {
        const int d = static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
        if (d > 12 || d < -12) return false;
    }
    return true;
}

// Share of the icon's opaque pixels (those that look the same drawn on black
// and on white) that the screen shows in the icon's colour.
double Likeness(HICON icon, const std::vector<DWORD>& shown, int width, int height) {
    const auto onBlack = IconOn(icon, width, height, RGB(0, 0, 0));
    const auto onWhite = IconOn(icon, width, height, RGB(255, 255, 255));
    size_t opaque = 0, same = 0;
    for (size_t i = 0; i < shown.size(); ++i) {
        if ((onBlack[i] & 0xFFFFFF) != (onWhite[i] & 0xFFFFFF)) continue;
        ++opaque;
        if (Near(onBlack[i], shown[i])) ++same;
    }
    return opaque == 0 ? 0.0 : static_cast<double>(same) / static_cast<double>(opaque);
}

// Which stock icon the message box shows. On Windows the stock icons are
// shared between processes, so the handle tells. Under Wine each process loads
// its own copy, so the pixels on screen are compared with each stock icon.
std::wstring IconKindOf(HWND box) {
    HWND iconStatic = FindIconStatic(box);
    if (!iconStatic || !IsWindowVisible(iconStatic)) return L"none";
    auto shownIcon = reinterpret_cast<HICON>(Send(iconStatic, STM_GETICON));
    if (!shownIcon) return L"none";
    for (const auto& kind : kIconKinds)
        if (LoadIconW(nullptr, kind.resource) == shownIcon) return kind.name;

    RECT client{};
    GetClientRect(iconStatic, &client);
    const int width = client.right, height = client.bottom;
    if (width <= 0 || height <= 0) return L"none";
    // The box may not have painted yet: look again for a moment.
    const ULONGLONG deadline = GetTickCount64() + 1500;
    for (;;) {
        POINT origin{0, 0};
        ClientToScreen(iconStatic, &origin);
        const auto shown = Render(width, height, [&](HDC dc) {
            WindowDc screen(nullptr);
            BitBlt(dc, 0, 0, width, height, screen.get(), origin.x, origin.y, SRCCOPY);
        });
        const wchar_t* best = nullptr;
        double bestLikeness = 0.0;
        for (const auto& kind : kIconKinds) {
            const double likeness = Likeness(LoadIconW(nullptr, kind.resource), shown, width, height);
            if (likeness > bestLikeness) bestLikeness = likeness, best = kind.name;
        }
        if (best && bestLikeness >= 0.9) return best;
        if (GetTickCount64() >= deadline || !IsWindow(box)) return L"unknown";
        Sleep(100);
    }
}

void PrintMessageBox(HWND box) {
    Print(L"caption=" + Escape(Caption(box)));
    HWND text = GetDlgItem(box, kMessageTextId);
    Print(L"text=" + Escape(text ? Caption(text) : std::wstring()));
    Print(L"icon=" + IconKindOf(box));
}

// --- arguments --------------------------------------------------------------

struct Context {
    std::vector<std::wstring> args;  // after the command name
    HWND main = nullptr;

    DWORD Pid() const { return ProcessOf(main); }
};

long Number(const std::wstring& text, const wchar_t* what) {
    wchar_t* end = nullptr;
    const long value = wcstol(text.c_str(), &end, 10);
    if (text.empty() || *end != L'\0' || value < 0) UsageError(std::wstring(what) + L" must be a number: " + text);
    return value;
}

DWORD OptionalMs(const Context& c, size_t index, DWORD fallback) {
    return c.args.size() > index ? static_cast<DWORD>(Number(c.args[index], L"timeout")) : fallback;
}

HWND Control(const Context& c, const std::wstring& idText) {
    const long id = Number(idText, L"control id");
    HWND control = GetDlgItem(c.main, static_cast<int>(id));
    if (!control) Fail(L"the main window has no control with id " + idText);
    return control;
}

wchar_t DriveLetter(const std::wstring& text) {
    if (text.size() != 1 || !iswalpha(text[0]) || text[0] > 0x7F)
        UsageError(L"drive letter must be one letter: " + text);
    return static_cast<wchar_t>(towlower(text[0]));
}

// --- commands ---------------------------------------------------------------

int CmdWaitWindow(const Context& c) {
    if (!WaitFor(OptionalMs(c, 0, kDefaultWaitMs), FindMainWindow)) Fail(L"no visible TForm1 window appeared");
    return kExitOk;
}

int CmdControls(const Context& c);

// Waits for the window like wait-window, then at once prints its controls and
// the number of drive-list entries: the state right after start, read before
// the program's first timer tick can change it. Started before the program,
// with a ready file that it creates once it is looking.
int CmdStartup(const Context& c) {
    if (c.args.size() > 1) {
        HANDLE ready = CreateFileW(c.args[1].c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (ready == INVALID_HANDLE_VALUE) Fail(L"cannot create " + c.args[1]);
        CloseHandle(ready);
    }
    Context found = c;
    found.main = WaitFor(OptionalMs(c, 0, kDefaultWaitMs), FindMainWindow);
    if (!found.main) Fail(L"no visible TForm1 window appeared");
    const ULONGLONG seen = GetTickCount64();
    CmdControls(found);
    HWND list = GetDlgItem(found.main, 102);
    Print(L"list_count=" + std::to_wstring(list ? Send(list, CB_GETCOUNT) : -1));
    Print(L"read_ms=" + std::to_wstring(GetTickCount64() - seen));
    return kExitOk;
}

int CmdWindow(const Context& c) {
    RECT client{}, window{};
    GetClientRect(c.main, &client);
    GetWindowRect(c.main, &window);
    Print(L"title=" + Escape(Caption(c.main)));
    Print(L"client=" + std::to_wstring(client.right) + L"x" + std::to_wstring(client.bottom));
    Print(L"style=" + Hex(static_cast<DWORD>(GetWindowLongW(c.main, GWL_STYLE))));
    Print(L"exstyle=" + Hex(static_cast<DWORD>(GetWindowLongW(c.main, GWL_EXSTYLE))));
    Print(L"rect=" + Geometry(window));
    Print(L"screen=" + std::to_wstring(GetSystemMetrics(SM_CXSCREEN)) + L"x" +
          std::to_wstring(GetSystemMetrics(SM_CYSCREEN)));
    Print(L"pid=" + std::to_wstring(c.Pid()));
    return kExitOk;
}

int CmdControls(const Context& c) {
    for (HWND child = GetWindow(c.main, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const auto style = static_cast<DWORD>(GetWindowLongW(child, GWL_STYLE));
        Print(L"id=" + std::to_wstring(GetDlgCtrlID(child)) + L" class=" + ClassOf(child) + L" text=" +
              Escape(ControlText(child)) + L" rect=" + Geometry(RectInParent(child)) +
              L" visible=" + (IsWindowVisible(child) ? L"1" : L"0") +
              L" enabled=" + (IsWindowEnabled(child) ? L"1" : L"0") +
              L" tabstop=" + ((style & WS_TABSTOP) ? L"1" : L"0") + L" style=" + Hex(style));
    }
    return kExitOk;
}

int CmdText(const Context& c) {
    Print(Escape(ControlText(Control(c, c.args[0]))));
    return kExitOk;
}

int CmdCombo(const Context& c) {
    HWND combo = Control(c, c.args[0]);
    const LRESULT count = Send(combo, CB_GETCOUNT);
    if (count == CB_ERR) Fail(L"control " + c.args[0] + L" is not a combo box");
    Print(L"count=" + std::to_wstring(count));
    Print(L"sel=" + std::to_wstring(Send(combo, CB_GETCURSEL)));
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = Send(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i));
        std::wstring item(length == CB_ERR ? 1 : static_cast<size_t>(length) + 1, L'\0');
        const LRESULT got = Send(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item.data()));
        item.resize(got == CB_ERR ? 0 : static_cast<size_t>(got));
        Print(L"item" + std::to_wstring(i) + L"=" + Escape(item));
    }
    return kExitOk;
}

void CALLBACK Answered(HWND, UINT, ULONG_PTR done, LRESULT) { *reinterpret_cast<bool*>(done) = true; }

// Sends a message the way the program's own controls would and waits until
// its window procedure has returned, or until it shows a message box (whose
// modal loop keeps the call open).
void SendAndSettle(HWND target, UINT message, WPARAM wParam, LPARAM lParam, DWORD pid) {
    bool done = false;
    if (!SendMessageCallbackW(target, message, wParam, lParam, Answered, reinterpret_cast<ULONG_PTR>(&done)))
        Fail(L"cannot send message " + Hex(message) + L" to the program");
    const ULONGLONG deadline = GetTickCount64() + kDefaultWaitMs;
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        if (done || FindMessageBox(pid) || !IsWindow(target)) return;
        if (GetTickCount64() >= deadline) Fail(L"the program did not finish handling the message in time");
        MsgWaitForMultipleObjects(0, nullptr, FALSE, kPollMs, QS_ALLINPUT);
    }
}

int CmdSelect(const Context& c) {
    HWND combo = Control(c, c.args[0]);
    const long index = Number(c.args[1], L"index");
    if (Send(combo, CB_SETCURSEL, static_cast<WPARAM>(index)) != index)
        Fail(L"combo box " + c.args[0] + L" has no item " + c.args[1]);
    SendAndSettle(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
                  reinterpret_cast<LPARAM>(combo), c.Pid());
    return kExitOk;
}

int CmdClick(const Context& c) {
    if (!PostMessageW(Control(c, c.args[0]), BM_CLICK, 0, 0)) Fail(L"cannot post BM_CLICK");
    return kExitOk;
}

// Screen point at the middle of a control, for moving the real mouse there.
int CmdCenter(const Context& c) {
    RECT rect{};
    GetWindowRect(Control(c, c.args[0]), &rect);
    Print(std::to_wstring((rect.left + rect.right) / 2) + L" " + std::to_wstring((rect.top + rect.bottom) / 2));
    return kExitOk;
}

int CmdFocus(const Context& c) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(c.main, nullptr), &info)) Fail(L"GetGUIThreadInfo failed");
    // Report the main window's child that holds the focus (or contains it).
    HWND focus = info.hwndFocus;
    while (focus && GetParent(focus) != c.main) focus = GetParent(focus);
    Print(std::to_wstring(focus ? GetDlgCtrlID(focus) : 0));
    return kExitOk;
}

int CmdMsgbox(const Context& c) {
    const DWORD pid = c.Pid();
    HWND box = WaitFor(OptionalMs(c, 0, kDefaultWaitMs), [pid] { return FindMessageBox(pid); });
    if (!box) Fail(L"no message box appeared");
    PrintMessageBox(box);
    return kExitOk;
}

int CmdMsgboxOk(const Context& c) {
    HWND box = FindMessageBox(c.Pid());
    if (!box) Fail(L"no message box is shown");
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
    const bool gone = WaitFor(kDefaultWaitMs, [box] { return IsWindow(box) && IsWindowVisible(box) ? nullptr : box; });
    if (!gone) Fail(L"the message box did not close");
    return kExitOk;
}

int CmdNoMsgbox(const Context& c) {
    const DWORD pid = c.Pid();
    HWND box = WaitFor(static_cast<DWORD>(Number(c.args[0], L"time")), [pid] { return FindMessageBox(pid); });
    if (!box) return kExitOk;
    PrintMessageBox(box);
    Fail(L"a message box appeared");
}

int CmdClose(const Context& c) {
    if (!PostMessageW(c.main, WM_CLOSE, 0, 0)) Fail(L"cannot post WM_CLOSE");
    return kExitOk;
}

int CmdTooltip(const Context& c) {
    HWND tip = FindTopLevel(kToolTipClass, c.Pid(), false);
    if (!tip) Fail(L"no tool tip is shown");
    Print(Escape(ControlText(tip)));
    return kExitOk;
}

// Wine's request to define (or, with type DRIVE_NO_ROOT_DIR, remove) a drive
// letter; the strings follow the structure at the given offsets.
struct UnixDriveRequest {
    ULONG size;
    ULONG type;
    ULONG fs_type;
    DWORD serial;
    ULONGLONG unix_dev;
    WCHAR letter;
    USHORT mount_point_offset;
    USHORT device_offset;
    USHORT label_offset;
};
constexpr DWORD kDefineUnixDrive =
    CTL_CODE(0x6d /* 'm' */, 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);

void DefineDrive(wchar_t letter, ULONG type, const std::string& unixFolder) {
    std::vector<char> request(sizeof(UnixDriveRequest) + (unixFolder.empty() ? 0 : unixFolder.size() + 1), 0);
    UnixDriveRequest header{};
    header.size = static_cast<ULONG>(request.size());
    header.type = type;
    header.letter = letter;
    if (!unixFolder.empty()) {
        header.mount_point_offset = sizeof header;
        unixFolder.copy(request.data() + sizeof header, unixFolder.size());
    }
    memcpy(request.data(), &header, sizeof header);

    HANDLE opened = CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (opened == INVALID_HANDLE_VALUE) Fail(L"cannot open the mount manager");
    Handle manager(opened);
    DWORD returned = 0;
    if (!DeviceIoControl(manager.get(), kDefineUnixDrive, request.data(), static_cast<DWORD>(request.size()),
                         nullptr, 0, &returned, nullptr))
        Fail(L"the mount manager refused the drive (error " + std::to_wstring(GetLastError()) + L")");
}

int CmdMount(const Context& c) {
    const wchar_t letter = DriveLetter(c.args[0]);
    const std::wstring& folder = c.args[1];
    if (folder.empty() || folder[0] != L'/') UsageError(L"the folder must be an absolute Linux path: " + folder);
    const std::wstring kind = c.args.size() > 2 ? c.args[2] : L"removable";
    ULONG type = 0;
    if (kind == L"removable") type = DRIVE_REMOVABLE;
    else if (kind == L"fixed") type = DRIVE_FIXED;
    else if (kind == L"cdrom") type = DRIVE_CDROM;
    else if (kind == L"network") type = DRIVE_REMOTE;
    else UsageError(L"drive type must be removable, fixed, cdrom or network: " + kind);

    const int size = WideCharToMultiByte(CP_UTF8, 0, folder.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, folder.c_str(), -1, bytes.data(), size, nullptr, nullptr);
    bytes.resize(static_cast<size_t>(size) - 1);
    DefineDrive(letter, type, bytes);
    return kExitOk;
}

int CmdUnmount(const Context& c) {
    DefineDrive(DriveLetter(c.args[0]), DRIVE_NO_ROOT_DIR, {});
    return kExitOk;
}

int CmdDriveType(const Context& c) {
    Print(std::to_wstring(GetDriveTypeW(c.args[0].c_str())));
    return kExitOk;
}

int CmdLogicalDrives(const Context&) {
    std::wstring roots(GetLogicalDriveStringsW(0, nullptr) + 1, L'\0');
    roots.resize(GetLogicalDriveStringsW(static_cast<DWORD>(roots.size()), roots.data()));
    for (const wchar_t* root = roots.c_str(); *root; root += wcslen(root) + 1) Print(root);
    return kExitOk;
}

struct Command {
    const wchar_t* name;
    const wchar_t* arguments;
    size_t minArgs;
    size_t maxArgs;
    bool needsWindow;
    int (*run)(const Context&);
};

constexpr Command kCommands[] = {
    {L"wait-window", L"[timeout_ms]", 0, 1, false, CmdWaitWindow},
    {L"startup", L"[timeout_ms] [ready_file]", 0, 2, false, CmdStartup},
    {L"window", L"", 0, 0, true, CmdWindow},
    {L"controls", L"", 0, 0, true, CmdControls},
    {L"text", L"<id>", 1, 1, true, CmdText},
    {L"combo", L"<id>", 1, 1, true, CmdCombo},
    {L"select", L"<id> <index>", 2, 2, true, CmdSelect},
    {L"click", L"<id>", 1, 1, true, CmdClick},
    {L"center", L"<id>", 1, 1, true, CmdCenter},
    {L"focus", L"", 0, 0, true, CmdFocus},
    {L"msgbox", L"[timeout_ms]", 0, 1, true, CmdMsgbox},
    {L"msgbox-ok", L"", 0, 0, true, CmdMsgboxOk},
    {L"no-msgbox", L"<ms>", 1, 1, true, CmdNoMsgbox},
    {L"close", L"", 0, 0, true, CmdClose},
    {L"tooltip", L"", 0, 0, true, CmdTooltip},
    {L"mount", L"<letter> <unix_folder> [removable|fixed|cdrom|network]", 2, 3, false, CmdMount},
    {L"unmount", L"<letter>", 1, 1, false, CmdUnmount},
    {L"drivetype", L"<root>", 1, 1, false, CmdDriveType},
    {L"logical-drives", L"", 0, 0, false, CmdLogicalDrives},
};

std::wstring Usage() {
    std::wstring text = L"usage: qzauto <command> [arguments]; commands:";
    for (const auto& command : kCommands) text += std::wstring(L" ") + command.name + L" " + command.arguments + L";";
    return text;
}

int Run(int argc, wchar_t** argv) {
    if (argc < 2) UsageError(Usage());
    for (const auto& command : kCommands) {
        if (wcscmp(argv[1], command.name) != 0) continue;
        Context context;
        context.args.assign(argv + 2, argv + argc);
        if (context.args.size() < command.minArgs || context.args.size() > command.maxArgs)
            UsageError(std::wstring(L"usage: qzauto ") + command.name + L" " + command.arguments);
        if (command.needsWindow) {
            context.main = FindMainWindow();
            if (!context.main) Fail(L"no visible TForm1 window");
        }
        return command.run(context);
    }
    UsageError(std::wstring(L"unknown command: ") + argv[1] + L"; " + Usage());
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    try {
        return Run(argc, argv);
    } catch (const Failure& failure) {
        WriteUtf8(STD_ERROR_HANDLE, L"qzauto: " + failure.reason + L"\n");
        return failure.code;
    }
}
