#include "uiengine/elements/TPDAUIEngineElementBox.h"

#include <climits>
#include <cstdlib>
#include <typeinfo>

#include "enginelib/draw/IDC.h"
#include "enginelib/draw/TDibIG.h"
#include "uiengine/core/TPDAUIEngine.h"
#include "uiengine/core/TPDAUIEngineSaturate.h"
#include "uiengine/core/TPDAUIEngineSkinSettings.h"
#include "uiengine/core/TPDAUIEngineXml.h"
#include "uiengine/elements/TPDAUIEngineElementCover.h"
#include "uiengine/elements/TPDAUIEngineElementFactory.h"
#include "uiengine/elements/TPDAUIEngineElementLabel.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"
#include "uiengine/elements/TPDAUIEngineElementPool.h"

namespace {

const char* const kLayoutWords[TPDAUIEngineElementBox::LayoutCount] = {
    "Vertical",   "VerticalInverted", "Horizontal",       "HorizontalInverted",
    "HorizontalAutoLeftToRight",      "Flow",             "Absolute",
    "Stack",      "StackInverted",    "VerticalScroll",   "Table",
    "CardVertical", "CardHorizontal", "Auto",             "HorizontalSpaced",
    "VerticalSpaced", "HorizontalInvertedSpaced",
};

const char* const kFlexChildWords[] = {"None", "FlexLastChild", "FlexFirstChild"};

const int kKeyEnter = 13;
const int kKeySpace = 32;

int WordIndex(const char* value, const char* const* words, int count)
{
    for (int i = 0; i < count; ++i)
        if (CDString(value) == words[i])
            return i;
    return -1;
}

bool IsTrue(const char* value) { return CDString(value) == "true"; }

bool IsActive(const TPDAUIEngineElement* e) { return e->visible && e->enabled; }

// A plain box (no subclass) without children: collecting below it adds
// nothing, so the call is left out (most boxes of a page are such leaves).
inline bool IsLeafBox(TPDAUIEngineElement* e)
{
    return typeid(*e) == typeid(TPDAUIEngineElementBox) &&
           static_cast<TPDAUIEngineElementBox*>(e)->children.Count() == 0;
}

} // namespace

// ---- boxScale ----

TPDAUIEngineElementBox::TBoxScaleScope::TBoxScaleScope(const TPDAUIEngineElementBox* box)
{
    if (!box || box->boxScale == 0.0f)
        return;
    if (box->engine && box->engine->skinCompiling)
        return;
    settings_ = TPDAUIEngineSkinSettings::Current();
    if (!settings_)
        return;
    saved_ = settings_->uiScale;
    settings_->uiScale = box->boxScale;
}

TPDAUIEngineElementBox::TBoxScaleScope::~TBoxScaleScope()
{
    if (settings_)
        settings_->uiScale = saved_;
}

// ---- construction ----

TPDAUIEngineElementBox::TPDAUIEngineElementBox()
{
    tag = "box";
    pack = AlignStretch;
    align = AlignStretch;
}

TPDAUIEngineElementBox::TPDAUIEngineElementBox(TForRecord) : TPDAUIEngineElement(ForRecord)
{
    tag = "box";
    pack = AlignStretch;
    align = AlignStretch;
}

TPDAUIEngineElementBox::~TPDAUIEngineElementBox()
{
    // Last first: freed element memory is handed out again newest first, so the
    // next page built in order lands where this one lay, in the same order.
    // The next one's memory is asked for while this one goes: a big page's
    // elements are no longer in the cache when it closes.
    while (children.Count() > 0) {
        if (children.Count() > 1)
            TPDAUIEngineElementPool::Prefetch(children[children.Count() - 2], sizeof(TPDAUIEngineElementBox));
        children.RemoveLast();
    }
    delete scrollBar;
    scrollBar = nullptr;
}

void TPDAUIEngineElementBox::PrefetchLinks(const TPDAUIEngineElement* element, size_t firstBytes,
                                           size_t boxBytes)
{
    TPDAUIEngineElementPool::Prefetch(element, firstBytes);
    TPDAUIEngineElementPool::Prefetch(reinterpret_cast<uintptr_t>(element) + sizeof(TPDAUIEngineElement), boxBytes);
}

