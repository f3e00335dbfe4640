#include "app/pages/TPageMain.h"

#include "app/TOrbetaApp.h"
#include "app/pages/TPageInitialSteps.h"
#include "enginelib/nav/TConfig.h"
#include "enginelib/nav/TVisor_LumorGPSPocket.h"
#include "uiengine/core/TPDAUIEngine.h"
#include "uiengine/elements/TPDAUIEngineElementIFrame.h"

namespace {
const size_t kMostLoggedCommands = 64;

// Whether the reply comes from the advice page closed with "cancel". The advice
// page is a notice page not built yet, so no reply comes from one.
bool AdviceCancelled(const TPDAUIEngineCommand&) { return false; }
} // namespace

TPageMain::TPageMain(TOrbetaApp* app) : TPDAUIEngineElementPage(app ? app->uiEngine : nullptr), app(app) {}

void TPageMain::Log(const DString& line)
{
    if (app)
        app->engine.Log(line.c_str(), false);
}

void TPageMain::OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage*, TPDAUIEngineElement* par, TPDAUIEngineXml*,
                       TFicheroITV*)
{
    LoadPage(e, nullptr, par, "pageMain");
    Layout();
    iframes.RemoveAll();
    mapPage = nullptr;
    VectorP<TPDAUIEngineElement> all(20, 20, false);
    CollectDescendants(all, false);
    for (int i = 0; i < all.Count(); ++i)
        if (auto* frame = dynamic_cast<TPDAUIEngineElementIFrame*>(all[i])) {
            iframes.Add(frame);
            OpenInnerPage(frame);
        }
}

void TPageMain::OpenInnerPage(TPDAUIEngineElementIFrame* frame)
{
    // The map page and the data tree page are the display's and the menus'; until
    // they are built their iframes stay empty.
    if (frame->innerPageName == "pageMap" || frame->innerPageName == "pageArbolDeDatos") {
        DString line("TPageMain: page ");
        line << frame->innerPageName << " is not available";
        Log(line);
    }
}

void TPageMain::Reload()
{
    TPDAUIEngine* e = engine;
    TPDAUIEngineElement* host = parent;
    Detach();
    OnLoad(e, nullptr, host, nullptr, nullptr);
    parent = host;
    ReapplyBounds();
    reloadRequested = 0;
    Invalidate();
}

void TPageMain::Detach()
{
    iframes.RemoveAll();
    mapPage = nullptr;
    TPDAUIEngineElementPage::Detach();
}

bool TPageMain::IsAnimating() { return mapPage ? mapPage->IsAnimating() : false; }

int TPageMain::RequiresOpenGL() { return mapPage ? mapPage->RequiresOpenGL() : 0; }

void TPageMain::OnKeyDown(int key, unsigned char* handled, unsigned char* consumed)
{
    if (mapPage)
        mapPage->OnKeyDown(key, handled, consumed);
}

void TPageMain::OnMouseWheel(int x, int y, int delta)
{
    if (mapPage)
        mapPage->OnMouseWheel(x, y, delta);
    else
        TPDAUIEngineElementBox::OnMouseWheel(x, y, delta);
}

void TPageMain::RefreshMap()
{
    // The map page's controls follow the new command states once it exists.
    Invalidate();
}

void TPageMain::LayoutIFrames()
{
    if (!engine || engine->GetPageCount() != 1)
        return;  // a page lies over this one
    for (int i = 0; i < iframes.Count(); ++i) {
        TPDAUIEngineElementIFrame* frame = iframes[i];
        TPDAUIEngineElementPage* inner = frame->innerPage;
        if (!inner)
            continue;
        const bool wide = frame->width > frame->height;
        if (wide && !inner->forceLandscape) {
            inner->forceLandscape = 1;
            inner->forcePortrait = 0;
        } else if (!wide && !inner->forcePortrait) {
            inner->forcePortrait = 1;
            inner->forceLandscape = 0;
        } else {
            continue;
        }
        inner->Reload();
        inner->parent = frame;
        return;
    }
}

void TPageMain::SendSelf(const char* name)
{
    TPDAUIEngineCommand command(this, name);
    OnCommand(command);
}

void TPageMain::PassToMapPage(TPDAUIEngineCommand& command)
{
    if (mapPage) {
        mapPage->OnCommand(command);
        return;
    }
    // Without the map page the window's close button still ends the program
    // (wParam 1 is the power button, which has nothing to wake here).
    if (command.name == "WM_CLOSE" && command.value1 != 1 && app) {
        app->ExecuteCommand(675, nullptr, -1, nullptr, nullptr, -1, nullptr, nullptr);
        return;
    }
    command.handled = 0;
    const std::string name(command.name.c_str());
    if (loggedCommands_.size() < kMostLoggedCommands && loggedCommands_.insert(name).second) {
        DString line("TPageMain: no map page for the command ");
        line << command.name;
        Log(line);
    }
}

void TPageMain::OnCommand(TPDAUIEngineCommand& command)
{
    const DString& name = command.name;
    TVisor_LumorGPSPocket* visor = app ? app->engine.visor : nullptr;
    TConfig* config = app ? app->engine.config : nullptr;

    if (name == "load") {
        Invalidate();
        SendSelf("showPageAdvice");
        if (visor)
            visor->Carga_AutoOpen2();
    } else if (name == "showPageAdvice") {
        if (config && config->showAdvice.GetValor()) {
            // The advice notice is not built yet: the chain goes on as if no
            // advice page had been shown.
            Log("TPageMain: page TPageAdvice is not available");
        }
        SendSelf("showPageAdviceEnd");
    } else if (name == "showPageAdviceEnd") {
        if (command.target && command.target != this && AdviceCancelled(command)) {
            if (!visor || !visor->PuedeSalir(1, 0))
                return;
            if (app)
                app->engine.RegistraGPS2("----> SHUTDOWN TPageMain::OnCommand showPageAdviceEnd", 1);
            if (engine)
                engine->RequestQuit();
            Close(1);
            return;
        }
        SendSelf("showPageRadars");
    } else if (name == "showPageRadars") {
        SendSelf("showPageRadarsEnd");
    } else if (name == "showPageRadarsEnd") {
        SendSelf("showPageInitialSteps");
    } else if (name == "showPageInitialSteps") {
        DString steps;
        if (config)
            steps = config->initialSteps.GetValor();
        if (steps.IsEmpty() || !engine || !app) {
            SendSelf("showPageInitialStepsEnd");
            return;
        }
        auto* page = new TPageInitialSteps(app, steps);
        page->replyCommand = TPDAUIEngineCommand(page, "showPageInitialStepsEnd");
        engine->OpenPage(page);
    } else if (name == "showPageInitialStepsEnd") {
        // the start-up chain ends here
    } else if (name == "splitterMoved" || name == "pageSizeChanged") {
        LayoutIFrames();
    } else if (name == "repaint") {
        Invalidate();
    } else if (name == "refresh") {
        if (engine && engine->quit)
            Close(1);
        else
            PassToMapPage(command);
    } else if (name == "lumorEngine_loadGraphData") {
        if (mapPage)
            mapPage->OnCommand(command);
    } else {
        PassToMapPage(command);
    }
}
