#include "wincore/fonts/TSystemFontsFreeType.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <strings.h>
#include <vector>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H

#include "enginelib/base/CodePage.h"
#include "enginelib/base/Path.h"
#include "enginelib/base/TStringNomFitx.h"
#include "enginelib/draw/IDC.h"

namespace {

// Taller text is drawn at this height: nothing on a screen needs more, and
// rendering stays bounded whatever size a caller asks for.
constexpr int kMaxPixelHeight = 1024;

struct Registered {
    std::string path;    // native path
    std::string stem;    // file name without extension
    FT_Face face = nullptr;
    int refs = 0;
};

// One character laid out: its code, its advance and whether it is a mnemonic.
struct Glyph {
    uint32_t code = 0;
    int advance = 0;
    bool mnemonic = false;
};

struct Line {
    std::vector<Glyph> glyphs;
    int width = 0;
};

std::string NativePath(const char16_t* path)
{
    std::string bytes;
    CodePage::FromUtf16(path, (int)std::char_traits<char16_t>::length(path), -1, bytes);
    return Path::Resolve(bytes);
}

int Ceil26(FT_Pos v) { return (int)((v + 63) >> 6); }

// Text to characters: surrogate pairs joined, "&" prefixes applied ("&&" is "&").
std::vector<Glyph> Characters(const char16_t* text, int length)
{
    std::vector<Glyph> out;
    out.reserve((size_t)length);
    bool mark = false;
    for (int i = 0; i < length; ++i) {
        uint32_t c = text[i];
        if (c == u'&' && !mark) {
            mark = true;
            continue;
        }
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < length && text[i + 1] >= 0xDC00 &&
            text[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        Glyph g;
        g.code = c;
        g.mnemonic = mark && c != u'&';
        mark = false;
        out.push_back(g);
    }
    return out;
}

int Width(const std::vector<Glyph>& glyphs, size_t from, size_t to)
{
    int w = 0;
    for (size_t i = from; i < to; ++i)
        w += glyphs[i].advance;
    return w;
}

// Width without the blanks at the end.
int TrimmedEnd(const std::vector<Glyph>& glyphs, size_t from, size_t to)
{
    while (to > from && glyphs[to - 1].code == u' ')
        --to;
    return (int)to;
}

// Breaks one paragraph into lines no wider than maxWidth, between words; a
// word wider than a line stays whole on its own line.
void BreakWords(const std::vector<Glyph>& p, int maxWidth, std::vector<Line>& lines)
{
    size_t start = 0, i = 0;
    int width = 0;  // of p[start, i)
    while (i < p.size()) {
        size_t end = i;  // one word and the blanks after it
        while (end < p.size() && p[end].code != u' ')
            ++end;
        const size_t wordEnd = end;
        while (end < p.size() && p[end].code == u' ')
            ++end;
        const int wordWidth = Width(p, i, wordEnd);
        if (i > start && width + wordWidth > maxWidth) {
            Line line;
            line.glyphs.assign(p.begin() + start, p.begin() + TrimmedEnd(p, start, i));
            lines.push_back(line);
            start = i;
            width = 0;
        }
        width += Width(p, i, end);
        i = end;
    }
    Line line;
    line.glyphs.assign(p.begin() + start, p.begin() + TrimmedEnd(p, start, p.size()));
    lines.push_back(line);
}

} // namespace

struct TSystemFontsFreeType::Impl {
    FT_Library library = nullptr;
    std::vector<Registered> fonts;
    std::string defaultPath;
    FT_Face defaultFace = nullptr;
    bool defaultTried = false;

    ~Impl()
    {
        for (Registered& r : fonts)
            FT_Done_Face(r.face);
        if (defaultFace)
            FT_Done_Face(defaultFace);
        if (library)
            FT_Done_FreeType(library);
    }

    FT_Face Open(const std::string& native)
    {
        FT_Face face = nullptr;
        if (!library || FT_New_Face(library, native.c_str(), 0, &face) != 0)
            return nullptr;
        return face;
    }

