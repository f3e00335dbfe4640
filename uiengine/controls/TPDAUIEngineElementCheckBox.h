#pragma once
#include "enginelib/base/DString.h"
#include "uiengine/elements/TPDAUIEngineElement.h"

class TDibIG;

// A check box ("checkbox"): a check column (box image with a check image over it,
// or a drawn square and cross) beside a label; each click toggles "checked" and
// raises "onCommand".
class TPDAUIEngineElementCheckBox : public TPDAUIEngineElement {
public:
    TPDAUIEngineElementCheckBox();
    ~TPDAUIEngineElementCheckBox() override;

    void OnLoad(TPDAUIEngine* engine, TPDAUIEngineElementPage* page, TPDAUIEngineElement* parent,
                TPDAUIEngineXml* xmlNode, TFicheroITV* stream) override;
    int GetMinimumHeight(int availableWidth) override;
    int GetMinimumWidth(int availableHeight) override;
    void Paint(IDC* dc, int x, int y) override;
    void SetAttribute(const char* name, const char* value) override;
    DString GetAttribute(const char* name) override;
    void OnMouseDown(int x, int y, int kind, int a, int b) override;
    void OnMouseUp(int x, int y, int kind, unsigned char* handled) override;
    void OnKeyDown(int key, unsigned char* handled, unsigned char* consumed) override;
    void OnKeyUp(int key, unsigned char* handled, int heldTime) override;
    void CopyFrom(TPDAUIEngineElement* other) override;
    void Save(TFicheroITV& stream) override;

    float EffectiveImageScale() const;

    bool checked = false;
    DString imageFocusName;
    TDibIG* imageFocus = nullptr;  // not owned
    DString imageHoverName;
    TDibIG* imageHover = nullptr;  // not owned
    DString imageCheckName;
    TDibIG* imageCheck = nullptr;  // not owned
    bool wordBreak = true;
    bool wordEllipsis = false;
    bool onlyUncheckOnImageClick = false;
    int checkColumnWidth = 32;
    float imageScale = 0.0f;
    int maxLines = -1;

private:
    void ComputeCheckColumn();
    int EffectiveAlign() const;
    // Whether a press shows the mark it would leave (not inside a kinetic scroll box).
    bool PreviewsToggle();
    TDibIG* LookUp(const DString& name) const;
    void Toggle();
};
