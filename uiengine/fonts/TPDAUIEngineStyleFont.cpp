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

namespace {

// Every element makes its stock font, most of them the same few: the library's
// table only grows and gives the same font for the same request, so the last
// answers are kept here. Plain values only, so that the thread's copy is
// reached without a call; longer names are not kept.
struct MadeFont {
    char name[32];
    int32_t length;
    int32_t size;
    bool bold;
    int32_t id;  // 0: the slot is empty
    TFontIG* font;
};
struct MadeFonts {
    MadeFont slot[4];
    unsigned next;
    unsigned last;  // the slot that answered last: most runs ask the same
};
thread_local MadeFonts tMadeFonts;

bool Answers(const MadeFont& m, const TPDAUIEngineStyleFont& font, int length)
{
    return m.id != 0 && m.size == font.size && m.bold == font.bold && m.length == length &&
           SameBytes(m.name, font.name.c_str(), (size_t)length);
}

// The other slots, then the library; apart so that the common answer above
// takes no more than a few loads.
__attribute__((noinline)) void MakeStockFont(TPDAUIEngineStyleFont& font)
{
    MadeFonts& made = tMadeFonts;
    const int length = font.name.Length();
    for (unsigned k = 1; k < 4; ++k) {
        const unsigned slot = (made.last + k) % 4;
        if (Answers(made.slot[slot], font, length)) {
            made.last = slot;
            font.stockFontId = made.slot[slot].id;
            font.stockFont = made.slot[slot].font;
            return;
        }
    }
    font.stockFontId = IDC::CreateStockFont(font.name.c_str(), font.size, 0, font.bold, 1.0f);
    font.stockFont = IDC::GetStockFont(font.stockFontId);
    if (font.stockFontId != 0 && length < (int)sizeof(made.slot[0].name)) {
        made.last = made.next % 4;
        MadeFont& m = made.slot[made.next++ % 4];
        std::memcpy(m.name, font.name.c_str(), (size_t)length);
        m.length = length;
        m.size = font.size;
        m.bold = font.bold;
        m.id = font.stockFontId;
        m.font = font.stockFont;
    }
}

} // namespace

void TPDAUIEngineStyleFont::CreateStockFont(IDC* dc)
{
    if (dc)
        dc->RestoreFont();
    const MadeFont& m = tMadeFonts.slot[tMadeFonts.last % 4];
    if (Answers(m, *this, name.Length())) {
        stockFontId = m.id;
        stockFont = m.font;
        return;
    }
    MakeStockFont(*this);
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
