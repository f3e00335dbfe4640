// The compass and the profile graph as the map screen paints them: the compass
// in its three looks at a turned course (its timer repaints it up to twenty
// times a second), beside pixman turning the same dial and arrow; the profile
// graph with a long track, beside cairo filling and stroking the same profile.
#include <benchmark/benchmark.h>

#include <cairo.h>
#include <pixman.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "app/TOrbetaApp.h"
#include "display/usercontrols/TUserControlCompass.h"
#include "display/usercontrols/TUserControlGraficas_2011B.h"
#include "enginelib/draw/IDC.h"
#include "enginelib/draw/TDibIG.h"
#include "enginelib/nav/TTrackRutaBase.h"
#include "enginelib/nav/TValCampo.h"
#include "enginelib/nav/nav_fixture.h"
#include "support/TestEngine.h"
#include "support/TestPaths.h"
#include "uiengine/controls/RegisterControls.h"
#include "uiengine/core/TPDAUIEngineXml.h"
#include "uiengine/elements/TPDAUIEngineElementFactory.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

// A page holding what a benchmark places on it.
class HostPage : public TPDAUIEngineElementPage {
public:
    explicit HostPage(TPDAUIEngine* e) : TPDAUIEngineElementPage(e) {}
    void OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage* p, TPDAUIEngineElement* par, TPDAUIEngineXml*,
                TFicheroITV*) override
    {
        std::string text = "<page id=\"pageHost\" layout=\"Absolute\" background=\"#000000\"/>";
        TPDAUIEngineXml node;
        node.Parse(&text[0]);
        TPDAUIEngineElementPage::OnLoad(e, p, par, &node, nullptr);
    }
};

// The application on the headless engine with the default skin and the library started.
class BenchApp : public TOrbetaApp {
public:
    BenchApp()
    {
        navtest::InMemory(engine);
        navtest::Start(engine);
        RegisterControlElements(&TPDAUIEngineElementFactory::RegisterTag);
        ui = new TestEngine(800, 480);
        uiEngine = ui;
        ui->skinsFolder = (testpaths::SourceDir() + "/skins").c_str();
        DString name("default"), error;
        ui->LoadSkin(name, "", "", "", error);
        ui->callbacks.userData = this;
        ui->callbacks.translate = [](void* user, DString* text, int) {
            static_cast<BenchApp*>(user)->engine.Sustituye_Id_Idioma(*text);
            return 1;
        };
        host = new HostPage(ui);
        ui->OpenPage(host);
        TValCampo course;
        course.valor = 33;
        engine.fields.forced[47] = course;
        course.valor = 75;
        engine.fields.forced[313] = course;
    }
    ~BenchApp() override
    {
        ui->pages.RemoveAllEqual(host);
        delete host;
        delete ui;
        uiEngine = nullptr;
    }
    void PlatformHook() override {}
    template <class T>
    T* Place(T* control, int width, int height)
    {
        host->AddChild(control, nullptr, nullptr);
        control->SetBounds(0, 0, width, height);
        return control;
    }

    TestEngine* ui = nullptr;
    HostPage* host = nullptr;
};

struct Target {
    TDibIG dib;
    IDC dc;
    Target(int w, int h)
    {
        dib.Crea(w, h, 32);
        dc.BeginPaintDib(&dib);
    }
    ~Target() { dc.EndPaintDib(); }
};

void BM_CompassPaint(benchmark::State& state)
{
    static const int kSizes[][2] = {{128, 128}, {56, 56}, {240, 32}};
    const int* size = kSizes[state.range(0)];
    BenchApp app;
    TUserControlCompass* compass = app.Place(new TUserControlCompass(&app), size[0], size[1]);
    Target t(size[0], size[1]);
    for (auto _ : state)
        compass->Paint(&t.dc, 0, 0);
    state.SetLabel(state.range(0) == 0 ? "dial" : state.range(0) == 1 ? "rose" : "tape");
}
BENCHMARK(BM_CompassPaint)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