TPDAUIEngineScrollBarBase* TPDAUIEngineElementBox::GetScrollBar()
{
    return layout == LayoutVerticalScroll ? scrollBar : nullptr;
}

// ---- loading ----

void TPDAUIEngineElementBox::OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage* p,
                                    TPDAUIEngineElement* par, TPDAUIEngineXml* xmlNode,
                                    TFicheroITV* stream)
{
    TPDAUIEngineElement::OnLoad(e, p, par, xmlNode, stream);
    if (stream)
        LoadCompiledContainer(*stream);
    else
        LoadNotCompiled(xmlNode);
}

// Kept apart from OnLoad, whose compiled path (every child of a compiled page)
// then needs no room for the XML one.
#if defined(__GNUC__) || defined(__clang__)
__attribute__((noinline))
#endif
void TPDAUIEngineElementBox::LoadNotCompiled(TPDAUIEngineXml* xmlNode)
{
    if (xmlNode) {
        // Large screens draw at their own scale; a box scale would shrink them.
        if (GetUIScale() > 1.5f)
            boxScale = 0.0f;
        {
            TBoxScaleScope scope(this);
            for (int i = 0; i < xmlNode->children.Count(); ++i) {
                TPDAUIEngineXml* node = xmlNode->children[i];
                DString childTag = node->name;
                if (childTag == "usercontrol") {
                    childTag = "usercontrol/";
                    childTag << node->GetAttribute("type", "");
                }
                TPDAUIEngineElement* child =
                    TPDAUIEngineElementFactory::CreateElementByTag(engine, childTag.c_str());
                if (child)
                    AddChild(child, node, nullptr);
            }
        }
        if (layout == LayoutVerticalScroll)
            CreateScrollBar(xmlNode);
    } else if (layout == LayoutVerticalScroll && !scrollBar) {
        CreateScrollBar(nullptr);
    }
}

void TPDAUIEngineElementBox::CreateScrollBar(TPDAUIEngineXml* xmlNode)
{
    TPDAUIEngineScrollBarBase* bar = TPDAUIEngineElementFactory::CreateScrollBar();
    if (!bar)
        return;
    // A reload builds a new bar; the old one goes.
    if (scrollBar) {
        scrollBar->Detach();
        delete scrollBar;
    }
    scrollBar = bar;
    if (xmlNode) {
        bar->SetAttribute("autoScroll", "true");
        // Scroll settings written on the box configure its bar.
        xmlNode->ForEachAttribute([bar](const TPDAUIEngineXml::TAttribute& attribute) {
            DString lower = attribute.name;
            lower.A_Minusculas();
            if (lower.Contains("scroll"))
                bar->SetAttribute(attribute.name.c_str(), attribute.value.c_str());
        });
    } else {
        // A box made by code scrolls kinetically.
        bar->SetAttribute("scrollTrackVisible", "false");
        bar->timerInterval = 25;
        bar->SetAttribute("autoScroll", "true");
        bar->SetAttribute("smothScroll", "true");
        bar->SetAttribute("scrollmode", "iscroll");
    }
    bar->OnLoad(engine, page, this, nullptr, nullptr);
}

// ---- children ----

// A child in the vector names this box as its parent (set as it enters, or by
// its load), so a new child (no parent yet, or another box's) is told apart
// without a search; only children inserted unloaded need one. Inline: every
// child added asks.
inline bool TPDAUIEngineElementBox::IsOwnChild(TPDAUIEngineElement* child)
{
    return (child->parent == this || unlinkedChildren_) && IndexOfChild(child) >= 0;
}

void TPDAUIEngineElementBox::AddChild(TPDAUIEngineElement* child, TPDAUIEngineXml* xmlNode,
                                      TFicheroITV* stream)
{
    // Nearly every child is new to the box, appended where there is room, and
    // loads under the scale in force: that needs nothing kept across a call.
    if (child && child->parent != this && !unlinkedChildren_ && layout != LayoutVerticalInverted &&
        boxScale == 0.0f && children.Count() < children.Capacity()) {
        ForgetMinimumSizes();
        children.Add(child);
        child->parent = this;
        child->OnLoad(engine, page, this, xmlNode, stream);
        return;
    }
    AddChildGeneral(child, xmlNode, stream);
}

