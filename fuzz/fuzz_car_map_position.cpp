// The skin's car-position settings ("px;py;lx;ly"): any text is parsed without
// fault, only four numbers are taken, and the vehicle point of a parsed
// setting is the percentage of the rectangle whatever the numbers.
#include <climits>
#include <cstdint>
#include <string>

#include "display/gadgets/TGadgetVisor2D.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const char* s = text.c_str();  // up to the first NUL, as the skin's texts are

    int v[4] = {0, 0, 0, 0};
    const bool parsed = TGadgetVisor2D::ParseCarMapPosition(s, v);
    int separators = 0;
    for (const char* p = s; *p; ++p)
        separators += *p == ';';
    if (parsed && separators != 3)
        __builtin_trap();

    const TRectIG window(-7, 11, 793, 491);
    for (bool landscape : {false, true}) {
        const TPointIG p = TGadgetVisor2D::VehiclePoint(s, window, landscape);
        if (!parsed && (p.x != 0 || p.y != 0))
            __builtin_trap();
        if (parsed) {
            const long long px = landscape ? v[2] : v[0], py = landscape ? v[3] : v[1];
            long long x = -7 + px * 800 / 100, y = 11 + py * 480 / 100;
            x = x < INT_MIN ? INT_MIN : (x > INT_MAX ? INT_MAX : x);
            y = y < INT_MIN ? INT_MIN : (y > INT_MAX ? INT_MAX : y);
            if (p.x != x || p.y != y)
                __builtin_trap();
        }
    }
    return 0;
}
