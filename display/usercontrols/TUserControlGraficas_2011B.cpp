#include "display/usercontrols/TUserControlGraficas_2011B.h"

#include "app/TOrbetaApp.h"
#include "enginelib/draw/IDC.h"
#include "enginelib/draw/TFontIG.h"
#include "enginelib/nav/TGraficas_2011B.h"
#include "enginelib/nav/TNavSimulation.h"
#include "enginelib/nav/TTrackRutaBase.h"
#include "enginelib/nav/TUnidades.h"
#include "enginelib/nav/TValCampo.h"
#include "uiengine/core/TPDAUIEngine.h"
#include "uiengine/core/TPDAUIEngineCommand.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"

namespace {
const int kFieldSlider = 309;
const int kFieldTrack = 355;
const int kFieldRoute = 356;
// Centred both ways.
const int kTextCentred = 5;
const int kButtonPrimary = 0, kButtonSecondary = 1, kButtonMiddle = 15;
const double kZoomStep = 5.0;

// The track or route a field carries, null when it carries something else.
TTrackRutaBase* AsTrack(void* object)
{
    return object ? dynamic_cast<TTrackRutaBase*>(static_cast<TElementoGPS*>(object)) : nullptr;
}
} // namespace

TUserControlGraficas_2011B::TUserControlGraficas_2011B(TOrbetaApp* app, TTrackRutaBase* source, int viewMode,
                                                       int titleLabelId, TGraficas_2011B* shared)
    : app(app),
      graph(shared),
      titleLabelId(titleLabelId),
      sharedGraph(shared != nullptr),
      track(source),
      viewMode(viewMode),
      hasSource(source != nullptr)
{
    tag = "usercontrol/usercontrolGraficas_2011B";
    if (!shared) {
        if (app)
            app->engine.RegistraGPS2("TUserControlGraficas_2011B::TUserControlGraficas_2011B(....) !graficaToUse",
                                     true);
        graph = new TGraficas_2011B();
        graph->setViewMode(viewMode);
    }
    font.size = 18;
    font.bold = true;
    isFocusable = 1;
}

TUserControlGraficas_2011B::~TUserControlGraficas_2011B()
{
    if (!sharedGraph)
        delete graph;
    else if (graph && viewMode == 1)
        graph->resetZoom();
    graph = nullptr;
}

void TUserControlGraficas_2011B::OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage* p, TPDAUIEngineElement* par,
                                        TPDAUIEngineXml* xmlNode, TFicheroITV* stream)
{
    TPDAUIEngineElementUserControl::OnLoad(e, p, par, xmlNode, stream);
    TColorIG chart = TColoresIG::F_White;
    if (engine && (engine->skinSettings.theme1.GetStockColor("chart.background", chart) ||
                   engine->skinSettings.theme2.GetStockColor("chart.background", chart))) {
        backgrounds.Edit(StateNormal).kind = TPDAUIEngineStyleBackground::KindColor;
        backgrounds.Edit(StateNormal).colour = chart;
        backgrounds.Edit(StateNormal).alpha = 255;
    }
    background_ = chart;
    btnGraficasZoomIn = FindElement("btnGraficasZoomIn", true);
    btnGraficasZoomOut = FindElement("btnGraficasZoomOut", true);
    btnGraficasZoomReset = FindElement("btnGraficasZoomReset", true);

    const char* family = engine && !engine->skinSettings.fontName.IsEmpty() ? engine->skinSettings.fontName.c_str()
                                                                            : "DejaVuSans";
    valueFont_.reset(new TFontIG());
    axisFont_.reset(new TFontIG());
    valueFont_->Create(family, 12, false, 1, 1.0f, false);
    axisFont_->Create(family, 14, true, 1, 1.0f, false);
    SetUpGraph();
    if (track && !sharedGraph)
        graph->addVuelo(track, false);
    if (btnGraficasZoomReset)
        btnGraficasZoomReset->visible = 0;
    if (viewMode == 0)
        for (TPDAUIEngineElement* b : {btnGraficasZoomIn, btnGraficasZoomOut})
            if (b)
                b->visible = 0;
    LoadTrackData();
}

void TUserControlGraficas_2011B::Detach()
{
    // The box deletes its children.
    btnGraficasZoomIn = btnGraficasZoomOut = btnGraficasZoomReset = nullptr;
    TPDAUIEngineElementUserControl::Detach();
}

