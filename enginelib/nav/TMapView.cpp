#include "enginelib/nav/TMapView.h"

#include <cmath>

namespace {
const double kPi = 3.14159265358979323846;
}

void TMapView::ToScreen(double mx, double my, double& sx, double& sy) const
{
    const double dx = (mx - centre.x) / metresPerPixel, dy = -(my - centre.y) / metresPerPixel;
    const double a = rotation * kPi / 180, c = std::cos(a), s = std::sin(a);
    // Turning the map by minus the rotation puts the heading at the top.
    const double rx = dx * c + dy * s, ry = -dx * s + dy * c;
    sx = anchorX + rx;
    sy = anchorY + ry * squash;
}

void TMapView::ToMap(double sx, double sy, double& mx, double& my) const
{
    const double rx = sx - anchorX, ry = squash > 0 ? (sy - anchorY) / squash : 0;
    const double a = rotation * kPi / 180, c = std::cos(a), s = std::sin(a);
    const double dx = rx * c - ry * s, dy = rx * s + ry * c;
    mx = centre.x + dx * metresPerPixel;
    my = centre.y - dy * metresPerPixel;
}
