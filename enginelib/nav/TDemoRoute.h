#pragma once
#include <string>
#include <vector>

// The demo drive: two legs driven in a loop (Main Street 10, Springfield ->
// Harbour Road 61, Springvale and back), each a polyline cut into stretches with a
// speed limit, a cruise and an exit speed. The car waits 10 s for its fix, then
// accelerates and brakes at 1.5 m/s^2; each arrival is followed by a 20-s stop.
// Everything is a pure function of the simulated time in seconds.
class TDemoRoute {
public:
    struct Point {
        double x, y;  // local metres, x east, y north
    };
    struct Stretch {
        const char* name;
        double start, end;  // metres from the leg start
        double limit, cruise, exit;  // km/h
        const char* street;
    };
    enum ManoeuvreKind { TurnRight, TurnLeft, SlightRight, MergeLeft, ExitRight, Roundabout1, Roundabout2,
                         Roundabout3, Roundabout4, Arrive, ManoeuvreKinds };
    struct Manoeuvre {
        const char* id;
        double s;           // metres from the leg start
        const char* text;   // ':' + instruction, or the signpost text
        const char* lanes;  // "" for none
        const char* instruction;  // ':' + instruction (the same as text without a signpost)
        ManoeuvreKind kind;
    };
    struct Leg {
        const char* name;  // "A" or "B"
        std::vector<Point> points;
        std::vector<double> segmentLengths;  // nominal metres per polyline segment
        std::vector<Stretch> stretches;
        std::vector<Manoeuvre> manoeuvres;
        std::vector<std::pair<double, double>> altitudes;  // (s, metres)
        double length = 0;
        double startTime = 0, endTime = 0;  // within the first loop
        // Per stretch: the time its start is reached.
        std::vector<double> stretchTimes;
        // Per inner polyline vertex: the time the car passes it.
        std::vector<double> vertexTimes;
    };
    struct Camera {
        const char* id;
        int leg;
        double s;
        int limit;
    };

    // Where the car is at a time.
    struct State {
        int leg = 0;        // 0 A, 1 B
        double s = 0;       // metres from the leg start
        Point position{0, 0};
        double heading = 0;  // degrees clockwise from north
        double speed = 0;    // km/h
        double altitude = 0;
        int stretch = 0;     // index in the leg
        bool stopped = true;    // waiting for the fix or at a leg end
        bool calculating = false;  // the last 2 s of a stop
        int nextManoeuvre = -1;  // index in the leg, -1 after the last
    };

    static const TDemoRoute& Get();
    // Local metres to degrees: the origin is at N 0.5 E 0.5.
    static void ToLatLon(const Point& p, double& lat, double& lon);
    static Point FromLatLon(double lat, double lon);

    static constexpr double kStart = 10.0;       // the fix and the first move
    static constexpr double kStop = 20.0;        // each arrival's stop
    static constexpr double kCalculating = 2.0;  // the end of each stop
    static constexpr double kAcceleration = 1.5; // m/s^2

    const Leg& leg(int i) const { return legs_[i]; }
    const std::vector<Camera>& cameras() const { return cameras_; }
    double Period() const { return period_; }

    State At(double t) const;
    // The time the car passes s on leg (first loop); the leg end for s beyond it.
    double TimeAt(int leg, double s) const;
    // The time of a named event ("A.M5", "C1", "A.tunnel.in", "A.tunnel.out",
    // "B.summit", "stop.A", "stop.B") plus metres along the leg; -1 for an unknown name.
    double EventTime(const std::string& name, double metres = 0) const;
    // Metres driven from the start to time t (loops included).
    double Odometer(double t) const;
    // Position and heading of a leg at s.
    Point PositionAt(int leg, double s) const;
    double HeadingAt(int leg, double s) const;
    double AltitudeAt(int leg, double s) const;

private:
    TDemoRoute();
    // Distance covered within stretch k of leg after dt seconds, and the speed then.
    void InStretch(const Leg& leg, int k, double dt, double& distance, double& speed) const;
    double StretchDuration(const Leg& leg, int k) const;
    double EntrySpeed(const Leg& leg, int k) const;

    std::vector<Leg> legs_;
    std::vector<Camera> cameras_;
    double period_ = 0;
};
