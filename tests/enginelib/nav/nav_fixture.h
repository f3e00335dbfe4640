#pragma once
// A facade for tests: settings and log in memory, the library's data from the source tree.
#include <string>

#include "enginelib/nav/TLumorGPSEngineInterface.h"
#include "support/TestPaths.h"

namespace navtest {

inline void InMemory(TLumorGPSEngineInterface& f, const std::string& dataFolder = "")
{
    f.dataFolder = dataFolder;
    f.libraryFolder = testpaths::SourceDir() + "/enginelib/nav/data";
}

// Through Inicializa2 in order.
inline bool Start(TLumorGPSEngineInterface& f, void* window = nullptr)
{
    f.Inicializa0();
    f.Inicializa2_hWnd(window, nullptr, window);
    DString error;
    return f.Inicializa1(error) && f.Inicializa2(error);
}

} // namespace navtest
