// The drawing context's own text calls, routed by the engine to the font manager
// with the top page's font.
#include "label_button_fixture.h"

namespace controls {
namespace {

class EngineTextCallbacksTest : public ControlTest {
protected:
    EngineTextCallbacksTest()
    {
        page.font.name = "Fixed";
        page.font.size = 20;
        engine.SetFontFunctionCallbacks(true);
    }
    ~EngineTextCallbacksTest() override { engine.SetFontFunctionCallbacks(false); }
};

TEST_F(EngineTextCallbacksTest, TextIsDrawnAndMeasuredWithTheTopPagesFont)
{
    IDC dc;
    TDibIG target;
    ASSERT_TRUE(target.Crea(64, 32, 16));
    ASSERT_TRUE(dc.BeginPaintDib(&target));
    TRectIG rect(0, 0, 64, 32);
    dc.DrawTextA("abcd", 4, rect, 0);
    dc.SetTextFlag(1);
    dc.DrawTextA("ef", 2, rect, 0);
    dc.SetTextFlag(0);
    const TSizeIG size = dc.GetTextExtent("abcd", 0, 0);
    dc.EndPaintDib();

    ASSERT_EQ(2u, engine.fixed->draws.size());
    EXPECT_EQ("abcd", engine.fixed->draws[0].text);
    EXPECT_EQ(20, engine.fixed->draws[0].size);
    EXPECT_EQ("ef", engine.fixed->draws[1].text);
    EXPECT_EQ(4 * FixedFont::CharWidth(20), size.cx);
    EXPECT_EQ(20, size.cy);
}

TEST_F(EngineTextCallbacksTest, WithoutAPageNothingIsDrawnAndTheSizeIsMinusOne)
{
    engine.pages.RemoveAll();
    IDC dc;
    TDibIG target;
    ASSERT_TRUE(target.Crea(16, 16, 16));
    ASSERT_TRUE(dc.BeginPaintDib(&target));
    TRectIG rect(0, 0, 16, 16);
    dc.DrawTextA("x", 1, rect, 0);
    const TSizeIG size = dc.GetTextExtent("x", 0, 0);
    dc.EndPaintDib();
    EXPECT_TRUE(engine.fixed->draws.empty());
    EXPECT_EQ(-1, size.cx);
}

} // namespace
} // namespace controls
