// Bitmap stretching of IDC: plain copies, colour keys, alpha planes, global
// alpha, turning matrices and glyph colouring.
#include <gtest/gtest.h>

#include <cmath>

#include "test_idc_support.h"

using namespace idctest;

namespace {

const TRectIG kAll8(0, 0, 8, 8);

// A w x 1 RGB565 strip of one colour with the given alpha-plane bytes.
void MakeAlphaStrip(TDibIG& img, TColorIG c, std::initializer_list<int> alpha)
{
    img.Crea(int(alpha.size()), 1, 16, true);
    int x = 0;
    for (int a : alpha) {
        img.SetPixel(x, 0, c);
        img.AlphaRow(0)[x] = uint8_t(a);
        ++x;
    }
    img.Touch();
}

// An 8-bit grey bitmap from rows of values.
void MakeGrey(TDibIG& img, int w, int h, const int* values)
{
    img.Crea(w, h, 8);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.Row(y)[x] = uint8_t(values[y * w + x]);
    img.Touch();
}

} // namespace

TEST(IdcBlit, TransparentOneToOneSkipsTheKeyOnEveryTargetDepth)
{
    TDibIG img;
    MakeQuadrants(img);
    for (int bpp : {16, 24, 32}) {
        SCOPED_TRACE(bpp);
        Canvas c(16, 12, bpp);
        EXPECT_TRUE(c.dc.StretchDIBits_Transparent(TRectIG(2, 1, 10, 9), kAll8, &img, kMagenta));
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) {
                const TColorIG s = img.GetPixel(x, y);
                EXPECT_EQ(c.At(x + 2, y + 1), s == kMagenta ? kBack : s) << x << "," << y;
            }
        EXPECT_EQ(c.Changed(), 64 - 4);
    }
}

TEST(IdcBlit, AlphaPlaneIsHonouredStraightOrPremultiplied)
{
    for (bool premultiplied : {false, true}) {
        SCOPED_TRACE(premultiplied);
        TDibIG img;
        MakeAlphaStrip(img, kWhite, {0, 255, 128, 64});
        if (premultiplied)
            img.Set_PreMultiplied(0);
        Canvas c(4, 1, 32);
        c.dib.Fill(kBlack);
        EXPECT_TRUE(c.dc.StretchDIBits_Transparent(TRectIG(0, 0, 4, 1), TRectIG(0, 0, 4, 1), &img, kMagenta));
        EXPECT_EQ(c.At(0, 0), kWhite);
        EXPECT_EQ(c.At(1, 0), kBlack);
        EXPECT_TRUE(Near(c.At(2, 0), TColorIG(127, 127, 127), 6)) << std::hex << c.At(2, 0).color;
        EXPECT_TRUE(Near(c.At(3, 0), TColorIG(191, 191, 191), 6)) << std::hex << c.At(3, 0).color;
    }
}

TEST(IdcBlit, StretchUpRepeatsPixels)
{
    TDibIG img;
    MakeQuadrants(img);
    Canvas c(16, 16);
    c.dc.StretchDIBits_Transparent(TRectIG(0, 0, 16, 16), kAll8, &img, kMagenta);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const TColorIG s = img.GetPixel(x / 2, y / 2);
            EXPECT_EQ(c.At(x, y), s == kMagenta ? kBack : s) << x << "," << y;
        }
}

TEST(IdcBlit, StretchDownTakesOnePixelOfEachBlock)
{
    TDibIG img;
    MakeQuadrants(img);
    Canvas c(4, 4);
    c.dc.StretchDIBits(TRectIG(0, 0, 4, 4), kAll8, &img, IDC::RopSrcCopy);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            const TColorIG got = c.At(x, y);
            bool fromBlock = false;
            for (int j = 0; j < 2; ++j)
                for (int i = 0; i < 2; ++i)
                    fromBlock |= got == img.GetPixel(2 * x + i, 2 * y + j);
            EXPECT_TRUE(fromBlock) << x << "," << y;
        }
    EXPECT_EQ(c.At(3, 0), kGreen);
    EXPECT_EQ(c.At(0, 3), kYellow);
    EXPECT_EQ(c.At(3, 3), kBlue);
}

