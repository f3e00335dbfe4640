#include "uiengine/elements/TPDAUIEngineElementPage.h"

#include <climits>
#include <cmath>
#include <mutex>
#include <typeinfo>
#include <unordered_set>

#include "uiengine/core/TPDAUIEngine.h"
#include "uiengine/core/TPDAUIEngineSaturate.h"
#include "uiengine/core/TPDAUIEngineSkinSettings.h"
#include "uiengine/elements/TPDAUIEngineElementIFrame.h"

namespace {

const int kKeyTab = 9;
const int kKeyEscape = 27;
const int kKeyLeft = 37;
const int kKeyUp = 38;
const int kKeyRight = 39;
const int kKeyDown = 40;

// Every live page, so that an element outliving its page never writes into it.
std::mutex& LivePagesMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::unordered_set<const TPDAUIEngineElementPage*>& LivePages()
{
    static std::unordered_set<const TPDAUIEngineElementPage*> pages;
    return pages;
}

// The element a candidate of a focus move gives the focus to, or null: the
// scroll bar of a scrolling box (unless it has the focus already), else the
// candidate itself when it is focusable and shown.
TPDAUIEngineElement* Qualifies(TPDAUIEngineElement* e, TPDAUIEngineElement* focused)
{
    if (TPDAUIEngineElementBox* box = dynamic_cast<TPDAUIEngineElementBox*>(e)) {
        TPDAUIEngineScrollBarBase* bar = box->GetScrollBar();
        if (bar && bar->visible && bar->isFocusable && bar != focused)
            return bar;
    }
    return e->isFocusable && e->IsEffectivelyVisible() ? e : nullptr;
}

// The Table box holding e, with e's child index, row and column; null when e's
// parent is no Table box (or one without columns to count rows by).
TPDAUIEngineElementBox* TableOf(TPDAUIEngineElement* e, int& index, int& row, int& column)
{
    TPDAUIEngineElementBox* box = e ? dynamic_cast<TPDAUIEngineElementBox*>(e->parent) : nullptr;
    if (!box || box->layout != TPDAUIEngineElementBox::LayoutTable || box->layoutColumns <= 0)
        return nullptr;
    index = box->IndexOfChild(e);
    if (index < 0)
        return nullptr;
    row = index / box->layoutColumns;
    column = index % box->layoutColumns;
    return box;
}

bool CanTakeFocus(TPDAUIEngineElement* e) { return e && e->visible && e->isFocusable && e->enabled; }

// Whether e is root or lies in root's subtree.
bool IsWithin(TPDAUIEngineElement* e, TPDAUIEngineElement* root)
{
    for (; e; e = e->parent)
        if (e == root)
            return true;
    return false;
}

} // namespace

TPDAUIEngineElementPage::TPDAUIEngineElementPage(TPDAUIEngine* e)
    : resources(e, false), popups(5, 5, false), runningTimers(5, 5), animations(this)
{
    tag = "page";
    engine = e;
    page = this;
    backgrounds.Edit(StateNormal).kind = TPDAUIEngineStyleBackground::KindColor;
    backgrounds.Edit(StateNormal).colour = TColoresIG::F_Gray;
    flex = 1;
    std::lock_guard<std::mutex> guard(LivePagesMutex());
    LivePages().insert(this);
}

TPDAUIEngineElementPage::~TPDAUIEngineElementPage()
{
    // The timer list and the references die with this part of the object, before
    // the elements of the tree are deleted.
    UnlinkTree();
    std::lock_guard<std::mutex> guard(LivePagesMutex());
    LivePages().erase(this);
}

bool TPDAUIEngineElementPage::IsLive(const TPDAUIEngineElementPage* p)
{
    if (!p)
        return false;
    std::lock_guard<std::mutex> guard(LivePagesMutex());
    return LivePages().count(p) != 0;
}

void TPDAUIEngineElementPage::UnlinkTree()
{
    // Room for a common page at once.
    VectorP<TPDAUIEngineElement> tree(256, 256, false);
    CollectDescendants(tree, false);
    for (int i = 0; i < tree.Count(); ++i) {
        TPDAUIEngineElement* e = tree[i];
        if (e->timerRunning)  // StopTimer's own test first: no call for most
            e->StopTimer();
        if (e->page == this)
            e->page = nullptr;
        // Scroll bars are no children, but run timers all the same. Most
        // elements are plain boxes: their exact type spares the cast's search.
        TPDAUIEngineElementBox* box = typeid(*e) == typeid(TPDAUIEngineElementBox)
                                          ? static_cast<TPDAUIEngineElementBox*>(e)
                                          : dynamic_cast<TPDAUIEngineElementBox*>(e);
        if (box && box->scrollBar) {
            box->scrollBar->StopTimer();
            if (box->scrollBar->page == this)
                box->scrollBar->page = nullptr;
        }
    }
    if (scrollBar) {
        scrollBar->StopTimer();
        if (scrollBar->page == this)
            scrollBar->page = nullptr;
    }
    StopTimer();
}

