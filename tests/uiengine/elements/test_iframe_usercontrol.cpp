// The IFrame with its inner page, and the user-control host.
#include "test_page_load_fixture.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>

#include "enginelib/base/TFicheroITV.h"
#include "support/GoldenImage.h"
#include "uiengine/core/TPDAUIEngineCommand.h"
#include "uiengine/core/TPDAUIEngineXml.h"

using namespace pageload;

namespace {

using Frame = TPDAUIEngineElementIFrame;
using Control = TPDAUIEngineElementUserControl;

void LoadXml(TPDAUIEngine* engine, TPDAUIEngineElementPage* page, TPDAUIEngineElement* e, const char* xml)
{
    std::string text = xml;
    TPDAUIEngineXml node;
    ASSERT_TRUE(node.Parse(&text[0]));
    e->OnLoad(engine, page, nullptr, &node, nullptr);
}

// The element's compiled record, as Save writes it to a file.
Bytes SavedRecord(TPDAUIEngineElement* e)
{
    testpaths::TempDir dir;
    const std::string path = dir / "record.bin";
    TFicheroITV out;
    EXPECT_TRUE(out.Abre(path.c_str(), ITV_MODO_CREACION));
    e->Save(out);
    EXPECT_TRUE(out.Cierra());
    return ReadBytes(path);
}

bool Contains(const std::vector<std::string>& log, const std::string& entry)
{
    return std::find(log.begin(), log.end(), entry) != log.end();
}

// The fixture page on screen with its IFrame, and pages opened into it.
class HostedPage : public ::testing::Test {
public:
    HostedPage()
    {
        engine.OpenPage(&host);
        engine.Frame();
        frame = dynamic_cast<Frame*>(host.FindElement("ifrInner", false));
    }
    ~HostedPage() override { engine.pages.RemoveAll(); }

    // A new inner page, opened into the IFrame; the IFrame owns it.
    SkinPage* OpenInner(const char* reply = "innerEnd")
    {
        auto* inner = new SkinPage(&engine, "pageInner");
        inner->sink = &log;
        inner->replyCommand.name = reply;
        engine.OpenPage(inner, frame);
        return inner;
    }

    // Shows hostPage, opens an inner page into its IFrame and closes that with
    // result, then paints (which removes it). The inner page's address, for
    // comparing only; null when hostPage has no IFrame.
    const SkinPage* CloseInnerOf(SkinPage& hostPage, unsigned char result)
    {
        engine.OpenPage(&hostPage);
        engine.Frame();
        frame = dynamic_cast<Frame*>(hostPage.FindElement("ifrInner", false));
        if (!frame)
            return nullptr;
        SkinPage* inner = OpenInner();
        engine.Frame();
        inner->Close(result);
        engine.Frame();
        return inner;
    }

    std::vector<std::string> log;  // outlives the inner pages
    FixtureEngine engine;
    SkinPage host{&engine, "pageFixture"};
    Frame* frame = nullptr;
};

} // namespace

// ---- IFrame ----------------------------------------------------------------------------------

TEST(IFrame, DefaultsAndAttribute)
{
    Frame frame;
    EXPECT_EQ(frame.tag, "iframe");
    EXPECT_EQ(1, frame.flex);
    EXPECT_EQ(0, frame.borders[0].width);
    EXPECT_EQ(0, frame.borders[0].style);
    EXPECT_EQ(TPDAUIEngineElementBox::LayoutVertical, frame.layout);
    frame.SetAttribute("innerPageName", "pageInner");
    frame.SetAttribute("layout", "Horizontal");
    EXPECT_EQ(frame.innerPageName, "pageInner");
    EXPECT_EQ(frame.GetAttribute("innerPageName"), "pageInner");
    EXPECT_EQ(frame.GetAttribute("layout"), "Horizontal");
}

TEST(IFrame, HoldsOneChildAtMost)
{
    FixtureEngine engine;
    Frame frame;
    frame.OnLoad(&engine, nullptr, nullptr, nullptr, nullptr);
    const int live = TPDAUIEngineElement::GetLiveCount();
    auto* first = new TPDAUIEngineElementBox();
    frame.AddChild(first, nullptr, nullptr);
    EXPECT_EQ(first->parent, &frame);
    EXPECT_EQ(nullptr, frame.innerPage);
    auto* second = new TPDAUIEngineElementBox();
    frame.AddChild(second, nullptr, nullptr);
    ASSERT_EQ(1, frame.children.Count());
    EXPECT_EQ(second, frame.children[0]);
    EXPECT_EQ(live + 1, TPDAUIEngineElement::GetLiveCount());  // the first is gone
}

