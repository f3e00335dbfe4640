// The drawing context's hot paths on an 800 x 480 frame, each beside the same
// work done with pixman directly. Argument: target depth (16 = RGB565 frame,
// 32 = the x8r8g8b8 double buffer).
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include <pixman.h>

#include "enginelib/draw/IDC.h"
#include "uiengine/fonts/TPDAUIEngineFontManager.h"
#include "uiengine/fonts/TPDAUIEngineStyleFont.h"

namespace {

constexpr int W = 800, H = 480;
const TColorIG kKey(255, 0, 255);

pixman_format_code_t FormatOf(const TDibIG& d)
{
    return d.Bpp() == 16 ? PIXMAN_r5g6b5 : d.Bpp() == 24 ? PIXMAN_r8g8b8 : PIXMAN_x8r8g8b8;
}

pixman_image_t* Wrap(TDibIG& d, pixman_format_code_t f)
{
    return pixman_image_create_bits(f, d.Width(), d.AbsHeight(), reinterpret_cast<uint32_t*>(d.Row(0)),
                                    d.RowStep());
}

// A skin-like RGB565 image: gradients with a magenta-keyed border and hole.
void MakeSkinImage(TDibIG& img, int w, int h)
{
    img.Crea(w, h, 16);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const bool key = x < 8 || y < 8 || x >= w - 8 || y >= h - 8 ||
                             (std::abs(x - w / 2) < w / 8 && std::abs(y - h / 2) < h / 8);
            img.SetPixel(x, y, key ? kKey : TColorIG((x * 255) / w, (y * 255) / h, 128));
        }
}

// The premultiplied a8r8g8b8 form of a keyed image, made the way a pixman
// user would make it once.
struct RawArgb {
    std::vector<uint32_t> px;
    pixman_image_t* img = nullptr;
    explicit RawArgb(const TDibIG& src)
    {
        const int w = src.Width(), h = src.AbsHeight();
        px.resize(size_t(w) * h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const TColorIG c = src.GetPixel(x, y);
                px[size_t(y) * w + x] = c.ToRGB565() == kKey.ToRGB565() ? 0 : c.ToARGB(255);
            }
        img = pixman_image_create_bits(PIXMAN_a8r8g8b8, w, h, px.data(), w * 4);
    }
    ~RawArgb() { pixman_image_unref(img); }
};

struct Frame {
    TDibIG dib;
    IDC dc;
    pixman_image_t* raw = nullptr;
    explicit Frame(int bpp)
    {
        dib.Crea(W, H, bpp);
        dib.Fill(TColorIG(30, 60, 90));
        dc.BeginPaintDib(&dib);
        raw = Wrap(dib, FormatOf(dib));
    }
    ~Frame()
    {
        dc.EndPaintDib();
        pixman_image_unref(raw);
    }
};

void SetScale(pixman_image_t* img, double fx, double fy, pixman_filter_t filter)
{
    pixman_f_transform ft;
    pixman_f_transform_init_scale(&ft, fx, fy);
    pixman_transform_t t;
    pixman_transform_from_pixman_f_transform(&t, &ft);
    pixman_image_set_transform(img, &t);
    pixman_image_set_filter(img, filter, nullptr, 0);
    pixman_image_set_repeat(img, PIXMAN_REPEAT_PAD);
}

// ---- fill ---------------------------------------------------------------

void BM_Fill_IDC(benchmark::State& st)
{
    Frame f(int(st.range(0)));
    f.dc.SetBrush(TColorIG(200, 10, 10), 0);
    f.dc.SetPen(TColorIG(200, 10, 10), 1);
    for (auto _ : st)
        f.dc.Rectangle(TRectIG(0, 0, W, H));
    st.SetItemsProcessed(st.iterations() * W * H);
}

void BM_Fill_Pixman(benchmark::State& st)
{
    Frame f(int(st.range(0)));
    const uint32_t v = f.dib.Bpp() == 16 ? TColorIG(200, 10, 10).ToRGB565() : TColorIG(200, 10, 10).ToARGB(255);
    for (auto _ : st)
        pixman_fill(reinterpret_cast<uint32_t*>(f.dib.Row(0)), f.dib.RowStep() / 4, f.dib.Bpp(), 0, 0, W, H, v);
    st.SetItemsProcessed(st.iterations() * W * H);
}

