#include "display/gadgets/TGadgetNextManuobre.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "app/TOrbetaApp.h"
#include "display/gadgets/TGadgetArrowGoto.h"
#include "enginelib/draw/IDC.h"
#include "enginelib/draw/TDibIG.h"
#include "enginelib/nav/TConfig.h"
#include "enginelib/nav/TValCampo.h"
#include "uiengine/core/TPDAUIEngine.h"

namespace {

int ClampInt(long long v) { return v < INT_MIN ? INT_MIN : (v > INT_MAX ? INT_MAX : (int)v); }

// A w x h rectangle centred in c.
TRectIG Centred(const TRectIG& c, long long w, long long h)
{
    const long long l = c.left + ((long long)c.right - c.left - w) / 2;
    const long long t = c.top + ((long long)c.bottom - c.top - h) / 2;
    return TRectIG(ClampInt(l), ClampInt(t), ClampInt(l + w), ClampInt(t + h));
}

// Brings (w, h) within W x H keeping the picture's ratio: height first, then width.
void Reduce(double& w, double& h, double W, double H, double ratio)
{
    if (h > H) {
        h = H;
        w = H * ratio;
    }
    if (w > W) {
        w = W;
        h = W / ratio;
    }
}

} // namespace

TGadgetNextManuobre::TGadgetNextManuobre(TOrbetaApp* application, int f)
    : app(application), arrow(new TGadgetArrowGoto(application)), field(f)
{
    tag = "gadgetNextManuobre";
    padding.left = padding.top = padding.right = padding.bottom = 0;
    minimumWidth = minimumHeight = 64;
    align = AlignCenter;
    pack = AlignCenter;
}

TGadgetNextManuobre::~TGadgetNextManuobre() { arrow.reset(); }

void TGadgetNextManuobre::OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage* p, TPDAUIEngineElement* par,
                                 TPDAUIEngineXml* xmlNode, TFicheroITV* stream)
{
    TPDAUIEngineElement::OnLoad(e, p, par, xmlNode, stream);
    arrow->OnLoad(e, p, this, nullptr, nullptr);
    if (app && app->engine.config) {
        app->engine.config->nextManoeuvreFlag.ReadVal2();
        flag = !app->engine.config->nextManoeuvreFlag.GetValor();
    }
}

void TGadgetNextManuobre::SetBounds(int l, int t, int w, int h)
{
    TPDAUIEngineElement::SetBounds(l, t, w, h);
    arrow->SetBounds(left, top, width, height);
}

bool TGadgetNextManuobre::SmallStyle(int styleSetting, double value, const TDibIG* picture)
{
    const bool negative = value < 0;
    if (negative)
        return true;
    if (picture && picture->Width() > kSmallPictureMaxWidth)
        return false;
    return styleSetting != 1;
}

TRectIG TGadgetNextManuobre::FittedRect(const TRectIG& c, const TDibIG& picture) const
{
    const double W = (double)c.right - c.left, H = (double)c.bottom - c.top;
    const double pw = picture.Width(), ph = picture.AbsHeight();
    if (!(H > 0) || !(W > 0) || !(pw > 0) || !(ph > 0))
        return TRectIG();
    const double ratio = pw / ph;
    double w, h;
    if (H > 31 && W > 31 && H + 20 >= ph) {
        if (align != AlignCenter) {
            if (W > H)
                return Centred(c, (long long)H, (long long)H);
            return c;
        }
        w = pw, h = ph;
    } else if (ratio < W / H) {
        h = H, w = H * ratio;
    } else {
        w = W, h = W / ratio;
    }
    Reduce(w, h, W, H, ratio);
    return Centred(c, (long long)w, (long long)h);
}

void TGadgetNextManuobre::Paint(IDC* dc, int x, int y)
{
    if (!dc)
        return;
    const long long ox = (long long)x + left, oy = (long long)y + top;
    const TRectIG r(ClampInt(ox), ClampInt(oy), ClampInt(ox + width), ClampInt(oy + height));
    PaintStyle(dc, r, GetState());
    if (!app)
        return;

    TValCampo v;
    app->engine.Retorna_Val_Campo_Global(field, v, false, false);
    // The picture stays the library's; it is not kept past this paint.
    const TDibIG* picture = static_cast<const TDibIG*>(v.objeto);
    if (picture && (picture->Width() <= 0 || picture->AbsHeight() <= 0))
        picture = nullptr;
    const int bw = borders[StateNormal].width;
    const TRectIG c(ClampInt((long long)r.left + bw + padding.left), ClampInt((long long)r.top + bw + padding.top),
                    ClampInt((long long)r.right - bw - padding.right),
                    ClampInt((long long)r.bottom - bw - padding.bottom));

    int style = 1;
    if (app->engine.config) {
        app->engine.config->manoeuvreStyle.ReadVal2();
        style = app->engine.config->manoeuvreStyle.GetValor();
    }
    const TRectIG src = picture ? TRectIG(0, 0, picture->Width(), picture->AbsHeight()) : TRectIG();

    if (SmallStyle(style, v.valor, picture)) {
        if (picture) {
            const long long w = ((long long)c.right - c.left) / 3, h = ((long long)c.bottom - c.top) / 3;
            const TRectIG dst(ClampInt(c.right - w), c.top, c.right, ClampInt(c.top + h));
            dc->StretchDIBits(dst, src, picture, IDC::RopSrcCopy);
        }
        arrow->Paint(dc, x, y);
        return;
    }
    if (!picture || c.bottom - c.top <= 0)
        return;
    TRectIG dst = FittedRect(c, *picture);
    if (dst.right <= dst.left || dst.bottom <= dst.top)
        return;
    if (!picture->Tiene_Alphas()) {
        dst.left += 4 + 3;
        dst.right -= 4 - 3;
        dst.top += 4;
        dst.bottom -= 4;
    }
    const TColorIG key = engine ? engine->skinSettings.transparentColor : TColorIG(TColoresIG::F_Magenta);
    dc->StretchDIBits_Transparent(dst, src, picture, key);
}
