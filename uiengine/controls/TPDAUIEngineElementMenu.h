#pragma once
#include "enginelib/base/DString.h"
#include "uiengine/elements/TPDAUIEngineElementBox.h"

// A pop-up or context menu ("menu"): a vertical box shown at a point, either
// as a pop-up of its page clamped to the screen or through the engine's
// context-menu window.
class TPDAUIEngineElementMenu : public TPDAUIEngineElementBox {
public:
    enum MenuMode { Default = 0, Window = 1 };

    TPDAUIEngineElementMenu();
    ~TPDAUIEngineElementMenu() override;

    // The box's loading; a compiled record then holds the menu's own fields.
    void OnLoad(TPDAUIEngine* engine, TPDAUIEngineElementPage* page, TPDAUIEngineElement* parent,
                TPDAUIEngineXml* xmlNode, TFicheroITV* stream) override;
    void SetAttribute(const char* name, const char* value) override;
    DString GetAttribute(const char* name) override;
    // Tab and arrows are swallowed so focus stays inside the menu.
    void OnKeyDown(int key, unsigned char* handled, unsigned char* consumed) override;
    // Escape closes the menu when it is an open pop-up of its page.
    void OnKeyUp(int key, unsigned char* handled, int heldTime) override;
    void CopyFrom(TPDAUIEngineElement* other) override;
    void Save(TFicheroITV& stream) override;
    // What the page receives when the pop-up closes.
    DString GetPopupHideCommand() override;

    // Shows the menu at (x, y) in screen coordinates; hideCommand reaches the
    // page when the pop-up closes.
    void Popup(int x, int y, const DString& hideCommand);
    // Where a menu of size w x h shown at (x, y) goes on a screen of the given
    // size: pushed back inside from the right and bottom, never above or left of 0.
    static void ClampToScreen(int x, int y, int w, int h, int screenWidth, int screenHeight,
                              int* outLeft, int* outTop);
    // Whether the menu is among its page's open pop-ups.
    bool IsOpenPopup() const;

    DString onHideCommand;
    bool showImages = true;
    int mode = Default;
};
