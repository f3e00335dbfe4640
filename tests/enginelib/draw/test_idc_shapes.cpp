// Pens, brushes, outlines, fills, clipping and single pixels of IDC.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <utility>

#include "test_idc_support.h"

using namespace idctest;

namespace {

// The set of changed pixels, for exact shape checks.
std::set<std::pair<int, int>> ChangedSet(const Canvas& c)
{
    std::set<std::pair<int, int>> s;
    for (int y = 0; y < c.dib.AbsHeight(); ++y)
        for (int x = 0; x < c.dib.Width(); ++x)
            if (!c.IsBack(x, y))
                s.insert({x, y});
    return s;
}

// The ring of pixels just inside r (right and bottom exclusive), depth deep.
std::set<std::pair<int, int>> Ring(TRectIG r, int depth)
{
    std::set<std::pair<int, int>> s;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            if (x < r.left + depth || x >= r.right - depth || y < r.top + depth || y >= r.bottom - depth)
                s.insert({x, y});
    return s;
}

} // namespace

TEST(IdcFill, RectangleCoversLeftTopInclusiveRightBottomExclusive)
{
    for (int bpp : {16, 24, 32}) {
        SCOPED_TRACE(bpp);
        Canvas c(24, 16, bpp);
        c.dc.SetBrush(kRed, 0);
        c.dc.SetPen(kBlue, 1, 0, nullptr, false);
        c.dc.Rectangle(TRectIG(2, 3, 8, 9));
        // Pen outline on the rectangle's own border pixels, brush inside.
        EXPECT_EQ(ChangedSet(c).size(), 36u);
        EXPECT_EQ(c.At(2, 3), kBlue);
        EXPECT_EQ(c.At(7, 8), kBlue);
        EXPECT_EQ(c.At(7, 3), kBlue);
        EXPECT_EQ(c.At(3, 4), kRed);
        EXPECT_EQ(c.At(6, 7), kRed);
        EXPECT_TRUE(c.IsBack(8, 3));
        EXPECT_TRUE(c.IsBack(2, 9));
    }
}

TEST(IdcFill, EmptyAndInvertedRectanglesDrawNothing)
{
    const TRectIG cases[] = {{5, 5, 5, 9}, {5, 5, 9, 5}, {9, 5, 5, 9}, {5, 9, 9, 5}, {9, 9, 5, 5}};
    for (const TRectIG& r : cases) {
        Canvas c;
        c.dc.SetBrush(kRed, 0);
        c.dc.SetPen(kRed, 1);
        c.dc.Rectangle(r);
        c.dc.RectangleA(r, 128);
        c.dc.Rectangle_Arrodonit_Vacio(r, 2);
        EXPECT_EQ(c.Changed(), 0) << r.left << "," << r.top << "," << r.right << "," << r.bottom;
    }
}

TEST(IdcFill, RectangleAMixesTheBrushColour)
{
    // 32 bits: exact to rounding.
    Canvas c(8, 8, 32);
    c.dib.Fill(kBlack);
    c.dc.SetBrush(TColorIG(200, 100, 0), 0);
    c.dc.RectangleA(TRectIG(0, 0, 4, 8), 127);
    EXPECT_TRUE(Near(c.At(1, 1), TColorIG(100, 50, 0), 1)) << std::hex << c.At(1, 1).color;
    EXPECT_EQ(c.At(4, 1), kBlack);
    // The full-screen dim of the page stack, RGB(10,10,10) at 127, over white.
    c.dib.Fill(kWhite);
    c.dc.SetBrush(TColorIG(10, 10, 10), 0);
    c.dc.RectangleA(TRectIG(0, 0, 8, 8), 127);
    EXPECT_TRUE(Near(c.At(7, 7), TColorIG(132, 132, 132), 1)) << std::hex << c.At(7, 7).color;
    // 0 draws nothing, 255 (and more) is an opaque fill.
    c.dib.Fill(kBlack);
    c.dc.SetBrush(kRed, 0);
    c.dc.RectangleA(TRectIG(0, 0, 8, 8), 0);
    EXPECT_EQ(c.At(3, 3), kBlack);
    c.dc.RectangleA(TRectIG(0, 0, 8, 8), 300);
    EXPECT_EQ(c.At(3, 3), kRed);
}

