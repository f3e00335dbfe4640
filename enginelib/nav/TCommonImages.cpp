#include "enginelib/nav/TCommonImages.h"

#include <cairo.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <map>

#include "enginelib/draw/TDibIG.h"
#include "enginelib/nav/CairoSurface.h"
#include "enginelib/nav/TCairoFont.h"
#include "enginelib/nav/TCommandTable.h"
#include "enginelib/nav/TLanguageTable.h"

namespace {
const double kPi = 3.14159265358979323846;
enum State { Normal, Pressed, Disabled };

struct Canvas {
    int w, h;
    cairo_surface_t* surface;
    cairo_t* cr;
    Canvas(int width, int height) : w(width), h(height)
    {
        surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
        cr = cairo_create(surface);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    }
    ~Canvas()
    {
        cairo_destroy(cr);
        cairo_surface_destroy(surface);
    }
    std::unique_ptr<TDibIG> Done() { return DibFromCairo(surface, false); }
};

void RoundRect(cairo_t* cr, double x, double y, double w, double h, double r)
{
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -kPi / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, kPi / 2);
    cairo_arc(cr, x + r, y + h - r, r, kPi / 2, kPi);
    cairo_arc(cr, x + r, y + r, r, kPi, 3 * kPi / 2);
    cairo_close_path(cr);
}

void Ink(cairo_t* cr, State s) { s == Disabled ? cairo_set_source_rgb(cr, 0.55, 0.58, 0.62) : cairo_set_source_rgb(cr, 1, 1, 1); }

// The glyphs of the commands that have one, drawn in a 32-unit square.
void Magnifier(cairo_t* cr, bool plus)
{
    cairo_set_line_width(cr, 2.5);
    cairo_arc(cr, 13, 13, 7.5, 0, 2 * kPi);
    cairo_stroke(cr);
    cairo_move_to(cr, 19, 19);
    cairo_line_to(cr, 26, 26);
    cairo_set_line_width(cr, 4);
    cairo_stroke(cr);
    cairo_set_line_width(cr, 2);
    cairo_move_to(cr, 9.5, 13);
    cairo_line_to(cr, 16.5, 13);
    if (plus) {
        cairo_move_to(cr, 13, 9.5);
        cairo_line_to(cr, 13, 16.5);
    }
    cairo_stroke(cr);
}

void House(cairo_t* cr)
{
    cairo_move_to(cr, 6, 16);
    cairo_line_to(cr, 16, 7);
    cairo_line_to(cr, 26, 16);
    cairo_move_to(cr, 9, 14);
    cairo_line_to(cr, 9, 25);
    cairo_line_to(cr, 23, 25);
    cairo_line_to(cr, 23, 14);
    cairo_set_line_width(cr, 2.5);
    cairo_stroke(cr);
    cairo_rectangle(cr, 14, 18, 4, 7);
    cairo_fill(cr);
}

void Speaker(cairo_t* cr, int sign)
{
    cairo_move_to(cr, 6, 13);
    cairo_line_to(cr, 10, 13);
    cairo_line_to(cr, 16, 8);
    cairo_line_to(cr, 16, 24);
    cairo_line_to(cr, 10, 19);
    cairo_line_to(cr, 6, 19);
    cairo_close_path(cr);
    cairo_fill(cr);
    cairo_set_line_width(cr, 2);
    if (sign == 0) {
        cairo_arc(cr, 16, 16, 6, -0.8, 0.8);
        cairo_new_sub_path(cr);
        cairo_arc(cr, 16, 16, 10, -0.8, 0.8);
    } else {
        cairo_move_to(cr, 20, 16);
        cairo_line_to(cr, 27, 16);
        if (sign > 0) {
            cairo_move_to(cr, 23.5, 12.5);
            cairo_line_to(cr, 23.5, 19.5);
        }
    }
    cairo_stroke(cr);
}

