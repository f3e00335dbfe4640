// A map screen at 800 x 480: the library's map viewer under a page of tool
// bars and live controls, painted by the UI engine, beside the floor of that
// frame in the same run: raw pixman compositing the same layers from cached
// pictures (the map, then each tool bar, panel and control over it). Also
// what one simulated second costs: the live controls take new values and the
// screen is painted, beside the floor of repainting only their areas.
//
// The screen is the application's map page inside the main page when the
// program has one; otherwise a page of the default skin's elements with
// labels for the live values and the advertising banner.
#include <benchmark/benchmark.h>

#include <pixman.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "app/TOrbetaApp.h"
#include "app/TOrbetaAppCommands.h"
#include "app/TUserControlFactory.h"
#include "enginelib/draw/IDC.h"
#include "enginelib/nav/Debug.h"
#include "enginelib/nav/InAppAdsController.h"
#include "enginelib/nav/TNavSimulation.h"
#include "enginelib/nav/TValCampo.h"
#include "enginelib/nav/TVisor_LumorGPSPocket.h"
#include "tests/support/QuietEngine.h"
#include "uiengine/controls/RegisterControls.h"
#include "uiengine/core/TPDAUIEngineXml.h"
#include "uiengine/elements/TPDAUIEngineElementFactory.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"
#include "uiengine/elements/TPDAUIEngineElementUserControl.h"

#if __has_include("display/pages/TPageMap.h")
#include "app/pages/TPageMain.h"
#include "display/pages/TPageMap.h"
#include "uiengine/controls/TPDAUIEngineElementButton.h"
#include "uiengine/controls/TPDAUIEngineElementToolBar.h"
#define BENCH_MAP_PAGE 1
#endif

namespace {

const int kW = 800, kH = 480;
const std::string kSource = ORBETA_SOURCE_DIR;

class BenchApp : public TOrbetaApp {
public:
    void PlatformHook() override {}
};

// The map viewer as an element: the whole map into the element's rectangle at
// every paint, as the map gadget hands it the screen.
class MapElement : public TPDAUIEngineElement {
public:
    explicit MapElement(TVisor_LumorGPSPocket* v) : visor(v) { tag = "benchmap"; }
    void Paint(IDC* dc, int x, int y) override
    {
        const TRectIG r(x + left, y + top, x + left + width, y + top + height);
        if (dc && cached)
            dc->StretchDIBits(r, TRectIG(0, 0, width, height), cached);
        else if (visor && dc)
            visor->RepintateI(*dc, r, false);
    }
    // A picture that reaches every pixel covers the rectangle, as the map
    // gadget does.
    bool PaintsOpaque(IDC*) override
    {
        return visible && cached && cached->Width() >= width && cached->AbsHeight() >= height;
    }
    TVisor_LumorGPSPocket* visor;
    // A picture of the map copied instead of drawing it: what the page costs
    // around a map that did not change.
    const TDibIG* cached = nullptr;
};

// The screen: the map under a header bar, a live panel on the right, the banner
// and a bottom tool bar, in the default skin's look.
const char kPageXml[] =
    "<page id=\"pageMapBench\" layout=\"Stack\">"
    " <box id=\"boxMap\" layout=\"Vertical\"/>"
    " <box id=\"boxOver\" layout=\"Vertical\">"
    "  <box id=\"boxTop\" class=\"header\" layout=\"Horizontal\" paddingInner=\"6\">"
    "   <button id=\"btnZoomIn\" image=\"commonCommand101\" minimumWidth=\"56\"/>"
    "   <button id=\"btnZoomOut\" image=\"commonCommand102\" minimumWidth=\"56\"/>"
    "   <label id=\"lblStreet\" class=\"header\" flex=\"1\" label=\"Harbour Road\"/>"
    "   <label id=\"lblClock\" class=\"header\" minimumWidth=\"90\" label=\"00:00\"/>"
    "  </box>"
    "  <box layout=\"Horizontal\" flex=\"1\">"
    "   <box flex=\"1\"/>"
    "   <box id=\"boxLive\" layout=\"Vertical\" minimumWidth=\"170\" background=\"#10203C\" padding=\"8\""
    "        paddingInner=\"6\" margin=\"8\">"
    "    <label id=\"lblSpeed\" class=\"title\" label=\"0 km/h\"/>"
    "    <label id=\"lblLimit\" label=\"limit\"/>"
    "    <label id=\"lblNext\" label=\"next\"/>"
    "    <label id=\"lblRemaining\" class=\"caption\" label=\"remaining\"/>"
    "    <progressbar id=\"pgbGps\" minimumHeight=\"16\"/>"
    "   </box>"
    "  </box>"
    "  <box layout=\"Horizontal\" pack=\"Center\">"
    "   <usercontrol type=\"usercontrolOrbetaAds\" id=\"boxOrbetaAds\" visible=\"true\"/>"
    "  </box>"
    "  <box id=\"boxBottom\" class=\"header\" layout=\"Horizontal\" paddingInner=\"6\">"
    "   <button id=\"btnMenu\" image=\"commonCommand11\" flex=\"1\"/>"
    "   <button id=\"btn2D\" image=\"commonCommand105\" flex=\"1\"/>"
    "   <button id=\"btnNight\" image=\"commonCommand129\" flex=\"1\"/>"
    "   <button id=\"btnFavourite\" image=\"commonCommand1101\" flex=\"1\"/>"
    "   <button id=\"btnMore\" image=\"commonCommand151\" flex=\"1\"/>"
    "  </box>"
    " </box>"
    "</page>";

class BenchPage : public TPDAUIEngineElementPage {
public:
    explicit BenchPage(TPDAUIEngine* e) : TPDAUIEngineElementPage(e) { pageName = "pageMapBench"; }
    void OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage*, TPDAUIEngineElement* par, TPDAUIEngineXml*,
                TFicheroITV*) override
    {
        TPDAUIEngineXml root;
        DString text(kPageXml);
        root.Parse(text.str());
        e->skinSettings.styleSheet.ApplyToXml(&root);
        TPDAUIEngineElementPage::OnLoad(e, this, par, &root, nullptr);
    }
};

