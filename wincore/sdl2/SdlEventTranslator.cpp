#include "wincore/sdl2/SdlEventTranslator.h"

#include <cmath>
#include <cstring>

#include "enginelib/base/CodePage.h"
#include "wincore/sdl2/SdlKeys.h"

namespace sdl2 {

void EventTranslator::SetOutputSize(int width, int height)
{
    outWidth_ = width > 0 ? width : 0;
    outHeight_ = height > 0 ? height : 0;
}

void EventTranslator::SetOrientation(int angle)
{
    angle_ = (angle == 90 || angle == 180 || angle == 270) ? angle : 0;
}

void EventTranslator::SetFrameSize(int width, int height)
{
    frameWidth_ = width > 0 ? width : 0;
    frameHeight_ = height > 0 ? height : 0;
}

int EventTranslator::LogicalWidth() const { return frameWidth_ > 0 ? frameWidth_ : TurnedWidth(); }
int EventTranslator::LogicalHeight() const { return frameHeight_ > 0 ? frameHeight_ : TurnedHeight(); }

namespace {

// v of a range `from` long in a range `to` long (floor, so points left of or
// above the window stay outside).
int Stretch(int v, int from, int to)
{
    if (from <= 0 || to <= 0 || from == to)
        return v;
    return (int)std::floor(((double)v + 0.5) * to / from);
}

} // namespace

void EventTranslator::ToLogical(int x, int y, int& lx, int& ly) const
{
    int rx, ry;
    switch (angle_) {
    case 90: rx = outHeight_ - 1 - y; ry = x; break;
    case 180: rx = outWidth_ - 1 - x; ry = outHeight_ - 1 - y; break;
    case 270: rx = y; ry = outWidth_ - 1 - x; break;
    default: rx = x; ry = y; break;
    }
    lx = Stretch(rx, TurnedWidth(), LogicalWidth());
    ly = Stretch(ry, TurnedHeight(), LogicalHeight());
}

void EventTranslator::ToWindow(int lx, int ly, int& x, int& y) const
{
    const int rx = Stretch(lx, LogicalWidth(), TurnedWidth());
    const int ry = Stretch(ly, LogicalHeight(), TurnedHeight());
    switch (angle_) {
    case 90: x = ry; y = outHeight_ - 1 - rx; break;
    case 180: x = outWidth_ - 1 - rx; y = outHeight_ - 1 - ry; break;
    case 270: x = outWidth_ - 1 - ry; y = rx; break;
    default: x = rx; y = ry; break;
    }
}

WPARAM EventTranslator::MouseKeys() const
{
    WPARAM keys = buttons_;
    const SDL_Keymod mod = SDL_GetModState();
    if (mod & KMOD_SHIFT)
        keys |= MK_SHIFT;
    if (mod & KMOD_CTRL)
        keys |= MK_CONTROL;
    return keys;
}

void EventTranslator::Pointer(unsigned message, int x, int y, std::vector<WindowMessage>& out)
{
    ToLogical(x, y, lastX_, lastY_);
    out.push_back({message, MouseKeys(), MAKELPARAM(lastX_, lastY_)});
}

namespace {

WPARAM ButtonFlag(Uint8 button)
{
    switch (button) {
    case SDL_BUTTON_LEFT: return MK_LBUTTON;
    case SDL_BUTTON_RIGHT: return MK_RBUTTON;
    case SDL_BUTTON_MIDDLE: return MK_MBUTTON;
    default: return 0;
    }
}

WPARAM ButtonsFromState(Uint32 state)
{
    WPARAM keys = 0;
    if (state & SDL_BUTTON_LMASK)
        keys |= MK_LBUTTON;
    if (state & SDL_BUTTON_RMASK)
        keys |= MK_RBUTTON;
    if (state & SDL_BUTTON_MMASK)
        keys |= MK_MBUTTON;
    return keys;
}

} // namespace

void EventTranslator::Key(const SDL_KeyboardEvent& key, std::vector<WindowMessage>& out)
{
    const int vk = VirtualKeyOf(key.keysym.sym, key.keysym.scancode);
    if (vk == 0)
        return;
    const bool down = key.type == SDL_KEYDOWN;
    const bool alt = (key.keysym.mod & KMOD_ALT) != 0;
    // Alt combinations, Alt itself and F10 are system keys, as on the device.
    const bool system = alt || vk == 0x12 || vk == 0x79;
    // lParam: repeat count 1, context (Alt) bit 29, previous state bit 30,
    // transition bit 31.
    uint32_t flags = 1;
    if (alt)
        flags |= 1u << 29;
    if (!down || key.repeat)
        flags |= 1u << 30;
    if (!down)
        flags |= 1u << 31;
    unsigned message = down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
    out.push_back({message, (WPARAM)vk, LPARAM(int32_t(flags))});
    // The characters TranslateMessage makes of these keys; SDL sends no text for them.
    if (down && !alt && !(key.keysym.mod & KMOD_CTRL) && (vk == 0x08 || vk == 0x09 || vk == 0x0D || vk == 0x1B))
        out.push_back({WM_CHAR, (WPARAM)vk, LPARAM(int32_t(flags))});
}

void EventTranslator::Text(const char* text, size_t size, std::vector<WindowMessage>& out)
{
    const int length = (int)strnlen(text, size);
    for (int at = 0; at < length;) {
        int used = 1;
        const unsigned code = CodePage::DecodeUtf8(text + at, length - at, used);
        at += used > 0 ? used : 1;
        if (code == 0xFFFD)
            continue;  // malformed input types nothing
        // UTF-16 units, as the device's Unicode window gets them.
        if (code >= 0x10000) {
            out.push_back({WM_CHAR, (WPARAM)(0xD800 + ((code - 0x10000) >> 10)), 1});
            out.push_back({WM_CHAR, (WPARAM)(0xDC00 + ((code - 0x10000) & 0x3FF)), 1});
        } else {
            out.push_back({WM_CHAR, (WPARAM)code, 1});
        }
    }
}

void EventTranslator::Window(const SDL_WindowEvent& window, std::vector<WindowMessage>& out)
{
    switch (window.event) {
    case SDL_WINDOWEVENT_CLOSE:
        out.push_back({WM_CLOSE, 0, 0});
        closeSent_ = true;
        return;
    case SDL_WINDOWEVENT_EXPOSED:
        out.push_back({WM_PAINT, 0, 0});
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        out.push_back({WM_ACTIVATE, WA_ACTIVE, 0});
        out.push_back({WM_SETFOCUS, 0, 0});
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        out.push_back({WM_ACTIVATE, WA_INACTIVE, 0});
        out.push_back({WM_KILLFOCUS, 0, 0});
        break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        SetOutputSize(window.data1, window.data2);
        return;
    default:
        return;
    }
    closeSent_ = false;
}

void EventTranslator::Translate(const SDL_Event& event, std::vector<WindowMessage>& out)
{
    switch (event.type) {
    case SDL_QUIT:
        // Closing the only window also ends SDL with SDL_QUIT: one WM_CLOSE for both.
        if (!closeSent_)
            out.push_back({WM_CLOSE, 0, 0});
        closeSent_ = false;
        return;
    case SDL_WINDOWEVENT:
        Window(event.window, out);
        return;
    case SDL_MOUSEMOTION:
        buttons_ = ButtonsFromState(event.motion.state);
        Pointer(WM_MOUSEMOVE, event.motion.x, event.motion.y, out);
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        const WPARAM flag = ButtonFlag(event.button.button);
        if (!flag)
            return;
        const bool down = event.type == SDL_MOUSEBUTTONDOWN;
        // wParam tells the buttons held after the event, as on the device.
        buttons_ = down ? (buttons_ | flag) : (buttons_ & ~flag);
        unsigned message;
        if (flag == MK_LBUTTON)
            message = down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
        else if (flag == MK_RBUTTON)
            message = down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
        else
            message = down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
        Pointer(message, event.button.x, event.button.y, out);
        break;
    }
    case SDL_MOUSEWHEEL: {
        float amount = event.wheel.preciseY;
        if (amount == 0.0f)
            amount = (float)event.wheel.y;
        if (event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED)
            amount = -amount;
        long delta = std::lround(amount * WHEEL_DELTA);
        if (delta == 0)
            return;
        if (delta > 32767)
            delta = 32767;
        if (delta < -32768)
            delta = -32768;
        // The device gives the wheel's point on the screen.
        const WPARAM wParam = MAKEWPARAM((int)MouseKeys(), (int)delta);
        out.push_back({WM_MOUSEWHEEL, wParam, MAKELPARAM(originX_ + lastX_, originY_ + lastY_)});
        break;
    }
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        Key(event.key, out);
        break;
    case SDL_TEXTINPUT:
        Text(event.text.text, sizeof(event.text.text), out);
        break;
    default:
        return;
    }
    closeSent_ = false;
}

} // namespace sdl2
