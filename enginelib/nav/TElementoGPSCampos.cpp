#include "enginelib/draw/IDC.h"
#include "enginelib/nav/TElementoGPS.h"
#include "enginelib/nav/TValCampo.h"

bool TElementoGPS::Retorna_Val_Campo(int, TValCampo& v) const
{
    v = TValCampo();
    return false;
}

void TElementoGPS::Pinta_Val_Campo(IDC& dc, const TRectIG& rect, TColorIG back, TColorIG, int field,
                                   const TValCampo* value, bool) const
{
    if (back != TColorIG(TColoresIG::F_Magenta)) {
        dc.SetBrush(back);
        dc.SetPen(back, 1);
        dc.Rectangle(rect);
    }
    TValCampo own;
    if (!value) {
        Retorna_Val_Campo(field, own);
        value = &own;
    }
    TRectIG r = rect;
    const unsigned kLeftLine = 0x24;  // one line, centred vertically
    dc.SetBkMode(IDC::BkTransparent);
    dc.DrawTextA(value->texto.c_str(), -1, r, kLeftLine);
}
