#include "uiengine/elements/TPDAUIEngineElementVScrollBar.h"

#include <climits>
#include <cstdint>
#include <cstdlib>

#include "enginelib/base/TFicheroITV.h"
#include "enginelib/draw/IDC.h"
#include "enginelib/draw/TDibIG.h"
#include "uiengine/core/TPDAUIEngine.h"
#include "uiengine/core/TPDAUIEngineSkinSettings.h"
#include "uiengine/core/TPDAUIEngineStyleBackground.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"

namespace {

using Settings = TPDAUIEngineSkinSettings;

const int kKeyUp = 38;
const int kKeyDown = 40;
const int kDragThreshold = 15;   // pixels, not scaled
const int kFlickWindowMs = 500;  // a release later than this after the press never flicks
const int kStalledMs = 250;      // a drag that rested this long before the release only snaps
const int kSnapSpeed = 500;
const int kPageSpeed = 4000;     // velocity units: x 0.0001 x UI scale = px/ms
const int kLongSpeed = 10000;
const int kLongFlickPx = 140;    // times the UI scale
const int kPageOverlap = 60;
const int kMinFlickStep = 5;
const int kThumbMinPx = 20;      // times the UI scale
const int kSliceRows = 6;        // rows at each end of the iscroll thumb

const char* const kModeNames[] = {"auto", "default", "simple", "simpleupdown",
                                  "iscroll", "images", "defaultSimpleTrackBar"};

bool IsTrue(const char* value) { return CDString(value) == "true"; }
const char* TrueFalse(bool on) { return on ? "true" : "false"; }

int Sat(long long v)
{
    if (v < INT_MIN)
        return INT_MIN;
    if (v > INT_MAX)
        return INT_MAX;
    return (int)v;
}

// Toward zero, saturated to int.
int Tr(double v)
{
    if (v != v)
        return 0;
    if (v <= (double)INT_MIN)
        return INT_MIN;
    if (v >= (double)INT_MAX)
        return INT_MAX;
    return (int)v;
}

// a x b / c toward zero (0 for c = 0); products beyond 64 bits, which only
// hostile sizes give, go through double.
long long MulDiv(long long a, long long b, long long c)
{
    if (c == 0)
        return 0;
    const long long limit = 1LL << 31;
    if (a > -limit && a < limit && b > -limit && b < limit)
        return a * b / c;
    const double v = (double)a * (double)b / (double)c;
    if (v >= 9.0e18)
        return (long long)9.0e18;
    if (v <= -9.0e18)
        return (long long)-9.0e18;
    return (long long)v;
}

// Milliseconds from then to now, right across the wrap of the tick count.
int Since(int now, int then) { return (int)((uint32_t)now - (uint32_t)then); }

TRectIG R64(long long l, long long t, long long r, long long b)
{
    return TRectIG(Sat(l), Sat(t), Sat(r), Sat(b));
}

TColorIG TransparentColour()
{
    Settings* s = Settings::Current();
    return s ? s->transparentColor : TColoresIG::F_Magenta;
}

} // namespace

TPDAUIEngineElementVScrollBar::TPDAUIEngineElementVScrollBar()
{
    tag = "vscrollbar";
    timerInterval = 40;
    backgrounds.Edit(StateNormal).kind = TPDAUIEngineStyleBackground::KindNone;
    isFocusable = 0;
    borders.Edit(StateFocus).width = 1;
    borders.Edit(StateFocus).style = TPDAUIEngineStyleBorder::StyleSolid;
    if (Settings* s = Settings::Current())
        onCommandSound = s->soundClick;
    minimumWidth = 16;
}

// ---- helpers ----

int TPDAUIEngineElementVScrollBar::Now() { return engine ? engine->GetTickCount() : 0; }

long long TPDAUIEngineElementVScrollBar::MaxPosition() const
{
    return (long long)contentHeight - viewHeight;
}

int TPDAUIEngineElementVScrollBar::Clamped(long long v) const
{
    const long long most = MaxPosition();
    if (v > most)
        v = most;
    if (v < 0)
        v = 0;
    return Sat(v);
}

void TPDAUIEngineElementVScrollBar::InvalidateOwner()
{
    if (parent)
        parent->Invalidate();
    else
        Invalidate();
}

TPDAUIEngineScrollList* TPDAUIEngineElementVScrollBar::OwnerList()
{
    return dynamic_cast<TPDAUIEngineScrollList*>(parent);
}

TPDAUIEngineElementVScrollBar* TPDAUIEngineElementVScrollBar::BoundListBar()
{
    if (forId.IsEmpty() || !page)
        return nullptr;
    TPDAUIEngineScrollList* list =
        dynamic_cast<TPDAUIEngineScrollList*>(page->FindElement(forId.c_str(), false));
    TPDAUIEngineElementVScrollBar* bar = list ? list->GetListScrollBar() : nullptr;
    return bar == this ? nullptr : bar;
}

void TPDAUIEngineElementVScrollBar::PullFromListBox()
{
    if (TPDAUIEngineElementVScrollBar* bar = BoundListBar()) {
        viewHeight = bar->viewHeight;
        contentHeight = bar->contentHeight;
        position = bar->position;
    }
}

void TPDAUIEngineElementVScrollBar::PushToListBox()
{
    if (TPDAUIEngineElementVScrollBar* bar = BoundListBar()) {
        bar->viewHeight = viewHeight;
        bar->contentHeight = contentHeight;
        bar->position = position;
    }
}

