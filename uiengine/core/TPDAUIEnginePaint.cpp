// Painting of the page stack, page transitions and screenshots.
#include "enginelib/draw/TDibIGformat.h"
#include "uiengine/core/TPDAUIEngine.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"

namespace {

const TColorIG kDimColour(10, 10, 10);
const int kDimAlpha = 127;
// Length of a page transition, and the step added so the first frame moves.
const int kTransitionMs = 175;
const int kTransitionLead = 16;

const TColorIG kTrailColour(8290047u);
const TColorIG kTrailLastColour(255u);

// Elapsed animation time, wide: a frame however late lands where its time puts
// it (each position is clamped to its own range) and nothing can overflow.
long long TransitionElapsed(int now, int t0)
{
    return (long long)(int)((uint32_t)now - (uint32_t)t0) + kTransitionLead;
}

// value clamped to lo..hi, as an int.
int Clamp(long long value, int lo, int hi)
{
    return (int)(value < lo ? lo : value > hi ? hi : value);
}

void Cross(IDC& dc, int x, int y, int half, TColorIG colour)
{
    dc.SetPen(colour, 1);
    dc.Line(x - half, y, x + half + 1, y);
    dc.Line(x, y - half, x, y + half + 1);
}

} // namespace

void TPDAUIEngine::EnsureBackBuffer()
{
    dc.SetSize(skinSettings.screenWidth, skinSettings.screenHeight);
}

void TPDAUIEngine::Paint()
{
    if (paintSuppressed)
        return;
    painting = 1;
    // The drawing context never runs in stereo mode here: one pass.
    PaintPages();
    // A held pointer floods the loop with paints; keep the timers going.
    if (pointerDown && TickDiff(lastPaintTime, lastTimerPass) > 400)
        ProcessTimers();
    painting = 0;
}

void TPDAUIEngine::DrawDim()
{
    dc.SetBrush(kDimColour);
    dc.RectangleA(TRectIG(0, 0, skinSettings.screenWidth, skinSettings.screenHeight), kDimAlpha);
}

void TPDAUIEngine::DrawTransitionImage(TPDAUIEngineElementPage* page)
{
    TAdvStetchDIBitsData data;
    data.alpha = page->transitionAlpha;
    dc.StretchDIBits_Adv(page->transitionDestination, page->transitionSource,
                         page->transitionImage, data);
}

void TPDAUIEngine::PaintPages()
{
    const int now = GetTickCount();
    lastPaintTime = now;
    EnsureBackBuffer();

    const int n = pages.Count();
    if (n > 0) {
        int lowest = 0;   // topmost full-screen page
        int highest = 0;  // topmost page that is visible and not closing
        for (int j = n - 1; j >= 0; --j)
            if (pages[j]->fullScreen) {
                lowest = j;
                break;
            }
        for (int j = n - 1; j >= 0; --j)
            if (!pages[j]->closing && pages[j]->visible) {
                highest = j;
                break;
            }
        int first = lowest < highest ? lowest : highest;
        if (skinSettings.screenPageTransitionsEnabled) {
            if (pages[highest]->transitionImage)
                first = highest > 0 ? highest - 1 : 0;
            // A closing page still animating above it is painted too.
            if (highest != n - 1)
                ++highest;
        }

        bool dimmed = false;
        for (int j = first; j <= highest && j < pages.Count(); ++j) {
            TPDAUIEngineElementPage* page = pages[j];
            if (j == highest) {
                if ((page->NeedsReload() || page->reloadRequested) && !page->closing)
                    page->Reload();
                if (page->loaded || j == 0) {
                    if (page->transitionImage) {
                        DrawTransitionImage(page);
                    } else {
                        page->Paint(&dc, 0, 0);
                        page->paintReference = nullptr;
                        for (int p = 0; p < page->popups.Count(); ++p)
                            page->popups[p]->Paint(&dc, 0, 0);
                    }
                    page->lastPaintTime = now;
                }
            } else {
                if (page->loaded && page->visible)
                    page->Paint(&dc, 0, 0);
                if (page->transitionImage) {
                    DrawTransitionImage(page);
                } else if (!dimmed && !pages[j + 1]->avoidPreviousPageBackgroundEffect) {
                    // One dimming layer at most, however many pages lie below.
                    DrawDim();
                    dimmed = true;
                }
            }
        }
    }

    ++paintCounter;
    if (longPressIndicator) {
        const DString& name =
            skinSettings.commonImages[TPDAUIEngineSkinSettings::ImgContextMenuAnimation];
        if (TDibIG* strip = resources.GetImage(name.c_str())) {
            int since = TickDiff(now, indicatorTime);
            int frame = since > 1000 ? 9 : ((since < 0 ? 0 : since) % 1000) / 33;
            if (frame > 9)
                frame = 9;
            int side = (int)(64 * skinSettings.uiScale);
            TRectIG src(frame * 64, 0, frame * 64 + 64, 64);
            TRectIG dst(lastPointerX - side / 2, lastPointerY - side / 2, 0, 0);
            dst.right = dst.left + side;
            dst.bottom = dst.top + side;
            dc.StretchDIBits_Transparent(dst, src, strip, skinSettings.transparentColor);
        }
    }
    if (trailDrawing) {
        const int count = pointerTrail.Count();
        for (int k = 0; k < count; ++k) {
            const TPointIG& p = pointerTrail[k];
            if (k == count - 1)
                Cross(dc, p.x, p.y, 20, kTrailLastColour);
            else
                Cross(dc, p.x, p.y, 10, kTrailColour);
        }
    }
}

