#include "enginelib/nav/TGeoCode.h"

#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>

#include "enginelib/draw/TDibIG.h"
#include "enginelib/nav/TCommonImages.h"

void TPuntoCoord::Coord_a_String(DString& out, bool, int) const
{
    if (!filled) {
        out = "";
        return;
    }
    char buf[64];
    std::snprintf(buf, sizeof buf, "%c %.5f\xB0 %c %.5f\xB0", latitude >= 0 ? 'N' : 'S', std::fabs(latitude),
                  longitude >= 0 ? 'E' : 'W', std::fabs(longitude));
    out = buf;
}

TGeoCode& TGeoCode::operator=(const TGeoCode& o)
{
    if (this == &o)
        return *this;
    nombre = o.nombre;
    kind = o.kind;
    country = o.country, city = o.city, extraText = o.extraText, district = o.district, street = o.street;
    region = o.region, streetExtra = o.streetExtra, crossStreet = o.crossStreet;
    cityCode = o.cityCode, houseNumber = o.houseNumber, numberLow = o.numberLow, numberHigh = o.numberHigh;
    matchCount = o.matchCount;
    coordinates = o.coordinates;
    label = o.label, detail = o.detail, sourceName = o.sourceName, heading = o.heading, name = o.name;
    distance = o.distance, categoryId = o.categoryId, legStatus = o.legStatus;
    rangeFirst = o.rangeFirst, rangeLast = o.rangeLast;
    waypoint = o.waypoint;
    return *this;
}

void TGeoCode::Reset() { *this = TGeoCode(); }

bool TGeoCode::operator==(const TGeoCode& o) const
{
    return kind == o.kind && name == o.name && label == o.label && coordinates == o.coordinates;
}

void TGeoCode::A_StrCurt(DString& out) const
{
    if (!name.IsEmpty()) {
        out = name;
    } else if (!label.IsEmpty()) {
        out = label;
    } else {
        out = street;
        if (houseNumber > 0)
            out << " " << houseNumber;
        if (!city.IsEmpty())
            out << ", " << city.c_str();
    }
}

TDibIG* TGeoCode::CalculaSimbolo() const
{
    static std::mutex mutex;
    static std::map<std::string, std::unique_ptr<TDibIG>> pictures;
    const char* name = "commonMap";
    switch (kind) {
    case KindCurrentPosition:
        name = "commonCurrentPosition";
        break;
    case KindAddress:
        name = "commonAddress";
        break;
    case KindPOI:
        name = "commonPOI";
        break;
    case KindHome:
        name = "commonHome";
        break;
    case KindWaypoint:
        name = "commonWaypoint";
        break;
    case KindFavourite:
        name = "commonMyDestination";
        break;
    default:
        break;
    }
    std::lock_guard<std::mutex> lock(mutex);
    std::unique_ptr<TDibIG>& picture = pictures[name];
    if (!picture)
        picture = TCommonImages::Draw(name, "", "");
    return picture.get();
}
