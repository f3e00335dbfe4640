// The text box: editing keys, selection, clipboard, overwrite and numeric
// modes, byte safety in UTF-8 text, commands, focus and the compiled record.
#include "label_button_fixture.h"

#include <fstream>
#include <iterator>

#include "enginelib/base/TFicheroITV.h"
#include "uiengine/controls/RegisterTextBoxAndKeyboard.h"
#include "uiengine/controls/TPDAUIEngineElementTextBox.h"

namespace {
using namespace controls;
using TextBox = TPDAUIEngineElementTextBox;

// One step of typing: a character (press), or a key down with modifiers.
struct Step {
    enum Kind { Press, Key } kind;
    int code;
    bool ctrl = false;
    bool shift = false;
};
Step P(int c) { return {Step::Press, c}; }
Step K(int k) { return {Step::Key, k}; }
Step C(int k) { return {Step::Key, k, true}; }
Step S(int k) { return {Step::Key, k, false, true}; }
Step CS(int k) { return {Step::Key, k, true, true}; }

enum { Back = 8, End = 0x23, Home = 0x24, Left = 0x25, Up = 0x26, Right = 0x27, Down = 0x28, Del = 0x2E };

struct EditCase {
    const char* name;
    const char* attributes;
    const char* value;
    int caret;
    std::vector<Step> steps;
    const char* clipboardBefore;
    const char* expected;
    int expectedCaret;
    const char* clipboardAfter;  // null: not checked
};

class TextBoxTest : public ControlTest {
protected:
    TextBox* Make(const std::string& attributes)
    {
        TextBox* box = Add<TextBox>("<textbox left=\"0\" top=\"0\" width=\"200\" height=\"30\" "
                                    "onCommandValueChanged=\"changed\" onCommand=\"done\" " +
                                    attributes + "/>");
        box->font.name = "Fixed";
        box->font.size = 10;  // 5 pixels a byte
        box->font.CreateStockFont(nullptr);
        return box;
    }
    void Run(TextBox* box, const std::vector<Step>& steps)
    {
        for (const Step& s : steps) {
            unsigned char handled = 0, consumed = 0;
            engine.keysManager.ctrl = s.ctrl;
            engine.keysManager.shift = s.shift;
            if (s.kind == Step::Press)
                box->OnKeyPress(s.code, &handled, &consumed, 0);
            else
                box->OnKeyDown(s.code, &handled, &consumed);
        }
        engine.keysManager.ctrl = 0;
        engine.keysManager.shift = 0;
    }
};

TEST_F(TextBoxTest, EditingTable)
{
    const std::vector<EditCase> cases = {
        {"typing inserts at the caret", "", "ac", 1, {P('b')}, "", "abc", 2, nullptr},
        {"typing appends at the end", "", "ab", 2, {P('c'), P('d')}, "", "abcd", 4, nullptr},
        {"control codes are refused", "", "ab", 2, {P(9), P(29)}, "", "ab", 2, nullptr},
        {"backspace removes before the caret", "", "abc", 2, {K(Back)}, "", "ac", 1, nullptr},
        {"backspace at 0 does nothing", "", "abc", 0, {K(Back), K(Back)}, "", "abc", 0, nullptr},
        {"delete removes at the caret", "", "abc", 1, {K(Del)}, "", "ac", 1, nullptr},
        {"delete at the end does nothing", "", "abc", 3, {K(Del)}, "", "abc", 3, nullptr},
        {"home, end and arrows", "", "abcd", 2, {K(Home), K(Right), K(Right), P('x'), K(End), K(Left), P('y')},
         "", "abxcyd", 5, nullptr},
        {"arrows stop at the ends", "", "ab", 0, {K(Left), K(Right), K(Right), K(Right)}, "", "ab", 2, nullptr},
        {"shift selection replaced by typing", "", "hello", 0, {S(Right), S(Right), P('J')}, "", "Jllo", 1, nullptr},
        {"shift-end selection deleted by backspace", "", "hello", 1, {S(End), K(Back)}, "", "h", 1, nullptr},
        {"left drops the selection", "", "hello", 5, {S(Left), S(Left), K(Left), K(Del)}, "", "helo", 2, nullptr},
        {"word left", "", "one two three", 13, {C(Left), P('X')}, "", "one two Xthree", 9, nullptr},
        {"word left over a blank", "", "one two", 4, {C(Left), P('X')}, "", "Xone two", 1, nullptr},
        {"word right", "", "one two three", 0, {C(Right), P('X')}, "", "one Xtwo three", 5, nullptr},
        {"word right to the end", "", "one", 0, {C(Right), C(Right), P('X')}, "", "oneX", 4, nullptr},
        {"word selection with ctrl+shift", "", "one two", 7, {CS(Left), K(Back)}, "", "one ", 4, nullptr},
        {"copy leaves the value", "", "hello", 0, {S(Right), S(Right), C('C')}, "", "hello", 2, "he"},
        {"copy without selection copies nothing", "", "hello", 3, {C('C')}, "old", "hello", 3, ""},
        {"cut moves the selection to the clipboard", "", "hello", 0, {S(Right), S(Right), C('X')}, "keep",
         "llo", 0, "he"},
        {"cut without selection leaves the clipboard", "", "hello", 2, {C('X')}, "keep", "hello", 2, "keep"},
        {"paste inserts at the caret", "", "ad", 1, {C('V')}, "bc", "abcd", 3, "bc"},
        {"paste replaces the selection", "", "abcd", 1, {S(Right), S(Right), C('V')}, "XY", "aXYd", 3, nullptr},
        {"paste ignores the maximum length", "maxLength=\"3\"", "ab", 2, {C('V')}, "cdef", "abcdef", 6, nullptr},
        {"maximum length swallows more", "maxLength=\"4\"", "abc", 3, {P('d'), P('e')}, "", "abcd", 4, nullptr},
        {"numbers only", "onlyAcceptKeyCharNumbers=\"true\"", "", 0, {P('1'), P('a'), P('.'), P('5'), P(','),
         P('.')}, "", "1.5", 3, nullptr},
        {"minus only at the start", "onlyAcceptKeyCharNumbers=\"true\"", "12", 1, {P('-'), K(Home), P('-')}, "",
         "-12", 1, nullptr},
        {"overwrite pads to the maximum length", "overwrite=\"true\" maxLength=\"5\"", "", 0, {P('1')}, "",
         "1    ", 1, nullptr},
        {"overwrite replaces", "overwrite=\"true\" maxLength=\"4\"", "1234", 0, {P('9'), P('8')}, "", "9834",
         2, nullptr},
        {"overwrite at the maximum length keeps the length", "overwrite=\"true\" maxLength=\"3\"", "123", 2,
         {P('7'), P('8')}, "", "128", 2, nullptr},
        {"overwrite with no maximum length", "overwrite=\"true\" maxLength=\"0\"", "ab", 0, {P('x'), P('y'), P('z')},
         "", "xyz", 3, nullptr},
        {"up steps a number", "useUpDownKeysToUpdateNumericValue=\"true\"", "41", 0, {K(Up)}, "", "42", 0,
         nullptr},
        {"down below zero", "useUpDownKeysToUpdateNumericValue=\"true\"", "0", 0, {K(Down), K(Down)}, "", "-2",
         0, nullptr},
        {"up pads with zeros in overwrite",
         "useUpDownKeysToUpdateNumericValue=\"true\" overwrite=\"true\" maxLength=\"3\"", "09", 0, {K(Up)}, "",
         "010", 0, nullptr},
        {"up without the option leaves the value", "", "41", 0, {K(Up)}, "", "41", 0, nullptr},
        {"append only types at the end", "onlyAllowAppend=\"true\"", "abc", 3, {P('d'), K(Home), P('e')}, "",
         "abcde", 5, nullptr},
    };
    for (const EditCase& c : cases) {
        SCOPED_TRACE(c.name);
        page.RemoveAllChildren();
        TextBox* box = Make(c.attributes);
        box->value = c.value;
        box->caretPosition = c.caret;
        box->selectionAnchor = -1;
        engine.clipboard = c.clipboardBefore;
        Run(box, c.steps);
        EXPECT_EQ(c.expected, std::string(box->value.c_str()));
        EXPECT_EQ(c.expectedCaret, box->caretPosition);
        if (c.clipboardAfter) {
            EXPECT_EQ(c.clipboardAfter, engine.clipboard);
        }
    }
}

// In UTF-8 text no edit leaves half a character behind or puts the caret
// inside one.
TEST_F(TextBoxTest, Utf8EditsKeepWholeCharacters)
{
    struct Case {
        const char* name;
        int caret;
        std::vector<Step> steps;
        const char* expected;
        int expectedCaret;
    } cases[] = {
        {"backspace removes the whole character", 3, {K(Back)}, "a\xC3\xA9", 1},
        {"delete removes the whole character", 1, {K(Del)}, "a\xC3\xA9", 1},
        {"left skips continuation bytes", 5, {K(Left), K(Left), P('x')}, "ax\xC3\xB1\xC3\xA9", 2},
        {"caret inside a character snaps back", 2, {P('x')}, "ax\xC3\xB1\xC3\xA9", 2},
        {"shift-right selects whole characters", 1, {S(Right), K(Back)}, "a\xC3\xA9", 1},
        {"typing a code point writes UTF-8", 1, {P(0x20AC)}, "a\xE2\x82\xAC\xC3\xB1\xC3\xA9", 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        page.RemoveAllChildren();
        TextBox* box = Make("");
        box->value = DString("a\xC3\xB1\xC3\xA9", 5, 65001);  // "añé"
        box->caretPosition = c.caret;
        Run(box, c.steps);
        EXPECT_EQ(c.expected, std::string(box->value.c_str()));
        EXPECT_EQ(c.expectedCaret, box->caretPosition);
    }
}

// A caret or anchor set from outside the value never makes an edit write
// outside it.
TEST_F(TextBoxTest, OutOfRangeCaretAndAnchorAreSafe)
{
    const std::vector<std::pair<int, int>> positions = {{-5, -1}, {99, -1}, {1, 99}, {-3, 2}, {2, -7}};
    for (const auto& p : positions) {
        for (int key : {(int)Back, (int)Del, (int)Left, (int)Right}) {
            page.RemoveAllChildren();
            TextBox* box = Make("");
            box->value = "abc";
            box->caretPosition = p.first;
            box->selectionAnchor = p.second;
            Run(box, {K(key), P('z')});
            EXPECT_GE(box->caretPosition, 0);
            EXPECT_LE(box->caretPosition, box->value.Length());
            EXPECT_LE(box->value.Length(), 4);
            EXPECT_NE(std::string(box->value.c_str()).find('z'), std::string::npos);
        }
    }
}

TEST_F(TextBoxTest, CommandsRaised)
{
    TextBox* box = Make("onCommandCursorChanged=\"cursor\" maxLength=\"2\"");
    box->value = "";
    Run(box, {P('a')});
    EXPECT_EQ((std::vector<std::string>{"changed", "cursor"}), page.Names());
    page.raised.clear();
    Run(box, {P('b'), P('c')});  // the third is swallowed: no value change
    std::vector<std::string> names = page.Names();
    EXPECT_EQ(1, std::count(names.begin(), names.end(), "changed"));
    page.raised.clear();
    box->OnKillFocus(nullptr);
    EXPECT_EQ((std::vector<std::string>{"done"}), page.Names());
    EXPECT_FALSE(box->changePending);
    EXPECT_EQ(box, page.lastTextBox);
    page.raised.clear();
    box->OnKillFocus(nullptr);  // nothing pending
    EXPECT_TRUE(page.raised.empty());
}

TEST_F(TextBoxTest, InsertTextAndSelectAll)
{
    TextBox* box = Make("maxLength=\"2\"");
    box->value = "ab";
    box->caretPosition = 1;
    box->InsertText("XYZ");
    EXPECT_STREQ("aXYZb", box->value.c_str());
    EXPECT_EQ(4, box->caretPosition);
    box->SelectAll();
    EXPECT_STREQ("aXYZb", box->GetSelectedText().c_str());
    box->InsertText("q");
    EXPECT_STREQ("q", box->value.c_str());
    box->value = "";
    box->caretPosition = 0;
    box->SelectAll();
    EXPECT_EQ(-1, box->selectionAnchor);
}

TEST_F(TextBoxTest, CaretIndexAtPositions)
{
    TextBox* box = Make("");
    box->value = "abcd";
    box->firstVisible = 0;
    const int w = engine.GetTextExtent(box->font, CDString("a")).cx;
    ASSERT_GT(w, 1);
    const std::vector<std::pair<int, int>> cases = {{-10, 0},       {0, 0},         {w - 1, 0}, {w + 1, 1},
                                                    {2 * w + 1, 2}, {3 * w + 1, 3}, {500, 4}};
    for (const auto& c : cases)
        EXPECT_EQ(c.second, box->GetCaretIndexAt(c.first)) << c.first;
}

TEST_F(TextBoxTest, ScrollKeepsTheCaretVisible)
{
    TextBox* box = Make("");
    box->value = std::string(100, 'x').c_str();  // 500 pixels in a box of about 200
    box->caretPosition = 100;
    box->UpdateScroll();
    EXPECT_GT(box->firstVisible, 50);
    box->caretPosition = 3;
    box->UpdateScroll();
    EXPECT_EQ(3, box->firstVisible);
}

// Scrolling against the plain walk over the text: forward while the piece up
// to the caret is too wide, then back while it fits when the caret is at the end.
TEST_F(TextBoxTest, ScrollMatchesTheLinearWalk)
{
    TextBox* box = Make("");
    const int w = engine.GetTextExtent(box->font, CDString("x")).cx;
    const int inner = box->width - 2 * box->borders[0].width - box->padding.left - box->padding.right - 2;
    auto W = [&](int from, int to) { return (to - from) * w; };
    for (int length : {0, 1, 10, 39, 40, 41, 100}) {
        for (int caret : {0, length / 2, length}) {
            for (int first : {0, caret / 3, caret}) {
                SCOPED_TRACE(std::to_string(length) + " " + std::to_string(caret) + " " + std::to_string(first));
                int f = first;
                while (f < caret && W(f, caret) > inner)
                    ++f;
                if (f > 0 && caret == length) {
                    int g = f;
                    while (g > 0 && W(g, caret) < inner)
                        --g;
                    f = g == 0 && W(0, caret) < inner ? 0 : g + 1;
                }
                box->value = std::string(length, 'x').c_str();
                box->caretPosition = caret;
                box->firstVisible = first;
                box->selectionAnchor = -1;
                box->UpdateScroll();
                EXPECT_EQ(f, box->firstVisible);
            }
        }
    }
}

TEST_F(TextBoxTest, AttributesAndRecordRoundTrip)
{
    TextBox* box = Make("value=\"abc\" maxLength=\"7\" overwrite=\"true\" showAsteriscs=\"true\" "
                        "onCommandCursorChanged=\"cur\" showVirtualKeyboard=\"false\" "
                        "useUpDownKeysToUpdateNumericValue=\"true\" alwaysShowCursor=\"true\"");
    EXPECT_STREQ("abc", box->GetAttribute("value").c_str());
    EXPECT_STREQ("7", box->GetAttribute("maxLength").c_str());
    EXPECT_STREQ("true", box->GetAttribute("overwrite").c_str());
    EXPECT_STREQ("false", box->GetAttribute("showVirtualKeyboard").c_str());
    EXPECT_STREQ("false", box->GetAttribute("onlyAllowAppend").c_str());
    EXPECT_EQ(750, box->timerInterval);

    testpaths::TempDir dir;
    const std::string path = dir / "record.bin";
    {
        TFicheroITV f;
        ASSERT_TRUE(f.Abre(path.c_str(), ITV_MODO_CREACION));
        box->Save(f);
        ASSERT_TRUE(f.Cierra());
    }
    std::ifstream in(path, std::ios::binary);
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (size_t cut : {bytes.size(), bytes.size() - 1}) {
        SCOPED_TRACE(cut);
        TFicheroITVdatos data(bytes.data(), ITV_MODO_LECTURA, (uint32_t)cut);
        char mark = 0;
        DString tag;
        data >> mark >> tag;
        TextBox copy;
        copy.OnLoad(&engine, &page, nullptr, nullptr, &data);
        if (cut == bytes.size()) {
            EXPECT_FALSE(data.Error());
            for (const char* name : {"value", "maxLength", "overwrite", "showAsteriscs", "onCommandCursorChanged",
                                     "showVirtualKeyboard", "useUpDownKeysToUpdateNumericValue",
                                     "alwaysShowCursor", "onCommandValueChanged"})
                EXPECT_EQ(std::string(box->GetAttribute(name).c_str()), copy.GetAttribute(name).c_str()) << name;
        } else {
            EXPECT_TRUE(data.Error());
        }
        copy.Detach();
    }
}

TEST_F(TextBoxTest, RegisteredAsTextbox)
{
    std::vector<std::string> tags;
    static std::vector<std::string>* sink;
    sink = &tags;
    RegisterTextBoxAndKeyboardElements([](const char* tag, FuncMakeElement make) {
        sink->push_back(tag);
        TPDAUIEngineElement* e = make();
        EXPECT_STREQ(tag, e->tag.c_str());
        delete e;
    });
    RegisterTextBoxAndKeyboardElements(nullptr);
    EXPECT_EQ((std::vector<std::string>{"textbox", "keyboardbox"}), tags);
}

TEST_F(TextBoxTest, PaintsPasswordAndRestoresValue)
{
    TextBox* box = Make("showAsteriscs=\"true\"");
    box->value = "secret";
    box->lastTypedIndex = 5;
    box->caretPosition = 6;
    engine.fixed->draws.clear();
    IDC dc;
    std::unique_ptr<TDibIG> target = SolidImage(300, 100, TColorIG(0u));
    ASSERT_TRUE(dc.BeginPaintDib(target.get()));
    box->Paint(&dc, 0, 0);
    dc.EndPaintDib();
    ASSERT_FALSE(engine.fixed->draws.empty());
    EXPECT_EQ("*****t", engine.fixed->draws[0].text);
    EXPECT_STREQ("secret", box->value.c_str());
}

} // namespace
