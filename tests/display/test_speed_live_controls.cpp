// The small live controls: battery, satellites, friends and the friends' chat,
// and the factory rows of every speed-family control.
#include <algorithm>
#include <cstring>

#include "app/TUserControlFactory.h"
#include "display/speed_test_host.h"
#include "display/usercontrols/TUserControlBattery.h"
#include "display/usercontrols/TUserControlDistNextRadar.h"
#include "display/usercontrols/TUserControlFriendChat.h"
#include "display/usercontrols/TUserControlFriends.h"
#include "display/usercontrols/TUserControlMaxVelocity.h"
#include "display/usercontrols/TUserControlRadarBar.h"
#include "display/usercontrols/TUserControlSatellites.h"
#include "display/usercontrols/TUserControlVelocity.h"
#include "uiengine/controls/TPDAUIEngineElementImageList.h"
#include "uiengine/controls/TPDAUIEngineElementProgressBar.h"

namespace {

using speedtest::Host;

TEST(SpeedControls, FactoryMakesEachControlForItsTagOnly)
{
    displaytest::DisplayApp app;
    struct Row {
        const char* tag;
        bool (*is)(TPDAUIEngineElement*);
    };
    const Row rows[] = {
        {"usercontrol/usercontrolBattery", [](TPDAUIEngineElement* e) { return !!dynamic_cast<TUserControlBattery*>(e); }},
        {"usercontrol/usercontrolSatellites",
         [](TPDAUIEngineElement* e) { return !!dynamic_cast<TUserControlSatellites*>(e); }},
        {"usercontrol/usercontrolFriends", [](TPDAUIEngineElement* e) { return !!dynamic_cast<TUserControlFriends*>(e); }},
        {"usercontrol/usercontrolFriendChat",
         [](TPDAUIEngineElement* e) { return !!dynamic_cast<TUserControlFriendChat*>(e); }},
        {"usercontrol/usercontrolVelocity", [](TPDAUIEngineElement* e) {
             return dynamic_cast<TUserControlVelocity*>(e) && !dynamic_cast<TUserControlVelocityBig*>(e);
         }},
        {"usercontrol/usercontrolVelocityBig",
         [](TPDAUIEngineElement* e) { return !!dynamic_cast<TUserControlVelocityBig*>(e); }},
        {"usercontrol/usercontrolMaxVelocity",
         [](TPDAUIEngineElement* e) { return !!dynamic_cast<TUserControlMaxVelocity*>(e); }},
        {"usercontrol/usercontrolDistNextRadar",
         [](TPDAUIEngineElement* e) { return !!dynamic_cast<TUserControlDistNextRadar*>(e); }},
        {"usercontrol/usercontrolRadarBar", [](TPDAUIEngineElement* e) { return !!dynamic_cast<TUserControlRadarBar*>(e); }},
    };
    for (const Row& row : rows) {
        TPDAUIEngineElement* e = TUserControlFactory::FuncCreateUserControlElementByNameCallBack(&app, row.tag);
        ASSERT_NE(e, nullptr) << row.tag;
        EXPECT_TRUE(row.is(e)) << row.tag;
        // The tag names the definition file the control loads.
        EXPECT_STREQ(e->tag.c_str(), row.tag);
        delete e;
    }
    for (const char* tag : {"usercontrol/usercontrolbattery", "usercontrol/usercontrolVelocityHuge", "usercontrolBattery"})
        EXPECT_EQ(TUserControlFactory::FuncCreateUserControlElementByNameCallBack(&app, tag), nullptr) << tag;
}

TEST(SpeedControls, EveryDefinitionLoadsWithTheChildrenItsControlLooksUp)
{
    Host host("<usercontrol type=\"usercontrolBattery\" id=\"b\"/>"
              "<usercontrol type=\"usercontrolSatellites\" id=\"s\"/>"
              "<usercontrol type=\"usercontrolFriends\" id=\"f\"/>"
              "<usercontrol type=\"usercontrolFriendChat\" id=\"c\"/>"
              "<usercontrol type=\"usercontrolVelocity\" id=\"v\"/>"
              "<usercontrol type=\"usercontrolVelocityBig\" id=\"vb\"/>"
              "<usercontrol type=\"usercontrolMaxVelocity\" id=\"m\"/>"
              "<usercontrol type=\"usercontrolDistNextRadar\" id=\"d\"/>"
              "<usercontrol type=\"usercontrolRadarBar\" id=\"r\"/>");
    EXPECT_TRUE(host.app.ui->messageBoxes.empty());
    EXPECT_EQ(host.app.ui->terminateCalls, 0);
    auto* b = host.Find<TUserControlBattery>("b");
    ASSERT_TRUE(b);
    EXPECT_TRUE(b->imgBatteryAC && b->pgbLevelBattery);
    EXPECT_TRUE(host.Find<TUserControlSatellites>("s")->imlSatellite);
    EXPECT_TRUE(host.Find<TUserControlFriends>("f")->imlFriends);
    auto* c = host.Find<TUserControlFriendChat>("c");
    EXPECT_TRUE(c->rptRepeater && c->rpiRepeaterItem);
    EXPECT_TRUE(host.Find<TUserControlVelocity>("v")->lblValue);
    EXPECT_TRUE(host.Find<TUserControlVelocityBig>("vb")->lblValue);
    auto* m = host.Find<TUserControlMaxVelocity>("m");
    EXPECT_TRUE(m->lblMaxVelocityValue && m->lblMaxVelocityBigValue);
    auto* d = host.Find<TUserControlDistNextRadar>("d");
    EXPECT_TRUE(d->lblTitle && d->pgbProgressbar);
    EXPECT_TRUE(host.Find<TUserControlRadarBar>("r")->ready);
}

TEST(SpeedControls, BatteryShowsTheBarOrTheExternalPowerImage)
{
    Host host("<usercontrol type=\"usercontrolBattery\" id=\"b\"/>");
    auto* b = host.Find<TUserControlBattery>("b");
    ASSERT_TRUE(b && b->imgBatteryAC && b->pgbLevelBattery);
    EXPECT_FALSE(b->imgBatteryAC->visible) << "hidden from the load on";
    struct Case {
        double level;
        bool ac;
        int bar;
    };
    const Case cases[] = {{0, false, 0}, {-35, true, 35}, {87, false, 87}, {-0.5, true, 0}, {100, false, 100}};
    for (const Case& c : cases) {
        host.Force(98, c.level);
        host.Paint();
        EXPECT_EQ(b->imgBatteryAC->visible != 0, c.ac) << c.level;
        EXPECT_EQ(b->pgbLevelBattery->visible != 0, !c.ac) << c.level;
        EXPECT_EQ(b->pgbLevelBattery->value, c.bar) << c.level;
        // The shown child gets room when visibility changes.
        TPDAUIEngineElement* shown = c.ac ? b->imgBatteryAC : (TPDAUIEngineElement*)b->pgbLevelBattery;
        EXPECT_GT(shown->width, 0) << c.level;
    }
}

TEST(SpeedControls, BatteryDrawsNothingWhileTheDisplaySettingHidesIt)
{
    Host shown("<usercontrol type=\"usercontrolBattery\" id=\"b\" minimumHeight=\"40\"/>");
    shown.Force(98, 60);
    shown.Paint();
    auto* b = shown.Find<TUserControlBattery>("b");
    const std::vector<uint32_t> drawn = shown.Pixels(b);
    b->visible = 0;
    shown.Paint();
    const std::vector<uint32_t> empty = shown.Pixels(b);
    ASSERT_NE(drawn, empty) << "the bar draws something";

    Host hidden("<usercontrol type=\"usercontrolBattery\" id=\"b\" minimumHeight=\"40\"/>",
                [](displaytest::DisplayApp& app) { app.engine.config->batteryDisplayHidden = true; });
    hidden.Force(98, 60);
    hidden.Paint();
    EXPECT_EQ(hidden.Pixels(hidden.Find<TUserControlBattery>("b")), empty);
}

TEST(SpeedControls, SatellitesShowTheStatusAsFrameAndNeverANegativeOne)
{
    Host host("<usercontrol type=\"usercontrolSatellites\" id=\"s\"/>");
    auto* s = host.Find<TUserControlSatellites>("s");
    ASSERT_TRUE(s && s->imlSatellite);
    const int cases[][2] = {{-1, 0}, {0, 0}, {4, 4}, {6, 6}, {-2147483647, 0}};
    for (const auto& c : cases) {
        host.Force(330, c[0]);
        host.Paint();
        EXPECT_EQ(s->imlSatellite->selectedIndex, c[1]) << c[0];
    }
}

TEST(SpeedControls, FriendsShowTheCountAndABadgeOnlyForUnreadWithTwoOrMore)
{
    Host host("<usercontrol type=\"usercontrolFriends\" id=\"f\" minimumWidth=\"64\" minimumHeight=\"64\"/>");
    auto* f = host.Find<TUserControlFriends>("f");
    ASSERT_TRUE(f && f->imlFriends);
    struct Case {
        int count, unread;
        bool list;
        bool badge;
    };
    const Case cases[] = {
        {0, 3, false, false},  // nothing
        {1, 3, true, false},   // one friend: the unread count is not read
        {2, 0, true, false},
        {2, 3, true, true},
        {3, 12, true, true},
        {2, -4, true, false},
    };
    for (const Case& c : cases) {
        host.Force(391, c.count);
        host.Force(394, c.unread);
        host.Paint();
        const TRectIG r = f->GetScreenRect();
        EXPECT_EQ(f->imlFriends->visible != 0, c.list) << c.count << "/" << c.unread;
        if (c.list) {
            EXPECT_EQ(f->imlFriends->selectedIndex, c.count);
        }
        const TRectIG topRight(r.left + f->width / 2, r.top, r.right, r.top + f->height / 2);
        const TRectIG rest(r.left, r.top + f->height / 2, r.right, r.bottom);
        const int red = host.Count(topRight, [](TColorIG p) { return speedtest::IsRed(p); });
        EXPECT_EQ(red > 0, c.badge) << c.count << "/" << c.unread;
        EXPECT_EQ(host.Count(rest, [](TColorIG p) { return speedtest::IsRed(p); }), 0) << "badge stays in its quarter";
    }
}

TEST(SpeedControls, FriendsTapOpensTheFriendsList)
{
    Host host("<usercontrol type=\"usercontrolFriends\" id=\"f\" minimumWidth=\"64\" minimumHeight=\"64\"/>");
    auto* f = host.Find<TUserControlFriends>("f");
    host.Force(391, 2);
    host.app.executed.clear();
    f->OnMouseDown(5, 5, 0, 0, 0);
    EXPECT_EQ(host.app.executed, std::vector<std::string>{"3203"});
}

TEST(SpeedControls, FriendChatSwallowsOnlyItsOwnCommand)
{
    Host host("<usercontrol type=\"usercontrolFriendChat\" id=\"c\"/>");
    auto* c = host.Find<TUserControlFriendChat>("c");
    ASSERT_TRUE(c);
    // Commands reach the control from its children.
    c->rptRepeater->RaiseCommand("loquesea2", 0, 0, false);
    c->rptRepeater->RaiseCommand("loquesea", 0, 0, false);
    c->rpiRepeaterItem->RaiseCommand("chatOpen", 0, 0, false);
    EXPECT_EQ(host.page->got, (std::vector<std::string>{"loquesea", "chatOpen"}));
}

} // namespace
