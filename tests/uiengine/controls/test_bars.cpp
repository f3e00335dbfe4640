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

#include "uiengine/controls/TPDAUIEngineElementTrackBar.h"

namespace controls {
namespace {
using Track = TPDAUIEngineElementTrackBar;

class TrackBarTest : public BarsTest {
protected:
    Track* Make(const std::string& attributes = "")
    {
        Track* t = Add<Track>("<trackbar id=\"t\" left=\"0\" top=\"0\" width=\"200\" height=\"30\" onCommand=\"moved\" " +
                              attributes + "/>");
        thumb = SolidImage(20, 20, TColorIG(200, 0, 0));
        t->image = thumb.get();
        Layout();
        return t;
    }
    size_t Raised() const { return page.raised.size(); }
    std::unique_ptr<TDibIG> thumb;
};

TEST_F(TrackBarTest, ATapRaisesOnceAndASmallMoveChangesNothing)
{
    Track* t = Make("value=\"40\"");
    t->OnMouseDown(100, 10, 0, 0, 0);
    unsigned char handled = 0;
    t->OnMouseMove(120, 10, 1, &handled, 0, 0);  // 20 px: not a drag yet
    EXPECT_EQ(40, t->value);
    EXPECT_EQ(0u, Raised());
    t->OnMouseUp(120, 10, 0, &handled);
    EXPECT_EQ(40, t->value);
    EXPECT_EQ(1u, Raised());
    // 31 px starts the drag; the value follows the pointer over the track (180 px).
    t->OnMouseDown(100, 10, 0, 0, 0);
    t->OnMouseMove(131, 10, 1, &handled, 0, 0);
    EXPECT_EQ(-2, t->dragState);
    EXPECT_EQ(131 * 100 / 180, t->value);
    t->OnMouseMove(90, 40, 1, &handled, 0, 0);  // dragging: leaving the bar vertically no longer cancels
    EXPECT_EQ(50, t->value);
    t->OnMouseMove(500, 10, 1, &handled, 0, 0);
    EXPECT_EQ(100, t->value);  // clamped
    EXPECT_EQ(4u, Raised());
}

TEST_F(TrackBarTest, LeavingTheBarBeforeTheDragCancelsIt)
{
    Track* t = Make("value=\"40\"");
    unsigned char handled = 0;
    t->OnMouseDown(100, 10, 0, 0, 0);
    t->OnMouseMove(100, -6, 1, &handled, 0, 0);
    EXPECT_EQ(-1, t->dragState);
    t->OnMouseMove(180, 10, 1, &handled, 0, 0);  // cancelled: no more changes
    EXPECT_EQ(40, t->value);
    t->OnMouseUp(180, 12, 0, &handled);
    EXPECT_EQ(1u, Raised());  // still raised: close to the press vertically
}

TEST_F(TrackBarTest, KeysStepWithinTheRangeAndDisabledBarsOnlyRaise)
{
    Track* t = Make("value=\"5\" smallStep=\"10\"");
    unsigned char handled = 0, consumed = 0;
    t->OnKeyDown(37, &handled, &consumed);
    EXPECT_EQ(0, t->value);
    t->OnKeyDown(37, &handled, &consumed);  // at the minimum: stays, still raises
    EXPECT_EQ(0, t->value);
    t->OnKeyDown(39, &handled, &consumed);
    EXPECT_EQ(10, t->value);
    EXPECT_EQ(3u, Raised());
    t->enabled = 0;
    t->OnKeyDown(39, &handled, &consumed);
    EXPECT_EQ(10, t->value);
    t->OnMouseDown(100, 10, 0, 0, 0);
    t->OnMouseMove(190, 10, 1, &handled, 0, 0);  // no drag
    EXPECT_EQ(10, t->value);
    t->OnMouseUp(190, 10, 0, &handled);
    EXPECT_EQ(4u, Raised());
}

TEST_F(TrackBarTest, AnEmptyRangeNeitherDividesByZeroNorLeavesTheMinimum)
{
    Track* t = Make("minimumValue=\"7\" maximumValue=\"7\" value=\"3\" showValueAsText=\"true\"");
    engine.Frame();  // paints: the value is clamped to the range
    EXPECT_EQ(7, t->value);
    unsigned char handled = 0;
    t->OnMouseDown(10, 10, 0, 0, 0);
    t->OnMouseMove(150, 10, 1, &handled, 0, 0);
    EXPECT_EQ(7, t->value);
    t->SetAttribute("maximumValue", "3");  // an inverted range keeps the minimum too
    engine.Frame();
    EXPECT_EQ(7, t->value);
}

} // namespace
} // namespace controls
