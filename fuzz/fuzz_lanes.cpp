// The lane text the library gives the lane control, taken as outside text:
// shortening, widths and a whole paint stay inside the text and the picture.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/TOrbetaApp.h"
#include "display/usercontrols/TUserControlLanes.h"
#include "enginelib/draw/IDC.h"
#include "tests/support/QuietEngine.h"
#include "tests/support/TestPaths.h"

namespace {

class FuzzApp : public TOrbetaApp {
public:
    void PlatformHook() override {}
};

struct Setup {
    Setup()
    {
        app.engine.libraryFolder = testpaths::SourceDir() + "/enginelib/nav/data";
        app.engine.Inicializa0();
        app.engine.Inicializa2_hWnd(nullptr, nullptr, nullptr);
        DString error;
        app.engine.Inicializa1(error);
        app.engine.Inicializa2(error);
        app.uiEngine = &engine;
        dc.SetSize(400, 60);
        lanes = new TUserControlLanes(&app);
        lanes->SetBounds(0, 0, 400, 40);
    }
    QuietEngine engine;
    FuzzApp app;
    IDCdir dc;
    TUserControlLanes* lanes = nullptr;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Setup* setup = new Setup();
    const std::string input(reinterpret_cast<const char*>(data), size);
    const DString text(input.c_str(), (int)input.size());

    const DString shortened = TUserControlLanes::ShortenLaneText(text);
    const int body = (int)input.size() - (!input.empty() && input[0] == '#' ? 1 : 0);
    // Shortening never lengthens a text; a short one stays as it is.
    if (shortened.Length() > body || (body <= 10 && shortened.Length() != body))
        std::abort();
    const int width = TUserControlLanes::LaneTextWidth(shortened);
    if (width < 0 || width > 32 * shortened.Length())
        std::abort();

    TValCampo distance, lanesText;
    distance.valor = 100;
    lanesText.texto = text;
    setup->app.engine.fields.forced[300] = distance;
    setup->app.engine.fields.forced[364] = lanesText;
    setup->lanes->Paint(&setup->dc, 0, 0);
    return 0;
}
