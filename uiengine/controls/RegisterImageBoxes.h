#pragma once

#include "uiengine/controls/RegisterLabelAndButton.h"

// Hands the image boxes' tags ("imagebox", "imageanimatedbox", "imagelist",
// "imagezoomeablebox") with their makers to the element factory's
// registration. Called at start-up beside RegisterLabelAndButtonElements.
void RegisterImageBoxElements(FuncRegisterElementTag registerTag);
