#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "enginelib/base/DString.h"
#include "enginelib/base/TStringNomFitx.h"
#include "enginelib/base/Vector.h"
#include "enginelib/draw/Geometry.h"
#include "enginelib/nav/Recorder.h"
#include "enginelib/nav/TLanguages.h"
#include "enginelib/nav/TNavFields.h"
#include "enginelib/nav/TLumorGPSTypes.h"
#include "enginelib/nav/TPulseSource.h"

class TBaliza;
class TDibIG;
class TGeoCode;
class TGraficas_2011B;
class InAppAdsController;
class TPuntoCoord;
class TNavSimulation;
class TRuta;
class TTrack;
class TTrackRutaBase;

// The navigation engine's facade: one instance, alive for the whole run, driven
// through its stages in order (Ejecuta_CmdLine, Inicializa0, Inicializa2_hWnd,
// Inicializa1, Inicializa2, Close). Every callback is one plain function and one
// user-data word; the library calls the function with the user data first. A
// request made through a callback is answered once, by the callback's result or
// later by the matching End call; other answers are logged and change nothing.
class TLumorGPSEngineInterface {
public:
    // ---- callback shapes (user data first) ----
    typedef void (*FnProcesosLentos)(void* user, TMonitorProc& monitor, const DString& message,
                                     const DString& variableMessage, bool& cancel, EModoProcesosLentos mode,
                                     bool flag);
    typedef int (*FnMessageBox)(void* user, const DString& text, const DString& caption, int flags, int seconds,
                                TCallbackLumor* callback);
    typedef int (*FnProperties)(void* user, TElementoGPS* element, int mode);
    typedef int (*FnListas)(void* user, TElementoGPS* element, int flags, const TTipoObjetoGPS* types,
                            EFlagsContextMenuElemGPS menuFlags, const DString& title);
    typedef int (*FnFileOpen)(void* user, TOpenFileNameLumor& request);
    typedef int (*FnInputText)(void* user, const DString& title, const DString& message, const DString& initial,
                               int mode, bool flag);
    typedef int (*FnAskRadio)(void* user, const DString& title, const DString& message, Vector<DString>& options,
                              int defaultIndex, bool flag);
    typedef int (*FnAskGeoCode)(void* user, const DString& title, int flags, const DString& text);
    typedef void (*FnVoid)(void* user);
    typedef void (*FnBool)(void* user, bool value);
    typedef bool (*FnAnswerBool)(void* user);
    typedef int (*FnAnswerInt)(void* user);
    typedef void (*FnDatosModif)(void* user, TElementoGPS* element, bool now);
    typedef void (*FnClosePage)(void* user, int index);
    typedef bool (*FnFotoViews)(void* user, TStringNomFitx& file, const DString& title, int kind);
    typedef bool (*FnTextViews)(void* user, const DString& title, const DString& text, int kind);
    typedef void (*FnZoomToItModal)(void* user, bool& out);
    typedef void (*FnChangeUITheme)(void* user, const DString& theme);
    typedef void (*FnEjecutaComanda)(void* user, TComandasLumorGPS id, const DString& argument);
    typedef void (*FnEqueueAttachment)(void* user, TElementoGPS* element, TStringNomFitx& file,
                                       const DString& text, int index);

    template <class F>
    struct Callback {
        F fn = nullptr;
        void* user = nullptr;
        void Set(F f, void* u) { fn = f, user = u; }
    };

    // What the stand-in answers where a real library would report its build; tests
    // change these to see the program's checks fail.
    struct BuildInfo {
        int sizeofDatos = 2496, sizeofVisor = 4664, sizeofEngineInterface = 80, sizeofTempsUTC = 28,
            sizeofConfig = 20248;
        int maskDefineC = 282;
        std::string version = "_Version__2.6.1";
    };
    // Stage results a test can force; an empty text means the stage succeeds.
    struct StageFailures {
        bool cmdLine = false;
        std::string inicializa1, inicializa2;
    };

