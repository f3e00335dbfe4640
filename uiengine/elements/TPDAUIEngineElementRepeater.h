#pragma once
#include "uiengine/elements/TPDAUIEngineElementBox.h"
#include "uiengine/elements/TPDAUIEngineElementVScrollBar.h"

class IDC;
class TPDAUIEngineElementRepeaterItem;

// An entry of a repeater ("repeateritem"); application code may measure and draw it.
class TPDAUIEngineElementRepeaterItem : public TPDAUIEngineElementBox {
public:
    // measure(context, item, width, out height): true when it wrote the height.
    typedef bool (*FuncMeasure)(void* context, TPDAUIEngineElementRepeaterItem* item, int width, int* height);
    // draw(context, item, dc, left, top, right, bottom, 0).
    typedef void (*FuncDraw)(void* context, TPDAUIEngineElementRepeaterItem* item, IDC* dc, int left, int top,
                             int right, int bottom, int flags);

    TPDAUIEngineElementRepeaterItem();
    int GetMinimumHeight(int availableWidth) override;
    void Paint(IDC* dc, int x, int y) override;
    void OnMouseUp(int x, int y, int kind, unsigned char* handled) override;

    FuncDraw drawCallback = nullptr;
    void* drawContext = nullptr;
    FuncMeasure measureCallback = nullptr;
    void* measureContext = nullptr;
};

// A scrolling box of repeated entries ("repeater") whose selected entry follows
// the keyboard focus.
class TPDAUIEngineElementRepeater : public TPDAUIEngineElementBox {
public:
    TPDAUIEngineElementRepeater();
    void OnLoad(TPDAUIEngine* engine, TPDAUIEngineElementPage* page, TPDAUIEngineElement* parent,
                TPDAUIEngineXml* xmlNode, TFicheroITV* stream) override;
    void Paint(IDC* dc, int x, int y) override;
    // Selects the focused entry; the press goes no further.
    void OnMouseDown(int x, int y, int kind, int a, int b) override;
    void CopyFrom(TPDAUIEngineElement* other) override;
    void Save(TFicheroITV& stream) override;

    // -1 unless the selection names an entry.
    int GetSelectedIndex() const;
    // Outside the entries: 0 and below select none, beyond the last the last.
    void SetSelectedIndex(int index);

    int selectedIndex = -1;
    int paintOriginY = 0;
    // For the control that owns the repeater (a chat history): called on a press
    // with the selected entry, the press's y in the scrolled content, and on the screen.
    void (*itemPressed)(void* owner, int index, int contentY, int screenY) = nullptr;
    void* itemPressedOwner = nullptr;

private:
    int FocusedChild();
};
