// The map viewer: the map drawn at moments of the drive (golden images), the
// scale bar, panning, long presses, zoom limits and the real-time message.
#include <cmath>

#include "enginelib/base/Tick.h"
#include "enginelib/draw/IDC.h"
#include "enginelib/draw/TDibIG.h"
#include "enginelib/nav/Debug.h"
#include "enginelib/nav/TConfig.h"
#include "enginelib/nav/TLumorGPSEngineInterface.h"
#include "enginelib/nav/TAppIcon.h"
#include "enginelib/nav/TElementoGPS.h"
#include "enginelib/nav/TTrackRutaBase.h"
#include "enginelib/nav/TVectorComandas.h"
#include "enginelib/nav/TVisor_LumorGPSPocket.h"

#include <gtest/gtest.h>

#include <cmath>

#include "nav_fixture.h"
#include "support/GoldenImage.h"

namespace {
using enginelib::Debug;

class MapTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        navtest::InMemory(f);
        navtest::Start(f);
        v = f.visor;
        v->fontFile = testpaths::SourceDir() + "/skins/default/DejaVuSans.ttf";
        dc.SetSize(400, 240);
    }
    void TearDown() override { SetTickSource(nullptr); }
    const TDibIG& Paint()
    {
        v->RepintateI(dc, TRectIG(0, 0, 400, 240), false);
        return dc.GetBackBuffer();
    }
    TLumorGPSEngineInterface f;
    TVisor_LumorGPSPocket* v = nullptr;
    IDCdir dc;
};

TEST_F(MapTest, TheMapAtMomentsOfTheDrive)
{
    const struct {
        const char* name;
        const char* event;
        double metres;
        int zoom;
        bool headingUp, night;
        int mode3D;
    } cases[] = {
        {"map_start_day", "A.M1", -600, 4, false, false, 0},
        {"map_oak_road_heading_up", "C1", -300, 4, true, false, 0},
        {"map_motorway_night", "A.M5", -500, 7, false, true, 0},
        {"map_summit_far_3d", "B.summit", 0, 9, true, false, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(Debug::JumpTo(c.event, c.metres));
        v->zoomLevel = c.zoom;
        v->northUp = !c.headingUp;
        v->mode3D = c.mode3D;
        f.config->nightColours = c.night;
        EXPECT_TRUE(golden::Matches(Paint(), std::string("nav/") + c.name, 8, 40));
    }
}

TEST_F(MapTest, DrawingStaysInsideItsRectangleAndTheClip)
{
    TDibIG& back = dc.GetBackBuffer();
    back.Fill(TColorIG(0, 0, 0));
    dc.SelectClipRect(TRectIG(50, 40, 300, 200));
    v->RepintateI(dc, TRectIG(-100, 20, 350, 600), false);
    dc.Fin_SelectClipRgn();
    int outside = 0, inside = 0;
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 400; ++x) {
            const TColorIG c = back.GetPixel(x, y);
            const bool black = (c.color & 0xFFFFFF) == 0;
            if (x >= 50 && x < 300 && y >= 40 && y < 200)
                inside += !black;
            else
                outside += !black;
        }
    EXPECT_EQ(0, outside);
    EXPECT_EQ(250 * 160, inside);
    // Rectangles that are empty or off the bitmap draw nothing and do not fail.
    v->RepintateI(dc, TRectIG(10, 10, 10, 50), false);
    v->RepintateI(dc, TRectIG(1000, 1000, 2000, 2000), false);
}

TEST_F(MapTest, ScaleBarPerZoomLevel)
{
    TPointIG tl(10, 100), br(110, 120);
    DString text;
    double metres = 0;
    EXPECT_FALSE(v->DatosEscala(tl, br, text, metres));  // nothing painted yet
    const struct {
        int zoom;
        const char* text;
        int right;
    } cases[] = {{0, "20 m", 90}, {2, "100 m", 110}, {4, "200 m", 77}, {7, "1 km", 93}, {13, "10 km", 60}};
    Paint();
    for (const auto& c : cases) {
        v->zoomLevel = c.zoom;
        TPointIG a(10, 100), b(110, 120);
        ASSERT_TRUE(v->DatosEscala(a, b, text, metres)) << c.zoom;
        EXPECT_STREQ(c.text, text.c_str()) << c.zoom;
        EXPECT_EQ(c.right, b.x) << c.zoom;
        EXPECT_EQ(120, b.y);
    }
}