TDibIG* TPDAUIEngineElementVScrollBar::StockImage(int which)
{
    Settings* settings = engine ? &engine->skinSettings : Settings::Current();
    if (!settings || settings->commonImages[which].IsEmpty())
        return nullptr;
    TPDAUIEngineResources* store =
        page ? &page->resources : (engine ? &engine->resources : nullptr);
    return store ? store->GetImage(settings->commonImages[which].c_str()) : nullptr;
}

// ---- loading ----

void TPDAUIEngineElementVScrollBar::LoadModeImages(int m)
{
    TDibIG** all[] = {&upImage,          &upPressedImage,      &upLargeImage,
                      &upLargePressedImage, &downImage,        &downPressedImage,
                      &downLargeImage,   &downLargePressedImage, &innerImage,
                      &trackHeaderImage, &trackImage,          &trackFooterImage,
                      &trackBackImage,   &trackSimpleImage,    &borderImage};
    for (TDibIG** image : all)
        *image = nullptr;

    const bool classic = m == ModeDefault || m == ModeDefaultSimpleTrackBar;
    const bool upDown = m == ModeSimpleUpDown;
    const bool large = upDown || m == ModeIScroll || m == ModeImages;
    const bool thumbParts = classic || m == ModeSimple || upDown;

    TPDAUIEngineStyleBackground& back = backgrounds.Edit(StateNormal);
    back = TPDAUIEngineStyleBackground();
    if (m != ModeIScroll) {
        back.kind = m == ModeImages ? TPDAUIEngineStyleBackground::KindNineSlice
                                    : TPDAUIEngineStyleBackground::KindTiles;
        Settings* settings = engine ? &engine->skinSettings : Settings::Current();
        if (settings)
            back.imageName = settings->commonImages[Settings::ImgScrollBackground];
        back.image = StockImage(Settings::ImgScrollBackground);
    }
    if (classic)
        innerImage = StockImage(Settings::ImgScrollInner);
    if (classic || upDown) {
        upImage = StockImage(Settings::ImgScrollUp);
        upPressedImage = StockImage(Settings::ImgScrollUpPressed);
        downImage = StockImage(Settings::ImgScrollDown);
        downPressedImage = StockImage(Settings::ImgScrollDownPressed);
    }
    if (large) {
        upLargeImage = StockImage(Settings::ImgScrollUpLarge);
        upLargePressedImage = StockImage(Settings::ImgScrollUpLargePressed);
        downLargeImage = StockImage(Settings::ImgScrollDownLarge);
        downLargePressedImage = StockImage(Settings::ImgScrollDownLargePressed);
    }
    if (thumbParts) {
        trackHeaderImage = StockImage(Settings::ImgScrollTrackHeader);
        trackFooterImage = StockImage(Settings::ImgScrollTrackFooter);
    }
    if (thumbParts || m == ModeIScroll) {
        trackImage = StockImage(Settings::ImgScrollTrack);
        trackBackImage = StockImage(Settings::ImgScrollTrackBack);
    }
    if (upDown)
        trackSimpleImage = StockImage(Settings::ImgScrollTrackSimple);
    if (m == ModeIScroll)
        borderImage = StockImage(Settings::ImgScrollTransparentVerticalBorder);
}

void TPDAUIEngineElementVScrollBar::OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage* p,
                                           TPDAUIEngineElement* par, TPDAUIEngineXml* xmlNode,
                                           TFicheroITV* stream)
{
    TPDAUIEngineElement::OnLoad(e, p, par, xmlNode, stream);
    if (stream) {
        bool b = false;
        unsigned int interval = 0;
        char c = 0;
        int i = 0;
        *stream >> b;
        trackVisible = b;
        *stream >> interval;
        timerInterval = (int)interval;
        *stream >> b;
        smooth = b;
        *stream >> b;
        autoScroll = b;
        *stream >> c;
        configuredMode = c;
        *stream >> forId;
        *stream >> i;
        autoScrollPixelsPerSecond = i;
        *stream >> b;
        avoidMarginRescale = b;
        *stream >> i;
        iscrollShadowMode = i;
        *stream >> b;
        scrollShowFloating = b;
    }

    mode = configuredMode;
    if (mode == ModeAuto)
        mode = engine && (engine->HasHardwareMouse() || engine->HasHardwareMouseTouchScreen())
                   ? ModeSimpleUpDown
                   : ModeSimple;
    if (mode < ModeDefault || mode > ModeDefaultSimpleTrackBar)
        return;

    LoadModeImages(mode);
    const float s = GetUIScale();
    switch (mode) {
    case ModeDefault:
    case ModeDefaultSimpleTrackBar:
        if (upImage)
            minimumWidth = Tr(upImage->Width() * s);
        if (downImage)
            minimumWidth = Tr(downImage->Width() * s);
        isFocusable = 0;
        break;
    case ModeSimple:
        isFocusable = 1;
        break;
    case ModeSimpleUpDown:
        if (upLargeImage)
            minimumWidth = Tr(upLargeImage->Width() * s);
        if (downLargeImage)
            minimumWidth = Tr(downLargeImage->Width() * s);
        if (trackSimpleImage)
            minimumWidth += trackSimpleImage->Width();
        isFocusable = 1;
        break;
    case ModeIScroll:
        timerInterval = 50;
        if (trackImage)
            minimumWidth = trackImage->Width() == 1 ? 0 : trackImage->Width();
        isFocusable = 1;
        break;
    case ModeImages:
        isFocusable = 0;
        break;
    }
}

// ---- attributes ----

