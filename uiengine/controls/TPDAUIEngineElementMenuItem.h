#pragma once
#include <cstdint>

#include "enginelib/base/DString.h"
#include "uiengine/controls/TPDAUIEngineAliveGuards.h"
#include "uiengine/elements/TPDAUIEngineElementBox.h"

class TDibIG;
class TPDAUIEngineElementMenu;

// One entry of a menu or tool bar ("menuitem"): an image, a label, a check mark
// and, when its first child is a menu, a sub-menu that opens beside it (above or
// below it in a tool bar). Releasing it closes the page's pop-ups and raises
// "onCommand"; in repeat mode the command repeats while the item is held.
class TPDAUIEngineElementMenuItem : public TPDAUIEngineElementBox {
public:
    TPDAUIEngineElementMenuItem();
    ~TPDAUIEngineElementMenuItem() override;

    void OnLoad(TPDAUIEngine* engine, TPDAUIEngineElementPage* page, TPDAUIEngineElement* parent,
                TPDAUIEngineXml* xmlNode, TFicheroITV* stream) override;
    int GetMinimumHeight(int availableWidth) override;
    int GetMinimumWidth(int availableHeight) override;
    void Paint(IDC* dc, int x, int y) override;
    // The item itself, never a child (its sub-menu lives on the page's pop-ups).
    TPDAUIEngineElement* HitTest(int x, int y) override;
    void OnHoverEnter(int x, int y, int flags) override {}
    void OnMouseMove(int x, int y, int flags, unsigned char* handled, int a, int b) override {}
    void OnHoverLeave(int x, int y, int flags) override {}
    void OnMouseDown(int x, int y, int kind, int a, int b) override;
    void OnMouseUp(int x, int y, int kind, unsigned char* handled) override;
    void OnKeyDown(int key, unsigned char* handled, unsigned char* consumed) override;
    void OnKeyUp(int key, unsigned char* handled, int heldTime) override;
    void OnTimer(int interval, int now) override;
    void SetAttribute(const char* name, const char* value) override;
    DString GetAttribute(const char* name) override;
    void CopyFrom(TPDAUIEngineElement* other) override;
    void Save(TFicheroITV& stream) override;

    // Opens the sub-menu (y: the pointer's row in the item, for tool bars); an item
    // without one closes the pop-ups and raises its command.
    void OpenSubMenu(int y);
    // The first child when it is a menu.
    TPDAUIEngineElementMenu* SubMenu() const;
    bool IsSubMenuOpen();
    // imageScale when above 0.1, else the UI scale.
    float EffectiveImageScale() const;

    // ---- members, in declaration order ----
    bool inToolBar = false;
    int checked = 1;
    bool showcheck = true;
    bool showImage = true;
    bool showLabel = true;
    DString imagePressedName;
    TDibIG* imagePressed = nullptr;   // not owned
    DString imageDisabledName;
    TDibIG* imageDisabled = nullptr;  // not owned
    TDibIG* checkImage = nullptr;     // not owned
    bool raiseMultipleCommandsWhenPressed = false;
    bool repeatRaised = false;
    float imageScale = 0.0f;
    // What the application keeps with an item it built (a command item and three
    // numbers); never saved, never copied.
    intptr_t userData = 0;
    int userValue1 = 0;
    int userValue2 = 0;
    int userValue3 = 0;

private:
    int EffectiveAlign() const;
    TDibIG* LookUp(const DString& name) const;
    // Closes the page's pop-ups and raises "onCommand"; false when that deleted the item.
    bool CloseAndRaise(bool sound);
    void Release(int x, int y);
    TPDAUIEngineAliveGuards alive_;
};
