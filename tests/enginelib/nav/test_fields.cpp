// Data fields at chosen moments of the drive: value, units, text and alarm.
#include "enginelib/nav/Debug.h"
#include "enginelib/nav/TLumorGPSEngineInterface.h"
#include "enginelib/nav/TMapaSatelites.h"
#include "enginelib/nav/TUnidades.h"
#include "enginelib/nav/TNavSimulation.h"
#include "enginelib/nav/TVisor_LumorGPSPocket.h"

#include <gtest/gtest.h>

#include <cmath>

#include "nav_fixture.h"

namespace {
using enginelib::Debug;

class FieldTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        navtest::InMemory(f);
        navtest::Start(f);
    }
    struct Expect {
        int field;
        bool ok;
        double value;
        int units;
        const char* text;  // null: not checked
        bool alarm;
    };
    void Check(const char* moment, const std::vector<Expect>& table, bool a = false, bool b = false)
    {
        for (const Expect& e : table) {
            SCOPED_TRACE(std::string(moment) + ": field " + std::to_string(e.field));
            TValCampo v;
            EXPECT_EQ(e.ok, f.Retorna_Val_Campo_Global(e.field, v, a, b));
            if (!e.ok)
                continue;
            EXPECT_NEAR(e.value, v.valor, 1e-6);
            EXPECT_EQ(e.units, v.unidades);
            if (e.text) {
                EXPECT_STREQ(e.text, v.texto.c_str());
            }
            EXPECT_EQ(e.alarm, v.alarma);
        }
    }
    TLumorGPSEngineInterface f;
};

TEST_F(FieldTest, AtTheStartBeforeTheFix)
{
    Debug::At(0);
    Check("start", {
                       {19, true, 0, UnidadNinguna, "31NAA5000050000", false},
                       {21, true, 0, UnidadKmh, "0", false},
                       {41, true, 20, UnidadMetros, "20", false},
                       {46, true, 0, UnidadNinguna, "Main Street", false},
                       {47, true, 0, UnidadGrados, "0\xB0", false},
                       {86, true, 10.5, UnidadHora, "10:30", false},
                       {366, true, 10.5, UnidadHora, "10:30:00", false},
                       {349, true, 10.5, UnidadFecha, "04/05/2024", false},
                       {98, true, 87, UnidadPorcentaje, "87", false},
                       {74, true, 13, UnidadPorcentaje, "13", false},
                       {99, true, 50, UnidadKmh, "50", false},
                       {300, true, 600, UnidadMetros, "600", false},
                       {306, true, 5.8, UnidadKm, "5.8", false},
                       {318, true, 0, UnidadNinguna, ":Turn right onto Mill Lane", false},
                       {330, true, 2, UnidadNinguna, "2", false},
                       {348, true, 10, UnidadNinguna, nullptr, false},
                       {363, true, 0, UnidadPorcentaje, "0", false},
                       {379, true, 0, UnidadNinguna, "0/0", false},
                       {2103, true, 0, UnidadPorcentaje, "Loading map", false},
                       {391, false, 0, 0, nullptr, false},
                       {374, false, 0, 0, nullptr, false},
                       {4242, true, 0, UnidadNinguna, "0", false},
                   });
    TValCampo v;
    f.Retorna_Val_Campo_Global(19, v, true, true);
    EXPECT_STREQ("31NAA5000050000\nN 0.50000\xB0 E 0.50000\xB0", v.texto.c_str());
}

TEST_F(FieldTest, OnTheWayThroughManoeuvresAndCameras)
{
    Debug::At(30);  // base satellite strengths
    Check("fix", {{363, true, 86, UnidadPorcentaje, "86", false}, {379, true, 8, UnidadNinguna, "8/12", false}});
    // Over the limit on Oak Road, 300 m before camera C1.
    ASSERT_TRUE(Debug::JumpTo("C1", -300));
    Debug::Advance(3000);  // 3 s on: over 55 km/h
    TValCampo speed;
    f.Retorna_Val_Campo_Global(21, speed, false, false);
    EXPECT_GT(speed.valor, 55);
    EXPECT_TRUE(speed.alarma);
    ASSERT_TRUE(Debug::JumpTo("C1", -300));
    Check("C1 -300", {
                         {319, true, 300, UnidadMetros, "300", false},
                         {351, true, 300, UnidadMetros, "300", false},
                         {352, true, 50, UnidadKmh, "50", false},
                         {300, true, 600, UnidadMetros, "600", false},
                         {364, true, 0, UnidadNinguna, "#g1a1aB", false},
                         {318, true, 0, UnidadNinguna, "[M7] Springvale\nCobble Hill", false},
                     });

    // The signpost and lanes of M3 show within 1 km.
    ASSERT_TRUE(Debug::JumpTo("A.M3", -500));
    Check("M3 -500", {
                         {318, true, 0, UnidadNinguna, "[M7] Springvale\nCobble Hill", false},
                         {364, true, 0, UnidadNinguna, "#g1a1aB", false},
                         {300, true, 500, UnidadMetros, "500", false},
                         {372, true, 800, UnidadMetros, "800", false},
                     });
    // Beyond 1 km a signposted manoeuvre shows its instruction; no camera is ahead;
    // distances above 1 km read in km unless base units are asked for.
    ASSERT_TRUE(Debug::JumpTo("A.M5", -1400));  // past camera C2, the last on this leg
    Check("M5 -1400", {
                          {300, true, 1.4, UnidadKm, "1.4", false},
                          {319, true, 0, UnidadMetros, "", false},
                          {351, true, -1, UnidadMetros, nullptr, false},
                          {352, true, 0, UnidadKmh, "0", false},
                          {318, true, 0, UnidadNinguna, ":Take exit 14 towards Springvale", false},
                      });
    Check("M5 -1400 base", {{300, true, 1400, UnidadMetros, "1400", false}}, true, false);
    // The last 2 s of a stop calculate the next route.
    Debug::At(TDemoRoute::Get().EventTime("stop.A") + 19);
    Check("stop A +19", {{2205, true, 0x16, UnidadNinguna, nullptr, false},
                         {2206, true, 50, UnidadPorcentaje, "Calculating route", false},
                         {21, true, 0, UnidadKmh, "0", false}});
}

