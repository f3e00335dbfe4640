// The element's skin attributes: every name the base reads, how it scales, and
// the text it reports back; the load steps that follow the attributes.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "support/TestEngine.h"
#include "uiengine/core/TPDAUIEngineXml.h"
#include "uiengine/elements/TPDAUIEngineElement.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"

namespace {

using E = TPDAUIEngineElement;

class Leaf : public TPDAUIEngineElement {
public:
    void Paint(IDC*, int, int) override {}
};

const float kScales[] = {1.0f, 1.5f, 2.0f};

// A fresh engine at a UI scale; elements made after it take their defaults at it.
class ScaledEngine {
public:
    explicit ScaledEngine(float scale) { engine.skinSettings.uiScale = scale; }
    TestEngine engine{480, 800};
};

struct AttrCase {
    const char* name;
    const char* value;
    // What the member holds at each of kScales.
    std::function<int(E&)> member;
    int expected[3];
    // GetAttribute(readName) at each scale (readName null: name).
    const char* readName;
    const char* readBack[3];
};

TColorIG Col(int r, int g, int b) { return TColorIG(r, g, b); }

std::vector<AttrCase> Cases()
{
    const uint32_t green = Col(0, 255, 0);
    const int g = (int)green;
    return {
        {"left", "33", [](E& e) { return e.left; }, {33, 49, 66}, nullptr, {"33", "32.66667", "33"}},
        {"top", "-7", [](E& e) { return e.top; }, {-7, -10, -14}, nullptr, {"-7", "-6.666667", "-7"}},
        {"width", "100", [](E& e) { return e.width; }, {100, 150, 200}, nullptr, {"100", "100", "100"}},
        {"height", "5", [](E& e) { return e.height; }, {5, 7, 10}, nullptr, {"5", "4.666667", "5"}},
        {"padding", "4", [](E& e) { return e.padding.inner + e.padding.left + e.padding.bottom; },
         {12, 18, 24}, nullptr, {"4", "4", "4"}},
        {"paddingTop", "3", [](E& e) { return e.padding.top; }, {3, 4, 6}, nullptr, {"3", "2.666667", "3"}},
        {"paddingLeft", "2", [](E& e) { return e.padding.left; }, {2, 3, 4}, nullptr, {"2", "2", "2"}},
        {"paddingRight", "1", [](E& e) { return e.padding.right; }, {1, 1, 2}, nullptr, {"1", "0.6666667", "1"}},
        {"paddingBottom", "6", [](E& e) { return e.padding.bottom; }, {6, 9, 12}, nullptr, {"6", "6", "6"}},
        {"paddingInner", "8", [](E& e) { return e.padding.inner; }, {8, 12, 16}, nullptr, {"8", "8", "8"}},
        {"margin", "10", [](E& e) { return e.margins.top + (e.margins.topPercent ? 1000 : 0); },
         {10, 15, 20}, nullptr, {"10", "10", "10"}},
        {"margin", "10%", [](E& e) { return e.margins.bottom + (e.margins.bottomPercent ? 1000 : 0); },
         {1010, 1010, 1010}, nullptr, {"10%", "10%", "10%"}},
        {"marginTop", "7", [](E& e) { return e.margins.top; }, {7, 10, 14}, nullptr, {"7", "6.666667", "7"}},
        {"marginLeft", "5%", [](E& e) { return e.margins.left + (e.margins.leftPercent ? 1000 : 0); },
         {1005, 1005, 1005}, nullptr, {"5%", "5%", "5%"}},
        {"marginRight", "2", [](E& e) { return e.margins.right; }, {2, 3, 4}, nullptr, {"2", "2", "2"}},
        {"marginBottom", "4", [](E& e) { return e.margins.bottom; }, {4, 6, 8}, nullptr, {"4", "4", "4"}},
        {"border", "Solid 2 #00FF00", [](E& e) { return e.borders[E::StateHover].width; }, {2, 3, 4},
         nullptr, {"", "", ""}},
        {"borderDisabled", "Solid 2 #00FF00", [](E& e) { return e.borders[E::StateDisabled].width; },
         {2, 3, 4}, nullptr, {"", "", ""}},
        {"borderPressed", "Dotted 1 #00FF00", [](E& e) { return e.borders[E::StatePressed].style; },
         {4, 4, 4}, nullptr, {"", "", ""}},
        {"borderFocus", "Solid 3 #00FF00", [](E& e) { return e.borders[E::StateFocus].width; }, {3, 4, 6},
         nullptr, {"", "", ""}},
        {"borderHover", "Solid 1 #00FF00", [](E& e) { return e.borders[E::StateHover].width; }, {1, 1, 2},
         nullptr, {"", "", ""}},
        {"foreground", "#00FF00", [](E& e) { return (int)e.foregrounds[E::StateDisabled]; }, {g, g, g},
         nullptr, {"65280", "65280", "65280"}},
        {"foregroundDisabled", "#00FF00", [](E& e) { return (int)e.foregrounds[E::StateDisabled]; },
         {g, g, g}, nullptr, {"65280", "65280", "65280"}},
        {"foregroundPressed", "#00FF00", [](E& e) { return (int)e.foregrounds[E::StatePressed]; },
         {g, g, g}, nullptr, {"65280", "65280", "65280"}},
        {"foregroundFocus", "#00FF00", [](E& e) { return (int)e.foregrounds[E::StateFocus]; }, {g, g, g},
         nullptr, {"65280", "65280", "65280"}},
        {"foregroundHover", "#00FF00", [](E& e) { return (int)e.foregrounds[E::StateHover]; }, {g, g, g},
         nullptr, {"65280", "65280", "65280"}},
        {"background", "#00FF00", [](E& e) { return e.backgrounds[E::StateFocus].kind; }, {1, 1, 1},
         nullptr, {"", "", ""}},
        {"backgroundPressed", "#00FF00", [](E& e) { return e.backgrounds[E::StatePressed].kind; },
         {1, 1, 1}, nullptr, {"", "", ""}},
        {"backgroundDisabled", "#00FF00", [](E& e) { return e.backgrounds[E::StateDisabled].kind; },
         {1, 1, 1}, nullptr, {"", "", ""}},
        {"backgroundFocus", "#00FF00", [](E& e) { return e.backgrounds[E::StateFocus].kind; }, {1, 1, 1},
         nullptr, {"", "", ""}},
        {"backgroundHover", "#00FF00", [](E& e) { return e.backgrounds[E::StateHover].kind; }, {1, 1, 1},
         nullptr, {"", "", ""}},
        {"shortcut", "CTRL+VK_F1", [](E& e) { return e.shortcut.keyCode + (e.shortcut.ctrl ? 1000 : 0); },
         {1112, 1112, 1112}, nullptr, {"", "", ""}},
        {"visible", "false", [](E& e) { return e.visible; }, {0, 0, 0}, nullptr, {"false", "false", "false"}},
        {"enabled", "false", [](E& e) { return e.enabled; }, {0, 0, 0}, nullptr, {"false", "false", "false"}},
        {"isFocusable", "true", [](E& e) { return e.isFocusable; }, {1, 1, 1}, nullptr, {"true", "true", "true"}},
        {"isClickable", "false", [](E& e) { return e.isClickable; }, {0, 0, 0}, nullptr,
         {"false", "false", "false"}},
        // The limits read back in screen pixels.
        {"minimumHeight", "20", [](E& e) { return e.minimumHeight; }, {20, 30, 40}, nullptr, {"20", "30", "40"}},
        {"minimumWidth", "11", [](E& e) { return e.minimumWidth; }, {11, 16, 22}, nullptr, {"11", "16", "22"}},
        {"maximumHeight", "300", [](E& e) { return e.maximumHeight; }, {300, 450, 600}, nullptr,
         {"300", "450", "600"}},
        {"maximumWidth", "301", [](E& e) { return e.maximumWidth; }, {301, 451, 602}, nullptr,
         {"301", "451", "602"}},
        {"flex", "3", [](E& e) { return e.flex; }, {3, 3, 3}, nullptr, {"3", "3", "3"}},
        {"colspan", "2", [](E& e) { return e.colspan; }, {2, 2, 2}, nullptr, {"2", "2", "2"}},
        {"rowspan", "4", [](E& e) { return e.rowspan; }, {4, 4, 4}, nullptr, {"4", "4", "4"}},
        {"align", "Center", [](E& e) { return e.align; }, {1, 1, 1}, nullptr, {"Center", "Center", "Center"}},
        {"pack", "AutoInvert", [](E& e) { return e.pack; }, {5, 5, 5}, nullptr,
         {"AutoInvert", "AutoInvert", "AutoInvert"}},
        {"label", "{H530}", [](E& e) { return e.label == "{H530}"; }, {1, 1, 1}, nullptr,
         {"{H530}", "{H530}", "{H530}"}},
        {"onCommand", "ok", [](E& e) { return e.onCommand == "ok"; }, {1, 1, 1}, nullptr, {"ok", "ok", "ok"}},
        {"onCommandSound", "click", [](E& e) { return e.onCommandSound == "click"; }, {1, 1, 1}, nullptr,
         {"click", "click", "click"}},
        {"onContextMenuCommand", "menu", [](E& e) { return e.onContextMenuCommand == "menu"; }, {1, 1, 1},
         nullptr, {"menu", "menu", "menu"}},
        {"timerInterval", "250", [](E& e) { return e.timerInterval; }, {250, 250, 250}, nullptr,
         {"250", "250", "250"}},
        {"fontSize", "14", [](E& e) { return e.font.size; }, {14, 21, 28}, nullptr, {"14", "14", "14"}},
        {"fontBold", "true", [](E& e) { return e.font.bold; }, {1, 1, 1}, nullptr, {"true", "true", "true"}},
        {"fontItalic", "true", [](E& e) { return e.font.italic; }, {1, 1, 1}, nullptr, {"true", "true", "true"}},
        {"fontUnderline", "true", [](E& e) { return e.font.underline; }, {1, 1, 1}, nullptr,
         {"true", "true", "true"}},
        // The setter's suffix and the read name differ in case.
        {"fontUpperCase", "true", [](E& e) { return e.font.upperCase; }, {1, 1, 1}, "fontUppercase",
         {"true", "true", "true"}},
        {"fontLowercase", "true", [](E& e) { return e.font.lowerCase; }, {1, 1, 1}, nullptr,
         {"true", "true", "true"}},
        {"fontSimplifyCharacters", "true", [](E& e) { return e.font.simplifyCharacters; }, {1, 1, 1}, nullptr,
         {"true", "true", "true"}},
        {"fontBordered", "true", [](E& e) { return e.font.bordered; }, {1, 1, 1}, nullptr,
         {"true", "true", "true"}},
        {"fontShadowed", "true", [](E& e) { return e.font.shadowed; }, {1, 1, 1}, nullptr,
         {"true", "true", "true"}},
        {"fontRichText", "true", [](E& e) { return e.font.richText; }, {1, 1, 1}, nullptr,
         {"true", "true", "true"}},
        // Read back as stored, not divided by the scale.
        {"fontPaddingEllipsis", "3", [](E& e) { return e.font.paddingEllipsis; }, {3, 4, 6}, nullptr,
         {"3", "4", "6"}},
        {"fontOrientation", "-90", [](E& e) { return e.font.orientation; }, {-90, -90, -90}, nullptr,
         {"-90", "-90", "-90"}},
        {"image", "icon.png", [](E& e) { return e.imageName == "icon.png"; }, {1, 1, 1}, "imageName",
         {"icon.png", "icon.png", "icon.png"}},
        {"class", "big", [](E& e) { return e.className == "big"; }, {1, 1, 1}, "className",
         {"big", "big", "big"}},
        {"allowMouseDownAfterPopupClose", "false", [](E& e) { return e.allowMouseDownAfterPopupClose; },
         {0, 0, 0}, nullptr, {"false", "false", "false"}},
        {"avoidPaddingRescale", "true", [](E& e) { return e.avoidPaddingRescale; }, {1, 1, 1}, nullptr,
         {"true", "true", "true"}},
        {"avoidMarginRescale", "true", [](E& e) { return e.avoidMarginRescale; }, {1, 1, 1}, nullptr,
         {"true", "true", "true"}},
        {"catchMouseEventsAlways", "true", [](E& e) { return e.catchMouseEventsAlways; }, {1, 1, 1}, nullptr,
         {"true", "true", "true"}},
    };
}

TEST(ElementAttributeTable, EveryBaseAttributeIsReadAndReportedAtEachScale)
{
    for (int si = 0; si < 3; ++si) {
        ScaledEngine scaled(kScales[si]);
        for (const AttrCase& c : Cases()) {
            SCOPED_TRACE(testing::Message() << c.name << "=\"" << c.value << "\" at " << kScales[si]);
            Leaf e;
            e.SetAttribute(c.name, c.value);
            EXPECT_EQ(c.expected[si], c.member(e));
            const char* readName = c.readName ? c.readName : c.name;
            EXPECT_EQ(std::string(c.readBack[si]), e.GetAttribute(readName).c_str());
        }
    }
}

TEST(ElementAttributeTable, SetterAndReadNamesThatDifferAnswerNothingTheOtherWay)
{
    Leaf e;
    e.SetAttribute("image", "a.png");
    e.SetAttribute("class", "c");
    e.SetAttribute("fontUpperCase", "true");
    EXPECT_EQ(e.GetAttribute("image"), "");
    EXPECT_EQ(e.GetAttribute("class"), "");
    EXPECT_EQ(e.GetAttribute("fontUpperCase"), "");
    // Read names are not setters.
    e.SetAttribute("imageName", "b.png");
    e.SetAttribute("className", "d");
    EXPECT_EQ(e.imageName, "a.png");
    EXPECT_EQ(e.className, "c");
}

TEST(ElementAttributeTable, IdAndUnknownNames)
{
    Leaf e;
    e.SetAttribute("id", "btnOk");
    EXPECT_EQ(e.GetAttribute("id"), "btnOk");
    // Names compare exactly; the base has no "name" or "tag".
    for (const char* n : {"Width", "WIDTH", "name", "tag", "widthx", "paddingtop"}) {
        SCOPED_TRACE(n);
        e.SetAttribute(n, "55");
        EXPECT_EQ(0, e.width);
        EXPECT_EQ(0, e.padding.top);
        EXPECT_EQ(e.GetAttribute(n), "");
    }
    EXPECT_EQ(e.tag, "");
}

TEST(ElementAttributeTable, BooleansAreTrueOnlyForTrue)
{
    struct Flag {
        const char* name;
        unsigned char E::*member;
    } flags[] = {
        {"visible", &E::visible},
        {"enabled", &E::enabled},
        {"isFocusable", &E::isFocusable},
        {"isClickable", &E::isClickable},
        {"allowMouseDownAfterPopupClose", &E::allowMouseDownAfterPopupClose},
        {"avoidPaddingRescale", &E::avoidPaddingRescale},
        {"avoidMarginRescale", &E::avoidMarginRescale},
        {"catchMouseEventsAlways", &E::catchMouseEventsAlways},
    };
    const char* falseTexts[] = {"True", "TRUE", "1", "yes", "", " true", "true "};
    for (const Flag& f : flags) {
        SCOPED_TRACE(f.name);
        Leaf e;
        e.SetAttribute(f.name, "true");
        EXPECT_EQ(1, e.*f.member);
        for (const char* text : falseTexts) {
            SCOPED_TRACE(text);
            e.SetAttribute(f.name, "true");
            e.SetAttribute(f.name, text);
            EXPECT_EQ(0, e.*f.member);
        }
    }
    // The font's flags follow the same rule.
    Leaf e;
    e.SetAttribute("fontBold", "True");
    EXPECT_FALSE(e.font.bold);
    e.SetAttribute("fontBold", "true");
    EXPECT_TRUE(e.font.bold);
}

TEST(ElementAttributeTable, IntegersReadTheLeadingNumberAndScaleTruncated)
{
    struct Case {
        const char* text;
        float scale;
        int width;
        int flex;
    } cases[] = {
        {"12", 1.0f, 12, 12},    {" 12px", 1.0f, 12, 12}, {"abc", 1.0f, 0, 0},  {"", 1.5f, 0, 0},
        {"+3", 1.5f, 4, 3},      {"-3", 1.5f, -4, -3},    {"33", 1.5f, 49, 33}, {"7.9", 2.0f, 14, 7},
        {"2147483647", 2.0f, 2147483647, 2147483647},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "\"" << c.text << "\" at " << c.scale);
        ScaledEngine scaled(c.scale);
        Leaf e;
        e.SetAttribute("width", c.text);
        e.SetAttribute("flex", c.text);
        EXPECT_EQ(c.width, e.width);
        EXPECT_EQ(c.flex, e.flex);
    }
}

