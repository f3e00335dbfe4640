// Menu items on a headless page: sub-menus opening beside their item with the
// parent kept open, commands closing every pop-up, presses outside closing them,
// repeat items, keys, and the compiled record.
#include "label_button_fixture.h"

#include <fstream>
#include <iterator>

#include "enginelib/base/TFicheroITV.h"
#include "support/GoldenImage.h"
#include "uiengine/controls/RegisterMenu.h"
#include "uiengine/controls/TPDAUIEngineElementMenu.h"
#include "uiengine/controls/TPDAUIEngineElementMenuItem.h"
#include "uiengine/elements/TPDAUIEngineElementFactory.h"

namespace controls {
namespace {
using Item = TPDAUIEngineElementMenuItem;
using Menu = TPDAUIEngineElementMenu;

class MenuItemTest : public ControlTest {
protected:
    MenuItemTest()
    {
        RegisterLabelAndButtonElements(&TPDAUIEngineElementFactory::RegisterTag);
        RegisterMenuElements(&TPDAUIEngineElementFactory::RegisterTag);
        menu = Add<Menu>("<menu id=\"m\" minimumWidth=\"160\">"
                         "<menuitem id=\"open\" label=\"Open\" onCommand=\"open\" checked=\"false\">"
                         "  <menu id=\"sub\"><menuitem id=\"a\" label=\"Sub A\" onCommand=\"subA\" checked=\"false\"/>"
                         "  <menuitem id=\"b\" label=\"Sub B\" onCommand=\"subB\" checked=\"false\"/></menu>"
                         "</menuitem>"
                         "<menuitem id=\"check\" label=\"Night\" onCommand=\"night\"/>"
                         "<menuitem id=\"hidden\" label=\"Hidden\" visible=\"false\" onCommand=\"x\"/>"
                         "<menuitem id=\"off\" label=\"Off\" enabled=\"false\" onCommand=\"off\"/>"
                         "<menuitem id=\"quit\" label=\"Quit\" onCommand=\"quit\" checked=\"false\"/>"
                         "</menu>");
        open = Find<Item>("open");
        sub = Find<Menu>("sub");
    }
    template <class T>
    T* Find(const char* id)
    {
        return dynamic_cast<T*>(menu->FindElement(id, false));
    }
    bool Open(TPDAUIEngineElement* e) const { return page.popups.IndexOf(e) >= 0; }
    // Taps the middle of an element on the screen.
    void TapOn(TPDAUIEngineElement* e)
    {
        const TRectIG r = e->GetScreenRect();
        engine.Tap((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        engine.Advance(60);
    }
    Menu* menu = nullptr;
    Item* open = nullptr;
    Menu* sub = nullptr;
};

TEST_F(MenuItemTest, SubMenuOpensBesideItsItemAndAChoiceClosesBoth)
{
    ASSERT_NE(nullptr, open);
    ASSERT_NE(nullptr, sub);
    EXPECT_EQ(sub, open->SubMenu());
    menu->Popup(100, 100, DString("menuHidden"));
    ASSERT_TRUE(Open(menu));
    TapOn(open);
    ASSERT_TRUE(Open(sub));
    EXPECT_TRUE(Open(menu));  // the parent stays open beneath it
    EXPECT_EQ(sub, page.popups[page.popups.Count() - 1]);
    EXPECT_TRUE(open->IsSubMenuOpen());
    // Beside the item: starting just inside its right edge.
    const TRectIG item = open->GetScreenRect(), s = sub->GetScreenRect();
    EXPECT_EQ(item.right - 2, s.left);
    // Re-opening the chain closes and pushes the parent again: its hide command is sent.
    EXPECT_EQ(std::vector<std::string>{"menuHidden"}, page.Names());
    TapOn(Find<Item>("a"));
    EXPECT_FALSE(Open(sub));
    EXPECT_FALSE(Open(menu));
    const std::vector<std::string> names = page.Names();
    EXPECT_NE(names.end(), std::find(names.begin(), names.end(), "subA"));
    EXPECT_NE(names.end(), std::find(names.begin(), names.end(), "menuHidden"));
}

TEST_F(MenuItemTest, ACheckItemAndAPressOutside)
{
    Item* check = Find<Item>("check");
    ASSERT_NE(nullptr, check);
    // Checked by default; the page flips it in its command handler.
    EXPECT_STREQ("true", check->GetAttribute("checked").c_str());
    page.onCommand = [&](TPDAUIEngineCommand& c) {
        if (c.name == "night")
            check->checked = !check->checked;
    };
    menu->Popup(100, 100, DString("menuHidden"));
    TapOn(check);
    EXPECT_EQ(0, check->checked);
    EXPECT_FALSE(Open(menu));  // the command closed the menu
    menu->Popup(100, 100, DString("menuHidden"));
    TapOn(check);
    EXPECT_EQ(1, check->checked);
    // A press outside the menu closes it, and nothing is raised but the hide command.
    menu->Popup(100, 100, DString("menuHidden"));
    page.raised.clear();
    engine.Tap(700, 400);
    engine.Advance(60);
    EXPECT_FALSE(Open(menu));
    EXPECT_EQ(std::vector<std::string>{"menuHidden"}, page.Names());
    // A disabled item ignores presses.
    Item* off = Find<Item>("off");
    off->OnMouseDown(1, 1, 0, 0, 0);
    unsigned char handled = 0;
    off->OnMouseUp(1, 1, 0, &handled);
    EXPECT_EQ(0, off->pressed);
}

TEST_F(MenuItemTest, RepeatItemRaisesWhileHeld)
{
    Item* repeat = Find<Item>("quit");
    repeat->SetAttribute("raiseMultipleCommandsWhenPressed", "true");
    menu->Popup(100, 100, DString(""));
    page.raised.clear();
    const TRectIG r = repeat->GetScreenRect();
    engine.Press(r.left + 5, r.top + 5);
    for (int i = 0; i < 200 && page.raised.size() < 3; ++i)
        engine.Advance(10);
    ASSERT_EQ(3u, page.raised.size());  // one per timer tick while held
    engine.Release(r.left + 5, r.top + 5);
    engine.Advance(60);
    EXPECT_EQ(3u, page.raised.size());  // none extra at the release
    // A quick tap raises it once, at the release.
    page.raised.clear();
    engine.Tap(r.left + 5, r.top + 5, 10);
    engine.Advance(60);
    const std::vector<std::string> names = page.Names();
    EXPECT_EQ(1, std::count(names.begin(), names.end(), std::string("quit")));
}

TEST_F(MenuItemTest, UpAndDownSkipWhatCannotTakeTheFocus)
{
    Item* check = Find<Item>("check");
    Item* quit = Find<Item>("quit");
    menu->Popup(100, 100, DString(""));
    page.SetFocus(check, true);
    unsigned char handled = 0, consumed = 0;
    check->OnKeyDown(40, &handled, &consumed);  // down: past the hidden and the disabled items
    EXPECT_EQ(1, handled);
    EXPECT_TRUE(quit->IsFocused());
    handled = 0;
    quit->OnKeyDown(40, &handled, &consumed);  // nothing below: still handled
    EXPECT_EQ(1, handled);
    EXPECT_TRUE(quit->IsFocused());
    quit->OnKeyDown(38, &handled, &consumed);
    EXPECT_TRUE(check->IsFocused());
    // Escape on an item of an open menu closes the menu.
    check->OnKeyUp(27, &handled, 0);
    EXPECT_FALSE(Open(menu));
}

TEST_F(MenuItemTest, SubMenuKeptOnThePageAndBelowTheTop)
{
    // An item near the top-right corner: the sub-menu moves left to stay on the page
    // and never starts above y = 30.
    menu->Popup(790, 0, DString(""));
    TapOn(open);
    ASSERT_TRUE(Open(sub));
    const TRectIG s = sub->GetScreenRect();
    EXPECT_GE(s.top, 30);
    EXPECT_LE(s.right, 800);
    EXPECT_GE(s.left, 0);
}

TEST_F(MenuItemTest, CompiledRecordRoundTrips)
{
    Item* item = Find<Item>("quit");
    item->SetAttribute("showcheck", "false");
    item->SetAttribute("showLabel", "false");
    item->SetAttribute("raiseMultipleCommandsWhenPressed", "true");
    item->SetAttribute("imageScale", "1.5");
    testpaths::TempDir dir;
    const std::string path = dir / "item.bin";
    TFicheroITV f;
    ASSERT_TRUE(f.Abre(path.c_str(), ITV_MODO_CREACION));
    item->Save(f);
    ASSERT_TRUE(f.Cierra());
    std::ifstream file(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    for (size_t cut : {0, 3}) {
        SCOPED_TRACE(cut);
        TFicheroITVdatos in(bytes.data(), ITV_MODO_LECTURA, (uint32_t)(bytes.size() - cut));
        char mark = 0;
        DString tag;
        in >> mark >> tag;
        Item copy;
        copy.OnLoad(&engine, nullptr, nullptr, nullptr, &in);
        // A short record leaves the item's own fields at their defaults.
        EXPECT_EQ(cut == 0, !in.Error());
        EXPECT_EQ(cut != 0, copy.showcheck);
        EXPECT_EQ(cut != 0, copy.showLabel);
        EXPECT_EQ(cut == 0, copy.raiseMultipleCommandsWhenPressed);
        EXPECT_FLOAT_EQ(cut == 0 ? 1.5f : 0.0f, copy.imageScale);
        EXPECT_EQ(cut == 0 ? 0 : 1, copy.checked);
        EXPECT_STREQ("Quit", copy.label.c_str());
    }
}

} // namespace
} // namespace controls

namespace controls {
namespace {

TEST_F(MenuItemTest, GoldenMenuWithItsSubMenuOpen)
{
    page.backgrounds.Edit(TPDAUIEngineElement::StateNormal).Parse("#8090A0", nullptr);
    menu->SetAttribute("border", "Solid 1 #303030");
    sub->SetAttribute("border", "Solid 1 #303030");
    menu->Popup(20, 20, DString(""));
    TapOn(open);
    ASSERT_TRUE(Open(sub));
    const TDibIG& frame = engine.Frame();
    TDibIG shot;
    ASSERT_TRUE(shot.Crea(360, 200, 16));
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 360; ++x)
            shot.SetPixel(x, y, frame.GetPixel(x, y));
    EXPECT_TRUE(golden::Matches(shot, "controls/menu_submenu", 8, 40));
}

} // namespace
} // namespace controls
