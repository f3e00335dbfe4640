#include "enginelib/nav/TVisor_LumorGPSPocket.h"

#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "enginelib/base/Path.h"
#include "enginelib/nav/TConfig.h"
#include "enginelib/nav/TLumorGPSEngineInterface.h"
#include "enginelib/nav/TNavSimulation.h"

extern char** environ;

void TVisor_LumorGPS_Comun::Record(const std::string& what) { engine_->recorder.Call(what); }

void TVisor_LumorGPS_Comun::SetNight(const char* text)
{
    TConfig* c = engine_->config;
    if (!c)
        return;
    const std::string t = text ? text : "";
    c->nightColours = t.empty() ? !c->nightColours : t != "0";
}

int TVisor_LumorGPS_Comun::EjecutaComanda(TElementoGPS* object, int, const char* text, TComandasLumorGPS number)
{
    const std::string t = text ? text : "";
    Record("command " + std::to_string(number) + (t.empty() ? "" : " " + t));
    TConfig* c = engine_->config;
    const int step = t.empty() ? 1 : std::max(1, std::atoi(t.c_str()));
    switch (number) {
    case 101:
        zoomLevel = std::min(kZoomLevels - 1, zoomLevel + step);
        return 1;
    case 102:
        zoomLevel = std::max(0, zoomLevel - step);
        return 1;
    case 105:
        northUp = true;
        return 1;
    case 142:
        northUp = false;
        return 1;
    case 129:
        // Run as a command, the day/night switch also reloads the skin's colours.
        SetNight(text);
        engine_->InvokeDatosModif(nullptr, false);
        engine_->InvokeSkinChanged();
        return 1;
    case 130:
        cursorMode = !cursorMode;
        return 1;
    case 201:
        if (engine_->simulation)
            engine_->simulation->ConnectReceiver();
        return 1;
    case 235:
        if (engine_->simulation)
            engine_->simulation->navigation = TNavSimulation::FreeDriving;
        return 1;
    case 202:
    case 290:
        recording = 1;
        return 1;
    case 291:
    case 708:
        recording = 0;
        return 1;
    case 292:
        recording = recording ? 2 : 0;
        return 1;
    case 269:
        mode3D = (mode3D + 1) % 3;
        return 1;
    case 276:
        if (c) {
            c->onRoad = !c->onRoad;
            engine_->InvokeDatosModif(nullptr, false);
        }
        return 1;
    case 554:
        fileRequest = TOpenFileNameLumor();
        fileRequest.title = "Open track";
        fileRequest.folders = "\\documents";
        fileRequest.filter = "Tracks|*.trk;*.gpx|All files|*.*";
        fileRequest.typeFolders = "\\documents|\\documents";
        engine_->InvokeFileOpen(fileRequest);
        return 1;
    case 566:
        if (c)
            c->menuListMode = c->menuListMode ? 0 : 1;
        return 1;
    case 595:
        if (c) {
            c->ResetAll();
            engine_->InvokeDatosModif(nullptr, false);
        }
        return 1;
    case 2506:
    case 2507:
    case 2510:
    case 2511:
        routingProfile = number;
        if (c)
            c->routeThemes = number == 2506 || number == 2511 ? "road|roadAlt" : "outdoor|outdoorAlt";
        return 1;
    case 2512:
        autoCentre = !autoCentre;
        return 1;
    case 3221:
        // Toggles the input blocker through the program's executor.
        engine_->InvokeEjecutaComanda(551, "");
        return 1;
    default:
        if (number >= 510 && number < 520) {
            const int n = number - 510;
            return c && n < c->recentFiles.Count() ? 1 : 0;
        }
        return 1;
    }
}

int TVisor_LumorGPS_Comun::EjecutaComandaTexto(const char* text, TComandasLumorGPS number)
{
    Record("text command " + std::to_string(number) + " " + (text ? text : ""));
    if (number == 129)
        SetNight(text);
    return 1;
}

void TVisor_LumorGPS_Comun::EstadoComanda(TComandasLumorGPS number, int& kind, bool& checked, bool& visible,
                                          bool& enabled, const char* param)
{
    kind = 0;
    checked = false;
    visible = true;
    enabled = true;
    const TConfig* c = engine_->config;
    switch (number) {
    case 101:
        enabled = zoomLevel < kZoomLevels - 1;
        break;
    case 102:
        enabled = zoomLevel > 0;
        break;
    case 105:
        kind = 1, checked = northUp;
        break;
    case 142:
        kind = 1, checked = !northUp;
        break;
    case 129:
        kind = 1, checked = c && c->nightColours;
        break;
    case 130:
        kind = 1, checked = cursorMode;
        break;
    case 202:
        kind = 1, checked = recording != 0;
        break;
    case 290:
    case 291:
    case 292:
        kind = 1, checked = recording == (number == 290 ? 1 : number == 291 ? 0 : 2);
        break;
    case 708:
        visible = recording != 0;
        break;
    case 269:
        kind = 1, checked = mode3D != 0;
        break;
    case 276:
        kind = 1, checked = c && c->onRoad;
        break;
    case 566:
        kind = 1, checked = c && c->menuListMode == 1;
        break;
    case 2506:
    case 2507:
    case 2510:
    case 2511:
        kind = 1, checked = routingProfile == number;
        break;
    case 2512:
        kind = 1, checked = autoCentre;
        break;
    default:
        break;
    }
}

bool TVisor_LumorGPS_Comun::PuedeSalir(int, int reason)
{
    Record("may quit " + std::to_string(reason));
    return quitAllowed;
}

bool TVisor_LumorGPS_Comun::LanzaPrograma(const char* path, const char* args)
{
    const std::string p = path ? path : "", a = args ? args : "";
    Record("start " + p + (a.empty() ? "" : " " + a));
    if (!std::getenv("ENGINELIB_ALLOW_SPAWN"))
        return true;
    const std::string native = Path::Resolve(p);
    struct stat st;
    if (stat(native.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || access(native.c_str(), X_OK) != 0)
        return false;
    std::vector<char*> argv = {const_cast<char*>(native.c_str())};
    if (!a.empty())
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid;
    return posix_spawn(&pid, native.c_str(), nullptr, nullptr, argv.data(), environ) == 0;
}

int TVisor_LumorGPS_Comun::Operacion2486(int four, int zero)
{
    Record("operation 2486 " + std::to_string(four) + " " + std::to_string(zero));
    return 0;
}

bool TVisor_LumorGPS_Comun::PreCommandLog(int id, const char* text)
{
    engine_->Log(("command " + std::to_string(id) + " " + (text ? text : "")).c_str(), false);
    return true;
}

TElementoGPS* TVisor_LumorGPS_Comun::GetConfigManager(DString& errorText, int id, const char* text)
{
    errorText = "No settings for this command";
    return nullptr;
}