void TUserControlGraficas_2011B::SetUpGraph()
{
    if (!graph)
        return;
    graph->setFont(valueFont_.get(), axisFont_.get());
    graph->setBGColor(viewMode == 1 ? TColorIG(TColoresIG::F_White) : TColorIG(background_));
    graph->setViewMode(viewMode);
}

bool TUserControlGraficas_2011B::LoadTrackData(long long& sliderTime, double& sliderValue)
{
    sliderTime = 0;
    sliderValue = -1.0;
    if (!app)
        return false;
    TLumorGPSEngineInterface& lib = app->engine;
    bool found = false;
    TTrackRutaBase* current = lib.CurrentNavigationTrack();
    if (current && lib.simulation)
        sliderTime = lib.simulation->LocalTime();
    TValCampo v;
    TTrackRutaBase* recorded = lib.Retorna_Val_Campo_Global(kFieldTrack, v, false, false) ? AsTrack(v.objeto) : nullptr;
    v = TValCampo();
    if (lib.Retorna_Val_Campo_Global(kFieldSlider, v, true, false)) {
        sliderValue = v.valor;
        found = true;
    }
    v = TValCampo();
    TTrackRutaBase* route = lib.Retorna_Val_Campo_Global(kFieldRoute, v, false, false) ? AsTrack(v.objeto) : nullptr;

    if ((engine && engine->painting) || hasSource || !graph)
        return found;
    TTrackRutaBase* chosen = nullptr;
    if (current) {
        if (current != track)
            chosen = current;
    } else if (recorded) {
        if (recorded != track)
            chosen = recorded;
    } else if (route) {
        if (route != track)
            chosen = route;
        else
            graph->updateTrackData();
    }
    if (chosen) {
        track = chosen;
        graph->setActualTrack(chosen);
        SetUpGraph();
    }
    return found;
}

void TUserControlGraficas_2011B::LoadTrackData()
{
    long long time = 0;
    double value = 0;
    LoadTrackData(time, value);
}

bool TUserControlGraficas_2011B::IsAvailable()
{
    LoadTrackData();
    return track != nullptr;
}

void TUserControlGraficas_2011B::Paint(IDC* dc, int x, int y)
{
    const int ox = x + left, oy = y + top;
    const TRectIG r(ox, oy, ox + width, oy + height);
    graphRect = r;
    if (titleLabelId && page && engine) {
        if (TPDAUIEngineElement* title = page->FindByNumericId(titleLabelId)) {
            DString text = engine->TranslateText("{R229}");
            text << " (" << TUnidades::Nombre_Mag(1) << "/" << TUnidades::Nombre_Mag(2) << ")";
            title->label = text;
        }
    }
    if (viewMode == 0)
        for (TPDAUIEngineElement* b : {btnGraficasZoomIn, btnGraficasZoomOut, btnGraficasZoomReset})
            if (b)
                b->visible = 0;
    PaintStyle(dc, r, GetState());

    long long sliderTime = 0;
    double sliderValue = -1.0;
    const bool found = LoadTrackData(sliderTime, sliderValue);

    const long long b = borders[StateNormal].width;
    TRectIG content((int)(r.left + b + padding.left), (int)(r.top + b + padding.top),
                    (int)(r.right - b - padding.right), (int)(r.bottom - b - padding.bottom));
    if (!dc || content.right <= content.left || content.bottom <= content.top)
        return;
    if (!track || !graph) {
        dc->SetBrush(background_);
        dc->SetPen(background_);
        dc->Rectangle(content);
        if (engine) {
            const DString text = engine->TranslateText("{H865}");
            engine->DrawText(dc, font, TColorIG(foregrounds[StateNormal]), nullptr, text, content, kTextCentred);
        }
        return;
    }
    graph->setDeslizador(track, found ? sliderValue : (double)sliderTime, !found);
    graph->setViewMode(viewMode);
    if (graph->Pinta(*dc, content))
        Invalidate();
    if (viewMode == 1 || viewMode == 2) {
        TBoxScaleScope scope(this);
        for (int i = 0; i < children.Count(); ++i)
            if (children[i]->visible)
                children[i]->Paint(dc, ox, oy);
    }
}

void TUserControlGraficas_2011B::OnCommand(TPDAUIEngineCommand& command)
{
    if (command.name == "zoomIn")
        ZoomIn();
    else if (command.name == "zoomOut")
        ZoomOut();
    else if (command.name == "zoomReset")
        ZoomReset();
    else
        TPDAUIEngineElementUserControl::OnCommand(command);
}