TEST_F(HostedPage, InnerPageIsLaidOutAndPaintedInTheFrame)
{
    ASSERT_NE(nullptr, frame);
    SkinPage* inner = OpenInner();
    EXPECT_EQ(1, inner->loads);
    EXPECT_EQ(inner, frame->innerPage);
    EXPECT_EQ(inner->parent, frame);
    EXPECT_EQ(1, (int)inner->loaded);
    EXPECT_TRUE(inner->IsTopPage());
    EXPECT_EQ(&host, inner->GetOuterPage());
    EXPECT_TRUE(golden::Matches(engine.Frame(), "pages/fixture_page_iframe"));
    // The nested page fills the IFrame, as its only flexible child.
    EXPECT_EQ(0, inner->left);
    EXPECT_EQ(0, inner->top);
    EXPECT_EQ(frame->width, inner->width);
    EXPECT_EQ(frame->height, inner->height);
    EXPECT_EQ(1, (int)inner->fullScreen);
    // Laying the inner page out again asks the IFrame.
    frame->width -= 10;
    inner->ReapplyBounds();
    engine.Frame();
    EXPECT_EQ(frame->width, inner->width);
}

// The inner page closes: the IFrame's next paint deletes it and passes its
// reply up as its own, with the page's result; what pointed into it is cleared.
TEST_F(HostedPage, ClosingInnerPageRepliesThroughTheFrame)
{
    SkinPage* inner = OpenInner();
    engine.Frame();
    TPDAUIEngineElement* top = inner->FindElement("boxInnerTop", false);
    ASSERT_NE(nullptr, top);
    host.pressedElement = top;
    host.hoverElement = top;
    host.focusedElement = top;
    host.commands.clear();
    host.results.clear();

    inner->Close(4);
    EXPECT_EQ(1u, frame->children.Count());  // until the next paint
    engine.Frame();
    EXPECT_TRUE(Contains(log, "pageInner:deleted"));
    EXPECT_EQ(0, frame->children.Count());
    EXPECT_EQ(nullptr, frame->innerPage);
    ASSERT_EQ(std::vector<std::string>({"innerEnd"}), host.commands);
    EXPECT_EQ(4, host.results[0]);
    EXPECT_EQ(nullptr, host.pressedElement);
    EXPECT_EQ(nullptr, host.hoverElement);
    EXPECT_EQ(nullptr, host.focusedElement);
    engine.Frame();  // nothing of it is left to paint
}

// A page without a reply command goes silently.
TEST_F(HostedPage, InnerPageWithoutReplyGoesSilently)
{
    SkinPage* inner = OpenInner("");
    host.commands.clear();
    host.results.clear();
    inner->Close(1);
    engine.Frame();
    EXPECT_TRUE(Contains(log, "pageInner:deleted"));
    EXPECT_TRUE(host.commands.empty());
}

// The page the reply reaches may open the next page into the same IFrame.
TEST_F(HostedPage, ReplyMayOpenTheNextPage)
{
    class Host : public SkinPage {
    public:
        Host(TPDAUIEngine* e, HostedPage* t) : SkinPage(e, "pageFixture"), test(t) {}
        void OnCommand(TPDAUIEngineCommand& command) override
        {
            SkinPage::OnCommand(command);
            if (command.name == "innerEnd" && !next)
                next = test->OpenInner("nextEnd");
        }
        HostedPage* test;
        SkinPage* next = nullptr;
    };
    Host second(&engine, this);
    engine.OpenPage(&second);
    engine.Frame();
    frame = dynamic_cast<Frame*>(second.FindElement("ifrInner", false));
    ASSERT_NE(nullptr, frame);
    SkinPage* first = OpenInner();
    first->Close(2);
    engine.Frame();
    ASSERT_NE(nullptr, second.next);
    EXPECT_EQ(second.next, frame->innerPage);
    EXPECT_EQ(1, frame->children.Count());
    EXPECT_EQ(1, (int)std::count(log.begin(), log.end(), "pageInner:deleted"));
    engine.Frame();
    EXPECT_EQ(second.next, frame->innerPage);
    engine.pages.RemoveAll();
}

