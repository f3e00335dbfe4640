// Pointer, wheel and key routing, resize, the input panel and element timers.
#include <cstdlib>

#include "uiengine/core/TPDAUIEngine.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"
#include "uiengine/elements/TPDAUIEngineElementVScrollBar.h"

namespace {

const int kDoubleClickMs = 250;
const int kDoubleClickPx = 50;   // times the UI scale
const int kMovedPx = 15;         // not scaled
const int kLongPressArmMs = 250; // the indicator may show from here
const int kTimerThrottleMs = 10;
const int kTrailMax = 10;        // points kept before the next append
const int kFarAway = -99999;     // a release y no element contains

TRectIG ScreenRect(TPDAUIEngineElement* element) { return element->GetScreenRect(); }

} // namespace

// ---- Kinetic scroll boxes --------------------------------------------------------------

TPDAUIEngineElement* TPDAUIEngine::VerticalScrollBarOf(TPDAUIEngineElement* element)
{
    TPDAUIEngineElementBox* box = dynamic_cast<TPDAUIEngineElementBox*>(element);
    if (!box || box->layout != TPDAUIEngineElementBox::LayoutVerticalScroll)
        return nullptr;
    return box->GetScrollBar();
}

int TPDAUIEngine::ScrollBarMode(TPDAUIEngineElement* bar)
{
    TPDAUIEngineScrollBarBase* scroll = dynamic_cast<TPDAUIEngineScrollBarBase*>(bar);
    return scroll ? scroll->mode : 0;
}

bool TPDAUIEngine::ScrollBarTookGesture(TPDAUIEngineElement* bar)
{
    TPDAUIEngineElementVScrollBar* scroll = dynamic_cast<TPDAUIEngineElementVScrollBar*>(bar);
    return scroll && (scroll->draggingContent || scroll->pressStoppedFlick);
}

bool TPDAUIEngine::ScrollArrowHeld(TPDAUIEngineElement* element)
{
    TPDAUIEngineElement* bar = VerticalScrollBarOf(element);
    if (!bar)
        if (TPDAUIEngineScrollList* list = dynamic_cast<TPDAUIEngineScrollList*>(element))
            bar = list->GetListScrollBar();
    TPDAUIEngineElementVScrollBar* scroll = dynamic_cast<TPDAUIEngineElementVScrollBar*>(bar);
    return scroll && scroll->visible && (scroll->upHeld || scroll->downHeld);
}

// The text box joins with its class; until then no element is one.
bool TPDAUIEngine::IsTextBox(TPDAUIEngineElement*) { return false; }

TPDAUIEngine::ScrollBox TPDAUIEngine::FindScrollBox(TPDAUIEngineElement* start, bool needIScroll)
{
    for (TPDAUIEngineElement* e = start; e; e = e->parent) {
        TPDAUIEngineElement* bar = VerticalScrollBarOf(e);
        if (bar && bar->visible && (!needIScroll || ScrollBarMode(bar) == 4)) {
            ScrollBox found;
            found.box = e;
            found.bar = bar;
            return found;
        }
    }
    return ScrollBox();
}

TPDAUIEngine::ScrollBox TPDAUIEngine::ScrollSearchStart(TPDAUIEngineElement* pressed,
                                                        bool orDisabled)
{
    // Where the search upward begins: above a pressed (or disabled) element, at
    // a scroll box itself, else nowhere.
    if (pressed->pressed || (orDisabled && !pressed->enabled)) {
        ScrollBox start;
        start.box = pressed->parent;
        return start;
    }
    if (VerticalScrollBarOf(pressed)) {
        ScrollBox start;
        start.box = pressed;
        return start;
    }
    return ScrollBox();
}

// ---- Pointer ---------------------------------------------------------------------------

void TPDAUIEngine::AddTrailPoint(int x, int y)
{
    if (!trailDrawing)
        return;
    while (pointerTrail.Count() > kTrailMax)
        pointerTrail.Remove(0);
    pointerTrail.Add(TPointIG(x, y));
    Invalidate(0);
}

