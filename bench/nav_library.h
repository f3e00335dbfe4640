#pragma once
// The navigation library started for a benchmark: settings in memory, data from the source tree.
#include <string>

#include "enginelib/nav/TLumorGPSEngineInterface.h"

struct BenchNavLibrary {
    BenchNavLibrary()
    {
        f.dataFolder.clear();
        f.libraryFolder = std::string(ORBETA_SOURCE_DIR) + "/enginelib/nav/data";
        f.Inicializa0();
        DString error;
        f.Inicializa1(error);
        f.Inicializa2(error);
    }
    TLumorGPSEngineInterface f;
};
