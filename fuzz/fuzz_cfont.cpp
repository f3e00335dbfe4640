// Loads a ".cfont" bitmap font from the input and, when it loads, measures and
// draws Latin, Hebrew and Arabic text with it: wrapped, cut with an ellipsis,
// turned, shadowed and bordered, left to right and right to left.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

#include "enginelib/draw/IDC.h"
#include "enginelib/draw/TDibIG.h"
#include "uiengine/core/TPDAUIEngineSkinSettings.h"
#include "uiengine/fonts/TPDAUIEngineFontRendererCFONT.h"
#include "uiengine/fonts/TPDAUIEngineStyleFont.h"

namespace {

// Range images are read from the file on first use, so the input goes to one.
std::string InputPath()
{
    static const std::string path = "/tmp/fuzz_cfont_" + std::to_string(getpid()) + ".cfont";
    return path;
}

const char* const kTexts[] = {
    "Route to Hamburg-Altona (A7) Zone_5 [x]+y",
    "\xd7\xa4\xd7\xa0\xd7\x94 \xd7\x99\xd7\x9e\xd7\x99\xd7\xa0\xd7\x94 12.5",
    "\xd9\x84\xd8\xa7 \xd8\xa7\xd9\x84\xd8\xb7\xd8\xb1\xd9\x8a\xd9\x82 \xd8\xa1",
    "a\nb\r\nccccccccccccccccccccccccccccccccc",
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FILE* f = std::fopen(InputPath().c_str(), "wb");
    if (!f)
        return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);

    TPDAUIEngineFontRendererCFONT r(InputPath().c_str(), "");
    if (!r.valid)
        return 0;
    static TPDAUIEngineSkinSettings settings;
    TPDAUIEngineSkinSettings::SetCurrent(&settings);
    TDibIG dib;
    dib.Crea(64, 48, 24);
    IDC dc;
    dc.BeginPaintDib(&dib);
    for (int rtl = 0; rtl < 2; ++rtl) {
        settings.rightToLeft = uint8_t(rtl);
        for (const char* text : kTexts) {
            const DString t(text, int(std::char_traits<char>::length(text)), 65001);
            for (int variant = 0; variant < 4; ++variant) {
                TPDAUIEngineStyleFont font;
                font.size = 6 + 5 * variant;
                font.bold = variant & 1;
                font.shadowed = variant == 1;
                font.bordered = variant == 2;
                font.underline = variant == 3;
                font.orientation = variant == 2 ? 90 : (variant == 3 ? -90 : 0);
                font.paddingEllipsis = short(variant);
                const int flags = variant == 0 ? 0x10 : (variant == 1 ? 0x40000 : 0x40015 + variant);
                int w = 0, h = 0;
                r.GetTextExtent(w, h, font, t, 40, flags);
                r.FitFontSize(font, t, TRectIG(0, 0, 40, 30), flags, variant - 1);
                TRectIG rect(2, 2, 50 - 4 * variant, 40);
                const TColorIG background(90, 90, 90);
                r.DrawText(&dc, font, TColorIG(200, 10, 10), variant == 1 ? &background : nullptr,
                           t, rect, flags, variant == 0 ? -1 : variant);
                r.AdjustFont(font);
            }
        }
    }
    dc.EndPaintDib();
    TPDAUIEngineSkinSettings::SetCurrent(nullptr);
    r.GetMemoryUsage();
    return 0;
}
