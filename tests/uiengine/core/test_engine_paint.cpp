// Painting of the page stack: dimming, covered pages, overlays, screenshots.
#include <gtest/gtest.h>

#include <cstdlib>

#include "enginelib/base/TFitxUtils.h"
#include "enginelib/draw/TDibIGformat.h"
#include "support/GoldenImage.h"
#include "support/TestPaths.h"
#include "test_engine_doubles.h"

namespace {

const TColorIG kBlue(40, 90, 200);
const TColorIG kYellow(230, 200, 60);
const TColorIG kGreen(60, 170, 90);

// A colour under the one dimming layer (RGB 10, 10, 10 at alpha 127).
TColorIG Dimmed(TColorIG c)
{
    auto mix = [](int v) { return (v * (255 - 127) + 10 * 127 + 127) / 255; };
    return TColorIG(mix(c.R()), mix(c.G()), mix(c.B()));
}

::testing::AssertionResult Near(TColorIG expected, TColorIG actual)
{
    if (std::abs(expected.R() - actual.R()) <= 2 && std::abs(expected.G() - actual.G()) <= 2 &&
        std::abs(expected.B() - actual.B()) <= 2)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "expected (" << (int)expected.R() << "," << (int)expected.G() << ","
           << (int)expected.B() << ") got (" << (int)actual.R() << "," << (int)actual.G() << ","
           << (int)actual.B() << ")";
}

// Bottom page full screen; middle 600 x 360 and top 400 x 240, both centred.
class StackPaintTest : public ::testing::Test {
protected:
    StackPaintTest()
        : bottom(&engine, "pageBottom", nullptr, kBlue),
          middle(&engine, "pageMiddle", nullptr, kYellow),
          top(&engine, "pageTop", nullptr, kGreen)
    {
        middle.maximumWidth = 600;
        middle.maximumHeight = 360;
        top.maximumWidth = 400;
        top.maximumHeight = 240;
        engine.OpenPage(&bottom);
        engine.OpenPage(&middle);
        engine.OpenPage(&top);
    }
    ~StackPaintTest() override { engine.pages.RemoveAll(); }

    // Pixels that only the bottom, only the middle, and the top page cover.
    TColorIG BottomOnly() { return engine.PixelAt(20, 20); }
    TColorIG MiddleOnly() { return engine.PixelAt(150, 100); }
    TColorIG TopPixel() { return engine.PixelAt(400, 240); }

    TestEngine engine;
    RecPage bottom, middle, top;
};

TEST_F(StackPaintTest, ThreePagesAreDimmedOnceBetweenBottomAndMiddle)
{
    const TDibIG& frame = engine.Frame();
    EXPECT_EQ(0, middle.fullScreen);
    EXPECT_EQ(0, top.fullScreen);
    EXPECT_TRUE(Near(Dimmed(kBlue), BottomOnly()));
    EXPECT_TRUE(Near(kYellow, MiddleOnly()));
    EXPECT_TRUE(Near(kGreen, TopPixel()));
    EXPECT_TRUE(golden::Matches(frame, "engine/three_pages_one_dim"));
}

TEST_F(StackPaintTest, MiddlePageAvoidingTheEffectMovesTheDimAboveIt)
{
    middle.avoidPreviousPageBackgroundEffect = 1;
    engine.Frame();
    EXPECT_TRUE(Near(Dimmed(kBlue), BottomOnly()));  // once, not twice
    EXPECT_TRUE(Near(Dimmed(kYellow), MiddleOnly()));
    EXPECT_TRUE(Near(kGreen, TopPixel()));
}

TEST_F(StackPaintTest, NoDimWhenEveryUpperPageAvoidsIt)
{
    middle.avoidPreviousPageBackgroundEffect = 1;
    top.avoidPreviousPageBackgroundEffect = 1;
    engine.Frame();
    EXPECT_TRUE(Near(kBlue, BottomOnly()));
    EXPECT_TRUE(Near(kYellow, MiddleOnly()));
}

TEST_F(StackPaintTest, PagesUnderTheTopmostFullScreenPageAreNotPainted)
{
    RecPage cover(&engine, "pageCover", nullptr, TColorIG(255, 255, 255));
    engine.OpenPage(&cover);
    engine.Frame();
    const int bottomPaints = bottom.paintCount;
    const int middlePaints = middle.paintCount;
    const int coverPaints = cover.paintCount;
    engine.Frame();
    EXPECT_EQ(bottomPaints, bottom.paintCount);
    EXPECT_EQ(middlePaints, middle.paintCount);
    EXPECT_EQ(coverPaints + 1, cover.paintCount);
    EXPECT_TRUE(Near(TColorIG(255, 255, 255), BottomOnly()));
    engine.ClosePage(&cover, false);
}

TEST_F(StackPaintTest, ClosingTopPageIsNotPaintedOnceTransitionsAreOff)
{
    engine.skinSettings.screenPageTransitionsEnabled = 0;
    top.closing = 1;
    const int topPaints = top.paintCount;
    engine.Frame();
    EXPECT_EQ(topPaints, top.paintCount);
    EXPECT_TRUE(Near(kYellow, TopPixel()));
    top.closing = 0;
}

TEST(EnginePaint, PointerTrailKeepsElevenPointsAndDrawsTheLastLarger)
{
    TestEngine engine;
    engine.trailDrawing = 1;
    for (int i = 0; i < 15; ++i) {
        engine.Press(100 + i, 100);
        engine.Release(100 + i, 100);
    }
    // Each press and release adds a point; the oldest go first.
    ASSERT_EQ(11, engine.pointerTrail.Count());
    EXPECT_EQ(TPointIG(114, 100), engine.pointerTrail[10]);
    EXPECT_EQ(TPointIG(109, 100), engine.pointerTrail[0]);
    engine.Frame();
    EXPECT_EQ(TColorIG(255, 0, 0), engine.PixelAt(114, 100 - 20));  // the last cross is 20 tall
    EXPECT_NE(TColorIG(255, 0, 0), engine.PixelAt(114, 100 - 21));
}

class IndicatorTest : public ::testing::Test {
protected:
    IndicatorTest()
    {
        // A strip of ten 64 x 64 frames, frame f in grey level 20 f + 8.
        TDibIGformat strip;
        strip.Crea(640, 64, 16);
        for (int f = 0; f < 10; ++f) {
            for (int y = 0; y < 64; ++y)
                for (int x = 0; x < 64; ++x)
                    strip.SetPixel(f * 64 + x, y, TColorIG(20 * f + 8, 20 * f + 8, 20 * f + 8));
            frames[f] = strip.GetPixel(f * 64, 0);  // as RGB565 keeps it
        }
        const std::string folder = dir / "default";
        TFitxUtils::Crea_Carpeta(folder.c_str());
        EXPECT_TRUE(strip.Guarda((folder + "/commonContextMenuAnimation.png").c_str()));
        engine.skinsFolder = dir.path().c_str();
    }
    TColorIG Grey(int f) const { return frames[f]; }