void TPDAUIEngineElementVScrollBar::SetAttribute(const char* name, const char* value)
{
    if (!name || !value) {
        TPDAUIEngineElement::SetAttribute(name, value);
        return;
    }
    CDString n(name);
    CDString v(value);
    if (n == "showTrackBar" || n == "scrollTrackVisible") {
        trackVisible = IsTrue(value);
    } else if (n == "autoScroll") {
        autoScroll = IsTrue(value);
    } else if (n == "scrollmode") {
        for (int m = ModeAuto; m <= ModeDefaultSimpleTrackBar; ++m)
            if (v == kModeNames[m])
                configuredMode = m;
    } else if (n == "forId") {
        forId = value;
    } else if (n == "autoScrollPixelsPerSecond") {
        autoScrollPixelsPerSecond = v.atoi();
    } else if (n == "iscrollShadowMode") {
        if (v == "none")
            iscrollShadowMode = ShadowNone;
        else if (v == "black")
            iscrollShadowMode = ShadowBlack;
        else if (v == "white")
            iscrollShadowMode = ShadowWhite;
    } else if (n == "scrollShowFloating") {
        scrollShowFloating = IsTrue(value);
    } else if (n == "scrollTimeout") {
        timerInterval = v.atoi();
    } else if (n == "smothScroll") {
        smooth = IsTrue(value);
    } else if (n == "scrollMargin") {
        const int m = Scale(v.atoi());
        margins.left = margins.top = margins.right = margins.bottom = m;
    } else if (n == "scrollMarginTop") {
        margins.top = Scale(v.atoi());
    } else if (n == "scrollMarginLeft") {
        margins.left = Scale(v.atoi());
    } else if (n == "scrollMarginRight") {
        margins.right = Scale(v.atoi());
    } else if (n == "scrollMarginBottom") {
        margins.bottom = Scale(v.atoi());
    } else if (n == "scrollAvoidMarginRescale") {
        avoidMarginRescale = IsTrue(value);
    } else {
        TPDAUIEngineElement::SetAttribute(name, value);
    }
}

DString TPDAUIEngineElementVScrollBar::GetAttribute(const char* name)
{
    CDString n(name);
    if (n == "showTrackBar")
        return TrueFalse(trackVisible);
    if (n == "autoScroll")
        return TrueFalse(autoScroll);
    if (n == "scrollmode") {
        if (mode == ModeImages)
            return "image";
        if (mode >= ModeAuto && mode <= ModeDefaultSimpleTrackBar)
            return kModeNames[mode];
        return DString();
    }
    if (n == "forId")
        return forId;
    if (n == "autoScrollPixelsPerSecond") {
        DString text;
        text << autoScrollPixelsPerSecond;
        return text;
    }
    if (n == "iscrollShadowMode") {
        if (iscrollShadowMode == ShadowBlack)
            return "black";
        if (iscrollShadowMode == ShadowWhite)
            return "white";
        return "none";
    }
    if (n == "showFloating")
        return TrueFalse(scrollShowFloating);
    if (n == "scrollAvoidMarginRescale")
        return TrueFalse(avoidMarginRescale);
    return TPDAUIEngineElement::GetAttribute(name);
}

// ---- geometry ----

TRectIG TPDAUIEngineElementVScrollBar::GetScreenRect()
{
    TRectIG r = TPDAUIEngineElement::GetScreenRect();
    r.top = Sat((long long)r.top + position);
    r.bottom = Sat((long long)r.bottom + position);
    return r;
}

bool TPDAUIEngineElementVScrollBar::ContainsPoint(int x, int y)
{
    if (!visible)
        return false;
    switch (mode) {
    case ModeDefault:
    case ModeSimple:
    case ModeSimpleUpDown:
    case ModeImages:
    case ModeDefaultSimpleTrackBar:
        return x >= 0 && x < width && y >= 0 && y < height;
    case ModeIScroll: {
        if (!upLargeImage)
            return false;
        const float s = GetUIScale();
        // The large arrows reach left of the thin bar.
        if (!((double)width - upLargeImage->Width() * s < x && x <= width))
            return false;
        if (x >= 0)
            return true;
        if (y >= 0 && y < upLargeImage->AbsHeight() * s)
            return true;
        return downLargeImage && y > height - downLargeImage->AbsHeight() * s;
    }
    default:
        return false;
    }
}

// ---- scrolling ----

void TPDAUIEngineElementVScrollBar::ContinuousScroll()
{
    if (!upHeld && !downHeld)
        return;
    const float s = GetUIScale();
    const long long elapsed = Since(Now(), scrollTick);
    const double amount = (double)((float)(elapsed * autoScrollPixelsPerSecond) * s) * 0.001;
    if (upHeld)
        position = Clamped(Tr(startPosition - amount));
    if (downHeld)
        position = Clamped(Tr(startPosition + amount));
    InvalidateOwner();
    PushToListBox();
}

void TPDAUIEngineElementVScrollBar::UpdateKineticScroll()
{
    position = Clamped(position);
    if (autoScroll && (mode == ModeDefault || mode == ModeSimpleUpDown || mode == ModeImages))
        ContinuousScroll();
    if (mode != ModeIScroll)
        return;
    TPDAUIEngineElementPage* p = GetPage();
    if (!p || !p->animating)
        return;
    const int now = Now();
    const float s = GetUIScale();
    if (upHeld || downHeld) {
        // Held arrows speed up the longer they are held.
        const int held = Since(now, pressTime);
        const float f = held < 2000 ? 1.0f : (held < 5000 ? 2.0f : 3.0f);
        const float amount = (float)step * s * f;
        if (upHeld)
            position = Tr((double)position - amount);
        if (downHeld)
            position = Tr((double)position + amount);
    } else if (flickKind != FlickNone) {
        StepFlick(now);
    }
    if (position > MaxPosition()) {
        position = Sat(MaxPosition());
        velocity = 0.0f;
        Invalidate();
    }
    if (position < 0) {
        position = 0;
        velocity = 0.0f;
        Invalidate();
    }
}

