// The advertising banner control: the default banner until a list comes, the
// list taken on the UI thread only, rotation by each banner's own seconds on
// the virtual clock, a new download after an hour, a tap running command 3027
// with the shown banner's link, and a control deleted while its download runs.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>

#include "display/display_test_app.h"
#include "display/usercontrols/TUserControlOrbetaAds.h"
#include "enginelib/nav/InAppAdsController.h"
#include "enginelib/draw/TDibIG.h"
#include "support/GoldenImage.h"
#include "support/TestPaths.h"
#include "uiengine/core/TPDAUIEngineXml.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"
#include "uiengine/elements/TPDAUIEngineElementSliderBox.h"

namespace {

const int kHour = 3600000;

// A page holding the banner under an empty area, as a map screen would.
class AdsPage : public TPDAUIEngineElementPage {
public:
    explicit AdsPage(TPDAUIEngine* e) : TPDAUIEngineElementPage(e) { pageName = "pageAdsTest"; }
    void OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage*, TPDAUIEngineElement* par, TPDAUIEngineXml*,
                TFicheroITV*) override
    {
        TPDAUIEngineXml root;
        DString text("<page id=\"pageAdsTest\" layout=\"Vertical\"><box flex=\"1\"/>"
                     "<usercontrol type=\"usercontrolOrbetaAds\" id=\"boxOrbetaAds\" visible=\"true\"/></page>");
        root.Parse(text.str());
        e->skinSettings.styleSheet.ApplyToXml(&root);
        TPDAUIEngineElementPage::OnLoad(e, this, par, &root, nullptr);
    }
};

class AdsBanner : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(app.engine.adsController, nullptr);
        Write("a|link-a|adsBannerFuel|2\nb|link-b|adsBannerCafe|3\n");
        app.engine.adsController->listFile = dir / "banners.txt";
    }
    void TearDown() override { Close(); }

    void Write(const std::string& text)
    {
        std::ofstream f(dir / "banners.txt", std::ios::binary | std::ios::trunc);
        f << text;
    }
    TUserControlOrbetaAds* Open()
    {
        page = new AdsPage(app.ui);
        app.ui->OpenPage(page);
        ads = dynamic_cast<TUserControlOrbetaAds*>(page->FindElement("boxOrbetaAds", false));
        return ads;
    }
    void Close()
    {
        if (page)
            app.ui->ClosePage(page, true);
        page = nullptr;
        ads = nullptr;
    }
    // The download's answer reaches the control on the next timer pass.
    void Settle()
    {
        app.engine.adsController->WaitForDownloads();
        app.ui->Advance(60);
    }
    std::string Shown() const
    {
        TPDAUIEngineElementSliderBox* s = ads->sliderBoxContainer;
        const int i = s->layoutCardIndex;
        return i >= 0 && i < s->children.Count() ? s->children[i]->imageName.c_str() : "";
    }
    int LinkCommands(const std::string& link) const
    {
        int n = 0;
        for (const std::string& c : app.engine.recorder.calls)
            n += c == "text command 3027 " + link;
        return n;
    }
    void TapBanner(int kind = 0)
    {
        app.ui->Frame();
        const TRectIG r = ads->GetScreenRect();
        const int x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
        app.ui->Press(x, y, kind);
        app.ui->Release(x, y, kind);
    }

    displaytest::DisplayApp app;
    testpaths::TempDir dir;
    AdsPage* page = nullptr;
    TUserControlOrbetaAds* ads = nullptr;
};