TEST(ElementAttributeTable, LaterAttributesOverrideEarlierOnes)
{
    ScaledEngine scaled(2.0f);
    Leaf a;
    a.SetAttribute("borderFocus", "Solid 3 #FF0000");
    a.SetAttribute("border", "Solid 1 #0000FF");
    EXPECT_EQ(2, a.borders[E::StateFocus].width);
    EXPECT_EQ((uint32_t)Col(0, 0, 255), (uint32_t)a.borders[E::StateFocus].colour);

    Leaf b;
    b.SetAttribute("border", "Solid 1 #0000FF");
    b.SetAttribute("borderFocus", "Solid 3 #FF0000");
    EXPECT_EQ(6, b.borders[E::StateFocus].width);
    EXPECT_EQ(2, b.borders[E::StateHover].width);

    Leaf c;
    c.SetAttribute("foregroundDisabled", "#FF0000");
    c.SetAttribute("foreground", "#00FF00");
    EXPECT_EQ((uint32_t)Col(0, 255, 0), c.foregrounds[E::StateDisabled]);

    Leaf d;
    d.SetAttribute("backgroundHover", "#FF0000");
    d.SetAttribute("background", "None");
    EXPECT_EQ(0, d.backgrounds[E::StateHover].kind);

    Leaf p;
    p.SetAttribute("paddingTop", "9");
    p.SetAttribute("padding", "4");
    EXPECT_EQ(8, p.padding.top);
    p.SetAttribute("paddingInner", "1");
    EXPECT_EQ(2, p.padding.inner);
    EXPECT_EQ(p.GetAttribute("padding"), "0");  // no longer all equal

    // A plain side after a percent margin keeps the side's percent flag.
    Leaf m;
    m.SetAttribute("margin", "10%");
    m.SetAttribute("marginTop", "7");
    EXPECT_EQ(14, m.margins.top);
    EXPECT_TRUE(m.margins.topPercent);
    EXPECT_EQ(m.GetAttribute("margin"), "0%");
    EXPECT_EQ(m.GetAttribute("marginTop"), "14%");
    EXPECT_EQ(m.GetAttribute("marginLeft"), "10%");
}

