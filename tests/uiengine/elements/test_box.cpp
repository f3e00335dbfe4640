// The box container: children from XML through the element factory, owning
// children, searching, hit testing, painting order, scrolling with a scroll
// bar, keys, input bubbling through nested boxes, and the page as a box.
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/TestEngine.h"
#include "uiengine/core/TPDAUIEngineCommand.h"
#include "uiengine/core/TPDAUIEngineXml.h"
#include "uiengine/elements/TPDAUIEngineElementBox.h"
#include "uiengine/elements/TPDAUIEngineElementFactory.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"

namespace {

// Shared record of paint calls: (id, origin x, origin y).
struct PaintCall {
    std::string id;
    int x, y;
};

// A leaf that records where it is painted.
class PaintProbe : public TPDAUIEngineElement {
public:
    PaintProbe(const char* name, std::vector<PaintCall>* log) : log_(log) { id = name; }
    void Paint(IDC*, int x, int y) override { log_->push_back({id.c_str(), x, y}); }

private:
    std::vector<PaintCall>* log_;
};

// A box that records the pointer presses that reach it, then passes them on.
class PressProbe : public TPDAUIEngineElementBox {
public:
    void OnMouseDown(int x, int y, int kind, int a, int b) override
    {
        presses.push_back({x, y});
        TPDAUIEngineElementBox::OnMouseDown(x, y, kind, a, b);
    }
    std::vector<std::pair<int, int>> presses;
};

// The scroll bar a VerticalScroll box owns, reduced to what the box drives.
class FakeScrollBar : public TPDAUIEngineScrollBarBase {
public:
    FakeScrollBar() { minimumWidth = 16; }
    void Paint(IDC*, int x, int y) override { paints.push_back({x, y}); }
    bool ContainsPoint(int x, int y) override
    {
        return visible && x >= 0 && x < width && y >= 0 && y < height;
    }
    void UpdateKineticScroll() override { ++updates; }
    void OnMouseWheel(int x, int y, int delta) override { wheels.push_back(delta); }
    std::vector<std::pair<int, int>> paints;
    std::vector<int> wheels;
    int updates = 0;
};

// A page that records the commands and presses that reach it.
class RecordingPage : public TPDAUIEngineElementPage {
public:
    explicit RecordingPage(TPDAUIEngine* e) : TPDAUIEngineElementPage(e) {}
    void OnCommand(TPDAUIEngineCommand& c) override
    {
        commands.push_back(c.name.c_str());
        points.push_back({c.value1, c.value2});
    }
    void OnMouseDown(int x, int y, int kind, int a, int b) override { presses.push_back({x, y}); }
    std::vector<std::string> commands;
    std::vector<std::pair<int, int>> points;
    std::vector<std::pair<int, int>> presses;
};

// Parses xml and loads it into page as the page's own node.
void LoadPageXml(TPDAUIEngine* engine, TPDAUIEngineElementPage* page, const std::string& xml)
{
    TPDAUIEngineXml root;
    std::string buffer = xml;
    ASSERT_TRUE(root.Parse(&buffer[0])) << xml;
    page->OnLoad(engine, nullptr, nullptr, &root, nullptr);
}

// Adds a box built from xml to parent.
TPDAUIEngineElementBox* AddXml(TPDAUIEngineElementBox* parent, const std::string& xml)
{
    TPDAUIEngineXml root;
    std::string buffer = xml;
    EXPECT_TRUE(root.Parse(&buffer[0])) << xml;
    auto* box = new TPDAUIEngineElementBox();
    parent->AddChild(box, &root, nullptr);
    return box;
}

TPDAUIEngineElementBox* BoxAt(TPDAUIEngineElementBox* box, int index)
{
    return dynamic_cast<TPDAUIEngineElementBox*>(box->children[index]);
}

std::vector<std::string> Ids(const VectorP<TPDAUIEngineElement>& list)
{
    std::vector<std::string> out;
    for (int i = 0; i < list.Count(); ++i)
        out.push_back(list[i]->id.c_str());
    return out;
}

class BoxTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        baseline_ = TPDAUIEngineElement::GetLiveCount();
        page_ = std::make_unique<RecordingPage>(&engine_);
    }
    void TearDown() override
    {
        page_.reset();
        EXPECT_EQ(baseline_, TPDAUIEngineElement::GetLiveCount());
    }

    TestEngine engine_{800, 480};
    std::unique_ptr<RecordingPage> page_;
    int baseline_ = 0;
};

// ---- loading ----

TEST_F(BoxTest, ChildrenComeFromXmlByTagWithIdsAndNumbers)
{
    LoadPageXml(&engine_, page_.get(),
                R"(<page><box id="a" layout="Horizontal"><box/></box><unknown/><autohidebox/><box/></page>)");
    EXPECT_EQ(1001, page_->numericId);
    ASSERT_EQ(3, page_->children.Count());
    TPDAUIEngineElementBox* a = BoxAt(page_.get(), 0);
    ASSERT_TRUE(a);
    EXPECT_STREQ("a", a->id.c_str());
    EXPECT_EQ(1003, a->numericId);
    EXPECT_EQ(TPDAUIEngineElementBox::LayoutHorizontal, a->layout);
    ASSERT_EQ(1, a->children.Count());
    EXPECT_STREQ("box4", a->children[0]->id.c_str());
    EXPECT_EQ(1005, a->children[0]->numericId);
    EXPECT_STREQ("autohidebox", page_->children[1]->tag.c_str());
    EXPECT_STREQ("autohidebox6", page_->children[1]->id.c_str());
    EXPECT_STREQ("box8", page_->children[2]->id.c_str());
    EXPECT_EQ(1009, page_->children[2]->numericId);
    // Links: engine, page and parent.
    TPDAUIEngineElement* inner = a->children[0];
    EXPECT_EQ(&engine_, inner->engine);
    EXPECT_EQ(page_.get(), inner->page);
    EXPECT_EQ(a, inner->parent);
    EXPECT_EQ(page_.get(), a->parent);
}

struct FactoryLog {
    std::vector<std::string> tags;
};

