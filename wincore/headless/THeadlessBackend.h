#pragma once
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "wincore/TWinBackend.h"

// A backend without a display, for tests and screenshots: a virtual window of
// a set size, a virtual clock, scripted input, frames kept in memory.
//
// Clock: virtual milliseconds (start chosen at construction). Wait moves the
// clock to the next scripted event or the caller's timeout (the next timer)
// instead of blocking, so timers fire as virtual time passes; PeekMessageW
// finding nothing moves it by one frame time; Sleep moves it by the time asked.
// When nothing can ever arrive (no timer, no script left), Wait gives other
// threads a bounded real time to post and then stops the run; so does passing
// the virtual time limit. Stopping destroys the window (WM_DESTROY reaches the
// window procedure) or, with no window, posts WM_QUIT; Stopped() tells why.
//
// Script: events are stamped with a script time that starts at the clock and
// moves on with Wait(ms); each is posted to the window when the clock reaches
// its time. Pointer coordinates are client coordinates.
class THeadlessBackend : public TWinBackend {
public:
    struct Frame {
        int width = 0;
        int height = 0;
        int angle = 0;
        uint32_t time = 0;
        RECT area{0, 0, 0, 0};
        std::vector<uint32_t> pixels; // x8r8g8b8, top row first, width * height
        uint32_t Pixel(int x, int y) const;
    };
    struct MessageBoxCall {
        std::string text;
        std::string caption;
        UINT type = 0;
        int answer = 0;
    };
    struct SoundCall {
        std::string path;
        DWORD flags = 0;
    };
    struct ProcessCall {
        std::string path;
        std::string arguments;
    };

    explicit THeadlessBackend(int width = 800, int height = 480, uint32_t clockStart = 0);
    ~THeadlessBackend() override;

    const char* Name() const override { return "headless"; }
    uint32_t Now() override;
    void Sleep(uint32_t ms) override;
    void Pump() override;
    void Wait(int timeoutMs) override;
    void Wake() override;
    void Idle() override;

    int DisplayWidth() override { return width_; }
    int DisplayHeight() override { return height_; }
    int DisplayDpi() override { return dpi_; }
    int SupportedOrientations() override { return supported_; }
    bool SetOrientation(DWORD orientation) override;

    bool CreateWindow(const std::string& title, const RECT& rect) override;
    void DestroyWindow() override;
    void SetWindowRect(const RECT& rect) override { windowRect_ = rect; }
    void ShowWindow(bool visible) override { visible_ = visible; }
    void SetTopmost(bool topmost) override { topmost_ = topmost; }
    void Raise() override { ++raised_; }
    void SetCapture(bool captured) override { captured_ = captured; }
    void Present(const TWinFrame& frame) override;

    int MessageBox(const std::string& text, const std::string& caption, UINT type) override;
    bool PlaySound(const std::string& path, DWORD flags) override;
    bool TouchCalibrate() override { return touchResult_; }
    bool StartProcess(const std::string& path, const std::string& arguments, int& pid) override;

    // Configuration.
    void SetDpi(int dpi) { dpi_ = dpi; }
    // DMDO bits, or -1 for a failing query.
    void SetSupportedOrientations(int bits) { supported_ = bits; }
    void SetOrientationFails(bool fails) { orientationFails_ = fails; }
    void SetTouchCalibrateResult(bool result) { touchResult_ = result; }
    // Clock step of a PeekMessageW that finds nothing (default 16 ms).
    void SetFrameTime(uint32_t ms) { frameTime_ = ms; }
    // Virtual milliseconds after which the run stops (0: none, the default
    // being ten minutes).
    void SetTimeLimit(uint32_t ms) { timeLimit_ = ms; }
    // Real milliseconds a Wait with nothing to come waits for other threads
    // (default 2000).
    void SetStarveWait(uint32_t ms) { starveWait_ = ms; }
    // Frames kept: the latest ones (default 32); FrameCount counts them all.
    void SetFrameLimit(size_t frames) { frameLimit_ = frames; }
    // Programs given to CreateProcessW really start (default: only recorded).
    void SetStartProcesses(bool start) { startProcesses_ = start; }

