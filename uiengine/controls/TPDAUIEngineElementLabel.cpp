#include "uiengine/controls/TPDAUIEngineElementLabel.h"

#include <climits>
#include <cmath>

#include "enginelib/base/TFicheroITV.h"
#include "enginelib/draw/IDC.h"
#include "enginelib/draw/TDibIG.h"
#include "uiengine/core/TPDAUIEngine.h"
#include "uiengine/core/TPDAUIEngineSkinSettings.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"

namespace {

const int kKeyEnter = 13;

// DrawText flags.
const int kCenter = 0x1;
const int kRight = 0x2;
const int kVCenter = 0x4;
const int kBottom = 0x8;
const int kWordBreak = 0x10;
const int kSingleLine = 0x20;
const int kWordEllipsis = 0x40000;
const int kJustify = 0x800000;

int ClampInt(long long v) { return v < INT_MIN ? INT_MIN : (v > INT_MAX ? INT_MAX : (int)v); }

bool IsTrue(const char* value) { return CDString(value) == "true"; }

// Measuring and drawing at another size needs the stock font of that size too.
TPDAUIEngineStyleFont AtSize(const TPDAUIEngineStyleFont& font, int size)
{
    TPDAUIEngineStyleFont sized(font);
    if (sized.size != size) {
        sized.size = size;
        sized.CreateStockFont(nullptr);
    }
    return sized;
}

bool RightToLeft(const TPDAUIEngine* engine)
{
    if (engine)
        return engine->skinSettings.rightToLeft != 0;
    const TPDAUIEngineSkinSettings* s = TPDAUIEngineSkinSettings::Current();
    return s && s->rightToLeft;
}

} // namespace

TPDAUIEngineElementLabel::TPDAUIEngineElementLabel()
{
    tag = "label";
    pack = AlignCenter;
    align = AlignAuto;
    padding.inner = (int)GetUIScale();
}

TPDAUIEngineElementLabel::~TPDAUIEngineElementLabel() = default;

// ---- loading and attributes ----

void TPDAUIEngineElementLabel::OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage* p,
                                      TPDAUIEngineElement* par, TPDAUIEngineXml* xmlNode,
                                      TFicheroITV* stream)
{
    TPDAUIEngineElement::OnLoad(e, p, par, xmlNode, stream);
    if (stream) {
        bool wb = false, we = false, wr = false, si = false, ir = false, rf = false;
        DString target;
        int lines = -1;
        *stream >> wb >> we >> wr >> target >> lines >> si >> ir >> rf;
        // A short record leaves the label as it was; the caller sees the failed stream.
        if (!stream->Error()) {
            wordBreak = wb;
            wordEllipsis = we;
            wordReverse = wr;
            forTarget = target;
            maxLines = lines;
            showImage = si;
            imageReverse = ir;
            resizeFontToEnsureAllTextFits = rf;
        }
    }
    // The skin's paddings are written for left-to-right text. A copy loaded
    // without skin data has its paddings turned already.
    if ((xmlNode || stream) && engine && engine->skinSettings.rightToLeft && align == AlignAuto &&
        !engine->skinCompiling) {
        const int l = padding.left;
        padding.left = padding.right;
        padding.right = l;
    }
}

void TPDAUIEngineElementLabel::SetAttribute(const char* name, const char* value)
{
    CDString n(name);
    if (!value)
        value = "";
    if (n == "wordBreak")
        wordBreak = IsTrue(value);
    else if (n == "wordEllipsis")
        wordEllipsis = IsTrue(value);
    else if (n == "wordReverse")
        wordReverse = IsTrue(value);
    else if (n == "showImage")
        showImage = IsTrue(value);
    else if (n == "imageReverse")
        imageReverse = IsTrue(value);
    else if (n == "resizeFontToEnsureAllTextFits")
        resizeFontToEnsureAllTextFits = IsTrue(value);
    else if (n == "for")
        forTarget = value;
    else if (n == "maxLines")
        maxLines = CDString(value).atoi();
    else
        TPDAUIEngineElement::SetAttribute(name, value);
}

DString TPDAUIEngineElementLabel::GetAttribute(const char* name)
{
    CDString n(name);
    DString out;
    if (n == "wordBreak")
        out << wordBreak;
    else if (n == "wordEllipsis")
        out << wordEllipsis;
    else if (n == "wordReverse")
        out << wordReverse;
    else if (n == "showImage")
        out << showImage;
    else if (n == "imageReverse")
        out << imageReverse;
    else if (n == "resizeFontToEnsureAllTextFits")
        out << resizeFontToEnsureAllTextFits;
    else if (n == "for")
        out = forTarget;
    else if (n == "maxLines")
        out << maxLines;
    else
        return TPDAUIEngineElement::GetAttribute(name);
    return out;
}

