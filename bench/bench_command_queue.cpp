// Posted-command queue: PostCommand and drain throughput, with a plain
// mutex-and-deque queue of strings as the peer, and the cost that the purge of
// queued commands adds to every element's destruction.
#include <benchmark/benchmark.h>

#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "uiengine/core/TPDAUIEngineCommand.h"
#include "uiengine/elements/TPDAUIEngineElement.h"

namespace {

class Leaf : public TPDAUIEngineElement {
public:
    void Paint(IDC*, int, int) override {}
};

// The peer: the least a thread-safe command queue can do.
class PlainQueue {
public:
    void Post(const std::string& name, int v)
    {
        std::string copy(name);
        std::lock_guard<std::mutex> lock(mutex_);
        items_.emplace_back(std::move(copy), v);
    }
    bool Pop(std::string& name, int& v)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (items_.empty())
            return false;
        name = std::move(items_.front().first);
        v = items_.front().second;
        items_.pop_front();
        return true;
    }

private:
    std::mutex mutex_;
    std::deque<std::pair<std::string, int>> items_;
};

const char* kName = "PDAUIEngineElement:1005:refresh";

void BM_PostThenPop(benchmark::State& state)
{
    TPDAUIEngineCommandQueue queue;
    TPDAUIEngineCommand c(nullptr, kName, 1, 2);
    TPDAUIEngineCommand out;
    for (auto _ : state) {
        queue.Post(c);
        queue.Pop(out);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PostThenPop);

void BM_Peer_PostThenPop(benchmark::State& state)
{
    PlainQueue queue;
    std::string name(kName), out;
    int v;
    for (auto _ : state) {
        queue.Post(name, 1);
        queue.Pop(out, v);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Peer_PostThenPop);

// A burst of posts drained in one timer pass.
void BM_BurstThenDrain(benchmark::State& state)
{
    const int n = (int)state.range(0);
    TPDAUIEngineCommandQueue queue;
    TPDAUIEngineCommand c(nullptr, kName, 1, 2);
    TPDAUIEngineCommand out;
    for (auto _ : state) {
        for (int i = 0; i < n; ++i)
            queue.Post(c);
        while (queue.Pop(out))
            benchmark::DoNotOptimize(out.value1);
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_BurstThenDrain)->Arg(10)->Arg(1000)->Arg(100000);

// Posting threads against one draining thread, as worker threads feed the UI
// thread: items per second through the queue.
template <bool Peer>
void Contended(benchmark::State& state)
{
    const int posters = (int)state.range(0);
    const int perThread = 20000;
    for (auto _ : state) {
        TPDAUIEngineCommandQueue queue;
        PlainQueue peer;
        std::vector<std::thread> threads;
        for (int t = 0; t < posters; ++t)
            threads.emplace_back([&] {
                TPDAUIEngineCommand c(nullptr, kName, 1, 2);
                std::string name(kName);
                for (int i = 0; i < perThread; ++i) {
                    if (Peer)
                        peer.Post(name, i);
                    else
                        queue.Post(c);
                }
            });
        int received = 0;
        TPDAUIEngineCommand out;
        std::string name;
        int v;
        while (received < posters * perThread) {
            bool got = Peer ? peer.Pop(name, v) : queue.Pop(out);
            if (got)
                ++received;
            else
                std::this_thread::yield();
        }
        for (auto& th : threads)
            th.join();
    }
    state.SetItemsProcessed(state.iterations() * posters * perThread);
}
void BM_ContendedPostDrain(benchmark::State& state) { Contended<false>(state); }
void BM_Peer_ContendedPostDrain(benchmark::State& state) { Contended<true>(state); }
BENCHMARK(BM_ContendedPostDrain)->Arg(1)->Arg(4)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Peer_ContendedPostDrain)->Arg(1)->Arg(4)->UseRealTime()->Unit(benchmark::kMillisecond);

// What an element's destruction pays for the purge: an empty queue, and one
// holding 1000 commands for other targets.
void BM_ElementLifetime(benchmark::State& state)
{
    TPDAUIEngineCommandQueue queue;
    for (int i = 0; i < state.range(0); ++i)
        queue.Post(TPDAUIEngineCommand(nullptr, kName));
    for (auto _ : state) {
        Leaf* e = new Leaf;
        benchmark::DoNotOptimize(e);
        delete e;
    }
}
BENCHMARK(BM_ElementLifetime)->Arg(0)->Arg(1000);

} // namespace

BENCHMARK_MAIN();
