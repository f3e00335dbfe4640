#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "enginelib/draw/Geometry.h"
#include "enginelib/draw/Raster.h"
#include "enginelib/draw/StretchData.h"
#include "enginelib/draw/TColorIG.h"
#include "enginelib/draw/TDibIG.h"
#include "enginelib/draw/TFontIG.h"

class IDC;
struct IDCScratch;

// Text drawing is not the library's: the UI engine registers these with
// IDC::SetFontFunctionCallbacks. font is the context's selected font (may be
// null); background is null for transparent text.
using IDCDrawTextFn = int (*)(void* user, IDC* dc, TFontIG* font, const char* text, TRectIG& rect,
                              unsigned flags, TColorIG colour, const TColorIG* background);
// Width and height of text; (-1, 0) when it cannot be measured.
using IDCMeasureTextFn = TSizeIG (*)(void* user, IDC* dc, TFontIG* font, const char* text,
                                     int maxWidth, unsigned flags);
// A style flag for the text drawn next (the UI engine keeps it).
using IDCTextFlagFn = int (*)(void* user, IDC* dc, int flag);
// One glyph image of a family at a pixel size, with its source rectangle,
// advance and top offset; null when there is none. The image is not the caller's.
using IDCGlyphFn = TDibIG* (*)(void* user, const char* family, int code, int size, TRectIG& source,
                               int& advance, int& top);

// A drawing context: GDI-style drawing into a TDibIG of 16 (RGB565), 24 or
// 32 bits, chosen with BeginPaintDib.
//
// Conventions:
// - Rectangles are (left, top, right, bottom). Fills cover left..right-1 and
//   top..bottom-1; an empty or inverted rectangle draws nothing.
// - Nothing is ever read or written outside a bitmap: destinations are clipped
//   to the target and the clip rectangle, source rectangles to the image,
//   whatever the arguments.
// - Pens are opaque; wide pens grow lines right/down from the point and
//   outlines inward. A hatched brush makes outlines dotted.
// - One thread at a time per context (the UI thread).
class IDC {
public:
    // Raster operation of a plain copy (SRCCOPY).
    static constexpr uint32_t RopSrcCopy = 0x00CC0020;
    // Background modes of DrawTextA (TRANSPARENT, OPAQUE).
    static constexpr int BkTransparent = 1;
    static constexpr int BkOpaque = 2;

    IDC();
    virtual ~IDC();
    IDC(const IDC&) = delete;
    IDC& operator=(const IDC&) = delete;

    // (0, 0, width, height) of what the context draws on; empty without a target.
    virtual TRectIG GetClientRect() const;
    // Stereo double mode (two eye images per frame): never on.
    virtual int IsStereoDouble() const { return 0; }

    // Off-screen painting: from BeginPaintDib to EndPaintDib everything goes
    // into dib (16, 24 or 32 bits; not owned, must outlive the painting). The
    // clip is cleared. Pairs nest: EndPaintDib goes back to the previous
    // target and clip, and marks dib changed (TDibIG::Touch). False, nothing
    // changed, for a null, empty or 8-bit bitmap.
    bool BeginPaintDib(TDibIG* dib);
    void EndPaintDib();
    // The bitmap drawn into now (null when none).
    TDibIG* GetDib() const { return target_; }
    // The target for drawing by other means (the map's vector drawing): what the
    // context still holds back is written first. The caller keeps to the clip
    // rectangle and marks the bitmap changed.
    TDibIG* GetTargetForDirectDrawing()
    {
        FlushPixels();
        return target_;
    }
    // Every drawing call marks the target changed (TDibIG::Touch), SetPixel
    // at the next other call, at EndPaintDib or IDCdir::GetBackBuffer.

    // Pen: colour and width (1 or more). style, pattern and smooth are taken
    // for the callers' sake; lines are always solid and hard-edged.
    void SetPen(TColorIG colour, int width = 1, int style = 0, const void* pattern = nullptr,
                bool smooth = false);
    // Solid brush; style is taken for the callers' sake (0 = solid).
    void SetBrush(TColorIG colour, int style = 0);
    // Hatched brush: outlines are drawn dotted, one pixel wide, in colour
    // until the next SetPen or SetBrush.
    void SetHatchBrush(TColorIG colour, int style);
    TColorIG GetPenColor() const { return pen_.colour; }
    int GetPenWidth() const { return pen_.width; }
    TColorIG GetBrushColor() const { return brush_; }
    bool IsHatched() const { return hatched_; }