void TPDAUIEngineElementVScrollBar::StepFlick(int now)
{
    // Distance by the time since the last step, so the speed does not depend on
    // the frame rate; at least 5 px so that a slow flick arrives.
    const float s = GetUIScale();
    float travel = (float)Since(now, scrollTick) * velocity;
    travel = travel * s;
    long long e = (long long)Tr(travel * 0.0001);
    if (e == 0)
        e = velocity < 0.0f ? -kMinFlickStep : kMinFlickStep;
    const long long next = (long long)position + e;
    if ((e < 0 && next < flickTarget) || (e > 0 && next > flickTarget)) {
        flickKind = FlickNone;
        if (TPDAUIEngineElementPage* p = GetPage())
            p->SetAnimating(false);
        Invalidate();
        position = flickTarget;
    } else {
        position = Sat(next);
    }
    scrollTick = now;
}

void TPDAUIEngineElementVScrollBar::EndFlick()
{
    if (flickKind == FlickNone)
        return;
    flickKind = FlickNone;
    if (TPDAUIEngineElementPage* p = GetPage())
        p->SetAnimating(false);
}

int TPDAUIEngineElementVScrollBar::ItemPosition(int dir)
{
    if (TPDAUIEngineScrollList* list = OwnerList()) {
        const int pitch = list->GetRowPitch();
        return pitch > 0 ? Clamped((long long)position + (long long)dir * pitch) : position;
    }
    if (TPDAUIEngineElementBox* box = dynamic_cast<TPDAUIEngineElementBox*>(parent)) {
        long long found = position;
        for (int i = 0; i < box->children.Count(); ++i) {
            TPDAUIEngineElement* c = box->children[i];
            if (!c->visible)
                continue;
            const long long top = (long long)c->top - box->padding.top;
            if (dir < 0 && top < position)
                found = top;  // the last one above
            if (dir > 0 && top > position) {
                found = top;  // the first one below
                break;
            }
        }
        return Clamped(found);
    }
    return Clamped((long long)position + (long long)dir * step);
}

int TPDAUIEngineElementVScrollBar::SnapPosition(int p)
{
    p = Clamped(p);
    if (TPDAUIEngineScrollList* list = OwnerList()) {
        const int pitch = list->GetRowPitch();
        return pitch > 0 ? p / pitch * pitch : p;
    }
    if (TPDAUIEngineElementBox* box = dynamic_cast<TPDAUIEngineElementBox*>(parent)) {
        for (int i = 0; i < box->children.Count(); ++i) {
            TPDAUIEngineElement* c = box->children[i];
            const long long top = (long long)c->top - box->padding.top;
            if (c->visible && top >= p)
                return Clamped(top);
        }
        return position;
    }
    return p;
}

void TPDAUIEngineElementVScrollBar::DragTrack(long long& L, long long& T)
{
    const long long bw = borders[StateNormal].width;
    L = (long long)height - (downImage ? width : 0) - (upImage ? width : 0) - padding.top -
        padding.bottom - 2 * bw;
    const float minimum = kThumbMinPx * GetUIScale();
    const long long proportional = contentHeight > 0 ? MulDiv(L, viewHeight, contentHeight) : 0;
    T = (float)proportional > minimum ? proportional : Tr(minimum);
}

long long TPDAUIEngineElementVScrollBar::DragPosition(int y)
{
    long long L = 0, T = 0;
    DragTrack(L, T);
    // The pointer's travel from press y in percent of the free track. A track
    // no longer than the thumb does not move (a shorter one would move the
    // thumb against the pointer).
    const long long t = L > T ? MulDiv((long long)y - ((long long)pressY + width), 100, L - T) : 0;
    return (long long)startPosition + MulDiv(MaxPosition(), t, 100);
}

// ---- pointer ----

void TPDAUIEngineElementVScrollBar::ArrowPress(int dir)
{
    const int now = Now();
    if (engine)
        engine->PlaySound(onCommandSound.c_str(), 1);
    if (dir < 0)
        upHeld = 1;
    else
        downHeld = 1;
    if (smooth) {
        startPosition = position;
        if (!autoScroll)
            position = Clamped((long long)position + (long long)dir * step);
    } else {
        position = ItemPosition(dir);
        // Continuous scrolling goes on from the item reached.
        startPosition = position;
    }
    InvalidateOwner();
    PushToListBox();
    scrollTick = now;
}