TEST_F(AdsBanner, StartsWithTheDefaultBannerAndTakesTheListOnlyOnTheUIThread)
{
    ASSERT_NE(Open(), nullptr);
    ASSERT_NE(ads->sliderBoxContainer, nullptr);
    ASSERT_NE(ads->imgbTemplate, nullptr);
    EXPECT_TRUE(ads->visible);  // the page's "visible" shows it
    EXPECT_TRUE(ads->loaded);
    EXPECT_TRUE(ads->showingDefault);
    EXPECT_EQ(Shown(), "defaultBanner");
    EXPECT_NE(ads->sliderBoxContainer->children[0]->image, nullptr);
    EXPECT_EQ(ads->timerInterval, kHour);

    // The answer is in, but until the UI thread handles it nothing changes.
    app.engine.adsController->WaitForDownloads();
    EXPECT_EQ(ads->banners.Count(), 0);
    EXPECT_TRUE(ads->showingDefault);
    app.ui->Advance(60);
    ASSERT_EQ(ads->banners.Count(), 2);
    EXPECT_FALSE(ads->showingDefault);
    ASSERT_EQ(ads->sliderBoxContainer->children.Count(), 2);
    EXPECT_EQ(Shown(), "adsBannerFuel");
    EXPECT_STREQ(ads->sliderBoxContainer->children[1]->imageName.c_str(), "adsBannerCafe");
    EXPECT_NE(ads->sliderBoxContainer->children[1]->image, nullptr);
    EXPECT_STREQ(ads->currentLink.c_str(), "link-a");
    EXPECT_EQ(ads->rotation, 0);
    EXPECT_EQ(ads->timerInterval, 2000);
    // The template is still there for the next list, hidden.
    EXPECT_FALSE(ads->imgbTemplate->visible);
}

TEST_F(AdsBanner, EachBannerStaysForItsOwnSeconds)
{
    Open();
    Settle();
    ASSERT_STREQ(ads->currentLink.c_str(), "link-a");
    // Timers fire on the 50 ms window ticks once their interval is passed.
    struct Step {
        int advance;
        const char* link;
        const char* image;
    };
    const Step steps[] = {
        {1900, "link-a", "adsBannerFuel"}, {200, "link-b", "adsBannerCafe"},
        {2800, "link-b", "adsBannerCafe"}, {300, "link-a", "adsBannerFuel"},
        {2100, "link-b", "adsBannerCafe"},
    };
    for (const Step& s : steps) {
        app.ui->Advance(s.advance);
        EXPECT_STREQ(ads->currentLink.c_str(), s.link) << "after " << s.advance;
        EXPECT_EQ(Shown(), s.image);
    }
}

TEST_F(AdsBanner, OneBannerIsReshownUntilAnHourHasPassedThenANewListIsFetched)
{
    Write("only|link-only|adsBannerParking|10\n");
    Open();
    Settle();
    ASSERT_EQ(ads->banners.Count(), 1);
    const uint32_t listTime = ads->lastChange;
    Write("next|link-next|adsBannerCafe|5\n");
    app.ui->Advance(kHour - 20000);
    app.engine.adsController->WaitForDownloads();
    app.ui->Advance(60);
    EXPECT_STREQ(ads->currentLink.c_str(), "link-only");
    EXPECT_EQ(ads->rotation, 0);
    EXPECT_EQ(ads->lastChange, listTime);
    EXPECT_EQ(ads->timerInterval, 10000);
    // The first tick past the hour asks again; the new list replaces the old.
    app.ui->Advance(30000);
    Settle();
    ASSERT_EQ(ads->banners.Count(), 1);
    EXPECT_STREQ(ads->currentLink.c_str(), "link-next");
    EXPECT_EQ(Shown(), "adsBannerCafe");
    EXPECT_NE(ads->lastChange, listTime);
}

TEST_F(AdsBanner, AFailedOrEmptyListShowsTheDefaultBannerAndWaitsAnHour)
{
    const char* const lists[] = {nullptr, "", "# nothing but a comment\n", "bad|line\n"};
    for (const char* list : lists) {
        if (list)
            Write(list);
        else
            app.engine.adsController->listFile = dir / "missing.txt";
        Open();
        Settle();
        EXPECT_TRUE(ads->showingDefault);
        EXPECT_EQ(Shown(), "defaultBanner");
        EXPECT_EQ(ads->sliderBoxContainer->children.Count(), 1);
        EXPECT_EQ(ads->timerInterval, kHour);
        EXPECT_EQ(ads->rotation, -1);
        // A good list now is not asked for before the hour is over.
        Write("a|link-a|adsBannerFuel|2\n");
        app.engine.adsController->listFile = dir / "banners.txt";
        app.ui->Advance(kHour - 1000);
        Settle();
        EXPECT_TRUE(ads->showingDefault);
        app.ui->Advance(2000);
        Settle();
        EXPECT_FALSE(ads->showingDefault);
        EXPECT_STREQ(ads->currentLink.c_str(), "link-a");
        Close();
    }
}

