#include "uiengine/core/TPDAUIEngineStyleBorder.h"

#include <algorithm>
#include <climits>
#include <utility>
#include <vector>

#include "enginelib/base/TFicheroITV.h"
#include "enginelib/base/Vector.h"
#include "enginelib/draw/IDC.h"
#include "uiengine/core/TPDAUIEngineSaturate.h"
#include "uiengine/core/TPDAUIEngineSkinSettings.h"
#include "uiengine/core/TPDAUIEngineValueTypes.h"

namespace {

const char* const kKeywords[] = {
    "None", "Solid", "Round", "Outset", "Dotted", "Groove", "Top", "Left", "Right", "Bottom",
    "BottomOutset", "LeftRightBottom", "LeftRightTop", "RightBottom", "LeftBottom", "LeftTop",
};

int StyleFromKeyword(const CDString& word)
{
    for (int i = 0; i < (int)(sizeof(kKeywords) / sizeof(kKeywords[0])); ++i)
        if (word == kKeywords[i])
            return i;
    return TPDAUIEngineStyleBorder::StyleSolid;
}

// The sides each style takes room on, by style number.
enum : unsigned { kTop = 1, kBottom = 2, kLeft = 4, kRight = 8, kAllSides = 15 };
const unsigned char kSides[] = {
    0,                        // None
    kAllSides,                // Solid
    kAllSides,                // Round
    kAllSides,                // Outset
    kAllSides,                // Dotted
    kAllSides,                // Groove
    kTop,                     // Top
    kLeft,                    // Left
    kRight,                   // Right
    kBottom,                  // Bottom
    kBottom,                  // BottomOutset
    kLeft | kRight | kBottom, // LeftRightBottom
    kLeft | kRight | kTop,    // LeftRightTop
    kRight | kBottom,         // RightBottom
    kLeft | kBottom,          // LeftBottom
    kLeft | kTop,             // LeftTop
};

unsigned SidesOf(int style)
{
    return style >= 0 && style < (int)(sizeof(kSides) / sizeof(kSides[0])) ? kSides[style] : 0;
}

int Clamp(long long v) { return TPDAUIEngineSaturate::Clamp(v); }

using Span = std::pair<long long, long long>;  // ring indexes [first, last)

// The ring indexes 0..count-1 whose lines can show on the context's bitmap.
// Every line of ring i stands at L+i, T+i, R-i or B-i (give or take two
// pixels and the pen), so any other i draws nothing: a huge width or a huge
// rectangle costs no more than the bitmap.
std::vector<Span> VisibleRings(const IDC* dc, long long L, long long T, long long R, long long B,
                               long long count, long long radius)
{
    const TRectIG area = dc->GetClientRect();
    const long long x0 = area.left, x1 = area.right, y0 = area.top, y1 = area.bottom;
    const long long slack = 4;
    std::vector<Span> spans = {
        {x0 - L - slack, x1 - L + slack},          // L + i inside [x0, x1)
        {y0 - T - slack, y1 - T + slack},          // T + i
        {R - x1 - slack, R - x0 + slack},          // R - i
        {B - y1 - slack, B - y0 + slack},          // B - i
        {0, radius + 1},                           // round corners reach inward
    };
    for (Span& s : spans) {
        s.first = std::max(s.first, 0LL);
        s.second = std::min(s.second, count);
    }
    std::sort(spans.begin(), spans.end());
    std::vector<Span> merged;
    for (const Span& s : spans) {
        if (s.first >= s.second)
            continue;
        if (!merged.empty() && s.first <= merged.back().second)
            merged.back().second = std::max(merged.back().second, s.second);
        else
            merged.push_back(s);
    }
    return merged;
}

} // namespace

