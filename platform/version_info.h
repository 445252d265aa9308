#pragma once
// Reading a file's version block through the version library, which is
// loaded from System32 only.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/version_text.h"
#include "platform/handle.h"

namespace qz::win {

class FileVersionInfo : public VersionBlock {
public:
    // Reads the block of the file; Empty() when it has none. Throws when the
    // version library cannot be loaded.
    explicit FileVersionInfo(const std::wstring& path);

    bool Empty() const { return block_.empty(); }
    // The most significant double word of the fixed file version.
    std::optional<std::uint32_t> FileVersionMS() const;

    std::optional<std::uint32_t> FirstTranslation() const override;
    std::optional<std::wstring> StringValue(const std::wstring& path) const override;

private:
    bool Query(const std::wstring& subBlock, void** value, unsigned* length) const;

    using QueryFn = BOOL(WINAPI*)(LPCVOID, LPCWSTR, LPVOID*, PUINT);

    Library library_;
    QueryFn verQueryValue_ = nullptr;
    std::vector<unsigned char> block_;
};

}  // namespace qz::win

namespace qz::win {

// Reads the version block of the file (LoadVersionInfo step of the version
// text); an empty block when the file has none.
inline FileVersionInfo LoadVersionInfo(const std::wstring& path) { return FileVersionInfo(path); }

}  // namespace qz::win
