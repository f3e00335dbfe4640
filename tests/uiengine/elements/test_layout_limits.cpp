// Absurd sizes, margins and paddings from a skin: the page's layout, every
// box layout mode and the element's geometry saturate instead of overflowing
// (the sanitizer build turns any overflow here into a failure).
#include <climits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "enginelib/base/TFicheroITV.h"
#include "support/TestEngine.h"
#include "support/TestPaths.h"
#include "uiengine/core/TPDAUIEngineXml.h"
#include "uiengine/elements/TPDAUIEngineElementBox.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"

namespace {

const char* const kModes[] = {
    "Vertical",   "VerticalInverted", "Horizontal",       "HorizontalInverted",
    "HorizontalAutoLeftToRight",      "Flow",             "Absolute",
    "Stack",      "StackInverted",    "VerticalScroll",   "Table",
    "CardVertical", "CardHorizontal", "Auto",             "HorizontalSpaced",
    "VerticalSpaced", "HorizontalInvertedSpaced",
};

void LoadXml(TPDAUIEngine* engine, TPDAUIEngineElementPage* page, const std::string& xml)
{
    TPDAUIEngineXml root;
    std::string buffer = xml;
    ASSERT_TRUE(root.Parse(&buffer[0])) << xml;
    page->OnLoad(engine, nullptr, nullptr, &root, nullptr);
}

struct Rect {
    int l, t, w, h;
    bool operator==(const Rect& o) const { return l == o.l && t == o.t && w == o.w && h == o.h; }
};

std::ostream& operator<<(std::ostream& os, const Rect& r)
{
    return os << "(" << r.l << ", " << r.t << ", " << r.w << ", " << r.h << ")";
}

Rect RectOf(const TPDAUIEngineElement* e) { return {e->left, e->top, e->width, e->height}; }

class Leaf : public TPDAUIEngineElement {
public:
    void Paint(IDC*, int, int) override {}
};

} // namespace