// Commands posted to an element of the inner page reach it while it lives and
// are dropped once the IFrame has deleted it.
TEST_F(HostedPage, PostedCommandsNeverReachARemovedInnerPage)
{
    SkinPage* inner = OpenInner();
    engine.Frame();
    TPDAUIEngineElement* top = inner->FindElement("boxInnerTop", false);
    top->PostCommand("ping", 0, 0, 0);
    engine.DispatchPostedCommands();
    EXPECT_TRUE(Contains(log, "pageInner:ping"));
    top->PostCommand("late", 0, 0, 0);
    inner->Close(0);
    engine.Frame();
    engine.DispatchPostedCommands();
    EXPECT_FALSE(Contains(log, "pageInner:late"));
}

// Reloading the inner page loads it with no parent and keeps it in its IFrame.
TEST_F(HostedPage, ReloadedInnerPageStaysInTheFrame)
{
    SkinPage* inner = OpenInner();
    engine.Frame();
    EXPECT_EQ(frame, inner->loadParent);  // loaded by the IFrame's AddChild
    inner->Reload();
    EXPECT_EQ(2, inner->loads);
    // The reload itself loads the page as a root; the page stays the IFrame's.
    EXPECT_EQ(nullptr, inner->loadParent);
    EXPECT_EQ(inner->parent, frame);
    EXPECT_EQ(inner, frame->innerPage);
    EXPECT_TRUE(inner->IsTopPage());
    engine.Frame();
    EXPECT_EQ(frame->height, inner->height);
}

// Tearing the host page down deletes the inner page without a reply.
TEST_F(HostedPage, DetachingTheHostDeletesTheInnerPage)
{
    OpenInner();
    engine.Frame();
    host.commands.clear();
    host.results.clear();
    host.Detach();
    EXPECT_TRUE(Contains(log, "pageInner:deleted"));
    EXPECT_TRUE(host.commands.empty());
}

// The IFrame's record carries its children and its name. An inner page is left
// out: pages are made by the application, so no reader could build it again.
TEST_F(HostedPage, CompiledFrameKeepsItsChildrenButNoInnerPage)
{
    struct Case {
        const char* what;
        bool innerPage;
        const char* child;  // the id of a box child from the skin, or null
    } cases[] = {{"empty", false, nullptr}, {"inner page", true, nullptr}, {"box child", false, "boxInFrame"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.innerPage) {
            OpenInner();
            engine.Frame();
        }
        if (c.child) {
            auto* box = new TPDAUIEngineElementBox();
            box->id = c.child;
            frame->AddChild(box, nullptr, nullptr);
        }
        const Bytes bytes = SavedRecord(frame);
        frame->RemoveAllChildren();
        TFicheroITVdatos in(bytes.data(), ITV_MODO_LECTURA, (uint32_t)bytes.size());
        TPDAUIEngineElement* made = TPDAUIEngineElement::CreateFromCompiled(&engine, in);
        ASSERT_NE(nullptr, made);
        made->OnLoad(&engine, &host, nullptr, nullptr, &in);
        EXPECT_FALSE(in.Error());
        EXPECT_EQ(0u, in.Restantes());
        auto* loaded = dynamic_cast<Frame*>(made);
        ASSERT_NE(nullptr, loaded);
        EXPECT_EQ(loaded->innerPageName, "pageInner");
        if (c.child) {
            ASSERT_EQ(1, loaded->children.Count());
            EXPECT_EQ(loaded->children[0]->id, c.child);
            EXPECT_EQ(loaded->children[0]->parent, loaded);
        } else {
            EXPECT_EQ(0, loaded->children.Count());
        }
        delete made;
    }
}

