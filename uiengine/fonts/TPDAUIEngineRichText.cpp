#include "uiengine/fonts/TPDAUIEngineRichText.h"

#include <algorithm>
#include <string>

#include "enginelib/draw/TDibIG.h"
#include "uiengine/core/TPDAUIEngineSkinSettings.h"
#include "uiengine/fonts/TPDAUIEngineStyleFont.h"
#include "uiengine/fonts/TPDAUIEngineTextShaping.h"

namespace {

typedef TPDAUIEngineFontRendererTTF::TCachedSize TCachedSize;
typedef TPDAUIEngineFontRendererTTF::TCachedChar TCachedChar;

const std::u16string kMarker = u"\\lumorrichtext;";
// Values longer than this (counted from the escape's name start) are cut.
const int kValueEnd = 50;
// Sizes and image extents a text may ask for are kept within these, so that
// sums over lines stay far from overflowing.
const int kMaxFontSize = 1000;
const int kMaxImageSide = TDibIG::MaxSide;

bool StartsWith(const std::u16string& name, const char16_t* prefix, size_t& length)
{
    length = std::char_traits<char16_t>::length(prefix);
    return name.compare(0, length, prefix) == 0;
}

bool IsBreakOpportunity(char16_t c)
{
    switch (c) {
    case ' ': case '-': case '_': case '+': case '.': case '(': case ')': case '[': case ']':
    case ':':
        return true;
    default:
        return false;
    }
}

int Clamp(int v, int lo, int hi) { return v < lo ? lo : (v > hi ? hi : v); }

struct LineRecords {
    mutable int widest;
    std::vector<int>* widths;
    std::vector<int>* blankCounts;
    std::vector<bool>* endsWithBreak;
    std::vector<int>* heights;
    std::vector<int>* descenders;

    void Add(int width, int blanks, bool ended, int height, int descender) const
    {
        widest = std::max(widest, width);
        if (widths)
            widths->push_back(width);
        if (blankCounts)
            blankCounts->push_back(blanks);
        if (endsWithBreak)
            endsWithBreak->push_back(ended);
        if (heights)
            heights->push_back(height);
        if (descenders)
            descenders->push_back(descender);
    }
};

// One layout pass over a text.
class Layout {
public:
    Layout(TPDAUIEngineFontRendererTTF& renderer, TPDAUIEngineStyleFont& font, TCachedSize*& size,
           DUString& text, int flags, int maxWidth, const LineRecords& records, int maxLines)
        : r_(renderer), font_(font), size_(size), text_(text), maxWidth_(maxWidth),
          limit_(maxWidth > 0 ? maxWidth : 0), maxLines_(maxLines), records_(records),
          wrap_((flags & RichTextWordBreak) != 0), ellipsis_((flags & RichTextWordEllipsis) != 0),
          room_(RichTextMinimumLineRoom())
    {
    }

    TSizeIG Run();

private:
    struct Met {
        int pen;    // pen x before the glyph
        int index;  // its place in the text
    };

    void StartLine(int pen);
    void FetchSize() { size_ = r_.GetCachedSize(font_); }
    enum Step { Placed, Wrapped, Ended };
    Step Glyph(int& i, char16_t c);
    void Wrap(int& i, int penBefore);
    void EndLine();
    void FinishLast();
    void Image(const TRichTextEscape& e);
    bool Ellipsis(int i);

    TPDAUIEngineFontRendererTTF& r_;
    TPDAUIEngineStyleFont& font_;
    TCachedSize*& size_;
    DUString& text_;
    const int maxWidth_;
    const int limit_;  // 0: none
    const int maxLines_;
    const LineRecords& records_;
    const bool wrap_;
    const bool ellipsis_;
    const int room_;
    const bool rtl_ = TPDAUIEngineFontRendererTTF::RightToLeft();
    int baseSize_ = 0;

