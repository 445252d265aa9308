#include "deploy/variant_table.h"

#include <cstdlib>

namespace qz {
namespace {

std::string Trim(const std::string& s) {
    const char* ws = " \t\r";
    const auto first = s.find_first_not_of(ws);
    if (first == std::string::npos) return {};
    const auto last = s.find_last_not_of(ws);
    return s.substr(first, last - first + 1);
}

bool IsPrintableAscii(const std::string& s) {
    for (unsigned char c : s)
        if (c < 0x20 || c > 0x7E) return false;
    return true;
}

void PutLE(std::vector<std::uint8_t>& out, std::uint32_t value, int width) {
    for (int i = 0; i < width; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

std::uint32_t GetLE(const std::vector<std::uint8_t>& in, std::size_t at, int width) {
    std::uint32_t value = 0;
    for (int i = 0; i < width; ++i) value |= static_cast<std::uint32_t>(in[at + i]) << (8 * i);
    return value;
}

}  // namespace

std::vector<Variant> ParseVariantList(const std::string& text) {
    std::vector<Variant> variants;
    std::size_t pos = 0;
    int lineNo = 0;
    while (pos <= text.size()) {
        const auto end = text.find('\n', pos);
        const std::string line = Trim(text.substr(pos, end == std::string::npos ? std::string::npos : end - pos));
        ++lineNo;
        pos = (end == std::string::npos) ? text.size() + 1 : end + 1;
        if (line.empty() || line[0] == '#') continue;

        const auto bar1 = line.find('|');
        const auto bar2 = bar1 == std::string::npos ? bar1 : line.find('|', bar1 + 1);
        if (bar2 == std::string::npos || line.find('|', bar2 + 1) != std::string::npos)
            throw VariantTableError("line " + std::to_string(lineNo) +
                                    ": expected \"number | display name | file name\"");
        const std::string number = Trim(line.substr(0, bar1));
        Variant v;
        v.displayName = Trim(line.substr(bar1 + 1, bar2 - bar1 - 1));
        v.fileName = Trim(line.substr(bar2 + 1));
        char* stop = nullptr;
        const unsigned long n = std::strtoul(number.c_str(), &stop, 10);
        if (number.empty() || *stop != '\0' || n == 0 || n > 0xFFFFFFFFul)
            throw VariantTableError("line " + std::to_string(lineNo) + ": bad variant number \"" + number + "\"");
        if (v.displayName.empty() || v.fileName.empty())
            throw VariantTableError("line " + std::to_string(lineNo) + ": empty display name or file name");
        v.number = static_cast<std::uint32_t>(n);
        variants.push_back(std::move(v));
    }
    return variants;
}

std::vector<std::uint8_t> BuildVariantTable(const std::vector<Variant>& variants) {
    std::vector<std::uint8_t> out;
    for (const Variant& v : variants) {
        if (!IsPrintableAscii(v.displayName) || !IsPrintableAscii(v.fileName))
            throw VariantTableError("variant " + std::to_string(v.number) + ": texts must be printable ASCII");
        const std::size_t rest = 2 + v.displayName.size() + v.fileName.size() + 1;
        if (rest > 0xFFFF) throw VariantTableError("variant " + std::to_string(v.number) + ": record too long");
        PutLE(out, v.number, 4);
        PutLE(out, static_cast<std::uint32_t>(rest), 2);
        PutLE(out, static_cast<std::uint32_t>(v.displayName.size()), 2);
        out.insert(out.end(), v.displayName.begin(), v.displayName.end());
        out.insert(out.end(), v.fileName.begin(), v.fileName.end());
        out.push_back(0);
    }
    return out;
}

std::vector<Variant> ParseVariantTable(const std::vector<std::uint8_t>& bytes) {
    std::vector<Variant> variants;
    std::size_t at = 0;
    while (at < bytes.size()) {
        const std::string where = "record at byte " + std::to_string(at);
        if (bytes.size() - at < 8) throw VariantTableError(where + ": truncated header");
        Variant v;
        v.number = GetLE(bytes, at, 4);
        const std::size_t rest = GetLE(bytes, at + 4, 2);
        const std::size_t nameLen = GetLE(bytes, at + 6, 2);
        if (rest < 2 + nameLen + 2) throw VariantTableError(where + ": length too small for its fields");
        if (bytes.size() - at - 6 < rest) throw VariantTableError(where + ": runs past the end of the table");
        const std::size_t name = at + 8;
        const std::size_t file = name + nameLen;
        const std::size_t end = at + 6 + rest;  // one past the terminating zero
        v.displayName.assign(bytes.begin() + name, bytes.begin() + file);
        v.fileName.assign(bytes.begin() + file, bytes.begin() + end - 1);
        if (bytes[end - 1] != 0) throw VariantTableError(where + ": file name not terminated by a zero byte");
        if (v.fileName.find('\0') != std::string::npos)
            throw VariantTableError(where + ": zero byte inside the file name");
        variants.push_back(std::move(v));
        at = end;
    }
    return variants;
}

}  // namespace qz
