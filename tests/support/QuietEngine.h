#pragma once
#include "uiengine/core/TPDAUIEngine.h"

// An engine with no window at all, for benchmarks and fuzz targets: the platform
// operations do nothing and answer as the device's capability queries do.
// Tests use TestEngine, which records what these drop.
class QuietEngine : public TPDAUIEngine {
public:
    void RunModalLoop(int) override {}
    void MessageBox(const char*, const char*) override {}
    void Invalidate(int) override {}
    void InvalidateElement(TPDAUIEngineElement*) override {}
    bool HasHardwareKeyboard() override { return false; }
    int HasHardwareKeyboardMultiplexed() override { return 0; }
    int InputPanelHandler(TPDAUIEngineElement*, int) override { return 0; }
    int HasHardwareMouse() override { return 1; }
    int HasHardwareMouseTouchScreen() override { return 1; }
    int HasHardwareMouseTouchScreenDouble() override { return 0; }
    void SetScreenMode(int, int) override {}
};