    // Fill with the brush, then the outline with the pen.
    void Rectangle(const TRectIG& r);
    void Rectangle(int left, int top, int right, int bottom) { Rectangle(TRectIG(left, top, right, bottom)); }
    // Fill with the brush colour mixed over what is there at alpha 0..255.
    void RectangleA(const TRectIG& r, int alpha);
    // Outline through the four corners, both inclusive: columns left and
    // right, rows top and bottom (as four LineTo calls would draw it).
    // Inverted corners draw nothing.
    void Rectangle_Vacio(int left, int top, int right, int bottom);
    void Rectangle_Vacio(const TRectIG& r) { Rectangle_Vacio(r.left, r.top, r.right, r.bottom); }
    // Outline of r (right and bottom exclusive) with round corners; a
    // negative radius gives square corners.
    void Rectangle_Arrodonit_Vacio(const TRectIG& r, int radius);
    // Line with the pen, the end point left out.
    void Line(int x1, int y1, int x2, int y2);
    // Filled with the brush (even-odd), outlined with the pen.
    void Polygon(const TPointIG* points, int count);
    // Circle around (cx, cy) outlined with the pen; filled: the inside with the brush.
    void Circle(int cx, int cy, int radius, bool filled);
    // Arrow from tail to head with the pen, and a head of headLength by
    // headWidth at the head (filled with the brush, or two strokes). With
    // ratio > 0 the head is at most ratio x the arrow's length long (its width
    // shrinks with it).
    void Flecha(const TPointIG& tail, const TPointIG& head, int headLength, int headWidth,
                bool filledHead, float ratio);
    // One pixel mixed with colour at coverage 0..255 (0 draws nothing).
    void SetPixel(int x, int y, TColorIG colour, int coverage = 255);
    // A glyph's coverage map (width x height bytes 0..255, rows pitch bytes
    // apart) mixed in colour with its top-left at (x, y), inside limit
    // (right and bottom exclusive) and the clip: SetPixel for every byte, with
    // the clipping worked out once.
    void DrawCoverage(int x, int y, const uint8_t* coverage, int width, int height, int pitch,
                      TColorIG colour, const TRectIG& limit);
    // The same for a map of other bytes (a glyph image) with map[byte] as the
    // coverage of each; map null: the bytes are the coverage.
    void DrawCoverageMapped(int x, int y, const uint8_t* source, int width, int height, int pitch,
                            const uint8_t* map, TColorIG colour, const TRectIG& limit);

    // Clip: drawing is limited to r (replacing any clip before it) until
    // Fin_SelectClipRgn. An empty or inverted r hides everything.
    void SelectClipRect(const TRectIG& r);
    void Fin_SelectClipRgn();
    // The clip as selected; (0, 0, 0, 0) when there is none.
    TRectIG GetClipRect() const { return hasClip_ ? clip_ : TRectIG(); }
    // Whether a clip is selected (an empty one hides everything).
    bool HasClip() const { return hasClip_; }

    // Bitmaps. dst and src are rectangles (right and bottom exclusive) in the
    // target and in the image; the image is scaled from src to dst, nearest
    // pixel. A source rectangle reaching outside the image is cut and the
    // destination with it, in proportion. Answer false for no target, no
    // image or an empty or inverted rectangle (nothing drawn), true otherwise.
    //
    // Plain copy (rop RopSrcCopy only; any other draws nothing): colours as
    // they are, opacity ignored.
    bool StretchDIBits(const TRectIG& dst, const TRectIG& src, const TDibIG* image,
                       uint32_t rop = RopSrcCopy);
    // Pixels of the key colour are left out and the image's opacity (alpha
    // plane or channel) is honoured.
    bool StretchDIBits_Transparent(const TRectIG& dst, const TRectIG& src, const TDibIG* image,
                                   TColorIG key);
    // Opacity, global alpha, turning and colouring as data says
    // (TAdvStetchDIBitsData). With a matrix the whole turned source
    // rectangle is drawn where the matrix puts it.
    bool StretchDIBits_Adv(const TRectIG& dst, const TRectIG& src, const TDibIG* image,
                           const TAdvStetchDIBitsData& data);

    // Keyed and opaque bitmaps into 32-bit targets are drawn directly, without
    // pixman, sample for sample as pixman would draw them. Off: everything
    // goes through pixman (the reference the direct paths are held to).
    void SetDirectBlits(bool on) { directBlits_ = on; }

    // Bytes of the converted copies and masks kept for source bitmaps (all
    // contexts together). A copy lives with its bitmap: it goes when the
    // bitmap is freed or its pixels change.
    static size_t GetCopiesMemoryUsed();

