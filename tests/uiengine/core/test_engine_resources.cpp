// The engine's image store as the engine uses it: lookups, cells, reloads.
#include <gtest/gtest.h>

#include "enginelib/base/TFitxUtils.h"
#include "enginelib/draw/TDibIGformat.h"
#include "support/TestPaths.h"
#include "test_engine_doubles.h"

namespace {

class ResourcesTest : public ::testing::Test {
protected:
    ResourcesTest()
    {
        engine.skinsFolder = dir.path().c_str();
        engine.skinSettings.skinName = "night";
        engine.skinSettings.landscape = 0;
        Write("default/arrow.png", 10, 10, TColorIG(255, 0, 0));
        Write("night/arrow.png", 10, 10, TColorIG(0, 255, 0));
        Write("night/arrowLandscape.png", 10, 10, TColorIG(0, 0, 255));
        Write("default/only.png", 4, 4, TColorIG(255, 255, 0));
        Write("night/strip.png", 96, 32, TColorIG(10, 10, 10));
        Write("night/commonBack.png", 8, 8, TColorIG(255, 255, 255));
    }

    void Write(const std::string& name, int w, int h, TColorIG c)
    {
        TDibIGformat image;
        image.Crea(w, h, 16);
        image.Fill(c);
        // Each 32-px cell of a strip gets its own shade in its first pixel.
        for (int x = 0; x + 32 <= w; x += 32)
            image.SetPixel(x, 0, TColorIG(x, x, x));
        const std::string path = dir / name;
        TFitxUtils::Crea_Carpeta(path.substr(0, path.rfind('/')).c_str());
        ASSERT_TRUE(image.Guarda(path.c_str()));
    }

    testpaths::TempDir dir;
    TestEngine engine;
};

TEST_F(ResourcesTest, ImagesComeFromTheSkinThenTheDefaultSkinAndAreCached)
{
    TDibIG* arrow = engine.resources.GetImage("arrow");
    ASSERT_NE(nullptr, arrow);
    EXPECT_EQ(TColorIG(0, 255, 0), arrow->GetPixel(5, 5));
    EXPECT_EQ(arrow, engine.resources.GetImage("arrow"));
    TDibIG* only = engine.resources.GetImage("only");
    ASSERT_NE(nullptr, only);
    EXPECT_EQ(4, only->Width());
    EXPECT_EQ(nullptr, engine.resources.GetImage("missing"));
    EXPECT_EQ(nullptr, engine.resources.GetImage(""));
    EXPECT_EQ(2, engine.resources.GetCount());
}

TEST_F(ResourcesTest, LandscapeVariantWinsInLandscape)
{
    engine.skinSettings.landscape = 1;
    TDibIG* arrow = engine.resources.GetImage("arrow");
    ASSERT_NE(nullptr, arrow);
    EXPECT_EQ(TColorIG(0, 0, 255), arrow->GetPixel(5, 5));
}

TEST_F(ResourcesTest, AddressLikeNamesAreNeverDereferenced)
{
    EXPECT_EQ(nullptr, engine.resources.GetImage("0x7ffe1234"));
    EXPECT_EQ(nullptr, engine.resources.GetImage("0x0"));
}

TEST_F(ResourcesTest, CellsAreCachedAndMustLieInsideTheStrip)
{
    TDibIG* cell = engine.resources.GetImage("strip[2,32,32]");
    ASSERT_NE(nullptr, cell);
    EXPECT_EQ(32, cell->Width());
    EXPECT_EQ(TColorIG::FromRGB565(TColorIG(64, 64, 64).ToRGB565()), cell->GetPixel(0, 0));
    EXPECT_EQ(cell, engine.resources.GetImage("strip[2,32,32]"));
    EXPECT_EQ(cell, engine.resources.GetImageCell("strip", 2, 32, 32));

    struct Case {
        const char* name;
    } outside[] = {{"strip[3,32,32]"}, {"strip[-1,32,32]"}, {"strip[0,0,32]"},
                   {"strip[0,32,0]"},  {"strip[0,32,33]"},  {"strip[1,64,32]"}};
    for (const Case& c : outside) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(nullptr, engine.resources.GetImage(c.name));
    }
}

TEST_F(ResourcesTest, PageStoresPassCommonImagesToTheEngine)
{
    RecPage page(&engine, "pageA");
    TDibIG* common = page.resources.GetImage("commonBack");
    ASSERT_NE(nullptr, common);
    EXPECT_EQ(0, page.resources.GetCount());
    EXPECT_EQ(1, engine.resources.GetCount());
    TDibIG* own = page.resources.GetImage("arrow");
    EXPECT_NE(nullptr, own);
    EXPECT_EQ(1, page.resources.GetCount());
    // The engine's lookup for the font manager asks the top page first.
    engine.OpenPage(&page);
    EXPECT_EQ(own, engine.FindImage("arrow"));
    engine.pages.RemoveAll();
}

TEST_F(ResourcesTest, ReloadKeepsTheObjectAndTakesTheNewPixels)
{
    TDibIG* arrow = engine.resources.GetImage("arrow");
    ASSERT_NE(nullptr, arrow);
    engine.skinSettings.skinName = "default";
    engine.resources.ReloadCachedImages();
    EXPECT_EQ(arrow, engine.resources.GetImage("arrow"));
    EXPECT_EQ(TColorIG(255, 0, 0), arrow->GetPixel(5, 5));
    const size_t used = engine.resources.GetMemoryUsed();
    EXPECT_GT(used, 200u);
    engine.resources.Clear();
    EXPECT_EQ(0, engine.resources.GetCount());
}

} // namespace
