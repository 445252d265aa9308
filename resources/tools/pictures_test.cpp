// The information sign: its geometry, the BMP and ICO encoders, and the files
// qz_gen_pictures writes, read back with a parser of their own.
#include "pictures.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace qz::pictures {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

std::uint32_t U16(const Bytes& b, std::size_t at) { return b.at(at) | (b.at(at + 1) << 8); }
std::uint32_t U32(const Bytes& b, std::size_t at) { return U16(b, at) | (U16(b, at + 2) << 16); }
std::int32_t S32(const Bytes& b, std::size_t at) { return static_cast<std::int32_t>(U32(b, at)); }

Bytes ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A 24-bit bottom-up BMP as read back; pixels top-down.
struct Bmp {
    std::uint32_t fileSizeField = 0, pixelOffset = 0, headerSize = 0;
    std::int32_t width = 0, height = 0;
    std::uint32_t planes = 0, bits = 0, compression = 0;
    std::vector<Rgb> pixels;
    Rgb At(int x, int y) const { return pixels.at(static_cast<std::size_t>(y * width + x)); }
};

Bmp ParseBmp(const Bytes& b) {
    Bmp bmp;
    if (b.size() < 54 || b[0] != 'B' || b[1] != 'M') return bmp;
    bmp.fileSizeField = U32(b, 2);
    bmp.pixelOffset = U32(b, 10);
    bmp.headerSize = U32(b, 14);
    bmp.width = S32(b, 18);
    bmp.height = S32(b, 22);
    bmp.planes = U16(b, 26);
    bmp.bits = U16(b, 28);
    bmp.compression = U32(b, 30);
    if (bmp.bits != 24 || bmp.width <= 0 || bmp.height <= 0) return bmp;
    const std::size_t stride = (static_cast<std::size_t>(bmp.width) * 3 + 3) / 4 * 4;
    if (b.size() < bmp.pixelOffset + stride * bmp.height) return bmp;
    for (int y = 0; y < bmp.height; ++y) {
        const std::size_t row = bmp.pixelOffset + stride * static_cast<std::size_t>(bmp.height - 1 - y);
        for (int x = 0; x < bmp.width; ++x) {
            const std::size_t at = row + 3 * static_cast<std::size_t>(x);
            bmp.pixels.push_back(Rgb{b[at + 2], b[at + 1], b[at]});
        }
    }
    return bmp;
}

// ---- geometry -------------------------------------------------------------

struct CoverageCase {
    const char* what;
    std::function<double(const SignGeometry&, int, int)> coverage;
    int x, y;
    double low, high;  // expected range, inclusive
};

TEST(SignGeometry, CoverageOfPixels) {
    const SignGeometry g = GeometryFor(kButtonSize);
    const CoverageCase cases[] = {
        {"disc, centre", DiscCoverage, 16, 16, 1.0, 1.0},
        {"disc, left of the letter", DiscCoverage, 7, 16, 1.0, 1.0},
        {"disc, top left corner", DiscCoverage, 0, 0, 0.0, 0.0},
        {"disc, bottom right corner", DiscCoverage, 31, 31, 0.0, 0.0},
        {"disc, left edge", DiscCoverage, 0, 16, 0.0625, 0.9375},
        {"disc, top edge", DiscCoverage, 15, 0, 0.0625, 0.9375},
        {"letter, stem", LetterCoverage, 15, 20, 1.0, 1.0},
        {"letter, stem's other column", LetterCoverage, 17, 24, 1.0, 1.0},
        {"letter, dot", LetterCoverage, 15, 8, 1.0, 1.0},
        {"letter, edge of the dot", LetterCoverage, 16, 11, 0.0625, 0.9375},
        {"letter, gap between dot and stem", LetterCoverage, 16, 12, 0.0, 0.0},
        {"letter, beside the stem", LetterCoverage, 12, 20, 0.0, 0.0},
        {"letter, below the stem", LetterCoverage, 16, 26, 0.0, 0.0},
        {"letter, corner", LetterCoverage, 0, 0, 0.0, 0.0},
    };
    for (const CoverageCase& c : cases) {
        const double value = c.coverage(g, c.x, c.y);
        EXPECT_GE(value, c.low) << c.what;
        EXPECT_LE(value, c.high) << c.what;
    }
}

