#pragma once
#include <memory>

#include "enginelib/draw/Geometry.h"
#include "uiengine/elements/TPDAUIEngineElementUserControl.h"

class TFontIG;
class TGraficas_2011B;
class TOrbetaApp;
class TTrackRutaBase;

// The altitude profile of a track or route, drawn by the library's graph, with
// zoom buttons and, in the interactive views (1 and 2), pointer input: a hint
// at a point (press), pan (drag), zoom (secondary drag) and zoom to a span
// (middle drag). View 0 is a static picture. The graph is the control's own or
// one shared with others (the map page and its data fields).
class TUserControlGraficas_2011B : public TPDAUIEngineElementUserControl {
public:
    // source: the track shown (not owned; null: the engine's current track, else
    // field 355, else field 356). sharedGraph: a graph owned elsewhere, or null
    // for one of the control's own. titleLabelId: the numeric id of a label of
    // the page that takes the graph's title, 0 for none.
    explicit TUserControlGraficas_2011B(TOrbetaApp* app, TTrackRutaBase* source = nullptr, int viewMode = 0,
                                        int titleLabelId = 0, TGraficas_2011B* sharedGraph = nullptr);
    ~TUserControlGraficas_2011B() override;

    void OnLoad(TPDAUIEngine* engine, TPDAUIEngineElementPage* page, TPDAUIEngineElement* parent,
                TPDAUIEngineXml* xmlNode, TFicheroITV* stream) override;
    void Paint(IDC* dc, int x, int y) override;
    void OnCommand(TPDAUIEngineCommand& command) override;
    void OnMouseDown(int x, int y, int kind, int a, int b) override;
    void OnMouseMove(int x, int y, int flags, unsigned char* handled, int a, int b) override;
    void OnMouseUp(int x, int y, int kind, unsigned char* handled) override;
    void OnHoverEnter(int x, int y, int flags) override;
    void OnHoverLeave(int x, int y, int flags) override;
    // Offered as a slider box's card only while it has a track to show (after
    // looking for one as LoadTrackData does).
    bool IsAvailable() override;
    void Detach() override;

    // ---- own operations ----
    virtual void ZoomIn();
    virtual void ZoomOut();
    virtual void ZoomReset();
    // Picks the track to show: the engine's current track, else field 355's,
    // else field 356's (not while painting, nor with a source of its own).
    // Answers whether field 309 gave a slider value; sliderTime is the local
    // time (seconds since 1970) when the engine has a current track, else 0;
    // sliderValue is field 309's value, else -1.
    virtual bool LoadTrackData(long long& sliderTime, double& sliderValue);
    // The same for callers that want only the choice of track.
    void LoadTrackData();

    // The track shown, null for none.
    TTrackRutaBase* TrackShown() const { return track; }
    TGraficas_2011B* Graph() const { return graph; }

    // ---- members ----
    TOrbetaApp* app;
    TGraficas_2011B* graph = nullptr;
    TPDAUIEngineElement* btnGraficasZoomIn = nullptr;
    TPDAUIEngineElement* btnGraficasZoomOut = nullptr;
    TPDAUIEngineElement* btnGraficasZoomReset = nullptr;
    // The control's screen rectangle at the last paint: its left and top turn
    // pointer positions into the graph's screen coordinates.
    TRectIG graphRect;
    int titleLabelId = 0;
    bool sharedGraph = false;
    int lastX = 0, lastY = 0;
    TTrackRutaBase* track = nullptr;
    int viewMode = 0;
    int pressedButton = -1;
    bool moving = false;
    bool hasSource = false;
    bool hovering = false;

private:
    // Fonts, background colour and view mode handed to the graph.
    void SetUpGraph();
    void ShowReset(bool show);
    TPointIG Absolute(int x, int y) const;

    std::unique_ptr<TFontIG> valueFont_, axisFont_;
    uint32_t background_ = 0;
};
