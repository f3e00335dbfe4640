#include "uiengine/elements/TPDAUIEngineElementSplitter.h"

#include <climits>

#include "uiengine/elements/TPDAUIEngineElementBox.h"

namespace {
int Clamp(long long v) { return v < INT_MIN ? INT_MIN : (v > INT_MAX ? INT_MAX : (int)v); }
} // namespace

TPDAUIEngineElementSplitter::TPDAUIEngineElementSplitter()
{
    tag = "splitter";
    isFocusable = 1;
    minimumHeight = 5;
    minimumWidth = 5;
}

void TPDAUIEngineElementSplitter::Paint(IDC* dc, int x, int y)
{
    const int ox = Clamp((long long)x + left), oy = Clamp((long long)y + top);
    int state = StateNormal;
    if (pressed)
        state = StatePressed;
    else if (IsFocused())
        state = StateFocus;
    else if (hover)
        state = StateHover;
    PaintStyle(dc, TRectIG(ox, oy, Clamp((long long)ox + width), Clamp((long long)oy + height)), state);
}

TPDAUIEngineElement* TPDAUIEngineElementSplitter::Resized(bool* next)
{
    auto* box = dynamic_cast<TPDAUIEngineElementBox*>(parent);
    if (!box)
        return nullptr;
    const int i = box->IndexOfChild(this);
    TPDAUIEngineElement* after = i >= 0 && i + 1 < box->children.Count() ? box->children[i + 1] : nullptr;
    TPDAUIEngineElement* before = i > 0 ? box->children[i - 1] : nullptr;
    if (after && (Horizontal() ? after->minimumHeight : after->minimumWidth) != 0) {
        *next = true;
        return after;
    }
    *next = false;
    return before;
}

void TPDAUIEngineElementSplitter::OnMouseDown(int x, int y, int kind, int a, int b)
{
    if (!enabled) {
        TPDAUIEngineElement::OnMouseDown(x, y, kind, a, b);
        return;
    }
    pressed = 1;
    bool next = false;
    if (parent && Resized(&next)) {
        const TRectIG P = parent->GetScreenRect(), S = GetScreenRect();
        if (Horizontal()) {
            dragOffset = next ? Clamp((long long)P.bottom - S.top + y) : Clamp((long long)S.bottom - P.top - y);
            pressCoordinate = next ? y - height : y;
        } else {
            dragOffset = next ? Clamp((long long)P.right - S.left + x) : Clamp((long long)S.right - P.left - x);
            pressCoordinate = next ? x - width : x;
        }
    }
    Invalidate();
}

void TPDAUIEngineElementSplitter::OnMouseMove(int x, int y, int flags, unsigned char* handled, int a, int b)
{
    if (!enabled) {
        TPDAUIEngineElement::OnMouseMove(x, y, flags, handled, a, b);
        return;
    }
    if (!pressed)
        return;
    bool next = false;
    TPDAUIEngineElement* target = Resized(&next);
    if (!target)
        return;  // no neighbour to resize
    const TRectIG P = parent->GetScreenRect(), S = GetScreenRect();
    long long size, limit;
    if (Horizontal()) {
        size = next ? (long long)P.bottom + pressCoordinate - S.top - y : (long long)y + S.top - pressCoordinate - P.top;
        limit = (long long)P.bottom - height - P.top;
    } else {
        size = next ? (long long)P.right + pressCoordinate - S.left - x : (long long)x + S.left - pressCoordinate - P.left;
        limit = (long long)P.right - width - P.left;
    }
    int value;
    if (size >= limit && limit >= 1)
        value = Clamp(limit);
    else if (size > 0)
        value = Clamp(size);
    else
        value = 1;
    if (Horizontal())
        target->minimumHeight = target->maximumHeight = value;
    else
        target->minimumWidth = target->maximumWidth = value;
    TPDAUIEngineElementBox::ForgetMinimumSizes();
    parent->ReapplyBounds();
    parent->Invalidate();
    if (!onCommand.IsEmpty())
        RaiseCommand(onCommand.c_str(), 0, 0, true);
}

void TPDAUIEngineElementSplitter::OnMouseUp(int x, int y, int kind, unsigned char* handled)
{
    if (!enabled) {
        TPDAUIEngineElement::OnMouseUp(x, y, kind, handled);
        return;
    }
    pressed = 0;
    if (handled)
        *handled = 1;
    Invalidate();
}
