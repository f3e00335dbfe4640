#include "platform/wince/TOrbetaAppWinCE.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "enginelib/base/CodePage.h"
#include "enginelib/draw/TSystemFonts.h"
#include "enginelib/nav/TConfig.h"
#include "platform/wince/TPDAUIEngineWinCE.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"
#include "wincore/WinApi.h"
#include "wincore/fonts/TSystemFontsFreeType.h"

namespace fs = std::filesystem;

namespace {

const char kClassName[] = "ZODIDEDORIRIDADO";

// Switches that only set modes are found anywhere in the command line.
bool HasSubstring(const DString& line, const char* what) { return !line.IsEmpty() && line.Contains(what); }

// The host as this program builds it: in skin-compiling mode a fatal skin error
// is reported to the compiler instead of ending the process.
class TOrbetaEngineWinCE : public TPDAUIEngineWinCE {
public:
    using TPDAUIEngineWinCE::TPDAUIEngineWinCE;
    void MessageBox(const char* text, const char* caption) override
    {
        if (skinCompiling) {
            lastMessage = text ? text : "";
            std::fprintf(stderr, "orbeta: %s\n", lastMessage.c_str());
            return;
        }
        TPDAUIEngineWinCE::MessageBox(text, caption);
    }
    void Terminate() override
    {
        if (skinCompiling) {
            terminated = true;
            TPDAUIEngine::Terminate();
            return;
        }
        TPDAUIEngineWinCE::Terminate();
    }
    std::string lastMessage;
    bool terminated = false;
};

std::string Narrow(const char16_t* text)
{
    std::string out;
    if (text)
        CodePage::FromUtf16(text, (int)std::char_traits<char16_t>::length(text), -1, out);
    return out;
}

bool IsPageFile(const fs::path& file)
{
    const std::string name = file.filename().string();
    if (file.extension() != ".xml" || name.size() < 5)
        return false;
    std::string lower;
    for (char c : name)
        lower += (char)std::tolower((unsigned char)c);
    return lower.rfind("page", 0) == 0;
}

} // namespace

bool TOrbetaAppWinCE::Init()
{
    if (FindWindowW(u"ZODIDEDORIRIDADO", nullptr)) {
        HWND running = FindWindowW(u"ZODIDEDORIRIDADO", nullptr);
        SetForegroundWindow((HWND)((uintptr_t)running | 1));
        return false;
    }
    engine.Inicializa0();
    // The system's fonts, for pages that name no font of the skin's.
    static TSystemFontsFreeType* systemFonts = new TSystemFontsFreeType();
    TSystemFonts::SetInstance(systemFonts);
    TConfig* cfg = engine.config;
    const int mode = cfg ? (int)cfg->screenMode : 2;
    const int fixedW = cfg ? (int)cfg->fixedWidth : 0, fixedH = cfg ? (int)cfg->fixedHeight : 0;
    const int fixedL = cfg ? (int)cfg->fixedLeft : -1, fixedT = cfg ? (int)cfg->fixedTop : -1;

    const bool compiling = HasSubstring(commandLine, "/compileskins");
    const bool inchVersion = HasSubstring(commandLine, "/inchversion");

    DString splash;
    if (!compiling)
        GetSplashImagePath(splash);
    const float scale = compiling ? 1.0f : cfg ? (float)cfg->uiScale : 1.0f;
    auto* host = new TOrbetaEngineWinCE(instance, kClassName, "Orbeta", mode, 0, scale, fixedW, fixedH, fixedL,
                                        fixedT, cfg ? (int)cfg->keyboardKind : 0);
    uiEngine = host;
    window = host->Window();
    if (cfg) {
        cfg->uiScale = host->skinSettings.uiScale;
        cfg->screenWidth = host->ScreenWidth();
        cfg->screenHeight = host->ScreenHeight();
    }
    engine.Inicializa2_hWnd(window, instance, window);

    host->skinCompiling = compiling ? 1 : 0;
    host->flagMemberA = inchVersion ? 1 : 0;
    if (compiling) {
        skinOverride = "default";
    }
    const bool ok = TOrbetaApp::Init();
    if (compiling) {
        if (ok)
            exitCode = CompileSkin() ? 0 : 1;
        else
            compileReport = "compileskins: the skin \"default\" does not load\n", exitCode = 1;
        std::printf("%s", compileReport.c_str());
        std::fflush(stdout);
        return false;
    }
    return ok;
}

