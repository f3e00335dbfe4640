// Other threads posting into the engine while the UI thread runs its timer
// passes. Besides the checks below, these tests are meant to run under
// ThreadSanitizer (scripts/test), which reports any unguarded access.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <iterator>
#include <thread>
#include <vector>

#include "test_engine_doubles.h"

namespace {

// An element that records, on the UI thread, the posted commands it receives.
class Poster : public RecElement {
public:
    struct Got {
        int thread;
        int sequence;
        int elapsed;
    };
    Poster() : RecElement("tmrPoster", 0, 0, 10, 10, nullptr) {}
    void OnCommand(TPDAUIEngineCommand& command) override
    {
        if (command.name == "work")
            got.push_back({command.value1, command.value2, command.elapsed});
    }
    std::vector<Got> got;
};

class EngineThreads : public ::testing::Test {
protected:
    EngineThreads() : page(&engine, "pageThreads")
    {
        poster = static_cast<Poster*>(page.Add(new Poster));
        engine.OpenPage(&page);
    }
    ~EngineThreads() override
    {
        for (std::thread& th : threads)
            th.join();
        engine.pages.RemoveAll();
    }

    // Starts `count` threads, each posting perThread commands "work" (thread,
    // sequence) through the poster; done counts the threads that finished.
    // Each thread pauses after every tenth post, so that timer passes also run
    // while the queue is empty, when nothing else orders them with the posts.
    void StartPosting(int count, int perThread)
    {
        for (int t = 0; t < count; ++t)
            threads.emplace_back([this, t, perThread] {
                for (int i = 0; i < perThread; ++i) {
                    poster->PostCommand("work", t, i, 0);
                    if (i % 10 == 9)
                        std::this_thread::sleep_for(std::chrono::microseconds(300));
                }
                ++done;
            });
    }
    // Runs the UI thread's clock on, one ms at a time, until the poster has
    // received `count` commands or a minute of real time has gone.
    void RunUntilReceived(int count)
    {
        const auto limit = std::chrono::steady_clock::now() + std::chrono::minutes(1);
        while ((int)poster->got.size() < count && std::chrono::steady_clock::now() < limit)
            engine.Advance(1);
    }
    void JoinPosters()
    {
        for (std::thread& th : threads)
            th.join();
        threads.clear();
    }
    // Each thread's commands arrived in the order posted; with all, none lost.
    void ExpectInOrder(int count, int perThread, bool all)
    {
        std::vector<int> next((size_t)count, 0);
        for (const Poster::Got& g : poster->got) {
            ASSERT_GE(g.thread, 0);
            ASSERT_LT(g.thread, count);
            if (all)
                EXPECT_EQ(next[g.thread], g.sequence) << "thread " << g.thread;
            else
                EXPECT_GE(g.sequence, next[g.thread]) << "thread " << g.thread;
            next[g.thread] = g.sequence + 1;
        }
        if (all) {
            for (int t = 0; t < count; ++t)
                EXPECT_EQ(perThread, next[t]) << "thread " << t;
        }
    }

    TestEngine engine;
    RecPage page;
    Poster* poster;
    std::vector<std::thread> threads;
    std::atomic<int> done{0};
};

TEST_F(EngineThreads, ElementPostsRaceTimerPassesSafely)
{
    const int kThreads = 3;
    const int kPerThread = 500;
    poster->timerInterval = 20;  // below the 50 ms window timer: every pass ticks
    poster->StartTimer();
    ASSERT_EQ(1, poster->timerRunning);
    const int start = engine.Now();

    StartPosting(kThreads, kPerThread);
    // The UI thread: time runs on, timer passes tick the poster and drain.
    RunUntilReceived(kThreads * kPerThread);
    JoinPosters();
    engine.Advance(TestEngine::TimerPeriodMs);
    const int spent = engine.Now() - start;

    ASSERT_EQ(kThreads * kPerThread, (int)poster->got.size());
    EXPECT_GT(poster->ticks, 0);
    ExpectInOrder(kThreads, kPerThread, true);
    for (const Poster::Got& g : poster->got) {
        // Milliseconds since the previous tick of the timer or post: never
        // negative, never more than the run lasted.
        EXPECT_GE(g.elapsed, 0);
        EXPECT_LE(g.elapsed, spent);
    }
    poster->StopTimer();
}

// The UI thread detaches the element and loads it again (a page closed and
// shown again) while other threads post through it: each post sees the element
// either attached, and is delivered in order or dropped with its old id, or
// detached, and does nothing.
TEST_F(EngineThreads, PostsRaceDetachAndReload)
{
    const int kThreads = 2;
    const int kPerThread = 2000;
    StartPosting(kThreads, kPerThread);
    while (done.load() < kThreads) {
        poster->Detach();
        engine.Advance(1);
        poster->OnLoad(&engine, &page, &page, nullptr, nullptr);
        engine.Advance(1);
    }
    JoinPosters();
    engine.Advance(TestEngine::TimerPeriodMs);
    EXPECT_LE((int)poster->got.size(), kThreads * kPerThread);
    ExpectInOrder(kThreads, kPerThread, false);
}

// A poster's elapsed values cover the time between them exactly: on one thread
// each post takes up where the previous one or the timer tick left off.
TEST_F(EngineThreads, ElapsedIsTheTimeSinceThePreviousTickOrPost)
{
    poster->timerInterval = 1000000;  // running, but never ticking here
    poster->StartTimer();

    struct Step {
        int skip;
        int elapsed;
    } steps[] = {{0, 0}, {7, 7}, {30, 30}, {1, 1}, {0, 0}, {250, 250}};
    for (const Step& s : steps) {
        engine.Skip(s.skip);
        poster->PostCommand("work", 0, s.skip, 0);
    }
    poster->StopTimer();
    poster->PostCommand("work", 0, -1, 0);  // not running: 0
    engine.DispatchPostedCommands();

    ASSERT_EQ(std::size(steps) + 1, poster->got.size());
    for (size_t i = 0; i < std::size(steps); ++i)
        EXPECT_EQ(steps[i].elapsed, poster->got[i].elapsed) << "step " << i;
    EXPECT_EQ(0, poster->got.back().elapsed);
}

} // namespace
