#pragma once
#include "enginelib/base/DString.h"
#include "enginelib/base/Vector.h"

// A data field's number.
typedef int TEnumCampo;

// One entry of a field list: the field and the group it is listed under.
class TDatosCampo {
public:
    TDatosCampo(TEnumCampo campo = 0, int grupo = 0) : campo(campo), grupo(grupo) {}
    TEnumCampo campo;
    int grupo;

    // A group's title in the current language; false (and "") for an unknown group.
    static bool GetDescripcionGrupo(int group, DString& text);
};

// A list of fields, owning its records unless told otherwise.
class TCampos : public VectorP<TDatosCampo> {
public:
    explicit TCampos(bool owning = true) : VectorP<TDatosCampo>(10, 10, owning) {}
    // The fields the map's views may show, grouped (groups in consecutive runs).
    // Only set 3 (the map views) exists.
    void Set_Campos_Disponibles_MovingMap(int set);
    // Appends the fields of a ","-separated text, without a group.
    TCampos& operator<<(const char* text);
    // Lists are flat here: nothing to undo.
    void Cancela_Forma_Arbol() {}
};

// A field's name: form 0 plain ("Speed"), 1 long ("Current speed"), 2 short ("Spd").
void Nombre_Campo(int field, DString& out, int form);
DString Nombre_Campo(int field, int form);
// The short title over a value ("SPD").
void Abreviacion_Campo(int field, DString& out);
// The unit shown beside a value; empty hides the units label.
DString Str_Unidad_Campo(int field);
// What kind of quantity a field is (14 for chosen options, 19 for images, else ours).
int Magnitud_Campo(int field);
