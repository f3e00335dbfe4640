// Speed, speed limit with its over-speed alert, and the speed-camera controls.
#include <cmath>
#include <limits>

#include "display/pages/TPageSpeedAlert.h"
#include "display/speed_test_host.h"
#include "display/usercontrols/TUserControlDistNextRadar.h"
#include "display/usercontrols/TUserControlMaxVelocity.h"
#include "display/usercontrols/TUserControlRadarBar.h"
#include "display/usercontrols/TUserControlVelocity.h"
#include "uiengine/controls/TPDAUIEngineElementLabel.h"
#include "uiengine/controls/TPDAUIEngineElementProgressBar.h"

namespace {

using speedtest::Host;
using speedtest::IsRed;

const uint32_t kAlarm = 0x1402FD;

// ---- current speed ----

TEST(SpeedVelocity, AlarmColourAndBorderedFontWhileOverOrFlagged)
{
    for (const char* type : {"usercontrolVelocity", "usercontrolVelocityBig"}) {
        Host host(std::string("<box id=\"boxSpeed\" layout=\"Horizontal\" minimumHeight=\"90\">"
                              "<usercontrol type=\"") +
                  type + "\" id=\"v\" flex=\"1\"/><label id=\"lblUnits\" label=\"?\" minimumWidth=\"80\"/></box>");
        auto* v = host.Find<TUserControlVelocity>("v");
        auto* units = host.Find<TPDAUIEngineElementLabel>("lblUnits");
        ASSERT_TRUE(v && v->lblValue && units) << type;
        const uint32_t normal = v->lblValue->foregrounds[TPDAUIEngineElement::StateNormal];
        const bool normalBordered = v->lblValue->font.bordered;
        ASSERT_NE(normal, kAlarm);
        struct Case {
            double speed;
            bool flagged;
            double limit;
            bool alarm;
        };
        const Case cases[] = {
            {60, false, 0, false},   // no limit known
            {60, true, 0, true},     // the library's flag alone
            {60, false, 50, true},   // over the limit
            {50, false, 50, false},  // at the limit
            {49, false, 50, false},
            {0, false, -1, false},
        };
        for (const Case& c : cases) {
            host.Force(21, c.speed, nullptr, c.flagged, UnidadKmh);
            host.Force(352, c.limit);
            host.Paint();
            const std::string what = std::string(type) + " " + std::to_string(c.speed) + "/" + std::to_string(c.limit);
            EXPECT_EQ(v->lblValue->label, DString(std::to_string((int)c.speed).c_str())) << what;
            // The value's own style is back after the paint...
            EXPECT_EQ(v->lblValue->foregrounds[TPDAUIEngineElement::StateNormal], normal) << what;
            EXPECT_EQ(v->lblValue->font.bordered, normalBordered) << what;
            // ...and what it drew was red only in the alarm case.
            const int red = host.Count(v->lblValue->GetScreenRect(), [](TColorIG p) { return IsRed(p); });
            EXPECT_EQ(red > 0, c.alarm) << what;
            // The units label follows the value and names the units.
            EXPECT_EQ(units->foregrounds[TPDAUIEngineElement::StateNormal], c.alarm ? kAlarm : normal) << what;
            EXPECT_EQ(units->font.bordered, c.alarm ? true : normalBordered) << what;
            EXPECT_EQ(units->label, DString("km/h")) << what;
        }
    }
}

TEST(SpeedVelocity, UnitsLabelIsFoundBesideTheControlOrOneLevelUp)
{
    struct Case {
        const char* xml;
        const char* units;  // id expected to take the units, null for none
    };
    const Case cases[] = {
        {"<box id=\"p\"><usercontrol type=\"usercontrolVelocity\" id=\"v\"/>"
         "<label id=\"lblUnits\"/><label id=\"lblPolivalentDataItemUnits\"/></box>",
         "lblPolivalentDataItemUnits"},
        {"<box id=\"p\"><usercontrol type=\"usercontrolVelocity\" id=\"v\"/><label id=\"lblUnits\"/></box>", "lblUnits"},
        {"<box id=\"g\"><box id=\"p\"><usercontrol type=\"usercontrolVelocity\" id=\"v\"/></box>"
         "<label id=\"lblUnits\"/></box>",
         "lblUnits"},
        {"<box id=\"g\"><box id=\"p\"><box id=\"q\"><usercontrol type=\"usercontrolVelocity\" id=\"v\"/></box></box>"
         "<label id=\"lblUnits\"/></box>",
         nullptr},
    };
    for (const Case& c : cases) {
        Host host(c.xml);
        auto* v = host.Find<TUserControlVelocity>("v");
        ASSERT_TRUE(v);
        TPDAUIEngineElement* found = v->FindUnitsLabel();
        if (c.units) {
            ASSERT_TRUE(found) << c.xml;
            EXPECT_EQ(found->id, DString(c.units)) << c.xml;
        } else {
            EXPECT_EQ(found, nullptr) << c.xml;
        }
    }
}

// ---- speed limit ----

class MaxVelocity : public ::testing::Test {
public:
    MaxVelocity() : host("<usercontrol type=\"usercontrolMaxVelocity\" id=\"m\" catchMouseEventsAlways=\"true\"/>", &Quiet)
    {
        m = host.Find<TUserControlMaxVelocity>("m");
    }
    // No alert page unless a test asks for one.
    static void Quiet(displaytest::DisplayApp& app) { app.engine.config->speedAlertMode = 1; }
    void Set(int mode, double limit, double speed)
    {
        host.app.engine.config->speedAlertMode = mode;
        host.Force(99, limit);
        host.Force(21, speed);
    }
    TPageSpeedAlert* TopAlert() { return dynamic_cast<TPageSpeedAlert*>(host.app.ui->GetTopPage()); }
    int Alerts()
    {
        int n = 0;
        for (int i = 0; i < host.app.ui->GetPageCount(); ++i)
            n += dynamic_cast<TPageSpeedAlert*>(host.app.ui->GetPage(i)) != nullptr;
        return n;
    }
    Host host;
    TUserControlMaxVelocity* m = nullptr;
};

TEST_F(MaxVelocity, SignShowsTheRoundedLimitAndKnowsOverSpeed)
{
    ASSERT_TRUE(m && m->lblMaxVelocityValue && m->lblMaxVelocityBigValue);
    struct Case {
        int mode;
        double limit, speed;
        bool shown;
        const char* text;
        bool over;
        bool alertLook;
    };
    const Case cases[] = {
        {1, 49.5, 30, true, "50", false, false},
        {1, 49.4, 30, true, "49", false, false},
        {1, 0.9, 30, false, "1", false, false},  // under 1.0: no sign, whatever the text
        {1, 0, 30, false, "", false, false},
        {0, 50, 90, false, "50", false, false},  // alerts off: no sign
        {1, 50, 50, true, "50", false, false},
        {1, 50, 50.9, true, "50", false, false},  // the speed is truncated
        {1, 50, 51, true, "50", true, false},
        {2, 50, 51, true, "50", true, true},
        {3, 50, 51, true, "50", true, true},
        {3, 50, 40, true, "50", false, false},
        {1, 1e300, 30, false, "", false, false},  // beyond any limit: no sign, no crash
        {1, std::numeric_limits<double>::quiet_NaN(), 30, false, "", false, false},
    };
    for (const Case& c : cases) {
        Set(c.mode, c.limit, c.speed);
        m->UpdateValue();
        const std::string what = std::to_string(c.mode) + " " + std::to_string(c.limit) + " " + std::to_string(c.speed);
        EXPECT_EQ(m->shown, c.shown) << what;
        EXPECT_EQ(m->lblMaxVelocityValue->label, DString(c.text)) << what;
        EXPECT_EQ(m->lblMaxVelocityBigValue->label, DString(c.text)) << what;
        EXPECT_EQ(m->overSpeed, c.over) << what;
        EXPECT_EQ(m->lblMaxVelocityValue->enabled == 0, c.alertLook) << what;
        EXPECT_EQ(m->lblMaxVelocityBigValue->enabled == 0, c.alertLook) << what;
        EXPECT_EQ(m->alertPage, nullptr) << what;
    }
}

TEST_F(MaxVelocity, HiddenSignDrawsNothingAndTakesNoTaps)
{
    Set(1, 50, 30);
    host.Paint();
    const TRectIG r = m->GetScreenRect();
    const int cx = m->left + m->width / 2, cy = m->top + m->height / 2;
    EXPECT_NE(m->HitTest(cx, cy), nullptr);
    EXPECT_GT(host.Count(r, [](TColorIG p) { return IsRed(p); }), 0) << "the sign's red ring";
    Set(0, 50, 30);
    host.Paint();
    EXPECT_EQ(m->HitTest(cx, cy), nullptr);
    EXPECT_EQ(host.Count(r, [](TColorIG p) { return IsRed(p); }), 0);
}

TEST(MaxVelocitySign, SmallSignDrawsItsLabelWithoutTheRing)
{
    for (int height : {30, 64}) {
        Host host("<usercontrol type=\"usercontrolMaxVelocity\" id=\"m\" maximumHeight=\"" + std::to_string(height) +
                  "\"/>");
        auto* m = host.Find<TUserControlMaxVelocity>("m");
        host.app.engine.config->speedAlertMode = 1;
        host.Force(99, 50);
        host.Force(21, 30);
        host.Paint();
        ASSERT_EQ(m->height, height);
        const int red = host.Count(m->GetScreenRect(), [](TColorIG p) { return IsRed(p); });
        EXPECT_EQ(red > 0, height == 64) << height;
        // The label's own style is back after the paint.
        EXPECT_NE(m->lblMaxVelocityValue->backgrounds[TPDAUIEngineElement::StateNormal].kind, 0);
        EXPECT_NE(m->lblMaxVelocityValue->backgrounds[TPDAUIEngineElement::StateDisabled].kind, 0);
    }
}

TEST(MaxVelocitySign, BigSettingChoosesTheLabel)
{
    for (bool big : {false, true}) {
        Host host("<usercontrol type=\"usercontrolMaxVelocity\" id=\"m\"/>",
                  big ? +[](displaytest::DisplayApp& app) { app.engine.config->bigSpeedSign = true; }
                      : +[](displaytest::DisplayApp&) {});
        auto* m = host.Find<TUserControlMaxVelocity>("m");
        EXPECT_EQ(m->lblMaxVelocityValue->visible != 0, !big);
        EXPECT_EQ(m->lblMaxVelocityBigValue->visible != 0, big);
    }
}

TEST_F(MaxVelocity, AlertOpensOnTheFirstTickIsCheckedEvery250MsAndClosesUnderTheLimit)
{
    Set(4, 50, 70);
    host.Paint();
    ASSERT_NE(m->alertPage, nullptr) << "created by the paint";
    TPageSpeedAlert* alert = m->alertPage;
    EXPECT_FALSE(alert->opened);
    EXPECT_EQ(m->timerInterval, 1);
    EXPECT_EQ(Alerts(), 0) << "not open before the first tick";
    host.app.ui->Advance(50);
    EXPECT_EQ(TopAlert(), alert);
    EXPECT_TRUE(alert->opened);
    EXPECT_EQ(m->timerInterval, 250);
    ASSERT_TRUE(alert->lblMessage && alert->imbImage && alert->btnCancel);
    EXPECT_NE(alert->imbImage->image, nullptr) << "the skin's picture without the file";

    // Still over: the page stays, one of it.
    host.app.ui->Advance(1000);
    EXPECT_EQ(TopAlert(), alert);
    EXPECT_EQ(Alerts(), 1);

    // Back under the limit: closed with 1 within a check, then gone.
    host.Force(21, 45);
    host.app.ui->Advance(300);
    EXPECT_EQ(m->alertPage, nullptr);
    host.app.ui->Advance(100);
    EXPECT_EQ(Alerts(), 0);
    EXPECT_FALSE(m->timerRunning);

    // A new over-speed makes a new page.
    host.Force(21, 80);
    host.Paint();
    ASSERT_NE(m->alertPage, nullptr);
    host.app.ui->Advance(50);
    EXPECT_EQ(Alerts(), 1);
}

TEST_F(MaxVelocity, UserClosingTheAlertIsNotReopenedUntilTheSpeedDrops)
{
    Set(4, 50, 70);
    host.Paint();
    host.app.ui->Advance(50);
    TPageSpeedAlert* alert = TopAlert();
    ASSERT_TRUE(alert);
    // The user's close button.
    TPDAUIEngineCommand close(alert->btnCancel, "close");
    alert->OnCommand(close);
    EXPECT_EQ(alert->result, 0);
    // The engine deletes the page at its next pass; the sign must let go of it
    // (the sanitizer build checks that nothing touches it afterwards).
    host.app.ui->Advance(100);
    EXPECT_EQ(Alerts(), 0);
    EXPECT_EQ(m->alertPage, nullptr);
    EXPECT_TRUE(m->alertDismissed);

    // Still over: painted and ticked for a while, no new page.
    for (int i = 0; i < 8; ++i) {
        host.Paint();
        host.app.ui->Advance(250);
    }
    EXPECT_EQ(Alerts(), 0);
    EXPECT_EQ(m->alertPage, nullptr);

    // Under, then over again: a new alert.
    host.Force(21, 40);
    host.app.ui->Advance(300);
    EXPECT_FALSE(m->alertDismissed);
    EXPECT_FALSE(m->timerRunning);
    host.Force(21, 75);
    host.Paint();
    host.app.ui->Advance(50);
    EXPECT_EQ(Alerts(), 1);
    EXPECT_NE(TopAlert(), nullptr);
}

TEST_F(MaxVelocity, PageClosedWhileTheSpeedDropsIsForgottenOnce)
{
    Set(4, 50, 70);
    host.Paint();
    host.app.ui->Advance(50);
    TPageSpeedAlert* alert = TopAlert();
    ASSERT_TRUE(alert);
    // The user closes, and the speed drops before the engine removes the page.
    TPDAUIEngineCommand close(alert->btnCancel, "close");
    alert->OnCommand(close);
    host.Force(21, 30);
    m->OnTimer(250, 0);
    host.app.ui->Advance(300);
    EXPECT_EQ(Alerts(), 0);
    EXPECT_EQ(m->alertPage, nullptr);
    host.Paint();
    EXPECT_FALSE(m->alertDismissed);
}

TEST(MaxVelocityLife, ControlGoneBeforeOrAfterItsAlertOpens)
{
    // Created and never opened: the control deletes it.
    {
        Host host("<usercontrol type=\"usercontrolMaxVelocity\" id=\"m\"/>");
        host.app.engine.config->speedAlertMode = 4;
        host.Force(99, 50);
        host.Force(21, 90);
        host.Paint();
        auto* m = host.Find<TUserControlMaxVelocity>("m");
        ASSERT_NE(m->alertPage, nullptr);
        host.page->RemoveChild(m);
        EXPECT_EQ(host.app.ui->GetTopPage(), host.page);
    }
    // Open when the control goes: the page closes and outlives it safely.
    {
        Host host("<usercontrol type=\"usercontrolMaxVelocity\" id=\"m\"/>");
        host.app.engine.config->speedAlertMode = 4;
        host.Force(99, 50);
        host.Force(21, 90);
        host.Paint();
        host.app.ui->Advance(50);
        auto* alert = dynamic_cast<TPageSpeedAlert*>(host.app.ui->GetTopPage());
        ASSERT_TRUE(alert);
        host.page->RemoveChild(host.Find<TUserControlMaxVelocity>("m"));
        EXPECT_TRUE(alert->closing);
        EXPECT_EQ(alert->owner, nullptr);
        host.app.ui->Advance(100);
        EXPECT_EQ(host.app.ui->GetTopPage(), host.page);
    }
}

// ---- distance to the next camera ----

TEST(SpeedCamera, DistanceBarColoursAndValue)
{
    Host host("<usercontrol type=\"usercontrolDistNextRadar\" id=\"d\" minimumHeight=\"60\"/>");
    auto* d = host.Find<TUserControlDistNextRadar>("d");
    ASSERT_TRUE(d && d->pgbProgressbar && d->lblTitle);
    struct Case {
        double distance;
        int bar;
        uint32_t colour;
    };
    const Case cases[] = {
        {0, 1000, kAlarm},     {199, 801, kAlarm},    {199.9, 800, kAlarm}, {200, 800, 0x00E2FD},
        {499, 501, 0x00E2FD}, {500, 500, 0x06FD05}, {1000, 0, 0x06FD05},  {1500, 0, 0x06FD05},
    };
    for (const Case& c : cases) {
        host.Force(351, c.distance, "dist");
        host.Paint();
        EXPECT_EQ(d->pgbProgressbar->minimumValue, 0);
        EXPECT_EQ(d->pgbProgressbar->maximumValue, 1000);
        EXPECT_EQ(d->pgbProgressbar->value, c.bar) << c.distance;
        EXPECT_EQ(d->pgbProgressbar->foregrounds[TPDAUIEngineElement::StateNormal], c.colour) << c.distance;
        EXPECT_EQ(d->lblTitle->label, DString("dist"));
    }
    // Red on screen close to the camera.
    host.Force(351, 100);
    host.Paint();
    EXPECT_GT(host.Count(d->pgbProgressbar->GetScreenRect(), [](TColorIG p) { return IsRed(p); }), 0);
    EXPECT_EQ(TUserControlDistNextRadar::BarValue(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(TUserControlDistNextRadar::BarValue(-1e300), 1000);
}

TEST(SpeedCamera, NoCameraDrawsNothing)
{
    Host host("<usercontrol type=\"usercontrolDistNextRadar\" id=\"d\" minimumHeight=\"60\"/>");
    auto* d = host.Find<TUserControlDistNextRadar>("d");
    host.Force(351, 300);
    host.Paint();
    const std::vector<uint32_t> drawn = host.Pixels(d);
    d->visible = 0;
    host.Paint();
    const std::vector<uint32_t> empty = host.Pixels(d);
    d->visible = 1;
    ASSERT_NE(drawn, empty);
    host.Force(351, -1);
    host.Paint();
    EXPECT_EQ(host.Pixels(d), empty);
}

// ---- the camera bar ----

TEST(SpeedCameraBar, ValueToYIsLinearAroundTheReferenceAndClamped)
{
    displaytest::DisplayApp app;
    TUserControlRadarBar bar(&app);
    bar.centre = 100;
    bar.reference = 50;
    bar.pixelsPerUnit = 1.6;
    bar.topLimit = 20;
    bar.bottomLimit = 180;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double cases[][2] = {{50, 100}, {60, 84}, {40, 116}, {60.5, 83}, {100, 20}, {0, 180},
                               {1e300, 20}, {-1e300, 180}, {nan, 20}};
    for (const auto& c : cases)
        EXPECT_EQ(bar.ValueToY(c[0]), (int)c[1]) << c[0];
}

TEST(SpeedCameraBar, DrawsPointerColouredBySpeedOnlyWhileACameraIsNear)
{
    Host host("<usercontrol type=\"usercontrolRadarBar\" id=\"r\" minimumHeight=\"200\" minimumWidth=\"80\"/>");
    auto* r = host.Find<TUserControlRadarBar>("r");
    ASSERT_TRUE(r && r->ready);
    auto green = [](TColorIG p) { return p.G() > 200 && p.R() < 100 && p.B() < 100; };
    const TRectIG area = r->GetScreenRect();

    host.Force(319, 350);  // a camera 350 m ahead
    host.Force(352, 80);
    host.Force(21, 70);
    host.Paint();
    const int contentTop = area.top + r->borders[0].width + r->padding.top;
    const int contentBottom = area.bottom - r->borders[0].width - r->padding.bottom;
    EXPECT_EQ(r->topLimit, contentTop);
    EXPECT_EQ(r->bottomLimit, contentBottom);
    EXPECT_EQ(r->centre, contentTop + (contentBottom - contentTop) / 2);
    EXPECT_DOUBLE_EQ(r->reference, 80);
    // The pointer at 70 sits below the centre.
    EXPECT_GT(r->ValueToY(70), r->centre);
    const TRectIG pointerRow(area.left, r->ValueToY(70) - 3, area.left + 40, r->ValueToY(70) + 3);
    EXPECT_GT(host.Count(pointerRow, green), 0);

    host.Force(21, 95);  // over: the red pointer, above the centre
    host.Paint();
    const TRectIG overRow(area.left, r->ValueToY(95) - 3, area.left + 40, r->ValueToY(95) + 3);
    EXPECT_LT(r->ValueToY(95), r->centre);
    EXPECT_GT(host.Count(overRow, [](TColorIG p) { return IsRed(p); }), 0);

    // No camera: nothing.
    const std::vector<uint32_t> drawn = host.Pixels(r);
    host.Force(319, 0);
    host.Paint();
    const std::vector<uint32_t> none = host.Pixels(r);
    EXPECT_NE(drawn, none);
    r->visible = 0;
    host.Paint();
    EXPECT_EQ(host.Pixels(r), none);
}

TEST(SpeedCameraBar, WithoutItsImagesDrawsNothing)
{
    Host host("<box id=\"slot\" minimumHeight=\"200\"/>");
    host.Force(319, 350);
    // Loaded where no image store answers: not ready.
    auto* bar = new TUserControlRadarBar(&host.app);
    bar->OnLoad(nullptr, nullptr, nullptr, nullptr, nullptr);
    EXPECT_FALSE(bar->ready);
    host.Paint();
    auto* slot = host.page->FindElement("slot", false);
    const std::vector<uint32_t> empty = host.Pixels(slot);
    bar->SetBounds(slot->left, slot->top, slot->width, slot->height);
    bar->Paint(host.app.ui->GetDC(), 0, 0);
    EXPECT_EQ(host.Pixels(slot), empty) << "nothing drawn into the back buffer";
    delete bar;
}

} // namespace
