#pragma once
// The application object on the headless test engine with the default skin,
// the started library stand-in, every control registered and the application's
// user-control factory in place: what the display's gadgets, user controls and
// pages run on in tests. The simulated drive is on manual time (SetTime).
#include "app/TUserControlFactory.h"
#include "app/exec_test_app.h"
#include "enginelib/nav/TNavSimulation.h"
#include "enginelib/nav/TSignPostPaint.h"
#include "enginelib/nav/TVisor_LumorGPSPocket.h"
#include "uiengine/controls/RegisterControls.h"

namespace displaytest {

class DisplayApp : public exectest::ExecApp {
public:
    DisplayApp()
    {
        RegisterControlElements(&TPDAUIEngineElementFactory::RegisterTag);
        ui->callbacks.userControlFactory = TUserControlFactory::FuncCreateUserControlElementByNameCallBack;
        if (engine.simulation)
            engine.simulation->SetTime(0);
        // The library's font as the program installs it beside the library's data.
        const std::string font = testpaths::SourceDir() + "/DejaVuSans.ttf";
        if (engine.visor)
            engine.visor->fontFile = font;
        TSignPostPaint::SetFontFile(font);
    }
    // Simulated seconds since the start of the drive.
    void At(double seconds)
    {
        if (engine.simulation)
            engine.simulation->SetTime(seconds);
    }
};

} // namespace displaytest
