#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "enginelib/base/TFicheroITV.h"
#include "enginelib/draw/TDibIG.h"
#include "enginelib/draw/TSystemFonts.h"
#include "support/TestPaths.h"
#include "uiengine/fonts/TPDAUIEngineFontManager.h"
#include "uiengine/fonts/TPDAUIEngineStyleFont.h"

namespace {

// What the fake renderer kinds do and what was asked of them.
struct FakeWorld {
    bool bitmapValid = false, trueTypeValid = false, systemValid = false;
    std::vector<std::string> tried;  // "kind:path"
    std::vector<std::string> calls;  // operations reaching a renderer: "family:op"
    int alive = 0;
};
FakeWorld* g_world = nullptr;

class FakeRenderer : public TPDAUIEngineFontManager::TFontRenderer {
public:
    FakeRenderer(const char* kind, const char* file, bool ok, int memory = 100)
        : memory_(memory)
    {
        FamilyFromFile(file);
        path = file;
        valid = ok;
        if (g_world) {
            g_world->tried.push_back(std::string(kind) + ":" + file);
            ++g_world->alive;
        }
    }
    ~FakeRenderer() override
    {
        if (g_world)
            --g_world->alive;
    }

    void AdjustFont(TPDAUIEngineStyleFont& f) override
    {
        Log("adjust");
        f.size = 99;
    }
    void GetTextExtent(int& w, int& h, const TPDAUIEngineStyleFont&, const CDString& text,
                       int maxWidth, int) override
    {
        Log("extent");
        w = text.Length();
        h = maxWidth;
    }
    int FitFontSize(const TPDAUIEngineStyleFont&, const CDString&, const TRectIG& r, int,
                    int) override
    {
        Log("fit");
        return r.Height();
    }
    int DrawText(IDC*, const TPDAUIEngineStyleFont&, TColorIG, const TColorIG*, const CDString&,
                 TRectIG&, int, int maxLines) override
    {
        Log("draw");
        return 7 + maxLines;
    }
    int GetLinesHeight(const TPDAUIEngineStyleFont&, const CDString&, int lines, int) override
    {
        Log("lines");
        return lines * 10;
    }
    int GetMemoryUsage() override { return memory_; }
    TDibIG* GetGlyph(int code, int, TRectIG&, int& advance, int&) override
    {
        Log("glyph");
        advance = code;
        return &glyph_;
    }

private:
    void FamilyFromFile(const char* file)
    {
        // Family: the file name up to its first ".".
        std::string s(file);
        const size_t slash = s.find_last_of("/\\");
        if (slash != std::string::npos)
            s.erase(0, slash + 1);
        family = s.substr(0, s.find('.')).c_str();
    }
    void Log(const char* op)
    {
        if (g_world)
            g_world->calls.push_back(std::string(family.c_str()) + ":" + op);
    }

    int memory_;
    TDibIG glyph_;
};

TPDAUIEngineFontManager::TFontRenderer* MakeBitmap(const char* p, const char*)
{
    return new FakeRenderer("cfont", p, g_world->bitmapValid, 1000);
}
TPDAUIEngineFontManager::TFontRenderer* MakeTrueType(const char* p, const char*)
{
    return new FakeRenderer("ttf", p, g_world->trueTypeValid, 200);
}
TPDAUIEngineFontManager::TFontRenderer* MakeSystem(const char* p, const char*)
{
    return new FakeRenderer("gdi", p, g_world->systemValid, 56);
}

class FontManagerTest : public ::testing::Test {
protected:
    FontManagerTest()
    {
        g_world = &world;
        manager.makeBitmapRenderer = &MakeBitmap;
        manager.makeTrueTypeRenderer = &MakeTrueType;
        manager.makeSystemRenderer = &MakeSystem;
    }
    ~FontManagerTest() override
    {
        manager.Clear();
        EXPECT_EQ(world.alive, 0);
        g_world = nullptr;
    }

