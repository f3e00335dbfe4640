// Painting the page stack at 800 x 480.
#include <benchmark/benchmark.h>

#include "tests/support/QuietEngine.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"

namespace {

// An engine without a window: nothing is shown, nothing waits.
class BenchEngine : public QuietEngine {
public:
    BenchEngine() { OnResize(0, 0, 800, 480); }
};

// A page that fills itself and draws a grid of 60 buttons, as a menu page would.
class BenchPage : public TPDAUIEngineElementPage {
public:
    BenchPage(TPDAUIEngine* e, TColorIG c) : TPDAUIEngineElementPage(e), colour(c) {}
    void Paint(IDC* dc, int x, int y) override
    {
        TPDAUIEngineElementPage::Paint(dc, x, y);
        dc->SetBrush(colour);
        dc->SetPen(colour);
        dc->Rectangle(x + left, y + top, x + left + width, y + top + height);
        dc->SetBrush(TColorIG(220, 220, 220));
        dc->SetPen(TColorIG(40, 40, 40));
        for (int r = 0; r < 6; ++r)
            for (int c = 0; c < 10; ++c) {
                int bx = x + left + 10 + c * (width - 20) / 10;
                int by = y + top + 10 + r * (height - 20) / 6;
                dc->Rectangle(bx, by, bx + (width - 20) / 10 - 6, by + (height - 20) / 6 - 6);
            }
    }
    TColorIG colour;
};

// A full-screen page under one that leaves a strip at the top and the bottom:
// the page below shows there, so both pages are painted (with the dim layer).
void BM_PaintPages_TwoPagesBothPainted(benchmark::State& state)
{
    BenchEngine engine;
    BenchPage bottom(&engine, TColorIG(40, 90, 200));
    BenchPage top(&engine, TColorIG(230, 200, 60));
    top.maximumHeight = 432;
    engine.OpenPage(&bottom);
    engine.OpenPage(&top);
    engine.PaintPages();
    for (auto _ : state)
        engine.PaintPages();
    state.SetItemsProcessed(state.iterations());
    engine.pages.RemoveAll();
}
BENCHMARK(BM_PaintPages_TwoPagesBothPainted)->Unit(benchmark::kMicrosecond);

// The page below shows: both pages and the dimming layer are drawn.
void BM_PaintPages_FullScreenAndDialog(benchmark::State& state)
{
    BenchEngine engine;
    BenchPage bottom(&engine, TColorIG(40, 90, 200));
    BenchPage dialog(&engine, TColorIG(230, 200, 60));
    dialog.maximumWidth = 600;
    dialog.maximumHeight = 360;
    engine.OpenPage(&bottom);
    engine.OpenPage(&dialog);
    engine.PaintPages();
    for (auto _ : state)
        engine.PaintPages();
    engine.pages.RemoveAll();
}
BENCHMARK(BM_PaintPages_FullScreenAndDialog)->Unit(benchmark::kMicrosecond);

// One step of a slide: two full-screen images blended with their alphas.
void BM_PaintPages_SlideStep(benchmark::State& state)
{
    BenchEngine engine;
    BenchPage bottom(&engine, TColorIG(40, 90, 200));
    BenchPage top(&engine, TColorIG(230, 200, 60));
    engine.OpenPage(&bottom);
    engine.OpenPage(&top);
    TDibIG lower, upper;
    lower.Crea(800, 480, 24);
    upper.Crea(800, 480, 24);
    const TRectIG full(0, 0, 800, 480);
    bottom.transitionImage = &lower;
    bottom.transitionSource = full;
    bottom.transitionDestination = TRectIG(-100, 0, 700, 480);
    bottom.transitionAlpha = 128;
    top.transitionImage = &upper;
    top.transitionSource = full;
    top.transitionDestination = TRectIG(100, 0, 900, 480);
    top.transitionAlpha = 127;
    for (auto _ : state)
        engine.PaintPages();
    bottom.transitionImage = top.transitionImage = nullptr;
    engine.pages.RemoveAll();
}
BENCHMARK(BM_PaintPages_SlideStep)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
