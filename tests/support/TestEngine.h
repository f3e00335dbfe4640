#pragma once
#include <atomic>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "uiengine/core/TPDAUIEngine.h"

// A UI engine without a window, for tests and screenshots.
//
// Time is virtual: while a TestEngine lives, GetTickCountAdv (and so the
// engine's GetTickCount) reads its clock, which moves only through Advance,
// scripted input and the modal loop. Engine time starts at 1000 ms.
//
// The platform's 50 ms window timer is simulated: every time the clock crosses
// a multiple of TimerPeriodMs, ProcessTimers runs. Input can be sent at once
// (Press, Move, Release, Tap, Key ...) or scripted with times (Script*); the
// modal loop plays the script and the timer until its page count is reached.
//
// Invalidate(1 or 2) paints at once unless inside Paint, as the device does;
// InvalidateElement of a closing top page asks for a paint that the clock
// delivers before its next event.
// While a page transition runs, every repaint costs TransitionFrameMs of
// virtual time, so the busy-waiting animation ends. Message boxes are recorded;
// Terminate records the call and sets the quit flag (the test run goes on).
class TestEngine : public TPDAUIEngine {
public:
    enum { TimerPeriodMs = 50 };

    struct Event {
        enum Kind { Down, Move, Up, KeyDown, Char, KeyUp, Wheel, Call };
        Kind kind = Down;
        int at = 0;  // engine ms
        int x = 0, y = 0, value = 0;
        void (*call)(TestEngine&, void*) = nullptr;  // Kind Call
        void* data = nullptr;
    };

    struct Box {
        std::string text;
        std::string caption;
    };

    explicit TestEngine(int width = 800, int height = 480);
    ~TestEngine() override;

    // ---- Clock ---------------------------------------------------------------------
    // Engine time now (GetTickCount).
    int Now();
    // Moves time on by ms, running the window timer and any scripted events due.
    void Advance(int ms);
    // Moves the clock without timers or events (a busy UI thread).
    void Skip(int ms);
    // Sets the system tick (say, just before its 32-bit wrap) keeping engine time.
    void SetSystemTick(uint32_t tick);

    // ---- Input now -------------------------------------------------------------------
    void Press(int x, int y, int kind = 0);
    void Move(int x, int y);
    void Release(int x, int y, int kind = 0);
    // Press, hold for holdMs (time advancing, timers running), release.
    void Tap(int x, int y, int holdMs = 50);
    void KeyDown(int vk);
    void KeyUp(int vk);
    void Char(int character);
    // Key down, then key up after holdMs.
    void Key(int vk, int holdMs = 50);
    void Wheel(int x, int y, int delta);

    // ---- Scripted input ----------------------------------------------------------------
    // Events at engine times, played by Advance and the modal loop in time order.
    void Script(const Event& event);
    void ScriptPress(int at, int x, int y, int kind = 0);
    void ScriptMove(int at, int x, int y);
    void ScriptRelease(int at, int x, int y, int kind = 0);
    void ScriptTap(int at, int x, int y, int holdMs = 50);
    void ScriptKey(int at, int vk, int holdMs = 50);
    void ScriptCall(int at, void (*call)(TestEngine&, void*), void* data = nullptr);
    int PendingEvents() const { return (int)script_.size(); }

    // ---- Frames ----------------------------------------------------------------------
    // Paints now and gives the double buffer.
    const TDibIG& Frame();
    // The double buffer as it is, without painting.
    const TDibIG& Buffer() { return dc.GetBackBuffer(); }
    bool SavePng(const std::string& path);
    // Colour of one pixel of the double buffer.
    TColorIG PixelAt(int x, int y);

    // ---- Records ----------------------------------------------------------------------
    std::vector<Box> messageBoxes;
    int terminateCalls = 0;
    int paints = 0;           // Paint calls
    int invalidations = 0;    // Invalidate calls of any mode that were not suppressed
    std::vector<int> screenModes;  // SetScreenMode calls
    std::string clipboard;
    // Virtual ms a repaint costs while a transition runs.
    int transitionFrameMs = 16;
    // Virtual ms the modal loop may idle after the script runs out before it
    // reports a starved loop (a test failure) and quits.
    int modalIdleLimitMs = 60000;
    // Called at every repaint (after it), e.g. to sample transition state.
    void (*onPaint)(TestEngine&, void*) = nullptr;
    void* onPaintData = nullptr;

    // ---- Platform operations ------------------------------------------------------------
    void RunModalLoop(int pageCount) override;
    void MessageBox(const char* text, const char* caption) override;
    void Invalidate(int mode) override;
    void InvalidateElement(TPDAUIEngineElement* element) override;
    void Terminate() override;
    bool HasHardwareKeyboard() override;
    int HasHardwareKeyboardMultiplexed() override { return 0; }
    int InputPanelHandler(TPDAUIEngineElement*, int) override { return 0; }
    int HasHardwareMouse() override { return 1; }
    int HasHardwareMouseTouchScreen() override { return 1; }
    int HasHardwareMouseTouchScreenDouble() override { return 0; }
    int CanCalibrateTouchScreen() override { return 1; }
    void SetScreenMode(int mode, int value) override;
    void SetClipboardText(const char* text) override { clipboard = text ? text : ""; }
    DString GetClipboardText() override { return DString(clipboard.c_str()); }
    int SetCPU100Mode(int on) override
    {
        continuousRedraw = on != 0;
        return 1;
    }
    bool continuousRedraw = false;  // the modal loop repaints while the page animates

private:
    static uint32_t ReadClock();
    void Deliver(const Event& event);
    // Moves the clock to the engine time `to`, firing timer ticks crossed and
    // (with events) the script; single: stop after the first of them.
    void RunUntil(int to, bool events, bool single = false);
    bool TopPageBusy();
    void PaintIfPending();

    std::atomic<uint32_t> clock_{0};  // system tick; other threads may read it
    int nextTimer_ = 0;         // engine ms of the next window-timer tick
    std::deque<Event> script_;  // sorted by time
    TestEngine* previous_ = nullptr;
    bool paintPending_ = false;
};
