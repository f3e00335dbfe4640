#include "enginelib/base/LibraryLog.h"

#include <mutex>

namespace {
std::mutex g_mutex;
std::function<void(const char*)>& Sink()
{
    static std::function<void(const char*)> sink;
    return sink;
}
} // namespace

void LibraryLog(const char* line)
{
    std::function<void(const char*)> sink;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        sink = Sink();
    }
    if (sink)
        sink(line ? line : "");
}

void SetLibraryLogSink(std::function<void(const char*)> sink)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    Sink() = std::move(sink);
}
