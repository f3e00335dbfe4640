#include "enginelib/nav/TLumorGPSEngineInterface.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "enginelib/base/CodePage.h"
#include "enginelib/base/LibraryLog.h"
#include "enginelib/base/Path.h"
#include "enginelib/base/TFitxUtils.h"
#include "enginelib/base/TStringNomFitx.h"
#include "enginelib/nav/InAppAdsController.h"
#include "enginelib/nav/TCommandTable.h"
#include "enginelib/nav/TConfig.h"
#include "enginelib/nav/TBaliza.h"
#include "enginelib/nav/TDefaultTrees.h"
#include "enginelib/nav/TDemoMap.h"
#include "enginelib/nav/TGeoCode.h"
#include "enginelib/nav/TGraficas_2011B.h"
#include "enginelib/nav/TTrackRutaBase.h"
#include "enginelib/nav/TNavPictures.h"
#include "enginelib/nav/TNavPlatform.h"
#include "enginelib/nav/TNavSimulation.h"
#include "enginelib/nav/TSignPostPaint.h"
#include "enginelib/nav/TVectorComandas.h"
#include "enginelib/nav/TVisor_LumorGPSPocket.h"

using enginelib::Recorder;

namespace {
TLumorGPSEngineInterface* g_instance = nullptr;

const char* StageName(TLumorGPSEngineInterface::Stage s)
{
    static const char* const names[] = {"none", "Inicializa0", "Inicializa2_hWnd", "Inicializa1", "Inicializa2",
                                        "Close"};
    return names[s];
}
} // namespace

std::wstring TLumorGPSEngineInterface::commandLine;

TLumorGPSEngineInterface::TLumorGPSEngineInterface()
    : dataFolder(TStringNomFitx::Path_AppData().c_str()), libraryFolder(Path::ProgramFolder() + "/symbols/enginelib")
{
    // One facade per run; a second one (tests) takes over as the live instance.
    g_instance = this;
    SetLibraryLogSink([this](const char* line) { Log(line, false); });
}

TLumorGPSEngineInterface::~TLumorGPSEngineInterface()
{
    if (g_instance == this) {
        g_instance = nullptr;
        SetLibraryLogSink(nullptr);
    }
    pulse.Stop();
    delete adsController;
    delete graph;
    for (TRuta*& r : routes)
        delete r, r = nullptr;
    delete recordedTrack;
    for (TBaliza* w : waypoints)
        delete w;
    delete junctionView;
    delete home;
    delete lastGeocoded;
    for (TVectorComandas*& t : trees)
        delete t, t = nullptr;
    delete visor;
    delete simulation;
    delete config;
}

TLumorGPSEngineInterface* TLumorGPSEngineInterface::Instance() { return g_instance; }

// ---- stages ----

bool TLumorGPSEngineInterface::Ejecuta_CmdLine(const wchar_t* cmdLine, const wchar_t* className)
{
    commandLine = cmdLine ? cmdLine : L"";
    TLumorGPSEngineInterface* self = g_instance;
    if (!self)
        return true;
    self->recorder.Call("Ejecuta_CmdLine");
    return !self->failures.cmdLine;
}

// Stages run once each, in order; a call out of order is logged and still runs,
// so that a faulty caller shows in the log instead of in a half-started library.
void TLumorGPSEngineInterface::Enter(const char* call, Stage expected, Stage next)
{
    recorder.Call(call);
    if (stage != expected)
        Log((std::string("stage out of order: ") + call + " after " + StageName(stage)).c_str(), false);
    stage = next;
}

// The settings are readable as soon as this returns.
void TLumorGPSEngineInterface::Inicializa0()
{
    Enter("Inicializa0", StageNone, StageInicializa0);
    if (!config)
        config = new TConfig(dataFolder);
    std::string error;
    if (!dataFolder.empty() && !config->Load(dataFolder + "/" + TConfig::FileName(), error))
        Log((error + "; the default settings are used").c_str(), true);
    // Texts are needed before the rest of the library starts.
    const std::string problems = languages.Load(libraryFolder + "/lang");
    for (size_t start = 0, end; (end = problems.find('\n', start)) != std::string::npos; start = end + 1)
        Log(problems.substr(start, end - start).c_str(), true);
    if (!languages.Select(config->languageId))
        languages.Select(0);
}

