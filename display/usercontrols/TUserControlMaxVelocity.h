#pragma once
#include "uiengine/elements/TPDAUIEngineElementUserControl.h"

class TOrbetaApp;
class TPageSpeedAlert;
class TPDAUIEngineElementLabel;

// The speed-limit sign. In alert mode 4 it opens the over-speed alert page
// while the speed is above the limit and closes it when the speed is back
// under; in modes 2 and 3 the sign takes its skin's disabled (alert) look.
class TUserControlMaxVelocity : public TPDAUIEngineElementUserControl {
public:
    explicit TUserControlMaxVelocity(TOrbetaApp* app);
    // Closes the alert page it opened, or deletes the one it has not opened yet.
    ~TUserControlMaxVelocity() override;

    void OnLoad(TPDAUIEngine* engine, TPDAUIEngineElementPage* page, TPDAUIEngineElement* parent,
                TPDAUIEngineXml* xmlNode, TFicheroITV* stream) override;
    void Paint(IDC* dc, int x, int y) override;
    void OnTimer(int interval, int now) override;
    // Nothing while the sign is not shown.
    TPDAUIEngineElement* HitTest(int x, int y) override;

    // Reads the limit and the speed into the labels and the flags; creates the
    // alert page when one is due.
    void UpdateValue();
    // The alert page tells the control that it is going (closed by the user or
    // deleted by anyone but this control): the control forgets it and opens no
    // other until the speed has dropped under the limit.
    void AlertPageGone(TPageSpeedAlert* page);

    TOrbetaApp* app;
    TPDAUIEngineElementLabel* lblMaxVelocityValue = nullptr;
    TPDAUIEngineElementLabel* lblMaxVelocityBigValue = nullptr;
    TPageSpeedAlert* alertPage = nullptr;  // owned until opened; then the engine's
    int limitField = 99;
    bool shown = false;
    bool overSpeed = false;
    // The user closed the alert while the speed was still over the limit.
    bool alertDismissed = false;

private:
    // Lets go of the alert page: it will not call back.
    void ReleaseAlert();
};
