// The simulated drive and the world around it: the car at named events, the
// kinematics over a whole loop, the receiver's timeline, battery, clock, and the
// real-time pulses.
#include "enginelib/nav/Debug.h"
#include "enginelib/nav/TDemoRoute.h"
#include "enginelib/nav/TLumorGPSEngineInterface.h"
#include "enginelib/nav/TNavPlatform.h"
#include "enginelib/nav/TNavSimulation.h"
#include "enginelib/nav/TPulseSource.h"
#include "enginelib/nav/TVisor_LumorGPSPocket.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>

#include "nav_fixture.h"

namespace {
using enginelib::Debug;
const TDemoRoute& route = TDemoRoute::Get();

TEST(DemoRoute, TheCarAtNamedEvents)
{
    const struct {
        const char* event;
        double metres;
        int leg;
        double s, x, y, heading, speed, altitude;
        int stretch, next;
    } cases[] = {
        {"A.M5", -500, 0, 4400, 3712, 388, 90, 100, 46.875, 9, 4},
        {"C1", -300, 0, 1300, 700, 600, 90, 50, 25 + 5.0 * 300 / 900, 3, 2},
        {"A.tunnel.in", 0, 0, 3600, 2912, 388, 90, 100, 60, 8, 4},
        {"A.M1", -100, 0, 500, 0, 500, 0, 45, 20 + 2.0 * 500 / 600, 0, 0},
        {"B.summit", 0, 1, 3471, 2700, 1600, -1, 75, 140, 2, 1},
        {"N2", 700, 1, 6878, 0, 700, 180, 45, 25 - 5.0 * 700 / 1400, 4, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.event) + " " + std::to_string(c.metres));
        const double t = route.EventTime(c.event, c.metres);
        ASSERT_GT(t, 0);
        const TDemoRoute::State st = route.At(t);
        EXPECT_EQ(c.leg, st.leg);
        EXPECT_NEAR(c.s, st.s, 1e-6);
        EXPECT_NEAR(c.x, st.position.x, 1e-6);
        EXPECT_NEAR(c.y, st.position.y, 1e-6);
        if (c.heading >= 0) {
            EXPECT_NEAR(c.heading, st.heading, 1e-6);
        }
        EXPECT_NEAR(c.speed, st.speed, 1e-6);
        EXPECT_NEAR(c.altitude, st.altitude, 1e-6);
        EXPECT_EQ(c.stretch, st.stretch);
        EXPECT_EQ(c.next, st.nextManoeuvre);
        EXPECT_FALSE(st.stopped);
        // The same time a loop later is the same place.
        EXPECT_NEAR(st.s, route.At(t + route.Period()).s, 1e-6);
    }
    EXPECT_LT(route.EventTime("nowhere"), 0);
}

TEST(DemoRoute, TheLoopKeepsItsTimesAndItsKinematics)
{
    EXPECT_NEAR(868.7, route.Period(), 0.1);
    EXPECT_NEAR(63.5, route.EventTime("A.M1"), 0.1);
    EXPECT_NEAR(375.0, route.EventTime("stop.A"), 0.1);
    EXPECT_NEAR(858.7, route.EventTime("stop.B"), 0.1);
    EXPECT_NEAR(240.1, route.EventTime("C2"), 0.1);
    // Waiting for the fix, then stops at each end with the route calculated last.
    EXPECT_TRUE(route.At(5).stopped);
    EXPECT_EQ(0, route.At(5).speed);
    const double stopA = route.EventTime("stop.A");
    EXPECT_TRUE(route.At(stopA + 1).stopped);
    EXPECT_FALSE(route.At(stopA + 1).calculating);
    EXPECT_TRUE(route.At(stopA + 19).calculating);
    EXPECT_NEAR(5024, route.At(stopA + 10).position.x, 1e-6);
    // Over a whole loop: speed changes at most 1.5 m/s^2, the car moves no farther
    // than its speed allows, and drives no faster than a stretch's cruise, entry or
    // exit speed.
    const double dt = 0.05;
    TDemoRoute::State prev = route.At(0);
    double overSpeedFrom = -1, overSpeedTo = -1;
    for (double t = dt; t < 10 + route.Period(); t += dt) {
        const TDemoRoute::State st = route.At(t);
        ASSERT_LE(std::fabs(st.speed - prev.speed) / 3.6, 1.5 * dt + 1e-9) << t;
        const double moved = std::hypot(st.position.x - prev.position.x, st.position.y - prev.position.y);
        // (the map's segment lengths are rounded to the metre: 0.1 % slack)
        ASSERT_LE(moved, std::max(st.speed, prev.speed) / 3.6 * dt * 1.001 + 1e-6) << t;
        if (!st.stopped) {
            const auto& stretches = route.leg(st.leg).stretches;
            const double entry = st.stretch > 0 ? stretches[st.stretch - 1].exit : 0;
            const auto& here = stretches[st.stretch];
            ASSERT_LE(st.speed, std::max({here.cruise, here.exit, entry}) + 1e-9) << t;
        }
        const bool urban = route.leg(st.leg).stretches[st.stretch].limit == 50;
        if (urban && st.speed > 55 && overSpeedFrom < 0)
            overSpeedFrom = t;
        if (urban && st.speed > 55)
            overSpeedTo = t;
        prev = st;
    }
    // The scripted over-speed on Oak Road is the only one in town.
    EXPECT_NEAR(135.5, overSpeedFrom, 0.5);
    EXPECT_NEAR(152.5, overSpeedTo, 0.5);
}

class SimulationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        navtest::InMemory(f);
        navtest::Start(f);
        sim = f.simulation;
        Debug::At(0);
    }
    TLumorGPSEngineInterface f;
    TNavSimulation* sim = nullptr;
};

