#pragma once
#include <memory>
#include <string>
#include <vector>

class TDibIG;

// The "common..." images the library defines for every skin: command icons in
// three states, place, file and message icons, the compass dials and tapes, the
// busy sand clock, the icon strips "toolbar_lumor_ob" (16 x 16 cells) and
// "toolbar_lumor_ob2" (32 x 32 cells), and the language flags. A generator writes
// them into the default skin; the skin may replace any of them.
class TCommonImages {
public:
    // Every name, in a fixed order.
    static std::vector<std::string> Names();
    // The picture of a name (16 bits with an alpha plane), null for an unknown name.
    // fontFile: the font of letters and labels; languageFile: the table whose
    // command names give the letters of icons without a glyph of their own.
    static std::unique_ptr<TDibIG> Draw(const std::string& name, const std::string& fontFile,
                                        const std::string& languageFile);
};
