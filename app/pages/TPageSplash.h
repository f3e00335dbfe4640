#pragma once
#include "uiengine/elements/TPDAUIEngineElementPage.h"

class TOrbetaApp;
class TPDAUIEngineElementBox;
class TPDAUIEngineElementLabel;

// The splash page ("pageSplash"): the version and the start-up picture, shown
// modally by the first start-up stage. Its 100 ms timer runs the second stage:
// the first tick InitEngine, the next the display settings and the documents
// named for automatic opening, then the page closes with 1.
class TPageSplash : public TPDAUIEngineElementPage {
public:
    // Values of startupState.
    enum { StateStart = 0, StateInitEngine = 1, StateEngineReady = 2, StateDone = 3, StateQuit = 33 };

    explicit TPageSplash(TOrbetaApp* app);

    void OnLoad(TPDAUIEngine* engine, TPDAUIEngineElementPage* page, TPDAUIEngineElement* parent,
                TPDAUIEngineXml* xmlNode, TFicheroITV* stream) override;
    // "load" starts the page timer; nothing else is handled.
    void OnCommand(TPDAUIEngineCommand& command) override;
    // Sizes the picture box to the largest rectangle of the picture's shape
    // that fits the page, then lays the page out.
    void SetBounds(int left, int top, int width, int height) override;
    void OnTimer(int interval, int now) override;
    // The tree goes: so do the pointers into it.
    void Detach() override;

    // Size of a picture of width x height (height may be negative: bottom-up
    // bitmaps) fitted into a page of pageWidth x pageHeight, keeping its shape.
    // False when the picture has no area (the box is then left alone).
    static bool FitPicture(int width, int height, int pageWidth, int pageHeight, int& fitWidth, int& fitHeight);

    TOrbetaApp* app;
    TPDAUIEngineElementBox* boxImage = nullptr;
    TPDAUIEngineElementLabel* lblVersion = nullptr;
    TPDAUIEngineElementLabel* lblStatus = nullptr;
    int startupState = StateStart;

private:
    void LoadInternalPicture();
    void FinishStartup();

    // InitEngine runs: its modal pages run the timer pass, which must not read
    // the state it left at 1 as a failed start.
    bool initEngineRunning_ = false;
};
