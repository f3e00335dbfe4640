#include "enginelib/draw/ImageCodecs.h"

#include <png.h>

#include <cstdlib>
#include <cstring>

// libpng reports errors by longjmp to the setjmp in the functions below; they
// hold no C++ objects with destructors, and whatever they allocate after the
// setjmp is reached through volatile pointers freed on the error path.

namespace {

struct PngSource {
    const uint8_t* data;
    size_t size;
    size_t pos;
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t n)
{
    PngSource* src = static_cast<PngSource*>(png_get_io_ptr(png));
    if (n > src->size - src->pos)
        png_error(png, "truncated");
    std::memcpy(out, src->data + src->pos, n);
    src->pos += n;
}

void OnError(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

void WriteToVector(png_structp png, png_bytep data, png_size_t n)
{
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + n);
}

void FlushNothing(png_structp) {}

} // namespace

bool PngDecode(const uint8_t* data, size_t size, TDibIG* out, int* width, int* height)
{
    if (size < 8 || png_sig_cmp(data, 0, 8) != 0)
        return false;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
    if (!png)
        return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return false;
    }
    PngSource src{data, size, 0};
    uint8_t* volatile rows = nullptr;
    png_bytep* volatile rowPointers = nullptr;
    if (setjmp(png_jmpbuf(png))) {
        std::free(rows);
        std::free(rowPointers);
        png_destroy_read_struct(&png, &info, nullptr);
        if (out)
            out->Libera();
        return false;
    }
    png_set_user_limits(png, TDibIG::MaxSide, TDibIG::MaxSide);
    png_set_chunk_malloc_max(png, 8u << 20);
    png_set_read_fn(png, &src, ReadFromMemory);
    png_read_info(png, info);

    png_uint_32 w = 0, h = 0;
    int depth = 0, colorType = 0, interlace = 0;
    png_get_IHDR(png, info, &w, &h, &depth, &colorType, &interlace, nullptr, nullptr);
    if (!TDibIG::SizeAllowed(int(w), int(h)))
        png_longjmp(png, 1);
    *width = int(w);
    *height = int(h);
    if (!out) {
        png_destroy_read_struct(&png, &info, nullptr);
        return true;
    }

    // Every kind of PNG is read as 8-bit RGBA.
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    size_t rowBytes = png_get_rowbytes(png, info);
    if (rowBytes != size_t(w) * 4)
        png_longjmp(png, 1);

    bool mayHaveAlpha = (colorType & PNG_COLOR_MASK_ALPHA) || png_get_valid(png, info, PNG_INFO_tRNS);
    if (!out->Crea(int(w), int(h), 16, mayHaveAlpha))
        png_longjmp(png, 1);
    bool transparent = false;
    if (passes == 1) {
        rows = static_cast<uint8_t*>(std::malloc(rowBytes));
        if (!rows)
            png_longjmp(png, 1);
        for (png_uint_32 y = 0; y < h; ++y) {
            png_read_row(png, rows, nullptr);
            transparent |= PackRowRGBA(rows, int(w), out->Row(int(y)), out->AlphaRow(int(y)));
        }
    } else {
        // Interlaced images need every row at hand for each pass.
        rows = static_cast<uint8_t*>(std::malloc(rowBytes * h));
        rowPointers = static_cast<png_bytep*>(std::malloc(sizeof(png_bytep) * h));
        if (!rows || !rowPointers)
            png_longjmp(png, 1);
        for (png_uint_32 y = 0; y < h; ++y)
            rowPointers[y] = rows + rowBytes * y;
        png_read_image(png, rowPointers);
        for (png_uint_32 y = 0; y < h; ++y)
            transparent |= PackRowRGBA(rowPointers[y], int(w), out->Row(int(y)), out->AlphaRow(int(y)));
    }
    png_read_end(png, nullptr);
    std::free(rows);
    std::free(rowPointers);
    png_destroy_read_struct(&png, &info, nullptr);
    if (!transparent)
        out->QuitaAlpha();
    return true;
}

namespace {

struct PngLayout {
    int width, height;
    bool grey, alpha, premultiplied;
    int channels;
};

PngLayout LayoutFor(const TDibIG& bitmap)
{
    PngLayout l;
    l.width = bitmap.Width();
    l.height = bitmap.AbsHeight();
    l.grey = bitmap.Bpp() == 8;
    l.alpha = bitmap.Tiene_Alphas();
    l.channels = l.grey ? 1 : l.alpha ? 4 : 3;
    l.premultiplied = bitmap.IsPreMultiplied() && l.alpha;
    return l;
}

// One row as 8-bit grey, RGB or RGBA, colours divided back when premultiplied.
void FillRow(const TDibIG& bitmap, const PngLayout& l, int y, uint8_t* p)
{
    if (l.grey) {
        std::memcpy(p, bitmap.Row(y), size_t(l.width));
        return;
    }
    for (int x = 0; x < l.width; ++x) {
        TColorIG c = bitmap.GetPixel(x, y);
        int ch[3] = {c.R(), c.G(), c.B()};
        int op = 255 - bitmap.GetAlpha(x, y);
        for (int v : ch) {
            if (l.premultiplied && op > 0 && op < 255)
                v = v * 255 / op > 255 ? 255 : v * 255 / op;
            *p++ = uint8_t(v);
        }
        if (l.alpha)
            *p++ = uint8_t(op);
    }
}

void WriteRows(png_structp png, png_infop info, const TDibIG& bitmap, uint8_t* row)
{
    const PngLayout l = LayoutFor(bitmap);
    png_set_IHDR(png, info, png_uint_32(l.width), png_uint_32(l.height), 8,
                 l.grey ? PNG_COLOR_TYPE_GRAY : l.alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < l.height; ++y) {
        FillRow(bitmap, l, y, row);
        png_write_row(png, row);
    }
    png_write_end(png, nullptr);
}

} // namespace

bool PngEncode(const TDibIG& bitmap, std::vector<uint8_t>& out)
{
    if (bitmap.IsEmpty())
        return false;
    out.clear();
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
    if (!png)
        return false;
    png_infop info = png_create_info_struct(png);
    uint8_t* row = static_cast<uint8_t*>(std::malloc(size_t(bitmap.Width()) * 4));
    if (!info || !row) {
        std::free(row);
        png_destroy_write_struct(&png, info ? &info : nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        std::free(row);
        png_destroy_write_struct(&png, &info);
        out.clear();
        return false;
    }
    png_set_write_fn(png, &out, WriteToVector, FlushNothing);
    WriteRows(png, info, bitmap, row);
    std::free(row);
    png_destroy_write_struct(&png, &info);
    return true;
}
