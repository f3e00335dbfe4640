#pragma once
#include "enginelib/draw/Geometry.h"
#include "enginelib/draw/TColorIG.h"

class TPDAUIEngineStyleBackground;

// What is left of a rectangle once the parts that later painting covers are
// taken away: a few disjoint rectangles. Past its room it gives up (Lost) and
// the rectangle then counts as not covered at all.
class TPDAUIEngineUncovered {
public:
    explicit TPDAUIEngineUncovered(const TRectIG& whole);

    void Subtract(const TRectIG& cover);

    bool Lost() const { return lost_; }
    // Nothing left, and nothing was given up.
    bool IsCovered() const { return !lost_ && count_ == 0; }
    // Nothing taken away yet (or given up): all of it is to be painted.
    bool IsWhole() const { return lost_ || !cut_; }
    int Count() const { return lost_ ? 0 : count_; }
    const TRectIG& operator[](int i) const { return parts_[i]; }

    // Coordinates a cover test trusts: sums of a few of them stay far from the
    // int limits, so nothing the painting clamps is moved.
    static bool Sane(long long v) { return v > -kSane && v < kSane; }

private:
    enum { kRoom = 24 };
    static const long long kSane = 1LL << 24;
    TRectIG parts_[kRoom];
    int count_ = 0;
    bool lost_ = false;
    bool cut_ = false;
};

// Whether the background, drawn into any rectangle, leaves every pixel of it
// opaque whatever lay under it.
bool TPDAUIEngineBackgroundIsOpaque(const TPDAUIEngineStyleBackground& background);

// The colour skin images leave transparent, as backgrounds draw them.
TColorIG TPDAUIEngineTransparentKey();
