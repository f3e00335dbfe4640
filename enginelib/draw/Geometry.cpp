#include "enginelib/draw/Geometry.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace {

int Saturate(int64_t v)
{
    return int(std::clamp<int64_t>(v, INT_MIN, INT_MAX));
}

} // namespace

TRectIG::TRectIG(const TPointIG& topLeft, const TSizeIG& size)
    : left(topLeft.x), top(topLeft.y),
      right(Saturate(int64_t(topLeft.x) + size.cx)),
      bottom(Saturate(int64_t(topLeft.y) + size.cy))
{
}

int TRectIG::Width() const
{
    return Saturate(int64_t(right) - left);
}

int TRectIG::Height() const
{
    return Saturate(int64_t(bottom) - top);
}

TPointIG TRectIG::Center() const
{
    return TPointIG(int((int64_t(left) + right) / 2), int((int64_t(top) + bottom) / 2));
}

bool TRectIG::IsEmpty() const
{
    return right <= left || bottom <= top;
}

void TRectIG::Inflate(int dx, int dy)
{
    left = Saturate(int64_t(left) - dx);
    right = Saturate(int64_t(right) + dx);
    top = Saturate(int64_t(top) - dy);
    bottom = Saturate(int64_t(bottom) + dy);
}

void TRectIG::Offset(int dx, int dy)
{
    left = Saturate(int64_t(left) + dx);
    right = Saturate(int64_t(right) + dx);
    top = Saturate(int64_t(top) + dy);
    bottom = Saturate(int64_t(bottom) + dy);
}

void TRectIG::Normalize()
{
    if (left > right)
        std::swap(left, right);
    if (top > bottom)
        std::swap(top, bottom);
}

bool TRectIG::Intersect(const TRectIG& a, const TRectIG& b)
{
    TRectIG r(std::max(a.left, b.left), std::max(a.top, b.top),
              std::min(a.right, b.right), std::min(a.bottom, b.bottom));
    if (r.IsEmpty()) {
        SetEmpty();
        return false;
    }
    *this = r;
    return true;
}

bool TRectIG::Overlaps(const TRectIG& o) const
{
    TRectIG r;
    return r.Intersect(*this, o);
}

bool TRectIG::PtInRect(int x, int y) const
{
    return x >= left && x < right && y >= top && y < bottom;
}

bool TRectIG::Contains(const TRectIG& r) const
{
    if (r.IsEmpty())
        return true;
    return r.left >= left && r.right <= right && r.top >= top && r.bottom <= bottom;
}
