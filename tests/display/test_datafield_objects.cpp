// The engine-object gadgets: the arrow to the target, the next-manoeuvre
// picture, the sky plot and the object-drawn value chooser.
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "display/gadgets/TGadgetArrowGoto.h"
#include "display/gadgets/TGadgetElementoGPSAutoPintable.h"
#include "display/gadgets/TGadgetMapaSatelites.h"
#include "display/gadgets/TGadgetNextManuobre.h"
#include "enginelib/nav/TConfig.h"
#include "enginelib/nav/TElementoGPS.h"
#include "enginelib/nav/TMapaSatelites.h"
#include "support/GoldenImage.h"
#include "tests/display/test_datafield_support.h"
#include "uiengine/controls/TPDAUIEngineElementListBox.h"

namespace {

using datafieldtest::CountOther;
using datafieldtest::Harness;
using datafieldtest::Render;
using datafieldtest::SamePixels;

const TColorIG kGrey(0x808080u);

// Drawn pixels (not the background) in rows top..bottom, columns left..right.
int Drawn(const TDibIG& dib, int l, int t, int r, int b) { return CountOther(dib, TRectIG(l, t, r, b), kGrey); }

std::unique_ptr<TDibIG> Picture(int w, int h, TColorIG colour, bool alpha)
{
    auto dib = std::make_unique<TDibIG>();
    dib->Crea(w, h, 16, alpha);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            dib->SetPixel(x, y, colour);
    return dib;
}

// ---- arrow ----

TEST(ArrowGoto, ADrawnArrowPointsAlongTheBearing)
{
    Harness h;
    auto* arrow = h.Add(new TGadgetArrowGoto(&h.app));
    EXPECT_EQ(arrow->padding.left, TPDAUIEngineElement::Scale(1));
    EXPECT_NE(arrow->image, nullptr);  // the library's image
    arrow->image = nullptr;
    arrow->foregrounds[0] = 0x0000FF;
    arrow->SetBounds(0, 0, 61, 61);

    h.Force(313, 0, "0", UnidadGrados);
    auto up = Render(arrow);
    EXPECT_GT(Drawn(*up, 0, 0, 61, 20), 3 * Drawn(*up, 0, 41, 61, 61));  // the filled head is at the top
    EXPECT_EQ(Drawn(*up, 0, 0, 25, 61), 0);  // and on the vertical through the centre

    h.Force(313, 90, "90", UnidadGrados);
    auto right = Render(arrow);
    EXPECT_GT(Drawn(*right, 41, 0, 61, 61), 3 * Drawn(*right, 0, 0, 20, 61));
}

TEST(ArrowGoto, NoTargetDrawsOnlyTheBackground)
{
    Harness h;
    auto* arrow = h.Add(new TGadgetArrowGoto(&h.app));
    arrow->SetBounds(0, 0, 40, 40);
    h.Force(313, -360.5, "", UnidadGrados);
    EXPECT_EQ(Drawn(*Render(arrow), 0, 0, 40, 40), 0);
    h.Force(313, -360.0, "", UnidadGrados);
    EXPECT_GT(Drawn(*Render(arrow), 0, 0, 40, 40), 0);
    h.Force(313, std::nan(""), "", UnidadGrados);
    EXPECT_EQ(Drawn(*Render(arrow), 0, 0, 40, 40), 0);
}

TEST(ArrowGoto, TintedRedOnlyAboveFiftyPercentOffRoute)
{
    Harness h;
    auto* arrow = h.Add(new TGadgetArrowGoto(&h.app));
    arrow->SetBounds(0, 0, 48, 48);
    h.Force(313, 45, "45", UnidadGrados);
    h.Force(317, 0, "0");
    auto plain = Render(arrow);
    h.Force(317, 50.0, "50");
    auto atFifty = Render(arrow);
    h.Force(317, 50.1, "50.1");
    auto tinted = Render(arrow);
    EXPECT_TRUE(SamePixels(*plain, *atFifty));
    EXPECT_FALSE(SamePixels(*plain, *tinted));
    int red = 0;
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 48; ++x) {
            const TColorIG c = tinted->GetPixel(x, y);
            if (c.R() > 60 && c.G() < 16 && c.B() < 16)
                ++red;
        }
    EXPECT_GT(red, 20);
    EXPECT_TRUE(golden::Matches(*plain, "display/arrow_goto_45", 8, 4));
    EXPECT_TRUE(golden::Matches(*tinted, "display/arrow_goto_45_tinted", 8, 4));
}

