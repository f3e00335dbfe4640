#pragma once
#include <vector>

#include "enginelib/nav/TLumorGPSTypes.h"

// What the library knows of each command number: its tool-bar icon tile, whether
// it repeats while held, whether running it closes the menu it came from, and
// whether the tool bar or a key may carry it. Names are the language tables'
// "{C<number>}" ids.
struct TCommandInfo {
    TComandasLumorGPS number;
    int icon;          // tile of "toolbar_lumor_ob", -1 for none
    bool repeats;
    bool closesMenu;
    bool toolbar;
    bool key;
};

class TCommandTable {
public:
    // Null for a number the library does not know.
    static const TCommandInfo* Find(TComandasLumorGPS number);
    static const std::vector<TCommandInfo>& All();
};