bool TPDAUIEngine::SaveScreenshot(const char* fileName)
{
    Invalidate(1);
    TDibIGformat shot(dc.GetBackBuffer(), !UseOpenGL());
    return !shot.IsEmpty() && shot.Guarda(fileName);
}

// ---- Transitions ----------------------------------------------------------------------

bool TPDAUIEngine::PaintPageInto(TPDAUIEngineElementPage* page, TDibIG& image,
                                 const TDibIG* background)
{
    const int w = skinSettings.screenWidth, h = skinSettings.screenHeight;
    if (!image.Crea(w, h, 32))
        return false;
    const TRectIG full(0, 0, w, h);
    IDC temp;
    if (!temp.BeginPaintDib(&image))
        return false;
    if (background) {
        temp.StretchDIBits(full, full, background);
        temp.SetBrush(kDimColour);
        temp.RectangleA(full, kDimAlpha);
    }
    page->Paint(&temp, 0, 0);
    temp.EndPaintDib();
    return image.ConvertDIB_24();
}

void TPDAUIEngine::RunOpenTransition(TPDAUIEngineElementPage* page)
{
    const int w = skinSettings.screenWidth, h = skinSettings.screenHeight;
    const int quarter = w / 4;
    const TRectIG full(0, 0, w, h);
    TPDAUIEngineElementPage* below = pages[pages.Count() - 2];

    EnsureBackBuffer();
    TDibIG oldScreen, newImage;
    if (!oldScreen.Asigna(dc.GetBackBuffer()) || !oldScreen.ConvertDIB_24())
        return;
    const bool fade = page->transition == TPDAUIEngineElementPage::TransitionFade;
    if (!PaintPageInto(page, newImage, fade ? &oldScreen : nullptr))
        return;

    // Nothing may leave the stack while the pages point at these images.
    transitionRunning_ = 1;
    const int t0 = GetTickCount();
    page->transitionImage = &newImage;
    page->transitionSource = full;
    page->transitionAlpha = 0;
    if (!fade) {
        below->transitionImage = &oldScreen;
        below->transitionAlpha = 255;
        below->transitionSource = full;
        below->transitionDestination = full;
        page->transitionDestination = TRectIG(quarter, 0, quarter + w, h);
        while (page->transitionDestination.left > 0 && !quit) {
            const long long e = TransitionElapsed(GetTickCount(), t0);
            const int left = Clamp(quarter - e * quarter / kTransitionMs, 0, quarter);
            const int alpha = Clamp(e * 255 / kTransitionMs, 0, 255);
            page->transitionDestination = TRectIG(left, 0, left + w, h);
            page->transitionAlpha = alpha;
            below->transitionDestination = TRectIG(left - quarter, 0, left + w - quarter, h);
            below->transitionAlpha = 255 - alpha;
            Invalidate(1);
        }
    } else {
        page->transitionDestination = full;
        while (page->transitionAlpha < 255 && !quit) {
            page->transitionAlpha =
                Clamp(TransitionElapsed(GetTickCount(), t0) * 255 / kTransitionMs, 0, 255);
            Invalidate(1);
        }
    }
    below->transitionImage = nullptr;
    page->transitionImage = nullptr;
    transitionRunning_ = 0;
}

void TPDAUIEngine::RunCloseTransition(TPDAUIEngineElementPage* page)
{
    const int w = skinSettings.screenWidth, h = skinSettings.screenHeight;
    const int quarter = w / 4;
    const TRectIG full(0, 0, w, h);
    TPDAUIEngineElementPage* below = pages[pages.Count() - 2];

    EnsureBackBuffer();
    TDibIG pageImage, belowImage;
    if (!pageImage.Asigna(dc.GetBackBuffer()) || !pageImage.ConvertDIB_24())
        return;
    if (!PaintPageInto(below, belowImage, nullptr))
        return;

    transitionRunning_ = 1;
    page->closing = 0;
    const int t0 = GetTickCount();
    page->transitionImage = &pageImage;
    page->transitionAlpha = 255;
    page->transitionSource = full;
    page->transitionDestination = full;
    if (page->transition == TPDAUIEngineElementPage::TransitionSlide) {
        below->transitionImage = &belowImage;
        below->transitionAlpha = 255;
        below->transitionSource = full;
        below->transitionDestination = TRectIG(-w, 0, 0, h);
        while (page->transitionDestination.left < quarter && !quit) {
            const long long e = TransitionElapsed(GetTickCount(), t0);
            const int left = Clamp(e * quarter / kTransitionMs, 0, w);
            page->transitionDestination = TRectIG(left, 0, left + w, h);
            page->transitionAlpha = Clamp(255 - e * 255 / kTransitionMs, 0, 255);
            below->transitionDestination = TRectIG(left - quarter, 0, left + w - quarter, h);
            Invalidate(1);
        }
    } else {
        const uint8_t avoided = page->avoidPreviousPageBackgroundEffect;
        page->avoidPreviousPageBackgroundEffect = 1;
        while (page->transitionAlpha > 0 && !quit) {
            page->transitionAlpha =
                Clamp(255 - TransitionElapsed(GetTickCount(), t0) * 255 / kTransitionMs, 0, 255);
            Invalidate(1);
        }
        page->avoidPreviousPageBackgroundEffect = avoided;
    }
    below->transitionImage = nullptr;
    page->closing = 1;
    page->transitionImage = nullptr;
    transitionRunning_ = 0;
}
