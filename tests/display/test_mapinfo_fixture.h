#pragma once
// The next-manoeuvre, position, signpost, lane, scale and status controls on a
// page of their own, over the display's test application: the controls come
// from the application's factory and load their definitions from the default
// skin.
#include <string>

#include "display/display_test_app.h"
#include "enginelib/nav/TConfig.h"
#include "enginelib/nav/TDemoRoute.h"
#include "enginelib/nav/TSignPostPaint.h"
#include "enginelib/nav/TVisor_LumorGPSPocket.h"
#include "support/TestPaths.h"
#include "uiengine/core/TPDAUIEngineXml.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"

namespace mapinfotest {

// A page built from XML text, with the skin's stylesheet applied.
class XmlPage : public TPDAUIEngineElementPage {
public:
    XmlPage(TPDAUIEngine* e, const std::string& xml) : TPDAUIEngineElementPage(e), xml_(xml)
    {
        pageName = "pageMapInfoTest";
    }
    void OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage*, TPDAUIEngineElement* par, TPDAUIEngineXml*,
                TFicheroITV*) override
    {
        TPDAUIEngineXml root;
        std::string text = xml_;
        root.Parse(&text[0]);
        e->skinSettings.styleSheet.ApplyToXml(&root);
        TPDAUIEngineElementPage::OnLoad(e, this, par, &root, nullptr);
    }

private:
    std::string xml_;
};

// One control of a type at a place on a page of its own, opened on the engine.
class MapInfoTest : public ::testing::Test {
protected:
    // Signposts in the skin's font, so that their pictures do not depend on
    // where the program runs.
    MapInfoTest() { TSignPostPaint::SetFontFile(testpaths::SourceDir() + "/skins/default/DejaVuSans.ttf"); }
    ~MapInfoTest() override
    {
        if (page) {
            app.ui->pages.RemoveAllEqual(page);
            delete page;
        }
    }
    // Opens a page holding one control of type ("usercontrolLanes") with id
    // "ctl" at (left, top) of the given size; the control, or null.
    template <class T>
    T* Open(const char* type, int left, int top, int width, int height, const char* extra = "")
    {
        std::string xml = "<page id=\"pageMapInfoTest\" layout=\"Absolute\" background=\"#204060\">";
        xml += std::string("<usercontrol type=\"") + type + "\" id=\"ctl\" left=\"" + std::to_string(left) +
               "\" top=\"" + std::to_string(top) + "\" width=\"" + std::to_string(width) + "\" height=\"" +
               std::to_string(height) + "\" " + extra + "/></page>";
        page = new XmlPage(app.ui, xml);
        app.ui->OpenPage(page);
        return dynamic_cast<T*>(page->FindElement("ctl", false));
    }
    // The drive at a named event, plus metres along its leg.
    void AtEvent(const char* name, double metres = 0)
    {
        const double t = TDemoRoute::Get().EventTime(name, metres);
        ASSERT_GE(t, 0) << name;
        app.At(t);
    }
    // A field's value fixed for the test.
    void Force(int field, const char* text, double value = 0, void* object = nullptr)
    {
        TValCampo v;
        v.texto = text;
        v.valor = value;
        v.objeto = object;
        app.engine.fields.forced[field] = v;
    }
    // Moves the engine clock past the controls' once-a-second refresh and paints.
    const TDibIG& NextSecond()
    {
        app.ui->Advance(1100);
        return app.ui->Frame();
    }
    DString Translated(const char* id)
    {
        DString text(id);
        app.engine.Sustituye_Id_Idioma(text);
        return text;
    }
    TConfig& Config() { return *app.engine.config; }

    displaytest::DisplayApp app;
    XmlPage* page = nullptr;
};

} // namespace mapinfotest