void TPDAUIEngineStyleBorder::Parse(DString text)
{
    if (text.IsEmpty())
        return;
    if (text == "None") {
        style = StyleNone;
        return;
    }
    Vector<DString> words;
    const int n = text.Separa_En_Palabras(" ", words);
    if (n < 3)
        return;
    const float scale = TPDAUIEngineSkinSettings::CurrentScale();
    style = StyleFromKeyword(words[0]);
    if (style == StyleRound && n >= 4)
        radius = TPDAUIEngineUIScale::Multiply(words[3].atoi(), scale);
    width = TPDAUIEngineUIScale::Multiply(words[1].atoi(), scale);
    colour.DecodeFromString(words[2].c_str(), &alpha);
    if (n >= 4) {
        // A word that is no colour gives black.
        TColorIG second;
        second.DecodeFromString(words[3].c_str());
        shade = second;
    } else {
        shade = colour.Negative();
    }
}

void TPDAUIEngineStyleBorder::Draw(IDC* dc, TRectIG rect) const
{
    if (!dc || style == StyleNone)
        return;
    if (width <= 0 && (style == StyleSolid || style == StyleRound || style == StyleOutset ||
                       style == StyleDotted))
        return;
    if (style == StyleDotted) {
        dc->SetBrush(colour, 0);
        dc->SetPen(colour, 1, 0, nullptr, false);
        dc->SetHatchBrush(colour, 2);
        dc->Rectangle_Vacio(rect);
        return;
    }
    if (style < StyleSolid || style > StyleLeftTop)
        return;

    const long long L = rect.left, T = rect.top, R = rect.right, B = rect.bottom;
    auto pen = [dc](TColorIG c) { dc->SetPen(c, 1, 0, nullptr, false); };
    // Lines outside the rectangle are not drawn: a border wider than its
    // element stops at the element's far side.
    auto hline = [dc, T, B](long long x1, long long y, long long x2) {
        if (y >= T && y <= B)
            dc->Line(Clamp(x1), Clamp(y), Clamp(x2), Clamp(y));
    };
    auto vline = [dc, L, R](long long x, long long y1, long long y2) {
        if (x >= L && x <= R)
            dc->Line(Clamp(x), Clamp(y1), Clamp(x), Clamp(y2));
    };
    auto line = [dc](long long x1, long long y1, long long x2, long long y2) {
        dc->Line(Clamp(x1), Clamp(y1), Clamp(x2), Clamp(y2));
    };
    auto frame = [dc](long long l, long long t, long long r, long long b) {
        dc->Rectangle_Vacio(Clamp(l), Clamp(t), Clamp(r), Clamp(b));
    };

    // Rings and radius are bounded by the rectangle: nested frames meet in its
    // middle, lines end at its far side.
    const long long W = std::max(R - L, 0LL), H = std::max(B - T, 0LL);
    const bool framed = style == StyleSolid || style == StyleRound || style == StyleOutset ||
                        style == StyleGroove;
    const long long rings = std::min<long long>(width, framed ? (std::min(W, H) + 1) / 2 : std::max(W, H) + 2);
    const long long reach = style == StyleRound ? std::min<long long>(std::max(radius, 0), std::min(W, H) / 2) : 0;

    if (style == StyleRound)
        dc->SetPen(colour, 2, 0, nullptr, false);
    else
        pen(colour);
    for (const Span& span : VisibleRings(dc, L, T, R, B, rings, reach)) {
        for (long long i = span.first; i < span.second; ++i) {
            switch (style) {
            case StyleSolid:
                frame(L + i, T + i, R - i - 1, B - i - 1);
                break;
            case StyleRound:
                // Past the radius the corners are square.
                dc->Rectangle_Arrodonit_Vacio(
                    TRectIG(Clamp(L + i), Clamp(T + i), Clamp(R - i), Clamp(B - i)),
                    radius - i > 0 ? Clamp(radius - i) : 0);
                break;
            case StyleOutset:
                pen(colour);
                line(L + i, B - i - 1, L + i, T + i);
                line(L + i, T + i, R - i - 1, T + i);
                pen(shade);
                line(R - i - 1, T + i, R - i - 1, B - i - 1);
                line(R - i - 1, B - i - 1, L + i, B - i - 1);
                break;
            case StyleGroove:
                pen(i < width / 2 ? colour : shade);
                frame(L + i, T + i, R - i - 1, B - i - 1);
                break;
            case StyleTop:
                hline(L, T + i, R);
                break;
            case StyleLeft:
                vline(L + i, T, B);
                break;
            case StyleRight:
                vline(R - i, T, B);
                break;
            case StyleBottom:
                hline(L, B - i, R);
                break;
            case StyleBottomOutset:
                pen(colour);
                hline(L, B - i - 1, R);
                pen(shade);
                hline(L, B - i - 2, R);
                break;
            case StyleLeftRightBottom:
                vline(L + i, T, B);
                vline(R - i, T, B);
                hline(L, B - i, R);
                break;
            case StyleLeftRightTop:
                vline(L + i, T, B);
                vline(R - i, T, B);
                hline(L, T + i, R);
                break;
            case StyleRightBottom:
                vline(R - i, T, B);
                hline(L, B - i, R - 1);
                break;
            case StyleLeftBottom:
                vline(L + i, T, B);
                hline(L, B - i, R - 1);
                break;
            case StyleLeftTop:
                vline(L + i, T, B);
                hline(L, T + i, R - 1);
                break;
            default:
                break;
            }
        }
    }
}