    int penX_ = 0;
    int lineStartX_ = 0;
    int lineTop_ = 0;
    int lineHeight_ = 0;
    int descender_ = 0;
    int blanks_ = 0;
    int breakIndex_ = -1;
    int breakWidth_ = 0;
    int breakHeight_ = 0;
    int breakSize_ = 0;  // the size in force at the break opportunity
    bool breakBold_ = false, breakItalic_ = false;
    char16_t previous_ = 0xFFFF;
    int lines_ = 0;
    int floatIndent_ = 0;
    int floatBottom_ = 0;
    bool firstGlyph_ = true;
    Met history_[6] = {};
    int historyCount_ = 0;
    int historyNext_ = 0;
};

void Layout::StartLine(int pen)
{
    penX_ = pen;
    lineStartX_ = pen;
    blanks_ = 0;
    breakIndex_ = -1;
    firstGlyph_ = true;
    // The ellipsis only takes glyphs back on its own line.
    historyCount_ = 0;
    ++lines_;
}

TSizeIG Layout::Run()
{
    if (rtl_)
        ShapeArabic(text_);
    else
        ReverseHebrewRuns(text_);
    font_.size = Clamp(font_.size, 1, kMaxFontSize);
    baseSize_ = font_.size;
    if (!size_)
        FetchSize();
    if (!size_)
        return TSizeIG(0, 0);
    lineHeight_ = size_->lineHeight;
    descender_ = size_->descender;

    const bool rich = font_.richText;
    // Wrapping lays characters out again; the cap keeps any text finite.
    const long cap = 3L * text_.Length() + 3;
    long steps = 0;
    int i = 0;
    while (i < text_.Length() && steps++ < cap) {
        char16_t c = text_[i];
        if (rich && c == '\\') {
            TRichTextEscape e;
            ParseRichTextEscape(text_, i, e);
            switch (e.kind) {
            case TRichTextEscape::Backslash:
                break;  // a glyph, below
            case TRichTextEscape::LineBreak:
                c = '\n';
                break;
            case TRichTextEscape::Tab:
                c = '\t';
                break;
            case TRichTextEscape::Image:
                Image(e);
                i = e.end;
                continue;
            default:
                if (ApplyRichTextStyle(e, font_, baseSize_)) {
                    FetchSize();
                    if (!size_)
                        return TSizeIG(0, 0);
                }
                i = e.end;
                continue;
            }
            // The escape stands for one character; the wrap works at its start.
            const int start = i;
            if (c == '\n') {
                if (wrap_)
                    EndLine();
                else
                    ++lines_;
                i = e.end;
                continue;
            }
            int at = start;
            const Step step = Glyph(at, c);
            if (step == Ended)
                break;
            i = step == Placed ? e.end : at;
            continue;
        }
        if (c == 0 || c == '\r') {
            ++i;
            continue;
        }
        if (c == '\n') {
            if (wrap_)
                EndLine();
            else
                ++lines_;
            ++i;
            continue;
        }
        int at = i;
        const Step step = Glyph(at, c);
        if (step == Ended)
            break;
        i = step == Placed ? i + 1 : at;
    }
    FinishLast();

    if (rtl_)
        text_.ReverseFrase();
    return TSizeIG(records_.widest, std::max(lineTop_ + lineHeight_, floatIndent_ ? floatBottom_ : 0));
}

// Places one glyph at index i; after a wrap i is where layout goes on.
Layout::Step Layout::Glyph(int& i, char16_t c)
{
    const int penBefore = penX_;
    TCachedChar* g = r_.GetCachedChar(*size_, c);
    if (!g)
        return Placed;
    AdjustPairSpacing(previous_, c, font_.bold, penX_);
    int advance;
    if (c == '\t') {
        // Tab stops every four widths of "a"; a font without one has none.
        const TCachedChar* a = r_.GetCachedChar(*size_, 'a');
        const int stop = a ? 4 * a->bitmapWidth : 0;
        advance = stop > 0 ? (penX_ / stop + 1) * stop - penX_ : 0;
    } else {
        advance = g->advance + (font_.bordered ? 2 : 0);
    }
    if (firstGlyph_)
        penX_ -= g->bitmapLeft;

    if (limit_ > 0) {
        const bool lastLine = maxLines_ > 0 && lines_ >= maxLines_ - 1;
        // A glyph wider than the whole line stays on it: wrapping it again
        // would only make empty lines.
        const bool alone = penBefore <= lineStartX_;
        if (penX_ + advance > limit_ && wrap_ && !lastLine && !alone) {
            penX_ = penBefore;
            Wrap(i, penBefore);
            return Wrapped;
        }
        if (penX_ + g->width > limit_ && ellipsis_) {
            const bool allowed = maxLines_ < 0 ? breakIndex_ >= 0 : (lastLine && wrap_);
            if (allowed && Ellipsis(i))
                return Ended;
        }
    }

    penX_ += advance;
    lineHeight_ = std::max(lineHeight_, size_->lineHeight);
    descender_ = std::min(descender_, size_->descender);
    history_[historyNext_] = Met{penBefore, i};
    historyNext_ = (historyNext_ + 1) % 6;
    historyCount_ = std::min(historyCount_ + 1, 6);
    firstGlyph_ = false;
    if (c == ' ')
        ++blanks_;
    if ((wrap_ || ellipsis_) && IsBreakOpportunity(c)) {
        breakIndex_ = i;
        // A blank ends the line before it; other break characters stay on it.
        breakWidth_ = c == ' ' ? penBefore : penX_;
        breakHeight_ = lineHeight_;
        breakSize_ = font_.size;
        breakBold_ = font_.bold;
        breakItalic_ = font_.italic;
    }
    if (c != 0)
        previous_ = c;
    return Placed;
}

void Layout::Wrap(int& i, int penBefore)
{
    // A blank that overflows is itself where the line breaks.
    const bool hasBreak = breakIndex_ >= 0 && text_[i] != ' ';
    const int height = hasBreak ? breakHeight_ : lineHeight_;
    // The blank the line breaks at is not one of the line's inner blanks.
    const bool trailingBlank = hasBreak && text_[breakIndex_] == ' ';
    records_.Add(hasBreak ? breakWidth_ : penBefore, std::max(blanks_ - (trailingBlank ? 1 : 0), 0),
                 false, height, descender_);
    lineTop_ += height;
    if (floatIndent_) {
        if (lineTop_ >= floatBottom_) {
            floatIndent_ = 0;
        } else if (floatIndent_ + room_ > limit_) {
            lineTop_ = floatBottom_;
            floatIndent_ = 0;
        }
    }
    if (!hasBreak) {
        if (i > 0) {
            if (text_[i] == ' ') {
                text_[i] = '\n';
                ++i;
            } else {
                text_.Insert(i, u'\n');
                ++i;
            }
        }
    } else {
        text_.Insert(breakIndex_ + 1, u'\n');
        i = breakIndex_ + 2;
        // The characters after the break are laid out again in the style they
        // started with.
        if (font_.size != breakSize_ || font_.bold != breakBold_ || font_.italic != breakItalic_) {
            font_.size = breakSize_;
            font_.bold = breakBold_;
            font_.italic = breakItalic_;
            FetchSize();
        }
    }
    StartLine(floatIndent_);
    lineHeight_ = size_ ? size_->lineHeight : 0;
    descender_ = 0;
    previous_ = 0xFFFF;
}

void Layout::EndLine()
{
    records_.Add(penX_, blanks_, true, lineHeight_, descender_);
    lineTop_ += lineHeight_;
    lineHeight_ = size_->lineHeight;
    descender_ = size_->descender;
    int pen = 0;
    if (floatIndent_) {
        if (floatBottom_ < lineTop_) {
            floatIndent_ = 0;
        } else if (maxWidth_ != -1 && floatIndent_ + room_ > maxWidth_) {
            lineTop_ = floatBottom_;
            floatIndent_ = 0;
        } else {
            pen = floatIndent_;
        }
    }
    StartLine(pen);
    previous_ = 0xFFFF;
}

void Layout::FinishLast()
{
    records_.Add(penX_, blanks_, true, lineHeight_, descender_);
}

void Layout::Image(const TRichTextEscape& e)
{
    TRichTextImage image;
    ParseRichTextImage(e.value, image);
    if (image.name.IsEmpty() || maxWidth_ < penX_ || !r_.manager)
        return;
    TDibIG* bitmap = r_.manager->RequestImage(image.name.c_str());
    if (!bitmap || bitmap->IsEmpty())
        return;
    int w, h;
    RichTextImageSize(image, *bitmap, maxWidth_, w, h);
    if (!image.floating) {
        lineHeight_ = std::max(lineHeight_, h);
        penX_ += w;
        return;
    }
    floatIndent_ = w + image.hMargin;
    floatBottom_ = lineTop_ + h + image.vMargin;
    penX_ += w + image.hMargin;
    if (maxWidth_ > 0 && wrap_ && penX_ + room_ >= maxWidth_) {
        const bool hasBreak = breakIndex_ >= 0;
        records_.Add(hasBreak ? breakWidth_ : 0, std::max(blanks_ - 1, 0), false,
                     hasBreak ? breakHeight_ : lineHeight_, descender_);
        lineTop_ = floatBottom_;
        floatIndent_ = 0;
        StartLine(0);
        lineHeight_ = size_->lineHeight;
        descender_ = 0;
    }
}

bool Layout::Ellipsis(int i)
{
    int dotsWidth = 0, dotsHeight = 0;
    r_.GetTextExtent(dotsWidth, dotsHeight, font_, CDString("..."), 999, 0);
    const int padding = font_.paddingEllipsis;
    const int end = penX_ + padding + dotsWidth;
    int at = i;
    int endPos = penX_;
    if (end < limit_) {
        endPos = end;
    } else {
        // Dots put in place of the last glyphs start where the first of them
        // started; the fewest that make room are taken.
        for (int k = 1; k <= historyCount_; ++k) {
            const Met& p = history_[(historyNext_ - k + 6) % 6];
            if (p.pen + padding + dotsWidth < limit_) {
                at = p.index;
                endPos = p.pen + padding + dotsWidth;
                break;
            }
        }
    }
    // The dots always exist in full: the text grows when they reach its end.
    while (text_.Length() < at + 3)
        text_ += u' ';
    for (int k = 0; k < 3; ++k)
        text_[at + k] = '.';
    for (int k = at + 3; k < text_.Length(); ++k)
        text_[k] = rtl_ ? u'\n' : u' ';
    if (rtl_) {
        penX_ = endPos - padding;
    } else {
        penX_ = limit_;
    }
    return true;
}

} // namespace

