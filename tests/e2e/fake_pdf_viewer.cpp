// A stand-in PDF viewer for the change-list tests. Registered in the test's
// Wine prefix as the program that opens .pdf files, so the shell starts it
// the way it would start a real reader.
//
//   qz_fake_pdf_viewer <document>
//       Copies the document to opened-<n>.pdf next to this exe (what the file
//       held when the viewer got it), then appends the arguments it was
//       started with as one line to opened.txt next to this exe (n is the
//       line's number, from 1). Tab-separated when there are several.
//
//   qz_fake_pdf_viewer --hold <file> <control folder>
//       Opens the file for reading with no sharing at all, as a viewer that
//       locks its document does, creates <control folder>\held and keeps the
//       file open until <control folder>\release exists.
//
// Exit codes: 0 done, 1 a file operation failed, 2 bad usage.
#include <windows.h>

#include <string>

namespace {

std::wstring OwnFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    return path.substr(0, path.find_last_of(L"\\/") + 1);
}

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr, nullptr);
    return bytes;
}

// Lines already in the log: how many times the viewer was started before.
int CountLines(const std::wstring& log) {
    HANDLE file = CreateFileW(log.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    int lines = 0;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
        for (DWORD i = 0; i < got; ++i)
            if (buffer[i] == '\n') ++lines;
    CloseHandle(file);
    return lines;
}

bool Append(const std::wstring& log, const std::string& line) {
    HANDLE file = CreateFileW(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr) &&
                    written == line.size();
    CloseHandle(file);
    return ok;
}

int Open(int argc, wchar_t** argv) {
    const std::wstring folder = OwnFolder();
    const std::wstring log = folder + L"opened.txt";
    const int number = CountLines(log) + 1;
    // The copy first: once the line is in the log, the copy is complete.
    const bool copied =
        CopyFileW(argv[1], (folder + L"opened-" + std::to_wstring(number) + L".pdf").c_str(), FALSE) != FALSE;
    std::wstring line;
    for (int i = 1; i < argc; ++i) line += (i > 1 ? L"\t" : L"") + std::wstring(argv[i]);
    if (!Append(log, Utf8(line) + "\n")) return 1;
    return copied ? 0 : 1;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

int Hold(const std::wstring& path, const std::wstring& control) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    HANDLE held = CreateFileW((control + L"\\held").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (held == INVALID_HANDLE_VALUE) {
        CloseHandle(file);
        return 1;
    }
    CloseHandle(held);
    // Bounded, so a forgotten helper never outlives its test for long.
    for (int waited = 0; !Exists(control + L"\\release") && waited < 120000; waited += 50) Sleep(50);
    CloseHandle(file);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 4 && std::wstring(argv[1]) == L"--hold") return Hold(argv[2], argv[3]);
    if (argc >= 2 && std::wstring(argv[1]) != L"--hold") return Open(argc, argv);
    return 2;
}
