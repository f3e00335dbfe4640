#include "enginelib/draw/IDC.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cmath>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <string>

#include <pixman.h>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// A stretch of one row of premultiplied pixels: pixels that are all opaque
// (copied as they are) or a mix to be laid over the target pixel by pixel.
// Stretches of transparent pixels are left out.
struct IDCRowRun {
    uint16_t x0, x1;
    bool opaque;
};

// A row of w destination pixels as runs: one source pixel repeated, or
// source pixels in order (from counted from the source's left edge).
struct IDCColumnRun {
    int at, length, from;
    bool repeat;
};

// Buffers of a context's scaled blits, kept between calls.
struct IDCScratch {
    std::vector<IDCColumnRun> columns;
    std::vector<uint32_t> line;
    std::vector<IDCRowRun> lineRuns;
};

namespace {

// The runs of a row of w premultiplied pixels (w <= 0xFFFF), to emit(x0, x1,
// opaque). Short opaque or transparent stretches join the mixed run around
// them, so a row never has more runs than about a quarter of its pixels.
template <class Emit>
void RowRuns(const uint32_t* row, int w, Emit&& emit)
{
    constexpr int MinRun = 4;
    auto cls = [](uint32_t p) { return p == 0 ? 0 : p >= 0xFF000000u ? 2 : 1; };
    int mixStart = -1; // start of the mixed run being gathered
    auto closeMix = [&](int end) {
        if (mixStart >= 0)
            emit(mixStart, end, false);
        mixStart = -1;
    };
    for (int x = 0; x < w;) {
        const int c = cls(row[x]);
        int e = x + 1;
        while (e < w && cls(row[e]) == c)
            ++e;
        if (c == 1 || e - x < MinRun) {
            // Mixed, or too short to stand alone (a transparent stretch then
            // only extends a mix already begun).
            if (mixStart < 0 && c != 0)
                mixStart = x;
        } else {
            closeMix(x);
            if (c == 2)
                emit(x, e, true);
        }
        x = e;
    }
    closeMix(w);
}

pixman_image_t* AsImage(void* p) { return static_cast<pixman_image_t*>(p); }

int ClampInt(double v)
{
    if (!(v > double(INT_MIN)))
        return INT_MIN;
    if (!(v < double(INT_MAX)))
        return INT_MAX;
    return int(v);
}

pixman_color_t PremultipliedColour(TColorIG c, int alpha)
{
    auto ch = [alpha](int v) { return uint16_t(((v * alpha + 127) / 255) * 257); };
    pixman_color_t pc;
    pc.red = ch(c.R());
    pc.green = ch(c.G());
    pc.blue = ch(c.B());
    pc.alpha = uint16_t(alpha * 257);
    return pc;
}

inline int Mul255(int a, int b)
{
    int v = a * b + 128;
    return (v + (v >> 8)) >> 8;
}

// ---------------------------------------------------------------------------
// Source images for pixman.
//
// Bitmaps whose pixels pixman reads as they are (RGB565, 24-bit, x8r8g8b8,
// premultiplied a8r8g8b8) are wrapped without a copy. Everything else - a key
// colour, the 16-bit alpha plane, straight 32-bit alpha, grey - goes through a
// premultiplied a8r8g8b8 copy, and glyph bitmaps through an a8 coverage copy.
// Copies are kept with their bitmap (TDibIG::SetDerived): made once, dropped
// when the pixels change or the bitmap goes, so any number of images can be
// drawn in turn without making their copies again.

struct Variant {
    bool coverage;      // a8 coverage (255 - grey) instead of colours
    bool useKey;
    uint16_t key;       // RGB565 of the key colour
    bool ignoreAlpha;   // colours only (plain copies)
    bool operator==(const Variant& o) const
    {
        return coverage == o.coverage && useKey == o.useKey && (!useKey || key == o.key) &&
               ignoreAlpha == o.ignoreAlpha;
    }
};

// Bytes of every kept copy, for GetCopiesMemoryUsed.
std::atomic<size_t> g_copyBytes{0};

struct PixelCopy {
    std::unique_ptr<uint8_t[]> data;
    int width = 0, height = 0, stride = 0;
    pixman_image_t* image = nullptr;
    bool opaque = true;
    size_t bytes = 0;
    // a8r8g8b8 copies: the runs of row y are runs[rowStart[y] .. rowStart[y + 1]).
    std::vector<IDCRowRun> runs;
    std::vector<uint32_t> rowStart;

    PixelCopy() = default;
    PixelCopy(const PixelCopy&) = delete;
    PixelCopy& operator=(const PixelCopy&) = delete;
    ~PixelCopy()
    {
        if (image)
            pixman_image_unref(image);
    }
};

// The copies of one bitmap, one per variant drawn (most recent first).
class CopySet : public TDibIGDerived {
public:
    ~CopySet() override
    {
        for (const Entry& e : entries_)
            g_copyBytes -= e.copy->bytes;
    }
    size_t GetMemoryUsed() const override
    {
        size_t n = sizeof(*this);
        for (const Entry& e : entries_)
            n += sizeof(Entry) + sizeof(PixelCopy) + e.copy->bytes;
        return n;
    }

