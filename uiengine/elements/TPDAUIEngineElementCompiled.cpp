// The element's compiled record: written by Save, read by OnLoad with a stream.
#include <cstdint>
#include <cstring>
#include <string>

#include "enginelib/base/CodePage.h"
#include "enginelib/base/SameBytes.h"
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

// Every field a record sets, compared with the defaults.
bool IsDefault(const TPDAUIEngineStyleBorder& b)
{
    static const TPDAUIEngineStyleBorder d;
    return b.width == d.width && b.style == d.style && b.colour.color == d.colour.color &&
           b.shade.color == d.shade.color && b.alpha == d.alpha && b.radius == d.radius;
}

} // namespace

namespace {

// Fields 3 to 38 of an element record (from the id on) are runs of fixed-size
// values between strings (a 4-byte length, then the bytes). The reader first
// walks these parts checking every length against the end, and the values the
// element would refuse; only then does it decode them straight into the
// element, so that a damaged record leaves the element as it was.
enum : uint32_t {
    kText = 0,
    kHead = 8 * 4 + 5 * 12 + 5 + 8 + 5 * 4,  // sizes, borders, padding, margins, foregrounds
    kBackgroundHead = 1 + 4,                  // kind, colour
    kBackgroundTail = 1 + 5 * 4,              // alpha, rectangle, edge
    kFont = 1 + 6 + 2 + 3 + 2,                // size, flags, orientation, flags, ellipsis
};
constexpr uint32_t kRecordParts[] = {
    kText,  // id
    kHead,
    kBackgroundHead, kText, kBackgroundTail,
    kBackgroundHead, kText, kBackgroundTail,
    kBackgroundHead, kText, kBackgroundTail,
    kBackgroundHead, kText, kBackgroundTail,
    kBackgroundHead, kText, kBackgroundTail,
    2,      // pack, align
    kText,  // font name
    kFont,
    kText,  // shortcut
    5,      // visible, enabled, flex, colspan, rowspan
    kText, kText, kText, kText, kText,  // image, label, onCommand, onCommandSound, onContextMenuCommand
    4 + 2,  // timer interval, focusable, clickable
    kText,  // class name
    4,      // allowMouseDownAfterPopupClose, avoidPaddingRescale, avoidMarginRescale, catchMouseEventsAlways
};

// Values lie as the stream stores them. On a little-endian host that is a plain
// load, which the compiler can also merge with its neighbours.
inline uint32_t Load32(const unsigned char* p)
{
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    uint32_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
#else
    return TFicheroITV::DecodeU32(p);
#endif
}

// The same layout seen from the strings: where each string's length lies when
// the strings before it are empty, and the fixed bytes of a record whose
// strings are all empty. Only the strings need checking as the record is
// walked; the runs between them have known sizes.
constexpr int CountTexts()
{
    int n = 0;
    for (uint32_t size : kRecordParts)
        n += size == kText;
    return n;
}
const int kTexts = CountTexts();
struct TTextGaps {
    uint32_t start[kTexts] = {};
    uint32_t fixed = 0;
};
constexpr TTextGaps MakeTextGaps()
{
    TTextGaps gaps;
    uint32_t at = 0;
    int text = 0;
    for (uint32_t size : kRecordParts) {
        if (size == kText) {
            gaps.start[text++] = at;
            at += 4;
        } else {
            at += size;
        }
    }
    gaps.fixed = at;
    return gaps;
}
constexpr TTextGaps kGaps = MakeTextGaps();
// Strings by their place among the strings.
enum { kIdText = 0, kFirstBackgroundText = 1, kFontNameText = 6, kImageText = 8, kRunTexts = 5 };
// One background's bytes with an empty name: kind, colour, name length, alpha, rectangle and edge.
const int kBackgroundBytes = kBackgroundHead + 4 + kBackgroundTail;
static_assert(kGaps.start[kFirstBackgroundText + 4] - kGaps.start[kFirstBackgroundText] == 4 * kBackgroundBytes,
              "record layout");
// The image name, label and three commands lie one after the other.
static_assert(kGaps.start[kImageText + kRunTexts - 1] - kGaps.start[kImageText] == 4 * (kRunTexts - 1),
              "record layout");
static_assert(kTexts == 14 && kGaps.start[kFontNameText] - kGaps.start[kFontNameText - 1] ==
                                  4 + kBackgroundTail + 2,
              "record layout");

// Where a measured record's parts begin (a string's at its length).
struct TRecordParts {
    const unsigned char* texts[kTexts];
    bool nameless;  // no background names an image: their five runs lie together
    bool noRun;     // the run from the image name on is all empty strings
    bool defaultBorders;  // the five borders hold the writer's bytes for the defaults

