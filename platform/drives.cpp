#include "platform/drives.h"

#include <windows.h>

namespace qz::win {

std::uint32_t LogicalDriveStrings(std::uint32_t length, wchar_t* buffer) {
    return GetLogicalDriveStringsW(length, buffer);
}

unsigned DriveKind(const std::wstring& root) { return GetDriveTypeW(root.c_str()); }

}  // namespace qz::win