bool Glyph(cairo_t* cr, int n)
{
    switch (n) {
    case 101:
    case 102:
        Magnifier(cr, n == 101);
        return true;
    case 105:  // north up: a needle with N
        cairo_move_to(cr, 16, 5);
        cairo_line_to(cr, 21, 22);
        cairo_line_to(cr, 16, 19);
        cairo_line_to(cr, 11, 22);
        cairo_close_path(cr);
        cairo_fill(cr);
        cairo_rectangle(cr, 14, 24, 4, 4);
        cairo_fill(cr);
        return true;
    case 142:  // heading up: the car's arrow in a ring
        cairo_set_line_width(cr, 2);
        cairo_arc(cr, 16, 16, 11, 0, 2 * kPi);
        cairo_stroke(cr);
        cairo_move_to(cr, 16, 8);
        cairo_line_to(cr, 22, 23);
        cairo_line_to(cr, 16, 19);
        cairo_line_to(cr, 10, 23);
        cairo_close_path(cr);
        cairo_fill(cr);
        return true;
    case 129:  // day and night: a crescent
        cairo_arc(cr, 16, 16, 10, 0, 2 * kPi);
        cairo_arc_negative(cr, 20, 13, 8, 2 * kPi, 0);
        cairo_fill(cr);
        return true;
    case 130:  // map cursor: a crosshair
        cairo_set_line_width(cr, 2);
        cairo_arc(cr, 16, 16, 7, 0, 2 * kPi);
        cairo_move_to(cr, 16, 4);
        cairo_line_to(cr, 16, 28);
        cairo_move_to(cr, 4, 16);
        cairo_line_to(cr, 28, 16);
        cairo_stroke(cr);
        return true;
    case 2512:  // auto-centre: a target
        cairo_set_line_width(cr, 2);
        cairo_arc(cr, 16, 16, 10, 0, 2 * kPi);
        cairo_stroke(cr);
        cairo_arc(cr, 16, 16, 4, 0, 2 * kPi);
        cairo_fill(cr);
        return true;
    case 202:
    case 290:  // record: a red dot
        cairo_arc(cr, 16, 16, 8, 0, 2 * kPi);
        cairo_set_source_rgb(cr, 0.9, 0.15, 0.15);
        cairo_fill(cr);
        return true;
    case 708:
    case 291:
        cairo_rectangle(cr, 9, 9, 14, 14);
        cairo_fill(cr);
        return true;
    case 292:
        cairo_rectangle(cr, 9, 8, 5, 16);
        cairo_rectangle(cr, 18, 8, 5, 16);
        cairo_fill(cr);
        return true;
    case 193:  // data pages: four panels
        for (int i = 0; i < 4; ++i)
            cairo_rectangle(cr, 7 + (i % 2) * 10, 7 + (i / 2) * 10, 8, 8);
        cairo_fill(cr);
        return true;
    case 562:
        Speaker(cr, 0);
        return true;
    case 2434:
    case 2435:
        Speaker(cr, n == 2434 ? 1 : -1);
        return true;
    case 12:  // menu: three bars
        for (int i = 0; i < 3; ++i)
            cairo_rectangle(cr, 7, 9 + i * 6, 18, 3);
        cairo_fill(cr);
        return true;
    case 185:
    case 271:
        House(cr);
        return true;
    case 274:  // favourites: a star
        for (int i = 0; i < 10; ++i) {
            const double r = i % 2 ? 5 : 11, a = -kPi / 2 + i * kPi / 5;
            const double x = 16 + r * std::cos(a), y = 17 + r * std::sin(a);
            i ? cairo_line_to(cr, x, y) : cairo_move_to(cr, x, y);
        }
        cairo_close_path(cr);
        cairo_fill(cr);
        return true;
    case 11:
    case 235:  // cancel and stop navigation: a cross
        cairo_set_line_width(cr, 3.5);
        cairo_move_to(cr, 9, 9);
        cairo_line_to(cr, 23, 23);
        cairo_move_to(cr, 23, 9);
        cairo_line_to(cr, 9, 23);
        cairo_stroke(cr);
        return true;
    case 506:  // quit: the power sign
        cairo_set_line_width(cr, 2.5);
        cairo_arc(cr, 16, 17, 9, -kPi / 2 + 0.6, 3 * kPi / 2 - 0.6);
        cairo_move_to(cr, 16, 5);
        cairo_line_to(cr, 16, 16);
        cairo_stroke(cr);
        return true;
    case 550:  // screenshot: a camera
        RoundRect(cr, 6, 10, 20, 14, 2);
        cairo_fill(cr);
        cairo_rectangle(cr, 12, 7, 8, 4);
        cairo_fill(cr);
        cairo_arc(cr, 16, 17, 4.5, 0, 2 * kPi);
        cairo_set_source_rgb(cr, 0.2, 0.35, 0.6);
        cairo_fill(cr);
        return true;
    case 232:  // satellites
        cairo_save(cr);
        cairo_translate(cr, 16, 16);
        cairo_rotate(cr, kPi / 4);
        cairo_rectangle(cr, -3, -3, 6, 6);
        cairo_rectangle(cr, -12, -2.5, 7, 5);
        cairo_rectangle(cr, 5, -2.5, 7, 5);
        cairo_fill(cr);
        cairo_restore(cr);
        return true;
    case 600:  // status: an i
        cairo_set_line_width(cr, 2);
        cairo_arc(cr, 16, 16, 11, 0, 2 * kPi);
        cairo_stroke(cr);
        cairo_rectangle(cr, 14.5, 14, 3, 9);
        cairo_arc(cr, 16, 10, 2, 0, 2 * kPi);
        cairo_fill(cr);
        return true;
    case 184:  // rotate the screen: a turning arrow
        cairo_set_line_width(cr, 2.5);
        cairo_arc(cr, 16, 16, 9, 0.3, 2 * kPi - 0.6);
        cairo_stroke(cr);
        cairo_move_to(cr, 26, 12);
        cairo_line_to(cr, 25, 20);
        cairo_line_to(cr, 19, 15);
        cairo_close_path(cr);
        cairo_fill(cr);
        return true;
    case 272:  // find an address: the magnifier over a house
        House(cr);
        return true;
    default:
        return false;
    }
}

