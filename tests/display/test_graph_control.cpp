// The profile graph control: which track it shows, its zoom buttons and
// pointer zoom, the picture without data and with a profile.
#include <memory>

#include "display/usercontrols/TUserControlGraficas_2011B.h"
#include "enginelib/nav/TGraficas_2011B.h"
#include "enginelib/nav/TTrackRutaBase.h"
#include "enginelib/nav/TValCampo.h"
#include "enginelib/nav/TVisor_LumorGPSPocket.h"
#include "support/GoldenImage.h"
#include "test_graph_host.h"
#include "uiengine/controls/TPDAUIEngineElementLabel.h"

namespace {
using graphtest::Hosted;
using Graph = TUserControlGraficas_2011B;

class GraphTest : public Hosted {
protected:
    GraphTest()
    {
        // No route, no recording: the library has no profile to offer.
        app.engine.simulation->navigation = TNavSimulation::FreeDriving;
        app.ui->skinSettings.theme1.GetStockColor("chart.background", chart);
    }

    Graph* Make(int view, TTrackRutaBase* source, int width = 400, int height = 200)
    {
        return Place(new Graph(&app, source, view), 0, 0, width, height);
    }
    void Force(int field, void* object, double value = 0)
    {
        TValCampo v;
        v.objeto = object;
        v.valor = value;
        app.engine.fields.forced[field] = v;
    }
    // The centre of a child of the control, on the screen.
    void TapOn(TPDAUIEngineElement* e, int kind = 0)
    {
        const TRectIG r = e->GetScreenRect();
        const int x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
        app.ui->Press(x, y, kind);
        app.ui->Release(x, y, kind);
    }
    TRuta* Route() { return app.engine.routes[0]; }

    TColorIG chart = TColoresIG::F_White;
};

TEST_F(GraphTest, WithoutDataOnlyTheNoDataTextIsDrawn)
{
    Graph* graph = Make(2, nullptr);
    app.ui->Frame();
    EXPECT_EQ(nullptr, graph->TrackShown());
    EXPECT_FALSE(graph->IsAvailable());
    int textPixels = 0, strayPixels = 0;
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 400; ++x) {
            if (app.ui->PixelAt(x, y) == chart)
                continue;
            // The text stands in the middle; nothing else (no buttons, no axes).
            (y > 80 && y < 120 && x > 100 && x < 300 ? textPixels : strayPixels)++;
        }
    EXPECT_GT(textPixels, 30);
    EXPECT_EQ(0, strayPixels);
    EXPECT_TRUE(golden::Matches(*graphtest::Snapshot(graph, TColorIG(0, 0, 0)), "display/graph_no_data", 2, 4));
}

TEST_F(GraphTest, TheCurrentTrackComesFirstThenField355ThenField356)
{
    Graph* graph = Make(0, nullptr);
    std::unique_ptr<TRuta> route(TRuta::DeLaEtapa(1));
    std::unique_ptr<TTrack> track(new TTrack("field 355"));
    track->puntos = route->puntos;
    EXPECT_EQ(nullptr, graph->TrackShown());

    Force(356, route.get());
    graph->LoadTrackData();
    EXPECT_EQ(route.get(), graph->TrackShown());
    EXPECT_TRUE(graph->IsAvailable());

    Force(355, track.get());
    graph->LoadTrackData();
    EXPECT_EQ(track.get(), graph->TrackShown());

    // Recording while a route is followed: the navigation's own track.
    app.engine.simulation->navigation = TNavSimulation::Demo;
    app.engine.visor->recording = 1;
    if (!app.engine.recordedTrack)
        app.engine.recordedTrack = new TTrack("recorded");
    long long time = 0;
    double value = 0;
    graph->LoadTrackData(time, value);
    EXPECT_EQ(app.engine.recordedTrack, graph->TrackShown());
    EXPECT_EQ(app.engine.simulation->LocalTime(), time);
    EXPECT_EQ(app.engine.recordedTrack, graph->Graph()->GetActualTrack());

    // Field 309 gives the slider position when it answers.
    Force(309, nullptr, 1234.0);
    EXPECT_TRUE(graph->LoadTrackData(time, value));
    EXPECT_EQ(1234.0, value);

    // Recording stops: back to field 355's track; without field 309 no slider value.
    app.engine.visor->recording = 0;
    app.engine.fields.forced.erase(309);
    app.engine.simulation->navigation = TNavSimulation::FreeDriving;
    EXPECT_FALSE(graph->LoadTrackData(time, value));
    EXPECT_EQ(-1.0, value);
    EXPECT_EQ(track.get(), graph->TrackShown());
    EXPECT_EQ(0, time);
}

TEST_F(GraphTest, AGraphWithASourceKeepsIt)
{
    std::unique_ptr<TRuta> other(TRuta::DeLaEtapa(1));
    Force(356, other.get());
    Graph* graph = Make(2, Route());
    graph->LoadTrackData();
    EXPECT_EQ(Route(), graph->TrackShown());
    EXPECT_EQ(Route(), graph->Graph()->GetActualTrack());
}

