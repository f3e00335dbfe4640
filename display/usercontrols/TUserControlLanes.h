#pragma once
#include "enginelib/base/DString.h"
#include "uiengine/elements/TPDAUIEngineElementUserControl.h"

class TOrbetaApp;

// The lane pictures of the next manoeuvre ("usercontrol/usercontrolLanes"):
// the library's lane text, one picture per character, letters of one lane
// drawn over each other, separators between lanes. Shown only close to the
// manoeuvre and while the lane setting is on.
class TUserControlLanes : public TPDAUIEngineElementUserControl {
public:
    explicit TUserControlLanes(TOrbetaApp* app);
    ~TUserControlLanes() override;

    void Paint(IDC* dc, int x, int y) override;
    // Nothing is hit while no lanes are drawn.
    TPDAUIEngineElement* HitTest(int x, int y) override;

    // What a character is in a lane text.
    enum Kind { KindOther = 0, KindLane = 1, KindSeparator = 2 };
    static Kind KindOf(char c);
    // The text as drawn: a leading "#" dropped, a text longer than ten
    // characters cut down around its capital (recommended) lanes.
    static DString ShortenLaneText(const DString& text);
    // The width of the pictures of a (shortened) text at scale 1: a run of
    // lane letters takes 32, a run of separators 4; other characters take none.
    static int LaneTextWidth(const DString& text, int laneWidth = 32, int separatorWidth = 4);

    TOrbetaApp* app;
    bool shown = false;
};
