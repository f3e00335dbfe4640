#include "display/usercontrols/TUserControlRadarBar.h"

#include <cmath>

#include "app/TOrbetaApp.h"
#include "enginelib/draw/IDC.h"
#include "enginelib/draw/TDibIG.h"
#include "uiengine/core/TPDAUIEngine.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"

namespace {

const int kTextBox = 40;
const int kPointerOverhang = 6;
const int kRadarRight = 16;
const unsigned kTextFlags = 16;  // word break

TDibIG* Lookup(TPDAUIEngine* engine, TPDAUIEngineElementPage* page, const char* name)
{
    if (page)
        return page->resources.GetImage(name);
    return engine ? engine->resources.GetImage(name) : nullptr;
}

TRectIG Whole(const TDibIG* image) { return TRectIG(0, 0, image->Width(), image->AbsHeight()); }

} // namespace

TUserControlRadarBar::TUserControlRadarBar(TOrbetaApp* app) : app(app) { tag = "usercontrol/usercontrolRadarBar"; }

void TUserControlRadarBar::OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage* p, TPDAUIEngineElement* par,
                                  TPDAUIEngineXml* xmlNode, TFicheroITV* stream)
{
    TPDAUIEngineElementUserControl::OnLoad(e, p, par, xmlNode, stream);
    imgBase = Lookup(engine, page, "userControlRadaBarBase");
    imgDist = Lookup(engine, page, "userControlRadaBarDist");
    imgPointer1 = Lookup(engine, page, "userControlRadaBarPointer1");
    imgPointer2 = Lookup(engine, page, "userControlRadaBarPointer2");
    imgRadar = Lookup(engine, page, "userControlRadaBarRadar");
    ready = imgBase && imgDist && imgPointer1 && imgPointer2 && imgRadar;
}

int TUserControlRadarBar::ValueToY(double value) const
{
    const double y = centre - (value - reference) * pixelsPerUnit;
    // Clamped before the truncation, so that no value leaves the int range.
    if (!(y > topLimit))
        return topLimit;
    if (y >= bottomLimit)
        return bottomLimit;
    return (int)y;
}

void TUserControlRadarBar::Paint(IDC* dc, int x, int y)
{
    TLumorGPSEngineInterface::TRadarBarRecord record;
    if (!ready || !app || !dc || !app->engine.SpeedRadarBar_Visible(&record))
        return;
    const TPDAUIEngineStyleBorder& border = borders[StateNormal];
    const int contentLeft = x + left + border.width + padding.left;
    topLimit = y + top + border.width + padding.top;
    bottomLimit = y + top + height - border.width - padding.bottom;
    if (bottomLimit < topLimit)
        bottomLimit = topLimit;
    centre = topLimit + (bottomLimit - topLimit) / 2;
    pixelsPerUnit = 0.01 * (bottomLimit - topLimit);
    reference = record.reference;

    TPDAUIEngineStyleBackground& back = backgrounds.Edit(StateNormal);
    back.kind = TPDAUIEngineStyleBackground::KindNineSlice;
    back.image = imgBase;
    back.imageName = "userControlRadaBarBase";
    back.x = back.y = 0;
    back.w = back.h = 10;
    back.Draw(dc, TRectIG(contentLeft, topLimit, contentLeft + imgBase->Width(), bottomLimit));

    const TColorIG key = engine ? engine->skinSettings.transparentColor : TColorIG(TColoresIG::F_Magenta);
    const TDibIG* pointer = record.pointer > record.reference ? imgPointer2 : imgPointer1;
    const int pointerY = ValueToY(record.pointer) - pointer->AbsHeight() / 2;
    dc->StretchDIBits_Transparent(TRectIG(contentLeft - kPointerOverhang, pointerY, contentLeft + pointer->Width(),
                                          pointerY + pointer->AbsHeight()),
                                  Whole(pointer), pointer, key);

    const int radarY = ValueToY(record.camera) - imgRadar->AbsHeight() / 2;
    const int radarRight = contentLeft + kRadarRight;
    dc->StretchDIBits_Transparent(TRectIG(radarRight - imgRadar->Width(), radarY, radarRight,
                                          radarY + imgRadar->AbsHeight()),
                                  Whole(imgRadar), imgRadar, key);

    TRectIG textBox(radarRight, radarY, radarRight + kTextBox, radarY + kTextBox);
    // Black on an opaque yellow box, in the control's font.
    const TColorIG yellow = TColoresIG::F_Yellow;
    if (engine) {
        engine->DrawText(dc, font, TColoresIG::F_Black, &yellow, CDString(record.text.c_str()), textBox, kTextFlags);
        return;
    }
    const TColorIG oldColour = dc->GetBkColor();
    const int oldMode = dc->GetBkMode();
    dc->SetBkColor(yellow);
    dc->SetBkMode(IDC::BkOpaque);
    dc->DrawTextA(record.text.c_str(), -1, textBox, kTextFlags);
    dc->SetBkMode(oldMode);
    dc->SetBkColor(oldColour);
}
