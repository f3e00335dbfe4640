#pragma once
// The application object on the headless test engine: a program folder with the
// source skins under "symbols", the library's data from the source tree, the
// settings in memory, and every command the object runs recorded.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/TOrbetaApp.h"
#include "enginelib/nav/TConfig.h"
#include "support/TestEngine.h"
#include "support/TestPaths.h"

namespace apptest {

namespace fs = std::filesystem;

// Records what the application asks of the skin loader.
class RecordingEngine : public TestEngine {
public:
    using TestEngine::TestEngine;
    struct SkinLoad {
        std::string skin, theme1, theme2, option;
        std::vector<std::string> variants;
    };
    bool LoadSkin(DString& skinName, const CDString& theme1, const CDString& theme2, const CDString& option,
                  DString& errorText) override
    {
        SkinLoad l{skinName.c_str(), theme1.c_str(), theme2.c_str(), option.c_str(), {}};
        for (int i = 0; i < skinSettings.theme1.excludedImages.Count(); ++i)
            l.variants.push_back(skinSettings.theme1.excludedImages[i].c_str());
        skinLoads.push_back(l);
        if (failSkin) {
            errorText = "Invalid Skin, unable to open 'x' program will close.";
            return false;
        }
        return TestEngine::LoadSkin(skinName, theme1, theme2, option, errorText);
    }
    std::vector<SkinLoad> skinLoads;
    bool failSkin = false;
};

class TestApp : public TOrbetaApp {
public:
    struct Command {
        int id;
        std::string text;
    };
    TestApp(const std::string& folder, int width, int height)
    {
        programFolder = folder.c_str();
        engine.dataFolder.clear();
        engine.libraryFolder = testpaths::SourceDir() + "/enginelib/nav/data";
        ui = new RecordingEngine(width, height);
        uiEngine = ui;
        ui->keysEnabled = 0;
    }
    bool ExecuteCommand(int id, TPDAUIEngineCommand*, int, const char* text, const char*, int,
                        TPDAUIEngineElementPage*, const char*) override
    {
        commands.push_back({id, text ? text : ""});
        return commandAnswer;
    }
    void PlatformHook() override { ++hooks; }
    int InputTextForObject(const DString&, const DString&, TPDAUIEngineElement*, int, int) override
    {
        ++inputTextRequests;
        return 0;
    }
    int ShowMessageBox(const DString& message, const DString& title, int flags, int seconds, TCallbackLumor*,
                       const char*, const char*, const char*, const char*, const char*) override
    {
        boxes.push_back({message.c_str(), title.c_str(), flags, seconds});
        return messageBoxAnswer;
    }
    // The first stage as the platform part runs it before the common part.
    bool Start()
    {
        engine.Inicializa0();
        engine.Inicializa2_hWnd(nullptr, nullptr, nullptr);
        return Init();
    }
    std::vector<int> Ids() const
    {
        std::vector<int> ids;
        for (const Command& c : commands)
            ids.push_back(c.id);
        return ids;
    }

    RecordingEngine* ui;  // owned by the application object
    std::vector<Command> commands;
    bool commandAnswer = true;
    int hooks = 0;
    int inputTextRequests = 0;
    struct Box {
        std::string text, title;
        int flags, seconds;
    };
    std::vector<Box> boxes;
    int messageBoxAnswer = 6;
};

// A program folder: "symbols/skins" and "symbols/sounds" from the source tree,
// the default key map beside the program, and the application-data folder in
// the same temporary folder.
class AppTest : public ::testing::Test {
protected:
    AppTest()
    {
        const std::string src = testpaths::SourceDir();
        fs::create_directories(dir / "program/symbols");
        fs::create_directory_symlink(src + "/skins", dir / "program/symbols/skins");
        fs::create_directory_symlink(src + "/sounds", dir / "program/symbols/sounds");
        fs::copy_file(src + "/skins/default/ObKeys_D.cxml", dir / "program/ObKeys_D.cxml");
        const char* old = std::getenv("XDG_DATA_HOME");
        oldData_ = old ? old : "";
        hadData_ = old != nullptr;
        setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1);
    }
    ~AppTest() override
    {
        if (hadData_)
            setenv("XDG_DATA_HOME", oldData_.c_str(), 1);
        else
            unsetenv("XDG_DATA_HOME");
    }
    std::string ProgramFolder() const { return dir / "program"; }
    std::string AppData() const { return dir / "data/orbeta"; }

    testpaths::TempDir dir;

private:
    std::string oldData_;
    bool hadData_ = false;
};

} // namespace apptest
