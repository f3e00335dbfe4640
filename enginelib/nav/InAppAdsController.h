#pragma once
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "enginelib/base/DString.h"
#include "enginelib/base/Vector.h"

// One advertising banner: five texts and six integers, in this order.
struct AdsData {
    DString name;   // identifies the banner
    DString link;   // what the program runs when the banner is tapped
    DString image;  // the banner's image (a skin image name)
    int32_t seconds = 0;  // how long the banner stays
    int32_t value1 = 0;
    int32_t value2 = 0;
    int32_t value3 = 0;
    DString text1;
    int32_t value4 = 0;
    int32_t value5 = 0;
    DString text2;
};

// The library's banner service. There is no network here: a download reads the
// banner list shipped with the library's data ("ads/banners.txt") on a worker
// thread of its own and hands the result to the caller's function on that
// thread. The list is a text file, one banner a line, fields separated by "|":
//
//   name|link|image|seconds[|value1|value2|value3|text1|value4|value5|text2]
//
// Blank lines and lines starting with "#" are skipped. name and image must not
// be empty; the integers are decimal with an optional sign and must fit 32
// bits. A line that breaks these rules, or is longer than kMaxLineLength, is
// skipped; at most kMaxBanners banners are taken. A download fails when the
// file cannot be read, is larger than kMaxFileSize or holds no banner.
class InAppAdsController {
public:
    // The result, on the download's own thread: the list (valid during the
    // call only), the caller's word, and whether a list came.
    typedef void (*FnBannersDownloaded)(const Vector<AdsData>& list, void* user, bool success);

    enum { kMaxBanners = 64, kMaxLineLength = 4096, kMaxFileSize = 1 << 20 };

    explicit InAppAdsController(std::string listFile);
    // Cancels every download and waits for their threads.
    ~InAppAdsController();
    InAppAdsController(const InAppAdsController&) = delete;
    InAppAdsController& operator=(const InAppAdsController&) = delete;

    // Starts a download for a screen of that size; done is called once, from
    // another thread, unless the download is cancelled first. text, width,
    // height, scale and landscape would select the banners on a server; the
    // local list ignores them.
    void DownloadBanner(const DString& text, int width, int height, float scale, bool landscape,
                        FnBannersDownloaded done, void* user);
    // Cancels the downloads started for user (every download when user is
    // null) and waits until none of them is running: afterwards their
    // function is not running and will not be called.
    void CancelDownload(void* user = nullptr);
    // Waits until every download started so far has finished.
    void WaitForDownloads();
    // Downloads started and not yet finished.
    int RunningDownloads();

    // Reads a banner list (length bytes, NULs allowed) into out, after
    // emptying it; true when at least one banner was taken. rejected, when
    // given, gets the number of lines skipped as malformed.
    static bool ParseBannerList(const char* text, size_t length, Vector<AdsData>& out, int* rejected = nullptr);
    // The file read and parsed; false when it cannot be read, is too large or
    // holds no banner.
    static bool ReadBannerList(const std::string& file, Vector<AdsData>& out);

    // The list file; changed only while no download runs.
    std::string listFile;
    // Simulated network time of each download, in ms of real time (0: none).
    std::atomic<int> latencyMs{0};

private:
    struct Request {
        void* user = nullptr;
        FnBannersDownloaded done = nullptr;
        std::string file;
        bool cancelled = false;  // guarded by mutex_
        std::atomic<bool> finished{false};
        std::thread thread;
    };
    void Run(Request* request);
    // Joins and drops the requests whose threads have finished.
    void Reap();

    std::mutex mutex_;
    std::condition_variable wake_;  // wakes a simulated wait on cancel
    std::list<std::unique_ptr<Request>> requests_;
};
