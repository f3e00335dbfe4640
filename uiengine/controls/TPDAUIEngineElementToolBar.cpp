#include "uiengine/controls/TPDAUIEngineElementToolBar.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "enginelib/base/TFicheroITV.h"
#include "uiengine/controls/TPDAUIEngineElementMenuItem.h"
#include "uiengine/core/TPDAUIEngine.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"

namespace {
const char kOverflowLabel[] = "AAA";

int ScaledInt(const char* value)
{
    const long long v = std::strtoll(value ? value : "", nullptr, 10);
    const double s = v * (double)TPDAUIEngineElement::GetUIScale();
    return s > INT_MAX / 4 ? INT_MAX / 4 : s < -(INT_MAX / 4) ? -(INT_MAX / 4) : (int)s;
}

bool Movable(const TPDAUIEngineElement* e) { return e && (e->tag == "menuitem" || e->tag == "separator"); }
} // namespace

TPDAUIEngineElementToolBar::TPDAUIEngineElementToolBar()
{
    tag = "toolbar";
    layout = LayoutHorizontal;
    borders.Edit(StateNormal).width = 0;
    borders.Edit(StateNormal).style = TPDAUIEngineStyleBorder::StyleNone;
}

TPDAUIEngineElementToolBar::~TPDAUIEngineElementToolBar() = default;

TPDAUIEngineElementMenu* TPDAUIEngineElementToolBar::OverflowMenu() const
{
    return overflowItem ? overflowItem->SubMenu() : nullptr;
}

bool TPDAUIEngineElementToolBar::RightPacked() const { return layout == LayoutHorizontal && pack == AlignEnd; }

int TPDAUIEngineElementToolBar::LeftmostVisibleChild() const
{
    int leftmost = 99999;
    for (int i = 0; i < children.Count(); ++i)
        if (children[i]->visible)
            leftmost = std::min(leftmost, children[i]->left);
    return leftmost;
}

void TPDAUIEngineElementToolBar::OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage* p, TPDAUIEngineElement* par,
                                        TPDAUIEngineXml* xmlNode, TFicheroITV* stream)
{
    TPDAUIEngineElementMenu::OnLoad(e, p, par, xmlNode, stream);
    if (stream && !stream->Error()) {
        TPDAUIEngineStyleBackground back;
        back.ReadCompiled(*stream);
        int pad = 0, top = 0, leftMargin = 0;
        *stream >> pad >> top >> leftMargin;
        if (!stream->Error()) {
            subMenuBackground = back;
            subMenuPadding = pad, subMenuMarginTop = top, subMenuMarginLeft = leftMargin;
        }
    }
    if (page && !subMenuBackground.imageName.IsEmpty())
        subMenuBackground.image = page->resources.GetImage(subMenuBackground.imageName.c_str(), false, false);
}

void TPDAUIEngineElementToolBar::SetAttribute(const char* name, const char* value)
{
    if (!name)
        return;
    if (!std::strcmp(name, "backgroundSubMenu")) {
        subMenuBackground.Parse(DString(value ? value : ""), page ? &page->resources : nullptr);
    } else if (!std::strcmp(name, "paddingSubMenu")) {
        subMenuPadding = ScaledInt(value);
    } else if (!std::strcmp(name, "marginTopSubMenu")) {
        subMenuMarginTop = ScaledInt(value);
    } else if (!std::strcmp(name, "marginLeftSubMenu")) {
        subMenuMarginLeft = ScaledInt(value);
    } else {
        // The menu's own attributes are not a tool bar's.
        TPDAUIEngineElementBox::SetAttribute(name, value);
    }
}

void TPDAUIEngineElementToolBar::CopyFrom(TPDAUIEngineElement* other)
{
    TPDAUIEngineElementMenu::CopyFrom(other);
    if (auto* o = dynamic_cast<TPDAUIEngineElementToolBar*>(other)) {
        subMenuBackground = o->subMenuBackground;
        subMenuPadding = o->subMenuPadding;
        subMenuMarginTop = o->subMenuMarginTop;
        subMenuMarginLeft = o->subMenuMarginLeft;
    }
}

void TPDAUIEngineElementToolBar::Save(TFicheroITV& stream)
{
    TPDAUIEngineElementMenu::Save(stream);
    subMenuBackground.WriteCompiled(stream);
    stream << subMenuPadding << subMenuMarginTop << subMenuMarginLeft;
}

void TPDAUIEngineElementToolBar::RemoveAllItems()
{
    RemoveAllChildren();
    overflowItem = nullptr;
}

