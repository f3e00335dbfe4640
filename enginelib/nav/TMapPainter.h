#pragma once
#include <string>
#include <vector>

#include "enginelib/nav/TCairoFont.h"
#include "enginelib/nav/TMapView.h"

class TDibIG;

// Draws the demo map into a bitmap with cairo (anti-aliased roads with round joins,
// names along the roads, the vehicle arrow), inside the view's rectangle only.
class TMapPainter {
public:
    struct Scene {
        bool night = false;
        bool fast = false;  // names are left out
        const TDemoRoute::Point* route = nullptr;  // the active route's polyline, or null
        int routePoints = 0;
        std::vector<TDemoRoute::Point> track;     // recorded track
        std::vector<TDemoRoute::Point> cameras;
        TDemoRoute::Point home{0, 0};
        bool hasHome = false;
        TDemoRoute::Point destination{0, 0};
        bool hasDestination = false;
        TDemoRoute::Point vehicle{0, 0};
        double vehicleHeading = 0;  // degrees clockwise from north
        bool crosshair = false;
        double crosshairX = 0, crosshairY = 0;  // screen point
    };

    // The font for names ("" or an unreadable file: names are not drawn).
    explicit TMapPainter(const std::string& fontFile);
    TMapPainter(const TMapPainter&) = delete;
    TMapPainter& operator=(const TMapPainter&) = delete;

    // False when the bitmap cannot be drawn into (empty, 8 or 24 bits).
    bool Paint(TDibIG& target, const TMapView& view, const Scene& scene);

private:
    TCairoFont font_;
};
