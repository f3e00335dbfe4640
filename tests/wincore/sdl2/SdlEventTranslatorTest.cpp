#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SdlTestSupport.h"
#include "wincore/sdl2/SdlEventTranslator.h"
#include "wincore/sdl2/SdlKeys.h"

using sdl2::EventTranslator;
using sdl2::WindowMessage;

namespace {

SDL_Event Button(Uint32 type, Uint8 button, int x, int y)
{
    SDL_Event e{};
    e.type = type;
    e.button.button = button;
    e.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.button.x = x;
    e.button.y = y;
    return e;
}

SDL_Event Motion(int x, int y, Uint32 state)
{
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.x = x;
    e.motion.y = y;
    e.motion.state = state;
    return e;
}

SDL_Event Wheel(int y, bool flipped = false)
{
    SDL_Event e{};
    e.type = SDL_MOUSEWHEEL;
    e.wheel.y = y;
    e.wheel.preciseY = (float)y;
    e.wheel.direction = flipped ? SDL_MOUSEWHEEL_FLIPPED : SDL_MOUSEWHEEL_NORMAL;
    return e;
}

SDL_Event Key(Uint32 type, SDL_Keycode key, Uint16 mod = KMOD_NONE, bool repeat = false,
              SDL_Scancode scancode = SDL_SCANCODE_UNKNOWN)
{
    SDL_Event e{};
    e.type = type;
    e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.key.repeat = repeat ? 1 : 0;
    e.key.keysym.sym = key;
    e.key.keysym.scancode = scancode;
    e.key.keysym.mod = mod;
    return e;
}

SDL_Event WindowEvent(Uint8 what, int data1 = 0, int data2 = 0)
{
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.event = what;
    e.window.data1 = data1;
    e.window.data2 = data2;
    return e;
}

SDL_Event Quit()
{
    SDL_Event e{};
    e.type = SDL_QUIT;
    return e;
}

SDL_Event Text(const char* utf8)
{
    SDL_Event e{};
    e.type = SDL_TEXTINPUT;
    SDL_strlcpy(e.text.text, utf8, sizeof(e.text.text));
    return e;
}

const LPARAM KeyUpBits = LPARAM(int32_t(0xC0000001u));

std::string Describe(const std::vector<WindowMessage>& ms)
{
    std::string s;
    for (const WindowMessage& m : ms) {
        char buf[80];
        snprintf(buf, sizeof buf, "{0x%x, 0x%lx, 0x%lx} ", m.message, (unsigned long)m.wParam, (unsigned long)m.lParam);
        s += buf;
    }
    return s;
}

class EventTranslatorTest : public sdltest::DummySdl {
protected:
    void SetUp() override
    {
        DummySdl::SetUp();
        translator.SetOutputSize(800, 480);
        translator.SetWindowOrigin(100, 200);
    }

    // Sends events through SDL's own queue and translates what comes out.
    std::vector<WindowMessage> Run(std::vector<SDL_Event> events)
    {
        for (SDL_Event& e : events)
            EXPECT_EQ(SDL_PushEvent(&e), 1) << SDL_GetError();
        std::vector<WindowMessage> out;
        SDL_Event e;
        while (SDL_PollEvent(&e))
            translator.Translate(e, out);
        return out;
    }

