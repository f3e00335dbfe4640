#include "enginelib/nav/TNavPictures.h"

#include <cairo.h>

#include <cmath>
#include <cstring>
#include <mutex>

#include "enginelib/draw/TDibIG.h"
#include "enginelib/nav/CairoSurface.h"

namespace {
const double kPi = 3.14159265358979323846;
std::mutex g_mutex;

// An arrow along a path: a thick white shaft with a dark outline and a head.
void Arrow(cairo_t* cr, double size, double turn, bool slight)
{
    const double u = size / 64.0;
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    // Shaft from the bottom up, bending by turn degrees.
    const double bend = turn * kPi / 180;
    const double sx = 32 * u, sy = 60 * u, mx = 32 * u, my = slight ? 34 * u : 30 * u;
    const double len = slight ? 20 * u : 18 * u;
    const double ex = mx + std::sin(bend) * len, ey = my - std::cos(bend) * len;
    for (int pass = 0; pass < 2; ++pass) {
        cairo_move_to(cr, sx, sy);
        cairo_line_to(cr, mx, my);
        cairo_line_to(cr, ex, ey);
        cairo_set_line_width(cr, (pass ? 8 : 12) * u);
        pass ? cairo_set_source_rgb(cr, 1, 1, 1) : cairo_set_source_rgb(cr, 0.1, 0.1, 0.12);
        cairo_stroke(cr);
    }
    // The head.
    cairo_save(cr);
    cairo_translate(cr, ex, ey);
    cairo_rotate(cr, bend);
    cairo_move_to(cr, 0, -12 * u);
    cairo_line_to(cr, 11 * u, 2 * u);
    cairo_line_to(cr, -11 * u, 2 * u);
    cairo_close_path(cr);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_fill_preserve(cr);
    cairo_set_source_rgb(cr, 0.1, 0.1, 0.12);
    cairo_set_line_width(cr, 2 * u);
    cairo_stroke(cr);
    cairo_restore(cr);
}

void DrawManoeuvre(cairo_t* cr, TDemoRoute::ManoeuvreKind kind, double size)
{
    const double u = size / 64.0;
    switch (kind) {
    case TDemoRoute::TurnRight:
        Arrow(cr, size, 90, false);
        break;
    case TDemoRoute::TurnLeft:
        Arrow(cr, size, -90, false);
        break;
    case TDemoRoute::SlightRight:
    case TDemoRoute::ExitRight:
        Arrow(cr, size, 40, true);
        if (kind == TDemoRoute::ExitRight) {  // the road going on
            cairo_move_to(cr, 20 * u, 60 * u);
            cairo_line_to(cr, 20 * u, 8 * u);
            cairo_set_source_rgb(cr, 0.6, 0.6, 0.65);
            cairo_set_line_width(cr, 5 * u);
            cairo_stroke(cr);
        }
        break;
    case TDemoRoute::MergeLeft:
        Arrow(cr, size, -35, true);
        break;
    case TDemoRoute::Roundabout1:
    case TDemoRoute::Roundabout2:
    case TDemoRoute::Roundabout3:
    case TDemoRoute::Roundabout4: {
        cairo_arc(cr, 32 * u, 32 * u, 12 * u, 0, 2 * kPi);
        cairo_set_source_rgb(cr, 0.1, 0.1, 0.12);
        cairo_set_line_width(cr, 9 * u);
        cairo_stroke(cr);
        cairo_arc(cr, 32 * u, 32 * u, 12 * u, 0, 2 * kPi);
        cairo_set_source_rgb(cr, 0.85, 0.85, 0.9);
        cairo_set_line_width(cr, 5 * u);
        cairo_stroke(cr);
        // Driving on the right: the first exit is to the right, the second ahead...
        const int exit = kind - TDemoRoute::Roundabout1 + 1;
        Arrow(cr, size, 90 - (exit - 1) * 90.0, false);
        break;
    }
    case TDemoRoute::Arrive:
        cairo_arc(cr, 32 * u, 26 * u, 14 * u, 0, 2 * kPi);
        cairo_set_source_rgb(cr, 0.1, 0.1, 0.12);
        cairo_fill(cr);
        cairo_arc(cr, 32 * u, 26 * u, 10 * u, 0, 2 * kPi);
        cairo_set_source_rgb(cr, 0.2, 0.75, 0.3);
        cairo_fill(cr);
        cairo_move_to(cr, 32 * u, 40 * u);
        cairo_line_to(cr, 32 * u, 60 * u);
        cairo_set_source_rgb(cr, 0.1, 0.1, 0.12);
        cairo_set_line_width(cr, 4 * u);
        cairo_stroke(cr);
        break;
    default:
        break;
    }
}

void LaneArrow(cairo_t* cr, char letter, bool recommended)
{
    // a straight, b slight right, c right, d sharp right, e U-turn, f sharp left, g left, h slight left
    static const double kTurn[] = {0, 40, 90, 135, 180, -135, -90, -40};
    const double turn = kTurn[letter - 'a'] * kPi / 180;
    const double grey = recommended ? 1.0 : 0.55;
    cairo_set_line_width(cr, 3.5);
    cairo_set_source_rgb(cr, grey, grey, grey);
    cairo_move_to(cr, 16, 30);
    cairo_line_to(cr, 16, 17);
    const double ex = 16 + std::sin(turn) * 10, ey = 17 - std::cos(turn) * 10;
    if (letter == 'e')
        cairo_arc_negative(cr, 12, 17, 4, 0, kPi);
    else
        cairo_line_to(cr, ex, ey);
    cairo_stroke(cr);
    const double hx = letter == 'e' ? 8 : ex, hy = letter == 'e' ? 22 : ey;
    const double ha = letter == 'e' ? kPi : turn;
    cairo_save(cr);
    cairo_translate(cr, hx, hy);
    cairo_rotate(cr, ha);
    cairo_move_to(cr, 0, -5);
    cairo_line_to(cr, 5, 2);
    cairo_line_to(cr, -5, 2);
    cairo_close_path(cr);
    cairo_fill(cr);
    cairo_restore(cr);
}
} // namespace

