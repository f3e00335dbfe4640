#include "uiengine/fonts/TPDAUIEngineFontRendererCFONT.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <functional>
#include <memory>
#include <new>

#include "enginelib/base/TFicheroITV.h"
#include "enginelib/base/TStringNomFitx.h"
#include "enginelib/base/Zip.h"
#include "enginelib/draw/IDC.h"
#include "uiengine/core/TPDAUIEngineSkinSettings.h"
#include "uiengine/fonts/TPDAUIEngineStyleFont.h"
#include "uiengine/fonts/TPDAUIEngineTextShaping.h"

namespace {

const int kCenter = 0x1;
const int kRight = 0x2;
const int kVCenter = 0x4;
const int kBottom = 0x8;
const int kWordBreak = 0x10;
const int kCalcRect = 0x400;
const int kWordEllipsis = 0x40000;

const char kTrailer[] = "CFONTEND";
const int kGlyphBytes = 8;
// A range record without its image: code, weight, 256 glyphs, two sizes.
const uint32_t kRangeBytes = 4 + 1 + 256 * kGlyphBytes + 4 + 4;
// Range images beyond this are not fonts anyone draws with (srcY is 16 bits).
const int32_t kMaxImageSize = 256 * 32768;
const int32_t kMaxPx = 1024;

bool RightToLeft()
{
    const TPDAUIEngineSkinSettings* s = TPDAUIEngineSkinSettings::Current();
    return s && s->rightToLeft;
}

bool IsBreak(char16_t c)
{
    switch (c) {
    case u' ': case u'-': case u'_': case u'+': case u'.':
    case u'(': case u')': case u'[': case u']': case u'Z':
        return true;
    default:
        return false;
    }
}

// The 8-bit text as the renderer draws it: simplified on a copy, so the
// caller's text keeps its accents.
DUString DrawingText(const TPDAUIEngineStyleFont& font, const CDString& text)
{
    if (!font.simplifyCharacters)
        return DUString(text);
    DString copy(text);
    copy.SimplificaAcentosEnyesEtc();
    return DUString(copy);
}

// Coverage of each grey of a glyph image (0 full ink) at an opacity: the
// faintest edges are dropped and light ones thinned, so small text stays crisp.
void FillCoverageMap(int opacity, uint8_t* map)
{
    for (int v = 0; v < 256; ++v) {
        int coverage = opacity - v;
        if (coverage <= 50)
            coverage = 0;
        else if (coverage < 100)
            coverage -= 25;
        map[v] = uint8_t(std::min(coverage, 255));
    }
}

} // namespace

const uint8_t* TPDAUIEngineFontRendererCFONT::CoverageMap(int opacity, uint8_t* own)
{
    struct Map {
        explicit Map(int opacity) { FillCoverageMap(opacity, v); }
        uint8_t v[256];
    };
    // Text and its shadow.
    static const Map full(255), shadow(200);
    if (opacity == 255)
        return full.v;
    if (opacity == 200)
        return shadow.v;
    FillCoverageMap(opacity, own);
    return own;
}

bool TPDAUIEngineFontRendererCFONT::Range::Inside(const Glyph& g) const
{
    if (!image || g.w < -1 || g.h < 0 || g.srcX < 0 || g.srcY < 0)
        return false;
    return g.srcX + g.w + 1 < 256 && (int64_t(g.srcY) + g.h + 1) * 256 <= imageSize;
}

TPDAUIEngineFontRendererCFONT::Range::Ink
TPDAUIEngineFontRendererCFONT::Range::InkOf(const Glyph& g) const
{
    const std::less<const Glyph*> before;
    if (before(&g, glyphs) || !before(&g, glyphs + 256))
        return FindInk(g);
    if (!inks_ || inks_->image != image) {
        inks_.reset(new Inks);
        inks_->image = image;
    }
    const size_t index = size_t(&g - glyphs);
    const Glyph& cell = inks_->cell[index];
    if (!inks_->known[index] || cell.srcX != g.srcX || cell.srcY != g.srcY || cell.w != g.w ||
        cell.h != g.h) {
        inks_->ink[index] = FindInk(g);
        inks_->cell[index] = g;
        inks_->known[index] = true;
    }
    return inks_->ink[index];
}

