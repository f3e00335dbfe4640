#include "display/usercontrols/TUserControlVelocity.h"

#include "display/usercontrols/TUserControlCommon.h"
#include "enginelib/nav/TUnidades.h"
#include "uiengine/controls/TPDAUIEngineElementLabel.h"

namespace {

TPDAUIEngineElement* FindIn(TPDAUIEngineElement* element, const char* id)
{
    auto* box = dynamic_cast<TPDAUIEngineElementBox*>(element);
    return box ? box->FindElement(id, false) : nullptr;
}

} // namespace

TUserControlVelocity::TUserControlVelocity(TOrbetaApp* app) : TUserControlVelocity(app, "usercontrolVelocity") {}

TUserControlVelocity::TUserControlVelocity(TOrbetaApp* app, const char* tagName) : app(app)
{
    tag = "usercontrol/";
    tag << tagName;
}

TUserControlVelocityBig::TUserControlVelocityBig(TOrbetaApp* app) : TUserControlVelocity(app, "usercontrolVelocityBig")
{
}

void TUserControlVelocity::OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage* p, TPDAUIEngineElement* par,
                                  TPDAUIEngineXml* xmlNode, TFicheroITV* stream)
{
    TPDAUIEngineElementUserControl::OnLoad(e, p, par, xmlNode, stream);
    lblValue = usercontrols::FindRequired<TPDAUIEngineElementLabel>(this, "lblValue");
}

TPDAUIEngineElement* TUserControlVelocity::FindUnitsLabel()
{
    if (TPDAUIEngineElement* found = FindIn(parent, "lblPolivalentDataItemUnits"))
        return found;
    if (TPDAUIEngineElement* found = FindIn(parent, "lblUnits"))
        return found;
    return parent ? FindIn(parent->parent, "lblUnits") : nullptr;
}

void TUserControlVelocity::Paint(IDC* dc, int x, int y)
{
    TValCampo speed, limit;
    usercontrols::ReadField(app, 21, speed);
    usercontrols::ReadField(app, 352, limit);
    const bool over = limit.valor > 0 && speed.valor > limit.valor;
    const bool alarm = speed.alarma || over;
    if (!lblValue) {
        TPDAUIEngineElementUserControl::Paint(dc, x, y);
        return;
    }
    lblValue->label = speed.texto;
    const int state = lblValue->GetState();
    if (TPDAUIEngineElement* units = FindUnitsLabel()) {
        const int unitsState = units->GetState();
        units->foregrounds[unitsState] = alarm ? usercontrols::AlarmColour : lblValue->foregrounds[state];
        units->font.bordered = alarm ? true : lblValue->font.bordered;
        units->label = TUnidades::Nombre_Unidad(speed.unidades, false);
    }
    if (!alarm) {
        TPDAUIEngineElementUserControl::Paint(dc, x, y);
        return;
    }
    const uint32_t colour = lblValue->foregrounds[state];
    const bool bordered = lblValue->font.bordered;
    lblValue->foregrounds[state] = usercontrols::AlarmColour;
    lblValue->font.bordered = true;
    TPDAUIEngineElementUserControl::Paint(dc, x, y);
    lblValue->foregrounds[state] = colour;
    lblValue->font.bordered = bordered;
}
