// Menus built from a command tree when a menu opens: a tree of about 300
// commands on three levels filled into a menu of the default skin, and the
// refresh of every item's state before it shows. Both run once per opening, so
// each should take well under a frame.
#include <benchmark/benchmark.h>

#include "app/TOrbetaApp.h"
#include "enginelib/nav/TVectorComandas.h"
#include "tests/support/QuietEngine.h"
#include "uiengine/controls/RegisterMenu.h"
#include "uiengine/controls/TPDAUIEngineElementMenu.h"
#include "uiengine/elements/TPDAUIEngineElementFactory.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"

namespace {

class BenchApp : public TOrbetaApp {
public:
    void PlatformHook() override {}
};

struct MenuBench {
    MenuBench() : page(&engine)
    {
        RegisterMenuElements(&TPDAUIEngineElementFactory::RegisterTag);
        engine.OnResize(0, 0, 800, 480);
        engine.skinsFolder = ORBETA_SOURCE_DIR "/skins";
        DString skin("default"), error;
        engine.LoadSkin(skin, "", "", "", error);
        app.engine.libraryFolder = ORBETA_SOURCE_DIR "/enginelib/nav/data";
        app.engine.Inicializa0();
        app.engine.Inicializa2_hWnd(nullptr, nullptr, nullptr);
        app.engine.Inicializa1(error);
        app.engine.Inicializa2(error);
        app.uiEngine = &engine;
        engine.OpenPage(&page);
        menu = new TPDAUIEngineElementMenu();
        page.AddChild(menu, nullptr, nullptr);
        // Ten top entries, ten under each, two under those: 310 commands, with
        // separators, images from the skin, tiles of the strip and none.
        const int numbers[] = {101, 184, 269, 708, 3015, 4242, 2462, 10, 151, 509};
        for (int i = 0; i < 10; ++i) {
            TVectorComandas& second = tree.Anyade_Comanda(numbers[i], false, "{C101}")->CreaSubMenu();
            for (int j = 0; j < 10; ++j) {
                TVectorComandas& third = second.Anyade_Comanda(numbers[j], false, "&Entry")->CreaSubMenu();
                third.Anyade_Comanda(numbers[(i + j) % 10], false, "Leaf");
                third.Anyade_Comanda(102, false, "Leaf");
            }
        }
    }
    ~MenuBench()
    {
        engine.pages.RemoveAll();
        app.uiEngine = nullptr;
    }
    QuietEngine engine;
    BenchApp app;
    TPDAUIEngineElementPage page;
    TPDAUIEngineElementMenu* menu = nullptr;  // the page's
    TVectorComandas tree;
};

void BM_FillCommandButtons(benchmark::State& state)
{
    MenuBench bench;
    for (auto _ : state) {
        bench.menu->RemoveAllChildren();
        bench.app.FillCommandButtons(bench.menu, nullptr, &bench.tree, 0, "menuItemClicked", 0, 0, 0, false);
        benchmark::DoNotOptimize(bench.menu->children.Count());
    }
}
BENCHMARK(BM_FillCommandButtons)->Unit(benchmark::kMillisecond);

void BM_RefreshMenuItems(benchmark::State& state)
{
    MenuBench bench;
    bench.app.FillCommandButtons(bench.menu, nullptr, &bench.tree, 0, "menuItemClicked", 0, 0, 0, false);
    bool changed = false;
    for (auto _ : state) {
        bench.app.RefreshMenuItems(bench.menu, changed);
        benchmark::DoNotOptimize(changed);
    }
}
BENCHMARK(BM_RefreshMenuItems)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
