// The initial-steps setting and the last-destination text, as the settings file
// gives them, driven by a random series of navigation commands: the current step
// never leaves the list, and a finished list is written back whole.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "app/TOrbetaApp.h"
#include "app/pages/TPageInitialSteps.h"
#include "enginelib/nav/TConfig.h"
#include "tests/support/QuietEngine.h"
#include "tests/support/TestPaths.h"

namespace {

class FuzzApp : public TOrbetaApp {
public:
    void PlatformHook() override {}
    // No pages here: a question or a command opens nothing.
    int ShowMessageBox(const DString&, const DString&, int, int, TCallbackLumor*, const char*, const char*,
                       const char*, const char*, const char*) override
    {
        return 0;
    }
    bool ExecuteCommand(int, TPDAUIEngineCommand*, int, const char*, const char*, int, TPDAUIEngineElementPage*,
                        const char*) override
    {
        return false;
    }
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
    }
    QuietEngine engine;
    FuzzApp app;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Setup* setup = new Setup();
    FuzzApp& app = setup->app;
    app.engine.recorder.calls.clear();
    app.engine.recorder.log.clear();

    // Line 1: the steps; line 2: the last destination; then one command a line.
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> lines;
    size_t from = 0;
    while (from <= input.size() && lines.size() < 64) {
        size_t end = input.find('\n', from);
        if (end == std::string::npos)
            end = input.size();
        lines.push_back(input.substr(from, end - from));
        from = end + 1;
    }
    app.engine.config->lastDestination = lines.size() > 1 ? lines[1].c_str() : "";
    app.engine.config->secondDestination = "second.gpx";

    auto* page = new TPageInitialSteps(&app, DString(lines[0].c_str()));
    setup->engine.pages.Add(page);
    const auto check = [&] {
        if (page->currentStep < -1 || page->currentStep > page->steps.Count())
            __builtin_trap();
    };
    TPDAUIEngineCommand load(page, "load");
    page->OnCommand(load);
    check();
    for (size_t i = 2; i < lines.size(); ++i) {
        TPDAUIEngineCommand command(page, lines[i].c_str());
        command.result = (unsigned char)(i & 1);
        page->OnCommand(command);
        check();
    }
    if (page->closing) {
        std::string joined;
        for (int i = 0; i < page->steps.Count(); ++i)
            joined += (i ? "," : "") + std::string(page->steps[i].c_str());
        if (joined != app.engine.config->initialSteps.c_str())
            __builtin_trap();
    }
    (void)TPageInitialSteps::PlaceName(&app, DString(lines.size() > 1 ? lines[1].c_str() : ""));
    setup->engine.pages.RemoveAll();
    delete page;
    return 0;
}