void TPDAUIEngineElementLabel::CopyFrom(TPDAUIEngineElement* other)
{
    TPDAUIEngineElement::CopyFrom(other);
    TPDAUIEngineElementLabel* o = dynamic_cast<TPDAUIEngineElementLabel*>(other);
    if (!o || o == this)
        return;
    wordBreak = o->wordBreak;
    wordEllipsis = o->wordEllipsis;
    wordReverse = o->wordReverse;
    imageReverse = o->imageReverse;
    forTarget = o->forTarget;
    showImage = o->showImage;
    maxLines = o->maxLines;
    resizeFontToEnsureAllTextFits = o->resizeFontToEnsureAllTextFits;
}

void TPDAUIEngineElementLabel::Save(TFicheroITV& s)
{
    TPDAUIEngineElement::Save(s);
    s << wordBreak << wordEllipsis << wordReverse << forTarget << maxLines << showImage
      << imageReverse << resizeFontToEnsureAllTextFits;
}

// ---- text and alignment ----

DString TPDAUIEngineElementLabel::DisplayText() const
{
    DString text(label);
    if (font.upperCase)
        text.A_Mayusculas();
    else if (font.lowerCase)
        text.A_Minusculas();
    return text;
}

int TPDAUIEngineElementLabel::EffectiveAlign() const
{
    if (align == AlignAuto)
        return RightToLeft(engine) ? AlignEnd : AlignStart;
    if (align == AlignAutoInvert)
        return RightToLeft(engine) ? AlignStart : AlignEnd;
    return align;
}

int TPDAUIEngineElementLabel::TextFlags(int alignment) const
{
    int flags = 0;
    if (alignment == AlignCenter)
        flags = kCenter;
    else if (alignment == AlignEnd)
        flags = kRight;
    else if (alignment == AlignStretch)
        flags = kJustify;
    if (pack == AlignStart)
        flags |= kSingleLine;
    else if (pack == AlignCenter)
        flags |= kSingleLine | kVCenter;
    else if (pack == AlignEnd)
        flags |= kSingleLine | kBottom;
    if (wordBreak) {
        flags &= ~(kCenter | kRight | kJustify | kSingleLine);
        flags |= kWordBreak;
        if (alignment == AlignEnd)
            flags |= kRight;
        else if (alignment == AlignCenter)
            flags |= kCenter;
    }
    if (wordEllipsis)
        flags |= kWordEllipsis;
    return flags;
}

TRectIG TPDAUIEngineElementLabel::ElementRect(int x, int y) const
{
    const int l = ClampInt((long long)x + left);
    const int t = ClampInt((long long)y + top);
    return TRectIG(l, t, ClampInt((long long)l + width), ClampInt((long long)t + height));
}

TRectIG TPDAUIEngineElementLabel::TextArea(const TRectIG& r) const
{
    const long long b = borders[StateNormal].width;
    return TRectIG(ClampInt(r.left + b + padding.left), ClampInt(r.top + b + padding.top),
                   ClampInt(r.right - b - padding.right), ClampInt(r.bottom - b - padding.bottom));
}

void TPDAUIEngineElementLabel::PaintFrame(IDC* dc, const TRectIG& r, int state)
{
    TRectIG inner = r;
    borders[state].DeflateRect(inner);
    backgrounds[state].Draw(dc, inner);
    borders[state].Draw(dc, r);
}

TColorIG TPDAUIEngineElementLabel::TransparentColor() const
{
    if (engine)
        return engine->skinSettings.transparentColor;
    const TPDAUIEngineSkinSettings* s = TPDAUIEngineSkinSettings::Current();
    return s ? s->transparentColor : TColorIG(TColoresIG::F_Magenta);
}

// ---- geometry ----

int TPDAUIEngineElementLabel::GetMinimumWidth(int availableHeight)
{
    NoteMeasure(false);
    if (!engine)
        return -1;
    const TSizeIG extent =
        engine->GetTextExtent(font, DisplayText(), 0, wordBreak ? kWordBreak : 0);
    long long w = extent.cx;
    if (image)
        w += (long long)font.size + padding.inner;  // the image as a square of the font size
    w += (long long)padding.left + padding.right + 2LL * borders[StateNormal].width;
    return LimitSize(w, minimumWidth, maximumWidth);
}

