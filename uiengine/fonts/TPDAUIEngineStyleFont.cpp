#include "uiengine/fonts/TPDAUIEngineStyleFont.h"

#include <cstdint>
#include <cstring>
#include <utility>

#include "enginelib/base/SameBytes.h"
#include "enginelib/base/TFicheroITV.h"
#include "enginelib/draw/IDC.h"
#include "uiengine/core/TPDAUIEngineSkinSettings.h"
#include "uiengine/fonts/TPDAUIEngineFontManager.h"

namespace {

int ScaledLength(const char* value)
{
    return (int)((float)CDString(value).atoi() * TPDAUIEngineSkinSettings::CurrentScale());
}

} // namespace

TPDAUIEngineStyleFont::TPDAUIEngineStyleFont()
{
    // Every element starts with this font: its stock font is kept per thread
    // until the default family changes, instead of looked up each time.
    struct Default {
        unsigned generation = 0;
        bool made = false;
        int32_t id = 0;
        TFontIG* font = nullptr;
    };
    static thread_local Default made;
    const unsigned generation = TPDAUIEngineFontManager::DefaultFamilyGeneration();
    const DString& family = TPDAUIEngineFontManager::DefaultFamily();
    if (family.IsEmpty())
        name = "arial";
    else
        name = family;
    if (made.made && made.generation == generation) {
        stockFontId = made.id;
        stockFont = made.font;
        return;
    }
    CreateStockFont(nullptr);
    if (stockFontId != 0) {
        made.generation = generation;
        made.made = true;
        made.id = stockFontId;
        made.font = stockFont;
    }
}

void TPDAUIEngineStyleFont::SetAttribute(const char* attr, const char* value)
{
    if (!attr)
        return;
    struct Flag {
        const char* name;
        bool TPDAUIEngineStyleFont::*field;
    };
    static const Flag kFlags[] = {
        {"Bold", &TPDAUIEngineStyleFont::bold},
        {"Italic", &TPDAUIEngineStyleFont::italic},
        {"Underline", &TPDAUIEngineStyleFont::underline},
        {"UpperCase", &TPDAUIEngineStyleFont::upperCase},
        {"Lowercase", &TPDAUIEngineStyleFont::lowerCase},
        {"SimplifyCharacters", &TPDAUIEngineStyleFont::simplifyCharacters},
        {"Bordered", &TPDAUIEngineStyleFont::bordered},
        {"Shadowed", &TPDAUIEngineStyleFont::shadowed},
        {"RichText", &TPDAUIEngineStyleFont::richText},
    };
    for (const Flag& f : kFlags)
        if (std::strcmp(attr, f.name) == 0) {
            this->*f.field = value && std::strcmp(value, "true") == 0;
            return;
        }
    if (std::strcmp(attr, "PaddingEllipsis") == 0)
        paddingEllipsis = (int16_t)ScaledLength(value);
    else if (std::strcmp(attr, "Size") == 0)
        size = ScaledLength(value);
    else if (std::strcmp(attr, "Orientation") == 0)
        orientation = (int16_t)CDString(value).atoi();
    // "Name" is ignored on purpose: the family comes from the loaded fonts.
}

void TPDAUIEngineStyleFont::MakeStockFont(IDC* dc)
{
    if (dc) {
        dc->RestoreFont();
        if (TakeLastAnswer())
            return;
    }
    const int length = name.Length();
    for (unsigned k = 1; k < 4; ++k) {
        const unsigned slot = (made_.last + k) % 4;
        if (Answers(made_.slot[slot])) {
            made_.last = slot;
            stockFontId = made_.slot[slot].id;
            stockFont = made_.slot[slot].font;
            return;
        }
    }
    stockFontId = IDC::CreateStockFont(name.c_str(), size, 0, bold, 1.0f);
    stockFont = IDC::GetStockFont(stockFontId);
    if (stockFontId != 0 && length < (int)sizeof(made_.slot[0].name)) {
        made_.last = made_.next % 4;
        MadeFont& m = made_.slot[made_.next++ % 4];
        std::memcpy(m.name, name.c_str(), (size_t)length);
        m.length = length;
        m.size = size;
        m.bold = bold;
        m.id = stockFontId;
        m.font = stockFont;
    }
}

bool TPDAUIEngineStyleFont::WriteCompiled(TFicheroITV& s) const
{
    s << name << (unsigned char)size << bold << italic << underline << upperCase << lowerCase
      << simplifyCharacters << (short)orientation << bordered << shadowed << richText
      << (short)paddingEllipsis;
    return !s.Error();
}

bool TPDAUIEngineStyleFont::ReadCompiled(TFicheroITV& s)
{
    // Read into locals so that a truncated record leaves this descriptor whole.
    DString n;
    n.SetCodepage(name.GetCodepage());  // the read keeps the string's code page
    unsigned char sz = 0;
    bool b = false, it = false, ul = false, upper = false, lower = false, simplify = false;
    bool border = false, shadow = false, rich = false;
    short orient = 0, padding = 0;
    s >> n >> sz >> b >> it >> ul >> upper >> lower >> simplify >> orient >> border >> shadow >> rich >>
        padding;
    if (s.Error())
        return false;
    name = std::move(n);
    size = sz;
    bold = b;
    italic = it;
    underline = ul;
    upperCase = upper;
    lowerCase = lower;
    simplifyCharacters = simplify;
    orientation = orient;
    bordered = border;
    shadowed = shadow;
    richText = rich;
    paddingEllipsis = padding;
    CreateStockFont(nullptr);
    return true;
}
