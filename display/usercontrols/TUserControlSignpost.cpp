#include "display/usercontrols/TUserControlSignpost.h"

#include <algorithm>
#include <string>

#include "enginelib/draw/IDC.h"
#include "uiengine/core/TPDAUIEngine.h"

namespace {
// The signpost is laid out without wrapping: its lines are the text's own.
const int kUnlimitedWidth = 999;
const int kWordBreak = 16;
const int kMaxLines = 64;

int Clamp(long long v) { return (int)std::max<long long>(-0x3FFFFFFF, std::min<long long>(v, 0x3FFFFFFF)); }
} // namespace

TUserControlSignpost::TUserControlSignpost(TOrbetaApp* a) : app(a)
{
    tag = "usercontrol/usercontrolSignpost";
    padding.Clear();
    padding.inner = 2;
}

TUserControlSignpost::~TUserControlSignpost() {}

int TUserControlSignpost::Prepare(const DString& text, const TPDAUIEngineStyleFont& textFont, TColorIG fore)
{
    const float scale = GetUIScale();
    const int size = scale > 0 ? (int)(textFont.size / scale) : textFont.size;
    // The layout is the library's measuring of every piece: done again only
    // when something it depends on changed.
    if (!prepared_ || text != preparedText_ || size != preparedSize_ || textFont.bold != preparedBold_ ||
        fore != preparedFore_ || padding.inner != preparedPadding_) {
        signpost.NewSignPost(text.c_str(), size, textFont.bold, fore, kUnlimitedWidth, padding.inner);
        prepared_ = true;
        preparedText_ = text;
        preparedSize_ = size;
        preparedBold_ = textFont.bold;
        preparedFore_ = fore;
        preparedPadding_ = padding.inner;
    }
    return signpost.Height();
}

int TUserControlSignpost::GetMinimumHeight(int availableWidth)
{
    long long h = 0;
    if (engine) {
        std::string lines;
        for (int i = 0; i < std::min(std::max(lineCount, 0), kMaxLines); ++i)
            lines += "*\n";
        const int contentWidth =
            std::max(0, availableWidth - padding.left - padding.right - 2 * borders[StateNormal].width);
        h = engine->GetTextExtent(font, lines.c_str(), contentWidth, kWordBreak).cy;
    }
    h += (long long)padding.top + padding.bottom + padding.inner;
    NoteMeasure(true);
    return LimitSize(h, minimumHeight, maximumHeight);
}

void TUserControlSignpost::Paint(IDC* dc, int x, int y)
{
    const int ox = Clamp((long long)x + left), oy = Clamp((long long)y + top);
    const TRectIG r(ox, oy, Clamp((long long)ox + width), Clamp((long long)oy + height));
    PaintStyle(dc, r, GetState());
    if (!dc)
        return;
    TFontIG* before = dc->SelectFont(font.stockFont);
    if (!label.IsEmpty())
        Prepare(label, font, foregrounds[GetState()]);
    const int b = borders[StateNormal].width;
    const TRectIG content(Clamp((long long)r.left + b + padding.left), Clamp((long long)r.top + b + padding.top),
                          Clamp((long long)r.right - b - padding.right),
                          Clamp((long long)r.bottom - b - padding.bottom));
    // Within any clip an outer box has set, which comes back afterwards.
    const TRectIG outer = dc->GetClipRect();
    const bool hadClip = !outer.IsEmpty();
    TRectIG clip = content;
    if (hadClip)
        clip.IntersectWith(outer);
    if (clip.right > clip.left && clip.bottom > clip.top) {
        dc->SelectClipRect(clip);
        signpost.Pinta(*dc, TPointIG(content.left, content.top), lineCount);
        if (hadClip)
            dc->SelectClipRect(outer);
        else
            dc->Fin_SelectClipRgn();
    }
    dc->SelectFont(before);
}
