#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include <jpeglib.h>
#include <png.h>
#include <zlib.h>

#include "enginelib/draw/TDibIGformat.h"
#include "support/GoldenImage.h"
#include "support/TestPaths.h"

namespace {

using Bytes = std::vector<uint8_t>;

// The 4 x 3 pattern of tests/fixtures/images (make_images.py): colours that
// RGB565 keeps exactly, and an opacity per pixel (255 opaque).
constexpr int PW = 4, PH = 3;
const TColorIG Pattern[PH][PW] = {
    {TColorIG(248, 0, 0), TColorIG(0, 252, 0), TColorIG(0, 0, 248), TColorIG(248, 252, 248)},
    {TColorIG(0, 0, 0), TColorIG(128, 128, 128), TColorIG(64, 32, 16), TColorIG(200, 100, 48)},
    {TColorIG(8, 4, 8), TColorIG(16, 8, 24), TColorIG(248, 0, 248), TColorIG(120, 60, 40)},
};
const int Opacity[PH][PW] = {{255, 0, 128, 1}, {254, 255, 64, 200}, {255, 17, 255, 0}};

Bytes ReadFile(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& path, const Bytes& data)
{
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
}

uint16_t Pixel16(const TDibIG& d, int x, int y)
{
    return reinterpret_cast<const uint16_t*>(d.Row(y))[x];
}

// ---------------------------------------------------------------------------
// Independent writers (libpng, libjpeg, and a BMP writer) for inputs.

Bytes MakePng(int w, int h, uint32_t format, const Bytes& pixels)
{
    png_image img;
    std::memset(&img, 0, sizeof img);
    img.version = PNG_IMAGE_VERSION;
    img.width = png_uint_32(w);
    img.height = png_uint_32(h);
    img.format = format;
    png_alloc_size_t size = 0;
    EXPECT_TRUE(png_image_write_to_memory(&img, nullptr, &size, 0, pixels.data(), 0, nullptr));
    Bytes out(size);
    EXPECT_TRUE(png_image_write_to_memory(&img, out.data(), &size, 0, pixels.data(), 0, nullptr));
    out.resize(size);
    return out;
}

enum class JpegKind { Rgb, RgbProgressive, Grey, CmykAdobe };

Bytes MakeJpeg(int w, int h, JpegKind kind, const std::function<TColorIG(int, int)>& colour)
{
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* buffer = nullptr;
    unsigned long length = 0;
    jpeg_mem_dest(&c, &buffer, &length);
    c.image_width = JDIMENSION(w);
    c.image_height = JDIMENSION(h);
    int comps = kind == JpegKind::Grey ? 1 : kind == JpegKind::CmykAdobe ? 4 : 3;
    c.input_components = comps;
    c.in_color_space = kind == JpegKind::Grey ? JCS_GRAYSCALE : kind == JpegKind::CmykAdobe ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 95, TRUE);
    if (kind == JpegKind::RgbProgressive)
        jpeg_simple_progression(&c);
    jpeg_start_compress(&c, TRUE);
    Bytes row(size_t(w) * comps);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            TColorIG col = colour(x, y);
            uint8_t* p = &row[size_t(x) * comps];
            if (kind == JpegKind::Grey) {
                p[0] = col.R();
            } else if (kind == JpegKind::CmykAdobe) {
                // Adobe's inverted form: 255 = no ink.
                p[0] = col.R();
                p[1] = col.G();
                p[2] = col.B();
                p[3] = 255;
            } else {
                p[0] = col.R();
                p[1] = col.G();
                p[2] = col.B();
            }
        }
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    Bytes out(buffer, buffer + length);
    std::free(buffer);
    jpeg_destroy_compress(&c);
    return out;
}

void Put16(Bytes& b, uint32_t v)
{
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}