TEST_F(MapTest, DragPansAndStopsFollowingLongPressAndZoomLimits)
{
    uint32_t now = 1000;
    SetTickSource([&] { return now; });
    Debug::At(0);
    Paint();
    EXPECT_TRUE(v->autoCentre);
    // A drag of 30 px to the right moves the map 30 px: the car's point moves with it.
    v->MouseDown(TPointIG(200, 100), 1, 0, 0);
    v->MouseMove(TPointIG(215, 100), 1, 0, 0);
    v->MouseMove(TPointIG(230, 100), 1, 0, 0);
    v->MouseUp(TPointIG(230, 100), 1);
    EXPECT_FALSE(v->autoCentre);
    EXPECT_FALSE(v->longPress);
    int stateKind;
    bool checked, visible, enabled;
    v->EstadoComanda(2512, stateKind, checked, visible, enabled, nullptr);
    EXPECT_FALSE(checked);
    // A press held 800 ms in place is a long press; 799 ms is not.
    for (uint32_t held : {799u, 800u}) {
        v->MouseDown(TPointIG(100, 100), 1, 0, 0);
        now += held;
        v->MouseMove(TPointIG(105, 103), 1, 0, 0);
        v->MouseUp(TPointIG(105, 103), 1);
        EXPECT_EQ(held >= 800, v->longPress) << held;
    }
    // The wheel and double clicks keep within the zoom table.
    v->ZoomWheel(120 * 50, TPointIG(0, 0));
    EXPECT_EQ(0, v->zoomLevel);
    v->MouseDblClick(TPointIG(10, 10));
    EXPECT_EQ(0, v->zoomLevel);
    v->ZoomWheel(-120 * 50, TPointIG(0, 0));
    EXPECT_EQ(13, v->zoomLevel);
}

TEST_F(MapTest, TheRealTimeMessageInvalidatesAndFeedsTheGraphsWhileRecording)
{
    static int invalidated = 0, graphs = 0;
    invalidated = graphs = 0;
    f.SetCallbackInvalidate([](void*, bool) { ++invalidated; }, nullptr);
    f.SetCallbackUpdateGraph([](void*) { ++graphs; }, nullptr);
    Debug::At(100);
    for (int i = 0; i < 25; ++i) {
        EXPECT_TRUE(v->OnTiempoReal(0, 0));
        Debug::Advance(1000);
    }
    EXPECT_EQ(25, invalidated);
    EXPECT_EQ(0, graphs);
    v->EjecutaComanda(nullptr, 0, "", 202);  // record
    for (int i = 0; i < 25; ++i) {
        v->OnTiempoReal(0, 0);
        Debug::Advance(1000);
    }
    EXPECT_EQ(2, graphs);  // crossing 130 and 140 s
}

TEST_F(MapTest, SelectingWhatLiesUnderThePointAndItsContextMenu)
{
    static int selected = 0;
    selected = 0;
    f.SetCallbackObjetoSelecc([](void*) { ++selected; }, nullptr);
    // Near "Old mill" on Oak Road, north up: the waypoint is on the screen.
    ASSERT_TRUE(Debug::JumpTo("C1", -1000));  // s = 600, the car at the start of Mill Lane
    v->zoomLevel = 4;  // 3 m per pixel
    Paint();
    // The car is drawn at (200, 168); Old mill is 550 m east, 0 north: 183 px right.
    v->SetFocus_Objeto_Coords(TPointIG(200 + 183, 168 + 3));
    ASSERT_NE(nullptr, v->current);
    EXPECT_STREQ("Old mill", v->current->GetNombre().c_str());
    EXPECT_EQ(1, selected);
    TVectorComandas menu;
    f.GetContextMenuMapa(menu, 1, v->current);
    std::vector<int> numbers;
    for (int i = 0; i < menu.Count(); ++i)
        numbers.push_back(menu[i]->Comanda());
    EXPECT_EQ((std::vector<int>{157, 151, 150, 10, 453, 758, 10}), numbers);
    // A point on the route's line picks the route; open country picks nothing.
    v->SetFocus_Objeto_Coords(TPointIG(200 + 100, 168));
    EXPECT_EQ(f.routes[0], v->current);
    v->SetFocus_Objeto_Coords(TPointIG(20, 20));
    EXPECT_EQ(nullptr, v->current);
    EXPECT_EQ(3, selected);
    TVectorComandas pointMenu, buttons;
    f.GetContextMenuMapa(pointMenu, 1, nullptr);
    EXPECT_EQ(5, pointMenu.Count());
    f.GetContextMenuMapa(buttons, 0x40, nullptr);  // a button row has no separators
    EXPECT_EQ(4, buttons.Count());
}

