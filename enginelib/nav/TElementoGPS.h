#pragma once
#include "enginelib/base/DString.h"
#include "enginelib/nav/TValCampo.h"

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
    // One of the object's own fields into v (742: 1 when it has attachments);
    // false for a field the object does not have.
    virtual bool Retorna_Val_Campo(int field, TValCampo& v) const { return false; }

    DString nombre;
    TElementoGPS* padre = nullptr;  // not owned
};
