#include <cstring>

#include "WinTestWindow.h"
#include "enginelib/base/Clipboard.h"
#include "enginelib/base/Tick.h"
#include "enginelib/draw/TDibIGformat.h"
#include "support/TestPaths.h"

namespace {

using Window = WinTestWindow;

TEST_F(Window, DefaultPlacementCoversTheScreenAndMovesReportWhatChanged)
{
    RECT r;
    ASSERT_TRUE(GetWindowRect(hwnd, &r));
    EXPECT_EQ(r, (RECT{0, 0, 800, 480}));
    EXPECT_EQ(backend->WindowRect(), r);

    MoveWindow(hwnd, 10, 20, 300, 200, TRUE);
    EXPECT_EQ(calls, (std::vector<Call>{{WM_MOVE, 0, MAKELPARAM(10, 20)}, {WM_SIZE, SIZE_RESTORED, MAKELPARAM(300, 200)}}));
    EXPECT_EQ(backend->WindowRect(), (RECT{10, 20, 310, 220}));
    POINT p{0, 0};
    ClientToScreen(hwnd, &p);
    EXPECT_EQ(p.x, 10);
    EXPECT_EQ(p.y, 20);
    ScreenToClient(hwnd, &p);
    EXPECT_EQ(p.x, 0);
    GetClientRect(hwnd, &r);
    EXPECT_EQ(r, (RECT{0, 0, 300, 200}));

    calls.clear();
    MoveWindow(hwnd, 10, 20, 300, 200, FALSE); // nothing changed
    MoveWindow(hwnd, 10, 20, -5, 400, FALSE);  // a negative width is none
    EXPECT_EQ(calls, (std::vector<Call>{{WM_SIZE, SIZE_RESTORED, MAKELPARAM(0, 400)}}));
    // Negative positions keep their sign through lParam.
    calls.clear();
    MoveWindow(hwnd, -30, -40, 0, 400, FALSE);
    ASSERT_EQ(Of(WM_MOVE).size(), 1u);
    EXPECT_EQ(GET_X_LPARAM(Of(WM_MOVE)[0].lParam), -30);
    EXPECT_EQ(GET_Y_LPARAM(Of(WM_MOVE)[0].lParam), -40);
}

TEST_F(Window, ShowZOrderStyleAndCapture)
{
    EXPECT_TRUE(ShowWindow(hwnd, SW_HIDE)); // was visible
    EXPECT_FALSE(backend->Visible());
    EXPECT_FALSE(ShowWindow(hwnd, SW_SHOWNORMAL));
    EXPECT_TRUE(backend->Visible());

    calls.clear();
    SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_FRAMECHANGED);
    EXPECT_TRUE(backend->Topmost());
    EXPECT_TRUE(calls.empty());
    SetWindowPos(hwnd, nullptr, 5, 6, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    EXPECT_EQ(calls, (std::vector<Call>{{WM_MOVE, 0, MAKELPARAM(5, 6)}}));

    const LONG before = SetWindowLongW(hwnd, GWL_STYLE, LONG(0x90000080u));
    EXPECT_EQ(DWORD(before), WS_POPUP | WS_VISIBLE);
    EXPECT_EQ(DWORD(GetWindowLongW(hwnd, GWL_STYLE)), 0x90000080u);

    EXPECT_EQ(SetCapture(hwnd), nullptr);
    EXPECT_EQ(GetCapture(), hwnd);
    EXPECT_TRUE(backend->Captured());
    ReleaseCapture();
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_FALSE(backend->Captured());
}

TEST_F(Window, OneWindowAndItsClassRules)
{
    WNDCLASSW wc{};
    wc.lpfnWndProc = &CALLBACK_Proc;
    wc.lpszClassName = u"wintestclass";
    EXPECT_EQ(RegisterClassW(&wc), 0); // same name, other case
    EXPECT_EQ(GetLastError(), ERROR_CLASS_ALREADY_EXISTS);
    EXPECT_EQ(CreateWindowExW(0, u"WinTestClass", u"Second", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr),
              nullptr);
    EXPECT_EQ(CreateWindowExW(0, u"NoClass", u"x", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_CANNOT_FIND_WND_CLASS);
    EXPECT_EQ(FindWindowW(u"WINTESTCLASS", nullptr), hwnd);
    EXPECT_EQ(FindWindowW(u"WinTestClass", u"Other title"), nullptr);
    EXPECT_TRUE(SetForegroundWindow(reinterpret_cast<HWND>(reinterpret_cast<uintptr_t>(hwnd) | 1)));
    EXPECT_EQ(backend->RaiseCount(), 1);

    // A new window after the first is destroyed gets another handle.
    DestroyWindow(hwnd);
    HWND second = CreateWindowExW(0, u"WinTestClass", u"Second", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, hwnd);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_FALSE(IsWindowVisible(second)); // no WS_VISIBLE
}

TEST_F(Window, ACreationRefusedByTheProcedureGivesNoWindow)
{
    DestroyWindow(hwnd);
    hook = [](HWND, UINT msg, WPARAM, LPARAM, LRESULT& r) {
        r = -1;
        return msg == WM_CREATE;
    };
    EXPECT_EQ(CreateWindowExW(0, u"WinTestClass", u"x", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr),
              nullptr);
    EXPECT_EQ(WinMainWindow(), nullptr);
}

TEST_F(Window, DisplayMetricsAndDeviceContexts)
{
    backend->SetDpi(192);
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(GetDeviceCaps(screen, HORZRES), 800);
    EXPECT_EQ(GetDeviceCaps(screen, VERTRES), 480);
    EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSX), 192);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(GetDeviceCaps(GetDC(hwnd), HORZRES), 800);
    EXPECT_EQ(GetDeviceCaps(reinterpret_cast<HDC>(uintptr_t(0x1234)), HORZRES), 0);
}

