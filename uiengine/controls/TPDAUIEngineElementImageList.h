#pragma once
#include "uiengine/controls/TPDAUIEngineElementImageBox.h"

// An image list ("imagelist"): the element's image is a strip of square
// frames and the list shows the one at selectedIndex, centred in its content.
class TPDAUIEngineElementImageList : public TPDAUIEngineElementImageBox {
public:
    TPDAUIEngineElementImageList();

    void OnLoad(TPDAUIEngine* engine, TPDAUIEngineElementPage* page, TPDAUIEngineElement* parent,
                TPDAUIEngineXml* xmlNode, TFicheroITV* stream) override;
    int GetMinimumHeight(int availableWidth) override;
    int GetMinimumWidth(int availableHeight) override;
    void Paint(IDC* dc, int x, int y) override;
    void SetAttribute(const char* name, const char* value) override;
    DString GetAttribute(const char* name) override;
    void CopyFrom(TPDAUIEngineElement* other) override;
    void Save(TFicheroITV& stream) override;

    // Shows another frame (a negative index shows the first); nothing when it
    // is the one shown.
    void SetSelectedIndex(int index);

    int selectedIndex = 0;
    // Used instead of the image box's scale.
    float imageScale = 0.0f;
};
