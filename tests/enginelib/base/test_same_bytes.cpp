// The short-run byte comparison: every length across its 16- and 8-byte steps,
// a difference at every place, and runs that do not start aligned.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "enginelib/base/SameBytes.h"

namespace {

TEST(SameBytes, AgreesWithMemcmpAtEveryLengthAndPlace)
{
    std::vector<unsigned char> a(80), b(80);
    for (size_t i = 0; i < a.size(); ++i)
        a[i] = b[i] = (unsigned char)(i * 37 + 11);
    for (size_t offset : {0u, 1u, 7u}) {
        for (size_t n = 0; n + offset <= 64; ++n) {
            const unsigned char* x = a.data() + offset;
            unsigned char* y = b.data() + offset;
            EXPECT_TRUE(SameBytes(x, y, n)) << n;
            for (size_t at = 0; at < n; ++at) {
                y[at] ^= 0x80;
                EXPECT_FALSE(SameBytes(x, y, n)) << n << " at " << at;
                y[at] ^= 0x80;
            }
            // A difference just past the run is not seen.
            y[n] ^= 1;
            EXPECT_TRUE(SameBytes(x, y, n)) << n;
            y[n] ^= 1;
        }
    }
}

} // namespace
