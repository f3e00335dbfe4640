#pragma once
#include <climits>
#include <cmath>

// Integer arithmetic that saturates instead of overflowing, for geometry: a skin
// may write any size, margin or padding, and sums of them must neither wrap nor
// be undefined. Running sums are kept in 64 bits within +-2^40 (room for any
// number of int terms without reaching the 64-bit limit), and every value stored
// back into an int is clamped to the int range. Within ordinary sizes the
// results are exactly those of plain int arithmetic.
class TPDAUIEngineSaturate {
public:
    static const long long kWideLimit = 1LL << 40;

    // v brought into the int range.
    static int Clamp(long long v) { return v > INT_MAX ? INT_MAX : (v < INT_MIN ? INT_MIN : (int)v); }
    // Truncated toward zero into the int range; NaN gives 0.
    static int Truncate(double v)
    {
        if (std::isnan(v))
            return 0;
        if (v >= 2147483647.0)
            return INT_MAX;
        if (v <= -2147483648.0)
            return INT_MIN;
        return (int)v;
    }
    static int Add(int a, int b) { return Clamp((long long)a + b); }
    static int Sub(int a, int b) { return Clamp((long long)a - b); }

    // A running value kept within +-2^40.
    static long long Wide(long long v) { return v > kWideLimit ? kWideLimit : (v < -kWideLimit ? -kWideLimit : v); }
    // a x b within +-2^40.
    static long long Mul(long long a, long long b)
    {
        long long r;
        if (__builtin_mul_overflow(a, b, &r))
            return ((a < 0) != (b < 0)) ? -kWideLimit : kWideLimit;
        return Wide(r);
    }
};
