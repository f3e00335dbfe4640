#pragma once
#include <cstdint>
#include <unordered_map>

#include "enginelib/base/Vector.h"
#include "enginelib/draw/TDibIG.h"
#include "uiengine/fonts/TPDAUIEngineFontManager.h"

struct FT_LibraryRec_;
struct FT_FaceRec_;
struct FT_Bitmap_;
class DUString;

// Text in a TrueType or OpenType font through FreeType. Up to four faces of one
// family (regular, bold, italic, bold-italic) are opened from files held whole
// in memory; each face keeps the sizes asked of it and each size the glyphs
// rendered at it. Caches only grow, until the renderer goes.
class TPDAUIEngineFontRendererTTF : public TPDAUIEngineFontManager::TFontRenderer {
public:
    enum { SlotRegular = 0, SlotBold = 1, SlotItalic = 2, SlotBoldItalic = 3, SlotCount = 4 };

    // One rendered glyph. The bitmap is grey with a white one-pixel border at
    // its left and top; dark means covered.
    class TCachedChar {
    public:
        uint16_t code = 0;
        int width = 0;  // ink width
        int advance = 0;
        int bitmapTop = 0;  // from the baseline up to the first row
        int bitmapLeft = 0;
        int bitmapWidth = 0;
        int bitmapRows = 0;
        TDibIG bitmap;
    };

    // One requested size of one face slot.
    class TCachedSize {
    public:
        TCachedSize() : glyphs(50, 50, true) {}
        // The glyph of a code, or null.
        TCachedChar* Find(uint16_t code) const;

        int requestedSize = 0;
        int pixelSize = 0;
        int ascender = 0;
        int descender = 0;  // negative below the baseline
        int underlinePosition = 0;
        int underlineThickness = 0;
        int lineHeight = 0;
        int slot = SlotRegular;
        VectorP<TCachedChar> glyphs;
        std::unordered_map<uint16_t, int> index;  // code -> position in glyphs
    };

    // Reads the settings that make text too small and turn on right-to-left
    // handling; every out value is 0 before the call.
    typedef void (*FuncFontSettings)(void* user, int& increment, uint8_t& rightToLeft,
                                     int& incrementRTL);

    // path: the regular face's file (also looked for in the "base" folder beside
    // its folder). Valid once that face is open.
    TPDAUIEngineFontRendererTTF(const char* path, const char* fontFolder);
    ~TPDAUIEngineFontRendererTTF() override;

    void AdjustFont(TPDAUIEngineStyleFont& font) override {}
    void GetTextExtent(int& width, int& height, const TPDAUIEngineStyleFont& font,
                       const CDString& text, int maxWidth, int flags) override;
    int FitFontSize(const TPDAUIEngineStyleFont& font, const CDString& text, const TRectIG& rect,
                    int flags, int maxLines) override;
    int DrawText(IDC* dc, const TPDAUIEngineStyleFont& font, TColorIG color,
                 const TColorIG* background, const CDString& text, TRectIG& rect, int flags,
                 int maxLines) override;
    int GetLinesHeight(const TPDAUIEngineStyleFont& font, const CDString& text, int lineCount,
                       int width) override;
    int GetMemoryUsage() override;
    TDibIG* GetGlyph(int code, int size, TRectIG& source, int& advance, int& top) override;

    // The face slot a descriptor's style draws with (a missing variant falls back).
    int SlotFor(bool bold, bool italic) const;
    // The size cache of a descriptor's style and size, made on first use. Null
    // only when memory runs out.
    TCachedSize* GetCachedSize(const TPDAUIEngineStyleFont& font);
    TCachedSize* GetCachedSize(int slot, int size);
    // The glyph of a code at a cached size, rendered on first use (a code that
    // does not render is kept with no ink and no advance).
    TCachedChar* GetCachedChar(TCachedSize& size, uint16_t code);

    // Makes a glyph's grey bitmap from FreeType's rendering (grey or mono rows
    // at any pitch; other pixel modes give no ink), with the bitmap's width and rows.
    static void CopyGlyphBitmap(const FT_Bitmap_& rendered, TCachedChar& glyph);

    // Whether right-to-left handling is on, and whether a size is too small to
    // show, from the settings hook or else the skin settings.
    static bool RightToLeft();
    static bool TooSmall(int size);
    static void SetFontSettingsHook(FuncFontSettings hook, void* user);

    // Draws one glyph in colour for a line whose top is y, the pen at x. Turned
    // text (orientation 90 or -90) is placed in the unturned frame and turned
    // about (cx, cy).
    void DrawGlyph(IDC& dc, const TCachedChar& glyph, const TCachedSize& size, int fontSize, int x,
                   int y, TColorIG colour, int orientation = 0, int cx = 0, int cy = 0);

    DString fontFolder;
    FT_LibraryRec_* library = nullptr;
    FT_FaceRec_* faces[SlotCount] = {};
    unsigned char* fontData[SlotCount] = {};
    VectorP<TCachedSize> sizeCaches[SlotCount];

private:
    // Reads a whole font file and opens its first face into a slot.
    bool LoadFace(int slot, const char* file);
};
