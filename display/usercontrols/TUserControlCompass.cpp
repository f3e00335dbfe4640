#include "display/usercontrols/TUserControlCompass.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "app/TOrbetaApp.h"
#include "enginelib/draw/IDC.h"
#include "enginelib/draw/StretchData.h"
#include "enginelib/draw/TDibIG.h"
#include "enginelib/nav/TValCampo.h"
#include "uiengine/core/TPDAUIEngine.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"

namespace {
const double kPi = 3.14159265358979323846;
const int kFieldCourse = 47;
const int kFieldBearing = 313;
const int kTimerMs = 50;
// A course that moved by this much or less waits for the tick limit.
const int kCourseStep = 5;
const unsigned kTickLimitMs = 750;
// Sizes in skin pixels that choose the look.
const int kDialAbove = 64, kRoseAbove = 37, kRoseNarrowerThan = 100;
// The tape: a degree a pixel.
const int kTapeWidth = 360, kTapeHeight = 32;
const int kTextCentred = 1 | 4 | 32;  // centre, middle, one line
const int kRotatedKeyed = 33;

// Radians of -degrees, in -pi .. pi.
double TurnOf(double degrees)
{
    double a = std::fmod(-degrees * kPi / 180.0, 2 * kPi);
    if (a > kPi)
        a -= 2 * kPi;
    else if (a < -kPi)
        a += 2 * kPi;
    return a;
}

int ImageHeight(const TDibIG* image) { return std::abs(image->Height()); }

// The largest rectangle of the image's proportions inside area, centred.
TRectIG Fitted(const TDibIG* image, double width, double height, const TRectIG& area)
{
    const double aw = area.right - area.left, ah = area.bottom - area.top;
    double w = width, h = height;
    if (w > aw || h > ah) {
        const double f = std::min(aw / w, ah / h);
        w *= f;
        h *= f;
    }
    const int iw = std::max(0, (int)w), ih = std::max(0, (int)h);
    const int l = area.left + (int)((aw - iw) / 2), t = area.top + (int)((ah - ih) / 2);
    return TRectIG(l, t, l + iw, t + ih);
}

// The whole image turned by angle radians about the centre of dst.
void DrawTurned(IDC* dc, const TDibIG* image, const TRectIG& dst, double angle)
{
    const TRectIG src(0, 0, image->Width(), ImageHeight(image));
    TMatriz3RodAdv m;
    m.SetRotation((float)angle, src, dst);
    dc->StretchDIBits_Adv(dst, src, image, TAdvStetchDIBitsData(kRotatedKeyed, 0, 0, 255, &m, 0, 0));
}

// The pixels the turn of DrawTurned can touch: its corners' bounds.
bool TurnedBox(const TDibIG* image, const TRectIG& dst, double angle, TRectIG& box)
{
    const TRectIG src(0, 0, image->Width(), ImageHeight(image));
    TMatriz3RodAdv m;
    m.SetRotation((float)angle, src, dst);
    double x0 = 0, x1 = 0, y0 = 0, y1 = 0;
    for (int i = 0; i < 4; ++i) {
        double x, y;
        m.Transform(i & 1 ? src.right : src.left, i & 2 ? src.bottom : src.top, x, y);
        x0 = i ? std::min(x0, x) : x;
        x1 = i ? std::max(x1, x) : x;
        y0 = i ? std::min(y0, y) : y;
        y1 = i ? std::max(y1, y) : y;
    }
    // Far outside int range nothing is kept (drawn directly instead).
    const double limit = 1e9;
    if (!(x0 > -limit && x1 < limit && y0 > -limit && y1 < limit))
        return false;
    box = TRectIG((int)std::floor(x0), (int)std::floor(y0), (int)std::ceil(x1), (int)std::ceil(y1));
    return TDibIG::SizeAllowed(box.right - box.left, box.bottom - box.top);
}

// Within the clip already set (if any) and r.
class TClipScope {
public:
    TClipScope(IDC* dc, const TRectIG& r) : dc_(dc), outer_(dc->GetClipRect())
    {
        hadClip_ = !(outer_.left == 0 && outer_.top == 0 && outer_.right == 0 && outer_.bottom == 0);
        TRectIG clip = r;
        if (hadClip_)
            clip.IntersectWith(outer_);
        dc_->SelectClipRect(clip);
    }
    ~TClipScope()
    {
        if (hadClip_)
            dc_->SelectClipRect(outer_);
        else
            dc_->Fin_SelectClipRgn();
    }
    TClipScope(const TClipScope&) = delete;
    TClipScope& operator=(const TClipScope&) = delete;

private:
    IDC* dc_;
    TRectIG outer_;
    bool hadClip_ = false;
};
} // namespace

