#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "enginelib/base/TFicheroITV.h"
#include "support/TestPaths.h"
#include "uiengine/core/TPDAUIEngineSkinSettings.h"
#include "uiengine/core/TPDAUIEngineStyleSheet.h"
#include "uiengine/core/TPDAUIEngineXml.h"

namespace {

typedef TPDAUIEngineStyleSheet::Rule Rule;

std::string ItemText(const TPDAUIEngineStyleSheet::SelectorItem& it)
{
    std::string s = it.element.c_str();
    if (!it.className.IsEmpty())
        s += std::string(".") + it.className.c_str();
    if (!it.id.IsEmpty())
        s += std::string("#") + it.id.c_str();
    if (it.landscapeOnly)
        s += ":L";
    return s;
}

// The rules in held order: "items{declarations}" joined by '|'.
std::string Rules(const TPDAUIEngineStyleSheet& sheet)
{
    std::string s;
    for (int r = 0; r < sheet.rules.Count(); ++r) {
        const Rule& rule = *sheet.rules[r];
        if (r)
            s += "|";
        for (int i = 0; i < rule.items.Count(); ++i)
            s += (i ? " " : "") + ItemText(rule.items[i]);
        s += std::string("{") + rule.declarations.c_str() + "}";
    }
    return s;
}

// name[attributes](children), #text nodes included.
std::string Dump(const TPDAUIEngineXml* n)
{
    std::string s = n->name.c_str();
    if (n->attributes.Count() > 0) {
        s += "[";
        for (int i = 0; i < n->attributes.Count(); ++i)
            s += std::string(i ? " " : "") + n->attributes[i]->name.c_str() + "=" + n->attributes[i]->value.c_str();
        s += "]";
    }
    if (n->children.Count() > 0) {
        s += "(";
        for (int i = 0; i < n->children.Count(); ++i)
            s += (i ? "," : "") + Dump(n->children[i]);
        s += ")";
    }
    return s;
}

bool ParseXml(TPDAUIEngineXml& root, const std::string& text)
{
    std::vector<char> buf(text.begin(), text.end());
    buf.push_back('\0');
    return root.Parse(buf.data());
}

// Installs skin settings with the given landscape flag for one test.
class CurrentSettings {
public:
    explicit CurrentSettings(bool landscape)
    {
        settings_.landscape = landscape ? 1 : 0;
        previous_ = TPDAUIEngineSkinSettings::Current();
        TPDAUIEngineSkinSettings::SetCurrent(&settings_);
    }
    ~CurrentSettings() { TPDAUIEngineSkinSettings::SetCurrent(previous_); }

private:
    TPDAUIEngineSkinSettings settings_;
    TPDAUIEngineSkinSettings* previous_;
};

// ---- parsing

TEST(StyleSheetParse, SpecificityOfSelectors) {
    struct Case {
        const char* selector;
        int specificity;
        const char* items;
    } cases[] = {
        {"button", 1, "button"},
        {"button.big", 11, "button.big"},
        {".big", 11, ".big"},
        {"#btnOk", 100, "#btnOk"},
        {"button#btnOk", 101, "button#btnOk"},
        {"button.big#btnOk", 111, "button.big#btnOk"},
        {"#btnOk:Landscape", 101, "#btnOk:L"},
        {"box button.big", 12, "box button.big"},
        {"#btnOk.big", 100, "#btnOk.big"},          // a class after an id belongs to the id
        {"Button.Big#Ok", 111, "button.Big#Ok"},    // only the element is lower-cased
        {":Landscape", 1, ":L"},
        {"a:Landscape:Landscape", 2, "a:L"},        // removed everywhere, weighed once
        {"box    list  button", 3, "box list button"},  // runs of spaces make no empty items
        {"a.b.c", 11, "a.b.c"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.selector);
        TPDAUIEngineStyleSheet sheet;
        sheet.Parse((std::string(c.selector) + "{x:1}").c_str());
        ASSERT_EQ(sheet.rules.Count(), 1);
        EXPECT_EQ(sheet.rules[0]->specificity, c.specificity);
        EXPECT_EQ(Rules(sheet), std::string(c.items) + "{x:1}");
    }
}

TEST(StyleSheetParse, TextForms) {
    struct Case {
        const char* label;
        const char* css;
        const char* rules;
    } cases[] = {
        {"one rule", "a{x:1;}", "a{x:1;}"},
        {"line breaks, tabs and padding", "a\r\n{\r\n\tx:1;\r\n\ty:2;\r\n}\r\n", "a{x:1;   y:2;}"},
        {"a comment between rules", "a{x:1} /* b{y:2} */ c{z:3}", "a{x:1}|c{z:3}"},
        {"a comment inside a value", "a{x:/*c*/1}", "a{x:1}"},
        {"an unclosed comment drops the rest", "a{x:1} /* c{z:3}", "a{x:1}"},
        {"slash-star-slash is a whole comment", "/*/ a{x:1}", "a{x:1}"},
        {"a comment joined by a removal counts", "//*c*/*b{y:1}", ""},
        {"two comments in a row", "/*a*//*b*/c{z:1}", "c{z:1}"},
        {"braces inside a value break the rule", "a{text:{H530};}", "a{text:=H530}"},
        {"an empty selector makes no rule", "{x:1} a{y:1}", "a{y:1}"},
        {"stray closing braces make no rule", "}}a{x:1}", "a{x:1}"},
        {"a block without braces is a rule of nothing", "a b c", ""},
        {"empty declarations still make a rule", "a{}", "a{}"},
        {"empty parts of a selector list", "a,,b{x:1}", "a{x:1}|b{x:1}"},
        {"a list selector is trimmed", "a ,  b {x:1}", "a{x:1}|b{x:1}"},
        {"null text", nullptr, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        TPDAUIEngineStyleSheet sheet;
        sheet.Parse(c.css);
        EXPECT_EQ(Rules(sheet), c.rules);
    }
}

TEST(StyleSheetParse, SelectorListsTakeOrdersAfterEveryBlock) {
    TPDAUIEngineStyleSheet sheet;
    sheet.Parse("a, b{x:1;}\nc{y:2;}\nd, e, f{z:3;}");
    // Weight 1 each, so the held order is the order number.
    EXPECT_EQ(Rules(sheet), "a{x:1;}|c{y:2;}|d{z:3;}|b{x:1;}|e{z:3;}|f{z:3;}");
    for (int i = 1; i < sheet.rules.Count(); ++i)
        EXPECT_LT(sheet.rules[i - 1]->order, sheet.rules[i]->order);
    EXPECT_EQ(sheet.rules[0]->order, 0);
    EXPECT_EQ(sheet.rules[1]->order, 1);
    EXPECT_GE(sheet.rules[3]->order, 3);  // b comes after every block of the text
}

TEST(StyleSheetParse, RulesAreHeldBySpecificityThenOrder) {
    TPDAUIEngineStyleSheet sheet;
    sheet.Parse("z#i{a:1} y{a:2} x.c{a:3} w{a:4} v#i.c{a:5} box y{a:6}");
    EXPECT_EQ(Rules(sheet), "y{a:2}|w{a:4}|box y{a:6}|x.c{a:3}|z#i{a:1}|v#i.c{a:5}");
    for (int i = 1; i < sheet.rules.Count(); ++i)
        EXPECT_TRUE(*sheet.rules[i - 1] < *sheet.rules[i]);
    Rule same;
    same.specificity = sheet.rules[2]->specificity;
    same.order = sheet.rules[2]->order;
    EXPECT_TRUE(same == *sheet.rules[2]);
    EXPECT_EQ(sheet.rules.FindInsertPosition(same), 2);
}

TEST(StyleSheetParse, ParsingAgainReplacesTheRules) {
    TPDAUIEngineStyleSheet sheet;
    sheet.Parse("a{x:1} b{y:2}");
    sheet.Parse("c{z:3}");
    EXPECT_EQ(Rules(sheet), "c{z:3}");
    EXPECT_EQ(sheet.rules[0]->order, 0);
    sheet.Parse("");
    EXPECT_EQ(sheet.rules.Count(), 0);
}

// ---- applying

TEST(StyleSheetApply, AddsDeclarationsToMatchingNodes) {
    struct Case {
        const char* label;
        const char* xml;
        const char* css;
        const char* result;
    } cases[] = {
        {"a missing attribute is appended", "<button/>", "button{fontSize:12;}", "button[fontSize=12]"},
        {"a present attribute is kept", "<button fontSize=\"9\"/>", "button{fontSize:12;}", "button[fontSize=9]"},
        {"presence is judged by the prefix lookup", "<button fontSizeX=\"9\"/>", "button{fontSize:12;}",
         "button[fontSizeX=9]"},
        {"important goes to the front without its mark", "<button color=\"blue\" w=\"1\"/>",
         "button{color:red !important; x:1}", "button[color=red color=blue w=1 x=1]"},
        {"important pairs in rule order, plain pairs after the node's own",
         "<b id=\"i\" own=\"1\"/>", "b{p:1; q:a !important} #i{p:2; q:b!important} b{p:3}",
         "b[q=a q=b id=i own=1 p=1 p=3 p=2]"},
        {"the node's attributes before this call decide presence", "<b/>", "b{p:1} b{p:2}", "b[p=1 p=2]"},
        {"an ancestor at any height", "<box><label><button/></label></box>", "box button{x:1}",
         "box(label(button[x=1]))"},
        {"an ancestor item never matches the node itself", "<box/>", "box box{x:1}", "box"},
        {"every item needs its own ancestor", "<a><b/><c><b/></c></a>", "a c b{x:1}", "a(b,c(b[x=1]))"},
        {"element selectors match lower-case tags only", "<r><Button/><button/></r>", "Button{x:1}",
         "r(Button,button[x=1])"},
        {"a class attribute of several words matches no class", "<r><a class=\"big red\"/><a class=\"big\"/></r>",
         ".big{x:1} .red{y:1}", "r(a[class=big red],a[class=big x=1])"},
        {"a space before the colon stays in the name", "<button/>", "button{ fontSize : 12 }",
         "button[fontSize = 12]"},
        {"pieces without a colon are skipped", "<a/>", "a{;; junk ; x:1 ;}", "a[x=1]"},
        {"the value runs past further colons", "<a/>", "a{bg:url:x}", "a[bg=url:x]"},
        {"ids are read by the prefix lookup", "<r><a idx=\"q\" id=\"k\"/></r>", "#k{x:1} #q{y:1}",
         "r(a[idx=q id=k y=1])"},
        {"ids and classes compare case-sensitively", "<r><a id=\"Ok\" class=\"Big\"/></r>", "#ok{x:1} .big{y:1} .Big{z:1}",
         "r(a[id=Ok class=Big z=1])"},
        {"ancestors are styled before their children", "<box><button/></box>", "box{class:dark} .dark button{x:1}",
         "box[class=dark](button[x=1])"},
        {"text nodes match no id or class", "<r class=\"c\">t<b/></r>", ".c{x:1}", "r[class=c x=1](#text,b)"},
        {"no rules, no change", "<r a=\"1\"/>", "", "r[a=1]"},
        {"a rule asking a tag and an id needs both", "<r><a id=\"k\"/><b id=\"k\"/></r>", "b#k{x:1}",
         "r(a[id=k],b[id=k x=1])"},
        {"a class rule meets every tag", "<r><a class=\"c\"/><b class=\"c\"/></r>", ".c{x:1} b.c{y:1}",
         "r(a[class=c x=1],b[class=c x=1 y=1])"},
        {"a declared id counts for the descendants", "<box><button/></box>", "box{id:main} #main button{x:1}",
         "box[id=main](button[x=1])"},
        {"an important class counts ahead of the node's own", "<box class=\"a\"><b/></box>",
         "box{class:z !important} .z b{x:1} .a b{y:1}", "box[class=z class=a](b[x=1])"},
        {"a landscape ancestor item needs landscape; doubled spaces make no item", "<a><b/></a>",
         ":Landscape b{x:1} a  b{y:1}", "a(b[y=1])"},
    };
    CurrentSettings portrait(false);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        TPDAUIEngineXml root;
        ASSERT_TRUE(ParseXml(root, c.xml));
        TPDAUIEngineStyleSheet sheet;
        sheet.Parse(c.css);
        sheet.ApplyToXml(&root);
        EXPECT_EQ(Dump(&root), c.result);
    }
}

// Presence on a node of many attributes is judged by the same prefix rule.
TEST(StyleSheetApply, WideNodesJudgePresenceByThePrefixRule) {
    std::string xml = "<button fontSizeX=\"9\"";
    for (int i = 0; i < 40; ++i)
        xml += " a" + std::to_string(i) + "=\"0\"";
    xml += "/>";
    TPDAUIEngineXml root;
    ASSERT_TRUE(ParseXml(root, xml));
    TPDAUIEngineStyleSheet sheet;
    sheet.Parse("button{fontSize:12; a1:9; a40:1; b:2; a:3; a39:4; c:5 !important; \xff:6}");
    sheet.ApplyToXml(&root);
    ASSERT_EQ(root.attributes.Count(), 41 + 4);
    EXPECT_STREQ(root.attributes[0]->name.c_str(), "c");
    EXPECT_STREQ(root.attributes[1]->name.c_str(), "fontSizeX");
    std::string added;
    for (int i = 42; i < root.attributes.Count(); ++i)
        added += std::string(root.attributes[i]->name.c_str()) + "=" + root.attributes[i]->value.c_str() + ";";
    EXPECT_EQ(added, "a40=1;b=2;\xff=6;");
}

// Large stylesheets and trees: a selector of many items, many rules, a node
// meeting many declarations, and a tree as deep as a file can nest.
TEST(StyleSheetApply, LargeSheetsAndDeepTreesAreRead) {
    std::string selector;
    const int kItems = 50000;
    for (int i = 0; i < kItems; ++i)
        selector += i % 2 ? "box " : "b.c ";
    TPDAUIEngineStyleSheet sheet;
    std::string css = selector + "{x:1}";
    sheet.Parse(css.c_str());
    ASSERT_EQ(sheet.rules.Count(), 1);
    EXPECT_EQ(sheet.rules[0]->items.Count(), kItems);
    EXPECT_EQ(sheet.rules[0]->specificity, kItems / 2 * 12);

    const int kRules = 40000;
    css.clear();
    for (int i = 0; i < kRules; ++i)
        css += i % 3 ? "a{x:1}" : "#i.c{y:1}";
    sheet.Parse(css.c_str());
    ASSERT_EQ(sheet.rules.Count(), kRules);
    for (int i = 1; i < kRules; ++i)
        ASSERT_TRUE(*sheet.rules[i - 1] < *sheet.rules[i]) << i;

    // Each label below the top box and each box below a label, at every depth.
    const int kDepth = TPDAUIEngineXml::kMaxDepth;
    std::string xml;
    for (int i = 0; i < kDepth; ++i)
        xml += i == 0 ? "<box id=\"top\">" : i % 2 ? "<label>" : "<box>";
    for (int i = kDepth - 1; i >= 0; --i)
        xml += i % 2 ? "</label>" : "</box>";
    TPDAUIEngineXml root;
    ASSERT_TRUE(ParseXml(root, xml));
    sheet.Parse("#top label{x:1} label box{y:2} box label box{z:3}");
    sheet.ApplyToXml(&root);
    int depth = 0;
    for (const TPDAUIEngineXml* n = &root; n; n = n->children.Count() ? n->children[0] : nullptr, ++depth) {
        SCOPED_TRACE(depth);
        EXPECT_EQ(Dump(n).substr(0, Dump(n).find('(')),
                  depth == 0 ? "box[id=top]" : depth % 2 ? "label[x=1]" : "box[y=2 z=3]");
    }
    EXPECT_EQ(depth, kDepth);
}

TEST(StyleSheetApply, SpaceBeforeTheColonMakesANameNoElementReads) {
    TPDAUIEngineXml root;
    ASSERT_TRUE(ParseXml(root, "<button/>"));
    TPDAUIEngineStyleSheet sheet;
    sheet.Parse("button{ fontSize : 12 }");
    sheet.ApplyToXml(&root);
    ASSERT_EQ(root.attributes.Count(), 1);
    EXPECT_STREQ(root.attributes[0]->name.c_str(), "fontSize ");
    EXPECT_STREQ(root.attributes[0]->value.c_str(), " 12");
}

TEST(StyleSheetApply, LandscapeRulesFollowTheSkinSettings) {
    TPDAUIEngineStyleSheet sheet;
    sheet.Parse("#btnOk:Landscape{x:1} :Landscape{l:1}");
    const char* xml = "<r><button id=\"btnOk\"/>t<b/></r>";
    struct Case {
        int settings;  // -1: none installed, 0 portrait, 1 landscape
        const char* result;
    } cases[] = {
        {-1, "r(button[id=btnOk],#text,b)"},
        {0, "r(button[id=btnOk],#text,b)"},
        {1, "r[l=1](button[id=btnOk l=1 x=1],#text[l=1],b[l=1])"},
    };
    TPDAUIEngineSkinSettings* previous = TPDAUIEngineSkinSettings::Current();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.settings);
        TPDAUIEngineSkinSettings settings;
        settings.landscape = c.settings == 1;
        TPDAUIEngineSkinSettings::SetCurrent(c.settings < 0 ? nullptr : &settings);
        TPDAUIEngineXml root;
        ASSERT_TRUE(ParseXml(root, xml));
        sheet.ApplyToXml(&root);
        EXPECT_EQ(Dump(&root), c.result);
        TPDAUIEngineSkinSettings::SetCurrent(previous);
    }
}

