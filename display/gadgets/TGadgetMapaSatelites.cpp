#include "display/gadgets/TGadgetMapaSatelites.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>

#include "enginelib/draw/IDC.h"
#include "enginelib/draw/TDibIG.h"
#include "enginelib/nav/TMapaSatelites.h"
#include "uiengine/core/TPDAUIEngine.h"
#include "uiengine/core/TPDAUIEngineValueTypes.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"

namespace {

const float kPi = 3.14159265f;
// Room kept at the rim for a label.
const int kRim = 7;
// DrawText: one line, centred both ways.
const int kCentredLine = 0x25;

int ClampInt(double v)
{
    if (!(v == v))
        return 0;
    return v < INT_MIN ? INT_MIN : (v > INT_MAX ? INT_MAX : (int)v);
}

} // namespace

TGadgetMapaSatelites::TGadgetMapaSatelites(TOrbetaApp* application) : app(application) { tag = "gadgetMapaSatelites"; }

TGadgetMapaSatelites::~TGadgetMapaSatelites() = default;

void TGadgetMapaSatelites::OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage* p, TPDAUIEngineElement* par,
                                  TPDAUIEngineXml* xmlNode, TFicheroITV* stream)
{
    TPDAUIEngineElementCanvas::OnLoad(e, p, par, xmlNode, stream);
    if (page)
        satelliteImage = page->resources.GetImage("pageSatellitesSkySatellite", false, false);
    else if (engine)
        satelliteImage = engine->resources.GetImage("pageSatellitesSkySatellite", false, false);
}

DString TGadgetMapaSatelites::Label(int number)
{
    char text[16];
    std::snprintf(text, sizeof text, "%02d", number);
    return DString(text);
}

TPointIG TGadgetMapaSatelites::Position(int cx, int cy, int R, double elevation, double azimuth)
{
    // Below the horizon counts as on it, beyond the zenith as at it; a plot too
    // small for the rim puts every satellite at the centre.
    const float e = (float)std::min(90.0, std::max(0.0, elevation == elevation ? elevation : 90.0));
    const float span = (float)std::max(0, R - kRim);
    const float angle = kPi / 2 - (float)azimuth * kPi / 180.0f;
    const float radius = (90.0f - e) * span * 0.0111111f;
    return TPointIG(ClampInt(cx + radius * std::cos(angle)), ClampInt(cy - radius * std::sin(angle)));
}

void TGadgetMapaSatelites::Paint(IDC* dc, int x, int y)
{
    if (!dc)
        return;
    const long long ox = (long long)x + left, oy = (long long)y + top;
    const TRectIG r(ClampInt((double)ox), ClampInt((double)oy), ClampInt((double)(ox + width)),
                    ClampInt((double)(oy + height)));
    PaintStyle(dc, r, GetState());
    const TColorIG key = engine ? engine->skinSettings.transparentColor : TColorIG(TColoresIG::F_Magenta);
    const long long cx = ((long long)r.left + r.right) / 2, cy = ((long long)r.top + r.bottom) / 2;
    if (image) {
        const float scale = GetUIScale();
        const long long w = TPDAUIEngineUIScale::Truncate(image->Width() * scale);
        const long long h = TPDAUIEngineUIScale::Truncate(image->AbsHeight() * scale);
        const TRectIG dst(ClampInt((double)(cx - w / 2)), ClampInt((double)(cy - h / 2)),
                          ClampInt((double)(cx - w / 2 + w)), ClampInt((double)(cy - h / 2 + h)));
        dc->StretchDIBits_Transparent(dst, TRectIG(0, 0, image->Width(), image->AbsHeight()), image, key);
    }
    if (!map || !engine)
        return;

    const int bw = borders[StateNormal].width;
    const long long cw = (long long)width - 2 * bw - padding.left - padding.right;
    const long long ch = (long long)height - 2 * bw - padding.top - padding.bottom;
    const int R = ClampInt((double)std::max(0LL, std::min(cw, ch) / 2));
    for (const TMapaSatelites::Satelite& s : map->satelites) {
        const TPointIG at = Position((int)cx, (int)cy, R, s.elevacion, s.azimut);
        const DString text = Label(s.numero);
        const TSizeIG size = engine->GetTextExtent(font, text, 100, 0);
        const int tw = std::max(0, std::min(size.cx, 100)), th = std::max(0, size.cy);
        const long long lx = (long long)at.x - tw / 2, ly = (long long)at.y - th / 2;
        TRectIG box(ClampInt((double)lx), ClampInt((double)ly), ClampInt((double)(lx + tw + 3)),
                    ClampInt((double)(ly + th)));
        if (satelliteImage)
            dc->StretchDIBits_Transparent(
                TRectIG(box.left, box.top, ClampInt((double)box.left + satelliteImage->Width()),
                        ClampInt((double)box.top + satelliteImage->AbsHeight())),
                TRectIG(0, 0, satelliteImage->Width(), satelliteImage->AbsHeight()), satelliteImage, key);
        TColorIG colour = TColorIG(0x000000u);
        if (s.enUso) {
            dc->SetBrush(TColorIG(kInUseColour));
            dc->SetPen(TColorIG(kInUseColour), 1);
            dc->Rectangle(box);
            colour = TColorIG(0xFFFFFFu);
        }
        engine->DrawText(dc, font, colour, nullptr, text, box, kCentredLine);
    }
}
