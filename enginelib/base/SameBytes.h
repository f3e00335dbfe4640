#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Whether n bytes at a and b are equal. For the short runs compared at every
// element of a page: inline, without a library call.
inline bool SameBytes(const void* a, const void* b, size_t n)
{
    const unsigned char* x = static_cast<const unsigned char*>(a);
    const unsigned char* y = static_cast<const unsigned char*>(b);
#if defined(__SSE2__)
    for (; n >= 16; n -= 16, x += 16, y += 16) {
        const __m128i u = _mm_loadu_si128(reinterpret_cast<const __m128i*>(x));
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(y));
        if (_mm_movemask_epi8(_mm_cmpeq_epi8(u, v)) != 0xFFFF)
            return false;
    }
#endif
    for (; n >= 8; n -= 8, x += 8, y += 8) {
        uint64_t u, v;
        std::memcpy(&u, x, 8);
        std::memcpy(&v, y, 8);
        if (u != v)
            return false;
    }
    for (; n > 0; --n, ++x, ++y)
        if (*x != *y)
            return false;
    return true;
}
