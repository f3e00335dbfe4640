#pragma once

class TDibIG;
typedef struct _cairo_surface cairo_surface_t;

#include <memory>

// A cairo surface over a bitmap's own pixels (32-bit x8r8g8b8 or 16-bit RGB565,
// top-down), or null for a bitmap cairo cannot draw into. The caller destroys it.
cairo_surface_t* CreateCairoSurface(TDibIG& dib);

// A finished ARGB32 drawing as a 16-bit picture: with an alpha plane, or on the
// magenta colour key where it is mostly transparent. Null when memory runs out.
std::unique_ptr<TDibIG> DibFromCairo(cairo_surface_t* argb, bool colourKey);
