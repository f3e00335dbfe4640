// Finding, checking and loading a skin into the engine's skin settings.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "../fonts/idle_font_renderer.h"
#include "enginelib/base/TFitxUtils.h"
#include "enginelib/base/TStringNomFitx.h"
#include "skin_fixture.h"
#include "uiengine/core/TPDAUIEngineXml.h"
#include "uiengine/fonts/TPDAUIEngineFontManager.h"

using namespace skinfixture;

namespace {

class SkinLoadingTest : public ::testing::Test {
protected:
    SkinLoadingTest() { engine.skinsFolder = dir.path().c_str(); }

    void Skin(const std::string& folder, int version, const std::string& inner = "",
              const std::string& attributes = "")
    {
        WriteText(dir / (folder + "/skin.xml"), SkinXml(version, inner, attributes));
    }

    bool Load(const std::string& skin, const std::string& theme1 = "",
              const std::string& theme2 = "", const std::string& option = "")
    {
        name = skin.c_str();
        error.Empty();
        return engine.LoadSkin(name, theme1.c_str(), theme2.c_str(), option.c_str(), error);
    }

    TPDAUIEngineSkinSettings& settings() { return engine.skinSettings; }

    // The attributes the stylesheet gives a node "<tag/>", as "name=value;".
    std::string Styled(const std::string& tag)
    {
        std::string text = "<" + tag + "/>";
        TPDAUIEngineXml node;
        EXPECT_TRUE(node.Parse(&text[0]));
        settings().styleSheet.ApplyToXml(&node);
        std::string out;
        for (int i = 0; i < node.attributes.Count(); ++i)
            out += std::string(node.attributes[i]->name.c_str()) + "=" +
                   node.attributes[i]->value.c_str() + ";";
        return out;
    }