bool TLumorGPSEngineInterface::SaveConfig()
{
    if (!config || dataFolder.empty())
        return true;
    std::string error;
    TFitxUtils::Crea_Carpeta(dataFolder.c_str());
    if (config->Save(dataFolder + "/" + TConfig::FileName(), error))
        return true;
    Log(error.c_str(), true);
    return false;
}

void TLumorGPSEngineInterface::Inicializa2_hWnd(void* w, void* instance, void* window2)
{
    Enter("Inicializa2_hWnd", StageInicializa0, StageWindow);
    window = w;
}

bool TLumorGPSEngineInterface::Inicializa1(DString& errorText)
{
    Enter("Inicializa1", StageWindow, StageInicializa1);
    if (failures.inicializa1.empty())
        return true;
    errorText = failures.inicializa1.c_str();
    return false;
}

bool TLumorGPSEngineInterface::Inicializa2(DString& errorText)
{
    Enter("Inicializa2", StageInicializa1, StageInicializa2);
    if (!failures.inicializa2.empty()) {
        errorText = failures.inicializa2.c_str();
        return false;
    }
    if (!config)
        config = new TConfig(dataFolder);
    if (!visor) {
        visor = new TVisor_LumorGPSPocket(this);
        visor->fontFile = libraryFolder + "/fonts/DejaVuSans.ttf";
        // Signposts write their names in the map's font.
        TSignPostPaint::SetFontFile(visor->fontFile);
    }
    if (!simulation)
        simulation = new TNavSimulation();
    if (waypoints.empty())
        for (const TDemoMap::Place& p : TDemoMap::Get().Waypoints())
            waypoints.push_back(new TBaliza(p.name, p.at, std::string(p.name) != "Bridge"));
    if (!junctionView)
        junctionView = new TBaliza("Junction 14", TDemoRoute::Get().PositionAt(0, 4900), true);
    for (int leg = 0; leg < 2; ++leg)
        if (!routes[leg])
            routes[leg] = TRuta::DeLaEtapa(leg);
    if (!graph) {
        graph = new TGraficas_2011B();
        graph->addVuelo(ActiveRoute(), false);
    }
    if (NavPlatform().postMessage && simulation->IsLive() && !pulse.IsRunning())
        pulse.Start([this] { PostNative(WM_POSTIEMPOREAL, 0, 0); });
    if (!adsController)
        adsController = new InAppAdsController(libraryFolder + "/ads/banners.txt");
    for (int i = 0; i < 7; ++i)
        if (!trees[i]) {
            const std::string file =
                dataFolder.empty() ? "" : dataFolder + "/trees/tree" + std::to_string(i) + ".xml";
            trees[i] = new TVectorComandas(file, [i](TVectorComandas& t) { FillDefaultTree(i, t); });
            trees[i]->Reset();
        }
    return true;
}

void TLumorGPSEngineInterface::Close(unsigned char closeFlag)
{
    recorder.Call("Close " + std::to_string(closeFlag));
    pulse.Stop();
    if (adsController)
        adsController->CancelDownload();
    SaveConfig();
    stage = StageClosed;
    // Nothing calls back into the program after it closed the library.
    cb_ = Callbacks{};
}

void TLumorGPSEngineInterface::Log(const char* line, bool flush)
{
    recorder.LogLine(line ? line : "");
    if (dataFolder.empty())
        return;
    if (FILE* f = std::fopen((dataFolder + "/enginelib.log").c_str(), "ab")) {
        std::fprintf(f, "%s\n", line ? line : "");
        std::fclose(f);
    }
}