TPDAUIEngineFontRendererCFONT::Range::Ink
TPDAUIEngineFontRendererCFONT::Range::FindInk(const Glyph& g) const
{
    // Greys from here up draw nothing even at full opacity.
    const uint8_t* map = CoverageMap(255, nullptr);
    int faint = 256;
    while (faint > 0 && map[faint - 1] == 0)
        --faint;
    const int cols = g.w + 2, rows = g.h + 1;
    int left = cols, right = 0, top = rows, bottom = 0;
    for (int r = 0; r < rows; ++r) {
        const uint8_t* src = image + (g.srcY + r) * 256 + g.srcX;
        for (int c = 0; c < cols; ++c)
            if (src[c] < faint) {
                left = std::min(left, c);
                right = std::max(right, c + 1);
                top = std::min(top, r);
                bottom = r + 1;
            }
    }
    Ink ink;
    if (right > left)
        ink = Ink{uint8_t(left), uint8_t(top), uint8_t(right), uint8_t(bottom)};
    return ink;
}

TPDAUIEngineFontRendererCFONT::TPDAUIEngineFontRendererCFONT(const char* file, const char* dir)
    : heights(10, 10, true), folder(dir ? dir : "")
{
    const TStringNomFitx given(file ? file : "");
    const DString nameExt = given.nom_fitx_ext();
    family = nameExt;
    const int dot = family.strchr('.');
    if (dot >= 0)
        family = family.SubString(0, dot);

    TFicheroITV in;
    TStringNomFitx found = given;
    if (!in.Abre(found.c_str(), ITV_MODO_LECTURA)) {
        found.cd("..");
        found.cd("base");
        if (!in.Abre(found.c_str(), ITV_MODO_LECTURA)) {
            loadError.Dsprintf("%s: cannot be opened", given.c_str());
            return;
        }
    }
    path = found;
    const uint32_t size = in.FileSize();
    std::vector<unsigned char> bytes;
    bool read = false;
    try {
        bytes.resize(size);
        read = in.Lee(bytes.data(), size) == size;
    } catch (const std::bad_alloc&) {
    }
    in.Cierra();
    if (!read)
        loadError.Dsprintf("%s: cannot be read", path.c_str());
    else
        Parse(bytes.data(), size, path.c_str());
    fileNames.Add(nameExt);
}

