#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <string>
#include <vector>

#include "enginelib/base/TFicheroITV.h"
#include "enginelib/draw/IDC.h"
#include "enginelib/draw/TDibIG.h"
#include "support/GoldenImage.h"
#include "support/TestEngine.h"
#include "support/TestPaths.h"
#include "uiengine/core/TPDAUIEngineSkinSettings.h"
#include "uiengine/elements/TPDAUIEngineElementBox.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"
#include "uiengine/elements/TPDAUIEngineElementVScrollBar.h"

namespace {

using Bar = TPDAUIEngineElementVScrollBar;

const TColorIG kInk(0, 0, 255);
const TColorIG kPaper(255, 255, 255);

// A headless engine with the default skin that records the sounds asked for.
class ScrollEngine : public TestEngine {
public:
    explicit ScrollEngine(int w = 480, int h = 800) : TestEngine(w, h)
    {
        skinsFolder = (testpaths::SourceDir() + "/skins").c_str();
        DString name("default"), error;
        loaded = skinSettings.LoadSkin(*this, name, "", "", "", error);
    }
    void PlaySound(const char* name, int flag) override { sounds.push_back(name ? name : ""); }
    void InvalidateElement(TPDAUIEngineElement* element) override
    {
        repainted.push_back(element);
        TestEngine::InvalidateElement(element);
    }
    int HasHardwareMouse() override { return mouse; }
    int HasHardwareMouseTouchScreen() override { return mouse; }

    bool loaded = false;
    int mouse = 1;
    std::vector<std::string> sounds;
    std::vector<TPDAUIEngineElement*> repainted;  // InvalidateElement calls
};

// A list as the scroll bar sees one: a row pitch and an embedded bar.
class FakeList : public TPDAUIEngineElement, public TPDAUIEngineScrollList {
public:
    explicit FakeList(int rowPitch) : pitch(rowPitch) {}
    ~FakeList() override { delete ownBar; }
    void Paint(IDC*, int, int) override {}
    TPDAUIEngineElementVScrollBar* GetListScrollBar() override { return ownBar; }
    int GetRowPitch() override { return pitch; }

    int pitch;
    Bar* ownBar = nullptr;
};

// A parent that records the keys passed on to it.
class KeyParent : public TPDAUIEngineElement {
public:
    void Paint(IDC*, int, int) override {}
    void OnKeyDown(int key, unsigned char*, unsigned char*) override { keys.push_back(key); }
    std::vector<int> keys;
};

// A row of a scrolled list: 40 px high, a command, one colour.
class Row : public TPDAUIEngineElement {
public:
    Row()
    {
        minimumHeight = 40;
        onCommand = "row";
    }
    void Paint(IDC* dc, int x, int y) override
    {
        dc->SetBrush(TColorIG(200, 200, 200));
        dc->SetPen(TColorIG(90, 90, 90));
        dc->Rectangle(x + left, y + top, x + left + width, y + top + height);
    }
};

// A page that records the commands reaching it.
class ListPage : public TPDAUIEngineElementPage {
public:
    explicit ListPage(TPDAUIEngine* e) : TPDAUIEngineElementPage(e) {}
    void OnCommand(TPDAUIEngineCommand& command) override
    {
        commands.push_back(command.name.c_str());
        command.handled = 1;
    }
    std::vector<std::string> commands;
};

std::unique_ptr<TDibIG> Solid(int w, int h, TColorIG c)
{
    auto image = std::make_unique<TDibIG>();
    image->Crea(w, h, 16);
    image->Fill(c);
    return image;
}

class ScrollBarTest : public ::testing::Test {
protected:
    ScrollBarTest() : page(&engine)
    {
        engine.OpenPage(&page);
    }
    ~ScrollBarTest() override
    {
        for (Bar* b : bars) {
            b->parent = nullptr;  // parents of the tests may be gone
            b->Detach();
            delete b;
        }
        engine.pages.RemoveAll();
    }

    // A loaded bar of the mode (its parent may be null), w x h.
    Bar* MakeBar(const char* mode, int w, int h, TPDAUIEngineElement* parent = nullptr)
    {
        Bar* b = new Bar();
        bars.push_back(b);
        b->SetAttribute("scrollmode", mode);
        b->OnLoad(&engine, &page, parent, nullptr, nullptr);
        b->SetBounds(0, 0, w, h);
        return b;
    }
    static void SetRange(Bar* b, int content, int view, int position)
    {
        b->contentHeight = content;
        b->viewHeight = view;
        b->position = position;
    }
    void PaintInto(TDibIG& dib, TPDAUIEngineElement* e, int x = 0, int y = 0)
    {
        IDC* dc = engine.GetDC();
        ASSERT_TRUE(dc->BeginPaintDib(&dib));
        e->Paint(dc, x, y);
        dc->EndPaintDib();
    }
    // First and last row of column x painted in colour c ({-1, -1}: none).
    static std::pair<int, int> Rows(const TDibIG& dib, int x, TColorIG c)
    {
        int first = -1, last = -1;
        for (int y = 0; y < dib.AbsHeight(); ++y)
            if (dib.GetPixel(x, y) == c) {
                if (first < 0)
                    first = y;
                last = y;
            }
        return {first, last};
    }
    void Release(Bar* b, int x, int y)
    {
        unsigned char handled = 0;
        b->OnMouseUp(x, y, 0, &handled);
    }
    void Move(Bar* b, int x, int y)
    {
        unsigned char handled = 0;
        b->OnMouseMove(x, y, 0, &handled, 0, 0);
    }

    ScrollEngine engine;
    ListPage page;
    std::vector<Bar*> bars;
};

// ---- attributes, modes and the compiled form -------------------------------------------

TEST_F(ScrollBarTest, AttributesAndTheirReadBack)
{
    ASSERT_TRUE(engine.loaded);
    struct Case {
        const char* name;
        const char* value;
        const char* readName;
        const char* expected;
    } cases[] = {
        {"showTrackBar", "false", "showTrackBar", "false"},
        {"scrollTrackVisible", "false", "showTrackBar", "false"},
        {"scrollTrackVisible", "True", "showTrackBar", "false"},  // only "true" is true
        {"autoScroll", "true", "autoScroll", "true"},
        {"forId", "lstItems", "forId", "lstItems"},
        {"autoScrollPixelsPerSecond", "120px", "autoScrollPixelsPerSecond", "120"},
        {"iscrollShadowMode", "white", "iscrollShadowMode", "white"},
        {"iscrollShadowMode", "grey", "iscrollShadowMode", "none"},
        {"scrollShowFloating", "true", "showFloating", "true"},
        {"scrollAvoidMarginRescale", "true", "scrollAvoidMarginRescale", "true"},
        {"scrollTimeout", "75", "timerInterval", "75"},
        {"scrollmode", "iscroll", "scrollmode", "auto"},  // nothing in force before loading
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + "=" + c.value);
        Bar b;
        b.SetAttribute(c.name, c.value);
        EXPECT_STREQ(c.expected, b.GetAttribute(c.readName).c_str());
    }

    Bar b;
    b.SetAttribute("smothScroll", "false");
    EXPECT_EQ(0, b.smooth);
    b.SetAttribute("scrollmode", "images");
    b.SetAttribute("scrollmode", "Images");  // unknown words leave the mode
    EXPECT_EQ(Bar::ModeImages, b.configuredMode);

    engine.skinSettings.uiScale = 1.5f;
    b.SetAttribute("scrollMargin", "10");
    b.SetAttribute("scrollMarginTop", "3");
    EXPECT_EQ(4, b.margins.top);
    EXPECT_EQ(15, b.margins.left);
    EXPECT_EQ(15, b.margins.right);
    EXPECT_EQ(15, b.margins.bottom);
}

