#pragma once
#include "uiengine/elements/TPDAUIEngineElement.h"

// A picture viewer ("imagezoomeablebox"): the element's image centred in the
// content, zoomed between 0.1 and 3 by the wheel, double taps and ZoomIn and
// ZoomOut, and panned by dragging. The picture is kept over as much of the
// view as it can cover. Every recalculation raises "onCommand".
class TPDAUIEngineElementImageZoomeableBox : public TPDAUIEngineElement {
public:
    TPDAUIEngineElementImageZoomeableBox();

    void Paint(IDC* dc, int x, int y) override;
    void OnMouseDown(int x, int y, int kind, int a, int b) override;
    void OnMouseMove(int x, int y, int flags, unsigned char* handled, int a, int b) override;
    void OnMouseWheel(int x, int y, int delta) override;
    void OnMouseUp(int x, int y, int kind, unsigned char* handled) override;
    void OnMouseDoubleClick(int x, int y, int a, int b) override;

    // Keeps zoom within 0.1 .. 3 and the picture over the view, then raises "onCommand".
    void Recalculate();
    // The whole picture in the view, centred.
    void ViewFull();
    // The picture at its own size (reduced so neither side exceeds 2048), centred.
    void ViewOriginal();
    void ZoomIn();
    void ZoomOut();

    // Offset of the picture from its centred place, pixels.
    int panX = 0;
    int panY = 0;
    double zoom = 1.0;
    // Last pointer position of a pan drag (pressed holds whether one runs).
    int dragX = 0;
    int dragY = 0;

private:
    // The picture's rectangle zoomed, centred in (0, 0, cw, ch) and panned.
    TRectIG PictureRect(int cw, int ch) const;
    void ZoomBy(double step);
    // Zoom and pan kept within bounds; false without a picture.
    bool Fit();
    // Fit, repaint, then "onCommand".
    void Update();
};
