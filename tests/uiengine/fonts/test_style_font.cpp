#include <gtest/gtest.h>

#include "../core/style_test_support.h"
#include "enginelib/base/TFicheroITV.h"
#include "enginelib/draw/IDC.h"
#include "idle_font_renderer.h"
#include "support/TestPaths.h"
#include "uiengine/core/TPDAUIEngineSkinSettings.h"
#include "uiengine/fonts/TPDAUIEngineFontManager.h"
#include "uiengine/fonts/TPDAUIEngineStyleFont.h"

namespace {

using styletest::LiveSettings;

// A renderer that only carries a family.
class NamedRenderer : public IdleFontRenderer {
public:
    explicit NamedRenderer(const char* name)
    {
        family = name;
        valid = true;
    }
    int FitFontSize(const TPDAUIEngineStyleFont& f, const CDString&, const TRectIG&, int,
                    int) override
    {
        return f.size;
    }
};

TEST(StyleFont, DefaultFamilyFollowsTheFirstLoadedFont)
{
    TPDAUIEngineFontManager manager;
    manager.Clear();
    EXPECT_EQ(TPDAUIEngineStyleFont().name, "arial");

    manager.Adopt(new NamedRenderer("freesans"));
    manager.Adopt(new NamedRenderer("Other"));
    TPDAUIEngineStyleFont font;
    EXPECT_EQ(font.name, "FreeSans");
    EXPECT_EQ(font.size, 12);
    EXPECT_FALSE(font.bold || font.italic || font.underline || font.upperCase || font.lowerCase ||
                 font.simplifyCharacters || font.bordered || font.shadowed || font.richText);
    EXPECT_EQ(font.paddingEllipsis, 0);
    EXPECT_EQ(font.orientation, 0);
    ASSERT_NE(font.stockFont, nullptr);
    EXPECT_EQ(font.stockFont, IDC::GetStockFont(font.stockFontId));
    EXPECT_EQ(font.stockFont->Name(), "FreeSans");
    EXPECT_EQ(font.stockFont->Size(), 12);

    manager.Clear();
    EXPECT_EQ(TPDAUIEngineStyleFont().name, "arial");
}

// A new descriptor's stock font follows each change of the default family, as
// a fresh lookup for its name, size and weight gives it.
TEST(StyleFont, NewDescriptorsMakeTheStockFontOfTheCurrentDefault)
{
    const char* const families[] = {nullptr, "freesans", "Other", nullptr, "Other", "freesans"};
    TPDAUIEngineFontManager manager;
    for (const char* family : families) {
        manager.Clear();
        if (family)
            manager.Adopt(new NamedRenderer(family));
        for (int twice = 0; twice < 2; ++twice) {
            TPDAUIEngineStyleFont font;
            TPDAUIEngineStyleFont fresh;
            fresh.name = font.name;
            fresh.stockFont = nullptr;
            fresh.stockFontId = 0;
            fresh.CreateStockFont(nullptr);
            const char* shown = family ? family : "null";
            EXPECT_EQ(font.name, family ? TPDAUIEngineFontManager::DefaultFamily() : DString("arial")) << shown;
            ASSERT_NE(font.stockFont, nullptr) << shown;
            EXPECT_EQ(font.stockFontId, fresh.stockFontId) << shown;
            EXPECT_EQ(font.stockFont, fresh.stockFont) << shown;
            EXPECT_STREQ(font.stockFont->Name().c_str(), font.name.c_str()) << shown;
        }
    }
    manager.Clear();
}

TEST(StyleFont, AttributesAtUiScales)
{
    struct Case {
        float scale;
        const char* name;
        const char* value;
        int size, padding, orientation;
        bool bold, lowerCase, upperCase;
    };
    // Defaults: size 12, padding 0, orientation 0, flags false.
    const Case cases[] = {
        {1.5f, "Size", "14", 21, 0, 0, false, false, false},
        {1.5f, "PaddingEllipsis", "3", 12, 4, 0, false, false, false},
        {1.5f, "Orientation", "-90", 12, 0, -90, false, false, false},  // not scaled
        {1.0f, "Size", "9px", 9, 0, 0, false, false, false},            // digits up to "p"
        {1.0f, "Size", "abc", 0, 0, 0, false, false, false},
        {1.25f, "Size", "13", 16, 0, 0, false, false, false},           // 16.25 truncated
        {1.0f, "Bold", "true", 12, 0, 0, true, false, false},
        {1.0f, "Bold", "True", 12, 0, 0, false, false, false},
        {1.0f, "Lowercase", "true", 12, 0, 0, false, true, false},
        {1.0f, "LowerCase", "true", 12, 0, 0, false, false, false},     // names are exact
        {1.0f, "UpperCase", "true", 12, 0, 0, false, false, true},
        {1.0f, "Uppercase", "true", 12, 0, 0, false, false, false},
        {1.0f, "size", "20", 12, 0, 0, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + "=" + c.value);
        LiveSettings scale(c.scale);
        TPDAUIEngineStyleFont font;
        font.SetAttribute(c.name, c.value);
        EXPECT_EQ(font.size, c.size);
        EXPECT_EQ(font.paddingEllipsis, c.padding);
        EXPECT_EQ(font.orientation, c.orientation);
        EXPECT_EQ(font.bold, c.bold);
        EXPECT_EQ(font.lowerCase, c.lowerCase);
        EXPECT_EQ(font.upperCase, c.upperCase);
    }
}

TEST(StyleFont, BooleanAttributesAreTrueOnlyForTrue)
{
    TPDAUIEngineStyleFont font;
    const char* names[] = {"Bold", "Italic", "Underline", "UpperCase", "Lowercase",
                           "SimplifyCharacters", "Bordered", "Shadowed", "RichText"};
    bool TPDAUIEngineStyleFont::*fields[] = {
        &TPDAUIEngineStyleFont::bold, &TPDAUIEngineStyleFont::italic,
        &TPDAUIEngineStyleFont::underline, &TPDAUIEngineStyleFont::upperCase,
        &TPDAUIEngineStyleFont::lowerCase, &TPDAUIEngineStyleFont::simplifyCharacters,
        &TPDAUIEngineStyleFont::bordered, &TPDAUIEngineStyleFont::shadowed,
        &TPDAUIEngineStyleFont::richText};
    for (int i = 0; i < 9; ++i) {
        SCOPED_TRACE(names[i]);
        font.SetAttribute(names[i], "true");
        EXPECT_TRUE(font.*fields[i]);
        font.SetAttribute(names[i], "TRUE");
        EXPECT_FALSE(font.*fields[i]);
        font.SetAttribute(names[i], "true");
        font.SetAttribute(names[i], nullptr);
        EXPECT_FALSE(font.*fields[i]);
    }
}

TEST(StyleFont, NameAttributeKeepsTheFamily)
{
    TPDAUIEngineStyleFont font;
    const DString before = font.name;
    font.SetAttribute("Name", "Courier New");
    EXPECT_EQ(font.name, before);
}

TEST(StyleFont, StockFontFollowsTheDescriptorAndFreesTheContextFont)
{
    TPDAUIEngineStyleFont font;
    font.SetAttribute("Size", "20");
    font.SetAttribute("Bold", "true");
    IDC dc;
    TFontIG other;
    other.Create("x", 5, false, 1, 1.0f, false);
    dc.SelectFont(&other);
    font.CreateStockFont(&dc);
    EXPECT_EQ(dc.GetFont(), nullptr);
    ASSERT_NE(font.stockFont, nullptr);
    EXPECT_EQ(font.stockFont->Size(), 20);
    EXPECT_TRUE(font.stockFont->Bold());
    EXPECT_EQ(font.stockFont->Angle(), 0);

    font.size = 0;  // no stock font for a size below 1
    font.CreateStockFont(nullptr);
    EXPECT_EQ(font.stockFontId, 0);
    EXPECT_EQ(font.stockFont, nullptr);
}

class StyleFontCompiled : public ::testing::Test {
protected:
    // Writes font, then reads the bytes back into a fresh descriptor.
    bool RoundTrip(const TPDAUIEngineStyleFont& font, TPDAUIEngineStyleFont& out)
    {
        const std::string file = dir_ / "font.bin";
        TFicheroITV w;
        EXPECT_TRUE(w.Abre(file.c_str(), ITV_MODO_CREACION));
        EXPECT_TRUE(font.WriteCompiled(w));
        EXPECT_TRUE(w.Cierra());
        TFicheroITV r;
        EXPECT_TRUE(r.Abre(file.c_str(), ITV_MODO_LECTURA));
        size_ = r.FileSize();
        return out.ReadCompiled(r);
    }

