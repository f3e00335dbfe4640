// The library's settings file: any bytes load whole or not at all, and what loads
// saves and loads back to the same settings.
#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>

#include "enginelib/nav/TConfig.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string base = "/tmp/fuzz_config." + std::to_string(getpid());
    const std::string in = base + ".in", out = base + ".out";
    std::ofstream(in, std::ios::binary).write(reinterpret_cast<const char*>(data), size);
    TConfig config;
    std::string error;
    if (config.Load(in, error)) {
        if (!config.Save(out, error))
            __builtin_trap();
        TConfig again;
        if (!again.Load(out, error))
            __builtin_trap();
        for (size_t i = 0; i < config.Variables().size(); ++i)
            if (config.Variables()[i]->Text() != again.Variables()[i]->Text())
                __builtin_trap();
    } else {
        for (TvarConfig* v : config.Variables())
            if (v->Text() != v->DefaultText())
                __builtin_trap();
    }
    std::remove(in.c_str());
    std::remove(out.c_str());
    return 0;
}
