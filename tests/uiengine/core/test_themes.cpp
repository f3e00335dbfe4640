#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "enginelib/draw/TDibIG.h"
#include "uiengine/core/TPDAUIEngineTheme.h"
#include "uiengine/core/TPDAUIEngineXml.h"

namespace {

// A parsed document; root is the "themes" node.
struct Doc {
    explicit Doc(const std::string& text) : buffer(text)
    {
        buffer.push_back('\0');
        ok = root.Parse(&buffer[0]);
    }
    std::string buffer;
    TPDAUIEngineXml root;
    bool ok = false;
};

std::string Themes(const std::string& inner)
{
    return "<themes>" + inner + "</themes>";
}

std::string ImageRule(const std::string& image, const std::string& filters, bool brk = false)
{
    return "<themerule type=\"image\" image=\"" + image + "\" filters=\"" + filters + "\"" +
           (brk ? " break=\"true\"" : "") + "/>";
}

// A theme "t" loaded from inner rules.
struct LoadedTheme {
    explicit LoadedTheme(const std::string& rules)
        : doc(Themes("<theme name=\"t\">" + rules + "</theme>"))
    {
        EXPECT_TRUE(doc.ok);
        DString name("t");
        theme.Load(&doc.root, name, "t");
    }
    Doc doc;
    TPDAUIEngineTheme theme;
};

std::string Describe(const TPDAUIEngineImageFilter* f)
{
    auto n = [](int v) { return std::to_string(v); };
    if (auto* o = dynamic_cast<const TPDAUIEngineImageFilterOpacity*>(f))
        return "opacity(" + n(o->percent) + ")";
    if (auto* b = dynamic_cast<const TPDAUIEngineImageFilterBrightnessContrast*>(f))
        return "bc(" + n(b->brightness) + "," + n(b->contrast) + ")";
    if (dynamic_cast<const TPDAUIEngineImageFilterGrayscale*>(f))
        return "grayscale";
    if (dynamic_cast<const TPDAUIEngineImageFilterFlipH*>(f))
        return "flipH";
    if (dynamic_cast<const TPDAUIEngineImageFilterInvert*>(f))
        return "invert";
    if (auto* h = dynamic_cast<const TPDAUIEngineImageFilterHSL*>(f))
        return "hsl(" + n(h->hue) + "," + n(h->saturation) + "," + n(h->lightness) + ")";
    if (auto* l = dynamic_cast<const TPDAUIEngineImageFilterFill*>(f))
        return "fill(" + n(l->red) + "," + n(l->green) + "," + n(l->blue) + "," + n(l->opacity) + ")";
    return "?";
}

std::string DescribeRule(const TPDAUIEngineTheme::TThemeRuleImage* rule)
{
    std::string out;
    for (int i = 0; i < rule->filters.Count(); ++i)
        out += (i ? " " : "") + Describe(rule->filters[i]);
    return out;
}

// A black, opaque 1 x 1 bitmap.
std::unique_ptr<TDibIG> Black(int bpp = 16)
{
    auto dib = std::make_unique<TDibIG>();
    EXPECT_TRUE(dib->Crea(1, 1, bpp, bpp == 16));
    return dib;
}

uint16_t Pixel(TDibIG& dib)
{
    return reinterpret_cast<uint16_t*>(dib.Row(0))[0];
}

// ---------------------------------------------------------------------------
// Filter lists

TEST(ThemeFilterList, ParsesNamesParametersAndClamps)
{
    struct Case {
        const char* filters;
        const char* expected;
    } cases[] = {
        {"opacity(150)", "opacity(100)"},
        {"opacity(-5)", "opacity(0)"},
        {"opacity(40)", "opacity(40)"},
        {"opacity", "opacity(0)"},
        {"opacity()", "opacity(0)"},
        {"brightnesscontrast(20)", "bc(20,0)"},
        {"brightnesscontrast(500,-500)", "bc(100,-100)"},
        {"brightnesscontrast(-30, 45)", "bc(-30,45)"},
        {"fill(255,0,0)", "fill(255,0,0,-1)"},
        {"fill(1,2,3,4,5,6)", "fill(1,2,3,4)"},
        {"fill(,,255)", "fill(0,0,255,-1)"},
        {"fill(300,-7,1000,-1)", "fill(300,-7,1000,-1)"},
        {"hsl(400,-20)", "hsl(400,-20,0)"},
        {"hsl(120, 50, 10)", "hsl(120,50,10)"},
        {"grayscale; invert", "grayscale invert"},
        {"invert;grayscale", "invert grayscale"},
        {";;flipH;;", "flipH"},
        {" gray scale ( ) ", "grayscale"},
        {"fliph;FlipH;flipH", "flipH"},
        {"Opacity(5);sepia(3);blur;opacity(5)", "opacity(5)"},
        {"opacity(abc)", "opacity(0)"},
        {"opacity(12abc)", "opacity(12)"},
        {"opacity(1.9)", "opacity(1)"},
        {"opacity(99999999999999)", "opacity(100)"},
        {"hsl(1)(2)", "hsl(1,2,0)"},
        {"", ""},
        {";", ""},
        {"(5)", ""},
    };
    for (const Case& c : cases) {
        LoadedTheme t(ImageRule("x", c.filters));
        ASSERT_EQ(t.theme.imageRules.Count(), 1) << c.filters;
        EXPECT_EQ(DescribeRule(t.theme.imageRules[0]), c.expected) << c.filters;
    }
}

// ---------------------------------------------------------------------------
// Image rules

TEST(ThemeImageRules, ExactAndContainedPatterns)
{
    struct Case {
        const char* pattern;
        const char* image;
        bool matches;
    } cases[] = {
        {"btn*", "mybtnok", true},   // the star's position is ignored
        {"btn*", "btn", true},
        {"*btn", "btnok", true},
        {"b*tn", "btn", true},       // stars removed, then contained
        {"b*tn", "bxtn", false},
        {"btnok", "btnok", true},
        {"btnok", "mybtnok", false},
        {"btnok", "btnokx", false},
        {"btnok", "BtnOK", true},    // the name is lower-cased
        {"BtnOK", "btnok", true},    // and so is the pattern
        {"btnback", "btnBackLandscape", true},
        {"btnback", "btnBackLandscapeSmall", true},
        {"btnbacklandscape", "btnBackLandscape", false},
        {"*small*", "btnBackLandscapeSmall", false}, // cut at the first "landscape"
        {"*", "anything", true},
        {"", "anything", false},
        {"", "landscape", true},     // the name becomes empty
    };
    for (const Case& c : cases) {
        LoadedTheme t(ImageRule(c.pattern, "fill(255,255,255)"));
        auto dib = Black();
        EXPECT_TRUE(t.theme.ApplyImageRules(c.image, dib.get()));
        EXPECT_EQ(Pixel(*dib), c.matches ? 0xFFFF : 0x0000) << c.pattern << " / " << c.image;
    }
}

TEST(ThemeImageRules, RulePatternFieldsAsRead)
{
    LoadedTheme t(ImageRule("*Btn*OK", "invert", true) + ImageRule("Plain", "") +
                  "<themerule type=\"image\"/>");
    ASSERT_EQ(t.theme.imageRules.Count(), 3);
    EXPECT_STREQ(t.theme.imageRules[0]->pattern.c_str(), "btnok");
    EXPECT_FALSE(t.theme.imageRules[0]->exact);
    EXPECT_TRUE(t.theme.imageRules[0]->breakAfter);
    EXPECT_STREQ(t.theme.imageRules[1]->pattern.c_str(), "plain");
    EXPECT_TRUE(t.theme.imageRules[1]->exact);
    EXPECT_FALSE(t.theme.imageRules[1]->breakAfter);
    EXPECT_EQ(t.theme.imageRules[1]->filters.Count(), 0);
    // missing attributes: an exact empty pattern, no filters, no break
    EXPECT_STREQ(t.theme.imageRules[2]->pattern.c_str(), "");
    EXPECT_TRUE(t.theme.imageRules[2]->exact);
}

TEST(ThemeImageRules, FiltersRunInRuleOrderAndBreakStops)
{
    // invert then grayscale on black: white; grayscale then invert: also white, so
    // use fill + opacity, where the order shows in the pixel.
    LoadedTheme chained(ImageRule("*icon*", "fill(248,0,0)") + ImageRule("*", "invert"));
    auto dib = Black();
    chained.theme.ApplyImageRules("myicon", dib.get());
    EXPECT_EQ(Pixel(*dib), 0x07FF); // red then inverted: (7,255,255)

    // A matching rule with break and no filters stops all later rules.
    LoadedTheme stopped(ImageRule("btn*", "", true) + ImageRule("*", "fill(255,255,255)"));
    auto a = Black(), b = Black();
    stopped.theme.ApplyImageRules("btnok", a.get());
    stopped.theme.ApplyImageRules("icon", b.get());
    EXPECT_EQ(Pixel(*a), 0x0000);
    EXPECT_EQ(Pixel(*b), 0xFFFF);

    // A non-matching rule's break has no effect.
    LoadedTheme notStopped(ImageRule("zzz", "", true) + ImageRule("*", "fill(255,255,255)"));
    auto c = Black();
    notStopped.theme.ApplyImageRules("icon", c.get());
    EXPECT_EQ(Pixel(*c), 0xFFFF);
}

TEST(ThemeImageRules, PreparesOnlyWhenAFilterRunsAndAlwaysFinishes)
{
    // No filter runs: a 24-bit bitmap is not converted, but ends premultiplied.
    LoadedTheme t(ImageRule("btn*", "") + ImageRule("icon", "invert"));
    auto rgb = Black(24);
    EXPECT_TRUE(t.theme.ApplyImageRules("btnok", rgb.get()));
    EXPECT_EQ(rgb->Bpp(), 24);
    EXPECT_TRUE(rgb->IsPreMultiplied());

    // A filter runs: converted to 16 bits with alpha, filtered, premultiplied.
    auto rgb2 = Black(24);
    EXPECT_TRUE(t.theme.ApplyImageRules("icon", rgb2.get()));
    EXPECT_EQ(rgb2->Bpp(), 16);
    EXPECT_NE(rgb2->Alpha(), nullptr);
    EXPECT_EQ(Pixel(*rgb2), 0xFFFF);
    EXPECT_TRUE(rgb2->IsPreMultiplied());

    // A premultiplied, half-transparent pixel is filtered on its straight colour.
    auto half = [] {
        auto d = std::make_unique<TDibIG>();
        EXPECT_TRUE(d->Crea(1, 1, 16, true));
        reinterpret_cast<uint16_t*>(d->Row(0))[0] = 0xF800;
        d->AlphaRow(0)[0] = 127;
        d->Set_PreMultiplied(0);
        return d;
    };
    auto themed = half();
    auto manual = half();
    LoadedTheme inv(ImageRule("x", "invert;grayscale"));
    inv.theme.ApplyImageRules("x", themed.get());
    manual->Cancel_PreMultiplied();
    TPDAUIEngineImageFilterInvert().Apply(manual.get());
    TPDAUIEngineImageFilterGrayscale().Apply(manual.get());
    manual->Set_PreMultiplied(0);
    EXPECT_EQ(Pixel(*themed), Pixel(*manual));
    EXPECT_TRUE(themed->IsPreMultiplied());

    // A null bitmap is harmless.
    EXPECT_TRUE(inv.theme.ApplyImageRules("x", nullptr));
}

TEST(ThemeImageRules, ExcludedImagesFallToTheSecondTheme)
{
    Doc doc(Themes("<theme name=\"one\">" + ImageRule("*common*", "fill(255,0,0)") + "</theme>" +
                   "<theme name=\"two\">" + ImageRule("*common*", "fill(0,0,255)") + "</theme>"));
    TPDAUIEngineTheme first, second;
    DString n1("one"), n2("two");
    first.Load(&doc.root, n1, "");
    second.Load(&doc.root, n2, "");

    // The application's colour-scheme step.
    first.excludedImages.RemoveAll();
    for (const char* name : {"pagemenuheaderoff", "commonoff", "commonoffpressed", "commonofffocused"})
        first.excludedImages.Add(name);

    auto apply = [&](const char* image) {
        auto dib = Black();
        dib->Set_PreMultiplied(0);
        if (!first.ApplyImageRules(image, dib.get())) {
            EXPECT_EQ(Pixel(*dib), 0) << image; // untouched
            second.ApplyImageRules(image, dib.get());
        }
        return Pixel(*dib);
    };
    EXPECT_EQ(apply("commonOn"), 0xF800);
    EXPECT_EQ(apply("commonOffPressed"), 0x001F);
    EXPECT_EQ(apply("commonOffLandscape"), 0x001F);
    // An entry containing the name excludes it too.
    EXPECT_EQ(apply("commonOffFocus"), 0x001F);
    EXPECT_EQ(apply("commonOffFocusedBig"), 0xF800);

    // Excluded: false and not a bit changed.
    auto dib = Black();
    uint64_t version = dib->Version();
    EXPECT_FALSE(first.ApplyImageRules("CommonOff", dib.get()));
    EXPECT_EQ(dib->Version(), version);
    EXPECT_FALSE(dib->IsPreMultiplied());

    // Loading again keeps the excluded names.
    first.Load(&doc.root, n1, "");
    EXPECT_EQ(first.excludedImages.Count(), 4);
}

// ---------------------------------------------------------------------------
// Colour rules and stock colours

std::string ColorRule(const char* page, const char* from, const char* to, bool brk = false)
{
    return std::string("<themerule type=\"color\" page=\"") + page + "\" color=\"" + from +
           "\" replaceby=\"" + to + "\"" + (brk ? " break=\"True\"" : "") + "/>";
}

const TColorIG kRed(255, 0, 0), kBlue(0, 0, 255), kGreen(0, 255, 0), kBlack(0, 0, 0);

TEST(ThemeColors, RulesChainUnlessBreak)
{
    LoadedTheme chain(ColorRule("", "#FF0000", "#0000FF") + ColorRule("", "#0000FF", "#00FF00"));
    TColorIG c = kRed;
    EXPECT_TRUE(chain.theme.ReplaceColor("pagemap", c));
    EXPECT_EQ(c, kGreen);
    c = kBlue;
    chain.theme.ReplaceColor("pagemap", c);
    EXPECT_EQ(c, kGreen);

    LoadedTheme broken(ColorRule("", "#FF0000", "#0000FF", true) + ColorRule("", "#0000FF", "#00FF00"));
    c = kRed;
    broken.theme.ReplaceColor("pagemap", c);
    EXPECT_EQ(c, kBlue);

    // A rule chain that comes back: only forward, one pass.
    LoadedTheme loop(ColorRule("", "#FF0000", "#0000FF") + ColorRule("", "#0000FF", "#FF0000"));
    c = kRed;
    loop.theme.ReplaceColor("p", c);
    EXPECT_EQ(c, kRed);
}

TEST(ThemeColors, PagePatterns)
{
    LoadedTheme t(ColorRule("page*Map", "#FF0000", "#00FF00"));
    ASSERT_EQ(t.theme.colorRules.Count(), 1);
    EXPECT_STREQ(t.theme.colorRules[0]->page.c_str(), "pagemap");
    struct Case {
        const char* page;
        bool replaced;
    } cases[] = {{"pagemap", true}, {"pagemapsettings", true}, {"mypagemap", true},
                 {"pagemenu", false}, {"pageMap", false}, {"", false}};
    for (const Case& k : cases) {
        TColorIG c = kRed;
        t.theme.ReplaceColor(k.page, c);
        EXPECT_EQ(c, k.replaced ? kGreen : kRed) << k.page;
    }
}

TEST(ThemeColors, UndecodableColourTextReadsAsBlack)
{
    LoadedTheme t(ColorRule("", "nonsense", "#00FF00") +
                  "<themerule type=\"color\" replaceby=\"#0000FF\"/>");
    TColorIG c = kBlack;
    t.theme.ReplaceColor("p", c);
    EXPECT_EQ(c, kGreen);
    // The rule without "color" compares with 0 too, but green is no longer 0.
    c = kRed;
    t.theme.ReplaceColor("p", c);
    EXPECT_EQ(c, kRed);
}

TEST(ThemeColors, StockColors)
{
    LoadedTheme t("<themerule type=\"stockcolor\" name=\"chart.background\" color=\"#102030\"/>"
                  "<themerule type=\"stockcolor\" name=\"Chart.Background\" color=\"#FFFFFF\"/>"
                  "<themerule type=\"stockcolor\" name=\"chart.background\" color=\"#405060\"/>");
    ASSERT_EQ(t.theme.stockColors.Count(), 2);
    TColorIG c = kRed;
    EXPECT_TRUE(t.theme.GetStockColor("chart.background", c));
    EXPECT_EQ(c, TColorIG(0x40, 0x50, 0x60)); // the later rule overrides
    EXPECT_TRUE(t.theme.GetStockColor("Chart.Background", c));
    EXPECT_EQ(c, TColorIG(255, 255, 255));
    c = kRed;
    EXPECT_FALSE(t.theme.GetStockColor("chart", c));
    EXPECT_EQ(c, kRed);
}

TEST(ThemeRules, OtherTypesAndNodesAreIgnored)
{
    LoadedTheme t("<themerule type=\"Image\" image=\"x\" filters=\"invert\"/>"
                  "<themerule image=\"x\" filters=\"invert\"/>"
                  "<rule type=\"image\" image=\"x\" filters=\"invert\"/>"
                  "stray text"
                  "<themerule type=\"font\"/>");
    EXPECT_EQ(t.theme.imageRules.Count(), 0);
    EXPECT_EQ(t.theme.colorRules.Count(), 0);
    EXPECT_EQ(t.theme.stockColors.Count(), 0);
}

// ---------------------------------------------------------------------------
// Choosing the theme, inheritance

const char kThreeThemes[] =
    "<themes>"
    "<theme name=\"root\">"
    "<themerule type=\"image\" image=\"r\" filters=\"opacity(1)\"/>"
    "<themerule type=\"stockcolor\" name=\"rootonly\" color=\"#010101\"/>"
    "</theme>"
    "<theme name=\"base\" inheritRulesFromTheme=\"root\">"
    "<themerule type=\"image\" image=\"b\" filters=\"opacity(2)\"/>"
    "<themerule type=\"stockcolor\" name=\"a\" color=\"#111111\"/>"
    "<themerule type=\"stockcolor\" name=\"b\" color=\"#222222\"/>"
    "</theme>"
    "<theme name=\"night\" inheritRulesFromTheme=\"base\">"
    "<themerule type=\"stockcolor\" name=\"a\" color=\"#333333\"/>"
    "<themerule type=\"image\" image=\"n\" filters=\"opacity(3)\"/>"
    "</theme>"
    "<theme name=\"base\">"
    "<themerule type=\"image\" image=\"b2\" filters=\"opacity(4)\"/>"
    "</theme>"
    "</themes>";

std::vector<std::string> Patterns(const TPDAUIEngineTheme& theme)
{
    std::vector<std::string> out;
    for (int i = 0; i < theme.imageRules.Count(); ++i)
        out.push_back(theme.imageRules[i]->pattern.c_str());
    return out;
}

TEST(ThemeLoad, InheritedRulesComeFirstOneLevelOnly)
{
    Doc doc(kThreeThemes);
    ASSERT_TRUE(doc.ok);
    TPDAUIEngineTheme theme;
    DString name("night");
    EXPECT_TRUE(theme.Load(&doc.root, name, "root"));
    EXPECT_STREQ(name.c_str(), "night");
    // Every theme named "base" gives its rules, in document order; root's do not come.
    EXPECT_EQ(Patterns(theme), (std::vector<std::string>{"b", "b2", "n"}));
    TColorIG c;
    EXPECT_TRUE(theme.GetStockColor("a", c));
    EXPECT_EQ(c, TColorIG(0x33, 0x33, 0x33));
    EXPECT_TRUE(theme.GetStockColor("b", c));
    EXPECT_EQ(c, TColorIG(0x22, 0x22, 0x22));
    EXPECT_FALSE(theme.GetStockColor("rootonly", c));
}

TEST(ThemeLoad, ChoosesTheLastThemeOfTheName)
{
    Doc doc(kThreeThemes);
    TPDAUIEngineTheme theme;
    DString name("base");
    theme.Load(&doc.root, name, "");
    // The second "base" has no inheritance: only its own rule.
    EXPECT_EQ(Patterns(theme), (std::vector<std::string>{"b2"}));
}

TEST(ThemeLoad, UnknownNameFallsBackAndRewritesTheName)
{
    struct Case {
        const char* asked;
        const char* fallback;
        const char* loaded;
        std::vector<std::string> patterns;
    } cases[] = {
        {"night", "root", "night", {"b", "b2", "n"}},
        {"missing", "night", "night", {"b", "b2", "n"}},
        {"Night", "root", "root", {"r"}},          // names compare with case
        {"missing", "missing2", "root", {"r"}},    // first theme
        {"", "", "root", {"r"}},
    };
    Doc doc(kThreeThemes);
    for (const Case& c : cases) {
        TPDAUIEngineTheme theme;
        DString name(c.asked);
        EXPECT_TRUE(theme.Load(&doc.root, name, c.fallback));
        EXPECT_STREQ(name.c_str(), c.loaded) << c.asked;
        EXPECT_EQ(Patterns(theme), c.patterns) << c.asked;
    }
}

TEST(ThemeLoad, ReloadReplacesRulesAndEmptyInputGivesNone)
{
    Doc doc(kThreeThemes);
    TPDAUIEngineTheme theme;
    DString name("night");
    theme.Load(&doc.root, name, "");
    ASSERT_EQ(theme.imageRules.Count(), 3);

    name = "root";
    theme.Load(&doc.root, name, "");
    EXPECT_EQ(Patterns(theme), (std::vector<std::string>{"r"}));
    EXPECT_EQ(theme.stockColors.Count(), 1);

    DString kept("night");
    theme.Load(nullptr, kept, "root");
    EXPECT_EQ(theme.imageRules.Count(), 0);
    EXPECT_EQ(theme.stockColors.Count(), 0);
    EXPECT_STREQ(kept.c_str(), "night");

    Doc empty("<themes/>");
    theme.Load(&doc.root, name, "");
    theme.Load(&empty.root, kept, "root");
    EXPECT_EQ(theme.imageRules.Count(), 0);
    EXPECT_STREQ(kept.c_str(), "night");

    // Without rules images and colours pass unchanged (but end premultiplied).
    auto dib = Black();
    EXPECT_TRUE(theme.ApplyImageRules("x", dib.get()));
    EXPECT_EQ(Pixel(*dib), 0);
    TColorIG c = kRed;
    theme.ReplaceColor("p", c);
    EXPECT_EQ(c, kRed);
}

TEST(ThemeLoad, NamelessThemesAreNotInheritedByThemesWithoutTheAttribute)
{
    Doc doc(Themes("<theme>" + ImageRule("anon", "invert") + "</theme>" + "<theme name=\"t\">" +
                   ImageRule("own", "invert") + "</theme>"));
    TPDAUIEngineTheme theme;
    DString name("t");
    theme.Load(&doc.root, name, "");
    EXPECT_EQ(Patterns(theme), (std::vector<std::string>{"own"}));
}

// ---------------------------------------------------------------------------
// Merging the default skin's themes

TEST(ThemeList, SourceRulesGoFirstAndNewThemesAreAppended)
{
    Doc target(Themes("<theme name=\"day\" title=\"Day\">" + ImageRule("t1", "invert") +
                      ImageRule("t2", "invert") + "</theme>" + "<theme name=\"day\">" +
                      ImageRule("t3", "invert") + "</theme>"));
    Doc source(Themes("<theme name=\"day\" title=\"Ignored\">" + ImageRule("s1", "grayscale") +
                      "<themerule type=\"image\" image=\"s2\"><child/></themerule>" + "</theme>" +
                      "<theme name=\"extra\" title=\"Extra\" inheritRulesFromTheme=\"day\">" +
                      ImageRule("e1", "flipH") + "</theme>" + "<theme name=\"untitled\"/>"));
    ASSERT_TRUE(target.ok);
    ASSERT_TRUE(source.ok);
    TPDAUIEngineTheme::ReadThemeList(&target.root, &source.root);

    ASSERT_EQ(target.root.children.Count(), 4);
    // The first "day" is untouched; the last one takes the source rules first.
    EXPECT_EQ(target.root.children[0]->children.Count(), 2);
    TPDAUIEngineXml* day = target.root.children[1];
    ASSERT_EQ(day->children.Count(), 3);
    EXPECT_STREQ(day->children[0]->GetAttribute("image", "").c_str(), "s1");
    EXPECT_STREQ(day->children[1]->GetAttribute("image", "").c_str(), "s2");
    EXPECT_EQ(day->children[1]->children.Count(), 0); // no children copied
    EXPECT_EQ(day->children[1]->parent, day);
    EXPECT_STREQ(day->children[2]->GetAttribute("image", "").c_str(), "t3");
    EXPECT_FALSE(day->HasAttribute("title"));

    TPDAUIEngineXml* extra = target.root.children[2];
    EXPECT_STREQ(extra->name.c_str(), "theme");
    EXPECT_STREQ(extra->GetAttribute("name", "").c_str(), "extra");
    EXPECT_STREQ(extra->GetAttribute("title", "").c_str(), "Extra");
    EXPECT_STREQ(extra->GetAttribute("inheritRulesFromTheme", "").c_str(), "day");
    EXPECT_EQ(extra->parent, &target.root);
    ASSERT_EQ(extra->children.Count(), 1);
    EXPECT_STREQ(extra->children[0]->GetAttribute("filters", "").c_str(), "flipH");

    TPDAUIEngineXml* untitled = target.root.children[3];
    EXPECT_STREQ(untitled->GetAttribute("name", "").c_str(), "untitled");
    EXPECT_FALSE(untitled->HasAttribute("title"));

    // Loaded afterwards, "extra" inherits every "day" theme's rules.
    TPDAUIEngineTheme theme;
    DString name("extra");
    theme.Load(&target.root, name, "");
    EXPECT_EQ(Patterns(theme), (std::vector<std::string>{"t1", "t2", "s1", "s2", "t3", "e1"}));

    TPDAUIEngineTheme::ReadThemeList(nullptr, &source.root);
    TPDAUIEngineTheme::ReadThemeList(&target.root, nullptr);
}

// ---------------------------------------------------------------------------
// Hostile input

TEST(ThemeLoad, HostileFilterTextsNeverCrash)
{
    const char alphabet[] = "opacityhslfilnvertgrayscbrightnesscontrastH();,  -0123456789*";
    std::mt19937 rng(1234);
    for (int round = 0; round < 300; ++round) {
        std::string filters;
        int len = int(rng() % 40);
        for (int i = 0; i < len; ++i)
            filters += alphabet[rng() % (sizeof(alphabet) - 1)];
        // Known names with random numbers, to reach every filter.
        static const char* names[] = {"opacity", "brightnesscontrast", "grayscale", "flipH",
                                      "invert",  "hsl",                "fill"};
        filters += std::string(";") + names[rng() % 7] + "(" + std::to_string(int(rng())) + "," +
                   std::to_string(-int(rng() % 100000)) + "," + std::to_string(int(rng())) + "," +
                   std::to_string(int(rng() % 600) - 300) + ")";
        LoadedTheme t(ImageRule("*", filters));
        TDibIG dib;
        ASSERT_TRUE(dib.Crea(3, 2, round % 2 ? 16 : 32, true));
        dib.Fill(TColorIG(int(rng() % 256), int(rng() % 256), int(rng() % 256)));
        EXPECT_TRUE(t.theme.ApplyImageRules("img", &dib));
        EXPECT_EQ(dib.Bpp(), 16);
    }
}

TEST(ThemeLoad, TruncatedAndOddDocumentsLoadWhatTheyHold)
{
    const char* docs[] = {
        "<themes><theme name=\"t\"><themerule type=\"image\" image=\"a\" filters=\"invert",
        "<themes><theme name=\"t\"><themerule type=\"color\" color=",
        ("<themes><theme name=\"t\" inheritRulesFromTheme=\"t\">"
         "<themerule type=\"image\" image=\"a\" filters=\"invert\"/></theme></themes>"),
        "<themes>text only</themes>",
        "<themes><theme/><theme/></themes>",
    };
    for (const char* text : docs) {
        Doc doc(text);
        TPDAUIEngineTheme theme;
        DString name("t");
        EXPECT_TRUE(theme.Load(&doc.root, name, "x"));
        auto dib = Black();
        theme.ApplyImageRules("a", dib.get());
        TColorIG c;
        theme.ReplaceColor("p", c);
        theme.GetStockColor("s", c);
    }
}

} // namespace
