// The element's compiled record: Save, OnLoad from a stream, and how the reader
// treats short and hostile records.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "enginelib/base/TFicheroITV.h"
#include "support/TestEngine.h"
#include "support/TestPaths.h"
#include "uiengine/core/TPDAUIEngineXml.h"
#include "uiengine/elements/TPDAUIEngineElement.h"
#include "uiengine/elements/TPDAUIEngineElementBox.h"
#include "uiengine/elements/TPDAUIEngineElementVScrollBar.h"

namespace {

using E = TPDAUIEngineElement;
using Bytes = std::vector<unsigned char>;

class Leaf : public TPDAUIEngineElement {
public:
    Leaf() { tag = "label"; }
    void Paint(IDC*, int, int) override {}
};

// An element that sets every attribute of the element base.
const char kEveryAttribute[] =
    "<label id=\"lblAll\" left=\"10\" top=\"-4\" width=\"120\" height=\"33\" padding=\"3\" "
    "paddingInner=\"5\" margin=\"6\" marginLeft=\"4%\" border=\"Solid 2 #102030 #405060\" "
    "borderFocus=\"Round 1 #FF0000 6\" borderPressed=\"Outset 2 #00FF00 #0000FF\" "
    "borderDisabled=\"Dotted 1 #808080\" borderHover=\"Groove 3 #ABCDEF80\" foreground=\"#112233\" "
    "foregroundPressed=\"#445566\" foregroundDisabled=\"#778899\" foregroundFocus=\"#AABBCC\" "
    "foregroundHover=\"#DDEEFF\" background=\"#22334480\" backgroundPressed=\"btn.bmp\" "
    "backgroundFocus=\"=nine.png(4 4 8 8)\" backgroundDisabled=\"-bar.png(0 0 10 10 3)\" "
    "backgroundHover=\"!tile.png\" shortcut=\"CTRL+VK_F2\" visible=\"false\" enabled=\"false\" "
    "isFocusable=\"true\" isClickable=\"false\" minimumHeight=\"20\" minimumWidth=\"30\" "
    "maximumHeight=\"400\" maximumWidth=\"600\" flex=\"3\" colspan=\"2\" rowspan=\"4\" align=\"End\" "
    "pack=\"Stretch\" label=\"{H530} text\" onCommand=\"doIt\" onCommandSound=\"click\" "
    "onContextMenuCommand=\"ctx\" timerInterval=\"250\" fontSize=\"14\" fontBold=\"true\" "
    "fontItalic=\"true\" fontUnderline=\"true\" fontUpperCase=\"true\" fontLowercase=\"true\" "
    "fontSimplifyCharacters=\"true\" fontBordered=\"true\" fontShadowed=\"true\" fontRichText=\"true\" "
    "fontPaddingEllipsis=\"4\" fontOrientation=\"90\" image=\"icon.bmp\" class=\"big\" "
    "allowMouseDownAfterPopupClose=\"false\" avoidPaddingRescale=\"true\" avoidMarginRescale=\"true\" "
    "catchMouseEventsAlways=\"true\"/>";

template <class Fn>
Bytes Written(Fn write)
{
    testpaths::TempDir dir;
    const std::string path = dir / "record.bin";
    TFicheroITV f;
    EXPECT_TRUE(f.Abre(path.c_str(), ITV_MODO_CREACION));
    write(f);
    EXPECT_TRUE(f.Cierra());
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Bytes Saved(E& e)
{
    return Written([&](TFicheroITV& f) { e.Save(f); });
}

void LoadXml(TPDAUIEngine& engine, E& e, const char* xml)
{
    std::string text = xml;
    TPDAUIEngineXml node;
    ASSERT_TRUE(node.Parse(&text[0]));
    e.OnLoad(&engine, nullptr, nullptr, &node, nullptr);
}

// Bytes of the mark and the tag at the front of a record of that tag.
size_t HeaderSize(const char* tag) { return 1 + 4 + std::string(tag).size(); }

// Loads e from a whole record (mark and tag first, read here as a container would).
bool LoadRecord(TPDAUIEngine* engine, E& e, const Bytes& bytes, uint32_t* left = nullptr)
{
    TFicheroITVdatos in(bytes.data(), ITV_MODO_LECTURA, (uint32_t)bytes.size());
    char mark = 0;
    DString tag;
    in >> mark >> tag;
    e.OnLoad(engine, nullptr, nullptr, nullptr, &in);
    if (left)
        *left = in.Restantes();
    return !in.Error();
}

// Everything the record carries, as text, to compare two elements.
std::string Dump(E& e)
{
    std::ostringstream o;
    o << e.id.c_str() << "|" << e.left << "," << e.top << "," << e.width << "," << e.height << "|"
      << e.minimumHeight << "," << e.minimumWidth << "," << e.maximumHeight << "," << e.maximumWidth << "|";
    for (const auto& b : e.borders)
        o << b.width << " " << b.style << " " << (uint32_t)b.colour << " " << (uint32_t)b.shade << " "
          << b.alpha << " " << b.radius << ";";
    const auto& p = e.padding;
    o << "|" << p.left << "," << p.top << "," << p.right << "," << p.bottom << "," << p.inner << "|";
    const auto& m = e.margins;
    o << m.left << m.leftPercent << "," << m.top << m.topPercent << "," << m.right << m.rightPercent << ","
      << m.bottom << m.bottomPercent << "|";
    for (uint32_t f : e.foregrounds)
        o << f << ";";
    for (const auto& b : e.backgrounds)
        o << b.kind << " " << (uint32_t)b.colour << " " << b.imageName.c_str() << " " << b.alpha << " " << b.x
          << " " << b.y << " " << b.w << " " << b.h << " " << b.edge << ";";
    const auto& f = e.font;
    o << "|" << e.pack << e.align << "|" << f.name.c_str() << " " << f.size << " " << f.bold << f.italic
      << f.underline << f.upperCase << f.lowerCase << f.simplifyCharacters << f.bordered << f.shadowed
      << f.richText << " " << f.paddingEllipsis << " " << f.orientation << " " << f.stockFontId << "|";
    const auto& k = e.shortcut;
    o << k.keyName.c_str() << " " << k.ctrl << k.alt << k.shift << " " << k.keyCode << "|";
    o << (int)e.visible << (int)e.enabled << " " << e.flex << "," << e.colspan << "," << e.rowspan << "|";
    o << e.imageName.c_str() << "|" << e.label.c_str() << "|" << e.onCommand.c_str() << "|"
      << e.onCommandSound.c_str() << "|" << e.onContextMenuCommand.c_str() << "|" << e.timerInterval << "|";
    o << (int)e.isFocusable << (int)e.isClickable << "|" << e.className.c_str() << "|"
      << (int)e.allowMouseDownAfterPopupClose << (int)e.avoidPaddingRescale << (int)e.avoidMarginRescale
      << (int)e.catchMouseEventsAlways;
    return o.str();
}

const float kScales[] = {1.0f, 1.5f, 2.0f};

// ---- writing and reading back --------------------------------------------------------

TEST(ElementCompiled, SaveLoadSaveGivesTheSameBytesAtEachScale)
{
    for (float scale : kScales) {
        SCOPED_TRACE(scale);
        TestEngine engine(480, 800);
        engine.skinSettings.uiScale = scale;
        Leaf a;
        LoadXml(engine, a, kEveryAttribute);
        const Bytes first = Saved(a);
        ASSERT_FALSE(first.empty());
        EXPECT_EQ(E::CompiledMark, first[0]);

        Leaf b;
        uint32_t left = 99;
        ASSERT_TRUE(LoadRecord(&engine, b, first, &left));
        EXPECT_EQ(0u, left);
        EXPECT_EQ(first, Saved(b));
    }
}

TEST(ElementCompiled, ReadingBackGivesEveryFieldWhereTheScaleDividesEvenly)
{
    for (float scale : {1.0f, 2.0f}) {
        SCOPED_TRACE(scale);
        TestEngine engine(480, 800);
        engine.skinSettings.uiScale = scale;
        Leaf a;
        LoadXml(engine, a, kEveryAttribute);
        Leaf b;
        ASSERT_TRUE(LoadRecord(&engine, b, Saved(a)));
        // Compiled pages name compiled bitmaps.
        a.imageName = "icon.cbmp";
        a.backgrounds.Edit(E::StatePressed).imageName = "btn.cbmp";
        EXPECT_EQ(Dump(a), Dump(b));
    }
}

// A box read as a container's child is made for its record (the default font
// and maximum sizes are left for the record to set); read, it must equal a box
// made in full and then read from the same record, the default fields included.
TEST(ElementCompiled, AChildBoxEqualsAFullyMadeBoxReadFromItsRecord)
{
    std::string every = kEveryAttribute;
    every.replace(1, 5, "box");
    const std::string kChildren[] = {"<box/>", "<box id=\"plain\" fontSize=\"9\"/>", every};
    for (float scale : {1.0f, 2.0f})
        for (const std::string& child : kChildren) {
            SCOPED_TRACE(std::to_string(scale) + " " + child);
            TestEngine engine(480, 800);
            engine.skinSettings.uiScale = scale;
            TPDAUIEngineElementBox parent;
            LoadXml(engine, parent, ("<box>" + child + "</box>").c_str());
            ASSERT_EQ(1, parent.children.Count());

            const Bytes whole = Saved(parent);
            TFicheroITVdatos in(whole.data(), ITV_MODO_LECTURA, (uint32_t)whole.size());
            std::unique_ptr<E> read(E::CreateFromCompiled(&engine, in));
            ASSERT_NE(nullptr, read);
            read->OnLoad(&engine, nullptr, nullptr, nullptr, &in);
            ASSERT_FALSE(in.Error());
            auto* readParent = dynamic_cast<TPDAUIEngineElementBox*>(read.get());
            ASSERT_NE(nullptr, readParent);
            ASSERT_EQ(1, readParent->children.Count());
            auto* asChild = dynamic_cast<TPDAUIEngineElementBox*>(readParent->children[0]);
            ASSERT_NE(nullptr, asChild);

            TPDAUIEngineElementBox alone;
            ASSERT_TRUE(LoadRecord(&engine, alone, Saved(*parent.children[0])));
            EXPECT_EQ(Dump(alone), Dump(*asChild));
            EXPECT_EQ(alone.tag, asChild->tag.c_str());
            EXPECT_EQ(alone.font.stockFont, asChild->font.stockFont);
            EXPECT_EQ(alone.layout, asChild->layout);
        }
}

// A record whose styles are all the defaults leaves the element on the shared
// defaults, as loading the XML did; a single state set keeps all five, and a
// record read over an element with styles of its own replaces them.
TEST(ElementCompiled, DefaultStylesAreNotCopiedAndSetOnesRoundTrip)
{
    struct Case {
        const char* xml;
        bool ownBorders, ownBackgrounds;
    };
    const Case cases[] = {
        {"<label/>", false, false},
        {"<label borderHover=\"Solid 1 #000000\"/>", true, false},
        {"<label backgroundDisabled=\"#FFFFFF\"/>", false, true},
        {"<label backgroundFocus=\"None\"/>", false, false},
        {"<label border=\"Solid 2 #102030\" background=\"img.png\"/>", true, true},
    };
    TestEngine engine(480, 800);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.xml);
        Leaf a;
        LoadXml(engine, a, c.xml);
        const Bytes bytes = Saved(a);
        Leaf b;
        b.borders.Edit(E::StateFocus).width = 9;
        b.backgrounds.Edit(E::StateHover).kind = TPDAUIEngineStyleBackground::KindColor;
        ASSERT_TRUE(LoadRecord(&engine, b, bytes));
        EXPECT_EQ(Dump(a), Dump(b));
        EXPECT_EQ(c.ownBorders, b.borders.IsOwn());
        EXPECT_EQ(c.ownBackgrounds, b.backgrounds.IsOwn());
        EXPECT_EQ(bytes, Saved(b));
    }
}

