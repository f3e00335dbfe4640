#pragma once
#include "uiengine/controls/TPDAUIEngineElementLabel.h"

// A one-line label ("sliderlabel") whose text, when longer than the label,
// scrolls to its end and back: it rests at the start for half of
// sliderVelocity, moves for sliderVelocity, rests at the end for half of it
// and moves back. Paints advance it by the engine's time; the element timer
// only asks for those paints.
class TPDAUIEngineElementSliderLabel : public TPDAUIEngineElementLabel {
public:
    // Slide states.
    enum ESlideState { SlideRestStart = 44, SlideForward = 6, SlideRestEnd = 66, SlideBack = 4 };

    // Timer interval 50 ms, no word break or ellipsis.
    TPDAUIEngineElementSliderLabel();
    ~TPDAUIEngineElementSliderLabel() override;

    void OnLoad(TPDAUIEngine* engine, TPDAUIEngineElementPage* page, TPDAUIEngineElement* parent,
                TPDAUIEngineXml* xmlNode, TFicheroITV* stream) override;
    void Paint(IDC* dc, int x, int y) override;
    void SetAttribute(const char* name, const char* value) override;
    DString GetAttribute(const char* name) override;
    // Repaints while shown; stops the timer once hidden.
    void OnTimer(int interval, int now) override;
    void Save(TFicheroITV& stream) override;

    // How far left the text was drawn at the last paint.
    int GetOffset() const { return offset_; }

    int sliderVelocity = 2000;  // ms of one pass
    int slideState = SlideRestStart;
    int slideStateStart = 0;    // engine time at which the state began

private:
    // Advances the state for the engine time now and answers the offset.
    int Slide(int overflow, int now);

    int offset_ = 0;
};
