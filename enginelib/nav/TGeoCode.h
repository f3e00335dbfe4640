#pragma once
#include "enginelib/base/DString.h"
#include "enginelib/nav/TElementoGPS.h"

class TBaliza;
class TDibIG;

// A position in degrees, filled or not.
class TPuntoCoord {
public:
    TPuntoCoord() = default;
    TPuntoCoord(double lat, double lon) : latitude(lat), longitude(lon), filled(true) {}
    bool Rellenado() const { return filled; }
    // "N 0.50123\xB0 E 0.50456\xB0"; empty when not filled.
    void Coord_a_String(DString& out, bool, int) const;
    bool operator==(const TPuntoCoord& o) const
    {
        return filled == o.filled && latitude == o.latitude && longitude == o.longitude;
    }

    double latitude = 0, longitude = 0;
    bool filled = false;
};

// A place: an address, a point picked on the map, a POI, Home, a waypoint...
class TGeoCode : public TElementoGPS {
public:
    enum Kind {
        KindCurrentPosition = 0,
        KindAddress = 1,
        KindPicked = 2,
        KindPOI = 3,
        KindHome = 5,
        KindLibraryPlace = 6,
        KindWaypoint = 7,
        KindFavourite = 8,
        KindCoordinates = 10,
    };

    TGeoCode() = default;
    TGeoCode(const TGeoCode& other) { *this = other; }
    TGeoCode& operator=(const TGeoCode& other);
    // The empty place again.
    virtual void Reset();
    // Same kind, name, label and position.
    bool operator==(const TGeoCode& other) const;
    // A short text: the name, else the label, else "street number, city".
    void A_StrCurt(DString& out) const;
    // The row picture of the place's kind (24 x 24), kept by the library for the run.
    TDibIG* CalculaSimbolo() const;
    // The position as text.
    void A_StrTot(DString& out, bool, const void*) const { coordinates.Coord_a_String(out, false, -1); }

    int kind = 0;
    DString country, city, extraText, district, street, region, streetExtra, crossStreet;
    int cityCode = 0;
    int houseNumber = 0;
    int numberLow = 0, numberHigh = 0;
    int matchCount = 0;
    TPuntoCoord coordinates;
    DString label, detail, sourceName, heading, name;
    double distance = -1;
    int categoryId = 0;
    int legStatus = 0;
    int rangeFirst = 0, rangeLast = 2147483647;
    TBaliza* waypoint = nullptr;  // not owned
};
