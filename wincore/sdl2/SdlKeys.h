#pragma once
#include <SDL.h>

namespace sdl2 {

// The Windows virtual-key code of an SDL key; 0 for keys without one.
// Letters and digits follow the keyboard layout (the key code); on layouts
// whose letter keys give no Latin letter the key's position decides, as do the
// punctuation keys (VK_OEM_*, by their place on a US keyboard). Left and right
// Shift, Ctrl and Alt all give the one VK_SHIFT, VK_CONTROL and VK_MENU the
// UI engine tracks.
int VirtualKeyOf(SDL_Keycode key, SDL_Scancode scancode);

} // namespace sdl2
