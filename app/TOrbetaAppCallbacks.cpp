#include "app/TOrbetaAppCallbacks.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/TOrbetaAppCommands.h"
#include "app/TUserControlFactory.h"
#include "app/pages/TPageMain.h"
#include "enginelib/nav/TConfig.h"
#include "enginelib/nav/TVisor_LumorGPSPocket.h"
#include "uiengine/controls/TPDAUIEngineElementTextBox.h"
#include "uiengine/core/TPDAUIEngine.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"
#include "wincore/WinApi.h"

namespace {

TOrbetaApp& App(void* user) { return *static_cast<TOrbetaApp*>(user); }
TPDAUIEngine* Ui(void* user) { return App(user).uiEngine; }

std::atomic<int> g_volume{-1};  // -1: not set yet, read from the platform
std::atomic<bool> g_mute{false};

void PostNamed(TOrbetaApp& app, const char* name, intptr_t data = 0)
{
    if (app.uiEngine)
        app.uiEngine->PostCommand(TPDAUIEngineCommand(nullptr, name, data));
}

// ---- the library's callbacks ----

int FuncPropertiesCallBack(void* app, TElementoGPS* element, int mode)
{
    return App(app).ShowProperties(element, mode, nullptr);
}

int FuncListasCallBack(void* app, TElementoGPS* element, int flags, const TTipoObjetoGPS* types,
                       EFlagsContextMenuElemGPS menuFlags, const DString& title)
{
    return App(app).ShowLists(element, flags, types, menuFlags, title);
}

int FuncFileOpenCallBack(void* app, TOpenFileNameLumor& request) { return App(app).ShowFileOpen(request); }

int FuncInputTextCallBack(void* app, const DString& title, const DString& message, const DString& initial, int mode,
                          bool flag)
{
    return App(app).InputText(title, message, initial, mode, flag ? 1 : 0);
}

int FuncAskRadioCallBack(void* app, const DString& title, const DString& message, Vector<DString>& options,
                         int defaultIndex, bool flag)
{
    return App(app).AskRadio(title, message, options, defaultIndex, flag ? 1 : 0);
}

int FuncAskGeoCodeCallBack(void* app, const DString& title, int flags, const DString& text)
{
    return App(app).AskGeoCode(title, flags, text);
}

void FuncActuScreenCallBack(void* app) { App(app).ActuScreen(); }

// Only pages that show live library data repaint on the library's request.
void FuncInvalidateCallBack(void* app, bool all)
{
    TPDAUIEngine* ui = Ui(app);
    if (!ui)
        return;
    if (dynamic_cast<TPageMain*>(ui->GetTopPage()))
        ui->Invalidate(all ? 1 : 0);
}

void FuncQuitCallBack(void* app)
{
    if (TPDAUIEngine* ui = Ui(app))
        ui->RequestQuit();
}

void FuncDatosModifCallBack(void* app, TElementoGPS* element, bool now)
{
    if (!Ui(app))
        return;
    if (now)
        App(app).BroadcastDataModified(element);
    else
        PostNamed(App(app), "lumorEngine_datosModificados", (intptr_t)element);
}

void FuncGraphUpdateCallBack(void* app)
{
    if (Ui(app))
        PostNamed(App(app), "lumorEngine_loadGraphData");
}

void FuncClosePageCallBack(void* app, int index)
{
    TPDAUIEngine* ui = Ui(app);
    if (!ui)
        return;
    if (index == -1)
        PostNamed(App(app), "lumorEngine_closePagesUntilFirst");
    else if (index >= 0 && index < ui->GetPageCount())  // the page of that index is open
        PostNamed(App(app), "lumorEngine_closeLastPage");
}

void FuncActuChecksCallBack(void* app)
{
    TPDAUIEngine* ui = Ui(app);
    if (!ui)
        return;
    for (int i = 0; i < ui->GetPageCount(); ++i)
        if (auto* main = dynamic_cast<TPageMain*>(ui->GetPage(i)))
            ui->InvalidateElement(main);
}

void FuncObjetoSeleccCallBack(void* app)
{
    TPDAUIEngine* ui = Ui(app);
    if (!ui)
        return;
    // A page may close others while it handles the command: recount every turn.
    for (int i = 0; i < ui->GetPageCount(); ++i) {
        TPDAUIEngineCommand command(nullptr, "lumorEngine_cambiadoObjetoSeleccionado");
        ui->GetPage(i)->OnCommand(command);
    }
}

bool FuncFotoViewsCallBack(void* app, TStringNomFitx& file, const DString& title, int kind)
{
    return App(app).FotoViews(file, title, kind) != 0;
}

bool FuncTextViewsCallBack(void* app, const DString& title, const DString& text, int kind)
{
    return App(app).TextViews(text, title, kind) != 0;
}

void FuncSkinChangedCallBackLib(void* app) { App(app).ApplySkinTheme(); }

int FuncGetUIEngineMemoryUsedCallBack(void* app)
{
    TPDAUIEngine* ui = Ui(app);
    return ui ? ui->GetMemoryUsed() : 0;
}

void FuncCPU100modeCallBack(void* app, bool on)
{
    if (TPDAUIEngine* ui = Ui(app))
        ui->SetCPU100Mode(on ? 1 : 0);
}

void FuncZoomToItModalCallBack(void* app, bool& out)
{
    out = !App(app).ExecuteCommand(157, nullptr, -1, nullptr, nullptr, -1, nullptr, nullptr);
}

bool FuncWakeUpCallBackLib(void* app) { return AppWakeUpClick(App(app)); }

void FuncChangeUIThemeCallBack(void* app, const DString& theme) { App(app).ChangeUITheme(theme); }

void FuncEjecutaComandaCallBack(void* app, TComandasLumorGPS id, const DString& argument)
{
    App(app).PostEngineCommand(id, argument.c_str());
}

void FuncEqueueAttachmentCallBack(void* app, TElementoGPS* element, TStringNomFitx& file, const DString& text,
                                  int index)
{
    App(app).QueueAttachment(element, file, text, index);
}

bool FuncIsAppVisibleCallBack(void* app)
{
    TPDAUIEngine* ui = Ui(app);
    return ui && ui->IsAppVisible();
}

// ---- the UI engine's callbacks (named as the block's types, so kept apart) ----
namespace ui {

int FuncSustituyeIdIdiomaCallBack(void* app, DString* text, int)
{
    if (text)
        App(app).engine.Sustituye_Id_Idioma(*text);
    return 1;
}

void FuncPlaySoundCallBack(void*, const char* path, int flag)
{
    if (!path || g_mute)
        return;
    const std::u16string wide = WinFromUtf8(path);
    PlaySoundW(wide.c_str(), nullptr, (DWORD)flag);
}

void FuncSetSoundVolumeCallBack(void*, int value, int) { AppSetSoundVolume(value); }
int FuncGetSoundVolumeCallBack(void*, int, int) { return AppGetSoundVolume(); }
int FuncGetSoundMuteCallBack(void*) { return AppGetSoundMute() ? 1 : 0; }
void FuncSetSoundMuteCallBack(void*, int on, int) { AppSetSoundMute(on != 0); }
void FuncSkinChangedCallBack(void* app, int, int) { App(app).ApplySkinTheme(); }
int FuncWakeUpCallBack(void* app, intptr_t) { return AppWakeUpClick(App(app)) ? 1 : 0; }
void FuncPlatformHookCallBack(void* app) { App(app).PlatformHook(); }

// Pages that carry their own keyboard edit their text boxes themselves.
int FuncInputBoxCallBack(void* app, TPDAUIEngineElement* element)
{
    TPDAUIEngine* ui = Ui(app);
    TPDAUIEngineElementPage* top = ui ? ui->GetTopPage() : nullptr;
    const bool ownKeyboard = top && (top->pageName.Strcmpi("pageInputBox") == 0 ||
                                     top->pageName.Strcmpi("pageCoordinatesInputBox") == 0 ||
                                     top->pageName.Strcmpi("pageMenuPOISByName") == 0);
    if (!ownKeyboard) {
        auto* box = dynamic_cast<TPDAUIEngineElementTextBox*>(element);
        App(app).InputTextForObject(DString(), DString(), element, box && box->onlyAcceptKeyCharNumbers ? 1 : 0, 0);
    }
    return 1;
}

int FuncInputComboBoxCallBack(void* app, TPDAUIEngineElement* comboBox, intptr_t)
{
    App(app).InputComboBox(0, comboBox);
    return 1;
}

int FuncShowContextMenuCallBack(void* app, TPDAUIEngineElement* menu, int, int)
{
    App(app).ShowContextMenu(menu);
    return 1;
}

void FuncSetBrightnessCallBack(void*, int value, int) { AppSetBrightness(value); }
int FuncGetBrightnessCallBack(void*, int, int) { return AppGetBrightness(); }


void FuncShowBlockerCallBack(void* app, int, int)
{
    App(app).ExecuteCommand(548, nullptr, -1, nullptr, nullptr, -1, nullptr, nullptr);
}

void FuncSaveWindowGeometryCallBack(void* app, int screenMode, int x, int y, int width, int height)
{
    TConfig* cfg = App(app).engine.config;
    if (!cfg)
        return;
    char text[80];
    std::snprintf(text, sizeof text, "%d,%d,%d,%d,%d", screenMode, x, y, width, height);
    cfg->windowGeometry = text;
}

void FuncOrientationChangedCallBack(void* app, int angle, int)
{
    TConfig* cfg = App(app).engine.config;
    if (!cfg || !cfg->rotationSaveEnabled || !cfg->rotationFollowDevice)
        return;
    cfg->rotation = angle == 90 ? 1 : angle == 180 ? 2 : angle == 270 ? 4 : 0;
}

} // namespace ui

} // namespace

