#pragma once
#include "uiengine/elements/TPDAUIEngineElementUserControl.h"

class TOrbetaApp;
class TPDAUIEngineElementSliderBox;
class TUserControlMapScale;
class TUserControlMapStatus;

// The map's scale, or the library's status while it has one, in one place
// ("usercontrol/usercontrolMapScaleOrStatus"): a slider box whose first card is
// the scale and whose second is the status.
class TUserControlMapScaleOrStatus : public TPDAUIEngineElementUserControl {
public:
    explicit TUserControlMapScaleOrStatus(TOrbetaApp* app);
    ~TUserControlMapScaleOrStatus() override;

    void OnLoad(TPDAUIEngine* engine, TPDAUIEngineElementPage* page, TPDAUIEngineElement* parent,
                TPDAUIEngineXml* xmlNode, TFicheroITV* stream) override;
    // Refreshes the status and slides to the card it asks for, then paints.
    void Paint(IDC* dc, int x, int y) override;

    TOrbetaApp* app;
    TPDAUIEngineElementSliderBox* boxSliderBox = nullptr;
    TUserControlMapScale* usercontrolMapScale = nullptr;
    TUserControlMapStatus* usercontrolMapStatus = nullptr;
};