void Put32(Bytes& b, uint32_t v)
{
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

struct BmpSpec {
    const char* name;
    int bpp;
    uint32_t compression;  // 0 RGB, 3 bit fields
    int headerSize;        // 12, 40, 108 or 124
    bool topDown;
    uint32_t masks[4];
    std::vector<TColorIG> palette;
    // The stored value of a pixel: palette index, packed value, or 0xRRGGBB for 24 bits.
    std::function<uint32_t(int, int)> value;
    // What the pixel must load as: colour and opacity.
    std::function<TColorIG(int, int)> colour;
    std::function<int(int, int)> opacity;  // null: the image loads without alpha
};

Bytes MakeBmp(const BmpSpec& s, int w, int h)
{
    size_t stride = (size_t(w) * s.bpp + 31) / 32 * 4;
    Bytes pixels;
    for (int i = 0; i < h; ++i) {
        int y = s.topDown ? i : h - 1 - i;
        Bytes row(stride, 0);
        for (int x = 0; x < w; ++x) {
            uint32_t v = s.value(x, y);
            if (s.bpp < 8) {
                int bit = x * s.bpp;
                row[size_t(bit / 8)] |= uint8_t(v << (8 - s.bpp - bit % 8));
            } else {
                for (int k = 0; k < s.bpp / 8; ++k)
                    row[size_t(x) * (s.bpp / 8) + k] = uint8_t(v >> (8 * k));
            }
        }
        pixels.insert(pixels.end(), row.begin(), row.end());
    }
    Bytes info;
    Put32(info, uint32_t(s.headerSize));
    if (s.headerSize == 12) {
        Put16(info, uint32_t(w));
        Put16(info, uint32_t(h));
        Put16(info, 1);
        Put16(info, uint32_t(s.bpp));
    } else {
        Put32(info, uint32_t(w));
        Put32(info, uint32_t(s.topDown ? -h : h));
        Put16(info, 1);
        Put16(info, uint32_t(s.bpp));
        Put32(info, s.compression);
        Put32(info, uint32_t(pixels.size()));
        Put32(info, 2835);
        Put32(info, 2835);
        Put32(info, uint32_t(s.palette.size()));
        Put32(info, 0);
        if (s.headerSize > 40 || s.compression == 3)
            for (int i = 0; i < (s.headerSize > 40 ? 4 : 3); ++i)
                Put32(info, s.masks[i]);
        info.resize(size_t(s.headerSize) + (s.headerSize == 40 && s.compression == 3 ? 12 : 0), 0);
    }
    for (const TColorIG& c : s.palette) {
        info.push_back(c.B());
        info.push_back(c.G());
        info.push_back(c.R());
        if (s.headerSize != 12)
            info.push_back(0);
    }
    Bytes out{'B', 'M'};
    uint32_t offset = uint32_t(14 + info.size());
    Put32(out, uint32_t(offset + pixels.size()));
    Put32(out, 0);
    Put32(out, offset);
    out.insert(out.end(), info.begin(), info.end());
    out.insert(out.end(), pixels.begin(), pixels.end());
    return out;
}

// ---------------------------------------------------------------------------

struct FixtureCase {
    const char* file;
    bool alpha;  // loads with an alpha plane holding the pattern's opacity
    bool grey;   // colours are the pattern's red channel as grey
};

class DibFormatFixture : public ::testing::TestWithParam<FixtureCase> {};

TEST_P(DibFormatFixture, LoadsThePatternAsRgb565)
{
    const FixtureCase& c = GetParam();
    TDibIGformat img;
    ASSERT_TRUE(img.Lee(testpaths::Fixture(std::string("images/") + c.file).c_str()));
    EXPECT_EQ(img.Width(), PW);
    EXPECT_EQ(img.Height(), PH);  // top-down
    EXPECT_EQ(img.Bpp(), 16);
    EXPECT_FALSE(img.IsPreMultiplied());
    EXPECT_EQ(img.Tiene_Alphas(), c.alpha);
    for (int y = 0; y < PH; ++y)
        for (int x = 0; x < PW; ++x) {
            TColorIG p = Pattern[y][x];
            if (c.grey)
                p = TColorIG(p.R(), p.R(), p.R());
            EXPECT_EQ(Pixel16(img, x, y), p.ToRGB565()) << x << "," << y;
            if (c.alpha) {
                EXPECT_EQ(img.AlphaRow(y)[x], 255 - Opacity[y][x]) << x << "," << y;
            }
        }
    int w = 0, h = 0;
    EXPECT_TRUE(TDibIGformat::Lee_Cabecera_File(testpaths::Fixture(std::string("images/") + c.file).c_str(), &w, &h));
    EXPECT_EQ(w, PW);
    EXPECT_EQ(h, PH);
}

INSTANTIATE_TEST_SUITE_P(Files, DibFormatFixture,
                         ::testing::Values(FixtureCase{"pattern_rgba8.png", true, false},
                                           FixtureCase{"pattern_rgb8.png", false, false},
                                           FixtureCase{"pattern_rgb16.png", false, false},
                                           FixtureCase{"pattern_palette_trns.png", true, false},
                                           FixtureCase{"pattern_grey_alpha.png", true, true},
                                           FixtureCase{"pattern_24.bmp", false, false},
                                           FixtureCase{"pattern_8_topdown.bmp", false, false},
                                           FixtureCase{"pattern.cbmp", true, false}));

TEST(DibFormat, InterlacedPng)
{
    TDibIGformat img;
    ASSERT_TRUE(img.Lee(testpaths::Fixture("images/interlaced_rgba8.png").c_str()));
    ASSERT_EQ(img.Width(), 9);
    ASSERT_EQ(img.Height(), 7);
    ASSERT_TRUE(img.Tiene_Alphas());
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 9; ++x) {
            EXPECT_EQ(Pixel16(img, x, y), TColorIG::PackRGB565(x * 24 + 8, y * 32 + 16, (x + y) * 8));
            EXPECT_EQ(img.AlphaRow(y)[x], x * 10);
        }
}

