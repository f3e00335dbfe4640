#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Writes ".cfont" bitmap fonts: heights in ascending order, each with ranges of
// 256 codes whose glyph cells are packed into one 8-bit image 256 pixels wide
// (0 full ink, 255 none), stored deflated. The byte encoding is the engine's
// typed stream (little-endian; bool and char one byte).
class CFontWriter {
public:
    struct Glyph {
        int16_t srcX = 0, srcY = 0;
        int8_t w = -2, h = 0, a = 0, b = 0;  // w -2: a cell without columns
    };

    struct Range {
        explicit Range(int first = 0, bool isBold = false) : firstCode(first), bold(isBold) {}

        // Packs a cell of width x rows ink values (0 none .. 255 full, rows of
        // stride bytes) for code, with the given advance; cells go left to right
        // in shelves as tall as the cell. A cell without columns takes no room.
        void Place(int code, int width, int rows, const uint8_t* ink, int stride, int advance);
        // Advance only, no ink.
        void Blank(int code, int rows, int advance);
        bool Empty() const { return !used; }

        int firstCode;
        bool bold;
        Glyph glyphs[256];
        std::vector<uint8_t> image;  // 256 x imageRows, 255 = no ink
        int shelfX = 0, shelfY = 0, shelfH = 0;
        bool used = false;
    };

    struct Height {
        int px = 0;
        std::vector<Range> ranges;
    };

    // The whole file. Compression is deterministic (zlib level 9).
    std::vector<uint8_t> Bytes() const;
    static bool Save(const std::string& path, const std::vector<uint8_t>& bytes);

    bool headerFlag = true;
    std::vector<Height> heights;
};