TEST_F(ScrollBarTest, ModeInForceReadsBack)
{
    struct Case {
        const char* configured;
        int mouse;
        int mode;
        const char* readBack;
    } cases[] = {
        {"auto", 1, Bar::ModeSimpleUpDown, "simpleupdown"},
        {"auto", 0, Bar::ModeSimple, "simple"},
        {"default", 1, Bar::ModeDefault, "default"},
        {"simple", 1, Bar::ModeSimple, "simple"},
        {"simpleupdown", 0, Bar::ModeSimpleUpDown, "simpleupdown"},
        {"iscroll", 1, Bar::ModeIScroll, "iscroll"},
        {"images", 1, Bar::ModeImages, "image"},
        {"defaultSimpleTrackBar", 1, Bar::ModeDefaultSimpleTrackBar, "defaultSimpleTrackBar"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.configured);
        engine.mouse = c.mouse;
        Bar* b = MakeBar(c.configured, 20, 100);
        EXPECT_EQ(c.mode, b->mode);
        EXPECT_STREQ(c.readBack, b->GetAttribute("scrollmode").c_str());
    }
}

// The stock images, width, focus and timer each mode takes from the default skin.
TEST_F(ScrollBarTest, ModeSetUpWithTheDefaultSkin)
{
    ASSERT_TRUE(engine.loaded);
    struct Case {
        const char* mode;
        float scale;
        int minimumWidth;
        int focusable;
        int timer;
        int backgroundKind;
        const char* images;
    } cases[] = {
        {"default", 1.0f, 24, 0, 40, 6, "U u D d I H T F B"},
        {"default", 1.5f, 36, 0, 40, 6, "U u D d I H T F B"},
        {"defaultSimpleTrackBar", 1.0f, 24, 0, 40, 6, "U u D d I H T F B"},
        {"simple", 1.0f, 16, 1, 40, 6, "H T F B"},
        {"simpleupdown", 1.0f, 40, 1, 40, 6, "U u L l D d M m H T F B S"},
        {"simpleupdown", 1.5f, 56, 1, 40, 6, "U u L l D d M m H T F B S"},
        {"iscroll", 1.0f, 8, 1, 50, 0, "L l M m T B R"},
        {"iscroll", 2.0f, 8, 1, 50, 0, "L l M m T B R"},
        {"images", 1.0f, 16, 0, 40, 4, "L l M m"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.mode) + " at " + std::to_string(c.scale));
        engine.skinSettings.uiScale = c.scale;
        Bar* b = MakeBar(c.mode, 20, 100);
        EXPECT_EQ(c.minimumWidth, b->minimumWidth);
        EXPECT_EQ(c.focusable, b->isFocusable);
        EXPECT_EQ(c.timer, b->timerInterval);
        EXPECT_EQ(c.backgroundKind, b->backgrounds[TPDAUIEngineElement::StateNormal].kind);
        const std::pair<char, TDibIG*> images[] = {
            {'U', b->upImage},          {'u', b->upPressedImage},
            {'L', b->upLargeImage},     {'l', b->upLargePressedImage},
            {'D', b->downImage},        {'d', b->downPressedImage},
            {'M', b->downLargeImage},   {'m', b->downLargePressedImage},
            {'I', b->innerImage},       {'H', b->trackHeaderImage},
            {'T', b->trackImage},       {'F', b->trackFooterImage},
            {'B', b->trackBackImage},   {'S', b->trackSimpleImage},
            {'R', b->borderImage},
        };
        std::string loaded;
        for (const auto& image : images)
            if (image.second)
                loaded += loaded.empty() ? std::string(1, image.first)
                                         : std::string(" ") + image.first;
        EXPECT_EQ(c.images, loaded);
    }
}

TEST_F(ScrollBarTest, CompiledFieldsRoundTrip)
{
    Bar* a = MakeBar("iscroll", 8, 100);
    a->SetAttribute("showTrackBar", "false");
    a->SetAttribute("smothScroll", "false");
    a->SetAttribute("autoScroll", "true");
    a->SetAttribute("forId", "lstItems");
    a->SetAttribute("autoScrollPixelsPerSecond", "90");
    a->SetAttribute("scrollAvoidMarginRescale", "true");
    a->SetAttribute("iscrollShadowMode", "black");
    a->SetAttribute("scrollShowFloating", "true");
    a->timerInterval = 35;

    testpaths::TempDir dir;
    const std::string path = dir / "bar.bin";
    {
        TFicheroITV out;
        ASSERT_TRUE(out.Abre(path.c_str(), ITV_MODO_CREACION));
        a->Save(out);
        out.Cierra();
    }
    TFicheroITV in;
    ASSERT_TRUE(in.Abre(path.c_str(), ITV_MODO_LECTURA));
    // The creating code reads the element's mark and tag when the record has them.
    char mark = 0;
    in >> mark;
    if (mark == '*') {
        DString tag;
        in >> tag;
        EXPECT_STREQ("vscrollbar", tag.c_str());
    } else {
        in.Seek(0);
    }
    Bar* b = new Bar();
    bars.push_back(b);
    b->OnLoad(&engine, &page, nullptr, nullptr, &in);
    EXPECT_FALSE(in.Error());
    in.Cierra();

    EXPECT_EQ(0, b->trackVisible);
    EXPECT_EQ(0, b->smooth);
    EXPECT_EQ(1, b->autoScroll);
    EXPECT_EQ(Bar::ModeIScroll, b->configuredMode);
    EXPECT_EQ(Bar::ModeIScroll, b->mode);
    EXPECT_STREQ("lstItems", b->forId.c_str());
    EXPECT_EQ(90, b->autoScrollPixelsPerSecond);
    EXPECT_EQ(1, b->avoidMarginRescale);
    EXPECT_EQ(Bar::ShadowBlack, b->iscrollShadowMode);
    EXPECT_EQ(1, b->scrollShowFloating);
    EXPECT_EQ(50, b->timerInterval);  // iscroll sets its own after the stored one
}

TEST_F(ScrollBarTest, CopyFromPutsTheConfiguredModeInForce)
{
    Bar* a = MakeBar("auto", 20, 100);
    SetRange(a, 900, 300, 120);
    a->step = 7;
    a->forId = "lstItems";
    a->upHeld = 1;
    Bar b;
    b.CopyFrom(a);
    EXPECT_EQ(Bar::ModeAuto, b.mode);  // not the simpleupdown a resolved to
    EXPECT_EQ(Bar::ModeAuto, b.configuredMode);
    EXPECT_EQ(900, b.contentHeight);
    EXPECT_EQ(300, b.viewHeight);
    EXPECT_EQ(120, b.position);
    EXPECT_EQ(7, b.step);
    EXPECT_EQ(1, b.upHeld);
    EXPECT_EQ(a->upLargeImage, b.upLargeImage);
    EXPECT_STREQ("lstItems", b.forId.c_str());
}

TEST_F(ScrollBarTest, ScreenRectStaysWhileTheOwnerScrolls)
{
    Bar* b = MakeBar("simple", 20, 100);
    b->SetBounds(300, 10, 20, 100);
    b->position = 60;
    const TRectIG r = b->GetScreenRect();
    EXPECT_EQ(TRectIG(300, 70, 320, 170), r);
}

// ---- positions -------------------------------------------------------------------------