#if defined(__GNUC__) || defined(__clang__)
__attribute__((noinline))
#endif
void TPDAUIEngineElementBox::AddChildGeneral(TPDAUIEngineElement* child, TPDAUIEngineXml* xmlNode,
                                             TFicheroITV* stream)
{
    if (!child) {
        Error_Vectores_DG_x(ErrVectorNullArgument);
        return;
    }
    if (IsOwnChild(child))
        return;
    ForgetMinimumSizes();
    int at = layout == LayoutVerticalInverted ? children.Insert(child, 0) : children.Add(child);
    if (at < 0) {
        // The box took the child over; without room for it, it goes.
        delete child;
        return;
    }
    child->parent = this;
    if (boxScale == 0.0f) {
        // No scale of its own to set: the child loads under the one in force.
        child->OnLoad(engine, page, this, xmlNode, stream);
        return;
    }
    TBoxScaleScope scope(this);
    child->OnLoad(engine, page, this, xmlNode, stream);
}

void TPDAUIEngineElementBox::InsertChild(TPDAUIEngineElement* child, int index,
                                         TPDAUIEngineXml* xmlNode, TFicheroITV* stream)
{
    if (!child) {
        Error_Vectores_DG_x(ErrVectorNullArgument);
        return;
    }
    if (IndexOfChild(child) >= 0)
        return;
    ForgetMinimumSizes();
    int at = children.Insert(child, index);
    if (at < 0 && index > children.Count())
        at = children.Add(child);  // an index past the end (reported) appends
    if (at < 0) {
        delete child;
        return;
    }
    if (engine)
        child->OnLoad(engine, page, this, xmlNode, stream);
    else
        unlinkedChildren_ = 1;  // in the vector without its parent link
}

void TPDAUIEngineElementBox::RemoveChild(TPDAUIEngineElement* child)
{
    if (IndexOfChild(child) < 0)
        return;
    ForgetMinimumSizes();
    child->Detach();
    child->parent = nullptr;
    child->page = nullptr;
    child->engine = nullptr;
    int index = IndexOfChild(child);
    if (index >= 0)
        children.Remove(index);
}

void TPDAUIEngineElementBox::RemoveAllChildren()
{
    ForgetMinimumSizes();
    for (int i = 0; i < children.Count(); ++i)
        children[i]->Detach();
    children.RemoveAll();
}

int TPDAUIEngineElementBox::CountVisibleChildren()
{
    int n = 0;
    for (int i = 0; i < children.Count(); ++i)
        if (children[i]->visible)
            ++n;
    return n;
}

int TPDAUIEngineElementBox::IndexOfChild(TPDAUIEngineElement* child)
{
    return child ? children.IndexOf(child) : -1;
}

int TPDAUIEngineElementBox::VisibleIndexOfChild(TPDAUIEngineElement* child)
{
    int n = 0;
    for (int i = 0; i < children.Count(); ++i) {
        TPDAUIEngineElement* c = children[i];
        if (c == child)
            return c->visible ? n : -1;
        if (c->visible)
            ++n;
    }
    return -1;
}

// ---- search ----

TPDAUIEngineElement* TPDAUIEngineElementBox::FindElement(const char* wanted, bool reportMissing)
{
    CDString name(wanted);
    if (id == name)
        return this;
    for (int i = 0; i < children.Count(); ++i) {
        TPDAUIEngineElement* c = children[i];
        if (TPDAUIEngineElementBox* box = dynamic_cast<TPDAUIEngineElementBox*>(c)) {
            if (TPDAUIEngineElement* found = box->FindElement(wanted, false))
                return found;
        } else if (c->id == name) {
            return c;
        }
    }
    if (reportMissing && engine) {
        DString text("Element '");
        text << name << "' not found in xml.";
        engine->MessageBox(text.c_str(), engine->skinSettings.applicationName.c_str());
        engine->Terminate();
    }
    return nullptr;
}