    testpaths::TempDir dir;
    SkinEngine engine;
    DString name;
    DString error;
};

// ---- Finding skin.xml ----------------------------------------------------------------------

TEST(SkinLoadingChain, PlainCompiledAndDefaultFolders)
{
    struct Case {
        std::vector<std::string> folders;
        const char* asked;
        const char* loaded;  // null: the load fails
    } cases[] = {
        {{"night", "default"}, "night", "night"},
        {{"night.cskin", "default"}, "night", "night.cskin"},
        {{"night", "default"}, "night.cskin", "night"},
        {{"night", "night.cskin"}, "night.cskin", "night.cskin"},
        {{"night", "night.cskin"}, "night", "night"},
        {{"default", "default.cskin"}, "missing", "default"},
        {{"default.cskin"}, "missing", "default.cskin"},
        {{"default.cskin"}, "missing.cskin", "default.cskin"},
        {{"Night"}, "night", "night"},  // folder names match without regard to case
        {{"other"}, "missing", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.asked);
        testpaths::TempDir dir;
        SkinEngine engine;
        engine.skinsFolder = dir.path().c_str();
        for (const std::string& f : c.folders)
            WriteText(dir / (f + "/skin.xml"), SkinXml(440, "", "author=\"" + f + "\""));
        DString name(c.asked), error;
        const bool ok = engine.skinSettings.LoadSkin(engine, name, "", "", "", error);
        if (!c.loaded) {
            EXPECT_FALSE(ok);
            EXPECT_STREQ(c.asked, name.c_str());
            EXPECT_EQ("Invalid Skin, unable to open '" + dir.path() +
                          "\\default.cskin\\skin.xml' program will close.",
                      error.c_str());
            EXPECT_STREQ("default", engine.skinSettings.skinName.c_str());  // untouched
            continue;
        }
        ASSERT_TRUE(ok) << error.c_str();
        EXPECT_STREQ(c.loaded, name.c_str());
        EXPECT_STREQ(c.loaded, engine.skinSettings.skinName.c_str());
        EXPECT_EQ(CDString(c.loaded).Contains(".cskin"), engine.skinSettings.compiledSkin != 0);
        EXPECT_TRUE(error.IsEmpty());
    }
}

// ---- Version check -------------------------------------------------------------------------

TEST_F(SkinLoadingTest, WrongVersionFallsBackToTheDefaultSkinOnce)
{
    settings().defaultSkinThemeName = "blue";
    const std::string themes =
        "<themes><theme name=\"blue\"/><theme name=\"red\"/><theme name=\"dusk\"/></themes>";
    Skin("night", 300, themes);
    Skin("default", 440, themes, "author=\"defaults\"");
    ASSERT_TRUE(Load("night", "red", "dusk", "red")) << error.c_str();
    EXPECT_STREQ("default", name.c_str());
    EXPECT_STREQ("default", settings().skinName.c_str());
    EXPECT_STREQ("defaults", settings().author.c_str());
    EXPECT_EQ(440, settings().skinVersion);
    // The default skin's theme replaces the first theme; the second is kept.
    EXPECT_STREQ("blue", settings().theme1Name.c_str());
    EXPECT_STREQ("dusk", settings().theme2Name.c_str());
    EXPECT_TRUE(error.IsEmpty());
}

TEST(SkinLoadingVersion, MessagesAndTheSingleFallback)
{
    const std::string older = "'.\nYou must update your skins.\nProgram will close.";
    const std::string newer = "'.\nYou must upgrade your software.\nProgram will close.";
    struct Case {
        const char* what;
        std::vector<std::pair<std::string, int>> skins;
        const char* defaultSkin;  // the settings' default skin name before the load
        const char* asked;
        std::string error;        // empty: loads
    } cases[] = {
        {"default older", {{"default", 300}}, "default", "default",
         "Invalid Skin version 'default v.300', needed '440" + older},
        {"default newer", {{"default", 500}}, "default", "default",
         "Invalid Skin version 'default v.500', needed '440" + newer},
        {"both wrong", {{"night", 300}, {"default", 439}}, "default", "night",
         "Invalid Skin version 'default v.439', needed '440" + older},
        // The compiled default skin is the default skin: no fallback to itself.
        {"compiled default", {{"default.cskin", 300}}, "default", "default",
         "Invalid Skin version 'default.cskin v.300', needed '440" + older},
        {"compiled default by name", {{"default.cskin", 441}}, "default", "default.cskin",
         "Invalid Skin version 'default.cskin v.441', needed '440" + newer},
        // The default skin named in the settings is missing: "default" stands
        // in for it and is checked once.
        {"missing default", {{"night", 300}, {"default", 300}}, "classic", "night",
         "Invalid Skin version 'default v.300', needed '440" + older},
        {"no version", {{"default", 0}}, "default", "default",
         "Invalid Skin version 'default v.0', needed '440" + older},
        {"right version", {{"night", 440}}, "default", "night", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        testpaths::TempDir dir;
        SkinEngine engine;
        engine.skinsFolder = dir.path().c_str();
        engine.skinSettings.defaultSkinName = c.defaultSkin;
        for (const auto& s : c.skins)
            WriteText(dir / (s.first + "/skin.xml"),
                      s.second ? SkinXml(s.second) : std::string("<skin/>"));
        DString name(c.asked), error;
        const bool ok = engine.skinSettings.LoadSkin(engine, name, "", "", "", error);
        EXPECT_EQ(c.error.empty(), ok);
        EXPECT_EQ(c.error, error.c_str());
        if (!ok) {
            EXPECT_STREQ("default", engine.skinSettings.skinName.c_str());
            EXPECT_EQ(0, engine.skinSettings.skinVersion);
            EXPECT_EQ(0, engine.fontClears);  // nothing of the old skin was undone
        }
    }
}

// A "skin.xml" that opens but is damaged stops the load with a message naming
// that file: no silent fallback to another skin, no part of it loaded, and
// nothing of the skin loaded before undone.
TEST(SkinLoadingDamaged, TheDamagedFileIsNamed)
{
    // What the XML reader refuses: a root closed by another name, no element at all.
    // (A document cut short is read as far as it goes, not refused.)
    const std::string broken = "<skin version=\"440\">\n<fontName value=\"Sans\"/>\n</skni>";
    const std::string garbage("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
    const std::string good = SkinXml(440);
    const std::string inherits =
        SkinXml(440, "<themes inheritsFromDefaultSkin=\"true\"><theme name=\"day\"/></themes>");
    struct Case {
        const char* what;
        std::vector<std::pair<std::string, std::string>> files;  // folder, skin.xml text
        const char* asked;
        const char* damaged;  // the folder whose skin.xml the message names
    } cases[] = {
        {"root closed by another name", {{"night", broken}, {"default", good}}, "night", "night"},
        {"empty skin", {{"night", ""}, {"default", good}}, "night", "night"},
        {"binary skin", {{"night", garbage}, {"default", good}}, "night", "night"},
        {"compiled twin", {{"night.cskin", broken}, {"default", good}}, "night", "night.cskin"},
        {"default standing in", {{"default", broken}, {"default.cskin", good}}, "missing",
         "default"},
        {"default after a wrong version", {{"night", SkinXml(300)}, {"default", garbage}}, "night",
         "default"},
        {"inherited themes", {{"night", inherits}, {"default", broken}}, "night", "default"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        testpaths::TempDir dir;
        SkinEngine engine;
        engine.skinsFolder = dir.path().c_str();
        for (const auto& f : c.files)
            WriteText(dir / (f.first + "/skin.xml"), f.second);
        DString name(c.asked), error;
        EXPECT_FALSE(engine.skinSettings.LoadSkin(engine, name, "", "", "", error));
        EXPECT_EQ("Invalid Skin, unable to read '" + dir.path() + "\\" + c.damaged +
                      "\\skin.xml' program will close.",
                  error.c_str());
        EXPECT_STREQ(c.asked, name.c_str());
        EXPECT_STREQ("default", engine.skinSettings.skinName.c_str());
        EXPECT_EQ(0, engine.skinSettings.skinVersion);
        EXPECT_STREQ("arial", engine.skinSettings.fontName.c_str());
        EXPECT_EQ(0, engine.fontClears);
    }
}

TEST_F(SkinLoadingTest, VersionCheckOffOrNoRequiredVersionTakesAnyVersion)
{
    Skin("night", 12);
    settings().versionCheck = 0;
    ASSERT_TRUE(Load("night")) << error.c_str();
    EXPECT_EQ(12, settings().skinVersion);
    EXPECT_STREQ("night", name.c_str());

    settings().versionCheck = 1;
    settings().requiredVersion = 0;
    Skin("night", 13);
    ASSERT_TRUE(Load("night")) << error.c_str();
    EXPECT_EQ(13, settings().skinVersion);
}

// ---- Settings ------------------------------------------------------------------------------

TEST_F(SkinLoadingTest, SettingsAreReadFromTheirElements)
{
    Skin("night", 440,
         "<defaultSkinName value=\"classic\"/>"
         "<fontName value=\"Sans\"/>"
         "<fontSizeIncrement value=\"3\"/>"
         "<fontSizeIncrementRTL value=\"-2\"/>"
         "<bitmapExtension value=\"bmp\"/>"
         "<soundButton value=\"b\"/><soundClick value=\"c\"/><soundMessageBox value=\"m\"/>"
         "<carMapPosition value=\"10;20\"/><carMapPosition3D value=\"30;40\"/>"
         "<carMapPositionFullScreen value=\"50;60\"/>"
         "<carMapPosition3DFullScreen value=\"70;80\"/>"
         "<embeddedFontNames value=\"a.ttf\"/>"
         "<screenPageTransitionsEnabled value=\"false\"/>",
         "author=\"Me\" title=\"Night\" description=\"Dark\"");
    ASSERT_TRUE(Load("night", "Day", "NIGHT")) << error.c_str();
    const TPDAUIEngineSkinSettings& s = settings();
    EXPECT_STREQ("classic", s.defaultSkinName.c_str());
    EXPECT_STREQ("Sans", s.fontName.c_str());
    EXPECT_EQ(3, s.fontSizeIncrement);
    EXPECT_EQ(-2, s.fontSizeIncrementRTL);
    EXPECT_STREQ("bmp", s.bitmapExtension.c_str());
    EXPECT_STREQ("b", s.soundButton.c_str());
    EXPECT_STREQ("c", s.soundClick.c_str());
    EXPECT_STREQ("m", s.soundMessageBox.c_str());
    EXPECT_STREQ("10;20", s.carMapPosition.c_str());
    EXPECT_STREQ("30;40", s.carMapPosition3D.c_str());
    EXPECT_STREQ("50;60", s.carMapPositionFullScreen.c_str());
    EXPECT_STREQ("70;80", s.carMapPosition3DFullScreen.c_str());
    EXPECT_STREQ("a.ttf", s.embeddedFontNames.c_str());
    EXPECT_EQ(0, s.screenPageTransitionsEnabled);
    EXPECT_STREQ("Me", s.author.c_str());
    EXPECT_STREQ("Night", s.title.c_str());
    EXPECT_STREQ("Dark", s.description.c_str());
    EXPECT_EQ(440, s.skinVersion);
    // Theme names are kept lower-cased (a skin without themes loads none).
    EXPECT_STREQ("day", s.theme1Name.c_str());
    EXPECT_STREQ("night", s.theme2Name.c_str());
    EXPECT_TRUE(s.themeList.IsEmpty());
}

TEST_F(SkinLoadingTest, MissingSettingsTakeTheirDefaults)
{
    TPDAUIEngineSkinSettings& s = settings();
    EXPECT_STREQ("50;80", s.carMapPosition.c_str());  // before any skin
    EXPECT_STREQ("arial", s.fontName.c_str());
    s.bitmapExtension = "jpg";
    s.soundClick = "tick";
    s.defaultSkinName = "night";
    s.screenPageTransitionsEnabled = 0;
    s.fontSizeIncrement = 9;
    s.embeddedFontNames = "old.ttf";
    Skin("night", 440, "<fontName/><carMapPosition value=\"\"/>");
    ASSERT_TRUE(Load("night")) << error.c_str();
    // Held before: default skin name, bitmap extension, sounds.
    EXPECT_STREQ("night", s.defaultSkinName.c_str());
    EXPECT_STREQ("jpg", s.bitmapExtension.c_str());
    EXPECT_STREQ("tick", s.soundClick.c_str());
    // Fixed defaults.
    EXPECT_STREQ("", s.fontName.c_str());
    EXPECT_STREQ("", s.carMapPosition.c_str());  // present but empty
    EXPECT_STREQ("50;50", s.carMapPosition3D.c_str());
    EXPECT_STREQ("50;50", s.carMapPositionFullScreen.c_str());
    EXPECT_STREQ("50;50", s.carMapPosition3DFullScreen.c_str());
    EXPECT_EQ(0, s.fontSizeIncrement);
    EXPECT_EQ(1, s.screenPageTransitionsEnabled);
    EXPECT_STREQ("", s.embeddedFontNames.c_str());
    EXPECT_STREQ("", s.author.c_str());
}

// ---- Themes --------------------------------------------------------------------------------

const char kThemes[] =
    "<themes>"
    "<theme name=\"day\" title=\"Day\">"
    "<themerule type=\"image\" image=\"btn*\" filters=\"invert\"/>"
    "<themerule type=\"stockcolor\" name=\"sky\" color=\"#0000FF\"/>"
    "</theme>"
    "<theme name=\"dusk\" inheritRulesFromTheme=\"day\">"
    "<themerule type=\"image\" image=\"arrow\" filters=\"grayscale\"/>"
    "</theme>"
    "</themes>";

TEST_F(SkinLoadingTest, ThemesAndTheirList)
{
    Skin("night", 440, kThemes);
    ASSERT_TRUE(Load("night", "dusk", "day")) << error.c_str();
    const TPDAUIEngineSkinSettings& s = settings();
    EXPECT_STREQ("day=Day;dusk=dusk;", s.themeList.c_str());
    ASSERT_EQ(2, s.theme1.imageRules.Count());  // day's rule inherited first
    EXPECT_STREQ("btn", s.theme1.imageRules[0]->pattern.c_str());
    EXPECT_STREQ("arrow", s.theme1.imageRules[1]->pattern.c_str());
    ASSERT_EQ(1, s.theme2.imageRules.Count());
    TColorIG sky;
    EXPECT_TRUE(s.theme2.GetStockColor("sky", sky));

    // Unknown names take the theme option, else the first theme.
    ASSERT_TRUE(Load("night", "noon", "midnight", "dusk")) << error.c_str();
    EXPECT_STREQ("dusk", s.theme1Name.c_str());
    EXPECT_STREQ("dusk", s.theme2Name.c_str());
    ASSERT_TRUE(Load("night", "noon", "day", "")) << error.c_str();
    EXPECT_STREQ("day", s.theme1Name.c_str());

    // A skin without themes clears them.
    Skin("plain", 440);
    ASSERT_TRUE(Load("plain", "day", "day")) << error.c_str();
    EXPECT_EQ(0, s.theme1.imageRules.Count());
    EXPECT_EQ(0, s.theme2.stockColors.Count());
    EXPECT_TRUE(s.themeList.IsEmpty());
}

TEST_F(SkinLoadingTest, ThemesInheritedFromTheDefaultSkin)
{
    Skin("default", 440, kThemes);
    Skin("night", 440,
         "<themes inheritsFromDefaultSkin=\"true\">"
         "<theme name=\"day\"><themerule type=\"image\" image=\"sun\" filters=\"invert\"/></theme>"
         "<theme name=\"moon\" title=\"Moon\"/>"
         "</themes>");
    ASSERT_TRUE(Load("night", "day", "dusk")) << error.c_str();
    const TPDAUIEngineSkinSettings& s = settings();
    // The default skin's rules of a theme come before the skin's own.
    ASSERT_EQ(2, s.theme1.imageRules.Count());
    EXPECT_STREQ("btn", s.theme1.imageRules[0]->pattern.c_str());
    EXPECT_STREQ("sun", s.theme1.imageRules[1]->pattern.c_str());
    EXPECT_EQ(3, s.theme2.imageRules.Count());  // the merged day's two, then its own
    EXPECT_STREQ("dusk", s.theme2Name.c_str());  // taken from the default skin
    EXPECT_STREQ("day=day;moon=Moon;dusk=dusk;", s.themeList.c_str());

    // The default skin inheriting from itself, and compiled skins, take nothing more.
    struct Case {
        const char* skin;
    } cases[] = {{"default"}, {"night.cskin"}};
    Skin("default", 440, std::string(kThemes).replace(7, 0, " inheritsFromDefaultSkin=\"true\""));
    Skin("night.cskin", 440,
         "<themes inheritsFromDefaultSkin=\"true\"><theme name=\"day\"/></themes>");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.skin);
        ASSERT_TRUE(Load(c.skin, "day", "day")) << error.c_str();
        EXPECT_EQ(std::string(c.skin) == "default" ? 1 : 0, s.theme1.imageRules.Count());
    }
}

// ---- Stylesheets ---------------------------------------------------------------------------

TEST_F(SkinLoadingTest, StyleSheetsAreJoinedBaseDefaultThenSkin)
{
    WriteText(dir / "base/styles.css", "label{a:base;}");
    WriteText(dir / "default/styles.css", "label{a:default;}");
    WriteText(dir / "night/styles.css", "label{a:night;}");
    WriteText(dir / "classic/styles.css", "label{a:classic;}");
    Skin("default", 440);
    struct Case {
        const char* skin;
        const char* defaultSkin;  // in the skin's own settings
        const char* styled;
    } cases[] = {
        {"night", "default", "a=base;a=default;a=night;"},
        {"night", "classic", "a=base;a=classic;a=night;"},
        {"night", "base", "a=base;a=night;"},      // "base" read once
        {"night", "missing", "a=base;a=night;"},   // a missing file is skipped
        {"default", "default", "a=base;a=default;"},  // the default skin read once
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.skin) + " / " + c.defaultSkin);
        Skin(c.skin, 440, std::string("<defaultSkinName value=\"") + c.defaultSkin + "\"/>");
        ASSERT_TRUE(Load(c.skin)) << error.c_str();
        EXPECT_EQ(c.styled, Styled("label"));
    }
    // The skin's own rule, being last, wins among equal selectors; a more
    // specific rule of "base" still beats it.
    WriteText(dir / "base/styles.css", "label{a:base;}\nbox label{b:base;}");
    WriteText(dir / "night/styles.css", "label{b:night;}");
    Skin("night", 440);
    ASSERT_TRUE(Load("night"));
    std::string text = "<box><label/></box>";
    TPDAUIEngineXml box;
    ASSERT_TRUE(box.Parse(&text[0]));
    settings().styleSheet.ApplyToXml(&box);
    const TPDAUIEngineXml* label = box.children[0];
    ASSERT_EQ(4, label->attributes.Count());
    EXPECT_STREQ("b", label->attributes[3]->name.c_str());
    EXPECT_STREQ("base", label->attributes[3]->value.c_str());
}

