// The drawing context as an object: targets, the double buffer, versions,
// fonts, text callbacks and the placement matrix.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "test_idc_support.h"

using namespace idctest;

TEST(IdcTarget, BeginPaintDibNestsAndRestoresTargetAndClip)
{
    TDibIG a, b;
    a.Crea(10, 10, 16);
    b.Crea(6, 4, 32);
    IDC dc;
    EXPECT_EQ(dc.GetClientRect(), TRectIG());
    ASSERT_TRUE(dc.BeginPaintDib(&a));
    EXPECT_EQ(dc.GetClientRect(), TRectIG(0, 0, 10, 10));
    dc.SelectClipRect(TRectIG(1, 1, 3, 3));
    ASSERT_TRUE(dc.BeginPaintDib(&b));
    EXPECT_EQ(dc.GetDib(), &b);
    EXPECT_EQ(dc.GetClientRect(), TRectIG(0, 0, 6, 4));
    EXPECT_EQ(dc.GetClipRect(), TRectIG()); // a new target starts unclipped
    dc.SetBrush(kRed, 0);
    dc.SetPen(kRed, 1);
    dc.Rectangle(TRectIG(0, 0, 6, 4));
    dc.EndPaintDib();
    EXPECT_EQ(dc.GetDib(), &a);
    EXPECT_EQ(dc.GetClipRect(), TRectIG(1, 1, 3, 3));
    dc.Rectangle(TRectIG(0, 0, 10, 10));
    dc.EndPaintDib();
    EXPECT_EQ(dc.GetDib(), nullptr);
    EXPECT_EQ(b.GetPixel(5, 3), kRed);
    EXPECT_EQ(a.GetPixel(1, 1), kRed);
    EXPECT_EQ(a.GetPixel(3, 3), kBlack); // the restored clip held
}

TEST(IdcTarget, DrawingChangesTheTargetVersion)
{
    Canvas c(8, 8);
    uint64_t v = c.dib.Version();
    c.dc.SetBrush(kRed, 0);
    c.dc.Rectangle(TRectIG(0, 0, 2, 2));
    EXPECT_NE(c.dib.Version(), v);
    // SetPixel marks lazily: at the next other call or at EndPaintDib.
    v = c.dib.Version();
    c.dc.SetPixel(5, 5, kBlue);
    c.dc.Line(0, 7, 3, 7);
    EXPECT_NE(c.dib.Version(), v);
    v = c.dib.Version();
    c.dc.SetPixel(6, 6, kBlue);
    c.dc.EndPaintDib();
    EXPECT_NE(c.dib.Version(), v);
    c.dc.BeginPaintDib(&c.dib); // for the Canvas destructor
}

TEST(IdcTarget, DoubleBufferIs32BitsAndFollowsItsSize)
{
    IDCdir dc;
    EXPECT_EQ(dc.sizeX, 100.0f);
    EXPECT_EQ(dc.sizeY, 100.0f);
    EXPECT_EQ(dc.IsStereoDouble(), 0);
    EXPECT_FALSE(dc.BeginOpenGLMode());
    ASSERT_TRUE(dc.SetSize(20, 10));
    const TDibIG& back = dc.GetBackBuffer();
    EXPECT_EQ(back.Bpp(), 32);
    EXPECT_FALSE(back.Tiene_Alphas());
    EXPECT_EQ(back.Height(), 10); // top-down
    EXPECT_EQ(dc.GetClientRect(), TRectIG(0, 0, 20, 10));
    dc.SetBrush(kYellow, 0);
    dc.SetPen(kYellow, 1);
    dc.Rectangle(TRectIG(0, 0, 20, 10));
    EXPECT_EQ(dc.GetBackBuffer().GetPixel(19, 9), kYellow);

    // A temporary bitmap takes the drawing; the back buffer keeps its pixels.
    TDibIG page;
    page.Crea(12, 5, 32);
    ASSERT_TRUE(dc.BeginPaintDib(&page));
    EXPECT_EQ(dc.GetClientRect(), TRectIG(0, 0, 20, 10)); // still the screen
    dc.SetBrush(kBlue, 0);
    dc.SetPen(kBlue, 1);
    dc.Rectangle(TRectIG(0, 0, 20, 10));
    dc.EndPaintDib();
    EXPECT_EQ(page.GetPixel(3, 3), kBlue);
    EXPECT_EQ(dc.GetBackBuffer().GetPixel(3, 3), kYellow);

    // Resizing gives a new black buffer; the same size keeps the pixels.
    ASSERT_TRUE(dc.SetSize(20, 10));
    EXPECT_EQ(dc.GetBackBuffer().GetPixel(3, 3), kYellow);
    ASSERT_TRUE(dc.SetSize(30, 12));
    EXPECT_EQ(dc.GetClientRect(), TRectIG(0, 0, 30, 12));
    EXPECT_EQ(dc.GetBackBuffer().GetPixel(3, 3), kBlack);
    dc.Rectangle(TRectIG(25, 10, 30, 12));
    EXPECT_EQ(dc.GetBackBuffer().GetPixel(29, 11), kBlue);
}

