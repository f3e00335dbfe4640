#include "enginelib/nav/TMapPainter.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "enginelib/draw/TDibIG.h"
#include "enginelib/nav/CairoSurface.h"
#include "enginelib/nav/TDemoMap.h"

namespace {
const double kPi = 3.14159265358979323846;

struct Palette {
    double background[3], sky[3], casing[3], motorway[3], road[3], rural[3], route[3], track[3], text[3],
        halo[3], vehicle[3];
};
const Palette kDay = {{0.94, 0.92, 0.87}, {0.72, 0.84, 0.95}, {0.55, 0.55, 0.55}, {0.96, 0.64, 0.25},
                      {1, 1, 1},          {0.99, 0.93, 0.6},  {0.2, 0.45, 0.9},   {0.75, 0.2, 0.6},
                      {0.15, 0.15, 0.15}, {1, 1, 1},          {0.85, 0.1, 0.1}};
const Palette kNight = {{0.12, 0.14, 0.18}, {0.05, 0.06, 0.12}, {0.05, 0.05, 0.05}, {0.7, 0.45, 0.15},
                        {0.35, 0.37, 0.42}, {0.45, 0.42, 0.28}, {0.3, 0.6, 1.0},    {0.85, 0.4, 0.75},
                        {0.9, 0.9, 0.9},    {0.1, 0.1, 0.12},   {1.0, 0.3, 0.3}};

struct Box {
    double x1, y1, x2, y2;
    bool Overlaps(const Box& o) const { return x1 < o.x2 && o.x1 < x2 && y1 < o.y2 && o.y1 < y2; }
};

void Rgb(cairo_t* cr, const double* c) { cairo_set_source_rgb(cr, c[0], c[1], c[2]); }

void Polyline(cairo_t* cr, const TMapView& view, const std::vector<TDemoRoute::Point>& points)
{
    for (size_t i = 0; i < points.size(); ++i) {
        double x, y;
        view.ToScreen(points[i].x, points[i].y, x, y);
        if (i == 0)
            cairo_move_to(cr, x, y);
        else
            cairo_line_to(cr, x, y);
    }
}

// Pixels shrink with distance; roads thin out when zoomed far out.
double WidthAt(const TMapView& view, TDemoMap::RoadClass kind)
{
    const double w = TDemoMap::Width(kind);
    return view.metresPerPixel <= 5 ? w : std::max(1.5, w * std::sqrt(5 / view.metresPerPixel));
}
} // namespace

TMapPainter::TMapPainter(const std::string& fontFile) : font_(fontFile) {}

namespace {
bool SamePoint(const TDemoRoute::Point& a, const TDemoRoute::Point& b) { return a.x == b.x && a.y == b.y; }

bool SamePoints(const TDemoRoute::Point* a, size_t na, const TDemoRoute::Point* b, size_t nb)
{
    if (na != nb)
        return false;
    for (size_t i = 0; i < na; ++i)
        if (!SamePoint(a[i], b[i]))
            return false;
    return true;
}

bool SameView(const TMapView& a, const TMapView& b)
{
    return a.rect == b.rect && a.anchorX == b.anchorX && a.anchorY == b.anchorY && SamePoint(a.centre, b.centre) &&
           a.metresPerPixel == b.metresPerPixel && a.rotation == b.rotation && a.squash == b.squash &&
           a.horizon == b.horizon;
}
} // namespace

bool TMapPainter::SameAsKept(const TDibIG& target, const TMapView& view, const Scene& scene, const TRectIG& cut) const
{
    const Scene& k = kept_.scene;
    const size_t routePoints = scene.route && scene.routePoints > 0 ? (size_t)scene.routePoints : 0;
    return kept_.valid && kept_.bpp == target.Bpp() && kept_.cut == cut && SameView(kept_.view, view) &&
           k.night == scene.night && k.fast == scene.fast &&
           SamePoints(kept_.route.data(), kept_.route.size(), scene.route, routePoints) &&
           SamePoints(k.track.data(), k.track.size(), scene.track.data(), scene.track.size()) &&
           SamePoints(k.cameras.data(), k.cameras.size(), scene.cameras.data(), scene.cameras.size()) &&
           k.hasHome == scene.hasHome && SamePoint(k.home, scene.home) && k.hasDestination == scene.hasDestination &&
           SamePoint(k.destination, scene.destination) && SamePoint(k.vehicle, scene.vehicle) &&
           k.vehicleHeading == scene.vehicleHeading && k.crosshair == scene.crosshair &&
           k.crosshairX == scene.crosshairX && k.crosshairY == scene.crosshairY;
}

