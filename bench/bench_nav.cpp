// The navigation library's hot paths: the map page reads dozens of data fields per
// frame, and the real-time message advances the simulated drive every second.
#include <benchmark/benchmark.h>

#include "enginelib/nav/Debug.h"
#include "enginelib/nav/TLumorGPSEngineInterface.h"
#include "enginelib/nav/TNavSimulation.h"
#include "nav_library.h"

namespace {
const int kFields[] = {19,  21,  41,  46,  47,  66,  74,  86,  98,  99,  300, 306, 308,  309,  313,  314,  317,
                       318, 319, 330, 339, 346, 348, 349, 351, 352, 355, 356, 363, 364,  366,  372,  373,  374,
                       379, 380, 391, 394, 805, 1502, 1503, 2103, 2205, 2206};

using Library = BenchNavLibrary;

void BM_AllFieldsAtOneInstant(benchmark::State& state)
{
    Library lib;
    enginelib::Debug::JumpTo("A.M5", -500);
    TValCampo v;
    for (auto _ : state)
        for (int field : kFields) {
            benchmark::DoNotOptimize(lib.f.Retorna_Val_Campo_Global(field, v, false, false));
            benchmark::DoNotOptimize(v.valor);
        }
    state.SetItemsProcessed(state.iterations() * (int64_t)(sizeof kFields / sizeof kFields[0]));
}
BENCHMARK(BM_AllFieldsAtOneInstant);

// One simulated second: the pulse, then what the map page reads for it.
void BM_OneSimulatedSecond(benchmark::State& state)
{
    Library lib;
    enginelib::Debug::At(100);
    TValCampo v;
    for (auto _ : state) {
        enginelib::Debug::Advance(1000);
        lib.f.recorder.TakePosted();
        for (int field : {21, 47, 300, 318, 330, 351})
            lib.f.Retorna_Val_Campo_Global(field, v, false, false);
        benchmark::DoNotOptimize(v.valor);
    }
}
BENCHMARK(BM_OneSimulatedSecond);
} // namespace

BENCHMARK_MAIN();