TEST(DibFormat, PngAlphaBecomesTheInvertedPlane)
{
    // Written by libpng itself, not by our encoder.
    const uint8_t rgba[] = {255, 255, 255, 255, 10, 20, 30, 0,  //
                            100, 150, 200, 128, 1, 2, 3, 254};
    Bytes png = MakePng(2, 2, PNG_FORMAT_RGBA, Bytes(std::begin(rgba), std::end(rgba)));
    TDibIGformat img;
    ASSERT_TRUE(img.LeeMem(png.data(), png.size()));
    ASSERT_TRUE(img.Tiene_Alphas());
    EXPECT_EQ(Pixel16(img, 0, 0), 0xFFFF);
    EXPECT_EQ(Pixel16(img, 1, 0), TColorIG::PackRGB565(10, 20, 30));
    EXPECT_EQ(Pixel16(img, 0, 1), TColorIG::PackRGB565(100, 150, 200));
    EXPECT_EQ(img.AlphaRow(0)[0], 0);
    EXPECT_EQ(img.AlphaRow(0)[1], 255);
    EXPECT_EQ(img.AlphaRow(1)[0], 127);
    EXPECT_EQ(img.AlphaRow(1)[1], 1);
}

TEST(DibFormat, OpaqueAlphaChannelGivesNoPlane)
{
    Bytes rgba(6 * 5 * 4, 255);
    Bytes png = MakePng(6, 5, PNG_FORMAT_RGBA, rgba);
    TDibIGformat img;
    ASSERT_TRUE(img.LeeMem(png.data(), png.size()));
    EXPECT_FALSE(img.Tiene_Alphas());
    EXPECT_EQ(Pixel16(img, 5, 4), 0xFFFF);
}

TEST(DibFormat, SixteenBitGreyPngFromLibpng)
{
    // 16-bit linear grey, written by libpng: white and black.
    uint16_t grey16[] = {0xFFFF, 0, 0, 0xFFFF};
    Bytes raw(reinterpret_cast<uint8_t*>(grey16), reinterpret_cast<uint8_t*>(grey16) + sizeof grey16);
    Bytes png = MakePng(2, 2, PNG_FORMAT_LINEAR_Y, raw);
    TDibIGformat img;
    ASSERT_TRUE(img.LeeMem(png.data(), png.size()));
    EXPECT_EQ(Pixel16(img, 0, 0), 0xFFFF);
    EXPECT_EQ(Pixel16(img, 1, 0), 0);
    EXPECT_FALSE(img.Tiene_Alphas());
}

TEST(DibFormat, Jpeg)
{
    auto colour = [](int x, int y) { return x < 8 ? TColorIG(200, 100, 50) : TColorIG(20, 220, 120); };
    for (JpegKind kind : {JpegKind::Rgb, JpegKind::RgbProgressive, JpegKind::CmykAdobe, JpegKind::Grey}) {
        Bytes jpg = MakeJpeg(16, 8, kind, colour);
        TDibIGformat img;
        ASSERT_TRUE(img.LeeMem(jpg.data(), jpg.size())) << int(kind);
        ASSERT_EQ(img.Width(), 16);
        ASSERT_EQ(img.Height(), 8);
        EXPECT_EQ(img.Bpp(), 16);
        EXPECT_FALSE(img.Tiene_Alphas());
        for (int x : {2, 13}) {
            TColorIG want = colour(x, 4);
            if (kind == JpegKind::Grey)
                want = TColorIG(want.R(), want.R(), want.R());
            TColorIG got = img.GetPixel(x, 4);
            EXPECT_NEAR(got.R(), want.R(), 12) << int(kind);
            EXPECT_NEAR(got.G(), want.G(), 12) << int(kind);
            EXPECT_NEAR(got.B(), want.B(), 12) << int(kind);
        }
        int w = 0, h = 0;
        EXPECT_TRUE(TDibIGformat::LeeCabeceraMem(jpg.data(), jpg.size(), &w, &h));
        EXPECT_EQ(w, 16);
        EXPECT_EQ(h, 8);
    }
}

TColorIG PatternColour(int x, int y)
{
    return Pattern[y][x];
}

uint32_t PatternIndex(int x, int y)
{
    return uint32_t(y * PW + x);
}

std::vector<TColorIG> PatternPalette()
{
    std::vector<TColorIG> p;
    for (int y = 0; y < PH; ++y)
        for (int x = 0; x < PW; ++x)
            p.push_back(Pattern[y][x]);
    return p;
}

int Scale5(int v)
{
    return (v * 255 + 15) / 31;
}

