#include "uiengine/controls/TPDAUIEngineElementTrackBar.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>

#include "enginelib/base/TFicheroITV.h"
#include "enginelib/draw/IDC.h"
#include "enginelib/draw/TDibIG.h"
#include "uiengine/core/TPDAUIEngine.h"
#include "uiengine/core/TPDAUIEngineValueTypes.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"

namespace {
const int kKeyLeft = 37, kKeyRight = 39;

int Clamp(long long v) { return v < INT_MIN ? INT_MIN : (v > INT_MAX ? INT_MAX : (int)v); }
int ParseInt(const char* value) { return Clamp(std::strtoll(value ? value : "", nullptr, 10)); }
bool IsTrue(const char* value) { return CDString(value) == "true"; }
} // namespace

TPDAUIEngineElementTrackBar::TPDAUIEngineElementTrackBar()
{
    tag = "trackbar";
    borders.Edit(StateNormal).width = 0;
    borders.Edit(StateNormal).style = TPDAUIEngineStyleBorder::StyleNone;
    backgrounds.Edit(StateNormal).kind = TPDAUIEngineStyleBackground::KindNone;
    foregrounds[StateNormal] = TColorIG(TColoresIG::F_LtBlue).color;
    minimumHeight = minimumWidth = Scale(16);
    padding.left = padding.top = padding.right = padding.bottom = 0;
}

void TPDAUIEngineElementTrackBar::OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage* p, TPDAUIEngineElement* par,
                                         TPDAUIEngineXml* xmlNode, TFicheroITV* stream)
{
    TPDAUIEngineElement::OnLoad(e, p, par, xmlNode, stream);
    if (stream) {
        int v = 0, lo = 0, hi = 100, step = 10;
        bool text = false, progress = false;
        DString pressedName;
        *stream >> v >> lo >> hi >> step >> text >> progress >> pressedName;
        if (!stream->Error()) {
            value = v, minimumValue = lo, maximumValue = hi, smallStep = step;
            showValueAsText = text, showBackgroundPressedAsProgress = progress;
            imagePressedName = pressedName;
        }
    }
    imagePressed = p && !imagePressedName.IsEmpty() ? p->resources.GetImage(imagePressedName.c_str(), false, false)
                                                    : nullptr;
}

void TPDAUIEngineElementTrackBar::SetAttribute(const char* name, const char* v)
{
    CDString n(name);
    if (n == "value")
        value = ParseInt(v);
    else if (n == "minimumValue")
        minimumValue = ParseInt(v);
    else if (n == "maximumValue")
        maximumValue = ParseInt(v);
    else if (n == "smallStep")
        smallStep = ParseInt(v);
    else if (n == "showValueAsText")
        showValueAsText = IsTrue(v);
    else if (n == "showBackgroundPressedAsProgress")
        showBackgroundPressedAsProgress = IsTrue(v);
    else if (n == "imagePressedName") {
        imagePressedName = v ? v : "";
        if (!imagePressedName.IsEmpty())
            imagePressed = page ? page->resources.GetImage(imagePressedName.c_str(), false, false) : nullptr;
    } else
        TPDAUIEngineElement::SetAttribute(name, v);
}

DString TPDAUIEngineElementTrackBar::GetAttribute(const char* name)
{
    CDString n(name);
    DString out;
    if (n == "value")
        out << value;
    else if (n == "minimumValue")
        out << minimumValue;
    else if (n == "maximumValue")
        out << maximumValue;
    else if (n == "smallStep")
        out << smallStep;
    else if (n == "showValueAsText")
        out = showValueAsText ? "true" : "false";
    else if (n == "showBackgroundPressedAsProgress")
        out = showBackgroundPressedAsProgress ? "true" : "false";
    else if (n == "imagePressedName")
        out = imagePressedName;
    else
        return TPDAUIEngineElement::GetAttribute(name);
    return out;
}

void TPDAUIEngineElementTrackBar::CopyFrom(TPDAUIEngineElement* other)
{
    TPDAUIEngineElement::CopyFrom(other);
    if (auto* o = dynamic_cast<TPDAUIEngineElementTrackBar*>(other)) {
        value = o->value, minimumValue = o->minimumValue, maximumValue = o->maximumValue, smallStep = o->smallStep;
        showValueAsText = o->showValueAsText, showBackgroundPressedAsProgress = o->showBackgroundPressedAsProgress;
        imagePressedName = o->imagePressedName, imagePressed = o->imagePressed;
    }
}

void TPDAUIEngineElementTrackBar::Save(TFicheroITV& stream)
{
    TPDAUIEngineElement::Save(stream);
    stream << value << minimumValue << maximumValue << smallStep << showValueAsText << showBackgroundPressedAsProgress
           << imagePressedName;
}

