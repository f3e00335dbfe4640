#include "uiengine/fonts/TPDAUIEngineImageFilter.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "enginelib/draw/TDibIG.h"

namespace {

int Clamp(long long v, int lo, int hi)
{
    return v < lo ? lo : v > hi ? hi : int(v);
}

// Pixel and alpha planes of a 16-bit bitmap, walked in step: BitsSize / 2
// pixels, row padding included.
struct Planes16 {
    explicit Planes16(TDibIG* dib) : access(dib)
    {
        if (dib && dib->Bpp() == 16 && access.Bits16()) {
            pixels = access.Bits16();
            count = access.BitsSize() / 2;
            alpha = access.Alpha();
        }
    }
    explicit operator bool() const { return pixels != nullptr; }

    TGetTDibBits access;
    uint16_t* pixels = nullptr;
    uint8_t* alpha = nullptr;
    uint32_t count = 0;
};

// Rewrites every pixel through f(r8, g8, b8) -> packed pixel.
template <class F>
void MapPixels(TDibIG* dib, F f)
{
    Planes16 planes(dib);
    if (!planes)
        return;
    uint16_t* p = planes.pixels;
    for (uint32_t i = 0; i < planes.count; ++i) {
        uint16_t v = p[i];
        p[i] = f(TPDAUIEngineImageFilter::Red8(v), TPDAUIEngineImageFilter::Green8(v),
                 TPDAUIEngineImageFilter::Blue8(v));
    }
}

// Every alpha byte a becomes 255 - (255 - a) * percent / 100, clamped. The
// plane is made (all opaque) when the bitmap has none, since the result needs it.
void ScaleAlpha(TDibIG* dib, long long percent)
{
    if (!dib || dib->Bpp() != 16 || dib->IsEmpty() || !dib->CreaAlpha())
        return;
    Planes16 planes(dib);
    if (!planes || !planes.alpha)
        return;
    uint8_t table[256];
    for (int a = 0; a < 256; ++a)
        table[a] = uint8_t(Clamp(255 - (255 - a) * percent / 100, 0, 255));
    for (uint32_t i = 0; i < planes.count; ++i)
        planes.alpha[i] = table[planes.alpha[i]];
}

} // namespace

// ---------------------------------------------------------------------------
// Shared helpers

uint16_t TPDAUIEngineImageFilter::Pack(int r, int g, int b)
{
    r = Clamp(r, 0, 255);
    g = Clamp(g, 0, 255);
    b = Clamp(b, 0, 255);
    return uint16_t((r >> 3) << 11 | (g >> 2) << 5 | (b >> 3));
}

TDibIG* TPDAUIEngineImageFilter::PrepareDib(TDibIG* dib)
{
    if (!dib)
        return nullptr;
    if (dib->Bpp() != 16)
        dib->ConvertDIB_16xAlpha(0);
    dib->Cancel_PreMultiplied();
    return dib;
}

void TPDAUIEngineImageFilter::FinishDib(TDibIG* dib)
{
    if (dib)
        dib->Set_PreMultiplied(0);
}

void TPDAUIEngineImageFilter::RgbToHsl(TColorIG color, int& hue, int& saturation, int& lightness)
{
    const int r = color.R(), g = color.G(), b = color.B();
    const int max = std::max(r, std::max(g, b));
    const int min = std::min(r, std::min(g, b));
    lightness = (max + min) >> 1;
    hue = saturation = 0;
    const int d = max - min;
    if (lightness == 0 || d <= 0)
        return;
    saturation = lightness <= 128 ? d * 256 / (max + min) : d * 256 / (512 - max - min);
    const int dr = (max - r) * 256 / d;
    const int dg = (max - g) * 256 / d;
    const int db = (max - b) * 256 / d;
    if (r == max)
        hue = g == min ? (1280 + db) / 6 : (256 - dg) / 6;
    else if (g == max)
        hue = b == min ? (256 + dr) / 6 : (768 - db) / 6;
    else
        hue = r == min ? (768 + dg) / 6 : (1280 - dr) / 6;
}

TColorIG TPDAUIEngineImageFilter::HslToRgb(int hue, int saturation, int lightness)
{
    // Parameters come unchecked from theme text: bound them (hue to the values
    // that still choose the same branch) and work in 64 bits.
    const long long h = Clamp(hue, -1, 256);
    const long long s = Clamp(saturation, -1000000, 1000000);
    const long long l = Clamp(lightness, -1000000, 1000000);
    const long long m2 = l <= 128 ? ((s + 256) * l) >> 8 : s + l - ((s * l) >> 8);
    const long long sector = (h * 6) >> 8;
    if (m2 <= 0 || sector >= 6) {
        const int grey = Clamp(l, 0, 255);
        return TColorIG(grey, grey, grey);
    }
    const long long m1 = 2 * l - m2;
    long long r = m1, g = m1, b = m1;
    if (sector >= 0) {
        const long long k = (m2 - m1) * 256 / m2;
        const long long f = ((h * 6 - sector * 256) * k * m2) >> 16;
        switch (sector) {
        case 0: r = m2; g = m1 + f; break;
        case 1: r = m2 - f; g = m2; break;
        case 2: g = m2; b = m1 + f; break;
        case 3: g = m2 - f; b = m2; break;
        case 4: r = m1 + f; b = m2; break;
        case 5: r = m2; b = m2 - f; break;
        }
    }
    return TColorIG(Clamp(r, 0, 255), Clamp(g, 0, 255), Clamp(b, 0, 255));
}