bool TPDAUIEngineFontRendererCFONT::Parse(const void* data, uint32_t size, const char* name)
{
    heights.RemoveAll();
    lastHeight_ = nullptr;
    lastRange_ = nullptr;
    valid = false;
    auto fail = [&](const char* what, uint32_t at) {
        heights.RemoveAll();
        loadError.Dsprintf("%s: not a bitmap font (%s at byte %u)", name ? name : "", what, at);
        return false;
    };
    TFicheroITVdatos s(data, ITV_MODO_LECTURA, size);
    s.Skip(5);
    s >> headerFlag;
    int heightCount = 0;
    s >> heightCount;
    if (s.Error())
        return fail("truncated header", size);
    if (heightCount < 0 || uint32_t(heightCount) > s.Restantes() / 8)
        return fail("height count out of range", s.Tell() - 4);
    for (int h = 0; h < heightCount; ++h) {
        const uint32_t at = s.Tell();
        Height* height = new Height;
        heights.Add(height);
        int rangeCount = 0;
        s >> height->px >> rangeCount;
        if (s.Error())
            return fail("truncated height", at);
        if (height->px < 1 || height->px > kMaxPx)
            return fail("pixel height out of range", at);
        if (h > 0 && heights[h - 1]->px >= height->px)
            return fail("heights not in ascending order", at);
        if (rangeCount < 0 || uint32_t(rangeCount) > s.Restantes() / kRangeBytes)
            return fail("range count out of range", at + 4);
        for (int r = 0; r < rangeCount; ++r) {
            const uint32_t rangeAt = s.Tell();
            Range* range = new Range;
            height->ranges.Add(range);
            s >> range->firstCode >> range->bold;
            for (Glyph& g : range->glyphs) {
                char w, gh, a, b;
                s >> g.srcX >> g.srcY >> w >> gh >> a >> b;
                g.w = int8_t(w);
                g.h = int8_t(gh);
                g.a = int8_t(a);
                g.b = int8_t(b);
            }
            s >> range->compressedSize >> range->imageSize;
            if (s.Error())
                return fail("truncated range", rangeAt);
            if (range->compressedSize < 0 || uint32_t(range->compressedSize) > s.Restantes())
                return fail("compressed image past the end", s.Tell() - 8);
            if (range->imageSize < 0 || range->imageSize > kMaxImageSize ||
                range->imageSize % 256 != 0)
                return fail("image size out of range", s.Tell() - 4);
            range->imageOffset = int32_t(s.Tell());
            s.Skip(uint32_t(range->compressedSize));
        }
    }
    char trailer[8];
    if (s.Lee(trailer, 8) != 8 || std::memcmp(trailer, kTrailer, 8) != 0)
        return fail("no CFONTEND trailer", s.Tell());
    loadError.Empty();
    valid = true;
    return true;
}

bool TPDAUIEngineFontRendererCFONT::LoadImage(Range& range)
{
    if (range.image)
        return true;
    TFicheroITV in;
    if (!in.Abre(path.c_str(), ITV_MODO_LECTURA) || !in.Seek(uint32_t(range.imageOffset)))
        return false;
    const uint32_t packed = uint32_t(range.compressedSize);
    std::unique_ptr<uint8_t[]> input(new (std::nothrow) uint8_t[packed ? packed : 1]);
    uint8_t* output = new (std::nothrow) uint8_t[range.imageSize ? range.imageSize : 1];
    uint32_t length = uint32_t(range.imageSize);
    if (input && output && in.Lee(input.get(), packed) == packed &&
        Desenzipa_MEM_MEM(input.get(), packed, output, length) &&
        length == uint32_t(range.imageSize)) {
        range.image = output;
        return true;
    }
    delete[] output;
    return false;
}

TPDAUIEngineFontRendererCFONT::Height* TPDAUIEngineFontRendererCFONT::FindHeight(int size) const
{
    if (heights.IsEmpty())
        return nullptr;
    for (int i = 0; i < heights.Count(); ++i)
        if (heights[i]->px >= size)
            return heights[i];
    return heights[heights.Count() - 1];
}

const TPDAUIEngineFontRendererCFONT::Glyph*
TPDAUIEngineFontRendererCFONT::FindGlyph(Height* height, bool bold, int code, Range** out)
{
    Range* range = nullptr;
    auto holds = [&](const Range* r) {
        return r->bold == bold && r->firstCode <= code && code - int64_t(r->firstCode) < 256;
    };
    if (lastRange_ && lastHeight_ == height && holds(lastRange_)) {
        range = lastRange_;
    } else if (height) {
        for (int i = 0; i < height->ranges.Count() && !range; ++i)
            if (holds(height->ranges[i]))
                range = height->ranges[i];
    }
    if (out)
        *out = range;
    if (!range)
        return nullptr;
    lastHeight_ = height;
    lastRange_ = range;
    LoadImage(*range);
    return &range->glyphs[code - range->firstCode];
}

void TPDAUIEngineFontRendererCFONT::AdjustFont(TPDAUIEngineStyleFont& font)
{
    if (TooSmall(font) || heights.IsEmpty())
        return;
    for (int i = 0; i < heights.Count(); ++i) {
        const int px = heights[i]->px;
        if (px < font.size)
            continue;
        if (px > font.size)
            font.size = heights[i > 0 ? i - 1 : 0]->px;
        return;
    }
    font.size = heights[heights.Count() - 1]->px;
}

