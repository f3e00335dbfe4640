// Box layout: one full layout pass (SetBounds of the root) over nested boxes
// of alternating Vertical and Horizontal layouts, and over a long scrolling
// list. Minimum sizes are asked anew at every level, so the cost of a pass
// grows with the nesting depth as well as with the element count.
#include <benchmark/benchmark.h>

#include <memory>

#include "uiengine/elements/TPDAUIEngineElementBox.h"

namespace {

// A tree of depth levels below root, fanout children per box; leaves have a
// fixed minimum size, every other child has flex.
TPDAUIEngineElementBox* Build(int depth, int fanout, bool horizontal, int& count)
{
    auto* box = new TPDAUIEngineElementBox();
    ++count;
    box->layout = horizontal ? TPDAUIEngineElementBox::LayoutHorizontal
                             : TPDAUIEngineElementBox::LayoutVertical;
    box->padding.inner = 2;
    if (depth == 0) {
        box->minimumWidth = 30;
        box->minimumHeight = 20;
        return box;
    }
    for (int i = 0; i < fanout; ++i) {
        TPDAUIEngineElementBox* child = Build(depth - 1, fanout, !horizontal, count);
        child->flex = i % 2;
        box->AddChild(child, nullptr, nullptr);
    }
    return box;
}

void BM_LayoutNested(benchmark::State& state)
{
    int count = 0;
    std::unique_ptr<TPDAUIEngineElementBox> root(
        Build((int)state.range(0), (int)state.range(1), false, count));
    for (auto _ : state) {
        root->SetBounds(0, 0, 480, 800);
        benchmark::DoNotOptimize(root->children[0]->height);
    }
    state.counters["elements"] = count;
    state.counters["elements/s"] =
        benchmark::Counter((double)count, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_LayoutNested)
    ->ArgNames({"depth", "fanout"})
    ->Args({2, 4})
    ->Args({4, 2})
    ->Args({4, 3})
    ->Args({6, 2})
    ->Args({8, 2})
    ->Args({10, 2})
    ->Args({12, 2});

void BM_LayoutScrollList(benchmark::State& state)
{
    TPDAUIEngineElementBox list;
    list.layout = TPDAUIEngineElementBox::LayoutVerticalScroll;
    for (int i = 0; i < state.range(0); ++i) {
        auto* row = new TPDAUIEngineElementBox();
        row->layout = TPDAUIEngineElementBox::LayoutHorizontal;
        for (int k = 0; k < 3; ++k) {
            auto* cell = new TPDAUIEngineElementBox();
            cell->minimumWidth = 40;
            cell->minimumHeight = 24;
            cell->flex = k == 1;
            row->AddChild(cell, nullptr, nullptr);
        }
        list.AddChild(row, nullptr, nullptr);
    }
    for (auto _ : state) {
        list.SetBounds(0, 0, 480, 800);
        benchmark::DoNotOptimize(list.children[0]->height);
    }
    state.counters["rows"] = (double)state.range(0);
}
BENCHMARK(BM_LayoutScrollList)->Arg(100)->Arg(1000);

} // namespace

BENCHMARK_MAIN();
