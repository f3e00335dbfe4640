#include "support/GoldenImage.h"

#include <png.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <vector>

#include "enginelib/draw/TDibIG.h"
#include "support/TestPaths.h"

namespace golden {

namespace {

// The bitmap as straight 8-bit RGBA (colours divided back when premultiplied).
std::vector<uint8_t> ToRGBA(const TDibIG& image, bool& opaque)
{
    const int w = image.Width(), h = image.AbsHeight();
    std::vector<uint8_t> out(size_t(w) * h * 4);
    opaque = true;
    uint8_t* p = out.data();
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x, p += 4) {
            TColorIG c = image.GetPixel(x, y);
            int op = 255 - image.GetAlpha(x, y);
            int ch[3] = {c.R(), c.G(), c.B()};
            for (int i = 0; i < 3; ++i) {
                if (image.IsPreMultiplied() && op > 0 && op < 255)
                    ch[i] = std::min(255, ch[i] * 255 / op);
                p[i] = uint8_t(ch[i]);
            }
            p[3] = uint8_t(op);
            opaque &= op == 255;
        }
    }
    return out;
}

bool WritePng(const std::string& path, int w, int h, const std::vector<uint8_t>& rgba, bool opaque)
{
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
    std::vector<uint8_t> pixels;
    const std::vector<uint8_t>* src = &rgba;
    png_image img;
    std::memset(&img, 0, sizeof img);
    img.version = PNG_IMAGE_VERSION;
    img.width = png_uint_32(w);
    img.height = png_uint_32(h);
    img.format = PNG_FORMAT_RGBA;
    if (opaque) {
        pixels.reserve(rgba.size() / 4 * 3);
        for (size_t i = 0; i < rgba.size(); i += 4)
            pixels.insert(pixels.end(), rgba.begin() + long(i), rgba.begin() + long(i) + 3);
        src = &pixels;
        img.format = PNG_FORMAT_RGB;
    }
    bool ok = png_image_write_to_file(&img, path.c_str(), 0, src->data(), 0, nullptr) != 0;
    png_image_free(&img);
    return ok;
}

bool ReadPng(const std::string& path, int& w, int& h, std::vector<uint8_t>& rgba)
{
    png_image img;
    std::memset(&img, 0, sizeof img);
    img.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&img, path.c_str()))
        return false;
    img.format = PNG_FORMAT_RGBA;
    w = int(img.width);
    h = int(img.height);
    rgba.assign(PNG_IMAGE_SIZE(img), 0);
    bool ok = png_image_finish_read(&img, nullptr, rgba.data(), 0, nullptr) != 0;
    png_image_free(&img);
    return ok;
}

} // namespace

std::string GoldenPath(const std::string& name)
{
    return testpaths::Fixture("golden/" + name + ".png");
}

std::string ActualPath(const std::string& name)
{
    // Beside the test program, whatever folder it runs from.
    std::error_code ec;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    std::filesystem::path base = ec ? std::filesystem::current_path() : exe.parent_path();
    return (base / "golden-actual" / (name + ".png")).string();
}

::testing::AssertionResult Matches(const TDibIG& image, const std::string& name, int tolerance,
                                   int badPixels)
{
    if (image.IsEmpty())
        return ::testing::AssertionFailure() << "empty image for golden '" << name << "'";
    const int w = image.Width(), h = image.AbsHeight();
    bool opaque = true;
    std::vector<uint8_t> actual = ToRGBA(image, opaque);

    const char* update = std::getenv("ORBETA_UPDATE_GOLDEN");
    if (update && std::strcmp(update, "1") == 0) {
        if (!WritePng(GoldenPath(name), w, h, actual, opaque))
            return ::testing::AssertionFailure() << "cannot write golden " << GoldenPath(name);
        return ::testing::AssertionSuccess() << "golden written: " << GoldenPath(name);
    }

    std::ostringstream why;
    int gw = 0, gh = 0;
    std::vector<uint8_t> expected;
    if (!ReadPng(GoldenPath(name), gw, gh, expected)) {
        why << "cannot read golden " << GoldenPath(name) << " (ORBETA_UPDATE_GOLDEN=1 writes it)";
    } else if (gw != w || gh != h) {
        why << "size " << w << "x" << h << " differs from golden " << gw << "x" << gh;
    } else {
        int bad = 0, firstX = -1, firstY = -1, worst = 0;
        for (int i = 0; i < w * h; ++i) {
            const uint8_t* a = &actual[size_t(i) * 4];
            const uint8_t* e = &expected[size_t(i) * 4];
            int diff = std::abs(a[3] - e[3]);
            if (a[3] != 0 || e[3] != 0)
                for (int c = 0; c < 3; ++c)
                    diff = std::max(diff, std::abs(a[c] - e[c]));
            if (diff > tolerance) {
                if (bad++ == 0) {
                    firstX = i % w;
                    firstY = i / w;
                }
                worst = std::max(worst, diff);
            }
        }
        if (bad <= badPixels)
            return ::testing::AssertionSuccess();
        why << bad << " pixels differ by more than " << tolerance << " (worst " << worst
            << ", first at " << firstX << "," << firstY << ")";
    }
    std::string actualPath = ActualPath(name);
    if (WritePng(actualPath, w, h, actual, opaque))
        why << "; actual image written to " << actualPath;
    return ::testing::AssertionFailure() << "golden '" << name << "': " << why.str();
}

} // namespace golden
