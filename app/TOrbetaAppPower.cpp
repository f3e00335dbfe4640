#include <cstring>
#include <string>

#include "app/TOrbetaApp.h"
#include "app/TOrbetaAppCommands.h"
#include "app/TOrbetaAppCallbacks.h"
#include "enginelib/base/PocketSH.h"
#include "enginelib/base/TFitxUtils.h"
#include "enginelib/nav/TConfig.h"
#include "enginelib/nav/TValCampo.h"
#include "enginelib/nav/TVisor_LumorGPSPocket.h"
#include "uiengine/core/TPDAUIEngine.h"
#include "wincore/WinApi.h"

namespace {

const int kPowerCheckMs = 2000;
const int kLowBatteryRepeatMs = 120000;
const char kUpdater[] = "Quillon.exe";
const char kUsbProgram[] = "\\Windows\\Vemblo.exe";

// Signed difference of two UI-engine times, right across the wrap of the count.
int Elapsed(int now, int then) { return (int)((unsigned)now - (unsigned)then); }

double Field(TLumorGPSEngineInterface& e, int field)
{
    TValCampo v;
    if (!e.Retorna_Val_Campo_Global(field, v, false, false))
        return 0;
    return v.valor;
}

bool IsTokenChar(char c) { return c != ' ' && c != '\t' && c != '"'; }

// The switch stands on its own in the command line (a separate word), so that
// "\Storage Card\BACKUP\x.gpx" holds no "UP" and "PROGRAMS" no "MS".
bool HasToken(const DString& commandLine, const char* token)
{
    const char* text = commandLine.c_str();
    const size_t n = std::strlen(token);
    for (const char* p = std::strstr(text, token); p; p = std::strstr(p + 1, token)) {
        const bool startOk = p == text || !IsTokenChar(p[-1]);
        const bool endOk = !IsTokenChar(p[n]) || p[n] == '\0';
        if (startOk && endOk)
            return true;
    }
    return false;
}

} // namespace

bool TOrbetaApp::HasSwitch(const DString& commandLine, const char* slashed, const char* bare)
{
    return !commandLine.IsEmpty() && (HasToken(commandLine, slashed) || HasToken(commandLine, bare));
}

void TOrbetaApp::PeriodicScreenUpdate()
{
    TConfig* cfg = engine.config;
    // The library's own screen work answers whether the map may change colours now.
    const bool r = engine.visor != nullptr;
    if (cfg && uiEngine && cfg->autoDayNight && r && !TOrbetaAppCommands::ScreenBlocked(*uiEngine)) {
        const int now = uiEngine->GetTickCount();
        if (Elapsed(now, lastScreenUpdate) > (fastScreenRefresh ? 500 : 2000)) {
            lastScreenUpdate = now;
            const int d = (int)(Field(engine, 348) * 0.1);
            if (d != 0) {
                fastScreenRefresh = d == 3;
                if ((d == 1) == (bool)cfg->nightColours) {
                    const std::string text = std::to_string(d - 1);
                    engine.visor->EjecutaComandaTexto(text.c_str(), 129);
                    ApplySkinTheme();
                }
            }
        }
    }
    PowerWatch();
}

void TOrbetaApp::PowerWatch()
{
    if (!uiEngine)
        return;
    const int now = uiEngine->GetTickCount();
    if (Elapsed(now, lastPowerCheck) < kPowerCheckMs)
        return;
    lastPowerCheck = now;
    TConfig* cfg = engine.config;
    if (!cfg || cfg->fixedPower)
        return;

    if (!powerFlags[3] && cfg->autonomyThreshold != -1 && Field(engine, 74) > cfg->autonomyThreshold) {
        powerFlags[3] = 1;
        ExecuteCommand(673, nullptr, -1, nullptr, nullptr, -1, nullptr, nullptr);
    }

    const double v = Field(engine, 98);
    const bool wasExternal = powerFlags[0] != 0;
    if (v < 0) {
        powerFlags[0] = 1;
        powerFlags[1] = 0;
    } else if (v > 95) {
        powerFlags[0] = 0;
        powerFlags[1] = 0;
    } else if ((int)v != 0) {
        if (v < 10) {
            // A warning that never ran is overdue: a start on a low battery warns
            // at the first check instead of never.
            if (!powerFlags[1]) {
                powerFlags[1] = 1;
                if (!lowBatteryWarningGiven || Elapsed(now, lastLowBatteryWarning) > kLowBatteryRepeatMs) {
                    lastLowBatteryWarning = now;
                    lowBatteryWarningGiven = true;
                    ExecuteCommand(671, nullptr, -1, nullptr, nullptr, -1, nullptr, nullptr);
                }
            }
        } else {
            powerFlags[1] = 0;
        }
        powerFlags[0] = 0;
    } else {
        if (!powerFlags[2])
            ExecuteCommand(674, nullptr, -1, nullptr, nullptr, -1, nullptr, nullptr);
        powerFlags[2] = 1;
        powerFlags[1] = 1;
        powerFlags[0] = 0;
    }
    const bool isExternal = powerFlags[0] != 0;
    if (cfg->powerAlarm && wasExternal && !isExternal)
        ExecuteCommand(672, nullptr, -1, nullptr, nullptr, -1, nullptr, nullptr);
    if (usbSignalled && !wasExternal && isExternal)
        ExecuteCommand(676, nullptr, -1, nullptr, nullptr, -1, nullptr, nullptr);
}

