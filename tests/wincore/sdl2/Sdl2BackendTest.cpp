#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "SdlTestSupport.h"
#include "enginelib/base/Clipboard.h"
#include "enginelib/base/CodePage.h"
#include "enginelib/draw/TDibIG.h"
#include "support/TestPaths.h"
#include "wincore/WinApi.h"
#include "wincore/sdl2/TSdl2Backend.h"

namespace {

struct Call {
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    bool operator==(const Call& o) const { return msg == o.msg && wParam == o.wParam && lParam == o.lParam; }
};

bool IsInput(UINT m)
{
    return (m >= WM_KEYDOWN && m <= WM_SYSKEYUP) || (m >= WM_MOUSEMOVE && m <= WM_MOUSEWHEEL) || m == WM_CLOSE ||
           m == WM_ACTIVATE || m == WM_SETFOCUS || m == WM_KILLFOCUS || m == WM_USER + 1 || m == WM_TIMER;
}

// The SDL backend (on SDL's dummy drivers) behind the window services, and
// one window whose procedure records the input it gets and paints `frame`.
class Sdl2BackendTest : public ::testing::Test {
protected:
    static Sdl2BackendTest*& Current()
    {
        static Sdl2BackendTest* current = nullptr;
        return current;
    }

    static LRESULT Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        Sdl2BackendTest* t = Current();
        if (IsInput(msg))
            t->calls.push_back(Call{msg, wParam, lParam});
        if (msg == WM_PAINT) {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            if (!t->frame.IsEmpty())
                t->presented += WinPresent(dc, t->frame, nullptr) ? 1 : 0;
            EndPaint(hwnd, &ps);
            return 0;
        }
        if (msg == WM_CLOSE)
            return 0;  // the window stays for the test to look at
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }

    void SetUp() override
    {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        Current() = this;
        std::string why;
        auto b = TSdl2Backend::Create(why);
        ASSERT_NE(b, nullptr) << why;
        backend = b.get();
        WinUseBackend(std::move(b));
        WinSetLockFolder(lockFolder.path());
        WNDCLASSW wc{};
        wc.style = CS_HREDRAW | CS_VREDRAW;
        wc.lpfnWndProc = &Proc;
        wc.lpszClassName = u"SdlTestClass";
        ASSERT_NE(RegisterClassW(&wc), 0);
        hwnd = CreateWindowExW(0, u"SdlTestClass", u"Test", WS_POPUP | WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(hwnd, nullptr);
        ASSERT_NE(backend->Window(), nullptr);
        SDL_PumpEvents();
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    }

    void TearDown() override
    {
        WinUseBackend(nullptr);
        WinSetLockFolder("");
        Current() = nullptr;
    }

    static void Push(SDL_Event e) { ASSERT_EQ(SDL_PushEvent(&e), 1) << SDL_GetError(); }

    // Runs the message loop until a message `last` has been dispatched. A loop
    // that would block for good is freed after a few seconds by a pushed
    // event, and the test fails.
    void RunUntil(UINT last)
    {
        std::atomic<bool> done{false}, rescued{false};
        std::thread guard([&] {
            for (int i = 0; i < 500 && !done; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            if (!done) {
                rescued = true;
                PostMessageW(hwnd, last, 0, 0);
            }
        });
        MSG m;
        while (GetMessageW(&m, nullptr, 0, 0)) {
            TranslateMessage(&m);
            DispatchMessageW(&m);
            if (m.message == last)
                break;
        }
        done = true;
        guard.join();
        EXPECT_FALSE(rescued) << "the loop did not wake up by itself";
    }

    std::vector<Call> Of(UINT msg) const
    {
        std::vector<Call> out;
        for (const Call& c : calls)
            if (c.msg == msg)
                out.push_back(c);
        return out;
    }

    testpaths::TempDir lockFolder;
    TSdl2Backend* backend = nullptr;
    HWND hwnd = nullptr;
    std::vector<Call> calls;
    TDibIG frame;
    int presented = 0;
};

SDL_Event Button(Uint32 type, int x, int y)
{
    SDL_Event e{};
    e.type = type;
    e.button.button = SDL_BUTTON_LEFT;
    e.button.x = x;
    e.button.y = y;
    return e;
}

SDL_Event Motion(int x, int y)
{
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.x = x;
    e.motion.y = y;
    e.motion.state = SDL_BUTTON_LMASK;
    return e;
}

SDL_Event Close()
{
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.event = SDL_WINDOWEVENT_CLOSE;
    return e;
}

TEST_F(Sdl2BackendTest, SdlEventsReachTheWindowProcedure)
{
    EXPECT_STREQ(WinBackend().Name(), "sdl2");
    SDL_Event key{};
    key.type = SDL_KEYDOWN;
    key.key.keysym.sym = SDLK_RETURN;
    SDL_Event text{};
    text.type = SDL_TEXTINPUT;
    SDL_strlcpy(text.text.text, "\xC3\xA9", sizeof(text.text.text));
    Push(Button(SDL_MOUSEBUTTONDOWN, 10, 20));
    Push(Motion(11, 21));
    Push(Motion(12, 22));
    Push(Motion(13, 23));
    Push(Button(SDL_MOUSEBUTTONUP, 13, 23));
    Push(key);
    Push(text);
    Push(Close());
    RunUntil(WM_CLOSE);
    const std::vector<Call> expected = {
        {WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 20)},
        {WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(13, 23)},  // moves in one batch merge into the last
        {WM_LBUTTONUP, 0, MAKELPARAM(13, 23)},
        {WM_KEYDOWN, 13, 1},
        {WM_CHAR, 13, 1},
        {WM_CHAR, 0xE9, 1},
        {WM_CLOSE, 0, 0},
    };
    EXPECT_EQ(calls, expected);
}

TEST_F(Sdl2BackendTest, WheelPointIsOnTheScreenOfTheWindowServices)
{
    ASSERT_TRUE(MoveWindow(hwnd, 30, 40, 400, 200, TRUE));
    SDL_Event wheel{};
    wheel.type = SDL_MOUSEWHEEL;
    wheel.wheel.y = -1;
    wheel.wheel.preciseY = -1.0f;
    Push(Motion(5, 6));
    Push(wheel);
    Push(Close());
    RunUntil(WM_CLOSE);
    const std::vector<Call> wheels = Of(WM_MOUSEWHEEL);
    ASSERT_EQ(wheels.size(), 1u);
    EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(wheels[0].wParam), -WHEEL_DELTA);
    POINT p{GET_X_LPARAM(wheels[0].lParam), GET_Y_LPARAM(wheels[0].lParam)};
    EXPECT_EQ(p.x, 35);
    EXPECT_EQ(p.y, 46);
    ASSERT_TRUE(ScreenToClient(hwnd, &p));
    EXPECT_EQ(p.x, 5);
    EXPECT_EQ(p.y, 6);
    // The desktop window followed the move.
    int x, y, w, h;
    SDL_GetWindowPosition(backend->Window(), &x, &y);
    SDL_GetWindowSize(backend->Window(), &w, &h);
    EXPECT_EQ(x, 30);
    EXPECT_EQ(y, 40);
    EXPECT_EQ(w, 400);
    EXPECT_EQ(h, 200);
}

TEST_F(Sdl2BackendTest, IdleLoopWakesForPostsFromOtherThreadsAndForTimers)
{
    std::thread poster([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        PostMessageW(hwnd, WM_USER + 1, 7, 8);
    });
    RunUntil(WM_USER + 1);
    poster.join();
    EXPECT_EQ(Of(WM_USER + 1), (std::vector<Call>{{WM_USER + 1, 7, 8}}));

    ASSERT_NE(SetTimer(hwnd, 6, 20, nullptr), 0u);
    RunUntil(WM_TIMER);
    ASSERT_FALSE(Of(WM_TIMER).empty());
    EXPECT_EQ(Of(WM_TIMER)[0].wParam, 6u);
    KillTimer(hwnd, 6);
}