// A command's icon: a rounded tile, its glyph or the first letters of its name.
std::unique_ptr<TDibIG> CommandIcon(int n, State s, int size, const TCairoFont& font, const TLanguageTable& english,
                                    bool pressed2)
{
    Canvas c(size, size);
    cairo_scale(c.cr, size / 32.0, size / 32.0);
    RoundRect(c.cr, 1, 1, 30, 30, 6);
    if (s == Pressed)
        pressed2 ? cairo_set_source_rgb(c.cr, 0.55, 0.35, 0.1) : cairo_set_source_rgb(c.cr, 0.12, 0.3, 0.6);
    else if (s == Disabled)
        cairo_set_source_rgb(c.cr, 0.25, 0.28, 0.33);
    else
        cairo_set_source_rgb(c.cr, 0.2, 0.45, 0.8);
    cairo_fill_preserve(c.cr);
    cairo_set_source_rgba(c.cr, 0, 0, 0, 0.35);
    cairo_set_line_width(c.cr, 1);
    cairo_stroke(c.cr);
    Ink(c.cr, s);
    if (!Glyph(c.cr, n) && font.Face()) {
        const std::string* name = english.Find("C" + std::to_string(n));
        std::string letters = name && !name->empty() ? name->substr(0, 1) : std::to_string(n % 100);
        if (name) {
            const size_t space = name->find(' ');
            if (space != std::string::npos && space + 1 < name->size())
                letters += (char)std::tolower((unsigned char)(*name)[space + 1]);
        }
        Ink(c.cr, s);
        cairo_set_font_face(c.cr, font.Face());
        cairo_set_font_size(c.cr, letters.size() > 1 ? 13 : 17);
        cairo_text_extents_t e;
        cairo_text_extents(c.cr, letters.c_str(), &e);
        cairo_move_to(c.cr, 16 - e.x_advance / 2, 16 + e.height / 2);
        cairo_show_text(c.cr, letters.c_str());
    }
    return c.Done();
}

