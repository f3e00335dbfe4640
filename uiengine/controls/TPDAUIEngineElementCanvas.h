#pragma once
#include "uiengine/elements/TPDAUIEngineElement.h"

// An owner-drawn area ("canvas"): it paints its state's background and border;
// subclasses draw their content over them.
class TPDAUIEngineElementCanvas : public TPDAUIEngineElement {
public:
    TPDAUIEngineElementCanvas();
    void Paint(IDC* dc, int x, int y) override;
};

// A thin line between elements ("separator"), drawn as the skin's separator image.
class TPDAUIEngineElementSeparator : public TPDAUIEngineElement {
public:
    TPDAUIEngineElementSeparator();
    // The element's loading, then the separator image as the background, whatever
    // the skin set.
    void OnLoad(TPDAUIEngine* engine, TPDAUIEngineElementPage* page, TPDAUIEngineElement* parent,
                TPDAUIEngineXml* xmlNode, TFicheroITV* stream) override;
    void Paint(IDC* dc, int x, int y) override;
};