void TLumorGPSEngineInterface::RegistraGPS2(const char* text, int level)
{
    recorder.LogLine(text ? text : "");
}

// ---- callbacks ----

void TLumorGPSEngineInterface::Register(const char* setter) { recorder.Call(setter); }

void TLumorGPSEngineInterface::SetCallbackProcesosLentos(FnProcesosLentos proc, FnMessageBox box, void* user)
{
    Register("SetCallbackProcesosLentos");
    cb_.procesosLentos_.Set(proc, user);
    cb_.procesosLentosMessageBox_.Set(box, user);
}

// The request's record is opened before the callback runs: a modal page may answer
// through End before the callback returns. A message box shown modally answers by
// its result; every other request waits for its End call.
int TLumorGPSEngineInterface::Settle(int id, int result, bool resultAnswers)
{
    Recorder::Request* r = recorder.Find(id);
    if (resultAnswers && r && r->answers == 0) {
        r->answers = 1;
        r->code = result;
        if (r->callback)
            r->callback->code = result;
    }
    return result;
}

int TLumorGPSEngineInterface::InvokeProcesosLentos(TMonitorProc& monitor, const DString& message,
                                                   const DString& variableMessage, bool& cancel,
                                                   EModoProcesosLentos mode, bool flag)
{
    const Callback<FnProcesosLentos> c = cb_.procesosLentos_;
    if (!c.fn)
        return 0;
    c.fn(c.user, monitor, message, variableMessage, cancel, mode, flag);
    return 1;
}

int TLumorGPSEngineInterface::InvokeMessageBox(const DString& text, const DString& caption, int flags, int seconds,
                                               TCallbackLumor* callback)
{
    // Before the program registered its full set, the slow-process box serves.
    const Callback<FnMessageBox> c = cb_.messageBox_.fn ? cb_.messageBox_ : cb_.procesosLentosMessageBox_;
    if (!c.fn)
        return 0;
    const int id = recorder.Open(Recorder::ReqMessageBox, nullptr, callback);
    const int result = c.fn(c.user, text, caption, flags, seconds, callback);
    return Settle(id, result, result != 0);
}

int TLumorGPSEngineInterface::InvokeProperties(TElementoGPS* element, int mode)
{
    const Callback<FnProperties> c = cb_.properties_;
    if (!c.fn)
        return 0;
    const int id = recorder.Open(Recorder::ReqProperties, element, nullptr);
    return Settle(id, c.fn(c.user, element, mode), false);
}

int TLumorGPSEngineInterface::InvokeListas(TElementoGPS* element, int flags, const TTipoObjetoGPS* types,
                                           EFlagsContextMenuElemGPS menuFlags, const DString& title)
{
    const Callback<FnListas> c = cb_.listas_;
    if (!c.fn)
        return 0;
    const int id = recorder.Open(Recorder::ReqLists, element, nullptr);
    return Settle(id, c.fn(c.user, element, flags, types, menuFlags, title), false);
}

int TLumorGPSEngineInterface::InvokeFileOpen(TOpenFileNameLumor& request)
{
    const Callback<FnFileOpen> c = cb_.fileOpen_;
    if (!c.fn)
        return 0;
    const int id = recorder.Open(Recorder::ReqFileOpen, nullptr, nullptr);
    return Settle(id, c.fn(c.user, request), false);
}

int TLumorGPSEngineInterface::InvokeInputText(const DString& title, const DString& message, const DString& initial,
                                              int mode, bool flag)
{
    const Callback<FnInputText> c = cb_.inputText_;
    if (!c.fn)
        return 0;
    const int id = recorder.Open(Recorder::ReqInputText, nullptr, nullptr);
    return Settle(id, c.fn(c.user, title, message, initial, mode, flag), false);
}

int TLumorGPSEngineInterface::InvokeAskRadio(const DString& title, const DString& message, Vector<DString>& options,
                                             int defaultIndex, bool flag)
{
    const Callback<FnAskRadio> c = cb_.askRadio_;
    if (!c.fn)
        return 0;
    const int id = recorder.Open(Recorder::ReqAskRadio, nullptr, nullptr);
    return Settle(id, c.fn(c.user, title, message, options, defaultIndex, flag), false);
}

