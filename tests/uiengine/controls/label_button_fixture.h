#pragma once
// The engine, page and fonts that the label and button tests share.
//
// ControlEngine is a headless engine with the default skin's DejaVu fonts
// served by the FreeType system-font service, recording the sounds it is
// asked to play. FixedFont is a renderer of exact, simple metrics (every
// character size/2 wide, every line size high, greedy word wrap) that records
// what it is asked to draw; an element uses it by its family "Fixed".
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "enginelib/base/TFicheroITV.h"
#include "enginelib/draw/IDC.h"
#include "enginelib/draw/TSystemFonts.h"
#include "support/TestEngine.h"
#include "support/TestPaths.h"
#include "uiengine/core/TPDAUIEngineCommand.h"
#include "uiengine/core/TPDAUIEngineXml.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"
#include "uiengine/fonts/TPDAUIEngineStyleFont.h"
#include "wincore/fonts/TSystemFontsFreeType.h"

namespace controls {

// A renderer with exact metrics that records its DrawText calls.
class FixedFont : public TPDAUIEngineFontManager::TFontRenderer {
public:
    struct Draw {
        std::string text;
        TRectIG rect;
        int flags = 0;
        int maxLines = 0;
        int size = 0;
        bool underline = false;
        TColorIG colour;
    };

    FixedFont()
    {
        family = "Fixed";
        valid = true;
    }

    static int CharWidth(int size) { return size / 2 > 0 ? size / 2 : 1; }

    // Lines of text laid out at maxWidth (greedy by words with the word-break
    // flag and a width, else one line).
    static std::vector<std::string> Lines(const std::string& text, int size, int maxWidth, int flags)
    {
        if (!(flags & 0x10) || maxWidth <= 0)
            return {text};
        std::vector<std::string> lines;
        std::string line;
        size_t i = 0;
        while (i <= text.size()) {
            size_t j = text.find(' ', i);
            if (j == std::string::npos)
                j = text.size();
            const std::string word = text.substr(i, j - i);
            const std::string joined = line.empty() ? word : line + " " + word;
            if (!line.empty() && (int)joined.size() * CharWidth(size) > maxWidth) {
                lines.push_back(line);
                line = word;
            } else {
                line = joined;
            }
            i = j + 1;
        }
        lines.push_back(line);
        return lines;
    }

    void AdjustFont(TPDAUIEngineStyleFont&) override { ++adjusts; }
    void GetTextExtent(int& width, int& height, const TPDAUIEngineStyleFont& font, const CDString& text,
                       int maxWidth, int flags) override
    {
        std::vector<std::string> lines = Lines(text.c_str(), font.size, maxWidth, flags);
        width = 0;
        for (const std::string& l : lines)
            width = std::max(width, (int)l.size() * CharWidth(font.size));
        height = (int)lines.size() * font.size;
        measured.push_back(font.size);
    }
    // The largest size up to 200 at which the text fits rect.
    int FitFontSize(const TPDAUIEngineStyleFont& font, const CDString& text, const TRectIG& rect,
                    int flags, int maxLines) override
    {
        ++fits;
        for (int size = 200; size > 1; --size) {
            std::vector<std::string> lines = Lines(text.c_str(), size, rect.Width(), flags);
            if (maxLines > 0 && (int)lines.size() > maxLines)
                continue;
            int w = 0;
            for (const std::string& l : lines)
                w = std::max(w, (int)l.size() * CharWidth(size));
            if (w <= rect.Width() && (int)lines.size() * size <= rect.Height())
                return size;
        }
        return 1;
    }
    int DrawText(IDC*, const TPDAUIEngineStyleFont& font, TColorIG color, const TColorIG*,
                 const CDString& text, TRectIG& rect, int flags, int maxLines) override
    {
        draws.push_back({text.c_str(), rect, flags, maxLines, font.size, font.underline, color});
        return 1;
    }
    int GetLinesHeight(const TPDAUIEngineStyleFont& font, const CDString& text, int lineCount,
                       int width) override
    {
        const int total = (int)Lines(text.c_str(), font.size, width, 0x10).size();
        if (lineCount < 0)
            return total * font.size;
        return std::min(lineCount, total) * font.size;
    }
    int GetMemoryUsage() override { return 0; }
    TDibIG* GetGlyph(int, int, TRectIG&, int&, int&) override { return nullptr; }

