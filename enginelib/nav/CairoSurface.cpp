#include "enginelib/nav/CairoSurface.h"

#include <cairo.h>

#include <cstdint>

#include "enginelib/draw/TDibIG.h"

cairo_surface_t* CreateCairoSurface(TDibIG& dib)
{
    if (dib.IsEmpty() || dib.IsBottomUp() || (dib.Bpp() != 32 && dib.Bpp() != 16))
        return nullptr;
    const cairo_format_t format = dib.Bpp() == 32 ? CAIRO_FORMAT_RGB24 : CAIRO_FORMAT_RGB16_565;
    if (cairo_format_stride_for_width(format, dib.Width()) != dib.LineSizeBytes())
        return nullptr;
    return cairo_image_surface_create_for_data(dib.Bits(), format, dib.Width(), dib.AbsHeight(), dib.LineSizeBytes());
}

std::unique_ptr<TDibIG> DibFromCairo(cairo_surface_t* s, bool colourKey)
{
    cairo_surface_flush(s);
    const int w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s);
    const int stride = cairo_image_surface_get_stride(s);
    const unsigned char* data = cairo_image_surface_get_data(s);
    auto dib = std::make_unique<TDibIG>();
    if (!data || !dib->Crea(w, h, 16, !colourKey))
        return nullptr;
    for (int y = 0; y < h; ++y) {
        const uint32_t* row = reinterpret_cast<const uint32_t*>(data + y * stride);
        for (int x = 0; x < w; ++x) {
            const uint32_t p = row[x];
            const int a = p >> 24;
            int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
            if (a > 0 && a < 255)  // premultiplied: back to plain colours
                r = r * 255 / a, g = g * 255 / a, b = b * 255 / a;
            if (a == 0)
                r = 255, g = 0, b = 255;  // see-through pixels carry the colour key too
            if (colourKey) {
                dib->SetPixel(x, y, a < 128 ? TColorIG(255, 0, 255) : TColorIG(r, g, b));
            } else {
                dib->SetPixel(x, y, TColorIG(r, g, b));
                dib->AlphaRow(y)[x] = (uint8_t)(255 - a);  // the plane counts transparency
            }
        }
    }
    return dib;
}
