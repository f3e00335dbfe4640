#pragma once
#include "enginelib/base/DString.h"
#include "uiengine/elements/TPDAUIEngineElement.h"

class TDibIG;

// A slider ("trackbar"): the element's image is a thumb moving along its content
// rectangle to show a value between a minimum and a maximum. Dragging the thumb
// sideways or the Left and Right keys change it; every change raises "onCommand".
class TPDAUIEngineElementTrackBar : public TPDAUIEngineElement {
public:
    TPDAUIEngineElementTrackBar();

    void OnLoad(TPDAUIEngine* engine, TPDAUIEngineElementPage* page, TPDAUIEngineElement* parent,
                TPDAUIEngineXml* xmlNode, TFicheroITV* stream) override;
    int GetMinimumHeight(int availableWidth) override;
    int GetMinimumWidth(int availableHeight) override;
    void Paint(IDC* dc, int x, int y) override;
    void SetAttribute(const char* name, const char* value) override;
    DString GetAttribute(const char* name) override;
    void OnMouseDown(int x, int y, int kind, int a, int b) override;
    void OnMouseMove(int x, int y, int flags, unsigned char* handled, int a, int b) override;
    void OnMouseUp(int x, int y, int kind, unsigned char* handled) override;
    void OnKeyDown(int key, unsigned char* handled, unsigned char* consumed) override;
    void CopyFrom(TPDAUIEngineElement* other) override;
    void Save(TFicheroITV& stream) override;

    bool IsHorizontal() const { return width > height; }

    DString imagePressedName;
    TDibIG* imagePressed = nullptr;  // not owned
    int value = 0;
    int minimumValue = 0;
    int maximumValue = 100;
    int smallStep = 10;
    bool showValueAsText = false;
    bool showBackgroundPressedAsProgress = false;
    int pressY = 0;
    int pressX = 0;
    int dragState = 0;  // 0 after a press, -2 dragging, -1 cancelled

private:
    // The thumb's offset along the track for the value (0 for an empty range).
    long long ThumbOffset(long long trackLength) const;
    long long TrackLength() const;
    void ClampValue();
};