// The floor of the dial: the dial and the arrow turned and blended with
// pixman alone (bilinear), from premultiplied copies made once.
void BM_PixmanDialFloor(benchmark::State& state)
{
    BenchApp app;
    std::vector<std::vector<uint32_t>> pixels;
    std::vector<pixman_image_t*> images;
    for (const char* name : {"commonCompas", "commonCompasArrow1"}) {
        const TDibIG* d = app.ui->resources.GetImage(name);
        const int w = d ? d->Width() : 1, h = d ? std::abs(d->Height()) : 1;
        pixels.emplace_back(size_t(w) * h);
        for (int y = 0; d && y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const TColorIG c = d->GetPixel(x, y);
                pixels.back()[size_t(y) * w + x] = c.ToARGB(255);
            }
        images.push_back(pixman_image_create_bits(PIXMAN_a8r8g8b8, w, h, pixels.back().data(), w * 4));
        pixman_image_set_filter(images.back(), PIXMAN_FILTER_BILINEAR, nullptr, 0);
    }
    Target t(128, 128);
    pixman_image_t* dst = pixman_image_create_bits(PIXMAN_x8r8g8b8, 128, 128,
                                                   reinterpret_cast<uint32_t*>(t.dib.Row(0)), t.dib.RowStep());
    for (int i = 0; i < 2; ++i) {
        const double a = (i == 0 ? -33 : 75) * kPi / 180;
        pixman_transform_t m;
        pixman_transform_init_identity(&m);
        pixman_transform_translate(&m, nullptr, pixman_double_to_fixed(-62), pixman_double_to_fixed(-62));
        pixman_transform_rotate(&m, nullptr, pixman_double_to_fixed(std::cos(-a)), pixman_double_to_fixed(std::sin(-a)));
        pixman_transform_translate(&m, nullptr, pixman_double_to_fixed(64), pixman_double_to_fixed(64));
        pixman_image_set_transform(images[i], &m);
    }
    for (auto _ : state)
        for (pixman_image_t* img : images)
            pixman_image_composite32(PIXMAN_OP_OVER, img, nullptr, dst, 0, 0, 0, 0, 2, 2, 124, 124);
    pixman_image_unref(dst);
    for (pixman_image_t* img : images)
        pixman_image_unref(img);
}
BENCHMARK(BM_PixmanDialFloor)->Unit(benchmark::kMicrosecond);

// A profile of about n points: the demo route sampled every 6000 / n metres.
TRuta* LongTrack(int points) { return TRuta::DeLaEtapa(0, std::max(0.5, 6000.0 / points)); }

void BM_GraphPaint(benchmark::State& state)
{
    BenchApp app;
    std::unique_ptr<TRuta> track(LongTrack((int)state.range(0)));
    TUserControlGraficas_2011B* graph = app.Place(new TUserControlGraficas_2011B(&app, track.get(), 2), 400, 200);
    Target t(400, 200);
    for (auto _ : state)
        graph->Paint(&t.dc, 0, 0);
    state.counters["points"] = (double)track->puntos.size();
}
BENCHMARK(BM_GraphPaint)->Arg(500)->Arg(10000)->Unit(benchmark::kMicrosecond);

// The floor of the graph: cairo filling and stroking the same profile on the
// same surface, with no axes or labels.
void BM_CairoProfileFloor(benchmark::State& state)
{
    std::unique_ptr<TRuta> track(LongTrack((int)state.range(0)));
    const auto& pts = track->puntos;
    double lo = pts[0].altitude, hi = lo;
    for (const TPuntoTrack& p : pts)
        lo = std::min(lo, p.altitude), hi = std::max(hi, p.altitude);
    const double w = 354, h = 176, length = std::max(1.0, track->Length()), span = std::max(1.0, hi - lo);
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 400, 200);
    for (auto _ : state) {
        cairo_t* cr = cairo_create(surface);
        cairo_set_source_rgb(cr, 0.03, 0.1, 0.2);
        cairo_paint(cr);
        cairo_move_to(cr, 40, 182);
        for (const TPuntoTrack& p : pts)
            cairo_line_to(cr, 40 + p.distance / length * w, 182 - (p.altitude - lo) / span * h);
        cairo_line_to(cr, 40 + w, 182);
        cairo_close_path(cr);
        cairo_set_source_rgba(cr, 0.35, 0.6, 0.3, 0.45);
        cairo_fill(cr);
        for (size_t i = 0; i < pts.size(); ++i) {
            const double x = 40 + pts[i].distance / length * w, y = 182 - (pts[i].altitude - lo) / span * h;
            i ? cairo_line_to(cr, x, y) : cairo_move_to(cr, x, y);
        }
        cairo_set_source_rgb(cr, 0.15, 0.4, 0.15);
        cairo_set_line_width(cr, 2);
        cairo_stroke(cr);
        cairo_destroy(cr);
        cairo_surface_flush(surface);
    }
    cairo_surface_destroy(surface);
}
BENCHMARK(BM_CairoProfileFloor)->Arg(500)->Arg(10000)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
