#pragma once
#include <cstdint>

#include "enginelib/base/DString.h"
#include "enginelib/base/TStringNomFitx.h"
#include "enginelib/base/Vector.h"

// A request for a file to open or save, as the library hands it to the program.
// Modal requests are answered in the record (result, path, typeIndex); the others
// through EndFileOpen.
class TOpenFileNameLumor {
public:
    unsigned char modal = 0;
    unsigned char result = 0;
    int mode = 0;        // 0 open an existing file, 3 save, other: any name
    DString path;        // in: the proposed name; out: the chosen full path
    DString title;
    DString folders;     // ";"-separated, the first is where the page starts
    DString filter;      // "description|patterns|..." with ";" between one type's patterns
    DString typeFolders; // per type, "|"-separated ";" lists
    int typeIndex = 0;
    // May change the sorted entries of a folder before the page shows them.
    void (*listCallback)(intptr_t data, Vector<TStringNomFitx>& entries) = nullptr;
    intptr_t listCallbackData = 0;
    unsigned char restrictToFolders = 0;
};
