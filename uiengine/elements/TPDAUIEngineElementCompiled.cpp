// The element's compiled record: written by Save, read by OnLoad with a stream.
#include <cstdint>
#include <string>

#include "enginelib/base/CodePage.h"
#include "enginelib/base/TFicheroITV.h"
#include "enginelib/draw/IDC.h"
#include "uiengine/elements/TPDAUIEngineElement.h"
#include "uiengine/elements/TPDAUIEngineElementFactory.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"

namespace {

const int kLastAlign = TPDAUIEngineElement::AlignAutoInvert;
const int kLastBorderStyle = TPDAUIEngineStyleBorder::StyleLeftTop;
const int kLastBackgroundKind = TPDAUIEngineStyleBackground::KindVertical;

// Compiled pages use compiled bitmaps: a ".bmp" ending becomes ".cbmp".
DString CompiledImageName(const DString& name)
{
    if (!name.EndsWith(".bmp"))
        return name;
    DString out = name.SubString(0, name.Length() - 4);
    out << ".cbmp";
    return out;
}

// The font scale of the drawing context for the UI scale in force.
float FontScale(float uiScale) { return IDC::GetFontScreenScale(uiScale); }

int16_t ToShort(int v) { return (int16_t)(v < INT16_MIN ? INT16_MIN : (v > INT16_MAX ? INT16_MAX : v)); }

} // namespace

namespace {

// A string of the record, left where the stream holds it (see LeeTexto).
struct TText {
    const char* text = "";
    uint32_t length = 0;

    bool IsEmpty() const { return length == 0; }
};

// The element's strings get the process code page, as a DString read from
// the stream does.
void Assign(DString& to, const TText& from, int codepage)
{
    if (from.IsEmpty()) {
        if (!to.IsEmpty())
            to.Empty();
        to.SetCodepage(codepage);
        return;
    }
    to = CDString(from.text, (int)from.length, codepage);
}

// Values of a record in a block of memory, decoded in place. A run of fixed
// values is checked against the end once (Need) and then read without checks;
// a string checks its own length. Once a check fails the reader has failed and
// the record is given up.
class TBlockFields {
public:
    TBlockFields(const unsigned char* begin, uint32_t length) : begin_(begin), at_(begin), end_(begin + length) {}

    bool Need(uint32_t bytes)
    {
        if ((uint32_t)(end_ - at_) >= bytes)
            return true;
        at_ = end_;
        failed_ = true;
        return false;
    }
    // Only after a Need that covers them.
    uint32_t U8() { return *at_++; }
    uint32_t U16()
    {
        const uint32_t v = uint32_t(at_[0]) | uint32_t(at_[1]) << 8;
        at_ += 2;
        return v;
    }
    uint32_t U32()
    {
        const uint32_t v = uint32_t(at_[0]) | uint32_t(at_[1]) << 8 | uint32_t(at_[2]) << 16 | uint32_t(at_[3]) << 24;
        at_ += 4;
        return v;
    }
    bool Text(TText& t)
    {
        if (!Need(4))
            return false;
        const uint32_t length = U32();
        if (length == 0)
            return true;
        if ((uint32_t)(end_ - at_) < length || length > 0x7FFFFFFFu) {
            at_ = end_;
            failed_ = true;
            return false;
        }
        t.text = reinterpret_cast<const char*>(at_);
        t.length = length;
        at_ += length;
        return true;
    }
    bool Failed() const { return failed_; }
    uint32_t Used() const { return (uint32_t)(at_ - begin_); }

private:
    const unsigned char* begin_;
    const unsigned char* at_;
    const unsigned char* end_;
    bool failed_ = false;
};

// The same values from a stream over a file: every read is checked by the
// stream (a failed one gives zero), strings are copied into the reader.
class TStreamFields {
public:
    explicit TStreamFields(TFicheroITV& s) : s_(s) {}

