#pragma once
#include <cstddef>

// Data a drawing context derives from a bitmap's pixels (converted copies,
// key masks, coverage). The bitmap owns it: it is deleted with the bitmap,
// when the bitmap is freed and whenever its pixels change (TDibIG::Touch).
class TDibIGDerived {
public:
    TDibIGDerived() = default;
    virtual ~TDibIGDerived() = default;
    TDibIGDerived(const TDibIGDerived&) = delete;
    TDibIGDerived& operator=(const TDibIGDerived&) = delete;

    // Bytes held, counted in the bitmap's own memory.
    virtual size_t GetMemoryUsed() const = 0;
};