// ---------------------------------------------------------------------------
// Opacity

TPDAUIEngineImageFilterOpacity::TPDAUIEngineImageFilterOpacity(int percent_)
    : percent(Clamp(percent_, 0, 100))
{
}

void TPDAUIEngineImageFilterOpacity::Apply(TDibIG* dib)
{
    ScaleAlpha(dib, percent);
}

// ---------------------------------------------------------------------------
// Brightness and contrast

TPDAUIEngineImageFilterBrightnessContrast::TPDAUIEngineImageFilterBrightnessContrast(int brightness_,
                                                                                     int contrast_)
    : brightness(Clamp(brightness_, -100, 100)), contrast(Clamp(contrast_, -100, 100))
{
}

void TPDAUIEngineImageFilterBrightnessContrast::Apply(TDibIG* dib)
{
    const double shift = std::floor(brightness * 1.27);
    double k = (contrast + 100) * 0.01;
    if (contrast >= 0)
        k = k * k * k;
    // Channels take only 256 values: compute each result once.
    uint8_t table[256];
    for (int x = 0; x < 256; ++x)
        table[x] = uint8_t(Clamp((long long)std::floor((x + shift - 127) * k) + 127, 0, 255));
    MapPixels(dib, [&](int r, int g, int b) { return Pack(table[r], table[g], table[b]); });
}

// ---------------------------------------------------------------------------
// Grayscale, invert, red colouring

void TPDAUIEngineImageFilterGrayscale::Apply(TDibIG* dib)
{
    MapPixels(dib, [](int r, int g, int b) {
        const int grey = (r + g + b) / 3;
        return Pack(grey, grey, grey);
    });
}

void TPDAUIEngineImageFilterInvert::Apply(TDibIG* dib)
{
    MapPixels(dib, [](int r, int g, int b) { return Pack(255 - r, 255 - g, 255 - b); });
}

void TPDAUIEngineImageFilterColorizeRed::Apply(TDibIG* dib)
{
    MapPixels(dib, [](int r, int g, int b) { return Pack((r + g + b) / 3, 0, 0); });
}

// ---------------------------------------------------------------------------
// Horizontal mirror

void TPDAUIEngineImageFilterFlipH::Apply(TDibIG* dib)
{
    Planes16 planes(dib);
    if (!planes)
        return;
    const int w = planes.access.Width();
    const int rows = planes.access.Height();
    const int stride = planes.access.LineSizeBytes() / 2; // pixels, and alpha bytes
    for (int y = 0; y < rows; ++y) {
        uint16_t* row = planes.pixels + size_t(y) * stride;
        std::reverse(row, row + w);
        if (planes.alpha) {
            uint8_t* arow = planes.alpha + size_t(y) * stride;
            std::reverse(arow, arow + w);
        }
    }
}

// ---------------------------------------------------------------------------
// Hue, saturation, lightness

TPDAUIEngineImageFilterHSL::TPDAUIEngineImageFilterHSL(int hue_, int saturation_, int lightness_)
    : hue(hue_), saturation(saturation_), lightness(lightness_)
{
}

void TPDAUIEngineImageFilterHSL::Apply(TDibIG* dib)
{
    // A negative hue gives the darker grey m1, a hue from 360 on the grey at
    // the lightness.
    const int hueScaled = Clamp((long long)hue * 256 / 360, -1, 256);
    const int satScaled = int(std::trunc(std::clamp(double(saturation) * 256 * 0.01, -1e6, 1e6)));
    const int lightShift = int(std::trunc(std::clamp(double(lightness) * 256 * 0.005, -1e6, 1e6)));
    MapPixels(dib, [&](int r, int g, int b) {
        int h, s, l;
        RgbToHsl(TColorIG(r, g, b), h, s, l);
        const int shifted = Clamp((long long)l + lightShift, 0, 256);
        const TColorIG c = HslToRgb(hueScaled, satScaled, shifted);
        return Pack(c.R(), c.G(), c.B());
    });
}

// ---------------------------------------------------------------------------
// Fill

TPDAUIEngineImageFilterFill::TPDAUIEngineImageFilterFill(int red_, int green_, int blue_, int opacity_)
    : red(red_), green(green_), blue(blue_), opacity(opacity_)
{
}

void TPDAUIEngineImageFilterFill::Apply(TDibIG* dib)
{
    if (!dib || dib->Bpp() != 16)
        return;
    const uint16_t colour = Pack(red, green, blue);
    MapPixels(dib, [&](int, int, int) { return colour; });
    if (opacity != -1)
        ScaleAlpha(dib, (long long)opacity * 100 / 255);
}