TEST(IdcFill, RectangleAOn565IsCloseToTheExactMix)
{
    Canvas c(8, 8, 16);
    c.dib.Fill(kWhite);
    c.dc.SetBrush(kBlue, 0);
    c.dc.RectangleA(TRectIG(0, 0, 8, 8), 64);
    EXPECT_TRUE(Near(c.At(0, 0), TColorIG(191, 191, 255), 8)) << std::hex << c.At(0, 0).color;
}

TEST(IdcOutline, RectangleVacioJoinsTheFourCornersInclusive)
{
    Canvas c;
    c.dc.SetPen(kYellow, 1, 0, nullptr, false);
    c.dc.Rectangle_Vacio(2, 3, 7, 9);
    EXPECT_EQ(ChangedSet(c), Ring(TRectIG(2, 3, 8, 10), 1));
}

TEST(IdcOutline, SolidBorderArithmeticGivesARingInsideTheRectangle)
{
    // The border style draws Rectangle_Vacio(L+i, T+i, R-i-1, B-i-1) for each i.
    Canvas c;
    const TRectIG r(3, 2, 20, 14);
    c.dc.SetPen(kGreen, 1, 0, nullptr, false);
    for (int i = 0; i < 3; ++i)
        c.dc.Rectangle_Vacio(r.left + i, r.top + i, r.right - i - 1, r.bottom - i - 1);
    EXPECT_EQ(ChangedSet(c), Ring(r, 3));
}

TEST(IdcOutline, OutsetBorderLinesCloseTheRingWithoutOverlap)
{
    // Lines leave out their end point, so the four sides of the outset style
    // meet exactly: colour on the left and top, shade on the right and bottom.
    Canvas c;
    const int L = 2, T = 2, R = 14, B = 12;
    for (int i = 0; i < 2; ++i) {
        c.dc.SetPen(kWhite, 1, 0, nullptr, false);
        c.dc.Line(L + i, B - i - 1, L + i, T + i);
        c.dc.Line(L + i, T + i, R - i - 1, T + i);
        c.dc.SetPen(kBlack, 1, 0, nullptr, false);
        c.dc.Line(R - i - 1, T + i, R - i - 1, B - i - 1);
        c.dc.Line(R - i - 1, B - i - 1, L + i, B - i - 1);
    }
    EXPECT_EQ(ChangedSet(c), Ring(TRectIG(L, T, R, B), 2));
    EXPECT_EQ(c.At(L, T), kWhite);
    EXPECT_EQ(c.At(R - 1, T), kBlack);     // top-right corner belongs to the shade side
    EXPECT_EQ(c.At(L, B - 1), kWhite);     // bottom-left corner to the colour side
    EXPECT_EQ(c.At(R - 1, B - 1), kBlack);
}

TEST(IdcOutline, LineLeavesOutItsEndPoint)
{
    struct Case {
        int x1, y1, x2, y2;
        std::set<std::pair<int, int>> pixels;
    };
    const Case cases[] = {
        {1, 1, 5, 1, {{1, 1}, {2, 1}, {3, 1}, {4, 1}}},
        {5, 1, 1, 1, {{5, 1}, {4, 1}, {3, 1}, {2, 1}}},
        {2, 6, 2, 3, {{2, 6}, {2, 5}, {2, 4}}},
        {0, 0, 4, 4, {{0, 0}, {1, 1}, {2, 2}, {3, 3}}},
        {4, 0, 0, 2, {{4, 0}, {3, 1}, {2, 1}, {1, 2}}},
        {3, 3, 3, 3, {}},
    };
    for (const Case& k : cases) {
        Canvas c;
        c.dc.SetPen(kRed, 1);
        c.dc.Line(k.x1, k.y1, k.x2, k.y2);
        EXPECT_EQ(ChangedSet(c), k.pixels) << k.x1 << "," << k.y1 << " -> " << k.x2 << "," << k.y2;
    }
}

