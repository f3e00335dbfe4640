#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>
#include <vector>

#include "enginelib/base/DUString.h"
#include "enginelib/base/TFicheroITV.h"
#include "enginelib/base/TFitxUtils.h"
#include "enginelib/draw/IDC.h"
#include "enginelib/draw/TSystemFonts.h"
#include "support/TestPaths.h"
#include "uiengine/core/TPDAUIEngineSkinSettings.h"
#include "uiengine/fonts/TPDAUIEngineFontRendererGDI.h"
#include "uiengine/fonts/TPDAUIEngineStyleFont.h"

namespace {

std::string Narrow(const char16_t* text)
{
    return DUString(text).ToDString().c_str();
}

// A system font service that records what it is asked.
class RecordingSystemFonts : public TSystemFonts {
public:
    struct Call {
        IDC* dc = nullptr;
        TFontIG* selected = nullptr;  // the context's font during the call
        FontSpec font;
        std::string text;
        TRectIG rect;
        unsigned flags = 0;
        TColorIG colour;
    };

    int AddFontResource(const char16_t* path) override
    {
        added.push_back(Narrow(path));
        return acceptFonts ? 1 : 0;
    }
    bool RemoveFontResource(const char16_t* path) override
    {
        removed.push_back(Narrow(path));
        return true;
    }
    // Measures 7 pixels per unit and 9 per line.
    int DrawText(IDC* dc, const FontSpec& font, const char16_t* text, int length, TRectIG& rect,
                 unsigned flags, TColorIG colour) override
    {
        Call c;
        c.dc = dc;
        c.selected = dc ? dc->GetFont() : nullptr;
        c.font = font;
        c.text = Narrow(std::u16string(text, (size_t)length).c_str());
        c.rect = rect;
        c.flags = flags;
        c.colour = colour;
        calls.push_back(c);
        if (!answer)
            return 0;
        if (flags & FmtCalcRect) {
            rect.right = rect.left + 7 * length;
            rect.bottom = rect.top + 9;
        }
        return 9;
    }

    bool acceptFonts = true;
    bool answer = true;
    std::vector<std::string> added, removed;
    std::vector<Call> calls;
};

class GdiRendererTest : public ::testing::Test {
protected:
    GdiRendererTest() : previous_(TSystemFonts::SetInstance(&system))
    {
        settings_.fontSizeIncrement = 0;
        previousSettings_ = TPDAUIEngineSkinSettings::Current();
        TPDAUIEngineSkinSettings::SetCurrent(&settings_);
        mkdir((dir / "skin").c_str(), 0755);
        mkdir((dir / "base").c_str(), 0755);
        mkdir((dir / "temp").c_str(), 0755);
    }
    ~GdiRendererTest() override
    {
        TSystemFonts::SetInstance(previous_);
        TPDAUIEngineSkinSettings::SetCurrent(previousSettings_);
    }

    static void Write(const std::string& path, const std::string& bytes)
    {
        TFicheroITV f;
        ASSERT_TRUE(f.Abre(path.c_str(), ITV_MODO_CREACION));
        f.Escribe(bytes.data(), (uint32_t)bytes.size());
        f.Cierra();
    }
    static std::string Read(const std::string& path)
    {
        DString text;
        TFicheroITV f;
        if (!f.Abre(path.c_str(), ITV_MODO_LECTURA) || !f.Lee_Todo_Str(text))
            return "<none>";
        return std::string(text.c_str(), (size_t)text.Length());
    }

    TPDAUIEngineStyleFont Font(int size, bool bold = false)
    {
        TPDAUIEngineStyleFont f;
        f.name = "Mine";
        f.size = size;
        f.bold = bold;
        f.CreateStockFont(nullptr);
        return f;
    }

