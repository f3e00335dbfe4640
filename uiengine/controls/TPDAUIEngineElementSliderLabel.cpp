#include "uiengine/controls/TPDAUIEngineElementSliderLabel.h"

#include <climits>
#include <cmath>
#include <cstdint>

#include "enginelib/base/TFicheroITV.h"
#include "enginelib/draw/IDC.h"
#include "enginelib/draw/TDibIG.h"
#include "uiengine/core/TPDAUIEngine.h"

namespace {

// Single line, vertically centred; the ellipsis flag when asked for.
const int kSingleLineVCenter = 0x24;
const int kWordEllipsis = 0x40000;
// Measured unwrapped, as wide as any screen.
const int kMeasureWidth = 1024;

int ClampInt(long long v) { return v < INT_MIN ? INT_MIN : (v > INT_MAX ? INT_MAX : (int)v); }

} // namespace

TPDAUIEngineElementSliderLabel::TPDAUIEngineElementSliderLabel()
{
    tag = "sliderlabel";
    timerInterval = 50;
    wordBreak = false;
    wordEllipsis = false;
}

TPDAUIEngineElementSliderLabel::~TPDAUIEngineElementSliderLabel() = default;

void TPDAUIEngineElementSliderLabel::OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage* p,
                                            TPDAUIEngineElement* par, TPDAUIEngineXml* xmlNode,
                                            TFicheroITV* stream)
{
    TPDAUIEngineElementLabel::OnLoad(e, p, par, xmlNode, stream);
    if (stream) {
        int velocity = 0;
        *stream >> velocity;
        if (!stream->Error())
            sliderVelocity = velocity;
    }
}

void TPDAUIEngineElementSliderLabel::SetAttribute(const char* name, const char* value)
{
    if (CDString(name) == "sliderVelocity")
        sliderVelocity = CDString(value).atoi();
    else
        TPDAUIEngineElementLabel::SetAttribute(name, value);
}

DString TPDAUIEngineElementSliderLabel::GetAttribute(const char* name)
{
    if (CDString(name) == "sliderVelocity")
        return DString(sliderVelocity);
    return TPDAUIEngineElementLabel::GetAttribute(name);
}

void TPDAUIEngineElementSliderLabel::Save(TFicheroITV& s)
{
    TPDAUIEngineElementLabel::Save(s);
    s << sliderVelocity;
}

void TPDAUIEngineElementSliderLabel::OnTimer(int interval, int now)
{
    if (IsEffectivelyVisible())
        Invalidate();
    else
        StopTimer();
}

int TPDAUIEngineElementSliderLabel::Slide(int overflow, int now)
{
    long long elapsed = (int32_t)((uint32_t)now - (uint32_t)slideStateStart);
    if (elapsed < 0)
        elapsed = 0;
    const long long velocity = sliderVelocity;
    // A pass of no length (a skin's 0) ends at once instead of dividing by it.
    const bool passOver = velocity <= 0 || elapsed > velocity;
    const long long travelled = passOver ? overflow : elapsed * overflow / velocity;
    switch (slideState) {
    case SlideRestStart:
        if (elapsed > velocity / 2) {
            slideState = SlideForward;
            slideStateStart = now;
        }
        return 0;
    case SlideForward:
        if (passOver) {
            slideState = SlideRestEnd;
            slideStateStart = now;
            return overflow;
        }
        return (int)travelled;
    case SlideRestEnd:
        if (elapsed > velocity / 2) {
            slideState = SlideBack;
            slideStateStart = now;
        }
        return overflow;
    case SlideBack:
        if (passOver) {
            slideState = SlideRestStart;
            slideStateStart = now;
            return 0;
        }
        return (int)(overflow - travelled);
    default:
        return 0;
    }
}

void TPDAUIEngineElementSliderLabel::Paint(IDC* dc, int x, int y)
{
    const TRectIG r = ElementRect(x, y);
    PaintFrame(dc, r, IsFocused() ? StateFocus : StateNormal);

    TRectIG area = TextArea(r);
    if (image && dc) {
        const long long side = area.Height();
        TRectIG target(area.left, area.top, ClampInt(area.left + side), area.bottom);
        target.Inflate(-1, -1);
        dc->StretchDIBits_Transparent(target, TRectIG(0, 0, image->Width(), std::abs(image->Height())),
                                      image, TransparentColor());
        area.left = ClampInt(area.left + side + padding.inner);
    }
    if (!engine)
        return;

    const DString text = DisplayText();
    const long long overflow =
        (long long)engine->GetTextExtent(font, text, kMeasureWidth, 0).cx - area.Width();
    if (overflow > 0) {
        if (timerInterval != 0 && !timerRunning)
            StartTimer();
        if (slideStateStart == 0)
            slideStateStart = timerStart;
        offset_ = Slide(ClampInt(overflow), engine->GetTickCount());
    } else {
        StopTimer();
        offset_ = 0;
    }
    if (text.IsEmpty() || !dc)
        return;

    // Clipped to the text area, and to any clip an outer box has set.
    const TRectIG outer = dc->GetClipRect();
    const bool hadClip = !outer.IsEmpty();
    TRectIG clip = area;
    if (hadClip)
        clip.IntersectWith(outer);
    dc->SelectClipRect(clip);
    // The text starts offset pixels left of the area and may run to its right edge.
    TRectIG rect = area;
    rect.left = ClampInt((long long)area.left - offset_);
    engine->DrawText(dc, font, TColorIG(foregrounds[StateNormal]), nullptr, text, rect,
                     kSingleLineVCenter | (wordEllipsis ? kWordEllipsis : 0), -1);
    if (hadClip)
        dc->SelectClipRect(outer);
    else
        dc->Fin_SelectClipRgn();
}
