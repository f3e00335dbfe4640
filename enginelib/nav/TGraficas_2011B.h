#pragma once
#include <memory>
#include <vector>

#include "enginelib/draw/Geometry.h"
#include "enginelib/draw/TColorIG.h"

class IDC;
class TFontIG;
class TCairoFont;
class TTrackRutaBase;

// The altitude profile of a track or route: distance (km) across, altitude (m) up,
// with axes, a slider mark, a hint box, a selection band, zoom and pan. Holds its
// tracks without owning them.
class TGraficas_2011B {
public:
    TGraficas_2011B();
    ~TGraficas_2011B();
    TGraficas_2011B(const TGraficas_2011B&) = delete;
    TGraficas_2011B& operator=(const TGraficas_2011B&) = delete;

    // A point of the profile under a screen position; every value -1 when none.
    struct PuntoGrafica {
        double distance = -1, altitude = -1, x = -1, y = -1;
        bool Found() const { return distance != -1 && altitude != -1 && x != -1 && y != -1; }
    };

    void setViewMode(int mode) { viewMode_ = mode; }
    void setBGColor(TColorIG colour) { background_ = colour; }
    // The font sizes come from the fonts (their point sizes); null keeps the default.
    void setFont(TFontIG* value, TFontIG* axis);
    void addVuelo(TTrackRutaBase* track, bool);
    void setActualTrack(TTrackRutaBase* track);
    // The track's points changed: keep the zoom unless it was the whole track.
    void updateTrackData();
    // The slider: at a distance (metres), or at a time (local seconds) when byTime.
    void setDeslizador(TTrackRutaBase* track, double position, bool byTime);
    // Draws into rect; true when it wants another paint soon (a hint fading).
    bool Pinta(IDC& dc, TRectIG rect);

    PuntoGrafica findPuntoCoords(int x, int y, bool) const;
    void activaHint(TPointIG point, bool found);
    void setSelIniPos(int x) { selStart_ = x; }
    void setSelFinPos(int x) { selEnd_ = x; }
    void setPintaSelect(bool on) { drawSelection_ = on; }
    void zoomToSelection();
    void resetZoom();
    void setPintaBolita(bool on) { ball_ = on; }
    void setActualCoords(int x, int y) { ballX_ = x, ballY_ = y; }
    void resaltaWP(bool on) { highlight_ = on; }
    // Pans by a screen movement.
    void setMove(int dx, int dy);
    // Grows (positive) or shrinks (negative) the view by pixels on each side.
    void setZoom(double fx, double fy, bool, int, int);
    // Of the last paint; 0 before the first.
    int getWidth() const { return lastPlot_.right - lastPlot_.left; }
    int getHeight() const { return lastPlot_.bottom - lastPlot_.top; }
    void mouseLeave();

    // The library puts the route being followed first (null empties the place).
    void SetFirstObject(TTrackRutaBase* track);
    // The first track held (the shared graph's route), or null.
    TTrackRutaBase* GetFirstObject() const { return tracks_.empty() ? nullptr : tracks_.front(); }
    TTrackRutaBase* GetActualTrack() const { return actual_; }
    bool IsZoomed() const { return zoomed_; }

private:
    void FitToTrack();
    double ScreenX(double metres) const;
    double ScreenY(double altitude) const;

    std::vector<TTrackRutaBase*> tracks_;
    TTrackRutaBase* actual_ = nullptr;
    int viewMode_ = 0;
    TColorIG background_ = TColorIG(255, 255, 255);
    int valueFont_ = 12, axisFont_ = 14;
    // The visible window: metres across, altitude up.
    double x0_ = 0, x1_ = 1, y0_ = 0, y1_ = 1;
    bool zoomed_ = false;
    double slider_ = -1;
    bool sliderByTime_ = false;
    TRectIG lastPlot_;
    bool hint_ = false;
    TPointIG hintAt_;
    int selStart_ = -1, selEnd_ = -1;
    bool drawSelection_ = false;
    bool ball_ = false, highlight_ = false;
    int ballX_ = 0, ballY_ = 0;
    std::unique_ptr<TCairoFont> font_;
};
