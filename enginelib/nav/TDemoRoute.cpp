#include "enginelib/nav/TDemoRoute.h"

#include <algorithm>
#include <cmath>

namespace {
const double kPi = 3.14159265358979323846;
const double kTurn = 3.0;  // seconds over which the course turns at a vertex

double Ms(double kmh) { return kmh / 3.6; }

double Bearing(const TDemoRoute::Point& a, const TDemoRoute::Point& b)
{
    double d = std::atan2(b.x - a.x, b.y - a.y) * 180.0 / kPi;
    return d < 0 ? d + 360.0 : d;
}

// Time to change speed from v0 to v1 (m/s), and the distance it takes.
void Ramp(double v0, double v1, double& time, double& distance)
{
    time = std::fabs(v1 - v0) / TDemoRoute::kAcceleration;
    distance = std::fabs(v1 * v1 - v0 * v0) / (2 * TDemoRoute::kAcceleration);
}
} // namespace

void TDemoRoute::ToLatLon(const Point& p, double& lat, double& lon)
{
    lat = 0.5 + p.y / 111320.0;
    lon = 0.5 + p.x / (111320.0 * std::cos(0.5 * kPi / 180));
}

TDemoRoute::Point TDemoRoute::FromLatLon(double lat, double lon)
{
    return {(lon - 0.5) * 111320.0 * std::cos(0.5 * kPi / 180), (lat - 0.5) * 111320.0};
}

const TDemoRoute& TDemoRoute::Get()
{
    static const TDemoRoute route;
    return route;
}

TDemoRoute::TDemoRoute()
{
    Leg a;
    a.name = "A";
    a.points = {{0, 0}, {0, 600}, {400, 600}, {1300, 600}, {1512, 388}, {4212, 388}, {4424, 600}, {5024, 600}};
    a.segmentLengths = {600, 400, 900, 300, 2700, 300, 600};
    a.stretches = {
        {"A1", 0, 600, 50, 45, 20, "Main Street"},      {"A2", 600, 1000, 30, 30, 25, "Mill Lane"},
        {"A3", 1000, 1300, 50, 50, 50, "Oak Road"},     {"A4", 1300, 1600, 50, 58, 50, "Oak Road"},
        {"A5", 1600, 1900, 50, 48, 40, "Oak Road"},     {"A6", 1900, 2200, 80, 70, 80, ""},
        {"A7", 2200, 3000, 100, 100, 80, "M7"},         {"A8", 3000, 3600, 80, 80, 100, "M7"},
        {"A9", 3600, 4100, 100, 100, 100, "M7"},        {"A10", 4100, 4900, 100, 100, 60, "M7"},
        {"A11", 4900, 5200, 60, 60, 25, ""},            {"A12", 5200, 5800, 50, 40, 0, "Harbour Road"},
    };
    a.manoeuvres = {
        {"M1", 600, ":Turn right onto Mill Lane", "", ":Turn right onto Mill Lane", TurnRight},
        {"M2", 1000, ":At the roundabout take the 2nd exit onto Oak Road", "",
         ":At the roundabout take the 2nd exit onto Oak Road", Roundabout2},
        {"M3", 1900, "[M7] Springvale\nCobble Hill", "#g1a1aB", ":Keep right onto the slip road to M7", SlightRight},
        {"M4", 2200, ":Merge onto M7", "", ":Merge onto M7", MergeLeft},
        {"M5", 4900, "<14> Springvale\n[B12] Harbour", "#a1a1a2B", ":Take exit 14 towards Springvale", ExitRight},
        {"M6", 5200, ":Turn right onto Harbour Road", "#g1a1a1a1C1C", ":Turn right onto Harbour Road", TurnRight},
        {"M7", 5800, ":Arrive at Harbour Road 61", "", ":Arrive at Harbour Road 61", Arrive},
    };
    a.altitudes = {{0, 20},    {600, 22},  {1000, 25}, {1900, 30}, {2200, 35},
                   {3600, 60}, {4100, 60}, {4900, 25}, {5200, 12}, {5800, 10}};
    Leg b;
    b.name = "B";
    b.points = {{5024, 600}, {5324, 600}, {5324, 1100}, {2700, 1600}, {0, 1400}, {0, 0}};
    b.segmentLengths = {300, 500, 2671, 2707, 1400};
    b.stretches = {
        {"B1", 0, 300, 50, 40, 20, "Harbour Road"},    {"B2", 300, 800, 50, 45, 50, "Hill Road"},
        {"B3", 800, 5678, 80, 75, 50, "Hill Road"},    {"B4", 5678, 6178, 50, 50, 20, "Hill Road"},
        {"B5", 6178, 7578, 50, 45, 0, "Main Street"},
    };
    b.manoeuvres = {
        {"N1", 300, ":Turn left onto Hill Road", "", ":Turn left onto Hill Road", TurnLeft},
        {"N2", 6178, ":Turn left onto Main Street", "", ":Turn left onto Main Street", TurnLeft},
        {"N3", 7578, ":Arrive at Main Street 10", "", ":Arrive at Main Street 10", Arrive},
    };
    b.altitudes = {{0, 10}, {300, 10}, {800, 30}, {3471, 140}, {6178, 25}, {7578, 20}};
    legs_ = {a, b};
    cameras_ = {{"C1", 0, 1600, 50}, {"C2", 0, 3400, 80}, {"C3", 1, 4500, 80}};

    double t = kStart;
    for (Leg& leg : legs_) {
        leg.length = leg.stretches.back().end;
        leg.startTime = t;
        leg.stretchTimes.clear();
        for (size_t k = 0; k < leg.stretches.size(); ++k) {
            leg.stretchTimes.push_back(t);
            t += StretchDuration(leg, (int)k);
        }
        leg.endTime = t;
        t += kStop;
    }
    period_ = t - kStart;
    for (int li = 0; li < 2; ++li) {
        double vertexS = 0;
        for (size_t i = 0; i + 1 < legs_[li].segmentLengths.size(); ++i) {
            vertexS += legs_[li].segmentLengths[i];
            legs_[li].vertexTimes.push_back(TimeAt(li, vertexS));
        }
    }
}