TEST(ArrowGoto, AWideElementGetsACentredSquare)
{
    Harness h;
    auto* arrow = h.Add(new TGadgetArrowGoto(&h.app));
    h.Force(313, 0, "0", UnidadGrados);
    h.Force(317, 0, "0");
    arrow->SetBounds(0, 0, 100, 50);
    auto wide = Render(arrow);
    EXPECT_EQ(arrow->padding.left, 25);
    EXPECT_EQ(arrow->padding.right, 25);
    EXPECT_EQ(Drawn(*wide, 0, 0, 25, 50) + Drawn(*wide, 75, 0, 100, 50), 0);
    EXPECT_GT(Drawn(*wide, 25, 0, 75, 50), 0);

    // Taller than wide: stretched over the whole element.
    Harness h2;
    auto* tall = h2.Add(new TGadgetArrowGoto(&h2.app));
    h2.Force(313, 0, "0", UnidadGrados);
    tall->SetBounds(0, 0, 40, 100);
    auto high = Render(tall);
    EXPECT_GT(Drawn(*high, 0, 0, 40, 20), 0);
    EXPECT_GT(Drawn(*high, 0, 80, 40, 100), 0);
    EXPECT_EQ(tall->padding.left, TPDAUIEngineElement::Scale(1));
}

// ---- next manoeuvre ----

TEST(NextManuobre, StyleFollowsTheSettingTheValueAndThePictureWidth)
{
    auto w47 = Picture(47, 20, 0, true), w48 = Picture(48, 20, 0, true);
    struct Row {
        int setting;
        double value;
        const TDibIG* picture;
        bool small;
    };
    const Row rows[] = {
        {0, 100, w47.get(), true},  {0, 100, w48.get(), false}, {0, -1, w48.get(), true},
        {1, -1, w47.get(), true},   {1, 100, w47.get(), false}, {1, 0, nullptr, false},
        {0, 0, nullptr, true},      {2, 100, w47.get(), true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.setting << " " << row.value << " "
                                        << (row.picture ? row.picture->Width() : 0));
        EXPECT_EQ(TGadgetNextManuobre::SmallStyle(row.setting, row.value, row.picture), row.small);
    }
}

TEST(NextManuobre, FittedPictureRectangles)
{
    Harness h;
    auto* g = h.Add(new TGadgetNextManuobre(&h.app, 314));
    EXPECT_EQ(g->minimumWidth, 64);
    EXPECT_EQ(g->align, TPDAUIEngineElement::AlignCenter);
    auto p64 = Picture(64, 64, 0, true), p100 = Picture(100, 50, 0, true), p32x64 = Picture(32, 64, 0, true);
    struct Row {
        int align;
        TRectIG content;
        const TDibIG* picture;
        TRectIG expected;
    };
    const Row rows[] = {
        // Room enough: natural size, centred.
        {TPDAUIEngineElement::AlignCenter, TRectIG(0, 0, 100, 100), p64.get(), TRectIG(18, 18, 82, 82)},
        // Not centred: the whole content, a centred square when wider.
        {TPDAUIEngineElement::AlignStart, TRectIG(0, 0, 100, 100), p64.get(), TRectIG(0, 0, 100, 100)},
        {TPDAUIEngineElement::AlignStart, TRectIG(0, 0, 120, 60), p32x64.get(), TRectIG(30, 0, 90, 60)},
        // Taller than content + 20: fitted by aspect.
        {TPDAUIEngineElement::AlignCenter, TRectIG(0, 0, 100, 40), p64.get(), TRectIG(30, 0, 70, 40)},
        // Low content: fitted by aspect, wide picture by width.
        {TPDAUIEngineElement::AlignCenter, TRectIG(10, 10, 40, 30), p100.get(), TRectIG(10, 12, 40, 27)},
        // Natural size reduced to the height, then to the width.
        {TPDAUIEngineElement::AlignCenter, TRectIG(0, 0, 40, 50), p64.get(), TRectIG(0, 5, 40, 45)},
    };
    for (const Row& row : rows) {
        g->align = row.align;
        const TRectIG r = g->FittedRect(row.content, *row.picture);
        EXPECT_EQ(r, row.expected) << row.content.right << "x" << row.content.bottom;
    }
    EXPECT_EQ(g->FittedRect(TRectIG(0, 0, 0, 50), *p64), TRectIG());
    EXPECT_EQ(g->FittedRect(TRectIG(0, 0, 50, 0), *p64), TRectIG());
}

