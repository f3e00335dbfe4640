// Nine-slice frames drawn from kept pictures of their parts must give the
// pixels the nine parts give when drawn one by one: each case is drawn both
// ways (keepNineSliceFrames on and off) into equal targets, compared byte for
// byte, the fourth byte included.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>

#include "enginelib/draw/IDC.h"
#include "enginelib/draw/TDibIG.h"
#include "uiengine/core/TPDAUIEngineSkinSettings.h"
#include "uiengine/core/TPDAUIEngineStyleBackground.h"

namespace {

const TColorIG kKey(255, 0, 255);

enum class Source { AlphaPlane16, Straight32, Keyed24, Small16 };

// A frame image: rounded corners of clear, mixed and key pixels, a body of
// opaque noise with a few holes.
void MakeFrameImage(TDibIG& img, Source kind, uint32_t seed)
{
    const int side = kind == Source::Small16 ? 24 : 48;
    const int bpp = kind == Source::Straight32 ? 32 : kind == Source::Keyed24 ? 24 : 16;
    ASSERT_TRUE(img.Crea(side, side, bpp, kind == Source::AlphaPlane16 || kind == Source::Straight32, false));
    std::mt19937 rnd(seed);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            const int dx = x < side / 2 ? side / 2 - x : x - side / 2 + 1;
            const int dy = y < side / 2 ? side / 2 - y : y - side / 2 + 1;
            const int d = dx * dx + dy * dy - (side / 2) * (side / 2);
            const bool hole = rnd() % 37 == 0;
            const int opacity = d > 40 || hole ? 0 : d > 0 ? 255 - 6 * d : 255;
            const TColorIG c(uint8_t(rnd() % 256), uint8_t(rnd() % 256), uint8_t(rnd() % 256));
            img.SetPixel(x, y, opacity == 0 && bpp != 32 && kind != Source::AlphaPlane16 ? kKey : c);
            if (kind == Source::AlphaPlane16)
                img.AlphaRow(y)[x] = uint8_t(255 - opacity);
            if (bpp == 32)
                img.Row(y)[4 * x + 3] = uint8_t(opacity);
        }
    img.Touch();
}

struct Target {
    TDibIG dib;
    IDC dc;
    Target(int bpp, bool alpha, uint32_t seed)
    {
        EXPECT_TRUE(dib.Crea(120, 90, bpp, alpha, false));
        std::mt19937 rnd(seed);
        for (int y = 0; y < dib.AbsHeight(); ++y)
            for (int i = 0; i < dib.LineSizeBytes(); ++i)
                dib.Row(y)[i] = uint8_t(rnd());
        dib.Touch();
        EXPECT_TRUE(dc.BeginPaintDib(&dib));
    }
    ~Target() { dc.EndPaintDib(); }
};

std::string FirstDifference(const TDibIG& a, const TDibIG& b)
{
    for (int y = 0; y < a.AbsHeight(); ++y)
        for (int i = 0; i < a.LineSizeBytes(); ++i)
            if (a.Row(y)[i] != b.Row(y)[i])
                return "row " + std::to_string(y) + " byte " + std::to_string(i) + ": " +
                       std::to_string(a.Row(y)[i]) + " instead of " + std::to_string(b.Row(y)[i]);
    return "";
}

struct Frame {
    TRectIG rect;
    TRectIG clip;        // used when hasClip
    bool hasClip;
    int corner;          // w and h of the background
    int offsetX, offsetY;
};

// Draws the frames with kept pictures and part by part, and compares.
void ExpectSameAsParts(const TDibIG& img, const Frame* frames, int count, int bpp, bool alphaTarget, uint32_t seed)
{
    Target kept(bpp, alphaTarget, seed), parts(bpp, alphaTarget, seed);
    TPDAUIEngineStyleBackground b;
    b.kind = TPDAUIEngineStyleBackground::KindNineSlice;
    b.image = const_cast<TDibIG*>(&img);
    for (int i = 0; i < count; ++i) {
        const Frame& f = frames[i];
        b.w = b.h = f.corner;
        b.offsetX = f.offsetX;
        b.offsetY = f.offsetY;
        for (Target* t : {&kept, &parts}) {
            if (f.hasClip)
                t->dc.SelectClipRect(f.clip);
            else
                t->dc.Fin_SelectClipRgn();
            TPDAUIEngineStyleBackground::keepNineSliceFrames = t == &kept;
            b.Draw(&t->dc, f.rect);
        }
    }
    TPDAUIEngineStyleBackground::keepNineSliceFrames = true;
    EXPECT_EQ("", FirstDifference(kept.dib, parts.dib));
}