int TLumorGPSEngineInterface::InvokeAskGeoCode(const DString& title, int flags, const DString& text)
{
    const Callback<FnAskGeoCode> c = cb_.askGeoCode_;
    if (!c.fn)
        return 0;
    const int id = recorder.Open(Recorder::ReqAskGeoCode, nullptr, nullptr);
    return Settle(id, c.fn(c.user, title, flags, text), false);
}

void TLumorGPSEngineInterface::InvokeInvalidate(bool all)
{
    if (cb_.invalidate_.fn)
        cb_.invalidate_.fn(cb_.invalidate_.user, all);
}

void TLumorGPSEngineInterface::InvokeDatosModif(TElementoGPS* element, bool now)
{
    if (cb_.datosModif_.fn)
        cb_.datosModif_.fn(cb_.datosModif_.user, element, now);
}

void TLumorGPSEngineInterface::InvokeClosePage(int index)
{
    if (cb_.closePage_.fn)
        cb_.closePage_.fn(cb_.closePage_.user, index);
}

bool TLumorGPSEngineInterface::InvokeFotoViews(TStringNomFitx& file, const DString& title, int kind)
{
    return cb_.fotoViews_.fn && cb_.fotoViews_.fn(cb_.fotoViews_.user, file, title, kind);
}

bool TLumorGPSEngineInterface::InvokeTextViews(const DString& title, const DString& text, int kind)
{
    return cb_.textViews_.fn && cb_.textViews_.fn(cb_.textViews_.user, title, text, kind);
}

int TLumorGPSEngineInterface::InvokeGetUIEngineMemoryUsed()
{
    return cb_.memoryUsed_.fn ? cb_.memoryUsed_.fn(cb_.memoryUsed_.user) : 0;
}

void TLumorGPSEngineInterface::InvokeCPU100mode(bool on)
{
    if (cb_.cpu100_.fn)
        cb_.cpu100_.fn(cb_.cpu100_.user, on);
}

bool TLumorGPSEngineInterface::InvokeZoomToItModal()
{
    bool out = false;
    if (cb_.zoomToIt_.fn)
        cb_.zoomToIt_.fn(cb_.zoomToIt_.user, out);
    return out;
}

bool TLumorGPSEngineInterface::InvokeWakeUp() { return cb_.wakeUp_.fn && cb_.wakeUp_.fn(cb_.wakeUp_.user); }

void TLumorGPSEngineInterface::InvokeChangeUITheme(const DString& theme)
{
    if (cb_.changeUITheme_.fn)
        cb_.changeUITheme_.fn(cb_.changeUITheme_.user, theme);
}

void TLumorGPSEngineInterface::InvokeEjecutaComanda(TComandasLumorGPS id, const DString& argument)
{
    if (cb_.ejecutaComanda_.fn)
        cb_.ejecutaComanda_.fn(cb_.ejecutaComanda_.user, id, argument);
}

void TLumorGPSEngineInterface::InvokeEqueueAttachment(TElementoGPS* element, TStringNomFitx& file,
                                                      const DString& text, int index)
{
    if (cb_.queueAttachment_.fn)
        cb_.queueAttachment_.fn(cb_.queueAttachment_.user, element, file, text, index);
}

// Without a way to ask, the program counts as visible.
bool TLumorGPSEngineInterface::InvokeIsAppVisible()
{
    return !cb_.isAppVisible_.fn || cb_.isAppVisible_.fn(cb_.isAppVisible_.user);
}

// ---- answers ----

void TLumorGPSEngineInterface::EndMessageBox(int code)
{
    recorder.End(Recorder::ReqMessageBox, nullptr, true, code, "");
}

void TLumorGPSEngineInterface::EndProperties(TElementoGPS* element, int code)
{
    recorder.End(Recorder::ReqProperties, element, false, code, "");
}