TNavPictures& TNavPictures::Get()
{
    static TNavPictures pictures;
    return pictures;
}

const TDibIG* TNavPictures::Manoeuvre(TDemoRoute::ManoeuvreKind kind, int size)
{
    if (kind < 0 || kind >= TDemoRoute::ManoeuvreKinds || (size != 64 && size != 40))
        return nullptr;
    std::lock_guard<std::mutex> lock(g_mutex);
    std::unique_ptr<TDibIG>& slot = manoeuvres_[kind][size == 40];
    if (!slot) {
        cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size, size);
        cairo_t* cr = cairo_create(s);
        DrawManoeuvre(cr, kind, size);
        cairo_destroy(cr);
        slot = DibFromCairo(s, false);
        cairo_surface_destroy(s);
    }
    return slot.get();
}

const TDibIG* TNavPictures::Camera()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!camera_) {
        cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 48, 48);
        cairo_t* cr = cairo_create(s);
        cairo_arc(cr, 24, 24, 22, 0, 2 * kPi);
        cairo_set_source_rgb(cr, 0.85, 0.1, 0.1);
        cairo_fill(cr);
        cairo_arc(cr, 24, 24, 16, 0, 2 * kPi);
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_fill(cr);
        // The camera: a body, a lens and a flash.
        cairo_set_source_rgb(cr, 0.1, 0.1, 0.12);
        cairo_rectangle(cr, 14, 19, 20, 13);
        cairo_fill(cr);
        cairo_rectangle(cr, 18, 16, 6, 3);
        cairo_fill(cr);
        cairo_arc(cr, 24, 25.5, 4.5, 0, 2 * kPi);
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_fill(cr);
        cairo_destroy(cr);
        camera_ = DibFromCairo(s, false);
        cairo_surface_destroy(s);
    }
    return camera_.get();
}

const TDibIG* TNavPictures::Lane(char c)
{
    const bool letter = (c >= 'a' && c <= 'h') || (c >= 'A' && c <= 'H');
    const bool separator = c == '1' || c == '2' || c == '(' || c == ')';
    if (!letter && !separator)
        return nullptr;
    std::lock_guard<std::mutex> lock(g_mutex);
    std::unique_ptr<TDibIG>& slot = lanes_[(unsigned char)c];
    if (!slot) {
        const int w = letter ? 32 : 4;
        cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, 32);
        cairo_t* cr = cairo_create(s);
        cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);  // hard edges on the colour key
        if (letter) {
            LaneArrow(cr, (char)(c | 0x20), c < 'a');
        } else {
            cairo_set_source_rgb(cr, 1, 1, 1);
            if (c == '1') {
                for (int y = 2; y < 32; y += 8)
                    cairo_rectangle(cr, 1, y, 2, 4);
            } else if (c == '2') {
                cairo_rectangle(cr, 1, 0, 2, 32);
            } else {
                const double dir = c == '(' ? -1 : 1;
                cairo_move_to(cr, 2 - dir * 2, 12);
                cairo_line_to(cr, 2 + dir * 2, 16);
                cairo_line_to(cr, 2 - dir * 2, 20);
                cairo_close_path(cr);
            }
            cairo_fill(cr);
        }
        cairo_destroy(cr);
        slot = DibFromCairo(s, true);
        cairo_surface_destroy(s);
    }
    return slot.get();
}
