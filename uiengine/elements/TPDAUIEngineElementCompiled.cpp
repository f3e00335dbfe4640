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
    std::string own;

    void Read(TFicheroITV& s) { s.LeeTexto(text, length, own); }
    bool IsEmpty() const { return length == 0; }
};

// The element's strings get the process code page, as a DString read from
// the stream does.
void Assign(DString& to, const TText& from)
{
    if (from.IsEmpty()) {
        if (!to.IsEmpty())
            to.Empty();
        to.SetCodepage(CodePage::Default());
        return;
    }
    to = CDString(from.text, (int)from.length, CodePage::Default());
}

// A background's fields, in the order TPDAUIEngineStyleBackground writes them.
struct TBackgroundFields {
    unsigned char kind = 0, alpha = 0;
    unsigned int colour = 0;
    TText imageName;
    int x = 0, y = 0, w = 0, h = 0, edge = 0;

    void Read(TFicheroITV& s)
    {
        s >> kind >> colour;
        imageName.Read(s);
        s >> alpha >> x >> y >> w >> h >> edge;
    }
};

// The font's fields, in the order TPDAUIEngineStyleFont writes them.
struct TFontFields {
    TText name;
    unsigned char size = 0;
    bool bold = false, italic = false, underline = false, upperCase = false, lowerCase = false;
    bool simplifyCharacters = false, bordered = false, shadowed = false, richText = false;
    short orientation = 0, paddingEllipsis = 0;

    void Read(TFicheroITV& s)
    {
        name.Read(s);
        s >> size >> bold >> italic >> underline >> upperCase >> lowerCase >> simplifyCharacters >>
            orientation >> bordered >> shadowed >> richText >> paddingEllipsis;
    }
};

} // namespace

// Fields 3 to 38, as read; applied to the element only when all are sound.
// Strings stay in the stream's block and plain values on the stack, so that
// reading a record allocates nothing.
struct TPDAUIEngineElement::CompiledElementRecord {
    TText id;
    int left = 0, top = 0, width = 0, height = 0;
    int minimumHeight = 0, minimumWidth = 0, maximumHeight = 0, maximumWidth = 0;
    TPDAUIEngineStyleBorder borders[5];
    TPDAUIEnginePadding padding;
    TPDAUIEngineMargins margins;
    uint32_t foregrounds[5] = {};
    TBackgroundFields backgrounds[5];
    unsigned char pack = 0, align = 0;
    TFontFields font;
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
    bool Read(TFicheroITV& s)
    {
        id.Read(s);
        s >> left >> top >> width >> height;
        s >> minimumHeight >> minimumWidth >> maximumHeight >> maximumWidth;
        for (TPDAUIEngineStyleBorder& b : borders)
            b.ReadCompiled(s);
        padding.LoadCompiled(s);
        margins.LoadCompiled(s);
        for (uint32_t& f : foregrounds) {
            unsigned long v = 0;
            s >> v;
            f = (uint32_t)v;
        }
        for (TBackgroundFields& b : backgrounds)
            b.Read(s);
        s >> pack >> align;
        font.Read(s);
        shortcut.Read(s);
        s >> visible >> enabled >> flex >> colspan >> rowspan;
        imageName.Read(s);
        label.Read(s);
        onCommand.Read(s);
        onCommandSound.Read(s);
        onContextMenuCommand.Read(s);
        s >> timerInterval >> isFocusable >> isClickable;
        className.Read(s);
        s >> allowMouseDownAfterPopupClose >> avoidPaddingRescale >> avoidMarginRescale;
        s >> catchMouseEventsAlways;
        if (s.Error())
            return false;
        if (pack > kLastAlign || align > kLastAlign)
            return false;
        for (const TPDAUIEngineStyleBorder& b : borders)
            if (b.style < 0 || b.style > kLastBorderStyle)
                return false;
        for (const TBackgroundFields& b : backgrounds)
            if (b.kind > kLastBackgroundKind)
                return false;
        return true;
    }
};

bool TPDAUIEngineElement::LoadCompiled(TFicheroITV& stream)
{
    const float scale = GetUIScale();
    CompiledElementRecord r;
    if (!r.Read(stream)) {
        FailCompiled(stream);
        return false;
    }
    Assign(id, r.id);
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
        const TBackgroundFields& from = r.backgrounds[i];
        TPDAUIEngineStyleBackground& b = backgrounds[i];
        b.kind = from.kind;
        b.colour = TColorIG(from.colour);
        Assign(b.imageName, from.imageName);
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
    Assign(font.name, r.font.name);
    font.size = TPDAUIEngineUIScale::Multiply(r.font.size, FontScale(scale));
    font.bold = r.font.bold;
    font.italic = r.font.italic;
    font.underline = r.font.underline;
    font.upperCase = r.font.upperCase;
    font.lowerCase = r.font.lowerCase;
    font.simplifyCharacters = r.font.simplifyCharacters;
    font.bordered = r.font.bordered;
    font.shadowed = r.font.shadowed;
    font.richText = r.font.richText;
    font.orientation = r.font.orientation;
    font.paddingEllipsis = ToShort(TPDAUIEngineUIScale::Multiply(r.font.paddingEllipsis, scale));
    font.CreateStockFont(nullptr);
    // A key name is parsed afresh: nothing of the old key is kept.
    shortcut.ctrl = shortcut.alt = shortcut.shift = false;
    shortcut.keyCode = 0;
    if (r.shortcut.IsEmpty())
        Assign(shortcut.keyName, r.shortcut);
    else
        shortcut.Parse(DString(r.shortcut.text, (int)r.shortcut.length));
    visible = r.visible != 0;
    enabled = r.enabled != 0;
    flex = r.flex;
    colspan = r.colspan;
    rowspan = r.rowspan;
    Assign(imageName, r.imageName);
    Assign(label, r.label);
    Assign(onCommand, r.onCommand);
    Assign(onCommandSound, r.onCommandSound);
    Assign(onContextMenuCommand, r.onContextMenuCommand);
    timerInterval = (int)r.timerInterval;
    isFocusable = r.isFocusable;
    isClickable = r.isClickable;
    Assign(className, r.className);
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
