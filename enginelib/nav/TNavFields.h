#pragma once
#include <map>
#include <vector>

#include "enginelib/nav/TValCampo.h"

class TBaliza;
class TConfig;
class TNavSimulation;

// The library's objects some fields carry.
struct TNavFieldObjects {
    void* recording = nullptr;   // 355: the track being recorded
    void* route = nullptr;       // 356: the route followed
    void* graphFirst = nullptr;  // 373: the shared graph's first object
    const std::vector<TBaliza*>* waypoints = nullptr;  // 374: one within 30 m of the car
    TBaliza* junction = nullptr;  // 380: the junction view of the exit ahead
};

// The library's numbered data fields, read from the simulation. With both flags
// false values are in display form (distances below 1000 m in m, else km with one
// decimal; the text is the number without its units); with either flag set they
// are in base units (metres, seconds, km/h, degrees). The second flag gives the
// long text of text fields. Numbers no field has answer true with value 0, text
// "0" and no units: a layout may name any number.
class TNavFields {
public:
    using Objects = TNavFieldObjects;
    bool Read(const TNavSimulation& sim, const TConfig* config, int field, TValCampo& v, bool a, bool b,
              const Objects& objects = Objects()) const;

    // Fixed values for tests and demos, in place of what the simulation gives.
    std::map<int, TValCampo> forced;
    bool friends = false;
    bool detour = false;
};
