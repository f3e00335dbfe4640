// The window host: processor time of an idle modal loop (the 50 ms window
// timer only) over 10 s of wall time, and the time from WM_PAINT to the
// presented frame at 800 x 480.
#include <benchmark/benchmark.h>

#include <time.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/wince/TPDAUIEngineWinCE.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"
#include "wincore/TWinBackend.h"
#include "wincore/headless/THeadlessBackend.h"

namespace {

// A backend on the real clock that shows nothing: waits really wait, as a
// display backend's do, so an idle loop costs what it costs on a device.
class RealClockBackend : public TWinBackend {
public:
    const char* Name() const override { return "bench"; }
    uint32_t Now() override
    {
        using namespace std::chrono;
        return (uint32_t)duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    }
    void Sleep(uint32_t ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
    void Pump() override {}
    void Wait(int timeoutMs) override
    {
        ++waits;
        std::unique_lock<std::mutex> lock(mutex_);
        if (timeoutMs < 0)
            cv_.wait(lock, [this] { return woken_; });
        else
            cv_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return woken_; });
        woken_ = false;
    }
    void Wake() override
    {
        std::lock_guard<std::mutex> lock(mutex_);
        woken_ = true;
        cv_.notify_all();
    }
    int DisplayWidth() override { return 800; }
    int DisplayHeight() override { return 480; }
    void Present(const TWinFrame&) override { ++frames; }
    int MessageBox(const std::string&, const std::string&, UINT) override { return IDOK; }

    int waits = 0;
    int frames = 0;

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    bool woken_ = false;
};

// A page that fills the screen and draws a grid of 60 buttons; the native
// message kClose closes it.
const UINT kClose = 6050;

class BenchPage : public TPDAUIEngineElementPage {
public:
    explicit BenchPage(TPDAUIEngine* e) : TPDAUIEngineElementPage(e)
    {
        e->RegisterNativeMessage((int)kClose, "close", this);
    }
    void OnCommand(TPDAUIEngineCommand& command) override
    {
        if (command.name == "close")
            Close(1);
    }
    void Paint(IDC* dc, int x, int y) override
    {
        const int w = engine->ScreenWidth(), h = engine->ScreenHeight();
        dc->SetBrush(TColorIG(40, 90, 200));
        dc->SetPen(TColorIG(40, 90, 200));
        dc->Rectangle(0, 0, w, h);
        dc->SetBrush(TColorIG(220, 220, 220));
        dc->SetPen(TColorIG(40, 40, 40));
        for (int r = 0; r < 6; ++r)
            for (int c = 0; c < 10; ++c) {
                const int bx = 10 + c * (w - 20) / 10, by = 10 + r * (h - 20) / 6;
                dc->Rectangle(bx, by, bx + (w - 20) / 10 - 6, by + (h - 20) / 6 - 6);
            }
    }
};

double ProcessCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return (double)t.tv_sec + (double)t.tv_nsec * 1e-9;
}

void BM_IdleModalLoop(benchmark::State& state)
{
    const int seconds = (int)state.range(0);
    auto made = std::make_unique<RealClockBackend>();
    RealClockBackend* backend = made.get();
    WinUseBackend(std::move(made));
    {
        TPDAUIEngineWinCE host(nullptr, "OrbetaBenchIdle", "Orbeta", 2, 0, 1.0f, 0, 0, -1, -1, 1);
        for (auto _ : state) {
            host.OpenPage(new BenchPage(&host));
            std::thread closer([&] {
                std::this_thread::sleep_for(std::chrono::seconds(seconds));
                PostMessageW(host.Window(), kClose, 0, 0);
            });
            backend->waits = 0;
            const double cpu0 = ProcessCpuSeconds();
            const auto wall0 = std::chrono::steady_clock::now();
            host.RunModalLoop(0);
            const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
            const double cpu = ProcessCpuSeconds() - cpu0;
            closer.join();
            state.counters["core_percent"] = 100.0 * cpu / wall;
            state.counters["wakeups_per_s"] = backend->waits / wall;
            state.counters["frames"] = backend->frames;
        }
    }
    WinUseBackend(nullptr);
}
BENCHMARK(BM_IdleModalLoop)->Arg(10)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

void BM_PaintToPresentedFrame(benchmark::State& state)
{
    auto made = std::make_unique<THeadlessBackend>(800, 480);
    THeadlessBackend* backend = made.get();
    backend->SetFrameLimit(1);
    WinUseBackend(std::move(made));
    {
        TPDAUIEngineWinCE host(nullptr, "OrbetaBenchPaint", "Orbeta", 2, 0, 1.0f, 0, 0, -1, -1, 1);
        BenchPage page(&host);
        host.OpenPage(&page);
        const size_t before = backend->FrameCount();
        for (auto _ : state) {
            // WM_PAINT through the window procedure: the engine paints, the
            // double buffer goes to the display.
            InvalidateRect(host.Window(), nullptr, FALSE);
            UpdateWindow(host.Window());
        }
        if (backend->FrameCount() - before != (size_t)state.iterations())
            state.SkipWithError("a paint presented no frame");
        state.SetItemsProcessed(state.iterations());
        host.pages.RemoveAll();
    }
    WinUseBackend(nullptr);
}
BENCHMARK(BM_PaintToPresentedFrame)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
