// The list box with thousands of rows: filling it, and scrolling it through
// its whole length with a paint per frame, as a kinetic fling does.
#include <benchmark/benchmark.h>

#include <memory>

#include "enginelib/draw/TSystemFonts.h"
#include "tests/support/QuietEngine.h"
#include "uiengine/controls/TPDAUIEngineElementListBox.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"
#include "wincore/fonts/TSystemFontsFreeType.h"

namespace {

using List = TPDAUIEngineElementListBox;

// An 800 x 480 engine without a window; with text, the default skin's font.
class BenchEngine : public QuietEngine {
public:
    explicit BenchEngine(bool text)
    {
        static TSystemFontsFreeType* fonts = new TSystemFontsFreeType();
        TSystemFonts::SetInstance(fonts);
        OnResize(0, 0, 800, 480);
        if (text)
            AddFont(ORBETA_SOURCE_DIR "/skins/default/DejaVuSans.ttf");
    }
};

void Fill(List& list, int rows)
{
    list.RemoveAll();
    for (int i = 0; i < rows; ++i) {
        DString label("Row ");
        label << i;
        List::ListBoxItem item(label, nullptr, nullptr);
        item.description = "second line";
        item.checked = i % 3 == 0;
        list.items.Insert(item, -1);
    }
    list.selectedIndex = 0;
}

// A full-screen page holding one list with descriptions and check boxes.
struct ListPage {
    explicit ListPage(bool text) : engine(text), page(&engine)
    {
        engine.OpenPage(&page);
        page.layout = TPDAUIEngineElementBox::LayoutAbsolute;
        list = new List();
        page.AddChild(list, nullptr, nullptr);
        list->SetAttribute("showDescription", "true");
        list->SetAttribute("showCheckBox", "true");
        list->SetAttribute("width", "800");
        list->SetAttribute("height", "480");
    }
    ~ListPage() { engine.pages.RemoveAll(); }
    BenchEngine engine;
    TPDAUIEngineElementPage page;
    List* list;  // the page's
};

void BM_ListBox_Fill(benchmark::State& state)
{
    ListPage p(false);
    for (auto _ : state) {
        Fill(*p.list, (int)state.range(0));
        p.page.Layout();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ListBox_Fill)->Arg(5000)->Unit(benchmark::kMillisecond);

// One pass from the top to the very end, one row per frame; range(1) draws
// the text (0: the list's own work and the row backgrounds only).
void BM_ListBox_ScrollWholeLength(benchmark::State& state)
{
    ListPage p(state.range(1) != 0);
    Fill(*p.list, (int)state.range(0));
    p.page.Layout();
    TPDAUIEngineElementVScrollBar& bar = p.list->scrollBar;
    const int end = bar.contentHeight - bar.viewHeight;
    const int step = p.list->GetRowPitch() > 0 ? p.list->GetRowPitch() : 1;
    long long frames = 0;
    for (auto _ : state) {
        for (int position = 0; position <= end; position += step) {
            bar.position = position;
            p.engine.PaintPages();
            ++frames;
        }
    }
    state.counters["frames"] = benchmark::Counter((double)frames, benchmark::Counter::kIsRate);
    state.counters["us_per_frame"] =
        benchmark::Counter((double)frames, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ListBox_ScrollWholeLength)
    ->Args({5000, 0})
    ->Args({5000, 1})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

// One frame at the middle of the list, for lists of growing length: the cost
// should not grow with the rows off screen.
void BM_ListBox_PaintMidList(benchmark::State& state)
{
    ListPage p(false);
    Fill(*p.list, (int)state.range(0));
    p.page.Layout();
    p.list->EnsureItemVisible((int)state.range(0) / 2);
    for (auto _ : state)
        p.engine.PaintPages();
}
BENCHMARK(BM_ListBox_PaintMidList)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

// A press that selects a row in the middle of a long list.
void BM_ListBox_PressSelects(benchmark::State& state)
{
    ListPage p(false);
    Fill(*p.list, (int)state.range(0));
    p.page.Layout();
    p.list->EnsureItemVisible((int)state.range(0) / 2);
    for (auto _ : state) {
        p.list->OnMouseDown(100, 200, 0, 0, 0);
        unsigned char handled = 0;
        p.list->OnMouseUp(100, 200, 0, &handled);
    }
}
BENCHMARK(BM_ListBox_PressSelects)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

} // namespace
BENCHMARK_MAIN();
