#include "pictures.h"

#include <cmath>
#include <stdexcept>

namespace qz::pictures {

namespace {

// Proportions of the sign in a 32-pixel square; other sizes scale them. The
// stem's sides fall on whole pixels at 16, 32 and 48, and its ends are
// rounded to whole pixels, so it stays crisp at every icon size.
constexpr double kDiscRadius = 15.25;
constexpr double kDotY = 9.0, kDotRadius = 2.5;
constexpr double kStemLeft = 14.0, kStemRight = 18.0, kStemTop = 13.0, kStemBottom = 25.0;

template <typename Inside>
double Coverage(int x, int y, Inside inside) {
    int hits = 0;
    for (int j = 0; j < kSamplesPerAxis; ++j) {
        for (int i = 0; i < kSamplesPerAxis; ++i) {
            const double sx = x + (i + 0.5) / kSamplesPerAxis;
            const double sy = y + (j + 0.5) / kSamplesPerAxis;
            if (inside(sx, sy)) ++hits;
        }
    }
    return static_cast<double>(hits) / (kSamplesPerAxis * kSamplesPerAxis);
}

bool InCircle(double px, double py, double cx, double cy, double r) {
    const double dx = px - cx, dy = py - cy;
    return dx * dx + dy * dy < r * r;
}

std::uint8_t Channel(std::uint8_t a, std::uint8_t b, double t) {
    const double v = a + (static_cast<double>(b) - a) * t;
    return static_cast<std::uint8_t>(std::lround(v));
}

void Put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void PutBgr(std::vector<std::uint8_t>& out, Rgb c) {
    out.push_back(c.b);
    out.push_back(c.g);
    out.push_back(c.r);
}

void PutInfoHeader(std::vector<std::uint8_t>& out, int width, int height, int bits,
                   std::uint32_t imageSize, std::uint32_t pixelsPerMetre) {
    Put32(out, 40);  // biSize
    Put32(out, static_cast<std::uint32_t>(width));
    Put32(out, static_cast<std::uint32_t>(height));  // positive: bottom-up
    Put16(out, 1);                                    // biPlanes
    Put16(out, static_cast<std::uint32_t>(bits));
    Put32(out, 0);  // BI_RGB
    Put32(out, imageSize);
    Put32(out, pixelsPerMetre);
    Put32(out, pixelsPerMetre);
    Put32(out, 0);  // biClrUsed
    Put32(out, 0);  // biClrImportant
}

// The colour inside the disc at a pixel: disc colour with the letter over it.
Rgb InnerColour(const SignGeometry& g, int x, int y, Rgb disc) {
    return Blend(disc, kLetter, LetterCoverage(g, x, y));
}

}  // namespace

SignGeometry GeometryFor(int size) {
    if (size <= 0) throw std::invalid_argument("the sign needs a positive size");
    const double s = size / 32.0;
    SignGeometry g{};
    g.centreX = g.centreY = size / 2.0;
    g.radius = kDiscRadius * s;
    g.dotX = size / 2.0;
    g.dotY = kDotY * s;
    g.dotRadius = kDotRadius * s;
    g.stemLeft = kStemLeft * s;
    g.stemRight = kStemRight * s;
    g.stemTop = std::round(kStemTop * s);
    g.stemBottom = std::round(kStemBottom * s);
    return g;
}

double DiscCoverage(const SignGeometry& g, int x, int y) {
    return Coverage(x, y, [&](double px, double py) { return InCircle(px, py, g.centreX, g.centreY, g.radius); });
}

double LetterCoverage(const SignGeometry& g, int x, int y) {
    return Coverage(x, y, [&](double px, double py) {
        const bool inStem = px >= g.stemLeft && px < g.stemRight && py >= g.stemTop && py < g.stemBottom;
        return inStem || InCircle(px, py, g.dotX, g.dotY, g.dotRadius);
    });
}

Rgb Blend(Rgb a, Rgb b, double t) {
    return Rgb{Channel(a.r, b.r, t), Channel(a.g, b.g, t), Channel(a.b, b.b, t)};
}

Image RenderButton(int size, Rgb disc) {
    const SignGeometry g = GeometryFor(size);
    Image image;
    image.width = image.height = size;
    image.pixels.reserve(static_cast<std::size_t>(size * size));
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const double d = DiscCoverage(g, x, y);
            // Only pixels wholly outside the disc are transparent; the edge
            // blends into the face colour, so it can never reach pure white.
            image.pixels.push_back(d == 0.0 ? kTransparent : Blend(kButtonFace, InnerColour(g, x, y, disc), d));
        }
    }
    return image;
}

