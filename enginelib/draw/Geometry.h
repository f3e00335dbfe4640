#pragma once

// Points, sizes and rectangles in pixels. Rectangles follow the GDI convention:
// left and top are inside, right and bottom are one past the last pixel, so a
// rectangle (0, 0, 10, 5) covers 10 x 5 pixels.

struct TPointIG {
    int x = 0;
    int y = 0;

    constexpr TPointIG() = default;
    constexpr TPointIG(int px, int py) : x(px), y(py) {}

    constexpr bool operator==(const TPointIG& o) const { return x == o.x && y == o.y; }
    constexpr bool operator!=(const TPointIG& o) const { return !(*this == o); }
};

struct TSizeIG {
    int cx = 0;
    int cy = 0;

    constexpr TSizeIG() = default;
    constexpr TSizeIG(int w, int h) : cx(w), cy(h) {}

    constexpr bool operator==(const TSizeIG& o) const { return cx == o.cx && cy == o.cy; }
    constexpr bool operator!=(const TSizeIG& o) const { return !(*this == o); }
};

struct TRectIG {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    constexpr TRectIG() = default;
    constexpr TRectIG(int l, int t, int r, int b) : left(l), top(t), right(r), bottom(b) {}
    TRectIG(const TPointIG& topLeft, const TSizeIG& size);

    // right - left and bottom - top; negative for inverted rectangles. Saturated
    // to the int range so that hostile coordinates never overflow.
    int Width() const;
    int Height() const;
    TSizeIG Size() const { return TSizeIG(Width(), Height()); }
    TPointIG TopLeft() const { return TPointIG(left, top); }
    TPointIG BottomRight() const { return TPointIG(right, bottom); }
    // Centre, halves truncated toward zero.
    TPointIG Center() const;

    // True when the rectangle covers no pixel (width or height zero or negative).
    bool IsEmpty() const;

    void Set(int l, int t, int r, int b) { left = l; top = t; right = r; bottom = b; }
    void SetEmpty() { Set(0, 0, 0, 0); }

    // Every side moves out by dx (left and right) and dy (top and bottom);
    // negative values shrink.
    void Inflate(int dx, int dy);
    void Offset(int dx, int dy);
    // Left <= right and top <= bottom, by exchanging the sides where inverted.
    void Normalize();

    // This becomes the common part of a and b; when they do not overlap it
    // becomes empty (0, 0, 0, 0) and the answer is false.
    bool Intersect(const TRectIG& a, const TRectIG& b);
    // The same with this rectangle and o.
    bool IntersectWith(const TRectIG& o) { return Intersect(*this, o); }
    // Whether the two rectangles share at least one pixel.
    bool Overlaps(const TRectIG& o) const;

    // Inside: left <= x < right and top <= y < bottom.
    bool PtInRect(int x, int y) const;
    bool PtInRect(const TPointIG& p) const { return PtInRect(p.x, p.y); }
    bool Contains(int x, int y) const { return PtInRect(x, y); }
    bool Contains(const TPointIG& p) const { return PtInRect(p.x, p.y); }
    // Whether r lies wholly inside (an empty r is inside any rectangle).
    bool Contains(const TRectIG& r) const;

    bool operator==(const TRectIG& o) const
    {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
    bool operator!=(const TRectIG& o) const { return !(*this == o); }
};