// The application, its library and a window-less engine with the default skin
// showing the screen.
struct MapScreen {
    MapScreen()
    {
        RegisterControlElements(&TPDAUIEngineElementFactory::RegisterTag);
        app.engine.dataFolder.clear();
        app.engine.libraryFolder = kSource + "/enginelib/nav/data";
        app.engine.Inicializa0();
        app.engine.Inicializa2_hWnd(nullptr, nullptr, nullptr);
        DString error;
        app.engine.Inicializa1(error);
        app.engine.Inicializa2(error);
        app.engine.visor->fontFile = kSource + "/skins/default/DejaVuSans.ttf";
        // No banner download while measuring: the default banner stays.
        app.engine.adsController->listFile = kSource + "/enginelib/nav/data/ads/none";
        app.engine.simulation->SetTime(0);
        enginelib::Debug::JumpTo("A.M2", -100);
        app.uiEngine = &engine;
        engine.OnResize(0, 0, kW, kH);
        engine.skinsFolder = (kSource + "/skins").c_str();
        DString name("default");
        engine.LoadSkin(name, "", "", "", error);
        engine.callbacks.userData = &app;
        engine.callbacks.userControlFactory = &TUserControlFactory::FuncCreateUserControlElementByNameCallBack;
        engine.callbacks.uiCommand = &TOrbetaAppCommands::FuncUICommandCallBack;
        engine.callbacks.translate = [](void* user, DString* text, int) {
            static_cast<BenchApp*>(user)->engine.Sustituye_Id_Idioma(*text);
            return 1;
        };
#ifdef BENCH_MAP_PAGE
        auto* main = new TPageMain(&app);
        app.mainPage = main;
        engine.OpenPage(main);
        root = main;
        screen = main->mapPage ? static_cast<TPDAUIEngineElementPage*>(main->mapPage) : main;
        mapBox = main->mapPage ? main->mapPage->boxGadgetVisor2D : nullptr;
#else
        root = screen = new BenchPage(&engine);
        engine.OpenPage(root);
        mapBox = dynamic_cast<TPDAUIEngineElementBox*>(root->FindElement("boxMap", false));
        for (const char* id : {"lblSpeed", "lblLimit", "lblNext", "lblRemaining", "lblClock"})
            labels.push_back(root->FindElement(id, false));
        gps = root->FindElement("pgbGps", false);
#endif
        // Until the program has its map gadget the viewer is put in its place.
        if (mapBox && mapBox->children.Count() == 0) {
            map = new MapElement(app.engine.visor);
            map->flex = 1;
            mapBox->AddChild(map, nullptr, nullptr);
        }
        root->ReapplyBounds();
        engine.PaintPages();
        app.engine.adsController->WaitForDownloads();
    }
    ~MapScreen()
    {
        engine.pages.RemoveAll();
        delete root;
        app.mainPage = nullptr;
        app.uiEngine = nullptr;
    }
    // A copy of a map picture in place of drawing the map; the program's map
    // gadget, when there is one, is hidden for it.
    bool UseCachedMap(const TDibIG* picture)
    {
        if (!mapBox)
            return false;
        if (!map) {
            for (int i = 0; i < mapBox->children.Count(); ++i)
                mapBox->children[i]->visible = 0;
            map = new MapElement(app.engine.visor);
            map->flex = 1;
            mapBox->AddChild(map, nullptr, nullptr);
            root->ReapplyBounds();
        }
        map->cached = picture;
        return true;
    }
    // The live values that are not read at paint time, as their timers would.
    void UpdateLive()
    {
        static const int kFields[] = {21, 99, 318, 86, 86};
        for (size_t i = 0; i < labels.size(); ++i) {
            TValCampo v;
            if (labels[i] && app.engine.Retorna_Val_Campo_Global(kFields[i], v, false, false))
                labels[i]->label = v.texto;
        }
        TValCampo status;
        if (gps && app.engine.Retorna_Val_Campo_Global(330, status, false, false))
            gps->SetAttributeInt("value", status.AsInteger() * 16);
    }
    // The screen's layers over the map: tool bars, panels, buttons and the
    // live controls (user controls), outermost first, none inside another.
    struct LayerRect {
        TRectIG r;
        bool live;
    };
    std::vector<LayerRect> LayerRects()
    {
        std::vector<LayerRect> out;
#ifdef BENCH_MAP_PAGE
        VectorP<TPDAUIEngineElement> all(20, 0, false);
        screen->CollectDescendants(all, true);
        std::vector<TPDAUIEngineElement*> chosen;
        for (int i = 0; i < all.Count(); ++i) {
            TPDAUIEngineElement* e = all[i];
            const bool live = dynamic_cast<TPDAUIEngineElementUserControl*>(e) != nullptr;
            const bool still = dynamic_cast<TPDAUIEngineElementButton*>(e) ||
                               dynamic_cast<TPDAUIEngineElementToolBar*>(e) || e->id == "boxNavigation" ||
                               e->id == "boxToolbarContainer";
            if (!live && !still)
                continue;
            bool inside = false;
            for (TPDAUIEngineElement* a = e->parent; a && !inside; a = a->parent)
                inside = std::find(chosen.begin(), chosen.end(), a) != chosen.end();
            if (inside)
                continue;
            chosen.push_back(e);
            Add(out, e->GetScreenRect(), live);
        }
#else
        for (const char* id : {"boxTop", "boxLive", "boxOrbetaAds", "boxBottom"})
            if (TPDAUIEngineElement* e = root->FindElement(id, false))
                Add(out, e->GetScreenRect(), std::string(id) == "boxLive" || std::string(id) == "boxOrbetaAds");
#endif
        return out;
    }
    static void Add(std::vector<LayerRect>& out, TRectIG r, bool live)
    {
        r.IntersectWith(TRectIG(0, 0, kW, kH));
        if (r.Width() > 0 && r.Height() > 0)
            out.push_back({r, live});
    }

