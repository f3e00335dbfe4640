// The message box page on the headless engine with the default skin: what each
// type shows, the buttons and keys, the countdown, the answers it gives.
#include "app/exec_test_app.h"
#include "support/GoldenImage.h"

namespace {
using namespace exectest;

class MessageBoxTest : public ::testing::Test {
protected:
    MessageBoxTest()
    {
        app.ui->OpenPage(&main);
        app.engine.recorder.endAnswers.clear();
    }
    ~MessageBoxTest() override { app.ui->pages.RemoveAllEqual(&main); }

    TPageMessageBox* Open(int type, int seconds, const char* message = "Message", const char* title = "Title")
    {
        TPageMessageBox* box = new TPageMessageBox(&app, seconds);
        box->type = type;
        box->message = message;
        box->title = title;
        app.ui->OpenPage(box);
        app.ui->Advance(100);
        return box;
    }
    static bool Shown(TPDAUIEngineElement* e) { return e && e->visible; }
    void Tap(TPDAUIEngineElement* e)
    {
        const TRectIG r = e->GetScreenRect();
        app.ui->Tap((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        app.ui->Advance(100);
    }

    ExecApp app;
    RecMain main{&app};
};

TEST_F(MessageBoxTest, TypesShowTheirIconButtonsAndSeconds)
{
    struct Case {
        int type;
        int seconds;
        const char* icon;
        bool yes, no, cancel, secondsLabel;
    };
    const Case cases[] = {
        {0, 0, "commonInformation", true, false, false, false},
        {0, 3, "commonInformation", false, false, false, false},
        {0, 5, "commonInformation", false, false, false, true},
        {0, 10, "commonInformation", true, false, false, true},
        {1, 0, "commonWarning", true, false, false, false},
        {2, 0, "commonError", true, false, false, false},
        {2, 4, "commonError", true, false, false, true},
        {3, 0, "commonQuestion", true, true, false, false},
        {4, 0, "commonQuestion", true, true, true, false},
        {5, 0, "commonQuestion", true, true, false, false},
        {6, 0, "commonInformation", false, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.type) + " with " + std::to_string(c.seconds) + " s");
        TPageMessageBox* box = Open(c.type, c.seconds);
        EXPECT_STREQ(c.icon, box->imgIcon->imageName.c_str());
        EXPECT_NE(nullptr, box->imgIcon->image);
        EXPECT_EQ(c.yes, Shown(box->btnYes));
        EXPECT_EQ(c.no, Shown(box->btnNo));
        EXPECT_EQ(c.cancel, Shown(box->btnCancel));
        EXPECT_EQ(c.secondsLabel, Shown(box->lblSeconds));
        EXPECT_FALSE(Shown(box->lblSubText));
        EXPECT_STREQ("Message", box->lblText->label.c_str());
        EXPECT_STREQ("Title", box->lblTitle->label.c_str());
        app.ui->ClosePagesUntilFirst();
        app.ui->Advance(100);
        ASSERT_EQ(1, app.ui->GetPageCount());
    }
}

TEST_F(MessageBoxTest, EmptyTitleShowsTheProgramTitleAndUnknownTypesOnlyTheText)
{
    TPageMessageBox* box = Open(3, 0, "Question?", "");
    EXPECT_STREQ("Orbeta", box->lblTitle->label.c_str());
    app.ui->ClosePagesUntilFirst();
    app.ui->Advance(100);
    box = Open(9, 0, "Odd");
    EXPECT_STREQ("Odd", box->lblText->label.c_str());
    EXPECT_TRUE(box->lblTitle->label.IsEmpty());
}

TEST_F(MessageBoxTest, ButtonsAnswerAndClose)
{
    struct Case {
        int type;
        const char* button;
        int answer;
        int closeResult;
    };
    const Case cases[] = {
        {0, "btnYes", 6, 1}, {1, "btnYes", 6, 0}, {2, "btnYes", 6, 1}, {3, "btnYes", 6, 1},
        {4, "btnYes", 6, 1}, {3, "btnNo", 7, 0},  {4, "btnNo", 7, 0},  {4, "btnCancel", 2, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.type) + " " + c.button);
        static int notified;
        notified = 0;
        TPageMessageBox* box = Open(c.type, 0);
        box->replyCommand.name = "boxEnd";
        box->callback.fn = [](TCallbackLumor* r) { notified = (int)r->code; };
        main.got.clear();
        Tap(box->FindElement(c.button, false));
        EXPECT_EQ(1, app.ui->GetPageCount());
        EXPECT_EQ(c.answer, notified);
        ASSERT_FALSE(main.got.empty());
        EXPECT_EQ("boxEnd", main.got.back());
        EXPECT_EQ(c.closeResult, main.results.back());
    }
    // Executor boxes never answer a library request.
    EXPECT_TRUE(app.engine.recorder.endAnswers.empty());
}

TEST_F(MessageBoxTest, YesRunsTheCommandNumberAndPassesTheYesCommand)
{
    TPageMessageBox* box = Open(3, 0);
    box->commandNumber = 2540;
    box->yesCommand = "LumorEngCommand:2522";
    box->yesArgument = "x";
    main.declines = true;
    Tap(box->btnYes);
    // The page beneath did not take the yes command: the application ran it.
    EXPECT_EQ((std::vector<std::string>{"2522 x", "2540"}), app.executed);
    EXPECT_EQ(std::vector<std::string>{"LumorEngCommand:2522"}, main.got);
}

TEST_F(MessageBoxTest, EscapeCancelsAndPassesTheCancelCommandEvenEmpty)
{
    static int notified;
    notified = 0;
    TPageMessageBox* box = Open(3, 0);
    box->callback.fn = [](TCallbackLumor* r) { notified = (int)r->code; };
    app.ui->Key(27);
    app.ui->Advance(100);
    EXPECT_EQ(1, app.ui->GetPageCount());
    EXPECT_EQ(2, notified);
    EXPECT_EQ(std::vector<std::string>{""}, main.got);
}

TEST_F(MessageBoxTest, QuitQuestionYesWaitsForTheSavePageAndNeverAnswersTheLibrary)
{
    static int notified;
    notified = 0;
    TPageMessageBox* box = Open(5, 0, "Quit?");
    box->SetRequestFlags(0x1004);
    box->type = TPageMessageBox::TypeQuit;
    box->callback.fn = [](TCallbackLumor* r) { notified = (int)r->code; };
    Tap(box->btnYes);
    // The save page is not part of the program yet: it answers as cancelled and
    // the box closes accepted with its yes answer.
    EXPECT_TRUE(app.Logged("pageInputSaveFiles is not available"));
    EXPECT_EQ(6, notified);
    EXPECT_EQ(1, app.ui->GetPageCount());

    box = Open(5, 0, "Quit?");
    box->SetRequestFlags(0x1004);
    box->type = TPageMessageBox::TypeQuit;
    app.ui->Key(27);
    app.ui->Advance(100);
    EXPECT_EQ(1, app.ui->GetPageCount());
    EXPECT_TRUE(app.engine.recorder.endAnswers.empty());
}

TEST_F(MessageBoxTest, ShortCountdownAnswersTwoByItself)
{
    static int notified;
    notified = 0;
    TPageMessageBox* box = Open(0, 3);
    box->cancelCommand = "LumorEngCommand:2541";
    box->replyCommand.name = "boxEnd";
    box->callback.fn = [](TCallbackLumor* r) { notified = (int)r->code; };
    main.declines = true;
    app.ui->Advance(1950);
    EXPECT_EQ(2, app.ui->GetPageCount());
    EXPECT_TRUE(box->lblSeconds->label.IsEmpty());  // three seconds or less show no time
    app.ui->Advance(1200);
    EXPECT_EQ(1, app.ui->GetPageCount());
    EXPECT_EQ(std::vector<std::string>{"2541"}, app.executed);
    EXPECT_EQ((std::vector<std::string>{"LumorEngCommand:2541", "boxEnd"}), main.got);
    EXPECT_EQ(0, notified);  // a time-out does not notify the callback record
}

TEST_F(MessageBoxTest, LongCountdownShowsTheTimeLeft)
{
    TPageMessageBox* box = Open(0, 90);
    EXPECT_TRUE(Shown(box->btnYes));
    const auto until = [&](int left) {
        for (int i = 0; i < 2000 && box->secondsLeft > left; ++i)
            app.ui->Advance(50);
        EXPECT_EQ(left, box->secondsLeft);
    };
    until(89);
    EXPECT_STREQ("0:01:29", box->lblSeconds->label.c_str());
    until(61);
    EXPECT_STREQ("0:01:01", box->lblSeconds->label.c_str());
    until(60);
    EXPECT_STREQ("1:00", box->lblSeconds->label.c_str());
    until(1);
    EXPECT_STREQ("0:01", box->lblSeconds->label.c_str());
    app.ui->Advance(1200);
    EXPECT_EQ(1, app.ui->GetPageCount());
}

TEST_F(MessageBoxTest, LibraryRequestCancelledAnswersOnce)
{
    TPageMessageBox* box = Open(0, 0);
    box->SetRequestFlags(0x1003);
    EXPECT_EQ(TPageMessageBox::TypeYesNoCancel, box->type);
    app.engine.recorder.Open(enginelib::Recorder::ReqMessageBox, nullptr, nullptr);
    box->replyCommand.name = "boxEnd";
    app.ui->Key(27);
    app.ui->Advance(100);
    ASSERT_FALSE(main.results.empty());
    EXPECT_EQ(0, main.results.back());
    EXPECT_EQ((std::vector<std::string>{"EndMessageBox 2: answer"}), app.engine.recorder.endAnswers);
}

TEST_F(MessageBoxTest, Picture)
{
    TPageMessageBox* box = Open(3, 0, "No home place is set. Set it now?", "Orbeta");
    (void)box;
    EXPECT_TRUE(golden::Matches(app.ui->Frame(), "pages/message_box_question", 8, 40));
    app.ui->ClosePagesUntilFirst();
    app.ui->Advance(100);
    Open(4, 10, "External power removed. The program will close.", "");
    app.ui->Advance(2000);
    EXPECT_TRUE(golden::Matches(app.ui->Frame(), "pages/message_box_countdown", 8, 40));
}

} // namespace
