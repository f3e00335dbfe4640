// The initial steps page: each step kind, navigation between steps, the list
// written back to its setting.
#include "app/pages/TPageInitialSteps.h"
#include "enginelib/nav/TGeoCode.h"
#include "pages_test_app.h"

namespace {
using namespace pagestest;

class InitialStepsTest : public PagesHarness {
protected:
    InitialStepsTest()
    {
        LoadSkin();
        bottom = new RecordingPage(&engine, "pageMain");
        kept.push_back(bottom);
        engine.OpenPage(bottom);
    }

    TConfig& config() { return *app.engine.config; }

    // Opens the page over the bottom page with the reply the main page gives it.
    TPageInitialSteps* Run(const char* steps)
    {
        config().initialSteps = steps;
        page = new TPageInitialSteps(&app, config().initialSteps.GetValor());
        page->replyCommand = TPDAUIEngineCommand(page, "showPageInitialStepsEnd");
        engine.OpenPage(page);
        return page;
    }
    // Lets the engine take closed pages away and deliver their replies.
    void Settle() { engine.Advance(200); }
    bool Finished() { return bottom->Received("showPageInitialStepsEnd") && engine.GetPageCount() == 1; }
    std::string Setting() { return config().initialSteps.GetValor().c_str(); }

    RecordingPage* bottom = nullptr;
    TPageInitialSteps* page = nullptr;  // the engine's once it closes
};

TEST_F(InitialStepsTest, StepsThatAdvanceAtOnceRunInOrderAndTheListIsWrittenBack)
{
    Run("stepWaitForDefaultData,unknownStep:7,stepShowVideo:\\Storage\\intro.avi,stepShowSplash");
    EXPECT_FALSE(page->visible);  // the page itself never shows
    EXPECT_EQ(1, page->result);
    Settle();
    EXPECT_TRUE(Finished());
    EXPECT_TRUE(Called("wait for remote data"));
    EXPECT_TRUE(Called("attachment \\Storage\\intro.avi"));
    EXPECT_TRUE(Logged("TPageHelpAbout is not available"));  // answered as cancelled
    EXPECT_EQ("stepWaitForDefaultData,unknownStep:7,stepShowVideo:\\Storage\\intro.avi,stepShowSplash", Setting());
    EXPECT_EQ(1, bottom->results.back());
}

TEST_F(InitialStepsTest, UnhandledEntriesEndTheSequenceAtOnceUnchanged)
{
    Run("foo,bar:baz");
    Settle();
    EXPECT_TRUE(Finished());
    EXPECT_EQ("foo,bar:baz", Setting());
    EXPECT_TRUE(app.executed.empty());
    EXPECT_TRUE(app.boxes.empty());
}

TEST_F(InitialStepsTest, EntriesNamingNavigationCommandsAreNoSteps)
{
    // Run as commands they would call themselves without end.
    Run("previousStep,nextStep,gotoStep:previousStep,gotoStep:gotoStep:x,stepWaitForDefaultData");
    Settle();
    EXPECT_TRUE(Finished());
    EXPECT_EQ(1, CountCalls("wait for remote data"));
    EXPECT_EQ("previousStep,nextStep,gotoStep:previousStep,gotoStep:gotoStep:x,stepWaitForDefaultData", Setting());
}

TEST_F(InitialStepsTest, ManyUnhandledEntriesRunInALoop)
{
    std::string steps;
    for (int i = 0; i < 20000; ++i)
        steps += (i ? ",x" : "x") + std::to_string(i);
    Run(steps.c_str());
    Settle();
    EXPECT_TRUE(Finished());
    EXPECT_EQ(steps, Setting());
}

TEST_F(InitialStepsTest, CommandsAfterTheEndChangeNothing)
{
    Run("a,stepShowVideo:");
    ASSERT_TRUE(page->closing);
    const int step = page->currentStep;
    for (const char* name : {"previousStep", "nextStep", "gotoStep:a", "stepShowPageIdioma:first",
                             "stepShowPageIdiomaEnd:first", "stepShowVideo:x"}) {
        TPDAUIEngineCommand late(page, name);
        page->OnCommand(late);
        EXPECT_EQ(step, page->currentStep) << name;
        EXPECT_EQ(0, late.handled) << name;
    }
    EXPECT_EQ("a", std::string(page->steps[0].c_str()));
    EXPECT_EQ("stepShowVideo:", std::string(page->steps[1].c_str()));
    Settle();
    EXPECT_TRUE(Finished());
    EXPECT_EQ("a,stepShowVideo:", Setting());
    EXPECT_FALSE(Called("attachment x"));
}

TEST_F(InitialStepsTest, TheConstructorNotesWhetherTheContinueQuestionIsAmongTheSteps)
{
    TPageInitialSteps with(&app, "a,stepShowContinueOrNewNavigation");
    EXPECT_TRUE(config().continueOrNewNavigation.GetValor());
    TPageInitialSteps without(&app, "a,stepShowPageIdioma:first");
    EXPECT_FALSE(config().continueOrNewNavigation.GetValor());
    EXPECT_EQ(2, without.steps.Count());
    EXPECT_EQ(-1, without.currentStep);
}

TEST_F(InitialStepsTest, LanguageStepModes)
{
    struct Case {
        const char* steps;
        const char* written;
        bool pageAsked;
    };
    const Case cases[] = {
        {"stepShowPageIdioma:first,stepX", "stepShowPageIdioma:never,stepX", true},
        {"stepShowPageIdioma:never", "stepShowPageIdioma:never", false},
        {"stepShowPageIdioma:always", "stepShowPageIdioma:always", true},
    };
    for (const Case& c : cases) {
        app.engine.recorder.log.clear();
        config().languageId = 3;
        config().languageIdPrevious = 0;
        Run(c.steps);
        Settle();
        EXPECT_TRUE(Finished()) << c.steps;
        EXPECT_EQ(c.written, Setting()) << c.steps;
        EXPECT_EQ(c.pageAsked, Logged("TPageChooseLanguage is not available")) << c.steps;
        EXPECT_EQ(std::string(c.steps) == "stepShowPageIdioma:always" ? 3 : 0,
                  config().languageIdPrevious.GetValor())
            << c.steps;
        bottom->received.clear();
    }
}

TEST_F(InitialStepsTest, CategoryFilterAndNavigationRunTheirCommands)
{
    config().lastDestination = "N>\\Storage\\Routes\\trip.gpx>3";
    config().secondDestination = "";
    Run("stepShowSelectCategoriesFilter,stepNavigateTo:previous,stepNavigateTo:second");
    Settle();
    EXPECT_TRUE(Finished());
    ASSERT_EQ(2u, app.executed.size());
    EXPECT_EQ(561, app.executed[0].id);
    EXPECT_EQ("catfilters", app.executed[0].text);
    EXPECT_EQ(-1, app.executed[0].value);
    EXPECT_EQ("stepShowSelectCategoriesFilterEnd", app.executed[0].reply);
    EXPECT_EQ(2480, app.executed[1].id);
    EXPECT_EQ("N>\\Storage\\Routes\\trip.gpx>3", app.executed[1].text);
    EXPECT_EQ("stepNavigateToEnd", app.executed[1].reply);
    // An empty second destination runs nothing.
}

TEST_F(InitialStepsTest, ACommandThatNeverAnswersIsTakenAsRefused)
{
    app.answerCommands = false;  // no reply, no page opened
    Run("stepShowSelectCategoriesFilter,stepWaitForDefaultData");
    Settle();
    EXPECT_TRUE(Finished());
    EXPECT_TRUE(Called("wait for remote data"));
}

TEST_F(InitialStepsTest, APageOpenedForAStepThatClosesWithoutAnsweringIsTakenAsRefused)
{
    app.answerCommands = false;
    RecordingPage* opened = nullptr;
    app.makeCommandPage = [&] { return opened = new RecordingPage(&engine); };
    Run("stepShowSelectCategoriesFilter,stepWaitForDefaultData");
    engine.Advance(1000);
    EXPECT_FALSE(Finished());  // waits while the page is up
    EXPECT_FALSE(Called("wait for remote data"));
    ASSERT_TRUE(opened);
    opened->Close(1);  // no reply of its own
    engine.Advance(500);
    EXPECT_TRUE(Finished());
    EXPECT_TRUE(Called("wait for remote data"));
    app.makeCommandPage = nullptr;
}

TEST_F(InitialStepsTest, ContinueQuestionAcceptedNavigatesDeclinedClearsTheDestination)
{
    TGeoCode place;
    place.name = "Old mill";
    app.engine.lastGeocoded = new TGeoCode(place);
    for (bool accept : {true, false}) {
        config().lastDestination = "#HISTORIC";
        app.boxes.clear();
        app.executed.clear();
        RecordingPage* box = nullptr;
        app.makeBoxPage = [&] { return box = new RecordingPage(&engine); };
        Run("stepShowContinueOrNewNavigation,stepNavigateTo:previous,stepWaitForDefaultData");
        ASSERT_EQ(1u, app.boxes.size());
        EXPECT_EQ("Continue navigation to Old mill?", app.boxes[0].text);
        EXPECT_EQ("", app.boxes[0].caption);
        EXPECT_EQ(4097, app.boxes[0].flags);
        EXPECT_EQ("stepShowContinueOrNewNavigationEnd", app.boxes[0].closeCommand);
        EXPECT_FALSE(Finished());  // waits for the box
        ASSERT_TRUE(box);
        box->Close(accept ? 1 : 0);
        Settle();
        EXPECT_TRUE(Finished()) << accept;
        if (accept) {
            // gotoStep jumps to the navigation step, which runs once, then on.
            ASSERT_EQ(1u, app.executed.size());
            EXPECT_EQ(2480, app.executed[0].id);
            EXPECT_EQ("#HISTORIC", app.executed[0].text);
            EXPECT_EQ("#HISTORIC", std::string(config().lastDestination.c_str()));
        } else {
            EXPECT_TRUE(config().lastDestination.GetValor().IsEmpty());
            EXPECT_TRUE(app.executed.empty());  // "previous" is empty now
        }
        bottom->received.clear();
    }
    app.makeBoxPage = nullptr;
}

TEST_F(InitialStepsTest, NoLastDestinationAsksNothing)
{
    config().lastDestination = "";
    Run("stepShowContinueOrNewNavigation");
    Settle();
    EXPECT_TRUE(Finished());
    EXPECT_TRUE(app.boxes.empty());
}

// While the continue question waits, the page is sent navigation commands.
class InitialStepsNavigationTest : public InitialStepsTest {
protected:
    void Start(const char* steps)
    {
        config().lastDestination = "W>\\Storage\\home.gpx";
        app.makeBoxPage = [&] { return new RecordingPage(&engine); };
        Run(steps);
    }
    void Send(const char* name)
    {
        TPDAUIEngineCommand command(page, name);
        page->OnCommand(command);
    }
    int Attachments(const char* file) { return CountCalls(std::string("attachment ") + file); }
};

TEST_F(InitialStepsNavigationTest, PreviousStepStaysInTheListWhenAVideoComesFirst)
{
    Start("stepShowVideo:intro.avi,stepShowContinueOrNewNavigation");
    EXPECT_EQ(1, page->currentStep);
    EXPECT_EQ(1, Attachments("intro.avi"));
    Send("previousStep");  // back to the video at 0, which plays and moves on
    EXPECT_EQ(2, Attachments("intro.avi"));
    EXPECT_EQ(1, page->currentStep);
    EXPECT_EQ(2u, app.boxes.size());
}

TEST_F(InitialStepsNavigationTest, PreviousStepSkipsBackOverAVideo)
{
    Start("stepWaitForDefaultData,stepShowVideo:clip.avi,stepShowContinueOrNewNavigation");
    EXPECT_EQ(2, page->currentStep);
    Send("previousStep");  // 1 is a video: 0 runs, then 1 and 2 again
    EXPECT_EQ(2, CountCalls("wait for remote data"));
    EXPECT_EQ(2, Attachments("clip.avi"));
    EXPECT_EQ(2, page->currentStep);
}

TEST_F(InitialStepsNavigationTest, PreviousStepOntoAnUnhandledEntryEndsTheSequence)
{
    Start("somethingElse,stepShowContinueOrNewNavigation,stepWaitForDefaultData");
    EXPECT_EQ(1, page->currentStep);
    Send("previousStep");
    EXPECT_TRUE(page->closing);
    EXPECT_FALSE(Called("wait for remote data"));
}

TEST_F(InitialStepsNavigationTest, GotoStepMovesToTheNamedEntryOrRunsTheTextAnyway)
{
    Start("stepShowContinueOrNewNavigation,stepWaitForDefaultData,stepShowVideo:a.avi,stepX");
    EXPECT_EQ(0, page->currentStep);
    // An entry of that name: it becomes current, runs, and the list goes on from it.
    Send("gotoStep:stepShowVideo:b.avi");
    EXPECT_EQ(1, Attachments("b.avi"));
    EXPECT_EQ(0, Attachments("a.avi"));
    EXPECT_TRUE(page->closing);  // stepX is unhandled, then the end
    EXPECT_FALSE(Called("wait for remote data"));
}

TEST_F(InitialStepsNavigationTest, GotoStepWithAnUnknownNameRunsTheStepInPlace)
{
    Start("stepShowContinueOrNewNavigation,stepWaitForDefaultData");
    Send("gotoStep:stepShowVideo:c.avi");  // no entry of that name
    EXPECT_EQ(1, Attachments("c.avi"));
    // The index stayed at 0, so the video's "nextStep" runs entry 1.
    EXPECT_EQ(1, CountCalls("wait for remote data"));
}

TEST(InitialStepsTexts, PlaceNames)
{
    struct Case {
        const char* destination;
        const char* name;
    };
    const Case cases[] = {
        {"N>\\Storage\\Routes\\trip.gpx>12", "trip.gpx"},
        {"W>T>R>/home/user/track.kml", "track.kml"},
        {"plain.gpx", "plain.gpx"},
        {"\\Folder\\", ""},
        {">", ""},
        {"", ""},
        {"#HISTORIC", ""},  // no place geocoded yet
    };
    for (const Case& c : cases)
        EXPECT_STREQ(c.name, TPageInitialSteps::PlaceName(nullptr, c.destination).c_str()) << c.destination;
}

TEST(InitialStepsTexts, OnlyTheFirstPercentSIsReplaced)
{
    struct Case {
        const char* format;
        const char* out;
    };
    const Case cases[] = {
        {"Continue navigation to %s?", "Continue navigation to X?"},
        {"%s and %s %n %d", "X and %s %n %d"},
        {"no argument", "no argument"},
        {"100%% %s", "100%% X"},
        {"%", "%"},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_STREQ(c.out, TPageInitialSteps::FormatOne(c.format, "X").c_str()) << c.format;
}

} // namespace