    bool Need(uint32_t) { return !s_.Error(); }
    uint32_t U8()
    {
        unsigned char v = 0;
        s_ >> v;
        return v;
    }
    uint32_t U16()
    {
        unsigned short v = 0;
        s_ >> v;
        return v;
    }
    uint32_t U32()
    {
        unsigned int v = 0;
        s_ >> v;
        return v;
    }
    bool Text(TText& t)
    {
        if (used_ >= kTexts) {
            TPDAUIEngineElement::FailCompiled(s_);
            return false;
        }
        s_.LeeTexto(t.text, t.length, own_[used_++]);
        return !s_.Error();
    }
    bool Failed() const { return s_.Error(); }

private:
    enum { kTexts = 16 };  // a record has 14
    TFicheroITV& s_;
    std::string own_[kTexts];
    int used_ = 0;
};

int ScaledLength(int value, float scale)
{
    return scale == 1.0f ? value : TPDAUIEngineUIScale::Multiply(value, scale);
}

int SignedByte(uint32_t v) { return (signed char)(unsigned char)v; }

} // namespace

// Fields 3 to 38, as read; applied to the element only when all are sound.
// Strings stay in the stream's block and plain values in the record, so that
// reading one allocates nothing. Lengths of the borders, padding and margins
// are scaled as they are read, as their own readers do.
struct TPDAUIEngineElement::CompiledElementRecord {
    struct TBackground {
        unsigned char kind = 0, alpha = 0;
        uint32_t colour = 0;
        TText imageName;
        int x = 0, y = 0, w = 0, h = 0, edge = 0;
    };

    TText id;
    int left = 0, top = 0, width = 0, height = 0;
    int minimumHeight = 0, minimumWidth = 0, maximumHeight = 0, maximumWidth = 0;
    TPDAUIEngineStyleBorder borders[5];
    TPDAUIEnginePadding padding;
    TPDAUIEngineMargins margins;
    uint32_t foregrounds[5] = {};
    TBackground backgrounds[5];
    unsigned char pack = 0, align = 0;
    TText fontName;
    unsigned char fontSize = 0;
    bool fontFlags[9] = {};  // bold, italic, underline, upperCase, lowerCase, simplifyCharacters,
                             // bordered, shadowed, richText
    short fontOrientation = 0, fontPaddingEllipsis = 0;
    TText shortcut;
    unsigned char visible = 0, enabled = 0, flex = 0, colspan = 0, rowspan = 0;
    TText imageName, label, onCommand, onCommandSound, onContextMenuCommand;
    unsigned int timerInterval = 0;
    bool isFocusable = false, isClickable = false;
    TText className;
    bool allowMouseDownAfterPopupClose = false, avoidPaddingRescale = false;
    bool avoidMarginRescale = false, catchMouseEventsAlways = false;

    // Reads in stream order; false when the stream ran short or a value is one
    // the writer never writes.
    bool Read(TFicheroITV& s, float scale)
    {
        uint32_t length = 0;
        if (const unsigned char* block = s.BloqueRestante(length)) {
            TBlockFields fields(block, length);
            if (!ReadFrom(fields, scale))
                return false;
            s.Avanza(fields.Used());
            return Sound();
        }
        TStreamFields fields(s);
        return ReadFrom(fields, scale) && Sound();
    }

private:
    // Sizes of the fixed runs between the strings.
    enum {
        kHead = 8 * 4 + 5 * 12 + 5 + 8 + 5 * 4,  // sizes, borders, padding, margins, foregrounds
        kBackgroundHead = 1 + 4,                  // kind, colour
        kBackgroundTail = 1 + 5 * 4,              // alpha, rectangle, edge
        kFont = 1 + 6 + 2 + 3 + 2,                // size, flags, orientation, flags, ellipsis
    };

