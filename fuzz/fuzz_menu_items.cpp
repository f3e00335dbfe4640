// Menus built from command-tree files (the tool bar's tree is the user's): any
// tree that reads is filled into a menu of the default skin and refreshed, with
// its names, icon names and depth as the file gives them.
#include <cstddef>
#include <cstdint>
#include <string>

#include "app/TOrbetaApp.h"
#include "enginelib/nav/TConfig.h"
#include "enginelib/nav/TVectorComandas.h"
#include "enginelib/nav/TVisor_LumorGPSPocket.h"
#include "tests/support/QuietEngine.h"
#include "tests/support/TestPaths.h"
#include "uiengine/controls/RegisterMenu.h"
#include "uiengine/controls/TPDAUIEngineElementCanvas.h"
#include "uiengine/controls/TPDAUIEngineElementMenu.h"
#include "uiengine/elements/TPDAUIEngineElementFactory.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"

namespace {

class FuzzApp : public TOrbetaApp {
public:
    void PlatformHook() override {}
};

struct Setup {
    Setup() : page(&engine)
    {
        RegisterMenuElements(&TPDAUIEngineElementFactory::RegisterTag);
        engine.OnResize(0, 0, 800, 480);
        engine.skinsFolder = (testpaths::SourceDir() + "/skins").c_str();
        DString skin("default"), error;
        engine.LoadSkin(skin, "", "", "", error);
        app.engine.libraryFolder = testpaths::SourceDir() + "/enginelib/nav/data";
        app.engine.Inicializa0();
        app.engine.Inicializa2_hWnd(nullptr, nullptr, nullptr);
        app.engine.Inicializa1(error);
        app.engine.Inicializa2(error);
        app.engine.config->recentFiles.Nuevo_Archivo("\\Storage\\a.gpx");
        app.uiEngine = &engine;
        engine.OpenPage(&page);
    }
    QuietEngine engine;
    FuzzApp app;
    TPDAUIEngineElementPage page;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Setup* setup = new Setup();
    FuzzApp& app = setup->app;
    TVectorComandas tree;
    std::string error;
    if (!tree.FromXml(std::string(reinterpret_cast<const char*>(data), size), error))
        return 0;
    app.engine.recorder.calls.clear();
    app.engine.recorder.log.clear();

    auto* menu = new TPDAUIEngineElementMenu();
    setup->page.AddChild(menu, nullptr, nullptr);
    app.FillCommandButtons(menu, nullptr, &tree, 0, "menuItemClicked", 1, 2, 3, size & 1);
    bool changed = false;
    app.engine.visor->mode3D = (int)(size % 3);
    app.RefreshMenuItems(menu, changed);
    // No two visible separators in a row, and none last.
    bool afterSeparator = false;
    TPDAUIEngineElement* last = nullptr;
    for (int i = 0; i < menu->children.Count(); ++i) {
        TPDAUIEngineElement* child = menu->children[i];
        if (!child->visible)
            continue;
        const bool separator = dynamic_cast<TPDAUIEngineElementSeparator*>(child) != nullptr;
        if (separator && afterSeparator)
            __builtin_trap();
        afterSeparator = separator;
        last = child;
    }
    if (last && dynamic_cast<TPDAUIEngineElementSeparator*>(last))
        __builtin_trap();
    setup->page.RemoveChild(menu);  // deletes it
    return 0;
}