TUserControlCompass::TUserControlCompass(TOrbetaApp* app) : app(app)
{
    tag = "usercontrol/usercontrolCompass";
    font.size = 18;
    font.bold = true;
    timerInterval = kTimerMs;
}

void TUserControlCompass::OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage* p, TPDAUIEngineElement* par,
                                 TPDAUIEngineXml* xmlNode, TFicheroITV* stream)
{
    TPDAUIEngineElementUserControl::OnLoad(e, p, par, xmlNode, stream);
    if (!engine)
        return;
    TPDAUIEngineResources& store = engine->resources;
    image = store.GetImage("commonCompas");
    imgBackground2 = store.GetImage("commonCompas2Background");
    imgForeground2 = store.GetImage("commonCompas2Foreground");
    imgForeground2b = store.GetImage("commonCompas2Foreground2");
    imgArrow = store.GetImage("commonCompasArrow1");
    imgBackground3 = store.GetImage("commonCompas3Background");
    imgForeground3 = store.GetImage("commonCompas3Foreground");
    timerInterval = kTimerMs;
    StartTimer();
}

int TUserControlCompass::ReadCourse() const
{
    TValCampo v;
    if (!app || !app->engine.Retorna_Val_Campo_Global(kFieldCourse, v, false, false))
        return 0;
    return v.AsInteger();
}

TUserControlCompass::EStyle TUserControlCompass::StyleForSize() const
{
    const float s = GetUIScale();
    if ((float)height > kDialAbove * s && image)
        return StyleDial;
    if (imgBackground3 && imgForeground3 && ((float)height > kRoseAbove * s || (float)width < kRoseNarrowerThan * s))
        return StyleRose;
    if (imgBackground2)
        return StyleTape;
    return StyleNone;
}

void TUserControlCompass::Paint(IDC* dc, int x, int y)
{
    TPDAUIEngineElementUserControl::Paint(dc, x, y);
    course = ReadCourse();
    ticks = 0;
    if (!dc)
        return;
    const long long ox = (long long)x + left, oy = (long long)y + top;
    const long long b = borders[StateNormal].width;
    const long long l = ox + b + padding.left, t = oy + b + padding.top;
    const long long r = ox + width - b - padding.right, btm = oy + height - b - padding.bottom;
    if (l >= r || t >= btm || l < INT_MIN || r > INT_MAX || t < INT_MIN || btm > INT_MAX)
        return;
    const TRectIG content((int)l, (int)t, (int)r, (int)btm);
    switch (StyleForSize()) {
    case StyleDial:
        PaintDial(dc, content);
        break;
    case StyleRose:
        PaintRose(dc, content);
        break;
    case StyleTape:
        PaintTape(dc, content);
        break;
    case StyleNone:
        break;
    }
}

