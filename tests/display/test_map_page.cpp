// The map page inside the main page on the default skin: what the main page
// gives it, the controls it shows from the library's state, its command table,
// its slider state, the window's close message, the data-field strip and its
// picture at a moment of the drive.
#include <algorithm>
#include <cmath>

#include "app/pages/TPageMain.h"
#include "display/display_test_app.h"
#include "display/pages/TPageMap.h"
#include "display/pages/TPageMapToolbar.h"
#include "enginelib/nav/TItemComanda.h"
#include "enginelib/nav/TCampos.h"
#include "enginelib/nav/TDemoRoute.h"
#include "enginelib/nav/TValCampo.h"
#include "support/CoverPaint.h"
#include "support/GoldenImage.h"
#include "uiengine/controls/TPDAUIEngineElementButton.h"
#include "uiengine/controls/TPDAUIEngineElementMenu.h"
#include "uiengine/controls/TPDAUIEngineElementMenuItem.h"
#include "uiengine/controls/TPDAUIEngineElementToolBar.h"
#include "uiengine/elements/TPDAUIEngineElementIFrame.h"
#include "uiengine/elements/TPDAUIEngineElementSliderBox.h"

namespace {

class MapPageTest : public ::testing::Test {
protected:
    MapPageTest()
    {
        app.engine.config->sliderState = "0|0";
        main = new TPageMain(&app);
        app.mainPage = main;
        app.ui->OpenPage(main);
        app.ui->Advance(100);
        map = main->mapPage;
        app.executed.clear();
    }
    ~MapPageTest() override
    {
        // The main page goes while the engine it runs on is still there.
        app.ui->pages.RemoveAllEqual(main);
        delete main;
        app.mainPage = nullptr;
    }

    bool Send(const char* name, int x = 0, int y = 0)
    {
        TPDAUIEngineCommand command(nullptr, name, x, y);
        map->OnCommand(command);
        return command.handled != 0;
    }
    // The commands run since the last call, as numbers.
    std::vector<int> Ran()
    {
        std::vector<int> ids;
        for (const std::string& e : app.executed)
            ids.push_back(std::atoi(e.c_str()));
        app.executed.clear();
        return ids;
    }
    bool RanCommand(int id)
    {
        const std::vector<int> ids = Ran();
        return std::find(ids.begin(), ids.end(), id) != ids.end();
    }
    static bool Shown(TPDAUIEngineElement* e) { return e && e->visible; }
    // The page's pop-ups are kept by the main page it lies in; the menu knows it.
    bool MenuOpen()
    {
        const bool kept = main->popups.IndexOf(map->ctmContextMenu) >= 0;
        EXPECT_EQ(kept, map->ctmContextMenu->IsOpenPopup());
        return kept;
    }