    // The face for a font: a registered one of the family, the best style
    // match first; else the default font; else any registered font.
    FT_Face Lookup(const FontSpec& spec)
    {
        FT_Face best = nullptr;
        int bestScore = -1;
        for (const Registered& r : fonts) {
            const char* family = r.face->family_name ? r.face->family_name : "";
            if (strcasecmp(spec.face.c_str(), family) != 0 &&
                strcasecmp(spec.face.c_str(), r.stem.c_str()) != 0)
                continue;
            const bool bold = (r.face->style_flags & FT_STYLE_FLAG_BOLD) != 0;
            const bool italic = (r.face->style_flags & FT_STYLE_FLAG_ITALIC) != 0;
            const int score = (bold == spec.bold) + (italic == spec.italic);
            if (score > bestScore) {
                best = r.face;
                bestScore = score;
            }
        }
        if (best)
            return best;
        if (!defaultTried) {
            defaultTried = true;
            defaultFace = Open(defaultPath);
        }
        if (defaultFace)
            return defaultFace;
        return fonts.empty() ? nullptr : fonts.front().face;
    }
};

const char* TSystemFontsFreeType::DefaultFontPath()
{
    return "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
}

TSystemFontsFreeType::TSystemFontsFreeType(const char* defaultFont) : impl_(new Impl)
{
    if (FT_Init_FreeType(&impl_->library) != 0)
        impl_->library = nullptr;
    impl_->defaultPath = defaultFont ? defaultFont : "";
}

TSystemFontsFreeType::~TSystemFontsFreeType() = default;

int TSystemFontsFreeType::RegisteredCount() const { return (int)impl_->fonts.size(); }

int TSystemFontsFreeType::AddFontResource(const char16_t* path)
{
    if (!path || !*path)
        return 0;
    const std::string native = NativePath(path);
    for (Registered& r : impl_->fonts)
        if (r.path == native) {
            ++r.refs;
            return 1;
        }
    FT_Face face = impl_->Open(native);
    if (!face)
        return 0;
    Registered r;
    r.path = native;
    r.stem = TStringNomFitx(native.c_str()).nom_fitx().c_str();
    r.face = face;
    r.refs = 1;
    impl_->fonts.push_back(r);
    return 1;
}

bool TSystemFontsFreeType::RemoveFontResource(const char16_t* path)
{
    if (!path || !*path)
        return false;
    const std::string native = NativePath(path);
    for (size_t i = 0; i < impl_->fonts.size(); ++i) {
        Registered& r = impl_->fonts[i];
        if (r.path != native)
            continue;
        if (--r.refs == 0) {
            FT_Done_Face(r.face);
            impl_->fonts.erase(impl_->fonts.begin() + (long)i);
        }
        return true;
    }
    return false;
}

int TSystemFontsFreeType::DrawText(IDC* dc, const FontSpec& font, const char16_t* text,
                                   int length, TRectIG& rect, unsigned flags, TColorIG colour)
{
    if (!text || font.pixelHeight < 1)
        return 0;
    FT_Face face = impl_->Lookup(font);
    if (!face || FT_Set_Pixel_Sizes(face, 0, (FT_UInt)std::min(font.pixelHeight, kMaxPixelHeight)))
        return 0;
    if (length < 0)
        length = (int)std::char_traits<char16_t>::length(text);

    // Styles the face lacks are made from its outlines.
    const bool makeBold = font.bold && !(face->style_flags & FT_STYLE_FLAG_BOLD);
    const bool makeItalic = font.italic && !(face->style_flags & FT_STYLE_FLAG_ITALIC);
    auto load = [&](uint32_t code, bool render) {
        if (FT_Load_Char(face, code, FT_LOAD_DEFAULT) != 0)
            return false;
        if (makeItalic)
            FT_GlyphSlot_Oblique(face->glyph);
        if (makeBold)
            FT_GlyphSlot_Embolden(face->glyph);
        return !render || FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL) == 0;
    };

    std::vector<Glyph> chars = Characters(text, length);
    for (Glyph& g : chars)
        if (g.code != u'\r' && g.code != u'\n' && load(g.code, false))
            g.advance = (int)((face->glyph->advance.x + 32) >> 6);

    // Lines: at line feeds (unless single-line), then between words.
    const bool singleLine = (flags & FmtSingleLine) != 0;
    const int maxWidth = rect.Width();
    std::vector<Line> lines;
    std::vector<Glyph> paragraph;
    for (size_t i = 0; i <= chars.size(); ++i) {
        const bool end = i == chars.size();
        const uint32_t c = end ? 0 : chars[i].code;
        if (!end && c != u'\r' && c != u'\n') {
            paragraph.push_back(chars[i]);
            continue;
        }
        if (!end && singleLine)
            continue;
        if (!end && c == u'\r' && i + 1 < chars.size() && chars[i + 1].code == u'\n')
            ++i;
        if (flags & FmtWordBreak) {
            BreakWords(paragraph, maxWidth, lines);
        } else {
            Line line;
            line.glyphs = paragraph;
            lines.push_back(line);
        }
        paragraph.clear();
    }

