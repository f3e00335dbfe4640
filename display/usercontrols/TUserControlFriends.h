#pragma once
#include "uiengine/elements/TPDAUIEngineElementUserControl.h"

class TOrbetaApp;
class TPDAUIEngineElementImageList;

// The friends count (field 391) as an image-list frame, with an unread badge
// (field 394) once there are two or more; a tap opens the friends list.
class TUserControlFriends : public TPDAUIEngineElementUserControl {
public:
    explicit TUserControlFriends(TOrbetaApp* app);

    void OnLoad(TPDAUIEngine* engine, TPDAUIEngineElementPage* page, TPDAUIEngineElement* parent,
                TPDAUIEngineXml* xmlNode, TFicheroITV* stream) override;
    void Paint(IDC* dc, int x, int y) override;
    void OnMouseDown(int x, int y, int kind, int a, int b) override;

    TOrbetaApp* app;
    TPDAUIEngineElementImageList* imlFriends = nullptr;
};