TEST(IdcBlit, SourceOutsideTheImageIsCutWithItsDestination)
{
    TDibIG img;
    MakeQuadrants(img);
    // Left half of the source lies left of the image: the left half of the
    // destination stays untouched, the right half shows columns 0..3 at 2x.
    Canvas c(16, 16);
    c.dc.StretchDIBits_Transparent(TRectIG(0, 0, 16, 16), TRectIG(-4, 0, 4, 8), &img, kMagenta);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            if (x < 8) {
                EXPECT_TRUE(c.IsBack(x, y)) << x << "," << y;
            } else {
                const TColorIG s = img.GetPixel((x - 8) / 2, y / 2);
                EXPECT_EQ(c.At(x, y), s == kMagenta ? kBack : s) << x << "," << y;
            }
        }
    // Past the right and bottom edges: only the top-left quarter is drawn.
    Canvas d(16, 16);
    d.dc.StretchDIBits(TRectIG(0, 0, 16, 16), TRectIG(4, 4, 12, 12), &img, IDC::RopSrcCopy);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            if (x < 8 && y < 8) {
                EXPECT_EQ(d.At(x, y), img.GetPixel(4 + x / 2, 4 + y / 2)) << x << "," << y;
            } else {
                EXPECT_TRUE(d.IsBack(x, y)) << x << "," << y;
            }
        }
}

TEST(IdcBlit, BadArgumentsDrawNothingAndAnswerFalse)
{
    TDibIG img, empty;
    MakeQuadrants(img);
    const TAdvStetchDIBitsData adv;
    struct Case {
        TRectIG dst, src;
        const TDibIG* image;
    } cases[] = {
        {TRectIG(0, 0, 8, 8), TRectIG(8, 0, 0, 8), &img},   // inverted source
        {TRectIG(8, 0, 0, 8), kAll8, &img},                  // inverted destination
        {TRectIG(0, 0, 8, 8), TRectIG(2, 2, 2, 6), &img},   // empty source
        {TRectIG(0, 8, 8, 8), kAll8, &img},                  // empty destination
        {TRectIG(0, 0, 8, 8), kAll8, nullptr},
        {TRectIG(0, 0, 8, 8), kAll8, &empty},
    };
    for (const Case& k : cases) {
        Canvas c;
        EXPECT_FALSE(c.dc.StretchDIBits(k.dst, k.src, k.image, IDC::RopSrcCopy));
        EXPECT_FALSE(c.dc.StretchDIBits_Transparent(k.dst, k.src, k.image, kMagenta));
        EXPECT_FALSE(c.dc.StretchDIBits_Adv(k.dst, k.src, k.image, adv));
        EXPECT_EQ(c.Changed(), 0);
    }
    // A context without a bitmap, and a raster operation other than the copy.
    IDC none;
    EXPECT_FALSE(none.StretchDIBits_Transparent(kAll8, kAll8, &img, kMagenta));
    Canvas c;
    EXPECT_FALSE(c.dc.StretchDIBits(kAll8, kAll8, &img, 0x00EE0086));
    EXPECT_EQ(c.Changed(), 0);
}

TEST(IdcBlit, PlainCopyIgnoresKeyAndOpacity)
{
    TDibIG img;
    MakeQuadrants(img);
    img.CreaAlpha();
    std::fill(img.Alpha(), img.Alpha() + img.AlphaSize(), uint8_t(255)); // all transparent
    img.Touch();
    Canvas c(8, 8);
    c.dc.StretchDIBits(kAll8, kAll8, &img, IDC::RopSrcCopy);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(c.At(x, y), img.GetPixel(x, y)) << x << "," << y;
    // The same image keyed and honouring opacity draws nothing.
    Canvas d(8, 8);
    d.dc.StretchDIBits_Transparent(kAll8, kAll8, &img, kMagenta);
    EXPECT_EQ(d.Changed(), 0);
}

