// Screen modes, the walk to the next orientation, the UI scale and the skin
// reload after a scale change, capability queries and the other platform
// operations.
#include "host_fixture.h"

#include <cmath>

#include "support/TestPaths.h"

namespace host {
namespace {

std::vector<LONG> Rect(HWND window)
{
    RECT r = {};
    GetWindowRect(window, &r);
    return {r.left, r.top, r.right, r.bottom};
}

TEST_F(HostTest, ScreenModesPlaceTheWindow)
{
    struct Case {
        const char* what;
        int mode;
        int fixedWidth, fixedHeight, fixedLeft, fixedTop;
        std::vector<LONG> rect;
        bool visible, topmost;
    } cases[] = {
        {"window", 1, 0, 0, -1, -1, {100, 50, 500, 350}, true, false},
        {"window, fixed size", 2, 320, 240, -1, -1, {100, 50, 420, 290}, true, false},
        {"window, fixed place", 1, 0, 0, 10, 20, {10, 20, 410, 320}, true, false},
        {"full screen", 3, 0, 0, -1, -1, {0, 0, 800, 480}, true, false},
        {"full screen, fixed size and place", 3, 640, 400, 30, 40, {30, 40, 670, 440}, true, false},
        {"hidden", 4, 0, 0, -1, -1, {100, 50, 500, 350}, false, false},
        {"topmost window", 5, 320, 0, -1, 5, {100, 5, 420, 305}, true, true},
        {"unknown mode", 9, 320, 240, 0, 0, {100, 50, 500, 350}, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        HostOptions o;
        o.fixedWidth = c.fixedWidth;
        o.fixedHeight = c.fixedHeight;
        o.fixedLeft = c.fixedLeft;
        o.fixedTop = c.fixedTop;
        RecordingHost& h = Start(o);
        // The window as the user left it.
        MoveWindow(h.Window(), 100, 50, 400, 300, TRUE);
        ShowWindow(h.Window(), SW_SHOWNORMAL);
        h.SetScreenMode(c.mode, 1);
        EXPECT_EQ(c.mode, h.screenMode);
        EXPECT_EQ(2, h.PreviousScreenMode());
        EXPECT_EQ(c.rect, Rect(h.Window()));
        EXPECT_EQ(c.visible, backend->Visible());
        EXPECT_EQ(c.topmost, backend->Topmost());
        if (c.mode == 3) {
            EXPECT_EQ((LONG)0x90000080, GetWindowLongW(h.Window(), GWL_STYLE));
        }
    }
}

TEST_F(HostTest, TheSameModeWithoutForceDoesNothing)
{
    RecordingHost& h = Start();  // mode 2
    h.SetScreenMode(3, 0);
    MoveWindow(h.Window(), 10, 10, 100, 100, TRUE);
    h.SetScreenMode(3, 0);
    EXPECT_EQ(2, h.PreviousScreenMode());
    EXPECT_EQ((std::vector<LONG>{10, 10, 110, 110}), Rect(h.Window()));
    h.SetScreenMode(3, 1);
    EXPECT_EQ(3, h.PreviousScreenMode());
    EXPECT_EQ((std::vector<LONG>{0, 0, 800, 480}), Rect(h.Window()));
}

TEST_F(HostTest, ConstructionAppliesTheModeAndTheScale)
{
    struct Case {
        int mode;
        int startMode;
    } modes[] = {{0, 2}, {4, 2}, {1, 1}, {3, 3}, {5, 5}};
    for (const Case& c : modes) {
        SCOPED_TRACE(c.mode);
        HostOptions o;
        o.mode = c.mode;
        RecordingHost& h = Start(o);
        EXPECT_EQ(c.startMode, h.screenMode);
        EXPECT_EQ(0, h.PreviousScreenMode());
        EXPECT_EQ(800, h.ScreenWidth());
        EXPECT_EQ(480, h.ScreenHeight());
        EXPECT_EQ(1, h.modalLoopAvailable);
    }

    // Configured scale, screen density -> scale after construction and after a
    // size change (the same: a size change keeps what construction chose).
    struct Scale {
        float configured;
        int dpi;
        float scale;
        bool byDensity, bySide;
    } scales[] = {
        {2.0f, 96, 2.0f, false, false},
        {1.5f, 96, 1.5f, false, false},
        {0.0f, 192, 2.0f, false, false},
        {0.0f, 144, 1.5f, false, false},
        {0.0f, 72, 1.0f, false, false},  // never below 1.0
        {-1.0f, 192, 2.0f, true, false}, // the engine's density scaling
        {-2.0f, 96, 2.0f, false, true},  // 480 / 240
        {-7.0f, 96, 1.0f, false, false}, // nothing to scale by
    };
    for (const Scale& s : scales) {
        SCOPED_TRACE(s.configured);
        HostOptions o;
        o.scale = s.configured;
        o.dpi = s.dpi;
        RecordingHost& h = Start(o);
        EXPECT_FLOAT_EQ(s.scale, h.skinSettings.uiScale);
        EXPECT_EQ(s.byDensity, h.skinSettings.dpiScale != 0);
        EXPECT_EQ(s.bySide, h.skinSettings.sizeScale != 0);
        MoveWindow(h.Window(), 0, 0, 640, 480, TRUE);
        EXPECT_FLOAT_EQ(s.scale, h.skinSettings.uiScale);
    }
}

TEST_F(HostTest, HardwareKeyboardByKindAndScreen)
{
    struct Case {
        int kind, width, height;
        bool keyboard;
    } cases[] = {
        {0, 240, 240, true}, {0, 240, 320, false}, {0, 800, 480, false},
        {2, 800, 480, true}, {1, 240, 240, false}, {3, 240, 240, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.kind) + " " + std::to_string(c.width) + "x" + std::to_string(c.height));
        HostOptions o;
        o.width = c.width;
        o.height = c.height;
        o.keyboardKind = c.kind;
        RecordingHost& h = Start(o);
        EXPECT_EQ(c.keyboard, h.HasHardwareKeyboard());
        EXPECT_EQ(0, h.HasHardwareKeyboardMultiplexed());
        EXPECT_EQ(0, h.InputPanelHandler(nullptr, 0));
        EXPECT_EQ(1, h.HasHardwareMouse());
        EXPECT_EQ(1, h.HasHardwareMouseTouchScreen());
        EXPECT_EQ(0, h.HasHardwareMouseTouchScreenDouble());
        EXPECT_EQ(1, h.CanCalibrateTouchScreen());
    }
}

TEST_F(HostTest, OrientationWalksToTheNextSupportedOne)
{
    // Supported set (DMDO bits), requests in turn -> (result, value given back,
    // angle) after each.
    struct Step {
        int requested;
        bool result;
        int value;
        int angle;
    };
    struct Case {
        const char* what;
        int supported;
        std::vector<Step> steps;
    } cases[] = {
        {"all four", DMDO_90 | DMDO_180 | DMDO_270,
         {{-1, true, 1, 90}, {-1, true, 2, 180}, {-1, true, 4, 270}, {-1, true, 0, 0}}},
        {"only 180", DMDO_180, {{-1, true, 2, 180}, {-1, true, 0, 0}}},
        {"none but 0", 0, {{-1, true, -1, 0}}},
        {"unknown bits only", 8 | 16 | 32, {{-1, true, -1, 0}}},
        {"asked for", DMDO_90 | DMDO_180 | DMDO_270, {{4, true, 4, 270}, {4, true, 4, 270}, {0, true, 0, 0}}},
        {"query fails", -1, {{-1, false, -1, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RecordingHost& h = Start();
        backend->SetSupportedOrientations(c.supported);
        for (const Step& s : c.steps) {
            int requested = s.requested;
            int current = 99;
            const int before = (int)backend->Orientation();
            EXPECT_EQ(s.result, h.SetScreenOrientation(requested, current));
            EXPECT_EQ(before, current);
            EXPECT_EQ(s.value, requested);
            EXPECT_EQ(s.angle, h.skinSettings.screenRotation);
        }
    }
}

TEST_F(HostTest, AnOrientationChangeGoesFullScreenAndTurnsTheScreen)
{
    RecordingHost& h = Start();  // mode 2
    int requested = DMDO_90, current = -1;
    ASSERT_TRUE(h.SetScreenOrientation(requested, current));
    EXPECT_EQ(3, h.screenMode);
    EXPECT_EQ(2, h.PreviousScreenMode());
    EXPECT_EQ(90, h.skinSettings.screenRotation);
    // The logical screen is turned: the full-screen window and the engine follow.
    EXPECT_EQ(480, h.ScreenWidth());
    EXPECT_EQ(800, h.ScreenHeight());

    // A change that fails gives back the value tried and changes nothing.
    backend->SetOrientationFails(true);
    requested = -1;
    EXPECT_FALSE(h.SetScreenOrientation(requested, current));
    EXPECT_EQ(DMDO_90, current);
    EXPECT_EQ((int)DMDO_180, requested);
    EXPECT_EQ(90, h.skinSettings.screenRotation);
    EXPECT_EQ(DMDO_90, backend->Orientation());
}

TEST_F(HostTest, OrientationCallbackGetsTheAngle)
{
    RecordingHost& h = Start();
    static std::vector<int> angles;
    angles.clear();
    h.callbacks.orientation = [](void*, int angle, int value) { angles.push_back(angle * 10 + value); };
    EXPECT_EQ(1, h.NotifyOrientationChanged(270, 1));
    EXPECT_EQ((std::vector<int>{2701}), angles);
    h.callbacks.orientation = nullptr;
    EXPECT_EQ(1, h.NotifyOrientationChanged(90, 0));
}

// A page that counts its reloads.
class ReloadPage : public LogPage {
public:
    using LogPage::LogPage;
    void Reload() override
    {
        ++reloads;
        LogPage::Reload();
    }
    int reloads = 0;
};

TEST_F(HostTest, AScaleChangeResizesTheWindowAndReloadsTheSkin)
{
    HostOptions o;
    o.mode = 1;
    RecordingHost& h = Start(o);
    h.skinsFolder = testpaths::Fixture("skins").c_str();
    DString name("fixture"), error;
    ASSERT_TRUE(h.LoadSkin(name, "", "", "", error)) << error.c_str();
    std::vector<std::string> log;
    ReloadPage page(&h, "page", &log);
    h.OpenPage(&page);
    MoveWindow(h.Window(), 20, 10, 400, 240, TRUE);

    // Mode 1: the window grows by the ratio of the scales, its corner kept.
    h.SetScreenScale(2.0f);
    EXPECT_FLOAT_EQ(2.0f, h.skinSettings.uiScale);
    EXPECT_EQ((std::vector<LONG>{20, 10, 820, 490}), Rect(h.Window()));
    EXPECT_EQ(1, page.reloads);
    EXPECT_EQ("fixture", std::string(h.skinSettings.skinName.c_str()));

    // The same scale again: nothing.
    h.SetScreenScale(2.0f);
    EXPECT_EQ(1, page.reloads);

    // 2.0 to 3.0 grows by half, back to 1.0 shrinks by three.
    h.SetScreenScale(3.0f);
    EXPECT_EQ((std::vector<LONG>{20, 10, 1220, 730}), Rect(h.Window()));
    h.SetScreenScale(1.0f);
    EXPECT_EQ((std::vector<LONG>{20, 10, 420, 250}), Rect(h.Window()));
    EXPECT_FLOAT_EQ(1.0f, h.skinSettings.uiScale);
    EXPECT_EQ(3, page.reloads);

    // Below 1.0 a scaled window stays at its unscaled size.
    h.SetScreenScale(0.5f);
    EXPECT_FLOAT_EQ(1.0f, h.skinSettings.uiScale);
    EXPECT_EQ(3, page.reloads);

    // A later size change keeps the scale set last.
    h.SetScreenScale(2.0f);
    MoveWindow(h.Window(), 0, 0, 300, 200, TRUE);
    EXPECT_FLOAT_EQ(2.0f, h.skinSettings.uiScale);
    EXPECT_TRUE(ProcessEnds().empty());
    EXPECT_TRUE(backend->MessageBoxes().empty());
    h.pages.RemoveAll();
}

TEST_F(HostTest, ScaleZeroIsTheScreenDensityAndBrokenScalesAreRefused)
{
    HostOptions o;
    o.dpi = 144;
    RecordingHost& h = Start(o);  // mode 2: the window keeps its size
    h.SetScreenScale(0.0f);
    EXPECT_FLOAT_EQ(144.0f, h.skinSettings.screenDpi);
    EXPECT_FLOAT_EQ(1.5f, h.skinSettings.uiScale);
    EXPECT_EQ((std::vector<LONG>{0, 0, 800, 480}), Rect(h.Window()));

    // A density below the design density gives 1.0.
    h.density = 72;
    h.SetScreenScale(0.0f);
    EXPECT_FLOAT_EQ(1.0f, h.skinSettings.uiScale);

    // Outside the window modes a small scale is kept.
    h.SetScreenScale(0.75f);
    EXPECT_FLOAT_EQ(0.75f, h.skinSettings.uiScale);

    for (float bad : {-1.0f, -0.0001f, NAN, INFINITY}) {
        h.SetScreenScale(bad);
        EXPECT_FLOAT_EQ(0.75f, h.skinSettings.uiScale) << bad;
    }

    // No design density to divide by: 1.0.
    h.skinSettings.designDpi = 0.0f;
    h.SetScreenScale(0.0f);
    EXPECT_FLOAT_EQ(1.0f, h.skinSettings.uiScale);
}

TEST_F(HostTest, TouchCalibrationTouchesTheRegistryOnlyWhenItWorked)
{
    RecordingHost& h = Start();
    HKEY key = nullptr;
    backend->SetTouchCalibrateResult(false);
    EXPECT_EQ(0, h.TouchCalibrate());
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"Hardware\\Devicemap\\Touch", 0, KEY_ALL_ACCESS, &key));

    backend->SetTouchCalibrateResult(true);
    EXPECT_EQ(1, h.TouchCalibrate());
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"Hardware\\Devicemap\\Touch", 0, KEY_ALL_ACCESS, &key));
    RegCloseKey(key);
}

TEST_F(HostTest, MessageBoxTerminateAndClipboard)
{
    RecordingHost& h = Start();
    backend->AnswerMessageBoxes({IDOK, 0});
    EXPECT_TRUE(h.ShowMessageBox("Error loading pageX", "Orbeta"));
    EXPECT_FALSE(h.ShowMessageBox("second", "box"));
    h.MessageBox("third", nullptr);
    ASSERT_EQ(3u, backend->MessageBoxes().size());
    EXPECT_EQ("Error loading pageX", backend->MessageBoxes()[0].text);
    EXPECT_EQ("Orbeta", backend->MessageBoxes()[0].caption);
    EXPECT_EQ(MB_ICONHAND, backend->MessageBoxes()[0].type);
    EXPECT_EQ("", backend->MessageBoxes()[2].caption);

    // Terminate ends the process with -1 (here the hook records it).
    h.Terminate();
    EXPECT_EQ((std::vector<int>{-1}), ProcessEnds());
    EXPECT_EQ(1, h.quit);

    h.SetClipboardText("Plaza Mayor 1");
    EXPECT_EQ("Plaza Mayor 1", std::string(h.GetClipboardText().c_str()));
    h.SetClipboardText(nullptr);
    EXPECT_EQ("", std::string(h.GetClipboardText().c_str()));
}

TEST(HostProcessEnd, TerminateEndsTheProcessWithMinusOne)
{
    EXPECT_EXIT(
        {
            WinUseBackend(std::make_unique<THeadlessBackend>(320, 240));
            TPDAUIEngineWinCE h(nullptr, "OrbetaEndTest", "Orbeta", 2, 0, 1.0f, 0, 0, -1, -1, 1);
            h.Terminate();
        },
        ::testing::ExitedWithCode(255), "");
}

} // namespace
} // namespace host
