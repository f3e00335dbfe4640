#pragma once
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

// Calls its function once a second on a thread of its own until stopped (the live
// run's real-time pulse: it only posts a message, the work happens on the UI thread).
class TPulseSource {
public:
    TPulseSource() = default;
    ~TPulseSource() { Stop(); }
    TPulseSource(const TPulseSource&) = delete;
    TPulseSource& operator=(const TPulseSource&) = delete;

    void Start(std::function<void()> pulse, int intervalMs = 1000);
    // Returns when the thread has ended; no pulse comes after.
    void Stop();
    bool IsRunning() const { return thread_.joinable(); }

private:
    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stop_ = false;
};
