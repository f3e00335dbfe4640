#pragma once
#include <map>

#include "enginelib/nav/TValCampo.h"

class TConfig;
class TNavSimulation;

// The library's numbered data fields, read from the simulation. With both flags
// false values are in display form (distances below 1000 m in m, else km with one
// decimal; the text is the number without its units); with either flag set they
// are in base units (metres, seconds, km/h, degrees). The second flag gives the
// long text of text fields. Numbers no field has answer true with value 0, text
// "0" and no units: a layout may name any number.
class TNavFields {
public:
    // recording, route and graphObject: the objects fields 355, 356 and 373 carry
    // (the track being recorded, the active route, the shared graph's first object).
    bool Read(const TNavSimulation& sim, const TConfig* config, int field, TValCampo& v, bool a, bool b,
              void* recording = nullptr, void* route = nullptr, void* graphObject = nullptr) const;

    // Fixed values for tests and demos, in place of what the simulation gives.
    std::map<int, TValCampo> forced;
    bool friends = false;
    bool detour = false;
};
