#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "enginelib/draw/TDibIG.h"

// A bitmap that reads and writes image files.
//
// Reading (Lee) recognises the file by its first bytes, whatever its name:
//   PNG   any colour type and depth, interlaced or not; transparency (alpha
//         channel or tRNS) becomes the alpha plane;
//   JPEG  baseline and progressive, grey, YCbCr and CMYK;
//   BMP   1, 4, 8, 16, 24 and 32 bits, uncompressed or with bit-field masks,
//         bottom-up or top-down, core and later info headers; an alpha mask in
//         a 32-bit file becomes the alpha plane (RLE files are not read);
//   CBMP  our compiled bitmap, below.
// Every image loads as a top-down 16-bit RGB565 bitmap (positive height) with
// straight (not premultiplied) colours; it has an alpha plane only when some
// pixel is not fully opaque. Colour channels are packed by dropping their low
// bits. Truncated, corrupt or oversized files (see TDibIG::MaxSide and
// MaxPixels) answer false and leave the bitmap as it was.
//
// Writing (Guarda) chooses by extension: ".cbmp" (any case) writes CBMP, any
// other name writes PNG (8-bit RGB, RGBA when the bitmap has alpha, grey for
// 8-bit bitmaps; premultiplied colours are divided back).
//
// CBMP layout, all numbers little-endian:
//   offset  0  4 bytes   "CBMP"
//           4  uint16    version, 1
//           6  uint16    flags: bit 0 alpha plane present, bit 1 premultiplied;
//                        other bits 0
//           8  uint32    width   (1..MaxSide)
//          12  uint32    height  (1..MaxSide, rows stored top row first)
//          16  uint32    length of the zlib stream that follows
//          20  ...       zlib stream of: every row's pixels as RGB565 uint16,
//                        no padding; then, with an alpha plane, every row's
//                        alpha bytes (0 opaque .. 255 transparent)
//
// Paths go through Path::Resolve (device paths, either separator, any case).
class TDibIGformat : public TDibIG {
public:
    enum Format { FormatUnknown, FormatPng, FormatJpeg, FormatBmp, FormatCbmp };

    // Files above this size are not read.
    static constexpr size_t MaxFileSize = size_t(256) << 20;

    TDibIGformat() = default;
    // With copyPixels set, a copy of bitmap (the double buffer for a
    // screenshot); otherwise an empty bitmap, so Guarda fails.
    TDibIGformat(const TDibIG& bitmap, bool copyPixels);

    bool Lee(const char* path);
    bool LeeMem(const uint8_t* data, size_t size);

    // Width and height of the image in a file without reading its pixels
    // (the sizes Lee would give). False when the file is not a readable image.
    static bool Lee_Cabecera_File(const char* path, int* width, int* height);
    static bool LeeCabeceraMem(const uint8_t* data, size_t size, int* width, int* height);

    bool Guarda(const char* path) const;
    static bool Guarda(const TDibIG& bitmap, const char* path);
    static bool EncodePng(const TDibIG& bitmap, std::vector<uint8_t>& out);
    static bool EncodeCbmp(const TDibIG& bitmap, std::vector<uint8_t>& out);

    static Format Detect(const uint8_t* data, size_t size);
};
