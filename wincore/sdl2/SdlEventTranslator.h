#pragma once
#include <cstdint>
#include <vector>

#include <SDL.h>

#include "wincore/WinDefs.h"

namespace sdl2 {

// One window message as the window procedure takes it.
struct WindowMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

inline bool operator==(const WindowMessage& a, const WindowMessage& b)
{
    return a.message == b.message && a.wParam == b.wParam && a.lParam == b.lParam;
}

// Turns SDL events into the window messages the device would have sent: the
// pointer (in the engine's screen coordinates, after the virtual rotation), the
// wheel (screen coordinates, 120 per notch), keys (virtual-key codes, with the
// characters TranslateMessage would add for Back, Tab, Enter and Escape), text
// (one WM_CHAR per UTF-16 unit: the engine turns characters into its code page
// itself), closing, exposure and focus. Size and position changes only update
// the geometry: the window services announce their own changes.
//
// The window is the device's panel: when the display is rotated, the engine's
// screen is the window turned by the orientation (90: the picture turned a
// quarter counter-clockwise, so the engine's top edge lies along the window's
// left edge and the arrow keys the engine turns point the way they look). A
// frame of another size than the turned window is stretched over it; pointer
// positions follow that stretch.
class EventTranslator {
public:
    // Size of the window's client area in window pixels.
    void SetOutputSize(int width, int height);
    int OutputWidth() const { return outWidth_; }
    int OutputHeight() const { return outHeight_; }
    // 0, 90, 180 or 270; anything else counts as 0.
    void SetOrientation(int angle);
    int Orientation() const { return angle_; }
    // Size of the frames shown (0: as large as the turned window).
    void SetFrameSize(int width, int height);
    // The engine's screen: the frame's size, or the window's, swapped at 90 and 270.
    int LogicalWidth() const;
    int LogicalHeight() const;
    // Where the window services have the client area's top-left corner on
    // their screen (the wheel's point is given there).
    void SetWindowOrigin(int x, int y)
    {
        originX_ = x;
        originY_ = y;
    }
    int OriginX() const { return originX_; }
    int OriginY() const { return originY_; }

    // A window point to the engine's screen, and back (exact both ways while
    // the frame is the turned window's size).
    void ToLogical(int x, int y, int& lx, int& ly) const;
    void ToWindow(int lx, int ly, int& x, int& y) const;

    // Appends the messages for one event (none for events the window ignores).
    void Translate(const SDL_Event& event, std::vector<WindowMessage>& out);

private:
    WPARAM MouseKeys() const;
    void Pointer(unsigned message, int x, int y, std::vector<WindowMessage>& out);
    void Key(const SDL_KeyboardEvent& key, std::vector<WindowMessage>& out);
    void Text(const char* text, size_t size, std::vector<WindowMessage>& out);
    void Window(const SDL_WindowEvent& window, std::vector<WindowMessage>& out);

    int outWidth_ = 0;
    int outHeight_ = 0;
    int angle_ = 0;
    int frameWidth_ = 0;
    int frameHeight_ = 0;
    int originX_ = 0;
    int originY_ = 0;
    unsigned buttons_ = 0;  // MK_* of the buttons held, as the events told
    int lastX_ = 0;         // last pointer position, engine coordinates
    int lastY_ = 0;
    bool closeSent_ = false;  // a window close was just sent; SDL_QUIT follows it
    int TurnedWidth() const { return (angle_ == 90 || angle_ == 270) ? outHeight_ : outWidth_; }
    int TurnedHeight() const { return (angle_ == 90 || angle_ == 270) ? outWidth_ : outHeight_; }
};


} // namespace sdl2