TEST_F(FieldTest, WithoutARouteAndForcedValues)
{
    ASSERT_TRUE(Debug::JumpTo("A.M1", -100));
    f.visor->EjecutaComanda(nullptr, 0, "", 235);  // stop navigation
    Check("free driving", {
                              {300, true, -1, UnidadMetros, "", false},
                              {306, true, -1, UnidadMetros, nullptr, false},
                              {313, true, -1000, UnidadGrados, nullptr, false},
                              {318, true, 0, UnidadNinguna, "", false},
                              {364, true, 0, UnidadNinguna, "", false},
                              {356, false, 0, 0, nullptr, false},
                              {21, true, 45, UnidadKmh, "45", false},
                              {99, true, 50, UnidadKmh, "50", false},
                          });
    TValCampo forced;
    forced.valor = -55;
    forced.texto = "55";
    forced.unidades = UnidadPorcentaje;
    Debug::Force(98, forced);
    Debug::Friends(true);
    Debug::Detour(true);
    Check("forced", {{98, true, -55, UnidadPorcentaje, "55", false},
                     {391, true, 2, UnidadNinguna, "2", false},
                     {317, true, 100, UnidadPorcentaje, nullptr, false}});
    Debug::Unforce(98);
    Check("unforced", {{98, true, 87, UnidadPorcentaje, "87", false}});
}

TEST_F(FieldTest, TheTargetBearingIsRelativeToTheCourse)
{
    // Heading north on Main Street; the destination is east-north-east.
    ASSERT_TRUE(Debug::JumpTo("A.M1", -300));
    TValCampo v;
    ASSERT_TRUE(f.Retorna_Val_Campo_Global(313, v, false, false));
    const double bearing = std::atan2(5024.0 - 0, 600.0 - 300) * 180 / 3.14159265358979323846;
    EXPECT_NEAR(bearing, v.valor, 1e-6);
    // Driving east on the motorway, the destination lies a little to the left.
    ASSERT_TRUE(Debug::JumpTo("A.M5", -500));
    f.Retorna_Val_Campo_Global(313, v, false, false);
    EXPECT_NEAR(std::atan2(5024.0 - 3712, 600.0 - 388) * 180 / 3.14159265358979323846 - 90, v.valor, 1e-6);
}

TEST_F(FieldTest, SkyMapCoordinatesAndUnits)
{
    TMapaSatelites sky;
    Debug::At(30);
    sky.Lee_Satelites();
    ASSERT_EQ(12u, sky.satelites.size());
    EXPECT_TRUE(sky.display);
    EXPECT_DOUBLE_EQ(1.7, sky.precision);
    int inUse = 0;
    for (const auto& s : sky.satelites)
        inUse += s.enUso;
    EXPECT_EQ(8, inUse);
    Debug::At(0);
    sky.Lee_Satelites();
    EXPECT_TRUE(sky.satelites.empty());

    DString text, n1, n2, v1, v2;
    f.GetStringCoords(text, n1, n2, v1, v2);
    EXPECT_STREQ("31NAA5000050000", text.c_str());
    EXPECT_STREQ("Lat", n1.c_str());
    EXPECT_STREQ("N 0.50000\xB0", v1.c_str());
    EXPECT_STREQ("E 0.50000\xB0", v2.c_str());

    EXPECT_STREQ("km/h", TUnidades::Nombre_Unidad(UnidadKmh, false).c_str());
    EXPECT_STREQ("\xB0", TUnidades::Nombre_Unidad(UnidadGrados, false).c_str());
    EXPECT_STREQ("", TUnidades::Nombre_Unidad(UnidadHora, false).c_str());
    EXPECT_STREQ("km", TUnidades::Nombre_Mag(1).c_str());
    EXPECT_STREQ("m", TUnidades::Nombre_Mag(2).c_str());
    const std::pair<double, const char*> lengths[] = {{850, "850 m"}, {1234, "1.2 km"}, {-1500, "-1.5 km"}, {NAN, "0 m"}};
    for (const auto& l : lengths) {
        DString out;
        TUnidades::Convierte_a_Longitud_Oportuna(l.first, 0, out, true, 1, true);
        EXPECT_STREQ(l.second, out.c_str());
    }
}

} // namespace
