#include "display/gadgets/TGadgetVisor2D.h"

#include <string>

#include "app/TOrbetaApp.h"
#include "enginelib/draw/IDC.h"
#include "enginelib/draw/TDibIG.h"
#include "enginelib/nav/TConfig.h"
#include "enginelib/nav/TVisor_LumorGPSPocket.h"
#include "uiengine/core/TPDAUIEngine.h"
#include "uiengine/core/TPDAUIEngineSaturate.h"

namespace {
using Sat = TPDAUIEngineSaturate;

// The 3D view's command: its checked state picks the 3D car-position settings.
const int kCommand3DView = 269;

// One decimal integer with optional blanks around it; false for anything else.
bool ParseInt(const char* begin, const char* end, int& out)
{
    while (begin < end && (*begin == ' ' || *begin == '\t'))
        ++begin;
    while (end > begin && (end[-1] == ' ' || end[-1] == '\t'))
        --end;
    bool negative = false;
    if (begin < end && (*begin == '-' || *begin == '+'))
        negative = *begin++ == '-';
    if (begin == end)
        return false;
    long long value = 0;
    for (; begin < end; ++begin) {
        if (*begin < '0' || *begin > '9')
            return false;
        value = Sat::Wide(value * 10 + (*begin - '0'));
    }
    out = Sat::Clamp(negative ? -value : value);
    return true;
}
} // namespace

TGadgetVisor2D::TGadgetVisor2D(TOrbetaApp* a) : app(a)
{
    onContextMenuCommand = "";
    isFocusable = 1;
    moved = 0;
    fullScreen = 0;
}

TGadgetVisor2D::~TGadgetVisor2D() = default;

void TGadgetVisor2D::OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage* p, TPDAUIEngineElement* par,
                            TPDAUIEngineXml* xmlNode, TFicheroITV* stream)
{
    TPDAUIEngineElementCanvas::OnLoad(e, p, par, xmlNode, stream);
}

TVisor_LumorGPSPocket* TGadgetVisor2D::Viewer() const { return app ? app->engine.visor : nullptr; }

TPointIG TGadgetVisor2D::WindowPoint(int x, int y) const
{
    return TPointIG(Sat::Add(x, windowRect.left), Sat::Add(y, windowRect.top));
}

// ---- the vehicle position ----

bool TGadgetVisor2D::ParseCarMapPosition(const char* text, int values[4])
{
    if (!text)
        return false;
    int count = 0;
    const char* start = text;
    for (const char* p = text;; ++p) {
        if (*p != ';' && *p != '\0')
            continue;
        if (count == 4)
            return false;  // a fifth part
        int v = 0;
        if (!ParseInt(start, p, v))
            return false;
        values[count++] = v;
        if (*p == '\0')
            break;
        start = p + 1;
    }
    return count == 4;
}

TPointIG TGadgetVisor2D::VehiclePoint(const char* setting, const TRectIG& window, bool landscape)
{
    int v[4];
    if (!ParseCarMapPosition(setting, v))
        return TPointIG(0, 0);
    const int px = landscape ? v[2] : v[0];
    const int py = landscape ? v[3] : v[1];
    const long long w = (long long)window.right - window.left;
    const long long h = (long long)window.bottom - window.top;
    // 64 bits: a skin may give any percentage.
    return TPointIG(Sat::Clamp(window.left + Sat::Mul(px, w) / 100),
                    Sat::Clamp(window.top + Sat::Mul(py, h) / 100));
}

const char* TGadgetVisor2D::CarMapPositionSetting() const
{
    TPDAUIEngine* e = engine;
    if (!e)
        return "";
    bool is3D = false;
    if (TVisor_LumorGPSPocket* viewer = Viewer()) {
        int kind = 0;
        bool checked = false, shown = true, available = true;
        viewer->EstadoComanda(kCommand3DView, kind, checked, shown, available, "");
        is3D = checked;
    }
    const TPDAUIEngineSkinSettings& s = e->skinSettings;
    if (is3D)
        return (fullScreen ? s.carMapPosition3DFullScreen : s.carMapPosition3D).c_str();
    return (fullScreen ? s.carMapPositionFullScreen : s.carMapPosition).c_str();
}

void TGadgetVisor2D::SetBounds(int l, int t, int w, int h)
{
    TPDAUIEngineElementCanvas::SetBounds(l, t, w, h);
    windowRect = GetScreenRect();
    if (width < 1 || height < 1 || !app)
        return;
    TPDAUIEngine* e = engine;
    const bool landscape = e && e->skinSettings.landscape;
    const TPointIG vehicle = VehiclePoint(CarMapPositionSetting(), windowRect, landscape);
    const int middle = Sat::Clamp(((long long)windowRect.top + windowRect.bottom) / 2);
    app->engine.SetPixelPosMobile(TPointIG(vehicle.x, middle), vehicle);
}

// ---- painting ----

