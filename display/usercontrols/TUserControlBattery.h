#pragma once
#include "uiengine/elements/TPDAUIEngineElementUserControl.h"

class TOrbetaApp;
class TPDAUIEngineElementProgressBar;

// The battery level (field 98) as a bar, or the external-power image while the
// library gives a negative level.
class TUserControlBattery : public TPDAUIEngineElementUserControl {
public:
    explicit TUserControlBattery(TOrbetaApp* app);

    void OnLoad(TPDAUIEngine* engine, TPDAUIEngineElementPage* page, TPDAUIEngineElement* parent,
                TPDAUIEngineXml* xmlNode, TFicheroITV* stream) override;
    void Paint(IDC* dc, int x, int y) override;

    TOrbetaApp* app;
    TPDAUIEngineElement* imgBatteryAC = nullptr;
    TPDAUIEngineElementProgressBar* pgbLevelBattery = nullptr;

private:
    // The library's battery-display setting, read on the first paint: -1 not yet.
    int hidden_ = -1;
};
