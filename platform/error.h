#pragma once
// Errors raised by the platform layer, carrying a text the user can read.
#include <exception>
#include <string>

namespace qz::win {

class Error : public std::exception {
public:
    explicit Error(std::wstring message);
    const std::wstring& Message() const { return message_; }
    const char* what() const noexcept override { return narrow_.c_str(); }

private:
    std::wstring message_;
    std::string narrow_;
};

// "what failed: system text of the last error".
[[noreturn]] void ThrowLastError(const std::wstring& what);

// The text of any exception for the standard error box.
std::wstring DescribeException(const std::exception& e);

std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& text);

}  // namespace qz::win
