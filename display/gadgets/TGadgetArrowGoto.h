#pragma once
#include "uiengine/elements/TPDAUIEngineElement.h"

class TOrbetaApp;

// The direction to the current target (field 313): the library's arrow image
// turned to the bearing, tinted red while the car is far off the route (field
// 317), or a drawn arrow when the skin has no image. Made in code only.
class TGadgetArrowGoto : public TPDAUIEngineElement {
public:
    // All four paddings one UI-scale pixel.
    explicit TGadgetArrowGoto(TOrbetaApp* app);
    ~TGadgetArrowGoto() override;

    // The element's loading, then the image "commonArrowGoto".
    void OnLoad(TPDAUIEngine* engine, TPDAUIEngineElementPage* page, TPDAUIEngineElement* parent,
                TPDAUIEngineXml* xmlNode, TFicheroITV* stream) override;
    void Paint(IDC* dc, int x, int y) override;

    // Bearings below this mean the library has no target.
    static constexpr double kNoBearing = -360.0;
    // Field 317 above this tints the arrow.
    static constexpr double kTintAbove = 50.0;

    TOrbetaApp* app;
};