    template <class R>
    bool ReadFrom(R& r, float scale)
    {
        auto i32 = [&r] { return (int)r.U32(); };
        auto u8 = [&r] { return (unsigned char)r.U8(); };
        if (!r.Text(id) || !r.Need(kHead))
            return false;
        left = i32();
        top = i32();
        width = i32();
        height = i32();
        minimumHeight = i32();
        minimumWidth = i32();
        maximumHeight = i32();
        maximumWidth = i32();
        // As TPDAUIEngineStyleBorder::ReadCompiled: width, style, colour, shade, alpha, radius.
        for (TPDAUIEngineStyleBorder& b : borders) {
            b.width = ScaledLength(SignedByte(u8()), scale);
            b.style = u8();
            b.colour = TColorIG(r.U32());
            b.shade = TColorIG(r.U32());
            b.alpha = u8();
            b.radius = ScaledLength(SignedByte(u8()), scale);
        }
        // As TPDAUIEnginePadding::LoadCompiled and TPDAUIEngineMargins::LoadCompiled.
        for (int* v : {&padding.left, &padding.top, &padding.right, &padding.bottom, &padding.inner})
            *v = ScaledLength(SignedByte(u8()), scale);
        int m[4];
        for (int& v : m)
            v = SignedByte(u8());
        margins.leftPercent = u8() != 0;
        margins.topPercent = u8() != 0;
        margins.rightPercent = u8() != 0;
        margins.bottomPercent = u8() != 0;
        margins.left = margins.leftPercent ? m[0] : ScaledLength(m[0], scale);
        margins.top = margins.topPercent ? m[1] : ScaledLength(m[1], scale);
        margins.right = margins.rightPercent ? m[2] : ScaledLength(m[2], scale);
        margins.bottom = margins.bottomPercent ? m[3] : ScaledLength(m[3], scale);
        for (uint32_t& f : foregrounds)
            f = r.U32();
        // As TPDAUIEngineStyleBackground::ReadCompiled.
        for (TBackground& b : backgrounds) {
            if (!r.Need(kBackgroundHead))
                return false;
            b.kind = u8();
            b.colour = r.U32();
            if (!r.Text(b.imageName) || !r.Need(kBackgroundTail))
                return false;
            b.alpha = u8();
            b.x = i32();
            b.y = i32();
            b.w = i32();
            b.h = i32();
            b.edge = i32();
        }
        if (!r.Need(2))
            return false;
        pack = u8();
        align = u8();
        // As TPDAUIEngineStyleFont::ReadCompiled.
        if (!r.Text(fontName) || !r.Need(kFont))
            return false;
        fontSize = u8();
        for (int i = 0; i < 6; ++i)
            fontFlags[i] = u8() != 0;
        fontOrientation = (short)r.U16();
        for (int i = 6; i < 9; ++i)
            fontFlags[i] = u8() != 0;
        fontPaddingEllipsis = (short)r.U16();
        if (!r.Text(shortcut) || !r.Need(5))
            return false;
        visible = u8();
        enabled = u8();
        flex = u8();
        colspan = u8();
        rowspan = u8();
        for (TText* t : {&imageName, &label, &onCommand, &onCommandSound, &onContextMenuCommand})
            if (!r.Text(*t))
                return false;
        if (!r.Need(4 + 2))
            return false;
        timerInterval = r.U32();
        isFocusable = u8() != 0;
        isClickable = u8() != 0;
        if (!r.Text(className) || !r.Need(4))
            return false;
        allowMouseDownAfterPopupClose = u8() != 0;
        avoidPaddingRescale = u8() != 0;
        avoidMarginRescale = u8() != 0;
        catchMouseEventsAlways = u8() != 0;
        return !r.Failed();
    }

    bool Sound() const
    {
        if (pack > kLastAlign || align > kLastAlign)
            return false;
        for (const TPDAUIEngineStyleBorder& b : borders)
            if (b.style < 0 || b.style > kLastBorderStyle)
                return false;
        for (const TBackground& b : backgrounds)
            if (b.kind > kLastBackgroundKind)
                return false;
        return true;
    }
};

