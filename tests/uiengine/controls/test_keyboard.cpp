// The on-screen keyboard: the grid of each view, allowed characters, capitals,
// commands reaching the page, repeat timing, rebuilds from a key's own
// command, and a page where keys edit a text box.
#include "label_button_fixture.h"

#include "enginelib/draw/TDibIG.h"
#include "support/GoldenImage.h"
#include "uiengine/controls/RegisterTextBoxAndKeyboard.h"
#include "uiengine/controls/TPDAUIEngineElementKeyboardBox.h"
#include "uiengine/elements/TPDAUIEngineElementFactory.h"
#include "uiengine/controls/TPDAUIEngineElementTextBox.h"

namespace {
using namespace controls;
using Keyboard = TPDAUIEngineElementKeyboardBox;
using Button = TPDAUIEngineElementButton;

class KeyboardTest : public ControlTest {
protected:
    Keyboard* Make(const std::string& attributes = "")
    {
        Keyboard* k = Add<Keyboard>("<keyboardbox left=\"0\" top=\"200\" width=\"800\" height=\"280\" " + attributes +
                                    "/>");
        Layout();
        return k;
    }
    // The character keys of the current view, in order.
    static std::vector<Button*> Keys(Keyboard* k)
    {
        std::vector<Button*> out;
        for (int i = 0; i < k->keysBox->children.Count(); ++i) {
            TPDAUIEngineElement* c = k->keysBox->children[i];
            if (auto* b = dynamic_cast<Button*>(c))
                out.push_back(b);
            else if (auto* row = dynamic_cast<TPDAUIEngineElementBox*>(c))
                for (int j = 0; j < row->children.Count(); ++j)
                    if (auto* rb = dynamic_cast<Button*>(row->children[j]))
                        out.push_back(rb);
        }
        return out;
    }
    static std::string Labels(Keyboard* k)
    {
        std::string s;
        for (Button* b : Keys(k))
            s += b->label.c_str();
        return s;
    }
};

TEST_F(KeyboardTest, EachViewBuildsItsGrid)
{
    struct Case {
        const char* view;
        bool landscape;
        int columns, rows;
        const char* labels;
        bool capitalShown;
        int rowBoxes;
    } cases[] = {
        {"@ABCDEFGHIJKLMNOPQRSTUVWXYZ", true, 10, 3, "ABCDEFGHIJKLMNOPQRSTUVWXYZ", true, 0},
        {"@ABCDEFGHIJKLMNOPQRSTUVWXYZ", false, 7, 4, "ABCDEFGHIJKLMNOPQRSTUVWXYZ", true, 0},
        {"@QWERTYUIOP ASDFGHJKL ZXCVBNM", true, 1, 3, "QWERTYUIOPASDFGHJKLZXCVBNM", true, 3},
        {"@AZERTYUIOP QSDFGHJKLM WXCVBN", true, 1, 3, "AZERTYUIOPQSDFGHJKLMWXCVBN", true, 3},
        {"#7894561230-+", true, 3, 4, "7894561230-+", false, 0},
        {"!0123456789-.,;=?", true, 9, 4, "0123456789-.,;=?", false, 0},
        {"!0123456789-.,;=?", false, 8, 4, "0123456789-.,;=?", false, 0},
        {"#123456789012345678", true, 4, 5, "123456789012345678", false, 0},  // grows to hold every key
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.view);
        page.RemoveAllChildren();
        Keyboard* k = Make();
        k->landscape = c.landscape;
        k->SetViews(c.view);
        k->BuildView(0);
        EXPECT_EQ(c.columns, k->keysBox->layoutColumns);
        EXPECT_EQ(c.rows, k->keysBox->layoutRows);
        EXPECT_EQ(c.labels, Labels(k));
        EXPECT_EQ(c.capitalShown, k->capitalKey->visible != 0);
        if (c.rowBoxes) {
            ASSERT_EQ(c.rowBoxes, k->keysBox->children.Count());
            auto* first = dynamic_cast<TPDAUIEngineElementBox*>(k->keysBox->children[0]);
            ASSERT_NE(nullptr, first);
            EXPECT_EQ(10, first->layoutColumns);
        }
    }
}