void TPDAUIEngineElementVScrollBar::OnMouseDown(int x, int y, int kind, int a, int b)
{
    switch (mode) {
    case ModeDefault:
    case ModeDefaultSimpleTrackBar: {
        if (!HasRange())
            return;
        const bool classic = mode == ModeDefault;
        const bool up = upImage && (classic ? y < width : y < upImage->AbsHeight());
        const bool down =
            downImage && (classic ? y > height - width : y > height - downImage->AbsHeight());
        if (up) {
            ArrowPress(-1);
        } else if (down) {
            ArrowPress(1);
        } else if (trackVisible) {
            pressY = Sat((long long)y - width);
            startPosition = position;
            thumbHeld = 1;
            InvalidateOwner();
            PushToListBox();
        }
        scrollTick = Now();
        return;
    }
    case ModeSimpleUpDown:
    case ModeImages:
        if (HasRange())
            ArrowPress(y < height / 2 ? -1 : 1);
        return;
    case ModeIScroll:
        break;
    default:
        return;  // simple and auto take no presses
    }

    const int now = Now();
    const float s = GetUIScale();
    TPDAUIEngineElementPage* p = GetPage();
    const bool onArrowColumn = upLargeImage && (double)width - upLargeImage->Width() * s < x &&
                               x <= width;
    if (x >= 0 && x <= width) {
        // The thumb, from press y and the start position as they stand. A flick
        // would fight the drag: it stops.
        EndFlick();
        position = Clamped(DragPosition(y));
        draggingThumb = 1;
        pressed = 1;
        InvalidateOwner();
    } else if (onArrowColumn && y < upLargeImage->AbsHeight() * s) {
        flickKind = FlickNone;
        if (p)
            p->SetAnimating(true);
        position = Clamped((long long)position - step);
        upHeld = 1;
        pressStoppedFlick = 0;
    } else if (onArrowColumn && downLargeImage &&
               y > height - downLargeImage->AbsHeight() * s) {
        flickKind = FlickNone;
        if (p)
            p->SetAnimating(true);
        position = Clamped((long long)position + step);
        downHeld = 1;
        pressStoppedFlick = 0;
    } else {
        // The content: a press while a flick runs only stops it.
        if (p && p->animating) {
            flickKind = FlickNone;
            p->SetAnimating(false);
            pressStoppedFlick = 1;
        } else {
            pressStoppedFlick = 0;
        }
        pressY = y;
        pressed = 1;
    }
    positionAtPress = position;
    scrollTick = pressTime = now;
    draggingContent = 0;
    lastY = 0.0f;
    velocity = 0.0f;
    moveCount = 0;
    PushToListBox();
}

void TPDAUIEngineElementVScrollBar::OnMouseMove(int x, int y, int flags, unsigned char* handled,
                                                int a, int b)
{
    if (mode == ModeDefault || mode == ModeDefaultSimpleTrackBar) {
        if (!thumbHeld)
            return;
        if (HasRange()) {
            const long long p = DragPosition(y);
            position = smooth ? Clamped(p) : SnapPosition(Clamped(p));
            InvalidateOwner();
            PushToListBox();
        }
        if (handled)
            *handled = 1;
        return;
    }
    if (mode != ModeIScroll)
        return;

    const int now = Now();
    if (draggingThumb) {
        position = Clamped(DragPosition(y));
        InvalidateOwner();
    } else if (pressed && !pressStoppedFlick) {
        ++moveCount;
        const int dt = Since(now, scrollTick);
        scrollTick = now;
        if (!draggingContent && std::llabs((long long)pressY - y) > kDragThreshold) {
            draggingContent = 1;
            lastY = (float)y;
        }
        if (draggingContent) {
            const float g = lastY - (float)y;
            position = Clamped(Tr((double)position + g));
            lastY = (float)y;
            velocity = g / (float)(dt > 1 ? dt : 1);
            InvalidateOwner();
        }
    }
    if (handled)
        *handled = 1;
    PushToListBox();
}

void TPDAUIEngineElementVScrollBar::ResetPress(int now)
{
    pressed = 0;
    pressY = 0;
    flickKind = FlickNone;
    scrollTick = now;
}

void TPDAUIEngineElementVScrollBar::ReleaseIScroll(int x, int y)
{
    const int now = Now();
    TPDAUIEngineElementPage* p = GetPage();
    if (draggingThumb) {
        draggingThumb = 0;
        pressed = 0;
        InvalidateOwner();
    } else if (!pressed) {
        // An arrow was held.
        upHeld = downHeld = 0;
        if (HasRange()) {
            pressY = 0;
            InvalidateOwner();
        }
        if (p && flickKind == FlickNone)
            p->SetAnimating(false);
    } else if (pressStoppedFlick || x >= 0 || !draggingContent ||
               Since(now, pressTime) > kFlickWindowMs || !HasRange()) {
        ResetPress(now);
    } else {
        const float s = GetUIScale();
        const int sincePress = Since(now, pressTime);
        const int sinceMove = Since(now, scrollTick);
        const int dtPress = sincePress > 1 ? sincePress : 1;
        const int dtMove = sinceMove > 1 ? sinceMove : 1;
        const long long d = (long long)pressY - y;  // > 0: the finger went up
        const float v = (float)d / (float)dtPress * 10000.0f;
        const long long a = std::llabs((long long)Tr(v));
        const int dir = v > 0.0f ? 1 : -1;
        TPDAUIEngineScrollList* list = OwnerList();
        const long long h = list ? list->GetRowPitch() : 0;
        long long target = position;
        int kind = FlickNone;
        if (a <= kSnapSpeed || dtMove > kStalledMs) {
            kind = FlickSnap;
            if (h > 0) {
                // To the row boundary the move was heading for.
                target = h * (position / h);
                if (v < 0.0f) {
                    velocity = -10.0f;
                } else {
                    velocity = 10.0f;
                    target += h;
                }
            } else {
                target = (long long)positionAtPress + (long long)viewHeight * (v > 0.0f ? 1 : -1);
            }
        } else if ((float)std::llabs(d) < kLongFlickPx * s) {
            kind = FlickPage;
            velocity = (float)(dir * (a > kPageSpeed ? a : kPageSpeed));
            if (h > 0)
                target = h * (positionAtPress / h + dir * (viewHeight / h - 1));
            else
                target = (long long)positionAtPress + dir * ((long long)viewHeight - kPageOverlap);
        } else {
            kind = FlickLong;
            velocity = (float)(dir * (a > kLongSpeed ? a : kLongSpeed));
            target = v < 0.0f ? 0 : MaxPosition();
        }
        scrollTick = now;
        flickTarget = Clamped(target);
        pressed = 0;
        pressY = 0;
        flickKind = kind;
        if (p)
            p->SetAnimating(true);
    }
    draggingContent = 0;
    pressStoppedFlick = 0;
    PushToListBox();
}

