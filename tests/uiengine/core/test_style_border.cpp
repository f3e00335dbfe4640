#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "enginelib/base/TFicheroITV.h"
#include "enginelib/draw/IDC.h"
#include "enginelib/draw/TDibIG.h"
#include "support/GoldenImage.h"
#include "style_test_support.h"
#include "uiengine/core/TPDAUIEngineSkinSettings.h"
#include "uiengine/core/TPDAUIEngineStyleBorder.h"

namespace {

using namespace styletest;

using Border = TPDAUIEngineStyleBorder;

const TColorIG kRed(255, 0, 0);
const TColorIG kBlue(0, 0, 255);

Border Make(int style, int width, TColorIG colour = kRed, TColorIG shade = kBlue, int radius = 4)
{
    Border b;
    b.style = style;
    b.width = width;
    b.colour = colour;
    b.shade = shade;
    b.radius = radius;
    return b;
}

// A border whose every field differs from the defaults and from what the
// texts below set.
Border Preset()
{
    Border b;
    b.width = 9;
    b.style = Border::StyleLeftTop;
    b.colour = TColorIG(1, 2, 3);
    b.shade = TColorIG(4, 5, 6);
    b.alpha = 77;
    b.radius = 11;
    return b;
}

} // namespace

// ---- Parsing ----

TEST(StyleBorderParseTest, Defaults)
{
    Border b;
    EXPECT_EQ(0, b.width);
    EXPECT_EQ(0, b.style);
    EXPECT_EQ(TColoresIG::F_Black, b.colour);
    EXPECT_EQ(TColorIG(0), b.shade);
    EXPECT_EQ(255, b.alpha);
    EXPECT_EQ(4, b.radius);
}

TEST(StyleBorderParseTest, TextForms)
{
    const TColorIG P(1, 2, 3);  // the preset colour
    struct Case {
        float scale;
        const char* text;
        int style, width;
        TColorIG colour, shade;
        int alpha, radius;
    } cases[] = {
        {1.0f, "Solid 2 #FF0000", 1, 2, kRed, TColorIG(0, 255, 255), 255, 11},
        {1.0f, "Solid  2   #FF0000", 1, 2, kRed, TColorIG(0, 255, 255), 255, 11},
        {1.0f, "Solid 2 #FF000080", 1, 2, kRed, TColorIG(0, 255, 255), 128, 11},
        {1.0f, "Outset 1 #FFFFFF #808080", 3, 1, TColorIG(255, 255, 255), TColorIG(128, 128, 128), 255, 11},
        {1.0f, "Groove 4 #FF0000 #0000FF", 5, 4, kRed, kBlue, 255, 11},
        {1.0f, "BottomOutset 1 #000000 #FFFFFF", 10, 1, TColorIG(0), TColorIG(255, 255, 255), 255, 11},
        // Round: the fourth word is the radius, scaled, and is read as the shade too
        // (a word that is no colour gives black).
        {1.5f, "Round 2 #000080 6", 2, 3, TColorIG(0, 0, 128), TColorIG(0), 255, 9},
        {2.0f, "Round 2 #000000", 2, 4, TColorIG(0), TColorIG(255, 255, 255), 255, 11},
        {1.0f, "Round 1 #000000 -3", 2, 1, TColorIG(0), TColorIG(0), 255, -3},
        {1.5f, "Solid 3 #FF0000 7", 1, 4, kRed, TColorIG(0), 255, 11},  // radius only for Round
        // Unknown keywords (case counts) are Solid.
        {1.0f, "Fancy 3 #00FF00", 1, 3, TColorIG(0, 255, 0), TColorIG(255, 0, 255), 255, 11},
        {1.0f, "solid 3 #00FF00", 1, 3, TColorIG(0, 255, 0), TColorIG(255, 0, 255), 255, 11},
        // "None" alone sets the style only; as a keyword it takes the rest.
        {1.0f, "None", 0, 9, P, TColorIG(4, 5, 6), 77, 11},
        {1.0f, "None 2 #FF0000", 0, 2, kRed, TColorIG(0, 255, 255), 255, 11},
        // Too few words, or none: nothing changes.
        {1.0f, "Solid 2", 15, 9, P, TColorIG(4, 5, 6), 77, 11},
        {1.0f, "", 15, 9, P, TColorIG(4, 5, 6), 77, 11},
        // Bad numbers read as 0; a colour that does not decode keeps the old one.
        {1.5f, "Top x #FF0000", 6, 0, kRed, TColorIG(0, 255, 255), 255, 11},
        {1.0f, "Solid 2 nocolour", 1, 2, P, P.Negative(), 77, 11},
        {1.5f, "Solid 5 #FF0000", 1, 7, kRed, TColorIG(0, 255, 255), 255, 11},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.text << " at " << c.scale);
        LiveSettings live(c.scale);
        Border b = Preset();
        b.Parse(c.text);
        EXPECT_EQ(c.style, b.style);
        EXPECT_EQ(c.width, b.width);
        EXPECT_EQ(c.colour, b.colour);
        EXPECT_EQ(c.shade, b.shade);
        EXPECT_EQ(c.alpha, b.alpha);
        EXPECT_EQ(c.radius, b.radius);
    }
}

