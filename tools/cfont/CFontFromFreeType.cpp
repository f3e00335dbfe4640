#include "tools/cfont/CFontFromFreeType.h"

#include <algorithm>

namespace CFontFromFreeType {

namespace {

int Ceil26(FT_Pos v) { return int((v + 63) >> 6); }

int LineHeight(FT_Face face)
{
    return Ceil26(face->size->metrics.ascender) + Ceil26(-face->size->metrics.descender);
}

} // namespace

int SetPixelSize(FT_Face face, int px)
{
    int size = 1;
    for (int j = 1; j <= px * 2; ++j) {
        if (FT_Set_Pixel_Sizes(face, 0, FT_UInt(j)) != 0)
            break;
        if (LineHeight(face) > px)
            break;
        size = j;
    }
    FT_Set_Pixel_Sizes(face, 0, FT_UInt(size));
    return size;
}

int Baseline(FT_Face face, int px)
{
    const int ascent = Ceil26(face->size->metrics.ascender);
    const int line = LineHeight(face);
    // The spare rows, if any, go half above and half below.
    return ascent + std::max(0, px - line) / 2;
}

CFontWriter::Range MakeRange(FT_Face face, int px, int firstCode, bool bold,
                             const CodeFilter& wanted)
{
    CFontWriter::Range range(firstCode, bold);
    const int baseline = Baseline(face, px);
    int space = px / 2;
    if (FT_Load_Char(face, ' ', FT_LOAD_DEFAULT) == 0)
        space = int((face->glyph->advance.x + 32) >> 6);
    bool any = false;
    std::vector<uint8_t> cell;
    for (int i = 0; i < 256; ++i) {
        const int code = firstCode + i;
        const bool want = size_t(code) < wanted.size() && wanted[size_t(code)];
        const FT_UInt index = want ? FT_Get_Char_Index(face, FT_ULong(code)) : 0;
        if (code == '\t') {
            range.Blank(code, px, 4 * space);
            continue;
        }
        if (index == 0 || FT_Load_Glyph(face, index, FT_LOAD_RENDER | FT_LOAD_NO_BITMAP) != 0) {
            range.Blank(code, px, px / 2);
            continue;
        }
        any = true;
        const FT_GlyphSlot slot = face->glyph;
        const FT_Bitmap& b = slot->bitmap;
        const int advance = int((slot->advance.x + 32) >> 6);
        if (b.width == 0 || b.rows == 0 || b.pixel_mode != FT_PIXEL_MODE_GRAY) {
            range.Blank(code, px, advance);
            continue;
        }
        // Marks (no advance) are placed by the renderer from their own left edge.
        const int x0 = advance == 0 ? slot->bitmap_left : std::min(0, slot->bitmap_left);
        const int inkX = slot->bitmap_left - x0;
        const int inkY = baseline - slot->bitmap_top;
        const int width = std::max(1, std::min(129, inkX + int(b.width)));
        cell.assign(size_t(width) * size_t(px), 0);
        for (int y = 0; y < int(b.rows); ++y) {
            const int row = inkY + y;
            if (row < 0 || row >= px)
                continue;
            const uint8_t* src = b.buffer + long(y) * b.pitch;
            for (int x = 0; x < int(b.width) && inkX + x < width; ++x)
                cell[size_t(row) * size_t(width) + size_t(inkX + x)] = src[x];
        }
        range.Place(code, width, px, cell.data(), width, advance);
    }
    if (!any)
        return CFontWriter::Range(firstCode, bold);
    range.used = true;
    return range;
}

CFontWriter Make(FT_Face regular, FT_Face bold, const std::vector<int>& heights,
                 const CodeFilter& wanted)
{
    std::vector<int> firstCodes;
    for (size_t code = 0; code < wanted.size(); ++code)
        if (wanted[code] && (firstCodes.empty() || firstCodes.back() != int(code & ~size_t(255))))
            firstCodes.push_back(int(code & ~size_t(255)));
    CFontWriter out;
    std::vector<int> sorted = heights;
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    for (int px : sorted) {
        CFontWriter::Height h;
        h.px = px;
        for (FT_Face face : {regular, bold}) {
            if (!face)
                continue;
            SetPixelSize(face, px);
            for (int first : firstCodes) {
                CFontWriter::Range r = MakeRange(face, px, first, face == bold, wanted);
                if (!r.Empty())
                    h.ranges.push_back(std::move(r));
            }
        }
        out.heights.push_back(std::move(h));
    }
    return out;
}

} // namespace CFontFromFreeType
