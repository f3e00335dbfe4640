// Command-tree files: any bytes read whole or not at all, and a tree that reads
// writes back to text that reads to the same tree.
#include <string>

#include "enginelib/nav/TVectorComandas.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TVectorComandas tree;
    std::string error;
    if (!tree.FromXml(std::string(reinterpret_cast<const char*>(data), size), error)) {
        if (!tree.IsEmpty())
            __builtin_trap();
        return 0;
    }
    const std::string text = tree.ToXml();
    TVectorComandas again;
    if (!again.FromXml(text, error) || again.ToXml() != text)
        __builtin_trap();
    return 0;
}
