// The library's settings: every setting's type and default, the settings file's
// round trip, and files that do not read falling back whole to the defaults.
#include "enginelib/nav/TConfig.h"
#include "enginelib/nav/TLumorGPSEngineInterface.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>

#include "nav_fixture.h"

namespace {

std::string ReadAll(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

void Write(const std::string& path, const std::string& text)
{
    std::ofstream f(path, std::ios::binary);
    f << text;
}

TEST(Config, EverySettingHasItsTypeAndDefault)
{
    const struct {
        const char* key;
        const char* type;
        const char* def;
    } table[] = {
        {"screenMode", "int", "2"}, {"fixedWidth", "int", "0"}, {"fixedHeight", "int", "0"},
        {"fixedLeft", "int", "-1"}, {"fixedTop", "int", "-1"}, {"keyboardKind", "int", "0"},
        {"windowGeometry", "string", ""}, {"uiScale", "float", "1"}, {"screenWidth", "int", "0"},
        {"screenHeight", "int", "0"}, {"keyboardType", "int", "1"}, {"soundsEnabled", "bool", "1"},
        {"appSettingA", "int", "-1"}, {"appSettingB", "int", "-1"}, {"fontCopyFolder", "string", "/data/fonts"},
        {"folders", "string", "/data/screenshots"}, {"skinName", "string", ""}, {"languageId", "int", "0"},
        {"languageIdPrevious", "int", "0"}, {"rotation", "int", "0"}, {"rotationSaveEnabled", "bool", "1"},
        {"rotationFollowDevice", "bool", "1"}, {"backlight", "int", "80"}, {"volume", "int", "70"},
        {"openGL", "bool", "0"}, {"copyPaste", "bool", "1"}, {"touchCalibrationGuard", "int", "0"},
        {"nightColours", "bool", "0"}, {"autoDayNight", "bool", "0"}, {"routeThemes", "string", "road|roadAlt"},
        {"alternativeTheme", "int", "0"}, {"rtngMode", "int", "0"}, {"staticNavigation", "int", "0"},
        {"fixedPower", "bool", "0"}, {"powerAlarm", "bool", "0"}, {"autonomyThreshold", "int", "-1"},
        {"exitLaunch", "bool", "0"}, {"screenshotNotify", "bool", "0"}, {"routingMapFlag", "int", "1"},
        {"fullScreen", "bool", "0"}, {"onRoad", "bool", "1"}, {"zoomRepeat", "bool", "1"},
        {"hideZoomButtons", "bool", "0"}, {"blockingSpeed", "float", "0"}, {"showNavigationPanel", "bool", "1"},
        {"sliderMode", "int", "0"}, {"hideMenuButton", "bool", "0"}, {"miniMenu", "bool", "0"},
        {"hideMainToolbar", "bool", "0"}, {"PolivalentDataLayoutUseAlternate", "bool", "0"},
        {"PolivalentDataLayoutPrimary", "string",
         "Map:21,300,86;Trip_1:21,47,98,41,306,86,351,330;Nav_2:318,314,300,306,352,364,351;Radar_3:351,319,21,352,"
         "47;Profile_4:66,339,21,41"},
        {"PolivalentDataLayoutAlternate", "string", "Map:21,86;Trip_1:21,47"},
        {"PolivalentDataCurrentPage", "int", "0"}, {"sliderState", "string", "0|0"}, {"mute", "bool", "0"},
        {"nextManoeuvreAction", "int", "0"}, {"mapContextMenu", "bool", "1"}, {"statusPageDisabled", "bool", "0"},
        {"doubleClick", "bool", "1"}, {"coordFormat", "int", "32"}, {"nextManoeuvreFlag", "bool", "0"},
        {"manoeuvreStyle", "int", "1"}, {"batteryDisplayHidden", "bool", "0"}, {"mapInfoNextLines", "int", "2"},
        {"hideAttachments", "bool", "0"}, {"showFileName", "bool", "0"}, {"showLanes", "bool", "1"},
        {"bigSpeedSign", "bool", "0"}, {"speedAlertMode", "int", "4"}, {"mapScale", "int", "1"},
        {"hideBatteryBox", "bool", "0"}, {"hideReceiverSettings", "bool", "0"}, {"hideBrightness", "bool", "0"},
        {"hideTrackBox", "bool", "0"}, {"altSignalMode", "bool", "0"}, {"endPropertiesOnCancel", "int", "0"},
        {"menuListMode", "int", "0"}, {"gotoKeepsAddressPage", "int", "0"}, {"hideQuit", "bool", "0"},
        {"dataTreeFilter", "string", ""}, {"childrenQueryA", "bool", "0"}, {"childrenQueryB", "bool", "1"},
        {"playOnSelect", "bool", "0"}, {"expandOnSelect", "bool", "1"}, {"trackCategories", "bool", "1"},
        {"showAdvice", "bool", "0"}, {"initialSteps", "string", ""}, {"continueOrNewNavigation", "bool", "0"},
        {"lastDestination", "string", "#HISTORIC"}, {"secondDestination", "string", ""},
        {"okSetting", "int", "0"}, {"unitSettings", "int", "0"}, {"storedLogin.Nimbox", "string", ""},
        {"dataFieldChooser", "string", "21,47,86"},
    };
    TConfig config("/data");
    std::set<std::string> listed;
    for (const auto& row : table) {
        SCOPED_TRACE(row.key);
        listed.insert(row.key);
        TvarConfig* v = config.Find(row.key);
        ASSERT_NE(nullptr, v);
        EXPECT_STREQ(row.type, v->TypeName());
        EXPECT_EQ(row.def, v->Text());
        EXPECT_FALSE(v->IsRead());
        v->ReadVal2();
        EXPECT_TRUE(v->IsRead());
    }
    // No setting is left out of the table, and no key is used twice.
    EXPECT_EQ(listed.size(), config.Variables().size());
    EXPECT_FALSE(config.IsModified());
    config.volume = 30;
    EXPECT_TRUE(config.IsModified());
    EXPECT_EQ(30, config.volume.GetValor());
}

TEST(Config, SettingsAndRecentListsSurviveTheFile)
{
    testpaths::TempDir dir;
    const std::string file = dir / "enginelib.cfg";
    {
        TConfig config;
        config.screenMode = 3;
        config.uiScale = 1.25f;
        config.onRoad = false;
        config.skinName = "night\xE9";  // é in the library's code page
        config.recentCities.Nuevo_Archivo("Springfield");
        config.recentFiles.Nuevo_Archivo("a.gpx");
        std::string error;
        ASSERT_TRUE(config.Save(file, error)) << error;
    }
    // Only what differs from the defaults is written, as UTF-8.
    EXPECT_EQ("screenMode=3\nuiScale=1.25\nskinName=night\xC3\xA9\nonRoad=0\nrecentFiles=a.gpx\n"
              "recentCities=Springfield\n",
              ReadAll(file));
    TConfig again;
    std::string error;
    ASSERT_TRUE(again.Load(file, error)) << error;
    EXPECT_EQ(3, again.screenMode.GetValor());
    EXPECT_FLOAT_EQ(1.25f, again.uiScale.GetValor());
    EXPECT_FALSE(again.onRoad);
    EXPECT_STREQ("night\xE9", again.skinName.c_str());
    EXPECT_STREQ("Springfield", again.recentCities.Get(0).c_str());
    EXPECT_STREQ("a.gpx", again.recentFiles.Get(0).c_str());
    EXPECT_FALSE(again.IsModified());
    // A line break in a value cannot end the line or start another setting.
    {
        TConfig config;
        config.skinName = "night\nvolume=1";
        config.recentFiles.Nuevo_Archivo("a\rb");
        std::string error;
        ASSERT_TRUE(config.Save(file, error)) << error;
        TConfig back;
        ASSERT_TRUE(back.Load(file, error)) << error;
        EXPECT_STREQ("night volume=1", back.skinName.c_str());
        EXPECT_EQ(70, back.volume.GetValor());
        EXPECT_STREQ("a b", back.recentFiles.Get(0).c_str());
    }
    // A missing file is a first run.
    TConfig fresh;
    EXPECT_TRUE(fresh.Load(dir / "none.cfg", error));
}

TEST(Config, AFileThatDoesNotReadLeavesEveryDefault)
{
    testpaths::TempDir dir;
    const std::string file = dir / "enginelib.cfg";
    const struct {
        const char* text;
        const char* error;  // empty: loads
    } cases[] = {
        {"volume=10\nscreenMode=x\n", ": line 2: \"x\" is not a int for screenMode"},
        {"volume=10\nnonsense\n", ": line 2 is not a setting"},
        {"volume=99999999999\n", ": line 1: \"99999999999\" is not a int for volume"},
        {"volume=10\nuiScale=nan\n", ": line 2: \"nan\" is not a float for uiScale"},
        {"onRoad=maybe\n", ": line 1: \"maybe\" is not a bool for onRoad"},
        {"volume=10\nsettingOfANewerVersion=1\n# comment\r\n\n", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        Write(file, c.text);
        TConfig config;
        config.screenMode = 5;  // a load starts from the defaults
        std::string error;
        const bool ok = config.Load(file, error);
        EXPECT_EQ(c.error[0] == 0, ok);
        if (ok) {
            EXPECT_EQ(10, config.volume.GetValor());
        } else {
            EXPECT_EQ(file + c.error, error);
            EXPECT_EQ(70, config.volume.GetValor());  // the line before the fault is not kept
        }
        EXPECT_EQ(2, config.screenMode.GetValor());
    }
    Write(file, std::string(2 << 20, 'x'));
    TConfig config;
    std::string error;
    EXPECT_FALSE(config.Load(file, error));
    EXPECT_EQ(file + ": too large for a settings file", error);
}

TEST(Config, RecentListsKeepTheNewestFirstWithoutDuplicates)
{
    TConfigRecent files(3);
    for (const char* f : {"a", "b", "c", "B", "d", "", "x|y"})
        files.Nuevo_Archivo(f);
    ASSERT_EQ(3, files.Count());
    EXPECT_STREQ("x y", files.Get(0).c_str());
    EXPECT_STREQ("d", files.Get(1).c_str());
    EXPECT_STREQ("B", files.Get(2).c_str());
    EXPECT_STREQ("", files.Get(3).c_str());
    EXPECT_STREQ("", files.Get(-1).c_str());
    files.SetText("1|2|3|4|5");
    EXPECT_EQ(3, files.Count());
}

TEST(Config, TheFacadeReadsTheSettingsAtStartAndWritesThemAtClose)
{
    testpaths::TempDir dir;
    Write(dir / "enginelib.cfg", "volume=12\nbacklight=oops\n");
    {
        TLumorGPSEngineInterface f;
        navtest::InMemory(f, dir.path());
        f.Inicializa0();
        ASSERT_NE(nullptr, f.config);
        EXPECT_EQ(70, f.config->volume.GetValor());
        ASSERT_EQ(1u, f.recorder.log.size());
        EXPECT_EQ(dir / "enginelib.cfg: line 2: \"oops\" is not a int for backlight; the default settings are used",
                  f.recorder.log[0]);
        f.config->volume = 40;
        f.Close(1);
    }
    EXPECT_EQ("volume=40\n", ReadAll(dir / "enginelib.cfg"));
    EXPECT_NE(std::string::npos, ReadAll(dir / "enginelib.log").find("is not a int for backlight"));
}

} // namespace
