#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <memory>
#include <vector>

#include "enginelib/draw/TDibIG.h"
#include "uiengine/fonts/TPDAUIEngineImageFilter.h"

// Every expected value in this file was worked out by hand from the channel
// rules: r8 = (p & 0xF800) >> 8, g8 = (p & 0x07E0) >> 3, b8 = (p & 0x1F) * 8,
// packed back as (r >> 3) << 11 | (g >> 2) << 5 | (b >> 3).

namespace {

// The sample image, 3 x 2, row padding of one pixel (3 * 2 bytes -> 8).
//   P0 (248,252,248) 0xFFFF   P1 (0,0,0) 0x0000        P2 (200,100,48) 0xCB26
//   P3 (248,0,0)     0xF800   P4 (0,252,0) 0x07E0      P5 (64,128,192) 0x4418
const uint16_t kPixels[6] = {0xFFFF, 0x0000, 0xCB26, 0xF800, 0x07E0, 0x4418};
const uint8_t kAlpha[6] = {0, 255, 100, 50, 200, 10};
const uint16_t kPadPixel = 0x1234;
const uint8_t kPadAlpha = 77;

std::unique_ptr<TDibIG> MakeSample(bool withAlpha = true, bool bottomUp = false)
{
    auto dib = std::make_unique<TDibIG>();
    EXPECT_TRUE(dib->Crea(3, 2, 16, withAlpha, bottomUp));
    for (int y = 0; y < 2; ++y) {
        auto* row = reinterpret_cast<uint16_t*>(dib->Row(y));
        for (int x = 0; x < 3; ++x)
            row[x] = kPixels[y * 3 + x];
        row[3] = kPadPixel;
        if (withAlpha) {
            uint8_t* arow = dib->AlphaRow(y);
            for (int x = 0; x < 3; ++x)
                arow[x] = kAlpha[y * 3 + x];
            arow[3] = kPadAlpha;
        }
    }
    return dib;
}

std::vector<uint16_t> PixelsOf(TDibIG& dib)
{
    std::vector<uint16_t> out;
    for (int y = 0; y < dib.AbsHeight(); ++y)
        for (int x = 0; x < dib.Width(); ++x)
            out.push_back(reinterpret_cast<uint16_t*>(dib.Row(y))[x]);
    return out;
}

std::vector<int> AlphaOf(TDibIG& dib)
{
    std::vector<int> out;
    for (int y = 0; y < dib.AbsHeight(); ++y)
        for (int x = 0; x < dib.Width(); ++x)
            out.push_back(dib.AlphaRow(y)[x]);
    return out;
}

const std::vector<int> kAlphaKept(kAlpha, kAlpha + 6);
const std::vector<uint16_t> kPixelsKept(kPixels, kPixels + 6);

struct GoldenCase {
    const char* name;
    std::shared_ptr<TPDAUIEngineImageFilter> filter;
    std::vector<uint16_t> pixels;
    std::vector<int> alpha;
};

class ImageFilterGolden : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(ImageFilterGolden, SampleImage)
{
    const GoldenCase& c = GetParam();
    auto dib = MakeSample();
    c.filter->Apply(dib.get());
    EXPECT_EQ(PixelsOf(*dib), c.pixels);
    EXPECT_EQ(AlphaOf(*dib), c.alpha);
    EXPECT_EQ(dib->Bpp(), 16);
}

template <class T, class... A>
std::shared_ptr<TPDAUIEngineImageFilter> F(A... args)
{
    return std::make_shared<T>(args...);
}

INSTANTIATE_TEST_SUITE_P(
    AllFilters, ImageFilterGolden,
    ::testing::Values(
        // alpha a -> 255 - (255 - a) * 40 / 100
        GoldenCase{"Opacity40", F<TPDAUIEngineImageFilterOpacity>(40), kPixelsKept,
                   {153, 255, 193, 173, 233, 157}},
        GoldenCase{"Opacity100", F<TPDAUIEngineImageFilterOpacity>(100), kPixelsKept, kAlphaKept},
        GoldenCase{"Opacity0", F<TPDAUIEngineImageFilterOpacity>(0), kPixelsKept,
                   {255, 255, 255, 255, 255, 255}},
        // B = floor(-13.97) = -14, K = 0.5: x -> floor((x - 141) / 2) + 127
        GoldenCase{"BrightnessContrastDarkFlat",
                   F<TPDAUIEngineImageFilterBrightnessContrast>(-11, -50),
                   {0xB5B6, 0x39C7, 0x9B4A, 0xB1C7, 0x3DA7, 0x5BD3}, kAlphaKept},
        GoldenCase{"BrightnessContrastIdentity",
                   F<TPDAUIEngineImageFilterBrightnessContrast>(0, 0), kPixelsKept, kAlphaKept},
        // K = 0: every channel 127
        GoldenCase{"ContrastMinus100", F<TPDAUIEngineImageFilterBrightnessContrast>(0, -100),
                   {0x7BEF, 0x7BEF, 0x7BEF, 0x7BEF, 0x7BEF, 0x7BEF}, kAlphaKept},
        // B = 127: x -> x + 127, clamped
        GoldenCase{"Brightness100", F<TPDAUIEngineImageFilterBrightnessContrast>(100, 0),
                   {0xFFFF, 0x7BEF, 0xFF15, 0xFBEF, 0x7FEF, 0xBFFF}, kAlphaKept},
        // B = -127: x -> x - 127, clamped
        GoldenCase{"BrightnessMinus100", F<TPDAUIEngineImageFilterBrightnessContrast>(-100, 0),
                   {0x7BEF, 0x0000, 0x4800, 0x7800, 0x03E0, 0x0008}, kAlphaKept},
        // K = 8: x -> (x - 127) * 8 + 127, clamped
        GoldenCase{"Contrast100", F<TPDAUIEngineImageFilterBrightnessContrast>(0, 100),
                   {0xFFFF, 0x0000, 0xF800, 0xF800, 0x07E0, 0x043F}, kAlphaKept},
        GoldenCase{"Grayscale", F<TPDAUIEngineImageFilterGrayscale>(),
                   {0xFFDF, 0x0000, 0x73AE, 0x528A, 0x52AA, 0x8410}, kAlphaKept},
        GoldenCase{"Invert", F<TPDAUIEngineImageFilterInvert>(),
                   {0x0000, 0xFFFF, 0x34D9, 0x07FF, 0xF81F, 0xBBE7}, kAlphaKept},
        GoldenCase{"ColorizeRed", F<TPDAUIEngineImageFilterColorizeRed>(),
                   {0xF800, 0x0000, 0x7000, 0x5000, 0x5000, 0x8000}, kAlphaKept},
        GoldenCase{"FlipH", F<TPDAUIEngineImageFilterFlipH>(),
                   {0xCB26, 0x0000, 0xFFFF, 0x4418, 0x07E0, 0xF800}, {100, 255, 0, 10, 200, 50}},
        // Hs = 85, Ss = 128, lightness kept (l = 250, 0, 124, 124, 126, 128)
        GoldenCase{"HslGreen", F<TPDAUIEngineImageFilterHSL>(120, 50, 0),
                   {0xFFFE, 0x0000, 0x45C7, 0x45C7, 0x45E7, 0x4608}, kAlphaKept},
        // saturation 0, lightness +32: greys at l + 32 (capped at 256)
        GoldenCase{"HslGreysLighter", F<TPDAUIEngineImageFilterHSL>(0, 0, 25),
                   {0xFFFF, 0x2104, 0x9CF3, 0x9CF3, 0x9CF3, 0xA514}, kAlphaKept},
        // lightness -64
        GoldenCase{"HslGreysDarker", F<TPDAUIEngineImageFilterHSL>(0, 0, -50),
                   {0xBDD7, 0x0000, 0x39E7, 0x39E7, 0x39E7, 0x4208}, kAlphaKept},
        GoldenCase{"FillKeepAlpha", F<TPDAUIEngineImageFilterFill>(255, 0, 0, -1),
                   {0xF800, 0xF800, 0xF800, 0xF800, 0xF800, 0xF800}, kAlphaKept},
        GoldenCase{"FillOpaque255", F<TPDAUIEngineImageFilterFill>(255, 0, 0, 255),
                   {0xF800, 0xF800, 0xF800, 0xF800, 0xF800, 0xF800}, kAlphaKept},
        GoldenCase{"FillInvisible", F<TPDAUIEngineImageFilterFill>(0, 0, 0, 0),
                   {0, 0, 0, 0, 0, 0}, {255, 255, 255, 255, 255, 255}},
        // P = 128 * 100 / 255 = 50
        GoldenCase{"FillHalf", F<TPDAUIEngineImageFilterFill>(0, 128, 255, 128),
                   {0x041F, 0x041F, 0x041F, 0x041F, 0x041F, 0x041F},
                   {128, 255, 178, 153, 228, 133}}),
    [](const ::testing::TestParamInfo<GoldenCase>& info) { return info.param.name; });

TEST(ImageFilter, ConstructorClampsOpacityAndBrightnessContrastOnly)
{
    EXPECT_EQ(TPDAUIEngineImageFilterOpacity(150).percent, 100);
    EXPECT_EQ(TPDAUIEngineImageFilterOpacity(-5).percent, 0);
    EXPECT_EQ(TPDAUIEngineImageFilterOpacity(37).percent, 37);
    TPDAUIEngineImageFilterBrightnessContrast bc(250, -300);
    EXPECT_EQ(bc.brightness, 100);
    EXPECT_EQ(bc.contrast, -100);
    TPDAUIEngineImageFilterHSL hsl(400, -20, 900);
    EXPECT_EQ(hsl.hue, 400);
    EXPECT_EQ(hsl.saturation, -20);
    EXPECT_EQ(hsl.lightness, 900);
    TPDAUIEngineImageFilterFill fill(300, -1, 7, 999);
    EXPECT_EQ(fill.red, 300);
    EXPECT_EQ(fill.green, -1);
    EXPECT_EQ(fill.opacity, 999);
}

TEST(ImageFilter, FlipHLeavesRowPaddingAndWorksBottomUp)
{
    for (bool bottomUp : {false, true}) {
        auto dib = MakeSample(true, bottomUp);
        TPDAUIEngineImageFilterFlipH().Apply(dib.get());
        EXPECT_EQ(PixelsOf(*dib), (std::vector<uint16_t>{0xCB26, 0x0000, 0xFFFF, 0x4418, 0x07E0, 0xF800}));
        EXPECT_EQ(AlphaOf(*dib), (std::vector<int>{100, 255, 0, 10, 200, 50}));
        for (int y = 0; y < 2; ++y) {
            EXPECT_EQ(reinterpret_cast<uint16_t*>(dib->Row(y))[3], kPadPixel);
            EXPECT_EQ(dib->AlphaRow(y)[3], kPadAlpha);
        }
    }
}

TEST(ImageFilter, FlipHOfOnePixelWideAndEvenWidth)
{
    TDibIG narrow;
    ASSERT_TRUE(narrow.Crea(1, 3, 16, true));
    for (int y = 0; y < 3; ++y) {
        reinterpret_cast<uint16_t*>(narrow.Row(y))[0] = uint16_t(0x1000 + y);
        narrow.AlphaRow(y)[0] = uint8_t(10 * y);
    }
    TPDAUIEngineImageFilterFlipH().Apply(&narrow);
    for (int y = 0; y < 3; ++y) {
        EXPECT_EQ(reinterpret_cast<uint16_t*>(narrow.Row(y))[0], 0x1000 + y);
        EXPECT_EQ(narrow.AlphaRow(y)[0], 10 * y);
    }

    TDibIG wide;
    ASSERT_TRUE(wide.Crea(4, 1, 16, false));
    auto* row = reinterpret_cast<uint16_t*>(wide.Row(0));
    for (int x = 0; x < 4; ++x)
        row[x] = uint16_t(x + 1);
    TPDAUIEngineImageFilterFlipH().Apply(&wide);
    EXPECT_EQ(PixelsOf(wide), (std::vector<uint16_t>{4, 3, 2, 1}));
    EXPECT_EQ(wide.Alpha(), nullptr);
}

TEST(ImageFilter, HueOutsideTheWheelGivesGreys)
{
    // P2 has lightness 124. From 360 on: sector 6 or more, grey (124,124,124).
    for (int hue : {360, 1000, INT_MAX}) {
        auto dib = MakeSample();
        TPDAUIEngineImageFilterHSL(hue, 50, 0).Apply(dib.get());
        EXPECT_EQ(PixelsOf(*dib)[2], 0x7BEF) << hue;
    }
    // Negative: no sector applies and the channels keep m1. Saturation 128:
    // m2 = 384 * 124 >> 8 = 186, m1 = 62 -> (62,62,62).
    for (int hue : {-2, -30, INT_MIN}) {
        auto dib = MakeSample();
        TPDAUIEngineImageFilterHSL(hue, 50, 0).Apply(dib.get());
        EXPECT_EQ(PixelsOf(*dib)[2], 0x39E7) << hue;
    }
}

TEST(ImageFilter, ExtremeParametersStayInRange)
{
    // Unchecked theme numbers must neither overflow nor spill into other channels.
    const int extremes[] = {INT_MIN, -1000, -1, 0, 1, 255, 256, 1000, INT_MAX};
    for (int a : extremes)
        for (int b : extremes) {
            auto dib = MakeSample();
            TPDAUIEngineImageFilterHSL(180, a, b).Apply(dib.get());
            TPDAUIEngineImageFilterFill(a, b, a, b).Apply(dib.get());
        }
    auto dib = MakeSample();
    TPDAUIEngineImageFilterFill(300, -20, 1000, INT_MAX).Apply(dib.get());
    // channels clamped to (255, 0, 255); a huge opacity makes every pixel that
    // is not fully transparent opaque
    EXPECT_EQ(PixelsOf(*dib), std::vector<uint16_t>(6, 0xF81F));
    EXPECT_EQ(AlphaOf(*dib), (std::vector<int>{0, 255, 0, 0, 0, 0}));
    TPDAUIEngineImageFilterFill(0, 0, 0, -7).Apply(dib.get());
    EXPECT_EQ(AlphaOf(*dib), std::vector<int>(6, 255));
}

TEST(ImageFilter, AlphaFiltersMakeTheMissingPlane)
{
    auto dib = MakeSample(false);
    TPDAUIEngineImageFilterOpacity(40).Apply(dib.get());
    ASSERT_NE(dib->Alpha(), nullptr);
    EXPECT_EQ(AlphaOf(*dib), std::vector<int>(6, 153));

    auto kept = MakeSample(false);
    TPDAUIEngineImageFilterFill(1, 2, 3, -1).Apply(kept.get());
    EXPECT_EQ(kept->Alpha(), nullptr);
}

TEST(ImageFilter, NullAndOtherDepthsAreIgnored)
{
    std::vector<std::shared_ptr<TPDAUIEngineImageFilter>> all = {
        F<TPDAUIEngineImageFilterOpacity>(10),
        F<TPDAUIEngineImageFilterBrightnessContrast>(10, 10),
        F<TPDAUIEngineImageFilterGrayscale>(),
        F<TPDAUIEngineImageFilterFlipH>(),
        F<TPDAUIEngineImageFilterInvert>(),
        F<TPDAUIEngineImageFilterHSL>(10, 10, 10),
        F<TPDAUIEngineImageFilterFill>(1, 2, 3, 4),
        F<TPDAUIEngineImageFilterColorizeRed>(),
    };
    TDibIG rgb, empty;
    ASSERT_TRUE(rgb.Crea(2, 2, 24));
    rgb.Fill(TColorIG(10, 20, 30));
    for (auto& f : all) {
        f->Apply(nullptr);
        f->Apply(&empty);
        f->Apply(&rgb);
        EXPECT_EQ(rgb.Bpp(), 24);
        EXPECT_EQ(rgb.GetPixel(1, 1), TColorIG(10, 20, 30));
    }
}

TEST(ImageFilter, PrepareConvertsAndUnpremultipliesFinishPremultiplies)
{
    EXPECT_EQ(TPDAUIEngineImageFilter::PrepareDib(nullptr), nullptr);
    TPDAUIEngineImageFilter::FinishDib(nullptr);

    TDibIG dib;
    ASSERT_TRUE(dib.Crea(2, 1, 32, true));
    dib.Fill(TColorIG(200, 100, 48));
    dib.Set_PreMultiplied(0);
    ASSERT_TRUE(dib.IsPreMultiplied());
    EXPECT_EQ(TPDAUIEngineImageFilter::PrepareDib(&dib), &dib);
    EXPECT_EQ(dib.Bpp(), 16);
    EXPECT_NE(dib.Alpha(), nullptr);
    EXPECT_FALSE(dib.IsPreMultiplied());

    TPDAUIEngineImageFilterColorizeRed().Apply(&dib);
    EXPECT_EQ(PixelsOf(dib), (std::vector<uint16_t>{0x7000, 0x7000}));
    TPDAUIEngineImageFilter::FinishDib(&dib);
    EXPECT_TRUE(dib.IsPreMultiplied());

    // A 16-bit bitmap is not converted: it keeps having no alpha plane.
    auto plain = MakeSample(false);
    TPDAUIEngineImageFilter::PrepareDib(plain.get());
    EXPECT_EQ(plain->Alpha(), nullptr);
}

TEST(ImageFilter, ApplyChangesTheBitmapVersion)
{
    auto dib = MakeSample();
    uint64_t before = dib->Version();
    TPDAUIEngineImageFilterInvert().Apply(dib.get());
    EXPECT_NE(dib->Version(), before);
}

struct HslCase {
    int r, g, b;
    int h, s, l;
};

TEST(ImageFilterHsl, RgbToHslTable)
{
    const HslCase cases[] = {
        {255, 0, 0, 256, 256, 127},   // red: (1280 + 256) / 6
        {0, 255, 0, 85, 256, 127},    // (256 + 256) / 6
        {0, 0, 255, 170, 256, 127},   // (768 + 256) / 6
        {200, 100, 48, 14, 156, 124}, // (256 - 168) / 6
        {64, 128, 192, 149, 128, 128},
        {255, 128, 255, 213, 252, 191}, // lightness above 128
        {255, 255, 255, 0, 0, 255},
        {1, 0, 0, 0, 0, 0},             // lightness 0
        {90, 90, 90, 0, 0, 90},
    };
    for (const HslCase& c : cases) {
        int h = -1, s = -1, l = -1;
        TPDAUIEngineImageFilter::RgbToHsl(TColorIG(c.r, c.g, c.b), h, s, l);
        EXPECT_EQ(h, c.h) << c.r << "," << c.g << "," << c.b;
        EXPECT_EQ(s, c.s) << c.r << "," << c.g << "," << c.b;
        EXPECT_EQ(l, c.l) << c.r << "," << c.g << "," << c.b;
    }
}

TEST(ImageFilterHsl, HslToRgbTable)
{
    const HslCase cases[] = {
        {255, 0, 0, 0, 256, 128},     // r = 256, clamped
        {2, 254, 0, 85, 256, 127},    // sector 1, f = 252
        {209, 172, 228, 200, 128, 200}, // sector 4, lightness above 128
        {66, 192, 64, 85, 128, 128},
        {100, 100, 100, 256, 200, 100}, // sector 6: grey
        {0, 0, 0, 30, 200, 0},          // m2 = 0
        {50, 50, 50, -10, 128, 100},    // sector -1: m1 = 200 - 150
        {255, 255, 255, 0, 0, 256},     // grey 256, clamped
        // extremes neither overflow nor leave 0..255
        {0, 255, 0, 100, INT_MIN, INT_MAX},   // sector 2: g = m2 huge, r = m1 < 0, b < 0
        {0, 0, 0, INT_MIN, INT_MAX, INT_MIN}, // m2 < 0: grey at l, clamped
        {100, 100, 100, 100, INT_MIN, 100},   // m2 < 0: grey at l
    };
    for (const HslCase& c : cases) {
        TColorIG got = TPDAUIEngineImageFilter::HslToRgb(c.h, c.s, c.l);
        EXPECT_EQ(got, TColorIG(c.r, c.g, c.b)) << c.h << "," << c.s << "," << c.l;
    }
}

} // namespace