// ---- geometry ----

void TPDAUIEngineElementTrackBar::ClampValue()
{
    if (value > maximumValue)
        value = maximumValue;
    if (value < minimumValue)
        value = minimumValue;
}

long long TPDAUIEngineElementTrackBar::TrackLength() const
{
    const long long b = borders[StateNormal].width;
    const double s = GetUIScale();
    if (IsHorizontal()) {
        const double q = (double)width - 2 * b - padding.left - padding.right;
        return (long long)(q - (image ? image->Width() * s : 0));
    }
    const double q = (double)height - 2 * b - padding.top - padding.bottom;
    return (long long)(q - (image ? std::abs(image->Height()) * s : 0));
}

long long TPDAUIEngineElementTrackBar::ThumbOffset(long long length) const
{
    const long long span = (long long)maximumValue - minimumValue;
    // An empty range puts the thumb at the start instead of dividing by zero.
    return span > 0 ? length * value / span : 0;
}

int TPDAUIEngineElementTrackBar::GetMinimumHeight(int w)
{
    const long long b = borders[StateNormal].width;
    const TPDAUIEngineStyleBackground& back = backgrounds[StateNormal];
    long long h;
    if (back.kind == TPDAUIEngineStyleBackground::KindImage && back.image)
        h = std::max<long long>((long long)(std::abs(back.image->Height()) * GetUIScale() + 2.0 * b), minimumHeight);
    else
        h = std::max<long long>((engine ? engine->GetTextExtent(font, label, w, 0).cy : 0) + padding.top +
                                    padding.bottom + 2 * b,
                                minimumHeight);
    if (showValueAsText)
        h += (long long)font.size + padding.inner;
    if (image)
        h = std::max<long long>(h, std::abs(image->Height()));
    if (maximumHeight >= 0)
        h = std::min<long long>(h, maximumHeight);
    return Clamp(h);
}

int TPDAUIEngineElementTrackBar::GetMinimumWidth(int)
{
    const long long b = borders[StateNormal].width;
    const TPDAUIEngineStyleBackground& back = backgrounds[StateNormal];
    long long w;
    if (back.kind == TPDAUIEngineStyleBackground::KindImage && back.image)
        w = std::max<long long>((long long)(back.image->Width() * GetUIScale() + 2.0 * b), minimumWidth);
    else
        w = std::max<long long>((engine ? engine->GetTextExtent(font, label, 0, 0).cx : 0) + padding.left +
                                    padding.right + 2 * b,
                                minimumWidth);
    if (maximumWidth >= 0)
        w = std::min<long long>(w, maximumWidth);
    return Clamp(w);
}