// The icons the library's lists, pages and boxes name, each drawn in a size-unit square.
std::unique_ptr<TDibIG> Icon(const std::string& name, int size)
{
    Canvas c(size, size);
    cairo_t* cr = c.cr;
    cairo_scale(cr, size / 24.0, size / 24.0);
    cairo_set_line_width(cr, 2);
    auto rgb = [&](double r, double g, double b) { cairo_set_source_rgb(cr, r, g, b); };
    if (name == "commonCurrentPosition" || name == "commonArrowGoto") {
        rgb(0.85, 0.1, 0.1);
        cairo_move_to(cr, 12, 2);
        cairo_line_to(cr, 20, 21);
        cairo_line_to(cr, 12, 16);
        cairo_line_to(cr, 4, 21);
        cairo_close_path(cr);
        cairo_fill(cr);
    } else if (name == "commonAddress" || name == "commonStreet") {
        rgb(0.3, 0.3, 0.35);
        cairo_rectangle(cr, 9, 2, 6, 20);
        cairo_fill(cr);
        rgb(1, 1, 1);
        for (int y = 4; y < 22; y += 5)
            cairo_rectangle(cr, 11.5, y, 1, 3);
        cairo_fill(cr);
    } else if (name == "commonMap") {
        rgb(0.9, 0.85, 0.6);
        cairo_rectangle(cr, 2, 4, 20, 16);
        cairo_fill(cr);
        rgb(0.2, 0.45, 0.8);
        cairo_move_to(cr, 3, 15);
        cairo_line_to(cr, 10, 9);
        cairo_line_to(cr, 21, 12);
        cairo_stroke(cr);
    } else if (name == "commonPOI" || name == "commonWaypoint") {
        name == "commonPOI" ? rgb(0.9, 0.5, 0.1) : rgb(0.1, 0.35, 0.8);
        cairo_arc(cr, 12, 9, 6, kPi, 0);
        cairo_line_to(cr, 12, 22);
        cairo_close_path(cr);
        cairo_fill(cr);
        rgb(1, 1, 1);
        cairo_arc(cr, 12, 9, 2.5, 0, 2 * kPi);
        cairo_fill(cr);
    } else if (name == "commonHistoric") {
        rgb(0.3, 0.3, 0.35);
        cairo_arc(cr, 12, 12, 9, 0, 2 * kPi);
        cairo_stroke(cr);
        cairo_move_to(cr, 12, 6);
        cairo_line_to(cr, 12, 12);
        cairo_line_to(cr, 16, 15);
        cairo_stroke(cr);
    } else if (name == "commonHome") {
        rgb(0.75, 0.2, 0.15);
        cairo_move_to(cr, 3, 12);
        cairo_line_to(cr, 12, 3);
        cairo_line_to(cr, 21, 12);
        cairo_line_to(cr, 18, 12);
        cairo_line_to(cr, 18, 21);
        cairo_line_to(cr, 6, 21);
        cairo_line_to(cr, 6, 12);
        cairo_close_path(cr);
        cairo_fill(cr);
    } else if (name == "commonMyDestination") {
        rgb(0.1, 0.1, 0.1);
        cairo_move_to(cr, 6, 22);
        cairo_line_to(cr, 6, 3);
        cairo_stroke(cr);
        rgb(0.1, 0.7, 0.2);
        cairo_move_to(cr, 6, 3);
        cairo_line_to(cr, 20, 7);
        cairo_line_to(cr, 6, 11);
        cairo_close_path(cr);
        cairo_fill(cr);
    } else if (name == "commonCity") {
        rgb(0.35, 0.35, 0.45);
        cairo_rectangle(cr, 3, 10, 6, 12);
        cairo_rectangle(cr, 10, 4, 6, 18);
        cairo_rectangle(cr, 17, 13, 5, 9);
        cairo_fill(cr);
    } else if (name == "commonFilter" || name == "commonFilterPressed" || name == "commonFilterTrackCategories") {
        name == "commonFilterPressed" ? rgb(0.1, 0.3, 0.7) : rgb(0.3, 0.3, 0.35);
        cairo_move_to(cr, 3, 4);
        cairo_line_to(cr, 21, 4);
        cairo_line_to(cr, 14, 12);
        cairo_line_to(cr, 14, 20);
        cairo_line_to(cr, 10, 22);
        cairo_line_to(cr, 10, 12);
        cairo_close_path(cr);
        cairo_fill(cr);
        if (name == "commonFilterTrackCategories") {
            rgb(0.75, 0.2, 0.6);
            cairo_arc(cr, 19, 19, 4, 0, 2 * kPi);
            cairo_fill(cr);
        }
    } else if (name == "commonMiniArrowDirection") {
        rgb(0.2, 0.2, 0.2);
        cairo_move_to(cr, 12, 3);
        cairo_line_to(cr, 19, 20);
        cairo_line_to(cr, 12, 16);
        cairo_line_to(cr, 5, 20);
        cairo_close_path(cr);
        cairo_fill(cr);
    } else if (name == "commonFolder" || name == "commonFile" || name == "commonDrive") {
        if (name == "commonFolder") {
            rgb(0.95, 0.75, 0.25);
            cairo_move_to(cr, 2, 6);
            cairo_line_to(cr, 9, 6);
            cairo_line_to(cr, 11, 8);
            cairo_line_to(cr, 22, 8);
            cairo_line_to(cr, 22, 20);
            cairo_line_to(cr, 2, 20);
            cairo_close_path(cr);
            cairo_fill(cr);
        } else if (name == "commonFile") {
            rgb(1, 1, 1);
            cairo_move_to(cr, 5, 2);
            cairo_line_to(cr, 15, 2);
            cairo_line_to(cr, 19, 6);
            cairo_line_to(cr, 19, 22);
            cairo_line_to(cr, 5, 22);
            cairo_close_path(cr);
            cairo_fill_preserve(cr);
            rgb(0.4, 0.4, 0.45);
            cairo_set_line_width(cr, 1);
            cairo_stroke(cr);
        } else {
            rgb(0.45, 0.45, 0.5);
            RoundRect(cr, 2, 7, 20, 10, 2);
            cairo_fill(cr);
            rgb(0.3, 0.9, 0.4);
            cairo_arc(cr, 18, 12, 1.5, 0, 2 * kPi);
            cairo_fill(cr);
        }
    } else if (name == "commonInformation" || name == "commonWarning" || name == "commonError" ||
               name == "commonQuestion") {
        if (name == "commonWarning") {
            rgb(0.95, 0.7, 0.1);
            cairo_move_to(cr, 12, 2);
            cairo_line_to(cr, 23, 21);
            cairo_line_to(cr, 1, 21);
            cairo_close_path(cr);
        } else {
            name == "commonError" ? rgb(0.85, 0.15, 0.15) : rgb(0.15, 0.4, 0.85);
            cairo_arc(cr, 12, 12, 10.5, 0, 2 * kPi);
        }
        cairo_fill(cr);
        rgb(1, 1, 1);
        cairo_set_line_width(cr, 2.5);
        if (name == "commonError") {
            cairo_move_to(cr, 8, 8);
            cairo_line_to(cr, 16, 16);
            cairo_move_to(cr, 16, 8);
            cairo_line_to(cr, 8, 16);
            cairo_stroke(cr);
        } else if (name == "commonQuestion") {
            cairo_arc(cr, 12, 9, 3.5, kPi, kPi / 2 + 2 * kPi * 0.25);
            cairo_line_to(cr, 12, 14);
            cairo_stroke(cr);
            cairo_arc(cr, 12, 18, 1.5, 0, 2 * kPi);
            cairo_fill(cr);
        } else {
            const bool warning = name == "commonWarning";
            cairo_move_to(cr, 12, warning ? 8 : 11);
            cairo_line_to(cr, 12, warning ? 14 : 18);
            cairo_stroke(cr);
            cairo_arc(cr, 12, warning ? 17.5 : 7, 1.5, 0, 2 * kPi);
            cairo_fill(cr);
        }
    } else if (name == "commonCheckBoxSmall") {
        rgb(1, 1, 1);
        cairo_rectangle(cr, 3, 3, 18, 18);
        cairo_fill_preserve(cr);
        rgb(0.3, 0.3, 0.35);
        cairo_stroke(cr);
        cairo_move_to(cr, 6, 12);
        cairo_line_to(cr, 10, 17);
        cairo_line_to(cr, 18, 6);
        cairo_set_line_width(cr, 3);
        cairo_stroke(cr);
    } else if (name == "commonSandClock") {
        rgb(0.95, 0.95, 0.9);
        cairo_rectangle(cr, 5, 2, 14, 2);
        cairo_rectangle(cr, 5, 20, 14, 2);
        cairo_fill(cr);
        rgb(0.3, 0.3, 0.35);
        cairo_move_to(cr, 6, 4);
        cairo_line_to(cr, 18, 4);
        cairo_line_to(cr, 13, 12);
        cairo_line_to(cr, 18, 20);
        cairo_line_to(cr, 6, 20);
        cairo_line_to(cr, 11, 12);
        cairo_close_path(cr);
        cairo_stroke_preserve(cr);
        rgb(0.95, 0.75, 0.3);
        cairo_fill(cr);
    } else {
        return nullptr;
    }
    return c.Done();
}