TPDAUIEngineElement* TPDAUIEngineElementBox::FindByNumericId(int n)
{
    if (numericId == n)
        return this;
    if (TPDAUIEngineScrollBarBase* bar = GetScrollBar())
        if (TPDAUIEngineElement* found = bar->FindByNumericId(n))
            return found;
    for (int i = 0; i < children.Count(); ++i)
        if (TPDAUIEngineElement* found = children[i]->FindByNumericId(n))
            return found;
    return nullptr;
}

TPDAUIEngineElement* TPDAUIEngineElementBox::FindByClassName(const char* name)
{
    if (className == CDString(name))
        return this;
    if (TPDAUIEngineScrollBarBase* bar = GetScrollBar())
        if (TPDAUIEngineElement* found = bar->FindByClassName(name))
            return found;
    for (int i = 0; i < children.Count(); ++i)
        if (TPDAUIEngineElement* found = children[i]->FindByClassName(name))
            return found;
    return nullptr;
}

void TPDAUIEngineElementBox::CollectDescendants(VectorP<TPDAUIEngineElement>& list, bool onlyActive)
{
    // They are wanted in turn (a closing page walks all of them, then reads
    // each one's first line and a box's scroll bar): only those lines, so
    // that a big page's walk still fits the cache when it is read again.
    // (PrefetchLinks(child, 64, sizeof(children)) spelt out: sizes known here
    // fold to three hints a child.)
    const uintptr_t barAt = reinterpret_cast<uintptr_t>(&scrollBar) - reinterpret_cast<uintptr_t>(this);
    for (int i = 0; i < children.Count(); ++i) {
        const uintptr_t child = reinterpret_cast<uintptr_t>(children[i]);
        TPDAUIEngineElementPool::Prefetch(child, 64);
        TPDAUIEngineElementPool::Prefetch(child + sizeof(TPDAUIEngineElement), sizeof(children));
        TPDAUIEngineElementPool::Prefetch(child + barAt, sizeof(scrollBar));
    }
    for (int i = 0; i < children.Count(); ++i) {
        TPDAUIEngineElement* c = children[i];
        if (onlyActive && !IsActive(c))
            continue;
        list.Add(c);
        if (!IsLeafBox(c))  // a leaf box adds nothing
            c->CollectDescendants(list, onlyActive);
    }
}

// ---- attributes ----

void TPDAUIEngineElementBox::SetAttribute(const char* name, const char* value)
{
    CDString n(name);
    if (!value)
        value = "";
    ForgetMinimumSizes();
    if (n == "layout") {
        int word = WordIndex(value, kLayoutWords, LayoutCount);
        if (word >= 0)
            layout = word;
    } else if (n == "layoutRows") {
        layoutRows = CDString(value).atoi();
    } else if (n == "layoutColumns") {
        layoutColumns = CDString(value).atoi();
    } else if (n == "layoutCardIndex") {
        layoutCardIndex = CDString(value).atoi();
    } else if (n == "layoutTableSkipCells") {
        layoutTableSkipCells = CDString(value).atoi();
    } else if (n == "layoutTableOnCellOverflowYResizeCell") {
        layoutTableOnCellOverflowYResizeCell = IsTrue(value);
    } else if (n == "drawInInvertOrder") {
        drawInInvertOrder = IsTrue(value);
    } else if (n == "overflowY" || n == "underflowY") {
        int word = WordIndex(value, kFlexChildWords, 3);
        if (word >= 0)
            (n == "overflowY" ? overflowY : underflowY) = word;
    } else if (n == "boxScale") {
        // A decimal UI scale for the subtree; no number (or 0) means none.
        float scale = std::strtof(value, nullptr);
        boxScale = scale > 0.0f && scale < 100.0f ? scale : 0.0f;
    } else {
        TPDAUIEngineElement::SetAttribute(name, value);
    }
}

