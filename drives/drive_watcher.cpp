#include "drives/drive_watcher.h"

namespace qz {

std::wstring ReadDriveStrings(const DriveStringsQuery& query) {
    std::uint32_t length = kDriveStringsFirstLength;
    // Drives can appear between two queries, so retry a few times with the
    // length the system asked for (plus room for the final zero).
    for (int attempt = 0; attempt < 4; ++attempt) {
        std::wstring buffer(length, L'\0');
        const std::uint32_t n = query(length, buffer.data());
        if (n == 0) return {};
        if (n < length) {
            buffer.resize(n);
            return buffer;
        }
        length = n + 1;
    }
    return {};
}

std::vector<std::wstring> SplitDriveStrings(const std::wstring& strings) {
    std::vector<std::wstring> roots;
    std::wstring current;
    for (wchar_t c : strings) {
        if (c == L'\0') {
            if (!current.empty()) roots.push_back(current);
            current.clear();
        } else {
            current.push_back(c);
        }
    }
    if (!current.empty()) roots.push_back(current);
    return roots;
}

bool SameRoot(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto fold = [](wchar_t c) { return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - L'a' + L'A') : c; };
        if (fold(a[i]) != fold(b[i])) return false;
    }
    return true;
}

std::vector<std::wstring> NewRemovableDrives(const std::vector<std::wstring>& roots,
                                             const std::vector<std::wstring>& listed,
                                             const DriveKindQuery& driveKind) {
    std::vector<std::wstring> added;
    auto known = [&](const std::wstring& root) {
        for (const auto& l : listed)
            if (SameRoot(l, root)) return true;
        for (const auto& a : added)
            if (SameRoot(a, root)) return true;
        return false;
    };
    for (const std::wstring& root : roots) {
        if (root == L"A:\\" || root == L"B:\\") continue;  // floppy letters are never asked about
        if (driveKind(root) != kDriveRemovable) continue;
        if (known(root)) continue;
        added.push_back(root);
    }
    return added;
}

bool WindowLook::operator==(const WindowLook& o) const {
    return std::wstring(labelText) == o.labelText && labelColour == o.labelColour &&
           listVisible == o.listVisible && saveEnabled == o.saveEnabled && selectFirst == o.selectFirst;
}

WindowLook ChooseLook(std::size_t itemCount, bool hasSelection) {
    if (itemCount == 0) return {kPromptConnect, kColourRed, false, false, false};
    return {kPromptChoose, kColourBlack, true, true, !hasSelection};
}

WindowLook WatchDrives(const DriveStringsQuery& query, const DriveKindQuery& driveKind, DriveList& list) {
    const auto roots = SplitDriveStrings(ReadDriveStrings(query));
    for (const auto& root : NewRemovableDrives(roots, list.Items(), driveKind)) list.Append(root);
    const auto items = list.Items();
    const WindowLook look = ChooseLook(items.size(), list.Selected() >= 0);
    if (look.selectFirst) list.Select(0);
    return look;
}

}  // namespace qz
