// Post-link step for the Windows builds: points the PE image's load-config
// data directory at the program's _load_config_used table (the linker
// leaves the entry empty) and updates the image checksum.
//
//   qz_pe_load_config <exe> <linker map>   patch the exe
//   qz_pe_load_config --print <exe>         print the directory and flags
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

namespace {

struct Image {
    std::vector<std::uint8_t> bytes;
    std::size_t optional = 0;   // file offset of the optional header
    bool pe32plus = false;
    std::uint64_t imageBase = 0;
    std::size_t directories = 0;  // file offset of the data directories
    std::uint32_t directoryCount = 0;
    std::size_t sections = 0;
    unsigned sectionCount = 0;

    std::uint32_t U16(std::size_t at) const { return bytes.at(at) | bytes.at(at + 1) << 8; }
    std::uint32_t U32(std::size_t at) const { return U16(at) | U16(at + 2) << 16; }
    std::uint64_t U64(std::size_t at) const { return U32(at) | static_cast<std::uint64_t>(U32(at + 4)) << 32; }
    void Put32(std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes.at(at + i) = static_cast<std::uint8_t>(v >> (8 * i));
    }

    // File offset of an RVA, or 0 when no section holds it.
    std::size_t Offset(std::uint32_t rva) const {
        for (unsigned i = 0; i < sectionCount; ++i) {
            const std::size_t s = sections + i * 40;
            const std::uint32_t va = U32(s + 12), rawSize = U32(s + 16), raw = U32(s + 20);
            if (rva >= va && rva < va + rawSize) return raw + (rva - va);
        }
        return 0;
    }
};

bool Load(const std::string& path, Image& image, std::string& problem) {
    std::ifstream in(path, std::ios::binary);
    image.bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    try {
        if (image.U16(0) != 0x5A4D) return problem = "not an MZ image", false;
        const std::size_t pe = image.U32(0x3C);
        if (image.U32(pe) != 0x4550) return problem = "no PE signature", false;
        image.sectionCount = image.U16(pe + 6);
        const std::size_t optionalSize = image.U16(pe + 20);
        image.optional = pe + 24;
        const std::uint32_t magic = image.U16(image.optional);
        if (magic != 0x10B && magic != 0x20B) return problem = "unknown optional header", false;
        image.pe32plus = magic == 0x20B;
        image.imageBase = image.pe32plus ? image.U64(image.optional + 24) : image.U32(image.optional + 28);
        image.directoryCount = image.U32(image.optional + (image.pe32plus ? 108 : 92));
        image.directories = image.optional + (image.pe32plus ? 112 : 96);
        image.sections = image.optional + optionalSize;
        if (image.directoryCount <= 10) return problem = "no load-config directory slot", false;
    } catch (const std::out_of_range&) {
        return problem = "truncated image", false;
    }
    return true;
}

// The standard PE checksum: 16-bit one's-complement sum of the file with the
// checksum field taken as zero, plus the file length.
std::uint32_t Checksum(const Image& image) {
    const std::size_t field = image.optional + 64;
    std::uint64_t sum = 0;
    for (std::size_t i = 0; i < image.bytes.size(); i += 2) {
        if (i == field || i == field + 2) continue;
        std::uint32_t word = image.bytes[i];
        if (i + 1 < image.bytes.size()) word |= image.bytes[i + 1] << 8;
        sum += word;
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<std::uint32_t>(sum + image.bytes.size());
}

int Print(const std::string& path) {
    Image image;
    std::string problem;
    if (!Load(path, image, problem)) {
        std::fprintf(stderr, "qz_pe_load_config: %s: %s\n", path.c_str(), problem.c_str());
        return 1;
    }
    const std::uint32_t rva = image.U32(image.directories + 10 * 8);
    const std::uint32_t size = image.U32(image.directories + 10 * 8 + 4);
    std::printf("load_config_rva=0x%X\nload_config_size=%u\n", rva, size);
    const std::size_t at = rva == 0 ? 0 : image.Offset(rva);
    if (at != 0) {
        std::printf("table_size=%u\n", image.U32(at));
        std::printf("dependent_load_flags=0x%X\n", image.U16(at + (image.pe32plus ? 0x4E : 0x36)));
    }
    std::printf("checksum_ok=%d\n", image.U32(image.optional + 64) == Checksum(image) ? 1 : 0);
    return 0;
}

int Patch(const std::string& path, const std::string& mapPath) {
    Image image;
    std::string problem;
    if (!Load(path, image, problem)) {
        std::fprintf(stderr, "qz_pe_load_config: %s: %s\n", path.c_str(), problem.c_str());
        return 1;
    }
    std::ifstream map(mapPath);
    const std::regex line(R"(^\s+0x([0-9a-fA-F]+)\s+_?_load_config_used\s*$)");
    std::string text;
    std::uint64_t address = 0;
    while (std::getline(map, text)) {
        std::smatch m;
        if (std::regex_match(text, m, line)) address = std::stoull(m[1].str(), nullptr, 16);
    }
    if (address <= image.imageBase) {
        std::fprintf(stderr, "qz_pe_load_config: _load_config_used not found in %s\n", mapPath.c_str());
        return 1;
    }
    const auto rva = static_cast<std::uint32_t>(address - image.imageBase);
    const std::size_t at = image.Offset(rva);
    const std::uint32_t size = at == 0 ? 0 : image.U32(at);
    // The table's own size field: 0x70 for PE32+ or 0x48 for PE32 with the
    // headers of this toolchain; anything else means the map was misread.
    if (size < 0x40 || size > 0x200) {
        std::fprintf(stderr, "qz_pe_load_config: no load-config table at RVA 0x%X\n", rva);
        return 1;
    }
    image.Put32(image.directories + 10 * 8, rva);
    image.Put32(image.directories + 10 * 8 + 4, size);
    image.Put32(image.optional + 64, Checksum(image));
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(image.bytes.data()), static_cast<std::streamsize>(image.bytes.size()));
    out.close();
    if (out.fail()) {
        std::fprintf(stderr, "qz_pe_load_config: cannot write %s\n", path.c_str());
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--print") return Print(argv[2]);
    if (argc == 3) return Patch(argv[1], argv[2]);
    std::fprintf(stderr, "usage: qz_pe_load_config <exe> <linker map> | --print <exe>\n");
    return 2;
}
