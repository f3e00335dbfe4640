// The lane control: its text cut down around the recommended lanes, the
// widths of lanes and separators, and when it shows at all.
#include "display/usercontrols/TUserControlLanes.h"
#include "test_mapinfo_fixture.h"

namespace {
using namespace mapinfotest;

TEST(LaneText, IsShortenedAroundItsCapitalsOnlyBeyondTenCharacters)
{
    struct Case {
        const char* in;
        const char* out;
    };
    const Case cases[] = {
        {"", ""},
        {"#", ""},
        {"#a1a1a2B", "a1a1a2B"},
        {"a1b1c1d1e1", "a1b1c1d1e1"},     // exactly ten: kept
        {"#a1b1c1d1e1", "a1b1c1d1e1"},    // ten after the "#"
        {"#aB1cccccccc", "aB1cccc)"},     // eleven, capital near the start: cut after 7
        {"A1b1c1d1e1f", "A1b1c1d)"},      // capital at position 0
        {"a1b1c1d1e1F", "(e1F"},          // capital at the end: start three before it
        {"#g1a1a1a1C1C", "(a1C1C"},       // the demo drive's last turn
        {"a1b1c1d1e1fgh", "a1b1c1d1e1"},  // no capital: the first ten
        {"aB1c1d1e1fG", "(B1c1d1e1fG"},   // start would be before the text
        {"A1b1c1d1e1F", "A1b1c1d1e1)"},   // cut would be past the end
        {"a1b1c1d1e1f1gA1h", "(1gA1h"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TUserControlLanes::ShortenLaneText(c.in), c.out) << c.in;
}

TEST(LaneText, LanesAndSeparatorsTakeTheirWidthOncePerRun)
{
    struct Case {
        const char* text;
        int width;
    };
    const Case cases[] = {
        {"", 0},
        {"a", 32},
        {"ab", 32},             // arrows of one lane share a place
        {"a1b", 68},
        {"a12b", 68},           // a run of separators is one separator
        {"a1a1a2B", 140},
        {"(a1B)", 4 + 32 + 4 + 32 + 4},
        {"a!b", 32},            // what is neither takes no room and splits nothing
    };
    for (const Case& c : cases)
        EXPECT_EQ(TUserControlLanes::LaneTextWidth(c.text), c.width) << c.text;
    EXPECT_EQ(TUserControlLanes::LaneTextWidth("a1b", 64, 8), 136);
}

class LanesTest : public MapInfoTest {
protected:
    TUserControlLanes* OpenLanes()
    {
        TUserControlLanes* lanes = Open<TUserControlLanes>("usercontrolLanes", 100, 100, 300, 40);
        EXPECT_NE(lanes, nullptr);
        return lanes;
    }
};

TEST_F(LanesTest, ShowOnlyWithinTheDistanceGate)
{
    TUserControlLanes* lanes = OpenLanes();
    ASSERT_NE(lanes, nullptr);
    Force(364, "#a1B");
    struct Case {
        double distance;
        bool shown;
    };
    const Case cases[] = {{0.0001, true}, {1000.0, true}, {500, true}, {0.00009, false},
                          {1000.1, false}, {0, false},    {-1, false}};
    for (const Case& c : cases) {
        Force(300, "", c.distance);
        app.ui->Frame();
        EXPECT_EQ(lanes->shown, c.shown) << c.distance;
        EXPECT_EQ(lanes->HitTest(110, 110) != nullptr, c.shown) << c.distance;
    }
}

TEST_F(LanesTest, HideWithoutLaneTextOrWithTheSettingOff)
{
    TUserControlLanes* lanes = OpenLanes();
    ASSERT_NE(lanes, nullptr);
    Force(300, "", 200);
    Force(364, "");
    app.ui->Frame();
    EXPECT_FALSE(lanes->shown);
    Force(364, "#a1B");
    app.ui->Frame();
    EXPECT_TRUE(lanes->shown);
    Config().showLanes = false;
    app.ui->Frame();
    EXPECT_FALSE(lanes->shown);
}

TEST_F(LanesTest, FollowTheDriveBeforeATurnWithLanes)
{
    TUserControlLanes* lanes = OpenLanes();
    ASSERT_NE(lanes, nullptr);
    AtEvent("A.M3", -300);
    app.ui->Frame();
    EXPECT_TRUE(lanes->shown);
    AtEvent("A.M1", -100);  // a turn without lanes
    app.ui->Frame();
    EXPECT_FALSE(lanes->shown);
}

// The background reaches the lanes' width plus 8, and the control is raised
// to 40 high: both at the UI scale.
TEST_F(LanesTest, BackgroundCoversThePicturesAtTheUiScale)
{
    for (float scale : {1.0f, 2.0f}) {
        SCOPED_TRACE(scale);
        app.ui->skinSettings.uiScale = scale;
        if (page) {
            app.ui->pages.RemoveAllEqual(page);
            delete page;
            page = nullptr;
        }
        TUserControlLanes* lanes = Open<TUserControlLanes>("usercontrolLanes", 0, 0, 700, 10);
        ASSERT_NE(lanes, nullptr);
        Force(300, "", 200);
        Force(364, "#a1a1a2B");
        app.ui->Frame();
        ASSERT_TRUE(lanes->shown);
        EXPECT_EQ(lanes->height, (int)(40 * scale));
        const int right = lanes->left + (int)(140 * scale) + (int)(8 * scale);
        const TColorIG page = app.ui->PixelAt(right + 2, lanes->top + 20);
        EXPECT_NE(app.ui->PixelAt(right - 3, lanes->top + 20), page);
        EXPECT_EQ(app.ui->PixelAt(right + 4, lanes->top + 20), page);
    }
    app.ui->skinSettings.uiScale = 1.0f;
}

} // namespace
