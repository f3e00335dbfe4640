// The program: "orbeta [switches and documents]". Without a display it runs
// headless for a few seconds of virtual time and can keep what it showed as PNG
// files (ORBETA_FRAMES names the folder, ORBETA_RUN_MS the virtual time).
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/wince/TOrbetaAppWinCE.h"
#include "wincore/WinApi.h"
#include "wincore/headless/THeadlessBackend.h"

namespace {

// argv joined as the device passes its command line: one text, arguments with
// spaces in quotes.
std::string CommandLine(int argc, char** argv)
{
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (!line.empty())
            line += ' ';
        const std::string a = argv[i];
        const bool quote = a.find(' ') != std::string::npos && a.front() != '"';
        line += quote ? "\"" + a + "\"" : a;
    }
    return line;
}

void WriteFrames(THeadlessBackend& headless, const std::string& folder)
{
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    int n = 0;
    const auto& frames = headless.Frames();
    for (size_t i = 0; i < frames.size(); ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "/frame%04zu_%06ums.png", i, (unsigned)frames[i].time);
        if (THeadlessBackend::WritePng(frames[i], folder + name, true))
            ++n;
    }
    std::fprintf(stderr, "orbeta: %d frames of %zu presented written to %s\n", n, headless.FrameCount(),
                 folder.c_str());
}

} // namespace

int main(int argc, char** argv)
{
    auto* headless = dynamic_cast<THeadlessBackend*>(&WinBackend());
    if (headless) {
        const char* ms = std::getenv("ORBETA_RUN_MS");
        headless->SetTimeLimit(ms && *ms ? (uint32_t)std::strtoul(ms, nullptr, 10) : 8000u);
    }
    const std::u16string wide = WinFromUtf8(CommandLine(argc, argv));
    const int code = OrbetaWinMain(nullptr, nullptr, wide.c_str(), 1);
    const char* frames = std::getenv("ORBETA_FRAMES");
    if (headless && frames && *frames)
        WriteFrames(*headless, frames);
    return code;
}