void TUserControlGraficas_2011B::ShowReset(bool show)
{
    if (btnGraficasZoomReset)
        btnGraficasZoomReset->visible = show ? 1 : 0;
    ReapplyBounds();
    Invalidate();
}

void TUserControlGraficas_2011B::ZoomIn()
{
    // Before the first paint the graph has no size to zoom by.
    const int w = graph ? graph->getWidth() : 0, h = graph ? graph->getHeight() : 0;
    if (w <= 0 || h <= 0)
        return;
    graph->setZoom(-kZoomStep, -kZoomStep * h / w, false, -1, -1);
    ShowReset(true);
}

void TUserControlGraficas_2011B::ZoomOut()
{
    const int w = graph ? graph->getWidth() : 0, h = graph ? graph->getHeight() : 0;
    if (w <= 0 || h <= 0)
        return;
    graph->setZoom(kZoomStep, kZoomStep * h / w, false, -1, -1);
    ShowReset(true);
}

void TUserControlGraficas_2011B::ZoomReset()
{
    if (graph)
        graph->resetZoom();
    ShowReset(false);
}

TPointIG TUserControlGraficas_2011B::Absolute(int x, int y) const
{
    return TPointIG(x + graphRect.left, y + graphRect.top);
}

void TUserControlGraficas_2011B::OnMouseDown(int x, int y, int kind, int a, int b)
{
    if (viewMode == 0 || !graph) {
        TPDAUIEngineElementUserControl::OnMouseDown(x, y, kind, a, b);
        return;
    }
    const TPointIG p = Absolute(x, y);
    if (kind == kButtonPrimary) {
        const TGraficas_2011B::PuntoGrafica point = graph->findPuntoCoords(p.x, p.y, true);
        graph->activaHint(p, point.Found());
    } else if (kind == kButtonMiddle) {
        graph->setSelIniPos(p.x);
        graph->setSelFinPos(p.x);
        graph->setPintaSelect(true);
    }
    moving = false;
    lastX = p.x;
    lastY = p.y;
    pressedButton = kind;
    Invalidate();
}

void TUserControlGraficas_2011B::OnMouseMove(int x, int y, int flags, unsigned char* handled, int a, int b)
{
    if (viewMode == 0 || !graph) {
        TPDAUIEngineElementUserControl::OnMouseMove(x, y, flags, handled, a, b);
        return;
    }
    const TPointIG p = Absolute(x, y);
    if (hovering) {
        graph->setPintaBolita(true);
        graph->setActualCoords(p.x, p.y);
        graph->resaltaWP(true);
    }
    if (pressedButton == kButtonPrimary) {
        graph->setMove(p.x - lastX, p.y - lastY);
        lastX = p.x;
        lastY = p.y;
        ShowReset(true);
    } else if (pressedButton == kButtonSecondary) {
        graph->setZoom(lastX - p.x, p.y - lastY, false, -1, -1);
        lastX = p.x;
        lastY = p.y;
        ShowReset(true);
    } else if (pressedButton == kButtonMiddle) {
        graph->setSelFinPos(p.x);
    }
    if (handled)
        *handled = 1;
    moving = true;
    ReapplyBounds();
    Invalidate();
}

void TUserControlGraficas_2011B::OnMouseUp(int x, int y, int kind, unsigned char* handled)
{
    if (viewMode == 0 || !graph) {
        TPDAUIEngineElementUserControl::OnMouseUp(x, y, kind, handled);
        return;
    }
    const TPointIG p = Absolute(x, y);
    graph->setPintaBolita(false);
    if (handled)
        *handled = 1;
    if (kind == kButtonMiddle) {
        graph->setPintaSelect(false);
        if (p.x == lastX && p.y == lastY) {
            // A tap selects nothing: back to the whole profile.
            ZoomReset();
        } else {
            graph->setSelFinPos(p.x);
            graph->zoomToSelection();
            ShowReset(true);
        }
    }
    pressedButton = -1;
    Invalidate();
}

void TUserControlGraficas_2011B::OnHoverEnter(int x, int y, int flags) { hovering = true; }

void TUserControlGraficas_2011B::OnHoverLeave(int x, int y, int flags)
{
    hovering = false;
    if (graph)
        graph->mouseLeave();
    Invalidate();
}