TEST(IdcTarget, DoubleBufferSavesAsA24BitImage)
{
    // The engine keeps the screen as a 24-bit image for transitions.
    IDCdir dc;
    ASSERT_TRUE(dc.SetSize(6, 4));
    dc.SetBrush(TColorIG(10, 200, 30), 0);
    dc.SetPen(TColorIG(10, 200, 30), 1);
    dc.Rectangle(TRectIG(0, 0, 3, 4));
    TDibIG saved;
    ASSERT_TRUE(saved.Asigna(dc.GetBackBuffer()));
    ASSERT_TRUE(saved.ConvertDIB_24());
    EXPECT_EQ(saved.GetPixel(1, 1), TColorIG(10, 200, 30)); // exact in 24 bits
    EXPECT_EQ(saved.GetPixel(4, 1), kBlack);
    // ... and draws it back with the transition's alpha.
    TAdvStetchDIBitsData data;
    data.alpha = 255;
    dc.SetBrush(kBlack, 0);
    dc.SetPen(kBlack, 1);
    dc.Rectangle(TRectIG(0, 0, 6, 4));
    EXPECT_TRUE(dc.StretchDIBits_Adv(TRectIG(3, 0, 9, 4), TRectIG(0, 0, 6, 4), &saved, data));
    EXPECT_EQ(dc.GetBackBuffer().GetPixel(4, 2), TColorIG(10, 200, 30));
    EXPECT_EQ(dc.GetBackBuffer().GetPixel(2, 2), kBlack);
}

TEST(IdcFonts, StockFontsAreSharedByDescription)
{
    const int a = IDC::CreateStockFont("Arial", 12, 0, false, 1.0f);
    const int b = IDC::CreateStockFont("arial", 12, 0, false, 1.0f);
    const int c = IDC::CreateStockFont("Arial", 12, 0, true, 1.0f);
    EXPECT_GT(a, 0);
    EXPECT_EQ(a, b);
    EXPECT_NE(a, c);
    TFontIG* f = IDC::GetStockFont(c);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->Name(), "Arial");
    EXPECT_EQ(f->Size(), 12);
    EXPECT_TRUE(f->Bold());
    EXPECT_EQ(IDC::GetStockFont(a), IDC::GetStockFont(b));
    EXPECT_EQ(IDC::GetStockFont(0), nullptr);
    EXPECT_EQ(IDC::GetStockFont(-4), nullptr);
    EXPECT_EQ(IDC::GetStockFont(1000000), nullptr);
    EXPECT_EQ(IDC::CreateStockFont("", 12, 0, false, 1.0f), 0);
    EXPECT_EQ(IDC::CreateStockFont(nullptr, 12, 0, false, 1.0f), 0);
    EXPECT_EQ(IDC::CreateStockFont("Arial", 0, 0, false, 1.0f), 0);
}

