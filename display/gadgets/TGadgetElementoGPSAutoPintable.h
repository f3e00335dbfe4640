#pragma once
#include "enginelib/base/Vector.h"
#include "enginelib/draw/Geometry.h"
#include "uiengine/controls/TPDAUIEngineElementComboBox.h"

class TElementoGPS;
class TOrbetaApp;
class TValCampo;

// A drop-down that chooses one value of a library object's field; the value
// and every choice are drawn by the object itself. The properties editor
// makes it and fills the choices.
class TGadgetElementoGPSAutoPintable : public TPDAUIEngineElementComboBox {
public:
    TGadgetElementoGPSAutoPintable(TOrbetaApp* app, TElementoGPS* object, int field);
    ~TGadgetElementoGPSAutoPintable() override;

    // The combo box's loading, then its list drawn by this gadget.
    void OnLoad(TPDAUIEngine* engine, TPDAUIEngineElementPage* page, TPDAUIEngineElement* parent,
                TPDAUIEngineXml* xmlNode, TFicheroITV* stream) override;
    void Paint(IDC* dc, int x, int y) override;
    int PaintItem(IDC* dc, int left, int top, int right, int bottom, int index, int selected,
                  int showLabel) override;

    // The magnitude of chosen options.
    static constexpr int kMagnitudeOption = 14;
    // The part of a row the object draws a choice in.
    static TRectIG ItemRect(const TRectIG& row, int magnitude);

    VectorP<TValCampo> choices{10, 10, true};  // owned
    TOrbetaApp* app;
    TElementoGPS* object;  // the page's
    int field;
};
