// Focus navigation and pop-ups: the page's focus list and its moves (next,
// previous, table rows), the keys that drive them, SetFocus and its
// notifications, nested pages, pop-ups that take the focus and give it back,
// and the engine's pointer routing around them.
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/TestEngine.h"
#include "uiengine/core/TPDAUIEngineCommand.h"
#include "uiengine/elements/TPDAUIEngineElementBox.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"

namespace {

const int kTab = 9, kShift = 16, kLeft = 37, kUp = 38, kRight = 39, kDown = 40;

typedef std::vector<std::string> Log;

std::string IdOf(TPDAUIEngineElement* e) { return e ? e->id.c_str() : "-"; }

// A box that records its focus notifications; it can send the focus elsewhere
// while losing it, and can report a hide command as a menu does.
class Probe : public TPDAUIEngineElementBox {
public:
    Probe(const char* name, Log* log) : log_(log)
    {
        id = name;
        catchMouseEventsAlways = 1;
    }
    void OnSetFocus(TPDAUIEngineElement* other) override
    {
        log_->push_back("set:" + IdOf(this));
        TPDAUIEngineElementBox::OnSetFocus(other);
        if (passOn)
            GetPage()->SetFocus(passOn, false);
    }
    void OnKillFocus(TPDAUIEngineElement* other) override
    {
        log_->push_back("kill:" + IdOf(this) + ">" + IdOf(other));
        TPDAUIEngineElementBox::OnKillFocus(other);
        if (redirect)
            GetPage()->SetFocus(redirect, false);
    }
    DString GetPopupHideCommand() override { return DString(hide.c_str()); }

    TPDAUIEngineElement* redirect = nullptr;  // focused while this one loses the focus
    TPDAUIEngineElement* passOn = nullptr;    // focused when this one gets it (as a label does)
    std::string hide;

private:
    Log* log_;
};

// A page that records focus changes and the commands reaching it.
class FocusPage : public TPDAUIEngineElementPage {
public:
    FocusPage(TPDAUIEngine* e, Log* log) : TPDAUIEngineElementPage(e), log_(log) {}
    void OnFocusChanged(TPDAUIEngineElement* element) override
    {
        log_->push_back("changed:" + IdOf(element));
    }
    void OnCommand(TPDAUIEngineCommand& command) override
    {
        log_->push_back("command:" + std::string(command.name.c_str()) + "@" + IdOf(command.target));
    }

private:
    Log* log_;
};

// The scroll bar a VerticalScroll box owns, reduced to what focus reads.
class FakeBar : public TPDAUIEngineScrollBarBase {
public:
    FakeBar() { id = "bar"; }
    void Paint(IDC*, int, int) override {}
    bool ContainsPoint(int, int) override { return false; }
    void UpdateKineticScroll() override {}
};

int g_misuse = 0;
void RecordMisuse(int code) { g_misuse = code; }

class FocusTest : public ::testing::Test {
protected:
    FocusTest() : page(&engine, &log)
    {
        engine.OpenPage(&page);
        page.layout = TPDAUIEngineElementBox::LayoutAbsolute;
        log.clear();
    }
    ~FocusTest() override { engine.pages.RemoveAll(); }

    // A probe added to parent: focusable unless told otherwise.
    Probe* Add(TPDAUIEngineElementBox* parent, const char* name, bool focusable = true)
    {
        Probe* p = new Probe(name, &log);
        parent->AddChild(p, nullptr, nullptr);
        p->isFocusable = focusable ? 1 : 0;
        return p;
    }
    Probe* Add(const char* name, bool focusable = true) { return Add(&page, name, focusable); }

    // Children of parent from a list such as "a b- c~ d#": a trailing '-' is
    // not focusable, '~' hidden, '#' disabled.
    void AddRow(TPDAUIEngineElementBox* parent, const std::string& items)
    {
        std::istringstream in(items);
        std::string item;
        while (in >> item) {
            char flag = item.back();
            std::string name = item;
            if (flag == '-' || flag == '~' || flag == '#')
                name.pop_back();
            Probe* p = Add(parent, name.c_str(), flag != '-');
            if (flag == '~')
                p->visible = 0;
            if (flag == '#')
                p->enabled = 0;
        }
    }
    void AddRow(const std::string& items) { AddRow(&page, items); }

