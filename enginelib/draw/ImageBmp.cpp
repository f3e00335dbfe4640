#include "enginelib/draw/ImageCodecs.h"

#include <cstring>

// Windows bitmap files: a 14-byte file header ("BM", size, reserved, offset of
// the pixels), an info header (12 bytes for the old core form, 40 or more
// otherwise), optional bit-field masks and a palette, then the rows, each
// padded to 4 bytes, bottom row first unless the height is negative.

namespace {

uint32_t U16(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8;
}

uint32_t U32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

enum : uint32_t { BiRgb = 0, BiBitfields = 3, BiAlphaBitfields = 6 };

// One channel described by a bit mask, scaled to 0..255.
struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    uint32_t max = 0;

    explicit Channel(uint32_t m = 0) : mask(m)
    {
        if (!mask)
            return;
        while (!((mask >> shift) & 1))
            ++shift;
        max = mask >> shift;
    }
    int Get(uint32_t v) const
    {
        if (!mask)
            return 0;
        return int((uint64_t((v & mask) >> shift) * 255 + max / 2) / max);
    }
};

struct BmpInfo {
    int width = 0;
    int height = 0;
    bool topDown = false;
    int bpp = 0;
    uint32_t compression = BiRgb;
    uint32_t colorsUsed = 0;
    uint32_t headerSize = 0;
    uint32_t masks[4] = {0, 0, 0, 0};
    size_t paletteOffset = 0;
    int paletteEntrySize = 4;
    uint32_t pixelOffset = 0;
};

bool ReadInfo(const uint8_t* data, size_t size, BmpInfo& bi)
{
    if (size < 26 || data[0] != 'B' || data[1] != 'M')
        return false;
    bi.pixelOffset = U32(data + 10);
    bi.headerSize = U32(data + 14);
    int64_t height;
    if (bi.headerSize == 12) {
        bi.width = int(U16(data + 18));
        height = int64_t(U16(data + 20));
        bi.bpp = int(U16(data + 24));
        bi.paletteEntrySize = 3;
    } else {
        if (bi.headerSize < 40 || bi.headerSize > size - 14 || size < 54)
            return false;
        int32_t w = int32_t(U32(data + 18));
        height = int32_t(U32(data + 22));
        if (w <= 0)
            return false;
        bi.width = w;
        bi.bpp = int(U16(data + 28));
        bi.compression = U32(data + 30);
        bi.colorsUsed = U32(data + 46);
    }
    if (bi.headerSize > size - 14)
        return false;
    bi.topDown = height < 0;
    if (height < 0)
        height = -height;
    if (height > TDibIG::MaxSide)
        return false;
    bi.height = int(height);
    if (!TDibIG::SizeAllowed(bi.width, bi.height))
        return false;

    size_t afterHeader = 14 + size_t(bi.headerSize);
    switch (bi.bpp) {
    case 1: case 4: case 8: case 24:
        if (bi.compression != BiRgb)
            return false;
        break;
    case 16: case 32:
        if (bi.compression == BiRgb) {
            if (bi.bpp == 16) {
                bi.masks[0] = 0x7C00;
                bi.masks[1] = 0x03E0;
                bi.masks[2] = 0x001F;
            } else {
                bi.masks[0] = 0x00FF0000;
                bi.masks[1] = 0x0000FF00;
                bi.masks[2] = 0x000000FF;
            }
        } else if (bi.compression == BiBitfields || bi.compression == BiAlphaBitfields) {
            int count = bi.compression == BiAlphaBitfields ? 4 : 3;
            size_t at = 14 + 40;
            if (bi.headerSize == 40) {
                // The masks follow the 40-byte header.
                if (afterHeader + 4 * size_t(count) > size)
                    return false;
                afterHeader += 4 * size_t(count);
            } else if (bi.headerSize < 40 + 4 * uint32_t(count)) {
                return false;
            }
            for (int i = 0; i < count; ++i)
                bi.masks[i] = U32(data + at + 4 * i);
        } else {
            return false;
        }
        // Later headers carry an alpha mask even without the bit-field marker.
        if (bi.headerSize >= 56 && bi.compression != BiRgb)
            bi.masks[3] = U32(data + 14 + 52);
        break;
    default:
        return false;
    }
    bi.paletteOffset = afterHeader;
    return true;
}

} // namespace

bool BmpDecode(const uint8_t* data, size_t size, TDibIG* out, int* width, int* height)
{
    BmpInfo bi;
    if (!ReadInfo(data, size, bi))
        return false;
    const size_t stride = (size_t(bi.width) * size_t(bi.bpp) + 31) / 32 * 4;
    if (bi.pixelOffset > size || stride * size_t(bi.height) > size - bi.pixelOffset)
        return false;
    *width = bi.width;
    *height = bi.height;
    if (!out)
        return true;

    // Palette: missing entries (or indexes beyond the table) are black.
    uint8_t palette[256][3] = {};
    if (bi.bpp <= 8) {
        size_t count = bi.colorsUsed ? bi.colorsUsed : size_t(1) << bi.bpp;
        if (count > 256)
            count = 256;
        size_t room = bi.pixelOffset > bi.paletteOffset ? bi.pixelOffset - bi.paletteOffset : 0;
        if (count > room / bi.paletteEntrySize)
            count = room / bi.paletteEntrySize;
        for (size_t i = 0; i < count; ++i) {
            const uint8_t* e = data + bi.paletteOffset + i * bi.paletteEntrySize;
            palette[i][0] = e[2];
            palette[i][1] = e[1];
            palette[i][2] = e[0];
        }
    }
    Channel r(bi.masks[0]), g(bi.masks[1]), b(bi.masks[2]), a(bi.masks[3]);
    const bool withAlpha = bi.masks[3] != 0;

    if (!out->Crea(bi.width, bi.height, 16, withAlpha))
        return false;
    std::vector<uint8_t> rgba(size_t(bi.width) * 4);
    bool transparent = false, anyAlpha = false;
    for (int y = 0; y < bi.height; ++y) {
        int stored = bi.topDown ? y : bi.height - 1 - y;
        const uint8_t* src = data + bi.pixelOffset + stride * size_t(stored);
        uint8_t* p = rgba.data();
        for (int x = 0; x < bi.width; ++x, p += 4) {
            p[3] = 255;
            if (bi.bpp <= 8) {
                int bitPos = x * bi.bpp;
                int index = (src[bitPos >> 3] >> (8 - bi.bpp - (bitPos & 7))) & ((1 << bi.bpp) - 1);
                std::memcpy(p, palette[index], 3);
            } else if (bi.bpp == 24) {
                p[0] = src[3 * x + 2];
                p[1] = src[3 * x + 1];
                p[2] = src[3 * x];
            } else {
                uint32_t v = bi.bpp == 16 ? U16(src + 2 * x) : U32(src + 4 * x);
                p[0] = uint8_t(r.Get(v));
                p[1] = uint8_t(g.Get(v));
                p[2] = uint8_t(b.Get(v));
                if (withAlpha) {
                    p[3] = uint8_t(a.Get(v));
                    anyAlpha |= p[3] != 0;
                }
            }
        }
        transparent |= PackRowRGBA(rgba.data(), bi.width, out->Row(y), out->AlphaRow(y));
    }
    // Many writers leave the alpha bytes 0: such a file is opaque, not invisible.
    if (!transparent || !anyAlpha)
        out->QuitaAlpha();
    return true;
}
