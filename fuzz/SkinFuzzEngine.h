#pragma once
// The engine that the page and skin fuzz targets drive: no window, 800 x 480,
// skins in the folder given, the label and button tags registered, user controls made for any "usercontrol" tag, and text drawn by
// the FreeType system-font service with the default skin's DejaVu fonts.
// Its clock is virtual, so a run repeats exactly.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "enginelib/base/Tick.h"
#include "app/TUserControlFactory.h"
#include "enginelib/draw/TSystemFonts.h"
#include "tests/support/InnerPages.h"
#include "tests/support/QuietEngine.h"
#include "uiengine/controls/RegisterControls.h"
#include "uiengine/elements/TPDAUIEngineElementFactory.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"
#include "uiengine/elements/TPDAUIEngineElementUserControl.h"
#include "wincore/fonts/TSystemFontsFreeType.h"

class SkinFuzzEngine : public QuietEngine {
public:
    explicit SkinFuzzEngine(const std::string& skins)
    {
        SetTickSource([this] { return clock_; });
        startTick = clock_ - 1000;
        static TSystemFontsFreeType* fonts = new TSystemFontsFreeType();
        TSystemFonts::SetInstance(fonts);
        RegisterControlElements(&TPDAUIEngineElementFactory::RegisterTag);
        OnResize(0, 0, 800, 480);
        skinsFolder = skins.c_str();
        tempFolder = skins.c_str();
        callbacks.userControlFactory = &MakeUserControl;
    }
    ~SkinFuzzEngine() override { SetTickSource(nullptr); }

    // A page of the application: it loads its skin page by name.
    class Page : public TPDAUIEngineElementPage {
    public:
        Page(TPDAUIEngine* e, const char* name) : TPDAUIEngineElementPage(e), skinPage(name) {}
        void OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage*, TPDAUIEngineElement* par, TPDAUIEngineXml*,
                    TFicheroITV*) override
        {
            LoadPage(e, nullptr, par, skinPage.c_str());
        }
        std::string skinPage;
    };

    // Opens the page, lays it out and paints it; gives each of its first few
    // IFrames an inner page, as the application does; taps it at a few points
    // and lets the timers run once; closes it again.
    void Exercise(Page& page, const char* innerPage)
    {
        quit = 0;
        OpenPage(&page);
        OpenInnerPages(this, &page, [&](TPDAUIEngineElementIFrame*) { return new Page(this, innerPage); }, 4);
        Paint();
        // A long press, then drags.
        OnPointerDown(400, 240, 0);
        for (int i = 0; i < 3; ++i) {
            clock_ += 300;
            ProcessTimers();
        }
        OnPointerUp(400, 240, 0);
        const int points[][2] = {{10, 10}, {790, 470}, {200, 400}};
        for (const auto& p : points) {
            OnPointerDown(p[0], p[1], 0);
            OnPointerMove(p[0] + 20, p[1] + 30, 0);
            OnPointerUp(p[0] + 20, p[1] + 30, 0);
        }
        OnKeyDown(0x28);
        OnKeyUp(0x28);
        clock_ += 700;
        ProcessTimers();
        Paint();
        if (!ClosePage(&page, false)) {
            page.Detach();
            pages.RemoveAllEqual(&page);
        }
        CloseFinishedPages();
    }

private:
    static TPDAUIEngineElement* MakeUserControl(void*, const char* tag)
    {
        // The live-data controls come from the application's factory; without an
        // application they have nothing live to show.
        if (TPDAUIEngineElement* made = TUserControlFactory::FuncCreateUserControlElementByNameCallBack(nullptr, tag))
            return made;
        auto* control = new TPDAUIEngineElementUserControl();
        control->tag = tag;
        return control;
    }

    uint32_t clock_ = 0x10000;
};
