#include "uiengine/controls/TPDAUIEngineElementButton.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "enginelib/base/TFicheroITV.h"
#include "enginelib/draw/IDC.h"
#include "enginelib/draw/TDibIG.h"
#include "uiengine/core/TPDAUIEngine.h"
#include "uiengine/core/TPDAUIEngineSkinSettings.h"
#include "uiengine/core/TPDAUIEngineValueTypes.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"

namespace {

const int kKeyEnter = 13;
const int kKeySpace = 32;

const int kCenter = 0x1;
const int kRight = 0x2;
const int kSingleLineVCenter = 0x24;
const int kSingleLineBottom = 0x28;
const int kWordEllipsis = 0x40000;

int ClampInt(long long v) { return v < INT_MIN ? INT_MIN : (v > INT_MAX ? INT_MAX : (int)v); }

bool IsTrue(const char* value) { return CDString(value) == "true"; }

bool IsActivationKey(int key) { return key == kKeyEnter || key == kKeySpace; }

// A length of an image at a scale, in whole pixels.
int Scaled(int length, float scale) { return TPDAUIEngineUIScale::Truncate((float)length * scale); }

// A grey copy of image for a disabled button. Pixels of the key colour stay as
// they are, so the copy keeps the image's transparent parts; opacity is kept.
std::unique_ptr<TDibIG> GreyCopy(const TDibIG& image, TColorIG key)
{
    std::unique_ptr<TDibIG> copy(new TDibIG());
    if (!copy->Asigna(image))
        return nullptr;
    const uint16_t keyPixel = key.ToRGB565();
    const int w = copy->Width();
    const int h = copy->AbsHeight();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const TColorIG c = copy->GetPixel(x, y);
            if (c.ToRGB565() == keyPixel)
                continue;
            const int g = (77 * c.R() + 150 * c.G() + 29 * c.B()) / 256;
            copy->SetPixel(x, y, TColorIG(g, g, g));
        }
    return copy;
}

} // namespace

TPDAUIEngineElementButton::TPDAUIEngineElementButton()
{
    tag = "button";
    isFocusable = 1;
    font.bold = true;
    font.CreateStockFont(nullptr);
    pack = AlignCenter;
    align = AlignCenter;
    timerInterval = 50;
    padding.left = Scale(2);
    padding.top = Scale(4);
    padding.right = Scale(2);
    padding.bottom = Scale(4);
    if (const TPDAUIEngineSkinSettings* s = TPDAUIEngineSkinSettings::Current())
        onCommandSound = s->soundButton;
}

TPDAUIEngineElementButton::~TPDAUIEngineElementButton()
{
}

// ---- loading and attributes ----

TDibIG* TPDAUIEngineElementButton::LookUp(const DString& name) const
{
    if (name.IsEmpty() || !page)
        return nullptr;
    return page->resources.GetImage(name.c_str(), false, false);
}

void TPDAUIEngineElementButton::SetImage(DString& name, TDibIG*& img, const char* value)
{
    name = value;
    if (!name.IsEmpty())
        img = LookUp(name);
}

void TPDAUIEngineElementButton::OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage* p,
                                       TPDAUIEngineElement* par, TPDAUIEngineXml* xmlNode,
                                       TFicheroITV* stream)
{
    TPDAUIEngineElement::OnLoad(e, p, par, xmlNode, stream);
    if (stream) {
        DString pressedName, focusName, disabledName, endCommand;
        bool sticky = false, repeat = false, ellipsis = false, mixed = false;
        float scale = 0.0f;
        *stream >> pressedName >> focusName >> disabledName >> sticky >> repeat >> endCommand >> scale >>
            ellipsis >> mixed;
        // A short record leaves the button as it was; the caller sees the failed stream.
        if (!stream->Error()) {
            imagePressedName = pressedName;
            imageFocusName = focusName;
            imageDisabledName = disabledName;
            autoPress = sticky;
            raiseMultipleCommandsWhenPressed = repeat;
            onMultipleCommandEnd = endCommand;
            imageScale = scale;
            wordEllipsis = ellipsis;
            mix = mixed;
        }
    }
    if (!imagePressedName.IsEmpty())
        imagePressed = LookUp(imagePressedName);
    if (!imageFocusName.IsEmpty())
        imageFocus = LookUp(imageFocusName);
    if (!imageDisabledName.IsEmpty())
        imageDisabled = LookUp(imageDisabledName);
}