std::vector<BmpSpec> BmpCases()
{
    auto bgr = [](int x, int y) { return uint32_t(Pattern[y][x].ToARGB(0)); };
    auto opacity = [](int x, int y) { return Opacity[y][x]; };
    auto argb = [](int x, int y) { return Pattern[y][x].ToARGB(Opacity[y][x]); };
    auto rgb555 = [](int x, int y) {
        TColorIG c = Pattern[y][x];
        return uint32_t((c.R() >> 3) << 10 | (c.G() >> 3) << 5 | c.B() >> 3);
    };
    auto colour555 = [](int x, int y) {
        TColorIG c = Pattern[y][x];
        return TColorIG(Scale5(c.R() >> 3), Scale5(c.G() >> 3), Scale5(c.B() >> 3));
    };
    std::vector<BmpSpec> cases;
    cases.push_back({"1 bpp", 1, 0, 40, false, {}, {TColoresIG::F_Black, TColorIG(248, 252, 248)},
                     [](int x, int y) { return uint32_t((x + y) & 1); },
                     [](int x, int y) { return (x + y) & 1 ? TColorIG(248, 252, 248) : TColoresIG::F_Black; },
                     nullptr});
    cases.push_back({"4 bpp", 4, 0, 40, false, {}, PatternPalette(), PatternIndex, PatternColour, nullptr});
    cases.push_back({"8 bpp", 8, 0, 40, false, {}, PatternPalette(), PatternIndex, PatternColour, nullptr});
    cases.push_back({"8 bpp top-down", 8, 0, 40, true, {}, PatternPalette(), PatternIndex, PatternColour, nullptr});
    cases.push_back({"8 bpp index past the palette", 8, 0, 40, false, {}, {TColoresIG::F_White},
                     [](int x, int) { return x == 0 ? 0u : 200u; },
                     [](int x, int) { return x == 0 ? TColoresIG::F_White : TColoresIG::F_Black; }, nullptr});
    cases.push_back({"8 bpp core header", 8, 0, 12, false, {}, PatternPalette(), PatternIndex, PatternColour, nullptr});
    cases.push_back({"16 bpp 555", 16, 0, 40, false, {}, {}, rgb555, colour555, nullptr});
    cases.push_back({"16 bpp 565 bit fields", 16, 3, 40, false, {0xF800, 0x07E0, 0x001F, 0}, {},
                     [](int x, int y) { return uint32_t(Pattern[y][x].ToRGB565()); }, PatternColour, nullptr});
    cases.push_back({"24 bpp", 24, 0, 40, false, {}, {}, bgr, PatternColour, nullptr});
    cases.push_back({"24 bpp top-down", 24, 0, 40, true, {}, {}, bgr, PatternColour, nullptr});
    cases.push_back({"24 bpp core header", 24, 0, 12, false, {}, {}, bgr, PatternColour, nullptr});
    cases.push_back({"32 bpp, fourth byte ignored", 32, 0, 40, false, {}, {},
                     [](int x, int y) { return Pattern[y][x].ToARGB(0x12); }, PatternColour, nullptr});
    cases.push_back({"32 bpp alpha mask", 32, 3, 124, false, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}, {}, argb,
                     PatternColour, opacity});
    cases.push_back({"32 bpp alpha mask, all zero", 32, 3, 108, true, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}, {},
                     bgr, PatternColour, nullptr});
    cases.push_back({"32 bpp RGBX bit fields", 32, 3, 40, false, {0xFF, 0xFF00, 0xFF0000, 0}, {},
                     [](int x, int y) {
                         TColorIG c = Pattern[y][x];
                         return uint32_t(c.R() | c.G() << 8 | c.B() << 16);
                     },
                     PatternColour, nullptr});
    return cases;
}

TEST(DibFormat, BmpVariants)
{
    for (const BmpSpec& s : BmpCases()) {
        SCOPED_TRACE(s.name);
        Bytes bmp = MakeBmp(s, PW, PH);
        TDibIGformat img;
        ASSERT_TRUE(img.LeeMem(bmp.data(), bmp.size()));
        EXPECT_EQ(img.Width(), PW);
        EXPECT_EQ(img.Height(), PH);
        EXPECT_EQ(img.Tiene_Alphas(), s.opacity != nullptr);
        for (int y = 0; y < PH; ++y)
            for (int x = 0; x < PW; ++x) {
                EXPECT_EQ(Pixel16(img, x, y), s.colour(x, y).ToRGB565()) << x << "," << y;
                if (s.opacity) {
                    EXPECT_EQ(img.GetAlpha(x, y), 255 - s.opacity(x, y)) << x << "," << y;
                }
            }
        // Every shorter prefix is refused.
        for (size_t n = 0; n < bmp.size(); ++n)
            ASSERT_FALSE(img.LeeMem(bmp.data(), n)) << n;
    }
}

// A 16-bit bitmap with alpha whose every pixel differs.
void MakeSample(TDibIG& d, int w, int h, bool bottomUp)
{
    ASSERT_TRUE(d.Crea(w, h, 16, true, bottomUp));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            reinterpret_cast<uint16_t*>(d.Row(y))[x] = uint16_t(x * 2311 + y * 977);
            d.AlphaRow(y)[x] = uint8_t(x * 37 + y * 11);
        }
}

