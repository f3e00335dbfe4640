#pragma once
#include "enginelib/nav/TSignPostPaint.h"
#include "uiengine/elements/TPDAUIEngineElementUserControl.h"

class TOrbetaApp;

// A signpost picture drawn by the library ("usercontrol/usercontrolSignpost"):
// its owner writes the signpost text into the label and says how many lines
// show.
class TUserControlSignpost : public TPDAUIEngineElementUserControl {
public:
    explicit TUserControlSignpost(TOrbetaApp* app);
    ~TUserControlSignpost() override;

    // Room for lineCount lines of the element font, paddings included.
    int GetMinimumHeight(int availableWidth) override;
    void Paint(IDC* dc, int x, int y) override;

    // Lays out text in the way Paint does, with another element's font: the
    // laid-out height in pixels.
    int Prepare(const DString& text, const TPDAUIEngineStyleFont& textFont, TColorIG fore);

    TOrbetaApp* app;
    TSignPostPaint signpost;
    int lineCount = 5;

private:
    bool prepared_ = false;
    DString preparedText_;
    int preparedSize_ = 0;
    bool preparedBold_ = false;
    TColorIG preparedFore_;
    int preparedPadding_ = 0;
};