void FuncProcesosLentosCallBack(void* app, TMonitorProc& monitor, const DString& message,
                                const DString& variableMessage, bool& cancel, EModoProcesosLentos mode, bool flag)
{
    App(app).ShowProgress(monitor, message, variableMessage, cancel, (int)mode, flag ? 1 : 0);
}

int FuncMessageBoxCallBack(void* app, const DString& text, const DString& caption, int flags, int seconds,
                           TCallbackLumor* callback)
{
    return App(app).ShowMessageBox(text, caption, flags, seconds, callback, "", nullptr, nullptr, nullptr, nullptr);
}

void FuncLanguageChangedCallBack(void* app)
{
    TOrbetaApp& a = App(app);
    if (!a.uiEngine)
        return;
    if (a.engine.config)
        a.uiEngine->skinSettings.languageId = a.engine.config->languageId;
    a.uiEngine->skinSettings.rightToLeft = a.engine.GetIdioma_IsRightToLeft() ? 1 : 0;
}

void RegisterEngineCallbacks(TOrbetaApp& app)
{
    TLumorGPSEngineInterface& e = app.engine;
    void* u = &app;
    e.SetCallbackMessageBox(FuncMessageBoxCallBack, u);
    e.SetCallbackProperties(FuncPropertiesCallBack, u);
    e.SetCallbackListas(FuncListasCallBack, u);
    e.SetCallbackFileOpen(FuncFileOpenCallBack, u);
    e.SetCallbackInputText(FuncInputTextCallBack, u);
    e.SetCallbackAskRadio(FuncAskRadioCallBack, u);
    e.SetCallbackAskGeoCode(FuncAskGeoCodeCallBack, u);
    e.SetCallbackActuScreen(FuncActuScreenCallBack, u);
    e.SetCallbackInvalidate(FuncInvalidateCallBack, u);
    e.SetCallbackQuit(FuncQuitCallBack, u);
    e.SetCallbackDatosModif(FuncDatosModifCallBack, u);
    e.SetCallbackUpdateGraph(FuncGraphUpdateCallBack, u);
    e.SetCallbackClosePage(FuncClosePageCallBack, u);
    e.SetCallbackActuChecks(FuncActuChecksCallBack, u);
    e.SetCallbackObjetoSelecc(FuncObjetoSeleccCallBack, u);
    e.SetCallbackFotoViews(FuncFotoViewsCallBack, u);
    e.SetCallbackTextViews(FuncTextViewsCallBack, u);
    e.SetCallbackSkinChanged(FuncSkinChangedCallBackLib, u);
    e.SetCallbackLanguageChanged(FuncLanguageChangedCallBack, u);
    e.SetCallbackGetUIEngineMemoryUsed(FuncGetUIEngineMemoryUsedCallBack, u);
    e.SetCallBackCPU100mode(FuncCPU100modeCallBack, u);
    e.SetCallBackZoomToItModal(FuncZoomToItModalCallBack, u);
    e.SetCallBackWakeUp(FuncWakeUpCallBackLib, u);
    e.SetCallBackChangeUITheme(FuncChangeUIThemeCallBack, u);
    e.SetCallBackEjecutaComanda(FuncEjecutaComandaCallBack, u);
    e.SetCallBackEqueueAttachment(FuncEqueueAttachmentCallBack, u);
    e.SetCallBack_IsAppVisible(FuncIsAppVisibleCallBack, u);
}

