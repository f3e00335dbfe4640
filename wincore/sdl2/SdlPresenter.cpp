#include "wincore/sdl2/SdlPresenter.h"

#include <cstring>

#include "enginelib/draw/TDibIG.h"

namespace sdl2 {

Presenter::~Presenter() { Detach(); }

bool Presenter::Attach(SDL_Window* window)
{
    Detach();
    if (!window)
        return false;
    renderer_ = SDL_CreateRenderer(window, -1, 0);
    if (!renderer_)
        renderer_ = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
    return renderer_ != nullptr;
}

void Presenter::Detach()
{
    if (texture_)
        SDL_DestroyTexture(texture_);
    texture_ = nullptr;
    texWidth_ = texHeight_ = 0;
    texFormat_ = 0;
    if (renderer_)
        SDL_DestroyRenderer(renderer_);
    renderer_ = nullptr;
}

bool Presenter::OutputSize(int& width, int& height) const
{
    width = height = 0;
    return renderer_ && SDL_GetRendererOutputSize(renderer_, &width, &height) == 0;
}

bool Presenter::Upload(const uint8_t* top, int rowStep, int width, int height, Uint32 format)
{
    const int bytes = SDL_BYTESPERPIXEL(format);
    if (!top || width <= 0 || height <= 0 || bytes <= 0 || (int64_t)width * bytes > (rowStep < 0 ? -(int64_t)rowStep : rowStep))
        return false;
    if (!texture_ || texWidth_ != width || texHeight_ != height || texFormat_ != format) {
        if (texture_)
            SDL_DestroyTexture(texture_);
        texture_ = SDL_CreateTexture(renderer_, format, SDL_TEXTUREACCESS_STREAMING, width, height);
        texWidth_ = texture_ ? width : 0;
        texHeight_ = texture_ ? height : 0;
        texFormat_ = texture_ ? format : 0;
        if (!texture_)
            return false;
    }
    void* pixels = nullptr;
    int pitch = 0;
    if (SDL_LockTexture(texture_, nullptr, &pixels, &pitch) != 0)
        return false;
    // Row by row: the texture's pitch and the frame's row order may both differ.
    const size_t rowBytes = (size_t)width * (size_t)bytes;
    for (int y = 0; y < height; ++y)
        std::memcpy((uint8_t*)pixels + (size_t)y * (size_t)pitch, top + (ptrdiff_t)y * rowStep, rowBytes);
    SDL_UnlockTexture(texture_);
    return true;
}

bool Presenter::Present(const TDibIG& frame, int angle)
{
    Uint32 format;
    switch (frame.Bpp()) {
    case 16: format = SDL_PIXELFORMAT_RGB565; break;
    case 24: format = SDL_PIXELFORMAT_BGR24; break;
    case 32: format = SDL_PIXELFORMAT_RGB888; break;
    default: return false;
    }
    if (frame.IsEmpty())
        return false;
    return Present(frame.Row(0), frame.RowStep(), frame.Width(), frame.AbsHeight(), format, angle);
}

bool Presenter::Present(const uint8_t* top, int rowStep, int width, int height, Uint32 format, int angle)
{
    if (!renderer_ || !Upload(top, rowStep, width, height, format))
        return false;
    int outW = 0, outH = 0;
    if (!OutputSize(outW, outH))
        return false;
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    if (angle == 90 || angle == 270) {
        // The unturned rectangle, centred, that covers the window once turned.
        const SDL_Rect dst = {(outW - outH) / 2, (outH - outW) / 2, outH, outW};
        SDL_RenderCopyEx(renderer_, texture_, nullptr, &dst, angle == 90 ? 270.0 : 90.0, nullptr, SDL_FLIP_NONE);
    } else if (angle == 180) {
        SDL_RenderCopyEx(renderer_, texture_, nullptr, nullptr, 180.0, nullptr, SDL_FLIP_NONE);
    } else {
        SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
    }
    SDL_RenderPresent(renderer_);
    return true;
}

} // namespace sdl2
