// The registry file from fuzzed bytes: whatever loads must write out and load
// back to the same registry.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "wincore/WinRegistry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TWinRegistryStore store;
    store.Parse(std::string(reinterpret_cast<const char*>(data), size));
    const std::string written = store.Serialize();
    TWinRegistryStore again;
    if (again.Parse(written) != 0 || again.Serialize() != written)
        abort();
    return 0;
}