// A button-sized fill (40 x 24), the common case in a frame.
void BM_SmallFill_IDC(benchmark::State& st)
{
    Frame f(int(st.range(0)));
    f.dc.SetBrush(TColorIG(200, 10, 10), 0);
    f.dc.SetPen(TColorIG(200, 10, 10), 1);
    for (auto _ : st)
        f.dc.Rectangle(TRectIG(100, 100, 140, 124));
    st.SetItemsProcessed(st.iterations());
}

void BM_SmallFill_Pixman(benchmark::State& st)
{
    Frame f(int(st.range(0)));
    const uint32_t v = f.dib.Bpp() == 16 ? TColorIG(200, 10, 10).ToRGB565() : TColorIG(200, 10, 10).ToARGB(255);
    for (auto _ : st)
        pixman_fill(reinterpret_cast<uint32_t*>(f.dib.Row(0)), f.dib.RowStep() / 4, f.dib.Bpp(), 100, 100, 40, 24, v);
    st.SetItemsProcessed(st.iterations());
}

// ---- alpha fill (the page dim) -----------------------------------------------

void BM_AlphaFill_IDC(benchmark::State& st)
{
    Frame f(int(st.range(0)));
    f.dc.SetBrush(TColorIG(10, 10, 10), 0);
    for (auto _ : st)
        f.dc.RectangleA(TRectIG(0, 0, W, H), 127);
    st.SetItemsProcessed(st.iterations() * W * H);
}

void BM_AlphaFill_Pixman(benchmark::State& st)
{
    Frame f(int(st.range(0)));
    const uint16_t c = uint16_t(((10 * 127 + 127) / 255) * 257);
    const pixman_color_t colour = {c, c, c, uint16_t(127 * 257)};
    const pixman_box32_t box = {0, 0, W, H};
    for (auto _ : st)
        pixman_image_fill_boxes(PIXMAN_OP_OVER, f.raw, &colour, 1, &box);
    st.SetItemsProcessed(st.iterations() * W * H);
}

// ---- colour-keyed blit, one to one ---------------------------------------------

void BM_KeyedBlit_IDC(benchmark::State& st)
{
    Frame f(int(st.range(0)));
    TDibIG img;
    MakeSkinImage(img, W, H);
    for (auto _ : st)
        f.dc.StretchDIBits_Transparent(TRectIG(0, 0, W, H), TRectIG(0, 0, W, H), &img, kKey);
    st.SetItemsProcessed(st.iterations() * W * H);
}

void BM_KeyedBlit_Pixman(benchmark::State& st)
{
    Frame f(int(st.range(0)));
    TDibIG img;
    MakeSkinImage(img, W, H);
    RawArgb argb(img);
    for (auto _ : st)
        pixman_image_composite32(PIXMAN_OP_OVER, argb.img, nullptr, f.raw, 0, 0, 0, 0, 0, 0, W, H);
    st.SetItemsProcessed(st.iterations() * W * H);
}

// ---- colour-keyed stretch (400 x 240 up to the full frame) -----------------------

void BM_KeyedStretch_IDC(benchmark::State& st)
{
    Frame f(int(st.range(0)));
    TDibIG img;
    MakeSkinImage(img, W / 2, H / 2);
    for (auto _ : st)
        f.dc.StretchDIBits_Transparent(TRectIG(0, 0, W, H), TRectIG(0, 0, W / 2, H / 2), &img, kKey);
    st.SetItemsProcessed(st.iterations() * W * H);
}

void BM_KeyedStretch_Pixman(benchmark::State& st)
{
    Frame f(int(st.range(0)));
    TDibIG img;
    MakeSkinImage(img, W / 2, H / 2);
    RawArgb argb(img);
    SetScale(argb.img, 0.5, 0.5, PIXMAN_FILTER_NEAREST);
    for (auto _ : st)
        pixman_image_composite32(PIXMAN_OP_OVER, argb.img, nullptr, f.raw, 0, 0, 0, 0, 0, 0, W, H);
    st.SetItemsProcessed(st.iterations() * W * H);
}

// ---- transition step: a 24-bit page image at global alpha ---------------------------