void TPDAUIEngineFontRendererCFONT::Layout(Height* height, const TPDAUIEngineStyleFont& font,
                                           DUString& text, int flags, int maxWidth,
                                           std::vector<int>* lineWidths, int maxLines,
                                           int& width, int& outHeight)
{
    width = 0;
    outHeight = 0;
    if (!height)
        return;
    const int px = height->px;
    const bool rtl = RightToLeft();
    const bool wordBreak = (flags & kWordBreak) != 0;
    outHeight = px;
    int lineTop = 0, x = 0, breakX = 0, lastBreak = -1, lineIndex = 0, lineStart = 0;
    bool breakReplaces = true;  // the break character is a blank the line feed takes over
    bool multiLine = false;
    int history[6] = {0, 0, 0, 0, 0, 0};
    int historyCount = 0;  // advances entered on this line, at most 6 counted
    auto pushHistory = [&](int adv) {
        std::memmove(history + 1, history, sizeof(int) * 5);
        history[0] = adv;
        ++historyCount;
    };

    if (rtl)
        ShapeArabic(text);

    for (int i = 0; i < text.Length(); ++i) {
        const char16_t c = text[i];
        if (c == u'\n') {
            ++lineIndex;
            if (wordBreak) {
                if (lineWidths)
                    lineWidths->push_back(x);
                lineTop += px;
                if (i < text.Length() - 2)
                    outHeight = lineTop + px;
                x = 0;
                breakX = 0;
                lastBreak = -1;
                multiLine = true;
                lineStart = i + 1;
                historyCount = 0;
            }
            continue;
        }
        if (c == u'\r')
            continue;
        const Glyph* g = FindGlyph(height, font.bold, c, nullptr);
        if (!g) {
            const int cap = maxWidth < 1 ? 1024 : maxWidth;
            width = std::min(width + font.size / 2, std::max(width, cap));
            continue;
        }
        const int adv = g->Advance();
        if (maxWidth < 1) {
            x += adv;
            width = x;
        } else if (x + adv > maxWidth && lastBreak >= 0 && wordBreak &&
                   (maxLines == -1 || lineIndex != maxLines - 1)) {
            if (lineWidths)
                lineWidths->push_back(breakX);
            // A blank becomes the line feed; a visible break character stays at
            // the end of its line and the line feed follows it.
            int next;
            if (breakReplaces) {
                text[lastBreak] = u'\n';
                next = lastBreak + 1;
            } else {
                text.Insert(lastBreak + 1, u'\n');
                next = lastBreak + 2;
            }
            lineTop += px;
            outHeight = lineTop + px;
            ++lineIndex;
            x = 0;
            breakX = 0;
            lastBreak = -1;
            multiLine = true;
            lineStart = next;
            historyCount = 0;
            i = next - 1;
            continue;
        } else if (x + adv > maxWidth && (flags & kWordEllipsis) &&
                   (maxLines == -1 ||
                    (wordBreak && (lineIndex == maxLines - 1 ||
                                   (lastBreak < 0 && x + 5 > text.Length()))))) {
            int e = 0, eh = 0;
            GetTextExtent(e, eh, font, CDString("..."), 999, 0);
            const int s = x + e + font.paddingEllipsis;
            // Only characters of this line can give way to the dots.
            const int most = std::min({6, historyCount, i - lineStart});
            int cut = i, fitted = s;
            int removed = 0;
            for (int k = 0; k <= most; ++k) {
                if (k > 0)
                    removed += history[k - 1];
                if (s - removed < maxWidth) {
                    cut = i - k;
                    fitted = s - removed;
                    break;
                }
            }
            const int length = text.Length();
            for (int j = length - 1; j >= cut + 2 && j >= 0; --j)
                text[j] = rtl ? u'\n' : u' ';
            for (int j = cut; j <= cut + 2 && j < length; ++j)
                text[j] = u'.';
            if (rtl) {
                x = fitted - font.paddingEllipsis;
                multiLine = true;
            } else {
                x = maxWidth;
            }
            width = std::max(width, x);
            break;
        } else {
            x += adv;
            width = std::max(width, x);
        }
        pushHistory(adv);
        if (IsBreak(c)) {
            breakReplaces = c == u' ';
            breakX = breakReplaces ? x - adv : x;
            lastBreak = i;
        }
    }
    if (lineWidths)
        lineWidths->push_back(x);
    if (rtl) {
        if (multiLine) {
            int start = 0;
            for (int i = 0; i <= text.Length(); ++i)
                if (i == text.Length() || text[i] == u'\n') {
                    if (i > start)
                        text.ReverseFrase(start, i - start);
                    start = i + 1;
                }
        } else {
            text.ReverseFrase();
        }
    }
}

