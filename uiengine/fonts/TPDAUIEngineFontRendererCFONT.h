#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "enginelib/base/DString.h"
#include "enginelib/base/DUString.h"
#include "enginelib/base/Vector.h"
#include "uiengine/fonts/TPDAUIEngineFontManager.h"

class IDC;

// Text in the system's own bitmap fonts (".cfont"): one family at several
// pixel heights, each height made of ranges of 256 codes (regular or bold)
// with their glyph metrics and one compressed 8-bit glyph image, inflated the
// first time a character of the range is needed.
//
// Everything read from the file is checked against the file: a truncated or
// inconsistent file leaves the renderer invalid with loadError naming the file,
// and a glyph whose rectangle leaves its range image draws no ink.
class TPDAUIEngineFontRendererCFONT : public TPDAUIEngineFontManager::TFontRenderer {
public:
    // One glyph's place in its range image and its spacing: columns
    // srcX..srcX+w+1 and rows srcY..srcY+h; the advance is w + a + b.
    struct Glyph {
        int16_t srcX = 0;
        int16_t srcY = 0;
        int8_t w = 0;
        int8_t h = 0;
        int8_t a = 0;
        int8_t b = 0;
        int Advance() const { return w + a + b; }
    };

    // 256 consecutive codes of one weight.
    struct Range {
        Range() = default;
        ~Range() { delete[] image; }
        Range(const Range&) = delete;
        Range& operator=(const Range&) = delete;

        // Whether glyph g lies inside the loaded image.
        bool Inside(const Glyph& g) const;

        // The part of a glyph's cell (columns left..right-1, rows
        // top..bottom-1) holding every pixel dark enough to be drawn at full
        // opacity; empty when none is.
        struct Ink {
            uint8_t left = 0, top = 0, right = 0, bottom = 0;
        };
        // The ink of g (inside the image); for the range's own glyphs kept from
        // the first time it is asked for until the glyph's cell or the image
        // changes.
        Ink InkOf(const Glyph& g) const;

        int32_t firstCode = 0;
        bool bold = false;
        Glyph glyphs[256];
        uint8_t* image = nullptr;  // 256 pixels a row, 0 full ink; null until loaded
        int32_t imageOffset = 0;
        int32_t imageSize = 0;
        int32_t compressedSize = 0;

    private:
        struct Inks {
            const uint8_t* image = nullptr;  // the image they were found in
            Ink ink[256];
            Glyph cell[256];  // the cell each was found in
            bool known[256] = {};
        };
        Ink FindInk(const Glyph& g) const;
        mutable std::unique_ptr<Inks> inks_;  // made with the first glyph drawn
    };

    struct Height {
        Height() : ranges(10, 10, true) {}
        int32_t px = 0;  // pixel height, also the line height
        VectorP<Range> ranges;
    };

    // Reads path (also looked for in the "base" folder beside its folder).
    // folder is kept only.
    TPDAUIEngineFontRendererCFONT(const char* path, const char* folder);
    ~TPDAUIEngineFontRendererCFONT() override = default;

    // Parses a whole ".cfont" file held in memory; name is used in loadError.
    // Ranges read their images later from the path field.
    bool Parse(const void* data, uint32_t size, const char* name);

    // Snaps the size to a height of the file (a size between two heights goes down).
    void AdjustFont(TPDAUIEngineStyleFont& font) override;
    void GetTextExtent(int& width, int& height, const TPDAUIEngineStyleFont& font,
                       const CDString& text, int maxWidth, int flags) override;
    // The largest height of the file at which text fits rect.
    int FitFontSize(const TPDAUIEngineStyleFont& font, const CDString& text, const TRectIG& rect,
                    int flags, int maxLines) override;
    // 0 when nothing was drawn (too small, no heights, empty text), else 1.
    int DrawText(IDC* dc, const TPDAUIEngineStyleFont& font, TColorIG color,
                 const TColorIG* background, const CDString& text, TRectIG& rect, int flags,
                 int maxLines) override;
    int GetLinesHeight(const TPDAUIEngineStyleFont& font, const CDString& text, int lineCount,
                       int width) override;
    int GetMemoryUsage() override;
    TDibIG* GetGlyph(int code, int size, TRectIG& source, int& advance, int& top) override
    {
        return nullptr;
    }

    // The first height whose px is not below size, else the largest; null when none.
    Height* FindHeight(int size) const;
    // The glyph of code in a height and weight (its range's image loaded when it
    // can be); null when no range holds the code.
    const Glyph* FindGlyph(Height* height, bool bold, int code, Range** range);

    // Lays text out in place: line feeds replace (or follow) break characters
    // where it wraps, dots and blanks make the ellipsis, right-to-left text is
    // shaped and put in display order. lineWidths (may be null) gets each line's
    // width. maxLines -1: no limit.
    void Layout(Height* height, const TPDAUIEngineStyleFont& font, DUString& text, int flags,
                int maxWidth, std::vector<int>* lineWidths, int maxLines, int& width,
                int& outHeight);

    VectorP<Height> heights;
    DString folder;
    bool headerFlag = false;
    DString loadError;  // why the file did not load; empty when it did

    // Glyph g of range with its box dst (right and bottom inclusive; turned
    // by orientation 90 or -90) in colour; opacity 255 for the text, less for
    // its shadow (turned glyphs always at 255). Image greys below the
    // threshold of the opacity draw nothing.
    void DrawGlyph(IDC* dc, const Range& range, const Glyph& g, const TRectIG& dst,
                   TColorIG colour, int orientation, int opacity);

private:
    // The coverage of each grey of a glyph image at opacity; own (256 bytes)
    // is filled when the opacity has no table of its own.
    static const uint8_t* CoverageMap(int opacity, uint8_t* own);
    bool LoadImage(Range& range);

    Height* lastHeight_ = nullptr;  // the height and weight the last range served
    Range* lastRange_ = nullptr;
    std::vector<uint8_t> turned_;  // a turned glyph's coverage, kept between glyphs
};
