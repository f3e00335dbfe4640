#pragma once
#include "enginelib/base/DString.h"

// An object of the library's data (a waypoint, a track, a route, a folder...):
// what every kind shares. Kinds add their own data.
class TElementoGPS {
public:
    TElementoGPS() = default;
    explicit TElementoGPS(const char* name) : nombre(name ? name : "") {}
    virtual ~TElementoGPS() = default;
    TElementoGPS(const TElementoGPS&) = delete;
    TElementoGPS& operator=(const TElementoGPS&) = delete;

    virtual DString GetNombre() const { return nombre; }

    DString nombre;
    TElementoGPS* padre = nullptr;  // not owned
};
