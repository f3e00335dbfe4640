// The signpost and the lanes as a driver sees them before a turn.
#include "display/usercontrols/TUserControlLanes.h"
#include "display/usercontrols/TUserControlMapInfoNext.h"
#include "enginelib/draw/IDC.h"
#include "enginelib/draw/TDibIG.h"
#include "support/GoldenImage.h"
#include "test_mapinfo_fixture.h"

namespace {
using namespace mapinfotest;

class MapInfoGolden : public MapInfoTest {
protected:
    void OpenBoth()
    {
        page = new XmlPage(app.ui,
                           "<page id=\"pageMapInfoTest\" layout=\"Absolute\" background=\"#204060\">"
                           "<usercontrol type=\"usercontrolMapInfoNext\" id=\"next\" left=\"0\" top=\"0\" "
                           "width=\"360\" height=\"110\"/>"
                           "<usercontrol type=\"usercontrolLanes\" id=\"lanes\" left=\"0\" top=\"116\" "
                           "width=\"360\" height=\"40\"/></page>");
        app.ui->OpenPage(page);
        ASSERT_NE(dynamic_cast<TUserControlMapInfoNext*>(page->FindElement("next", false)), nullptr);
        ASSERT_NE(dynamic_cast<TUserControlLanes*>(page->FindElement("lanes", false)), nullptr);
    }
    // The top-left 360 x 160 of the screen.
    TDibIG& Corner()
    {
        const TDibIG& frame = NextSecond();
        corner_.Crea(360, 160, 32);
        IDC dc;
        dc.BeginPaintDib(&corner_);
        dc.StretchDIBits(TRectIG(0, 0, 360, 160), TRectIG(0, 0, 360, 160), &frame);
        dc.EndPaintDib();
        return corner_;
    }
    TDibIG corner_;
};

TEST_F(MapInfoGolden, SignpostAndLanesBeforeTheMotorwaySlipRoad)
{
    OpenBoth();
    // From no route, so that the signpost shows its configured two lines.
    Force(318, "");
    NextSecond();
    app.engine.fields.forced.clear();
    AtEvent("A.M3", -300);
    EXPECT_TRUE(golden::Matches(Corner(), "display/mapinfo_signpost_lanes_m3", 8, 40));
}

TEST_F(MapInfoGolden, SignpostAndLanesBeforeTheExit)
{
    OpenBoth();
    Force(318, "");
    NextSecond();
    app.engine.fields.forced.clear();
    AtEvent("A.M5", -300);
    EXPECT_TRUE(golden::Matches(Corner(), "display/mapinfo_signpost_lanes_m5", 8, 40));
}

} // namespace
