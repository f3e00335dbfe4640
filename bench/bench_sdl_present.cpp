// Showing an 800 x 480 x8r8g8b8 frame through the SDL backend's presenter (the
// software renderer of SDL's dummy video driver), upright and turned, beside
// the same upload and copy written with SDL directly.
#include <benchmark/benchmark.h>

#if __has_include(<SDL.h>)
#include <cstdlib>
#include <vector>

#include <SDL.h>

#include "wincore/sdl2/SdlPresenter.h"

namespace {

constexpr int W = 800, H = 480;

struct Window {
    Window()
    {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        SDL_InitSubSystem(SDL_INIT_VIDEO);
        window = SDL_CreateWindow("bench", 0, 0, W, H, SDL_WINDOW_HIDDEN);
        for (size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = (uint32_t)(i * 2654435761u);
    }
    ~Window()
    {
        if (window)
            SDL_DestroyWindow(window);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
    SDL_Window* window = nullptr;
    std::vector<uint32_t> pixels = std::vector<uint32_t>((size_t)W * H);
};

void BM_PresenterFrame(benchmark::State& state)
{
    Window w;
    sdl2::Presenter presenter;
    if (!w.window || !presenter.Attach(w.window)) {
        state.SkipWithError("no SDL window");
        return;
    }
    const int angle = (int)state.range(0);
    const bool turned = angle == 90 || angle == 270;
    const int fw = turned ? H : W, fh = turned ? W : H;
    for (auto _ : state)
        benchmark::DoNotOptimize(
            presenter.Present((const uint8_t*)w.pixels.data(), fw * 4, fw, fh, SDL_PIXELFORMAT_RGB888, angle));
}
BENCHMARK(BM_PresenterFrame)->Arg(0)->Arg(90)->Arg(180)->Unit(benchmark::kMillisecond);

// The peer: one streaming texture updated and copied with SDL alone.
void BM_RawSdlFrame(benchmark::State& state)
{
    Window w;
    SDL_Renderer* renderer = w.window ? SDL_CreateRenderer(w.window, -1, 0) : nullptr;
    SDL_Texture* texture =
        renderer ? SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, W, H) : nullptr;
    if (!texture) {
        state.SkipWithError("no SDL renderer");
        return;
    }
    for (auto _ : state) {
        SDL_UpdateTexture(texture, nullptr, w.pixels.data(), W * 4);
        SDL_RenderCopy(renderer, texture, nullptr, nullptr);
        SDL_RenderPresent(renderer);
    }
    SDL_DestroyTexture(texture);
    SDL_DestroyRenderer(renderer);
}
BENCHMARK(BM_RawSdlFrame)->Unit(benchmark::kMillisecond);

} // namespace
#endif

BENCHMARK_MAIN();
