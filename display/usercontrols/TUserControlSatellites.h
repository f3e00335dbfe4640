#pragma once
#include "uiengine/elements/TPDAUIEngineElementUserControl.h"

class TOrbetaApp;
class TPDAUIEngineElementImageList;

// The GPS status (field 330) as a frame of an image list.
class TUserControlSatellites : public TPDAUIEngineElementUserControl {
public:
    explicit TUserControlSatellites(TOrbetaApp* app);

    void OnLoad(TPDAUIEngine* engine, TPDAUIEngineElementPage* page, TPDAUIEngineElement* parent,
                TPDAUIEngineXml* xmlNode, TFicheroITV* stream) override;
    void Paint(IDC* dc, int x, int y) override;

    TOrbetaApp* app;
    TPDAUIEngineElementImageList* imlSatellite = nullptr;
};