    EventTranslator translator;
};

// One sequence per row; the translator keeps its state (held buttons, the last
// pointer position) across the events of a row.
TEST_F(EventTranslatorTest, EventsBecomeTheDevicesWindowMessages)
{
    struct Row {
        const char* what;
        std::vector<SDL_Event> events;
        std::vector<WindowMessage> expected;
    };
    const std::vector<Row> rows = {
        {"left press, drag, release",
         {Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 10, 20), Motion(11, 21, SDL_BUTTON_LMASK),
          Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 12, 22)},
         {{WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 20)},
          {WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(11, 21)},
          {WM_LBUTTONUP, 0, MAKELPARAM(12, 22)}}},
        {"right and middle buttons, overlapping",
         {Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 1, 2), Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_MIDDLE, 3, 4),
          Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT, 5, 6), Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_MIDDLE, 7, 8)},
         {{WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(1, 2)},
          {WM_MBUTTONDOWN, MK_RBUTTON | MK_MBUTTON, MAKELPARAM(3, 4)},
          {WM_RBUTTONUP, MK_MBUTTON, MAKELPARAM(5, 6)},
          {WM_MBUTTONUP, 0, MAKELPARAM(7, 8)}}},
        {"extra buttons have no message", {Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_X1, 1, 1)}, {}},
        {"a captured pointer left of and above the window",
         {Motion(-5, -7, 0)},
         {{WM_MOUSEMOVE, 0, MAKELPARAM(-5, -7)}}},
        {"wheel: 120 a notch, the point on the screen",
         {Motion(30, 40, 0), Wheel(1), Wheel(-2), Wheel(1, true)},
         {{WM_MOUSEMOVE, 0, MAKELPARAM(30, 40)},
          {WM_MOUSEWHEEL, (uintptr_t)120 << 16, MAKELPARAM(130, 240)},
          {WM_MOUSEWHEEL, (uintptr_t)0xFF10 << 16, MAKELPARAM(130, 240)},
          {WM_MOUSEWHEEL, (uintptr_t)0xFF88 << 16, MAKELPARAM(130, 240)}}},
        {"a wheel event without movement is dropped", {Wheel(0)}, {}},
        {"letter down and up",
         {Key(SDL_KEYDOWN, SDLK_a), Key(SDL_KEYUP, SDLK_a)},
         {{WM_KEYDOWN, 'A', 1}, {WM_KEYUP, 'A', KeyUpBits}}},
        {"auto-repeat sets the previous-state bit",
         {Key(SDL_KEYDOWN, SDLK_DOWN, KMOD_NONE, true)},
         {{WM_KEYDOWN, 0x28, 1 | (1 << 30)}}},
        {"Enter and Escape also type their character",
         {Key(SDL_KEYDOWN, SDLK_RETURN), Key(SDL_KEYDOWN, SDLK_ESCAPE), Key(SDL_KEYUP, SDLK_RETURN)},
         {{WM_KEYDOWN, 13, 1}, {WM_CHAR, 13, 1}, {WM_KEYDOWN, 27, 1}, {WM_CHAR, 27, 1},
          {WM_KEYUP, 13, KeyUpBits}}},
        {"Ctrl+Backspace types nothing",
         {Key(SDL_KEYDOWN, SDLK_BACKSPACE, KMOD_LCTRL)},
         {{WM_KEYDOWN, 8, 1}}},
        {"Alt combinations and F10 are system keys",
         {Key(SDL_KEYDOWN, SDLK_F4, KMOD_LALT), Key(SDL_KEYUP, SDLK_F4, KMOD_LALT), Key(SDL_KEYDOWN, SDLK_F10)},
         {{WM_SYSKEYDOWN, 0x73, 1 | (1 << 29)}, {WM_SYSKEYUP, 0x73, LPARAM(int32_t(0xE0000001u))},
          {WM_SYSKEYDOWN, 0x79, 1}}},
        {"keys without a virtual key are dropped", {Key(SDL_KEYDOWN, SDLK_UNDO)}, {}},
        {"closing the window, then SDL's quit: one WM_CLOSE",
         {WindowEvent(SDL_WINDOWEVENT_CLOSE), Quit()},
         {{WM_CLOSE, 0, 0}}},
        {"quit alone closes", {Quit()}, {{WM_CLOSE, 0, 0}}},
        {"exposure repaints", {WindowEvent(SDL_WINDOWEVENT_EXPOSED)}, {{WM_PAINT, 0, 0}}},
        {"focus comes and goes",
         {WindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED), WindowEvent(SDL_WINDOWEVENT_FOCUS_LOST)},
         {{WM_ACTIVATE, WA_ACTIVE, 0}, {WM_SETFOCUS, 0, 0}, {WM_ACTIVATE, WA_INACTIVE, 0},
          {WM_KILLFOCUS, 0, 0}}},
        {"size and position are the window services' to announce",
         {WindowEvent(SDL_WINDOWEVENT_SIZE_CHANGED, 640, 360), WindowEvent(SDL_WINDOWEVENT_MOVED, 50, 60)},
         {}},
        {"other events give nothing", {WindowEvent(SDL_WINDOWEVENT_SHOWN)}, {}},
    };
    for (const Row& row : rows) {
        EventTranslator fresh;
        fresh.SetOutputSize(800, 480);
        fresh.SetWindowOrigin(100, 200);
        translator = fresh;
        const std::vector<WindowMessage> got = Run(row.events);
        EXPECT_EQ(got, row.expected) << row.what << ": got " << Describe(got);
    }
}

TEST_F(EventTranslatorTest, PointerMessagesCarryShiftAndControl)
{
    SDL_SetModState((SDL_Keymod)(KMOD_LSHIFT | KMOD_RCTRL));
    const auto got = Run({Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 1, 1), Wheel(1)});
    SDL_SetModState(KMOD_NONE);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].wParam, MK_LBUTTON | MK_SHIFT | MK_CONTROL);
    EXPECT_EQ(got[1].wParam & 0xFFFF, MK_LBUTTON | MK_SHIFT | MK_CONTROL);
}