TEST_F(KeyboardTest, DefaultViewsAndKeyboardTypes)
{
    struct Case {
        int type;
        std::vector<std::string> views;
    } cases[] = {
        {-1, {"@ABC", "@QWE", "@AZE", "#789", "!012"}},
        {0, {"@ABC", "#789", "!012"}},
        {1, {"@QWE", "#789", "!012"}},
        {2, {"@AZE", "#789", "!012"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        Keyboard k;
        k.keyboardType = c.type;
        k.SetViews(Keyboard::kDefaultViews);
        std::vector<std::string> got;
        for (int i = 0; i < k.views.Count(); ++i)
            got.push_back(std::string(k.views[i]->c_str(), 4));
        EXPECT_EQ(c.views, got);
    }
    Keyboard k;
    k.SetViews("@AB|#0123456789");
    ASSERT_EQ(2, k.views.Count());
    EXPECT_STREQ("#7894561230-+", k.views[1]->c_str());
}

TEST_F(KeyboardTest, AllowedCharactersDisableOtherKeys)
{
    Keyboard* k = Make();
    k->SetViews("#7894561230-+");
    k->BuildView(0);
    k->SetAllowedCharacters("123");
    for (Button* b : Keys(k)) {
        const std::string l = b->label.c_str();
        EXPECT_EQ(l == "1" || l == "2" || l == "3", b->enabled != 0) << l;
    }
    EXPECT_FALSE(k->spaceKey->enabled);
    k->SetAllowedCharacters("*");
    for (Button* b : Keys(k))
        EXPECT_TRUE(b->enabled);
    EXPECT_TRUE(k->spaceKey->enabled);
    // A lower-case key is allowed by its upper-case form.
    k->SetViews("@ABC");
    k->capitalKey->pressed = 0;
    k->BuildView(0);
    k->SetAllowedCharacters("B");
    std::vector<Button*> keys = Keys(k);
    ASSERT_EQ(3u, keys.size());
    EXPECT_STREQ("b", keys[1]->label.c_str());
    EXPECT_TRUE(keys[1]->enabled);
    EXPECT_FALSE(keys[0]->enabled);
}

TEST_F(KeyboardTest, FocusLeavesAKeyThatBecomesDisabled)
{
    struct Case {
        const char* allowed;
        const char* focusedAfter;  // label of the focused key; empty: no key
    } cases[] = {{"15", "1"}, {"5", "5"}, {"3", "3"}, {"*", "3"}, {"", ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.allowed);
        page.RemoveAllChildren();
        Keyboard* k = Make();
        k->SetViews("#12345");
        k->BuildView(0);
        page.SetFocus(Keys(k)[2], true);
        ASSERT_EQ(Keys(k)[2], page.focusedElement);
        k->SetAllowedCharacters(c.allowed);
        std::string focused;
        for (Button* b : Keys(k))
            if (b == page.focusedElement)
                focused = b->label.c_str();
        EXPECT_EQ(c.focusedAfter, focused);
    }
}

TEST_F(KeyboardTest, KeyPressReachesThePageAsKeyAndCode)
{
    Keyboard* k = Make();
    k->SetViews("@ABC");
    k->BuildView(0);
    std::vector<Button*> keys = Keys(k);
    ASSERT_EQ(3u, keys.size());
    keys[0]->Click();
    keys[0]->ReleaseClick();
    k->capitalKey->Click();
    k->capitalKey->ReleaseClick();  // capitals off: labels and codes follow
    keys = Keys(k);
    keys[2]->Click();
    keys[2]->ReleaseClick();
    k->spaceKey->Click();
    k->spaceKey->ReleaseClick();
    std::vector<std::string> names;
    for (const std::string& n : page.Names())
        if (n != "unkey")
            names.push_back(n);
    EXPECT_EQ((std::vector<std::string>{"key65", "key99", "space"}), names);
}

TEST_F(KeyboardTest, ChangeViewCyclesAndLabelsTheNextView)
{
    Keyboard* k = Make();
    k->SetViews("@ABCD|#7894561230-+|!0123");
    k->BuildView(0);
    EXPECT_STREQ("123 ", k->changeViewKey->label.c_str());
    const char* expected[] = {"!#@", "abc", "123 "};
    for (const char* label : expected) {
        TPDAUIEngineCommand c(k->changeViewKey, "changeview");
        k->OnCommand(c);
        EXPECT_STREQ(label, k->changeViewKey->label.c_str());
    }
    EXPECT_EQ(0, k->currentView);
    EXPECT_TRUE(page.raised.empty());  // consumed
}

TEST_F(KeyboardTest, RepeatTimingOnAHeldKey)
{
    Keyboard* k = Make();
    Button* key = Keys(k).front();
    key->pressed = 1;
    key->timerInterval = 10;
    std::vector<int> seen;
    for (int i = 0; i < 3; ++i) {
        TPDAUIEngineCommand c(key, key->onCommand.c_str());
        k->OnCommand(c);
        seen.push_back(key->timerInterval);
    }
    EXPECT_EQ((std::vector<int>{500, 50, 50}), seen);
    TPDAUIEngineCommand up(key, "unkey");
    k->OnCommand(up);
    EXPECT_EQ(10, key->timerInterval);
}

TEST_F(KeyboardTest, NoViewsBuildsNothing)
{
    for (const char* text : {"", "|", "||"}) {
        SCOPED_TRACE(text);
        page.RemoveAllChildren();
        Keyboard* k = Make();
        k->SetViews(text);
        EXPECT_EQ(0, k->views.Count());
        k->BuildView(0);
        k->ShowLetterView();
        k->ShowNumbersView();
        k->ShowSymbolsView();
        k->NextLetterView();
        k->ToggleNumbersView();
        TPDAUIEngineCommand c(k->changeViewKey, "changeview");
        k->OnCommand(c);
        EXPECT_TRUE(Keys(k).empty());
        EXPECT_FALSE(k->changeViewKey->visible);
    }
    Keyboard* k = Make();
    k->SetViews("@AB||#12");
    EXPECT_EQ(2, k->views.Count());
}

TEST_F(KeyboardTest, NextLetterAndToggleNumbersViews)
{
    Keyboard* k = Make();
    k->SetViews("@ABC|#12|@QWERTY|!?");
    k->BuildView(0);
    const std::vector<std::pair<const char*, int>> steps = {{"next", 2}, {"next", 0}, {"toggle", 1},
                                                            {"toggle", 2}, {"toggle", 1}};
    for (const auto& s : steps) {
        if (std::string(s.first) == "next")
            k->NextLetterView();
        else
            k->ToggleNumbersView();
        EXPECT_EQ(s.second, k->currentView) << s.first;
    }
    // The page's "refreshkeys" stays in the keyboard.
    TPDAUIEngineCommand refresh(k, "refreshkeys");
    k->OnCommand(refresh);
    EXPECT_TRUE(page.raised.empty());
}

// Language 14 shows its extra alphabet as the letter view; others the last letter view.
TEST_F(KeyboardTest, LetterViewOfLanguage14PrefersTheExtraAlphabet)
{
    struct Case {
        int language;
        const char* views;
        int expected;
    } cases[] = {
        {0, "@QWERTY|@\xC0\xC1\xC2|#12|@ABCDEF", 3},
        {14, "@QWERTY|@\xC0\xC1\xC2|#12|@ABCDEF", 1},
        {14, "@QWERTY|#12|@AZERTY", 2},  // no extra alphabet: the last letter view
        {14, "#12|!?", 0},               // no letter view: stays where it is
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.views);
        engine.skinSettings.languageId = c.language;
        Keyboard* k = Make();
        k->SetViews(c.views);
        k->BuildView(0);
        k->ShowLetterView();
        EXPECT_EQ(c.expected, k->currentView) << "language " << c.language;
        page.RemoveAllChildren();
    }
    engine.skinSettings.languageId = 0;
}

// The page rebuilds the keyboard while the pressed key's command is running.
TEST_F(KeyboardTest, RebuildDuringAKeysOwnCommand)
{
    Keyboard* k = Make();
    int rebuilds = 0;
    page.onCommand = [&](TPDAUIEngineCommand& c) {
        if (CDString(c.name.c_str()).c_str()[0] == 'k' && c.name != "key0") {
            k->Rebuild();
            ++rebuilds;
        }
    };
    for (int round = 0; round < 3; ++round) {
        Button* key = Keys(k).front();
        key->Click();
        key->ReleaseClick();
    }
    EXPECT_EQ(3, rebuilds);
}

// Scripted taps on the keyboard's keys edit the text box of the page.
TEST_F(KeyboardTest, DemoPageKeysEditTheTextBox)
{
    auto* box = Add<TPDAUIEngineElementTextBox>("<textbox left=\"0\" top=\"0\" width=\"300\" height=\"40\"/>");
    Keyboard* k = Make();
    page.onCommand = [&](TPDAUIEngineCommand& c) {
        const std::string n = c.name.c_str();
        if (n.compare(0, 3, "key") == 0) {
            unsigned char handled = 0, consumed = 0;
            box->OnKeyPress(std::atoi(n.c_str() + 3), &handled, &consumed, 0);
        } else if (n == "space") {
            box->InsertText(" ");
        } else if (n == "back") {
            unsigned char handled = 0, consumed = 0;
            box->OnKeyDown(8, &handled, &consumed);
        }
    };
    auto Tap = [&](const std::string& label) {
        for (Button* b : Keys(k))
            if (label == b->label.c_str()) {
                b->Click();
                b->ReleaseClick();
                return;
            }
        ADD_FAILURE() << "no key " << label;
    };
    k->SetViews(Keyboard::kDefaultViews);
    k->BuildView(0);
    for (const char* l : {"H", "I", "X"})
        Tap(l);
    k->backKey->Click();
    k->backKey->ReleaseClick();
    k->spaceKey->Click();
    k->spaceKey->ReleaseClick();
    TPDAUIEngineCommand numbers(k->changeViewKey, "changeview");
    for (int i = 0; i < 3; ++i)
        k->OnCommand(numbers);  // to the digits view
    Tap("4");
    Tap("2");
    EXPECT_STREQ("HI 42", box->value.c_str());
}

// The same from skin XML through the element factory, with taps on the
// headless engine's screen.
TEST_F(KeyboardTest, DemoPageFromSkinXmlTappedOnScreen)
{
    RegisterLabelAndButtonElements(&TPDAUIEngineElementFactory::RegisterTag);
    RegisterTextBoxAndKeyboardElements(&TPDAUIEngineElementFactory::RegisterTag);
    auto* box = Add<TPDAUIEngineElementBox>(
        "<box left=\"0\" top=\"0\" width=\"800\" height=\"480\" layout=\"Vertical\">"
        "<textbox id=\"txtValue\" onCommandValueChanged=\"textboxchanged\"/>"
        "<keyboardbox id=\"kbdKeyboardBox\" view=\"#\" flex=\"1\"/></box>");
    Layout();
    auto* text = dynamic_cast<TPDAUIEngineElementTextBox*>(box->FindElement("txtValue", false));
    auto* k = dynamic_cast<Keyboard*>(box->FindElement("kbdKeyboardBox", false));
    ASSERT_TRUE(text && k);
    page.onCommand = [&](TPDAUIEngineCommand& c) {
        const std::string n = c.name.c_str();
        unsigned char handled = 0, consumed = 0;
        if (n.compare(0, 3, "key") == 0 && n != "key")
            text->OnKeyPress(std::atoi(n.c_str() + 3), &handled, &consumed, 0);
        else if (n == "back")
            text->OnKeyDown(8, &handled, &consumed);
    };
    auto TapKey = [&](TPDAUIEngineElement* key) {
        const TRectIG r = key->GetScreenRect();
        engine.Tap((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    };
    for (const char* l : {"7", "8", "9"})
        for (Button* b : Keys(k))
            if (std::string(l) == b->label.c_str())
                TapKey(b);
    TapKey(k->backKey);
    EXPECT_STREQ("78", text->value.c_str());
    std::vector<std::string> names = page.Names();
    EXPECT_EQ(4, std::count(names.begin(), names.end(), "textboxchanged"));
}

TEST_F(KeyboardTest, GoldenKeyboardPage)
{
    page.backgrounds.Edit(TPDAUIEngineElement::StateNormal).Parse("#E8ECF0", nullptr);
    auto* box = Add<TPDAUIEngineElementTextBox>(
        "<textbox left=\"10\" top=\"10\" width=\"300\" height=\"30\" value=\"Orbeta\" "
        "border=\"Solid 1 #606060\"/>");
    box->caretPosition = 6;
    Add<Keyboard>("<keyboardbox left=\"10\" top=\"50\" width=\"300\" height=\"150\" background=\"#FFFFFF\" "
                  "border=\"Solid 1 #606060\" backgroundPressed=\"#5078C8\"/>");
    Layout();
    const TDibIG& frame = engine.Frame();
    TDibIG* crop = frame.CopyRect(TRectIG(0, 0, 320, 210));
    ASSERT_TRUE(crop);
    EXPECT_TRUE(golden::Matches(*crop, "controls/keyboard", 2, 40));
    delete crop;
}

} // namespace