TPDAUIEngineElement* MakeUserControl(void* data, const char* tag)
{
    static_cast<FactoryLog*>(data)->tags.push_back(tag);
    return CDString(tag) == "usercontrol/usercontrolUnknown" ? nullptr : new TPDAUIEngineElementBox();
}

TEST_F(BoxTest, UserControlNodesGoToTheApplicationFactory)
{
    FactoryLog log;
    engine_.callbacks.userData = &log;
    engine_.callbacks.userControlFactory = &MakeUserControl;
    LoadPageXml(&engine_, page_.get(),
                R"(<page><usercontrol type="usercontrolCompass" id="compass"/>)"
                R"(<usercontrol type="usercontrolUnknown"/><usercontrolSpeed/><label/></page>)");
    EXPECT_EQ((std::vector<std::string>{"usercontrol/usercontrolCompass", "usercontrol/usercontrolUnknown",
                                        "usercontrolSpeed"}),
              log.tags);
    ASSERT_EQ(2, page_->children.Count());
    EXPECT_STREQ("compass", page_->children[0]->id.c_str());

    // Without the callback such nodes make nothing.
    EXPECT_EQ(nullptr, TPDAUIEngineElementFactory::CreateElementByTag(nullptr, "usercontrol/x"));
    EXPECT_EQ(nullptr, TPDAUIEngineElementFactory::CreateElementByTag(&engine_, "Box"));
    EXPECT_EQ(nullptr, TPDAUIEngineElementFactory::CreateElementByTag(&engine_, "page"));
}

TEST_F(BoxTest, VerticalInvertedReversesTheXmlOrder)
{
    LoadPageXml(&engine_, page_.get(),
                R"(<page layout="VerticalInverted"><box id="a"/><box id="b"/><box id="c"/></page>)");
    VectorP<TPDAUIEngineElement> list(10, 10, false);
    page_->CollectDescendants(list, false);
    EXPECT_EQ((std::vector<std::string>{"c", "b", "a"}), Ids(list));
}

// ---- ownership ----

TEST_F(BoxTest, RemovingOrDetachingAChildDeletesItsSubtree)
{
    LoadPageXml(&engine_, page_.get(),
                R"(<page><box id="a"><box id="a1" isFocusable="true"/><box id="a2"/></box><box id="b"/></page>)");
    TPDAUIEngineElementBox stranger;
    const int loaded = TPDAUIEngineElement::GetLiveCount();
    TPDAUIEngineElementBox* a = BoxAt(page_.get(), 0);
    page_->SetFocus(a->children[0], false);
    ASSERT_EQ(a->children[0], page_->focusedElement);

    // An element that is not a child is ignored, null included.
    page_->RemoveChild(&stranger);
    page_->RemoveChild(nullptr);
    page_->RemoveChild(a->children[0]);  // a grandchild
    EXPECT_EQ(loaded, TPDAUIEngineElement::GetLiveCount());

    page_->RemoveChild(a);
    EXPECT_EQ(loaded - 3, TPDAUIEngineElement::GetLiveCount());
    EXPECT_EQ(nullptr, page_->focusedElement);
    ASSERT_EQ(1, page_->children.Count());
    EXPECT_STREQ("b", page_->children[0]->id.c_str());

    // Detaching a box destroys its subtree but keeps the box.
    TPDAUIEngineElementBox* b = BoxAt(page_.get(), 0);
    AddXml(b, R"(<box><box/><box/></box>)");
    EXPECT_EQ(loaded - 3 + 3, TPDAUIEngineElement::GetLiveCount());
    b->Detach();
    EXPECT_EQ(0, b->children.Count());
    EXPECT_EQ(nullptr, b->page);
    EXPECT_EQ(loaded - 3, TPDAUIEngineElement::GetLiveCount());

    page_->RemoveAllChildren();
    EXPECT_EQ(0, page_->children.Count());
    EXPECT_EQ(loaded - 4, TPDAUIEngineElement::GetLiveCount());
}

std::vector<int> g_misuses;
void RecordMisuse(int code) { g_misuses.push_back(code); }

TEST_F(BoxTest, AddAndInsertChildren)
{
    g_misuses.clear();
    TErrorVectoresHandler previous = Set_Error_Vectores_Handler(&RecordMisuse);
    page_->OnLoad(&engine_, nullptr, nullptr, nullptr, nullptr);
    auto* a = new TPDAUIEngineElementBox();
    auto* b = new TPDAUIEngineElementBox();
    auto* c = new TPDAUIEngineElementBox();
    auto* d = new TPDAUIEngineElementBox();
    a->id = "a";
    b->id = "b";
    c->id = "c";
    d->id = "d";
    page_->AddChild(a, nullptr, nullptr);
    page_->AddChild(a, nullptr, nullptr);  // already a child: ignored
    page_->InsertChild(b, 0, nullptr, nullptr);
    page_->InsertChild(c, -1, nullptr, nullptr);
    page_->InsertChild(d, 99, nullptr, nullptr);  // past the end (reported): appended
    page_->AddChild(nullptr, nullptr, nullptr);   // reported, nothing added
    Set_Error_Vectores_Handler(previous);
    EXPECT_EQ((std::vector<int>{ErrVectorIndexOutOfRange, ErrVectorNullArgument}), g_misuses);
    VectorP<TPDAUIEngineElement> list(10, 10, false);
    page_->CollectDescendants(list, false);
    EXPECT_EQ((std::vector<std::string>{"b", "a", "c", "d"}), Ids(list));
    EXPECT_EQ(page_.get(), b->parent);
    EXPECT_EQ(page_.get(), b->page);
    EXPECT_NE(0, b->numericId);

    // Siblings are neighbours in the child vector.
    EXPECT_EQ(a, b->NextSibling());
    EXPECT_EQ(nullptr, d->NextSibling());
    EXPECT_EQ(c, d->PreviousSibling());
    EXPECT_EQ(nullptr, b->PreviousSibling());
    EXPECT_EQ(nullptr, page_->NextSibling());

    // A box without its engine adds without loading, and inserts unloaded.
    TPDAUIEngineElementBox loose;
    auto* e = new TPDAUIEngineElementBox();
    loose.InsertChild(e, 0, nullptr, nullptr);
    EXPECT_EQ(0, e->numericId);
    EXPECT_EQ(nullptr, e->parent);
    EXPECT_EQ(0, loose.IndexOfChild(e));
}

