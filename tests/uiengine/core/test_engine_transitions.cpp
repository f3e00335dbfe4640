// Slide and fade transitions on the virtual clock.
#include <gtest/gtest.h>

#include "test_engine_doubles.h"

namespace {

struct Step {
    int upperAlpha;
    int lowerAlpha;  // -1: the lower page has no transition image
    int upperLeft;
    int time;
    int lowerLeft;  // the lower page's destination left (when it has an image)
};

struct Recorder {
    TPDAUIEngineElementPage* upper = nullptr;
    TPDAUIEngineElementPage* lower = nullptr;
    std::vector<Step> steps;
};

void RecordStep(TestEngine& engine, void* data)
{
    Recorder* r = static_cast<Recorder*>(data);
    if (!r->upper || !r->upper->transitionImage)
        return;
    Step s;
    s.upperAlpha = r->upper->transitionAlpha;
    s.lowerAlpha = r->lower && r->lower->transitionImage ? r->lower->transitionAlpha : -1;
    s.upperLeft = r->upper->transitionDestination.left;
    s.time = engine.Now();
    s.lowerLeft = r->lower && r->lower->transitionImage ? r->lower->transitionDestination.left : 0;
    r->steps.push_back(s);
}

class TransitionTest : public ::testing::Test {
protected:
    TransitionTest() : bottom(&engine, "pageBottom", nullptr, TColorIG(0, 0, 255))
    {
        engine.onPaint = &RecordStep;
        engine.onPaintData = &rec;
        engine.OpenPage(&bottom);
    }
    ~TransitionTest() override { engine.pages.RemoveAll(); }

    // Opens a page with the given transition and records its animation.
    RecPage* OpenWith(int transition)
    {
        RecPage* page = new RecPage(&engine, "pageTop", nullptr, TColorIG(255, 0, 0));
        page->transition = transition;
        rec.upper = page;
        rec.lower = &bottom;
        rec.steps.clear();
        engine.OpenPage(page);
        return page;
    }

