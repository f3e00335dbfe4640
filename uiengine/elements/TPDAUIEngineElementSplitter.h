#pragma once
#include "uiengine/elements/TPDAUIEngineElement.h"

// A thin bar between two siblings of a box ("splitter"): dragging it resizes one
// neighbour by fixing its minimum and maximum size. Wider than high, it resizes
// heights; otherwise widths.
class TPDAUIEngineElementSplitter : public TPDAUIEngineElement {
public:
    TPDAUIEngineElementSplitter();
    int GetMinimumHeight(int availableWidth) override { return minimumHeight; }
    int GetMinimumWidth(int availableHeight) override { return minimumWidth; }
    void Paint(IDC* dc, int x, int y) override;
    void OnMouseDown(int x, int y, int kind, int a, int b) override;
    void OnMouseMove(int x, int y, int flags, unsigned char* handled, int a, int b) override;
    void OnMouseUp(int x, int y, int kind, unsigned char* handled) override;

    int dragOffset = 0;
    int pressCoordinate = 0;

private:
    bool Horizontal() const { return width > height; }
    // The sibling the drag resizes (the next one when it has a minimum size in
    // the bar's direction, else the previous one); null without one.
    TPDAUIEngineElement* Resized(bool* next);
};
