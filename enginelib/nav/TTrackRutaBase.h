#pragma once
#include <vector>

#include "enginelib/nav/TDemoRoute.h"
#include "enginelib/nav/TElementoGPS.h"

// A point of a track or a route: where it is, how far along, how high, and when.
struct TPuntoTrack {
    TDemoRoute::Point at;
    double distance;  // metres from the first point
    double altitude;  // metres
    long long time;   // local seconds since 1970; 0 for a planned route
};

// What tracks and routes share: their points in order.
class TTrackRutaBase : public TElementoGPS {
public:
    using TElementoGPS::TElementoGPS;
    double Length() const { return puntos.empty() ? 0 : puntos.back().distance; }
    std::vector<TPuntoTrack> puntos;
};

// A planned route.
class TRuta : public TTrackRutaBase {
public:
    using TTrackRutaBase::TTrackRutaBase;
    // The route of a leg of the demo drive, a point every spacing metres.
    static TRuta* DeLaEtapa(int leg, double spacing = 50);
};

// A driven track: one point every 10 m while recording.
class TTrack : public TTrackRutaBase {
public:
    using TTrackRutaBase::TTrackRutaBase;
    static constexpr double kSpacing = 10;
    // Adds a point when at least kSpacing metres were driven since the last one.
    bool Anyade(const TDemoRoute::Point& at, double odometer, double altitude, long long time);

private:
    double lastOdometer_ = -1;
};