void BM_TransitionBlend_IDC(benchmark::State& st)
{
    Frame f(int(st.range(0)));
    TDibIG page;
    page.Crea(W, H, 24);
    page.Fill(TColorIG(220, 220, 180));
    TAdvStetchDIBitsData data;
    data.alpha = 128;
    for (auto _ : st)
        f.dc.StretchDIBits_Adv(TRectIG(0, 0, W, H), TRectIG(0, 0, W, H), &page, data);
    st.SetItemsProcessed(st.iterations() * W * H);
}

void BM_TransitionBlend_Pixman(benchmark::State& st)
{
    Frame f(int(st.range(0)));
    TDibIG page;
    page.Crea(W, H, 24);
    page.Fill(TColorIG(220, 220, 180));
    pixman_image_t* src = Wrap(page, PIXMAN_r8g8b8);
    const pixman_color_t a = {0, 0, 0, uint16_t(128 * 257)};
    pixman_image_t* mask = pixman_image_create_solid_fill(&a);
    for (auto _ : st)
        pixman_image_composite32(PIXMAN_OP_OVER, src, mask, f.raw, 0, 0, 0, 0, 0, 0, W, H);
    pixman_image_unref(mask);
    pixman_image_unref(src);
    st.SetItemsProcessed(st.iterations() * W * H);
}

// ---- rotation (a 256 x 256 compass dial, turned, keyed) -------------------------------

void BM_Rotate_IDC(benchmark::State& st)
{
    Frame f(int(st.range(0)));
    TDibIG dial;
    MakeSkinImage(dial, 256, 256);
    TMatriz3RodAdv m;
    const TRectIG dst(272, 112, 528, 368);
    m.SetRotation(0.5f, TRectIG(0, 0, 256, 256), dst);
    TAdvStetchDIBitsData data(33, 0, 0, 255, &m, 0, 0);
    for (auto _ : st)
        f.dc.StretchDIBits_Adv(dst, TRectIG(0, 0, 256, 256), &dial, data);
    st.SetItemsProcessed(st.iterations() * 256 * 256);
}

void BM_Rotate_Pixman(benchmark::State& st)
{
    Frame f(int(st.range(0)));
    TDibIG dial;
    MakeSkinImage(dial, 256, 256);
    RawArgb argb(dial);
    // Destination pixels to source: about the centre, by -0.5 radians.
    const double c = std::cos(0.5), s = std::sin(0.5);
    // The turned square's bounding box about the centre (400, 240).
    const double half = 128 * (std::fabs(c) + std::fabs(s));
    const int bx = int(std::floor(400 - half)), by = int(std::floor(240 - half));
    const int side = int(std::ceil(400 + half)) - bx;
    pixman_f_transform ft;
    pixman_f_transform_init_identity(&ft);
    ft.m[0][0] = c;
    ft.m[0][1] = s;
    ft.m[1][0] = -s;
    ft.m[1][1] = c;
    const double ox = bx - 400.0, oy = by - 240.0;
    ft.m[0][2] = c * ox + s * oy + 128;
    ft.m[1][2] = -s * ox + c * oy + 128;
    pixman_transform_t t;
    pixman_transform_from_pixman_f_transform(&t, &ft);
    pixman_image_set_transform(argb.img, &t);
    pixman_image_set_filter(argb.img, PIXMAN_FILTER_BILINEAR, nullptr, 0);
    for (auto _ : st)
        pixman_image_composite32(PIXMAN_OP_OVER, argb.img, nullptr, f.raw, 0, 0, 0, 0, bx, by, side, side);
    st.SetItemsProcessed(st.iterations() * 256 * 256);
}

// ---- glyphs: a 40-character line of text ------------------------------------------------
// Through the font manager and the default skin's font, as labels draw; beside it
// pixman painting 40 glyph coverage masks of 14 x 16 in a colour.

const char kLine[] = "Turn right onto Hamburger Strasse in 2 km";  // 40 characters

void BM_Glyph_IDC(benchmark::State& st)
{
    Frame f(int(st.range(0)));
    TPDAUIEngineFontManager fonts;
    if (!fonts.AddFont((std::string(ORBETA_SOURCE_DIR) + "/skins/default/DejaVuSans.cfont").c_str(), "")) {
        st.SkipWithError("no default skin font");
        return;
    }
    TPDAUIEngineStyleFont font;
    font.name = fonts.Get(0)->family;
    font.size = 16;
    const CDString text(kLine);
    int y = 0;
    for (auto _ : st) {
        TRectIG r(0, y, W, y + 20);
        fonts.DrawText(&f.dc, font, TColorIG(255, 255, 255), nullptr, text, r, 0, -1);
        y = (y + 20) % (H - 20);
    }
    st.SetItemsProcessed(st.iterations() * 40);
}

