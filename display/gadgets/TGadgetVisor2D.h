#pragma once
#include <cstdint>

#include "enginelib/draw/Geometry.h"
#include "uiengine/controls/TPDAUIEngineElementCanvas.h"

class TOrbetaApp;
class TVisor_LumorGPSPocket;

// The navigation library's map inside a page. The library's viewer paints into
// the gadget's content rectangle; pointer, wheel, double-click and file-drop
// input go to the viewer and the facade in window coordinates (the element
// point plus the gadget's window left and top). On every SetBounds the gadget
// tells the library where the vehicle sits, from the skin's car-position
// settings. Pages create it in code.
class TGadgetVisor2D : public TPDAUIEngineElementCanvas {
public:
    explicit TGadgetVisor2D(TOrbetaApp* app);
    ~TGadgetVisor2D() override;

    void OnLoad(TPDAUIEngine* engine, TPDAUIEngineElementPage* page, TPDAUIEngineElement* parent,
                TPDAUIEngineXml* xmlNode, TFicheroITV* stream) override;
    void SetBounds(int left, int top, int width, int height) override;
    void Paint(IDC* dc, int x, int y) override;
    // The map covers the content rectangle: opaque when that is the whole
    // gadget and the library can draw into dc's bitmap.
    bool PaintsOpaque(IDC* dc) override;
    void OnMouseDown(int x, int y, int kind, int a, int b) override;
    void OnMouseMove(int x, int y, int flags, unsigned char* handled, int a, int b) override;
    void OnMouseWheel(int x, int y, int delta) override;
    // A release after a move is handled; a plain tap is left to the page as a click.
    void OnMouseUp(int x, int y, int kind, unsigned char* handled) override;
    void OnMouseDoubleClick(int x, int y, int a, int b) override;
    void OnContextMenu(int x, int y, unsigned char* handled) override;
    // files: paths separated by line breaks; a set handled byte means another
    // element took the drop already.
    bool OnDrop(int x, int y, const char* files, const char* text, unsigned char* handled) override;

    // ---- the vehicle position ----
    // A car-position setting: exactly four decimal integers separated by ';'
    // ("px;py;lx;ly", percent of the gadget, portrait pair then landscape pair).
    // False for any other text (the skin default "50;50" included).
    static bool ParseCarMapPosition(const char* text, int values[4]);
    // The vehicle point for a setting in a window rectangle: the orientation's
    // pair as percent of the rectangle from its top-left; (0, 0), the library's
    // default, when the setting is not four numbers.
    static TPointIG VehiclePoint(const char* setting, const TRectIG& window, bool landscape);
    // The setting in force: 3D or flat, full screen or not.
    const char* CarMapPositionSetting() const;

    // The window point of an element point.
    TPointIG WindowPoint(int x, int y) const;
    TVisor_LumorGPSPocket* Viewer() const;

    // ---- fields ----
    TOrbetaApp* app = nullptr;  // not owned
    uint8_t moved = 0;          // a move or a wheel turn since the last press
    uint8_t fullScreen = 0;     // set by the map page: the full-screen settings apply
    TRectIG windowRect;         // the gadget in window coordinates, from SetBounds
};
