// The repeater: its selection following the focus, the range rules of its index,
// entries measured and drawn by their owner, and the press hook.
#include <memory>

#include <gtest/gtest.h>

#include "support/TestEngine.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"
#include "uiengine/elements/TPDAUIEngineElementRepeater.h"

namespace {
using Repeater = TPDAUIEngineElementRepeater;
using Item = TPDAUIEngineElementRepeaterItem;

class RepeaterTest : public ::testing::Test {
protected:
    RepeaterTest() : page(&engine)
    {
        engine.OpenPage(&page);
        page.layout = TPDAUIEngineElementBox::LayoutAbsolute;
        repeater = new Repeater();
        repeater->left = 0, repeater->top = 0, repeater->width = 300, repeater->height = 200;
        page.AddChild(repeater, nullptr, nullptr);
        for (int i = 0; i < 3; ++i) {
            auto* item = new Item();
            item->minimumHeight = 40;
            repeater->AddChild(item, nullptr, nullptr);
        }
        page.Layout();
        repeater->SetBounds(0, 0, 300, 200);
    }
    ~RepeaterTest() override
    {
        engine.pages.RemoveAll();
        page.RemoveAllChildren();
    }
    Item* At(int i) { return dynamic_cast<Item*>(repeater->children[i]); }
    TestEngine engine{800, 480};
    TPDAUIEngineElementPage page;
    Repeater* repeater = nullptr;
};

TEST_F(RepeaterTest, TheSelectedIndexKeepsToTheEntries)
{
    repeater->selectedIndex = 5;
    EXPECT_EQ(-1, repeater->GetSelectedIndex());
    repeater->SetSelectedIndex(5);
    EXPECT_EQ(2, repeater->selectedIndex);
    repeater->SetSelectedIndex(-3);
    EXPECT_EQ(-1, repeater->selectedIndex);
    repeater->SetSelectedIndex(1);
    EXPECT_EQ(1, repeater->GetSelectedIndex());
}

TEST_F(RepeaterTest, TheFocusedEntryIsTheSelectedOne)
{
    page.SetFocus(At(1), true);
    engine.Frame();  // a paint recomputes the selection
    EXPECT_EQ(1, repeater->selectedIndex);
    EXPECT_EQ(0, At(0)->selected);
    EXPECT_EQ(1, At(1)->selected);
    EXPECT_EQ(0, At(2)->selected);
    page.SetFocus(At(2), true);
    engine.Frame();
    EXPECT_EQ(2, repeater->selectedIndex);
    EXPECT_EQ(0, At(1)->selected);
}

TEST_F(RepeaterTest, EntriesMeasuredAndDrawnByTheirOwner)
{
    static int drawn = 0;
    drawn = 0;
    At(0)->measureCallback = [](void*, Item*, int, int* h) {
        *h = 77;
        return true;
    };
    At(1)->measureCallback = [](void*, Item*, int, int*) { return false; };  // measured as a box
    EXPECT_EQ(77, At(0)->GetMinimumHeight(300));
    EXPECT_EQ(40, At(1)->GetMinimumHeight(300));
    At(2)->drawCallback = [](void*, Item* item, IDC*, int l, int t, int r, int b, int) {
        ++drawn;
        EXPECT_EQ(item->width, r - l);
        EXPECT_EQ(item->height, b - t);
    };
    engine.Frame();
    EXPECT_EQ(1, drawn);
    // The press hook gets the selected entry.
    static int pressedIndex = -2;
    repeater->itemPressed = [](void*, int index, int, int) { pressedIndex = index; };
    page.SetFocus(At(2), true);
    repeater->OnMouseDown(5, 100, 0, 0, 0);
    EXPECT_EQ(2, pressedIndex);
}

} // namespace