// Each change made to one state of a style alone: the record read back gives
// the element its own copy of that style, and the same element.
template <class Style, class Styles>
void ExpectEachChangeKept(const std::vector<std::function<void(Style&)>>& changes, Styles E::*styles)
{
    TestEngine engine(480, 800);
    for (int state = 0; state < 5; ++state) {
        for (size_t c = 0; c < changes.size(); ++c) {
            SCOPED_TRACE(std::to_string(state) + " " + std::to_string(c));
            Leaf a;
            changes[c]((a.*styles).Edit(state));
            const Bytes bytes = Saved(a);
            Leaf b;
            ASSERT_TRUE(LoadRecord(&engine, b, bytes));
            EXPECT_TRUE((b.*styles).IsOwn());
            EXPECT_EQ(Dump(a), Dump(b));
            EXPECT_EQ(bytes, Saved(b));
        }
    }
}

// Backgrounds that differ from the defaults in one field of one state only are
// read in full, each into the element's own copy.
TEST(ElementCompiled, ABackgroundOffTheDefaultsByOneFieldIsKept)
{
    using B = TPDAUIEngineStyleBackground;
    const std::vector<std::function<void(B&)>> changes = {
        [](B& b) { b.kind = B::KindColor; },
        [](B& b) { b.colour = TColorIG(0, 0, 0); },
        [](B& b) { b.imageName = "a.png"; },
        [](B& b) { b.alpha = 100; },
        [](B& b) { b.x = 1; },
        [](B& b) { b.y = -1; },
        [](B& b) { b.w = 1 << 20; },
        [](B& b) { b.h = 7; },
        [](B& b) { b.edge = 2; },
    };
    ExpectEachChangeKept(changes, &E::backgrounds);
}

