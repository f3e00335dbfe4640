#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "wincore/WinDefs.h"

// A frame handed to the backend: x8r8g8b8 pixels, top row first, pitch in
// bytes; area is the part that changed (in frame coordinates); angle is the
// display orientation (0, 90, 180, 270) by which the backend turns the frame
// clockwise before showing it.
struct TWinFrame {
    const uint8_t* pixels = nullptr;
    int pitch = 0;
    int width = 0;
    int height = 0;
    RECT area{0, 0, 0, 0};
    int angle = 0;
};

// What the Windows services need of the machine they run on: a clock, an
// event source, a display, and the system's dialogs, clipboard, sound,
// backlight and program starts. The services (WinApi.h) keep the window
// state, the message queue, the timers and the objects; a backend turns its
// native events into messages with PostMessageW(WinMainWindow(), ...) (from
// Pump) so that every backend feeds the same window procedure with the same
// (message, wParam, lParam):
//   pointer: WM_LBUTTONDOWN/WM_MOUSEMOVE/WM_LBUTTONUP (and R, M buttons) with
//            MK_* in wParam and MAKELPARAM(x, y) in client coordinates;
//   wheel:   WM_MOUSEWHEEL, MAKEWPARAM(MK_*, delta), MAKELPARAM of the
//            screen point;
//   keys:    WM_KEYDOWN (lParam 1) / WM_KEYUP (lParam 0xC0000001) with the VK_*
//            code; text as WM_CHAR, one per UTF-16 unit, lParam 1;
//   window:  WM_CLOSE for the close button, WM_ACTIVATE/WM_SETFOCUS/
//            WM_KILLFOCUS for focus, InvalidateRect when exposed.
// Everything except Wake, Now and Sleep runs on the window's thread.
class TWinBackend {
public:
    virtual ~TWinBackend() = default;

    // "headless", "sdl2" ...
    virtual const char* Name() const = 0;

    // Milliseconds, 32-bit wrapping (GetTickCount). Any thread.
    virtual uint32_t Now() = 0;
    // Any thread. A virtual clock advances instead of waiting.
    virtual void Sleep(uint32_t ms) = 0;

    // Posts the native events that are ready; never blocks.
    virtual void Pump() = 0;
    // Blocks until a native event, Wake(), or timeoutMs milliseconds (-1: no
    // limit) have passed. May return early. With a virtual clock it advances
    // the clock instead of blocking.
    virtual void Wait(int timeoutMs) = 0;
    // Ends a Wait now or makes the next one return at once. Any thread.
    virtual void Wake() = 0;
    // PeekMessageW found nothing (a virtual clock moves on by one frame).
    virtual void Idle() {}

    // The display at orientation 0, in pixels, and its density.
    virtual int DisplayWidth() = 0;
    virtual int DisplayHeight() = 0;
    virtual int DisplayDpi() { return 96; }
    // DMDO_90 | DMDO_180 | DMDO_270 bits the display can take; -1 when the
    // query fails.
    virtual int SupportedOrientations() { return int(DMDO_90 | DMDO_180 | DMDO_270); }
    // Applies a DMDO_* orientation to what is shown; false when it fails.
    virtual bool SetOrientation(DWORD orientation) { return true; }

    // The one window (screen coordinates of its whole area).
    virtual bool CreateWindow(const std::string& title, const RECT& rect) { return true; }
    virtual void DestroyWindow() {}
    virtual void SetWindowRect(const RECT& rect) {}
    virtual void ShowWindow(bool visible) {}
    virtual void SetTopmost(bool topmost) {}
    virtual void Raise() {}
    virtual void SetCapture(bool captured) {}
    // Shows a frame in the window.
    virtual void Present(const TWinFrame& frame) = 0;

    // A modal box with the MB_* type: IDOK, IDYES ...; 0 when it cannot be shown.
    virtual int MessageBox(const std::string& text, const std::string& caption, UINT type) = 0;
    // UTF-8 text.
    virtual bool SetClipboardText(const std::string& text);
    virtual bool GetClipboardText(std::string& text);
    // A sound file (empty: stop), with SND_* flags.
    virtual bool PlaySound(const std::string& path, DWORD flags) { return false; }
    virtual void SetVolume(DWORD volume) { volume_ = volume; }
    virtual DWORD GetVolume() { return volume_; }
    virtual bool SetBrightness(int percent);
    virtual int GetBrightness() { return brightness_; }
    // The touch screen's calibration run; true when it was calibrated.
    virtual bool TouchCalibrate() { return false; }
    // Starts a program (a host path) with its arguments; pid of the child.
    virtual bool StartProcess(const std::string& path, const std::string& arguments, int& pid);

protected:
    std::string clipboard_;
    DWORD volume_ = 0xFFFFFFFFu;
    int brightness_ = -1;
};

// Which backend runs: the one installed with WinUseBackend, else the first
// that WinBackend() makes: headless with ORBETA_HEADLESS=1 or when neither
// DISPLAY nor WAYLAND_DISPLAY is set; otherwise the display backend from the
// registered factory (or the SDL2 one when it is built in), falling back to
// headless with one line on stderr saying why.
TWinBackend& WinBackend();
// Installs a backend (tests, the program); null returns to automatic choice.
// Resets the window, queue, timers and registered messages.
void WinUseBackend(std::unique_ptr<TWinBackend> backend);
// Makes the display backend; why tells the reason when it answers null.
using TWinBackendFactory = std::unique_ptr<TWinBackend> (*)(std::string& why);
void WinRegisterDisplayBackend(TWinBackendFactory factory);
// The SDL2 backend's factory (wincore/sdl2, built in when SDL2 is found).
std::unique_ptr<TWinBackend> CreateSdl2Backend(std::string& why);