    std::vector<Glyph> dots(3);
    if (flags & FmtWordEllipsis) {
        load(u'.', false);
        for (Glyph& g : dots) {
            g.code = u'.';
            g.advance = (int)((face->glyph->advance.x + 32) >> 6);
        }
    }
    const int dotsWidth = Width(dots, 0, dots.size());
    int textWidth = 0;
    for (Line& line : lines) {
        line.width = Width(line.glyphs, 0, line.glyphs.size());
        if ((flags & FmtWordEllipsis) && line.width > maxWidth) {
            while (!line.glyphs.empty() && line.width + dotsWidth > maxWidth) {
                line.width -= line.glyphs.back().advance;
                line.glyphs.pop_back();
            }
            line.glyphs.insert(line.glyphs.end(), dots.begin(), dots.end());
            line.width += dotsWidth;
        }
        textWidth = std::max(textWidth, line.width);
    }

    const FT_Size_Metrics& m = face->size->metrics;
    const int ascent = Ceil26(m.ascender);
    const int lineHeight = std::max(1, ascent + Ceil26(-m.descender));
    const int textHeight = lineHeight * (int)lines.size();
    if (flags & FmtCalcRect) {
        rect.right = rect.left + textWidth;
        rect.bottom = rect.top + textHeight;
        return textHeight;
    }
    if (!dc || !dc->GetDib())
        return textHeight;

    int y = rect.top;
    if (singleLine && (flags & FmtVCenter))
        y = rect.top + (rect.Height() - lineHeight) / 2;
    else if (singleLine && (flags & FmtBottom))
        y = rect.bottom - lineHeight;
    const int underlineRow =
        std::max(1, (int)(-FT_MulFix(face->underline_position, m.y_scale) >> 6));
    const int underlineThickness =
        std::max(1, (int)(FT_MulFix(face->underline_thickness, m.y_scale) >> 6));
    // A run of underline from x0 to x1 on the line with this baseline.
    auto underline = [&](int x0, int x1, int baseline) {
        for (int row = 0; row < underlineThickness; ++row)
            for (int x = std::max(x0, rect.left); x < std::min(x1, rect.right); ++x)
                if (baseline + underlineRow + row >= rect.top &&
                    baseline + underlineRow + row < rect.bottom)
                    dc->SetPixel(x, baseline + underlineRow + row, colour, 255);
    };

    for (const Line& line : lines) {
        if (y >= rect.bottom)
            break;
        int x = rect.left;
        if (flags & FmtRight)
            x = rect.right - line.width;
        else if (flags & FmtCenter)
            x = rect.left + (maxWidth - line.width) / 2;
        const int baseline = y + ascent;
        if (font.underline)
            underline(x, x + line.width, baseline);
        for (const Glyph& g : line.glyphs) {
            if (x >= rect.right)
                break;
            if (x + g.advance + lineHeight > rect.left && load(g.code, true)) {
                const FT_GlyphSlot slot = face->glyph;
                const FT_Bitmap& b = slot->bitmap;
                const int left = x + slot->bitmap_left;
                const int top = baseline - slot->bitmap_top;
                for (int r = 0; r < (int)b.rows; ++r) {
                    const int py = top + r;
                    if (py < rect.top || py >= rect.bottom)
                        continue;
                    const unsigned char* row = b.buffer + (long)r * b.pitch;
                    for (int c = 0; c < (int)b.width; ++c) {
                        const int px = left + c;
                        if (px < rect.left || px >= rect.right)
                            continue;
                        int coverage = 0;
                        if (b.pixel_mode == FT_PIXEL_MODE_GRAY)
                            coverage = row[c];
                        else if (b.pixel_mode == FT_PIXEL_MODE_MONO)
                            coverage = (row[c >> 3] & (0x80 >> (c & 7))) ? 255 : 0;
                        if (coverage)
                            dc->SetPixel(px, py, colour, coverage);
                    }
                }
            }
            if (g.mnemonic && !font.underline)
                underline(x, x + g.advance, baseline);
            x += g.advance;
        }
        y += lineHeight;
    }
    return textHeight;
}