    // The copy of dib in the variant, made when missing; null when memory runs out.
    const PixelCopy* Get(const TDibIG& dib, const Variant& v);

private:
    // A bitmap is drawn in few ways; more than this and the oldest goes.
    static constexpr size_t MaxVariants = 4;
    struct Entry {
        Variant variant;
        uint64_t version;
        std::unique_ptr<PixelCopy> copy;
    };
    std::vector<Entry> entries_;
};

inline int GreyOf(const uint8_t* row, int x, int bpp)
{
    switch (bpp) {
    case 8:
        return row[x];
    case 16: {
        uint16_t p;
        std::memcpy(&p, row + 2 * x, 2);
        return (77 * TColorIG::Expand5(p >> 11) + 150 * TColorIG::Expand6((p >> 5) & 0x3F) +
                29 * TColorIG::Expand5(p & 0x1F)) >> 8;
    }
    case 24:
        return (77 * row[3 * x + 2] + 150 * row[3 * x + 1] + 29 * row[3 * x]) >> 8;
    default:
        return (77 * row[4 * x + 2] + 150 * row[4 * x + 1] + 29 * row[4 * x]) >> 8;
    }
}

// Coverage (255 - grey) of the part s of dib as an a8 image of s's size.
bool MakeCoverage(const TDibIG& dib, const TRectIG& s, PixelCopy& out)
{
    const int w = s.right - s.left, h = s.bottom - s.top;
    if (w <= 0 || h <= 0)
        return false;
    const int stride = (w + 3) & ~3;
    out.data.reset(new (std::nothrow) uint8_t[size_t(stride) * size_t(h)]);
    if (!out.data)
        return false;
    for (int y = 0; y < h; ++y) {
        const uint8_t* row = dib.Row(s.top + y);
        uint8_t* o = out.data.get() + size_t(y) * size_t(stride);
        for (int x = 0; x < w; ++x)
            o[x] = uint8_t(255 - GreyOf(row, s.left + x, dib.Bpp()));
        std::memset(o + w, 0, size_t(stride - w));
    }
    out.width = w;
    out.height = h;
    out.stride = stride;
    out.bytes = size_t(stride) * size_t(h);
    out.opaque = false;
    out.image = pixman_image_create_bits(PIXMAN_a8, w, h, reinterpret_cast<uint32_t*>(out.data.get()), stride);
    return out.image != nullptr;
}

// The row runs of an a8r8g8b8 copy. False when memory runs out.
bool MakeRowRuns(PixelCopy& out)
{
    const int w = out.width, h = out.height;
    if (w > 0xFFFF)
        return false;
    try {
        out.rowStart.reserve(size_t(h) + 1);
        for (int y = 0; y < h; ++y) {
            out.rowStart.push_back(uint32_t(out.runs.size()));
            RowRuns(reinterpret_cast<const uint32_t*>(out.data.get()) + size_t(y) * size_t(w), w,
                    [&](int x0, int x1, bool opaque) {
                        out.runs.push_back(IDCRowRun{uint16_t(x0), uint16_t(x1), opaque});
                    });
        }
        out.rowStart.push_back(uint32_t(out.runs.size()));
    } catch (const std::bad_alloc&) {
        return false;
    }
    out.runs.shrink_to_fit();
    out.bytes += out.runs.capacity() * sizeof(IDCRowRun) + out.rowStart.capacity() * sizeof(uint32_t);
    return true;
}

// The premultiplied a8r8g8b8 form of dib. False when memory runs out.
bool MakeArgb(const TDibIG& dib, const Variant& v, PixelCopy& out)
{
    const int w = dib.Width(), h = dib.AbsHeight();
    if (w <= 0 || h <= 0)
        return false;
    const size_t n = size_t(w) * size_t(h);
    out.data.reset(new (std::nothrow) uint8_t[n * 4]);
    if (!out.data)
        return false;
    out.width = w;
    out.height = h;
    out.stride = w * 4;
    out.bytes = n * 4;
    const bool premul = dib.IsPreMultiplied();
    const bool useAlpha = !v.ignoreAlpha && dib.Tiene_Alphas();
    bool opaque = true;
    for (int y = 0; y < h; ++y) {
        const uint8_t* row = dib.Row(y);
        const uint8_t* arow = dib.Bpp() == 16 && useAlpha ? dib.AlphaRow(y) : nullptr;
        uint32_t* o = reinterpret_cast<uint32_t*>(out.data.get()) + size_t(y) * size_t(w);
        for (int x = 0; x < w; ++x) {
            int r, g, b, a = 255;
            uint16_t p565;
            switch (dib.Bpp()) {
            case 8:
                r = g = b = row[x];
                p565 = TColorIG::PackRGB565(r, g, b);
                break;
            case 16: {
                uint16_t p;
                std::memcpy(&p, row + 2 * x, 2);
                p565 = p;
                r = TColorIG::Expand5(p >> 11);
                g = TColorIG::Expand6((p >> 5) & 0x3F);
                b = TColorIG::Expand5(p & 0x1F);
                if (arow)
                    a = 255 - arow[x];
                break;
            }
            case 24:
                b = row[3 * x];
                g = row[3 * x + 1];
                r = row[3 * x + 2];
                p565 = TColorIG::PackRGB565(r, g, b);
                break;
            default: {
                uint32_t p;
                std::memcpy(&p, row + 4 * x, 4);
                r = (p >> 16) & 0xFF;
                g = (p >> 8) & 0xFF;
                b = p & 0xFF;
                if (useAlpha)
                    a = int(p >> 24);
                p565 = TColorIG::PackRGB565(r, g, b);
                break;
            }
            }
            if (v.useKey && p565 == v.key)
                a = 0;
            if (a == 0) {
                o[x] = 0;
                opaque = false;
                continue;
            }
            if (a < 255) {
                opaque = false;
                if (premul) {
                    r = std::min(r, a);
                    g = std::min(g, a);
                    b = std::min(b, a);
                } else {
                    r = Mul255(r, a);
                    g = Mul255(g, a);
                    b = Mul255(b, a);
                }
            }
            o[x] = uint32_t(a) << 24 | uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b);
        }
    }
    out.opaque = opaque;
    if (!MakeRowRuns(out))
        return false;
    out.image = pixman_image_create_bits(PIXMAN_a8r8g8b8, w, h, reinterpret_cast<uint32_t*>(out.data.get()),
                                         out.stride);
    return out.image != nullptr;
}

bool MakeCopy(const TDibIG& dib, const Variant& v, PixelCopy& out)
{
    if (v.coverage)
        return MakeCoverage(dib, TRectIG(0, 0, dib.Width(), dib.AbsHeight()), out);
    return MakeArgb(dib, v, out);
}

const PixelCopy* CopySet::Get(const TDibIG& dib, const Variant& v)
{
    for (size_t i = 0; i < entries_.size(); ++i) {
        if (!(entries_[i].variant == v))
            continue;
        if (entries_[i].version == dib.Version()) {
            if (i > 0)
                std::swap(entries_[0], entries_[i]);
            return entries_[0].copy.get();
        }
        g_copyBytes -= entries_[i].copy->bytes;
        entries_.erase(entries_.begin() + std::ptrdiff_t(i));
        break;
    }
    std::unique_ptr<PixelCopy> copy(new (std::nothrow) PixelCopy);
    if (!copy || !MakeCopy(dib, v, *copy))
        return nullptr;
    if (entries_.size() >= MaxVariants) {
        g_copyBytes -= entries_.back().copy->bytes;
        entries_.pop_back();
    }
    g_copyBytes += copy->bytes;
    entries_.insert(entries_.begin(), Entry{v, dib.Version(), std::move(copy)});
    return entries_[0].copy.get();
}

// Copies are made and used under one lock: contexts on other threads may draw
// the same bitmap.
std::mutex& CopyLock()
{
    static std::mutex mutex;
    return mutex;
}

// The kept copy of dib in the variant. Called with CopyLock() held.
const PixelCopy* KeptCopy(const TDibIG& dib, const Variant& v)
{
    CopySet* set = dynamic_cast<CopySet*>(dib.GetDerived());
    if (!set) {
        std::unique_ptr<CopySet> fresh(new (std::nothrow) CopySet);
        if (!fresh)
            return nullptr;
        set = fresh.get();
        dib.SetDerived(std::move(fresh));
    }
    return set->Get(dib, v);
}

pixman_format_code_t DirectFormat(const TDibIG& dib, bool withAlpha)
{
    switch (dib.Bpp()) {
    case 16:
        return PIXMAN_r5g6b5;
    case 24:
        return PIXMAN_r8g8b8;
    case 32:
        return withAlpha ? PIXMAN_a8r8g8b8 : PIXMAN_x8r8g8b8;
    default:
        return pixman_format_code_t(0);
    }
}

// Global state of the text callbacks and stock fonts.
struct TextHooks {
    IDCDrawTextFn draw = nullptr;
    IDCMeasureTextFn measure = nullptr;
    IDCTextFlagFn flag = nullptr;
    IDCGlyphFn glyph = nullptr;
    void* user = nullptr;
};

TextHooks& Hooks()
{
    static TextHooks hooks;
    return hooks;
}

struct StockFonts {
    std::mutex mutex;
    std::vector<std::unique_ptr<TFontIG>> fonts;
};

StockFonts& Stock()
{
    static StockFonts stock;
    return stock;
}

} // namespace

// ---------------------------------------------------------------------------

struct IDC::BlitOptions {
    bool copy = false;        // colours only, replacing the destination
    bool useKey = false;
    TColorIG key = 0;
    int alpha = 255;
    bool smooth = false;
    const TMatriz3RodAdv* matrix = nullptr;
    bool colourise = false;   // paint colour with the image's darkness as coverage
    TColorIG colour = 0;
};

IDC::IDC() : scratch_(new IDCScratch) {}

IDC::~IDC()
{
    if (dstImage_)
        pixman_image_unref(AsImage(dstImage_));
    if (solid_)
        pixman_image_unref(AsImage(solid_));
}

TRectIG IDC::GetClientRect() const
{
    if (!target_ || target_->IsEmpty())
        return TRectIG();
    return TRectIG(0, 0, target_->Width(), target_->AbsHeight());
}

