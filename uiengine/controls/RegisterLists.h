#pragma once

#include "uiengine/controls/RegisterLabelAndButton.h"

// Hands the tags of the list kinds ("listbox", "combobox"), in that order, with their makers to the
// element factory's registration. Called at start-up beside
// RegisterLabelAndButtonElements.
void RegisterListElements(FuncRegisterElementTag registerTag);