// The compass dial and its needle (variant 1), its ring and glass (variant 3).
std::unique_ptr<TDibIG> Compass(const std::string& name, const TCairoFont& font)
{
    Canvas c(128, 128);
    cairo_t* cr = c.cr;
    if (name == "commonCompas" || name == "commonCompas3Background") {
        cairo_arc(cr, 64, 64, 62, 0, 2 * kPi);
        name == "commonCompas" ? cairo_set_source_rgb(cr, 0.95, 0.95, 0.92) : cairo_set_source_rgb(cr, 0.15, 0.2, 0.3);
        cairo_fill(cr);
        name == "commonCompas" ? cairo_set_source_rgb(cr, 0.2, 0.2, 0.25) : cairo_set_source_rgb(cr, 0.85, 0.9, 1);
        for (int d = 0; d < 360; d += 10) {
            const double a = d * kPi / 180, r1 = d % 90 ? 54 : 46;
            cairo_move_to(cr, 64 + std::sin(a) * r1, 64 - std::cos(a) * r1);
            cairo_line_to(cr, 64 + std::sin(a) * 60, 64 - std::cos(a) * 60);
        }
        cairo_set_line_width(cr, 2);
        cairo_stroke(cr);
        // The large compass writes its own letters on the turning dial.
        if (font.Face() && name != "commonCompas") {
            cairo_set_font_face(cr, font.Face());
            cairo_set_font_size(cr, 16);
            const char* letters[] = {"N", "E", "S", "W"};
            for (int i = 0; i < 4; ++i) {
                cairo_text_extents_t e;
                cairo_text_extents(cr, letters[i], &e);
                const double a = i * kPi / 2;
                cairo_move_to(cr, 64 + std::sin(a) * 34 - e.x_advance / 2, 64 - std::cos(a) * 34 + e.height / 2);
                cairo_show_text(cr, letters[i]);
            }
        }
    } else if (name == "commonCompasArrow1") {
        cairo_move_to(cr, 64, 12);
        cairo_line_to(cr, 72, 64);
        cairo_line_to(cr, 56, 64);
        cairo_close_path(cr);
        cairo_set_source_rgb(cr, 0.85, 0.1, 0.1);
        cairo_fill(cr);
        cairo_move_to(cr, 64, 116);
        cairo_line_to(cr, 72, 64);
        cairo_line_to(cr, 56, 64);
        cairo_close_path(cr);
        cairo_set_source_rgb(cr, 0.3, 0.3, 0.35);
        cairo_fill(cr);
        cairo_arc(cr, 64, 64, 5, 0, 2 * kPi);
        cairo_set_source_rgb(cr, 0.9, 0.9, 0.9);
        cairo_fill(cr);
    } else {  // commonCompas3Foreground: a glass highlight and the lubber line
        cairo_pattern_t* p = cairo_pattern_create_linear(0, 0, 0, 128);
        cairo_pattern_add_color_stop_rgba(p, 0, 1, 1, 1, 0.35);
        cairo_pattern_add_color_stop_rgba(p, 0.5, 1, 1, 1, 0.0);
        cairo_arc(cr, 64, 64, 60, 0, 2 * kPi);
        cairo_set_source(cr, p);
        cairo_fill(cr);
        cairo_pattern_destroy(p);
        cairo_move_to(cr, 64, 2);
        cairo_line_to(cr, 70, 14);
        cairo_line_to(cr, 58, 14);
        cairo_close_path(cr);
        cairo_set_source_rgb(cr, 1, 0.8, 0.1);
        cairo_fill(cr);
    }
    return c.Done();
}

