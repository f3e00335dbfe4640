// The map viewer gadget: the vehicle position it gives the library from the
// skin's settings, the input it passes to the viewer in window coordinates,
// and the map it paints.
#include <algorithm>
#include <string>
#include <vector>

#include "display/display_test_app.h"
#include "display/gadgets/TGadgetVisor2D.h"
#include "enginelib/nav/TDemoRoute.h"
#include "enginelib/draw/IDC.h"
#include "support/CoverPaint.h"
#include "support/GoldenImage.h"
#include "uiengine/elements/TPDAUIEngineElementBox.h"

namespace {

// A page without a skin page that keeps the commands its elements raise.
class HostPage : public TPDAUIEngineElementPage {
public:
    struct Got {
        std::string name;
        TPointIG point;
    };
    HostPage(TPDAUIEngine* e, int layoutMode) : TPDAUIEngineElementPage(e), layoutMode_(layoutMode) {}
    void OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage*, TPDAUIEngineElement* par, TPDAUIEngineXml*,
                TFicheroITV*) override
    {
        TPDAUIEngineElementPage::OnLoad(e, this, par, nullptr, nullptr);
        layout = layoutMode_;
    }
    void OnCommand(TPDAUIEngineCommand& c) override
    {
        if (c.name != "load")
            got.push_back({c.name.c_str(), TPointIG(c.value1, c.value2)});
    }
    std::vector<Got> got;

private:
    int layoutMode_;
};

// A page holding a box at (100, 40) with the gadget at (20, 10) in it, so the
// gadget's window rectangle is (120, 50) - (520, 350).
class GadgetTest : public ::testing::Test {
protected:
    GadgetTest()
    {
        // Absolute layouts: the rectangles set here stay.
        page = new HostPage(app.ui, TPDAUIEngineElementBox::LayoutAbsolute);
        app.ui->OpenPage(page);
        box = new TPDAUIEngineElementBox();
        box->layout = TPDAUIEngineElementBox::LayoutAbsolute;
        page->AddChild(box, nullptr, nullptr);
        box->SetBounds(100, 40, 600, 400);
        gadget = new TGadgetVisor2D(&app);
        box->AddChild(gadget, nullptr, nullptr);
        gadget->onContextMenuCommand = "showGadgetVisor2DContextMenu";
        gadget->SetBounds(20, 10, 400, 300);
        app.engine.recorder.calls.clear();
    }
    ~GadgetTest() override
    {
        app.ui->pages.RemoveAllEqual(page);
        delete page;
    }

    std::vector<std::string> Calls(const std::string& prefix) const
    {
        std::vector<std::string> out;
        for (const std::string& c : app.engine.recorder.calls)
            if (c.compare(0, prefix.size(), prefix) == 0)
                out.push_back(c);
        return out;
    }
    TVisor_LumorGPSPocket& Viewer() { return *app.engine.visor; }

    displaytest::DisplayApp app;
    HostPage* page = nullptr;
    TPDAUIEngineElementBox* box = nullptr;
    TGadgetVisor2D* gadget = nullptr;
};

TEST(GadgetVisor2DSettings, OnlyFourNumbersMakeACarPosition)
{
    struct Row {
        const char* text;
        bool ok;
        int values[4];
    };
    const Row rows[] = {
        {"50;50", false, {}},
        {"50;70;40;65", true, {50, 70, 40, 65}},
        {" 50 ;70; 40 ;65 ", true, {50, 70, 40, 65}},
        {"-10;+200;0;0", true, {-10, 200, 0, 0}},
        {"99999999999999;1;1;1", true, {2147483647, 1, 1, 1}},
        {"50;70;40", false, {}},
        {"50;70;40;65;10", false, {}},
        {"50;70;40;65;", false, {}},
        {"50;x;40;65", false, {}},
        {"50;70.5;40;65", false, {}},
        {"50;;40;65", false, {}},
        {";;;", false, {}},
        {"", false, {}},
        {"-;1;2;3", false, {}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text);
        int v[4] = {-1, -1, -1, -1};
        EXPECT_EQ(r.ok, TGadgetVisor2D::ParseCarMapPosition(r.text, v));
        if (r.ok) {
            EXPECT_EQ(std::vector<int>(r.values, r.values + 4), std::vector<int>(v, v + 4));
        }
    }
    int v[4];
    EXPECT_FALSE(TGadgetVisor2D::ParseCarMapPosition(nullptr, v));
}

