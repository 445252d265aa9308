// write_timer: times one write of the firmware set from inside the same
// wineserver as the program, so that neither Wine's process start nor the
// shell is part of the number. Picks a drive in the program's list, clicks
// the write button and measures with the performance counter until the
// program's first outcome box is on screen; then closes every box the run
// shows and waits until the button is usable again.
//
// usage: write_timer.exe <drive root, e.g. E:\>
// output (UTF-8): us=<microseconds from the click until the box is created>
//   shown_us=<... until it is on screen> caption=<box caption>
// exit status: 0 measured, 1 something was missing or timed out, 2 usage.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

constexpr int kDeviceBox = 102;
constexpr int kSaveButton = 103;
constexpr ULONGLONG kTimeoutMs = 30000;

int Fail(const char* reason) {
    std::fprintf(stderr, "write_timer: %s\n", reason);
    return 1;
}

// WM_GETTEXT, since GetWindowText does not ask a window of another process.
std::wstring TextOf(HWND window) {
    wchar_t text[512] = {};
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000,
                             &length))
        return {};
    return std::wstring(text, length < 512 ? length : 511);
}

std::string Utf8(const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, bytes.data(), size, nullptr, nullptr);
    bytes.resize(static_cast<size_t>(size) - 1);
    return bytes;
}

// A message box of the given process (a visible one if asked), or null.
HWND FindBox(DWORD pid, bool visible = true) {
    for (HWND box = FindWindowExW(nullptr, nullptr, L"#32770", nullptr); box;
         box = FindWindowExW(nullptr, box, L"#32770", nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(box, &owner);
        if (owner == pid && (!visible || IsWindowVisible(box))) return box;
    }
    return nullptr;
}

template <typename Condition>
bool WaitFor(ULONGLONG timeoutMs, DWORD pollMs, Condition condition) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (!condition()) {
        if (GetTickCount64() >= deadline) return false;
        Sleep(pollMs);
    }
    return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: write_timer.exe <drive root>\n");
        return 2;
    }
    const std::wstring root = argv[1];
    HWND main = FindWindowW(L"TForm1", nullptr);
    if (!main) return Fail("the program's window is not there");
    DWORD pid = 0;
    GetWindowThreadProcessId(main, &pid);
    HWND combo = GetDlgItem(main, kDeviceBox);
    HWND button = GetDlgItem(main, kSaveButton);
    if (!combo || !button) return Fail("the window lacks the drive list or the write button");

    const LRESULT index = SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(root.c_str()));
    if (index == CB_ERR) return Fail("the drive is not listed");
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    if (TextOf(combo) != root) return Fail("the drive could not be selected");
    if (!WaitFor(kTimeoutMs, 10, [&] { return IsWindowEnabled(button) && !FindBox(pid); }))
        return Fail("the write button did not become usable");

    // The end of the write is the moment the program creates its outcome box,
    // before the box lays itself out and paints; the moment it is on screen
    // is reported as well. Polled every millisecond: window creation events
    // reach another process too late under Wine to time with.
    LARGE_INTEGER frequency, start, created{}, shown{};
    QueryPerformanceFrequency(&frequency);
    const auto micros = [&](const LARGE_INTEGER& at) {
        return (at.QuadPart - start.QuadPart) * 1000000 / frequency.QuadPart;
    };
    QueryPerformanceCounter(&start);
    if (!PostMessageW(button, BM_CLICK, 0, 0)) return Fail("cannot click the write button");
    HWND box = nullptr;
    if (!WaitFor(kTimeoutMs, 1, [&] { return FindBox(pid, false) != nullptr; }))
        return Fail("no outcome box appeared");
    QueryPerformanceCounter(&created);
    if (!WaitFor(kTimeoutMs, 1, [&] { return (box = FindBox(pid, true)) != nullptr; }))
        return Fail("the outcome box was not shown");
    QueryPerformanceCounter(&shown);
    std::printf("us=%lld shown_us=%lld caption=%s\n", micros(created), micros(shown), Utf8(TextOf(box)).c_str());
    std::fflush(stdout);

    // Close this box and any that follows it (the warning after a success).
    for (;;) {
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
        const HWND closed = box;
        if (!WaitFor(kTimeoutMs, 5, [&] { return !IsWindow(closed) || !IsWindowVisible(closed); }))
            return Fail("a box did not close");
        box = nullptr;
        if (!WaitFor(500, 10, [&] { return (box = FindBox(pid)) != nullptr; })) break;
    }
    if (!WaitFor(kTimeoutMs, 10, [&] { return IsWindowEnabled(button) != FALSE; }))
        return Fail("the write button stayed disabled");
    return 0;
}
