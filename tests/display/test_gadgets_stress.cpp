// Random input over a page holding the map viewer gadget, with the map toolbar
// and volume pages opening over it at random, under a fixed seed. Under the
// sanitizer build this is where a page that keeps a pointer past a close, or a
// reply read as the wrong kind of object, shows.
#include <string>

#include "display/display_test_app.h"
#include "display/gadgets/TGadgetVisor2D.h"
#include "display/pages/TPageMapToolbar.h"
#include "display/pages/TPageVolume.h"

namespace {

// The gadget is made at every load, as the map page does (a reload rebuilds the tree).
class MapHost : public TPDAUIEngineElementPage {
public:
    MapHost(TPDAUIEngine* e, TOrbetaApp* a) : TPDAUIEngineElementPage(e), app(a) {}
    void OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage*, TPDAUIEngineElement* par, TPDAUIEngineXml*,
                TFicheroITV*) override
    {
        TPDAUIEngineElementPage::OnLoad(e, this, par, nullptr, nullptr);
        gadget = new TGadgetVisor2D(app);
        AddChild(gadget, nullptr, nullptr);
        gadget->flex = 1;
        gadget->onCommand = "coordSelected";
        gadget->onContextMenuCommand = "showGadgetVisor2DContextMenu";
    }
    void Detach() override
    {
        gadget = nullptr;
        TPDAUIEngineElementPage::Detach();
    }
    void OnCommand(TPDAUIEngineCommand& c) override
    {
        if (c.name == "showGadgetVisor2DContextMenu")
            ++menus;
    }
    TOrbetaApp* app;
    TGadgetVisor2D* gadget = nullptr;
    int menus = 0;
};

int volume = 50, mute = 0;

TEST(GadgetsStress, RandomInputOverTheMapGadgetToolbarAndVolumePages)
{
    displaytest::DisplayApp app;
    ASSERT_TRUE(app.skinLoaded);
    TPDAUIEngineCallbacks& cb = app.ui->callbacks;
    cb.getSoundVolume = [](void*, int, int) { return volume; };
    cb.setSoundVolume = [](void*, int v, int) { volume = v; };
    cb.getSoundMute = [](void*) { return mute; };
    cb.setSoundMute = [](void*, int on, int) { mute = on; };

    MapHost host(app.ui, &app);
    app.ui->OpenPage(&host);
    app.ui->Advance(100);

    uint32_t state = 20261211;
    auto next = [&](int below) {
        state = state * 1664525u + 1013904223u;
        return (int)((state >> 8) % (uint32_t)below);
    };
    const char* settings[] = {"50;50", "50;70;40;65", "x;1;2;3", "-400;900;2147483647;-5", ""};
    const char* replies[] = {"menuItemClickedEnd", "showSomethingEnd", "lumorEngine_datosModificados", "refreshMenuItems",
                             "cancel", "mute", "volumeUp", "volumeDown", "load"};
    const int keys[] = {13, 27, 37, 38, 39, 40, 32};
    bool down = false;
    int opened = 0;
    for (int i = 0; i < 4000; ++i) {
        const int x = next(900) - 50, y = next(580) - 50;
        app.ui->quit = 0;  // a quit item may have run
        switch (next(18)) {
        case 0:
            if (app.ui->GetPageCount() < 4) {
                TVectorComandas* tree = app.engine.trees[next(7)];
                app.ui->OpenPage(next(2) ? static_cast<TPDAUIEngineElementPage*>(new TPageMapToolbar(&app, tree))
                                         : new TPageVolume(&app, next(2) == 0));
                ++opened;
            }
            break;
        case 1:
            app.ExecuteCommand(next(2) ? 2434 : 2435, nullptr, -1, nullptr, nullptr, 0, nullptr, nullptr);
            break;
        case 2:
        case 3:
            if (down)
                app.ui->Release(x, y, next(4) == 0 ? 1 : 0);
            else
                app.ui->Press(x, y, next(4) == 0 ? 1 : 0);
            down = !down;
            break;
        case 4:
            app.ui->Move(x, y);
            break;
        case 5:
            app.ui->Wheel(x, y, (next(5) - 2) * 120);
            break;
        case 6:
            app.ui->Key(keys[next(7)], 30);
            break;
        case 7: {
            // A reply of any kind to the top page, with any data.
            TPDAUIEngineElementPage* top = app.ui->GetTopPage();
            TPDAUIEngineCommand c(nullptr, replies[next(9)], next(3) == 0 ? 0 : (intptr_t)(&host) + next(3));
            c.result = (unsigned char)next(2);
            if (top && top != &host)
                top->OnCommand(c);
            break;
        }
        case 8: {
            unsigned char handled = (unsigned char)next(2);
            const char* files[] = {nullptr, "", "\n", "/tmp/a.gpx", "/tmp/a.gpx\n/tmp/b.kml"};
            host.gadget->OnDrop(x, y, files[next(5)], nullptr, &handled);
            host.gadget->OnMouseDoubleClick(x, y, 0, 0);
            break;
        }
        case 9:
            app.ui->skinSettings.carMapPosition = settings[next(5)];
            app.ui->skinSettings.landscape = (uint8_t)next(2);
            host.gadget->fullScreen = (uint8_t)next(2);
            app.engine.visor->longPress = next(3) == 0;
            app.ui->mapRepaint = (uint8_t)next(2);
            host.ReapplyBounds();
            break;
        case 10:
            app.ui->Frame();
            break;
        case 11:
            app.At(next(600));
            break;
        case 12:
        case 13:
            app.ui->CloseLastPage();
            break;
        default:
            app.ui->Advance(10 + next(400));
            break;
        }
        ASSERT_GE(app.ui->GetPageCount(), 1);
        ASSERT_EQ(&host, app.ui->GetPage(0));
        ASSERT_GE(volume, 0);
        ASSERT_LE(volume, 100);
    }
    if (down)
        app.ui->Release(400, 240);
    app.ui->quit = 0;
    app.ui->ClosePagesUntilFirst();
    app.ui->Advance(30000);
    for (int i = 0; i < 10 && app.ui->GetPageCount() > 1; ++i) {
        app.ui->Key(27, 30);
        app.ui->ClosePagesUntilFirst();
        app.ui->Advance(1000);
    }
    // The gadget took input of each kind.
    int downs = 0, wheels = 0;
    for (const std::string& c : app.engine.recorder.calls) {
        downs += c.compare(0, 9, "MouseDown") == 0;
        wheels += c.compare(0, 9, "ZoomWheel") == 0;
    }
    EXPECT_GT(downs, 0);
    EXPECT_GT(wheels, 0);
    EXPECT_GT(host.menus, 0);
    EXPECT_GT(opened, 50);
    EXPECT_EQ(1, app.ui->GetPageCount());
    app.ui->pages.RemoveAllEqual(&host);
}

} // namespace
