#include "uiengine/controls/TPDAUIEngineElementCheckBox.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "enginelib/base/TFicheroITV.h"
#include "enginelib/draw/IDC.h"
#include "enginelib/draw/TDibIG.h"
#include "uiengine/controls/TPDAUIEngineToggleFrame.h"
#include "uiengine/core/TPDAUIEngine.h"
#include "uiengine/core/TPDAUIEngineSkinSettings.h"
#include "uiengine/core/TPDAUIEngineValueTypes.h"
#include "uiengine/elements/TPDAUIEngineElementBox.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"

namespace {
const int kKeyEnter = 13, kKeySpace = 32;
const int kWordBreak = 0x10, kSingleLine = 0x20, kVCenter = 0x4, kBottom = 0x8, kRight = 0x2;
const int kWordEllipsis = 0x40000;

int Clamp(long long v) { return v < INT_MIN ? INT_MIN : (v > INT_MAX ? INT_MAX : (int)v); }
bool IsTrue(const char* value) { return CDString(value) == "true"; }
} // namespace

TPDAUIEngineElementCheckBox::TPDAUIEngineElementCheckBox()
{
    tag = "checkbox";
    isFocusable = 1;
    align = AlignAuto;
    pack = AlignCenter;
    padding.left = padding.top = padding.right = padding.bottom = Scale(2);
    padding.inner = Scale(4);
    if (const TPDAUIEngineSkinSettings* s = TPDAUIEngineSkinSettings::Current()) {
        imageName = s->commonImages[TPDAUIEngineSkinSettings::ImgCheckBox];
        imageCheckName = s->commonImages[TPDAUIEngineSkinSettings::ImgCheck];
        onCommandSound = s->soundClick;
    } else {
        imageName = "commonCheckBox";
        imageCheckName = "commonCheck";
    }
    imageFocusName = imageName;
    imageFocusName << "Focus";
    imageHoverName = imageName;
    imageHoverName << "Hover";
}

TPDAUIEngineElementCheckBox::~TPDAUIEngineElementCheckBox() = default;

TDibIG* TPDAUIEngineElementCheckBox::LookUp(const DString& name) const
{
    if (name.IsEmpty() || !page)
        return nullptr;
    return page->resources.GetImage(name.c_str(), false, false);
}

float TPDAUIEngineElementCheckBox::EffectiveImageScale() const
{
    return imageScale > 0.1f ? imageScale : GetUIScale();
}

int TPDAUIEngineElementCheckBox::EffectiveAlign() const
{
    if (align != AlignAuto)
        return align == AlignEnd ? AlignEnd : AlignStart;
    const TPDAUIEngineSkinSettings* s = engine ? &engine->skinSettings : TPDAUIEngineSkinSettings::Current();
    return s && s->rightToLeft ? AlignEnd : AlignStart;
}

void TPDAUIEngineElementCheckBox::OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage* p, TPDAUIEngineElement* par,
                                         TPDAUIEngineXml* xmlNode, TFicheroITV* stream)
{
    TPDAUIEngineElement::OnLoad(e, p, par, xmlNode, stream);
    if (stream) {
        DString check, focus, hover;
        bool isChecked = false, breakWords = true, ellipsis = false, onlyImage = false;
        float scale = 0;
        int lines = -1;
        *stream >> check >> focus >> hover >> isChecked >> breakWords >> ellipsis >> onlyImage >> scale >> lines;
        if (!stream->Error()) {
            imageCheckName = check, imageFocusName = focus, imageHoverName = hover;
            checked = isChecked, wordBreak = breakWords, wordEllipsis = ellipsis, onlyUncheckOnImageClick = onlyImage;
            imageScale = std::isfinite(scale) ? scale : 0.0f;
            maxLines = lines;
        }
    }
    if (p) {
        if (TDibIG* i = LookUp(imageCheckName))
            imageCheck = i;
        if (TDibIG* i = LookUp(imageFocusName))
            imageFocus = i;
        if (TDibIG* i = LookUp(imageHoverName))
            imageHover = i;
    }
}

void TPDAUIEngineElementCheckBox::SetAttribute(const char* name, const char* value)
{
    CDString n(name);
    if (!value)
        value = "";
    auto image = [&](DString& imageNameRef, TDibIG*& pointer) {
        imageNameRef = value;
        if (!imageNameRef.IsEmpty())
            pointer = page ? LookUp(imageNameRef) : nullptr;
    };
    if (n == "checked")
        checked = IsTrue(value);
    else if (n == "imageCheck")
        image(imageCheckName, imageCheck);
    else if (n == "imageFocus")
        image(imageFocusName, imageFocus);
    else if (n == "imageHover")
        image(imageHoverName, imageHover);
    else if (n == "wordBreak")
        wordBreak = IsTrue(value);
    else if (n == "wordEllipsis")
        wordEllipsis = IsTrue(value);
    else if (n == "onlyUncheckOnImageClick")
        onlyUncheckOnImageClick = IsTrue(value);
    else if (n == "imageScale")
        imageScale = TPDAUIEngineUIScale::Parse(value);
    else if (n == "maxLines")
        maxLines = std::atoi(value);
    else
        TPDAUIEngineElement::SetAttribute(name, value);
}

