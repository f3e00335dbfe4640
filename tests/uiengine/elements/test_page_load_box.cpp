// The container part of the compiled record: layout settings, the scroll-bar
// block, the children, and how reading them copes with a damaged stream.
#include "test_page_load_fixture.h"

#include <memory>

#include "enginelib/base/TFicheroITV.h"
#include "uiengine/core/TPDAUIEngineXml.h"
#include "uiengine/elements/TPDAUIEngineElementFactory.h"

using namespace pageload;

namespace {

using Box = TPDAUIEngineElementBox;
using Bar = TPDAUIEngineElementVScrollBar;

Bytes Saved(TPDAUIEngineElement& e)
{
    testpaths::TempDir dir;
    const std::string path = dir / "record.bin";
    TFicheroITV out;
    EXPECT_TRUE(out.Abre(path.c_str(), ITV_MODO_CREACION));
    e.Save(out);
    EXPECT_TRUE(out.Cierra());
    return ReadBytes(path);
}

// The element a record describes, loaded as a container loads its children;
// null when the record is refused. left: bytes not read.
std::unique_ptr<TPDAUIEngineElement> Loaded(TPDAUIEngine* engine, TPDAUIEngineElementPage* page,
                                            const Bytes& bytes, uint32_t* left = nullptr)
{
    TFicheroITVdatos in(bytes.data(), ITV_MODO_LECTURA, (uint32_t)bytes.size());
    std::unique_ptr<TPDAUIEngineElement> made(TPDAUIEngineElement::CreateFromCompiled(engine, in));
    if (made)
        made->OnLoad(engine, page, nullptr, nullptr, &in);
    if (left)
        *left = in.Restantes();
    if (in.Error())
        made.reset();
    return made;
}

std::unique_ptr<Box> FromXml(TPDAUIEngine* engine, TPDAUIEngineElementPage* page, const char* xml)
{
    std::string text = xml;
    TPDAUIEngineXml node;
    EXPECT_TRUE(node.Parse(&text[0]));
    std::unique_ptr<Box> box(new Box());
    box->OnLoad(engine, page, nullptr, &node, nullptr);
    return box;
}

const char kTree[] =
    "<box id=\"root\" layout=\"Table\" layoutColumns=\"3\" layoutRows=\"5\" layoutCardIndex=\"2\" "
    "layoutTableSkipCells=\"1\" layoutTableOnCellOverflowYResizeCell=\"true\" drawInInvertOrder=\"true\" "
    "overflowY=\"FlexFirstChild\" underflowY=\"FlexLastChild\" padding=\"3\">"
    "  <box id=\"a\" layout=\"VerticalInverted\"><box id=\"a1\"/><box id=\"a2\"/><box id=\"a3\"/></box>"
    "  <autohidebox id=\"b\" minimumHeight=\"20\"/>"
    "  <box id=\"c\" layout=\"VerticalScroll\" scrollmode=\"iscroll\" scrollTrackVisible=\"false\" "
    "    scrollTimeout=\"70\" smothScroll=\"false\" autoScrollPixelsPerSecond=\"90\" "
    "    iscrollShadowMode=\"black\" scrollMargin=\"3\" scrollAvoidMarginRescale=\"true\">"
    "    <box id=\"c1\" minimumHeight=\"300\"/>"
    "  </box>"
    "  <iframe id=\"d\" innerPageName=\"pageInner\"/>"
    "</box>";

} // namespace

// Written, read and written again, the record is the same, byte for byte;
// the inverted box comes back Vertical with its children in the same order.
TEST(BoxCompiled, RoundTripKeepsEveryField)
{
    FixtureEngine engine;
    engine.skinCompiling = 1;
    TPDAUIEngineElementPage page(&engine);
    std::unique_ptr<Box> box = FromXml(&engine, &page, kTree);
    const Bytes first = Saved(*box);
    uint32_t left = 1;
    std::unique_ptr<TPDAUIEngineElement> again = Loaded(&engine, &page, first, &left);
    ASSERT_NE(nullptr, again);
    EXPECT_EQ(0u, left);
    auto* back = dynamic_cast<Box*>(again.get());
    ASSERT_NE(nullptr, back);
    auto* inverted = dynamic_cast<Box*>(back->children[0]);
    EXPECT_EQ(Box::LayoutVertical, inverted->layout);
    EXPECT_EQ(inverted->children[0]->id, "a3");
    // Save it again the way it was written: the inverted layout set once more.
    inverted->layout = Box::LayoutVerticalInverted;
    EXPECT_EQ(first, Saved(*back));
    EXPECT_EQ(Dump(box.get()), Dump(back));
}