TEST_F(BoxTest, VisibleCountsAndIndexes)
{
    LoadPageXml(&engine_, page_.get(),
                R"(<page><box id="a"/><box id="b" visible="false"/><box id="c"/></page>)");
    EXPECT_EQ(2, page_->CountVisibleChildren());
    EXPECT_EQ(2, page_->IndexOfChild(page_->children[2]));
    EXPECT_EQ(1, page_->VisibleIndexOfChild(page_->children[2]));
    EXPECT_EQ(-1, page_->VisibleIndexOfChild(page_->children[1]));
    EXPECT_EQ(-1, page_->IndexOfChild(page_.get()));
}

// ---- search ----

TEST_F(BoxTest, FindElementSearchesTheTreeAndReportsMissingOnes)
{
    engine_.skinSettings.applicationName = "Orbeta";
    LoadPageXml(&engine_, page_.get(),
                R"(<page id="root"><box id="a" class="row"><box id="deep" class="cell"/></box><box id="b" class="cell"/></page>)");
    EXPECT_EQ(page_.get(), page_->FindElement("root", true));
    TPDAUIEngineElement* deep = page_->FindElement("deep", true);
    ASSERT_TRUE(deep);
    EXPECT_STREQ("deep", deep->id.c_str());
    EXPECT_EQ(page_->children[1], page_->FindElement("b", false));
    EXPECT_TRUE(engine_.messageBoxes.empty());

    EXPECT_EQ(nullptr, page_->FindElement("nope", false));
    EXPECT_TRUE(engine_.messageBoxes.empty());
    EXPECT_EQ(0, engine_.terminateCalls);

    EXPECT_EQ(nullptr, page_->FindElement("nope", true));
    ASSERT_EQ(1u, engine_.messageBoxes.size());
    EXPECT_EQ("Element 'nope' not found in xml.", engine_.messageBoxes[0].text);
    EXPECT_EQ("Orbeta", engine_.messageBoxes[0].caption);
    EXPECT_EQ(1, engine_.terminateCalls);

    EXPECT_EQ(deep, page_->FindByNumericId(deep->numericId));
    EXPECT_EQ(page_.get(), page_->FindByNumericId(page_->numericId));
    EXPECT_EQ(nullptr, page_->FindByNumericId(424242));
    EXPECT_EQ(deep, page_->FindByClassName("cell"));
    EXPECT_EQ(page_->children[0], page_->FindByClassName("row"));
    EXPECT_EQ(nullptr, page_->FindByClassName("Cell"));
}

TEST_F(BoxTest, CollectDescendantsIsPreOrderAndSkipsInactiveSubtrees)
{
    LoadPageXml(&engine_, page_.get(),
                R"(<page><box id="a"><box id="a1"/><box id="a2" enabled="false"><box id="a2x"/></box></box>)"
                R"(<box id="b" visible="false"><box id="b1"/></box><box id="c"/></page>)");
    VectorP<TPDAUIEngineElement> all(10, 10, false);
    page_->CollectDescendants(all, false);
    EXPECT_EQ((std::vector<std::string>{"a", "a1", "a2", "a2x", "b", "b1", "c"}), Ids(all));
    VectorP<TPDAUIEngineElement> active(10, 10, false);
    page_->CollectDescendants(active, true);
    EXPECT_EQ((std::vector<std::string>{"a", "a1", "c"}), Ids(active));
}

TEST_F(BoxTest, CardChildrenAreShownOnlyAtTheCardIndex)
{
    LoadPageXml(&engine_, page_.get(),
                R"(<page><box layout="CardHorizontal" layoutCardIndex="1" visible="false"><box/><box/><box visible="false"/></box>)"
                R"(<box visible="false"><box/></box></page>)");
    TPDAUIEngineElementBox* cards = BoxAt(page_.get(), 0);
    EXPECT_FALSE(cards->children[0]->IsEffectivelyVisible());
    // The card box's own visibility is not asked.
    EXPECT_TRUE(cards->children[1]->IsEffectivelyVisible());
    EXPECT_FALSE(cards->children[2]->IsEffectivelyVisible());
    cards->layout = TPDAUIEngineElementBox::LayoutCardVertical;
    cards->layoutCardIndex = 0;
    EXPECT_TRUE(cards->children[0]->IsEffectivelyVisible());
    EXPECT_FALSE(cards->children[1]->IsEffectivelyVisible());
    // Elsewhere the parents decide.
    EXPECT_FALSE(BoxAt(page_.get(), 1)->children[0]->IsEffectivelyVisible());
}

// ---- attributes ----