    displaytest::DisplayApp app;
    TPageMain* main = nullptr;
    TPageMap* map = nullptr;
};

TEST_F(MapPageTest, TheMainPageOpensItInItsIFrameAndItsTimerRuns)
{
    ASSERT_NE(nullptr, map);
    ASSERT_EQ(1, main->iframes.Count());
    EXPECT_EQ(map, main->iframes[0]->innerPage);
    EXPECT_TRUE(map->bound);
    EXPECT_TRUE(map->forceLandscape);  // the iframe is wider than tall
    EXPECT_EQ(1, app.ui->GetPageCount());
    // Hidden on load.
    EXPECT_FALSE(map->ctmContextMenu->visible);
    EXPECT_FALSE(map->boxMainFotoView->visible);
    EXPECT_FALSE(map->boxOrbetaAds->visible);
    EXPECT_EQ(TPageMap::kTimerInterval, map->timerInterval);

    // The page's two-second timer runs inside the iframe: the panel follows the
    // setting at the next tick, not before.
    app.engine.config->showNavigationPanel = false;
    app.ui->Advance(500);
    EXPECT_FALSE(map->boxMenu->visible);
    app.ui->Advance(2000);
    EXPECT_TRUE(map->boxMenu->visible);
    EXPECT_FALSE(map->boxNavigationNextDistance->visible);

    // The executor's change-view row reaches the page.
    const int before = map->sliderBox->layoutCardIndex;
    app.ExecuteCommand(115, nullptr, -1, nullptr, nullptr, -1, nullptr, nullptr);
    EXPECT_NE(before, map->sliderBox->layoutCardIndex);
}

TEST_F(MapPageTest, VisibilityFollowsFullScreenNavigationPanelFleetAndMiniMenu)
{
    ASSERT_NE(nullptr, map);
    struct Case {
        bool fullScreen, panel, fleet, mini;
        bool navigation, distance, menu, nextManoeuvre, slider, fields, counter;
    } const cases[] = {
        //  full  panel  fleet  mini   nav    dist   menu   next   slider fields counter
        {false, true, false, false, true, true, false, true, true, true, true},
        {false, false, false, false, true, false, true, false, true, true, true},
        {false, false, true, false, true, true, false, true, true, true, true},  // fleet stands for the panel
        {true, true, false, false, false, true, false, false, false, false, false},
        {true, false, false, false, false, false, true, false, false, false, false},
        {false, true, false, true, false, true, false, true, true, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "full " << c.fullScreen << " panel " << c.panel << " fleet " << c.fleet
                                        << " mini " << c.mini);
        app.engine.config->showNavigationPanel = c.panel;
        app.engine.config->miniMenu = c.mini;
        app.engine.fleetControl = c.fleet;
        map->fullScreenFlag = c.fullScreen ? 1 : 0;
        map->UpdateControls();
        EXPECT_EQ(c.navigation, Shown(map->boxNavigation));
        EXPECT_EQ(c.distance, Shown(map->boxNavigationNextDistance));
        EXPECT_EQ(c.menu, Shown(map->boxMenu));
        EXPECT_EQ(c.nextManoeuvre, Shown(map->boxNextManuobre));
        EXPECT_EQ(c.nextManoeuvre, Shown(map->boxNextManuobreContainer));
        EXPECT_EQ(c.slider, Shown(map->sliderBox));
        EXPECT_EQ(c.fields, Shown(map->boxPolivalentDataTemplate));
        EXPECT_EQ(c.counter, Shown(map->btnChangeView));
        // Full screen keeps the next-street control hidden even with the panel on.
        ASSERT_NE(nullptr, map->usercontrolMapInfoNext);
        EXPECT_EQ(c.distance && !c.fullScreen, Shown(map->usercontrolMapInfoNext));
    }
}

TEST_F(MapPageTest, TheFullScreenCommandTogglesAndKeepsTheSetting)
{
    ASSERT_NE(nullptr, map);
    EXPECT_TRUE(Send("showFullScreenSoft"));
    EXPECT_TRUE(app.engine.config->fullScreen);
    EXPECT_FALSE(map->boxNavigation->visible);
    EXPECT_FALSE(map->sliderBox->visible);
    EXPECT_TRUE(Send("showFullScreenSoft"));
    EXPECT_FALSE(app.engine.config->fullScreen);
    EXPECT_TRUE(map->boxNavigation->visible);
}

TEST_F(MapPageTest, TheScreenBlocksAtTheBlockingSpeedAndNeverWithTheSettingOff)
{
    ASSERT_NE(nullptr, map);
    // A moment of the drive at speed.
    const double t = TDemoRoute::Get().EventTime("A.M5") + 30;
    app.At(t);
    TValCampo speed;
    ASSERT_TRUE(app.engine.Retorna_Val_Campo_Global(21, speed, false, false));
    const int kmh = speed.AsInteger();
    ASSERT_GT(kmh, 10);

    app.engine.config->blockingSpeed = (float)kmh;  // exactly the speed
    map->UpdateControls();
    EXPECT_TRUE(RanCommand(551));
    app.engine.config->blockingSpeed = (float)(kmh + 1);
    map->UpdateControls();
    EXPECT_FALSE(RanCommand(551));
    app.engine.config->blockingSpeed = 0.0f;
    map->UpdateControls();
    EXPECT_FALSE(RanCommand(551));

    // Stopped: never, whatever the setting.
    app.At(0);
    ASSERT_TRUE(app.engine.Retorna_Val_Campo_Global(21, speed, false, false));
    if (speed.AsInteger() == 0) {
        app.engine.config->blockingSpeed = 0.5f;
        map->UpdateControls();
        EXPECT_FALSE(RanCommand(551));
    }

    // Blocked by this page's own blocker and back under the speed: unblocks.
    app.At(t);
    app.ui->inputBlocked = 1;
    TOrbetaAppCommands::BlockerText(*app.ui) = app.ui->TranslateText("{H301}");
    app.engine.config->blockingSpeed = (float)(kmh + 50);
    map->UpdateControls();
    EXPECT_TRUE(RanCommand(547));
    app.ui->inputBlocked = 0;
}

TEST_F(MapPageTest, TheSlideCounterCountsOnlyVisibleSlides)
{
    ASSERT_NE(nullptr, map);
    TPDAUIEngineElementSliderBox* slider = map->sliderBox;
    ASSERT_GE(slider->children.Count(), 2);
    const int all = slider->children.Count();
    slider->layoutCardIndex = 1;
    map->UpdateControls();
    EXPECT_STREQ(("2/" + std::to_string(all)).c_str(), map->btnChangeView->label.c_str());
    slider->children[0]->visible = 0;
    map->UpdateControls();
    EXPECT_STREQ(("1/" + std::to_string(all - 1)).c_str(), map->btnChangeView->label.c_str());
}

TEST_F(MapPageTest, EachCommandRunsItsLibraryCommandOrOpensItsPage)
{
    ASSERT_NE(nullptr, map);
    app.engine.config->nextManoeuvreAction = 1;
    struct Row {
        const char* command;
        int x;
        int id;  // 0: runs nothing
    } const rows[] = {
        {"zoomIn", 0, 101},
        {"zoomOut", 0, 102},
        {"change3Dmode", 0, 269},
        {"changePanning", 0, 105},
        {"changeRotating", 0, 142},
        {"changeAutoCenter", 0, 2512},
        {"goHome", 0, 271},
        {"showPolivalentDatePage", 0, 193},
        {"stopNavigation", 0, 235},
        {"showPageVolume", 0, 562},
        {"showSatellitesPage", 0, 232},
        {"showStatusPage", 0, 600},
        {"showEventsTMCPage", 0, 2522},
        {"trackStop", 0, 708},
        {"trackActivate", 0, 202},
        {"showFileOpen", 0, 554},
        {"showFileOpenRecent", 0, 554},
        {"openRecentFile", 0, 510},
        {"openRecentFile3", 0, 513},
        {"openRecentFile99", 0, 0},  // beyond the recent list
        {"nextManuobreAction", 0, 193},
        {"WM_CLOSE", 0, 172},
        {"WM_CLOSE_FORCE", 7, 675},
        {"WM_SD_CHANGED", 32772, 2611},
        {"viewTMCEvents", 0, 0},
        {"viewRDSTuner", 0, 0},
        {"bluetoothOn", 0, 0},
        {"WM_ACTU_FRAME_GRAFICAS", 0, 0},
        {"changeOnRoadOffRoad", 0, 276},
        {"changeNightDay", 0, 129},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.command);
        Ran();
        EXPECT_TRUE(Send(row.command, row.x));
        const std::vector<int> ids = Ran();
        if (row.id == 0) {
            EXPECT_TRUE(ids.empty());
        } else {
            ASSERT_FALSE(ids.empty());
            EXPECT_EQ(row.id, ids[0]);
        }
    }
    EXPECT_FALSE(Send("noSuchCommand"));
    // With the status page switched off the row runs nothing.
    app.engine.config->statusPageDisabled = true;
    Send("showStatusPage");
    EXPECT_TRUE(Ran().empty());
}