TEST(IdcOutline, WidePenGrowsRightAndDown)
{
    Canvas c;
    c.dc.SetPen(kRed, 2, 0, nullptr, false);
    c.dc.Line(3, 5, 7, 5);
    EXPECT_EQ(ChangedSet(c), Ring(TRectIG(3, 5, 8, 7), 5)); // x 3..7, y 5..6
}

TEST(IdcOutline, HatchBrushDotsOutlinesUntilTheNextPen)
{
    Canvas c;
    c.dc.SetBrush(kWhite, 0);
    c.dc.SetPen(kWhite, 1, 0, nullptr, false);
    c.dc.SetHatchBrush(kWhite, 2);
    c.dc.Rectangle_Vacio(TRectIG(2, 2, 12, 10));
    // Every other pixel of the ring, anchored at the top-left corner.
    for (const auto& p : Ring(TRectIG(2, 2, 13, 11), 1)) {
        const bool on = ((p.first - 2) + (p.second - 2)) % 2 == 0;
        EXPECT_EQ(!c.IsBack(p.first, p.second), on) << p.first << "," << p.second;
    }
    EXPECT_EQ(c.Changed(), 18);
    // A new pen draws solid again.
    c.dc.SetPen(kWhite, 1, 0, nullptr, false);
    c.dc.Rectangle_Vacio(TRectIG(2, 2, 12, 10));
    EXPECT_EQ(c.Changed(), 36);
}

TEST(IdcOutline, RoundedOutlineStaysInsideAndCutsTheCorners)
{
    Canvas c;
    const TRectIG r(2, 2, 22, 14);
    c.dc.SetPen(kCyan, 2, 0, nullptr, false);
    c.dc.Rectangle_Arrodonit_Vacio(r, 5);
    for (const auto& p : ChangedSet(c))
        EXPECT_TRUE(r.PtInRect(p.first, p.second)) << p.first << "," << p.second;
    EXPECT_TRUE(c.IsBack(2, 2));   // corner cut away
    EXPECT_TRUE(c.IsBack(21, 13));
    EXPECT_EQ(c.At(12, 2), kCyan); // straight parts two pixels deep
    EXPECT_EQ(c.At(12, 3), kCyan);
    EXPECT_TRUE(c.IsBack(12, 4));
    EXPECT_EQ(c.At(2, 8), kCyan);
    EXPECT_EQ(c.At(21, 8), kCyan);
    EXPECT_TRUE(c.IsBack(12, 8));  // hollow
}

TEST(IdcOutline, NegativeRadiusGivesSquareCorners)
{
    Canvas a, b;
    a.dc.SetPen(kCyan, 2);
    b.dc.SetPen(kCyan, 2);
    // The round border passes radius - i, negative for inner rings.
    a.dc.Rectangle_Arrodonit_Vacio(TRectIG(2, 2, 20, 12), -3);
    b.dc.Rectangle_Arrodonit_Vacio(TRectIG(2, 2, 20, 12), 0);
    EXPECT_EQ(ChangedSet(a), ChangedSet(b));
    EXPECT_EQ(ChangedSet(a), Ring(TRectIG(2, 2, 20, 12), 2));
}

TEST(IdcOutline, RadiusIsLimitedToHalfTheShorterSide)
{
    Canvas a, b;
    a.dc.SetPen(kCyan, 1);
    b.dc.SetPen(kCyan, 1);
    a.dc.Rectangle_Arrodonit_Vacio(TRectIG(2, 2, 22, 10), 1000);
    b.dc.Rectangle_Arrodonit_Vacio(TRectIG(2, 2, 22, 10), 4);
    EXPECT_EQ(ChangedSet(a), ChangedSet(b));
    EXPECT_GT(a.Changed(), 0);
}

