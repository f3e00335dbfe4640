// The position control: the waypoint passed, the street with the receiver's
// state, or the compass and the open document's name.
#include "display/usercontrols/TUserControlMapInfoCurrent.h"
#include "enginelib/nav/TBaliza.h"
#include "test_mapinfo_fixture.h"

namespace {
using namespace mapinfotest;
using Current = TUserControlMapInfoCurrent;

class MapInfoCurrentTest : public MapInfoTest {
protected:
    Current* OpenCurrent()
    {
        Current* current = Open<Current>("usercontrolMapInfoCurrent", 10, 300, 400, 48);
        EXPECT_NE(current, nullptr);
        if (current) {
            EXPECT_NE(current->lblValue, nullptr);
            EXPECT_NE(current->btnMore, nullptr);
        }
        return current;
    }
};

TEST_F(MapInfoCurrentTest, AWaypointNearbyGivesItsNameAndItsPictures)
{
    TBaliza photo("Old Mill", TDemoRoute::Point{0, 0}, true);
    Force(374, "Old Mill", 0, &photo);
    Current* current = OpenCurrent();
    ASSERT_NE(current, nullptr);
    // Read on load already.
    EXPECT_EQ(current->lblValue->label, "Old Mill");
    EXPECT_TRUE(current->lblValue->visible);
    EXPECT_TRUE(current->btnMore->visible);
    if (current->usercontrolCompass) {
        EXPECT_FALSE(current->usercontrolCompass->visible);
    }

    app.engine.recorder.calls.clear();
    TPDAUIEngineCommand command(current->btnMore, "showMore");
    current->btnMore->OnCommand(command);
    EXPECT_EQ(app.engine.visor->current, &photo);
    EXPECT_TRUE(app.Called("command 150 -2"));
    app.engine.visor->current = nullptr;

    Config().hideAttachments = true;
    NextSecond();
    EXPECT_FALSE(current->btnMore->visible);
    EXPECT_TRUE(current->lblValue->visible);
}

TEST_F(MapInfoCurrentTest, TheStreetOrTheReceiverStateWhenNoWaypointIsNear)
{
    Current* current = OpenCurrent();
    ASSERT_NE(current, nullptr);
    Force(46, "Main Street");
    NextSecond();
    EXPECT_EQ(current->lblValue->label, "Main Street");
    EXPECT_TRUE(current->lblValue->visible);
    EXPECT_FALSE(current->btnMore->visible);

    Force(46, "");
    const DString where = Translated("{E217}");
    struct Case {
        int status;
        const char* id;  // translated after "{E217}: "; null for the literal
        const char* literal;
    };
    const Case cases[] = {{0, "{E225}", ""},  {1, "{E225}", ""}, {2, "{E221}", ""},
                          {3, "{E219}", ""},  {4, "{R61}", ""},  {5, "{Q3}", ""},
                          {6, nullptr, "Simulating"}, {7, nullptr, ""}, {-1, nullptr, ""}};
    for (const Case& c : cases) {
        Force(330, "", c.status);
        NextSecond();
        DString expected = where;
        expected << ": " << (c.id ? Translated(c.id) : DString(c.literal));
        EXPECT_EQ(current->lblValue->label, expected) << c.status;
    }
    EXPECT_NE(where, "{E217}");
}

TEST_F(MapInfoCurrentTest, TheStreetAlongTheDrive)
{
    Current* current = OpenCurrent();
    ASSERT_NE(current, nullptr);
    AtEvent("A.M1", -100);
    NextSecond();
    EXPECT_EQ(current->lblValue->label, "Main Street");
}

TEST_F(MapInfoCurrentTest, WithoutTheStreetStyleTheCompassOrTheDocumentName)
{
    Config().manoeuvreStyle = 0;
    Current* current = OpenCurrent();
    ASSERT_NE(current, nullptr);
    EXPECT_FALSE(current->lblValue->visible);
    EXPECT_FALSE(current->btnMore->visible);
    if (current->usercontrolCompass) {
        EXPECT_TRUE(current->usercontrolCompass->visible);
    }

    Config().showFileName = true;
    NextSecond();
    EXPECT_FALSE(current->lblValue->visible);  // no document yet
    Vector<DString> files;
    files.Add(DString("/maps/Westhaven.map"));
    app.engine.Abre_Archivos(files, TPointIG(0, 0), 0);
    NextSecond();
    EXPECT_TRUE(current->lblValue->visible);
    EXPECT_EQ(current->lblValue->label, "Westhaven.map");
    if (current->usercontrolCompass) {
        EXPECT_FALSE(current->usercontrolCompass->visible);
    }
}

} // namespace