TEST_F(EventTranslatorTest, TextBecomesOneCharacterPerUtf16Unit)
{
    struct Row {
        const char* utf8;
        std::vector<unsigned> units;
    };
    const std::vector<Row> rows = {
        {"a", {'a'}},
        {"\xC3\xA9\xC3\xBF \xC3\x80", {0xE9, 0xFF, ' ', 0xC0}},  // Latin-1: the same codes
        {"\xE2\x82\xAC\xD0\xB6", {0x20AC, 0x436}},                // euro sign, Cyrillic zhe
        {"\xF0\x9F\x98\x80", {0xD83D, 0xDE00}},                    // beyond 16 bits: a surrogate pair
        {"\xFF\xC3", {}},                                           // malformed UTF-8 types nothing
    };
    for (const Row& row : rows) {
        const auto got = Run({Text(row.utf8)});
        std::vector<WindowMessage> expected;
        for (unsigned u : row.units)
            expected.push_back({WM_CHAR, u, 1});
        EXPECT_EQ(got, expected) << row.utf8 << ": got " << Describe(got);
    }
}

TEST_F(EventTranslatorTest, TextFillingTheWholeEventIsReadNoFurther)
{
    SDL_Event e{};
    e.type = SDL_TEXTINPUT;
    memset(e.text.text, 'z', sizeof(e.text.text));  // no terminating NUL
    std::vector<WindowMessage> out;
    translator.Translate(e, out);
    EXPECT_EQ(out.size(), sizeof(e.text.text));
}

TEST(SdlKeys, VirtualKeys)
{
    struct Row {
        SDL_Keycode key;
        SDL_Scancode scancode;
        int vk;
    };
    const Row rows[] = {
        {SDLK_a, SDL_SCANCODE_A, 'A'},          {SDLK_z, SDL_SCANCODE_Z, 'Z'},
        {SDLK_q, SDL_SCANCODE_A, 'Q'},          // AZERTY: the layout's letter counts
        {0x436, SDL_SCANCODE_SEMICOLON, 0xBA},  // Cyrillic layout, a punctuation position
        {0x444, SDL_SCANCODE_A, 'A'},           // Cyrillic letter on the A key
        {SDLK_0, SDL_SCANCODE_0, '0'},          {SDLK_9, SDL_SCANCODE_9, '9'},
        {SDLK_AMPERSAND, SDL_SCANCODE_1, '1'},  // French digit row
        {SDLK_BACKSPACE, SDL_SCANCODE_BACKSPACE, 8}, {SDLK_TAB, SDL_SCANCODE_TAB, 9},
        {SDLK_RETURN, SDL_SCANCODE_RETURN, 13}, {SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER, 13},
        {SDLK_ESCAPE, SDL_SCANCODE_ESCAPE, 27}, {SDLK_SPACE, SDL_SCANCODE_SPACE, 32},
        {SDLK_LSHIFT, SDL_SCANCODE_LSHIFT, 16}, {SDLK_RSHIFT, SDL_SCANCODE_RSHIFT, 16},
        {SDLK_LCTRL, SDL_SCANCODE_LCTRL, 17},   {SDLK_RCTRL, SDL_SCANCODE_RCTRL, 17},
        {SDLK_LALT, SDL_SCANCODE_LALT, 18},     {SDLK_RALT, SDL_SCANCODE_RALT, 18},
        {SDLK_PAGEUP, SDL_SCANCODE_PAGEUP, 0x21}, {SDLK_PAGEDOWN, SDL_SCANCODE_PAGEDOWN, 0x22},
        {SDLK_END, SDL_SCANCODE_END, 0x23},     {SDLK_HOME, SDL_SCANCODE_HOME, 0x24},
        {SDLK_LEFT, SDL_SCANCODE_LEFT, 0x25},   {SDLK_UP, SDL_SCANCODE_UP, 0x26},
        {SDLK_RIGHT, SDL_SCANCODE_RIGHT, 0x27}, {SDLK_DOWN, SDL_SCANCODE_DOWN, 0x28},
        {SDLK_INSERT, SDL_SCANCODE_INSERT, 0x2D}, {SDLK_DELETE, SDL_SCANCODE_DELETE, 0x2E},
        {SDLK_F1, SDL_SCANCODE_F1, 0x70},       {SDLK_F11, SDL_SCANCODE_F11, 122},
        {SDLK_F12, SDL_SCANCODE_F12, 0x7B},     {SDLK_KP_0, SDL_SCANCODE_KP_0, 0x60},
        {SDLK_KP_9, SDL_SCANCODE_KP_9, 0x69},   {SDLK_KP_PLUS, SDL_SCANCODE_KP_PLUS, 107},
        {SDLK_KP_MINUS, SDL_SCANCODE_KP_MINUS, 109}, {SDLK_KP_MULTIPLY, SDL_SCANCODE_KP_MULTIPLY, 106},
        {SDLK_KP_PERIOD, SDL_SCANCODE_KP_PERIOD, 110}, {SDLK_CLEAR, SDL_SCANCODE_CLEAR, 12},
        {SDLK_UNDO, SDL_SCANCODE_UNDO, 0},      {SDLK_UNKNOWN, SDL_SCANCODE_UNKNOWN, 0},
    };
    for (const Row& row : rows)
        EXPECT_EQ(sdl2::VirtualKeyOf(row.key, row.scancode), row.vk) << SDL_GetKeyName(row.key);
}