void TUserControlCompass::PaintDial(IDC* dc, const TRectIG& content)
{
    const float s = GetUIScale();
    TRectIG area = content;
    const int inset = (int)(2 * s);
    area.Inflate(-inset, -inset);
    if (area.right <= area.left || area.bottom <= area.top)
        return;
    const TRectIG dial = Fitted(image, image->Width() * s, ImageHeight(image) * s, area);
    if (dial.right <= dial.left || dial.bottom <= dial.top)
        return;
    const double turn = TurnOf(course);
    if (keepTurns)
        keptDial.Draw(dc, image, dial, turn);
    else
        DrawTurned(dc, image, dial, turn);

    // The letters go round with the dial, upright, inside its rim.
    if (engine) {
        TPDAUIEngineStyleFont letterFont = font;
        double radius = std::min(dial.right - dial.left, dial.bottom - dial.top) / 2.0 - font.size / 2.0;
        if (radius <= 24) {
            letterFont.size = std::max(1, font.size - 6);
            radius += 4;
        }
        const double cx = (dial.left + dial.right) / 2.0, cy = (dial.top + dial.bottom) / 2.0;
        const char* letters[] = {"N", "E", "S", "W"};
        for (int i = 0; i < 4; ++i) {
            const DString letter(letters[i]);
            const TSizeIG size = engine->GetTextExtent(letterFont, letter);
            const double a = i * kPi / 2 + turn;
            const int px = (int)std::lround(cx + radius * std::sin(a)), py = (int)std::lround(cy - radius * std::cos(a));
            const int w = std::max(1, size.cx), h = std::max(1, size.cy);
            TRectIG box(px - w / 2, py - h / 2, px - w / 2 + w, py - h / 2 + h);
            engine->DrawText(dc, letterFont, TColorIG(foregrounds[StateNormal]), nullptr, letter, box, kTextCentred);
        }
    }

    TValCampo bearing;
    if (imgArrow && app && app->engine.Retorna_Val_Campo_Global(kFieldBearing, bearing, false, false) &&
        (float)bearing.valor >= -360.0f && std::isfinite(bearing.valor)) {
        const double a = std::fmod((double)(float)bearing.valor, 360.0) * kPi / 180.0;
        if (keepTurns)
            keptArrow.Draw(dc, imgArrow, dial, a);
        else
            DrawTurned(dc, imgArrow, dial, a);
    }
}

bool TUserControlCompass::TKeptTurn::Make(const TDibIG* image, const TRectIG& dst, double angle, const TRectIG& part)
{
    valid_ = false;
    const int w = part.right - part.left, h = part.bottom - part.top;
    if (picture_.Width() == w && picture_.AbsHeight() == h && picture_.Tiene_Alphas()) {
        for (int y = 0; y < h; ++y)
            std::memset(picture_.Row(y), 0, (size_t)w * 4);
        picture_.Touch();
    } else if (!picture_.Crea(w, h, 32, true)) {
        return false;
    }
    // The same turn onto transparent black, moved by whole pixels so that the
    // part drawn starts where the picture does, as on the target: what it
    // lays over the target, premultiplied.
    IDC off;
    if (!off.BeginPaintDib(&picture_))
        return false;
    DrawTurned(&off, image,
               TRectIG(dst.left - part.left, dst.top - part.top, dst.right - part.left, dst.bottom - part.top), angle);
    off.EndPaintDib();
    picture_.SetPreMultipliedFlag(true);
    // Only the rectangle around what the turn covered is copied: laying a
    // transparent pixel over the target leaves it as it is.
    int x0 = w, x1 = 0, y0 = h, y1 = 0;
    for (int y = 0; y < h; ++y) {
        const uint32_t* row = reinterpret_cast<const uint32_t*>(picture_.Row(y));
        for (int x = 0; x < w; ++x)
            if (row[x] >> 24) {
                x0 = std::min(x0, x);
                x1 = std::max(x1, x + 1);
                y0 = std::min(y0, y);
                y1 = y + 1;
            }
    }
    covered_ = x0 < x1 ? TRectIG(x0, y0, x1, y1) : TRectIG();
    ++turns;
    part_ = part;
    dst_ = dst;
    angle_ = angle;
    image_ = image;
    version_ = image->Version();
    valid_ = true;
    return true;
}

