#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Whether n bytes at a and b are equal. For the short runs compared at every
// element of a page: inline, without a library call, and without a byte loop
// (the last piece overlaps the one before it).
inline bool SameBytes(const void* a, const void* b, size_t n)
{
    const unsigned char* x = static_cast<const unsigned char*>(a);
    const unsigned char* y = static_cast<const unsigned char*>(b);
    auto same = [](const unsigned char* p, const unsigned char* q, size_t size) {
        uint64_t u = 0, v = 0;
        std::memcpy(&u, p, size);
        std::memcpy(&v, q, size);
        return u == v;
    };
#if defined(__SSE2__)
    if (n >= 16) {
        auto same16 = [](const unsigned char* p, const unsigned char* q) {
            const __m128i u = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q));
            return _mm_movemask_epi8(_mm_cmpeq_epi8(u, v)) == 0xFFFF;
        };
        size_t at = 0;
        for (; at + 16 <= n; at += 16)
            if (!same16(x + at, y + at))
                return false;
        return at == n || same16(x + n - 16, y + n - 16);
    }
#else
    for (; n >= 16; n -= 16, x += 16, y += 16)
        if (!same(x, y, 8) || !same(x + 8, y + 8, 8))
            return false;
#endif
    if (n >= 8)
        return same(x, y, 8) && same(x + n - 8, y + n - 8, 8);
    if (n >= 4)
        return same(x, y, 4) && same(x + n - 4, y + n - 4, 4);
    if (n >= 2)
        return same(x, y, 2) && same(x + n - 2, y + n - 2, 2);
    return n == 0 || *x == *y;
}
