#pragma once
// A modal message box as the program shows it: text, caption, icon kind and
// one OK button. Kept free of Windows headers so outcomes can be unit-tested.
#include <string>

namespace qz {

enum class MessageIcon { None, Warning, Error };

struct Message {
    std::wstring text;
    std::wstring caption;
    MessageIcon icon = MessageIcon::None;

    bool operator==(const Message& other) const {
        return text == other.text && caption == other.caption && icon == other.icon;
    }
};

// Title of the application; caption of the standard error box.
inline constexpr const wchar_t* kAppTitle = L"Загрузочный модуль QZ";

}  // namespace qz
