#pragma once
// The fifteen files the program carries and writes to the flash drive, in
// write order. Resource names are those of the RCDATA resources in the exe.
#include <array>
#include <cstddef>
#include <cstdint>

namespace qz {

struct PayloadEntry {
    const wchar_t* resourceName;
    const wchar_t* fileName;        // target name in the drive's root, 8.3 form
    std::uint32_t releaseSize;      // size in the released set; placeholders match it
};

// The bytes of an embedded resource; they live as long as the program image.
struct ByteView {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
};

inline constexpr std::size_t kPayloadCount = 15;

extern const std::array<PayloadEntry, kPayloadCount> kPayloadTable;

// Name of the resource that holds the change-list document (not a payload).
inline constexpr const wchar_t* kChangesResource = L"Changes";

}  // namespace qz