TEST_F(Sdl2BackendTest, FramesAreShownAndTheDisplayTurnsInsideTheWindow)
{
    ASSERT_TRUE(frame.Crea(800, 480, 16));
    InvalidateRect(hwnd, nullptr, FALSE);
    UpdateWindow(hwnd);
    EXPECT_EQ(presented, 1);
    EXPECT_EQ(backend->Presenter().TextureWidth(), 800);
    EXPECT_EQ(backend->Presenter().TextureHeight(), 480);

    DEVMODEW mode{};
    mode.dmSize = sizeof(mode);
    mode.dmFields = DM_DISPLAYORIENTATION;
    mode.dmDisplayOrientation = DMDO_90;
    ASSERT_EQ(ChangeDisplaySettingsEx(nullptr, &mode, nullptr, CDS_RESET, nullptr), DISP_CHANGE_SUCCESSFUL);
    RECT client;
    ASSERT_TRUE(GetClientRect(hwnd, &client));
    EXPECT_EQ(client.right, 480);
    EXPECT_EQ(client.bottom, 800);
    // The desktop window keeps the panel's shape; the frame turns inside it.
    int w, h;
    SDL_GetWindowSize(backend->Window(), &w, &h);
    EXPECT_EQ(w, 800);
    EXPECT_EQ(h, 480);
    ASSERT_TRUE(frame.Crea(480, 800, 32));
    InvalidateRect(hwnd, nullptr, FALSE);
    UpdateWindow(hwnd);
    EXPECT_EQ(presented, 2);
    EXPECT_EQ(backend->Presenter().TextureWidth(), 800);
    EXPECT_EQ(backend->Presenter().TextureHeight(), 480);

    // The window's top-left corner is the turned screen's top-right.
    Push(Button(SDL_MOUSEBUTTONDOWN, 0, 0));
    Push(Button(SDL_MOUSEBUTTONUP, 799, 479));
    Push(Close());
    RunUntil(WM_CLOSE);
    EXPECT_EQ(Of(WM_LBUTTONDOWN), (std::vector<Call>{{WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(479, 0)}}));
    EXPECT_EQ(Of(WM_LBUTTONUP), (std::vector<Call>{{WM_LBUTTONUP, 0, MAKELPARAM(0, 799)}}));
}

TEST_F(Sdl2BackendTest, RectanglesOfTheTurnedScreenLandOnTheDesktop)
{
    struct Row {
        DWORD orientation;
        RECT screen, desktop;
    };
    const Row rows[] = {
        {DMDO_0, {10, 20, 110, 70}, {10, 20, 110, 70}},
        {DMDO_90, {0, 0, 480, 800}, {0, 0, 800, 480}},
        {DMDO_90, {10, 20, 110, 70}, {20, 370, 70, 470}},
        {DMDO_180, {10, 20, 110, 70}, {690, 410, 790, 460}},
        {DMDO_270, {10, 20, 110, 70}, {730, 10, 780, 110}},
    };
    for (const Row& row : rows) {
        ASSERT_TRUE(backend->SetOrientation(row.orientation));
        const RECT d = backend->ToDesktop(row.screen);
        EXPECT_EQ(d.left, row.desktop.left) << row.orientation;
        EXPECT_EQ(d.top, row.desktop.top) << row.orientation;
        EXPECT_EQ(d.right, row.desktop.right) << row.orientation;
        EXPECT_EQ(d.bottom, row.desktop.bottom) << row.orientation;
    }
    EXPECT_FALSE(backend->SetOrientation(3));
}

TEST_F(Sdl2BackendTest, LibraryClipboardTextIsConvertedForTheDesktop)
{
    if (SDL_SetClipboardText("probe") != 0)
        GTEST_SKIP() << "no clipboard: " << SDL_GetError();
    const int before = CodePage::Default();
    CodePage::SetDefault(CodePage::Western);
    EXPECT_TRUE(Clipboard_SetTextBuf("caf\xE9 \x80"));
    char* raw = SDL_GetClipboardText();
    EXPECT_STREQ(raw, "caf\xC3\xA9 \xE2\x82\xAC");
    SDL_free(raw);
    DString text;
    ASSERT_TRUE(Clipboard_GetTextBuf(text));
    EXPECT_STREQ(text.c_str(), "caf\xE9 \x80");
    // Text another program put there, partly outside the code page.
    ASSERT_EQ(SDL_SetClipboardText("\xC3\x80\xD0\x96"), 0);  // À Ж
    ASSERT_TRUE(Clipboard_GetTextBuf(text));
    EXPECT_STREQ(text.c_str(), "\xC0?");
    CodePage::SetDefault(before);
}