void TPDAUIEngineFontRendererCFONT::GetTextExtent(int& width, int& height,
                                                  const TPDAUIEngineStyleFont& font,
                                                  const CDString& text, int maxWidth, int flags)
{
    width = 0;
    height = 0;
    if (TooSmall(font))
        return;
    DUString wide(text.c_str());
    Layout(FindHeight(font.size), font, wide, flags, maxWidth, nullptr, -1, width, height);
    if (font.orientation == 90 || font.orientation == -90)
        std::swap(width, height);
}

int TPDAUIEngineFontRendererCFONT::FitFontSize(const TPDAUIEngineStyleFont& font,
                                               const CDString& text, const TRectIG& rect,
                                               int flags, int maxLines)
{
    if (heights.IsEmpty())
        return font.size;
    const DUString original = DrawingText(font, text);
    TPDAUIEngineStyleFont probe = font;
    for (int i = 0; i < heights.Count(); ++i) {
        probe.size = heights[i]->px;
        // Every probe lays out the text as given, not the previous probe's result.
        DUString wide = original;
        int w = 0, h = 0;
        Layout(heights[i], probe, wide, flags, 99999, nullptr, maxLines, w, h);
        if (w - 1 > rect.Width() || h > rect.Height())
            return heights[i > 0 ? i - 1 : 0]->px;
    }
    return heights[heights.Count() - 1]->px;
}

int TPDAUIEngineFontRendererCFONT::GetLinesHeight(const TPDAUIEngineStyleFont& font,
                                                  const CDString& text, int lineCount, int width)
{
    return lineCount * font.size;
}

int TPDAUIEngineFontRendererCFONT::GetMemoryUsage()
{
    int total = 84;
    for (int i = 0; i < heights.Count(); ++i) {
        const Height* h = heights[i];
        total += 32 + 2072 * h->ranges.Count();
        for (int r = 0; r < h->ranges.Count(); ++r)
            if (h->ranges[r]->image)
                total += h->ranges[r]->imageSize;
    }
    return total;
}

