#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "enginelib/base/Tick.h"
#include "uiengine/core/TPDAUIEngine.h"
#include "uiengine/core/TPDAUIEngineCommand.h"
#include "uiengine/core/TPDAUIEngineSkinSettings.h"
#include "uiengine/core/TPDAUIEngineXml.h"
#include "uiengine/elements/TPDAUIEngineElement.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"

namespace {

// Engine whose platform operations record what the elements ask of them.
class RecEngine : public TPDAUIEngine {
public:
    void RunModalLoop(int) override {}
    void MessageBox(const char*, const char*) override {}
    void Invalidate(int) override {}
    void InvalidateElement(TPDAUIEngineElement* e) override { invalidated.push_back(e); }
    bool HasHardwareKeyboard() override { return false; }
    int HasHardwareKeyboardMultiplexed() override { return 0; }
    int InputPanelHandler(TPDAUIEngineElement*, int) override { return 0; }
    int HasHardwareMouse() override { return 1; }
    int HasHardwareMouseTouchScreen() override { return 1; }
    int HasHardwareMouseTouchScreenDouble() override { return 0; }
    void SetScreenMode(int, int) override {}
    void PlaySound(const char* name, int) override { sounds.push_back(name); }
    DString TranslateText(const char* text) override { return DString("T:") << text; }

    bool WasInvalidated(TPDAUIEngineElement* e) const
    {
        for (auto* x : invalidated)
            if (x == e)
                return true;
        return false;
    }

    std::vector<TPDAUIEngineElement*> invalidated;
    std::vector<std::string> sounds;
};

// A leaf that records the calls that reach it.
class Rec : public TPDAUIEngineElement {
public:
    void Paint(IDC*, int, int) override {}
    void OnCommand(TPDAUIEngineCommand& c) override
    {
        commands.push_back(c);
        if (answer >= 0)
            c.handled = (unsigned char)answer;
        if (passOn)
            TPDAUIEngineElement::OnCommand(c);
    }
    void OnMouseDown(int x, int y, int kind, int a, int b) override
    {
        if (recordPointer)
            Log("down", x, y, kind);
        else
            TPDAUIEngineElement::OnMouseDown(x, y, kind, a, b);
    }
    void OnMouseUp(int x, int y, int kind, unsigned char* handled) override
    {
        if (recordPointer)
            Log("up", x, y, kind);
        else
            TPDAUIEngineElement::OnMouseUp(x, y, kind, handled);
    }
    void OnMouseMove(int x, int y, int flags, unsigned char* handled, int a, int b) override
    {
        if (recordPointer)
            Log("move", x, y, flags);
        else
            TPDAUIEngineElement::OnMouseMove(x, y, flags, handled, a, b);
    }
    void OnContextMenu(int x, int y, unsigned char* handled) override
    {
        if (recordPointer)
            Log("context", x, y, 0);
        else
            TPDAUIEngineElement::OnContextMenu(x, y, handled);
    }
    void OnHoverEnter(int x, int y, int flags) override
    {
        if (recordPointer)
            Log("enter", x, y, flags);
        else
            TPDAUIEngineElement::OnHoverEnter(x, y, flags);
    }
    void OnKeyDown(int key, unsigned char* handled, unsigned char* consumed) override
    {
        if (recordPointer)
            Log("key", key, 0, 0);
        else
            TPDAUIEngineElement::OnKeyDown(key, handled, consumed);
    }
    void OnSetFocus(TPDAUIEngineElement* o) override
    {
        focusLog.push_back("set");
        TPDAUIEngineElement::OnSetFocus(o);
    }
    void OnKillFocus(TPDAUIEngineElement* o) override
    {
        focusLog.push_back("kill");
        TPDAUIEngineElement::OnKillFocus(o);
    }
    void SetAttribute(const char* name, const char* value) override
    {
        setCalls.push_back(std::string(name) + "=" + value);
        TPDAUIEngineElement::SetAttribute(name, value);
    }
    void Log(const char* what, int x, int y, int k)
    {
        events.push_back(std::string(what) + " " + std::to_string(x) + "," + std::to_string(y) + " " +
                         std::to_string(k));
    }

    bool recordPointer = false;
    bool passOn = false;
    int answer = -1;
    std::vector<TPDAUIEngineCommand> commands;
    std::vector<std::string> events;
    std::vector<std::string> focusLog;
    std::vector<std::string> setCalls;
};

// A page whose tree is a flat list of leaves it does not own.
class FlatPage : public TPDAUIEngineElementPage {
public:
    explicit FlatPage(TPDAUIEngine* e) : TPDAUIEngineElementPage(e) {}
    ~FlatPage() override { UnlinkTree(); }
    void CollectDescendants(VectorP<TPDAUIEngineElement>& list, bool onlyActive) override
    {
        for (TPDAUIEngineElement* e : leaves)
            if (!onlyActive || (e->visible && e->enabled))
                list.Add(e);
    }
    TPDAUIEngineElement* FindByNumericId(int n) override
    {
        if (numericId == n)
            return this;
        for (TPDAUIEngineElement* e : leaves)
            if (e->numericId == n)
                return e;
        return nullptr;
    }
    void OnCommand(TPDAUIEngineCommand& c) override
    {
        commands.push_back(c);
        if (answerHandled >= 0)
            c.handled = (unsigned char)answerHandled;
        if (answerResult >= 0)
            c.result = (unsigned char)answerResult;
    }
    void OnFocusChanged(TPDAUIEngineElement* e) override { focusChanges.push_back(e); }
    // Loads a leaf into this page (links and numeric id, as a container would).
    Rec* AddLeaf(Rec* leaf)
    {
        leaf->OnLoad(engine, this, this, nullptr, nullptr);
        leaves.push_back(leaf);
        return leaf;
    }

    std::vector<TPDAUIEngineElement*> leaves;
    std::vector<TPDAUIEngineCommand> commands;
    std::vector<TPDAUIEngineElement*> focusChanges;
    int answerHandled = -1;
    int answerResult = -1;
};

class ElementTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetTickSource([this] { return clock_; });
        engine_ = std::make_unique<RecEngine>();
        engine_->skinSettings.screenWidth = 480;
        engine_->skinSettings.screenHeight = 800;
        page_ = std::make_unique<FlatPage>(engine_.get());
        page_->OnLoad(engine_.get(), nullptr, nullptr, nullptr, nullptr);
    }
    void TearDown() override
    {
        page_.reset();
        leaves_.clear();
        engine_.reset();
        SetTickSource(nullptr);
    }
    Rec* Leaf(const char* id, int l = 0, int t = 0, int w = 10, int h = 10)
    {
        leaves_.push_back(std::make_unique<Rec>());
        Rec* r = leaves_.back().get();
        page_->AddLeaf(r);
        r->id = id;
        r->SetBounds(l, t, w, h);
        return r;
    }

    uint32_t clock_ = 5000;
    std::unique_ptr<RecEngine> engine_;
    std::unique_ptr<FlatPage> page_;
    std::vector<std::unique_ptr<Rec>> leaves_;
};

