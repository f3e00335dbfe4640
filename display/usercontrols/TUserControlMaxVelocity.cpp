#include "display/usercontrols/TUserControlMaxVelocity.h"

#include <cmath>

#include "app/TOrbetaApp.h"
#include "display/pages/TPageSpeedAlert.h"
#include "display/usercontrols/TUserControlCommon.h"
#include "enginelib/nav/TConfig.h"
#include "uiengine/controls/TPDAUIEngineElementLabel.h"
#include "uiengine/core/TPDAUIEngine.h"

namespace {

const int kAlertPageMode = 4;
const int kFirstTickMs = 1;
const int kCheckMs = 250;
// Below this content height the small label draws without its own background.
const int kSmallSignHeight = 43;

// A double as an int truncated toward zero; values beyond int and NaN give 0.
int Truncate(double v)
{
    return std::isfinite(v) && std::fabs(v) < 2147483647.0 ? (int)v : 0;
}

void SetText(TPDAUIEngineElementLabel* label, const DString& text)
{
    if (label)
        label->label = text;
}

void SetEnabled(TPDAUIEngineElementLabel* label, bool enabled)
{
    if (label)
        label->enabled = enabled ? 1 : 0;
}

} // namespace

TUserControlMaxVelocity::TUserControlMaxVelocity(TOrbetaApp* app) : app(app)
{
    tag = "usercontrol/usercontrolMaxVelocity";
}

TUserControlMaxVelocity::~TUserControlMaxVelocity()
{
    TPageSpeedAlert* alert = alertPage;
    if (!alert)
        return;
    ReleaseAlert();
    if (alert->opened)
        alert->Close(1);
    else
        delete alert;
}

void TUserControlMaxVelocity::ReleaseAlert()
{
    if (alertPage)
        alertPage->owner = nullptr;
    alertPage = nullptr;
}

void TUserControlMaxVelocity::OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage* p, TPDAUIEngineElement* par,
                                     TPDAUIEngineXml* xmlNode, TFicheroITV* stream)
{
    TPDAUIEngineElementUserControl::OnLoad(e, p, par, xmlNode, stream);
    lblMaxVelocityValue = usercontrols::FindRequired<TPDAUIEngineElementLabel>(this, "lblMaxVelocityValue");
    lblMaxVelocityBigValue = usercontrols::FindRequired<TPDAUIEngineElementLabel>(this, "lblMaxVelocityBigValue");
    const bool big = app && app->engine.config && app->engine.config->bigSpeedSign;
    usercontrols::SetVisible(lblMaxVelocityValue, !big);
    usercontrols::SetVisible(lblMaxVelocityBigValue, big);
}

void TUserControlMaxVelocity::UpdateValue()
{
    const int mode = app && app->engine.config ? (int)app->engine.config->speedAlertMode : 0;
    TValCampo limitValue;
    usercontrols::ReadField(app, limitField, limitValue);
    // A limit beyond any integer is no limit.
    shown = mode != 0 && limitValue.valor >= 1.0 && limitValue.valor < 2147483647.0;
    const int limit = Truncate(limitValue.valor + 0.5);
    const int speed = Truncate([&] {
        TValCampo v;
        usercontrols::ReadField(app, 21, v);
        return v.valor;
    }());
    DString text;
    if (limit > 0)
        text << limit;
    SetText(lblMaxVelocityValue, text);
    SetText(lblMaxVelocityBigValue, text);
    overSpeed = shown && limit < speed;
    const bool alertLook = overSpeed && (mode == 2 || mode == 3);
    SetEnabled(lblMaxVelocityValue, !alertLook);
    SetEnabled(lblMaxVelocityBigValue, !alertLook);
    if (!overSpeed)
        alertDismissed = false;
    if (mode == kAlertPageMode && overSpeed && !alertPage && !alertDismissed && app) {
        alertPage = new TPageSpeedAlert(app);
        alertPage->owner = this;
        timerInterval = kFirstTickMs;
        StartTimer();
    }
}

void TUserControlMaxVelocity::OnTimer(int, int)
{
    timerInterval = kCheckMs;
    UpdateValue();
    if (!alertPage) {
        // Dismissed by the user: keep looking until the speed drops.
        if (!alertDismissed)
            StopTimer();
        return;
    }
    if (!alertPage->opened) {
        if (!engine)
            return;
        alertPage->opened = true;
        engine->OpenPage(alertPage, nullptr, false);
        return;
    }
    if (overSpeed || alertPage->closing)
        return;
    TPageSpeedAlert* alert = alertPage;
    ReleaseAlert();
    alert->Close(1);
    StopTimer();
}

void TUserControlMaxVelocity::AlertPageGone(TPageSpeedAlert* gone)
{
    if (!gone || gone != alertPage)
        return;
    alertPage = nullptr;
    alertDismissed = true;
}

void TUserControlMaxVelocity::Paint(IDC* dc, int x, int y)
{
    UpdateValue();
    if (!shown)
        return;
    const TPDAUIEngineStyleBorder& border = borders[StateNormal];
    const int content = height - 2 * border.width - padding.top - padding.bottom;
    if (content >= kSmallSignHeight || !lblMaxVelocityValue) {
        TPDAUIEngineElementUserControl::Paint(dc, x, y);
        return;
    }
    TPDAUIEngineStyleBackground& normal = lblMaxVelocityValue->backgrounds.Edit(StateNormal);
    TPDAUIEngineStyleBackground& disabled = lblMaxVelocityValue->backgrounds.Edit(StateDisabled);
    const int normalKind = normal.kind, disabledKind = disabled.kind;
    normal.kind = disabled.kind = TPDAUIEngineStyleBackground::KindNone;
    TPDAUIEngineElementUserControl::Paint(dc, x, y);
    normal.kind = normalKind;
    disabled.kind = disabledKind;
}

TPDAUIEngineElement* TUserControlMaxVelocity::HitTest(int x, int y)
{
    if (!shown)
        return nullptr;
    return TPDAUIEngineElementUserControl::HitTest(x, y);
}