bool TPDAUIEngineElement::LoadCompiled(TFicheroITV& stream)
{
    const float scale = GetUIScale();
    CompiledElementRecord r;
    if (!r.Read(stream, scale)) {
        FailCompiled(stream);
        return false;
    }
    const int codepage = CodePage::Default();
    Assign(id, r.id, codepage);
    left = TPDAUIEngineUIScale::Multiply(r.left, scale);
    top = TPDAUIEngineUIScale::Multiply(r.top, scale);
    width = TPDAUIEngineUIScale::Multiply(r.width, scale);
    height = TPDAUIEngineUIScale::Multiply(r.height, scale);
    minimumHeight = TPDAUIEngineUIScale::Multiply(r.minimumHeight, scale);
    minimumWidth = TPDAUIEngineUIScale::Multiply(r.minimumWidth, scale);
    maximumHeight = TPDAUIEngineUIScale::Multiply(r.maximumHeight, scale);
    maximumWidth = TPDAUIEngineUIScale::Multiply(r.maximumWidth, scale);
    padding = r.padding;
    margins = r.margins;
    for (int i = 0; i < 5; ++i) {
        borders[i] = r.borders[i];
        foregrounds[i] = r.foregrounds[i];
        const CompiledElementRecord::TBackground& from = r.backgrounds[i];
        TPDAUIEngineStyleBackground& b = backgrounds[i];
        b.kind = from.kind;
        b.colour = TColorIG(from.colour);
        Assign(b.imageName, from.imageName, codepage);
        b.image = nullptr;
        b.alpha = from.alpha;
        b.x = from.x;
        b.y = from.y;
        b.w = from.w;
        b.h = from.h;
        b.edge = from.edge;
        b.offsetX = 0;
        b.offsetY = 0;
    }
    pack = r.pack;
    align = r.align;
    // Sizes are stored in skin pixels like every other length.
    Assign(font.name, r.fontName, codepage);
    font.size = TPDAUIEngineUIScale::Multiply(r.fontSize, FontScale(scale));
    font.bold = r.fontFlags[0];
    font.italic = r.fontFlags[1];
    font.underline = r.fontFlags[2];
    font.upperCase = r.fontFlags[3];
    font.lowerCase = r.fontFlags[4];
    font.simplifyCharacters = r.fontFlags[5];
    font.bordered = r.fontFlags[6];
    font.shadowed = r.fontFlags[7];
    font.richText = r.fontFlags[8];
    font.orientation = r.fontOrientation;
    font.paddingEllipsis = ToShort(TPDAUIEngineUIScale::Multiply(r.fontPaddingEllipsis, scale));
    font.CreateStockFont(nullptr);
    // A key name is parsed afresh: nothing of the old key is kept.
    shortcut.ctrl = shortcut.alt = shortcut.shift = false;
    shortcut.keyCode = 0;
    if (r.shortcut.IsEmpty())
        Assign(shortcut.keyName, r.shortcut, codepage);
    else
        shortcut.Parse(DString(r.shortcut.text, (int)r.shortcut.length));
    visible = r.visible != 0;
    enabled = r.enabled != 0;
    flex = r.flex;
    colspan = r.colspan;
    rowspan = r.rowspan;
    Assign(imageName, r.imageName, codepage);
    Assign(label, r.label, codepage);
    Assign(onCommand, r.onCommand, codepage);
    Assign(onCommandSound, r.onCommandSound, codepage);
    Assign(onContextMenuCommand, r.onContextMenuCommand, codepage);
    timerInterval = (int)r.timerInterval;
    isFocusable = r.isFocusable;
    isClickable = r.isClickable;
    Assign(className, r.className, codepage);
    allowMouseDownAfterPopupClose = r.allowMouseDownAfterPopupClose;
    avoidPaddingRescale = r.avoidPaddingRescale;
    avoidMarginRescale = r.avoidMarginRescale;
    // The records name their background images; the page's store has them.
    for (TPDAUIEngineStyleBackground& b : backgrounds)
        if (page && !b.imageName.IsEmpty())
            b.image = page->resources.GetImage(b.imageName.c_str(), false, false);
    catchMouseEventsAlways = r.catchMouseEventsAlways;
    return true;
}

