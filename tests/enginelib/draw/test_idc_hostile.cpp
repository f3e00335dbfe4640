// Hostile arguments: every drawing call with huge, inverted, empty and
// off-surface rectangles. Nothing may be read or written outside a bitmap
// (the sanitizer build checks that), nothing outside the clip may change, and
// every call must end quickly.
#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "test_idc_support.h"

using namespace idctest;

namespace {

const TRectIG kHostile[] = {
    {INT_MIN, INT_MIN, INT_MAX, INT_MAX},
    {INT_MAX - 1, INT_MAX - 1, INT_MAX, INT_MAX},
    {INT_MIN, INT_MIN, INT_MIN + 1, INT_MIN + 1},
    {-1000000000, 5, 1000000000, 6},
    {0, -2000000000, 1, 2000000000},
    {20, 20, -20, -20},
    {100, 100, 200, 200},
    {-50, -50, -10, -10},
    {-3, -3, 5, 5},
    {5, 5, 5, 5},
    {22, 12, 23, 13},
    {INT_MAX, 0, INT_MIN, 10},
};

const TRectIG kClip(4, 4, 20, 12);

// Runs every drawing call with r in each role it can take.
void DrawEverything(IDC& dc, const TRectIG& r, const TDibIG& image, const TDibIG& glyph)
{
    const TRectIG all(0, 0, image.Width(), image.AbsHeight());
    for (int width : {1, 2, 64}) {
        dc.SetBrush(kRed, 0);
        dc.SetPen(kGreen, width, 0, nullptr, false);
        dc.Rectangle(r);
        dc.RectangleA(r, 100);
        dc.Rectangle_Vacio(r);
        dc.Rectangle_Vacio(r.left, r.top, r.left, r.top);
        for (int radius : {INT_MIN, -1, 3, INT_MAX})
            dc.Rectangle_Arrodonit_Vacio(r, radius);
        dc.Line(r.left, r.top, r.right, r.bottom);
        dc.Line(r.right, r.bottom, r.left, r.top);
        dc.Line(r.left, r.bottom, r.right, r.top);
        dc.Line(r.left, 8, r.right, 8);
        dc.Line(10, r.top, 10, r.bottom);
        const TPointIG poly[5] = {{r.left, r.top}, {r.right, r.top}, {10, 8}, {r.right, r.bottom}, {r.left, r.bottom}};
        dc.Polygon(poly, 5);
        dc.Circle(r.left, r.top, 5, true);
        dc.Circle(10, 8, r.right, true);
        dc.Circle(r.right, r.bottom, INT_MAX, false);
        dc.Flecha(TPointIG(r.left, r.top), TPointIG(r.right, r.bottom), 10, 10, true, 0.25f);
        dc.Flecha(TPointIG(10, 8), TPointIG(r.right, r.top), INT_MAX, INT_MAX, false, 1e30f);
        dc.SetHatchBrush(kWhite, 2);
        dc.Rectangle_Vacio(r);
        dc.Rectangle_Arrodonit_Vacio(r, 4);
        dc.Line(r.left, r.top, r.right, r.bottom);
    }
    dc.SetPixel(r.left, r.top, kWhite, 255);
    dc.SetPixel(r.right, r.bottom, kWhite, 128);
    dc.SetPixel(r.left, r.top, kWhite, INT_MAX);
    dc.SetPixel(r.left, r.top, kWhite, INT_MIN);

    const TRectIG pairs[][2] = {{r, all}, {all, r}, {r, r}, {TRectIG(4, 4, 12, 12), r}};
    for (const auto& p : pairs) {
        const TRectIG& dst = p[0];
        const TRectIG& src = p[1];
        dc.StretchDIBits(dst, src, &image, IDC::RopSrcCopy);
        dc.StretchDIBits_Transparent(dst, src, &image, kMagenta);
        for (int mode : {0, 1, 33, 128}) {
            for (int alpha : {INT_MIN, 0, 77, 255, INT_MAX}) {
                TAdvStetchDIBitsData d(mode, kBlue, 0, alpha, nullptr, 0, 0);
                dc.StretchDIBits_Adv(dst, src, &image, d);
            }
        }
        TAdvStetchDIBitsData g(64, kBlue, 0, 255, nullptr, 0, 0);
        dc.StretchDIBits_Adv(dst, src, &glyph, g);
        for (float angle : {0.0f, 0.3f, 1.5707964f, -1.5707964f, 1e30f}) {
            TMatriz3RodAdv m;
            m.SetRotation(angle, src, dst);
            TAdvStetchDIBitsData d(33, 0, 0, 255, &m, 0, 0);
            dc.StretchDIBits_Adv(dst, src, &image, d);
            TAdvStetchDIBitsData gm(64, kBlue, 0, 200, &m, 0, 0);
            dc.StretchDIBits_Adv(dst, src, &glyph, gm);
        }
    }
}

} // namespace