// Sets the process-wide UI scale for the life of the object.
class ScaleScope {
public:
    explicit ScaleScope(float scale) : previous_(TPDAUIEngineSkinSettings::Current())
    {
        settings_.uiScale = scale;
        TPDAUIEngineSkinSettings::SetCurrent(&settings_);
    }
    ~ScaleScope() { TPDAUIEngineSkinSettings::SetCurrent(previous_); }

private:
    TPDAUIEngineSkinSettings settings_;
    TPDAUIEngineSkinSettings* previous_;
};

// ---- attributes -------------------------------------------------------------------

TEST(ElementAttributes, ScaledAndUnscaledValues)
{
    struct Case {
        float scale;
        const char* name;
        const char* value;
        int TPDAUIEngineElement::*member;
        int expected;
    } cases[] = {
        {1.5f, "width", "33", &TPDAUIEngineElement::width, 49},
        {1.5f, "left", "-7", &TPDAUIEngineElement::left, -10},  // truncated toward zero
        {2.0f, "top", " 12px", &TPDAUIEngineElement::top, 24},  // leading blanks, digits up to 'p'
        {1.0f, "height", "abc", &TPDAUIEngineElement::height, 0},
        {1.5f, "minimumHeight", "10", &TPDAUIEngineElement::minimumHeight, 15},
        {1.5f, "maximumWidth", "100", &TPDAUIEngineElement::maximumWidth, 150},
        {2.0f, "flex", "3", &TPDAUIEngineElement::flex, 3},
        {2.0f, "colspan", "2", &TPDAUIEngineElement::colspan, 2},
        {2.0f, "rowspan", "4", &TPDAUIEngineElement::rowspan, 4},
        {2.0f, "timerInterval", "250", &TPDAUIEngineElement::timerInterval, 250},
    };
    for (const Case& c : cases) {
        ScaleScope scope(c.scale);
        Rec e;
        e.SetAttribute(c.name, c.value);
        EXPECT_EQ(e.*(c.member), c.expected) << c.name << "=" << c.value << " @" << c.scale;
    }
}

TEST(ElementAttributes, DefaultsFollowTheScaleAtConstruction)
{
    ScaleScope scope(1.5f);
    Rec e;
    EXPECT_EQ(e.maximumWidth, 7500);
    EXPECT_EQ(e.maximumHeight, 7500);
    EXPECT_EQ(e.visible, 1);
    EXPECT_EQ(e.enabled, 1);
    EXPECT_EQ(e.isClickable, 1);
    EXPECT_EQ(e.isFocusable, 0);
    EXPECT_EQ(e.allowMouseDownAfterPopupClose, 1);
    EXPECT_EQ(e.colspan, 1);
    EXPECT_EQ(e.foregrounds[TPDAUIEngineElement::StateDisabled], (uint32_t)TColoresIG::F_Gray);
    EXPECT_EQ(e.foregrounds[TPDAUIEngineElement::StateNormal], (uint32_t)TColoresIG::F_Black);
}

TEST(ElementAttributes, BooleansAreTrueOnlyForLowerCaseTrue)
{
    const char* names[] = {"visible", "enabled", "isFocusable", "isClickable",
                           "allowMouseDownAfterPopupClose", "avoidPaddingRescale",
                           "avoidMarginRescale", "catchMouseEventsAlways"};
    for (const char* name : names) {
        Rec e;
        e.SetAttribute(name, "true");
        EXPECT_EQ(e.GetAttribute(name), "true") << name;
        e.SetAttribute(name, "True");
        EXPECT_EQ(e.GetAttribute(name), "false") << name;
        e.SetAttribute(name, "1");
        EXPECT_EQ(e.GetAttribute(name), "false") << name;
    }
}

TEST(ElementAttributes, AlignAndPackWords)
{
    const char* words[] = {"Start", "Center", "End", "Stretch", "Auto", "AutoInvert"};
    Rec e;
    for (int i = 0; i < 6; ++i) {
        e.SetAttribute("align", words[i]);
        e.SetAttribute("pack", words[5 - i]);
        EXPECT_EQ(e.align, i);
        EXPECT_EQ(e.pack, 5 - i);
        EXPECT_EQ(e.GetAttribute("align"), words[i]);
    }
    e.SetAttribute("align", "center"); // case matters: unknown word
    e.SetAttribute("pack", "Middle");
    EXPECT_EQ(e.align, 5);
    EXPECT_EQ(e.pack, 0);
    e.align = 9;
    EXPECT_EQ(e.GetAttribute("align"), "");
}

TEST(ElementAttributes, ForegroundOverrideOrder)
{
    Rec a;
    a.SetAttribute("foregroundDisabled", "#FF0000");
    a.SetAttribute("foreground", "#00FF00");
    for (uint32_t f : a.foregrounds)
        EXPECT_EQ(f, (uint32_t)TColorIG(0, 255, 0));

    Rec b;
    b.SetAttribute("foreground", "#00FF00");
    b.SetAttribute("foregroundFocus", "#0000FF");
    EXPECT_EQ(b.foregrounds[TPDAUIEngineElement::StateFocus], (uint32_t)TColorIG(0, 0, 255));
    EXPECT_EQ(b.foregrounds[TPDAUIEngineElement::StateHover], (uint32_t)TColorIG(0, 255, 0));
    EXPECT_EQ(b.GetAttribute("foregroundFocus"), DString() << (unsigned int)TColorIG(0, 0, 255));

    Rec c; // unreadable colour text leaves the colour as it was
    c.SetAttribute("foregroundPressed", "not a colour");
    EXPECT_EQ(c.foregrounds[TPDAUIEngineElement::StatePressed], (uint32_t)TColoresIG::F_Black);
}

TEST(ElementAttributes, ReadBackForms)
{
    ScaleScope scope(1.5f);
    Rec e;
    e.SetAttribute("width", "33");
    e.SetAttribute("minimumWidth", "10");
    e.SetAttribute("image", "pic");
    e.SetAttribute("class", "big");
    e.SetAttribute("label", "{H530}");
    e.SetAttribute("timerInterval", "40");
    EXPECT_EQ(e.GetAttribute("width"), DString() << 49.0f / 1.5f);
    EXPECT_EQ(e.GetAttribute("minimumWidth"), "15"); // screen pixels, not divided
    EXPECT_EQ(e.GetAttribute("imageName"), "pic");  // read names differ from the setters
    EXPECT_EQ(e.GetAttribute("image"), "");
    EXPECT_EQ(e.GetAttribute("className"), "big");
    EXPECT_EQ(e.GetAttribute("class"), "");
    EXPECT_EQ(e.GetAttribute("label"), "{H530}");
    EXPECT_EQ(e.GetAttribute("timerInterval"), "40");
    EXPECT_EQ(e.GetAttribute("unknown"), "");
    e.SetAttribute("unknown", "x"); // ignored
}

