#pragma once
#include <string>

#include "enginelib/base/Clipboard.h"

namespace sdl2 {

// The desktop's clipboard (UTF-8) for the library's 8-bit text in a code page
// (negative: the library's default at each call). Needs SDL's video part.
bool SetClipboardText(const std::string& text, int codepage = -1);
// False when the clipboard cannot be read; an empty clipboard gives "" and true.
// Characters the code page lacks become '?'.
bool GetClipboardText(std::string& text, int codepage = -1);

// The library's clipboard service over the two calls above.
TClipboardService ClipboardService();

} // namespace sdl2