bool HasRichTextMarker(const DUString& text)
{
    return text.Text().compare(0, kMarker.size(), kMarker) == 0;
}

void ParseRichTextEscape(const DUString& text, int index, TRichTextEscape& e)
{
    const int n = text.Length();
    const int start = index + 1;
    e.value.Empty();
    if (start < n && text[start] == '\\') {
        e.kind = TRichTextEscape::Backslash;
        e.end = start + 1;
        return;
    }
    const int semi = start < n ? text.Find(u';', start) : -1;
    const int nameEnd = semi < 0 ? n : semi;
    e.end = semi < 0 ? n : semi + 1;
    const std::u16string name =
        start < nameEnd ? text.Text().substr((size_t)start, (size_t)(nameEnd - start)) : std::u16string();

    struct Plain {
        const char16_t* name;
        TRichTextEscape::Kind kind;
    };
    static const Plain kPlain[] = {
        {u"b", TRichTextEscape::Bold},      {u"-b", TRichTextEscape::NoBold},
        {u"i", TRichTextEscape::Italic},    {u"-i", TRichTextEscape::NoItalic},
        {u"u", TRichTextEscape::Underline}, {u"-u", TRichTextEscape::NoUnderline},
        {u"n", TRichTextEscape::LineBreak}, {u"t", TRichTextEscape::Tab},
        {u"left", TRichTextEscape::Left},   {u"right", TRichTextEscape::Right},
        {u"center", TRichTextEscape::Center}, {u"justify", TRichTextEscape::Justify},
    };
    for (const Plain& p : kPlain)
        if (name == p.name) {
            e.kind = p.kind;
            return;
        }
    struct Valued {
        const char16_t* prefix;
        TRichTextEscape::Kind kind;
        bool capped;
    };
    static const Valued kValued[] = {
        {u"fontsize:", TRichTextEscape::FontSize, true},
        {u"color:", TRichTextEscape::Color, true},
        {u"bgcolor:", TRichTextEscape::BgColor, true},
        {u"image:", TRichTextEscape::Image, false},
    };
    for (const Valued& v : kValued) {
        size_t length;
        if (StartsWith(name, v.prefix, length)) {
            e.kind = v.kind;
            size_t count = name.size() - length;
            if (v.capped)
                count = std::min(count, length < (size_t)kValueEnd ? kValueEnd - length : 0);
            e.value = DUString(name.c_str() + length, (int)count).ToDString();
            return;
        }
    }
    e.kind = TRichTextEscape::Unknown;
}