void TPDAUIEngine::OnPointerDown(int x, int y, int kind, int extra1, int extra2)
{
    if (inputBlocked)
        return;
    AddTrailPoint(x, y);

    const int now = GetTickCount();
    const int dt = TickDiff(now, pressTime);
    const int dx = std::abs(x - lastPointerX);
    const int dy = std::abs(y - lastPointerY);
    lastPointerX = pressX = x;
    lastPointerY = pressY = y;
    pressKind = kind;
    pressTime = GetTickCount();
    moved = 0;

    if (kind != 0 && kind != 1 && kind != 15)
        return;
    pointerDown = 1;
    TPDAUIEngineElementPage* page = GetTopPage();
    if (!page)
        return;
    page->busyWithInput = 1;

    if (kind != 0) {
        TPDAUIEngineElement* hit = page->HitTest(x, y);
        if (hit && kind == 1 && hit->isFocusable && page->focusedElement != hit) {
            page->SetFocus(hit, false);
            if (page->focusedElement != hit) {
                hit = page->HitTest(x, y);
                page->focusedElement = nullptr;
                page->SetFocus(hit, false);
            }
        }
        TPDAUIEngineElement* target = hit ? hit : page;
        page->pressedElement = target;
        TRectIG r = ScreenRect(target);
        target->OnMouseDown(x - r.left, y - r.top, kind, extra1, extra2);
        page->busyWithInput = 0;
        return;
    }

    popupClosingPress = 0;
    // Pop-ups first, newest on top.
    for (int k = page->popups.Count() - 1; k >= 0; --k) {
        TPDAUIEngineElement* hit = page->popups[k]->HitTest(x, y);
        if (!hit)
            continue;
        page->pressedElement = hit;
        TRectIG r = ScreenRect(hit);
        hit->OnMouseDown(x - r.left, y - r.top, 0, extra1, extra2);
        if (hit->pressed || !hit->enabled) {
            ScrollBox sb = FindScrollBox(hit, true);
            if (sb.bar && !sb.bar->pressed) {
                TRectIG box = ScreenRect(sb.box);
                scrollOriginY = box.top;
                sb.bar->OnMouseDown(x - box.left - sb.bar->left, y - box.top, 0, extra1, extra2);
            }
        }
        page->busyWithInput = 0;
        return;
    }
    if (page->popups.Count() > 0) {
        page->CloseAllPopups();
        page->pressedElement = nullptr;
        InvalidateElement(page);
        popupClosingPress = 1;
    }

    TPDAUIEngineElement* hit = page->HitTest(x, y);
    if (!hit) {
        page->pressedElement = page;
        TRectIG r = ScreenRect(page);
        page->OnMouseDown(x - r.left, y - r.top, 0, extra1, extra2);
    } else if (!popupClosingPress || hit->allowMouseDownAfterPopupClose) {
        if (hit->isFocusable && page->focusedElement != hit) {
            page->SetFocus(hit, false);
            if (page->focusedElement != hit) {
                hit = page->HitTest(x, y);
                page->focusedElement = nullptr;
                page->SetFocus(hit, false);
            }
        }
        if (hit) {
            page->pressedElement = hit;
            TRectIG r = ScreenRect(hit);
            hit->OnMouseDown(x - r.left, y - r.top, 0, extra1, extra2);
        }
    }

    if (TPDAUIEngineElement* pressed = page->pressedElement) {
        ScrollBox start = ScrollSearchStart(pressed, false);
        ScrollBox sb = start.box ? FindScrollBox(start.box, true) : ScrollBox();
        if (sb.bar && !sb.bar->pressed) {
            // x relative to the bar itself (a press left of it is on the content),
            // y to the scrolled content.
            TRectIG box = ScreenRect(sb.box);
            scrollOriginY = box.top;
            sb.bar->OnMouseDown(x - box.left - sb.bar->left, y - box.top, 0, extra1, extra2);
        }
    }
    page->busyWithInput = 0;

    const int near = (int)(kDoubleClickPx * skinSettings.uiScale);
    if (dt < kDoubleClickMs && dx < near && dy < near)
        OnDoubleClick(x, y, dt, 0);
}

