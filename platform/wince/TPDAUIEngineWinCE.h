#pragma once
#include <cstdint>
#include <string>

#include "enginelib/base/DString.h"
#include "enginelib/base/Vector.h"
#include "uiengine/core/TPDAUIEngine.h"
#include "wincore/WinApi.h"

class TPDAUIEngineElement;

// The UI engine on the window system: owns the program's one top-level window,
// turns its messages into the engine's input, timer and paint operations, runs
// the modal message loop (the program's main loop) and fills the engine's
// platform operations. The application builds exactly one.
//
// Without a window (none could be created) the engine still works headless:
// pages open, paint into the back buffer and take input through direct calls;
// the window operations do nothing and the modal loop returns at once.
class TPDAUIEngineWinCE : public TPDAUIEngine {
public:
    // One entry of the native message map: a window message delivered as a
    // command to an element (not owned).
    struct NativeMessageCommand {
        int message = 0;
        DString command;
        TPDAUIEngineElement* target = nullptr;
        uint64_t serial = 0;  // registration order
    };

    // Timer id and period of the window timer that drives the engine's timer pass.
    enum { TimerId = 6, TimerPeriodMs = 50 };
    // Side of the busy indicator (the sand clock), in pixels.
    enum { BusyIndicatorSize = 48 };

    // screenMode: the configured mode (0 and 4 start in mode 2). scale: the
    // configured UI scale (0.0 the screen's density, -1.0 automatic by density,
    // -2.0 automatic by the shorter side). Fixed sizes 0 and positions -1: none.
    TPDAUIEngineWinCE(HINSTANCE instance, const char* className, const char* title, int screenMode,
                      uint8_t timerFlag, float scale, int fixedWidth, int fixedHeight, int fixedLeft,
                      int fixedTop, int keyboardKind);
    ~TPDAUIEngineWinCE() override;

    // The one instance (null when there is none).
    static TPDAUIEngineWinCE* Instance();

    // ---- overridden engine operations ----
    void RunModalLoop(int pageCount) override;
    void MessageBox(const char* text, const char* caption) override;
    void Invalidate(int mode) override;
    void InvalidateElement(TPDAUIEngineElement* element) override;
    void Terminate() override;
    void RegisterNativeMessage(int message, const char* command,
                               TPDAUIEngineElement* target) override;
    void UnregisterNativeMessage(int message, TPDAUIEngineElement* target) override;
    bool HasHardwareKeyboard() override;
    int HasHardwareKeyboardMultiplexed() override { return 0; }
    int InputPanelHandler(TPDAUIEngineElement*, int) override { return 0; }
    int HasHardwareMouse() override { return 1; }
    int HasHardwareMouseTouchScreen() override { return 1; }
    int HasHardwareMouseTouchScreenDouble() override { return 0; }
    int TouchCalibrate() override;
    int CanCalibrateTouchScreen() override { return 1; }
    bool SetScreenOrientation(int& requested, int& current) override;
    int NotifyOrientationChanged(int angle, int value) override;
    void SetScreenMode(int mode, int force) override;
    void SetScreenScale(float scale) override;
    void OnClockTick() override { OnClockTick(false); }
    void SetClipboardText(const char* text) override;
    DString GetClipboardText() override;
    int SetCPU100Mode(int on) override;

    // paintNow: paint the busy indicator at once.
    void OnClockTick(bool paintNow);
    // The system message box; false when it could not be shown.
    bool ShowMessageBox(const char* text, const char* caption);

    // The window procedure of the program's window.
    LRESULT WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // The window class's procedure: forwards to the one instance.
    static LRESULT ClassProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    // How Terminate ends the process: by default at once with exit code -1.
    // Tests install a hook that records the call and returns.
    typedef void (*ProcessEndHook)(int exitCode);
    static void SetProcessEndHook(ProcessEndHook hook);

    HWND Window() const { return window; }
    int PreviousScreenMode() const { return previousScreenMode; }
    const VectorP<NativeMessageCommand>& NativeMessages() const { return nativeMessages; }

    // ---- fields, in order ----
    HINSTANCE instance = nullptr;
    HWND window = nullptr;
    std::u16string className;
    int previousScreenMode = 0;
    VectorP<NativeMessageCommand> nativeMessages;
    uint8_t clickSwallowed = 0;
    // The scale a size change sets: > 0 that value; 0 the screen's density
    // (at least 1.0); < 0 left to the engine's automatic scaling.
    float chosenScale = 1.0f;
    uint8_t continuousRedraw = 0;
    // The flag byte the application passes for the timer pass.
    uint8_t timerFlag = 0;

protected:
    // The screen's horizontal density (96 when it cannot be read).
    virtual int ScreenDensity();
    // Whether the top page keeps the loop painting instead of waiting.
    bool LoopBusy();
    void OnPaintMessage();
    // Draws the busy indicator over the back buffer and presents it.
    void PaintBusyIndicator(HDC hdc);

private:
    void OnActivate(int state);
    void DeliverNativeMessage(UINT message, WPARAM wParam, LPARAM lParam, bool* delivered);
    // The window rectangle the modes start from, with the fixed size and position.
    RECT FixedRect(RECT rect) const;
    void ShowFullScreen(DWORD flags);
    static void ForgetElement(TPDAUIEngineElement* element);

    uint64_t nextSerial_ = 0;
};
