#pragma once
#include <cstdint>

// A colour as one 32-bit value: red in the lowest byte, then green, then blue
// (0x00BBGGRR). The top byte is not part of the colour and is 0 in every value
// this class makes; opacity travels beside the colour where callers need it.
//
// The value converts to and from uint32_t implicitly, so colours are compared,
// stored and written as plain 32-bit numbers.
class TColorIG {
public:
    uint32_t color = 0;

    constexpr TColorIG() = default;
    constexpr TColorIG(uint32_t value) : color(value) {}
    constexpr TColorIG(int r, int g, int b)
        : color(uint32_t(r & 0xFF) | uint32_t(g & 0xFF) << 8 | uint32_t(b & 0xFF) << 16)
    {
    }
    constexpr operator uint32_t() const { return color; }

    constexpr uint8_t R() const { return uint8_t(color); }
    constexpr uint8_t G() const { return uint8_t(color >> 8); }
    constexpr uint8_t B() const { return uint8_t(color >> 16); }
    void SetRGB(int r, int g, int b) { *this = TColorIG(r, g, b); }

    // Reads colour text. On success the colour is set, *alpha (when given) gets
    // the opacity 0..255 (255 = opaque) and the answer is true. On failure
    // neither changes and the answer is false. Grammar (spaces around the text
    // and around numbers are allowed, hexadecimal digits in either case):
    //   "#RRGGBB"          opacity 255
    //   "#RRGGBBAA"        AA is the opacity (FF opaque, 00 invisible)
    //   "#RGB"             each digit doubled ("#F80" = "#FF8800"), opacity 255
    //   "#RGBA"            the same with an opacity digit
    //   "r,g,b"            decimal 0..255 each, opacity 255
    //   "r,g,b,a"          decimal, a is the opacity 0..255
    bool DecodeFromString(const char* text, int* alpha = nullptr);

    // Each channel c becomes 255 - c.
    constexpr TColorIG Negative() const { return TColorIG(color ^ 0x00FFFFFFu); }

    // RGB565: rrrrrggggggbbbbb. Packing truncates the low bits; unpacking
    // repeats the top bits into the low ones so that 0xFFFF gives white.
    constexpr uint16_t ToRGB565() const { return PackRGB565(R(), G(), B()); }
    static constexpr uint16_t PackRGB565(int r, int g, int b)
    {
        return uint16_t((r & 0xF8) << 8 | (g & 0xFC) << 3 | (b & 0xFF) >> 3);
    }
    static constexpr TColorIG FromRGB565(uint16_t p)
    {
        return TColorIG(Expand5(p >> 11), Expand6((p >> 5) & 0x3F), Expand5(p & 0x1F));
    }
    static constexpr int Expand5(int v) { return (v << 3) | (v >> 2); }
    static constexpr int Expand6(int v) { return (v << 2) | (v >> 4); }

    // 0xAARRGGBB as pixman and SDL take it (a8r8g8b8 / x8r8g8b8).
    constexpr uint32_t ToARGB(int opacity = 255) const
    {
        return uint32_t(opacity & 0xFF) << 24 | uint32_t(R()) << 16 | uint32_t(G()) << 8 | B();
    }
    static constexpr TColorIG FromARGB(uint32_t argb)
    {
        return TColorIG(int((argb >> 16) & 0xFF), int((argb >> 8) & 0xFF), int(argb & 0xFF));
    }
};

// Stock colours (the classic sixteen-colour palette plus magenta, the colour
// skins key out of their images).
struct TColoresIG {
    static constexpr TColorIG F_Black{0, 0, 0};
    static constexpr TColorIG F_Blue{0, 0, 128};
    static constexpr TColorIG F_Green{0, 128, 0};
    static constexpr TColorIG F_Cyan{0, 128, 128};
    static constexpr TColorIG F_Red{128, 0, 0};
    static constexpr TColorIG F_Purple{128, 0, 128};
    static constexpr TColorIG F_Brown{128, 64, 0};
    static constexpr TColorIG F_LtGray{192, 192, 192};
    static constexpr TColorIG F_Gray{128, 128, 128};
    static constexpr TColorIG F_DkGray{64, 64, 64};
    static constexpr TColorIG F_LtBlue{0, 0, 255};
    static constexpr TColorIG F_LtGreen{0, 255, 0};
    static constexpr TColorIG F_LtCyan{0, 255, 255};
    static constexpr TColorIG F_LtRed{255, 0, 0};
    static constexpr TColorIG F_Magenta{255, 0, 255};
    static constexpr TColorIG F_Yellow{255, 255, 0};
    static constexpr TColorIG F_White{255, 255, 255};
};
