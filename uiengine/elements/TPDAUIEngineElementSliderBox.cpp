#include "uiengine/elements/TPDAUIEngineElementSliderBox.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "enginelib/base/TFicheroITV.h"
#include "enginelib/draw/IDC.h"
#include "uiengine/core/TPDAUIEngine.h"

namespace {
const char* const kKinds[] = {"None", "Horizontal", "HorizontalInverted", "Vertical", "VerticalInverted", "Fade"};
int Clamp(long long v) { return v < INT_MIN ? INT_MIN : (v > INT_MAX ? INT_MAX : (int)v); }
} // namespace

TPDAUIEngineElementSliderBox::TPDAUIEngineElementSliderBox()
{
    tag = "sliderbox";
    timerInterval = 50;
    ApplyKindLayout();
}

void TPDAUIEngineElementSliderBox::ApplyKindLayout()
{
    layout = sliderKind == Horizontal || sliderKind == HorizontalInverted ? LayoutCardHorizontal : LayoutCardVertical;
}

void TPDAUIEngineElementSliderBox::OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage* p, TPDAUIEngineElement* par,
                                          TPDAUIEngineXml* xmlNode, TFicheroITV* stream)
{
    TPDAUIEngineElementBox::OnLoad(e, p, par, xmlNode, stream);
    if (stream && !stream->Error()) {
        int kind = Horizontal, velocity = 500;
        *stream >> kind >> velocity;
        if (!stream->Error()) {
            sliderKind = kind >= None && kind <= Fade ? kind : Horizontal;
            sliderVelocity = velocity;
        }
    }
    ApplyKindLayout();
}

void TPDAUIEngineElementSliderBox::Save(TFicheroITV& stream)
{
    TPDAUIEngineElementBox::Save(stream);
    stream << sliderKind << sliderVelocity;
}

void TPDAUIEngineElementSliderBox::SetAttribute(const char* name, const char* value)
{
    CDString n(name);
    if (n == "sliderKind") {
        for (int i = None; i <= Fade; ++i)
            if (CDString(value) == kKinds[i])
                sliderKind = i;
        ApplyKindLayout();
    } else if (n == "sliderVelocity") {
        sliderVelocity = Clamp(std::strtoll(value ? value : "", nullptr, 10));
    } else {
        TPDAUIEngineElementBox::SetAttribute(name, value);
    }
}

DString TPDAUIEngineElementSliderBox::GetAttribute(const char* name)
{
    CDString n(name);
    if (n == "sliderKind")
        return DString();
    if (n == "sliderVelocity") {
        DString out;
        out << sliderVelocity;
        return out;
    }
    return TPDAUIEngineElementBox::GetAttribute(name);
}

void TPDAUIEngineElementSliderBox::StartTransition() { StartTimer(); }

void TPDAUIEngineElementSliderBox::EndTransition()
{
    StopTimer();
    previousIndex = -1;
}

bool TPDAUIEngineElementSliderBox::Usable(int index)
{
    TPDAUIEngineElement* c = children[index];
    return c && c->visible && c->IsAvailable();
}

void TPDAUIEngineElementSliderBox::Begin()
{
    ReapplyBounds();
    Invalidate();
    if (sliderKind != None && !timerRunning && sliderVelocity > 0)
        StartTransition();
}

void TPDAUIEngineElementSliderBox::SetCurrentIndex(int index)
{
    const int old = layoutCardIndex;
    // An index that names no child shows none rather than reading past the list.
    if (index < -1 || index >= children.Count())
        index = -1;
    layoutCardIndex = index;
    previousIndex = old;
    if (index != old) {
        reverse = 0;
        Begin();
    } else {
        previousIndex = -1;
    }
}

void TPDAUIEngineElementSliderBox::ShowNext()
{
    const int n = children.Count();
    if (n == 0)
        return;
    const int visibleCount = CountVisibleChildren();
    const int start = std::max(0, std::min(layoutCardIndex, n - 1));
    previousIndex = layoutCardIndex;
    int i = start;
    for (int step = 0; step < n; ++step) {
        i = (i + 1) % n;
        if (Usable(i) || i == (start + n - 1) % n)
            break;
    }
    if (i == start) {
        previousIndex = -1;
        return;
    }
    layoutCardIndex = i;
    reverse = visibleCount == 2 && i == 0 ? 1 : 0;
    Begin();
}

