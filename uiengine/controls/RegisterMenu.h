#pragma once

#include "uiengine/controls/RegisterLabelAndButton.h"

// Hands the menu tags ("menu") with their makers to the element factory's
// registration; called once at start-up beside the label and button ones.
void RegisterMenuElements(FuncRegisterElementTag registerTag);
