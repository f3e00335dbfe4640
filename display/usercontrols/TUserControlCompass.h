#pragma once
#include <cstdint>

#include "enginelib/draw/TDibIG.h"
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
    // False: the dial, the arrow and the rose are turned at every paint instead of
    // copied from the pictures kept of their last turn.
    bool keepTurns = true;

    // An image turned into a place once, kept with what it was made from and
    // copied while none of that changes. The copy gives the very pixels the
    // turn would: the picture holds the turn's premultiplied result over
    // nothing, drawn over the target the same way.
    class TKeptTurn {
    public:
        void Draw(IDC* dc, const TDibIG* image, const TRectIG& dst, double angle);
        // How many times the picture was made, for the tests.
        int turns = 0;

    private:
        // Premultiplied pixels made here, marked as such.
        class TPicture : public TDibIG {
        public:
            using TDibIG::SetPreMultipliedFlag;
        };
        bool Make(const TDibIG* image, const TRectIG& dst, double angle, const TRectIG& part);
        TPicture picture_;
        TRectIG part_;     // where the picture goes: the part of the turn shown
        TRectIG covered_;  // the part of the picture the turn covered
        TRectIG dst_;
        double angle_ = 0;
        const TDibIG* image_ = nullptr;
        uint64_t version_ = 0;
        bool valid_ = false;
    };
    TKeptTurn keptDial, keptArrow, keptRose;

private:
    // Field 47 in whole degrees.
    int ReadCourse() const;
    void PaintDial(IDC* dc, const TRectIG& content);
    void PaintRose(IDC* dc, const TRectIG& content);
    void PaintTape(IDC* dc, const TRectIG& content);
};
