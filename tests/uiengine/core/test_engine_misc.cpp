// Engine construction, timers, resize, sounds, keys and posted commands.
#include <gtest/gtest.h>

#include <cstring>
#include <iterator>

#include "enginelib/base/TRelojTierra.h"
#include "support/TestPaths.h"
#include "test_engine_doubles.h"

namespace {

TEST(EngineObject, DefaultsAndTheProcessWideSettings)
{
    {
        TestEngine engine;
        EXPECT_EQ(&engine.skinSettings, TPDAUIEngineSkinSettings::Current());
        EXPECT_EQ(0, engine.quit);
        EXPECT_EQ(1, engine.screenMode);
        EXPECT_EQ(1, engine.soundsEnabled);
        EXPECT_EQ(600, engine.longPressTime);
        EXPECT_EQ(1, engine.appVisible);
        EXPECT_TRUE(engine.IsAppVisible());
        EXPECT_EQ(1, engine.contextMenuOnSecondaryPress);
        EXPECT_EQ(-1, engine.appSettingA);
        EXPECT_EQ(1, engine.flagMemberE);
        EXPECT_EQ(5, engine.pages.Capacity());
        EXPECT_FALSE(engine.pages.IsOwning());
        EXPECT_EQ(10, engine.pointerTrail.Capacity());
        EXPECT_EQ(nullptr, engine.callbacks.userData);
        EXPECT_EQ(nullptr, engine.callbacks.orientation);
        EXPECT_EQ(440, engine.skinSettings.requiredVersion);
        EXPECT_STREQ("commonContextMenuAnimation",
                     engine.skinSettings.commonImages[26].c_str());
        const char* layouts =
            "@ABCDEFGHIJKLMNOPQRSTUVWXYZ|@QWERTYUIOP ASDFGHJKL ZXCVBNM|"
            "@AZERTYUIOP QSDFGHJKLM WXCVBN|#7894561230-+|!0123456789-.,;=?\xBF!\"()\\/%$#@_+";
        EXPECT_STREQ(layouts, engine.keyboardLayouts.c_str());
        EXPECT_EQ((int)std::strlen(layouts), engine.keyboardLayouts.Length());
    }
    EXPECT_EQ(nullptr, TPDAUIEngineSkinSettings::Current());
    EXPECT_FLOAT_EQ(1.0f, TPDAUIEngineSkinSettings::CurrentScale());
}

TEST(EngineObject, DestructorRemovesTheClockCallback)
{
    static int ticks;
    ticks = 0;
    struct ClockEngine : TestEngine {
        void OnClockTick() override { ++ticks; }
    };
    {
        ClockEngine engine;
        engine.InstallClockCallback();
        TRelojTierra::Dispara();
        EXPECT_EQ(1, ticks);
    }
    TRelojTierra::Dispara();
    EXPECT_EQ(1, ticks);
}

TEST(EngineObject, TickCountRunsOnAcrossTheSystemWrap)
{
    TestEngine engine;
    engine.SetSystemTick(0xFFFFFFF0u);
    const int before = engine.GetTickCount();
    engine.Skip(100);
    EXPECT_EQ(before + 100, engine.GetTickCount());
}

// ---- Timers ------------------------------------------------------------------------------

class TimerTest : public ::testing::Test {
protected:
    TimerTest() : page(&engine, "pageTimers", &log)
    {
        a = page.Add(new RecElement("tmrA", 0, 0, 10, 10, &log));
        b = page.Add(new RecElement("tmrB", 20, 0, 10, 10, &log));
        engine.OpenPage(&page);
    }
    ~TimerTest() override { engine.pages.RemoveAll(); }