void TLumorGPSEngineInterface::EndLists(TElementoGPS* parent, int ok, TElementoGPS* chosen, bool& keepOpen)
{
    keepOpen = keepListsOpen;
    recorder.End(Recorder::ReqLists, parent, false, ok, chosen ? "chosen" : "");
}

void TLumorGPSEngineInterface::EndInputText(int ok, const char* text)
{
    recorder.End(Recorder::ReqInputText, nullptr, true, ok, text ? text : "");
}

void TLumorGPSEngineInterface::EndAskRadio(int ok, int index)
{
    recorder.End(Recorder::ReqAskRadio, nullptr, true, ok, std::to_string(index));
}

void TLumorGPSEngineInterface::EndFileOpen(int ok, const char* path, int typeIndex)
{
    recorder.End(Recorder::ReqFileOpen, nullptr, true, ok,
                 std::string(path ? path : "") + " " + std::to_string(typeIndex));
}

void TLumorGPSEngineInterface::EndAskGeoCode(int ok, TGeoCode& place)
{
    recorder.End(Recorder::ReqAskGeoCode, nullptr, true, ok, "place");
}

void TLumorGPSEngineInterface::EndAskGeoCode(int ok) { recorder.End(Recorder::ReqAskGeoCode, nullptr, true, ok, ""); }

// ---- language ----

void TLumorGPSEngineInterface::Sustituye_Id_Idioma(DString& text) const { languages.Table().Substitute(text); }

DString TLumorGPSEngineInterface::NumberedText(const char* prefix, int n) const
{
    const std::string key = prefix + std::to_string(n);
    const std::string* t = languages.Table().Find(key);
    return DString(t ? t->c_str() : key.c_str());
}

void TLumorGPSEngineInterface::CambiaIdioma(int index)
{
    if (!languages.Select(index))
        return;
    if (config)
        config->languageId = index;
    InvokeLanguageChanged();
    InvokeDatosModif(nullptr, false);
}

const wchar_t* TLumorGPSEngineInterface::Wide(const std::string& text, std::wstring& out)
{
    const std::u16string wide = CodePage::ToUtf16(text.data(), (int)text.size(), CodePage::Default());
    out.assign(wide.begin(), wide.end());
    return out.c_str();
}

const wchar_t* TLumorGPSEngineInterface::GetCountryKeyboard() { return Wide(languages.Table().keyboard, keyboard_); }

const wchar_t* TLumorGPSEngineInterface::GetCountryMapKeyboard()
{
    return Wide(languages.Table().mapKeyboard, mapKeyboard_);
}

// ---- commands ----

DString TLumorGPSEngineInterface::NomComanda(int number) const
{
    DString name(("{C" + std::to_string(number) + "}").c_str());
    Sustituye_Id_Idioma(name);
    return name;
}

int TLumorGPSEngineInterface::IDiconComanda(int number, bool, bool) const
{
    const TCommandInfo* c = TCommandTable::Find(number);
    return c ? c->icon : -1;
}

bool TLumorGPSEngineInterface::ComandaRepetitiva(int number) const
{
    const TCommandInfo* c = TCommandTable::Find(number);
    return c && c->repeats;
}

bool TLumorGPSEngineInterface::ComandaCierraMenu(int number) const
{
    const TCommandInfo* c = TCommandTable::Find(number);
    return c && c->closesMenu;
}

int TLumorGPSEngineInterface::Get3DMode() const { return visor ? visor->mode3D : 0; }

void TLumorGPSEngineInterface::ResetMenus()
{
    for (TVectorComandas* t : trees)
        if (t)
            t->Reset();
    InvokeDatosModif(nullptr, false);
}

void TLumorGPSEngineInterface::ReadTrees()
{
    for (TVectorComandas* t : trees)
        if (t)
            t->Lee();
}

void TLumorGPSEngineInterface::ReloadMenus()
{
    ReadTrees();
    InvokeDatosModif(nullptr, false);
}

