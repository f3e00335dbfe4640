// Keyed and opaque bitmaps go into 32-bit targets without pixman. Each case is
// drawn twice, once that way and once through pixman (SetDirectBlits(false)),
// and the two targets must agree to the byte, the fourth byte included.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>

#include "enginelib/draw/IDC.h"
#include "enginelib/draw/TDibIG.h"

namespace {

const TColorIG kKey(255, 0, 255);

enum class Source {
    Keyed16,       // RGB565 with key pixels in blocks and alone
    AlphaPlane16,  // RGB565 with an alpha plane: opaque, clear and partial pixels
    Straight32,    // a8r8g8b8, straight alpha
    Premul32,      // a8r8g8b8, premultiplied
    Plain32,       // x8r8g8b8 with key pixels
    Keyed24,       // 24 bits with key pixels
    Grey8,         // grey (always through a copy)
    Opaque16,      // no key pixel at all
};

const char* Name(Source s)
{
    static const char* const names[] = {"Keyed16", "AlphaPlane16", "Straight32", "Premul32",
                                        "Plain32", "Keyed24",      "Grey8",      "Opaque16"};
    return names[int(s)];
}

// Pixels in stretches (so rows get opaque, clear and mixed runs of every
// length) with a key or clear pixel here and there.
void MakeSource(TDibIG& img, Source kind, int w, int h, bool bottomUp, std::mt19937& rnd)
{
    const int bpp = kind == Source::Keyed24 ? 24 : kind == Source::Grey8 ? 8
                    : (kind == Source::Straight32 || kind == Source::Premul32 || kind == Source::Plain32) ? 32
                                                                                                          : 16;
    const bool alpha = kind == Source::AlphaPlane16 || kind == Source::Straight32 || kind == Source::Premul32;
    ASSERT_TRUE(img.Crea(w, h, bpp, alpha, bottomUp));
    for (int y = 0; y < h; ++y) {
        int x = 0;
        while (x < w) {
            const int len = 1 + int(rnd() % 9);
            const int what = int(rnd() % 4);  // 0 key/clear, 1 partial, 2-3 opaque
            for (int k = 0; k < len && x < w; ++k, ++x) {
                const TColorIG c(uint8_t(rnd() % 256), uint8_t(rnd() % 256), uint8_t(rnd() % 256));
                const bool key = what == 0 && kind != Source::Opaque16;
                img.SetPixel(x, y, key && !alpha ? kKey : c);
                if (kind == Source::AlphaPlane16)
                    img.AlphaRow(y)[x] = uint8_t(what == 0 ? 255 : what == 1 ? 1 + rnd() % 254 : 0);
                if (bpp == 32) {
                    uint8_t* p = img.Row(y) + 4 * x;
                    p[3] = uint8_t(kind == Source::Plain32 ? rnd() % 256
                                   : what == 0          ? 0
                                   : what == 1          ? 1 + rnd() % 254
                                                        : 255);
                }
            }
        }
    }
    if (kind == Source::Premul32)
        img.Set_PreMultiplied();
    img.Touch();
}

// A 32-bit target of random pixels (the fourth byte too, which pixman's OVER
// mixes like the others).
struct Target {
    TDibIG dib;
    IDC dc;
    Target(int w, int h, bool alpha, bool bottomUp, uint32_t seed, bool direct)
    {
        EXPECT_TRUE(dib.Crea(w, h, 32, alpha, bottomUp));
        std::mt19937 rnd(seed);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const uint32_t v = rnd();
                std::memcpy(dib.Row(y) + 4 * x, &v, 4);
            }
        dib.Touch();
        dc.SetDirectBlits(direct);
        EXPECT_TRUE(dc.BeginPaintDib(&dib));
    }
    ~Target() { dc.EndPaintDib(); }
};

// Bytes of the two targets that differ, with the first one described.
int Differences(const TDibIG& a, const TDibIG& b, std::string& first)
{
    int n = 0;
    for (int y = 0; y < a.AbsHeight(); ++y)
        for (int x = 0; x < a.Width(); ++x) {
            uint32_t p, q;
            std::memcpy(&p, a.Row(y) + 4 * x, 4);
            std::memcpy(&q, b.Row(y) + 4 * x, 4);
            if (p != q && n++ == 0)
                first = "at " + std::to_string(x) + "," + std::to_string(y) + ": " + std::to_string(p) +
                        " instead of " + std::to_string(q);
        }
    return n;
}

