#include "enginelib/draw/Raster.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include <pixman.h>

namespace {

inline uint8_t* PixelAt(const RasterTarget& t, int x, int y)
{
    return t.row0 + std::ptrdiff_t(y) * t.step + std::ptrdiff_t(x) * (t.bpp / 8);
}

inline void PutPixel(const RasterTarget& t, uint8_t* p, TColorIG c)
{
    switch (t.bpp) {
    case 16:
        *reinterpret_cast<uint16_t*>(p) = c.ToRGB565();
        break;
    case 24:
        p[0] = c.B();
        p[1] = c.G();
        p[2] = c.R();
        break;
    default:
        *reinterpret_cast<uint32_t*>(p) = c.ToARGB(255);
        break;
    }
}

// Clip rectangle with every coordinate as a 64-bit value.
struct Box {
    int64_t l, t, r, b;
};

inline Box ClipBox(const RasterTarget& t) { return {t.clip.left, t.clip.top, t.clip.right, t.clip.bottom}; }

// Fill of a rectangle given with 64-bit sides (for stamps near huge coordinates).
void FillBox(const RasterTarget& t, int64_t l, int64_t tp, int64_t r, int64_t b, TColorIG c)
{
    const Box k = ClipBox(t);
    l = std::max(l, k.l);
    tp = std::max(tp, k.t);
    r = std::min(r, k.r);
    b = std::min(b, k.b);
    if (l >= r || tp >= b)
        return;
    Raster::FillRect(t, TRectIG(int(l), int(tp), int(r), int(b)), c);
}

// Rounded position on a line: floor((2 i dm + n) / 2n), in 128 bits because
// hostile end points make the product exceed 64 bits.
int64_t MinorStep(int64_t i, int64_t dm, int64_t n)
{
    const __int128 a = __int128(2) * i * dm + n, b = __int128(2) * n;
    __int128 q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0)))
        --q;
    return int64_t(q);
}

} // namespace

void Raster::FillRect(const RasterTarget& t, const TRectIG& r, TColorIG c)
{
    if (!t.Valid())
        return;
    TRectIG v;
    if (!v.Intersect(r, t.clip))
        return;
    const int w = v.right - v.left, h = v.bottom - v.top;
    if (t.bpp == 16 || t.bpp == 32) {
        const uint32_t value = t.bpp == 16 ? c.ToRGB565() : c.ToARGB(255);
        if (pixman_fill(reinterpret_cast<uint32_t*>(t.row0), t.step / 4, t.bpp, v.left, v.top, w, h, value))
            return;
    }
    for (int y = v.top; y < v.bottom; ++y) {
        uint8_t* p = PixelAt(t, v.left, y);
        for (int x = 0; x < w; ++x, p += t.bpp / 8)
            PutPixel(t, p, c);
    }
}

void Raster::BlendPixel(const RasterTarget& t, int x, int y, TColorIG c, int a)
{
    if (a <= 0 || !t.Valid() || !t.clip.PtInRect(x, y))
        return;
    if (a >= 255)
        PutPixel(t, PixelAt(t, x, y), c);
    else
        BlendInside(t, x, y, c, a);
}

void Raster::Line(const RasterTarget& t, int x0, int y0, int x1, int y1, const RasterPen& pen)
{
    if (!t.Valid() || (x0 == x1 && y0 == y1))
        return;
    const int w = std::max(1, std::min(pen.width, 64));
    const int lo = (w - 1) / 2; // a stamp covers [p - lo, p - lo + w)
    const int64_t dx = int64_t(x1) - x0, dy = int64_t(y1) - y0;

    if (!pen.dotted && (dx == 0 || dy == 0)) {
        // Straight lines are one rectangle.
        if (dy == 0) {
            const int64_t a = dx > 0 ? x0 : int64_t(x1) + 1;
            const int64_t b = dx > 0 ? x1 : int64_t(x0) + 1;
            FillBox(t, a - lo, int64_t(y0) - lo, b - lo + w - 1, int64_t(y0) - lo + w, pen.colour);
        } else {
            const int64_t a = dy > 0 ? y0 : int64_t(y1) + 1;
            const int64_t b = dy > 0 ? y1 : int64_t(y0) + 1;
            FillBox(t, int64_t(x0) - lo, a - lo, int64_t(x0) - lo + w, b - lo + w - 1, pen.colour);
        }
        return;
    }

    const bool xMajor = std::llabs(dx) >= std::llabs(dy);
    const int64_t n = xMajor ? std::llabs(dx) : std::llabs(dy);    // points 0 .. n-1
    const int64_t a0 = xMajor ? x0 : y0, b0 = xMajor ? y0 : x0;   // major, minor start
    const int64_t sgn = (xMajor ? dx : dy) > 0 ? 1 : -1;
    const int64_t dm = xMajor ? dy : dx;                           // minor travel
    const Box k = ClipBox(t);
    const int64_t cLo = xMajor ? k.l : k.t, cHi = xMajor ? k.r : k.b;
    // Majors whose stamp can touch the clip: [cLo - w + lo + 1, cHi + lo - 1].
    const int64_t mLo = cLo - w + lo + 1, mHi = cHi + lo - 1;
    int64_t kLo, kHi;
    if (sgn > 0) {
        kLo = mLo - a0;
        kHi = mHi - a0;
    } else {
        kLo = a0 - mHi;
        kHi = a0 - mLo;
    }
    kLo = std::max<int64_t>(kLo, 0);
    kHi = std::min<int64_t>(kHi, n - 1);
    const int64_t mnLo = xMajor ? k.t : k.l, mnHi = xMajor ? k.b : k.r;
    for (int64_t i = kLo; i <= kHi; ++i) {
        if (pen.dotted && (i & 1))
            continue;
        const int64_t major = a0 + sgn * i;
        const int64_t minor = b0 + MinorStep(i, dm, n);
        if (minor - lo + w <= mnLo || minor - lo >= mnHi)
            continue;
        const int64_t px = xMajor ? major : minor, py = xMajor ? minor : major;
        if (w == 1)
            BlendPixel(t, int(px), int(py), pen.colour, 255);
        else
            FillBox(t, px - lo, py - lo, px - lo + w, py - lo + w, pen.colour);
    }
}

