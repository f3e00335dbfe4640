#include "wincore/sdl2/SdlClipboard.h"

#include <SDL.h>

#include "enginelib/base/CodePage.h"

namespace sdl2 {

bool SetClipboardText(const std::string& text, int codepage)
{
    const std::u16string wide = CodePage::ToUtf16(text.data(), (int)text.size(), codepage);
    std::string utf8;
    CodePage::FromUtf16(wide.data(), (int)wide.size(), CodePage::Utf8, utf8);
    return SDL_SetClipboardText(utf8.c_str()) == 0;
}

bool GetClipboardText(std::string& text, int codepage)
{
    text.clear();
    char* utf8 = SDL_GetClipboardText();
    if (!utf8)
        return false;
    const std::u16string wide = CodePage::ToUtf16(utf8, -1, CodePage::Utf8);
    SDL_free(utf8);
    CodePage::FromUtf16(wide.data(), (int)wide.size(), codepage, text);
    return true;
}

TClipboardService ClipboardService()
{
    TClipboardService service;
    service.set = [](const std::string& text) { return SetClipboardText(text); };
    service.get = [](std::string& text) { return GetClipboardText(text); };
    return service;
}

} // namespace sdl2