TEST(ElementAttributes, SetAttributeIntGoesThroughTheVirtualSetter)
{
    Rec e;
    e.SetAttributeInt("left", -42);
    ASSERT_EQ(e.setCalls.size(), 1u);
    EXPECT_EQ(e.setCalls[0], "left=-42");
    EXPECT_EQ(e.left, -42);
}

TEST_F(ElementTest, OnLoadTakesNumericIdsAndAppliesXmlAttributesInOrder)
{
    // The page took 1001 in SetUp.
    EXPECT_EQ(page_->numericId, 1001);
    Rec* a = Leaf("a");
    Rec* b = Leaf("b");
    EXPECT_EQ(a->numericId, 1002);
    EXPECT_EQ(b->numericId, 1003);
    EXPECT_EQ(engine_->elementCounter, 3);
    EXPECT_EQ(a->engine, engine_.get());
    EXPECT_EQ(a->page, page_.get());
    EXPECT_EQ(a->parent, page_.get());

    char xml[] = "<label id=\"x\" foregroundDisabled=\"#FF0000\" foreground=\"#00FF00\" width=\"7\"/>";
    TPDAUIEngineXml node;
    ASSERT_TRUE(node.Parse(xml));
    Rec c;
    c.OnLoad(engine_.get(), page_.get(), page_.get(), &node, nullptr);
    EXPECT_EQ(c.numericId, 1004);
    EXPECT_EQ(c.id, "x");
    EXPECT_EQ(c.width, 7);
    EXPECT_EQ(c.foregrounds[TPDAUIEngineElement::StateDisabled], (uint32_t)TColorIG(0, 255, 0));
    ASSERT_EQ(c.setCalls.size(), 4u);
    EXPECT_EQ(c.setCalls[0], "id=x");
    EXPECT_EQ(c.setCalls[3], "width=7");
}

TEST(ElementIds, EnsureIdOnlyFillsAnEmptyId)
{
    Rec e;
    e.numericId = 1007;
    e.EnsureId();
    EXPECT_EQ(e.id, "uniqueId1007");
    e.id = "kept";
    e.EnsureId();
    EXPECT_EQ(e.id, "kept");
}

TEST(ElementIds, LiveCountFollowsConstructionAndDestruction)
{
    int before = TPDAUIEngineElement::GetLiveCount();
    {
        Rec a, b;
        EXPECT_EQ(TPDAUIEngineElement::GetLiveCount(), before + 2);
    }
    EXPECT_EQ(TPDAUIEngineElement::GetLiveCount(), before);
}

// Counts kept per thread must add up wherever an element is made and dropped,
// including after the threads that made them have ended and their successors
// have taken over their counts.
TEST(ElementIds, LiveCountAddsUpAcrossThreads)
{
    const int before = TPDAUIEngineElement::GetLiveCount();
    std::vector<std::unique_ptr<Rec>> handedOver;
    for (int round = 0; round < 3; ++round) {
        std::vector<std::unique_ptr<Rec>> made[2];
        std::thread makers[2];
        for (int t = 0; t < 2; ++t)
            makers[t] = std::thread([&made, t] {
                for (int i = 0; i < 5 + t; ++i)
                    made[t].push_back(std::make_unique<Rec>());
                made[t].pop_back();  // one dies on its own thread
            });
        for (std::thread& m : makers)
            m.join();
        EXPECT_EQ(TPDAUIEngineElement::GetLiveCount(), before + (int)handedOver.size() + 4 + 5) << round;
        for (auto& list : made)
            for (auto& e : list)
                handedOver.push_back(std::move(e));
    }
    EXPECT_EQ(TPDAUIEngineElement::GetLiveCount(), before + 27);
    // Dropped on another thread than their makers'.
    std::thread dropper([&handedOver] { handedOver.resize(10); });
    dropper.join();
    EXPECT_EQ(TPDAUIEngineElement::GetLiveCount(), before + 10);
    handedOver.clear();
    EXPECT_EQ(TPDAUIEngineElement::GetLiveCount(), before);
}

// ---- geometry ---------------------------------------------------------------------

TEST(ElementGeometry, NegativeSizeZeroesBoth)
{
    Rec e;
    e.SetBounds(5, 5, -1, 30);
    EXPECT_EQ(e.left, 5);
    EXPECT_EQ(e.top, 5);
    EXPECT_EQ(e.width, 0);
    EXPECT_EQ(e.height, 0);
    e.SetBounds(1, 2, 3, 4);
    e.ReapplyBounds();
    EXPECT_EQ(e.width, 3);
    EXPECT_EQ(e.height, 4);
}

TEST(ElementGeometry, HitTestEdges)
{
    Rec e;
    e.SetBounds(10, 20, 30, 40);
    struct Case {
        int x, y;
        bool hit;
    } cases[] = {{10, 20, true}, {39, 59, true}, {40, 30, false}, {20, 60, false},
                 {9, 30, false}, {20, 19, false}};
    for (const Case& c : cases)
        EXPECT_EQ(e.HitTest(c.x, c.y) == &e, c.hit) << c.x << "," << c.y;
    e.isClickable = 0;
    EXPECT_EQ(e.HitTest(15, 25), nullptr);
}

TEST(ElementGeometry, MinimumSizesAreCappedByTheMaximum)
{
    Rec e;
    e.minimumHeight = 50;
    e.maximumHeight = 30;
    e.minimumWidth = -5;
    EXPECT_EQ(e.GetMinimumHeight(100), 30);
    EXPECT_EQ(e.GetMinimumWidth(100), 0);
}

TEST_F(ElementTest, ScreenRectAddsParentsExceptForPopups)
{
    Rec* outer = Leaf("outer", 10, 20, 100, 100);
    Rec inner;
    inner.parent = outer;
    inner.page = page_.get();
    inner.SetBounds(3, 4, 5, 6);
    page_->SetBounds(0, 0, 480, 800);
    EXPECT_EQ(inner.GetScreenRect(), TRectIG(13, 24, 18, 30));
    EXPECT_EQ(inner.GetVisibleRect(), TRectIG(13, 24, 18, 30));
    page_->popups.Add(&inner);
    EXPECT_EQ(inner.GetScreenRect(), TRectIG(3, 4, 8, 10)); // pop-ups sit in screen coordinates
    page_->popups.RemoveAll();
}