TEST(IdcBlit, GlobalAlphaMixesTheWholeImage)
{
    TDibIG img;
    img.Crea(4, 4, 24);
    img.Fill(kWhite);
    Canvas c(4, 4, 32);
    c.dib.Fill(kBlack);
    TAdvStetchDIBitsData data;
    data.alpha = 128;
    EXPECT_TRUE(c.dc.StretchDIBits_Adv(TRectIG(0, 0, 4, 4), TRectIG(0, 0, 4, 4), &img, data));
    EXPECT_TRUE(Near(c.At(2, 2), TColorIG(128, 128, 128), 1)) << std::hex << c.At(2, 2).color;
    data.alpha = 0;
    c.dib.Fill(kBlack);
    EXPECT_TRUE(c.dc.StretchDIBits_Adv(TRectIG(0, 0, 4, 4), TRectIG(0, 0, 4, 4), &img, data));
    EXPECT_EQ(c.At(2, 2), kBlack);
    // The slide transition: a destination half off the screen.
    data.alpha = 255;
    EXPECT_TRUE(c.dc.StretchDIBits_Adv(TRectIG(2, 0, 6, 4), TRectIG(0, 0, 4, 4), &img, data));
    EXPECT_EQ(c.At(1, 1), kBlack);
    EXPECT_EQ(c.At(2, 1), kWhite);
    EXPECT_EQ(c.At(3, 3), kWhite);
}

TEST(IdcBlit, ColourByDarknessPaintsCoverage)
{
    const int g[4] = {0, 255, 128, 200};
    TDibIG glyph;
    MakeGrey(glyph, 4, 1, g);
    Canvas c(4, 1, 32);
    c.dib.Fill(kWhite);
    TAdvStetchDIBitsData data(TAdvStetchDIBitsData::ModeColourByDarkness, kRed, 0, 255, nullptr, 0, 0);
    EXPECT_TRUE(c.dc.StretchDIBits_Adv(TRectIG(0, 0, 4, 1), TRectIG(0, 0, 4, 1), &glyph, data));
    EXPECT_EQ(c.At(0, 0), kRed);
    EXPECT_EQ(c.At(1, 0), kWhite);
    EXPECT_TRUE(Near(c.At(2, 0), TColorIG(255, 128, 128), 1)) << std::hex << c.At(2, 0).color;
    EXPECT_TRUE(Near(c.At(3, 0), TColorIG(255, 200, 200), 1)) << std::hex << c.At(3, 0).color;
    // A 24-bit glyph bitmap (before conversion to grey) gives the same.
    TDibIG glyph24;
    glyph24.Crea(4, 1, 24);
    for (int x = 0; x < 4; ++x)
        glyph24.SetPixel(x, 0, TColorIG(g[x], g[x], g[x]));
    Canvas d(4, 1, 32);
    d.dib.Fill(kWhite);
    d.dc.StretchDIBits_Adv(TRectIG(0, 0, 4, 1), TRectIG(0, 0, 4, 1), &glyph24, data);
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(d.At(x, 0), c.At(x, 0)) << x;
    // Opacity scales the coverage.
    c.dib.Fill(kWhite);
    data.alpha = 128;
    c.dc.StretchDIBits_Adv(TRectIG(0, 0, 4, 1), TRectIG(0, 0, 4, 1), &glyph, data);
    EXPECT_TRUE(Near(c.At(0, 0), TColorIG(255, 127, 127), 1)) << std::hex << c.At(0, 0).color;
    EXPECT_EQ(c.At(1, 0), kWhite);
}