    TColorIG frames[10];
    testpaths::TempDir dir;
    TestEngine engine;
};

TEST_F(IndicatorTest, FrameFollowsTheTimeSinceTheIndicatorStarted)
{
    struct Case {
        int since;
        int frame;
    } cases[] = {{0, 0}, {34, 1}, {100, 3}, {297, 9}, {330, 9}, {999, 9}, {1001, 9}, {1500, 9}};
    engine.longPressIndicator = 1;
    engine.lastPointerX = 200;
    engine.lastPointerY = 150;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.since);
        engine.indicatorTime = engine.Now() - c.since;
        engine.Frame();
        EXPECT_TRUE(Near(Grey(c.frame), engine.PixelAt(200, 150)));
        EXPECT_TRUE(Near(Grey(c.frame), engine.PixelAt(200 - 32, 150 - 32)));
        EXPECT_FALSE(Near(Grey(c.frame), engine.PixelAt(200 - 33, 150)));
    }
}

TEST_F(IndicatorTest, SquareGrowsWithTheUIScale)
{
    engine.skinSettings.uiScale = 1.5f;  // side 96
    engine.longPressIndicator = 1;
    engine.lastPointerX = 200;
    engine.lastPointerY = 150;
    engine.indicatorTime = engine.Now();
    engine.Frame();
    EXPECT_TRUE(Near(Grey(0), engine.PixelAt(200 - 48, 150)));
    EXPECT_FALSE(Near(Grey(0), engine.PixelAt(200 - 49, 150)));
}

TEST(EnginePaint, ScreenshotWritesTheDoubleBuffer)
{
    testpaths::TempDir dir;
    TestEngine engine(320, 240);
    RecPage page(&engine, "pageShot", nullptr, kGreen);
    engine.OpenPage(&page);
    const std::string path = dir / "shot.png";
    ASSERT_TRUE(engine.SaveScreenshot(path.c_str()));
    TDibIGformat read;
    ASSERT_TRUE(read.Lee(path.c_str()));
    EXPECT_EQ(320, read.Width());
    EXPECT_EQ(240, read.AbsHeight());
    EXPECT_TRUE(Near(TColorIG::FromRGB565(kGreen.ToRGB565()), read.GetPixel(160, 120)));
    engine.pages.RemoveAll();
}

TEST(EnginePaint, SuppressedPaintDrawsNothing)
{
    TestEngine engine(100, 100);
    RecPage page(&engine, "pageA");
    engine.OpenPage(&page);
    const int paints = page.paintCount;
    engine.paintSuppressed = 1;
    engine.Invalidate(1);
    engine.Paint();
    EXPECT_EQ(paints, page.paintCount);
    engine.paintSuppressed = 0;
    engine.Invalidate(1);
    EXPECT_EQ(paints + 1, page.paintCount);
    engine.pages.RemoveAll();
}

} // namespace
