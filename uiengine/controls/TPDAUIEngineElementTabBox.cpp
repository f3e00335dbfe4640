#include "uiengine/controls/TPDAUIEngineElementTabBox.h"

#include <cstdlib>

#include "enginelib/base/TFicheroITV.h"

TPDAUIEngineElementTabBox::TPDAUIEngineElementTabBox()
{
    tag = "tabbox";
    flex = 1;
}

TPDAUIEngineElementTabBoxButtons::TPDAUIEngineElementTabBoxButtons()
{
    tag = "tabboxbuttons";
    layout = LayoutHorizontal;
}

TPDAUIEngineElementTabBoxPages::TPDAUIEngineElementTabBoxPages()
{
    tag = "tabboxpages";
    layout = LayoutCardHorizontal;
    flex = 1;
}

TPDAUIEngineElementTabBoxPage::TPDAUIEngineElementTabBoxPage() { tag = "tabboxpage"; }

TPDAUIEngineElementTabBoxButton::TPDAUIEngineElementTabBoxButton()
{
    tag = "tabboxbutton";
    autoPress = true;
    isFocusable = 0;
}

void TPDAUIEngineElementTabBox::OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage* p, TPDAUIEngineElement* par,
                                       TPDAUIEngineXml* xmlNode, TFicheroITV* stream)
{
    TPDAUIEngineElementBox::OnLoad(e, p, par, xmlNode, stream);
    buttons = nullptr;
    pages = nullptr;
    if (children.Count() == 2) {
        buttons = dynamic_cast<TPDAUIEngineElementTabBoxButtons*>(children[0]);
        pages = dynamic_cast<TPDAUIEngineElementTabBoxPages*>(children[1]);
    }
    int selected = 0;
    if (stream && !stream->Error()) {
        int n = 0;
        *stream >> n;
        if (!stream->Error())
            selected = n;
    }
    SelectTab(selected);
}

void TPDAUIEngineElementTabBox::SetAttribute(const char* name, const char* value)
{
    if (CDString(name) == "selectedIndex")
        SelectTab(std::atoi(value ? value : ""));
    else
        TPDAUIEngineElementBox::SetAttribute(name, value);
}

DString TPDAUIEngineElementTabBox::GetAttribute(const char* name)
{
    if (CDString(name) == "selectedIndex") {
        DString out;
        out << GetSelectedIndex();
        return out;
    }
    return TPDAUIEngineElementBox::GetAttribute(name);
}

void TPDAUIEngineElementTabBox::Save(TFicheroITV& stream)
{
    TPDAUIEngineElementBox::Save(stream);
    stream << GetSelectedIndex();
}

void TPDAUIEngineElementTabBox::SelectTab(int n)
{
    if (!buttons)
        return;
    int count = 0, chosen = -1;
    for (int i = 0; i < buttons->children.Count(); ++i) {
        TPDAUIEngineElement* b = buttons->children[i];
        if (!b->visible)
            continue;
        b->pressed = count == n ? 1 : 0;
        if (count == n)
            chosen = i;
        ++count;
    }
    if (!pages)
        return;
    for (int i = 0; i < pages->children.Count(); ++i)
        pages->children[i]->visible = i == chosen ? 1 : 0;
    // The card shown is the chosen page, so pages other than the first get laid out too.
    if (chosen >= 0)
        pages->layoutCardIndex = chosen;
}

int TPDAUIEngineElementTabBox::GetSelectedIndex()
{
    if (!buttons)
        return -1;
    int count = 0;
    for (int i = 0; i < buttons->children.Count(); ++i) {
        TPDAUIEngineElement* b = buttons->children[i];
        if (!b->visible)
            continue;
        if (b->pressed)
            return count;
        ++count;
    }
    return -1;
}

void TPDAUIEngineElementTabBoxButton::OnMouseDown(int x, int y, int kind, int a, int b)
{
    TPDAUIEngineElementButton::OnMouseDown(x, y, kind, a, b);
    if (!enabled || kind != 0)
        return;
    auto* row = dynamic_cast<TPDAUIEngineElementTabBoxButtons*>(parent);
    auto* box = row ? dynamic_cast<TPDAUIEngineElementTabBox*>(row->parent) : nullptr;
    if (!box)
        return;
    box->SelectTab(row->VisibleIndexOfChild(this));
    box->ReapplyBounds();
    box->Invalidate();
}