TEST(IdcBlit, QuarterTurnGlyphFollowsTheBitmapFontRule)
{
    // An L-shaped glyph, 3 wide and 5 tall, inside a bitmap with a one-pixel
    // white border (as the TrueType glyph cache stores it).
    const int W = 5, H = 7;
    int v[W * H];
    for (int i = 0; i < W * H; ++i)
        v[i] = 255;
    for (int y = 1; y <= 5; ++y)
        v[y * W + 1] = 0;       // the stem, column 0 of the glyph
    v[5 * W + 2] = 0;           // the foot, bottom row
    v[5 * W + 3] = 0;
    v[1 * W + 3] = 100;         // a grey mark at the top right
    TDibIG glyph;
    MakeGrey(glyph, W, H, v);
    const TRectIG src(1, 1, 4, 6);
    for (int dir : {1, -1}) {
        SCOPED_TRACE(dir);
        // The 3 x 5 box (10, 10, 13, 15) turned about its centre: 5 x 3.
        const TRectIG turned(9, 11, 14, 14);
        TMatriz3RodAdv m;
        m.SetRotation(dir * 1.5707964f, src, turned);
        TAdvStetchDIBitsData data(TAdvStetchDIBitsData::ModeColourByDarkness, kRed, 0, 255, &m, 0, 0);
        Canvas c(24, 24, 32);
        c.dib.Fill(kWhite);
        EXPECT_TRUE(c.dc.StretchDIBits_Adv(turned, src, &glyph, data));
        // Orientation 90: source rows become columns from the right edge
        // leftwards, each running top-down; -90: from the left edge
        // rightwards, each running bottom-up.
        for (int sy = 0; sy < 5; ++sy)
            for (int sx = 0; sx < 3; ++sx) {
                const int dx = dir > 0 ? turned.right - 1 - sy : turned.left + sy;
                const int dy = dir > 0 ? turned.top + sx : turned.bottom - 1 - sx;
                const int cov = 255 - v[(sy + 1) * W + sx + 1];
                const TColorIG want(255, 255 - cov, 255 - cov);
                EXPECT_TRUE(Near(c.At(dx, dy), want, 1)) << sx << "," << sy << " -> " << dx << "," << dy
                                                         << " got " << std::hex << c.At(dx, dy).color;
            }
        int changed = 0;
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < 24; ++x)
                changed += c.At(x, y) != kWhite;
        EXPECT_EQ(changed, 8); // 5 stem + 2 foot + 1 grey mark, nothing else
    }
}

TEST(IdcBlit, HalfTurnFlipsExactly)
{
    TDibIG img;
    MakeQuadrants(img);
    TMatriz3RodAdv m;
    const TRectIG dst(4, 4, 12, 12);
    m.SetRotation(3.14159265f, kAll8, dst);
    Canvas c(16, 16);
    TAdvStetchDIBitsData data(33, 0, 0, 255, &m, 0, 0);
    EXPECT_TRUE(c.dc.StretchDIBits_Adv(dst, kAll8, &img, data));
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const TColorIG s = img.GetPixel(7 - x, 7 - y);
            EXPECT_EQ(c.At(4 + x, 4 + y), s == kMagenta ? kBack : s) << x << "," << y;
        }
    EXPECT_EQ(c.Changed(), 60);
}

TEST(IdcBlit, BottomUpBitmapsDrawTheSame)
{
    TDibIG down, up;
    MakeQuadrants(down, false);
    MakeQuadrants(up, true);
    Canvas a(16, 16, 16, false), b(16, 16, 16, true), d(16, 16, 32, true), e(16, 16, 32, false);
    for (Canvas* c : {&a, &b, &d, &e}) {
        c->dc.StretchDIBits_Transparent(TRectIG(1, 1, 13, 15), kAll8, c == &a || c == &e ? &down : &up,
                                        kMagenta);
        c->dc.SetPen(kWhite, 1);
        c->dc.Line(0, 15, 15, 0);
        c->dc.SetBrush(kCyan, 0);
        c->dc.Rectangle(TRectIG(9, 2, 15, 5));
        c->dc.SetBrush(kBlack, 0);
        c->dc.RectangleA(TRectIG(0, 10, 16, 16), 100);
    }
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            EXPECT_EQ(a.At(x, y), b.At(x, y)) << x << "," << y;
            EXPECT_EQ(e.At(x, y), d.At(x, y)) << x << "," << y;
        }
}

