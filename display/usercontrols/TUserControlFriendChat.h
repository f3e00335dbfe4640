#pragma once
#include "uiengine/elements/TPDAUIEngineElementUserControl.h"

class TOrbetaApp;

// The friends' chat: a repeater whose items are filled from outside.
class TUserControlFriendChat : public TPDAUIEngineElementUserControl {
public:
    explicit TUserControlFriendChat(TOrbetaApp* app);

    void OnLoad(TPDAUIEngine* engine, TPDAUIEngineElementPage* page, TPDAUIEngineElement* parent,
                TPDAUIEngineXml* xmlNode, TFicheroITV* stream) override;
    // Swallows "loquesea2"; every other command goes on as any element's.
    void OnCommand(TPDAUIEngineCommand& command) override;

    TOrbetaApp* app;
    TPDAUIEngineElement* rptRepeater = nullptr;
    TPDAUIEngineElement* rpiRepeaterItem = nullptr;
};
