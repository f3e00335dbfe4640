#pragma once
#include <vector>

#include <ft2build.h>
#include FT_FREETYPE_H

#include "tools/cfont/CFontWriter.h"

// Glyph cells of a TrueType face for a ".cfont" height. A cell is px rows tall
// with the baseline where the face puts it for that line height; the glyph's
// left bearing is kept inside the cell when it is positive.
namespace CFontFromFreeType {

// The pixel size at which the face's line (ascender to descender, rounded up)
// is at most px high; sets it on the face. At least 1.
int SetPixelSize(FT_Face face, int px);
// The baseline row within a px-high cell at the face's current size.
int Baseline(FT_Face face, int px);

// Which codes get glyphs; the others of a range are blank.
using CodeFilter = std::vector<bool>;  // by code, 0..0xFFFF

// One range of 256 codes from firstCode of the face at its current size;
// Empty() when the face has none of the wanted codes.
CFontWriter::Range MakeRange(FT_Face face, int px, int firstCode, bool bold,
                             const CodeFilter& wanted);

// Heights px of the wanted codes from a regular and, when given, a bold face;
// a range for every 256 codes holding a wanted code the face has.
CFontWriter Make(FT_Face regular, FT_Face bold, const std::vector<int>& heights,
                 const CodeFilter& wanted);

} // namespace CFontFromFreeType