void TPDAUIEngine::OnPointerMove(int x, int y, int flags, int extra1, int extra2)
{
    if (inputBlocked)
        return;
    if (pointerDown && (std::abs(x - pressX) > kMovedPx || std::abs(y - pressY) > kMovedPx))
        moved = 1;
    if (pointerDown)
        AddTrailPoint(x, y);

    TPDAUIEngineElementPage* page = GetTopPage();
    if (page) {
        page->busyWithInput = 1;

        // Hover.
        TPDAUIEngineElement* found = nullptr;
        bool decided = false;
        bool anyEngine = false;
        if (page->popups.Count() == 0) {
            found = page->HitTest(x, y);
            decided = true;
        } else {
            for (int k = page->popups.Count() - 1; k >= 0 && !decided; --k) {
                if (TPDAUIEngineElement* hit = page->popups[k]->HitTest(x, y)) {
                    found = hit;
                    decided = true;
                    anyEngine = true;
                }
            }
        }
        if (decided && found != page->hoverElement) {
            int hx = x, hy = y;
            if (found) {
                TRectIG r = ScreenRect(found);
                hx = x - r.left;
                hy = y - r.top;
            }
            TPDAUIEngineElement* old = page->hoverElement;
            if (old && (anyEngine || BelongsToEngine(old)))
                old->OnHoverLeave(hx, hy, flags);
            page->hoverElement = found;
            if (found)
                found->OnHoverEnter(hx, hy, flags);
        }

        // The move itself.
        unsigned char handled = 0;
        TPDAUIEngineElement* pressed = page->pressedElement;
        if (BelongsToEngine(pressed)) {
            if (pressed->GetPage() == page) {
                TRectIG r = ScreenRect(pressed);
                pressed->OnMouseMove(x - r.left, y - r.top, flags, &handled, extra1, extra2);
            }
        } else if (found) {
            TRectIG r = ScreenRect(found);
            found->OnMouseMove(x - r.left, y - r.top, flags, &handled, extra1, extra2);
        }

        pressed = page->pressedElement;
        if (!handled && BelongsToEngine(pressed)) {
            ScrollBox start = ScrollSearchStart(pressed, true);
            ScrollBox sb = start.box ? FindScrollBox(start.box, false) : ScrollBox();
            if (sb.bar) {
                TRectIG box = ScreenRect(sb.box);
                unsigned char barHandled = 0;
                sb.bar->OnMouseMove(x - box.left, y - scrollOriginY, 0, &barHandled, extra1,
                                    extra2);
            }
        }
        page->busyWithInput = 0;
    }
    lastPointerX = x;
    lastPointerY = y;
}

