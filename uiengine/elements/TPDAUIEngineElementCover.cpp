#include "uiengine/elements/TPDAUIEngineElementCover.h"

#include <cstring>

#include "enginelib/draw/TDibIG.h"
#include "uiengine/core/TPDAUIEngineSkinSettings.h"
#include "uiengine/core/TPDAUIEngineStyleBackground.h"

namespace {

// Whether every pixel of part draws opaque through a keyed blit: full alpha,
// and not the key colour (compared in RGB565, as the blit does).
bool ScanOpaque(const TDibIG& image, const TRectIG& part, uint16_t key)
{
    const int bpp = image.Bpp();
    const bool alpha32 = bpp == 32 && image.Tiene_Alphas();
    for (int y = part.top; y < part.bottom; ++y) {
        const uint8_t* row = image.Row(y);
        if (!row)
            return false;
        if (bpp == 16) {
            if (const uint8_t* a = image.Alpha() ? image.AlphaRow(y) : nullptr)
                for (int x = part.left; x < part.right; ++x)
                    if (a[x] != 0)
                        return false;
        }
        for (int x = part.left; x < part.right; ++x) {
            uint16_t p565;
            switch (bpp) {
            case 8:
                p565 = TColorIG::PackRGB565(row[x], row[x], row[x]);
                break;
            case 16:
                std::memcpy(&p565, row + 2 * x, 2);
                break;
            case 24:
                p565 = TColorIG::PackRGB565(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
                break;
            case 32: {
                uint32_t p;
                std::memcpy(&p, row + 4 * x, 4);
                if (alpha32 && (p >> 24) != 255)
                    return false;
                p565 = TColorIG::PackRGB565((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
                break;
            }
            default:
                return false;
            }
            if (p565 == key)
                return false;
        }
    }
    return true;
}

// The last answers, by image version: a skin image is scanned once, and any
// change to it (a new version) is scanned again.
struct OpaqueMemo {
    const TDibIG* image = nullptr;
    uint64_t version = 0;
    uint16_t key = 0;
    TRectIG part;
    bool opaque = false;
};

bool ImagePartOpaque(const TDibIG& image, const TRectIG& part, uint16_t key)
{
    enum { kMemos = 8 };
    thread_local OpaqueMemo memos[kMemos];
    thread_local int next = 0;
    for (const OpaqueMemo& m : memos)
        if (m.image == &image && m.version == image.Version() && m.key == key && m.part == part)
            return m.opaque;
    OpaqueMemo& m = memos[next];
    next = (next + 1) % kMemos;
    m.image = &image;
    m.version = image.Version();
    m.key = key;
    m.part = part;
    m.opaque = ScanOpaque(image, part, key);
    return m.opaque;
}

} // namespace

TPDAUIEngineUncovered::TPDAUIEngineUncovered(const TRectIG& whole)
{
    if (!whole.IsEmpty())
        parts_[count_++] = whole;
}

void TPDAUIEngineUncovered::Subtract(const TRectIG& c)
{
    if (lost_ || c.IsEmpty())
        return;
    TRectIG out[kRoom];
    int n = 0;
    for (int i = 0; i < count_; ++i) {
        const TRectIG& p = parts_[i];
        if (!p.Overlaps(c)) {
            if (n == kRoom) {
                lost_ = true;
                return;
            }
            out[n++] = p;
            continue;
        }
        cut_ = true;
        // Bands above and below the cover, then the sides between them.
        const int top = c.top > p.top ? c.top : p.top;
        const int bottom = c.bottom < p.bottom ? c.bottom : p.bottom;
        const TRectIG pieces[4] = {TRectIG(p.left, p.top, p.right, top), TRectIG(p.left, bottom, p.right, p.bottom),
                                   TRectIG(p.left, top, c.left, bottom), TRectIG(c.right, top, p.right, bottom)};
        for (const TRectIG& piece : pieces) {
            if (piece.IsEmpty())
                continue;
            if (n == kRoom) {
                lost_ = true;
                return;
            }
            out[n++] = piece;
        }
    }
    for (int i = 0; i < n; ++i)
        parts_[i] = out[i];
    count_ = n;
}

bool TPDAUIEngineBackgroundIsOpaque(const TPDAUIEngineStyleBackground& b)
{
    typedef TPDAUIEngineStyleBackground B;
    // A fill at full alpha sets each pixel of its rectangle to the colour.
    if (b.kind == B::KindColor)
        return b.alpha >= 255;
    if ((b.kind != B::KindImage && b.kind != B::KindImagePart) || !b.image || b.image->IsEmpty())
        return false;
    // An image stretched over the rectangle samples only its part, and reaches
    // every pixel when the part lies inside the image.
    const TRectIG whole(0, 0, b.image->Width(), b.image->AbsHeight());
    TRectIG part = whole;
    if (b.kind == B::KindImagePart) {
        const long long r = (long long)b.x + b.w, bottom = (long long)b.y + b.h;
        if (b.w <= 0 || b.h <= 0 || b.x < 0 || b.y < 0 || r > whole.right || bottom > whole.bottom)
            return false;
        part = TRectIG(b.x, b.y, (int)r, (int)bottom);
    }
    return ImagePartOpaque(*b.image, part, TPDAUIEngineTransparentKey().ToRGB565());
}

TColorIG TPDAUIEngineTransparentKey()
{
    const TPDAUIEngineSkinSettings* s = TPDAUIEngineSkinSettings::Current();
    return s ? s->transparentColor : TColoresIG::F_Magenta;
}