    const unsigned char* Head() const { return texts[kIdText] + 4 + Load32(texts[kIdText]); }
    const unsigned char* BackgroundHead(int i) const { return BackgroundText(i) - kBackgroundHead; }
    const unsigned char* BackgroundText(int i) const { return texts[kFirstBackgroundText + i]; }
    const unsigned char* Pack() const { return texts[kFontNameText] - 2; }
};

// The bytes the record takes at the front of block, or 0 when it does not fit
// or holds a value the writer never writes. defaultBorders: the bytes of five
// default borders (or null), which need no check of their styles.
uint32_t MeasureRecord(const unsigned char* block, uint32_t length, const unsigned char* defaultBorders,
                       TRecordParts& parts)
{
    // The record fits when its fixed bytes and its strings do; every length
    // lies before the end of the fixed bytes, so the room the strings have
    // left is the only thing to check as they are walked.
    if (length < kGaps.fixed)
        return 0;
    uint32_t room = length - kGaps.fixed;
    uint32_t texts = 0;  // the bytes of the strings so far
    // Most strings are empty: on that branch the next length's place does not
    // wait for this one to be read.
    auto walk = [&](int i) {
        const unsigned char* at = block + kGaps.start[i] + texts;
        parts.texts[i] = at;
        const uint32_t size = Load32(at);
        if (size != 0) {
            if (size > 0x7FFFFFFFu || size > room)
                return false;
            room -= size;
            texts += size;
        }
        return true;
    };
    if (!walk(kIdText))
        return 0;
    // The five background names, most often all empty: their lengths lie
    // one background apart then, and are seen together.
    const unsigned char* names = block + kGaps.start[kFirstBackgroundText] + texts;
    uint32_t anyName = 0;
    for (int i = 0; i < 5; ++i)
        anyName |= Load32(names + i * kBackgroundBytes);
    parts.nameless = anyName == 0;
    if (parts.nameless) {
        for (int i = 0; i < 5; ++i)
            parts.texts[kFirstBackgroundText + i] = names + i * kBackgroundBytes;
        const unsigned char* kinds = names - kBackgroundHead;
        for (int i = 0; i < 5; ++i)
            if (kinds[i * kBackgroundBytes] > kLastBackgroundKind)
                return 0;
    } else {
#pragma GCC unroll 5
        for (int i = kFirstBackgroundText; i < kFirstBackgroundText + 5; ++i)
            if (!walk(i))
                return 0;
        for (int i = 0; i < 5; ++i)
            if (parts.BackgroundHead(i)[0] > kLastBackgroundKind)
                return 0;
    }
#pragma GCC unroll 2
    for (int i = kFirstBackgroundText + 5; i < kImageText; ++i)
        if (!walk(i))
            return 0;
    // Five strings in a row, most often all empty: their zero lengths compared at once.
    static const unsigned char kNoRun[4 * kRunTexts] = {};
    const unsigned char* run = block + kGaps.start[kImageText] + texts;
    parts.noRun = SameBytes(run, kNoRun, sizeof kNoRun);
    if (parts.noRun) {
        for (int i = 0; i < kRunTexts; ++i)
            parts.texts[kImageText + i] = run + 4 * i;
    } else {
        for (int i = kImageText; i < kImageText + kRunTexts; ++i)
            if (!walk(i))
                return 0;
    }
#pragma GCC unroll 2
    for (int i = kImageText + kRunTexts; i < kTexts; ++i)
        if (!walk(i))
            return 0;
    const uint32_t at = kGaps.fixed + texts;
    const unsigned char* pack = parts.Pack();
    if (pack[0] > kLastAlign || pack[1] > kLastAlign)
        return 0;
    const unsigned char* borders = parts.Head() + 8 * 4;
    parts.defaultBorders = defaultBorders && SameBytes(borders, defaultBorders, 5 * 12);
    if (!parts.defaultBorders)
        for (int i = 0; i < 5; ++i)
            if (borders[12 * i + 1] > kLastBorderStyle)
                return 0;
    return at;
}

// The record's bytes taken from a stream over a file, part by part, as they
// lie in a block; false when the stream runs short.
bool CollectRecord(TFicheroITV& s, std::string& bytes)
{
    for (uint32_t size : kRecordParts) {
        if (size == kText) {
            unsigned char length[4];
            if (s.Lee(length, 4) != 4)
                return false;
            size = Load32(length);
            if (size > 0x7FFFFFFFu || size > s.Restantes())
                return false;
            bytes.append(reinterpret_cast<const char*>(length), 4);
        }
        if (size == 0)
            continue;
        bytes.resize(bytes.size() + size);
        if (s.Lee(&bytes[bytes.size() - size], size) != size)
            return false;
    }
    return !s.Error();
}

// Values of a record MeasureRecord accepted, in order.
class TRecordCursor {
public:
    TRecordCursor(const unsigned char* at, const unsigned char* end) : at_(at), end_(end) {}
    uint32_t U8() { return *at_++; }
    uint32_t U16()
    {
        const uint32_t v = uint32_t(at_[0]) | uint32_t(at_[1]) << 8;
        at_ += 2;
        return v;
    }
    uint32_t U32()
    {
        const uint32_t v = Load32(at_);
        at_ += 4;
        return v;
    }
    int I32() { return (int)U32(); }
    // The element's strings get the process code page, as a DString read from
    // the stream does.
    void Text(DString& to, int codepage)
    {
        const uint32_t length = U32();
        if (length == 0) {
            if (!to.IsEmpty())
                to.Empty();
            to.SetCodepage(codepage);
            return;
        }
        // Most strings are short ids and names with more of the record after them.
        if (end_ - at_ >= 16)
            to.AssignFrom16(reinterpret_cast<const char*>(at_), (int)length, codepage);
        else
            to = CDString(reinterpret_cast<const char*>(at_), (int)length, codepage);
        at_ += length;
    }
    // On to a part MeasureRecord found further on.
    void Skip(const unsigned char* to) { at_ = to; }
    const unsigned char* At() const { return at_; }
    // A string as it lies in the record.
    CDString View(int codepage)
    {
        const uint32_t length = U32();
        const CDString text(reinterpret_cast<const char*>(at_), (int)length, codepage);
        at_ += length;
        return text;
    }

private:
    const unsigned char* at_;
    const unsigned char* end_;  // of the record
};

// As TPDAUIEngineUIScale::Multiply, without the call at scale 1 for the
// lengths a float holds exactly.
int ScaledLength(int value, float scale)
{
    if (scale == 1.0f && value > -(1 << 24) && value < (1 << 24))
        return value;
    return TPDAUIEngineUIScale::Multiply(value, scale);
}

int SignedByte(uint32_t v) { return (signed char)(unsigned char)v; }

void Store32(unsigned char* p, uint32_t v)
{
    p[0] = (unsigned char)v;
    p[1] = (unsigned char)(v >> 8);
    p[2] = (unsigned char)(v >> 16);
    p[3] = (unsigned char)(v >> 24);
}

// The bytes of five default backgrounds as the writer stores them: kind,
// colour, an empty name, alpha, rectangle and edge, one after the other.
struct TDefaultBackgrounds {
    unsigned char bytes[5 * kBackgroundBytes];
    bool usable;
    TDefaultBackgrounds()
    {
        const TPDAUIEngineStyleBackground d;
        unsigned char one[kBackgroundBytes] = {};
        one[0] = (unsigned char)d.kind;
        Store32(one + 1, d.colour.color);
        Store32(one + 5, 0);
        one[9] = (unsigned char)d.alpha;
        int at = 10;
        for (int v : {d.x, d.y, d.w, d.h, d.edge}) {
            Store32(one + at, (uint32_t)v);
            at += 4;
        }
        for (int i = 0; i < 5; ++i)
            std::memcpy(bytes + i * kBackgroundBytes, one, sizeof one);
        // Read back, these bytes must give the defaults in full.
        usable = d.kind >= 0 && d.kind <= 255 && d.alpha >= 0 && d.alpha <= 255 && d.offsetX == 0 &&
                 d.offsetY == 0 && !d.image && d.imageName.IsEmpty();
    }
};

// Whether the five backgrounds of a measured record are the defaults, as
// ReadBackground would leave them. With their names empty they lie together,
// as the bytes of five default ones.
bool DefaultBackgrounds(const TRecordParts& parts)
{
    static const TDefaultBackgrounds d;
    return d.usable && SameBytes(parts.BackgroundHead(0), d.bytes, sizeof d.bytes);
}

// The bytes of five borders that read as the defaults at a scale, when the
// writer's own bytes for them do; null when they do not.
struct TDefaultBorders {
    unsigned char bytes[5 * 12];
    bool usable = false;
    void Make(float scale)
    {
        const TPDAUIEngineStyleBorder d;
        const int width = TPDAUIEngineUIScale::DivideToByte(d.width, scale);
        const int radius = TPDAUIEngineUIScale::DivideToByte(d.radius, scale);
        unsigned char one[12];
        one[0] = (unsigned char)width;
        one[1] = (unsigned char)d.style;
        Store32(one + 2, d.colour.color);
        Store32(one + 6, d.shade.color);
        one[10] = (unsigned char)d.alpha;
        one[11] = (unsigned char)radius;
        for (int i = 0; i < 5; ++i)
            std::memcpy(bytes + 12 * i, one, sizeof one);
        TPDAUIEngineStyleBorder back = d;
        back.width = ScaledLength(SignedByte(one[0]), scale);
        back.radius = ScaledLength(SignedByte(one[11]), scale);
        back.style = one[1];
        back.alpha = one[10];
        usable = IsDefault(back);
    }
    const unsigned char* Bytes() const { return usable ? bytes : nullptr; }
};
const unsigned char* DefaultBorderBytes(float scale)
{
    // Scale 1, the usual one, is made once for all threads.
    if (scale == 1.0f) {
        static const TDefaultBorders atOne = [] {
            TDefaultBorders d;
            d.Make(1.0f);
            return d;
        }();
        return atOne.Bytes();
    }
    struct Memo {
        bool made = false;
        float scale = 0.0f;
        TDefaultBorders borders;
    };
    static thread_local Memo memo;
    if (!memo.made || memo.scale != scale) {
        memo.borders.Make(scale);
        memo.scale = scale;
        memo.made = true;
    }
    return memo.borders.Bytes();
}

} // namespace

