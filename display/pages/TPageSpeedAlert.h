#pragma once
#include "uiengine/elements/TPDAUIEngineElementPage.h"

class TOrbetaApp;
class TUserControlMaxVelocity;

// The over-speed alert ("pageSpeedAlert") that the speed-limit sign opens and
// closes. The user may close it first ("close"); the sign then learns of it
// from the page itself, when the page goes.
class TPageSpeedAlert : public TPDAUIEngineElementPage {
public:
    explicit TPageSpeedAlert(TOrbetaApp* app);
    // Tells the owner, when there still is one, that the page is gone.
    ~TPageSpeedAlert() override;

    void OnLoad(TPDAUIEngine* engine, TPDAUIEngineElementPage* page, TPDAUIEngineElement* parent,
                TPDAUIEngineXml* xmlNode, TFicheroITV* stream) override;
    void OnCommand(TPDAUIEngineCommand& command) override;

    TOrbetaApp* app;
    TPDAUIEngineElement* imbImage = nullptr;
    TPDAUIEngineElement* lblMessage = nullptr;
    TPDAUIEngineElement* btnCancel = nullptr;
    // The sign that opened the page; it clears this when it lets go first.
    TUserControlMaxVelocity* owner = nullptr;
    // Set by the owner when it hands the page to the engine.
    bool opened = false;
};