    BenchApp app;
    QuietEngine engine;
    TPDAUIEngineElementPage* root = nullptr;    // the page on the stack
    TPDAUIEngineElementPage* screen = nullptr;  // the page with the map
    TPDAUIEngineElementBox* mapBox = nullptr;
    MapElement* map = nullptr;  // null when the program's own map gadget is there
    std::vector<TPDAUIEngineElement*> labels;
    TPDAUIEngineElement* gps = nullptr;
};

// The cached pictures of the frame's layers, and a target like the back buffer.
struct Layers {
    explicit Layers(MapScreen& s)
    {
        mapRect = s.mapBox ? s.mapBox->GetScreenRect() : TRectIG(0, 0, kW, kH);
        mapRect.IntersectWith(TRectIG(0, 0, kW, kH));
        mapDc.SetSize(mapRect.Width(), mapRect.Height());
        s.app.engine.visor->RepintateI(mapDc, TRectIG(0, 0, mapRect.Width(), mapRect.Height()), false);
        map = Wrap(mapDc.GetBackBuffer());
        target.SetSize(kW, kH);
        dst = Wrap(target.GetBackBuffer());
        s.engine.PaintPages();
        const TDibIG& frame = s.engine.dc.GetBackBuffer();
        for (const MapScreen::LayerRect& lr : s.LayerRects()) {
            const TRectIG r = lr.r;
            Layer l;
            l.x = r.left, l.y = r.top, l.w = r.Width(), l.h = r.Height();
            l.pixels.resize((size_t)l.w * l.h);
            for (int y = 0; y < l.h; ++y) {
                const uint32_t* row = reinterpret_cast<const uint32_t*>(frame.Row(l.y + y)) + l.x;
                for (int x = 0; x < l.w; ++x)
                    l.pixels[(size_t)y * l.w + x] = row[x] | 0xFF000000u;
            }
            l.image = pixman_image_create_bits(PIXMAN_a8r8g8b8, l.w, l.h, l.pixels.data(), l.w * 4);
            l.live = lr.live;
            layers.push_back(std::move(l));
        }
    }
    ~Layers()
    {
        for (Layer& l : layers)
            pixman_image_unref(l.image);
        pixman_image_unref(map);
        pixman_image_unref(dst);
    }
    static pixman_image_t* Wrap(TDibIG& d)
    {
        return pixman_image_create_bits(PIXMAN_x8r8g8b8, d.Width(), d.AbsHeight(),
                                        reinterpret_cast<uint32_t*>(d.Row(0)), d.RowStep());
    }
    // The whole frame: the map, then every layer over it.
    void Frame()
    {
        pixman_image_composite32(PIXMAN_OP_SRC, map, nullptr, dst, 0, 0, 0, 0, mapRect.left, mapRect.top,
                                 mapRect.Width(), mapRect.Height());
        for (Layer& l : layers)
            pixman_image_composite32(PIXMAN_OP_OVER, l.image, nullptr, dst, 0, 0, 0, 0, l.x, l.y, l.w, l.h);
    }
    // Only the live areas: the map under each, then the control over it.
    void LiveAreas()
    {
        for (Layer& l : layers)
            if (l.live) {
                pixman_image_composite32(PIXMAN_OP_SRC, map, nullptr, dst, l.x - mapRect.left, l.y - mapRect.top,
                                         0, 0, l.x, l.y, l.w, l.h);
                pixman_image_composite32(PIXMAN_OP_OVER, l.image, nullptr, dst, 0, 0, 0, 0, l.x, l.y, l.w, l.h);
            }
    }