TEST_F(ScrollBarTest, PositionIsClampedToTheRange)
{
    Bar* b = MakeBar("simple", 20, 100);
    EXPECT_EQ(150, b->contentHeight);  // the defaults
    EXPECT_EQ(50, b->viewHeight);
    const int cases[][2] = {{130, 100}, {100, 100}, {57, 57}, {-5, 0}};
    for (const auto& c : cases) {
        b->position = c[0];
        b->UpdateKineticScroll();
        EXPECT_EQ(c[1], b->position) << c[0];
    }
    SetRange(b, 40, 50, 30);  // everything shows
    b->UpdateKineticScroll();
    EXPECT_EQ(0, b->position);
}

TEST_F(ScrollBarTest, ContainsPointByMode)
{
    struct Case {
        const char* mode;
        int x, y;
        bool inside;
    } cases[] = {
        {"default", 0, 0, true},     {"default", 23, 199, true},  {"default", 24, 10, false},
        {"default", -1, 10, false},  {"simple", 5, 200, false},   {"images", 10, 100, true},
        // iscroll: an 8 px bar, 32 px arrows reaching left of it, 200 px high.
        {"iscroll", 4, 100, true},   {"iscroll", 8, 100, true},   {"iscroll", 9, 100, false},
        {"iscroll", -10, 10, true},  {"iscroll", -10, 100, false}, {"iscroll", -23, 190, true},
        {"iscroll", -24, 10, false}, {"iscroll", -10, 168, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.mode) + " " + std::to_string(c.x) + "," + std::to_string(c.y));
        Bar* b = MakeBar(c.mode, 24, 200);
        if (b->mode == Bar::ModeIScroll)
            b->SetBounds(0, 0, b->minimumWidth, 200);
        EXPECT_EQ(c.inside, b->ContainsPoint(c.x, c.y));
        b->visible = 0;
        EXPECT_FALSE(b->ContainsPoint(c.x, c.y));
    }
}

// ---- classic arrows, thumb and keys ------------------------------------------------------

TEST_F(ScrollBarTest, DefaultArrowsStepAndPlayTheSound)
{
    Bar* b = MakeBar("default", 24, 200);
    SetRange(b, 1000, 200, 100);
    b->OnMouseDown(5, 5, 0, 0, 0);  // the up arrow: the top square
    EXPECT_EQ(90, b->position);
    EXPECT_EQ(1, b->upHeld);
    ASSERT_EQ(1u, engine.sounds.size());
    EXPECT_STREQ(engine.skinSettings.soundClick.c_str(), engine.sounds[0].c_str());
    Release(b, 5, 5);
    EXPECT_EQ(0, b->upHeld);

    b->OnMouseDown(5, 177, 0, 0, 0);  // the down arrow: below 200 - 24
    EXPECT_EQ(100, b->position);
    EXPECT_EQ(1, b->downHeld);
    Release(b, 5, 177);

    b->position = 4;
    b->OnMouseDown(5, 5, 0, 0, 0);
    EXPECT_EQ(0, b->position);  // not below the top
    Release(b, 5, 5);
    b->position = 795;
    b->OnMouseDown(5, 190, 0, 0, 0);
    EXPECT_EQ(800, b->position);
    Release(b, 5, 190);
}

TEST_F(ScrollBarTest, HeldArrowScrollsContinuouslyByTime)
{
    for (float scale : {1.0f, 1.5f}) {
        SCOPED_TRACE(scale);
        engine.skinSettings.uiScale = scale;
        Bar* b = MakeBar("default", 24, 200);
        b->SetAttribute("autoScroll", "true");
        SetRange(b, 1000, 200, 500);
        b->OnMouseDown(5, 5, 0, 0, 0);
        EXPECT_EQ(500, b->position);  // no step at the press
        engine.Advance(500);
        b->UpdateKineticScroll();
        EXPECT_EQ(500 - (int)(30 * scale), b->position);  // 60 px/s
        engine.Advance(500);
        b->UpdateKineticScroll();
        EXPECT_EQ(500 - (int)(60 * scale), b->position);
        Release(b, 5, 5);
        engine.Advance(500);
        b->UpdateKineticScroll();
        EXPECT_EQ(500 - (int)(60 * scale), b->position);

        b->OnMouseDown(5, 190, 0, 0, 0);
        engine.Advance(10000);  // far beyond the end
        b->UpdateKineticScroll();
        EXPECT_EQ(800, b->position);
        Release(b, 5, 190);
    }
}

// The fixed-thumb bar scrolls held arrows while it paints itself; the other
// arrow modes in the owner's update.
TEST_F(ScrollBarTest, WhereHeldArrowsScrollContinuously)
{
    TDibIG dib;
    dib.Crea(40, 200, 32);
    struct Case {
        const char* mode;
        int y;
        int afterUpdate, afterPaint;
    } cases[] = {
        {"defaultSimpleTrackBar", 5, 500, 470},
        {"default", 5, 470, 470},
        {"simpleupdown", 5, 470, 470},
        {"images", 150, 530, 530},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        Bar* b = MakeBar(c.mode, 24, 200);
        b->SetAttribute("autoScroll", "true");
        SetRange(b, 1000, 200, 500);
        b->OnMouseDown(5, c.y, 0, 0, 0);
        engine.Advance(500);
        b->UpdateKineticScroll();
        EXPECT_EQ(c.afterUpdate, b->position);
        PaintInto(dib, b);
        EXPECT_EQ(c.afterPaint, b->position);
        Release(b, 5, c.y);
    }
}

TEST_F(ScrollBarTest, ItemByItemArrowsInAListAndInABox)
{
    FakeList list(40);
    Bar* b = MakeBar("default", 24, 200, &list);
    b->SetAttribute("smothScroll", "false");
    SetRange(b, 1000, 200, 95);
    b->OnMouseDown(5, 5, 0, 0, 0);
    EXPECT_EQ(55, b->position);
    Release(b, 5, 5);
    b->OnMouseDown(5, 190, 0, 0, 0);
    EXPECT_EQ(95, b->position);
    Release(b, 5, 190);

    // In a box: to the tops (less the top padding) of the children.
    TPDAUIEngineElementBox box;
    box.padding.top = 5;
    for (int t : {5, 45, 85, 125, 165, 205, 245}) {
        TPDAUIEngineElementBox* child = new TPDAUIEngineElementBox();
        child->top = t;
        child->height = 40;
        box.children.Add(child);
    }
    box.children[2]->visible = 0;  // not laid out: never a stop
    Bar* c = MakeBar("default", 24, 200, &box);
    c->SetAttribute("smothScroll", "false");
    SetRange(c, 280, 100, 0);
    const int downs[] = {40, 120, 160, 180, 180};  // the last child lies beyond the end
    for (int expected : downs) {
        c->OnMouseDown(5, 190, 0, 0, 0);
        Release(c, 5, 190);
        EXPECT_EQ(expected, c->position);
    }
    const int ups[] = {160, 120, 40, 0, 0};
    for (int expected : ups) {
        c->OnMouseDown(5, 5, 0, 0, 0);
        Release(c, 5, 5);
        EXPECT_EQ(expected, c->position);
    }
    c->parent = nullptr;
}

TEST_F(ScrollBarTest, SimpleUpDownStepsByHalves)
{
    Bar* b = MakeBar("simpleupdown", 40, 200);
    SetRange(b, 1000, 200, 100);
    const int cases[][2] = {{10, 90}, {99, 80}, {100, 90}, {199, 100}};
    for (const auto& c : cases) {
        b->OnMouseDown(20, c[0], 0, 0, 0);
        Release(b, 20, c[0]);
        EXPECT_EQ(c[1], b->position) << "y " << c[0];
    }
    b->OnMouseMove(20, 0, 0, nullptr, 0, 0);  // moves do nothing
    EXPECT_EQ(100, b->position);

    // Without smooth scrolling a list owner moves row by row.
    FakeList list(30);
    Bar* r = MakeBar("simpleupdown", 40, 200, &list);
    r->SetAttribute("smothScroll", "false");
    SetRange(r, 1000, 200, 100);
    r->OnMouseDown(20, 150, 0, 0, 0);
    EXPECT_EQ(130, r->position);
    Release(r, 20, 150);
}