void TPDAUIEngineElementSliderBox::ShowPrevious()
{
    const int n = children.Count();
    if (n == 0)
        return;
    const int start = std::max(0, std::min(layoutCardIndex, n - 1));
    previousIndex = layoutCardIndex;
    int i = start;
    for (int step = 0; step < n; ++step) {
        i = (i + n - 1) % n;
        if (Usable(i) || i == (start + 1) % n)
            break;
    }
    layoutCardIndex = i;
    reverse = 1;
    Begin();
}

void TPDAUIEngineElementSliderBox::OnTimer(int interval, int now)
{
    if (!visible)
        EndTransition();
    Invalidate();
}

TPDAUIEngineElement* TPDAUIEngineElementSliderBox::HitTest(int x, int y)
{
    if (x < left || x >= (long long)left + width || y < top || y >= (long long)top + height)
        return nullptr;
    TPDAUIEngineElement* current = layoutCardIndex >= 0 ? children[layoutCardIndex] : nullptr;
    if (!current || !current->visible)
        return nullptr;
    return current->HitTest(x - left, y - top);
}

void TPDAUIEngineElementSliderBox::Paint(IDC* dc, int x, int y)
{
    const int ox = Clamp((long long)x + left), oy = Clamp((long long)y + top);
    const TRectIG r(ox, oy, Clamp((long long)ox + width), Clamp((long long)oy + height));
    PaintStyle(dc, r, GetState());
    const int n = children.Count();
    if (n == 0)
        return;
    if (layoutCardIndex >= n)
        layoutCardIndex = n - 1;
    auto paintChild = [&](int index, int dx, int dy) {
        TPDAUIEngineElement* c = index >= 0 && index < n ? children[index] : nullptr;
        if (c && c->visible)
            c->Paint(dc, Clamp((long long)ox + dx), Clamp((long long)oy + dy));
    };
    if (previousIndex < 0 || previousIndex >= n) {
        previousIndex = -1;
        paintChild(layoutCardIndex, 0, 0);
        return;
    }
    if (sliderVelocity <= 0) {
        if (layoutCardIndex == -1)
            layoutCardIndex = n - 1;
        paintChild(layoutCardIndex, 0, 0);
        previousIndex = layoutCardIndex;
        EndTransition();
        return;
    }
    if (sliderKind == None || layoutCardIndex < 0) {
        EndTransition();
        Invalidate();
        paintChild(layoutCardIndex, 0, 0);
        return;
    }
    const long long t = engine && timerStart ? (long long)engine->lastPaintTime - timerStart : 0;
    const long long b = borders[StateNormal].width;
    const long long W = std::max<long long>(0, width - 2 * b - padding.left - padding.right);
    const long long H = std::max<long long>(0, height - 2 * b - padding.top - padding.bottom);
    const bool horizontal = sliderKind == Horizontal || sliderKind == HorizontalInverted;
    const long long span = horizontal ? W : H;
    const long long D = std::max<long long>(0, span - (long long)sliderVelocity * std::max<long long>(0, t) / 1000);
    // Forwards: the old child leaves towards the start, the new one comes from the end.
    bool forwards = !reverse;
    if (sliderKind == HorizontalInverted || sliderKind == VerticalInverted || sliderKind == Fade)
        forwards = !forwards;
    const long long oldOffset = forwards ? D - span : span - D;
    const long long newOffset = forwards ? D : -D;
    const TRectIG outer = dc ? dc->GetClipRect() : TRectIG();
    if (dc) {
        TRectIG clip = r;
        if (!outer.IsEmpty())
            clip.IntersectWith(outer);
        dc->SelectClipRect(clip);
    }
    if (horizontal) {
        paintChild(previousIndex, Clamp(oldOffset), 0);
        paintChild(layoutCardIndex, Clamp(newOffset), 0);
    } else {
        paintChild(previousIndex, 0, Clamp(oldOffset));
        paintChild(layoutCardIndex, 0, Clamp(newOffset));
    }
    if (dc) {
        dc->Fin_SelectClipRgn();
        if (!outer.IsEmpty())
            dc->SelectClipRect(outer);
    }
    if (D < 1) {
        EndTransition();
        Invalidate();
    }
}