void TPDAUIEngineElementTrackBar::Paint(IDC* dc, int x, int y)
{
    if (!dc)
        return;
    ClampValue();
    const int ox = Clamp((long long)x + left), oy = Clamp((long long)y + top);
    TRectIG r(ox, oy, Clamp((long long)ox + width), Clamp((long long)oy + height));
    const long long b = borders[StateNormal].width;
    TRectIG q(Clamp(r.left + b + padding.left), Clamp(r.top + b + padding.top), Clamp(r.right - b - padding.right),
              Clamp(r.bottom - b - padding.bottom));
    const double s = GetUIScale();
    const bool horizontal = IsHorizontal();
    const long long offset = ThumbOffset(TrackLength());
    const double iw = image ? image->Width() * s : 0, ih = image ? std::abs(image->Height()) * s : 0;
    if (showValueAsText && image && horizontal && engine) {
        const long long span = (long long)maximumValue - minimumValue;
        DString text;
        text << (span > 0 ? Clamp((long long)value * 100 / span) : 0) << " %";
        const int textWidth = engine->GetTextExtent(font, text, 100, 0).cx;
        TRectIG t = q;
        t.right = Clamp((long long)q.left + textWidth);
        const int shift = (int)(offset - textWidth / 2.0 + iw * 0.5);
        t.left = Clamp((long long)t.left + shift), t.right = Clamp((long long)t.right + shift);
        if (t.right > q.right)
            t.left -= t.right - q.right, t.right = q.right;
        if (t.left < q.left)
            t.right += q.left - t.left, t.left = q.left;
        const int state = IsFocused() && enabled ? StateFocus : StateNormal;
        engine->DrawText(dc, font, TColorIG(foregrounds[state]), nullptr, text, t, 0, -1);
        q.top = Clamp((long long)q.top + font.size + padding.inner);
        r.top = Clamp((long long)r.top + font.size + padding.inner);
    }
    int state = StateNormal;
    if (!enabled)
        state = StateDisabled;
    else if (pressed && !showBackgroundPressedAsProgress)
        state = StatePressed;
    else if (IsFocused())
        state = StateFocus;
    else if (hover)
        state = StateHover;
    PaintStyle(dc, r, state);
    const TPDAUIEngineStyleBackground& progress = backgrounds[StatePressed];
    if (showBackgroundPressedAsProgress && horizontal && progress.kind == TPDAUIEngineStyleBackground::KindImage) {
        const TRectIG previous = dc->GetClipRect();
        TRectIG clip(q.left, q.top, Clamp((long long)(q.left + offset + iw * 0.5)), q.bottom);
        if (previous.Width() > 0 || previous.Height() > 0)
            clip = TRectIG(std::max(clip.left, previous.left), std::max(clip.top, previous.top),
                           std::min(clip.right, previous.right), std::min(clip.bottom, previous.bottom));
        dc->SelectClipRect(clip);
        progress.Draw(dc, q);
        dc->Fin_SelectClipRgn();
        if (previous.Width() != 0)
            dc->SelectClipRect(previous);
    }
    if (!image)
        return;
    TRectIG thumb;
    const TDibIG* picture = image;
    if (horizontal) {
        thumb = TRectIG(Clamp(q.left + offset), q.top, Clamp((long long)(q.left + offset + iw)),
                        Clamp((long long)(q.top + ih)));
        if (r.Height() > thumb.Height()) {
            const int dy = (r.Height() - thumb.Height()) / 2;
            thumb.top += dy, thumb.bottom += dy;
        }
        if (pressed && imagePressed)
            picture = imagePressed;
    } else {
        thumb = TRectIG(q.left, Clamp(q.top + offset), Clamp((long long)(q.left + iw)),
                        Clamp((long long)(q.top + offset + ih)));
    }
    const TColorIG key = engine ? engine->skinSettings.transparentColor : TColorIG(TColoresIG::F_Magenta);
    dc->StretchDIBits_Transparent(thumb, TRectIG(0, 0, image->Width(), std::abs(image->Height())), picture, key);
}

// ---- input ----

void TPDAUIEngineElementTrackBar::OnMouseDown(int x, int y, int kind, int a, int b)
{
    if (!enabled || kind != 0) {
        TPDAUIEngineElement::OnMouseDown(x, y, kind, a, b);
        return;
    }
    pressed = 1;
    dragState = 0;
    pressX = x, pressY = y;
    Invalidate();
}

void TPDAUIEngineElementTrackBar::OnMouseMove(int x, int y, int flags, unsigned char* handled, int a, int b)
{
    if (!enabled || !pressed)
        return;
    const int threshold = TPDAUIEngineUIScale::Truncate(30 * GetUIScale());
    if (dragState == -1)
        return;
    if (dragState == 0) {
        if (y < -5 || y > height + 5) {
            dragState = -1;
            return;
        }
        if (std::abs((long long)x - pressX) <= threshold) {
            Invalidate();
            return;
        }
    }
    dragState = -2;
    const long long length = TrackLength();
    const long long span = (long long)maximumValue - minimumValue;
    const long long b0 = borders[StateNormal].width;
    const long long along = IsHorizontal() ? (long long)x - b0 - padding.left : (long long)y - b0 - padding.top;
    long long v = length > 0 ? along * span / length : minimumValue;
    v = std::max<long long>(minimumValue, std::min<long long>(maximumValue, v));
    value = (int)v;
    if (handled)
        *handled = 1;
    RaiseCommand(onCommand.c_str(), 0, 0, true);
    Invalidate();
}

void TPDAUIEngineElementTrackBar::OnMouseUp(int x, int y, int kind, unsigned char* handled)
{
    if (!enabled || !pressed || kind != 0) {
        RaiseCommand(onCommand.c_str(), 0, 0, true);
        return;
    }
    if (handled)
        *handled = 1;
    pressed = 0;
    if (std::abs((long long)pressY - y) < TPDAUIEngineUIScale::Truncate(30 * GetUIScale()))
        RaiseCommand(onCommand.c_str(), 0, 0, true);
    Invalidate();
}

void TPDAUIEngineElementTrackBar::OnKeyDown(int key, unsigned char* handled, unsigned char* consumed)
{
    if (!enabled || (key != kKeyLeft && key != kKeyRight))
        return;
    if (key == kKeyLeft)
        value = (int)std::max<long long>(minimumValue, (long long)value - smallStep);
    else
        value = (int)std::min<long long>(maximumValue, (long long)value + smallStep);
    if (handled)
        *handled = 1;
    if (consumed)
        *consumed = 1;
    RaiseCommand(onCommand.c_str(), 0, 0, true);
    Invalidate();
}