TEST(GadgetVisor2DSettings, TheOrientationPicksThePairAsPercentOfTheRectangle)
{
    const TRectIG window(120, 50, 520, 350);
    struct Row {
        const char* setting;
        bool landscape;
        int x, y;
    };
    const Row rows[] = {
        {"50;50", false, 0, 0},
        {"50;50", true, 0, 0},
        {"50;70;40;65", false, 120 + 200, 50 + 210},
        {"50;70;40;65", true, 120 + 160, 50 + 195},
        {"33;33;0;100", false, 120 + 132, 50 + 99},
        {"0;0;100;100", true, 520, 350},
        {"50;x;40;65", true, 0, 0},
        // A skin may give any number: no overflow, the point stays in the int range.
        {"2147483647;-2147483647;0;0", false, 2147483647, -2147483647 - 1},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(r.setting) + (r.landscape ? " landscape" : " portrait"));
        const TPointIG p = TGadgetVisor2D::VehiclePoint(r.setting, window, r.landscape);
        EXPECT_EQ(r.x, p.x);
        EXPECT_EQ(r.y, p.y);
    }
}

TEST_F(GadgetTest, SetBoundsGivesTheLibraryTheVehiclePointOfTheSettingInForce)
{
    TPDAUIEngineSkinSettings& s = app.ui->skinSettings;
    s.carMapPosition = "50;80;50;70";
    s.carMapPositionFullScreen = "25;50;75;50";
    s.carMapPosition3D = "10;20;30;40";
    s.carMapPosition3DFullScreen = "50;50";
    struct Row {
        const char* name;
        bool landscape, fullScreen;
        int mode3D;
        const char* call;
    };
    // Window rectangle (120, 50) - (520, 350): middle y 200.
    const Row rows[] = {
        {"flat portrait", false, false, 0, "SetPixelPosMobile 320 200 320 290"},
        {"flat landscape", true, false, 0, "SetPixelPosMobile 320 200 320 260"},
        {"flat full screen", false, true, 0, "SetPixelPosMobile 220 200 220 200"},
        {"flat full screen landscape", true, true, 0, "SetPixelPosMobile 420 200 420 200"},
        {"3D portrait", false, false, 1, "SetPixelPosMobile 160 200 160 110"},
        {"3D landscape", true, false, 2, "SetPixelPosMobile 240 200 240 170"},
        {"3D full screen: the two-number default", false, true, 1, "SetPixelPosMobile 0 200 0 0"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        s.landscape = r.landscape;
        gadget->fullScreen = r.fullScreen;
        Viewer().mode3D = r.mode3D;
        app.engine.recorder.calls.clear();
        gadget->SetBounds(20, 10, 400, 300);
        EXPECT_EQ(std::vector<std::string>{r.call}, Calls("SetPixelPosMobile"));
        EXPECT_EQ(TRectIG(120, 50, 520, 350), gadget->windowRect);
    }
    // An empty rectangle tells the library nothing.
    app.engine.recorder.calls.clear();
    gadget->SetBounds(20, 10, 0, 300);
    EXPECT_TRUE(Calls("SetPixelPosMobile").empty());
}

TEST_F(GadgetTest, ReleaseAfterAMoveIsHandledAPlainTapIsNot)
{
    gadget->onCommand = "coordSelected";
    unsigned char handled = 7;
    // A plain tap: the press raises the gadget's command; the release is left to the page.
    gadget->OnMouseDown(10, 20, 0, 7, 8);
    gadget->OnMouseUp(10, 20, 0, &handled);
    EXPECT_EQ(0, handled);
    EXPECT_EQ(std::vector<std::string>({"MouseDown 130 70 1 7 8", "MouseUp 130 70 1"}), Calls("Mouse"));
    ASSERT_EQ(1u, page->got.size());
    EXPECT_EQ("coordSelected", page->got[0].name);
    EXPECT_EQ(TPointIG(130, 70), Viewer().cursor);

    // A drag: the move is handled and so is the release after it.
    app.engine.recorder.calls.clear();
    gadget->OnMouseDown(10, 20, 0, 0, 0);
    unsigned char moveHandled = 0;
    gadget->OnMouseMove(60, 20, 0, &moveHandled, 0, 0);
    EXPECT_EQ(1, moveHandled);
    EXPECT_EQ(1, gadget->moved);
    gadget->OnMouseUp(60, 20, 0, &handled);
    EXPECT_EQ(1, handled);
    EXPECT_EQ(0, gadget->moved);
    EXPECT_EQ(std::vector<std::string>({"MouseDown 130 70 1 0 0", "MouseUp 180 70 1"}), Calls("Mouse"));
    EXPECT_EQ(TPointIG(180, 70), Viewer().cursor);

    // Another button: never handled, and no command on its press.
    page->got.clear();
    app.engine.recorder.calls.clear();
    gadget->OnMouseDown(10, 20, 1, 0, 0);
    gadget->OnMouseMove(60, 20, 1, &moveHandled, 0, 0);
    gadget->OnMouseUp(60, 20, 1, &handled);
    EXPECT_EQ(0, handled);
    EXPECT_TRUE(page->got.empty());
    EXPECT_EQ(std::vector<std::string>({"MouseDown 130 70 2 0 0", "MouseUp 180 70 2"}), Calls("Mouse"));
}

TEST_F(GadgetTest, TheWheelZoomsAboutThePointAndBelowTheGadgetAboutItsMiddle)
{
    struct Row {
        const char* name;
        int x, y, delta;
        const char* call;
    };
    const Row rows[] = {
        {"inside", 30, 20, -120, "ZoomWheel 120 150 70"},
        {"inside, other way", 399, 299, 240, "ZoomWheel -240 519 349"},
        {"on the bottom edge", 30, 300, -120, "ZoomWheel 120 150 350"},
        {"below", 30, 320, -120, "ZoomWheel 120 150 200"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        app.engine.recorder.calls.clear();
        gadget->moved = 0;
        gadget->OnMouseWheel(r.x, r.y, r.delta);
        EXPECT_EQ(std::vector<std::string>{r.call}, Calls("ZoomWheel"));
        EXPECT_EQ(1, gadget->moved);
    }
    // The viewer zooms: a turn toward the user zooms in one step.
    const int before = Viewer().zoomLevel;
    app.ui->Wheel(200, 100, 120);  // through the engine, which passes -delta to the focused element
    EXPECT_EQ(before, Viewer().zoomLevel);  // the gadget is not focused: the page takes it
    page->SetFocus(gadget, true);
    app.ui->Wheel(200, 100, 120);
    EXPECT_EQ(before - 1, Viewer().zoomLevel);
}

TEST_F(GadgetTest, DoubleClickFollowsTheLibrarySetting)
{
    app.engine.config->doubleClick = false;
    gadget->OnMouseDoubleClick(10, 10, 0, 0);
    EXPECT_TRUE(Calls("MouseDblClick").empty());
    app.engine.config->doubleClick = true;
    gadget->OnMouseDoubleClick(10, 10, 0, 0);
    EXPECT_EQ(std::vector<std::string>{"MouseDblClick 130 60"}, Calls("MouseDblClick"));
}

TEST_F(GadgetTest, DropsOpenTheFilesAndADropWithoutFilesIsNotHandled)
{
    struct Row {
        const char* name;
        const char* files;
        unsigned char handledBefore;
        bool answer;
        std::vector<std::string> opened;
    };
    const Row rows[] = {
        {"no list", nullptr, 0, false, {}},
        {"empty list", "", 0, false, {}},
        {"only line breaks", "\n\r\n", 0, false, {}},
        {"two files", "/data/a.gpx\r\n/data/b.kml\n", 0, true, {"open /data/a.gpx", "open /data/b.kml"}},
        {"taken already", "/data/a.gpx", 1, true, {}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        app.engine.recorder.calls.clear();
        unsigned char handled = r.handledBefore;
        EXPECT_EQ(r.answer, gadget->OnDrop(5, 5, r.files, nullptr, &handled));
        EXPECT_EQ(r.answer ? 1 : 0, handled);
        EXPECT_EQ(r.opened, Calls("open "));
    }
}

TEST_F(GadgetTest, LongPressBecomesAContextMenuRequest)
{
    // The viewer flagged a long press: the next press asks for the menu instead.
    Viewer().longPress = true;
    gadget->OnMouseDown(40, 30, 0, 0, 0);
    ASSERT_EQ(1u, page->got.size());
    EXPECT_EQ("showGadgetVisor2DContextMenu", page->got[0].name);
    EXPECT_FALSE(Viewer().longPress);
    EXPECT_EQ(TPointIG(160, 80), Viewer().cursor);
    EXPECT_TRUE(Calls("MouseDown").empty());
    EXPECT_EQ(0, gadget->pressed);

    // The engine's own long press (held in place, then released) does the same,
    // with the window point as the command's point.
    page->got.clear();
    app.ui->Press(220, 150);
    app.ui->Advance(700);
    app.ui->Release(220, 150);
    const auto menus = std::count_if(page->got.begin(), page->got.end(), [](const HostPage::Got& g) {
        return g.name == "showGadgetVisor2DContextMenu";
    });
    EXPECT_EQ(1, menus);
    EXPECT_EQ(TPointIG(220, 150), Viewer().cursor);

    // At the window origin the command takes the gadget's origin and the viewer is left alone.
    page->got.clear();
    Viewer().longPress = true;
    Viewer().cursor = TPointIG(1, 1);
    unsigned char handled = 0;
    gadget->OnContextMenu(-120, -50, &handled);
    EXPECT_EQ(1, handled);
    ASSERT_EQ(1u, page->got.size());
    EXPECT_TRUE(Viewer().longPress);
    EXPECT_EQ(TPointIG(1, 1), Viewer().cursor);
}

TEST_F(GadgetTest, ContextMenuCommandCarriesTheWindowPoint)
{
    unsigned char handled = 0;
    gadget->OnContextMenu(5, 6, &handled);
    gadget->OnContextMenu(-120, -50, &handled);
    ASSERT_EQ(2u, page->got.size());
    EXPECT_EQ(TPointIG(125, 56), page->got[0].point);
    EXPECT_EQ(TPointIG(120, 50), page->got[1].point);
}

// The map covers the gadget only where it fills all of it, in a bitmap the
// library draws into; the box under it then leaves its background out there.
TEST_F(GadgetTest, CoversItsRectangleOnlyWhereTheMapFillsIt)
{
    box->SetAttribute("background", "#40C080");
    TDibIG rgb16, rgb24, bottomUp;
    ASSERT_TRUE(rgb16.Crea(800, 480, 16));
    ASSERT_TRUE(rgb24.Crea(800, 480, 24));
    ASSERT_TRUE(bottomUp.Crea(800, 480, 32, false, true));
    struct Case {
        const char* name;
        int padding, border;
        TDibIG* target;  // null: the engine's back buffer
        bool opaque;
    } cases[] = {
        {"plain", 0, 0, nullptr, true},
        {"padding", 3, 0, nullptr, false},
        {"border", 0, 2, nullptr, false},
        {"border inside a negative padding", -2, 2, nullptr, true},
        {"16-bit bitmap", 0, 0, &rgb16, true},
        {"24-bit bitmap", 0, 0, &rgb24, false},
        {"bottom-up bitmap", 0, 0, &bottomUp, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        gadget->padding.left = gadget->padding.top = gadget->padding.right = gadget->padding.bottom = c.padding;
        gadget->borders.Edit(TPDAUIEngineElement::StateNormal).width = c.border;
        gadget->borders.Edit(TPDAUIEngineElement::StateNormal).style = c.border ? 1 : 0;
        IDC other;
        IDC* dc = &app.ui->dc;
        if (c.target) {
            ASSERT_TRUE(other.BeginPaintDib(c.target));
            dc = &other;
        }
        EXPECT_EQ(c.opaque, gadget->PaintsOpaque(dc));
        if (c.target)
            other.EndPaintDib();
        EXPECT_EQ(0, coverpaint::Differences(*app.ui));
    }
    EXPECT_FALSE(gadget->PaintsOpaque(nullptr));
    gadget->padding = TPDAUIEnginePadding();
    gadget->borders.Edit(TPDAUIEngineElement::StateNormal).width = 0;
    gadget->visible = 0;
    EXPECT_FALSE(gadget->PaintsOpaque(&app.ui->dc));
    EXPECT_EQ(0, coverpaint::Differences(*app.ui));
    TGadgetVisor2D orphan(nullptr);
    EXPECT_FALSE(orphan.PaintsOpaque(&app.ui->dc));
}

TEST(GadgetVisor2DPaint, PaintsTheMapInItsContentRectangleAndClearsTheRepaintFlag)
{
    // The gadget fills a page, less a border and paddings.
    displaytest::DisplayApp app;
    HostPage mapPage(app.ui, TPDAUIEngineElementBox::LayoutVertical);
    app.ui->OpenPage(&mapPage);
    auto* g = new TGadgetVisor2D(&app);
    mapPage.AddChild(g, nullptr, nullptr);
    g->flex = 1;
    g->padding.left = g->padding.top = 10;
    g->padding.right = g->padding.bottom = 30;
    g->borders.Edit(TPDAUIEngineElement::StateNormal).Parse("Solid 4 #FFB639");
    app.ui->skinSettings.carMapPosition = "50;75;50;75";
    mapPage.ReapplyBounds();
    app.At(TDemoRoute::Get().EventTime("A.M2"));
    app.ui->mapRepaint = 1;
    const TDibIG& frame = app.ui->Frame();
    EXPECT_EQ(0, app.ui->mapRepaint);
    EXPECT_EQ(TRectIG(0, 0, 800, 480), g->windowRect);
    EXPECT_TRUE(golden::Matches(frame, "display/gadget_visor2d_m2", 2, 0));
    app.ui->pages.RemoveAllEqual(&mapPage);
}

} // namespace
