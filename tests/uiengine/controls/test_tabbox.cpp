// The tab box: buttons select pages by their visible position, hidden buttons
// are skipped, and a box of the wrong shape binds nothing.
#include "label_button_fixture.h"

#include "uiengine/controls/RegisterTabBox.h"
#include "uiengine/controls/TPDAUIEngineElementTabBox.h"
#include "uiengine/elements/TPDAUIEngineElementFactory.h"

namespace controls {
namespace {
using TabBox = TPDAUIEngineElementTabBox;

class TabBoxTest : public ControlTest {
protected:
    TabBoxTest()
    {
        RegisterLabelAndButtonElements(&TPDAUIEngineElementFactory::RegisterTag);
        RegisterTabBoxElements(&TPDAUIEngineElementFactory::RegisterTag);
    }
};

const char kTabs[] =
    "<tabbox id=\"t\" left=\"0\" top=\"0\" width=\"300\" height=\"200\" layout=\"Vertical\">"
    "<tabboxbuttons><tabboxbutton id=\"b0\" label=\"One\"/><tabboxbutton id=\"b1\" label=\"Two\" visible=\"false\"/>"
    "<tabboxbutton id=\"b2\" label=\"Three\"/></tabboxbuttons>"
    "<tabboxpages><tabboxpage id=\"p0\"/><tabboxpage id=\"p1\"/><tabboxpage id=\"p2\"/></tabboxpages></tabbox>";

TEST_F(TabBoxTest, TheNthVisibleButtonShowsThePageAtItsPosition)
{
    TabBox* t = Add<TabBox>(kTabs);
    ASSERT_NE(nullptr, t->buttons);
    ASSERT_NE(nullptr, t->pages);
    EXPECT_STREQ("0", t->GetAttribute("selectedIndex").c_str());
    t->SetAttribute("selectedIndex", "1");  // the second visible button is the third
    EXPECT_EQ(1, t->buttons->children[2]->pressed);
    EXPECT_EQ(0, t->buttons->children[0]->pressed);
    EXPECT_EQ(1, t->pages->children[2]->visible);
    EXPECT_EQ(0, t->pages->children[0]->visible);
    EXPECT_EQ(0, t->pages->children[1]->visible);
    // The shown page is laid out, not only the first.
    t->SetBounds(0, 0, 300, 200);
    EXPECT_GT(t->pages->children[2]->width, 0);
    // A tap on the first button selects it again, whatever the sticky toggle did.
    const TRectIG r = t->buttons->children[0]->GetScreenRect();
    engine.Tap((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    engine.Advance(50);
    EXPECT_EQ(0, t->GetSelectedIndex());
    EXPECT_EQ(1, t->pages->children[0]->visible);
    // Out of range: no button pressed, every page hidden.
    t->SelectTab(7);
    EXPECT_EQ(-1, t->GetSelectedIndex());
    EXPECT_EQ(0, t->pages->children[0]->visible);
}

TEST_F(TabBoxTest, ABoxOfThreeChildrenBindsNothing)
{
    TabBox* t = Add<TabBox>("<tabbox id=\"t\"><tabboxbuttons/><tabboxpages/><box/></tabbox>");
    EXPECT_EQ(nullptr, t->buttons);
    t->SetAttribute("selectedIndex", "1");
    EXPECT_STREQ("-1", t->GetAttribute("selectedIndex").c_str());
}

} // namespace
} // namespace controls