TEST(IdcShapes, CircleRadiusAndFill)
{
    Canvas c;
    c.dc.SetBrush(kBlack, 0);
    c.dc.SetPen(kWhite, 1);
    c.dc.Circle(8, 8, 5, false);
    EXPECT_EQ(c.At(8, 3), kWhite);
    EXPECT_EQ(c.At(13, 8), kWhite);
    EXPECT_EQ(c.At(3, 8), kWhite);
    EXPECT_EQ(c.At(8, 13), kWhite);
    EXPECT_TRUE(c.IsBack(8, 2));
    EXPECT_TRUE(c.IsBack(8, 8)); // hollow
    c.dc.Circle(8, 8, 3, true);
    EXPECT_EQ(c.At(8, 8), kBlack);
    EXPECT_EQ(c.At(8, 5), kWhite);
    // The outline is symmetric.
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            EXPECT_EQ(c.At(x, y), c.At(16 - x, y)) << x << "," << y;
}

TEST(IdcShapes, PolygonFillsPixelCentresInside)
{
    Canvas c;
    c.dc.SetBrush(kRed, 0);
    c.dc.SetPen(kRed, 1);
    const TPointIG square[4] = {{2, 2}, {10, 2}, {10, 8}, {2, 8}};
    c.dc.Polygon(square, 4);
    // The fill covers [2,10) x [2,8); the outline adds the far column and row.
    EXPECT_EQ(ChangedSet(c), Ring(TRectIG(2, 2, 11, 9), 20));
    // Fewer than two points: nothing; a null array: nothing.
    Canvas d;
    d.dc.Polygon(square, 1);
    d.dc.Polygon(nullptr, 4);
    EXPECT_EQ(d.Changed(), 0);
}

TEST(IdcShapes, ArrowHeadPointsAtTheHead)
{
    Canvas c(24, 24);
    c.dc.SetBrush(kYellow, 0);
    c.dc.SetPen(kYellow, 1);
    // Straight up, as a bearing of 0 draws it.
    c.dc.Flecha(TPointIG(12, 20), TPointIG(12, 3), 10, 10, true, 0.25f);
    EXPECT_EQ(c.At(12, 3), kYellow);
    EXPECT_EQ(c.At(12, 19), kYellow);
    // The head is at most a quarter of the 17-pixel arrow: about 4 long.
    EXPECT_EQ(c.At(11, 6), kYellow);
    EXPECT_EQ(c.At(13, 6), kYellow);
    EXPECT_TRUE(c.IsBack(12, 21));
    EXPECT_TRUE(c.IsBack(9, 12));
    EXPECT_TRUE(c.IsBack(15, 12));
    // Nothing beyond the head's half width of about 2 pixels.
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 24; ++x)
            if (x < 10 || x > 14) {
                EXPECT_TRUE(c.IsBack(x, y)) << x << "," << y;
            }
}

TEST(IdcPixel, SetPixelMixesByCoverageInsideTheClipOnly)
{
    for (int bpp : {16, 24, 32}) {
        SCOPED_TRACE(bpp);
        Canvas c(8, 8, bpp);
        c.dib.Fill(kBlack);
        c.dc.SetPixel(1, 1, kWhite, 255);
        c.dc.SetPixel(2, 1, kWhite, 0);
        c.dc.SetPixel(3, 1, kWhite, 128);
        c.dc.SetPixel(4, 1, kWhite); // full coverage by default
        c.dc.SetPixel(-1, 1, kWhite, 255);
        c.dc.SetPixel(8, 1, kWhite, 255);
        c.dc.SetPixel(1, 8, kWhite, 255);
        EXPECT_EQ(c.At(1, 1), kWhite);
        EXPECT_EQ(c.At(2, 1), kBlack);
        EXPECT_TRUE(Near(c.At(3, 1), TColorIG(128, 128, 128), 5));
        EXPECT_EQ(c.At(4, 1), kWhite);
        c.dc.SelectClipRect(TRectIG(0, 0, 4, 4));
        c.dc.SetPixel(5, 5, kWhite, 255);
        c.dc.SetPixel(3, 3, kWhite, 255);
        EXPECT_EQ(c.At(5, 5), kBlack);
        EXPECT_EQ(c.At(3, 3), kWhite);
    }
}

