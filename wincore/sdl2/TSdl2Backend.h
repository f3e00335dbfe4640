#pragma once
#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include <SDL.h>

#include "wincore/TWinBackend.h"
#include "wincore/sdl2/SdlAudio.h"
#include "wincore/sdl2/SdlEventTranslator.h"
#include "wincore/sdl2/SdlPresenter.h"

// The backend a user runs: one borderless SDL window standing for the
// device's display, SDL's events as the device's window messages, frames
// shown through an SDL renderer, sound through SDL audio, the desktop's
// clipboard and message boxes.
//
// The display is a device screen of DisplayWidth x DisplayHeight at
// orientation 0, with the desktop's density rounded to a multiple of 48 dpi
// (at least 96). When it is rotated the window keeps its place on the desk
// and the picture turns inside it (see EventTranslator); window rectangles
// from the window services are in the turned screen's coordinates and are
// turned back for the desktop.
class TSdl2Backend : public TWinBackend {
public:
    static constexpr int DefaultWidth = 800;
    static constexpr int DefaultHeight = 480;

    // Starts SDL's video and events. Null, with the reason in why, when SDL
    // cannot start.
    static std::unique_ptr<TSdl2Backend> Create(std::string& why);
    ~TSdl2Backend() override;

    const char* Name() const override { return "sdl2"; }
    uint32_t Now() override;
    void Sleep(uint32_t ms) override;

    void Pump() override;
    void Wait(int timeoutMs) override;
    void Wake() override;

    int DisplayWidth() override { return DefaultWidth; }
    int DisplayHeight() override { return DefaultHeight; }
    int DisplayDpi() override;
    bool SetOrientation(DWORD orientation) override;

    bool CreateWindow(const std::string& title, const RECT& rect) override;
    void DestroyWindow() override;
    void SetWindowRect(const RECT& rect) override;
    void ShowWindow(bool visible) override;
    void SetTopmost(bool topmost) override;
    void Raise() override;
    void SetCapture(bool captured) override;
    void Present(const TWinFrame& frame) override;

    int MessageBox(const std::string& text, const std::string& caption, UINT type) override;
    bool SetClipboardText(const std::string& text) override;
    bool GetClipboardText(std::string& text) override;
    bool PlaySound(const std::string& path, DWORD flags) override;
    void SetVolume(DWORD volume) override;

    // For tests: the SDL window (null before CreateWindow), what shows the
    // frames, the sound device and how events are read.
    SDL_Window* Window() const { return window_; }
    const sdl2::Presenter& Presenter() const { return presenter_; }
    sdl2::Audio& Audio() { return audio_; }
    const sdl2::EventTranslator& Translator() const { return translator_; }
    // The desktop rectangle of a rectangle of the turned screen.
    RECT ToDesktop(const RECT& rect) const;

private:
    TSdl2Backend() = default;
    void Handle(const SDL_Event& event);
    void Send(const sdl2::WindowMessage& m);
    void FlushMove();
    bool OpenAudio();

    SDL_Window* window_ = nullptr;
    sdl2::Presenter presenter_;
    sdl2::EventTranslator translator_;
    sdl2::Audio audio_;
    bool audioTried_ = false;
    bool audioInitialised_ = false;
    int angle_ = 0;
    RECT rect_{0, 0, 0, 0};
    Uint32 wakeEvent_ = 0;
    std::atomic<bool> wakeQueued_{false};
    SDL_Event pending_{};
    bool havePending_ = false;
    bool haveMove_ = false;
    sdl2::WindowMessage move_{};
};