TEST_F(BoxTest, ContainerAttributes)
{
    const char* words[] = {"Vertical", "VerticalInverted", "Horizontal", "HorizontalInverted",
                           "HorizontalAutoLeftToRight", "Flow", "Absolute", "Stack", "StackInverted",
                           "VerticalScroll", "Table", "CardVertical", "CardHorizontal", "Auto",
                           "HorizontalSpaced", "VerticalSpaced", "HorizontalInvertedSpaced"};
    TPDAUIEngineElementBox box;
    for (int i = 0; i < 17; ++i) {
        box.SetAttribute("layout", words[i]);
        EXPECT_EQ(i, box.layout);
        EXPECT_STREQ(words[i], box.GetAttribute("layout").c_str());
    }
    box.SetAttribute("layout", "vertical");  // case counts: no change
    EXPECT_EQ(16, box.layout);
    box.layout = 40;
    EXPECT_STREQ("", box.GetAttribute("layout").c_str());

    box.SetAttribute("overflowY", "FlexFirstChild");
    box.SetAttribute("underflowY", "FlexLastChild");
    EXPECT_EQ(2, box.overflowY);
    EXPECT_EQ(1, box.underflowY);
    box.SetAttribute("overflowY", "Flex");
    EXPECT_EQ(2, box.overflowY);

    box.SetAttribute("layoutColumns", "3");
    box.SetAttribute("layoutRows", "5x");
    box.SetAttribute("layoutCardIndex", "2");
    box.SetAttribute("layoutTableSkipCells", "7");
    box.SetAttribute("layoutTableOnCellOverflowYResizeCell", "true");
    box.SetAttribute("drawInInvertOrder", "True");
    EXPECT_STREQ("3", box.GetAttribute("layoutColumns").c_str());
    EXPECT_STREQ("5", box.GetAttribute("layoutRows").c_str());
    EXPECT_STREQ("2", box.GetAttribute("layoutCardIndex").c_str());
    EXPECT_STREQ("7", box.GetAttribute("layoutTableSkipCells").c_str());
    EXPECT_STREQ("true", box.GetAttribute("layoutTableOnCellOverflowYResizeCell").c_str());
    EXPECT_STREQ("false", box.GetAttribute("drawInInvertOrder").c_str());

    box.SetAttribute("boxScale", "1.25");
    EXPECT_FLOAT_EQ(1.25f, box.boxScale);
    box.SetAttribute("boxScale", "nothing");
    EXPECT_EQ(0.0f, box.boxScale);

    // Other names reach the element; a new box stretches its children.
    box.SetAttribute("flex", "2");
    EXPECT_EQ(2, box.flex);
    TPDAUIEngineElementBox fresh;
    EXPECT_EQ(TPDAUIEngineElement::AlignStretch, fresh.pack);
    EXPECT_EQ(TPDAUIEngineElement::AlignStretch, fresh.align);
    EXPECT_STREQ("box", fresh.tag.c_str());
}

TEST(ElementStyleAttributes, PaddingsMarginsBordersAndBackgrounds)
{
    TestEngine engine(800, 480);
    engine.skinSettings.uiScale = 1.5f;
    TPDAUIEngineElementBox e;
    e.SetAttribute("padding", "4");
    EXPECT_EQ(6, e.padding.left);
    EXPECT_EQ(6, e.padding.inner);
    e.SetAttribute("paddingInner", "10");
    EXPECT_EQ(15, e.padding.inner);
    EXPECT_STREQ("0", e.GetAttribute("padding").c_str());
    EXPECT_STREQ("10", e.GetAttribute("paddingInner").c_str());

    // "10%" sets all four flags; "7" afterwards is scaled and keeps the flag.
    e.SetAttribute("margin", "10%");
    EXPECT_EQ(10, e.margins.left);
    EXPECT_TRUE(e.margins.leftPercent && e.margins.topPercent && e.margins.rightPercent &&
                e.margins.bottomPercent);
    EXPECT_STREQ("10%", e.GetAttribute("margin").c_str());
    EXPECT_EQ(80, e.margins.GetLeft());
    e.SetAttribute("marginTop", "7");
    EXPECT_EQ(10, e.margins.top);
    EXPECT_TRUE(e.margins.topPercent);
    e.SetAttribute("marginBottom", "3%");
    EXPECT_EQ(3, e.margins.bottom);
    EXPECT_STREQ("3%", e.GetAttribute("marginBottom").c_str());

    e.SetAttribute("borderFocus", "Solid 1 #FF0000");
    e.SetAttribute("border", "Solid 2 #00FF00");
    for (int s = 0; s < 5; ++s)
        EXPECT_EQ(3, e.borders[s].width);
    e.SetAttribute("borderHover", "Solid 4 #0000FF");
    EXPECT_EQ(6, e.borders[TPDAUIEngineElement::StateHover].width);
    EXPECT_EQ(3, e.borders[TPDAUIEngineElement::StateNormal].width);
    EXPECT_STREQ("", e.GetAttribute("border").c_str());

    e.SetAttribute("background", "#112233");
    for (int s = 0; s < 5; ++s)
        EXPECT_EQ(TPDAUIEngineStyleBackground::KindColor, e.backgrounds[s].kind);
    e.SetAttribute("backgroundPressed", "None");
    EXPECT_EQ(TPDAUIEngineStyleBackground::KindNone, e.backgrounds[TPDAUIEngineElement::StatePressed].kind);
    EXPECT_EQ(TPDAUIEngineStyleBackground::KindColor, e.backgrounds[TPDAUIEngineElement::StateNormal].kind);

    // The frame counts in the minimum sizes: paddings and twice the border.
    TPDAUIEngineElement* leaf = TPDAUIEngineElementFactory::CreateElementByTag(&engine, "box");
    leaf->SetAttribute("paddingTop", "2");
    leaf->SetAttribute("border", "Solid 2 #000000");
    leaf->SetAttribute("minimumWidth", "1");
    EXPECT_EQ(3 + 6, leaf->TPDAUIEngineElement::GetMinimumHeight(0));
    EXPECT_EQ(6, leaf->TPDAUIEngineElement::GetMinimumWidth(0));
    delete leaf;
}

TEST(ElementStyleAttributes, AvoidRescaleUndoesTheScaleAtLoad)
{
    TestEngine engine(800, 480);
    engine.skinSettings.uiScale = 2.0f;
    TPDAUIEngineElementPage page(&engine);
    std::string xml = R"(<page><box padding="4" avoidPaddingRescale="true" margin="5" marginLeft="20%" avoidMarginRescale="true"/></page>)";
    LoadPageXml(&engine, &page, xml);
    TPDAUIEngineElement* box = page.children[0];
    EXPECT_EQ(4, box->padding.left);
    EXPECT_EQ(4, box->padding.bottom);
    EXPECT_EQ(8, box->padding.inner);
    EXPECT_EQ(5, box->margins.top);
    EXPECT_EQ(20, box->margins.left);
}

// ---- hit testing ----