unsigned long TOrbetaApp::UsbThreadProc(void* param)
{
    TOrbetaApp* app = static_cast<TOrbetaApp*>(param);
    // Ends when the wait fails: the semaphore's last handle was closed at shut-down.
    while (WaitForSingleObject((HANDLE)app->usbSemaphore, INFINITE) == WAIT_OBJECT_0) {
        SetEvent((HANDLE)app->usbCancelEvent);
        app->usbSignalled = 1;
    }
    return 0;
}

void TOrbetaApp::StartUsbWatcher()
{
    if (usbThread.joinable())
        return;
    usbSemaphore = CreateSemaphoreW(nullptr, 0, 1, u"usbSemaphore");
    usbEvent = CreateEventW(nullptr, TRUE, FALSE, u"usbEvent");
    usbCancelEvent = CreateEventW(nullptr, TRUE, FALSE, u"usbCancelEvent");
    if (usbSemaphore && usbEvent && usbCancelEvent)
        usbThread = std::thread([this] { UsbThreadProc(this); });
}

void TOrbetaApp::StopUsbWatcher()
{
    // Closing the semaphore wakes the waiting thread with a failed wait.
    if (usbSemaphore)
        CloseHandle((HANDLE)usbSemaphore);
    if (usbThread.joinable())
        usbThread.join();
    usbSemaphore = nullptr;
    for (void** h : {&usbEvent, &usbCancelEvent})
        if (*h) {
            CloseHandle((HANDLE)*h);
            *h = nullptr;
        }
}

bool TOrbetaApp::RunUpdaterIfPresent(const DString& line)
{
    DString folder;
    intptr_t card = PocketSH_FindFirstFlashCard(folder);
    TStringNomFitx updater;
    bool found = false;
    for (bool more = card != 0; more; more = PocketSH_FindNextFlashCard(card, folder)) {
        updater.Set_Path_y_Fitx(folder.c_str(), kUpdater);
        if (updater.Verifica_Existencia_Archivo()) {
            found = true;
            break;
        }
    }
    if (!found)
        return false;
    if (!updater.FileMd5("Quillon.exe file corrupted", 2))
        return false;
    if (HasSwitch(line, "/UP", "UP")) {
        // This start comes from the updater: it has done its work.
        Sleep(2000);
        TFitxUtils::Borra_Archivo(updater.c_str());
        return false;
    }
    closeFlag = 0;
    if (engine.visor)
        engine.visor->LanzaPrograma(updater.c_str(), "");
    return true;
}

bool TOrbetaApp::CheckUsbStartMode(const DString& line)
{
    if (!engine.visor)
        return true;
    TConfig* cfg = engine.config;
    if (!cfg || cfg->fixedPower)
        return false;
    const bool pb = HasSwitch(line, "/PB", "PB");
    const bool ms = HasSwitch(line, "/MS", "MS");
    bool handOver = false;
    if (!ms) {
        handOver = !pb && Field(engine, 98) < 0;
    } else if (cfg->powerAlarm) {
        AppWakeUpClick(*this);
        DString sound(programFolder);
        sound << "/symbols/sounds/soundMessageBox.wav";
        PlaySoundW(WinFromUtf8(sound.c_str()).c_str(), nullptr, SND_ASYNC | SND_FILENAME);
        const int answer = ShowMessageBox(engine.Get_Idioma_GPS(260), DString("AC"), 0, 1800, nullptr, "", nullptr,
                                          nullptr, nullptr, nullptr);
        if (answer == 7 || answer == 2)
            return true;
    }
    if (handOver) {
        closeFlag = 0;
        engine.visor->LanzaPrograma(kUsbProgram, "/orbeta");
        return true;
    }
    return false;
}

void TOrbetaApp::LaunchUsbProgramOnExit()
{
    TConfig* cfg = engine.config;
    if (!cfg || !engine.visor)
        return;
    const bool exitLaunch = cfg->exitLaunch;
    if (cfg->fixedPower && !exitLaunch)
        return;
    if (!(Field(engine, 98) < 0) && !exitLaunch)
        return;
    if (!exitLaunch && usbEvent)
        SetEvent((HANDLE)usbEvent);
    engine.visor->LanzaPrograma(kUsbProgram, "/orbeta");
    closeFlag = 0;
}
