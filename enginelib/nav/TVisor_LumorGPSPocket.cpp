#include "enginelib/nav/TVisor_LumorGPSPocket.h"

#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "enginelib/base/Path.h"
#include "enginelib/base/Tick.h"
#include "enginelib/draw/IDC.h"
#include "enginelib/draw/TDibIG.h"
#include "enginelib/nav/TMapPainter.h"
#include "enginelib/nav/TConfig.h"
#include "enginelib/nav/TLumorGPSEngineInterface.h"
#include "enginelib/nav/TBaliza.h"
#include "enginelib/nav/TGeoCode.h"
#include "enginelib/nav/TGraficas_2011B.h"
#include "enginelib/nav/TNavSimulation.h"
#include "enginelib/nav/TTrackRutaBase.h"

extern char** environ;

const double TVisor_LumorGPS_Comun::kZoomTable[kZoomLevels] = {0.25, 0.5, 1,  2,  3,   5,   8,
                                                                12,   20,  35, 60, 100, 150, 200};

namespace {
const int kLongPressMs = 800;
const int kLongPressSlop = 15;
const int kDragSlop = 4;
} // namespace

TVisor_LumorGPS_Comun::~TVisor_LumorGPS_Comun() { delete painter_; }

TDemoRoute::Point TVisor_LumorGPS_Comun::VehiclePosition(double& heading) const
{
    if (!engine_->simulation) {
        heading = 0;
        return {0, 0};
    }
    const TDemoRoute::State car = engine_->simulation->Car();
    heading = car.heading;
    return car.position;
}

void TVisor_LumorGPS_Comun::RepintateI(IDC& dc, TRectIG rect, bool fast)
{
    TDibIG* target = dc.GetTargetForDirectDrawing();
    if (!target || rect.right <= rect.left || rect.bottom <= rect.top)
        return;
    // Never outside the context's clip.
    const TRectIG clip = dc.GetClipRect();
    if (!(clip.left == 0 && clip.top == 0 && clip.right == 0 && clip.bottom == 0))
        rect = TRectIG(std::max(rect.left, clip.left), std::max(rect.top, clip.top), std::min(rect.right, clip.right),
                       std::min(rect.bottom, clip.bottom));
    if (!painter_)
        painter_ = new TMapPainter(fontFile);
    double heading;
    const TDemoRoute::Point car = VehiclePosition(heading);
    TMapView view;
    view.rect = rect;
    const bool defaultAnchor = mobileB_.x == 0 && mobileB_.y == 0;
    view.anchorX = defaultAnchor ? (rect.left + rect.right) / 2.0 : mobileB_.x;
    view.anchorY = defaultAnchor ? rect.top + (rect.bottom - rect.top) * 0.7 : mobileB_.y;
    view.metresPerPixel = MetresPerPixel();
    view.rotation = northUp ? 0 : heading;
    view.squash = mode3D == 1 ? 0.6 : mode3D == 2 ? 0.45 : 1;
    if (mode3D)
        view.horizon = view.anchorY - (view.anchorY - rect.top) * view.squash * 1.4;
    const bool following = autoCentre && !centringPaused;
    view.centre = following ? car : panCentre_;
    if (following)
        panCentre_ = car;

    TMapPainter::Scene scene;
    scene.night = engine_->config && engine_->config->nightColours;
    scene.fast = fast;
    std::vector<TDemoRoute::Point> route;
    if (engine_->simulation && engine_->simulation->navigation == TNavSimulation::Demo) {
        const TDemoRoute::Leg& leg = TDemoRoute::Get().leg(engine_->simulation->Car().leg);
        route = leg.points;
        scene.route = route.data();
        scene.routePoints = (int)route.size();
        scene.destination = leg.points.back();
        scene.hasDestination = true;
    }
    for (const TDemoRoute::Camera& c : TDemoRoute::Get().cameras())
        scene.cameras.push_back(TDemoRoute::Get().PositionAt(c.leg, c.s));
    if (engine_->home && engine_->home->coordinates.Rellenado()) {
        scene.home = TDemoRoute::FromLatLon(engine_->home->coordinates.latitude, engine_->home->coordinates.longitude);
        scene.hasHome = true;
    }
    if (engine_->recordedTrack)
        for (const TPuntoTrack& p : engine_->recordedTrack->puntos)
            scene.track.push_back(p.at);
    scene.vehicle = car;
    scene.vehicleHeading = heading;
    scene.crosshair = cursorMode;
    scene.crosshairX = cursor.x;
    scene.crosshairY = cursor.y;
    if (painter_->Paint(*target, view, scene))
        painted_ = true;
    lastView_ = view;
}