TEST_F(BoxTest, HitTestingByLayout)
{
    LoadPageXml(&engine_, page_.get(), R"(<page layout="Absolute">)"
                                       R"(<box id="plain" left="10" top="10" width="100" height="100"><box id="row" background="#FF0000" minimumHeight="20"/></box>)"
                                       R"(<box id="filled" left="200" top="10" width="100" height="100" background="#00FF00"/>)"
                                       R"(<box id="catch" left="400" top="10" width="100" height="100" catchMouseEventsAlways="true"/>)"
                                       R"(<box id="stack" layout="Stack" background="#0000FF" left="10" top="200" width="100" height="100"><box id="under" background="#FF0000"/><box id="over" background="#FF0000"/></box>)"
                                       R"(<box id="stackInv" layout="StackInverted" left="200" top="200" width="100" height="100"><box id="top" background="#FF0000"/><box id="bottom" background="#FF0000"/></box>)"
                                       R"(<box id="empty" layout="Stack" background="#0000FF" left="400" top="200" width="100" height="100"/>)"
                                       R"(</page>)");
    page_->Layout();
    struct Case {
        int x, y;
        const char* expected;  // id, or "" for none
    };
    const std::vector<Case> cases = {
        {15, 15, "row"},        // a child with a background
        {15, 60, ""},           // the empty area of a box without background
        {250, 60, "filled"},    // a box with a background answers itself
        {450, 60, "catch"},     // catchMouseEventsAlways
        {50, 250, "over"},      // Stack: the last child is on top
        {250, 250, "top"},      // StackInverted draws the first child last
        {450, 250, ""},         // a Stack box never answers itself
        {600, 400, ""},         // nothing there
    };
    for (const Case& c : cases) {
        TPDAUIEngineElement* hit = page_->HitTest(c.x, c.y);
        EXPECT_STREQ(c.expected, hit ? hit->id.c_str() : "") << c.x << "," << c.y;
    }

    // A child that lies outside its box still answers when it shows something.
    TPDAUIEngineElementBox* plain = BoxAt(page_.get(), 0);
    TPDAUIEngineElement* row = plain->children[0];
    row->left = 150;  // now at page x 160..260, overlapping nothing else at y 15
    TPDAUIEngineElement* hit = plain->HitTest(165, 15);
    EXPECT_EQ(row, hit);
    row->backgrounds.Edit(TPDAUIEngineElement::StateNormal).kind = TPDAUIEngineStyleBackground::KindNone;
    EXPECT_EQ(nullptr, plain->HitTest(165, 15));
    // Invisible children are not asked.
    row->left = 0;
    row->catchMouseEventsAlways = 1;
    row->visible = 0;
    EXPECT_EQ(nullptr, plain->HitTest(15, 15));
}

// ---- painting ----

TEST_F(BoxTest, PaintOrderAndOrigins)
{
    std::vector<PaintCall> log;
    struct Case {
        const char* layout;
        bool invert;
        std::vector<std::string> order;
    };
    const std::vector<Case> cases = {
        {"Vertical", false, {"0", "2"}},
        {"Vertical", true, {"2", "0"}},
        {"StackInverted", false, {"2", "0"}},
        {"Stack", false, {"0", "2"}},
    };
    for (const Case& c : cases) {
        TPDAUIEngineElementBox box;
        box.SetAttribute("layout", c.layout);
        box.drawInInvertOrder = c.invert;
        box.AddChild(new PaintProbe("0", &log), nullptr, nullptr);
        box.AddChild(new PaintProbe("1", &log), nullptr, nullptr);
        box.AddChild(new PaintProbe("2", &log), nullptr, nullptr);
        box.children[1]->visible = 0;
        box.SetBounds(7, 9, 50, 50);
        log.clear();
        box.Paint(nullptr, 100, 200);
        std::vector<std::string> order;
        for (const PaintCall& p : log) {
            order.push_back(p.id);
            EXPECT_EQ(107, p.x);
            EXPECT_EQ(209, p.y);
        }
        EXPECT_EQ(c.order, order) << c.layout;
    }
}