TEST_F(MapPageTest, TheWindowCloseMessageWakesTheScreenOrAsksToQuit)
{
    ASSERT_NE(nullptr, map);
    // The power button with the screen on and input free: the quit question.
    app.engine.screenOn = true;
    Send("WM_CLOSE", 1);
    EXPECT_TRUE(RanCommand(506));
    // With the screen off it only wakes the screen.
    app.engine.screenOn = false;
    Send("WM_CLOSE", 1);
    EXPECT_TRUE(Ran().empty());
    EXPECT_TRUE(app.engine.screenOn);
    // Input blocked: the blocker's unlock.
    app.ui->inputBlocked = 1;
    Send("WM_CLOSE", 1);
    EXPECT_TRUE(RanCommand(548));
    // The screen-off state: both cleared and the screen powered.
    TOrbetaAppCommands::ScreenBlocked(*app.ui) = 1;
    app.engine.screenOn = false;
    Send("WM_CLOSE", 1);
    EXPECT_TRUE(Ran().empty());
    EXPECT_EQ(0, app.ui->inputBlocked);
    EXPECT_EQ(0, TOrbetaAppCommands::ScreenBlocked(*app.ui));
    EXPECT_TRUE(app.engine.screenOn);
    // Any other wParam: the window's close, which ends the program.
    Send("WM_CLOSE", 2);
    EXPECT_TRUE(RanCommand(172));
    EXPECT_TRUE(app.ui->quit);
}