    TLumorGPSEngineInterface();
    ~TLumorGPSEngineInterface();
    TLumorGPSEngineInterface(const TLumorGPSEngineInterface&) = delete;
    TLumorGPSEngineInterface& operator=(const TLumorGPSEngineInterface&) = delete;

    // The live facade, or null before one exists.
    static TLumorGPSEngineInterface* Instance();

    // ---- stages ----
    // False ends the program silently. Remembers the command line.
    static bool Ejecuta_CmdLine(const wchar_t* cmdLine, const wchar_t* className);
    void Inicializa0();
    void Inicializa2_hWnd(void* window, void* instance, void* window2);
    bool Inicializa1(DString& errorText);
    bool Inicializa2(DString& errorText);
    void Close(unsigned char closeFlag);

    int GetSizeofDatos() const { return build.sizeofDatos; }
    int GetSizeofVisor() const { return build.sizeofVisor; }
    int GetSizeofEngineInterface() const { return build.sizeofEngineInterface; }
    int GetSizeofTempsUTC() const { return build.sizeofTempsUTC; }
    int GetSizeofConfig() const { return build.sizeofConfig; }
    int CalcMaskDefineC() const { return build.maskDefineC; }
    const char* GetVersionAppDll() const { return build.version.c_str(); }

    void Log(const char* line, bool flush);
    // Writes the settings file now; false with the reason logged.
    bool SaveConfig();
    void RegistraGPS2(const char* text, int level);

    // ---- language ----
    // Replaces the translation ids ("{E97}") of text in place; unknown ids stay.
    void Sustituye_Id_Idioma(DString& text) const;
    // The library's own numbered texts; an unknown number gives its key ("gps.9").
    DString Get_Idioma_GPS(int n) const { return NumberedText("gps.", n); }
    DString Get_Idioma_Movingmap(int n) const { return NumberedText("movingmap.", n); }
    DString Get_Idioma_Menu(int n) const { return NumberedText("menu.", n); }
    DString NomCurtIdioma2() const { return DString(languages.Table().shortName.c_str()); }
    int GetIdioma_Count() const { return languages.Count(); }
    DString GetIdioma_Name(int index) const { return DString(languages.Name(index).c_str()); }
    // Switches language (an index outside the list changes nothing), keeps it in the
    // settings and tells the program.
    void CambiaIdioma(int index);
    bool GetIdioma_IsRightToLeft() const { return languages.Table().rightToLeft; }
    // Keyboard views of the language's country, "|"-separated, '@' marking letter views.
    const wchar_t* GetCountryKeyboard();
    const wchar_t* GetCountryMapKeyboard();

    // ---- data fields ----
    // Fills v with a field's value; false when the field has nothing to give now.
    bool Retorna_Val_Campo_Global(int field, TValCampo& v, bool a, bool b) const;
    TNavFields fields;

    // The current position as two named values ("Lat", "N 0.50123\xB0").
    void GetStringCoords(DString& text, DString& name1, DString& name2, DString& value1, DString& value2) const;

    // The place at a position: the nearest street within 60 m with its house
    // number, city and postcode, else the city whose centre is within 3 km; false
    // for open country.
    bool Coords_a_Geocode(const TPuntoCoord& position, TGeoCode& place) const;

    // ---- what the map page asks ----
    // The speed-camera bar: shown while a camera is within 1000 m.
    struct TRadarBarRecord {
        double pointer = 0;    // the current speed
        double reference = 0;  // the camera's limit
        int camera = 0;        // the camera's limit
        DString text;          // the distance ("350 m")
    };
    bool SpeedRadarBar_Visible(TRadarBarRecord* record = nullptr) const;
    bool IsOkToRepaint() const { return true; }
    bool RequieresOpenGL() const { return false; }
    bool Navegacion_Activada() const;
    bool ControlFlota_EsActivo() const { return fleetControl; }
    bool fleetControl = false;
    // The demo drive stops guiding (fleet control's cancel).
    void CancelMovingMap();
    // A remote-control message: recorded.
    void Ejec_LumorGPS_API(uintptr_t wParam, intptr_t lParam);
    // Files dropped on the map: recorded (and the last one's name kept).
    void Abre_Archivos(const Vector<DString>& files, TPointIG point, int);
    // The name and extension of the last document opened; false when none.
    bool CurrentFileName(DString& text) const;
    // The simulated screen power: (0, 1) off, (1, 0) on.
    void SetVideoPower(int on, int flag) { screenOn = on != 0; }
    // Switches the screen on when it was off and answers true; false when it was on.
    bool SetVideoPowerOnIfOff();
    bool screenOn = true;