void FillUIEngineCallbacks(TOrbetaApp& app)
{
    if (!app.uiEngine)
        return;
    TPDAUIEngineCallbacks& c = app.uiEngine->callbacks;
    c.userData = &app;
    c.translate = ui::FuncSustituyeIdIdiomaCallBack;
    c.playSound = ui::FuncPlaySoundCallBack;
    c.setSoundVolume = ui::FuncSetSoundVolumeCallBack;
    c.getSoundVolume = ui::FuncGetSoundVolumeCallBack;
    c.getSoundMute = ui::FuncGetSoundMuteCallBack;
    c.setSoundMute = ui::FuncSetSoundMuteCallBack;
    c.skinChanged = ui::FuncSkinChangedCallBack;
    c.wakeUp = ui::FuncWakeUpCallBack;
    c.quitCleanup = ui::FuncPlatformHookCallBack;
    c.textInput = ui::FuncInputBoxCallBack;
    c.comboBoxInput = ui::FuncInputComboBoxCallBack;
    c.contextMenu = ui::FuncShowContextMenuCallBack;
    c.setBrightness = ui::FuncSetBrightnessCallBack;
    c.getBrightness = ui::FuncGetBrightnessCallBack;
    c.userControlFactory = TUserControlFactory::FuncCreateUserControlElementByNameCallBack;
    c.uiCommand = TOrbetaAppCommands::FuncUICommandCallBack;
    c.inputBlocked = ui::FuncShowBlockerCallBack;
    c.windowGeometry = ui::FuncSaveWindowGeometryCallBack;
    c.orientation = ui::FuncOrientationChangedCallBack;
}

bool AppWakeUpClick(TOrbetaApp& app) { return app.engine.WakeUpClick(); }

void AppSetSoundVolume(int percent)
{
    percent = std::clamp(percent, 0, 100);
    g_volume = percent;
    const DWORD level = g_mute ? 0 : (DWORD)(percent * 0xFFFF / 100);
    waveOutSetVolume(nullptr, level | (level << 16));
}

int AppGetSoundVolume()
{
    if (g_volume >= 0)
        return g_volume;
    DWORD level = 0;
    waveOutGetVolume(nullptr, &level);
    return (int)((level & 0xFFFF) * 100 / 0xFFFF);
}

bool AppGetSoundMute() { return g_mute; }

void AppSetSoundMute(bool on)
{
    g_mute = on;
    if (g_volume >= 0)
        AppSetSoundVolume(g_volume);
}

void AppSetBrightness(int percent) { WinSetBrightness(std::clamp(percent, 0, 100)); }

int AppGetBrightness() { return WinGetBrightness(); }