    std::vector<Draw> draws;
    std::vector<int> measured;  // sizes measured at, in order
    int fits = 0;
    int adjusts = 0;
};

// Installs the FreeType system-font service for the life of the object.
class SystemFontsScope {
public:
    SystemFontsScope() : fonts_(new TSystemFontsFreeType()), previous_(TSystemFonts::SetInstance(fonts_.get())) {}
    ~SystemFontsScope() { TSystemFonts::SetInstance(previous_); }

private:
    std::unique_ptr<TSystemFontsFreeType> fonts_;
    TSystemFonts* previous_;
};

// The headless engine with the default skin's fonts and a sound log.
class ControlEngine : public TestEngine {
public:
    ControlEngine() : TestEngine(800, 480)
    {
        tempFolder = temp_.path().c_str();
        const std::string skin = testpaths::SourceDir() + "/skins/default/";
        EXPECT_TRUE(AddFont((skin + "DejaVuSans.ttf").c_str()));
        EXPECT_TRUE(AddFont((skin + "DejaVuSans-Bold.ttf").c_str()));
        fixed = new FixedFont();
        fontManager.Adopt(fixed);
    }
    void PlaySound(const char* name, int) override { sounds.push_back(name ? name : ""); }

    FixedFont* fixed;  // owned by the font manager
    std::vector<std::string> sounds;

private:
    SystemFontsScope fonts_;
    testpaths::TempDir temp_;
};

// A page that records the commands reaching it.
class RecordingPage : public TPDAUIEngineElementPage {
public:
    struct Raised {
        std::string name;
        int x, y, elapsed;
        TPDAUIEngineElement* source;
    };
    explicit RecordingPage(TPDAUIEngine* e) : TPDAUIEngineElementPage(e) {}
    void OnCommand(TPDAUIEngineCommand& c) override
    {
        if (c.name.IsEmpty() || c.name == "load")
            return;
        raised.push_back({c.name.c_str(), c.value1, c.value2, c.elapsed, c.target});
        if (onCommand)
            onCommand(c);
    }
    std::vector<std::string> Names() const
    {
        std::vector<std::string> out;
        for (const Raised& r : raised)
            out.push_back(r.name);
        return out;
    }
    std::vector<Raised> raised;
    std::function<void(TPDAUIEngineCommand&)> onCommand;
};

// A solid 16-bit image.
inline std::unique_ptr<TDibIG> SolidImage(int w, int h, TColorIG c)
{
    std::unique_ptr<TDibIG> image(new TDibIG());
    EXPECT_TRUE(image->Crea(w, h, 16));
    image->Fill(c);
    return image;
}

// Within 8 per channel: RGB565 keeps 5 or 6 bits.
inline ::testing::AssertionResult Near(TColorIG expected, TColorIG actual)
{
    if (std::abs(expected.R() - actual.R()) <= 8 && std::abs(expected.G() - actual.G()) <= 8 &&
        std::abs(expected.B() - actual.B()) <= 8)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "expected (" << (int)expected.R() << "," << (int)expected.G()
                                         << "," << (int)expected.B() << ") got (" << (int)actual.R() << ","
                                         << (int)actual.G() << "," << (int)actual.B() << ")";
}

// An element's compiled record as bytes.
inline std::vector<unsigned char> SavedRecord(TPDAUIEngineElement& e)
{
    testpaths::TempDir dir;
    const std::string path = dir / "record.bin";
    TFicheroITV f;
    EXPECT_TRUE(f.Abre(path.c_str(), ITV_MODO_CREACION));
    e.Save(f);
    EXPECT_TRUE(f.Cierra());
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Loads e from a record made by SavedRecord; true when it read all of it.
inline bool LoadedRecord(TPDAUIEngine* engine, TPDAUIEngineElementPage* page, TPDAUIEngineElement& e,
                         const std::vector<unsigned char>& bytes)
{
    TFicheroITVdatos in(bytes.data(), ITV_MODO_LECTURA, (uint32_t)bytes.size());
    char mark = 0;
    DString tag;
    in >> mark >> tag;
    e.OnLoad(engine, page, nullptr, nullptr, &in);
    return !in.Error() && in.Restantes() == 0;
}

// Parses one element's XML and adds a new T built from it to parent.
template <class T>
T* AddXml(TPDAUIEngineElementBox* parent, const std::string& xml)
{
    TPDAUIEngineXml node;
    std::string buffer = xml;
    EXPECT_TRUE(node.Parse(&buffer[0])) << xml;
    T* element = new T();
    parent->AddChild(element, &node, nullptr);
    return element;
}

// A test with the engine and an open full-screen page laid out absolutely;
// elements are added to the page with Add and placed with Layout.
class ControlTest : public ::testing::Test {
protected:
    ControlTest() : page(&engine)
    {
        baseline_ = TPDAUIEngineElement::GetLiveCount();
        engine.OpenPage(&page);
        page.layout = TPDAUIEngineElementBox::LayoutAbsolute;
        page.backgrounds.Edit(TPDAUIEngineElement::StateNormal).Parse("#FFFFFF", nullptr);
    }
    ~ControlTest() override
    {
        engine.pages.RemoveAll();
        page.RemoveAllChildren();
    }

    template <class T>
    T* Add(const std::string& xml)
    {
        T* element = AddXml<T>(&page, xml);
        page.Layout();
        return element;
    }
    void Layout() { page.Layout(); }

    ControlEngine engine;
    RecordingPage page;
    int baseline_ = 0;
};

} // namespace controls
