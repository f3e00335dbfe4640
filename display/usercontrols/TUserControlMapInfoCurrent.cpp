#include "display/usercontrols/TUserControlMapInfoCurrent.h"

#include "app/TOrbetaApp.h"
#include "display/usercontrols/TUserControlCommon.h"
#include "display/usercontrols/TUserControlMapInfoNext.h"
#include "enginelib/nav/TConfig.h"
#include "enginelib/nav/TElementoGPS.h"
#include "enginelib/nav/TVisor_LumorGPSPocket.h"
#include "uiengine/core/TPDAUIEngine.h"
#include "uiengine/core/TPDAUIEngineCommand.h"

namespace {
const int kRefreshMs = 1000;
const int kShowAttachmentsCommand = 150;

using usercontrols::SetVisible;
} // namespace

TUserControlMapInfoCurrent::TUserControlMapInfoCurrent(TOrbetaApp* a) : app(a)
{
    tag = "usercontrol/usercontrolMapInfoCurrent";
}

TUserControlMapInfoCurrent::~TUserControlMapInfoCurrent() {}

void TUserControlMapInfoCurrent::OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage* p, TPDAUIEngineElement* par,
                                        TPDAUIEngineXml* xmlNode, TFicheroITV* stream)
{
    TPDAUIEngineElementUserControl::OnLoad(e, p, par, xmlNode, stream);
    lblValue = FindElement("lblValue", true);
    btnMore = FindElement("btnMore", true);
    usercontrolCompass = FindElement("usercontrolCompass", false);
    Refresh();
    lastRefresh = engine ? engine->GetTickCount() : 0;
}

void TUserControlMapInfoCurrent::Paint(IDC* dc, int x, int y)
{
    const int now = engine ? engine->GetTickCount() : 0;
    if ((unsigned)(now - lastRefresh) > (unsigned)kRefreshMs) {
        lastRefresh = now;
        Refresh();
    }
    TPDAUIEngineElementUserControl::Paint(dc, x, y);
}

DString TUserControlMapInfoCurrent::GpsStatusText(int status)
{
    static const char* const kTexts[] = {"{E225}", "{E225}", "{E221}", "{E219}", "{R61}", "{Q3}"};
    DString text = engine ? engine->TranslateText("{E217}") : DString("{E217}");
    text << ": ";
    if (status >= 0 && status <= 5)
        text << (engine ? engine->TranslateText(kTexts[status]) : DString(kTexts[status]));
    else if (status == 6)
        text << "Simulating";
    return text;
}

void TUserControlMapInfoCurrent::Refresh()
{
    if (!app)
        return;
    const TConfig* config = app->engine.config;
    bool changed = false;
    TValCampo v;
    TElementoGPS* object = nullptr;
    if (app->engine.Retorna_Val_Campo_Global(374, v, false, false) && v.objeto)
        object = static_cast<TElementoGPS*>(v.objeto);
    if (object) {
        TValCampo attachments;
        const bool hasAttachments = object->Retorna_Val_Campo(742, attachments) && attachments.valor != 0;
        changed |= SetVisible(btnMore, hasAttachments && !(config && config->hideAttachments));
        changed |= SetVisible(lblValue, true);
        if (lblValue)
            lblValue->label = object->GetNombre();
        changed |= SetVisible(usercontrolCompass, false);
    } else if (config && config->manoeuvreStyle != 0) {
        app->engine.Retorna_Val_Campo_Global(46, v, false, false);
        DString text = v.texto;
        if (text.IsEmpty()) {
            app->engine.Retorna_Val_Campo_Global(330, v, false, false);
            text = GpsStatusText(v.AsInteger());
        }
        if (lblValue)
            lblValue->label = text;
        changed |= SetVisible(lblValue, true);
        changed |= SetVisible(btnMore, false);
        changed |= SetVisible(usercontrolCompass, false);
    } else {
        changed |= SetVisible(lblValue, false);
        changed |= SetVisible(btnMore, false);
        changed |= SetVisible(usercontrolCompass, true);
        DString name;
        if (config && config->showFileName && app->engine.CurrentFileName(name)) {
            if (lblValue)
                lblValue->label = name;
            changed |= SetVisible(lblValue, true);
            changed |= SetVisible(usercontrolCompass, false);
        }
    }
    if (changed)
        ReapplyBounds();
}

void TUserControlMapInfoCurrent::OnCommand(TPDAUIEngineCommand& command)
{
    if (command.name == "showMore") {
        TElementoGPS* object = TUserControlMapInfoNext::ObjectWithAttachments(app, 374);
        if (object && app->engine.visor) {
            app->engine.visor->SetObjetoSeleccionado(object, -1);
            app->engine.visor->EjecutaComanda(object, -1, "-2", (TComandasLumorGPS)kShowAttachmentsCommand);
        }
        return;
    }
    TPDAUIEngineElementUserControl::OnCommand(command);
}
