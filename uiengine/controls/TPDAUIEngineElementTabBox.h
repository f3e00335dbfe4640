#pragma once
#include "uiengine/controls/TPDAUIEngineElementButton.h"
#include "uiengine/elements/TPDAUIEngineElementBox.h"

class TPDAUIEngineElementTabBoxButtons;
class TPDAUIEngineElementTabBoxPages;

// A box of a row of tab buttons and a stack of tab pages ("tabbox"): pressing the
// n-th visible button shows the page at the same position and hides the others.
// The selection is the buttons' pressed state.
class TPDAUIEngineElementTabBox : public TPDAUIEngineElementBox {
public:
    TPDAUIEngineElementTabBox();
    void OnLoad(TPDAUIEngine* engine, TPDAUIEngineElementPage* page, TPDAUIEngineElement* parent,
                TPDAUIEngineXml* xmlNode, TFicheroITV* stream) override;
    void SetAttribute(const char* name, const char* value) override;
    DString GetAttribute(const char* name) override;
    void Save(TFicheroITV& stream) override;

    void SelectTab(int n);
    int GetSelectedIndex();

    TPDAUIEngineElementTabBoxButtons* buttons = nullptr;  // a child
    TPDAUIEngineElementTabBoxPages* pages = nullptr;      // a child
};

// The row of tab buttons ("tabboxbuttons").
class TPDAUIEngineElementTabBoxButtons : public TPDAUIEngineElementBox {
public:
    TPDAUIEngineElementTabBoxButtons();
};

// The stack of tab pages ("tabboxpages").
class TPDAUIEngineElementTabBoxPages : public TPDAUIEngineElementBox {
public:
    TPDAUIEngineElementTabBoxPages();
};

// One tab page ("tabboxpage").
class TPDAUIEngineElementTabBoxPage : public TPDAUIEngineElementBox {
public:
    TPDAUIEngineElementTabBoxPage();
};

// A tab button ("tabboxbutton"): a sticky button that selects its tab.
class TPDAUIEngineElementTabBoxButton : public TPDAUIEngineElementButton {
public:
    TPDAUIEngineElementTabBoxButton();
    void OnMouseDown(int x, int y, int kind, int a, int b) override;
};