// Loading and saving the skin page: TPDAUIEngineElementPageLoad.cpp.

// ---- attributes ----

void TPDAUIEngineElementPage::SetAttribute(const char* name, const char* value)
{
    CDString n(name);
    CDString v(value);
    if (n == "avoidChangeFocus")
        avoidChangeFocus = v == "true";
    else if (n == "avoidPreviousPageBackgroundEffect")
        avoidPreviousPageBackgroundEffect = v == "true";
    else if (n == "transition")
        transition = v == "rtl" ? TransitionSlide : v == "fadein" ? TransitionFade : TransitionNone;
    else if (n == "focusToFirstVisibleElementOnLoad")
        focusToFirstVisibleElementOnLoad = v == "true";
    else
        TPDAUIEngineElementBox::SetAttribute(name, value);
}

DString TPDAUIEngineElementPage::GetAttribute(const char* name)
{
    CDString n(name);
    DString out;
    if (n == "avoidChangeFocus")
        out = avoidChangeFocus ? "true" : "false";
    else if (n == "avoidPreviousPageBackgroundEffect")
        out = avoidPreviousPageBackgroundEffect ? "true" : "false";
    else if (n == "transition")
        out = transition == TransitionSlide ? "rtl" : transition == TransitionFade ? "fadein" : "none";
    else if (n == "focusToFirstVisibleElementOnLoad")
        out << (focusToFirstVisibleElementOnLoad != 0);
    else
        out = TPDAUIEngineElementBox::GetAttribute(name);
    return out;
}

// ---- painting and layout ----

void TPDAUIEngineElementPage::Paint(IDC* dc, int x, int y)
{
    if (needsLayout)
        Layout();
    if (!visible)
        return;
    animations.StepAll();
    TPDAUIEngineElementBox::Paint(dc, x, y);
}

void TPDAUIEngineElementPage::ReapplyBounds() { needsLayout = 1; }

bool TPDAUIEngineElementPage::PaintsOpaque(IDC* dc)
{
    // Until Paint has laid the page out and stepped its animations the
    // children's places are not known.
    if (needsLayout || animations.Animations().Count() > 0)
        return false;
    return BoxPaintsOpaque(dc);
}

void TPDAUIEngineElementPage::Layout()
{
    if (closing)
        return;
    // A nested page takes the place its IFrame gives it.
    if (TPDAUIEngineElementIFrame* frame = dynamic_cast<TPDAUIEngineElementIFrame*>(parent)) {
        frame->ReapplyBounds();
        needsLayout = 0;
        return;
    }
    const TPDAUIEngineSkinSettings* s =
        engine ? &engine->skinSettings : TPDAUIEngineSkinSettings::Current();
    if (!s)
        return;
    // Sums saturate: a skin may give any maximum or margin. A negative maximum
    // is no maximum.
    typedef TPDAUIEngineSaturate Sat;
    const int screenW = s->screenWidth;
    const int screenH = s->screenHeight;
    int l = 0, t = 0, w = screenW, h = screenH;
    if (maximumWidth >= 0 && maximumWidth < 2048) {
        w = maximumWidth;
        l = screenW / 2 - maximumWidth / 2;
        fullScreen = 0;
    }
    if (const int m = margins.GetLeft()) {
        l = Sat::Add(l, m);
        w = Sat::Sub(w, m);
        fullScreen = 0;
    }
    if (const int m = margins.GetRight()) {
        w = Sat::Sub(w, m);
        fullScreen = 0;
    }
    if (maximumHeight >= 0 && maximumHeight < 2048) {
        h = maximumHeight;
        t = screenH / 2 - maximumHeight / 2;
        fullScreen = 0;
    }
    if (const int m = margins.GetTop()) {
        t = Sat::Add(t, m);
        h = Sat::Sub(h, m);
        fullScreen = 0;
    }
    if (const int m = margins.GetBottom()) {
        h = Sat::Sub(h, m);
        fullScreen = 0;
    }
    left = l;
    top = t;
    width = w;
    height = h;
    TPDAUIEngineElement::ReapplyBounds();
    needsLayout = 0;
}