void TPDAUIEngineFontRendererCFONT::DrawGlyph(IDC* dc, const Range& range, const Glyph& g,
                                              const TRectIG& dst, TColorIG colour,
                                              int orientation, int opacity)
{
    if (!dc || !range.Inside(g))
        return;
    const bool turned = orientation == 90 || orientation == -90;
    // Turned glyphs are always drawn at full opacity.
    if (turned)
        opacity = 255;
    const int cols = g.w + 2, rows = g.h + 1;
    // Only the inked part of the cell is blitted; above full opacity every
    // pixel may draw and the whole cell is.
    Range::Ink cell;
    cell.right = uint8_t(cols);
    cell.bottom = uint8_t(rows);
    const Range::Ink ink = opacity <= 255 ? range.InkOf(g) : cell;
    if (ink.right <= ink.left)
        return;
    const uint8_t* image = range.image + (g.srcY + ink.top) * 256 + g.srcX + ink.left;
    const int inkCols = ink.right - ink.left, inkRows = ink.bottom - ink.top;
    uint8_t own[256];
    const uint8_t* map = CoverageMap(opacity, own);
    if (!turned) {
        // Columns past dst.right and rows past dst.bottom are left out.
        const int64_t right = std::min<int64_t>(int64_t(dst.left) + cols, int64_t(dst.right) + 1);
        const int64_t bottom = int64_t(dst.bottom) + 1;
        const TRectIG limit(dst.left, dst.top, int(std::min<int64_t>(right, INT_MAX)),
                            int(std::min<int64_t>(bottom, INT_MAX)));
        const int64_t x = int64_t(dst.left) + ink.left, y = int64_t(dst.top) + ink.top;
        if (x <= INT_MAX && y <= INT_MAX)
            dc->DrawCoverageMapped(int(x), int(y), image, inkCols, inkRows, 256, map, colour, limit);
        return;
    }
    // Rows of the image become columns of the target.
    turned_.resize(size_t(inkCols) * size_t(inkRows));
    uint8_t* out = turned_.data();
    for (int r = 0; r < inkRows; ++r) {
        const uint8_t* src = image + r * 256;
        for (int c = 0; c < inkCols; ++c) {
            // 90: (right - r, top + c); -90: (left + r, bottom - c).
            const int ox = orientation == 90 ? inkRows - 1 - r : r;
            const int oy = orientation == 90 ? c : inkCols - 1 - c;
            out[size_t(oy) * size_t(inkRows) + size_t(ox)] = map[src[c]];
        }
    }
    const int64_t x = orientation == 90 ? int64_t(dst.right) - (ink.bottom - 1) : int64_t(dst.left) + ink.top;
    const int64_t y = orientation == 90 ? int64_t(dst.top) + ink.left : int64_t(dst.bottom) - (ink.right - 1);
    if (x < INT_MIN || y < INT_MIN || x > INT_MAX || y > INT_MAX)
        return;  // nowhere near any target
    dc->DrawCoverage(int(x), int(y), out, inkRows, inkCols, inkRows, colour,
                     TRectIG(INT_MIN, INT_MIN, INT_MAX, INT_MAX));
}