TEST(MapPageSlider, StoredIndexesAreClampedToTheSlides)
{
    struct Case {
        const char* text;
        int count1, count2, index1, index2;
    } const cases[] = {
        {"1|2", 3, 3, 1, 2},   {"7|9", 3, 2, 2, 1},   {"-3|-1", 3, 2, 0, 0}, {"", 3, 2, 0, 0},
        {"x|y", 3, 2, 0, 0},   {"2", 3, 2, 2, 0},     {"1|1", 0, 0, -1, -1}, {"99999999999|1", 3, 2, 0, 1},
        {"|1", 3, 2, 0, 1},
    };
    for (const Case& c : cases) {
        int a = 5, b = 5;
        TPageMap::ParseSliderState(c.text, c.count1, c.count2, a, b);
        EXPECT_EQ(c.index1, a) << c.text;
        EXPECT_EQ(c.index2, b) << c.text;
    }
}

TEST_F(MapPageTest, SliderStateIsSavedAndARestoredIndexClamped)
{
    ASSERT_NE(nullptr, map);
    EXPECT_TRUE(Send("changeView"));
    DString expected;
    expected << map->sliderBox->layoutCardIndex << "|" << map->sliderBoxButtons->layoutCardIndex;
    EXPECT_STREQ(expected.c_str(), app.engine.config->sliderState.c_str());
    EXPECT_TRUE(Send("chageViewButtons"));
    EXPECT_EQ(1, map->sliderBoxButtons->layoutCardIndex);

    app.engine.config->sliderState = "40|-7";
    map->RestoreSliderState();
    EXPECT_EQ(map->sliderBox->children.Count() - 1, map->sliderBox->layoutCardIndex);
    EXPECT_EQ(0, map->sliderBoxButtons->layoutCardIndex);
}

TEST(MapPageLayout, TheMapPageTakesTheFieldsOfTheLayoutsFirstPage)
{
    struct Case {
        const char* layout;
        std::vector<int> fields;
    } const cases[] = {
        {"Map:21,300,86;Trip_1:21,47", {21, 300, 86}},
        {"21,47;Trip:1", {21, 47}},  // no header: the whole entry
        {"Map:", {}},
        {"", {}},
        {"Map:21,x,,-1,99999999999,5", {21, -1, 5}},
        {"A:B:3,4", {4}},  // after the first ':': "B:3", not a number, and "4"
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.fields, TPageMap::MapPageFields(c.layout)) << c.layout;
}