TEST(NextManuobre, SmallStyleDrawsThePictureTopRightAndTheArrowOverIt)
{
    Harness h;
    h.app.engine.config->manoeuvreStyle = 0;
    auto picture = Picture(40, 40, TColorIG(0x0000FFu), false);
    h.Force(314, 120, "120", UnidadMetros, false, picture.get());
    h.Force(313, -1000, "", UnidadGrados);
    auto* g = h.Add(new TGadgetNextManuobre(&h.app, 314));
    g->SetBounds(0, 0, 90, 90);
    auto dib = Render(g);
    EXPECT_EQ(CountOther(*dib, TRectIG(60, 0, 90, 30), TColorIG(0x0000FFu)), 0);
    EXPECT_EQ(Drawn(*dib, 0, 30, 90, 90) + Drawn(*dib, 0, 0, 60, 30), 0);
    // With a target, the arrow covers the element.
    h.Force(313, 0, "0", UnidadGrados);
    auto withArrow = Render(g);
    EXPECT_GT(Drawn(*withArrow, 0, 30, 90, 90), 0);
}

TEST(NextManuobre, FittedStyleCentresThePicture)
{
    Harness h;
    h.app.engine.config->manoeuvreStyle = 1;
    auto opaque = Picture(64, 64, TColorIG(0x00FF00u), false);
    h.Force(314, 120, "120", UnidadMetros, false, opaque.get());
    auto* g = h.Add(new TGadgetNextManuobre(&h.app, 314));
    g->SetBounds(0, 0, 100, 100);
    auto dib = Render(g);
    // 18..82 inflated by -4 and moved 3 right: a picture without alpha.
    EXPECT_EQ(CountOther(*dib, TRectIG(25, 22, 81, 78), TColorIG(0x00FF00u)), 0);
    EXPECT_EQ(Drawn(*dib, 0, 0, 100, 100), 56 * 56);
    // A negative value always gives the small style.
    h.Force(314, -1, "", UnidadMetros, false, opaque.get());
    h.Force(313, -1000, "", UnidadGrados);
    auto small = Render(g);
    EXPECT_EQ(Drawn(*small, 0, 0, 100, 100), 33 * 33);
    // No picture in the fitted style: nothing.
    h.Force(314, 10, "", UnidadMetros, false, nullptr);
    EXPECT_EQ(Drawn(*Render(g), 0, 0, 100, 100), 0);
}

TEST(NextManuobre, TheLibrarysPicturesPaint)
{
    Harness h;
    auto* g = h.Add(new TGadgetNextManuobre(&h.app, 314));
    g->SetBounds(0, 0, 96, 96);
    h.app.At(30);
    auto dib = Render(g);
    EXPECT_TRUE(golden::Matches(*dib, "display/next_manoeuvre_fitted", 8, 4));
    EXPECT_FALSE(g->flag == h.app.engine.config->nextManoeuvreFlag.GetValor());
}

// ---- sky plot ----

TEST(SkyPlot, LabelsHaveTwoDigits)
{
    EXPECT_EQ(TGadgetMapaSatelites::Label(7), "07");
    EXPECT_EQ(TGadgetMapaSatelites::Label(12), "12");
    EXPECT_EQ(TGadgetMapaSatelites::Label(0), "00");
    EXPECT_EQ(TGadgetMapaSatelites::Label(132), "132");
}

TEST(SkyPlot, PositionsAroundTheZenith)
{
    struct Row {
        int R;
        double elevation, azimuth;
        int x, y;
    };
    const Row rows[] = {
        {97, 0, 0, 100, 10},    {97, 0, 90, 190, 100},  {97, 0, 180, 100, 190}, {97, 90, 45, 100, 100},
        {97, 45, 270, 55, 100}, {97, -20, 0, 100, 10},  {97, 120, 0, 100, 100},
        // Too small for the rim: every satellite at the centre.
        {7, 0, 0, 100, 100},    {3, 10, 200, 100, 100}, {0, 0, 90, 100, 100},
    };
    for (const Row& row : rows) {
        const TPointIG p = TGadgetMapaSatelites::Position(100, 100, row.R, row.elevation, row.azimuth);
        EXPECT_NEAR(p.x, row.x, 1) << row.R << " " << row.elevation << " " << row.azimuth;
        EXPECT_NEAR(p.y, row.y, 1) << row.R << " " << row.elevation << " " << row.azimuth;
    }
}

TEST(SkyPlot, SatellitesInUseAreFilled)
{
    Harness h;
    auto* plot = h.Add(new TGadgetMapaSatelites(&h.app));
    TMapaSatelites map;
    plot->map = &map;
    plot->SetBounds(0, 0, 120, 120);
    const TColorIG fill(TGadgetMapaSatelites::kInUseColour);
    auto count = [&](const TDibIG& dib, TColorIG c) {
        return 120 * 120 - CountOther(dib, TRectIG(0, 0, 120, 120), c);
    };
    map.satelites = {{7, 90, 0, 40, false}};
    auto idle = Render(plot);
    EXPECT_EQ(count(*idle, fill), 0);
    EXPECT_GT(count(*idle, TColorIG(0x000000u)), 0);  // black text
    map.satelites = {{7, 90, 0, 40, true}};
    auto used = Render(plot);
    EXPECT_GT(count(*used, fill), 20);
    EXPECT_GT(count(*used, TColorIG(0xFFFFFFu)), 0);  // white text

    map.satelites = {{12, 0, 90, 40, true}, {3, 30, 200, 40, false}, {25, 60, 330, 40, true}};
    EXPECT_TRUE(golden::Matches(*Render(plot), "display/sky_plot", 8, 6));
    // No map: only the background.
    plot->map = nullptr;
    EXPECT_EQ(Drawn(*Render(plot), 0, 0, 120, 120), 0);
}

