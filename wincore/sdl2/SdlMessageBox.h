#pragma once
#include <string>
#include <vector>

#include <SDL.h>

namespace sdl2 {

// Answers of a message box, as MessageBoxW gives them.
constexpr int IdOk = 1;
constexpr int IdCancel = 2;
constexpr int IdYes = 6;
constexpr int IdNo = 7;

struct MessageBoxButton {
    int id;        // IdOk, IdCancel, IdYes or IdNo
    const char* text;
    Uint32 flags;  // SDL's return / escape key defaults
};

// The buttons of a MessageBoxW style: MB_OK (0), MB_OKCANCEL (1) and MB_YESNO
// (4); other sets show OK. Enter picks the first button, or the second with
// MB_DEFBUTTON2; Escape picks Cancel or No, or OK when it is alone.
std::vector<MessageBoxButton> MessageBoxButtons(unsigned style);
// SDL's kind for the style's icon (MB_ICONHAND: error, MB_ICONEXCLAMATION: warning,
// MB_ICONASTERISK and MB_ICONQUESTION: information).
Uint32 MessageBoxKind(unsigned style);

// A blocking message box (UTF-16 text and caption) over window (may be null).
// The id of the button chosen; 0 when no box can be shown.
int ShowMessageBox(SDL_Window* window, const std::u16string& text, const std::u16string& caption,
                   unsigned style);

} // namespace sdl2