    TPDAUIEngineElementBox* Table(TPDAUIEngineElementBox* parent, int columns, int rows, int count,
                                  const char* prefix = "t")
    {
        Probe* table = Add(parent, (std::string(prefix) + "Table").c_str(), false);
        table->layout = TPDAUIEngineElementBox::LayoutTable;
        table->layoutColumns = columns;
        table->layoutRows = rows;
        for (int i = 0; i < count; ++i)
            Add(table, (prefix + std::to_string(i)).c_str());
        return table;
    }

    TPDAUIEngineElement* Find(const std::string& name)
    {
        return name.empty() ? nullptr : page.FindElement(name.c_str(), false);
    }
    std::string Focused() { return page.focusedElement ? page.focusedElement->id.c_str() : ""; }

    TestEngine engine;
    Log log;
    FocusPage page;
};

enum Move { Next, Previous, Up, Down };

void DoMove(TPDAUIEngineElementPage& page, Move move)
{
    switch (move) {
    case Next: page.FocusNext(); break;
    case Previous: page.FocusPrevious(); break;
    case Up: page.FocusUp(); break;
    case Down: page.FocusDown(); break;
    }
}

const char* const kMoveNames[] = {"Next", "Previous", "Up", "Down"};

// ---- the focus list ----

TEST_F(FocusTest, MovesThroughTheListInDocumentOrder)
{
    struct Case {
        const char* items;
        const char* start;  // "" for no focus
        Move move;
        const char* expected;
    } cases[] = {
        {"a b c", "a", Next, "b"},
        {"a b c", "c", Next, "a"},      // wraps to the first
        {"a b c", "a", Previous, "c"},  // wraps to the last
        {"a b c", "c", Previous, "b"},
        {"a b- c~ d# e", "a", Next, "e"},  // not focusable, hidden and disabled are passed over
        {"a b- c~ d# e", "e", Previous, "a"},
        {"a b c", "", Next, "a"},
        {"a b c", "", Previous, "c"},
        {"a b c", "", Up, "c"},
        {"a b c", "", Down, "c"},
        // One focusable element at index 0: only FocusNext finds it.
        {"a", "", Next, "a"},
        {"a", "", Previous, ""},
        {"a", "", Up, ""},
        {"a", "", Down, ""},
        {"a b-", "", Previous, ""},
        // Outside a table, up and down are previous and next.
        {"a b c", "b", Up, "a"},
        {"a b c", "b", Down, "c"},
        // A focused element that left the list: the search starts over.
        {"a b~ c", "b", Next, "a"},
        {"a b~ c", "b", Previous, "c"},
        // Nothing else qualifies: the focus stays.
        {"a b- c-", "a", Next, "a"},
        {"a- b c-", "b", Previous, "b"},
        {"a- b- c-", "", Next, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.items << " from '" << c.start << "' " << kMoveNames[c.move]);
        page.RemoveAllChildren();
        AddRow(c.items);
        page.SetFocus(Find(c.start), false);
        DoMove(page, c.move);
        EXPECT_EQ(c.expected, Focused());
    }
}

TEST_F(FocusTest, SubtreesOfHiddenOrDisabledBoxesAndUnshownCardsAreSkipped)
{
    Probe* a = Add("a");
    Probe* hidden = Add("hidden", false);
    Add(hidden, "h1");
    Probe* off = Add("off", false);
    Add(off, "o1");
    Probe* cards = Add("cards", false);
    cards->layout = TPDAUIEngineElementBox::LayoutCardVertical;
    cards->layoutCardIndex = 1;
    Add(cards, "card0");
    Add(cards, "card1");
    Add("z");
    hidden->visible = 0;
    off->enabled = 0;

    page.SetFocus(a, false);
    std::vector<std::string> seen;
    for (int i = 0; i < 3; ++i) {
        page.FocusNext();
        seen.push_back(Focused());
    }
    EXPECT_EQ((std::vector<std::string>{"card1", "z", "a"}), seen);
}

TEST_F(FocusTest, TheOnlyFocusableElementIsSetAgainOnlyWhenItIsLast)
{
    AddRow("a- b- c");
    page.SetFocus(Find("c"), false);
    log.clear();
    page.FocusNext();
    EXPECT_EQ((Log{"kill:c>c", "set:c", "changed:c"}), log);

    page.RemoveAllChildren();
    AddRow("a b- c-");
    page.SetFocus(Find("a"), false);
    log.clear();
    page.FocusNext();
    EXPECT_TRUE(log.empty());
    EXPECT_EQ("a", Focused());
}

// ---- SetFocus ----

TEST_F(FocusTest, SetFocusNotifiesTheOldTheNewAndThePage)
{
    Probe* a = Add("a");
    Probe* b = Add("b");
    page.SetFocus(a, false);
    EXPECT_EQ((Log{"set:a", "changed:a"}), log);
    EXPECT_TRUE(a->IsFocused());

    log.clear();
    page.SetFocus(b, false);
    EXPECT_EQ((Log{"kill:a>b", "set:b", "changed:b"}), log);

    // Clearing tells only the old element.
    log.clear();
    page.SetFocus(nullptr, false);
    EXPECT_EQ((Log{"kill:b>-"}), log);
    EXPECT_EQ(nullptr, page.focusedElement);

    // An element of another page's tree is no focus here.
    Log otherLog;
    FocusPage stranger(&engine, &otherLog);
    Probe* foreign = new Probe("foreign", &otherLog);
    stranger.OnLoad(&engine, nullptr, nullptr, nullptr, nullptr);
    stranger.AddChild(foreign, nullptr, nullptr);
    page.SetFocus(a, false);
    log.clear();
    page.SetFocus(foreign, false);
    EXPECT_EQ((Log{"kill:a>-"}), log);
    EXPECT_EQ(nullptr, page.focusedElement);
}

TEST_F(FocusTest, FocusSetAgainWhileTheOldElementLosesItWins)
{
    Probe* a = Add("a");
    Probe* b = Add("b");
    Probe* c = Add("c");
    page.SetFocus(a, false);
    a->redirect = c;
    log.clear();
    page.SetFocus(b, false);
    EXPECT_EQ((Log{"kill:a>b", "set:c", "changed:c", "changed:c"}), log);
    EXPECT_EQ(c, page.focusedElement);
}

TEST_F(FocusTest, AvoidChangeFocusAndClosingHoldTheFocus)
{
    Probe* a = Add("a");
    Probe* b = Add("b");
    page.SetFocus(a, false);
    page.avoidChangeFocus = 1;
    page.SetFocus(b, false);
    EXPECT_EQ(a, page.focusedElement);
    page.FocusNext();
    EXPECT_EQ(a, page.focusedElement);
    page.SetFocus(b, true);
    EXPECT_EQ(b, page.focusedElement);

    page.avoidChangeFocus = 0;
    page.closing = 1;
    page.SetFocus(a, true);
    EXPECT_EQ(b, page.focusedElement);
    page.closing = 0;
}

TEST_F(FocusTest, ANestedPageUsesTheFocusAndPopupsOfItsOuterPage)
{
    Probe* a = Add("a");
    Probe* host = Add("host", false);
    Log innerLog;
    FocusPage* inner = new FocusPage(&engine, &innerLog);
    host->AddChild(inner, nullptr, nullptr);  // the host owns it
    Probe* x = Add(inner, "x");
    Probe* y = Add(inner, "y");
    Add("z");

    inner->SetFocus(x, false);
    EXPECT_EQ(x, page.focusedElement);
    EXPECT_EQ(nullptr, inner->focusedElement);
    EXPECT_TRUE(x->IsFocused());

    // One focus list over both trees.
    inner->FocusNext();
    EXPECT_EQ(y, page.focusedElement);
    inner->FocusNext();
    EXPECT_EQ("z", Focused());
    inner->FocusPrevious();
    EXPECT_EQ(y, page.focusedElement);

    // The outer page's avoidChangeFocus holds for the inner page too.
    page.avoidChangeFocus = 1;
    inner->SetFocus(a, false);
    EXPECT_EQ(y, page.focusedElement);
    inner->SetFocus(a, true);
    EXPECT_EQ(a, page.focusedElement);
    page.avoidChangeFocus = 0;

    // Pop-ups go on the outer page's stack.
    inner->PushPopup(x);
    EXPECT_EQ(1, page.popups.Count());
    EXPECT_EQ(0, inner->popups.Count());
    EXPECT_EQ(x, page.focusedElement);
    inner->CloseAllPopups();
    EXPECT_EQ(0, page.popups.Count());
    EXPECT_EQ(a, page.focusedElement);
}

// ---- scrolling boxes ----

TEST_F(FocusTest, AScrollingBoxHandsTheFocusToItsBarOnce)
{
    struct Case {
        bool before;        // the element ahead of the box is focusable
        bool boxFocusable;
        const char* afterBar;
    } cases[] = {
        {true, true, "before"},
        {false, true, "scroll"},
        {false, false, "c0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "before " << c.before << ", box focusable " << c.boxFocusable);
        page.RemoveAllChildren();
        Add("before", c.before);
        Probe* box = new Probe("scroll", &log);
        box->layout = TPDAUIEngineElementBox::LayoutVerticalScroll;
        page.AddChild(box, nullptr, nullptr);
        box->isFocusable = c.boxFocusable;
        delete box->scrollBar;
        FakeBar* bar = new FakeBar();
        box->scrollBar = bar;
        bar->OnLoad(&engine, &page, box, nullptr, nullptr);
        bar->visible = 1;
        bar->isFocusable = 1;
        Add(box, "c0");
        Add(box, "c1");

        page.SetFocus(Find("before"), false);
        page.FocusNext();
        EXPECT_EQ(bar, page.focusedElement);
        page.FocusNext();
        EXPECT_EQ(c.afterBar, Focused());
    }
}

// ---- tables ----

TEST_F(FocusTest, UpAndDownMoveByRowsInATable)
{
    // before, a 3-column table of t0..t6, after.
    struct Case {
        int rows;
        const char* start;
        Move move;
        const char* off;  // a cell made unable to take the focus ("" none)
        const char* expected;
    } cases[] = {
        {2, "t4", Up, "", "t1"},
        {2, "t1", Down, "", "t4"},
        {2, "t1", Up, "", "before"},     // from the first row: previous from the table
        {2, "t4", Down, "", "after"},    // no cell below, last row: on after the last cell
        {3, "t4", Down, "", "t5"},       // no cell below, not the last row: next from here
        {2, "t5", Down, "", "after"},    // the last cell t6 is passed over
        {4, "t5", Down, "", "t6"},
        {3, "t3", Down, "", "t6"},
        {3, "t6", Down, "", "after"},
        {2, "t4", Up, "t1", "t3"},       // the cell above cannot take it: previous
        {2, "t1", Down, "t4", "t2"},     // the cell below cannot take it: next
        {2, "t0", Previous, "", "before"},  // out of the table backwards from its first cell
        {2, "t3", Previous, "", "t2"},
        {2, "t6", Next, "", "after"},
        {2, "", Up, "", "after"},
    };
    for (const Case& c : cases) {
        for (const char* disable : {"visible", "enabled", "isFocusable"}) {
            if (!*c.off && std::string(disable) != "visible")
                continue;
            SCOPED_TRACE(::testing::Message() << "rows " << c.rows << " from " << c.start << " "
                                              << kMoveNames[c.move] << " off " << c.off << " by "
                                              << disable);
            page.RemoveAllChildren();
            Add("before");
            Table(&page, 3, c.rows, 7);
            Add("after");
            if (Probe* off = static_cast<Probe*>(Find(c.off)))
                off->SetAttribute(disable, "false");
            page.SetFocus(Find(c.start), false);
            DoMove(page, c.move);
            EXPECT_EQ(c.expected, Focused());
        }
    }
}

TEST_F(FocusTest, LeavingNestedTablesBackwardsFromTheirFirstCells)
{
    Add("before");
    TPDAUIEngineElementBox* outer = Table(&page, 2, 2, 0, "o");
    TPDAUIEngineElementBox* inner = Table(outer, 2, 2, 2, "i");
    Add(outer, "o1");
    Add("after");
    // Focusable tables are passed over too: the move starts from the outer one.
    outer->isFocusable = 1;
    inner->isFocusable = 1;
    page.SetFocus(inner->children[0], false);
    page.FocusPrevious();
    EXPECT_EQ("before", Focused());
    page.SetFocus(inner->children[1], false);
    page.FocusPrevious();
    EXPECT_EQ("i0", Focused());
}

TEST_F(FocusTest, ATableWithoutColumnsMovesAsAList)
{
    for (int columns : {0, -3}) {
        SCOPED_TRACE(columns);
        page.RemoveAllChildren();
        Add("before");
        Table(&page, columns, 2, 3);
        Add("after");
        struct Step {
            const char* start;
            Move move;
            const char* expected;
        } steps[] = {{"t1", Up, "t0"}, {"t1", Down, "t2"}, {"t0", Previous, "before"}, {"t2", Down, "after"}};
        for (const Step& s : steps) {
            page.SetFocus(Find(s.start), false);
            DoMove(page, s.move);
            EXPECT_EQ(s.expected, Focused()) << s.start << " " << kMoveNames[s.move];
        }
    }
}

// ---- keys ----

TEST_F(FocusTest, ArrowsAndTabMoveTheFocus)
{
    AddRow("a b c");
    Probe* b = static_cast<Probe*>(Find("b"));
    Table(&page, 2, 2, 4);  // table, t0 t1 / t2 t3
    page.SetFocus(Find("a"), false);

    struct Step {
        int key;
        bool shift;
        const char* expected;
    } steps[] = {
        {kRight, false, "b"}, {kLeft, false, "a"},  {kDown, false, "b"},  {kUp, false, "a"},
        {kTab, false, "b"},   {kTab, true, "a"},    {kTab, true, "t3"},   {kUp, false, "t1"},
        {kDown, false, "t3"}, {kLeft, false, "t2"}, {kRight, false, "t3"}, {kTab, false, "a"},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(::testing::Message() << "key " << s.key << (s.shift ? " with shift" : ""));
        if (s.shift)
            engine.KeyDown(kShift);
        EXPECT_TRUE(engine.OnKeyDown(s.key));
        engine.OnKeyUp(s.key);
        if (s.shift)
            engine.KeyUp(kShift);
        EXPECT_EQ(s.expected, Focused());
    }

    // The keys manager keeps the element that took a handled key down.
    page.SetFocus(b, false);
    EXPECT_TRUE(engine.OnKeyDown(kRight));
    EXPECT_EQ(page.focusedElement, page.keyDownElement);
    engine.OnKeyUp(kRight);
}

TEST_F(FocusTest, WithAvoidChangeFocusOnlyTabMoves)
{
    AddRow("a b c");
    page.SetFocus(Find("b"), false);
    page.avoidChangeFocus = 1;
    for (int key : {kLeft, kRight, kUp, kDown}) {
        SCOPED_TRACE(key);
        EXPECT_FALSE(engine.OnKeyDown(key));
        engine.OnKeyUp(key);
        EXPECT_EQ("b", Focused());
    }
    EXPECT_TRUE(engine.OnKeyDown(kTab));
    engine.OnKeyUp(kTab);
    EXPECT_EQ("c", Focused());
    engine.KeyDown(kShift);
    engine.Key(kTab);
    engine.Key(kTab);
    engine.KeyUp(kShift);
    EXPECT_EQ("a", Focused());

    // With no focus at all, Tab finds the first and shift-Tab the last.
    page.SetFocus(nullptr, true);
    engine.Key(kTab);
    EXPECT_EQ("a", Focused());
    page.SetFocus(nullptr, true);
    engine.KeyDown(kShift);
    engine.Key(kTab);
    engine.KeyUp(kShift);
    EXPECT_EQ("c", Focused());
}

TEST_F(FocusTest, TheFirstFocusableShownElementTakesTheFocusOnLoadWhenAsked)
{
    for (bool asked : {true, false}) {
        SCOPED_TRACE(asked);
        Log otherLog;
        FocusPage other(&engine, &otherLog);
        other.OnLoad(&engine, nullptr, nullptr, nullptr, nullptr);
        const char* names[] = {"a", "b", "c", "d"};
        for (const char* name : names)
            other.AddChild(new Probe(name, &otherLog), nullptr, nullptr);
        other.children[1]->isFocusable = 1;  // b, hidden
        other.children[1]->visible = 0;
        other.children[2]->isFocusable = 1;  // c
        other.children[3]->isFocusable = 1;
        other.SetAttribute("focusToFirstVisibleElementOnLoad", asked ? "true" : "false");
        engine.OpenPage(&other);
        EXPECT_EQ(asked ? other.children[2] : nullptr, other.focusedElement);
        engine.pages.Extract(engine.pages.IndexOf(&other));
    }
}

// ---- pop-ups ----

TEST_F(FocusTest, APopupTakesTheFocusAndGivesItBack)
{
    Probe* button = Add("button");
    Probe* list = Add("list");
    page.SetFocus(button, false);
    log.clear();

    page.PushPopup(list);
    EXPECT_EQ(1, page.popups.Count());
    EXPECT_TRUE(list->IsPopup());
    EXPECT_EQ(button->numericId, list->savedFocusId);
    EXPECT_EQ((Log{"kill:button>list", "set:list", "changed:list"}), log);

    log.clear();
    page.ClosePopup(list);
    EXPECT_EQ(0, page.popups.Count());
    EXPECT_EQ((Log{"kill:list>button", "set:button", "changed:button"}), log);
    EXPECT_EQ(button, page.focusedElement);
}

TEST_F(FocusTest, APopupThatCannotTakeTheFocusPassesItToItsFirstActiveFocusableElement)
{
    struct Case {
        const char* items;  // the pop-up's children
        const char* expected;
    } cases[] = {
        {"x- y~ z# w v", "w"},
        {"x- y~ z#", "button"},  // none: the focus stays
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.items);
        page.RemoveAllChildren();
        Probe* button = Add("button");
        Probe* menu = Add("menu", false);
        AddRow(menu, c.items);
        page.SetFocus(button, false);
        page.PushPopup(menu);
        EXPECT_EQ(c.expected, Focused());
        page.ClosePopup(menu);
        EXPECT_EQ(button, page.focusedElement);
    }
}

TEST_F(FocusTest, ClosingAllPopupsNewestFirstEndsWhereTheFocusWasBeforeTheOldest)
{
    Probe* button = Add("button");
    Probe* menu = Add("menu");
    Probe* sub = Add("sub");
    menu->hide = "menuHidden";
    sub->hide = "subHidden";
    page.SetFocus(button, false);
    page.PushPopup(menu);
    page.PushPopup(sub);
    EXPECT_EQ(menu->numericId, sub->savedFocusId);
    EXPECT_EQ(sub, page.focusedElement);
    log.clear();

    page.CloseAllPopups();
    EXPECT_EQ(0, page.popups.Count());
    EXPECT_EQ(button, page.focusedElement);
    EXPECT_EQ((Log{"kill:sub>menu", "set:menu", "changed:menu", "command:subHidden@sub", "kill:menu>button",
                   "set:button", "changed:button", "command:menuHidden@menu"}),
              log);
}

TEST_F(FocusTest, ClosingWithoutAFocusToRestoreClearsItSilently)
{
    Probe* button = Add("button");
    Probe* list = Add("list");
    Probe* menu = Add("menu");
    menu->hide = "menuHidden";

    // Not on the stack: the focus goes without a notification; a menu still
    // reports that it closed.
    page.SetFocus(button, false);
    log.clear();
    page.ClosePopup(menu);
    EXPECT_EQ(nullptr, page.focusedElement);
    EXPECT_EQ((Log{"command:menuHidden@menu"}), log);

    // Nothing had the focus when it opened.
    page.PushPopup(list);
    EXPECT_EQ(0, list->savedFocusId);
    log.clear();
    page.ClosePopup(list);
    EXPECT_EQ(nullptr, page.focusedElement);
    EXPECT_TRUE(log.empty());

    // The element that had the focus is gone.
    Probe* gone = Add("gone");
    page.SetFocus(gone, false);
    page.PushPopup(list);
    page.RemoveChild(gone);
    page.ClosePopup(list);
    EXPECT_EQ(nullptr, page.focusedElement);
}

TEST_F(FocusTest, TheRestoredFocusMayMoveOnButNeverStaysInTheClosedPopup)
{
    // The saved element hands the focus on as it gets it: that counts.
    Probe* caption = Add("caption");
    Probe* target = Add("target");
    Probe* list = Add("list");
    page.SetFocus(caption, false);
    caption->passOn = target;
    page.PushPopup(list);
    page.ClosePopup(list);
    EXPECT_EQ(target, page.focusedElement);

    // The focus forced into the pop-up cannot go back: it goes.
    caption->passOn = nullptr;
    page.SetFocus(caption, false);
    page.avoidChangeFocus = 1;
    page.PushPopup(list);
    EXPECT_EQ(caption, page.focusedElement);
    page.SetFocus(list, true);
    page.ClosePopup(list);
    EXPECT_EQ(nullptr, page.focusedElement);
}

TEST_F(FocusTest, WithAvoidChangeFocusAPopupLeavesTheFocusAlone)
{
    Probe* button = Add("button");
    Probe* list = Add("list");
    page.SetFocus(button, false);
    page.avoidChangeFocus = 1;
    page.PushPopup(list);
    EXPECT_EQ(button, page.focusedElement);
    page.ClosePopup(list);
    EXPECT_EQ(button, page.focusedElement);
}

TEST_F(FocusTest, PopupCallsWithoutAnElementDoNothing)
{
    Probe* button = Add("button");
    Probe* list = Add("list");
    page.SetFocus(button, false);
    page.PushPopup(list);
    log.clear();

    g_misuse = 0;
    TErrorVectoresHandler previous = Set_Error_Vectores_Handler(&RecordMisuse);
    page.PushPopup(nullptr);
    EXPECT_EQ(16, g_misuse);
    g_misuse = 0;
    page.ClosePopup(nullptr);
    EXPECT_EQ(0, g_misuse);
    Set_Error_Vectores_Handler(previous);

    EXPECT_EQ(1, page.popups.Count());
    EXPECT_EQ(list, page.focusedElement);
    EXPECT_TRUE(log.empty());

    // With no pop-up open, closing them all changes nothing.
    page.ClosePopup(list);
    log.clear();
    page.CloseAllPopups();
    EXPECT_EQ(button, page.focusedElement);
    EXPECT_TRUE(log.empty());
}

TEST_F(FocusTest, APopupPushedAgainKeepsOneEntryAndItsSavedFocus)
{
    Probe* button = Add("button");
    Probe* menu = Add("menu");
    Probe* sub = Add("sub");
    page.SetFocus(button, false);
    page.PushPopup(menu);
    page.PushPopup(sub);
    page.PushPopup(menu);  // again, while open: it becomes the newest
    ASSERT_EQ(2, page.popups.Count());
    EXPECT_EQ(sub, page.popups[0]);
    EXPECT_EQ(menu, page.popups[1]);
    EXPECT_EQ(button->numericId, menu->savedFocusId);

    // Removing it from the tree leaves no entry behind: detaching a pop-up
    // empties the stack.
    page.RemoveChild(menu);
    EXPECT_EQ(0, page.popups.Count());
    page.CloseAllPopups();
    EXPECT_EQ(0, page.popups.Count());
}

// ---- the engine's pointer routing ----

class PointerFocusTest : public FocusTest {
protected:
    PointerFocusTest()
    {
        button = Add("button");
        button->SetBounds(10, 10, 100, 40);
        field = Add("field");
        field->SetBounds(10, 100, 100, 40);
        menu = Add("menu", false);
        menu->SetBounds(300, 10, 200, 200);
        menu->hide = "menuHidden";
        menu->layout = TPDAUIEngineElementBox::LayoutAbsolute;
        item = Add(menu, "item");
        item->SetBounds(0, 0, 200, 40);
        sub = Add("sub", false);
        sub->SetBounds(520, 10, 200, 100);
        sub->hide = "subHidden";
        sub->layout = TPDAUIEngineElementBox::LayoutAbsolute;
        subItem = Add(sub, "subItem");
        subItem->SetBounds(0, 0, 200, 40);
        page.SetBounds(0, 0, 800, 480);
        page.needsLayout = 0;
        page.SetFocus(button, false);
        log.clear();
    }
    void Click(int x, int y, int kind = 0)
    {
        engine.Press(x, y, kind);
        engine.Release(x, y, kind);
    }
    std::vector<std::string> Commands()
    {
        std::vector<std::string> out;
        for (const std::string& line : log)
            if (line.compare(0, 8, "command:") == 0)
                out.push_back(line);
        return out;
    }

