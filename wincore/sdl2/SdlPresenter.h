#pragma once
#include <cstdint>

#include <SDL.h>

class TDibIG;

namespace sdl2 {

// Shows the engine's frames in a window: the bitmap (RGB565, 24-bit BGR or
// x8r8g8b8, either row order) is copied, turned by the virtual orientation
// (90: a quarter turn counter-clockwise, so the frame's top lies along the
// window's left edge; 270: clockwise), into a streaming texture of the turned
// frame's size, which is drawn over the whole window (stretched when the
// window has another size).
class Presenter {
public:
    Presenter() = default;
    ~Presenter();
    Presenter(const Presenter&) = delete;
    Presenter& operator=(const Presenter&) = delete;

    // Makes a renderer for window (accelerated when there is one, else the
    // software one). False when neither can be made.
    bool Attach(SDL_Window* window);
    void Detach();
    SDL_Renderer* Renderer() const { return renderer_; }

    // Draws frame and shows it. False (and nothing shown) without a renderer
    // or for an empty bitmap or an 8-bit one.
    bool Present(const TDibIG& frame, int angle);
    // The same for raw pixels in an SDL format: top is the top row, rowStep the
    // bytes from one row to the next (negative for bottom-up storage).
    bool Present(const uint8_t* top, int rowStep, int width, int height, Uint32 format, int angle);

    // Size and format of the texture now held (0 when none): the frame's
    // size, swapped at 90 and 270.
    int TextureWidth() const { return texWidth_; }
    int TextureHeight() const { return texHeight_; }
    Uint32 TextureFormat() const { return texFormat_; }
    // The window's size in pixels as the renderer draws it.
    bool OutputSize(int& width, int& height) const;

private:
    bool Upload(const uint8_t* top, int rowStep, int width, int height, Uint32 format, int angle);

    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    int texWidth_ = 0;
    int texHeight_ = 0;
    Uint32 texFormat_ = 0;
};

} // namespace sdl2