TEST(ElementAttributeTable, AlignAndPackKeepTheirValueForUnknownWords)
{
    const char* words[] = {"Start", "Center", "End", "Stretch", "Auto", "AutoInvert"};
    for (int i = 0; i < 6; ++i) {
        Leaf e;
        e.SetAttribute("align", words[i]);
        e.SetAttribute("pack", words[5 - i]);
        EXPECT_EQ(i, e.align);
        EXPECT_EQ(5 - i, e.pack);
        e.SetAttribute("align", "center");
        e.SetAttribute("pack", "");
        EXPECT_EQ(i, e.align);
        EXPECT_EQ(5 - i, e.pack);
    }
    Leaf odd;
    odd.align = 9;
    EXPECT_EQ(odd.GetAttribute("align"), "");
}

TEST(ElementAttributeTable, FontNamesGoToTheDescriptorWithoutTheirPrefix)
{
    ScaledEngine scaled(1.5f);
    Leaf e;
    const DString family = e.font.name;
    e.SetAttribute("fontName", "Other");
    EXPECT_EQ(e.font.name, family);  // the family comes from the loaded fonts
    EXPECT_EQ(e.GetAttribute("fontName"), family);
    // "font" alone and names whose remainder is no suffix change nothing.
    e.SetAttribute("font", "20");
    e.SetAttribute("myfontSize", "20");
    e.SetAttribute("fontsize", "20");
    EXPECT_EQ(12, e.font.size);
    // "Size" reaches the descriptor, which scales it.
    e.SetAttribute("fontSize", "14");
    EXPECT_EQ(21, e.font.size);
    EXPECT_EQ(e.GetAttribute("fontSize"), "14");
    // A name containing "font" is the font's even after the earlier names.
    e.SetAttribute("fontfontBold", "true");
    EXPECT_FALSE(e.font.bold);
}