// The heading tape: 1 px per degree (360 x 32), and the marks laid over it.
std::unique_ptr<TDibIG> Tape(const std::string& name, const TCairoFont& font)
{
    Canvas c(360, 32);
    cairo_t* cr = c.cr;
    if (name == "commonCompas2Background") {
        cairo_set_source_rgb(cr, 0.12, 0.15, 0.2);
        cairo_paint(cr);
        cairo_set_source_rgb(cr, 0.85, 0.9, 1);
        cairo_set_line_width(cr, 1);
        for (int d = 0; d < 360; d += 5) {
            cairo_move_to(cr, d + 0.5, 32);
            cairo_line_to(cr, d + 0.5, d % 45 == 0 ? 18 : d % 15 == 0 ? 24 : 28);
        }
        cairo_stroke(cr);
        if (font.Face()) {
            cairo_set_font_face(cr, font.Face());
            cairo_set_font_size(cr, 12);
            const char* labels[] = {"N", "NE", "E", "SE", "S", "SW", "W", "NW"};
            for (int i = 0; i < 8; ++i) {
                cairo_text_extents_t e;
                cairo_text_extents(cr, labels[i], &e);
                double x = i * 45 - e.x_advance / 2;
                if (x < 0)
                    x += 360;  // "N" wraps to both ends
                cairo_move_to(cr, x, 14);
                cairo_show_text(cr, labels[i]);
                if (i == 0) {
                    cairo_move_to(cr, x - 360, 14);
                    cairo_show_text(cr, labels[i]);
                }
            }
        }
    } else {
        // The centre mark (and, for the second, a fade at both ends).
        cairo_move_to(cr, 180, 0);
        cairo_line_to(cr, 186, 8);
        cairo_line_to(cr, 174, 8);
        cairo_close_path(cr);
        cairo_set_source_rgb(cr, 1, 0.8, 0.1);
        cairo_fill(cr);
        if (name == "commonCompas2Foreground2") {
            for (int side = 0; side < 2; ++side) {
                cairo_pattern_t* p = cairo_pattern_create_linear(side ? 360 : 0, 0, side ? 300 : 60, 0);
                cairo_pattern_add_color_stop_rgba(p, 0, 0.12, 0.15, 0.2, 1);
                cairo_pattern_add_color_stop_rgba(p, 1, 0.12, 0.15, 0.2, 0);
                cairo_rectangle(cr, side ? 300 : 0, 0, 60, 32);
                cairo_set_source(cr, p);
                cairo_fill(cr);
                cairo_pattern_destroy(p);
            }
        }
    }
    return c.Done();
}