const Source kSources[] = {Source::AlphaPlane16, Source::Straight32, Source::Keyed24, Source::Small16};

} // namespace

// Sizes from one pixel up (corners shrunk to fit), frames cut by the target's
// edges and by clips (drawn part by part), empty clips, shifted frames, corners
// larger than half the image, and targets of 32 bits with and without alpha
// and of 16 and 24 bits.
TEST(StyleKeptFrames, SameAsPartsForSizesClipsAndTargets)
{
    const TRectIG none;
    const Frame table[] = {
        {{10, 10, 62, 62}, none, false, 12, 0, 0},      // a button
        {{3, 5, 109, 37}, none, false, 12, 0, 0},       // wide and flat
        {{50, 2, 72, 88}, none, false, 12, 0, 0},       // narrow and tall
        {{7, 7, 8, 8}, none, false, 12, 0, 0},          // one pixel
        {{7, 7, 9, 10}, none, false, 12, 0, 0},         // two by three
        {{20, 20, 43, 44}, none, false, 12, 0, 0},      // odd sizes, corners shrunk
        {{0, 0, 120, 90}, none, false, 12, 0, 0},       // the whole target
        {{-5, 10, 40, 50}, none, false, 12, 0, 0},      // off the left edge
        {{90, 60, 130, 100}, none, false, 12, 0, 0},    // off the bottom-right corner
        {{10, 10, 62, 62}, {20, 20, 50, 50}, true, 12, 0, 0},  // clip inside the frame
        {{10, 10, 62, 62}, {0, 0, 120, 90}, true, 12, 0, 0},   // clip around it
        {{10, 10, 62, 62}, {30, 30, 30, 40}, true, 12, 0, 0},  // empty clip
        {{10, 10, 62, 62}, {0, 0, 0, 0}, true, 12, 0, 0},      // empty clip at the origin
        {{10, 10, 62, 62}, none, false, 12, 3, -4},     // shifted
        {{10, 10, 62, 62}, none, false, 12, -20, 0},    // shifted off the target
        {{10, 10, 62, 62}, none, false, 30, 0, 0},      // corners past the image's middle
        {{10, 10, 62, 62}, none, false, 0, 0, 0},       // no corners
        {{10, 10, 62, 62}, none, false, -7, 0, 0},      // negative corners
        {{10, 10, 5, 5}, none, false, 12, 0, 0},        // inverted
    };
    const int n = int(sizeof table / sizeof table[0]);
    for (Source kind : kSources) {
        TDibIG img;
        MakeFrameImage(img, kind, 3);
        for (int bpp : {32, 24, 16})
            for (bool alpha : {false, true}) {
                if (alpha && bpp != 32)
                    continue;
                for (int i = 0; i < n; ++i) {
                    SCOPED_TRACE("source " + std::to_string(int(kind)) + " bpp " + std::to_string(bpp) +
                                 (alpha ? " alpha" : "") + " row " + std::to_string(i));
                    ExpectSameAsParts(img, &table[i], 1, bpp, alpha, uint32_t(i));
                }
            }
    }
}

