#include <atomic>
#include <chrono>
#include <thread>

#include "WinTestWindow.h"

namespace {

using MessageQueue = WinTestWindow;

TEST_F(MessageQueue, SentPostedQuitPaintAndTimerComeInThatOrder)
{
    SetTimer(hwnd, 6, 50, nullptr);
    Sleep(60); // the timer is due
    InvalidateRect(hwnd, nullptr, FALSE);
    PostQuitMessage(5);
    PostMessageW(hwnd, WM_USER + 1, 1, 2);
    PostMessageW(hwnd, WM_USER + 2, 3, 4);

    std::vector<UINT> order;
    MSG m;
    for (int i = 0; i < 5; ++i) {
        GetMessageW(&m, nullptr, 0, 0);
        order.push_back(m.message);
        if (m.message == WM_QUIT) {
            EXPECT_EQ(m.wParam, 5u);
        }
        DispatchMessageW(&m);
    }
    EXPECT_EQ(order, (std::vector<UINT>{WM_USER + 1, WM_USER + 2, WM_QUIT, WM_PAINT, WM_TIMER}));
    EXPECT_EQ(Of(WM_USER + 1)[0], (Call{WM_USER + 1, 1, 2}));
}

TEST_F(MessageQueue, PeekWithoutRemovalLeavesTheMessageAndFiltersByRange)
{
    PostMessageW(hwnd, WM_USER + 1, 0, 0);
    PostMessageW(hwnd, WM_KEYDOWN, VK_LEFT, 1);
    MSG m;
    ASSERT_TRUE(PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(m.message, WM_USER + 1);
    ASSERT_TRUE(PeekMessageW(&m, nullptr, WM_KEYDOWN, WM_KEYUP, PM_REMOVE));
    EXPECT_EQ(m.message, WM_KEYDOWN);
    ASSERT_TRUE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, WM_USER + 1);
    EXPECT_FALSE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
    // Quit is taken once.
    PostQuitMessage(0);
    EXPECT_EQ(GetMessageW(&m, nullptr, 0, 0), FALSE);
    EXPECT_FALSE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessageQueue, PostFromAnotherThreadWakesABlockedGetMessage)
{
    backend->SetStarveWait(10000);
    std::thread poster([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        for (int i = 0; i < 100; ++i)
            PostMessageW(WinMainWindow(), WM_USER + 7, WPARAM(i), 0);
    });
    MSG m;
    for (int i = 0; i < 100; ++i) {
        ASSERT_EQ(GetMessageW(&m, nullptr, 0, 0), TRUE);
        EXPECT_EQ(m.message, WM_USER + 7);
        EXPECT_EQ(m.wParam, WPARAM(i)); // in posting order
    }
    poster.join();
    EXPECT_EQ(backend->Stopped(), "");
}

TEST_F(MessageQueue, SendFromAnotherThreadRunsOnTheWindowThread)
{
    backend->SetStarveWait(10000);
    std::thread::id seen;
    hook = [&](HWND, UINT msg, WPARAM w, LPARAM, LRESULT& r) {
        if (msg != WM_USER + 3)
            return false;
        seen = std::this_thread::get_id();
        r = LRESULT(w * 2);
        return true;
    };
    std::atomic<LRESULT> answer{0};
    std::thread sender([&] {
        answer = SendMessageW(WinMainWindow(), WM_USER + 3, 21, 0);
        PostMessageW(WinMainWindow(), WM_USER + 4, 0, 0);
    });
    EXPECT_TRUE(RunUntil(WM_USER + 4));
    sender.join();
    EXPECT_EQ(answer.load(), 42);
    EXPECT_EQ(seen, std::this_thread::get_id());
}

TEST_F(MessageQueue, SendToAWindowThatGoesAwayAnswersZero)
{
    backend->SetStarveWait(10000);
    std::atomic<bool> sending{false};
    std::atomic<LRESULT> answer{-1};
    std::thread sender([&] {
        sending = true;
        answer = SendMessageW(WinMainWindow(), WM_USER + 3, 1, 0);
    });
    while (!sending)
        std::this_thread::yield();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    DestroyWindow(hwnd);
    sender.join();
    EXPECT_EQ(answer.load(), 0);
}

TEST_F(MessageQueue, TimerFiresEvery50MsOfVirtualTimeAcrossTheTickWrap)
{
    for (uint32_t start : {1000u, 0xFFFFFF00u}) {
        Start(800, 480, start);
        SetTimer(hwnd, 6, 50, nullptr);
        std::vector<uint32_t> at;
        MSG m;
        while (at.size() < 10) {
            ASSERT_EQ(GetMessageW(&m, nullptr, 0, 0), TRUE);
            if (m.message == WM_TIMER) {
                EXPECT_EQ(m.wParam, 6u);
                at.push_back(GetTickCount() - start);
            }
            DispatchMessageW(&m);
        }
        for (size_t i = 0; i < at.size(); ++i)
            EXPECT_EQ(at[i], 50u * (i + 1)) << "start " << start;
    }
}

TEST_F(MessageQueue, ALateQueueGetsOneTimerMessageAndTheRhythmGoesOn)
{
    SetTimer(hwnd, 6, 50, nullptr);
    const uint32_t t0 = GetTickCount();
    Sleep(1000);
    MSG m;
    ASSERT_TRUE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, WM_TIMER);
    EXPECT_FALSE(PeekMessageW(&m, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
    ASSERT_EQ(GetMessageW(&m, nullptr, 0, 0), TRUE);
    EXPECT_EQ(m.message, WM_TIMER);
    EXPECT_EQ(GetTickCount() - t0, 1050u);
}

TEST_F(MessageQueue, KilledTimersStopAndTimerProcsAreCalled)
{
    static int procCalls = 0;
    procCalls = 0;
    SetTimer(hwnd, 6, 50, nullptr);
    SetTimer(hwnd, 7, 30, [](HWND, UINT msg, uintptr_t id, DWORD) {
        if (msg == WM_TIMER && id == 7)
            ++procCalls;
    });
    EXPECT_TRUE(KillTimer(hwnd, 6));
    EXPECT_FALSE(KillTimer(hwnd, 6));
    MSG m;
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(GetMessageW(&m, nullptr, 0, 0), TRUE);
        EXPECT_EQ(m.wParam, 7u);
        DispatchMessageW(&m);
    }
    EXPECT_EQ(procCalls, 3);
    EXPECT_TRUE(Of(WM_TIMER).empty()); // the proc took them, not the window
}

TEST_F(MessageQueue, InvalidationsCoalesceIntoOnePaintOfTheirUnion)
{
    const RECT a{10, 10, 20, 20}, b{100, 50, 120, 60}, outside{900, 900, 950, 950};
    InvalidateRect(hwnd, &a, FALSE);
    InvalidateRect(hwnd, &b, FALSE);
    InvalidateRect(hwnd, &outside, FALSE);
    PostMessageW(hwnd, WM_USER + 9, 0, 0);
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&m);
    ASSERT_EQ(paints.size(), 1u);
    EXPECT_EQ(paints[0], (RECT{10, 10, 120, 60}));
    // Painted: nothing more to paint.
    EXPECT_FALSE(PeekMessageW(&m, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE));
}

