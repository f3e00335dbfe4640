#pragma once
#include <memory>

#include "enginelib/nav/TDemoRoute.h"

class TDibIG;

// The pictures the library hands out through its fields and calls, drawn once in
// code and kept: manoeuvre arrows (64 x 64 for the next one, 40 x 40 for the one
// after), the 48 x 48 camera sign (16 bits with an alpha plane), and lane pictures
// (32 x 32 per arrow letter, 4 x 32 per separator, on the magenta colour key).
// The caller never owns them.
class TNavPictures {
public:
    static TNavPictures& Get();

    const TDibIG* Manoeuvre(TDemoRoute::ManoeuvreKind kind, int size);
    const TDibIG* Camera();
    // A letter a-h (grey) or A-H (white, recommended), a separator 1, 2, ( or );
    // null for anything else.
    const TDibIG* Lane(char c);

private:
    TNavPictures() = default;
    std::unique_ptr<TDibIG> manoeuvres_[TDemoRoute::ManoeuvreKinds][2];
    std::unique_ptr<TDibIG> camera_;
    std::unique_ptr<TDibIG> lanes_[256];
};
