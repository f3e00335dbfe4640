#include "enginelib/nav/TGraficas_2011B.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "enginelib/draw/IDC.h"
#include "enginelib/draw/TDibIG.h"
#include "enginelib/draw/TFontIG.h"
#include "enginelib/nav/CairoSurface.h"
#include "enginelib/nav/TCairoFont.h"
#include "enginelib/nav/TLumorGPSEngineInterface.h"
#include "enginelib/nav/TTrackRutaBase.h"
#include "enginelib/nav/TVisor_LumorGPSPocket.h"

namespace {
// Room for the axis labels.
const int kLeftMargin = 40, kBottomMargin = 18, kTopMargin = 6, kRightMargin = 6;
const double kMinimumSpan = 1e-3;

void Rgb(cairo_t* cr, TColorIG c) { cairo_set_source_rgb(cr, c.R() / 255.0, c.G() / 255.0, c.B() / 255.0); }

// A round step for about n marks over span.
double NiceStep(double span, int n)
{
    const double raw = span / std::max(1, n);
    const double p = std::pow(10, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 5.0, 10.0})
        if (raw <= m * p)
            return m * p;
    return 10 * p;
}
} // namespace

TGraficas_2011B::TGraficas_2011B() = default;
TGraficas_2011B::~TGraficas_2011B() = default;

void TGraficas_2011B::setFont(TFontIG* value, TFontIG* axis)
{
    if (value && value->Size() > 0)
        valueFont_ = std::min(value->Size(), 72);
    if (axis && axis->Size() > 0)
        axisFont_ = std::min(axis->Size(), 72);
}

void TGraficas_2011B::addVuelo(TTrackRutaBase* track, bool)
{
    if (!track || std::find(tracks_.begin(), tracks_.end(), track) != tracks_.end())
        return;
    tracks_.push_back(track);
    if (!actual_)
        setActualTrack(track);
}

void TGraficas_2011B::SetFirstObject(TTrackRutaBase* track)
{
    if (GetFirstObject() == track)
        return;
    const bool wasActual = actual_ == GetFirstObject();
    if (!tracks_.empty())
        tracks_.erase(tracks_.begin());
    tracks_.erase(std::remove(tracks_.begin(), tracks_.end(), track), tracks_.end());
    if (track)
        tracks_.insert(tracks_.begin(), track);
    if (wasActual || !actual_)
        setActualTrack(track);
}

void TGraficas_2011B::setActualTrack(TTrackRutaBase* track)
{
    actual_ = track;
    if (track && std::find(tracks_.begin(), tracks_.end(), track) == tracks_.end())
        tracks_.push_back(track);
    resetZoom();
}

void TGraficas_2011B::updateTrackData()
{
    if (!zoomed_)
        FitToTrack();
}

void TGraficas_2011B::FitToTrack()
{
    x0_ = 0, x1_ = 1, y0_ = 0, y1_ = 1;
    if (!actual_ || actual_->puntos.empty())
        return;
    double lo = actual_->puntos[0].altitude, hi = lo;
    for (const TPuntoTrack& p : actual_->puntos)
        lo = std::min(lo, p.altitude), hi = std::max(hi, p.altitude);
    x1_ = std::max(actual_->Length(), kMinimumSpan);
    // Some air above and below the profile.
    const double pad = std::max(5.0, (hi - lo) * 0.1);
    y0_ = lo - pad, y1_ = hi + pad;
}

void TGraficas_2011B::resetZoom()
{
    zoomed_ = false;
    FitToTrack();
}

void TGraficas_2011B::setDeslizador(TTrackRutaBase* track, double position, bool byTime)
{
    slider_ = position;
    sliderByTime_ = byTime;
}

double TGraficas_2011B::ScreenX(double metres) const
{
    return lastPlot_.left + (metres - x0_) / (x1_ - x0_) * (lastPlot_.right - lastPlot_.left);
}

double TGraficas_2011B::ScreenY(double altitude) const
{
    return lastPlot_.bottom - (altitude - y0_) / (y1_ - y0_) * (lastPlot_.bottom - lastPlot_.top);
}

