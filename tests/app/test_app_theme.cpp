// Theme choice for the skin load, the splash picture by screen shape and the
// display settings applied after the engine start.
#include "app_fixture.h"
#include "uiengine/core/TPDAUIEngine.h"

namespace apptest {
namespace {

class ThemeTest : public AppTest {};

const std::vector<std::string> kOff = {"pagemenuheaderoff", "commonoff", "commonoffpressed", "commonofffocused"};
const std::vector<std::string> kOn = {"pagemenuheaderon", "commonon", "commononfocused", "commononpressed"};

TEST_F(ThemeTest, ThemesAndColourVariantByLibraryThemeNightAndAlternative)
{
    const struct {
        const char* uiTheme;
        bool night;
        int alternative;
        const char* routeThemes;
        const char *theme1, *theme2, *colour;
        bool onSet;
    } cases[] = {
        {"sport", true, 0, "road|roadAlt", "sportdark", "sportdark", "gray", false},
        {"sport", false, 1, "road|roadAlt", "sport", "sport", "gray", false},
        {"", false, 1, "road|roadAlt", "roadAlt", "road", "gray", false},
        {"", true, 1, "road|roadAlt", "roadAltdark", "roaddark", "gray", false},
        {"", false, 0, "road|roadAlt", "road", "roadAlt", "green", true},
        {"", true, 0, "road|roadAlt", "roaddark", "roadAltdark", "green", true},
        {"", false, 0, "single", "single", "", "green", true},
        {"", false, 2, "a|b", "a", "b", "green", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.uiTheme) + "/" + c.routeThemes + "/" + std::to_string(c.alternative));
        TestApp app(ProgramFolder(), 800, 480);
        ASSERT_TRUE(app.Start());
        app.uiTheme = c.uiTheme;
        app.engine.config->nightColours = c.night;
        app.engine.config->alternativeTheme = c.alternative;
        app.engine.config->routeThemes = c.routeThemes;
        app.ui->skinLoads.clear();
        EXPECT_TRUE(app.ApplySkinTheme());
        ASSERT_EQ(1u, app.ui->skinLoads.size());
        const auto& l = app.ui->skinLoads[0];
        EXPECT_EQ("default", l.skin);
        EXPECT_EQ(c.theme1, l.theme1);
        EXPECT_EQ(c.theme2, l.theme2);
        EXPECT_EQ(c.colour, l.option);
        EXPECT_EQ(c.onSet ? kOn : kOff, l.variants);
    }
}

TEST_F(ThemeTest, FailedLoadIsShownAndLogged)
{
    TestApp app(ProgramFolder(), 800, 480);
    ASSERT_TRUE(app.Start());
    app.ui->failSkin = true;
    EXPECT_FALSE(app.ApplySkinTheme());
    ASSERT_EQ(1u, app.ui->messageBoxes.size());
    EXPECT_EQ("Invalid Skin, unable to open 'x' program will close.", app.ui->messageBoxes[0].text);
    EXPECT_EQ("Invalid Skin, unable to open 'x' program will close.", app.engine.recorder.log.back());
}

TEST_F(ThemeTest, LibraryThemeChangeWaitsForTheQueue)
{
    TestApp app(ProgramFolder(), 800, 480);
    ASSERT_TRUE(app.Start());
    const size_t loads = app.ui->skinLoads.size();
    EXPECT_EQ(1, app.ChangeUITheme(DString("sport")));
    EXPECT_STREQ("sport", app.uiTheme.c_str());
    EXPECT_EQ(loads, app.ui->skinLoads.size());
}

TEST_F(ThemeTest, SplashPictureByScreenShape)
{
    const struct {
        int width, height;
        const char* file;
    } cases[] = {{480, 480, "pageSplashMoravelSquare.cbmp"},
                 {800, 480, "pageSplashMoravelLandscape.cbmp"},
                 {480, 800, "pageSplashMoravel.cbmp"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string folder = ProgramFolder() + "/symbols/internal";
        fs::create_directories(folder);
        TestApp app(ProgramFolder(), c.width, c.height);
        DString path("stale");
        EXPECT_STREQ("", app.GetSplashImagePath(path).c_str());
        std::ofstream(folder + "/" + c.file) << "x";
        app.GetSplashImagePath(path);
        EXPECT_EQ(folder + "/" + c.file, std::string(path.c_str()));
        fs::remove(folder + "/" + c.file);
    }
}

TEST_F(ThemeTest, DisplaySettingsAndScreenMode)
{
    TestApp app(ProgramFolder(), 800, 480);
    ASSERT_TRUE(app.Start());
    ASSERT_TRUE(app.InitEngine());
    app.engine.config->nightColours = true;
    app.engine.config->backlight = 70;
    app.engine.config->volume = 40;
    app.ApplyDisplaySettings();
    EXPECT_EQ(25, app.ui->GetBrightness());
    EXPECT_EQ(40, app.ui->GetSoundVolume());
    const auto& calls = app.engine.recorder.calls;
    EXPECT_NE(calls.end(), std::find(calls.begin(), calls.end(), "text command 167 "));
    EXPECT_NE(calls.end(), std::find(calls.begin(), calls.end(), "text command 168 "));
    app.engine.config->nightColours = false;
    app.ApplyDisplaySettings();
    EXPECT_EQ(70, app.ui->GetBrightness());

    app.engine.config->screenMode = 3;
    app.ui->screenModes.clear();
    EXPECT_EQ(1, app.ActuScreen());
    EXPECT_EQ(std::vector<int>{3}, app.ui->screenModes);
}

} // namespace
} // namespace apptest
