// Key maps from fuzzed bytes: LoadKeys, then SaveKeys and LoadKeys again must give
// the same tables; then every loaded definition's keys are pressed and released on
// a virtual clock, which must leave no held-key record behind.
#include "enginelib/base/DString.h"
#include "enginelib/base/TStringNomFitx.h"
#include "enginelib/base/Tick.h"
#include "tests/support/QuietEngine.h"
#include "uiengine/core/TPDAUIEngineKeysManager.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

uint32_t g_clock = 0x10000;
uint32_t ReadClock() { return g_clock; }

std::string g_input;  // where the bytes are written for LoadKeys

// An engine without a window: no page is opened, so fired definitions go to the
// (absent) application callback.
class FuzzEngine : public QuietEngine {
public:
    void SetScreenMode(int mode, int) override { screenMode = mode; }
};

std::string Describe(const TPDAUIEngineKeysManager& k)
{
    std::string out;
    for (int i = 0; i < k.replacements.Count(); ++i) {
        const TPDAUIEngineKeysManager::TKeyReplace& r = k.replacements[i];
        out += "R " + std::to_string(r.from) + " " + std::to_string(r.to) + " [" +
               r.comments.c_str() + "]\n";
    }
    for (int i = 0; i < k.definitions.Count(); ++i) {
        const TPDAUIEngineKeysManager::TKeyDefinition& d = k.definitions[i];
        out += "D " + std::to_string(d.key) + " " + std::to_string(d.key2) + " " +
               std::to_string(d.when) + " [" + d.onlyInPages.c_str() + "] [" + d.command.c_str() +
               "] [" + d.commandAux.c_str() + "] " + (d.breakAfter ? "b" : "-") +
               (d.editable ? "e" : "-") + " [" + d.comments.c_str() + "] [" + d.title.c_str() +
               "]\n";
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    char folder[] = "/tmp/fuzz_keymap-XXXXXX";
    if (!mkdtemp(folder))
        abort();
    setenv("XDG_DATA_HOME", folder, 1);
    g_input = std::string(folder) + "/input.cxml";
    SetTickSource(&ReadClock);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FILE* f = std::fopen(g_input.c_str(), "wb");
    if (!f)
        return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);

    static FuzzEngine* engine = new FuzzEngine;
    TPDAUIEngineKeysManager& keys = engine->keysManager;
    if (!keys.LoadKeys(DString(g_input.c_str())))
        abort();  // the file is there

    const std::string loaded = Describe(keys);
    if (!keys.SaveKeys(DString("ObKeys.cxml")))
        abort();
    TPDAUIEngineKeysManager again(engine);
    TStringNomFitx saved("ObKeys.cxml");
    saved.Set_Path_AppData();
    if (!again.LoadKeys(saved) || Describe(again) != loaded)
        abort();

    engine->keysEnabled = 1;
    engine->skinSettings.screenRotation = size > 0 ? (data[0] % 4) * 90 : 0;
    for (int i = 0; i < keys.definitions.Count() && i < 16; ++i) {
        const int first = keys.definitions[i].key;
        const int second = keys.definitions[i].key2;
        int k = first;
        keys.OnKeyDown(k);
        g_clock += 100;
        engine->ProcessTimers();
        k = second;
        keys.OnKeyDown(k);
        k = first;
        keys.OnKeyChar(k);
        g_clock += 600;
        keys.CheckPressedKeys();
        k = first;
        keys.OnKeyUp(k);
        k = second;
        keys.OnKeyUp(k);
        g_clock += 50;
    }
    if (keys.pressedKeys.Count() != 0)
        abort();
    return 0;
}