void TPDAUIEngineElementVScrollBar::OnMouseUp(int x, int y, int kind, unsigned char* handled)
{
    switch (mode) {
    case ModeDefault:
    case ModeSimpleUpDown:
    case ModeImages:
    case ModeDefaultSimpleTrackBar:
        // A held arrow must not stay held when the content shrank meanwhile.
        upHeld = downHeld = thumbHeld = 0;
        if (HasRange()) {
            pressY = 0;
            InvalidateOwner();
            PushToListBox();
        }
        return;
    case ModeIScroll:
        ReleaseIScroll(x, y);
        return;
    default:
        return;
    }
}

void TPDAUIEngineElementVScrollBar::OnMouseWheel(int x, int y, int delta)
{
    if (!visible || viewHeight == 0 || viewHeight >= contentHeight)
        return;
    int steps = 0;
    if (mode == ModeDefault || mode == ModeImages || mode == ModeDefaultSimpleTrackBar)
        steps = 2;
    else if (mode == ModeIScroll)
        steps = 3;
    if (!steps)
        return;
    const long long amount = (long long)steps * step;
    position = Clamped((long long)position + (delta < 0 ? -amount : amount));
    InvalidateOwner();
    PushToListBox();
}

void TPDAUIEngineElementVScrollBar::OnContextMenu(int x, int y, unsigned char* handled)
{
    if (handled)
        *handled = 0;
}

void TPDAUIEngineElementVScrollBar::OnKeyDown(int key, unsigned char* handled,
                                              unsigned char* consumed)
{
    if (enabled && (key == kKeyUp || key == kKeyDown)) {
        position = Clamped((long long)position + (key == kKeyUp ? -step : step));
        InvalidateOwner();
        PushToListBox();
    }
    if (!handled || !*handled)
        TPDAUIEngineElement::OnKeyDown(key, handled, consumed);
}

// ---- copying and the compiled form ----

void TPDAUIEngineElementVScrollBar::CopyFrom(TPDAUIEngineElement* other)
{
    TPDAUIEngineElement::CopyFrom(other);
    TPDAUIEngineElementVScrollBar* o = dynamic_cast<TPDAUIEngineElementVScrollBar*>(other);
    if (!o || o == this)
        return;
    upImage = o->upImage;
    upPressedImage = o->upPressedImage;
    upLargeImage = o->upLargeImage;
    upLargePressedImage = o->upLargePressedImage;
    downImage = o->downImage;
    downPressedImage = o->downPressedImage;
    downLargeImage = o->downLargeImage;
    downLargePressedImage = o->downLargePressedImage;
    innerImage = o->innerImage;
    trackHeaderImage = o->trackHeaderImage;
    trackImage = o->trackImage;
    trackFooterImage = o->trackFooterImage;
    trackBackImage = o->trackBackImage;
    trackSimpleImage = o->trackSimpleImage;
    borderImage = o->borderImage;
    upHeld = o->upHeld;
    downHeld = o->downHeld;
    thumbHeld = o->thumbHeld;
    contentHeight = o->contentHeight;
    viewHeight = o->viewHeight;
    position = o->position;
    step = o->step;
    trackVisible = o->trackVisible;
    autoScroll = o->autoScroll;
    smooth = o->smooth;
    forId = o->forId;
    configuredMode = o->configuredMode;
    mode = o->configuredMode;
}

void TPDAUIEngineElementVScrollBar::Save(TFicheroITV& stream)
{
    TPDAUIEngineElement::Save(stream);
    stream << (bool)trackVisible << (unsigned int)timerInterval << (bool)smooth
           << (bool)autoScroll << (char)configuredMode << forId << autoScrollPixelsPerSecond
           << (bool)avoidMarginRescale << iscrollShadowMode << (bool)scrollShowFloating;
}

// ---- painting ----

void TPDAUIEngineElementVScrollBar::DrawImage(IDC* dc, const TDibIG* image, const TRectIG& dst)
{
    if (image)
        dc->StretchDIBits_Transparent(dst, TRectIG(0, 0, image->Width(), image->AbsHeight()), image,
                                      TransparentColour());
}

void TPDAUIEngineElementVScrollBar::DrawImagePart(IDC* dc, const TDibIG* image, const TRectIG& dst,
                                                  const TRectIG& src)
{
    if (image)
        dc->StretchDIBits_Transparent(dst, src, image, TransparentColour());
}

void TPDAUIEngineElementVScrollBar::DrawInner(IDC* dc, const TRectIG& track)
{
    if (!innerImage)
        return;
    TPDAUIEngineStyleBackground fill;
    fill.kind = TPDAUIEngineStyleBackground::KindNineSlice;
    fill.image = innerImage;
    fill.Draw(dc, track);
}

bool TPDAUIEngineElementVScrollBar::PlaceThumb(long long L, long long t0, long long& tt,
                                               long long& tb, long long lessOne)
{
    // Nothing to show a share of.
    if (contentHeight <= 0)
        return false;
    const float minimum = kThumbMinPx * GetUIScale();
    const long long proportional = MulDiv(L, viewHeight, contentHeight);
    const long long T = (float)proportional > minimum ? proportional : Tr(minimum);
    const long long p =
        contentHeight <= viewHeight ? 0 : (long long)position * 100 / MaxPosition();
    const long long o = MulDiv(p, L - T - lessOne, 100);
    tt = t0 + o;
    tb = tt + T;
    return true;
}

