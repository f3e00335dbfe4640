// The first start-up stage, the engine start-up with its build check, and what
// the library's and the UI engine's callbacks do.
#include <algorithm>

#include "app/TOrbetaAppCallbacks.h"
#include "app/pages/TPageMain.h"
#include "app/pages/TPageSplash.h"
#include "app_fixture.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"

namespace apptest {
namespace {

class StartupTest : public AppTest {};

std::vector<std::string> Registrations(const TLumorGPSEngineInterface& e)
{
    std::vector<std::string> out;
    for (const std::string& c : e.recorder.calls)
        if (c.rfind("SetCallback", 0) == 0 || c.rfind("SetCallBack", 0) == 0)
            out.push_back(c);
    return out;
}

bool Logged(const TLumorGPSEngineInterface& e, const std::string& line)
{
    return std::find(e.recorder.log.begin(), e.recorder.log.end(), line) != e.recorder.log.end();
}

TEST_F(StartupTest, FirstStageLoadsDefaultSkinAndKeyMapAndOpensSplash)
{
    TestApp app(ProgramFolder(), 800, 480);
    ASSERT_TRUE(app.Start());
    // No skin configured: the default one.
    ASSERT_EQ(1u, app.ui->skinLoads.size());
    EXPECT_EQ("default", app.ui->skinLoads[0].skin);
    EXPECT_STREQ("default", app.ui->skinSettings.skinName.c_str());
    // No key map of the user's: the one beside the program.
    EXPECT_GT(app.ui->keysManager.definitions.Count(), 1);
    EXPECT_STREQ("wav", app.ui->skinSettings.soundExtension.c_str());
    ASSERT_NE(nullptr, app.mainPage);
    ASSERT_NE(nullptr, app.splashPage);
    EXPECT_EQ((TPDAUIEngineElementPage*)app.splashPage, app.ui->GetTopPage());
    EXPECT_STREQ("2.6.1", app.version.c_str());
    // Keys wait for the library.
    EXPECT_EQ(0, app.ui->keysEnabled);
}

TEST_F(StartupTest, UserKeyMapWinsOverTheDefault)
{
    fs::create_directories(AppData());
    std::ofstream(AppData() + "/ObKeys.cxml")
        << "<keysDefinitions><keyDefinition key=\"65\" when=\"press\" command=\"LumorEngCommand:12\"/>"
           "</keysDefinitions>";
    TestApp app(ProgramFolder(), 800, 480);
    ASSERT_TRUE(app.Start());
    ASSERT_EQ(1, app.ui->keysManager.definitions.Count());
    EXPECT_EQ(65, app.ui->keysManager.definitions[0].key);
}

TEST_F(StartupTest, ConfiguredSkinNameIsUsedAndFailureEndsTheFirstStage)
{
    TestApp app(ProgramFolder(), 800, 480);
    app.engine.Inicializa0();
    app.engine.config->skinName = "night";
    app.ui->failSkin = true;
    app.engine.Inicializa2_hWnd(nullptr, nullptr, nullptr);
    EXPECT_FALSE(app.Init());
    ASSERT_EQ(1u, app.ui->skinLoads.size());
    EXPECT_EQ("night", app.ui->skinLoads[0].skin);
    ASSERT_EQ(1u, app.ui->messageBoxes.size());
    EXPECT_EQ("Invalid Skin, unable to open 'x' program will close.", app.ui->messageBoxes[0].text);
    EXPECT_EQ(nullptr, app.mainPage);
    EXPECT_EQ(nullptr, app.splashPage);
}

TEST_F(StartupTest, CallbackBlockIsFilledBeforeTheSkinLoads)
{
    TestApp app(ProgramFolder(), 800, 480);
    ASSERT_TRUE(app.Start());
    const TPDAUIEngineCallbacks& c = app.ui->callbacks;
    EXPECT_EQ(&app, c.userData);
    const void* pointers[] = {(void*)c.translate,     (void*)c.playSound,     (void*)c.setSoundVolume,
                              (void*)c.getSoundVolume, (void*)c.getSoundMute,  (void*)c.setSoundMute,
                              (void*)c.skinChanged,   (void*)c.wakeUp,        (void*)c.quitCleanup,
                              (void*)c.textInput,     (void*)c.comboBoxInput, (void*)c.contextMenu,
                              (void*)c.setBrightness, (void*)c.getBrightness, (void*)c.userControlFactory,
                              (void*)c.uiCommand,     (void*)c.inputBlocked,  (void*)c.windowGeometry,
                              (void*)c.orientation};
    for (const void* p : pointers)
        EXPECT_NE(nullptr, p);
    // Only the slow-process pair is given to the library before the engine starts.
    EXPECT_EQ(std::vector<std::string>{"SetCallbackProcesosLentos"}, Registrations(app.engine));
    c.quitCleanup(c.userData);
    EXPECT_EQ(1, app.hooks);
}

TEST_F(StartupTest, EngineStartRegistersCallbacksInOrderAndEnablesKeys)
{
    TestApp app(ProgramFolder(), 800, 480);
    ASSERT_TRUE(app.Start());
    ASSERT_TRUE(app.InitEngine());
    const std::vector<std::string> expected = {
        "SetCallbackProcesosLentos",  "SetCallbackMessageBox",  "SetCallbackProperties",
        "SetCallbackListas",          "SetCallbackFileOpen",    "SetCallbackInputText",
        "SetCallbackAskRadio",        "SetCallbackAskGeoCode",  "SetCallbackActuScreen",
        "SetCallbackInvalidate",      "SetCallbackQuit",        "SetCallbackDatosModif",
        "SetCallbackUpdateGraph",     "SetCallbackClosePage",   "SetCallbackActuChecks",
        "SetCallbackObjetoSelecc",    "SetCallbackFotoViews",   "SetCallbackTextViews",
        "SetCallbackSkinChanged",     "SetCallbackLanguageChanged", "SetCallbackGetUIEngineMemoryUsed",
        "SetCallBackCPU100mode",      "SetCallBackZoomToItModal", "SetCallBackWakeUp",
        "SetCallBackChangeUITheme",   "SetCallBackEjecutaComanda", "SetCallBackEqueueAttachment",
        "SetCallBack_IsAppVisible"};
    EXPECT_EQ(expected, Registrations(app.engine));
    EXPECT_TRUE(app.ui->messageBoxes.empty());
    EXPECT_EQ(1, app.ui->keysEnabled);
    EXPECT_EQ(0, app.usbSignalled.load());
    EXPECT_NE(0u, app.engine.powerOffMessage);
    EXPECT_STREQ(app.engine.Get_Idioma_GPS(1).c_str(), app.ui->skinSettings.applicationName.c_str());
}

TEST_F(StartupTest, BuildCheckTextsAndLogLine)
{
    struct Case {
        const char* name;
        void (*change)(TLumorGPSEngineInterface&);
        const char* box;
        const char* log;  // null: no size line
    } cases[] = {
        {"version", [](TLumorGPSEngineInterface& e) { e.build.version = "_Version__2.6.0"; },
         "Error: Incorrect dll-exe versions", nullptr},
        {"visor and mask",
         [](TLumorGPSEngineInterface& e) {
             e.build.sizeofVisor = 1;
             e.build.maskDefineC = 5;
         },
         "Error: sizeof error dll", "Error sizeof dll visor: 1:4664mask 1:282 2: 5"},
        {"every size",
         [](TLumorGPSEngineInterface& e) {
             e.build.sizeofDatos = 1, e.build.sizeofVisor = 2, e.build.sizeofEngineInterface = 3,
             e.build.sizeofTempsUTC = 4, e.build.sizeofConfig = 5;
         },
         "Error: sizeof error dll",
         "Error sizeof dll datos: 1:2496visor: 2:4664engineinterface: 3:80temps utc: 4:28config: 5:20248"},
        {"size and version", [](TLumorGPSEngineInterface& e) { e.build.sizeofConfig = 7, e.build.version = "x"; },
         "Error: sizeof error dll", "Error sizeof dll config: 7:20248"},
        {"first stage", [](TLumorGPSEngineInterface& e) { e.failures.inicializa1 = "No maps found"; },
         "Error: No maps found", nullptr},
        {"second stage", [](TLumorGPSEngineInterface& e) { e.failures.inicializa2 = "GPS port busy"; },
         "GPS port busy", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestApp app(ProgramFolder(), 800, 480);
        ASSERT_TRUE(app.Start());
        c.change(app.engine);
        EXPECT_FALSE(app.InitEngine());
        ASSERT_EQ(1u, app.ui->messageBoxes.size());
        EXPECT_EQ(c.box, app.ui->messageBoxes[0].text);
        bool sizeLine = false;
        for (const std::string& l : app.engine.recorder.log)
            sizeLine |= l.rfind("Error sizeof dll", 0) == 0;
        EXPECT_EQ(c.log != nullptr, sizeLine);
        if (c.log) {
            EXPECT_TRUE(Logged(app.engine, c.log));
        }
        // A failed start gives the library no callbacks and starts no watcher.
        EXPECT_EQ(1u, Registrations(app.engine).size());
        EXPECT_FALSE(app.usbThread.joinable());
        EXPECT_EQ(0, app.ui->keysEnabled);
    }
}

class StartedTest : public AppTest {
protected:
    StartedTest() : app(ProgramFolder(), 800, 480)
    {
        started = app.Start() && app.InitEngine();
    }
    std::vector<std::string> Posted()
    {
        std::vector<std::string> names;
        TPDAUIEngineCommand c;
        while (app.ui->PopCommand(c))
            names.push_back(c.name.c_str());
        return names;
    }
    // Plain pages pushed over the splash page until n are open.
    void OpenPages(int n)
    {
        while (app.ui->GetPageCount() < n) {
            auto* p = new TPDAUIEngineElementPage(app.ui);
            app.ui->OpenPage(p);
        }
    }
    TestApp app;
    bool started = false;
};

TEST_F(StartedTest, ClosePageRequestPostsOnlyWhenThatPageIsOpen)
{
    ASSERT_TRUE(started);
    OpenPages(2);
    Posted();
    app.engine.InvokeClosePage(2);
    EXPECT_TRUE(Posted().empty());
    OpenPages(3);
    app.engine.InvokeClosePage(2);
    EXPECT_EQ(std::vector<std::string>{"lumorEngine_closeLastPage"}, Posted());
    app.engine.InvokeClosePage(-1);
    EXPECT_EQ(std::vector<std::string>{"lumorEngine_closePagesUntilFirst"}, Posted());
    app.engine.InvokeClosePage(-7);
    EXPECT_TRUE(Posted().empty());
}

TEST_F(StartedTest, DataAndGraphRequestsArePostedAndRepaintsOnlyForLivePages)
{
    ASSERT_TRUE(started);
    Posted();
    app.engine.InvokeDatosModif(nullptr, false);
    app.engine.InvokeUpdateGraph();
    EXPECT_EQ((std::vector<std::string>{"lumorEngine_datosModificados", "lumorEngine_loadGraphData"}), Posted());

    // The splash page shows nothing of the library's.
    const int before = app.ui->invalidations;
    app.engine.InvokeInvalidate(true);
    EXPECT_EQ(before, app.ui->invalidations);
    app.ui->OpenPage(app.mainPage);
    const int withMain = app.ui->invalidations;
    app.engine.InvokeInvalidate(true);
    EXPECT_GT(app.ui->invalidations, withMain);

    app.engine.InvokeQuit();
    EXPECT_EQ(1, app.ui->quit);
}

TEST_F(StartupTest, LibraryCallbacksBeforeTheUIEngineDoNothing)
{
    TestApp app(ProgramFolder(), 800, 480);
    TPDAUIEngine* ui = app.uiEngine;
    app.uiEngine = nullptr;
    RegisterEngineCallbacks(app);
    app.engine.InvokeDatosModif(nullptr, false);
    app.engine.InvokeDatosModif(nullptr, true);
    app.engine.InvokeUpdateGraph();
    app.engine.InvokeClosePage(-1);
    app.engine.InvokeInvalidate(true);
    app.engine.InvokeQuit();
    app.engine.InvokeActuChecks();
    app.engine.InvokeObjetoSelecc();
    EXPECT_EQ(0, app.engine.InvokeGetUIEngineMemoryUsed());
    app.uiEngine = ui;
    TPDAUIEngineCommand c;
    EXPECT_FALSE(app.ui->PopCommand(c));
    EXPECT_EQ(0, app.ui->quit);
}

TEST_F(StartedTest, OrientationAndWindowGeometryAreStoredInTheSettings)
{
    ASSERT_TRUE(started);
    const TPDAUIEngineCallbacks& c = app.ui->callbacks;
    const struct {
        int angle, rotation;
    } angles[] = {{90, 1}, {180, 2}, {270, 4}, {0, 0}, {45, 0}, {-90, 0}};
    for (const auto& a : angles) {
        app.engine.config->rotation = 9;
        c.orientation(c.userData, a.angle, 0);
        EXPECT_EQ(a.rotation, (int)app.engine.config->rotation) << a.angle;
    }
    app.engine.config->rotationFollowDevice = false;
    app.engine.config->rotation = 9;
    c.orientation(c.userData, 90, 0);
    EXPECT_EQ(9, (int)app.engine.config->rotation);

    c.windowGeometry(c.userData, 2, -10, 20, 800, 480);
    EXPECT_STREQ("2,-10,20,800,480", app.engine.config->windowGeometry.c_str());
}

TEST_F(StartedTest, InputBoxRequestIsLeftToPagesWithTheirOwnKeyboard)
{
    ASSERT_TRUE(started);
    const TPDAUIEngineCallbacks& c = app.ui->callbacks;
    struct Recording : TPDAUIEngineElementPage {
        using TPDAUIEngineElementPage::TPDAUIEngineElementPage;
    };
    const struct {
        const char* page;
        bool asks;
    } cases[] = {{"pageInputBox", false}, {"pageCoordinatesInputBox", false}, {"pageMenuPOISByName", false},
                 {"pageMain", true}, {"pageInputBoxes", true}};
    for (const auto& k : cases) {
        auto* page = new Recording(app.ui);
        page->pageName = k.page;
        app.ui->OpenPage(page);
        app.commands.clear();
        int before = app.inputTextRequests;
        EXPECT_EQ(1, c.textInput(c.userData, nullptr)) << k.page;
        EXPECT_EQ(k.asks, app.inputTextRequests > before) << k.page;
        app.ui->ClosePage(page, true);
    }
}

TEST_F(StartedTest, UICommandRunsNumberedCommandsAndKeepsToTheBlockerWhileBlocked)
{
    ASSERT_TRUE(started);
    const TPDAUIEngineCallbacks& c = app.ui->callbacks;
    uint8_t handled = 9;
    c.uiCommand(c.userData, "LumorEngCommand:12,a,b,c", "", 0, &handled, 0);
    ASSERT_EQ(1u, app.commands.size());
    EXPECT_EQ(12, app.commands[0].id);
    EXPECT_EQ("a,b,c", app.commands[0].text);
    EXPECT_EQ(1, handled);

    c.uiCommand(c.userData, "LumorEngCommand:x", "", 0, &handled, 0);
    EXPECT_EQ(0, app.commands.back().id);

    handled = 1;
    c.uiCommand(c.userData, "somethingElse", "", 0, &handled, 0);
    EXPECT_EQ(0, handled);

    app.ui->inputBlocked = 1;
    app.commands.clear();
    for (int id : {12, 548, 549, 550, 551, 577, 3221, 675}) {
        const std::string name = "LumorEngCommand:" + std::to_string(id);
        c.uiCommand(c.userData, name.c_str(), "", 0, &handled, 0);
    }
    EXPECT_EQ((std::vector<int>{548, 549, 551, 577, 3221}), app.Ids());
}

TEST_F(StartedTest, ZoomToItAnswersWhetherTheCommandFailed)
{
    ASSERT_TRUE(started);
    app.commandAnswer = false;
    EXPECT_TRUE(app.engine.InvokeZoomToItModal());
    app.commandAnswer = true;
    EXPECT_FALSE(app.engine.InvokeZoomToItModal());
    EXPECT_EQ((std::vector<int>{157, 157}), app.Ids());
}

} // namespace
} // namespace apptest
