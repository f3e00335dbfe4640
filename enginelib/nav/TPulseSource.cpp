#include "enginelib/nav/TPulseSource.h"

#include <chrono>

void TPulseSource::Start(std::function<void()> pulse, int intervalMs)
{
    Stop();
    stop_ = false;
    thread_ = std::thread([this, pulse, intervalMs] {
        std::unique_lock<std::mutex> lock(mutex_);
        auto next = std::chrono::steady_clock::now();
        while (!stop_) {
            next += std::chrono::milliseconds(intervalMs);
            if (wake_.wait_until(lock, next, [this] { return stop_; }))
                break;
            lock.unlock();
            pulse();
            lock.lock();
        }
    });
}

void TPulseSource::Stop()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable())
        thread_.join();
}
