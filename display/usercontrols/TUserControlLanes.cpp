#include "display/usercontrols/TUserControlLanes.h"

#include <algorithm>
#include <string>

#include "app/TOrbetaApp.h"
#include "enginelib/draw/IDC.h"
#include "enginelib/draw/TDibIG.h"
#include "enginelib/nav/TConfig.h"
#include "uiengine/core/TPDAUIEngine.h"

namespace {
const int kMaxUnshortened = 10;
const TColorIG kLaneKey(255, 0, 255);

int Clamp(long long v) { return (int)std::max<long long>(-0x3FFFFFFF, std::min<long long>(v, 0x3FFFFFFF)); }
} // namespace

TUserControlLanes::TUserControlLanes(TOrbetaApp* a) : app(a) { tag = "usercontrol/usercontrolLanes"; }

TUserControlLanes::~TUserControlLanes() {}

TUserControlLanes::Kind TUserControlLanes::KindOf(char c)
{
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))
        return KindLane;
    if ((c >= '1' && c <= '9') || c == '(' || c == ')')
        return KindSeparator;
    return KindOther;
}

DString TUserControlLanes::ShortenLaneText(const DString& text)
{
    std::string s(text.c_str(), text.Length());
    if (!s.empty() && s[0] == '#')
        s.erase(0, 1);
    const int length = (int)s.size();
    if (length <= kMaxUnshortened)
        return DString(s.c_str(), (int)s.size());
    int first = -1, last = -1;
    for (int i = 0; i < length; ++i)
        if (s[i] >= 'A' && s[i] <= 'Z') {
            if (first < 0)
                first = i;
            last = i;
        }
    if (first < 0) {
        // No recommended lane to keep in view: the first ones.
        s.resize(kMaxUnshortened);
    } else if (first < length - last) {
        // The cut stays inside the text even when the last capital ends it.
        const int cut = std::min(std::max(last + 1, 7), length - 1);
        s.resize(cut + 1);
        s[cut] = ')';
    } else {
        const int start = std::max(first - 3, 0);
        s.erase(0, start);
        s[0] = '(';
    }
    return DString(s.c_str(), (int)s.size());
}

int TUserControlLanes::LaneTextWidth(const DString& text, int laneWidth, int separatorWidth)
{
    int total = 0;
    Kind previous = KindOther;
    for (int i = 0; i < text.Length(); ++i) {
        const Kind kind = KindOf(text[i]);
        if (kind == KindOther || kind == previous)
            continue;
        total += kind == KindLane ? laneWidth : separatorWidth;
        previous = kind;
    }
    return total;
}

void TUserControlLanes::Paint(IDC* dc, int x, int y)
{
    TConfig* config = app ? app->engine.config : nullptr;
    if (!app || !config || !config->showLanes) {
        shown = false;
        return;
    }
    TValCampo v;
    app->engine.Retorna_Val_Campo_Global(300, v, true, false);
    if (!(v.valor >= 0.0001 && v.valor <= 1000.0)) {
        shown = false;
        return;
    }
    app->engine.Retorna_Val_Campo_Global(364, v, false, false);
    if (v.texto.IsEmpty()) {
        shown = false;
        return;
    }
    height = std::max(height, Scale(40));
    const DString lanes = ShortenLaneText(v.texto);

    const float scale = GetUIScale();
    const int laneWidth = Scale(32), separatorWidth = Scale(4);
    const int ox = Clamp((long long)x + left), oy = Clamp((long long)y + top);
    const long long total = (long long)LaneTextWidth(lanes, laneWidth, separatorWidth) + Scale(8);
    const TRectIG frame(ox, oy, Clamp(ox + total), Clamp((long long)oy + height));
    PaintStyle(dc, frame, GetState());

    const int border = borders[StateNormal].width;
    int px = Clamp((long long)ox + border + padding.left);
    const int py = Clamp((long long)oy + border + padding.top + Scale(4));
    Kind previous = KindOther;
    int previousWidth = 0;
    for (int i = 0; i < lanes.Length(); ++i) {
        const char c = lanes[i];
        const TDibIG* picture = app->engine.GetDibLaneInfoChar(c);
        if (!picture)
            continue;
        const Kind kind = KindOf(c);
        if (kind != previous && previous != KindOther)
            px = Clamp((long long)px + previousWidth);
        const int w = (int)(picture->Width() * scale), h = (int)(picture->AbsHeight() * scale);
        if (dc)
            dc->StretchDIBits_Transparent(TRectIG(px, py, px + w, py + h),
                                          TRectIG(0, 0, picture->Width(), picture->AbsHeight()), picture,
                                          kLaneKey);
        previous = kind;
        previousWidth = w;
    }
    shown = true;
}

TPDAUIEngineElement* TUserControlLanes::HitTest(int x, int y)
{
    return shown ? TPDAUIEngineElementUserControl::HitTest(x, y) : nullptr;
}