// The same for borders, and at the scales a skin is compiled and shown at: a
// border one field off the defaults is its element's own, one that reads back
// as the defaults stays on the shared ones.
TEST(ElementCompiled, ABorderOffTheDefaultsByOneFieldIsKept)
{
    using B = TPDAUIEngineStyleBorder;
    const std::vector<std::function<void(B&)>> changes = {
        [](B& b) { b.width = 1; },
        [](B& b) { b.style = B::StyleSolid; },
        [](B& b) { b.colour = TColorIG(0, 0, 1); },
        [](B& b) { b.shade = TColorIG(1, 0, 0); },
        [](B& b) { b.alpha = 254; },
        [](B& b) { b.radius = 6; },
    };
    ExpectEachChangeKept(changes, &E::borders);
    for (float scale : {1.0f, 1.5f, 2.0f}) {
        SCOPED_TRACE(scale);
        TestEngine scaled(480, 800);
        Leaf a;
        const Bytes bytes = Saved(a);
        scaled.skinSettings.uiScale = scale;
        Leaf b;
        ASSERT_TRUE(LoadRecord(&scaled, b, bytes));
        // The default radius is stored in skin pixels; read back above scale 1
        // it is no longer the default and the element keeps its own.
        bool readsAsDefault = true;
        for (int s = 0; s < 5; ++s)
            readsAsDefault = readsAsDefault && b.borders[s].radius == B().radius;
        EXPECT_EQ(!readsAsDefault, b.borders.IsOwn());
    }
}