void TGadgetVisor2D::Paint(IDC* dc, int x, int y)
{
    TPDAUIEngineElementCanvas::Paint(dc, x, y);
    TVisor_LumorGPSPocket* viewer = Viewer();
    TPDAUIEngine* e = engine;
    if (!dc || !viewer || !e)
        return;
    const int border = borders[GetState()].width;
    const int l = Sat::Add(Sat::Add(Sat::Add(x, left), border), padding.left);
    const int t = Sat::Add(Sat::Add(Sat::Add(y, top), border), padding.top);
    const int r = Sat::Sub(Sat::Sub(Sat::Add(Sat::Add(x, left), width), border), padding.right);
    const int b = Sat::Sub(Sat::Sub(Sat::Add(Sat::Add(y, top), height), border), padding.bottom);
    viewer->RepintateI(*dc, TRectIG(l, t, r, b), e->mapRepaint != 0);
    e->mapRepaint = 0;
}

bool TGadgetVisor2D::PaintsOpaque(IDC* dc)
{
    if (!dc || !Viewer() || !engine || !visible)
        return false;
    // The bitmaps the map painter draws into (top-down, 32 or 16 bits, rows as
    // cairo lays them out); it fills all of its rectangle there.
    const TDibIG* target = dc->GetDib();
    if (!target || target->IsEmpty() || target->IsBottomUp() || (target->Bpp() != 32 && target->Bpp() != 16))
        return false;
    const long long row = (long long)target->Width() * target->BytesPerPixel();
    if (target->LineSizeBytes() != ((row + 3) & ~3LL))
        return false;
    const long long border = borders[GetState()].width;
    return border + padding.left <= 0 && border + padding.top <= 0 && border + padding.right <= 0 &&
           border + padding.bottom <= 0;
}

// ---- input ----

void TGadgetVisor2D::OnMouseDown(int x, int y, int kind, int a, int b)
{
    moved = 0;
    TVisor_LumorGPSPocket* viewer = Viewer();
    if (!viewer)
        return;
    if (kind == 0 && viewer->longPress) {
        unsigned char handled = 0;
        OnContextMenu(x, y, &handled);
        return;
    }
    const TPointIG p = WindowPoint(x, y);
    viewer->cursor = p;
    viewer->MouseDown(p, kind + 1, a, b);
    if (kind == 0 && !onCommand.IsEmpty())
        RaiseCommand(onCommand.c_str(), Sat::Add(x, left), Sat::Add(y, top), true);
    Invalidate();
}

void TGadgetVisor2D::OnMouseMove(int x, int y, int flags, unsigned char* handled, int a, int b)
{
    moved = 1;
    if (TVisor_LumorGPSPocket* viewer = Viewer())
        viewer->MouseMove(WindowPoint(x, y), flags + 1, a, b);
    if (handled)
        *handled = 1;
    Invalidate();
}

void TGadgetVisor2D::OnMouseWheel(int x, int y, int delta)
{
    TPointIG p = WindowPoint(x, y);
    moved = 1;
    // Below the gadget (a wheel over what lies under it): about its middle.
    if (p.y > windowRect.bottom)
        p.y = Sat::Clamp(windowRect.top + ((long long)windowRect.bottom - windowRect.top) / 2);
    if (app)
        app->engine.ZoomWheel(-delta, p);
    Invalidate();
}

void TGadgetVisor2D::OnMouseUp(int x, int y, int kind, unsigned char* handled)
{
    if (TVisor_LumorGPSPocket* viewer = Viewer()) {
        const TPointIG p = WindowPoint(x, y);
        viewer->cursor = p;
        viewer->MouseUp(p, kind + 1);
    }
    Invalidate();
    if (handled)
        *handled = kind == 0 ? moved : 0;
    moved = 0;
}

void TGadgetVisor2D::OnMouseDoubleClick(int x, int y, int, int)
{
    TVisor_LumorGPSPocket* viewer = Viewer();
    if (viewer && app->engine.config && app->engine.config->doubleClick)
        viewer->MouseDblClick(WindowPoint(x, y));
}

void TGadgetVisor2D::OnContextMenu(int x, int y, unsigned char* handled)
{
    pressed = 1;
    const TPointIG p = WindowPoint(x, y);
    if (p.x == 0 && p.y == 0) {
        if (!onContextMenuCommand.IsEmpty())
            RaiseCommand(onContextMenuCommand.c_str(), windowRect.left, windowRect.top, true);
    } else {
        if (TVisor_LumorGPSPocket* viewer = Viewer()) {
            viewer->longPress = false;
            viewer->cursor = p;
        }
        if (!onContextMenuCommand.IsEmpty())
            RaiseCommand(onContextMenuCommand.c_str(), p.x, p.y, true);
    }
    if (handled)
        *handled = 1;
    pressed = 0;
}

bool TGadgetVisor2D::OnDrop(int x, int y, const char* files, const char* text, unsigned char* handled)
{
    if (handled && *handled)
        return true;
    Vector<DString> list;
    if (files) {
        const char* start = files;
        for (const char* p = files;; ++p) {
            if (*p == '\n' || *p == '\r' || *p == '\0') {
                if (p > start)
                    list.Add(DString(start, (int)(p - start)));
                if (*p == '\0')
                    break;
                start = p + 1;
            }
        }
    }
    if (list.Count() == 0 || !app)
        return false;
    app->engine.Abre_Archivos(list, WindowPoint(x, y), 0);
    if (handled)
        *handled = 1;
    return true;
}
