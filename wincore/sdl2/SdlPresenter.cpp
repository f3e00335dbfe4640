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

namespace {

// Turns rows of frame pixels (width x height, `bytes` each) into the texture
// the window shows (texW x texH): texture pixel (x, y) shows frame pixel
// (lx, ly) as the pointer maps them.
template <typename Pixel>
void TurnRows(const uint8_t* top, int rowStep, int width, int height, uint8_t* out, int pitch, int angle)
{
    const int texW = (angle == 90 || angle == 270) ? height : width;
    const int texH = (angle == 90 || angle == 270) ? width : height;
    for (int y = 0; y < texH; ++y) {
        Pixel* dst = (Pixel*)(out + (size_t)y * (size_t)pitch);
        for (int x = 0; x < texW; ++x) {
            int lx, ly;
            switch (angle) {
            case 90: lx = texH - 1 - y; ly = x; break;
            case 180: lx = texW - 1 - x; ly = texH - 1 - y; break;
            default: lx = y; ly = texW - 1 - x; break;  // 270
            }
            std::memcpy(&dst[x], top + (ptrdiff_t)ly * rowStep + (size_t)lx * sizeof(Pixel), sizeof(Pixel));
        }
    }
}

struct Pixel24 {
    uint8_t b[3];
};

} // namespace

bool Presenter::Upload(const uint8_t* top, int rowStep, int width, int height, Uint32 format, int angle)
{
    const int bytes = SDL_BYTESPERPIXEL(format);
    if (!top || width <= 0 || height <= 0 || (bytes != 2 && bytes != 3 && bytes != 4) ||
        (int64_t)width * bytes > (rowStep < 0 ? -(int64_t)rowStep : rowStep))
        return false;
    if (angle != 90 && angle != 180 && angle != 270)
        angle = 0;
    const int texW = (angle == 90 || angle == 270) ? height : width;
    const int texH = (angle == 90 || angle == 270) ? width : height;
    if (!texture_ || texWidth_ != texW || texHeight_ != texH || texFormat_ != format) {
        if (texture_)
            SDL_DestroyTexture(texture_);
        texture_ = SDL_CreateTexture(renderer_, format, SDL_TEXTUREACCESS_STREAMING, texW, texH);
        texWidth_ = texture_ ? texW : 0;
        texHeight_ = texture_ ? texH : 0;
        texFormat_ = texture_ ? format : 0;
        if (!texture_)
            return false;
    }
    void* pixels = nullptr;
    int pitch = 0;
    if (SDL_LockTexture(texture_, nullptr, &pixels, &pitch) != 0)
        return false;
    uint8_t* out = (uint8_t*)pixels;
    if (angle == 0) {
        // Row by row: the texture's pitch and the frame's row order may both differ.
        const size_t rowBytes = (size_t)width * (size_t)bytes;
        for (int y = 0; y < height; ++y)
            std::memcpy(out + (size_t)y * (size_t)pitch, top + (ptrdiff_t)y * rowStep, rowBytes);
    } else if (bytes == 4) {
        // Turned here rather than by the renderer: SDL's software renderer
        // turns a whole frame far more slowly.
        TurnRows<uint32_t>(top, rowStep, width, height, out, pitch, angle);
    } else if (bytes == 2) {
        TurnRows<uint16_t>(top, rowStep, width, height, out, pitch, angle);
    } else {
        TurnRows<Pixel24>(top, rowStep, width, height, out, pitch, angle);
    }
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
    if (!renderer_ || !Upload(top, rowStep, width, height, format, angle))
        return false;
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
    SDL_RenderPresent(renderer_);
    return true;
}

} // namespace sdl2