void TLumorGPSEngineInterface::Set_Comandas_Disponibles_ToolBar_Orbeta_1(Vector<int>& commands) const
{
    commands.RemoveAll();
    commands.Add(-1);
    for (const TCommandInfo& c : TCommandTable::All())
        if (c.key)
            commands.Add(c.number);
}

void TLumorGPSEngineInterface::Set_Comandas_Disponibles_ToolBar_Orbeta_2(Vector<int>& commands) const
{
    commands.RemoveAll();
    for (const TCommandInfo& c : TCommandTable::All())
        if (c.toolbar)
            commands.Add(c.number);
}

// ---- native messages ----

void TLumorGPSEngineInterface::PostNative(unsigned message, uintptr_t wParam, intptr_t lParam)
{
    recorder.Posted(message, wParam, lParam);
    const TNavPlatform platform = NavPlatform();
    if (platform.postMessage)
        platform.postMessage(window, message, wParam, lParam);
}

// ---- data fields ----

bool TLumorGPSEngineInterface::Retorna_Val_Campo_Global(int field, TValCampo& v, bool a, bool b) const
{
    if (!simulation) {
        v = TValCampo();
        return false;
    }
    TNavFields::Objects objects;
    objects.recording = visor && visor->recording == 1 ? recordedTrack : nullptr;
    objects.route = ActiveRoute();
    objects.graphFirst = graph ? graph->GetFirstObject() : nullptr;
    objects.waypoints = &waypoints;
    objects.junction = junctionView;
    return fields.Read(*simulation, config, field, v, a, b, objects);
}

// ---- the map ----

bool TLumorGPSEngineInterface::DatosEscala(TPointIG& topLeft, TPointIG& bottomRight, DString& text,
                                           double& value) const
{
    return visor && visor->DatosEscala(topLeft, bottomRight, text, value);
}

void TLumorGPSEngineInterface::ZoomWheel(int delta, TPointIG point)
{
    if (visor)
        visor->ZoomWheel(delta, point);
}

void TLumorGPSEngineInterface::SetPixelPosMobile(TPointIG a, TPointIG b)
{
    if (visor)
        visor->SetPixelPosMobile(a, b);
}

TDibIG* TLumorGPSEngineInterface::GetDibLaneInfoChar(char c) const
{
    return const_cast<TDibIG*>(TNavPictures::Get().Lane(c));
}

void TLumorGPSEngineInterface::GetStringCoords(DString& text, DString& name1, DString& name2, DString& value1,
                                               DString& value2) const
{
    TValCampo v;
    Retorna_Val_Campo_Global(19, v, false, false);
    text = v.texto;
    name1 = "Lat";
    name2 = "Lon";
    const TDemoRoute::State car = simulation ? simulation->Car() : TDemoRoute::State();
    double lat, lon;
    TDemoRoute::ToLatLon(car.position, lat, lon);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%c %.5f\xB0", lat >= 0 ? 'N' : 'S', std::fabs(lat));
    value1 = buf;
    std::snprintf(buf, sizeof buf, "%c %.5f\xB0", lon >= 0 ? 'E' : 'W', std::fabs(lon));
    value2 = buf;
}

TRuta* TLumorGPSEngineInterface::ActiveRoute() const
{
    if (!simulation || simulation->navigation != TNavSimulation::Demo)
        return nullptr;
    return routes[simulation->Car().leg];
}

TTrackRutaBase* TLumorGPSEngineInterface::CurrentNavigationTrack() const
{
    if (!visor || visor->recording != 1 || !ActiveRoute())
        return nullptr;
    return recordedTrack;
}

