#pragma once

#include "uiengine/controls/RegisterLabelAndButton.h"

// Hands the tags of the text editing kinds ("textbox", "keyboardbox") with
// their makers to the element factory's registration; called beside the label and button one.
void RegisterTextBoxAndKeyboardElements(FuncRegisterElementTag registerTag);