// An icon strip: cell i of a command with tile i, folders at 9 and 31 of the big one.
std::unique_ptr<TDibIG> Strip(int cell, const TCairoFont& font, const TLanguageTable& english)
{
    const int cells = 64;
    Canvas c(cell * cells, cell);
    for (int i = 0; i < cells; ++i) {
        std::unique_ptr<TDibIG> icon;
        if (cell == 32 && (i == 9 || i == 31)) {
            icon = Icon("commonFolder", 32);
        } else {
            int number = 0;
            for (const TCommandInfo& info : TCommandTable::All())
                if (info.icon == i)
                    number = info.number;
            icon = CommandIcon(number ? number : 3015, Normal, cell, font, english, false);
        }
        if (!icon)
            continue;
        // Into the strip through cairo, keeping opacity.
        cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, cell, cell);
        uint32_t* px = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(s));
        const int stride = cairo_image_surface_get_stride(s) / 4;
        for (int y = 0; y < cell; ++y)
            for (int x = 0; x < cell; ++x) {
                const TColorIG col = icon->GetPixel(x, y);
                const int a = 255 - icon->GetAlpha(x, y);
                px[y * stride + x] = (uint32_t)a << 24 | (uint32_t)(col.R() * a / 255) << 16 |
                                     (uint32_t)(col.G() * a / 255) << 8 | (uint32_t)(col.B() * a / 255);
            }
        cairo_surface_mark_dirty(s);
        cairo_set_source_surface(c.cr, s, i * cell, 0);
        cairo_paint(c.cr);
        cairo_surface_destroy(s);
    }
    return c.Done();
}

