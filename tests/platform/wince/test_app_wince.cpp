// The application object on the window system: one instance at a time, the UI
// engine made from the settings, and "/compileskins" on a small skin.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "enginelib/nav/TConfig.h"
#include "platform/wince/TOrbetaAppWinCE.h"
#include "platform/wince/TPDAUIEngineWinCE.h"
#include "support/TestPaths.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"
#include "wincore/WinApi.h"
#include "wincore/headless/THeadlessBackend.h"

namespace appwince {
namespace {

namespace fs = std::filesystem;

class App : public TOrbetaAppWinCE {
public:
    App(const std::string& folder, const char* line)
    {
        programFolder = folder.c_str();
        commandLine = line;
        engine.dataFolder.clear();
        engine.libraryFolder = testpaths::SourceDir() + "/enginelib/nav/data";
        engine.config = new TConfig("");
    }
    bool Called(const std::string& what) const
    {
        const auto& c = engine.recorder.calls;
        return std::find(c.begin(), c.end(), what) != c.end();
    }
};

// A program folder whose default skin is a copy of the fixture skin; a headless
// backend and single-instance locks of this test alone.
class AppWinCETest : public ::testing::Test {
protected:
    AppWinCETest()
    {
        const fs::path skin = fs::path(dir.path()) / "program/symbols/skins/default";
        fs::create_directories(skin);
        fs::copy(testpaths::Fixture("skins/fixture"), skin, fs::copy_options::recursive);
        fs::create_directories(dir / "locks");
        WinSetLockFolder(dir / "locks");
        setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1);
        auto made = std::make_unique<THeadlessBackend>(800, 480);
        backend = made.get();
        backend->SetTimeLimit(2000);
        WinUseBackend(std::move(made));
        TPDAUIEngineWinCE::SetProcessEndHook([](int) {});
    }
    ~AppWinCETest() override
    {
        WinUseBackend(nullptr);
        TPDAUIEngineWinCE::SetProcessEndHook(nullptr);
        unsetenv("XDG_DATA_HOME");
    }
    std::string Program() const { return dir / "program"; }
    // A program folder whose skins are the source tree's, with the default key map.
    fs::path DefaultSkinProgram(const char* name) const
    {
        const fs::path program = fs::path(dir.path()) / name;
        fs::create_directories(program / "symbols");
        fs::create_directory_symlink(testpaths::SourceDir() + "/skins", program / "symbols/skins");
        fs::copy_file(testpaths::SourceDir() + "/skins/default/ObKeys_D.cxml", program / "ObKeys_D.cxml");
        return program;
    }

