#include "TestEngine.h"

#include <algorithm>

#include <gtest/gtest.h>

#include "enginelib/base/Tick.h"
#include "enginelib/draw/TDibIGformat.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"

namespace {
TestEngine* g_clockOwner = nullptr;
const uint32_t kClockStart = 0x10000;  // system tick at construction
const int kEngineStart = 1000;         // engine ms at construction
const int kBusyFrameMs = 16;           // the modal loop's repaint step while busy
} // namespace

uint32_t TestEngine::ReadClock() { return g_clockOwner ? g_clockOwner->clock_.load() : 0; }

TestEngine::TestEngine(int width, int height)
{
    previous_ = g_clockOwner;
    g_clockOwner = this;
    clock_ = kClockStart;
    SetTickSource(&TestEngine::ReadClock);
    startTick = clock_ - kEngineStart;
    nextTimer_ = kEngineStart + TimerPeriodMs;
    keysEnabled = 1;
    OnResize(0, 0, width, height);
}

TestEngine::~TestEngine()
{
    g_clockOwner = previous_;
    if (!previous_)
        SetTickSource(nullptr);
}

int TestEngine::Now() { return GetTickCount(); }

void TestEngine::Skip(int ms)
{
    if (ms > 0)
        clock_ += (uint32_t)ms;
}

void TestEngine::SetSystemTick(uint32_t tick)
{
    const uint32_t engineTime = clock_ - startTick;
    clock_ = tick;
    startTick = tick - engineTime;
}

void TestEngine::RunUntil(int to, bool events, bool single)
{
    for (;;) {
        PaintIfPending();
        const int now = Now();
        const bool haveTimer = nextTimer_ <= to;
        const bool haveEvent = events && !script_.empty() && script_.front().at <= to;
        if (!haveTimer && !haveEvent) {
            if (to > now)
                clock_ += (uint32_t)(to - now);
            return;
        }
        if (haveEvent && (!haveTimer || script_.front().at <= nextTimer_)) {
            const int at = std::max(script_.front().at, now);
            clock_ += (uint32_t)(at - now);
            Event copy = script_.front();
            script_.pop_front();
            Deliver(copy);
            if (single)
                return;
        } else {
            const int at = std::max(nextTimer_, now);
            clock_ += (uint32_t)(at - now);
            // Window timers coalesce: a late tick fires once.
            nextTimer_ += TimerPeriodMs;
            if (nextTimer_ <= at)
                nextTimer_ = at + TimerPeriodMs;
            ProcessTimers();
            if (single)
                return;
        }
    }
}

void TestEngine::Advance(int ms)
{
    if (ms < 0)
        ms = 0;
    RunUntil(Now() + ms, true);
}

// ---- Input ------------------------------------------------------------------------------

void TestEngine::Press(int x, int y, int kind) { OnPointerDown(x, y, kind); }
void TestEngine::Move(int x, int y) { OnPointerMove(x, y, 0); }
void TestEngine::Release(int x, int y, int kind) { OnPointerUp(x, y, kind); }

void TestEngine::Tap(int x, int y, int holdMs)
{
    Press(x, y);
    Advance(holdMs);
    Release(x, y);
}

void TestEngine::KeyDown(int vk) { OnKeyDown(vk); }
void TestEngine::KeyUp(int vk) { OnKeyUp(vk); }
void TestEngine::Char(int character) { OnChar(character); }

void TestEngine::Key(int vk, int holdMs)
{
    KeyDown(vk);
    Advance(holdMs);
    KeyUp(vk);
}

void TestEngine::Wheel(int x, int y, int delta) { OnMouseWheel(x, y, delta); }

void TestEngine::Deliver(const Event& e)
{
    switch (e.kind) {
    case Event::Down: OnPointerDown(e.x, e.y, e.value); break;
    case Event::Move: OnPointerMove(e.x, e.y, e.value); break;
    case Event::Up: OnPointerUp(e.x, e.y, e.value); break;
    case Event::KeyDown: OnKeyDown(e.value); break;
    case Event::Char: OnChar(e.value); break;
    case Event::KeyUp: OnKeyUp(e.value); break;
    case Event::Wheel: OnMouseWheel(e.x, e.y, e.value); break;
    case Event::Call:
        if (e.call)
            e.call(*this, e.data);
        break;
    }
}

void TestEngine::Script(const Event& event)
{
    // Stable: events of the same time keep the order they were scripted in.
    auto at = std::upper_bound(script_.begin(), script_.end(), event,
                               [](const Event& a, const Event& b) { return a.at < b.at; });
    script_.insert(at, event);
}

void TestEngine::ScriptPress(int at, int x, int y, int kind)
{
    Event e;
    e.kind = Event::Down;
    e.at = at;
    e.x = x;
    e.y = y;
    e.value = kind;
    Script(e);
}