int TPDAUIEngineFontRendererCFONT::DrawText(IDC* dc, const TPDAUIEngineStyleFont& font,
                                            TColorIG color, const TColorIG* background,
                                            const CDString& text, TRectIG& rect, int flags,
                                            int maxLines)
{
    if (TooSmall(font))
        return 0;
    const TPDAUIEngineSkinSettings* settings = TPDAUIEngineSkinSettings::Current();
    const bool rtl = RightToLeft();
    Height* height = FindHeight(font.size + (rtl && settings ? settings->fontSizeIncrementRTL : 0));
    if (!height)
        return 0;
    const int px = height->px;
    DUString wide = DrawingText(font, text);
    std::vector<int> lines;
    int laidWidth = 0, laidHeight = 0;
    Layout(height, font, wide, flags, rect.Width(), &lines, maxLines, laidWidth, laidHeight);
    if (wide.IsEmpty())
        return 0;
    if (flags & kCalcRect)
        return MeasureIntoRect(font, text, rect, flags);
    if (!dc)
        return 1;
    const bool wordBreak = (flags & kWordBreak) != 0;
    const int orientation = font.orientation;
    TRectIG box = rect;
    if (orientation == 90 || orientation == -90) {
        const int cx = (rect.left + rect.right) / 2, cy = (rect.top + rect.bottom) / 2;
        const int w = rect.Height(), h = rect.Width();
        box = TRectIG(cx - w / 2, cy - h / 2, cx - w / 2 + w, cy - h / 2 + h);
        if (flags & kVCenter) {
            box.top += (box.Height() - px) / 2;
            box.bottom = box.top + laidHeight;
        }
    } else if (flags & kVCenter) {
        if (!wordBreak) {
            box.top += (rect.Height() - px) / 2;
        } else {
            int count = int(lines.size());
            if (maxLines > 0 && count > maxLines)
                count = maxLines;
            box.top = std::max(box.top, box.top + (rect.Height() - count * px) / 2);
        }
    } else if (flags & kBottom) {
        box.top = box.bottom - px;
    }
    const int cx = (box.left + box.right) / 2, cy = (box.top + box.bottom) / 2;
    // Where a line of this width starts.
    auto lineStartX = [&](size_t line) {
        // Lines past the recorded ones (a right-to-left ellipsis) count as empty.
        const int w = line < lines.size() ? lines[line] : 0;
        if (flags & kRight)
            return box.left + 1 + (box.Width() - w);
        if (flags & kCenter)
            return box.left + 1 + (box.Width() - w) / 2;
        return box.left + 1;
    };

    if (background) {
        dc->SetBrush(*background);
        dc->SetPen(*background, 1);
        dc->Rectangle(TRectIG(rect.left, rect.top, rect.right + 1, rect.bottom));
    }

    const TColorIG outline = (int(color.R() > 125) + int(color.G() > 125) + int(color.B() > 125)) < 3
                                 ? TColorIG(255, 255, 255)
                                 : TColorIG(0, 0, 0);
    size_t line = 0;
    int linesDrawn = 0;
    int penX = lineStartX(0), penY = box.top;
    int lineLeft = penX;
    int previousAdvance = 0;
    auto underline = [&](int from, int to) {
        if (!font.underline || orientation != 0 || to <= from)
            return;
        dc->SetPen(color, 1);
        const int y = penY + px - 1 - px / 8;
        dc->Line(from, y, to, y);
    };
    for (int i = 0; i < wide.Length(); ++i) {
        const char16_t c = wide[i];
        if (c == u'\n' || c == u'\r') {
            if (c == u'\n' && wordBreak) {
                underline(lineLeft, penX);
                ++line;
                ++linesDrawn;
                if (maxLines > 0 && linesDrawn >= maxLines)
                    return 1;
                penX = lineLeft = lineStartX(line);
                penY += px;
                previousAdvance = 0;
            }
            continue;
        }
        if (box.bottom < penY + 3)
            break;
        if (penX > box.right)
            continue;
        Range* range = nullptr;
        const Glyph* g = FindGlyph(height, font.bold, c, &range);
        if (!g || !range->image) {
            dc->SetPen(color, 1);
            const int half = font.size / 2;
            dc->Rectangle_Vacio(penX, penY, penX + half, penY + font.size);
            dc->Line(penX, penY, penX + half, penY + font.size);
            dc->Line(penX + half, penY, penX, penY + font.size);
            penX += half;
            previousAdvance = half;
            continue;
        }
        const int adv = g->Advance();
        const int shift = adv == 0 ? g->w / 2 + previousAdvance / 2 + 1 : 0;
        const int x = penX - shift;
        TRectIG dst;
        if (orientation == 90) {
            dst.top = cy - cx + x;
            dst.left = cy - g->h - penY + cx;
        } else if (orientation == -90) {
            dst.top = cy - g->w - x + cx;
            dst.left = cy - g->h - penY + cx;
        }
        if (orientation == 90 || orientation == -90) {
            dst.right = dst.left + g->h;
            dst.bottom = dst.top + g->w;
        } else {
            dst = TRectIG(x, penY, x + g->w + 1, penY + g->h);
        }
        if (font.shadowed) {
            TRectIG s = dst;
            s.Offset(1, 1);
            DrawGlyph(dc, *range, *g, s, color.Negative(), orientation, 200);
        }
        if (font.bordered) {
            static const int kOffsets[4][2] = {{0, -1}, {1, 0}, {0, 1}, {-1, 0}};
            for (const auto& o : kOffsets) {
                TRectIG b = dst;
                b.Offset(o[0], o[1]);
                DrawGlyph(dc, *range, *g, b, outline, orientation, 255);
            }
        }
        DrawGlyph(dc, *range, *g, dst, color, orientation, 255);
        penX += adv;
        if (adv != 0)
            previousAdvance = adv;
    }
    underline(lineLeft, penX);
    return 1;
}
