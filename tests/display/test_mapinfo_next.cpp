// The next-manoeuvre control: the text or signpost it shows along the drive,
// its more and less lines, and the attachments button.
#include "display/usercontrols/TUserControlMapInfoNext.h"
#include "display/usercontrols/TUserControlSignpost.h"
#include "enginelib/nav/TBaliza.h"
#include "test_mapinfo_fixture.h"

namespace {
using namespace mapinfotest;
using Next = TUserControlMapInfoNext;

const char kLongText[] =
    ":At the end of the road turn left, then keep right at the fork and follow the signs for the harbour";

class MapInfoNextTest : public MapInfoTest {
protected:
    Next* OpenNext(int width = 400, const char* extra = "")
    {
        Next* next = Open<Next>("usercontrolMapInfoNext", 10, 10, width, 120, extra);
        EXPECT_NE(next, nullptr);
        if (next) {
            EXPECT_NE(next->lblText, nullptr);
            EXPECT_NE(next->usercontrolSignpost, nullptr);
            EXPECT_NE(next->imbMore, nullptr);
            EXPECT_NE(next->btnShowAttachments, nullptr);
        }
        return next;
    }
    void Tap(Next* next)
    {
        unsigned char handled = 0;
        next->OnMouseUp(5, 5, 0, &handled);
    }
    bool Logged(const std::string& part)
    {
        for (const std::string& l : app.engine.recorder.log)
            if (l.find(part) != std::string::npos)
                return true;
        return false;
    }
};

TEST_F(MapInfoNextTest, ShowsTheInstructionWithoutItsColonOrTheSignpostAlongTheDrive)
{
    Next* next = OpenNext();
    ASSERT_NE(next, nullptr);

    Force(318, "");
    Force(308, "Towards Springvale");
    NextSecond();
    app.engine.fields.forced.clear();
    AtEvent("A.M3", -300);
    NextSecond();
    EXPECT_EQ(next->mode, Next::ModeNextManoeuvre);
    EXPECT_FALSE(next->lblText->visible);
    EXPECT_TRUE(next->usercontrolSignpost->visible);
    EXPECT_EQ(next->usercontrolSignpost->label, "[M7] Springvale\nCobble Hill");
    // Coming from another mode: as many signpost lines as configured.
    EXPECT_GE(next->neededLines, 2);
    EXPECT_EQ(next->shownLines, 2);
    EXPECT_EQ(next->usercontrolSignpost->lineCount, 2);

    AtEvent("A.M4", -100);
    NextSecond();
    EXPECT_EQ(next->mode, Next::ModeNextManoeuvre);
    EXPECT_TRUE(next->lblText->visible);
    EXPECT_FALSE(next->usercontrolSignpost->visible);
    EXPECT_EQ(next->lblText->label, "Merge onto M7");
    EXPECT_EQ(next->shownLines, 1);

    // Still in the same mode, the next signpost keeps the one line shown and
    // offers more.
    AtEvent("A.M5", -300);
    NextSecond();
    EXPECT_TRUE(next->usercontrolSignpost->visible);
    EXPECT_EQ(next->shownLines, 1);
    EXPECT_EQ(next->usercontrolSignpost->lineCount, 1);
    EXPECT_TRUE(next->imbMore->visible);
}

TEST_F(MapInfoNextTest, FallsBackToTheFieldTextThenToNothing)
{
    Next* next = OpenNext();
    ASSERT_NE(next, nullptr);
    Force(318, "");
    Force(308, "Towards Springvale");
    NextSecond();
    EXPECT_EQ(next->mode, Next::ModeFieldText);
    EXPECT_EQ(next->lblText->label, "Towards Springvale");
    EXPECT_TRUE(next->lblText->visible);
    EXPECT_FALSE(next->imbMore->visible);

    Force(308, "");
    NextSecond();
    EXPECT_EQ(next->mode, Next::ModeEmpty);
    EXPECT_TRUE(next->lblText->visible);
    EXPECT_TRUE(next->lblText->label.IsEmpty());
    EXPECT_FALSE(next->usercontrolSignpost->visible);
    EXPECT_FALSE(next->btnShowAttachments->visible);
    EXPECT_EQ(next->shownLines, 1);
    EXPECT_EQ(next->neededLines, 1);
}

TEST_F(MapInfoNextTest, ReadsItsFieldsAtMostOnceASecond)
{
    Next* next = OpenNext();
    ASSERT_NE(next, nullptr);
    Force(318, ":First");
    NextSecond();
    EXPECT_EQ(next->lblText->label, "First");
    Force(318, ":Second");
    app.ui->Advance(500);
    app.ui->Frame();
    EXPECT_EQ(next->lblText->label, "First");
    NextSecond();
    EXPECT_EQ(next->lblText->label, "Second");
}

TEST_F(MapInfoNextTest, AColonAloneNeedsOneLine)
{
    Next* next = OpenNext();
    ASSERT_NE(next, nullptr);
    Force(318, ":");
    NextSecond();
    EXPECT_EQ(next->mode, Next::ModeNextManoeuvre);
    EXPECT_TRUE(next->lblText->label.IsEmpty());
    EXPECT_EQ(next->neededLines, 1);
    EXPECT_EQ(next->shownLines, 1);
}

TEST_F(MapInfoNextTest, ALongInstructionShowsTheLineLimitThenCollapsesAndComesBack)
{
    Next* next = OpenNext(200);
    ASSERT_NE(next, nullptr);
    Force(318, kLongText);
    NextSecond();
    ASSERT_GT(next->neededLines, 2);
    EXPECT_EQ(next->lineLimit, 2);
    EXPECT_EQ(next->shownLines, 2);
    EXPECT_TRUE(next->imbMore->visible);
    EXPECT_TRUE(next->boxMoreLess->visible);

    // At the limit the full text would go to the text viewer, which is not
    // built: a log line, and the control collapses.
    Tap(next);
    EXPECT_TRUE(Logged("TPageTextViewer (text) is not available"));
    EXPECT_EQ(next->shownLines, 1);
    NextSecond();
    EXPECT_EQ(next->shownLines, 1);

    Tap(next);
    EXPECT_EQ(next->shownLines, 2);
    EXPECT_TRUE(next->expanded);
}

TEST_F(MapInfoNextTest, ALongFieldTextExpandsToTwoLinesAndBack)
{
    Next* next = OpenNext(200);
    ASSERT_NE(next, nullptr);
    Force(318, "");
    Force(308, "");
    NextSecond();
    Force(308, "Towards the harbour, the ferry terminal and the old town centre");
    NextSecond();
    EXPECT_EQ(next->neededLines, 2);
    EXPECT_EQ(next->shownLines, 1);
    EXPECT_TRUE(next->imbMore->visible);
    Tap(next);
    EXPECT_EQ(next->shownLines, 2);
    EXPECT_FALSE(next->imbMore->visible);
    NextSecond();
    EXPECT_EQ(next->shownLines, 2);
    Tap(next);
    EXPECT_EQ(next->shownLines, 1);
}

TEST_F(MapInfoNextTest, ASingleLineControlNeverOffersMoreAndIgnoresTaps)
{
    auto* next = new Next(&app);
    next->singleLine = true;
    app.ui->OpenPage(page = new XmlPage(app.ui, "<page id=\"pageMapInfoTest\" layout=\"Absolute\"/>"));
    next->left = 10, next->top = 10, next->width = 200, next->height = 60;
    page->AddChild(next, nullptr, nullptr);
    next->SetBounds(10, 10, 200, 60);
    ASSERT_NE(next->lblText, nullptr);
    EXPECT_EQ(next->backgrounds[TPDAUIEngineElement::StateNormal].kind, TPDAUIEngineStyleBackground::KindNone);
    Force(318, kLongText);
    NextSecond();
    EXPECT_EQ(next->shownLines, next->neededLines);
    EXPECT_FALSE(next->imbMore->visible);
    const int shown = next->shownLines;
    Tap(next);
    EXPECT_EQ(next->shownLines, shown);
}

TEST_F(MapInfoNextTest, OffersTheJunctionPicturesBeforeTheExitUnlessHidden)
{
    Next* next = OpenNext();
    ASSERT_NE(next, nullptr);
    AtEvent("A.M5", -300);
    NextSecond();
    EXPECT_EQ(next->usercontrolSignpost->label, "<14> Springvale\n[B12] Harbour");
    EXPECT_TRUE(next->btnShowAttachments->visible);

    app.engine.recorder.calls.clear();
    TPDAUIEngineCommand command(next->btnShowAttachments, "showAttachments");
    next->btnShowAttachments->OnCommand(command);
    EXPECT_EQ(app.engine.visor->current, app.engine.junctionView);
    EXPECT_TRUE(app.Called("command 150 -2"));

    Config().hideAttachments = true;
    NextSecond();
    EXPECT_FALSE(next->btnShowAttachments->visible);

    AtEvent("A.M1", -100);
    Config().hideAttachments = false;
    NextSecond();
    EXPECT_FALSE(next->btnShowAttachments->visible);
}

TEST_F(MapInfoNextTest, AnObjectWithoutAttachmentsOffersNothing)
{
    Next* next = OpenNext();
    ASSERT_NE(next, nullptr);
    TBaliza plain("Bridge", TDemoRoute::Point{0, 0}, false);
    Force(318, ":Go on");
    Force(380, "Bridge", 0, &plain);
    NextSecond();
    EXPECT_FALSE(next->btnShowAttachments->visible);
    app.engine.recorder.calls.clear();
    TPDAUIEngineCommand command(next, "showAttachments");
    next->OnCommand(command);
    EXPECT_FALSE(app.Called("command 150 -2"));
}

TEST_F(MapInfoNextTest, TheSignpostAsksRoomForItsLineCount)
{
    auto* signpost = Open<TUserControlSignpost>("usercontrolSignpost", 0, 0, 300, 100);
    ASSERT_NE(signpost, nullptr);
    EXPECT_EQ(signpost->padding.inner, 2);
    signpost->lineCount = 1;
    const int one = signpost->GetMinimumHeight(300);
    signpost->lineCount = 3;
    const int three = signpost->GetMinimumHeight(300);
    EXPECT_GT(three, one);
    const int line = app.ui->GetTextExtent(signpost->font, "*\n", 300, 16).cy;
    EXPECT_GE(three - one, line);
    signpost->lineCount = -5;  // no room below nothing
    EXPECT_GE(signpost->GetMinimumHeight(300), 0);
}

} // namespace
