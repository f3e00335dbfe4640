#include "display/usercontrols/TUserControlSatellites.h"

#include "display/usercontrols/TUserControlCommon.h"
#include "uiengine/controls/TPDAUIEngineElementImageList.h"

TUserControlSatellites::TUserControlSatellites(TOrbetaApp* app) : app(app)
{
    tag = "usercontrol/usercontrolSatellites";
}

void TUserControlSatellites::OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage* p, TPDAUIEngineElement* par,
                                    TPDAUIEngineXml* xmlNode, TFicheroITV* stream)
{
    TPDAUIEngineElementUserControl::OnLoad(e, p, par, xmlNode, stream);
    imlSatellite = usercontrols::FindRequired<TPDAUIEngineElementImageList>(this, "imlSatellite");
}

void TUserControlSatellites::Paint(IDC* dc, int x, int y)
{
    if (imlSatellite) {
        const int status = usercontrols::FieldAsInteger(app, 330);
        imlSatellite->SetSelectedIndex(status < 0 ? 0 : status);
    }
    TPDAUIEngineElementUserControl::Paint(dc, x, y);
}