    // Home: stored (and drawn on the map); false from GetHomeGeocode before one is set.
    void SetHomePosition(const TGeoCode& place, bool);
    bool GetHomeGeocode(TGeoCode& place) const;
    TGeoCode* home = nullptr;  // owned, null until set
    // A place the library keeps by kind: 4 is the last place geocoded. False when
    // it has none of that kind.
    bool GetGeocode(TGeoCode& place, int kind) const;
    TGeoCode* lastGeocoded = nullptr;  // owned, null until a place was geocoded

    // ---- the map (forwarded to the viewer; nothing before Inicializa2) ----
    bool DatosEscala(TPointIG& topLeft, TPointIG& bottomRight, DString& text, double& value) const;
    void ZoomWheel(int delta, TPointIG point);
    void SetPixelPosMobile(TPointIG a, TPointIG b);
    // The picture of one character of a lane text (32 x 32 arrows, 4 x 32
    // separators, magenta transparent), null for other characters. Not the caller's.
    TDibIG* GetDibLaneInfoChar(char c) const;

    // ---- native messages ----
    static const unsigned WM_POSTIEMPOREAL = 5202;
    // Posts to the program's window through the platform; recorded either way.
    void PostNative(unsigned message, uintptr_t wParam, intptr_t lParam);
    // The number of "WM_PWBCLICKED", posted for the power button.
    void RegisterPowerOff(unsigned message) { powerOffMessage = message; }
    unsigned powerOffMessage = 0;
    // Posts the real-time message once a second while the simulation follows the
    // program's clock and a platform can post (started by Inicializa2).
    TPulseSource pulse;

    // ---- commands ----
    // The translated name of a command number.
    DString NomComanda(int number) const;
    // The command's tile in "toolbar_lumor_ob", or -1.
    int IDiconComanda(int number, bool, bool) const;
    bool ComandaRepetitiva(int number) const;
    bool ComandaCierraMenu(int number) const;
    int Get3DMode() const;
    bool HayMapasRutablesOnRoad() const { return routableOnRoadMaps; }
    // The seven trees back to their built-in contents (tool-bar edits are lost).
    void ResetMenus();
    // The seven trees read again from their saved files.
    void ReloadMenus();
    // Commands a key may run (-1 first, for "none") / the tool bar may carry.
    void Set_Comandas_Disponibles_ToolBar_Orbeta_1(Vector<int>& commands) const;
    void Set_Comandas_Disponibles_ToolBar_Orbeta_2(Vector<int>& commands) const;
    bool routableOnRoadMaps = true;

    // ---- what the program's command executor asks ----
    // Wakes the simulated screen: true (the press is swallowed) when it was off.
    bool WakeUpClick();
    // Loads the routing map a command needs (mode 0 to 4, a map file for 2 and 4);
    // false when no such map can be loaded.
    bool Carga_Mapa_Vectorial_Routing(int mode, const char* file);
    bool noRoutableMap = false;  // every mode fails (tests, demos)
    void ClearRasterCache();
    void SetStaticNavigation(bool on);
    void PrepareItinerary();
    // A storage card was inserted or removed.
    void SD_Changed(bool removal);
    // Seconds as "m:ss", or "h:mm:ss" with longForm; into out, which is answered.
    DString& FormateaTiempo(int seconds, bool, bool longForm, bool, DString& out) const;

