#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "enginelib/base/DUString.h"
#include "enginelib/base/TFicheroITV.h"
#include "enginelib/base/TFitxUtils.h"
#include "enginelib/draw/IDC.h"
#include "enginelib/draw/TDibIG.h"
#include "support/TestPaths.h"
#include "wincore/fonts/TSystemFontsFreeType.h"

namespace {

const std::string kDejaVu = "/usr/share/fonts/truetype/dejavu/";

std::u16string U(const char* text) { return DUString(text).Text(); }

class SystemFontsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!TFitxUtils::Verifica_Existencia_Archivo((kDejaVu + "DejaVuSans.ttf").c_str()) ||
            !TFitxUtils::Verifica_Existencia_Archivo((kDejaVu + "DejaVuSansMono.ttf").c_str()))
            GTEST_SKIP() << "DejaVu fonts are not installed";
    }

    TSystemFonts::FontSpec Spec(const char* face, int height, bool bold = false)
    {
        TSystemFonts::FontSpec s;
        s.face = face;
        s.pixelHeight = height;
        s.bold = bold;
        return s;
    }

    // Width and height the service gives text in a rectangle maxWidth wide.
    TSizeIG Measure(const TSystemFonts::FontSpec& spec, const char* text, unsigned flags = 0,
                    int maxWidth = 1000)
    {
        TRectIG r(10, 20, 10 + maxWidth, 500);
        const std::u16string t = U(text);
        const int h = fonts.DrawText(nullptr, spec, t.c_str(), (int)t.size(), r,
                                     flags | TSystemFonts::FmtCalcRect, 0);
        EXPECT_EQ(h, r.Height());
        return r.Size();
    }

    TSystemFontsFreeType fonts;  // default font DejaVu Sans
};

TEST_F(SystemFontsTest, RegistersFilesFreeTypeOpens)
{
    testpaths::TempDir dir;
    {
        TFicheroITV f;
        ASSERT_TRUE(f.Abre((dir / "fake.ttf").c_str(), ITV_MODO_CREACION));
        f.Escribe("not a font at all", 17);
        f.Cierra();
    }
    const std::u16string mono = U((kDejaVu + "DejaVuSansMono.ttf").c_str());
    EXPECT_EQ(fonts.AddFontResource(U((dir / "fake.ttf").c_str()).c_str()), 0);
    EXPECT_EQ(fonts.AddFontResource(U((dir / "absent.ttf").c_str()).c_str()), 0);
    EXPECT_EQ(fonts.AddFontResource(u""), 0);
    EXPECT_EQ(fonts.AddFontResource(nullptr), 0);
    EXPECT_EQ(fonts.RegisteredCount(), 0);

    EXPECT_EQ(fonts.AddFontResource(mono.c_str()), 1);
    EXPECT_EQ(fonts.AddFontResource(mono.c_str()), 1);
    EXPECT_EQ(fonts.RegisteredCount(), 1);
    EXPECT_TRUE(fonts.RemoveFontResource(mono.c_str()));
    EXPECT_EQ(fonts.RegisteredCount(), 1);  // registered twice
    EXPECT_TRUE(fonts.RemoveFontResource(mono.c_str()));
    EXPECT_EQ(fonts.RegisteredCount(), 0);
    EXPECT_FALSE(fonts.RemoveFontResource(mono.c_str()));
    EXPECT_FALSE(fonts.RemoveFontResource(nullptr));
}

TEST_F(SystemFontsTest, FamiliesAreFoundByFaceOrFileNameIgnoringCase)
{
    ASSERT_EQ(fonts.AddFontResource(U((kDejaVu + "DejaVuSansMono.ttf").c_str()).c_str()), 1);
    // Monospaced: "iiii" is as wide as "MMMM"; the proportional default is not.
    for (const char* face : {"DejaVu Sans Mono", "dejavu sans mono", "DEJAVUSANSMONO"}) {
        SCOPED_TRACE(face);
        EXPECT_EQ(Measure(Spec(face, 20), "iiii").cx, Measure(Spec(face, 20), "MMMM").cx);
    }
    EXPECT_LT(Measure(Spec("Unregistered", 20), "iiii").cx,
              Measure(Spec("Unregistered", 20), "MMMM").cx);
}

TEST_F(SystemFontsTest, NoFontMeansNoText)
{
    TSystemFontsFreeType none("/no/such/font.ttf");
    TRectIG r(0, 0, 100, 100);
    const std::u16string t = U("abc");
    EXPECT_EQ(none.DrawText(nullptr, Spec("Any", 12), t.c_str(), 3, r, 0x400, 0), 0);
    EXPECT_EQ(r, TRectIG(0, 0, 100, 100));
    EXPECT_EQ(fonts.DrawText(nullptr, Spec("Any", 0), t.c_str(), 3, r, 0x400, 0), 0);
    EXPECT_EQ(fonts.DrawText(nullptr, Spec("Any", 12), nullptr, 3, r, 0x400, 0), 0);
}

