#include "platform/shell.h"

#include <shellapi.h>

namespace qz::win {

void ShowMessage(HWND owner, const Message& message) {
    UINT icon = 0;
    switch (message.icon) {
        case MessageIcon::None: icon = 0; break;
        case MessageIcon::Warning: icon = MB_ICONWARNING; break;
        case MessageIcon::Error: icon = MB_ICONERROR; break;
    }
    MessageBoxW(owner, message.text.c_str(), message.caption.c_str(), MB_OK | icon);
}

std::intptr_t OpenDocument(HWND owner, const std::wstring& path) {
    return reinterpret_cast<std::intptr_t>(ShellExecuteW(owner, L"open", path.c_str(), nullptr, nullptr, SW_SHOW));
}

}  // namespace qz::win
