// The map toolbar page: a command tree as a menu; it runs the chosen item,
// closes on the reply or when the library's data change, asks before the quit
// item quits, and passes replies on to the page below.
#include <string>
#include <vector>

#include "display/display_test_app.h"
#include "display/pages/TPageMapToolbar.h"
#include "enginelib/nav/TGeoCode.h"
#include "enginelib/nav/TVectorComandas.h"
#include "support/GoldenImage.h"
#include "uiengine/controls/TPDAUIEngineElementMenu.h"
#include "uiengine/controls/TPDAUIEngineElementMenuItem.h"

namespace {
using exectest::RecMain;

class MapToolbarTest : public ::testing::Test {
protected:
    MapToolbarTest() : main(&app)
    {
        zoomIn = tree.Anyade_Comanda(101);
        quitItem = tree.Anyade_Comanda(506);
        TItemComanda* more = tree.Anyade_Comanda(3007, true);
        deep = more->CreaSubMenu().Anyade_Comanda(102);
        app.ui->OpenPage(&main);
        toolbar = new TPageMapToolbar(&app, &tree);
        app.ui->OpenPage(toolbar);
        app.engine.recorder.calls.clear();
        app.engine.recorder.log.clear();
    }
    ~MapToolbarTest() override
    {
        app.ui->pages.RemoveAllEqual(toolbar);
        delete toolbar;
        app.ui->pages.RemoveAllEqual(&main);
    }

    TPDAUIEngineElementMenuItem* ItemFor(int number)
    {
        for (int i = 0; i < toolbar->mnuMenu->children.Count(); ++i) {
            auto* item = dynamic_cast<TPDAUIEngineElementMenuItem*>(toolbar->mnuMenu->children[i]);
            if (item && reinterpret_cast<TItemComanda*>(item->userData)->Comanda() == number)
                return item;
        }
        return nullptr;
    }
    // A reply as a page opened from the toolbar would send it.
    bool Reply(const char* name, intptr_t data, unsigned char result)
    {
        TPDAUIEngineCommand c(nullptr, name, data);
        c.result = result;
        toolbar->OnCommand(c);
        return c.handled != 0;
    }

