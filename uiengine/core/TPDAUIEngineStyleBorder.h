#pragma once

#include "enginelib/base/DString.h"
#include "enginelib/draw/Geometry.h"
#include "enginelib/draw/TColorIG.h"

class IDC;
class TFicheroITV;

// One state's border of an element. Text form: "None", or
//   style width colour [shade]      e.g. "Outset 2 #FFFFFF #808080"
//   Round width colour [radius]     the fourth word is the radius (and the shade)
// with the width (and radius) in skin pixels. Unknown style words give Solid.
class TPDAUIEngineStyleBorder {
public:
    enum Style {
        StyleNone = 0,
        StyleSolid = 1,
        StyleRound = 2,
        StyleOutset = 3,
        StyleDotted = 4,
        StyleGroove = 5,
        StyleTop = 6,
        StyleLeft = 7,
        StyleRight = 8,
        StyleBottom = 9,
        StyleBottomOutset = 10,
        StyleLeftRightBottom = 11,
        StyleLeftRightTop = 12,
        StyleRightBottom = 13,
        StyleLeftBottom = 14,
        StyleLeftTop = 15,
    };

    int width = 0;   // screen pixels
    int style = StyleNone;
    TColorIG colour = TColoresIG::F_Black;
    TColorIG shade = 0;
    int alpha = 255;  // from the colour text; not used in drawing
    int radius = 4;   // screen pixels

    void Parse(DString text);

    // The border lines inside rect.
    void Draw(IDC* dc, TRectIG rect) const;
    // Shrinks rect to where the background goes under the border.
    void DeflateRect(TRectIG& rect) const;

    // Room the border takes on each side, for layout.
    int GetTopWidth() const;
    int GetBottomWidth() const;
    int GetLeftWidth() const;
    int GetRightWidth() const;

    // width and radius are stored in skin pixels (one signed byte each).
    void WriteCompiled(TFicheroITV& stream) const;
    void ReadCompiled(TFicheroITV& stream);
};
