// Makes the firmware images the program embeds, and the resource script
// lines that name them.
//
//   qz_gen_firmware <outdir> <variant table> [<folder with real images>]
//
// Without a folder it makes placeholder images: deterministic, with the
// sizes of the released set, each opening with the same Cortex-M vector
// table; the first image is byte for byte the same as the second. With a
// folder it copies the images named as on the drive (QZ_rus.rub, ...) from
// there and fails when one is missing.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "deploy/payloads.h"

namespace {

std::string Ascii(const wchar_t* text) {
    std::string out;
    for (; *text != L'\0'; ++text) out.push_back(static_cast<char>(*text));
    return out;
}

bool ReadFile(const std::string& path, std::vector<std::uint8_t>& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

bool WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return !out.fail();
}

void PutWord(std::vector<std::uint8_t>& image, std::size_t at, std::uint32_t word) {
    for (int i = 0; i < 4; ++i) image[at + i] = static_cast<std::uint8_t>(word >> (8 * i));
}

// A placeholder image: the vector table of a Cortex-M part with 32 KiB of
// RAM at 0x20000000 and flash at 0x08000000 (stack pointer, then the reset
// handler and the other handlers with the Thumb bit set), then bytes from a
// generator seeded by the image's name.
std::vector<std::uint8_t> PlaceholderImage(const std::string& name, std::uint32_t size) {
    std::vector<std::uint8_t> image(size, 0);
    const std::uint32_t vectors[] = {
        0x20008000u,  // initial stack pointer
        0x080001C1u,  // reset
        0x080001C5u, 0x080001C7u, 0x080001C9u, 0x080001CBu, 0x080001CDu, 0,
        0,           0,           0,           0x080001CFu, 0x080001D1u, 0, 0x080001D3u, 0x080001D5u,
    };
    std::size_t at = 0;
    for (std::uint32_t v : vectors) {
        if (at + 4 > image.size()) break;
        PutWord(image, at, v);
        at += 4;
    }
    std::uint32_t state = 2166136261u;  // FNV-1a of the name seeds xorshift32
    for (char c : name) state = (state ^ static_cast<std::uint8_t>(c)) * 16777619u;
    if (state == 0) state = 1;
    for (; at < image.size(); ++at) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        image[at] = static_cast<std::uint8_t>(state >> 24);
    }
    return image;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: qz_gen_firmware <outdir> <variant table> [<folder with real images>]\n");
        return 2;
    }
    const std::string outdir = argv[1];
    const std::string variantTable = argv[2];
    const std::string realFolder = argc == 4 ? argv[3] : "";

    // An older script must not outlive a failed run and embed a mixed set.
    std::remove((outdir + "/payloads.rc").c_str());

    std::string script = "// Made by qz_gen_firmware: the embedded payloads, in write order.\n";
    const std::string firstImageFile = Ascii(qz::kPayloadTable[1].fileName);
    for (const qz::PayloadEntry& entry : qz::kPayloadTable) {
        const std::string resource = Ascii(entry.resourceName);
        const std::string fileName = Ascii(entry.fileName);
        std::vector<std::uint8_t> bytes;
        if (resource == "Languages") {
            if (!ReadFile(variantTable, bytes)) {
                std::fprintf(stderr, "qz_gen_firmware: cannot read the variant table %s\n", variantTable.c_str());
                return 1;
            }
        } else if (!realFolder.empty()) {
            const std::string source = realFolder + "/" + fileName;
            if (!ReadFile(source, bytes) || bytes.empty()) {
                std::fprintf(stderr, "qz_gen_firmware: firmware image %s is missing or empty in %s\n",
                             fileName.c_str(), realFolder.c_str());
                return 1;
            }
        } else {
            // The first image is the same build as the first variant.
            const std::string seed = resource == "Firmware0" ? firstImageFile : fileName;
            bytes = PlaceholderImage(seed, entry.releaseSize);
        }
        const std::string target = outdir + "/" + resource + ".bin";
        if (!WriteFile(target, bytes)) {
            std::fprintf(stderr, "qz_gen_firmware: cannot write %s\n", target.c_str());
            return 1;
        }
        script += resource + " RCDATA \"" + target + "\"\n";
    }
    if (!WriteFile(outdir + "/payloads.rc", std::vector<std::uint8_t>(script.begin(), script.end()))) {
        std::fprintf(stderr, "qz_gen_firmware: cannot write %s/payloads.rc\n", outdir.c_str());
        return 1;
    }
    return 0;
}
