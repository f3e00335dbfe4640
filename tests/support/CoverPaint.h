#pragma once
// Checks that leaving covered backgrounds out changes no pixel: the engine's
// pages painted with every background whole, then with covered parts left
// out, each into a back buffer first filled with a colour no skin uses (so a
// part left out wrongly cannot hide behind the pixels of the paint before).
#include <cstdint>
#include <cstring>
#include <vector>

#include "enginelib/draw/IDC.h"
#include "enginelib/draw/TDibIG.h"
#include "support/TestEngine.h"
#include "uiengine/elements/TPDAUIEngineElementBox.h"

namespace coverpaint {

inline std::vector<uint32_t> Pixels(const TDibIG& d)
{
    std::vector<uint32_t> out;
    const int bytes = d.BytesPerPixel();
    for (int y = 0; y < d.AbsHeight(); ++y) {
        const uint8_t* row = d.Row(y);
        for (int x = 0; x < d.Width(); ++x) {
            uint32_t p = 0;
            std::memcpy(&p, row + x * bytes, bytes);
            out.push_back(p);
        }
    }
    return out;
}

inline std::vector<uint32_t> PaintOverFiller(TestEngine& engine, bool whole)
{
    const TDibIG& buffer = engine.Buffer();
    const TColorIG filler(1, 254, 3);
    engine.dc.SetBrush(filler, 0);
    engine.dc.SetPen(filler, 1, 0, nullptr, false);
    engine.dc.Rectangle(TRectIG(0, 0, buffer.Width(), buffer.AbsHeight()));
    TPDAUIEngineElementBox::paintCoveredBackgrounds = whole;
    std::vector<uint32_t> out = Pixels(engine.Frame());
    TPDAUIEngineElementBox::paintCoveredBackgrounds = false;
    return out;
}

// Pixels that differ between the two paints (first: the index of the first).
inline int Differences(TestEngine& engine, int* first = nullptr)
{
    const std::vector<uint32_t> whole = PaintOverFiller(engine, true);
    const std::vector<uint32_t> skipped = PaintOverFiller(engine, false);
    int differ = whole.size() == skipped.size() ? 0 : 1;
    for (size_t i = 0; i < whole.size() && i < skipped.size(); ++i)
        if (whole[i] != skipped[i]) {
            if (differ == 0 && first)
                *first = (int)i;
            ++differ;
        }
    return differ;
}

} // namespace coverpaint
