// Prints the contents of a raw version resource (VS_VERSIONINFO) as
// "key=value" lines, so a test can compare an exe's version block with
// what it must hold.
//
//   qz_version_block_dump <raw version resource>
//
// Extract the resource with: wrestool -x --raw --type=16 program.exe
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

struct Reader {
    const std::vector<std::uint8_t>& bytes;

    std::uint16_t U16(std::size_t at) const {
        if (at + 2 > bytes.size()) throw "truncated";
        return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
    }
    std::uint32_t U32(std::size_t at) const { return U16(at) | static_cast<std::uint32_t>(U16(at + 2)) << 16; }
    // A zero-terminated UTF-16 text; returns it as UTF-8 and moves `at` past it.
    std::string Text(std::size_t& at, std::size_t end) const {
        std::string out;
        for (; at + 2 <= end; at += 2) {
            const std::uint32_t c = U16(at);
            if (c == 0) {
                at += 2;
                return out;
            }
            if (c < 0x80) {
                out.push_back(static_cast<char>(c));
            } else if (c < 0x800) {
                out.push_back(static_cast<char>(0xC0 | c >> 6));
                out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
            } else {
                out.push_back(static_cast<char>(0xE0 | c >> 12));
                out.push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
                out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
            }
        }
        return out;
    }
};

std::size_t Align4(std::size_t at) { return (at + 3) & ~static_cast<std::size_t>(3); }

struct Node {
    std::size_t start, end, value, children;
    std::uint16_t valueLength, type;
    std::string key;
};

Node ReadNode(const Reader& r, std::size_t at) {
    Node n{};
    n.start = at;
    const std::uint16_t length = r.U16(at);
    n.valueLength = r.U16(at + 2);
    n.type = r.U16(at + 4);
    n.end = at + length;
    if (length < 6 || n.end > r.bytes.size()) throw "bad node length";
    std::size_t p = at + 6;
    n.key = r.Text(p, n.end);
    n.value = Align4(p);
    // Text values count characters, binary values bytes.
    const std::size_t valueBytes = n.type == 1 ? n.valueLength * 2u : n.valueLength;
    n.children = Align4(n.value + valueBytes);
    return n;
}

std::string Version(std::uint32_t ms, std::uint32_t ls) {
    return std::to_string(ms >> 16) + "." + std::to_string(ms & 0xFFFF) + "." + std::to_string(ls >> 16) + "." +
           std::to_string(ls & 0xFFFF);
}

std::string Hex4(std::uint32_t v) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%04X", v & 0xFFFF);
    return buf;
}

void Dump(const Reader& r) {
    const Node root = ReadNode(r, 0);
    if (root.key != "VS_VERSION_INFO") throw "not a version block";
    if (root.valueLength >= 52) {
        const std::size_t f = root.value;
        std::printf("fixed.signature=%08X\n", r.U32(f));
        std::printf("fixed.file_version=%s\n", Version(r.U32(f + 8), r.U32(f + 12)).c_str());
        std::printf("fixed.product_version=%s\n", Version(r.U32(f + 16), r.U32(f + 20)).c_str());
        std::printf("fixed.file_os=%08X\n", r.U32(f + 32));
        std::printf("fixed.file_type=%u\n", r.U32(f + 36));
    }
    for (std::size_t at = root.children; at + 6 <= root.end;) {
        const Node info = ReadNode(r, at);
        if (info.key == "VarFileInfo") {
            for (std::size_t v = info.children; v + 6 <= info.end;) {
                const Node var = ReadNode(r, v);
                for (std::size_t t = var.value; t + 4 <= var.value + var.valueLength; t += 4)
                    std::printf("%s=%s %s\n", var.key == "Translation" ? "translation" : var.key.c_str(),
                                Hex4(r.U16(t)).c_str(), Hex4(r.U16(t + 2)).c_str());
                v = Align4(var.end);
            }
        } else if (info.key == "StringFileInfo") {
            for (std::size_t t = info.children; t + 6 <= info.end;) {
                const Node table = ReadNode(r, t);
                std::printf("table=%s\n", table.key.c_str());
                for (std::size_t s = table.children; s + 6 <= table.end;) {
                    const Node value = ReadNode(r, s);
                    std::size_t p = value.value;
                    const std::string text = value.valueLength == 0 ? "" : r.Text(p, value.end);
                    std::printf("string.%s.%s=%s\n", table.key.c_str(), value.key.c_str(), text.c_str());
                    s = Align4(value.end);
                }
                t = Align4(table.end);
            }
        }
        at = Align4(info.end);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: qz_version_block_dump <raw version resource>\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (bytes.empty()) {
        std::fprintf(stderr, "qz_version_block_dump: %s is empty or unreadable\n", argv[1]);
        return 1;
    }
    try {
        Dump(Reader{bytes});
    } catch (const char* problem) {
        std::fprintf(stderr, "qz_version_block_dump: %s: %s\n", argv[1], problem);
        return 1;
    }
    return 0;
}
