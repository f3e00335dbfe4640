#pragma once
#include "uiengine/elements/TPDAUIEngineElementUserControl.h"

class TOrbetaApp;

// Where the car is ("usercontrol/usercontrolMapInfoCurrent"): the waypoint it
// passes, else the street with the receiver's state, else a compass or the
// open document's name. Read on load and at most once a second, on paint.
class TUserControlMapInfoCurrent : public TPDAUIEngineElementUserControl {
public:
    explicit TUserControlMapInfoCurrent(TOrbetaApp* app);
    ~TUserControlMapInfoCurrent() override;

    void OnLoad(TPDAUIEngine* engine, TPDAUIEngineElementPage* page, TPDAUIEngineElement* parent,
                TPDAUIEngineXml* xmlNode, TFicheroITV* stream) override;
    void Paint(IDC* dc, int x, int y) override;
    void OnCommand(TPDAUIEngineCommand& command) override;

    void Refresh();
    // The receiver's state as the label shows it after the street's place:
    // the translated "{E217}: " and the state's own text.
    DString GpsStatusText(int status);

    TOrbetaApp* app;
    int lastRefresh = 0;
    TPDAUIEngineElement* lblValue = nullptr;
    TPDAUIEngineElement* btnMore = nullptr;
    // Absent when the factory does not make compasses.
    TPDAUIEngineElement* usercontrolCompass = nullptr;
};
