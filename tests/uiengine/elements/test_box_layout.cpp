// Layout modes of the box: every mode with children of known minimum sizes,
// flex, margins, paddings, pack and align, against rectangles worked out by
// hand; right-to-left "Auto" placement; minimum sizes; degenerate skins.
#include <climits>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/TestEngine.h"
#include "uiengine/core/TPDAUIEngineXml.h"
#include "uiengine/elements/TPDAUIEngineElementBox.h"

namespace {

struct Rect {
    int l, t, w, h;
};

bool operator==(const Rect& a, const Rect& b)
{
    return a.l == b.l && a.t == b.t && a.w == b.w && a.h == b.h;
}

std::ostream& operator<<(std::ostream& os, const Rect& r)
{
    return os << "(" << r.l << "," << r.t << "," << r.w << "," << r.h << ")";
}

Rect RectOf(const TPDAUIEngineElement* e) { return {e->left, e->top, e->width, e->height}; }

// A box loaded from XML text, not yet laid out.
std::unique_ptr<TPDAUIEngineElementBox> LoadBox(TPDAUIEngine* engine, const std::string& xml)
{
    TPDAUIEngineXml root;
    std::string buffer = xml;
    EXPECT_TRUE(root.Parse(&buffer[0])) << xml;
    auto box = std::make_unique<TPDAUIEngineElementBox>();
    box->OnLoad(engine, nullptr, nullptr, &root, nullptr);
    return box;
}

std::vector<Rect> ChildRects(TPDAUIEngineElementBox* box)
{
    std::vector<Rect> out;
    for (int i = 0; i < box->children.Count(); ++i)
        out.push_back(RectOf(box->children[i]));
    return out;
}

struct LayoutCase {
    const char* name;
    std::string xml;
    int width, height;
    bool rightToLeft;
    std::vector<Rect> expected;
};

class BoxLayoutTest : public ::testing::Test {
protected:
    void Check(const std::vector<LayoutCase>& cases)
    {
        for (const LayoutCase& c : cases) {
            SCOPED_TRACE(c.name);
            engine_.skinSettings.rightToLeft = c.rightToLeft;
            auto box = LoadBox(&engine_, c.xml);
            // These cases lay VerticalScroll boxes out without a scroll bar.
            delete box->scrollBar;
            box->scrollBar = nullptr;
            box->SetBounds(0, 0, c.width, c.height);
            EXPECT_EQ(c.expected, ChildRects(box.get()));
            // Laying out again gives the same rectangles.
            box->SetBounds(0, 0, c.width, c.height);
            EXPECT_EQ(c.expected, ChildRects(box.get()));
        }
        engine_.skinSettings.rightToLeft = 0;
    }

