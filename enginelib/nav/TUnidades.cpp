#include "enginelib/nav/TUnidades.h"

#include <cmath>
#include <cstdio>

DString TUnidades::Nombre_Unidad(TEnumUnidades unit, bool)
{
    switch (unit) {
    case UnidadMetros:
        return DString("m");
    case UnidadKm:
        return DString("km");
    case UnidadKmh:
        return DString("km/h");
    case UnidadPorcentaje:
        return DString("%");
    case UnidadSegundos:
        return DString("s");
    case UnidadPies:
        return DString("ft");
    case UnidadMillas:
        return DString("mi");
    case UnidadMph:
        return DString("mph");
    case UnidadGrados:
        return DString("\xB0");
    default:
        return DString("");
    }
}

DString TUnidades::Nombre_Mag(int magnitude) { return DString(magnitude == 1 ? "km" : magnitude == 2 ? "m" : ""); }

void TUnidades::Convierte_a_Longitud_Oportuna(double metres, int, DString& out, bool withUnit, int decimals,
                                              bool space)
{
    char buf[64];
    if (!std::isfinite(metres))
        metres = 0;
    if (std::fabs(metres) < 1000)
        std::snprintf(buf, sizeof buf, "%.0f%s%s", metres, withUnit && space ? " " : "", withUnit ? "m" : "");
    else
        std::snprintf(buf, sizeof buf, "%.*f%s%s", decimals < 0 ? 0 : decimals > 3 ? 3 : decimals, metres / 1000,
                      withUnit && space ? " " : "", withUnit ? "km" : "");
    out = buf;
}
