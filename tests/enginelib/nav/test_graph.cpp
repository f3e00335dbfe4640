// Tracks, routes and the profile graph: recording a point every 10 m, the fields
// that carry them, and the graph's drawing, hit test, zoom and selection.
#include "enginelib/draw/IDC.h"
#include "enginelib/draw/TDibIG.h"
#include "enginelib/nav/Debug.h"
#include "enginelib/nav/TGraficas_2011B.h"
#include "enginelib/nav/TLumorGPSEngineInterface.h"
#include "enginelib/nav/TTrackRutaBase.h"
#include "enginelib/nav/TVisor_LumorGPSPocket.h"

#include <gtest/gtest.h>

#include <cmath>

#include "nav_fixture.h"
#include "support/GoldenImage.h"

namespace {
using enginelib::Debug;

class GraphTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        navtest::InMemory(f);
        navtest::Start(f);
        f.visor->fontFile = testpaths::SourceDir() + "/skins/default/DejaVuSans.ttf";
        dc.SetSize(400, 200);
    }
    TLumorGPSEngineInterface f;
    IDCdir dc;
};

TEST_F(GraphTest, RecordingAddsAPointEvery10Metres)
{
    ASSERT_TRUE(Debug::JumpTo("C1", -300));
    TValCampo v;
    EXPECT_FALSE(f.Retorna_Val_Campo_Global(355, v, false, false));
    f.visor->EjecutaComanda(nullptr, 0, "", 202);
    for (int i = 0; i < 10; ++i) {
        f.visor->OnTiempoReal(0, 0);
        Debug::Advance(1000);
    }
    f.visor->OnTiempoReal(0, 0);
    ASSERT_NE(nullptr, f.recordedTrack);
    const auto& pts = f.recordedTrack->puntos;
    // About 50 km/h for 10 s: some 14 points.
    EXPECT_GE(pts.size(), 13u);
    EXPECT_LE(pts.size(), 17u);
    for (size_t i = 1; i < pts.size(); ++i) {
        const double step = pts[i].distance - pts[i - 1].distance;
        EXPECT_GE(step, 10.0);
        EXPECT_LT(step, 12.0);
        EXPECT_GE(pts[i].time, pts[i - 1].time);
    }
    ASSERT_TRUE(f.Retorna_Val_Campo_Global(355, v, false, false));
    EXPECT_EQ(f.recordedTrack, v.objeto);
    // Stopping keeps the track but the field no longer offers it.
    f.visor->EjecutaComanda(nullptr, 0, "", 708);
    EXPECT_FALSE(f.Retorna_Val_Campo_Global(355, v, false, false));
}

TEST_F(GraphTest, TheSharedGraphHoldsTheRouteBeingFollowed)
{
    Debug::At(20);
    TValCampo v;
    ASSERT_TRUE(f.Retorna_Val_Campo_Global(356, v, false, false));
    EXPECT_EQ(f.routes[0], v.objeto);
    ASSERT_TRUE(f.Retorna_Val_Campo_Global(373, v, false, false));
    EXPECT_EQ(f.routes[0], v.objeto);
    EXPECT_DOUBLE_EQ(5800, f.routes[0]->Length());
    EXPECT_DOUBLE_EQ(10, f.routes[1]->puntos[0].altitude);
    // On leg B the graph follows.
    ASSERT_TRUE(Debug::JumpTo("B.summit"));
    f.visor->OnTiempoReal(0, 0);
    f.Retorna_Val_Campo_Global(373, v, false, false);
    EXPECT_EQ(f.routes[1], v.objeto);
    // Without navigation there is no route.
    f.visor->EjecutaComanda(nullptr, 0, "", 235);
    f.visor->OnTiempoReal(0, 0);
    EXPECT_FALSE(f.Retorna_Val_Campo_Global(356, v, false, false));
    EXPECT_FALSE(f.Retorna_Val_Campo_Global(373, v, false, false));
}

TEST_F(GraphTest, ProfileDrawingHitTestZoomAndSelection)
{
    TGraficas_2011B g;
    // Before any paint nothing answers and nothing divides by zero.
    EXPECT_EQ(0, g.getWidth());
    EXPECT_FALSE(g.findPuntoCoords(100, 100, true).Found());
    g.setZoom(-5, -5, false, -1, -1);
    g.setMove(10, 10);
    EXPECT_FALSE(g.IsZoomed());
    EXPECT_FALSE(g.Pinta(dc, TRectIG(0, 0, 400, 200)));  // no track: background only

    g.addVuelo(f.routes[1], false);
    g.setDeslizador(f.routes[1], 3471, false);  // the summit
    g.setViewMode(1);
    g.Pinta(dc, TRectIG(0, 0, 400, 200));
    EXPECT_TRUE(golden::Matches(dc.GetBackBuffer(), "nav/profile_leg_b", 8, 40));
    ASSERT_GT(g.getWidth(), 0);
    // The summit is the highest point of the profile.
    const int summitX = 40 + (int)std::lround(3471.0 / f.routes[1]->Length() * g.getWidth());
    const TGraficas_2011B::PuntoGrafica top = g.findPuntoCoords(summitX, 50, true);
    ASSERT_TRUE(top.Found());
    EXPECT_NEAR(140, top.altitude, 2);
    EXPECT_FALSE(g.findPuntoCoords(5, 50, true).Found());    // left of the plot
    EXPECT_FALSE(g.findPuntoCoords(399, 50, true).Found());  // right of it
    // Zooming to a selection narrows the distances shown; a reset brings them back.
    const double before = g.findPuntoCoords(60, 50, true).distance;
    g.setSelIniPos(200);
    g.setSelFinPos(300);
    g.zoomToSelection();
    EXPECT_TRUE(g.IsZoomed());
    g.Pinta(dc, TRectIG(0, 0, 400, 200));
    EXPECT_GT(g.findPuntoCoords(60, 50, true).distance, before);
    g.resetZoom();
    g.Pinta(dc, TRectIG(0, 0, 400, 200));
    EXPECT_NEAR(before, g.findPuntoCoords(60, 50, true).distance, 1e-6);
    // An empty selection and absurd zooms change nothing.
    g.setSelFinPos(200);
    g.zoomToSelection();
    g.setZoom(NAN, 1, false, -1, -1);
    EXPECT_FALSE(g.IsZoomed());
    g.setZoom(-1e9, -1e9, false, -1, -1);
    g.Pinta(dc, TRectIG(0, 0, 400, 200));
    EXPECT_GT(g.getWidth(), 0);
}

} // namespace
