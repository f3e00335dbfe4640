#include "display/usercontrols/TUserControlDistNextRadar.h"

#include <cmath>

#include "display/usercontrols/TUserControlCommon.h"
#include "uiengine/controls/TPDAUIEngineElementProgressBar.h"

namespace {
const int kRange = 1000;
const uint32_t kWarning = 0x00E2FD;  // amber
const uint32_t kClear = 0x06FD05;    // green
} // namespace

TUserControlDistNextRadar::TUserControlDistNextRadar(TOrbetaApp* app) : app(app)
{
    tag = "usercontrol/usercontrolDistNextRadar";
}

void TUserControlDistNextRadar::OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage* p, TPDAUIEngineElement* par,
                                       TPDAUIEngineXml* xmlNode, TFicheroITV* stream)
{
    TPDAUIEngineElementUserControl::OnLoad(e, p, par, xmlNode, stream);
    lblTitle = usercontrols::FindRequired<TPDAUIEngineElement>(this, "lblTitle");
    pgbProgressbar = usercontrols::FindRequired<TPDAUIEngineElementProgressBar>(this, "pgbProgressbar");
}

uint32_t TUserControlDistNextRadar::BarColour(double distance)
{
    if (distance < 200)
        return usercontrols::AlarmColour;
    if (distance < 500)
        return kWarning;
    return kClear;
}

int TUserControlDistNextRadar::BarValue(double distance)
{
    const double v = kRange - distance;
    // NaN and values beyond the range are cut before the truncation.
    if (!(v > 0))
        return 0;
    if (v >= kRange)
        return kRange;
    return (int)v;
}

void TUserControlDistNextRadar::Paint(IDC* dc, int x, int y)
{
    TValCampo distance;
    // A field the library cannot give now is no camera.
    if (!usercontrols::ReadField(app, 351, distance, false, true))
        distance.valor = -1;
    if (pgbProgressbar) {
        pgbProgressbar->minimumValue = 0;
        pgbProgressbar->maximumValue = kRange;
        pgbProgressbar->value = BarValue(distance.valor);
    }
    if (lblTitle)
        lblTitle->label = distance.texto;
    if (!(distance.valor >= 0))
        return;
    if (pgbProgressbar)
        pgbProgressbar->foregrounds[StateNormal] = BarColour(distance.valor);
    TPDAUIEngineElementUserControl::Paint(dc, x, y);
}