TEST(IdcClip, SelectClipRectReplacesAndFinRemoves)
{
    Canvas c;
    EXPECT_EQ(c.dc.GetClipRect(), TRectIG());
    c.dc.SelectClipRect(TRectIG(4, 4, 10, 10));
    c.dc.SelectClipRect(TRectIG(2, 2, 6, 6)); // replaces, not intersects
    EXPECT_EQ(c.dc.GetClipRect(), TRectIG(2, 2, 6, 6));
    c.dc.SetBrush(kRed, 0);
    c.dc.SetPen(kRed, 1);
    c.dc.Rectangle(TRectIG(0, 0, 24, 16));
    EXPECT_EQ(ChangedSet(c), Ring(TRectIG(2, 2, 6, 6), 4));
    c.dc.Fin_SelectClipRgn();
    EXPECT_EQ(c.dc.GetClipRect(), TRectIG());
    c.dc.Rectangle(TRectIG(0, 0, 24, 16));
    EXPECT_EQ(c.Changed(), 24 * 16);
}

TEST(IdcClip, EmptyOrInvertedClipHidesEverything)
{
    for (const TRectIG& clip : {TRectIG(5, 5, 5, 10), TRectIG(10, 10, 2, 2), TRectIG(30, 30, 40, 40)}) {
        Canvas c;
        c.dc.SelectClipRect(clip);
        EXPECT_EQ(c.dc.GetClipRect(), clip);
        c.dc.SetBrush(kRed, 0);
        c.dc.SetPen(kRed, 1);
        c.dc.Rectangle(TRectIG(0, 0, 24, 16));
        c.dc.Line(0, 0, 20, 10);
        c.dc.SetPixel(6, 6, kRed);
        c.dc.Circle(8, 8, 4, true);
        EXPECT_EQ(c.Changed(), 0);
    }
}

// ---------------------------------------------------------------------------
// Golden images: one small picture per kind of primitive.

TEST(IdcGolden, Fills)
{
    for (int bpp : {16, 32}) {
        Canvas c(24, 16, bpp);
        c.dc.SetBrush(kRed, 0);
        c.dc.SetPen(kRed, 1);
        c.dc.Rectangle(TRectIG(1, 1, 9, 7));
        c.dc.SetBrush(kBlue, 0);
        c.dc.SetPen(kWhite, 1);
        c.dc.Rectangle(TRectIG(6, 4, 16, 12));
        c.dc.SetBrush(kYellow, 0);
        c.dc.SetPen(kGreen, 2);
        c.dc.Rectangle(TRectIG(14, 2, 23, 15));
        // Touching the right and bottom edges, and running off them.
        c.dc.SetBrush(kCyan, 0);
        c.dc.SetPen(kCyan, 1);
        c.dc.Rectangle(TRectIG(-5, 12, 4, 40));
        EXPECT_TRUE(golden::Matches(c.dib, bpp == 16 ? "idc/fills_565" : "idc/fills_888"));
    }
}