TEST(ElementAttributeTable, ShortcutParsesTheKeyName)
{
    Leaf e;
    e.SetAttribute("shortcut", "ALT+SHIFT+VK_RETURN");
    EXPECT_TRUE(e.shortcut.alt);
    EXPECT_TRUE(e.shortcut.shift);
    EXPECT_FALSE(e.shortcut.ctrl);
    EXPECT_EQ(13, e.shortcut.keyCode);
    EXPECT_EQ(e.shortcut.keyName, "ALT+SHIFT+VK_RETURN");
}

TEST(ElementAttributeTable, SetAttributeIntGivesTheSameAsTheText)
{
    ScaledEngine scaled(1.5f);
    Leaf a, b;
    a.SetAttributeInt("width", 33);
    b.SetAttribute("width", "33");
    EXPECT_EQ(a.width, b.width);
    a.SetAttributeInt("flex", -2);
    EXPECT_EQ(-2, a.flex);
}

// ---- the load steps after the attributes -----------------------------------------------

class LoadTest : public ::testing::Test {
protected:
    void Load(Leaf& e, const char* xml, TPDAUIEngineElementPage* p = nullptr)
    {
        std::string text = xml;
        TPDAUIEngineXml node;
        ASSERT_TRUE(node.Parse(&text[0]));
        e.OnLoad(&engine, p, p, &node, nullptr);
    }
    TPDAUIEngineTheme::TThemeRuleColor* AddRule(TColorIG from, TColorIG to, const char* pageName = "")
    {
        auto* r = new TPDAUIEngineTheme::TThemeRuleColor;
        r->page = pageName;
        r->color = from;
        r->replaceBy = to;
        engine.skinSettings.theme1.colorRules.Add(r);
        return r;
    }