unsigned long TVisor_LumorGPS_Comun::MapDrawings() const { return painter_ ? painter_->Drawings() : 0; }

void TVisor_LumorGPS_Comun::SetObjetoSeleccionado(TElementoGPS* object, int)
{
    current = object;
    engine_->InvokeObjetoSelecc();
}

void TVisor_LumorGPS_Comun::SetFocus_Objeto_Coords(TPointIG point)
{
    const double kReach = 20;
    auto near = [&](const TDemoRoute::Point& p) {
        double x, y;
        lastView_.ToScreen(p.x, p.y, x, y);
        return std::hypot(x - point.x, y - point.y) <= kReach;
    };
    TElementoGPS* hit = nullptr;
    for (TBaliza* w : engine_->waypoints)
        if (!hit && near(w->at))
            hit = w;
    if (!hit) {
        TRuta* route = engine_->ActiveRoute();
        if (route)
            for (size_t i = 0; !hit && i < route->puntos.size(); ++i)
                if (near(route->puntos[i].at))
                    hit = route;
    }
    cursor = point;
    SetObjetoSeleccionado(hit, -1);
}

void TVisor_LumorGPS_Comun::Get_Context_Menu_List(int flags, TElementoGPS* object, TVectorComandas& commands)
{
    engine_->GetContextMenuMapa(commands, flags, object);
}

bool TVisor_LumorGPS_Comun::DatosEscala(TPointIG& topLeft, TPointIG& bottomRight, DString& text,
                                       double& value) const
{
    if (!painted_)
        return false;
    static const double kSteps[] = {10, 20, 50, 100, 200, 500, 1000, 2000, 5000, 10000};
    const int width = bottomRight.x - topLeft.x;
    double chosen = 0;
    for (double metres : kSteps)
        if (metres / MetresPerPixel() <= width)
            chosen = metres;
    if (chosen <= 0)
        return false;
    const int length = (int)std::lround(chosen / MetresPerPixel());
    bottomRight.x = topLeft.x + length;
    topLeft.y = bottomRight.y;
    value = chosen;
    text = chosen >= 1000 ? (std::to_string((int)(chosen / 1000)) + " km").c_str()
                          : (std::to_string((int)chosen) + " m").c_str();
    return true;
}

void TVisor_LumorGPS_Comun::SetPixelPosMobile(TPointIG a, TPointIG b)
{
    mobileA_ = a;
    mobileB_ = b;
    Record("SetPixelPosMobile " + std::to_string(a.x) + " " + std::to_string(a.y) + " " + std::to_string(b.x) + " " + std::to_string(b.y));
}

void TVisor_LumorGPS_Comun::MouseDown(TPointIG p, int button, int v1, int v2)
{
    Record("MouseDown " + std::to_string(p.x) + " " + std::to_string(p.y) + " " + std::to_string(button) + " " + std::to_string(v1) + " " +
           std::to_string(v2));
    cursor = p;
    pressAt_ = p;
    pressTick_ = GetTickCountAdv();
    dragging_ = false;
    longPress = false;
}

void TVisor_LumorGPS_Comun::MouseMove(TPointIG p, int button, int v1, int v2)
{
    if (button <= 0)
        return;
    const int dx = p.x - pressAt_.x, dy = p.y - pressAt_.y;
    if (!dragging_ && std::abs(dx) <= kLongPressSlop && std::abs(dy) <= kLongPressSlop &&
        TickElapsed(GetTickCountAdv(), pressTick_) >= (uint32_t)kLongPressMs)
        longPress = true;
    if (!dragging_ && std::abs(dx) <= kDragSlop && std::abs(dy) <= kDragSlop)
        return;
    if (!dragging_) {
        dragging_ = true;
        autoCentre = false;  // the user moves the map: stop following the car
    }
    // The map point under the pointer stays under it.
    double mx0, my0, mx1, my1;
    lastView_.ToMap(cursor.x, cursor.y, mx0, my0);
    lastView_.ToMap(p.x, p.y, mx1, my1);
    panCentre_.x -= mx1 - mx0;
    panCentre_.y -= my1 - my0;
    lastView_.centre = panCentre_;
    cursor = p;
}

bool TVisor_LumorGPS_Comun::GetSelectedPos(TGeoCode& place) const
{
    if (!hasSelectedPos_)
        return false;
    double lat, lon;
    TDemoRoute::ToLatLon(selectedPos_, lat, lon);
    if (!engine_->Coords_a_Geocode(TPuntoCoord(lat, lon), place))
        return false;
    place.kind = TGeoCode::KindPicked;
    return true;
}