TEST_F(ScrollBarTest, DefaultThumbDragFollowsThePointer)
{
    // Track 200 - 24 - 24 = 152, thumb max(20, 152 x 200 / 1000) = 30, free 122.
    Bar* b = MakeBar("default", 24, 200);
    SetRange(b, 1000, 200, 0);
    b->OnMouseDown(5, 100, 0, 0, 0);
    EXPECT_EQ(1, b->thumbHeld);
    unsigned char handled = 0;
    b->OnMouseMove(5, 161, 0, &handled, 0, 0);  // 61 px: 50 % of the free track
    EXPECT_EQ(400, b->position);
    EXPECT_EQ(1, handled);
    Move(b, 5, 40);  // -60 px: -49 %
    EXPECT_EQ(0, b->position);
    Move(b, 5, 500);
    EXPECT_EQ(800, b->position);
    Release(b, 5, 500);
    EXPECT_EQ(0, b->thumbHeld);
    Move(b, 5, 100);
    EXPECT_EQ(800, b->position);  // released: moves do nothing

    // Without smooth scrolling the position snaps to rows.
    FakeList list(30);
    Bar* r = MakeBar("default", 24, 200, &list);
    r->SetAttribute("smothScroll", "false");
    SetRange(r, 1000, 200, 0);
    r->OnMouseDown(5, 100, 0, 0, 0);
    Move(r, 5, 161);
    EXPECT_EQ(390, r->position);
    Release(r, 5, 161);
}

// A release lets go of whatever the press held (a held arrow left held would
// scroll on by itself once the content grows again). Beyond that it acts only
// while the content is longer than the view: press y cleared, owner repainted.
TEST_F(ScrollBarTest, ClassicReleaseLetsGoAndElseActsOnlyWithARange)
{
    const char* modes[] = {"default", "simpleupdown", "images", "defaultSimpleTrackBar"};
    for (const char* mode : modes)
        for (bool fits : {false, true}) {
            SCOPED_TRACE(std::string(mode) + (fits ? " fits" : " scrolls"));
            TPDAUIEngineElementBox owner;
            owner.OnLoad(&engine, &page, nullptr, nullptr, nullptr);
            Bar* b = MakeBar(mode, 24, 200, &owner);
            SetRange(b, 1000, 200, 100);
            b->upHeld = b->downHeld = b->thumbHeld = 1;
            b->pressY = 37;
            if (fits)
                SetRange(b, 150, 200, 0);
            engine.repainted.clear();
            Release(b, 5, 100);
            EXPECT_EQ(0, b->upHeld + b->downHeld + b->thumbHeld);
            EXPECT_EQ(fits ? 37 : 0, b->pressY);
            EXPECT_EQ(fits ? 0 : 1, (int)std::count(engine.repainted.begin(), engine.repainted.end(), &owner));
            EXPECT_EQ(fits ? 0 : 100, b->position);
            b->parent = nullptr;
        }
}