    TestEngine engine{480, 800};
};

TEST_F(LoadTest, AvoidPaddingRescaleUndoesTheScaleOnTheFourOuterPaddings)
{
    engine.skinSettings.uiScale = 2.0f;
    Leaf e;
    Load(e, "<label padding=\"4\" avoidPaddingRescale=\"true\"/>");
    EXPECT_EQ(4, e.padding.left);
    EXPECT_EQ(4, e.padding.top);
    EXPECT_EQ(4, e.padding.right);
    EXPECT_EQ(4, e.padding.bottom);
    EXPECT_EQ(8, e.padding.inner);

    // At scale 1 nothing is undone.
    engine.skinSettings.uiScale = 1.0f;
    Leaf one;
    Load(one, "<label padding=\"4\" avoidPaddingRescale=\"true\"/>");
    EXPECT_EQ(4, one.padding.left);
}

TEST_F(LoadTest, AvoidMarginRescaleLeavesPercentMarginsAlone)
{
    engine.skinSettings.uiScale = 1.5f;
    Leaf e;
    Load(e, "<label marginRight=\"5%\" marginTop=\"7\" marginLeft=\"9\" avoidMarginRescale=\"true\"/>");
    EXPECT_EQ(5, e.margins.right);
    EXPECT_EQ(6, e.margins.top);   // 7 x 1.5 = 10, / 1.5 = 6
    EXPECT_EQ(8, e.margins.left);  // 9 x 1.5 = 13, / 1.5 = 8

    // A side that kept the percent flag of "margin" counts as a percentage.
    Leaf p;
    Load(p, "<label margin=\"10%\" marginTop=\"7\" avoidMarginRescale=\"true\"/>");
    EXPECT_EQ(10, p.margins.top);  // 7 x 1.5, untouched
    EXPECT_EQ(10, p.margins.left);
}