// ---- value chooser ----

class PaintedObject : public TElementoGPS {
public:
    struct Call {
        TRectIG rect;
        TColorIG back;
        int field;
        const TValCampo* value;
        bool selected;
    };
    bool Retorna_Val_Campo(int field, TValCampo& v) const override
    {
        v = TValCampo();
        v.valor = own;
        return true;
    }
    void Pinta_Val_Campo(IDC&, const TRectIG& rect, TColorIG back, TColorIG, int field, const TValCampo* value,
                         bool selected) const override
    {
        calls.push_back({rect, back, field, value, selected});
    }
    double own = 2;
    mutable std::vector<Call> calls;
};

TEST(ValueChooser, RowsAreInsetByMagnitude)
{
    const TRectIG row(0, 0, 200, 40);
    EXPECT_EQ(TGadgetElementoGPSAutoPintable::ItemRect(row, 14), TRectIG(40, 5, 160, 35));
    EXPECT_EQ(TGadgetElementoGPSAutoPintable::ItemRect(row, 1), TRectIG(1, 1, 199, 39));
}

TEST(ValueChooser, TheObjectDrawsTheValueAndEachChoice)
{
    Harness h;
    PaintedObject object;
    auto* chooser = new TGadgetElementoGPSAutoPintable(&h.app, &object, 760);
    h.Add(chooser);
    ASSERT_NE(chooser->listBox, nullptr);
    EXPECT_TRUE(chooser->listBox->ownerDraw);
    EXPECT_EQ(chooser->listBox->callbackData, chooser);
    chooser->value = "shown";
    chooser->SetBounds(0, 0, 200, 40);
    chooser->listBox->itemBackgrounds[TPDAUIEngineElement::StatePressed].colour = 0x112233;
    chooser->listBox->itemBackgrounds[TPDAUIEngineElement::StateNormal].colour = 0x445566;
    for (int i = 0; i < 3; ++i) {
        auto* v = new TValCampo();
        v->valor = i;
        chooser->choices.Add(v);
    }

    Render(chooser);
    ASSERT_EQ(object.calls.size(), 1u);
    EXPECT_EQ(object.calls[0].back, TColorIG(0xFF00FFu));
    EXPECT_EQ(object.calls[0].value, nullptr);
    EXPECT_EQ(object.calls[0].rect.right - object.calls[0].rect.left,
              200 - (object.calls[0].rect.bottom - object.calls[0].rect.top) - chooser->padding.left -
                  chooser->padding.right - 2 * chooser->borders[0].width);
    EXPECT_EQ(chooser->value, "shown");

    // Nothing chosen yet (-1): the combo box's own words, not the object's drawing.
    object.own = -1;
    object.calls.clear();
    Render(chooser);
    EXPECT_TRUE(object.calls.empty());
    EXPECT_EQ(chooser->value, "shown");

    object.calls.clear();
    IDC dc;
    EXPECT_EQ(chooser->listBox->drawItemCallback(chooser, &dc, 0, 0, 200, 40, 0, 1, 1, 1), 1);
    ASSERT_EQ(object.calls.size(), 1u);
    EXPECT_EQ(object.calls[0].value, chooser->choices[1]);
    EXPECT_EQ(object.calls[0].back, TColorIG(0x112233u));
    EXPECT_TRUE(object.calls[0].selected);
    EXPECT_EQ(object.calls[0].rect, TRectIG(40, 5, 160, 35));
    EXPECT_EQ(chooser->PaintItem(&dc, 0, 0, 200, 40, 2, 0, 1), 1);
    EXPECT_EQ(object.calls.back().back, TColorIG(0x445566u));
    // A row the choices do not have draws nothing.
    EXPECT_EQ(chooser->PaintItem(&dc, 0, 0, 200, 40, 3, 0, 1), 0);
    EXPECT_EQ(chooser->PaintItem(&dc, 0, 0, 200, 40, -1, 0, 1), 0);
    EXPECT_EQ(object.calls.size(), 2u);
}

} // namespace