TEST_F(BoxTest, PaintDrawsTheStateStyleThenTheChildren)
{
    engine_.OpenPage(page_.get());
    page_->SetAttribute("background", "#000000");
    TPDAUIEngineElementBox* box = AddXml(
        page_.get(), R"(<box layout="Absolute" minimumHeight="100" background="#FF0000" border="Solid 2 #0000FF" backgroundDisabled="#00FF00"><box left="40" top="40" width="20" height="20" background="#FFFFFF"/></box>)");
    page_->Layout();
    engine_.Frame();
    EXPECT_EQ(TColorIG(0, 0, 255), engine_.PixelAt(0, 0));        // border
    EXPECT_EQ(TColorIG(255, 0, 0), engine_.PixelAt(10, 10));      // background
    EXPECT_EQ(TColorIG(255, 255, 255), engine_.PixelAt(50, 50));  // child
    EXPECT_EQ(TColorIG(0, 0, 0), engine_.PixelAt(10, 150));       // the page below
    box->enabled = 0;
    engine_.Frame();
    EXPECT_EQ(TColorIG(0, 255, 0), engine_.PixelAt(10, 10));
    EXPECT_EQ(TColorIG(255, 255, 255), engine_.PixelAt(50, 50));
    engine_.ClosePage(page_.get(), false);
}

// ---- scrolling ----

class ScrollBoxTest : public BoxTest {
protected:
    // A VerticalScroll box 100 x 100 with ten 30-high children and a bar.
    void Build(const std::string& extra = "", int count = 10)
    {
        page_->OnLoad(&engine_, nullptr, nullptr, nullptr, nullptr);
        std::string xml = "<box layout=\"VerticalScroll\" " + extra + ">";
        for (int i = 0; i < count; ++i)
            xml += "<box id=\"c" + std::to_string(i) + "\" minimumHeight=\"30\" isFocusable=\"true\" background=\"#FFFFFF\"/>";
        xml += "</box>";
        box_ = AddXml(page_.get(), xml);
        // The box's own bar (when the program has one) makes way for the fake.
        delete box_->scrollBar;
        bar_ = new FakeScrollBar();
        box_->scrollBar = bar_;
        bar_->OnLoad(&engine_, page_.get(), box_, nullptr, nullptr);
        box_->SetBounds(0, 0, 100, 100);
    }

    TPDAUIEngineElementBox* box_ = nullptr;
    FakeScrollBar* bar_ = nullptr;
};

TEST_F(ScrollBoxTest, TallContentShowsTheBarAndNarrowsTheChildren)
{
    Build();
    EXPECT_TRUE(bar_->visible);
    EXPECT_EQ(84, bar_->left);
    EXPECT_EQ(0, bar_->top);
    EXPECT_EQ(16, bar_->width);
    EXPECT_EQ(100, bar_->height);
    EXPECT_EQ(300, bar_->contentHeight);
    EXPECT_EQ(100, bar_->viewHeight);
    EXPECT_EQ(10, bar_->step);
    EXPECT_FALSE(bar_->isFocusable);
    EXPECT_EQ(84, box_->children[0]->width);
    EXPECT_EQ(270, box_->children[9]->top);

    // The overlay keeps the full width under the bar.
    box_->overlay = 1;
    box_->SetBounds(0, 0, 100, 100);
    EXPECT_EQ(100, box_->children[0]->width);

    // Content that fits hides the bar.
    box_->SetBounds(0, 0, 100, 400);
    EXPECT_FALSE(bar_->visible);
}

TEST_F(ScrollBoxTest, BarInsideBorderPaddingsAndMargins)
{
    Build(R"(border="Solid 2 #000000" padding="3")");
    bar_->SetAttribute("margin", "1");
    box_->SetBounds(0, 0, 100, 100);
    // x = 100 - 1 - 2 - 16, y = 1 + 2, height = 100 - 2 - 4.
    EXPECT_EQ(81, bar_->left);
    EXPECT_EQ(3, bar_->top);
    EXPECT_EQ(94, bar_->height);
    // Children: from y = 2 + 3, 30 high, 3 apart; content = y - pI - pT.
    EXPECT_EQ(5, box_->children[0]->top);
    EXPECT_EQ(5 + 9 * 33, box_->children[9]->top);
    EXPECT_EQ(335 - 3 - 3, bar_->contentHeight);
    EXPECT_EQ(100 - 4 - 6, bar_->viewHeight);
    EXPECT_EQ(100 - 4 - 6 - 16, box_->children[0]->width);
}

TEST_F(ScrollBoxTest, SimpleBarOverOneChildTakesTheFocus)
{
    Build("", 1);
    bar_->mode = 2;
    box_->SetBounds(0, 0, 100, 20);
    EXPECT_TRUE(bar_->visible);
    EXPECT_TRUE(bar_->isFocusable);
}

TEST_F(ScrollBoxTest, HitTestingAndPaintingFollowTheScrollPosition)
{
    Build();
    bar_->position = 100;
    // Box-relative y 10 is content y 110: child 3 (90..120).
    TPDAUIEngineElement* hit = box_->HitTest(10, 10);
    ASSERT_TRUE(hit);
    EXPECT_STREQ("c3", hit->id.c_str());
    EXPECT_EQ(bar_, box_->HitTest(90, 50));

    // Screen rectangles follow the scrolling.
    TRectIG r = box_->children[3]->GetScreenRect();
    EXPECT_EQ(-10, r.top);

    // Painting: only children within the view, shifted up, then the bar.
    std::vector<PaintCall> log;
    TPDAUIEngineElementBox box;
    box.SetAttribute("layout", "VerticalScroll");
    for (int i = 0; i < 10; ++i) {
        auto* p = new PaintProbe(std::to_string(i).c_str(), &log);
        p->minimumHeight = 30;
        box.AddChild(p, nullptr, nullptr);
    }
    auto* bar = new FakeScrollBar();
    box.scrollBar = bar;
    box.SetBounds(0, 0, 100, 100);
    bar->position = 100;
    box.Paint(nullptr, 5, 7);
    std::vector<std::string> painted;
    for (const PaintCall& p : log) {
        painted.push_back(p.id);
        EXPECT_EQ(-93, p.y);
    }
    EXPECT_EQ((std::vector<std::string>{"3", "4", "5", "6"}), painted);
    EXPECT_EQ(1, bar->updates);
    ASSERT_EQ(1u, bar->paints.size());
    EXPECT_EQ(std::make_pair(5, 7), bar->paints[0]);

    // A hidden bar is reset to the top and every child paints.
    box.SetBounds(0, 0, 100, 400);
    log.clear();
    box.Paint(nullptr, 0, 0);
    EXPECT_EQ(0, bar->position);
    EXPECT_EQ(10u, log.size());
    EXPECT_EQ(1u, bar->paints.size());
}

TEST_F(ScrollBoxTest, WheelGoesToTheBar)
{
    Build();
    box_->OnMouseWheel(5, 5, 120);
    // Also when a child passed it up.
    box_->children[4]->OnMouseWheel(1, 1, -120);
    EXPECT_EQ((std::vector<int>{120, -120}), bar_->wheels);
}

TEST_F(ScrollBoxTest, ScrollIntoViewMovesOnlyAsFarAsNeeded)
{
    Build();
    struct Case {
        int start;
        int child;
        int expected;
    };
    const std::vector<Case> cases = {
        {0, 1, 0},      // already shown
        {0, 5, 80},     // below: its bottom comes to the bottom edge
        {80, 0, 0},     // above: its top comes to the top edge
        {0, 9, 200},    // the last one
        {150, 6, 150},  // shown (180..210 in 150..250)
        {150, 4, 120},  // partly above
    };
    for (const Case& c : cases) {
        bar_->position = c.start;
        box_->children[c.child]->ScrollIntoView();
        EXPECT_EQ(c.expected, bar_->position) << c.child << " from " << c.start;
    }
    // Through an inner box, and without moving a hidden bar.
    TPDAUIEngineElementBox* inner = AddXml(box_, R"(<box minimumHeight="60"><box minimumHeight="20"/><box minimumHeight="20"/></box>)");
    box_->SetBounds(0, 0, 100, 100);
    bar_->position = 0;
    inner->children[1]->ScrollIntoView();  // content 320..340
    EXPECT_EQ(240, bar_->position);
    bar_->visible = 0;
    box_->children[9]->ScrollIntoView();
    EXPECT_EQ(0, bar_->position);
}

TEST_F(ScrollBoxTest, FindingAndFocusReachTheBar)
{
    Build();
    EXPECT_EQ(bar_, page_->FindByNumericId(bar_->numericId));
    bar_->className = "bar";
    EXPECT_EQ(bar_, page_->FindByClassName("bar"));
    // The bar is no child.
    VectorP<TPDAUIEngineElement> list(10, 10, false);
    page_->CollectDescendants(list, true);
    EXPECT_EQ(11, list.Count());

    // Moving onto a scrolling box whose bar can take the focus gives it to the bar.
    auto* before = new TPDAUIEngineElementBox();
    before->isFocusable = 1;
    page_->InsertChild(before, 0, nullptr, nullptr);
    bar_->isFocusable = 1;
    page_->SetFocus(before, false);
    page_->FocusNext();
    EXPECT_EQ(bar_, page_->focusedElement);
    // From the bar (no entry of the list) the search starts again at the top.
    page_->FocusNext();
    EXPECT_EQ(before, page_->focusedElement);
    page_->FocusNext();
    EXPECT_EQ(bar_, page_->focusedElement);
    bar_->isFocusable = 0;
    page_->FocusNext();
    EXPECT_EQ(before, page_->focusedElement);
    page_->FocusNext();
    EXPECT_EQ(box_->children[0], page_->focusedElement);
}

// ---- keys ----

TEST_F(BoxTest, EnterAndSpacePressABoxWithACommand)
{
    LoadPageXml(&engine_, page_.get(), R"(<page><box onCommand="go"/><box/></page>)");
    TPDAUIEngineElement* box = page_->children[0];
    for (int key : {13, 32}) {
        unsigned char handled = 0;
        box->OnKeyDown(key, &handled, nullptr);
        EXPECT_EQ(1, box->pressed);
        EXPECT_EQ(1, handled);
        handled = 0;
        box->OnKeyUp(key, &handled, 0);
        EXPECT_EQ(0, box->pressed);
        EXPECT_EQ(1, handled);
    }
    EXPECT_EQ((std::vector<std::string>{"go", "go"}), page_->commands);

    // A disabled box takes the key but raises nothing.
    box->enabled = 0;
    unsigned char handled = 0;
    box->OnKeyUp(13, &handled, 0);
    EXPECT_EQ(1, handled);
    EXPECT_EQ(2u, page_->commands.size());

    // Without a command, or for other keys, the key passes on.
    handled = 0;
    page_->children[1]->OnKeyUp(13, &handled, 0);
    box->OnKeyDown(65, &handled, nullptr);
    EXPECT_EQ(0, handled);
}

// ---- input bubbling ----

TEST_F(BoxTest, PressOnANestedChildBubblesWithOffsets)
{
    engine_.OpenPage(page_.get());
    page_->layout = TPDAUIEngineElementBox::LayoutAbsolute;
    auto* outer = new PressProbe();
    page_->AddChild(outer, nullptr, nullptr);
    outer->layout = TPDAUIEngineElementBox::LayoutAbsolute;
    outer->SetBounds(100, 50, 200, 100);
    auto* inner = new PressProbe();
    outer->AddChild(inner, nullptr, nullptr);
    inner->SetAttribute("background", "#00FF00");
    inner->SetBounds(10, 20, 50, 40);
    page_->Layout();
    page_->commands.clear();
    page_->points.clear();

    engine_.Press(115, 75);
    EXPECT_EQ((std::vector<std::pair<int, int>>{{5, 5}}), inner->presses);
    EXPECT_EQ((std::vector<std::pair<int, int>>{{15, 25}}), outer->presses);
    EXPECT_EQ((std::vector<std::pair<int, int>>{{115, 75}}), page_->presses);
    engine_.Release(115, 75);

    // With a command the inner box takes the press; the release raises the
    // command, which bubbles to the page with the point in the box's parent.
    inner->onCommand = "tapped";
    engine_.Press(112, 73);
    EXPECT_EQ(1, inner->pressed);
    EXPECT_EQ(1u, outer->presses.size());
    engine_.Release(112, 73);
    EXPECT_EQ(0, inner->pressed);
    ASSERT_EQ((std::vector<std::string>{"tapped"}), page_->commands);
    EXPECT_EQ(std::make_pair(12, 23), page_->points[0]);
    engine_.ClosePage(page_.get(), false);
}

// ---- auto-hide box ----

TEST_F(BoxTest, AutoHideBoxHidesItselfAfterASecond)
{
    engine_.OpenPage(page_.get());
    auto* box = new TPDAUIEngineElementAutoHideBox();
    EXPECT_FALSE(box->visible);
    EXPECT_EQ(1000, box->timerInterval);
    page_->AddChild(box, nullptr, nullptr);
    box->visible = 1;
    box->StartTimer();
    engine_.Advance(900);
    EXPECT_TRUE(box->visible);
    engine_.Advance(200);
    EXPECT_FALSE(box->visible);
    EXPECT_FALSE(box->timerRunning);
    engine_.ClosePage(page_.get(), false);
}

// ---- a page let go ----

// A page unlinks its tree as it is let go: boxes of every kind stop their
// scroll bars' timers too, and what belongs to another page keeps it.
TEST(PageUnlink, EveryKindOfBoxHandsBackItsScrollBar)
{
    struct UnlinkingPage : TPDAUIEngineElementPage {
        using TPDAUIEngineElementPage::TPDAUIEngineElementPage;
        void Unlink() { UnlinkTree(); }
    };
    TestEngine engine;
    TPDAUIEngineElementPage other(&engine);
    UnlinkingPage page(&engine);
    struct Case {
        TPDAUIEngineElement* element;
        TPDAUIEngineElementPage* owner;
        bool scrollBar;
    } cases[] = {
        {new TPDAUIEngineElementBox(), &page, true},
        {new TPDAUIEngineElementAutoHideBox(), &page, true},
        {TPDAUIEngineElementFactory::CreateElementByTag(&engine, "sliderbox"), &page, true},
        {TPDAUIEngineElementFactory::CreateElementByTag(&engine, "vscrollbar"), &page, false},
        {new TPDAUIEngineElementBox(), &other, true},
    };
    int numericId = 100;  // a page's timers go by these
    for (Case& c : cases) {
        ASSERT_TRUE(c.element);
        page.AddChild(c.element, nullptr, nullptr);
        c.element->engine = &engine;
        c.element->numericId = ++numericId;
        c.element->page = c.owner;
        if (c.scrollBar) {
            auto* box = dynamic_cast<TPDAUIEngineElementBox*>(c.element);
            ASSERT_TRUE(box && !box->scrollBar);
            box->scrollBar = TPDAUIEngineElementFactory::CreateScrollBar();
            box->scrollBar->engine = &engine;
            box->scrollBar->numericId = ++numericId;
            box->scrollBar->page = c.owner;
            box->scrollBar->StartTimer();
            ASSERT_TRUE(box->scrollBar->timerRunning);
        }
        c.element->StartTimer();
        ASSERT_TRUE(c.element->timerRunning);
    }
    page.Unlink();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.element->tag.c_str());
        EXPECT_FALSE(c.element->timerRunning);
        EXPECT_EQ(c.owner == &page ? nullptr : c.owner, c.element->page);
        if (c.scrollBar) {
            TPDAUIEngineScrollBarBase* bar = static_cast<TPDAUIEngineElementBox*>(c.element)->scrollBar;
            EXPECT_FALSE(bar->timerRunning);
            EXPECT_EQ(c.owner == &page ? nullptr : c.owner, bar->page);
        }
    }
}

