#pragma once
#include "enginelib/base/DString.h"
#include "uiengine/controls/TPDAUIEngineAliveGuards.h"
#include "uiengine/elements/TPDAUIEngineElement.h"

class TDibIG;
class TPDAUIEngineElementListBox;

// The drop-down choice of the skin language ("combobox"): one value with an
// arrow, and an owned list box of choices ("<id>__listbox"). In "Default"
// mode a press opens the list as a pop-up of the page under the combo box;
// in "Window" mode a release asks the application to show the choices on a
// page of its own. A choice raises the combo box's "onCommand"; the shown
// value changes only when the page calls SetSelectedIndex.
class TPDAUIEngineElementComboBox : public TPDAUIEngineElement {
public:
    enum EMode { ModeDefault = 0, ModeWindow = 1 };

    TPDAUIEngineElementComboBox();
    ~TPDAUIEngineElementComboBox() override;

    void OnLoad(TPDAUIEngine* engine, TPDAUIEngineElementPage* page, TPDAUIEngineElement* parent,
                TPDAUIEngineXml* xmlNode, TFicheroITV* stream) override;
    int GetMinimumHeight(int availableWidth) override;
    int GetMinimumWidth(int availableHeight) override;
    void SetBounds(int left, int top, int width, int height) override;
    void Paint(IDC* dc, int x, int y) override;
    TPDAUIEngineElement* FindByNumericId(int numericId) override;
    void SetAttribute(const char* name, const char* value) override;
    DString GetAttribute(const char* name) override;
    void OnMouseDown(int x, int y, int kind, int a, int b) override;
    void OnMouseWheel(int x, int y, int delta) override;
    void OnMouseUp(int x, int y, int kind, unsigned char* handled) override;
    void OnKeyDown(int key, unsigned char* handled, unsigned char* consumed) override;
    void OnKeyUp(int key, unsigned char* handled, int heldTime) override;
    // Takes the inner list's choice; drops its other commands.
    void OnCommand(TPDAUIEngineCommand& command) override;
    void Detach() override;
    void CopyFrom(TPDAUIEngineElement* other) override;
    void Save(TFicheroITV& stream) override;

    // Paints one choice for a subclass that installs it as the list's owner
    // draw; nothing here.
    virtual int PaintItem(IDC* dc, int left, int top, int right, int bottom, int index, int selected,
                          int showLabel);

    int GetSelectedIndex() const;
    // -1 empties the value; an index beyond the items is ignored.
    void SetSelectedIndex(int i);
    // Opens the choices; 0 when "beforeShowListCommand" refused.
    int ShowList();
    // Whether the inner list is open as a pop-up of the page.
    bool IsListOpen();

    DString value;
    DString value2;  // kept for pages, not read here
    int mode = ModeDefault;
    TPDAUIEngineElementListBox* listBox;  // owned
    DString beforeShowListCommand;
    TDibIG* arrowImage = nullptr;  // the resource store's
    TDibIG* arrowPressedImage = nullptr;
    bool hideImageInSelectedItem = true;
    bool multiLine = false;


    int EffectiveAlign() const;
    // The inner list's font: the combo box's with that size.
    void SetListFontSize(int size);
    void CloseList();
    TPDAUIEngineAliveGuards alive_;
};
