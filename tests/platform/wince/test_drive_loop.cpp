// The program on the default skin follows the simulated drive for two whole
// loops on the headless window: nothing breaks, and what it holds in memory
// after the first loop is what it holds after the second. Under the address
// sanitizer one loop is driven and memory is not compared: the sanitizer keeps
// freed memory in quarantine, and its checks make a loop take minutes.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "enginelib/nav/TConfig.h"
#include "enginelib/nav/TDemoRoute.h"
#include "platform/wince/TOrbetaAppWinCE.h"
#include "platform/wince/TPDAUIEngineWinCE.h"
#include "support/TestPaths.h"
#include "wincore/WinApi.h"
#include "wincore/headless/THeadlessBackend.h"

#if defined(__SANITIZE_ADDRESS__)
#define DRIVE_LOOP_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define DRIVE_LOOP_UNDER_ASAN 1
#endif
#endif

namespace {

namespace fs = std::filesystem;

#ifdef DRIVE_LOOP_UNDER_ASAN
const int kLoops = 1;
#else
const int kLoops = 2;
#endif

long ResidentKb()
{
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// Notes the resident memory at the first frame past each mark of virtual time.
class SamplingBackend : public THeadlessBackend {
public:
    SamplingBackend(uint32_t first, uint32_t second) : THeadlessBackend(800, 480), marks_{first, second} {}
    void Present(const TWinFrame& frame) override
    {
        THeadlessBackend::Present(frame);
        const uint32_t now = Now();
        for (int i = 0; i < 2; ++i)
            if (!resident[i] && now >= marks_[i])
                resident[i] = ResidentKb();
    }
    long resident[2] = {0, 0};

private:
    uint32_t marks_[2];
};

class App : public TOrbetaAppWinCE {
public:
    explicit App(const std::string& folder)
    {
        programFolder = folder.c_str();
        engine.dataFolder.clear();
        engine.libraryFolder = testpaths::SourceDir() + "/enginelib/nav/data";
        engine.config = new TConfig("");
    }
};

TEST(DriveLoop, LoopsOfTheDriveRunCleanAndKeepMemoryFlat)
{
    testpaths::TempDir dir;
    const fs::path program = fs::path(dir.path()) / "program";
    fs::create_directories(program / "symbols");
    fs::create_directory_symlink(testpaths::SourceDir() + "/skins", program / "symbols/skins");
    fs::copy_file(testpaths::SourceDir() + "/skins/default/ObKeys_D.cxml", program / "ObKeys_D.cxml");
    fs::create_directories(dir / "locks");
    WinSetLockFolder(dir / "locks");
    setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1);

    const uint32_t loop = (uint32_t)(TDemoRoute::Get().Period() * 1000.0);
    const uint32_t startUp = 20000;
    auto made = std::make_unique<SamplingBackend>(startUp + loop, startUp + 2 * loop);
    SamplingBackend* backend = made.get();
    backend->SetTimeLimit(startUp + kLoops * loop + 5000);
    backend->SetFrameLimit(1);
    WinUseBackend(std::move(made));
    TPDAUIEngineWinCE::SetProcessEndHook([](int) {});

    {
        App app(program.string());
        ASSERT_TRUE(app.Init());
        EXPECT_FALSE(app.Run());
        EXPECT_EQ(1, app.uiEngine->quit);  // ended by the time limit, not by a failure
    }
    ::testing::Test::RecordProperty("resident_kb_after_loop_1", (int)backend->resident[0]);
    ::testing::Test::RecordProperty("resident_kb_after_loop_2", (int)backend->resident[1]);
    ::testing::Test::RecordProperty("frames", (int)backend->FrameCount());
    ASSERT_GT(backend->resident[0], 0);
#ifndef DRIVE_LOOP_UNDER_ASAN
    ASSERT_GT(backend->resident[1], 0);
    // A leak of a few hundred bytes per second of driving would show here.
    EXPECT_LE(backend->resident[1] - backend->resident[0], 1024)
        << "resident " << backend->resident[0] << " kB after one loop, " << backend->resident[1] << " kB after two";
#endif
    EXPECT_GT(backend->FrameCount(), 400u * kLoops);  // it kept painting as the car moved
    EXPECT_TRUE(backend->MessageBoxes().empty());

    WinUseBackend(nullptr);
    TPDAUIEngineWinCE::SetProcessEndHook(nullptr);
    unsetenv("XDG_DATA_HOME");
}

} // namespace
