// The command executor's table, its library route with reply routing and the
// theme re-apply, and the command-string side: parser, input-blocked filter,
// named UI commands, posting.
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>

#include "enginelib/base/TFitxUtils.h"
#include "enginelib/nav/TElementoGPS.h"
#include "display/pages/TPageVolume.h"
#include "exec_test_app.h"

namespace {
using namespace exectest;

struct Row {
    const char* name;
    int id;
    const char* text;
    const char* extra;
    bool answer;
    int boxType;           // the box opened on top, -1 for none
    const char* boxText;   // its message, translated as the box shows it (null: not checked)
    const char* notAvailable;  // the page class the log names as not available
    const char* call;      // a library call the command makes
    std::function<void(ExecApp&)> before = {};
    std::function<void(ExecApp&)> check = {};
};

// A text as the box shows it: a translation id, a library text ("gps.2",
// "movingmap.105", "menu.357") or plain text.
DString Shown(ExecApp& app, const char* text)
{
    const std::string t = text;
    const auto number = [&](size_t prefix) { return std::atoi(t.c_str() + prefix); };
    if (t.compare(0, 4, "gps.") == 0)
        return app.engine.Get_Idioma_GPS(number(4));
    if (t.compare(0, 10, "movingmap.") == 0)
        return app.engine.Get_Idioma_Movingmap(number(10));
    if (t.compare(0, 5, "menu.") == 0)
        return app.engine.Get_Idioma_Menu(number(5));
    return app.ui->TranslateText(text);
}

TEST(ExecTable, EachRowOpensAsksOrRunsWhatItShould)
{
    auto config = [](ExecApp& a) -> TConfig& { return *a.engine.config; };
    const Row rows[] = {
        {"menu at the main page", 12, nullptr, nullptr, true, -1, nullptr, "TPageMenu is not available", nullptr},
        {"change view", 115, nullptr, nullptr, false, -1, nullptr, nullptr, nullptr},
        {"zoom to object", 157, nullptr, nullptr, false, -1, nullptr, "TPageShowInMap is not available", nullptr},
        {"data tree", 126, nullptr, nullptr, false, -1, nullptr, "TPageArbolDeDatos is not available", nullptr},
        {"screen mode toggle", 128, nullptr, nullptr, false, -1, nullptr, nullptr, nullptr, nullptr,
         [&](ExecApp& a) {
             EXPECT_EQ(std::vector<int>{3}, a.ui->screenModes);
             EXPECT_EQ(3, (int)config(a).screenMode);
         }},
        {"screen mode toggle back", 128, nullptr, nullptr, false, -1, nullptr, nullptr, nullptr,
         [&](ExecApp& a) { config(a).screenMode = 3; },
         [&](ExecApp& a) { EXPECT_EQ(1, (int)config(a).screenMode); }},
        {"day and night", 129, nullptr, nullptr, true, TPageMessageBox::TypeWait, "{E283}", nullptr,
         "ClearRasterCache", nullptr,
         [](ExecApp& a) {
             EXPECT_TRUE(a.Called("command 129"));
             EXPECT_TRUE(a.TopBox()->closing);
             EXPECT_EQ(1, a.TopBox()->result);
             EXPECT_EQ(std::vector<int>{0}, a.ui->orientations);
         }},
        {"on-road toggle", 276, nullptr, nullptr, true, TPageMessageBox::TypeWait, "{E283}", nullptr, "command 276",
         nullptr, [&](ExecApp& a) { EXPECT_FALSE((bool)config(a).onRoad); }},
        {"full screen soft", 136, nullptr, nullptr, false, -1, nullptr, nullptr, nullptr, nullptr,
         [](ExecApp& a) {
             EXPECT_EQ(std::vector<std::string>{"showFullScreenSoft"}, static_cast<RecMain*>(a.ui->GetPage(0))->got);
         }},
        {"skin manager", 147, nullptr, nullptr, false, -1, nullptr, "TPageMenuSkinManager is not available", nullptr},
        {"properties without an object", 151, nullptr, nullptr, false, -1, nullptr, nullptr, nullptr},
        {"properties of the object", 451, nullptr, nullptr, false, -1, nullptr, "TPageProperties is not available",
         nullptr,
         [](ExecApp& a) {
             static TElementoGPS object("object");
             a.engine.visor->current = &object;
         }},
        {"theme", 169, nullptr, nullptr, true, -1, nullptr, nullptr, nullptr, nullptr,
         [](ExecApp& a) { EXPECT_EQ(1, a.themeApplied); }},
        {"calibration asks", 183, nullptr, nullptr, false, TPageMessageBox::TypeYesNo, "{H296}", nullptr, nullptr,
         nullptr,
         [](ExecApp& a) {
             EXPECT_STREQ("LumorEngCommand:183", a.TopBox()->yesCommand.c_str());
             EXPECT_STREQ("force", a.TopBox()->yesArgument.c_str());
             EXPECT_EQ(0, a.ui->calibrations);
         }},
        {"calibration forced", 183, "force", nullptr, true, -1, nullptr, nullptr, "WakeUpClick",
         [&](ExecApp& a) { config(a).touchCalibrationGuard = 7; },
         [&](ExecApp& a) {
             EXPECT_EQ(1, a.ui->calibrations);
             EXPECT_EQ(7, (int)config(a).touchCalibrationGuard);
         }},
        {"calibration unavailable", 183, "force", nullptr, false, -1, nullptr, nullptr, nullptr,
         [](ExecApp& a) { a.ui->canCalibrate = 0; }, [](ExecApp& a) { EXPECT_EQ(0, a.ui->calibrations); }},
        {"rotate", 184, nullptr, nullptr, false, -1, nullptr, nullptr, nullptr, nullptr,
         [&](ExecApp& a) {
             EXPECT_EQ(std::vector<int>{-1}, a.ui->orientations);
             EXPECT_EQ(1, (int)config(a).rotation);
         }},
        {"rotate refused by the screen", 184, nullptr, nullptr, false, -1, nullptr, nullptr, nullptr,
         [&](ExecApp& a) {
             a.ui->rotates = false;
             config(a).rotation = 2;
         },
         [&](ExecApp& a) { EXPECT_EQ(2, (int)config(a).rotation); }},
        {"home without a home place", 185, nullptr, nullptr, false, TPageMessageBox::TypeYesNo, "movingmap.202",
         nullptr, nullptr, nullptr, [](ExecApp& a) { EXPECT_EQ(367, a.TopBox()->commandNumber); }},
        {"go home without a home place", 271, nullptr, nullptr, false, TPageMessageBox::TypeYesNo, "movingmap.202",
         nullptr, nullptr},
        {"brightness without settings", 187, nullptr, nullptr, false, -1, nullptr, nullptr, nullptr, nullptr,
         [](ExecApp& a) {
             ASSERT_EQ(1u, a.ui->messageBoxes.size());
             EXPECT_EQ("No settings for this command", a.ui->messageBoxes[0].text);
         }},
        {"data pages", 193, nullptr, nullptr, true, -1, nullptr, "TPagePolivalentData is not available", nullptr},
        {"screen scale", 194, nullptr, nullptr, false, -1, nullptr, nullptr, nullptr,
         [&](ExecApp& a) { config(a).uiScale = 1.5f; },
         [](ExecApp& a) { EXPECT_EQ(std::vector<float>{1.5f}, a.ui->scales); }},
        {"setting copied again", 197, nullptr, nullptr, false, -1, nullptr, nullptr, nullptr,
         [&](ExecApp& a) { config(a).appSettingA = 42; }, [](ExecApp& a) { EXPECT_EQ(42, a.ui->appSettingA); }},
        {"roadbook alarm", 198, nullptr, nullptr, false, TPageMessageBox::TypeInformation, nullptr, nullptr, nullptr,
         nullptr,
         [](ExecApp& a) {
             EXPECT_TRUE(a.TopBox()->message.Contains("\nCoordinates:\n"));
             EXPECT_STREQ("Orbeta", a.TopBox()->title.c_str());
         }},
        {"mark without an object", 205, nullptr, nullptr, false, -1, nullptr, nullptr, "command 205"},
        {"mark names the object safely", 205, nullptr, nullptr, true, TPageMessageBox::TypeInformation,
         "Waypoint created: 100%s %n", nullptr, nullptr,
         [](ExecApp& a) {
             static TElementoGPS mark("100%s %n");
             a.engine.visor->current = &mark;
         },
         [](ExecApp& a) { EXPECT_EQ(1, a.TopBox()->secondsAtStart); }},
        {"address search", 272, nullptr, nullptr, false, -1, nullptr, "TPageMenuAddress is not available",
         "Carga_Mapa_Vectorial_Routing 3"},
        {"address search without a map", 278, nullptr, nullptr, false, TPageMessageBox::TypeWarning, "movingmap.105",
         nullptr, nullptr, [](ExecApp& a) { a.engine.noRoutableMap = true; }},
        {"routing map action", 312, nullptr, nullptr, true, -1, nullptr, nullptr, "command 312"},
        {"routing map action without a map", 312, nullptr, nullptr, false, TPageMessageBox::TypeInformation,
         "movingmap.105", nullptr, nullptr, [](ExecApp& a) { a.engine.noRoutableMap = true; }},
        {"settings element missing", 561, "catfilters", nullptr, false, TPageMessageBox::TypeInformation,
         "No settings for this command", nullptr, nullptr},
        {"quit question", 506, nullptr, nullptr, false, TPageMessageBox::TypeQuit, "gps.2", nullptr, nullptr},
        {"quit question while input is blocked", 506, nullptr, nullptr, false, -1, nullptr, nullptr, nullptr,
         [](ExecApp& a) { a.ui->inputBlocked = 1; }},
        {"quit question while the screen is blocked", 506, nullptr, nullptr, false, -1, nullptr, nullptr, nullptr,
         [](ExecApp& a) { TOrbetaAppCommands::ScreenBlocked(*a.ui) = 1; }},
        {"blocker toggle with the screen blocked", 547, nullptr, nullptr, false, -1, nullptr,
         "command 549: TPageBlocker is not available", nullptr,
         [](ExecApp& a) { TOrbetaAppCommands::ScreenBlocked(*a.ui) = 1; }},
        {"blocker toggle with input blocked", 547, nullptr, nullptr, false, -1, nullptr,
         "command 551: TPageBlocker is not available", nullptr, [](ExecApp& a) { a.ui->inputBlocked = 1; }},
        {"blocker toggle unblocked", 547, nullptr, nullptr, false, -1, nullptr, nullptr, nullptr, nullptr,
         [](ExecApp& a) { EXPECT_EQ(std::vector<std::string>{"547"}, a.executed); }},
        {"screen mode 4", 564, nullptr, nullptr, false, -1, nullptr, nullptr, nullptr, nullptr,
         [](ExecApp& a) { EXPECT_EQ(std::vector<int>{4}, a.ui->screenModes); }},
        {"reset asks", 595, nullptr, nullptr, false, TPageMessageBox::TypeYesNo, "gps.243", nullptr, nullptr,
         nullptr,
         [](ExecApp& a) {
             EXPECT_STREQ("LumorEngCommand:595", a.TopBox()->yesCommand.c_str());
             EXPECT_STREQ(a.engine.Get_Idioma_GPS(1).c_str(), a.TopBox()->title.c_str());
         }},
        {"reset forced", 595, "force", nullptr, false, TPageMessageBox::TypeInformation, "gps.317", nullptr,
         "command 595", nullptr,
         [](ExecApp& a) {
             EXPECT_EQ(std::vector<std::string>{"lumorEngine_datosModificados"},
                       static_cast<RecMain*>(a.ui->GetPage(0))->got);
         }},
        {"toolbar reset forced", 612, "force", nullptr, false, TPageMessageBox::TypeInformation, "gps.317", nullptr,
         nullptr, nullptr, [](ExecApp& a) { EXPECT_FALSE(a.Called("command 612")); }},
        {"low battery", 671, nullptr, nullptr, false, -1, nullptr, "TPageBatteryLow is not available", "WakeUpClick",
         nullptr, [](ExecApp& a) { EXPECT_EQ(std::vector<std::string>{"soundMessageBox"}, a.ui->sounds); }},
        {"power removed", 672, nullptr, nullptr, false, TPageMessageBox::TypeInformation, "gps.260", nullptr,
         "WakeUpClick", [&](ExecApp& a) { config(a).powerAlarm = true; },
         [](ExecApp& a) {
             EXPECT_EQ(1800, a.TopBox()->secondsAtStart);
             EXPECT_STREQ("LumorEngCommand:675", a.TopBox()->cancelCommand.c_str());
         }},
        {"power removed without the alarm", 672, nullptr, nullptr, false, -1, nullptr, nullptr, nullptr},
        {"power removed on fixed power", 672, nullptr, nullptr, false, -1, nullptr, nullptr, nullptr,
         [&](ExecApp& a) { config(a).powerAlarm = true, config(a).fixedPower = true; }},
        {"autonomy low", 673, nullptr, nullptr, false, TPageMessageBox::TypeInformation, "gps.268", nullptr, nullptr,
         nullptr,
         [](ExecApp& a) {
             EXPECT_EQ(10, a.TopBox()->secondsAtStart);
             EXPECT_STREQ("LumorEngCommand:675", a.TopBox()->replyCommand.name.c_str());
         }},
        {"battery empty", 674, nullptr, nullptr, false, TPageMessageBox::TypeInformation, "gps.270", nullptr, nullptr},
        {"battery empty on fixed power", 674, nullptr, nullptr, false, -1, nullptr, nullptr, nullptr,
         [&](ExecApp& a) { config(a).fixedPower = true; }},
        {"quit", 675, nullptr, nullptr, false, -1, nullptr, nullptr, "may quit 3", nullptr,
         [](ExecApp& a) { EXPECT_EQ(1, a.ui->quit); }},
        {"quit refused by the library", 675, nullptr, nullptr, false, -1, nullptr, nullptr, nullptr,
         [](ExecApp& a) { a.engine.visor->quitAllowed = false; }, [](ExecApp& a) { EXPECT_EQ(0, a.ui->quit); }},
        {"charger unplugged", 680, nullptr, nullptr, false, TPageMessageBox::TypeInformation, "menu.357", nullptr,
         nullptr, nullptr, [](ExecApp& a) { EXPECT_STREQ("AC unplugged", a.TopBox()->title.c_str()); }},
        {"track graph without a track", 755, nullptr, nullptr, false, -1, nullptr, nullptr, nullptr},
        {"route simulator", 807, nullptr, nullptr, true, -1, nullptr, "TPageRouteSimulator is not available",
         "Carga_Mapa_Vectorial_Routing 1"},
        {"route simulator without a map", 807, nullptr, nullptr, true, TPageMessageBox::TypeWarning, "movingmap.105",
         nullptr, nullptr, [](ExecApp& a) { a.engine.noRoutableMap = true; }},
        {"itinerary", 2465, nullptr, nullptr, false, -1, nullptr, "TPageMenuItinerary is not available",
         "PrepareItinerary"},
        {"viewer operation", 2486, nullptr, nullptr, false, -1, nullptr, nullptr, "operation 2486 4 0"},
        {"nothing", 2540, nullptr, nullptr, false, -1, nullptr, nullptr, nullptr},
        {"POIs by name", 2528, "demo.poi", nullptr, false, -1, nullptr, "TPageMenuPOISByName is not available",
         "Carga_Mapa_Vectorial_Routing 4 demo.poi"},
        {"place names", 2528, "Noms de lieux NMX.vmap", nullptr, false, -1, nullptr,
         "TPageMenuPOISPlaceNames is not available", nullptr},
        {"POIs of an unknown map file", 2508, "x.vmap", nullptr, false, TPageMessageBox::TypeInformation,
         "movingmap.105", nullptr, nullptr},
        {"storage removed", 2611, nullptr, "32772", false, -1, nullptr, nullptr, "SD_Changed 1"},
        {"storage inserted", 2611, nullptr, "32768", false, -1, nullptr, nullptr, "SD_Changed 0"},
        {"volume", 2434, nullptr, nullptr, true, -1, nullptr, nullptr, nullptr, nullptr,
         [](ExecApp& a) {
             auto* volume = dynamic_cast<TPageVolume*>(a.ui->GetTopPage());
             ASSERT_NE(nullptr, volume);
             EXPECT_TRUE(volume->keyMode);
             a.ui->pages.RemoveAllEqual(volume);
             delete volume;
         }},
        {"library command", 101, nullptr, nullptr, true, -1, nullptr, nullptr, "command 101"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        ExecApp app;
        ASSERT_TRUE(app.started && app.skinLoaded);
        RecMain main(&app);
        app.ui->OpenPage(&main);
        if (r.before)
            r.before(app);
        const bool answer = app.ExecuteCommand(r.id, nullptr, -1, r.text, r.extra, 0, nullptr, nullptr);
        EXPECT_EQ(r.answer, answer);
        TPageMessageBox* box = app.TopBox();
        if (r.boxType < 0) {
            EXPECT_EQ(nullptr, box);
        } else if (box) {
            EXPECT_EQ(r.boxType, box->type);
            if (r.boxText) {
                const DString expected = Shown(app, r.boxText);
                EXPECT_STREQ(expected.c_str(), box->message.c_str());
            }
            // Boxes the executor opens never answer a library request.
            EXPECT_EQ(1, box->modalFlag);
        } else {
            ADD_FAILURE() << "no box on top";
        }
        if (r.notAvailable)
            EXPECT_TRUE(app.Logged(r.notAvailable)) << r.notAvailable;
        else
            EXPECT_FALSE(app.Logged("is not available"));
        if (r.call) {
            EXPECT_TRUE(app.Called(r.call)) << r.call;
        }
        if (r.check)
            r.check(app);
        app.ui->pages.RemoveAllEqual(&main);
    }
}

TEST(ExecTable, CancelGoesToTheTopPage)
{
    ExecApp app;
    RecPage top(app.ui);
    app.ui->OpenPage(&top);
    EXPECT_TRUE(app.ExecuteCommand(11, nullptr, -1, nullptr, nullptr, 0, nullptr, nullptr));
    EXPECT_EQ(std::vector<std::string>{"cancel"}, top.Names());
    app.Forget();
    EXPECT_TRUE(app.ExecuteCommand(11, nullptr, -1, nullptr, nullptr, 0, nullptr, nullptr));
}

TEST(ExecTable, MenuRouteAboveTheMainPageAsksTheTopPageForItsContextMenu)
{
    ExecApp app;
    RecMain main(&app);
    RecPage top(app.ui);
    app.ui->OpenPage(&main);
    app.ui->OpenPage(&top);
    EXPECT_TRUE(app.ExecuteCommand(3001, nullptr, -1, nullptr, nullptr, 0, nullptr, nullptr));
    EXPECT_EQ(1, top.contextMenus);
    EXPECT_EQ(0, main.contextMenus);
    EXPECT_FALSE(app.Logged("TPageMenu is not available"));
    // 1101 opens its page (not yet available), then takes the menu route.
    EXPECT_TRUE(app.ExecuteCommand(1101, nullptr, -1, nullptr, nullptr, 0, nullptr, nullptr));
    EXPECT_EQ(2, top.contextMenus);
    app.Forget();
}

TEST(ExecTable, SecondQuitQuestionOpensNothing)
{
    ExecApp app;
    RecMain main(&app);
    app.ui->OpenPage(&main);
    app.ExecuteCommand(506, nullptr, -1, nullptr, nullptr, 0, nullptr, nullptr);
    app.ExecuteCommand(506, nullptr, -1, nullptr, nullptr, 0, nullptr, nullptr);
    EXPECT_EQ(2, app.ui->GetPageCount());
    app.ui->pages.RemoveAllEqual(&main);
}

TEST(ExecTable, DataFieldRemovalRewritesTheLayoutInUseAndBroadcasts)
{
    ExecApp app;
    TConfig& c = *app.engine.config;
    RecPage page(app.ui);
    app.ui->OpenPage(&page);
    c.PolivalentDataLayoutPrimary = "Map:21,5,86;Trip:5";
    c.PolivalentDataLayoutAlternate = "5,6;7";
    TPDAUIEngineCommand reply(&page, "removeFieldEnd");
    EXPECT_TRUE(app.ExecuteCommand(240, &reply, -1, nullptr, nullptr, 5, nullptr, nullptr));
    EXPECT_STREQ("Map:21,86;Trip:86", c.PolivalentDataLayoutPrimary.c_str());
    EXPECT_STREQ("5,6;7", c.PolivalentDataLayoutAlternate.c_str());
    EXPECT_EQ((std::vector<std::string>{"lumorEngine_datosModificados", "removeFieldEnd"}), page.Names());
    EXPECT_EQ(1, page.got.back().result);

    c.PolivalentDataLayoutUseAlternate = true;
    app.ExecuteCommand(240, nullptr, -1, nullptr, nullptr, 5, nullptr, nullptr);
    EXPECT_STREQ("6;7", c.PolivalentDataLayoutAlternate.c_str());
    app.Forget();
}

TEST(ExecTable, ScreenshotTakesTheFirstFreeNameAndTellsTheLibraryWhenAsked)
{
    testpaths::TempDir dir;
    ExecApp app;
    RecMain main(&app);
    app.ui->OpenPage(&main);
    app.engine.config->folders = (dir.path() + ";/elsewhere").c_str();
    app.engine.config->screenshotNotify = true;
    std::FILE* f = std::fopen((dir / "screenshot-1.png").c_str(), "wb");
    ASSERT_NE(nullptr, f);
    std::fclose(f);
    EXPECT_TRUE(app.ExecuteCommand(550, nullptr, -1, nullptr, nullptr, 0, nullptr, nullptr));
    EXPECT_TRUE(TFitxUtils::Verifica_Existencia_Archivo((dir / "screenshot-2.png").c_str()));
    EXPECT_TRUE(app.Called("command 205 " + (dir / "screenshot-2.png")));
    ASSERT_NE(nullptr, app.TopBox());
    EXPECT_STREQ("Screenshot saved", app.TopBox()->message.c_str());
    EXPECT_EQ(1, app.TopBox()->secondsAtStart);
    app.ui->pages.RemoveAllEqual(&main);
}

TEST(ExecTable, ScreenshotIntoAFolderThatCannotTakeItShowsNothing)
{
    ExecApp app;
    app.engine.config->folders = "/nonexistent-folder/for/orbeta";
    EXPECT_FALSE(app.ExecuteCommand(550, nullptr, -1, nullptr, nullptr, 0, nullptr, nullptr));
    EXPECT_EQ(nullptr, app.TopBox());
}

TEST(ExecTable, NoHomeQuestionCarriesTheReplyAndYesRuns367)
{
    ExecApp app;
    RecPage page(app.ui);
    app.ui->OpenPage(&page);
    TPDAUIEngineCommand reply(&page, "goHomeEnd");
    app.ExecuteCommand(185, &reply, -1, nullptr, nullptr, 0, nullptr, nullptr);
    TPageMessageBox* box = app.TopBox();
    ASSERT_NE(nullptr, box);
    EXPECT_STREQ("goHomeEnd", box->replyCommand.name.c_str());
    TPDAUIEngineCommand yes(nullptr, "yes");
    box->OnCommand(yes);
    EXPECT_EQ("367", app.executed.back());
    app.ui->Advance(100);
    EXPECT_EQ(1, app.ui->GetPageCount());
    ASSERT_FALSE(page.got.empty());
    EXPECT_EQ("goHomeEnd", page.got.back().name);
    EXPECT_EQ(1, page.got.back().result);
    app.Forget();
}

// ---- the library route ----

TEST(ExecLibraryRoute, RepliesReachTheirSource)
{
    struct Case {
        const char* name;
        int sourceIndex;     // page index of the source, -1 for an element of no page
        const char* aboveReply;  // close-command name of the page above the source
        const char* receiver;    // which page's OnCommand takes the reply at once ("" none)
        bool deferred;           // the reply waits in the page above as its close-command
    };
    const Case cases[] = {
        {"source on top", 1, nullptr, "top", false},
        {"source below a page with its own close-command", 0, "topEnd", "top", false},
        {"source below a page without a close-command", 0, nullptr, "", true},
        {"no page as source", -1, nullptr, "top", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ExecApp app;
        RecPage bottom(app.ui, "pageBottom"), top(app.ui, "pageTop");
        top.keepAfterClose = 1;  // the test owns it
        app.ui->OpenPage(&bottom);
        app.ui->OpenPage(&top);
        if (c.aboveReply)
            top.replyCommand.name = c.aboveReply;
        RecPage* source = c.sourceIndex == 0 ? &bottom : c.sourceIndex == 1 ? &top : nullptr;
        TPDAUIEngineCommand reply(source, "zoomInEnd");
        EXPECT_TRUE(app.ExecuteCommand(101, &reply, -1, nullptr, nullptr, 0, nullptr, nullptr));
        EXPECT_EQ(c.deferred ? 0 : 1, reply.result);
        EXPECT_TRUE(bottom.got.empty());
        if (std::string(c.receiver) == "top") {
            ASSERT_EQ(1u, top.got.size());
            EXPECT_EQ("zoomInEnd", top.got[0].name);
            EXPECT_EQ(1, top.got[0].result);
        } else {
            EXPECT_TRUE(top.got.empty());
        }
        if (c.deferred) {
            EXPECT_STREQ("zoomInEnd", top.replyCommand.name.c_str());
            EXPECT_EQ(&top, top.replyCommand.target);
            top.Close(1);
            app.ui->Advance(100);
            ASSERT_EQ(1u, bottom.got.size());
            EXPECT_EQ("zoomInEnd", bottom.got[0].name);
            EXPECT_EQ(&top, bottom.got[0].target);
        }
        app.Forget();
    }
}

TEST(ExecLibraryRoute, RefusedCommandRepliesZero)
{
    ExecApp app;
    RecPage page(app.ui);
    app.ui->OpenPage(&page);
    TPDAUIEngineCommand reply(&page, "recentEnd");
    reply.result = 1;
    // A recent-file entry past the list is refused by the library.
    EXPECT_FALSE(app.ExecuteCommand(519, &reply, -1, nullptr, nullptr, 0, nullptr, nullptr));
    ASSERT_EQ(1u, page.got.size());
    EXPECT_EQ(0, page.got[0].result);
    app.Forget();
}

TEST(ExecLibraryRoute, ProfileChangingTheThemePairReappliesTheTheme)
{
    struct Case {
        const char* name;
        int id;
        int rtngMode;
        int alternative;
        int themesApplied;
        bool ranOnRoadToggle;
    };
    const Case cases[] = {
        {"car to pedestrian", 2507, 0, 0, 1, false},
        {"car stays car", 2506, 0, 0, 0, false},
        {"pedestrian with the alternative theme", 2507, 0, 1, 1, true},
        {"routing mode 3 skips the on-road toggle", 2507, 3, 1, 1, false},
        {"bicycle", 2510, 0, 0, 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ExecApp app;
        app.engine.config->rtngMode = c.rtngMode;
        app.engine.config->alternativeTheme = c.alternative;
        EXPECT_TRUE(app.ExecuteCommand(c.id, nullptr, -1, nullptr, nullptr, 0, nullptr, nullptr));
        EXPECT_EQ(c.themesApplied, app.themeApplied);
        EXPECT_EQ(c.ranOnRoadToggle, app.Called("command 276"));
        app.Forget();
    }
}

// ---- command strings ----

TEST(ExecCommandString, Parse)
{
    struct Case {
        const char* text;
        bool isCommand;
        int id;
        const char* argument;
    };
    const Case cases[] = {
        {"LumorEngCommand:272", true, 272, ""},
        {"LumorEngCommand:272,", true, 272, ""},
        {"LumorEngCommand:2528,Lyon,Paris", true, 2528, "Lyon,Paris"},
        {"LumorEngCommand:183,force", true, 183, "force"},
        {"LumorEngCommand:", true, 0, ""},
        {"LumorEngCommand:,x", true, 0, "x"},
        {"LumorEngCommand:abc,x", true, 0, "x"},
        {"LumorEngCommand:12abc", true, 0, ""},
        {"LumorEngCommand:-5", true, -5, ""},
        {"LumorEngCommand:99999999999", true, 0, ""},
        {"LumorEngCommand:2147483647", true, 2147483647, ""},
        {"LumorEngCommand:-2147483648", true, -2147483648LL, ""},
        {"LumorEngCommand:,,,", true, 0, ",,"},
        {"LumorEngComman", false, 0, ""},
        {"lumorengcommand:12", false, 0, ""},
        {"", false, 0, ""},
        {"ProcessCapturedImage:/tmp/a.jpg", false, 0, ""},
    };
    for (const Case& c : cases) {
        int id = 77;
        DString argument("unchanged");
        EXPECT_EQ(c.isCommand, TOrbetaAppCommands::ParseCommandString(c.text, &id, &argument)) << c.text;
        if (!c.isCommand)
            continue;
        EXPECT_EQ(c.id, id) << c.text;
        EXPECT_STREQ(c.argument, argument.c_str()) << c.text;
    }
    EXPECT_FALSE(TOrbetaAppCommands::ParseCommandString(nullptr, nullptr, nullptr));
}

TEST(ExecCommandString, CallbackRunsCommandsAndFiltersWhileInputIsBlocked)
{
    struct Case {
        const char* text;
        bool blocked;
        const char* executed;  // null: nothing runs
    };
    const Case cases[] = {
        {"LumorEngCommand:272", false, "272"},
        {"LumorEngCommand:2528,a,b", false, "2528 a,b"},
        {"LumorEngCommand:272", true, nullptr},
        {"LumorEngCommand:548", true, "548"},
        {"LumorEngCommand:549", true, "549"},
        {"LumorEngCommand:551", true, "551"},
        {"LumorEngCommand:577", true, "577"},
        {"LumorEngCommand:3221", true, "3221"},
        {"LumorEngCommand:675", true, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        ExecApp app;
        app.ui->inputBlocked = c.blocked ? 1 : 0;
        uint8_t handled = 7;
        TOrbetaAppCommands::FuncUICommandCallBack(&app, c.text, "", 0, &handled, 0);
        if (c.executed) {
            ASSERT_EQ(1u, app.executed.size());
            EXPECT_EQ(c.executed, app.executed[0]);
            EXPECT_EQ(1, handled);
        } else {
            EXPECT_TRUE(app.executed.empty());
            EXPECT_EQ(7, handled);  // left as it was
        }
        app.Forget();
    }
}

TEST(ExecCommandString, NamedUICommands)
{
    ExecApp app;
    RecMain main(&app);
    RecPage graph(app.ui, "pagetrackgraph"), other(app.ui, "pageother");
    app.ui->OpenPage(&main);
    app.ui->OpenPage(&graph);
    app.ui->OpenPage(&other);

    uint8_t handled = 1;
    TElementoGPS element("folder");
    TOrbetaAppCommands::FuncUICommandCallBack(&app, "lumorEngine_datosModificados", "", 0, &handled,
                                              reinterpret_cast<intptr_t>(&element));
    EXPECT_EQ(std::vector<std::string>{"lumorEngine_datosModificados"}, main.got);
    ASSERT_EQ(1u, other.got.size());
    EXPECT_EQ(reinterpret_cast<intptr_t>(&element), other.got[0].data);
    EXPECT_EQ(0, TOrbetaAppCommands::BroadcastInProgress(*app.ui));
    EXPECT_FALSE(app.ui->keyboardLayouts.IsEmpty());

    TOrbetaAppCommands::FuncUICommandCallBack(&app, "lumorEngine_loadGraphData", "", 0, &handled, 0);
    EXPECT_EQ("lumorEngine_loadGraphData", graph.got.back().name);
    EXPECT_EQ(1u, other.got.size());  // not a graph page

    TOrbetaAppCommands::FuncUICommandCallBack(&app, "ProcessCapturedImage:/photos/a,b.jpg", "", 0, &handled, 0);
    EXPECT_TRUE(app.Called("image picked /photos/a,b.jpg"));
    EXPECT_EQ(1, handled);

    TOrbetaAppCommands::FuncUICommandCallBack(&app, "somethingElse", "", 0, &handled, 0);
    EXPECT_EQ(0, handled);

    TOrbetaAppCommands::FuncUICommandCallBack(&app, "lumorEngine_closeLastPage", "", 0, &handled, 0);
    EXPECT_EQ(1, other.closing);
    EXPECT_EQ(0, graph.closing);
    TOrbetaAppCommands::FuncUICommandCallBack(&app, "lumorEngine_closePagesUntilFirst", "", 0, &handled, 0);
    EXPECT_EQ(1, graph.closing);
    EXPECT_EQ(0, main.closing);
    app.Forget();
}

TEST(ExecCommandString, PostedCommandsRunOnTheNextDrain)
{
    ExecApp app;
    RecMain main(&app);
    app.ui->OpenPage(&main);
    app.PostEngineCommand(272, "");
    app.PostEngineCommand(2528, "a,b");
    TPDAUIEngineCommand first, second;
    ASSERT_TRUE(app.ui->PopCommand(first));
    ASSERT_TRUE(app.ui->PopCommand(second));
    EXPECT_STREQ("LumorEngCommand:272", first.name.c_str());
    EXPECT_STREQ("LumorEngCommand:2528,a,b", second.name.c_str());

    app.PostEngineCommand(2540, nullptr);
    app.ui->DispatchPostedCommands();
    EXPECT_EQ(std::vector<std::string>{"2540"}, app.executed);
    app.Forget();
}

TEST(ExecCommandString, DataFieldRemoval)
{
    struct Case {
        const char* layout;
        int field;
        const char* expected;
        bool removed;
    };
    const Case cases[] = {
        {"7;5;8", 5, "7;86;8", true},
        {"5,6;7", 5, "6;7", true},
        {"15,6;7", 5, "15,6;7", false},
        {"-1,1,5", 1, "-1,5", true},
        {"18;51", 8, "18;51", false},
        {"7;5", 5, "7;86", true},
        {"5;7", 5, "86;7", true},
        {"Hdr:5", 5, "Hdr:86", true},
        {"Map:21,5,5,86;Trip_1:5,47", 5, "Map:21,86;Trip_1:47", true},
        {"", 5, "", false},
        {";;", 5, ";;", false},
        {"a:b:5", 5, "a:b:5", false},
        {"-1,-1", -1, "86", true},
    };
    for (const Case& c : cases) {
        DString layout(c.layout);
        EXPECT_EQ(c.removed, TOrbetaAppCommands::RemoveDataField(layout, c.field)) << c.layout;
        EXPECT_STREQ(c.expected, layout.c_str()) << c.layout;
    }
}

TEST(ExecCommandString, TranslatedFormatsTakeOneStringOnly)
{
    struct Case {
        const char* format;
        const char* argument;
        const char* expected;
    };
    const Case cases[] = {
        {"Waypoint created: %s", "Mark 1", "Waypoint created: Mark 1"},
        {"%s and %s", "a", "a and %s"},
        {"%n%d %s", "x", "%n%d x"},
        {"no conversion", "x", "no conversion"},
        {"100%", "x", "100%"},
        {"%s", nullptr, ""},
    };
    for (const Case& c : cases)
        EXPECT_STREQ(c.expected, TOrbetaAppCommands::FormatOneString(c.format, c.argument).c_str()) << c.format;
}

} // namespace