TEST_F(AdsBanner, DisplayTimesAreBounded)
{
    struct Case {
        int seconds;
        int ms;
    };
    const Case cases[] = {{0, 1000}, {-5, 1000}, {1, 1000}, {90, 90000}, {3600, kHour}, {3601, kHour},
                          {2147483647, kHour}, {-2147483647 - 1, 1000}};
    for (const Case& c : cases) {
        AdsData banner;
        banner.seconds = c.seconds;
        EXPECT_EQ(TUserControlOrbetaAds::DisplayTimeMs(banner), c.ms) << c.seconds;
    }
    // A banner of 0 seconds rotates each second instead of spinning the timer.
    Write("a|link-a|adsBannerFuel|0\nb|link-b|adsBannerCafe|0\n");
    Open();
    Settle();
    EXPECT_EQ(ads->timerInterval, 1000);
    app.ui->Advance(1100);
    EXPECT_STREQ(ads->currentLink.c_str(), "link-b");
}

TEST_F(AdsBanner, ATapRunsTheShownBannersLinkAndTheDefaultBannerRunsNothing)
{
    Open();
    TapBanner();  // still the default banner
    EXPECT_EQ(LinkCommands(""), 0);
    for (const std::string& c : app.engine.recorder.calls)
        EXPECT_EQ(c.find("text command 3027"), std::string::npos) << c;

    Settle();
    TapBanner();
    EXPECT_EQ(LinkCommands("link-a"), 1);
    app.ui->Advance(2100);
    TapBanner();
    EXPECT_EQ(LinkCommands("link-b"), 1);
    // The right button runs nothing; the middle one asks for a new list.
    TapBanner(1);
    EXPECT_EQ(LinkCommands("link-b"), 1);
    Write("c|link-c|adsBannerParking|4\n");
    TapBanner(15);
    Settle();
    EXPECT_STREQ(ads->currentLink.c_str(), "link-c");
}

TEST_F(AdsBanner, DeletedWhileItsDownloadRuns)
{
    app.engine.adsController->latencyMs = 60000;
    Open();
    EXPECT_EQ(app.engine.adsController->RunningDownloads(), 1);
    Close();  // the control's destructor cancels and waits
    EXPECT_EQ(app.engine.adsController->RunningDownloads(), 0);

    // Without latency the answer races the close: either way nothing is left behind.
    app.engine.adsController->latencyMs = 0;
    for (int i = 0; i < 10; ++i) {
        Open();
        Close();
        app.ui->Advance(60);
    }
    EXPECT_EQ(app.engine.adsController->RunningDownloads(), 0);
}

TEST_F(AdsBanner, AResultForAnythingButALiveBannerIsIgnored)
{
    Open();
    Settle();
    Vector<AdsData> list;
    AdsData other;
    other.name = "other";
    other.image = "adsBannerParking";
    other.link = "link-other";
    other.seconds = 5;
    list.Add(other);
    int notAControl = 0;
    TUserControlOrbetaAds::OnBannersDownloaded(list, &notAControl, true);
    TUserControlOrbetaAds::OnBannersDownloaded(list, nullptr, false);
    void* gone = ads;
    Close();
    TUserControlOrbetaAds::OnBannersDownloaded(list, gone, true);
    TPDAUIEngineCommand c;
    EXPECT_FALSE(app.ui->PopCommand(c));

    // The live control takes it, through its queue.
    Open();
    Settle();
    TUserControlOrbetaAds::OnBannersDownloaded(list, ads, true);
    EXPECT_STREQ(ads->currentLink.c_str(), "link-a");
    app.ui->Advance(60);
    EXPECT_STREQ(ads->currentLink.c_str(), "link-other");
    TPDAUIEngineCommand unknown(ads, "somethingElse");
    ads->OnCommand(unknown);
    EXPECT_EQ(unknown.handled, 0);
}