    displaytest::DisplayApp app;
    RecMain main;
    TVectorComandas tree;
    TItemComanda* zoomIn = nullptr;
    TItemComanda* quitItem = nullptr;
    TItemComanda* deep = nullptr;
    TPageMapToolbar* toolbar = nullptr;
};

TEST_F(MapToolbarTest, ListsTheTreeWithTheMenuFocused)
{
    ASSERT_NE(nullptr, toolbar->lblTitle);
    ASSERT_NE(nullptr, toolbar->btnCancel);
    ASSERT_NE(nullptr, toolbar->mnuMenu);
    EXPECT_NE(nullptr, ItemFor(101));
    EXPECT_NE(nullptr, ItemFor(506));
    EXPECT_NE(nullptr, ItemFor(3007));
    EXPECT_EQ(toolbar->mnuMenu, toolbar->focusedElement);
    EXPECT_EQ(0, toolbar->closing);
}

TEST_F(MapToolbarTest, ChoosingAnItemRunsItAndClosesOnItsReply)
{
    TPDAUIEngineElementMenuItem* item = ItemFor(101);
    ASSERT_NE(nullptr, item);
    const int zoom = app.engine.visor->zoomLevel;
    item->RaiseCommand(item->onCommand.c_str(), 0, 0, false);
    EXPECT_EQ(std::vector<std::string>{"101"}, app.executed);
    EXPECT_EQ(zoom - 1, app.engine.visor->zoomLevel);
    EXPECT_EQ(1, toolbar->closing);
    EXPECT_EQ(1, toolbar->result);
    // The reply was this page's: the main page heard nothing of it.
    EXPECT_TRUE(main.got.empty());
}

TEST_F(MapToolbarTest, ClosesWithOneOnAnyReplyOfItsItemAndZeroOnCancel)
{
    EXPECT_TRUE(Reply("menuItemClickedEnd", reinterpret_cast<intptr_t>(deep), 0));
    EXPECT_EQ(1, toolbar->closing);
    EXPECT_EQ(1, toolbar->result);

    toolbar->closing = 0;
    TPDAUIEngineCommand cancel(nullptr, "cancel");
    toolbar->OnCommand(cancel);
    EXPECT_EQ(1, toolbar->closing);
    EXPECT_EQ(0, toolbar->result);
}

TEST_F(MapToolbarTest, DataModifiedClosesAtOnce)
{
    app.BroadcastDataModified(nullptr);
    EXPECT_EQ(1, toolbar->closing);
    EXPECT_EQ(1, toolbar->result);
}

TEST_F(MapToolbarTest, OtherRepliesAndThePageBelow)
{
    TGeoCode place;
    struct Row {
        const char* name;
        intptr_t data;
        unsigned char result;
        bool quitAllowed;
        bool handled;
        bool closes;
        bool quits;
    };
    const Row rows[] = {
        {"no data: unhandled, kept", 0, 1, true, false, false, false},
        {"data, refused: kept", reinterpret_cast<intptr_t>(zoomIn), 0, true, true, false, false},
        {"an item accepted: closes", reinterpret_cast<intptr_t>(zoomIn), 1, true, true, true, false},
        {"an object of another kind accepted: closes", reinterpret_cast<intptr_t>(&place), 1, true, true, true,
         false},
        {"the quit item, allowed: quits", reinterpret_cast<intptr_t>(quitItem), 1, true, true, true, true},
        {"the quit item, refused by the library: kept", reinterpret_cast<intptr_t>(quitItem), 1, false, true, false,
         false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        toolbar->closing = 0;
        toolbar->result = 0;
        app.ui->quit = 0;
        main.got.clear();
        app.engine.recorder.log.clear();
        app.engine.visor->quitAllowed = r.quitAllowed;
        EXPECT_EQ(r.handled, Reply("showSomethingEnd", r.data, r.result));
        EXPECT_EQ(r.closes ? 1 : 0, toolbar->closing);
        if (r.closes) {
            EXPECT_EQ(1, toolbar->result);
        }
        EXPECT_EQ(r.quits ? 1 : 0, app.ui->quit);
        const bool logged = !app.engine.recorder.log.empty() &&
                            app.engine.recorder.log.back() == "----> SHUTDOWN TPageContextMenu::OnLoad";
        EXPECT_EQ(r.quits, logged);
        // Whatever happened, the page below heard it too.
        EXPECT_EQ(std::vector<std::string>{"showSomethingEnd"}, main.got);
    }
    // The close query was asked for the quit item only.
    int queries = 0;
    for (const std::string& c : app.engine.recorder.calls)
        queries += c == "may quit 506";
    EXPECT_EQ(2, queries);
}

TEST_F(MapToolbarTest, WithTheQuitFlagSetAnAcceptedReplyCloses)
{
    app.ui->quit = 1;
    EXPECT_TRUE(Reply("showSomethingEnd", reinterpret_cast<intptr_t>(quitItem), 1));
    EXPECT_EQ(1, toolbar->closing);
    for (const std::string& c : app.engine.recorder.calls)
        EXPECT_NE("may quit 506", c);
    app.ui->quit = 0;
}

TEST_F(MapToolbarTest, NotOnTopItDoesNotPassRepliesToItself)
{
    // A page above the toolbar: the page below the top is the toolbar itself.
    RecMain above(&app);
    app.ui->OpenPage(&above);
    EXPECT_FALSE(Reply("showSomethingEnd", 0, 1));
    EXPECT_TRUE(main.got.empty());
    app.ui->pages.RemoveAllEqual(&above);
}

TEST(MapToolbarPicture, TheOnRoadToolbarTreeOverTheMainPage)
{
    displaytest::DisplayApp app;
    RecMain main(&app);
    app.ui->OpenPage(&main);
    auto* toolbar = new TPageMapToolbar(&app, app.engine.trees[4]);
    app.ui->OpenPage(toolbar);
    app.ui->Advance(500);
    EXPECT_TRUE(golden::Matches(app.ui->Frame(), "display/page_map_toolbar", 2, 0));
    app.ui->pages.RemoveAllEqual(toolbar);
    delete toolbar;
    app.ui->pages.RemoveAllEqual(&main);
}

} // namespace