    // Adds a font every kind accepts, made by the first kind tried.
    void Load(const char* path)
    {
        world.bitmapValid = world.trueTypeValid = world.systemValid = true;
        ASSERT_TRUE(manager.AddFont(path, "/tmp"));
    }

    FakeWorld world;
    TPDAUIEngineFontManager manager;
};

TEST_F(FontManagerTest, AddFontTriesTheKindsInOrder)
{
    struct Case {
        const char* path;
        bool bitmap, trueType, system;
        bool loaded;
        std::vector<std::string> tried;
        const char* keptPath;
    };
    const Case cases[] = {
        {"s/a.cfont", true, true, true, true, {"cfont:s/a.cfont"}, "s/a.cfont"},
        // A bitmap font that does not load is looked for as TrueType, then as a system font.
        {"s/a.cfont", false, true, true, true, {"cfont:s/a.cfont", "ttf:s/a.ttf"}, "s/a.ttf"},
        {"s/a.cfont", false, false, true, true,
         {"cfont:s/a.cfont", "ttf:s/a.ttf", "gdi:s/a.ttf"}, "s/a.ttf"},
        {"s/a.cfont", false, false, false, false,
         {"cfont:s/a.cfont", "ttf:s/a.ttf", "gdi:s/a.ttf"}, nullptr},
        {"s/a.ttf", false, false, true, true, {"ttf:s/a.ttf", "gdi:s/a.ttf"}, "s/a.ttf"},
        // An OpenType file is never tried as a system font.
        {"s/a.otf", false, false, true, false, {"ttf:s/a.otf"}, nullptr},
        {"s/a.otf", false, true, true, true, {"ttf:s/a.otf"}, "s/a.otf"},
        {"s/a.fon", true, true, true, false, {}, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        manager.Clear();
        world.tried.clear();
        world.bitmapValid = c.bitmap;
        world.trueTypeValid = c.trueType;
        world.systemValid = c.system;
        EXPECT_EQ(manager.AddFont(c.path, "/tmp"), c.loaded);
        EXPECT_EQ(world.tried, c.tried);
        ASSERT_EQ(manager.Count(), c.loaded ? 1 : 0);
        EXPECT_EQ(world.alive, manager.Count());  // refused renderers were deleted
        if (c.loaded) {
            EXPECT_EQ(manager.Get(0)->path, c.keptPath);
            EXPECT_EQ(manager.Get(0)->manager, &manager);
        }
    }
}

TEST_F(FontManagerTest, MissingKindsAreSkipped)
{
    // The renderer kinds not available in a build are simply not tried.
    manager.makeBitmapRenderer = nullptr;
    manager.makeTrueTypeRenderer = nullptr;
    world.systemValid = true;
    EXPECT_TRUE(manager.AddFont("s/a.cfont", "/tmp"));
    EXPECT_EQ(world.tried, std::vector<std::string>{"gdi:s/a.ttf"});
    manager.makeSystemRenderer = nullptr;
    EXPECT_FALSE(manager.AddFont("s/b.ttf", "/tmp"));
    EXPECT_FALSE(manager.AddFont(nullptr, "/tmp"));
    EXPECT_EQ(manager.Count(), 1);
}

TEST_F(FontManagerTest, FamiliesAreRenamedAndTheFirstIsTheDefault)
{
    const char* files[][2] = {
        {"x/freesans.ttf", "FreeSans"},
        {"x/LiberationSans-Regular.ttf", "Liberation Sans"},
        {"x/LIBERATIONMONO-REGULAR.ttf", "Liberation Mono"},
        {"x/couriernew.ttf", "Courier New"},
        {"x/FreeMono.ttf", "Free Mono"},
        {"x/freeserif.ttf", "Free Serif"},
        {"x/DroidSans.ttf", "Droid Sans"},
        {"x/ArialUni.ttf", "arialuni"},
        {"x/gbsn00lp.ttf", "AR PLSungtil GB"},
        {"x/DejaVuSans.ttf", "DejaVuSans"},
        {"x/freesans2.ttf", "freesans2"},
    };
    for (auto& f : files)
        Load(f[0]);
    ASSERT_EQ(manager.Count(), 11);
    for (int i = 0; i < 11; ++i)
        EXPECT_EQ(manager.Get(i)->family, files[i][1]);
    EXPECT_EQ(TPDAUIEngineFontManager::DefaultFamily(), "FreeSans");

    TPDAUIEngineStyleFont font;  // names the default family
    EXPECT_EQ(font.name, "FreeSans");
    font.name = "FREESANS";
    int w = -1, h = -1;
    manager.GetTextExtent(w, h, font, "abc", 40, 0);
    EXPECT_EQ(w, 3);
    EXPECT_EQ(h, 40);
    EXPECT_EQ(world.calls, std::vector<std::string>{"FreeSans:extent"});

    manager.Clear();
    EXPECT_TRUE(TPDAUIEngineFontManager::DefaultFamily().IsEmpty());
    EXPECT_EQ(TPDAUIEngineStyleFont().name, "arial");
}

TEST_F(FontManagerTest, LookupIgnoresCaseAndTakesTheFirstLoaded)
{
    Load("a/Sans.ttf");
    Load("b/Mono.ttf");
    Load("c/SANS.otf");
    EXPECT_EQ(manager.IndexOf("sans"), 0);
    EXPECT_EQ(manager.IndexOf("mONO"), 1);
    EXPECT_EQ(manager.IndexOf("Serif"), -1);
    EXPECT_EQ(manager.IndexOf(""), -1);
    EXPECT_EQ(manager.IndexOf(nullptr), -1);
}

TEST_F(FontManagerTest, OperationsReachTheFamilyRendererOrGiveNeutralAnswers)
{
    Load("f/Known.ttf");
    TPDAUIEngineStyleFont known;
    known.name = "known";
    known.size = 15;
    TPDAUIEngineStyleFont unknown = known;
    unknown.name = "Missing";
    TRectIG rect(0, 0, 50, 30);

    manager.AdjustFont(known);
    EXPECT_EQ(known.size, 99);
    manager.AdjustFont(unknown);
    EXPECT_EQ(unknown.size, 15);

    int w = -1, h = -1;
    manager.GetTextExtent(w, h, unknown, "abc", 40, 0);
    EXPECT_EQ(w, 0);
    EXPECT_EQ(h, 0);
    EXPECT_EQ(manager.FitFontSize(known, "abc", rect, 0, 1), 30);
    EXPECT_EQ(manager.FitFontSize(unknown, "abc", rect, 0, 1), 15);
    EXPECT_EQ(manager.DrawText(nullptr, known, 0, nullptr, "abc", rect, 0, 2), 9);
    EXPECT_EQ(manager.DrawText(nullptr, unknown, 0, nullptr, "abc", rect, 0, 2), 0);
    EXPECT_EQ(manager.GetLinesHeight(known, "abc", 3, 100), 30);
    EXPECT_EQ(manager.GetLinesHeight(unknown, "abc", 3, 100), 0);
    manager.disabled = true;
    EXPECT_EQ(manager.GetLinesHeight(known, "abc", 3, 100), 0);
    EXPECT_EQ(world.calls,
              (std::vector<std::string>{"Known:adjust", "Known:fit", "Known:draw", "Known:lines"}));
}

TEST_F(FontManagerTest, GlyphsComeFromTheFamilyOrTheFirstRenderer)
{
    TRectIG source;
    int advance = 0, top = 0;
    EXPECT_EQ(manager.GetGlyph("Any", 65, 12, source, advance, top), nullptr);
    Load("f/First.ttf");
    Load("f/Second.ttf");
    EXPECT_NE(manager.GetGlyph("second", 66, 12, source, advance, top), nullptr);
    EXPECT_NE(manager.GetGlyph("Unknown", 67, 12, source, advance, top), nullptr);
    EXPECT_NE(manager.GetGlyph(nullptr, 68, 12, source, advance, top), nullptr);
    EXPECT_EQ(advance, 68);
    EXPECT_EQ(world.calls, (std::vector<std::string>{"Second:glyph", "First:glyph",
                                                     "First:glyph"}));
}

TEST_F(FontManagerTest, KindsAndMemoryFollowTheLoadedPaths)
{
    EXPECT_FALSE(manager.HasTTFFont());
    EXPECT_FALSE(manager.HasCFONTFont());
    EXPECT_EQ(manager.GetMemoryUsage(), 40);
    Load("f/a.cfont");  // bitmap, 1000
    EXPECT_TRUE(manager.HasCFONTFont());
    EXPECT_FALSE(manager.HasTTFFont());
    world.bitmapValid = false;
    ASSERT_TRUE(manager.AddFont("f/b.ttf", "/tmp"));  // TrueType, 200
    EXPECT_TRUE(manager.HasTTFFont());
    EXPECT_EQ(manager.GetMemoryUsage(), 40 + 1000 + 200);
    manager.Clear();
    EXPECT_EQ(manager.Count(), 0);
    EXPECT_EQ(world.alive, 0);
    EXPECT_EQ(manager.GetMemoryUsage(), 40);
}

TDibIG* ImageByName(void* context, const char* name)
{
    auto* seen = static_cast<std::string*>(context);
    *seen = name;
    static TDibIG image;
    return &image;
}

TEST(FontManager, ImagesAreAskedOnlyWithCallbackAndContext)
{
    std::string seen;
    TPDAUIEngineFontManager manager(&ImageByName, nullptr);
    EXPECT_EQ(manager.RequestImage("icon"), nullptr);
    manager.SetImageLoader(&ImageByName, &seen);
    EXPECT_NE(manager.RequestImage("icon"), nullptr);
    EXPECT_EQ(seen, "icon");
    manager.SetImageLoader(nullptr, &seen);
    EXPECT_EQ(manager.RequestImage("other"), nullptr);
}

// The system font service registering every file, for the real renderer kinds.
class AcceptingSystemFonts : public TSystemFonts {
public:
    int AddFontResource(const char16_t*) override { return ++count; }
    bool RemoveFontResource(const char16_t*) override { return --count >= 0; }
    int DrawText(IDC*, const FontSpec&, const char16_t*, int, TRectIG&, unsigned,
                 TColorIG) override
    {
        return 0;
    }
    int count = 0;
};

TEST(FontManager, MissingBitmapFontFallsBackToItsTrueTypeFileAsASystemFont)
{
    AcceptingSystemFonts system;
    TSystemFonts* previous = TSystemFonts::SetInstance(&system);
    testpaths::TempDir dir, temp;
    {
        TFicheroITV f;
        ASSERT_TRUE(f.Abre((dir / "Skinny.ttf").c_str(), ITV_MODO_CREACION));
        f.Escribe("font", 4);
        f.Cierra();
    }
    {
        TPDAUIEngineFontManager manager;
        EXPECT_FALSE(manager.AddFont((dir / "Absent.cfont").c_str(), temp.path().c_str()));
        ASSERT_TRUE(manager.AddFont((dir / "Skinny.cfont").c_str(), temp.path().c_str()));
        ASSERT_EQ(manager.Count(), 1);
        EXPECT_EQ(manager.Get(0)->family, "Skinny");
        EXPECT_EQ(manager.Get(0)->path, (dir / "Skinny.ttf").c_str());
        EXPECT_TRUE(manager.HasTTFFont());
        EXPECT_EQ(manager.GetMemoryUsage(), 40 + 56);
        EXPECT_EQ(system.count, 1);
    }
    EXPECT_EQ(system.count, 0);  // unregistered with the renderer
    TSystemFonts::SetInstance(previous);
}

} // namespace
