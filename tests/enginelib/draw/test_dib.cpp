#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <set>

#include "enginelib/draw/TDibIG.h"

namespace {

// A colour that survives every depth unchanged (RGB565 and grey included).
TColorIG Exact(int v)
{
    v &= 0x1F;
    return TColorIG(TColorIG::Expand5(v), TColorIG::Expand6(v * 2), TColorIG::Expand5(v));
}

// A sample colour that the given depth keeps exactly (greys for 8 bits).
TColorIG Sample(int bpp, int i)
{
    if (bpp == 8)
        return TColorIG(i * 17 & 255, i * 17 & 255, i * 17 & 255);
    return Exact(i);
}

// Fills a bitmap with a pattern that tells every pixel apart.
TColorIG PatternAt(int x, int y)
{
    return TColorIG(TColorIG::Expand5((x * 3 + y) & 31), TColorIG::Expand6((y * 5 + x) & 63),
                    TColorIG::Expand5((x + y * 7) & 31));
}

void FillPattern(TDibIG& d)
{
    for (int y = 0; y < d.AbsHeight(); ++y)
        for (int x = 0; x < d.Width(); ++x)
            d.SetPixel(x, y, PatternAt(x, y));
    if (d.Alpha())
        for (int y = 0; y < d.AbsHeight(); ++y)
            for (int x = 0; x < d.Width(); ++x)
                d.AlphaRow(y)[x] = uint8_t(x * 40 + y);
}

TEST(Dib, CreaAcceptsTheFourDepths)
{
    struct Case {
        int w, h, bpp;
        bool alpha;
        int lineSize;
        bool hasAlpha;
    } cases[] = {
        {1, 1, 8, false, 4, false},   {5, 2, 8, false, 8, false},   {1, 3, 16, false, 4, false},
        {3, 3, 16, true, 8, true},    {3, 1, 24, false, 12, false}, {1, 1, 24, true, 4, false},
        {2, 2, 32, false, 8, false},  {2, 2, 32, true, 8, true},    {7, 1, 16, true, 16, true},
    };
    for (const Case& c : cases) {
        TDibIG d;
        ASSERT_TRUE(d.Crea(c.w, c.h, c.bpp, c.alpha)) << c.w << "x" << c.h << "@" << c.bpp;
        EXPECT_EQ(d.Width(), c.w);
        EXPECT_EQ(d.Height(), c.h);
        EXPECT_EQ(d.Bpp(), c.bpp);
        EXPECT_EQ(d.LineSizeBytes(), c.lineSize);
        EXPECT_EQ(d.BitsSize(), uint32_t(c.lineSize * c.h));
        EXPECT_EQ(d.Tiene_Alphas(), c.hasAlpha);
        EXPECT_FALSE(d.IsPreMultiplied());
        if (c.bpp == 16 && c.alpha) {
            // One alpha byte per pixel slot, padding included: walkers step both in tandem.
            EXPECT_EQ(d.AlphaLineSize(), c.lineSize / 2);
            EXPECT_EQ(d.AlphaSize(), d.BitsSize() / 2);
        } else {
            EXPECT_EQ(d.Alpha(), nullptr);
        }
        for (uint32_t i = 0; i < d.BitsSize(); ++i)
            ASSERT_EQ(d.Bits()[i], 0);
    }
}

TEST(Dib, CreaRefusesBadSizesAndDepths)
{
    struct Case {
        int w, h, bpp;
    } cases[] = {
        {0, 1, 16},  {1, 0, 16},  {-1, 5, 16}, {5, -1, 16},
        {TDibIG::MaxSide + 1, 1, 16}, {1, TDibIG::MaxSide + 1, 16},
        {TDibIG::MaxSide, TDibIG::MaxSide, 16},  // more pixels than allowed
        {4, 4, 1},   {4, 4, 15},  {4, 4, 0},   {4, 4, 64},
    };
    for (const Case& c : cases) {
        TDibIG d;
        ASSERT_TRUE(d.Crea(2, 2, 16));
        EXPECT_FALSE(d.Crea(c.w, c.h, c.bpp)) << c.w << "x" << c.h << "@" << c.bpp;
        EXPECT_TRUE(d.IsEmpty());
        EXPECT_EQ(d.Width(), 0);
        EXPECT_EQ(d.BitsSize(), 0u);
    }
    TDibIG big;
    EXPECT_TRUE(big.Crea(TDibIG::MaxSide, 16, 8));
}

TEST(Dib, RowOrderAndSignedHeight)
{
    TDibIG top, bottom;
    ASSERT_TRUE(top.Crea(3, 4, 16, true, false));
    ASSERT_TRUE(bottom.Crea(3, 4, 16, true, true));
    EXPECT_EQ(top.Height(), 4);
    EXPECT_EQ(bottom.Height(), -4);
    EXPECT_EQ(bottom.AbsHeight(), 4);
    EXPECT_TRUE(bottom.IsBottomUp());
    EXPECT_EQ(top.Row(0), top.Bits());
    EXPECT_EQ(bottom.Row(0), bottom.Bits() + 3 * bottom.LineSizeBytes());
    EXPECT_EQ(bottom.Row(3), bottom.Bits());
    EXPECT_EQ(bottom.Row(1) - bottom.Row(0), bottom.RowStep());
    EXPECT_EQ(top.Row(1) - top.Row(0), top.RowStep());
    EXPECT_EQ(bottom.AlphaRow(0), bottom.Alpha() + 3 * bottom.AlphaLineSize());
    EXPECT_EQ(top.Row(4), nullptr);
    EXPECT_EQ(top.Row(-1), nullptr);
    // Pixels are addressed visually whatever the order.
    bottom.SetPixel(1, 0, TColoresIG::F_White);
    EXPECT_EQ(reinterpret_cast<uint16_t*>(bottom.Bits() + 3 * bottom.LineSizeBytes())[1], 0xFFFF);
}

TEST(Dib, PixelsRoundTripInEveryDepth)
{
    for (int bpp : {8, 16, 24, 32}) {
        TDibIG d;
        ASSERT_TRUE(d.Crea(5, 3, bpp));
        for (int i = 0; i < 15; ++i)
            EXPECT_TRUE(d.SetPixel(i % 5, i / 5, Sample(bpp, i * 2)));
        for (int i = 0; i < 15; ++i)
            EXPECT_EQ(uint32_t(d.GetPixel(i % 5, i / 5)), uint32_t(Sample(bpp, i * 2))) << bpp;
        EXPECT_FALSE(d.SetPixel(5, 0, TColoresIG::F_White));
        EXPECT_FALSE(d.SetPixel(0, -1, TColoresIG::F_White));
        EXPECT_EQ(uint32_t(d.GetPixel(-1, 0)), 0u);
    }
    TDibIG d;
    ASSERT_TRUE(d.Crea(1, 1, 16));
    d.SetPixel(0, 0, TColorIG(200, 100, 50));
    EXPECT_EQ(reinterpret_cast<uint16_t*>(d.Bits())[0], TColorIG::PackRGB565(200, 100, 50));
    ASSERT_TRUE(d.Crea(1, 1, 24));
    d.SetPixel(0, 0, TColorIG(1, 2, 3));
    EXPECT_EQ(d.Bits()[0], 3);  // blue, green, red
    EXPECT_EQ(d.Bits()[2], 1);
}

TEST(Dib, AlphaInTheLibrarySense)
{
    TDibIG d16, d32;
    ASSERT_TRUE(d16.Crea(2, 1, 16, true));
    ASSERT_TRUE(d32.Crea(2, 1, 32, true));
    d16.AlphaRow(0)[1] = 200;
    d32.Row(0)[4 + 3] = 55;  // opacity 55
    d32.Row(0)[3] = 255;
    EXPECT_EQ(d16.GetAlpha(0, 0), 0);
    EXPECT_EQ(d16.GetAlpha(1, 0), 200);
    EXPECT_EQ(d32.GetAlpha(0, 0), 0);
    EXPECT_EQ(d32.GetAlpha(1, 0), 200);
    d16.Fill(TColoresIG::F_Yellow);
    EXPECT_EQ(d16.GetAlpha(1, 0), 0);
    EXPECT_EQ(uint32_t(d16.GetPixel(1, 0)), uint32_t(TColoresIG::F_Yellow));
}

TEST(Dib, VersionChangesWithEveryChange)
{
    TDibIG a, b;
    EXPECT_NE(a.Version(), b.Version());
    std::set<uint64_t> seen{a.Version(), b.Version()};
    auto changed = [&](const char* what) {
        EXPECT_TRUE(seen.insert(a.Version()).second) << what;
    };
    a.Crea(4, 4, 16, true);
    changed("Crea");
    a.SetPixel(0, 0, TColoresIG::F_White);
    changed("SetPixel");
    a.Fill(TColoresIG::F_Black);
    changed("Fill");
    { TGetTDibBits bits(&a); }
    changed("TGetTDibBits");
    a.Set_PreMultiplied(0);
    changed("Set_PreMultiplied");
    a.Cancel_PreMultiplied();
    changed("Cancel_PreMultiplied");
    b.Crea(2, 2, 24);
    a.Swap(b);
    changed("Swap");
    a.ConvertDIB_16xAlpha(0);
    changed("ConvertDIB_16xAlpha");
    a.Touch();
    changed("Touch");
    uint64_t v = a.Version();
    (void)a.GetPixel(0, 0);
    (void)a.Row(0);
    EXPECT_EQ(a.Version(), v);
}

TEST(Dib, SwapExchangesContentsKeepingObjects)
{
    TDibIG a, b;
    ASSERT_TRUE(a.Crea(3, 2, 16, true));
    ASSERT_TRUE(b.Crea(5, 7, 24, false, true));
    a.SetPixel(2, 1, TColoresIG::F_White);
    const uint8_t* aBits = a.Bits();
    a.Set_PreMultiplied(0);
    a.Swap(b);
    EXPECT_EQ(a.Width(), 5);
    EXPECT_EQ(a.Height(), -7);
    EXPECT_EQ(a.Bpp(), 24);
    EXPECT_FALSE(a.IsPreMultiplied());
    EXPECT_EQ(b.Bits(), aBits);
    EXPECT_EQ(b.Width(), 3);
    EXPECT_TRUE(b.Tiene_Alphas());
    EXPECT_TRUE(b.IsPreMultiplied());
    EXPECT_EQ(uint32_t(b.GetPixel(2, 1)), 0xFFFFFFu);
}

TEST(Dib, AsignaCopiesEverything)
{
    TDibIG src, dst;
    ASSERT_TRUE(src.Crea(6, 4, 16, true, true));
    FillPattern(src);
    src.Set_PreMultiplied(0);
    ASSERT_TRUE(dst.Crea(2, 2, 32));
    ASSERT_TRUE(dst.Asigna(src));
    EXPECT_EQ(dst.Width(), 6);
    EXPECT_EQ(dst.Height(), -4);
    EXPECT_EQ(dst.Bpp(), 16);
    EXPECT_TRUE(dst.IsPreMultiplied());
    EXPECT_NE(dst.Bits(), src.Bits());
    EXPECT_EQ(std::memcmp(dst.Bits(), src.Bits(), src.BitsSize()), 0);
    EXPECT_EQ(std::memcmp(dst.Alpha(), src.Alpha(), src.AlphaSize()), 0);
    src.SetPixel(0, 0, TColoresIG::F_Yellow);
    EXPECT_NE(uint32_t(dst.GetPixel(0, 0)), uint32_t(TColoresIG::F_Yellow));
    TDibIG empty;
    EXPECT_TRUE(dst.Asigna(empty));
    EXPECT_TRUE(dst.IsEmpty());
    EXPECT_TRUE(src.Asigna(src));
    EXPECT_EQ(src.Width(), 6);
}

struct CopyCase {
    TRectIG r;
    TRectIG inside;  // expected part, empty when none
};

class DibCopyRect : public ::testing::TestWithParam<CopyCase> {};

TEST_P(DibCopyRect, CopiesTheClippedPart)
{
    const CopyCase& c = GetParam();
    for (bool bottomUp : {false, true}) {
        for (int bpp : {8, 16, 24, 32}) {
            TDibIG src;
            ASSERT_TRUE(src.Crea(8, 6, bpp, true, bottomUp));
            FillPattern(src);
            std::unique_ptr<TDibIG> cell(src.CopyRect(c.r));
            if (c.inside.IsEmpty()) {
                EXPECT_EQ(cell, nullptr);
                continue;
            }
            ASSERT_NE(cell, nullptr) << bpp;
            EXPECT_EQ(cell->Bpp(), bpp);
            EXPECT_EQ(cell->IsBottomUp(), bottomUp);
            EXPECT_EQ(cell->Width(), c.inside.Width());
            EXPECT_EQ(cell->AbsHeight(), c.inside.Height());
            EXPECT_EQ(cell->Tiene_Alphas(), src.Tiene_Alphas());
            for (int y = 0; y < cell->AbsHeight(); ++y)
                for (int x = 0; x < cell->Width(); ++x) {
                    ASSERT_EQ(uint32_t(cell->GetPixel(x, y)),
                              uint32_t(src.GetPixel(x + c.inside.left, y + c.inside.top)));
                    ASSERT_EQ(cell->GetAlpha(x, y), src.GetAlpha(x + c.inside.left, y + c.inside.top));
                }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rects, DibCopyRect,
    ::testing::Values(CopyCase{{2, 1, 5, 4}, {2, 1, 5, 4}},
                      CopyCase{{0, 0, 8, 6}, {0, 0, 8, 6}},
                      CopyCase{{6, 4, 10, 9}, {6, 4, 8, 6}},       // past right and bottom
                      CopyCase{{-3, -2, 2, 1}, {0, 0, 2, 1}},      // before left and top
                      CopyCase{{8, 0, 16, 6}, {}},                 // the next cell of a short strip
                      CopyCase{{-5, 0, 0, 6}, {}},
                      CopyCase{{3, 3, 3, 5}, {}},                  // empty
                      CopyCase{{5, 5, 2, 2}, {}}));                // inverted

TEST(Dib, CopyRectOfEmptyBitmapIsNull)
{
    TDibIG d;
    EXPECT_EQ(d.CopyRect(TRectIG(0, 0, 1, 1)), nullptr);
}

TEST(Dib, ConvertTo24KeepsColours)
{
    for (int bpp : {8, 16, 32}) {
        TDibIG d;
        ASSERT_TRUE(d.Crea(4, 3, bpp, true, true));
        for (int i = 0; i < 12; ++i)
            d.SetPixel(i % 4, i / 4, Sample(bpp, i * 3));
        ASSERT_TRUE(d.ConvertDIB_24());
        EXPECT_EQ(d.Bpp(), 24);
        EXPECT_EQ(d.Height(), -3);
        EXPECT_FALSE(d.Tiene_Alphas());
        for (int i = 0; i < 12; ++i)
            EXPECT_EQ(uint32_t(d.GetPixel(i % 4, i / 4)), uint32_t(Sample(bpp, i * 3))) << bpp;
    }
}

TEST(Dib, ConvertTo16xAlpha)
{
    TDibIG d;
    ASSERT_TRUE(d.Crea(3, 1, 32, true));
    uint8_t* row = d.Row(0);
    const uint8_t opacity[3] = {255, 0, 100};
    for (int x = 0; x < 3; ++x) {
        row[4 * x] = 0xF8;      // blue
        row[4 * x + 1] = 0x80;  // green
        row[4 * x + 2] = 0x08;  // red
        row[4 * x + 3] = opacity[x];
    }
    ASSERT_TRUE(d.ConvertDIB_16xAlpha(0));
    EXPECT_EQ(d.Bpp(), 16);
    ASSERT_NE(d.Alpha(), nullptr);
    for (int x = 0; x < 3; ++x) {
        EXPECT_EQ(reinterpret_cast<uint16_t*>(d.Row(0))[x], TColorIG::PackRGB565(0x08, 0x80, 0xF8));
        EXPECT_EQ(d.AlphaRow(0)[x], 255 - opacity[x]);
    }

    // Without an alpha source the plane is made, all opaque.
    TDibIG rgb;
    ASSERT_TRUE(rgb.Crea(2, 2, 24));
    rgb.Fill(TColoresIG::F_Yellow);
    ASSERT_TRUE(rgb.ConvertDIB_16xAlpha(0));
    ASSERT_NE(rgb.Alpha(), nullptr);
    EXPECT_EQ(rgb.GetAlpha(1, 1), 0);
    EXPECT_EQ(uint32_t(rgb.GetPixel(1, 1)), uint32_t(TColoresIG::F_Yellow));

    TDibIG plain16;
    ASSERT_TRUE(plain16.Crea(2, 2, 16));
    ASSERT_TRUE(plain16.ConvertDIB_16xAlpha(0));
    EXPECT_NE(plain16.Alpha(), nullptr);

    TDibIG empty;
    EXPECT_FALSE(empty.ConvertDIB_16xAlpha(0));

    // The premultiplied state carries over from the 32-bit channel.
    TDibIG pm;
    ASSERT_TRUE(pm.Crea(1, 1, 32, true));
    pm.Set_PreMultiplied(0);
    ASSERT_TRUE(pm.ConvertDIB_16xAlpha(0));
    EXPECT_TRUE(pm.IsPreMultiplied());
}

TEST(Dib, ConvertToGreyForGlyphs)
{
    // A top-down 24-bit glyph bitmap, white with grey coverage, as fonts make it.
    TDibIG d;
    ASSERT_TRUE(d.Crea(4, 2, 24));
    d.Fill(TColoresIG::F_White);
    d.SetPixel(1, 1, TColorIG(55, 55, 55));
    d.SetPixel(2, 1, TColorIG(0, 0, 0));
    ASSERT_TRUE(d.ConvertDIB_Grises());
    EXPECT_EQ(d.Bpp(), 8);
    EXPECT_EQ(d.LineSizeBytes(), 4);
    EXPECT_EQ(d.Row(0)[0], 255);
    EXPECT_EQ(d.Row(1)[1], 55);
    EXPECT_EQ(d.Row(1)[2], 0);
    TDibIG c;
    ASSERT_TRUE(c.Crea(1, 1, 32));
    c.SetPixel(0, 0, TColorIG(255, 0, 0));
    ASSERT_TRUE(c.ConvertDIB_Grises());
    EXPECT_EQ(c.Row(0)[0], (77 * 255) >> 8);
}

TEST(Dib, PreMultiplyAndCancel)
{
    TDibIG d;
    ASSERT_TRUE(d.Crea(4, 1, 16, true));
    for (int x = 0; x < 4; ++x)
        d.SetPixel(x, 0, TColoresIG::F_White);
    const uint8_t alpha[4] = {0, 255, 128, 192};  // opaque, invisible, half, quarter
    std::memcpy(d.AlphaRow(0), alpha, 4);
    d.Set_PreMultiplied(0);
    EXPECT_TRUE(d.IsPreMultiplied());
    uint16_t* p = reinterpret_cast<uint16_t*>(d.Row(0));
    EXPECT_EQ(p[0], 0xFFFF);
    EXPECT_EQ(p[1], 0x0000);
    EXPECT_EQ(p[2], uint16_t((31 * 127 + 127) / 255 << 11 | (63 * 127 + 127) / 255 << 5 |
                             (31 * 127 + 127) / 255));
    uint16_t half = p[2];
    d.Set_PreMultiplied(0);  // already: no second multiplication
    EXPECT_EQ(p[2], half);
    d.Cancel_PreMultiplied();
    EXPECT_FALSE(d.IsPreMultiplied());
    EXPECT_EQ(p[0], 0xFFFF);
    EXPECT_EQ(p[1], 0x0000);  // nothing to recover from an invisible pixel
    // Back to white but for the bits lost to the multiplication.
    for (int x : {2, 3}) {
        EXPECT_GE(p[x] >> 11, 30) << x;
        EXPECT_GE((p[x] >> 5) & 63, 61) << x;
        EXPECT_GE(p[x] & 31, 30) << x;
    }
    uint16_t back = p[2];
    d.Cancel_PreMultiplied();  // clear: nothing
    EXPECT_EQ(p[2], back);

    TDibIG d32;
    ASSERT_TRUE(d32.Crea(1, 1, 32, true));
    d32.Row(0)[0] = 200;
    d32.Row(0)[3] = 51;
    d32.Set_PreMultiplied(0);
    EXPECT_EQ(d32.Row(0)[0], 40);
    d32.Cancel_PreMultiplied();
    EXPECT_EQ(d32.Row(0)[0], 200);
}

TEST(Dib, ReduceImageSizeMax)
{
    TDibIG d;
    ASSERT_TRUE(d.Crea(4000, 1000, 16, true));
    ASSERT_TRUE(d.ReduceImageSizeMax(2048, false));
    EXPECT_EQ(d.Width(), 2048);
    EXPECT_EQ(d.Height(), 512);
    EXPECT_TRUE(d.Tiene_Alphas());

    ASSERT_TRUE(d.Crea(10, 3000, 24, false, true));
    ASSERT_TRUE(d.ReduceImageSizeMax(2048, false));
    EXPECT_EQ(d.Width(), 7);
    EXPECT_EQ(d.Height(), -2048);

    ASSERT_TRUE(d.Crea(1, 5000, 8));
    ASSERT_TRUE(d.ReduceImageSizeMax(100, false));
    EXPECT_EQ(d.Width(), 1);  // never below one pixel
    EXPECT_EQ(d.Height(), 100);

    ASSERT_TRUE(d.Crea(30, 20, 16));
    uint64_t v = d.Version();
    EXPECT_TRUE(d.ReduceImageSizeMax(30, false));
    EXPECT_EQ(d.Width(), 30);
    EXPECT_EQ(d.Version(), v);
    EXPECT_FALSE(d.ReduceImageSizeMax(0, false));
    TDibIG empty;
    EXPECT_FALSE(empty.ReduceImageSizeMax(10, false));
}

TEST(Dib, ReduceSamplesNearestOrAverages)
{
    // 4 x 2 in 2 x 2 blocks: left block black/white columns, right block solid.
    TDibIG d;
    ASSERT_TRUE(d.Crea(4, 2, 24));
    for (int y = 0; y < 2; ++y) {
        d.SetPixel(0, y, TColorIG(0, 0, 0));
        d.SetPixel(1, y, TColorIG(200, 200, 200));
        d.SetPixel(2, y, TColorIG(10, 20, 30));
        d.SetPixel(3, y, TColorIG(10, 20, 30));
    }
    TDibIG near;
    near.Asigna(d);
    ASSERT_TRUE(near.ReduceImageSizeMax(2, false));
    ASSERT_EQ(near.Width(), 2);
    uint32_t first = near.GetPixel(0, 0);
    EXPECT_TRUE(first == 0u || first == uint32_t(TColorIG(200, 200, 200)));
    EXPECT_EQ(uint32_t(near.GetPixel(1, 0)), uint32_t(TColorIG(10, 20, 30)));
    ASSERT_TRUE(d.ReduceImageSizeMax(2, true));
    EXPECT_EQ(uint32_t(d.GetPixel(0, 0)), uint32_t(TColorIG(100, 100, 100)));
    EXPECT_EQ(uint32_t(d.GetPixel(1, 0)), uint32_t(TColorIG(10, 20, 30)));
}

TEST(Dib, RectRotAndMemory)
{
    TDibIG d;
    EXPECT_EQ(d.RectRot(), TRectIG(0, 0, 0, 0));
    ASSERT_TRUE(d.Crea(10, 20, 16, true, true));
    EXPECT_EQ(d.RectRot(), TRectIG(0, 0, 10, 20));
    size_t small = d.GetMemoryUsed();
    EXPECT_GE(small, size_t(d.BitsSize() + d.AlphaSize()));
    ASSERT_TRUE(d.Crea(100, 20, 16, true));
    EXPECT_GT(d.GetMemoryUsed(), small);
    d.Libera();
    EXPECT_LT(d.GetMemoryUsed(), small);
}

TEST(Dib, AlphaPlaneAddAndDrop)
{
    TDibIG d;
    ASSERT_TRUE(d.Crea(3, 3, 16));
    EXPECT_FALSE(d.Tiene_Alphas());
    EXPECT_TRUE(d.CreaAlpha());
    EXPECT_TRUE(d.Tiene_Alphas());
    EXPECT_EQ(d.GetAlpha(2, 2), 0);
    d.QuitaAlpha();
    EXPECT_FALSE(d.Tiene_Alphas());
    ASSERT_TRUE(d.Crea(3, 3, 24));
    EXPECT_FALSE(d.CreaAlpha());
}

TEST(GetTDibBits, WalksPixelsAndAlphaInStep)
{
    TDibIG d;
    ASSERT_TRUE(d.Crea(3, 2, 16, true));
    {
        // What a filter does: BitsSize / 2 pixels, the alpha plane in step.
        TGetTDibBits bits(&d);
        ASSERT_NE(bits.Bits16(), nullptr);
        ASSERT_NE(bits.Alpha(), nullptr);
        EXPECT_EQ(bits.Height(), 2);
        EXPECT_EQ(bits.AlphaSize(), bits.BitsSize() / 2);
        for (uint32_t i = 0; i < bits.BitsSize() / 2; ++i) {
            bits.Bits16()[i] = 0xF800;
            bits.Alpha()[i] = 128;
        }
    }
    EXPECT_EQ(uint32_t(d.GetPixel(2, 1)), uint32_t(TColoresIG::F_LtRed));
    EXPECT_EQ(d.GetAlpha(2, 1), 128);

    TGetTDibBits none(nullptr);
    EXPECT_EQ(none.Bits(), nullptr);
    EXPECT_EQ(none.Alpha(), nullptr);
    EXPECT_EQ(none.BitsSize(), 0u);
    TDibIG rgb;
    ASSERT_TRUE(rgb.Crea(2, 2, 24));
    TGetTDibBits rgbBits(&rgb);
    EXPECT_EQ(rgbBits.Bits16(), nullptr);
    EXPECT_NE(rgbBits.Bits(), nullptr);
}

} // namespace