TEST_F(MapPageTest, TheDataFieldStripHasOneItemPerFieldWithItsName)
{
    ASSERT_NE(nullptr, map);
    for (const char* layout : {"Map:21,300,86;Trip:1", "Map:21,47"}) {
        SCOPED_TRACE(layout);
        app.engine.config->PolivalentDataLayoutUseAlternate = false;
        app.engine.config->PolivalentDataLayoutPrimary = layout;
        Send("loadPolivalentDataFields");
        const std::vector<int> fields = TPageMap::MapPageFields(layout);
        TPDAUIEngineElementBox* templ = map->boxPolivalentDataTemplate;
        ASSERT_EQ(2, templ->children.Count());  // the hidden container and its clone
        auto* strip = dynamic_cast<TPDAUIEngineElementBox*>(templ->children[1]);
        ASSERT_NE(nullptr, strip);
        EXPECT_FALSE(templ->children[0]->visible);
        ASSERT_EQ((int)fields.size(), strip->children.Count());
        const int form = fields.size() < 3 ? 1 : 2;
        for (int i = 0; i < strip->children.Count(); ++i) {
            auto* item = dynamic_cast<TPDAUIEngineElementBox*>(strip->children[i]);
            ASSERT_NE(nullptr, item);
            TPDAUIEngineElement* title = item->FindElement("lblPolivalentDataItemTitle", false);
            ASSERT_NE(nullptr, title);
            EXPECT_STREQ(Nombre_Campo(fields[i], form).c_str(), title->label.c_str());
        }
        // Landscape: one column.
        EXPECT_EQ(1, strip->layoutColumns);
    }
    // A skin page without the container builds no strip and does not fail.
    TPDAUIEngineElementBox* templ = map->boxPolivalentDataTemplate;
    templ->RemoveChild(templ->children[1]);
    templ->RemoveChild(templ->FindElement("boxPolivalentDataContainer", false));
    EXPECT_TRUE(Send("loadPolivalentDataFields"));
    EXPECT_EQ(nullptr, templ->FindElement("boxPolivalentDataItemTemplate", false));
}

TEST_F(MapPageTest, TheMiniMenuFillsTheLowerToolBarWithItsFiveCommands)
{
    ASSERT_NE(nullptr, map);
    app.engine.config->miniMenu = false;
    Send("loadToolbarButtons");
    EXPECT_FALSE(map->tlbInferiorToolBar->visible);
    EXPECT_GT(map->tlbMainToolBar->children.Count(), 0);

    app.engine.config->miniMenu = true;
    Send("loadToolbarButtons");
    EXPECT_TRUE(map->tlbInferiorToolBar->visible);
    auto* lower = dynamic_cast<TPDAUIEngineElementToolBar*>(map->tlbInferiorToolBar);
    ASSERT_NE(nullptr, lower);
    int items = 0;
    for (int i = 0; i < lower->children.Count(); ++i)
        items += lower->children[i] != lower->overflowItem &&
                 dynamic_cast<TPDAUIEngineElementMenuItem*>(lower->children[i]) != nullptr;
    TPDAUIEngineElementMenu* more = lower->OverflowMenu();
    if (more)
        items += more->children.Count();
    EXPECT_EQ(5, items);
    EXPECT_FALSE(map->boxNavigation->visible);
    map->UpdateControls();
    EXPECT_FALSE(map->boxNavigation->visible);
    EXPECT_FALSE(map->btnChangeView->visible);
}

TEST_F(MapPageTest, TheMapContextMenuOpensOnlyWhenTheSettingAllowsIt)
{
    ASSERT_NE(nullptr, map);
    app.engine.visor->cursor = TPointIG(300, 200);
    app.engine.config->mapContextMenu = false;
    Send("showGadgetVisor2DContextMenu");
    EXPECT_FALSE(MenuOpen());
    EXPECT_FALSE(app.engine.visor->centringPaused);

    app.engine.config->mapContextMenu = true;
    Send("showContextMenu");
    EXPECT_GT(map->contextMenuCommands.Count(), 0);
    EXPECT_TRUE(MenuOpen());
    EXPECT_TRUE(app.engine.visor->centringPaused);
    Send("showGadgetVisor2DContextMenuEnd");
    EXPECT_FALSE(app.engine.visor->centringPaused);

    // A long press while a zoom button is held down opens none.
    main->CloseAllPopups();
    map->ctmContextMenu->visible = 0;
    map->btnZoomIn->pressed = 1;
    unsigned char handled = 0;
    map->OnContextMenu(10, 10, &handled);
    EXPECT_FALSE(handled);
    EXPECT_FALSE(MenuOpen());
    map->btnZoomIn->pressed = 0;
}