TEST_F(SystemFontsTest, CalculatedRectanglesFollowTheLayoutFlags)
{
    const auto spec = Spec("DejaVu Sans", 16);
    const TSizeIG one = Measure(spec, "Hello");
    EXPECT_GT(one.cx, 20);
    EXPECT_GE(one.cy, 16);
    EXPECT_LE(one.cy, 22);

    EXPECT_EQ(Measure(spec, "Hello\nHello"), TSizeIG(one.cx, 2 * one.cy));
    EXPECT_EQ(Measure(spec, "Hello\r\nHello\rHello"), TSizeIG(one.cx, 3 * one.cy));
    EXPECT_EQ(Measure(spec, "Hello\nHello", TSystemFonts::FmtSingleLine).cy, one.cy);
    EXPECT_EQ(Measure(spec, "").cx, 0);

    // Word breaking keeps words whole: three lines, none wider than its word.
    const TSizeIG broken = Measure(spec, "Hello Hello Hello", TSystemFonts::FmtWordBreak, one.cx + 5);
    EXPECT_EQ(broken, TSizeIG(one.cx, 3 * one.cy));
    EXPECT_EQ(Measure(spec, "Hello Hello", TSystemFonts::FmtWordBreak, 3).cy, 2 * one.cy);
    EXPECT_EQ(Measure(spec, "Hello Hello", 0, 3).cy, one.cy);

    // "&" marks a mnemonic; "&&" is one "&".
    EXPECT_EQ(Measure(spec, "&Hello").cx, one.cx);
    EXPECT_EQ(Measure(spec, "He&llo&").cx, one.cx);
    EXPECT_GT(Measure(spec, "&&").cx, 0);
    EXPECT_EQ(Measure(spec, "A&&B").cx, Measure(spec, "AB").cx + Measure(spec, "&&").cx);
    EXPECT_EQ(Measure(spec, "A&B").cx, Measure(spec, "AB").cx);

    // Word ellipsis cuts a line to the width, dots included.
    const TSizeIG cut = Measure(spec, "A rather long line of text", TSystemFonts::FmtWordEllipsis, 60);
    EXPECT_LE(cut.cx, 60);
    EXPECT_GT(cut.cx, 30);
    EXPECT_EQ(cut.cy, one.cy);
}

TEST_F(SystemFontsTest, BoldIsWider)
{
    EXPECT_GT(Measure(Spec("DejaVu Sans", 20, true), "Wide words").cx,
              Measure(Spec("DejaVu Sans", 20), "Wide words").cx);
}

// Draws text into a white 16-bit bitmap and gives the bounds of what changed.
class SystemFontsDrawTest : public SystemFontsTest {
protected:
    void SetUp() override
    {
        SystemFontsTest::SetUp();
        if (IsSkipped())
            return;
        ASSERT_TRUE(dib.Crea(160, 60, 16));
        dib.Fill(TColoresIG::F_White);
        ASSERT_TRUE(dc.BeginPaintDib(&dib));
    }
    void TearDown() override
    {
        if (!IsSkipped())
            dc.EndPaintDib();
    }

    int Draw(const char* text, TRectIG rect, unsigned flags, bool underline = false)
    {
        return Draw(text, &rect, flags, underline);
    }
    int Draw(const char* text, TRectIG* rect, unsigned flags, bool underline = false)
    {
        TSystemFonts::FontSpec spec = Spec("DejaVu Sans", 16);
        spec.underline = underline;
        const std::u16string t = U(text);
        return fonts.DrawText(&dc, spec, t.c_str(), (int)t.size(), *rect, flags, TColoresIG::F_Black);
    }

    // Bounds of the pixels that are no longer white (empty when none).
    TRectIG Ink()
    {
        TRectIG r(1 << 20, 1 << 20, -1, -1);
        for (int y = 0; y < dib.AbsHeight(); ++y)
            for (int x = 0; x < dib.Width(); ++x)
                if (dib.GetPixel(x, y) != TColoresIG::F_White) {
                    r.left = std::min(r.left, x);
                    r.top = std::min(r.top, y);
                    r.right = std::max(r.right, x + 1);
                    r.bottom = std::max(r.bottom, y + 1);
                }
        return r.right < 0 ? TRectIG() : r;
    }

    TDibIG dib;
    IDC dc;
};

TEST_F(SystemFontsDrawTest, DrawsAWordInsideItsRectangleOnly)
{
    const TRectIG rect(10, 5, 110, 35);
    EXPECT_GT(Draw("Word", rect, 0), 0);
    const TRectIG ink = Ink();
    ASSERT_FALSE(ink.IsEmpty());
    EXPECT_TRUE(rect.Contains(ink));
    EXPECT_GT(ink.Width(), 25);
    EXPECT_GT(ink.Height(), 8);
    EXPECT_LE(ink.left, 12);  // left-aligned at the top
    EXPECT_LE(ink.top, 10);
}

