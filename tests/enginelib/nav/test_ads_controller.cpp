// The banner service: the list file's reader, downloads on their own thread
// answered once, and cancelling that waits for a running answer and stops a
// late one.
#include "enginelib/nav/InAppAdsController.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "enginelib/nav/TLumorGPSEngineInterface.h"
#include "nav_fixture.h"
#include "support/TestPaths.h"

namespace {

bool Parse(const std::string& text, Vector<AdsData>& out, int* rejected = nullptr)
{
    return InAppAdsController::ParseBannerList(text.data(), text.size(), out, rejected);
}

void Write(const std::string& path, const std::string& text)
{
    std::ofstream f(path, std::ios::binary);
    f << text;
}

TEST(AdsList, ReadsEveryFieldInOrderAndDefaultsTheOptionalOnes)
{
    Vector<AdsData> list;
    int rejected = -1;
    ASSERT_TRUE(Parse("# comment\r\n"
                      "\n"
                      "fuel|https://x/fuel|adsBannerFuel|10|1|-2|3|first|4|5|second\r\n"
                      "cafe||adsBannerCafe|+8\n"
                      "last|l|img|-7",
                      list, &rejected));
    EXPECT_EQ(rejected, 0);
    ASSERT_EQ(list.Count(), 3);
    const AdsData& a = list[0];
    EXPECT_STREQ(a.name.c_str(), "fuel");
    EXPECT_STREQ(a.link.c_str(), "https://x/fuel");
    EXPECT_STREQ(a.image.c_str(), "adsBannerFuel");
    EXPECT_EQ(a.seconds, 10);
    EXPECT_EQ(a.value1, 1);
    EXPECT_EQ(a.value2, -2);
    EXPECT_EQ(a.value3, 3);
    EXPECT_STREQ(a.text1.c_str(), "first");
    EXPECT_EQ(a.value4, 4);
    EXPECT_EQ(a.value5, 5);
    EXPECT_STREQ(a.text2.c_str(), "second");  // the line's "\r" is not part of it
    const AdsData& b = list[1];
    EXPECT_STREQ(b.link.c_str(), "");
    EXPECT_EQ(b.seconds, 8);
    EXPECT_EQ(b.value1, 0);
    EXPECT_STREQ(b.text2.c_str(), "");
    EXPECT_EQ(list[2].seconds, -7);  // kept as given: the control bounds it
}

TEST(AdsList, SkipsMalformedLinesAndFailsWithoutABanner)
{
    struct Case {
        const char* line;
    };
    const Case bad[] = {
        {"|link|img|5"},              // no name
        {"name|link||5"},             // no image
        {"name|link|img"},            // no seconds
        {"name|link|img|"},           // empty seconds
        {"name|link|img|5s"},         // not a number
        {"name|link|img|-"},          // sign alone
        {"name|link|img|2147483648"}, // past 32 bits
        {"name|link|img|-2147483649"},
        {"name|link|img|5|x"},        // a bad optional integer
        {"a|b|c|1|2|3|4|t|5|6|t|extra"},  // more fields than a banner has
    };
    for (const Case& c : bad) {
        Vector<AdsData> list;
        int rejected = 0;
        EXPECT_FALSE(Parse(c.line, list, &rejected)) << c.line;
        EXPECT_EQ(rejected, 1) << c.line;
        EXPECT_EQ(list.Count(), 0) << c.line;
        // Beside a good line the bad one is only skipped.
        EXPECT_TRUE(Parse(std::string(c.line) + "\nok|l|img|5\n", list, &rejected)) << c.line;
        ASSERT_EQ(list.Count(), 1);
        EXPECT_STREQ(list[0].name.c_str(), "ok");
    }
    Vector<AdsData> list;
    EXPECT_FALSE(Parse("", list));
    EXPECT_FALSE(Parse("# only a comment\n\n\r\n", list));
    EXPECT_TRUE(Parse("a|b|c|-2147483648", list));
    EXPECT_EQ(list[0].seconds, -2147483647 - 1);
    EXPECT_FALSE(InAppAdsController::ParseBannerList(nullptr, 10, list));
}

TEST(AdsList, HugeInputIsCutAtTheLimits)
{
    std::string text;
    for (int i = 0; i < 20000; ++i)
        text += "banner" + std::to_string(i) + "|link|img|5\n";
    Vector<AdsData> list;
    ASSERT_TRUE(Parse(text, list));
    ASSERT_EQ(list.Count(), (int)InAppAdsController::kMaxBanners);
    EXPECT_STREQ(list.Last().name.c_str(), "banner63");

    // A line longer than the limit is skipped, even when well formed.
    const std::string longName(InAppAdsController::kMaxLineLength, 'n');
    int rejected = 0;
    EXPECT_FALSE(Parse(longName + "|l|img|5", list, &rejected));
    EXPECT_EQ(rejected, 1);
    EXPECT_TRUE(Parse(longName.substr(0, 100) + "|l|img|5", list));

    // A NUL inside a line is just a byte of a field.
    const std::string withNul("na\0me|l|img|5", 13);
    EXPECT_TRUE(Parse(withNul, list));
    EXPECT_EQ(list[0].name.Length(), 5);
}

TEST(AdsList, FileReadsAndRefusals)
{
    testpaths::TempDir dir;
    Vector<AdsData> list;
    EXPECT_FALSE(InAppAdsController::ReadBannerList(dir / "missing.txt", list));
    Write(dir / "empty.txt", "");
    EXPECT_FALSE(InAppAdsController::ReadBannerList(dir / "empty.txt", list));
    // A file past the size limit is refused whole, good lines or not.
    std::string big;
    while (big.size() <= (size_t)InAppAdsController::kMaxFileSize)
        big += "name|link|img|5\n";
    Write(dir / "big.txt", big);
    EXPECT_FALSE(InAppAdsController::ReadBannerList(dir / "big.txt", list));
    EXPECT_EQ(list.Count(), 0);

    // The list shipped with the library's data names images the default skin has.
    const std::string shipped = testpaths::SourceDir() + "/enginelib/nav/data/ads/banners.txt";
    ASSERT_TRUE(InAppAdsController::ReadBannerList(shipped, list));
    EXPECT_GE(list.Count(), 2);
    for (int i = 0; i < list.Count(); ++i) {
        const std::string png = testpaths::SourceDir() + "/skins/default/" + list[i].image.c_str() + ".png";
        std::ifstream f(png);
        EXPECT_TRUE(f.good()) << png;
        EXPECT_GT(list[i].seconds, 0);
        EXPECT_FALSE(list[i].link.IsEmpty());
    }
}

// What the result function saw.
struct Results {
    std::mutex mutex;
    std::vector<std::string> calls;  // "<user> <ok> <count>"
    std::vector<std::thread::id> threads;
    std::atomic<int> count{0};
};
Results* g_results = nullptr;

void Record(const Vector<AdsData>& list, void* user, bool ok)
{
    std::lock_guard<std::mutex> lock(g_results->mutex);
    g_results->calls.push_back(std::string(static_cast<const char*>(user)) + " " + (ok ? "1" : "0") + " " +
                               std::to_string(list.Count()));
    g_results->threads.push_back(std::this_thread::get_id());
    ++g_results->count;
}

class AdsDownload : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_results = &results;
        Write(dir / "banners.txt", "a|la|img|5\nb|lb|img|6\n");
    }
    void TearDown() override { g_results = nullptr; }
    testpaths::TempDir dir;
    Results results;
};