    RecordingSystemFonts system;
    testpaths::TempDir dir;
    TPDAUIEngineSkinSettings settings_;

private:
    TSystemFonts* previous_;
    TPDAUIEngineSkinSettings* previousSettings_;
};

TEST_F(GdiRendererTest, CopiesRegistersAndUnregistersTheFont)
{
    const std::string bytes("\0\1font\xff", 7);
    Write(dir / "skin/Mine.ttf", bytes);
    const std::string copy = dir / "temp/Mine.ttf";
    {
        TPDAUIEngineFontRendererGDI r((dir / "skin/Mine.ttf").c_str(), (dir / "temp").c_str());
        EXPECT_TRUE(r.valid);
        EXPECT_EQ(r.family, "Mine");
        EXPECT_EQ(r.path, (dir / "skin/Mine.ttf").c_str());
        EXPECT_EQ(r.copyPath, copy.c_str());
        ASSERT_EQ(r.fileNames.Count(), 1);
        EXPECT_EQ(r.fileNames[0], "Mine.ttf");
        EXPECT_EQ(Read(copy), bytes);
        EXPECT_EQ(system.added, std::vector<std::string>{copy});
        EXPECT_TRUE(system.removed.empty());
    }
    EXPECT_EQ(system.removed, std::vector<std::string>{copy});
    EXPECT_EQ(Read(copy), bytes);  // the copy stays
}

TEST_F(GdiRendererTest, LooksInTheBaseFolderBesideTheSkin)
{
    Write(dir / "base/Shared.ttf", "shared");
    TPDAUIEngineFontRendererGDI r((dir / "skin/Shared.ttf").c_str(), (dir / "temp").c_str());
    EXPECT_TRUE(r.valid);
    EXPECT_TRUE(TFitxUtils::Verifica_Existencia_Archivo(r.path.c_str()));
    EXPECT_NE(r.path.strstr("base"), -1);
    EXPECT_EQ(Read(dir / "temp/Shared.ttf"), "shared");
}

TEST_F(GdiRendererTest, FailuresLeaveTheRendererInvalid)
{
    Write(dir / "skin/Mine.ttf", "data");
    struct Case {
        const char* name;
        std::string file, folder;
        bool accept;
        bool installed;
        bool triedToRegister, opened;
    };
    const Case cases[] = {
        {"missing everywhere", dir / "skin/None.ttf", dir / "temp", true, true, false, false},
        {"copy fails", dir / "skin/Mine.ttf", dir / "no/such/folder", true, true, false, true},
        {"registration refused", dir / "skin/Mine.ttf", dir / "temp", false, true, true, true},
        {"no system service", dir / "skin/Mine.ttf", dir / "temp", true, false, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        system.added.clear();
        system.removed.clear();
        system.acceptFonts = c.accept;
        if (!c.installed)
            TSystemFonts::SetInstance(nullptr);
        {
            TPDAUIEngineFontRendererGDI r(c.file.c_str(), c.folder.c_str());
            EXPECT_FALSE(r.valid);
            EXPECT_EQ(r.fileNames.Count(), c.opened ? 1 : 0);
            EXPECT_EQ(r.path.IsEmpty(), !c.opened);
        }
        TSystemFonts::SetInstance(&system);
        EXPECT_EQ(system.added.size(), c.triedToRegister ? 1u : 0u);
        EXPECT_TRUE(system.removed.empty());
    }
}

TEST_F(GdiRendererTest, MeasuresThroughTheSystemInACalculatedRectangle)
{
    Write(dir / "skin/Mine.ttf", "data");
    TPDAUIEngineFontRendererGDI r((dir / "skin/Mine.ttf").c_str(), (dir / "temp").c_str());
    const TPDAUIEngineStyleFont font = Font(14, true);
    struct Case {
        const char* text;
        int maxWidth, flags;
        TRectIG rect;
        unsigned flagsSent;
        int width, height;
    };
    const Case cases[] = {
        {"abc", 0, 0x10, TRectIG(0, 0, 99999, 99999), 0x410, 21, 14},
        {"abc", -5, 0, TRectIG(0, 0, 99999, 99999), 0x400, 21, 14},
        {"abcd", 120, 0x401, TRectIG(0, 0, 120, 99999), 0x401, 28, 14},  // OR, not plus
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        system.calls.clear();
        int w = -1, h = -1;
        r.GetTextExtent(w, h, font, c.text, c.maxWidth, c.flags);
        EXPECT_EQ(w, c.width);
        EXPECT_EQ(h, c.height);  // 9 measured, raised to the size
        ASSERT_EQ(system.calls.size(), 1u);
        const auto& call = system.calls[0];
        EXPECT_EQ(call.text, c.text);
        EXPECT_EQ(call.rect, c.rect);
        EXPECT_EQ(call.flags, c.flagsSent);
        EXPECT_EQ(call.dc, r.measureDC);
        EXPECT_EQ(call.selected, font.stockFont);
        EXPECT_EQ(call.font.face, "Mine");
        EXPECT_EQ(call.font.pixelHeight, 14);
        EXPECT_TRUE(call.font.bold);
        EXPECT_FALSE(call.font.italic || call.font.underline);
    }
    ASSERT_NE(r.measureDC, nullptr);
    EXPECT_EQ(r.measureDC->GetFont(), nullptr);  // the previous font is back
}

TEST_F(GdiRendererTest, EmptyOrUnmeasurableTextIsAsHighAsTheFont)
{
    Write(dir / "skin/Mine.ttf", "data");
    TPDAUIEngineFontRendererGDI r((dir / "skin/Mine.ttf").c_str(), (dir / "temp").c_str());
    int w = -1, h = -1;
    r.GetTextExtent(w, h, Font(16), "", 100, 0);
    EXPECT_EQ(w, 0);
    EXPECT_EQ(h, 16);
    EXPECT_TRUE(system.calls.empty());
    EXPECT_EQ(r.measureDC, nullptr);

    system.answer = false;
    r.GetTextExtent(w, h, Font(16), "text", 100, 0);
    EXPECT_EQ(w, 0);
    EXPECT_EQ(h, 16);

    TSystemFonts::SetInstance(nullptr);
    r.GetTextExtent(w, h, Font(16), "text", 100, 0);
    EXPECT_EQ(w, 0);
    EXPECT_EQ(h, 16);
    TSystemFonts::SetInstance(&system);
}

TEST_F(GdiRendererTest, TooSmallTextIsNotDrawn)
{
    Write(dir / "skin/Mine.ttf", "data");
    TPDAUIEngineFontRendererGDI r((dir / "skin/Mine.ttf").c_str(), (dir / "temp").c_str());
    struct Case {
        int increment, incrementRTL;
        bool rtl;
        int size;
        int result;
    };
    const Case cases[] = {
        {10, 0, false, 12, 0}, {10, 0, false, 13, 1}, {0, 0, false, 2, 0},
        {0, 0, false, 3, 1},   {10, 5, false, 13, 1},  // the RTL increment needs an RTL language
        {10, 5, true, 17, 0},  {10, 5, true, 18, 1},
    };
    IDC dc;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.increment << "/" << c.incrementRTL << " rtl "
                                        << c.rtl << " size " << c.size);
        settings_.fontSizeIncrement = c.increment;
        settings_.fontSizeIncrementRTL = c.incrementRTL;
        settings_.rightToLeft = c.rtl;
        system.calls.clear();
        TRectIG rect(0, 0, 100, 40);
        EXPECT_EQ(r.DrawText(&dc, Font(c.size), 0, nullptr, "Hi", rect, 0, -1), c.result);
        EXPECT_EQ(system.calls.size(), (size_t)c.result);
    }
}