TEST_F(SystemFontsDrawTest, ClipsToTheRectangle)
{
    const TRectIG rect(20, 10, 40, 18);
    Draw("Overflowing text", rect, 0x10);
    const TRectIG ink = Ink();
    ASSERT_FALSE(ink.IsEmpty());
    EXPECT_TRUE(rect.Contains(ink));
}

TEST_F(SystemFontsDrawTest, AlignsSingleLines)
{
    const TRectIG rect(0, 0, 160, 60);
    Draw("Mid", rect, TSystemFonts::FmtCenter | TSystemFonts::FmtVCenter | TSystemFonts::FmtSingleLine);
    const TRectIG mid = Ink();
    EXPECT_NEAR((mid.left + mid.right) / 2, 80, 3);
    EXPECT_NEAR((mid.top + mid.bottom) / 2, 30, 4);

    dib.Fill(TColoresIG::F_White);
    Draw("End", rect, TSystemFonts::FmtRight | TSystemFonts::FmtBottom | TSystemFonts::FmtSingleLine);
    const TRectIG end = Ink();
    EXPECT_GE(end.right, 156);
    EXPECT_GE(end.bottom, 52);

    // Vertical centring needs single-line text, as on the device.
    dib.Fill(TColoresIG::F_White);
    Draw("Top", rect, TSystemFonts::FmtVCenter);
    EXPECT_LE(Ink().top, 6);
}

TEST_F(SystemFontsDrawTest, MeasuringDrawsNothingAndUnderlinesDrawARow)
{
    TRectIG rect(0, 0, 160, 60);
    EXPECT_GT(Draw("Word", &rect, TSystemFonts::FmtCalcRect), 0);
    EXPECT_TRUE(Ink().IsEmpty());
    EXPECT_LT(rect.right, 160);

    // An underlined "..." has a full row of ink under its dots.
    Draw("...", TRectIG(0, 0, 160, 60), 0, true);
    const TRectIG ink = Ink();
    int longest = 0;
    for (int y = ink.top; y < ink.bottom; ++y) {
        int run = 0;
        for (int x = ink.left; x < ink.right; ++x)
            run += dib.GetPixel(x, y) != TColoresIG::F_White;
        longest = std::max(longest, run);
    }
    EXPECT_EQ(longest, ink.Width());

    // A mnemonic is underlined: ink reaches lower than without the mark.
    dib.Fill(TColoresIG::F_White);
    Draw("no", TRectIG(0, 0, 160, 60), 0);
    const int plain = Ink().bottom;
    dib.Fill(TColoresIG::F_White);
    Draw("&no", TRectIG(0, 0, 160, 60), 0);
    EXPECT_GT(Ink().bottom, plain);
}

// Glyphs come from the font cache after the first draw: the same text draws the
// same pixels, every made-up style differs from the plain one, and a font taken
// back and registered again draws as before.
TEST_F(SystemFontsDrawTest, CachedGlyphsDrawAsTheFirstTime)
{
    auto pixels = [&]() {
        std::vector<uint32_t> out;
        for (int y = 0; y < dib.AbsHeight(); ++y)
            for (int x = 0; x < dib.Width(); ++x)
                out.push_back(dib.GetPixel(x, y).ToARGB(255));
        return out;
    };
    auto draw = [&](const char* face, bool bold, bool italic) {
        dib.Fill(TColoresIG::F_White);
        TSystemFonts::FontSpec spec = Spec(face, 16, bold);
        spec.italic = italic;
        const std::u16string t = U("Grow &Quickly");
        TRectIG rect(0, 0, 160, 60);
        fonts.DrawText(&dc, spec, t.c_str(), (int)t.size(), rect, 0, TColoresIG::F_Black);
        return pixels();
    };
    const struct {
        bool bold, italic;
    } styles[] = {{false, false}, {true, false}, {false, true}, {true, true}};
    std::vector<std::vector<uint32_t>> first;
    for (const auto& s : styles)
        first.push_back(draw("DejaVu Sans", s.bold, s.italic));
    for (size_t i = 0; i < first.size(); ++i) {
        EXPECT_EQ(draw("DejaVu Sans", styles[i].bold, styles[i].italic), first[i]) << i;
        if (i > 0) {
            EXPECT_NE(first[i], first[0]) << i;
        }
    }

    const std::u16string mono = U((kDejaVu + "DejaVuSansMono.ttf").c_str());
    for (int round = 0; round < 2; ++round) {
        ASSERT_EQ(fonts.AddFontResource(mono.c_str()), 1);
        const std::vector<uint32_t> registered = draw("DejaVu Sans Mono", false, false);
        EXPECT_NE(registered, first[0]) << round;
        EXPECT_TRUE(fonts.RemoveFontResource(mono.c_str()));
        EXPECT_EQ(draw("DejaVu Sans Mono", false, false), first[0]) << "default font again";
    }
}

} // namespace
