#include "wincore/headless/THeadlessBackend.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "enginelib/draw/TDibIGformat.h"
#include "wincore/WinApi.h"

uint32_t THeadlessBackend::Frame::Pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width || y >= height)
        return 0;
    return pixels[size_t(y) * size_t(width) + size_t(x)];
}

THeadlessBackend::THeadlessBackend(int width, int height, uint32_t clockStart)
    : width_(std::clamp(width, 1, 16384)), height_(std::clamp(height, 1, 16384)), start_(clockStart)
{
}

THeadlessBackend::~THeadlessBackend() = default;

uint32_t THeadlessBackend::Now()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return start_ + uint32_t(elapsed_);
}

void THeadlessBackend::Sleep(uint32_t ms)
{
    std::lock_guard<std::mutex> lock(mutex_);
    elapsed_ += ms;
    cv_.notify_all();
}

void THeadlessBackend::Pump()
{
    std::vector<Event> due;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        while (!script_.empty() && script_.front().time <= elapsed_) {
            due.push_back(script_.front());
            script_.pop_front();
        }
    }
    const HWND hwnd = WinMainWindow();
    for (const Event& e : due)
        PostMessageW(hwnd, e.msg, e.wParam, e.lParam);
}

void THeadlessBackend::Wait(int timeoutMs)
{
    const char* stop = nullptr;
    {
        std::unique_lock<std::mutex> lock(mutex_);
        if (woken_) {
            woken_ = false;
            return;
        }
        bool have = false;
        uint64_t target = 0;
        if (!script_.empty()) {
            have = true;
            target = script_.front().time;
        }
        if (timeoutMs >= 0) {
            const uint64_t t = elapsed_ + uint64_t(timeoutMs);
            target = have ? std::min(target, t) : t;
            have = true;
        }
        if (have) {
            if (timeLimit_ && target >= timeLimit_) {
                elapsed_ = std::max<uint64_t>(elapsed_, timeLimit_);
                stop = "the virtual time limit was reached";
            } else {
                elapsed_ = std::max(elapsed_, target);
                return;
            }
        } else if (cv_.wait_for(lock, std::chrono::milliseconds(starveWait_), [&] { return woken_; })) {
            woken_ = false;
            return;
        } else {
            stop = "nothing was left to wait for";
        }
    }
    Stop(stop);
}

void THeadlessBackend::Wake()
{
    std::lock_guard<std::mutex> lock(mutex_);
    woken_ = true;
    cv_.notify_all();
}

void THeadlessBackend::Idle()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        uint64_t next = elapsed_ + frameTime_;
        if (!script_.empty())
            next = std::min(next, std::max(elapsed_, script_.front().time));
        if (!timeLimit_ || next < timeLimit_) {
            elapsed_ = next;
            return;
        }
        elapsed_ = std::max<uint64_t>(elapsed_, timeLimit_);
    }
    Stop("the virtual time limit was reached");
}

void THeadlessBackend::Stop(const char* why)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (stopped_.empty())
            stopped_ = why;
    }
    if (HWND hwnd = WinMainWindow())
        ::DestroyWindow(hwnd);
    else
        PostQuitMessage(0);
}

std::string THeadlessBackend::Stopped() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return stopped_;
}

bool THeadlessBackend::SetOrientation(DWORD orientation)
{
    if (orientationFails_)
        return false;
    orientation_ = orientation;
    return true;
}

bool THeadlessBackend::CreateWindow(const std::string&, const RECT& rect)
{
    windowRect_ = rect;
    return true;
}

void THeadlessBackend::DestroyWindow()
{
    visible_ = false;
    captured_ = false;
}

void THeadlessBackend::Present(const TWinFrame& frame)
{
    if (!frame.pixels || frame.width <= 0 || frame.height <= 0)
        return;
    Frame f;
    f.width = frame.width;
    f.height = frame.height;
    f.angle = frame.angle;
    f.area = frame.area;
    f.time = Now();
    f.pixels.resize(size_t(frame.width) * size_t(frame.height));
    for (int y = 0; y < frame.height; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(frame.pixels + size_t(y) * size_t(frame.pitch));
        std::copy(row, row + frame.width, f.pixels.begin() + ptrdiff_t(size_t(y) * size_t(frame.width)));
    }
    frames_.push_back(std::move(f));
    ++framesPresented_;
    while (frames_.size() > std::max<size_t>(frameLimit_, 1))
        frames_.pop_front();
}

bool THeadlessBackend::WritePng(const Frame& frame, const std::string& path, bool asDisplayed)
{
    if (frame.width <= 0 || frame.height <= 0 || frame.pixels.size() != size_t(frame.width) * size_t(frame.height))
        return false;
    const int angle = asDisplayed ? frame.angle : 0;
    const bool swap = angle == 90 || angle == 270;
    const int w = swap ? frame.height : frame.width;
    const int h = swap ? frame.width : frame.height;
    TDibIG dib;
    if (!dib.Crea(w, h, 32))
        return false;
    for (int y = 0; y < h; ++y) {
        auto* out = reinterpret_cast<uint32_t*>(dib.Row(y));
        for (int x = 0; x < w; ++x) {
            // (x, y) on the display comes from (sx, sy) of the frame turned clockwise.
            int sx = x, sy = y;
            if (angle == 90)
                sx = y, sy = frame.height - 1 - x;
            else if (angle == 180)
                sx = frame.width - 1 - x, sy = frame.height - 1 - y;
            else if (angle == 270)
                sx = frame.width - 1 - y, sy = x;
            out[x] = frame.pixels[size_t(sy) * size_t(frame.width) + size_t(sx)] | 0xFF000000u;
        }
    }
    dib.Touch();
    std::vector<uint8_t> png;
    if (!TDibIGformat::EncodePng(dib, png))
        return false;
    FILE* f = fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = fwrite(png.data(), 1, png.size(), f) == png.size();
    return fclose(f) == 0 && ok;
}