void Raster::Frame(const RasterTarget& t, const TRectIG& r, const RasterPen& pen)
{
    if (!t.Valid() || r.IsEmpty())
        return;
    const int64_t l = r.left, tp = r.top, rt = r.right, b = r.bottom;
    if (pen.dotted) {
        // Checkerboard dots anchored at the top-left corner, so that every
        // side keeps the rhythm of the one before it.
        auto dot = [&](int64_t x, int64_t y) {
            if (((x - l) + (y - tp)) % 2 == 0)
                BlendPixel(t, int(x), int(y), pen.colour, 255);
        };
        const Box k = ClipBox(t);
        const int64_t xa = std::max(l, k.l), xb = std::min(rt, k.r);
        const int64_t ya = std::max(tp, k.t), yb = std::min(b, k.b);
        for (int64_t x = xa; x < xb; ++x) {
            dot(x, tp);
            if (b - 1 != tp)
                dot(x, b - 1);
        }
        for (int64_t y = ya; y < yb; ++y) {
            dot(l, y);
            if (rt - 1 != l)
                dot(rt - 1, y);
        }
        return;
    }
    const int64_t w = std::max(1, pen.width);
    FillBox(t, l, tp, rt, tp + w, pen.colour);
    FillBox(t, l, b - w, rt, b, pen.colour);
    FillBox(t, l, tp + w, l + w, b - w, pen.colour);
    FillBox(t, rt - w, tp + w, rt, b - w, pen.colour);
}

void Raster::RoundFrame(const RasterTarget& t, const TRectIG& r, int radius, const RasterPen& pen)
{
    if (!t.Valid() || r.IsEmpty())
        return;
    const int64_t l = r.left, tp = r.top, rt = r.right, b = r.bottom;
    const int64_t rad = std::max<int64_t>(0, std::min<int64_t>({int64_t(radius), (rt - l) / 2, (b - tp) / 2}));
    if (rad == 0) {
        RasterPen p = pen;
        p.dotted = false;
        Frame(t, r, p);
        return;
    }
    const int64_t w = std::max(1, pen.width);
    // Straight parts between the corner squares.
    FillBox(t, l + rad, tp, rt - rad, tp + w, pen.colour);
    FillBox(t, l + rad, b - w, rt - rad, b, pen.colour);
    FillBox(t, l, tp + rad, l + w, b - rad, pen.colour);
    FillBox(t, rt - w, tp + rad, rt, b - rad, pen.colour);
    // Corners: pixel centres between the outer arc and the inner one.
    const double outer = double(rad) * rad;
    const double innerR = double(rad) - double(w);
    const double inner = innerR > 0 ? innerR * innerR : -1.0;
    const Box k = ClipBox(t);
    struct Corner {
        int64_t x0, y0;    // corner square
        double cx, cy;     // arc centre
    } corners[4] = {
        {l, tp, double(l + rad), double(tp + rad)},
        {rt - rad, tp, double(rt - rad), double(tp + rad)},
        {l, b - rad, double(l + rad), double(b - rad)},
        {rt - rad, b - rad, double(rt - rad), double(b - rad)},
    };
    for (const Corner& c : corners) {
        const int64_t xa = std::max(c.x0, k.l), xb = std::min(c.x0 + rad, k.r);
        const int64_t ya = std::max(c.y0, k.t), yb = std::min(c.y0 + rad, k.b);
        for (int64_t y = ya; y < yb; ++y) {
            const double ddy = double(y) + 0.5 - c.cy;
            for (int64_t x = xa; x < xb; ++x) {
                const double ddx = double(x) + 0.5 - c.cx;
                const double d = ddx * ddx + ddy * ddy;
                if (d <= outer && d > inner)
                    BlendPixel(t, int(x), int(y), pen.colour, 255);
            }
        }
    }
}

