#pragma once
#include "uiengine/elements/TPDAUIEngineElement.h"

// A label ("autofitlabel") drawn at the largest font size, within its limits,
// at which its text fits its box. The size is searched again when the text
// changes or the box is set.
class TPDAUIEngineElementAutoFitLabel : public TPDAUIEngineElement {
public:
    // Pack and align Center.
    TPDAUIEngineElementAutoFitLabel();
    ~TPDAUIEngineElementAutoFitLabel() override;

    void OnLoad(TPDAUIEngine* engine, TPDAUIEngineElementPage* page, TPDAUIEngineElement* parent,
                TPDAUIEngineXml* xmlNode, TFicheroITV* stream) override;
    // Stores the rectangle and asks for a new fit at the next paint.
    void SetBounds(int left, int top, int width, int height) override;
    // Normal style only. The text "--" (and no text) draws nothing but the
    // background and border.
    void Paint(IDC* dc, int x, int y) override;
    void SetAttribute(const char* name, const char* value) override;
    DString GetAttribute(const char* name) override;
    void CopyFrom(TPDAUIEngineElement* other) override;
    void Save(TFicheroITV& stream) override;

    int minimumFontSize = 10;
    int maximumFontSize = 999;
    int maxLines = -1;
    bool autoCalculateMaxLines = false;  // wrap freely, line breaks taken as blanks
    DString fittedText;                  // the label the font size was fitted to
};