// A record read from a file, not from a block in memory: the reader takes each
// value from the stream then, and must come to the same element, or fail the
// same way on a cut record.
TEST(ElementCompiled, AFileStreamReadsAsMemoryDoes)
{
    for (float scale : kScales) {
        SCOPED_TRACE(scale);
        TestEngine engine(480, 800);
        engine.skinSettings.uiScale = scale;
        Leaf a;
        LoadXml(engine, a, kEveryAttribute);
        const Bytes full = Saved(a);
        Leaf fromMemory;
        ASSERT_TRUE(LoadRecord(&engine, fromMemory, full));
        Leaf fresh;
        const std::string untouched = Dump(fresh);
        const size_t header = HeaderSize("label");
        for (size_t cut : {full.size(), full.size() - 1, header + 3, header + 40}) {
            SCOPED_TRACE(cut);
            testpaths::TempDir dir;
            const std::string path = dir / "record.bin";
            std::ofstream(path, std::ios::binary).write((const char*)full.data(), (std::streamsize)cut);
            TFicheroITV in;
            ASSERT_TRUE(in.Abre(path.c_str(), ITV_MODO_LECTURA));
            char mark = 0;
            DString tag;
            in >> mark >> tag;
            Leaf b;
            b.OnLoad(&engine, nullptr, nullptr, nullptr, &in);
            EXPECT_EQ(cut == full.size(), !in.Error());
            EXPECT_EQ(cut == full.size() ? Dump(fromMemory) : untouched, Dump(b));
        }
    }
}

