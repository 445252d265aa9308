#pragma once
// The information sign drawn on the program's button and used as its icon:
// a filled disc with a letter "i" (a round dot over a stem), built from
// geometry alone so the pictures come out the same on every build.
//
// The button pictures are 24-bit BMPs on pure white, which the program takes
// as the transparent colour and replaces with the button face. Nothing inside
// the sign is ever pure white: the disc edge is blended with the usual light
// grey face and the letter is drawn in kLetter, one step below white.
#include <cstdint>
#include <string>
#include <vector>

namespace qz::pictures {

struct Rgb {
    std::uint8_t r, g, b;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
    bool operator!=(const Rgb& o) const { return !(*this == o); }
};

inline constexpr Rgb kTransparent{255, 255, 255};  // outside the disc
inline constexpr Rgb kButtonFace{240, 240, 240};   // what the disc edge blends into
inline constexpr Rgb kLetter{254, 254, 254};       // the "i", kept apart from kTransparent
inline constexpr Rgb kDiscUp{0, 90, 200};          // at rest: blue
inline constexpr Rgb kDiscHot{0, 160, 60};         // mouse over: green
inline constexpr Rgb kDiscDown{0, 110, 40};        // pressed: darker green

inline constexpr int kButtonSize = 32;
inline constexpr int kSamplesPerAxis = 4;  // supersampling: 4 x 4 samples a pixel

// The sign laid out in a square of `size` pixels, in pixel units with the
// origin at the top left corner of the square and y growing downwards.
struct SignGeometry {
    double centreX, centreY, radius;             // the disc
    double dotX, dotY, dotRadius;                // the dot of the "i"
    double stemLeft, stemRight, stemTop, stemBottom;  // the stem of the "i"
};
SignGeometry GeometryFor(int size);

// How much of pixel (x, y) a shape covers: the share of its 4 x 4 samples
// that fall inside, from 0 (none) to 1 (all), in steps of 1/16.
double DiscCoverage(const SignGeometry& g, int x, int y);
double LetterCoverage(const SignGeometry& g, int x, int y);  // dot or stem

// a * (1 - t) + b * t, rounded to the nearest level.
Rgb Blend(Rgb a, Rgb b, double t);

// An opaque picture, rows from the top.
struct Image {
    int width = 0, height = 0;
    std::vector<Rgb> pixels;
    Rgb At(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
};

// An icon image with straight (not premultiplied) alpha, rows from the top.
struct RgbaImage {
    int size = 0;
    std::vector<Rgb> colour;
    std::vector<std::uint8_t> alpha;
};

// The sign with the disc in `disc` on kTransparent, for a button.
Image RenderButton(int size, Rgb disc);
// The sign with the disc in `disc` on a transparent background, for an icon.
RgbaImage RenderIcon(int size, Rgb disc);

// A 24-bit uncompressed bottom-up BMP: file header, BITMAPINFOHEADER, rows
// padded to 4 bytes.
std::vector<std::uint8_t> EncodeBmp24(const Image& image);
// An .ico holding each image as a 32-bit BGRA DIB with its AND mask.
std::vector<std::uint8_t> EncodeIco(const std::vector<RgbaImage>& images);

struct NamedFile {
    std::string name;
    std::vector<std::uint8_t> bytes;
};
// Everything qz_gen_pictures writes: info_up.bmp, info_hot.bmp,
// info_down.bmp and app.ico (16, 32 and 48 pixels).
std::vector<NamedFile> AllPictures();

}  // namespace qz::pictures
