#include "uiengine/elements/TPDAUIEngineElementRepeater.h"

#include <climits>

#include "enginelib/base/TFicheroITV.h"

namespace {
int Clamp(long long v) { return v < INT_MIN ? INT_MIN : (v > INT_MAX ? INT_MAX : (int)v); }
} // namespace

// ---- item ----

TPDAUIEngineElementRepeaterItem::TPDAUIEngineElementRepeaterItem()
{
    tag = "repeateritem";
    borders.Edit(StateNormal).style = TPDAUIEngineStyleBorder::StyleNone;
    borders.Edit(StateFocus).style = TPDAUIEngineStyleBorder::StyleNone;
    backgrounds.Edit(StateNormal).kind = TPDAUIEngineStyleBackground::KindColor;
    backgrounds.Edit(StateNormal).colour = TColoresIG::F_White;
    isFocusable = 1;
}

int TPDAUIEngineElementRepeaterItem::GetMinimumHeight(int w)
{
    int h = 0;
    if (measureCallback && measureCallback(measureContext, this, w, &h))
        return h;
    return TPDAUIEngineElementBox::GetMinimumHeight(w);
}

void TPDAUIEngineElementRepeaterItem::Paint(IDC* dc, int x, int y)
{
    if (!drawCallback) {
        TPDAUIEngineElementBox::Paint(dc, x, y);
        return;
    }
    const int l = Clamp((long long)x + left), t = Clamp((long long)y + top);
    drawCallback(drawContext, this, dc, l, t, Clamp((long long)l + width), Clamp((long long)t + height), 0);
}

void TPDAUIEngineElementRepeaterItem::OnMouseUp(int x, int y, int kind, unsigned char* handled)
{
    pressed = 0;
    TPDAUIEngineElement::OnMouseUp(x, y, kind, handled);
}

// ---- repeater ----

TPDAUIEngineElementRepeater::TPDAUIEngineElementRepeater()
{
    tag = "repeater";
    layout = LayoutVerticalScroll;
    borders.Edit(StateNormal).style = TPDAUIEngineStyleBorder::StyleNone;
    borders.Edit(StateFocus).style = TPDAUIEngineStyleBorder::StyleNone;
    backgrounds.Edit(StateNormal).kind = TPDAUIEngineStyleBackground::KindColor;
    backgrounds.Edit(StateNormal).colour = TColoresIG::F_White;
    flex = 1;
}

void TPDAUIEngineElementRepeater::OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage* p, TPDAUIEngineElement* par,
                                         TPDAUIEngineXml* xmlNode, TFicheroITV* stream)
{
    TPDAUIEngineElementBox::OnLoad(e, p, par, xmlNode, stream);
    if (stream && !stream->Error()) {
        int index = -1;
        *stream >> index;
        if (!stream->Error())
            selectedIndex = index;
    }
}

void TPDAUIEngineElementRepeater::CopyFrom(TPDAUIEngineElement* other)
{
    TPDAUIEngineElementBox::CopyFrom(other);
    if (auto* o = dynamic_cast<TPDAUIEngineElementRepeater*>(other))
        selectedIndex = o->selectedIndex;
}

void TPDAUIEngineElementRepeater::Save(TFicheroITV& stream)
{
    TPDAUIEngineElementBox::Save(stream);
    stream << selectedIndex;
}

int TPDAUIEngineElementRepeater::GetSelectedIndex() const
{
    return selectedIndex >= 0 && selectedIndex < children.Count() ? selectedIndex : -1;
}

void TPDAUIEngineElementRepeater::SetSelectedIndex(int index)
{
    if (index < 0 || index >= children.Count())
        index = index <= 0 ? -1 : children.Count() - 1;
    selectedIndex = index;
}

int TPDAUIEngineElementRepeater::FocusedChild()
{
    int found = -1;
    for (int i = 0; i < children.Count(); ++i)
        if (children[i]->IsFocused())
            found = i;
    return found;
}

void TPDAUIEngineElementRepeater::Paint(IDC* dc, int x, int y)
{
    paintOriginY = y;
    int d = selectedIndex;
    const int focused = FocusedChild();
    if (focused >= 0)
        d = focused;
    for (int i = 0; i < children.Count(); ++i)
        if (auto* box = dynamic_cast<TPDAUIEngineElementBox*>(children[i]))
            box->selected = i == d ? 1 : 0;
    selectedIndex = d;
    TPDAUIEngineElementBox::Paint(dc, x, y);
}

void TPDAUIEngineElementRepeater::OnMouseDown(int x, int y, int kind, int a, int b)
{
    const int focused = FocusedChild();
    if (focused >= 0)
        selectedIndex = focused;
    if (itemPressed && GetSelectedIndex() >= 0) {
        const int scroll = scrollBar ? scrollBar->position : 0;
        itemPressed(itemPressedOwner, selectedIndex, Clamp((long long)y + paintOriginY - scroll),
                    Clamp((long long)y + paintOriginY));
    }
}
