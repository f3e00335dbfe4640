// Loading pages from skin pages: XML with user controls and the stylesheet, the
// compiled page, the two compared, and the failures.
#include "test_page_load_fixture.h"

#include <chrono>
#include <functional>
#include <set>

#include "enginelib/base/TFicheroITV.h"
#include "support/GoldenImage.h"
#include "uiengine/core/TPDAUIEngineCommand.h"

using namespace pageload;

namespace {

TPDAUIEngineElementBox* BoxOf(TPDAUIEngineElementPage& page, const char* id)
{
    return dynamic_cast<TPDAUIEngineElementBox*>(page.FindElement(id, false));
}

// A compiled fixture page in a skin folder that has no XML pages.
class CompiledFixture {
public:
    explicit CompiledFixture(const char* name = "pageFixture") : file(skin / (std::string(name) + ".cpage"))
    {
        compiled = CompilePage(testpaths::Fixture("skins"), name, file);
        bytes = ReadBytes(file);
    }
    TempSkin skin;
    std::string file;
    bool compiled = false;
    Bytes bytes;
};

// Line by line, so that a difference names the element.
::testing::AssertionResult SameLines(const std::string& a, const std::string& b)
{
    std::istringstream ia(a), ib(b);
    std::string la, lb;
    for (int line = 1;; ++line) {
        const bool moreA = (bool)std::getline(ia, la);
        const bool moreB = (bool)std::getline(ib, lb);
        if (!moreA && !moreB)
            return ::testing::AssertionSuccess();
        if (la != lb || moreA != moreB)
            return ::testing::AssertionFailure() << "line " << line << "\n  " << la << "\n  " << lb;
    }
}

} // namespace

// ---- XML pages ---------------------------------------------------------------------------

TEST(PageLoadXml, BuildsTheTreeWithUserControlsAndStyles)
{
    FixtureEngine engine;
    ASSERT_TRUE(engine.loaded);
    SkinPage page(&engine, "pageFixture");
    page.OnLoad(&engine, nullptr, nullptr, nullptr, nullptr);
    EXPECT_TRUE(engine.messageBoxes.empty());
    EXPECT_EQ(page.loadedFile, "pageFixture.xml");
    EXPECT_EQ(page.pageName, "pagefixture");
    EXPECT_EQ(page.id, "pageFixture");
    EXPECT_EQ(page.transition, TPDAUIEngineElementPage::TransitionFade);
    EXPECT_EQ(1, (int)page.avoidPreviousPageBackgroundEffect);

    // The user control holds its definition, expanded by the page loader.
    auto* clock = dynamic_cast<TPDAUIEngineElementUserControl*>(page.FindElement("ucClock", false));
    ASSERT_NE(nullptr, clock);
    EXPECT_EQ(clock->tag, "usercontrol/usercontrolClock");
    EXPECT_EQ(1, (int)clock->expanded);
    EXPECT_EQ(TPDAUIEngineElementBox::LayoutHorizontal, clock->layout);
    EXPECT_EQ(60, clock->minimumHeight);  // the instance's, which the definition does not set
    ASSERT_EQ(2, clock->children.Count());
    EXPECT_EQ(clock->children[0]->id, "boxClockHand");
    // Stylesheet rules by class, by tag and class, and by id.
    EXPECT_EQ(TPDAUIEngineStyleBorder::StyleSolid, clock->borders[0].style);
    TPDAUIEngineElement* accent = page.FindElement("boxHeaderEnd", false);
    ASSERT_NE(nullptr, accent);
    EXPECT_EQ(TColorIG(248, 80, 0), TColorIG(accent->backgrounds[0].colour));
    EXPECT_EQ(2, accent->borders[0].width);
    TPDAUIEngineElement* footerB = page.FindElement("boxFooterB", false);
    ASSERT_NE(nullptr, footerB);
    EXPECT_EQ(TColorIG(0, 252, 0), TColorIG(footerB->backgrounds[0].colour));

    // Images come from the page's store, "common" ones from the engine's.
    TPDAUIEngineElement* fill = page.FindElement("boxHeaderFill", false);
    ASSERT_NE(nullptr, fill);
    EXPECT_NE(nullptr, fill->backgrounds[0].image);
    EXPECT_GT(page.resources.GetCount(), 0);
    EXPECT_NE(nullptr, page.FindElement("boxHeaderBar", false)->backgrounds[0].image);

    // The inverted box holds its XML children in reverse order.
    TPDAUIEngineElementBox* inverted = BoxOf(page, "boxInverted");
    ASSERT_NE(nullptr, inverted);
    EXPECT_EQ(inverted->children[0]->id, "boxInvertedC");
    auto* frame = dynamic_cast<TPDAUIEngineElementIFrame*>(page.FindElement("ifrInner", false));
    ASSERT_NE(nullptr, frame);
    EXPECT_EQ(frame->innerPageName, "pageInner");
    EXPECT_EQ(0, frame->children.Count());
}

