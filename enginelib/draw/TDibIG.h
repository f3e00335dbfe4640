#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

#include "enginelib/draw/Geometry.h"
#include "enginelib/draw/TColorIG.h"
#include "enginelib/draw/TDibIGDerived.h"

// A bitmap in one of four depths:
//   8  bits: one grey byte per pixel (0 black .. 255 white);
//   16 bits: RGB565 in a uint16_t (rrrrrggggggbbbbb), with an optional alpha
//            plane beside it (see below);
//   24 bits: three bytes per pixel, blue, green, red (pixman's r8g8b8);
//   32 bits: a uint32_t 0xAARRGGBB (bytes blue, green, red, A). With an alpha
//            channel (Tiene_Alphas) A is the opacity, 255 opaque (pixman's
//            a8r8g8b8); without one A is ignored (x8r8g8b8).
//
// Rows are stored as DIBs store them: each row padded to a multiple of 4 bytes
// (LineSizeBytes), one after the other, either top row first (top-down) or
// bottom row first (bottom-up). Height() is signed: positive for top-down,
// negative for bottom-up bitmaps. Row(y) hides the order: it is the visual row
// y counted from the top.
//
// Alpha plane (16 bits only): one byte per pixel, 0 = opaque, 255 = fully
// transparent. Its rows have the same order as the pixel rows and a stride of
// LineSizeBytes() / 2 bytes, so pixel i of the pixel plane (counted as uint16_t
// from Bits()) and byte i of the alpha plane belong together, padding included.
//
// Premultiplied: when set, colours are already multiplied by their opacity
// (the alpha plane or A). Set_PreMultiplied and Cancel_PreMultiplied move
// between the two forms and keep the flag right; image files load with it clear.
//
// Version: a number that changes (process-wide unique) whenever the bitmap is
// changed by its own operations, by a TGetTDibBits going out of scope, or by
// Touch(). Whoever keeps a derived copy (a drawing cache) keys it by Version().
// Code that writes through the raw pointers calls Touch() when done.
//
// Derived data: a drawing context keeps what it makes from the pixels (a key
// mask, a converted copy) with the bitmap. Touch() and Libera() drop it, and it
// goes with the bitmap, so nothing outlives the pixels it was made from.
//
// Sizes are limited (MaxSide per side, MaxPixels in all) so that hostile sizes
// never cause a huge allocation. No operation throws; failures answer false or null.
class TDibIG {
public:
    static constexpr int MaxSide = 16384;
    static constexpr int64_t MaxPixels = int64_t(1) << 26;

    TDibIG();
    virtual ~TDibIG();
    TDibIG(const TDibIG&) = delete;
    TDibIG& operator=(const TDibIG&) = delete;

    // A new bitmap of width x height (both at least 1) in bpp 8, 16, 24 or 32.
    // withAlpha: an alpha plane for 16 bits, an alpha channel for 32 bits
    // (ignored for 8 and 24). Pixels start at 0 (black), the alpha plane at 0
    // (opaque), the 32-bit alpha channel at 0 (transparent). False, and an empty
    // bitmap, for a bad size or depth or when memory runs out.
    bool Crea(int width, int height, int bpp, bool withAlpha = false, bool bottomUp = false);
    // Frees the pixels; the bitmap becomes empty (all sizes 0).
    void Libera();
    bool IsEmpty() const { return bits_ == nullptr; }

    int Width() const { return width_; }
    // Signed: negative for bottom-up bitmaps. AbsHeight() is the row count.
    int Height() const { return bottomUp_ ? -height_ : height_; }
    int AbsHeight() const { return height_; }
    int Bpp() const { return bpp_; }
    bool IsBottomUp() const { return bottomUp_; }
    int BytesPerPixel() const { return bpp_ / 8; }

    // Bytes of one stored row (a multiple of 4), and of the whole pixel plane.
    int LineSizeBytes() const { return lineSize_; }
    uint32_t BitsSize() const { return uint32_t(lineSize_) * uint32_t(height_); }

    // The pixel plane as stored (first stored row first), null when empty.
    uint8_t* Bits() { return bits_; }
    const uint8_t* Bits() const { return bits_; }
    // Visual row y (0 = top), null when out of range.
    uint8_t* Row(int y);
    const uint8_t* Row(int y) const;
    // Byte step from Row(y) to Row(y + 1): LineSizeBytes(), negated for bottom-up.
    int RowStep() const { return bottomUp_ ? -lineSize_ : lineSize_; }

    // The alpha plane (16 bits only), null when there is none.
    uint8_t* Alpha() { return alpha_; }
    const uint8_t* Alpha() const { return alpha_; }
    uint8_t* AlphaRow(int y);
    const uint8_t* AlphaRow(int y) const;
    int AlphaLineSize() const { return alpha_ ? lineSize_ / 2 : 0; }
    uint32_t AlphaSize() const { return uint32_t(AlphaLineSize()) * uint32_t(height_); }
    // Adds an alpha plane, all opaque, to a 16-bit bitmap that has none.
    // True when the bitmap has one afterwards.
    bool CreaAlpha();
    // Drops the alpha plane or the 32-bit alpha channel: every pixel opaque.
    void QuitaAlpha();

