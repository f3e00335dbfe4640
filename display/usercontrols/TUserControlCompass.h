#pragma once
#include "uiengine/elements/TPDAUIEngineElementUserControl.h"

class TOrbetaApp;

// The vehicle's course (field 47) as a compass whose look follows the control's
// size: a turning dial with its letters and the bearing to the target (field
// 313) when tall, a turning rose over a fixed ring when of middle size, and a
// heading tape that scrolls under a centre mark when low and wide. A 50 ms timer
// repaints it only when the course has moved by more than 5 degrees or 800 ms
// have passed, and only while its page is on top.
class TUserControlCompass : public TPDAUIEngineElementUserControl {
public:
    enum EStyle { StyleNone = 0, StyleDial, StyleRose, StyleTape };

    explicit TUserControlCompass(TOrbetaApp* app);

    void OnLoad(TPDAUIEngine* engine, TPDAUIEngineElementPage* page, TPDAUIEngineElement* parent,
                TPDAUIEngineXml* xmlNode, TFicheroITV* stream) override;
    void Paint(IDC* dc, int x, int y) override;
    void OnTimer(int interval, int now) override;

    // The look a paint draws at the control's present size and UI scale.
    EStyle StyleForSize() const;

    // ---- members ----
    TOrbetaApp* app;
    // The dial is the element's image; these are the other looks' pieces.
    TDibIG* imgBackground2 = nullptr;   // "commonCompas2Background": the tape
    TDibIG* imgForeground2 = nullptr;   // "commonCompas2Foreground": its centre mark
    TDibIG* imgForeground2b = nullptr;  // "commonCompas2Foreground2": the wide tape's mark and fades
    TDibIG* imgArrow = nullptr;         // "commonCompasArrow1": the bearing to the target
    TDibIG* imgBackground3 = nullptr;   // "commonCompas3Background": the fixed ring
    TDibIG* imgForeground3 = nullptr;   // "commonCompas3Foreground": the turning rose
    // The course last drawn (whole degrees) and the timer ticks since.
    int course = 0;
    int ticks = 0;

private:
    // Field 47 in whole degrees.
    int ReadCourse() const;
    void PaintDial(IDC* dc, const TRectIG& content);
    void PaintRose(IDC* dc, const TRectIG& content);
    void PaintTape(IDC* dc, const TRectIG& content);
};
