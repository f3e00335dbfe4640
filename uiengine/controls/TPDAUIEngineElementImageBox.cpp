#include "uiengine/controls/TPDAUIEngineElementImageBox.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "enginelib/base/TFicheroITV.h"
#include "enginelib/draw/IDC.h"
#include "enginelib/draw/TDibIG.h"
#include "uiengine/core/TPDAUIEngine.h"
#include "uiengine/core/TPDAUIEngineSaturate.h"
#include "uiengine/core/TPDAUIEngineValueTypes.h"

namespace {
typedef TPDAUIEngineSaturate Sat;

bool IsTrue(const char* value) { return CDString(value) == "true"; }
const char* BoolText(bool value) { return value ? "true" : "false"; }
} // namespace

TPDAUIEngineElementImageBox::TPDAUIEngineElementImageBox()
{
    tag = "imagebox";
    pack = align = AlignStretch;
}

TRectIG TPDAUIEngineElementImageBox::ContentRect(const TPDAUIEngineElement& e, int x, int y)
{
    const long long b = e.borders[StateNormal].width;
    const long long l = (long long)x + e.left, t = (long long)y + e.top;
    return TRectIG(Sat::Clamp(l + b + e.padding.left), Sat::Clamp(t + b + e.padding.top),
                   Sat::Clamp(l + e.width - b - e.padding.right), Sat::Clamp(t + e.height - b - e.padding.bottom));
}

float TPDAUIEngineElementImageBox::EffectiveScale(float scale)
{
    return scale > 0.1f ? scale : GetUIScale();
}

bool TPDAUIEngineElementImageBox::ImageSize(long long& w, long long& h) const
{
    w = image ? image->Width() : 0;
    h = image ? std::llabs(image->Height()) : 0;
    return w > 0 && h > 0;
}

void TPDAUIEngineElementImageBox::OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage* p, TPDAUIEngineElement* par,
                                         TPDAUIEngineXml* xmlNode, TFicheroITV* stream)
{
    TPDAUIEngineElement::OnLoad(e, p, par, xmlNode, stream);
    if (!stream)
        return;
    bool aspect = false, maximize = false, avoid = false;
    float scale = 0;
    *stream >> aspect >> scale >> maximize >> avoid;
    if (stream->Error())
        return;
    if (!std::isfinite(scale) || std::fabs(scale) >= 1e6f) {
        FailCompiled(*stream);  // never written
        return;
    }
    maintainAspect = aspect, imageScale = scale, maximizeImageSize = maximize, avoidAutoCalculateMinimumSize = avoid;
}

void TPDAUIEngineElementImageBox::SetAttribute(const char* name, const char* value)
{
    CDString n(name);
    if (n == "maintainAspect")
        maintainAspect = IsTrue(value);
    else if (n == "imageScale")
        imageScale = TPDAUIEngineUIScale::Parse(value);
    else if (n == "maximizeImageSize")
        maximizeImageSize = IsTrue(value);
    else if (n == "avoidAutoCalculateMinimumSize")
        avoidAutoCalculateMinimumSize = IsTrue(value);
    else
        TPDAUIEngineElement::SetAttribute(name, value);
}

DString TPDAUIEngineElementImageBox::GetAttribute(const char* name)
{
    CDString n(name);
    if (n == "maintainAspect")
        return DString(BoolText(maintainAspect));
    if (n == "imageScale")
        return TPDAUIEngineUIScale::Text(imageScale);
    if (n == "maximizeImageSize")
        return DString(BoolText(maximizeImageSize));
    if (n == "avoidAutoCalculateMinimumSize")
        return DString(BoolText(avoidAutoCalculateMinimumSize));
    return TPDAUIEngineElement::GetAttribute(name);
}

void TPDAUIEngineElementImageBox::CopyFrom(TPDAUIEngineElement* other)
{
    TPDAUIEngineElement::CopyFrom(other);
    if (auto* o = dynamic_cast<TPDAUIEngineElementImageBox*>(other)) {
        maintainAspect = o->maintainAspect, imageScale = o->imageScale;
        maximizeImageSize = o->maximizeImageSize, avoidAutoCalculateMinimumSize = o->avoidAutoCalculateMinimumSize;
    }
}

void TPDAUIEngineElementImageBox::Save(TFicheroITV& stream)
{
    TPDAUIEngineElement::Save(stream);
    stream << maintainAspect << imageScale << maximizeImageSize << avoidAutoCalculateMinimumSize;
}

int TPDAUIEngineElementImageBox::GetMinimumHeight(int availableWidth)
{
    const long long b = borders[StateNormal].width;
    const long long frame = (long long)padding.top + 2 * b + padding.bottom;
    long long iw, ih;
    if (!ImageSize(iw, ih)) {
        NoteMeasure(false);
        return LimitSize(frame, minimumHeight, maximumHeight);
    }
    if (avoidAutoCalculateMinimumSize) {
        NoteMeasure(false);
        return LimitSize(minimumHeight, minimumHeight, maximumHeight);
    }
    const double s = EffectiveScale(imageScale);
    const bool fit = maintainAspect && maximizeImageSize;
    const long long reduced = (long long)availableWidth - 2 * b - padding.left - padding.right;
    double imgH;
    if (fit && reduced < iw)
        imgH = std::trunc((double)reduced / ((double)iw / (double)ih)) * s;
    else
        imgH = (double)ih * s;
    NoteMeasure(fit);
    return LimitSize(Sat::Truncate((double)frame + imgH), minimumHeight, maximumHeight);
}