void TMapPainter::Keep(const TDibIG& target, const TMapView& view, const Scene& scene, const TRectIG& cut)
{
    kept_.valid = false;
    const int bytes = target.BytesPerPixel();
    if (!kept_.picture.IsEmpty() && (kept_.picture.Width() != cut.Width() || kept_.picture.AbsHeight() != cut.Height() ||
                                     kept_.picture.Bpp() != target.Bpp()))
        kept_.picture.Libera();
    if (kept_.picture.IsEmpty() && !kept_.picture.Crea(cut.Width(), cut.Height(), target.Bpp()))
        return;
    for (int y = 0; y < cut.Height(); ++y)
        std::memcpy(kept_.picture.Row(y), target.Row(cut.top + y) + (size_t)cut.left * bytes, (size_t)cut.Width() * bytes);
    kept_.bpp = target.Bpp();
    kept_.cut = cut;
    kept_.view = view;
    kept_.scene = scene;
    kept_.scene.route = nullptr;
    kept_.scene.routePoints = 0;
    kept_.route.assign(scene.route, scene.route + (scene.route && scene.routePoints > 0 ? scene.routePoints : 0));
    kept_.valid = true;
}

bool TMapPainter::Paint(TDibIG& target, const TMapView& view, const Scene& scene)
{
    if (target.IsEmpty() || target.IsBottomUp() || (target.Bpp() != 32 && target.Bpp() != 16))
        return false;
    // The rectangle, cut to the bitmap.
    const int left = std::max(0, view.rect.left), top = std::max(0, view.rect.top);
    const int right = std::min(target.Width(), view.rect.right), bottom = std::min(target.AbsHeight(), view.rect.bottom);
    if (right <= left || bottom <= top) {
        cairo_surface_t* surface = CreateCairoSurface(target);
        if (!surface)
            return false;
        cairo_surface_destroy(surface);
        return true;
    }
    const TRectIG cut(left, top, right, bottom);
    if (SameAsKept(target, view, scene, cut)) {
        const int bytes = target.BytesPerPixel();
        for (int y = 0; y < cut.Height(); ++y)
            std::memcpy(target.Row(top + y) + (size_t)left * bytes, kept_.picture.Row(y), (size_t)cut.Width() * bytes);
        target.Touch();
        return true;
    }
    if (!Draw(target, view, scene, left, top, right, bottom))
        return false;
    Keep(target, view, scene, cut);
    return true;
}