int TPDAUIEngineElementPage::GetMemorySize()
{
    long long size = (long long)sizeof(TPDAUIEngineElementPage) + resources.GetMemoryUsed();
    for (int i = 0; i < children.Count(); ++i)
        size += children[i]->GetMemorySize();
    if (scrollBar)
        size += scrollBar->GetMemorySize();
    return size > INT_MAX ? INT_MAX : (int)size;
}

// ---- input ----

void TPDAUIEngineElementPage::OnMouseUp(int x, int y, int kind, unsigned char* handled)
{
    if (kind == 0 && enabled && !onCommand.IsEmpty()) {
        RaiseCommand(onCommand.c_str(), 0, 0, true);
        if (handled)
            *handled = 1;
        return;
    }
    TPDAUIEngineElement::OnMouseUp(x, y, kind, handled);
}

void TPDAUIEngineElementPage::OnKeyDown(int key, unsigned char* handled, unsigned char* consumed)
{
    bool moved = true;
    bool arrow = key == kKeyLeft || key == kKeyRight || key == kKeyUp || key == kKeyDown;
    if (!avoidChangeFocus && arrow) {
        if (key == kKeyLeft)
            FocusPrevious();
        else if (key == kKeyRight)
            FocusNext();
        else if (key == kKeyUp)
            FocusUp();
        else
            FocusDown();
    } else if (key == kKeyTab) {
        // Tab moves the focus even while avoidChangeFocus holds it.
        if (engine && engine->keysManager.shift)
            MovePrevious(true);
        else
            MoveNext(true);
    } else {
        moved = false;
    }
    if (moved) {
        if (handled)
            *handled = 1;
        if (consumed)
            *consumed = 1;
    }
    if (!handled || !*handled)
        TPDAUIEngineElementBox::OnKeyDown(key, handled, consumed);
}

void TPDAUIEngineElementPage::OnKeyUp(int key, unsigned char* handled, int heldTime)
{
    if (key != kKeyEscape)
        return;
    TPDAUIEngineCommand command(this, "cancel");
    OnCommand(command);
    if (handled)
        *handled = command.handled;
}

bool TPDAUIEngineElementPage::RaiseCommand(const char* name, int x, int y, bool playSound)
{
    TPDAUIEngineCommand command(this, name);
    OnCommand(command);
    return command.result != 0;
}

// ---- life cycle ----

void TPDAUIEngineElementPage::Detach()
{
    SetFocus(nullptr, false);
    TPDAUIEngineElementBox::Detach();
    resources.Clear();
    // The page's own images came from the store just emptied.
    image = nullptr;
    for (int s = 0; s < 5; ++s)
        if (backgrounds[s].image)
            backgrounds.Edit(s).image = nullptr;
}

void TPDAUIEngineElementPage::Reload()
{
    if (reloadSuppressed) {
        if (engine)
            landscapeAtLoad = engine->skinSettings.landscape;
        return;
    }
    TPDAUIEngine* e = engine;
    TPDAUIEngineElement* host = parent;
    Detach();
    OnLoad(e, nullptr, nullptr, nullptr, nullptr);
    // The load took the page as a root; a page nested in an element is still
    // that element's child and goes on delegating to it.
    parent = host;
    TranslateLabel();
    TPDAUIEngineCommand load(nullptr, "load");
    OnCommand(load);
    SetBounds(left, top, width, height);
    reloadRequested = 0;
    Invalidate();
}

void TPDAUIEngineElementPage::RequestReload()
{
    reloadRequested = 1;
    Invalidate();
}

void TPDAUIEngineElementPage::OnFocusChanged(TPDAUIEngineElement* element) {}

int TPDAUIEngineElementPage::RequiresOpenGL() { return 0; }

bool TPDAUIEngineElementPage::IsAnimating() { return animating != 0; }

void TPDAUIEngineElementPage::SetAnimating(bool on) { animating = on ? 1 : 0; }

void TPDAUIEngineElementPage::Close(unsigned char r)
{
    result = r;
    closing = 1;
    Invalidate();
}

bool TPDAUIEngineElementPage::IsTopPage()
{
    if (!engine || engine->pages.IsEmpty())
        return false;
    TPDAUIEngineElementPage* top = engine->pages.Last();
    return top == this || (parent && top == parent->page);
}