TEST_F(AdsDownload, AnswersOnceFromAnotherThread)
{
    char first[] = "first", second[] = "second";
    InAppAdsController ads(dir / "banners.txt");
    ads.DownloadBanner(DString(), 800, 480, 1.0f, true, &Record, first);
    ads.listFile = dir / "none.txt";
    ads.WaitForDownloads();
    ads.DownloadBanner(DString(), 800, 480, 1.0f, true, &Record, second);
    ads.WaitForDownloads();
    EXPECT_EQ(ads.RunningDownloads(), 0);
    ASSERT_EQ(results.calls.size(), 2u);
    EXPECT_EQ(results.calls[0], "first 1 2");
    EXPECT_EQ(results.calls[1], "second 0 0");
    EXPECT_NE(results.threads[0], std::this_thread::get_id());
}

TEST_F(AdsDownload, CancelStopsAnAnswerNotGivenYet)
{
    char first[] = "first", second[] = "second";
    InAppAdsController ads(dir / "banners.txt");
    ads.latencyMs = 60000;  // wakes only when cancelled
    ads.DownloadBanner(DString(), 800, 480, 1.0f, false, &Record, first);
    ads.DownloadBanner(DString(), 800, 480, 1.0f, false, &Record, second);
    EXPECT_EQ(ads.RunningDownloads(), 2);
    ads.CancelDownload(first);
    EXPECT_EQ(ads.RunningDownloads(), 1);  // the other caller's goes on
    ads.CancelDownload();
    EXPECT_EQ(ads.RunningDownloads(), 0);
    EXPECT_EQ(results.count.load(), 0);
}

TEST_F(AdsDownload, DestroyedWhileDownloadsRun)
{
    char user[] = "user";
    {
        InAppAdsController ads(dir / "banners.txt");
        ads.latencyMs = 60000;
        for (int i = 0; i < 5; ++i)
            ads.DownloadBanner(DString(), 800, 480, 1.0f, false, &Record, user);
    }
    EXPECT_EQ(results.count.load(), 0);
    // Without latency the answers race the destructor: each comes once or not at all.
    {
        InAppAdsController ads(dir / "banners.txt");
        for (int i = 0; i < 20; ++i)
            ads.DownloadBanner(DString(), 800, 480, 1.0f, false, &Record, user);
    }
    EXPECT_LE(results.count.load(), 20);
}

TEST(AdsFacade, TheLibraryOffersItsBannerServiceOnceStartedAndEndsItsDownloadsOnClose)
{
    TLumorGPSEngineInterface f;
    navtest::InMemory(f);
    EXPECT_EQ(f.adsController, nullptr);
    ASSERT_TRUE(navtest::Start(f));
    ASSERT_NE(f.adsController, nullptr);
    EXPECT_EQ(f.adsController->listFile, f.libraryFolder + "/ads/banners.txt");
    f.adsController->latencyMs = 60000;
    f.adsController->DownloadBanner(DString(), 800, 480, 1.0f, true, nullptr, nullptr);
    EXPECT_EQ(f.adsController->RunningDownloads(), 1);
    f.Close(0);
    EXPECT_EQ(f.adsController->RunningDownloads(), 0);
}

} // namespace