// The reply goes up while the closing page is still the IFrame's child, alive,
// with its result; the page goes once the reply has been handled.
TEST_F(HostedPage, ReplyLeavesBeforeThePageIsRemoved)
{
    struct Seen {
        bool stillChild = false, stillInner = false, alive = false;
        const TPDAUIEngineElement* target = nullptr;
    };
    class Host : public SkinPage {
    public:
        Host(TPDAUIEngine* e, std::vector<std::string>* l) : SkinPage(e, "pageFixture"), log(l) {}
        void OnCommand(TPDAUIEngineCommand& command) override
        {
            SkinPage::OnCommand(command);
            if (command.name != "innerEnd")
                return;
            auto* f = dynamic_cast<Frame*>(FindElement("ifrInner", false));
            seen.target = command.target;
            seen.stillChild = f && f->children.Count() == 1 && f->children[0] == command.target;
            seen.stillInner = f && f->innerPage == command.target;
            seen.alive = !Contains(*log, "pageInner:deleted");
        }
        std::vector<std::string>* log;
        Seen seen;
    };
    Host second(&engine, &log);
    const SkinPage* inner = CloseInnerOf(second, 3);
    ASSERT_NE(nullptr, inner);
    EXPECT_EQ(inner, second.seen.target);
    EXPECT_TRUE(second.seen.stillChild);
    EXPECT_TRUE(second.seen.stillInner);
    EXPECT_TRUE(second.seen.alive);
    ASSERT_EQ(std::vector<int>({0, 3}), second.results);  // "load", then the reply
    EXPECT_EQ(1, (int)std::count(log.begin(), log.end(), "pageInner:deleted"));
    EXPECT_EQ(0, frame->children.Count());
    EXPECT_EQ(nullptr, frame->innerPage);
    engine.pages.RemoveAll();
}

// A reply whose handler takes the IFrame's content away itself (emptying it, or
// detaching the IFrame) leaves the removal nothing more to do: one reply, one
// deletion.
TEST_F(HostedPage, ReplyHandlerMayEmptyTheFrame)
{
    class Host : public SkinPage {
    public:
        Host(TPDAUIEngine* e, bool detach) : SkinPage(e, "pageFixture"), detach(detach) {}
        void OnCommand(TPDAUIEngineCommand& command) override
        {
            SkinPage::OnCommand(command);
            if (command.name != "innerEnd")
                return;
            auto* f = dynamic_cast<Frame*>(FindElement("ifrInner", false));
            if (detach)
                f->Detach();
            else
                f->RemoveAllChildren();
        }
        bool detach;
    };
    for (bool detach : {false, true}) {
        SCOPED_TRACE(detach ? "detach" : "remove all");
        log.clear();
        Host second(&engine, detach);
        ASSERT_NE(nullptr, CloseInnerOf(second, 1));
        EXPECT_EQ(1, (int)std::count(second.commands.begin(), second.commands.end(), "innerEnd"));
        EXPECT_EQ(1, (int)std::count(log.begin(), log.end(), "pageInner:deleted"));
        EXPECT_EQ(0, frame->children.Count());
        EXPECT_EQ(nullptr, frame->innerPage);
        engine.pages.RemoveAll();
    }
}

// ---- User control ----------------------------------------------------------------------------

namespace {

// A user control of the given tag, as the application's factory makes one.
Control* NewControl(const char* tag)
{
    return static_cast<Control*>(MakeUserControl(nullptr, tag));
}

} // namespace

TEST(UserControl, ExpandedNodeLoadsNothingMore)
{
    for (const char* flag : {"true", "True"}) {
        SCOPED_TRACE(flag);
        FixtureEngine engine;
        TPDAUIEngineElementPage page(&engine);
        std::unique_ptr<Control> control(NewControl("usercontrol/usercontrolClock"));
        const std::string xml = std::string("<usercontrol usercontrolexpanded=\"") + flag +
                                "\" id=\"ucOwn\"><box id=\"boxOwn\"/></usercontrol>";
        LoadXml(&engine, &page, control.get(), xml.c_str());
        EXPECT_EQ(1, (int)control->expanded);
        ASSERT_EQ(1, control->children.Count());
        EXPECT_EQ(control->children[0]->id, "boxOwn");
        EXPECT_TRUE(engine.messageBoxes.empty());
    }
}

// The definition is the file named after the tag; an instance without an id
// takes that name as its id.
TEST(UserControl, LoadsTheDefinitionNamedAfterItsTag)
{
    struct Case {
        const char* id;
        const char* className;
        const char* expectedId;
    } cases[] = {{"", "", "usercontrolClock"}, {"ucMine", "mine", "ucMine"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expectedId);
        FixtureEngine engine;
        TPDAUIEngineElementPage page(&engine);
        std::unique_ptr<Control> control(NewControl("usercontrol/usercontrolClock"));
        control->id = c.id;
        control->className = c.className;
        control->OnLoad(&engine, &page, nullptr, nullptr, nullptr);
        EXPECT_TRUE(engine.messageBoxes.empty());
        EXPECT_EQ(1, (int)control->expanded);
        EXPECT_EQ(control->id, c.expectedId);
        EXPECT_EQ(control->className, c.className);
        EXPECT_EQ(TPDAUIEngineElementBox::LayoutHorizontal, control->layout);
        ASSERT_EQ(2, control->children.Count());
        EXPECT_EQ(control->children[0]->id, "boxClockHand");
    }
}