// A page read from a file, styled by a stylesheet file, written back.
TEST(StyleSheetApply, StylesAPageFixture) {
    auto read = [](const std::string& path) {
        TFicheroITV f;
        DString text;
        EXPECT_TRUE(f.Abre(path.c_str(), ITV_MODO_LECTURA)) << path;
        EXPECT_TRUE(f.Lee_Todo_Str(text)) << path;
        return text;
    };
    DString page = read(testpaths::Fixture("xml/page.xml"));
    DString css = read(testpaths::Fixture("css/styles.css"));
    DString expected = read(testpaths::Fixture("xml/page_styled.xml"));
    CurrentSettings portrait(false);
    TPDAUIEngineStyleSheet sheet;
    sheet.Parse(css.c_str());
    TPDAUIEngineXml root;
    ASSERT_TRUE(root.Parse(page.str()));
    sheet.ApplyToXml(&root);
    EXPECT_STREQ(root.ToString(0).c_str(), expected.c_str());
    EXPECT_STREQ(root.FindChild("label")->GetAttribute("fontSize", "").c_str(), " 20");  // the space after the colon stays
}

TEST(StyleSheetApply, NullTreeIsIgnored) {
    TPDAUIEngineStyleSheet sheet;
    sheet.Parse("a{x:1}");
    sheet.ApplyToXml(nullptr);
}

} // namespace
