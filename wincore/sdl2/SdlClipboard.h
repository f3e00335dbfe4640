#pragma once
#include <string>

namespace sdl2 {

// The desktop's clipboard in UTF-8 (the window services convert to and from
// the library's code page). Needs SDL's video part.
bool SetClipboardText(const std::string& utf8);
// False when the clipboard cannot be read; an empty clipboard gives "" and true.
bool GetClipboardText(std::string& utf8);

} // namespace sdl2
