// The slider box: slides on the virtual clock, their direction, the search for the
// next child, velocity 0, and indexes outside the children.
#include <memory>

#include <gtest/gtest.h>

#include "support/TestEngine.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"
#include "uiengine/elements/TPDAUIEngineElementSliderBox.h"

namespace {
using Slider = TPDAUIEngineElementSliderBox;

class SliderBoxTest : public ::testing::Test {
protected:
    SliderBoxTest() : page(&engine)
    {
        engine.OpenPage(&page);
        page.layout = TPDAUIEngineElementBox::LayoutAbsolute;
    }
    ~SliderBoxTest() override
    {
        engine.pages.RemoveAll();
        page.RemoveAllChildren();
    }
    Slider* Make(int children)
    {
        auto* s = new Slider();
        s->left = 0, s->top = 0, s->width = 240, s->height = 100;
        page.AddChild(s, nullptr, nullptr);
        for (int i = 0; i < children; ++i) {
            auto* c = new TPDAUIEngineElementBox();
            c->backgrounds.Edit(TPDAUIEngineElement::StateNormal).kind = TPDAUIEngineStyleBackground::KindColor;
            c->backgrounds.Edit(TPDAUIEngineElement::StateNormal).colour = TColorIG(40 * i, 100, 200);
            s->AddChild(c, nullptr, nullptr);
        }
        page.Layout();
        s->SetBounds(0, 0, 240, 100);
        return s;
    }
    TestEngine engine{800, 480};
    TPDAUIEngineElementPage page;
};

TEST_F(SliderBoxTest, ASlideOf240PixelsAt500PerSecondLastsAbout480ms)
{
    Slider* s = Make(3);
    engine.Frame();
    s->SetCurrentIndex(1);
    ASSERT_TRUE(s->InTransition());
    EXPECT_EQ(1, s->timerRunning);
    int elapsed = 0;
    while (s->InTransition() && elapsed < 2000) {
        engine.Advance(50);
        engine.Frame();
        elapsed += 50;
    }
    EXPECT_GE(elapsed, 450);
    EXPECT_LE(elapsed, 550);
    EXPECT_EQ(0, s->timerRunning);
    EXPECT_EQ(1, s->layoutCardIndex);
}

TEST_F(SliderBoxTest, DirectionAndTheSearchForTheNextChild)
{
    Slider* two = Make(2);
    two->SetCurrentIndex(1);
    two->EndTransition();
    two->ShowNext();  // from the second of two to the first: backwards
    EXPECT_EQ(0, two->layoutCardIndex);
    EXPECT_EQ(1, two->reverse);
    page.RemoveAllChildren();
    Slider* three = Make(3);
    three->SetCurrentIndex(2);
    three->EndTransition();
    three->ShowNext();  // from the last of three to the first: forwards
    EXPECT_EQ(0, three->layoutCardIndex);
    EXPECT_EQ(0, three->reverse);
    three->EndTransition();
    // Every other child hidden: it stops at the one just before and shows it.
    three->children[1]->visible = 0;
    three->children[2]->visible = 0;
    three->ShowNext();
    EXPECT_EQ(2, three->layoutCardIndex);
    three->EndTransition();
    three->ShowPrevious();
    EXPECT_EQ(1, three->reverse);
}

TEST_F(SliderBoxTest, KindsVelocityZeroAndIndexesOutside)
{
    Slider* s = Make(3);
    s->SetAttribute("sliderKind", "Fade");
    EXPECT_EQ(Slider::Fade, s->sliderKind);
    EXPECT_EQ(TPDAUIEngineElementBox::LayoutCardVertical, s->layout);
    EXPECT_STREQ("", s->GetAttribute("sliderKind").c_str());
    EXPECT_EQ(Slider::Fade, s->sliderKind);  // reading it back changes nothing
    s->SetAttribute("sliderKind", "Sideways");
    EXPECT_EQ(Slider::Fade, s->sliderKind);
    s->SetAttribute("sliderVelocity", "0");
    s->SetCurrentIndex(2);  // shown at once
    EXPECT_EQ(0, s->timerRunning);
    engine.Frame();
    EXPECT_FALSE(s->InTransition());
    s->SetCurrentIndex(99);  // names no child: nothing shown, nothing read past the list
    EXPECT_EQ(-1, s->layoutCardIndex);
    engine.Frame();
    EXPECT_EQ(nullptr, s->HitTest(10, 10));
    page.RemoveAllChildren();
    Slider* empty = Make(0);
    empty->ShowNext();
    empty->ShowPrevious();
    engine.Frame();
}

} // namespace
