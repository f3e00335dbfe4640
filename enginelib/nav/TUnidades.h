#pragma once
#include "enginelib/base/DString.h"
#include "enginelib/nav/TValCampo.h"

// Names and conversions of the units fields are given in.
class TUnidades {
public:
    // "m", "km", "km/h", "%", "s", "ft", "mi", "mph", degree sign; "" for none or times.
    static DString Nombre_Unidad(TEnumUnidades unit, bool longName);
    // Magnitude 1 is distance along (km), 2 is height (m): the graphs' axes.
    static DString Nombre_Mag(int magnitude);
    // A length in the unit that reads best: "850 m", "1.2 km".
    static void Convierte_a_Longitud_Oportuna(double metres, int unit, DString& out, bool withUnit, int decimals,
                                              bool space);
};
