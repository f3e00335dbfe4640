#include "uiengine/controls/TPDAUIEngineToggleFrame.h"

#include <climits>

#include "uiengine/elements/TPDAUIEngineElement.h"

namespace {
int Clamp(long long v) { return v < INT_MIN ? INT_MIN : (v > INT_MAX ? INT_MAX : (int)v); }
} // namespace

int PaintToggleFrame(TPDAUIEngineElement& e, IDC* dc, int x, int y, TRectIG& r, TRectIG& q)
{
    const int ox = Clamp((long long)x + e.left), oy = Clamp((long long)y + e.top);
    r = TRectIG(ox, oy, Clamp((long long)ox + e.width), Clamp((long long)oy + e.height));
    int state = TPDAUIEngineElement::StateNormal;
    if (!e.enabled)
        state = TPDAUIEngineElement::StateDisabled;
    else if (e.IsFocused())
        state = TPDAUIEngineElement::StateFocus;
    else if (e.hover)
        state = TPDAUIEngineElement::StateHover;
    e.backgrounds[state].Draw(dc, r);
    e.borders[state].Draw(dc, r);
    const long long b = e.borders[TPDAUIEngineElement::StateNormal].width;
    q = TRectIG(Clamp(r.left + b + e.padding.left), Clamp(r.top + b + e.padding.top),
                Clamp(r.right - b - e.padding.right), Clamp(r.bottom - b - e.padding.bottom));
    return state;
}
