#include "display/pages/TPageMapParts.h"

#include "app/TOrbetaApp.h"
#include "display/gadgets/TGadgetNextManuobre.h"
#include "display/gadgets/TGadgetPolivalentDataItem.h"
#include "display/gadgets/TGadgetVisor2D.h"
#include "display/pages/TPageMap.h"
#include "display/pages/TPageMapToolbar.h"
#include "display/usercontrols/TUserControlGraficas_2011B.h"
#include "uiengine/core/TPDAUIEngine.h"

void TPageMapParts::AddGadgets(TPageMap& page)
{
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
    {
        TPDAUIEngineElementBox* host = page.boxNavigationNextDistanceGadget;
        auto* gadget = new TGadgetPolivalentDataItem(page.app, 300, false, 0);
        gadget->flex = 1;
        for (int s = 0; s < 5; ++s) {
            gadget->foregrounds[s] = host->foregrounds[s];
            gadget->backgrounds.Edit(s).kind = TPDAUIEngineStyleBackground::KindNone;
        }
        gadget->align = host->align;
        gadget->pack = host->pack;
        gadget->font = host->font;
        gadget->padding.Clear();
        host->AddChild(gadget, nullptr, nullptr);
        page.gadgetNextDistance = gadget;
    }
}

TPDAUIEngineElement* TPageMapParts::PlaceDataField(TPageMap& page, TPDAUIEngineElementBox* item, int field)
{
    TPDAUIEngineElement* value = item->FindElement("boxPolivalentDataItemValue", false);
    auto* parent = value ? dynamic_cast<TPDAUIEngineElementBox*>(value->parent) : nullptr;
    auto* gadget = new TGadgetPolivalentDataItem(page.app, field, false, 0);
    for (int s = 0; s < 5; ++s) {
        if (value) {
            gadget->borders.Edit(s) = value->borders[s];
            gadget->backgrounds.Edit(s) = value->backgrounds[s];
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
}

void TPageMapParts::SetGadgetFullScreen(TPageMap& page, bool on)
{
    if (auto* gadget = dynamic_cast<TGadgetVisor2D*>(page.gadgetVisor2D))
        gadget->fullScreen = on ? 1 : 0;
}

void TPageMapParts::LoadGraphData(TPageMap& page)
{
    if (auto* graph = dynamic_cast<TUserControlGraficas_2011B*>(page.usercontrolGraficas_2011B))
        graph->LoadTrackData();
}

bool TPageMapParts::OpenMapToolbar(TPageMap& page, TVectorComandas* tree)
{
    if (!page.engine || !tree)
        return false;
    page.engine->OpenPage(new TPageMapToolbar(page.app, tree));
    return true;
}

unsigned char& TPageMapParts::MapRepaintFlag(TPDAUIEngine& engine) { return engine.mapRepaint; }
