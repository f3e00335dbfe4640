#include "wincore/sdl2/TSdl2Backend.h"

#include <cmath>
#include <cstdio>

#include "enginelib/base/Path.h"
#include "wincore/WinApi.h"
#include "wincore/sdl2/SdlClipboard.h"
#include "wincore/sdl2/SdlMessageBox.h"

std::unique_ptr<TWinBackend> CreateSdl2Backend(std::string& why)
{
    return TSdl2Backend::Create(why);
}

std::unique_ptr<TSdl2Backend> TSdl2Backend::Create(std::string& why)
{
    // The first tap on an inactive window is a tap, as on the device.
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        why = std::string("SDL cannot start: ") + SDL_GetError();
        return nullptr;
    }
    std::unique_ptr<TSdl2Backend> backend(new TSdl2Backend());
    backend->wakeEvent_ = SDL_RegisterEvents(1);
    backend->translator_.SetOutputSize(DefaultWidth, DefaultHeight);
    return backend;
}

TSdl2Backend::~TSdl2Backend()
{
    DestroyWindow();
    audio_.Close();
    if (audioInitialised_)
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
}

uint32_t TSdl2Backend::Now() { return SDL_GetTicks(); }

void TSdl2Backend::Sleep(uint32_t ms) { SDL_Delay(ms); }

// Events.

void TSdl2Backend::Pump()
{
    if (havePending_) {
        havePending_ = false;
        Handle(pending_);
    }
    SDL_Event event;
    while (SDL_PollEvent(&event))
        Handle(event);
    FlushMove();
}

void TSdl2Backend::Wait(int timeoutMs)
{
    if (havePending_)
        return;
    SDL_Event event;
    const int got = timeoutMs < 0 ? SDL_WaitEvent(&event) : SDL_WaitEventTimeout(&event, timeoutMs);
    if (got) {
        // Kept for the next Pump, in its place before anything newer.
        pending_ = event;
        havePending_ = true;
    }
}

void TSdl2Backend::Wake()
{
    // One wake event in the queue is enough however often other threads post.
    if (wakeEvent_ == (Uint32)-1 || wakeQueued_.exchange(true))
        return;
    SDL_Event event{};
    event.type = wakeEvent_;
    if (SDL_PushEvent(&event) != 1)
        wakeQueued_ = false;
}

void TSdl2Backend::Handle(const SDL_Event& event)
{
    if (event.type == wakeEvent_) {
        wakeQueued_ = false;
        return;
    }
    if (event.type == SDL_RENDER_DEVICE_RESET && window_) {
        // The renderer and its texture are gone: make new ones and repaint.
        presenter_.Attach(window_);
        if (HWND hwnd = WinMainWindow())
            InvalidateRect(hwnd, nullptr, FALSE);
        return;
    }
    if (event.type == SDL_MOUSEWHEEL) {
        // The wheel's point is given on the screen of the window services.
        POINT origin{0, 0};
        ClientToScreen(WinMainWindow(), &origin);
        translator_.SetWindowOrigin(origin.x, origin.y);
    }
    std::vector<sdl2::WindowMessage> out;
    translator_.Translate(event, out);
    for (const sdl2::WindowMessage& m : out)
        Send(m);
}

void TSdl2Backend::Send(const sdl2::WindowMessage& m)
{
    // Moves are merged as the device merges them: only the latest one waits.
    if (m.message == WM_MOUSEMOVE) {
        move_ = m;
        haveMove_ = true;
        return;
    }
    FlushMove();
    HWND hwnd = WinMainWindow();
    if (!hwnd)
        return;
    if (m.message == WM_PAINT)
        InvalidateRect(hwnd, nullptr, FALSE);
    else
        PostMessageW(hwnd, m.message, m.wParam, m.lParam);
}

void TSdl2Backend::FlushMove()
{
    if (!haveMove_)
        return;
    haveMove_ = false;
    if (HWND hwnd = WinMainWindow())
        PostMessageW(hwnd, move_.message, move_.wParam, move_.lParam);
}

// Display.

int TSdl2Backend::DisplayDpi()
{
    float ddpi = 0, hdpi = 0, vdpi = 0;
    const int display = window_ ? SDL_GetWindowDisplayIndex(window_) : 0;
    if (SDL_GetDisplayDPI(display < 0 ? 0 : display, &ddpi, &hdpi, &vdpi) != 0 || !(hdpi >= 1.0f && hdpi < 10000.0f))
        return 96;
    // The panel's density in steps of half the standard one: a monitor of 93
    // or 110 dpi is an ordinary screen (scale 1), not one that blurs every
    // image by a few percent; 144 and 192 dpi screens scale by 1.5 and 2.
    const int steps = (int)std::lround(hdpi / 48.0f);
    return steps < 2 ? 96 : steps * 48;
}

bool TSdl2Backend::SetOrientation(DWORD orientation)
{
    switch (orientation) {
    case DMDO_0: angle_ = 0; break;
    case DMDO_90: angle_ = 90; break;
    case DMDO_180: angle_ = 180; break;
    case DMDO_270: angle_ = 270; break;
    default: return false;
    }
    translator_.SetOrientation(angle_);
    // The window services move the window when it covers the screen; any
    // other window keeps its rectangle on the turned screen.
    if (window_)
        SetWindowRect(rect_);
    return true;
}

