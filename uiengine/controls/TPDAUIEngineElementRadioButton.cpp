#include "uiengine/controls/TPDAUIEngineElementRadioButton.h"

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
const int kWordBreak = 0x10, kSingleLine = 0x20, kVCenter = 0x4, kBottom = 0x8, kRight = 0x2, kCenter = 0x1;
const int kWordEllipsis = 0x40000;
const int kMarkWithoutImage = 16;

int Clamp(long long v) { return v < INT_MIN ? INT_MIN : (v > INT_MAX ? INT_MAX : (int)v); }
bool IsTrue(const char* value) { return CDString(value) == "true"; }
} // namespace

TPDAUIEngineElementRadioButton::TPDAUIEngineElementRadioButton()
{
    tag = "radiobutton";
    isFocusable = 1;
    align = AlignAuto;
    pack = AlignCenter;
    padding.inner = Scale(4);
    if (const TPDAUIEngineSkinSettings* s = TPDAUIEngineSkinSettings::Current())
        onCommandSound = s->soundClick;
}

TPDAUIEngineElementRadioButton::~TPDAUIEngineElementRadioButton() = default;

float TPDAUIEngineElementRadioButton::EffectiveImageScale() const
{
    return imageScale > 0.1f ? imageScale : GetUIScale();
}

void TPDAUIEngineElementRadioButton::OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage* p, TPDAUIEngineElement* par,
                                            TPDAUIEngineXml* xmlNode, TFicheroITV* stream)
{
    TPDAUIEngineElement::OnLoad(e, p, par, xmlNode, stream);
    if (stream) {
        bool isChecked = false, breakWords = false;
        float scale = 0;
        int lines = -1;
        *stream >> isChecked >> scale >> breakWords >> lines;
        if (!stream->Error()) {
            checked = isChecked, wordBreak = breakWords, maxLines = lines;
            imageScale = std::isfinite(scale) ? scale : 0.0f;
        }
    }
    if (page && engine) {
        const DString* names = engine->skinSettings.commonImages;
        radioImage = page->resources.GetImage(names[TPDAUIEngineSkinSettings::ImgRadioButton].c_str(), false, false);
        checkedImage =
            page->resources.GetImage(names[TPDAUIEngineSkinSettings::ImgRadioButtonChecked].c_str(), false, false);
        focusImage = page->resources.GetImage(names[TPDAUIEngineSkinSettings::ImgRadioButtonFocus].c_str(), false, false);
    }
}

void TPDAUIEngineElementRadioButton::SetAttribute(const char* name, const char* value)
{
    CDString n(name);
    if (!value)
        value = "";
    if (n == "checked") {
        checked = IsTrue(value);
    } else if (n == "wordBreak") {
        wordBreak = IsTrue(value);
    } else if (n == "imageScale") {
        imageScale = TPDAUIEngineUIScale::Parse(value);
    } else if (n == "maxLines") {
        maxLines = std::atoi(value);
    } else {
        TPDAUIEngineElement::SetAttribute(name, value);
    }
}

DString TPDAUIEngineElementRadioButton::GetAttribute(const char* name)
{
    CDString n(name);
    if (n == "checked")
        return DString(checked ? "true" : "false");
    if (n == "wordBreak")
        return DString(wordBreak ? "true" : "false");
    if (n == "imageScale")
        return TPDAUIEngineUIScale::Text(imageScale);
    if (n == "maxLines") {
        DString out;
        out << maxLines;
        return out;
    }
    return TPDAUIEngineElement::GetAttribute(name);
}

void TPDAUIEngineElementRadioButton::CopyFrom(TPDAUIEngineElement* other)
{
    TPDAUIEngineElement::CopyFrom(other);
    if (auto* o = dynamic_cast<TPDAUIEngineElementRadioButton*>(other)) {
        checked = o->checked, imageScale = o->imageScale, wordBreak = o->wordBreak, maxLines = o->maxLines;
    }
}

void TPDAUIEngineElementRadioButton::Save(TFicheroITV& stream)
{
    TPDAUIEngineElement::Save(stream);
    stream << checked << imageScale << wordBreak << maxLines;
}

int TPDAUIEngineElementRadioButton::MarkSize(int contentHeight) const
{
    return radioImage ? TPDAUIEngineUIScale::Truncate(std::abs(radioImage->Height()) * EffectiveImageScale())
                      : contentHeight;
}

int TPDAUIEngineElementRadioButton::GetMinimumHeight(int w)
{
    const long long b = borders[StateNormal].width;
    const int mark = radioImage ? MarkSize(0) : kMarkWithoutImage;
    long long h = engine ? engine->GetTextExtent(font, label,
                                                 Clamp((long long)w - padding.right - 2 * b - padding.inner -
                                                       padding.left - mark),
                                                 wordBreak ? kWordBreak : 0)
                               .cy
                         : 0;
    h = std::max<long long>(h, font.size);
    h += (long long)padding.top + padding.bottom + 2 * b;
    h = std::max<long long>(h, minimumHeight);
    if (maximumHeight >= 0)
        h = std::min<long long>(h, maximumHeight);
    return Clamp(h);
}