void TPDAUIEngine::OnPointerUp(int x, int y, int kind)
{
    if (inputBlocked) {
        const TPDAUIEngineCallbacks& cb = callbacks;
        if (cb.inputBlocked)
            cb.inputBlocked(cb.userData, x, y);
        return;
    }
    AddTrailPoint(x, y);
    if (longPressIndicator) {
        longPressIndicator = 0;
        Invalidate(0);
        longPressArmed = 1;
    }
    pointerDown = 0;
    const int now = GetTickCount();
    TPDAUIEngineElementPage* page = GetTopPage();

    if (kind == 0) {
        if (!moved && longPressArmed && TickDiff(now, pressTime) > longPressTime && page) {
            longPressIndicator = 0;
            longPressArmed = 0;
            if (TPDAUIEngineElement* pressed = page->pressedElement) {
                TRectIG r = ScreenRect(pressed);
                unsigned char handled = 0;
                pressed->OnContextMenu(lastPointerX - r.left, lastPointerY - r.top, &handled);
            }
            Invalidate(0);
        }
        // Armed only lasts for the release that armed it.
        longPressArmed = 0;

        if (page && IsOnStack(page)) {
            page->busyWithInput = 1;
            TPDAUIEngineElement* pressed = page->pressedElement;
            page->pressedElement = nullptr;
            if (BelongsToEngine(pressed)) {
                ScrollBox start = ScrollSearchStart(pressed, false);
                ScrollBox sb = start.box ? FindScrollBox(start.box, false) : ScrollBox();
                if (sb.bar) {
                    bool tookGesture = ScrollBarTookGesture(sb.bar);
                    unsigned char barHandled = 0;
                    TRectIG box = ScreenRect(sb.box);
                    sb.bar->OnMouseUp(x - box.left - sb.bar->left, y - scrollOriginY, 0,
                                      &barHandled);
                    if (tookGesture)
                        y = kFarAway;
                }
                const bool keepPanel = IsTextBox(pressed);
                page->pressedElement = pressed;
                TRectIG r = ScreenRect(pressed);
                unsigned char handled = 0;
                pressed->OnMouseUp(x - r.left, y - r.top, 0, &handled);
                if (IsOnStack(page))
                    page->pressedElement = nullptr;
                if (sipShown && !keepPanel)
                    HideInputPanel();
            }
            if (IsOnStack(page))
                page->busyWithInput = 0;
        }
    } else if ((kind == 1 && contextMenuOnSecondaryPress) || kind == 15) {
        if (page) {
            page->busyWithInput = 1;
            TPDAUIEngineElement* pressed = page->pressedElement;
            page->pressedElement = nullptr;
            if (BelongsToEngine(pressed)) {
                page->pressedElement = pressed;
                TRectIG r = ScreenRect(pressed);
                unsigned char handled = 0;
                pressed->OnMouseUp(x - r.left, y - r.top, kind, &handled);
                if (kind == 1 && !handled && !moved && page->pressedElement == pressed) {
                    unsigned char menuHandled = 0;
                    pressed->OnContextMenu(x - r.left, y - r.top, &menuHandled);
                }
            } else {
                // The page itself takes the release; it gets no context menu.
                page->pressedElement = page;
                TRectIG r = ScreenRect(page);
                unsigned char handled = 0;
                page->OnMouseUp(x - r.left, y - r.top, kind, &handled);
            }
            page->busyWithInput = 0;
            page->pressedElement = nullptr;
        }
    }
    lastPointerX = x;
    lastPointerY = y;
}

void TPDAUIEngine::OnDoubleClick(int x, int y, int value1, int value2)
{
    TPDAUIEngineElementPage* page = GetTopPage();
    if (inputBlocked || !page)
        return;
    page->busyWithInput = 1;
    if (page->popups.Count() > 0) {
        TPDAUIEngineElement* popup = page->popups.Last();
        page->pressedElement = popup;
        popup->OnMouseDoubleClick(x, y, value1, value2);
    } else if (TPDAUIEngineElement* focused = page->focusedElement) {
        TRectIG r = ScreenRect(focused);
        focused->OnMouseDoubleClick(x - r.left, y - r.top, value1, value2);
    } else {
        page->OnMouseDoubleClick(x, y, value1, value2);
    }
    page->busyWithInput = 0;
}

void TPDAUIEngine::OnMouseWheel(int x, int y, int delta)
{
    TPDAUIEngineElementPage* page = GetTopPage();
    if (inputBlocked || !page)
        return;
    page->busyWithInput = 1;
    if (page->popups.Count() > 0) {
        TPDAUIEngineElement* popup = page->popups.Last();
        page->pressedElement = popup;
        popup->OnMouseWheel(x, y, -delta);
    } else if (TPDAUIEngineElement* focused = page->focusedElement) {
        TRectIG r = ScreenRect(focused);
        focused->OnMouseWheel(x - r.left, y - r.top, -delta);
    } else {
        page->OnMouseWheel(x, y, -delta);
    }
    page->busyWithInput = 0;
}

