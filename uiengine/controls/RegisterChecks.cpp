#include "uiengine/controls/RegisterChecks.h"

#include "uiengine/controls/TPDAUIEngineElementCheckBox.h"
#include "uiengine/controls/TPDAUIEngineElementRadioButton.h"

namespace {
TPDAUIEngineElement* MakeCheckBox() { return new TPDAUIEngineElementCheckBox(); }
TPDAUIEngineElement* MakeRadioButton() { return new TPDAUIEngineElementRadioButton(); }
} // namespace

void RegisterCheckElements(FuncRegisterElementTag registerTag)
{
    if (!registerTag)
        return;
    registerTag("checkbox", &MakeCheckBox);
    registerTag("radiobutton", &MakeRadioButton);
}