TEST_F(MapTest, PlacesNearTheCarAndTheJunctionAhead)
{
    TValCampo v374, v380;
    ASSERT_TRUE(Debug::JumpTo("C1", -450));  // at Old mill on Oak Road
    ASSERT_TRUE(f.Retorna_Val_Campo_Global(374, v374, false, false));
    EXPECT_STREQ("Old mill", v374.texto.c_str());
    ASSERT_TRUE(Debug::JumpTo("C1", -300));  // 150 m on
    EXPECT_FALSE(f.Retorna_Val_Campo_Global(374, v374, false, false));
    ASSERT_TRUE(Debug::JumpTo("A.M5", -1200));
    EXPECT_FALSE(f.Retorna_Val_Campo_Global(380, v380, false, false));
    ASSERT_TRUE(Debug::JumpTo("A.M5", -800));
    ASSERT_TRUE(f.Retorna_Val_Campo_Global(380, v380, false, false));
    EXPECT_EQ(f.junctionView, v380.objeto);
}

TEST_F(MapTest, WhatTheMapPageAsksOfTheLibrary)
{
    TLumorGPSEngineInterface::TRadarBarRecord bar;
    ASSERT_TRUE(Debug::JumpTo("C1", -350));
    ASSERT_TRUE(f.SpeedRadarBar_Visible(&bar));
    EXPECT_STREQ("350 m", bar.text.c_str());
    EXPECT_EQ(50, bar.camera);
    EXPECT_DOUBLE_EQ(50, bar.reference);
    EXPECT_GT(bar.pointer, 0);
    ASSERT_TRUE(Debug::JumpTo("C1", -1500));
    EXPECT_FALSE(f.SpeedRadarBar_Visible(&bar));
    // Distances no camera is at: none for NaN, a bounded text for a huge one.
    TValCampo odd;
    odd.valor = std::nan("");
    f.fields.forced[319] = odd;
    EXPECT_FALSE(f.SpeedRadarBar_Visible(&bar));
    odd.valor = 1e300;
    f.fields.forced[319] = odd;
    ASSERT_TRUE(f.SpeedRadarBar_Visible(&bar));
    EXPECT_STREQ("1000000000 m", bar.text.c_str());
    f.fields.forced.erase(319);

    EXPECT_TRUE(f.Navegacion_Activada());
    f.CancelMovingMap();
    EXPECT_FALSE(f.Navegacion_Activada());

    DString name;
    EXPECT_FALSE(f.CurrentFileName(name));
    Vector<DString> files;
    files.Add(DString("/home/user/tracks/drive.gpx"));
    f.Abre_Archivos(files, TPointIG(10, 10), 0);
    ASSERT_TRUE(f.CurrentFileName(name));
    EXPECT_STREQ("drive.gpx", name.c_str());

    EXPECT_FALSE(f.SetVideoPowerOnIfOff());  // already on
    f.SetVideoPower(0, 1);
    EXPECT_TRUE(f.SetVideoPowerOnIfOff());
    EXPECT_TRUE(f.screenOn);
}

TEST_F(MapTest, CountBadgesStayInTheirRectangle)
{
    TDibIG& back = dc.GetBackBuffer();
    back.Fill(TColorIG(0, 0, 0));
    TAppIcon::GetThis()->Pinta_IconoBadgeNumber(dc, TRectIG(100, 100, 124, 124), "3", TColorIG(220, 20, 20));
    EXPECT_EQ(TColorIG(220, 20, 20).R(), back.GetPixel(104, 112).R());  // the disc, off the digit
    EXPECT_EQ(0u, back.GetPixel(99, 112).color & 0xFFFFFF);
    EXPECT_EQ(0u, back.GetPixel(125, 112).color & 0xFFFFFF);
    TAppIcon::GetThis()->Pinta_IconoBadgeNumber(dc, TRectIG(10, 10, 10, 10), "", TColorIG(220, 20, 20));
}

} // namespace
