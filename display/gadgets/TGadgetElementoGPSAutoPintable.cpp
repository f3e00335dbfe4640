#include "display/gadgets/TGadgetElementoGPSAutoPintable.h"

#include <climits>

#include "enginelib/draw/IDC.h"
#include "enginelib/nav/TCampos.h"
#include "enginelib/nav/TElementoGPS.h"
#include "enginelib/nav/TValCampo.h"
#include "uiengine/controls/TPDAUIEngineElementListBox.h"
#include "uiengine/core/TPDAUIEngine.h"

namespace {

int ClampInt(long long v) { return v < INT_MIN ? INT_MIN : (v > INT_MAX ? INT_MAX : (int)v); }

int DrawItem(void* data, IDC* dc, int left, int top, int right, int bottom, int, int index, int selected,
             int showLabel)
{
    static_cast<TGadgetElementoGPSAutoPintable*>(data)->PaintItem(dc, left, top, right, bottom, index, selected,
                                                                 showLabel);
    return 1;
}

} // namespace

TGadgetElementoGPSAutoPintable::TGadgetElementoGPSAutoPintable(TOrbetaApp* application, TElementoGPS* o, int f)
    : app(application), object(o), field(f)
{
}

TGadgetElementoGPSAutoPintable::~TGadgetElementoGPSAutoPintable() = default;

void TGadgetElementoGPSAutoPintable::OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage* p, TPDAUIEngineElement* par,
                                            TPDAUIEngineXml* xmlNode, TFicheroITV* stream)
{
    TPDAUIEngineElementComboBox::OnLoad(e, p, par, xmlNode, stream);
    if (listBox) {
        listBox->ownerDraw = true;
        listBox->drawItemCallback = &DrawItem;
        listBox->callbackData = this;
    }
}

TRectIG TGadgetElementoGPSAutoPintable::ItemRect(const TRectIG& row, int magnitude)
{
    const int dx = magnitude == kMagnitudeOption ? 40 : 1, dy = magnitude == kMagnitudeOption ? 5 : 1;
    return TRectIG(ClampInt((long long)row.left + dx), ClampInt((long long)row.top + dy),
                   ClampInt((long long)row.right - dx), ClampInt((long long)row.bottom - dy));
}

void TGadgetElementoGPSAutoPintable::Paint(IDC* dc, int x, int y)
{
    if (!dc)
        return;
    // Frame, arrow and background only: the object draws the value.
    const DString shown = value;
    value = "";
    TPDAUIEngineElementComboBox::Paint(dc, x, y);
    value = shown;
    if (!object)
        return;

    const int bw = borders[StateNormal].width;
    const long long l = (long long)x + left + bw + padding.left, t = (long long)y + top + bw + padding.top;
    const long long r = (long long)x + left + width - bw - padding.right;
    const long long b = (long long)y + top + height - bw - padding.bottom;
    const TRectIG valueRect(ClampInt(l), ClampInt(t), ClampInt(r - (b - t)), ClampInt(b));
    const TColorIG fore = foregrounds[StateNormal];
    if (Magnitud_Campo(field) == kMagnitudeOption) {
        TValCampo own;
        object->Retorna_Val_Campo(field, own);
        if (own.valor == -1.0) {
            // No option chosen: the combo box says so in its own words.
            value = engine ? engine->TranslateText("{E54}") : DString("{E54}");
            TPDAUIEngineElementComboBox::Paint(dc, x, y);
            value = shown;
            return;
        }
    }
    object->Pinta_Val_Campo(*dc, valueRect, TColorIG(0xFF00FFu), fore, field, nullptr, true);
}

int TGadgetElementoGPSAutoPintable::PaintItem(IDC* dc, int l, int t, int r, int b, int index, int selected, int)
{
    if (!dc || !object || !listBox || index < 0 || index >= choices.Count())
        return 0;
    const TRectIG row = ItemRect(TRectIG(l, t, r, b), Magnitud_Campo(field));
    const int state = selected ? StatePressed : StateNormal;
    const TColorIG back = listBox->itemBackgrounds[state].colour;
    object->Pinta_Val_Campo(*dc, row, back, foregrounds[StateNormal], field, choices[index], selected != 0);
    return 1;
}
