// Coverage maps (glyphs) drawn in one call must give exactly the pixels of
// SetPixel called for every byte, wherever the map lies and whatever the target.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <vector>

#include "enginelib/draw/IDC.h"
#include "enginelib/draw/TDibIG.h"

namespace {

constexpr int kW = 23, kH = 17;

struct Target {
    const char* name;
    int bpp;
    bool alpha;
    bool bottomUp;
};

const Target kTargets[] = {
    {"565", 16, false, false},
    {"565 bottom-up", 16, false, true},
    {"24", 24, false, false},
    {"24 bottom-up", 24, false, true},
    {"x8r8g8b8", 32, false, false},
    {"a8r8g8b8", 32, true, false},
};

// A background that differs from pixel to pixel, so every mix is checked.
void Paint(TDibIG& dib, const Target& t)
{
    ASSERT_TRUE(dib.Crea(kW, kH, t.bpp, t.alpha, t.bottomUp));
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            dib.SetPixel(x, y, TColorIG((x * 37 + y * 11) & 0xFF, (x * 5 + y * 71) & 0xFF, (x * y * 13) & 0xFF));
    // The fourth byte of 32-bit pixels varies too: pixels left alone keep it.
    if (t.bpp == 32)
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x)
                dib.Row(y)[4 * x + 3] = uint8_t(x * 29 + y * 3);
}

bool SamePixels(const TDibIG& a, const TDibIG& b)
{
    const size_t bytes = size_t(a.Width()) * size_t(a.Bpp() / 8);
    for (int y = 0; y < a.AbsHeight(); ++y)
        if (std::memcmp(a.Row(y), b.Row(y), bytes) != 0)
            return false;
    return true;
}

// A 9 x 7 map: rows holding 0, 1, middle values, 254 and 255, a row of 255
// and a row of 0.
std::vector<uint8_t> Map(int pitch)
{
    static const uint8_t values[] = {0, 1, 50, 51, 99, 100, 127, 128, 200, 254, 255};
    std::vector<uint8_t> m(size_t(pitch) * 7, 0xEE);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 9; ++x)
            m[size_t(y * pitch + x)] = y == 2 ? 255 : y == 4 ? 0 : values[size_t(x + 3 * y) % sizeof(values)];
    return m;
}

struct Placement {
    const char* name;
    int x, y;
    TRectIG limit;
    bool clipped;
    TRectIG clip;
};

const TRectIG kAll(INT_MIN, INT_MIN, INT_MAX, INT_MAX);

const Placement kPlacements[] = {
    {"inside", 3, 4, kAll, false, {}},
    {"across the left edge", -4, 5, kAll, false, {}},
    {"across the right edge", kW - 5, 2, kAll, false, {}},
    {"across the top edge", 6, -3, kAll, false, {}},
    {"across the bottom edge", 7, kH - 2, kAll, false, {}},
    {"over the top-left corner", -8, -6, kAll, false, {}},
    {"over the bottom-right corner", kW - 1, kH - 1, kAll, false, {}},
    {"wholly off the left", -9, 3, kAll, false, {}},
    {"wholly below", 2, kH, kAll, false, {}},
    {"far away", INT_MAX - 3, INT_MIN + 2, kAll, false, {}},
    {"cut by the limit", 3, 4, TRectIG(5, 6, 10, 9), false, {}},
    {"limit off the map", 3, 4, TRectIG(20, 0, 30, 5), false, {}},
    {"cut by the clip", 3, 4, kAll, true, TRectIG(4, 2, 9, 8)},
    {"clip and limit", 1, 1, TRectIG(0, 3, 8, 30), true, TRectIG(4, 0, 30, 6)},
    {"empty clip", 3, 4, kAll, true, TRectIG(5, 5, 5, 9)},
};

// The grey -> coverage table of a bitmap font (faint greys dropped).
std::vector<uint8_t> FontTable()
{
    std::vector<uint8_t> t(256);
    for (int v = 0; v < 256; ++v) {
        const int c = 255 - v;
        t[size_t(v)] = uint8_t(c <= 50 ? 0 : c < 100 ? c - 25 : c);
    }
    return t;
}

TEST(IdcCoverage, OneCallDrawsWhatSetPixelDrawsForEveryByte)
{
    const std::vector<uint8_t> table = FontTable();
    for (const Target& t : kTargets)
        for (const Placement& p : kPlacements)
            for (const bool mapped : {false, true})
                for (const int pitch : {9, 16, -16}) {
                    const std::vector<uint8_t> bytes = Map(16);
                    // A negative pitch walks the map from its last row up.
                    const uint8_t* source = pitch < 0 ? bytes.data() + 6 * 16 : bytes.data();
                    const TColorIG colour(250, 12, 130);
                    TDibIG fast, slow;
                    Paint(fast, t);
                    Paint(slow, t);
                    IDC a, b;
                    a.BeginPaintDib(&fast);
                    b.BeginPaintDib(&slow);
                    if (p.clipped) {
                        a.SelectClipRect(p.clip);
                        b.SelectClipRect(p.clip);
                    }
                    const uint8_t* map = mapped ? table.data() : nullptr;
                    const int width = pitch == 9 ? 9 : 8;
                    if (mapped)
                        a.DrawCoverageMapped(p.x, p.y, source, width, 7, pitch, map, colour, p.limit);
                    else
                        a.DrawCoverage(p.x, p.y, source, width, 7, pitch, colour, p.limit);
                    for (int y = 0; y < 7; ++y)
                        for (int x = 0; x < width; ++x) {
                            const int64_t px = int64_t(p.x) + x, py = int64_t(p.y) + y;
                            if (px < p.limit.left || px >= p.limit.right || py < p.limit.top ||
                                py >= p.limit.bottom || px > INT_MAX || py > INT_MAX)
                                continue;
                            const uint8_t v = source[std::ptrdiff_t(y) * pitch + x];
                            b.SetPixel(int(px), int(py), colour, mapped ? map[v] : v);
                        }
                    a.EndPaintDib();
                    b.EndPaintDib();
                    EXPECT_TRUE(SamePixels(fast, slow))
                        << t.name << ", " << p.name << (mapped ? ", mapped" : "") << ", pitch " << pitch;
                }
}

TEST(IdcCoverage, NothingIsDrawnForBadArguments)
{
    const std::vector<uint8_t> bytes = Map(9);
    const struct {
        const char* name;
        const uint8_t* source;
        int width, height;
    } cases[] = {
        {"no map", nullptr, 9, 7},
        {"no width", bytes.data(), 0, 7},
        {"negative height", bytes.data(), 9, -3},
    };
    for (const auto& c : cases) {
        TDibIG dib, before;
        Paint(dib, kTargets[4]);
        Paint(before, kTargets[4]);
        IDC dc;
        dc.BeginPaintDib(&dib);
        dc.DrawCoverage(2, 2, c.source, c.width, c.height, 9, TColorIG(0, 0, 0), kAll);
        dc.DrawCoverageMapped(2, 2, c.source, c.width, c.height, 9, nullptr, TColorIG(0, 0, 0), kAll);
        dc.EndPaintDib();
        EXPECT_TRUE(SamePixels(dib, before)) << c.name;
    }
}

} // namespace
