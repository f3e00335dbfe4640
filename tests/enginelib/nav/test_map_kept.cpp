// The map viewer keeps its last picture: the same map asked again is copied,
// pixel for pixel what drawing gives; any change of what the map shows draws.
#include <cstring>
#include <functional>
#include <vector>

#include "enginelib/draw/IDC.h"
#include "enginelib/draw/TDibIG.h"
#include "enginelib/nav/Debug.h"
#include "enginelib/nav/TConfig.h"
#include "enginelib/nav/TGeoCode.h"
#include "enginelib/nav/TLumorGPSEngineInterface.h"
#include "enginelib/nav/TNavSimulation.h"
#include "enginelib/nav/TTrackRutaBase.h"
#include "enginelib/nav/TVisor_LumorGPSPocket.h"

#include <gtest/gtest.h>

#include "nav_fixture.h"

namespace {
using enginelib::Debug;

std::vector<uint8_t> Pixels(const TDibIG& d)
{
    std::vector<uint8_t> out;
    for (int y = 0; y < d.AbsHeight(); ++y)
        out.insert(out.end(), d.Row(y), d.Row(y) + (size_t)d.Width() * d.BytesPerPixel());
    return out;
}

class MapKeptTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        navtest::InMemory(f);
        navtest::Start(f);
        v = f.visor;
        v->fontFile = testpaths::SourceDir() + "/skins/default/DejaVuSans.ttf";
        dc.SetSize(400, 240);
        ASSERT_TRUE(Debug::JumpTo("A.M2", -100));
    }
    // Paints into a back buffer filled black first, so a copy that missed a
    // pixel shows.
    std::vector<uint8_t> Paint(bool fast = false)
    {
        dc.GetBackBuffer().Fill(TColorIG(0, 0, 0));
        v->RepintateI(dc, rect, fast);
        return Pixels(dc.GetBackBuffer());
    }
    TLumorGPSEngineInterface f;
    TVisor_LumorGPSPocket* v = nullptr;
    IDCdir dc;
    TRectIG rect{0, 0, 400, 240};
};

TEST_F(MapKeptTest, EveryChangeDrawsTheSameMapIsCopiedIdentically)
{
    bool fast = false;
    const struct {
        const char* name;
        std::function<void()> change;
    } steps[] = {
        {"start", [] {}},
        {"fast", [&] { fast = true; }},
        {"not fast", [&] { fast = false; }},
        {"zoom in", [&] { v->zoomLevel = 2; }},
        {"time", [&] { f.simulation->Advance(1.0); }},
        {"night", [&] { f.config->nightColours = true; }},
        {"day", [&] { f.config->nightColours = false; }},
        {"heading up", [&] { v->northUp = false; }},
        {"3D", [&] { v->mode3D = 1; }},
        {"other 3D", [&] { v->mode3D = 2; }},
        {"flat", [&] { v->mode3D = 0; }},
        {"size", [&] { rect = TRectIG(0, 0, 300, 200); }},
        {"place", [&] { rect = TRectIG(20, 10, 320, 210); }},
        {"vehicle place", [&] { v->SetPixelPosMobile(TPointIG(0, 0), TPointIG(150, 100)); }},
        {"pan",
         [&] {
             v->MouseDown(TPointIG(100, 100), 1, 0, 0);
             v->MouseMove(TPointIG(140, 120), 1, 0, 0);
             v->MouseUp(TPointIG(140, 120), 1);
         }},
        {"time while panned", [&] { f.simulation->Advance(2.0); }},
        {"cursor", [&] { v->cursorMode = true, v->cursor = TPointIG(60, 70); }},
        {"cursor moves", [&] { v->cursor = TPointIG(61, 70); }},
    };
    std::vector<uint8_t> before;
    for (const auto& s : steps) {
        SCOPED_TRACE(s.name);
        s.change();
        const unsigned long drawn = v->MapDrawings();
        const std::vector<uint8_t> first = Paint(fast);
        EXPECT_EQ(drawn + 1, v->MapDrawings());
        EXPECT_NE(before, first);
        const std::vector<uint8_t> again = Paint(fast);
        EXPECT_EQ(drawn + 1, v->MapDrawings());
        EXPECT_TRUE(first == again);
        before = first;
    }
}

TEST_F(MapKeptTest, ChangesOfWhatIsOnTheMapDraw)
{
    Paint();
    const unsigned long drawn = v->MapDrawings();
    // Home set somewhere.
    TGeoCode* home = new TGeoCode();
    home->coordinates = TPuntoCoord(0.5, 0.5);
    delete f.home;
    f.home = home;
    Paint();
    EXPECT_EQ(drawn + 1, v->MapDrawings());
    // A recorded track that grows by one point.
    delete f.recordedTrack;
    f.recordedTrack = new TTrack();
    TPuntoTrack p{};
    f.recordedTrack->puntos.push_back(p);
    p.at = TDemoRoute::Point{p.at.x + 50, p.at.y + 50};
    f.recordedTrack->puntos.push_back(p);
    const unsigned long withHome = v->MapDrawings();
    Paint();
    EXPECT_EQ(withHome + 1, v->MapDrawings());
    p.at = TDemoRoute::Point{p.at.x + 50, p.at.y};
    f.recordedTrack->puntos.push_back(p);
    Paint();
    EXPECT_EQ(withHome + 2, v->MapDrawings());
    Paint();
    EXPECT_EQ(withHome + 2, v->MapDrawings());
}

TEST_F(MapKeptTest, OtherBitmapKindsAndClipsDrawAgain)
{
    Paint();
    const unsigned long drawn = v->MapDrawings();
    // A 16-bit bitmap of the same size: drawn in its own format, then copied.
    TDibIG small;
    ASSERT_TRUE(small.Crea(400, 240, 16));
    IDC dc16;
    ASSERT_TRUE(dc16.BeginPaintDib(&small));
    v->RepintateI(dc16, rect, false);
    EXPECT_EQ(drawn + 1, v->MapDrawings());
    const std::vector<uint8_t> drawn16 = Pixels(small);
    small.Fill(TColorIG(0, 0, 0));
    v->RepintateI(dc16, rect, false);
    EXPECT_EQ(drawn + 1, v->MapDrawings());
    EXPECT_TRUE(drawn16 == Pixels(small));
    dc16.EndPaintDib();
    // A clip cuts the rectangle: a different picture.
    dc.SelectClipRect(TRectIG(50, 40, 300, 200));
    Paint();
    EXPECT_EQ(drawn + 2, v->MapDrawings());
    dc.Fin_SelectClipRgn();
    Paint();
    EXPECT_EQ(drawn + 3, v->MapDrawings());
}

} // namespace
