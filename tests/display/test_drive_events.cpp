// The whole map page, inside the main page, at named moments of the simulated
// drive: what a driver sees before a turn with its signpost and lanes, while
// over the speed limit (with the speed alert over the map), in the tunnel and on
// the motorway.
#include "app/pages/TPageMain.h"
#include "display/display_test_app.h"
#include "display/pages/TPageMap.h"
#include "display/pages/TPageSpeedAlert.h"
#include "enginelib/nav/TDemoRoute.h"
#include "support/GoldenImage.h"

namespace {

class DriveEventsTest : public ::testing::Test {
protected:
    DriveEventsTest()
    {
        app.engine.config->sliderState = "0|0";
        main = new TPageMain(&app);
        app.mainPage = main;
        app.ui->OpenPage(main);
        app.ui->Advance(100);
    }
    ~DriveEventsTest() override
    {
        app.Forget();
        app.ui->pages.RemoveAllEqual(main);
        delete main;
        app.mainPage = nullptr;
    }
    // The drive at time t, after one tick of the map page's timer; the library
    // asks for a repaint whenever its data move.
    void ShowAt(double t)
    {
        app.At(t);
        app.ui->Invalidate(1);
        app.ui->Advance(2100);
    }
    TPageSpeedAlert* Alert() const { return dynamic_cast<TPageSpeedAlert*>(app.ui->GetTopPage()); }

    displaytest::DisplayApp app;
    TPageMain* main = nullptr;
};

TEST_F(DriveEventsTest, BeforeTheSlipRoadWithSignpostAndLanes)
{
    ASSERT_NE(nullptr, main->mapPage);
    ShowAt(TDemoRoute::Get().EventTime("A.M3") - 12);
    EXPECT_EQ(nullptr, Alert());
    EXPECT_TRUE(golden::Matches(app.ui->Frame(), "display/drive_before_slip_road", 8, 200));
}

TEST_F(DriveEventsTest, OverTheLimitTheSpeedAlertLiesOverTheMap)
{
    ASSERT_NE(nullptr, main->mapPage);
    app.engine.config->speedAlertMode = 4;  // the alert page, not only the sign's look
    // Oak Road is driven at 58 where 50 is allowed.
    ShowAt(TDemoRoute::Get().TimeAt(0, 1450));
    ASSERT_NE(nullptr, Alert());
    EXPECT_TRUE(golden::Matches(app.ui->Frame(), "display/drive_over_speed", 8, 200));
    // Back under the limit the alert goes by itself.
    ShowAt(TDemoRoute::Get().TimeAt(0, 1750));
    app.ui->Advance(600);
    EXPECT_EQ(nullptr, Alert());
}

TEST_F(DriveEventsTest, InTheTunnel)
{
    ASSERT_NE(nullptr, main->mapPage);
    ShowAt(TDemoRoute::Get().EventTime("A.tunnel.in") + 5);
    EXPECT_TRUE(golden::Matches(app.ui->Frame(), "display/drive_tunnel", 8, 200));
}

TEST_F(DriveEventsTest, OnTheMotorwayBeforeTheExit)
{
    ASSERT_NE(nullptr, main->mapPage);
    ShowAt(TDemoRoute::Get().EventTime("A.M5") - 20);
    EXPECT_TRUE(golden::Matches(app.ui->Frame(), "display/drive_motorway", 8, 200));
}

} // namespace