RgbaImage RenderIcon(int size, Rgb disc) {
    const SignGeometry g = GeometryFor(size);
    RgbaImage image;
    image.size = size;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const double d = DiscCoverage(g, x, y);
            image.colour.push_back(d == 0.0 ? Rgb{0, 0, 0} : InnerColour(g, x, y, disc));
            image.alpha.push_back(static_cast<std::uint8_t>(std::lround(d * 255.0)));
        }
    }
    return image;
}

std::vector<std::uint8_t> EncodeBmp24(const Image& image) {
    const std::size_t stride = (static_cast<std::size_t>(image.width) * 3 + 3) & ~std::size_t{3};
    const std::size_t pixelBytes = stride * static_cast<std::size_t>(image.height);
    const std::uint32_t offset = 14 + 40;
    std::vector<std::uint8_t> out;
    out.reserve(offset + pixelBytes);
    out.push_back('B');
    out.push_back('M');
    Put32(out, static_cast<std::uint32_t>(offset + pixelBytes));
    Put32(out, 0);  // two reserved words
    Put32(out, offset);
    PutInfoHeader(out, image.width, image.height, 24, static_cast<std::uint32_t>(pixelBytes), 2835);
    for (int y = image.height - 1; y >= 0; --y) {
        for (int x = 0; x < image.width; ++x) PutBgr(out, image.At(x, y));
        for (std::size_t pad = static_cast<std::size_t>(image.width) * 3; pad < stride; ++pad) out.push_back(0);
    }
    return out;
}

std::vector<std::uint8_t> EncodeIco(const std::vector<RgbaImage>& images) {
    std::vector<std::vector<std::uint8_t>> dibs;
    for (const RgbaImage& image : images) {
        if (image.size <= 0 || image.size > 256) throw std::invalid_argument("an icon image is 1 to 256 pixels");
        const int n = image.size;
        const std::size_t maskStride = ((static_cast<std::size_t>(n) + 31) / 32) * 4;
        const std::size_t colourBytes = static_cast<std::size_t>(n) * n * 4;
        std::vector<std::uint8_t> dib;
        // The height counts the colour rows and the mask rows together.
        PutInfoHeader(dib, n, 2 * n, 32, static_cast<std::uint32_t>(colourBytes + maskStride * n), 0);
        for (int y = n - 1; y >= 0; --y) {
            for (int x = 0; x < n; ++x) {
                const std::size_t at = static_cast<std::size_t>(y * n + x);
                PutBgr(dib, image.colour[at]);
                dib.push_back(image.alpha[at]);
            }
        }
        for (int y = n - 1; y >= 0; --y) {
            std::vector<std::uint8_t> row(maskStride, 0);
            for (int x = 0; x < n; ++x) {
                if (image.alpha[static_cast<std::size_t>(y * n + x)] == 0) {
                    row[static_cast<std::size_t>(x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
                }
            }
            dib.insert(dib.end(), row.begin(), row.end());
        }
        dibs.push_back(std::move(dib));
    }

    std::vector<std::uint8_t> out;
    Put16(out, 0);  // reserved
    Put16(out, 1);  // an icon
    Put16(out, static_cast<std::uint32_t>(images.size()));
    std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        const int n = images[i].size;
        out.push_back(static_cast<std::uint8_t>(n == 256 ? 0 : n));  // width
        out.push_back(static_cast<std::uint8_t>(n == 256 ? 0 : n));  // height
        out.push_back(0);                                            // no palette
        out.push_back(0);                                            // reserved
        Put16(out, 1);                                               // planes
        Put16(out, 32);                                              // bits per pixel
        Put32(out, static_cast<std::uint32_t>(dibs[i].size()));
        Put32(out, offset);
        offset += static_cast<std::uint32_t>(dibs[i].size());
    }
    for (const auto& dib : dibs) out.insert(out.end(), dib.begin(), dib.end());
    return out;
}

std::vector<NamedFile> AllPictures() {
    std::vector<NamedFile> files;
    files.push_back({"info_up.bmp", EncodeBmp24(RenderButton(kButtonSize, kDiscUp))});
    files.push_back({"info_hot.bmp", EncodeBmp24(RenderButton(kButtonSize, kDiscHot))});
    files.push_back({"info_down.bmp", EncodeBmp24(RenderButton(kButtonSize, kDiscDown))});
    files.push_back({"app.ico", EncodeIco({RenderIcon(16, kDiscUp), RenderIcon(32, kDiscUp), RenderIcon(48, kDiscUp)})});
    return files;
}

}  // namespace qz::pictures
