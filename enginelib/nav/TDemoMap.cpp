#include "enginelib/nav/TDemoMap.h"

#include <string>

const TDemoMap& TDemoMap::Get()
{
    static const TDemoMap map;
    return map;
}

int TDemoMap::Width(RoadClass kind)
{
    switch (kind) {
    case Motorway:
        return 9;
    case Rural:
        return 6;
    default:
        return 5;
    }
}

TDemoMap::TDemoMap()
{
    roads_ = {
        {"Main Street", "Springfield", Urban, 50, {{0, -90}, {0, 1400}}, 1, 150, "Old Town"},
        {"Elm Street", "Springfield", Urban, 50, {{-300, 0}, {300, 0}}, 1, 60, "Old Town"},
        {"Maple Avenue", "Springfield", Urban, 30, {{0, 300}, {-400, 300}}, 1, 40, "Old Town"},
        {"Mill Lane", "Springfield", Urban, 30, {{0, 600}, {400, 600}}, 1, 40, "Old Town"},
        {"Market Square", "Springfield", Urban, 30, {{-50, 650}, {50, 650}}, 0, 0, "Old Town"},
        {"Oak Road", "Springfield", Urban, 50, {{400, 600}, {1300, 600}}, 1, 90, "Riverside"},
        {"", "", Link, 80, {{1300, 600}, {1512, 388}}},
        {"M7", "", Motorway, 100, {{1512, 388}, {4212, 388}}},
        {"", "", Link, 60, {{4212, 388}, {4424, 600}}},
        {"Harbour Road", "Springvale", Urban, 50, {{4424, 600}, {5324, 600}}, 1, 91, ""},
        {"Hill Road", "Springvale", Rural, 80, {{5324, 600}, {5324, 1100}, {2700, 1600}, {0, 1400}}},
        {"Quay Street", "Springvale", Urban, 30, {{4700, 600}, {4700, 900}}, 1, 30, ""},
        {"Station Road", "Springvale", Urban, 30, {{5100, 600}, {5100, 900}}, 1, 30, ""},
    };
    const char* const stubs[] = {"Meadow Close", "Merchant Row", "Mint Street", "Moor Lane",
                                 "Mulberry Way", "Museum Road",  "Myrtle Grove", "Marsh Road"};
    double y = 80;
    for (const char* name : stubs) {
        if (y == 320 || y == 640)
            y += 20;  // not on top of Maple Avenue or Market Square
        roads_.push_back({name, "Springfield", Urban, 30, {{0, y}, {-100, y}}, 1, 20, "Old Town"});
        y += 80;
    }
    cities_ = {{"Springfield", "Demoland North", "DL-1001", {0, 600}},
               {"Springvale", "Demoland North", "DL-2001", {4900, 700}}};
    waypoints_ = {{"Bridge", {200, 600}}, {"Old mill", {550, 600}}, {"Summit", {2700, 1600}}};
}

const TDemoMap::City* TDemoMap::FindCity(const char* name) const
{
    for (const City& c : cities_)
        if (name && std::string(name) == c.name)
            return &c;
    return nullptr;
}