void IDC::SetBaseTarget(TDibIG* dib)
{
    FlushPixels();
    base_ = dib;
    if (stack_.empty())
        target_ = dib;
    clipDirty_ = true;
}

bool IDC::BeginPaintDib(TDibIG* dib)
{
    if (!dib || dib->IsEmpty() || dib->Bpp() == 8)
        return false;
    FlushPixels();
    stack_.push_back(Saved{target_, hasClip_, clip_});
    target_ = dib;
    hasClip_ = false;
    clip_ = TRectIG();
    clipDirty_ = true;
    return true;
}

void IDC::EndPaintDib()
{
    if (stack_.empty())
        return;
    if (target_)
        target_->Touch();
    pixelsDirty_ = false;
    const Saved s = stack_.back();
    stack_.pop_back();
    target_ = s.target;
    hasClip_ = s.hasClip;
    clip_ = s.clip;
    clipDirty_ = true;
}

void IDC::FlushPixels()
{
    if (pixelsDirty_ && target_)
        target_->Touch();
    pixelsDirty_ = false;
}

bool IDC::ReadyView()
{
    TDibIG* d = target_;
    if (!d || d->IsEmpty() || d->Bpp() == 8)
        return false;
    const bool alpha = d->Tiene_Alphas();
    if (d->Bits() != viewBits_ || d->Width() != viewW_ || d->AbsHeight() != viewH_ || d->Bpp() != viewBpp_ ||
        d->RowStep() != viewStep_ || alpha != viewAlpha_ || !dstImage_) {
        if (dstImage_)
            pixman_image_unref(AsImage(dstImage_));
        viewBits_ = d->Bits();
        viewW_ = d->Width();
        viewH_ = d->AbsHeight();
        viewBpp_ = d->Bpp();
        viewStep_ = d->RowStep();
        viewAlpha_ = alpha;
        view_.row0 = d->Row(0);
        view_.step = viewStep_;
        view_.width = viewW_;
        view_.height = viewH_;
        view_.bpp = viewBpp_;
        dstImage_ = pixman_image_create_bits(DirectFormat(*d, alpha), viewW_, viewH_,
                                             reinterpret_cast<uint32_t*>(view_.row0), viewStep_);
        clipDirty_ = true;
        if (!dstImage_)
            return false;
    }
    if (clipDirty_) {
        const TRectIG surface(0, 0, viewW_, viewH_);
        if (!hasClip_)
            view_.clip = surface;
        else if (clip_.IsEmpty() || !view_.clip.Intersect(clip_, surface))
            view_.clip = TRectIG();
        clipDirty_ = false;
    }
    return !view_.clip.IsEmpty();
}

bool IDC::Ready()
{
    FlushPixels();
    if (!ReadyView())
        return false;
    target_->Touch();
    return true;
}

RasterPen IDC::CurrentPen() const
{
    if (hatched_) {
        RasterPen p;
        p.colour = hatchColour_;
        p.width = 1;
        p.dotted = true;
        return p;
    }
    return pen_;
}

// ---------------------------------------------------------------------------
// Pens, brushes and shapes

void IDC::SetPen(TColorIG colour, int width, int style, const void* pattern, bool smooth)
{
    pen_.colour = colour;
    pen_.width = std::max(1, std::min(width, 64));
    pen_.dotted = false;
    hatched_ = false;
}

void IDC::SetBrush(TColorIG colour, int style)
{
    brush_ = colour;
    hatched_ = false;
}

void IDC::SetHatchBrush(TColorIG colour, int style)
{
    brush_ = colour;
    hatchColour_ = colour;
    hatched_ = true;
}

void IDC::Rectangle(const TRectIG& r)
{
    if (r.IsEmpty() || !Ready())
        return;
    Raster::FillRect(view_, r, brush_);
    // An outline in the brush colour lies on filled pixels already.
    if (hatched_ || pen_.colour != brush_)
        Raster::Frame(view_, r, CurrentPen());
}

void IDC::RectangleA(const TRectIG& r, int alpha)
{
    if (r.IsEmpty() || alpha <= 0 || !Ready())
        return;
    if (alpha >= 255) {
        Raster::FillRect(view_, r, brush_);
        return;
    }
    TRectIG v;
    if (!v.Intersect(r, view_.clip))
        return;
    const pixman_color_t c = PremultipliedColour(brush_, alpha);
    const pixman_box32_t box = {v.left, v.top, v.right, v.bottom};
    pixman_image_fill_boxes(PIXMAN_OP_OVER, AsImage(dstImage_), &c, 1, &box);
}

void IDC::Rectangle_Vacio(int left, int top, int right, int bottom)
{
    if (left > right || top > bottom || !Ready())
        return;
    // Inclusive corners: the exclusive rectangle one pixel larger.
    const TRectIG r(left, top, right == INT_MAX ? right : right + 1, bottom == INT_MAX ? bottom : bottom + 1);
    Raster::Frame(view_, r, CurrentPen());
}

void IDC::Rectangle_Arrodonit_Vacio(const TRectIG& r, int radius)
{
    if (r.IsEmpty() || !Ready())
        return;
    const RasterPen p = CurrentPen();
    if (p.dotted)
        Raster::Frame(view_, r, p);
    else
        Raster::RoundFrame(view_, r, std::max(0, radius), p);
}

void IDC::Line(int x1, int y1, int x2, int y2)
{
    if (!Ready())
        return;
    Raster::Line(view_, x1, y1, x2, y2, CurrentPen());
}

void IDC::Polygon(const TPointIG* points, int count)
{
    if (!points || count < 2 || !Ready())
        return;
    if (count >= 3)
        Raster::FillPolygon(view_, points, count, brush_);
    const RasterPen p = CurrentPen();
    for (int i = 0; i < count; ++i) {
        const TPointIG& a = points[i];
        const TPointIG& b = points[(i + 1) % count];
        Raster::Line(view_, a.x, a.y, b.x, b.y, p);
    }
}

void IDC::Circle(int cx, int cy, int radius, bool filled)
{
    if (radius < 0 || !Ready())
        return;
    if (filled)
        Raster::FillDisk(view_, cx, cy, radius, brush_);
    Raster::Ring(view_, cx, cy, radius, CurrentPen());
}

void IDC::Flecha(const TPointIG& tail, const TPointIG& head, int headLength, int headWidth,
                 bool filledHead, float ratio)
{
    if (!Ready())
        return;
    const RasterPen p = CurrentPen();
    Raster::Line(view_, tail.x, tail.y, head.x, head.y, p);
    const double dx = double(head.x) - tail.x, dy = double(head.y) - tail.y;
    const double len = std::sqrt(dx * dx + dy * dy);
    if (len <= 0.0 || headLength <= 0 || headWidth <= 0)
        return;
    double hl = headLength, hw = headWidth;
    if (ratio > 0.0f && std::isfinite(ratio) && hl > ratio * len) {
        const double k = ratio * len / hl;
        hl *= k;
        hw *= k;
    }
    const double ux = dx / len, uy = dy / len;          // along the arrow
    const double bx = head.x - ux * hl, by = head.y - uy * hl; // middle of the head's base
    const double px = -uy * hw / 2, py = ux * hw / 2;    // half the base, across
    const TPointIG tip = head;
    const TPointIG left(ClampInt(std::round(bx + px)), ClampInt(std::round(by + py)));
    const TPointIG right(ClampInt(std::round(bx - px)), ClampInt(std::round(by - py)));
    if (filledHead) {
        const TPointIG tri[3] = {tip, left, right};
        Raster::FillPolygon(view_, tri, 3, brush_);
        for (int i = 0; i < 3; ++i)
            Raster::Line(view_, tri[i].x, tri[i].y, tri[(i + 1) % 3].x, tri[(i + 1) % 3].y, p);
        Raster::BlendPixel(view_, tip.x, tip.y, p.colour, 255);
    } else {
        Raster::Line(view_, left.x, left.y, tip.x, tip.y, p);
        Raster::Line(view_, right.x, right.y, tip.x, tip.y, p);
        Raster::BlendPixel(view_, tip.x, tip.y, p.colour, 255);
    }
}