    // ---- callback setters ----
    void SetCallbackProcesosLentos(FnProcesosLentos proc, FnMessageBox messageBox, void* user);
    void SetCallbackMessageBox(FnMessageBox fn, void* user) { Register("SetCallbackMessageBox"), cb_.messageBox_.Set(fn, user); }
    void SetCallbackProperties(FnProperties fn, void* user) { Register("SetCallbackProperties"), cb_.properties_.Set(fn, user); }
    void SetCallbackListas(FnListas fn, void* user) { Register("SetCallbackListas"), cb_.listas_.Set(fn, user); }
    void SetCallbackFileOpen(FnFileOpen fn, void* user) { Register("SetCallbackFileOpen"), cb_.fileOpen_.Set(fn, user); }
    void SetCallbackInputText(FnInputText fn, void* user) { Register("SetCallbackInputText"), cb_.inputText_.Set(fn, user); }
    void SetCallbackAskRadio(FnAskRadio fn, void* user) { Register("SetCallbackAskRadio"), cb_.askRadio_.Set(fn, user); }
    void SetCallbackAskGeoCode(FnAskGeoCode fn, void* user) { Register("SetCallbackAskGeoCode"), cb_.askGeoCode_.Set(fn, user); }
    void SetCallbackActuScreen(FnVoid fn, void* user) { Register("SetCallbackActuScreen"), cb_.actuScreen_.Set(fn, user); }
    void SetCallbackInvalidate(FnBool fn, void* user) { Register("SetCallbackInvalidate"), cb_.invalidate_.Set(fn, user); }
    void SetCallbackQuit(FnVoid fn, void* user) { Register("SetCallbackQuit"), cb_.quit_.Set(fn, user); }
    void SetCallbackDatosModif(FnDatosModif fn, void* user) { Register("SetCallbackDatosModif"), cb_.datosModif_.Set(fn, user); }
    void SetCallbackUpdateGraph(FnVoid fn, void* user) { Register("SetCallbackUpdateGraph"), cb_.updateGraph_.Set(fn, user); }
    void SetCallbackClosePage(FnClosePage fn, void* user) { Register("SetCallbackClosePage"), cb_.closePage_.Set(fn, user); }
    void SetCallbackActuChecks(FnVoid fn, void* user) { Register("SetCallbackActuChecks"), cb_.actuChecks_.Set(fn, user); }
    void SetCallbackObjetoSelecc(FnVoid fn, void* user) { Register("SetCallbackObjetoSelecc"), cb_.objetoSelecc_.Set(fn, user); }
    void SetCallbackFotoViews(FnFotoViews fn, void* user) { Register("SetCallbackFotoViews"), cb_.fotoViews_.Set(fn, user); }
    void SetCallbackTextViews(FnTextViews fn, void* user) { Register("SetCallbackTextViews"), cb_.textViews_.Set(fn, user); }
    void SetCallbackSkinChanged(FnVoid fn, void* user) { Register("SetCallbackSkinChanged"), cb_.skinChanged_.Set(fn, user); }
    void SetCallbackLanguageChanged(FnVoid fn, void* user) { Register("SetCallbackLanguageChanged"), cb_.languageChanged_.Set(fn, user); }
    void SetCallbackGetUIEngineMemoryUsed(FnAnswerInt fn, void* user) { Register("SetCallbackGetUIEngineMemoryUsed"), cb_.memoryUsed_.Set(fn, user); }
    void SetCallBackCPU100mode(FnBool fn, void* user) { Register("SetCallBackCPU100mode"), cb_.cpu100_.Set(fn, user); }
    void SetCallBackZoomToItModal(FnZoomToItModal fn, void* user) { Register("SetCallBackZoomToItModal"), cb_.zoomToIt_.Set(fn, user); }
    void SetCallBackWakeUp(FnAnswerBool fn, void* user) { Register("SetCallBackWakeUp"), cb_.wakeUp_.Set(fn, user); }
    void SetCallBackChangeUITheme(FnChangeUITheme fn, void* user) { Register("SetCallBackChangeUITheme"), cb_.changeUITheme_.Set(fn, user); }
    void SetCallBackEjecutaComanda(FnEjecutaComanda fn, void* user) { Register("SetCallBackEjecutaComanda"), cb_.ejecutaComanda_.Set(fn, user); }
    void SetCallBackEqueueAttachment(FnEqueueAttachment fn, void* user) { Register("SetCallBackEqueueAttachment"), cb_.queueAttachment_.Set(fn, user); }
    void SetCallBack_IsAppVisible(FnAnswerBool fn, void* user) { Register("SetCallBack_IsAppVisible"), cb_.isAppVisible_.Set(fn, user); }