void TPDAUIEngineElement::Save(TFicheroITV& s)
{
    const float scale = GetUIScale();
    s << (char)CompiledMark << tag << id;
    for (int v : {left, top, width, height, minimumHeight, minimumWidth, maximumHeight, maximumWidth})
        s << TPDAUIEngineUIScale::Divide(v, scale);
    for (const TPDAUIEngineStyleBorder& b : borders)
        b.WriteCompiled(s);
    // Loading undoes the scale on these when the element asks for it (above
    // scale 1); the record holds them as the reader expects, before that step.
    TPDAUIEnginePadding storedPadding = padding;
    TPDAUIEngineMargins storedMargins = margins;
    if (scale > 1.0f) {
        auto rescale = [scale](int& v) { v = TPDAUIEngineUIScale::Multiply(v, scale); };
        if (avoidPaddingRescale)
            for (int* v : {&storedPadding.left, &storedPadding.top, &storedPadding.right, &storedPadding.bottom})
                rescale(*v);
        if (avoidMarginRescale) {
            if (!margins.leftPercent) rescale(storedMargins.left);
            if (!margins.topPercent) rescale(storedMargins.top);
            if (!margins.rightPercent) rescale(storedMargins.right);
            if (!margins.bottomPercent) rescale(storedMargins.bottom);
        }
    }
    storedPadding.SaveCompiled(s);
    storedMargins.SaveCompiled(s);
    for (uint32_t f : foregrounds)
        s << (unsigned long)f;
    for (const TPDAUIEngineStyleBackground& b : backgrounds)
        b.WriteCompiled(s);
    s << (unsigned char)pack << (unsigned char)align;
    // The reader multiplies the size and the ellipsis room by the scale, so they
    // are stored divided, as every other length.
    TPDAUIEngineStyleFont stored(font);
    stored.size = TPDAUIEngineUIScale::Divide(font.size, FontScale(scale));
    stored.paddingEllipsis = ToShort(TPDAUIEngineUIScale::Divide(font.paddingEllipsis, scale));
    stored.WriteCompiled(s);
    shortcut.SaveCompiled(s);
    s << (unsigned char)(visible ? 1 : 0) << (unsigned char)(enabled ? 1 : 0);
    s << (unsigned char)flex << (unsigned char)colspan << (unsigned char)rowspan;
    s << CompiledImageName(imageName) << label << onCommand << onCommandSound << onContextMenuCommand;
    s << (unsigned int)timerInterval << (isFocusable != 0) << (isClickable != 0) << className;
    s << (allowMouseDownAfterPopupClose != 0) << (avoidPaddingRescale != 0) << (avoidMarginRescale != 0);
    s << (catchMouseEventsAlways != 0);
}

TPDAUIEngineElement* TPDAUIEngineElement::CreateFromCompiled(TPDAUIEngine* engine, TFicheroITV& stream)
{
    char mark = 0;
    DString childTag;
    stream >> mark >> childTag;
    if (stream.Error() || mark != CompiledMark) {
        FailCompiled(stream);
        return nullptr;
    }
    TPDAUIEngineElement* element = TPDAUIEngineElementFactory::CreateElementByTag(engine, childTag.c_str());
    if (!element)
        FailCompiled(stream);  // the rest of the stream would be out of step
    return element;
}

bool TPDAUIEngineElement::CheckCompiledCount(TFicheroITV& stream, int count)
{
    if (!stream.Error() && count >= 0 &&
        (uint64_t)count * MinimumCompiledRecordSize <= (uint64_t)stream.Restantes())
        return true;
    FailCompiled(stream);
    return false;
}

void TPDAUIEngineElement::FailCompiled(TFicheroITV& stream)
{
    // Moving past the end is the stream's own way of failing.
    if (!stream.Error())
        stream.Skip(stream.Restantes() + 1u);
    if (!stream.Error()) {
        // Only when the rest is 4 GiB long: reading past it fails all the same.
        char c = 0;
        stream.Seek(stream.FileSize());
        stream.Lee(&c, 1);
    }
}