void TPDAUIEngineElementVScrollBar::DrawThumbPieces(IDC* dc, int il, int ir, long long tt,
                                                    long long tb)
{
    if (trackHeaderImage) {
        const int h = trackHeaderImage->AbsHeight();
        DrawImage(dc, trackHeaderImage, R64(il, tt, ir, tt + h));
        tt += h;
    }
    if (trackFooterImage) {
        const int h = trackFooterImage->AbsHeight();
        DrawImage(dc, trackFooterImage, R64(il, tb - h, ir, tb));
        tb -= h;
    }
    if (trackBackImage)
        DrawImage(dc, trackBackImage, R64(il, tt, ir, tb));
    if (trackImage) {
        const double s = GetUIScale();
        const double w = trackImage->Width() * s;
        const double h = trackImage->AbsHeight() * s;
        const int gl = Tr((double)((long long)il + ((long long)ir - il) / 2) - w * 0.5);
        const int gt = Tr((double)(tt + (tb - tt) / 2) - h * 0.5);
        DrawImage(dc, trackImage, TRectIG(gl, gt, Tr(gl + w), Tr(gt + h)));
    } else {
        const TRectIG r = R64(il, tt, ir, tb);
        dc->Rectangle(r);
        dc->Rectangle_Vacio(r);
    }
}

void TPDAUIEngineElementVScrollBar::Paint(IDC* dc, int x, int y)
{
    if (!dc)
        return;
    position = Clamped(position);
    PullFromListBox();

    const long long X = (long long)x + left, Y = (long long)y + top;
    const long long W = width, H = height;
    const TRectIG bar = R64(X, Y, X + W, Y + H);
    backgrounds[StateNormal].Draw(dc, bar);
    borders[StateNormal].Draw(dc, bar);

    const long long bw = borders[StateNormal].width;
    const TRectIG inner = R64(X + bw + padding.left, Y + bw + padding.top + padding.inner,
                              X + W - bw - padding.right, Y + H - bw - padding.bottom - padding.inner);
    switch (mode) {
    case ModeDefault:
        PaintDefault(dc, inner, width);
        break;
    case ModeSimple:
        PaintSimple(dc, inner);
        break;
    case ModeSimpleUpDown:
        PaintSimpleUpDown(dc, inner);
        break;
    case ModeIScroll:
        PaintIScroll(dc, inner, Sat(X), Sat(Y), width, height);
        break;
    case ModeImages:
        PaintImages(dc, inner);
        break;
    case ModeDefaultSimpleTrackBar:
        PaintDefaultSimpleTrackBar(dc, inner);
        break;
    default:
        break;
    }
}

void TPDAUIEngineElementVScrollBar::PaintDefault(IDC* dc, const TRectIG& in, int W)
{
    TRectIG track = in;
    if (upImage)
        track.top = Sat((long long)track.top + W);
    if (downImage)
        track.bottom = Sat((long long)track.bottom - W);
    DrawInner(dc, track);
    if (!HasRange())
        return;

    const long long iw = (long long)in.right - in.left;
    const TDibIG* up = upHeld && upPressedImage ? upPressedImage : upImage;
    const TDibIG* down = downHeld && downPressedImage ? downPressedImage : downImage;
    if (up)
        DrawImage(dc, up, R64(in.left, in.top, in.right, in.top + iw));
    if (down)
        DrawImage(dc, down, R64(in.left, in.bottom - iw, in.right, in.bottom));
    if (!trackVisible)
        return;

    long long tt = 0, tb = 0;
    if (!PlaceThumb((long long)track.bottom - track.top, track.top, tt, tb, 1))
        return;
    if (tb > in.bottom - iw)
        tb = in.bottom - iw;
    if (tt < in.top + iw)
        return;
    DrawThumbPieces(dc, in.left, in.right, tt, tb);
}

void TPDAUIEngineElementVScrollBar::PaintSimple(IDC* dc, const TRectIG& in)
{
    long long tt = 0, tb = 0;
    if (PlaceThumb((long long)in.bottom - in.top, in.top, tt, tb, 1))
        DrawThumbPieces(dc, in.left, in.right, tt, tb);
    if (IsFocused())
        borders[StateFocus].Draw(dc, in);
}

void TPDAUIEngineElementVScrollBar::PaintSimpleUpDown(IDC* dc, const TRectIG& in)
{
    const long long c = trackSimpleImage ? trackSimpleImage->Width() : 0;
    const long long m = in.top + ((long long)in.bottom - in.top) / 2;
    const TDibIG* up = upHeld && upLargePressedImage ? upLargePressedImage : upLargeImage;
    const TDibIG* down = downHeld && downLargePressedImage ? downLargePressedImage : downLargeImage;
    if (up)
        DrawImage(dc, up, R64(in.left + c, in.top, in.right, m));
    if (down)
        DrawImage(dc, down, R64(in.left + c, m, in.right, in.bottom));
    long long tt = 0, tb = 0;
    if (trackSimpleImage && PlaceThumb((long long)in.bottom - in.top, in.top, tt, tb, 1))
        DrawImage(dc, trackSimpleImage, R64(in.left, tt, in.left + c, tb));
}