// The display-mode record's orientation fields, as the host fills them.
DEVMODEW Mode(DWORD fields, DWORD orientation = 0)
{
    DEVMODEW m;
    std::memset(&m, 0, sizeof m);
    m.dmSize = sizeof m;
    m.dmFields = fields;
    m.dmDisplayOrientation = orientation;
    return m;
}

TEST_F(Window, OrientationQueriesAndChangesSwapTheLogicalScreen)
{
    backend->SetSupportedOrientations(int(DMDO_90 | DMDO_270));
    DEVMODEW m = Mode(DM_DISPLAYQUERYORIENTATION);
    ASSERT_EQ(ChangeDisplaySettingsEx(nullptr, &m, nullptr, CDS_TEST, nullptr), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(m.dmDisplayOrientation, DMDO_90 | DMDO_270);
    m = Mode(DM_DISPLAYORIENTATION, 77);
    ASSERT_EQ(ChangeDisplaySettingsEx(nullptr, &m, nullptr, CDS_TEST, nullptr), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(m.dmDisplayOrientation, DMDO_0);

    m = Mode(DM_DISPLAYORIENTATION, DMDO_90);
    ASSERT_EQ(ChangeDisplaySettingsEx(nullptr, &m, nullptr, CDS_RESET, nullptr), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(backend->Orientation(), DMDO_90);
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(GetDeviceCaps(screen, HORZRES), 480);
    EXPECT_EQ(GetDeviceCaps(screen, VERTRES), 800);
    // The full-screen window follows the screen.
    EXPECT_EQ(Of(WM_SIZE), (std::vector<Call>{{WM_SIZE, SIZE_RESTORED, MAKELPARAM(480, 800)}}));
    m = Mode(DM_DISPLAYORIENTATION);
    ChangeDisplaySettingsEx(nullptr, &m, nullptr, CDS_TEST, nullptr);
    EXPECT_EQ(m.dmDisplayOrientation, DMDO_90);

    // 180 is not supported; 3 is no orientation; 0 always is.
    m = Mode(DM_DISPLAYORIENTATION, DMDO_180);
    EXPECT_EQ(ChangeDisplaySettingsEx(nullptr, &m, nullptr, CDS_RESET, nullptr), DISP_CHANGE_BADMODE);
    m = Mode(DM_DISPLAYORIENTATION, 3);
    EXPECT_EQ(ChangeDisplaySettingsEx(nullptr, &m, nullptr, CDS_RESET, nullptr), DISP_CHANGE_BADMODE);
    m = Mode(DM_DISPLAYORIENTATION, DMDO_0);
    EXPECT_EQ(ChangeDisplaySettingsEx(nullptr, &m, nullptr, CDS_RESET, nullptr), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(GetDeviceCaps(screen, HORZRES), 800);

    // Failures the host must see.
    backend->SetOrientationFails(true);
    m = Mode(DM_DISPLAYORIENTATION, DMDO_270);
    EXPECT_EQ(ChangeDisplaySettingsEx(nullptr, &m, nullptr, CDS_RESET, nullptr), DISP_CHANGE_FAILED);
    EXPECT_EQ(GetDeviceCaps(screen, HORZRES), 800);
    backend->SetSupportedOrientations(-1);
    m = Mode(DM_DISPLAYQUERYORIENTATION);
    EXPECT_EQ(ChangeDisplaySettingsEx(nullptr, &m, nullptr, CDS_TEST, nullptr), DISP_CHANGE_FAILED);
    m = Mode(DM_DISPLAYORIENTATION);
    m.dmSize = 20;
    EXPECT_EQ(ChangeDisplaySettingsEx(nullptr, &m, nullptr, CDS_TEST, nullptr), DISP_CHANGE_BADPARAM);
}

// A 16-bit buffer with a red top-left pixel, a green top-right and a blue bottom-left one.
void FillCorners(TDibIG& dib, int w, int h)
{
    ASSERT_TRUE(dib.Crea(w, h, 16));
    auto px = [&](int x, int y) { return reinterpret_cast<uint16_t*>(dib.Row(y)) + x; };
    *px(0, 0) = 0xF800;
    *px(w - 1, 0) = 0x07E0;
    *px(0, h - 1) = 0x001F;
    dib.Touch();
}

TEST_F(Window, PresentedFramesAreKeptAndWrittenAsPng)
{
    TDibIG dib;
    FillCorners(dib, 800, 480);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    ASSERT_TRUE(WinPresent(dc, dib, nullptr));
    EndPaint(hwnd, &ps);
    EXPECT_FALSE(WinPresent(reinterpret_cast<HDC>(uintptr_t(0x55)), dib, nullptr));

    ASSERT_EQ(backend->FrameCount(), 1u);
    const auto* f = backend->LastFrame();
    EXPECT_EQ(f->width, 800);
    EXPECT_EQ(f->Pixel(0, 0) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(f->Pixel(799, 0) & 0xFFFFFF, 0x00FF00u);
    EXPECT_EQ(f->Pixel(0, 479) & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(f->Pixel(1, 1) & 0xFFFFFF, 0u);

    testpaths::TempDir dir;
    ASSERT_TRUE(THeadlessBackend::WritePng(*f, dir / "frame.png"));
    TDibIGformat back;
    ASSERT_TRUE(back.Lee((dir / "frame.png").c_str()));
    EXPECT_EQ(back.Width(), 800);
    EXPECT_EQ(back.AbsHeight(), 480);
    EXPECT_EQ(reinterpret_cast<const uint16_t*>(back.Row(0))[0], 0xF800);
    EXPECT_EQ(reinterpret_cast<const uint16_t*>(back.Row(479))[0], 0x001F);
}

TEST_F(Window, FramesUnderARotationAreShownTurned)
{
    DEVMODEW m = Mode(DM_DISPLAYORIENTATION, DMDO_90);
    ASSERT_EQ(ChangeDisplaySettingsEx(nullptr, &m, nullptr, CDS_RESET, nullptr), DISP_CHANGE_SUCCESSFUL);
    TDibIG dib;
    FillCorners(dib, 480, 800); // painted upright in the logical size
    ASSERT_TRUE(WinPresent(GetDC(hwnd), dib, nullptr));
    const auto* f = backend->LastFrame();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->angle, 90);
    testpaths::TempDir dir;
    ASSERT_TRUE(THeadlessBackend::WritePng(*f, dir / "shown.png", true));
    TDibIGformat shown;
    ASSERT_TRUE(shown.Lee((dir / "shown.png").c_str()));
    ASSERT_EQ(shown.Width(), 800);
    ASSERT_EQ(shown.AbsHeight(), 480);
    // Turned clockwise: top-left goes to top-right, bottom-left to top-left.
    auto at = [&](int x, int y) { return reinterpret_cast<const uint16_t*>(shown.Row(y))[x]; };
    EXPECT_EQ(at(799, 0), 0xF800);
    EXPECT_EQ(at(0, 0), 0x001F);
    EXPECT_EQ(at(799, 479), 0x07E0);
}

TEST_F(Window, FrameStoreKeepsTheLatestFrames)
{
    backend->SetFrameLimit(3);
    TDibIG dib;
    ASSERT_TRUE(dib.Crea(4, 4, 32));
    for (int i = 0; i < 5; ++i)
        WinPresent(GetDC(hwnd), dib, nullptr);
    EXPECT_EQ(backend->FrameCount(), 5u);
    EXPECT_EQ(backend->Frames().size(), 3u);
}

TEST_F(Window, ScriptedInputBecomesWindowMessages)
{
    MoveWindow(hwnd, 100, 50, 800, 480, FALSE);
    calls.clear();
    backend->PointerDown(10, 20).After(100).PointerMove(-5, 30).PointerUp(-5, 30);
    backend->ButtonDown(1, 1, 2).ButtonUp(1, 1, 2).ButtonDown(2, 3, 4).ButtonUp(2, 3, 4);
    backend->Wheel(7, 8, -120).Key(VK_LEFT).Text("a\xC3\xA9").Message(5202, 9, 10);
    const uint32_t t0 = GetTickCount();
    EXPECT_TRUE(RunUntil(5202));
    EXPECT_EQ(backend->ScriptLeft(), 0u);
    const std::vector<Call> expected = {
        {WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 20)},
        {WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(-5, 30)},
        {WM_LBUTTONUP, 0, MAKELPARAM(-5, 30)},
        {WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(1, 2)},
        {WM_RBUTTONUP, 0, MAKELPARAM(1, 2)},
        {WM_MBUTTONDOWN, MK_MBUTTON, MAKELPARAM(3, 4)},
        {WM_MBUTTONUP, 0, MAKELPARAM(3, 4)},
        {WM_MOUSEWHEEL, MAKEWPARAM(0, -120), MAKELPARAM(107, 58)},
        {WM_KEYDOWN, VK_LEFT, 1},
        {WM_KEYUP, VK_LEFT, LPARAM(int32_t(0xC0000001u))},
        {WM_CHAR, 'a', 1},
        {WM_CHAR, 0xE9, 1},
        {5202, 9, 10},
    };
    std::vector<Call> got;
    for (const Call& c : calls)
        if (c.msg != WM_PAINT)
            got.push_back(c);
    ASSERT_EQ(got.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(got[i], expected[i]) << "message " << i;
    EXPECT_EQ(GET_X_LPARAM(got[1].lParam), -5);
    EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(got[7].wParam), -120);
    // The move came 100 ms of virtual time after the press.
    EXPECT_GE(GetTickCount() - t0, 100u);
}

TEST_F(Window, MessageBoxesSoundsAndTheCalibrationEntryAreRecorded)
{
    backend->AnswerMessageBoxes({IDNO});
    EXPECT_EQ(MessageBoxW(nullptr, u"Delete?", u"Orbeta", MB_YESNO), IDNO);
    EXPECT_EQ(MessageBoxW(nullptr, u"Really?", u"Orbeta", MB_YESNOCANCEL), IDYES);
    EXPECT_EQ(MessageBoxW(nullptr, u"Error", nullptr, MB_ICONHAND), IDOK);
    ASSERT_EQ(backend->MessageBoxes().size(), 3u);
    EXPECT_EQ(backend->MessageBoxes()[0].text, "Delete?");
    EXPECT_EQ(backend->MessageBoxes()[0].answer, IDNO);
    EXPECT_EQ(backend->MessageBoxes()[2].type, MB_ICONHAND);
    EXPECT_EQ(backend->MessageBoxes()[2].caption, "");

    EXPECT_TRUE(PlaySoundW(u"symbols\\sounds\\soundMessageBox.wav", nullptr, SND_ASYNC | SND_FILENAME));
    ASSERT_EQ(backend->Sounds().size(), 1u);
    EXPECT_EQ(backend->Sounds()[0].path, "symbols\\sounds\\soundMessageBox.wav");
    EXPECT_EQ(waveOutSetVolume(nullptr, 0x80008000u), MMSYSERR_NOERROR);
    DWORD volume = 0;
    waveOutGetVolume(nullptr, &volume);
    EXPECT_EQ(volume, 0x80008000u);
    EXPECT_EQ(WinGetBrightness(), -1);
    WinSetBrightness(150);
    EXPECT_EQ(WinGetBrightness(), 100);

    HMODULE core = LoadLibraryW(u"COREDLL.DLL");
    ASSERT_NE(core, nullptr);
    EXPECT_EQ(GetProcAddressW(core, u"Nothing"), nullptr);
    auto calibrate = reinterpret_cast<BOOL (*)()>(reinterpret_cast<void (*)()>(GetProcAddressW(core, u"TouchCalibrate")));
    ASSERT_NE(calibrate, nullptr);
    EXPECT_FALSE(calibrate());
    backend->SetTouchCalibrateResult(true);
    EXPECT_TRUE(calibrate());
    FreeLibrary(core);
    EXPECT_EQ(LoadLibraryW(u"aygshell.dll"), nullptr);
}

TEST_F(Window, TheLibraryClockAndClipboardGoThroughTheBackend)
{
    EXPECT_EQ(GetTickCountAdv(), GetTickCount());
    Sleep(250);
    EXPECT_EQ(GetTickCountAdv(), 1250u);
    ASSERT_TRUE(Clipboard_SetTextBuf("caf\xE9")); // Windows-1252
    std::string utf8;
    ASSERT_TRUE(backend->GetClipboardText(utf8));
    EXPECT_EQ(utf8, "caf\xC3\xA9");
    backend->SetClipboardText("\xC3\xBC" "ber");
    DString text;
    ASSERT_TRUE(Clipboard_GetTextBuf(text));
    EXPECT_STREQ(text.c_str(), "\xFC" "ber");
}

TEST(WinText, Utf16AndUtf8)
{
    EXPECT_EQ(WinToUtf8(u"a\u00E9\u20AC\U0001F600"), "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
    EXPECT_EQ(WinFromUtf8("a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"), u"a\u00E9\u20AC\U0001F600");
    EXPECT_EQ(WinToUtf8(nullptr), "");
    const char16_t lone[] = {0xD800, 'x', 0};
    EXPECT_EQ(WinToUtf8(lone), "\xEF\xBF\xBDx");
    EXPECT_EQ(WinFromUtf8("\xC3"), u"\uFFFD");        // cut short
    EXPECT_EQ(WinFromUtf8("\xC0\xAF"), u"\uFFFD");    // overlong
    EXPECT_EQ(WinFromUtf8("\xFF" "a"), u"\uFFFD" "a");
}

} // namespace