void TLumorGPSEngineInterface::GetContextMenuMapa(TVectorComandas& commands, EFlagsContextMenuElemGPS flags,
                                                  TElementoGPS* object) const
{
    std::vector<int> numbers;
    if (!object)
        numbers = {1101, 188, 10, 123, 205};
    else if (dynamic_cast<TBaliza*>(object))
        numbers = {157, 151, 150, 10, 453, 758, 10};
    else if (dynamic_cast<TRuta*>(object))
        numbers = {157, 755, 870, 235};
    else if (dynamic_cast<TTrackRutaBase*>(object))
        numbers = {157, 865, 853, 151};
    else
        numbers = {10, 10, 151, 10};
    const bool buttonRow = (flags & 0x40) != 0;
    for (int n : numbers)
        if (!(buttonRow && n == 10))
            commands.Anyade_Comanda(n);
}

void TLumorGPSEngineInterface::GetContextMenuPolivData(TVectorComandas& commands, int field) const
{
    for (int n : {2464, 240, 10, 230, 193})
        commands.Anyade_Comanda(n);
}

bool TLumorGPSEngineInterface::Coords_a_Geocode(const TPuntoCoord& position, TGeoCode& place) const
{
    if (!position.Rellenado())
        return false;
    const TDemoRoute::Point p = TDemoRoute::FromLatLon(position.latitude, position.longitude);
    const TDemoMap& map = TDemoMap::Get();
    const TDemoMap::Road* best = nullptr;
    double bestDistance = 60, bestAlong = 0, bestLength = 0;
    for (const TDemoMap::Road& road : map.Roads()) {
        double along = 0, length = 0;
        for (size_t i = 0; i + 1 < road.points.size(); ++i)
            length += std::hypot(road.points[i + 1].x - road.points[i].x, road.points[i + 1].y - road.points[i].y);
        for (size_t i = 0; i + 1 < road.points.size(); ++i) {
            const TDemoRoute::Point& a = road.points[i];
            const TDemoRoute::Point& b = road.points[i + 1];
            const double dx = b.x - a.x, dy = b.y - a.y, len2 = dx * dx + dy * dy;
            const double f = len2 > 0 ? std::max(0.0, std::min(1.0, ((p.x - a.x) * dx + (p.y - a.y) * dy) / len2)) : 0;
            const double d = std::hypot(a.x + f * dx - p.x, a.y + f * dy - p.y);
            if (d < bestDistance || (!best && d <= bestDistance)) {
                best = &road, bestDistance = d, bestAlong = along + f * std::sqrt(len2), bestLength = length;
            }
            along += std::sqrt(len2);
        }
    }
    place.Reset();
    place.kind = TGeoCode::KindCurrentPosition;
    place.coordinates = position;
    place.sourceName = "demo.map";
    place.country = "Demoland";
    const TDemoMap::City* city = nullptr;
    if (best) {
        place.street = best->name[0] && best->kind != TDemoMap::Motorway && best->kind != TDemoMap::Link ? best->name : "...";
        place.houseNumber = best->numberLow > 0 && bestLength > 0
                                ? best->numberLow + (int)std::lround((best->numberHigh - best->numberLow) * bestAlong / bestLength)
                                : -1;
        place.numberLow = best->numberLow, place.numberHigh = best->numberHigh;
        place.district = best->district;
        city = map.FindCity(best->city);
    }
    if (!best) {
        // Off the streets: the nearest town within 3 km.
        double nearest = 3000;
        for (const TDemoMap::City& c : map.Cities()) {
            const double d = std::hypot(c.centre.x - p.x, c.centre.y - p.y);
            if (d <= nearest)
                city = &c, nearest = d;
        }
    }
    if (!best && !city)
        return false;
    if (city) {
        place.city = city->name;
        place.region = city->region;
        place.extraText = city->postcode;
    }
    return true;
}

// ---- what the map page asks ----

bool TLumorGPSEngineInterface::SpeedRadarBar_Visible(TRadarBarRecord* record) const
{
    TValCampo distance, limit, speed;
    if (!Retorna_Val_Campo_Global(319, distance, true, false) || !(distance.valor > 0))
        return false;
    if (record) {
        Retorna_Val_Campo_Global(352, limit, false, false);
        Retorna_Val_Campo_Global(21, speed, false, false);
        record->pointer = speed.valor;
        record->reference = limit.valor;
        record->camera = limit.AsInteger();
        // Whole metres; a distance past any road's length is not turned into an int.
        record->text = (std::to_string((long long)std::min(distance.valor, 1e9)) + " m").c_str();
    }
    return true;
}