void TestEngine::ScriptMove(int at, int x, int y)
{
    Event e;
    e.kind = Event::Move;
    e.at = at;
    e.x = x;
    e.y = y;
    Script(e);
}

void TestEngine::ScriptRelease(int at, int x, int y, int kind)
{
    Event e;
    e.kind = Event::Up;
    e.at = at;
    e.x = x;
    e.y = y;
    e.value = kind;
    Script(e);
}

void TestEngine::ScriptTap(int at, int x, int y, int holdMs)
{
    ScriptPress(at, x, y);
    ScriptRelease(at + holdMs, x, y);
}

void TestEngine::ScriptKey(int at, int vk, int holdMs)
{
    Event down;
    down.kind = Event::KeyDown;
    down.at = at;
    down.value = vk;
    Script(down);
    Event up = down;
    up.kind = Event::KeyUp;
    up.at = at + holdMs;
    Script(up);
}

void TestEngine::ScriptCall(int at, void (*call)(TestEngine&, void*), void* data)
{
    Event e;
    e.kind = Event::Call;
    e.at = at;
    e.call = call;
    e.data = data;
    Script(e);
}

// ---- Frames -----------------------------------------------------------------------------

const TDibIG& TestEngine::Frame()
{
    if (!painting)
        Paint();
    return dc.GetBackBuffer();
}

bool TestEngine::SavePng(const std::string& path)
{
    return TDibIGformat::Guarda(Frame(), path.c_str());
}

TColorIG TestEngine::PixelAt(int x, int y) { return dc.GetBackBuffer().GetPixel(x, y); }

// ---- Platform ---------------------------------------------------------------------------

bool TestEngine::TopPageBusy()
{
    TPDAUIEngineElementPage* top = GetTopPage();
    if (pointerDown)
        return true;
    if (!top)
        return false;
    return top->animating || top->animations.Animations().Count() > 0 ||
           (continuousRedraw && top->IsAnimating());
}

void TestEngine::PaintIfPending()
{
    if (!paintPending_ || painting)
        return;
    paintPending_ = false;
    if (!paintSuppressed && !pages.IsEmpty()) {
        Paint();
        ++paints;
    }
}

void TestEngine::RunModalLoop(int pageCount)
{
    if (pages.Count() == 1)
        SetScreenMode(screenMode, 0);
    int idleSince = -1;
    while (pages.Count() > pageCount && !quit) {
        const bool busy = TopPageBusy();
        if (busy)
            Invalidate(1);
        const int now = Now();
        int target = nextTimer_;
        if (!script_.empty())
            target = std::min(target, std::max(script_.front().at, now));
        if (busy)
            target = std::min(target, now + kBusyFrameMs);
        if (script_.empty()) {
            if (idleSince < 0)
                idleSince = now;
            else if (now - idleSince > modalIdleLimitMs) {
                ADD_FAILURE() << "modal loop starved: no scripted input left and "
                              << pages.Count() << " pages still open (waiting for "
                              << pageCount << ")";
                Terminate();
                break;
            }
        } else {
            idleSince = -1;
        }
        // One message per turn, as a message loop takes them.
        RunUntil(std::max(target, now), true, true);
    }
}

void TestEngine::MessageBox(const char* text, const char* caption)
{
    Box box;
    box.text = TranslateText(text ? text : "").c_str();
    box.caption = TranslateText(caption ? caption : "").c_str();
    messageBoxes.push_back(box);
}

void TestEngine::Invalidate(int mode)
{
    if (paintSuppressed)
        return;
    ++invalidations;
    if ((mode != 1 && mode != 2) || painting)
        return;
    Paint();
    ++paints;
    if (onPaint)
        onPaint(*this, onPaintData);
    for (int i = 0; i < pages.Count(); ++i)
        if (pages[i]->transitionImage) {
            Skip(transitionFrameMs);
            break;
        }
}

void TestEngine::InvalidateElement(TPDAUIEngineElement* element)
{
    TPDAUIEngineElementPage* top = GetTopPage();
    if (!top || paintSuppressed || !element)
        return;
    if (element->GetPage() != top)
        return;
    // An element of a page nested in the top page repaints with its own page.
    if (element->page && element->page != top && element->page->parent == top)
        return;
    ++invalidations;
    if (top->closing)
        paintPending_ = true;
}

void TestEngine::Terminate()
{
    ++terminateCalls;
    TPDAUIEngine::Terminate();
}

bool TestEngine::HasHardwareKeyboard()
{
    return screenKind == 2 ||
           (screenKind == 0 && skinSettings.screenWidth == 240 && skinSettings.screenHeight == 240);
}

void TestEngine::SetScreenMode(int mode, int value)
{
    screenMode = mode;
    screenModes.push_back(mode);
}