void BM_Glyph_Pixman(benchmark::State& st)
{
    Frame f(int(st.range(0)));
    uint8_t cov[16 * 16];
    for (int y = 0; y < 16; ++y)
        for (int xx = 0; xx < 16; ++xx)
            cov[y * 16 + xx] = xx < 14 ? uint8_t((xx * 37 + y * 91) % 256) : 0;
    pixman_image_t* mask = pixman_image_create_bits(PIXMAN_a8, 14, 16, reinterpret_cast<uint32_t*>(cov), 16);
    const pixman_color_t white = {0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};
    pixman_image_t* solid = pixman_image_create_solid_fill(&white);
    int y = 0;
    for (auto _ : st) {
        for (int i = 0; i < 40; ++i)
            pixman_image_composite32(PIXMAN_OP_OVER, solid, mask, f.raw, 0, 0, 0, 0, 1 + i * 10, y, 14, 16);
        y = (y + 20) % (H - 20);
    }
    pixman_image_unref(solid);
    pixman_image_unref(mask);
    st.SetItemsProcessed(st.iterations() * 40);
}

// ---- small keyed blits (nine-slice pieces): per-call cost --------------------------------

void BM_SmallKeyedBlit_IDC(benchmark::State& st)
{
    Frame f(int(st.range(0)));
    TDibIG img;
    MakeSkinImage(img, 64, 64);
    for (auto _ : st)
        f.dc.StretchDIBits_Transparent(TRectIG(100, 100, 132, 132), TRectIG(10, 10, 42, 42), &img, kKey);
    st.SetItemsProcessed(st.iterations());
}

void BM_SmallKeyedBlit_Pixman(benchmark::State& st)
{
    Frame f(int(st.range(0)));
    TDibIG img;
    MakeSkinImage(img, 64, 64);
    RawArgb argb(img);
    for (auto _ : st)
        pixman_image_composite32(PIXMAN_OP_OVER, argb.img, nullptr, f.raw, 10, 10, 0, 0, 100, 100, 32, 32);
    st.SetItemsProcessed(st.iterations());
}

// ---- keyed blits over many different images (a skin's icons and buttons) ----------------
// More images than any fixed-size cache of masks holds, drawn in turn: the
// per-call cost once every image has been drawn once.

constexpr int kManyImages = 2048;
constexpr int kIconSide = 48;

std::vector<std::unique_ptr<TDibIG>> MakeIcons()
{
    std::vector<std::unique_ptr<TDibIG>> icons;
    for (int i = 0; i < kManyImages; ++i) {
        icons.push_back(std::make_unique<TDibIG>());
        MakeSkinImage(*icons.back(), kIconSide, kIconSide);
    }
    return icons;
}

void BM_KeyedBlitManyImages_IDC(benchmark::State& st)
{
    Frame f(int(st.range(0)));
    const auto icons = MakeIcons();
    const TRectIG src(0, 0, kIconSide, kIconSide);
    for (const auto& icon : icons)
        f.dc.StretchDIBits_Transparent(TRectIG(100, 100, 148, 148), src, icon.get(), kKey);
    size_t i = 0;
    for (auto _ : st) {
        f.dc.StretchDIBits_Transparent(TRectIG(100, 100, 148, 148), src, icons[i].get(), kKey);
        i = (i + 1) % icons.size();
    }
    st.SetItemsProcessed(st.iterations());
}

void BM_KeyedBlitManyImages_Pixman(benchmark::State& st)
{
    Frame f(int(st.range(0)));
    const auto icons = MakeIcons();
    std::vector<std::unique_ptr<RawArgb>> argb;
    for (const auto& icon : icons)
        argb.push_back(std::make_unique<RawArgb>(*icon));
    size_t i = 0;
    for (auto _ : st) {
        pixman_image_composite32(PIXMAN_OP_OVER, argb[i]->img, nullptr, f.raw, 0, 0, 0, 0, 100, 100, kIconSide,
                                 kIconSide);
        i = (i + 1) % argb.size();
    }
    st.SetItemsProcessed(st.iterations());
}