void TPDAUIEngineElementButton::SetAttribute(const char* name, const char* value)
{
    CDString n(name);
    if (!value)
        value = "";
    if (n == "imagePressed")
        SetImage(imagePressedName, imagePressed, value);
    else if (n == "imageFocus")
        SetImage(imageFocusName, imageFocus, value);
    else if (n == "imageDisabled")
        SetImage(imageDisabledName, imageDisabled, value);
    else if (n == "autoPress")
        autoPress = IsTrue(value);
    else if (n == "raiseMultipleCommandsWhenPressed")
        raiseMultipleCommandsWhenPressed = IsTrue(value);
    else if (n == "onMultipleCommandEnd")
        onMultipleCommandEnd = value;
    else if (n == "imageScale")
        imageScale = TPDAUIEngineUIScale::Parse(value);
    else if (n == "wordEllipsis")
        wordEllipsis = IsTrue(value);
    else if (n == "mix")
        mix = IsTrue(value);
    else
        TPDAUIEngineElement::SetAttribute(name, value);
}

DString TPDAUIEngineElementButton::GetAttribute(const char* name)
{
    CDString n(name);
    DString out;
    if (n == "imagePressed")
        out = imagePressedName;
    else if (n == "imageFocus")
        out = imageFocusName;
    else if (n == "imageDisabled")
        out = imageDisabledName;
    else if (n == "onMultipleCommandEnd")
        out = onMultipleCommandEnd;
    else if (n == "imageScale")
        out = TPDAUIEngineUIScale::Text(imageScale);
    else if (n == "autoPress")
        out << autoPress;
    else if (n == "raiseMultipleCommandsWhenPressed")
        out << raiseMultipleCommandsWhenPressed;
    else if (n == "wordEllipsis")
        out << wordEllipsis;
    else if (n == "mix")
        out << mix;
    else
        return TPDAUIEngineElement::GetAttribute(name);
    return out;
}

void TPDAUIEngineElementButton::CopyFrom(TPDAUIEngineElement* other)
{
    TPDAUIEngineElement::CopyFrom(other);
    TPDAUIEngineElementButton* o = dynamic_cast<TPDAUIEngineElementButton*>(other);
    if (!o || o == this)
        return;
    imagePressedName = o->imagePressedName;
    imagePressed = o->imagePressed;
    imageFocusName = o->imageFocusName;
    imageFocus = o->imageFocus;
    imageDisabledName = o->imageDisabledName;
    imageDisabled = o->imageDisabled;
    autoPress = o->autoPress;
    raiseMultipleCommandsWhenPressed = o->raiseMultipleCommandsWhenPressed;
    pressed = o->pressed;
    onMultipleCommandEnd = o->onMultipleCommandEnd;
    imageScale = o->imageScale;
    wordEllipsis = o->wordEllipsis;
    mix = o->mix;
}

void TPDAUIEngineElementButton::Save(TFicheroITV& s)
{
    TPDAUIEngineElement::Save(s);
    s << imagePressedName << imageFocusName << imageDisabledName << autoPress
      << raiseMultipleCommandsWhenPressed << onMultipleCommandEnd << imageScale << wordEllipsis << mix;
}

// ---- geometry ----

float TPDAUIEngineElementButton::EffectiveImageScale() const
{
    return imageScale > 0.1f ? imageScale : GetUIScale();
}

int TPDAUIEngineElementButton::EffectiveAlign() const
{
    if (align != AlignAuto)
        return align;
    return engine && engine->skinSettings.rightToLeft ? AlignEnd : AlignStart;
}

int TPDAUIEngineElementButton::GetMinimumHeight(int availableWidth)
{
    // One line of text (no word break): its height does not depend on the width.
    NoteMeasure(false);
    const TPDAUIEngineStyleBackground& back = backgrounds[StateNormal];
    long long h;
    if (back.kind == TPDAUIEngineStyleBackground::KindImage && back.image) {
        h = Scaled(std::abs(back.image->Height()), GetUIScale());
    } else if (image) {
        h = Scaled(std::abs(image->Height()), EffectiveImageScale());
    } else {
        DString text(label);
        if (font.upperCase)
            text.A_Mayusculas();
        else if (font.lowerCase)
            text.A_Minusculas();
        h = engine ? engine->GetTextExtent(font, text, availableWidth, 0).cy : 0;
        h += 2LL * borders[StateNormal].width + padding.top + padding.bottom;
    }
    return LimitSize(h, minimumHeight, maximumHeight);
}

