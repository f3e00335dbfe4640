#pragma once
#include "uiengine/elements/TPDAUIEngineElementPage.h"

class TOrbetaApp;
class TPDAUIEngineElementLabel;
class TTrackRutaBase;
class TUserControlGraficas_2011B;

// The altitude profile of one track or route, full page, with the interactive
// graph (view 2). Opened by the command executor for the map's current object.
class TPageTrackGraph : public TPDAUIEngineElementPage {
public:
    // source: the track or route shown (the library keeps it for the run).
    TPageTrackGraph(TOrbetaApp* app, TTrackRutaBase* source);

    void OnLoad(TPDAUIEngine* engine, TPDAUIEngineElementPage* page, TPDAUIEngineElement* parent,
                TPDAUIEngineXml* xmlNode, TFicheroITV* stream) override;
    // "load": nothing; "cancel": closes with 0; anything else is not handled.
    void OnCommand(TPDAUIEngineCommand& command) override;
    void Detach() override;

    TOrbetaApp* app;
    TTrackRutaBase* source;
    TPDAUIEngineElementLabel* lblTitle = nullptr;
    TPDAUIEngineElementBox* boxContainer = nullptr;
    TUserControlGraficas_2011B* graph = nullptr;  // a child of boxContainer
};
