#pragma once
#include <string>

#include "enginelib/draw/Geometry.h"
#include "enginelib/draw/TColorIG.h"

class IDC;
class TFontIG;

// The system's font table and text drawing, as the device's system services
// offer them: font files are registered and removed by path, and text is laid
// out and drawn in a named family at a pixel height with the DrawText format
// flags. The platform layer installs the process-wide service; until it does
// there is none and every font registration is refused.
class TSystemFonts {
public:
    // Format flags honoured by DrawText (the system's values).
    enum : unsigned {
        FmtCenter = 0x1,
        FmtRight = 0x2,
        FmtVCenter = 0x4,       // single-line text only, as on the device
        FmtBottom = 0x8,        // single-line text only
        FmtWordBreak = 0x10,
        FmtSingleLine = 0x20,
        FmtCalcRect = 0x400,    // measure only: rect's right and bottom are set
        FmtWordEllipsis = 0x40000,
    };

    // A font as the service takes it.
    struct FontSpec {
        std::string face;     // family name, matched without regard to case
        int pixelHeight = 0;  // em height in pixels
        bool bold = false;
        bool italic = false;
        bool underline = false;

        // A prepared library font (TFontIG::Prepare): its name, pixel size and style.
        static FontSpec FromFont(const TFontIG& font);
    };

    virtual ~TSystemFonts() = default;

    // Registers a font file (a device path in UTF-16): the number of fonts
    // added, 0 when the file is refused. A file may be registered more than
    // once; each registration is removed separately.
    virtual int AddFontResource(const char16_t* path) = 0;
    // Takes back one registration; false when the file is not registered.
    virtual bool RemoveFontResource(const char16_t* path) = 0;

    // Lays out length units of text (-1: up to a 0 unit) in rect with the format
    // flags and draws it in colour over a transparent background into dc's
    // bitmap, clipped to rect and to dc's clip. An "&" marks the next character
    // as a mnemonic (underlined; "&&" is one "&"). With FmtCalcRect nothing is
    // drawn and rect's right and bottom become left + width and top + height
    // of the text. Answers the height of the text; 0 when it cannot be laid out
    // (no font, a height below 1).
    virtual int DrawText(IDC* dc, const FontSpec& font, const char16_t* text, int length,
                         TRectIG& rect, unsigned flags, TColorIG colour) = 0;

    // The process-wide service (null when none is installed).
    static TSystemFonts* Instance();
    // Installs a service (not owned; null removes it); answers the previous one.
    static TSystemFonts* SetInstance(TSystemFonts* service);
};