bool TPDAUIEngineElement::LoadCompiled(TFicheroITV& stream)
{
    uint32_t length = 0;
    const unsigned char* block = stream.BloqueRestante(length);
    if (!block) {
        // A stream over a file: the record's bytes are gathered, then read as
        // from memory. Apart, so that a record in memory pays nothing for it.
        std::string collected;
        TFicheroITVdatos bytes;
        if (!CollectRecord(stream, collected) ||
            !bytes.Abre(collected.data(), ITV_LEER, (uint32_t)collected.size()) || !LoadCompiled(bytes)) {
            FailCompiled(stream);
            return false;
        }
        return true;
    }
    const float scale = GetUIScale();
    TRecordParts parts;
    const uint32_t used = MeasureRecord(block, length, DefaultBorderBytes(scale), parts);
    if (used == 0) {
        FailCompiled(stream);
        return false;
    }
    stream.Avanza(used);

    const int codepage = CodePage::Default();
    TRecordCursor r(block, block + used);
    r.Text(id, codepage);
    // Straight from the bytes into the fields, not through a list of their places.
    int sizes[8];
    for (int& v : sizes)
        v = r.I32();
    if (scale != 1.0f) {
        for (int& v : sizes)
            v = TPDAUIEngineUIScale::Multiply(v, scale);
    } else {
        // At scale 1 the lengths stay as they are unless one is too long for a
        // float to hold exactly (at or past 2^24 either way): one test for all.
        uint32_t far = 0;
        for (int v : sizes)
            far |= (uint32_t)v + (1u << 24);
        if (far >> 25)
            for (int& v : sizes)
                v = ScaledLength(v, 1.0f);
    }
    left = sizes[0];
    top = sizes[1];
    width = sizes[2];
    height = sizes[3];
    minimumHeight = sizes[4];
    minimumWidth = sizes[5];
    maximumHeight = sizes[6];
    maximumWidth = sizes[7];
    // Styles read as the defaults leave the element on the shared defaults, as an
    // element loaded from XML without them is. Most records hold the writer's
    // own bytes for them, seen at a glance.
    if (parts.defaultBorders) {
        borders.Reset();
        r.Skip(r.At() + 5 * 12);
    } else {
        // As TPDAUIEngineStyleBorder::ReadCompiled: width, style, colour, shade, alpha, radius.
        // Made straight into the element's own five, or none when they read as
        // the defaults after all.
        const unsigned char* at = r.At();
        auto read = [scale](const unsigned char* b) __attribute__((always_inline)) {
            TPDAUIEngineStyleBorder border;
            border.width = ScaledLength(SignedByte(b[0]), scale);
            border.style = (int)b[1];
            border.colour = TColorIG(Load32(b + 2));
            border.shade = TColorIG(Load32(b + 6));
            border.alpha = (int)b[10];
            border.radius = ScaledLength(SignedByte(b[11]), scale);
            return border;
        };
        // A border given for the element holds the same bytes for every state:
        // the first one read serves for all five then.
        if (SameBytes(at, at + 12, 4 * 12)) {
            const TPDAUIEngineStyleBorder one = read(at);
            if (IsDefault(one))
                borders.Reset();
            else
                borders.MakeEach([one](int) __attribute__((always_inline)) { return one; });
        } else {
            TPDAUIEngineStyleBorder five[5];
            bool allDefault = true;
            for (int s = 0; s < 5; ++s) {
                five[s] = read(at + 12 * s);
                allDefault = allDefault && IsDefault(five[s]);
            }
            if (allDefault)
                borders.Reset();
            else
                borders.MakeEach([&five](int s) { return five[s]; });
        }
        r.Skip(at + 5 * 12);
    }
    // As TPDAUIEnginePadding::LoadCompiled and TPDAUIEngineMargins::LoadCompiled.
    // Byte lengths come out as stored at scale 1: the scale is asked once.
    const unsigned char* pm = r.At();  // padding (5), margins (4), their percent flags (4)
    margins.leftPercent = pm[9] != 0;
    margins.topPercent = pm[10] != 0;
    margins.rightPercent = pm[11] != 0;
    margins.bottomPercent = pm[12] != 0;
    if (scale == 1.0f) {
        // Each byte straight to its field.
        padding.left = SignedByte(pm[0]);
        padding.top = SignedByte(pm[1]);
        padding.right = SignedByte(pm[2]);
        padding.bottom = SignedByte(pm[3]);
        padding.inner = SignedByte(pm[4]);
        margins.left = SignedByte(pm[5]);
        margins.top = SignedByte(pm[6]);
        margins.right = SignedByte(pm[7]);
        margins.bottom = SignedByte(pm[8]);
    } else {
        int p[5], m[4];
        for (int i = 0; i < 5; ++i)
            p[i] = TPDAUIEngineUIScale::Multiply(SignedByte(pm[i]), scale);
        const bool percent[4] = {margins.leftPercent, margins.topPercent, margins.rightPercent,
                                 margins.bottomPercent};
        for (int i = 0; i < 4; ++i) {
            m[i] = SignedByte(pm[5 + i]);
            if (!percent[i])
                m[i] = TPDAUIEngineUIScale::Multiply(m[i], scale);
        }
        padding.left = p[0];
        padding.top = p[1];
        padding.right = p[2];
        padding.bottom = p[3];
        padding.inner = p[4];
        margins.left = m[0];
        margins.top = m[1];
        margins.right = m[2];
        margins.bottom = m[3];
    }
    r.Skip(pm + 13);
    for (uint32_t& f : foregrounds)
        f = r.U32();
    // As TPDAUIEngineStyleBackground::ReadCompiled, straight into the element's
    // own styles; most records hold the defaults, seen from the bytes alone.
    bool named = false;  // a background names an image
    if (DefaultBackgrounds(parts)) {
        backgrounds.Reset();
    } else if (parts.nameless) {
        // Five runs of fixed size one after the other: no string to walk.
        const unsigned char* at = parts.BackgroundHead(0);
        // Kept inline: out of line, each state would pay for a call.
        backgrounds.MakeEach([&](int s) __attribute__((always_inline)) {
            const unsigned char* b = at + s * kBackgroundBytes;
            return TPDAUIEngineStyleBackground((int)b[0], TColorIG(Load32(b + 1)), codepage, (int)b[9],
                                               (int)Load32(b + 10), (int)Load32(b + 14), (int)Load32(b + 18),
                                               (int)Load32(b + 22), (int)Load32(b + 26));
        });
    } else {
        // Each one's values are taken in their order in the record before the
        // style is made of them.
        backgrounds.MakeEach([&](int) {
            const int kind = (int)r.U8();
            const TColorIG colour(r.U32());
            const CDString name = r.View(codepage);
            named |= !name.IsEmpty();
            const int alpha = (int)r.U8();
            const int x = r.I32();
            const int y = r.I32();
            const int w = r.I32();
            const int h = r.I32();
            const int edge = r.I32();
            return TPDAUIEngineStyleBackground(kind, colour, name, alpha, x, y, w, h, edge);
        });
    }
    r.Skip(parts.Pack());
    pack = (int)r.U8();
    align = (int)r.U8();
    // As TPDAUIEngineStyleFont::ReadCompiled. Sizes are stored in skin pixels
    // like every other length.
    r.Text(font.name, codepage);
    font.size = ScaledLength((int)r.U8(), FontScale(scale));
    font.bold = r.U8() != 0;
    font.italic = r.U8() != 0;
    font.underline = r.U8() != 0;
    font.upperCase = r.U8() != 0;
    font.lowerCase = r.U8() != 0;
    font.simplifyCharacters = r.U8() != 0;
    font.orientation = (short)r.U16();
    font.bordered = r.U8() != 0;
    font.shadowed = r.U8() != 0;
    font.richText = r.U8() != 0;
    font.paddingEllipsis = ToShort(ScaledLength((short)r.U16(), scale));
    font.CreateStockFont(nullptr);
    // A key name is parsed afresh: nothing of the old key is kept.
    shortcut.ctrl = shortcut.alt = shortcut.shift = false;
    shortcut.keyCode = 0;
    const CDString key = r.View(codepage);
    if (key.IsEmpty()) {
        if (!shortcut.keyName.IsEmpty())
            shortcut.keyName.Empty();
        shortcut.keyName.SetCodepage(codepage);
    } else {
        shortcut.Parse(DString(key.c_str(), key.Length()));
    }
    visible = r.U8() != 0;
    enabled = r.U8() != 0;
    flex = (int)r.U8();
    colspan = (int)r.U8();
    rowspan = (int)r.U8();
    if (parts.noRun) {
        // Most records have none of these: their zero lengths were seen at once.
        auto none = [codepage](DString& text) {
            if (!text.IsEmpty())
                text.Empty();
            text.SetCodepage(codepage);
        };
        none(imageName);
        none(label);
        none(onCommand);
        none(onCommandSound);
        none(onContextMenuCommand);
        r.Skip(r.At() + 4 * kRunTexts);
    } else {
        r.Text(imageName, codepage);
        r.Text(label, codepage);
        r.Text(onCommand, codepage);
        r.Text(onCommandSound, codepage);
        r.Text(onContextMenuCommand, codepage);
    }
    timerInterval = (int)r.U32();
    isFocusable = r.U8() != 0;
    isClickable = r.U8() != 0;
    r.Text(className, codepage);
    allowMouseDownAfterPopupClose = r.U8() != 0;
    avoidPaddingRescale = r.U8() != 0;
    avoidMarginRescale = r.U8() != 0;
    catchMouseEventsAlways = r.U8() != 0;
    // The records name their background images; the page's store has them.
    // States mostly share one image: a name asked just before gives the same
    // answer again.
    if (page && named) {
        const DString* asked = nullptr;
        TDibIG* answer = nullptr;
        for (int s = 0; s < 5; ++s) {
            const DString& name = backgrounds[s].imageName;
            if (name.IsEmpty())
                continue;
            if (!asked || !(*asked == name)) {
                answer = page->resources.GetImage(name.c_str(), false, false);
                asked = &name;
            }
            backgrounds.Edit(s).image = answer;
        }
    }
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
    return TPDAUIEngineElementFactory::CreateFromCompiledHeader(engine, stream, true);
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
