#pragma once
#include "enginelib/base/DString.h"
#include "uiengine/elements/TPDAUIEngineElement.h"

class TDibIG;

// A radio button ("radiobutton"): selecting one unchecks every other radio button
// that is a direct child of the same box, and raises "onCommand".
class TPDAUIEngineElementRadioButton : public TPDAUIEngineElement {
public:
    TPDAUIEngineElementRadioButton();
    ~TPDAUIEngineElementRadioButton() override;

    void OnLoad(TPDAUIEngine* engine, TPDAUIEngineElementPage* page, TPDAUIEngineElement* parent,
                TPDAUIEngineXml* xmlNode, TFicheroITV* stream) override;
    int GetMinimumHeight(int availableWidth) override;
    int GetMinimumWidth(int availableHeight) override;
    void Paint(IDC* dc, int x, int y) override;
    void SetAttribute(const char* name, const char* value) override;
    DString GetAttribute(const char* name) override;
    void OnMouseUp(int x, int y, int kind, unsigned char* handled) override;
    void OnKeyDown(int key, unsigned char* handled, unsigned char* consumed) override;
    void CopyFrom(TPDAUIEngineElement* other) override;
    void Save(TFicheroITV& stream) override;

    // Checks this button, unchecks its siblings, repaints and raises "onCommand".
    void Select();
    float EffectiveImageScale() const;

    bool checked = false;
    TDibIG* radioImage = nullptr;    // not owned
    TDibIG* checkedImage = nullptr;  // not owned
    TDibIG* focusImage = nullptr;    // not owned
    float imageScale = 0.0f;
    bool wordBreak = false;
    int maxLines = -1;

private:
    int MarkSize(int contentHeight) const;
};
