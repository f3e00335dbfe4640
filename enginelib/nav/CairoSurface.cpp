#include "enginelib/nav/CairoSurface.h"

#include <cairo.h>

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
