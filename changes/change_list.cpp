#include "changes/change_list.h"

namespace qz {

Message ChangeListError() {
    return {L"Невозможно отобразить список изменений. Возможно, он уже открыт, либо Adobe Reader не установлен.",
            L"Ошибка", MessageIcon::Error};
}

std::optional<Message> ShowChangeList(ChangeListHost& host, const std::wstring& programDir) {
    const ByteView document = host.OpenDocument();
    const std::wstring path = programDir + kChangesFileName;
    try {
        if (!host.SaveFile(path, document)) return ChangeListError();
        if (host.OpenWithShell(path) <= 32) return ChangeListError();
    } catch (...) {
        return ChangeListError();
    }
    return std::nullopt;
}

}  // namespace qz