TEST_F(ScrollBarTest, WheelStepsByMode)
{
    struct Case {
        const char* mode;
        int moved;
    } cases[] = {{"default", 20}, {"images", 20}, {"defaultSimpleTrackBar", 20},
                 {"iscroll", 30}, {"simple", 0},  {"simpleupdown", 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        Bar* b = MakeBar(c.mode, 24, 200);
        SetRange(b, 1000, 200, 100);
        b->OnMouseWheel(0, 0, -120);
        EXPECT_EQ(100 - c.moved, b->position);
        b->OnMouseWheel(0, 0, 120);
        b->OnMouseWheel(0, 0, 120);
        EXPECT_EQ(100 + c.moved, b->position);
        b->visible = 0;
        b->OnMouseWheel(0, 0, 120);
        EXPECT_EQ(100 + c.moved, b->position);
    }
}

TEST_F(ScrollBarTest, KeysStepAndGoOnToTheParent)
{
    KeyParent parent;
    Bar* b = MakeBar("simple", 20, 200, &parent);
    SetRange(b, 1000, 200, 100);
    unsigned char handled = 0;
    b->OnKeyDown(38, &handled, nullptr);
    EXPECT_EQ(90, b->position);
    b->OnKeyDown(40, &handled, nullptr);
    b->OnKeyDown(40, &handled, nullptr);
    EXPECT_EQ(110, b->position);
    b->OnKeyDown(13, &handled, nullptr);
    EXPECT_EQ(0, handled);
    EXPECT_EQ((std::vector<int>{38, 40, 40, 13}), parent.keys);

    b->enabled = 0;
    b->OnKeyDown(38, &handled, nullptr);
    EXPECT_EQ(110, b->position);
    b->parent = nullptr;
}

// Content no longer than the view, zero sizes and a list without rows never move
// anything, never divide by zero.
TEST_F(ScrollBarTest, EmptyRangesAndZeroSizesDoNothing)
{
    const char* modes[] = {"default", "simple", "simpleupdown", "iscroll", "images",
                           "defaultSimpleTrackBar"};
    struct Range {
        int content, view, w, h;
    } ranges[] = {{0, 0, 24, 200}, {100, 200, 24, 200}, {200, 200, 24, 200},
                  {0, 0, 0, 0},    {1000, 0, 0, 0},     {-50, 0, 24, 200}};
    TDibIG dib;
    dib.Crea(60, 240, 32);
    FakeList list(0);
    for (const char* mode : modes)
        for (const Range& r : ranges) {
            SCOPED_TRACE(std::string(mode) + " content " + std::to_string(r.content) + " view " +
                         std::to_string(r.view) + " size " + std::to_string(r.w));
            Bar* b = MakeBar(mode, r.w, r.h, &list);
            SetRange(b, r.content, r.view, 0);
            for (int y : {0, 5, 100, 199}) {
                for (int x : {-10, 0, 5}) {
                    b->OnMouseDown(x, y, 0, 0, 0);
                    Move(b, x, y + 50);
                    engine.Advance(20);
                    Move(b, x, y - 150);
                    Release(b, x, y - 150);
                    b->UpdateKineticScroll();
                }
            }
            b->OnMouseWheel(0, 0, 120);
            unsigned char handled = 0;
            b->OnKeyDown(40, &handled, nullptr);
            PaintInto(dib, b, 10, 10);
            b->UpdateKineticScroll();
            if (r.content <= r.view || r.content <= 0) {
                EXPECT_EQ(0, b->position);
            }
            EXPECT_EQ(0, page.animating);
            page.animating = 0;
            b->parent = nullptr;
        }
}

// Extreme sizes and coordinates stay defined (the sanitizers watch) and keep the
// position in range.
TEST_F(ScrollBarTest, ExtremeValuesStayInRange)
{
    const char* modes[] = {"default", "simple", "simpleupdown", "iscroll", "images",
                           "defaultSimpleTrackBar"};
    struct Range {
        int content, view, position, w, h;
    } ranges[] = {{INT_MAX, INT_MIN, INT_MIN, 24, 200},
                  {INT_MAX, 1, INT_MAX, 24, INT_MAX},
                  {INT_MAX, 0, 5, INT_MAX, INT_MAX}};
    TDibIG dib;
    dib.Crea(40, 60, 32);
    FakeList list(INT_MAX);
    for (const char* mode : modes)
        for (const Range& r : ranges) {
            SCOPED_TRACE(mode);
            Bar* b = MakeBar(mode, r.w, r.h, &list);
            b->step = INT_MAX;
            b->SetAttribute("smothScroll", "false");
            b->padding.top = INT_MIN;
            SetRange(b, r.content, r.view, r.position);
            PaintInto(dib, b, -5, -5);
            for (int y : {INT_MIN, -1, 0, 5, INT_MAX}) {
                b->OnMouseDown(-10, y, 0, 0, 0);
                Move(b, -10, y < 0 ? INT_MAX : INT_MIN);
                Move(b, -10, y);
                engine.Advance(20);
                Release(b, -10, y);
                b->OnMouseWheel(0, 0, y);
                b->UpdateKineticScroll();
                PaintInto(dib, b, 3, 3);
                EXPECT_GE(b->position, 0);
            }
            page.animating = 0;
            b->parent = nullptr;
        }
}

TEST_F(ScrollBarTest, ContentThatShrinksDuringADragIsSafe)
{
    Bar* b = MakeBar("default", 24, 200);
    SetRange(b, 1000, 200, 300);
    b->OnMouseDown(5, 100, 0, 0, 0);
    SetRange(b, 0, 0, 300);  // the list was emptied meanwhile
    Move(b, 5, 150);
    EXPECT_EQ(300, b->position);
    Release(b, 5, 150);

    Bar* k = MakeBar("iscroll", 8, 200);
    SetRange(k, 0, 200, 0);
    k->OnMouseDown(4, 100, 0, 0, 0);  // the thumb of an empty list
    Move(k, 4, 150);
    EXPECT_EQ(0, k->position);
    Release(k, 4, 150);
}

// ---- kinetic scrolling, driven directly -------------------------------------------------

class KineticTest : public ScrollBarTest {
protected:
    KineticTest() : list(40)
    {
        bar = MakeBar("iscroll", 8, 200, &list);
        SetRange(bar, 2000, 200, 0);
    }
    ~KineticTest() override { bar->parent = nullptr; }

    // Steps the flick as the owner's paints do, every frameMs, until it ends;
    // gives the positions seen.
    std::vector<int> Frames(int frameMs, int limit = 1000)
    {
        std::vector<int> seen;
        while (page.animating && limit-- > 0) {
            engine.Advance(frameMs);
            bar->UpdateKineticScroll();
            seen.push_back(bar->position);
        }
        return seen;
    }

    FakeList list;
    Bar* bar;
};

TEST_F(KineticTest, DragStartsBeyondFifteenPixels)
{
    bar->OnMouseDown(-50, 300, 0, 0, 0);
    Move(bar, -50, 290);
    EXPECT_EQ(0, bar->draggingContent);
    Move(bar, -50, 285);  // 15 px: not yet
    EXPECT_EQ(0, bar->draggingContent);
    Move(bar, -50, 284);  // 16 px: the drag begins here
    EXPECT_EQ(1, bar->draggingContent);
    EXPECT_EQ(0, bar->position);
    Move(bar, -50, 274);
    EXPECT_EQ(10, bar->position);
    Move(bar, -50, 294);  // back down: the content follows
    EXPECT_EQ(0, bar->position);
    Move(bar, -50, 294 - 2000);
    EXPECT_EQ(1800, bar->position);  // not beyond the end
}

TEST_F(KineticTest, SlowReleaseSnapsToTheNextRowAtLeastFivePixelsAFrame)
{
    struct Case {
        int moveTo;  // from a press at 300
        int target;
        float velocity;
        std::vector<int> frames;
    } cases[] = {
        {284, 120, 10.0f, {100, 105, 110, 115, 120, 120}},  // finger up: the list moves on
        {316, 80, -10.0f, {90, 85, 80, 80}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.moveTo);
        bar->position = 95;
        bar->OnMouseDown(-50, 300, 0, 0, 0);
        engine.Advance(10);
        Move(bar, -50, c.moveTo);  // the drag begins, nothing moves yet
        engine.Advance(390);      // rests 390 ms: too long for a flick
        Release(bar, -50, c.moveTo);
        EXPECT_EQ(Bar::FlickSnap, bar->flickKind);
        EXPECT_EQ(c.target, bar->flickTarget);
        EXPECT_EQ(c.velocity, bar->velocity);
        EXPECT_EQ(1, page.animating);
        EXPECT_EQ(c.frames, Frames(16));
        EXPECT_EQ(0, page.animating);
        EXPECT_EQ(c.target, bar->position);
    }
}

TEST_F(KineticTest, QuickShortFlickPagesByWholeRows)
{
    // Rows of 40 in a view of 200: four rows on from the press position.
    bar->OnMouseDown(-50, 300, 0, 0, 0);
    engine.Advance(8);
    Move(bar, -50, 284);
    engine.Advance(8);
    Move(bar, -50, 200);  // 84 px
    engine.Advance(4);
    Release(bar, -50, 200);  // 100 px in 20 ms: 50000
    EXPECT_EQ(Bar::FlickPage, bar->flickKind);
    EXPECT_EQ(160, bar->flickTarget);
    EXPECT_EQ(50000.0f, bar->velocity);
    // 16 ms at 5 px/ms is 80 px a frame: 84 + 80 would pass 160.
    EXPECT_EQ((std::vector<int>{160}), Frames(16));

    // Downward without a list owner: a view less 60 back from the press position.
    Bar* b = MakeBar("iscroll", 8, 200);
    SetRange(b, 2000, 200, 1000);
    b->OnMouseDown(-50, 300, 0, 0, 0);
    engine.Advance(10);
    Move(b, -50, 316);
    engine.Advance(10);
    Move(b, -50, 400);
    Release(b, -50, 400);  // 100 px in 20 ms
    EXPECT_EQ(Bar::FlickPage, b->flickKind);
    EXPECT_EQ(1000 - 140, b->flickTarget);
    EXPECT_EQ(-50000.0f, b->velocity);
}

TEST_F(KineticTest, LongFlingRunsToTheEnd)
{
    struct Case {
        int start, moveTo, target;
        float velocity;
    } cases[] = {
        {0, 140, 1800, 10000.0f},  // 160 px in 160 ms: the least long fling speed
        {1800, 460, 0, -10000.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.moveTo);
        bar->position = c.start;
        bar->OnMouseDown(-50, 300, 0, 0, 0);
        engine.Advance(16);
        Move(bar, -50, 300 + (c.moveTo - 300) / 10);
        engine.Advance(144);
        Move(bar, -50, c.moveTo);
        Release(bar, -50, c.moveTo);  // 160 px in 160 ms: 10000
        EXPECT_EQ(Bar::FlickLong, bar->flickKind);
        EXPECT_EQ(c.target, bar->flickTarget);
        EXPECT_EQ(c.velocity, bar->velocity);
        std::vector<int> frames = Frames(20);
        ASSERT_FALSE(frames.empty());
        EXPECT_EQ(c.target, frames.back());
        // 1 px/ms: 20 px a frame until the end.
        EXPECT_EQ(c.start + (c.velocity > 0 ? 144 + 20 : -144 - 20), frames[0]);
    }
}

TEST_F(KineticTest, ReleasesThatStartNoFlick)
{
    struct Case {
        const char* what;
        int releaseX;
        int holdMs;
        int moveTo;
    } cases[] = {
        {"600 ms after the press", -50, 600, 100},
        {"on the bar", 3, 40, 100},
        {"not dragged beyond 15 px", -50, 40, 290},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        bar->position = 500;
        bar->OnMouseDown(-50, 300, 0, 0, 0);
        engine.Advance(c.holdMs - 10);
        Move(bar, -50, 295);
        Move(bar, -50, c.moveTo);
        engine.Advance(10);
        Release(bar, c.releaseX, c.moveTo);
        EXPECT_EQ(Bar::FlickNone, bar->flickKind);
        EXPECT_EQ(0, page.animating);
        EXPECT_EQ(0, bar->pressed);
        EXPECT_EQ(0, bar->draggingContent);
    }
}

TEST_F(KineticTest, PressDuringAFlickOnlyStopsIt)
{
    bar->OnMouseDown(-50, 600, 0, 0, 0);
    engine.Advance(10);
    Move(bar, -50, 580);
    engine.Advance(10);
    Move(bar, -50, 400);
    Release(bar, -50, 400);
    ASSERT_EQ(Bar::FlickLong, bar->flickKind);
    engine.Advance(20);
    bar->UpdateKineticScroll();
    const int stoppedAt = bar->position;

    bar->OnMouseDown(-50, 300, 0, 0, 0);
    EXPECT_EQ(1, bar->pressStoppedFlick);
    EXPECT_EQ(0, page.animating);
    Move(bar, -50, 200);  // a stopping press does not drag
    EXPECT_EQ(stoppedAt, bar->position);
    Release(bar, -50, 200);
    EXPECT_EQ(0, page.animating);
    EXPECT_EQ(0, bar->pressStoppedFlick);
    bar->UpdateKineticScroll();
    EXPECT_EQ(stoppedAt, bar->position);
}

TEST_F(KineticTest, HeldLargeArrowsSpeedUp)
{
    bar->position = 1000;
    bar->OnMouseDown(-10, 10, 0, 0, 0);  // the up arrow, left of the bar
    EXPECT_EQ(1, bar->upHeld);
    EXPECT_EQ(990, bar->position);
    EXPECT_EQ(1, page.animating);
    struct Step {
        int advance;
        int position;
    } steps[] = {{16, 980}, {1900, 970}, {100, 950}, {2900, 930}, {100, 900}};
    for (const Step& s : steps) {
        engine.Advance(s.advance);
        bar->UpdateKineticScroll();  // per paint: 10 px, x 2 from 2 s, x 3 from 5 s
        EXPECT_EQ(s.position, bar->position);
    }
    Release(bar, -10, 10);
    EXPECT_EQ(0, bar->upHeld);
    EXPECT_EQ(0, page.animating);

    bar->OnMouseDown(-10, 195, 0, 0, 0);  // the down arrow
    EXPECT_EQ(910, bar->position);
    Release(bar, -10, 195);
    bar->OnMouseDown(-10, 100, 0, 0, 0);  // between the arrows: the content
    EXPECT_EQ(0, bar->upHeld + bar->downHeld);
    EXPECT_EQ(1, bar->pressed);
    Release(bar, -10, 100);
}

TEST_F(KineticTest, ThumbDragPlacesTheThumbUnderThePointer)
{
    // Track 200, thumb 20 (200 x 200 / 2000), free 180: y - 8 over 180.
    bar->OnMouseDown(4, 98, 0, 0, 0);
    EXPECT_EQ(1, bar->draggingThumb);
    EXPECT_EQ(900, bar->position);  // 50 %
    Move(bar, 4, 188);
    EXPECT_EQ(1800, bar->position);
    Move(bar, 4, -40);
    EXPECT_EQ(0, bar->position);
    Release(bar, 4, -40);
    EXPECT_EQ(0, bar->draggingThumb);
    EXPECT_EQ(0, bar->pressed);
    EXPECT_EQ(Bar::FlickNone, bar->flickKind);
}

// The thumb moves by the pointer's travel from press y, in percent of the free
// track, from the start position; neither is reset by the press.
TEST_F(KineticTest, ThumbMovesFromPressYAndTheStartPosition)
{
    // Track 200, thumb 20, free 180, range 1800; the bar is 8 wide.
    struct Case {
        int startPosition, pressY, pressAt, atPress, moveTo, afterMove;
    } cases[] = {
        {0, 0, 98, 900, 188, 1800},    // (98 - 8) / 180 = 50 %
        {600, 30, 98, 1194, 38, 600},  // 600 + 1800 x 33 %; back at press y + 8: the start
        {1800, 0, 8, 1800, -82, 900},  // -50 % from the end
        {300, -40, 200, 1800, -32, 300},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.startPosition);
        bar->position = 0;
        bar->startPosition = c.startPosition;
        bar->pressY = c.pressY;
        bar->OnMouseDown(4, c.pressAt, 0, 0, 0);
        EXPECT_EQ(1, bar->draggingThumb);
        EXPECT_EQ(c.atPress, bar->position);
        EXPECT_EQ(c.startPosition, bar->startPosition);
        EXPECT_EQ(c.pressY, bar->pressY);
        Move(bar, 4, c.moveTo);
        EXPECT_EQ(c.afterMove, bar->position);
        Release(bar, 4, c.moveTo);
        EXPECT_EQ(0, bar->draggingThumb);
    }
}

