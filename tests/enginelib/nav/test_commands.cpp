// Commands: their states, the seven trees with their saved files, and what the
// library does for the numbers it handles.
#include "enginelib/nav/TCommandTable.h"
#include "enginelib/nav/TConfig.h"
#include "enginelib/nav/TLumorGPSEngineInterface.h"
#include "enginelib/nav/TOpenFileNameLumor.h"
#include "enginelib/nav/TVectorComandas.h"
#include "enginelib/nav/TVisor_LumorGPSPocket.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>

#include "nav_fixture.h"

namespace {

class CommandTest : public ::testing::Test {
protected:
    void Start(const std::string& dataFolder = "")
    {
        navtest::InMemory(f, dataFolder);
        ASSERT_TRUE(navtest::Start(f));
        for (TVectorComandas* t : f.trees)
            t->Lee();
        v = f.visor;
    }
    struct State {
        int kind;
        bool checked, visible, enabled;
    };
    State StateOf(int number)
    {
        State s{};
        v->EstadoComanda(number, s.kind, s.checked, s.visible, s.enabled, nullptr);
        return s;
    }
    TLumorGPSEngineInterface f;
    TVisor_LumorGPSPocket* v = nullptr;
};

TEST_F(CommandTest, StatesFollowTheCommandsThatChangeThem)
{
    Start();
    // 3D view cycles through its three modes and is checked while not flat.
    for (int expected : {1, 2, 0, 1}) {
        EXPECT_EQ(1, v->EjecutaComanda(nullptr, 0, "", 269));
        EXPECT_EQ(expected, f.Get3DMode());
        EXPECT_EQ(expected != 0, StateOf(269).checked);
    }
    // Record, stop and pause: exactly one checked at a time.
    for (int command : {290, 292, 291, 202, 708}) {
        v->EjecutaComanda(nullptr, 0, "", command);
        const int checked = StateOf(290).checked + StateOf(291).checked + StateOf(292).checked;
        EXPECT_EQ(1, checked) << command;
        EXPECT_EQ(1, StateOf(290).kind);
    }
    EXPECT_FALSE(StateOf(708).visible);  // nothing is recording
    v->EjecutaComanda(nullptr, 0, "", 202);
    EXPECT_TRUE(StateOf(708).visible);
    // Zoom in is disabled at the last level, zoom out at the first.
    v->EjecutaComanda(nullptr, 0, "100", 101);
    EXPECT_FALSE(StateOf(101).enabled);
    EXPECT_TRUE(StateOf(102).enabled);
    v->EjecutaComanda(nullptr, 0, "100", 102);
    EXPECT_FALSE(StateOf(102).enabled);
    // Auto-centre and the map cursor toggle; north up and heading up exclude each other.
    EXPECT_TRUE(StateOf(2512).checked);
    v->EjecutaComanda(nullptr, 0, "", 2512);
    EXPECT_FALSE(StateOf(2512).checked);
    v->EjecutaComanda(nullptr, 0, "", 142);
    EXPECT_FALSE(StateOf(105).checked);
    EXPECT_TRUE(StateOf(142).checked);
    // Numbers without a state are plain, unchecked, visible and enabled; unknown
    // numbers succeed, so new tree items never fail.
    const State plain = StateOf(4242);
    EXPECT_EQ(0, plain.kind);
    EXPECT_FALSE(plain.checked);
    EXPECT_TRUE(plain.visible && plain.enabled);
    EXPECT_EQ(1, v->EjecutaComanda(nullptr, 0, "", 4242));
}

TEST_F(CommandTest, CommandsThatChangeSettingsTellTheProgram)
{
    Start();
    static std::vector<std::string> heard;
    heard.clear();
    f.SetCallbackDatosModif([](void*, TElementoGPS*, bool) { heard.push_back("modified"); }, nullptr);
    f.SetCallbackSkinChanged([](void*) { heard.push_back("skin"); }, nullptr);
    f.SetCallBackEjecutaComanda([](void*, TComandasLumorGPS n, const DString&) { heard.push_back(std::to_string(n)); },
                                nullptr);
    f.SetCallbackFileOpen([](void*, TOpenFileNameLumor& r) { heard.push_back(r.filter.c_str()); return 1; }, nullptr);
    const struct {
        int number;
        const char* text;
        std::vector<std::string> heard;
        std::function<bool()> check;
    } cases[] = {
        {129, "1", {"modified", "skin"}, [&] { return (bool)f.config->nightColours; }},
        {129, "0", {"modified", "skin"}, [&] { return !f.config->nightColours; }},
        {129, "", {"modified", "skin"}, [&] { return (bool)f.config->nightColours; }},
        {276, "", {"modified"}, [&] { return !f.config->onRoad; }},
        {2507, "", {}, [&] { return std::string(f.config->routeThemes.c_str()) == "outdoor|outdoorAlt"; }},
        {2511, "", {}, [&] { return std::string(f.config->routeThemes.c_str()) == "road|roadAlt"; }},
        {566, "Windows|WindowsMenus_Rtng", {}, [&] { return f.config->menuListMode == 1; }},
        {3221, "", {"551"}, [] { return true; }},
        {554, "", {"Tracks|*.trk;*.gpx|All files|*.*"}, [&] { return f.recorder.Unanswered().size() == 1; }},
        {595, "", {"modified"}, [&] { return f.config->onRoad && f.config->menuListMode == 0; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.number) + " " + c.text);
        heard.clear();
        EXPECT_EQ(1, v->EjecutaComanda(nullptr, 0, c.text, c.number));
        EXPECT_EQ(c.heard, heard);
        EXPECT_TRUE(c.check());
    }
    // The text path of day and night leaves the skin to its caller.
    heard.clear();
    v->EjecutaComandaTexto("0", 129);
    EXPECT_TRUE(heard.empty());
    EXPECT_FALSE(f.config->nightColours);
    // Recent file n opens only when there is one.
    f.config->recentFiles.Nuevo_Archivo("a.gpx");
    EXPECT_EQ(1, v->EjecutaComanda(nullptr, 0, "", 510));
    EXPECT_EQ(0, v->EjecutaComanda(nullptr, 0, "", 511));
    // Quit, program start and 2486 are recorded.
    EXPECT_TRUE(v->PuedeSalir(1, 506));
    v->quitAllowed = false;
    EXPECT_FALSE(v->PuedeSalir(1, 3));
    EXPECT_TRUE(v->LanzaPrograma("\\Windows\\Vemblo.exe", "/orbeta"));
    EXPECT_EQ(0, v->Operacion2486(4, 0));
    const auto& calls = f.recorder.calls;
    EXPECT_NE(calls.end(), std::find(calls.begin(), calls.end(), "start \\Windows\\Vemblo.exe /orbeta"));
    EXPECT_NE(calls.end(), std::find(calls.begin(), calls.end(), "operation 2486 4 0"));
    DString error;
    EXPECT_EQ(nullptr, v->GetConfigManager(error, 4242, nullptr));
    EXPECT_STREQ("No settings for this command", error.c_str());
}

TEST_F(CommandTest, CommandTablesAndNames)
{
    Start();
    for (int n : {101, 102, 2434, 2435})
        EXPECT_TRUE(f.ComandaRepetitiva(n)) << n;
    for (int n : {12, 185, 272, 273, 274, 275, 278, 279, 2463, 2465, 2470, 2508, 2528, 188, 232, 600, 807, 1101, 235, 271})
        EXPECT_TRUE(f.ComandaCierraMenu(n)) << n;
    for (int n : {101, 269, 129, 4242})
        EXPECT_FALSE(f.ComandaCierraMenu(n)) << n;
    EXPECT_NE(-1, f.IDiconComanda(157, false, false));
    EXPECT_EQ(-1, f.IDiconComanda(3015, false, false));
    EXPECT_EQ(-1, f.IDiconComanda(4242, false, false));
    Vector<int> toolbar, keys;
    f.Set_Comandas_Disponibles_ToolBar_Orbeta_2(toolbar);
    EXPECT_EQ(22, toolbar.Count());
    f.Set_Comandas_Disponibles_ToolBar_Orbeta_1(keys);
    EXPECT_EQ(-1, keys[0]);
    EXPECT_STREQ("Find address", f.NomComanda(272).c_str());
    f.CambiaIdioma(1);
    EXPECT_STREQ("Adresse suchen", f.NomComanda(272).c_str());
    // Every command of every tree has a name in every language.
    std::function<void(const TVectorComandas&)> named = [&](const TVectorComandas& t) {
        for (int i = 0; i < t.Count(); ++i) {
            if (t[i]->Comanda() != 10 && t[i]->Nombre().StartsWith("{")) {
                DString name = t[i]->Nombre();
                f.Sustituye_Id_Idioma(name);
                EXPECT_FALSE(name.StartsWith("{")) << name.c_str() << " in " << f.NomCurtIdioma2().c_str();
            }
            if (t[i]->SubMenu())
                named(*t[i]->SubMenu());
        }
    };
    for (int lang = 0; lang < 2; ++lang) {
        f.CambiaIdioma(lang);
        for (TVectorComandas* t : f.trees)
            named(*t);
    }
}

TEST_F(CommandTest, TreesSaveLoadAndResetToTheirDefaults)
{
    testpaths::TempDir dir;
    Start(dir.path());
    TVectorComandas& menu = *f.trees[0];
    ASSERT_EQ(11, menu.Count());
    EXPECT_EQ(3006, menu[0]->Comanda());
    EXPECT_EQ(11, menu[0]->SubMenu()->Count());
    EXPECT_EQ(3001, menu[1]->Comanda());
    EXPECT_EQ(3030, f.trees[1]->Get(1)->Comanda());  // off-road: tracks instead of route
    EXPECT_EQ(3, f.trees[2]->Count());
    EXPECT_EQ(40, f.trees[3]->Count());
    EXPECT_EQ(11, f.trees[4]->Count());
    EXPECT_EQ(nullptr, menu[99]);

    // Every default tree saves and reads back as it was.
    for (TVectorComandas* t : f.trees) {
        const std::string before = t->ToXml();
        ASSERT_TRUE(t->GuardaXML());
        ASSERT_TRUE(t->Lee());
        EXPECT_EQ(before, t->ToXml()) << t->File();
    }
    // A tool-bar edit survives a reload until the menus are reset.
    TVectorComandas& toolbar = *f.trees[5];
    toolbar.Remove(0);
    toolbar.Anyade_Comanda(550);
    ASSERT_TRUE(toolbar.GuardaXML());
    f.ReloadMenus();
    EXPECT_EQ(102, toolbar[0]->Comanda());
    EXPECT_EQ(550, toolbar[toolbar.Count() - 1]->Comanda());
    f.ResetMenus();
    EXPECT_EQ(101, toolbar[0]->Comanda());
}

TEST_F(CommandTest, ATreeFileThatDoesNotReadKeepsTheDefaults)
{
    testpaths::TempDir dir;
    Start(dir.path());
    ASSERT_TRUE(f.trees[5]->GuardaXML());  // makes the folder
    const struct {
        std::string text;
        const char* error;
    } cases[] = {
        {"<tree><item n=\"12\"></tree>", "tree5.xml: Start-end tags mismatch at byte 21"},
        {"<menu/>", "tree5.xml: no <tree>"},
        {"<tree><item name=\"x\"/></tree>", "tree5.xml: an item without its command number"},
        {"<tree><entry n=\"1\"/></tree>", "tree5.xml: unexpected <entry>"},
        {"<tree><item n=\"12\"/><item n=\"3006\" submenu=\"1\"/></tree>", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 40));
        std::ofstream(dir / "trees/tree5.xml") << c.text;
        std::string error;
        const bool ok = f.trees[5]->Lee(&error);
        EXPECT_EQ(c.error[0] == 0, ok) << error;
        if (!ok) {
            EXPECT_EQ(dir / "trees/", error.substr(0, error.find("tree5.xml")));
            EXPECT_EQ(c.error, error.substr(error.find("tree5.xml")));
            EXPECT_EQ(9, f.trees[5]->Count());  // the built-in tool bar
        }
    }
    // Nested too deep for a menu.
    std::string tooDeep = "<tree>";
    for (int i = 0; i < 20; ++i)
        tooDeep += "<item n=\"3006\">";
    for (int i = 0; i < 20; ++i)
        tooDeep += "</item>";
    std::ofstream(dir / "trees/tree5.xml") << tooDeep + "</tree>";
    std::string error;
    EXPECT_FALSE(f.trees[5]->Lee(&error));
    EXPECT_EQ(dir / "trees/tree5.xml: sub-menus nested deeper than 16", error);
    EXPECT_EQ(dir / "trees/tree5.xml: sub-menus nested deeper than 16; the built-in tree is used",
              f.recorder.log.back());
}

} // namespace