TEST(ElementCompiled, RecordWrittenAtOneAndReadAtTwoDoublesTheLengths)
{
    TestEngine engine(480, 800);
    Leaf a;
    LoadXml(engine, a,
            "<label left=\"5\" top=\"6\" width=\"70\" height=\"33\" minimumHeight=\"11\" minimumWidth=\"12\" "
            "maximumHeight=\"300\" padding=\"3\" margin=\"4\" marginTop=\"9%\" border=\"Solid 2 #000000\" "
            "fontSize=\"14\" fontPaddingEllipsis=\"3\"/>");
    const Bytes bytes = Saved(a);
    engine.skinSettings.uiScale = 2.0f;
    Leaf b;
    ASSERT_TRUE(LoadRecord(&engine, b, bytes));
    EXPECT_EQ(10, b.left);
    EXPECT_EQ(12, b.top);
    EXPECT_EQ(140, b.width);
    EXPECT_EQ(66, b.height);
    EXPECT_EQ(22, b.minimumHeight);
    EXPECT_EQ(24, b.minimumWidth);
    EXPECT_EQ(600, b.maximumHeight);
    EXPECT_EQ(10000, b.maximumWidth);  // the default 5000, stored as skin pixels
    EXPECT_EQ(6, b.padding.left);
    EXPECT_EQ(6, b.padding.inner);
    EXPECT_EQ(8, b.margins.left);
    EXPECT_EQ(9, b.margins.top);  // a percentage comes back as it was
    EXPECT_TRUE(b.margins.topPercent);
    EXPECT_EQ(4, b.borders[E::StateNormal].width);
    EXPECT_EQ(28, b.font.size);
    EXPECT_EQ(6, b.font.paddingEllipsis);
    // The stock font follows the size in force.
    EXPECT_EQ(IDC::CreateStockFont(b.font.name.c_str(), 28, 0, false, 1.0f), b.font.stockFontId);
}

// Lengths a float cannot hold exactly take the scale step's rounding even at
// scale 1, one such length among plain ones included; the plain ones stay.
TEST(ElementCompiled, LengthsPastFloatPrecisionRoundAsTheScaleStepDoes)
{
    TestEngine engine(480, 800);
    Leaf a;
    a.id = "far";
    const Bytes bytes = Saved(a);
    const size_t sizes = HeaderSize("label") + 4 + 3;  // past the id
    const int kValues[] = {(1 << 24) - 1, 1 << 24, (1 << 24) + 1, (1 << 25) + 3, -(1 << 24), -(1 << 24) - 1,
                           -(1 << 24) - 3, INT32_MAX, INT32_MIN, 123456789};
    for (int field = 0; field < 8; field += 7) {
        for (int v : kValues) {
            SCOPED_TRACE(std::to_string(field) + ": " + std::to_string(v));
            Bytes spoilt = bytes;
            for (int i = 0; i < 4; ++i)
                spoilt[sizes + 4 * field + i] = (unsigned char)((uint32_t)v >> (8 * i));
            Leaf b;
            ASSERT_TRUE(LoadRecord(&engine, b, spoilt));
            const int read[] = {b.left,         b.top,          b.width,         b.height,
                                b.minimumHeight, b.minimumWidth, b.maximumHeight, b.maximumWidth};
            const int plain[] = {a.left,         a.top,          a.width,         a.height,
                                 a.minimumHeight, a.minimumWidth, a.maximumHeight, a.maximumWidth};
            for (int i = 0; i < 8; ++i)
                EXPECT_EQ(i == field ? TPDAUIEngineUIScale::Multiply(v, 1.0f) : plain[i], read[i]) << i;
        }
    }
    // The rounding is real: the float step does change such a length.
    EXPECT_NE((1 << 24) + 1, TPDAUIEngineUIScale::Multiply((1 << 24) + 1, 1.0f));
}

TEST(ElementCompiled, SmallFieldsKeepTheirLowByte)
{
    TestEngine engine(480, 800);
    Leaf a;
    a.flex = 300;
    a.colspan = 256;
    a.rowspan = 511;
    a.font.size = 260;
    Leaf b;
    ASSERT_TRUE(LoadRecord(&engine, b, Saved(a)));
    EXPECT_EQ(44, b.flex);
    EXPECT_EQ(0, b.colspan);
    EXPECT_EQ(255, b.rowspan);
    EXPECT_EQ(4, b.font.size);
}

TEST(ElementCompiled, BmpNamesAreStoredAsCbmp)
{
    struct Case {
        const char* name;
        const char* stored;
    } cases[] = {
        {"icon.bmp", "icon.cbmp"}, {"icon.png", "icon.png"}, {"a.bmp.png", "a.bmp.png"},
        {"A.BMP", "A.BMP"},        {".bmp", ".cbmp"},         {"", ""},
        {"bmp", "bmp"},
    };
    TestEngine engine(480, 800);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Leaf a;
        a.imageName = c.name;
        Leaf b;
        ASSERT_TRUE(LoadRecord(&engine, b, Saved(a)));
        EXPECT_EQ(b.imageName, c.stored);
    }
}

