#pragma once
#include <cstdint>
#include <string>

#include "enginelib/base/DString.h"
#include "enginelib/draw/Geometry.h"
#include "enginelib/nav/TDemoRoute.h"
#include "enginelib/nav/TMapView.h"
#include "enginelib/nav/TLumorGPSTypes.h"
#include "enginelib/nav/TOpenFileNameLumor.h"

class IDC;
class TLumorGPSEngineInterface;
class TMapPainter;
class TGeoCode;
class TVectorComandas;

// The map viewer: the library's side of the map (its commands and their states
// here; drawing and input with the map).
class TVisor_LumorGPS_Comun {
public:
    explicit TVisor_LumorGPS_Comun(TLumorGPSEngineInterface* engine) : engine_(engine) {}
    virtual ~TVisor_LumorGPS_Comun();
    TVisor_LumorGPS_Comun(const TVisor_LumorGPS_Comun&) = delete;
    TVisor_LumorGPS_Comun& operator=(const TVisor_LumorGPS_Comun&) = delete;

    // Runs a command number on the current object with a parameter text; non-zero
    // is success. Numbers the library does not handle answer 1 and are logged.
    virtual int EjecutaComanda(TElementoGPS* current, int zero, const char* text, TComandasLumorGPS number);
    // A command given as text (day/night "0"/"1"/"2", backlight, volume, links).
    virtual int EjecutaComandaTexto(const char* text, TComandasLumorGPS number);
    // The state of a command for a menu: kind 1 is a check item. Numbers without a
    // state are plain, unchecked, visible and enabled.
    virtual void EstadoComanda(TComandasLumorGPS number, int& kind, bool& checked, bool& visible, bool& enabled,
                               const char* param);
    // Whether the program may quit now (first argument 1, then the reason).
    virtual bool PuedeSalir(int one, int reason);
    // Starts a program: device paths map under the device root; only an existing,
    // executable file is started, and only when ENGINELIB_ALLOW_SPAWN is set.
    // Every request is recorded.
    virtual bool LanzaPrograma(const char* path, const char* args);
    virtual int Operacion2486(int four, int zero);

    // Opens an attachment (a video, a picture) with the platform: recorded, as
    // starting programs is.
    void Ejecuta_Adjunto(const char* file);
    // Returns once the data the library fetches at start-up is there; the demo
    // fetches none.
    void WaitForRemoteDataDownloaded();

    // False drops the command silently.
    bool PreCommandLog(int id, const char* text);
    // A picture taken by the program's image picker, for the current object (recorded).
    void EndImagePicker(const char* path);
    // A settings element for a command, or null with an error text.
    TElementoGPS* GetConfigManager(DString& errorText, int id, const char* text);

    TElementoGPS* current = nullptr;  // the object under the cursor or last selected

    // ---- the map ----
    // Paints the whole map into rect of the context's target (clipped to it).
    // Asked again for the same map, the last picture is copied, not drawn.
    void RepintateI(IDC& dc, TRectIG rect, bool fast);
    // How many paints really drew the map.
    unsigned long MapDrawings() const;
    // In: an area (top-left, bottom-right). Out: the scale bar's left and right x
    // and bottom y, its text ("200 m") and metres. False before the first paint.
    bool DatosEscala(TPointIG& topLeft, TPointIG& bottomRight, DString& text, double& value) const;
    // Where the vehicle is drawn; (0, 0) puts it centred, 70 % down.
    void SetPixelPosMobile(TPointIG a, TPointIG b);
    // button is the mouse button + 1; v1, v2 are passed through.
    void MouseDown(TPointIG p, int button, int v1, int v2);
    void MouseMove(TPointIG p, int button, int v1, int v2);
    void MouseUp(TPointIG p, int button);
    void MouseDblClick(TPointIG p);
    // One zoom step per 120 units; positive zooms in.
    void ZoomWheel(int delta, TPointIG p);
    // The real-time message: what changed since the last one. True when the
    // program should update its controls.
    bool OnTiempoReal(uintptr_t wParam, intptr_t lParam);
    double MetresPerPixel() const { return kZoomTable[zoomLevel]; }

    // The object for the commands that act on one; raises the selection callback.
    void SetObjetoSeleccionado(TElementoGPS* object, int);
    // Picks what lies under a screen point (waypoint, camera, the route or the
    // car within 20 px) as the current object; nothing under it leaves none.
    void SetFocus_Objeto_Coords(TPointIG point);
    // A menu's worth of commands for an object (10 is a separator); 0x40 in
    // flags asks for a button row (no separators, no sub-menus).
    void Get_Context_Menu_List(int kind, TElementoGPS* object, TVectorComandas& commands);
    // What a tap on the map does: 19 picks a place, 24 a bearing, 20 an object,
    // 0 nothing special.
    void SetModoPuntero(int mode, int) { pointerMode = mode, hasSelectedPos_ = false; }
    int pointerMode = 0;
    // The place tapped in mode 19 or 24; false before a tap or in open country.
    bool GetSelectedPos(TGeoCode& place) const;
    // The map stops following the car while a menu is open on it.
    void PauseMovingMapCentering(bool pause) { centringPaused = pause; }
    bool centringPaused = false;

    TPointIG cursor;         // the last press
    bool longPress = false;  // a press held 800 ms in place: the next release is a context menu
    std::string fontFile;    // for names on the map

    // ---- state behind the commands ----
    static const int kZoomLevels = 14;
    static const double kZoomTable[kZoomLevels];  // metres per pixel
    int zoomLevel = 4;
    int mode3D = 0;         // 0 flat, 1 and 2 the two 3D views
    bool northUp = true;    // else heading up
    bool autoCentre = true;
    bool cursorMode = false;
    int recording = 0;      // 0 stopped, 1 recording, 2 paused
    int routingProfile = 2506;
    bool quitAllowed = true;
    TOpenFileNameLumor fileRequest;  // the open-file request while the page has it

protected:
    TLumorGPSEngineInterface* engine_;

private:
    void SetNight(const char* text);
    void Record(const std::string& what);
    TDemoRoute::Point VehiclePosition(double& heading) const;

    TMapPainter* painter_ = nullptr;
    TMapView lastView_;  // the view of the last paint, for turning input into map points
    bool painted_ = false;
    TPointIG mobileA_, mobileB_;
    TDemoRoute::Point panCentre_{0, 0};  // the map point at the anchor while not auto-centring
    bool dragging_ = false;
    TPointIG pressAt_;
    uint32_t pressTick_ = 0;
    double lastPulse_ = -1;
    bool hasSelectedPos_ = false;
    TDemoRoute::Point selectedPos_{0, 0};
};

class TVisor_LumorGPSPocket : public TVisor_LumorGPS_Comun {
public:
    using TVisor_LumorGPS_Comun::TVisor_LumorGPS_Comun;

    // Opens the documents named for opening at start-up (the splash page's last
    // step): recorded with the screen size and the texts.
    void Carga_AutoOpen1(const char* cmdLine, int screenWidth, int screenHeight, const char* autoOpenText);
    // The second stage, once the main page has loaded: recorded.
    void Carga_AutoOpen2();
};
