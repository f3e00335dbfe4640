#include "enginelib/nav/InAppAdsController.h"

#include <chrono>
#include <climits>
#include <cstdio>
#include <system_error>
#include <vector>

namespace {

// The fields of one line, split at "|" (count is how many were found, at most
// the array's size + 1 so that a line with too many fields is seen).
const int kFields = 11;

bool ParseInt(const char* begin, const char* end, int32_t& value)
{
    const char* p = begin;
    bool negative = false;
    if (p < end && (*p == '-' || *p == '+'))
        negative = *p++ == '-';
    if (p == end)
        return false;
    long long v = 0;
    for (; p < end; ++p) {
        if (*p < '0' || *p > '9')
            return false;
        v = v * 10 + (*p - '0');
        if (v > (long long)INT_MAX + 1)
            return false;
    }
    if (negative)
        v = -v;
    if (v < INT_MIN || v > INT_MAX)
        return false;
    value = (int32_t)v;
    return true;
}

bool ParseLine(const char* begin, const char* end, AdsData& banner)
{
    const char* starts[kFields + 1];
    const char* ends[kFields + 1];
    int count = 0;
    const char* field = begin;
    for (const char* p = begin;; ++p) {
        if (p == end || *p == '|') {
            if (count == kFields)
                return false;  // more fields than a banner has
            starts[count] = field;
            ends[count] = p;
            ++count;
            if (p == end)
                break;
            field = p + 1;
        }
    }
    if (count < 4 || starts[0] == ends[0] || starts[2] == ends[2])
        return false;
    auto text = [&](int i) { return i < count ? DString(starts[i], (int)(ends[i] - starts[i])) : DString(); };
    auto number = [&](int i, int32_t& v) {
        v = 0;
        return i >= count || ParseInt(starts[i], ends[i], v);
    };
    AdsData b;
    if (!number(3, b.seconds) || !number(4, b.value1) || !number(5, b.value2) || !number(6, b.value3) ||
        !number(8, b.value4) || !number(9, b.value5))
        return false;
    b.name = text(0);
    b.link = text(1);
    b.image = text(2);
    b.text1 = text(7);
    b.text2 = text(10);
    banner = b;
    return true;
}

} // namespace

InAppAdsController::InAppAdsController(std::string file) : listFile(std::move(file)) {}

InAppAdsController::~InAppAdsController() { CancelDownload(nullptr); }

bool InAppAdsController::ParseBannerList(const char* text, size_t length, Vector<AdsData>& out, int* rejected)
{
    out.RemoveAll();
    int skipped = 0;
    const char* p = text ? text : "";
    const char* const end = text ? text + length : p;
    while (p < end) {
        const char* lineEnd = p;
        while (lineEnd < end && *lineEnd != '\n')
            ++lineEnd;
        const char* next = lineEnd < end ? lineEnd + 1 : end;
        if (lineEnd > p && lineEnd[-1] == '\r')
            --lineEnd;
        const size_t size = (size_t)(lineEnd - p);
        if (size == 0 || *p == '#') {
            // blank line or comment
        } else if (out.Count() >= kMaxBanners) {
            break;
        } else {
            AdsData banner;
            if (size <= (size_t)kMaxLineLength && ParseLine(p, lineEnd, banner))
                out.Add(banner);
            else
                ++skipped;
        }
        p = next;
    }
    if (rejected)
        *rejected = skipped;
    return out.Count() > 0;
}

bool InAppAdsController::ReadBannerList(const std::string& file, Vector<AdsData>& out)
{
    out.RemoveAll();
    FILE* f = std::fopen(file.c_str(), "rb");
    if (!f)
        return false;
    // One byte past the limit tells a file that is too large.
    std::vector<char> bytes((size_t)kMaxFileSize + 1);
    const size_t got = std::fread(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    if (got > (size_t)kMaxFileSize)
        return false;
    return ParseBannerList(bytes.data(), got, out);
}

void InAppAdsController::DownloadBanner(const DString& text, int width, int height, float scale, bool landscape,
                                        FnBannersDownloaded done, void* user)
{
    Reap();
    auto request = std::make_unique<Request>();
    request->user = user;
    request->done = done;
    request->file = listFile;
    Request* r = request.get();
    std::lock_guard<std::mutex> lock(mutex_);
    requests_.push_back(std::move(request));
    try {
        r->thread = std::thread(&InAppAdsController::Run, this, r);
    } catch (const std::system_error&) {
        // No thread to be had: the download fails at once, as a lost network would.
        requests_.pop_back();
        if (done) {
            Vector<AdsData> none;
            done(none, user, false);
        }
    }
}

void InAppAdsController::Run(Request* r)
{
    const int latency = latencyMs.load();
    if (latency > 0) {
        std::unique_lock<std::mutex> lock(mutex_);
        wake_.wait_for(lock, std::chrono::milliseconds(latency), [r] { return r->cancelled; });
    }
    Vector<AdsData> list(10, 2);
    const bool ok = ReadBannerList(r->file, list);
    bool cancelled;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        cancelled = r->cancelled;
    }
    // A cancel that comes after this check waits for the call to end.
    if (!cancelled && r->done)
        r->done(list, r->user, ok);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        r->finished = true;
    }
    wake_.notify_all();
}

void InAppAdsController::CancelDownload(void* user)
{
    std::list<std::unique_ptr<Request>> taken;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (auto it = requests_.begin(); it != requests_.end();) {
            Request* r = it->get();
            // A download's own function cancelling it cannot wait for itself.
            if ((user && r->user != user) || r->thread.get_id() == std::this_thread::get_id()) {
                ++it;
                continue;
            }
            r->cancelled = true;
            taken.splice(taken.end(), requests_, it++);
        }
    }
    wake_.notify_all();
    for (auto& r : taken)
        if (r->thread.joinable())
            r->thread.join();
}

void InAppAdsController::WaitForDownloads()
{
    {
        std::unique_lock<std::mutex> lock(mutex_);
        wake_.wait(lock, [this] {
            for (auto& r : requests_)
                if (!r->finished)
                    return false;
            return true;
        });
    }
    Reap();
}

int InAppAdsController::RunningDownloads()
{
    std::lock_guard<std::mutex> lock(mutex_);
    int n = 0;
    for (auto& r : requests_)
        n += r->finished ? 0 : 1;
    return n;
}

void InAppAdsController::Reap()
{
    std::list<std::unique_ptr<Request>> done;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (auto it = requests_.begin(); it != requests_.end();) {
            if ((*it)->finished && (*it)->thread.get_id() != std::this_thread::get_id())
                done.splice(done.end(), requests_, it++);
            else
                ++it;
        }
    }
    for (auto& r : done)
        if (r->thread.joinable())
            r->thread.join();
}
