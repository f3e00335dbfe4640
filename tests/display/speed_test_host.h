#pragma once
// A page made from XML text in the test, holding user controls of the default
// skin, on the display test application; fields are forced per test.
#include <cmath>
#include <string>
#include <vector>

#include "display/display_test_app.h"
#include "enginelib/nav/TConfig.h"
#include "uiengine/core/TPDAUIEngineXml.h"

namespace speedtest {

class HostPage : public TPDAUIEngineElementPage {
public:
    HostPage(TPDAUIEngine* e, const std::string& xml) : TPDAUIEngineElementPage(e), xml_(xml)
    {
        pageName = "pageSpeedHost";
    }
    void OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage*, TPDAUIEngineElement* par, TPDAUIEngineXml*,
                TFicheroITV*) override
    {
        std::string text = xml_;
        TPDAUIEngineXml root;
        root.Parse(&text[0]);
        e->skinSettings.styleSheet.ApplyToXml(&root);
        TPDAUIEngineElementPage::OnLoad(e, this, par, &root, nullptr);
    }
    void OnCommand(TPDAUIEngineCommand& c) override
    {
        if (c.name != "load")
            got.push_back(c.name.c_str());
    }
    std::vector<std::string> got;

private:
    std::string xml_;
};

// The application with one host page on the stack.
class Host {
public:
    // before runs ahead of the page's opening (settings read on first use).
    explicit Host(const std::string& body, void (*before)(displaytest::DisplayApp&) = nullptr)
    {
        if (before)
            before(app);
        std::string xml = "<page id=\"pageSpeedHost\" layout=\"Vertical\">" + body + "</page>";
        page = new HostPage(app.ui, xml);
        app.ui->OpenPage(page);
    }
    ~Host()
    {
        // Let the engine take down what it owns above the host (alert pages).
        for (int i = 0; i < 20 && app.ui->GetTopPage() != page && app.ui->GetPageCount() > 0; ++i) {
            if (!app.ui->GetTopPage()->closing)
                app.ui->GetTopPage()->Close(0);
            app.ui->Advance(60);
        }
        app.ui->pages.RemoveAllEqual(page);
        delete page;
    }
    template <class T>
    T* Find(const char* id)
    {
        return dynamic_cast<T*>(page->FindElement(id, false));
    }
    void Force(int field, double value, const char* text = nullptr, bool alarm = false,
               TEnumUnidades units = UnidadNinguna)
    {
        TValCampo v;
        v.valor = value;
        if (text) {
            v.texto = text;
        } else if (std::isfinite(value) && std::fabs(value) < 2147483647.0) {
            v.texto << (int)value;
        } else {
            v.texto = "-";
        }
        v.alarma = alarm;
        v.unidades = units;
        app.engine.fields.forced[field] = v;
    }
    void Unforce(int field) { app.engine.fields.forced.erase(field); }
    // Paints the whole screen now.
    void Paint() { app.ui->Frame(); }
    // Pixels of an element's screen rectangle, after a paint.
    std::vector<uint32_t> Pixels(TPDAUIEngineElement* e)
    {
        std::vector<uint32_t> out;
        const TRectIG r = e->GetScreenRect();
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                out.push_back(app.ui->PixelAt(x, y));
        return out;
    }
    // Pixels within a rectangle that pass a test.
    template <class F>
    int Count(const TRectIG& r, F test)
    {
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                if (test(app.ui->PixelAt(x, y)))
                    ++n;
        return n;
    }

    displaytest::DisplayApp app;
    HostPage* page = nullptr;
};

// Red as the alarm colour and the badge come out in RGB565.
inline bool IsRed(TColorIG c) { return c.R() > 200 && c.G() < 40 && c.B() < 40; }

} // namespace speedtest