    testpaths::TempDir dir;
    THeadlessBackend* backend = nullptr;
};

TEST_F(AppWinCETest, SecondInstanceRaisesTheFirstAndLeavesTheLibraryAlone)
{
    App first(Program(), "/compileskins");
    first.Init();  // compiles and keeps its window
    ASSERT_NE(nullptr, first.window);
    const int raised = backend->RaiseCount();

    App second(Program(), "");
    EXPECT_FALSE(second.Init());
    EXPECT_EQ(raised + 1, backend->RaiseCount());
    EXPECT_FALSE(second.Called("Inicializa0"));
    EXPECT_EQ(nullptr, second.uiEngine);
}

TEST_F(AppWinCETest, CompileSkinsWritesEveryPageAtScaleOneAndTheSkinLoadsCompiled)
{
    App app(Program(), "x /compileskins y");
    app.engine.config->uiScale = 2.0f;
    EXPECT_FALSE(app.Init());  // the program ends after compiling
    ASSERT_NE(nullptr, app.uiEngine);
    EXPECT_EQ(1.0f, app.uiEngine->skinSettings.uiScale);
    EXPECT_EQ(1, app.uiEngine->skinCompiling);
    EXPECT_EQ(0, app.exitCode) << app.compileReport;
    EXPECT_EQ(nullptr, app.mainPage);
    EXPECT_EQ(nullptr, app.splashPage);

    const fs::path compiled = fs::path(Program()) / "symbols/skins/default.cskin";
    int pages = 0;
    for (const auto& e : fs::directory_iterator(fs::path(Program()) / "symbols/skins/default")) {
        const std::string name = e.path().filename().string();
        const bool page = name.rfind("page", 0) == 0 && e.path().extension() == ".xml";
        if (page) {
            ++pages;
            EXPECT_TRUE(fs::exists(compiled / (e.path().stem().string() + ".cpage"))) << name;
            EXPECT_FALSE(fs::exists(compiled / name)) << name;
        } else {
            EXPECT_TRUE(fs::exists(compiled / name)) << name;
        }
    }
    EXPECT_GT(pages, 3);
    EXPECT_NE(std::string::npos, app.compileReport.find(std::to_string(pages) + " compiled pages")) << app.compileReport;

    // The compiled skin loads by its name, and its page builds from the compiled form.
    DString skin("default.cskin"), error;
    app.uiEngine->skinCompiling = 0;
    ASSERT_TRUE(app.uiEngine->LoadSkin(skin, "", "", "", error)) << error.c_str();
    EXPECT_EQ(1, app.uiEngine->skinSettings.compiledSkin);
    TPDAUIEngineElementPage page(app.uiEngine);
    page.LoadPage(app.uiEngine, nullptr, nullptr, "pageFixture");
    EXPECT_GT(page.children.Count(), 0);
}

TEST_F(AppWinCETest, CompileFailureNamesTheFileAndWritesNoSkin)
{
    std::ofstream(fs::path(Program()) / "symbols/skins/default/pageBroken.xml") << "";
    App app(Program(), "/compileskins");
    EXPECT_FALSE(app.Init());
    EXPECT_EQ(1, app.exitCode);
    EXPECT_NE(std::string::npos, app.compileReport.find("pageBroken.xml")) << app.compileReport;
    EXPECT_FALSE(fs::exists(fs::path(Program()) / "symbols/skins/default.cskin"));
}

TEST_F(AppWinCETest, EngineIsMadeFromTheSettingsAndWritesItsSizeBack)
{
    App app(Program(), "/inchversion");
    app.engine.config->uiScale = 1.0f;
    app.engine.config->fixedWidth = 640;
    app.engine.config->fixedHeight = 400;
    EXPECT_TRUE(app.Init());  // the splash page's loop ends with the backend's time limit
    ASSERT_NE(nullptr, app.uiEngine);
    EXPECT_EQ(0, app.uiEngine->skinCompiling);
    EXPECT_EQ(1, app.uiEngine->flagMemberA);
    EXPECT_EQ(640, (int)app.engine.config->screenWidth);
    EXPECT_EQ(400, (int)app.engine.config->screenHeight);
    EXPECT_TRUE(app.Called("Inicializa2_hWnd"));
    EXPECT_EQ(1, app.uiEngine->modalLoopAvailable);
}

// The real start-up on the default skin: the splash page's timer starts the
// library, the main page follows, and the run ends when the window goes.
TEST_F(AppWinCETest, StartUpRunsSplashEngineAndMainPageAndEndsWithTheWindow)
{
    const fs::path program = DefaultSkinProgram("real");
    backend->SetTimeLimit(3000);

    App app(program.string(), "");
    ASSERT_TRUE(app.Init());
    // The splash page ran the second stage and closed.
    EXPECT_TRUE(app.Called("Inicializa2"));
    EXPECT_TRUE(app.Called("SetCallBack_IsAppVisible"));
    EXPECT_EQ(0, app.uiEngine->quit);
    EXPECT_TRUE(app.usbThread.joinable());
    const size_t splashFrames = backend->FrameCount();
    EXPECT_GT(splashFrames, 0u);

    EXPECT_FALSE(app.Run());
    EXPECT_EQ(nullptr, app.splashPage);
    EXPECT_EQ(1, app.uiEngine->quit);  // the window was destroyed at the time limit
    EXPECT_GT(backend->FrameCount(), splashFrames);
    app.StopUsbWatcher();
    EXPECT_FALSE(app.usbThread.joinable());
    EXPECT_TRUE(backend->MessageBoxes().empty());
}

// Quitting through the library's quit command ends the main page's loop well
// before the backend's time limit, and the shut-down joins the USB watcher.
TEST_F(AppWinCETest, QuitCommandEndsTheRun)
{
    const fs::path program = DefaultSkinProgram("quit");
    backend->SetTimeLimit(600000);

    const uint32_t start = backend->Now();
    auto app = std::make_unique<App>(program.string(), "");
    ASSERT_TRUE(app->Init());
    app->PostEngineCommand(675, nullptr);
    EXPECT_FALSE(app->Run());
    EXPECT_EQ(1, app->uiEngine->quit);
    EXPECT_TRUE(app->Called("may quit 3"));
    EXPECT_LT(backend->Now() - start, 60000u);  // not the time limit
    app.reset();                            // shut-down: Close, pages, engine, USB thread
    EXPECT_TRUE(backend->MessageBoxes().empty());
}

// The main page drawn from the compiled default skin is the one drawn from its XML.
TEST_F(AppWinCETest, CompiledDefaultSkinShowsTheSameMainPage)
{
    const fs::path program = fs::path(dir.path()) / "copy";
    fs::create_directories(program / "symbols");
    fs::copy(testpaths::SourceDir() + "/skins", program / "symbols/skins", fs::copy_options::recursive);
    fs::copy_file(testpaths::SourceDir() + "/skins/default/ObKeys_D.cxml", program / "ObKeys_D.cxml");
    {
        App compiler(program.string(), "/compileskins");
        EXPECT_FALSE(compiler.Init());
        ASSERT_EQ(0, compiler.exitCode) << compiler.compileReport;
    }
    auto run = [&](const char* skin, THeadlessBackend::Frame& last, bool& compiledSkin) {
        auto made = std::make_unique<THeadlessBackend>(800, 480);
        THeadlessBackend* b = made.get();
        b->SetTimeLimit(1500);
        WinUseBackend(std::move(made));
        App app(program.string(), "");
        app.engine.config->skinName = skin;
        ASSERT_TRUE(app.Init());
        app.Run();
        compiledSkin = app.uiEngine->skinSettings.compiledSkin != 0;
        ASSERT_NE(nullptr, b->LastFrame());
        last = *b->LastFrame();
    };
    THeadlessBackend::Frame fromXml, fromCompiled;
    bool compiledA = true, compiledB = false;
    run("default", fromXml, compiledA);
    run("default.cskin", fromCompiled, compiledB);
    EXPECT_FALSE(compiledA);
    EXPECT_TRUE(compiledB);
    ASSERT_EQ(fromXml.width, fromCompiled.width);
    ASSERT_EQ(fromXml.height, fromCompiled.height);
    int differing = 0;
    for (size_t i = 0; i < fromXml.pixels.size() && i < fromCompiled.pixels.size(); ++i)
        differing += fromXml.pixels[i] != fromCompiled.pixels[i];
    EXPECT_EQ(0, differing);
    // And the frame shows something: the page's background is no flat fill.
    ASSERT_FALSE(fromXml.pixels.empty());
    EXPECT_NE(fromXml.pixels.front(), fromXml.pixels.back());
}

} // namespace
} // namespace appwince
