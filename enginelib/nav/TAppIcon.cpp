#include "enginelib/nav/TAppIcon.h"

#include <cairo.h>

#include <algorithm>
#include <memory>

#include "enginelib/draw/IDC.h"
#include "enginelib/draw/TDibIG.h"
#include "enginelib/nav/CairoSurface.h"
#include "enginelib/nav/TCairoFont.h"
#include "enginelib/nav/TLumorGPSEngineInterface.h"
#include "enginelib/nav/TVisor_LumorGPSPocket.h"

TAppIcon* TAppIcon::GetThis()
{
    static TAppIcon icon;
    return &icon;
}

void TAppIcon::Pinta_IconoBadgeNumber(IDC& dc, TRectIG rect, const char* text, TColorIG colour)
{
    TDibIG* target = dc.GetTargetForDirectDrawing();
    cairo_surface_t* surface = target ? CreateCairoSurface(*target) : nullptr;
    if (!surface)
        return;
    const double w = rect.right - rect.left, h = rect.bottom - rect.top;
    if (w > 0 && h > 0) {
        cairo_t* cr = cairo_create(surface);
        const TRectIG clip = dc.GetClipRect();
        if (!(clip.left == 0 && clip.top == 0 && clip.right == 0 && clip.bottom == 0)) {
            cairo_rectangle(cr, clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top);
            cairo_clip(cr);
        }
        const double r = std::min(w, h) / 2;
        const double cx = rect.left + w / 2, cy = rect.top + h / 2;
        cairo_arc(cr, cx, cy, r, 0, 6.2831853);
        cairo_set_source_rgb(cr, colour.R() / 255.0, colour.G() / 255.0, colour.B() / 255.0);
        cairo_fill(cr);
        const TLumorGPSEngineInterface* f = TLumorGPSEngineInterface::Instance();
        std::unique_ptr<TCairoFont> font;
        if (f && f->visor)
            font = std::make_unique<TCairoFont>(f->visor->fontFile);
        if (font && font->Face() && text && *text) {
            cairo_set_font_face(cr, font->Face());
            cairo_set_font_size(cr, r * 1.2);
            cairo_text_extents_t e;
            cairo_text_extents(cr, text, &e);
            cairo_move_to(cr, cx - e.x_advance / 2, cy + e.height / 2);
            cairo_set_source_rgb(cr, 1, 1, 1);
            cairo_show_text(cr, text);
        }
        cairo_destroy(cr);
    }
    cairo_surface_flush(surface);
    cairo_surface_destroy(surface);
    target->Touch();
}
