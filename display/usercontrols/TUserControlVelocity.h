#pragma once
#include "uiengine/elements/TPDAUIEngineElementUserControl.h"

class TOrbetaApp;
class TPDAUIEngineElementLabel;

// The current speed (field 21), in the alarm colour with a bordered font when
// the library flags it or it is above the limit of field 352; the units label
// beside it follows.
class TUserControlVelocity : public TPDAUIEngineElementUserControl {
public:
    explicit TUserControlVelocity(TOrbetaApp* app);

    void OnLoad(TPDAUIEngine* engine, TPDAUIEngineElementPage* page, TPDAUIEngineElement* parent,
                TPDAUIEngineXml* xmlNode, TFicheroITV* stream) override;
    void Paint(IDC* dc, int x, int y) override;

    // The units label: "lblPolivalentDataItemUnits" or "lblUnits" under the
    // parent, else "lblUnits" under the parent's parent; null when none.
    TPDAUIEngineElement* FindUnitsLabel();

    TOrbetaApp* app;
    TPDAUIEngineElementLabel* lblValue = nullptr;

protected:
    TUserControlVelocity(TOrbetaApp* app, const char* tagName);
};

// The same control with its own, larger definition.
class TUserControlVelocityBig : public TUserControlVelocity {
public:
    explicit TUserControlVelocityBig(TOrbetaApp* app);
};