// The box's scroll bar keeps its settings through the record; the mode is the
// one the skin asked for, not the one this machine resolved it to.
TEST(BoxCompiled, ScrollBarBlockCarriesTheBarSettings)
{
    if (!dynamic_cast<Bar*>(std::unique_ptr<TPDAUIEngineScrollBarBase>(
            TPDAUIEngineElementFactory::CreateScrollBar()).get()))
        GTEST_SKIP() << "no scroll bar element in this build";
    for (float scale : {1.0f, 2.0f}) {
        SCOPED_TRACE(scale);
        FixtureEngine engine(testpaths::Fixture("skins"), scale);
        TPDAUIEngineElementPage page(&engine);
        std::unique_ptr<Box> box = FromXml(&engine, &page, kTree);
        auto* scrolling = dynamic_cast<Box*>(box->children[2]);
        auto* bar = dynamic_cast<Bar*>(scrolling->scrollBar);
        ASSERT_NE(nullptr, bar);
        std::unique_ptr<TPDAUIEngineElement> back = Loaded(&engine, &page, Saved(*box));
        ASSERT_NE(nullptr, back);
        auto* bar2 = dynamic_cast<Bar*>(dynamic_cast<Box*>(dynamic_cast<Box*>(back.get())->children[2])->scrollBar);
        ASSERT_NE(nullptr, bar2);
        EXPECT_EQ(Bar::ModeIScroll, bar2->configuredMode);
        EXPECT_EQ(bar->mode, bar2->mode);
        EXPECT_EQ(0, (int)bar2->trackVisible);
        EXPECT_EQ(bar->timerInterval, bar2->timerInterval);  // iscroll sets its own
        EXPECT_EQ(0, (int)bar2->smooth);
        EXPECT_EQ(1, (int)bar2->autoScroll);
        EXPECT_EQ(90, bar2->autoScrollPixelsPerSecond);
        EXPECT_EQ(Bar::ShadowBlack, bar2->iscrollShadowMode);
        EXPECT_EQ(1, (int)bar2->avoidMarginRescale);
        EXPECT_EQ(bar->margins.left, bar2->margins.left);
        EXPECT_EQ(bar->margins.bottom, bar2->margins.bottom);
        EXPECT_EQ(bar2->parent, back->FindByNumericId(dynamic_cast<Box*>(back.get())->children[2]->numericId));
    }
}

// A box scale is a UI scale for small screens: read on a large one it is dropped.
TEST(BoxCompiled, BoxScaleIsDroppedAboveScaleOnePointFive)
{
    struct Case {
        float readScale;
        float boxScale;
    } cases[] = {{1.0f, 1.2f}, {1.5f, 1.2f}, {1.6f, 0.0f}, {2.0f, 0.0f}};
    Bytes bytes;
    {
        FixtureEngine engine;
        engine.skinCompiling = 1;
        Box box;
        box.OnLoad(&engine, nullptr, nullptr, nullptr, nullptr);
        box.boxScale = 1.2f;
        bytes = Saved(box);
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.readScale);
        FixtureEngine engine(testpaths::Fixture("skins"), c.readScale);
        std::unique_ptr<TPDAUIEngineElement> back = Loaded(&engine, nullptr, bytes);
        ASSERT_NE(nullptr, back);
        EXPECT_EQ(c.boxScale, dynamic_cast<Box*>(back.get())->boxScale);
    }
}