void ExpectSamePixels(const TDibIG& a, const TDibIG& b)
{
    ASSERT_EQ(a.Width(), b.Width());
    ASSERT_EQ(a.AbsHeight(), b.AbsHeight());
    for (int y = 0; y < a.AbsHeight(); ++y)
        for (int x = 0; x < a.Width(); ++x) {
            ASSERT_EQ(uint32_t(a.GetPixel(x, y)), uint32_t(b.GetPixel(x, y))) << x << "," << y;
            ASSERT_EQ(a.GetAlpha(x, y), b.GetAlpha(x, y)) << x << "," << y;
        }
}

TEST(DibFormat, PngRoundTripIsExactFor565AndAlpha)
{
    for (bool bottomUp : {false, true}) {
        TDibIG src;
        MakeSample(src, 13, 7, bottomUp);
        Bytes png;
        ASSERT_TRUE(TDibIGformat::EncodePng(src, png));
        TDibIGformat back;
        ASSERT_TRUE(back.LeeMem(png.data(), png.size()));
        EXPECT_EQ(back.Height(), 7);
        ExpectSamePixels(src, back);
    }
}

TEST(DibFormat, PngOfScreenshotAndGreyBitmaps)
{
    TDibIG shot;
    ASSERT_TRUE(shot.Crea(5, 4, 24, false, true));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x)
            shot.SetPixel(x, y, TColorIG(x * 50, y * 60, 255 - x * 10));
    Bytes png;
    ASSERT_TRUE(TDibIGformat::EncodePng(shot, png));
    TDibIGformat back;
    ASSERT_TRUE(back.LeeMem(png.data(), png.size()));
    EXPECT_FALSE(back.Tiene_Alphas());
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(Pixel16(back, x, y), shot.GetPixel(x, y).ToRGB565());

    TDibIG grey;
    ASSERT_TRUE(grey.Crea(3, 1, 8));
    grey.Row(0)[0] = 0;
    grey.Row(0)[1] = 128;
    grey.Row(0)[2] = 255;
    ASSERT_TRUE(TDibIGformat::EncodePng(grey, png));
    ASSERT_TRUE(back.LeeMem(png.data(), png.size()));
    EXPECT_EQ(Pixel16(back, 1, 0), TColorIG::PackRGB565(128, 128, 128));
    EXPECT_EQ(Pixel16(back, 2, 0), 0xFFFF);
}

TEST(DibFormat, PngOfPremultipliedBitmapHoldsStraightColours)
{
    TDibIG d;
    ASSERT_TRUE(d.Crea(1, 1, 32, true));
    d.Row(0)[0] = 200;  // blue
    d.Row(0)[3] = 128;
    d.Set_PreMultiplied(0);
    Bytes png;
    ASSERT_TRUE(TDibIGformat::EncodePng(d, png));
    TDibIGformat back;
    ASSERT_TRUE(back.LeeMem(png.data(), png.size()));
    EXPECT_FALSE(back.IsPreMultiplied());
    EXPECT_NEAR(back.GetPixel(0, 0).B(), 200, 8);
    EXPECT_EQ(back.GetAlpha(0, 0), 127);
}

TEST(DibFormat, CbmpRoundTripKeepsEverything)
{
    for (bool bottomUp : {false, true}) {
        TDibIG src;
        MakeSample(src, 31, 9, bottomUp);
        src.Set_PreMultiplied(0);
        Bytes cbmp;
        ASSERT_TRUE(TDibIGformat::EncodeCbmp(src, cbmp));
        EXPECT_EQ(TDibIGformat::Detect(cbmp.data(), cbmp.size()), TDibIGformat::FormatCbmp);
        TDibIGformat back;
        ASSERT_TRUE(back.LeeMem(cbmp.data(), cbmp.size()));
        EXPECT_TRUE(back.IsPreMultiplied());
        EXPECT_EQ(back.Height(), 9);
        ExpectSamePixels(src, back);
    }
    TDibIG rgb;
    ASSERT_TRUE(rgb.Crea(3, 2, 24));
    rgb.SetPixel(2, 1, TColorIG(90, 180, 250));
    Bytes cbmp;
    ASSERT_TRUE(TDibIGformat::EncodeCbmp(rgb, cbmp));
    TDibIGformat back;
    ASSERT_TRUE(back.LeeMem(cbmp.data(), cbmp.size()));
    EXPECT_FALSE(back.Tiene_Alphas());
    EXPECT_EQ(Pixel16(back, 2, 1), TColorIG(90, 180, 250).ToRGB565());
}