    testpaths::TempDir dir_;
    uint32_t size_ = 0;
};

TEST_F(StyleFontCompiled, RoundTripKeepsEveryField)
{
    TPDAUIEngineStyleFont font;
    font.name = "Droid Sans";
    font.size = 18;
    font.bold = font.underline = font.lowerCase = font.bordered = font.richText = true;
    font.paddingEllipsis = -7;
    font.orientation = 90;
    TPDAUIEngineStyleFont back;
    back.italic = back.upperCase = back.simplifyCharacters = back.shadowed = true;
    ASSERT_TRUE(RoundTrip(font, back));
    // string (4 + 10) + size 1 + six bools + short + three bools + short
    EXPECT_EQ(size_, 14u + 1 + 6 + 2 + 3 + 2);
    EXPECT_EQ(back.name, "Droid Sans");
    EXPECT_EQ(back.size, 18);
    EXPECT_TRUE(back.bold && back.underline && back.lowerCase && back.bordered && back.richText);
    EXPECT_FALSE(back.italic || back.upperCase || back.simplifyCharacters || back.shadowed);
    EXPECT_EQ(back.paddingEllipsis, -7);
    EXPECT_EQ(back.orientation, 90);
    ASSERT_NE(back.stockFont, nullptr);
    EXPECT_EQ(back.stockFont->Name(), "Droid Sans");
    EXPECT_EQ(back.stockFont->Size(), 18);
    EXPECT_TRUE(back.stockFont->Bold());
}

TEST_F(StyleFontCompiled, SizeIsOneByteAndIsNotRescaledOnReading)
{
    LiveSettings scale(1.5f);  // the element scales after reading, not the descriptor
    TPDAUIEngineStyleFont font, back;
    font.size = 300;
    ASSERT_TRUE(RoundTrip(font, back));
    EXPECT_EQ(back.size, 44);
    font.size = 21;
    ASSERT_TRUE(RoundTrip(font, back));
    EXPECT_EQ(back.size, 21);
}

TEST_F(StyleFontCompiled, TruncatedRecordLeavesTheDescriptorAlone)
{
    TPDAUIEngineStyleFont font;
    font.name = "Wide";
    font.size = 30;
    const std::string file = dir_ / "font.bin";
    {
        TFicheroITV w;
        ASSERT_TRUE(w.Abre(file.c_str(), ITV_MODO_CREACION));
        font.WriteCompiled(w);
        w.Cierra();
    }
    DString bytes;
    {
        TFicheroITV r;
        ASSERT_TRUE(r.Abre(file.c_str(), ITV_MODO_LECTURA));
        ASSERT_TRUE(r.Lee_Todo_Str(bytes));
    }
    for (int cut = 0; cut < bytes.Length(); ++cut) {
        SCOPED_TRACE(cut);
        TFicheroITVdatos in(bytes.c_str(), ITV_MODO_LECTURA, (uint32_t)cut);
        TPDAUIEngineStyleFont back;
        back.size = 17;
        EXPECT_FALSE(back.ReadCompiled(in));
        EXPECT_EQ(back.size, 17);
        EXPECT_NE(back.name, "Wide");
    }
}

} // namespace