TEST_F(ElementTest, AncestorsAndNestedPage)
{
    Rec* a = Leaf("a");
    Rec b;
    b.parent = a;
    VectorP<TPDAUIEngineElement> list(10, 10, false);
    b.CollectAncestors(list);
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list[0], &b);
    EXPECT_EQ(list[1], a);
    EXPECT_EQ(list[2], page_.get());

    // A page shown inside an element of another page answers the outer page.
    FlatPage nested(engine_.get());
    nested.parent = a;
    Rec c;
    c.page = &nested;
    EXPECT_EQ(c.GetPage(), page_.get());
    EXPECT_EQ(nested.GetOuterPage(), page_.get());
    EXPECT_EQ(a->NextSibling(), nullptr);
    EXPECT_EQ(a->PreviousSibling(), nullptr);
}

TEST(ElementVisibility, VisibleUpTheTree)
{
    Rec a, b;
    b.parent = &a;
    EXPECT_TRUE(b.IsEffectivelyVisible());
    a.visible = 0;
    EXPECT_FALSE(b.IsEffectivelyVisible());
    a.visible = 1;
    b.visible = 0;
    EXPECT_FALSE(b.IsEffectivelyVisible());
    EXPECT_TRUE(b.IsAvailable());
}

// ---- input ------------------------------------------------------------------------

TEST_F(ElementTest, PointerEventsBubbleWithOffsets)
{
    Rec* top = Leaf("top", 0, 0, 200, 200);
    top->recordPointer = true;
    Rec child;
    child.parent = top;
    child.page = page_.get();
    child.engine = engine_.get();
    child.SetBounds(10, 20, 50, 50);

    child.OnMouseDown(1, 2, 0, 0, 0);
    child.OnMouseMove(3, 4, 7, nullptr, 0, 0);
    child.OnMouseUp(5, 6, 0, nullptr);
    child.OnContextMenu(7, 8, nullptr);
    child.OnHoverEnter(9, 9, 3); // no offset for hover
    child.OnKeyDown(65, nullptr, nullptr);
    std::vector<std::string> expected = {"down 11,22 0", "move 13,24 7", "up 15,26 0",
                                         "context 17,28 0", "enter 9,9 3", "key 65,0 0"};
    EXPECT_EQ(top->events, expected);
    unsigned char handled = 0;
    EXPECT_FALSE(child.OnDrop(0, 0, "f", "t", &handled)); // up to the page, which has no parent
    Rec orphan;
    EXPECT_FALSE(orphan.OnDrop(0, 0, "f", "t", &handled));
}

TEST_F(ElementTest, PressWithACommandIsHandledOnlyForKindZero)
{
    Rec* top = Leaf("top", 0, 0, 200, 200);
    top->recordPointer = true;
    Rec* b = Leaf("button", 10, 10, 50, 20);
    b->parent = top;
    b->onCommand = "go";
    b->OnMouseDown(1, 1, 0, 0, 0);
    EXPECT_EQ(b->pressed, 1);
    EXPECT_TRUE(engine_->WasInvalidated(b));
    EXPECT_TRUE(top->events.empty());
    b->pressed = 0;
    b->OnMouseDown(1, 1, 1, 0, 0); // secondary press passes up
    EXPECT_EQ(b->pressed, 0);
    ASSERT_EQ(top->events.size(), 1u);
    EXPECT_EQ(top->events[0], "down 11,11 1");
}

TEST_F(ElementTest, ReleaseRaisesOnlyInsideWithTheBottomEdgeIncluded)
{
    struct Case {
        int x, y;
        bool enabled;
        bool popupOpen;
        bool raised;
        bool passedUp;
    } cases[] = {
        {0, 0, true, false, true, false},
        {49, 20, true, false, true, false},   // y = height counts as inside
        {50, 10, true, false, false, false},  // x = width does not
        {10, -1, true, false, false, false},
        {10, 10, false, false, false, false}, // disabled: no command
        {10, 10, true, true, false, true},    // a pop-up is open: the parent gets it
    };
    Rec* top = Leaf("top", 0, 0, 200, 200);
    top->recordPointer = true;
    Rec* b = Leaf("button", 10, 10, 50, 20);
    b->parent = top;
    b->onCommand = "go";
    b->onCommandSound = "click";
    top->answer = 1;
    Rec popup;
    for (const Case& c : cases) {
        top->commands.clear();
        top->events.clear();
        engine_->sounds.clear();
        b->enabled = c.enabled;
        if (c.popupOpen)
            page_->popups.Add(&popup);
        b->pressed = 1;
        b->OnMouseUp(c.x, c.y, 0, nullptr);
        page_->popups.RemoveAll();
        EXPECT_EQ(top->commands.size(), c.raised ? 1u : 0u) << c.x << "," << c.y;
        EXPECT_EQ(!top->events.empty(), c.passedUp) << c.x << "," << c.y;
        EXPECT_EQ(b->pressed, c.passedUp ? 1 : 0) << c.x << "," << c.y;
        if (c.raised) {
            EXPECT_EQ(top->commands[0].name, "go");
            EXPECT_EQ(top->commands[0].value1, c.x + 10);
            EXPECT_EQ(top->commands[0].value2, c.y + 10);
            EXPECT_EQ(top->commands[0].target, b);
            ASSERT_EQ(engine_->sounds.size(), 1u);
            EXPECT_EQ(engine_->sounds[0], "click");
        }
    }
}

TEST_F(ElementTest, DisabledElementStillShowsPressedButRaisesNothing)
{
    Rec* top = Leaf("top", 0, 0, 200, 200);
    Rec* b = Leaf("b", 0, 0, 20, 20);
    b->parent = top;
    b->onCommand = "go";
    b->enabled = 0;
    b->OnMouseDown(5, 5, 0, 0, 0);
    EXPECT_EQ(b->pressed, 1);
    b->OnMouseUp(5, 5, 0, nullptr);
    EXPECT_EQ(b->pressed, 0);
    EXPECT_TRUE(top->commands.empty());
}

TEST_F(ElementTest, FocusableElementTakesTheFocusOnPress)
{
    Rec* b = Leaf("b", 0, 0, 20, 20);
    b->isFocusable = 1;
    b->OnMouseDown(1, 1, 1, 0, 0);
    EXPECT_EQ(page_->focusedElement, b);
    EXPECT_TRUE(b->IsFocused());
    ASSERT_EQ(page_->focusChanges.size(), 1u);
    EXPECT_EQ(page_->focusChanges[0], b);
}