TEST(DibFormat, GuardaChoosesTheFormatByExtension)
{
    testpaths::TempDir dir;
    TDibIG src;
    MakeSample(src, 6, 5, false);
    struct Case {
        const char* name;
        TDibIGformat::Format format;
    } cases[] = {{"shot.png", TDibIGformat::FormatPng},
                 {"skin.cbmp", TDibIGformat::FormatCbmp},
                 {"SKIN2.CBMP", TDibIGformat::FormatCbmp},
                 {"noextension", TDibIGformat::FormatPng}};
    for (const Case& c : cases) {
        std::string path = dir / c.name;
        ASSERT_TRUE(TDibIGformat::Guarda(src, path.c_str())) << c.name;
        Bytes data = ReadFile(path);
        EXPECT_EQ(TDibIGformat::Detect(data.data(), data.size()), c.format) << c.name;
        TDibIGformat back;
        ASSERT_TRUE(back.Lee(path.c_str()));
        ExpectSamePixels(src, back);
    }
    TDibIG empty;
    EXPECT_FALSE(TDibIGformat::Guarda(empty, (dir / "empty.png").c_str()));
    EXPECT_FALSE(TDibIGformat::Guarda(src, (dir / "missing/folder/x.png").c_str()));
    EXPECT_FALSE(TDibIGformat::Guarda(src, nullptr));
}

TEST(DibFormat, ScreenshotConstruction)
{
    testpaths::TempDir dir;
    TDibIG screen;
    ASSERT_TRUE(screen.Crea(8, 6, 24));
    screen.Fill(TColoresIG::F_LtBlue);
    TDibIGformat shot(screen, true);
    EXPECT_EQ(shot.Bpp(), 24);
    EXPECT_TRUE(shot.Guarda((dir / "shot.png").c_str()));
    TDibIGformat back;
    ASSERT_TRUE(back.Lee((dir / "shot.png").c_str()));
    EXPECT_EQ(uint32_t(back.GetPixel(7, 5)), uint32_t(TColoresIG::F_LtBlue));
    TDibIGformat none(screen, false);
    EXPECT_TRUE(none.IsEmpty());
    EXPECT_FALSE(none.Guarda((dir / "none.png").c_str()));
}

TEST(DibFormat, PathsResolveSeparatorsAndCase)
{
    testpaths::TempDir dir;
    WriteFile(dir / "Button.PNG", ReadFile(testpaths::Fixture("images/pattern_rgb8.png")));
    TDibIGformat img;
    EXPECT_TRUE(img.Lee((dir / "button.png").c_str()));
    std::string backslashed = dir.path() + "\\BUTTON.png";
    EXPECT_TRUE(img.Lee(backslashed.c_str()));
    int w = 0, h = 0;
    EXPECT_TRUE(TDibIGformat::Lee_Cabecera_File((dir / "button.PNG").c_str(), &w, &h));
    EXPECT_EQ(w, PW);
    EXPECT_FALSE(img.Lee((dir / "nothing.png").c_str()));
    EXPECT_FALSE(img.Lee(dir.path().c_str()));  // a folder
    EXPECT_FALSE(img.Lee(""));
    EXPECT_FALSE(img.Lee(nullptr));
    EXPECT_FALSE(TDibIGformat::Lee_Cabecera_File((dir / "nothing.png").c_str(), &w, &h));
}

TEST(DibFormat, HeaderSizesForSmallImageTest)
{
    // Lee_Cabecera_File tells small images (below 65 x 65) from large ones.
    TDibIG d;
    ASSERT_TRUE(d.Crea(64, 65, 16));
    Bytes png, cbmp;
    ASSERT_TRUE(TDibIGformat::EncodePng(d, png));
    ASSERT_TRUE(TDibIGformat::EncodeCbmp(d, cbmp));
    Bytes jpg = MakeJpeg(64, 65, JpegKind::Rgb, [](int, int) { return TColorIG(); });
    for (const Bytes* data : {&png, &cbmp, &jpg}) {
        int w = 0, h = 0;
        ASSERT_TRUE(TDibIGformat::LeeCabeceraMem(data->data(), data->size(), &w, &h));
        EXPECT_EQ(w, 64);
        EXPECT_EQ(h, 65);
    }
}

TEST(DibFormat, TruncatedFilesAreRefusedAndLeaveTheBitmap)
{
    std::vector<Bytes> files;
    for (const char* f : {"pattern_rgba8.png", "pattern_palette_trns.png", "interlaced_rgba8.png",
                          "pattern_24.bmp", "pattern_8_topdown.bmp", "pattern.cbmp"})
        files.push_back(ReadFile(testpaths::Fixture(std::string("images/") + f)));
    files.push_back(MakeJpeg(16, 16, JpegKind::Rgb, [](int x, int y) { return TColorIG(x * 16, y * 16, 0); }));
    files.push_back(MakeJpeg(16, 16, JpegKind::RgbProgressive, [](int x, int) { return TColorIG(x * 16, 0, 0); }));
    TDibIGformat img;
    ASSERT_TRUE(img.Crea(2, 3, 24));
    for (const Bytes& data : files) {
        ASSERT_FALSE(data.empty());
        TDibIGformat whole;
        ASSERT_TRUE(whole.LeeMem(data.data(), data.size()));
        for (size_t n = 0; n < data.size(); ++n) {
            uint64_t version = img.Version();
            ASSERT_FALSE(img.LeeMem(data.data(), n)) << "prefix " << n << " of " << data.size();
            ASSERT_EQ(img.Version(), version);
            ASSERT_EQ(img.Width(), 2);
            ASSERT_EQ(img.Bpp(), 24);
        }
        int w, h;
        EXPECT_FALSE(TDibIGformat::LeeCabeceraMem(data.data(), 10, &w, &h));
    }
}