void IDC::SetPixel(int x, int y, TColorIG colour, int coverage)
{
    if (coverage <= 0)
        return;
    // Text comes here pixel by pixel: the view is made again only when the
    // target is no longer the one it was made for.
    const TDibIG* d = target_;
    const bool current = d && dstImage_ && !clipDirty_ && d->Bits() == viewBits_ && d->Width() == viewW_ &&
                         d->AbsHeight() == viewH_ && d->Bpp() == viewBpp_ && d->RowStep() == viewStep_ &&
                         d->Tiene_Alphas() == viewAlpha_;
    if ((!current && !ReadyView()) || !view_.clip.PtInRect(x, y))
        return;
    pixelsDirty_ = true;
    Raster::BlendInside(view_, x, y, colour, coverage);
}

void IDC::DrawCoverage(int x, int y, const uint8_t* coverage, int width, int height, int pitch,
                       TColorIG colour, const TRectIG& limit)
{
    DrawCoverageMapped(x, y, coverage, width, height, pitch, nullptr, colour, limit);
}

namespace {

// The rows of a coverage map blended into t, pixel for pixel as
// Raster::BlendInside does it, with the pixel size known here: first is the
// byte of the top-left pixel (left, top) drawn, all of w x h inside the clip.
template <int Bpp, bool Mapped>
void BlendCoverageRows(const RasterTarget& t, int left, int top, int w, int h, const uint8_t* first,
                       std::ptrdiff_t pitch, const uint8_t* map, TColorIG c)
{
    const int sr = c.R(), sg = c.G(), sb = c.B();
    const uint32_t solid32 = c.ToARGB(255);
    const uint16_t solid16 = c.ToRGB565();
    auto mix = [](int s, int d, int a) {
        const int v = s * a + d * (255 - a) + 128;
        return (v + (v >> 8)) >> 8;
    };
    uint8_t* line = t.row0 + std::ptrdiff_t(top) * t.step + std::ptrdiff_t(left) * (Bpp / 8);
    for (int row = 0; row < h; ++row, first += pitch, line += t.step) {
        uint8_t* p = line;
        int i = 0;
#if defined(__SSE2__)
        if (Bpp == 32) {
            // Four pixels at a time, the same sums in 16-bit lanes (none exceeds 65407).
            const __m128i zero = _mm_setzero_si128();
            const __m128i source = _mm_set_epi16(255, short(sr), short(sg), short(sb), 255, short(sr),
                                                 short(sg), short(sb));
            const __m128i full = _mm_set1_epi16(255), half = _mm_set1_epi16(128);
            const __m128i opaque = _mm_set1_epi32(int(0xFF000000u));
            auto blend2 = [&](__m128i d, __m128i a) {
                __m128i v = _mm_add_epi16(_mm_mullo_epi16(source, a),
                                          _mm_mullo_epi16(d, _mm_sub_epi16(full, a)));
                v = _mm_add_epi16(v, half);
                return _mm_srli_epi16(_mm_add_epi16(v, _mm_srli_epi16(v, 8)), 8);
            };
            for (; i + 4 <= w; i += 4, p += 16) {
                uint32_t four;
                if (Mapped)
                    four = uint32_t(map[first[i]]) | uint32_t(map[first[i + 1]]) << 8 |
                           uint32_t(map[first[i + 2]]) << 16 | uint32_t(map[first[i + 3]]) << 24;
                else
                    __builtin_memcpy(&four, first + i, 4);
                if (four == 0)
                    continue;
                if (four == 0xFFFFFFFFu) {
                    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), _mm_set1_epi32(int(solid32)));
                    continue;
                }
                __m128i a = _mm_cvtsi32_si128(int(four));
                a = _mm_unpacklo_epi8(a, a);
                a = _mm_unpacklo_epi16(a, a);  // each pixel's coverage in its four bytes
                const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
                const __m128i lo = blend2(_mm_unpacklo_epi8(d, zero), _mm_unpacklo_epi8(a, zero));
                const __m128i hi = blend2(_mm_unpackhi_epi8(d, zero), _mm_unpackhi_epi8(a, zero));
                const __m128i mixed = _mm_or_si128(_mm_packus_epi16(lo, hi), opaque);
                // Pixels of coverage 0 are not touched at all.
                const __m128i untouched = _mm_cmpeq_epi32(a, zero);
                _mm_storeu_si128(reinterpret_cast<__m128i*>(p),
                                 _mm_or_si128(_mm_and_si128(untouched, d), _mm_andnot_si128(untouched, mixed)));
            }
        }
#endif
        for (; i < w; ++i, p += Bpp / 8) {
            const int a = Mapped ? map[first[i]] : first[i];
            if (a == 0)
                continue;
            if (Bpp == 32) {
                uint32_t d = solid32;
                if (a != 255) {
                    __builtin_memcpy(&d, p, 4);
                    d = 0xFF000000u | uint32_t(mix(sr, (d >> 16) & 0xFF, a)) << 16 |
                        uint32_t(mix(sg, (d >> 8) & 0xFF, a)) << 8 | uint32_t(mix(sb, d & 0xFF, a));
                }
                __builtin_memcpy(p, &d, 4);
            } else if (Bpp == 16) {
                uint16_t d = solid16;
                if (a != 255) {
                    __builtin_memcpy(&d, p, 2);
                    const TColorIG o = TColorIG::FromRGB565(d);
                    d = TColorIG::PackRGB565(mix(sr, o.R(), a), mix(sg, o.G(), a), mix(sb, o.B(), a));
                }
                __builtin_memcpy(p, &d, 2);
            } else {
                p[0] = uint8_t(mix(sb, p[0], a));
                p[1] = uint8_t(mix(sg, p[1], a));
                p[2] = uint8_t(mix(sr, p[2], a));
            }
        }
    }
}

template <bool Mapped>
void BlendCoverage(const RasterTarget& t, int left, int top, int w, int h, const uint8_t* first,
                   std::ptrdiff_t pitch, const uint8_t* map, TColorIG c)
{
    switch (t.bpp) {
    case 16:
        BlendCoverageRows<16, Mapped>(t, left, top, w, h, first, pitch, map, c);
        break;
    case 24:
        BlendCoverageRows<24, Mapped>(t, left, top, w, h, first, pitch, map, c);
        break;
    default:
        BlendCoverageRows<32, Mapped>(t, left, top, w, h, first, pitch, map, c);
        break;
    }
}

} // namespace

void IDC::DrawCoverageMapped(int x, int y, const uint8_t* source, int width, int height, int pitch,
                             const uint8_t* map, TColorIG colour, const TRectIG& limit)
{
    if (!source || width <= 0 || height <= 0 || !ReadyView())
        return;
    // Glyphs come here one by one: the clipping is worked out inline.
    const TRectIG& clip = view_.clip;
    TRectIG visible;
    visible.left = std::max({x, limit.left, clip.left});
    visible.top = std::max({y, limit.top, clip.top});
    visible.right = int(std::min<int64_t>({int64_t(x) + width, limit.right, clip.right}));
    visible.bottom = int(std::min<int64_t>({int64_t(y) + height, limit.bottom, clip.bottom}));
    if (visible.right <= visible.left || visible.bottom <= visible.top)
        return;
    pixelsDirty_ = true;
    const uint8_t* first = source + std::ptrdiff_t(visible.top - y) * pitch + (visible.left - x);
    const int w = visible.right - visible.left, h = visible.bottom - visible.top;
    if (map)
        BlendCoverage<true>(view_, visible.left, visible.top, w, h, first, pitch, map, colour);
    else
        BlendCoverage<false>(view_, visible.left, visible.top, w, h, first, pitch, nullptr, colour);
}