// ---- Keys ------------------------------------------------------------------------------

bool TPDAUIEngine::OnKeyDown(int key) { return keysManager.OnKeyDown(key); }
bool TPDAUIEngine::OnChar(int character) { return keysManager.OnKeyChar(character); }
bool TPDAUIEngine::OnKeyUp(int key) { return keysManager.OnKeyUp(key); }

// ---- Resize and the input panel ----------------------------------------------------------

void TPDAUIEngine::OnResize(int x, int y, int width, int height)
{
    if (sipSizeLocked || (width == 0 && height == 0))
        return;
    TPDAUIEngineSkinSettings& s = skinSettings;
    s.windowX = x;
    s.windowY = y;
    const int w = fixedScreenWidth ? fixedScreenWidth : width;
    const int h = fixedScreenHeight ? fixedScreenHeight : height;
    s.screenWidth = w;
    s.screenHeight = h;
    if (!sipOrientationLocked)
        s.landscape = h < w;
    if (inResize_)
        return;
    inResize_ = 1;

    if (!skinCompiling) {
        if (s.dpiScale) {
            float scale = 1.0f;
            if (w >= 241 && h >= 241 && s.designDpi > 0.0f)
                scale = s.screenDpi / s.designDpi;
            s.uiScale = scale < 1.0f ? 1.0f : scale > 2.5f ? 2.5f : scale;
        }
        if (s.sizeScale) {
            float scale = (float)(w < h ? w : h) / 240.0f;
            s.uiScale = scale < 1.0f ? 1.0f : scale > 2.5f ? 2.5f : scale;
        }
    }
    EnsureBackBuffer();

    for (int i = 0; i < pages.Count(); ++i) {
        TPDAUIEngineElementPage* page = pages[i];
        if (page->fullScreen) {
            page->SetBounds(0, 0, w, h);
            page->Layout();
        }
    }
    if (TPDAUIEngineElementPage* top = GetTopPage()) {
        top->busyWithInput = 1;
        top->popups.RemoveAll();
        InvalidateElement(top);
        if (top->NeedsReload())
            top->Reload();
        top->Layout();
        InvalidateElement(top);
        top->busyWithInput = 0;
    }
    for (int i = 0; i < pages.Count(); ++i) {
        TPDAUIEngineElementPage* page = pages[i];
        if (page->fullScreen) {
            TPDAUIEngineCommand changed(nullptr, "pageSizeChanged");
            page->OnCommand(changed);
        }
    }
    SaveWindowGeometry();
    if (TPDAUIEngineElementPage* top = GetTopPage())
        if (top->focusedElement)
            top->focusedElement->ScrollIntoView();
    inResize_ = 0;
}

void TPDAUIEngine::OnSipChanged(bool shown, int panelHeight)
{
    const int w = skinSettings.screenWidth, h = skinSettings.screenHeight;
    if (shown) {
        sipOrientationLocked = 1;
        OnResize(0, 0, w, h - panelHeight);
        sipSizeLocked = 1;
        sipShown = 1;
    } else {
        sipSizeLocked = 0;
        sipOrientationLocked = 0;
        OnResize(0, 0, w, h + panelHeight);
        sipShown = 0;
    }
}

// ---- Element timers ----------------------------------------------------------------------

void TPDAUIEngine::StartTimer(TPDAUIEngineElement* element)
{
    TPDAUIEngineElementPage* page = element ? element->page : nullptr;
    if (!page || page->runningTimers.IndexOf(element->numericId) >= 0)
        return;
    const int now = GetTickCount();
    element->timerRunning = 1;
    element->timerStart = now;
    element->lastTick = now;
    page->runningTimers.Add(element->numericId);
}

