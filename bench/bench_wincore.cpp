// The message queue's round trip: a posted message taken back by GetMessageW
// and dispatched to the window procedure (headless backend).
#include <benchmark/benchmark.h>

#include <memory>

#include "wincore/WinApi.h"
#include "wincore/headless/THeadlessBackend.h"

namespace {

LRESULT Proc(HWND h, UINT m, WPARAM w, LPARAM l)
{
    if (m == WM_USER)
        return LRESULT(w) + l;
    return DefWindowProcW(h, m, w, l);
}

HWND MakeWindow()
{
    WinUseBackend(std::make_unique<THeadlessBackend>());
    WNDCLASSW wc{};
    wc.lpfnWndProc = &Proc;
    wc.lpszClassName = u"BenchWindow";
    RegisterClassW(&wc);
    HWND hwnd = CreateWindowExW(0, u"BenchWindow", u"", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    ValidateRect(hwnd, nullptr);
    return hwnd;
}

void BM_PostGetDispatch(benchmark::State& state)
{
    HWND hwnd = MakeWindow();
    SetTimer(hwnd, 6, 50, nullptr); // the host's timer is always there
    MSG m;
    for (auto _ : state) {
        PostMessageW(hwnd, WM_USER, 1, 2);
        GetMessageW(&m, nullptr, 0, 0);
        benchmark::DoNotOptimize(DispatchMessageW(&m));
    }
    WinUseBackend(nullptr);
}
BENCHMARK(BM_PostGetDispatch);

void BM_SendSameThread(benchmark::State& state)
{
    HWND hwnd = MakeWindow();
    for (auto _ : state)
        benchmark::DoNotOptimize(SendMessageW(hwnd, WM_USER, 1, 2));
    WinUseBackend(nullptr);
}
BENCHMARK(BM_SendSameThread);

} // namespace

BENCHMARK_MAIN();