void Raster::FillPolygon(const RasterTarget& t, const TPointIG* pts, int count, TColorIG c)
{
    if (!t.Valid() || !pts || count < 3)
        return;
    int64_t minY = pts[0].y, maxY = pts[0].y;
    for (int i = 1; i < count; ++i) {
        minY = std::min<int64_t>(minY, pts[i].y);
        maxY = std::max<int64_t>(maxY, pts[i].y);
    }
    const Box k = ClipBox(t);
    const int64_t ya = std::max(minY, k.t), yb = std::min(maxY, k.b);
    std::vector<double> xs;
    xs.reserve(size_t(count));
    for (int64_t y = ya; y < yb; ++y) {
        // Pixel (x, y) is the point (x, y), as for lines, so a polygon's fill
        // and its outline pass through the same pixels.
        const double yc = double(y);
        xs.clear();
        for (int i = 0; i < count; ++i) {
            const TPointIG& p = pts[i];
            const TPointIG& q = pts[(i + 1) % count];
            const double py = p.y, qy = q.y;
            if ((py <= yc && yc < qy) || (qy <= yc && yc < py))
                xs.push_back(p.x + (yc - py) * (double(q.x) - p.x) / (qy - py));
        }
        std::sort(xs.begin(), xs.end());
        for (size_t i = 0; i + 1 < xs.size(); i += 2) {
            // Pixels x with xs[i] <= x < xs[i+1].
            double a = std::ceil(xs[i]), e = std::ceil(xs[i + 1]);
            a = std::max(a, double(k.l));
            e = std::min(e, double(k.r));
            if (a < e)
                FillRect(t, TRectIG(int(a), int(y), int(e), int(y) + 1), c);
        }
    }
}

namespace {

// Half width of the disk of the given radius on row dy, or -1 when the row
// misses it. A pixel is inside when dx^2 + dy^2 <= r^2 + r.
int64_t HalfSpan(int64_t r, int64_t dy)
{
    if (r < 0)
        return -1;
    const double v = double(r) * double(r) + double(r) - double(dy) * double(dy);
    if (v < 0)
        return -1;
    int64_t h = int64_t(std::sqrt(v));
    while (double(h + 1) * double(h + 1) <= v)
        ++h;
    while (h > 0 && double(h) * double(h) > v)
        --h;
    return h;
}

} // namespace

void Raster::FillDisk(const RasterTarget& t, int cx, int cy, int radius, TColorIG c)
{
    if (!t.Valid() || radius < 0)
        return;
    const Box k = ClipBox(t);
    const int64_t ya = std::max<int64_t>(int64_t(cy) - radius, k.t);
    const int64_t yb = std::min<int64_t>(int64_t(cy) + radius + 1, k.b);
    for (int64_t y = ya; y < yb; ++y) {
        const int64_t h = HalfSpan(radius, y - cy);
        if (h >= 0)
            FillBox(t, int64_t(cx) - h, y, int64_t(cx) + h + 1, y + 1, c);
    }
}

void Raster::Ring(const RasterTarget& t, int cx, int cy, int radius, const RasterPen& pen)
{
    if (!t.Valid() || radius < 0)
        return;
    const int64_t innerR = int64_t(radius) - std::max(1, pen.width);
    const Box k = ClipBox(t);
    const int64_t ya = std::max<int64_t>(int64_t(cy) - radius, k.t);
    const int64_t yb = std::min<int64_t>(int64_t(cy) + radius + 1, k.b);
    for (int64_t y = ya; y < yb; ++y) {
        const int64_t h = HalfSpan(radius, y - cy);
        if (h < 0)
            continue;
        const int64_t hi = HalfSpan(innerR, y - cy);
        if (hi < 0) {
            FillBox(t, int64_t(cx) - h, y, int64_t(cx) + h + 1, y + 1, pen.colour);
        } else {
            FillBox(t, int64_t(cx) - h, y, int64_t(cx) - hi, y + 1, pen.colour);
            FillBox(t, int64_t(cx) + hi + 1, y, int64_t(cx) + h + 1, y + 1, pen.colour);
        }
    }
}