DString TPDAUIEngineElementBox::GetAttribute(const char* name)
{
    CDString n(name);
    DString out;
    if (n == "layout") {
        if (layout >= 0 && layout < LayoutCount)
            out = kLayoutWords[layout];
    } else if (n == "layoutRows") {
        out << layoutRows;
    } else if (n == "layoutColumns") {
        out << layoutColumns;
    } else if (n == "layoutCardIndex") {
        out << layoutCardIndex;
    } else if (n == "layoutTableSkipCells") {
        out << layoutTableSkipCells;
    } else if (n == "layoutTableOnCellOverflowYResizeCell") {
        out = layoutTableOnCellOverflowYResizeCell ? "true" : "false";
    } else if (n == "drawInInvertOrder") {
        out = drawInInvertOrder ? "true" : "false";
    } else if (n == "boxScale") {
        out << boxScale;
    } else {
        out = TPDAUIEngineElement::GetAttribute(name);
    }
    return out;
}

// ---- geometry ----

TRectIG TPDAUIEngineElementBox::GetScreenRect()
{
    TRectIG r = TPDAUIEngineElement::GetScreenRect();
    if (TPDAUIEngineScrollBarBase* bar = GetScrollBar())
        r.Offset(0, -bar->position);
    return r;
}

TRectIG TPDAUIEngineElementBox::GetVisibleRect()
{
    TRectIG r = TPDAUIEngineElement::GetVisibleRect();
    if (TPDAUIEngineScrollBarBase* bar = GetScrollBar())
        r.Offset(0, -bar->position);
    return r;
}

// ---- painting ----

bool TPDAUIEngineElementBox::paintCoveredBackgrounds = false;

int TPDAUIEngineElementBox::PaintState()
{
    if (!enabled)
        return StateDisabled;
    if (pressed)
        return StatePressed;
    if (IsFocused() || selected)
        return StateFocus;
    if (hover)
        return StateHover;
    return StateNormal;
}

bool TPDAUIEngineElementBox::SubtractChildCover(IDC* dc, int ox, int oy, const TRectIG& content,
                                                TPDAUIEngineUncovered& rest)
{
    const bool scroll = layout == LayoutVerticalScroll;
    // A shown bar moves its children before they paint.
    if (scroll && scrollBar && scrollBar->visible)
        return false;
    if (!TPDAUIEngineUncovered::Sane(ox) || !TPDAUIEngineUncovered::Sane(oy))
        return false;
    for (int i = 0; i < children.Count() && !rest.IsCovered() && !rest.Lost(); ++i) {
        TPDAUIEngineElement* c = children[i];
        if (!c || !c->visible || !TPDAUIEngineUncovered::Sane(c->left) || !TPDAUIEngineUncovered::Sane(c->top) ||
            !TPDAUIEngineUncovered::Sane(c->width) || !TPDAUIEngineUncovered::Sane(c->height))
            continue;
        TRectIG cover(ox + c->left, oy + c->top, ox + c->left + c->width, oy + c->top + c->height);
        // Scrolled children are clipped to the content.
        if ((scroll && !cover.IntersectWith(content)) || cover.IsEmpty())
            continue;
        if (c->PaintsOpaque(dc))
            rest.Subtract(cover);
    }
    return !rest.Lost();
}

void TPDAUIEngineElementBox::PaintBackground(IDC* dc, const TPDAUIEngineStyleBackground& back, const TRectIG& rect,
                                             int ox, int oy, const TRectIG& content)
{
    if (!dc || back.kind == TPDAUIEngineStyleBackground::KindNone || rect.IsEmpty())
        return;
    TPDAUIEngineUncovered rest(rect);
    if (paintCoveredBackgrounds || !SubtractChildCover(dc, ox, oy, content, rest) || rest.IsWhole()) {
        back.Draw(dc, rect);
        return;
    }
    if (rest.IsCovered())
        return;
    // A fill gives each pixel the same value wherever it starts.
    if (back.kind == TPDAUIEngineStyleBackground::KindColor) {
        for (int i = 0; i < rest.Count(); ++i)
            back.Draw(dc, rest[i]);
        return;
    }
    // An image copied at its own size gives each pixel from its own place, so
    // what is left is copied from the same places; a stretched one samples by
    // steps counted from where it starts, and is painted whole.
    if (back.kind != TPDAUIEngineStyleBackground::KindImage || !back.image ||
        back.image->Width() != rect.Width() || back.image->AbsHeight() != rect.Height()) {
        back.Draw(dc, rect);
        return;
    }
    const TColorIG key = TPDAUIEngineTransparentKey();
    for (int i = 0; i < rest.Count(); ++i) {
        TRectIG source = rest[i];
        source.Offset(-rect.left, -rect.top);
        dc->StretchDIBits_Transparent(rest[i], source, back.image, key);
    }
}