int TPDAUIEngineElementRadioButton::GetMinimumWidth(int)
{
    const long long b = borders[StateNormal].width;
    long long w = engine ? engine->GetTextExtent(font, label, 0, 0).cx : 0;
    w += (long long)padding.left + padding.right + 2 * b + font.size;
    w = std::max<long long>(w, minimumWidth);
    if (maximumWidth >= 0)
        w = std::min<long long>(w, maximumWidth);
    return Clamp(w);
}

void TPDAUIEngineElementRadioButton::Paint(IDC* dc, int x, int y)
{
    if (!dc)
        return;
    TRectIG r, q;
    const int state = PaintToggleFrame(*this, dc, x, y, r, q);
    const int a = MarkSize(q.Height());
    bool end = align == AlignEnd;
    if (align == AlignAuto) {
        const TPDAUIEngineSkinSettings* s = engine ? &engine->skinSettings : TPDAUIEngineSkinSettings::Current();
        end = s && s->rightToLeft;
    }
    TRectIG text;
    double cx, cy = q.top + q.Height() / 2.0;
    int flags;
    if (!end) {
        text = TRectIG(Clamp((long long)q.left + padding.inner + a), q.top, q.right, q.bottom);
        cx = q.left + a / 2.0;
        flags = pack == AlignCenter ? kSingleLine | kVCenter : 0;
    } else {
        text = TRectIG(r.left, r.top, Clamp((long long)r.right - padding.inner - a), r.bottom);
        cx = r.right - a / 2.0;
        flags = pack == AlignCenter ? kSingleLine | kVCenter | kRight : kRight;
    }
    if (pack == AlignEnd) {
        flags |= kBottom;
        cy = q.bottom - a / 2.0;
    }
    if (wordBreak) {
        flags = (flags & ~kSingleLine) | kWordBreak;
        if (align == AlignEnd)
            flags |= kRight;
        else if (align == AlignCenter)
            flags |= kCenter;
    }
    flags |= kWordEllipsis;
    const TColorIG colour(foregrounds[state]);
    const TColorIG key = engine ? engine->skinSettings.transparentColor : TColorIG(TColoresIG::F_Magenta);
    const float s = EffectiveImageScale();
    auto centred = [&](const TDibIG* picture) {
        const double hw = picture->Width() / 2.0 * s, hh = std::abs(picture->Height()) / 2.0 * s;
        const TRectIG dst(Clamp((long long)(cx - hw)), Clamp((long long)(cy - hh)), Clamp((long long)(cx + hw)),
                          Clamp((long long)(cy + hh)));
        dc->StretchDIBits_Transparent(dst, TRectIG(0, 0, picture->Width(), std::abs(picture->Height())), picture, key);
    };
    if ((IsFocused() || hover) && focusImage)
        centred(focusImage);
    if (!checked && radioImage) {
        centred(radioImage);
    } else if (checked && checkedImage) {
        centred(checkedImage);
    } else {
        dc->SetBrush(TColorIG(0, 0, 0));
        dc->SetPen(colour, 1);
        dc->Circle((int)cx, (int)cy, a / 2, false);
        if (checked && a / 2 - 3 > 0) {
            dc->SetBrush(colour);
            dc->Circle((int)cx, (int)cy, a / 2 - 3, true);
        }
    }
    if (engine && !label.IsEmpty())
        engine->DrawText(dc, font, colour, nullptr, label, text, flags, maxLines);
}

void TPDAUIEngineElementRadioButton::Select()
{
    auto* box = dynamic_cast<TPDAUIEngineElementBox*>(parent);
    if (box) {
        for (int i = 0; i < box->children.Count(); ++i)
            if (auto* radio = dynamic_cast<TPDAUIEngineElementRadioButton*>(box->children[i]))
                if (radio->checked) {
                    radio->checked = false;
                    radio->Invalidate();
                }
        checked = true;
    }
    Invalidate();
    RaiseCommand(onCommand.c_str(), 0, 0, true);
}

void TPDAUIEngineElementRadioButton::OnMouseUp(int x, int y, int kind, unsigned char* handled)
{
    if (!enabled) {
        TPDAUIEngineElement::OnMouseUp(x, y, kind, handled);
        return;
    }
    Select();
}

void TPDAUIEngineElementRadioButton::OnKeyDown(int key, unsigned char* handled, unsigned char* consumed)
{
    if (enabled && !checked && (key == kKeyEnter || key == kKeySpace)) {
        Select();
        if (handled)
            *handled = 1;
        return;
    }
    TPDAUIEngineElement::OnKeyDown(key, handled, consumed);
}