TEST(SignGeometry, CoverageComesInSixteenths) {
    const SignGeometry g = GeometryFor(kButtonSize);
    int partial = 0;
    for (int y = 0; y < kButtonSize; ++y) {
        for (int x = 0; x < kButtonSize; ++x) {
            for (double c : {DiscCoverage(g, x, y), LetterCoverage(g, x, y)}) {
                const double sixteenths = c * 16.0;
                EXPECT_DOUBLE_EQ(sixteenths, static_cast<double>(static_cast<int>(sixteenths))) << x << "," << y;
                if (c > 0.0 && c < 1.0) ++partial;
            }
        }
    }
    EXPECT_GT(partial, 20) << "the edges are not anti-aliased";
}

TEST(SignGeometry, LetterStaysInsideTheDisc) {
    for (int size : {16, 32, 48}) {
        const SignGeometry g = GeometryFor(size);
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                if (LetterCoverage(g, x, y) > 0.0) {
                    EXPECT_EQ(DiscCoverage(g, x, y), 1.0) << size << ": " << x << "," << y;
                }
            }
        }
    }
}

TEST(SignGeometry, ScalesWithTheSize) {
    const SignGeometry small = GeometryFor(16), large = GeometryFor(48), base = GeometryFor(32);
    EXPECT_DOUBLE_EQ(small.radius * 2.0, base.radius);
    EXPECT_DOUBLE_EQ(large.radius, base.radius * 1.5);
    EXPECT_DOUBLE_EQ(large.stemRight - large.stemLeft, (base.stemRight - base.stemLeft) * 1.5);
    EXPECT_DOUBLE_EQ(small.centreX, 8.0);
    EXPECT_THROW(GeometryFor(0), std::invalid_argument);
}

TEST(Blend, Table) {
    struct Case {
        Rgb a, b;
        double t;
        Rgb expected;
    };
    const Case cases[] = {
        {{0, 90, 200}, {254, 254, 254}, 0.0, {0, 90, 200}},
        {{0, 90, 200}, {254, 254, 254}, 1.0, {254, 254, 254}},
        {{0, 0, 0}, {255, 255, 255}, 0.5, {128, 128, 128}},
        {{240, 240, 240}, {0, 160, 60}, 0.25, {180, 220, 195}},
        {{240, 240, 240}, {254, 254, 254}, 0.0625, {241, 241, 241}},
    };
    for (const Case& c : cases) {
        const Rgb got = Blend(c.a, c.b, c.t);
        EXPECT_EQ(got, c.expected) << "t=" << c.t << " got " << int(got.r) << "," << int(got.g) << "," << int(got.b);
    }
}

// ---- encoders --------------------------------------------------------------

TEST(EncodeBmp24, PadsRowsAndStoresThemBottomUp) {
    struct Case {
        int width, height;
        std::size_t stride;
    };
    const Case cases[] = {{1, 2, 4}, {2, 3, 8}, {3, 1, 12}, {4, 2, 12}, {5, 3, 16}, {32, 32, 96}};
    for (const Case& c : cases) {
        Image image;
        image.width = c.width;
        image.height = c.height;
        for (int i = 0; i < c.width * c.height; ++i) {
            image.pixels.push_back(Rgb{static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(100 + i), 7});
        }
        const Bytes bytes = EncodeBmp24(image);
        ASSERT_EQ(bytes.size(), 54 + c.stride * c.height) << c.width << "x" << c.height;
        EXPECT_EQ(U32(bytes, 2), bytes.size());
        EXPECT_EQ(U32(bytes, 34), c.stride * c.height);
        // The first stored row is the bottom one; its first pixel in B, G, R.
        const std::size_t bottomLeft = static_cast<std::size_t>((c.height - 1) * c.width);
        EXPECT_EQ(bytes[54], 7);
        EXPECT_EQ(bytes[55], static_cast<std::uint8_t>(100 + bottomLeft));
        EXPECT_EQ(bytes[56], static_cast<std::uint8_t>(bottomLeft));
        // Padding bytes are zero.
        for (std::size_t at = 54 + 3 * static_cast<std::size_t>(c.width); at < 54 + c.stride; ++at) EXPECT_EQ(bytes[at], 0);
        const Bmp back = ParseBmp(bytes);
        ASSERT_EQ(back.pixels.size(), image.pixels.size());
        EXPECT_TRUE(back.pixels == image.pixels) << c.width << "x" << c.height;
    }
}

// ---- the files qz_gen_pictures writes -------------------------------------

class GeneratedPictures : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        std::string pattern = (fs::temp_directory_path() / "qz_pictures_XXXXXX").string();
        const char* made = mkdtemp(pattern.data());
        ASSERT_NE(made, nullptr);
        root_ = made;
        for (const char* run : {"first", "second"}) {
            fs::create_directory(root_ / run);
            const std::string command = std::string("'") + QZ_GEN_PICTURES + "' '" + (root_ / run).string() + "'";
            ASSERT_EQ(std::system(command.c_str()), 0) << command;
        }
    }
    static void TearDownTestSuite() {
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }
    static Bytes File(const char* name, const char* run = "first") { return ReadAll(root_ / run / name); }

    static fs::path root_;
};
fs::path GeneratedPictures::root_;

