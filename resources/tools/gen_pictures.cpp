// Draws the pictures of the information button and the program icon.
//
//   qz_gen_pictures <outdir>
//
// Writes info_up.bmp, info_hot.bmp, info_down.bmp (32 x 32, 24-bit, white as
// the transparent colour) and app.ico (16, 32 and 48 pixels) into outdir.
// The output depends on nothing but this source.
#include <cstdio>
#include <fstream>
#include <string>

#include "pictures.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: qz_gen_pictures <outdir>\n");
        return 2;
    }
    const std::string dir = argv[1];
    for (const qz::pictures::NamedFile& file : qz::pictures::AllPictures()) {
        const std::string path = dir + "/" + file.name;
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(file.bytes.data()), static_cast<std::streamsize>(file.bytes.size()));
        out.close();
        if (!out) {
            std::fprintf(stderr, "qz_gen_pictures: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