int TPDAUIEngineElementButton::GetMinimumWidth(int availableHeight)
{
    NoteMeasure(false);
    const TPDAUIEngineStyleBackground& back = backgrounds[StateNormal];
    long long w;
    if (back.kind == TPDAUIEngineStyleBackground::KindImage && back.image) {
        w = Scaled(back.image->Width(), GetUIScale());
    } else {
        const long long imageWidth = image ? Scaled(image->Width(), EffectiveImageScale()) : 0;
        DString text(label);
        if (font.upperCase)
            text.A_Mayusculas();
        else if (font.lowerCase)
            text.A_Minusculas();
        long long textWidth = engine ? engine->GetTextExtent(font, text, 0, 0).cx : 0;
        textWidth += (long long)padding.left + padding.right + 2LL * borders[StateNormal].width;
        w = imageWidth > textWidth ? imageWidth : textWidth;
    }
    return LimitSize(w, minimumWidth, maximumWidth);
}

// ---- painting ----

void TPDAUIEngineElementButton::Paint(IDC* dc, int x, int y)
{
    const int ox = ClampInt((long long)x + left);
    const int oy = ClampInt((long long)y + top);
    const TRectIG r(ox, oy, ClampInt((long long)ox + width), ClampInt((long long)oy + height));
    const int state = GetState();

    if (state == StatePressed && IsFocused())
        backgrounds[StateFocus].Draw(dc, r);
    TRectIG inner = r;
    borders[state].DeflateRect(inner);
    backgrounds[state].Draw(dc, inner);
    borders[state].Draw(dc, r);

    const TColorIG key = engine ? engine->skinSettings.transparentColor
                                : (TPDAUIEngineSkinSettings::Current()
                                       ? TPDAUIEngineSkinSettings::Current()->transparentColor
                                       : TColorIG(TColoresIG::F_Magenta));
    std::unique_ptr<TDibIG> grey;
    const TDibIG* picture = image;
    if (state == StateDisabled) {
        if (imageDisabled)
            picture = imageDisabled;
        else if (pressed && imagePressed)
            picture = imagePressed;
        else if (image)
            picture = (grey = GreyCopy(*image, key)).get();
    } else if (state == StatePressed) {
        if (imagePressed)
            picture = imagePressed;
    } else if (state == StateFocus) {
        if (imageFocus)
            picture = imageFocus;
    }

    const long long b = borders[StateNormal].width;
    TRectIG textRect(ClampInt(r.left + b + padding.left), ClampInt(r.top + b + padding.top),
                     ClampInt(r.right - b - padding.right), ClampInt(r.bottom - b - padding.bottom));
    const int alignment = EffectiveAlign();
    if (picture && dc) {
        const float s = EffectiveImageScale();
        const long long w = Scaled(picture->Width(), s);
        const long long h = Scaled(std::abs(picture->Height()), s);
        const long long rw = r.Width();
        const long long rh = r.Height();
        const long long imageTop = r.top + rh / 2 - h / 2;
        long long imageLeft;
        if (!mix)
            imageLeft = r.left + rw / 2 - w / 2;
        else if (alignment != AlignEnd)
            imageLeft = r.left;
        else if (rw > rh)
            imageLeft = r.left + rw - rh / 2 - w / 2;
        else
            imageLeft = r.right - w;
        TRectIG target(ClampInt(imageLeft), ClampInt(imageTop), ClampInt(imageLeft + w),
                       ClampInt(imageTop + h));
        if (mix) {
            if (alignment != AlignEnd)
                textRect.left = target.right;
            else
                textRect.right = target.left;
            const int inset = ClampInt(2LL * borders[StateNormal].radius);
            target.Inflate(-inset, -inset);
        }
        dc->StretchDIBits_Transparent(target, TRectIG(0, 0, picture->Width(), std::abs(picture->Height())),
                                      picture, key);
    }

    if (label.IsEmpty() || (!mix && image) || !engine)
        return;
    DString text(label);
    if (font.upperCase)
        text.A_Mayusculas();
    else if (font.lowerCase)
        text.A_Minusculas();
    int flags = 0;
    if (alignment == AlignCenter)
        flags |= kCenter;
    else if (alignment == AlignEnd)
        flags |= kRight;
    if (pack == AlignCenter)
        flags |= kSingleLineVCenter;
    else if (pack == AlignEnd)
        flags |= kSingleLineBottom;
    if (wordEllipsis)
        flags |= kWordEllipsis;
    engine->DrawText(dc, font, TColorIG(foregrounds[state]), nullptr, text, textRect, flags, -1);
}

