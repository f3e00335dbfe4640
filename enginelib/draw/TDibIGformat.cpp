#include "enginelib/draw/TDibIGformat.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "enginelib/base/Path.h"
#include "enginelib/draw/ImageCodecs.h"

namespace {

bool ReadWholeFile(const char* path, std::vector<uint8_t>& data)
{
    if (!path || !*path)
        return false;
    std::string native = Path::Resolve(path);
    FILE* f = std::fopen(native.c_str(), "rb");
    if (!f)
        return false;
    bool ok = false;
    if (std::fseek(f, 0, SEEK_END) == 0) {
        long size = std::ftell(f);
        if (size >= 0 && size_t(size) <= TDibIGformat::MaxFileSize && std::fseek(f, 0, SEEK_SET) == 0) {
            data.resize(size_t(size));
            ok = std::fread(data.data(), 1, data.size(), f) == data.size();
        }
    }
    std::fclose(f);
    return ok;
}

bool WriteWholeFile(const char* path, const std::vector<uint8_t>& data)
{
    if (!path || !*path)
        return false;
    std::string native = Path::Resolve(path);
    FILE* f = std::fopen(native.c_str(), "wb");
    if (!f)
        return false;
    bool ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
    ok = std::fclose(f) == 0 && ok;
    if (!ok)
        std::remove(native.c_str());
    return ok;
}

bool EndsWithNoCase(const char* text, const char* suffix)
{
    size_t n = std::strlen(text), m = std::strlen(suffix);
    if (m > n)
        return false;
    for (size_t i = 0; i < m; ++i) {
        char a = text[n - m + i], b = suffix[i];
        if (a >= 'A' && a <= 'Z')
            a = char(a - 'A' + 'a');
        if (a != b)
            return false;
    }
    return true;
}

} // namespace

bool PackRowRGBA(const uint8_t* rgba, int width, uint8_t* pixels, uint8_t* alpha)
{
    bool transparent = false;
    for (int x = 0; x < width; ++x, rgba += 4) {
        uint16_t v = TColorIG::PackRGB565(rgba[0], rgba[1], rgba[2]);
        std::memcpy(pixels + 2 * x, &v, 2);
        if (alpha)
            alpha[x] = uint8_t(255 - rgba[3]);
        transparent |= rgba[3] != 255;
    }
    return transparent;
}

TDibIGformat::TDibIGformat(const TDibIG& bitmap, bool copyPixels)
{
    if (copyPixels)
        Asigna(bitmap);
}

TDibIGformat::Format TDibIGformat::Detect(const uint8_t* data, size_t size)
{
    if (!data)
        return FormatUnknown;
    if (size >= 8 && std::memcmp(data, "\x89PNG\r\n\x1a\n", 8) == 0)
        return FormatPng;
    if (size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF)
        return FormatJpeg;
    if (size >= 2 && data[0] == 'B' && data[1] == 'M')
        return FormatBmp;
    if (size >= 4 && std::memcmp(data, "CBMP", 4) == 0)
        return FormatCbmp;
    return FormatUnknown;
}

bool TDibIGformat::Lee(const char* path)
{
    std::vector<uint8_t> data;
    return ReadWholeFile(path, data) && LeeMem(data.data(), data.size());
}

bool TDibIGformat::LeeMem(const uint8_t* data, size_t size)
{
    // Decoded aside, so that a failure leaves this bitmap as it was.
    TDibIG image;
    int w = 0, h = 0;
    bool premultiplied = false;
    bool ok = false;
    switch (Detect(data, size)) {
    case FormatPng: ok = PngDecode(data, size, &image, &w, &h); break;
    case FormatJpeg: ok = JpegDecode(data, size, &image, &w, &h); break;
    case FormatBmp: ok = BmpDecode(data, size, &image, &w, &h); break;
    case FormatCbmp: ok = CbmpDecode(data, size, &image, &premultiplied, &w, &h); break;
    case FormatUnknown: break;
    }
    if (!ok)
        return false;
    Swap(image);
    SetPreMultipliedFlag(premultiplied && Tiene_Alphas());
    return true;
}

bool TDibIGformat::LeeCabeceraMem(const uint8_t* data, size_t size, int* width, int* height)
{
    int w = 0, h = 0;
    bool premultiplied = false;
    bool ok = false;
    switch (Detect(data, size)) {
    case FormatPng: ok = PngDecode(data, size, nullptr, &w, &h); break;
    case FormatJpeg: ok = JpegDecode(data, size, nullptr, &w, &h); break;
    case FormatBmp: ok = BmpDecode(data, size, nullptr, &w, &h); break;
    case FormatCbmp: ok = CbmpDecode(data, size, nullptr, &premultiplied, &w, &h); break;
    case FormatUnknown: break;
    }
    if (!ok)
        return false;
    if (width)
        *width = w;
    if (height)
        *height = h;
    return true;
}

bool TDibIGformat::Lee_Cabecera_File(const char* path, int* width, int* height)
{
    std::vector<uint8_t> data;
    return ReadWholeFile(path, data) && LeeCabeceraMem(data.data(), data.size(), width, height);
}

bool TDibIGformat::Guarda(const char* path) const
{
    return Guarda(*this, path);
}

bool TDibIGformat::Guarda(const TDibIG& bitmap, const char* path)
{
    if (!path)
        return false;
    std::vector<uint8_t> data;
    bool ok = EndsWithNoCase(path, ".cbmp") ? EncodeCbmp(bitmap, data) : EncodePng(bitmap, data);
    return ok && WriteWholeFile(path, data);
}

bool TDibIGformat::EncodePng(const TDibIG& bitmap, std::vector<uint8_t>& out)
{
    return PngEncode(bitmap, out);
}

bool TDibIGformat::EncodeCbmp(const TDibIG& bitmap, std::vector<uint8_t>& out)
{
    return CbmpEncode(bitmap, out);
}
