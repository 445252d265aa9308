#pragma once
// The variant table written to the drive as QZ1769.lng. The terminal reads it
// to offer the language-and-currency variants; the program only carries it.
//
// Record layout (little-endian, no header, no padding):
//   u32 number, u16 L (bytes after this field), u16 N (display name length),
//   N bytes display name, file name + one zero byte; L = 2 + N + F + 1.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace qz {

struct Variant {
    std::uint32_t number = 0;
    std::string displayName;
    std::string fileName;

    bool operator==(const Variant& o) const {
        return number == o.number && displayName == o.displayName && fileName == o.fileName;
    }
};

class VariantTableError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads the readable list the build keeps in resources/: one variant a line,
// "number | display name | file name"; blank lines and lines starting with
// '#' are skipped. Throws VariantTableError naming the line on bad input.
std::vector<Variant> ParseVariantList(const std::string& text);

// Encodes the records; throws VariantTableError when a field does not fit
// its width or a text is not plain printable ASCII.
std::vector<std::uint8_t> BuildVariantTable(const std::vector<Variant>& variants);

// Decodes a table; throws VariantTableError on a truncated or malformed record.
std::vector<Variant> ParseVariantTable(const std::vector<std::uint8_t>& bytes);

}  // namespace qz