std::string Describe(const TRectIG& r)
{
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

enum class Call { Transparent, Copy, AdvKeyed, AdvPlain };

bool Draw(IDC& dc, Call call, const TRectIG& dst, const TRectIG& src, const TDibIG* img, TColorIG key)
{
    switch (call) {
    case Call::Transparent:
        return dc.StretchDIBits_Transparent(dst, src, img, key);
    case Call::Copy:
        return dc.StretchDIBits(dst, src, img);
    case Call::AdvKeyed: {
        TAdvStetchDIBitsData data(TAdvStetchDIBitsData::ModeKeyColour, 0, 0, 255, nullptr, 0, 0);
        return dc.StretchDIBits_Adv(dst, src, img, data);
    }
    default: {
        TAdvStetchDIBitsData data;
        return dc.StretchDIBits_Adv(dst, src, img, data);
    }
    }
}

struct Blit {
    TRectIG dst, src;
    TRectIG clip;  // empty: none
};

// Draws the blits with and without the direct paths and compares.
void ExpectSameAsPixman(const TDibIG& img, Call call, TColorIG key, const Blit* blits, int count, bool alphaTarget,
                        bool bottomUp, uint32_t seed)
{
    Target direct(40, 30, alphaTarget, bottomUp, seed, true);
    Target general(40, 30, alphaTarget, bottomUp, seed, false);
    for (int i = 0; i < count; ++i) {
        const Blit& b = blits[i];
        for (Target* t : {&direct, &general}) {
            if (b.clip.IsEmpty())
                t->dc.Fin_SelectClipRgn();
            else
                t->dc.SelectClipRect(b.clip);
        }
        EXPECT_EQ(Draw(general.dc, call, b.dst, b.src, &img, key), Draw(direct.dc, call, b.dst, b.src, &img, key));
    }
    std::string first;
    EXPECT_EQ(0, Differences(direct.dib, general.dib, first))
        << first << "; dst " << Describe(blits[0].dst) << " src " << Describe(blits[0].src) << " clip "
        << Describe(blits[0].clip);
}

} // namespace

// Hand-picked geometry: every edge clipped, offsets into the image, stretch
// factors up, down and on pixel edges, one pixel, empty and inverted rectangles.
TEST(IdcDirect, SameAsPixmanOnEdgesAndFactors)
{
    const Blit table[] = {
        {{3, 2, 19, 14}, {0, 0, 16, 12}, {}},           // one to one
        {{-5, -3, 11, 9}, {0, 0, 16, 12}, {}},          // off the top-left corner
        {{30, 22, 46, 34}, {0, 0, 16, 12}, {}},         // off the bottom-right corner
        {{3, 2, 19, 14}, {0, 0, 16, 12}, {6, 5, 12, 9}},  // clip inside on every side
        {{3, 2, 19, 14}, {0, 0, 16, 12}, {0, 0, 4, 3}},   // clip over one corner
        {{3, 2, 19, 14}, {4, 3, 20, 15}, {}},           // source beyond the image
        {{3, 2, 19, 14}, {-4, -3, 12, 9}, {}},          // source before the image
        {{0, 0, 40, 30}, {2, 2, 6, 5}, {}},             // stretched up
        {{1, 1, 9, 7}, {0, 0, 16, 12}, {}},             // shrunk by 2 (samples on pixel edges)
        {{1, 1, 5, 4}, {0, 0, 16, 12}, {}},             // shrunk by 4
        {{2, 3, 37, 5}, {1, 1, 15, 11}, {}},            // wide and flat
        {{2, 3, 4, 29}, {1, 1, 15, 11}, {}},            // narrow and tall
        {{5, 5, 35, 8}, {3, 4, 13, 7}, {}},             // edge of a nine-slice: x stretched only
        {{5, 5, 8, 25}, {3, 4, 6, 10}, {}},             // y stretched only
        {{7, 7, 8, 8}, {5, 5, 6, 6}, {}},               // one pixel
        {{7, 7, 8, 8}, {0, 0, 16, 12}, {}},             // everything into one pixel
        {{0, 0, 40, 30}, {9, 9, 10, 10}, {}},           // one pixel over everything
        {{7, 7, 7, 9}, {0, 0, 16, 12}, {}},             // empty destination
        {{7, 7, 9, 9}, {3, 3, 3, 9}, {}},               // empty source
        {{9, 9, 7, 7}, {0, 0, 16, 12}, {}},             // inverted destination
        {{3, 2, 19, 14}, {0, 0, 16, 12}, {10, 10, 10, 20}}, // empty clip
        {{3, 2, 19, 14}, {0, 0, 16, 12}, {50, 50, 60, 60}}, // clip off the target
        {{-100000, -100000, 100000, 100000}, {0, 0, 16, 12}, {}}, // huge
    };
    const int n = int(sizeof table / sizeof table[0]);
    std::mt19937 rnd(11);
    for (Source kind : {Source::Keyed16, Source::AlphaPlane16, Source::Straight32, Source::Premul32,
                        Source::Plain32, Source::Keyed24, Source::Grey8, Source::Opaque16}) {
        TDibIG img;
        MakeSource(img, kind, 16, 12, false, rnd);
        for (Call call : {Call::Transparent, Call::Copy, Call::AdvKeyed, Call::AdvPlain})
            for (bool alphaTarget : {false, true})
                for (int i = 0; i < n; ++i) {
                    SCOPED_TRACE(std::string(Name(kind)) + " call " + std::to_string(int(call)) + " row " +
                                 std::to_string(i) + (alphaTarget ? " alpha target" : ""));
                    ExpectSameAsPixman(img, call, kKey, &table[i], 1, alphaTarget, false, uint32_t(i));
                }
    }
}

