#include "enginelib/nav/TNavSimulation.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "enginelib/base/Tick.h"

namespace {
const double kPi = 3.14159265358979323846;
// Saturday 2024-05-04 10:30:00, local.
const long long kBaseTime = 1714818600;

struct BaseSatellite {
    int number;
    double elevation, azimuth, snr;
};
const BaseSatellite kSatellites[] = {{2, 65, 40, 46},  {5, 48, 110, 44},  {7, 30, 200, 41},  {9, 72, 300, 47},
                                     {12, 15, 20, 28}, {15, 55, 250, 43}, {17, 22, 150, 33}, {19, 40, 330, 39},
                                     {21, 8, 85, 20},  {24, 35, 60, 38},  {26, 12, 270, 24}, {29, 80, 180, 48}};
} // namespace

TNavSimulation::TNavSimulation() : tick0_(GetTickCountAdv()) {}

double TNavSimulation::Now() const { return live_ ? TickElapsed(GetTickCountAdv(), tick0_) / 1000.0 : manual_; }

void TNavSimulation::SetTime(double seconds)
{
    live_ = false;
    manual_ = std::isfinite(seconds) && seconds > 0 ? seconds : 0;
}

void TNavSimulation::ConnectReceiver()
{
    receiverOff = false;
    receiverStart_ = Now();
}

int TNavSimulation::GpsStatus() const
{
    if (receiverOff)
        return 0;
    const double dt = Now() - receiverStart_;
    if (dt < 2)
        return 2;
    if (dt < 5)
        return 3;
    if (dt < 8)
        return 4;
    // The tunnel hides the sky, and the fix comes back 2 s after it.
    const TDemoRoute::State car = Car();
    if (car.leg == 0 && !car.stopped && car.s >= 3600) {
        const double exit = TDemoRoute::Get().TimeAt(0, 4100);
        const double u = TDemoRoute::kStart + std::fmod(Now() - TDemoRoute::kStart, TDemoRoute::Get().Period());
        if (u < exit + 2)
            return 3;
    }
    return 5;
}

std::vector<TNavSimulation::Satellite> TNavSimulation::Satellites() const
{
    const int status = GpsStatus();
    std::vector<Satellite> out;
    if (status < 3)
        return out;
    const double t = Now();
    for (const BaseSatellite& b : kSatellites) {
        Satellite s;
        s.number = b.number;
        s.azimuth = std::fmod(b.azimuth + 0.01 * t, 360.0);
        s.elevation = std::max(0.0, std::min(90.0, b.elevation + 3 * std::sin(2 * kPi * t / 600)));
        s.snr = b.snr + 2 * std::sin(2 * kPi * t / 60);
        if (status == 3)
            s.snr /= 2;
        s.inUse = false;
        out.push_back(s);
    }
    const int use = status == 4 ? 5 : status == 5 ? 8 : 0;
    std::vector<size_t> order(out.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return out[a].snr > out[b].snr; });
    for (int i = 0; i < use; ++i)
        out[order[i]].inUse = true;
    return out;
}

int TNavSimulation::SatellitesInUse() const
{
    int n = 0;
    for (const Satellite& s : Satellites())
        n += s.inUse;
    return n;
}

double TNavSimulation::Precision() const
{
    const int status = GpsStatus();
    return status == 4 ? 4.0 : status == 5 ? 1.7 : 0.0;
}

int TNavSimulation::Battery() const
{
    int level = batteryOverride >= 0 ? batteryOverride : std::max(1, 87 - (int)(Now() / 60));
    return externalPower ? -level : level;
}

long long TNavSimulation::LocalTime() const { return kBaseTime + clockOffset_ + (long long)Now(); }

bool TNavSimulation::SetClock(const std::string& hhmm)
{
    int h, m;
    char end;
    if (std::sscanf(hhmm.c_str(), "%d:%d%c", &h, &m, &end) != 2 || h < 0 || h > 23 || m < 0 || m > 59)
        return false;
    const long long now = LocalTime();
    const long long dayStart = now - (now % 86400);
    clockOffset_ += dayStart + h * 3600 + m * 60 - now;
    return true;
}

int TNavSimulation::DayNight() const
{
    const long long minutes = (LocalTime() % 86400) / 60;
    if (minutes >= 7 * 60 && minutes < 19 * 60 + 30)
        return 10;
    if ((minutes >= 6 * 60 + 30 && minutes < 7 * 60) || (minutes >= 19 * 60 + 30 && minutes < 20 * 60))
        return 30;
    return 20;
}
