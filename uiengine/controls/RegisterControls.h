#pragma once

#include "uiengine/controls/RegisterLabelAndButton.h"

// Every control's tags, handed to the element factory's registration at start-up:
// with the element layer's own tags, every tag of the skin language builds.
void RegisterControlElements(FuncRegisterElementTag registerTag);