void TPDAUIEngineStyleBorder::DeflateRect(TRectIG& rect) const
{
    if (style == StyleNone && width == 0)
        return;
    int d = 0;
    switch (width) {
    case 1:
    case 2:
        d = 1;
        break;
    case 3:
    case 4:
        d = 2;
        break;
    case 5:
        d = 3;
        break;
    case 6:
        d = 4;
        break;
    default:
        d = 0;
        break;
    }
    switch (style) {
    case StyleTop:
    case StyleLeftTop:
        break;
    case StyleLeft:
        rect.left += d;
        break;
    case StyleRight:
        rect.right -= d;
        break;
    case StyleBottom:
        rect.bottom -= d;
        break;
    case StyleLeftRightTop:
        rect.top += d;
        break;
    case StyleLeftBottom:
        rect.left += d;
        rect.bottom -= d;
        break;
    default:
        rect.Inflate(-d, -d);
        break;
    }
}

int TPDAUIEngineStyleBorder::GetTopWidth() const
{
    return SidesOf(style) & kTop ? width : 0;
}

int TPDAUIEngineStyleBorder::GetBottomWidth() const
{
    if (style == StyleBottomOutset)
        return Clamp(2LL * width);
    return SidesOf(style) & kBottom ? width : 0;
}

int TPDAUIEngineStyleBorder::GetLeftWidth() const
{
    return SidesOf(style) & kLeft ? width : 0;
}

int TPDAUIEngineStyleBorder::GetRightWidth() const
{
    return SidesOf(style) & kRight ? width : 0;
}

void TPDAUIEngineStyleBorder::WriteCompiled(TFicheroITV& s) const
{
    const float scale = TPDAUIEngineSkinSettings::CurrentScale();
    s << (char)TPDAUIEngineUIScale::DivideToByte(width, scale) << (unsigned char)style
      << (unsigned int)colour << (unsigned int)shade << (unsigned char)alpha
      << (char)TPDAUIEngineUIScale::DivideToByte(radius, scale);
}

void TPDAUIEngineStyleBorder::ReadCompiled(TFicheroITV& s)
{
    const float scale = TPDAUIEngineSkinSettings::CurrentScale();
    char wb = 0, rb = 0;
    unsigned char st = 0, a = 0;
    unsigned int c = 0, sh = 0;
    s >> wb >> st >> c >> sh >> a >> rb;
    width = TPDAUIEngineUIScale::Multiply((signed char)wb, scale);
    style = st;
    colour = TColorIG(c);
    shade = TColorIG(sh);
    alpha = a;
    radius = TPDAUIEngineUIScale::Multiply((signed char)rb, scale);
}
