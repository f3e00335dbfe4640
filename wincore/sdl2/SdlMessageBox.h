#pragma once
#include <string>
#include <vector>

#include <SDL.h>

#include "wincore/WinDefs.h"

namespace sdl2 {

struct MessageBoxButton {
    int id;        // IDOK, IDCANCEL, IDYES or IDNO
    const char* text;
    Uint32 flags;  // SDL's Enter / Escape defaults
};

// The buttons of a MessageBoxW style: MB_OK, MB_OKCANCEL and MB_YESNO; other
// sets show OK. Enter picks the first button, or the second with MB_DEFBUTTON2;
// Escape picks Cancel or No, or OK when it is alone.
std::vector<MessageBoxButton> MessageBoxButtons(UINT style);
// SDL's kind for the style's icon (MB_ICONHAND: error, MB_ICONEXCLAMATION:
// warning, others: information).
Uint32 MessageBoxKind(UINT style);

// A blocking message box (UTF-8 text and caption) over window (may be null).
// The id of the button chosen; 0 when no box can be shown.
int ShowMessageBox(SDL_Window* window, const std::string& text, const std::string& caption, UINT style);

} // namespace sdl2