TEST_F(MapPageTest, ADataFieldsMenuCarriesItsSlotAndFieldAndItsRemoveEntryEditsTheLayout)
{
    ASSERT_NE(nullptr, map);
    app.ui->flagMemberB = 1;  // context menus allowed
    app.engine.config->PolivalentDataLayoutUseAlternate = false;
    app.engine.config->PolivalentDataLayoutPrimary = "Map:21,300,86;Trip:21";
    Send("loadPolivalentDataFields");
    auto* strip = dynamic_cast<TPDAUIEngineElementBox*>(map->boxPolivalentDataTemplate->children[1]);
    ASSERT_NE(nullptr, strip);
    ASSERT_EQ(3, strip->children.Count());
    // A long press on the second item's box: the gadget inside it is found.
    TPDAUIEngineCommand press(strip->children[1], "showGadgetPolivalentDataFieldContextMenu", 600, 120);
    map->OnCommand(press);
    EXPECT_TRUE(MenuOpen());
    TPDAUIEngineElementMenuItem* remove = nullptr;
    for (int i = 0; i < map->ctmContextMenu->children.Count(); ++i) {
        auto* item = dynamic_cast<TPDAUIEngineElementMenuItem*>(map->ctmContextMenu->children[i]);
        if (!item)
            continue;
        EXPECT_EQ(2, item->userValue1);    // slot 1, counted from 1
        EXPECT_EQ(300, item->userValue2);  // its field
        if (reinterpret_cast<TItemComanda*>(item->userData)->Comanda() == 240)
            remove = item;
    }
    ASSERT_NE(nullptr, remove);
    TPDAUIEngineCommand clicked(remove, "menuItemClicked");
    map->OnCommand(clicked);
    EXPECT_STREQ("Map:21,86;Trip:21", app.engine.config->PolivalentDataLayoutPrimary.c_str());
    Send("showGadgetPolivalentDataFieldContextMenuEnd");
    EXPECT_FALSE(app.engine.visor->centringPaused);

    // With context menus not allowed no menu opens.
    main->CloseAllPopups();
    app.ui->flagMemberB = 0;
    map->OnCommand(press);
    EXPECT_FALSE(MenuOpen());
}

TEST_F(MapPageTest, TheNextManoeuvreActionOpensTheMenuOrTheMapToolbar)
{
    ASSERT_NE(nullptr, map);
    app.engine.config->nextManoeuvreAction = 2;
    Send("nextManuobreAction");
    EXPECT_EQ(2, app.ui->GetPageCount());
    EXPECT_NE(nullptr, dynamic_cast<TPageMapToolbar*>(app.ui->GetTopPage()));
    app.ui->GetTopPage()->Close(0);
    app.ui->Advance(100);
    EXPECT_EQ(1, app.ui->GetPageCount());
    app.engine.config->nextManoeuvreAction = 0;
    Send("nextManuobreAction");
    EXPECT_TRUE(app.Logged("TPageMenu is not available"));
    app.engine.config->nextManoeuvreAction = 7;
    EXPECT_TRUE(Send("nextManuobreAction"));
    EXPECT_TRUE(Ran().empty());
    EXPECT_EQ(1, app.ui->GetPageCount());
}

