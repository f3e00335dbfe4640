#pragma once
// The window host on the headless backend, recording what the window
// procedure hands to the engine.
#include <gtest/gtest.h>

#include <unistd.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "platform/wince/TPDAUIEngineWinCE.h"
#include "uiengine/core/TPDAUIEngineCommand.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"
#include "wincore/headless/THeadlessBackend.h"

namespace host {

// The headless backend, counting how often the message loop waited for a
// message and how often a peek found none.
class CountingBackend : public THeadlessBackend {
public:
    using THeadlessBackend::THeadlessBackend;
    int waits = 0;
    int idles = 0;
    void Wait(int timeoutMs) override
    {
        ++waits;
        THeadlessBackend::Wait(timeoutMs);
    }
    void Idle() override
    {
        ++idles;
        THeadlessBackend::Idle();
    }
};

// A host whose engine input, timer and paint operations are recorded as text
// ("down 10 20 0") and, with passThrough, also run as the engine has them.
class RecordingHost : public TPDAUIEngineWinCE {
public:
    using TPDAUIEngineWinCE::TPDAUIEngineWinCE;

    std::vector<std::string> calls;
    bool passThrough = false;
    bool keyAnswer = true;
    int timerPasses = 0;
    int paints = 0;
    int density = 96;

    template <class... Args>
    void Log(const char* what, Args... args)
    {
        std::ostringstream out;
        out << what;
        ((out << ' ' << args), ...);
        calls.push_back(out.str());
    }

    void OnPointerDown(int x, int y, int kind, int a, int b) override
    {
        Log("down", x, y, kind);
        if (passThrough)
            TPDAUIEngineWinCE::OnPointerDown(x, y, kind, a, b);
    }
    void OnPointerMove(int x, int y, int flags, int a, int b) override
    {
        Log("move", x, y, flags);
        if (passThrough)
            TPDAUIEngineWinCE::OnPointerMove(x, y, flags, a, b);
    }
    void OnPointerUp(int x, int y, int kind) override
    {
        Log("up", x, y, kind);
        if (passThrough)
            TPDAUIEngineWinCE::OnPointerUp(x, y, kind);
    }
    void OnMouseWheel(int x, int y, int delta) override
    {
        Log("wheel", x, y, delta);
        if (passThrough)
            TPDAUIEngineWinCE::OnMouseWheel(x, y, delta);
    }
    bool OnKeyDown(int key) override
    {
        Log("keydown", key);
        return passThrough ? TPDAUIEngineWinCE::OnKeyDown(key) : keyAnswer;
    }
    bool OnKeyUp(int key) override
    {
        Log("keyup", key);
        return passThrough ? TPDAUIEngineWinCE::OnKeyUp(key) : keyAnswer;
    }
    bool OnChar(int character) override
    {
        Log("char", character);
        return passThrough ? TPDAUIEngineWinCE::OnChar(character) : keyAnswer;
    }
    void OnResize(int x, int y, int width, int height) override
    {
        Log("resize", x, y, width, height);
        TPDAUIEngineWinCE::OnResize(x, y, width, height);
    }
    void ProcessTimers() override
    {
        ++timerPasses;
        TPDAUIEngineWinCE::ProcessTimers();
    }
    void Paint() override
    {
        ++paints;
        TPDAUIEngineWinCE::Paint();
    }
    void SetScreenMode(int mode, int force) override
    {
        Log("mode", mode, force);
        TPDAUIEngineWinCE::SetScreenMode(mode, force);
    }

protected:
    int ScreenDensity() override { return density; }
};

// A page that records the commands it receives ("name:command x y").
class LogPage : public TPDAUIEngineElementPage {
public:
    LogPage(TPDAUIEngine* engine, const char* name, std::vector<std::string>* log)
        : TPDAUIEngineElementPage(engine), log_(log)
    {
        id = name;
    }
    void OnCommand(TPDAUIEngineCommand& command) override
    {
        if (command.name == "load" || command.name.IsEmpty())
            return;
        std::ostringstream out;
        out << id.c_str() << ':' << command.name.c_str() << ' ' << command.value1 << ' ' << command.value2;
        log_->push_back(out.str());
    }

private:
    std::vector<std::string>* log_;
};

// Ends of the process that Terminate asked for, instead of ending it.
inline std::vector<int>& ProcessEnds()
{
    static std::vector<int> ends;
    return ends;
}

struct HostOptions {
    int width = 800;
    int height = 480;
    uint32_t clockStart = 0x10000;
    int mode = 2;
    float scale = 1.0f;
    int fixedWidth = 0, fixedHeight = 0, fixedLeft = -1, fixedTop = -1;
    int keyboardKind = 1;
    int dpi = 96;
};

// A headless backend installed for the test and a host on it.
class HostTest : public ::testing::Test {
protected:
    ~HostTest() override
    {
        host.reset();
        WinUseBackend(nullptr);
        TPDAUIEngineWinCE::SetProcessEndHook(nullptr);
    }

    // A class name of this process only: tests run side by side.
    static std::string ClassName() { return "OrbetaHostTest" + std::to_string(getpid()); }

    RecordingHost& Start(const HostOptions& o = HostOptions())
    {
        host.reset();
        auto made = std::make_unique<CountingBackend>(o.width, o.height, o.clockStart);
        backend = made.get();
        backend->SetDpi(o.dpi);
        WinUseBackend(std::move(made));
        ProcessEnds().clear();
        TPDAUIEngineWinCE::SetProcessEndHook([](int code) { ProcessEnds().push_back(code); });
        host.reset(new RecordingHost(nullptr, ClassName().c_str(), "Orbeta", o.mode, 0, o.scale,
                                     o.fixedWidth, o.fixedHeight, o.fixedLeft, o.fixedTop,
                                     o.keyboardKind));
        host->density = o.dpi;
        return *host;
    }

    // Sends one message through the window procedure as the window system does.
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
    {
        return SendMessageW(host->Window(), message, wParam, lParam);
    }

    CountingBackend* backend = nullptr;
    std::unique_ptr<RecordingHost> host;
};

} // namespace host