RECT TSdl2Backend::ToDesktop(const RECT& r) const
{
    const LONG w = DefaultWidth, h = DefaultHeight;
    switch (angle_) {
    case 90: return RECT{r.top, h - r.right, r.bottom, h - r.left};
    case 180: return RECT{w - r.right, h - r.bottom, w - r.left, h - r.top};
    case 270: return RECT{w - r.bottom, r.left, w - r.top, r.right};
    default: return r;
    }
}

bool TSdl2Backend::CreateWindow(const std::string& title, const RECT& rect)
{
    DestroyWindow();
    rect_ = rect;
    const RECT d = ToDesktop(rect);
    const int width = d.right - d.left > 0 ? d.right - d.left : 1;
    const int height = d.bottom - d.top > 0 ? d.bottom - d.top : 1;
    window_ = SDL_CreateWindow(title.c_str(), d.left, d.top, width, height, SDL_WINDOW_BORDERLESS | SDL_WINDOW_HIDDEN);
    if (!window_)
        return false;
    if (!presenter_.Attach(window_)) {
        SDL_DestroyWindow(window_);
        window_ = nullptr;
        return false;
    }
    translator_.SetOutputSize(width, height);
    translator_.SetFrameSize(0, 0);
    SDL_StartTextInput();
    return true;
}

void TSdl2Backend::DestroyWindow()
{
    presenter_.Detach();
    if (window_)
        SDL_DestroyWindow(window_);
    window_ = nullptr;
}

void TSdl2Backend::SetWindowRect(const RECT& rect)
{
    rect_ = rect;
    if (!window_)
        return;
    const RECT d = ToDesktop(rect);
    const int width = d.right - d.left > 0 ? d.right - d.left : 1;
    const int height = d.bottom - d.top > 0 ? d.bottom - d.top : 1;
    SDL_SetWindowPosition(window_, d.left, d.top);
    SDL_SetWindowSize(window_, width, height);
    // What the window manager granted; the picture is stretched to it.
    int gotW = width, gotH = height;
    SDL_GetWindowSize(window_, &gotW, &gotH);
    translator_.SetOutputSize(gotW, gotH);
    // Until the next frame the screen is taken to fill the window exactly.
    translator_.SetFrameSize(0, 0);
}

void TSdl2Backend::ShowWindow(bool visible)
{
    if (!window_)
        return;
    if (visible)
        SDL_ShowWindow(window_);
    else
        SDL_HideWindow(window_);
}

void TSdl2Backend::SetTopmost(bool topmost)
{
#if SDL_VERSION_ATLEAST(2, 0, 16)
    if (window_)
        SDL_SetWindowAlwaysOnTop(window_, topmost ? SDL_TRUE : SDL_FALSE);
#endif
}

void TSdl2Backend::Raise()
{
    if (window_)
        SDL_RaiseWindow(window_);
}

void TSdl2Backend::SetCapture(bool captured) { SDL_CaptureMouse(captured ? SDL_TRUE : SDL_FALSE); }

void TSdl2Backend::Present(const TWinFrame& frame)
{
    if (!window_)
        return;
    if (presenter_.Present(frame.pixels, frame.pitch, frame.width, frame.height, SDL_PIXELFORMAT_RGB888, frame.angle))
        translator_.SetFrameSize(frame.width, frame.height);
}

// System services.

int TSdl2Backend::MessageBox(const std::string& text, const std::string& caption, UINT type)
{
    const int answer = sdl2::ShowMessageBox(window_, text, caption, type);
    // Without a box the message still reaches whoever reads the terminal.
    if (answer == 0)
        fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    return answer;
}

bool TSdl2Backend::SetClipboardText(const std::string& text) { return sdl2::SetClipboardText(text); }

bool TSdl2Backend::GetClipboardText(std::string& text) { return sdl2::GetClipboardText(text); }

bool TSdl2Backend::OpenAudio()
{
    if (!audioTried_) {
        audioTried_ = true;
        audioInitialised_ = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
        if (audioInitialised_)
            audio_.Open();
    }
    return audio_.IsOpen();
}

bool TSdl2Backend::PlaySound(const std::string& path, DWORD flags)
{
    if (path.empty()) {
        audio_.Stop();
        return true;
    }
    if (!OpenAudio())
        return false;
    if ((flags & SND_NOSTOP) && audio_.QueuedBytes() > 0)
        return false;
    if (!audio_.PlayFile(Path::Resolve(path)))
        return false;
    if (!(flags & SND_ASYNC)) {
        // A synchronous sound returns when it has played, and no later than
        // its length (plus a little) should the device stall.
        const SDL_AudioSpec& spec = audio_.Spec();
        const uint64_t perSecond = (uint64_t)spec.freq * spec.channels * (SDL_AUDIO_BITSIZE(spec.format) / 8);
        const uint64_t length = perSecond ? (uint64_t)audio_.QueuedBytes() * 1000 / perSecond : 0;
        const uint32_t start = SDL_GetTicks();
        while (audio_.QueuedBytes() > 0 && SDL_GetTicks() - start < length + 500)
            SDL_Delay(10);
    }
    return true;
}

void TSdl2Backend::SetVolume(DWORD volume)
{
    volume_ = volume;
    const DWORD left = volume & 0xFFFF, right = volume >> 16;
    audio_.SetVolume((int)((left > right ? left : right) * 100 / 0xFFFF));
}
