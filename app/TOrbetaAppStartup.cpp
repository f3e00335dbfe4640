#include <string>

#include "app/TOrbetaApp.h"
#include "app/TOrbetaAppCallbacks.h"
#include "app/pages/TPageMain.h"
#include "enginelib/base/CodePage.h"
#include "enginelib/nav/TConfig.h"
#include "enginelib/nav/TVectorComandas.h"
#include "uiengine/core/TPDAUIEngine.h"
#include "wincore/WinApi.h"

namespace {

const char kProgramVersion[] = "_Version__2.6.1";

// The library must have been built with the structures this program was built
// with; a mismatch is logged value by value.
bool CheckLibraryBuild(TLumorGPSEngineInterface& e, DString& errorText)
{
    const struct {
        const char* label;
        int reported;
        int expected;
    } sizes[] = {{"datos: ", e.GetSizeofDatos(), 2496},
                 {"visor: ", e.GetSizeofVisor(), 4664},
                 {"engineinterface: ", e.GetSizeofEngineInterface(), 80},
                 {"temps utc: ", e.GetSizeofTempsUTC(), 28},
                 {"config: ", e.GetSizeofConfig(), 20248}};
    const int mask = e.CalcMaskDefineC();
    bool same = mask == 282;
    for (const auto& s : sizes)
        same = same && s.reported == s.expected;
    if (same) {
        const char* reported = e.GetVersionAppDll();
        if (std::string(reported ? reported : "") != kProgramVersion) {
            errorText = "Incorrect dll-exe versions";
            return false;
        }
        return e.Inicializa1(errorText);
    }
    std::string line = "Error sizeof dll ";
    for (const auto& s : sizes)
        if (s.reported != s.expected)
            line += std::string(s.label) + std::to_string(s.reported) + ":" + std::to_string(s.expected);
    if (mask != 282)
        line += "mask 1:" + std::to_string(282) + " 2: " + std::to_string(mask);
    e.Log(line.c_str(), true);
    errorText = "sizeof error dll";
    return false;
}

} // namespace

bool TOrbetaApp::InitEngine()
{
    if (!uiEngine)
        return false;
    TPDAUIEngine& ui = *uiEngine;
    DString error;
    if (!CheckLibraryBuild(engine, error)) {
        DString text("Error: ");
        text << error;
        ui.MessageBox(text.c_str(), ui.skinSettings.applicationName.c_str());
        return false;
    }
    ui.skinSettings.rightToLeft = engine.GetIdioma_IsRightToLeft() ? 1 : 0;
    ui.skinSettings.applicationName = engine.Get_Idioma_GPS(1);

    error.Empty();
    if (!engine.Inicializa2(error)) {
        ui.MessageBox(error.c_str(), ui.skinSettings.applicationName.c_str());
        return false;
    }
    RegisterEngineCallbacks(*this);
    for (TVectorComandas* tree : engine.trees)
        if (tree)
            tree->Lee();

    ui.RegisterNativeMessage(537, "WM_SD_CHANGED", mainPage);
    const UINT powerButton = RegisterWindowMessageW(u"WM_PWBCLICKED");
    ui.RegisterNativeMessage((int)powerButton, "WM_CLOSE", mainPage);
    engine.RegisterPowerOff(powerButton);

    usbSignalled = 0;
    StartUsbWatcher();

    const wchar_t* keyboards = engine.GetCountryKeyboard();
    if (keyboards && *keyboards) {
        std::u16string wide;
        for (const wchar_t* p = keyboards; *p; ++p)
            wide.push_back((char16_t)*p);
        std::string text;
        if (CodePage::FromUtf16(wide.c_str(), (int)wide.size(), -1, text))
            ui.keyboardLayouts = text.c_str();
    }
    ui.flagMemberB = engine.config && engine.config->mapContextMenu ? 1 : 0;  // can show context menus
    ui.integerMemberB = 1;  // connected to the library
    ui.keysEnabled = 1;
    return true;
}
