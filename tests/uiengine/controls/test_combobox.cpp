// The combo box: its drop-down list's placement, the before-list veto, a
// choice through the list, the application's choice page, keys, records and
// painting with a stale selection.
#include "label_button_fixture.h"

#include "uiengine/controls/TPDAUIEngineElementComboBox.h"
#include "uiengine/controls/TPDAUIEngineElementListBox.h"

namespace {
using namespace controls;
using Combo = TPDAUIEngineElementComboBox;
using Item = TPDAUIEngineElementListBox::ListBoxItem;
using Names = std::vector<std::string>;

const int kEnter = 13, kEscape = 27, kEnd = 35, kHome = 36;

int gWindowCalls = 0;
int CountWindowCall(void*, TPDAUIEngineElement*, intptr_t)
{
    ++gWindowCalls;
    return 7;
}

class ComboBoxTest : public ControlTest {
protected:
    // A combo box of n choices "Choice <i>" with rows 30 high, no paddings or border.
    Combo* MakeCombo(int n, int top, const std::string& extra = "")
    {
        Combo* combo = Add<Combo>("<combobox id=\"cmb\" left=\"10\" top=\"" + std::to_string(top) +
                                  "\" width=\"200\" height=\"30\" padding=\"0\" border=\"None\" onCommand=\"chosen\" " +
                                  extra + "/>");
        combo->listBox->minimumItemHeight = 30;
        combo->borders.Edit(TPDAUIEngineElement::StateNormal).width = 0;
        for (int i = 0; i < n; ++i) {
            DString label("Choice ");
            label << i;
            combo->listBox->items.Insert(Item(label, nullptr, nullptr), -1);
        }
        Layout();
        return combo;
    }
    Names Take()
    {
        Names n = page.Names();
        page.raised.clear();
        return n;
    }
};

TEST_F(ComboBoxTest, TheListOpensUnderTheComboOrKeepsFourRowsOnScreen)
{
    engine.skinSettings.screenHeight = 480;
    struct Case {
        int items;
        int comboTop;
        int listTop;
        int listHeight;
    };
    const Case cases[] = {
        {3, 100, 131, 90},          // room below: right under the combo
        {10, 390, 361, 120},        // cut to 2 rows, below min(10, 4): 4 rows, top at 480 - 119
        {10, 300, 331, 150},        // cut to 5 rows: kept under the combo
        {2, 440, 480 - 60 + 1, 60}, // two rows that do not fit: moved up
    };
    for (const Case& c : cases) {
        Combo* combo = MakeCombo(c.items, c.comboTop);
        EXPECT_EQ(1, combo->ShowList());
        EXPECT_TRUE(combo->IsListOpen());
        EXPECT_EQ(c.listTop, combo->listBox->top) << c.items << " " << c.comboTop;
        EXPECT_EQ(c.listHeight, combo->listBox->height) << c.items << " " << c.comboTop;
        EXPECT_EQ(10, combo->listBox->left);
        EXPECT_EQ(200, combo->listBox->width);
        EXPECT_TRUE(combo->listBox->IsFocused());
        page.CloseAllPopups();
        page.RemoveChild(combo);
    }
}

TEST_F(ComboBoxTest, BeforeShowListCommandCanKeepTheListClosed)
{
    Combo* combo = MakeCombo(3, 10, R"(beforeShowListCommand="beforeList")");
    EXPECT_EQ(0, combo->ShowList());  // nobody handled it
    EXPECT_FALSE(combo->IsListOpen());
    page.onCommand = [](TPDAUIEngineCommand& c) {
        if (c.name == "beforeList")
            c.handled = 1;
    };
    engine.Press(50, 20);
    EXPECT_TRUE(combo->IsListOpen());
    EXPECT_EQ((Names{"beforeList", "beforeList"}), Take());
    // Open already: not asked again.
    EXPECT_EQ(0, combo->ShowList());
    EXPECT_EQ(Names{}, Take());
}

TEST_F(ComboBoxTest, AChoiceRaisesTheCommandAndLeavesTheValue)
{
    Combo* combo = MakeCombo(5, 10, R"(value="Choice 0" selectedindex="0")");
    engine.Press(50, 20);
    engine.Release(50, 20);
    ASSERT_TRUE(combo->IsListOpen());
    // Row 2 of the list under the combo (top 41).
    engine.Tap(50, 41 + 2 * 30 + 10);
    EXPECT_FALSE(combo->IsListOpen());
    EXPECT_EQ(Names{"chosen"}, Take());
    EXPECT_EQ(2, combo->GetSelectedIndex());
    EXPECT_STREQ("Choice 0", combo->value.c_str());
    EXPECT_TRUE(combo->IsFocused());
    combo->SetSelectedIndex(combo->GetSelectedIndex());
    EXPECT_STREQ("Choice 2", combo->value.c_str());

    // Escape closes the list without a choice.
    engine.Key(kEnter);
    ASSERT_TRUE(combo->IsListOpen());
    engine.Key(kEscape);
    EXPECT_FALSE(combo->IsListOpen());
    EXPECT_TRUE(combo->IsFocused());
    EXPECT_EQ(Names{}, Take());
}

TEST_F(ComboBoxTest, SetSelectedIndexTakesOnlyItemsOrNone)
{
    struct Case {
        int index;
        int selected;
        const char* value;
    };
    const Case cases[] = {{1, 1, "Choice 1"}, {3, 1, "Choice 1"}, {99, 1, "Choice 1"},
                          {-1, -1, ""},       {2, 2, "Choice 2"}, {-7, -1, ""}};
    Combo* combo = MakeCombo(3, 10);
    for (const Case& c : cases) {
        combo->SetSelectedIndex(c.index);
        EXPECT_EQ(c.selected, combo->GetSelectedIndex()) << c.index;
        EXPECT_STREQ(c.value, combo->value.c_str()) << c.index;
    }
    page.SetFocus(combo, true);
    engine.Key(kEnd);
    EXPECT_STREQ("Choice 2", combo->value.c_str());
    engine.Key(kHome);
    EXPECT_STREQ("Choice 0", combo->value.c_str());
}

TEST_F(ComboBoxTest, WindowModeAsksTheApplicationOnAReleaseInside)
{
    engine.callbacks.comboBoxInput = &CountWindowCall;
    gWindowCalls = 0;
    Combo* combo = MakeCombo(3, 10, R"(mode="Window")");
    engine.Press(50, 20);
    EXPECT_EQ(1, combo->pressed);
    EXPECT_EQ(0, gWindowCalls);
    engine.Release(50, 20);
    EXPECT_EQ(1, gWindowCalls);
    engine.Press(50, 20);
    engine.Release(50, 300);
    EXPECT_EQ(1, gWindowCalls);
    EXPECT_FALSE(combo->IsListOpen());

    combo->enabled = 0;
    engine.Press(50, 20);
    EXPECT_EQ(0, combo->pressed);
    engine.Release(50, 20);
    EXPECT_EQ(1, gWindowCalls);
    engine.callbacks.comboBoxInput = nullptr;
}

TEST_F(ComboBoxTest, AttributesAndRecordRoundTrip)
{
    Combo* combo = MakeCombo(0, 10, R"(value="Shown" selectedindex="4" showImage="false" mode="Window" )"
                                    R"(hideImageInSelectedItem="false" beforeShowListCommand="b" )"
                                    R"(minimumItemWidth="70" fontListBoxSize="17")");
    EXPECT_STREQ("Window", combo->GetAttribute("mode").c_str());
    EXPECT_STREQ("17", combo->GetAttribute("fontListBoxSize").c_str());
    EXPECT_STREQ("4", combo->GetAttribute("selectedindex").c_str());
    EXPECT_STREQ("false", combo->GetAttribute("showImage").c_str());
    combo->SetAttribute("mode", "Sideways");
    EXPECT_EQ(Combo::ModeWindow, combo->mode);
    EXPECT_STREQ("cmb__listbox", combo->listBox->id.c_str());

    const std::vector<unsigned char> bytes = SavedRecord(*combo);
    Combo copy;
    ASSERT_TRUE(LoadedRecord(&engine, &page, copy, bytes));
    EXPECT_STREQ("Shown", copy.value.c_str());
    EXPECT_EQ(4, copy.GetSelectedIndex());
    EXPECT_FALSE(copy.listBox->showImage);
    EXPECT_FALSE(copy.hideImageInSelectedItem);
    EXPECT_EQ(Combo::ModeWindow, copy.mode);
    EXPECT_EQ(70, copy.listBox->minimumItemWidth);
    EXPECT_EQ(17, copy.listBox->font.size);
    EXPECT_EQ(bytes, SavedRecord(copy));
    for (size_t cut = 0; cut < bytes.size(); cut += 5) {
        Combo partial;
        EXPECT_FALSE(LoadedRecord(&engine, &page, partial,
                                  std::vector<unsigned char>(bytes.begin(), bytes.begin() + cut)));
    }
}

TEST_F(ComboBoxTest, StaleSelectionsPaintSafely)
{
    Combo* combo = MakeCombo(2, 10, R"(hideImageInSelectedItem="false")");
    std::unique_ptr<TDibIG> icon = SolidImage(8, 8, TColorIG(200, 0, 0));
    combo->listBox->items[1].image = icon.get();
    for (int stale : {1, 2, 500, -3}) {
        combo->listBox->selectedIndex = stale;
        engine.Frame();
    }
    combo->listBox->RemoveAll();
    combo->listBox->selectedIndex = 1;
    engine.Frame();
    engine.Key(kEnd);
    engine.Key(kHome);
}

} // namespace