// ---- copying ----

TEST_F(BoxTest, CloneCopiesTheConfigurationAndTheChildren)
{
    LoadPageXml(&engine_, page_.get(),
                R"(<page><box id="list" layout="VerticalInverted" layoutColumns="2" padding="3" class="c"><box id="x"/><box id="y" flex="2"/></box></page>)");
    TPDAUIEngineElementBox* list = BoxAt(page_.get(), 0);
    TPDAUIEngineElement* copy = list->Clone();
    ASSERT_TRUE(copy);
    TPDAUIEngineElementBox* box = dynamic_cast<TPDAUIEngineElementBox*>(copy);
    ASSERT_TRUE(box);
    EXPECT_STREQ("list", box->id.c_str());
    EXPECT_NE(list->numericId, box->numericId);
    EXPECT_EQ(TPDAUIEngineElementBox::LayoutVerticalInverted, box->layout);
    EXPECT_EQ(2, box->layoutColumns);
    EXPECT_EQ(3, box->padding.inner);
    ASSERT_EQ(2, box->children.Count());
    // The same order as the original, whose vector holds y before x.
    EXPECT_STREQ("y", box->children[0]->id.c_str());
    EXPECT_STREQ("x", box->children[1]->id.c_str());
    EXPECT_EQ(2, box->children[0]->flex);
    EXPECT_EQ(box, box->children[0]->parent);
    page_->AddChild(box, nullptr, nullptr);
    EXPECT_EQ(2, page_->children.Count());
}

