#include "enginelib/draw/ImageCodecs.h"

#include <zlib.h>

#include <cstring>

// Our compiled bitmap; the layout is described in TDibIGformat.h.

namespace {

constexpr size_t HeaderSize = 20;
constexpr uint16_t Version = 1;
constexpr uint16_t FlagAlpha = 1;
constexpr uint16_t FlagPremultiplied = 2;

uint32_t U16(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8;
}

uint32_t U32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void Put16(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v)
{
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// Inflates exactly n bytes into dst; false when the stream ends early or is corrupt.
bool InflateExactly(z_stream& zs, uint8_t* dst, size_t n)
{
    zs.next_out = dst;
    zs.avail_out = uInt(n);
    while (zs.avail_out > 0) {
        int rc = inflate(&zs, Z_NO_FLUSH);
        if (rc == Z_STREAM_END)
            return zs.avail_out == 0;
        if (rc != Z_OK)
            return false;
    }
    return true;
}

} // namespace

bool CbmpDecode(const uint8_t* data, size_t size, TDibIG* out, bool* premultiplied, int* width,
                int* height)
{
    if (size < HeaderSize || std::memcmp(data, "CBMP", 4) != 0)
        return false;
    uint32_t version = U16(data + 4), flags = U16(data + 6);
    uint32_t w = U32(data + 8), h = U32(data + 12), packed = U32(data + 16);
    if (version != Version || (flags & ~uint32_t(FlagAlpha | FlagPremultiplied)) != 0)
        return false;
    if (w > uint32_t(TDibIG::MaxSide) || h > uint32_t(TDibIG::MaxSide) ||
        !TDibIG::SizeAllowed(int(w), int(h)))
        return false;
    if (packed > size - HeaderSize)
        return false;
    *width = int(w);
    *height = int(h);
    if (!out)
        return true;

    const bool withAlpha = (flags & FlagAlpha) != 0;
    if (!out->Crea(int(w), int(h), 16, withAlpha))
        return false;
    z_stream zs{};
    if (inflateInit(&zs) != Z_OK) {
        out->Libera();
        return false;
    }
    zs.next_in = const_cast<Bytef*>(data + HeaderSize);
    zs.avail_in = uInt(packed);
    std::vector<uint8_t> row(size_t(w) * 2);
    bool ok = true;
    for (uint32_t y = 0; ok && y < h; ++y) {
        ok = InflateExactly(zs, row.data(), row.size());
        if (ok) {
            uint16_t* dst = reinterpret_cast<uint16_t*>(out->Row(int(y)));
            for (uint32_t x = 0; x < w; ++x)
                dst[x] = uint16_t(U16(row.data() + 2 * x));
        }
    }
    for (uint32_t y = 0; ok && withAlpha && y < h; ++y)
        ok = InflateExactly(zs, out->AlphaRow(int(y)), w);
    if (ok) {
        // The stream must end here, with nothing left over.
        uint8_t extra;
        zs.next_out = &extra;
        zs.avail_out = 1;
        ok = inflate(&zs, Z_FINISH) == Z_STREAM_END && zs.avail_out == 1;
    }
    inflateEnd(&zs);
    if (!ok) {
        out->Libera();
        return false;
    }
    *premultiplied = (flags & FlagPremultiplied) != 0;
    return true;
}

bool CbmpEncode(const TDibIG& bitmap, std::vector<uint8_t>& out)
{
    out.clear();
    if (bitmap.IsEmpty())
        return false;
    const int w = bitmap.Width(), h = bitmap.AbsHeight();
    const bool withAlpha = bitmap.Tiene_Alphas();
    uint16_t flags = (withAlpha ? FlagAlpha : 0) |
                     (bitmap.IsPreMultiplied() && withAlpha ? FlagPremultiplied : 0);
    out.insert(out.end(), {'C', 'B', 'M', 'P'});
    Put16(out, Version);
    Put16(out, flags);
    Put32(out, uint32_t(w));
    Put32(out, uint32_t(h));
    Put32(out, 0);  // stream length, filled in below

    z_stream zs{};
    if (deflateInit(&zs, Z_BEST_COMPRESSION) != Z_OK) {
        out.clear();
        return false;
    }
    std::vector<uint8_t> row(size_t(w) * 2);
    std::vector<uint8_t> chunk(64 * 1024);
    bool ok = true;
    auto feed = [&](const uint8_t* p, size_t n, int flush) {
        zs.next_in = const_cast<Bytef*>(p);
        zs.avail_in = uInt(n);
        do {
            zs.next_out = chunk.data();
            zs.avail_out = uInt(chunk.size());
            int rc = deflate(&zs, flush);
            if (rc == Z_STREAM_ERROR) {
                ok = false;
                return;
            }
            out.insert(out.end(), chunk.data(), chunk.data() + (chunk.size() - zs.avail_out));
        } while (zs.avail_out == 0 || zs.avail_in > 0);
    };
    // Colours as RGB565 whatever the depth; opacity from the plane or channel.
    for (int y = 0; ok && y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            uint16_t v = bitmap.Bpp() == 16 ? reinterpret_cast<const uint16_t*>(bitmap.Row(y))[x]
                                            : bitmap.GetPixel(x, y).ToRGB565();
            row[2 * x] = uint8_t(v);
            row[2 * x + 1] = uint8_t(v >> 8);
        }
        feed(row.data(), row.size(), Z_NO_FLUSH);
    }
    for (int y = 0; ok && withAlpha && y < h; ++y) {
        for (int x = 0; x < w; ++x)
            row[x] = uint8_t(bitmap.GetAlpha(x, y));
        feed(row.data(), size_t(w), Z_NO_FLUSH);
    }
    if (ok)
        feed(nullptr, 0, Z_FINISH);
    deflateEnd(&zs);
    if (!ok) {
        out.clear();
        return false;
    }
    uint32_t packed = uint32_t(out.size() - HeaderSize);
    for (int i = 0; i < 4; ++i)
        out[16 + i] = uint8_t(packed >> (8 * i));
    return true;
}
