#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <string>
#include <thread>
#include <vector>

#include "enginelib/base/TFicheroITV.h"
#include "support/TestPaths.h"
#include "uiengine/core/TPDAUIEngineXml.h"

namespace {

// Compact picture of a tree: name, [attributes], 'text', (children).
std::string Dump(const TPDAUIEngineXml* n)
{
    std::string s = n->name.c_str();
    if (n->attributes.Count() > 0) {
        s += "[";
        for (int i = 0; i < n->attributes.Count(); ++i) {
            if (i)
                s += " ";
            s += std::string(n->attributes[i]->name.c_str()) + "=" + n->attributes[i]->value.c_str();
        }
        s += "]";
    }
    if (!n->text.IsEmpty())
        s += std::string("'") + n->text.c_str() + "'";
    if (n->children.Count() > 0) {
        s += "(";
        for (int i = 0; i < n->children.Count(); ++i) {
            if (i)
                s += ",";
            s += Dump(n->children[i]);
        }
        s += ")";
    }
    return s;
}

// Parses a copy of text (Parse writes into its buffer).
bool ParseText(TPDAUIEngineXml& root, const std::string& text)
{
    std::vector<char> buf(text.begin(), text.end());
    buf.push_back('\0');
    return root.Parse(buf.data());
}

// Every child points back at its parent.
void ExpectParentsSet(const TPDAUIEngineXml* n)
{
    for (int i = 0; i < n->children.Count(); ++i) {
        EXPECT_EQ(n->children[i]->parent, n);
        ExpectParentsSet(n->children[i]);
    }
}

struct ParseCase {
    const char* label;
    std::string input;
    bool ok;
    std::string tree;
};

// The reader's rules, each on a document: what is skipped, decoded, absorbed.
TEST(XmlParse, ReadsDocumentsByItsOwnRules) {
    const ParseCase cases[] = {
        {"declaration and comments anywhere yield nothing",
         "<?xml version=\"1.0\"?>\n<!-- head --><r><!-- in --><a/><?pi x?><b/></r><!-- tail -->", true, "r(a,b)"},
        {"a comment holding '>' is blanked only up to it",
         "<r><!-- a > b --></r>", true, "r'" + std::string(9, ' ') + "b -->'"},
        {"text-only content is kept untrimmed as the node's text",
         "<label>\n    Hello\n</label>", true, "label'\n    Hello\n'"},
        {"mixed content keeps a #text child and the element",
         "<box>Hi<x/></box>", true, "box(#text'Hi',x)"},
        {"each text run between elements is a #text child of its own",
         "<r>a<b/>c<d/>e</r>", true, "r(#text'a',b,#text'c',d,#text'e')"},
        {"text around a dropped child keeps its place",
         "<r>a<b></x>c<d/>e<f></g></r>", true, "r(#text'a',#text'>c',d,#text'e',#text'>')"},
        {"text cut off by the end after an element", "<r><a/>tail", true, "r(a,#text'tail')"},
        {"only &lt; and &gt; are decoded in values",
         "<a v=\"1 &lt; 2 &amp; 3 &gt; 0 &quot;\"/>", true, "a[v=1 < 2 &amp; 3 > 0 &quot;]"},
        {"names and text are never decoded",
         "<a>x &lt; y</a>", true, "a'x &lt; y'"},
        {"a single quote is taken as the opening quote",
         "<a v='x' w=\"y\"/>", true, "a[v=x' w= y\"=]"},
        {"root end tag of another name fails", "<a></b>", false, "a"},
        {"a failing root keeps what it read, unfolded", "<r>text</x>", false, "r(#text'text')"},
        {"end tags compare case-sensitively", "<a></A>", false, "a"},
        {"no space is allowed before the end tag's '>'", "<a></a >", false, "a"},
        {"a child with a wrong end tag is dropped, the rest becomes text",
         "<r><a></b>x</r>", true, "r'>x'"},
        {"the dropped child's subtree goes with it",
         "<r><k/><a><c/></b><d/></r>", true, "r(k,#text'>',d)"},
        {"a line break does not end a tag name",
         "<a\nb=\"1\"/>", true, "a\nb=\"1\""},
        {"whitespace-only text runs are dropped",
         "<r>\n\t <a/> \r\n <b/>\n</r>", true, "r(a,b)"},
        {"tabs become spaces, in values too",
         "<a\tv=\"x\ty\"/>", true, "a[v=x y]"},
        {"spaces and line breaks may stand around '='",
         "<a v =\r\n  \"1\" w= \"2\"/>", true, "a[v=1 w=2]"},
        {"repeated attributes are all kept",
         "<a k=\"1\" k=\"2\"/>", true, "a[k=1 k=2]"},
        {"spaces inside an attribute name are kept",
         "<a b c=\"1\"/>", true, "a[b c=1]"},
        {"a second top-level element is ignored", "<a/><b/>", true, "a"},
        {"leading text before the root is skipped", "junk <a/>", true, "a"},
        {"no element at all fails", "just text", false, ""},
        {"empty buffer fails", "", false, ""},
        {"only comments fails", "<!-- <a/> -->", false, ""},
        {"an unclosed comment blanks the rest", "<r><!-- never closed <a/", true, "r"},
        {"the first '>' ends a comment even inside a tag",
         "<r><!-- <a/> --><b/></r>", true, "r(#text'" + std::string(10, ' ') + "-->',b)"},
        {"a single #text child named so is folded", "<r><#text/></r>", true, "r"},
        // Cut off documents: what is open at the end counts as complete.
        {"cut after '='", "<a b=", true, "a[b=]"},
        {"cut inside a value", "<a b=\"1", true, "a[b=1]"},
        {"cut after an attribute name", "<a b", true, "a[b=]"},
        {"cut after an opening quote", "<a b=\"", true, "a[b=]"},
        {"cut inside a start tag", "<a x=\"1\"/", true, "a[x=1]"},
        {"cut inside content", "<a><b>te", true, "a(b'te')"},
        {"cut inside an end tag", "<r></r", true, "r"},
        {"cut right after '</'", "<r></", false, "r"},
        {"a lone '<'", "<", true, ""},
        // An attribute with no '=' steps over the '>' and takes the next character as
        // its quote; its value then runs to the next double quote or the end.
        {"attribute without a value eats the content", "<a b><c/></a>", true, "a[b=c/></a>]"},
    };
    for (const ParseCase& c : cases) {
        SCOPED_TRACE(c.label);
        TPDAUIEngineXml root;
        EXPECT_EQ(ParseText(root, c.input), c.ok);
        EXPECT_EQ(Dump(&root), c.tree);
        EXPECT_EQ(root.parent, nullptr);
        ExpectParentsSet(&root);
    }
}

TEST(XmlParse, BlanksCommentsAndTabsInTheCallersBuffer) {
    char buf[] = "<r><!-- x -->\t</r>";
    TPDAUIEngineXml root;
    ASSERT_TRUE(root.Parse(buf));
    EXPECT_STREQ(buf, "<r>           </r>");
    EXPECT_FALSE(root.Parse(nullptr));
}

// The caller's buffer as the reader leaves it: declarations and comments blanked
// through the next '>', then tabs turned into spaces.
std::string BlankedReference(std::string s)
{
    for (size_t p = s.find('<'); p != std::string::npos; p = s.find('<', p)) {
        if (p + 1 < s.size() && (s[p + 1] == '!' || s[p + 1] == '?')) {
            size_t end = s.find('>', p);
            end = end == std::string::npos ? s.size() : end + 1;
            std::fill(s.begin() + (long)p, s.begin() + (long)end, ' ');
            p = end;
        } else {
            ++p;
        }
    }
    std::replace(s.begin(), s.end(), '\t', ' ');
    return s;
}

TEST(XmlParse, BlankingIsTheSameAtEveryPlaceInTheText) {
    std::vector<std::string> texts;
    // A comment, a declaration and a lone '!' at every offset across a few blocks.
    for (int at = 0; at < 48; ++at)
        for (const char* piece : {"<!-- c\t>x -->", "<?xml v=\"1\"?>", "a!b<c?", "<!", "<?", "<!-- open"})
            texts.push_back("<r>" + std::string((size_t)at, at % 3 ? ' ' : '\t') + piece + "\t<b/>\t</r>");
    // Random texts of the characters that matter.
    unsigned seed = 12345;
    const char kChars[] = "<!?>\ta /";
    for (int round = 0; round < 3000; ++round) {
        std::string t;
        const int n = (int)((seed = seed * 1103515245u + 12345u) >> 16) % 90;
        for (int i = 0; i < n; ++i)
            t += kChars[((seed = seed * 1103515245u + 12345u) >> 16) % (sizeof kChars - 1)];
        texts.push_back(t);
    }
    for (const std::string& t : texts) {
        std::vector<char> buf(t.begin(), t.end());
        buf.push_back('\0');
        TPDAUIEngineXml root;
        root.Parse(buf.data());
        EXPECT_EQ(std::string(buf.data()), BlankedReference(t)) << t;
    }
}

// Nesting deeper than the limit fails that child only, whole, without deep
// recursion; what stood inside it leaves nothing behind, so the tree written
// again stays as small as the levels read.
TEST(XmlParse, DeepNestingIsCutAtTheLimit) {
    const int limit = TPDAUIEngineXml::kMaxDepth;
    for (int levels : {limit + 1, limit + 44, 200000}) {
        SCOPED_TRACE(levels);
        std::string doc;
        for (int i = 0; i < levels; ++i)
            doc += i % 3 ? "<a>" : "<a k=\"</a>\">";
        doc += "<b/>x<c/>";
        for (int i = 0; i < levels; ++i)
            doc += "</a>";
        TPDAUIEngineXml root;
        EXPECT_TRUE(ParseText(root, doc));
        int depth = 0;
        const TPDAUIEngineXml* n = &root;
        while (n->children.Count() > 0 && n->children[0]->name == "a") {
            n = n->children[0];
            ++depth;
        }
        EXPECT_EQ(depth, std::min(levels, limit + 1) - 1);
        // The deepest level read keeps its own text; elements below it go whole.
        EXPECT_EQ(n->children.Count(), 0);
        EXPECT_STREQ(n->text.c_str(), levels > limit + 1 ? "" : "x");
        // Every level read is written on its own lines, and nothing else is.
        const int read = std::min(levels, limit + 1);
        EXPECT_LT(root.ToString(0).Length(), read * (2 * 4 * read + 32));
    }
}

TEST(XmlParse, ParentsAreSetThroughoutTheTree) {
    TPDAUIEngineXml root;
    ASSERT_TRUE(ParseText(root, "<r><a><b>t</b><c/>x</a><d/></r>"));
    EXPECT_EQ(Dump(&root), "r(a(b't',c,#text'x'),d)");
    ExpectParentsSet(&root);
}

// ---- attribute getters

TEST(XmlAttributes, LookupMatchesTheAskedNameAsAPrefix) {
    TPDAUIEngineXml a, b;
    ASSERT_TRUE(ParseText(a, "<n key2=\"5\" key=\"3\"/>"));
    ASSERT_TRUE(ParseText(b, "<n key=\"3\" key2=\"5\"/>"));
    EXPECT_STREQ(a.GetAttribute("key", "").c_str(), "5");
    EXPECT_STREQ(b.GetAttribute("key", "").c_str(), "3");
    EXPECT_STREQ(a.GetAttribute("key2", "").c_str(), "5");
    EXPECT_STREQ(b.GetAttribute("key2", "").c_str(), "5");
    EXPECT_STREQ(a.GetAttribute("", "").c_str(), "5");  // empty name: first attribute
    EXPECT_STREQ(a.GetAttribute("Key", "d").c_str(), "d");  // case counts
    EXPECT_STREQ(a.GetAttribute("key22", "d").c_str(), "d");
    EXPECT_TRUE(a.HasAttribute("ke"));
    EXPECT_FALSE(a.HasAttribute("kez"));
    TPDAUIEngineXml empty;
    EXPECT_FALSE(empty.HasAttribute(""));
}

TEST(XmlAttributes, PresentEmptyValueIsNotTheDefault) {
    TPDAUIEngineXml n;
    ASSERT_TRUE(ParseText(n, "<n e=\"\"/>"));
    EXPECT_STREQ(n.GetAttribute("e", "d").c_str(), "");
    EXPECT_STREQ(n.GetAttribute("x", "d").c_str(), "d");
    EXPECT_STREQ(n.GetAttribute("x", nullptr).c_str(), "");
}

TEST(XmlAttributes, GetAttributeAtWalksInOrderAndRefusesBadIndexes) {
    TPDAUIEngineXml n;
    ASSERT_TRUE(ParseText(n, "<n a=\"1\" b=\"2\"/>"));
    ASSERT_NE(n.GetAttributeAt(1), nullptr);
    EXPECT_STREQ(n.GetAttributeAt(1)->name.c_str(), "b");
    EXPECT_STREQ(n.GetAttributeAt(1)->value.c_str(), "2");
    EXPECT_EQ(n.GetAttributeAt(-1), nullptr);
    EXPECT_EQ(n.GetAttributeAt(2), nullptr);
}

TEST(XmlAttributes, IntegerRules) {
    struct Case {
        const char* xml;
        int def;
        float factor;
        int expected;
    } cases[] = {
        {"<n/>", 7, 1.5f, 10},            // absent: default times factor
        {"<n v=\"10px\"/>", 7, 1.5f, 15}, // digits up to the first other character
        {"<n v=\"\"/>", 7, 1.5f, 10},     // empty counts as absent
        {"<n v=\"12.7\"/>", 0, 1.0f, 12},
        {"<n v=\"  -5\"/>", 0, 1.0f, -5},
        {"<n v=\"+3\"/>", 0, 1.0f, 3},
        {"<n v=\"abc\"/>", 9, 1.0f, 0},   // present without digits: 0, not the default
        {"<n v=\"-3\"/>", 0, 1.5f, -4},   // truncated toward zero
        {"<n v=\"3\"/>", 0, 2.5f, 7},
        {"<n v=\"99999999999\"/>", 0, 1.0f, INT_MAX},
        {"<n v=\"-99999999999\"/>", 0, 1.0f, INT_MIN},
        {"<n v=\"2147483647\"/>", 0, 1.0f, INT_MAX},  // 2^31 as a float: clamped
        {"<n v=\"16777217\"/>", 0, 1.0f, 16777216},   // single precision
        {"<n v=\"5\"/>", 0, NAN, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.xml);
        TPDAUIEngineXml n;
        ASSERT_TRUE(ParseText(n, c.xml));
        EXPECT_EQ(n.GetAttributeInt("v", c.def, c.factor), c.expected);
    }
}

TEST(XmlAttributes, FloatRules) {
    struct Case {
        const char* value;  // null: absent
        float expected;
    } cases[] = {
        {nullptr, 4.5f}, {"", 4.5f},       {"1.5", 1.5f},   {"  -2.5e1x", -25.0f},
        {".5", 0.5f},    {"7.", 7.0f},     {"1e", 1.0f},    {"1e+", 1.0f},
        {"2E-1", 0.2f},  {"abc", 0.0f},    {"-", 0.0f},     {".", 0.0f},
        {"inf", 0.0f},   {"nan", 0.0f},    {"0x10", 0.0f},  {"3,5", 3.0f},
        {"1e999", HUGE_VALF}, {"-1e999", -HUGE_VALF}, {"1e-999", 0.0f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value ? c.value : "(absent)");
        TPDAUIEngineXml n;
        if (c.value)
            n.AddAttribute("v", c.value);
        EXPECT_FLOAT_EQ(n.GetAttributeFloat("v", 4.5f), c.expected);
    }
}

TEST(XmlAttributes, BooleanTakesOnlyTrueAndCapitalisedTrue) {
    struct Case {
        const char* value;
        bool def;
        bool expected;
    } cases[] = {
        {"true", false, true}, {"True", false, true}, {"TRUE", true, false}, {"1", true, false},
        {"yes", true, false},  {"false", true, false}, {"", true, true},     {"", false, false},
        {nullptr, true, true}, {" true", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value ? c.value : "(absent)");
        TPDAUIEngineXml n;
        if (c.value)
            n.AddAttribute("b", c.value);
        EXPECT_EQ(n.GetAttributeBool("b", c.def), c.expected);
    }
}

TEST(XmlAttributes, SetChangesTheFoundAttributeAndAddAlwaysAppends) {
    TPDAUIEngineXml n;
    n.AddAttribute("key2", "5");
    n.SetAttribute("key", "9");  // found by prefix: key2 takes the value
    n.SetAttribute("other", "1");
    n.AddAttribute("other", "2");
    EXPECT_EQ(Dump(&n), "[key2=9 other=1 other=2]");
    std::string seen;
    n.ForEachAttribute([&](const TPDAUIEngineXml::TAttribute& a) { seen += std::string(a.name.c_str()) + ";"; });
    EXPECT_EQ(seen, "key2;other;other;");
}

// ---- children

TEST(XmlChildren, LookupsNeedTheWholeName) {
    TPDAUIEngineXml root;
    ASSERT_TRUE(ParseText(root,
                          "<r><item2 v=\"a\"/><item v=\"b\"><item v=\"c\"/><x><item v=\"d\"/></x></item>"
                          "<item v=\"e\"/></r>"));
    ASSERT_NE(root.FindChild("item"), nullptr);
    EXPECT_STREQ(root.FindChild("item")->GetAttribute("v", "").c_str(), "b");
    EXPECT_EQ(root.FindChild("ite"), nullptr);
    EXPECT_EQ(root.FindChild("Item"), nullptr);

    VectorP<TPDAUIEngineXml> direct(10, 10, false), all(10, 10, false);
    root.GetChildren("item", direct);
    root.FindDescendants("item", all);
    auto values = [](const VectorP<TPDAUIEngineXml>& v) {
        std::string s;
        for (int i = 0; i < v.Count(); ++i)
            s += v[i]->GetAttribute("v", "?").c_str();
        return s;
    };
    EXPECT_EQ(values(direct), "be");
    EXPECT_EQ(values(all), "bcde");  // depth first, document order

    VectorP<TPDAUIEngineXml> self(10, 10, false);
    root.FindDescendants("r", self);  // the node itself is not tested
    EXPECT_EQ(self.Count(), 0);

    EXPECT_STREQ(root.GetChildAttribute("item", "v", "z").c_str(), "b");
    EXPECT_STREQ(root.GetChildAttribute("item", "w", "z").c_str(), "z");
    EXPECT_STREQ(root.GetChildAttribute("none", "v", "z").c_str(), "z");
}

// ---- writer

TEST(XmlWrite, WritesTheTreeByteForByte) {
    struct Case {
        const char* label;
        std::string input;
        int depth;
        std::string expected;
    } cases[] = {
        {"an empty node at depth 1", "<k a=\"1\"/>", 1, "    <k a=\"1\"/>\n"},
        {"text inside, indented one level deeper", "<t x=\"2\">hi</t>", 0, "<t x=\"2\">\n    hi\n</t>\n"},
        {"children, then the end tag at the node's indent",
         "<r><a/><b><c/></b></r>", 0,
         "<r>\n    <a/>\n    <b>\n        <c/>\n    </b>\n</r>\n"},
        {"mixed content writes #text elements", "<r>x<a/></r>", 0,
         "<r>\n    <#text>\n        x\n    </#text>\n    <a/>\n</r>\n"},
        {"nothing is escaped", "<r v=\"a &lt; b &amp;\">1 &lt; 2</r>", 0,
         "<r v=\"a < b &amp;\">\n    1 &lt; 2\n</r>\n"},
        {"a negative depth counts as 0", "<k/>", -3, "<k/>\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        TPDAUIEngineXml n;
        ASSERT_TRUE(ParseText(n, c.input));
        EXPECT_EQ(std::string(n.ToString(c.depth).c_str()), c.expected);
    }
}

TEST(XmlWrite, DoubleQuoteInAValueKeepsTheFileReadable) {
    TPDAUIEngineXml n;
    n.name = "k";
    n.AddAttribute("title", "say \"hi\"");
    n.AddAttribute("next", "1");
    EXPECT_STREQ(n.ToString(0).c_str(), "<k title=\"say &quot;hi&quot;\" next=\"1\"/>\n");
    TPDAUIEngineXml back;
    ASSERT_TRUE(ParseText(back, n.ToString(0).c_str()));
    EXPECT_STREQ(back.GetAttribute("next", "").c_str(), "1");
}

// A key-map tree survives writing and reading back.
TEST(XmlWrite, KeyMapRoundTrip) {
    TPDAUIEngineXml root;
    root.name = "keysDefinitions";
    TPDAUIEngineXml* rep = new TPDAUIEngineXml;
    rep->name = "keyReplace";
    rep->SetAttribute("from", "CTRL+VK_F3");
    rep->SetAttribute("to", "VK_RETURN");
    rep->SetAttribute("comments", "a < b > c");
    root.AddChild(rep);
    for (int i = 0; i < 3; ++i) {
        TPDAUIEngineXml* def = new TPDAUIEngineXml;
        def->name = "keyDefinition";
        def->SetAttribute("key", std::to_string(0x70 + i).c_str());
        def->SetAttribute("key2", "0");
        def->SetAttribute("when", std::to_string(i).c_str());
        def->SetAttribute("onlyInPages", "pageMap,pageMenu,");
        def->SetAttribute("command", "LumorEngCommand:548");
        def->SetAttribute("commandAux", "");
        def->SetAttribute("editable", i ? "true" : "false");
        root.AddChild(def);
    }
    DString written = root.ToString(0);
    TPDAUIEngineXml back;
    ASSERT_TRUE(ParseText(back, written.c_str()));
    EXPECT_EQ(Dump(&back), Dump(&root));
    EXPECT_STREQ(back.ToString(0).c_str(), written.c_str());
    EXPECT_EQ(back.children[2]->GetAttributeInt("key", 0, 1.0f), 0x71);
    EXPECT_TRUE(back.children[2]->GetAttributeBool("editable", false));
}

// ---- copy

TEST(XmlCopy, GraftsAttributesAndChildrenButNotText) {
    TPDAUIEngineXml page, control;
    ASSERT_TRUE(ParseText(page, "<usercontrol type=\"compass\" id=\"c1\" width=\"10\"><own/></usercontrol>"));
    ASSERT_TRUE(ParseText(control,
                          "<box width=\"20\" height=\"5\">root text<label>inner</label><image src=\"a\"/></box>"));
    page.CopyFrom(&control);
    EXPECT_EQ(Dump(&page),
              "usercontrol[type=compass id=c1 width=20 height=5](own,#text,label,image[src=a])");
    ExpectParentsSet(&page);
    EXPECT_TRUE(page.text.IsEmpty());
    // The source is untouched.
    EXPECT_EQ(Dump(&control), "box[width=20 height=5](#text'root text',label'inner',image[src=a])");
}

TEST(XmlCopy, SetsAttributesByTheLookupRule) {
    TPDAUIEngineXml to, from;
    to.AddAttribute("key2", "1");
    from.AddAttribute("key", "7");
    to.CopyFrom(&from);
    EXPECT_EQ(Dump(&to), "[key2=7]");
    to.CopyFrom(nullptr);
    EXPECT_EQ(Dump(&to), "[key2=7]");
}

// The lookup rule holds for copies of every size: each case is copied once as
// written and once among enough other attributes (named so that no case name
// begins with them or they with it) that the copy indexes the names it sets.
TEST(XmlCopy, LargeAndSmallCopiesFollowTheSameRule) {
    struct Case {
        std::vector<std::pair<std::string, std::string>> to, from;
        std::string expected;
    } cases[] = {
        {{{"a", "1"}}, {{"a", "2"}, {"b", "3"}}, "[a=2 b=3]"},
        {{{"key2", "5"}}, {{"key", "3"}}, "[key2=3]"},
        {{}, {{"key2", "5"}, {"key", "3"}}, "[key2=3]"},  // found among those just added
        {{{"key", "3"}}, {{"key2", "5"}}, "[key=3 key2=5]"},
        {{{"x", "1"}, {"ab", "2"}, {"a", "3"}}, {{"a", "9"}}, "[x=1 ab=9 a=3]"},
        {{}, {{"a", "1"}, {"a", "2"}, {"", "e"}}, "[a=e]"},  // repeats, and the empty name
        {{{"\xe9t\xe9", "1"}}, {{"\xe9", "2"}}, "[\xe9t\xe9=2]"},  // bytes above 127
    };
    const int kOthers = 200;
    for (const Case& c : cases) {
        for (bool large : {false, true}) {
            SCOPED_TRACE(c.expected + (large ? " among others" : ""));
            TPDAUIEngineXml to, from;
            for (const auto& a : c.to)
                to.AddAttribute(a.first.c_str(), a.second.c_str());
            for (int i = 0; large && i < kOthers; ++i)
                to.AddAttribute(("~t" + std::to_string(i)).c_str(), "t");
            for (int i = 0; large && i < kOthers; ++i)
                from.AddAttribute(("~f" + std::to_string(i)).c_str(), "f");
            for (const auto& a : c.from)
                from.AddAttribute(a.first.c_str(), a.second.c_str());
            to.CopyFrom(&from);
            TPDAUIEngineXml own;  // the case's own attributes, in order
            for (int i = 0; i < to.attributes.Count(); ++i)
                if (to.attributes[i]->name[0] != '~' || c.from.back().first.empty())
                    own.AddAttribute(to.attributes[i]->name.c_str(), to.attributes[i]->value.c_str());
            if (!large || !c.from.back().first.empty()) {
                EXPECT_EQ(Dump(&own), c.expected);
            }
            EXPECT_EQ(to.attributes.Count(), (int)(c.expected.size() > 2 ? std::count(c.expected.begin(),
                                                   c.expected.end(), '=') : 0) + (large ? 2 * kOthers : 0));
        }
    }
}

// A user-control definition with a hundred thousand attributes grafts onto a
// page node holding as many: every name set once, in linear time.
TEST(XmlCopy, WideDefinitionsGraft) {
    const int kCount = 100000;
    std::string page = "<usercontrol type=\"wide\"", definition = "<usercontrol";
    for (int i = 0; i < kCount; ++i) {
        page += " p" + std::to_string(i) + "=\"page\"";
        definition += " p" + std::to_string(i + kCount / 2) + "=\"def\"";
    }
    page += "/>";
    definition += "><box/></usercontrol>";
    TPDAUIEngineXml node, control;
    ASSERT_TRUE(ParseText(node, page));
    ASSERT_TRUE(ParseText(control, definition));
    node.CopyFrom(&control);
    // "p1" begins "p10", "p100"...: the lookup rule sends a name to the first
    // attribute that begins with it, so count what each value ends as.
    int fromPage = 0, fromDefinition = 0;
    for (int i = 0; i < node.attributes.Count(); ++i)
        (node.attributes[i]->value == "def" ? fromDefinition : fromPage) += 1;
    EXPECT_EQ(node.attributes.Count(), 1 + kCount + kCount / 2);
    EXPECT_EQ(fromPage + fromDefinition, node.attributes.Count());
    EXPECT_STREQ(node.GetAttribute("p99999", "").c_str(), "def");
    EXPECT_STREQ(node.GetAttribute("p149999", "").c_str(), "def");
    EXPECT_STREQ(node.GetAttribute("type", "").c_str(), "wide");
    EXPECT_STREQ(node.GetAttributeAt(kCount + 1)->name.c_str(), "p100000");
    EXPECT_EQ(node.children.Count(), 1);
}

TEST(XmlCopy, CopyingATreeIntoItselfEnds) {
    TPDAUIEngineXml root;
    ASSERT_TRUE(ParseText(root, "<r a=\"1\"><x><y/></x></r>"));
    root.CopyFrom(&root);
    EXPECT_EQ(Dump(&root), "r[a=1](x(y),x(y))");

    TPDAUIEngineXml tree;
    ASSERT_TRUE(ParseText(tree, "<r><x><y/></x></r>"));
    TPDAUIEngineXml* y = tree.children[0]->children[0];
    y->CopyFrom(&tree);  // an ancestor into its descendant
    EXPECT_EQ(Dump(&tree), "r(x(y(x(y))))");
    ExpectParentsSet(&tree);
}

// ---- node storage

std::string SamplePage(int seed)
{
    std::string s = "<page id=\"p" + std::to_string(seed) + "\">";
    for (int i = 0; i < 200; ++i)
        s += "<button id=\"b" + std::to_string(i) + "\" label=\"a label long enough to leave the string\">t" +
             std::to_string(seed) + "</button>";
    return s + "</page>";
}

// Trees outlive one another in any order and may be deleted on another thread.
TEST(XmlStorage, TreesStayIntactWhateverTheOrderAndThreadOfDeletion) {
    std::vector<TPDAUIEngineXml*> trees;
    std::vector<std::string> written;
    for (int i = 0; i < 40; ++i) {
        TPDAUIEngineXml* t = new TPDAUIEngineXml;
        ASSERT_TRUE(ParseText(*t, SamplePage(i)));
        trees.push_back(t);
        written.push_back(t->ToString(0).c_str());
    }
    for (size_t i = 0; i < trees.size(); i += 2) {
        delete trees[i];
        trees[i] = nullptr;
    }
    // Read more while half the trees are gone, some of them on other threads.
    std::vector<TPDAUIEngineXml*> fromThreads(4, nullptr);
    std::vector<std::thread> workers;
    for (int w = 0; w < 4; ++w)
        workers.emplace_back([&fromThreads, w] {
            fromThreads[w] = new TPDAUIEngineXml;
            ParseText(*fromThreads[w], SamplePage(100 + w));
        });
    for (std::thread& t : workers)
        t.join();
    for (size_t i = 1; i < trees.size(); i += 2)
        EXPECT_EQ(std::string(trees[i]->ToString(0).c_str()), written[i]);
    for (int w = 0; w < 4; ++w) {
        EXPECT_EQ(fromThreads[w]->children.Count(), 200);
        EXPECT_STREQ(fromThreads[w]->GetAttribute("id", "").c_str(), ("p" + std::to_string(100 + w)).c_str());
    }
    // Delete the rest: the threads' trees here, this thread's trees on a worker.
    std::thread deleter([&trees] {
        for (TPDAUIEngineXml* t : trees)
            delete t;
    });
    deleter.join();
    for (TPDAUIEngineXml* t : fromThreads)
        delete t;
}

// Child and attribute lists too long for one block of the node storage.
TEST(XmlStorage, WideNodesKeepEveryChildAndAttribute) {
    const int kChildren = 20000, kAttributes = 10000;
    std::string s = "<list";
    for (int i = 0; i < kAttributes; ++i)
        s += " a" + std::to_string(i) + "=\"" + std::to_string(i) + "\"";
    s += ">";
    for (int i = 0; i < kChildren; ++i)
        s += "<row n=\"" + std::to_string(i) + "\"/>";
    s += "</list>";
    TPDAUIEngineXml root;
    ASSERT_TRUE(ParseText(root, s));
    ASSERT_EQ(root.attributes.Count(), kAttributes);
    ASSERT_EQ(root.children.Count(), kChildren);
    EXPECT_STREQ(root.GetAttributeAt(kAttributes - 1)->value.c_str(), std::to_string(kAttributes - 1).c_str());
    EXPECT_EQ(root.children[kChildren - 1]->GetAttributeInt("n", -1, 1.0f), kChildren - 1);
    VectorP<TPDAUIEngineXml> rows(10, 0, false);
    root.FindDescendants("row", rows);
    EXPECT_EQ(rows.Count(), kChildren);
    // Taking children out one by one moves the rest down each time.
    for (int i = 0; i < 100; ++i)
        root.children.Remove(0);
    EXPECT_EQ(root.children.Count(), kChildren - 100);
    EXPECT_EQ(root.children[0]->GetAttributeInt("n", -1, 1.0f), 100);
}

// ---- a skin page from a file

TEST(XmlFile, ReadsAPageFixture) {
    TFicheroITV f;
    ASSERT_TRUE(f.Abre(testpaths::Fixture("xml/page.xml").c_str(), ITV_MODO_LECTURA));
    DString text;
    ASSERT_TRUE(f.Lee_Todo_Str(text));
    TPDAUIEngineXml root;
    ASSERT_TRUE(root.Parse(text.str()));
    EXPECT_STREQ(root.name.c_str(), "page");
    EXPECT_STREQ(root.GetAttribute("id", "").c_str(), "pageMain");
    VectorP<TPDAUIEngineXml> buttons(10, 10, false);
    root.FindDescendants("button", buttons);
    ASSERT_EQ(buttons.Count(), 3);
    EXPECT_STREQ(buttons[0]->GetAttribute("label", "").c_str(), "Go < there");
    EXPECT_EQ(buttons[2]->parent->name, "box");
    VectorP<TPDAUIEngineXml> controls(10, 10, false);
    root.FindDescendants("usercontrol", controls);
    ASSERT_EQ(controls.Count(), 1);
    EXPECT_STREQ(controls[0]->GetAttribute("type", "").c_str(), "compass");
}

} // namespace