// Random frames, several on one target (later ones over earlier ones and the
// same frame again from its kept picture).
TEST(StyleKeptFrames, SameAsPartsForRandomFrames)
{
    std::mt19937 rnd(17);
    auto range = [&](int lo, int hi) { return lo + int(rnd() % unsigned(hi - lo + 1)); };
    for (int round = 0; round < 200; ++round) {
        SCOPED_TRACE(round);
        TDibIG img;
        MakeFrameImage(img, kSources[round % 4], uint32_t(round));
        Frame frames[4];
        for (Frame& f : frames) {
            const int l = range(-20, 110), t = range(-20, 80);
            f.rect = TRectIG(l, t, l + range(0, 90), t + range(0, 70));
            f.hasClip = round % 3 == 1;
            f.clip = TRectIG(range(0, 60), range(0, 45), range(30, 120), range(20, 90));
            f.corner = range(-2, 26);
            f.offsetX = round % 5 == 2 ? range(-6, 6) : 0;
            f.offsetY = round % 5 == 2 ? range(-6, 6) : 0;
            // About as high as its two corners, where the parts come closest.
            if (round % 4 == 1)
                f.rect.bottom = f.rect.top + 2 * std::max(0, f.corner) + range(-1, 2);
        }
        frames[3] = frames[0];
        ExpectSameAsParts(img, frames, 4, 32, round % 4 == 3, uint32_t(round));
    }
}

// A kept picture belongs to the image as it was: after the image changes, or
// with other corners or another key colour, the frame shows what the parts
// show now.
TEST(StyleKeptFrames, ChangedImagesAndCornersAreDrawnAsTheyAreNow)
{
    TDibIG img;
    MakeFrameImage(img, Source::AlphaPlane16, 8);
    const Frame button[] = {{{10, 10, 62, 62}, {}, false, 12, 0, 0}};
    const struct Change {
        const char* what;
        void (*apply)(TDibIG&);
    } changes[] = {
        {"a body pixel", [](TDibIG& d) { d.SetPixel(24, 24, TColorIG(1, 2, 3)); }},
        {"a corner made opaque", [](TDibIG& d) {
             for (int y = 0; y < 12; ++y)
                 for (int x = 0; x < 12; ++x)
                     d.AlphaRow(y)[x] = 0;
             d.Touch();
         }},
        {"raw write and Touch", [](TDibIG& d) {
             std::memset(d.Row(30), 0x3C, size_t(d.LineSizeBytes()));
             d.Touch();
         }},
        {"filled", [](TDibIG& d) { d.Fill(TColorIG(40, 50, 60)); }},
        {"alpha dropped", [](TDibIG& d) { d.QuitaAlpha(); }},
        {"made again smaller", [](TDibIG& d) {
             d.Libera();
             d.Crea(20, 20, 16);
             for (int y = 0; y < 20; ++y)
                 for (int x = 0; x < 20; ++x)
                     d.SetPixel(x, y, (x * y) % 5 ? TColorIG(uint8_t(x * 12), uint8_t(y * 11), 9) : kKey);
         }},
    };
    for (const Change& change : changes) {
        SCOPED_TRACE(change.what);
        // Drawn once as it is (its picture kept), then changed.
        {
            Target warm(32, false, 1);
            TPDAUIEngineStyleBackground b;
            b.kind = TPDAUIEngineStyleBackground::KindNineSlice;
            b.image = &img;
            b.w = b.h = 12;
            b.Draw(&warm.dc, button[0].rect);
        }
        change.apply(img);
        ExpectSameAsParts(img, button, 1, 32, false, 2);
    }
    // Other corners of the same image and size.
    MakeFrameImage(img, Source::AlphaPlane16, 9);
    for (int corner : {12, 8, 12, 20}) {
        SCOPED_TRACE(corner);
        Frame f = button[0];
        f.corner = corner;
        ExpectSameAsParts(img, &f, 1, 32, false, 4);
    }
    // Another key colour: the magenta pixels of a keyed image show.
    MakeFrameImage(img, Source::Keyed24, 10);
    ExpectSameAsParts(img, button, 1, 32, false, 5);
    TPDAUIEngineSkinSettings* before = TPDAUIEngineSkinSettings::Current();
    TPDAUIEngineSkinSettings other;
    other.transparentColor = TColorIG(1, 2, 3);
    TPDAUIEngineSkinSettings::SetCurrent(&other);
    ExpectSameAsParts(img, button, 1, 32, false, 5);
    TPDAUIEngineSkinSettings::SetCurrent(before);
}
