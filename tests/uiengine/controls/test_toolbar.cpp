// The tool bar: what does not fit moves into its "more" menu, first items first,
// and comes back when there is room; presses left of a right-packed row pass
// through.
#include "label_button_fixture.h"

#include "uiengine/controls/RegisterMenu.h"
#include "uiengine/controls/TPDAUIEngineElementMenuItem.h"
#include "uiengine/controls/TPDAUIEngineElementToolBar.h"
#include "uiengine/elements/TPDAUIEngineElementFactory.h"

namespace controls {
namespace {
using Item = TPDAUIEngineElementMenuItem;
using ToolBar = TPDAUIEngineElementToolBar;

class ToolBarTest : public ControlTest {
protected:
    ToolBarTest()
    {
        RegisterLabelAndButtonElements(&TPDAUIEngineElementFactory::RegisterTag);
        RegisterMenuElements(&TPDAUIEngineElementFactory::RegisterTag);
        std::string xml = "<toolbar id=\"tb\" pack=\"End\" left=\"0\" top=\"400\" width=\"400\" height=\"48\">";
        for (const char* id : {"one", "two", "three", "four", "five", "six"})
            xml += std::string("<menuitem id=\"") + id + "\" label=\"" + id + "\" onCommand=\"" + id +
                   "\" minimumWidth=\"40\" maximumWidth=\"40\" checked=\"false\"/>";
        xml += "</toolbar>";
        bar = Add<ToolBar>(xml);
    }
    // The ids in the row (after "more") and in the "more" menu.
    std::vector<std::string> Row() const
    {
        std::vector<std::string> out;
        for (int i = 0; i < bar->children.Count(); ++i)
            if (bar->children[i] != bar->overflowItem)
                out.push_back(bar->children[i]->id.c_str());
        return out;
    }
    std::vector<std::string> More() const
    {
        std::vector<std::string> out;
        if (TPDAUIEngineElementMenu* m = bar->OverflowMenu())
            for (int i = 0; i < m->children.Count(); ++i)
                out.push_back(m->children[i]->id.c_str());
        return out;
    }
    void Width(int w)
    {
        bar->SetBounds(0, 400, w, 48);
    }
    ToolBar* bar = nullptr;
};

TEST_F(ToolBarTest, WhatDoesNotFitGoesIntoMoreAndComesBack)
{
    ASSERT_NE(nullptr, bar);
    const struct {
        int width;
        bool more;
        std::vector<std::string> row, menu;
    } cases[] = {
        {400, false, {"one", "two", "three", "four", "five", "six"}, {}},
        {200, true, {"three", "four", "five", "six"}, {"two", "one"}},
        {120, true, {"five", "six"}, {"four", "three", "two", "one"}},
        {400, false, {"one", "two", "three", "four", "five", "six"}, {}},
        {10, true, {"six"}, {"five", "four", "three", "two", "one"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.width);
        Width(c.width);
        ASSERT_NE(nullptr, bar->overflowItem);
        EXPECT_EQ(c.more, bar->overflowItem->visible != 0);
        EXPECT_EQ(c.row, Row());
        EXPECT_EQ(c.menu, More());
        // Row items show images only; "more" items show their labels.
        for (int i = 0; i < bar->children.Count(); ++i)
            if (auto* item = dynamic_cast<Item*>(bar->children[i]))
                if (item != bar->overflowItem) {
                    EXPECT_FALSE(item->showLabel) << item->id.c_str();
                }
        if (TPDAUIEngineElementMenu* m = bar->OverflowMenu()) {
            for (int i = 0; i < m->children.Count(); ++i)
                EXPECT_TRUE(dynamic_cast<Item*>(m->children[i])->showLabel);
        }
    }
}

TEST_F(ToolBarTest, TheMoreMenuOpensAndReopensAfterALayout)
{
    Width(200);
    ASSERT_TRUE(bar->overflowItem->visible);
    const TRectIG r = bar->overflowItem->GetScreenRect();
    engine.Tap((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    engine.Advance(60);
    TPDAUIEngineElementMenu* more = bar->OverflowMenu();
    ASSERT_TRUE(more->IsOpenPopup());
    // Opened below a short item, it is moved back onto the page.
    EXPECT_LE(more->GetScreenRect().bottom, 480 - 22);
    EXPECT_GE(more->GetScreenRect().top, 30);
    Width(180);
    EXPECT_TRUE(more->IsOpenPopup());
    // Choosing an item in it raises its command and closes it.
    const std::string first = more->children[0]->id.c_str();
    const TRectIG r0 = more->children[0]->GetScreenRect();
    engine.Tap((r0.left + r0.right) / 2, (r0.top + r0.bottom) / 2);
    engine.Advance(60);
    EXPECT_FALSE(more->IsOpenPopup());
    const std::vector<std::string> names = page.Names();
    EXPECT_NE(names.end(), std::find(names.begin(), names.end(), first));
    // Released low in a tall item (y > 49), the menu opens above the item.
    bar->overflowItem->OpenSubMenu(55);
    ASSERT_TRUE(more->IsOpenPopup());
    EXPECT_EQ(bar->overflowItem->GetScreenRect().top + 1, more->GetScreenRect().bottom);
}

TEST_F(ToolBarTest, PressesLeftOfTheRowPassThroughAndEmptyingStartsAgain)
{
    Width(400);
    EXPECT_EQ(nullptr, bar->HitTest(10, 420));
    EXPECT_NE(nullptr, bar->HitTest(395, 420));
    bar->RemoveAllItems();
    EXPECT_EQ(nullptr, bar->overflowItem);
    Width(400);  // an empty bar makes no "more" item
    EXPECT_EQ(nullptr, bar->overflowItem);
    AddXml<Item>(bar, "<menuitem id=\"again\" label=\"Again\" minimumWidth=\"40\" maximumWidth=\"40\"/>");
    Width(400);
    ASSERT_NE(nullptr, bar->overflowItem);
    EXPECT_FALSE(bar->overflowItem->visible);
}

} // namespace
} // namespace controls

namespace {
using namespace controls;

// The fixture skin's menu page, as an application page drives it.
class MenusPage : public TPDAUIEngineElementPage {
public:
    explicit MenusPage(TPDAUIEngine* e) : TPDAUIEngineElementPage(e) {}
    void OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage*, TPDAUIEngineElement* par, TPDAUIEngineXml*,
                TFicheroITV*) override
    {
        LoadPage(e, nullptr, par, "pageMenus");
    }
    void OnCommand(TPDAUIEngineCommand& c) override
    {
        if (c.name.IsEmpty() || c.name == "load")
            return;
        raised.push_back(c.name.c_str());
        if (c.name == "menu")
            dynamic_cast<TPDAUIEngineElementMenu*>(FindElement("mnuMain", false))->Popup(600, 300, DString("menuHidden"));
        if (c.name == "nightColours") {
            auto* item = dynamic_cast<TPDAUIEngineElementMenuItem*>(FindElement("mniNight", false));
            item->checked = !item->checked;
        }
    }
    std::vector<std::string> raised;
};

TEST(MenusSkinPage, ToolBarMenuAndSubMenuOnTheFixturePage)
{
    RegisterMenuElements(&TPDAUIEngineElementFactory::RegisterTag);
    ControlEngine engine;
    engine.skinsFolder = testpaths::Fixture("skins").c_str();
    DString name("fixture"), error;
    ASSERT_TRUE(engine.LoadSkin(name, "", "", "", error)) << error.c_str();
    std::unique_ptr<MenusPage> owned(new MenusPage(&engine));
    MenusPage* page = owned.get();
    engine.OpenPage(page);
    engine.Advance(1000);
    auto center = [](TPDAUIEngineElement* e) {
        const TRectIG r = e->GetScreenRect();
        return TPointIG((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    };
    auto tap = [&](const char* id) {
        TPDAUIEngineElement* e = page->FindElement(id, false);
        ASSERT_NE(nullptr, e) << id;
        const TPointIG p = center(e);
        engine.Tap(p.x, p.y);
        engine.Advance(100);
    };
    tap("tbMenu");
    auto* main = dynamic_cast<TPDAUIEngineElementMenu*>(page->FindElement("mnuMain", false));
    ASSERT_TRUE(main->IsOpenPopup());
    tap("mniNight");  // a check item: the page flips it, the menu closes
    EXPECT_FALSE(main->IsOpenPopup());
    EXPECT_EQ(1, dynamic_cast<TPDAUIEngineElementMenuItem*>(page->FindElement("mniNight", false))->checked);
    tap("tbMenu");
    tap("mniFind");
    auto* find = dynamic_cast<TPDAUIEngineElementMenu*>(page->FindElement("mnuFind", false));
    ASSERT_TRUE(find->IsOpenPopup());
    EXPECT_TRUE(main->IsOpenPopup());
    tap("mniPlace");
    EXPECT_FALSE(find->IsOpenPopup());
    EXPECT_FALSE(main->IsOpenPopup());
    tap("tbZoomIn");
    // Each closing sends the menu's hide command before the chosen item's command;
    // opening the sub-menu closes and reopens the main menu (one more hide).
    const std::vector<std::string> expected = {"menu", "menuHidden", "nightColours", "menu", "menuHidden",
                                               "menuHidden", "place", "zoomIn"};
    EXPECT_EQ(expected, page->raised);
    engine.pages.RemoveAll();
}

} // namespace