// A CBMP file from parts, for the corrupt cases.
Bytes Cbmp(uint16_t version, uint16_t flags, uint32_t w, uint32_t h, const Bytes& raw, int packedDelta = 0)
{
    Bytes packed(compressBound(uLong(raw.size())));
    uLongf len = uLongf(packed.size());
    compress(packed.data(), &len, raw.data(), uLong(raw.size()));
    packed.resize(len);
    Bytes out{'C', 'B', 'M', 'P'};
    Put16(out, version);
    Put16(out, flags);
    Put32(out, w);
    Put32(out, h);
    Put32(out, uint32_t(int(packed.size()) + packedDelta));
    out.insert(out.end(), packed.begin(), packed.end());
    return out;
}

// A PNG with the given IHDR size and one IDAT (valid CRCs).
Bytes PngWithSize(uint32_t w, uint32_t h)
{
    auto chunk = [](Bytes& out, const char* type, const Bytes& data) {
        Bytes c(type, type + 4);
        c.insert(c.end(), data.begin(), data.end());
        for (int i = 3; i >= 0; --i)
            out.push_back(uint8_t(data.size() >> (8 * i)));
        out.insert(out.end(), c.begin(), c.end());
        uint32_t crc = uint32_t(crc32(0, c.data(), uInt(c.size())));
        for (int i = 3; i >= 0; --i)
            out.push_back(uint8_t(crc >> (8 * i)));
    };
    Bytes out{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Bytes ihdr;
    for (uint32_t v : {w, h})
        for (int i = 3; i >= 0; --i)
            ihdr.push_back(uint8_t(v >> (8 * i)));
    ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});
    chunk(out, "IHDR", ihdr);
    Bytes raw(64, 0);
    Bytes z(compressBound(uLong(raw.size())));
    uLongf len = uLongf(z.size());
    compress(z.data(), &len, raw.data(), uLong(raw.size()));
    z.resize(len);
    chunk(out, "IDAT", z);
    chunk(out, "IEND", {});
    return out;
}

TEST(DibFormat, CorruptAndHostileFilesAreRefused)
{
    const Bytes pix(4 * 3 * 3, 0x11);  // 4 x 3 pixels and alpha
    Bytes good = Cbmp(1, 1, 4, 3, pix);
    TDibIGformat probe;
    ASSERT_TRUE(probe.LeeMem(good.data(), good.size()));

    Bytes bmp = ReadFile(testpaths::Fixture("images/pattern_24.bmp"));
    auto patched = [](Bytes b, size_t at, std::initializer_list<uint8_t> bytes) {
        for (uint8_t v : bytes)
            b.at(at++) = v;
        return b;
    };
    Bytes jpg = MakeJpeg(8, 8, JpegKind::Rgb, [](int, int) { return TColorIG(); });
    size_t sof = 2;
    while (sof + 1 < jpg.size() && !(jpg[sof] == 0xFF && jpg[sof + 1] == 0xC0))
        ++sof;
    ASSERT_LT(sof + 9, jpg.size());

    struct Case {
        const char* what;
        Bytes data;
    } cases[] = {
        {"empty", {}},
        {"unknown magic", {'G', 'I', 'F', '8', '9', 'a', 0, 0}},
        {"cbmp version 2", Cbmp(2, 1, 4, 3, pix)},
        {"cbmp unknown flag", Cbmp(1, 1 | 8, 4, 3, pix)},
        {"cbmp width 0", Cbmp(1, 1, 0, 3, pix)},
        {"cbmp too wide", Cbmp(1, 1, TDibIG::MaxSide + 1, 3, pix)},
        {"cbmp too many pixels", Cbmp(1, 1, TDibIG::MaxSide, TDibIG::MaxSide, pix)},
        {"cbmp width 2^32-1", Cbmp(1, 1, 0xFFFFFFFF, 3, pix)},
        {"cbmp stream longer than the file", Cbmp(1, 1, 4, 3, pix, 1)},
        {"cbmp short stream", Cbmp(1, 1, 4, 3, Bytes(pix.begin(), pix.end() - 1))},
        {"cbmp data left over", Cbmp(1, 1, 4, 3, Bytes(pix.size() + 1, 0x11))},
        {"cbmp without alpha flag but alpha data", Cbmp(1, 0, 4, 3, pix)},
        {"cbmp garbage stream", patched(good, 22, {0xDE, 0xAD, 0xBE, 0xEF})},
        {"png 20000 wide", PngWithSize(20000, 1)},
        {"png zero high", PngWithSize(4, 0)},
        {"png bad crc", patched(ReadFile(testpaths::Fixture("images/pattern_rgb8.png")), 40, {0x00, 0x01})},
        {"bmp width 0", patched(bmp, 18, {0, 0, 0, 0})},
        {"bmp negative width", patched(bmp, 18, {0xFC, 0xFF, 0xFF, 0xFF})},
        {"bmp height INT_MIN", patched(bmp, 22, {0, 0, 0, 0x80})},
        {"bmp huge height", patched(bmp, 22, {0, 0, 0, 0x10})},
        {"bmp 7 bpp", patched(bmp, 28, {7, 0})},
        {"bmp RLE8", patched(patched(bmp, 28, {8, 0}), 30, {1})},
        {"bmp pixels past the end", patched(bmp, 10, {0xFF, 0xFF, 0, 0})},
        {"bmp header size past the end", patched(bmp, 14, {0xFF, 0xFF, 0, 0})},
        {"bmp header size 39", patched(bmp, 14, {39, 0, 0, 0})},
        {"jpeg 0 wide", patched(jpg, sof + 7, {0, 0})},
        {"jpeg 20000 high", patched(jpg, sof + 5, {0x4E, 0x20})},
    };
    for (const Case& c : cases) {
        TDibIGformat img;
        EXPECT_FALSE(img.LeeMem(c.data.data(), c.data.size())) << c.what;
        EXPECT_TRUE(img.IsEmpty()) << c.what;
    }
    TDibIGformat img;
    EXPECT_FALSE(img.LeeMem(nullptr, 100));
}

