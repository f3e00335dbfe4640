#pragma once
// A data-field box or gadget on a page of the display's test application,
// inside a frame that may carry a units label, and pictures of it painted
// off screen.
#include <memory>

#include "display/display_test_app.h"
#include "enginelib/draw/IDC.h"
#include "enginelib/draw/TDibIG.h"
#include "enginelib/nav/TValCampo.h"
#include "uiengine/controls/TPDAUIEngineElementLabel.h"
#include "uiengine/elements/TPDAUIEngineElementBox.h"

namespace datafieldtest {

class Harness {
public:
    Harness() : page(app.ui, "pageDataField")
    {
        outer = new TPDAUIEngineElementBox();
        page.AddChild(outer, nullptr, nullptr);
        frame = new TPDAUIEngineElementBox();
        outer->AddChild(frame, nullptr, nullptr);
    }
    ~Harness() { page.Detach(); }

    // A label with that id added to box (the frame or the outer box).
    TPDAUIEngineElementLabel* AddLabel(TPDAUIEngineElementBox* box, const char* id, const char* text = "")
    {
        auto* label = new TPDAUIEngineElementLabel();
        label->id = id;
        label->label = text;
        box->AddChild(label, nullptr, nullptr);
        return label;
    }
    // e loaded in the frame.
    template <class T>
    T* Add(T* e)
    {
        frame->AddChild(e, nullptr, nullptr);
        return e;
    }
    void Force(int field, double value, const char* text, TEnumUnidades units = UnidadNinguna, bool alarm = false,
               void* object = nullptr)
    {
        TValCampo v;
        v.valor = value;
        v.texto = text;
        v.unidades = units;
        v.alarma = alarm;
        v.objeto = object;
        app.engine.fields.forced[field] = v;
    }

    displaytest::DisplayApp app;
    exectest::RecPage page;
    TPDAUIEngineElementBox* outer = nullptr;
    TPDAUIEngineElementBox* frame = nullptr;
};

// e painted alone, at its own rectangle's size, over a plain background.
inline std::unique_ptr<TDibIG> Render(TPDAUIEngineElement* e, TColorIG background = TColorIG(0x808080u))
{
    auto dib = std::make_unique<TDibIG>();
    dib->Crea(e->width > 0 ? e->width : 1, e->height > 0 ? e->height : 1, 24);
    IDC dc;
    dc.BeginPaintDib(dib.get());
    dc.SetBrush(background);
    dc.SetPen(background, 1);
    dc.Rectangle(0, 0, dib->Width(), dib->AbsHeight());
    e->Paint(&dc, -e->left, -e->top);
    dc.EndPaintDib();
    return dib;
}

// Pixels of dib in the rectangle that differ from colour.
inline int CountOther(const TDibIG& dib, const TRectIG& r, TColorIG colour)
{
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            if (dib.GetPixel(x, y) != colour)
                ++n;
    return n;
}

inline bool SamePixels(const TDibIG& a, const TDibIG& b)
{
    if (a.Width() != b.Width() || a.AbsHeight() != b.AbsHeight())
        return false;
    for (int y = 0; y < a.AbsHeight(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            if (a.GetPixel(x, y) != b.GetPixel(x, y))
                return false;
    return true;
}

} // namespace datafieldtest
