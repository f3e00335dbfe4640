// Menu items built from the library's command trees, and their refresh.
#include <sys/stat.h>

#include <fstream>

#include "enginelib/nav/TVectorComandas.h"
#include "pages_test_app.h"
#include "uiengine/controls/TPDAUIEngineElementCanvas.h"
#include "uiengine/controls/TPDAUIEngineElementMenu.h"
#include "uiengine/controls/TPDAUIEngineElementMenuItem.h"

namespace {
using namespace pagestest;

// A skin of its own holding only some command images, so that each step of the
// image chain can be reached.
class MenuItemsTest : public PagesHarness {
protected:
    MenuItemsTest()
    {
        const std::string from = testpaths::SourceDir() + "/skins/default/";
        const std::string to = dir / "menus";
        mkdir(to.c_str(), 0755);
        std::ofstream(to + "/skin.xml") << "<skin version=\"440\"><defaultSkinName value=\"menus\"/></skin>\n";
        for (const char* image : {"commonCommand101", "commonCommand101Pressed", "commonCommand101Disabled",
                                  "commonCommand269Pressed", "commonCommand269Pressed2", "commonHome",
                                  "toolbar_lumor_ob", "commonCheckBoxSmall", "commonSeparatorBackground"}) {
            std::ifstream in(from + image + ".png", std::ios::binary);
            std::ofstream(to + "/" + image + ".png", std::ios::binary) << in.rdbuf();
        }
        engine.skinsFolder = dir.path().c_str();
        LoadSkin("menus");
        page = new RecordingPage(&engine);
        kept.push_back(page);
        engine.OpenPage(page);
        menu = new TPDAUIEngineElementMenu();
        menu->foregrounds[0] = 0x123456;
        menu->font.size = 21;
        menu->padding.left = 7;
        page->AddChild(menu, nullptr, nullptr);
    }

    TPDAUIEngineElementMenuItem* Item(int index, TPDAUIEngineElementBox* in = nullptr)
    {
        TPDAUIEngineElementBox* box = in ? in : menu;
        return dynamic_cast<TPDAUIEngineElementMenuItem*>(box->children[index]);
    }
    void Fill(bool atFront = false)
    {
        app.FillCommandButtons(menu, nullptr, &tree, 0, "menuItemClicked", 4, 5, 6, atFront);
    }

    testpaths::TempDir dir;
    RecordingPage* page = nullptr;
    TPDAUIEngineElementMenu* menu = nullptr;
    TVectorComandas tree;
};

TEST_F(MenuItemsTest, SpareSeparatorsAreHidden)
{
    struct Case {
        std::vector<int> commands;
        std::vector<bool> visible;
    };
    const Case cases[] = {
        {{10, 10, 5, 10}, {true, false, true, false}},
        {{5, 10, 10, 10, 6}, {true, true, false, false, true}},
        {{5, 10}, {true, false}},
        {{10}, {false}},
        {{5, 6}, {true, true}},
    };
    for (const Case& c : cases) {
        menu->RemoveAllChildren();
        tree.RemoveAll();
        for (int n : c.commands)
            tree.Anyade_Comanda(n);
        Fill();
        ASSERT_EQ((int)c.commands.size(), menu->children.Count());
        for (size_t i = 0; i < c.commands.size(); ++i) {
            TPDAUIEngineElement* child = menu->children[(int)i];
            EXPECT_EQ(c.commands[i] == 10, dynamic_cast<TPDAUIEngineElementSeparator*>(child) != nullptr);
            EXPECT_EQ(c.visible[i], child->visible != 0) << "child " << i << " of case " << c.commands.size();
            if (c.commands[i] == 10) {
                EXPECT_EQ(0x123456u, child->foregrounds[0]);  // the container's text colour
            }
        }
    }
}

TEST_F(MenuItemsTest, ItemsCarryTheirCommandLabelAndTheCallersNumbers)
{
    TItemComanda* zoom = tree.Anyade_Comanda(101, false, "&zoom {C101}");
    Fill();
    TPDAUIEngineElementMenuItem* item = Item(0);
    ASSERT_TRUE(item);
    EXPECT_EQ(reinterpret_cast<intptr_t>(zoom), item->userData);
    EXPECT_EQ(4, item->userValue1);
    EXPECT_EQ(5, item->userValue2);
    EXPECT_EQ(6, item->userValue3);
    EXPECT_STREQ("menuItemClicked", item->onCommand.c_str());
    DString expected("zoom {C101}");
    app.engine.Sustituye_Id_Idioma(expected);
    expected.Primera_Letra_Mayusculas();
    EXPECT_STREQ(expected.c_str(), item->label.c_str());
    EXPECT_EQ('Z', item->label[0]);
    EXPECT_TRUE(item->raiseMultipleCommandsWhenPressed);  // 101 repeats while held
    // The container's item styles.
    EXPECT_EQ(21, item->font.size);
    EXPECT_EQ(7, item->padding.left);
}

TEST_F(MenuItemsTest, TheImageChain)
{
    struct Case {
        int command;
        const char* icon;
        const char* label;
        const char* imageName;  // "" for none
        const char* pressedName;
        bool image;
    };
    const Case cases[] = {
        {101, nullptr, nullptr, "commonCommand101", "commonCommand101Pressed", true},
        {184, nullptr, nullptr, "toolbar_lumor_ob[10,16,16]", "", true},  // tile 10 of the strip
        {3015, nullptr, nullptr, "commonCheckBoxSmall", "", true},
        {4242, nullptr, nullptr, "", "", false},                          // nothing at all
        {4242, "commonHome", nullptr, "commonHome", "commonHomePressed", true},
        {101, nullptr, "AAA", "", "", false},
    };
    for (const Case& c : cases) {
        tree.Anyade_Comanda(c.command, false, c.label ? c.label : "Entry", nullptr, c.icon);
    }
    Fill();
    for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
        const Case& c = cases[i];
        TPDAUIEngineElementMenuItem* item = Item((int)i);
        ASSERT_TRUE(item);
        EXPECT_STREQ(c.imageName, item->imageName.c_str()) << c.command;
        EXPECT_STREQ(c.pressedName, item->imagePressedName.c_str()) << c.command;
        EXPECT_EQ(c.image, item->image != nullptr) << c.command;
    }
    EXPECT_NE(nullptr, Item(0)->imagePressed);
    EXPECT_NE(nullptr, Item(0)->imageDisabled);
    EXPECT_EQ(16, Item(1)->image->Width());
}

