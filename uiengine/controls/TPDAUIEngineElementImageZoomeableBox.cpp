#include "uiengine/controls/TPDAUIEngineElementImageZoomeableBox.h"

#include <algorithm>

#include "enginelib/draw/IDC.h"
#include "enginelib/draw/StretchData.h"
#include "enginelib/draw/TDibIG.h"
#include "uiengine/controls/TPDAUIEngineElementImageBox.h"
#include "uiengine/core/TPDAUIEngineSaturate.h"

namespace {
typedef TPDAUIEngineSaturate Sat;

const double kMinimumZoom = 0.1, kMaximumZoom = 3.0;
const int kLargestSide = 2048;
} // namespace

TPDAUIEngineElementImageZoomeableBox::TPDAUIEngineElementImageZoomeableBox()
{
    tag = "imagezoomeablebox";
    pack = align = AlignStretch;
}

TRectIG TPDAUIEngineElementImageZoomeableBox::PictureRect(int cw, int ch) const
{
    const TRectIG pic = image->RectRot();
    const long long pw = Sat::Truncate(pic.Width() * zoom), ph = Sat::Truncate(pic.Height() * zoom);
    const long long l = ((long long)cw - pw) / 2 + panX, t = ((long long)ch - ph) / 2 + panY;
    return TRectIG(Sat::Clamp(l), Sat::Clamp(t), Sat::Clamp(l + pw), Sat::Clamp(t + ph));
}

void TPDAUIEngineElementImageZoomeableBox::Paint(IDC* dc, int x, int y)
{
    if (!dc)
        return;
    const int ox = Sat::Add(x, left), oy = Sat::Add(y, top);
    PaintStyle(dc, TRectIG(ox, oy, Sat::Add(ox, width), Sat::Add(oy, height)), GetState());
    if (!image || image->Width() <= 0 || image->AbsHeight() <= 0)
        return;
    ScrollIntoView();
    const TRectIG c = TPDAUIEngineElementImageBox::ContentRect(*this, x, y);
    const TRectIG p = PictureRect(c.Width(), c.Height());
    const TRectIG dst(Sat::Add(p.left, c.left), Sat::Add(p.top, c.top), Sat::Add(p.right, c.left),
                      Sat::Add(p.bottom, c.top));
    // Within the content and within any clip already set.
    const TRectIG outer = dc->GetClipRect();
    TRectIG clip = c;
    if (outer.Width() > 0 || outer.Height() > 0)
        clip = TRectIG(std::max(clip.left, outer.left), std::max(clip.top, outer.top),
                       std::min(clip.right, outer.right), std::min(clip.bottom, outer.bottom));
    dc->SelectClipRect(clip);
    const TAdvStetchDIBitsData smooth(TAdvStetchDIBitsData::ModeSmooth, 0, 0, 255, nullptr, 0, 0);
    dc->StretchDIBits_Adv(dst, TRectIG(0, 0, image->Width(), image->AbsHeight()), image, smooth);
    dc->Fin_SelectClipRgn();
    if (outer.Width() > 0 || outer.Height() > 0)
        dc->SelectClipRect(outer);
}

void TPDAUIEngineElementImageZoomeableBox::Recalculate()
{
    if (Fit() && !onCommand.IsEmpty())
        RaiseCommand(onCommand.c_str(), 0, 0, true);
}

void TPDAUIEngineElementImageZoomeableBox::Update()
{
    if (!Fit())
        return;
    // Repaint before the command, which may remove this box.
    Invalidate();
    if (!onCommand.IsEmpty())
        RaiseCommand(onCommand.c_str(), 0, 0, true);
}

bool TPDAUIEngineElementImageZoomeableBox::Fit()
{
    if (!image || image->Width() <= 0 || image->AbsHeight() <= 0)
        return false;
    zoom = std::min(kMaximumZoom, std::max(kMinimumZoom, zoom));
    const TRectIG c = TPDAUIEngineElementImageBox::ContentRect(*this, 0, 0);
    const long long cw = c.Width(), ch = c.Height();
    const TRectIG p = PictureRect((int)cw, (int)ch);
    const long long a = p.left, rt = p.right, t = p.top, bt = p.bottom;
    long long px = panX, py = panY;
    if (rt - a < cw) {
        if (a < 0)
            px = (rt - a) / 2 - cw / 2;
        else if (rt > cw)
            px = cw / 2 - (rt - a) / 2;
    } else {
        if (a < 0 && rt < cw)
            px += cw - rt;
        else if (rt > cw && a > 0)
            px -= a;
    }
    if (bt - t < ch) {
        if (t < 0)
            py = (bt - t) / 2 - ch / 2;
        else if (bt > ch)
            py = ch / 2 - (bt - t) / 2;
    } else {
        if (t < 0 && bt < ch)
            py += ch - bt;
        else if (bt > ch && t > 0)
            py -= t;
    }
    panX = Sat::Clamp(px), panY = Sat::Clamp(py);
    return true;
}

void TPDAUIEngineElementImageZoomeableBox::OnMouseDown(int x, int y, int kind, int, int)
{
    if (kind != 0)
        return;
    pressed = 1;
    dragX = x, dragY = y;
}

void TPDAUIEngineElementImageZoomeableBox::OnMouseMove(int x, int y, int, unsigned char*, int, int)
{
    if (!pressed)
        return;
    panX = Sat::Clamp((long long)panX + x - dragX);
    panY = Sat::Clamp((long long)panY + y - dragY);
    dragX = x, dragY = y;
    Update();
}

void TPDAUIEngineElementImageZoomeableBox::OnMouseUp(int, int, int kind, unsigned char*)
{
    if (kind == 0)
        pressed = 0;
}

void TPDAUIEngineElementImageZoomeableBox::ZoomBy(double step)
{
    if (!image)
        return;
    zoom += step;
    Update();
}

void TPDAUIEngineElementImageZoomeableBox::OnMouseWheel(int, int, int delta)
{
    const double step = zoom < 1.0 ? 0.1 : 0.3;
    ZoomBy(delta < 0 ? -step : step);
}

void TPDAUIEngineElementImageZoomeableBox::OnMouseDoubleClick(int, int, int, int)
{
    ZoomBy(-0.3);
}

void TPDAUIEngineElementImageZoomeableBox::ZoomIn()
{
    ZoomBy(0.05);
}

void TPDAUIEngineElementImageZoomeableBox::ZoomOut()
{
    ZoomBy(-0.05);
}

void TPDAUIEngineElementImageZoomeableBox::ViewFull()
{
    if (!image)
        return;
    const TRectIG pic = image->RectRot();
    if (pic.Width() <= 0 || pic.Height() <= 0)
        return;
    const TRectIG c = TPDAUIEngineElementImageBox::ContentRect(*this, 0, 0);
    zoom = (double)c.Width() / pic.Width();
    if (zoom * pic.Height() > c.Height())
        zoom = (double)c.Height() / pic.Height();
    panX = panY = 0;
    Update();
}

void TPDAUIEngineElementImageZoomeableBox::ViewOriginal()
{
    if (!image)
        return;
    image->ReduceImageSizeMax(kLargestSide, false);
    zoom = 1.0;
    panX = panY = 0;
    Update();
}
