// Loading the default skin and looking its images up, cold and cached.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "enginelib/draw/TSystemFonts.h"
#include "tests/support/QuietEngine.h"
#include "wincore/fonts/TSystemFontsFreeType.h"

namespace {

// An engine without a window over the source tree's skins, with the system
// font service the program installs (the skin's TrueType font goes through it).
class BenchEngine : public QuietEngine {
public:
    BenchEngine()
    {
        OnResize(0, 0, 800, 480);
        skinsFolder = ORBETA_SOURCE_DIR "/skins";
        std::string pattern = (std::filesystem::temp_directory_path() / "orbeta-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()))
            temp_ = pattern;
        tempFolder = temp_.c_str();
        previous_ = TSystemFonts::SetInstance(&fonts_);
    }
    ~BenchEngine() override
    {
        ClearFonts();
        TSystemFonts::SetInstance(previous_);
        std::error_code ec;
        if (!temp_.empty())
            std::filesystem::remove_all(temp_, ec);
    }
    bool Load()
    {
        DString name("default"), error;
        return skinSettings.LoadSkin(*this, name, "green", "green", "green", error);
    }

private:
    std::string temp_;
    TSystemFontsFreeType fonts_;
    TSystemFonts* previous_ = nullptr;
};

const int kCommon = TPDAUIEngineSkinSettings::CommonImageCount;

void LoadCommonImages(BenchEngine& engine)
{
    for (int i = 0; i < kCommon; ++i)
        benchmark::DoNotOptimize(
            engine.resources.GetImage(engine.skinSettings.commonImages[i].c_str()));
}

// Settings, themes, the three stylesheets and the font; no image cached yet.
void BM_LoadSkin_Default(benchmark::State& state)
{
    BenchEngine engine;
    for (auto _ : state) {
        if (!engine.Load()) {
            state.SkipWithError("the default skin does not load");
            break;
        }
    }
    state.counters["fonts"] = engine.fontManager.Count();
}
BENCHMARK(BM_LoadSkin_Default)->Unit(benchmark::kMillisecond);

// A theme change at run time: the same, plus every common image read again.
void BM_LoadSkin_DefaultReloadingCommonImages(benchmark::State& state)
{
    BenchEngine engine;
    engine.Load();
    LoadCommonImages(engine);
    for (auto _ : state)
        engine.Load();
    state.counters["images"] = engine.resources.GetCount();
}
BENCHMARK(BM_LoadSkin_DefaultReloadingCommonImages)->Unit(benchmark::kMillisecond);

// The 27 common images read from their files and themed.
void BM_GetImage_Cold(benchmark::State& state)
{
    BenchEngine engine;
    engine.Load();
    for (auto _ : state) {
        engine.resources.Clear();
        LoadCommonImages(engine);
    }
    state.SetItemsProcessed(state.iterations() * kCommon);
}
BENCHMARK(BM_GetImage_Cold)->Unit(benchmark::kMillisecond);

// The same names found in the cache.
void BM_GetImage_Warm(benchmark::State& state)
{
    BenchEngine engine;
    engine.Load();
    LoadCommonImages(engine);
    for (auto _ : state)
        LoadCommonImages(engine);
    state.SetItemsProcessed(state.iterations() * kCommon);
}
BENCHMARK(BM_GetImage_Warm);

// One frame of the long-press strip by its cell name, cached.
void BM_GetImageCell_Warm(benchmark::State& state)
{
    BenchEngine engine;
    engine.Load();
    LoadCommonImages(engine);
    const char* cell = "commonContextMenuAnimation[5,64,64]";
    engine.resources.GetImage(cell);
    for (auto _ : state)
        benchmark::DoNotOptimize(engine.resources.GetImage(cell));
}
BENCHMARK(BM_GetImageCell_Warm);

} // namespace

BENCHMARK_MAIN();