TEST_F(GraphTest, ZoomingInShowsTheResetButtonAndResettingHidesIt)
{
    Graph* graph = Make(2, Route());
    app.ui->Frame();
    ASSERT_TRUE(graph->btnGraficasZoomIn->visible);
    ASSERT_TRUE(graph->btnGraficasZoomOut->visible);
    EXPECT_FALSE(graph->btnGraficasZoomReset->visible);

    TapOn(graph->btnGraficasZoomIn);
    EXPECT_TRUE(graph->Graph()->IsZoomed());
    EXPECT_TRUE(graph->btnGraficasZoomReset->visible);
    app.ui->Frame();

    TapOn(graph->btnGraficasZoomReset);
    EXPECT_FALSE(graph->Graph()->IsZoomed());
    EXPECT_FALSE(graph->btnGraficasZoomReset->visible);

    TapOn(graph->btnGraficasZoomOut);
    EXPECT_TRUE(graph->Graph()->IsZoomed());
    EXPECT_TRUE(graph->btnGraficasZoomReset->visible);
}

TEST_F(GraphTest, ZoomBeforeTheFirstPaintDoesNothing)
{
    Graph* graph = Make(2, Route());
    ASSERT_EQ(0, graph->Graph()->getWidth());
    graph->ZoomIn();
    graph->ZoomOut();
    EXPECT_FALSE(graph->Graph()->IsZoomed());
    EXPECT_FALSE(graph->btnGraficasZoomReset->visible);
    // The first paint shows the whole profile.
    app.ui->Frame();
    EXPECT_FALSE(graph->Graph()->IsZoomed());
    EXPECT_GT(graph->Graph()->getWidth(), 0);
}

TEST_F(GraphTest, AMiddleTapResetsTheZoomAndAMiddleDragZoomsToTheSpan)
{
    Graph* graph = Make(2, Route());
    app.ui->Frame();
    graph->ZoomIn();
    ASSERT_TRUE(graph->Graph()->IsZoomed());

    app.ui->Press(200, 120, 15);
    app.ui->Release(200, 120, 15);
    EXPECT_FALSE(graph->Graph()->IsZoomed());
    EXPECT_FALSE(graph->btnGraficasZoomReset->visible);
    EXPECT_EQ(-1, graph->pressedButton);

    app.ui->Frame();
    app.ui->Press(120, 120, 15);
    app.ui->Move(200, 120);
    app.ui->Move(260, 120);
    app.ui->Release(260, 120, 15);
    EXPECT_TRUE(graph->Graph()->IsZoomed());
    EXPECT_TRUE(graph->btnGraficasZoomReset->visible);
}

TEST_F(GraphTest, DragsPanInTheInteractiveViewsOnly)
{
    struct Case {
        int view;
        bool pans;
    };
    for (const Case c : {Case{0, false}, Case{1, true}, Case{2, true}}) {
        Graph* graph = Make(c.view, Route());
        app.ui->Frame();
        app.ui->Press(150, 120);
        app.ui->Move(200, 120);
        app.ui->Move(260, 110);
        app.ui->Release(260, 110);
        EXPECT_EQ(c.pans, graph->Graph()->IsZoomed()) << "view " << c.view;
        host->RemoveChild(graph);
    }
}

TEST_F(GraphTest, TheStaticViewKeepsItsButtonsHidden)
{
    Graph* graph = Make(0, Route());
    for (TPDAUIEngineElement* b : {graph->btnGraficasZoomIn, graph->btnGraficasZoomOut, graph->btnGraficasZoomReset})
        EXPECT_FALSE(b->visible);
    app.ui->Frame();
    TPDAUIEngineCommand zoom(graph, "zoomIn");
    graph->OnCommand(zoom);
    EXPECT_TRUE(graph->Graph()->IsZoomed());
    app.ui->Frame();
    for (TPDAUIEngineElement* b : {graph->btnGraficasZoomIn, graph->btnGraficasZoomOut, graph->btnGraficasZoomReset})
        EXPECT_FALSE(b->visible);
}

TEST_F(GraphTest, ATitleLabelOfThePageTakesTheAxes)
{
    auto* title = new TPDAUIEngineElementLabel();
    Place(title, 0, 210, 400, 30);
    Graph* graph = Place(new Graph(&app, Route(), 2, title->numericId), 0, 0, 400, 200);
    app.ui->Frame();
    EXPECT_EQ(title->label, "Altitude (km/m)");
    EXPECT_NE(nullptr, graph->TrackShown());
}

TEST_F(GraphTest, AProfile)
{
    Graph* graph = Make(2, Route());
    app.ui->Frame();
    EXPECT_TRUE(golden::Matches(*graphtest::Snapshot(graph, TColorIG(0, 0, 0)), "display/graph_profile", 2, 8));
}

TEST_F(GraphTest, ASharedGraphStaysWithItsOwner)
{
    TGraficas_2011B* shared = app.engine.graph;
    ASSERT_NE(nullptr, shared);
    Graph* graph = Place(new Graph(&app, Route(), 1, 0, shared), 0, 0, 400, 200);
    app.ui->Frame();
    graph->ZoomIn();
    ASSERT_TRUE(shared->IsZoomed());
    host->RemoveChild(graph);
    // The view-1 control gives the shared graph back unzoomed.
    EXPECT_FALSE(shared->IsZoomed());
    EXPECT_EQ(shared, app.engine.graph);
}

} // namespace