TEST(StyleBorderParseTest, EveryKeyword)
{
    const char* keywords[] = {"None",   "Solid",        "Round",           "Outset",
                              "Dotted", "Groove",       "Top",             "Left",
                              "Right",  "Bottom",       "BottomOutset",    "LeftRightBottom",
                              "LeftRightTop", "RightBottom", "LeftBottom", "LeftTop"};
    for (int code = 0; code < 16; ++code) {
        SCOPED_TRACE(keywords[code]);
        Border b;
        b.Parse(DString(keywords[code]) + " 1 #000000");
        EXPECT_EQ(code, b.style);
    }
}

TEST(StyleBorderParseTest, CopyTakesEveryField)
{
    Border a = Preset();
    a.style = Border::StyleGroove;
    Border b;
    b = a;
    EXPECT_EQ(a.width, b.width);
    EXPECT_EQ(a.style, b.style);
    EXPECT_EQ(a.colour, b.colour);
    EXPECT_EQ(a.shade, b.shade);
    EXPECT_EQ(a.alpha, b.alpha);
    EXPECT_EQ(a.radius, b.radius);
}

// ---- Layout ----

TEST(StyleBorderLayoutTest, DeflateByWidth)
{
    const int insets[] = {0, 1, 1, 2, 2, 3, 4, 0, 0, 0};  // widths 0 .. 9
    for (int width = -1; width <= 9; ++width) {
        SCOPED_TRACE(width);
        TRectIG r(10, 10, 50, 50);
        Make(Border::StyleSolid, width).DeflateRect(r);
        const int d = width < 0 ? 0 : insets[width];
        EXPECT_EQ(TRectIG(10 + d, 10 + d, 50 - d, 50 - d), r);
    }
}

TEST(StyleBorderLayoutTest, DeflateByStyle)
{
    const TRectIG all(11, 11, 49, 49);
    struct Case {
        int style;
        TRectIG expected;  // for width 2 (inset 1) on (10, 10, 50, 50)
    } cases[] = {
        {0, all},
        {1, all},
        {2, all},
        {3, all},
        {4, all},
        {5, all},
        {6, TRectIG(10, 10, 50, 50)},
        {7, TRectIG(11, 10, 50, 50)},
        {8, TRectIG(10, 10, 49, 50)},
        {9, TRectIG(10, 10, 50, 49)},
        {10, all},
        {11, all},
        {12, TRectIG(10, 11, 50, 50)},
        {13, all},
        {14, TRectIG(11, 10, 50, 49)},
        {15, TRectIG(10, 10, 50, 50)},
        {99, all},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.style);
        TRectIG r(10, 10, 50, 50);
        Make(c.style, 2).DeflateRect(r);
        EXPECT_EQ(c.expected, r);
    }
    // No style and no width: nothing at all.
    TRectIG r(10, 10, 50, 50);
    Make(Border::StyleNone, 0).DeflateRect(r);
    EXPECT_EQ(TRectIG(10, 10, 50, 50), r);
}