    // ---- the library raising its callbacks (its own code, demos and tests) ----
    // Requests open a record before the callback runs, so that a modal page that
    // answers through End from inside the callback completes it.
    int InvokeProcesosLentos(TMonitorProc& monitor, const DString& message, const DString& variableMessage,
                             bool& cancel, EModoProcesosLentos mode, bool flag);
    int InvokeMessageBox(const DString& text, const DString& caption, int flags, int seconds,
                         TCallbackLumor* callback);
    int InvokeProperties(TElementoGPS* element, int mode);
    int InvokeListas(TElementoGPS* element, int flags, const TTipoObjetoGPS* types, EFlagsContextMenuElemGPS menuFlags,
                     const DString& title);
    int InvokeFileOpen(TOpenFileNameLumor& request);
    int InvokeInputText(const DString& title, const DString& message, const DString& initial, int mode, bool flag);
    int InvokeAskRadio(const DString& title, const DString& message, Vector<DString>& options, int defaultIndex,
                       bool flag);
    int InvokeAskGeoCode(const DString& title, int flags, const DString& text);
    void InvokeActuScreen() { CallVoid(cb_.actuScreen_); }
    void InvokeInvalidate(bool all);
    void InvokeQuit() { CallVoid(cb_.quit_); }
    void InvokeDatosModif(TElementoGPS* element, bool now);
    void InvokeUpdateGraph() { CallVoid(cb_.updateGraph_); }
    void InvokeClosePage(int index);
    void InvokeActuChecks() { CallVoid(cb_.actuChecks_); }
    void InvokeObjetoSelecc() { CallVoid(cb_.objetoSelecc_); }
    bool InvokeFotoViews(TStringNomFitx& file, const DString& title, int kind);
    bool InvokeTextViews(const DString& title, const DString& text, int kind);
    void InvokeSkinChanged() { CallVoid(cb_.skinChanged_); }
    void InvokeLanguageChanged() { CallVoid(cb_.languageChanged_); }
    int InvokeGetUIEngineMemoryUsed();
    void InvokeCPU100mode(bool on);
    bool InvokeZoomToItModal();
    bool InvokeWakeUp();
    void InvokeChangeUITheme(const DString& theme);
    void InvokeEjecutaComanda(TComandasLumorGPS id, const DString& argument);
    void InvokeEqueueAttachment(TElementoGPS* element, TStringNomFitx& file, const DString& text, int index);
    bool InvokeIsAppVisible();

    // ---- answers to requests ----
    void EndMessageBox(int code);
    void EndProperties(TElementoGPS* element, int code);
    void EndLists(TElementoGPS* parent, int ok, TElementoGPS* chosen, bool& keepOpen);
    void EndInputText(int ok, const char* text);
    void EndAskRadio(int ok, int index);
    void EndFileOpen(int ok, const char* path, int typeIndex);
    void EndAskGeoCode(int ok, TGeoCode& place);
    void EndAskGeoCode(int ok);