double TDemoRoute::EntrySpeed(const Leg& leg, int k) const { return k == 0 ? 0.0 : Ms(leg.stretches[k - 1].exit); }

double TDemoRoute::StretchDuration(const Leg& leg, int k) const
{
    const Stretch& st = leg.stretches[k];
    const double v0 = EntrySpeed(leg, k), vc = Ms(st.cruise), ve = Ms(st.exit);
    double t1, d1, t3, d3;
    Ramp(v0, vc, t1, d1);
    Ramp(vc, ve, t3, d3);
    return t1 + (st.end - st.start - d1 - d3) / vc + t3;
}

void TDemoRoute::InStretch(const Leg& leg, int k, double dt, double& distance, double& speed) const
{
    const Stretch& st = leg.stretches[k];
    const double v0 = EntrySpeed(leg, k), vc = Ms(st.cruise), ve = Ms(st.exit);
    double t1, d1, t3, d3;
    Ramp(v0, vc, t1, d1);
    Ramp(vc, ve, t3, d3);
    const double t2 = (st.end - st.start - d1 - d3) / vc;
    if (dt <= t1) {
        const double a = vc >= v0 ? kAcceleration : -kAcceleration;
        speed = v0 + a * dt;
        distance = v0 * dt + a * dt * dt / 2;
    } else if (dt <= t1 + t2) {
        speed = vc;
        distance = d1 + vc * (dt - t1);
    } else {
        const double u = std::min(dt - t1 - t2, t3);
        const double a = ve >= vc ? kAcceleration : -kAcceleration;
        speed = vc + a * u;
        distance = d1 + vc * t2 + vc * u + a * u * u / 2;
    }
}

TDemoRoute::Point TDemoRoute::PositionAt(int li, double s) const
{
    const Leg& leg = legs_[li];
    s = std::max(0.0, std::min(s, leg.length));
    double start = 0;
    for (size_t i = 0; i < leg.segmentLengths.size(); ++i) {
        const double len = leg.segmentLengths[i];
        if (s <= start + len || i + 1 == leg.segmentLengths.size()) {
            const double f = len > 0 ? (s - start) / len : 0;
            const Point& p = leg.points[i];
            const Point& q = leg.points[i + 1];
            return {p.x + (q.x - p.x) * f, p.y + (q.y - p.y) * f};
        }
        start += len;
    }
    return leg.points.back();
}

double TDemoRoute::HeadingAt(int li, double s) const
{
    const Leg& leg = legs_[li];
    double start = 0;
    for (size_t i = 0; i < leg.segmentLengths.size(); ++i) {
        if (s < start + leg.segmentLengths[i] || i + 1 == leg.segmentLengths.size())
            return Bearing(leg.points[i], leg.points[i + 1]);
        start += leg.segmentLengths[i];
    }
    return 0;
}

