#pragma once
#include "uiengine/controls/TPDAUIEngineElementMenu.h"
#include "uiengine/core/TPDAUIEngineStyleBackground.h"

class TPDAUIEngineElementMenuItem;

// A tool bar ("toolbar"): a menu laid out as one row of image-only items. Items
// that do not fit move, first ones first, into the sub-menu of an extra "more"
// item at the start of the row, where they show their labels; every layout moves
// them back first and shares them out again.
class TPDAUIEngineElementToolBar : public TPDAUIEngineElementMenu {
public:
    TPDAUIEngineElementToolBar();
    ~TPDAUIEngineElementToolBar() override;

    void OnLoad(TPDAUIEngine* engine, TPDAUIEngineElementPage* page, TPDAUIEngineElement* parent,
                TPDAUIEngineXml* xmlNode, TFicheroITV* stream) override;
    void SetBounds(int left, int top, int width, int height) override;
    void Paint(IDC* dc, int x, int y) override;
    // Painted as a box is (the shift of a packed row moves only a nine-slice).
    bool PaintsOpaque(IDC* dc) override;
    // A row packed at the end lets presses left of its items through.
    TPDAUIEngineElement* HitTest(int x, int y) override;
    void SetAttribute(const char* name, const char* value) override;
    void CopyFrom(TPDAUIEngineElement* other) override;
    void Save(TFicheroITV& stream) override;
    // Removes and deletes every item, the overflow item too.
    virtual void RemoveAllItems();

    // The sub-menu of the overflow item, or null before the first layout.
    TPDAUIEngineElementMenu* OverflowMenu() const;

    TPDAUIEngineStyleBackground subMenuBackground;
    int subMenuPadding = 0;
    int subMenuMarginTop = 0;
    int subMenuMarginLeft = 0;
    TPDAUIEngineElementMenuItem* overflowItem = nullptr;  // the first child once made

private:
    void CreateOverflowItem();
    bool RightPacked() const;
    int LeftmostVisibleChild() const;
};