// A negative maximum is no maximum; margins add and subtract saturated. The
// compiled page keeps maximums whole and margins as signed bytes.
TEST(LayoutLimits, PageMaximumsAndMarginsSaturate)
{
    struct Case {
        const char* xml;
        Rect page, box;                  // laid out from XML
        Rect compiledPage, compiledBox;  // laid out from the compiled page
    } cases[] = {
        {R"(<page id="p" maximumHeight="-2147483648" margin="13"><box id="b"/></page>)",
         {13, 13, 774, 454}, {0, 0, 774, 0}, {13, 13, 774, 454}, {0, 0, 774, 0}},
        {R"(<page id="p" maximumWidth="-2147483648" maximumHeight="1000" margin="-2147483648"><box id="b"/></page>)",
         {INT_MIN, INT_MIN, INT_MAX, INT_MAX}, {0, 0, INT_MAX, 0},
         {-128, -388, 1056, 1256}, {0, 0, 1056, 0}},
        {R"(<page id="p" maximumWidth="2147483647" maximumHeight="2147483647" margin="2147483647"><box id="b"/></page>)",
         {INT_MAX, INT_MAX, 0, 0}, {0, 0, 0, 0}, {127, 127, 546, 226}, {0, 0, 546, 0}},
        {R"(<page id="p" maximumWidth="300" marginLeft="2147483647" marginRight="-2147483648"><box id="b"/></page>)",
         {INT_MAX, 0, 301, 480}, {0, 0, 301, 0}, {377, 0, 301, 480}, {0, 0, 301, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.xml);
        TestEngine engine(800, 480);
        testpaths::TempDir dir;
        const std::string compiled = dir / "page.cpage";
        {
            TPDAUIEngineElementPage page(&engine);
            LoadXml(&engine, &page, c.xml);
            page.Layout();
            EXPECT_EQ(c.page, RectOf(&page));
            ASSERT_EQ(1, page.children.Count());
            EXPECT_EQ(c.box, RectOf(page.children[0]));
            EXPECT_EQ(0, (int)page.fullScreen);
            ASSERT_TRUE(page.WriteCompiled(compiled.c_str()));
        }
        TFicheroITV file;
        ASSERT_TRUE(file.Abre(compiled.c_str(), ITV_MODO_LECTURA));
        TPDAUIEngineElementPage page(&engine);
        page.OnLoad(&engine, nullptr, nullptr, nullptr, &file);
        ASSERT_FALSE(file.Error());
        page.Layout();
        EXPECT_EQ(c.compiledPage, RectOf(&page));
        ASSERT_EQ(1, page.children.Count());
        EXPECT_EQ(c.compiledBox, RectOf(page.children[0]));
    }
}

// Every layout mode with extreme margins, paddings, borders, sizes, limits,
// flex and spans, placed in extreme and ordinary rectangles.
TEST(LayoutLimits, ExtremeValuesInEveryLayoutMode)
{
    const char* const kMax = "2147483647";
    const char* const kMin = "-2147483648";
    struct Extreme {
        const char* name;
        std::string box, child;  // attributes of the box and of each child
    } extremes[] = {
        {"huge margins and paddings",
         std::string("padding=\"") + kMax + "\" border=\"Solid " + kMax + " #000000\"",
         std::string("margin=\"") + kMax + "\""},
        {"negative margins and paddings",
         std::string("padding=\"") + kMin + "\" border=\"Solid " + kMin + " #000000\"",
         std::string("margin=\"") + kMin + "\""},
        {"mixed signs",
         std::string("paddingLeft=\"") + kMax + "\" paddingRight=\"" + kMin + "\" paddingInner=\"" + kMax +
             "\" paddingTop=\"" + kMin + "\"",
         std::string("marginLeft=\"") + kMin + "\" marginRight=\"" + kMax + "\" marginTop=\"" + kMax +
             "\" marginBottom=\"" + kMin + "\""},
        {"huge sizes and limits",
         std::string("minimumWidth=\"") + kMax + "\" minimumHeight=\"" + kMax + "\"",
         std::string("minimumWidth=\"") + kMax + "\" minimumHeight=\"" + kMax + "\" left=\"" + kMax +
             "\" top=\"" + kMax + "\" width=\"" + kMax + "\" height=\"" + kMax + "\""},
        {"negative sizes and limits",
         std::string("maximumWidth=\"") + kMin + "\" maximumHeight=\"" + kMin + "\"",
         std::string("minimumWidth=\"") + kMin + "\" minimumHeight=\"" + kMin + "\" maximumWidth=\"" + kMin +
             "\" maximumHeight=\"" + kMin + "\" left=\"" + kMin + "\" top=\"" + kMin + "\""},
        {"huge flex and spans",
         std::string("layoutColumns=\"") + kMax + "\" layoutRows=\"" + kMax + "\" layoutTableSkipCells=\"" +
             kMax + "\" layoutCardIndex=\"" + kMax + "\" layoutTableOnCellOverflowYResizeCell=\"true\" "
             "underflowY=\"FlexLastChild\" overflowY=\"FlexFirstChild\"",
         std::string("flex=\"") + kMax + "\" colspan=\"" + kMax + "\" rowspan=\"" + kMax + "\" minimumHeight=\"5\""},
        {"negative flex and spans",
         std::string("layoutColumns=\"") + kMin + "\" layoutRows=\"" + kMin + "\" layoutTableSkipCells=\"" +
             kMin + "\" layoutCardIndex=\"" + kMin + "\"",
         std::string("flex=\"") + kMin + "\" colspan=\"" + kMin + "\" rowspan=\"" + kMin + "\" minimumHeight=\"5\""},
    };
    const Rect rects[] = {{0, 0, 800, 480}, {INT_MAX, INT_MAX, INT_MAX, INT_MAX}, {INT_MIN, INT_MIN, 0, 0},
                          {-5, -5, INT_MAX, 7}};
    const char* const aligns[] = {"Start", "Center", "End", "Stretch", "Auto"};

    TestEngine engine(800, 480);
    for (const char* mode : kModes) {
        for (const Extreme& x : extremes) {
            for (const char* align : aligns) {
                SCOPED_TRACE(testing::Message() << mode << ", " << x.name << ", align " << align);
                std::string xml = std::string("<page layout=\"Absolute\"><box layout=\"") + mode + "\" align=\"" +
                                  align + "\" pack=\"" + align + "\" " + x.box + ">";
                for (int i = 0; i < 3; ++i)
                    xml += "<box " + x.child + "><box " + x.child + "/><box " + x.child + "/></box>";
                xml += "</box></page>";
                TPDAUIEngineElementPage page(&engine);
                LoadXml(&engine, &page, xml);
                auto* box = dynamic_cast<TPDAUIEngineElementBox*>(page.children[0]);
                ASSERT_NE(nullptr, box);
                for (const Rect& r : rects) {
                    box->SetBounds(r.l, r.t, r.w, r.h);
                    const int minH = box->GetMinimumHeight(r.w);
                    const int minW = box->GetMinimumWidth(r.h);
                    // A negative maximum limits nothing.
                    if (box->minimumHeight > 0 && box->maximumHeight < 0) {
                        EXPECT_GE(minH, box->minimumHeight);
                    }
                    if (box->minimumWidth > 0 && box->maximumWidth < 0) {
                        EXPECT_GE(minW, box->minimumWidth);
                    }
                    for (int i = 0; i < box->children.Count(); ++i) {
                        TPDAUIEngineElement* c = box->children[i];
                        EXPECT_GE(c->width, 0);
                        EXPECT_GE(c->height, 0);
                        // Geometry and hit tests at the extremes.
                        const TRectIG screen = c->GetScreenRect();
                        EXPECT_LE(screen.left, screen.right);
                        EXPECT_LE(screen.top, screen.bottom);
                        box->HitTest(INT_MAX, INT_MAX);
                        box->HitTest(INT_MIN, INT_MIN);
                        c->HitTest(c->left, c->top);
                    }
                }
            }
        }
    }
}

// An element at the far end of the coordinate range is still hit where it is,
// and its screen rectangle ends at the end of the range.
TEST(LayoutLimits, ElementGeometryAtTheEndOfTheRange)
{
    struct Case {
        int left, top, width, height;
        int x, y;
        bool hit;
        TRectIG screen;
    } cases[] = {
        {INT_MAX - 5, 0, 100, 10, INT_MAX - 1, 5, true, {INT_MAX - 5, 0, INT_MAX, 10}},
        {0, INT_MAX - 5, 10, 100, 5, INT_MAX - 1, true, {0, INT_MAX - 5, 10, INT_MAX}},
        {INT_MAX, INT_MAX, INT_MAX, INT_MAX, INT_MAX - 1, INT_MAX - 1, false, {INT_MAX, INT_MAX, INT_MAX, INT_MAX}},
        {INT_MIN, INT_MIN, INT_MAX, INT_MAX, -2, -2, true, {INT_MIN, INT_MIN, -1, -1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.left << ", " << c.top << ", " << c.width << ", " << c.height);
        Leaf leaf;
        TPDAUIEngineElementBox box;
        box.backgrounds.Edit(0).kind = 1;
        for (TPDAUIEngineElement* e : {(TPDAUIEngineElement*)&leaf, (TPDAUIEngineElement*)&box}) {
            e->SetBounds(c.left, c.top, c.width, c.height);
            EXPECT_EQ(c.hit, e->HitTest(c.x, c.y) == e);
            EXPECT_TRUE(c.screen == e->GetScreenRect());
            EXPECT_TRUE(c.screen == e->GetVisibleRect());
        }
    }
}
