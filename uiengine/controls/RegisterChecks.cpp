#include "uiengine/controls/RegisterChecks.h"

#include "uiengine/controls/TPDAUIEngineElementCanvas.h"
#include "uiengine/controls/TPDAUIEngineElementCheckBox.h"
#include "uiengine/controls/TPDAUIEngineElementProgressBar.h"
#include "uiengine/controls/TPDAUIEngineElementRadioButton.h"
#include "uiengine/controls/TPDAUIEngineElementTrackBar.h"

namespace {
TPDAUIEngineElement* MakeCheckBox() { return new TPDAUIEngineElementCheckBox(); }
TPDAUIEngineElement* MakeRadioButton() { return new TPDAUIEngineElementRadioButton(); }
TPDAUIEngineElement* MakeCanvas() { return new TPDAUIEngineElementCanvas(); }
TPDAUIEngineElement* MakeSeparator() { return new TPDAUIEngineElementSeparator(); }
TPDAUIEngineElement* MakeProgressBar() { return new TPDAUIEngineElementProgressBar(); }
TPDAUIEngineElement* MakeTrackBar() { return new TPDAUIEngineElementTrackBar(); }
} // namespace

void RegisterCheckElements(FuncRegisterElementTag registerTag)
{
    if (!registerTag)
        return;
    registerTag("checkbox", &MakeCheckBox);
    registerTag("radiobutton", &MakeRadioButton);
    registerTag("canvas", &MakeCanvas);
    registerTag("separator", &MakeSeparator);
    registerTag("progressbar", &MakeProgressBar);
    registerTag("trackbar", &MakeTrackBar);
}