bool TGraficas_2011B::Pinta(IDC& dc, TRectIG rect)
{
    TDibIG* target = dc.GetTargetForDirectDrawing();
    cairo_surface_t* surface = target ? CreateCairoSurface(*target) : nullptr;
    if (!surface || rect.right <= rect.left || rect.bottom <= rect.top) {
        if (surface)
            cairo_surface_destroy(surface);
        return false;
    }
    cairo_t* cr = cairo_create(surface);
    cairo_rectangle(cr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    cairo_clip(cr);
    const TRectIG clip = dc.GetClipRect();
    if (!(clip.left == 0 && clip.top == 0 && clip.right == 0 && clip.bottom == 0)) {
        cairo_rectangle(cr, clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top);
        cairo_clip(cr);
    }
    Rgb(cr, background_);
    cairo_paint(cr);
    const int margin = viewMode_ == 0 ? 0 : 1;  // the interactive views leave room for their buttons
    lastPlot_ = TRectIG(rect.left + kLeftMargin, rect.top + kTopMargin + margin * 4, rect.right - kRightMargin,
                        rect.bottom - kBottomMargin);
    if (lastPlot_.right <= lastPlot_.left || lastPlot_.bottom <= lastPlot_.top || !actual_ ||
        actual_->puntos.size() < 2) {
        lastPlot_ = TRectIG();
        cairo_destroy(cr);
        cairo_surface_destroy(surface);
        target->Touch();
        return false;
    }
    const TLumorGPSEngineInterface* f = TLumorGPSEngineInterface::Instance();
    if (!font_ && f && f->visor)
        font_ = std::make_unique<TCairoFont>(f->visor->fontFile);
    if (font_ && font_->Face())
        cairo_set_font_face(cr, font_->Face());

    // Grid and axis labels.
    cairo_set_line_width(cr, 1);
    cairo_set_font_size(cr, axisFont_ * 0.8);
    const double xStep = NiceStep(x1_ - x0_, 5), yStep = NiceStep(y1_ - y0_, 4);
    for (double m = std::ceil(x0_ / xStep) * xStep; m <= x1_ + 1e-9; m += xStep) {
        const double x = std::floor(ScreenX(m)) + 0.5;
        cairo_set_source_rgb(cr, 0.8, 0.8, 0.8);
        cairo_move_to(cr, x, lastPlot_.top);
        cairo_line_to(cr, x, lastPlot_.bottom);
        cairo_stroke(cr);
        char label[32];
        std::snprintf(label, sizeof label, xStep >= 1000 ? "%.0f" : "%.1f", m / 1000);
        cairo_set_source_rgb(cr, 0.2, 0.2, 0.2);
        cairo_move_to(cr, x - 8, rect.bottom - 4);
        cairo_show_text(cr, label);
    }
    for (double a = std::ceil(y0_ / yStep) * yStep; a <= y1_ + 1e-9; a += yStep) {
        const double y = std::floor(ScreenY(a)) + 0.5;
        cairo_set_source_rgb(cr, 0.8, 0.8, 0.8);
        cairo_move_to(cr, lastPlot_.left, y);
        cairo_line_to(cr, lastPlot_.right, y);
        cairo_stroke(cr);
        char label[32];
        std::snprintf(label, sizeof label, "%.0f", a);
        cairo_set_source_rgb(cr, 0.2, 0.2, 0.2);
        cairo_move_to(cr, rect.left + 2, y + 4);
        cairo_show_text(cr, label);
    }
    // The profile, filled below.
    cairo_save(cr);
    cairo_rectangle(cr, lastPlot_.left, lastPlot_.top, lastPlot_.right - lastPlot_.left,
                    lastPlot_.bottom - lastPlot_.top);
    cairo_clip(cr);
    const auto& pts = actual_->puntos;
    cairo_move_to(cr, ScreenX(pts[0].distance), lastPlot_.bottom);
    for (const TPuntoTrack& p : pts)
        cairo_line_to(cr, ScreenX(p.distance), ScreenY(p.altitude));
    cairo_line_to(cr, ScreenX(pts.back().distance), lastPlot_.bottom);
    cairo_close_path(cr);
    cairo_set_source_rgba(cr, 0.35, 0.6, 0.3, 0.45);
    cairo_fill(cr);
    for (size_t i = 0; i < pts.size(); ++i)
        i ? cairo_line_to(cr, ScreenX(pts[i].distance), ScreenY(pts[i].altitude))
          : cairo_move_to(cr, ScreenX(pts[i].distance), ScreenY(pts[i].altitude));
    cairo_set_source_rgb(cr, 0.15, 0.4, 0.15);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
    // The selection band.
    if (drawSelection_ && selStart_ >= 0 && selEnd_ >= 0) {
        cairo_rectangle(cr, std::min(selStart_, selEnd_), lastPlot_.top, std::abs(selEnd_ - selStart_),
                        lastPlot_.bottom - lastPlot_.top);
        cairo_set_source_rgba(cr, 0.2, 0.4, 0.9, 0.25);
        cairo_fill(cr);
    }
    // The slider: a distance, or the point reached at a time.
    double sliderMetres = -1;
    if (sliderByTime_) {
        for (const TPuntoTrack& p : pts)
            if (p.time && p.time <= (long long)slider_)
                sliderMetres = p.distance;
    } else {
        sliderMetres = slider_;
    }
    if (sliderMetres >= 0) {
        const double x = std::floor(ScreenX(sliderMetres)) + 0.5;
        cairo_move_to(cr, x, lastPlot_.top);
        cairo_line_to(cr, x, lastPlot_.bottom);
        cairo_set_source_rgb(cr, 0.85, 0.1, 0.1);
        cairo_set_line_width(cr, 2);
        cairo_stroke(cr);
    }
    if (ball_) {
        const PuntoGrafica p = findPuntoCoords(ballX_, ballY_, true);
        if (p.Found()) {
            cairo_arc(cr, p.x, p.y, highlight_ ? 5 : 4, 0, 6.2832);
            cairo_set_source_rgb(cr, 0.85, 0.1, 0.1);
            cairo_fill(cr);
        }
    }
    cairo_restore(cr);
    // The hint box: distance and altitude.
    if (hint_) {
        const PuntoGrafica p = findPuntoCoords(hintAt_.x, hintAt_.y, true);
        if (p.Found()) {
            char text[64];
            std::snprintf(text, sizeof text, "%.2f km  %.0f m", p.distance / 1000, p.altitude);
            cairo_set_font_size(cr, valueFont_);
            cairo_text_extents_t ext;
            cairo_text_extents(cr, text, &ext);
            const double bx = std::min(p.x + 6, lastPlot_.right - ext.x_advance - 8), by = lastPlot_.top + 2;
            cairo_rectangle(cr, bx, by, ext.x_advance + 8, valueFont_ + 8);
            cairo_set_source_rgb(cr, 1, 1, 0.85);
            cairo_fill_preserve(cr);
            cairo_set_source_rgb(cr, 0.3, 0.3, 0.3);
            cairo_set_line_width(cr, 1);
            cairo_stroke(cr);
            cairo_move_to(cr, bx + 4, by + valueFont_ + 2);
            cairo_show_text(cr, text);
        }
    }
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    cairo_surface_destroy(surface);
    target->Touch();
    return false;
}

TGraficas_2011B::PuntoGrafica TGraficas_2011B::findPuntoCoords(int x, int y, bool) const
{
    PuntoGrafica out;
    if (!actual_ || actual_->puntos.size() < 2 || getWidth() <= 0 || x < lastPlot_.left || x > lastPlot_.right)
        return out;
    const double metres = x0_ + (double)(x - lastPlot_.left) / getWidth() * (x1_ - x0_);
    const auto& pts = actual_->puntos;
    if (metres < pts.front().distance || metres > pts.back().distance)
        return out;
    // The two points around the distance.
    auto it = std::lower_bound(pts.begin(), pts.end(), metres,
                               [](const TPuntoTrack& p, double m) { return p.distance < m; });
    if (it == pts.begin())
        ++it;
    const TPuntoTrack& b = *it;
    const TPuntoTrack& a = *(it - 1);
    const double f = b.distance > a.distance ? (metres - a.distance) / (b.distance - a.distance) : 0;
    out.distance = metres;
    out.altitude = a.altitude + (b.altitude - a.altitude) * f;
    out.x = x;
    out.y = ScreenY(out.altitude);
    return out;
}

void TGraficas_2011B::activaHint(TPointIG point, bool found)
{
    hint_ = found;
    hintAt_ = point;
}

void TGraficas_2011B::zoomToSelection()
{
    if (getWidth() <= 0 || selStart_ < 0 || selEnd_ < 0 || selStart_ == selEnd_)
        return;
    const double a = x0_ + (double)(std::min(selStart_, selEnd_) - lastPlot_.left) / getWidth() * (x1_ - x0_);
    const double b = x0_ + (double)(std::max(selStart_, selEnd_) - lastPlot_.left) / getWidth() * (x1_ - x0_);
    if (b - a < kMinimumSpan)
        return;
    x0_ = a, x1_ = b;
    zoomed_ = true;
}

void TGraficas_2011B::setMove(int dx, int dy)
{
    if (getWidth() <= 0 || getHeight() <= 0)
        return;
    const double mx = dx * (x1_ - x0_) / getWidth(), my = dy * (y1_ - y0_) / getHeight();
    x0_ -= mx, x1_ -= mx;
    y0_ += my, y1_ += my;
    zoomed_ = true;
}

void TGraficas_2011B::setZoom(double fx, double fy, bool, int, int)
{
    if (getWidth() <= 0 || getHeight() <= 0 || !std::isfinite(fx) || !std::isfinite(fy))
        return;
    const double sx = std::max(0.05, (getWidth() + 2 * fx) / getWidth());
    const double sy = std::max(0.05, (getHeight() + 2 * fy) / getHeight());
    const double cx = (x0_ + x1_) / 2, cy = (y0_ + y1_) / 2;
    const double hx = std::max(kMinimumSpan, (x1_ - x0_) * sx / 2), hy = std::max(kMinimumSpan, (y1_ - y0_) * sy / 2);
    x0_ = cx - hx, x1_ = cx + hx, y0_ = cy - hy, y1_ = cy + hy;
    zoomed_ = true;
}

void TGraficas_2011B::mouseLeave()
{
    hint_ = false;
    ball_ = false;
}