bool TPDAUIEngineElementPage::NeedsReload()
{
    if (closing || !engine)
        return false;
    const TPDAUIEngineSkinSettings& s = engine->skinSettings;
    if (s.skinName != skinNameAtLoad)
        return true;
    if (s.theme1Name != themeAtLoad)
        return true;
    if (s.landscape != landscapeAtLoad)
        return true;
    if (s.languageId != languageAtLoad && IsTopPage())
        return true;
    return std::fabs(s.uiScale - uiScaleAtLoad) > 0.5f;
}

// ---- focus ----

TPDAUIEngineElementPage* TPDAUIEngineElementPage::GetOuterPage()
{
    TPDAUIEngineElementPage* p = this;
    // Bounded so that a cycle of links cannot hang the caller.
    for (int depth = 0; depth < 64; ++depth) {
        TPDAUIEngineElementPage* outer = p->parent ? p->parent->page : nullptr;
        if (!outer || outer == p)
            break;
        p = outer;
    }
    return p;
}

void TPDAUIEngineElementPage::SetFocus(TPDAUIEngineElement* element, bool force)
{
    if (closing)
        return;
    if (!force && avoidChangeFocus)
        return;
    TPDAUIEngineElementPage* outer = parent ? parent->page : nullptr;
    if (outer && outer != this) {
        outer->SetFocus(element, force);
        return;
    }
    int wanted = element ? element->numericId.load() : -1;
    if (focusedElement) {
        TPDAUIEngineElement* old = focusedElement;
        focusedElement = nullptr;
        if (old->engine == engine) {
            old->OnKillFocus(element ? FindByNumericId(wanted) : nullptr);
            if (focusedElement) {
                OnFocusChanged(focusedElement);
                return;
            }
        }
    }
    TPDAUIEngineElement* found = element ? FindByNumericId(wanted) : nullptr;
    if (!found)
        return;
    focusedElement = found;
    found->OnSetFocus(nullptr);
    found->ScrollIntoView();
    if (focusedElement)
        OnFocusChanged(focusedElement);
}

void TPDAUIEngineElementPage::FocusNext() { MoveNext(false); }

void TPDAUIEngineElementPage::FocusPrevious() { MovePrevious(false); }

void TPDAUIEngineElementPage::MoveNext(bool force)
{
    TPDAUIEngineElementPage* outer = GetOuterPage();
    if (outer != this) {
        outer->MoveNext(force);
        return;
    }
    VectorP<TPDAUIEngineElement> list(20, 20, false);
    CollectDescendants(list, true);
    const int n = list.Count();
    if (!focusedElement) {
        for (int i = 0; i < n; ++i)
            if (list[i]->isFocusable) {
                SetFocus(list[i], force);
                return;
            }
        return;
    }
    const int d = list.IndexOf(focusedElement);
    // From outside the list or from its end, every entry is looked at once.
    const int tries = d < 0 || d == n - 1 ? n : n - 1;
    const int from = d < 0 || d == n - 1 ? 0 : d + 1;
    for (int k = 0; k < tries; ++k) {
        if (TPDAUIEngineElement* q = Qualifies(list[(from + k) % n], focusedElement)) {
            SetFocus(q, force);
            return;
        }
    }
}

// With no focus: the last focusable entry above index 0 takes it.
bool TPDAUIEngineElementPage::FocusLastAboveFirst(VectorP<TPDAUIEngineElement>& list, bool force)
{
    for (int i = list.Count() - 1; i >= 1; --i)
        if (list[i]->isFocusable) {
            SetFocus(list[i], force);
            return true;
        }
    return false;
}

void TPDAUIEngineElementPage::MovePrevious(bool force)
{
    TPDAUIEngineElementPage* outer = GetOuterPage();
    if (outer != this) {
        outer->MovePrevious(force);
        return;
    }
    VectorP<TPDAUIEngineElement> list(20, 20, false);
    CollectDescendants(list, true);
    const int n = list.Count();
    if (!focusedElement) {
        FocusLastAboveFirst(list, force);
        return;
    }
    // Leaving a table backwards from its first cell starts from the table (and
    // from the table holding that one when it is a first cell too).
    int index = 0, row = 0, column = 0;
    while (TPDAUIEngineElementBox* table = TableOf(focusedElement, index, row, column)) {
        if (row != 0 || column != 0)
            break;
        focusedElement = table;
    }
    const int c = list.IndexOf(focusedElement);
    const int s = c >= 1 ? c : n;
    for (int k = 1; k <= n; ++k) {
        int i = ((s - k) % n + n) % n;
        if (s < n && i == s)
            break;
        if (TPDAUIEngineElement* q = Qualifies(list[i], focusedElement)) {
            SetFocus(q, force);
            return;
        }
    }
}