struct ButtonCase {
    const char* file;
    Rgb disc;
    std::function<bool(Rgb)> family;
    const char* family_name;
};

const ButtonCase kButtons[] = {
    {"info_up.bmp", kDiscUp, [](Rgb c) { return c.b > c.r + 60 && c.b > c.g + 60; }, "blue"},
    {"info_hot.bmp", kDiscHot, [](Rgb c) { return c.g > c.r + 60 && c.g > c.b + 60; }, "green"},
    {"info_down.bmp", kDiscDown, [](Rgb c) { return c.g > c.r + 40 && c.g > c.b + 40; }, "green"},
};

TEST_F(GeneratedPictures, ButtonHeaders) {
    for (const ButtonCase& c : kButtons) {
        const Bytes bytes = File(c.file);
        const Bmp bmp = ParseBmp(bytes);
        EXPECT_EQ(bytes.size(), 54u + 32u * 96u) << c.file;
        EXPECT_EQ(bmp.fileSizeField, bytes.size()) << c.file;
        EXPECT_EQ(bmp.pixelOffset, 54u) << c.file;
        EXPECT_EQ(bmp.headerSize, 40u) << c.file;
        EXPECT_EQ(bmp.width, 32) << c.file;
        EXPECT_EQ(bmp.height, 32) << c.file << " (positive: bottom-up)";
        EXPECT_EQ(bmp.planes, 1u) << c.file;
        EXPECT_EQ(bmp.bits, 24u) << c.file;
        EXPECT_EQ(bmp.compression, 0u) << c.file;
        EXPECT_EQ(bmp.pixels.size(), 32u * 32u) << c.file;
    }
}

TEST_F(GeneratedPictures, ButtonColours) {
    for (const ButtonCase& c : kButtons) {
        const Bmp bmp = ParseBmp(File(c.file));
        ASSERT_EQ(bmp.pixels.size(), 32u * 32u) << c.file;
        for (auto [x, y] : {std::pair{0, 0}, {31, 0}, {0, 31}, {31, 31}}) {
            EXPECT_EQ(bmp.At(x, y), kTransparent) << c.file << " corner " << x << "," << y;
        }
        // Disc away from the letter; (16, 12) is the gap under the dot, which
        // would be the stem if the rows were stored the wrong way up.
        for (auto [x, y] : {std::pair{7, 16}, {24, 16}, {16, 4}, {16, 12}, {16, 28}}) {
            const Rgb p = bmp.At(x, y);
            EXPECT_EQ(p, c.disc) << c.file << " at " << x << "," << y;
            EXPECT_TRUE(c.family(p)) << c.file << " at " << x << "," << y << " is not " << c.family_name;
        }
        // The letter: one step below white, so the program does not see through it.
        for (auto [x, y] : {std::pair{15, 8}, {16, 9}, {14, 14}, {15, 20}, {17, 24}}) {
            EXPECT_EQ(bmp.At(x, y), kLetter) << c.file << " letter at " << x << "," << y;
        }
        // Pure white exactly where the disc does not reach; the edge shades
        // from the button face grey into the disc colour.
        const SignGeometry g = GeometryFor(32);
        int edge = 0;
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 32; ++x) {
                const double d = DiscCoverage(g, x, y);
                const Rgb p = bmp.At(x, y);
                EXPECT_EQ(p == kTransparent, d == 0.0) << c.file << " at " << x << "," << y;
                if (d > 0.0 && d < 1.0) {
                    ++edge;
                    EXPECT_EQ(p, Blend(kButtonFace, c.disc, d)) << c.file << " edge at " << x << "," << y;
                    EXPECT_TRUE(p.r <= 240 && p.g <= 240 && p.b <= 240) << c.file << " edge at " << x << "," << y;
                }
            }
        }
        EXPECT_GT(edge, 40) << c.file << ": the disc edge is not anti-aliased";
    }
}

TEST_F(GeneratedPictures, PressedIsDarkerThanHot) {
    const Rgb hot = ParseBmp(File("info_hot.bmp")).At(7, 16);
    const Rgb down = ParseBmp(File("info_down.bmp")).At(7, 16);
    EXPECT_LT(down.g, hot.g);
    EXPECT_LE(down.r + down.g + down.b, hot.r + hot.g + hot.b - 60);
}