TEST_F(KineticTest, FlickStepScalesWithTheUIScale)
{
    engine.skinSettings.uiScale = 1.5f;
    bar->position = 100;
    bar->velocity = 10000.0f;  // 1 px/ms at scale 1
    bar->flickTarget = 1800;
    bar->flickKind = Bar::FlickLong;
    bar->scrollTick = engine.Now();
    page.SetAnimating(true);
    engine.Advance(20);
    bar->UpdateKineticScroll();
    EXPECT_EQ(130, bar->position);
}

// A flick belongs to the bar that started it: another kinetic bar of the same
// page neither moves nor stops it.
TEST_F(KineticTest, AnotherBarsFlickLeavesThisOneAlone)
{
    Bar* other = MakeBar("iscroll", 8, 200);
    SetRange(other, 2000, 200, 700);
    other->flickTarget = 0;  // an old flick of its own
    other->velocity = -10000.0f;

    bar->OnMouseDown(-50, 600, 0, 0, 0);
    engine.Advance(10);
    Move(bar, -50, 580);
    engine.Advance(10);
    Move(bar, -50, 400);
    Release(bar, -50, 400);
    ASSERT_EQ(1, page.animating);
    for (int i = 0; i < 5; ++i) {
        engine.Advance(16);
        other->UpdateKineticScroll();
        bar->UpdateKineticScroll();
    }
    EXPECT_EQ(700, other->position);
    EXPECT_EQ(1, page.animating);
}

// ---- painting -----------------------------------------------------------------------------