int TPDAUIEngineElementLabel::GetMinimumHeight(int availableWidth)
{
    // Only wrapped or line-limited text is measured by the width.
    NoteMeasure(wordBreak || maxLines != -1);
    if (!engine)
        return -1;
    const int flags = TextFlags(align);
    DString text = DisplayText();
    if (text.IsEmpty())
        text = "A";
    const long long frameX = 2LL * borders[StateNormal].width + padding.left + padding.right;
    const int innerWidth = ClampInt((long long)availableWidth - frameX);
    const int measured =
        engine->GetTextExtent(font, text, wordBreak ? innerWidth : 1024, flags).cy;
    fittedFontSize = 0;
    long long h = measured;
    if (maxLines != -1) {
        const int cap = engine->GetLinesHeight(font, text, maxLines, innerWidth);
        if (resizeFontToEnsureAllTextFits && wordBreak && measured > cap) {
            // Smaller sizes until the text fits the lines allowed; size 1 is the floor.
            int size = font.size;
            int textHeight = measured;
            while (textHeight > cap && size > 1) {
                --size;
                textHeight = engine->GetTextExtent(AtSize(font, size), text, innerWidth, kWordBreak).cy;
            }
            fittedFontSize = size;
        }
        if (cap < h)
            h = cap;
    }
    h += (long long)padding.top + padding.bottom + 2LL * borders[StateNormal].width;
    return LimitSize(h, minimumHeight, maximumHeight);
}

void TPDAUIEngineElementLabel::SetBounds(int l, int t, int w, int h)
{
    TPDAUIEngineElement::SetBounds(l, t, w, h);
    if (!resizeFontToEnsureAllTextFits || !engine)
        return;
    const long long b2 = 2LL * borders[StateNormal].width;
    const int innerWidth = ClampInt((long long)width - b2 - padding.left - padding.right);
    const int innerHeight = ClampInt((long long)height - b2 - padding.top - padding.bottom);
    const int flags = wordBreak ? kWordBreak : 0;
    const DString text = DisplayText();
    int size = fittedFontSize ? fittedFontSize : font.size;
    while (size > 1 && engine->GetTextExtent(AtSize(font, size), text, innerWidth, flags).cy > innerHeight)
        --size;
    fittedFontSize = size == font.size ? 0 : size;
}

// ---- painting ----

void TPDAUIEngineElementLabel::Paint(IDC* dc, int x, int y)
{
    const TRectIG r = ElementRect(x, y);
    int state = StateNormal;
    if (IsFocused())
        state = StateFocus;
    else if (!enabled)
        state = StateDisabled;
    else if (hover && isFocusable)
        state = StateHover;
    PaintFrame(dc, r, state);

    TRectIG area = TextArea(r);
    const int alignment = EffectiveAlign();
    if (image && showImage && dc) {
        const int imageHeight = std::abs(image->Height());
        const TRectIG source(0, 0, image->Width(), imageHeight);
        const long long side = area.Height();
        TRectIG target = area;
        if (!imageReverse) {
            // A square as tall as the text area, on the side the text is aligned to.
            if (alignment == AlignStart) {
                target.right = ClampInt(area.left + side);
                area.left = ClampInt(area.left + side + padding.inner);
            } else if (alignment == AlignEnd) {
                target.left = ClampInt(area.right - side);
                area.right = ClampInt(area.right - side - padding.inner);
            }
        } else {
            const long long w = (long long)((float)imageHeight * GetUIScale());
            if (alignment == AlignEnd) {
                target.right = ClampInt(area.left + w);
                area.left = ClampInt(area.left + w + padding.inner);
            } else if (alignment == AlignStart) {
                target.left = ClampInt(area.right - w);
                area.right = ClampInt(area.right - w - padding.inner);
            }
        }
        target.Inflate(-1, -1);
        dc->StretchDIBits_Transparent(target, source, image, TransparentColor());
    }

    const DString text = DisplayText();
    if (text.IsEmpty() || !engine)
        return;
    int textAlign = alignment;
    if (wordReverse) {
        if (textAlign == AlignStart)
            textAlign = AlignEnd;
        else if (textAlign == AlignEnd)
            textAlign = AlignStart;
    }
    const int flags = TextFlags(textAlign);
    const TColorIG colour(foregrounds[state]);
    TRectIG rect = area;
    if (fittedFontSize)
        engine->DrawText(dc, AtSize(font, fittedFontSize), colour, nullptr, text, rect, flags, -1);
    else
        engine->DrawText(dc, font, colour, nullptr, text, rect, flags, maxLines);
}

