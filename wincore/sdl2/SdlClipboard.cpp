#include "wincore/sdl2/SdlClipboard.h"

#include <SDL.h>

namespace sdl2 {

bool SetClipboardText(const std::string& utf8)
{
    return SDL_SetClipboardText(utf8.c_str()) == 0;
}

bool GetClipboardText(std::string& utf8)
{
    utf8.clear();
    char* text = SDL_GetClipboardText();
    if (!text)
        return false;
    utf8 = text;
    SDL_free(text);
    return true;
}

} // namespace sdl2
