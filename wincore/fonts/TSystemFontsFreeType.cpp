#include "wincore/fonts/TSystemFontsFreeType.h"

#include <algorithm>
#include <cstdlib>
#include <cstdint>
#include <memory>
#include <string>
#include <strings.h>
#include <vector>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_CACHE_H
#include FT_GLYPH_H
#include FT_MODULE_H
#include FT_OUTLINE_H

#include "enginelib/base/CodePage.h"
#include "enginelib/base/Path.h"
#include "enginelib/base/TStringNomFitx.h"
#include "enginelib/draw/IDC.h"

namespace {

// What the font cache may hold: faces, sizes, and bytes of glyphs.
constexpr FT_UInt kCachedFaces = 8, kCachedSizes = 16;
constexpr FT_ULong kCachedBytes = 4ul << 20;

// Taller text is drawn at this height: nothing on a screen needs more, and
// rendering stays bounded whatever size a caller asks for.
constexpr int kMaxPixelHeight = 1024;

// A font file as the cache knows it: FreeType opens it (again) whenever the
// cache asks for the face. The oblique variant is the same file with a shear.
// The cache names it by a number, its entry in the service's face table plus
// one; an entry taken back stays empty, so an old name finds no face.
struct FaceId {
    std::string path;  // native path
    bool oblique = false;
};
using FaceTable = std::vector<const FaceId*>;

struct Registered {
    std::string path;    // native path
    std::string stem;    // file name without extension
    std::string family;  // the face's family name
    bool bold = false, italic = false;
    std::unique_ptr<FaceId> upright, oblique;
    FTC_FaceID uprightId = nullptr, obliqueId = nullptr;  // their numbers in the cache
    int refs = 0;
};

// Slant of made-up italics (as FreeType's own synthesis).
const FT_Matrix kShear = {0x10000, 0x0366A, 0, 0x10000};

FT_Error RequestFace(FTC_FaceID faceId, FT_Library library, FT_Pointer table, FT_Face* face)
{
    const FaceTable& faces = *static_cast<const FaceTable*>(table);
    const size_t slot = reinterpret_cast<uintptr_t>(faceId);
    const FaceId* id = slot >= 1 && slot <= faces.size() ? faces[slot - 1] : nullptr;
    if (!id)
        return FT_Err_Invalid_Argument;
    const FT_Error error = FT_New_Face(library, id->path.c_str(), 0, face);
    if (error == 0 && id->oblique) {
        FT_Matrix shear = kShear;
        FT_Set_Transform(*face, &shear, nullptr);
    }
    return error;
}

// FreeType's memory, handed out zeroed: the cache manager of some FreeType
// releases (2.12) leaves its weight count as the allocator gave it, and a
// count starting as garbage makes the cache throw every glyph away at once.
void* ZeroedAlloc(FT_Memory, long size) { return std::calloc(1, size_t(size)); }
void ZeroedFree(FT_Memory, void* block) { std::free(block); }
void* ZeroedRealloc(FT_Memory, long, long size, void* block)
{
    return std::realloc(block, size_t(size));
}
FT_MemoryRec_ zeroedMemory = {nullptr, &ZeroedAlloc, &ZeroedFree, &ZeroedRealloc};

// One glyph's coverage as the cache gives it, or as made for bold.
struct GlyphImage {
    const uint8_t* coverage = nullptr;  // rows of pitch bytes, one byte a pixel
    int width = 0, rows = 0, pitch = 0, left = 0, top = 0;
    int advance = 0;
    FT_Glyph owned = nullptr;  // a made-up glyph, freed by Release
    std::vector<uint8_t> expanded;  // a one-bit bitmap as bytes

    void Release()
    {
        if (owned)
            FT_Done_Glyph(owned);
        owned = nullptr;
    }
    ~GlyphImage() { Release(); }
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
    FTC_Manager manager = nullptr;
    FTC_CMapCache cmaps = nullptr;
    FTC_SBitCache sbits = nullptr;
    FTC_ImageCache images = nullptr;
    std::vector<std::unique_ptr<Registered>> fonts;
    FaceTable faces;  // by cache number - 1; null once taken back
    Registered defaultFont;
    bool defaultTried = false;

    ~Impl()
    {
        if (manager)
            FTC_Manager_Done(manager);
        if (library)
            FT_Done_Library(library);
    }