    TestEngine engine_{800, 480};
};

// Children are empty boxes: their minimum size is exactly minimumWidth x
// minimumHeight (or their paddings, for a child that must not refuse to shrink).

TEST_F(BoxLayoutTest, VerticalFlexOverflowAndPack)
{
    Check({
        {"flex takes the spare height",
         R"(<box layout="Vertical"><box minimumHeight="20"/><box minimumHeight="30" flex="1"/></box>)",
         50, 100, false, {{0, 0, 50, 20}, {0, 20, 50, 80}}},
        {"pack End moves everything down by the spare",
         R"(<box layout="Vertical" pack="End"><box minimumHeight="20"/><box minimumHeight="30"/></box>)",
         50, 100, false, {{0, 50, 50, 20}, {0, 70, 50, 30}}},
        {"pack Center moves by half",
         R"(<box layout="Vertical" pack="Center"><box minimumHeight="20"/><box minimumHeight="30"/></box>)",
         50, 100, false, {{0, 25, 50, 20}, {0, 45, 50, 30}}},
        {"flex 2 and 1 share 30 as 20 and 10",
         R"(<box layout="Vertical"><box minimumHeight="40" flex="2"/><box minimumHeight="30" flex="1"/></box>)",
         50, 100, false, {{0, 0, 50, 60}, {0, 60, 50, 40}}},
        {"overflow gives the excess to the last child",
         R"(<box layout="Vertical" overflowY="FlexLastChild"><box minimumHeight="60"/><box paddingTop="70"/></box>)",
         50, 100, false, {{0, 0, 50, 60}, {0, 60, 50, 40}}},
        {"the last child's minimumHeight refuses the overflow",
         R"(<box layout="Vertical" overflowY="FlexLastChild"><box minimumHeight="60"/><box minimumHeight="70"/></box>)",
         50, 100, false, {{0, 0, 50, 60}, {0, 60, 50, 70}}},
        {"overflow to the first child moves the rest up",
         R"(<box layout="Vertical" overflowY="FlexFirstChild"><box paddingTop="60"/><box minimumHeight="70"/></box>)",
         50, 100, false, {{0, 0, 50, 30}, {0, 30, 50, 70}}},
        {"underflow gives the spare to the last child",
         R"(<box layout="Vertical" underflowY="FlexLastChild"><box minimumHeight="20"/><box minimumHeight="30"/></box>)",
         50, 100, false, {{0, 0, 50, 20}, {0, 20, 50, 80}}},
        {"with flex, overflowY plays no part",
         R"(<box layout="Vertical" overflowY="FlexLastChild"><box minimumHeight="20" flex="1"/><box minimumHeight="30"/></box>)",
         50, 100, false, {{0, 0, 50, 70}, {0, 70, 50, 30}}},
        // 50, 30, 40 in 100: the last (minimumHeight 40) refuses -10, the
        // others are pushed to 110, and the shrink pass takes 10 more from the first.
        {"a refusing child makes the shrink pass take from the others",
         R"(<box layout="Vertical"><box paddingTop="50" flex="1"/><box paddingTop="30"/><box minimumHeight="40" flex="1"/></box>)",
         50, 100, false, {{0, 0, 50, 30}, {0, 30, 50, 30}, {0, 60, 50, 40}}},
        {"invisible children are neither placed nor counted",
         R"(<box layout="Vertical"><box minimumHeight="20"/><box minimumHeight="30" visible="false"/><box minimumHeight="10" flex="1"/></box>)",
         50, 100, false, {{0, 0, 50, 20}, {0, 0, 0, 0}, {0, 20, 50, 80}}},
    });
}

TEST_F(BoxLayoutTest, VerticalAlignMarginsPaddingsAndRightToLeft)
{
    // B 2, paddings 4 (inner too): innerW 88; children 20x10 with margin 3 and 30x10.
    const std::string kids = R"(<box minimumWidth="20" minimumHeight="10" margin="3"/><box minimumWidth="30" minimumHeight="10"/></box>)";
    const std::string frame = R"(<box layout="Vertical" padding="4" border="Solid 2 #000000" )";
    Check({
        {"Start", (frame + R"(align="Start">)" + kids), 100, 100, false,
         {{9, 9, 20, 10}, {6, 26, 30, 10}}},
        {"Center", (frame + R"(align="Center">)" + kids), 100, 100, false,
         {{43, 9, 20, 10}, {35, 26, 30, 10}}},
        {"End", (frame + R"(align="End">)" + kids), 100, 100, false,
         {{77, 9, 20, 10}, {64, 26, 30, 10}}},
        {"Stretch", (frame + R"(align="Stretch">)" + kids), 100, 100, false,
         {{9, 9, 82, 10}, {6, 26, 88, 10}}},
        {"Auto left to right is Start", (frame + R"(align="Auto">)" + kids), 100, 100, false,
         {{9, 9, 20, 10}, {6, 26, 30, 10}}},
        {"Auto right to left is End", (frame + R"(align="Auto">)" + kids), 100, 100, true,
         {{77, 9, 20, 10}, {64, 26, 30, 10}}},
        {"AutoInvert places nothing", (frame + R"(align="AutoInvert">)" + kids), 100, 100, false,
         {{0, 0, 0, 0}, {0, 0, 0, 0}}},
        // 5% of the 800-pixel screen width is 40.
        {"percent margins are shares of the screen",
         R"(<box layout="Vertical"><box minimumHeight="10" marginLeft="5%" marginTop="1%"/></box>)", 100, 100,
         false, {{40, 4, 60, 10}}},
    });
}

TEST_F(BoxLayoutTest, VerticalInvertedAndSpaced)
{
    auto box = LoadBox(&engine_, R"(<box layout="VerticalInverted"><box id="a" minimumHeight="10"/>)"
                                 R"(<box id="b" minimumHeight="20"/><box id="c" minimumHeight="30"/></box>)");
    ASSERT_EQ(3, box->children.Count());
    EXPECT_STREQ("c", box->children[0]->id.c_str());
    EXPECT_STREQ("a", box->children[2]->id.c_str());
    box->SetBounds(0, 0, 40, 100);
    EXPECT_EQ((std::vector<Rect>{{0, 0, 40, 30}, {0, 30, 40, 20}, {0, 50, 40, 10}}), ChildRects(box.get()));

    const char* three = R"(<box minimumHeight="10"/><box minimumHeight="20"/><box minimumHeight="10"/></box>)";
    Check({
        {"spare 60 spread as gaps of 30, last flush with the bottom",
         (std::string(R"(<box layout="VerticalSpaced">)") + three), 40, 100, false,
         {{0, 0, 40, 10}, {0, 40, 40, 20}, {0, 90, 40, 10}}},
        {"pack End is undone",
         (std::string(R"(<box layout="VerticalSpaced" pack="End">)") + three), 40, 100, false,
         {{0, 0, 40, 10}, {0, 40, 40, 20}, {0, 90, 40, 10}}},
        {"overflow gives equal cells",
         R"(<box layout="VerticalSpaced"><box minimumHeight="20"/><box minimumHeight="20"/><box minimumHeight="20"/></box>)",
         40, 30, false, {{0, 0, 40, 10}, {0, 10, 40, 10}, {0, 20, 40, 10}}},
        {"a single child is not spread",
         R"(<box layout="VerticalSpaced"><box minimumHeight="20"/></box>)", 40, 100, false,
         {{0, 0, 40, 20}}},
    });
}

TEST_F(BoxLayoutTest, HorizontalFamily)
{
    Check({
        {"flex takes the spare width",
         R"(<box layout="Horizontal"><box minimumWidth="20"/><box minimumWidth="30" flex="1"/></box>)",
         100, 50, false, {{0, 0, 20, 50}, {20, 0, 80, 50}}},
        {"10 shared by flex 1 and 2: 3 and 6, one pixel stays free",
         R"(<box layout="Horizontal"><box minimumWidth="40" flex="1"/><box minimumWidth="50" flex="2"/></box>)",
         100, 50, false, {{0, 0, 43, 50}, {43, 0, 56, 50}}},
        {"negative spare shrinks the flex child",
         R"(<box layout="Horizontal"><box minimumWidth="60" flex="1"/><box minimumWidth="60"/></box>)",
         100, 50, false, {{0, 0, 40, 50}, {40, 0, 60, 50}}},
        {"pack End",
         R"(<box layout="Horizontal" pack="End"><box minimumWidth="20"/><box minimumWidth="30"/></box>)",
         100, 50, false, {{50, 0, 20, 50}, {70, 0, 30, 50}}},
        {"pack Center",
         R"(<box layout="Horizontal" pack="Center"><box minimumWidth="20"/><box minimumWidth="30"/></box>)",
         100, 50, false, {{25, 0, 20, 50}, {45, 0, 30, 50}}},
        {"pack Auto left to right is Start",
         R"(<box layout="Horizontal" pack="Auto"><box minimumWidth="20"/><box minimumWidth="30"/></box>)",
         100, 50, false, {{0, 0, 20, 50}, {20, 0, 30, 50}}},
        {"pack Auto right to left is End",
         R"(<box layout="Horizontal" pack="Auto"><box minimumWidth="20"/><box minimumWidth="30"/></box>)",
         100, 50, true, {{50, 0, 20, 50}, {70, 0, 30, 50}}},
        {"align Start, Center and End with margins",
         R"(<box layout="Horizontal" align="Center" padding="5"><box minimumWidth="20" minimumHeight="10" margin="2"/><box minimumWidth="10" minimumHeight="20"/></box>)",
         100, 50, false, {{7, 22, 20, 10}, {34, 15, 10, 20}}},
        {"align End",
         R"(<box layout="Horizontal" align="End"><box minimumWidth="20" minimumHeight="10" margin="2"/><box minimumWidth="10" minimumHeight="20"/></box>)",
         100, 50, false, {{2, 42, 20, 10}, {24, 30, 10, 20}}},
        {"align Auto places nothing",
         R"(<box layout="Horizontal" align="Auto"><box minimumWidth="20" minimumHeight="10"/></box>)", 100,
         50, false, {{0, 0, 0, 0}}},
        {"HorizontalInverted mirrors within the span",
         R"(<box layout="HorizontalInverted" pack="Start"><box minimumWidth="20"/><box minimumWidth="30"/></box>)",
         100, 50, false, {{30, 0, 20, 50}, {0, 0, 30, 50}}},
        {"HorizontalAutoLeftToRight keeps its order left to right",
         R"(<box layout="HorizontalAutoLeftToRight" pack="Start"><box minimumWidth="20"/><box minimumWidth="30"/></box>)",
         100, 50, false, {{0, 0, 20, 50}, {20, 0, 30, 50}}},
        {"HorizontalAutoLeftToRight mirrors across the box right to left",
         R"(<box layout="HorizontalAutoLeftToRight" pack="Start"><box minimumWidth="20"/><box minimumWidth="30"/></box>)",
         100, 50, true, {{80, 0, 20, 50}, {50, 0, 30, 50}}},
    });
}

TEST_F(BoxLayoutTest, HorizontalSpaced)
{
    const char* three = R"(<box minimumWidth="20"/><box minimumWidth="20"/><box minimumWidth="20"/></box>)";
    Check({
        {"40 free gives gaps of 20, last flush right",
         (std::string(R"(<box layout="HorizontalSpaced">)") + three), 100, 30, false,
         {{0, 0, 20, 30}, {40, 0, 20, 30}, {80, 0, 20, 30}}},
        {"pack End is undone",
         (std::string(R"(<box layout="HorizontalSpaced" pack="End">)") + three), 100, 30, false,
         {{0, 0, 20, 30}, {40, 0, 20, 30}, {80, 0, 20, 30}}},
        // The gaps come from the spare after the inner paddings; the last
        // child then snaps to the right padding.
        {"paddings",
         (std::string(R"(<box layout="HorizontalSpaced" padding="5">)") + three), 100, 30, false,
         {{5, 5, 20, 20}, {35, 5, 20, 20}, {75, 5, 20, 20}}},
        {"overflow: equal cells of innerW / 3 from the left padding",
         R"(<box layout="HorizontalSpaced" paddingLeft="6"><box minimumWidth="40"/><box minimumWidth="40"/><box minimumWidth="40"/></box>)",
         90, 30, false, {{6, 0, 28, 30}, {34, 0, 28, 30}, {62, 0, 28, 30}}},
        {"HorizontalInvertedSpaced mirrors the spaced row",
         (std::string(R"(<box layout="HorizontalInvertedSpaced">)") + three), 100, 30, false,
         {{80, 0, 20, 30}, {40, 0, 20, 30}, {0, 0, 20, 30}}},
    });
}

TEST_F(BoxLayoutTest, Flow)
{
    const char* kids = R"(<box minimumWidth="40" minimumHeight="10"/><box minimumWidth="40" minimumHeight="20"/>)"
                       R"(<box minimumWidth="40" minimumHeight="10"/><box minimumWidth="120" minimumHeight="10"/>)"
                       R"(<box minimumWidth="10" minimumHeight="10"/></box>)";
    Check({
        {"rows wrap; a child wider than the box has a row of its own",
         (std::string(R"(<box layout="Flow">)") + kids), 100, 100, false,
         {{0, 0, 40, 10}, {40, 0, 40, 20}, {0, 20, 40, 10}, {0, 30, 120, 10}, {0, 40, 10, 10}}},
        {"pack End and align End per row",
         (std::string(R"(<box layout="Flow" pack="End" align="End">)") + kids), 100, 100, false,
         {{20, 10, 40, 10}, {60, 0, 40, 20}, {60, 20, 40, 10}, {0, 30, 120, 10}, {90, 40, 10, 10}}},
        {"inner padding between children and rows",
         R"(<box layout="Flow" paddingInner="5"><box minimumWidth="40" minimumHeight="10"/><box minimumWidth="40" minimumHeight="10"/><box minimumWidth="40" minimumHeight="10"/></box>)",
         100, 100, false, {{0, 0, 40, 10}, {45, 0, 40, 10}, {0, 15, 40, 10}}},
    });
}

TEST_F(BoxLayoutTest, AbsoluteAndStack)
{
    Check({
        {"Absolute keeps each child's own rectangle",
         R"(<box layout="Absolute"><box left="5" top="6" width="7" height="8"/><box left="50" top="60" width="-3" height="8"/></box>)",
         100, 100, false, {{5, 6, 7, 8}, {50, 60, 0, 0}}},
        {"Stack fills the content area less the margins",
         R"(<box layout="Stack" padding="5" border="Solid 1 #000000"><box margin="2"/><box/></box>)", 100, 80,
         false, {{8, 8, 84, 64}, {6, 6, 88, 68}}},
        {"StackInverted is placed alike",
         R"(<box layout="StackInverted"><box/><box/></box>)", 30, 20, false, {{0, 0, 30, 20}, {0, 0, 30, 20}}},
    });
}

TEST_F(BoxLayoutTest, VerticalScrollWithoutBar)
{
    Check({
        {"children stack at their minimum heights, full width",
         R"(<box layout="VerticalScroll" paddingInner="2"><box minimumHeight="30" margin="1"/><box minimumHeight="40"/></box>)",
         60, 50, false, {{1, 1, 58, 30}, {0, 34, 60, 40}}},
        {"underflow stretches the last child to the bottom",
         R"(<box layout="VerticalScroll" underflowY="FlexLastChild"><box minimumHeight="30"/><box minimumHeight="40"/></box>)",
         60, 100, false, {{0, 0, 60, 30}, {0, 30, 60, 70}}},
        {"underflow to the first child",
         R"(<box layout="VerticalScroll" underflowY="FlexFirstChild" padding="5"><box minimumHeight="30"/><box minimumHeight="40"/></box>)",
         60, 100, false, {{5, 5, 50, 40}, {5, 50, 50, 40}}},
        {"taller content without a bar: underflow turns negative",
         R"(<box layout="VerticalScroll" underflowY="FlexLastChild"><box minimumHeight="30"/><box minimumHeight="40"/></box>)",
         60, 50, false, {{0, 0, 60, 30}, {0, 30, 60, 20}}},
    });
}

TEST_F(BoxLayoutTest, Table)
{
    Check({
        {"skipped cells: 3 x 2 skipping 4 puts the child at row 1, column 1",
         R"(<box layout="Table" layoutColumns="3" layoutRows="2" layoutTableSkipCells="4"><box/></box>)", 90,
         60, false, {{30, 30, 30, 30}}},
        {"the first row takes the rounding remainder",
         R"(<box layout="Table" layoutColumns="2" layoutRows="2"><box/><box/><box/></box>)", 100, 61, false,
         {{0, 0, 50, 31}, {50, 0, 50, 31}, {0, 31, 50, 30}}},
        {"spans and inner padding",
         R"(<box layout="Table" layoutColumns="3" layoutRows="2" paddingInner="2"><box colspan="2"/><box/><box rowspan="2" margin="1"/></box>)",
         100, 50, false, {{0, 0, 64, 24}, {66, 0, 32, 24}, {1, 27, 30, 48}}},
        {"a colspan past the last column ends the row",
         R"(<box layout="Table" layoutColumns="2" layoutRows="2"><box/><box colspan="5"/><box/></box>)", 100, 40,
         false, {{0, 0, 50, 20}, {50, 0, 250, 20}, {0, 20, 50, 20}}},
        {"less than one row, align Center",
         R"(<box layout="Table" layoutColumns="4" layoutRows="1" align="Center"><box/><box/></box>)", 100, 20,
         false, {{25, 0, 25, 20}, {50, 0, 25, 20}}},
        {"less than one row, align End",
         R"(<box layout="Table" layoutColumns="4" layoutRows="1" align="End"><box/><box/></box>)", 100, 20,
         false, {{50, 0, 25, 20}, {75, 0, 25, 20}}},
        {"a full row is not moved by align",
         R"(<box layout="Table" layoutColumns="2" layoutRows="1" align="End"><box/><box/></box>)", 100, 20,
         false, {{0, 0, 50, 20}, {50, 0, 50, 20}}},
        {"cells grow to their content",
         R"(<box layout="Table" layoutColumns="2" layoutRows="2" layoutTableOnCellOverflowYResizeCell="true"><box minimumHeight="30"/><box minimumHeight="10"/><box/></box>)",
         100, 40, false, {{0, 0, 50, 30}, {50, 0, 50, 20}, {0, 30, 50, 20}}},
    });
}

TEST_F(BoxLayoutTest, Cards)
{
    Check({
        {"CardVertical: every child full height, width by flex",
         R"(<box layout="CardVertical"><box minimumWidth="20"/><box flex="1"/></box>)", 100, 50, false,
         {{0, 0, 20, 50}, {0, 0, 100, 50}}},
        {"CardVertical pack End",
         R"(<box layout="CardVertical" pack="End"><box minimumWidth="20" margin="2"/></box>)", 100, 50, false,
         {{78, 2, 20, 46}}},
        {"CardHorizontal places only the card child",
         R"(<box layout="CardHorizontal" layoutCardIndex="1"><box/><box/></box>)", 100, 50, false,
         {{0, 0, 0, 0}, {0, 0, 100, 50}}},
        {"CardHorizontal align Center",
         R"(<box layout="CardHorizontal" align="Center"><box minimumHeight="10"/></box>)", 100, 50, false,
         {{0, 20, 100, 10}}},
        {"CardHorizontal align End",
         R"(<box layout="CardHorizontal" align="End"><box minimumHeight="10"/></box>)", 100, 50, false,
         {{0, 40, 100, 10}}},
        {"CardHorizontal index past the end is lowered to the last child",
         R"(<box layout="CardHorizontal" layoutCardIndex="7" align="Start"><box/><box minimumHeight="10"/></box>)",
         100, 50, false, {{0, 0, 0, 0}, {0, 0, 100, 10}}},
    });
    auto box = LoadBox(&engine_, R"(<box layout="CardVertical" layoutCardIndex="9"><box/><box/></box>)");
    box->SetBounds(0, 0, 10, 10);
    EXPECT_EQ(1, box->layoutCardIndex);
}

TEST_F(BoxLayoutTest, Auto)
{
    struct GridCase {
        int children;
        int columns, rows;
    };
    for (const GridCase& g : std::vector<GridCase>{{0, 3, 3}, {1, 1, 1}, {2, 1, 2}, {3, 2, 2}, {4, 2, 2},
                                                   {5, 2, 3}, {6, 2, 3}, {7, 3, 3}, {9, 3, 3}}) {
        std::string xml = R"(<box layout="Auto">)";
        for (int i = 0; i < g.children; ++i)
            xml += "<box/>";
        xml += "</box>";
        auto box = LoadBox(&engine_, xml);
        box->SetBounds(0, 0, 90, 90);
        EXPECT_EQ(g.columns, box->layoutColumns) << g.children;
        EXPECT_EQ(g.rows, box->layoutRows) << g.children;
    }
    Check({
        {"five children: the fifth starts row three with the whole width",
         R"(<box layout="Auto"><box/><box/><box/><box/><box/></box>)", 100, 90, false,
         {{0, 0, 50, 30}, {50, 0, 50, 30}, {0, 30, 50, 30}, {50, 30, 50, 30}, {0, 60, 100, 30}}},
        {"paddings and margins; the last child keeps the rest of its row",
         R"(<box layout="Auto" padding="4"><box margin="1"/><box margin="1"/><box margin="1"/></box>)", 100,
         100, false, {{5, 5, 42, 42}, {53, 5, 42, 42}, {5, 53, 92, 42}}},
    });
}

TEST_F(BoxLayoutTest, UnknownLayoutPlacesNothing)
{
    auto box = LoadBox(&engine_, R"(<box><box minimumHeight="10"/></box>)");
    box->layout = 99;
    box->SetBounds(0, 0, 50, 50);
    EXPECT_EQ((std::vector<Rect>{{0, 0, 0, 0}}), ChildRects(box.get()));
    EXPECT_EQ(0, box->GetMinimumHeight(50));
    EXPECT_EQ(0, box->GetMinimumWidth(50));
}

// ---- minimum sizes ----

TEST_F(BoxLayoutTest, MinimumSizes)
{
    struct Case {
        const char* name;
        std::string xml;
        int available;  // offered width (for the height) and height (for the width)
        int minHeight, minWidth;
    };
    const char* kids = R"(<box minimumWidth="15" minimumHeight="10"/><box minimumWidth="25" minimumHeight="20"/></box>)";
    const std::vector<Case> cases = {
        // Border 1 counts as 1 + 1 in the height and 2 x 1 in the width.
        {"Vertical: heights and inner paddings add up, the widest child",
         (std::string(R"(<box layout="Vertical" padding="3" border="Solid 1 #000000">)") + kids), 100,
         44, 33},
        {"Horizontal: the tallest child, widths add up",
         (std::string(R"(<box layout="Horizontal" padding="3" border="Solid 1 #000000">)") + kids),
         100, 28, 54},
        {"margins count", R"(<box layout="Vertical"><box minimumWidth="10" minimumHeight="10" margin="2"/></box>)",
         100, 14, 14},
        {"minimumHeight and minimumWidth raise the answer",
         R"(<box layout="Vertical" minimumHeight="100" minimumWidth="90"><box minimumHeight="10"/></box>)", 100,
         100, 90},
        {"maximumHeight and maximumWidth lower it",
         R"(<box layout="Vertical" maximumHeight="5" maximumWidth="6"><box minimumWidth="20" minimumHeight="10"/></box>)",
         100, 5, 6},
        {"CardHorizontal: the card's height, the sum of widths",
         (std::string(R"(<box layout="CardHorizontal" layoutCardIndex="1">)") + kids), 100, 20, 40},
        {"CardVertical: the card's height and width",
         (std::string(R"(<box layout="CardVertical">)") + kids), 100, 10, 15},
        {"Stack and the others count no content",
         (std::string(R"(<box layout="Stack" padding="2">)") + kids), 100, 4, 4},
        {"Table counts nothing without the resize flag",
         (std::string(R"(<box layout="Table" layoutColumns="2">)") + kids), 100, 0, 0},
        {"Table with the resize flag: rows of the tallest cells",
         R"(<box layout="Table" layoutColumns="2" paddingInner="3" layoutTableOnCellOverflowYResizeCell="true"><box minimumHeight="10"/><box minimumHeight="20"/><box minimumHeight="5"/></box>)",
         100, 28, 0},
        // In a box 100 wide the three 40-wide children take two rows.
        {"Flow: wrapped rows",
         R"(<box layout="Flow"><box minimumWidth="40" minimumHeight="10"/><box minimumWidth="40" minimumHeight="20"/><box minimumWidth="40" minimumHeight="10"/></box>)",
         100, 30, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto box = LoadBox(&engine_, c.xml);
        EXPECT_EQ(c.minHeight, box->GetMinimumHeight(c.available));
        EXPECT_EQ(c.minWidth, box->GetMinimumWidth(c.available));
    }
}

TEST_F(BoxLayoutTest, NestedBoxesLayOutInTurn)
{
    auto box = LoadBox(&engine_, R"(<box layout="Vertical">)"
                                 R"(<box layout="Horizontal" paddingInner="4"><box minimumWidth="10" minimumHeight="12"/><box flex="1"/></box>)"
                                 R"(<box flex="1" layout="Stack" padding="2"><box/></box></box>)");
    box->SetBounds(0, 0, 100, 100);
    TPDAUIEngineElementBox* row = dynamic_cast<TPDAUIEngineElementBox*>(box->children[0]);
    TPDAUIEngineElementBox* stack = dynamic_cast<TPDAUIEngineElementBox*>(box->children[1]);
    ASSERT_TRUE(row && stack);
    EXPECT_EQ((Rect{0, 0, 100, 12}), RectOf(row));
    EXPECT_EQ((std::vector<Rect>{{0, 0, 10, 12}, {14, 0, 86, 12}}), ChildRects(row));
    EXPECT_EQ((Rect{0, 12, 100, 88}), RectOf(stack));
    EXPECT_EQ((std::vector<Rect>{{2, 2, 96, 84}}), ChildRects(stack));
}

// ---- minimum sizes within and between passes ----

// A leaf whose minimum height depends on the width offered and which says
// nothing about it (or, with notes set, says so).
class WidthProbe : public TPDAUIEngineElement {
public:
    explicit WidthProbe(bool notes) : notes_(notes) {}
    void Paint(IDC*, int, int) override {}
    int GetMinimumHeight(int available) override
    {
        if (notes_)
            NoteMeasure(true);
        return available < 100 ? 50 : 10;
    }

private:
    bool notes_;
};

// The page asks the row's minimum height at the whole width, the row then
// asks its column's at the column's own width: an answer that depended on the
// width is not reused at another width within the pass.
TEST_F(BoxLayoutTest, MeasuresByTheWidthAreTakenAgainAtEachWidth)
{
    for (bool notes : {false, true}) {
        SCOPED_TRACE(notes);
        auto box = LoadBox(&engine_, R"(<box layout="Vertical" align="Stretch">)"
                                     R"(<box layout="Horizontal" align="Start"><box layout="Vertical"/><box flex="1"/></box>)"
                                     R"(</box>)");
        auto* row = dynamic_cast<TPDAUIEngineElementBox*>(box->children[0]);
        auto* column = dynamic_cast<TPDAUIEngineElementBox*>(row->children[0]);
        ASSERT_TRUE(row && column);
        column->AddChild(new WidthProbe(notes), nullptr, nullptr);
        box->SetBounds(0, 0, 300, 200);
        EXPECT_EQ((Rect{0, 0, 300, 10}), RectOf(row));  // measured at 300
        EXPECT_EQ((Rect{0, 0, 0, 50}), RectOf(column));  // measured at its own width, 0
        EXPECT_EQ(50, column->children[0]->height);
    }
}

// Asks a box's minimum height at several widths while its parent's pass is
// open, and counts the measures of a leaf that does not depend on the width.
class PassAsker : public TPDAUIEngineElement {
public:
    void Paint(IDC*, int, int) override {}
    int GetMinimumHeight(int) override
    {
        for (int width : widths)
            answers.push_back(target->GetMinimumHeight(width));
        NoteMeasure(false);
        return 0;
    }
    TPDAUIEngineElement* target = nullptr;
    std::vector<int> widths;
    std::vector<int> answers;
};

class CountingLeaf : public TPDAUIEngineElement {
public:
    void Paint(IDC*, int, int) override {}
    int GetMinimumHeight(int) override
    {
        ++measures;
        NoteMeasure(false);
        return 30;
    }
    int measures = 0;
};

// Within one pass a box remembers its last answers: one that depended on the
// width serves that width only, however the widths alternate and whichever
// answer was replaced; one that did not serves every width.
TEST_F(BoxLayoutTest, RememberedMinimumSizesServeOnlyTheirOwnWidth)
{
    auto box = LoadBox(&engine_, R"(<box layout="Vertical"/>)");
    auto dependent = LoadBox(&engine_, R"(<box layout="Vertical"/>)");
    dependent->AddChild(new WidthProbe(true), nullptr, nullptr);
    auto fixed = LoadBox(&engine_, R"(<box layout="Vertical"/>)");
    auto* leaf = new CountingLeaf();
    fixed->AddChild(leaf, nullptr, nullptr);
    struct Case {
        TPDAUIEngineElementBox* target;
        std::vector<int> widths;
        std::vector<int> answers;
    };
    const Case cases[] = {
        {dependent.get(), {50, 150, 50, 250, 150, 50, 50}, {50, 10, 50, 10, 10, 50, 50}},
        {dependent.get(), {150, 40, 300, 40, 150}, {10, 50, 10, 50, 10}},
        {fixed.get(), {50, 150, 50, 250}, {30, 30, 30, 30}},
    };
    for (const Case& c : cases) {
        auto* asker = new PassAsker();
        asker->target = c.target;
        asker->widths = c.widths;
        box->AddChild(asker, nullptr, nullptr);
        leaf->measures = 0;
        box->SetBounds(0, 0, 100, 100);
        EXPECT_EQ(c.answers, asker->answers);
        if (c.target == fixed.get()) {
            EXPECT_EQ(1, leaf->measures);  // measured once in the pass, at the first width
        }
        box->RemoveChild(asker);
    }
}

// Nothing is remembered from one pass to the next: a size changed between
// two layouts (directly, not through an attribute) counts in the second.
TEST_F(BoxLayoutTest, MinimumSizesAreAskedAgainInEveryPass)
{
    auto box = LoadBox(&engine_, R"(<box layout="Vertical"><box layout="Horizontal"><box layout="Vertical"><box minimumHeight="20"/></box></box><box flex="1"/></box>)");
    auto* row = dynamic_cast<TPDAUIEngineElementBox*>(box->children[0]);
    auto* column = dynamic_cast<TPDAUIEngineElementBox*>(row->children[0]);
    ASSERT_TRUE(row && column);
    box->SetBounds(0, 0, 100, 100);
    EXPECT_EQ(20, row->height);
    EXPECT_EQ(20, box->GetMinimumHeight(100));
    column->children[0]->minimumHeight = 35;
    EXPECT_EQ(35, box->GetMinimumHeight(100));
    box->SetBounds(0, 0, 100, 100);
    EXPECT_EQ(35, row->height);
    EXPECT_EQ((Rect{0, 35, 100, 65}), RectOf(box->children[1]));
    // An attribute set between the passes counts as well.
    column->children[0]->SetAttribute("minimumHeight", "40");
    box->SetBounds(0, 0, 100, 100);
    EXPECT_EQ(40, row->height);
}

// A box placed twice by its parent (flex growth) lays its own children out
// at its final rectangle, through every level.
TEST_F(BoxLayoutTest, GrownChildrenLayOutAtTheirFinalSize)
{
    auto box = LoadBox(&engine_, R"(<box layout="Vertical">)"
                                 R"(<box flex="1" layout="Horizontal"><box flex="1" layout="Vertical"><box flex="1" minimumWidth="7"/></box><box minimumWidth="30"/></box>)"
                                 R"(<box minimumHeight="10"/></box>)");
    box->SetBounds(0, 0, 100, 100);
    auto* row = dynamic_cast<TPDAUIEngineElementBox*>(box->children[0]);
    ASSERT_NE(nullptr, row);
    auto* column = dynamic_cast<TPDAUIEngineElementBox*>(row->children[0]);
    ASSERT_NE(nullptr, column);
    EXPECT_EQ((Rect{0, 0, 100, 90}), RectOf(row));
    EXPECT_EQ((std::vector<Rect>{{0, 0, 70, 90}, {70, 0, 30, 90}}), ChildRects(row));
    EXPECT_EQ((std::vector<Rect>{{0, 0, 70, 90}}), ChildRects(column));
    EXPECT_EQ(0, (int)row->layoutPending);
    EXPECT_EQ(0, (int)column->layoutPending);
}

// ---- boxScale ----

// Records the UI scale in force while it is measured and placed.
class ScaleProbe : public TPDAUIEngineElement {
public:
    void Paint(IDC*, int, int) override {}
    int GetMinimumHeight(int available) override
    {
        seen.push_back(GetUIScale());
        return Scale(10);
    }
    void SetBounds(int l, int t, int w, int h) override
    {
        seen.push_back(GetUIScale());
        TPDAUIEngineElement::SetBounds(l, t, w, h);
    }
    std::vector<float> seen;
};

TEST_F(BoxLayoutTest, BoxScaleAppliesToTheSubtreeAndIsRestored)
{
    auto box = LoadBox(&engine_, R"(<box layout="Vertical" boxScale="1.2"/>)");
    EXPECT_FLOAT_EQ(1.2f, box->boxScale);
    ScaleProbe* probe = new ScaleProbe();
    box->AddChild(probe, nullptr, nullptr);
    probe->seen.clear();
    box->SetBounds(0, 0, 50, 50);
    EXPECT_EQ(12, probe->height);
    ASSERT_FALSE(probe->seen.empty());
    for (float s : probe->seen)
        EXPECT_FLOAT_EQ(1.2f, s);
    EXPECT_FLOAT_EQ(1.0f, TPDAUIEngineElement::GetUIScale());
    EXPECT_EQ(12, box->GetMinimumHeight(50));
    EXPECT_FLOAT_EQ(1.0f, TPDAUIEngineElement::GetUIScale());

    // While compiling skins the box scale is not applied.
    engine_.skinCompiling = 1;
    box->SetBounds(0, 0, 50, 50);
    EXPECT_EQ(10, probe->height);
    engine_.skinCompiling = 0;

    // Above a UI scale of 1.5 a loaded box drops its scale.
    engine_.skinSettings.uiScale = 2.0f;
    auto large = LoadBox(&engine_, R"(<box boxScale="1.2"/>)");
    EXPECT_EQ(0.0f, large->boxScale);
    engine_.skinSettings.uiScale = 1.0f;
}

// ---- degenerate skins ----

TEST_F(BoxLayoutTest, DegenerateSkinsLayOutSafely)
{
    const char* layouts[] = {"Vertical", "VerticalInverted", "Horizontal", "HorizontalInverted",
                             "HorizontalAutoLeftToRight", "Flow", "Absolute", "Stack", "StackInverted",
                             "VerticalScroll", "Table", "CardVertical", "CardHorizontal", "Auto",
                             "HorizontalSpaced", "VerticalSpaced", "HorizontalInvertedSpaced"};
    const char* extras[] = {
        "",
        R"(layoutColumns="0" layoutRows="0")",
        R"(layoutColumns="-3" layoutRows="-2" layoutTableSkipCells="7")",
        R"(layoutColumns="0" layoutTableOnCellOverflowYResizeCell="true" layoutTableSkipCells="3")",
        R"(padding="-40" border="Solid 9 #000000")",
        R"(paddingBottom="500" overflowY="FlexLastChild" underflowY="FlexFirstChild")",
        R"(paddingInner="2000000000" pack="End" align="Center")",
        R"(layoutCardIndex="-5" pack="Center" align="End")",
    };
    const char* childSets[] = {
        "",
        R"(<box/>)",
        R"(<box flex="1"/><box flex="-1" minimumHeight="5"/>)",
        R"(<box flex="2000000000" minimumWidth="2000000000"/><box flex="2000000000" minimumHeight="2000000000"/>)",
        R"(<box colspan="2000000000" rowspan="2000000000"/><box colspan="-7" rowspan="0"/><box margin="-3000"/>)",
        R"(<box visible="false"/><box align="AutoInvert" margin="200%"/>)",
    };
    const int sizes[][2] = {{100, 80}, {0, 0}, {-5, -5}, {1, 1}, {INT_MAX, INT_MAX}, {3, INT_MIN}};
    for (const char* layout : layouts)
        for (const char* extra : extras)
            for (const char* kids : childSets) {
                std::string xml = std::string("<box layout=\"") + layout + "\" " + extra + ">" + kids + "</box>";
                SCOPED_TRACE(xml);
                auto box = LoadBox(&engine_, xml);
                for (const auto& size : sizes) {
                    box->SetBounds(0, 0, size[0], size[1]);
                    (void)box->GetMinimumHeight(size[0]);
                    (void)box->GetMinimumWidth(size[1]);
                }
                // Layout sizes stay sizes.
                for (int i = 0; i < box->children.Count(); ++i) {
                    EXPECT_GE(box->children[i]->width, 0);
                    EXPECT_GE(box->children[i]->height, 0);
                }
            }
}

TEST_F(BoxLayoutTest, NoChildren)
{
    for (int layout = 0; layout < TPDAUIEngineElementBox::LayoutCount; ++layout) {
        TPDAUIEngineElementBox box;
        box.layout = layout;
        box.SetAttribute("padding", "3");
        box.SetBounds(1, 2, 30, 40);
        EXPECT_EQ((Rect{1, 2, 30, 40}), RectOf(&box)) << layout;
        EXPECT_EQ(0, box.children.Count());
    }
}

} // namespace