// ---------------------------------------------------------------------------
// Clip

void IDC::SelectClipRect(const TRectIG& r)
{
    hasClip_ = true;
    clip_ = r;
    clipDirty_ = true;
}

void IDC::Fin_SelectClipRgn()
{
    hasClip_ = false;
    clip_ = TRectIG();
    clipDirty_ = true;
}

// ---------------------------------------------------------------------------
// Bitmaps

bool IDC::StretchDIBits(const TRectIG& dst, const TRectIG& src, const TDibIG* image, uint32_t rop)
{
    if (rop != RopSrcCopy)
        return false;
    BlitOptions o;
    o.copy = true;
    return DrawImage(dst, src, image, o);
}

bool IDC::StretchDIBits_Transparent(const TRectIG& dst, const TRectIG& src, const TDibIG* image,
                                    TColorIG key)
{
    BlitOptions o;
    o.useKey = true;
    o.key = key;
    return DrawImage(dst, src, image, o);
}

bool IDC::StretchDIBits_Adv(const TRectIG& dst, const TRectIG& src, const TDibIG* image,
                            const TAdvStetchDIBitsData& data)
{
    BlitOptions o;
    o.alpha = std::max(0, std::min(255, data.alpha));
    o.useKey = (data.modo & TAdvStetchDIBitsData::ModeKeyColour) != 0;
    o.key = TColoresIG::F_Magenta;
    o.smooth = (data.modo & TAdvStetchDIBitsData::ModeSmooth) != 0;
    o.colourise = (data.modo & TAdvStetchDIBitsData::ModeColourByDarkness) != 0;
    o.colour = data.color;
    o.matrix = data.matriz;
    return DrawImage(dst, src, image, o);
}