bool TPDAUIEngineElementBox::BoxPaintsOpaque(IDC* dc)
{
    typedef TPDAUIEngineUncovered U;
    // Every box asks its children again when it paints itself: looking only a
    // few levels down keeps the paint of a deep tree linear.
    static thread_local int depth = 0;
    if (depth >= kCoverDepth)
        return false;
    struct Deeper {
        Deeper() { ++depth; }
        ~Deeper() { --depth; }
    } deeper;
    if (!visible || !U::Sane(left) || !U::Sane(top) || !U::Sane(width) || !U::Sane(height))
        return false;
    const TRectIG r(left, top, left + width, top + height);
    if (r.IsEmpty())
        return false;
    const int state = PaintState();
    TRectIG back = r;
    if (state == StateNormal)
        borders[StateNormal].DeflateRect(back);
    U rest(r);
    if (TPDAUIEngineBackgroundIsOpaque(backgrounds[state]))
        rest.Subtract(back);
    if (rest.IsCovered())
        return true;
    const long long b = borders[StateNormal].width;
    const TRectIG content(TPDAUIEngineSaturate::Clamp(r.left + b + padding.left),
                          TPDAUIEngineSaturate::Clamp(r.top + b + padding.top),
                          TPDAUIEngineSaturate::Clamp(r.right - b - padding.right),
                          TPDAUIEngineSaturate::Clamp(r.bottom - b - padding.bottom));
    return SubtractChildCover(dc, left, top, content, rest) && rest.IsCovered();
}

bool TPDAUIEngineElementBox::PaintsOpaque(IDC* dc)
{
    // Only where the paint is the box's own: a kind that paints otherwise says
    // for itself.
    const std::type_info& kind = typeid(*this);
    if (kind != typeid(TPDAUIEngineElementBox) && kind != typeid(TPDAUIEngineElementAutoHideBox))
        return false;
    return BoxPaintsOpaque(dc);
}

void TPDAUIEngineElementBox::Paint(IDC* dc, int x, int y)
{
    const int ox = TPDAUIEngineSaturate::Clamp((long long)x + left);
    const int oy = TPDAUIEngineSaturate::Clamp((long long)y + top);
    const TRectIG r(ox, oy, TPDAUIEngineSaturate::Clamp((long long)ox + width), TPDAUIEngineSaturate::Clamp((long long)oy + height));
    const long long b = borders[StateNormal].width;
    const TRectIG content(TPDAUIEngineSaturate::Clamp(r.left + b + padding.left), TPDAUIEngineSaturate::Clamp(r.top + b + padding.top),
                          TPDAUIEngineSaturate::Clamp(r.right - b - padding.right),
                          TPDAUIEngineSaturate::Clamp(r.bottom - b - padding.bottom));
    TBoxScaleScope scope(this);

    // The background only where no child paints over it opaquely.
    const int state = PaintState();
    if (state == StateNormal) {
        TRectIG inner = r;
        borders[StateNormal].DeflateRect(inner);
        PaintBackground(dc, backgrounds[StateNormal], inner, ox, oy, content);
        borders[StateNormal].Draw(dc, r);
    } else {
        PaintBackground(dc, backgrounds[state], r, ox, oy, content);
        borders[state].Draw(dc, r);
    }

    if (layout == LayoutVerticalScroll) {
        // Clip to the content, within any clip an outer box has set.
        TRectIG outer = dc ? dc->GetClipRect() : TRectIG();
        const bool hadClip = !outer.IsEmpty();
        if (dc) {
            TRectIG clip = content;
            if (hadClip)
                clip.IntersectWith(outer);
            dc->SelectClipRect(clip);
        }
        TPDAUIEngineScrollBarBase* bar = scrollBar;
        if (bar) {
            if (bar->visible)
                bar->UpdateKineticScroll();
            else
                bar->position = 0;
        }
        for (int i = 0; i < children.Count(); ++i) {
            TPDAUIEngineElement* c = children[i];
            if (!c->visible)
                continue;
            if (!bar) {
                c->Paint(dc, ox, oy);
                continue;
            }
            const int pos = bar->position;
            const int shownY = TPDAUIEngineSaturate::Clamp((long long)oy - pos);
            if (!bar->visible)
                c->Paint(dc, ox, shownY);
            else if ((long long)c->top <= (long long)pos + bar->viewHeight &&
                     (long long)c->top + c->height >= pos)
                c->Paint(dc, ox, shownY);
        }
        if (dc) {
            if (hadClip)
                dc->SelectClipRect(outer);
            else
                dc->Fin_SelectClipRgn();
        }
        if (bar && bar->visible)
            bar->Paint(dc, ox, oy);
        return;
    }

    const bool reverse = layout == LayoutStackInverted || drawInInvertOrder;
    const int n = children.Count();
    for (int k = 0; k < n && k < children.Count(); ++k) {
        TPDAUIEngineElement* c = children[reverse ? children.Count() - 1 - k : k];
        if (c && c->visible)
            c->Paint(dc, ox, oy);
    }
}