TEST_F(MenuItemsTest, SubMenusAreFilledAndAtFrontKeepsTheTreeOrder)
{
    auto* existing = new TPDAUIEngineElementMenuItem();
    existing->label = "Quit";
    menu->AddChild(existing, nullptr, nullptr);
    TItemComanda* find = tree.Anyade_Comanda(2462, false, "Find");
    find->CreaSubMenu().Anyade_Comanda(272, false, "Address");
    find->SubMenu()->Anyade_Comanda(10);
    find->SubMenu()->Anyade_Comanda(273, false, "Recent");
    TItemComanda* debug = tree.Anyade_Comanda(9001, false, "Debug");
    debug->CreaSubMenu().Anyade_Comanda(9002, false, "One");
    tree.Anyade_Comanda(2463, false, "Empty sub-menu")->CreaSubMenu();
    Fill(true);

    ASSERT_EQ(4, menu->children.Count());
    EXPECT_STREQ("Find", Item(0)->label.c_str());
    EXPECT_STREQ("Debug", Item(1)->label.c_str());
    EXPECT_STREQ("Empty sub-menu", Item(2)->label.c_str());
    EXPECT_EQ(existing, Item(3));
    TPDAUIEngineElementMenu* sub = Item(0)->SubMenu();
    ASSERT_TRUE(sub);
    EXPECT_FALSE(sub->visible);
    ASSERT_EQ(3, sub->children.Count());
    EXPECT_STREQ("Address", Item(0, sub)->label.c_str());
    EXPECT_STREQ("menuItemClicked", Item(0, sub)->onCommand.c_str());
    EXPECT_EQ(0, Item(0, sub)->userValue1);  // sub-items get zeros
    EXPECT_TRUE(sub->children[1]->visible);  // a separator between two items stays
    EXPECT_NE(Item(1)->SubMenu()->backgrounds[0].colour, menu->backgrounds[0].colour);  // debug colours
    EXPECT_EQ(nullptr, Item(2)->SubMenu());  // nothing under it: no sub-menu
}

TEST_F(MenuItemsTest, ATemplateIsClonedForEachItem)
{
    auto* templ = new TPDAUIEngineElementMenuItem();
    templ->id = "mniTemplate";
    templ->visible = 0;
    templ->font.size = 30;
    page->AddChild(templ, nullptr, nullptr);
    tree.Anyade_Comanda(101, false, "A");
    tree.Anyade_Comanda(102, false, "B");
    app.FillCommandButtons(menu, templ, &tree, 0, "menuItemClicked", 0, 0, 0, false);
    ASSERT_EQ(2, menu->children.Count());
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(30, Item(i)->font.size);
        EXPECT_TRUE(Item(i)->visible);
        EXPECT_NE(templ, Item(i));
    }
}

