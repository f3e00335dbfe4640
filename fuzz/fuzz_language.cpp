// Language tables: any bytes read whole or not at all, and replacing ids with any
// table in any text stays inside the text.
#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>

#include "enginelib/nav/TLanguageTable.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string path = "/tmp/fuzz_language." + std::to_string(getpid()) + ".lng";
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::ofstream(path, std::ios::binary) << bytes;
    TLanguageTable table;
    std::string error;
    if (!table.Load(path, error) && table.Find("E7"))
        __builtin_trap();
    DString text(bytes.c_str(), (int)bytes.size());
    table.Substitute(text);
    std::remove(path.c_str());
    return 0;
}