// Thumb length and place on the inner track (the simple bar, no images but the
// thumb's own).
TEST_F(ScrollBarTest, ThumbPlacementTable)
{
    auto back = Solid(8, 8, kInk);
    auto grip = Solid(1, 1, kInk);
    auto whole = Solid(8, 24, kInk);  // the iscroll thumb, sliced 6 rows at each end
    struct Case {
        const char* mode;
        float scale;
        int content, view, position;
        int first, last;  // rows painted, -1 none
    } cases[] = {
        {"simple", 1.0f, 1000, 200, 0, 0, 39},
        {"simple", 1.0f, 1000, 200, 400, 79, 118},
        {"simple", 1.0f, 1000, 200, 800, 159, 198},  // one pixel short of the end
        {"simple", 1.5f, 10000, 200, 0, 0, 29},      // the 20 x s minimum
        {"simple", 1.0f, 0, 0, 0, -1, -1},           // nothing to show a share of
        {"iscroll", 1.0f, 1000, 200, 0, 0, 39},
        {"iscroll", 1.0f, 1000, 200, 400, 80, 119},
        {"iscroll", 1.0f, 1000, 200, 800, 160, 199},  // reaches the end exactly
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.mode) + " position " + std::to_string(c.position));
        engine.skinSettings.uiScale = c.scale;
        Bar* b = MakeBar(c.mode, 8, 200);
        b->backgrounds.Edit(TPDAUIEngineElement::StateNormal).kind = 0;
        b->trackHeaderImage = b->trackFooterImage = nullptr;
        b->upLargeImage = b->downLargeImage = nullptr;
        const bool kinetic = b->mode == Bar::ModeIScroll;
        b->trackBackImage = kinetic ? nullptr : back.get();  // iscroll: the whole column
        b->trackImage = kinetic ? whole.get() : grip.get();
        SetRange(b, c.content, c.view, c.position);
        TDibIG dib;
        dib.Crea(8, 200, 32);
        dib.Fill(kPaper);
        PaintInto(dib, b);
        const std::pair<int, int> rows = Rows(dib, 4, kInk);
        EXPECT_EQ(c.first, rows.first);
        EXPECT_EQ(c.last, rows.second);
    }
}

TEST_F(ScrollBarTest, ThumbWithoutImagesIsARectangle)
{
    Bar* b = MakeBar("simple", 10, 200);
    b->trackHeaderImage = b->trackImage = b->trackFooterImage = b->trackBackImage = nullptr;
    b->backgrounds.Edit(TPDAUIEngineElement::StateNormal).kind = 0;
    SetRange(b, 1000, 200, 400);
    TDibIG dib;
    dib.Crea(10, 200, 32);
    dib.Fill(kPaper);
    engine.GetDC()->SetBrush(kInk);
    engine.GetDC()->SetPen(kInk);
    PaintInto(dib, b);
    EXPECT_EQ(std::make_pair(79, 119), Rows(dib, 5, kInk));  // the outline takes row 119
}

TEST_F(ScrollBarTest, SimpleBarShowsItsFocus)
{
    Bar* b = MakeBar("simple", 10, 100);
    b->backgrounds.Edit(TPDAUIEngineElement::StateNormal).kind = 0;
    SetRange(b, 0, 0, 0);  // no thumb
    TDibIG dib;
    dib.Crea(10, 100, 32);
    dib.Fill(kPaper);
    PaintInto(dib, b);
    EXPECT_TRUE(dib.GetPixel(0, 50) == kPaper);
    page.focusedElement = b;
    PaintInto(dib, b);
    EXPECT_TRUE(dib.GetPixel(0, 50) == b->borders[TPDAUIEngineElement::StateFocus].colour);
    EXPECT_TRUE(dib.GetPixel(5, 50) == kPaper);
    page.focusedElement = nullptr;
}

// iscroll shadows: the top strip once the position passes half the border
// image's height, the bottom strip until the end.
TEST_F(ScrollBarTest, IScrollShadowsByPosition)
{
    auto border = std::make_unique<TDibIG>();
    border->Crea(8, 20, 16);
    border->Fill(TColorIG(255, 255, 255));
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 4; ++x)
            border->SetPixel(x, y, TColorIG(0, 0, 0));
    TPDAUIEngineElementBox owner;
    owner.SetBounds(0, 0, 60, 100);
    Bar* b = MakeBar("iscroll", 8, 100, &owner);
    b->SetBounds(52, 20, 8, 60);
    b->borderImage = border.get();
    b->trackImage = b->trackBackImage = nullptr;
    b->upLargeImage = b->downLargeImage = nullptr;
    b->SetAttribute("scrollMargin", "20");
    b->SetAttribute("iscrollShadowMode", "black");
    struct Case {
        int position;
        bool top, bottom;
    } cases[] = {{0, false, true}, {10, false, true}, {11, true, true}, {500, true, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.position);
        SetRange(b, 700, 200, c.position);
        TDibIG dib;
        dib.Crea(60, 100, 32);
        dib.Fill(TColorIG(0, 255, 0));
        PaintInto(dib, b);
        // Strips across the owner: rows 0..9 above the bar's margin, 90..99 below.
        EXPECT_EQ(c.top, dib.GetPixel(5, 5) == TColoresIG::F_Black);
        EXPECT_EQ(c.bottom, dib.GetPixel(5, 95) == TColoresIG::F_Black);
        EXPECT_TRUE(dib.GetPixel(5, 50) == TColorIG(0, 255, 0));
    }
    b->SetAttribute("iscrollShadowMode", "white");
    SetRange(b, 700, 200, 100);
    TDibIG dib;
    dib.Crea(60, 100, 32);
    PaintInto(dib, b);
    EXPECT_TRUE(dib.GetPixel(30, 5) == kPaper);
    b->parent = nullptr;
}

TEST_F(ScrollBarTest, DefaultSimpleTrackBarNeedsBothThumbImages)
{
    struct Case {
        bool track, back, thumb;
    } cases[] = {{true, true, true}, {false, true, false}, {true, false, false}};
    for (const Case& c : cases) {
        Bar* b = MakeBar("defaultSimpleTrackBar", 24, 200);
        SetRange(b, 1000, 200, 400);
        if (!c.track)
            b->trackImage = nullptr;
        if (!c.back)
            b->trackBackImage = nullptr;
        b->trackHeaderImage = b->trackFooterImage = nullptr;
        b->innerImage = nullptr;
        b->backgrounds.Edit(TPDAUIEngineElement::StateNormal).kind = 0;
        TDibIG with, without;
        with.Crea(24, 200, 32);
        with.Fill(kPaper);
        without.Crea(24, 200, 32);
        without.Fill(kPaper);
        PaintInto(with, b);
        b->trackImage = b->trackBackImage = nullptr;
        PaintInto(without, b);
        bool differs = false;
        for (int y = 30; y < 170; ++y)
            differs |= with.GetPixel(12, y) != without.GetPixel(12, y);
        EXPECT_EQ(c.thumb, differs) << c.track << c.back;
        // The arrows are there either way.
        EXPECT_TRUE(without.GetPixel(12, 12) != kPaper);
        EXPECT_TRUE(without.GetPixel(12, 188) != kPaper);
    }
}

// Every mode as the default skin draws it, at position 400 of 1000 in a view of
// 200, side by side at their own widths; the simpleupdown up arrow and the
// iscroll down arrow are held.
TEST_F(ScrollBarTest, GoldenModes)
{
    ASSERT_TRUE(engine.loaded);
    const struct {
        float scale;
        const char* name;
    } runs[] = {{1.0f, "elements/vscrollbar_modes"}, {1.5f, "elements/vscrollbar_modes_scaled"}};
    for (const auto& run : runs) {
        SCOPED_TRACE(run.name);
        engine.skinSettings.uiScale = run.scale;
        TDibIG dib;
        dib.Crea(330, 220, 32);
        dib.Fill(TColorIG(16, 40, 72));
        int x = 10;
        for (const char* mode : {"default", "simple", "simpleupdown", "images",
                                 "defaultSimpleTrackBar"}) {
            Bar* b = MakeBar(mode, 0, 200);
            const int w = b->mode == Bar::ModeImages ? b->upLargeImage->Width() * run.scale
                                                     : b->minimumWidth;
            b->SetBounds(x, 10, w, 200);
            SetRange(b, 1000, 200, 400);
            b->upHeld = b->mode == Bar::ModeSimpleUpDown;
            PaintInto(dib, b);
            x += w + 10;
        }
        // The kinetic bar with its shadows across its owner, at the right.
        TPDAUIEngineElementBox owner;
        owner.SetBounds(240, 0, 90, 220);
        Bar* k = MakeBar("iscroll", 8, 200, &owner);
        k->SetBounds(90 - k->minimumWidth, 10, k->minimumWidth, 200);
        k->SetAttribute("iscrollShadowMode", "black");
        k->SetAttribute("scrollMargin", "10");
        SetRange(k, 1000, 200, 400);
        k->downHeld = 1;
        PaintInto(dib, k, 240, 0);
        k->parent = nullptr;
        EXPECT_TRUE(golden::Matches(dib, run.name));
    }
}