TEST(IdcFonts, SelectAndRestoreFont)
{
    IDC dc;
    EXPECT_EQ(dc.GetFont(), nullptr);
    TFontIG f;
    ASSERT_TRUE(f.Create("DejaVu Sans", 14, true, 1, 1.0f, false));
    EXPECT_EQ(dc.SelectFont(&f), nullptr);
    EXPECT_EQ(dc.GetFont(), &f);
    dc.RestoreFont();
    EXPECT_EQ(dc.GetFont(), nullptr);
}

TEST(IdcFonts, FontObjectAndScreenScale)
{
    EXPECT_EQ(IDC::GetFontScreenScale(1.0f), 1.0f);
    EXPECT_EQ(IDC::GetFontScreenScale(1.75f), 1.75f);
    TFontIG f;
    EXPECT_FALSE(f.Prepare(1.0f)); // not created
    EXPECT_FALSE(f.Create("Arial", 0, false, 1, 1.0f, false));
    EXPECT_FALSE(f.IsCreated());
    ASSERT_TRUE(f.Create("Arial", 12, false, 1, 1.5f, true));
    EXPECT_TRUE(f.Italic());
    ASSERT_TRUE(f.Prepare(2.0f));
    EXPECT_EQ(f.PixelSize(), 36);
    EXPECT_FALSE(f.Prepare(0.0f));
    EXPECT_FALSE(f.Prepare(NAN));
    EXPECT_EQ(f.PixelSize(), 36);
}

namespace {

struct Recorder {
    int draws = 0;
    std::string text;
    TRectIG rect;
    unsigned flags = 0;
    TColorIG colour = 1;
    bool hasBackground = false;
    TColorIG background = 0;
    TFontIG* font = nullptr;
    int flag = -1;
    int glyphCode = 0;
};

int RecDraw(void* user, IDC* dc, TFontIG* font, const char* text, TRectIG& rect, unsigned flags, TColorIG colour,
            const TColorIG* background)
{
    Recorder& r = *static_cast<Recorder*>(user);
    ++r.draws;
    r.text = text;
    r.rect = rect;
    r.flags = flags;
    r.colour = colour;
    r.hasBackground = background != nullptr;
    r.background = background ? *background : TColorIG(0);
    r.font = font;
    rect.right = rect.left + 5; // callbacks may write the rectangle back
    return 1;
}

TSizeIG RecMeasure(void* user, IDC* dc, TFontIG* font, const char* text, int maxWidth, unsigned flags)
{
    return TSizeIG(int(std::string(text).size()) * 7, 12);
}

int RecFlag(void* user, IDC* dc, int flag)
{
    static_cast<Recorder*>(user)->flag = flag;
    return 0;
}

TDibIG* RecGlyph(void* user, const char* family, int code, int size, TRectIG& source, int& advance, int& top)
{
    static_cast<Recorder*>(user)->glyphCode = code;
    source = TRectIG(1, 1, 5, 9);
    advance = 6;
    top = 2;
    return nullptr;
}

} // namespace