std::unique_ptr<TDibIG> Flags()
{
    // English, German and the right-to-left test language: stripes of our own.
    const double colours[3][3][3] = {{{0.1, 0.2, 0.55}, {1, 1, 1}, {0.8, 0.1, 0.15}},
                                     {{0.05, 0.05, 0.05}, {0.85, 0.1, 0.1}, {1, 0.8, 0.1}},
                                     {{0.1, 0.5, 0.25}, {1, 1, 1}, {0.1, 0.5, 0.25}}};
    Canvas c(32 * 3, 32);
    for (int i = 0; i < 3; ++i)
        for (int band = 0; band < 3; ++band) {
            cairo_rectangle(c.cr, i * 32 + 2, 6 + band * 7, 28, 7);
            cairo_set_source_rgb(c.cr, colours[i][band][0], colours[i][band][1], colours[i][band][2]);
            cairo_fill(c.cr);
        }
    return c.Done();
}

const char* const kIcons24[] = {"commonCurrentPosition", "commonAddress", "commonMap",     "commonPOI",
                                "commonHistoric",        "commonHome",    "commonMyDestination", "commonWaypoint",
                                "commonCity",            "commonStreet",  "commonFilter",  "commonFilterPressed",
                                "commonFilterTrackCategories", "commonFolder", "commonFile", "commonDrive"};
const char* const kIcons32[] = {"commonArrowGoto", "commonInformation", "commonWarning", "commonError",
                                "commonQuestion"};
} // namespace

std::vector<std::string> TCommonImages::Names()
{
    std::vector<std::string> names;
    for (const TCommandInfo& c : TCommandTable::All())
        for (const char* state : {"", "Pressed", "Disabled"})
            names.push_back("commonCommand" + std::to_string(c.number) + state);
    names.push_back("commonCommand269Pressed2");
    for (const char* n : kIcons24)
        names.push_back(n);
    for (const char* n : kIcons32)
        names.push_back(n);
    for (const char* n : {"commonMiniArrowDirection", "commonCheckBoxSmall", "commonSandClock", "commonCompas",
                          "commonCompasArrow1", "commonCompas3Background", "commonCompas3Foreground",
                          "commonCompas2Background", "commonCompas2Foreground", "commonCompas2Foreground2",
                          "toolbar_lumor_ob", "toolbar_lumor_ob2", "languageFlags"})
        names.push_back(n);
    return names;
}

std::unique_ptr<TDibIG> TCommonImages::Draw(const std::string& name, const std::string& fontFile,
                                            const std::string& languageFile)
{
    static const std::string kCommand = "commonCommand";
    TCairoFont font(fontFile);
    TLanguageTable english;
    std::string error;
    english.Load(languageFile, error);  // without it, icons show command numbers
    if (name.compare(0, kCommand.size(), kCommand) == 0) {
        std::string rest = name.substr(kCommand.size());
        State state = Normal;
        bool second = false;
        for (const auto& suffix : {std::make_pair("Pressed2", Pressed), std::make_pair("Pressed", Pressed),
                                   std::make_pair("Disabled", Disabled)}) {
            const size_t n = std::strlen(suffix.first);
            if (rest.size() > n && rest.compare(rest.size() - n, n, suffix.first) == 0) {
                state = suffix.second;
                second = std::strcmp(suffix.first, "Pressed2") == 0;
                rest.resize(rest.size() - n);
                break;
            }
        }
        if (rest.empty() || rest.find_first_not_of("0123456789") != std::string::npos || rest.size() > 6)
            return nullptr;
        const int number = std::stoi(rest);
        if (!TCommandTable::Find(number) || (second && number != 269))
            return nullptr;
        return CommandIcon(number, state, 32, font, english, second);
    }
    for (const char* n : kIcons24)
        if (name == n)
            return Icon(name, 24);
    for (const char* n : kIcons32)
        if (name == n)
            return Icon(name, 32);
    if (name == "commonMiniArrowDirection" || name == "commonCheckBoxSmall")
        return Icon(name, 16);
    if (name == "commonSandClock")
        return Icon(name, 48);
    if (name == "commonCompas" || name == "commonCompasArrow1" || name == "commonCompas3Background" ||
        name == "commonCompas3Foreground")
        return Compass(name, font);
    if (name == "commonCompas2Background" || name == "commonCompas2Foreground" || name == "commonCompas2Foreground2")
        return Tape(name, font);
    if (name == "toolbar_lumor_ob")
        return Strip(16, font, english);
    if (name == "toolbar_lumor_ob2")
        return Strip(32, font, english);
    if (name == "languageFlags")
        return Flags();
    return nullptr;
}
