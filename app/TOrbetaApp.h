#pragma once
#include <atomic>
#include <cstdint>
#include <thread>

#include "enginelib/base/DString.h"
#include "enginelib/base/TStringNomFitx.h"
#include "enginelib/base/Vector.h"
#include "enginelib/nav/TLumorGPSEngineInterface.h"
#include "enginelib/nav/TLumorGPSTypes.h"

struct HWND__;
struct HINSTANCE__;

class TPDAUIEngine;
class TPDAUIEngineCommand;
class TPDAUIEngineElement;
class TPDAUIEngineElementPage;
class TPageMain;
class TPageSplash;

// The application object: binds the navigation library's facade to the UI engine,
// runs the start-up stages, the main page's loop and the shut-down. Every page and
// user control keeps a plain pointer to it.
class TOrbetaApp {
public:
    TOrbetaApp();
    // Shut-down: closes the library, deletes the splash page, the main page and
    // the UI engine, in that order.
    virtual ~TOrbetaApp();
    TOrbetaApp(const TOrbetaApp&) = delete;
    TOrbetaApp& operator=(const TOrbetaApp&) = delete;

    // ---- start-up stages and the run (TOrbetaApp.cpp, TOrbetaAppStartup.cpp) ----
    // First stage, common part; false ends the program without Run.
    virtual bool Init();
    // Second stage, run from the splash page's timer.
    virtual bool InitEngine();
    // The main page's loop; answers false once it has closed.
    virtual bool Run();

    // ---- dialog requests (TOrbetaAppDialogs.cpp) ----
    virtual int ShowProgress(TMonitorProc& monitor, const DString& message, const DString& variableMessage,
                             bool& cancel, int mode, int flag);
    virtual int ShowMessageBox(const DString& message, const DString& title, int flags, int seconds,
                               TCallbackLumor* callback, const char* closeCommand, const char* yesCommand,
                               const char* yesArgument, const char* cancelCommand, const char* cancelArgument);
    virtual int ShowProperties(TElementoGPS* element, int mode, TPDAUIEngineCommand* reply);
    virtual int ShowLists(TElementoGPS* element, int flags, const TTipoObjetoGPS* types,
                          int contextMenuFlags, const DString& title);
    virtual int ShowFileOpen(TOpenFileNameLumor& request);
    virtual int InputGeoCode(const DString& title, const DString& message, const DString& initial, int mode,
                             TPDAUIEngineCommand* reply, int flag);
    virtual int InputTextForObject(const DString& title, const DString& message, TPDAUIEngineElement* textBox,
                                   int mode, int flag);
    virtual int InputText(const DString& title, const DString& message, const DString& initial, int mode,
                          int flag);
    virtual int AskRadio(const DString& title, const DString& message, Vector<DString>& options,
                         int defaultIndex, int flag);
    virtual int InputComboBox(int value, TPDAUIEngineElement* comboBox);
    virtual int ShowContextMenu(TPDAUIEngineElement* menu);
    virtual int FotoViews(TStringNomFitx& file, const DString& title, int kind);
    virtual int TextViews(const DString& text, const DString& title, int kind);
    virtual int QueueAttachment(TElementoGPS* element, TStringNomFitx& file, const DString& text, int n);

    // ---- menus from command trees (TOrbetaAppMenus.cpp) ----
    virtual TPDAUIEngineElement* FillCommandButtons(TPDAUIEngineElement* container, TPDAUIEngineElement* templ,
                                                    TVectorComandas* tree, int depth, const char* commandName,
                                                    int a, int b, int c, bool atFront);
    virtual void RefreshMenuItems(TPDAUIEngineElement* menu, bool& changed);

    virtual int AskGeoCode(const DString& title, int flags, const DString& text);

    // ---- commands (TOrbetaAppCommands.cpp) ----
    // extra is a second argument: a text, or a decimal number for the ids that
    // take one. Null and -1 stand for what a caller does not use.
    virtual bool ExecuteCommand(int id, TPDAUIEngineCommand* reply, int number, const char* text,
                                const char* extra, int value, TPDAUIEngineElementPage* parent,
                                const char* text3);

    // ---- skin theme and display (TOrbetaAppTheme.cpp) ----
    virtual bool ApplySkinTheme();
    virtual int ChangeUITheme(const DString& theme);
    virtual int ActuScreen();
    // Platform work at quit; nothing on this platform.
    virtual void PlatformHook() = 0;
    virtual DString& GetSplashImagePath(DString& path);

    // ---- non-virtual operations ----
    // Commands as text, run later on the UI thread ("LumorEngCommand:<id>[,<text>]").
    void PostEngineCommand(int id, const char* text);
    void BroadcastDataModified(TElementoGPS* element);
    void LoadGraphData();
    // Display settings stored in the library, applied after InitEngine.
    void ApplyDisplaySettings();
    // Power, USB and updater (TOrbetaAppPower.cpp).
    void PowerWatch();
    void PeriodicScreenUpdate();
    static unsigned long UsbThreadProc(void* app);
    bool RunUpdaterIfPresent(const DString& commandLine);
    bool CheckUsbStartMode(const DString& commandLine);
    // "/XX" or "XX" standing as a word of the command line, not inside a path.
    static bool HasSwitch(const DString& commandLine, const char* slashed, const char* bare);
    void LaunchUsbProgramOnExit();

    // ---- fields ----
    DString commandLine;
    TLumorGPSEngineInterface engine;
    TPDAUIEngine* uiEngine = nullptr;   // owned
    TPageMain* mainPage = nullptr;      // owned
    TPageSplash* splashPage = nullptr;  // owned; deleted by Run
    DString version;
    DString skinOverride;
    DString uiTheme;
    DString autoOpenText;
    unsigned char closeFlag = 1;
    // Written by the USB watcher thread, read by the power watch.
    std::atomic<unsigned char> usbSignalled{1};
    unsigned char fastScreenRefresh = 0;
    unsigned char powerFlags[4] = {0, 0, 0, 0};  // on external power, low battery warned,
                                                 // battery empty shown, autonomy warned
    int lastLowBatteryWarning = 0;
    HINSTANCE__* instance = nullptr;
    HWND__* window = nullptr;

    // ---- what the operations above keep between calls ----
    // The program's folder: "symbols" (skins, sounds, the splash picture) lies in it.
    DString programFolder;
    // The USB watcher (TOrbetaAppPower.cpp): joined at shut-down.
    std::thread usbThread;
    void* usbEvent = nullptr;
    void* usbSemaphore = nullptr;
    void* usbCancelEvent = nullptr;
    // Creates the watcher's handles and, when all three exist, starts it.
    void StartUsbWatcher();
    // Ends the watcher and closes its handles; safe to call twice.
    void StopUsbWatcher();
    int lastPowerCheck = 0;            // UI-engine ms of the last power check
    int lastScreenUpdate = 0;          // UI-engine ms of the last day/night check
    bool lowBatteryWarningGiven = false;  // lastLowBatteryWarning holds a real time
    int savedOrientation = -1;         // the orientation before ApplyDisplaySettings; -1 none
};