TEST(IdcText, CallbacksCarryTheContextsTextCalls)
{
    IDC dc;
    TRectIG rect(0, 0, 40, 40);
    // Without callbacks: nothing drawn, measuring answers (-1, 0).
    IDC::SetFontFunctionCallbacks(nullptr, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(dc.DrawTextA("12 km", -1, rect, 16), 0);
    EXPECT_EQ(dc.GetTextExtent("abc", 100, 0), TSizeIG(-1, 0));
    EXPECT_EQ(dc.SetTextFlag(1), 0);
    int adv = 0, top = 0;
    TRectIG src;
    EXPECT_EQ(dc.GetGlyph("arial", 'A', 12, src, adv, top), nullptr);

    Recorder rec;
    IDC::SetFontFunctionCallbacks(RecDraw, RecMeasure, RecFlag, RecGlyph, &rec);
    TFontIG font;
    font.Create("Arial", 10, false, 1, 1.0f, false);
    dc.SelectFont(&font);
    // The speed-camera distance: opaque yellow background, flag 16.
    dc.SetBkMode(IDC::BkOpaque);
    dc.SetBkColor(TColoresIG::F_Yellow);
    EXPECT_EQ(dc.DrawTextA("350 m", -1, rect, 16), 1);
    EXPECT_EQ(rec.text, "350 m");
    EXPECT_EQ(rec.flags, 16u);
    EXPECT_EQ(rec.colour, kBlack);
    EXPECT_TRUE(rec.hasBackground);
    EXPECT_EQ(rec.background, TColoresIG::F_Yellow);
    EXPECT_EQ(rec.font, &font);
    EXPECT_EQ(rect.right, 5);
    // A length cuts the text; transparent mode passes no background.
    dc.SetBkMode(IDC::BkTransparent);
    EXPECT_EQ(dc.DrawTextA("350 m", 3, rect, 0), 1);
    EXPECT_EQ(rec.text, "350");
    EXPECT_FALSE(rec.hasBackground);
    EXPECT_EQ(dc.DrawTextA(nullptr, 3, rect, 0), 0);
    EXPECT_EQ(dc.GetTextExtent("abc", 100, 0), TSizeIG(21, 12));
    EXPECT_EQ(dc.SetTextFlag(1), 0);
    EXPECT_EQ(rec.flag, 1);
    EXPECT_EQ(dc.GetGlyph("arial", 'A', 12, src, adv, top), nullptr);
    EXPECT_EQ(rec.glyphCode, 'A');
    EXPECT_EQ(src, TRectIG(1, 1, 5, 9));
    EXPECT_EQ(adv, 6);
    // The callbacks serve every context; nulls remove them.
    IDC other;
    EXPECT_EQ(other.DrawTextA("x", -1, rect, 0), 1);
    IDC::SetFontFunctionCallbacks(nullptr, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(other.DrawTextA("x", -1, rect, 0), 0);
    EXPECT_EQ(dc.Obten_hdc(), static_cast<void*>(&dc));
}

TEST(IdcMatrix, RotationPutsTheSourceCentreOnTheDestinationCentre)
{
    TMatriz3RodAdv m;
    m.SetRotation(0.7f, TRectIG(0, 0, 10, 20), TRectIG(100, 50, 120, 90)); // 2x scale
    double x, y;
    m.Transform(5, 10, x, y);
    EXPECT_NEAR(x, 110, 1e-9);
    EXPECT_NEAR(y, 70, 1e-9);
    // Clockwise on screen: the point above the centre moves right.
    m.SetRotation(1.5707964f, TRectIG(0, 0, 10, 10), TRectIG(0, 0, 10, 10));
    m.Transform(5, 0, x, y);
    EXPECT_EQ(x, 10.0);
    EXPECT_EQ(y, 5.0);
    EXPECT_TRUE(m.IsPixelExact());
    // A quarter turn exchanges the sides: a 4 x 8 source into an 8 x 4 box.
    m.SetRotation(-1.5707964f, TRectIG(0, 0, 4, 8), TRectIG(0, 0, 8, 4));
    EXPECT_TRUE(m.IsPixelExact());
    m.Transform(0, 0, x, y);
    EXPECT_EQ(x, 0.0);
    EXPECT_EQ(y, 4.0);
    // Inverse.
    m.SetRotation(0.3f, TRectIG(0, 0, 7, 5), TRectIG(3, 3, 17, 13));
    EXPECT_FALSE(m.IsPixelExact());
    TMatriz3RodAdv inv;
    ASSERT_TRUE(m.Invert(inv));
    double bx, by;
    m.Transform(2, 3, x, y);
    inv.Transform(x, y, bx, by);
    EXPECT_NEAR(bx, 2, 1e-9);
    EXPECT_NEAR(by, 3, 1e-9);
    // Singular matrices do not invert.
    TMatriz3RodAdv flat;
    flat.m[1][1] = 0;
    EXPECT_FALSE(flat.Invert(inv));
}
