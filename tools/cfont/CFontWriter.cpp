#include "tools/cfont/CFontWriter.h"

#include <algorithm>
#include <cstdio>

#include <zlib.h>

namespace {

void Put(std::vector<uint8_t>& out, uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(uint8_t(v >> (8 * i)));
}

void PutBytes(std::vector<uint8_t>& out, const uint8_t* bytes, size_t n)
{
    for (size_t i = 0; i < n; ++i)
        out.push_back(bytes[i]);
}

} // namespace

void CFontWriter::Range::Place(int code, int width, int rows, const uint8_t* ink, int stride,
                               int advance)
{
    Glyph& g = glyphs[code - firstCode];
    width = std::min(width, 129);
    if (width < 1 || rows < 1) {
        Blank(code, rows, advance);
        return;
    }
    if (shelfX + width > 256 || rows != shelfH) {
        shelfY += shelfH;
        shelfX = 0;
        shelfH = rows;
    }
    const size_t needed = size_t(shelfY + rows) * 256;
    if (image.size() < needed)
        image.resize(needed, 255);
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < width; ++x)
            image[size_t(shelfY + y) * 256 + size_t(shelfX + x)] =
                uint8_t(255 - ink[size_t(y) * size_t(stride) + size_t(x)]);
    g.srcX = int16_t(shelfX);
    g.srcY = int16_t(shelfY);
    g.w = int8_t(width - 2);
    g.h = int8_t(rows - 1);
    const int rest = advance - (width - 2);
    g.a = int8_t(std::max(-128, std::min(127, rest)));
    g.b = int8_t(rest - g.a);
    shelfX += width;
    used = true;
}

void CFontWriter::Range::Blank(int code, int rows, int advance)
{
    Glyph& g = glyphs[code - firstCode];
    g.srcX = g.srcY = 0;
    g.w = -2;
    g.h = int8_t(std::max(0, std::min(127, rows - 1)));
    const int rest = advance + 2;
    g.a = int8_t(std::max(-128, std::min(127, rest)));
    g.b = int8_t(rest - g.a);
}

std::vector<uint8_t> CFontWriter::Bytes() const
{
    std::vector<uint8_t> out;
    PutBytes(out, reinterpret_cast<const uint8_t*>("CFONT"), 5);
    out.push_back(headerFlag ? 1 : 0);
    Put(out, uint32_t(heights.size()), 4);
    for (const Height& h : heights) {
        Put(out, uint32_t(h.px), 4);
        Put(out, uint32_t(h.ranges.size()), 4);
        for (const Range& r : h.ranges) {
            Put(out, uint32_t(r.firstCode), 4);
            out.push_back(r.bold ? 1 : 0);
            for (const Glyph& g : r.glyphs) {
                Put(out, uint16_t(g.srcX), 2);
                Put(out, uint16_t(g.srcY), 2);
                out.push_back(uint8_t(g.w));
                out.push_back(uint8_t(g.h));
                out.push_back(uint8_t(g.a));
                out.push_back(uint8_t(g.b));
            }
            uLongf packed = compressBound(uLong(r.image.size()));
            std::vector<uint8_t> block(packed);
            compress2(block.data(), &packed, r.image.data(), uLong(r.image.size()), 9);
            Put(out, uint32_t(packed), 4);
            Put(out, uint32_t(r.image.size()), 4);
            PutBytes(out, block.data(), size_t(packed));
        }
    }
    PutBytes(out, reinterpret_cast<const uint8_t*>("CFONTEND"), 8);
    return out;
}

bool CFontWriter::Save(const std::string& path, const std::vector<uint8_t>& bytes)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}
