// Text on an 800 x 480 RGB565 frame: a screen of 40 lines of 60 characters.
// The TrueType renderer with warm glyph caches, beside FreeType rendering the
// same glyphs directly and blending their coverage into the same frame.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include <ft2build.h>
#include FT_FREETYPE_H

#include "enginelib/base/DString.h"
#include "enginelib/draw/IDC.h"
#include "enginelib/draw/TDibIG.h"
#include "uiengine/fonts/TPDAUIEngineFontManager.h"
#include "uiengine/fonts/TPDAUIEngineFontRendererTTF.h"
#include "uiengine/fonts/TPDAUIEngineStyleFont.h"

namespace {

constexpr int kW = 800, kH = 480, kLines = 40, kColumns = 60, kSize = 12;
const TColorIG kInk(20, 20, 90);

std::string FontPath() { return std::string(ORBETA_SOURCE_DIR) + "/skins/default/DejaVuSans.ttf"; }

// The screen's text: varied words, every line 60 characters.
const std::vector<std::string>& ScreenLines()
{
    static std::vector<std::string> lines;
    if (lines.empty()) {
        const std::string words =
            "Turn left onto Harbour Road, then keep right at the fork towards the ring road "
            "(A12) for 3.4 km; speed limit 80 km/h, next fuel station in 12 km. ";
        for (int k = 0; k < kLines; ++k) {
            std::string line;
            for (int c = 0; (int)line.size() < kColumns; ++c)
                line += words[(k * 7 + c) % words.size()];
            lines.push_back(line);
        }
    }
    return lines;
}

struct Frame {
    TDibIG dib;
    Frame()
    {
        dib.Crea(kW, kH, 16);
        dib.Fill(TColorIG(250, 250, 245));
    }
};

// Coverage blended over an RGB565 pixel.
inline uint16_t Blend565(uint16_t dst, TColorIG c, int coverage)
{
    const int r = dst >> 11, g = (dst >> 5) & 0x3F, b = dst & 0x1F;
    const int cr = c.R() >> 3, cg = c.G() >> 2, cb = c.B() >> 3;
    return uint16_t((r + (cr - r) * coverage / 255) << 11 | (g + (cg - g) * coverage / 255) << 5 |
                    (b + (cb - b) * coverage / 255));
}

} // namespace

// The engine's path: DrawText of every line with the glyphs already cached.
static void BM_Fonts_TrueTypeScreen(benchmark::State& state)
{
    TPDAUIEngineFontManager manager;
    if (!manager.AddFont(FontPath().c_str(), "/tmp")) {
        state.SkipWithError("no font");
        return;
    }
    TPDAUIEngineStyleFont font;
    font.name = manager.Get(0)->family;
    font.size = kSize;
    Frame frame;
    IDC dc;
    dc.BeginPaintDib(&frame.dib);
    std::vector<DString> lines;
    for (const std::string& l : ScreenLines())
        lines.emplace_back(l.c_str());
    auto drawScreen = [&] {
        for (int k = 0; k < kLines; ++k) {
            TRectIG r(4, k * 12, kW - 4, k * 12 + 13);
            manager.DrawText(&dc, font, kInk, nullptr, lines[k], r, 0, -1);
        }
    };
    drawScreen();  // warms the caches
    for (auto _ : state) {
        drawScreen();
        benchmark::DoNotOptimize(frame.dib.Row(0));
    }
    dc.EndPaintDib();
    state.counters["glyphs/s"] =
        benchmark::Counter(double(kLines * kColumns), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_Fonts_TrueTypeScreen)->Unit(benchmark::kMicrosecond);

// FreeType alone: every glyph loaded and rendered, its coverage blended into
// the frame, at the pixel size the renderer chose for the same font size.
static void BM_Fonts_FreeTypeDirectScreen(benchmark::State& state)
{
    TPDAUIEngineFontRendererTTF renderer(FontPath().c_str(), "/tmp");
    if (!renderer.valid) {
        state.SkipWithError("no font");
        return;
    }
    const int pixelSize = renderer.GetCachedSize(TPDAUIEngineFontRendererTTF::SlotRegular, kSize)->pixelSize;
    FT_Library library;
    FT_Face face;
    FT_Init_FreeType(&library);
    if (FT_New_Face(library, FontPath().c_str(), 0, &face) != 0) {
        state.SkipWithError("no face");
        FT_Done_FreeType(library);
        return;
    }
    FT_Set_Pixel_Sizes(face, 0, pixelSize);
    const int ascender = (int)(face->size->metrics.ascender / 64);
    Frame frame;
    const std::vector<std::string>& lines = ScreenLines();
    for (auto _ : state) {
        for (int k = 0; k < kLines; ++k) {
            int pen = 4;
            const int baseline = k * 12 + ascender;
            for (unsigned char ch : lines[k]) {
                if (FT_Load_Char(face, ch, FT_LOAD_RENDER) != 0)
                    continue;
                const FT_GlyphSlot g = face->glyph;
                const FT_Bitmap& b = g->bitmap;
                for (int y = 0; y < (int)b.rows; ++y) {
                    const int ty = baseline - g->bitmap_top + y;
                    if (ty < 0 || ty >= kH)
                        continue;
                    uint16_t* row = reinterpret_cast<uint16_t*>(frame.dib.Row(ty));
                    const unsigned char* src = b.buffer + y * b.pitch;
                    for (int x = 0; x < (int)b.width; ++x) {
                        const int tx = pen + g->bitmap_left + x;
                        if (src[x] && tx >= 0 && tx < kW)
                            row[tx] = Blend565(row[tx], kInk, src[x]);
                    }
                }
                pen += (int)(g->advance.x / 64);
            }
        }
        benchmark::DoNotOptimize(frame.dib.Row(0));
    }
    FT_Done_Face(face);
    FT_Done_FreeType(library);
    state.counters["glyphs/s"] =
        benchmark::Counter(double(kLines * kColumns), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_Fonts_FreeTypeDirectScreen)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
