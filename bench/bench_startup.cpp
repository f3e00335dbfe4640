// Start-up of the program on the headless backend: from a new application
// object to the main page's first presented frame (splash page, library start,
// main page), with the default skin read from XML and from its compiled form;
// and the process's resident memory once the main page is up.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "enginelib/nav/TConfig.h"
#include "platform/wince/TOrbetaAppWinCE.h"
#include "platform/wince/TPDAUIEngineWinCE.h"
#include "wincore/WinApi.h"
#include "wincore/headless/THeadlessBackend.h"

namespace fs = std::filesystem;

namespace {

// A program folder with a copy of the skins (the compiled one is written into it).
struct Program {
    Program()
    {
        root = fs::temp_directory_path() / ("orbeta_bench_startup_" + std::to_string(getpid()));
        fs::create_directories(root / "symbols");
        fs::copy(fs::path(ORBETA_SOURCE_DIR) / "skins", root / "symbols/skins", fs::copy_options::recursive);
        fs::copy_file(fs::path(ORBETA_SOURCE_DIR) / "skins/default/ObKeys_D.cxml", root / "ObKeys_D.cxml");
        fs::create_directories(root / "locks");
        WinSetLockFolder((root / "locks").string());
        setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
        TPDAUIEngineWinCE::SetProcessEndHook([](int) {});
        Install(1000);
        auto* app = Make("/compileskins", "");
        app->Init();
        compiled = app->exitCode == 0;
        delete app;
    }
    ~Program() { fs::remove_all(root); }

    THeadlessBackend* Install(uint32_t limitMs)
    {
        auto made = std::make_unique<THeadlessBackend>(800, 480);
        THeadlessBackend* b = made.get();
        b->SetTimeLimit(limitMs);
        b->SetStarveWait(0);
        WinUseBackend(std::move(made));
        return b;
    }

    TOrbetaAppWinCE* Make(const char* line, const char* skin)
    {
        auto* app = new TOrbetaAppWinCE();
        app->programFolder = root.string().c_str();
        app->commandLine = line;
        app->engine.dataFolder.clear();
        app->engine.libraryFolder = std::string(ORBETA_SOURCE_DIR) + "/enginelib/nav/data";
        app->engine.config = new TConfig("");
        app->engine.config->skinName = skin;
        return app;
    }

    fs::path root;
    bool compiled = false;
};

Program& TheProgram()
{
    static Program program;
    return program;
}

double ResidentMegabytes()
{
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return resident * (double)sysconf(_SC_PAGESIZE) / (1024.0 * 1024.0);
}

// The virtual run ends a little after the main page appears (the splash page
// closes at its second 100 ms tick), so the time measured is the start-up's work.
void StartUp(benchmark::State& state, const char* skin)
{
    Program& p = TheProgram();
    if (std::string(skin) != "default" && !p.compiled) {
        state.SkipWithError("the skin could not be compiled");
        return;
    }
    double resident = 0;
    size_t frames = 0;
    for (auto _ : state) {
        state.PauseTiming();
        THeadlessBackend* backend = p.Install(1000);
        TOrbetaAppWinCE* app = p.Make("", skin);
        state.ResumeTiming();
        if (app->Init())
            app->Run();
        state.PauseTiming();
        frames = backend->FrameCount();
        resident = ResidentMegabytes();
        delete app;
        WinUseBackend(nullptr);
        state.ResumeTiming();
    }
    state.counters["frames"] = (double)frames;
    state.counters["resident_MB"] = resident;
}

void BM_StartUpFromXml(benchmark::State& state) { StartUp(state, "default"); }
void BM_StartUpFromCompiledSkin(benchmark::State& state) { StartUp(state, "default.cskin"); }

} // namespace

BENCHMARK(BM_StartUpFromXml)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_StartUpFromCompiledSkin)->Unit(benchmark::kMillisecond)->Iterations(5);

BENCHMARK_MAIN();