TEST(ElementCompiled, IdentityAndRunningStateAreNotPartOfTheRecord)
{
    TestEngine engine(480, 800);
    Leaf a, c;
    const Bytes plain = Saved(a);
    c.numericId = 1234;
    c.pressed = 1;
    c.hover = 1;
    c.modified = 1;
    c.savedFocusId = 77;
    c.lastTick = 5;
    EXPECT_EQ(plain, Saved(c));

    Leaf b;
    b.OnLoad(&engine, nullptr, nullptr, nullptr, nullptr);
    const int next = engine.elementCounter + 1001;
    ASSERT_TRUE(LoadRecord(&engine, b, Saved(c)));
    EXPECT_EQ(next, b.numericId);
    EXPECT_EQ(0, b.pressed);
}

TEST(ElementCompiled, TheReaderStopsRightAfterItsRecord)
{
    TestEngine engine(480, 800);
    Leaf a;
    a.id = "x";
    const Bytes bytes = Written([&](TFicheroITV& f) {
        a.Save(f);
        f << 77;  // what a container writes next
    });
    TFicheroITVdatos in(bytes.data(), ITV_MODO_LECTURA, (uint32_t)bytes.size());
    TPDAUIEngineElement* e = E::CreateFromCompiled(&engine, in);
    EXPECT_EQ(nullptr, e);  // "label" is no kind the factory has yet
    EXPECT_TRUE(in.Error());

    TFicheroITVdatos again(bytes.data(), ITV_MODO_LECTURA, (uint32_t)bytes.size());
    char mark = 0;
    DString tag;
    again >> mark >> tag;
    EXPECT_EQ(tag, "label");
    Leaf b;
    b.OnLoad(&engine, nullptr, nullptr, nullptr, &again);
    int next = 0;
    again >> next;
    EXPECT_FALSE(again.Error());
    EXPECT_EQ(77, next);
    EXPECT_EQ(b.id, "x");
}

TEST(ElementCompiled, ThemeColoursApplyToCompiledRecordsUnlessCompiling)
{
    TestEngine engine(480, 800);
    auto* rule = new TPDAUIEngineTheme::TThemeRuleColor;
    rule->color = TColorIG(255, 0, 0);
    rule->replaceBy = TColorIG(0, 0, 255);
    engine.skinSettings.theme1.colorRules.Add(rule);
    Leaf a;
    a.foregrounds[E::StateFocus] = TColorIG(255, 0, 0);
    const Bytes bytes = Saved(a);
    Leaf b;
    ASSERT_TRUE(LoadRecord(&engine, b, bytes));
    EXPECT_EQ((uint32_t)TColorIG(0, 0, 255), b.foregrounds[E::StateFocus]);
    engine.skinCompiling = 1;
    Leaf c;
    ASSERT_TRUE(LoadRecord(&engine, c, bytes));
    EXPECT_EQ((uint32_t)TColorIG(255, 0, 0), c.foregrounds[E::StateFocus]);
}

TEST(ElementCompiled, TheSmallestRecordHasTheAnnouncedSize)
{
    Leaf a;
    a.tag = "";
    a.font.name = "";
    EXPECT_EQ((size_t)E::MinimumCompiledRecordSize, Saved(a).size());
    Leaf b;
    EXPECT_LT((size_t)E::MinimumCompiledRecordSize, Saved(b).size());
}

// ---- short and hostile records ------------------------------------------------------

TEST(ElementCompiled, ACutAnywhereFailsAndLeavesTheElementAsItWas)
{
    for (float scale : kScales) {
        SCOPED_TRACE(scale);
        TestEngine engine(480, 800);
        engine.skinSettings.uiScale = scale;
        Leaf a;
        LoadXml(engine, a, kEveryAttribute);
        const Bytes full = Saved(a);
        // Black turns white at load: a failed load must not get that far.
        auto* rule = new TPDAUIEngineTheme::TThemeRuleColor;
        rule->color = TColoresIG::F_Black;
        rule->replaceBy = TColoresIG::F_White;
        engine.skinSettings.theme1.colorRules.Add(rule);

        Leaf fresh;
        const std::string untouched = Dump(fresh);
        const size_t header = HeaderSize("label");
        for (size_t cut = header; cut < full.size(); ++cut) {
            SCOPED_TRACE(cut);
            Bytes part(full.begin(), full.begin() + (long)cut);
            Leaf b;
            ASSERT_FALSE(LoadRecord(&engine, b, part));
            ASSERT_EQ(untouched, Dump(b));
            EXPECT_EQ((uint32_t)TColoresIG::F_Black, b.foregrounds[E::StateNormal]);
            EXPECT_EQ(nullptr, b.image);
        }
    }
}