TEST(IdcBlit, ChangedImageIsNotServedFromTheCache)
{
    TDibIG img;
    MakeQuadrants(img);
    Canvas c(8, 8);
    c.dc.StretchDIBits_Transparent(kAll8, kAll8, &img, kMagenta);
    EXPECT_EQ(c.At(1, 1), kRed);
    img.SetPixel(1, 1, kCyan);
    c.dc.StretchDIBits_Transparent(kAll8, kAll8, &img, kMagenta);
    EXPECT_EQ(c.At(1, 1), kCyan);
    // Writing through TGetTDibBits changes the version too.
    {
        TGetTDibBits bits(&img);
        bits.Bits16()[2 * 8 + 2] = kBlue.ToRGB565();
    }
    c.dc.StretchDIBits_Transparent(kAll8, kAll8, &img, kMagenta);
    EXPECT_EQ(c.At(2, 2), kBlue);
    // A new image, perhaps at the freed one's address, is never taken for it.
    for (TColorIG colour : {kRed, kGreen, kBlue}) {
        auto* fresh = new TDibIG;
        fresh->Crea(8, 8, 16);
        fresh->Fill(colour);
        c.dc.StretchDIBits_Transparent(kAll8, kAll8, fresh, kMagenta);
        EXPECT_EQ(c.At(4, 4), colour);
        delete fresh;
    }
    // A different key colour is a different cached copy.
    c.dib.Fill(kBack);
    c.dc.StretchDIBits_Transparent(kAll8, kAll8, &img, kRed);
    EXPECT_TRUE(c.IsBack(0, 1));
    EXPECT_EQ(c.At(3, 3), kMagenta);
}

// Converted copies (key masks, alpha planes, coverage) live with their image:
// freeing the image or changing its pixels releases them.
TEST(IdcBlit, CopiesGoWithTheirImage)
{
    struct Case {
        const char* what;
        int bpp;
        bool alpha;
        int mode;  // 0: colour key, else a TAdvStetchDIBitsData mode
    } cases[] = {
        {"keyed 16 bits", 16, false, 0},
        {"alpha plane", 16, true, 0},
        {"grey glyph", 8, false, TAdvStetchDIBitsData::ModeColourByDarkness},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        Canvas c(8, 8);
        const size_t before = IDC::GetCopiesMemoryUsed();
        auto draw = [&](const TDibIG* img) {
            if (k.mode) {
                TAdvStetchDIBitsData data(k.mode, kWhite, 0, 255, nullptr, 0, 0);
                c.dc.StretchDIBits_Adv(kAll8, kAll8, img, data);
            } else {
                c.dc.StretchDIBits_Transparent(kAll8, kAll8, img, kMagenta);
            }
        };
        {
            TDibIG img;
            img.Crea(8, 8, k.bpp, k.alpha);
            draw(&img);
            const size_t kept = IDC::GetCopiesMemoryUsed();
            EXPECT_GT(kept, before);
            EXPECT_GE(img.GetMemoryUsed(), kept - before);  // counted with the image
            draw(&img);
            EXPECT_EQ(kept, IDC::GetCopiesMemoryUsed());  // made once
            img.SetPixel(0, 0, kRed);
            EXPECT_EQ(before, IDC::GetCopiesMemoryUsed());  // stale copy dropped at once
            draw(&img);
            EXPECT_EQ(kept, IDC::GetCopiesMemoryUsed());
        }
        EXPECT_EQ(before, IDC::GetCopiesMemoryUsed());
    }
}

TEST(IdcBlit, TargetAsItsOwnSource)
{
    Canvas c(8, 8);
    c.dc.SetBrush(kRed, 0);
    c.dc.SetPen(kRed, 1);
    c.dc.Rectangle(TRectIG(0, 0, 4, 4));
    // Copy the top-left quarter to the bottom-right one, keyed and plain.
    c.dc.StretchDIBits_Transparent(TRectIG(4, 4, 8, 8), TRectIG(0, 0, 4, 4), &c.dib, kMagenta);
    c.dc.StretchDIBits(TRectIG(4, 0, 8, 4), TRectIG(0, 0, 4, 4), &c.dib, IDC::RopSrcCopy);
    EXPECT_EQ(c.At(5, 5), kRed);
    EXPECT_EQ(c.At(7, 7), kRed);
    EXPECT_EQ(c.At(6, 1), kRed);
    EXPECT_TRUE(c.IsBack(1, 6));
}

