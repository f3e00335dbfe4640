#pragma once
#include "enginelib/base/DString.h"
#include "enginelib/draw/Geometry.h"
#include "uiengine/controls/TPDAUIEngineElementCanvas.h"

class TMapaSatelites;
class TOrbetaApp;

// The sky as the receiver sees it: each satellite at its azimuth and
// elevation around the element's centre (the zenith), labelled with its
// number, the ones in use on a filled label. The owning page gives the map.
class TGadgetMapaSatelites : public TPDAUIEngineElementCanvas {
public:
    explicit TGadgetMapaSatelites(TOrbetaApp* app);
    ~TGadgetMapaSatelites() override;

    // The canvas's loading, then the satellite image.
    void OnLoad(TPDAUIEngine* engine, TPDAUIEngineElementPage* page, TPDAUIEngineElement* parent,
                TPDAUIEngineXml* xmlNode, TFicheroITV* stream) override;
    void Paint(IDC* dc, int x, int y) override;

    // Label fill of a satellite in use.
    static constexpr uint32_t kInUseColour = 0xB3574B;
    // A satellite's number as labelled: at least two digits.
    static DString Label(int number);
    // Where a satellite goes for a plot of radius R around (cx, cy).
    static TPointIG Position(int cx, int cy, int R, double elevation, double azimuth);

    TOrbetaApp* app;
    TMapaSatelites* map = nullptr;  // the page's
    TDibIG* satelliteImage = nullptr;  // the resource store's
};