void TPDAUIEngineElementPage::FocusUp()
{
    TPDAUIEngineElementPage* outer = GetOuterPage();
    if (outer != this) {
        outer->FocusUp();
        return;
    }
    int index = 0, row = 0, column = 0;
    TPDAUIEngineElementBox* table = TableOf(focusedElement, index, row, column);
    if (!table) {
        FocusPrevious();
        return;
    }
    if (row < 1) {
        focusedElement = table;
        FocusPrevious();
        return;
    }
    TPDAUIEngineElement* target = table->children[column + table->layoutColumns * (row - 1)];
    if (CanTakeFocus(target))
        SetFocus(target, false);
    else
        FocusPrevious();
}

void TPDAUIEngineElementPage::FocusDown()
{
    TPDAUIEngineElementPage* outer = GetOuterPage();
    if (outer != this) {
        outer->FocusDown();
        return;
    }
    if (!focusedElement) {
        VectorP<TPDAUIEngineElement> list(20, 20, false);
        CollectDescendants(list, true);
        FocusLastAboveFirst(list, false);
        return;
    }
    int index = 0, row = 0, column = 0;
    TPDAUIEngineElementBox* table = TableOf(focusedElement, index, row, column);
    if (!table) {
        FocusNext();
        return;
    }
    const long long below = column + (long long)table->layoutColumns * (row + 1);
    if (below < table->children.Count() && CanTakeFocus(table->children[(int)below])) {
        SetFocus(table->children[(int)below], false);
        return;
    }
    // From the last row the move goes on after the table's last cell.
    if (table->layoutRows == row + 1)
        focusedElement = table->children.Last();
    FocusNext();
}

// ---- pop-ups ----

void TPDAUIEngineElementPage::PushPopup(TPDAUIEngineElement* element)
{
    TPDAUIEngineElementPage* outer = GetOuterPage();
    if (outer != this) {
        outer->PushPopup(element);
        return;
    }
    if (!element) {
        Error_Vectores_DG_x(ErrVectorNullArgument);
        return;
    }
    // A pop-up pushed again while open only becomes the newest: one entry per
    // element (so that its removal leaves no stale pointer), and the focus
    // saved when it first opened (not one inside itself) is the one restored.
    const int open = popups.IndexOf(element);
    if (open >= 0)
        popups.Extract(open);
    popups.Add(element);
    if (open < 0)
        element->savedFocusId = focusedElement ? focusedElement->numericId.load() : 0;
    if (element->isFocusable) {
        SetFocus(element, false);
    } else {
        VectorP<TPDAUIEngineElement> list(20, 10, false);
        element->CollectDescendants(list, true);
        for (int i = 0; i < list.Count(); ++i) {
            TPDAUIEngineElement* e = list[i];
            if (e->isFocusable && e->visible && e->enabled) {
                SetFocus(e, false);
                break;
            }
        }
    }
    Invalidate();
}

void TPDAUIEngineElementPage::ClosePopup(TPDAUIEngineElement* element)
{
    if (!element)
        return;
    TPDAUIEngineElementPage* p = GetOuterPage();
    // Read before any focus hook runs, which might remove the element.
    const DString hideCommand = element->GetPopupHideCommand();
    bool restored = false;
    const int index = p->popups.IndexOf(element);
    if (index >= 0) {
        p->popups.Extract(index);
        if (element->savedFocusId != 0) {
            if (TPDAUIEngineElement* saved = p->FindByNumericId(element->savedFocusId)) {
                p->SetFocus(saved, false);
                // Restored when the focus rests outside the closed pop-up (on
                // the saved element, or where its OnSetFocus passed it on).
                restored = p->focusedElement && !IsWithin(p->focusedElement, element);
            }
        }
        p->Invalidate();
    }
    // A menu tells its page that it closed, also when it was not open.
    if (!hideCommand.IsEmpty()) {
        TPDAUIEngineCommand command(element, hideCommand.c_str());
        p->OnCommand(command);
    }
    if (!restored)
        p->focusedElement = nullptr;
}

void TPDAUIEngineElementPage::CloseAllPopups()
{
    TPDAUIEngineElementPage* p = GetOuterPage();
    while (!p->popups.IsEmpty())
        p->ClosePopup(p->popups.Last());
}