TEST(StyleBorderLayoutTest, SideWidths)
{
    struct Case {
        int style;
        int top, bottom, left, right;
    } cases[] = {
        {0, 0, 0, 0, 0},  {1, 3, 3, 3, 3},  {2, 3, 3, 3, 3},  {3, 3, 3, 3, 3},
        {4, 3, 3, 3, 3},  {5, 3, 3, 3, 3},  {6, 3, 0, 0, 0},  {7, 0, 0, 3, 0},
        {8, 0, 0, 0, 3},  {9, 0, 3, 0, 0},  {10, 0, 6, 0, 0}, {11, 0, 3, 3, 3},
        {12, 3, 0, 3, 3}, {13, 0, 3, 0, 3}, {14, 0, 3, 3, 0}, {15, 3, 0, 3, 0},
        {16, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.style);
        const Border b = Make(c.style, 3);
        EXPECT_EQ(c.top, b.GetTopWidth());
        EXPECT_EQ(c.bottom, b.GetBottomWidth());
        EXPECT_EQ(c.left, b.GetLeftWidth());
        EXPECT_EQ(c.right, b.GetRightWidth());
    }
    EXPECT_EQ(INT_MAX, Make(Border::StyleBottomOutset, INT_MAX).GetBottomWidth());
}

// ---- Drawing ----

TEST(StyleBorderDrawTest, SolidRings)
{
    Canvas canvas(20, 20);
    Make(Border::StyleSolid, 2).Draw(&canvas.dc, TRectIG(2, 2, 12, 10));
    EXPECT_EQ(kRed, canvas.At(2, 2));
    EXPECT_EQ(kRed, canvas.At(11, 9));
    EXPECT_EQ(kRed, canvas.At(3, 3));
    EXPECT_EQ(kRed, canvas.At(10, 8));
    EXPECT_EQ(kPaper, canvas.At(4, 4));
    EXPECT_EQ(kPaper, canvas.At(12, 2));
    EXPECT_EQ(kPaper, canvas.At(2, 10));
    EXPECT_EQ(32 + 24, canvas.Count(kRed));
    // Width 0 draws nothing.
    Make(Border::StyleSolid, 0).Draw(&canvas.dc, TRectIG(14, 14, 20, 20));
    Make(Border::StyleNone, 5).Draw(&canvas.dc, TRectIG(14, 14, 20, 20));
    EXPECT_EQ(56, canvas.Count(kRed));
}

TEST(StyleBorderDrawTest, GrooveHalfColourHalfShade)
{
    Canvas canvas(20, 20);
    Make(Border::StyleGroove, 4).Draw(&canvas.dc, TRectIG(0, 0, 20, 20));
    EXPECT_EQ(kRed, canvas.At(0, 10));
    EXPECT_EQ(kRed, canvas.At(1, 10));
    EXPECT_EQ(kBlue, canvas.At(2, 10));
    EXPECT_EQ(kBlue, canvas.At(3, 10));
    EXPECT_EQ(kPaper, canvas.At(4, 10));
    EXPECT_EQ(kBlue, canvas.At(16, 16));
    EXPECT_EQ(kRed, canvas.At(19, 19));
}

TEST(StyleBorderDrawTest, OutsetLightTopLeftDarkBottomRight)
{
    Canvas canvas(12, 12);
    Make(Border::StyleOutset, 2).Draw(&canvas.dc, TRectIG(0, 0, 10, 10));
    EXPECT_EQ(kRed, canvas.At(0, 0));
    EXPECT_EQ(kRed, canvas.At(0, 9));
    EXPECT_EQ(kRed, canvas.At(8, 0));
    EXPECT_EQ(kBlue, canvas.At(9, 0));
    EXPECT_EQ(kBlue, canvas.At(9, 9));
    EXPECT_EQ(kBlue, canvas.At(1, 9));
    EXPECT_EQ(kRed, canvas.At(1, 1));
    EXPECT_EQ(kBlue, canvas.At(8, 8));
    EXPECT_EQ(kPaper, canvas.At(2, 2));
    EXPECT_EQ(kPaper, canvas.At(10, 10));
}