    // Reads what lookups need of a file; false when FreeType cannot open it.
    bool Describe(Registered& r)
    {
        FT_Face face = nullptr;
        if (!library || FT_New_Face(library, r.path.c_str(), 0, &face) != 0)
            return false;
        r.family = face->family_name ? face->family_name : "";
        r.bold = (face->style_flags & FT_STYLE_FLAG_BOLD) != 0;
        r.italic = (face->style_flags & FT_STYLE_FLAG_ITALIC) != 0;
        FT_Done_Face(face);
        r.upright.reset(new FaceId{r.path, false});
        r.oblique.reset(new FaceId{r.path, true});
        faces.push_back(r.upright.get());
        r.uprightId = reinterpret_cast<FTC_FaceID>(uintptr_t(faces.size()));
        faces.push_back(r.oblique.get());
        r.obliqueId = reinterpret_cast<FTC_FaceID>(uintptr_t(faces.size()));
        return true;
    }

    // Forgets a file's faces and glyphs.
    void Forget(Registered& r)
    {
        if (!manager)
            return;
        FTC_Manager_RemoveFaceID(manager, r.uprightId);
        FTC_Manager_RemoveFaceID(manager, r.obliqueId);
        faces[reinterpret_cast<uintptr_t>(r.uprightId) - 1] = nullptr;
        faces[reinterpret_cast<uintptr_t>(r.obliqueId) - 1] = nullptr;
    }

    // The font for a spec: a registered one of the family, the best style
    // match first; else the default font; else any registered font.
    const Registered* Lookup(const FontSpec& spec)
    {
        const Registered* best = nullptr;
        int bestScore = -1;
        for (const auto& r : fonts) {
            if (strcasecmp(spec.face.c_str(), r->family.c_str()) != 0 &&
                strcasecmp(spec.face.c_str(), r->stem.c_str()) != 0)
                continue;
            const int score = (r->bold == spec.bold) + (r->italic == spec.italic);
            if (score > bestScore) {
                best = r.get();
                bestScore = score;
            }
        }
        if (best)
            return best;
        if (!defaultTried) {
            defaultTried = true;
            if (!Describe(defaultFont))
                defaultFont.upright.reset();
        }
        if (defaultFont.upright)
            return &defaultFont;
        return fonts.empty() ? nullptr : fonts.front().get();
    }
};

// A font at a pixel height with the styles it has to make up.
struct TSystemFontsFreeType::Sized {
    Impl& impl;
    FTC_ScalerRec scaler;
    FT_Size size = nullptr;
    bool makeBold = false;

    Sized(Impl& i, const Registered& font, const FontSpec& spec, int pixelHeight) : impl(i)
    {
        const bool makeItalic = spec.italic && !font.italic;
        makeBold = spec.bold && !font.bold;
        scaler.face_id = makeItalic ? font.obliqueId : font.uprightId;
        scaler.width = 0;
        scaler.height = FT_UInt(pixelHeight);
        scaler.pixel = 1;
        scaler.x_res = scaler.y_res = 0;
        if (FTC_Manager_LookupSize(impl.manager, &scaler, &size) != 0)
            size = nullptr;
    }

    // The glyph of a code from the caches (with render false, only its
    // advance is sure to be set); false when the font cannot give it.
    bool Load(uint32_t code, GlyphImage& out, bool render = true)
    {
        out.Release();
        const FT_UInt index = FTC_CMapCache_Lookup(impl.cmaps, scaler.face_id, -1, code);
        FTC_SBit sbit = nullptr;
        if (!makeBold &&
            FTC_SBitCache_LookupScaler(impl.sbits, &scaler, FT_LOAD_DEFAULT | FT_LOAD_RENDER, index,
                                       &sbit, nullptr) == 0 &&
            (sbit->buffer || sbit->width == 0)) {
            out.width = sbit->width;
            out.rows = sbit->height;
            out.left = sbit->left;
            out.top = sbit->top;
            out.advance = sbit->xadvance;
            return Coverage(sbit->buffer, sbit->pitch, sbit->format == FT_PIXEL_MODE_MONO, out);
        }
        // Bold the face lacks, and glyphs too large for small bitmaps: the
        // cached outline, made bold and rendered here (measuring needs only
        // its advance).
        FT_Glyph glyph = nullptr;
        if (FTC_ImageCache_LookupScaler(impl.images, &scaler, FT_LOAD_DEFAULT, index, &glyph,
                                        nullptr) != 0)
            return false;
        FT_Pos extra = 0;
        if (makeBold && glyph->format == FT_GLYPH_FORMAT_OUTLINE)
            extra = FT_MulFix(size->face->units_per_EM, size->metrics.y_scale) / 24;
        const int advance = int((glyph->advance.x + 0x8000) >> 16) + int(((extra + 32) & ~63) >> 6);
        if (!render) {
            out.advance = advance;
            return true;
        }
        if (FT_Glyph_Copy(glyph, &out.owned) != 0)
            return false;
        if (extra)
            FT_Outline_EmboldenXY(&reinterpret_cast<FT_OutlineGlyph>(out.owned)->outline, extra, extra);
        if (FT_Glyph_To_Bitmap(&out.owned, FT_RENDER_MODE_NORMAL, nullptr, 1) != 0)
            return false;
        const FT_BitmapGlyph b = reinterpret_cast<FT_BitmapGlyph>(out.owned);
        out.width = int(b->bitmap.width);
        out.rows = int(b->bitmap.rows);
        out.left = b->left;
        out.top = b->top;
        out.advance = advance;
        return Coverage(b->bitmap.buffer, b->bitmap.pitch,
                        b->bitmap.pixel_mode == FT_PIXEL_MODE_MONO, out);
    }

