// The map at the display's pace: the viewer painting a full 800 x 480 map at three
// zoom levels, beside cairo drawing the same roads and names straight onto the
// same kind of surface in the same run.
#include <benchmark/benchmark.h>

#include <cairo-ft.h>
#include <cairo.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>

#include "enginelib/draw/IDC.h"
#include "enginelib/nav/Debug.h"
#include "enginelib/nav/TDemoMap.h"
#include "enginelib/nav/TLumorGPSEngineInterface.h"
#include "enginelib/nav/TVisor_LumorGPSPocket.h"
#include "nav_library.h"

namespace {
const int kW = 800, kH = 480;
const std::string kFont = std::string(ORBETA_SOURCE_DIR) + "/skins/default/DejaVuSans.ttf";

void BM_RepintateI(benchmark::State& state)
{
    BenchNavLibrary lib;
    TLumorGPSEngineInterface& f = lib.f;
    f.visor->fontFile = kFont;
    f.visor->zoomLevel = (int)state.range(0);
    enginelib::Debug::JumpTo("A.M2", -100);
    IDCdir dc;
    dc.SetSize(kW, kH);
    for (auto _ : state)
        f.visor->RepintateI(dc, TRectIG(0, 0, kW, kH), false);
}
BENCHMARK(BM_RepintateI)->Arg(2)->Arg(4)->Arg(9)->Unit(benchmark::kMicrosecond);

// The same roads, casings, route and names, drawn with cairo alone.
void BM_CairoDirect(benchmark::State& state)
{
    static const double kZoom[] = {0.25, 0.5, 1, 2, 3, 5, 8, 12, 20, 35, 60, 100, 150, 200};
    const double mpp = kZoom[state.range(0)];
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kW, kH);
    FT_Library lib;
    FT_Init_FreeType(&lib);
    FT_Face face;
    FT_New_Face(lib, kFont.c_str(), 0, &face);
    cairo_font_face_t* cface = cairo_ft_font_face_create_for_ft_face(face, 0);
    const double cx = 300, cy = 600;  // where the viewer's car is: 100 m before the roundabout
    for (auto _ : state) {
        cairo_t* cr = cairo_create(surface);
        cairo_set_source_rgb(cr, 0.94, 0.92, 0.87);
        cairo_paint(cr);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        for (int pass = 0; pass < 2; ++pass)
            for (const TDemoMap::Road& road : TDemoMap::Get().Roads()) {
                for (size_t i = 0; i < road.points.size(); ++i) {
                    const double x = kW / 2 + (road.points[i].x - cx) / mpp, y = kH * 0.7 - (road.points[i].y - cy) / mpp;
                    i ? cairo_line_to(cr, x, y) : cairo_move_to(cr, x, y);
                }
                cairo_set_source_rgb(cr, pass ? 1 : 0.55, pass ? 1 : 0.55, pass ? 1 : 0.55);
                const double w = TDemoMap::Width(road.kind);
                const double width = mpp <= 5 ? w : std::max(1.5, w * std::sqrt(5 / mpp));
                cairo_set_line_width(cr, width + (pass ? 0 : 2));
                cairo_stroke(cr);
            }
        cairo_set_font_face(cr, cface);
        cairo_set_font_size(cr, 12);
        for (const TDemoMap::Road& road : TDemoMap::Get().Roads()) {
            if (!road.name[0])
                continue;
            const auto& a = road.points[0];
            const auto& b = road.points[1];
            cairo_save(cr);
            cairo_translate(cr, kW / 2 + ((a.x + b.x) / 2 - cx) / mpp, kH * 0.7 - ((a.y + b.y) / 2 - cy) / mpp);
            cairo_rotate(cr, std::atan2(-(b.y - a.y), b.x - a.x));
            cairo_move_to(cr, 0, 0);
            cairo_text_path(cr, road.name);
            cairo_set_source_rgb(cr, 1, 1, 1);
            cairo_set_line_width(cr, 3);
            cairo_stroke_preserve(cr);
            cairo_set_source_rgb(cr, 0.15, 0.15, 0.15);
            cairo_fill(cr);
            cairo_restore(cr);
        }
        cairo_destroy(cr);
        cairo_surface_flush(surface);
    }
    cairo_font_face_destroy(cface);
    FT_Done_Face(face);
    FT_Done_FreeType(lib);
    cairo_surface_destroy(surface);
}
BENCHMARK(BM_CairoDirect)->Arg(2)->Arg(4)->Arg(9)->Unit(benchmark::kMicrosecond);
} // namespace

BENCHMARK_MAIN();