TEST(IdcBlit, GreyAnd32BitSources)
{
    // 8-bit grey: drawn as grey colours.
    const int g[2] = {0, 200};
    TDibIG grey;
    MakeGrey(grey, 2, 1, g);
    Canvas c(2, 1, 32);
    c.dc.StretchDIBits_Transparent(TRectIG(0, 0, 2, 1), TRectIG(0, 0, 2, 1), &grey, kMagenta);
    EXPECT_EQ(c.At(0, 0), kBlack);
    EXPECT_EQ(c.At(1, 0), TColorIG(200, 200, 200));
    // 32 bits with an alpha channel, straight and premultiplied.
    for (bool premultiplied : {false, true}) {
        SCOPED_TRACE(premultiplied);
        TDibIG img;
        img.Crea(2, 1, 32, true);
        uint32_t* p = reinterpret_cast<uint32_t*>(img.Row(0));
        p[0] = 0xFF00FF00u;  // opaque green
        p[1] = 0x80FFFFFFu;  // white at half opacity
        img.Touch();
        if (premultiplied)
            img.Set_PreMultiplied(0);
        Canvas d(2, 1, 32);
        d.dib.Fill(kBlack);
        d.dc.StretchDIBits_Transparent(TRectIG(0, 0, 2, 1), TRectIG(0, 0, 2, 1), &img, kMagenta);
        EXPECT_EQ(d.At(0, 0), kGreen);
        EXPECT_TRUE(Near(d.At(1, 0), TColorIG(128, 128, 128), 2)) << std::hex << d.At(1, 0).color;
    }
}

TEST(IdcBlit, ClipLimitsBlits)
{
    TDibIG img;
    MakeQuadrants(img);
    Canvas c(16, 16);
    c.dc.SelectClipRect(TRectIG(2, 2, 6, 6));
    TMatriz3RodAdv m;
    m.SetRotation(0.5f, kAll8, TRectIG(0, 0, 16, 16));
    TAdvStetchDIBitsData turned(33, 0, 0, 255, &m, 0, 0);
    TAdvStetchDIBitsData plain;
    c.dc.StretchDIBits_Transparent(TRectIG(0, 0, 16, 16), kAll8, &img, kMagenta);
    c.dc.StretchDIBits(TRectIG(0, 0, 16, 16), kAll8, &img, IDC::RopSrcCopy);
    c.dc.StretchDIBits_Adv(TRectIG(0, 0, 16, 16), kAll8, &img, plain);
    c.dc.StretchDIBits_Adv(TRectIG(0, 0, 16, 16), kAll8, &img, turned);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            if (!TRectIG(2, 2, 6, 6).PtInRect(x, y)) {
                EXPECT_TRUE(c.IsBack(x, y)) << x << "," << y;
            }
    EXPECT_FALSE(c.IsBack(3, 3));
}

// ---------------------------------------------------------------------------
// Golden images.

namespace {

// A 12 x 12 "photo": smooth gradients, so smoothing shows.
void MakePhoto(TDibIG& img)
{
    img.Crea(12, 12, 16);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 12; ++x)
            img.SetPixel(x, y, TColorIG(x * 21, y * 21, 255 - (x + y) * 10));
}

// An upward arrow on magenta, 9 x 9.
void MakeArrowImage(TDibIG& img)
{
    img.Crea(9, 9, 16);
    img.Fill(kMagenta);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 9; ++x) {
            const bool head = y < 4 && std::abs(x - 4) <= y;
            const bool stem = y >= 4 && x >= 3 && x <= 5;
            if (head || stem)
                img.SetPixel(x, y, y == 0 ? kRed : kWhite);
        }
}

} // namespace

TEST(IdcGolden, KeyedStretchAndAlphaPlane)
{
    TDibIG quad, strip;
    MakeQuadrants(quad);
    MakeAlphaStrip(strip, kYellow, {0, 32, 64, 96, 128, 160, 192, 224, 255});
    Canvas c(32, 24);
    c.dc.StretchDIBits_Transparent(TRectIG(1, 1, 13, 13), kAll8, &quad, kMagenta);   // up 1.5x
    c.dc.StretchDIBits_Transparent(TRectIG(15, 1, 20, 6), kAll8, &quad, kMagenta);   // down
    c.dc.StretchDIBits_Transparent(TRectIG(22, 1, 38, 9), kAll8, &quad, kMagenta);   // off the right edge
    c.dc.StretchDIBits_Transparent(TRectIG(1, 15, 28, 22), TRectIG(0, 0, 9, 1), &strip, kMagenta);
    EXPECT_TRUE(golden::Matches(c.dib, "idc/blit_keyed_alpha"));
}