TEST_F(GeneratedPictures, IconDirectoryAndImages) {
    const Bytes ico = File("app.ico");
    ASSERT_GE(ico.size(), 6u + 3u * 16u);
    EXPECT_EQ(U16(ico, 0), 0u);
    EXPECT_EQ(U16(ico, 2), 1u) << "an icon, not a cursor";
    ASSERT_EQ(U16(ico, 4), 3u);
    std::size_t expectedOffset = 6 + 3 * 16;
    const int sizes[] = {16, 32, 48};
    for (int i = 0; i < 3; ++i) {
        const std::size_t entry = 6 + 16 * static_cast<std::size_t>(i);
        const int n = sizes[i];
        EXPECT_EQ(ico[entry], n);
        EXPECT_EQ(ico[entry + 1], n);
        EXPECT_EQ(U16(ico, entry + 4), 1u) << "planes";
        EXPECT_EQ(U16(ico, entry + 6), 32u) << "bits";
        const std::size_t bytes = U32(ico, entry + 8), offset = U32(ico, entry + 12);
        const std::size_t maskStride = (static_cast<std::size_t>(n) + 31) / 32 * 4;
        EXPECT_EQ(offset, expectedOffset) << n;
        ASSERT_EQ(bytes, 40 + static_cast<std::size_t>(n) * n * 4 + maskStride * n) << n;
        ASSERT_LE(offset + bytes, ico.size()) << n;
        expectedOffset += bytes;

        EXPECT_EQ(U32(ico, offset), 40u);
        EXPECT_EQ(S32(ico, offset + 4), n);
        EXPECT_EQ(S32(ico, offset + 8), 2 * n) << "colour and mask rows";
        EXPECT_EQ(U16(ico, offset + 14), 32u);
        EXPECT_EQ(U32(ico, offset + 16), 0u);

        // Pixels bottom-up in B, G, R, A; then the AND mask.
        const auto pixel = [&](int x, int y) { return offset + 40 + 4 * static_cast<std::size_t>((n - 1 - y) * n + x); };
        const auto masked = [&](int x, int y) {
            const std::size_t row = offset + 40 + static_cast<std::size_t>(n) * n * 4 + maskStride * static_cast<std::size_t>(n - 1 - y);
            return (ico[row + static_cast<std::size_t>(x / 8)] & (0x80 >> (x % 8))) != 0;
        };
        EXPECT_EQ(ico[pixel(0, 0) + 3], 0) << n << ": corner alpha";
        EXPECT_TRUE(masked(0, 0)) << n << ": corner mask";
        EXPECT_TRUE(masked(n - 1, 0)) << n;
        const int left = n * 7 / 32, mid = n / 2;
        EXPECT_EQ(ico[pixel(left, mid) + 3], 255) << n << ": disc alpha";
        EXPECT_FALSE(masked(left, mid)) << n;
        EXPECT_EQ(ico[pixel(left, mid) + 0], kDiscUp.b) << n;
        EXPECT_EQ(ico[pixel(left, mid) + 1], kDiscUp.g) << n;
        EXPECT_EQ(ico[pixel(left, mid) + 2], kDiscUp.r) << n;
        int partial = 0;
        for (int y = 0; y < n; ++y) {
            for (int x = 0; x < n; ++x) {
                const std::uint8_t a = ico[pixel(x, y) + 3];
                EXPECT_EQ(masked(x, y), a == 0) << n << ": mask at " << x << "," << y;
                if (a > 0 && a < 255) ++partial;
            }
        }
        EXPECT_GT(partial, n) << n << ": the edge has no partial alpha";
    }
    EXPECT_EQ(expectedOffset, ico.size()) << "bytes after the last image";
}

TEST_F(GeneratedPictures, TwoRunsAreByteIdentical) {
    for (const NamedFile& expected : AllPictures()) {
        const Bytes first = File(expected.name.c_str(), "first");
        const Bytes second = File(expected.name.c_str(), "second");
        EXPECT_FALSE(first.empty()) << expected.name;
        EXPECT_TRUE(first == second) << expected.name;
        EXPECT_TRUE(first == expected.bytes) << expected.name;
    }
}

TEST_F(GeneratedPictures, FailsWithoutUsableOutput) {
    const std::string tool = std::string("'") + QZ_GEN_PICTURES + "'";
    const std::string cases[] = {
        tool + " 2>/dev/null",
        tool + " '" + (root_ / "no such folder").string() + "' 2>/dev/null",
        tool + " a b 2>/dev/null",
    };
    for (const std::string& command : cases) EXPECT_NE(std::system(command.c_str()), 0) << command;
}

}  // namespace
}  // namespace qz::pictures
