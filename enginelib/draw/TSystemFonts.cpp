#include "enginelib/draw/TSystemFonts.h"

#include <atomic>

#include "enginelib/draw/TFontIG.h"

namespace {

std::atomic<TSystemFonts*> g_service{nullptr};

} // namespace

TSystemFonts::FontSpec TSystemFonts::FontSpec::FromFont(const TFontIG& font)
{
    FontSpec spec;
    spec.face = font.Name();
    spec.pixelHeight = font.PixelSize();
    spec.bold = font.Bold();
    spec.italic = font.Italic();
    return spec;
}

TSystemFonts* TSystemFonts::Instance() { return g_service.load(); }

TSystemFonts* TSystemFonts::SetInstance(TSystemFonts* service) { return g_service.exchange(service); }
