#include "display/pages/TPageMapToolbar.h"

#include <string>

#include "app/TOrbetaApp.h"
#include "enginelib/nav/TItemComanda.h"
#include "enginelib/nav/TVectorComandas.h"
#include "enginelib/nav/TVisor_LumorGPSPocket.h"
#include "uiengine/controls/TPDAUIEngineElementButton.h"
#include "uiengine/controls/TPDAUIEngineElementLabel.h"
#include "uiengine/controls/TPDAUIEngineElementMenu.h"
#include "uiengine/controls/TPDAUIEngineElementMenuItem.h"
#include "uiengine/core/TPDAUIEngine.h"

namespace {
const int kQuitCommand = 506;
// Trees come from files the user's tool-bar edits write: deeper sub-menus are
// not searched (the menu shows no deeper either).
const int kMostDepth = 32;

bool TreeHolds(const TVectorComandas* tree, const TItemComanda* item, int depth)
{
    if (!tree || depth > kMostDepth)
        return false;
    for (int i = 0; i < tree->Count(); ++i) {
        const TItemComanda* entry = tree->Get(i);
        if (!entry)
            continue;
        if (entry == item || TreeHolds(entry->SubMenu(), item, depth + 1))
            return true;
    }
    return false;
}
} // namespace

TPageMapToolbar::TPageMapToolbar(TOrbetaApp* a, TVectorComandas* t)
    : TPDAUIEngineElementPage(a ? a->uiEngine : nullptr), app(a), tree(t)
{
}

void TPageMapToolbar::OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage*, TPDAUIEngineElement* par, TPDAUIEngineXml*,
                             TFicheroITV*)
{
    LoadPage(e, nullptr, par, "pageMapToolbar");
    lblTitle = dynamic_cast<TPDAUIEngineElementLabel*>(FindElement("lblTitle", true));
    mnuMenu = dynamic_cast<TPDAUIEngineElementMenu*>(FindElement("mnuMenu", true));
    btnCancel = dynamic_cast<TPDAUIEngineElementButton*>(FindElement("btnCancel", true));
    if (app && mnuMenu && tree) {
        app->FillCommandButtons(mnuMenu, nullptr, tree, 0, "menuItemClicked", 0, 0, 0, true);
        // Items made without a template write in the menu's colours.
        for (int i = 0; i < mnuMenu->children.Count(); ++i)
            if (auto* item = dynamic_cast<TPDAUIEngineElementMenuItem*>(mnuMenu->children[i]))
                for (int s = 0; s < 5; ++s)
                    item->foregrounds[s] = mnuMenu->foregrounds[s];
    }
}

void TPageMapToolbar::Detach()
{
    lblTitle = nullptr;
    mnuMenu = nullptr;
    btnCancel = nullptr;
    TPDAUIEngineElementPage::Detach();
}

TItemComanda* TPageMapToolbar::ItemOfTree(intptr_t data) const
{
    TItemComanda* item = reinterpret_cast<TItemComanda*>(data);
    return item && TreeHolds(tree, item, 0) ? item : nullptr;
}

void TPageMapToolbar::RefreshItems()
{
    if (!app || !mnuMenu)
        return;
    bool changed = false;
    app->RefreshMenuItems(mnuMenu, changed);
    if (changed) {
        ReapplyBounds();
        Invalidate();
    }
}

void TPageMapToolbar::OnCommand(TPDAUIEngineCommand& command)
{
    const DString& name = command.name;
    if (name == "load") {
        if (mnuMenu)
            SetFocus(mnuMenu, false);
    } else if (name == "menuItemClicked") {
        auto* source = dynamic_cast<TPDAUIEngineElementMenuItem*>(command.target);
        TItemComanda* item = source ? ItemOfTree(source->userData) : nullptr;
        if (!item || !app)
            return;
        TPDAUIEngineCommand reply(this, "menuItemClickedEnd", reinterpret_cast<intptr_t>(item));
        DString extra;
        if (source->userValue1)
            extra << source->userValue1;
        app->ExecuteCommand(item->Comanda(), &reply, -1, item->Parametro().c_str(),
                            extra.IsEmpty() ? nullptr : extra.c_str(), source->userValue2, nullptr, nullptr);
    } else if (name == "menuItemClickedEnd") {
        TPDAUIEngineCommand refresh(this, "refreshMenuItems");
        OnCommand(refresh);
        if (command.result && ItemOfTree(command.data)) {
            ReapplyBounds();
            Invalidate();
        }
        Close(1);
    } else if (name == "refreshMenuItems") {
        RefreshItems();
    } else if (name == "lumorEngine_datosModificados") {
        Close(1);
    } else if (name == "cancel") {
        Close(0);
    } else {
        OtherCommand(command);
    }
}

void TPageMapToolbar::OtherCommand(TPDAUIEngineCommand& command)
{
    TPDAUIEngine* ui = engine;
    const bool withData = command.data != 0;
    if (withData && command.result && ui) {
        TItemComanda* item = ItemOfTree(command.data);
        if (ui->quit) {
            Close(1);
        } else if (item && item->Comanda() == kQuitCommand) {
            TVisor_LumorGPSPocket* viewer = app ? app->engine.visor : nullptr;
            if (viewer && viewer->PuedeSalir(1, kQuitCommand)) {
                app->engine.RegistraGPS2("----> SHUTDOWN TPageContextMenu::OnLoad", 1);
                ui->RequestQuit();
                Close(1);
            }
        } else {
            Close(1);
        }
    }
    // The page below hears of it too (the opener of what replied may be there).
    if (ui && ui->GetPageCount() > 1) {
        TPDAUIEngineElementPage* below = ui->GetPage(ui->GetPageCount() - 2);
        if (below && below != this) {
            TPDAUIEngineCommand copy(command);
            below->OnCommand(copy);
        }
    }
    command.handled = withData ? 1 : 0;
}
