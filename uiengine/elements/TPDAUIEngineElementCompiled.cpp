// The element's compiled record: written by Save, read by OnLoad with a stream.
#include <cstdint>
#include <utility>

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

// Fields 3 to 38, as read; applied to the element only when all are sound.
struct TPDAUIEngineElement::CompiledElementRecord {
    DString id;
    int left = 0, top = 0, width = 0, height = 0;
    int minimumHeight = 0, minimumWidth = 0, maximumHeight = 0, maximumWidth = 0;
    TPDAUIEngineStyleBorder borders[5];
    TPDAUIEnginePadding padding;
    TPDAUIEngineMargins margins;
    uint32_t foregrounds[5] = {};
    TPDAUIEngineStyleBackground backgrounds[5];
    unsigned char pack = 0, align = 0;
    TPDAUIEngineStyleFont font;
    TPDAUIEngineKeyAttribute shortcut;
    unsigned char visible = 0, enabled = 0, flex = 0, colspan = 0, rowspan = 0;
    DString imageName, label, onCommand, onCommandSound, onContextMenuCommand;
    unsigned int timerInterval = 0;
    bool isFocusable = false, isClickable = false;
    DString className;
    bool allowMouseDownAfterPopupClose = false, avoidPaddingRescale = false;
    bool avoidMarginRescale = false, catchMouseEventsAlways = false;

    // Reads in stream order; false when the stream ran short or a value is one
    // the writer never writes.
    bool Read(TFicheroITV& s)
    {
        s >> id >> left >> top >> width >> height;
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
        for (TPDAUIEngineStyleBackground& b : backgrounds)
            b.ReadCompiled(s);
        s >> pack >> align;
        if (s.Error() || !font.ReadCompiled(s))
            return false;
        shortcut.LoadCompiled(s);
        s >> visible >> enabled >> flex >> colspan >> rowspan;
        s >> imageName >> label >> onCommand >> onCommandSound >> onContextMenuCommand;
        s >> timerInterval >> isFocusable >> isClickable >> className;
        s >> allowMouseDownAfterPopupClose >> avoidPaddingRescale >> avoidMarginRescale;
        s >> catchMouseEventsAlways;
        if (s.Error())
            return false;
        if (pack > kLastAlign || align > kLastAlign)
            return false;
        for (const TPDAUIEngineStyleBorder& b : borders)
            if (b.style < 0 || b.style > kLastBorderStyle)
                return false;
        for (const TPDAUIEngineStyleBackground& b : backgrounds)
            if (b.kind < 0 || b.kind > kLastBackgroundKind)
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
    // The record is dropped after this: its strings and styles are moved, not copied.
    id = std::move(r.id);
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
        borders[i] = std::move(r.borders[i]);
        foregrounds[i] = r.foregrounds[i];
        backgrounds[i] = std::move(r.backgrounds[i]);
    }
    pack = r.pack;
    align = r.align;
    const int32_t storedSize = r.font.size;
    font = std::move(r.font);
    // Sizes are stored in skin pixels like every other length.
    font.size = TPDAUIEngineUIScale::Multiply(font.size, FontScale(scale));
    font.paddingEllipsis = ToShort(TPDAUIEngineUIScale::Multiply(font.paddingEllipsis, scale));
    if (font.size != storedSize)
        font.CreateStockFont(nullptr);
    shortcut = std::move(r.shortcut);
    visible = r.visible != 0;
    enabled = r.enabled != 0;
    flex = r.flex;
    colspan = r.colspan;
    rowspan = r.rowspan;
    imageName = std::move(r.imageName);
    label = std::move(r.label);
    onCommand = std::move(r.onCommand);
    onCommandSound = std::move(r.onCommandSound);
    onContextMenuCommand = std::move(r.onContextMenuCommand);
    timerInterval = (int)r.timerInterval;
    isFocusable = r.isFocusable;
    isClickable = r.isClickable;
    className = std::move(r.className);
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
