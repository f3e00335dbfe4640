#include "wincore/sdl2/SdlMessageBox.h"

#include "enginelib/base/CodePage.h"

namespace sdl2 {
namespace {

constexpr unsigned MbTypeMask = 0x0F;
constexpr unsigned MbOkCancel = 0x01;
constexpr unsigned MbYesNo = 0x04;
constexpr unsigned MbIconMask = 0xF0;
constexpr unsigned MbIconHand = 0x10;
constexpr unsigned MbIconQuestion = 0x20;
constexpr unsigned MbIconExclamation = 0x30;
constexpr unsigned MbDefButtonMask = 0xF00;
constexpr unsigned MbDefButton2 = 0x100;

std::string Utf8(const std::u16string& text)
{
    std::string out;
    CodePage::FromUtf16(text.data(), (int)text.size(), CodePage::Utf8, out);
    return out;
}

} // namespace

std::vector<MessageBoxButton> MessageBoxButtons(unsigned style)
{
    std::vector<MessageBoxButton> buttons;
    switch (style & MbTypeMask) {
    case MbOkCancel:
        buttons = {{IdOk, "OK", 0}, {IdCancel, "Cancel", SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT}};
        break;
    case MbYesNo:
        buttons = {{IdYes, "Yes", 0}, {IdNo, "No", SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT}};
        break;
    default:
        return {{IdOk, "OK", SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT}};
    }
    const size_t def = (style & MbDefButtonMask) == MbDefButton2 ? 1 : 0;
    buttons[def].flags |= SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
    return buttons;
}

Uint32 MessageBoxKind(unsigned style)
{
    switch (style & MbIconMask) {
    case MbIconHand: return SDL_MESSAGEBOX_ERROR;
    case MbIconExclamation: return SDL_MESSAGEBOX_WARNING;
    case MbIconQuestion:
    default: return SDL_MESSAGEBOX_INFORMATION;
    }
}

int ShowMessageBox(SDL_Window* window, const std::u16string& text, const std::u16string& caption, unsigned style)
{
    const std::string message = Utf8(text);
    const std::string title = Utf8(caption);
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
    box.title = title.c_str();
    box.message = message.c_str();
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