    // ---- members the program reads ----
    TVisor_LumorGPSPocket* visor = nullptr;  // built by Inicializa2
    TConfig* config = nullptr;               // built by Inicializa0, owned
    TNavSimulation* simulation = nullptr;    // built by Inicializa2, owned
    // The graph the map page and its data fields share; it holds the active route.
    TGraficas_2011B* graph = nullptr;        // built by Inicializa2, owned
    // The demo drive's two routes (kept for the run: pages hold them by pointer).
    TRuta* routes[2] = {};
    // The track being recorded, or null before the first recording.
    TTrack* recordedTrack = nullptr;
    // The waypoints of the demo region (kept for the run).
    std::vector<TBaliza*> waypoints;
    TBaliza* junctionView = nullptr;  // the picture of exit 14, offered on the way to it
    // The commands of a context menu for an object, or for a map point without one
    // (10 is a separator); empty means no menu.
    void GetContextMenuMapa(TVectorComandas& commands, EFlagsContextMenuElemGPS flags, TElementoGPS* object) const;
    // The data-field strip's menu for a field.
    void GetContextMenuPolivData(TVectorComandas& commands, int field) const;
    // The route being followed, null without navigation.
    TRuta* ActiveRoute() const;
    // The navigation's own track: the one being recorded while a route is
    // followed; null otherwise.
    TTrackRutaBase* CurrentNavigationTrack() const;
    TVectorComandas* trees[7] = {};          // built by Inicializa2, owned
    // The banner service (banners from the library's data); built by
    // Inicializa2, owned; its downloads end with Close.
    InAppAdsController* adsController = nullptr;

    static std::wstring commandLine;  // as Ejecuta_CmdLine received it
    // The application-data folder: the settings file and the log live there. Empty
    // keeps everything in memory (tests).
    std::string dataFolder;
    // The library's own data (language tables in "lang").
    std::string libraryFolder;
    TLanguages languages;
    void* window = nullptr;           // the program's window, for native messages
    BuildInfo build;
    StageFailures failures;
    bool keepListsOpen = false;  // what EndLists writes into keepOpen
    enginelib::Recorder recorder;

    enum Stage { StageNone, StageInicializa0, StageWindow, StageInicializa1, StageInicializa2, StageClosed };
    Stage stage = StageNone;

private:
    void Register(const char* setter);
    void ReadTrees();
    DString NumberedText(const char* prefix, int n) const;
    const wchar_t* Wide(const std::string& text, std::wstring& out);
    void Enter(const char* call, Stage expected, Stage next);
    static void CallVoid(const Callback<FnVoid>& c)
    {
        if (c.fn)
            c.fn(c.user);
    }
    int Settle(int id, int result, bool resultAnswers);

    struct Callbacks {
        Callback<FnProcesosLentos> procesosLentos_;
        Callback<FnMessageBox> procesosLentosMessageBox_;
        Callback<FnMessageBox> messageBox_;
        Callback<FnProperties> properties_;
        Callback<FnListas> listas_;
        Callback<FnFileOpen> fileOpen_;
        Callback<FnInputText> inputText_;
        Callback<FnAskRadio> askRadio_;
        Callback<FnAskGeoCode> askGeoCode_;
        Callback<FnVoid> actuScreen_;
        Callback<FnBool> invalidate_;
        Callback<FnVoid> quit_;
        Callback<FnDatosModif> datosModif_;
        Callback<FnVoid> updateGraph_;
        Callback<FnClosePage> closePage_;
        Callback<FnVoid> actuChecks_;
        Callback<FnVoid> objetoSelecc_;
        Callback<FnFotoViews> fotoViews_;
        Callback<FnTextViews> textViews_;
        Callback<FnVoid> skinChanged_;
        Callback<FnVoid> languageChanged_;
        Callback<FnAnswerInt> memoryUsed_;
        Callback<FnBool> cpu100_;
        Callback<FnZoomToItModal> zoomToIt_;
        Callback<FnAnswerBool> wakeUp_;
        Callback<FnChangeUITheme> changeUITheme_;
        Callback<FnEjecutaComanda> ejecutaComanda_;
        Callback<FnEqueueAttachment> queueAttachment_;
        Callback<FnAnswerBool> isAppVisible_;
    };
    Callbacks cb_;
    std::wstring keyboard_, mapKeyboard_;
    DString currentFile_;
};
