#pragma once
#include <atomic>

// The progress of one of the library's slow processes (map loading, imports),
// shared between the library's worker and the program's progress display; any
// thread may read or set it.
class TMonitorProc {
public:
    virtual ~TMonitorProc() = default;
    // Whether the process has finished.
    virtual bool Terminado() const { return done.load(); }
    void Termina() { done = true; }
    // The user asked to stop the process.
    void Cancela() { cancelled = true; }
    bool Cancelado() const { return cancelled.load(); }
    // Percent done, 0 to 100, or -1 when unknown.
    std::atomic<int> percent{-1};

private:
    std::atomic<bool> done{false};
    std::atomic<bool> cancelled{false};
};