bool TOrbetaAppWinCE::CompileSkin()
{
    auto* host = static_cast<TOrbetaEngineWinCE*>(uiEngine);
    std::error_code ec;
    const fs::path skins = host->skinsFolder.c_str();
    const std::string skin = host->skinSettings.skinName.c_str();
    const fs::path source = skins / skin;
    const fs::path target = skins / (skin + ".cskin");
    compileReport.clear();
    if (!fs::is_directory(source, ec)) {
        compileReport = "compileskins: " + source.string() + ": the skin folder is missing\n";
        return false;
    }
    fs::remove_all(target, ec);
    if (!fs::create_directories(target, ec)) {
        compileReport = "compileskins: " + target.string() + ": " + ec.message() + "\n";
        return false;
    }
    const uint8_t landscape = host->skinSettings.landscape;
    host->skinSettings.landscape = 0;  // each file as it stands, its variant by its own name
    int pages = 0, files = 0;
    bool ok = true;
    for (const fs::directory_entry& entry : fs::directory_iterator(source, ec)) {
        const fs::path file = entry.path();
        if (!entry.is_regular_file(ec))
            continue;
        if (!IsPageFile(file)) {
            fs::copy_file(file, target / file.filename(), fs::copy_options::overwrite_existing, ec);
            if (ec) {
                compileReport += "compileskins: " + file.string() + ": " + ec.message() + "\n";
                ok = false;
                break;
            }
            ++files;
            continue;
        }
        const std::string name = file.stem().string();
        host->lastMessage.clear();
        host->terminated = false;
        host->quit = 0;
        TPDAUIEngineElementPage page(host);
        page.LoadPage(host, nullptr, nullptr, name.c_str());
        const fs::path out = target / (name + ".cpage");
        if (host->terminated) {
            compileReport += "compileskins: " + file.string() + ": " +
                             (host->lastMessage.empty() ? std::string("the page does not load") : host->lastMessage) +
                             "\n";
            ok = false;
            break;
        }
        if (!page.WriteCompiled(out.string().c_str())) {
            compileReport += "compileskins: " + out.string() + ": cannot be written\n";
            ok = false;
            break;
        }
        ++pages;
    }
    host->skinSettings.landscape = landscape;
    host->quit = 0;
    if (ec && ok) {
        compileReport += "compileskins: " + source.string() + ": " + ec.message() + "\n";
        ok = false;
    }
    if (ok)
        compileReport = "compileskins: " + std::to_string(pages) + " compiled pages and " + std::to_string(files) +
                        " other files written to " + target.string() + " (scale 1.0)\n";
    else
        fs::remove_all(target, ec);
    return ok;
}

int OrbetaWinMain(HINSTANCE__* instance, HINSTANCE__*, const char16_t* commandLine, int)
{
    std::wstring wide;
    for (const char16_t* p = commandLine; p && *p; ++p)
        wide.push_back((wchar_t)*p);
    if (!TLumorGPSEngineInterface::Ejecuta_CmdLine(wide.c_str(), L"ZODIDEDORIRIDADO"))
        return 0;
    auto* app = new TOrbetaAppWinCE();
    app->instance = instance;
    app->commandLine = Narrow(commandLine).c_str();
    app->window = nullptr;
    if (app->Init())
        app->Run();
    const int code = app->exitCode;
    delete app;
    return code;
}
