// Language tables: id replacement, the texts callers use as formats, switching
// language, and tables that do not read.
#include "enginelib/nav/TConfig.h"
#include "enginelib/nav/TLanguageTable.h"
#include "enginelib/nav/TLumorGPSEngineInterface.h"

#include <gtest/gtest.h>

#include <fstream>

#include "nav_fixture.h"

namespace {

std::string LangFolder() { return testpaths::SourceDir() + "/enginelib/nav/data/lang"; }

class LanguageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        navtest::InMemory(f);
        f.Inicializa0();
    }
    TLumorGPSEngineInterface f;
};

TEST_F(LanguageTest, IdsAreReplacedInPlaceAndUnknownOnesStay)
{
    const std::pair<const char*, const char*> cases[] = {
        {"{E7}: 12 km", "Distance: 12 km"},
        {"{E97}", "\xBA"},
        {"{E7}{R109}", "DistanceHome"},
        {"{{E7}}", "{Distance}"},
        {"{Z999} and {E7}", "{Z999} and Distance"},
        {"{e7} {E} {7} {E7 } {E7", "{e7} {E} {7} {E7 } {E7"},
        {"R109 without braces", "R109 without braces"},
        {"", ""},
        {"{gps.1}", "{gps.1}"},
    };
    for (const auto& c : cases) {
        DString text(c.first);
        f.Sustituye_Id_Idioma(text);
        EXPECT_STREQ(c.second, text.c_str()) << c.first;
    }
    EXPECT_STREQ("Demo Navigator", f.Get_Idioma_GPS(1).c_str());
    EXPECT_STREQ("No map available for this function.", f.Get_Idioma_Movingmap(105).c_str());
    EXPECT_STREQ("The charger was unplugged.", f.Get_Idioma_Menu(357).c_str());
    EXPECT_STREQ("gps.9", f.Get_Idioma_GPS(9).c_str());
}

// Callers use some texts as printf formats or patch them: every language keeps
// exactly the conversions they expect, and every id English has.
TEST_F(LanguageTest, EveryLanguageKeepsTheFormsCallersRelyOn)
{
    const std::pair<const char*, const char*> formats[] = {
        {"E14", "%s"}, {"E50", "%s"}, {"R197", "%s"}, {"R212", "%s"}, {"E224", "%d"}};
    const char* const colonAppended[] = {"E273", "E279", "H180", "H294", "R216", "R227", "U65", "R135",
                                         "B19",  "E7",   "R185", "H244", "H245"};
    ASSERT_EQ(3, f.GetIdioma_Count());
    TLanguageTable english;
    std::string error;
    ASSERT_TRUE(english.Load(LangFolder() + "/en.lng", error)) << error;
    for (int lang = 0; lang < f.GetIdioma_Count(); ++lang) {
        SCOPED_TRACE(f.GetIdioma_Name(lang).c_str());
        f.CambiaIdioma(lang);
        const TLanguageTable& t = f.languages.Table();
        for (const auto& fm : formats) {
            const std::string* text = t.Find(fm.first);
            ASSERT_NE(nullptr, text) << fm.first;
            EXPECT_EQ(1, std::count(text->begin(), text->end(), '%')) << fm.first << ": " << *text;
            EXPECT_NE(std::string::npos, text->find(fm.second)) << fm.first;
        }
        EXPECT_EQ(1, std::count(t.Find("R160")->begin(), t.Find("R160")->end(), '3'));
        EXPECT_EQ("\xBA", *t.Find("E97"));
        EXPECT_FALSE(t.Find("H301")->empty());
        for (const char* id : colonAppended)
            EXPECT_NE(':', t.Find(id)->back()) << id;
        for (const char* id : {"B9", "E1", "G86", "R109", "Y10", "gps.2", "movingmap.202"})
            EXPECT_NE(nullptr, t.Find(id)) << id;
        EXPECT_FALSE(t.keyboard.empty());
        EXPECT_EQ('@', t.keyboard[0]);
    }
}

TEST_F(LanguageTest, SwitchingLanguageTellsTheProgramAndKeepsTheSetting)
{
    static int changed = 0, modified = 0;
    changed = modified = 0;
    f.SetCallbackLanguageChanged([](void*) { ++changed; }, nullptr);
    f.SetCallbackDatosModif([](void*, TElementoGPS*, bool) { ++modified; }, nullptr);
    const struct {
        int index;
        const char* shortName;
        const char* name;
        bool rtl;
        const char* title;
    } cases[] = {
        {1, "de", "Deutsch", false, "Demo-Navigator"},
        {2, "rt", "Right to left (test)", true, "rotagivaN omeD"},
        {0, "en", "English", false, "Demo Navigator"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.shortName);
        f.CambiaIdioma(c.index);
        EXPECT_STREQ(c.shortName, f.NomCurtIdioma2().c_str());
        EXPECT_STREQ(c.name, f.GetIdioma_Name(c.index).c_str());
        EXPECT_EQ(c.rtl, f.GetIdioma_IsRightToLeft());
        EXPECT_STREQ(c.title, f.Get_Idioma_GPS(1).c_str());
        EXPECT_EQ(c.index, f.config->languageId.GetValor());
    }
    EXPECT_EQ(3, changed);
    EXPECT_EQ(3, modified);
    f.CambiaIdioma(3);
    f.CambiaIdioma(-1);
    EXPECT_EQ(3, changed);
    EXPECT_STREQ("", f.GetIdioma_Name(7).c_str());
    f.CambiaIdioma(1);
    EXPECT_EQ(std::wstring(L"@QWERTZUIOP\u00DC ASDFGHJKL\u00D6\u00C4 YXCVBNM"),
              std::wstring(f.GetCountryKeyboard()).substr(0, 32));
    EXPECT_EQ(L'@', f.GetCountryMapKeyboard()[0]);
}

TEST(LanguageTables, ATableThatDoesNotReadIsLeftOut)
{
    testpaths::TempDir dir;
    std::ofstream(dir / "en.lng") << "@name=English\n@short=en\nE7=Distance\nbroken line\n";
    std::ofstream(dir / "de.lng") << "@name=Deutsch\n@short=de\nE7=Entfernung\n";
    TLanguages languages;
    EXPECT_EQ(dir / "en.lng: line 4 is not a text\n", languages.Load(dir.path()));
    ASSERT_EQ(1, languages.Count());  // no English: no backwards English either
    EXPECT_EQ("Deutsch", languages.Name(0));
    TLanguageTable t;
    std::string error;
    EXPECT_FALSE(t.Load(dir / "none.lng", error));
    EXPECT_EQ(dir / "none.lng: cannot be read", error);

    // The program starts without language files: ids stay readable.
    TLumorGPSEngineInterface f;
    f.dataFolder.clear();
    f.libraryFolder = dir / "missing";
    f.Inicializa0();
    DString text("{E7}");
    f.Sustituye_Id_Idioma(text);
    EXPECT_STREQ("{E7}", text.c_str());
    EXPECT_EQ(2u, f.recorder.log.size());
    EXPECT_STREQ("", f.NomCurtIdioma2().c_str());
}

} // namespace
