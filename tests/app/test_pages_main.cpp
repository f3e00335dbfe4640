// The main page on the default skin: its start-up chain, the commands it
// keeps and those it passes on, the iframe layout, and its picture.
#include "app/pages/TPageInitialSteps.h"
#include "app/pages/TPageMain.h"
#include "display/pages/TPageMap.h"
#include "pages_test_app.h"
#include "support/GoldenImage.h"
#include "uiengine/elements/TPDAUIEngineElementIFrame.h"

namespace {
using namespace pagestest;

class MainPageTest : public PagesHarness {
protected:
    MainPageTest() { LoadSkin(); }

    TPageMain* Open()
    {
        main = new TPageMain(&app);
        app.mainPage = main;
        kept.push_back(main);
        engine.OpenPage(main);
        engine.Advance(100);
        return main;
    }
    bool Send(const char* name)
    {
        TPDAUIEngineCommand command(nullptr, name);
        main->OnCommand(command);
        return command.handled != 0;
    }

    TPageMain* main = nullptr;
};

TEST_F(MainPageTest, LoadsItsSkinPageWithTheMapPageInTheMapIFrame)
{
    Open();
    ASSERT_EQ(1, main->iframes.Count());
    EXPECT_STREQ("pageMap", main->iframes[0]->innerPageName.c_str());
    ASSERT_NE(nullptr, main->mapPage);
    EXPECT_EQ(main->mapPage, main->iframes[0]->innerPage);
    EXPECT_TRUE(main->mapPage->forceLandscape);
    EXPECT_EQ(1, engine.GetPageCount());  // the map page is in the iframe, not on the stack
    EXPECT_EQ(800, main->iframes[0]->width);
    EXPECT_EQ(480, main->iframes[0]->height);
    EXPECT_TRUE(golden::Matches(engine.Frame(), "app/page_main", 2, 0));
}

TEST_F(MainPageTest, TheStartUpChainWithNothingToShowOpensNothing)
{
    app.engine.config->showAdvice = false;
    app.engine.config->initialSteps = "";
    Open();
    EXPECT_EQ(1, engine.GetPageCount());
    EXPECT_EQ(1, CountCalls("auto open 2"));
    // The advice setting on: the advice notice is not built, the chain goes on.
    app.engine.config->showAdvice = true;
    EXPECT_TRUE(Send("showPageAdvice"));
    EXPECT_TRUE(Logged("TPageAdvice is not available"));
    EXPECT_EQ(1, engine.GetPageCount());
    EXPECT_FALSE(engine.quit);
}

TEST_F(MainPageTest, TheChainOpensTheInitialStepsAndTheirListIsWrittenBack)
{
    app.engine.config->initialSteps = "stepWaitForDefaultData,stepShowVideo:intro.avi";
    Open();
    engine.Advance(200);
    EXPECT_TRUE(Called("wait for remote data"));
    EXPECT_TRUE(Called("attachment intro.avi"));
    EXPECT_EQ(1, engine.GetPageCount());  // the steps page closed and went
    EXPECT_EQ(main, engine.GetTopPage());
    EXPECT_STREQ("stepWaitForDefaultData,stepShowVideo:intro.avi", app.engine.config->initialSteps.c_str());
}

TEST_F(MainPageTest, RefreshAfterAQuitRequestClosesThePage)
{
    Open();
    EXPECT_TRUE(Send("refresh"));  // the map page's
    EXPECT_FALSE(main->closing);
    engine.RequestQuit();
    EXPECT_TRUE(Send("refresh"));
    EXPECT_TRUE(main->closing);
    EXPECT_EQ(1, main->result);
}

TEST_F(MainPageTest, CommandsGoOnToTheMapPageWhichLeavesUnknownOnesUnhandled)
{
    Open();
    EXPECT_TRUE(Send("WM_POSTIEMPOREAL"));
    EXPECT_TRUE(Send("changeView"));
    EXPECT_FALSE(Send("noSuchCommand"));
    // What the page keeps for itself.
    for (const char* kept : {"repaint", "showPageRadars", "showPageInitialStepsEnd", "splitterMoved",
                             "pageSizeChanged", "lumorEngine_loadGraphData"})
        EXPECT_TRUE(Send(kept)) << kept;
}

TEST_F(MainPageTest, WithoutItsMapPageCommandsStayUnhandledAndAreLoggedOnce)
{
    Open();
    // Another page in the map iframe replaces the map page, which goes.
    TPDAUIEngineElementIFrame* frame = main->iframes[0];
    engine.OpenPage(new RecordingPage(&engine, "pageInitialSteps"), frame);
    EXPECT_EQ(nullptr, main->LiveMapPage());
    for (int i = 0; i < 3; ++i) {
        EXPECT_FALSE(Send("WM_POSTIEMPOREAL"));
        EXPECT_FALSE(Send("zoomIn"));
    }
    int lines = 0;
    for (const std::string& line : app.engine.recorder.log)
        lines += line.find("no map page for the command") != std::string::npos;
    EXPECT_EQ(2, lines);
    TPDAUIEngineCommand close(nullptr, "WM_CLOSE", 0, 0);
    main->OnCommand(close);
    EXPECT_FALSE(close.handled);
}

TEST_F(MainPageTest, TheWindowsCloseMessageGoesToTheMapPage)
{
    Open();
    app.engine.screenOn = true;
    TPDAUIEngineCommand power(nullptr, "WM_CLOSE", 1, 0);  // the power button: the quit question
    main->OnCommand(power);
    ASSERT_EQ(1u, app.executed.size());
    EXPECT_EQ(506, app.executed[0].id);
    TPDAUIEngineCommand close(nullptr, "WM_CLOSE", 0, 0);
    main->OnCommand(close);
    ASSERT_EQ(2u, app.executed.size());
    EXPECT_EQ(172, app.executed[1].id);
}

TEST_F(MainPageTest, ModesOfTheEmbeddedPagesFollowTheIFrameOnlyWhileTheMainPageIsAlone)
{
    Open();
    TPDAUIEngineElementIFrame* frame = main->iframes[0];
    // A page of its own in the iframe, in place of the map page.
    auto* inner = new RecordingPage(&engine, "pageInitialSteps");
    engine.OpenPage(inner, frame);
    ASSERT_EQ(inner, frame->innerPage);

    // Another page on top: nothing changes.
    auto* dialog = new RecordingPage(&engine, "pageInitialSteps");
    engine.OpenPage(dialog);  // the engine's: deleted once closed
    Send("splitterMoved");
    EXPECT_FALSE(inner->forceLandscape);
    EXPECT_FALSE(inner->forcePortrait);
    dialog->Close(0);
    engine.Advance(200);
    ASSERT_EQ(1, engine.GetPageCount());

    Send("splitterMoved");  // 800 x 480: landscape
    EXPECT_TRUE(inner->forceLandscape);
    EXPECT_FALSE(inner->forcePortrait);
    EXPECT_EQ(frame, inner->parent);
    EXPECT_TRUE(inner->Received("load"));

    frame->width = frame->height = 300;  // as wide as tall counts as portrait
    Send("pageSizeChanged");
    EXPECT_TRUE(inner->forcePortrait);
    EXPECT_FALSE(inner->forceLandscape);
}

TEST_F(MainPageTest, ReloadRebuildsTheTreeWithoutTheLoadEvent)
{
    Open();
    const int autoOpens = CountCalls("auto open 2");
    main->Reload();
    ASSERT_EQ(1, main->iframes.Count());
    EXPECT_NE(nullptr, main->iframes[0]);
    EXPECT_EQ(autoOpens, CountCalls("auto open 2"));  // no second start-up chain
    ASSERT_NE(nullptr, main->mapPage);  // a new map page in the new iframe
    EXPECT_EQ(main->mapPage, main->iframes[0]->innerPage);
}

} // namespace