    // Script.
    THeadlessBackend& After(uint32_t ms);
    THeadlessBackend& PointerDown(int x, int y);
    THeadlessBackend& PointerMove(int x, int y);
    THeadlessBackend& PointerUp(int x, int y);
    THeadlessBackend& Click(int x, int y);
    // Right and middle buttons: button 1 or 2.
    THeadlessBackend& ButtonDown(int button, int x, int y);
    THeadlessBackend& ButtonUp(int button, int x, int y);
    THeadlessBackend& Wheel(int x, int y, int delta);
    THeadlessBackend& KeyDown(UINT vk);
    THeadlessBackend& KeyUp(UINT vk);
    THeadlessBackend& Key(UINT vk);
    THeadlessBackend& Char(WCHAR ch);
    // UTF-8 text as WM_CHAR, one per UTF-16 unit.
    THeadlessBackend& Text(const std::string& text);
    THeadlessBackend& Message(UINT msg, WPARAM wParam, LPARAM lParam);
    size_t ScriptLeft() const;
    // Answers for the next message boxes, in order; after them the box's
    // first button answers.
    void AnswerMessageBoxes(const std::vector<int>& answers);

    // Records.
    size_t FrameCount() const { return framesPresented_; }
    const std::deque<Frame>& Frames() const { return frames_; }
    // The latest frame; null before the first.
    const Frame* LastFrame() const { return frames_.empty() ? nullptr : &frames_.back(); }
    // A kept frame as PNG, upright as painted or turned by its angle as the
    // display shows it.
    static bool WritePng(const Frame& frame, const std::string& path, bool asDisplayed = false);
    void ClearFrames() { frames_.clear(); }
    const std::vector<MessageBoxCall>& MessageBoxes() const { return boxes_; }
    const std::vector<SoundCall>& Sounds() const { return sounds_; }
    const std::vector<ProcessCall>& Processes() const { return processes_; }
    const RECT& WindowRect() const { return windowRect_; }
    bool Visible() const { return visible_; }
    bool Topmost() const { return topmost_; }
    bool Captured() const { return captured_; }
    int RaiseCount() const { return raised_; }
    DWORD Orientation() const { return orientation_; }
    // Why the run stopped ("" while running).
    std::string Stopped() const;

private:
    struct Event {
        uint64_t time;
        UINT msg;
        WPARAM wParam;
        LPARAM lParam;
    };
    THeadlessBackend& Add(UINT msg, WPARAM wParam, LPARAM lParam);
    void Advance(uint32_t ms);
    void Stop(const char* why);
    WPARAM Buttons() const;

    int width_;
    int height_;
    int dpi_ = 96;
    int supported_ = int(DMDO_90 | DMDO_180 | DMDO_270);
    bool orientationFails_ = false;
    DWORD orientation_ = DMDO_0;
    bool touchResult_ = false;
    uint32_t frameTime_ = 16;
    uint32_t timeLimit_ = 600000;
    uint32_t starveWait_ = 2000;
    size_t frameLimit_ = 32;
    bool startProcesses_ = false;

    mutable std::mutex mutex_;
    std::condition_variable cv_;
    bool woken_ = false;
    uint32_t start_;
    uint64_t elapsed_ = 0; // virtual ms since start_
    uint64_t scriptAt_ = 0; // script cursor, ms since start_
    std::deque<Event> script_;
    std::string stopped_;

    RECT windowRect_{0, 0, 0, 0};
    bool visible_ = false;
    bool topmost_ = false;
    bool captured_ = false;
    int raised_ = 0;
    WPARAM buttons_ = 0;
    int pointerX_ = 0;
    int pointerY_ = 0;

    std::deque<Frame> frames_;
    size_t framesPresented_ = 0;
    std::deque<int> answers_;
    std::vector<MessageBoxCall> boxes_;
    std::vector<SoundCall> sounds_;
    std::vector<ProcessCall> processes_;
};
