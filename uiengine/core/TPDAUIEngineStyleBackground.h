#pragma once
#include <functional>

#include "enginelib/base/DString.h"
#include "enginelib/draw/Geometry.h"
#include "enginelib/draw/TColorIG.h"

class IDC;
class TDibIG;
class TFicheroITV;
class TPDAUIEngineResources;

// One state's background of an element: a colour fill or a skin image drawn
// in one of several ways. A plain value: the image belongs to a resource store.
//
// Text forms (name = image name, (x y w h) = integers separated by spaces):
//   "None"                 0  nothing
//   "#"colour              1  filled rectangle (colour text may carry an alpha)
//   name                   2  whole image stretched
//   name(x y w h)          3  that part of the image stretched
//   "="name(x y w h)       4  nine-slice, corners w x h
//   "-"name(x y w h [e])   5  horizontal bar, right cap e wide
//   "!"name                6  tiled
//   "%"name / "%%"name     7/8  natural / UI-scaled size at the top-left
//   "$"name                9  UI-scaled, centred
//   "?"name / "??"name     10/11  natural / UI-scaled at the bottom-left
//   "\"name                12  natural size, last row and column stretched
//   "_"name                13  vertical three-slice
class TPDAUIEngineStyleBackground {
public:
    enum Kind {
        KindNone = 0,
        KindColor = 1,
        KindImage = 2,
        KindImagePart = 3,
        KindNineSlice = 4,
        KindBar = 5,
        KindTiles = 6,
        KindTopLeft = 7,
        KindTopLeftScaled = 8,
        KindCentredScaled = 9,
        KindBottomLeft = 10,
        KindBottomLeftScaled = 11,
        KindExtend = 12,
        KindVertical = 13,
    };

    // Finds an image by name (null when there is none).
    using ImageLookup = std::function<TDibIG*(const char* name)>;

    TPDAUIEngineStyleBackground() = default;
    // A style as a compiled record holds it: its image is not looked up yet.
    TPDAUIEngineStyleBackground(int kind, TColorIG colour, const CDString& imageName, int alpha, int x, int y,
                                int w, int h, int edge)
        : kind(kind), colour(colour), imageName(imageName), x(x), y(y), w(w), h(h), edge(edge), alpha(alpha)
    {
    }
    // The same without an image name (as most records have): the name is
    // empty in the given code page.
    TPDAUIEngineStyleBackground(int kind, TColorIG colour, int codepage, int alpha, int x, int y, int w, int h,
                                int edge)
        : kind(kind), colour(colour), imageName(nullptr, 0, codepage), x(x), y(y), w(w), h(h), edge(edge),
          alpha(alpha)
    {
    }

    int kind = KindNone;
    TColorIG colour = TColoresIG::F_White;
    DString imageName;
    TDibIG* image = nullptr;  // not owned
    // The rectangle and edge lie as a compiled record holds them.
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;
    int edge = 0;
    int alpha = 255;  // opacity of the colour fill
    // Shift of the nine-slice, set by an owner for one paint.
    int offsetX = 0;
    int offsetY = 0;

    // Sets the value from style text. Images are looked up in resources when it
    // is given; without it the image pointer is cleared.
    void Parse(DString text, TPDAUIEngineResources* resources);
    // The same with the caller's lookup (may be empty: no lookup).
    void ParseWith(DString text, const ImageLookup& lookup);

    // Paints into rect (nothing for an empty rect, kind 0 or a missing image).
    void Draw(IDC* dc, TRectIG rect) const;

    // Nine-slice frames drawn whole into 32-bit targets are kept as pictures
    // of their parts (the same pixels); off: every part is drawn each time.
    static bool keepNineSliceFrames;

    // kind, colour, image name (".bmp" written as ".cbmp"), alpha, x, y, w, h,
    // edge. Reading leaves the image pointer null: the caller looks it up.
    void WriteCompiled(TFicheroITV& stream) const;
    void ReadCompiled(TFicheroITV& stream);

private:
    void DrawImage(IDC* dc, const TRectIG& r) const;
    void DrawNineSlice(IDC* dc, TRectIG r, TColorIG key) const;
    bool DrawKeptFrame(IDC* dc, TColorIG key, long long L, long long T, long long R, long long B, long long cw,
                       long long ch) const;
    void DrawBar(IDC* dc, const TRectIG& r, TColorIG key, float s) const;
    void DrawTiles(IDC* dc, const TRectIG& r, TColorIG key) const;
};