TEST_F(LoadTest, AttributesApplyInDocumentOrderThenTheStockFontIsMade)
{
    Leaf e;
    Load(e, "<label fontSize=\"18\" fontBold=\"true\" border=\"Solid 1 #FF0000\" borderFocus=\"Solid 2 #00FF00\"/>");
    EXPECT_EQ(1, e.borders[E::StateNormal].width);
    EXPECT_EQ(2, e.borders[E::StateFocus].width);
    ASSERT_NE(0, e.font.stockFontId);
    const TFontIG* expected = IDC::GetStockFont(IDC::CreateStockFont(e.font.name.c_str(), 18, 0, true, 1.0f));
    EXPECT_EQ(expected, e.font.stockFont);
}

TEST_F(LoadTest, ImageIsLookedUpOnlyWithAPage)
{
    Leaf e;
    Load(e, "<label image=\"missing.png\"/>");
    EXPECT_EQ(e.imageName, "missing.png");
    EXPECT_EQ(nullptr, e.image);
}

TEST_F(LoadTest, ThemeReplacesForegroundsBordersAndSolidBackgrounds)
{
    const TColorIG red = Col(255, 0, 0), blue = Col(0, 0, 255), green = Col(0, 255, 0);
    AddRule(red, blue);
    AddRule(blue, green);  // rules chain
    Leaf e;
    Load(e, "<label foreground=\"#FF0000\" foregroundHover=\"#123456\" border=\"Solid 1 #FF0000\" "
            "background=\"#FF0000\" backgroundHover=\"img.png\"/>");
    for (int s = 0; s < 5; ++s) {
        SCOPED_TRACE(s);
        EXPECT_EQ((uint32_t)green, (uint32_t)e.borders[s].colour);
        if (s == E::StateHover)
            continue;
        EXPECT_EQ((uint32_t)green, e.foregrounds[s]);
        EXPECT_EQ((uint32_t)green, (uint32_t)e.backgrounds[s].colour);
    }
    EXPECT_EQ((uint32_t)Col(0x12, 0x34, 0x56), e.foregrounds[E::StateHover]);
    // An image background keeps the colour it holds.
    EXPECT_EQ(2, e.backgrounds[E::StateHover].kind);
    EXPECT_EQ((uint32_t)red, (uint32_t)e.backgrounds[E::StateHover].colour);
}

