#pragma once
// The application object and the headless engine the page tests share.
//
// PagesApp is a TOrbetaApp whose start-up stage, dialogs and command executor
// are recorded instead of run, with a library facade started in memory.
// PagesHarness is the headless engine on the default skin with that
// application; it deletes whatever pages are left on the stack at the end.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "app/TOrbetaApp.h"
#include "enginelib/nav/TConfig.h"
#include "enginelib/nav/TVisor_LumorGPSPocket.h"
#include "enginelib/nav/nav_fixture.h"
#include "support/TestEngine.h"
#include "support/TestPaths.h"
#include "uiengine/controls/RegisterChecks.h"
#include "uiengine/controls/RegisterLabelAndButton.h"
#include "uiengine/controls/RegisterLists.h"
#include "uiengine/controls/RegisterMenu.h"
#include "uiengine/core/TPDAUIEngineCommand.h"
#include "uiengine/elements/TPDAUIEngineElementFactory.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"

namespace pagestest {

class PagesApp : public TOrbetaApp {
public:
    struct Executed {
        int id;
        std::string text;
        int number, value;
        std::string reply;  // the reply record's name, "" without one
    };
    struct Box {
        std::string text, caption, closeCommand;
        int flags;
    };

    PagesApp()
    {
        navtest::InMemory(engine);
        EXPECT_TRUE(navtest::Start(engine));
    }
    // The test owns the engine and the pages.
    ~PagesApp() override
    {
        uiEngine = nullptr;
        mainPage = nullptr;
        splashPage = nullptr;
    }

    void PlatformHook() override {}

    bool InitEngine() override
    {
        ++initEngineCalls;
        if (duringInitEngine)
            duringInitEngine();
        return initEngineResult;
    }

    DString& GetSplashImagePath(DString& path) override
    {
        path = splashPath.c_str();
        return path;
    }

    // A modeless box: the test's box page (when it makes one) is opened above the
    // caller with the close command, as the message box page would be.
    int ShowMessageBox(const DString& message, const DString& title, int flags, int, TCallbackLumor*,
                       const char* closeCommand, const char*, const char*, const char*, const char*) override
    {
        boxes.push_back({message.c_str(), title.c_str(), closeCommand ? closeCommand : "", flags});
        if (makeBoxPage && uiEngine) {
            TPDAUIEngineElementPage* page = makeBoxPage();
            page->replyCommand = TPDAUIEngineCommand(page, closeCommand ? closeCommand : "");
            uiEngine->OpenPage(page);
        }
        return 0;
    }

    // As the library route answers: the result goes into the reply, which the
    // source receives when it is the top page.
    bool ExecuteCommand(int id, TPDAUIEngineCommand* reply, int number, const char* text, const char*,
                        int value, TPDAUIEngineElementPage*, const char*) override
    {
        executed.push_back({id, text ? text : "", number, value, reply ? reply->name.c_str() : ""});
        if (makeCommandPage && uiEngine)
            uiEngine->OpenPage(makeCommandPage());  // a page that sends no reply
        if (reply && answerCommands && uiEngine) {
            reply->result = commandResult ? 1 : 0;
            if (reply->target && reply->target == uiEngine->GetTopPage())
                reply->target->OnCommand(*reply);
        }
        return commandResult;
    }

    int initEngineCalls = 0;
    bool initEngineResult = true;
    std::function<void()> duringInitEngine;
    std::string splashPath;
    std::vector<Box> boxes;
    std::function<TPDAUIEngineElementPage*()> makeBoxPage;
    std::vector<Executed> executed;
    std::function<TPDAUIEngineElementPage*()> makeCommandPage;
    bool answerCommands = true;
    bool commandResult = true;
};

// A page on a skin page of the default skin that records the commands it gets.
class RecordingPage : public TPDAUIEngineElementPage {
public:
    RecordingPage(TPDAUIEngine* engine, const char* skinPage = nullptr)
        : TPDAUIEngineElementPage(engine), skinPage_(skinPage)
    {
    }
    void OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage*, TPDAUIEngineElement* par, TPDAUIEngineXml*,
                TFicheroITV*) override
    {
        if (skinPage_)
            LoadPage(e, nullptr, par, skinPage_);
        else
            TPDAUIEngineElementPage::OnLoad(e, this, par, nullptr, nullptr);
    }
    void OnCommand(TPDAUIEngineCommand& command) override
    {
        received.push_back(command.name.c_str());
        results.push_back(command.result);
    }
    bool Received(const std::string& name) const
    {
        return std::find(received.begin(), received.end(), name) != received.end();
    }
    std::vector<std::string> received;
    std::vector<int> results;

private:
    const char* skinPage_;
};

inline void RegisterControls()
{
    RegisterLabelAndButtonElements(&TPDAUIEngineElementFactory::RegisterTag);
    RegisterMenuElements(&TPDAUIEngineElementFactory::RegisterTag);
    RegisterListElements(&TPDAUIEngineElementFactory::RegisterTag);
    RegisterCheckElements(&TPDAUIEngineElementFactory::RegisterTag);
}

class PagesHarness : public ::testing::Test {
protected:
    PagesHarness()
    {
        RegisterControls();
        app.uiEngine = &engine;
    }
    ~PagesHarness() override { ClearStack(); }

    // Loads a skin from skinsFolder (the source tree's skins by default).
    void LoadSkin(const char* name = "default")
    {
        if (engine.skinsFolder.IsEmpty())
            engine.skinsFolder = (testpaths::SourceDir() + "/skins").c_str();
        DString skin(name), error;
        ASSERT_TRUE(engine.LoadSkin(skin, "", "", "", error)) << error.c_str();
    }

    // Pages the engine does not own (shown modally, or kept by the test) are
    // deleted by the test; the rest are the engine's.
    void ClearStack()
    {
        while (engine.GetPageCount()) {
            TPDAUIEngineElementPage* top = engine.GetTopPage();
            engine.pages.Remove(engine.GetPageCount() - 1);
            top->Detach();
            if (std::find(kept.begin(), kept.end(), top) == kept.end())
                delete top;
        }
        for (TPDAUIEngineElementPage* page : kept)
            if (!engine.IsOnStack(page))
                delete page;
        kept.clear();
    }

    // The library's calls, as recorded.
    bool Called(const std::string& what) const
    {
        const auto& calls = app.engine.recorder.calls;
        return std::find(calls.begin(), calls.end(), what) != calls.end();
    }
    int CountCalls(const std::string& what) const
    {
        const auto& calls = app.engine.recorder.calls;
        return (int)std::count(calls.begin(), calls.end(), what);
    }
    bool Logged(const std::string& part) const
    {
        for (const std::string& line : app.engine.recorder.log)
            if (line.find(part) != std::string::npos)
                return true;
        return false;
    }

    TestEngine engine;
    PagesApp app;
    std::vector<TPDAUIEngineElementPage*> kept;
};

} // namespace pagestest