// A child that cannot be read goes, and the reading stops there: the children
// read before it stay, the stream is failed.
// Each state's background image is the one its name gives the page's store,
// however the names repeat from state to state.
TEST(BoxCompiled, EachStateGetsTheImageItsNameGives)
{
    FixtureEngine engine;
    ASSERT_TRUE(engine.loaded);
    SkinPage page(&engine, "pageFixture");
    page.OnLoad(&engine, nullptr, nullptr, nullptr, nullptr);
    const char* const cases[][5] = {
        {"fixtureTile", "fixtureTile", "fixtureFrame", "fixtureTile", ""},
        {"commonFixtureBar", "commonFixtureBar", "commonFixtureBar", "commonFixtureBar", "commonFixtureBar"},
        {"nosuchImage", "nosuchImage", "fixtureTile", "", "nosuchImage"},
        {"", "fixtureFrame", "fixtureFrame", "", "fixtureIcon"},
    };
    for (const auto& names : cases) {
        Box written;
        for (int s = 0; s < 5; ++s) {
            written.backgrounds.Edit(s).kind = TPDAUIEngineStyleBackground::KindImage;
            written.backgrounds.Edit(s).imageName = names[s];
        }
        std::unique_ptr<TPDAUIEngineElement> read = Loaded(&engine, &page, Saved(written));
        ASSERT_TRUE(read);
        for (int s = 0; s < 5; ++s) {
            SCOPED_TRACE(testing::Message() << s << " " << names[s]);
            EXPECT_EQ(read->backgrounds[s].imageName, names[s]);
            TDibIG* expected = *names[s] ? page.resources.GetImage(names[s], false, false) : nullptr;
            EXPECT_EQ(expected, read->backgrounds[s].image);
            EXPECT_EQ(*names[s] && CDString(names[s]) != "nosuchImage", expected != nullptr);
        }
    }
}

// A box record read from a file, value by value, comes to the same box as one
// read from memory, whole or cut anywhere.
TEST(BoxCompiled, AFileStreamReadsAsMemoryDoes)
{
    FixtureEngine engine;
    engine.skinCompiling = 1;
    std::unique_ptr<Box> box = FromXml(&engine, nullptr, kTree);
    const Bytes whole = Saved(*box);
    testpaths::TempDir dir;
    const std::string path = dir / "cut.bin";
    auto read = [&](TFicheroITV& in, bool& failed) {
        engine.elementCounter = 0;  // the same default ids both ways
        std::unique_ptr<TPDAUIEngineElement> made(TPDAUIEngineElement::CreateFromCompiled(&engine, in));
        if (made)
            made->OnLoad(&engine, nullptr, nullptr, nullptr, &in);
        failed = in.Error();
        return made ? Dump(made.get()) : std::string("none");
    };
    for (size_t cut = 0; cut <= whole.size(); ++cut) {
        SCOPED_TRACE(cut);
        TFicheroITVdatos memory(whole.data(), ITV_MODO_LECTURA, (uint32_t)cut);
        bool memoryFailed = false;
        const std::string fromMemory = read(memory, memoryFailed);
        WriteBytes(path, whole, cut);
        TFicheroITV file;
        ASSERT_TRUE(file.Abre(path.c_str(), ITV_MODO_LECTURA));
        bool fileFailed = false;
        ASSERT_EQ(fromMemory, read(file, fileFailed));
        ASSERT_EQ(memoryFailed, fileFailed);
        ASSERT_EQ(cut < whole.size(), memoryFailed);
        file.Cierra();
    }
}

TEST(BoxCompiled, DamagedChildEndsTheReading)
{
    FixtureEngine engine;
    engine.skinCompiling = 1;
    std::unique_ptr<Box> box = FromXml(&engine, nullptr, kTree);
    const Bytes whole = Saved(*box);
    const int live = TPDAUIEngineElement::GetLiveCount();
    for (size_t cut = 0; cut < whole.size(); cut += 7) {
        Bytes part(whole.begin(), whole.begin() + (long)cut);
        TFicheroITVdatos in(part.data(), ITV_MODO_LECTURA, (uint32_t)part.size());
        std::unique_ptr<TPDAUIEngineElement> made(TPDAUIEngineElement::CreateFromCompiled(&engine, in));
        if (made) {
            made->OnLoad(&engine, nullptr, nullptr, nullptr, &in);
            auto* root = dynamic_cast<Box*>(made.get());
            ASSERT_NE(nullptr, root);
            // Only whole children stay.
            ASSERT_LT(root->children.Count(), box->children.Count()) << cut;
            for (int i = 0; i < root->children.Count(); ++i)
                ASSERT_EQ(Dump(box->children[i]), Dump(root->children[i])) << cut;
        }
        ASSERT_TRUE(in.Error()) << cut;
        made.reset();
        ASSERT_EQ(live, TPDAUIEngineElement::GetLiveCount()) << cut;
    }
}