// The definition's attributes are applied over the instance's, its children
// after the instance's.
TEST(UserControl, DefinitionComesOverTheInstance)
{
    TempSkin skin;
    WriteText(skin / "usercontrolWide.xml",
              "<usercontrol minimumWidth=\"120\" layout=\"Horizontal\"><box id=\"boxWide\"/></usercontrol>");
    FixtureEngine engine(skin.skins());
    TPDAUIEngineElementPage page(&engine);
    std::unique_ptr<Control> control(NewControl("usercontrol/usercontrolWide"));
    LoadXml(&engine, &page, control.get(),
            "<usercontrol type=\"usercontrolWide\" minimumWidth=\"50\" minimumHeight=\"33\">"
            "<box id=\"boxOwn\"/></usercontrol>");
    EXPECT_EQ(120, control->minimumWidth);
    EXPECT_EQ(33, control->minimumHeight);
    ASSERT_EQ(2, control->children.Count());
    EXPECT_EQ(control->children[0]->id, "boxOwn");
    EXPECT_EQ(control->children[1]->id, "boxWide");
}

// A definition with a hundred thousand attributes, and one nested as deep as a
// file can nest under a stylesheet's descendant rules, load whole.
TEST(UserControl, WideAndDeepDefinitionsLoad)
{
    TempSkin skin;
    const int kAttributes = 100000;
    std::string wide = "<usercontrol";
    for (int i = 0; i < kAttributes; ++i)
        wide += " data" + std::to_string(i) + "=\"" + std::to_string(i) + "\"";
    wide += " minimumWidth=\"77\"><box id=\"boxWide\"/></usercontrol>";
    WriteText(skin / "usercontrolWide.xml", wide);
    const int kDepth = TPDAUIEngineXml::kMaxDepth;
    std::string deep = "<usercontrol>";
    for (int i = 1; i < kDepth; ++i)
        deep += "<box id=\"d" + std::to_string(i) + "\">";
    for (int i = 1; i < kDepth; ++i)
        deep += "</box>";
    deep += "</usercontrol>";
    WriteText(skin / "usercontrolDeep.xml", deep);
    WriteText(skin / "styles.css", "box box { minimumHeight: 3 } #d1 box { flex: 2 }");
    FixtureEngine engine(skin.skins());

    TPDAUIEngineElementPage page(&engine);
    std::unique_ptr<Control> control(NewControl("usercontrol/usercontrolWide"));
    control->OnLoad(&engine, &page, nullptr, nullptr, nullptr);
    EXPECT_TRUE(engine.messageBoxes.empty());
    EXPECT_EQ(77, control->minimumWidth);
    ASSERT_EQ(1, control->children.Count());

    std::unique_ptr<Control> nested(NewControl("usercontrol/usercontrolDeep"));
    nested->OnLoad(&engine, &page, nullptr, nullptr, nullptr);
    EXPECT_TRUE(engine.messageBoxes.empty());
    int depth = 0;
    for (TPDAUIEngineElement* e = nested.get();;) {
        auto* box = dynamic_cast<TPDAUIEngineElementBox*>(e);
        if (!box || box->children.Count() == 0)
            break;
        e = box->children[0];
        ++depth;
        SCOPED_TRACE(depth);
        EXPECT_EQ(depth > 1 ? 3 : 0, e->minimumHeight);
        EXPECT_EQ(depth > 1 ? 2 : 0, e->flex);
    }
    EXPECT_EQ(kDepth - 1, depth);
}

TEST(UserControl, MissingDefinitionEndsTheProgram)
{
    FixtureEngine engine;
    TPDAUIEngineElementPage page(&engine);
    std::unique_ptr<Control> control(NewControl("usercontrol/usercontrolNope"));
    control->OnLoad(&engine, &page, nullptr, nullptr, nullptr);
    ASSERT_EQ(1u, engine.messageBoxes.size());
    EXPECT_EQ("Error loading usercontrolNope.xml: file not found", engine.messageBoxes[0].text);
    EXPECT_EQ("Open userControl", engine.messageBoxes[0].caption);
    EXPECT_EQ(1, engine.terminateCalls);
    EXPECT_EQ(0, (int)control->expanded);
}

