#include "display/pages/TPageMapParts.h"

#include "app/TOrbetaApp.h"
#include "display/pages/TPageMap.h"
#include "uiengine/core/TPDAUIEngine.h"

#if __has_include("display/gadgets/TGadgetVisor2D.h")
#include "display/gadgets/TGadgetVisor2D.h"
#define ORBETA_HAS_VISOR2D 1
#endif
#if __has_include("display/gadgets/TGadgetNextManuobre.h")
#include "display/gadgets/TGadgetNextManuobre.h"
#define ORBETA_HAS_NEXTMANUOBRE 1
#endif
#if __has_include("display/gadgets/TGadgetPolivalentDataItem.h")
#include "display/gadgets/TGadgetPolivalentDataItem.h"
#define ORBETA_HAS_DATAITEM 1
#endif
#if __has_include("display/usercontrols/TUserControlGraficas_2011B.h")
#include "display/usercontrols/TUserControlGraficas_2011B.h"
#define ORBETA_HAS_GRAFICAS 1
#endif
#if __has_include("display/pages/TPageMapToolbar.h")
#include "display/pages/TPageMapToolbar.h"
#define ORBETA_HAS_MAPTOOLBAR 1
#endif

void TPageMapParts::AddGadgets(TPageMap& page)
{
#ifdef ORBETA_HAS_VISOR2D
    {
        TPDAUIEngineElementBox* host = page.boxGadgetVisor2D;
        auto* gadget = new TGadgetVisor2D(page.app);
        for (int s = 0; s < 5; ++s)
            gadget->foregrounds[s] = host->foregrounds[s];
        gadget->margins = host->margins;
        host->margins.Clear();
        host->AddChild(gadget, nullptr, nullptr);
        gadget->onContextMenuCommand = "showGadgetVisor2DContextMenu";
        gadget->flex = 1;
        page.gadgetVisor2D = gadget;
    }
#endif
#ifdef ORBETA_HAS_NEXTMANUOBRE
    {
        TPDAUIEngineElementBox* host = page.boxNextManuobre;
        auto* gadget = new TGadgetNextManuobre(page.app, 314);
        gadget->flex = 1;
        for (int s = 0; s < 5; ++s)
            gadget->foregrounds[s] = host->foregrounds[s];
        gadget->pack = host->pack;
        gadget->align = host->align;
        host->AddChild(gadget, nullptr, nullptr);
        page.gadgetNextManuobre = gadget;
    }
#endif
#ifdef ORBETA_HAS_DATAITEM
    {
        TPDAUIEngineElementBox* host = page.boxNavigationNextDistanceGadget;
        auto* gadget = new TGadgetPolivalentDataItem(page.app, 300, false, 0);
        gadget->flex = 1;
        for (int s = 0; s < 5; ++s) {
            gadget->foregrounds[s] = host->foregrounds[s];
            gadget->backgrounds[s].kind = TPDAUIEngineStyleBackground::KindNone;
        }
        gadget->align = host->align;
        gadget->pack = host->pack;
        gadget->font = host->font;
        gadget->padding.Clear();
        host->AddChild(gadget, nullptr, nullptr);
        page.gadgetNextDistance = gadget;
    }
#endif
}

TPDAUIEngineElement* TPageMapParts::PlaceDataField(TPageMap& page, TPDAUIEngineElementBox* item, int field)
{
#ifdef ORBETA_HAS_DATAITEM
    TPDAUIEngineElement* value = item->FindElement("boxPolivalentDataItemValue", false);
    auto* parent = value ? dynamic_cast<TPDAUIEngineElementBox*>(value->parent) : nullptr;
    auto* gadget = new TGadgetPolivalentDataItem(page.app, field, false, 0);
    for (int s = 0; s < 5; ++s) {
        if (value) {
            gadget->borders[s] = value->borders[s];
            gadget->backgrounds[s] = value->backgrounds[s];
            gadget->foregrounds[s] = value->foregrounds[s];
        }
    }
    if (value) {
        gadget->flex = value->flex;
        gadget->font = value->font;
        gadget->margins = value->margins;
    }
    if (parent) {
        const int index = parent->IndexOfChild(value);
        parent->RemoveChild(value);
        parent->InsertChild(gadget, index, nullptr, nullptr);
    } else {
        item->AddChild(gadget, nullptr, nullptr);
    }
    return gadget;
#else
    (void)page, (void)item, (void)field;
    return nullptr;
#endif
}

void TPageMapParts::SetGadgetFullScreen(TPageMap& page, bool on)
{
#ifdef ORBETA_HAS_VISOR2D
    if (auto* gadget = dynamic_cast<TGadgetVisor2D*>(page.gadgetVisor2D))
        gadget->fullScreen = on ? 1 : 0;
#else
    (void)page, (void)on;
#endif
}

void TPageMapParts::LoadGraphData(TPageMap& page)
{
#ifdef ORBETA_HAS_GRAFICAS
    if (auto* graph = dynamic_cast<TUserControlGraficas_2011B*>(page.usercontrolGraficas_2011B))
        graph->LoadTrackData();
#else
    (void)page;
#endif
}

bool TPageMapParts::OpenMapToolbar(TPageMap& page, TVectorComandas* tree)
{
#ifdef ORBETA_HAS_MAPTOOLBAR
    if (!page.engine || !tree)
        return false;
    page.engine->OpenPage(new TPageMapToolbar(page.app, tree));
    return true;
#else
    (void)page, (void)tree;
    return false;
#endif
}

unsigned char& TPageMapParts::MapRepaintFlag(TPDAUIEngine& engine) { return engine.sipSpare; }