void TVisor_LumorGPS_Comun::MouseUp(TPointIG p, int button)
{
    Record("MouseUp " + std::to_string(p.x) + " " + std::to_string(p.y) + " " + std::to_string(button));
    // A tap (not a drag) in a picking mode picks.
    if (!dragging_ && (pointerMode == 19 || pointerMode == 24)) {
        double mx, my;
        lastView_.ToMap(p.x, p.y, mx, my);
        selectedPos_ = {mx, my};
        hasSelectedPos_ = true;
    } else if (!dragging_ && pointerMode == 20) {
        SetFocus_Objeto_Coords(p);
    }
    if (!dragging_ && TickElapsed(GetTickCountAdv(), pressTick_) >= (uint32_t)kLongPressMs &&
        std::abs(p.x - pressAt_.x) <= kLongPressSlop && std::abs(p.y - pressAt_.y) <= kLongPressSlop)
        longPress = true;
    dragging_ = false;
    cursor = p;
}

void TVisor_LumorGPS_Comun::MouseDblClick(TPointIG p)
{
    Record("MouseDblClick " + std::to_string(p.x) + " " + std::to_string(p.y));
    // One step in, about the point.
    double mx, my;
    lastView_.ToMap(p.x, p.y, mx, my);
    if (zoomLevel > 0)
        --zoomLevel;
    if (!autoCentre) {
        panCentre_ = {mx, my};
    }
}

void TVisor_LumorGPS_Comun::ZoomWheel(int delta, TPointIG p)
{
    Record("ZoomWheel " + std::to_string(delta) + " " + std::to_string(p.x) + " " + std::to_string(p.y));
    const int steps = delta / 120;
    zoomLevel = std::max(0, std::min(kZoomLevels - 1, zoomLevel - steps));
}

bool TVisor_LumorGPS_Comun::OnTiempoReal(uintptr_t, intptr_t)
{
    const double now = engine_->simulation ? engine_->simulation->Now() : 0;
    if (engine_->graph)
        engine_->graph->SetFirstObject(engine_->ActiveRoute());
    // The recorded track takes a point every 10 m driven since the last message.
    if (recording == 1 && engine_->simulation) {
        if (!engine_->recordedTrack)
            engine_->recordedTrack = new TTrack("Recorded track");
        const TDemoRoute& route = TDemoRoute::Get();
        const double from = lastPulse_ >= 0 && lastPulse_ <= now ? lastPulse_ : now;
        // Sampled finely enough for 10 m at motorway speed.
        for (double t = from; t <= now + 1e-9; t += 0.1) {
            const TDemoRoute::State car = route.At(t);
            engine_->recordedTrack->Anyade(car.position, route.Odometer(t), car.altitude,
                                           engine_->simulation->LocalTime() - (long long)(now - t));
        }
    }
    // Every 10 s of recording the graphs take the new points.
    if (recording == 1 && (lastPulse_ < 0 || std::floor(now / 10) != std::floor(lastPulse_ / 10)))
        engine_->InvokeUpdateGraph();
    lastPulse_ = now;
    engine_->InvokeInvalidate(false);
    return true;
}

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
        zoomLevel = std::max(0, zoomLevel - step);
        return 1;
    case 102:
        zoomLevel = std::min(kZoomLevels - 1, zoomLevel + step);
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
        enabled = zoomLevel > 0;
        break;
    case 102:
        enabled = zoomLevel < kZoomLevels - 1;
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

void TVisor_LumorGPS_Comun::EndImagePicker(const char* path)
{
    Record(std::string("image picked ") + (path ? path : ""));
}

TElementoGPS* TVisor_LumorGPS_Comun::GetConfigManager(DString& errorText, int id, const char* text)
{
    errorText = "No settings for this command";
    return nullptr;
}

void TVisor_LumorGPS_Comun::Ejecuta_Adjunto(const char* file) { Record(std::string("attachment ") + (file ? file : "")); }

void TVisor_LumorGPS_Comun::WaitForRemoteDataDownloaded() { Record("wait for remote data"); }

void TVisor_LumorGPSPocket::Carga_AutoOpen1(const char* cmdLine, int screenWidth, int screenHeight,
                                            const char* autoOpenText)
{
    engine_->recorder.Call("auto open 1 [" + std::string(cmdLine ? cmdLine : "") + "] " + std::to_string(screenWidth) + "x" +
           std::to_string(screenHeight) + " [" + (autoOpenText ? autoOpenText : "") + "]");
}

void TVisor_LumorGPSPocket::Carga_AutoOpen2() { engine_->recorder.Call("auto open 2"); }
