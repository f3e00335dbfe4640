#include "uiengine/controls/TPDAUIEngineElementAutoFitLabel.h"

#include <climits>

#include "enginelib/base/TFicheroITV.h"
#include "enginelib/draw/IDC.h"
#include "uiengine/core/TPDAUIEngine.h"
#include "uiengine/core/TPDAUIEngineValueTypes.h"

namespace {

const int kCenter = 0x1;
const int kRight = 0x2;
const int kBottom = 0x8;
const int kSingleLine = 0x20;
const int kSingleLineVCenter = 0x24;
const int kWrapVCenter = 0x14;
const int kWrapCenter = 0x11;

int ClampInt(long long v) { return v < INT_MIN ? INT_MIN : (v > INT_MAX ? INT_MAX : (int)v); }

// A font size read back in skin pixels.
DString Unscaled(int size)
{
    float scale = TPDAUIEngineElement::GetUIScale();
    if (!(scale > 0.0f))
        scale = 1.0f;
    DString out;
    out << (float)size / scale;
    return out;
}

} // namespace

TPDAUIEngineElementAutoFitLabel::TPDAUIEngineElementAutoFitLabel()
{
    tag = "autofitlabel";
    pack = AlignCenter;
    align = AlignCenter;
}

TPDAUIEngineElementAutoFitLabel::~TPDAUIEngineElementAutoFitLabel() = default;

void TPDAUIEngineElementAutoFitLabel::OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage* p,
                                             TPDAUIEngineElement* par, TPDAUIEngineXml* xmlNode,
                                             TFicheroITV* stream)
{
    TPDAUIEngineElement::OnLoad(e, p, par, xmlNode, stream);
    if (!stream)
        return;
    int minimum = 0, maximum = 0, lines = 0;
    bool autoLines = false;
    *stream >> minimum >> maximum >> lines >> autoLines;
    if (stream->Error())
        return;
    // Sizes are stored in skin pixels like every other length.
    const float scale = GetUIScale();
    minimumFontSize = TPDAUIEngineUIScale::Multiply(minimum, scale);
    maximumFontSize = TPDAUIEngineUIScale::Multiply(maximum, scale);
    maxLines = lines;
    autoCalculateMaxLines = autoLines;
}

void TPDAUIEngineElementAutoFitLabel::SetAttribute(const char* name, const char* value)
{
    CDString n(name);
    if (!value)
        value = "";
    if (n == "minimumFontSize")
        minimumFontSize = Scale(CDString(value).atoi());
    else if (n == "maximumFontSize")
        maximumFontSize = Scale(CDString(value).atoi());
    else if (n == "maxLines")
        maxLines = CDString(value).atoi();
    else if (n == "autoCalculateMaxLines")
        autoCalculateMaxLines = CDString(value) == "true";
    else
        TPDAUIEngineElement::SetAttribute(name, value);
}

DString TPDAUIEngineElementAutoFitLabel::GetAttribute(const char* name)
{
    CDString n(name);
    DString out;
    if (n == "minimumFontSize")
        out = Unscaled(minimumFontSize);
    else if (n == "maximumFontSize")
        out = Unscaled(maximumFontSize);
    else if (n == "maxLines")
        out << maxLines;
    else if (n == "autoCalculateMaxLines")
        out << autoCalculateMaxLines;
    else
        return TPDAUIEngineElement::GetAttribute(name);
    return out;
}

void TPDAUIEngineElementAutoFitLabel::CopyFrom(TPDAUIEngineElement* other)
{
    TPDAUIEngineElement::CopyFrom(other);
    TPDAUIEngineElementAutoFitLabel* o = dynamic_cast<TPDAUIEngineElementAutoFitLabel*>(other);
    if (!o || o == this)
        return;
    minimumFontSize = o->minimumFontSize;
    maximumFontSize = o->maximumFontSize;
    maxLines = o->maxLines;
}

void TPDAUIEngineElementAutoFitLabel::Save(TFicheroITV& s)
{
    TPDAUIEngineElement::Save(s);
    const float scale = GetUIScale();
    s << TPDAUIEngineUIScale::Divide(minimumFontSize, scale)
      << TPDAUIEngineUIScale::Divide(maximumFontSize, scale) << maxLines << autoCalculateMaxLines;
}

void TPDAUIEngineElementAutoFitLabel::SetBounds(int l, int t, int w, int h)
{
    TPDAUIEngineElement::SetBounds(l, t, w, h);
    fittedText.Empty();
}

void TPDAUIEngineElementAutoFitLabel::Paint(IDC* dc, int x, int y)
{
    const int ox = ClampInt((long long)x + left);
    const int oy = ClampInt((long long)y + top);
    const TRectIG r(ox, oy, ClampInt((long long)ox + width), ClampInt((long long)oy + height));
    TRectIG inner = r;
    borders[StateNormal].DeflateRect(inner);
    backgrounds[StateNormal].Draw(dc, inner);
    borders[StateNormal].Draw(dc, r);
    const long long b = borders[StateNormal].width;
    TRectIG area(ClampInt(r.left + b + padding.left), ClampInt(r.top + b + padding.top),
                 ClampInt(r.right - b - padding.right), ClampInt(r.bottom - b - padding.bottom));

    int flags = align == AlignCenter ? kCenter : (align == AlignEnd ? kRight : 0);
    int lines;
    if (autoCalculateMaxLines) {
        // Line breaks of the text do not count: it wraps where the box needs.
        label.Sustituye("\r", " ");
        label.Sustituye("\n", " ");
        lines = -1;
        flags |= kWrapVCenter;
    } else {
        const int natural = label.Contains("\r") ? 2 : 1;
        lines = (maxLines != -1 && maxLines < natural) ? maxLines : natural;
        if (lines == 1)
            flags |= pack == AlignCenter ? kSingleLineVCenter
                                         : (kSingleLine | (pack == AlignEnd ? kBottom : 0));
        else
            flags = kWrapCenter;
    }

    if (label.IsEmpty() || label == "--" || !engine)
        return;
    DString text(label);
    if (font.upperCase)
        text.A_Mayusculas();
    else if (font.lowerCase)
        text.A_Minusculas();

    if (!(label == fittedText)) {
        int size = engine->MeasureText(font, text, area, flags, lines);
        if (size < minimumFontSize)
            size = minimumFontSize;
        if (size > maximumFontSize)
            size = maximumFontSize;
        if (size < 1)
            size = 1;  // limits of 0 in a skin still give a font
        font.size = size;
        font.CreateStockFont(dc);
        fittedText = label;
    }
    if (lines > 1 && pack == AlignCenter) {
        const int linesHeight = engine->GetLinesHeight(font, text, lines, area.Width());
        if (linesHeight < area.Height())
            area.Offset(0, (int)(((long long)area.Height() - linesHeight) / 2));
    }
    engine->AdjustFont(font);
    engine->DrawText(dc, font, TColorIG(foregrounds[StateNormal]), nullptr, text, area, flags, lines);
}
