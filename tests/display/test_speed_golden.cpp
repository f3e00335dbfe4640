// The speed family on screen at one moment of the demo drive.
#include "display/speed_test_host.h"
#include "enginelib/nav/TDemoRoute.h"
#include "support/GoldenImage.h"

namespace {

TEST(SpeedGolden, ControlsBeforeTheFirstCamera)
{
    speedtest::Host host(
        "<box id=\"boxTop\" layout=\"Horizontal\" minimumHeight=\"80\" padding=\"8\" paddingInner=\"8\">"
        "<usercontrol type=\"usercontrolMaxVelocity\" id=\"m\" minimumWidth=\"72\"/>"
        "<usercontrol type=\"usercontrolVelocity\" id=\"v\" minimumWidth=\"96\"/>"
        "<label id=\"lblUnits\" minimumWidth=\"60\"/>"
        "<usercontrol type=\"usercontrolDistNextRadar\" id=\"d\" minimumWidth=\"120\"/>"
        "<usercontrol type=\"usercontrolBattery\" id=\"b\" minimumWidth=\"64\"/>"
        "<usercontrol type=\"usercontrolSatellites\" id=\"s\"/>"
        "<usercontrol type=\"usercontrolFriends\" id=\"f\" minimumWidth=\"56\"/>"
        "</box>"
        "<box id=\"boxBottom\" layout=\"Horizontal\" flex=\"1\" padding=\"8\" paddingInner=\"8\">"
        "<usercontrol type=\"usercontrolRadarBar\" id=\"r\" minimumWidth=\"90\"/>"
        "<usercontrol type=\"usercontrolVelocityBig\" id=\"vb\" minimumWidth=\"200\"/>"
        "<usercontrol type=\"usercontrolFriendChat\" id=\"c\" flex=\"1\"/>"
        "</box>",
        [](displaytest::DisplayApp& app) { app.engine.fields.friends = true; });
    const double t = TDemoRoute::Get().EventTime("C1", -150);
    ASSERT_GT(t, 0);
    host.app.At(t);
    EXPECT_TRUE(golden::Matches(host.app.ui->Frame(), "display/speed_controls_c1", 2, 40));
}

} // namespace

namespace {

TEST(SpeedGolden, AlertPageOverTheSign)
{
    speedtest::Host host("<box layout=\"Horizontal\" padding=\"8\"><usercontrol type=\"usercontrolMaxVelocity\" "
                         "id=\"m\" maximumWidth=\"72\" maximumHeight=\"72\"/></box>");
    host.app.engine.config->speedAlertMode = 4;
    host.Force(99, 50);
    host.Force(21, 72);
    host.Paint();
    host.app.ui->Advance(50);
    ASSERT_NE(host.app.ui->GetTopPage(), host.page);
    EXPECT_TRUE(golden::Matches(host.app.ui->Frame(), "display/speed_alert_page", 2, 40));
}

} // namespace