// Styles an element never set are the shared defaults: a rule that changes one
// of their colours still reaches that element, and one that changes none leaves
// it without styles of its own.
TEST_F(LoadTest, ThemeReachesDefaultStylesAndCopiesOnlyWhatItChanges)
{
    const TColorIG black = TColoresIG::F_Black, white = TColoresIG::F_White, red = Col(255, 0, 0);
    AddRule(Col(1, 2, 3), red);
    Leaf untouched;
    Load(untouched, "<label/>");
    EXPECT_FALSE(untouched.borders.IsOwn());
    EXPECT_FALSE(untouched.backgrounds.IsOwn());

    AddRule(black, red);
    Leaf bordered;
    Load(bordered, "<label/>");
    ASSERT_TRUE(bordered.borders.IsOwn());
    for (int s = 0; s < 5; ++s)
        EXPECT_EQ((uint32_t)red, (uint32_t)bordered.borders[s].colour) << s;
    // The defaults themselves are unchanged for every other element.
    Leaf fresh;
    EXPECT_EQ((uint32_t)black, (uint32_t)fresh.borders[E::StateNormal].colour);
    EXPECT_FALSE(bordered.backgrounds.IsOwn());  // no solid background to recolour

    AddRule(white, red);
    Leaf filled;
    Load(filled, "<label background=\"#FFFFFF\" backgroundFocus=\"None\"/>");
    EXPECT_EQ((uint32_t)red, (uint32_t)filled.backgrounds[E::StateNormal].colour);
    EXPECT_EQ((uint32_t)white, (uint32_t)filled.backgrounds[E::StateFocus].colour);
    EXPECT_EQ((uint32_t)white, (uint32_t)fresh.backgrounds[E::StateNormal].colour);
}