// A definition that holds a control of its own kind stops at a fixed depth
// with the loading error instead of running the stack out.
TEST(UserControl, SelfNestingDefinitionIsStopped)
{
    TempSkin skin;
    WriteText(skin / "usercontrolLoop.xml",
              "<usercontrol><usercontrol type=\"usercontrolLoop\"/></usercontrol>");
    FixtureEngine engine(skin.skins());
    TPDAUIEngineElementPage page(&engine);
    std::unique_ptr<Control> control(NewControl("usercontrol/usercontrolLoop"));
    control->OnLoad(&engine, &page, nullptr, nullptr, nullptr);
    ASSERT_EQ(1u, engine.messageBoxes.size());
    EXPECT_EQ("Error loading usercontrolLoop.xml: user controls nested too deeply",
              engine.messageBoxes[0].text);
    EXPECT_EQ(1, engine.terminateCalls);
}

// A compiled definition is preferred; the instance keeps its own id and class,
// as with an XML definition.
TEST(UserControl, CompiledDefinitionKeepsTheInstancesIdAndClass)
{
    TempSkin skin;  // no XML definitions
    {
        FixtureEngine engine;
        engine.skinCompiling = 1;
        TPDAUIEngineElementPage page(&engine);
        std::unique_ptr<Control> definition(NewControl("usercontrol/usercontrolClock"));
        definition->OnLoad(&engine, &page, nullptr, nullptr, nullptr);
        TFicheroITV out;
        ASSERT_TRUE(out.Abre((skin / "usercontrolClock.cpage").c_str(), ITV_MODO_CREACION));
        definition->Save(out);
        ASSERT_TRUE(out.Cierra());
    }
    FixtureEngine engine(skin.skins());
    TPDAUIEngineElementPage page(&engine);
    std::unique_ptr<Control> control(NewControl("usercontrol/usercontrolClock"));
    LoadXml(&engine, &page, control.get(), "<usercontrol id=\"ucMine\" class=\"mine\" minimumHeight=\"50\"/>");
    EXPECT_TRUE(engine.messageBoxes.empty());
    EXPECT_EQ(control->id, "ucMine");
    EXPECT_EQ(control->className, "mine");
    EXPECT_EQ(1, (int)control->expanded);
    ASSERT_EQ(2, control->children.Count());
    EXPECT_EQ(control->children[1]->id, "boxClockFace");
    EXPECT_NE(nullptr, control->children[0]->backgrounds[0].image);

    // LoadCompiled reads the record as the control's own.
    std::unique_ptr<Control> other(NewControl("usercontrol/usercontrolClock"));
    other->LoadCompiled(&engine, &page, nullptr, "usercontrolClock");
    EXPECT_EQ(other->id, "usercontrolClock");
    EXPECT_EQ(1, (int)other->expanded);
    EXPECT_EQ(2, other->children.Count());
    other->LoadCompiled(&engine, &page, nullptr, "usercontrolNone");  // nothing happens
    EXPECT_EQ(2, other->children.Count());
    EXPECT_TRUE(engine.messageBoxes.empty());
}

