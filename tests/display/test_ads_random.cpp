// Random input against the advertising banner under a fixed seed: taps with
// every button, time running, the library's list rewritten good, broken or
// empty, slow and quick downloads, and the page closed and opened again while
// downloads run. Under the sanitizer build this is where a result delivered to
// a control that has gone, or a list read while it is replaced, shows.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "display/display_test_app.h"
#include "display/usercontrols/TUserControlOrbetaAds.h"
#include "enginelib/nav/InAppAdsController.h"
#include "support/TestPaths.h"
#include "uiengine/core/TPDAUIEngineXml.h"
#include "uiengine/elements/TPDAUIEngineElementPage.h"
#include "uiengine/elements/TPDAUIEngineElementSliderBox.h"

namespace {

class RandomAdsPage : public TPDAUIEngineElementPage {
public:
    explicit RandomAdsPage(TPDAUIEngine* e) : TPDAUIEngineElementPage(e) { pageName = "pageAdsRandom"; }
    void OnLoad(TPDAUIEngine* e, TPDAUIEngineElementPage*, TPDAUIEngineElement* par, TPDAUIEngineXml*,
                TFicheroITV*) override
    {
        TPDAUIEngineXml root;
        DString text("<page id=\"pageAdsRandom\" layout=\"Vertical\"><box flex=\"1\"/>"
                     "<usercontrol type=\"usercontrolOrbetaAds\" id=\"ads1\" visible=\"true\"/>"
                     "<usercontrol type=\"usercontrolOrbetaAds\" id=\"ads2\" visible=\"true\"/></page>");
        root.Parse(text.str());
        e->skinSettings.styleSheet.ApplyToXml(&root);
        TPDAUIEngineElementPage::OnLoad(e, this, par, &root, nullptr);
    }
};

TEST(AdsRandom, RandomInputListsAndClosesKeepEveryBannerConsistent)
{
    displaytest::DisplayApp app;
    testpaths::TempDir dir;
    InAppAdsController* service = app.engine.adsController;
    ASSERT_NE(service, nullptr);
    service->listFile = dir / "banners.txt";
    const char* const lists[] = {
        "a|link-a|adsBannerFuel|1\nb|link-b|adsBannerCafe|2\nc|link-c|adsBannerParking|0\n",
        "only|link-only|adsBannerParking|3\n",
        "",
        "broken|line\n|no|name|4\n",
        "big|link-big|adsBannerFuel|2147483647\nneg|link-neg|nosuchimage|-9\n",
    };
    auto write = [&](int i) {
        std::ofstream f(dir / "banners.txt", std::ios::binary | std::ios::trunc);
        f << lists[i];
    };
    write(0);

    uint32_t state = 20261211;
    auto next = [&](int below) {
        state = state * 1664525u + 1013904223u;
        return (int)((state >> 8) % (uint32_t)below);
    };
    RandomAdsPage* page = nullptr;
    auto open = [&] {
        page = new RandomAdsPage(app.ui);
        app.ui->OpenPage(page);
    };
    auto close = [&] {
        app.ui->ClosePage(page, true);
        page = nullptr;
    };
    open();
    const int kinds[] = {0, 1, 15};
    int linksRun = 0;
    int hours = 0;
    for (int i = 0; i < 1000; ++i) {
        const int x = next(800), y = 380 + next(100);
        switch (next(16)) {
        case 0:
            write(next(5));
            break;
        case 1:
            service->latencyMs = next(3) == 0 ? 5 + next(20) : 0;
            break;
        case 2:
            close();
            open();
            break;
        case 3:
        case 4: {
            const int kind = kinds[next(3)];
            app.ui->Press(x, y, kind);
            app.ui->Release(x, y, kind);
            break;
        }
        case 5:
            app.ui->Frame();
            break;
        case 6:
            service->WaitForDownloads();
            break;
        case 7:
            // Past the hour once: a refresh races the rotation (an hour is
            // 72,000 timer passes).
            if (hours < 1) {
                ++hours;
                app.ui->Advance(3600000 + next(20000));
            }
            break;
        default:
            app.ui->Advance(10 + next(3000));
            break;
        }
        for (const char* id : {"ads1", "ads2"}) {
            auto* ads = dynamic_cast<TUserControlOrbetaAds*>(page->FindElement(id, false));
            ASSERT_NE(ads, nullptr);
            ASSERT_NE(ads->sliderBoxContainer, nullptr);
            // What is shown and what a tap would run belong together.
            if (ads->showingDefault) {
                ASSERT_EQ(ads->banners.Count(), 0);
                ASSERT_EQ(ads->rotation, -1);
                ASSERT_EQ(ads->timerInterval, 3600000);
            } else {
                ASSERT_GT(ads->banners.Count(), 0);
                ASSERT_GE(ads->rotation, 0);
                ASSERT_LT(ads->rotation, ads->banners.Count());
                ASSERT_STREQ(ads->currentLink.c_str(), ads->banners[ads->rotation].link.c_str());
                ASSERT_GE(ads->timerInterval, 1000);
                ASSERT_LE(ads->timerInterval, 3600000);
                ASSERT_EQ(ads->sliderBoxContainer->children.Count(), ads->banners.Count());
            }
        }
    }
    for (const std::string& c : app.engine.recorder.calls)
        linksRun += c.rfind("text command 3027 link-", 0) == 0;
    EXPECT_GT(linksRun, 0);
    close();
    service->CancelDownload();
}

} // namespace
