#pragma once
#include <cstddef>
#include <cstdint>

#include "enginelib/draw/Geometry.h"
#include "enginelib/draw/TColorIG.h"

// A pixel plane the rasteriser writes into: visual row y starts at
// row0 + y * step (step is negative for bottom-up bitmaps); pixels are RGB565
// (16 bits), blue-green-red bytes (24) or 0xAARRGGBB words (32, written opaque).
// Every primitive writes only inside clip, which the owner keeps inside
// (0, 0, width, height); coordinates may be anything.
struct RasterTarget {
    uint8_t* row0 = nullptr;
    int step = 0;
    int width = 0;
    int height = 0;
    int bpp = 0;
    TRectIG clip;

    bool Valid() const
    {
        return row0 && width > 0 && height > 0 && (bpp == 16 || bpp == 24 || bpp == 32);
    }
};

struct RasterPen {
    TColorIG colour;
    // Lines stamp a width x width square at each point; outlines grow inward.
    int width = 1;
    // Every other pixel only (outlines of a hatched brush).
    bool dotted = false;
};

// The GDI-style primitives that pixman does not offer. Rectangles are
// (left, top, right, bottom) with right and bottom exclusive.
class Raster {
public:
    // Opaque fill.
    static void FillRect(const RasterTarget& t, const TRectIG& r, TColorIG c);
    // One pixel mixed with c at coverage 0..255.
    static void BlendPixel(const RasterTarget& t, int x, int y, TColorIG c, int coverage);
    // The same for a pixel known to lie inside the clip and coverage 1..255.
    static inline void BlendInside(const RasterTarget& t, int x, int y, TColorIG c, int coverage);

    // From (x0, y0) towards (x1, y1), the last point left out (as LineTo does);
    // nothing when both ends are the same point.
    static void Line(const RasterTarget& t, int x0, int y0, int x1, int y1, const RasterPen& pen);
    // The outline of r, pen.width pixels wide inside r.
    static void Frame(const RasterTarget& t, const TRectIG& r, const RasterPen& pen);
    // The outline of r with quarter-circle corners of the given radius
    // (clamped to 0 .. half the shorter side), pen.width pixels wide inside r.
    static void RoundFrame(const RasterTarget& t, const TRectIG& r, int radius, const RasterPen& pen);
    // Pixels inside the polygon (even-odd rule), pixel (x, y) taken as the
    // point (x, y); left and top edges are inside, right and bottom ones out.
    static void FillPolygon(const RasterTarget& t, const TPointIG* pts, int count, TColorIG c);
    // Disk of pixels within radius + 1/2 of (cx, cy); ring: only the outer
    // width pixels of it.
    static void FillDisk(const RasterTarget& t, int cx, int cy, int radius, TColorIG c);
    static void Ring(const RasterTarget& t, int cx, int cy, int radius, const RasterPen& pen);
};

inline void Raster::BlendInside(const RasterTarget& t, int x, int y, TColorIG c, int a)
{
    uint8_t* p = t.row0 + std::ptrdiff_t(y) * t.step + std::ptrdiff_t(x) * (t.bpp / 8);
    if (a > 255)
        a = 255;
    auto mix = [a](int s, int d) {
        const int v = s * a + d * (255 - a) + 128;
        return (v + (v >> 8)) >> 8;
    };
    switch (t.bpp) {
    case 16: {
        uint16_t d;
        __builtin_memcpy(&d, p, 2);
        const TColorIG o = TColorIG::FromRGB565(d);
        d = TColorIG::PackRGB565(mix(c.R(), o.R()), mix(c.G(), o.G()), mix(c.B(), o.B()));
        __builtin_memcpy(p, &d, 2);
        break;
    }
    case 24:
        p[0] = uint8_t(mix(c.B(), p[0]));
        p[1] = uint8_t(mix(c.G(), p[1]));
        p[2] = uint8_t(mix(c.R(), p[2]));
        break;
    default: {
        uint32_t d;
        __builtin_memcpy(&d, p, 4);
        d = 0xFF000000u | uint32_t(mix(c.R(), (d >> 16) & 0xFF)) << 16 | uint32_t(mix(c.G(), (d >> 8) & 0xFF)) << 8 |
            uint32_t(mix(c.B(), d & 0xFF));
        __builtin_memcpy(p, &d, 4);
        break;
    }
    }
}
