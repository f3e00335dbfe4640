#include "app/pages/TPageMain.h"

#include "app/TOrbetaApp.h"
#include "app/pages/TPageInitialSteps.h"
#include "display/pages/TPageMap.h"
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
    mapFrame_ = nullptr;
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
    if (frame->innerPageName == "pageMap" && app && engine) {
        auto* page = new TPageMap(app);
        mapPage = page;
        mapFrame_ = frame;
        if (frame->width > frame->height)
            page->forceLandscape = 1;
        else
            page->forcePortrait = 1;
        engine->OpenPage(page, frame);
        // A page that failed to load (its skin page broken) may have gone already.
        LiveMapPage();
    } else if (frame->innerPageName == "pageArbolDeDatos") {
        // The data tree page belongs to the menus; until it is built its iframe
        // stays empty.
        DString line("TPageMain: page ");
        line << frame->innerPageName << " is not available";
        Log(line);
    }
}

TPageMap* TPageMain::LiveMapPage()
{
    if (mapPage && (!mapFrame_ || mapFrame_->innerPage != mapPage)) {
        mapPage = nullptr;
        mapFrame_ = nullptr;
    }
    return mapPage;
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
    mapFrame_ = nullptr;
    TPDAUIEngineElementPage::Detach();
}

bool TPageMain::IsAnimating() { return LiveMapPage() ? mapPage->IsAnimating() : false; }

int TPageMain::RequiresOpenGL() { return LiveMapPage() ? mapPage->RequiresOpenGL() : 0; }

void TPageMain::OnKeyDown(int key, unsigned char* handled, unsigned char* consumed)
{
    // A key the map page leaves goes up its parents back to this page: it
    // stops here instead of going round again.
    if (forwarding_ || !LiveMapPage())
        return;
    forwarding_ = true;
    mapPage->OnKeyDown(key, handled, consumed);
    forwarding_ = false;
}

void TPageMain::OnMouseWheel(int x, int y, int delta)
{
    if (forwarding_)
        return;
    forwarding_ = true;
    if (LiveMapPage())
        mapPage->OnMouseWheel(x, y, delta);
    else
        TPDAUIEngineElementBox::OnMouseWheel(x, y, delta);
    forwarding_ = false;
}

void TPageMain::RefreshMap()
{
    if (LiveMapPage())
        mapPage->UpdateControls();
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
    if (LiveMapPage()) {
        mapPage->OnCommand(command);
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
        if (LiveMapPage())
            mapPage->UpdateControls();
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
        if (LiveMapPage())
            mapPage->OnCommand(command);
    } else {
        PassToMapPage(command);
    }
}
