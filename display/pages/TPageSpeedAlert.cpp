#include "display/pages/TPageSpeedAlert.h"

#include "app/TOrbetaApp.h"
#include "display/usercontrols/TUserControlMaxVelocity.h"
#include "uiengine/core/TPDAUIEngine.h"

TPageSpeedAlert::TPageSpeedAlert(TOrbetaApp* app)
    : TPDAUIEngineElementPage(app ? app->uiEngine : nullptr), app(app)
{
}

TPageSpeedAlert::~TPageSpeedAlert()
{
    TUserControlMaxVelocity* sign = owner;
    owner = nullptr;
    if (sign)
        sign->AlertPageGone(this);
}

void TPageSpeedAlert::OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage*, TPDAUIEngineElement* par, TPDAUIEngineXml*,
                             TFicheroITV*)
{
    LoadPage(e, nullptr, par, "pageSpeedAlert");
    imbImage = FindElement("imbImage", true);
    lblMessage = FindElement("lblMessage", true);
    btnCancel = FindElement("btnCancel", true);
    if (!imbImage || !app)
        return;
    DString path(app->programFolder);
    path << "/symbols/internal/pageSpeedAlertImage.png";
    if (TDibIG* picture = resources.GetImage(path.c_str(), true, false)) {
        imbImage->image = picture;
        imbImage->imageName = path;
    }
}

void TPageSpeedAlert::OnCommand(TPDAUIEngineCommand& command)
{
    if (command.name == "load")
        return;
    if (command.name == "close") {
        Close(0);
        return;
    }
    command.handled = 0;
}
