#include "enginelib/nav/TTrackRutaBase.h"

bool TTrack::Anyade(const TDemoRoute::Point& at, double odometer, double altitude, long long time)
{
    if (lastOdometer_ >= 0 && odometer - lastOdometer_ < kSpacing)
        return false;
    const double distance = puntos.empty() ? 0 : puntos.back().distance + (odometer - lastOdometer_);
    puntos.push_back({at, distance, altitude, time});
    lastOdometer_ = odometer;
    return true;
}

TRuta* TRuta::DeLaEtapa(int leg, double spacing)
{
    const TDemoRoute& route = TDemoRoute::Get();
    const TDemoRoute::Leg& l = route.leg(leg);
    auto* r = new TRuta(leg == 0 ? "Main Street 10 - Harbour Road 61" : "Harbour Road 61 - Main Street 10");
    for (double s = 0;; s += spacing) {
        const double at = s < l.length ? s : l.length;
        r->puntos.push_back({route.PositionAt(leg, at), at, route.AltitudeAt(leg, at), 0});
        if (at >= l.length)
            break;
    }
    return r;
}
