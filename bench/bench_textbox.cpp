// Text box scrolling and hit testing on long values: each costs a logarithmic
// number of text measures, so the time per call grows about as n log n
// (a measure reads the piece it measures), not n squared.
#include <benchmark/benchmark.h>

#include <string>

#include "tests/support/QuietEngine.h"
#include "uiengine/controls/TPDAUIEngineElementTextBox.h"
#include "enginelib/draw/TSystemFonts.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"
#include "wincore/fonts/TSystemFontsFreeType.h"

namespace {

class BenchEngine : public QuietEngine {
public:
    BenchEngine() : previous_(TSystemFonts::SetInstance(&fonts_))
    {
        OnResize(0, 0, 800, 480);
        AddFont((std::string(ORBETA_SOURCE_DIR) + "/skins/default/DejaVuSans.ttf").c_str());
    }
    ~BenchEngine() override { TSystemFonts::SetInstance(previous_); }

private:
    TSystemFontsFreeType fonts_;
    TSystemFonts* previous_;
};

void BM_TextBoxScrollToEnd(benchmark::State& state)
{
    BenchEngine engine;
    TPDAUIEngineElementTextBox box;
    box.OnLoad(&engine, nullptr, nullptr, nullptr, nullptr);
    box.font.size = 16;
    box.font.CreateStockFont(nullptr);
    box.SetBounds(0, 0, 300, 30);
    box.value = std::string((size_t)state.range(0), 'x').c_str();
    for (auto _ : state) {
        box.firstVisible = 0;
        box.caretPosition = box.value.Length();
        box.UpdateScroll();
        benchmark::DoNotOptimize(box.firstVisible);
        benchmark::DoNotOptimize(box.GetCaretIndexAt(150));
    }
    state.counters["first"] = box.firstVisible;
    state.counters["xWidth"] = engine.GetTextExtent(box.font, CDString("x")).cx;
    state.SetComplexityN(state.range(0));
    box.Detach();
}
BENCHMARK(BM_TextBoxScrollToEnd)->RangeMultiplier(4)->Range(256, 16384)->Complexity();

} // namespace

BENCHMARK_MAIN();
