#pragma once
#include "enginelib/base/DString.h"

// Rules of the library's dialog requests that need no application object.
class TOrbetaAppDialogs {
public:
    // An option question uses its long form for a message above 50 characters
    // or more than four options.
    static bool AskRadioLongForm(const DString& message, int optionCount);
    // A picture small enough for the map's photo view: below 65 x 65 pixels; a
    // file whose header does not read counts as 100 x 100.
    static bool IsSmallImage(const char* path);
    // The place picker a request's flags select, with its purpose; null when the
    // flags select none.
    static const char* GeoCodePicker(int flags, const DString& text, int* purpose);
};