TEST_F(GdiRendererTest, DrawsInTheContextWithFlagsAndColour)
{
    Write(dir / "skin/Mine.ttf", "data");
    TPDAUIEngineFontRendererGDI r((dir / "skin/Mine.ttf").c_str(), (dir / "temp").c_str());
    IDC dc;
    TFontIG before;
    dc.SelectFont(&before);
    dc.SetBkMode(IDC::BkOpaque);
    const TColorIG background(1, 2, 3);
    TRectIG rect(5, 6, 105, 46);
    const TPDAUIEngineStyleFont font = Font(20);
    EXPECT_EQ(r.DrawText(&dc, font, TColorIG(10, 20, 30), &background, "Go", rect, 0x25, 3), 1);
    ASSERT_EQ(system.calls.size(), 1u);
    const auto& call = system.calls[0];
    EXPECT_EQ(call.dc, &dc);
    EXPECT_EQ(call.selected, font.stockFont);
    EXPECT_EQ(call.text, "Go");
    EXPECT_EQ(call.rect, TRectIG(5, 6, 105, 46));
    EXPECT_EQ(call.flags, 0x25u);
    EXPECT_EQ(call.colour, TColorIG(10, 20, 30));
    EXPECT_EQ(call.font.pixelHeight, 20);
    EXPECT_EQ(dc.GetFont(), &before);
    EXPECT_EQ(dc.GetBkMode(), IDC::BkTransparent);
    EXPECT_EQ(r.DrawText(nullptr, font, 0, nullptr, "Go", rect, 0, 3), 0);

    // Underlining is the descriptor's, whatever the shared stock font says.
    TPDAUIEngineStyleFont underlined = Font(20);
    underlined.underline = true;
    EXPECT_EQ(underlined.stockFont, font.stockFont);
    r.DrawText(&dc, underlined, TColorIG(), nullptr, "Go", rect, 0, 3);
    ASSERT_EQ(system.calls.size(), 2u);
    EXPECT_TRUE(system.calls[1].font.underline);
    EXPECT_FALSE(system.calls[0].font.underline);
}

TEST_F(GdiRendererTest, FixedAnswers)
{
    Write(dir / "skin/Mine.ttf", "data");
    TPDAUIEngineFontRendererGDI r((dir / "skin/Mine.ttf").c_str(), (dir / "temp").c_str());
    TPDAUIEngineStyleFont font = Font(15);
    r.AdjustFont(font);
    EXPECT_EQ(font.size, 15);
    EXPECT_EQ(r.FitFontSize(font, "a long text", TRectIG(0, 0, 5, 5), 0x10, 2), 15);
    EXPECT_EQ(r.GetLinesHeight(font, "x", 3, 100), 45);
    EXPECT_EQ(r.GetLinesHeight(font, "x", 0, 100), 0);
    EXPECT_EQ(r.GetMemoryUsage(), 56);
    TRectIG source;
    int advance = 0, top = 0;
    EXPECT_EQ(r.GetGlyph('A', 15, source, advance, top), nullptr);
}

} // namespace
