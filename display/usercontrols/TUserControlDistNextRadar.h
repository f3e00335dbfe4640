#pragma once
#include "uiengine/elements/TPDAUIEngineElementUserControl.h"

class TOrbetaApp;
class TPDAUIEngineElementProgressBar;

// The distance to the next speed camera (field 351): its text and a bar that
// fills over the last 1000 units, green, then amber, then red.
class TUserControlDistNextRadar : public TPDAUIEngineElementUserControl {
public:
    explicit TUserControlDistNextRadar(TOrbetaApp* app);

    void OnLoad(TPDAUIEngine* engine, TPDAUIEngineElementPage* page, TPDAUIEngineElement* parent,
                TPDAUIEngineXml* xmlNode, TFicheroITV* stream) override;
    void Paint(IDC* dc, int x, int y) override;

    // The bar's colour at a distance (0x00BBGGRR).
    static uint32_t BarColour(double distance);
    // The bar's value at a distance: 1000 less it, within 0..1000.
    static int BarValue(double distance);

    TOrbetaApp* app;
    TPDAUIEngineElement* lblTitle = nullptr;
    TPDAUIEngineElementProgressBar* pgbProgressbar = nullptr;
};