TEST_F(SkinLoadingTest, ASkinWithoutStyleSheetsKeepsNoOldRules)
{
    WriteText(dir / "night/styles.css", "label{a:night;}");
    Skin("night", 440);
    Skin("plain", 440);
    ASSERT_TRUE(Load("night"));
    EXPECT_EQ("a=night;", Styled("label"));
    ASSERT_TRUE(Load("plain"));
    EXPECT_EQ("", Styled("label"));
}

// ---- Fonts ---------------------------------------------------------------------------------

// A renderer that loads any existing file and draws nothing.
class FileRenderer : public IdleFontRenderer {
public:
    static TPDAUIEngineFontManager::TFontRenderer* Make(const char* path, const char*)
    {
        FileRenderer* r = new FileRenderer();
        r->family = TStringNomFitx(path).nom_fitx();
        r->path = path;
        r->valid = TFitxUtils::Verifica_Existencia_Archivo(path);
        return r;
    }
};

TEST_F(SkinLoadingTest, EmbeddedFontsGoToTheFontManager)
{
    engine.fontManager.makeTrueTypeRenderer = &FileRenderer::Make;
    engine.fontManager.makeSystemRenderer = nullptr;
    const std::string base = dir.path() + "\\night\\";

    // Nothing loads: the system font stands in.
    Skin("night", 440, "<embeddedFontNames value=\"one.ttf, two.ttf,,\"/>");
    ASSERT_TRUE(Load("night"));
    EXPECT_EQ(1, engine.fontClears);
    EXPECT_EQ((std::vector<std::string>{base + "one.ttf", base + "two.ttf",
                                        "\\windows\\fonts\\arial.ttf"}),
              engine.fontsAdded);

    // The skin's font loads: no stand-in; an earlier skin's fonts are gone.
    WriteText(dir / "night/two.ttf", "font");
    engine.fontsAdded.clear();
    ASSERT_TRUE(Load("night"));
    EXPECT_EQ(2, engine.fontClears);
    EXPECT_EQ((std::vector<std::string>{base + "one.ttf", base + "two.ttf"}), engine.fontsAdded);
    ASSERT_EQ(1, engine.fontManager.Count());
    EXPECT_STREQ("two", TPDAUIEngineFontManager::DefaultFamily().c_str());

    Skin("plain", 440);
    engine.fontsAdded.clear();
    ASSERT_TRUE(Load("plain"));
    EXPECT_EQ(0, engine.fontManager.Count());
    EXPECT_EQ((std::vector<std::string>{"\\windows\\fonts\\arial.ttf"}), engine.fontsAdded);
}