// ---- hit testing ----

TPDAUIEngineElement* TPDAUIEngineElementBox::HitTest(int x, int y)
{
    const long long lx = (long long)x - left;
    const long long ly = (long long)y - top;
    const bool inside = lx >= 0 && lx < width && ly >= 0 && ly < height;
    const int cx = TPDAUIEngineSaturate::Clamp(lx);
    const int cy = TPDAUIEngineSaturate::Clamp(ly);
    const int n = children.Count();

    if (inside) {
        switch (layout) {
        case LayoutVerticalScroll: {
            TPDAUIEngineScrollBarBase* bar = scrollBar;
            if (bar && bar->visible &&
                bar->ContainsPoint(TPDAUIEngineSaturate::Clamp(lx - bar->left), TPDAUIEngineSaturate::Clamp(ly - bar->top)))
                return bar;
            const int sy = TPDAUIEngineSaturate::Clamp(ly + (bar ? bar->position : 0));
            for (int i = 0; i < n; ++i) {
                TPDAUIEngineElement* c = children[i];
                if (c->visible)
                    if (TPDAUIEngineElement* hit = c->HitTest(cx, sy))
                        return hit;
            }
            return this;
        }
        case LayoutVerticalInverted:
        case LayoutAbsolute:
        case LayoutStack:
        case LayoutStackInverted: {
            // The child drawn on top answers first: the last one, except in
            // StackInverted, which draws the first child last.
            const bool firstOnTop = layout == LayoutStackInverted;
            for (int k = 0; k < n; ++k) {
                TPDAUIEngineElement* c = children[firstOnTop ? k : n - 1 - k];
                if (!c->visible)
                    continue;
                TPDAUIEngineElement* hit = c->HitTest(cx, cy);
                if (hit && hit->visible)
                    return hit;
            }
            return nullptr;
        }
        default:
            for (int i = 0; i < n; ++i) {
                TPDAUIEngineElement* c = children[i];
                if (c->visible)
                    if (TPDAUIEngineElement* hit = c->HitTest(cx, cy))
                        return hit;
            }
            if (backgrounds[StateNormal].kind != TPDAUIEngineStyleBackground::KindNone ||
                catchMouseEventsAlways)
                return this;
            return nullptr;
        }
    }
    if (layout == LayoutVerticalScroll || layout == LayoutAbsolute ||
        layout == LayoutVerticalInverted)
        return nullptr;
    // Children may lie outside their box; only one that shows something answers.
    for (int i = 0; i < n; ++i) {
        TPDAUIEngineElement* c = children[i];
        if (!c->visible)
            continue;
        TPDAUIEngineElement* hit = c->HitTest(cx, cy);
        if (hit && (hit->backgrounds[StateNormal].kind != TPDAUIEngineStyleBackground::KindNone ||
                    hit->catchMouseEventsAlways))
            return hit;
    }
    return nullptr;
}