    // Fonts. The scale fonts get on the screen for a UI scale (the same value).
    static float GetFontScreenScale(float uiScale);
    // A process-wide font kept by the library; the same description gives the
    // same number. 0 for a bad description. angle is the escapement in
    // tenths of a degree.
    static int CreateStockFont(const char* name, int size, int angle, bool bold, float factor);
    // The stock font of a number, null for an unknown number. Not the caller's.
    static TFontIG* GetStockFont(int id);
    // Font used by the context's text calls (not owned); answers the one before.
    TFontIG* SelectFont(TFontIG* font);
    TFontIG* GetFont() const { return font_; }
    // Back to no selected font.
    void RestoreFont() { font_ = nullptr; }

    // Text, through the UI engine's callbacks (process-wide; nulls remove them).
    static void SetFontFunctionCallbacks(IDCDrawTextFn drawText, IDCMeasureTextFn measureText,
                                         IDCTextFlagFn textFlag, IDCGlyphFn glyph, void* user);
    void SetBkMode(int mode) { bkMode_ = mode; }
    int GetBkMode() const { return bkMode_; }
    void SetBkColor(TColorIG colour) { bkColour_ = colour; }
    TColorIG GetBkColor() const { return bkColour_; }
    // Draws length bytes of text (all of it up to its end for a negative
    // length) in black into rect with DrawText flags, on the background
    // colour when the background mode is BkOpaque. The callback's answer; 0
    // without a callback.
    int DrawTextA(const char* text, int length, TRectIG& rect, unsigned flags);
    TSizeIG GetTextExtent(const char* text, int maxWidth, unsigned flags);
    int SetTextFlag(int flag);
    TDibIG* GetGlyph(const char* family, int code, int size, TRectIG& source, int& advance, int& top);

    // The handle the platform's system text calls take: this context.
    void* Obten_hdc() { return this; }
    // OpenGL painting is not offered.
    bool BeginOpenGLMode() { return false; }

protected:
    // The bitmap drawn into when no BeginPaintDib is open (IDCdir's back buffer).
    void SetBaseTarget(TDibIG* dib);
    // Marks the target changed when SetPixel wrote to it since the last mark.
    void FlushPixels();

private:
    struct Saved {
        TDibIG* target;
        bool hasClip;
        TRectIG clip;
    };

    struct BlitOptions;

    // Brings the raster view up to date with the target and marks the target
    // changed; false when there is nothing to draw on or the clip hides
    // everything.
    bool Ready();
    // The same without marking (SetPixel marks lazily).
    bool ReadyView();
    RasterPen CurrentPen() const;
    bool DrawImage(const TRectIG& dst, const TRectIG& src, const TDibIG* image, const BlitOptions& o);
    // A solid pixman source of colour at alpha, kept while the colour stays.
    void* Solid(TColorIG colour, int alpha);

    TDibIG* base_ = nullptr;
    TDibIG* target_ = nullptr;
    std::vector<Saved> stack_;
    bool hasClip_ = false;
    TRectIG clip_;

    // Raster view of target_, and what it was made from.
    RasterTarget view_;
    const uint8_t* viewBits_ = nullptr;
    int viewW_ = 0, viewH_ = 0, viewBpp_ = 0, viewStep_ = 0;
    bool viewAlpha_ = false;
    void* dstImage_ = nullptr; // pixman_image_t of the target
    bool pixelsDirty_ = false;  // SetPixel wrote since the last Touch
    bool clipDirty_ = true;     // view_.clip to be worked out again
    void* solid_ = nullptr;     // pixman_image_t, see Solid
    uint32_t solidKey_ = 0;
    bool directBlits_ = true;
    std::unique_ptr<IDCScratch> scratch_; // buffers of the scaled blits

    RasterPen pen_;
    TColorIG brush_ = 0;
    bool hatched_ = false;
    TColorIG hatchColour_ = 0;
    TFontIG* font_ = nullptr;
    int bkMode_ = BkOpaque;
    TColorIG bkColour_ = TColorIG(255, 255, 255);
};

// The engine's double buffer: a context with its own screen-sized back
// buffer, 32 bits x8r8g8b8 (blends exactly; SDL shows it as it is). Drawing
// goes into it unless a BeginPaintDib is open.
class IDCdir : public IDC {
public:
    IDCdir();
    ~IDCdir() override;

    // (0, 0, width, height) of the back buffer.
    TRectIG GetClientRect() const override;
    int IsStereoDouble() const override { return 0; }

    // Makes the back buffer width x height (black) unless it already has that
    // size. False, and no back buffer, for a size TDibIG does not accept.
    bool SetSize(int width, int height);
    TDibIG& GetBackBuffer()
    {
        FlushPixels();
        return back_;
    }
    const TDibIG& GetBackBuffer() const { return back_; }

    // Percent scales of the device's display driver; kept at 100 (drawing is
    // always one to one).
    float sizeX = 100.0f;
    float sizeY = 100.0f;

private:
    TDibIG back_;
};
