#include "uiengine/controls/TPDAUIEngineElementProgressBar.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "enginelib/base/TFicheroITV.h"
#include "enginelib/draw/IDC.h"
#include "enginelib/draw/TDibIG.h"
#include "uiengine/core/TPDAUIEngine.h"
#include "uiengine/core/TPDAUIEngineValueTypes.h"

namespace {
const char* const kDirections[] = {"LeftToRight", "RightToLeft", "TopToBottom", "BottomToTop", "ImageCards"};

int Clamp(long long v) { return v < INT_MIN ? INT_MIN : (v > INT_MAX ? INT_MAX : (int)v); }
int ParseInt(const char* value)
{
    return Clamp(std::strtoll(value ? value : "", nullptr, 10));
}
} // namespace

TPDAUIEngineElementProgressBar::TPDAUIEngineElementProgressBar()
{
    tag = "progressbar";
    borders.Edit(StateNormal).width = 0;
    borders.Edit(StateNormal).style = TPDAUIEngineStyleBorder::StyleNone;
    backgrounds.Edit(StateNormal).kind = TPDAUIEngineStyleBackground::KindNone;
    foregrounds[StateNormal] = TColorIG(TColoresIG::F_LtBlue).color;
    minimumHeight = minimumWidth = Scale(16);
    padding.left = padding.top = padding.right = padding.bottom = 0;
}

float TPDAUIEngineElementProgressBar::EffectiveImageScale() const
{
    return imageScale > 0.1f ? imageScale : GetUIScale();
}

void TPDAUIEngineElementProgressBar::OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage* p, TPDAUIEngineElement* par,
                                            TPDAUIEngineXml* xmlNode, TFicheroITV* stream)
{
    TPDAUIEngineElement::OnLoad(e, p, par, xmlNode, stream);
    if (stream) {
        int v = 0, lo = 0, hi = 100, d = 0, inc = 5, cards = 5;
        float scale = 0;
        *stream >> v >> lo >> hi >> d >> inc >> cards >> scale;
        if (!stream->Error()) {
            value = v, minimumValue = lo, maximumValue = hi, increment = inc, imageCardsCount = cards;
            direction = d >= LeftToRight && d <= ImageCards ? d : LeftToRight;
            imageScale = std::isfinite(scale) ? scale : 0.0f;
        }
    }
}

void TPDAUIEngineElementProgressBar::SetAttribute(const char* name, const char* v)
{
    CDString n(name);
    if (n == "value")
        value = ParseInt(v);
    else if (n == "minimumValue")
        minimumValue = ParseInt(v);
    else if (n == "maximumValue")
        maximumValue = ParseInt(v);
    else if (n == "increment")
        increment = ParseInt(v);
    else if (n == "imageCardsCount")
        imageCardsCount = ParseInt(v);
    else if (n == "direction") {
        for (int i = 0; i <= ImageCards; ++i)
            if (CDString(v) == kDirections[i])
                direction = i;
    } else if (n == "imageScale") {
        imageScale = TPDAUIEngineUIScale::Parse(v);
    } else
        TPDAUIEngineElement::SetAttribute(name, v);
}

DString TPDAUIEngineElementProgressBar::GetAttribute(const char* name)
{
    CDString n(name);
    DString out;
    if (n == "value")
        out << value;
    else if (n == "minimumValue")
        out << minimumValue;
    else if (n == "maximumValue")
        out << maximumValue;
    else if (n == "increment")
        out << increment;
    else if (n == "imageCardsCount")
        out << imageCardsCount;
    else if (n == "direction")
        out = kDirections[direction >= 0 && direction <= ImageCards ? direction : 0];
    else if (n == "imageScale")
        out = TPDAUIEngineUIScale::Text(imageScale);
    else
        return TPDAUIEngineElement::GetAttribute(name);
    return out;
}

void TPDAUIEngineElementProgressBar::CopyFrom(TPDAUIEngineElement* other)
{
    TPDAUIEngineElement::CopyFrom(other);
    if (auto* o = dynamic_cast<TPDAUIEngineElementProgressBar*>(other)) {
        value = o->value, minimumValue = o->minimumValue, maximumValue = o->maximumValue;
        direction = o->direction, increment = o->increment, imageCardsCount = o->imageCardsCount;
        imageScale = o->imageScale;
    }
}

void TPDAUIEngineElementProgressBar::Save(TFicheroITV& stream)
{
    TPDAUIEngineElement::Save(stream);
    stream << value << minimumValue << maximumValue << direction << increment << imageCardsCount << imageScale;
}

int TPDAUIEngineElementProgressBar::GetMinimumHeight(int w)
{
    if (direction == ImageCards)
        return 0;
    const long long b = borders[StateNormal].width;
    long long h;
    if (image)
        h = (long long)(std::abs(image->Height()) * (double)EffectiveImageScale() + 2.0 * b);
    else
        h = std::max<long long>(minimumHeight, (engine ? engine->GetTextExtent(font, label, w, 0).cy : 0) +
                                                   (long long)padding.top + padding.bottom + 2 * b);
    h = std::max<long long>(h, minimumHeight);
    if (maximumHeight >= 0)
        h = std::min<long long>(h, maximumHeight);
    return Clamp(h);
}

