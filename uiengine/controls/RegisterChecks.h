#pragma once

#include "uiengine/controls/RegisterLabelAndButton.h"

// Hands the tags of the toggles and simple bars ("checkbox", "radiobutton",
// "canvas", "separator", "progressbar", "trackbar") with their makers to the element
// factory's registration. Called at start-up beside
// RegisterLabelAndButtonElements.
void RegisterCheckElements(FuncRegisterElementTag registerTag);