TEST_F(AdsBanner, TwoAnswersCloseTogetherLeaveTheNewerList)
{
    Open();
    Settle();
    Vector<AdsData> first, second;
    AdsData banner;
    banner.image = "adsBannerParking";
    banner.seconds = 5;
    banner.name = banner.link = "first";
    first.Add(banner);
    banner.name = banner.link = "second";
    second.Add(banner);
    TUserControlOrbetaAds::OnBannersDownloaded(first, ads, true);
    TUserControlOrbetaAds::OnBannersDownloaded(second, ads, true);
    app.ui->Advance(60);  // both posts are handled: the second finds nothing new
    EXPECT_FALSE(ads->showingDefault);
    ASSERT_EQ(ads->banners.Count(), 1);
    EXPECT_STREQ(ads->currentLink.c_str(), "second");
    // A failure after a list shows the default banner again.
    TUserControlOrbetaAds::OnBannersDownloaded(second, ads, false);
    app.ui->Advance(60);
    EXPECT_TRUE(ads->showingDefault);
    EXPECT_EQ(ads->banners.Count(), 0);
}

TEST_F(AdsBanner, WithoutTheLibrarysServiceTheDefaultBannerStays)
{
    InAppAdsController* service = app.engine.adsController;
    app.engine.adsController = nullptr;
    Open();
    app.engine.adsController = service;
    EXPECT_EQ(ads->adsController, nullptr);
    EXPECT_TRUE(ads->showingDefault);
    app.ui->Advance(kHour + 100);
    EXPECT_TRUE(ads->showingDefault);
    EXPECT_EQ(Shown(), "defaultBanner");
    TapBanner(15);
    EXPECT_TRUE(ads->showingDefault);
}

TEST(AdsFactory, TheFactoryMakesTheBannerHidden)
{
    displaytest::DisplayApp app;
    TPDAUIEngineElement* e =
        TUserControlFactory::FuncCreateUserControlElementByNameCallBack(&app, "usercontrol/usercontrolOrbetaAds");
    auto* ads = dynamic_cast<TUserControlOrbetaAds*>(e);
    ASSERT_NE(ads, nullptr);
    EXPECT_FALSE(ads->visible);
    EXPECT_EQ(ads->adsController, app.engine.adsController);
    EXPECT_EQ(ads->rotation, -1);
    delete e;
}

} // namespace

namespace {

// The control's part of the frame.
void Crop(const TDibIG& frame, const TRectIG& r, TDibIG& out)
{
    out.Crea(r.Width(), r.Height(), frame.Bpp());
    for (int y = 0; y < r.Height(); ++y)
        std::memcpy(out.Row(y), frame.Row(r.top + y) + r.left * frame.BytesPerPixel(),
                    (size_t)r.Width() * frame.BytesPerPixel());
}

TEST_F(AdsBanner, LooksAsTheSkinDrawsIt)
{
    Open();
    const TRectIG r = (app.ui->Frame(), ads->GetScreenRect());
    EXPECT_EQ(r.Height(), 50);
    EXPECT_GE(r.Width(), 320);
    TDibIG part;
    Crop(app.ui->Frame(), r, part);
    EXPECT_TRUE(golden::Matches(part, "display/ads_default"));
    Settle();
    app.ui->Advance(1000);  // the slide in is over
    Crop(app.ui->Frame(), ads->GetScreenRect(), part);
    EXPECT_TRUE(golden::Matches(part, "display/ads_first_banner"));
}

} // namespace
