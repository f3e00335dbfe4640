#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "enginelib/draw/TDibIG.h"

// The decoders and encoders behind TDibIGformat (not for other callers).
//
// A decoder checks the whole input; on success it gives the image's size and,
// when out is not null, fills out with a top-down 16-bit bitmap that has an
// alpha plane only when some pixel is not fully opaque. On failure it answers
// false and out is left empty or as it was.

bool PngDecode(const uint8_t* data, size_t size, TDibIG* out, int* width, int* height);
bool JpegDecode(const uint8_t* data, size_t size, TDibIG* out, int* width, int* height);
bool BmpDecode(const uint8_t* data, size_t size, TDibIG* out, int* width, int* height);
// premultiplied: the flag stored in the file.
bool CbmpDecode(const uint8_t* data, size_t size, TDibIG* out, bool* premultiplied, int* width,
                int* height);

bool PngEncode(const TDibIG& bitmap, std::vector<uint8_t>& out);
bool CbmpEncode(const TDibIG& bitmap, std::vector<uint8_t>& out);

// One row of 8-bit channels (r, g, b, opacity) into RGB565 pixels and alpha
// bytes (alpha may be null). Answers whether some pixel is not fully opaque.
bool PackRowRGBA(const uint8_t* rgba, int width, uint8_t* pixels, uint8_t* alpha);