bool TLumorGPSEngineInterface::Navegacion_Activada() const
{
    return simulation && simulation->navigation == TNavSimulation::Demo;
}

void TLumorGPSEngineInterface::CancelMovingMap()
{
    recorder.Call("CancelMovingMap");
    if (simulation)
        simulation->navigation = TNavSimulation::FreeDriving;
}

void TLumorGPSEngineInterface::Ejec_LumorGPS_API(uintptr_t wParam, intptr_t lParam)
{
    recorder.Call("Ejec_LumorGPS_API " + std::to_string(wParam) + " " + std::to_string(lParam));
}

void TLumorGPSEngineInterface::Abre_Archivos(const Vector<DString>& files, TPointIG point, int)
{
    for (int i = 0; i < files.Count(); ++i) {
        recorder.Call(std::string("open ") + files[i].c_str());
        currentFile_ = TStringNomFitx(files[i].c_str()).nom_fitx_ext();
    }
}

bool TLumorGPSEngineInterface::CurrentFileName(DString& text) const
{
    if (currentFile_.IsEmpty())
        return false;
    text = currentFile_;
    return true;
}

bool TLumorGPSEngineInterface::WakeUpClick()
{
    recorder.Call("WakeUpClick");
    return SetVideoPowerOnIfOff();
}

bool TLumorGPSEngineInterface::Carga_Mapa_Vectorial_Routing(int mode, const char* file)
{
    const std::string f = file ? file : "";
    recorder.Call("Carga_Mapa_Vectorial_Routing " + std::to_string(mode) + (f.empty() ? "" : " " + f));
    if (noRoutableMap)
        return false;
    if (mode >= 0 && mode <= 3 && mode != 2)
        return true;
    if (mode == 2)
        return f == "demo.poi" || f == "/routingmap";
    if (mode == 4)
        return f == "demo.poi" || f == "Noms de lieux NMX.vmap";
    return false;
}

void TLumorGPSEngineInterface::ClearRasterCache() { recorder.Call("ClearRasterCache"); }

void TLumorGPSEngineInterface::SetStaticNavigation(bool on)
{
    recorder.Call(std::string("SetStaticNavigation ") + (on ? "1" : "0"));
}

void TLumorGPSEngineInterface::PrepareItinerary() { recorder.Call("PrepareItinerary"); }

void TLumorGPSEngineInterface::SD_Changed(bool removal)
{
    recorder.Call(std::string("SD_Changed ") + (removal ? "1" : "0"));
}

DString& TLumorGPSEngineInterface::FormateaTiempo(int seconds, bool, bool longForm, bool, DString& out) const
{
    const long long s = seconds < 0 ? 0 : seconds;
    char text[48];
    if (longForm)
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", s / 3600, s / 60 % 60, s % 60);
    else
        std::snprintf(text, sizeof text, "%lld:%02lld", s / 60, s % 60);
    out = text;
    return out;
}

bool TLumorGPSEngineInterface::SetVideoPowerOnIfOff()
{
    if (screenOn)
        return false;
    screenOn = true;
    return true;
}

void TLumorGPSEngineInterface::SetHomePosition(const TGeoCode& place, bool)
{
    if (!home)
        home = new TGeoCode();
    *home = place;
    home->kind = TGeoCode::KindHome;
    recorder.Call("SetHomePosition");
}

bool TLumorGPSEngineInterface::GetGeocode(TGeoCode& place, int kind) const
{
    if (kind != 4 || !lastGeocoded)
        return false;
    place = *lastGeocoded;
    return true;
}

bool TLumorGPSEngineInterface::GetHomeGeocode(TGeoCode& place) const
{
    if (!home)
        return false;
    place = *home;
    return true;
}
