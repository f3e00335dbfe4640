#pragma once
#include <vector>

#include "enginelib/nav/TDemoRoute.h"

// The demo region's roads, in local metres (x east, y north; the origin is in
// front of Main Street 10, Springfield).
class TDemoMap {
public:
    enum RoadClass { Motorway, Link, Urban, Rural };
    struct Road {
        const char* name;  // "" for unnamed links
        const char* city;
        RoadClass kind;
        int limit;  // km/h
        std::vector<TDemoRoute::Point> points;
    };
    struct Place {
        const char* name;
        TDemoRoute::Point at;
    };

    static const TDemoMap& Get();
    const std::vector<Road>& Roads() const { return roads_; }
    // Waypoints along the drive.
    const std::vector<Place>& Waypoints() const { return waypoints_; }
    // Drawn widths in pixels at the nearest zooms.
    static int Width(RoadClass kind);

private:
    TDemoMap();
    std::vector<Road> roads_;
    std::vector<Place> waypoints_;
};