TEST_F(Sdl2BackendTest, SoundsPlayFromFilesAtTheWaveVolume)
{
    // Half a second of 8-bit mono at 8 kHz.
    std::vector<uint8_t> wav = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 16, 0, 0, 0,
                                1, 0, 1, 0, 0x40, 0x1F, 0, 0, 0x40, 0x1F, 0, 0, 1, 0, 8, 0, 'd', 'a', 't', 'a'};
    const uint32_t samples = 4000;
    for (int i = 0; i < 4; ++i)
        wav.push_back((uint8_t)(samples >> (8 * i)));
    for (uint32_t i = 0; i < samples; ++i)
        wav.push_back(i % 20 < 10 ? 0x30 : 0xD0);
    const uint32_t riff = (uint32_t)wav.size() - 8;
    for (int i = 0; i < 4; ++i)
        wav[4 + i] = (uint8_t)(riff >> (8 * i));
    const std::string path = lockFolder / "tone.wav";
    FILE* f = fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    fwrite(wav.data(), 1, wav.size(), f);
    fclose(f);

    const std::u16string wide = WinFromUtf8(path);
    if (!PlaySoundW(wide.c_str(), nullptr, SND_ASYNC | SND_FILENAME))
        GTEST_SKIP() << "no audio device: " << SDL_GetError();
    EXPECT_EQ(waveOutSetVolume(nullptr, 0x80008000u), 0u);
    EXPECT_EQ(backend->Audio().Volume(), 50);
    DWORD volume = 0;
    waveOutGetVolume(nullptr, &volume);
    EXPECT_EQ(volume, 0x80008000u);
    EXPECT_TRUE(PlaySoundW(nullptr, nullptr, 0));
    EXPECT_EQ(backend->Audio().QueuedBytes(), 0u);
    // A synchronous sound has played when the call returns; one that may not
    // interrupt another is refused while that one plays.
    EXPECT_TRUE(PlaySoundW(wide.c_str(), nullptr, SND_SYNC | SND_FILENAME));
    EXPECT_EQ(backend->Audio().QueuedBytes(), 0u);
    SDL_PauseAudioDevice(backend->Audio().Device(), 1);
    EXPECT_TRUE(PlaySoundW(wide.c_str(), nullptr, SND_ASYNC | SND_FILENAME));
    EXPECT_FALSE(PlaySoundW(wide.c_str(), nullptr, SND_ASYNC | SND_NOSTOP | SND_FILENAME));
    SDL_PauseAudioDevice(backend->Audio().Device(), 0);
    const std::u16string missing = WinFromUtf8(lockFolder / "missing.wav");
    EXPECT_FALSE(PlaySoundW(missing.c_str(), nullptr, SND_ASYNC | SND_FILENAME));
}

TEST_F(Sdl2BackendTest, MessageBoxWithoutADisplayAnswersZero)
{
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    EXPECT_EQ(MessageBoxW(nullptr, u"Error loading skin", u"Orbeta", MB_ICONHAND), 0);
}

// With a display in the environment the window services choose this backend.
TEST(Sdl2BackendChoice, ChosenWhenThereIsADisplay)
{
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    unsetenv("ORBETA_HEADLESS");
    const char* old = getenv("DISPLAY");
    const std::string saved = old ? old : "";
    setenv("DISPLAY", ":orbeta-test", 1);
    WinUseBackend(nullptr);
    EXPECT_STREQ(WinBackend().Name(), "sdl2");
    setenv("ORBETA_HEADLESS", "1", 1);
    WinUseBackend(nullptr);
    EXPECT_STREQ(WinBackend().Name(), "headless");
    unsetenv("ORBETA_HEADLESS");
    WinUseBackend(nullptr);
    if (old)
        setenv("DISPLAY", saved.c_str(), 1);
    else
        unsetenv("DISPLAY");
}

} // namespace
