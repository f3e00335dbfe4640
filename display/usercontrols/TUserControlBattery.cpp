#include "display/usercontrols/TUserControlBattery.h"

#include <cstdlib>

#include "app/TOrbetaApp.h"
#include "display/usercontrols/TUserControlCommon.h"
#include "enginelib/nav/TConfig.h"
#include "uiengine/controls/TPDAUIEngineElementProgressBar.h"

TUserControlBattery::TUserControlBattery(TOrbetaApp* app) : app(app) { tag = "usercontrol/usercontrolBattery"; }

void TUserControlBattery::OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage* p, TPDAUIEngineElement* par,
                                 TPDAUIEngineXml* xmlNode, TFicheroITV* stream)
{
    TPDAUIEngineElementUserControl::OnLoad(e, p, par, xmlNode, stream);
    imgBatteryAC = usercontrols::FindRequired<TPDAUIEngineElement>(this, "imgBatteryAC");
    pgbLevelBattery = usercontrols::FindRequired<TPDAUIEngineElementProgressBar>(this, "pgbLevelBattery");
    if (imgBatteryAC)
        imgBatteryAC->visible = 0;
}

void TUserControlBattery::Paint(IDC* dc, int x, int y)
{
    if (hidden_ < 0)
        hidden_ = (app && app->engine.config && app->engine.config->batteryDisplayHidden) ? 1 : 0;
    if (hidden_)
        return;
    TValCampo level;
    usercontrols::ReadField(app, 98, level);
    const int value = level.AsInteger();
    // INT_MIN has no absolute value; the bar clamps anyway.
    const int magnitude = value == -2147483647 - 1 ? 2147483647 : std::abs(value);
    const bool external = level.valor < 0;
    bool changed = usercontrols::SetVisible(imgBatteryAC, external);
    if (pgbLevelBattery) {
        pgbLevelBattery->value = magnitude;
        changed = usercontrols::SetVisible(pgbLevelBattery, !external) || changed;
    }
    if (changed)
        ReapplyBounds();
    TPDAUIEngineElementUserControl::Paint(dc, x, y);
}