TEST(DibFormat, DetectByContentNotName)
{
    testpaths::TempDir dir;
    WriteFile(dir / "really_a_bmp.png", ReadFile(testpaths::Fixture("images/pattern_24.bmp")));
    TDibIGformat img;
    EXPECT_TRUE(img.Lee((dir / "really_a_bmp.png").c_str()));
    EXPECT_EQ(img.Width(), PW);
}

// The golden helper of tests/support, against a throw-away source tree (the
// two environment variables it reads are saved and restored).
class GoldenImageTest : public ::testing::Test {
protected:
    struct SavedEnv {
        const char* name;
        bool had = false;
        std::string value;
        void Save()
        {
            const char* v = std::getenv(name);
            had = v != nullptr;
            value = v ? v : "";
        }
        void Restore() const
        {
            if (had)
                setenv(name, value.c_str(), 1);
            else
                unsetenv(name);
        }
    };

    void SetUp() override
    {
        source_.Save();
        update_.Save();
        setenv("ORBETA_SOURCE_DIR", tree_.path().c_str(), 1);
        unsetenv("ORBETA_UPDATE_GOLDEN");
    }
    void TearDown() override
    {
        source_.Restore();
        update_.Restore();
    }

    testpaths::TempDir tree_;
    SavedEnv source_{"ORBETA_SOURCE_DIR"};
    SavedEnv update_{"ORBETA_UPDATE_GOLDEN"};
};

TEST_F(GoldenImageTest, WritesComparesAndReportsDifferences)
{
    TDibIG img;
    MakeSample(img, 10, 6, false);
    EXPECT_FALSE(golden::Matches(img, "unit/sample"));  // no golden yet
    setenv("ORBETA_UPDATE_GOLDEN", "1", 1);
    EXPECT_TRUE(golden::Matches(img, "unit/sample"));
    unsetenv("ORBETA_UPDATE_GOLDEN");
    EXPECT_TRUE(golden::Matches(img, "unit/sample"));

    // A small change within the tolerance passes; a larger one fails and
    // leaves the actual image for inspection.
    uint16_t* p = reinterpret_cast<uint16_t*>(img.Row(2));
    img.AlphaRow(2)[3] = uint8_t(img.AlphaRow(2)[3] ^ 1);
    EXPECT_TRUE(golden::Matches(img, "unit/sample", 2));
    p[3] = uint16_t(p[3] ^ 0xF800);
    img.AlphaRow(2)[3] = 0;
    std::remove(golden::ActualPath("unit/sample").c_str());
    ::testing::AssertionResult r = golden::Matches(img, "unit/sample", 2);
    EXPECT_FALSE(r);
    EXPECT_NE(std::string(r.message()).find("1 pixels differ"), std::string::npos) << r.message();
    EXPECT_TRUE(golden::Matches(img, "unit/sample", 2, 1));
    TDibIGformat actual;
    EXPECT_TRUE(actual.Lee(golden::ActualPath("unit/sample").c_str()));
    std::remove(golden::ActualPath("unit/sample").c_str());

    TDibIG other;
    MakeSample(other, 9, 6, false);
    EXPECT_FALSE(golden::Matches(other, "unit/sample"));
    std::remove(golden::ActualPath("unit/sample").c_str());
}

} // namespace