    struct Layer {
        int x = 0, y = 0, w = 0, h = 0;
        bool live = false;
        std::vector<uint32_t> pixels;
        pixman_image_t* image = nullptr;
    };
    TRectIG mapRect;
    IDCdir mapDc;
    IDCdir target;
    pixman_image_t* map = nullptr;
    pixman_image_t* dst = nullptr;
    std::vector<Layer> layers;
};

// The UI engine painting the whole screen: the map viewer, tool bars, panel and banner.
void BM_MapPage_FullPaint(benchmark::State& state)
{
    MapScreen s;
    for (auto _ : state)
        s.engine.PaintPages();
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_MapPage_FullPaint)->Unit(benchmark::kMicrosecond);

// The floor of that frame: the same layers composited from cached pictures.
void BM_MapPage_FullPaintFloor(benchmark::State& state)
{
    MapScreen s;
    Layers layers(s);
    for (auto _ : state)
        layers.Frame();
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_MapPage_FullPaintFloor)->Unit(benchmark::kMicrosecond);

// The same page around a map that did not change (a copy of its last picture):
// the UI engine's own part of the frame, against the same floor.
void BM_MapPage_FullPaintMapCached(benchmark::State& state)
{
    MapScreen s;
    IDCdir mapDc;
    mapDc.SetSize(kW, kH);
    s.app.engine.visor->RepintateI(mapDc, TRectIG(0, 0, kW, kH), false);
    if (!s.UseCachedMap(&mapDc.GetBackBuffer())) {
        state.SkipWithError("no place for the map");
        return;
    }
    for (auto _ : state)
        s.engine.PaintPages();
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_MapPage_FullPaintMapCached)->Unit(benchmark::kMicrosecond);