// ---- input ----

void TPDAUIEngineElementBox::OnMouseWheel(int x, int y, int delta)
{
    if (TPDAUIEngineScrollBarBase* bar = GetScrollBar()) {
        bar->OnMouseWheel(x, y, delta);
        return;
    }
    TPDAUIEngineElement::OnMouseWheel(x, y, delta);
}

void TPDAUIEngineElementBox::OnKeyDown(int key, unsigned char* handled, unsigned char* consumed)
{
    if ((key == kKeyEnter || key == kKeySpace) && !onCommand.IsEmpty()) {
        pressed = 1;
        if (handled)
            *handled = 1;
        Invalidate();
        return;
    }
    TPDAUIEngineElement::OnKeyDown(key, handled, consumed);
}

void TPDAUIEngineElementBox::OnKeyUp(int key, unsigned char* handled, int heldTime)
{
    if ((key == kKeyEnter || key == kKeySpace) && !onCommand.IsEmpty()) {
        pressed = 0;
        if (handled)
            *handled = 1;
        Invalidate();
        // A disabled box takes the key but raises nothing, as with the pointer.
        if (enabled)
            RaiseCommand(onCommand.c_str(), 0, 0, true);
        return;
    }
    TPDAUIEngineElement::OnKeyUp(key, handled, heldTime);
}

// ---- life cycle ----

void TPDAUIEngineElementBox::Detach()
{
    RemoveAllChildren();
    if (scrollBar)
        scrollBar->Detach();
    TPDAUIEngineElement::Detach();
}

void TPDAUIEngineElementBox::CopyFrom(TPDAUIEngineElement* other)
{
    TPDAUIEngineElement::CopyFrom(other);
    TPDAUIEngineElementBox* o = dynamic_cast<TPDAUIEngineElementBox*>(other);
    if (!o || o == this)
        return;
    layout = o->layout;
    layoutColumns = o->layoutColumns;
    layoutRows = o->layoutRows;
    layoutCardIndex = o->layoutCardIndex;
    layoutTableSkipCells = o->layoutTableSkipCells;
    layoutTableOnCellOverflowYResizeCell = o->layoutTableOnCellOverflowYResizeCell;
    boxScale = o->boxScale;
    // VerticalInverted adds at the front: clone from the back so that the copy
    // keeps the original's order.
    const int n = o->children.Count();
    const bool fromBack = layout == LayoutVerticalInverted;
    for (int k = 0; k < n && k < o->children.Count(); ++k) {
        TPDAUIEngineElement* source = o->children[fromBack ? n - 1 - k : k];
        if (TPDAUIEngineElement* copy = source ? source->Clone() : nullptr)
            AddChild(copy, nullptr, nullptr);
    }
}

void TPDAUIEngineElementBox::AdjustFont()
{
    // TPDAUIEngineElement::AdjustFont, without a call for each box.
    if (TPDAUIEngine* e = engine)
        e->AdjustFont(font);
    for (int i = 0; i < children.Count(); ++i)
        children[i]->AdjustFont();
}

void TPDAUIEngineElementBox::TranslateLabel()
{
    TranslateOwnLabel(*this);
    for (int i = 0; i < children.Count(); ++i)
        children[i]->TranslateLabel();
}

int TPDAUIEngineElementBox::GetMemorySize()
{
    long long size = sizeof(TPDAUIEngineElementBox);
    for (int i = 0; i < children.Count(); ++i)
        size += children[i]->GetMemorySize();
    if (scrollBar)
        size += scrollBar->GetMemorySize();
    return TPDAUIEngineSaturate::Clamp(size);
}

// ---- auto-hide box ----

TPDAUIEngineElementAutoHideBox::TPDAUIEngineElementAutoHideBox()
{
    tag = "autohidebox";
    visible = 0;
    timerInterval = 1000;
}

void TPDAUIEngineElementAutoHideBox::OnTimer(int interval, int now)
{
    StopTimer();
    visible = 0;
    Invalidate();
}
