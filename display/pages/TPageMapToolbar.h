#pragma once
#include "uiengine/elements/TPDAUIEngineElementPage.h"

class TOrbetaApp;
class TItemComanda;
class TVectorComandas;
class TPDAUIEngineElementLabel;
class TPDAUIEngineElementButton;
class TPDAUIEngineElementMenu;

// The map toolbar page ("pageMapToolbar"): one of the library's command trees
// as a menu over the map. Choosing an item runs its command; the page closes
// once the command's reply arrives, or at once when the library's data change.
// Replies it does not know are passed to the page below.
class TPageMapToolbar : public TPDAUIEngineElementPage {
public:
    // tree: not owned; it must outlive the page (the library keeps its trees).
    TPageMapToolbar(TOrbetaApp* app, TVectorComandas* tree);

    void OnLoad(TPDAUIEngine* engine, TPDAUIEngineElementPage* page, TPDAUIEngineElement* parent,
                TPDAUIEngineXml* xmlNode, TFicheroITV* stream) override;
    void OnCommand(TPDAUIEngineCommand& command) override;
    // The tree goes: so do the pointers into it.
    void Detach() override;

    // The command item data names when it is an item of this page's tree (at
    // any depth), else null: a reply's data may be any kind of object.
    TItemComanda* ItemOfTree(intptr_t data) const;

    TOrbetaApp* app;
    TPDAUIEngineElementLabel* lblTitle = nullptr;
    TPDAUIEngineElementButton* btnCancel = nullptr;
    TPDAUIEngineElementMenu* mnuMenu = nullptr;
    TVectorComandas* tree;

private:
    void RefreshItems();
    void OtherCommand(TPDAUIEngineCommand& command);
};