// ---- input ----

// Presses of another kind (secondary, middle) are not the button's: they are
// dropped, not passed on.
void TPDAUIEngineElementButton::OnMouseDown(int x, int y, int kind, int a, int b)
{
    if (kind != 0 || !enabled)
        return;
    if (autoPress) {
        pressed = pressed ? 0 : 1;
        Invalidate();
    } else if (raiseMultipleCommandsWhenPressed) {
        repeatRaised = false;
        if (timerRunning)
            return;
        pressed = 1;
        StartTimer();
        Invalidate();
    } else {
        pressed = 1;
        Invalidate();
    }
}

void TPDAUIEngineElementButton::OnMouseMove(int x, int y, int flags, unsigned char* handled, int a, int b) {}

void TPDAUIEngineElementButton::OnMouseUp(int x, int y, int kind, unsigned char* handled)
{
    if (kind != 0)
        return;
    if (!enabled) {
        pressed = 0;
        StopTimer();
        Invalidate();
    } else if (autoPress) {
        RaiseCommand(onCommand.c_str(), 0, 0, true);
    } else if (raiseMultipleCommandsWhenPressed) {
        pressed = 0;
        StopTimer();
        // Repaint first: either command may delete the button.
        Invalidate();
        TPDAUIEngineAliveGuards::Guard guard(alive_);
        if (!repeatRaised)
            RaiseCommand(onCommand.c_str(), 0, 0, true);
        if (guard.alive && !onMultipleCommandEnd.IsEmpty())
            RaiseCommand(onMultipleCommandEnd.c_str(), 0, 0, false);
    } else {
        pressed = 0;
        Invalidate();
        // Both far edges count as inside.
        if (x >= 0 && x <= width && y >= 0 && y <= height)
            RaiseCommand(onCommand.c_str(), 0, 0, true);
    }
}

void TPDAUIEngineElementButton::OnHoverLeave(int x, int y, int flags)
{
    // Leaving cancels a press. The hover look goes too, or it would stay.
    const bool changed = pressed || hover;
    pressed = 0;
    hover = 0;
    if (raiseMultipleCommandsWhenPressed)
        StopTimer();
    if (changed)
        Invalidate();
}

void TPDAUIEngineElementButton::OnContextMenu(int x, int y, unsigned char* handled) {}

// A disabled button takes Enter and space without acting on them, as it does
// with the pointer.
void TPDAUIEngineElementButton::OnKeyDown(int key, unsigned char* handled, unsigned char* consumed)
{
    if (!IsActivationKey(key)) {
        TPDAUIEngineElement::OnKeyDown(key, handled, consumed);
        return;
    }
    if (handled)
        *handled = 1;
    if (!enabled)
        return;
    pressed = 1;
    Invalidate();
}

void TPDAUIEngineElementButton::OnKeyPress(int character, unsigned char* handled,
                                           unsigned char* consumed, int extra)
{
    if (IsActivationKey(character)) {
        if (handled)
            *handled = 1;
        return;
    }
    TPDAUIEngineElement::OnKeyPress(character, handled, consumed, extra);
}

void TPDAUIEngineElementButton::OnKeyUp(int key, unsigned char* handled, int heldTime)
{
    if (!IsActivationKey(key)) {
        TPDAUIEngineElement::OnKeyUp(key, handled, heldTime);
        return;
    }
    if (handled)
        *handled = 1;
    pressed = 0;
    Invalidate();
    if (enabled)
        RaiseCommand(onCommand.c_str(), 0, 0, true);
}

void TPDAUIEngineElementButton::Click()
{
    OnMouseDown(0, 0, 0, engine ? engine->GetTickCount() : 0, 0);
}

void TPDAUIEngineElementButton::ReleaseClick()
{
    unsigned char handled = 0;
    OnMouseUp(0, 0, 0, &handled);
}

void TPDAUIEngineElementButton::OnTimer(int interval, int now)
{
    if (!raiseMultipleCommandsWhenPressed || autoPress)
        return;
    if (enabled) {
        repeatRaised = true;
        RaiseCommand(onCommand.c_str(), 0, 0, false);
    } else {
        pressed = 0;
        StopTimer();
        Invalidate();
    }
}