// The window keeps its size; the engine's screen turns. Every window pixel maps
// to a pixel inside the engine's screen and back.
TEST(SdlOrientation, PointerMapsIntoTheTurnedScreenAndBack)
{
    struct Row {
        int angle;
        int lw, lh;               // the engine's screen
        int wx, wy, lx, ly;       // a window point and where the engine sees it
    };
    const Row rows[] = {
        {0, 8, 4, 1, 2, 1, 2},
        {90, 4, 8, 0, 0, 3, 0},   // top-left of the window is the screen's top-right
        {90, 4, 8, 0, 3, 0, 0},
        {180, 8, 4, 0, 0, 7, 3},
        {270, 4, 8, 0, 0, 0, 7},
        {270, 4, 8, 7, 0, 0, 0},
        {45, 8, 4, 1, 2, 1, 2},   // not an orientation: as 0
    };
    for (const Row& row : rows) {
        EventTranslator t;
        t.SetOutputSize(8, 4);
        t.SetOrientation(row.angle);
        EXPECT_EQ(t.LogicalWidth(), row.lw) << row.angle;
        EXPECT_EQ(t.LogicalHeight(), row.lh) << row.angle;
        int lx, ly;
        t.ToLogical(row.wx, row.wy, lx, ly);
        EXPECT_EQ(lx, row.lx) << row.angle;
        EXPECT_EQ(ly, row.ly) << row.angle;
        for (int y = 0; y < 4; ++y) {
            for (int x = 0; x < 8; ++x) {
                t.ToLogical(x, y, lx, ly);
                ASSERT_TRUE(lx >= 0 && lx < row.lw && ly >= 0 && ly < row.lh) << row.angle;
                int bx, by;
                t.ToWindow(lx, ly, bx, by);
                ASSERT_EQ(bx, x);
                ASSERT_EQ(by, y);
            }
        }
    }
}

TEST_F(EventTranslatorTest, RotatedWindowSendsScreenCoordinates)
{
    translator.SetOrientation(90);
    auto got = Run({Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 0, 0), Wheel(1)});
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].lParam, MAKELPARAM(479, 0));
    EXPECT_EQ(got[1].lParam, MAKELPARAM(100 + 479, 200 + 0));
    // A new window size counts from the next event on.
    got = Run({WindowEvent(SDL_WINDOWEVENT_SIZE_CHANGED, 1024, 600), Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 0, 0)});
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].lParam, MAKELPARAM(599, 0));
    EXPECT_EQ(translator.LogicalWidth(), 600);
    EXPECT_EQ(translator.LogicalHeight(), 1024);
}

// A frame smaller or larger than the window is stretched over it; the pointer
// lands on the frame pixel shown under it.
TEST(SdlOrientation, PointerFollowsAStretchedFrame)
{
    struct Row {
        int angle, frameW, frameH;
        int wx, wy, lx, ly;
    };
    const Row rows[] = {
        {0, 4, 2, 0, 0, 0, 0},   {0, 4, 2, 7, 3, 3, 1},   {0, 4, 2, 2, 1, 1, 0},
        {0, 16, 8, 7, 3, 15, 7}, {0, 4, 2, -1, -1, -1, -1},  // outside stays outside
        {90, 2, 4, 0, 0, 1, 0},  {90, 2, 4, 7, 3, 0, 3},
    };
    for (const Row& row : rows) {
        EventTranslator t;
        t.SetOutputSize(8, 4);
        t.SetOrientation(row.angle);
        t.SetFrameSize(row.frameW, row.frameH);
        EXPECT_EQ(t.LogicalWidth(), row.frameW);
        int lx, ly;
        t.ToLogical(row.wx, row.wy, lx, ly);
        EXPECT_EQ(lx, row.lx) << row.angle << " " << row.wx << "," << row.wy;
        EXPECT_EQ(ly, row.ly) << row.angle << " " << row.wx << "," << row.wy;
    }
}

} // namespace
