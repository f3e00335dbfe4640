// Pointer routing on a recording element tree.
#include <gtest/gtest.h>

#include "test_engine_doubles.h"

namespace {

// Page "pageInput" (800 x 480) holding:
//   btnGo    (100, 100, 100 x 50), onCommand "go"
//   boxCtx   (300, 100, 200 x 200), onContextMenuCommand set per test
//     lblIn  (20, 20, 50 x 50) inside it
//   edtA     (100, 300, 100 x 40), focusable
//   edtB     (250, 300, 100 x 40), focusable
class InputTest : public ::testing::Test {
protected:
    InputTest() : page(&engine, "pageInput", &log)
    {
        btn = page.Add(new RecElement("btnGo", 100, 100, 100, 50, &log));
        btn->onCommand = "go";
        box = page.Add(new RecElement("boxCtx", 300, 100, 200, 200, &log));
        label = box->Add(new RecElement("lblIn", 20, 20, 50, 50, &log));
        edtA = page.Add(new RecElement("edtA", 100, 300, 100, 40, &log));
        edtA->isFocusable = 1;
        edtB = page.Add(new RecElement("edtB", 250, 300, 100, 40, &log));
        edtB->isFocusable = 1;
        engine.OpenPage(&page);
        engine.Advance(1000);
        log.Clear();
    }
    ~InputTest() override { engine.pages.RemoveAll(); }

    int Doubles() const { return log.Count("pageInput:double"); }

