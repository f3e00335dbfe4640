// Stretched opaque copies into the 32-bit back buffer take a shortcut of their
// own: every sample must be the one pixman's nearest-pixel scaling picks, which
// it still does for targets with an alpha channel.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>

#include "enginelib/draw/IDC.h"
#include "enginelib/draw/TDibIG.h"

namespace {

// A bitmap of distinct colours (no magenta, so a key leaves it opaque).
void Fill(TDibIG& img, int w, int h, int bpp, bool bottomUp, std::mt19937& rnd)
{
    ASSERT_TRUE(img.Crea(w, h, bpp, false, bottomUp));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.SetPixel(x, y, TColorIG(uint8_t(rnd() % 200), uint8_t(rnd() % 256), uint8_t(rnd() % 200)));
    img.Touch();
}

struct Target {
    Target(bool alpha) { EXPECT_TRUE(dib.Crea(64, 48, 32, alpha)); }
    TDibIG dib;
    IDC dc;
};

} // namespace

TEST(IdcScaled, StretchedCopiesSampleWhatPixmanSamples)
{
    std::mt19937 rnd(7);
    auto range = [&](int lo, int hi) { return lo + int(rnd() % unsigned(hi - lo + 1)); };
    // Shrinking by 2 and 4 puts sample points on pixel edges, where rounding shows.
    const struct {
        TRectIG src, dst;
    } exact[] = {{{0, 0, 16, 16}, {0, 0, 8, 8}},
                 {{1, 3, 17, 19}, {5, 7, 9, 11}},
                 {{0, 0, 20, 8}, {2, 1, 12, 5}},
                 {{0, 0, 3, 20}, {0, 0, 60, 5}}};
    const int kExact = int(sizeof exact / sizeof exact[0]);
    for (int round = 0; round < 400; ++round) {
        SCOPED_TRACE(round);
        TDibIG img;
        // 32-bit images are drawn as they are, 16-bit ones through their copy.
        const int bpp = round % 3 == 2 ? 16 : 32;
        Fill(img, range(1, 24), range(1, 24), bpp, round % 5 == 4, rnd);
        TRectIG src(range(-4, img.Width()), range(-4, img.AbsHeight()), range(1, img.Width() + 4),
                    range(1, img.AbsHeight() + 4));
        TRectIG dst(range(-20, 60), range(-20, 44), range(-10, 90), range(-10, 70));
        if (round < 3 * kExact) {
            Fill(img, 24, 24, bpp, false, rnd);
            src = exact[round % kExact].src;
            dst = exact[round % kExact].dst;
        }
        const bool clip = round % 4 == 1;
        const TRectIG clipRect(range(0, 30), range(0, 20), range(20, 64), range(15, 48));
        const int call = round % 3;
        Target fast(false), reference(true);
        reference.dc.SetDirectBlits(false);
        for (Target* t : {&fast, &reference}) {
            t->dib.Fill(TColorIG(1, 2, 3));
            ASSERT_TRUE(t->dc.BeginPaintDib(&t->dib));
            if (clip)
                t->dc.SelectClipRect(clipRect);
            bool drawn = false;
            if (call == 0)
                drawn = t->dc.StretchDIBits(dst, src, &img);
            else if (call == 1)
                drawn = t->dc.StretchDIBits_Transparent(dst, src, &img, TColorIG(255, 0, 255));
            else {
                TAdvStetchDIBitsData data;
                drawn = t->dc.StretchDIBits_Adv(dst, src, &img, data);
            }
            EXPECT_EQ(!dst.IsEmpty() && !src.IsEmpty(), drawn);
            t->dc.EndPaintDib();
        }
        int differ = 0;
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 64; ++x)
                differ += (fast.dib.GetPixel(x, y).color & 0xFFFFFF) != (reference.dib.GetPixel(x, y).color & 0xFFFFFF);
        EXPECT_EQ(0, differ) << "src " << src.left << "," << src.top << "," << src.right << "," << src.bottom
                             << " dst " << dst.left << "," << dst.top << "," << dst.right << "," << dst.bottom
                             << " image " << img.Width() << "x" << img.AbsHeight() << " bpp " << bpp;
    }
}

TEST(IdcScaled, ABackgroundStretchedOverTheScreen)
{
    // A strip 8 wide stretched over 800 x 480, as a page background is: whole
    // columns of one source pixel, rows repeated, the edges exact.
    std::mt19937 rnd(3);
    TDibIG strip;
    Fill(strip, 8, 240, 32, false, rnd);
    TDibIG screen;
    ASSERT_TRUE(screen.Crea(800, 480, 32));
    IDC dc;
    ASSERT_TRUE(dc.BeginPaintDib(&screen));
    EXPECT_TRUE(dc.StretchDIBits_Transparent(TRectIG(0, 0, 800, 480), TRectIG(0, 0, 8, 240), &strip,
                                             TColorIG(255, 0, 255)));
    dc.EndPaintDib();
    int differ = 0;
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 800; ++x)
            differ += (screen.GetPixel(x, y).color & 0xFFFFFF) != (strip.GetPixel(x / 100, y / 2).color & 0xFFFFFF);
    EXPECT_EQ(0, differ);
}
