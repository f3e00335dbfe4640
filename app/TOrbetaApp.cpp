#include "app/TOrbetaApp.h"

#include "app/TOrbetaAppCallbacks.h"
#include "app/pages/TPageMain.h"
#include "app/pages/TPageSplash.h"
#include "enginelib/base/Path.h"
#include "enginelib/base/TStringNomFitx.h"
#include "enginelib/nav/TConfig.h"
#include "uiengine/core/TPDAUIEngine.h"
#include "uiengine/controls/RegisterControls.h"
#include "uiengine/elements/TPDAUIEngineElementFactory.h"

namespace {

const char kVersionLiteral[] = "_Version__2.6.1";

DString VersionText()
{
    DString v(kVersionLiteral);
    v.Sustituye("_Version__", "");
    return v;
}

DString Joined(const DString& folder, const char* name)
{
    DString path(folder);
    if (!path.IsEmpty() && !path.EndsWith("/") && !path.EndsWith("\\"))
        path << "/";
    path << name;
    return path;
}

// The skin's tags name the engine's controls: they must be known before the
// first page loads.
void RegisterControlTags()
{
    static const bool done = [] {
        RegisterControlElements(&TPDAUIEngineElementFactory::RegisterTag);
        return true;
    }();
    (void)done;
}

} // namespace

TOrbetaApp::TOrbetaApp() : version(VersionText()), programFolder(Path::ProgramFolder().c_str()) {}

TOrbetaApp::~TOrbetaApp()
{
    engine.Close(closeFlag);
    // The watcher may still be waiting; it must be gone before the object is.
    StopUsbWatcher();
    // Take every page off the stack first: the engine's own go with it, ours stay
    // for the deletes below.
    if (uiEngine) {
        uiEngine->quit = 1;
        for (int guard = uiEngine->GetPageCount(); guard > 0 && uiEngine->GetPageCount() > 0; --guard) {
            TPDAUIEngineElementPage* top = uiEngine->GetTopPage();
            const bool ours = top == (TPDAUIEngineElementPage*)mainPage || top == (TPDAUIEngineElementPage*)splashPage;
            if (!uiEngine->ClosePage(top, !ours))
                break;
        }
    }
    delete splashPage;
    splashPage = nullptr;
    delete mainPage;
    mainPage = nullptr;
    delete uiEngine;
    uiEngine = nullptr;
}

bool TOrbetaApp::Init()
{
    if (!uiEngine)
        return false;
    TPDAUIEngine& ui = *uiEngine;
    TConfig* cfg = engine.config;
    RegisterControlTags();

    engine.SetCallbackProcesosLentos(FuncProcesosLentosCallBack, FuncMessageBoxCallBack, this);
    FillUIEngineCallbacks(*this);

    if (cfg) {
        ui.skinSettings.keyboardType = cfg->keyboardType;
        ui.soundsEnabled = cfg->soundsEnabled ? 1 : 0;
    }

    // Folders: application data, the skins and sounds under "symbols" beside the program.
    TStringNomFitx appData;
    appData.Set_Path_AppData();
    if (cfg)
        cfg->Crea_Carpetas(false);
    DString symbols = Joined(programFolder, "symbols");
    ui.skinsFolder = Joined(symbols, "skins");
    ui.soundsFolder = Joined(symbols, "sounds");
    if (cfg && !cfg->fontCopyFolder.GetValor().IsEmpty())
        ui.tempFolder = cfg->fontCopyFolder.GetValor();

    // The user's key map, else the default one beside the program.
    DString keys = Joined(TStringNomFitx::Path_AppData(), "ObKeys.cxml");
    if (!ui.keysManager.LoadKeys(keys))
        ui.keysManager.LoadKeys(Joined(programFolder, "ObKeys_D.cxml"));

    // The skin: the configured one, "default" when none is configured. In
    // skin-compiling mode the override names the skin to compile.
    DString skin;
    if (!skinOverride.IsEmpty())
        skin = skinOverride;
    else if (cfg)
        skin = cfg->skinName.GetValor();
    if (skin.IsEmpty())
        skin = "default";
    ui.skinSettings.skinName = skin;
    if (!ApplySkinTheme())
        return false;
    // Compiling the skin needs nothing more of the start-up.
    if (ui.skinCompiling)
        return true;

    mainPage = new TPageMain(this);
    // Run shows it and the destructor deletes it, whichever loop the platform has.
    mainPage->keepAfterClose = 1;

    static const struct {
        int message;
        const char* command;
    } kNative[] = {{5202, "WM_POSTIEMPOREAL"},    {6103, "WM_ACTU_FRAME_GRAFICAS"},
                   {6114, "WM_ACTU_PINTA_POLIVALENTE"}, {6113, "WM_CANCEL_MOVINGMAP_DEMO"},
                   {17698, "WM_LUMORGPS_API"},    {6050, "WM_ITV_RELOADMENU"},
                   {16, "WM_CLOSE"}};
    for (const auto& n : kNative)
        ui.RegisterNativeMessage(n.message, n.command, mainPage);

    if (cfg)
        ui.skinSettings.languageId = cfg->languageId;
    FuncLanguageChangedCallBack(this);

    if (cfg) {
        ui.contextMenuOnSecondaryPress = cfg->mapContextMenu ? 1 : 0;
        ui.appSettingA = cfg->appSettingA;
        ui.integerMemberA = cfg->appSettingB;
    }
    ui.skinSettings.soundExtension = "wav";
    ui.SetFontFunctionCallbacks(true);
    ui.InstallClockCallback();

    splashPage = new TPageSplash(this);
    if (ui.modalLoopAvailable) {
        ui.ShowPageModal(splashPage);
    } else {
        // Without a modal loop the page is opened and left to run its timer;
        // Run deletes it, so the engine must not.
        splashPage->keepAfterClose = 1;
        ui.OpenPage(splashPage);
    }
    return true;
}

bool TOrbetaApp::Run()
{
    if (splashPage) {
        if (uiEngine && uiEngine->IsOnStack(splashPage))
            uiEngine->ClosePage(splashPage, false);
        delete splashPage;
        splashPage = nullptr;
    }
    if (RunUpdaterIfPresent(commandLine) || CheckUsbStartMode(commandLine))
        return false;
    if (uiEngine && mainPage && !uiEngine->quit) {
        if (uiEngine->modalLoopAvailable)
            uiEngine->ShowPageModal(mainPage);
        else
            uiEngine->OpenPage(mainPage);
    }
    if (uiEngine && savedOrientation >= 0) {
        int requested = savedOrientation, current = 0;
        uiEngine->SetScreenOrientation(requested, current);
    }
    LaunchUsbProgramOnExit();
    return false;
}
