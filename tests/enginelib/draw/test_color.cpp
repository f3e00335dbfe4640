#include <gtest/gtest.h>

#include "enginelib/draw/TColorIG.h"

namespace {

struct DecodeCase {
    const char* text;
    uint32_t color;
    int alpha;
};

class ColorDecodeGood : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(ColorDecodeGood, GivesColourAndOpacity)
{
    const DecodeCase& c = GetParam();
    TColorIG colour(0x123456);
    int alpha = -1;
    ASSERT_TRUE(colour.DecodeFromString(c.text, &alpha)) << c.text;
    EXPECT_EQ(uint32_t(colour), c.color) << c.text;
    EXPECT_EQ(alpha, c.alpha) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ColorDecodeGood,
    ::testing::Values(DecodeCase{"#FF0000", 0x0000FF, 255},      // red in the lowest byte
                      DecodeCase{"#00ff00", 0x00FF00, 255},
                      DecodeCase{"#0000FF", 0xFF0000, 255},
                      DecodeCase{"#102030", 0x302010, 255},
                      DecodeCase{"#10203080", 0x302010, 0x80},   // AA is the opacity
                      DecodeCase{"#FFFFFF00", 0xFFFFFF, 0},
                      DecodeCase{"#F80", 0x0088FF, 255},         // digits doubled
                      DecodeCase{"#F808", 0x0088FF, 0x88},
                      DecodeCase{"  #abcdef \t", 0xEFCDAB, 255},
                      DecodeCase{"10,20,30", 0x1E140A, 255},
                      DecodeCase{" 10 , 20 ,30 , 40 ", 0x1E140A, 40},
                      DecodeCase{"255,255,255,0", 0xFFFFFF, 0},
                      DecodeCase{"0,0,0", 0x000000, 255}));

TEST(ColorDecode, BadTextLeavesColourAndAlphaUnchanged)
{
    const char* bad[] = {"",      "#",         "#12",        "#12345",   "#1234567", "#123456789",
                         "#GG0000", "# 102030", "red",       "256,0,0",  "1,2",      "1,2,3,4,5",
                         "1,,2,3", "1,2,3,",   "-1,2,3",     "1 2 3",    "#10 2030", "0x102030"};
    for (const char* text : bad) {
        TColorIG colour(0x123456);
        int alpha = 77;
        EXPECT_FALSE(colour.DecodeFromString(text, &alpha)) << text;
        EXPECT_EQ(uint32_t(colour), 0x123456u) << text;
        EXPECT_EQ(alpha, 77) << text;
    }
    TColorIG colour(5);
    EXPECT_FALSE(colour.DecodeFromString(nullptr));
    EXPECT_EQ(uint32_t(colour), 5u);
}

TEST(ColorDecode, AlphaIsOptional)
{
    TColorIG colour;
    EXPECT_TRUE(colour.DecodeFromString("#01020304"));
    EXPECT_EQ(uint32_t(colour), 0x030201u);
}

TEST(Color, ChannelsAndNegative)
{
    TColorIG c(10, 20, 30);
    EXPECT_EQ(uint32_t(c), 0x1E140Au);
    EXPECT_EQ(c.R(), 10);
    EXPECT_EQ(c.G(), 20);
    EXPECT_EQ(c.B(), 30);
    TColorIG n = c.Negative();
    EXPECT_EQ(n.R(), 245);
    EXPECT_EQ(n.G(), 235);
    EXPECT_EQ(n.B(), 225);
    EXPECT_EQ(uint32_t(n) >> 24, 0u);
    EXPECT_EQ(uint32_t(TColoresIG::F_White.Negative()), uint32_t(TColoresIG::F_Black));
    EXPECT_EQ(uint32_t(n.Negative()), uint32_t(c));
}

TEST(Color, Rgb565PackingMatchesFilterConvention)
{
    // Packing (r >> 3) << 11 | (g >> 2) << 5 | (b >> 3), for every channel value.
    for (int v = 0; v < 256; ++v) {
        EXPECT_EQ(TColorIG::PackRGB565(v, 0, 0), (v >> 3) << 11);
        EXPECT_EQ(TColorIG::PackRGB565(0, v, 0), (v >> 2) << 5);
        EXPECT_EQ(TColorIG::PackRGB565(0, 0, v), v >> 3);
    }
    EXPECT_EQ(TColorIG(200, 100, 50).ToRGB565(), TColorIG::PackRGB565(200, 100, 50));
}

TEST(Color, Rgb565RoundTripsEveryValue)
{
    for (int v = 0; v < 0x10000; ++v)
        ASSERT_EQ(TColorIG::FromRGB565(uint16_t(v)).ToRGB565(), v);
    EXPECT_EQ(uint32_t(TColorIG::FromRGB565(0xFFFF)), 0xFFFFFFu);
    EXPECT_EQ(uint32_t(TColorIG::FromRGB565(0)), 0u);
    EXPECT_EQ(uint32_t(TColorIG::FromRGB565(0xF800)), uint32_t(TColoresIG::F_LtRed));
}

TEST(Color, ArgbForPixman)
{
    TColorIG c(0x11, 0x22, 0x33);
    EXPECT_EQ(c.ToARGB(), 0xFF112233u);
    EXPECT_EQ(c.ToARGB(0x80), 0x80112233u);
    EXPECT_EQ(uint32_t(TColorIG::FromARGB(0x7F112233)), uint32_t(c));
}

TEST(Color, StockColours)
{
    EXPECT_EQ(uint32_t(TColoresIG::F_White), 0xFFFFFFu);
    EXPECT_EQ(uint32_t(TColoresIG::F_Black), 0u);
    EXPECT_EQ(uint32_t(TColoresIG::F_Magenta), 0xFF00FFu);
    EXPECT_EQ(uint32_t(TColoresIG::F_LtRed), 0x0000FFu);
    EXPECT_EQ(uint32_t(TColoresIG::F_Yellow), 0x00FFFFu);
    EXPECT_EQ(uint32_t(TColoresIG::F_Gray), 0x808080u);
    EXPECT_EQ(uint32_t(TColoresIG::F_LtGray), 0xC0C0C0u);
    EXPECT_EQ(uint32_t(TColoresIG::F_LtBlue), 0xFF0000u);
    const TColorIG all[] = {TColoresIG::F_Black,  TColoresIG::F_Blue,   TColoresIG::F_Green,
                            TColoresIG::F_Cyan,   TColoresIG::F_Red,    TColoresIG::F_Purple,
                            TColoresIG::F_Brown,  TColoresIG::F_LtGray, TColoresIG::F_Gray,
                            TColoresIG::F_DkGray, TColoresIG::F_LtBlue, TColoresIG::F_LtGreen,
                            TColoresIG::F_LtCyan, TColoresIG::F_LtRed,  TColoresIG::F_Magenta,
                            TColoresIG::F_Yellow, TColoresIG::F_White};
    for (size_t i = 0; i < std::size(all); ++i) {
        EXPECT_EQ(uint32_t(all[i]) >> 24, 0u);
        for (size_t j = i + 1; j < std::size(all); ++j)
            EXPECT_NE(uint32_t(all[i]), uint32_t(all[j])) << i << " " << j;
    }
}

} // namespace
