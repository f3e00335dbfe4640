// The modal loop: it waits for messages while nothing animates, repaints every
// turn while a press is held or an animation runs, returns at its depth or on
// quit; the 50 ms window timer drives the engine's timer pass.
#include "host_fixture.h"

#include "uiengine/elements/TPDAUIEngineElementBox.h"

namespace host {
namespace {

// Native messages the script sends to the page.
const UINT kClose = 6050;
const UINT kAnimate = 6103;
const UINT kStill = 6114;
const UINT kQuit = 6113;
const UINT kPress = 17698;

// A page the script drives through native messages. Its entries go when it
// is deleted (the engine deletes a page opened with OpenPage once it closed).
class ScriptedPage : public LogPage {
public:
    ScriptedPage(TPDAUIEngine* e, const char* name, std::vector<std::string>* log) : LogPage(e, name, log)
    {
        for (UINT m : {kClose, kAnimate, kStill, kQuit, kPress})
            e->RegisterNativeMessage((int)m, std::to_string(m).c_str(), this);
    }
    void OnCommand(TPDAUIEngineCommand& command) override
    {
        LogPage::OnCommand(command);
        if (engine->GetTopPage() != this)
            return;  // the script speaks to the top page
        const int m = std::atoi(command.name.c_str());
        if (m == (int)kClose)
            Close(1);
        else if (m == (int)kAnimate)
            animating = 1;
        else if (m == (int)kStill)
            animating = 0;
        else if (m == (int)kQuit)
            engine->RequestQuit();
        else if (m == (int)kPress)
            wantsRedraw = command.value1 != 0;
    }
    bool IsAnimating() override { return wantsRedraw; }
    bool wantsRedraw = false;
};

// An element whose timer ticks are counted.
class TickingElement : public TPDAUIEngineElementBox {
public:
    void OnTimer(int interval, int now) override { ticks->push_back(now); }
    std::vector<int>* ticks = nullptr;  // outlives the element
};

class ModalLoopTest : public HostTest {
protected:
    // Runs the loop down to depth with the script already queued; gives the
    // virtual time it took.
    uint32_t Run(int depth)
    {
        backend->waits = backend->idles = 0;
        host->paints = host->timerPasses = 0;
        const uint32_t start = GetTickCount();
        host->RunModalLoop(depth);
        return GetTickCount() - start;
    }
    std::vector<std::string> log;
};

TEST_F(ModalLoopTest, IdleWaitsForMessagesAndTheTimerDrivesTheTimerPass)
{
    RecordingHost& h = Start();
    auto* page = new ScriptedPage(&h, "page", &log);
    h.OpenPage(page);
    auto* ticking = new TickingElement;
    ticking->timerInterval = 100;
    page->AddChild(ticking, nullptr, nullptr);  // the page owns it
    ticking->StartTimer();
    std::vector<int> ticks;
    ticking->ticks = &ticks;

    backend->After(1000).Message(kClose, 0, 0);
    const uint32_t took = Run(0);
    EXPECT_EQ(0, h.GetPageCount());
    EXPECT_EQ(0, h.NativeMessages().Count());
    EXPECT_GE(took, 1000u);
    EXPECT_LE(took, 1100u);
    // One wait per window-timer message and no peeking: the element timer does
    // not keep the loop busy.
    EXPECT_EQ(0, backend->idles);
    EXPECT_GE(backend->waits, 20);
    EXPECT_LE(backend->waits, 24);
    // WM_TIMER every 50 ms of virtual time runs the timer pass ...
    EXPECT_GE(h.timerPasses, 19);
    EXPECT_LE(h.timerPasses, 22);
    // ... which ticks the element by engine time.
    ASSERT_GE(ticks.size(), 5u);
    for (size_t i = 1; i < ticks.size(); ++i)
        EXPECT_GT(ticks[i] - ticks[i - 1], 100);
    // Nothing asked for paints but the page's own invalidations.
    EXPECT_LE(h.paints, 3);
}

TEST_F(ModalLoopTest, AHeldPressRepaintsEveryTurn)
{
    RecordingHost& h = Start();
    h.passThrough = true;
    auto* page = new ScriptedPage(&h, "page", &log);
    h.OpenPage(page);

    backend->After(100).PointerDown(100, 100).After(500).PointerUp(100, 100).After(500).Message(kClose, 0, 0);
    Run(0);
    // 500 ms held at 16 ms per frame: about 31 peeks that found nothing, each
    // followed by a paint; waits only while nothing is held.
    EXPECT_GE(backend->idles, 28);
    EXPECT_LE(backend->idles, 34);
    EXPECT_GE(h.paints, backend->idles);
    EXPECT_LE(backend->waits, 24);
    EXPECT_EQ(0, h.pointerDown);
}

TEST_F(ModalLoopTest, ARunningAnimationRepaintsEveryTurn)
{
    RecordingHost& h = Start();
    ScriptedPage page(&h, "page", &log);
    h.OpenPage(&page);

    struct Case {
        const char* what;
        UINT start, stop;
        bool continuous;
        bool busy;
    } cases[] = {
        {"page animating flag", kAnimate, kStill, false, true},
        {"IsAnimating with continuous redraw", kPress, kPress, true, true},
        {"IsAnimating without continuous redraw", kPress, kPress, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        h.SetCPU100Mode(c.continuous ? 1 : 0);
        h.OpenPage(new ScriptedPage(&h, "top", &log));
        backend->After(100).Message(c.start, 1, 0).After(400).Message(c.stop, 0, 0).After(100).Message(kClose, 0, 0);
        Run(1);
        EXPECT_EQ(1, h.GetPageCount());
        if (c.busy) {
            EXPECT_GE(backend->idles, 22);
            EXPECT_GE(h.paints, 22);
        } else {
            EXPECT_EQ(0, backend->idles);
            EXPECT_LE(h.paints, 3);
        }
    }
    h.SetCPU100Mode(0);

    // A property animation of the top page keeps it busy until it ends.
    auto* top = new ScriptedPage(&h, "top", &log);
    h.OpenPage(top);
    auto* animation = new TPDAUIEnginePageAnimationsManager::TAnimation;
    animation->elementId = "top";
    animation->attribute = "left";
    animation->duration = 300;
    animation->startTime = h.GetTickCount();
    top->animations.Animations().Add(animation);
    backend->After(1000).Message(kClose, 0, 0);
    Run(1);
    EXPECT_GT(h.paints, 0);
    EXPECT_LE(backend->idles, 30);
    h.pages.RemoveAll();
}

TEST_F(ModalLoopTest, ReturnsAtItsDepthOrOnQuit)
{
    RecordingHost& h = Start();
    ScriptedPage bottom(&h, "bottom", &log);
    h.OpenPage(&bottom);
    h.OpenPage(new ScriptedPage(&h, "top", &log));

    // The top page closes: the loop for depth 1 returns with the bottom one open.
    backend->After(200).Message(kClose, 0, 0);
    Run(1);
    EXPECT_EQ(1, h.GetPageCount());
    EXPECT_EQ(0, h.quit);

    // Already at its depth: returns without waiting.
    Run(1);
    EXPECT_EQ(0, backend->waits);

    // Quit ends the loop with pages still open.
    std::unique_ptr<ScriptedPage> top(new ScriptedPage(&h, "top", &log));
    h.OpenPage(top.get());
    backend->After(200).Message(kQuit, 0, 0);
    Run(0);
    EXPECT_EQ(1, h.quit);
    EXPECT_EQ(2, h.GetPageCount());
    h.pages.RemoveAll();
}

TEST_F(ModalLoopTest, TheQuitMessageEndsEveryLoop)
{
    RecordingHost& h = Start();
    ScriptedPage page(&h, "page", &log);
    h.OpenPage(&page);
    backend->After(100).Message(WM_QUIT, 0, 0);
    Run(0);
    EXPECT_EQ(1, h.quit);
    EXPECT_EQ(1, h.GetPageCount());
    h.pages.RemoveAll();
}

TEST_F(ModalLoopTest, TheWindowGoingAwayEndsTheLoop)
{
    // The headless backend ends a run by destroying the window.
    RecordingHost& h = Start();
    ScriptedPage page(&h, "page", &log);
    h.OpenPage(&page);
    backend->SetTimeLimit(3000);
    Run(0);
    EXPECT_EQ(1, h.quit);
    EXPECT_FALSE(backend->Stopped().empty());
    h.pages.RemoveAll();
}

TEST_F(ModalLoopTest, TheFirstTurnForcesTheScreenModeWithOnePageOnly)
{
    RecordingHost& h = Start(HostOptions{800, 480, 0x10000, 3});
    h.OpenPage(new ScriptedPage(&h, "page", &log));
    // Something moved the full-screen window.
    MoveWindow(h.Window(), 50, 50, 200, 200, TRUE);
    h.calls.clear();
    backend->After(100).Message(kClose, 0, 0);
    Run(0);
    EXPECT_EQ("mode 3 1", h.calls.front());
    RECT r;
    GetWindowRect(h.Window(), &r);
    EXPECT_EQ(800, r.right - r.left);

    // With two pages the mode is left alone.
    std::unique_ptr<ScriptedPage> bottom(new ScriptedPage(&h, "page", &log));
    h.OpenPage(bottom.get());
    h.OpenPage(new ScriptedPage(&h, "top", &log));
    h.calls.clear();
    backend->After(100).Message(kClose, 0, 0);
    Run(1);
    for (const std::string& call : h.calls)
        EXPECT_NE(0u, call.rfind("mode", 0)) << call;
    h.pages.RemoveAll();
}

TEST_F(ModalLoopTest, TimersAndEngineTimeRunOnAcrossTheTickWrap)
{
    HostOptions o;
    o.clockStart = 0xFFFFFFFFu - 300;
    RecordingHost& h = Start(o);
    auto* page = new ScriptedPage(&h, "page", &log);
    h.OpenPage(page);
    auto* ticking = new TickingElement;
    ticking->timerInterval = 100;
    page->AddChild(ticking, nullptr, nullptr);  // the page owns it
    ticking->StartTimer();
    std::vector<int> ticks;
    ticking->ticks = &ticks;
    const int engineStart = h.GetTickCount();

    backend->After(1000).Message(kClose, 0, 0);
    const uint32_t took = Run(0);
    EXPECT_GE(took, 1000u);
    EXPECT_LE(took, 1100u);
    EXPECT_GE(h.timerPasses, 19);
    EXPECT_GE(h.GetTickCount() - engineStart, 1000);
    EXPECT_GE(ticks.size(), 5u);
}

TEST_F(ModalLoopTest, WithoutAWindowTheLoopReturnsAtOnce)
{
    // Another program's window holds nothing here: make creation fail by
    // registering no class name at all.
    auto made = std::make_unique<CountingBackend>(800, 480, 0x10000);
    backend = made.get();
    WinUseBackend(std::move(made));
    TPDAUIEngineWinCE::SetProcessEndHook([](int code) { ProcessEnds().push_back(code); });
    host.reset(new RecordingHost(nullptr, "", "Orbeta", 2, 0, 1.0f, 0, 0, -1, -1, 1));
    ASSERT_EQ(nullptr, host->Window());
    ScriptedPage page(host.get(), "page", &log);
    host->OpenPage(&page);
    host->RunModalLoop(0);
    EXPECT_EQ(1, host->GetPageCount());
    // The engine still paints into its buffer and takes input by direct calls.
    host->Invalidate(1);
    host->Paint();
    host->OnPointerDown(10, 10, 0, 0, 0);
    host->OnPointerUp(10, 10, 0);
    host->SetScreenMode(3, 0);
    EXPECT_EQ(3, host->screenMode);
    host->pages.RemoveAll();
}

} // namespace
} // namespace host