double TDemoRoute::AltitudeAt(int li, double s) const
{
    const auto& alt = legs_[li].altitudes;
    if (s <= alt.front().first)
        return alt.front().second;
    for (size_t i = 1; i < alt.size(); ++i)
        if (s <= alt[i].first) {
            const double f = (s - alt[i - 1].first) / (alt[i].first - alt[i - 1].first);
            return alt[i - 1].second + (alt[i].second - alt[i - 1].second) * f;
        }
    return alt.back().second;
}

TDemoRoute::State TDemoRoute::At(double t) const
{
    State st;
    if (t < kStart || !std::isfinite(t)) {
        st.position = legs_[0].points[0];
        st.heading = HeadingAt(0, 0);
        st.altitude = AltitudeAt(0, 0);
        st.nextManoeuvre = 0;
        return st;
    }
    const double u = kStart + std::fmod(t - kStart, period_);
    for (int li = 0; li < 2; ++li) {
        const Leg& leg = legs_[li];
        const double stopEnd = leg.endTime + kStop;
        if (u >= stopEnd)
            continue;
        st.leg = li;
        if (u >= leg.endTime) {
            // Waiting at the leg's end; its last 2 s are the next route's calculation.
            st.s = leg.length;
            st.stretch = (int)leg.stretches.size() - 1;
            st.calculating = u >= stopEnd - kCalculating;
        } else {
            int k = (int)leg.stretches.size() - 1;
            while (k > 0 && leg.stretchTimes[k] > u)
                --k;
            double d, v;
            InStretch(leg, k, u - leg.stretchTimes[k], d, v);
            st.stretch = k;
            st.s = std::min(leg.length, leg.stretches[k].start + d);
            st.speed = v * 3.6;
            st.stopped = false;
        }
        st.position = PositionAt(li, st.s);
        st.altitude = AltitudeAt(li, st.s);
        st.heading = HeadingAt(li, st.s);
        // The course turns linearly over the seconds around each vertex.
        for (size_t i = 0; i < leg.vertexTimes.size(); ++i) {
            const double tv = leg.vertexTimes[i];
            if (std::fabs(u - tv) < kTurn / 2 && !st.stopped) {
                const double in = Bearing(leg.points[i], leg.points[i + 1]);
                const double out = Bearing(leg.points[i + 1], leg.points[i + 2]);
                double turn = std::fmod(out - in + 540.0, 360.0) - 180.0;
                const double f = (u - (tv - kTurn / 2)) / kTurn;
                st.heading = std::fmod(in + turn * f + 360.0, 360.0);
            }
        }
        st.nextManoeuvre = -1;
        for (size_t m = 0; m < leg.manoeuvres.size(); ++m)
            if (leg.manoeuvres[m].s > st.s) {
                st.nextManoeuvre = (int)m;
                break;
            }
        return st;
    }
    return st;
}

double TDemoRoute::TimeAt(int li, double s) const
{
    const Leg& leg = legs_[li];
    if (s <= 0)
        return leg.startTime;
    if (s >= leg.length)
        return leg.endTime;
    int k = 0;
    while (k + 1 < (int)leg.stretches.size() && leg.stretches[k].end < s)
        ++k;
    // Bisection on the monotonic distance within the stretch.
    double lo = 0, hi = StretchDuration(leg, k);
    const double target = s - leg.stretches[k].start;
    for (int i = 0; i < 60; ++i) {
        const double mid = (lo + hi) / 2;
        double d, v;
        InStretch(leg, k, mid, d, v);
        (d < target ? lo : hi) = mid;
    }
    return leg.stretchTimes[k] + (lo + hi) / 2;
}

double TDemoRoute::EventTime(const std::string& name, double metres) const
{
    auto at = [&](int li, double s) { return TimeAt(li, s + metres); };
    if (name == "stop.A")
        return legs_[0].endTime;
    if (name == "stop.B")
        return legs_[1].endTime;
    if (name == "A.tunnel.in")
        return at(0, 3600);
    if (name == "A.tunnel.out")
        return at(0, 4100);
    if (name == "B.summit")
        return at(1, 3471);
    for (const Camera& c : cameras_)
        if (name == c.id)
            return at(c.leg, c.s);
    for (int li = 0; li < 2; ++li)
        for (const Manoeuvre& m : legs_[li].manoeuvres)
            if (name == std::string(legs_[li].name) + "." + m.id || name == m.id)
                return at(li, m.s);
    return -1;
}

double TDemoRoute::Odometer(double t) const
{
    if (t < kStart || !std::isfinite(t))
        return 0;
    const double loops = std::floor((t - kStart) / period_);
    const State st = At(t);
    return loops * (legs_[0].length + legs_[1].length) + (st.leg == 1 ? legs_[0].length : 0) + st.s;
}