// ---- a frame's keyed pieces: direct paths against pixman's --------------------------------
// Argument: 1 = direct blits (the default), 0 = everything through pixman, in
// the same process for a fair ratio. Nine-slice buttons (48 x 48 image with
// 12-pixel corners, as the default skin's) in a grid, and a page background
// (8 x 240 strip) stretched over the screen.

void NineSlice(IDC& dc, const TDibIG& img, const TRectIG& r)
{
    const int c = 12, iw = img.Width(), ih = img.AbsHeight();
    const int L = r.left, T = r.top, R = r.right, B = r.bottom;
    auto blit = [&](int dl, int dt, int dr, int db, int sl, int st, int sr, int sb) {
        dc.StretchDIBits_Transparent(TRectIG(dl, dt, dr, db), TRectIG(sl, st, sr, sb), &img, kKey);
    };
    blit(L + c, T, R - c, T + c, c, 0, iw - c, c);
    blit(L + c, B - c, R - c, B, c, ih - c, iw - c, ih);
    blit(L, T + c, L + c, B - c - 1, 0, c, c, ih - c);
    blit(R - c, T + c, R, B - c, iw - c, c, iw, ih - c);
    blit(L, T, L + c, T + c, 0, 0, c, c);
    blit(R - c, T, R, T + c, iw - c, 0, iw, c);
    blit(L, B - c - 1, L + c, B, 0, ih - c, c, ih);
    blit(R - c, B - c, R, B, iw - c, ih - c, iw, ih);
    blit(L + c, T + c, R - c, B - c, c, c, iw - c, ih - c);
}

void BM_FrameButtons(benchmark::State& st)
{
    Frame f(32);
    f.dc.SetDirectBlits(st.range(0) != 0);
    TDibIG img;
    MakeSkinImage(img, 48, 48);
    for (auto _ : st)
        for (int i = 0; i < 40; ++i)
            NineSlice(f.dc, img, TRectIG(10 + (i % 8) * 95, 10 + (i / 8) * 90, 10 + (i % 8) * 95 + 28 + i * 2,
                                         10 + (i / 8) * 90 + 40 + i));
    st.SetItemsProcessed(st.iterations() * 40 * 9);
}
BENCHMARK(BM_FrameButtons)->Arg(1)->Arg(0);

void BM_FrameBackground(benchmark::State& st)
{
    Frame f(32);
    f.dc.SetDirectBlits(st.range(0) != 0);
    TDibIG strip;
    MakeSkinImage(strip, 8, 240);
    strip.Fill(TColorIG(20, 40, 60));
    for (auto _ : st)
        f.dc.StretchDIBits_Transparent(TRectIG(0, 0, W, H), TRectIG(0, 0, 8, 240), &strip, kKey);
    st.SetItemsProcessed(st.iterations() * W * H);
}
BENCHMARK(BM_FrameBackground)->Arg(1)->Arg(0);

// ---- SetPixel (bitmap-font glyphs write one pixel at a time) -----------------------------

void BM_SetPixel_IDC(benchmark::State& st)
{
    Frame f(int(st.range(0)));
    int i = 0;
    for (auto _ : st) {
        f.dc.SetPixel(i % W, (i / W) % H, TColorIG(255, 255, 255), 128 + (i & 127));
        ++i;
    }
    st.SetItemsProcessed(st.iterations());
}

} // namespace

#define ORBETA_PAIR(name)                                 \
    BENCHMARK(BM_##name##_IDC)->Arg(16)->Arg(32);         \
    BENCHMARK(BM_##name##_Pixman)->Arg(16)->Arg(32);

ORBETA_PAIR(Fill)
ORBETA_PAIR(SmallFill)
ORBETA_PAIR(AlphaFill)
ORBETA_PAIR(KeyedBlit)
ORBETA_PAIR(KeyedStretch)
ORBETA_PAIR(TransitionBlend)
ORBETA_PAIR(Rotate)
ORBETA_PAIR(Glyph)
ORBETA_PAIR(SmallKeyedBlit)
ORBETA_PAIR(KeyedBlitManyImages)
BENCHMARK(BM_SetPixel_IDC)->Arg(16)->Arg(32);

BENCHMARK_MAIN();