TEST(IdcHostile, NothingOutsideTheClipChanges)
{
    TDibIG image, glyph;
    MakeQuadrants(image);
    image.CreaAlpha();
    glyph.Crea(5, 7, 8);
    glyph.Fill(TColorIG(90, 90, 90));
    for (int bpp : {16, 24, 32}) {
        for (bool bottomUp : {false, true}) {
            SCOPED_TRACE(testing::Message() << bpp << " bits, bottom-up " << bottomUp);
            // An odd width, so that rows carry padding.
            Canvas c(23, 15, bpp, bottomUp);
            for (const TRectIG& r : kHostile) {
                SCOPED_TRACE(testing::Message() << r.left << "," << r.top << "," << r.right << "," << r.bottom);
                c.dc.SelectClipRect(kClip);
                DrawEverything(c.dc, r, image, glyph);
                // The image blitted onto its own target, with hostile rectangles.
                c.dc.StretchDIBits_Transparent(r, TRectIG(0, 0, 23, 15), &c.dib, kMagenta);
                c.dc.StretchDIBits(TRectIG(0, 0, 23, 15), r, &c.dib, IDC::RopSrcCopy);
                for (int y = 0; y < 15; ++y)
                    for (int x = 0; x < 23; ++x)
                        if (!kClip.PtInRect(x, y)) {
                            ASSERT_TRUE(c.IsBack(x, y)) << x << "," << y;
                        }
            }
        }
    }
}

TEST(IdcHostile, HostileClipRectangles)
{
    TDibIG image, glyph;
    MakeQuadrants(image);
    glyph.Crea(5, 7, 8);
    for (const TRectIG& r : kHostile) {
        Canvas c(23, 15, 16);
        c.dc.SelectClipRect(r);
        EXPECT_EQ(c.dc.GetClipRect(), r);
        DrawEverything(c.dc, TRectIG(-2, -2, 30, 30), image, glyph);
        DrawEverything(c.dc, r, image, glyph);
        // Only pixels inside the clip (as far as it covers the canvas) changed.
        TRectIG inside;
        inside.Intersect(r, TRectIG(0, 0, 23, 15));
        for (int y = 0; y < 15; ++y)
            for (int x = 0; x < 23; ++x)
                if (!inside.PtInRect(x, y)) {
                    ASSERT_TRUE(c.IsBack(x, y)) << x << "," << y;
                }
    }
}

TEST(IdcHostile, HostileImagesAndTargets)
{
    TDibIG image, empty, grey;
    MakeQuadrants(image);
    grey.Crea(3, 3, 8);
    // Painting into unusable bitmaps fails and leaves the context as it was.
    IDC dc;
    EXPECT_FALSE(dc.BeginPaintDib(nullptr));
    EXPECT_FALSE(dc.BeginPaintDib(&empty));
    EXPECT_FALSE(dc.BeginPaintDib(&grey));
    EXPECT_EQ(dc.GetDib(), nullptr);
    dc.EndPaintDib(); // unmatched: nothing happens
    DrawEverything(dc, TRectIG(0, 0, 8, 8), image, grey);
    // A target emptied while painting: calls draw nothing.
    TDibIG target;
    target.Crea(8, 8, 16);
    ASSERT_TRUE(dc.BeginPaintDib(&target));
    target.Libera();
    DrawEverything(dc, TRectIG(0, 0, 8, 8), image, grey);
    // ... and recreated at another size and depth: drawing follows it.
    target.Crea(4, 3, 24);
    target.Fill(kBack);
    dc.SetBrush(kRed, 0);
    dc.SetPen(kRed, 1);
    dc.Rectangle(TRectIG(-10, -10, 100, 100));
    EXPECT_EQ(target.GetPixel(3, 2), kRed);
    dc.EndPaintDib();
}

TEST(IdcHostile, BackBufferSizes)
{
    IDCdir dc;
    for (auto wh : std::vector<std::pair<int, int>>{{0, 0}, {-5, 10}, {10, -5}, {INT_MAX, 1}, {100000, 100000}}) {
        EXPECT_FALSE(dc.SetSize(wh.first, wh.second));
        EXPECT_EQ(dc.GetClientRect(), TRectIG());
        dc.SetBrush(kRed, 0);
        dc.Rectangle(TRectIG(0, 0, 10, 10)); // no back buffer: nothing, no fault
    }
    EXPECT_TRUE(dc.SetSize(3, 2));
    EXPECT_EQ(dc.GetClientRect(), TRectIG(0, 0, 3, 2));
}
