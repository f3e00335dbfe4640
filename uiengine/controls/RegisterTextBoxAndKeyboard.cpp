#include "uiengine/controls/RegisterTextBoxAndKeyboard.h"

#include "uiengine/controls/TPDAUIEngineElementTextBox.h"

namespace {

TPDAUIEngineElement* MakeTextBox() { return new TPDAUIEngineElementTextBox(); }

} // namespace

void RegisterTextBoxAndKeyboardElements(FuncRegisterElementTag registerTag)
{
    if (!registerTag)
        return;
    registerTag("textbox", &MakeTextBox);
}
