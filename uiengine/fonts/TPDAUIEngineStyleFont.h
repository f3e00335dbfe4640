#pragma once
#include <cstdint>

#include "enginelib/base/DString.h"
#include "enginelib/base/SameBytes.h"

class IDC;
class TFicheroITV;
class TFontIG;

// The font an element holds: family, pixel size, style and transform flags, the
// room kept before an ellipsis, the text direction and the library's stock font
// made from them. The font manager and its renderers read it.
class TPDAUIEngineStyleFont {
public:
    // Family of the first loaded font, "arial" before any font is loaded; size 12;
    // no flags; then the stock font.
    TPDAUIEngineStyleFont();
    // For a reader that sets every field and makes the stock font itself: no
    // family name and no stock font yet.
    enum TUnset { Unset };
    explicit TPDAUIEngineStyleFont(TUnset) {}

    // One "font..." attribute with the "font" prefix already cut ("Size", "Bold").
    // Lengths are scaled by the UI scale; unknown names are ignored.
    void SetAttribute(const char* name, const char* value);

    // Makes the stock font for name, size and bold; the context (when given) lets
    // go of its selected font first. Inline for the common answer: every
    // element of a page asks, most for the font asked just before.
    void CreateStockFont(IDC* dc)
    {
        if (dc || !TakeLastAnswer())
            MakeStockFont(dc);
    }

    // Compiled form. Reading fails (false, descriptor unchanged) on a truncated
    // stream; it ends by making the stock font. The size is stored as one byte.
    bool WriteCompiled(TFicheroITV& stream) const;
    bool ReadCompiled(TFicheroITV& stream);

    DString name;
    int32_t size = 12;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool upperCase = false;
    bool lowerCase = false;
    bool simplifyCharacters = false;
    bool bordered = false;
    bool shadowed = false;
    bool richText = false;
    int16_t paddingEllipsis = 0;
    int16_t orientation = 0;  // degrees: 0, 90 or -90
    TFontIG* stockFont = nullptr;  // the library's, not ours
    int32_t stockFontId = 0;

private:
    // The library's table only grows and gives the same font for the same
    // request, so its last answers are kept per thread. Plain values only, so
    // that the thread's copy is reached without a call; longer names are not kept.
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
    static thread_local MadeFonts made_;

    bool Answers(const MadeFont& m) const
    {
        const int length = name.Length();
        return m.id != 0 && m.size == size && m.bold == bold && m.length == length &&
               SameBytes(m.name, name.c_str(), (size_t)length);
    }
    // The slot that answered last, when it answers again.
    bool TakeLastAnswer()
    {
        const MadeFont& m = made_.slot[made_.last % 4];
        if (!Answers(m))
            return false;
        stockFontId = m.id;
        stockFont = m.font;
        return true;
    }
    // The rest of CreateStockFont: the other slots, then the library.
    void MakeStockFont(IDC* dc);
};

inline thread_local TPDAUIEngineStyleFont::MadeFonts TPDAUIEngineStyleFont::made_ = {};