TEST_F(MapPageTest, TheQuitItemsReplyClosesTheMapPageAndTheMainPageForgetsIt)
{
    ASSERT_NE(nullptr, map);
    TItemComanda quit(506, "Quit");
    TPDAUIEngineCommand refused(map, "menuItemClickedEnd", (intptr_t)&quit);
    refused.result = 0;
    map->OnCommand(refused);
    EXPECT_FALSE(map->closing);  // a refused command changes nothing
    TPDAUIEngineCommand done(map, "menuItemClickedEnd", (intptr_t)&quit);
    done.result = 1;
    map->OnCommand(done);
    EXPECT_TRUE(app.ui->quit);
    EXPECT_TRUE(map->closing);
    EXPECT_TRUE(app.Logged("----> SHUTDOWN TPageMap::OnCommand menuItemClickedEnd"));
    // The iframe lets the closed page go at its next paint; the main page no
    // longer passes anything to it.
    app.ui->Frame();
    EXPECT_EQ(nullptr, main->LiveMapPage());
    EXPECT_EQ(nullptr, main->iframes[0]->innerPage);
    TPDAUIEngineCommand later(nullptr, "zoomIn");
    main->OnCommand(later);
    EXPECT_FALSE(later.handled);
}

TEST_F(MapPageTest, NoticesShowInTheAutoHideBoxAndGo)
{
    ASSERT_NE(nullptr, map);
    EXPECT_TRUE(Send("goHome"));
    // Home is not set in the demo: the command answers false and no notice shows.
    if (!map->boxAutoHideMessage->visible) {
        map->ShowAutoHideMessage("Hello");
    }
    EXPECT_TRUE(map->boxAutoHideMessage->visible);
    app.ui->Advance(1500);
    EXPECT_FALSE(map->boxAutoHideMessage->visible);
}

TEST_F(MapPageTest, TheMainPhotoViewShowsASpeedSignAndClearsWithNoText)
{
    ASSERT_NE(nullptr, map);
    map->ShowMainPhotoView("pageMapTrackActivate", "80\r\nkm/h", 7, true);
    EXPECT_TRUE(map->boxMainFotoView->visible);
    ASSERT_GE(map->boxMainFotoView->children.Count(), 3);
    bool flattened = false;
    for (int i = 0; i < map->boxMainFotoView->children.Count(); ++i)
        flattened |= map->boxMainFotoView->children[i]->label == "80  km/h";
    EXPECT_TRUE(flattened);
    map->ShowMainPhotoView("", "", 0, false);
    EXPECT_FALSE(map->boxMainFotoView->visible);
    EXPECT_EQ(0, map->boxMainFotoView->children.Count());
    // In full screen the view stays hidden.
    map->fullScreenFlag = 1;
    map->ShowMainPhotoView("pageMapTrackActivate", "text", 4, false);
    EXPECT_FALSE(map->boxMainFotoView->visible);
}

TEST_F(MapPageTest, DayAndNightReloadsThePageAfterTheButtonsHandlerHasReturned)
{
    ASSERT_NE(nullptr, map);
    const int before = map->btnZoomIn->numericId;
    ASSERT_TRUE(Send("changeNightDay"));
    // Still the same tree while the command is being handled.
    EXPECT_EQ(before, map->btnZoomIn->numericId.load());
    app.ui->Advance(100);
    EXPECT_EQ(map, main->LiveMapPage());
    EXPECT_TRUE(map->bound);
    EXPECT_NE(before, map->btnZoomIn->numericId.load());
    EXPECT_EQ(main->iframes[0], map->parent);
}

TEST_F(MapPageTest, TheWholeMapPageOnTheMotorway)
{
    ASSERT_NE(nullptr, map);
    app.At(TDemoRoute::Get().EventTime("A.M5") - 15);  // on the M7 before exit 14
    app.ui->Advance(2100);  // one tick of the page's timer
    EXPECT_TRUE(golden::Matches(app.ui->Frame(), "display/map_page_motorway", 8, 200));
    // The map page covers the main page's background, the map most of its own:
    // leaving those out changes no pixel, by day and by night.
    EXPECT_TRUE(main->iframes[0]->PaintsOpaque(&app.ui->dc));
    EXPECT_TRUE(map->boxGadgetVisor2D->PaintsOpaque(&app.ui->dc));
    int first = -1;
    EXPECT_EQ(0, coverpaint::Differences(*app.ui, &first)) << first;
    ASSERT_TRUE(Send("changeNightDay"));
    app.ui->Advance(100);
    EXPECT_EQ(0, coverpaint::Differences(*app.ui, &first)) << first;
}

} // namespace