// The map viewer alone, for how much of the frame is the map's (the same map
// again: its kept picture is copied).
void BM_MapPage_MapOnly(benchmark::State& state)
{
    MapScreen s;
    IDCdir dc;
    dc.SetSize(kW, kH);
    for (auto _ : state)
        s.app.engine.visor->RepintateI(dc, TRectIG(0, 0, kW, kH), false);
}
BENCHMARK(BM_MapPage_MapOnly)->Unit(benchmark::kMicrosecond);

// The map viewer alone while the car moves: every paint draws (the kept
// picture never fits).
void BM_MapPage_MapOnlyMoving(benchmark::State& state)
{
    MapScreen s;
    IDCdir dc;
    dc.SetSize(kW, kH);
    for (auto _ : state) {
        s.app.engine.simulation->Advance(0.1);
        s.app.engine.visor->RepintateI(dc, TRectIG(0, 0, kW, kH), false);
    }
}
BENCHMARK(BM_MapPage_MapOnlyMoving)->Unit(benchmark::kMicrosecond);

// One simulated second: the car moves, the live controls read their fields,
// the screen is painted (the engine repaints the whole screen for any change).
void BM_MapPage_OneSecond(benchmark::State& state)
{
    MapScreen s;
    for (auto _ : state) {
        s.app.engine.simulation->Advance(1.0);
        s.UpdateLive();
        s.engine.PaintPages();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_MapPage_OneSecond)->Unit(benchmark::kMicrosecond);

// Only the live controls change (the map stands still), painted as the engine does.
void BM_MapPage_LiveOnly(benchmark::State& state)
{
    MapScreen s;
    int tick = 0;
    for (auto _ : state) {
        if (!s.labels.empty() && s.labels[0])
            s.labels[0]->label = DString(tick++ % 130);
        s.UpdateLive();
        s.engine.PaintPages();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_MapPage_LiveOnly)->Unit(benchmark::kMicrosecond);

// The same around a map that did not change.
void BM_MapPage_LiveOnlyMapCached(benchmark::State& state)
{
    MapScreen s;
    IDCdir mapDc;
    mapDc.SetSize(kW, kH);
    s.app.engine.visor->RepintateI(mapDc, TRectIG(0, 0, kW, kH), false);
    if (!s.UseCachedMap(&mapDc.GetBackBuffer())) {
        state.SkipWithError("no place for the map");
        return;
    }
    int tick = 0;
    for (auto _ : state) {
        if (!s.labels.empty() && s.labels[0])
            s.labels[0]->label = DString(tick++ % 130);
        s.UpdateLive();
        s.engine.PaintPages();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_MapPage_LiveOnlyMapCached)->Unit(benchmark::kMicrosecond);

// Its floor: the map under the live areas and the controls over it, from cached pictures.
void BM_MapPage_LiveOnlyFloor(benchmark::State& state)
{
    MapScreen s;
    Layers layers(s);
    for (auto _ : state)
        layers.LiveAreas();
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_MapPage_LiveOnlyFloor)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