namespace {

bool SetTransform(pixman_image_t* img, const pixman_f_transform& ft)
{
    pixman_transform_t t;
    if (!pixman_transform_from_pixman_f_transform(&t, &ft))
        return false;
    return pixman_image_set_transform(img, &t);
}

// n pixels of one value: long runs by doubling copies (the compiler leaves a
// plain loop scalar).
inline void FillRun(uint32_t* out, int n, uint32_t value)
{
    const int head = std::min(n, 8);
    for (int i = 0; i < head; ++i)
        out[i] = value;
    for (int done = head; done < n;) {
        const int chunk = std::min(done, n - done);
        std::memcpy(out + done, out, size_t(chunk) * 4);
        done += chunk;
    }
}

// Where pixman's nearest-pixel scaling samples: destination pixel k of a row
// (or row k) takes source index (start + k * step) >> 16, held inside the
// source (padded edges). Worked out from the transform as pixman does it.
struct NearestAxis {
    int64_t start, step;
    int size;
    int Index(int k) const
    {
        const int64_t i = (start + int64_t(k) * step) >> 16;
        return int(i < 0 ? 0 : i >= size ? size - 1 : i);
    }
};

// False when the transform is not a plain scale.
bool NearestAxes(const pixman_f_transform& ft, int sw, int sh, NearestAxis& ax, NearestAxis& ay)
{
    pixman_transform_t t;
    if (!pixman_transform_from_pixman_f_transform(&t, &ft))
        return false;
    const pixman_fixed_t* m0 = t.matrix[0];
    const pixman_fixed_t* m1 = t.matrix[1];
    const pixman_fixed_t* m2 = t.matrix[2];
    if (m0[1] != 0 || m1[0] != 0 || m2[0] != 0 || m2[1] != 0 || m2[2] != pixman_fixed_1 || m0[0] <= 0 ||
        m1[1] <= 0 || sw <= 0 || sh <= 0)
        return false;
    pixman_vector_t v;
    v.vector[0] = pixman_fixed_1 / 2;
    v.vector[1] = pixman_fixed_1 / 2;
    v.vector[2] = pixman_fixed_1;
    if (!pixman_transform_point_3d(&t, &v))
        return false;
    ax = NearestAxis{int64_t(v.vector[0]) - pixman_fixed_e, m0[0], sw};
    ay = NearestAxis{int64_t(v.vector[1]) - pixman_fixed_e, m1[1], sh};
    return true;
}


void ColumnRuns(const NearestAxis& ax, int w, int offset, std::vector<IDCColumnRun>& runs)
{
    runs.clear();
    for (int k = 0; k < w; ++k) {
        const int i = ax.Index(k) + offset;
        if (!runs.empty()) {
            IDCColumnRun& r = runs.back();
            if (r.repeat ? i == r.from : i == r.from + r.length) {
                ++r.length;
                continue;
            }
            if (r.length == 1 && (i == r.from || i == r.from + 1)) {
                r.repeat = i == r.from;
                ++r.length;
                continue;
            }
        }
        runs.push_back(IDCColumnRun{k, 1, i, true});
    }
}

// A nearest-pixel scaled copy of a 32-bit image into an x8r8g8b8 target, edges
// padded: what pixman's SRC composite does with that transform, sample for
// sample, but with each source row worked out once, rows that sample the same
// source row copied whole and runs of one source pixel filled. Skin
// backgrounds are a few pixels stretched over the screen, which pixman walks
// pixel by pixel. False when the transform is not a plain scale (nothing drawn).
bool ScaledCopy(pixman_image_t* src, const pixman_f_transform& ft, pixman_image_t* dst, int dx, int dy, int w, int h,
                std::vector<IDCColumnRun>& runs)
{
    const pixman_format_code_t sf = pixman_image_get_format(src);
    if ((sf != PIXMAN_a8r8g8b8 && sf != PIXMAN_x8r8g8b8) || pixman_image_get_format(dst) != PIXMAN_x8r8g8b8)
        return false;
    const int sw = pixman_image_get_width(src), sh = pixman_image_get_height(src);
    const uint32_t* sbits = pixman_image_get_data(src);
    const int sstride = pixman_image_get_stride(src);
    uint8_t* dbits = reinterpret_cast<uint8_t*>(pixman_image_get_data(dst));
    const int dstride = pixman_image_get_stride(dst);
    NearestAxis ax, ay;
    if (!sbits || !dbits || w <= 0 || h <= 0 || !NearestAxes(ft, sw, sh, ax, ay))
        return false;
    ColumnRuns(ax, w, 0, runs);
    const uint8_t* lastRow = nullptr;
    int lastIndex = -1;
    for (int row = 0; row < h; ++row) {
        const int i = ay.Index(row);
        uint32_t* out = reinterpret_cast<uint32_t*>(dbits + std::ptrdiff_t(dy + row) * dstride) + dx;
        if (i == lastIndex && lastRow) {
            std::memcpy(out, lastRow, size_t(w) * 4);
            continue;
        }
        const uint32_t* in = reinterpret_cast<const uint32_t*>(reinterpret_cast<const uint8_t*>(sbits) +
                                                               std::ptrdiff_t(i) * sstride);
        for (const IDCColumnRun& r : runs) {
            if (r.repeat)
                FillRun(out + r.at, r.length, in[r.from]);
            else
                std::memcpy(out + r.at, in + r.from, size_t(r.length) * 4);
        }
        lastRow = reinterpret_cast<const uint8_t*>(out);
        lastIndex = i;
    }
    return true;
}

// A premultiplied pixel laid over a 32-bit one, every channel (alpha too)
// rounded and saturated as pixman's OVER does it.
inline uint32_t Over(uint32_t s, uint32_t d)
{
    const uint32_t ia = 255 - (s >> 24);
    auto half = [ia](uint32_t x, uint32_t y) {
        uint32_t t = x * ia + 0x00800080u;
        t = ((t + ((t >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
        t += y;
        t |= 0x01000100u - ((t >> 8) & 0x00FF00FFu);
        return t & 0x00FF00FFu;
    };
    return half(d & 0x00FF00FFu, s & 0x00FF00FFu) | half((d >> 8) & 0x00FF00FFu, (s >> 8) & 0x00FF00FFu) << 8;
}

inline void OverPixel(uint32_t* out, uint32_t p)
{
    if (p >= 0xFF000000u)
        *out = p;
    else if (p)
        *out = Over(p, *out);
}

// n premultiplied pixels laid over out, as Over does each (an opaque pixel
// comes out as itself, a clear one leaves out as it was).
void OverMixed(uint32_t* out, const uint32_t* in, int n)
{
    int x = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i full = _mm_set1_epi16(0x00FF);
    const __m128i half = _mm_set1_epi16(0x0080);
    auto over = [&](__m128i s, __m128i d) {
        // 255 - alpha of each pixel in all four of its lanes.
        const __m128i ia = _mm_xor_si128(_mm_shufflehi_epi16(_mm_shufflelo_epi16(s, 0xFF), 0xFF), full);
        __m128i t = _mm_add_epi16(_mm_mullo_epi16(d, ia), half);
        t = _mm_srli_epi16(_mm_add_epi16(t, _mm_srli_epi16(t, 8)), 8);
        return _mm_add_epi16(t, s);
    };
    for (; x + 4 <= n; x += 4) {
        const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + x));
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(out + x));
        const __m128i lo = over(_mm_unpacklo_epi8(s, zero), _mm_unpacklo_epi8(d, zero));
        const __m128i hi = over(_mm_unpackhi_epi8(s, zero), _mm_unpackhi_epi8(d, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), _mm_packus_epi16(lo, hi));
    }
#endif
    for (; x < n; ++x)
        OverPixel(out + x, in[x]);
}

// The first run of row y of c that ends after column a (the row's end when none).
inline const IDCRowRun* FirstRunFrom(const PixelCopy& c, int y, int a, const IDCRowRun*& end)
{
    const IDCRowRun* r = c.runs.data() + c.rowStart[size_t(y)];
    end = c.runs.data() + c.rowStart[size_t(y) + 1];
    if (end - r > 8)
        return std::partition_point(r, end, [a](const IDCRowRun& run) { return run.x1 <= a; });
    while (r != end && r->x1 <= a)
        ++r;
    return r;
}

// Columns a..b-1 of row y of a premultiplied copy laid over out (column a
// first), with the row's runs: opaque ones copied, transparent ones skipped.
void OverSpan(uint32_t* out, const PixelCopy& c, int y, int a, int b)
{
    const uint32_t* in = reinterpret_cast<const uint32_t*>(c.data.get()) + size_t(y) * size_t(c.width);
    const IDCRowRun* end;
    for (const IDCRowRun* r = FirstRunFrom(c, y, a, end); r != end && r->x0 < b; ++r) {
        const int x0 = std::max(a, int(r->x0)), x1 = std::min(b, int(r->x1));
        uint32_t* o = out + (x0 - a);
        if (r->opaque) {
            std::memcpy(o, in + x0, size_t(x1 - x0) * 4);
        } else {
            OverMixed(o, in + x0, x1 - x0);
        }
    }
}

// Source row in sampled by the column runs, into out.
void Sample(uint32_t* out, const uint32_t* in, const std::vector<IDCColumnRun>& columns)
{
    for (const IDCColumnRun& r : columns) {
        if (r.repeat)
            FillRun(out + r.at, r.length, in[r.from]);
        else
            std::memcpy(out + r.at, in + r.from, size_t(r.length) * 4);
    }
}

// The runs of row y of c sampled by the column runs, in target columns.
// Neighbours of one kind are joined.
void SampledRuns(const PixelCopy& c, int y, const std::vector<IDCColumnRun>& columns, std::vector<IDCRowRun>& runs)
{
    runs.clear();
    auto add = [&runs](int x0, int x1, bool opaque) {
        if (!runs.empty() && runs.back().x1 == x0 && runs.back().opaque == opaque)
            runs.back().x1 = uint16_t(x1);
        else
            runs.push_back(IDCRowRun{uint16_t(x0), uint16_t(x1), opaque});
    };
    const uint32_t* in = reinterpret_cast<const uint32_t*>(c.data.get()) + size_t(y) * size_t(c.width);
    for (const IDCColumnRun& col : columns) {
        if (col.repeat) {
            const uint32_t p = in[col.from];
            if (p)
                add(col.at, col.at + col.length, p >= 0xFF000000u);
            continue;
        }
        const int a = col.from, b = col.from + col.length;
        const IDCRowRun* end;
        for (const IDCRowRun* r = FirstRunFrom(c, y, a, end); r != end && r->x0 < b; ++r)
            add(col.at + std::max(a, int(r->x0)) - a, col.at + std::min(b, int(r->x1)) - a, r->opaque);
    }
}

// The part of a kept a8r8g8b8 copy c at (srcX, srcY), or the part s scaled by
// ft, laid over vis of a 32-bit target as pixman's OVER would lay it. False
// when it cannot be (nothing drawn).
bool DirectOver(const RasterTarget& view, IDCScratch& scratch, const PixelCopy& c, const TRectIG& s, bool transformed,
                const pixman_f_transform& ft, int srcX, int srcY, const TRectIG& vis)
{
    std::vector<IDCColumnRun>& columns = scratch.columns;
    std::vector<uint32_t>& line = scratch.line;
    std::vector<IDCRowRun>& lineRuns = scratch.lineRuns;
    const int w = vis.right - vis.left, h = vis.bottom - vis.top;
    try {
        columns.reserve(size_t(w));
        line.resize(size_t(w));
        lineRuns.reserve(size_t(w) / 2 + 2);
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (c.rowStart.size() != size_t(c.height) + 1)
        return false;
    auto outRow = [&](int row) {
        return reinterpret_cast<uint32_t*>(view.row0 + std::ptrdiff_t(vis.top + row) * view.step) + vis.left;
    };
    if (!transformed) {
        for (int row = 0; row < h; ++row)
            OverSpan(outRow(row), c, srcY + row, srcX, srcX + w);
        return true;
    }
    NearestAxis ax, ay;
    if (!NearestAxes(ft, s.right - s.left, s.bottom - s.top, ax, ay))
        return false;
    const int64_t first = ax.start >> 16, lastIndex = (ax.start + int64_t(w - 1) * ax.step) >> 16;
    if (ax.step == pixman_fixed_1 && first >= 0 && lastIndex < ax.size) {
        // Stretched up or down only: each row straight from the source's runs.
        const int from = int(first) + s.left;
        for (int row = 0; row < h; ++row)
            OverSpan(outRow(row), c, ay.Index(row) + s.top, from, from + w);
        return true;
    }
    if (!c.opaque)
        return false;  // pixman lays stretched rows of clear and mixed pixels faster
    ColumnRuns(ax, w, s.left, columns);
    // Each source row is sampled once: its runs on the target row come from
    // its own runs, and rows that sample it again use them again. A row that
    // is opaque all along is written straight and copied for the rows after.
    int last = -1;
    bool whole = false;
    const uint32_t* lastOut = nullptr;
    for (int row = 0; row < h; ++row) {
        const int y = ay.Index(row) + s.top;
        uint32_t* out = outRow(row);
        if (y == last && whole) {
            std::memcpy(out, lastOut, size_t(w) * 4);
            continue;
        }
        if (y != last) {
            const uint32_t* in = reinterpret_cast<const uint32_t*>(c.data.get()) + size_t(y) * size_t(c.width);
            SampledRuns(c, y, columns, lineRuns);
            whole = lineRuns.size() == 1 && lineRuns[0].opaque && lineRuns[0].x0 == 0 && lineRuns[0].x1 == w;
            Sample(whole ? out : line.data(), in, columns);
            last = y;
            if (whole) {
                lastOut = out;
                continue;
            }
        }
        for (const IDCRowRun& r : lineRuns) {
            if (r.opaque) {
                std::memcpy(out + r.x0, line.data() + r.x0, size_t(r.x1 - r.x0) * 4);
            } else {
                OverMixed(out + r.x0, line.data() + r.x0, r.x1 - r.x0);
            }
        }
    }
    return true;
}

} // namespace

bool IDC::DrawImage(const TRectIG& dst, const TRectIG& src, const TDibIG* image, const BlitOptions& o)
{
    if (!image || image->IsEmpty() || dst.IsEmpty() || src.IsEmpty())
        return false;
    if (!target_ || target_->IsEmpty())
        return false;
    if (o.alpha <= 0)
        return true;
    if (!Ready())
        return true;

    const int iw = image->Width(), ih = image->AbsHeight();
    TRectIG s;
    if (!s.Intersect(src, TRectIG(0, 0, iw, ih)))
        return true;

    // Where the pixels go, and the transform from destination pixels to
    // source coordinates (relative to the source image's origin).
    TRectIG vis;
    pixman_f_transform ft;
    bool transformed = true;
    bool nearest = !o.smooth;
    int srcX = 0, srcY = 0;
    if (o.matrix) {
        TMatriz3RodAdv inv;
        if (!o.matrix->Invert(inv))
            return true;
        double xs[4], ys[4];
        o.matrix->Transform(s.left, s.top, xs[0], ys[0]);
        o.matrix->Transform(s.right, s.top, xs[1], ys[1]);
        o.matrix->Transform(s.left, s.bottom, xs[2], ys[2]);
        o.matrix->Transform(s.right, s.bottom, xs[3], ys[3]);
        double x0 = xs[0], x1 = xs[0], y0 = ys[0], y1 = ys[0];
        for (int i = 1; i < 4; ++i) {
            x0 = std::min(x0, xs[i]);
            x1 = std::max(x1, xs[i]);
            y0 = std::min(y0, ys[i]);
            y1 = std::max(y1, ys[i]);
        }
        if (!std::isfinite(x0) || !std::isfinite(x1) || !std::isfinite(y0) || !std::isfinite(y1))
            return true;
        const TRectIG box(ClampInt(std::floor(x0)), ClampInt(std::floor(y0)), ClampInt(std::ceil(x1)),
                          ClampInt(std::ceil(y1)));
        if (!vis.Intersect(box, view_.clip))
            return true;
        if (!o.matrix->IsPixelExact())
            nearest = false;
        // source = inv * (dest + vis origin), relative to the source part s
        // (the image drawn is a view on s, so nothing outside it is sampled).
        pixman_f_transform_init_identity(&ft);
        for (int r = 0; r < 2; ++r)
            for (int c = 0; c < 3; ++c)
                ft.m[r][c] = inv.m[r][c];
        ft.m[0][2] = inv.m[0][0] * vis.left + inv.m[0][1] * vis.top + inv.m[0][2] - s.left;
        ft.m[1][2] = inv.m[1][0] * vis.left + inv.m[1][1] * vis.top + inv.m[1][2] - s.top;
    } else {
        const double sw = double(src.right) - src.left, sh = double(src.bottom) - src.top;
        const double dw = double(dst.right) - dst.left, dh = double(dst.bottom) - dst.top;
        const double fx = sw / dw, fy = sh / dh;
        // Destination pixels whose sample point falls inside the image part s.
        const TRectIG reach(ClampInt(std::ceil(dst.left + (double(s.left) - src.left) / fx - 0.5)),
                            ClampInt(std::ceil(dst.top + (double(s.top) - src.top) / fy - 0.5)),
                            ClampInt(std::ceil(dst.left + (double(s.right) - src.left) / fx - 0.5)),
                            ClampInt(std::ceil(dst.top + (double(s.bottom) - src.top) / fy - 0.5)));
        TRectIG d;
        if (!d.Intersect(reach, dst) || !vis.Intersect(d, view_.clip))
            return true;
        if (sw == dw && sh == dh) {
            transformed = false;
            // Inside s, since vis lies inside reach.
            srcX = int(int64_t(src.left) + (int64_t(vis.left) - dst.left) - s.left);
            srcY = int(int64_t(src.top) + (int64_t(vis.top) - dst.top) - s.top);
        } else {
            pixman_f_transform_init_scale(&ft, fx, fy);
            ft.m[0][2] = src.left + (double(vis.left) - dst.left) * fx - s.left;
            ft.m[1][2] = src.top + (double(vis.top) - dst.top) * fy - s.top;
        }
    }

    // The source: a coverage mask, a cached copy or the bitmap itself. Plain
    // blits address it by offset; transformed ones get a view on exactly the
    // part s (so padding and edges are s's own), except where s is all of it.
    std::unique_lock<std::mutex> lock(CopyLock(), std::defer_lock);
    PixelCopy scratch;
    const bool wholeImage = s == TRectIG(0, 0, iw, ih);
    pixman_image_t* full = nullptr;      // borrowed
    pixman_image_t* owned = nullptr;     // made for this call
    const uint8_t* base = nullptr;       // pixels of full, for views
    int stride = 0, bpp = 4;
    pixman_format_code_t fmt = PIXMAN_a8r8g8b8;
    bool opaque = false;
    // The image converted for pixman: a private copy when it is the target
    // itself, else the one kept with the image, used under the copies' lock.
    auto copyOf = [&](const Variant& v) -> const PixelCopy* {
        if (image == target_)
            return MakeCopy(*image, v, scratch) ? &scratch : nullptr;
        lock.lock();
        return KeptCopy(*image, v);
    };

    if (o.colourise) {
        if (transformed && !wholeImage) {
            // Turned or scaled part of a glyph bitmap: coverage of s alone.
            if (!MakeCoverage(*image, s, scratch))
                return true;
            owned = pixman_image_ref(scratch.image);
        } else {
            const PixelCopy* c = copyOf(Variant{true, false, 0, false});
            if (!c)
                return true;
            full = c->image;
        }
    } else {
        const bool viaCopy = o.useKey || image->Bpp() == 8 || image == target_ || o.matrix ||
                             (!o.copy && image->Tiene_Alphas() &&
                              !(image->Bpp() == 32 && image->IsPreMultiplied()));
        if (viaCopy) {
            const PixelCopy* c = copyOf(Variant{false, o.useKey, o.key.ToRGB565(), o.copy});
            if (!c)
                return true;
            if (directBlits_ && viewBpp_ == 32 && !o.matrix && nearest && o.alpha >= 255 &&
                DirectOver(view_, *scratch_, *c, s, transformed, ft, srcX + s.left, srcY + s.top, vis))
                return true;
            full = c->image;
            base = c->data.get();
            stride = c->stride;
            opaque = c->opaque;
        } else {
            const bool alpha = !o.copy && image->Tiene_Alphas();
            fmt = DirectFormat(*image, alpha);
            base = image->Row(0);
            stride = image->RowStep();
            bpp = image->BytesPerPixel();
            opaque = !alpha;
            owned = pixman_image_create_bits(fmt, iw, ih, reinterpret_cast<uint32_t*>(const_cast<uint8_t*>(base)),
                                             stride);
            if (!owned)
                return true;
        }
        if (transformed && !wholeImage) {
            // A view on s. Its first pixel must be 4-byte aligned, so a view on
            // 16- or 24-bit pixels starts at column 0 of s's first row (a
            // transform then pads at column 0 rather than at s.left; samples
            // stay inside s up to rounding).
            const uint8_t* first = base + std::ptrdiff_t(s.top) * stride;
            int viewLeft = s.left;
            if (bpp == 4) {
                first += std::ptrdiff_t(s.left) * 4;
                viewLeft = 0;
            }
            pixman_image_t* view =
                pixman_image_create_bits(fmt, s.right - s.left + viewLeft, s.bottom - s.top,
                                         reinterpret_cast<uint32_t*>(const_cast<uint8_t*>(first)), stride);
            if (owned)
                pixman_image_unref(owned);
            owned = view;
            full = nullptr;
            if (!owned)
                return true;
            ft.m[0][2] += viewLeft;
        }
    }
    pixman_image_t* img = owned ? owned : full;
    if (!transformed) {
        // Offsets were worked out relative to s; the image is addressed whole.
        srcX += s.left;
        srcY += s.top;
    }
    pixman_image_t* dstImg = AsImage(dstImage_);
    const int w = vis.right - vis.left, h = vis.bottom - vis.top;
    if (transformed && !o.matrix && nearest && !o.colourise && o.alpha >= 255 && (o.copy || opaque) &&
        ScaledCopy(img, ft, dstImg, vis.left, vis.top, w, h, scratch_->columns)) {
        if (owned)
            pixman_image_unref(owned);
        return true;
    }
    if (transformed) {
        if (!SetTransform(img, ft)) {
            if (owned)
                pixman_image_unref(owned);
            return true;
        }
        pixman_image_set_filter(img, nearest ? PIXMAN_FILTER_NEAREST : PIXMAN_FILTER_BILINEAR, nullptr, 0);
        pixman_image_set_repeat(img, o.matrix ? PIXMAN_REPEAT_NONE : PIXMAN_REPEAT_PAD);
    }

    const int sx = transformed ? 0 : srcX, sy = transformed ? 0 : srcY;
    if (o.colourise) {
        pixman_image_composite32(PIXMAN_OP_OVER, AsImage(Solid(o.colour, o.alpha)), img, dstImg, 0, 0, sx, sy, vis.left,
                                 vis.top, w, h);
    } else {
        pixman_image_t* mask = o.alpha < 255 ? AsImage(Solid(TColorIG(0), o.alpha)) : nullptr;
        const pixman_op_t op = (o.copy || (opaque && !mask && !o.matrix)) ? PIXMAN_OP_SRC : PIXMAN_OP_OVER;
        pixman_image_composite32(op, img, mask, dstImg, sx, sy, 0, 0, vis.left, vis.top, w, h);
    }
    // Shared cached images keep no transform between calls.
    if (transformed && !owned) {
        pixman_image_set_transform(img, nullptr);
        pixman_image_set_filter(img, PIXMAN_FILTER_NEAREST, nullptr, 0);
        pixman_image_set_repeat(img, PIXMAN_REPEAT_NONE);
    }
    if (owned)
        pixman_image_unref(owned);
    return true;
}

void* IDC::Solid(TColorIG colour, int alpha)
{
    const uint32_t key = colour.ToARGB(alpha);
    if (!solid_ || solidKey_ != key) {
        if (solid_)
            pixman_image_unref(AsImage(solid_));
        const pixman_color_t c = PremultipliedColour(colour, alpha);
        solid_ = pixman_image_create_solid_fill(&c);
        solidKey_ = key;
    }
    return solid_;
}

// ---------------------------------------------------------------------------
// Fonts and text

size_t IDC::GetCopiesMemoryUsed() { return g_copyBytes.load(); }

float IDC::GetFontScreenScale(float uiScale) { return uiScale; }

int IDC::CreateStockFont(const char* name, int size, int angle, bool bold, float factor)
{
    TFontIG f;
    if (!f.Create(name, size, bold, 1, factor, false))
        return 0;
    f.SetAngle(angle);
    StockFonts& s = Stock();
    std::lock_guard<std::mutex> lock(s.mutex);
    for (size_t i = 0; i < s.fonts.size(); ++i)
        if (s.fonts[i]->SameAs(f))
            return int(i) + 1;
    if (s.fonts.size() >= 100000)
        return 0;
    s.fonts.push_back(std::make_unique<TFontIG>(f));
    return int(s.fonts.size());
}

TFontIG* IDC::GetStockFont(int id)
{
    StockFonts& s = Stock();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (id < 1 || size_t(id) > s.fonts.size())
        return nullptr;
    return s.fonts[size_t(id) - 1].get();
}

TFontIG* IDC::SelectFont(TFontIG* font)
{
    TFontIG* old = font_;
    font_ = font;
    return old;
}

void IDC::SetFontFunctionCallbacks(IDCDrawTextFn drawText, IDCMeasureTextFn measureText,
                                   IDCTextFlagFn textFlag, IDCGlyphFn glyph, void* user)
{
    TextHooks& h = Hooks();
    h.draw = drawText;
    h.measure = measureText;
    h.flag = textFlag;
    h.glyph = glyph;
    h.user = user;
}

int IDC::DrawTextA(const char* text, int length, TRectIG& rect, unsigned flags)
{
    const TextHooks& h = Hooks();
    if (!h.draw || !text)
        return 0;
    const TColorIG bk = bkColour_;
    const TColorIG* background = bkMode_ == BkOpaque ? &bk : nullptr;
    if (length < 0)
        return h.draw(h.user, this, font_, text, rect, flags, TColoresIG::F_Black, background);
    const std::string part(text, strnlen(text, size_t(length)));
    return h.draw(h.user, this, font_, part.c_str(), rect, flags, TColoresIG::F_Black, background);
}

TSizeIG IDC::GetTextExtent(const char* text, int maxWidth, unsigned flags)
{
    const TextHooks& h = Hooks();
    if (!h.measure || !text)
        return TSizeIG(-1, 0);
    return h.measure(h.user, this, font_, text, maxWidth, flags);
}

int IDC::SetTextFlag(int flag)
{
    const TextHooks& h = Hooks();
    return h.flag ? h.flag(h.user, this, flag) : 0;
}

TDibIG* IDC::GetGlyph(const char* family, int code, int size, TRectIG& source, int& advance, int& top)
{
    const TextHooks& h = Hooks();
    if (!h.glyph)
        return nullptr;
    return h.glyph(h.user, family ? family : "", code, size, source, advance, top);
}

// ---------------------------------------------------------------------------
// IDCdir

IDCdir::IDCdir() { SetBaseTarget(&back_); }

IDCdir::~IDCdir() = default;

TRectIG IDCdir::GetClientRect() const
{
    if (back_.IsEmpty())
        return TRectIG();
    return TRectIG(0, 0, back_.Width(), back_.AbsHeight());
}

bool IDCdir::SetSize(int width, int height)
{
    if (!back_.IsEmpty() && back_.Width() == width && back_.AbsHeight() == height)
        return true;
    back_.Libera();
    if (!TDibIG::SizeAllowed(width, height))
        return false;
    return back_.Crea(width, height, 32, false, false);
}