TEST(ElementCompiled, ACutInTheHeaderMakesNoElement)
{
    TestEngine engine(480, 800);
    TPDAUIEngineElementBox box;
    const Bytes full = Saved(box);
    ASSERT_GT(full.size(), HeaderSize("box"));
    for (size_t cut = 0; cut < HeaderSize("box"); ++cut) {
        SCOPED_TRACE(cut);
        TFicheroITVdatos in(full.data(), ITV_MODO_LECTURA, (uint32_t)cut);
        EXPECT_EQ(nullptr, E::CreateFromCompiled(&engine, in));
        EXPECT_TRUE(in.Error());
    }
    TFicheroITVdatos whole(full.data(), ITV_MODO_LECTURA, (uint32_t)full.size());
    const int counter = engine.elementCounter;
    TPDAUIEngineElement* made = E::CreateFromCompiled(&engine, whole);
    ASSERT_NE(nullptr, made);
    EXPECT_FALSE(whole.Error());
    EXPECT_NE(nullptr, dynamic_cast<TPDAUIEngineElementBox*>(made));
    EXPECT_EQ(made->id, (DString("box") << (counter + 1)));
    EXPECT_EQ(full.size() - HeaderSize("box"), whole.Restantes());
    delete made;
}

TEST(ElementCompiled, WrongMarksAndUnknownTagsMakeNoElement)
{
    TestEngine engine(480, 800);
    auto header = [](char mark, const char* tag) {
        return Written([&](TFicheroITV& f) {
            f << mark << tag;
            f << "more";
        });
    };
    struct Case {
        char mark;
        const char* tag;
    } cases[] = {{'+', "box"}, {0, "box"}, {'*', "Box"}, {'*', "nosuch"}, {'*', ""}, {'*', "page"},
                 {'*', "usercontrol/usercontrolCompass"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << (int)c.mark << " " << c.tag);
        const Bytes bytes = header(c.mark, c.tag);
        TFicheroITVdatos in(bytes.data(), ITV_MODO_LECTURA, (uint32_t)bytes.size());
        EXPECT_EQ(nullptr, E::CreateFromCompiled(&engine, in));
        EXPECT_TRUE(in.Error());
        // Nothing further comes out of the stream.
        DString rest;
        in >> rest;
        EXPECT_TRUE(rest.IsEmpty());
    }
}

// A tag ends at its first NUL, whether it is short enough to be read in place
// or read into a string: what follows the NUL names nothing.
TEST(ElementCompiled, ATagEndsAtItsFirstNul)
{
    TestEngine engine(480, 800);
    TPDAUIEngineElementBox box;
    const Bytes full = Saved(box);
    const Bytes body(full.begin() + HeaderSize("box"), full.end());
    struct Case {
        std::string tag;
        bool made;
        bool scrollBar;
    } cases[] = {
        {std::string("box\0tail", 8), true, false},
        {std::string("vscrollbar\0", 11), true, true},
        {std::string("box\0", 4) + std::string(80, 'x'), true, false},
        {std::string("\0box", 4), false, false},
        {std::string("bo\0x", 4), false, false},
        {std::string("box") + std::string(80, 'x'), false, false},
        // Around the eighth and the sixteenth byte.
        {std::string("vscrollbar\0\0\0\0\0\0", 16), true, true},
        {std::string("vscrollbar\0xxxxx", 16), true, true},
        {std::string("vscrollbar\0xxxxxx", 17), true, true},
        {std::string("vscrollba\0r", 11), false, false},
        {std::string("vscroll\0bar", 11), false, false},
        {std::string("vscrollbarx", 11), false, false},
        {std::string("vscrollbarxxxxxx", 16), false, false},
        {std::string("vscrollbarxxxxxxx", 17), false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.tag.size() << " " << c.tag.c_str());
        Bytes bytes = {(unsigned char)E::CompiledMark};
        for (int shift = 0; shift < 32; shift += 8)
            bytes.push_back((unsigned char)(c.tag.size() >> shift));
        bytes.insert(bytes.end(), c.tag.begin(), c.tag.end());
        bytes.insert(bytes.end(), body.begin(), body.end());
        TFicheroITVdatos in(bytes.data(), ITV_MODO_LECTURA, (uint32_t)bytes.size());
        TPDAUIEngineElement* made = E::CreateFromCompiled(&engine, in);
        EXPECT_EQ(c.made, made != nullptr);
        EXPECT_EQ(!c.made, in.Error());
        if (made) {
            EXPECT_EQ(c.scrollBar, dynamic_cast<TPDAUIEngineElementVScrollBar*>(made) != nullptr);
            EXPECT_EQ(!c.scrollBar, dynamic_cast<TPDAUIEngineElementBox*>(made) != nullptr);
            EXPECT_EQ(body.size(), in.Restantes());  // right past the whole tag
        }
        delete made;
    }
}

