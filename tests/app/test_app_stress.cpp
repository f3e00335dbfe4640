// Random input against the application's pages: the main page on the default skin
// with message boxes of every type opening over it at random, and the map page in
// it with all its controls, under fixed seeds.
// Under the sanitizer build this is where a page that keeps a pointer past a
// close, or answers twice, shows.
#include "app/exec_test_app.h"
#include "display/display_test_app.h"

#include "uiengine/controls/RegisterControls.h"

namespace {
using namespace exectest;

TEST(AppStress, RandomInputOverTheMainPageAndMessageBoxes)
{
    RegisterControlElements(&TPDAUIEngineElementFactory::RegisterTag);
    ExecApp app;
    ASSERT_TRUE(app.skinLoaded);
    TPageMain* main = new TPageMain(&app);  // the application's, deleted with it
    app.mainPage = main;
    app.ui->OpenPage(main);
    app.ui->Advance(500);

    uint32_t state = 20261211;
    auto next = [&](int below) {
        state = state * 1664525u + 1013904223u;
        return (int)((state >> 8) % (uint32_t)below);
    };
    const int keys[] = {13, 27, 37, 38, 39, 40, 32, 'A', '5', 8};
    bool down = false;
    int opened = 0;
    for (int i = 0; i < 4000; ++i) {
        const int x = next(800), y = next(480);
        switch (next(10)) {
        case 0:
            if (app.ui->GetPageCount() < 4) {
                auto* box = new TPageMessageBox(&app, next(3) == 0 ? next(12) : 0);
                box->type = next(8);
                box->title = next(2) ? "Title" : "";
                box->message = "A message long enough to wrap over more than one line of the box";
                app.ui->OpenPage(box);
                ++opened;
            }
            break;
        case 1:
        case 2:
            if (down)
                app.ui->Release(x, y);
            else
                app.ui->Press(x, y);
            down = !down;
            break;
        case 3:
            app.ui->Move(x, y);
            break;
        case 4:
            app.ui->Key(keys[next(10)], 30);
            break;
        case 5:
            app.ui->Frame();
            break;
        default:
            app.ui->Advance(10 + next(400));
            break;
        }
        ASSERT_GE(app.ui->GetPageCount(), 1);
        ASSERT_EQ(main, app.ui->GetPage(0));
    }
    if (down)
        app.ui->Release(400, 240);
    app.ui->Advance(30000);  // every countdown runs out
    for (int i = 0; i < 10 && app.ui->GetPageCount() > 1; ++i)
        app.ui->Key(27, 30);  // Escape cancels the boxes that wait for a button
    app.ui->Advance(1000);
    EXPECT_GT(opened, 50);
    EXPECT_EQ(1, app.ui->GetPageCount());
    // The main page goes while the engine it runs on is still there.
    app.ui->pages.RemoveAllEqual(main);
    delete main;
    app.mainPage = nullptr;
}

// The main page with the map page in its iframe, every control and the user
// controls the application makes: taps, drags, long presses, wheel turns, keys,
// the page's own commands and the window messages the main page passes on,
// while the drive moves on.
TEST(AppStress, RandomInputOverTheMapPage)
{
    displaytest::DisplayApp app;
    ASSERT_TRUE(app.skinLoaded);
    TPageMain* main = new TPageMain(&app);
    app.mainPage = main;
    app.ui->OpenPage(main);
    app.ui->Advance(500);
    ASSERT_NE(nullptr, main->LiveMapPage());

    uint32_t state = 20261212;
    auto next = [&](int below) {
        state = state * 1664525u + 1013904223u;
        return (int)((state >> 8) % (uint32_t)below);
    };
    const char* commands[] = {
        "zoomIn", "zoomOut", "change3Dmode", "changePanningRotating", "changeAutoCenter", "changeMovingMapArrows",
        "hideMainFotoView", "changeView", "chageViewButtons", "refresh", "showFullScreenSoft", "muteOnOff",
        "loadToolbarButtons", "loadPolivalentDataFields", "lumorEngine_loadGraphData", "nextManuobreAction",
        "showGadgetVisor2DContextMenu", "showGadgetVisor2DContextMenuEnd", "showGadgetPolivalentDataFieldContextMenu",
        "lumorEngine_datosModificados", "openRecentFile", "openRecentFile2147483648", "cancel", "WM_POSTIEMPOREAL",
        "WM_CANCEL_MOVINGMAP_DEMO", "WM_LUMORGPS_API", "WM_ITV_RELOADMENU", "trackActivate", "trackStop",
        "repaint", "stopNavigation", "showStatusPage", "showSatellitesPage"};
    const int commandCount = (int)(sizeof(commands) / sizeof(commands[0]));
    const int keys[] = {13, 27, 37, 38, 39, 40, 32, 'A', '5', 8, 9};
    const char* layouts[] = {"Map:21,300,86", "Map:", "21", "Map:47,-1,99999,x,373,379", ""};
    const char* sliders[] = {"0|0", "9|9", "-4|x", "|", "2|1"};
    bool down = false;
    double drive = 0;
    for (int i = 0; i < 3000; ++i) {
        const int x = next(800), y = next(480);
        switch (next(12)) {
        case 0:
        case 1:
            if (down)
                app.ui->Release(x, y);
            else
                app.ui->Press(x, y);
            down = !down;
            break;
        case 2:
            app.ui->Move(x, y);
            break;
        case 3:
            app.ui->Wheel(x, y, next(2) ? 120 : -120);
            break;
        case 4:
            app.ui->Key(keys[next(11)], next(2) ? 30 : 900);
            break;
        case 5: {
            TPDAUIEngineCommand command(nullptr, commands[next(commandCount)], next(3), next(3));
            main->OnCommand(command);
            break;
        }
        case 6:
            app.engine.config->PolivalentDataLayoutPrimary = layouts[next(5)];
            app.engine.config->sliderState = sliders[next(5)];
            app.engine.config->miniMenu = next(4) == 0;
            app.engine.config->showNavigationPanel = next(3) != 0;
            app.engine.config->sliderMode = next(3);
            break;
        case 7:
            app.ui->Frame();
            break;
        default:
            drive += next(20);
            app.At(drive);
            app.ui->Advance(10 + next(600));
            break;
        }
        ASSERT_GE(app.ui->GetPageCount(), 1);
        ASSERT_EQ(main, app.ui->GetPage(0));
    }
    if (down)
        app.ui->Release(400, 240);
    app.ui->Advance(30000);
    for (int i = 0; i < 10 && app.ui->GetPageCount() > 1; ++i)
        app.ui->Key(27, 30);
    app.ui->Advance(1000);
    app.ui->Frame();
    app.ui->pages.RemoveAllEqual(main);
    delete main;
    app.mainPage = nullptr;
}

}  // namespace
