#pragma once
#include "uiengine/controls/TPDAUIEngineElementImageBox.h"

// An animated image ("imageanimatedbox"): the element's image is a strip of
// square frames, shown one at a time, moving on by one frame every element
// timer tick (1500 ms). The timer starts with the first paint of an image.
class TPDAUIEngineElementImageAnimatedBox : public TPDAUIEngineElementImageBox {
public:
    TPDAUIEngineElementImageAnimatedBox();

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

    // Kept and saved; the animation always starts over after the last frame.
    bool repeat = false;
    int frames = 2;
    // Used instead of the image box's scale.
    float imageScale = 0.0f;
    int currentFrame = 0;
};
