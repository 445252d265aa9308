#pragma once
// Texts made from the program's version block: the caption suffix, the
// footer and the path of a string value inside the block.
#include <cstdint>
#include <exception>
#include <optional>
#include <string>

namespace qz {

// " v<major>.<minor>" from the most significant double word of the fixed
// file version (major in the high word, minor in the low word).
std::wstring CaptionSuffix(std::uint32_t fileVersionMS);

// The version text with six spaces after it, which keeps the right-aligned
// footer off the window edge.
std::wstring FooterText(const std::wstring& version);

class VersionRangeError : public std::exception {
public:
    const char* what() const noexcept override { return "version translation out of range"; }
};

// \StringFileInfo\<language><code page>\<name>, hexadecimal upper-case and at
// least four digits each. A translation whose code page (high word) has its
// top bit set is refused with VersionRangeError.
std::wstring StringValuePath(std::uint32_t translation, const std::wstring& name);

// A loaded version block, as the version library reads it.
class VersionBlock {
public:
    virtual ~VersionBlock() = default;
    // The first translation entry: language in the low word, code page high.
    virtual std::optional<std::uint32_t> FirstTranslation() const = 0;
    virtual std::optional<std::wstring> StringValue(const std::wstring& path) const = 0;
};

// The string value `name` from the block's first translation; empty when the
// block has no translation or no such value. May throw VersionRangeError.
std::wstring QueryVersionValue(const VersionBlock& block, const std::wstring& name);

}  // namespace qz