// ---- Images of the engine follow the skin and the themes ---------------------------------------

TEST_F(SkinLoadingTest, CachedImagesTakeTheNewSkinAndThemeInPlace)
{
    const std::string themes =
        "<themes><theme name=\"plain\"/>"
        "<theme name=\"dark\"><themerule type=\"image\" image=\"arrow\" filters=\"invert\"/>"
        "<themerule type=\"image\" image=\"strip\" filters=\"invert\"/></theme></themes>";
    Skin("night", 440, themes);
    Skin("day", 440, themes);
    WriteImage(dir / "night/arrow.png", 8, 8, TColorIG(255, 0, 0));
    WriteImage(dir / "night/strip.png", 24, 8, TColorIG(0, 0, 0));
    WriteImage(dir / "day/arrow.png", 8, 8, TColorIG(0, 255, 0));
    ASSERT_TRUE(Load("night", "plain", "plain"));
    TDibIG* arrow = engine.resources.GetImage("arrow");
    TDibIG* cell = engine.resources.GetImage("strip[1,8,8]");
    ASSERT_NE(nullptr, arrow);
    ASSERT_NE(nullptr, cell);
    EXPECT_EQ(Stored(TColorIG(255, 0, 0)), arrow->GetPixel(3, 3));
    EXPECT_EQ(Stored(TColorIG(0, 0, 0)), cell->GetPixel(3, 3));

    // A theme change: same objects, filtered pixels (the cell too).
    ASSERT_TRUE(Load("night", "dark", "dark"));
    EXPECT_EQ(arrow, engine.resources.GetImage("arrow"));
    EXPECT_EQ(cell, engine.resources.GetImage("strip[1,8,8]"));
    EXPECT_EQ(Stored(TColorIG(0, 255, 255)), arrow->GetPixel(3, 3));
    EXPECT_EQ(Stored(TColorIG(255, 255, 255)), cell->GetPixel(3, 3));

    // A skin change: the image comes from the new skin; the strip, missing
    // there, comes from nowhere and keeps its pixels.
    ASSERT_TRUE(Load("day", "plain", "plain"));
    EXPECT_EQ(arrow, engine.resources.GetImage("arrow"));
    EXPECT_EQ(Stored(TColorIG(0, 255, 0)), arrow->GetPixel(3, 3));
    EXPECT_EQ(Stored(TColorIG(255, 255, 255)), cell->GetPixel(3, 3));
}

