#pragma once
#include "enginelib/base/DString.h"
#include "enginelib/draw/Geometry.h"
#include "enginelib/draw/TColorIG.h"

class IDC;
class TValCampo;

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
    // A field of this object into v; false when the object has no such field.
    virtual bool Retorna_Val_Campo(int field, TValCampo& v) const;
    // Draws a field's value into rect: value when given, else the object's
    // own. back fills the rectangle unless it is magenta; fore is the text's.
    virtual void Pinta_Val_Campo(IDC& dc, const TRectIG& rect, TColorIG back, TColorIG fore, int field,
                                 const TValCampo* value, bool selected) const;

    DString nombre;
    TElementoGPS* padre = nullptr;  // not owned
};
