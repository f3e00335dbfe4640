#include "display/gadgets/TGadgetArrowGoto.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "app/TOrbetaApp.h"
#include "enginelib/draw/IDC.h"
#include "enginelib/draw/TDibIG.h"
#include "enginelib/nav/TValCampo.h"
#include "uiengine/core/TPDAUIEngine.h"
#include "uiengine/core/TPDAUIEngineValueTypes.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"
#include "uiengine/fonts/TPDAUIEngineImageFilter.h"

namespace {

const double kPi = 3.14159265358979323846;
const int kFieldBearing = 313;
const int kFieldOffRoute = 317;

long long Mid(long long a, long long b) { return (a + b) / 2; }

} // namespace

TGadgetArrowGoto::TGadgetArrowGoto(TOrbetaApp* application) : app(application)
{
    tag = "gadgetArrowGoto";
    const int p = TPDAUIEngineUIScale::Truncate(GetUIScale());
    padding.left = padding.top = padding.right = padding.bottom = p;
}

TGadgetArrowGoto::~TGadgetArrowGoto() = default;

void TGadgetArrowGoto::OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage* p, TPDAUIEngineElement* par,
                              TPDAUIEngineXml* xmlNode, TFicheroITV* stream)
{
    TPDAUIEngineElement::OnLoad(e, p, par, xmlNode, stream);
    if (page)
        image = page->resources.GetImage("commonArrowGoto", false, false);
    else if (engine)
        image = engine->resources.GetImage("commonArrowGoto", false, false);
}

void TGadgetArrowGoto::Paint(IDC* dc, int x, int y)
{
    if (!dc)
        return;
    const long long ox = (long long)x + left, oy = (long long)y + top;
    const TRectIG r((int)ox, (int)oy, (int)(ox + width), (int)(oy + height));
    PaintStyle(dc, r, GetState());
    if (!app)
        return;

    TValCampo bearing;
    app->engine.Retorna_Val_Campo_Global(kFieldBearing, bearing, false, false);
    if (!(bearing.valor >= kNoBearing))  // NaN draws nothing either
        return;

    if (image) {
        TRectIG dst = r;
        if (width > height) {
            const int half = (width - height) / 2;
            dst.left += half;
            dst.right -= half;
            padding.left = padding.right = half;
        }
        float angle = (float)bearing.valor;
        if (bearing.unidades == UnidadGrados)
            angle = (float)(bearing.valor * kPi / 180.0);
        const TRectIG src(0, 0, image->Width(), image->AbsHeight());
        TMatriz3RodAdv matrix;
        matrix.SetRotation(angle, src, dst);
        const TAdvStetchDIBitsData data(TAdvStetchDIBitsData::ModeKeyColour | TAdvStetchDIBitsData::ModeRotated, 0,
                                        0, 255, &matrix, 0, 0);

        TValCampo offRoute;
        app->engine.Retorna_Val_Campo_Global(kFieldOffRoute, offRoute, false, false);
        if (offRoute.valor > kTintAbove) {
            TDibIG tinted;
            if (tinted.Crea(image->Width(), image->AbsHeight(), 32) && tinted.Asigna(*image)) {
                TPDAUIEngineImageFilter::PrepareDib(&tinted);
                TPDAUIEngineImageFilterColorizeRed().Apply(&tinted);
                TPDAUIEngineImageFilter::FinishDib(&tinted);
                dc->StretchDIBits_Adv(dst, src, &tinted, data);
            }
            return;
        }
        if (image->Bpp() != 16)
            image->ConvertDIB_16xAlpha();
        dc->StretchDIBits_Adv(dst, src, image, data);
        return;
    }

    // No image: a drawn arrow whose head points along the bearing.
    const int bw = borders[StateNormal].width;
    const long long cl = r.left + (long long)bw + padding.left, ct = r.top + (long long)bw + padding.top;
    const long long cr = r.right - (long long)bw - padding.right, cb = r.bottom - (long long)bw - padding.bottom;
    const long long cx = Mid(cl, cr), cy = Mid(ct, cb);
    const double radius = std::min(cr - cl, cb - ct) * 5.0 / 12.0;
    if (!(radius > 0))
        return;
    const double t = (bearing.valor + 90.0) * kPi / 180.0;
    const double dx = radius * std::cos(t), dy = radius * std::sin(t);
    const TPointIG tail((int)std::lround(cx + dx), (int)std::lround(cy + dy));
    const TPointIG head((int)std::lround(cx - dx), (int)std::lround(cy - dy));
    dc->SetBrush(foregrounds[StateNormal]);
    dc->SetPen(foregrounds[StateNormal], 1);
    dc->Flecha(tail, head, 10, 10, true, 0.25f);
}
