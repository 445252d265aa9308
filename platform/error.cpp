#include "platform/error.h"

#include <windows.h>

namespace qz::win {

Error::Error(std::wstring message) : message_(std::move(message)), narrow_(Narrow(message_)) {}

void ThrowLastError(const std::wstring& what) {
    const DWORD code = GetLastError();
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
        0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message = what;
    if (length != 0 && text != nullptr) {
        std::wstring system(text, length);
        while (!system.empty() && (system.back() == L'\n' || system.back() == L'\r' || system.back() == L' '))
            system.pop_back();
        message += L": " + system;
    } else {
        std::wstring digits;
        for (DWORD rest = code; digits.empty() || rest != 0; rest /= 10)
            digits.insert(digits.begin(), static_cast<wchar_t>(L'0' + rest % 10));
        message += L" (" + digits + L")";
    }
    if (text != nullptr) LocalFree(text);
    throw Error(message);
}

std::wstring DescribeException(const std::exception& e) {
    if (const auto* own = dynamic_cast<const Error*>(&e)) return own->Message();
    return Widen(e.what());
}

std::wstring Widen(const std::string& utf8) {
    if (utf8.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
    return out;
}

std::string Narrow(const std::wstring& text) {
    if (text.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                      nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

}  // namespace qz::win