int RichTextFontSize(const DString& value, int current, int base)
{
    int size;
    if (value == "reset")
        size = base;
    else if (value.c_str()[0] == '+')
        size = current + value.Length();
    else if (value.c_str()[0] == '-')
        size = current - value.Length();
    else
        size = value.atoi();
    return size > 0 ? std::min(size, kMaxFontSize) : current;
}

void ParseRichTextImage(const DString& fields, TRichTextImage& image)
{
    Vector<DString> parts;
    // Empty fields count: split by hand.
    int from = 0;
    for (int k = 0; k < 7; ++k) {
        const int bar = fields.strchr('|', from);
        const int end = bar < 0 ? fields.Length() : bar;
        const DString part = fields.SubString(from, end - from);
        switch (k) {
        case 0: image.name = part; break;
        case 1: image.width = Clamp(part.atoi(), 0, kMaxImageSide); break;
        case 2: image.height = Clamp(part.atoi(), 0, kMaxImageSide); break;
        case 3: image.floating = part == "left"; break;
        case 4: image.hMargin = Clamp(part.atoi(), 0, kMaxImageSide); break;
        case 5: image.vMargin = Clamp(part.atoi(), 0, kMaxImageSide); break;
        case 6: image.angle = part.atoi(); break;
        }
        if (bar < 0)
            break;
        from = bar + 1;
    }
    if (image.hMargin == 0)
        image.hMargin = 10;
    if (image.vMargin == 0)
        image.vMargin = 5;
}