// ---- the page is a box ----

TEST_F(BoxTest, PageLaysOutWithMarginsAndKeepsItsTree)
{
    LoadPageXml(&engine_, page_.get(),
                R"(<page marginLeft="10" marginTop="20" marginBottom="5" paddingInner="3"><box minimumHeight="30"/><box flex="1"/></page>)");
    page_->Layout();
    EXPECT_EQ(10, page_->left);
    EXPECT_EQ(20, page_->top);
    EXPECT_EQ(790, page_->width);
    EXPECT_EQ(455, page_->height);
    EXPECT_FALSE(page_->fullScreen);
    EXPECT_EQ(30, page_->children[0]->height);
    EXPECT_EQ(33, page_->children[1]->top);
    EXPECT_EQ(455 - 33, page_->children[1]->height);
    EXPECT_GT(page_->GetMemorySize(), 2 * (int)sizeof(TPDAUIEngineElementBox));

    // Loading again starts from Vertical with no margins or outer paddings.
    page_->Detach();
    EXPECT_EQ(0, page_->children.Count());
    page_->layout = TPDAUIEngineElementBox::LayoutFlow;
    page_->OnLoad(&engine_, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(TPDAUIEngineElementBox::LayoutVertical, page_->layout);
    EXPECT_EQ(0, page_->margins.left);
    EXPECT_EQ(3, page_->padding.inner);
}

// ---- focus in tables ----

TEST_F(BoxTest, ArrowsMoveByRowsInATable)
{
    std::string xml = R"(<page><box id="before" isFocusable="true"/><box id="t" layout="Table" layoutColumns="3" layoutRows="2">)";
    for (int i = 0; i < 7; ++i)
        xml += "<box id=\"t" + std::to_string(i) + "\" isFocusable=\"true\"/>";
    xml += R"(</box><box id="after" isFocusable="true"/></page>)";
    LoadPageXml(&engine_, page_.get(), xml);
    TPDAUIEngineElementBox* table = BoxAt(page_.get(), 1);
    auto focusedId = [this] { return std::string(page_->focusedElement ? page_->focusedElement->id.c_str() : ""); };

    page_->SetFocus(table->children[4], false);
    page_->FocusUp();
    EXPECT_EQ("t1", focusedId());
    page_->FocusDown();
    EXPECT_EQ("t4", focusedId());
    // Below child 4 is nothing; layoutRows is 2 = row + 1: on after the last cell.
    page_->FocusDown();
    EXPECT_EQ("after", focusedId());
    table->layoutRows = 5;
    page_->SetFocus(table->children[4], false);
    page_->FocusDown();
    EXPECT_EQ("t5", focusedId());
    // From the first row up leaves the table.
    page_->SetFocus(table->children[1], false);
    page_->FocusUp();
    EXPECT_EQ("before", focusedId());
    // Back from the first cell leaves the table too.
    page_->SetFocus(table->children[0], false);
    page_->FocusPrevious();
    EXPECT_EQ("before", focusedId());

    // A table without columns is no table for the arrows.
    table->layoutColumns = 0;
    page_->SetFocus(table->children[4], false);
    page_->FocusUp();
    EXPECT_EQ("t3", focusedId());
    page_->FocusDown();
    EXPECT_EQ("t4", focusedId());
    page_->SetFocus(table->children[0], false);
    page_->FocusPrevious();
    EXPECT_EQ("before", focusedId());
}

} // namespace
