#include "enginelib/draw/ImageCodecs.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jerror.h>
#include <jpeglib.h>

// libjpeg reports errors through error_exit, which longjmps back here; the
// decoder holds no C++ objects with destructors across the setjmp.

namespace {

struct JpegError {
    jpeg_error_mgr mgr;
    jmp_buf jump;
};

void OnError(j_common_ptr cinfo)
{
    longjmp(reinterpret_cast<JpegError*>(cinfo->err)->jump, 1);
}

// Warnings pass, except running out of data: a truncated file is a failure,
// not an image padded with grey.
void OnMessage(j_common_ptr cinfo, int level)
{
    if (level < 0 && cinfo->err->msg_code == JWRN_JPEG_EOF)
        longjmp(reinterpret_cast<JpegError*>(cinfo->err)->jump, 1);
}

void OnOutput(j_common_ptr) {}

// Progressive files with endless scans would keep the decoder busy for long.
void OnProgress(j_common_ptr cinfo)
{
    if (cinfo->is_decompressor &&
        reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > 500)
        longjmp(reinterpret_cast<JpegError*>(cinfo->err)->jump, 1);
}

} // namespace

bool JpegDecode(const uint8_t* data, size_t size, TDibIG* out, int* width, int* height)
{
    if (size < 4 || data[0] != 0xFF || data[1] != 0xD8 || data[2] != 0xFF)
        return false;
    jpeg_decompress_struct cinfo;
    JpegError err;
    jpeg_progress_mgr progress;
    cinfo.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = OnError;
    err.mgr.emit_message = OnMessage;
    err.mgr.output_message = OnOutput;
    progress.progress_monitor = OnProgress;
    uint8_t* volatile row = nullptr;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        std::free(row);
        if (out)
            out->Libera();
        return false;
    }
    jpeg_create_decompress(&cinfo);
    cinfo.progress = &progress;
    // Coefficient buffers of progressive images stay within this.
    cinfo.mem->max_memory_to_use = 512L << 20;
    jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
    if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK)
        longjmp(err.jump, 1);
    if (cinfo.image_width > unsigned(TDibIG::MaxSide) || cinfo.image_height > unsigned(TDibIG::MaxSide) ||
        !TDibIG::SizeAllowed(int(cinfo.image_width), int(cinfo.image_height)))
        longjmp(err.jump, 1);
    *width = int(cinfo.image_width);
    *height = int(cinfo.image_height);
    if (!out) {
        jpeg_destroy_decompress(&cinfo);
        return true;
    }

    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_start_decompress(&cinfo);
    const int components = cinfo.output_components;
    if (int(cinfo.output_width) != *width || int(cinfo.output_height) != *height ||
        components != (cmyk ? 4 : 3))
        longjmp(err.jump, 1);
    if (!out->Crea(*width, *height, 16))
        longjmp(err.jump, 1);
    row = static_cast<uint8_t*>(std::malloc(size_t(*width) * 4));
    if (!row)
        longjmp(err.jump, 1);
    // Adobe writes CMYK inverted (0 = full ink).
    const bool inverted = cinfo.saw_Adobe_marker;
    while (cinfo.output_scanline < cinfo.output_height) {
        int y = int(cinfo.output_scanline);
        JSAMPROW rows[1] = {row};
        if (jpeg_read_scanlines(&cinfo, rows, 1) != 1)
            longjmp(err.jump, 1);
        uint8_t* dst = out->Row(y);
        for (int x = 0; x < *width; ++x) {
            int r, g, b;
            const uint8_t* p = row + size_t(x) * components;
            if (cmyk) {
                int c = p[0], m = p[1], yy = p[2], k = p[3];
                if (!inverted) {
                    c = 255 - c;
                    m = 255 - m;
                    yy = 255 - yy;
                    k = 255 - k;
                }
                r = c * k / 255;
                g = m * k / 255;
                b = yy * k / 255;
            } else {
                r = p[0];
                g = p[1];
                b = p[2];
            }
            uint16_t v = TColorIG::PackRGB565(r, g, b);
            std::memcpy(dst + 2 * x, &v, 2);
        }
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    std::free(row);
    return true;
}