    // Whether the pixels carry opacity: an alpha plane (16 bits) or an alpha
    // channel (32 bits).
    bool Tiene_Alphas() const { return alpha_ != nullptr || (bpp_ == 32 && alpha32_); }
    bool IsPreMultiplied() const { return premultiplied_; }

    // One pixel as a colour (RGB565 widened), black outside the bitmap.
    TColorIG GetPixel(int x, int y) const;
    // Sets one pixel's colour; the opacity is not changed. False outside.
    bool SetPixel(int x, int y, TColorIG c);
    // Opacity of one pixel in the alpha-plane sense: 0 opaque .. 255
    // transparent, whatever the depth (0 for bitmaps without alpha).
    int GetAlpha(int x, int y) const;
    // Sets every pixel to c and makes every pixel opaque.
    void Fill(TColorIG c);

    // Exchanges the whole contents with other (both get new versions).
    void Swap(TDibIG& other);
    // This becomes a copy of src (depth, size, row order, alpha, flags). An
    // empty src empties this. False when memory runs out (this is then empty).
    bool Asigna(const TDibIG& src);
    // A new bitmap (caller owns it) holding the part of r that lies inside this
    // bitmap (r in visual coordinates, right and bottom exclusive), with the
    // same depth, row order, alpha and flags. Null when that part is empty.
    TDibIG* CopyRect(const TRectIG& r) const;

    // Conversions in place; each answers false (bitmap unchanged) on an empty
    // bitmap or when memory runs out, true when already in the target form.
    // To 24 bits; opacity is dropped.
    bool ConvertDIB_24();
    // To 16 bits with an alpha plane, always present afterwards: from the
    // 32-bit alpha channel or the existing plane, else all opaque. The
    // premultiplied flag carries over. mode is reserved (callers pass 0).
    bool ConvertDIB_16xAlpha(int mode = 0);
    // To 8-bit grey, (77 r + 150 g + 29 b) / 256; opacity is dropped.
    bool ConvertDIB_Grises();

    // Multiplies colours by their opacity and sets the flag; nothing when the
    // flag is already set. mode is reserved (callers pass 0).
    void Set_PreMultiplied(int mode = 0);
    // Divides premultiplied colours by their opacity and clears the flag;
    // nothing when the flag is clear.
    void Cancel_PreMultiplied();

    // Scales the bitmap down so neither side exceeds maxSide, keeping the
    // aspect ratio (each side at least 1). smooth: average the source pixels
    // (area filter) instead of taking the nearest one. False for maxSide < 1
    // or an empty bitmap; true without change when already small enough.
    bool ReduceImageSizeMax(int maxSide, bool smooth = false);
    // The picture's rectangle in its display orientation. Bitmaps carry no
    // rotation here, so this is (0, 0, width, abs height).
    TRectIG RectRot() const;

    // Bytes held by the bitmap, pixel and alpha planes and derived data included.
    size_t GetMemoryUsed() const;

    // The drawing context's data derived from these pixels, null when none.
    // Set on a const bitmap too: it is a cache, not part of the picture.
    TDibIGDerived* GetDerived() const { return derived_.get(); }
    void SetDerived(std::unique_ptr<TDibIGDerived> derived) const { derived_ = std::move(derived); }

    uint64_t Version() const { return version_; }
    void Touch();

    // Whether Crea would accept this size (1..MaxSide each, MaxPixels in all).
    static bool SizeAllowed(int width, int height);

protected:
    // For readers that restore a stored flag along with the pixels.
    void SetPreMultipliedFlag(bool on) { premultiplied_ = on; }

private:
    void TakeFrom(TDibIG& other);
    bool ConvertInPlace(int bpp, bool withAlpha);
    static int LineSizeFor(int width, int bpp);

    uint8_t* bits_ = nullptr;
    uint8_t* alpha_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    int bpp_ = 0;
    int lineSize_ = 0;
    bool bottomUp_ = false;
    bool alpha32_ = false;
    bool premultiplied_ = false;
    uint64_t version_ = 0;
    mutable std::unique_ptr<TDibIGDerived> derived_;
};

// Write access to a bitmap's planes for pixel walkers (image filters). While it
// lives the caller may change pixels and alpha bytes through the pointers; when
// it goes out of scope the bitmap's version changes. A null bitmap gives null
// pointers and zero sizes.
class TGetTDibBits {
public:
    explicit TGetTDibBits(TDibIG* dib);
    ~TGetTDibBits();
    TGetTDibBits(const TGetTDibBits&) = delete;
    TGetTDibBits& operator=(const TGetTDibBits&) = delete;

    TDibIG* Dib() const { return dib_; }
    // Pixel plane as stored, and as RGB565 words (null unless 16 bits).
    uint8_t* Bits() const;
    uint16_t* Bits16() const;
    // Alpha plane, null when there is none.
    uint8_t* Alpha() const;

    int Width() const;
    int Height() const;  // row count (absolute height)
    int Bpp() const;
    int LineSizeBytes() const;
    int AlphaLineSize() const;
    uint32_t BitsSize() const;
    uint32_t AlphaSize() const;

private:
    TDibIG* dib_;
};