TEST_F(LoadTest, ThemeRulesFollowThePageName)
{
    const TColorIG red = Col(255, 0, 0), blue = Col(0, 0, 255);
    AddRule(red, blue, "pagemap");
    TPDAUIEngineElementPage mapPage(&engine), otherPage(&engine);
    mapPage.pageName = "pagemapfull";
    otherPage.pageName = "pagemenu";
    Leaf onMap, onOther, noPage;
    Load(onMap, "<label foreground=\"#FF0000\"/>", &mapPage);
    Load(onOther, "<label foreground=\"#FF0000\"/>", &otherPage);
    Load(noPage, "<label foreground=\"#FF0000\"/>");
    EXPECT_EQ((uint32_t)blue, onMap.foregrounds[0]);
    EXPECT_EQ((uint32_t)red, onOther.foregrounds[0]);
    EXPECT_EQ((uint32_t)red, noPage.foregrounds[0]);
}

TEST_F(LoadTest, SkinCompilingKeepsTheSkinColours)
{
    AddRule(Col(255, 0, 0), Col(0, 0, 255));
    engine.skinCompiling = 1;
    Leaf e;
    Load(e, "<label foreground=\"#FF0000\"/>");
    EXPECT_EQ((uint32_t)Col(255, 0, 0), e.foregrounds[0]);
}

TEST_F(LoadTest, DefaultColoursPassThroughTheThemeToo)
{
    // Gray (the disabled default) becomes white on every page.
    AddRule(TColoresIG::F_Gray, TColoresIG::F_White);
    Leaf e;
    e.OnLoad(&engine, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ((uint32_t)TColoresIG::F_White, e.foregrounds[E::StateDisabled]);
    EXPECT_EQ((uint32_t)TColoresIG::F_Black, e.foregrounds[E::StateNormal]);
}

TEST_F(LoadTest, AdjustFontNeedsTheEngine)
{
    Leaf e;
    e.SetAttribute("fontSize", "17");
    e.AdjustFont();  // no engine: nothing happens
    EXPECT_EQ(17, e.font.size);
    e.OnLoad(&engine, nullptr, nullptr, nullptr, nullptr);
    e.AdjustFont();  // no bitmap font of that family: the size stays
    EXPECT_EQ(17, e.font.size);
}

TEST_F(LoadTest, CopyFromTakesTheFontAndTheShortcut)
{
    Leaf a, b;
    a.SetAttribute("fontSize", "19");
    a.SetAttribute("fontItalic", "true");
    a.SetAttribute("shortcut", "CTRL+A");
    a.font.CreateStockFont(nullptr);
    b.CopyFrom(&a);
    EXPECT_EQ(19, b.font.size);
    EXPECT_TRUE(b.font.italic);
    EXPECT_EQ(a.font.stockFontId, b.font.stockFontId);
    EXPECT_TRUE(b.shortcut.ctrl);
    EXPECT_EQ('A', b.shortcut.keyCode);
}

} // namespace
