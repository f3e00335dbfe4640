#include "enginelib/base/Tick.h"

#include <chrono>
#include <memory>
#include <mutex>

namespace {
std::mutex g_mutex;
std::shared_ptr<const std::function<uint32_t()>> g_source;
} // namespace

uint32_t GetTickCountAdv() {
    std::shared_ptr<const std::function<uint32_t()>> source;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        source = g_source;
    }
    // Called outside the lock, so a virtual clock may itself read the tick.
    if (source) return (*source)();
    using namespace std::chrono;
    auto ms = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    return uint32_t(uint64_t(ms));
}

void SetTickSource(std::function<uint32_t()> source) {
    auto next = source ? std::make_shared<const std::function<uint32_t()>>(std::move(source)) : nullptr;
    std::lock_guard<std::mutex> lock(g_mutex);
    g_source = std::move(next);
}
