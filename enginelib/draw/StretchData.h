#pragma once
#include "enginelib/draw/Geometry.h"
#include "enginelib/draw/TColorIG.h"

// A 3 x 3 affine matrix that places a bitmap on a drawing context: it maps
// source pixel coordinates (x right, y down, pixel centres at +0.5) to
// destination coordinates. The last row is always (0, 0, 1).
class TMatriz3RodAdv {
public:
    double m[3][3];

    TMatriz3RodAdv() { SetIdentity(); }
    void SetIdentity();

    // The source rectangle turned by angle radians about its centre and put
    // with its centre on the destination's centre. A positive angle turns
    // clockwise on screen. The source's width maps to the destination's width
    // and its height to the destination's height; when the turn is nearer a
    // quarter turn than a half turn (|sin| > |cos|) width and height trade
    // places, so a glyph turned by pi/2 into a turned rectangle keeps its size.
    // Angles within 1e-6 of a multiple of pi/2 are taken as exact, so quarter
    // turns move whole pixels. Empty rectangles give a scale of 1.
    void SetRotation(float angle, const TRectIG& src, const TRectIG& dst);

    // The matrix mapping destination to source; false when this one is singular.
    bool Invert(TMatriz3RodAdv& inverse) const;
    void Transform(double x, double y, double& outX, double& outY) const;
    // Whether the matrix only scales and moves (no turn or shear).
    bool IsAxisAligned() const { return m[0][1] == 0.0 && m[1][0] == 0.0; }
    // Whether it is a whole number of quarter turns with scale 1, so pixels
    // map one to one (drawn without smoothing).
    bool IsPixelExact() const;
};

// Settings of IDC::StretchDIBits_Adv, in the library's field order.
struct TAdvStetchDIBitsData {
    // Bits of modo.
    enum : int {
        // Pixels of the key colour (magenta) are left out.
        ModeKeyColour = 1,
        // Set by callers that pass a turning matrix (33 = turned and keyed);
        // the matrix is used whenever it is given, with or without this bit.
        ModeRotated = 32,
        // The bitmap is a coverage map: color is painted where it is dark
        // (coverage 255 - grey); the bitmap's own colours are not drawn.
        ModeColourByDarkness = 64,
        // Smooth (bilinear) sampling, for photos.
        ModeSmooth = 128,
    };

    int modo = 0;
    // The colour painted in ModeColourByDarkness.
    TColorIG color = 0;
    int reserved1 = 0;
    // Global opacity, 0 (nothing drawn) .. 255 (as the bitmap is).
    int alpha = 255;
    // Placement of the bitmap (not owned), used whenever given; null: the
    // source rectangle is stretched onto the destination rectangle. Other bits
    // of modo than those above draw as 0 (a plain stretch honouring the
    // bitmap's alpha).
    const TMatriz3RodAdv* matriz = nullptr;
    int reserved2 = 0;
    int reserved3 = 0;

    TAdvStetchDIBitsData() = default;
    TAdvStetchDIBitsData(int mode, TColorIG colour, int r1, int opacity,
                         const TMatriz3RodAdv* matrix, int r2, int r3)
        : modo(mode), color(colour), reserved1(r1), alpha(opacity), matriz(matrix),
          reserved2(r2), reserved3(r3)
    {
    }
};