void TPDAUIEngineElementToolBar::CreateOverflowItem()
{
    if (overflowItem || children.Count() == 0)
        return;
    TPDAUIEngineElement* first = children[0];
    auto* item = new TPDAUIEngineElementMenuItem();
    item->label = kOverflowLabel;
    item->onCommand = kOverflowLabel;
    item->checked = 0;
    item->showcheck = false;
    item->minimumWidth = first->minimumWidth;
    item->maximumWidth = first->maximumWidth;
    for (int s : {StateNormal, StatePressed}) {
        item->backgrounds.Edit(s) = first->backgrounds[s];
        item->borders.Edit(s) = first->borders[s];
    }
    if (page)
        item->image = page->resources.GetImage("commonToolBarButtonMore", false, false);
    InsertChild(item, 0, nullptr, nullptr);
    item->OnLoad(engine, page, this, nullptr, nullptr);
    overflowItem = item;

    auto* sub = new TPDAUIEngineElementMenu();
    sub->visible = 0;
    for (int s = 0; s < 5; ++s)
        sub->foregrounds[s] = foregrounds[s];
    sub->borders.Edit(StateNormal) = borders[StateNormal];
    sub->borders.Edit(StateNormal).style = TPDAUIEngineStyleBorder::StyleSolid;
    for (int s : {StatePressed, StateFocus, StateHover})
        sub->borders.Edit(s) = borders[s];
    sub->backgrounds.Edit(StateNormal) = subMenuBackground;
    for (int s : {StatePressed, StateDisabled, StateFocus, StateHover})
        sub->backgrounds.Edit(s) = backgrounds[s];
    sub->padding.left += subMenuPadding;
    sub->padding.top += subMenuPadding;
    sub->padding.right += subMenuPadding;
    sub->padding.bottom += subMenuPadding;
    sub->margins.top = subMenuMarginTop;
    sub->margins.left = subMenuMarginLeft;
    sub->layout = LayoutVerticalScroll;
    item->AddChild(sub, nullptr, nullptr);
    sub->OnLoad(engine, page, item, nullptr, nullptr);
}

void TPDAUIEngineElementToolBar::SetBounds(int l, int t, int w, int h)
{
    if (engine && engine->skinCompiling)
        return;
    TPDAUIEngineElementPage* p = GetPage();
    TPDAUIEngineElementMenu* overflow = OverflowMenu();
    const bool wasOpen = overflow && overflow->IsOpenPopup();
    if (p)
        p->CloseAllPopups();
    CreateOverflowItem();
    overflow = OverflowMenu();
    if (!overflowItem || !overflow) {
        TPDAUIEngineElementBox::SetBounds(l, t, w, h);
        return;
    }
    // Everything back in the row, in its order.
    overflowItem->visible = 0;
    while (overflow->children.Count()) {
        TPDAUIEngineElement* e = overflow->children.Extract(0);  // the row takes it back
        if (e->minimumWidth)
            e->maximumWidth = e->minimumWidth;
        e->parent = this;
        e->padding.right = 0;
        if (auto* item = dynamic_cast<TPDAUIEngineElementMenuItem*>(e)) {
            item->showLabel = false;
            item->inToolBar = true;
        }
        children.Insert(e, 1);
    }
    ForgetMinimumSizes();
    TPDAUIEngineElementBox::SetBounds(l, t, w, h);
    // While the row runs off its left edge, its first item moves into "more". Each
    // turn moves one item, so this ends after at most as many turns as items.
    bool overflowing = false;
    for (int guard = children.Count(); guard > 0; --guard) {
        overflowing = false;
        for (int i = 0; i < children.Count() && !overflowing; ++i)
            overflowing = children[i]->visible && children[i]->left < 0;
        if (!overflowing || children.Count() <= 2)
            break;
        overflowItem->visible = 1;
        TPDAUIEngineElement* e = children[1];
        if (!Movable(e))
            break;  // only items and separators go into the menu
        children.Extract(1);
        e->align = AlignAuto;
        e->padding.right = (int)(10 * GetUIScale());
        e->maximumWidth = 9999;
        if (auto* item = dynamic_cast<TPDAUIEngineElementMenuItem*>(e))
            item->showLabel = true;
        e->parent = overflow;
        overflow->children.Insert(e, 0);
        ForgetMinimumSizes();
        TPDAUIEngineElementBox::SetBounds(l, t, w, h);
    }
    if (!overflowing)
        TPDAUIEngineElementBox::SetBounds(l, t, w, h);
    for (int i = 0; i < children.Count(); ++i)
        if (auto* item = dynamic_cast<TPDAUIEngineElementMenuItem*>(children[i]))
            if (item != overflowItem)
                item->showLabel = false, item->inToolBar = true;
    for (int i = 0; i < overflow->children.Count(); ++i)
        if (auto* item = dynamic_cast<TPDAUIEngineElementMenuItem*>(overflow->children[i]))
            item->showLabel = true, item->inToolBar = false;
    if (wasOpen && overflowItem->visible)
        overflowItem->OpenSubMenu(0);
}

void TPDAUIEngineElementToolBar::Paint(IDC* dc, int x, int y)
{
    if (!RightPacked()) {
        TPDAUIEngineElementBox::Paint(dc, x, y);
        return;
    }
    const int saved = backgrounds[StateNormal].offsetX;
    backgrounds.Edit(StateNormal).offsetX = LeftmostVisibleChild() - padding.left;
    TPDAUIEngineElementBox::Paint(dc, x, y);
    backgrounds.Edit(StateNormal).offsetX = saved;
}

bool TPDAUIEngineElementToolBar::PaintsOpaque(IDC* dc) { return BoxPaintsOpaque(dc); }

TPDAUIEngineElement* TPDAUIEngineElementToolBar::HitTest(int x, int y)
{
    if (RightPacked() && x - left < LeftmostVisibleChild())
        return nullptr;
    return TPDAUIEngineElementBox::HitTest(x, y);
}
