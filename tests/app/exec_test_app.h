#pragma once
// An application object on the headless test engine with the default skin and a
// started library stand-in, for the command executor, dialog-request and
// message-box tests. Records what the platform side was asked to do.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/TOrbetaApp.h"
#include "app/TOrbetaAppCommands.h"
#include "app/pages/TPageMain.h"
#include "enginelib/nav/TConfig.h"
#include "enginelib/nav/TVisor_LumorGPSPocket.h"
#include "enginelib/nav/nav_fixture.h"
#include "pages/dialogs/TPageMessageBox.h"
#include "support/TestEngine.h"
#include "support/TestPaths.h"
#include "uiengine/controls/RegisterLabelAndButton.h"
#include "uiengine/elements/TPDAUIEngineElementFactory.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"

namespace exectest {

class ExecEngine : public TestEngine {
public:
    bool SetScreenOrientation(int& requested, int& current) override
    {
        orientations.push_back(requested);
        current = 0;
        if (requested == -1)
            requested = 1;
        return rotates;
    }
    void SetScreenScale(float scale) override { scales.push_back(scale); }
    int TouchCalibrate() override { return ++calibrations; }
    int CanCalibrateTouchScreen() override { return canCalibrate; }
    void PlaySound(const char* name, int flag) override { sounds.push_back(name ? name : ""); }

    std::vector<int> orientations;
    std::vector<float> scales;
    std::vector<std::string> sounds;
    int calibrations = 0;
    int canCalibrate = 1;
    bool rotates = true;  // whether the screen takes an orientation
};

// A page that records the commands and context-menu requests it receives.
class RecPage : public TPDAUIEngineElementPage {
public:
    struct Got {
        std::string name;
        int result;
        TPDAUIEngineElement* target;
        intptr_t data;
    };
    RecPage(TPDAUIEngine* e, const char* name = "pageRec") : TPDAUIEngineElementPage(e) { pageName = name; }
    void OnLoad(TPDAUIEngine*, TPDAUIEngineElementPage*, TPDAUIEngineElement*, TPDAUIEngineXml*,
                TFicheroITV*) override
    {
    }
    void OnCommand(TPDAUIEngineCommand& c) override
    {
        if (c.name == "load")
            return;
        got.push_back({c.name.c_str(), c.result, c.target, c.data});
        if (!takes.empty() && std::find(takes.begin(), takes.end(), c.name.c_str()) == takes.end())
            c.handled = 0;
    }
    void OnContextMenu(int, int, unsigned char*) override { ++contextMenus; }
    std::vector<std::string> Names() const
    {
        std::vector<std::string> n;
        for (const Got& g : got)
            n.push_back(g.name);
        return n;
    }
    std::vector<Got> got;
    std::vector<std::string> takes;  // empty: every command is handled
    int contextMenus = 0;
};

// The main page as the executor sees it (its class), recording commands.
class RecMain : public TPageMain {
public:
    explicit RecMain(TOrbetaApp* app) : TPageMain(app) {}
    void OnLoad(TPDAUIEngine*, TPDAUIEngineElementPage*, TPDAUIEngineElement*, TPDAUIEngineXml*,
                TFicheroITV*) override
    {
    }
    void OnCommand(TPDAUIEngineCommand& c) override
    {
        if (c.name == "load")
            return;
        got.push_back(c.name.c_str());
        results.push_back(c.result);
        if (declines)
            c.handled = 0;
    }
    void OnContextMenu(int, int, unsigned char*) override { ++contextMenus; }
    std::vector<std::string> got;
    std::vector<int> results;  // the result byte of each command
    bool declines = false;  // every command comes back not handled
    int contextMenus = 0;
};

class ExecApp : public TOrbetaApp {
public:
    ExecApp()
    {
        RegisterLabelAndButtonElements(&TPDAUIEngineElementFactory::RegisterTag);
        navtest::InMemory(engine);
        started = navtest::Start(engine);
        ui = new ExecEngine();
        uiEngine = ui;
        ui->skinsFolder = (testpaths::SourceDir() + "/skins").c_str();
        ui->soundsFolder = (testpaths::SourceDir() + "/sounds").c_str();
        DString name("default"), error;
        skinLoaded = ui->LoadSkin(name, "", "", "", error);
        ui->callbacks.userData = this;
        ui->callbacks.uiCommand = &TOrbetaAppCommands::FuncUICommandCallBack;
        ui->callbacks.translate = [](void* user, DString* text, int) {
            static_cast<ExecApp*>(user)->engine.Sustituye_Id_Idioma(*text);
            return 1;
        };
        engine.recorder.calls.clear();
        engine.recorder.log.clear();
    }
    ~ExecApp() override
    {
        // Pages the test opened on the stack belong to the test; the engine goes
        // first so that nothing of it outlives the application's fields.
        while (ui->GetPageCount() > 0) {
            TPDAUIEngineElementPage* top = ui->GetTopPage();
            ui->pages.RemoveAllEqual(top);
            if (owned(top))
                delete top;
        }
        delete ui;
        uiEngine = nullptr;
    }
    // Takes the test's own pages off the stack; boxes stay for the destructor.
    void Forget()
    {
        for (int i = ui->GetPageCount() - 1; i >= 0; --i)
            if (!owned(ui->GetPage(i)))
                ui->pages.RemoveAllEqual(ui->GetPage(i));
    }
    void PlatformHook() override {}
    bool ApplySkinTheme() override
    {
        ++themeApplied;
        return true;
    }
    bool ExecuteCommand(int id, TPDAUIEngineCommand* reply, int number, const char* text, const char* extra,
                        int value, TPDAUIEngineElementPage* parent, const char* text3) override
    {
        executed.push_back(std::to_string(id) + (text && *text ? std::string(" ") + text : ""));
        return TOrbetaApp::ExecuteCommand(id, reply, number, text, extra, value, parent, text3);
    }

    // Boxes and other engine-owned pages left on the stack are deleted with it.
    static bool owned(TPDAUIEngineElementPage* page) { return dynamic_cast<TPageMessageBox*>(page) != nullptr; }

    TPageMessageBox* TopBox() const { return dynamic_cast<TPageMessageBox*>(ui->GetTopPage()); }
    bool Logged(const std::string& part) const
    {
        for (const std::string& l : engine.recorder.log)
            if (l.find(part) != std::string::npos)
                return true;
        return false;
    }
    bool Called(const std::string& call) const
    {
        const auto& c = engine.recorder.calls;
        return std::find(c.begin(), c.end(), call) != c.end();
    }

    ExecEngine* ui = nullptr;
    bool started = false;
    bool skinLoaded = false;
    int themeApplied = 0;
    std::vector<std::string> executed;
};

} // namespace exectest
