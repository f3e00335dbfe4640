#pragma once
#include <vector>

#include "enginelib/base/DString.h"
#include "enginelib/base/DUString.h"
#include "enginelib/draw/Geometry.h"
#include "uiengine/fonts/TPDAUIEngineFontRendererTTF.h"

class TDibIG;
class TPDAUIEngineStyleFont;

// Text layout of the TrueType renderer: right-to-left preparation, pair
// spacing, the rich-text escapes, word breaks, the word ellipsis and a line
// limit. The layout edits the UTF-16 text in place (line breaks where it wraps,
// the ellipsis dots, display order); the drawing pass walks the edited text.

// Text flags the layout and drawing read.
enum : int {
    RichTextCenter = 0x1,
    RichTextRight = 0x2,
    RichTextVCenter = 0x4,
    RichTextBottom = 0x8,
    RichTextWordBreak = 0x10,
    RichTextCalcRect = 0x400,
    RichTextWordEllipsis = 0x40000,
    RichTextJustify = 0x800000,
};

// One escape ("\name;") of rich text.
struct TRichTextEscape {
    enum Kind {
        Unknown, Backslash, Bold, NoBold, Italic, NoItalic, Underline, NoUnderline, LineBreak,
        Tab, FontSize, Color, BgColor, Left, Right, Center, Justify, Image,
    };
    Kind kind = Unknown;
    int end = 0;  // index just after the escape
    // The escape's name after its colon (values), or the image fields.
    DString value;
};

// An image escape's fields: "name|width|height|align|hmargin|vmargin|angle".
struct TRichTextImage {
    DString name;
    int width = 0, height = 0;
    bool floating = false;  // align "left"
    int hMargin = 10, vMargin = 5;
    int angle = 0;
};

// Whether text starts with the rich-text marker "\lumorrichtext;".
bool HasRichTextMarker(const DUString& text);
// Reads the escape whose backslash is at index.
void ParseRichTextEscape(const DUString& text, int index, TRichTextEscape& escape);
// The size a "fontsize:" value gives (current when it gives nothing above 0).
int RichTextFontSize(const DString& value, int current, int base);
void ParseRichTextImage(const DString& fields, TRichTextImage& image);
// The drawn size of an image escape's bitmap within an available width.
void RichTextImageSize(const TRichTextImage& image, const TDibIG& bitmap, int available, int& width,
                       int& height);
// Applies a style escape (bold, italic, underline, size) to font; true when
// the size cache must be fetched again.
bool ApplyRichTextStyle(const TRichTextEscape& escape, TPDAUIEngineStyleFont& font, int baseSize);
// The floating-image room a line needs beside an indent.
int RichTextMinimumLineRoom();

// Lays text out and gives its extent (width: the widest line; height: every
// line, or the floating image's bottom if lower). size is the current size
// cache, left at the style in force at the end. maxWidth 0 or less: no width
// limit for wrapping and the ellipsis. maxLines -1: no limit. Each record
// vector may be null.
TSizeIG LayoutRichText(TPDAUIEngineFontRendererTTF& renderer, TSizeIG& extent,
                       TPDAUIEngineStyleFont& font, TPDAUIEngineFontRendererTTF::TCachedSize*& size,
                       DUString& text, int flags, int maxWidth, std::vector<int>* widths,
                       std::vector<int>* blankCounts, std::vector<bool>* endsWithBreak,
                       std::vector<int>* heights, std::vector<int>* descenders, int maxLines);
