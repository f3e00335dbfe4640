// Page stack: open, modal, close, replies, deletion, quit.
#include <gtest/gtest.h>

#include <typeinfo>

#include "test_engine_doubles.h"

namespace {

struct Calls {
    std::vector<std::string> uiCommands;
    int quitCleanups = 0;
};

void RecordUICommand(void* user, const char* command, const char* second, int elapsed,
                     uint8_t* handled, intptr_t data)
{
    static_cast<Calls*>(user)->uiCommands.push_back(command);
}

void RecordQuitCleanup(void* user) { ++static_cast<Calls*>(user)->quitCleanups; }

class PageStackTest : public ::testing::Test {
protected:
    PageStackTest()
    {
        engine.callbacks.userData = &calls;
        engine.callbacks.uiCommand = &RecordUICommand;
    }

    TestEngine engine;
    Calls calls;
};

TEST_F(PageStackTest, OpenPushesLoadsAndSendsLoad)
{
    RecPage bottom(&engine, "pageBottom");
    RecPage top(&engine, "pageTop");
    EXPECT_EQ(0, engine.OpenPage(&bottom));
    EXPECT_EQ(0, engine.OpenPage(&top));

    ASSERT_EQ(2, engine.GetPageCount());
    EXPECT_EQ(&bottom, engine.GetPage(0));
    EXPECT_EQ(&top, engine.GetTopPage());
    EXPECT_EQ(1, top.loads);
    EXPECT_EQ(1, top.CountReceived("load"));
    EXPECT_EQ(nullptr, top.received[0].target);
    EXPECT_EQ(1, top.loaded);
    EXPECT_EQ(&engine, top.engine);

    engine.pages.RemoveAll();
}

TEST_F(PageStackTest, NullPageIsReportedAndNotPushed)
{
    static int lastError;
    lastError = 0;
    TErrorVectoresHandler old = Set_Error_Vectores_Handler([](int code) { lastError = code; });
    EXPECT_EQ(0, engine.OpenPage(nullptr));
    Set_Error_Vectores_Handler(old);
    EXPECT_EQ(16, lastError);
    EXPECT_EQ(0, engine.GetPageCount());
}

TEST_F(PageStackTest, ClosePageOfANonTopPageAnswersFalseAndChangesNothing)
{
    RecPage* bottom = new RecPage(&engine, "pageBottom");
    RecPage* top = new RecPage(&engine, "pageTop");
    engine.OpenPage(bottom);
    engine.OpenPage(top);

    EXPECT_FALSE(engine.ClosePage(bottom, true));
    ASSERT_EQ(2, engine.GetPageCount());
    EXPECT_EQ(bottom, engine.GetPage(0));
    EXPECT_EQ(top, engine.GetPage(1));

    // Two pages with the same id: still only the top page itself closes.
    top->id = bottom->id;
    EXPECT_FALSE(engine.ClosePage(bottom, true));
    EXPECT_EQ(2, engine.GetPageCount());

    EXPECT_TRUE(engine.ClosePage(top, true));
    EXPECT_TRUE(engine.ClosePage(bottom, true));
    EXPECT_EQ(0, engine.GetPageCount());
    EXPECT_FALSE(engine.ClosePage(bottom, false));  // empty stack (pointer not used)
}

TEST_F(PageStackTest, ClosePageRefusesAPageBusyWithInput)
{
    RecPage bottom(&engine, "pageBottom");
    RecPage top(&engine, "pageTop");
    engine.OpenPage(&bottom);
    engine.OpenPage(&top);
    top.busyWithInput = 1;
    EXPECT_FALSE(engine.ClosePage(&top, false));
    EXPECT_EQ(2, engine.GetPageCount());
    top.busyWithInput = 0;
    EXPECT_TRUE(engine.ClosePage(&top, false));
    engine.pages.RemoveAll();
}

TEST_F(PageStackTest, ReplyReachesNewTopPageWithClosedPageAsTargetAndItsResult)
{
    RecPage bottom(&engine, "pageBottom");
    RecPage* dialog = new RecPage(&engine, "pageDialog");
    dialog->replyCommand.name = "dialogDone";
    engine.OpenPage(&bottom);
    engine.OpenPage(dialog);

    TPDAUIEngineElement* seenTarget = nullptr;
    int seenResult = -1;
    static TPDAUIEngineElement** targetOut;
    static int* resultOut;
    targetOut = &seenTarget;
    resultOut = &seenResult;
    bottom.onCommand = [](RecPage*, TPDAUIEngineCommand& c) {
        if (c.name == "dialogDone") {
            *targetOut = c.target;  // the closed page is still alive here
            *resultOut = c.result;
        }
    };

    dialog->Close(3);
    engine.Advance(100);  // a timer pass removes the closing page

    EXPECT_EQ(1, engine.GetPageCount());
    ASSERT_EQ(1, bottom.CountReceived("dialogDone"));
    EXPECT_EQ(1, bottom.received.back().handledOnArrival);
    EXPECT_EQ(dialog, seenTarget);  // compared as an address only: it is deleted now
    EXPECT_EQ(3, seenResult);
    EXPECT_TRUE(calls.uiCommands.empty());
    engine.pages.RemoveAll();
}

TEST_F(PageStackTest, ReplyWithAGivenTargetKeepsIt)
{
    RecPage bottom(&engine, "pageBottom");
    RecPage dialog(&engine, "pageDialog");
    dialog.keepAfterClose = 1;
    dialog.replyCommand.name = "picked";
    dialog.replyCommand.target = &bottom;
    engine.OpenPage(&bottom);
    engine.OpenPage(&dialog);
    dialog.Close(1);
    engine.Advance(100);
    ASSERT_EQ(1, bottom.CountReceived("picked"));
    EXPECT_EQ(&bottom, bottom.received.back().target);
    // The page's own reply record is untouched, ready for the next showing.
    EXPECT_EQ(&bottom, dialog.replyCommand.target);
    engine.pages.RemoveAll();
}

TEST_F(PageStackTest, UnhandledReplyFallsBackToTheApplication)
{
    RecPage bottom(&engine, "pageBottom");
    bottom.unhandled.push_back("dialogDone");
    RecPage* dialog = new RecPage(&engine, "pageDialog");
    dialog->replyCommand.name = "dialogDone";
    engine.OpenPage(&bottom);
    engine.OpenPage(dialog);
    EXPECT_TRUE(engine.ClosePage(dialog, true));
    ASSERT_EQ(1u, calls.uiCommands.size());
    EXPECT_EQ("dialogDone", calls.uiCommands[0]);
    engine.pages.RemoveAll();
}

TEST_F(PageStackTest, NoReplyWhenTheStackEmptiesOrTheNameIsEmpty)
{
    RecPage* only = new RecPage(&engine, "pageOnly");
    only->replyCommand.name = "nobodyHears";
    engine.OpenPage(only);
    EXPECT_TRUE(engine.ClosePage(only, true));
    EXPECT_EQ(0, engine.GetPageCount());
    EXPECT_TRUE(calls.uiCommands.empty());

    RecPage bottom(&engine, "pageBottom");
    RecPage* silent = new RecPage(&engine, "pageSilent");
    engine.OpenPage(&bottom);
    engine.OpenPage(silent);
    const size_t before = bottom.received.size();
    EXPECT_TRUE(engine.ClosePage(silent, true));
    EXPECT_EQ(before, bottom.received.size());
    EXPECT_TRUE(calls.uiCommands.empty());
    engine.pages.RemoveAll();
}

TEST_F(PageStackTest, CloseFinishedPagesDeletesOnlyPagesTheEngineOwns)
{
    struct Case {
        const char* name;
        bool modal;
        bool keep;
        bool deleted;
    } cases[] = {
        {"plain", false, false, true},
        {"modal", true, false, false},
        {"kept", false, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecPage bottom(&engine, "pageBottom");
        bool deleted = false;
        RecPage* page = new RecPage(&engine, "pageTop");
        page->deletedFlag = &deleted;
        page->modal = c.modal;
        page->keepAfterClose = c.keep;
        engine.OpenPage(&bottom);
        engine.OpenPage(page);
        page->Close(0);
        engine.CloseFinishedPages();
        EXPECT_EQ(1, engine.GetPageCount());
        EXPECT_EQ(c.deleted, deleted);
        if (!deleted)
            delete page;
        engine.pages.RemoveAll();
    }
}

TEST_F(PageStackTest, ClosingPagesLeaveTopFirstAtTheNextTimerPass)
{
    RecPage bottom(&engine, "pageBottom");
    RecPage* a = new RecPage(&engine, "pageA");
    RecPage* b = new RecPage(&engine, "pageB");
    engine.OpenPage(&bottom);
    engine.OpenPage(a);
    engine.OpenPage(b);

    engine.CloseLastPage();
    EXPECT_EQ(1, b->closing);
    EXPECT_EQ(0, a->closing);
    EXPECT_EQ(3, engine.GetPageCount());  // only marked
    engine.ClosePagesUntilFirst();
    EXPECT_EQ(1, a->closing);
    EXPECT_EQ(0, bottom.closing);
    engine.Advance(60);
    EXPECT_EQ(1, engine.GetPageCount());
    EXPECT_EQ(&bottom, engine.GetTopPage());

    engine.CloseLastPage();  // one page: nothing
    EXPECT_EQ(0, bottom.closing);
    engine.ClosePagesUntilFirst();
    EXPECT_EQ(0, bottom.closing);
    engine.pages.RemoveAll();
}

TEST_F(PageStackTest, ShowPageModalRunsUntilThePageClosesAndLeavesItToTheCaller)
{
    RecPage bottom(&engine, "pageBottom");
    engine.OpenPage(&bottom);
    bool deleted = false;
    RecPage* modal = new RecPage(&engine, "pageModal");
    modal->deletedFlag = &deleted;
    static RecPage* toClose;
    toClose = modal;
    engine.ScriptCall(engine.Now() + 300, [](TestEngine&, void*) { toClose->Close(7); });

    EXPECT_EQ(7, engine.ShowPageModal(modal));
    EXPECT_FALSE(deleted);
    EXPECT_EQ(1, modal->modal);
    EXPECT_EQ(1, engine.GetPageCount());

    // The same page can be shown again.
    engine.ScriptCall(engine.Now() + 100, [](TestEngine&, void*) { toClose->Close(2); });
    EXPECT_EQ(2, engine.ShowPageModal(modal));
    EXPECT_EQ(2, modal->loads);
    delete modal;
    EXPECT_TRUE(deleted);
    engine.pages.RemoveAll();
}

TEST_F(PageStackTest, ShowPageModalClearsPaintSuppression)
{
    engine.paintSuppressed = 1;
    RecPage* modal = new RecPage(&engine, "pageModal");
    static RecPage* toClose;
    toClose = modal;
    engine.ScriptCall(engine.Now() + 100, [](TestEngine&, void*) { toClose->Close(1); });
    EXPECT_EQ(1, engine.ShowPageModal(modal));
    EXPECT_EQ(0, engine.paintSuppressed);
    delete modal;
}

// The property-like pages of this test show a subject; two of the same class
// with the same subject are the same view.
class SubjectEngine : public TestEngine {
protected:
    bool PageShowsSameSubject(TPDAUIEngineElementPage* older,
                              TPDAUIEngineElementPage* newer) override
    {
        RecPage* a = dynamic_cast<RecPage*>(older);
        RecPage* b = dynamic_cast<RecPage*>(newer);
        return a && b && typeid(*a) == typeid(*b) && a->subject != 0 && a->subject == b->subject;
    }
};

TEST(PageStackReplaceSame, ClosesTheOlderPageOfTheSameSubjectWithResult1)
{
    SubjectEngine engine;
    RecPage bottom(&engine, "pageMain");
    bool olderDeleted = false;
    RecPage* older = new RecPage(&engine, "pageProperties");
    older->subject = 42;
    older->deletedFlag = &olderDeleted;
    RecPage* other = new RecPage(&engine, "pageProperties");
    other->subject = 43;
    engine.OpenPage(&bottom);
    engine.OpenPage(older);
    engine.OpenPage(other);

    RecPage* newer = new RecPage(&engine, "pageProperties");
    newer->subject = 42;
    engine.OpenPage(newer, nullptr, true);
    EXPECT_EQ(1, older->closing);
    EXPECT_EQ(1, older->result);
    EXPECT_EQ(0, other->closing);

    // Without replaceSame nothing is closed.
    RecPage* again = new RecPage(&engine, "pageProperties");
    again->subject = 42;
    engine.OpenPage(again, nullptr, false);
    EXPECT_EQ(0, newer->closing);

    // The older page leaves when it reaches the top.
    engine.ClosePage(again, true);
    engine.ClosePage(newer, true);
    engine.ClosePage(other, true);
    engine.Advance(60);
    EXPECT_TRUE(olderDeleted);
    EXPECT_EQ(1, engine.GetPageCount());
    engine.pages.RemoveAll();
}

TEST_F(PageStackTest, OpenPageWithAParentEmbedsWithoutTouchingTheStack)
{
    RecPage host(&engine, "pageHost");
    engine.OpenPage(&host);
    const int hostPaints = host.paintCount;
    TPDAUIEngineElementBox frame;
    frame.OnLoad(&engine, &host, &host, nullptr, nullptr);

    RecPage* inner = new RecPage(&engine, "pageInner");  // the frame owns it from now on
    engine.OpenPage(inner, &frame);
    EXPECT_EQ(1, engine.GetPageCount());
    ASSERT_EQ(1, frame.children.Count());
    EXPECT_EQ(inner, frame.children[0]);
    EXPECT_EQ(1, inner->loads);
    EXPECT_EQ(1, inner->CountReceived("load"));
    EXPECT_EQ(1, inner->loaded);
    EXPECT_EQ(1, inner->flex);
    EXPECT_EQ(&frame, inner->parent);
    EXPECT_GT(host.paintCount, hostPaints);  // marked for layout and repainted
    engine.pages.RemoveAll();
}

TEST_F(PageStackTest, PopupMaximizedPageIsLaidOutAtOnce)
{
    RecPage page(&engine, "pageDialog");
    page.className = "popupMaximized";
    page.maximumWidth = 300;
    page.maximumHeight = 200;
    engine.OpenPage(&page);
    EXPECT_EQ(0, page.needsLayout);
    EXPECT_EQ(300, page.width);
    EXPECT_EQ(250, page.left);
    engine.pages.RemoveAll();
}

// ---- Quit -------------------------------------------------------------------------------

TEST_F(PageStackTest, QuitInsideNestedModalPagesDeletesEveryPageOnce)
{
    engine.callbacks.quitCleanup = &RecordQuitCleanup;
    RecPage bottom(&engine, "pageMain");
    engine.OpenPage(&bottom);

    static RecPage* outer;
    static RecPage* inner;
    static bool innerDeleted, outerDeleted, plainDeleted;
    innerDeleted = outerDeleted = plainDeleted = false;
    outer = new RecPage(&engine, "pageOuter");
    outer->deletedFlag = &outerDeleted;

    // Inside the outer modal loop: open a plain page, then an inner modal page,
    // and quit from inside that one.
    engine.ScriptCall(engine.Now() + 100, [](TestEngine& e, void*) {
        RecPage* plain = new RecPage(&e, "pagePlain");
        plain->deletedFlag = &plainDeleted;
        e.OpenPage(plain);
        inner = new RecPage(&e, "pageInner");
        inner->deletedFlag = &innerDeleted;
        e.ScriptCall(e.Now() + 100, [](TestEngine& e2, void*) { e2.RequestQuit(); });
        e.ShowPageModal(inner);
        delete inner;  // the caller deletes its modal page
    });
    engine.ShowPageModal(outer);
    EXPECT_TRUE(innerDeleted);
    EXPECT_TRUE(plainDeleted);   // owned by the engine
    EXPECT_FALSE(outerDeleted);  // still the caller's
    EXPECT_GE(calls.quitCleanups, 1);
    EXPECT_EQ(1, engine.GetPageCount());
    EXPECT_EQ(&bottom, engine.GetTopPage());
    delete outer;
    engine.pages.RemoveAll();
}

TEST_F(PageStackTest, QuitTimerPassLeavesModalPagesToTheirCallers)
{
    // A timer pass that runs after quit and before the modal loop notices it.
    RecPage bottom(&engine, "pageMain");
    engine.OpenPage(&bottom);
    static bool modalDeleted;
    modalDeleted = false;
    RecPage* modal = new RecPage(&engine, "pageModal");
    modal->deletedFlag = &modalDeleted;
    engine.ScriptCall(engine.Now() + 100, [](TestEngine& e, void*) {
        e.quit = 1;
        e.lastProcessTimers -= 100;
        e.ProcessTimers();  // CloseFinishedPages with quit set
    });
    engine.ShowPageModal(modal);
    EXPECT_FALSE(modalDeleted);
    EXPECT_EQ(1, engine.GetPageCount());
    delete modal;  // the one and only delete
    EXPECT_TRUE(modalDeleted);
    engine.pages.RemoveAll();
}

TEST_F(PageStackTest, QuitWithABusyPageDoesNotSpin)
{
    RecPage bottom(&engine, "pageMain");
    RecPage middle(&engine, "pageMiddle");
    RecPage top(&engine, "pageTop");
    engine.OpenPage(&bottom);
    engine.OpenPage(&middle);
    engine.OpenPage(&top);
    top.busyWithInput = 1;  // its handler is still running further up
    engine.quit = 1;
    engine.CloseFinishedPages();  // returns: the busy page refuses to go
    EXPECT_EQ(3, engine.GetPageCount());
    top.busyWithInput = 0;
    top.keepAfterClose = middle.keepAfterClose = 1;
    engine.CloseFinishedPages();
    EXPECT_EQ(1, engine.GetPageCount());
    engine.pages.RemoveAll();
}

TEST_F(PageStackTest, QuitDeliversNoRepliesAndRequestQuitIsIdempotent)
{
    RecPage bottom(&engine, "pageMain");
    RecPage* dialog = new RecPage(&engine, "pageDialog");
    dialog->replyCommand.name = "dialogDone";
    engine.OpenPage(&bottom);
    engine.OpenPage(dialog);
    engine.RequestQuit();
    EXPECT_EQ(1, engine.quit);
    const int invalidations = engine.invalidations;
    engine.RequestQuit();
    EXPECT_EQ(invalidations, engine.invalidations);
    engine.CloseFinishedPages();
    EXPECT_EQ(1, engine.GetPageCount());
    EXPECT_EQ(0, bottom.CountReceived("dialogDone"));
    EXPECT_TRUE(calls.uiCommands.empty());
    engine.pages.RemoveAll();
}

TEST_F(PageStackTest, TerminateIsObservableAndEndsModalLoops)
{
    RecPage* modal = new RecPage(&engine, "pageModal");
    engine.ScriptCall(engine.Now() + 100, [](TestEngine& e, void*) { e.Terminate(); });
    engine.ShowPageModal(modal);
    EXPECT_EQ(1, engine.terminateCalls);
    EXPECT_EQ(1, engine.quit);
    EXPECT_EQ(0, engine.GetPageCount());  // not left on the stack for its deleting caller
    delete modal;
}

} // namespace