    Probe* button;
    Probe* field;
    Probe* menu;
    Probe* item;
    Probe* sub;
    Probe* subItem;
};

TEST_F(PointerFocusTest, APressInsideAPopupKeepsItOpenAndFocusesWhatItHits)
{
    page.PushPopup(menu);
    EXPECT_EQ(item, page.focusedElement);
    page.PushPopup(sub);
    EXPECT_EQ(subItem, page.focusedElement);
    Click(310, 20);  // on the older pop-up's item
    EXPECT_EQ(2, page.popups.Count());
    EXPECT_EQ(item, page.focusedElement);
}

TEST_F(PointerFocusTest, APressOutsideThePopupsClosesThemAll)
{
    struct Case {
        int x, y;
        bool allow;  // the hit element's allowMouseDownAfterPopupClose
        const char* focus;
    } cases[] = {
        {700, 400, true, "button"},  // on no element: the focus goes back
        {20, 110, true, "field"},    // on a focusable element that may take the press
        {20, 110, false, "button"},  // on one that may not
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.x << "," << c.y << " allow " << c.allow);
        engine.Advance(300);  // no double click
        field->allowMouseDownAfterPopupClose = c.allow;
        page.SetFocus(button, false);
        page.PushPopup(menu);
        page.PushPopup(sub);
        log.clear();
        engine.Press(c.x, c.y);
        EXPECT_EQ(0, page.popups.Count());
        EXPECT_EQ(1, engine.popupClosingPress);
        EXPECT_EQ((std::vector<std::string>{"command:subHidden@sub", "command:menuHidden@menu"}), Commands());
        EXPECT_EQ(c.focus, Focused());
        engine.Release(c.x, c.y);
    }
}

TEST_F(PointerFocusTest, ASecondaryPressFocusesAndLeavesThePopupsOpen)
{
    page.PushPopup(menu);
    Click(20, 110, 1);
    EXPECT_EQ(field, page.focusedElement);
    EXPECT_EQ(1, page.popups.Count());
}

} // namespace
