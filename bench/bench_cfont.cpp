// A screen of text (40 lines of 60 characters, 16 pixels) drawn three ways into
// the same 800 x 480 frame: with the default skin's bitmap font, with FreeType
// rendering each glyph directly (FT_Load_Char with rendering, blended pixel by
// pixel), and through the system font service. Items are characters; compare
// the items per second of the bitmap font with the direct FreeType run.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

#include <ft2build.h>
#include FT_FREETYPE_H

#include "enginelib/base/DUString.h"
#include "enginelib/draw/IDC.h"
#include "uiengine/fonts/TPDAUIEngineFontRendererCFONT.h"
#include "uiengine/fonts/TPDAUIEngineStyleFont.h"
#include "wincore/fonts/TSystemFontsFreeType.h"

namespace {

constexpr int W = 800, H = 480, kLines = 40, kSize = 16;

const std::string kSkin = std::string(ORBETA_SOURCE_DIR) + "/skins/default/";

// 60 characters of a line; each line starts elsewhere in the text.
std::string Line(int i)
{
    static const std::string text =
        "Turn right onto Hamburger Strasse, then keep left at the fork towards "
        "Altona (A7); 2.5 km to the next exit, 14 min to your destination. ";
    std::string line;
    for (int k = 0; k < 60; ++k)
        line += text[size_t(i * 7 + k) % text.size()];
    return line;
}

struct Frame {
    TDibIG dib;
    IDC dc;
    Frame()
    {
        dib.Crea(W, H, 32);
        dib.Fill(TColorIG(30, 60, 90));
        dc.BeginPaintDib(&dib);
    }
    ~Frame() { dc.EndPaintDib(); }
};

bool FontReady(const TPDAUIEngineFontRendererCFONT& font, benchmark::State& st)
{
    if (!font.valid)
        st.SkipWithError("no bitmap font");
    return font.valid;
}

void BM_Screen_BitmapFont(benchmark::State& st)
{
    Frame f;
    TPDAUIEngineFontRendererCFONT font((kSkin + "DejaVuSans.cfont").c_str(), "");
    if (!FontReady(font, st))
        return;
    TPDAUIEngineStyleFont style;
    style.size = kSize;
    std::vector<DString> lines;
    for (int i = 0; i < kLines; ++i)
        lines.push_back(Line(i).c_str());
    for (auto _ : st)
        for (int i = 0; i < kLines; ++i) {
            TRectIG r(0, i * 12, W, i * 12 + kSize + 4);
            font.DrawText(&f.dc, style, TColorIG(255, 255, 255), nullptr, lines[size_t(i)], r, 0, -1);
        }
    st.SetItemsProcessed(st.iterations() * kLines * 60);
}

// Short labels as a page has them (clock, distances, street names), each a
// DrawText call of its own; argument 1 draws them bordered (five passes per
// glyph). Items are characters.
void BM_Labels_BitmapFont(benchmark::State& st)
{
    Frame f;
    TPDAUIEngineFontRendererCFONT font((kSkin + "DejaVuSans.cfont").c_str(), "");
    if (!FontReady(font, st))
        return;
    TPDAUIEngineStyleFont style;
    style.size = kSize;
    style.bordered = st.range(0) != 0;
    static const char* const kLabels[] = {"12:45", "2.5 km", "Hamburger Strasse", "A7",
                                          "14 min", "87 km/h", "Altona", "N 53.55 E 9.99"};
    std::vector<DString> labels;
    size_t chars = 0;
    for (const char* l : kLabels) {
        labels.push_back(l);
        chars += std::strlen(l);
    }
    for (auto _ : st)
        for (int i = 0; i < 5; ++i)
            for (size_t k = 0; k < labels.size(); ++k) {
                TRectIG r(int(k) * 90, i * 90, int(k) * 90 + 160, i * 90 + 30);
                font.DrawText(&f.dc, style, TColorIG(255, 255, 255), nullptr, labels[k], r, 0x1 | 0x4,
                              1);
            }
    st.SetItemsProcessed(int64_t(st.iterations()) * 5 * int64_t(chars));
}

void BM_Screen_FreeTypeDirect(benchmark::State& st)
{
    Frame f;
    FT_Library library;
    FT_Face face;
    if (FT_Init_FreeType(&library) || FT_New_Face(library, (kSkin + "DejaVuSans.ttf").c_str(), 0, &face)) {
        st.SkipWithError("no FreeType font");
        return;
    }
    FT_Set_Pixel_Sizes(face, 0, kSize - 2);
    std::vector<std::string> lines;
    for (int i = 0; i < kLines; ++i)
        lines.push_back(Line(i));
    const TColorIG white(255, 255, 255);
    for (auto _ : st)
        for (int i = 0; i < kLines; ++i) {
            int x = 1;
            const int baseline = i * 12 + 13;
            for (char c : lines[size_t(i)]) {
                if (FT_Load_Char(face, FT_ULong(c), FT_LOAD_RENDER))
                    continue;
                const FT_GlyphSlot g = face->glyph;
                for (int y = 0; y < int(g->bitmap.rows); ++y)
                    for (int xx = 0; xx < int(g->bitmap.width); ++xx)
                        f.dc.SetPixel(x + g->bitmap_left + xx, baseline - g->bitmap_top + y, white,
                                      g->bitmap.buffer[y * g->bitmap.pitch + xx]);
                x += int(g->advance.x >> 6);
            }
        }
    st.SetItemsProcessed(st.iterations() * kLines * 60);
    FT_Done_Face(face);
    FT_Done_FreeType(library);
}

void BM_Screen_SystemFonts(benchmark::State& st)
{
    Frame f;
    TSystemFontsFreeType system((kSkin + "DejaVuSans.ttf").c_str());
    TSystemFonts::FontSpec spec;
    spec.face = "DejaVuSans";
    spec.pixelHeight = kSize;
    spec.bold = st.range(0) != 0;
    std::vector<DUString> lines;
    for (int i = 0; i < kLines; ++i)
        lines.emplace_back(Line(i).c_str());
    for (auto _ : st)
        for (int i = 0; i < kLines; ++i) {
            TRectIG r(0, i * 12, W, i * 12 + kSize + 4);
            system.DrawText(&f.dc, spec, lines[size_t(i)].c_str(), lines[size_t(i)].Length(), r, 0,
                            TColorIG(255, 255, 255));
        }
    st.SetItemsProcessed(st.iterations() * kLines * 60);
}

} // namespace

BENCHMARK(BM_Screen_BitmapFont)->Unit(benchmark::kMicrosecond);
// Argument: 1 for bordered text.
BENCHMARK(BM_Labels_BitmapFont)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Screen_FreeTypeDirect)->Unit(benchmark::kMicrosecond);
// Argument: 1 for bold made from the regular face.
BENCHMARK(BM_Screen_SystemFonts)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
