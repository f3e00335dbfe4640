#pragma once
// Helpers shared by the drawing-context tests.
#include <string>

#include "enginelib/draw/IDC.h"
#include "support/GoldenImage.h"

namespace idctest {

// Colours that RGB565 keeps exactly.
constexpr TColorIG kBack(66, 65, 66);      // dark grey background
constexpr TColorIG kRed(255, 0, 0);
constexpr TColorIG kGreen(0, 255, 0);
constexpr TColorIG kBlue(0, 0, 255);
constexpr TColorIG kYellow(255, 255, 0);
constexpr TColorIG kWhite(255, 255, 255);
constexpr TColorIG kBlack(0, 0, 0);
constexpr TColorIG kMagenta(255, 0, 255);
constexpr TColorIG kCyan(0, 255, 255);

// A bitmap filled with kBack and a context painting into it.
struct Canvas {
    TDibIG dib;
    IDC dc;

    explicit Canvas(int w = 24, int h = 16, int bpp = 16, bool bottomUp = false)
    {
        dib.Crea(w, h, bpp, false, bottomUp);
        dib.Fill(kBack);
        dc.BeginPaintDib(&dib);
    }
    ~Canvas() { dc.EndPaintDib(); }

    TColorIG At(int x, int y) const { return dib.GetPixel(x, y); }
    bool IsBack(int x, int y) const { return dib.GetPixel(x, y) == kBack; }
    // Pixels that differ from the background.
    int Changed() const
    {
        int n = 0;
        for (int y = 0; y < dib.AbsHeight(); ++y)
            for (int x = 0; x < dib.Width(); ++x)
                n += dib.GetPixel(x, y) != kBack;
        return n;
    }
};

// Each channel within tol.
inline bool Near(TColorIG a, TColorIG b, int tol)
{
    auto d = [](int x, int y) { return x > y ? x - y : y - x; };
    return d(a.R(), b.R()) <= tol && d(a.G(), b.G()) <= tol && d(a.B(), b.B()) <= tol;
}

// An 8 x 8 RGB565 test image: four coloured quadrants (red, green, blue,
// yellow from the top-left, clockwise) with a magenta (key) 2 x 2 block in
// the middle and a white pixel at (0, 0).
inline void MakeQuadrants(TDibIG& img, bool bottomUp = false)
{
    img.Crea(8, 8, 16, false, bottomUp);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            TColorIG c = y < 4 ? (x < 4 ? kRed : kGreen) : (x < 4 ? kYellow : kBlue);
            img.SetPixel(x, y, c);
        }
    for (int y = 3; y < 5; ++y)
        for (int x = 3; x < 5; ++x)
            img.SetPixel(x, y, kMagenta);
    img.SetPixel(0, 0, kWhite);
}

} // namespace idctest