TEST_F(ElementTest, ContextMenuRaisesAtScreenCoordinates)
{
    Rec* top = Leaf("top", 100, 200, 300, 300);
    top->answer = 1;
    Rec* b = Leaf("b", 10, 20, 50, 50);
    b->parent = top;
    b->onContextMenuCommand = "menu";
    unsigned char handled = 0;
    b->OnContextMenu(1, 2, &handled);
    EXPECT_EQ(handled, 1);
    ASSERT_EQ(top->commands.size(), 1u);
    EXPECT_EQ(top->commands[0].name, "menu");
    EXPECT_EQ(top->commands[0].value1, 111);
    EXPECT_EQ(top->commands[0].value2, 222);
}

TEST_F(ElementTest, HoverNeedsAFocusableEnabledElement)
{
    Rec* top = Leaf("top", 0, 0, 100, 100);
    top->recordPointer = true;
    Rec* b = Leaf("b");
    b->parent = top;
    b->OnHoverEnter(1, 1, 0);
    EXPECT_EQ(b->hover, 0);
    EXPECT_EQ(top->events.size(), 1u);
    b->isFocusable = 1;
    b->OnHoverEnter(1, 1, 0);
    EXPECT_EQ(b->hover, 1);
    b->enabled = 0; // leaving still clears a hover that is set
    b->OnHoverLeave(1, 1, 0);
    EXPECT_EQ(b->hover, 0);
}

// ---- commands ---------------------------------------------------------------------

TEST_F(ElementTest, RaiseCommandWithoutParentAnswersTrueSilently)
{
    Rec orphan;
    orphan.engine = engine_.get();
    orphan.onCommandSound = "click";
    EXPECT_TRUE(orphan.RaiseCommand("x", 0, 0, true));
    EXPECT_TRUE(engine_->sounds.empty());
}

TEST_F(ElementTest, RaiseCommandAnswersTheHandledByteTheHandlersLeft)
{
    Rec* top = Leaf("top");
    Rec* b = Leaf("b");
    b->parent = top;
    EXPECT_FALSE(b->RaiseCommand("x", 1, 2, false)); // the record starts unhandled
    EXPECT_EQ(top->commands.back().handled, 0);
    top->answer = 1;
    EXPECT_TRUE(b->RaiseCommand("x", 1, 2, false));
}

TEST_F(ElementTest, EmptyCommandNamesStopAtTheFirstParent)
{
    Rec* grand = Leaf("grand");
    Rec* middle = Leaf("middle");
    Rec* b = Leaf("b");
    middle->parent = grand;
    middle->passOn = true;
    b->parent = middle;
    b->Click(); // empty onCommand: a command with an empty name is raised anyway
    EXPECT_EQ(b->pressed, 1);
    ASSERT_EQ(middle->commands.size(), 1u);
    EXPECT_TRUE(middle->commands[0].name.IsEmpty());
    EXPECT_TRUE(grand->commands.empty());
    b->onCommand = "named";
    b->Click();
    ASSERT_EQ(grand->commands.size(), 1u);
    EXPECT_EQ(grand->commands[0].name, "named");
    b->ReleaseClick();
    EXPECT_EQ(b->pressed, 0);
}

TEST_F(ElementTest, ElapsedIsMeasuredFromTheLastTimerTick)
{
    Rec* top = Leaf("top");
    Rec* b = Leaf("b");
    b->parent = top;
    b->timerInterval = 100;
    b->StartTimer();
    ASSERT_EQ(b->timerRunning, 1);
    int start = b->lastTick;
    clock_ += 70;
    b->RaiseCommand("a", 0, 0, false);
    EXPECT_EQ(top->commands.back().elapsed, 70);
    EXPECT_EQ(b->lastTick, start + 70);
    clock_ += 30;
    b->PostCommand("p", 0, 0, 0);
    TPDAUIEngineCommand posted;
    ASSERT_TRUE(engine_->PopCommand(posted));
    EXPECT_EQ(posted.elapsed, 30);
    b->StopTimer();
    clock_ += 500;
    b->RaiseCommand("a", 0, 0, false);
    EXPECT_EQ(top->commands.back().elapsed, 0);
}

TEST_F(ElementTest, PostCommandQueuesTheElementText)
{
    Rec* b = Leaf("b");
    b->PostCommand("refresh", 3, 4, (intptr_t)99);
    TPDAUIEngineCommand c;
    ASSERT_TRUE(engine_->PopCommand(c));
    EXPECT_EQ(c.name, DString("PDAUIEngineElement:") << b->numericId << ":refresh");
    EXPECT_EQ(c.target, b);
    EXPECT_EQ(c.value1, 3);
    EXPECT_EQ(c.value2, 4);
    EXPECT_EQ(c.data, 99);
    Rec unloaded; // no engine: nothing is posted
    unloaded.PostCommand("x", 0, 0, 0);
    EXPECT_FALSE(engine_->PopCommand(c));
}

TEST_F(ElementTest, CommandPostedToAnElementDeletedBeforeTheDrainIsDropped)
{
    Rec* keep = Leaf("keep");
    auto doomed = std::make_unique<Rec>();
    page_->AddLeaf(doomed.get());
    doomed->PostCommand("late", 0, 0, 0);
    keep->PostCommand("fine", 0, 0, 0);
    page_->leaves.pop_back();
    doomed.reset();
    TPDAUIEngineCommand c;
    ASSERT_TRUE(engine_->PopCommand(c));
    EXPECT_EQ(c.target, keep);
    EXPECT_FALSE(engine_->PopCommand(c));
}

TEST_F(ElementTest, TranslateLabelNeedsAPage)
{
    Rec* b = Leaf("b");
    b->label = "{H1}";
    b->TranslateLabel();
    EXPECT_EQ(b->label, "T:{H1}");
    Rec orphan;
    orphan.engine = engine_.get();
    orphan.label = "{H1}";
    orphan.TranslateLabel();
    EXPECT_EQ(orphan.label, "{H1}");
}

// ---- timers, detach, destruction ----------------------------------------------------

TEST_F(ElementTest, TimerRegistersWithThePage)
{
    Rec* b = Leaf("b");
    b->StartTimer();
    EXPECT_EQ(b->timerRunning, 1);
    EXPECT_GE(page_->runningTimers.IndexOf(b->numericId), 0);
    b->StartTimer(); // already running: nothing more
    EXPECT_EQ(page_->runningTimers.Count(), 1);
    b->StopTimer();
    EXPECT_EQ(b->timerRunning, 0);
    EXPECT_EQ(page_->runningTimers.Count(), 0);
}

