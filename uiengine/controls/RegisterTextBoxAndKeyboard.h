#pragma once

#include "uiengine/controls/RegisterLabelAndButton.h"

// Hands the tag of the text editing kinds ("textbox") with its maker to the
// element factory's registration; called beside the label and button one.
void RegisterTextBoxAndKeyboardElements(FuncRegisterElementTag registerTag);