TEST(IdcGolden, GlobalAlphaAndPlainCopy)
{
    TDibIG quad, photo;
    MakeQuadrants(quad);
    MakePhoto(photo);
    Canvas c(32, 16, 32);
    TAdvStetchDIBitsData data;
    for (int i = 0; i < 4; ++i) {
        data.alpha = 64 * (i + 1) - 1;
        c.dc.StretchDIBits_Adv(TRectIG(i * 8, 0, i * 8 + 8, 8), kAll8, &quad, data);
    }
    c.dc.StretchDIBits(TRectIG(0, 8, 16, 16), TRectIG(2, 2, 10, 6), &photo, IDC::RopSrcCopy);
    c.dc.StretchDIBits(TRectIG(16, 8, 32, 16), kAll8, &quad, IDC::RopSrcCopy);
    EXPECT_TRUE(golden::Matches(c.dib, "idc/blit_alpha_copy"));
}

TEST(IdcGolden, Rotations)
{
    TDibIG arrow;
    MakeArrowImage(arrow);
    Canvas c(48, 16, 32);
    const float angles[4] = {0.0f, 1.5707964f, -0.7853982f, 2.5f};
    for (int i = 0; i < 4; ++i) {
        TMatriz3RodAdv m;
        const TRectIG dst(i * 12 + 1, 2, i * 12 + 10, 11);
        m.SetRotation(angles[i], TRectIG(0, 0, 9, 9), dst);
        TAdvStetchDIBitsData data(33, 0, 0, 255, &m, 0, 0);
        c.dc.StretchDIBits_Adv(dst, TRectIG(0, 0, 9, 9), &arrow, data);
    }
    EXPECT_TRUE(golden::Matches(c.dib, "idc/blit_rotations"));
}

TEST(IdcGolden, GlyphColouringAndPhoto)
{
    // A grey "A"-like glyph, 7 x 8, with soft edges.
    const int A[8 * 7] = {
        255, 255, 160, 0,   160, 255, 255,
        255, 200, 0,   90,  0,   200, 255,
        255, 100, 0,   255, 0,   100, 255,
        220, 0,   120, 255, 120, 0,   220,
        150, 0,   0,   0,   0,   0,   150,
        60,  0,   220, 255, 220, 0,   60,
        0,   60,  255, 255, 255, 60,  0,
        0,   160, 255, 255, 255, 160, 0,
    };
    TDibIG glyph, photo;
    MakeGrey(glyph, 7, 8, A);
    MakePhoto(photo);
    Canvas c(40, 16, 32);
    c.dib.Fill(kWhite);
    const TRectIG gsrc(0, 0, 7, 8);
    TAdvStetchDIBitsData data(64, kBlue, 0, 255, nullptr, 0, 0);
    c.dc.StretchDIBits_Adv(TRectIG(1, 1, 8, 9), gsrc, &glyph, data);
    data.color = kRed;
    data.alpha = 140;
    c.dc.StretchDIBits_Adv(TRectIG(9, 1, 16, 9), gsrc, &glyph, data);
    // Turned glyphs, as the TrueType renderer draws vertical text.
    for (int dir : {1, -1}) {
        TMatriz3RodAdv m;
        const TRectIG turned(dir > 0 ? 1 : 10, 9 + 0, dir > 0 ? 9 : 18, 16);
        m.SetRotation(dir * 1.5707964f, gsrc, turned);
        TAdvStetchDIBitsData t(64, kBlack, 0, 255, &m, 0, 0);
        c.dc.StretchDIBits_Adv(turned, gsrc, &glyph, t);
    }
    // A zoomed photo, smooth.
    TAdvStetchDIBitsData photoData(128, 0, 0, 255, nullptr, 0, 0);
    c.dc.StretchDIBits_Adv(TRectIG(20, 0, 40, 16), TRectIG(0, 0, 12, 12), &photo, photoData);
    EXPECT_TRUE(golden::Matches(c.dib, "idc/blit_glyph_photo"));
}
