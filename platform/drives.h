#pragma once
// The system's drive roots and drive kinds.
#include <cstdint>
#include <string>

namespace qz::win {

// GetLogicalDriveStringsW with the given buffer; see DriveStringsQuery.
std::uint32_t LogicalDriveStrings(std::uint32_t length, wchar_t* buffer);

// GetDriveTypeW of a root such as E:\ (2 is a removable drive).
unsigned DriveKind(const std::wstring& root);

}  // namespace qz::win