int TPDAUIEngineElementProgressBar::GetMinimumWidth(int)
{
    if (direction == ImageCards)
        return 0;
    const long long b = borders[StateNormal].width;
    long long w;
    if (image)
        w = (long long)(image->Width() * (double)EffectiveImageScale() + 2.0 * b);
    else
        w = std::max<long long>(minimumWidth, (engine ? engine->GetTextExtent(font, label, 0, 0).cx : 0) +
                                                  (long long)padding.left + padding.right + 2 * b);
    w = std::max<long long>(w, minimumWidth);
    if (maximumWidth >= 0)
        w = std::min<long long>(w, maximumWidth);
    return Clamp(w);
}

void TPDAUIEngineElementProgressBar::Paint(IDC* dc, int x, int y)
{
    if (!dc)
        return;
    const int ox = Clamp((long long)x + left), oy = Clamp((long long)y + top);
    const TRectIG r(ox, oy, Clamp((long long)ox + width), Clamp((long long)oy + height));
    const int state = IsFocused() ? StateFocus : StateNormal;
    backgrounds[state].Draw(dc, r);
    borders[state].Draw(dc, r);
    if (value > maximumValue)
        value = maximumValue;
    if (value < minimumValue)
        value = minimumValue;
    const long long b = borders[StateNormal].width;
    const TRectIG q(Clamp(r.left + b + padding.left), Clamp(r.top + b + padding.top), Clamp(r.right - b - padding.right),
                    Clamp(r.bottom - b - padding.bottom));
    const long long W = std::max(0, q.Width()), H = std::max(0, q.Height());
    // A range that cannot be divided by draws no fill.
    if (maximumValue <= 0)
        return;
    const long long v = value, mx = maximumValue;
    const TColorIG key = engine ? engine->skinSettings.transparentColor : TColorIG(TColoresIG::F_Magenta);
    const long long iw = image ? image->Width() : 0, ih = image ? std::abs(image->Height()) : 0;
    TRectIG fillRect, source;
    switch (direction) {
    case LeftToRight:
    case RightToLeft: {
        const long long fill = std::max<long long>(0, W * v / mx);
        fillRect = direction == LeftToRight ? TRectIG(q.left, q.top, Clamp(q.left + fill), q.bottom)
                                            : TRectIG(Clamp(q.right - fill), q.top, q.right, q.bottom);
        const long long part = std::max<long long>(0, iw * v / mx);
        source = direction == LeftToRight ? TRectIG(0, 0, Clamp(part), Clamp(ih))
                                          : TRectIG(Clamp(iw - part), 0, Clamp(iw), Clamp(ih));
        break;
    }
    case TopToBottom:
    case BottomToTop: {
        long long fill = std::max<long long>(0, H * v / mx);
        if (increment > 0)
            fill = fill / increment * increment;
        const long long part = std::max<long long>(0, ih * v / mx);
        if (direction == BottomToTop) {
            fillRect = TRectIG(q.left - 1, Clamp(q.bottom - fill), q.right - 1, q.bottom);
            source = TRectIG(0, Clamp(ih - part), Clamp(iw), Clamp(ih));
        } else {
            // Mirrors the upward bar.
            fillRect = TRectIG(q.left - 1, q.top, q.right - 1, Clamp(q.top + fill));
            source = TRectIG(0, 0, Clamp(iw), Clamp(part));
        }
        break;
    }
    case ImageCards: {
        if (imageCardsCount <= 0 || imageCardsCount > 100)
            return;
        long long card = v / (100 / imageCardsCount);
        if (card >= imageCardsCount)
            card = imageCardsCount - 1;
        if (card < 0)
            card = 0;
        fillRect = q;
        const double s = EffectiveImageScale();
        source = TRectIG(Clamp((long long)(card * W / s)), 0, Clamp((long long)((card + 1) * W / s)),
                         Clamp((long long)(H / s)));
        break;
    }
    default:
        return;
    }
    if (fillRect.Width() <= 0 || fillRect.Height() <= 0)
        return;
    if (image) {
        // Never read past the image: the source is cut to it.
        source = TRectIG(std::max(0, source.left), std::max(0, source.top), std::min<int>(Clamp(iw), source.right),
                         std::min<int>(Clamp(ih), source.bottom));
        if (source.Width() > 0 && source.Height() > 0)
            dc->StretchDIBits_Transparent(fillRect, source, image, key);
    } else {
        dc->SetBrush(TColorIG(foregrounds[StateNormal]));
        dc->SetPen(TColorIG(foregrounds[StateNormal]), 1);
        dc->Rectangle(fillRect);
    }
}

void TPDAUIEngineElementProgressBar::OnTimer(int interval, int now)
{
    value += increment;
    if (value > 100)
        value = 0;
    Invalidate();
}
