#pragma once
#include "uiengine/elements/TPDAUIEngineElementUserControl.h"

class TOrbetaApp;
class TPDAUIEngineElement;
class TPDAUIEngineElementProgressBar;

// What the library is busy with (map loading, route calculation) as a text and
// a progress bar ("usercontrol/usercontrolMapStatus"). The combined scale and
// status control refreshes it; its own paint only draws.
class TUserControlMapStatus : public TPDAUIEngineElementUserControl {
public:
    explicit TUserControlMapStatus(TOrbetaApp* app);
    ~TUserControlMapStatus() override;

    void OnLoad(TPDAUIEngine* engine, TPDAUIEngineElementPage* page, TPDAUIEngineElement* parent,
                TPDAUIEngineXml* xmlNode, TFicheroITV* stream) override;
    void Paint(IDC* dc, int x, int y) override;

    // Reads the status fields into the label and the bar; whether a status text
    // is shown.
    virtual bool UpdateStatus();

    TOrbetaApp* app;
    TPDAUIEngineElement* lblValue = nullptr;
    TPDAUIEngineElementProgressBar* pgbProgressBar = nullptr;
};