// Compiled definitions are kept between loads while their files are unchanged;
// every change on disk is seen at the next load.
TEST(UserControl, CompiledDefinitionChangesAreSeenAtTheNextLoad)
{
    TempSkin skin(true);  // the XML definition is there once the compiled one is gone
    const std::string file = skin / "usercontrolClock.cpage";
    // The definition's children, compiled into path.
    auto compile = [](const std::string& path, const std::string& children) {
        FixtureEngine engine;
        engine.skinCompiling = 1;
        TPDAUIEngineElementPage page(&engine);
        std::unique_ptr<Control> definition(NewControl("usercontrol/usercontrolClock"));
        LoadXml(&engine, &page, definition.get(),
                ("<usercontrol usercontrolexpanded=\"true\">" + children + "</usercontrol>").c_str());
        TFicheroITV out;
        ASSERT_TRUE(out.Abre(path.c_str(), ITV_MODO_CREACION));
        definition->Save(out);
        ASSERT_TRUE(out.Cierra());
    };
    // Written long ago, as an installed skin's files are: such files are kept.
    auto age = [](const std::string& path, long seconds) {
        const struct timespec times[2] = {{seconds, 0}, {seconds, 0}};
        ASSERT_EQ(0, utimensat(AT_FDCWD, path.c_str(), times, 0));
    };
    // The ids of a new instance's children.
    auto loaded = [&] {
        FixtureEngine engine(skin.skins());
        TPDAUIEngineElementPage page(&engine);
        std::unique_ptr<Control> control(NewControl("usercontrol/usercontrolClock"));
        control->OnLoad(&engine, &page, nullptr, nullptr, nullptr);
        EXPECT_TRUE(engine.messageBoxes.empty());
        std::string ids;
        for (int i = 0; i < control->children.Count(); ++i)
            ids += std::string(control->children[i]->id.c_str()) + " ";
        return ids;
    };
    struct Case {
        const char* what;
        std::function<void()> change;
        const char* ids;
    } cases[] = {
        {"longer", [&] { compile(file, "<box id=\"boxA\"/><box id=\"boxB\"/>"); age(file, 1000000); },
         "boxA boxB "},
        {"shorter", [&] { compile(file, "<box id=\"boxA\"/>"); age(file, 1000000); }, "boxA "},
        {"same size, later time", [&] { compile(file, "<box id=\"boxC\"/>"); age(file, 1000001); }, "boxC "},
        {"replaced",
         [&] {
             const std::string other = skin / "other.bin";
             compile(other, "<box id=\"boxD\"/>");
             age(other, 1000001);
             ASSERT_EQ(0, std::rename(other.c_str(), file.c_str()));
         },
         "boxD "},
        {"removed", [&] { ASSERT_EQ(0, std::remove(file.c_str())); }, "boxClockHand boxClockFace "},
    };
    compile(file, "<box id=\"boxA\"/>");
    age(file, 1000000);
    EXPECT_EQ("boxA ", loaded());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.change();
        EXPECT_EQ(c.ids, loaded());
        EXPECT_EQ(c.ids, loaded());  // and again, from what was kept
    }
}

// A damaged compiled definition gives way to the XML one, leaving nothing behind.
TEST(UserControl, DamagedCompiledDefinitionFallsBackToXml)
{
    TempSkin skin(true);
    WriteText(skin / "usercontrolClock.cpage", std::string("*\x0c\0\0\0usercontrol/x", 17));
    FixtureEngine engine(skin.skins());
    TPDAUIEngineElementPage page(&engine);
    std::unique_ptr<Control> control(NewControl("usercontrol/usercontrolClock"));
    control->OnLoad(&engine, &page, nullptr, nullptr, nullptr);
    EXPECT_TRUE(engine.messageBoxes.empty());
    EXPECT_EQ(2, control->children.Count());
    EXPECT_EQ(1, (int)control->expanded);
}

TEST(UserControl, CopiesAndRecordsCarryTheExpandedFlag)
{
    FixtureEngine engine;
    TPDAUIEngineElementPage page(&engine);
    std::unique_ptr<Control> a(NewControl("usercontrol/usercontrolClock"));
    a->OnLoad(&engine, &page, nullptr, nullptr, nullptr);
    ASSERT_EQ(1, (int)a->expanded);
    Control b;
    b.CopyFrom(a.get());
    EXPECT_EQ(1, (int)b.expanded);
    a->expanded = 0;
    b.CopyFrom(a.get());
    EXPECT_EQ(0, (int)b.expanded);

    // Written and read back, an expanded control needs no definition file.
    a->expanded = 1;
    const Bytes bytes = SavedRecord(a.get());
    TempSkin empty;
    FixtureEngine bare(empty.skins());
    TPDAUIEngineElementPage barePage(&bare);
    TFicheroITVdatos in(bytes.data(), ITV_MODO_LECTURA, (uint32_t)bytes.size());
    std::unique_ptr<TPDAUIEngineElement> made(TPDAUIEngineElement::CreateFromCompiled(&bare, in));
    ASSERT_NE(nullptr, made);
    made->OnLoad(&bare, &barePage, nullptr, nullptr, &in);
    EXPECT_FALSE(in.Error());
    EXPECT_EQ(0u, in.Restantes());
    auto* loaded = dynamic_cast<Control*>(made.get());
    ASSERT_NE(nullptr, loaded);
    EXPECT_EQ(1, (int)loaded->expanded);
    EXPECT_EQ(2, loaded->children.Count());
    EXPECT_TRUE(bare.messageBoxes.empty());
}
