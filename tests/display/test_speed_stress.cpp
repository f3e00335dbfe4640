// Random field values, settings, taps, ticks and alert closes over every
// control of the speed family: nothing crashes, leaks or touches a freed page.
#include <cmath>
#include <cstdint>
#include <limits>

#include "display/pages/TPageSpeedAlert.h"
#include "display/speed_test_host.h"
#include "display/usercontrols/TUserControlMaxVelocity.h"

namespace {

class Random {
public:
    explicit Random(uint32_t seed) : state_(seed) {}
    uint32_t Next()
    {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    int Below(int n) { return (int)(Next() % (uint32_t)n); }
    double Value()
    {
        static const double kOdd[] = {0,    -1,    -35,   0.9,   1.0,  49.5, 50,  51,    199,    200,    500, 1000,
                                      1001, 1e300, -1e300, 2147483648.0, -2147483649.0,
                                      std::numeric_limits<double>::quiet_NaN(),
                                      std::numeric_limits<double>::infinity()};
        const int n = sizeof kOdd / sizeof kOdd[0];
        return Below(3) == 0 ? (double)Below(300) - 50 : kOdd[Below(n)];
    }

private:
    uint32_t state_;
};

TEST(SpeedStress, RandomValuesTapsTicksAndCloses)
{
    speedtest::Host host(
        "<box layout=\"Horizontal\" minimumHeight=\"90\">"
        "<usercontrol type=\"usercontrolMaxVelocity\" id=\"m1\"/>"
        "<usercontrol type=\"usercontrolMaxVelocity\" id=\"m2\" minimumHeight=\"30\" maximumHeight=\"30\"/>"
        "<usercontrol type=\"usercontrolVelocity\" id=\"v\"/><label id=\"lblUnits\"/>"
        "<usercontrol type=\"usercontrolDistNextRadar\" id=\"d\"/>"
        "<usercontrol type=\"usercontrolBattery\" id=\"b\"/>"
        "<usercontrol type=\"usercontrolSatellites\" id=\"s\"/>"
        "<usercontrol type=\"usercontrolFriends\" id=\"f\"/>"
        "</box>"
        "<box layout=\"Horizontal\" flex=\"1\">"
        "<usercontrol type=\"usercontrolRadarBar\" id=\"r\" minimumWidth=\"80\"/>"
        "<usercontrol type=\"usercontrolVelocityBig\" id=\"vb\"/>"
        "<usercontrol type=\"usercontrolFriendChat\" id=\"c\" flex=\"1\"/>"
        "</box>");
    const int fields[] = {21, 98, 99, 319, 330, 351, 352, 391, 394};
    Random random(20261211);
    int alertSteps = 0, closes = 0;
    for (int step = 0; step < 1500; ++step) {
        switch (random.Below(8)) {
        case 0:
        case 1:
        {
            const int field = fields[random.Below(9)];
            // The camera distance is the library's own figure, always in metres.
            const double value = field == 319 ? (double)random.Below(1200) - 100 : random.Value();
            host.Force(field, value, nullptr, random.Below(4) == 0, random.Below(50));
        }
            break;
        case 2:
            host.app.engine.config->speedAlertMode = random.Below(6) - 1;
            break;
        case 3:
            host.app.ui->Tap(random.Below(800), random.Below(480), 10 + random.Below(200));
            break;
        case 4:
            // The user closes whatever alert is on top.
            if (auto* alert = dynamic_cast<TPageSpeedAlert*>(host.app.ui->GetTopPage())) {
                TPDAUIEngineCommand close(alert->btnCancel, "close");
                alert->OnCommand(close);
                ++closes;
            }
            break;
        case 5:
            host.app.At(random.Below(4000));
            host.Unforce(fields[random.Below(9)]);
            break;
        default:
            host.app.ui->Advance(10 + random.Below(400));
            host.Paint();
            break;
        }
        alertSteps += dynamic_cast<TPageSpeedAlert*>(host.app.ui->GetTopPage()) != nullptr;
        ASSERT_LE(host.app.ui->GetPageCount(), 3) << "at most one alert per sign, step " << step;
    }
    // The run reached the alert and its user close.
    EXPECT_GT(alertSteps, 0);
    EXPECT_GT(closes, 0);
    EXPECT_EQ(host.app.ui->terminateCalls, 0);
    EXPECT_TRUE(host.app.ui->messageBoxes.empty());
}

} // namespace