// ---- The compiled page ---------------------------------------------------------------------

// The same tree, the same rectangles, whichever form the page came from, at
// every UI scale (the compiled page is written at 1.0).
TEST(PageLoadCompiled, SameTreeAndLayoutAsXmlAtEveryScale)
{
    CompiledFixture fixture;
    ASSERT_TRUE(fixture.compiled);
    for (float scale : {1.0f, 1.5f, 2.0f}) {
        SCOPED_TRACE(scale);
        std::string fromXml, fromCompiled;
        {
            FixtureEngine engine(testpaths::Fixture("skins"), scale);
            SkinPage page(&engine, "pageFixture");
            page.OnLoad(&engine, nullptr, nullptr, nullptr, nullptr);
            page.Layout();
            EXPECT_EQ(page.loadedFile, "pageFixture.xml");
            fromXml = Dump(&page);
        }
        {
            FixtureEngine engine(fixture.skin.skins(), scale);
            SkinPage page(&engine, "pageFixture");
            page.OnLoad(&engine, nullptr, nullptr, nullptr, nullptr);
            page.Layout();
            EXPECT_EQ(page.loadedFile, "pageFixture");
            EXPECT_TRUE(engine.messageBoxes.empty());
            fromCompiled = Dump(&page);
        }
        EXPECT_TRUE(SameLines(fromXml, fromCompiled));
    }
}

// What the page looks like, from either form: boxes of several layouts, images
// drawn in several ways, a user control, an (empty) IFrame.
TEST(PageLoadCompiled, PaintsTheSameAsXml)
{
    CompiledFixture fixture;
    ASSERT_TRUE(fixture.compiled);
    for (const std::string& skins : {testpaths::Fixture("skins"), fixture.skin.skins()}) {
        SCOPED_TRACE(skins);
        FixtureEngine engine(skins);
        SkinPage page(&engine, "pageFixture");
        engine.OpenPage(&page);
        EXPECT_TRUE(engine.messageBoxes.empty());
        EXPECT_TRUE(golden::Matches(engine.Frame(), "pages/fixture_page"));
        engine.pages.RemoveAll();
    }
}

