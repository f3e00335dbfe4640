// The long random-input stress run: stress_input [events [seed]] plays that many
// random events (default a million) against every page of the stress skin and
// reports the speed and the growth of resident memory over the run, read from
// /proc/self/status. Memory that keeps growing while the same pages open and
// close again is a leak or an unbounded cache. Exits 1 when the skin does not
// load or an element outlives its page.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "stress/StressRun.h"
#include "support/TestEngine.h"
#include "uiengine/elements/TPDAUIEngineElement.h"

namespace {

// VmRSS of this process in kB, 0 when unknown.
long ResidentKb()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.compare(0, 6, "VmRSS:") == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const long events = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 1000000;
    const uint32_t seed = argc > 2 ? (uint32_t)std::strtoul(argv[2], nullptr, 0) : 0x5EED0000u;
    if (events <= 0) {
        std::fprintf(stderr, "usage: %s [events [seed]]\n", argv[0]);
        return 2;
    }
    const int baseline = TPDAUIEngineElement::GetLiveCount();
    long startKb = 0, endKb = 0, peakKb = 0;
    StressRun::Counts c;
    double seconds = 0;
    {
        StressRun run(seed);
        if (!run.Loaded()) {
            std::fprintf(stderr, "the stress skin did not load\n");
            return 1;
        }
        // Warm up first: fonts, images and glyph caches fill on the first pages.
        const long warmUp = events / 20 > 0 ? events / 20 : 1;
        run.Run((int)warmUp);
        startKb = ResidentKb();
        const int steps = 10;
        const auto begin = std::chrono::steady_clock::now();
        long done = warmUp;
        for (int s = 1; s <= steps; ++s) {
            const long until = warmUp + (events - warmUp) * s / steps;
            run.Run((int)(until - done));
            done = until;
            const long kb = ResidentKb();
            peakKb = kb > peakKb ? kb : peakKb;
            std::printf("%10ld events  %8ld kB resident\n", done, kb);
            std::fflush(stdout);
        }
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
        endKb = ResidentKb();
        c = run.counts();
        run.CloseAll();
    }
    const int leftOver = TPDAUIEngineElement::GetLiveCount() - baseline;
    std::printf("events %ld in %.1f s (%.0f events/s), seed 0x%X\n", events, seconds,
                (double)(events - events / 20) / (seconds > 0 ? seconds : 1), seed);
    std::printf("presses %d moves %d releases %d keys %d wheels %d timer passes %d paints %d\n", c.presses,
                c.moves, c.releases, c.keys, c.wheels, c.timerPasses, c.paints);
    std::printf("pages opened %d closed %d, screen turns %d, commands %d, message boxes %d\n", c.opens, c.closes,
                c.turns, c.commands, c.messageBoxes);
    std::printf("resident after warm-up %ld kB, at the end %ld kB, peak %ld kB: growth %+ld kB\n", startKb, endKb,
                peakKb, endKb - startKb);
    std::printf("elements left after closing every page: %d\n", leftOver);
    return leftOver == 0 ? 0 : 1;
}