bool TMapPainter::Draw(TDibIG& target, const TMapView& view, const Scene& scene, int left, int top, int right,
                       int bottom)
{
    cairo_surface_t* surface = CreateCairoSurface(target);
    if (!surface)
        return false;
    ++drawings_;
    cairo_t* cr = cairo_create(surface);
    cairo_rectangle(cr, left, top, right - left, bottom - top);
    cairo_clip(cr);
    const Palette& p = scene.night ? kNight : kDay;

    Rgb(cr, p.background);
    cairo_paint(cr);
    if (view.horizon > view.rect.top) {
        Rgb(cr, p.sky);
        cairo_rectangle(cr, left, top, right - left, view.horizon - top);
        cairo_fill(cr);
        cairo_rectangle(cr, left, view.horizon, right - left, bottom - view.horizon);
        cairo_clip(cr);
    }

    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    const TDemoMap& map = TDemoMap::Get();
    // Casings first, then fills, so crossings join cleanly.
    for (int pass = 0; pass < 2; ++pass)
        for (const TDemoMap::Road& road : map.Roads()) {
            const double w = WidthAt(view, road.kind);
            Polyline(cr, view, road.points);
            if (pass == 0) {
                Rgb(cr, p.casing);
                cairo_set_line_width(cr, w + 2);
            } else {
                Rgb(cr, road.kind == TDemoMap::Motorway ? p.motorway : road.kind == TDemoMap::Rural ? p.rural : p.road);
                cairo_set_line_width(cr, w);
            }
            cairo_stroke(cr);
        }
    if (scene.route && scene.routePoints > 1) {
        Polyline(cr, view, std::vector<TDemoRoute::Point>(scene.route, scene.route + scene.routePoints));
        Rgb(cr, p.route);
        cairo_set_line_width(cr, 3);
        cairo_stroke(cr);
    }
    if (scene.track.size() > 1) {
        Polyline(cr, view, scene.track);
        Rgb(cr, p.track);
        cairo_set_line_width(cr, 2);
        cairo_stroke(cr);
    }
    // Cameras: a red ring with a white middle; waypoints: small blue diamonds.
    for (const TDemoRoute::Point& c : scene.cameras) {
        double x, y;
        view.ToScreen(c.x, c.y, x, y);
        cairo_arc(cr, x, y, 7, 0, 2 * kPi);
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_fill_preserve(cr);
        cairo_set_source_rgb(cr, 0.85, 0.1, 0.1);
        cairo_set_line_width(cr, 2.5);
        cairo_stroke(cr);
    }
    for (const TDemoMap::Place& w : map.Waypoints()) {
        double x, y;
        view.ToScreen(w.at.x, w.at.y, x, y);
        cairo_move_to(cr, x, y - 6);
        cairo_line_to(cr, x + 5, y);
        cairo_line_to(cr, x, y + 6);
        cairo_line_to(cr, x - 5, y);
        cairo_close_path(cr);
        cairo_set_source_rgb(cr, 0.1, 0.35, 0.8);
        cairo_fill(cr);
    }
    if (scene.hasHome) {
        // Home: a small red house.
        double x, y;
        view.ToScreen(scene.home.x, scene.home.y, x, y);
        cairo_move_to(cr, x - 8, y);
        cairo_line_to(cr, x, y - 8);
        cairo_line_to(cr, x + 8, y);
        cairo_line_to(cr, x + 6, y);
        cairo_line_to(cr, x + 6, y + 7);
        cairo_line_to(cr, x - 6, y + 7);
        cairo_line_to(cr, x - 6, y);
        cairo_close_path(cr);
        cairo_set_source_rgb(cr, 0.75, 0.2, 0.15);
        cairo_fill_preserve(cr);
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_set_line_width(cr, 1.5);
        cairo_stroke(cr);
    }
    if (scene.hasDestination) {
        double x, y;
        view.ToScreen(scene.destination.x, scene.destination.y, x, y);
        cairo_set_source_rgb(cr, 0.1, 0.1, 0.1);
        cairo_set_line_width(cr, 2);
        cairo_move_to(cr, x, y);
        cairo_line_to(cr, x, y - 22);
        cairo_stroke(cr);
        cairo_move_to(cr, x, y - 22);
        cairo_line_to(cr, x + 14, y - 17);
        cairo_line_to(cr, x, y - 12);
        cairo_close_path(cr);
        cairo_set_source_rgb(cr, 0.1, 0.7, 0.2);
        cairo_fill(cr);
    }
    // Names along the longest visible piece of each road, upright.
    if (!scene.fast && font_.Face()) {
        std::vector<Box> placed;
        double vx, vy;
        view.ToScreen(scene.vehicle.x, scene.vehicle.y, vx, vy);
        const Box vehicleBox{vx - 16, vy - 16, vx + 16, vy + 16};
        cairo_set_font_face(cr, font_.Face());
        cairo_set_font_size(cr, 12);
        for (const TDemoMap::Road& road : map.Roads()) {
            if (!road.name[0])
                continue;
            double best = 0, bx = 0, by = 0, angle = 0;
            for (size_t i = 0; i + 1 < road.points.size(); ++i) {
                double x1, y1, x2, y2;
                view.ToScreen(road.points[i].x, road.points[i].y, x1, y1);
                view.ToScreen(road.points[i + 1].x, road.points[i + 1].y, x2, y2);
                // Only the part inside the rectangle counts.
                const double cx1 = std::max<double>(left, std::min<double>(right, x1)), cx2 = std::max<double>(left, std::min<double>(right, x2));
                const double cy1 = std::max<double>(top, std::min<double>(bottom, y1)), cy2 = std::max<double>(top, std::min<double>(bottom, y2));
                const double len = std::hypot(cx2 - cx1, cy2 - cy1);
                if (len > best) {
                    best = len;
                    bx = (cx1 + cx2) / 2, by = (cy1 + cy2) / 2;
                    angle = std::atan2(y2 - y1, x2 - x1);
                    if (angle > kPi / 2)
                        angle -= kPi;
                    if (angle < -kPi / 2)
                        angle += kPi;
                }
            }
            cairo_text_extents_t ext;
            cairo_text_extents(cr, road.name, &ext);
            if (best < ext.x_advance + 10)
                continue;
            // Whole names only, none over another or over the car.
            const double hw = (std::fabs(std::cos(angle)) * ext.x_advance + std::fabs(std::sin(angle)) * ext.height) / 2 + 2;
            const double hh = (std::fabs(std::sin(angle)) * ext.x_advance + std::fabs(std::cos(angle)) * ext.height) / 2 + 2;
            const Box box{bx - hw, by - hh, bx + hw, by + hh};
            if (box.x1 < left || box.y1 < top || box.x2 > right || box.y2 > bottom || box.Overlaps(vehicleBox))
                continue;
            bool free = true;
            for (const Box& other : placed)
                free = free && !box.Overlaps(other);
            if (!free)
                continue;
            placed.push_back(box);
            cairo_save(cr);
            cairo_translate(cr, bx, by);
            cairo_rotate(cr, angle);
            cairo_move_to(cr, -ext.x_advance / 2, ext.height / 2 - 1);
            cairo_text_path(cr, road.name);
            Rgb(cr, p.halo);
            cairo_set_line_width(cr, 3);
            cairo_stroke_preserve(cr);
            Rgb(cr, p.text);
            cairo_fill(cr);
            cairo_restore(cr);
        }
    }
    // The vehicle: an arrow pointing along its heading on the screen.
    {
        double x, y;
        view.ToScreen(scene.vehicle.x, scene.vehicle.y, x, y);
        const double a = (scene.vehicleHeading - view.rotation) * kPi / 180;
        cairo_save(cr);
        cairo_translate(cr, x, y);
        cairo_scale(cr, 1, view.squash);
        cairo_rotate(cr, a);
        cairo_move_to(cr, 0, -14);
        cairo_line_to(cr, 10, 10);
        cairo_line_to(cr, 0, 4);
        cairo_line_to(cr, -10, 10);
        cairo_close_path(cr);
        Rgb(cr, p.vehicle);
        cairo_fill_preserve(cr);
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_set_line_width(cr, 2);
        cairo_stroke(cr);
        cairo_restore(cr);
    }
    if (scene.crosshair) {
        cairo_reset_clip(cr);
        cairo_rectangle(cr, left, top, right - left, bottom - top);
        cairo_clip(cr);
        cairo_set_source_rgb(cr, 0, 0, 0);
        cairo_set_line_width(cr, 1);
        cairo_move_to(cr, scene.crosshairX - 12, scene.crosshairY + 0.5);
        cairo_line_to(cr, scene.crosshairX + 12, scene.crosshairY + 0.5);
        cairo_move_to(cr, scene.crosshairX + 0.5, scene.crosshairY - 12);
        cairo_line_to(cr, scene.crosshairX + 0.5, scene.crosshairY + 12);
        cairo_stroke(cr);
    }
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    cairo_surface_destroy(surface);
    target.Touch();
    return true;
}
