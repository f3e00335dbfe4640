#pragma once
#include <string>

#include "app/TOrbetaApp.h"

// The application object on the window system: the single-instance check, the
// library's first stage, the UI engine with its window, then the common start-up.
class TOrbetaAppWinCE : public TOrbetaApp {
public:
    TOrbetaAppWinCE() = default;
    ~TOrbetaAppWinCE() override = default;

    bool Init() override;
    void PlatformHook() override {}

    // "/compileskins": writes every page of the loaded skin as a compiled page
    // into "<skin>.cskin" beside it, with the skin's other files. false names the
    // file and the reason in compileReport.
    bool CompileSkin();

    // The process's exit code: 0, or 1 when compiling failed.
    int exitCode = 0;
    // What "/compileskins" wrote, or why it stopped.
    std::string compileReport;
};

// The program's entry: the command line as the device gives it.
int OrbetaWinMain(HINSTANCE__* instance, HINSTANCE__* previous, const char16_t* commandLine, int show);