    TestEngine engine;
    Recorder rec;
    RecPage bottom;
};

TEST_F(TransitionTest, SlideInAlphasAlwaysAddUpTo255)
{
    const int start = engine.Now();
    RecPage* page = OpenWith(TPDAUIEngineElementPage::TransitionSlide);

    ASSERT_GE(rec.steps.size(), 8u);
    int previousLeft = 800 / 4 + 1;
    for (const Step& s : rec.steps) {
        EXPECT_GE(s.upperAlpha, 0);
        EXPECT_LE(s.upperAlpha, 255);
        ASSERT_GE(s.lowerAlpha, 0);
        EXPECT_EQ(255, s.upperAlpha + s.lowerAlpha) << "at " << s.time;
        EXPECT_LE(s.upperLeft, previousLeft);
        previousLeft = s.upperLeft;
    }
    EXPECT_EQ(0, rec.steps.back().upperLeft);
    EXPECT_EQ(255, rec.steps.back().upperAlpha);
    // About 175 ms of busy waiting, nothing else.
    EXPECT_GE(engine.Now() - start, 160);
    EXPECT_LE(engine.Now() - start, 200);
    EXPECT_EQ(nullptr, page->transitionImage);
    EXPECT_EQ(nullptr, bottom.transitionImage);
    EXPECT_TRUE(engine.ClosePage(page, true));
}

TEST_F(TransitionTest, FadeInEndsAt255)
{
    RecPage* page = OpenWith(TPDAUIEngineElementPage::TransitionFade);
    ASSERT_GE(rec.steps.size(), 8u);
    int previous = 0;
    for (const Step& s : rec.steps) {
        EXPECT_GE(s.upperAlpha, previous);
        EXPECT_EQ(-1, s.lowerAlpha);  // the page below paints itself
        EXPECT_EQ(0, s.upperLeft);
        previous = s.upperAlpha;
    }
    EXPECT_EQ(255, rec.steps.back().upperAlpha);
    EXPECT_EQ(nullptr, page->transitionImage);
    EXPECT_TRUE(engine.ClosePage(page, true));
}

TEST_F(TransitionTest, SlideOutFadesTheClosingPageToNothing)
{
    RecPage* page = OpenWith(TPDAUIEngineElementPage::TransitionSlide);
    rec.steps.clear();
    ASSERT_TRUE(engine.ClosePage(page, true));
    ASSERT_GE(rec.steps.size(), 8u);
    int previous = 255;
    for (const Step& s : rec.steps) {
        EXPECT_LE(s.upperAlpha, previous);
        EXPECT_GE(s.upperAlpha, 0);
        EXPECT_EQ(255, s.lowerAlpha);  // the page below comes in opaque
        previous = s.upperAlpha;
    }
    EXPECT_EQ(0, rec.steps.back().upperAlpha);
    EXPECT_GE(rec.steps.back().upperLeft, 800 / 4);
    EXPECT_EQ(nullptr, bottom.transitionImage);
    EXPECT_EQ(1, engine.GetPageCount());
}

TEST_F(TransitionTest, FadeOutEndsAt0AndRestoresTheDimmingFlag)
{
    RecPage* page = OpenWith(TPDAUIEngineElementPage::TransitionFade);
    page->avoidPreviousPageBackgroundEffect = 0;
    static int avoidDuring;
    avoidDuring = -1;
    engine.onPaint = [](TestEngine& e, void* data) {
        RecordStep(e, data);
        TPDAUIEngineElementPage* top = e.GetTopPage();
        if (top && top->transitionImage)
            avoidDuring = top->avoidPreviousPageBackgroundEffect;
    };
    rec.steps.clear();
    // Keep the page: its flags can be read after the close.
    page->keepAfterClose = 1;
    ASSERT_TRUE(engine.ClosePage(page, false));
    ASSERT_FALSE(rec.steps.empty());
    EXPECT_EQ(0, rec.steps.back().upperAlpha);
    EXPECT_EQ(1, avoidDuring);
    EXPECT_EQ(0, page->avoidPreviousPageBackgroundEffect);
    EXPECT_EQ(1, page->closing);
    delete page;
}

TEST_F(TransitionTest, NoAnimationWhenOffOrNotAsked)
{
    struct Case {
        const char* name;
        bool enabled;
        int transition;
    } cases[] = {
        {"transitions off in the skin", false, TPDAUIEngineElementPage::TransitionSlide},
        {"page without a transition", true, TPDAUIEngineElementPage::TransitionNone},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        engine.skinSettings.screenPageTransitionsEnabled = c.enabled;
        const int start = engine.Now();
        RecPage* page = OpenWith(c.transition);
        EXPECT_TRUE(rec.steps.empty());
        EXPECT_TRUE(engine.ClosePage(page, true));
        EXPECT_TRUE(rec.steps.empty());
        EXPECT_EQ(start, engine.Now());
        EXPECT_EQ(1, engine.GetPageCount());
    }
}

// A frame that comes late (a busy device) lands where its time puts it: the
// last frame of every animation shows the end position, however late, and the
// arithmetic holds for lateness far beyond the animation.
TEST_F(TransitionTest, LateFramesLandAtTheirEndPositions)
{
    const int w = 800, q = w / 4;
    struct Case {
        const char* what;
        int transition;
        bool closing;
        int frameMs;  // what every repaint costs: the second frame is this late
        int upperLeft, upperAlpha, lowerLeft, lowerAlpha;
    } cases[] = {
        {"slide out, 1016 ms late", TPDAUIEngineElementPage::TransitionSlide, true, 1016,
         w, 0, w - q, 255},
        {"slide out, 30000 s late", TPDAUIEngineElementPage::TransitionSlide, true, 30000000,
         w, 0, w - q, 255},
        {"slide out, just past its end", TPDAUIEngineElementPage::TransitionSlide, true, 160,
         (160 + 16) * q / 175, 0, (160 + 16) * q / 175 - q, 255},
        {"slide in, 1016 ms late", TPDAUIEngineElementPage::TransitionSlide, false, 1016,
         0, 255, -q, 0},
        {"slide in, 30000 s late", TPDAUIEngineElementPage::TransitionSlide, false, 30000000,
         0, 255, -q, 0},
        {"fade in, 30000 s late", TPDAUIEngineElementPage::TransitionFade, false, 30000000,
         0, 255, 0, -1},
        {"fade out, 30000 s late", TPDAUIEngineElementPage::TransitionFade, true, 30000000,
         0, 0, 0, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        engine.transitionFrameMs = c.closing ? 16 : c.frameMs;
        RecPage* page = OpenWith(c.transition);
        if (c.closing) {
            rec.steps.clear();
            engine.transitionFrameMs = c.frameMs;
        }
        engine.skinSettings.screenPageTransitionsEnabled = c.closing;
        ASSERT_TRUE(engine.ClosePage(page, true));
        engine.skinSettings.screenPageTransitionsEnabled = true;
        ASSERT_EQ(2u, rec.steps.size());  // the first frame, then the late one
        const Step& last = rec.steps.back();
        EXPECT_EQ(c.upperLeft, last.upperLeft);
        EXPECT_EQ(c.upperAlpha, last.upperAlpha);
        EXPECT_EQ(c.lowerAlpha, last.lowerAlpha);
        if (c.lowerAlpha >= 0) {
            EXPECT_EQ(c.lowerLeft, last.lowerLeft);
        }
        EXPECT_EQ(1, engine.GetPageCount());
    }
}

TEST(TransitionFirstPage, TheFirstPageHasNoTransition)
{
    TestEngine engine;
    Recorder rec;
    engine.onPaint = &RecordStep;
    engine.onPaintData = &rec;
    RecPage page(&engine, "pageFirst");
    page.transition = TPDAUIEngineElementPage::TransitionSlide;
    rec.upper = &page;
    const int start = engine.Now();
    engine.OpenPage(&page);
    EXPECT_TRUE(rec.steps.empty());
    EXPECT_EQ(start, engine.Now());
    EXPECT_TRUE(engine.ClosePage(&page, false));  // the last page: no animation either
    EXPECT_TRUE(rec.steps.empty());
}

TEST(TransitionClock, AnimationsEndAcrossTheWrapOfTheSystemTick)
{
    TestEngine engine;
    RecPage bottom(&engine, "pageBottom");
    engine.OpenPage(&bottom);
    engine.SetSystemTick(0xFFFFFFFFu - 60);
    const int before = engine.Now();
    Recorder rec;
    engine.onPaint = &RecordStep;
    engine.onPaintData = &rec;
    RecPage* page = new RecPage(&engine, "pageTop");
    page->transition = TPDAUIEngineElementPage::TransitionSlide;
    rec.upper = page;
    rec.lower = &bottom;
    engine.OpenPage(page);
    ASSERT_FALSE(rec.steps.empty());
    for (const Step& s : rec.steps)
        EXPECT_EQ(255, s.upperAlpha + s.lowerAlpha);
    EXPECT_EQ(255, rec.steps.back().upperAlpha);
    EXPECT_GT(engine.Now(), before + 150);  // the engine clock ran on through the wrap

    // Timers keep running after the wrap too.
    EventLog log;
    RecElement* ticker = page->Add(new RecElement("tmrTick", 0, 0, 10, 10, &log));
    ticker->OnLoad(&engine, page, page, nullptr, nullptr);
    ticker->timerInterval = 20;
    engine.StartTimer(ticker);
    engine.Advance(500);
    EXPECT_GE(ticker->ticks, 5);
    engine.ClosePage(page, true);
    engine.pages.RemoveAll();
}

} // namespace