TEST(StyleBorderDrawTest, SideLines)
{
    // (style, a pixel drawn, a pixel left alone) on (2, 2, 12, 12) with width 2.
    struct Case {
        int style;
        int dx, dy, ux, uy;
        TColorIG colour;
    } cases[] = {
        {Border::StyleTop, 11, 3, 11, 4, kRed},
        {Border::StyleLeft, 3, 11, 4, 5, kRed},       // lines stand at L + i and reach B - 1
        {Border::StyleLeft, 3, 2, 3, 12, kRed},
        {Border::StyleRight, 12, 2, 10, 5, kRed},     // i = 0 stands on R itself
        {Border::StyleBottom, 2, 12, 2, 10, kRed},
        {Border::StyleBottomOutset, 5, 11, 5, 9, kRed},
        {Border::StyleBottomOutset, 5, 10, 5, 12, kRed},   // the shade of ring 0 is covered by ring 1
        {Border::StyleBottomOutset, 5, 9, 5, 12, kBlue},
        {Border::StyleLeftRightBottom, 11, 3, 6, 6, kRed},
        {Border::StyleLeftRightTop, 6, 3, 6, 6, kRed},
        {Border::StyleRightBottom, 10, 11, 2, 6, kRed},
        {Border::StyleLeftBottom, 2, 11, 11, 6, kRed},
        {Border::StyleLeftTop, 10, 2, 11, 6, kRed},
        {Border::StyleRightBottom, 10, 12, 11, 12, kRed},  // the bottom lines end at R - 1
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "style " << c.style << " at " << c.dx << "," << c.dy);
        Canvas canvas(16, 16);
        Make(c.style, 2).Draw(&canvas.dc, TRectIG(2, 2, 12, 12));
        EXPECT_EQ(c.colour, canvas.At(c.dx, c.dy));
        EXPECT_NE(c.colour, canvas.At(c.ux, c.uy));
    }
}

TEST(StyleBorderDrawTest, RoundAndNegativeRadii)
{
    Canvas canvas(40, 20);
    Make(Border::StyleRound, 2, kRed, kBlue, 6).Draw(&canvas.dc, TRectIG(0, 0, 20, 20));
    EXPECT_EQ(kPaper, canvas.At(0, 0));  // the corner is cut
    EXPECT_EQ(kRed, canvas.At(10, 0));
    EXPECT_EQ(kRed, canvas.At(0, 10));
    EXPECT_EQ(kPaper, canvas.At(10, 10));
    // radius - i goes below 0: square corners, nothing outside the rectangle.
    Make(Border::StyleRound, 6, kBlue, kBlue, 1).Draw(&canvas.dc, TRectIG(22, 2, 38, 18));
    Make(Border::StyleRound, 3, kBlue, kBlue, -20).Draw(&canvas.dc, TRectIG(30, 10, 31, 11));
    EXPECT_EQ(kBlue, canvas.At(30, 10));
    for (int y = 0; y < 20; ++y)
        EXPECT_EQ(kPaper, canvas.At(39, y));
    canvas.Finish();
    EXPECT_TRUE(golden::Matches(canvas.dib, "styles/border_round"));
}

TEST(StyleBorderDrawTest, HugeWidthsEndQuickly)
{
    Canvas canvas(30, 30);
    for (int style = 1; style <= 15; ++style) {
        Make(style, INT_MAX).Draw(&canvas.dc, TRectIG(5, 5, 25, 25));
        Make(style, INT_MAX).Draw(&canvas.dc, TRectIG(INT_MIN, INT_MIN, INT_MAX, INT_MAX));
    }
    // The Solid rings fill the rectangle and no more... then the others paint over.
    EXPECT_NE(kPaper, canvas.At(15, 15));
}

// Rings and radii are bounded by the rectangle: absurd widths and radii end at
// once and paint nothing outside it (lines stand on R and B at most).
TEST(StyleBorderDrawTest, HugeWidthsAndRadiiStayInsideTheRectangle)
{
    const TRectIG rect(10, 10, 50, 30);
    for (int style = 1; style <= 15; ++style) {
        for (int size : {41, 1000, INT_MAX}) {
            SCOPED_TRACE(testing::Message() << "style " << style << " size " << size);
            Canvas canvas(60, 40);
            Make(style, size, kRed, kBlue, size).Draw(&canvas.dc, rect);
            int outside = 0;
            for (int y = 0; y < 40; ++y)
                for (int x = 0; x < 60; ++x) {
                    const bool in = x >= rect.left && x <= rect.right && y >= rect.top && y <= rect.bottom;
                    outside += !in && canvas.At(x, y) != kPaper;
                }
            EXPECT_EQ(0, outside);
            EXPECT_GT(canvas.Painted(), 0);
        }
    }
}

