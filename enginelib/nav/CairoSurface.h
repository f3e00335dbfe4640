#pragma once

class TDibIG;
typedef struct _cairo_surface cairo_surface_t;

// A cairo surface over a bitmap's own pixels (32-bit x8r8g8b8 or 16-bit RGB565,
// top-down), or null for a bitmap cairo cannot draw into. The caller destroys it.
cairo_surface_t* CreateCairoSurface(TDibIG& dib);