TEST_F(MenuItemsTest, RecentFilesBecomeNumberedItems)
{
    TConfigRecent& recents = app.engine.config->recentFiles;
    recents.Clear();
    for (const char* file : {"\\Storage\\a.gpx", "/home/me/tracks/b.kml", "c.gpx"})
        recents.Nuevo_Archivo(file);
    tree.Anyade_Comanda(509, false, "Recent files");
    Fill();
    TPDAUIEngineElementMenu* sub = Item(0)->SubMenu();
    ASSERT_TRUE(sub);
    EXPECT_EQ(0, sub->children.Count());  // filled when refreshed

    bool changed = false;
    app.RefreshMenuItems(menu, changed);
    ASSERT_EQ(3, sub->children.Count());
    const char* labels[] = {"1 c.gpx", "2 b.kml", "3 a.gpx"};
    for (int i = 0; i < 3; ++i) {
        TPDAUIEngineElementMenuItem* recent = Item(i, sub);
        EXPECT_STREQ(labels[i], recent->label.c_str());
        EXPECT_EQ("openRecentFile" + std::to_string(i), recent->onCommand.c_str());
        EXPECT_EQ(nullptr, recent->image);
    }
    // Refreshing again builds the list anew.
    recents.Clear();
    recents.Nuevo_Archivo("d.gpx");
    app.RefreshMenuItems(menu, changed);
    ASSERT_EQ(1, sub->children.Count());
    EXPECT_STREQ("1 d.gpx", Item(0, sub)->label.c_str());
}

TEST_F(MenuItemsTest, RefreshSetsStatesInvertsChecksAndFollowsThe3DMode)
{
    tree.Anyade_Comanda(269, false, "3D");
    tree.Anyade_Comanda(4242, false, "Inverted", nullptr, nullptr, -1, true);
    tree.Anyade_Comanda(708, false, "Pause recording");  // shown while recording
    TItemComanda* more = tree.Anyade_Comanda(2462, false, "More");
    more->CreaSubMenu().Anyade_Comanda(708, false, "Nested");
    Fill();
    TVisor_LumorGPSPocket* visor = app.engine.visor;
    EXPECT_FALSE(Item(2)->visible);

    bool changed = false;
    app.RefreshMenuItems(menu, changed);
    EXPECT_FALSE(changed);
    EXPECT_EQ(1, Item(1)->checked);  // the library says unchecked; the item inverts it

    visor->recording = 1;
    visor->mode3D = 1;
    app.RefreshMenuItems(menu, changed);
    EXPECT_TRUE(changed);
    EXPECT_TRUE(Item(2)->visible);
    EXPECT_TRUE(Item(0, Item(3)->SubMenu())->visible);  // sub-menus are refreshed too
    EXPECT_STREQ("commonCommand269Pressed", Item(0)->imagePressedName.c_str());
    EXPECT_NE(nullptr, Item(0)->imagePressed);
    visor->mode3D = 2;
    app.RefreshMenuItems(menu, changed);
    EXPECT_STREQ("commonCommand269Pressed2", Item(0)->imagePressedName.c_str());
    EXPECT_NE(nullptr, Item(0)->imagePressed);
}

TEST_F(MenuItemsTest, NoContainerOrNoTreeChangesNothing)
{
    EXPECT_EQ(nullptr, app.FillCommandButtons(nullptr, nullptr, &tree, 0, "x", 0, 0, 0, false));
    EXPECT_EQ(menu, app.FillCommandButtons(menu, nullptr, nullptr, 0, "x", 0, 0, 0, false));
    EXPECT_EQ(0, menu->children.Count());
    bool changed = false;
    app.RefreshMenuItems(nullptr, changed);
    app.RefreshMenuItems(menu, changed);
    EXPECT_FALSE(changed);
}

TEST_F(MenuItemsTest, AVeryDeepTreeStopsDescending)
{
    TVectorComandas* level = &tree;
    for (int i = 0; i < 200; ++i)
        level = &level->Anyade_Comanda(2462, false, "Deeper")->CreaSubMenu();
    level->Anyade_Comanda(101, false, "Bottom");
    Fill();
    int depth = 0;
    for (TPDAUIEngineElementBox* box = menu; box && box->children.Count(); ++depth) {
        TPDAUIEngineElementMenuItem* item = Item(0, box);
        box = item ? item->SubMenu() : nullptr;
    }
    EXPECT_LE(depth, 40);
    EXPECT_GE(depth, 30);
}

} // namespace
