#include "enginelib/nav/TNavPlatform.h"

#include <mutex>

namespace {
std::mutex g_mutex;
TNavPlatform g_platform;
} // namespace

void SetNavPlatform(const TNavPlatform& platform)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_platform = platform;
}

TNavPlatform NavPlatform()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_platform;
}
