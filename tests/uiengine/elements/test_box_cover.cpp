// Backgrounds that children paint over are left out: the screen must be the
// same as with every background painted whole, for full, partial and no cover,
// and the answer each element gives must follow its state between paints.
#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "enginelib/draw/TDibIG.h"
#include "support/CoverPaint.h"
#include "support/TestEngine.h"
#include "uiengine/core/TPDAUIEngineXml.h"
#include "uiengine/elements/TPDAUIEngineElementBox.h"
#include "uiengine/elements/TPDAUIEngineElementCover.h"
#include "uiengine/elements/TPDAUIEngineElementIFrame.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"

namespace {

const int kW = 200, kH = 120;

void LoadXml(TPDAUIEngine* engine, TPDAUIEngineElementPage* page, const std::string& xml)
{
    TPDAUIEngineXml root;
    std::string buffer = xml;
    ASSERT_TRUE(root.Parse(&buffer[0])) << xml;
    page->OnLoad(engine, nullptr, nullptr, &root, nullptr);
}

// The engine with one page on it.
class CoverTest : public ::testing::Test {
protected:
    ~CoverTest() override
    {
        TPDAUIEngineElementBox::paintCoveredBackgrounds = false;
        engine_.pages.RemoveAll();
        delete page_;
    }
    void Open(const std::string& xml)
    {
        page_ = new TPDAUIEngineElementPage(&engine_);
        LoadXml(&engine_, page_, xml);
        engine_.OpenPage(page_);
        engine_.Frame();
    }
    TPDAUIEngineElement* Find(const char* id) { return page_->FindElement(id, false); }
    // The paint that leaves covered backgrounds out gives the reference's pixels.
    void ExpectSameAsWhole(const std::string& what)
    {
        int first = -1;
        EXPECT_EQ(0, coverpaint::Differences(engine_, &first))
            << what << ": first at (" << first % kW << ", " << first / kW << ")";
    }