// ---- list binding -------------------------------------------------------------------------

TEST_F(ScrollBarTest, ForIdBindsToAListBox)
{
    FakeList* list = new FakeList(40);
    list->id = "lstItems";
    page.AddChild(list, nullptr, nullptr);
    list->ownBar = new Bar();
    SetRange(list->ownBar, 900, 300, 120);

    Bar* b = MakeBar("simple", 16, 200);
    b->SetAttribute("forId", "lstItems");
    TDibIG dib;
    dib.Crea(16, 200, 32);
    PaintInto(dib, b);  // painting pulls
    EXPECT_EQ(900, b->contentHeight);
    EXPECT_EQ(300, b->viewHeight);
    EXPECT_EQ(120, b->position);
    unsigned char handled = 0;
    b->OnKeyDown(40, &handled, nullptr);  // changes push
    EXPECT_EQ(130, list->ownBar->position);

    // A name that is no list binds nothing.
    Bar* c = MakeBar("simple", 16, 200);
    c->SetAttribute("forId", "nothing");
    SetRange(c, 500, 100, 50);
    PaintInto(dib, c);
    EXPECT_EQ(500, c->contentHeight);
    c->OnKeyDown(40, &handled, nullptr);
    EXPECT_EQ(130, list->ownBar->position);
}

// ---- inside the engine: a kinetic box on the virtual clock -------------------------------

class KineticBoxTest : public ::testing::Test {
protected:
    KineticBoxTest() : page(&engine)
    {
        engine.OpenPage(&page);
        box = new TPDAUIEngineElementBox();
        box->layout = TPDAUIEngineElementBox::LayoutVerticalScroll;
        box->flex = 1;
        page.AddChild(box, nullptr, nullptr);
        for (int i = 0; i < 50; ++i)
            box->AddChild(new Row(), nullptr, nullptr);
        if (box->scrollBar) {
            box->scrollBar->Detach();
            delete box->scrollBar;
        }
        bar = new Bar();
        bar->SetAttribute("scrollmode", "iscroll");
        bar->OnLoad(&engine, &page, box, nullptr, nullptr);
        box->scrollBar = bar;
        page.ReapplyBounds();
        engine.Frame();
        page.commands.clear();
    }
    ~KineticBoxTest() override { engine.pages.RemoveAll(); }

    // Paints every frameMs until the page stops animating; the positions seen.
    std::vector<int> Frames(int frameMs)
    {
        std::vector<int> seen;
        for (int limit = 0; page.animating && limit < 1000; ++limit) {
            engine.Advance(frameMs);
            engine.Frame();
            seen.push_back(bar->position);
        }
        return seen;
    }

    ScrollEngine engine;
    ListPage page;
    TPDAUIEngineElementBox* box = nullptr;
    Bar* bar = nullptr;
};

TEST_F(KineticBoxTest, FlingTravelsAndStopsAtTheEnd)
{
    ASSERT_EQ(2000, bar->contentHeight);
    ASSERT_EQ(800, bar->viewHeight);
    ASSERT_EQ(1, bar->visible);
    ASSERT_EQ(472, bar->left);  // 8 px at the right

    engine.Press(100, 600);
    engine.Advance(32);
    engine.Move(100, 590);
    engine.Advance(32);
    engine.Move(100, 570);  // the drag begins
    engine.Advance(32);
    engine.Move(100, 444);  // 126 px
    engine.Advance(32);
    engine.Move(100, 344);  // 100 px more
    EXPECT_EQ(226, bar->position);
    engine.Release(100, 344);  // 256 px in 128 ms: velocity 20000, 2 px/ms
    EXPECT_EQ(Bar::FlickLong, bar->flickKind);
    EXPECT_EQ(1200, bar->flickTarget);
    EXPECT_TRUE(page.commands.empty());  // the drag did not tap the row

    std::vector<int> frames = Frames(16);
    ASSERT_EQ(31u, frames.size());  // 32 px a frame: 30 frames, then the end
    for (int i = 0; i < 30; ++i)
        EXPECT_EQ(226 + 32 * (i + 1), frames[i]) << i;
    EXPECT_EQ(1200, frames[30]);
    EXPECT_EQ(0, page.animating);

    // A tap is a tap: the row under it raises its command, nothing flicks.
    engine.Advance(500);
    engine.Tap(100, 300, 60);
    EXPECT_EQ((std::vector<std::string>{"row"}), page.commands);
    EXPECT_EQ(0, page.animating);
    EXPECT_EQ(1200, bar->position);
}

TEST_F(KineticBoxTest, PressOnTheContentStopsAFling)
{
    engine.Press(100, 600);
    engine.Advance(10);
    engine.Move(100, 580);
    engine.Advance(10);
    engine.Move(100, 400);
    engine.Release(100, 400);
    ASSERT_EQ(1, page.animating);
    engine.Advance(16);
    engine.Frame();
    const int at = bar->position;
    EXPECT_EQ(180 + 160, at);  // 200 px in 20 ms: 10 px/ms

    engine.Press(100, 300);
    EXPECT_EQ(0, page.animating);
    EXPECT_EQ(1, bar->pressStoppedFlick);
    engine.Advance(50);
    engine.Release(100, 300);
    EXPECT_TRUE(page.commands.empty());  // the stopping press is no tap
    EXPECT_EQ(-99999, engine.lastPointerY);
    EXPECT_EQ(0, page.animating);
    engine.Frame();
    EXPECT_EQ(at, bar->position);
}

// A held arrow keeps the long-press menu of the scrolled box away.
TEST(KineticBoxLongPress, HeldArrowSuppressesTheIndicator)
{
    for (bool onArrow : {true, false}) {
        SCOPED_TRACE(onArrow);
        ScrollEngine engine;
        ListPage page(&engine);
        engine.OpenPage(&page);
        TPDAUIEngineElementBox* box = new TPDAUIEngineElementBox();
        box->layout = TPDAUIEngineElementBox::LayoutVerticalScroll;
        box->flex = 1;
        box->onContextMenuCommand = "menu";
        page.AddChild(box, nullptr, nullptr);
        for (int i = 0; i < 50; ++i)
            box->AddChild(new Row(), nullptr, nullptr);
        if (box->scrollBar) {
            box->scrollBar->Detach();
            delete box->scrollBar;
        }
        Bar* bar = new Bar();
        bar->SetAttribute("scrollmode", "default");
        bar->OnLoad(&engine, &page, box, nullptr, nullptr);
        box->scrollBar = bar;
        page.ReapplyBounds();
        engine.Frame();
        ASSERT_EQ(1, bar->visible);

        const int x = bar->left + 5;
        engine.Press(x, onArrow ? 5 : 400);
        EXPECT_EQ(onArrow ? 1 : 0, bar->upHeld);
        engine.Advance(400);
        EXPECT_EQ(onArrow ? 0 : 1, engine.longPressIndicator);
        engine.Release(x, 5);
        engine.pages.RemoveAll();
    }
}

} // namespace