// A detached pop-up closes every pop-up of its page; an element that is no
// pop-up leaves the stack as it is.
TEST_F(ElementTest, DetachDropsEveryPageReferenceAndThePopupStack)
{
    Rec* b = Leaf("b");
    Rec* other = Leaf("other");
    Rec* parent = Leaf("parent");
    b->parent = parent;
    page_->paintReference = b;
    page_->pressedElement = b;
    page_->hoverElement = b;
    page_->keyDownElement = b;
    page_->focusedElement = b;
    page_->lastTextBox = b;
    page_->popups.Add(other);
    page_->popups.Add(b);
    b->StartTimer();
    b->Detach();
    EXPECT_EQ(page_->paintReference, nullptr);
    EXPECT_EQ(page_->pressedElement, nullptr);
    EXPECT_EQ(page_->hoverElement, nullptr);
    EXPECT_EQ(page_->keyDownElement, nullptr);
    EXPECT_EQ(page_->focusedElement, nullptr);
    EXPECT_EQ(page_->lastTextBox, nullptr);
    EXPECT_EQ(page_->popups.Count(), 0);
    EXPECT_EQ(b->timerRunning, 0);
    EXPECT_EQ(page_->runningTimers.Count(), 0);
    EXPECT_EQ(b->engine, nullptr);
    EXPECT_EQ(b->page, nullptr);
    EXPECT_EQ(b->parent, parent);
    // Unlinked: these do nothing now.
    engine_->invalidated.clear();
    b->Invalidate();
    b->PostCommand("x", 0, 0, 0);
    EXPECT_TRUE(engine_->invalidated.empty());
    TPDAUIEngineCommand c;
    EXPECT_FALSE(engine_->PopCommand(c));

    Rec* shown = Leaf("shown");
    page_->popups.Add(other);
    page_->popups.Add(shown);
    parent->Detach();
    ASSERT_EQ(page_->popups.Count(), 2);
    EXPECT_EQ(page_->popups[0], other);
    EXPECT_EQ(page_->popups[1], shown);
    shown->Detach();
    EXPECT_EQ(page_->popups.Count(), 0);
}

TEST_F(ElementTest, DestroyedElementLeavesNoDanglingReference)
{
    auto doomed = std::make_unique<Rec>();
    page_->AddLeaf(doomed.get());
    page_->hoverElement = doomed.get();
    page_->focusedElement = doomed.get();
    page_->popups.Add(doomed.get());
    doomed->StartTimer();
    page_->leaves.pop_back();
    doomed.reset();
    EXPECT_EQ(page_->hoverElement, nullptr);
    EXPECT_EQ(page_->focusedElement, nullptr);
    EXPECT_TRUE(page_->popups.IsEmpty());
    EXPECT_EQ(page_->runningTimers.Count(), 0);
}

TEST_F(ElementTest, PageDestroyedBeforeItsElementsWithRunningTimers)
{
    auto survivor = std::make_unique<Rec>();
    page_->AddLeaf(survivor.get());
    survivor->StartTimer();
    page_->StartTimer();
    page_.reset(); // its timer list dies here; the element must not reach it later
    EXPECT_EQ(survivor->timerRunning, 0);
    EXPECT_EQ(survivor->page, nullptr);
    survivor.reset();
}

TEST_F(ElementTest, ElementOutsideTheTreeOutlivesItsPage)
{
    // A copy takes the page link without joining the page's tree; the page dies
    // first and the copy's destruction must not reach it.
    Rec* src = Leaf("src");
    auto copy = std::make_unique<Rec>();
    copy->CopyFrom(src);
    copy->timerRunning = 1;
    ASSERT_EQ(copy->page, page_.get());
    EXPECT_TRUE(TPDAUIEngineElementPage::IsLive(page_.get()));
    TPDAUIEngineElementPage* gone = page_.get();
    page_.reset();
    EXPECT_FALSE(TPDAUIEngineElementPage::IsLive(gone));
    copy.reset();
}

TEST_F(ElementTest, CopyFromKeepsIdentity)
{
    Rec* src = Leaf("src", 1, 2, 3, 4);
    src->label = "L";
    src->onCommand = "C";
    src->flex = 2;
    src->foregrounds[3] = 0x123456;
    src->pressed = 1;
    Rec copy;
    copy.tag = "mine";
    copy.numericId = 77;
    copy.CopyFrom(src);
    EXPECT_EQ(copy.id, "src");
    EXPECT_EQ(copy.width, 3);
    EXPECT_EQ(copy.label, "L");
    EXPECT_EQ(copy.onCommand, "C");
    EXPECT_EQ(copy.flex, 2);
    EXPECT_EQ(copy.foregrounds[3], 0x123456u);
    EXPECT_EQ(copy.engine, engine_.get());
    EXPECT_EQ(copy.page, page_.get());
    EXPECT_EQ(copy.tag, "mine");
    EXPECT_EQ(copy.numericId, 77);
    EXPECT_EQ(copy.pressed, 0);
    EXPECT_EQ(copy.parent, nullptr);
    copy.page = nullptr; // not one of the page's elements
}

TEST_F(ElementTest, StatePrecedence)
{
    Rec* b = Leaf("b");
    EXPECT_EQ(b->GetState(), TPDAUIEngineElement::StateNormal);
    b->hover = 1;
    EXPECT_EQ(b->GetState(), TPDAUIEngineElement::StateHover);
    page_->focusedElement = b;
    EXPECT_EQ(b->GetState(), TPDAUIEngineElement::StateFocus);
    b->pressed = 1;
    EXPECT_EQ(b->GetState(), TPDAUIEngineElement::StatePressed);
    b->enabled = 0;
    EXPECT_EQ(b->GetState(), TPDAUIEngineElement::StateDisabled);
}

// ---- page -------------------------------------------------------------------------

TEST_F(ElementTest, PageDefaults)
{
    FlatPage p(engine_.get());
    EXPECT_EQ(p.tag, "page");
    EXPECT_EQ(p.page, &p);
    EXPECT_EQ(p.engine, engine_.get());
    EXPECT_EQ(p.flex, 1);
    EXPECT_EQ(p.fullScreen, 1);
    EXPECT_EQ(p.loaded, 0);
    EXPECT_TRUE(p.replyCommand.name.IsEmpty());
    EXPECT_FALSE(p.IsAnimating());
    p.SetAnimating(true);
    EXPECT_TRUE(p.IsAnimating());
    EXPECT_EQ(p.RequiresOpenGL(), 0);
}

