#pragma once
#include <cmath>

#include "enginelib/base/DString.h"

class TElementoGPS;

// Units of a data field's value.
typedef int TEnumUnidades;
enum : TEnumUnidades {
    UnidadNinguna = 0,
    UnidadMetros = 1,
    UnidadKm = 2,
    UnidadKmh = 3,
    UnidadPorcentaje = 4,
    UnidadHora = 5,    // hh:mm
    UnidadFecha = 6,
    UnidadSegundos = 7,
    UnidadPies = 8,
    UnidadMillas = 9,
    UnidadMph = 10,
    UnidadGrados = 40,
};

// The value of one numbered data field: a number, its display text, its units, an
// alarm flag and, for some fields, an object (an engine object, a track or a bitmap).
class TValCampo {
public:
    double valor = 0;
    DString texto;
    TEnumUnidades unidades = UnidadNinguna;
    bool alarma = false;
    void* objeto = nullptr;

    // The value truncated toward zero (0 for values beyond int).
    int AsInteger() const
    {
        return std::isfinite(valor) && std::fabs(valor) < 2147483647.0 ? (int)valor : 0;
    }
};
