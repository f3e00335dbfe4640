// Progress bars in their directions, the timer's wrap, canvases by state and the
// separator's image.
#include "label_button_fixture.h"

#include "uiengine/controls/RegisterChecks.h"
#include "uiengine/controls/TPDAUIEngineElementCanvas.h"
#include "uiengine/controls/TPDAUIEngineElementProgressBar.h"
#include "uiengine/elements/TPDAUIEngineElementFactory.h"

namespace controls {
namespace {
using Bar = TPDAUIEngineElementProgressBar;

class BarsTest : public ControlTest {
protected:
    BarsTest() { RegisterCheckElements(&TPDAUIEngineElementFactory::RegisterTag); }
    // The filled columns (or rows) of light blue within the bar's rectangle.
    int Filled(Bar* bar, bool vertical)
    {
        const TDibIG& back = engine.Frame();
        const TRectIG r = bar->GetScreenRect();
        int n = 0;
        if (vertical) {
            for (int y = r.top; y < r.bottom; ++y)
                n += back.GetPixel(r.left + r.Width() / 2, y).color == TColorIG(TColoresIG::F_LtBlue).color;
        } else {
            for (int x = r.left; x < r.right; ++x)
                n += back.GetPixel(x, r.top + r.Height() / 2).color == TColorIG(TColoresIG::F_LtBlue).color;
        }
        return n;
    }
};

TEST_F(BarsTest, FillByDirectionValueAndIncrement)
{
    const struct {
        const char* attributes;
        bool vertical;
        int filled, valueAfter;
    } cases[] = {
        {"direction=\"LeftToRight\" value=\"50\"", false, 100, 50},
        {"direction=\"RightToLeft\" value=\"25\"", false, 50, 25},
        {"direction=\"LeftToRight\" value=\"150\"", false, 200, 100},  // clamped and stored back
        {"direction=\"LeftToRight\" value=\"-5\"", false, 0, 0},
        {"direction=\"BottomToTop\" value=\"33\" increment=\"5\"", true, 30, 33},
        {"direction=\"BottomToTop\" value=\"33\" increment=\"0\"", true, 33, 33},
        {"direction=\"LeftToRight\" value=\"50\" maximumValue=\"0\"", false, 0, 0},  // no division by zero
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.attributes);
        page.RemoveAllChildren();
        Bar* bar = Add<Bar>(std::string("<progressbar id=\"p\" left=\"10\" top=\"10\" ") +
                            (c.vertical ? "width=\"40\" height=\"100\" " : "width=\"200\" height=\"20\" ") +
                            c.attributes + "/>");
        Layout();
        engine.Frame();  // paints
        EXPECT_EQ(c.filled, Filled(bar, c.vertical));
        EXPECT_EQ(c.valueAfter, bar->value);
    }
}

TEST_F(BarsTest, ImageCardsAndTheTimer)
{
    Bar* bar = Add<Bar>("<progressbar id=\"p\" direction=\"ImageCards\" imageCardsCount=\"0\" value=\"10\"/>");
    Layout();
    engine.Frame();  // a count that divides by zero draws nothing, safely
    bar->SetAttribute("imageCardsCount", "101");
    engine.Frame();
    EXPECT_STREQ("ImageCards", bar->GetAttribute("direction").c_str());
    bar->SetAttribute("direction", "Sideways");  // unknown: unchanged
    EXPECT_STREQ("ImageCards", bar->GetAttribute("direction").c_str());
    bar->value = 95;
    bar->OnTimer(50, 0);
    EXPECT_EQ(100, bar->value);
    bar->OnTimer(50, 0);
    EXPECT_EQ(0, bar->value);
}

TEST_F(BarsTest, CanvasStatesAndSeparatorImage)
{
    auto* canvas = Add<TPDAUIEngineElementCanvas>(
        "<canvas id=\"c\" left=\"0\" top=\"0\" width=\"40\" height=\"40\" background=\"#FF0000\" "
        "backgroundDisabled=\"#00FF00\" backgroundPressed=\"#0000FF\" backgroundFocus=\"#FFFF00\"/>");
    Layout();
    auto colourAt = [&](int x, int y) { return engine.Frame().GetPixel(x, y).color & 0xFFFFFF; };
    EXPECT_EQ(TColorIG(255, 0, 0).color, colourAt(20, 20));
    canvas->pressed = 1;
    page.SetFocus(canvas, true);
    canvas->Invalidate();
    EXPECT_EQ(TColorIG(0, 0, 255).color, colourAt(20, 20));  // pressed wins over focused
    canvas->enabled = 0;
    canvas->Invalidate();
    EXPECT_EQ(TColorIG(0, 255, 0).color, colourAt(20, 20));

    auto* separator = Add<TPDAUIEngineElementSeparator>("<separator id=\"s\" background=\"#FF0000\"/>");
    EXPECT_EQ(TPDAUIEngineStyleBackground::KindImage, separator->backgrounds[TPDAUIEngineElement::StateNormal].kind);
    EXPECT_STREQ("commonSeparatorBackground",
                 separator->backgrounds[TPDAUIEngineElement::StateNormal].imageName.c_str());
    EXPECT_GE(separator->GetMinimumHeight(100), 2);
    EXPECT_GE(separator->GetMinimumWidth(100), 2);
}

} // namespace
} // namespace controls
