#pragma once
#include <string>
#include <vector>

#include "enginelib/draw/TDibIG.h"
#include "enginelib/nav/TCairoFont.h"
#include "enginelib/nav/TMapView.h"

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

    // False when the bitmap cannot be drawn into (empty, 8 or 24 bits). The
    // last picture is kept with everything it was drawn from: asked again for
    // the same view and scene in the same kind of bitmap, it is copied instead
    // of drawn.
    bool Paint(TDibIG& target, const TMapView& view, const Scene& scene);
    // How many times the map was really drawn (not copied).
    unsigned long Drawings() const { return drawings_; }

private:
    bool Draw(TDibIG& target, const TMapView& view, const Scene& scene, int left, int top, int right, int bottom);
    bool SameAsKept(const TDibIG& target, const TMapView& view, const Scene& scene, const TRectIG& cut) const;
    void Keep(const TDibIG& target, const TMapView& view, const Scene& scene, const TRectIG& cut);

    struct Kept {
        bool valid = false;
        int bpp = 0;
        TRectIG cut;  // the rectangle drawn, cut to the bitmap
        TMapView view;
        Scene scene;  // its route pointer is not kept: route holds the points
        std::vector<TDemoRoute::Point> route;
        TDibIG picture;  // the cut rectangle's pixels, in the bitmap's format
    };
    TCairoFont font_;
    Kept kept_;
    unsigned long drawings_ = 0;
};
