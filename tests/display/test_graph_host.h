#pragma once
// A bare page for the compass and graph tests: the controls a test puts on it
// stand where the test places them, over a plain background.
#include <memory>
#include <string>

#include "display/display_test_app.h"
#include "enginelib/draw/IDC.h"
#include "enginelib/draw/TDibIG.h"
#include "uiengine/core/TPDAUIEngineXml.h"

namespace graphtest {

class HostPage : public TPDAUIEngineElementPage {
public:
    explicit HostPage(TPDAUIEngine* e) : TPDAUIEngineElementPage(e) { pageName = "pageHost"; }
    void OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage* p, TPDAUIEngineElement* par, TPDAUIEngineXml*,
                TFicheroITV*) override
    {
        std::string text = "<page id=\"pageHost\" layout=\"Absolute\" background=\"#000000\"/>";
        TPDAUIEngineXml node;
        node.Parse(&text[0]);
        TPDAUIEngineElementPage::OnLoad(e, p, par, &node, nullptr);
    }
    void OnCommand(TPDAUIEngineCommand& c) override
    {
        if (c.name != "load")
            c.handled = 0;
    }
};

// The application with a host page open on top; the page goes before the engine.
class Hosted : public ::testing::Test {
protected:
    Hosted()
    {
        host = new HostPage(app.ui);
        app.ui->OpenPage(host);
    }
    ~Hosted() override
    {
        app.ui->pages.RemoveAllEqual(host);
        delete host;
    }
    // Loads the control onto the page at that place.
    template <class T>
    T* Place(T* control, int left, int top, int width, int height)
    {
        host->AddChild(control, nullptr, nullptr);
        control->SetBounds(left, top, width, height);
        return control;
    }

    displaytest::DisplayApp app;
    HostPage* host = nullptr;
};

// The element painted alone on a background, for golden images.
inline std::unique_ptr<TDibIG> Snapshot(TPDAUIEngineElement* e, TColorIG background)
{
    auto dib = std::make_unique<TDibIG>();
    dib->Crea(e->width, e->height, 32);
    IDC dc;
    dc.BeginPaintDib(dib.get());
    dc.SetBrush(background);
    dc.SetPen(background);
    dc.Rectangle(0, 0, e->width, e->height);
    e->Paint(&dc, -e->left, -e->top);
    dc.EndPaintDib();
    return dib;
}

} // namespace graphtest