    TestEngine engine;
    EventLog log;
    RecPage page;
    RecElement* btn;
    RecElement* box;
    RecElement* label;
    RecElement* edtA;
    RecElement* edtB;
};

TEST_F(InputTest, DoubleClickNeedsUnder250MsAndUnder50ScaledPixels)
{
    struct Case {
        int gap;
        int dx;
        float scale;
        bool doubled;
    } cases[] = {
        {249, 0, 1.0f, true},  {250, 0, 1.0f, false}, {100, 49, 1.0f, true},
        {100, 50, 1.0f, false}, {100, 99, 2.0f, true}, {100, 100, 2.0f, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.gap << " ms, " << c.dx << " px, scale " << c.scale);
        engine.skinSettings.uiScale = c.scale;
        engine.Advance(1000);
        log.Clear();
        engine.Press(600, 400);
        engine.Advance(10);
        engine.Release(600, 400);
        engine.Advance(c.gap - 10);
        engine.Press(600 + c.dx, 400);
        engine.Release(600 + c.dx, 400);
        EXPECT_EQ(c.doubled ? 1 : 0, Doubles());
        if (c.doubled) {
            EXPECT_TRUE(log.Has("pageInput:double " + Num(600 + c.dx) + ",400 " + Num(c.gap)));
        }
    }
}

TEST_F(InputTest, MovedAfterMoreThan15Pixels)
{
    struct Case {
        int dx, dy;
        int moved;
    } cases[] = {{15, 0, 0}, {16, 0, 1}, {0, 15, 0}, {0, -16, 1}, {-15, 15, 0}, {-16, 0, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.dx << "," << c.dy);
        engine.Press(600, 400);
        engine.Move(600 + c.dx, 400 + c.dy);
        EXPECT_EQ(c.moved, engine.moved);
        engine.Release(600 + c.dx, 400 + c.dy);
        engine.Move(600 + 3 * c.dx, 400 + 3 * c.dy);  // not held: no change
        EXPECT_EQ(c.moved, engine.moved);
        engine.Advance(500);
    }
}

TEST_F(InputTest, PressAndReleaseRaiseTheCommandWithRelativeCoordinates)
{
    engine.Tap(110, 120);
    EXPECT_TRUE(log.Has("btnGo:down 10,20 0"));
    EXPECT_TRUE(log.Has("btnGo:up 10,20 0"));
    EXPECT_EQ(1, page.CountReceived("go"));
    EXPECT_EQ(nullptr, page.pressedElement);
    EXPECT_EQ(0, page.busyWithInput);
    EXPECT_EQ(0, engine.pointerDown);

    // Nothing under the pointer: the page takes it.
    engine.Advance(500);
    engine.Tap(700, 20);
    EXPECT_TRUE(log.Has("pageInput:down 700,20 0"));
}

TEST_F(InputTest, LongPressOpensTheContextMenuOfTheNearestAncestor)
{
    struct Case {
        const char* command;
        int hold;
        int moveBy;
        int menus;
    } cases[] = {
        {"showMenu", 601, 0, 1},
        {"showMenu", 600, 0, 0},
        {"showMenu", 900, 16, 0},
        {"empty", 900, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.command << " held " << c.hold << " moved " << c.moveBy);
        box->onContextMenuCommand = c.command;
        engine.Advance(1000);
        page.received.clear();
        log.Clear();
        engine.Press(330, 130);  // on lblIn
        if (c.moveBy) {
            engine.Move(330 + c.moveBy, 130);
            engine.Move(330, 130);
        }
        engine.Advance(300);
        EXPECT_EQ(c.command == std::string("showMenu") && !c.moveBy ? 1 : 0,
                  engine.longPressIndicator);
        engine.Advance(c.hold - 300);
        engine.Release(330, 130);
        EXPECT_EQ(c.menus, page.CountReceived(c.command));
        EXPECT_EQ(c.menus, log.Count("lblIn:context"));
        EXPECT_EQ(0, engine.longPressIndicator);
        EXPECT_EQ(0, engine.longPressArmed);
    }
}

TEST_F(InputTest, IndicatorGoesOffWhenThePressEnds)
{
    box->onContextMenuCommand = "showMenu";
    engine.Press(330, 130);
    engine.Advance(300);
    ASSERT_EQ(1, engine.longPressIndicator);
    // A secondary press in the middle stops the check: the indicator goes off.
    engine.pressKind = 1;
    engine.Advance(60);
    EXPECT_EQ(0, engine.longPressIndicator);
    engine.Release(330, 130, 1);
}

TEST_F(InputTest, PressOutsideAPopupClosesItAndMayStillReachTheElement)
{
    struct Case {
        unsigned char allow;
        bool reaches;
    } cases[] = {{1, true}, {0, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE((int)c.allow);
        RecElement popup("lstPopup", 520, 100, 200, 150, &log);
        RecElement* item = popup.Add(new RecElement("popItem", 10, 10, 100, 30, &log));
        popup.OnLoad(&engine, &page, &page, nullptr, nullptr);
        page.popups.Add(&popup);
        btn->allowMouseDownAfterPopupClose = c.allow;
        log.Clear();

        // Inside: the pop-up's element takes the press, relative to itself.
        engine.Press(540, 125);
        EXPECT_TRUE(log.Has("popItem:down 10,15 0"));
        EXPECT_EQ(item, page.pressedElement);
        EXPECT_EQ(0, engine.popupClosingPress);
        engine.Release(540, 125);
        EXPECT_EQ(1, page.popups.Count());

        // Outside: every pop-up closes first.
        engine.Advance(400);
        log.Clear();
        engine.Press(110, 120);
        EXPECT_EQ(0, page.popups.Count());
        EXPECT_EQ(1, engine.popupClosingPress);
        EXPECT_EQ(c.reaches, log.Has("btnGo:down 10,20 0"));
        EXPECT_EQ(c.reaches ? btn : nullptr, page.pressedElement);
        engine.Release(110, 120);
        engine.Advance(400);
        page.popups.RemoveAll();
    }
}

TEST_F(InputTest, SecondaryPressFocusesButMiddlePressDoesNot)
{
    // The elements do not take the focus themselves: only the engine's routing.
    edtA->passDown = edtB->passDown = false;
    engine.Press(120, 310, 1);
    EXPECT_EQ(edtA, page.focusedElement);
    EXPECT_TRUE(log.Has("edtA:down 20,10 1"));
    engine.Release(120, 310, 1);
    // Unhandled secondary release without a move: context menu.
    EXPECT_EQ(1, log.Count("edtA:context"));

    engine.Advance(400);
    engine.Press(270, 310, 15);
    EXPECT_EQ(edtA, page.focusedElement);
    EXPECT_TRUE(log.Has("edtB:down 20,10 15"));
    engine.Release(270, 310, 15);
    EXPECT_EQ(0, log.Count("edtB:context"));

    // The secondary context menu can be switched off.
    engine.contextMenuOnSecondaryPress = 0;
    engine.Advance(400);
    log.Clear();
    engine.Press(120, 310, 1);
    engine.Release(120, 310, 1);
    EXPECT_EQ(0, log.Count("edtA:up"));
    EXPECT_EQ(0, log.Count("edtA:context"));
}

TEST_F(InputTest, PrimaryPressFocusesAFocusableElement)
{
    engine.Tap(270, 310);
    EXPECT_EQ(edtB, page.focusedElement);
}

TEST_F(InputTest, HoverEntersAndLeaves)
{
    engine.Move(110, 110);
    EXPECT_TRUE(log.Has("btnGo:enter 10,10 0"));
    EXPECT_EQ(btn, page.hoverElement);
    engine.Move(700, 20);
    EXPECT_EQ(1, log.Count("btnGo:leave"));
    EXPECT_EQ(nullptr, page.hoverElement);
    // The move goes to the element under the pointer while nothing is pressed.
    log.Clear();
    engine.Move(120, 110);
    EXPECT_TRUE(log.Has("btnGo:move 20,10 0"));
}

TEST_F(InputTest, HeldElementKeepsGettingMovesOutsideItself)
{
    engine.Press(110, 120);
    log.Clear();
    engine.Move(400, 400);
    EXPECT_TRUE(log.Has("btnGo:move 300,300 0"));
    engine.Release(400, 400);
    EXPECT_EQ(0, page.CountReceived("go"));  // released outside
}

TEST_F(InputTest, WheelAndDoubleClickGoToTheFocusedElement)
{
    page.SetFocus(edtA, false);
    engine.Wheel(130, 320, 120);
    EXPECT_TRUE(log.Has("edtA:wheel 30,20 -120"));
    engine.OnDoubleClick(130, 320, 7, 0);
    EXPECT_TRUE(log.Has("edtA:double 30,20 7"));
}

TEST_F(InputTest, BlockedInputGoesToTheBlockerOnRelease)
{
    static int blockedX, blockedY;
    blockedX = blockedY = -1;
    engine.callbacks.inputBlocked = [](void*, int x, int y) {
        blockedX = x;
        blockedY = y;
    };
    engine.inputBlocked = 1;
    engine.Press(110, 120);
    engine.Move(115, 120);
    engine.Release(110, 120);
    EXPECT_TRUE(log.lines.empty()) << log.Joined();
    EXPECT_EQ(110, blockedX);
    EXPECT_EQ(120, blockedY);
    EXPECT_EQ(0, engine.pointerDown);
}

TEST_F(InputTest, ReleaseHidesTheInputPanelExceptOverATextBox)
{
    engine.sipShown = 1;
    engine.Tap(110, 120);
    EXPECT_EQ(0, engine.sipShown);
}

// ---- Kinetic scroll hand-off ------------------------------------------------------------

// An engine whose "boxList" element is a kinetic scroll box with "barList".
class ScrollEngine : public TestEngine {
public:
    TPDAUIEngineElement* box = nullptr;
    TPDAUIEngineElement* bar = nullptr;
    int mode = 4;
    bool tookGesture = false;

protected:
    TPDAUIEngineElement* VerticalScrollBarOf(TPDAUIEngineElement* e) override
    {
        return e == box ? bar : nullptr;
    }
    int ScrollBarMode(TPDAUIEngineElement*) override { return mode; }
    bool ScrollBarTookGesture(TPDAUIEngineElement*) override { return tookGesture; }
};

class ScrollTest : public ::testing::Test {
protected:
    ScrollTest() : page(&engine, "pageList", &log)
    {
        list = page.Add(new RecElement("boxList", 100, 50, 300, 400, &log));
        row = list->Add(new RecElement("btnRow", 0, 100, 280, 40, &log));
        row->onCommand = "row";
        plain = list->Add(new RecElement("lblRow", 0, 200, 280, 40, &log));
        bar = new RecElement("barList", 280, 0, 20, 400, &log);
        engine.box = list;
        engine.bar = bar;
        engine.OpenPage(&page);
        bar->OnLoad(&engine, &page, list, nullptr, nullptr);
        engine.Advance(1000);
        log.Clear();
    }
    ~ScrollTest() override
    {
        engine.pages.RemoveAll();
        delete bar;
    }

    ScrollEngine engine;
    EventLog log;
    RecPage page;
    RecElement* list;
    RecElement* row;
    RecElement* plain;
    RecElement* bar;
};

TEST_F(ScrollTest, PressOnAPressedRowReachesTheScrollBar)
{
    engine.Press(120, 170);  // row at screen (100, 150)
    EXPECT_TRUE(log.Has("btnRow:down 20,20 0"));
    EXPECT_TRUE(log.Has("barList:down -260,120 0"));  // x relative to the bar
    EXPECT_EQ(50, engine.scrollOriginY);
    engine.Release(120, 170);
}

TEST_F(ScrollTest, OnlyIScrollBarsTakeThePress)
{
    engine.mode = 1;
    engine.Press(120, 170);
    EXPECT_EQ(0, log.Count("barList:down"));
    engine.Release(120, 170);
}

TEST_F(ScrollTest, ARowThatIsNotPressedKeepsThePressToItself)
{
    engine.Press(120, 270);  // lblRow has no command: pressed stays 0
    EXPECT_EQ(0, log.Count("barList:down"));
    engine.Release(120, 270);
}

TEST_F(ScrollTest, UnhandledMovesScrollAndADragMakesTheReleaseFarAway)
{
    engine.Press(120, 170);
    log.Clear();
    engine.Move(120, 120);
    EXPECT_TRUE(log.Has("btnRow:move 20,-30 0"));
    EXPECT_TRUE(log.Has("barList:move 20,70 0"));  // y minus the scroll origin

    engine.tookGesture = true;
    engine.Release(120, 120);
    EXPECT_TRUE(log.Has("barList:up -260,70 0"));  // x relative to the bar
    EXPECT_TRUE(log.Has("btnRow:up 20," + Num(-99999 - 150) + " 0"));
    EXPECT_EQ(0, page.CountReceived("row"));
    EXPECT_EQ(-99999, engine.lastPointerY);

    // A press right after is not a double click.
    engine.Advance(20);
    engine.Press(120, 120);
    EXPECT_EQ(0, log.Count("pageList:double"));
    engine.Release(120, 120);
}

TEST_F(ScrollTest, HandledMovesDoNotScroll)
{
    row->handlesMoves = true;
    engine.Press(120, 170);
    engine.Move(120, 120);
    EXPECT_EQ(0, log.Count("barList:move"));
    engine.Release(120, 170);
}

TEST_F(ScrollTest, DisabledElementReachesTheBarFromAPopupOnly)
{
    // Not in a pop-up: the disabled row keeps the press; a move still scrolls.
    plain->enabled = 0;
    engine.Press(120, 270);
    EXPECT_EQ(0, log.Count("barList:down"));
    engine.Move(120, 250);
    EXPECT_EQ(1, log.Count("barList:move"));
    engine.Release(120, 250);

    // In a pop-up the disabled element's press goes to the bar.
    engine.Advance(500);
    page.popups.Add(list);
    log.Clear();
    engine.Press(120, 270);
    EXPECT_TRUE(log.Has("lblRow:down 20,20 0"));
    EXPECT_TRUE(log.Has("barList:down -260,220 0"));  // x relative to the bar
    engine.Move(120, 250);
    EXPECT_EQ(1, log.Count("barList:move"));
    engine.Release(120, 250);
    page.popups.RemoveAll();
}

} // namespace