// ---- input ----

void TPDAUIEngineElementLabel::OnMouseDown(int x, int y, int kind, int a, int b)
{
    TPDAUIEngineElement::OnMouseDown(x, y, kind, a, b);
    pressed = 1;
}

void TPDAUIEngineElementLabel::OnMouseUp(int x, int y, int kind, unsigned char* handled)
{
    pressed = 0;
    // Only the primary button clicks a label; other releases go the usual way.
    if (enabled && kind == 0 && !forTarget.IsEmpty()) {
        if (x < 0 || y < 0 || x > width || y > height)
            return;
        TPDAUIEngineElementPage* p = GetPage();
        TPDAUIEngineElement* target = p ? p->FindElement(forTarget.c_str(), false) : nullptr;
        if (target)
            p->SetFocus(target, false);
        else if (!onCommand.IsEmpty())
            RaiseCommand(onCommand.c_str(), ClampInt((long long)x + left), ClampInt((long long)y + top), true);
        return;
    }
    if (enabled && kind == 0 && !onCommand.IsEmpty()) {
        RaiseCommand(onCommand.c_str(), ClampInt((long long)x + left), ClampInt((long long)y + top), true);
        return;
    }
    TPDAUIEngineElement::OnMouseUp(x, y, kind, handled);
}

void TPDAUIEngineElementLabel::OnKeyDown(int key, unsigned char* handled, unsigned char* consumed)
{
    TPDAUIEngineElement::OnKeyDown(key, handled, consumed);
}

void TPDAUIEngineElementLabel::OnKeyUp(int key, unsigned char* handled, int heldTime)
{
    if (enabled && !onCommand.IsEmpty() && key == kKeyEnter) {
        if (handled)
            *handled = 1;
        RaiseCommand(onCommand.c_str(), 0, 0, true);
        return;
    }
    TPDAUIEngineElement::OnKeyUp(key, handled, heldTime);
}

// ---- anchor ----

TPDAUIEngineElementAnchor::TPDAUIEngineElementAnchor()
{
    tag = "anchor";
    isFocusable = 1;
    // 0xFF0000 in the library's colour order (0x00BBGGRR): link blue.
    foregrounds[StateNormal] = TColorIG(0xFF0000u);
    foregrounds[StateHover] = TColorIG(0xFF0000u);
}

TPDAUIEngineElementAnchor::~TPDAUIEngineElementAnchor() = default;

void TPDAUIEngineElementAnchor::OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage* p,
                                       TPDAUIEngineElement* par, TPDAUIEngineXml* xmlNode,
                                       TFicheroITV* stream)
{
    TPDAUIEngineElementLabel::OnLoad(e, p, par, xmlNode, stream);
    if (stream) {
        DString link;
        *stream >> link;
        if (!stream->Error())
            href = link;
    }
}

void TPDAUIEngineElementAnchor::Paint(IDC* dc, int x, int y)
{
    if (!hover) {
        TPDAUIEngineElementLabel::Paint(dc, x, y);
        return;
    }
    const bool underline = font.underline;
    font.underline = true;
    TPDAUIEngineElementLabel::Paint(dc, x, y);
    font.underline = underline;
}

void TPDAUIEngineElementAnchor::SetAttribute(const char* name, const char* value)
{
    if (CDString(name) == "href")
        href = value ? value : "";
    else
        TPDAUIEngineElementLabel::SetAttribute(name, value);
}

DString TPDAUIEngineElementAnchor::GetAttribute(const char* name)
{
    if (CDString(name) == "href")
        return href;
    return TPDAUIEngineElementLabel::GetAttribute(name);
}

void TPDAUIEngineElementAnchor::CopyFrom(TPDAUIEngineElement* other)
{
    TPDAUIEngineElementLabel::CopyFrom(other);
    TPDAUIEngineElementAnchor* o = dynamic_cast<TPDAUIEngineElementAnchor*>(other);
    if (o && o != this)
        href = o->href;
}

void TPDAUIEngineElementAnchor::Save(TFicheroITV& s)
{
    TPDAUIEngineElementLabel::Save(s);
    s << href;
}