TEST(PageLoadCompiled, PreferredToXmlWhichIsNeverRead)
{
    CompiledFixture fixture;
    ASSERT_TRUE(fixture.compiled);
    // An XML page beside it that would show as something else.
    WriteText(fixture.skin / "pageFixture.xml", "<page id=\"fromXml\"/>");
    FixtureEngine engine(fixture.skin.skins());
    SkinPage page(&engine, "pageFixture");
    page.OnLoad(&engine, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(page.id, "pageFixture");
    EXPECT_EQ(page.loadedFile, "pageFixture");
    EXPECT_NE(nullptr, page.FindElement("ucClock", false));
}

// The page flags and the transition travel in the page's part of the record.
TEST(PageLoadCompiled, PageFlagsAndTransitionRoundTrip)
{
    struct Case {
        unsigned char avoidFocus, avoidEffect, focusFirst;
        int transition;
    } cases[] = {{0, 0, 0, 0}, {1, 0, 1, 1}, {0, 1, 0, 2}, {1, 1, 1, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.transition);
        TempSkin skin;
        {
            FixtureEngine engine(skin.skins());
            engine.skinCompiling = 1;
            TPDAUIEngineElementPage page(&engine);
            page.OnLoad(&engine, nullptr, nullptr, nullptr, nullptr);
            page.avoidChangeFocus = c.avoidFocus;
            page.avoidPreviousPageBackgroundEffect = c.avoidEffect;
            page.focusToFirstVisibleElementOnLoad = c.focusFirst;
            page.transition = c.transition;
            ASSERT_TRUE(page.WriteCompiled((skin / "pageFlags.cpage").c_str()));
        }
        FixtureEngine engine(skin.skins());
        SkinPage page(&engine, "pageFlags");
        page.OnLoad(&engine, nullptr, nullptr, nullptr, nullptr);
        EXPECT_TRUE(engine.messageBoxes.empty());
        EXPECT_EQ(c.avoidFocus, page.avoidChangeFocus);
        EXPECT_EQ(c.avoidEffect, page.avoidPreviousPageBackgroundEffect);
        EXPECT_EQ(c.focusFirst, page.focusToFirstVisibleElementOnLoad);
        EXPECT_EQ(c.transition, page.transition);
    }
}

// ---- Pages that cannot be loaded -----------------------------------------------------------

namespace {

// Counts the engine's word that a page has loaded.
class LoadWatchEngine : public FixtureEngine {
public:
    using FixtureEngine::FixtureEngine;
    void OnPageLoaded(TPDAUIEngineElementPage* page) override { loaded.push_back(page); }
    std::vector<TPDAUIEngineElementPage*> loaded;
};

// The dumps of the children of a page, one string each.
std::vector<std::string> ChildDumps(TPDAUIEngineElementPage& page)
{
    std::vector<std::string> dumps;
    for (int i = 0; i < page.children.Count(); ++i)
        dumps.push_back(Dump(page.children[i]));
    return dumps;
}

} // namespace

// Without a compiled page the XML page must be there and hold something; the
// message tells a missing file from an empty one, and the program ends.
TEST(PageLoadFailure, MissingOrEmptyPageShowsTheMessageAndEndsTheProgram)
{
    TempSkin skin;
    WriteText(skin / "pageEmpty.xml", "");
    struct Case {
        const char* page;
        std::string message;  // up to the file's path, which follows for an empty file
        const char* after;
    } cases[] = {
        {"pageMissing", "Error loading pageMissing.xml: file not found", ""},
        {"pageEmpty", "Error loading pageEmpty.xml: the file " + skin.skins(), "pageEmpty.xml is empty"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.page);
        LoadWatchEngine engine(skin.skins());
        SkinPage page(&engine, c.page);
        page.OnLoad(&engine, nullptr, nullptr, nullptr, nullptr);
        ASSERT_EQ(1u, engine.messageBoxes.size());
        const std::string& text = engine.messageBoxes[0].text;
        EXPECT_EQ(c.message, text.substr(0, c.message.size()));
        const std::string after = c.after;
        EXPECT_EQ(after, text.substr(text.size() - after.size())) << text;
        EXPECT_EQ(c.message.size() + (after.empty() ? 0 : after.size() + 9), text.size()) << text;  // the skin folder between
        EXPECT_EQ("Open page", engine.messageBoxes[0].caption);
        EXPECT_EQ(1, engine.terminateCalls);
        EXPECT_EQ(1, (int)engine.quit);
        EXPECT_EQ(0, page.children.Count());
        EXPECT_EQ(std::string(page.loadedFile.c_str()), std::string(c.page) + ".xml");
        EXPECT_TRUE(engine.loaded.empty());
    }
}

// A compiled page cut anywhere is a record that ends early: the reader reports
// it with the trailer message and the page keeps the children it read in full
// (the same as the whole page's first ones), nothing half built. LoadPage then
// goes no further: no XML page, no end of the program, one load. The page holds
// one of each part of the format: page, box, scrolling box with its
// scroll-bar block, user control, IFrame.
TEST(PageLoadFailure, TruncatedCompiledPageKeepsWhatWasReadInFull)
{
    CompiledFixture fixture("pageCompact");
    ASSERT_TRUE(fixture.compiled);
    const Bytes& whole = fixture.bytes;
    LoadWatchEngine engine(fixture.skin.skins());
    // One page for every attempt: its image store stays warm.
    SkinPage page(&engine, "pageCompact");
    page.OnLoad(&engine, nullptr, nullptr, nullptr, nullptr);
    ASSERT_EQ(4, page.children.Count());
    ASSERT_TRUE(engine.messageBoxes.empty());
    const std::vector<std::string> full = ChildDumps(page);
    std::set<size_t> kept;
    for (size_t cut = 0; cut < whole.size(); ++cut) {
        engine.messageBoxes.clear();
        engine.loaded.clear();
        page.RemoveAllChildren();  // as Reload's Detach does
        TFicheroITVdatos in(whole.data(), ITV_MODO_LECTURA, (uint32_t)cut);
        page.TPDAUIEngineElementPage::OnLoad(&engine, nullptr, nullptr, nullptr, &in);
        ASSERT_TRUE(in.Error()) << cut;
        ASSERT_EQ(1u, engine.messageBoxes.size()) << cut;
        ASSERT_EQ("Error opening page, last byte must be '_'.", engine.messageBoxes[0].text) << cut;
        ASSERT_EQ("Open page", engine.messageBoxes[0].caption) << cut;
        ASSERT_EQ(std::vector<TPDAUIEngineElementPage*>{&page}, engine.loaded) << cut;
        const std::vector<std::string> read = ChildDumps(page);
        ASSERT_LE(read.size(), full.size()) << cut;
        for (size_t i = 0; i < read.size(); ++i)
            ASSERT_EQ(full[i], read[i]) << cut << " child " << i;
        kept.insert(read.size());
    }
    // Cuts fall before, between and after the children.
    EXPECT_EQ((std::set<size_t>{0, 1, 2, 3, 4}), kept);

    const size_t step = whole.size() / 100 + 1;
    for (size_t cut = 0; cut < whole.size(); cut += cut + 12 >= whole.size() ? 1 : step) {
        WriteBytes(fixture.file, whole, cut);
        engine.messageBoxes.clear();
        engine.loaded.clear();
        page.OnLoad(&engine, nullptr, nullptr, nullptr, nullptr);
        ASSERT_EQ(1u, engine.messageBoxes.size()) << cut;
        ASSERT_EQ("Error opening page, last byte must be '_'.", engine.messageBoxes[0].text) << cut;
        ASSERT_EQ(std::vector<TPDAUIEngineElementPage*>{&page}, engine.loaded) << cut;
        ASSERT_EQ(page.loadedFile, "pageCompact") << cut;
    }
    EXPECT_EQ(0, engine.terminateCalls);
    EXPECT_EQ(0, (int)engine.quit);
}

namespace {

// A compiled page made in code, with a way to find its parts.
class MadePage {
public:
    // The page holds `depth` boxes nested in each other (each the only child).
    explicit MadePage(int depth, const char* childTag = nullptr)
    {
        FixtureEngine engine(skin.skins());
        engine.skinCompiling = 1;
        TPDAUIEngineElementPage page(&engine);
        page.OnLoad(&engine, nullptr, nullptr, nullptr, nullptr);
        TPDAUIEngineElementBox* at = &page;
        for (int i = 0; i < depth; ++i) {
            auto* box = new TPDAUIEngineElementBox();
            at->AddChild(box, nullptr, nullptr);
            if (childTag && i == depth - 1)
                box->tag = childTag;
            at = box;
        }
        EXPECT_TRUE(page.WriteCompiled((skin / "pageMade.cpage").c_str()));
        bytes = ReadBytes(skin / "pageMade.cpage");
    }
    struct Result {
        int children = 0;
        std::string tag;
        int transition = 0;
        int terminateCalls = 0;
        std::vector<TestEngine::Box> boxes;
    };
    // Loads bytes as the page's compiled form.
    Result LoadResult(const Bytes& b)
    {
        WriteBytes(skin / "pageMade.cpage", b, b.size());
        FixtureEngine engine(skin.skins());
        SkinPage page(&engine, "pageMade");
        page.OnLoad(&engine, nullptr, nullptr, nullptr, nullptr);
        Result r;
        r.children = page.children.Count();
        r.tag = page.tag.c_str();
        r.transition = page.transition;
        r.terminateCalls = engine.terminateCalls;
        r.boxes = engine.messageBoxes;
        return r;
    }
    // The page's child count, and the messages shown.
    int Load(const Bytes& b, std::vector<TestEngine::Box>* boxes = nullptr)
    {
        Result r = LoadResult(b);
        if (boxes)
            *boxes = r.boxes;
        return r.children;
    }
    static void PutInt(Bytes& b, size_t at, uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            b[at + i] = (unsigned char)(v >> (8 * i));
    }

    TempSkin skin;
    Bytes bytes;
};

// Page tail: three flags, the transition, the trailer.
const size_t kPageTail = 3 + 4 + 1;

} // namespace

// What the reader makes of records the writer never writes: the page record's
// mark is not checked and its tag is taken as it stands, the transition is kept
// as read; everything that puts the reader out of step ends the record early,
// which the trailer message reports. Nothing ends the program.
TEST(PageLoadFailure, HostileCompiledPagesAreReportedAndKeptAsRead)
{
    MadePage empty(0);
    std::vector<TestEngine::Box> boxes;
    ASSERT_EQ(0, empty.Load(empty.bytes, &boxes));
    ASSERT_TRUE(boxes.empty());

    struct Case {
        const char* what;
        void (*mutate)(Bytes&);
        bool reported;
        const char* tag;
        int transition;
    } cases[] = {
        {"wrong mark", [](Bytes& b) { b[0] = '+'; }, false, "page", 0},
        {"another tag", [](Bytes& b) { b[5 + 3] = 'x'; }, false, "pagx", 0},
        {"unknown transition", [](Bytes& b) { MadePage::PutInt(b, b.size() - 5, 7); }, false, "page", 7},
        {"string longer than the file", [](Bytes& b) { MadePage::PutInt(b, 9, 0xFFFFFFF0u); }, true, "page", 0},
        {"child count beyond the file", [](Bytes& b) { MadePage::PutInt(b, b.size() - kPageTail - 4, 1000); }, true, "page", 0},
        {"negative child count", [](Bytes& b) { MadePage::PutInt(b, b.size() - kPageTail - 4, 0xFFFFFFFFu); }, true, "page", 0},
        {"unknown layout", [](Bytes& b) { MadePage::PutInt(b, b.size() - kPageTail - 39, 17); }, true, "page", 0},
        {"box scale not a number", [](Bytes& b) { MadePage::PutInt(b, b.size() - kPageTail - 8, 0x7FC00000u); }, true, "page", 0},
        {"wrong trailer", [](Bytes& b) { b.back() = '-'; }, true, "page", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes b = empty.bytes;
        c.mutate(b);
        MadePage::Result r = empty.LoadResult(b);
        EXPECT_EQ(0, r.children);
        EXPECT_EQ(c.tag, r.tag);
        EXPECT_EQ(c.transition, r.transition);
        EXPECT_EQ(0, r.terminateCalls);
        if (c.reported) {
            ASSERT_EQ(1u, r.boxes.size());
            EXPECT_EQ("Error opening page, last byte must be '_'.", r.boxes[0].text);
        } else {
            EXPECT_TRUE(r.boxes.empty());
        }
    }

    // A child record whose tag no element kind has puts the rest out of step.
    MadePage unknown(1, "nosuch");
    EXPECT_EQ(0, unknown.Load(unknown.bytes, &boxes));
    EXPECT_EQ(1u, boxes.size());
    // One child announced, none there: the page tail is read as a record.
    MadePage one(1);
    Bytes missing(one.bytes.begin(), one.bytes.begin() + (long)(empty.bytes.size() - kPageTail));
    MadePage::PutInt(missing, missing.size() - 4, 1);
    missing.insert(missing.end(), one.bytes.end() - (long)kPageTail, one.bytes.end());
    EXPECT_EQ(0, one.Load(missing, &boxes));
    EXPECT_EQ(1u, boxes.size());
}

// Boxes nest as deep as the writer's tree; a record nesting deeper than any
// skin could is cut off before it exhausts the stack.
TEST(PageLoadFailure, NestingIsBounded)
{
    MadePage deep(255);
    std::vector<TestEngine::Box> boxes;
    EXPECT_EQ(1, deep.Load(deep.bytes, &boxes));
    EXPECT_TRUE(boxes.empty());
    MadePage tooDeep(300);
    EXPECT_EQ(0, tooDeep.Load(tooDeep.bytes, &boxes));
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ("Error opening page, last byte must be '_'.", boxes[0].text);
}

// The bound is exact: one box deeper than the deepest that loads fails the
// page, whether the box is a leaf or holds children of its own.
TEST(PageLoadFailure, NestingBoundIsExact)
{
    struct Case {
        int depth;
        int children;
    };
    const Case cases[] = {{254, 1}, {255, 1}, {256, 0}, {257, 0}};
    for (const Case& c : cases) {
        MadePage page(c.depth);
        std::vector<TestEngine::Box> boxes;
        EXPECT_EQ(c.children, page.Load(page.bytes, &boxes)) << c.depth;
        EXPECT_EQ(c.children == 0 ? 1u : 0u, boxes.size()) << c.depth;
    }
}

// A damaged compiled page is still the page: the XML page beside it is never
// read, and the engine hears of one loaded page, not of a discarded one too.
TEST(PageLoadFailure, DamagedCompiledPageIsNotReplacedByXml)
{
    CompiledFixture fixture;
    ASSERT_TRUE(fixture.compiled);
    WriteBytes(fixture.skin / "pageFixture.cpage", fixture.bytes, fixture.bytes.size() - 1);
    WriteText(fixture.skin / "pageFixture.xml", "<page id=\"fromXml\"/>");
    LoadWatchEngine engine(fixture.skin.skins());
    SkinPage page(&engine, "pageFixture");
    page.OnLoad(&engine, nullptr, nullptr, nullptr, nullptr);
    ASSERT_EQ(1u, engine.messageBoxes.size());
    EXPECT_EQ("Error opening page, last byte must be '_'.", engine.messageBoxes[0].text);
    EXPECT_EQ(0, engine.terminateCalls);
    EXPECT_EQ(page.loadedFile, "pageFixture");
    EXPECT_EQ(page.id, "pageFixture");
    EXPECT_NE(nullptr, page.FindElement("ucClock", false));
    EXPECT_EQ(std::vector<TPDAUIEngineElementPage*>{&page}, engine.loaded);
}

// ---- Lookups ---------------------------------------------------------------------------------

// The forcing flags hold the landscape flag for the lookups only; a skin being
// compiled ignores them.
TEST(PageLoadLookup, ForcedOrientationHoldsForTheLookupOnly)
{
    TempSkin skin;
    WriteText(skin / "pageTurn.xml", "<page id=\"portrait\"/>");
    WriteText(skin / "pageTurnLandscape.xml", "<page id=\"landscape\"/>");
    struct Case {
        unsigned char landscape, forcePortrait, forceLandscape, compiling;
        const char* loaded;
    } cases[] = {
        {0, 0, 0, 0, "portrait"},  {1, 0, 0, 0, "landscape"}, {1, 1, 0, 0, "portrait"},
        {0, 0, 1, 0, "landscape"}, {1, 1, 1, 0, "portrait"},  {1, 1, 0, 1, "landscape"},
        {0, 0, 1, 1, "portrait"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << (int)c.landscape << (int)c.forcePortrait
                                        << (int)c.forceLandscape << (int)c.compiling);
        FixtureEngine engine(skin.skins());
        engine.skinSettings.landscape = c.landscape;
        engine.skinCompiling = c.compiling;
        SkinPage page(&engine, "pageTurn");
        page.forcePortrait = c.forcePortrait;
        page.forceLandscape = c.forceLandscape;
        page.OnLoad(&engine, nullptr, nullptr, nullptr, nullptr);
        EXPECT_EQ(page.id, c.loaded);
        EXPECT_EQ(c.landscape, engine.skinSettings.landscape);
        // The page's snapshot is taken with the settings as they stand.
        EXPECT_EQ(c.landscape, page.landscapeAtLoad);
    }
}

// Every "usercontrol" node is expanded, each with its own copy of the definition.
TEST(PageLoadLookup, EveryUserControlNodeIsExpanded)
{
    FixtureEngine engine;
    SkinPage page(&engine, "pageTwoClocks");
    page.OnLoad(&engine, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(engine.messageBoxes.empty());
    for (const char* id : {"ucFirst", "ucSecond"}) {
        SCOPED_TRACE(id);
        auto* control = dynamic_cast<TPDAUIEngineElementUserControl*>(page.FindElement(id, false));
        ASSERT_NE(nullptr, control);
        EXPECT_EQ(1, (int)control->expanded);
        ASSERT_EQ(2, control->children.Count());
        EXPECT_EQ(control->children[1]->id, "boxClockFace");
        EXPECT_EQ(control->children[0]->parent, control);
    }
    // A user control whose file is missing stays a plain instance, without a
    // message; the control then looks for its definition itself.
    TempSkin skin;
    WriteText(skin / "pageLost.xml", "<page><usercontrol type=\"usercontrolLost\" id=\"ucLost\"/></page>");
    FixtureEngine other(skin.skins());
    SkinPage lost(&other, "pageLost");
    lost.OnLoad(&other, nullptr, nullptr, nullptr, nullptr);
    ASSERT_EQ(1u, other.messageBoxes.size());
    EXPECT_EQ("Error loading usercontrolLost.xml: file not found", other.messageBoxes[0].text);
    EXPECT_EQ("Open userControl", other.messageBoxes[0].caption);
}

// ---- The page's life with its tree -----------------------------------------------------------

// Each page keeps its own images; "common" images are the engine's, shared.
TEST(PageLoadLife, ImagesBelongToThePageUntilItIsDetached)
{
    FixtureEngine engine;
    SkinPage first(&engine, "pageFixture");
    SkinPage second(&engine, "pageFixture");
    first.OnLoad(&engine, nullptr, nullptr, nullptr, nullptr);
    second.OnLoad(&engine, nullptr, nullptr, nullptr, nullptr);
    TDibIG* tileA = first.FindElement("boxHeaderFill", false)->backgrounds[0].image;
    TDibIG* tileB = second.FindElement("boxHeaderFill", false)->backgrounds[0].image;
    ASSERT_NE(nullptr, tileA);
    // Decoded once and shared: each page's store holds it for its own page.
    EXPECT_EQ(tileA, tileB);
    EXPECT_EQ(first.FindElement("boxHeaderBar", false)->backgrounds[0].image,
              second.FindElement("boxHeaderBar", false)->backgrounds[0].image);
    EXPECT_GT(first.GetMemorySize(), (int)sizeof(TPDAUIEngineElementPage));

    first.Detach();
    EXPECT_EQ(0, first.resources.GetCount());
    EXPECT_EQ(0, first.children.Count());
    for (const auto& b : first.backgrounds)
        EXPECT_EQ(nullptr, b.image);
    // The shared image lives on for the second page.
    TDibIG* kept = second.FindElement("boxHeaderFill", false)->backgrounds[0].image;
    ASSERT_EQ(tileB, kept);
    EXPECT_FALSE(kept->IsEmpty());
}

// Reload reads the skin page again: the same tree with new elements; running
// timers stop and commands posted to the old elements are dropped.
TEST(PageLoadLife, ReloadBuildsNewElementsAndDropsWhatAimedAtTheOld)
{
    FixtureEngine engine;
    SkinPage page(&engine, "pageFixture");
    engine.OpenPage(&page);
    engine.Frame();
    const std::string before = Dump(&page);
    TPDAUIEngineElement* notice = page.FindElement("ahbNotice", false);
    ASSERT_NE(nullptr, notice);
    const int oldId = notice->numericId;
    notice->visible = 1;
    notice->StartTimer();
    EXPECT_EQ(1, page.runningTimers.Count());

    // A posted command reaches a live element (and bubbles to the page).
    TPDAUIEngineElement* cell = page.FindElement("boxCell1", false);
    cell->PostCommand("first", 0, 0, 0);
    engine.DispatchPostedCommands();
    ASSERT_EQ(std::vector<std::string>({"load", "first"}), page.commands);
    cell->PostCommand("stale", 0, 0, 0);

    page.Reload();
    engine.DispatchPostedCommands();
    EXPECT_EQ(2, page.loads);
    EXPECT_EQ(std::vector<std::string>({"load", "first", "load"}), page.commands);
    EXPECT_EQ(0, page.runningTimers.Count());
    TPDAUIEngineElement* fresh = page.FindElement("ahbNotice", false);
    ASSERT_NE(nullptr, fresh);
    EXPECT_NE(oldId, fresh->numericId);
    EXPECT_EQ(nullptr, page.FindByNumericId(oldId));
    engine.Frame();
    EXPECT_EQ(before, Dump(&page));
    engine.Advance(1500);  // no timer of the old tree is left to fire
    engine.pages.RemoveAll();
}

// A load looks at the skin folder once for all its files; an image the folder
// gains after the load is found all the same by the page's store.
TEST(PageLoadLookup, FilesAddedAfterTheLoadAreFound)
{
    for (bool compiledForm : {true, false}) {
        SCOPED_TRACE(compiledForm);
        CompiledFixture fixture;
        ASSERT_TRUE(fixture.compiled);
        if (!compiledForm) {
            std::filesystem::remove(fixture.file);
            std::filesystem::copy_file(testpaths::Fixture("skins/fixture/pageFixture.xml"),
                                       fixture.skin / "pageFixture.xml");
            std::filesystem::copy_file(testpaths::Fixture("skins/fixture/usercontrolClock.xml"),
                                       fixture.skin / "usercontrolClock.xml");
        }
        FixtureEngine engine(fixture.skin.skins());
        SkinPage page(&engine, "pageFixture");
        page.LoadPage(&engine, nullptr, nullptr, "pageFixture");
        ASSERT_NE(nullptr, page.FindElement("ucClock", false));
        EXPECT_EQ(nullptr, page.resources.GetImage("fixtureLater", false, false));
        std::filesystem::copy_file(testpaths::Fixture("skins/fixture/fixtureTile.png"),
                                   fixture.skin / "fixtureLater.png");
        EXPECT_NE(nullptr, page.resources.GetImage("fixtureLater", false, false));
    }
}

// Compiled pages and their images are kept between loads while their files
// stay as they are; a file changed on disk between two loads is read again.
TEST(PageLoadLookup, FilesChangedBetweenTwoLoadsAreReadAgain)
{
    namespace fs = std::filesystem;
    struct Case {
        const char* what;
        std::function<void(const CompiledFixture&)> change;
        bool headerAfter;  // the page read again still has its header
        int tileWidth;     // of the header's tile after the change
    } cases[] = {
        {"nothing changed", [](const CompiledFixture&) {}, true, 16},
        {"image rewritten",
         [](const CompiledFixture& f) {
             fs::copy_file(testpaths::Fixture("skins/fixture/fixtureIcon.png"), f.skin / "fixtureTile.png",
                           fs::copy_options::overwrite_existing);
         },
         true, 20},
        {"image replaced by rename",
         [](const CompiledFixture& f) {
             fs::copy_file(testpaths::Fixture("skins/fixture/fixtureFrame.png"), f.skin / "other.png");
             fs::rename(f.skin / "other.png", f.skin / "fixtureTile.png");
         },
         true, 24},
        {"page rewritten",
         [](const CompiledFixture& f) {
             FixtureEngine engine(f.skin.skins());
             engine.skinCompiling = 1;
             TPDAUIEngineElementPage empty(&engine);
             empty.OnLoad(&engine, nullptr, nullptr, nullptr, nullptr);
             ASSERT_TRUE(empty.WriteCompiled(f.file.c_str()));
         },
         false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CompiledFixture fixture;
        ASSERT_TRUE(fixture.compiled);
        // As installed long ago, so that the page is kept between loads.
        fs::last_write_time(fixture.file, fs::file_time_type::clock::now() - std::chrono::hours(1));
        FixtureEngine engine(fixture.skin.skins());
        TDibIG* before = nullptr;
        {
            SkinPage page(&engine, "pageFixture");
            page.LoadPage(&engine, nullptr, nullptr, "pageFixture");
            TPDAUIEngineElement* fill = page.FindElement("boxHeaderFill", false);
            ASSERT_NE(nullptr, fill);
            before = fill->backgrounds[0].image;
            ASSERT_NE(nullptr, before);
            EXPECT_EQ(16, before->Width());
            c.change(fixture);
        }
        SkinPage page(&engine, "pageFixture");
        page.LoadPage(&engine, nullptr, nullptr, "pageFixture");
        EXPECT_TRUE(engine.messageBoxes.empty());
        TPDAUIEngineElement* fill = page.FindElement("boxHeaderFill", false);
        EXPECT_EQ(c.headerAfter, fill != nullptr);
        if (fill && c.headerAfter) {
            ASSERT_NE(nullptr, fill->backgrounds[0].image);
            EXPECT_EQ(c.tileWidth, fill->backgrounds[0].image->Width());
        }
    }
}
