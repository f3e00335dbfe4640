#pragma once
#include "uiengine/elements/TPDAUIEngineElementUserControl.h"

class TDibIG;
class TOrbetaApp;

// The vertical speed-camera approach bar: the current speed as a pointer and
// the camera's limit as a camera mark, placed against the limit, with the
// distance beside the mark. Draws nothing unless the skin has all its images.
class TUserControlRadarBar : public TPDAUIEngineElementUserControl {
public:
    explicit TUserControlRadarBar(TOrbetaApp* app);

    void OnLoad(TPDAUIEngine* engine, TPDAUIEngineElementPage* page, TPDAUIEngineElement* parent,
                TPDAUIEngineXml* xmlNode, TFicheroITV* stream) override;
    void Paint(IDC* dc, int x, int y) override;

    // The y of a value on the last paint's bar, within its top and bottom limits.
    int ValueToY(double value) const;

    TOrbetaApp* app;
    TDibIG* imgBase = nullptr;      // owned by the image store, as the others
    TDibIG* imgDist = nullptr;
    TDibIG* imgPointer1 = nullptr;  // at or below the limit
    TDibIG* imgPointer2 = nullptr;  // above the limit
    TDibIG* imgRadar = nullptr;
    bool ready = false;
    // The last paint's geometry.
    int centre = 0;
    double reference = 0;
    double pixelsPerUnit = 0;
    int topLimit = 0;
    int bottomLimit = 0;
};