void TPDAUIEngineElementVScrollBar::PaintImages(IDC* dc, const TRectIG& in)
{
    const double s = GetUIScale();
    const TDibIG* up = upHeld && upLargePressedImage ? upLargePressedImage : upLargeImage;
    const TDibIG* down = downHeld && downLargePressedImage ? downLargePressedImage : downLargeImage;
    if (up)
        DrawImage(dc, up,
                  TRectIG(in.left, in.top, Tr(in.left + up->Width() * s),
                          Tr(in.top + up->AbsHeight() * s)));
    if (down)
        DrawImage(dc, down,
                  TRectIG(in.left, Tr(in.bottom - down->AbsHeight() * s),
                          Tr(in.left + down->Width() * s), in.bottom));
}

void TPDAUIEngineElementVScrollBar::PaintIScroll(IDC* dc, const TRectIG& in, int X, int Y, int W,
                                                 int H)
{
    const double s = GetUIScale();
    const long long m = in.top + ((long long)in.bottom - in.top) / 2;
    if (contentHeight != 0) {
        if (borderImage &&
            (iscrollShadowMode == ShadowBlack || iscrollShadowMode == ShadowWhite)) {
            const int bw = borderImage->Width();
            const int bh = borderImage->AbsHeight();
            const int hh = bh / 2;
            // Left half black (its last column left out), right half white.
            const int sl = iscrollShadowMode == ShadowBlack ? 0 : bw / 2;
            const int sr = iscrollShadowMode == ShadowBlack ? bw / 2 - 1 : bw;
            const TRectIG owner = parent ? parent->GetScreenRect() : TRectIG(X, Y, X + W, Y + H);
            const long long bottom = (long long)Y + H + margins.bottom;
            const long long topEdge = (long long)Y - margins.top;
            if (position < MaxPosition())
                DrawImagePart(dc, borderImage, R64(owner.left, bottom - hh, owner.right, bottom),
                              TRectIG(sl, hh, sr, bh));
            if (position > hh)
                DrawImagePart(dc, borderImage,
                              R64(owner.left, topEdge, owner.right, topEdge + hh),
                              TRectIG(sl, 0, sr, bh - hh));
        }
        if (trackImage) {
            const int tw = trackImage->Width();
            const int th = trackImage->AbsHeight();
            const int cl = Tr(in.right - tw * s);
            if (trackBackImage)
                DrawImage(dc, trackBackImage, TRectIG(cl, in.top, in.right, in.bottom));
            long long tt = 0, tb = 0;
            if (PlaceThumb((long long)in.bottom - in.top, in.top, tt, tb, 0)) {
                const double six = kSliceRows * s;
                DrawImagePart(dc, trackImage,
                              TRectIG(cl, Tr(tt + six), in.right, Tr(tb - six)),
                              TRectIG(0, kSliceRows, tw, th - kSliceRows));
                DrawImagePart(dc, trackImage, TRectIG(cl, Sat(tt), in.right, Tr(tt + six)),
                              TRectIG(0, 0, tw, kSliceRows));
                DrawImagePart(dc, trackImage, TRectIG(cl, Tr(tb - six), in.right, Sat(tb)),
                              TRectIG(0, th - kSliceRows, tw, th));
            }
        }
    }
    const TDibIG* up = upHeld && upLargePressedImage ? upLargePressedImage : upLargeImage;
    if (position > 0 && up) {
        long long bottom = Tr(in.top + up->AbsHeight() * s);
        if (bottom > m)
            bottom = m;
        DrawImage(dc, up, R64(Tr(in.right - up->Width() * s), in.top, in.right, bottom));
    }
    const TDibIG* down = downHeld && downLargePressedImage ? downLargePressedImage : downLargeImage;
    if (position < MaxPosition() && down) {
        long long topEdge = Tr(in.bottom - down->AbsHeight() * s);
        if (topEdge < m)
            topEdge = m;
        DrawImage(dc, down, R64(Tr(in.right - down->Width() * s), topEdge, in.right, in.bottom));
    }
}

void TPDAUIEngineElementVScrollBar::PaintDefaultSimpleTrackBar(IDC* dc, const TRectIG& in)
{
    if (autoScroll)
        ContinuousScroll();

    TRectIG track = in;
    if (upImage)
        track.top = Sat((long long)track.top + upImage->AbsHeight());
    if (downImage)
        track.bottom = Sat((long long)track.bottom - downImage->AbsHeight());
    DrawInner(dc, track);
    if (!HasRange())
        return;

    const TDibIG* up = upHeld && upPressedImage ? upPressedImage : upImage;
    const TDibIG* down = downHeld && downPressedImage ? downPressedImage : downImage;
    if (up)
        DrawImage(dc, up, R64(in.left, in.top, in.right, (long long)in.top + up->AbsHeight()));
    if (down)
        DrawImage(dc, down,
                  R64(in.left, (long long)in.bottom - down->AbsHeight(), in.right, in.bottom));
    if (!trackVisible || !trackImage || !trackBackImage)
        return;

    // A thumb of fixed length: the track back image's height.
    const long long iw = (long long)in.right - in.left;
    const long long T = Tr(trackBackImage->AbsHeight() * (double)GetUIScale());
    const long long L = (long long)track.bottom - track.top;
    const long long p =
        contentHeight <= viewHeight ? 0 : (long long)position * 100 / MaxPosition();
    const long long o = MulDiv(p, L - T - 1, 100);
    long long tb = (long long)track.top + o + T;
    if (tb > in.bottom - iw)
        tb = in.bottom - iw;
    long long tt = (long long)track.top + o;
    if (tt > tb)
        tt = tb;
    if (L <= T || tt < in.top + iw)
        return;
    DrawThumbPieces(dc, in.left, in.right, tt, tb);
}
