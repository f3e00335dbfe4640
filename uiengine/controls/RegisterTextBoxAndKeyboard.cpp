#include "uiengine/controls/RegisterTextBoxAndKeyboard.h"

#include "uiengine/controls/TPDAUIEngineElementKeyboardBox.h"
#include "uiengine/controls/TPDAUIEngineElementTextBox.h"

namespace {

TPDAUIEngineElement* MakeTextBox() { return new TPDAUIEngineElementTextBox(); }
TPDAUIEngineElement* MakeKeyboardBox() { return new TPDAUIEngineElementKeyboardBox(); }

} // namespace

void RegisterTextBoxAndKeyboardElements(FuncRegisterElementTag registerTag)
{
    if (!registerTag)
        return;
    registerTag("textbox", &MakeTextBox);
    registerTag("keyboardbox", &MakeKeyboardBox);
}
