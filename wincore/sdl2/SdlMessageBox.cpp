#include "wincore/sdl2/SdlMessageBox.h"

namespace sdl2 {
namespace {

constexpr UINT DefButtonMask = 0xF00;
constexpr UINT DefButton2 = 0x100;
constexpr UINT IconMask = 0xF0;

} // namespace

std::vector<MessageBoxButton> MessageBoxButtons(UINT style)
{
    std::vector<MessageBoxButton> buttons;
    switch (style & MB_TYPEMASK) {
    case MB_OKCANCEL:
        buttons = {{IDOK, "OK", 0}, {IDCANCEL, "Cancel", SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT}};
        break;
    case MB_YESNO:
        buttons = {{IDYES, "Yes", 0}, {IDNO, "No", SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT}};
        break;
    default:
        return {{IDOK, "OK", SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT}};
    }
    const size_t def = (style & DefButtonMask) == DefButton2 ? 1 : 0;
    buttons[def].flags |= SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
    return buttons;
}

Uint32 MessageBoxKind(UINT style)
{
    switch (style & IconMask) {
    case MB_ICONHAND: return SDL_MESSAGEBOX_ERROR;
    case MB_ICONEXCLAMATION: return SDL_MESSAGEBOX_WARNING;
    default: return SDL_MESSAGEBOX_INFORMATION;
    }
}

int ShowMessageBox(SDL_Window* window, const std::string& text, const std::string& caption, UINT style)
{
    const std::vector<MessageBoxButton> buttons = MessageBoxButtons(style);
    std::vector<SDL_MessageBoxButtonData> data;
    for (const MessageBoxButton& b : buttons)
        data.push_back({b.flags, b.id, b.text});
    SDL_MessageBoxData box{};
    box.flags = MessageBoxKind(style);
#if SDL_VERSION_ATLEAST(2, 0, 12)
    box.flags |= SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT;
#endif
    box.window = window;
    box.title = caption.c_str();
    box.message = text.c_str();
    box.numbuttons = (int)data.size();
    box.buttons = data.data();
    int chosen = -1;
    if (SDL_ShowMessageBox(&box, &chosen) != 0)
        return 0;
    // Closing the box without a button is the Escape answer.
    if (chosen < 0) {
        for (const MessageBoxButton& b : buttons) {
            if (b.flags & SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT)
                return b.id;
        }
    }
    return chosen;
}

} // namespace sdl2