TEST(ElementCompiled, ValuesTheWriterNeverWritesAreRefused)
{
    TestEngine engine(480, 800);
    struct Case {
        const char* what;
        std::function<void(E&)> spoil;
    } cases[] = {
        {"pack 6", [](E& e) { e.pack = 6; }},
        {"align 200", [](E& e) { e.align = 200; }},
        {"border style 16", [](E& e) { e.borders.Edit(E::StateHover).style = 16; }},
        {"border style 255", [](E& e) { e.borders.Edit(E::StateNormal).style = 255; }},
        {"background kind 14", [](E& e) { e.backgrounds.Edit(E::StateFocus).kind = 14; }},
        {"background kind 14 last", [](E& e) { e.backgrounds.Edit(E::StateHover).kind = 14; }},
        {"background kind 14 after a named one",
         [](E& e) {
             e.backgrounds.Edit(E::StateNormal).imageName = "tile";
             e.backgrounds.Edit(E::StateHover).kind = 14;
         }},
    };
    Leaf fresh;
    const std::string untouched = Dump(fresh);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Leaf a;
        a.id = "spoilt";
        c.spoil(a);
        Leaf b;
        EXPECT_FALSE(LoadRecord(&engine, b, Saved(a)));
        EXPECT_EQ(untouched, Dump(b));
    }
    // The last value of each range is fine.
    Leaf ok;
    ok.pack = 5;
    ok.align = 5;
    ok.borders.Edit(0).style = 15;
    ok.backgrounds.Edit(0).kind = 13;
    Leaf b;
    EXPECT_TRUE(LoadRecord(&engine, b, Saved(ok)));
    EXPECT_EQ(5, b.pack);
    EXPECT_EQ(15, b.borders[0].style);
    EXPECT_EQ(13, b.backgrounds[0].kind);
}

TEST(ElementCompiled, AnOverlongStringFailsWithoutReadingPastTheEnd)
{
    TestEngine engine(480, 800);
    Leaf a;
    a.id = "abc";
    Bytes bytes = Saved(a);
    const size_t at = HeaderSize("label");  // the id's length
    for (uint32_t length : {0xFFFFFFFFu, 0x7FFFFFFFu, (uint32_t)bytes.size()}) {
        SCOPED_TRACE(length);
        Bytes spoilt = bytes;
        for (int i = 0; i < 4; ++i)
            spoilt[at + i] = (unsigned char)(length >> (8 * i));
        Leaf b;
        EXPECT_FALSE(LoadRecord(&engine, b, spoilt));
        EXPECT_TRUE(b.id.IsEmpty());
    }
}

TEST(ElementCompiled, ChildCountsMustFitTheStream)
{
    const Bytes room((size_t)E::MinimumCompiledRecordSize * 3 + 10, 0);
    struct Case {
        int count;
        bool fits;
    } cases[] = {{0, true}, {1, true}, {3, true}, {4, false}, {-1, false}, {0x7FFFFFFF, false},
                 {(int)0x80000000, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count);
        TFicheroITVdatos in(room.data(), ITV_MODO_LECTURA, (uint32_t)room.size());
        EXPECT_EQ(c.fits, E::CheckCompiledCount(in, c.count));
        EXPECT_EQ(!c.fits, in.Error());
    }
    // A stream that failed already holds no records.
    TFicheroITVdatos failed(room.data(), ITV_MODO_LECTURA, 2);
    int x = 0;
    failed >> x;
    EXPECT_FALSE(E::CheckCompiledCount(failed, 0));
}

TEST(ElementCompiled, FailCompiledStopsEveryLaterRead)
{
    const Bytes bytes = {1, 0, 0, 0, 2, 0, 0, 0};
    TFicheroITVdatos in(bytes.data(), ITV_MODO_LECTURA, (uint32_t)bytes.size());
    int a = 0, b = 5;
    in >> a;
    EXPECT_EQ(1, a);
    E::FailCompiled(in);
    in >> b;
    EXPECT_TRUE(in.Error());
    EXPECT_EQ(0, b);
    E::FailCompiled(in);  // twice is harmless
    EXPECT_TRUE(in.Error());
}

} // namespace
