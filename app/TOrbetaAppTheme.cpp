#include <string>

#include "app/TOrbetaApp.h"
#include "enginelib/base/TFitxUtils.h"
#include "enginelib/nav/TConfig.h"
#include "enginelib/nav/TVisor_LumorGPSPocket.h"
#include "uiengine/core/TPDAUIEngine.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"

namespace {

// Value index (0 or 1) of the "first|second" route-dependent theme setting.
DString ThemeValue(const DString& setting, int index)
{
    const int bar = setting.strchr('|');
    if (bar < 0)
        return index == 0 ? setting : DString();
    return index == 0 ? setting.SubString(0, bar) : setting.SubString(bar + 1);
}

DString Themed(const DString& name, bool night)
{
    DString t(name);
    if (night)
        t << "dark";
    return t;
}

} // namespace

bool TOrbetaApp::ApplySkinTheme()
{
    if (!uiEngine)
        return false;
    TPDAUIEngine& ui = *uiEngine;
    TConfig* cfg = engine.config;
    const bool night = cfg && cfg->nightColours;
    DString skin(ui.skinSettings.skinName);
    DString first(ui.skinSettings.theme1Name), second(ui.skinSettings.theme2Name), colour;

    static const char* const kOff[] = {"pagemenuheaderoff", "commonoff", "commonoffpressed", "commonofffocused"};
    static const char* const kOn[] = {"pagemenuheaderon", "commonon", "commononfocused", "commononpressed"};
    Vector<DString>& variants = ui.skinSettings.theme1.excludedImages;
    variants.RemoveAll();
    const DString themes = cfg ? cfg->routeThemes.GetValor() : DString();
    bool onSet = false;
    if (!uiTheme.IsEmpty()) {
        first = Themed(uiTheme, night);
        second = Themed(uiTheme, night);
        colour = "gray";
    } else if (cfg && cfg->alternativeTheme == 1) {
        first = Themed(ThemeValue(themes, 1), night);
        second = Themed(ThemeValue(themes, 0), night);
        colour = "gray";
    } else {
        first = Themed(ThemeValue(themes, 0), night);
        second = Themed(ThemeValue(themes, 1), night);
        colour = "green";
        onSet = true;
    }
    for (const char* name : onSet ? kOn : kOff)
        variants.Add(DString(name));

    DString error;
    const bool loaded = ui.LoadSkin(skin, first, second, colour, error);
    if (TPDAUIEngineElementPage* top = ui.GetTopPage())
        top->RequestReload();
    if (!loaded) {
        engine.RegistraGPS2(error.c_str(), 1);
        ui.MessageBox(error.c_str(), ui.skinSettings.applicationName.c_str());
    }
    return loaded;
}

int TOrbetaApp::ChangeUITheme(const DString& theme)
{
    uiTheme = theme;
    // Reloading now could pull the skin from under the caller: the next timer pass does it.
    PostEngineCommand(169, nullptr);
    return 1;
}

int TOrbetaApp::ActuScreen()
{
    if (uiEngine && engine.config)
        uiEngine->SetScreenMode(engine.config->screenMode, 0);
    return 1;
}

DString& TOrbetaApp::GetSplashImagePath(DString& path)
{
    DString shape;
    if (uiEngine) {
        const int w = uiEngine->ScreenWidth(), h = uiEngine->ScreenHeight();
        if (w == h)
            shape = "Square";
        else if (w > h)
            shape = "Landscape";
    }
    DString file(programFolder);
    file << "/symbols/internal/pageSplashMoravel" << shape << ".cbmp";
    path = TFitxUtils::Verifica_Existencia_Archivo(file.c_str()) ? file : DString();
    return path;
}

void TOrbetaApp::ApplyDisplaySettings()
{
    TConfig* cfg = engine.config;
    if (!uiEngine || !cfg)
        return;
    int requested = cfg->rotation, current = -1;
    uiEngine->SetScreenOrientation(requested, current);
    savedOrientation = current;
    uiEngine->SetBrightness(cfg->nightColours ? 25 : (int)cfg->backlight);
    uiEngine->SetSoundVolume(cfg->volume);
    if (engine.visor) {
        engine.visor->EjecutaComandaTexto("", 167);
        engine.visor->EjecutaComandaTexto("", 168);
    }
}