void TUserControlCompass::TKeptTurn::Draw(IDC* dc, const TDibIG* image, const TRectIG& dst, double angle)
{
    // The part of the turn the target shows: its samples are placed from that
    // part's corner, so the picture is made for the same part.
    TRectIG box, part;
    const TDibIG* target = dc->GetDib();
    if (!target || !TurnedBox(image, dst, angle, box)) {
        DrawTurned(dc, image, dst, angle);
        return;
    }
    TRectIG shown(0, 0, target->Width(), target->AbsHeight());
    const TRectIG clip = dc->GetClipRect();
    if (!(clip.left == 0 && clip.top == 0 && clip.right == 0 && clip.bottom == 0) && !shown.Intersect(clip, shown))
        return;
    if (!part.Intersect(box, shown))
        return;
    const bool same = valid_ && image == image_ && image->Version() == version_ && dst == dst_ && angle == angle_ &&
                      part == part_;
    if (!same && !Make(image, dst, angle, part)) {
        DrawTurned(dc, image, dst, angle);
        return;
    }
    if (covered_.IsEmpty())
        return;
    TRectIG to = covered_;
    to.Offset(part_.left, part_.top);
    dc->StretchDIBits_Adv(to, covered_, &picture_, TAdvStetchDIBitsData());
}

void TUserControlCompass::PaintRose(IDC* dc, const TRectIG& content)
{
    const TRectIG ring = Fitted(imgBackground3, content.right - content.left, content.bottom - content.top, content);
    if (ring.right <= ring.left || ring.bottom <= ring.top)
        return;
    const TColorIG key = engine ? engine->skinSettings.transparentColor : TColoresIG::F_Magenta;
    dc->StretchDIBits_Transparent(ring, TRectIG(0, 0, imgBackground3->Width(), ImageHeight(imgBackground3)),
                                  imgBackground3, key);
    if (keepTurns)
        keptRose.Draw(dc, imgForeground3, ring, TurnOf(course));
    else
        DrawTurned(dc, imgForeground3, ring, TurnOf(course));
}

void TUserControlCompass::PaintTape(IDC* dc, const TRectIG& content)
{
    const float s = GetUIScale();
    const int tapeW = std::max(1, (int)(kTapeWidth * s)), tapeH = std::max(1, (int)(kTapeHeight * s));
    const TColorIG key = engine ? engine->skinSettings.transparentColor : TColoresIG::F_Magenta;
    const int contentW = content.right - content.left, contentH = content.bottom - content.top;
    const int top = content.top + (contentH - tapeH) / 2;
    const int centre = content.left + contentW / 2;
    // The course's degree stands under the centre; the copies either side make
    // the tape wrap at 0 and 360.
    int degrees = course % 360;
    if (degrees < 0)
        degrees += 360;
    const int shift = (int)std::lround(degrees * (double)tapeW / kTapeWidth);
    const long long start = (long long)centre - shift;
    const TRectIG src(0, 0, std::min(kTapeWidth, imgBackground2->Width()),
                      std::min(kTapeHeight, ImageHeight(imgBackground2)));
    TClipScope clip(dc, content);
    for (int k = -1; k <= 1; ++k) {
        const long long l = start + (long long)k * tapeW;
        if (l >= content.right || l + tapeW <= content.left)
            continue;
        dc->StretchDIBits_Transparent(TRectIG((int)l, top, (int)(l + tapeW), top + tapeH), src, imgBackground2, key);
    }
    if (imgForeground2)
        dc->StretchDIBits_Transparent(TRectIG(centre - tapeW / 2, top, centre - tapeW / 2 + tapeW, top + tapeH),
                                      TRectIG(0, 0, kTapeWidth, kTapeHeight), imgForeground2, key);
    if (imgForeground2b && contentW > tapeW)
        dc->StretchDIBits_Transparent(
            TRectIG(centre - tapeW / 2, content.top + 1, centre - tapeW / 2 + tapeW, content.top + 1 + contentH),
            TRectIG(0, 0, kTapeWidth, kTapeHeight), imgForeground2b, key);
}

void TUserControlCompass::OnTimer(int interval, int now)
{
    if (!engine || engine->GetTopPage() != GetPage())
        return;
    const int current = ReadCourse();
    if (ticks < INT_MAX)
        ++ticks;
    // Degrees moved the short way round: 358 to 2 is a move of 4.
    long long moved = std::llabs(((long long)current - course) % 360);
    moved = std::min(moved, 360 - moved);
    if (moved > kCourseStep || (unsigned long long)(unsigned)ticks * (unsigned)timerInterval > kTickLimitMs)
        Invalidate();
}
