// The track-graph page: opened by commands 755 and 865 for the map's current
// track or route, with its title and an interactive graph of that track.
#include <memory>

#include "display/display_test_app.h"
#include "display/pages/TPageTrackGraph.h"
#include "display/usercontrols/TUserControlGraficas_2011B.h"
#include "enginelib/nav/TBaliza.h"
#include "enginelib/nav/TGraficas_2011B.h"
#include "enginelib/nav/TTrackRutaBase.h"
#include "enginelib/nav/TVisor_LumorGPSPocket.h"
#include "uiengine/controls/TPDAUIEngineElementLabel.h"

namespace {

class TrackPageTest : public ::testing::Test {
protected:
    ~TrackPageTest() override
    {
        // The page is the engine's once opened; close what the test left open.
        while (app.ui->GetPageCount() > 0 && dynamic_cast<TPageTrackGraph*>(app.ui->GetTopPage()))
            app.ui->ClosePage(app.ui->GetTopPage(), true);
    }
    TPageTrackGraph* Top() const { return dynamic_cast<TPageTrackGraph*>(app.ui->GetTopPage()); }

    displaytest::DisplayApp app;
};

TEST_F(TrackPageTest, CommandsOpenItForTheCurrentTrackOrRoute)
{
    std::unique_ptr<TTrack> track(new TTrack("driven"));
    track->puntos = app.engine.routes[1]->puntos;
    struct Case {
        int command;
        TTrackRutaBase* object;
    };
    for (const Case c : {Case{755, app.engine.routes[0]}, Case{865, track.get()}}) {
        app.engine.visor->current = c.object;
        EXPECT_FALSE(app.ExecuteCommand(c.command, nullptr, -1, nullptr, nullptr, 0, nullptr, nullptr));
        TPageTrackGraph* page = Top();
        ASSERT_NE(nullptr, page) << c.command;
        EXPECT_EQ(c.object, page->source);
        ASSERT_NE(nullptr, page->graph);
        EXPECT_EQ(page->boxContainer, page->graph->parent);
        EXPECT_EQ(2, page->graph->viewMode);
        EXPECT_EQ(c.object, page->graph->TrackShown());
        EXPECT_EQ(page->lblTitle->label, "Altitude profile (km/m)");
        app.ui->Frame();
        EXPECT_GT(page->graph->width, 300);
        EXPECT_GT(page->graph->Graph()->getWidth(), 0);
        app.ui->ClosePage(page, true);
    }
    app.engine.visor->current = nullptr;
}

TEST_F(TrackPageTest, NothingOpensForAnotherObject)
{
    TBaliza mark("mark", TDemoRoute::Point(), false);
    const int pages = app.ui->GetPageCount();
    for (TElementoGPS* object : {(TElementoGPS*)nullptr, (TElementoGPS*)&mark}) {
        app.engine.visor->current = object;
        EXPECT_FALSE(app.ExecuteCommand(755, nullptr, -1, nullptr, nullptr, 0, nullptr, nullptr));
        EXPECT_EQ(pages, app.ui->GetPageCount());
    }
    app.engine.visor->current = nullptr;
}

TEST_F(TrackPageTest, CancelClosesWithZeroAndTheReplyReachesTheOpener)
{
    exectest::RecPage opener(app.ui);
    app.ui->OpenPage(&opener);
    app.engine.visor->current = app.engine.routes[0];
    TPDAUIEngineCommand reply(&opener, "trackGraphEnd");
    app.ExecuteCommand(755, &reply, -1, nullptr, nullptr, 0, nullptr, nullptr);
    TPageTrackGraph* page = Top();
    ASSERT_NE(nullptr, page);

    TPDAUIEngineCommand other(page, "lumorEngine_loadGraphData");
    page->OnCommand(other);
    EXPECT_EQ(0, other.handled);
    TPDAUIEngineCommand cancel(page, "cancel");
    page->OnCommand(cancel);
    EXPECT_EQ(1, cancel.handled);
    EXPECT_TRUE(page->closing);
    EXPECT_EQ(0, page->result);
    app.ui->Advance(100);
    EXPECT_EQ(&opener, app.ui->GetTopPage());
    ASSERT_FALSE(opener.got.empty());
    EXPECT_EQ("trackGraphEnd", opener.got.back().name);
    EXPECT_EQ(0, opener.got.back().result);
    app.ui->pages.RemoveAllEqual(&opener);
    app.engine.visor->current = nullptr;
}

} // namespace
