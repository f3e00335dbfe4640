// The window procedure: each message becomes its engine call with its
// arguments and answers what the device's window procedure answers; pointer
// presses swallowed by the wake-up hook; native messages.
#include "host_fixture.h"

namespace host {
namespace {

struct Row {
    const char* what;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    std::vector<std::string> calls;  // engine calls made, in order
    LRESULT result;
};

TEST_F(HostTest, EachMessageMakesItsEngineCallAndAnswer)
{
    RecordingHost& h = Start();
    // Input reaches the engine whether or not a page is open.
    const Row rows[] = {
        {"left press", WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 20), {"down 10 20 0"}, 0},
        {"move, left held", WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(11, 21), {"move 11 21 0"}, 0},
        {"left release", WM_LBUTTONUP, 0, MAKELPARAM(12, 22), {"up 12 22 0"}, 0},
        {"signed halves", WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(-5, -7), {"down -5 -7 0"}, 0},
        {"release outside", WM_LBUTTONUP, 0, MAKELPARAM(-5, -7), {"up -5 -7 0"}, 0},
        {"right press", WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(30, 40), {"down 30 40 1"}, 0},
        {"move, right held", WM_MOUSEMOVE, MK_RBUTTON, MAKELPARAM(31, 41), {"move 31 41 1"}, 0},
        {"right release", WM_RBUTTONUP, 0, MAKELPARAM(32, 42), {"up 32 42 1"}, 0},
        {"middle press", WM_MBUTTONDOWN, MK_MBUTTON, MAKELPARAM(50, 60), {"down 50 60 15"}, 0},
        {"move, middle wins", WM_MOUSEMOVE, MK_MBUTTON | MK_RBUTTON | MK_LBUTTON, MAKELPARAM(1, 2),
         {"move 1 2 15"}, 0},
        {"middle release answers 1", WM_MBUTTONUP, 0, MAKELPARAM(51, 61), {"up 51 61 15"}, 1},
        {"move, nothing held", WM_MOUSEMOVE, 0, MAKELPARAM(3, 4), {"move 3 4 -1"}, 0},
        {"wheel", WM_MOUSEWHEEL, MAKEWPARAM(0, -120), MAKELPARAM(100, 200), {"wheel 100 200 -120"}, 0},
        {"key down", WM_KEYDOWN, 0x41, 1, {"keydown 65"}, 1},
        {"system key down", WM_SYSKEYDOWN, 0x12, 1, {"keydown 18"}, 1},
        {"key up", WM_KEYUP, 0x41, 0, {"keyup 65"}, 1},
        {"system key up", WM_SYSKEYUP, 0x12, 0, {"keyup 18"}, 1},
        {"character", WM_CHAR, 'a', 1, {"char 97"}, 1},
        {"erase", WM_ERASEBKGND, 0, 0, {}, 0},
        {"menu command", WM_COMMAND, 5, 0, {}, 0},
        {"0x3D0", 0x3D0, 0, 0, {}, 0},
        {"0x3D1", 0x3D1, 0, 0, {}, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        h.calls.clear();
        EXPECT_EQ(row.result, Send(row.message, row.wParam, row.lParam));
        EXPECT_EQ(row.calls, h.calls);
    }

    // Key handlers' answers come back as the result.
    h.keyAnswer = false;
    h.calls.clear();
    EXPECT_EQ(0, Send(WM_KEYDOWN, 0x41, 1));
    EXPECT_EQ(0, Send(WM_CHAR, 'a', 1));
    EXPECT_EQ(0, Send(WM_KEYUP, 0x41, 0));
    EXPECT_EQ((std::vector<std::string>{"keydown 65", "char 97", "keyup 65"}), h.calls);
}

TEST_F(HostTest, TimerSixRunsTheTimerPassOthersNothing)
{
    RecordingHost& h = Start();
    h.timerPasses = 0;
    EXPECT_EQ(0, Send(WM_TIMER, TPDAUIEngineWinCE::TimerId, 0));
    EXPECT_EQ(1, h.timerPasses);
    EXPECT_EQ(0, Send(WM_TIMER, 7, 0));
    EXPECT_EQ(1, h.timerPasses);
}

TEST_F(HostTest, FocusMoveSizeAndDestroy)
{
    RecordingHost& h = Start();
    EXPECT_EQ(0, Send(WM_KILLFOCUS));
    EXPECT_EQ(0, h.appHasFocus);
    EXPECT_EQ(0, Send(WM_SETFOCUS));
    EXPECT_EQ(1, h.appHasFocus);

    // A move stores the client origin and hands the geometry to the application.
    struct Geometry {
        std::vector<std::string> saved;
    } geometry;
    h.callbacks.userData = &geometry;
    h.callbacks.windowGeometry = [](void* user, int mode, int x, int y, int w, int hgt) {
        static_cast<Geometry*>(user)->saved.push_back(std::to_string(mode) + " " + std::to_string(x) +
                                                      " " + std::to_string(y) + " " +
                                                      std::to_string(w) + " " + std::to_string(hgt));
    };
    MoveWindow(h.Window(), 40, 30, 800, 480, TRUE);
    EXPECT_EQ(40, h.skinSettings.windowX);
    EXPECT_EQ(30, h.skinSettings.windowY);
    ASSERT_FALSE(geometry.saved.empty());
    EXPECT_EQ("2 40 30 800 480", geometry.saved.back());

    // A size change hands the client origin and the window's size to OnResize.
    h.calls.clear();
    MoveWindow(h.Window(), 40, 30, 640, 400, TRUE);
    ASSERT_FALSE(h.calls.empty());
    EXPECT_EQ("resize 40 30 640 400", h.calls.back());
    EXPECT_EQ(640, h.ScreenWidth());
    EXPECT_EQ(400, h.ScreenHeight());
    h.callbacks = TPDAUIEngineCallbacks();

    // Destruction asks the engine to quit and posts the quit message.
    EXPECT_EQ(0, Send(WM_DESTROY));
    EXPECT_EQ(1, h.quit);
    MSG msg;
    bool sawQuit = false;
    // Timers keep coming; the quit message is among the first few.
    for (int i = 0; i < 10 && !sawQuit; ++i)
        sawQuit = PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE) && msg.message == WM_QUIT;
    EXPECT_TRUE(sawQuit);
}

// The wake-up hook's answers, in order.
struct WakeUp {
    std::vector<int> answers;
    int calls = 0;
};

int AnswerWakeUp(void* user, intptr_t)
{
    WakeUp* w = static_cast<WakeUp*>(user);
    const int answer = w->calls < (int)w->answers.size() ? w->answers[w->calls] : 0;
    ++w->calls;
    return answer;
}

TEST_F(HostTest, ASwallowedPressSwallowsItsMovesAndReleaseOnly)
{
    RecordingHost& h = Start();
    WakeUp wake{{1, 0}};
    h.callbacks.userData = &wake;
    h.callbacks.wakeUp = &AnswerWakeUp;

    const Row rows[] = {
        {"press woke the device", WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10), {}, 1},
        {"move swallowed", WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(20, 20), {}, 1},
        {"move swallowed again", WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(30, 30), {}, 1},
        {"release swallowed", WM_LBUTTONUP, 0, MAKELPARAM(30, 30), {}, 1},
        {"moves count again", WM_MOUSEMOVE, 0, MAKELPARAM(31, 31), {"move 31 31 -1"}, 0},
        {"next press handled", WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(40, 40), {"down 40 40 0"}, 0},
        {"its release too", WM_LBUTTONUP, 0, MAKELPARAM(40, 40), {"up 40 40 0"}, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        h.calls.clear();
        EXPECT_EQ(row.result, Send(row.message, row.wParam, row.lParam));
        EXPECT_EQ(row.calls, h.calls);
    }
    EXPECT_EQ(2, wake.calls);  // asked at each left press only
    h.callbacks = TPDAUIEngineCallbacks();
}

TEST_F(HostTest, APressHeldCapturesThePointer)
{
    RecordingHost& h = Start();
    Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_TRUE(backend->Captured());
    EXPECT_EQ(h.Window(), GetCapture());
    Send(WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_FALSE(backend->Captured());
}

TEST_F(HostTest, NativeMessagesReachEveryTargetInOrderWhilePagesAreOpen)
{
    RecordingHost& h = Start();
    std::vector<std::string> log;
    LogPage main(&h, "main", &log);
    LogPage other(&h, "other", &log);
    const UINT kMessage = 5202;

    h.RegisterNativeMessage(kMessage, "WM_POSTIEMPOREAL", &main);
    h.RegisterNativeMessage(kMessage, "WM_POSTIEMPOREAL", &other);
    h.RegisterNativeMessage(WM_CLOSE, "WM_CLOSE", &main);
    h.RegisterNativeMessage(kMessage, "ignored", nullptr);  // nothing to deliver to
    EXPECT_EQ(3, h.NativeMessages().Count());

    // No page open: nothing is delivered, the default procedure answers.
    EXPECT_EQ(0, Send(kMessage, 7, 9));
    EXPECT_TRUE(log.empty());

    h.OpenPage(&main);
    log.clear();
    EXPECT_EQ(0, Send(kMessage, 7, 9));
    EXPECT_EQ((std::vector<std::string>{"main:WM_POSTIEMPOREAL 7 9", "other:WM_POSTIEMPOREAL 7 9"}), log);
    log.clear();
    EXPECT_EQ(0, Send(WM_CLOSE, 0, 0));
    EXPECT_EQ((std::vector<std::string>{"main:WM_CLOSE 0 0"}), log);

    // A message with no entry goes to the default procedure, untouched.
    log.clear();
    Send(6103, 1, 2);
    EXPECT_TRUE(log.empty());
    h.pages.RemoveAll();
}

TEST_F(HostTest, UnregisterRemovesOnlyTheFirstMatch)
{
    RecordingHost& h = Start();
    std::vector<std::string> log;
    LogPage a(&h, "a", &log);
    LogPage b(&h, "b", &log);
    h.OpenPage(&a);
    h.RegisterNativeMessage(6050, "first", &a);
    h.RegisterNativeMessage(6050, "second", &b);
    h.RegisterNativeMessage(6050, "third", &a);
    h.RegisterNativeMessage(6113, "other", &a);

    h.UnregisterNativeMessage(6050, &a);
    log.clear();
    Send(6050, 1, 1);
    EXPECT_EQ((std::vector<std::string>{"b:second 1 1", "a:third 1 1"}), log);

    // No match (message or target differ): nothing changes.
    h.UnregisterNativeMessage(6050, nullptr);
    h.UnregisterNativeMessage(9999, &a);
    EXPECT_EQ(3, h.NativeMessages().Count());

    h.UnregisterNativeMessage(6050, &a);
    h.UnregisterNativeMessage(6050, &b);
    log.clear();
    Send(6050, 1, 1);
    Send(6113, 2, 3);
    EXPECT_EQ((std::vector<std::string>{"a:other 2 3"}), log);
    h.pages.RemoveAll();
}

TEST_F(HostTest, MessagesForADeletedTargetAreNotDelivered)
{
    RecordingHost& h = Start();
    std::vector<std::string> log;
    LogPage main(&h, "main", &log);
    h.OpenPage(&main);
    auto* gone = new LogPage(&h, "gone", &log);
    h.RegisterNativeMessage(5202, "tick", gone);
    h.RegisterNativeMessage(5202, "tick", &main);
    delete gone;
    EXPECT_EQ(1, h.NativeMessages().Count());
    log.clear();
    EXPECT_EQ(0, Send(5202, 0, 0));
    EXPECT_EQ((std::vector<std::string>{"main:tick 0 0"}), log);
    h.pages.RemoveAll();
}

// A receiver that unregisters itself and another entry while being served.
class UnregisteringPage : public LogPage {
public:
    using LogPage::LogPage;
    TPDAUIEngineElement* also = nullptr;
    void OnCommand(TPDAUIEngineCommand& command) override
    {
        LogPage::OnCommand(command);
        if (command.name == "tick") {
            engine->UnregisterNativeMessage(5202, this);
            if (also)
                engine->UnregisterNativeMessage(5202, also);
        }
    }
};

TEST_F(HostTest, ReceiversMayChangeTheMapWhileServed)
{
    RecordingHost& h = Start();
    std::vector<std::string> log;
    LogPage first(&h, "first", &log);
    UnregisteringPage self(&h, "self", &log);
    LogPage last(&h, "last", &log);
    self.also = &first;
    h.OpenPage(&first);
    h.RegisterNativeMessage(5202, "tick", &first);
    h.RegisterNativeMessage(5202, "tick", &self);
    h.RegisterNativeMessage(5202, "tick", &last);
    log.clear();
    Send(5202, 0, 0);
    // Entries after the changed ones are still served, each once.
    EXPECT_EQ((std::vector<std::string>{"first:tick 0 0", "self:tick 0 0", "last:tick 0 0"}), log);
    EXPECT_EQ(1, h.NativeMessages().Count());
    h.pages.RemoveAll();
}

TEST_F(HostTest, ActivationRestoresOrReappliesTheScreenMode)
{
    RecordingHost& h = Start();  // mode 2
    h.SetScreenMode(4, 0);        // hidden
    EXPECT_FALSE(backend->Visible());
    Send(WM_ACTIVATE, WA_INACTIVE, 0);
    EXPECT_EQ(4, h.screenMode);
    Send(WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_EQ(2, h.screenMode);
    EXPECT_TRUE(backend->Visible());

    h.SetScreenMode(3, 0);
    EXPECT_EQ(2, h.PreviousScreenMode());
    // Something moved the full-screen window: activation puts it back, and the
    // mode to return to stays.
    MoveWindow(h.Window(), 10, 10, 100, 100, TRUE);
    Send(WM_ACTIVATE, WA_CLICKACTIVE, 0);
    EXPECT_EQ(3, h.screenMode);
    EXPECT_EQ(2, h.PreviousScreenMode());
    RECT r;
    GetWindowRect(h.Window(), &r);
    EXPECT_EQ((std::vector<LONG>{0, 0, 800, 480}), (std::vector<LONG>{r.left, r.top, r.right, r.bottom}));

    // Other modes: activation does nothing.
    h.SetScreenMode(1, 0);
    MoveWindow(h.Window(), 10, 10, 100, 100, TRUE);
    Send(WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_EQ(1, h.screenMode);
    GetWindowRect(h.Window(), &r);
    EXPECT_EQ(100, r.right - r.left);
}

} // namespace
} // namespace host
