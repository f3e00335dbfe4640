#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "enginelib/nav/TDemoRoute.h"

// The simulated world the library reports: the car on the demo drive, the GPS
// receiver and its satellites, the battery, the clock and day or night. Every
// value is a function of the simulated time, which follows the program's tick
// (live) or is set by tests (manual); same time, same values.
class TNavSimulation {
public:
    struct Satellite {
        int number;
        double elevation, azimuth, snr;
        bool inUse;
    };
    enum Navigation { Demo, FreeDriving };

    TNavSimulation();

    // ---- time ----
    double Now() const;  // simulated seconds since the start
    // Stops following the tick: time moves only by SetTime and Advance.
    void SetTime(double seconds);
    void Advance(double seconds) { SetTime(Now() + seconds); }
    bool IsLive() const { return live_; }

    // ---- the car ----
    TDemoRoute::State Car() const { return TDemoRoute::Get().At(Now()); }
    Navigation navigation = Demo;

    // ---- receiver ----
    // 0 off, 2 searching, 3 satellites seen, 4 2D fix, 5 3D fix.
    int GpsStatus() const;
    std::vector<Satellite> Satellites() const;
    int SatellitesInUse() const;
    double Precision() const;  // 0 without a fix
    // The receiver is connected again: its timeline starts over from now.
    void ConnectReceiver();
    bool receiverOff = false;

    // ---- battery, clock ----
    int Battery() const;  // percent, negative on external power
    bool externalPower = false;
    int batteryOverride = -1;
    // Local time in seconds since 1970 (2024-05-04 10:30:00 at the start).
    long long LocalTime() const;
    // Sets the time of day shown from now on ("19:31"); false for a malformed text.
    bool SetClock(const std::string& hhmm);
    // 10 day, 30 twilight, 20 night.
    int DayNight() const;

private:
    bool live_ = true;
    uint32_t tick0_;
    double manual_ = 0;
    double receiverStart_ = 0;
    long long clockOffset_ = 0;
};
