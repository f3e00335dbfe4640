#pragma once
#include "uiengine/elements/TPDAUIEngineElementPage.h"

class TOrbetaApp;
class TPDAUIEngineElementButton;
class TPDAUIEngineElementLabel;
class TPDAUIEngineElementProgressBar;

// The volume page ("pageVolume"): volume up and down in steps of the bar's
// step (5), 0 to 100, and mute. Opened for the hardware volume keys it is in
// key mode: no cancel button, and it closes itself one second after the last
// change.
class TPageVolume : public TPDAUIEngineElementPage {
public:
    // How long key mode waits after the last change, and how often it looks.
    static const int kCloseDelayMs = 1000;
    static const int kTimerMs = 25;
    static const int kStep = 5;

    TPageVolume(TOrbetaApp* app, bool keyMode);

    void OnLoad(TPDAUIEngine* engine, TPDAUIEngineElementPage* page, TPDAUIEngineElement* parent,
                TPDAUIEngineXml* xmlNode, TFicheroITV* stream) override;
    void OnTimer(int interval, int now) override;
    void OnCommand(TPDAUIEngineCommand& command) override;
    // The tree goes: so do the pointers into it.
    void Detach() override;

    // The hardware keys: the page sends itself "volumeUp" or "volumeDown".
    void VolumeUp();
    void VolumeDown();
    // The volume and mute state on screen.
    void ShowVolume();

    TOrbetaApp* app;
    bool keyMode;
    int lastChange = 0;  // engine ms of the last change
    TPDAUIEngineElementLabel* lblTitle = nullptr;
    TPDAUIEngineElementButton* btnVolumeUp = nullptr;
    TPDAUIEngineElementButton* btnVolumeDown = nullptr;
    TPDAUIEngineElementButton* btnVolumeIcon = nullptr;
    TPDAUIEngineElementProgressBar* pgbVolumne = nullptr;
    TPDAUIEngineElementButton* btnCancel = nullptr;

private:
    int Step() const;
    void Change(int direction);
    void SendSelf(const char* name);
};
