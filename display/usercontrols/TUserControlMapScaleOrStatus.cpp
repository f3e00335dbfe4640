#include "display/usercontrols/TUserControlMapScaleOrStatus.h"

#include "display/usercontrols/TUserControlMapScale.h"
#include "display/usercontrols/TUserControlMapStatus.h"
#include "uiengine/elements/TPDAUIEngineElementSliderBox.h"

TUserControlMapScaleOrStatus::TUserControlMapScaleOrStatus(TOrbetaApp* a) : app(a)
{
    tag = "usercontrol/usercontrolMapScaleOrStatus";
}

TUserControlMapScaleOrStatus::~TUserControlMapScaleOrStatus() {}

void TUserControlMapScaleOrStatus::OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage* p, TPDAUIEngineElement* par,
                                          TPDAUIEngineXml* xmlNode, TFicheroITV* stream)
{
    TPDAUIEngineElementUserControl::OnLoad(e, p, par, xmlNode, stream);
    boxSliderBox = dynamic_cast<TPDAUIEngineElementSliderBox*>(FindElement("boxSliderBox", true));
    // A nested control the factory could not make is absent: the slider then
    // keeps whatever card it has.
    usercontrolMapScale = dynamic_cast<TUserControlMapScale*>(FindElement("usercontrolMapScale", false));
    usercontrolMapStatus = dynamic_cast<TUserControlMapStatus*>(FindElement("usercontrolMapStatus", false));
}

void TUserControlMapScaleOrStatus::Paint(IDC* dc, int x, int y)
{
    if (boxSliderBox && usercontrolMapStatus) {
        const bool status = usercontrolMapStatus->UpdateStatus();
        if (status && boxSliderBox->layoutCardIndex == 0)
            boxSliderBox->ShowNext();
        else if (!status && boxSliderBox->layoutCardIndex == 1)
            boxSliderBox->ShowPrevious();
    }
    TPDAUIEngineElementUserControl::Paint(dc, x, y);
}