DString TPDAUIEngineElementCheckBox::GetAttribute(const char* name)
{
    CDString n(name);
    auto flag = [](bool b) { return DString(b ? "true" : "false"); };
    if (n == "checked")
        return flag(checked);
    if (n == "imageCheck")
        return imageCheckName;
    if (n == "imageFocus")
        return imageFocusName;
    if (n == "imageHover")
        return imageHoverName;
    if (n == "wordBreak")
        return flag(wordBreak);
    if (n == "wordEllipsis")
        return flag(wordEllipsis);
    if (n == "onlyUncheckOnImageClick")
        return flag(onlyUncheckOnImageClick);
    if (n == "imageScale")
        return TPDAUIEngineUIScale::Text(imageScale);
    if (n == "maxLines") {
        DString out;
        out << maxLines;
        return out;
    }
    return TPDAUIEngineElement::GetAttribute(name);
}

void TPDAUIEngineElementCheckBox::CopyFrom(TPDAUIEngineElement* other)
{
    TPDAUIEngineElement::CopyFrom(other);
    auto* o = dynamic_cast<TPDAUIEngineElementCheckBox*>(other);
    if (!o)
        return;
    checked = o->checked;
    imageCheckName = o->imageCheckName, imageCheck = o->imageCheck;
    imageFocusName = o->imageFocusName, imageFocus = o->imageFocus;
    imageHoverName = o->imageHoverName, imageHover = o->imageHover;
    wordBreak = o->wordBreak, wordEllipsis = o->wordEllipsis, onlyUncheckOnImageClick = o->onlyUncheckOnImageClick;
    imageScale = o->imageScale;
    maxLines = o->maxLines;
}

void TPDAUIEngineElementCheckBox::Save(TFicheroITV& stream)
{
    TPDAUIEngineElement::Save(stream);
    stream << imageCheckName << imageFocusName << imageHoverName << checked << wordBreak << wordEllipsis
           << onlyUncheckOnImageClick << imageScale << maxLines;
}

// ---- sizes ----

void TPDAUIEngineElementCheckBox::ComputeCheckColumn()
{
    if (image)
        checkColumnWidth = TPDAUIEngineUIScale::Truncate(std::abs(image->Height()) * EffectiveImageScale());
    else
        checkColumnWidth = std::max<int>(font.size, minimumHeight);
}

int TPDAUIEngineElementCheckBox::GetMinimumHeight(int w)
{
    ComputeCheckColumn();
    const long long b = borders[StateNormal].width;
    const int flags = wordBreak ? kWordBreak : 0;
    long long h = 0;
    if (engine) {
        if (label.IsEmpty())
            h = engine->GetTextExtent(font, CDString("a"), w, flags).cy;
        else
            h = engine->GetTextExtent(font, label,
                                      Clamp((long long)w - padding.right - 2 * b - padding.inner - checkColumnWidth - padding.left),
                                      flags).cy;
        if (maxLines == -1)
            h = std::max<long long>(h, font.size);
        else
            h = std::min<long long>(h, engine->GetLinesHeight(font, label, maxLines,
                                                              Clamp((long long)w - padding.right - 2 * b - padding.left)));
    }
    h += (long long)padding.top + padding.bottom + 2 * b;
    h = std::max<long long>(h, minimumHeight);
    if (maximumHeight >= 0)
        h = std::min<long long>(h, maximumHeight);
    return Clamp(h);
}

int TPDAUIEngineElementCheckBox::GetMinimumWidth(int)
{
    ComputeCheckColumn();
    const long long b = borders[StateNormal].width;
    long long w = engine ? engine->GetTextExtent(font, label, 0, wordBreak ? kWordBreak : 0).cx : 0;
    w += (long long)padding.left + padding.right + 2 * b + padding.inner + checkColumnWidth;
    w = std::max<long long>(w, minimumWidth);
    if (maximumWidth >= 0)
        w = std::min<long long>(w, maximumWidth);
    return Clamp(w);
}

// ---- painting ----

bool TPDAUIEngineElementCheckBox::PreviewsToggle()
{
    TPDAUIEngineElement* e = parent;
    for (int level = 0; level < 4 && e; ++level, e = e->parent) {
        auto* box = dynamic_cast<TPDAUIEngineElementBox*>(e);
        if (!box)
            break;
        if (box->layout == TPDAUIEngineElementBox::LayoutVerticalScroll && box->scrollBar &&
            box->scrollBar->mode == 4)
            return false;
    }
    return true;
}

