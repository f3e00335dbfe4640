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
        int numberLow = -1, numberHigh = -1;  // house numbers along it; -1 for none
        const char* district = "";
    };
    struct City {
        const char* name;
        const char* region;
        const char* postcode;
        TDemoRoute::Point centre;
    };
    struct Place {
        const char* name;
        TDemoRoute::Point at;
    };

    static const TDemoMap& Get();
    const std::vector<Road>& Roads() const { return roads_; }
    // Waypoints along the drive.
    const std::vector<Place>& Waypoints() const { return waypoints_; }
    const std::vector<City>& Cities() const { return cities_; }
    const City* FindCity(const char* name) const;
    // Drawn widths in pixels at the nearest zooms.
    static int Width(RoadClass kind);

private:
    TDemoMap();
    std::vector<Road> roads_;
    std::vector<Place> waypoints_;
    std::vector<City> cities_;
};