    TestEngine engine;
    EventLog log;
    RecPage page;
    RecElement* a;
    RecElement* b;
};

TEST_F(TimerTest, StartAndStopKeepThePageList)
{
    a->timerInterval = 100;
    engine.StartTimer(a);
    engine.StartTimer(a);  // already running: nothing
    ASSERT_EQ(1, page.runningTimers.Count());
    EXPECT_EQ(a->numericId, page.runningTimers[0]);
    EXPECT_EQ(1, a->timerRunning);
    EXPECT_EQ(engine.Now(), a->timerStart);
    EXPECT_EQ(engine.Now(), a->lastTick);

    engine.StopTimer(a);
    EXPECT_EQ(0, page.runningTimers.Count());
    EXPECT_EQ(0, a->timerRunning);
    EXPECT_EQ(0, a->lastTick);
    engine.StopTimer(a);  // not running: nothing
}

TEST_F(TimerTest, TimerFiresAfterItsIntervalWithThePassTime)
{
    a->timerInterval = 100;
    engine.StartTimer(a);
    const int start = engine.Now();
    engine.Advance(99);
    EXPECT_EQ(0, a->ticks);
    engine.Advance(1000);
    // Window-timer ticks every 50 ms; a tick fires once more than 100 ms passed.
    EXPECT_GE(a->ticks, 6);
    EXPECT_LE(a->ticks, 10);
    EXPECT_EQ(a->lastTick, engine.lastTimerPass);
    EXPECT_GT(a->lastTick, start);
}

TEST_F(TimerTest, PassesAreThrottledTo10Ms)
{
    a->timerInterval = 1;
    engine.StartTimer(a);
    engine.Skip(20);
    engine.ProcessTimers();
    EXPECT_EQ(1, a->ticks);
    engine.Skip(9);
    engine.ProcessTimers();
    EXPECT_EQ(1, a->ticks);
    engine.Skip(1);
    engine.ProcessTimers();
    EXPECT_EQ(2, a->ticks);
}

TEST_F(TimerTest, TimersOfAPageThatStartsClosingStopAtOnce)
{
    RecPage bottom(&engine, "pageBottom");
    engine.pages.Insert(&bottom, 0);
    a->timerInterval = 10;
    b->timerInterval = 10;
    a->onTick = [](RecElement* e) { e->page->Close(0); };
    page.keepAfterClose = 1;
    engine.StartTimer(a);
    engine.StartTimer(b);
    engine.Skip(30);
    engine.ProcessTimers();
    EXPECT_EQ(1, a->ticks);
    EXPECT_EQ(0, b->ticks);
    EXPECT_EQ(1, page.closing);
    engine.Skip(30);
    engine.ProcessTimers();  // the pass removes the page first
    EXPECT_EQ(0, b->ticks);
    EXPECT_EQ(1, engine.GetPageCount());
}

TEST_F(TimerTest, TimersStartedAndStoppedDuringThePassAreSafe)
{
    static RecElement* other;
    other = b;
    a->timerInterval = 10;
    b->timerInterval = 10;
    a->onTick = [](RecElement* e) { e->engine->StopTimer(other); e->engine->StopTimer(e); };
    engine.StartTimer(a);
    engine.StartTimer(b);
    engine.Skip(30);
    engine.ProcessTimers();
    EXPECT_EQ(1, a->ticks);
    EXPECT_EQ(0, b->ticks);
    EXPECT_EQ(0, page.runningTimers.Count());
}

// A page shown inside an element of a stack page has its element timers run
// with those of the page holding it, and not while that page is off the stack.
TEST_F(TimerTest, TimersOfANestedPageRunWithThePageHoldingIt)
{
    auto* inner = new RecPage(&engine, "pageInner");
    RecElement* c = inner->Add(new RecElement("tmrC", 0, 0, 10, 10, &log));
    engine.OpenPage(inner, &page);  // the page's box owns it from now on
    ASSERT_EQ(&page, inner->GetPage());
    c->timerInterval = 10;
    engine.StartTimer(c);
    ASSERT_EQ(1, inner->runningTimers.Count());
    engine.Skip(30);
    engine.ProcessTimers();
    EXPECT_EQ(1, c->ticks);

    engine.pages.RemoveAll();  // the holding page leaves the stack
    engine.Skip(30);
    engine.ProcessTimers();
    EXPECT_EQ(1, c->ticks);
    engine.pages.Add(&page);
    engine.Skip(30);
    engine.ProcessTimers();
    EXPECT_EQ(2, c->ticks);
}

// ---- Resize and the input panel -------------------------------------------------------------

TEST(EngineResize, AutomaticScale)
{
    struct Case {
        int w, h;
        bool dpiFlag, sizeFlag;
        float dpi;
        float scale;
    } cases[] = {
        {240, 320, true, false, 192.0f, 1.0f},   // small screens stay at 1.0
        {480, 640, true, false, 144.0f, 1.5f},
        {480, 640, true, false, 500.0f, 2.5f},
        {480, 640, true, false, 72.0f, 1.0f},
        {480, 800, false, true, 96.0f, 2.0f},
        {1200, 1200, false, true, 96.0f, 2.5f},
        {240, 320, false, true, 96.0f, 1.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.w << "x" << c.h);
        TestEngine engine;
        engine.skinSettings.dpiScale = c.dpiFlag;
        engine.skinSettings.sizeScale = c.sizeFlag;
        engine.skinSettings.screenDpi = c.dpi;
        engine.OnResize(0, 0, c.w, c.h);
        EXPECT_FLOAT_EQ(c.scale, engine.skinSettings.uiScale);
        EXPECT_EQ(c.w, engine.skinSettings.screenWidth);
        EXPECT_EQ(c.h < c.w, engine.skinSettings.landscape != 0);
        EXPECT_EQ(c.w, engine.Buffer().Width());
    }
}

TEST(EngineResize, SkinCompilingKeepsTheScaleAndFixedSizesWin)
{
    TestEngine engine;
    engine.skinSettings.sizeScale = 1;
    engine.skinCompiling = 1;
    engine.OnResize(0, 0, 480, 800);
    EXPECT_FLOAT_EQ(1.0f, engine.skinSettings.uiScale);

    engine.fixedScreenWidth = 320;
    engine.fixedScreenHeight = 240;
    engine.OnResize(5, 6, 1000, 1000);
    EXPECT_EQ(320, engine.skinSettings.screenWidth);
    EXPECT_EQ(240, engine.skinSettings.screenHeight);
    EXPECT_EQ(5, engine.skinSettings.windowX);
    engine.OnResize(0, 0, 0, 0);  // ignored
    EXPECT_EQ(5, engine.skinSettings.windowX);
}

TEST(EngineResize, PagesTakeTheScreenAndHearOfIt)
{
    static int geometryCalls;
    geometryCalls = 0;
    TestEngine engine;
    engine.callbacks.windowGeometry = [](void*, int mode, int x, int y, int w, int h) {
        ++geometryCalls;
        EXPECT_EQ(640, w);
    };
    RecPage full(&engine, "pageFull");
    RecPage dialog(&engine, "pageDialog");
    dialog.maximumWidth = 200;
    dialog.maximumHeight = 100;
    engine.OpenPage(&full);
    engine.OpenPage(&dialog);
    EventLog log;
    RecElement popup("lstPopup", 0, 0, 10, 10, &log);
    dialog.popups.Add(&popup);

    engine.OnResize(0, 0, 640, 400);
    EXPECT_EQ(640, full.width);
    EXPECT_EQ(400, full.height);
    EXPECT_EQ(1, full.CountReceived("pageSizeChanged"));
    EXPECT_EQ(0, dialog.CountReceived("pageSizeChanged"));
    EXPECT_EQ(220, dialog.left);  // centred again
    EXPECT_EQ(0, dialog.popups.Count());
    EXPECT_EQ(1, geometryCalls);
    engine.pages.RemoveAll();
}

TEST(EngineResize, InputPanelShrinksAndRestoresTheScreen)
{
    TestEngine engine(800, 480);
    engine.OnSipChanged(true, 100);
    EXPECT_EQ(380, engine.skinSettings.screenHeight);
    EXPECT_EQ(1, engine.sipShown);
    EXPECT_EQ(1, engine.sipSizeLocked);
    engine.OnResize(0, 0, 300, 300);  // locked meanwhile
    EXPECT_EQ(800, engine.skinSettings.screenWidth);
    engine.OnSipChanged(false, 100);
    EXPECT_EQ(480, engine.skinSettings.screenHeight);
    EXPECT_EQ(0, engine.sipShown);
    EXPECT_EQ(0, engine.sipSizeLocked);
    EXPECT_EQ(0, engine.sipOrientationLocked);
}

// ---- Sounds, translation, application forwards -----------------------------------------------

struct SoundLog {
    std::vector<std::string> played;
    int muted = 0;
};

TEST(EngineSound, PlaysWhenEnabledOrNamedSoundUnlessMuted)
{
    testpaths::TempDir dir;
    SoundLog sounds;
    TestEngine engine;
    engine.soundsFolder = dir.path().c_str();
    engine.callbacks.userData = &sounds;
    engine.callbacks.playSound = [](void* u, const char* path, int) {
        static_cast<SoundLog*>(u)->played.push_back(path);
    };
    engine.callbacks.getSoundMute = [](void* u) { return static_cast<SoundLog*>(u)->muted; };

    struct Case {
        const char* name;
        int enabled;
        int muted;
        bool plays;
    } cases[] = {
        {"click", 1, 0, true},     {"click", 0, 0, false},   {"soundAlarm", 0, 0, true},
        {"soundAlarm", 1, 1, false}, {"", 1, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sounds.played.clear();
        engine.soundsEnabled = c.enabled;
        sounds.muted = c.muted;
        engine.PlaySound(c.name, 0);
        ASSERT_EQ(c.plays ? 1u : 0u, sounds.played.size());
        if (c.plays) {
            EXPECT_EQ(dir.path() + "\\" + c.name + ".wav", sounds.played[0]);
        }
    }
    // An existing file is played as it is.
    const std::string file = dir / "beep.wav";
    FILE* f = fopen(file.c_str(), "wb");
    fclose(f);
    sounds.played.clear();
    engine.soundsEnabled = 1;
    engine.PlaySound(file.c_str(), 0);
    ASSERT_EQ(1u, sounds.played.size());
    EXPECT_EQ(file, sounds.played[0]);

    engine.callbacks.playSound = nullptr;
    engine.PlaySound("click", 0);  // no callback: nothing
}

TEST(EngineForwards, NullCallbacksGiveNeutralAnswers)
{
    TestEngine engine;
    EXPECT_EQ(0, engine.GetSoundVolume());
    EXPECT_EQ(0, engine.GetSoundMute());
    EXPECT_EQ(0, engine.GetBrightness());
    EXPECT_EQ(0, engine.InputComboBox(nullptr));
    EXPECT_EQ(0, engine.ShowContextMenu(nullptr, 1, 2));
    EXPECT_EQ(0, engine.ShowInputPanel(nullptr));
    EXPECT_EQ(0, engine.sipShown);
    EXPECT_STREQ("{H530}", engine.TranslateText("{H530}").c_str());
    engine.SetSoundVolume(1);
    engine.SetBrightness(1);
    engine.SaveWindowGeometry();
    EXPECT_FALSE(engine.UseOpenGL());
}

TEST(EngineForwards, TranslateAndInputPanel)
{
    TestEngine engine;
    engine.callbacks.translate = [](void*, DString* text, int mode) {
        text->Sustituye("{H530}", "Cancel");
        return mode;
    };
    EXPECT_STREQ("Cancel now", engine.TranslateText("{H530} now").c_str());
    DString inPlace("{H530}");
    EXPECT_EQ(0, engine.TranslateLanguageIds(inPlace));
    EXPECT_STREQ("Cancel", inPlace.c_str());

    engine.callbacks.textInput = [](void*, TPDAUIEngineElement*) { return 1; };
    EXPECT_EQ(1, engine.ShowInputPanel(nullptr));
    EXPECT_EQ(1, engine.sipShown);
    engine.HideInputPanel();
    EXPECT_EQ(0, engine.sipShown);
}

TEST(EngineForwards, OpenGLFollowsTheTopPagesThenTheSetting)
{
    struct GLPage : RecPage {
        using RecPage::RecPage;
        int wants = 0;
        int RequiresOpenGL() override { return wants; }
    };
    TestEngine engine;
    GLPage bottom(&engine, "pageMap");
    GLPage top(&engine, "pageDialog");
    top.maximumWidth = 100;
    engine.OpenPage(&bottom);
    engine.OpenPage(&top);
    engine.Frame();
    bool setting = true;
    engine.skinSettings.openGLSetting = &setting;
    EXPECT_TRUE(engine.UseOpenGL());
    bottom.wants = -1;
    EXPECT_FALSE(engine.UseOpenGL());
    top.wants = 1;
    EXPECT_TRUE(engine.UseOpenGL());
    engine.pages.RemoveAll();
}

// ---- Keys ---------------------------------------------------------------------------------

TEST(EngineKeys, KeysReachTheFocusedElementOnceEnabled)
{
    TestEngine engine;
    EventLog log;
    RecPage page(&engine, "pageKeys", &log);
    RecElement* edit = page.Add(new RecElement("edtName", 0, 0, 100, 30, &log));
    edit->isFocusable = 1;
    engine.OpenPage(&page);
    page.SetFocus(edit, false);
    log.Clear();

    engine.keysEnabled = 0;
    EXPECT_FALSE(engine.OnKeyDown(65));
    EXPECT_EQ(0, engine.keysManager.pressedKeys.Count());
    EXPECT_TRUE(log.lines.empty());

    engine.keysEnabled = 1;
    edit->handlesKeys = 1;
    engine.KeyDown(65);
    EXPECT_TRUE(log.Has("edtName:keydown 65,0 0"));
    EXPECT_EQ(edit, page.keyDownElement);
    engine.Advance(120);
    engine.KeyUp(65);
    EXPECT_TRUE(log.Has("edtName:keyup 65,120 0"));
    EXPECT_EQ(nullptr, page.keyDownElement);
    EXPECT_EQ(0, engine.keysManager.pressedKeys.Count());
    engine.pages.RemoveAll();
}

TEST(EngineKeys, F11TogglesTheScreenModeAndRotationTurnsArrows)
{
    TestEngine engine;
    EventLog log;
    RecPage page(&engine, "pageKeys", &log);
    RecElement* edit = page.Add(new RecElement("edtName", 0, 0, 100, 30, &log));
    edit->isFocusable = 1;
    engine.OpenPage(&page);
    page.SetFocus(edit, false);
    engine.Key(122);
    ASSERT_EQ(1u, engine.screenModes.size());
    EXPECT_EQ(3, engine.screenMode);
    engine.Key(122);
    EXPECT_EQ(1, engine.screenMode);

    engine.skinSettings.screenRotation = 90;
    log.Clear();
    engine.KeyDown(40);  // down arrow reaches elements as left
    EXPECT_TRUE(log.Has("edtName:keydown 37,0 0"));
    engine.KeyUp(40);
    engine.pages.RemoveAll();
}

TEST(EngineKeys, PressDefinitionFiresAtTheKeyDownAndConsumesThePress)
{
    TestEngine engine;
    EventLog log;
    RecPage page(&engine, "pageMap", &log);
    RecElement* edit = page.Add(new RecElement("edtName", 0, 0, 100, 30, &log));
    edit->isFocusable = 1;
    engine.OpenPage(&page);
    page.SetFocus(edit, false);
    TPDAUIEngineKeysManager::TKeyDefinition def;
    def.key = 13;
    def.when = TPDAUIEngineKeysManager::Press;
    def.command = "zoomIn";
    engine.keysManager.definitions.Add(def);

    EXPECT_TRUE(engine.OnKeyDown(13));
    EXPECT_EQ(1, page.CountReceived("zoomIn"));
    EXPECT_EQ(0, log.Count("edtName:keydown"));
    engine.OnChar(13);
    engine.OnKeyUp(13);
    EXPECT_EQ(0, log.Count("edtName:keyup"));
    EXPECT_EQ(1, page.CountReceived("zoomIn"));
    engine.pages.RemoveAll();
}

// ---- Posted commands ------------------------------------------------------------------------

struct AppCommands {
    std::vector<std::string> names;
    std::vector<intptr_t> data;
};

class PostedTest : public ::testing::Test {
protected:
    PostedTest() : page(&engine, "pagePosted", &log)
    {
        engine.callbacks.userData = &app;
        engine.callbacks.uiCommand = [](void* u, const char* name, const char*, int, uint8_t*,
                                        intptr_t data) {
            static_cast<AppCommands*>(u)->names.push_back(name);
            static_cast<AppCommands*>(u)->data.push_back(data);
        };
        item = page.Add(new RecElement("lstItem", 0, 0, 10, 10, &log));
        engine.OpenPage(&page);
    }
    ~PostedTest() override { engine.pages.RemoveAll(); }

    TestEngine engine;
    EventLog log;
    AppCommands app;
    RecPage page;
    RecElement* item;
};

TEST_F(PostedTest, ElementCommandsReachTheElementByNumericId)
{
    DString name = TPDAUIEngineCommand::MakeElementCommandName(item->numericId, "select");
    engine.PostCommand(TPDAUIEngineCommand(nullptr, name.c_str()));
    engine.PostCommand(TPDAUIEngineCommand(nullptr, "PDAUIEngineElement:999999:select"));
    engine.DispatchPostedCommands();
    EXPECT_TRUE(log.Has("lstItem:command select"));
    EXPECT_EQ(1, log.Count("lstItem:command"));
    EXPECT_TRUE(app.names.empty());  // the unknown id is dropped silently
}

TEST_F(PostedTest, PageCommandsGoToThePageOthersToTheApplication)
{
    engine.PostCommand(TPDAUIEngineCommand(&page, "refresh"));
    engine.PostCommand(TPDAUIEngineCommand(nullptr, "LumorEngCommand:12", (intptr_t)77));
    engine.DispatchPostedCommands();
    EXPECT_EQ(1, page.CountReceived("refresh"));
    ASSERT_EQ(1u, app.names.size());
    EXPECT_EQ("LumorEngCommand:12", app.names[0]);
    EXPECT_EQ(77, app.data[0]);
}

TEST_F(PostedTest, ACommandForADeletedPageIsDropped)
{
    RecPage* dialog = new RecPage(&engine, "pageDialog");
    engine.OpenPage(dialog);
    engine.PostCommand(TPDAUIEngineCommand(dialog, "animationDone"));
    engine.PostCommand(TPDAUIEngineCommand(&page, "after"));
    dialog->Close(0);
    engine.Advance(60);  // the pass closes and deletes the page, then drains
    EXPECT_EQ(1, engine.GetPageCount());
    EXPECT_EQ(1, page.CountReceived("after"));
    EXPECT_TRUE(app.names.empty());
}

TEST_F(PostedTest, ACommandOfAnotherEngineEndsTheDrain)
{
    engine.PostCommand(TPDAUIEngineCommand(&page, "first"));
    RecElement stranger("btnStranger", 0, 0, 1, 1, &log);  // no engine
    engine.PostCommand(TPDAUIEngineCommand(&stranger, "strange"));
    engine.PostCommand(TPDAUIEngineCommand(&page, "later"));
    engine.DispatchPostedCommands();
    EXPECT_EQ(1, page.CountReceived("first"));
    EXPECT_EQ(0, page.CountReceived("later"));
    engine.DispatchPostedCommands();
    EXPECT_EQ(1, page.CountReceived("later"));
}

// One working record serves the whole drain: what a handler leaves in its
// result and handled bytes is what the next command arrives with; the posted
// records' own bytes do not travel.
TEST_F(PostedTest, ADrainHandsResultAndHandledFromCommandToCommand)
{
    page.received.clear();  // the "load" of the opening
    page.unhandled = {"second"};
    page.onCommand = [](RecPage*, TPDAUIEngineCommand& c) {
        if (c.name == "first")
            c.result = 1;
    };
    DString toElement = TPDAUIEngineCommand::MakeElementCommandName(item->numericId, "third");
    TPDAUIEngineCommand posted[] = {
        TPDAUIEngineCommand(&page, "first"),
        TPDAUIEngineCommand(&page, "second"),
        TPDAUIEngineCommand(nullptr, toElement.c_str()),  // bubbles from the item to the page
        TPDAUIEngineCommand(&page, "fourth"),
    };
    for (TPDAUIEngineCommand& c : posted) {
        c.result = 1;
        c.handled = 0;
        engine.PostCommand(c);
    }
    engine.DispatchPostedCommands();

    struct Expected {
        const char* name;
        int result;
        int handled;
    } expected[] = {
        {"first", 0, 1},   // a fresh working record
        {"second", 1, 1},  // the result "first" left
        {"third", 1, 0},   // handled cleared by "second"
        {"fourth", 1, 0},
    };
    ASSERT_EQ(page.received.size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE(expected[i].name);
        EXPECT_EQ(page.received[i].name, expected[i].name);
        EXPECT_EQ(page.received[i].result, expected[i].result);
        EXPECT_EQ(page.received[i].handledOnArrival, expected[i].handled);
    }
    // The next drain starts from a fresh record again.
    engine.PostCommand(TPDAUIEngineCommand(&page, "fifth"));
    engine.DispatchPostedCommands();
    ASSERT_EQ(page.received.size(), std::size(expected) + 1);
    EXPECT_EQ(page.received.back().result, 0);
    EXPECT_EQ(page.received.back().handledOnArrival, 1);
}

TEST(EngineMemory, CountsTheFixedPartAndEveryPage)
{
    TestEngine engine;
    const int empty = engine.GetMemoryUsed();
    EXPECT_GE(empty, 1368 + 40);
    RecPage page(&engine, "pageA");
    engine.OpenPage(&page);
    EXPECT_EQ(empty + page.GetMemorySize(), engine.GetMemoryUsed());
    engine.pages.RemoveAll();
}

} // namespace
