// Box layout: one full layout pass (SetBounds of the root) over nested boxes
// of alternating Vertical and Horizontal layouts, and over a long scrolling
// list; AddChild into one wide box; and a page of 1,000 and of 10,000 elements
// (boxes of boxes with labels and buttons) parsed, loaded and laid out, whose
// ratio shows whether the whole costs linear time. Minimum sizes are
// remembered for one pass, so a pass visits each box's measure once per size
// asked rather than once per level above it.
#include <benchmark/benchmark.h>

#include <memory>
#include <sstream>
#include <string>

#include "tests/support/QuietEngine.h"
#include "uiengine/controls/RegisterLabelAndButton.h"
#include "uiengine/core/TPDAUIEngineXml.h"
#include "uiengine/elements/TPDAUIEngineElementBox.h"
#include "uiengine/elements/TPDAUIEngineElementFactory.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"
#include "uiengine/fonts/TPDAUIEngineFontManager.h"
#include "uiengine/fonts/TPDAUIEngineStyleFont.h"

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

// Children added one by one to a single box (no XML: the adding alone).
void BM_AddChildren(benchmark::State& state)
{
    for (auto _ : state) {
        TPDAUIEngineElementBox box;
        for (int i = 0; i < state.range(0); ++i)
            box.AddChild(new TPDAUIEngineElementBox(), nullptr, nullptr);
        benchmark::DoNotOptimize(box.children.Count());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_AddChildren)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

// Text of fixed metrics: every character half the font size wide, one line
// the font size high.
class FixedMetrics : public TPDAUIEngineFontManager::TFontRenderer {
public:
    FixedMetrics()
    {
        family = "Bench";
        valid = true;
    }
    void AdjustFont(TPDAUIEngineStyleFont&) override {}
    void GetTextExtent(int& width, int& height, const TPDAUIEngineStyleFont& font, const CDString& text, int,
                       int) override
    {
        width = text.Length() * (font.size / 2 + 1);
        height = font.size;
    }
    int FitFontSize(const TPDAUIEngineStyleFont& font, const CDString&, const TRectIG&, int, int) override
    {
        return font.size;
    }
    int DrawText(IDC*, const TPDAUIEngineStyleFont&, TColorIG, const TColorIG*, const CDString&, TRectIG&, int,
                 int) override
    {
        return 1;
    }
    int GetLinesHeight(const TPDAUIEngineStyleFont& font, const CDString&, int lineCount, int) override
    {
        return (lineCount < 1 ? 1 : lineCount) * font.size;
    }
    int GetMemoryUsage() override { return 0; }
    TDibIG* GetGlyph(int, int, TRectIG&, int&, int&) override { return nullptr; }
};

class PageEngine : public QuietEngine {
public:
    PageEngine()
    {
        OnResize(0, 0, 800, 480);
        fontManager.Adopt(new FixedMetrics());
        static const bool registered = [] {
            RegisterLabelAndButtonElements(&TPDAUIEngineElementFactory::RegisterTag);
            return true;
        }();
        (void)registered;
    }
};

// A section of about budget elements: a header row (label and button), then
// either rows of a label, a button and a spacer, or four sub-sections, so that
// the nesting deepens with the size as a real page's does.
void Section(std::ostringstream& x, int budget, int depth, int& n)
{
    const bool across = depth % 2 == 1;
    x << "<box layout=\"" << (across ? "Horizontal" : "Vertical") << "\" paddingInner=\"2\" padding=\"1\""
      << (depth % 3 == 0 ? " border=\"Solid 1 #808080\"" : "") << " flex=\"" << depth % 2 << "\">";
    x << "<box layout=\"Horizontal\" align=\"Center\"><label label=\"Section " << n
      << "\" flex=\"1\"/><button label=\"Go\" onCommand=\"go\"/></box>";
    n += 4;
    budget -= 4;
    if (budget <= 24) {
        for (; budget > 0; budget -= 4, n += 4)
            x << "<box layout=\"Horizontal\" paddingInner=\"3\"><label label=\"Row " << n
              << "\" flex=\"1\"/><button label=\"Edit\"/><box minimumWidth=\"8\"/></box>";
    } else {
        for (int i = 0; i < 4; ++i)
            Section(x, budget / 4, depth + 1, n);
    }
    x << "</box>";
}

std::string NestedPageXml(int total, int& elements)
{
    std::ostringstream x;
    int n = 1;
    x << "<page id=\"pageBench\" padding=\"4\">";
    Section(x, total - 1, 0, n);
    x << "</page>";
    elements = n;
    return x.str();
}

// The stages of showing a page that a benchmark times.
enum EStages { StageParse = 1, StageLoad = 2, StageLayout = 4 };

// Times the given stages on the nested page of state.range(0) elements; the
// stages not timed run once beforehand. The time per element of the two sizes
// is the measure of linearity (10,000 should cost at most 1.2 x ten times 1,000).
void NestedPage(benchmark::State& state, int stages)
{
    PageEngine engine;
    int elements = 0;
    const std::string xml = NestedPageXml((int)state.range(0), elements);
    std::string buffer = xml;
    std::unique_ptr<TPDAUIEngineXml> root(new TPDAUIEngineXml());
    std::unique_ptr<TPDAUIEngineElementPage> page;
    if (!(stages & StageParse))
        root->Parse(&buffer[0]);
    if (!(stages & StageLoad)) {
        page.reset(new TPDAUIEngineElementPage(&engine));
        page->OnLoad(&engine, nullptr, nullptr, root.get(), nullptr);
    }
    for (auto _ : state) {
        if (stages & StageParse) {
            buffer = xml;
            root.reset(new TPDAUIEngineXml());
            root->Parse(&buffer[0]);
        }
        if (stages & StageLoad) {
            page.reset(new TPDAUIEngineElementPage(&engine));
            page->OnLoad(&engine, nullptr, nullptr, root.get(), nullptr);
            // A page read from its file drops the document once built, before
            // it is laid out.
            if (stages & StageParse)
                root.reset();
        }
        if (stages & StageLayout)
            page->Layout();
        benchmark::DoNotOptimize(page ? page->children.Count() : root->children.Count());
    }
    state.counters["elements"] = elements;
    state.counters["ns/element"] = benchmark::Counter(
        (double)elements, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_LoadLayoutNestedPage(benchmark::State& state) { NestedPage(state, StageParse | StageLoad | StageLayout); }
BENCHMARK(BM_LoadLayoutNestedPage)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// The stages apart: the XML reader's share, loading the elements, layout.
void BM_ParseNestedPage(benchmark::State& state) { NestedPage(state, StageParse); }
BENCHMARK(BM_ParseNestedPage)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_LoadNestedPage(benchmark::State& state) { NestedPage(state, StageLoad); }
BENCHMARK(BM_LoadNestedPage)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_LayoutNestedPage(benchmark::State& state) { NestedPage(state, StageLayout); }
BENCHMARK(BM_LayoutNestedPage)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