TEST(IdcGolden, Outlines)
{
    Canvas c(32, 24);
    c.dc.SetPen(kWhite, 1);
    c.dc.Rectangle_Vacio(1, 1, 10, 8);
    c.dc.SetPen(kGreen, 2);
    c.dc.Rectangle_Vacio(13, 1, 30, 8);
    c.dc.SetPen(kCyan, 2);
    c.dc.Rectangle_Arrodonit_Vacio(TRectIG(1, 11, 15, 23), 4);
    c.dc.SetPen(kYellow, 1);
    c.dc.Rectangle_Arrodonit_Vacio(TRectIG(17, 11, 31, 23), 6);
    EXPECT_TRUE(golden::Matches(c.dib, "idc/outlines"));
}

TEST(IdcGolden, Dotted)
{
    Canvas c(24, 16);
    c.dc.SetBrush(kWhite, 0);
    c.dc.SetPen(kWhite, 1);
    c.dc.SetHatchBrush(kWhite, 2);
    c.dc.Rectangle_Vacio(TRectIG(1, 1, 22, 14));
    c.dc.SetHatchBrush(kYellow, 2);
    c.dc.Rectangle_Vacio(TRectIG(4, 4, 10, 11));
    c.dc.Line(12, 4, 21, 11);
    EXPECT_TRUE(golden::Matches(c.dib, "idc/dotted"));
}

TEST(IdcGolden, Lines)
{
    Canvas c(32, 24);
    c.dc.SetPen(kWhite, 1);
    for (int i = 0; i < 8; ++i) {
        const double a = i * 3.14159265 / 8;
        c.dc.Line(11, 11, 11 + int(std::lround(10 * std::cos(a))), 11 - int(std::lround(10 * std::sin(a))));
    }
    c.dc.SetPen(kRed, 2);
    c.dc.Line(24, 2, 30, 22);
    c.dc.Line(22, 22, 30, 14);
    // The pointer trail's cross.
    c.dc.SetPen(TColorIG(0xFF, 0x7E, 0x7E), 1);
    c.dc.Line(4, 18, 9, 18);
    c.dc.Line(6, 15, 6, 21);
    EXPECT_TRUE(golden::Matches(c.dib, "idc/lines"));
}

TEST(IdcGolden, PolygonCircleArrow)
{
    Canvas c(48, 24);
    c.dc.SetBrush(kBlue, 0);
    c.dc.SetPen(kWhite, 1);
    const TPointIG star[5] = {{6, 1}, {10, 20}, {1, 8}, {12, 8}, {2, 20}};
    c.dc.Polygon(star, 5);
    c.dc.SetBrush(kBlack, 0);
    c.dc.SetPen(kGreen, 1);
    c.dc.Circle(20, 11, 7, false);
    c.dc.Circle(20, 11, 4, true);
    c.dc.SetBrush(kYellow, 0);
    c.dc.SetPen(kYellow, 1);
    c.dc.Flecha(TPointIG(30, 21), TPointIG(36, 2), 10, 10, true, 0.25f);
    c.dc.SetPen(kRed, 1);
    c.dc.Flecha(TPointIG(39, 21), TPointIG(46, 5), 6, 6, false, 0.0f);
    EXPECT_TRUE(golden::Matches(c.dib, "idc/polygon_circle_arrow"));
}

TEST(IdcGolden, AlphaFillAndClip)
{
    Canvas c(24, 16, 32);
    c.dc.SetBrush(kRed, 0);
    c.dc.SetPen(kRed, 1);
    c.dc.Rectangle(TRectIG(0, 0, 12, 16));
    c.dc.SetBrush(kWhite, 0);
    c.dc.RectangleA(TRectIG(4, 2, 20, 8), 96);
    c.dc.SetBrush(TColorIG(10, 10, 10), 0);
    c.dc.RectangleA(TRectIG(4, 9, 20, 14), 127);
    c.dc.SelectClipRect(TRectIG(16, 0, 24, 6));
    c.dc.SetBrush(kGreen, 0);
    c.dc.SetPen(kGreen, 1);
    c.dc.Circle(20, 4, 5, true);
    c.dc.Fin_SelectClipRgn();
    EXPECT_TRUE(golden::Matches(c.dib, "idc/alpha_fill_clip"));
}