TEST_F(ElementTest, PageLayout)
{
    struct Case {
        int screenW, screenH, maxW, maxH;
        TRectIG expected;
        int fullScreen;
    } cases[] = {
        {480, 800, 300, 5000, TRectIG(90, 0, 390, 800), 0},
        {480, 800, 2048, 5000, TRectIG(0, 0, 480, 800), 1},
        {241, 320, 100, 5000, TRectIG(70, 0, 170, 320), 0},
        {480, 800, 5000, 201, TRectIG(0, 300, 480, 501), 0},
    };
    for (const Case& c : cases) {
        engine_->skinSettings.screenWidth = c.screenW;
        engine_->skinSettings.screenHeight = c.screenH;
        FlatPage p(engine_.get());
        p.maximumWidth = c.maxW;
        p.maximumHeight = c.maxH;
        p.ReapplyBounds();
        EXPECT_EQ(p.needsLayout, 1);
        EXPECT_EQ(p.width, 0); // deferred to the next paint
        p.Paint(nullptr, 0, 0);
        EXPECT_EQ(p.GetScreenRect(), c.expected) << c.maxW << "x" << c.maxH;
        EXPECT_EQ(p.fullScreen, c.fullScreen);
        EXPECT_EQ(p.needsLayout, 0);
    }
    FlatPage closing(engine_.get());
    closing.closing = 1;
    closing.Layout();
    EXPECT_EQ(closing.width, 0);
}

TEST_F(ElementTest, PageAttributes)
{
    struct Case {
        const char* value;
        int transition;
        const char* readBack;
    } cases[] = {{"rtl", 1, "rtl"}, {"fadein", 2, "fadein"}, {"slide", 0, "none"}, {"RTL", 0, "none"}};
    for (const Case& c : cases) {
        page_->SetAttribute("transition", c.value);
        EXPECT_EQ(page_->transition, c.transition) << c.value;
        EXPECT_EQ(page_->GetAttribute("transition"), c.readBack) << c.value;
    }
    page_->SetAttribute("avoidChangeFocus", "true");
    page_->SetAttribute("avoidPreviousPageBackgroundEffect", "True");
    page_->SetAttribute("focusToFirstVisibleElementOnLoad", "true");
    page_->SetAttribute("width", "33"); // element attributes still reach the base
    EXPECT_EQ(page_->GetAttribute("avoidChangeFocus"), "true");
    EXPECT_EQ(page_->GetAttribute("avoidPreviousPageBackgroundEffect"), "false");
    EXPECT_EQ(page_->GetAttribute("focusToFirstVisibleElementOnLoad"), "true");
    EXPECT_EQ(page_->width, 33);
}

TEST_F(ElementTest, EscapeBecomesCancel)
{
    unsigned char handled = 0;
    page_->OnKeyUp(27, &handled, 0);
    ASSERT_EQ(page_->commands.size(), 1u);
    EXPECT_EQ(page_->commands[0].name, "cancel");
    EXPECT_EQ(page_->commands[0].target, page_.get());
    EXPECT_EQ(handled, 1); // counted handled unless OnCommand clears it
    page_->answerHandled = 0;
    handled = 1;
    page_->OnKeyUp(27, &handled, 0);
    EXPECT_EQ(handled, 0);
    handled = 0;
    page_->OnKeyUp(13, &handled, 0);
    EXPECT_EQ(handled, 0);
    EXPECT_EQ(page_->commands.size(), 2u);
}

TEST_F(ElementTest, PageOwnCommandAndRelease)
{
    page_->onCommand = "tapAnywhere";
    unsigned char handled = 0;
    page_->OnMouseUp(5, 5, 0, &handled);
    EXPECT_EQ(handled, 1);
    ASSERT_EQ(page_->commands.size(), 1u);
    EXPECT_EQ(page_->commands[0].name, "tapAnywhere");
    handled = 0;
    page_->OnMouseUp(5, 5, 1, &handled); // secondary release: the element's handling
    EXPECT_EQ(handled, 0);
    page_->answerResult = 1;
    EXPECT_TRUE(page_->RaiseCommand("ask", 0, 0, true)); // the result byte
    page_->answerResult = 0;
    EXPECT_FALSE(page_->RaiseCommand("ask", 0, 0, true));
}

TEST_F(ElementTest, CloseMarksThePage)
{
    engine_->invalidated.clear();
    page_->Close(1);
    EXPECT_EQ(page_->result, 1);
    EXPECT_EQ(page_->closing, 1);
    EXPECT_TRUE(engine_->WasInvalidated(page_.get()));
}

TEST_F(ElementTest, NeedsReload)
{
    TPDAUIEngineSkinSettings& s = engine_->skinSettings;
    EXPECT_FALSE(page_->NeedsReload());
    struct Case {
        void (*change)(TPDAUIEngineSkinSettings&);
        bool onTop;
        bool expected;
        const char* what;
    } cases[] = {
        {[](TPDAUIEngineSkinSettings& x) { x.skinName = "other"; }, false, true, "skin"},
        {[](TPDAUIEngineSkinSettings& x) { x.theme1Name = "dark"; }, false, true, "theme"},
        {[](TPDAUIEngineSkinSettings& x) { x.landscape = 1; }, false, true, "landscape"},
        {[](TPDAUIEngineSkinSettings& x) { x.languageId = 5; }, false, false, "language below"},
        {[](TPDAUIEngineSkinSettings& x) { x.languageId = 5; }, true, true, "language on top"},
        {[](TPDAUIEngineSkinSettings& x) { x.uiScale = 1.5f; }, false, false, "scale 1.5"},
        {[](TPDAUIEngineSkinSettings& x) { x.uiScale = 1.51f; }, false, true, "scale 1.51"},
    };
    for (const Case& c : cases) {
        // The settings hold themes and a stylesheet and are not copied: keep what the cases change.
        const DString skin = s.skinName, theme = s.theme1Name;
        const uint8_t landscape = s.landscape;
        const int language = s.languageId;
        const float scale = s.uiScale;
        c.change(s);
        if (c.onTop)
            engine_->pages.Add(page_.get());
        EXPECT_EQ(page_->NeedsReload(), c.expected) << c.what;
        page_->closing = 1;
        EXPECT_FALSE(page_->NeedsReload()) << c.what; // a closing page never does
        page_->closing = 0;
        engine_->pages.RemoveAll();
        s.skinName = skin;
        s.theme1Name = theme;
        s.landscape = landscape;
        s.languageId = language;
        s.uiScale = scale;
    }
}

TEST_F(ElementTest, ReloadRebuildsOrOnlyRefreshesLandscape)
{
    page_->reloadSuppressed = 1;
    page_->reloadRequested = 1;
    engine_->skinSettings.landscape = 1;
    int id = page_->numericId;
    page_->Reload();
    EXPECT_EQ(page_->landscapeAtLoad, 1);
    EXPECT_EQ(page_->reloadRequested, 1);
    EXPECT_EQ(page_->numericId, id);
    EXPECT_TRUE(page_->commands.empty());

    page_->reloadSuppressed = 0;
    page_->label = "{H2}";
    page_->SetBounds(0, 0, 480, 800);
    page_->Reload();
    EXPECT_EQ(page_->reloadRequested, 0);
    EXPECT_NE(page_->numericId, id); // loaded again: a new number
    EXPECT_EQ(page_->engine, engine_.get());
    EXPECT_EQ(page_->label, "T:{H2}");
    ASSERT_EQ(page_->commands.size(), 1u);
    EXPECT_EQ(page_->commands[0].name, "load");
    EXPECT_EQ(page_->commands[0].target, nullptr);
    EXPECT_EQ(page_->width, 480);
}

