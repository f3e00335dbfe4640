// The scale bar, the status text and bar, and the control that shows one of
// them.
#include "display/usercontrols/TUserControlMapScale.h"
#include "display/usercontrols/TUserControlMapScaleOrStatus.h"
#include "display/usercontrols/TUserControlMapStatus.h"
#include "enginelib/draw/IDC.h"
#include "test_mapinfo_fixture.h"
#include "uiengine/controls/TPDAUIEngineElementProgressBar.h"
#include "uiengine/elements/TPDAUIEngineElementSliderBox.h"

namespace {
using namespace mapinfotest;

class MapScaleTest : public MapInfoTest {
protected:
    // The library measures its scale on the map it drew last.
    void PaintMap()
    {
        IDCdir dc;
        dc.SetSize(400, 240);
        app.engine.visor->RepintateI(dc, TRectIG(0, 0, 400, 240), false);
    }
    // The x of the bar's last column and its first, on the bar's lower row.
    void BarEnds(TUserControlMapScale* scale, int& first, int& last)
    {
        const int y = scale->top + scale->height - 4;
        const TColorIG back = app.ui->PixelAt(scale->left + 1, y);
        first = last = -1;
        for (int x = scale->left; x < scale->left + scale->width; ++x)
            if (app.ui->PixelAt(x, y) != back) {
                if (first < 0)
                    first = x;
                last = x;
            }
    }
};

TEST_F(MapScaleTest, TheBarEndsAtTheRightAndItsTextFollowsTheZoom)
{
    PaintMap();
    TUserControlMapScale* scale = Open<TUserControlMapScale>("usercontrolMapScale", 100, 100, 300, 40,
                                                             "maximumWidth=\"1000\" background=\"#808080\"");
    ASSERT_NE(scale, nullptr);
    struct Case {
        int zoom;
        const char* text;
        int length;
    };
    // The widest round distance within the content width (300 less paddings).
    const Case cases[] = {{2, "200 m", 200}, {4, "500 m", 167}, {8, "5 km", 250}};
    for (const Case& c : cases) {
        app.engine.visor->zoomLevel = c.zoom;
        TPointIG a(0, 10), b(296, 40);
        DString text;
        double value = 0;
        ASSERT_TRUE(app.engine.DatosEscala(a, b, text, value));
        EXPECT_EQ(text, c.text);
        app.ui->Frame();
        int first, last;
        BarEnds(scale, first, last);
        const int contentRight = scale->left + scale->width - scale->padding.right;
        EXPECT_EQ(last, contentRight) << c.zoom;  // the frame's column just right of the bar
        EXPECT_NEAR(last - first, c.length, 2) << c.zoom;
    }
    // Two rows of four cells, dark first on the top row, shifted on the second.
    int first, last;
    BarEnds(scale, first, last);
    const int quarter = (last - first) / 4;
    const int upper = scale->top + scale->padding.top + scale->font.size + 3, lower = scale->top + scale->height - 4;
    const TColorIG dark(0x28, 0x28, 0x28), light(0xFF, 0xFF, 0xFF);
    for (int i = 0; i < 4; ++i) {
        const int x = first + 3 + i * quarter;
        EXPECT_EQ(app.ui->PixelAt(x, upper), i % 2 ? light : dark) << i;
        EXPECT_EQ(app.ui->PixelAt(x, lower), i % 2 ? dark : light) << i;
    }
}

TEST_F(MapScaleTest, ALongBarIsCutToTheMaximumWidthAndRightAligned)
{
    PaintMap();
    app.engine.visor->zoomLevel = 2;
    TUserControlMapScale* scale = Open<TUserControlMapScale>("usercontrolMapScale", 100, 100, 300, 40,
                                                             "maximumWidth=\"80\" background=\"#808080\"");
    ASSERT_NE(scale, nullptr);
    app.ui->Frame();
    int first, last;
    BarEnds(scale, first, last);
    EXPECT_EQ(last, scale->left + scale->width - scale->padding.right);
    EXPECT_NEAR(last - first, 80, 1);
}

TEST_F(MapScaleTest, DrawsNothingWithTheSettingOffAndNoBarBeforeTheMap)
{
    TUserControlMapScale* scale = Open<TUserControlMapScale>("usercontrolMapScale", 100, 100, 300, 40,
                                                             "maximumWidth=\"1000\" background=\"#808080\"");
    ASSERT_NE(scale, nullptr);
    const TColorIG pageColour = app.ui->PixelAt(50, 50);
    app.ui->Frame();
    int first, last;
    BarEnds(scale, first, last);
    EXPECT_EQ(first, -1);  // the background only: the library has no scale yet
    EXPECT_NE(app.ui->PixelAt(150, 120), pageColour);

    PaintMap();
    app.engine.config->mapScale = 0;
    app.ui->Frame();
    EXPECT_EQ(app.ui->PixelAt(150, 120), pageColour);
}

TEST_F(MapScaleTest, MinimumSizeFollowsTheFont)
{
    TUserControlMapScale* scale = Open<TUserControlMapScale>("usercontrolMapScale", 100, 100, 300, 40);
    ASSERT_NE(scale, nullptr);
    const int line = app.ui->GetTextExtent(scale->font, "A", 1024, 0).cy;
    EXPECT_EQ(scale->GetMinimumHeight(300),
              std::max(scale->minimumHeight, (int)(line * 1.5) + scale->padding.top + scale->padding.bottom));
    EXPECT_EQ(scale->GetMinimumWidth(40), std::max(60, scale->padding.left + scale->padding.right));
}

class MapStatusTest : public MapInfoTest {};

TEST_F(MapStatusTest, StatusBitsProgressAndTextTable)
{
    TUserControlMapStatus* status = Open<TUserControlMapStatus>("usercontrolMapStatus", 10, 10, 300, 50);
    ASSERT_NE(status, nullptr);
    ASSERT_NE(status->lblValue, nullptr);
    ASSERT_NE(status->pgbProgressBar, nullptr);
    const DString calculating = Translated("{J27}");
    struct Case {
        int bits;
        const char* text2206;
        double value2206;
        const char* text2103;
        double value2103;
        const char* label;  // null: the translated "{J27}"
        int bar;
        bool answer;
    };
    const Case cases[] = {
        {0x16, "", 0, "", 0, nullptr, 25, true},
        {0x17, "", 0, "", 0, nullptr, 25, true},
        {0x12, "", 0, "", 0, "", 0, false},
        {0x12, "Calculating route", 0, "", 0, "Calculating route", 25, true},
        {0, "Calculating route", 40, "Loading map", 100, "Calculating route", 40, true},
        {0, "", 0, "Loading map", 55.7, "Loading map", 55, true},
        {0x16, "", 0, "Loading map", 30, "Loading map", 30, true},
        {0, "Calculating route", 100, "", 0, "Calculating route", 25, true},
        {0, "", 0, "", 0, "", 0, false},
    };
    for (const Case& c : cases) {
        Force(2205, "", c.bits);
        Force(2206, c.text2206, c.value2206);
        Force(2103, c.text2103, c.value2103);
        EXPECT_EQ(status->UpdateStatus(), c.answer) << c.bits << " " << c.value2103;
        EXPECT_EQ(status->lblValue->label, c.label ? DString(c.label) : calculating) << c.bits << " " << c.value2103;
        EXPECT_EQ(status->pgbProgressBar->value, c.bar) << c.bits << " " << c.value2103;
    }
}

TEST_F(MapStatusTest, ScaleOrStatusSlidesToTheStatusWhileThereIsOne)
{
    auto* both = Open<TUserControlMapScaleOrStatus>("usercontrolMapScaleOrStatus", 10, 10, 300, 60);
    ASSERT_NE(both, nullptr);
    ASSERT_NE(both->boxSliderBox, nullptr);
    ASSERT_NE(both->usercontrolMapScale, nullptr);
    ASSERT_NE(both->usercontrolMapStatus, nullptr);
    EXPECT_EQ(both->boxSliderBox->children[0], both->usercontrolMapScale);
    EXPECT_EQ(both->boxSliderBox->children[1], both->usercontrolMapStatus);

    app.At(1.0);  // the map is loading
    app.ui->Frame();
    EXPECT_EQ(both->boxSliderBox->layoutCardIndex, 1);
    EXPECT_EQ(both->usercontrolMapStatus->lblValue->label, "Loading map");
    app.ui->Advance(1000);  // the slide ends

    app.At(5.0);
    app.ui->Frame();
    EXPECT_EQ(both->boxSliderBox->layoutCardIndex, 0);
    app.ui->Advance(1000);

    app.At(TDemoRoute::Get().EventTime("stop.A") + TDemoRoute::kStop - 1.0);
    app.ui->Frame();
    EXPECT_EQ(both->boxSliderBox->layoutCardIndex, 1);
}

} // namespace
