#include "uiengine/fonts/TPDAUIEngineFontRendererTTF.h"

#include <algorithm>
#include <cstdlib>
#include <new>
#include <vector>

#include <ft2build.h>
#include FT_FREETYPE_H

#include "enginelib/base/DUString.h"
#include "enginelib/base/TFicheroITV.h"
#include "enginelib/base/TFitxUtils.h"
#include "enginelib/base/TStringNomFitx.h"
#include "enginelib/draw/IDC.h"
#include "uiengine/core/TPDAUIEngineSkinSettings.h"
#include "uiengine/fonts/TPDAUIEngineRichText.h"
#include "uiengine/fonts/TPDAUIEngineStyleFont.h"
#include "uiengine/fonts/TPDAUIEngineTextShaping.h"

namespace {

TPDAUIEngineFontRendererTTF::FuncFontSettings g_settingsHook = nullptr;
void* g_settingsUser = nullptr;

struct Settings {
    int increment = 0;
    uint8_t rightToLeft = 0;
    int incrementRTL = 0;
};

Settings ReadSettings()
{
    Settings s;
    if (g_settingsHook) {
        g_settingsHook(g_settingsUser, s.increment, s.rightToLeft, s.incrementRTL);
    } else if (const TPDAUIEngineSkinSettings* skin = TPDAUIEngineSkinSettings::Current()) {
        s.increment = skin->fontSizeIncrement;
        s.rightToLeft = skin->rightToLeft;
        s.incrementRTL = skin->fontSizeIncrementRTL;
    }
    return s;
}

// Pixels of a 26.6 value, truncated toward zero.
int Pixels(long v) { return (int)(v / 64); }

int PowerOfTwoAtLeast(int n)
{
    int p = 2;
    while (p < n && p < TDibIG::MaxSide)
        p *= 2;
    return p;
}

// Style variants are looked for under these names, in order.
const char* const kBoldSuffixes[] = {"_bold", "BD", "-Bold", "Bold", " Bold"};
const char* const kItalicSuffixes[] = {"_italic", "i", "-Italic", "Oblique", "-Oblique"};
const char* const kBoldItalicSuffixes[] = {"_bold_italic", "bi", "-BoldItalic", "BoldOblique"};

const float kQuarterTurn = 1.5707964f;

// Pixel (column, row) of a rendered FreeType bitmap as coverage 0..255, for
// the grey and mono modes; other modes carry no coverage we can read.
int Coverage(const FT_Bitmap& b, int x, int y)
{
    const unsigned char* row = b.buffer + (ptrdiff_t)y * b.pitch;
    if (b.pitch < 0)
        row = b.buffer + (ptrdiff_t)(b.rows - 1 - y) * -b.pitch;
    switch (b.pixel_mode) {
    case FT_PIXEL_MODE_GRAY:
        return b.num_grays == 256 || b.num_grays == 0
                   ? row[x]
                   : row[x] * 255 / std::max<int>(b.num_grays - 1, 1);
    case FT_PIXEL_MODE_MONO:
        return (row[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
    default:
        return 0;
    }
}

} // namespace

// ---- caches ---------------------------------------------------------------------------

TPDAUIEngineFontRendererTTF::TCachedChar* TPDAUIEngineFontRendererTTF::TCachedSize::Find(
    uint16_t code) const
{
    auto it = index.find(code);
    return it == index.end() ? nullptr : glyphs[it->second];
}

// ---- settings -------------------------------------------------------------------------

void TPDAUIEngineFontRendererTTF::SetFontSettingsHook(FuncFontSettings hook, void* user)
{
    g_settingsHook = hook;
    g_settingsUser = user;
}

bool TPDAUIEngineFontRendererTTF::RightToLeft() { return ReadSettings().rightToLeft != 0; }

bool TPDAUIEngineFontRendererTTF::TooSmall(int size)
{
    const Settings s = ReadSettings();
    int limit = s.increment + 2;
    if (s.rightToLeft)
        limit += s.incrementRTL;
    return size <= limit;
}

// ---- faces ----------------------------------------------------------------------------

TPDAUIEngineFontRendererTTF::TPDAUIEngineFontRendererTTF(const char* file, const char* folder)
    : fontFolder(folder ? folder : ""),
      sizeCaches{VectorP<TCachedSize>(20, 20, true), VectorP<TCachedSize>(20, 20, true),
                 VectorP<TCachedSize>(20, 20, true), VectorP<TCachedSize>(20, 20, true)}
{
    path.Empty();
    TStringNomFitx found(file ? file : "");
    if (!found.Verifica_Existencia_Archivo()) {
        found.cd("..");
        found.cd("base");
        if (!found.Verifica_Existencia_Archivo())
            return;
    }
    if (FT_Init_FreeType(&library) != 0) {
        library = nullptr;
        return;
    }
    if (!LoadFace(SlotRegular, found.c_str()))
        return;
    path = found;
    fileNames.Add(found.nom_fitx_ext());

    struct Variant {
        int slot;
        const char* const* suffixes;
        int count;
    };
    const Variant variants[] = {
        {SlotBold, kBoldSuffixes, (int)(sizeof kBoldSuffixes / sizeof *kBoldSuffixes)},
        {SlotItalic, kItalicSuffixes, (int)(sizeof kItalicSuffixes / sizeof *kItalicSuffixes)},
        {SlotBoldItalic, kBoldItalicSuffixes,
         (int)(sizeof kBoldItalicSuffixes / sizeof *kBoldItalicSuffixes)},
    };
    TStringNomFitx stem(found);
    stem.Sustituye("-Regular", "");
    const DString folderPart = stem.carpeta();
    const DString name = stem.nom_fitx();
    const DString ext = stem.ext();
    for (const Variant& v : variants)
        for (int k = 0; k < v.count; ++k) {
            DString candidate = folderPart + name + v.suffixes[k];
            if (!ext.IsEmpty())
                candidate += "." + ext;
            if (TFitxUtils::Verifica_Existencia_Archivo(candidate.c_str()) && LoadFace(v.slot, candidate.c_str())) {
                fileNames.Add(TStringNomFitx(candidate).nom_fitx_ext());
                break;
            }
        }

    valid = true;
    const DString stemName = found.nom_fitx_ext();
    const int dot = stemName.strchr('.');
    family = dot < 0 ? stemName : stemName.SubString(0, dot);
}

TPDAUIEngineFontRendererTTF::~TPDAUIEngineFontRendererTTF()
{
    for (VectorP<TCachedSize>& cache : sizeCaches)
        cache.RemoveAll();
    for (int slot = 0; slot < SlotCount; ++slot) {
        if (faces[slot])
            FT_Done_Face(faces[slot]);
        delete[] fontData[slot];
    }
    if (library)
        FT_Done_FreeType(library);
}

bool TPDAUIEngineFontRendererTTF::LoadFace(int slot, const char* file)
{
    TFicheroITV in;
    if (!in.Abre(file, ITV_MODO_LECTURA))
        return false;
    const uint32_t size = in.FileSize();
    unsigned char* data = size ? new (std::nothrow) unsigned char[size] : nullptr;
    bool ok = data && in.Lee(data, size) == size;
    in.Cierra();
    FT_Face face = nullptr;
    if (ok)
        ok = FT_New_Memory_Face(library, data, (FT_Long)size, 0, &face) == 0;
    if (!ok) {
        delete[] data;
        return false;
    }
    faces[slot] = face;
    fontData[slot] = data;
    return true;
}

int TPDAUIEngineFontRendererTTF::SlotFor(bool bold, bool italic) const
{
    if (bold && italic && faces[SlotBoldItalic])
        return SlotBoldItalic;
    if (italic && faces[SlotItalic])
        return SlotItalic;
    if (bold && faces[SlotBold])
        return SlotBold;
    return SlotRegular;
}

TPDAUIEngineFontRendererTTF::TCachedSize*
TPDAUIEngineFontRendererTTF::GetCachedSize(const TPDAUIEngineStyleFont& font)
{
    return GetCachedSize(SlotFor(font.bold, font.italic), font.size);
}

TPDAUIEngineFontRendererTTF::TCachedSize* TPDAUIEngineFontRendererTTF::GetCachedSize(int slot,
                                                                                      int size)
{
    if (slot < 0 || slot >= SlotCount || !faces[slot])
        return nullptr;
    VectorP<TCachedSize>& cache = sizeCaches[slot];
    for (int k = 0; k < cache.Count(); ++k)
        if (cache[k]->requestedSize == size)
            return cache[k];

    TCachedSize* entry = new (std::nothrow) TCachedSize();
    if (!entry)
        return nullptr;
    entry->requestedSize = size;
    entry->slot = slot;
    FT_Face face = faces[slot];
    // The probe renders a capital A: fonts with few glyphs may have no index 65.
    FT_UInt probe = FT_Get_Char_Index(face, 'A');
    if (probe == 0)
        probe = 65;
    int j = 9;
    for (;; ++j) {
        if (FT_Set_Pixel_Sizes(face, 0, (FT_UInt)j) != 0)
            break;
        if (FT_Load_Glyph(face, probe, FT_LOAD_RENDER | FT_LOAD_NO_BITMAP) != 0)
            break;
        if (Pixels(face->size->metrics.height) >= size || j >= 110)
            break;
    }
    entry->pixelSize = j;
    entry->ascender = Pixels(face->size->metrics.ascender);
    entry->descender = Pixels(face->size->metrics.descender);
    entry->underlinePosition = face->underline_position / 64;
    entry->underlineThickness = std::max(face->underline_thickness / 64, 1);
    if (size <= 20) {
        entry->underlinePosition /= 2;
        entry->underlineThickness /= 2;
    }
    entry->lineHeight = size + 1;
    if (cache.Add(entry) < 0) {
        delete entry;
        return nullptr;
    }
    return entry;
}

TPDAUIEngineFontRendererTTF::TCachedChar* TPDAUIEngineFontRendererTTF::GetCachedChar(TCachedSize& size,
                                                                                      uint16_t code)
{
    if (TCachedChar* hit = size.Find(code))
        return hit;
    TCachedChar* g = new (std::nothrow) TCachedChar();
    if (!g)
        return nullptr;
    g->code = code;
    FT_Face face = faces[size.slot];
    if (face && FT_Set_Pixel_Sizes(face, 0, (FT_UInt)size.pixelSize) == 0 &&
        FT_Load_Char(face, code, FT_LOAD_RENDER) == 0) {
        const FT_GlyphSlot slot = face->glyph;
        const FT_Bitmap& b = slot->bitmap;
        g->width = Pixels(slot->metrics.width);
        g->advance = Pixels(slot->advance.x);
        g->bitmapTop = slot->bitmap_top;
        g->bitmapLeft = code == '\t' ? 0 : slot->bitmap_left;
        CopyGlyphBitmap(b, *g);
    }
    const int at = size.glyphs.Add(g);
    if (at < 0) {
        delete g;
        return nullptr;
    }
    size.index[code] = at;
    return g;
}

void TPDAUIEngineFontRendererTTF::CopyGlyphBitmap(const FT_Bitmap& b, TCachedChar& g)
{
    g.bitmapWidth = (int)b.width;
    g.bitmapRows = (int)b.rows;
    const int w = PowerOfTwoAtLeast(g.bitmapWidth + 2);
    const int h = PowerOfTwoAtLeast(g.bitmapRows + 2);
    if (g.bitmapWidth + 2 > w || g.bitmapRows + 2 > h || !g.bitmap.Crea(w, h, 8)) {
        g.bitmapWidth = g.bitmapRows = 0;
        return;
    }
    for (int y = 0; y < h; ++y)
        std::fill_n(g.bitmap.Row(y), w, (uint8_t)0xFF);
    if (b.buffer)
        for (int y = 0; y < g.bitmapRows; ++y) {
            uint8_t* out = g.bitmap.Row(y + 1) + 1;
            for (int x = 0; x < g.bitmapWidth; ++x)
                out[x] = (uint8_t)(255 - Coverage(b, x, y));
        }
    g.bitmap.Touch();
}

// ---- measuring ------------------------------------------------------------------------

namespace {

// The descriptor a renderer works on: the caller's is never changed.
TPDAUIEngineStyleFont WorkingCopy(const TPDAUIEngineStyleFont& font, const DUString& text)
{
    TPDAUIEngineStyleFont f(font);
    f.richText = f.richText || HasRichTextMarker(text);
    return f;
}

} // namespace

void TPDAUIEngineFontRendererTTF::GetTextExtent(int& width, int& height,
                                                const TPDAUIEngineStyleFont& font,
                                                const CDString& text, int maxWidth, int flags)
{
    width = height = 0;
    if (!valid || TooSmall(font.size))
        return;
    DUString u(text.c_str());
    TPDAUIEngineStyleFont f = WorkingCopy(font, u);
    TCachedSize* size = nullptr;
    TSizeIG extent;
    LayoutRichText(*this, extent, f, size, u, flags, maxWidth, nullptr, nullptr, nullptr, nullptr,
                   nullptr, -1);
    width = extent.cx;
    height = extent.cy;
    if (font.orientation == 90 || font.orientation == -90)
        std::swap(width, height);
}

int TPDAUIEngineFontRendererTTF::GetLinesHeight(const TPDAUIEngineStyleFont& font,
                                                const CDString& text, int lineCount, int width)
{
    if (!valid || (lineCount <= 0 && lineCount != -1))
        return 0;
    DUString u(text.c_str());
    TPDAUIEngineStyleFont f = WorkingCopy(font, u);
    TCachedSize* size = nullptr;
    TSizeIG extent;
    std::vector<int> heights;
    LayoutRichText(*this, extent, f, size, u, RichTextWordBreak, width, nullptr, nullptr, nullptr,
                   &heights, nullptr, lineCount);
    if (lineCount == -1)
        return extent.cy;
    int total = 0;
    for (int k = 0; k < lineCount && k < (int)heights.size(); ++k)
        total += heights[k];
    return total;
}

int TPDAUIEngineFontRendererTTF::FitFontSize(const TPDAUIEngineStyleFont& font,
                                             const CDString& text, const TRectIG& rect, int flags,
                                             int maxLines)
{
    if (!valid)
        return font.size;
    const DUString original(text);
    int candidate = 100, previous = 0;
    bool first = true;
    while (candidate != previous) {
        DUString u = original;
        TPDAUIEngineStyleFont f = WorkingCopy(font, u);
        f.size = candidate;
        TCachedSize* size = nullptr;
        TSizeIG extent;
        LayoutRichText(*this, extent, f, size, u, flags, rect.Width(), nullptr, nullptr, nullptr,
                       nullptr, nullptr, maxLines);
        const bool fits = extent.cx - 1 <= rect.Width() && extent.cy <= rect.Height();
        if (!fits) {
            previous = candidate;
            candidate /= 2;
        } else {
            if (first)
                return 100;
            const int next = candidate + std::abs(candidate - previous) / 2;
            previous = candidate;
            candidate = next;
        }
        first = false;
    }
    return candidate;
}

// ---- memory and single glyphs ---------------------------------------------------------

int TPDAUIEngineFontRendererTTF::GetMemoryUsage()
{
    size_t total = 200;
    for (const VectorP<TCachedSize>& cache : sizeCaches)
        for (int k = 0; k < cache.Count(); ++k) {
            const TCachedSize* s = cache[k];
            total += 56;
            for (int g = 0; g < s->glyphs.Count(); ++g)
                total += 140 + s->glyphs[g]->bitmap.GetMemoryUsed();
        }
    return (int)std::min<size_t>(total, 0x7FFFFFFF);
}

TDibIG* TPDAUIEngineFontRendererTTF::GetGlyph(int code, int size, TRectIG& source, int& advance,
                                              int& top)
{
    TCachedSize* s = valid ? GetCachedSize(SlotRegular, size) : nullptr;
    TCachedChar* g = s ? GetCachedChar(*s, (uint16_t)code) : nullptr;
    if (!g || g->bitmap.IsEmpty())
        return nullptr;
    source = TRectIG(1, 1, g->bitmapWidth + 1, g->bitmapRows + 1);
    advance = g->advance;
    top = s->ascender - g->bitmapTop;
    return &g->bitmap;
}

// ---- drawing --------------------------------------------------------------------------

void TPDAUIEngineFontRendererTTF::DrawGlyph(IDC& dc, const TCachedChar& g, const TCachedSize& size,
                                            int fontSize, int x, int y, TColorIG colour,
                                            int orientation, int cx, int cy)
{
    if (g.code == '\t' || g.bitmapWidth <= 0 || g.bitmapRows <= 0 || g.bitmap.IsEmpty())
        return;
    const TRectIG src(1, 1, g.bitmapWidth + 1, g.bitmapRows + 1);
    const int left = x + g.bitmapLeft;
    const int top = y + fontSize + size.descender - g.bitmapTop;
    if (orientation != 90 && orientation != -90) {
        const TAdvStetchDIBitsData data(TAdvStetchDIBitsData::ModeColourByDarkness, colour, 0, 255,
                                        nullptr, 0, 0);
        dc.StretchDIBits_Adv(TRectIG(left, top, left + g.bitmapWidth, top + g.bitmapRows), src,
                             &g.bitmap, data);
        return;
    }
    // The glyph's centre turned about the text's centre, a quarter turn
    // clockwise for 90 and back for -90; the glyph turns with it.
    const int gx2 = 2 * left + g.bitmapWidth - 2 * cx;  // doubled offsets keep halves exact
    const int gy2 = 2 * top + g.bitmapRows - 2 * cy;
    const int tx2 = orientation == 90 ? -gy2 : gy2;
    const int ty2 = orientation == 90 ? gx2 : -gx2;
    const int w = g.bitmapRows, h = g.bitmapWidth;
    const int dl = (2 * cx + tx2 - w) / 2, dt = (2 * cy + ty2 - h) / 2;
    const TRectIG dst(dl, dt, dl + w, dt + h);
    TMatriz3RodAdv turn;
    turn.SetRotation(orientation == 90 ? kQuarterTurn : -kQuarterTurn, src, dst);
    const TAdvStetchDIBitsData data(TAdvStetchDIBitsData::ModeColourByDarkness, colour, 0, 255,
                                    &turn, 0, 0);
    dc.StretchDIBits_Adv(dst, src, &g.bitmap, data);
}

namespace {

typedef TPDAUIEngineFontRendererTTF::TCachedSize TCachedSize;
typedef TPDAUIEngineFontRendererTTF::TCachedChar TCachedChar;

bool Light(TColorIG c) { return c.R() > 125 && c.G() > 125 && c.B() > 125; }

// A colour escape's value into colour; false (colour unchanged) when it is none.
bool Decode(const DString& value, TColorIG& colour)
{
    int alpha = 255;
    TColorIG decoded;
    if (!decoded.DecodeFromString(value.c_str(), &alpha))
        return false;
    colour = decoded;
    return true;
}

// What the layout recorded of every line.
struct Lines {
    std::vector<int> widths, blanks, heights, descenders;
    std::vector<bool> ended;

    void Clear()
    {
        widths.clear();
        blanks.clear();
        heights.clear();
        descenders.clear();
        ended.clear();
    }
    int Count() const { return (int)heights.size(); }
    int SumHeights(int count) const
    {
        int total = 0;
        for (int k = 0; k < count && k < Count(); ++k)
            total += heights[k];
        return total;
    }
};

// The drawing pass over a laid-out text.
class Painter {
public:
    enum Align { AlignLeft, AlignRight, AlignCenter };

    Painter(TPDAUIEngineFontRendererTTF& r, IDC& dc, const TPDAUIEngineStyleFont& font,
            TColorIG colour, const DUString& text, const Lines& lines, const TRectIG& rect,
            int top, int flags, int maxLines, int measuredWidth, Align align)
        : r_(r), dc_(dc), font_(font), colour_(colour), callerColour_(colour), text_(text),
          lines_(lines), rect_(rect), top_(top), maxLines_(maxLines),
          measuredWidth_(measuredWidth), align_(align),
          wrap_((flags & RichTextWordBreak) != 0),
          ellipsis_((flags & RichTextWordEllipsis) != 0),
          justify_((flags & RichTextJustify) != 0), room_(RichTextMinimumLineRoom()),
          turned_(font.orientation == 90 || font.orientation == -90)
    {
        const TRectIG client = dc.GetClientRect();
        clientBottom_ = client.IsEmpty() ? 0 : client.bottom;
        cx_ = (rect.left + rect.right) / 2;
        cy_ = (rect.top + rect.bottom) / 2;
    }

    void Run();

private:
    int LineWidth(int line) const { return line < (int)lines_.widths.size() ? lines_.widths[line] : 0; }
    int LineX(int line) const;
    void StartLine(int line);
    bool NextLine(bool atImageBottom);
    void Glyph(char16_t c, int index);
    void Image(const TRichTextEscape& e);
    void Fetch() { size_ = r_.GetCachedSize(font_); }

    TPDAUIEngineFontRendererTTF& r_;
    IDC& dc_;
    TPDAUIEngineStyleFont font_;
    TColorIG colour_;
    const TColorIG callerColour_;
    const DUString& text_;
    const Lines& lines_;
    const TRectIG rect_;
    int top_;
    const int maxLines_;
    const int measuredWidth_;
    Align align_;
    const bool wrap_, ellipsis_;
    bool justify_;
    const int room_;
    const bool turned_;
    int clientBottom_ = 0;
    int cx_ = 0, cy_ = 0;
    TCachedSize* size_ = nullptr;
    int baseSize_ = 0;
    bool background_ = false;
    TColorIG backgroundColour_;
    int x_ = 0;
    int line_ = 0;
    bool firstGlyph_ = true;
    char16_t previous_ = 0xFFFF;
    int floatIndent_ = 0, floatBottom_ = 0;
    int extra_ = 0, remainder_ = 0;  // justification of the line
    bool firstBlank_ = true;
    bool stopped_ = false;
};

int Painter::LineX(int line) const
{
    const int w = LineWidth(line);
    switch (align_) {
    case AlignRight: return rect_.right - w;
    case AlignCenter: return rect_.left + (rect_.Width() - w) / 2;
    default: return rect_.left;
    }
}

void Painter::StartLine(int line)
{
    x_ = LineX(line) + floatIndent_;
    firstGlyph_ = true;
    previous_ = 0xFFFF;
    extra_ = remainder_ = 0;
    firstBlank_ = true;
    if (justify_ && line < lines_.Count() && !lines_.ended[line] && lines_.blanks[line] > 0) {
        const int free = rect_.Width() - lines_.widths[line];
        if (free > 0) {
            extra_ = free / lines_.blanks[line];
            remainder_ = free % lines_.blanks[line];
        }
    }
}

// False when drawing ends here.
bool Painter::NextLine(bool atImageBottom)
{
    const bool ended = line_ < lines_.Count() && lines_.ended[line_];
    top_ += line_ < lines_.Count() ? lines_.heights[line_] : (size_ ? size_->lineHeight : 0);
    ++line_;
    if ((maxLines_ > 0 && line_ >= maxLines_) || line_ >= lines_.Count())
        return false;
    if (atImageBottom) {
        top_ = floatBottom_;
        floatIndent_ = 0;
    } else if (floatIndent_) {
        // As the layout did: a line ended by a break keeps the indent down to
        // the image's bottom, a wrapped one stops there.
        const bool reached = ended ? floatBottom_ < top_ : floatBottom_ <= top_;
        if (reached) {
            floatIndent_ = 0;
        } else if (floatIndent_ + room_ > rect_.Width()) {
            top_ = floatBottom_;
            floatIndent_ = 0;
        }
    }
    StartLine(line_);
    return true;
}

void Painter::Run()
{
    baseSize_ = font_.size;
    Fetch();
    if (!size_)
        return;
    StartLine(0);
    const bool rich = font_.richText;
    const int n = text_.Length();
    for (int i = 0; i < n && !stopped_;) {
        if (top_ + 3 > rect_.bottom || (clientBottom_ > 0 && !turned_ && top_ + 3 > clientBottom_))
            break;
        char16_t c = text_[i];
        if (rich && c == '\\') {
            TRichTextEscape e;
            ParseRichTextEscape(text_, i, e);
            const int at = i;
            i = e.end;
            switch (e.kind) {
            case TRichTextEscape::Backslash: Glyph('\\', at); continue;
            case TRichTextEscape::Tab: Glyph('\t', at); continue;
            case TRichTextEscape::LineBreak:
                if (wrap_ && !NextLine(false))
                    return;
                continue;
            case TRichTextEscape::Color:
                if (e.value == "reset")
                    colour_ = callerColour_;
                else
                    Decode(e.value, colour_);
                continue;
            case TRichTextEscape::BgColor:
                background_ = e.value != "reset" && Decode(e.value, backgroundColour_);
                continue;
            case TRichTextEscape::Left: align_ = AlignLeft; continue;
            case TRichTextEscape::Right: align_ = AlignRight; continue;
            case TRichTextEscape::Center: align_ = AlignCenter; continue;
            case TRichTextEscape::Justify: justify_ = true; continue;
            case TRichTextEscape::Image: Image(e); continue;
            default:
                if (ApplyRichTextStyle(e, font_, baseSize_)) {
                    Fetch();
                    if (!size_)
                        return;
                }
                continue;
            }
        }
        ++i;
        if (c == 0 || c == '\r')
            continue;
        if (c == '\n') {
            if (wrap_ && !NextLine(false))
                return;
            continue;
        }
        Glyph(c, i - 1);
    }
}

void Painter::Glyph(char16_t c, int index)
{
    TCachedChar* g = r_.GetCachedChar(*size_, c);
    if (!g)
        return;
    AdjustPairSpacing(previous_, c, font_.bold, x_);
    int advance;
    if (c == '\t') {
        const TCachedChar* a = r_.GetCachedChar(*size_, 'a');
        const int stop = a ? 4 * a->bitmapWidth : 0;
        const int pen = x_ - rect_.left;
        advance = stop > 0 ? (pen / stop + 1) * stop - pen : 0;
    } else {
        advance = g->advance + (font_.bordered ? 2 : 0);
    }
    // Justified lines spread their free room over the inner blanks.
    if (c == ' ' && (extra_ || remainder_) && text_[index + 1] != '\n') {
        advance += extra_;
        if (firstBlank_)
            advance += remainder_;
        firstBlank_ = false;
    }
    if (firstGlyph_)
        x_ -= g->bitmapLeft;
    const bool drawn = x_ <= rect_.right ||
                       (!wrap_ && !ellipsis_ && x_ - rect_.left <= measuredWidth_);
    if (drawn && c != '\t') {
        int y = top_;
        if (font_.richText && line_ < lines_.Count() && size_->lineHeight != lines_.heights[line_])
            y += lines_.heights[line_] + lines_.descenders[line_] - size_->lineHeight -
                 size_->descender;
        const int o = font_.orientation;
        if (background_ && !turned_) {
            dc_.SetBrush(backgroundColour_);
            dc_.SetPen(backgroundColour_);
            dc_.Rectangle(x_, top_, x_ + g->width + advance, top_ + font_.size);
        }
        if (font_.shadowed)
            r_.DrawGlyph(dc_, *g, *size_, font_.size, x_ + 1, y + 1,
                         Light(colour_) ? TColorIG(0x323232) : TColorIG(0xE1E1E1), o, cx_, cy_);
        if (font_.bordered) {
            const TColorIG edge = Light(colour_) ? TColorIG(0, 0, 0) : TColorIG(255, 255, 255);
            static const int kAround[4][2] = {{0, -1}, {1, 0}, {0, 1}, {-1, 0}};
            for (const auto& d : kAround)
                r_.DrawGlyph(dc_, *g, *size_, font_.size, x_ + d[0], y + d[1], edge, o, cx_, cy_);
        }
        r_.DrawGlyph(dc_, *g, *size_, font_.size, x_, y, colour_, o, cx_, cy_);
        if (font_.underline && !turned_) {
            const int uy = top_ + size_->ascender - size_->underlinePosition;
            dc_.SetPen(colour_, std::max(size_->underlineThickness, 1));
            dc_.Line(x_, uy, x_ + advance, uy);
        }
    }
    x_ += advance;
    firstGlyph_ = false;
    previous_ = c;
}

void Painter::Image(const TRichTextEscape& e)
{
    TRichTextImage image;
    ParseRichTextImage(e.value, image);
    if (image.name.IsEmpty() || !r_.manager || x_ > rect_.right)
        return;
    TDibIG* bitmap = r_.manager->RequestImage(image.name.c_str());
    if (!bitmap || bitmap->IsEmpty())
        return;
    int w, h;
    RichTextImageSize(image, *bitmap, rect_.right - x_, w, h);
    const TRectIG dst(x_, top_, x_ + w, top_ + h);
    const TRectIG src(0, 0, bitmap->Width(), bitmap->AbsHeight());
    if (image.angle >= 1) {
        TMatriz3RodAdv turn;
        turn.SetRotation((float)image.angle, src, dst);
        dc_.StretchDIBits_Adv(dst, src, bitmap,
                              TAdvStetchDIBitsData(33, TColorIG(), 0, 255, &turn, 0, 0));
    } else {
        dc_.StretchDIBits(dst, src, bitmap, IDC::RopSrcCopy);
    }
    if (!image.floating) {
        x_ += w;
        return;
    }
    floatIndent_ = w + image.hMargin;
    floatBottom_ = top_ + h + image.vMargin;
    x_ += w + image.hMargin;
    if (wrap_ && x_ + room_ >= rect_.right && !NextLine(true))
        stopped_ = true;
}

} // namespace

int TPDAUIEngineFontRendererTTF::DrawText(IDC* dc, const TPDAUIEngineStyleFont& font,
                                          TColorIG color, const TColorIG* background,
                                          const CDString& text, TRectIG& rect, int flags,
                                          int maxLines)
{
    if (!valid || TooSmall(font.size))
        return 0;
    // Simplified characters are drawn; the caller's text stays as it is.
    DString simplified;
    if (font.simplifyCharacters) {
        simplified = DString(text);
        simplified.SimplificaAcentosEnyesEtc();
    }
    const DUString original(font.simplifyCharacters ? CDString(simplified) : text);
    const TPDAUIEngineStyleFont start = WorkingCopy(font, original);
    DUString u = original;
    TPDAUIEngineStyleFont f = start;
    TCachedSize* size = nullptr;
    Lines lines;
    TSizeIG extent;
    LayoutRichText(*this, extent, f, size, u, flags, rect.Width(), &lines.widths, &lines.blanks,
                   &lines.ended, &lines.heights, &lines.descenders, maxLines);
    if (u.IsEmpty())
        return 0;
    if (flags & RichTextCalcRect)
        return MeasureIntoRect(font, text, rect, flags);
    if (!dc)
        return 0;
    if (background) {
        dc->SetBrush(*background);
        dc->SetPen(*background);
        dc->Rectangle(rect);
    }

    const bool turned = font.orientation == 90 || font.orientation == -90;
    const bool wrap = (flags & RichTextWordBreak) != 0;
    Painter::Align align = (flags & RichTextRight)    ? Painter::AlignRight
                           : (flags & RichTextCenter) ? Painter::AlignCenter
                                                      : Painter::AlignLeft;
    // A centred text wider than its box reads from its start, cut by the ellipsis.
    if (!turned && align == Painter::AlignCenter && extent.cx > rect.Width() &&
        lines.Count() <= 3) {
        align = Painter::AlignLeft;
        if (!(flags & RichTextWordEllipsis)) {
            flags |= RichTextWordEllipsis;
            u = original;
            f = start;
            size = nullptr;
            lines.Clear();
            LayoutRichText(*this, extent, f, size, u, flags, rect.Width(), &lines.widths,
                           &lines.blanks, &lines.ended, &lines.heights, &lines.descenders,
                           maxLines);
        }
    }

    int top = rect.top;
    const int shown = maxLines > 0 ? std::min(lines.Count(), maxLines) : lines.Count();
    if (flags & RichTextVCenter) {
        if (wrap) {
            top += (rect.Height() - lines.SumHeights(shown)) / 2;
            if (maxLines > 0)
                top = std::max(top, rect.top);
        } else {
            top += (rect.Height() - start.size) / 2 + 1;
        }
    } else if (flags & RichTextBottom) {
        if (!wrap)
            top = rect.bottom - (lines.Count() ? lines.heights[0] : 0);
        else if (maxLines > 0)
            top = rect.bottom - lines.SumHeights(shown);
    }
    Painter painter(*this, *dc, start, color, u, lines, rect, top, flags, maxLines, extent.cx,
                    align);
    painter.Run();
    return 1;
}
