#include "display/usercontrols/TUserControlMapStatus.h"

#include <cmath>

#include "app/TOrbetaApp.h"
#include "uiengine/controls/TPDAUIEngineElementProgressBar.h"
#include "uiengine/core/TPDAUIEngine.h"

namespace {
const int kCalculating = 0x16;

int Truncated(double value)
{
    return std::isfinite(value) && std::fabs(value) < 2147483647.0 ? (int)value : 0;
}
} // namespace

TUserControlMapStatus::TUserControlMapStatus(TOrbetaApp* a) : app(a) { tag = "usercontrol/usercontrolMapStatus"; }

TUserControlMapStatus::~TUserControlMapStatus() {}

void TUserControlMapStatus::OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage* p, TPDAUIEngineElement* par,
                                   TPDAUIEngineXml* xmlNode, TFicheroITV* stream)
{
    TPDAUIEngineElementUserControl::OnLoad(e, p, par, xmlNode, stream);
    lblValue = FindElement("lblValue", true);
    pgbProgressBar = dynamic_cast<TPDAUIEngineElementProgressBar*>(FindElement("pgbProgressBar", true));
}

void TUserControlMapStatus::Paint(IDC* dc, int x, int y) { TPDAUIEngineElementUserControl::Paint(dc, x, y); }

bool TUserControlMapStatus::UpdateStatus()
{
    if (!app)
        return false;
    DString text;
    int progress = 0;
    TValCampo v;
    app->engine.Retorna_Val_Campo_Global(2205, v, false, false);
    if ((v.AsInteger() & kCalculating) == kCalculating) {
        text = engine ? engine->TranslateText("{J27}") : DString("{J27}");
        progress = 25;
    } else {
        app->engine.Retorna_Val_Campo_Global(2206, v, false, false);
        text = v.texto;
        progress = text.IsEmpty() ? 0 : 25;
    }
    app->engine.Retorna_Val_Campo_Global(2103, v, false, false);
    if (v.valor != 0 && v.valor != 100) {
        text = v.texto;
        progress = Truncated(v.valor);
    } else {
        app->engine.Retorna_Val_Campo_Global(2206, v, false, false);
        if (v.valor != 0 && v.valor != 100) {
            text = v.texto;
            progress = Truncated(v.valor);
        }
    }
    if (lblValue && lblValue->label != text) {
        lblValue->label = text;
        lblValue->Invalidate();
    }
    if (pgbProgressBar)
        pgbProgressBar->value = progress;
    return !text.IsEmpty();
}