TEST_F(ElementTest, IsTopPage)
{
    EXPECT_FALSE(page_->IsTopPage());
    FlatPage other(engine_.get());
    engine_->pages.Add(&other);
    engine_->pages.Add(page_.get());
    EXPECT_TRUE(page_->IsTopPage());
    EXPECT_FALSE(other.IsTopPage());
    Rec* host = Leaf("host");
    FlatPage nested(engine_.get());
    nested.parent = host;
    EXPECT_TRUE(nested.IsTopPage());
    engine_->pages.RemoveAll();
}

// ---- focus and pop-ups ----------------------------------------------------------------

TEST_F(ElementTest, SetFocusNotifiesOldAndNew)
{
    Rec* a = Leaf("a");
    Rec* b = Leaf("b");
    page_->SetFocus(a, false);
    page_->SetFocus(b, false);
    EXPECT_EQ(page_->focusedElement, b);
    std::vector<std::string> setKill = {"set", "kill"};
    EXPECT_EQ(a->focusLog, setKill);
    EXPECT_EQ(b->focusLog, std::vector<std::string>{"set"});
    page_->SetFocus(nullptr, false);
    EXPECT_EQ(page_->focusedElement, nullptr);

    Rec stranger; // not in the page's tree: no focus
    stranger.numericId = 4242;
    page_->SetFocus(&stranger, false);
    EXPECT_EQ(page_->focusedElement, nullptr);
}

TEST_F(ElementTest, AvoidChangeFocusAndClosingBlockSetFocus)
{
    Rec* a = Leaf("a");
    page_->avoidChangeFocus = 1;
    page_->SetFocus(a, false);
    EXPECT_EQ(page_->focusedElement, nullptr);
    page_->SetFocus(a, true);
    EXPECT_EQ(page_->focusedElement, a);
    page_->closing = 1;
    page_->SetFocus(nullptr, true);
    EXPECT_EQ(page_->focusedElement, a);
    page_->closing = 0;
}

TEST_F(ElementTest, FocusNextWrapsAndFocusPreviousFromNothing)
{
    Rec* a = Leaf("a");
    Rec* b = Leaf("b");
    Rec* c = Leaf("c");
    for (Rec* r : {a, b, c})
        r->isFocusable = 1;
    page_->FocusNext();
    EXPECT_EQ(page_->focusedElement, a);
    page_->SetFocus(c, false);
    page_->FocusNext();
    EXPECT_EQ(page_->focusedElement, a); // wraps
    page_->FocusPrevious();
    EXPECT_EQ(page_->focusedElement, c);

    for (void (TPDAUIEngineElementPage::*move)() :
         {&TPDAUIEngineElementPage::FocusPrevious, &TPDAUIEngineElementPage::FocusUp,
          &TPDAUIEngineElementPage::FocusDown}) {
        page_->SetFocus(nullptr, false);
        (page_.get()->*move)();
        EXPECT_EQ(page_->focusedElement, c); // no focus: the last one
    }
    b->visible = 0; // left out of the focus list
    page_->SetFocus(a, false);
    page_->FocusNext();
    EXPECT_EQ(page_->focusedElement, c);
}

TEST_F(ElementTest, SingleFocusableElement)
{
    Rec* other = Leaf("other");
    Rec* only = Leaf("only");
    only->isFocusable = 1;
    // Last entry of the list: every entry is examined, it is reached last and set again.
    page_->SetFocus(only, false);
    only->focusLog.clear();
    page_->FocusNext();
    std::vector<std::string> again = {"kill", "set"};
    EXPECT_EQ(only->focusLog, again);

    // Not the last entry: the search stops on coming back to it; nothing is called.
    page_->leaves = {only, other};
    only->focusLog.clear();
    page_->FocusNext();
    EXPECT_TRUE(only->focusLog.empty());
    EXPECT_EQ(page_->focusedElement, only);

    // Alone at index 0: only FocusNext gives it the focus.
    page_->leaves = {only};
    other->Detach(); // taken out of the tree, as a container does
    page_->SetFocus(nullptr, false);
    page_->FocusPrevious();
    page_->FocusDown();
    EXPECT_EQ(page_->focusedElement, nullptr);
    page_->FocusNext();
    EXPECT_EQ(page_->focusedElement, only);
}

TEST_F(ElementTest, KeysMoveTheFocus)
{
    Rec* a = Leaf("a");
    Rec* b = Leaf("b");
    a->isFocusable = b->isFocusable = 1;
    page_->SetFocus(a, false);
    unsigned char handled = 0, consumed = 0;
    page_->OnKeyDown(39, &handled, &consumed);
    EXPECT_EQ(page_->focusedElement, b);
    EXPECT_EQ(handled, 1);
    EXPECT_EQ(consumed, 1);

    page_->avoidChangeFocus = 1;
    handled = consumed = 0;
    page_->OnKeyDown(37, &handled, &consumed); // arrows held back
    EXPECT_EQ(page_->focusedElement, b);
    EXPECT_EQ(handled, 0);
    page_->OnKeyDown(9, &handled, &consumed);  // Tab is not (a forced move)
    EXPECT_EQ(handled, 1);
    engine_->keysManager.shift = 1;
    page_->OnKeyDown(9, &handled, &consumed);
    engine_->keysManager.shift = 0;
    page_->avoidChangeFocus = 0;
}

TEST_F(ElementTest, PopupsSaveAndRestoreTheFocus)
{
    Rec* button = Leaf("button");
    Rec* list = Leaf("list");
    Rec* menu = Leaf("menu");
    button->isFocusable = list->isFocusable = menu->isFocusable = 1;
    page_->SetFocus(button, false);
    page_->PushPopup(list);
    EXPECT_EQ(list->savedFocusId, button->numericId);
    EXPECT_EQ(page_->focusedElement, list);
    EXPECT_TRUE(list->IsPopup());
    page_->PushPopup(menu);
    EXPECT_EQ(page_->focusedElement, menu);
    page_->CloseAllPopups(); // newest first: the focus ends where it began
    EXPECT_TRUE(page_->popups.IsEmpty());
    EXPECT_EQ(page_->focusedElement, button);

    page_->ClosePopup(list); // not on the stack: the focus is dropped without notice
    EXPECT_EQ(page_->focusedElement, nullptr);
    page_->PushPopup(nullptr); // reported, nothing else
    EXPECT_TRUE(page_->popups.IsEmpty());
}

} // namespace
