// The data-field display: a data page of eight fields repainted (its timer
// runs every 200 ms, and each auto-fit label may fit its text again), the
// go-to arrow turned onto the screen, and the same arrow tinted red, which
// copies and filters the image on every paint.
#include <benchmark/benchmark.h>

#include <string>

#include "app/TOrbetaApp.h"
#include "app/TUserControlFactory.h"
#include "display/gadgets/TGadgetArrowGoto.h"
#include "display/gadgets/TGadgetPolivalentDataItem.h"
#include "enginelib/draw/IDC.h"
#include "enginelib/draw/TDibIG.h"
#include "enginelib/draw/TSystemFonts.h"
#include "enginelib/nav/TNavSimulation.h"
#include "tests/support/QuietEngine.h"
#include "uiengine/controls/RegisterControls.h"
#include "uiengine/elements/TPDAUIEngineElementFactory.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"
#include "wincore/fonts/TSystemFontsFreeType.h"

namespace {

// The application on a windowless engine with the default skin and the
// library started, its drive stopped at a busy moment.
class BenchApp : public TOrbetaApp {
public:
    BenchApp()
    {
        RegisterControlElements(&TPDAUIEngineElementFactory::RegisterTag);
        engine.dataFolder.clear();
        engine.libraryFolder = std::string(ORBETA_SOURCE_DIR) + "/enginelib/nav/data";
        engine.Inicializa0();
        DString error;
        engine.Inicializa1(error);
        engine.Inicializa2(error);
        if (engine.simulation)
            engine.simulation->SetTime(100);
        static TSystemFontsFreeType* fonts = new TSystemFontsFreeType();
        TSystemFonts::SetInstance(fonts);
        ui = new QuietEngine();
        uiEngine = ui;
        ui->OnResize(0, 0, 800, 480);
        ui->skinsFolder = (std::string(ORBETA_SOURCE_DIR) + "/skins").c_str();
        DString name("default");
        ui->LoadSkin(name, "", "", "", error);
        const std::string fontFolder = std::string(ORBETA_SOURCE_DIR) + "/skins/default/";
        ui->AddFont((fontFolder + "DejaVuSans.ttf").c_str());
        ui->AddFont((fontFolder + "DejaVuSans-Bold.ttf").c_str());
        ui->callbacks.userData = this;
        ui->callbacks.userControlFactory = TUserControlFactory::FuncCreateUserControlElementByNameCallBack;
        page = new TPDAUIEngineElementPage(ui);
    }
    ~BenchApp() override
    {
        page->Detach();
        delete page;
    }
    void PlatformHook() override {}

    // e loaded on the page at (0, 0, w, h).
    template <class T>
    T* Place(T* e, int w, int h)
    {
        page->AddChild(e, nullptr, nullptr);
        e->SetBounds(0, 0, w, h);
        return e;
    }

    QuietEngine* ui = nullptr;
    TPDAUIEngineElementPage* page = nullptr;
};

struct Target {
    Target(int w, int h)
    {
        dib.Crea(w, h, 16);
        dc.BeginPaintDib(&dib);
    }
    ~Target() { dc.EndPaintDib(); }
    TDibIG dib;
    IDC dc;
};

void BM_DataPageOfEightFields(benchmark::State& state)
{
    BenchApp app;
    auto* grid = new TPDAUIEngineElementBox();
    grid->layout = TPDAUIEngineElementBox::LayoutTable;
    grid->layoutColumns = 4;
    grid->layoutRows = 2;
    app.page->AddChild(grid, nullptr, nullptr);
    for (int field : {21, 2103, 98, 41, 306, 86, 19, 330}) {
        auto* g = new TGadgetPolivalentDataItem(&app, field, false, 0);
        g->flex = 1;
        grid->AddChild(g, nullptr, nullptr);
    }
    grid->SetBounds(0, 0, 800, 480);
    Target target(800, 480);
    for (auto _ : state) {
        grid->Paint(&target.dc, 0, 0);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_DataPageOfEightFields)->Unit(benchmark::kMicrosecond);

void ArrowPaint(benchmark::State& state, double offRoute)
{
    BenchApp app;
    TValCampo bearing;
    bearing.valor = 37;
    bearing.unidades = UnidadGrados;
    app.engine.fields.forced[313] = bearing;
    TValCampo off;
    off.valor = offRoute;
    app.engine.fields.forced[317] = off;
    auto* arrow = app.Place(new TGadgetArrowGoto(&app), 128, 128);
    Target target(128, 128);
    for (auto _ : state) {
        arrow->Paint(&target.dc, 0, 0);
        benchmark::ClobberMemory();
    }
}

void BM_ArrowTurned(benchmark::State& state) { ArrowPaint(state, 0); }
BENCHMARK(BM_ArrowTurned)->Unit(benchmark::kMicrosecond);

void BM_ArrowTurnedAndTinted(benchmark::State& state) { ArrowPaint(state, 100); }
BENCHMARK(BM_ArrowTurnedAndTinted)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