int THeadlessBackend::MessageBox(const std::string& text, const std::string& caption, UINT type)
{
    int answer;
    if (!answers_.empty()) {
        answer = answers_.front();
        answers_.pop_front();
    } else {
        switch (type & MB_TYPEMASK) {
        case MB_ABORTRETRYIGNORE:
            answer = IDABORT;
            break;
        case MB_YESNOCANCEL:
        case MB_YESNO:
            answer = IDYES;
            break;
        case MB_RETRYCANCEL:
            answer = IDRETRY;
            break;
        default:
            answer = IDOK;
            break;
        }
    }
    boxes_.push_back(MessageBoxCall{text, caption, type, answer});
    return answer;
}

void THeadlessBackend::AnswerMessageBoxes(const std::vector<int>& answers)
{
    answers_.assign(answers.begin(), answers.end());
}

bool THeadlessBackend::PlaySound(const std::string& path, DWORD flags)
{
    sounds_.push_back(SoundCall{path, flags});
    return true;
}

bool THeadlessBackend::StartProcess(const std::string& path, const std::string& arguments, int& pid)
{
    processes_.push_back(ProcessCall{path, arguments});
    if (startProcesses_)
        return TWinBackend::StartProcess(path, arguments, pid);
    pid = 0;
    return true;
}

// Script.

THeadlessBackend& THeadlessBackend::After(uint32_t ms)
{
    std::lock_guard<std::mutex> lock(mutex_);
    scriptAt_ = std::max(scriptAt_, elapsed_) + ms;
    return *this;
}

THeadlessBackend& THeadlessBackend::Add(UINT msg, WPARAM wParam, LPARAM lParam)
{
    std::lock_guard<std::mutex> lock(mutex_);
    scriptAt_ = std::max(scriptAt_, elapsed_);
    script_.push_back(Event{scriptAt_, msg, wParam, lParam});
    woken_ = true;
    cv_.notify_all();
    return *this;
}

size_t THeadlessBackend::ScriptLeft() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return script_.size();
}

WPARAM THeadlessBackend::Buttons() const { return buttons_; }

THeadlessBackend& THeadlessBackend::PointerDown(int x, int y) { return ButtonDown(0, x, y); }

THeadlessBackend& THeadlessBackend::PointerMove(int x, int y)
{
    pointerX_ = x, pointerY_ = y;
    return Add(WM_MOUSEMOVE, Buttons(), MAKELPARAM(x, y));
}

THeadlessBackend& THeadlessBackend::PointerUp(int x, int y) { return ButtonUp(0, x, y); }

THeadlessBackend& THeadlessBackend::Click(int x, int y) { return PointerDown(x, y).PointerUp(x, y); }

namespace {

WPARAM ButtonBit(int button) { return button == 1 ? MK_RBUTTON : button == 2 ? MK_MBUTTON : MK_LBUTTON; }

} // namespace

THeadlessBackend& THeadlessBackend::ButtonDown(int button, int x, int y)
{
    static const UINT msgs[] = {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN};
    buttons_ |= ButtonBit(button);
    pointerX_ = x, pointerY_ = y;
    return Add(msgs[std::clamp(button, 0, 2)], Buttons(), MAKELPARAM(x, y));
}

THeadlessBackend& THeadlessBackend::ButtonUp(int button, int x, int y)
{
    static const UINT msgs[] = {WM_LBUTTONUP, WM_RBUTTONUP, WM_MBUTTONUP};
    buttons_ &= ~ButtonBit(button);
    pointerX_ = x, pointerY_ = y;
    return Add(msgs[std::clamp(button, 0, 2)], Buttons(), MAKELPARAM(x, y));
}

THeadlessBackend& THeadlessBackend::Wheel(int x, int y, int delta)
{
    // The wheel's point is in screen coordinates.
    POINT p{x, y};
    ::ClientToScreen(WinMainWindow(), &p);
    return Add(WM_MOUSEWHEEL, MAKEWPARAM(int(Buttons()), delta), MAKELPARAM(p.x, p.y));
}

THeadlessBackend& THeadlessBackend::KeyDown(UINT vk) { return Add(WM_KEYDOWN, vk, 1); }

THeadlessBackend& THeadlessBackend::KeyUp(UINT vk) { return Add(WM_KEYUP, vk, LPARAM(int32_t(0xC0000001u))); }

THeadlessBackend& THeadlessBackend::Key(UINT vk) { return KeyDown(vk).KeyUp(vk); }

THeadlessBackend& THeadlessBackend::Char(WCHAR ch) { return Add(WM_CHAR, ch, 1); }

THeadlessBackend& THeadlessBackend::Text(const std::string& text)
{
    for (char16_t c : WinFromUtf8(text))
        Char(c);
    return *this;
}

THeadlessBackend& THeadlessBackend::Message(UINT msg, WPARAM wParam, LPARAM lParam)
{
    return Add(msg, wParam, lParam);
}