// Random geometry, row orders, key colours present and absent, and several
// blits on one target (later ones over earlier ones).
TEST(IdcDirect, SameAsPixmanOnRandomBlits)
{
    std::mt19937 rnd(5);
    auto range = [&](int lo, int hi) { return lo + int(rnd() % unsigned(hi - lo + 1)); };
    const Source kinds[] = {Source::Keyed16, Source::AlphaPlane16, Source::Straight32, Source::Premul32,
                            Source::Plain32, Source::Keyed24, Source::Grey8, Source::Opaque16};
    for (int round = 0; round < 300; ++round) {
        SCOPED_TRACE(round);
        const Source kind = kinds[round % 8];
        TDibIG img;
        MakeSource(img, kind, range(1, 30), range(1, 20), round % 5 == 3, rnd);
        const TColorIG key = round % 7 == 6 ? TColorIG(1, 2, 3) : kKey;  // a key no pixel has
        Blit blits[3];
        for (Blit& b : blits) {
            b.src = TRectIG(range(-3, img.Width()), range(-3, img.AbsHeight()), range(0, img.Width() + 3),
                            range(0, img.AbsHeight() + 3));
            b.dst = TRectIG(range(-10, 40), range(-10, 30), range(-5, 50), range(-5, 40));
            b.clip = round % 3 == 1 ? TRectIG(range(0, 20), range(0, 15), range(10, 40), range(8, 30)) : TRectIG();
        }
        const Call call = round % 4 == 3 ? Call::AdvKeyed : Call::Transparent;
        ExpectSameAsPixman(img, call, key, blits, 3, round % 6 == 5, round % 9 == 4, uint32_t(round));
    }
}

// The row runs kept with the image's copy must follow every change of its
// pixels: each change is drawn over the same target and compared.
TEST(IdcDirect, ChangedImagesAreDrawnAsTheyAreNow)
{
    std::mt19937 rnd(9);
    TDibIG img;
    MakeSource(img, Source::Keyed16, 16, 12, false, rnd);
    const Blit one[] = {{{2, 2, 18, 14}, {0, 0, 16, 12}, {}}, {{20, 1, 39, 29}, {0, 0, 16, 12}, {}}};
    const struct Change {
        const char* what;
        void (*apply)(TDibIG&);
    } changes[] = {
        {"a key pixel made opaque", [](TDibIG& d) { d.SetPixel(3, 3, TColorIG(10, 20, 30)); }},
        {"an opaque row keyed", [](TDibIG& d) {
             for (int x = 0; x < d.Width(); ++x)
                 d.SetPixel(x, 5, kKey);
         }},
        {"pixels written through TGetTDibBits", [](TDibIG& d) {
             TGetTDibBits bits(&d);
             for (int i = 0; i < 40; ++i)
                 bits.Bits16()[i * 3] = kKey.ToRGB565();
         }},
        {"raw write and Touch", [](TDibIG& d) {
             std::memset(d.Row(7), 0x5A, size_t(d.LineSizeBytes()));
             d.Touch();
         }},
        {"filled", [](TDibIG& d) { d.Fill(kKey); }},
        {"made again larger", [](TDibIG& d) {
             d.Libera();
             d.Crea(20, 14, 16);
             for (int y = 0; y < 14; ++y)
                 for (int x = 0; x < 20; ++x)
                     d.SetPixel(x, y, (x + y) % 3 ? TColorIG(uint8_t(x * 12), uint8_t(y * 18), 99) : kKey);
         }},
        {"alpha plane added", [](TDibIG& d) {
             d.CreaAlpha();
             for (int x = 0; x < d.Width(); ++x)
                 d.AlphaRow(2)[x] = uint8_t(x * 13);
             d.Touch();
         }},
        {"alpha dropped", [](TDibIG& d) { d.QuitaAlpha(); }},
    };
    for (const Change& change : changes) {
        SCOPED_TRACE(change.what);
        // Drawn once as it was (so its copy and runs are kept), then changed.
        {
            Target warm(40, 30, false, false, 1, true);
            warm.dc.StretchDIBits_Transparent(one[0].dst, one[0].src, &img, kKey);
        }
        change.apply(img);
        ExpectSameAsPixman(img, Call::Transparent, kKey, one, 2, false, false, 3);
    }
}

// The copy a target makes of itself (source and target the same bitmap).
TEST(IdcDirect, TargetAsItsOwnSourceMatchesPixman)
{
    Target a(24, 16, false, false, 4, true), b(24, 16, false, false, 4, false);
    for (Target* t : {&a, &b}) {
        t->dc.StretchDIBits_Transparent(TRectIG(4, 4, 20, 12), TRectIG(0, 0, 8, 4), &t->dib, TColorIG(0, 0, 0));
        t->dc.StretchDIBits_Transparent(TRectIG(1, 1, 9, 9), TRectIG(5, 5, 13, 13), &t->dib, TColorIG(0, 0, 0));
    }
    std::string first;
    EXPECT_EQ(0, Differences(a.dib, b.dib, first)) << first;
}
