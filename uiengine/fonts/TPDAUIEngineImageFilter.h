#pragma once
#include <cstdint>

#include "enginelib/draw/TColorIG.h"

class TDibIG;

// An image filter rewrites a bitmap in place. Filters work on 16-bit RGB565
// pixels with an alpha plane (0 opaque, 255 transparent), with colours not
// premultiplied: run PrepareDib once before a chain of filters and FinishDib
// once after it. Apply ignores a null bitmap and any bitmap that is not 16 bits.
class TPDAUIEngineImageFilter {
public:
    virtual ~TPDAUIEngineImageFilter() = default;
    virtual void Apply(TDibIG* dib) = 0;

    // Converts to 16 bits with an alpha plane when the depth is not 16, and
    // removes premultiplication. Gives dib (null for null).
    static TDibIG* PrepareDib(TDibIG* dib);
    // Premultiplies the colours again.
    static void FinishDib(TDibIG* dib);

    // Integer HSL on a 0..256 scale (channels 0..255).
    static void RgbToHsl(TColorIG color, int& hue, int& saturation, int& lightness);
    static TColorIG HslToRgb(int hue, int saturation, int lightness);

    // 8-bit channels of an RGB565 pixel, and the packing back (channels are
    // clamped to 0..255 first).
    static int Red8(uint16_t p) { return (p & 0xF800) >> 8; }
    static int Green8(uint16_t p) { return (p & 0x07E0) >> 3; }
    static int Blue8(uint16_t p) { return (p & 0x001F) * 8; }
    static uint16_t Pack(int r, int g, int b);
};

// Alpha scaled towards transparent: opacity percent 0..100.
class TPDAUIEngineImageFilterOpacity : public TPDAUIEngineImageFilter {
public:
    explicit TPDAUIEngineImageFilterOpacity(int percent);
    void Apply(TDibIG* dib) override;
    int percent;
};

// Brightness and contrast, each -100..100.
class TPDAUIEngineImageFilterBrightnessContrast : public TPDAUIEngineImageFilter {
public:
    TPDAUIEngineImageFilterBrightnessContrast(int brightness, int contrast);
    void Apply(TDibIG* dib) override;
    int brightness;
    int contrast;
};

class TPDAUIEngineImageFilterGrayscale : public TPDAUIEngineImageFilter {
public:
    void Apply(TDibIG* dib) override;
};

// Mirrors every row.
class TPDAUIEngineImageFilterFlipH : public TPDAUIEngineImageFilter {
public:
    void Apply(TDibIG* dib) override;
};

class TPDAUIEngineImageFilterInvert : public TPDAUIEngineImageFilter {
public:
    void Apply(TDibIG* dib) override;
};

// Replaces hue (degrees) and saturation (percent) and shifts lightness (percent).
// A hue of 360 or more, or of -2 or less, gives greys.
class TPDAUIEngineImageFilterHSL : public TPDAUIEngineImageFilter {
public:
    TPDAUIEngineImageFilterHSL(int hue, int saturation, int lightness);
    void Apply(TDibIG* dib) override;
    int hue;
    int saturation;
    int lightness;
};

// Paints every pixel one colour; opacity 0..255 scales the alpha, -1 keeps it.
class TPDAUIEngineImageFilterFill : public TPDAUIEngineImageFilter {
public:
    TPDAUIEngineImageFilterFill(int red, int green, int blue, int opacity);
    void Apply(TDibIG* dib) override;
    int red;
    int green;
    int blue;
    int opacity;
};

// Grey level into red, green and blue cleared (the go-to arrow's warning tint).
class TPDAUIEngineImageFilterColorizeRed : public TPDAUIEngineImageFilter {
public:
    void Apply(TDibIG* dib) override;
};
