#pragma once
#include "enginelib/draw/Geometry.h"
#include "enginelib/nav/TDemoRoute.h"

// Where the map is on the screen: the map point under the anchor, metres per
// pixel, the rotation (heading up) and the 3D squash. Map y grows north, screen y
// grows down.
struct TMapView {
    TRectIG rect;                    // the screen rectangle drawn into
    double anchorX = 0, anchorY = 0; // screen point of the centre map point
    TDemoRoute::Point centre{0, 0};  // map point under the anchor
    double metresPerPixel = 3;
    double rotation = 0;  // degrees: the map turns by minus this (the heading when heading up)
    double squash = 1;    // 1 flat, below 1 for the 3D views
    double horizon = 0;   // screen rows above this are sky (3D)

    void ToScreen(double mx, double my, double& sx, double& sy) const;
    void ToMap(double sx, double sy, double& mx, double& my) const;
};