void RichTextImageSize(const TRichTextImage& image, const TDibIG& bitmap, int available, int& width,
                       int& height)
{
    width = image.width ? image.width : bitmap.Width();
    height = image.height ? image.height : bitmap.AbsHeight();
    available = std::max(available, 0);
    if (width > available) {
        height = (int)((double)available * height / width);
        width = available;
    }
}

bool ApplyRichTextStyle(const TRichTextEscape& e, TPDAUIEngineStyleFont& font, int baseSize)
{
    switch (e.kind) {
    case TRichTextEscape::Bold: font.bold = true; return true;
    case TRichTextEscape::NoBold: font.bold = false; return true;
    case TRichTextEscape::Italic: font.italic = true; return true;
    case TRichTextEscape::NoItalic: font.italic = false; return true;
    case TRichTextEscape::Underline: font.underline = true; return false;
    case TRichTextEscape::NoUnderline: font.underline = false; return false;
    case TRichTextEscape::FontSize: {
        const int size = RichTextFontSize(e.value, font.size, baseSize);
        if (size == font.size)
            return false;
        font.size = size;
        return true;
    }
    default:
        return false;
    }
}

int RichTextMinimumLineRoom()
{
    return 50 * (int)TPDAUIEngineSkinSettings::CurrentScale();
}

TSizeIG LayoutRichText(TPDAUIEngineFontRendererTTF& renderer, TSizeIG& extent,
                       TPDAUIEngineStyleFont& font, TCachedSize*& size, DUString& text, int flags,
                       int maxWidth, std::vector<int>* widths, std::vector<int>* blankCounts,
                       std::vector<bool>* endsWithBreak, std::vector<int>* heights,
                       std::vector<int>* descenders, int maxLines)
{
    const LineRecords records{0, widths, blankCounts, endsWithBreak, heights, descenders};
    Layout layout(renderer, font, size, text, flags, maxWidth, records, maxLines);
    extent = layout.Run();
    return extent;
}
