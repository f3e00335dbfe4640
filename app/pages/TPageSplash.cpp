#include "app/pages/TPageSplash.h"

#include <cstdlib>

#include "app/TOrbetaApp.h"
#include "enginelib/draw/TDibIG.h"
#include "enginelib/nav/TValCampo.h"
#include "enginelib/nav/TVisor_LumorGPSPocket.h"
#include "uiengine/controls/TPDAUIEngineElementLabel.h"
#include "uiengine/core/TPDAUIEngine.h"

namespace {
const int kTimerMs = 100;
const int kBatteryField = 98;  // below zero on external power
} // namespace

TPageSplash::TPageSplash(TOrbetaApp* app) : TPDAUIEngineElementPage(app ? app->uiEngine : nullptr), app(app) {}

void TPageSplash::OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage*, TPDAUIEngineElement* par, TPDAUIEngineXml*,
                         TFicheroITV*)
{
    LoadPage(e, nullptr, par, "pageSplash");
    boxImage = dynamic_cast<TPDAUIEngineElementBox*>(FindElement("boxImage", true));
    lblVersion = dynamic_cast<TPDAUIEngineElementLabel*>(FindElement("lblVersion", true));
    lblStatus = dynamic_cast<TPDAUIEngineElementLabel*>(FindElement("lblStatus", true));
    LoadInternalPicture();
    if (lblVersion && app) {
        lblVersion->label = "v. ";
        lblVersion->label << app->version;
    }
    timerInterval = kTimerMs;
}

void TPageSplash::LoadInternalPicture()
{
    if (!boxImage || !app || !engine || boxImage->backgrounds[StateNormal].kind != TPDAUIEngineStyleBackground::KindNone)
        return;
    DString path;
    app->GetSplashImagePath(path);
    if (path.IsEmpty())
        return;
    TDibIG* picture = resources.GetImage(path.c_str(), true, false);
    if (!picture)
        return;
    const int pageWidth = engine->ScreenWidth(), pageHeight = engine->ScreenHeight();
    const bool small = engine->skinSettings.uiScale <= 1.5f && picture->Width() < pageWidth &&
                       std::abs(picture->Height()) < pageHeight;
    for (int state : {StateNormal, StatePressed}) {
        TPDAUIEngineStyleBackground& back = boxImage->backgrounds.Edit(state);
        back = TPDAUIEngineStyleBackground();
        back.kind = small ? TPDAUIEngineStyleBackground::KindCentredScaled : TPDAUIEngineStyleBackground::KindImage;
        back.imageName = path;
        back.image = picture;
    }
}

void TPageSplash::Detach()
{
    boxImage = nullptr;
    lblVersion = nullptr;
    lblStatus = nullptr;
    TPDAUIEngineElementPage::Detach();
}

void TPageSplash::OnCommand(TPDAUIEngineCommand& command)
{
    if (command.name == "load")
        StartTimer();
    else
        command.handled = 0;
}

bool TPageSplash::FitPicture(int width, int height, int pageWidth, int pageHeight, int& fitWidth, int& fitHeight)
{
    const int absHeight = height < 0 ? -height : height;
    if (width <= 0 || absHeight <= 0 || pageWidth <= 0 || pageHeight <= 0)
        return false;
    const float ratio = (float)width / (float)absHeight;
    if (pageWidth > pageHeight) {
        fitHeight = pageHeight;
        fitWidth = (int)((float)fitHeight * ratio);
        if (fitWidth > pageWidth) {
            fitWidth = pageWidth;
            fitHeight = (int)((float)fitWidth / ratio);
        }
    } else {
        fitWidth = pageWidth;
        fitHeight = (int)((float)fitWidth / ratio);
        if (fitHeight > pageHeight) {
            fitHeight = pageHeight;
            fitWidth = (int)((float)fitHeight * ratio);
        }
    }
    return true;
}

void TPageSplash::SetBounds(int l, int t, int w, int h)
{
    const TDibIG* picture = boxImage ? boxImage->backgrounds[StateNormal].image : nullptr;
    int fitWidth = 0, fitHeight = 0;
    if (picture && h > 0 && FitPicture(picture->Width(), picture->Height(), w, h, fitWidth, fitHeight)) {
        boxImage->minimumWidth = boxImage->maximumWidth = fitWidth;
        boxImage->minimumHeight = boxImage->maximumHeight = fitHeight;
    }
    TPDAUIEngineElementPage::SetBounds(l, t, w, h);
}

void TPageSplash::OnTimer(int, int)
{
    if (initEngineRunning_)
        return;  // a tick from a modal loop inside InitEngine
    switch (startupState) {
    case StateStart: {
        startupState = StateInitEngine;
        initEngineRunning_ = true;
        const bool started = app && app->InitEngine();
        initEngineRunning_ = false;
        if (started)
            startupState = StateEngineReady;
        else
            Close(0);
        break;
    }
    case StateInitEngine:
        // InitEngine failed and the page is still up.
        startupState = StateQuit;
        if (engine)
            engine->RequestQuit();
        Close(0);
        break;
    case StateEngineReady:
        FinishStartup();
        Close(1);
        break;
    default:
        break;
    }
    Invalidate();
}

void TPageSplash::FinishStartup()
{
    const bool pb = TOrbetaApp::HasSwitch(app->commandLine, "/PB", "PB");
    TValCampo battery;
    app->engine.Retorna_Val_Campo_Global(kBatteryField, battery, false, false);
    startupState = StateDone;
    if (battery.valor < 0 && !pb)
        return;  // on external power without "PB": handed over to the USB program
    app->ApplyDisplaySettings();
    if (TVisor_LumorGPSPocket* visor = app->engine.visor)
        visor->Carga_AutoOpen1(app->commandLine.c_str(), engine ? engine->ScreenWidth() : 0,
                               engine ? engine->ScreenHeight() : 0, app->autoOpenText.c_str());
}
