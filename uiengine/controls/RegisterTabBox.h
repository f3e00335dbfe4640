#pragma once

#include "uiengine/controls/RegisterLabelAndButton.h"

// Hands the tab box's tags ("tabbox", "tabboxbuttons", "tabboxbutton",
// "tabboxpages", "tabboxpage") with their makers to the element factory's
// registration. Called at start-up beside RegisterLabelAndButtonElements.
void RegisterTabBoxElements(FuncRegisterElementTag registerTag);
