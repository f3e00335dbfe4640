#pragma once
// A random-input stress run: a fixed-seed stream of presses, moves, releases,
// keys, wheel turns, timer passes on the virtual clock, paints, page opens and
// closes and screen turns, against pages of the stress skin that hold every
// element and control there is. The same seed gives the same run.
#include <cstdint>
#include <memory>

class TestEngine;

class StressRun {
public:
    // A skin page the run opens (from the stress skin, or the fixture skin
    // behind it); its IFrames get their inner pages, as the application gives them.
    struct Page {
        const char* name;
    };
    // Every page the run opens. A new control joins through a page that holds it.
    static const Page kPages[];
    static const int kPageCount;

    struct Counts {
        int presses = 0, moves = 0, releases = 0, keys = 0, wheels = 0, timerPasses = 0;
        int paints = 0, opens = 0, closes = 0, turns = 0;
        int commands = 0;     // commands that reached a page
        int messageBoxes = 0; // skin errors (none expected)
    };

    // Opens kPages[firstPage] over nothing; the run opens the others at random.
    StressRun(uint32_t seed, int firstPage = 0);
    // Closes every page.
    ~StressRun();
    StressRun(const StressRun&) = delete;
    StressRun& operator=(const StressRun&) = delete;

    // Whether the stress skin loaded.
    bool Loaded() const;
    void Run(int events);
    // Closes every page (pages the run opened are deleted by the engine).
    void CloseAll();
    Counts counts() const;
    TestEngine& engine();

private:
    class Engine;
    class StressPage;

    uint32_t Next();
    int Random(int below) { return (int)(Next() % (uint32_t)below); }
    void Step();
    void Open(int index);

    std::unique_ptr<Engine> engine_;
    uint32_t state_;
    Counts counts_;
    bool down_ = false;
    int x_ = 400, y_ = 240;
};
