// The map page's commands: its buttons, menus, keys and the window messages the
// main page passes on.
#include <climits>
#include <cstdlib>
#include <cstring>

#include "app/TOrbetaApp.h"
#include "display/pages/TPageMap.h"
#include "display/pages/TPageMapParts.h"
#include "enginelib/nav/TConfig.h"
#include "enginelib/nav/TVisor_LumorGPSPocket.h"
#include "uiengine/controls/TPDAUIEngineElementButton.h"
#include "uiengine/core/TPDAUIEngine.h"
#include "uiengine/elements/TPDAUIEngineElementSliderBox.h"

namespace {

// The decimal number after the first skip characters (0 when there is none);
// out of the int range counts as none.
int NumberAfter(const DString& text, int skip)
{
    if (text.Length() <= skip)
        return 0;
    const char* p = text.c_str() + skip;
    long long v = 0;
    bool any = false;
    for (; *p >= '0' && *p <= '9'; ++p) {
        v = v * 10 + (*p - '0');
        any = true;
        if (v > INT_MAX)
            return 0;
    }
    return any ? (int)v : 0;
}

} // namespace

void TPageMap::OnCommand(TPDAUIEngineCommand& command)
{
    const DString& n = command.name;
    command.handled = 1;
    TConfig* c = app ? app->engine.config : nullptr;
    TVisor_LumorGPSPocket* visor = app ? app->engine.visor : nullptr;
    // Unbound, the page has nothing to act on: the skin broke and the program is
    // ending.
    if (!bound) {
        command.handled = 0;
        return;
    }

    if (n == "load") {
        UpdateControls();
    } else if (n == "showFullScreenSoft") {
        fullScreenFlag = fullScreenFlag ? 0 : 1;
        if (c)
            c->fullScreen = fullScreenFlag != 0;
        UpdateControls();
        Relayout();
    } else if (n == "repaint") {
        TPageMapParts::MapRepaintFlag(*engine) = 0;
        Invalidate();
    } else if (n == "zoomIn" || n == "zoomOut") {
        TPDAUIEngineElement* source = command.target;
        TPageMapParts::MapRepaintFlag(*engine) = source && source != this && source->pressed ? 1 : 0;
        if (app && app->ExecuteCommand(n == "zoomIn" ? 101 : 102, nullptr, command.elapsed, nullptr, nullptr, -1,
                                       nullptr, nullptr)) {
            UpdateControls();
            Invalidate();
        }
    } else if (n == "change3Dmode") {
        if (Run(269)) {
            UpdateControls();
            if (btn3D->visible || btn3DPlus->visible)
                Notice("{R156}");
            else if (btn2D->visible)
                Notice("{G134}");
            Invalidate();
        }
    } else if (n == "changeNightDay") {
        if (Run(129))
            Reload();
    } else if (n == "changePanningRotating") {
        SendSelf(CommandChecked(105) ? "changeRotating" : "changePanning");
    } else if (n == "changePanning") {
        if (Run(105)) {
            Notice("{H170}");
            UpdateControls();
            Invalidate();
        }
    } else if (n == "changeRotating") {
        if (Run(142)) {
            Notice("{H169}");
            UpdateControls();
            Invalidate();
        }
    } else if (n == "changeAutoCenter") {
        if (Run(2512)) {
            Notice("{R153}");
            UpdateControls();
            Invalidate();
        }
    } else if (n == "changeMovingMapArrows") {
        ChangeMovingMapArrows();
    } else if (n == "hideMainFotoView") {
        boxMainFotoView->visible = 0;
        boxMainFotoView->RemoveAllChildren();
        Relayout();
    } else if (n == "changeView" || n == "chageViewButtons") {
        (n == "changeView" ? sliderBox : sliderBoxButtons)->ShowNext();
        UpdateControls();
        SaveSliderState();
        Relayout();
    } else if (n == "refresh") {
        if (engine && engine->quit) {
            Close(1);
        } else {
            SendSelf("loadToolbarButtons");
            UpdateControls();
            Invalidate();
        }
    } else if (n == "goHome") {
        if (Run(271)) {
            Notice("{R109}");
            UpdateControls();
            Invalidate();
        }
    } else if (n == "showPolivalentDatePage") {
        Run(193);
    } else if (n == "viewTMCEvents" || n == "viewRDSTuner") {
        // accepted; nothing to show
    } else if (n == "stopNavigation") {
        if (Run(235)) {
            Notice("{R38}");
            UpdateControls();
            Invalidate();
        }
    } else if (n == "muteOnOff") {
        if (engine && engine->GetSoundMute()) {
            engine->SetSoundMute(0);
            btnMute->pressed = 0;
            Notice("{G157}");
        } else if (engine) {
            engine->SetSoundMute(1);
            btnMute->pressed = 1;
            Notice("{G156}");
        }
        UpdateControls();
        Relayout();
    } else if (n == "changeOnRoadOffRoad") {
        if (Run(276)) {
            Notice(c && c->onRoad ? "{G166}" : "{G167}");
            Reload();
        }
    } else if (n == "loadToolbarButtons") {
        LoadToolbarButtons();
    } else if (n == "loadPolivalentDataFields") {
        LoadPolivalentDataFields();
    } else if (n == "lumorEngine_loadGraphData") {
        TPageMapParts::LoadGraphData(*this);
    } else if (n == "nextManuobreAction") {
        const int action = c ? c->nextManoeuvreAction.GetValor() : -1;
        if (action == 0) {
            SendSelf("showMenu");
        } else if (action == 1) {
            Run(193);
        } else if (action == 2) {
            TVectorComandas* tree = nullptr;
            if (c && c->onRoad)
                tree = app->engine.trees[4];
            else if (c && c->rtngMode == 3)
                tree = app->engine.trees[6];
            else
                tree = app->engine.trees[5];
            if (!TPageMapParts::OpenMapToolbar(*this, tree) && app)
                app->engine.Log("TPageMap: TPageMapToolbar is not available", false);
        }
    } else if (n == "showMenu") {
        ShowMenu();
    } else if (n == "showPageVolume") {
        RunWithReply(562, "refresh");
    } else if (n == "showSatellitesPage") {
        RunWithReply(232, "showSatellitesPageEnd");
    } else if (n == "showStatusPage") {
        if (!c || !c->statusPageDisabled)
            RunWithReply(600, "showStatusPageEnd");
    } else if (n == "showEventsTMCPage") {
        RunWithReply(2522, "showEventsTMCEnd");
    } else if (n == "showSatellitesPageEnd" || n == "showStatusPageEnd" || n == "showEventsTMCEnd") {
        SendSelf("refresh");
    } else if (n == "showGadgetVisor2DContextMenu" || n == "showContextMenu") {
        ShowMapContextMenu();
    } else if (n == "showGadgetPolivalentDataFieldContextMenu") {
        ShowDataFieldContextMenu(command);
    } else if (n == "showGadgetVisor2DContextMenuEnd" || n == "showGadgetPolivalentDataFieldContextMenuEnd") {
        if (visor)
            visor->PauseMovingMapCentering(false);
    } else if (n == "menuItemClicked") {
        MenuItemClicked(command);
    } else if (n == "menuItemClickedEnd") {
        MenuItemClickedEnd(command);
    } else if (n == "trackStop") {
        if (Run(708)) {
            UpdateControls();
            Invalidate();
        }
    } else if (n == "trackActivate") {
        if (Run(202)) {
            UpdateControls();
            Invalidate();
        }
    } else if (n == "lumorEngine_datosModificados") {
        SendSelf("loadPolivalentDataFields");
        SendSelf("loadToolbarButtons");
        UpdateControls();
        Invalidate();
    } else if (n.StartsWith("showFileOpen")) {
        Run(554);
    } else if (n.StartsWith("openRecentFile")) {
        // The recent list holds nine files: a stray larger number opens nothing.
        const int index = NumberAfter(n, 14);
        if (index >= 0 && index < 9 && Run(510 + index)) {
            UpdateControls();
            Invalidate();
        }
    } else if (n.StartsWith("bluetooth")) {
        // accepted; no Bluetooth here
    } else if (n == "cancel") {
        if (CommandChecked(130) && visor)
            visor->EjecutaComanda(visor->current, 0, "", 130);
        else
            SendSelf("changeAutoCenter");
    } else if (n == "WM_POSTIEMPOREAL") {
        if (visor && visor->OnTiempoReal((uintptr_t)(unsigned)command.value1, (intptr_t)command.value2))
            UpdateControls();
    } else if (n == "WM_ACTU_FRAME_GRAFICAS" || n == "WM_ACTU_PINTA_POLIVALENTE") {
        // accepted; the controls repaint on their own timers
    } else if (n == "WM_CANCEL_MOVINGMAP_DEMO") {
        if (app && app->engine.ControlFlota_EsActivo()) {
            app->engine.CancelMovingMap();
            UpdateControls();
        }
    } else if (n == "WM_LUMORGPS_API") {
        if (app)
            app->engine.Ejec_LumorGPS_API((uintptr_t)(unsigned)command.value1, (intptr_t)command.value2);
    } else if (n == "WM_ITV_RELOADMENU") {
        if (app)
            app->engine.ReloadMenus();
    } else if (n == "WM_CLOSE") {
        WindowClose(command);
    } else if (n == "WM_CLOSE_FORCE" || n == "WM_SD_CHANGED") {
        if (app) {
            DString first;
            first << command.value1;
            app->ExecuteCommand(n == "WM_CLOSE_FORCE" ? 675 : 2611, nullptr, 0, nullptr, first.c_str(),
                                command.value2, nullptr, nullptr);
        }
    } else {
        command.handled = 0;
    }
}
