// Writes the library's "common..." images into a skin folder, or with --check
// tells which files there differ from what it would write.
//
//   mkcommon <font.ttf> <en.lng> <skin folder> [--check]
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "enginelib/draw/ImageCodecs.h"
#include "enginelib/draw/TDibIG.h"
#include "enginelib/nav/TCommonImages.h"

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: mkcommon <font.ttf> <en.lng> <skin folder> [--check]\n");
        return 2;
    }
    const std::string font = argv[1], language = argv[2], folder = argv[3];
    const bool check = argc > 4 && std::string(argv[4]) == "--check";
    int differ = 0, written = 0;
    for (const std::string& name : TCommonImages::Names()) {
        const std::unique_ptr<TDibIG> image = TCommonImages::Draw(name, font, language);
        std::vector<uint8_t> png;
        if (!image || !PngEncode(*image, png)) {
            std::fprintf(stderr, "mkcommon: cannot draw %s\n", name.c_str());
            return 1;
        }
        const std::string path = folder + "/" + name + ".png";
        if (check) {
            std::ifstream in(path, std::ios::binary);
            const std::vector<uint8_t> disk((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            if (disk != png) {
                std::fprintf(stderr, "mkcommon: %s differs from the generator\n", path.c_str());
                ++differ;
            }
            continue;
        }
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(png.data()), (std::streamsize)png.size());
        if (!out) {
            std::fprintf(stderr, "mkcommon: cannot write %s\n", path.c_str());
            return 1;
        }
        ++written;
    }
    if (check) {
        if (differ)
            std::fprintf(stderr, "mkcommon: %d of the library's images are out of date: run mkcommon without --check\n",
                         differ);
        return differ ? 1 : 0;
    }
    std::printf("mkcommon: wrote %d images into %s\n", written, folder.c_str());
    return 0;
}