    // Points out at one byte a pixel, widening one-bit rows.
    static bool Coverage(const uint8_t* buffer, int pitch, bool mono, GlyphImage& out)
    {
        if (!mono || out.width == 0) {
            out.coverage = buffer;
            out.pitch = pitch;
            return true;
        }
        out.expanded.assign(size_t(out.width) * size_t(out.rows), 0);
        for (int y = 0; y < out.rows; ++y)
            for (int x = 0; x < out.width; ++x)
                if (buffer[y * pitch + (x >> 3)] & (0x80 >> (x & 7)))
                    out.expanded[size_t(y * out.width + x)] = 255;
        out.coverage = out.expanded.data();
        out.pitch = out.width;
        return true;
    }
};

const char* TSystemFontsFreeType::DefaultFontPath()
{
    return "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
}

TSystemFontsFreeType::TSystemFontsFreeType(const char* defaultFont) : impl_(new Impl)
{
    Impl& i = *impl_;
    if (FT_New_Library(&zeroedMemory, &i.library) != 0) {
        i.library = nullptr;
    } else {
        FT_Add_Default_Modules(i.library);
        FT_Set_Default_Properties(i.library);
        if (FTC_Manager_New(i.library, kCachedFaces, kCachedSizes, kCachedBytes, &RequestFace,
                            &i.faces, &i.manager) != 0 ||
            FTC_CMapCache_New(i.manager, &i.cmaps) != 0 ||
            FTC_SBitCache_New(i.manager, &i.sbits) != 0 ||
            FTC_ImageCache_New(i.manager, &i.images) != 0) {
            if (i.manager)
                FTC_Manager_Done(i.manager);
            i.manager = nullptr;
        }
    }
    i.defaultFont.path = defaultFont ? defaultFont : "";
}

TSystemFontsFreeType::~TSystemFontsFreeType() = default;

int TSystemFontsFreeType::RegisteredCount() const { return (int)impl_->fonts.size(); }

int TSystemFontsFreeType::AddFontResource(const char16_t* path)
{
    if (!path || !*path)
        return 0;
    const std::string native = NativePath(path);
    for (auto& r : impl_->fonts)
        if (r->path == native) {
            ++r->refs;
            return 1;
        }
    std::unique_ptr<Registered> r(new Registered);
    r->path = native;
    if (!impl_->manager || !impl_->Describe(*r))
        return 0;
    r->stem = TStringNomFitx(native.c_str()).nom_fitx().c_str();
    r->refs = 1;
    impl_->fonts.push_back(std::move(r));
    return 1;
}

bool TSystemFontsFreeType::RemoveFontResource(const char16_t* path)
{
    if (!path || !*path)
        return false;
    const std::string native = NativePath(path);
    for (size_t i = 0; i < impl_->fonts.size(); ++i) {
        Registered& r = *impl_->fonts[i];
        if (r.path != native)
            continue;
        if (--r.refs == 0) {
            impl_->Forget(r);
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
    if (!impl_->manager)
        return 0;
    const Registered* registered = impl_->Lookup(font);
    if (!registered)
        return 0;
    Sized sized(*impl_, *registered, font, std::min(font.pixelHeight, kMaxPixelHeight));
    if (!sized.size)
        return 0;
    if (length < 0)
        length = (int)std::char_traits<char16_t>::length(text);
    GlyphImage image;

    std::vector<Glyph> chars = Characters(text, length);
    for (Glyph& g : chars)
        if (g.code != u'\r' && g.code != u'\n' && sized.Load(g.code, image, false))
            g.advance = image.advance;

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
        const int advance = sized.Load(u'.', image, false) ? image.advance : 0;
        for (Glyph& g : dots) {
            g.code = u'.';
            g.advance = advance;
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

    const FT_Size_Metrics& m = sized.size->metrics;
    const FT_Face face = sized.size->face;
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
            if (x + g.advance + lineHeight > rect.left && sized.Load(g.code, image))
                dc->DrawCoverage(x + image.left, baseline - image.top, image.coverage, image.width,
                                 image.rows, image.pitch, colour, rect);
            if (g.mnemonic && !font.underline)
                underline(x, x + g.advance, baseline);
            x += g.advance;
        }
        y += lineHeight;
    }
    return textHeight;
}