// The text a skin may write: a full-width round border 40 pixels high.
TEST(StyleBorderDrawTest, AbsurdRoundBorderTextPaintsAtOnce)
{
    LiveSettings live;
    Border b;
    b.Parse("Round 2147483647 #204080 2147483647");
    ASSERT_EQ(INT_MAX, b.width);
    ASSERT_EQ(INT_MAX, b.radius);
    Canvas canvas(800, 60);
    b.Draw(&canvas.dc, TRectIG(0, 0, 800, 40));
    EXPECT_EQ(TColorIG(0x20, 0x40, 0x80), canvas.At(400, 20));
    EXPECT_EQ(kPaper, canvas.At(400, 45));
}

TEST(StyleBorderDrawTest, AllStyles)
{
    LiveSettings live;
    Canvas canvas(4 * 40, 4 * 30);
    for (int style = 0; style < 16; ++style) {
        const int cx = (style % 4) * 40, cy = (style / 4) * 30;
        Border b;
        b.Parse(style == 2 ? "Round 3 #FF0000 6" : "Solid 3 #FF0000 #0000FF");
        b.style = style;
        b.Draw(&canvas.dc, TRectIG(cx + 6, cy + 6, cx + 34, cy + 24));
    }
    canvas.Finish();
    EXPECT_TRUE(golden::Matches(canvas.dib, "styles/borders"));
}

// ---- Compiled form ----

TEST(StyleBorderCompiledTest, Layout)
{
    LiveSettings live(1.5f);
    Border b = Make(Border::StyleRound, 3, TColorIG(1, 2, 3), TColorIG(4, 5, 6), 9);
    b.alpha = 200;
    const Bytes bytes = Written([&](TFicheroITV& f) { b.WriteCompiled(f); });
    // width 3 / 1.5, style, colour, shade, alpha, radius 9 / 1.5.
    EXPECT_EQ((Bytes{2, 2, 1, 2, 3, 0, 4, 5, 6, 0, 200, 6}), bytes);
}

TEST(StyleBorderCompiledTest, RoundTripAtEachScale)
{
    struct Case {
        float writeScale, readScale;
        int width, radius;
        int widthBack, radiusBack;
    } cases[] = {
        {1.0f, 1.0f, 3, 4, 3, 4},   {1.5f, 1.5f, 3, 9, 3, 9},     {1.5f, 2.0f, 3, 9, 4, 12},
        {2.0f, 2.0f, 3, 4, 2, 4},   {2.0f, 1.0f, 8, 4, 4, 2},     {1.0f, 1.0f, 200, -200, 127, -128},
        {1.0f, 2.0f, 127, 0, 254, 0}, {1.5f, 1.5f, 1, 1, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "/" << c.radius << " written at " << c.writeScale
                                        << ", read at " << c.readScale);
        LiveSettings live(c.writeScale);
        Border b = Make(Border::StyleLeftRightTop, c.width, TColorIG(10, 20, 30), TColorIG(40, 50, 60), c.radius);
        b.alpha = 128;
        const Bytes bytes = Written([&](TFicheroITV& f) { b.WriteCompiled(f); });
        ASSERT_EQ(12u, bytes.size());
        live.SetScale(c.readScale);
        TFicheroITVdatos in(bytes.data(), ITV_MODO_LECTURA, (uint32_t)bytes.size());
        Border back;
        back.ReadCompiled(in);
        EXPECT_FALSE(in.Error());
        EXPECT_EQ(c.widthBack, back.width);
        EXPECT_EQ(c.radiusBack, back.radius);
        EXPECT_EQ(Border::StyleLeftRightTop, back.style);
        EXPECT_EQ(TColorIG(10, 20, 30), back.colour);
        EXPECT_EQ(TColorIG(40, 50, 60), back.shade);
        EXPECT_EQ(128, back.alpha);
    }
}

TEST(StyleBorderCompiledTest, TruncatedStreamFailsCleanly)
{
    const Bytes bytes = {4, 1, 0xFF};
    TFicheroITVdatos in(bytes.data(), ITV_MODO_LECTURA, (uint32_t)bytes.size());
    Border b = Preset();
    b.ReadCompiled(in);
    EXPECT_TRUE(in.Error());
    EXPECT_EQ(4, b.width);
    EXPECT_EQ(1, b.style);
    EXPECT_EQ(TColorIG(0), b.colour);
    EXPECT_EQ(0, b.radius);
}
