// The splitter: a drag resizes its neighbour within the parent, raising its
// command on every move; without a neighbour nothing happens.
#include <gtest/gtest.h>

#include "support/TestEngine.h"
#include "uiengine/elements/TPDAUIEngineElementBox.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"
#include "uiengine/elements/TPDAUIEngineElementSplitter.h"

namespace {

class RecordingPage : public TPDAUIEngineElementPage {
public:
    using TPDAUIEngineElementPage::TPDAUIEngineElementPage;
    void OnCommand(TPDAUIEngineCommand& c) override
    {
        if (c.name == "split")
            ++raised;
    }
    int raised = 0;
};

TEST(Splitter, DraggingResizesTheLowerBoxWithinItsParent)
{
    TestEngine engine(800, 480);
    RecordingPage page(&engine);
    engine.OpenPage(&page);
    page.layout = TPDAUIEngineElementBox::LayoutAbsolute;
    auto* column = new TPDAUIEngineElementBox();
    column->layout = TPDAUIEngineElementBox::LayoutVertical;
    column->left = 0, column->top = 0, column->width = 200, column->height = 300;
    page.AddChild(column, nullptr, nullptr);
    auto* upper = new TPDAUIEngineElementBox();
    upper->flex = 1;
    auto* splitter = new TPDAUIEngineElementSplitter();
    splitter->onCommand = "split";
    auto* lower = new TPDAUIEngineElementBox();
    lower->minimumHeight = lower->maximumHeight = 100;
    column->AddChild(upper, nullptr, nullptr);
    column->AddChild(splitter, nullptr, nullptr);
    column->AddChild(lower, nullptr, nullptr);
    column->SetBounds(0, 0, 200, 300);
    ASSERT_GT(splitter->width, splitter->height);  // a horizontal bar
    // Up by 20 pixels: the lower box grows by 20.
    splitter->OnMouseDown(10, 2, 0, 0, 0);
    unsigned char handled = 0;
    splitter->OnMouseMove(10, -18, 1, &handled, 0, 0);
    EXPECT_EQ(120, lower->minimumHeight);
    EXPECT_EQ(120, lower->height);
    splitter->OnMouseMove(10, -1000, 1, &handled, 0, 0);  // never above the parent's height less the bar
    EXPECT_EQ(300 - splitter->height, lower->minimumHeight);
    splitter->OnMouseMove(10, 1000, 1, &handled, 0, 0);  // never below 1
    EXPECT_EQ(1, lower->minimumHeight);
    splitter->OnMouseUp(10, 1000, 0, &handled);
    EXPECT_EQ(3, page.raised);
    // A splitter alone in its box resizes nothing.
    auto* alone = new TPDAUIEngineElementBox();
    alone->left = 300, alone->width = 100, alone->height = 100;
    page.AddChild(alone, nullptr, nullptr);
    auto* lonely = new TPDAUIEngineElementSplitter();
    alone->AddChild(lonely, nullptr, nullptr);
    alone->SetBounds(300, 0, 100, 100);
    lonely->OnMouseDown(1, 1, 0, 0, 0);
    lonely->OnMouseMove(1, 50, 1, &handled, 0, 0);
    lonely->OnMouseUp(1, 50, 0, &handled);
    EXPECT_EQ(3, page.raised);
    engine.pages.RemoveAll();
    page.RemoveAllChildren();
}

} // namespace
