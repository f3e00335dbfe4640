#pragma once
#include <cstdint>
#include <functional>

// Milliseconds from a monotonic clock, as a 32-bit count that wraps after about
// 49.7 days. Compare ticks only through TickElapsed.
uint32_t GetTickCountAdv();

// Milliseconds from `since` to `now`, correct across the wrap of the count.
inline uint32_t TickElapsed(uint32_t now, uint32_t since) { return now - since; }

// Replaces the clock behind GetTickCountAdv (a virtual clock for tests and the
// headless backend). An empty function restores the monotonic clock.
void SetTickSource(std::function<uint32_t()> source);
