// The splash page: its timer drives the application's second start-up stage on
// the headless engine's virtual clock; the start-up picture and its size.
#include <unistd.h>

#include <fstream>

#include "app/pages/TPageSplash.h"
#include "enginelib/draw/TDibIG.h"
#include "enginelib/draw/TDibIGformat.h"
#include "enginelib/nav/TValCampo.h"
#include "pages_test_app.h"
#include "uiengine/controls/TPDAUIEngineElementLabel.h"

namespace {
using namespace pagestest;

class SplashTest : public PagesHarness {
protected:
    TPageSplash* NewSplash()
    {
        auto* splash = new TPageSplash(&app);
        kept.push_back(splash);
        return splash;
    }
    // The library's battery field: below zero on external power.
    void Battery(double value)
    {
        TValCampo v;
        v.valor = value;
        app.engine.fields.forced[98] = v;
    }
    int AutoOpenCalls()
    {
        int n = 0;
        for (const std::string& call : app.engine.recorder.calls)
            n += call.rfind("auto open 1 ", 0) == 0;
        return n;
    }
};

TEST_F(SplashTest, FirstTickRunsInitEngineTheSecondClosesWithOne)
{
    LoadSkin();
    app.commandLine = "/skin default";
    app.autoOpenText = "\\Storage\\a.gpx";
    TPageSplash* splash = NewSplash();
    const int opened = engine.Now();
    int startedAt = -1;
    std::string version;
    app.duringInitEngine = [&] {
        startedAt = engine.Now();
        ASSERT_TRUE(splash->lblVersion && splash->lblStatus && splash->boxImage);
        version = splash->lblVersion->label.c_str();
    };

    EXPECT_EQ(1, engine.ShowPageModal(splash));
    EXPECT_EQ(1, app.initEngineCalls);
    EXPECT_GE(startedAt - opened, 100);  // the 100 ms page timer
    EXPECT_LT(startedAt - opened, 250);
    EXPECT_EQ(TPageSplash::StateDone, splash->startupState);
    EXPECT_FALSE(engine.quit);
    EXPECT_TRUE(Called("auto open 1 [/skin default] 800x480 [\\Storage\\a.gpx]"));
    EXPECT_EQ("v. " + std::string(app.version.c_str()), version);
    // Closed and detached: nothing points into the tree that went.
    EXPECT_EQ(nullptr, splash->lblVersion);
    EXPECT_EQ(nullptr, splash->boxImage);
    EXPECT_EQ(100, splash->timerInterval);

    splash->OnTimer(100, engine.Now());  // a late tick does nothing more
    EXPECT_EQ(1, app.initEngineCalls);
    EXPECT_EQ(1, AutoOpenCalls());
    EXPECT_EQ(TPageSplash::StateDone, splash->startupState);
}

TEST_F(SplashTest, AFailedStartClosesWithZero)
{
    LoadSkin();
    app.initEngineResult = false;
    TPageSplash* splash = NewSplash();
    EXPECT_EQ(0, engine.ShowPageModal(splash));
    EXPECT_EQ(1, app.initEngineCalls);
    EXPECT_EQ(TPageSplash::StateInitEngine, splash->startupState);
    EXPECT_FALSE(engine.quit);  // the application decides what follows
    EXPECT_EQ(0, AutoOpenCalls());
}

TEST_F(SplashTest, ATickAfterAFailedStartWhileThePageIsStillUpQuits)
{
    LoadSkin();
    app.initEngineResult = false;
    auto* splash = new TPageSplash(&app);  // the engine's
    engine.OpenPage(splash);
    for (int i = 0; i < 50 && !app.initEngineCalls; ++i)
        engine.Advance(10);
    ASSERT_EQ(1, app.initEngineCalls);
    ASSERT_TRUE(engine.IsOnStack(splash));
    EXPECT_TRUE(splash->closing);
    splash->OnTimer(100, engine.Now());
    EXPECT_EQ(TPageSplash::StateQuit, splash->startupState);
    EXPECT_TRUE(engine.quit);
    EXPECT_EQ(1, app.initEngineCalls);
}

TEST_F(SplashTest, TicksWhileInitEngineRunsAreNoFailedStart)
{
    LoadSkin();
    TPageSplash* splash = NewSplash();
    // InitEngine shows a modal page for a second: its loop runs the timer pass,
    // which ticks the splash page too.
    app.duringInitEngine = [&] {
        auto* dialog = new RecordingPage(&engine, "pageInitialSteps");
        dialog->timerInterval = 1000;
        engine.ScriptCall(engine.Now() + 1000, [](TestEngine&, void* page) {
            static_cast<TPDAUIEngineElementPage*>(page)->Close(1);
        }, dialog);
        engine.ShowPageModal(dialog);
        delete dialog;
    };
    EXPECT_EQ(1, engine.ShowPageModal(splash));
    EXPECT_EQ(1, app.initEngineCalls);
    EXPECT_FALSE(engine.quit);
    EXPECT_EQ(1, AutoOpenCalls());
}

TEST_F(SplashTest, ExternalPowerWithoutPBSkipsDisplaySettingsAndAutoOpen)
{
    struct Case {
        const char* commandLine;
        double battery;
        bool opens;
    };
    const Case cases[] = {
        {"", 80, true},
        {"", -1, false},
        {"/PB", -1, true},
        {"\\Storage\\UPBACKUP\\x.gpx", -1, false},  // inside a path it is no switch
        {"x.gpx PB", -1, true},
        {"/pb", -1, false},  // case counts
        {"/P B", -1, false},
    };
    LoadSkin();
    for (const Case& c : cases) {
        app.commandLine = c.commandLine;
        Battery(c.battery);
        const int before = AutoOpenCalls();
        TPageSplash* splash = NewSplash();
        EXPECT_EQ(1, engine.ShowPageModal(splash)) << c.commandLine;
        EXPECT_EQ(c.opens ? 1 : 0, AutoOpenCalls() - before) << c.commandLine << " " << c.battery;
        EXPECT_EQ(TPageSplash::StateDone, splash->startupState);
    }
}

TEST(SplashPicture, FitsThePageKeepingItsShape)
{
    struct Case {
        int w, h, pageW, pageH;
        bool fits;
        int fitW, fitH;
    };
    const Case cases[] = {
        {400, 300, 800, 480, true, 640, 480},    // landscape page: full height
        {1000, 300, 800, 480, true, 800, 240},   // too wide: full width
        {400, -300, 800, 480, true, 640, 480},   // bottom-up picture
        {400, 300, 480, 800, true, 480, 360},    // portrait page: full width
        {300, 900, 480, 800, true, 266, 800},    // too tall: full height
        {400, 400, 480, 480, true, 480, 480},    // square page counts as portrait
        {0, 300, 800, 480, false, 0, 0},         // no area: no division
        {400, 0, 800, 480, false, 0, 0},
        {400, 300, 0, 480, false, 0, 0},
    };
    for (const Case& c : cases) {
        int w = 0, h = 0;
        EXPECT_EQ(c.fits, TPageSplash::FitPicture(c.w, c.h, c.pageW, c.pageH, w, h))
            << c.w << "x" << c.h << " in " << c.pageW << "x" << c.pageH;
        if (c.fits) {
            EXPECT_EQ(c.fitW, w) << c.w << "x" << c.h << " in " << c.pageW << "x" << c.pageH;
            EXPECT_EQ(c.fitH, h) << c.w << "x" << c.h << " in " << c.pageW << "x" << c.pageH;
        }
    }
}

class SplashPictureTest : public SplashTest {
protected:
    // A picture file of that size in the temporary folder.
    std::string Picture(int w, int h)
    {
        TDibIG dib;
        EXPECT_TRUE(dib.Crea(w, h, 24));
        const std::string path = dir / ("splash" + std::to_string(w) + "x" + std::to_string(h) + ".png");
        EXPECT_TRUE(TDibIGformat::Guarda(dib, path.c_str()));
        return path;
    }
    int KindAfterLoad(const std::string& path)
    {
        app.splashPath = path;
        TPageSplash* splash = NewSplash();
        engine.OpenPage(splash);
        engine.Advance(50);
        splash_ = splash;
        return splash->boxImage->backgrounds[TPDAUIEngineElement::StateNormal].kind;
    }
    testpaths::TempDir dir;
    TPageSplash* splash_ = nullptr;
};

TEST_F(SplashPictureTest, SmallPictureIsCentredAtScaleOneLargeOneStretched)
{
    LoadSkin();
    EXPECT_EQ(TPDAUIEngineStyleBackground::KindCentredScaled, KindAfterLoad(Picture(400, 300)));
    EXPECT_EQ(TPDAUIEngineStyleBackground::KindCentredScaled,
              splash_->boxImage->backgrounds[TPDAUIEngineElement::StatePressed].kind);
    ASSERT_TRUE(splash_->boxImage->backgrounds[0].image);
    // Sized to the page with the picture's shape.
    EXPECT_EQ(640, splash_->boxImage->minimumWidth);
    EXPECT_EQ(480, splash_->boxImage->maximumHeight);
    EXPECT_EQ(640, splash_->boxImage->width);
    ClearStack();

    EXPECT_EQ(TPDAUIEngineStyleBackground::KindImage, KindAfterLoad(Picture(900, 300)));
    ClearStack();
    EXPECT_EQ(TPDAUIEngineStyleBackground::KindImage, KindAfterLoad(Picture(400, 480)));
    ClearStack();

    engine.skinSettings.uiScale = 2.0f;  // always stretched above 1.5
    EXPECT_EQ(TPDAUIEngineStyleBackground::KindImage, KindAfterLoad(Picture(40, 30)));
    engine.skinSettings.uiScale = 1.0f;
}

TEST_F(SplashPictureTest, NoPictureLeavesTheBoxEmpty)
{
    LoadSkin();
    EXPECT_EQ(TPDAUIEngineStyleBackground::KindNone, KindAfterLoad(dir / "missing.png"));
    ClearStack();
    EXPECT_EQ(TPDAUIEngineStyleBackground::KindNone, KindAfterLoad(""));
}

TEST_F(SplashPictureTest, ASkinsOwnBackgroundIsKept)
{
    // A skin of its own over the default skin, giving boxImage a colour.
    ASSERT_EQ(0, symlink((testpaths::SourceDir() + "/skins/default").c_str(), (dir / "default").c_str()));
    ASSERT_EQ(0, mkdir((dir / "own").c_str(), 0755));
    std::ofstream(dir / "own/skin.xml") << "<skin version=\"440\"><defaultSkinName value=\"default\"/></skin>\n";
    std::ofstream(dir / "own/pageSplash.xml")
        << "<page id=\"pageSplash\"><box id=\"boxImage\" background=\"#102030\"/>"
           "<label id=\"lblVersion\"/><label id=\"lblStatus\"/></page>\n";
    engine.skinsFolder = dir.path().c_str();
    LoadSkin("own");
    EXPECT_EQ(TPDAUIEngineStyleBackground::KindColor, KindAfterLoad(Picture(400, 300)));
    EXPECT_EQ(nullptr, splash_->boxImage->backgrounds[0].image);
    EXPECT_EQ(0, splash_->boxImage->minimumWidth);
}

} // namespace