int TPDAUIEngineElementImageBox::GetMinimumWidth(int availableHeight)
{
    const long long b = borders[StateNormal].width;
    const long long frame = (long long)padding.left + 2 * b + padding.right;
    long long iw, ih;
    if (!ImageSize(iw, ih)) {
        NoteMeasure(false);
        return LimitSize(frame, minimumWidth, maximumWidth);
    }
    if (avoidAutoCalculateMinimumSize) {
        NoteMeasure(false);
        return LimitSize(minimumWidth, minimumWidth, maximumWidth);
    }
    const double s = EffectiveScale(imageScale);
    const bool fit = maintainAspect && maximizeImageSize;
    const long long reduced = (long long)availableHeight - 2 * b - padding.top - padding.bottom;
    double imgW;
    if (fit && reduced < ih)
        imgW = std::trunc((double)iw / (double)ih * (double)reduced) * s;
    else
        imgW = (double)iw * s;
    NoteMeasure(fit);
    return LimitSize(Sat::Truncate((double)frame + imgW), minimumWidth, maximumWidth);
}

int TPDAUIEngineElementImageBox::StripMinimum(bool vertical, float scale)
{
    long long iw, ih;
    NoteMeasure(false);
    const long long b = borders[StateNormal].width;
    const long long frame = vertical ? (long long)padding.top + 2 * b + padding.bottom
                                     : (long long)padding.left + 2 * b + padding.right;
    const int minimum = vertical ? minimumHeight : minimumWidth;
    const int maximum = vertical ? maximumHeight : maximumWidth;
    if (!ImageSize(iw, ih))
        return LimitSize(frame, minimum, maximum);
    // The frames are square: the strip's height serves both axes.
    return LimitSize(Sat::Truncate((double)frame + (double)ih * EffectiveScale(scale)), minimum, maximum);
}

void TPDAUIEngineElementImageBox::Paint(IDC* dc, int x, int y)
{
    if (!dc)
        return;
    const int ox = Sat::Add(x, left), oy = Sat::Add(y, top);
    PaintStyle(dc, TRectIG(ox, oy, Sat::Add(ox, width), Sat::Add(oy, height)), GetState());
    long long iw, ih;
    if (!ImageSize(iw, ih))
        return;
    const TRectIG c = ContentRect(*this, x, y);
    const long long cl = c.left, ct = c.top, cr = c.right, cb = c.bottom;
    const double aspect = (double)iw / (double)ih;
    const double s = EffectiveScale(imageScale);
    long long l = cl, t = ct, r, b;
    if (maximizeImageSize) {
        r = Sat::Truncate((double)(cb - ct) * aspect + cl);
        b = cb;
        if (r > cr) {
            r = cr;
            b = Sat::Truncate((double)(cr - cl) / aspect + ct);
        }
        long long dx = 0, dy = 0;
        if (align == AlignEnd)
            dx = cr - r;
        else if (align == AlignCenter)
            dx = (cr - r) / 2;
        if (pack == AlignEnd)
            dy = cb - b;
        else if (pack == AlignCenter)
            dy = (cb - b) / 2;
        l += dx, r += dx, t += dy, b += dy;
    } else {
        r = Sat::Truncate((double)iw * s + cl);
        b = Sat::Truncate((double)ih * s + ct);
        if (b - t > cb - ct) {
            b = cb;
            if (maintainAspect)
                r = Sat::Truncate((double)(cb - ct) * aspect + cl);
        }
        if (r - l > cr - cl) {
            r = cr;
            if (maintainAspect)
                b = Sat::Truncate((double)(cr - cl) / aspect + ct);
        }
        if ((align == AlignStretch && maintainAspect) || align == AlignCenter) {
            const long long dx = (cr - r) / 2;
            l += dx, r += dx;
        } else if (align == AlignEnd) {
            l = cr - (r - cl);
            r = cr;
        }
        const long long hh = Sat::Truncate((double)ih * s);
        if (pack == AlignStart) {
            b = ct + hh;
        } else if (pack == AlignCenter) {
            t = ct + (cb - ct) / 2 - hh / 2;
            b = t + hh;
        } else if (pack == AlignEnd) {
            t = cb - hh;
            b = cb;
        }
    }
    const TColorIG key = engine ? engine->skinSettings.transparentColor : TColorIG(TColoresIG::F_Magenta);
    dc->StretchDIBits_Transparent(TRectIG(Sat::Clamp(l), Sat::Clamp(t), Sat::Clamp(r), Sat::Clamp(b)),
                                  TRectIG(0, 0, (int)iw, (int)ih), image, key);
}

void TPDAUIEngineElementImageBox::OnMouseDown(int x, int y, int kind, int a, int b)
{
    TPDAUIEngineElement::OnMouseDown(x, y, kind, a, b);
    if (!pressed) {
        pressed = 1;
        Invalidate();
    }
}

void TPDAUIEngineElementImageBox::OnMouseUp(int x, int y, int kind, unsigned char* handled)
{
    const bool wasPressed = pressed != 0;
    pressed = 0;
    if (enabled && !onCommand.IsEmpty()) {
        // Repaint first: the command may remove this box.
        Invalidate();
        RaiseCommand(onCommand.c_str(), 0, 0, false);
        return;
    }
    if (wasPressed)
        Invalidate();
    TPDAUIEngineElement::OnMouseUp(x, y, kind, handled);
}
