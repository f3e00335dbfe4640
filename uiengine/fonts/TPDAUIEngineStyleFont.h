#pragma once
#include <cstdint>

#include "enginelib/base/DString.h"

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
    // go of its selected font first.
    void CreateStockFont(IDC* dc);

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
};
