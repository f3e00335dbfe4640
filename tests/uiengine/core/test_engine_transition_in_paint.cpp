// Pages that open or close while a paint runs (its timer pass closes finished
// pages, and element timers may open pages) change the stack at once: a paint
// shows no frames of its own, so an animation there would only spin on the clock.
#include <gtest/gtest.h>

#include "test_engine_doubles.h"

namespace {

// Counts the frames an animation asks for while a paint runs; gives up (quits)
// after many, so that a spinning animation ends the test instead of hanging it.
class FrameCountingEngine : public TestEngine {
public:
    void Invalidate(int mode) override
    {
        if (painting && AnyTransitionImage() && ++framesInPaint > 1000)
            quit = 1;
        TestEngine::Invalidate(mode);
    }
    bool AnyTransitionImage() const
    {
        for (int i = 0; i < pages.Count(); ++i)
            if (pages[i]->transitionImage)
                return true;
        return false;
    }
    int framesInPaint = 0;
};

// A page whose removal keeps the UI thread busy for a while.
class SlowDetachPage : public RecPage {
public:
    SlowDetachPage(TestEngine* e) : RecPage(e, "pageSlow"), clock(e) {}
    void Detach() override
    {
        clock->Skip(20);
        RecPage::Detach();
    }
    TestEngine* clock;
};

// An element whose timer opens a sliding page, once.
class PageOpener : public RecElement {
public:
    PageOpener() : RecElement("opener", 0, 0, 800, 480, nullptr) { timerInterval = 100; }
    void OnTimer(int, int) override
    {
        if (opened++)
            return;
        auto* page = new RecPage(engine, "pageOpenedInPaint");
        page->transition = TPDAUIEngineElementPage::TransitionSlide;
        engine->OpenPage(page);
    }
    int opened = 0;
};

TEST(TransitionInPaint, APageClosedByThePaintsTimerPassLeavesWithoutAnimation)
{
    FrameCountingEngine engine;
    RecPage bottom(&engine, "pageBottom");
    engine.OpenPage(&bottom);
    auto* sliding = new RecPage(&engine, "pageSliding");
    sliding->transition = TPDAUIEngineElementPage::TransitionSlide;
    engine.OpenPage(sliding);
    engine.OpenPage(new SlowDetachPage(&engine));

    // Held pointer, both upper pages finished, the last timer pass long ago: the
    // pass closes the top page, whose removal repaints, and that paint's own
    // timer pass closes the sliding page.
    engine.Press(400, 240);
    sliding->closing = 1;
    engine.GetTopPage()->closing = 1;
    engine.Skip(1000);
    engine.ProcessTimers();

    EXPECT_EQ(0, engine.framesInPaint);
    EXPECT_EQ(0, engine.quit);
    EXPECT_EQ(1, engine.GetPageCount());
    engine.Release(400, 240);
    engine.pages.RemoveAll();
}

TEST(TransitionInPaint, APageOpenedByAnElementTimerDuringAPaintArrivesWithoutAnimation)
{
    FrameCountingEngine engine;
    RecPage bottom(&engine, "pageBottom");
    auto* opener = new PageOpener();
    bottom.Add(opener);
    engine.OpenPage(&bottom);
    engine.StartTimer(opener);

    // A held pointer and a timer pass long ago: the paint runs the timers itself.
    engine.Press(400, 240);
    engine.Skip(1000);
    engine.Frame();

    EXPECT_EQ(1, opener->opened);
    EXPECT_EQ(0, engine.framesInPaint);
    EXPECT_EQ(0, engine.quit);
    EXPECT_EQ(2, engine.GetPageCount());
    engine.Release(400, 240);
    engine.ClosePage(engine.GetTopPage(), true);
    engine.pages.RemoveAll();
}

} // namespace