TEST_F(SimulationTest, ReceiverTimelineTunnelAndSatellites)
{
    const struct {
        double t;
        int status, listed, inUse;
    } timeline[] = {{0, 2, 0, 0}, {2, 3, 12, 0}, {5, 4, 12, 5}, {8, 5, 12, 8}, {60, 5, 12, 8}};
    for (const auto& c : timeline) {
        Debug::At(c.t);
        EXPECT_EQ(c.status, sim->GpsStatus()) << c.t;
        EXPECT_EQ(c.listed, (int)sim->Satellites().size()) << c.t;
        EXPECT_EQ(c.inUse, sim->SatellitesInUse()) << c.t;
    }
    EXPECT_DOUBLE_EQ(1.7, sim->Precision());
    // At a multiple of 30 s the SNRs are their base values; the 8 best are in use.
    Debug::At(30);
    int inUse = 0;
    for (const auto& s : sim->Satellites())
        if (s.inUse) {
            ++inUse;
            EXPECT_GE(s.snr, 38.0 - 1e-9) << s.number;
        }
    EXPECT_EQ(8, inUse);
    // The tunnel hides the sky until 2 s after its exit.
    ASSERT_TRUE(Debug::JumpTo("A.tunnel.in", 10));
    EXPECT_EQ(3, sim->GpsStatus());
    EXPECT_EQ(0, sim->SatellitesInUse());
    Debug::At(route.EventTime("A.tunnel.out") + 1);
    EXPECT_EQ(3, sim->GpsStatus());
    Debug::At(route.EventTime("A.tunnel.out") + 2.5);
    EXPECT_EQ(5, sim->GpsStatus());
    // Connecting the receiver starts its timeline over; off is 0.
    Debug::At(100);
    f.visor->EjecutaComanda(nullptr, 0, "", 201);
    EXPECT_EQ(2, sim->GpsStatus());
    Debug::At(103);
    EXPECT_EQ(3, sim->GpsStatus());
    Debug::Receiver(false);
    EXPECT_EQ(0, sim->GpsStatus());
    EXPECT_TRUE(sim->Satellites().empty());
}

TEST_F(SimulationTest, BatteryClockAndDayNight)
{
    EXPECT_EQ(87, sim->Battery());
    Debug::At(61);
    EXPECT_EQ(86, sim->Battery());
    Debug::At(1e6);
    EXPECT_EQ(1, sim->Battery());
    Debug::AC(true);
    EXPECT_EQ(-1, sim->Battery());
    Debug::Battery(40);
    EXPECT_EQ(-40, sim->Battery());

    Debug::At(0);
    EXPECT_EQ(1714818600, sim->LocalTime());  // Saturday 2024-05-04 10:30:00
    EXPECT_EQ(10, sim->DayNight());
    const std::pair<const char*, int> clock[] = {{"19:31", 30}, {"20:00", 20}, {"06:45", 30}, {"07:00", 10}, {"03:00", 20}};
    for (const auto& c : clock) {
        ASSERT_TRUE(Debug::SetClock(c.first));
        EXPECT_EQ(c.second, sim->DayNight()) << c.first;
    }
    for (const char* bad : {"25:00", "7", "07:60", "ab:cd", "07:00x"})
        EXPECT_FALSE(Debug::SetClock(bad)) << bad;
}

TEST_F(SimulationTest, AdvancePostsOneRealTimeMessagePerSecond)
{
    f.recorder.TakePosted();
    Debug::At(0.5);
    Debug::Advance(3000);
    auto posted = f.recorder.TakePosted();
    ASSERT_EQ(3u, posted.size());
    for (const auto& m : posted)
        EXPECT_EQ(5202u, m.message);
    Debug::Advance(400);
    Debug::Advance(400);  // 3.5 -> 4.3: one second boundary
    EXPECT_EQ(1u, f.recorder.TakePosted().size());
    Debug::Storage(true);
    posted = f.recorder.TakePosted();
    ASSERT_EQ(1u, posted.size());
    EXPECT_EQ(537u, posted[0].message);
    EXPECT_EQ(0x8004u, posted[0].wParam);
    f.RegisterPowerOff(0xC123);
    Debug::PowerButton();
    posted = f.recorder.TakePosted();
    ASSERT_EQ(1u, posted.size());
    EXPECT_EQ(0xC123u, posted[0].message);
    EXPECT_EQ(1u, posted[0].wParam);
}

TEST(PulseSource, PostsThroughThePlatformUntilStopped)
{
    std::atomic<int> pulses{0};
    std::atomic<void*> window{nullptr};
    SetNavPlatform({[&](void* w, unsigned message, uintptr_t, intptr_t) {
        if (message == 5202) {
            window = w;
            ++pulses;
        }
        return true;
    }});
    {
        TLumorGPSEngineInterface f;
        navtest::InMemory(f);
        int w = 0;
        navtest::Start(f, &w);
        ASSERT_TRUE(f.pulse.IsRunning());
        // A faster pulse than the live one, so the test is quick.
        f.pulse.Start([&f] { f.PostNative(TLumorGPSEngineInterface::WM_POSTIEMPOREAL, 0, 0); }, 5);
        for (int i = 0; i < 400 && pulses < 3; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        EXPECT_GE(pulses.load(), 3);
        EXPECT_EQ(&w, window.load());
        f.Close(1);
        EXPECT_FALSE(f.pulse.IsRunning());
        const int after = pulses;
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        EXPECT_EQ(after, pulses.load());
    }
    SetNavPlatform({});
}

} // namespace