void TPDAUIEngineElementCheckBox::Paint(IDC* dc, int x, int y)
{
    if (!dc)
        return;
    TRectIG r, q;
    const int state = PaintToggleFrame(*this, dc, x, y, r, q);
    ComputeCheckColumn();
    const int column = checkColumnWidth;
    const float s = GetUIScale();
    TRectIG square, text;
    int flags = 0;
    long long down = 0;
    if (pack == AlignCenter)
        down = q.Height() / 2 - column / 2;
    else if (pack == AlignEnd)
        down = (long long)q.Height() - column;
    if (EffectiveAlign() != AlignEnd) {
        const int l = Clamp((long long)(q.left + s));
        square = TRectIG(l, q.top, Clamp((long long)l + column), Clamp((long long)q.top + column));
        text = TRectIG(Clamp((long long)q.left + column + padding.inner), q.top, q.right, q.bottom);
        if (pack == AlignStart)
            flags = wordBreak ? kWordBreak : kSingleLine;
        else if (pack == AlignCenter)
            flags = (wordBreak ? kWordBreak : kSingleLine) | kVCenter;
        else if (pack == AlignEnd)
            flags = (wordBreak ? kWordBreak : kSingleLine) | kBottom;
    } else {
        square = TRectIG(Clamp((long long)q.right - column), q.top, q.right, Clamp((long long)q.top + column));
        text = TRectIG(q.left, q.top, Clamp((long long)q.right - column - padding.inner), q.bottom);
        if (pack == AlignStart)
            flags = wordBreak ? kWordBreak : 0;
        else if (pack == AlignCenter)
            flags = wordBreak ? (kWordBreak | kVCenter) : kVCenter;
        else if (pack == AlignEnd)
            flags = wordBreak ? (kWordBreak | kBottom) : kBottom;
        flags |= kRight;
    }
    square.top = Clamp(square.top + down);
    square.bottom = Clamp(square.bottom + down);
    if (wordEllipsis)
        flags |= kWordEllipsis;
    const TColorIG colour(foregrounds[state]);
    dc->SetPen(colour, std::max(1, TPDAUIEngineUIScale::Truncate(s)));
    const TColorIG key = engine ? engine->skinSettings.transparentColor : TColorIG(TColoresIG::F_Magenta);
    auto stretch = [&](const TDibIG* picture) {
        dc->StretchDIBits_Transparent(square, TRectIG(0, 0, picture->Width(), std::abs(picture->Height())), picture,
                                      key);
    };
    if (image) {
        const TDibIG* box = image;
        if (IsFocused() && imageFocus)
            box = imageFocus;
        else if (hover && imageHover)
            box = imageHover;
        else if (hover && imageFocus)
            box = imageFocus;
        stretch(box);
    } else {
        dc->Rectangle_Arrodonit_Vacio(square, TPDAUIEngineUIScale::Truncate(2 * s));
    }
    const bool shown = pressed && PreviewsToggle() ? !checked : checked;
    if (shown) {
        if (imageCheck) {
            stretch(imageCheck);
        } else {
            dc->Line(square.left, square.top, square.right, square.bottom);
            dc->Line(square.right, square.top, square.left, square.bottom);
        }
    }
    if (engine && !label.IsEmpty())
        engine->DrawText(dc, font, colour, nullptr, label, text, flags, maxLines);
}

// ---- input ----

void TPDAUIEngineElementCheckBox::Toggle()
{
    checked = !checked;
    Invalidate();
    RaiseCommand(onCommand.c_str(), 0, 0, true);
}

void TPDAUIEngineElementCheckBox::OnMouseDown(int x, int y, int kind, int a, int b)
{
    if (!enabled || kind != 0)
        return;
    pressed = 1;
    Invalidate();
}

void TPDAUIEngineElementCheckBox::OnMouseUp(int x, int y, int kind, unsigned char* handled)
{
    if (!enabled || kind != 0) {
        TPDAUIEngineElement::OnMouseUp(x, y, kind, handled);
        return;
    }
    pressed = 0;
    bool hit = x >= 0 && x <= width && y >= 0 && y <= height;
    if (hit && onlyUncheckOnImageClick && checked) {
        if (EffectiveAlign() != AlignEnd)
            hit = x <= (long long)checkColumnWidth + padding.inner + padding.left;
        else
            hit = x >= (long long)width - checkColumnWidth - padding.inner - padding.right;
    }
    if (hit)
        Toggle();
    else
        Invalidate();
}

void TPDAUIEngineElementCheckBox::OnKeyDown(int key, unsigned char* handled, unsigned char* consumed)
{
    if (!enabled || (key != kKeyEnter && key != kKeySpace)) {
        TPDAUIEngineElement::OnKeyDown(key, handled, consumed);
        return;
    }
    pressed = 1;
    Invalidate();
    if (handled)
        *handled = 1;
}

void TPDAUIEngineElementCheckBox::OnKeyUp(int key, unsigned char* handled, int heldTime)
{
    if (!enabled || (key != kKeyEnter && key != kKeySpace)) {
        TPDAUIEngineElement::OnKeyUp(key, handled, heldTime);
        return;
    }
    pressed = 0;
    if (handled)
        *handled = 1;
    Toggle();
}