    TestEngine engine_{kW, kH};
    TPDAUIEngineElementPage* page_ = nullptr;
};

struct CoverCase {
    const char* name;
    const char* page;  // the page's children, under a page with a background
    // The element asked, and whether its paint covers its rectangle.
    const char* probe;
    bool opaque;
    // Set-up after loading (state, scrolling), may be null.
    void (*setUp)(TPDAUIEngineElement* probe);
};

void Disable(TPDAUIEngineElement* e) { e->enabled = 0; }
void PlaceHalfOutside(TPDAUIEngineElement* e)
{
    static_cast<TPDAUIEngineElementBox*>(e)->children[0]->SetBounds(-20, 30, 100, 200);
}
void ScrollDown(TPDAUIEngineElement* e)
{
    auto* box = static_cast<TPDAUIEngineElementBox*>(e);
    if (box->scrollBar)
        box->scrollBar->position = 40;
}

const CoverCase kCases[] = {
    {"covered whole", R"(<box id="p" flex="1" background="#C08040"/>)", "p", true, nullptr},
    {"covered in part", R"(<box id="p" minimumHeight="50" background="#C08040"/><label label="x"/>)", "p", true,
     nullptr},
    {"hidden child", R"(<box id="p" flex="1" visible="false" background="#C08040"/>)", "p", false, nullptr},
    {"translucent child", R"(<box id="p" flex="1" background="#C0804080"/>)", "p", false, nullptr},
    {"no background", R"(<box id="p" flex="1"/>)", "p", false, nullptr},
    {"children side by side",
     R"(<box id="p" flex="1" layout="Horizontal"><box flex="1" background="#C08040"/><box flex="1" background="#4080C0"/></box>)",
     "p", true, nullptr},
    {"children with a gap",
     R"(<box id="p" flex="1" layout="Horizontal" paddingInner="3"><box flex="1" background="#C08040"/><box flex="1" background="#4080C0"/></box>)",
     "p", false, nullptr},
    {"padding around the child", R"(<box id="p" flex="1" padding="4"><box flex="1" background="#C08040"/></box>)", "p",
     false, nullptr},
    {"rounded border", R"(<box id="p" flex="1" background="#C08040" border="Round 3 #FFFFFF 6"/>)", "p", false,
     nullptr},
    {"solid border", R"(<box id="p" flex="1" background="#C08040" border="Solid 2 #FFFFFF"/>)", "p", false, nullptr},
    {"top border", R"(<box id="p" flex="1" background="#C08040" border="Top 1 #FFFFFF"/>)", "p", true, nullptr},
    {"disabled with a translucent style",
     R"(<box id="p" flex="1" background="#C08040" backgroundDisabled="#C0804080"/>)", "p", false, &Disable},
    {"disabled with an opaque style",
     R"(<box id="p" flex="1" background="#C0804080" backgroundDisabled="#408040"/>)", "p", true, &Disable},
    {"offset child half outside",
     R"(<box id="p" flex="1" layout="Absolute"><box background="#C08040"/></box>)", "p", false,
     &PlaceHalfOutside},
    {"stack over a translucent sibling",
     R"(<box id="p" flex="1" layout="Stack"><box background="#C0804080"/><box background="#C08040"/></box>)", "p",
     true, nullptr},
    {"scrolled children",
     R"(<box id="p" flex="1" layout="VerticalScroll"><box minimumHeight="90" background="#C08040"/><box minimumHeight="90" background="#4080C0"/></box>)",
     "p", false, &ScrollDown},
    {"short scrolling content",
     R"(<box id="p" flex="1" layout="VerticalScroll"><box minimumHeight="30" background="#C08040"/></box>)", "p",
     false, nullptr},
};

// Whatever covers what, the pixels do not change.
TEST_F(CoverTest, LeavingCoveredBackgroundsOutKeepsEveryPixel)
{
    for (const CoverCase& c : kCases) {
        SCOPED_TRACE(c.name);
        Open(std::string(R"(<page layout="Vertical" background="#203040">)") + c.page + "</page>");
        TPDAUIEngineElement* probe = Find(c.probe);
        ASSERT_NE(nullptr, probe);
        if (c.setUp) {
            c.setUp(probe);
            engine_.Frame();
        }
        EXPECT_EQ(c.opaque, probe->PaintsOpaque(&engine_.dc));
        ExpectSameAsWhole(c.name);
        engine_.pages.RemoveAll();
        delete page_;
        page_ = nullptr;
    }
}

// The answer is worked out at each paint: hiding, moving, making translucent
// or pressing the covering child shows the background again.
TEST_F(CoverTest, ChangesBetweenPaintsAreNoticed)
{
    Open(std::string(R"(<page layout="Absolute" background="#203040">)") +
         R"(<box id="c" background="#C08040" backgroundPressed="#C0804080"/></page>)");
    TPDAUIEngineElement* child = Find("c");
    ASSERT_NE(nullptr, child);
    child->SetBounds(0, 0, kW, kH);
    EXPECT_TRUE(child->PaintsOpaque(&engine_.dc));
    ExpectSameAsWhole("covered");

    const std::vector<std::pair<const char*, std::function<void()>>> changes = {
        {"moved", [&] { child->left = 30; }},
        {"moved back", [&] { child->left = 0; }},
        {"narrowed", [&] { child->width = 150; }},
        {"widened", [&] { child->width = 200; }},
        {"pressed", [&] { child->pressed = 1; }},
        {"released", [&] { child->pressed = 0; }},
        {"translucent", [&] { child->backgrounds.Edit(0).alpha = 100; }},
        {"opaque again", [&] { child->backgrounds.Edit(0).alpha = 255; }},
        {"hidden", [&] { child->visible = 0; }},
    };
    for (const auto& change : changes) {
        change.second();
        ExpectSameAsWhole(change.first);
    }
    EXPECT_FALSE(child->PaintsOpaque(&engine_.dc));
    EXPECT_TRUE(page_->PaintsOpaque(&engine_.dc));  // its own background
}

// An image background covers when every pixel of the part it stretches is
// opaque and not the key colour; a change to the image is seen at once.
TEST_F(CoverTest, ImageBackgrounds)
{
    Open(R"(<page layout="Vertical" background="#203040"><box id="c" flex="1"/></page>)");
    TPDAUIEngineElement* child = Find("c");
    ASSERT_NE(nullptr, child);
    TPDAUIEngineStyleBackground& back = child->backgrounds.Edit(TPDAUIEngineElement::StateNormal);
    struct Case {
        const char* name;
        int bpp;
        bool alpha;
        int kind;
        TRectIG part;
        bool keyPixel;
        bool opaque;
    } cases[] = {
        {"32 bits", 32, false, TPDAUIEngineStyleBackground::KindImage, TRectIG(), false, true},
        {"32 bits, alpha", 32, true, TPDAUIEngineStyleBackground::KindImage, TRectIG(), false, false},
        {"24 bits", 24, false, TPDAUIEngineStyleBackground::KindImage, TRectIG(), false, true},
        {"16 bits", 16, false, TPDAUIEngineStyleBackground::KindImage, TRectIG(), false, true},
        {"16 bits, alpha plane", 16, true, TPDAUIEngineStyleBackground::KindImage, TRectIG(), false, true},
        {"key pixel", 32, false, TPDAUIEngineStyleBackground::KindImage, TRectIG(), true, false},
        {"part without the key pixel", 32, false, TPDAUIEngineStyleBackground::KindImagePart, TRectIG(4, 4, 12, 12),
         true, true},
        {"part with it", 32, false, TPDAUIEngineStyleBackground::KindImagePart, TRectIG(0, 0, 12, 12), true, false},
        {"part past the image", 32, false, TPDAUIEngineStyleBackground::KindImagePart, TRectIG(8, 8, 20, 20), false,
         false},
        {"nine-slice", 32, false, TPDAUIEngineStyleBackground::KindNineSlice, TRectIG(0, 0, 4, 4), false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TDibIG image;
        ASSERT_TRUE(image.Crea(16, 16, c.bpp, c.alpha));
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                image.SetPixel(x, y, TColorIG(x * 16, y * 16, 90));
        if (c.keyPixel)
            image.SetPixel(1, 1, TColoresIG::F_Magenta);
        if (c.alpha && c.bpp == 32)
            image.Row(5)[4 * 5 + 3] = 128;  // one pixel half transparent
        image.Touch();
        back.kind = c.kind;
        back.image = &image;
        back.x = c.part.left;
        back.y = c.part.top;
        back.w = c.part.Width();
        back.h = c.part.Height();
        EXPECT_EQ(c.opaque, child->PaintsOpaque(&engine_.dc));
        ExpectSameAsWhole(c.name);
        // The same image changed: a key pixel now.
        image.SetPixel(6, 6, TColoresIG::F_Magenta);
        image.Touch();
        EXPECT_FALSE(child->PaintsOpaque(&engine_.dc));
        ExpectSameAsWhole(c.name);
        back.image = nullptr;
        back.kind = TPDAUIEngineStyleBackground::KindNone;
    }
}

// An image under a child that covers part of it: copied at its own size only
// the rest is drawn, stretched it is drawn whole; the pixels are the same.
TEST_F(CoverTest, ImagesCoveredInPart)
{
    Open(R"(<page layout="Absolute" background="#203040"><box id="c" background="#C08040"/></page>)");
    TPDAUIEngineElement* child = Find("c");
    ASSERT_NE(nullptr, child);
    TPDAUIEngineStyleBackground& back = page_->backgrounds.Edit(TPDAUIEngineElement::StateNormal);
    struct Case {
        const char* name;
        int w, h;
        bool keyed;
        TRectIG child;
    } cases[] = {
        {"at its size", kW, kH, false, TRectIG(30, 20, 120, 90)},
        {"at its size, keyed", kW, kH, true, TRectIG(0, 0, 200, 50)},
        {"at its size, child past the edge", kW, kH, false, TRectIG(150, -10, 260, 60)},
        {"stretched", 90, 50, false, TRectIG(30, 20, 120, 90)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TDibIG image;
        ASSERT_TRUE(image.Crea(c.w, c.h, 32));
        for (int y = 0; y < c.h; ++y)
            for (int x = 0; x < c.w; ++x)
                image.SetPixel(x, y, TColorIG((x * 7) & 255, (y * 5) & 255, (x ^ y) & 255));
        if (c.keyed)
            for (int x = 0; x < c.w; x += 3)
                image.SetPixel(x, 70, TColoresIG::F_Magenta);
        image.Touch();
        back.kind = TPDAUIEngineStyleBackground::KindImage;
        back.image = &image;
        child->SetBounds(c.child.left, c.child.top, c.child.Width(), c.child.Height());
        ExpectSameAsWhole(c.name);
        back.image = nullptr;
        back.kind = TPDAUIEngineStyleBackground::KindNone;
    }
}

// A page answers only once it is laid out, and an IFrame is covered only as
// far as its page is.
TEST_F(CoverTest, IFramesAndNestedPages)
{
    struct Case {
        const char* frame;
        const char* inner;
        bool opaque;
    } cases[] = {
        {"", R"(background="#405060")", true},
        {R"(padding="10")", R"(background="#405060")", false},
        {"", R"(background="#40506080")", false},
        {"", R"(background="None")", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.frame) + " / " + c.inner);
        Open(std::string(R"(<page layout="Vertical" background="#203040"><iframe id="f" flex="1" )") + c.frame +
             "/></page>");
        auto* frame = dynamic_cast<TPDAUIEngineElementIFrame*>(Find("f"));
        ASSERT_NE(nullptr, frame);
        auto* inner = new TPDAUIEngineElementPage(&engine_);
        LoadXml(&engine_, inner, std::string(R"(<page layout="Vertical" )") + c.inner + "/>");
        engine_.OpenPage(inner, frame);
        inner->ReapplyBounds();
        EXPECT_FALSE(frame->PaintsOpaque(&engine_.dc));  // not laid out yet
        engine_.Frame();
        EXPECT_EQ(c.opaque, frame->PaintsOpaque(&engine_.dc));
        ExpectSameAsWhole("iframe");
        engine_.pages.RemoveAll();
        delete page_;
        page_ = nullptr;
    }
}

// What is left of a rectangle, against a pixel grid, for random covers.
TEST(Uncovered, MatchesAPixelGrid)
{
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> coord(-4, 28);
    const TRectIG whole(2, 3, 22, 19);
    for (int round = 0; round < 300; ++round) {
        TPDAUIEngineUncovered rest(whole);
        bool grid[32][32] = {};
        for (int y = whole.top; y < whole.bottom; ++y)
            for (int x = whole.left; x < whole.right; ++x)
                grid[y][x] = true;
        const int covers = 1 + round % 6;
        for (int k = 0; k < covers; ++k) {
            TRectIG c(coord(rng), coord(rng), coord(rng), coord(rng));
            rest.Subtract(c);
            for (int y = 0; y < 32; ++y)
                for (int x = 0; x < 32; ++x)
                    if (c.PtInRect(x, y))
                        grid[y][x] = false;
        }
        if (rest.Lost())
            continue;  // gave up: the caller paints everything
        int count[32][32] = {};
        for (int i = 0; i < rest.Count(); ++i) {
            const TRectIG& p = rest[i];
            ASSERT_FALSE(p.IsEmpty());
            ASSERT_TRUE(whole.Contains(p));
            for (int y = p.top; y < p.bottom; ++y)
                for (int x = p.left; x < p.right; ++x)
                    ++count[y][x];
        }
        bool anyLeft = false;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                ASSERT_EQ(grid[y][x] ? 1 : 0, count[y][x]) << "round " << round << " at " << x << "," << y;
                anyLeft = anyLeft || grid[y][x];
            }
        EXPECT_EQ(!anyLeft, rest.IsCovered());
    }
}

TEST(Uncovered, EdgeCases)
{
    TPDAUIEngineUncovered empty(TRectIG(5, 5, 5, 9));
    EXPECT_TRUE(empty.IsCovered());
    TPDAUIEngineUncovered r(TRectIG(0, 0, 10, 10));
    EXPECT_TRUE(r.IsWhole());
    r.Subtract(TRectIG(3, 3, 3, 8));  // empty cover
    r.Subtract(TRectIG(20, 20, 30, 30));  // apart
    EXPECT_TRUE(r.IsWhole());
    r.Subtract(TRectIG(-5, -5, 15, 15));
    EXPECT_TRUE(r.IsCovered());
    EXPECT_FALSE(r.IsWhole());
    // A grid of holes past its room gives up rather than lose a part.
    TPDAUIEngineUncovered holes(TRectIG(0, 0, 100, 100));
    for (int i = 0; i < 10; ++i)
        for (int j = 0; j < 10; ++j)
            holes.Subtract(TRectIG(i * 10 + 2, j * 10 + 2, i * 10 + 5, j * 10 + 5));
    EXPECT_TRUE(holes.Lost());
    EXPECT_FALSE(holes.IsCovered());
    EXPECT_TRUE(holes.IsWhole());
    EXPECT_EQ(0, holes.Count());
}

} // namespace

namespace {

// An element that counts how often a box asks it for cover.
class CountingLeaf : public TPDAUIEngineElement {
public:
    void Paint(IDC*, int, int) override {}
    bool PaintsOpaque(IDC*) override
    {
        ++asked;
        return false;
    }
    int asked = 0;
};

TEST_F(CoverTest, ADeepTreeIsAskedForCoverOnlyAFewLevelsUp)
{
    // Each see-through box asks its children again when it paints: without a
    // bound, the leaf of a chain of n boxes would be asked n times.
    const int levels = 60;
    std::string xml = "<page id=\"p\" layout=\"Vertical\">";
    for (int i = 0; i < levels; ++i)
        xml += "<box id=\"b" + std::to_string(i) + "\" layout=\"Vertical\" flex=\"1\" background=\"#10203080\">";
    for (int i = 0; i < levels; ++i)
        xml += "</box>";
    xml += "</page>";
    Open(xml);
    auto* innermost = dynamic_cast<TPDAUIEngineElementBox*>(Find(("b" + std::to_string(levels - 1)).c_str()));
    ASSERT_NE(innermost, nullptr);
    auto* leaf = new CountingLeaf();
    leaf->flex = 1;
    innermost->AddChild(leaf, nullptr, nullptr);
    page_->ReapplyBounds();
    engine_.Frame();
    leaf->asked = 0;
    engine_.Frame();
    EXPECT_GT(leaf->asked, 0);
    EXPECT_LE(leaf->asked, TPDAUIEngineElementBox::kCoverDepth + 1);
}

} // namespace