TEST_F(MessageQueue, APaintNobodyValidatesIsNotAskedForAgain)
{
    hook = [](HWND, UINT msg, WPARAM, LPARAM, LRESULT& r) {
        r = 0;
        return msg == WM_PAINT; // no BeginPaint
    };
    InvalidateRect(hwnd, nullptr, FALSE);
    MSG m;
    int count = 0;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE) && count < 10) {
        DispatchMessageW(&m);
        ++count;
    }
    EXPECT_EQ(count, 1);
}

TEST_F(MessageQueue, UpdateWindowPaintsAtOnceOnlyWhenSomethingIsInvalid)
{
    UpdateWindow(hwnd);
    EXPECT_TRUE(paints.empty());
    InvalidateRect(hwnd, nullptr, FALSE);
    UpdateWindow(hwnd);
    ASSERT_EQ(paints.size(), 1u);
    EXPECT_EQ(paints[0], (RECT{0, 0, 800, 480}));
    MSG m;
    EXPECT_FALSE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessageQueue, AHiddenWindowGetsNoPaint)
{
    ShowWindow(hwnd, SW_HIDE);
    InvalidateRect(hwnd, nullptr, FALSE);
    MSG m;
    EXPECT_FALSE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
    ShowWindow(hwnd, SW_SHOWNORMAL);
    ASSERT_TRUE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, WM_PAINT);
}

TEST_F(MessageQueue, NothingLeftToWaitForDestroysTheWindowInsteadOfHanging)
{
    MSG m;
    while (GetMessageW(&m, nullptr, 0, 0))
        DispatchMessageW(&m);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(Of(WM_DESTROY).size(), 1u);
    EXPECT_EQ(backend->Stopped(), "nothing was left to wait for");
    // Without a window the next starving wait posts quit.
    EXPECT_EQ(GetMessageW(&m, nullptr, 0, 0), FALSE);
}

TEST_F(MessageQueue, TheVirtualTimeLimitEndsAnEndlessTimerLoop)
{
    backend->SetTimeLimit(2000);
    SetTimer(hwnd, 6, 50, nullptr);
    MSG m;
    int timers = 0;
    while (GetMessageW(&m, nullptr, 0, 0)) {
        timers += m.message == WM_TIMER;
        DispatchMessageW(&m);
    }
    EXPECT_EQ(timers, 1999 / 50);
    EXPECT_EQ(backend->Stopped(), "the virtual time limit was reached");
    // A busy loop of peeks is stopped the same way.
    Start();
    backend->SetTimeLimit(500);
    int peeks = 0;
    while (IsWindow(hwnd) && peeks < 100000) {
        if (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&m);
        ++peeks;
    }
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_LE(peeks, 500 / 16 + 2);
}

TEST_F(MessageQueue, RegisteredMessagesAreSharedByName)
{
    const UINT a = RegisterWindowMessageW(u"WM_PWBCLICKED");
    EXPECT_GE(a, 0xC000u);
    EXPECT_LE(a, 0xFFFFu);
    EXPECT_EQ(RegisterWindowMessageW(u"wm_pwbclicked"), a);
    EXPECT_NE(RegisterWindowMessageW(u"Other"), a);
    EXPECT_EQ(RegisterWindowMessageW(u""), 0u);
    EXPECT_EQ(RegisterWindowMessageW(nullptr), 0u);
}

TEST_F(MessageQueue, CloseByDefaultDestroysAndDestroyedWindowsTakeNoMessages)
{
    SetTimer(hwnd, 6, 50, nullptr);
    SendMessageW(hwnd, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(Of(WM_DESTROY).size(), 1u);
    EXPECT_FALSE(PostMessageW(hwnd, WM_USER, 0, 0));
    EXPECT_EQ(SendMessageW(hwnd, WM_USER, 0, 0), 0);
    EXPECT_FALSE(DestroyWindow(hwnd));
    MSG m;
    EXPECT_EQ(GetMessageW(&m, nullptr, 0, 0), FALSE); // WM_DESTROY posted quit; timer 6 is gone
    EXPECT_EQ(GetMessageW(nullptr, nullptr, 0, 0), -1);
}

} // namespace
