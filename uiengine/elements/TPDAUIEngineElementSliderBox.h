#pragma once
#include "uiengine/elements/TPDAUIEngineElementBox.h"

// A box showing one child at a time ("sliderbox"), sliding the next one in while
// the old one slides out (horizontally, vertically or, for "Fade", as the inverted
// vertical slide), on the element timer.
class TPDAUIEngineElementSliderBox : public TPDAUIEngineElementBox {
public:
    enum SliderKind { None = 0, Horizontal = 1, HorizontalInverted = 2, Vertical = 3, VerticalInverted = 4, Fade = 5 };

    TPDAUIEngineElementSliderBox();
    void OnLoad(TPDAUIEngine* engine, TPDAUIEngineElementPage* page, TPDAUIEngineElement* parent,
                TPDAUIEngineXml* xmlNode, TFicheroITV* stream) override;
    void Paint(IDC* dc, int x, int y) override;
    // Only the current child can be hit, also while sliding.
    TPDAUIEngineElement* HitTest(int x, int y) override;
    void SetAttribute(const char* name, const char* value) override;
    DString GetAttribute(const char* name) override;
    void OnTimer(int interval, int now) override;
    void Save(TFicheroITV& stream) override;
    virtual void StartTransition();
    virtual void EndTransition();

    // Index outside the children: nothing shown (the index is kept in range).
    void SetCurrentIndex(int index);
    void ShowNext();
    void ShowPrevious();
    bool InTransition() const { return previousIndex >= 0; }

    int previousIndex = -1;  // the child being replaced; -1 when idle
    int sliderVelocity = 500;
    int sliderKind = Horizontal;
    unsigned char reverse = 0;

private:
    void ApplyKindLayout();
    void Begin();
    bool Usable(int index);
};