void TPDAUIEngine::StopTimer(TPDAUIEngineElement* element)
{
    TPDAUIEngineElementPage* page = element ? element->page : nullptr;
    if (!page)
        return;
    const int index = page->runningTimers.IndexOf(element->numericId);
    if (index < 0)
        return;
    element->timerRunning = 0;
    element->timerStart = 0;
    element->lastTick = 0;
    page->runningTimers.Remove(index);
}

void TPDAUIEngine::ProcessTimers()
{
    const int now = GetTickCount();
    if (transitionRunning_ || TickDiff(now, lastProcessTimers) < kTimerThrottleMs)
        return;
    lastProcessTimers = now;
    CloseFinishedPages();
    const int pass = GetTickCount();
    lastTimerPass = pass;

    for (int i = nestedPages.Count() - 1; i >= 0; --i)
        if (!TPDAUIEngineElementPage::IsLive(nestedPages[i]))
            nestedPages.Remove(i);
    for (int k = pages.Count() - 1; k >= 0; --k) {
        if (k >= pages.Count())
            continue;  // pages went away during the pass
        TPDAUIEngineElementPage* page = pages[k];
        RunPageTimers(page, pass);
        // Then the pages shown inside this one. Entries are only dropped before
        // the pass, so the indexes hold while timers open and close pages.
        for (int n = 0; n < nestedPages.Count(); ++n) {
            TPDAUIEngineElementPage* inner = nestedPages[n];
            if (!IsOnStack(page) || page->closing)
                break;
            if (TPDAUIEngineElementPage::IsLive(inner) && inner->parent && !IsOnStack(inner) &&
                inner->GetPage() == page)
                RunPageTimers(inner, pass);
        }
    }

    CheckLongPress(pass);
    keysManager.CheckPressedKeys();
    DispatchPostedCommands();
}

void TPDAUIEngine::RunPageTimers(TPDAUIEngineElementPage* page, int pass)
{
    // A snapshot: timers may start and stop while they tick. A nested page runs
    // while the stack page holding it does.
    TPDAUIEngineElementPage* holder = page->GetPage();
    Vector<int> ids(page->runningTimers);
    for (int t = 0; t < ids.Count(); ++t) {
        if (!IsOnStack(holder) || holder->closing || !TPDAUIEngineElementPage::IsLive(page) || page->closing)
            break;
        const int id = ids[t];
        if (page->runningTimers.IndexOf(id) < 0)
            continue;
        TPDAUIEngineElement* element = page->FindByNumericId(id);
        if (!element || element->timerInterval == 0)
            continue;
        if (TickDiff(pass, element->lastTick) > element->timerInterval) {
            element->OnTimer(element->timerInterval, pass);
            element->lastTick = pass;
        }
    }
}

void TPDAUIEngine::CheckLongPress(int now)
{
    TPDAUIEngineElementPage* page = GetTopPage();
    const bool runs = pointerDown && pressKind == 0 && !moved &&
                      TickDiff(now, pressTime) > kLongPressArmMs && page;
    if (!runs) {
        if (longPressIndicator) {
            longPressIndicator = 0;
            Invalidate(0);
        }
        return;
    }
    if (!longPressIndicator)
        indicatorTime = now;
    TPDAUIEngineElement* pressed = page->pressedElement;
    if (!BelongsToEngine(pressed))
        return;
    VectorP<TPDAUIEngineElement> chain(10, 10, false);
    pressed->CollectAncestors(chain);
    for (int i = 0; i < chain.Count(); ++i) {
        TPDAUIEngineElement* e = chain[i];
        if (ScrollArrowHeld(e))
            continue;
        if (e->onContextMenuCommand.IsEmpty())
            continue;
        if (e->onContextMenuCommand != "empty" && !longPressIndicator) {
            longPressIndicator = 1;
            Invalidate(0);
        }
        break;
    }
}
