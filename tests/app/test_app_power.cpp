// The power watch on the engine's virtual clock, day and night by the library's
// time of day, the USB watcher thread, the start on external power and the updater.
#include <algorithm>
#include <chrono>
#include <thread>

#include "app_fixture.h"
#include "uiengine/core/TPDAUIEngine.h"
#include "wincore/WinApi.h"

namespace apptest {
namespace {

class PowerTest : public AppTest {
protected:
    PowerTest() : app(ProgramFolder(), 800, 480) { started = app.Start() && app.InitEngine(); }
    void Battery(double v) { app.engine.fields.forced[98].valor = v; }
    // One power check 2 s after the previous one, at the given level.
    std::vector<int> CheckAt(double level)
    {
        Battery(level);
        app.ui->Skip(2000);
        app.commands.clear();
        app.PowerWatch();
        return app.Ids();
    }
    bool Called(const std::string& what) const
    {
        const auto& calls = app.engine.recorder.calls;
        return std::find(calls.begin(), calls.end(), what) != calls.end();
    }
    TestApp app;
    bool started = false;
};

TEST_F(PowerTest, ChecksAreTwoSecondsApart)
{
    ASSERT_TRUE(started);
    Battery(5);
    app.ui->Skip(2000);
    app.PowerWatch();
    EXPECT_EQ(std::vector<int>{671}, app.Ids());
    app.powerFlags[1] = 0;  // a fresh warning would be due, but not a fresh check
    app.ui->Skip(1999);
    app.PowerWatch();
    EXPECT_EQ(std::vector<int>{671}, app.Ids());
}

TEST_F(PowerTest, LowBatteryWarnsOnceUntilItRoseAgainAndTwoMinutesPassed)
{
    ASSERT_TRUE(started);
    EXPECT_TRUE(CheckAt(50).empty());
    EXPECT_EQ(std::vector<int>{671}, CheckAt(8));
    EXPECT_TRUE(CheckAt(8).empty());
    EXPECT_TRUE(CheckAt(9).empty());
    // Up and down again within two minutes: warned, but not shown.
    EXPECT_TRUE(CheckAt(50).empty());
    EXPECT_TRUE(CheckAt(8).empty());
    app.ui->Skip(120000);
    EXPECT_TRUE(CheckAt(8).empty());  // still the same low spell
    EXPECT_TRUE(CheckAt(12).empty());
    EXPECT_EQ(std::vector<int>{671}, CheckAt(7));
}

TEST_F(PowerTest, StartOnALowBatteryWarnsAtTheFirstCheck)
{
    ASSERT_TRUE(started);
    // The engine clock is far below two minutes: the first warning is still due.
    EXPECT_EQ(std::vector<int>{671}, CheckAt(6));
}

TEST_F(PowerTest, EmptyBatteryIsShownOnceAndAutonomyWarnedOnce)
{
    ASSERT_TRUE(started);
    EXPECT_EQ(std::vector<int>{674}, CheckAt(0.5));
    EXPECT_TRUE(CheckAt(0.2).empty());
    EXPECT_TRUE(CheckAt(5).empty());  // low already counted as warned

    app.engine.config->autonomyThreshold = 60;
    app.engine.fields.forced[74].valor = 61;
    EXPECT_EQ(std::vector<int>{673}, CheckAt(50));
    EXPECT_TRUE(CheckAt(50).empty());
}

TEST_F(PowerTest, PowerSourceChanges)
{
    ASSERT_TRUE(started);
    // Without a USB signal, plugging in runs nothing.
    EXPECT_TRUE(CheckAt(50).empty());
    EXPECT_TRUE(CheckAt(-50).empty());
    EXPECT_TRUE(CheckAt(50).empty());  // no power alarm configured
    app.usbSignalled = 1;
    EXPECT_EQ(std::vector<int>{676}, CheckAt(-60));
    EXPECT_TRUE(CheckAt(-60).empty());
    app.engine.config->powerAlarm = true;
    EXPECT_EQ(std::vector<int>{672}, CheckAt(60));
    // A device on fixed power is not watched.
    app.engine.config->fixedPower = true;
    EXPECT_TRUE(CheckAt(-5).empty());
    EXPECT_TRUE(CheckAt(3).empty());
}

TEST_F(PowerTest, DayAndNightFollowTheLibraryTimeOfDay)
{
    ASSERT_TRUE(started);
    TConfig& cfg = *app.engine.config;
    cfg.autoDayNight = true;
    cfg.nightColours = true;
    app.engine.fields.forced[348].valor = 10;  // day
    app.ui->Skip(2000);
    size_t loads = app.ui->skinLoads.size();
    app.PeriodicScreenUpdate();
    EXPECT_TRUE(Called("text command 129 0"));
    EXPECT_FALSE(cfg.nightColours);
    EXPECT_EQ(loads + 1, app.ui->skinLoads.size());

    // Day with day colours: nothing to switch.
    app.ui->Skip(2100);
    loads = app.ui->skinLoads.size();
    app.PeriodicScreenUpdate();
    EXPECT_EQ(loads, app.ui->skinLoads.size());

    // Dusk (3) switches to night and checks every half second from then on.
    app.engine.fields.forced[348].valor = 30;
    app.ui->Skip(2100);
    app.PeriodicScreenUpdate();
    EXPECT_TRUE(Called("text command 129 2"));
    EXPECT_TRUE(cfg.nightColours);
    EXPECT_EQ(1, app.fastScreenRefresh);
    EXPECT_EQ(loads + 1, app.ui->skinLoads.size());
    app.engine.fields.forced[348].valor = 10;
    app.ui->Skip(600);
    app.PeriodicScreenUpdate();
    EXPECT_EQ(loads + 2, app.ui->skinLoads.size());

    // Without the automatic flag nothing changes.
    cfg.autoDayNight = false;
    cfg.nightColours = true;
    app.ui->Skip(2100);
    app.PeriodicScreenUpdate();
    EXPECT_EQ(loads + 2, app.ui->skinLoads.size());
}

TEST_F(PowerTest, UsbWatcherSetsTheFlagAndTheCancelEventAndIsJoined)
{
    ASSERT_TRUE(started);
    ASSERT_TRUE(app.usbThread.joinable());
    HANDLE semaphore = CreateSemaphoreW(nullptr, 0, 1, u"usbSemaphore");
    HANDLE cancel = CreateEventW(nullptr, TRUE, FALSE, u"usbCancelEvent");
    ASSERT_NE(nullptr, semaphore);
    ASSERT_NE(nullptr, cancel);
    EXPECT_EQ(0, app.usbSignalled.load());
    ASSERT_TRUE(ReleaseSemaphore(semaphore, 1, nullptr));
    for (int i = 0; i < 200 && !app.usbSignalled; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(1, app.usbSignalled.load());
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(cancel, 0));
    CloseHandle(semaphore);
    CloseHandle(cancel);
    app.StopUsbWatcher();
    EXPECT_FALSE(app.usbThread.joinable());
    app.StopUsbWatcher();  // twice is harmless
}

TEST_F(PowerTest, StartOnExternalPowerHandsOverUnlessToldOtherwise)
{
    ASSERT_TRUE(started);
    const struct {
        const char* line;
        double battery;
        bool fixed;
        bool ends;
    } cases[] = {
        {"", -40, false, true},
        {"/PB", -40, false, false},
        {"x PB y", -40, false, false},
        {"\"\\Storage Card\\PBX\\a.gpx\"", -40, false, true},  // PB inside a word is no switch
        {"", 40, false, false},
        {"", -40, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        app.closeFlag = 1;
        app.engine.recorder.calls.clear();
        Battery(c.battery);
        app.engine.config->fixedPower = c.fixed;
        EXPECT_EQ(c.ends, app.CheckUsbStartMode(DString(c.line)));
        EXPECT_EQ(c.ends, Called("start \\Windows\\Vemblo.exe /orbeta"));
        EXPECT_EQ(c.ends ? 0 : 1, app.closeFlag);
    }
}

TEST_F(PowerTest, AskOnExternalPower)
{
    ASSERT_TRUE(started);
    app.engine.config->powerAlarm = true;
    Battery(-40);
    for (int answer : {6, 7, 2}) {
        app.messageBoxAnswer = answer;
        app.boxes.clear();
        EXPECT_EQ(answer != 6, app.CheckUsbStartMode(DString("/MS")));
        ASSERT_EQ(1u, app.boxes.size());
        EXPECT_EQ("AC", app.boxes[0].title);
        EXPECT_EQ(std::string(app.engine.Get_Idioma_GPS(260).c_str()), app.boxes[0].text);
        EXPECT_EQ(0, app.boxes[0].flags);
        EXPECT_EQ(1800, app.boxes[0].seconds);
    }
    // "PROGRAMS" holds no switch.
    app.boxes.clear();
    EXPECT_TRUE(app.CheckUsbStartMode(DString("PROGRAMS")));
    EXPECT_TRUE(app.boxes.empty());
}

TEST_F(PowerTest, UsbProgramAtExit)
{
    ASSERT_TRUE(started);
    const struct {
        double battery;
        bool fixed, exitLaunch, starts;
    } cases[] = {{-10, false, false, true}, {10, false, false, false}, {10, false, true, true},
                 {-10, true, false, false}, {-10, true, true, true}};
    for (const auto& c : cases) {
        app.engine.recorder.calls.clear();
        app.closeFlag = 1;
        Battery(c.battery);
        app.engine.config->fixedPower = c.fixed;
        app.engine.config->exitLaunch = c.exitLaunch;
        app.LaunchUsbProgramOnExit();
        EXPECT_EQ(c.starts, Called("start \\Windows\\Vemblo.exe /orbeta")) << c.battery << c.fixed << c.exitLaunch;
        EXPECT_EQ(c.starts ? 0 : 1, app.closeFlag);
    }
}

class UpdaterTest : public PowerTest {
protected:
    UpdaterTest()
    {
        card = dir / "card";
        fs::create_directories(card);
        setenv("ORBETA_FLASH_CARDS", (dir / "empty-card" + ";" + card).c_str(), 1);
    }
    ~UpdaterTest() override { unsetenv("ORBETA_FLASH_CARDS"); }
    // "abc" and its MD5 beside it, as the updater ships.
    void PutUpdater(bool goodSum)
    {
        std::ofstream(card + "/Quillon.exe") << "abc";
        std::ofstream(card + "/Quillon.md5") << (goodSum ? "900150983cd24fb0d6963f7d28e17f72" : "00000000000000000000000000000000");
    }
    std::string card;
};

TEST_F(UpdaterTest, UpdaterRunsOnlyWhenItsSumIsRightAndIsDeletedAfterItRan)
{
    ASSERT_TRUE(started);
    EXPECT_FALSE(app.RunUpdaterIfPresent(DString("")));

    PutUpdater(false);
    EXPECT_FALSE(app.RunUpdaterIfPresent(DString("")));
    EXPECT_TRUE(fs::exists(card + "/Quillon.exe"));
    EXPECT_EQ(1, app.closeFlag);

    PutUpdater(true);
    // A path holding the letters is no switch: the updater runs, nothing is deleted.
    EXPECT_TRUE(app.RunUpdaterIfPresent(DString("\\Storage Card\\BACKUP\\x.gpx")));
    EXPECT_TRUE(fs::exists(card + "/Quillon.exe"));
    EXPECT_EQ(0, app.closeFlag);
    bool launched = false;
    for (const std::string& c : app.engine.recorder.calls)
        launched |= c.rfind("start ", 0) == 0 && c.find("Quillon.exe") != std::string::npos;
    EXPECT_TRUE(launched);

    app.closeFlag = 1;
    for (const char* line : {"/UP", "UP", "a UP b"}) {
        PutUpdater(true);
        EXPECT_FALSE(app.RunUpdaterIfPresent(DString(line))) << line;
        EXPECT_FALSE(fs::exists(card + "/Quillon.exe")) << line;
        EXPECT_EQ(1, app.closeFlag);
    }
}

} // namespace
} // namespace apptest
