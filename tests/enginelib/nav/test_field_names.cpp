// What the data-field pages show of a field: names in three forms, abbreviation,
// unit, magnitude, and the grouped list of the map's fields.
#include "enginelib/nav/TCampos.h"
#include "enginelib/nav/TLumorGPSEngineInterface.h"

#include <gtest/gtest.h>

#include "nav_fixture.h"

namespace {

TEST(FieldNames, FormsUnitsAndLanguages)
{
    TLumorGPSEngineInterface f;
    navtest::InMemory(f);
    f.Inicializa0();
    const struct {
        int field;
        const char* forms[3];
        const char* abbreviation;
        const char* unit;
        int magnitude;
    } cases[] = {
        {21, {"Speed", "Current speed", "Spd"}, "SPD", "km/h", 3},
        {47, {"Course", "Current course", "Crs"}, "CRS", "", 40},
        {86, {"Time", "Time of day", "Time"}, "TIME", "", 5},
        {4242, {"Field 4242", "Field 4242", "Field 4242"}, "4242", "", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.field);
        for (int form = 0; form < 3; ++form)
            EXPECT_STREQ(c.forms[form], Nombre_Campo(c.field, form).c_str());
        DString abbreviation;
        Abreviacion_Campo(c.field, abbreviation);
        EXPECT_STREQ(c.abbreviation, abbreviation.c_str());
        EXPECT_STREQ(c.unit, Str_Unidad_Campo(c.field).c_str());
        EXPECT_EQ(c.magnitude, Magnitud_Campo(c.field));
    }
    f.CambiaIdioma(1);
    EXPECT_STREQ("Geschwindigkeit", Nombre_Campo(21, 0).c_str());
    EXPECT_STREQ("Aktuelle Geschwindigkeit", Nombre_Campo(21, 1).c_str());
    DString title;
    ASSERT_TRUE(TDatosCampo::GetDescripcionGrupo(2, title));
    EXPECT_STREQ("Zielf\xFChrung", title.c_str());
    EXPECT_FALSE(TDatosCampo::GetDescripcionGrupo(99, title));
    EXPECT_STREQ("", title.c_str());
}

TEST(FieldNames, TheMapsFieldsComeInConsecutiveGroups)
{
    TCampos fields;
    fields.Set_Campos_Disponibles_MovingMap(3);
    ASSERT_EQ(26, fields.Count());
    EXPECT_EQ(21, fields[0]->campo);
    std::vector<int> groupsSeen;
    for (int i = 0; i < fields.Count(); ++i)
        if (groupsSeen.empty() || groupsSeen.back() != fields[i]->grupo)
            groupsSeen.push_back(fields[i]->grupo);
    EXPECT_EQ((std::vector<int>{1, 2, 3, 4, 5, 6, 7}), groupsSeen);
    fields.Set_Campos_Disponibles_MovingMap(1);
    EXPECT_EQ(0, fields.Count());
    fields << "21,47,,86";
    ASSERT_EQ(3, fields.Count());
    EXPECT_EQ(86, fields[2]->campo);
    EXPECT_EQ(0, fields[2]->grupo);
}

} // namespace