// ---- The default skin of the program ------------------------------------------------------------

TEST(DefaultSkin, LoadsWithEveryCommonImageAndTheKeyMap)
{
    SkinEngine engine;
    engine.skinsFolder = (testpaths::SourceDir() + "/skins").c_str();
    TPDAUIEngineSkinSettings& s = engine.skinSettings;
    DString name("default"), error;
    ASSERT_TRUE(engine.LoadSkin(name, "green", "green", "green", error)) << error.c_str();
    EXPECT_STREQ("default", name.c_str());
    EXPECT_EQ(440, s.skinVersion);
    EXPECT_STREQ("DejaVuSans", s.fontName.c_str());
    EXPECT_STREQ("png", s.bitmapExtension.c_str());
    EXPECT_STREQ("green=Green;gray=Gray;", s.themeList.c_str());
    EXPECT_GT(s.theme1.imageRules.Count(), 0);
    EXPECT_GT(s.styleSheet.rules.Count(), 0);
    ASSERT_FALSE(engine.fontsAdded.empty());
    EXPECT_EQ(engine.skinsFolder.c_str() + std::string("\\default\\DejaVuSans.cfont"),
              engine.fontsAdded[0]);

    for (int i = 0; i < TPDAUIEngineSkinSettings::CommonImageCount; ++i) {
        SCOPED_TRACE(s.commonImages[i].c_str());
        TDibIG* image = engine.resources.GetImage(s.commonImages[i].c_str());
        ASSERT_NE(nullptr, image);
        EXPECT_GT(image->Width(), 0);
    }
    // The colour variants of the application's colour scheme.
    for (const char* variant : {"commonOn", "commonOnPressed", "commonOff", "pageMenuHeaderOn"})
        EXPECT_NE(nullptr, engine.resources.GetImage(variant)) << variant;
    // Ten 64 x 64 frames of the long-press indicator.
    TDibIG* strip = engine.resources.GetImage(
        s.commonImages[TPDAUIEngineSkinSettings::ImgContextMenuAnimation].c_str());
    ASSERT_NE(nullptr, strip);
    EXPECT_GE(strip->Width(), 640);
    EXPECT_GE(strip->AbsHeight(), 64);

    DString keys;
    DString keyFile("ObKeys_D.cxml");
    ASSERT_TRUE(engine.resources.ReadSkinTextFile(keys, keyFile));
    TPDAUIEngineXml root;
    ASSERT_TRUE(root.Parse(keys.str()));
    EXPECT_STREQ("keysDefinitions", root.name.c_str());
    VectorP<TPDAUIEngineXml> definitions(20, 20, false);
    root.GetChildren("keyDefinition", definitions);
    EXPECT_GE(definitions.Count(), 5);
}

} // namespace
