#pragma once
#include "uiengine/elements/TPDAUIEngineElement.h"

// A progress bar ("progressbar"): an integer value shown as a bar filling from
// one side, drawn from the element's image or as a rectangle in the foreground
// colour, or as one card of an image strip. While its timer runs (its owner
// starts it) every tick adds "increment", starting over at 0 after 100.
class TPDAUIEngineElementProgressBar : public TPDAUIEngineElement {
public:
    enum ProgressDirection { LeftToRight = 0, RightToLeft = 1, TopToBottom = 2, BottomToTop = 3, ImageCards = 4 };

    TPDAUIEngineElementProgressBar();

    void OnLoad(TPDAUIEngine* engine, TPDAUIEngineElementPage* page, TPDAUIEngineElement* parent,
                TPDAUIEngineXml* xmlNode, TFicheroITV* stream) override;
    int GetMinimumHeight(int availableWidth) override;
    int GetMinimumWidth(int availableHeight) override;
    void Paint(IDC* dc, int x, int y) override;
    void SetAttribute(const char* name, const char* value) override;
    DString GetAttribute(const char* name) override;
    void OnTimer(int interval, int now) override;
    void CopyFrom(TPDAUIEngineElement* other) override;
    void Save(TFicheroITV& stream) override;

    float EffectiveImageScale() const;

    int value = 0;
    int minimumValue = 0;
    int maximumValue = 100;
    int direction = LeftToRight;
    int increment = 5;
    int imageCardsCount = 5;
    float imageScale = 0.0f;
};
