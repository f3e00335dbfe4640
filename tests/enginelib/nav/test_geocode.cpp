// Places from positions: the nearest street with its house number, the city
// around, nothing in open country; and the place picked by a tap on the map.
#include "enginelib/draw/IDC.h"
#include "enginelib/draw/TDibIG.h"
#include "enginelib/nav/Debug.h"
#include "enginelib/nav/TGeoCode.h"
#include "enginelib/nav/TLumorGPSEngineInterface.h"
#include "enginelib/nav/TVisor_LumorGPSPocket.h"

#include <gtest/gtest.h>

#include "nav_fixture.h"

namespace {

TPuntoCoord At(double x, double y)
{
    double lat, lon;
    TDemoRoute::ToLatLon({x, y}, lat, lon);
    return TPuntoCoord(lat, lon);
}

TEST(Geocode, ThePlaceAtAPosition)
{
    TLumorGPSEngineInterface f;
    navtest::InMemory(f);
    const struct {
        double x, y;
        bool found;
        const char* street;
        int number;
        const char* city;
        const char* postcode;
    } cases[] = {
        {0, 0, true, "Main Street", 10, "Springfield", "DL-1001"},
        {20, 100, true, "Main Street", 20, "Springfield", "DL-1001"},  // within 60 m of it
        {5024, 600, true, "Harbour Road", 61, "Springvale", "DL-2001"},
        {2000, 400, true, "...", -1, "", ""},   // on the motorway: no name, no numbers, no town
        {4900, 1000, true, "", 0, "Springvale", "DL-2001"},  // off the streets, in town
        {20000, 20000, false, "", 0, "", ""},   // open country
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
        TGeoCode place;
        ASSERT_EQ(c.found, f.Coords_a_Geocode(At(c.x, c.y), place));
        if (!c.found)
            continue;
        EXPECT_STREQ(c.street, place.street.c_str());
        EXPECT_EQ(c.number, place.houseNumber);
        EXPECT_STREQ(c.city, place.city.c_str());
        EXPECT_STREQ(c.postcode, place.extraText.c_str());
        EXPECT_STREQ("demo.map", place.sourceName.c_str());
    }
    TGeoCode none;
    EXPECT_FALSE(f.Coords_a_Geocode(TPuntoCoord(), none));
    // Its short text and a copy that compares equal.
    TGeoCode place;
    ASSERT_TRUE(f.Coords_a_Geocode(At(0, 0), place));
    DString text;
    place.A_StrCurt(text);
    EXPECT_STREQ("Main Street 10, Springfield", text.c_str());
    TGeoCode copy(place);
    EXPECT_TRUE(copy == place);
    // Its row picture, by kind, made once.
    TDibIG* symbol = place.CalculaSimbolo();
    ASSERT_NE(nullptr, symbol);
    EXPECT_EQ(24, symbol->Width());
    EXPECT_EQ(symbol, copy.CalculaSimbolo());
    copy.kind = TGeoCode::KindHome;
    EXPECT_NE(symbol, copy.CalculaSimbolo());
    place.A_StrTot(text, false, nullptr);
    EXPECT_STREQ("N 0.50000\xB0 E 0.50000\xB0", text.c_str());
}

TEST(Geocode, APlacePickedByATap)
{
    TLumorGPSEngineInterface f;
    navtest::InMemory(f);
    navtest::Start(f);
    TVisor_LumorGPSPocket* v = f.visor;
    IDCdir dc;
    dc.SetSize(400, 240);
    enginelib::Debug::At(0);
    v->RepintateI(dc, TRectIG(0, 0, 400, 240), false);
    TGeoCode place;
    EXPECT_FALSE(v->GetSelectedPos(place));  // nothing picked yet
    v->SetModoPuntero(19, 1);
    // The car (at Main Street 10) is drawn at (200, 168).
    v->MouseDown(TPointIG(200, 168), 1, 0, 0);
    v->MouseUp(TPointIG(200, 168), 1);
    ASSERT_TRUE(v->GetSelectedPos(place));
    EXPECT_EQ(TGeoCode::KindPicked, place.kind);
    EXPECT_STREQ("Main Street", place.street.c_str());
    EXPECT_EQ(10, place.houseNumber);
    v->SetModoPuntero(0, 0);
    EXPECT_FALSE(v->GetSelectedPos(place));

    // Made Home, it is kept and drawn where it is.
    TGeoCode home;
    EXPECT_FALSE(f.GetHomeGeocode(home));
    ASSERT_TRUE(f.Coords_a_Geocode(At(0, 60), place));
    f.SetHomePosition(place, true);
    ASSERT_TRUE(f.GetHomeGeocode(home));
    EXPECT_EQ(TGeoCode::KindHome, home.kind);
    dc.GetBackBuffer().Fill(TColorIG(0, 0, 0));
    v->RepintateI(dc, TRectIG(0, 0, 400, 240), false);
    // 60 m north of the car at 3 m per pixel: 20 px above it.
    const TColorIG roof = dc.GetBackBuffer().GetPixel(200, 168 - 20 + 3);
    EXPECT_GT(roof.R(), 150);
    EXPECT_LT(roof.G(), 100);
}

} // namespace
