#pragma once

#include "uiengine/elements/TPDAUIEngineElementFactory.h"

// Takes one tag of the skin language and the maker of its element kind.
typedef void (*FuncRegisterElementTag)(const char* tag, FuncMakeElement make);

// Hands the tags of the text and button kinds ("label", "button",
// "sliderlabel", "autofitlabel", "anchor"), in that order, with their makers
// to the element factory's registration. The element layer knows no control,
// so the program calls this once at start-up.
void RegisterLabelAndButtonElements(FuncRegisterElementTag registerTag);
