#include "enginelib/base/Path.h"

#include "enginelib/base/FolderWatch.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace {

std::mutex g_rootMutex;
std::string g_deviceRoot;
bool g_deviceRootSet = false;
std::atomic<uint64_t> g_rootChanges{0};

// Directory listings, keyed by folder, mapping a lower-cased name to the name on disk
// and its kind. Resolve checks a hit on disk (a name may have vanished) and trusts a
// miss only while the folder is unchanged since it was read, else the folder is read
// again; Lookup trusts both while the folder is unchanged.
struct ListedName {
    std::string name;
    Path::Kind kind = Path::Kind::File;
};
using Listing = std::unordered_map<std::string, ListedName>;

// What tells a folder apart from itself after a change: any entry created, removed or
// renamed in it moves its modification time (and its change time).
struct FolderStamp {
    dev_t device = 0;
    ino_t inode = 0;
    struct timespec modified = {0, 0};
    struct timespec changed = {0, 0};
};

} // namespace

namespace Path {

// A folder's listing as read once; never changed after, so a batch that found it
// current holds on to it without the lock.
struct FolderListing {
    Listing names;
    FolderStamp stamp;
    // A folder changed moments before it was read may change again within the same
    // tick of the file system's clock and keep its time: its misses are not trusted.
    bool settled = false;
};

} // namespace Path

namespace {

using CachedListing = Path::FolderListing;
std::mutex g_cacheMutex;
std::unordered_map<std::string, std::shared_ptr<const CachedListing>> g_listings;
const size_t kMaxCachedFolders = 256;
// Wider than any file system's timestamp tick, with room for a file server's clock.
const long kSettledSeconds = 2;

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

std::string LowerText(const std::string& s) {
    std::string r(s);
    for (char& c : r) c = Lower(c);
    return r;
}

bool Exists(const std::string& p) {
    struct stat st;
    return ::stat(p.c_str(), &st) == 0;
}

std::string Join(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    if (folder.back() == '/') return folder + name;
    return folder + "/" + name;
}

void StampFrom(const struct stat& st, FolderStamp& stamp) {
    stamp.device = st.st_dev;
    stamp.inode = st.st_ino;
    stamp.modified = st.st_mtim;
    stamp.changed = st.st_ctim;
}

bool StampOf(const std::string& folder, FolderStamp& stamp) {
    struct stat st;
    if (::stat(folder.empty() ? "." : folder.c_str(), &st) != 0) return false;
    StampFrom(st, stamp);
    return true;
}

// StampOf, answered from what a watched folder keeps when it can be.
bool StampAt(const std::string& folder, uint64_t moment, FolderStamp& stamp) {
    Path::FolderWatch& watch = Path::FolderWatch::Shared();
    struct stat st;
    if (!watch.Find(folder, std::string(), moment, st)) {
        if (::stat(folder.empty() ? "." : folder.c_str(), &st) != 0) return false;
        watch.Keep(folder, std::string(), moment, st);
    }
    StampFrom(st, stamp);
    return true;
}

bool SameTime(const struct timespec& a, const struct timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

bool SameStamp(const FolderStamp& a, const FolderStamp& b) {
    return a.device == b.device && a.inode == b.inode && SameTime(a.modified, b.modified) &&
           SameTime(a.changed, b.changed);
}

// Whether the folder's entries last changed safely before now (a time in the
// future counts as recent). An entry made later moves the time away from this one.
bool Settled(const FolderStamp& stamp) { return Path::SettledTime(stamp.modified); }

Path::Kind KindOf(const std::string& folder, const struct dirent* e) {
    if (e->d_type == DT_DIR) return Path::Kind::Folder;
    if (e->d_type == DT_REG) return Path::Kind::File;
    // Links and file systems that do not tell: ask for what the entry leads to.
    struct stat st;
    if (::stat(Join(folder, e->d_name).c_str(), &st) != 0) return Path::Kind::None;
    return S_ISDIR(st.st_mode) ? Path::Kind::Folder : Path::Kind::File;
}

Listing ReadListing(const std::string& folder) {
    Listing names;
    DIR* d = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!d) return names;
    while (struct dirent* e = ::readdir(d)) {
        std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        std::string key = LowerText(name);
        auto it = names.find(key);
        // Several names differing only in case: keep the first in byte order, so the
        // answer does not depend on the order the folder lists them.
        if (it == names.end() || name < it->second.name) names[key] = ListedName{name, KindOf(folder, e)};
    }
    ::closedir(d);
    return names;
}

// The name on disk that matches `name` ignoring case, or empty.
std::string FindIgnoringCase(const std::string& folder, const std::string& name) {
    const std::string key = LowerText(name);
    std::lock_guard<std::mutex> lock(g_cacheMutex);
    auto cached = g_listings.find(folder);
    if (cached != g_listings.end()) {
        const CachedListing& listing = *cached->second;
        auto hit = listing.names.find(key);
        if (hit != listing.names.end()) {
            if (Exists(Join(folder, hit->second.name))) return hit->second.name;
        } else if (listing.settled) {
            FolderStamp now;
            if (StampOf(folder, now) && SameStamp(now, listing.stamp)) return std::string();
        }
    }
    // Miss, stale entry or changed folder: read it again. The stamp is taken first,
    // so a change made while reading shows as a different stamp next time.
    if (cached == g_listings.end() && g_listings.size() >= kMaxCachedFolders) g_listings.clear();
    auto entry = std::make_shared<CachedListing>();
    const bool stamped = StampOf(folder, entry->stamp);
    entry->names = ReadListing(folder);
    entry->settled = stamped && Settled(entry->stamp);
    g_listings[folder] = entry;
    auto hit = entry->names.find(key);
    return hit == entry->names.end() ? std::string() : hit->second.name;
}

Path::Kind KindOnDisk(const std::string& path) {
    struct stat st;
    if (!Path::Stat(path, st)) return Path::Kind::None;
    return S_ISDIR(st.st_mode) ? Path::Kind::Folder : Path::Kind::File;
}

} // namespace

namespace Path {

// A folder held open, to look up names in without walking its path. The
// handle names the folder it was opened on even after that is renamed or
// removed, and keeps its inode from being reused meanwhile; so it stands for
// the path only while a look at the path finds the same device and inode.
struct OpenFolder {
    int fd = -1;
    dev_t device = 0;
    ino_t inode = 0;
    bool watchable = true;  // false once FolderWatch turned it down
    OpenFolder() = default;
    OpenFolder(const OpenFolder&) = delete;
    OpenFolder& operator=(const OpenFolder&) = delete;
    ~OpenFolder() {
        if (fd >= 0) ::close(fd);
    }
};

} // namespace Path

namespace {

std::mutex g_openMutex;
// Shared, so that a batch still using one dropped here keeps it open.
std::unordered_map<std::string, std::shared_ptr<Path::OpenFolder>> g_openFolders;
// Few: each holds a descriptor, and the file system it is on stays busy.
const size_t kMaxOpenFolders = 16;

// The folder open, when it is the one seen (device and inode) at the path; else null.
std::shared_ptr<Path::OpenFolder> OpenSeenFolder(const std::string& folder, const struct stat& seen) {
    std::lock_guard<std::mutex> lock(g_openMutex);
    auto it = g_openFolders.find(folder);
    Path::FolderWatch& watch = Path::FolderWatch::Shared();
    if (it != g_openFolders.end() && it->second->device == seen.st_dev && it->second->inode == seen.st_ino) {
        // Watched again after a change on its way or lost news stopped the watch.
        Path::OpenFolder& held = *it->second;
        if (held.watchable && !watch.Watching(folder)) held.watchable = watch.Add(folder, held.fd);
        return it->second;
    }
    auto open = std::make_shared<Path::OpenFolder>();
    open->fd = ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    struct stat st;
    if (open->fd < 0 || ::fstat(open->fd, &st) != 0 || st.st_dev != seen.st_dev || st.st_ino != seen.st_ino)
        return nullptr;  // changed since it was seen: this batch goes by path
    open->device = st.st_dev;
    open->inode = st.st_ino;
    if (it == g_openFolders.end() && g_openFolders.size() >= kMaxOpenFolders) g_openFolders.clear();
    g_openFolders[folder] = open;
    open->watchable = watch.Add(folder, open->fd);
    return open;
}

// FileIdentity's text for native, found as st.
std::string IdentityOf(std::string native, const struct stat& st, struct timespec* modified) {
    if (!S_ISREG(st.st_mode)) return std::string();
    if (modified) *modified = st.st_mtim;
    // The numbers go in as their bytes: asked at every load of every image, the
    // text is compared, never shown.
    const long long numbers[] = {(long long)st.st_dev, (long long)st.st_ino, (long long)st.st_size,
                                 (long long)st.st_mtim.tv_sec, (long long)st.st_mtim.tv_nsec};
    native += '|';
    native.append(reinterpret_cast<const char*>(numbers), sizeof numbers);
    return native;
}

} // namespace

namespace Path {

std::string ProgramFolder() {
    char buf[PATH_MAX + 1];
    ssize_t n = ::readlink("/proc/self/exe", buf, PATH_MAX);
    std::string exe;
    if (n > 0) {
        exe.assign(buf, size_t(n));
    } else if (::getcwd(buf, sizeof buf)) {
        return buf;
    } else {
        return ".";
    }
    size_t slash = exe.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return exe.substr(0, slash);
}

void SetDeviceRoot(const std::string& root) {
    std::string r = root;
    while (r.size() > 1 && IsSeparator(r.back())) r.pop_back();
    for (char& c : r)
        if (c == '\\') c = '/';
    std::lock_guard<std::mutex> lock(g_rootMutex);
    g_deviceRoot = r;
    g_deviceRootSet = true;
    g_rootChanges.fetch_add(1, std::memory_order_acq_rel);
}

uint64_t RootChanges() { return g_rootChanges.load(std::memory_order_acquire); }

std::string DeviceRoot() {
    std::lock_guard<std::mutex> lock(g_rootMutex);
    if (!g_deviceRootSet) {
        g_deviceRoot = ProgramFolder();
        g_deviceRootSet = true;
    }
    return g_deviceRoot;
}

namespace {

// Where the next '/' or '\\' at or after i lies in s[0, end), or end. Eight
// bytes at a time: paths are long and their separators few.
size_t NextSeparator(const char* s, size_t i, size_t end) {
    const uint64_t ones = 0x0101010101010101ull, highs = 0x8080808080808080ull;
    for (; i + 8 <= end; i += 8) {
        uint64_t word;
        std::memcpy(&word, s + i, 8);
        const uint64_t slash = word ^ (ones * '/'), back = word ^ (ones * '\\');
        // A zero byte in either marks a separator; the lowest marked byte is exact.
        const uint64_t found = (((slash - ones) & ~slash) | ((back - ones) & ~back)) & highs;
        if (found) return i + size_t(__builtin_ctzll(found) >> 3);
    }
    while (i < end && !Path::IsSeparator(s[i])) ++i;
    return i;
}

// rfind('/'), through the C library's word-wide scan.
size_t LastSlash(const std::string& s) {
    const void* at = s.empty() ? nullptr : ::memrchr(s.data(), '/', s.size());
    return at ? size_t(static_cast<const char*>(at) - s.data()) : std::string::npos;
}

// ToNative of a path without an empty, "." or ".." part and not on the device
// root: its '\\' separators become '/'. Most paths asked for are such, and
// splitting them into parts costs more than the look-up they are for. False
// for any other path.
bool SimpleNative(const std::string& path, std::string& out) {
    if (path.empty() || path[0] == '\\') return false;
    // Copied first and checked in the copy as its separators are turned: one pass.
    out = path;
    char* s = &out[0];
    const size_t begin = s[0] == '/' ? 1 : 0;
    size_t end = out.size();
    if (end > begin && IsSeparator(s[end - 1])) s[--end] = '/';
    if (begin >= end) return false;
    auto bad = [](const char* part, size_t length) {
        return length == 0 || (part[0] == '.' && (length == 1 || (length == 2 && part[1] == '.')));
    };
    size_t part = begin;
    for (size_t i = NextSeparator(s, begin, end); i < end; i = NextSeparator(s, i + 1, end)) {
        s[i] = '/';
        if (bad(s + part, i - part)) return false;
        part = i + 1;
    }
    return !bad(s + part, end - part);
}

} // namespace

std::string ToNative(const std::string& path) {
    if (path.empty()) return path;
    std::string simple;
    if (SimpleNative(path, simple)) return simple;
    const bool device = path[0] == '\\';
    const bool absolute = IsSeparator(path[0]);
    const bool trailing = IsSeparator(path.back());

    std::vector<std::string> parts;
    size_t i = 0;
    while (i < path.size()) {
        size_t j = i;
        while (j < path.size() && !IsSeparator(path[j])) ++j;
        std::string part = path.substr(i, j - i);
        i = j + 1;
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (!parts.empty() && parts.back() != "..")
                parts.pop_back();
            else if (!absolute)
                parts.push_back(part);
            // At the root, ".." stays at the root.
            continue;
        }
        parts.push_back(std::move(part));
    }

    std::string out;
    if (device) {
        out = DeviceRoot();
        if (out.empty() || out.back() != '/') out += '/';
    } else if (absolute) {
        out = "/";
    }
    for (size_t k = 0; k < parts.size(); ++k) {
        if (k) out += '/';
        out += parts[k];
    }
    if (out.empty()) return ".";
    if (trailing && !parts.empty()) out += '/';
    if (device && parts.empty() && out.size() > 1 && !trailing) out.pop_back();
    return out;
}

std::string Resolve(const std::string& path) {
    std::string native = ToNative(path);
    if (native.empty() || Exists(native)) return native;

    const bool absolute = native[0] == '/';
    const bool trailing = native.size() > 1 && native.back() == '/';
    std::vector<std::string> parts;
    size_t i = absolute ? 1 : 0;
    while (i < native.size()) {
        size_t j = native.find('/', i);
        if (j == std::string::npos) j = native.size();
        if (j > i) parts.push_back(native.substr(i, j - i));
        i = j + 1;
    }

    // The longest leading run of components that exists as written, found from the
    // end: a name missing from a folder that exists (the usual miss) costs one stat.
    // Every leading run of an existing path exists too, so this is where a walk from
    // the root taking exact names would first fail.
    auto prefix = [&](size_t count) {
        std::string p = absolute ? "/" : "";
        for (size_t i = 0; i < count; ++i) p = Join(p, parts[i]);
        return p;
    };
    size_t k = parts.empty() ? 0 : parts.size() - 1;
    std::string cur = prefix(k);
    while (k > 0 && !Exists(cur)) {
        --k;
        cur = prefix(k);
    }
    // parts[k] is known not to exist as written beneath cur (it is the last, or the
    // stat above failed for it).
    for (bool first = true; k < parts.size(); ++k, first = false) {
        std::string exact = Join(cur, parts[k]);
        if (parts[k] == ".." || (!first && Exists(exact))) {
            cur = exact;
            continue;
        }
        std::string found = FindIgnoringCase(cur, parts[k]);
        if (found.empty()) break;
        cur = Join(cur, found);
    }
    // The first component that matches nothing, and all after it, stay as written.
    for (; k < parts.size(); ++k) cur = Join(cur, parts[k]);
    if (trailing && cur.back() != '/') cur += '/';
    return cur;
}

Kind Lookup(const std::string& path) {
    LookupBatch once;
    return once.Lookup(path);
}

Kind LookupBatch::Lookup(const std::string& path) {
    const std::string native = ToNative(path);
    const size_t slash = LastSlash(native);
    if (slash == std::string::npos || slash + 1 == native.size()) return KindOnDisk(path);
    if (!known_ || !InFolder(native, slash)) {
        known_ = false;
        open_.reset();
        listing_.reset();
        const std::string folder = slash == 0 ? std::string("/") : native.substr(0, slash);
        FolderStamp now;
        if (!StampAt(folder, Moment(), now)) {
            // A folder not found as written may still match ignoring case (Resolve finds
            // it); one its parent's listing does not hold at all holds nothing.
            if (folder != "/" && Path::Lookup(folder) == Kind::None) return Kind::None;
            return KindOnDisk(path);
        }
        folder_ = folder;
        folderStat_.st_dev = now.device;
        folderStat_.st_ino = now.inode;
        folderStat_.st_mtim = now.modified;
        folderStat_.st_ctim = now.changed;
        known_ = true;
        // Changing now: its listing would not last, so none is taken for this batch.
        if (Settled(now)) {
            std::lock_guard<std::mutex> lock(g_cacheMutex);
            auto cached = g_listings.find(folder_);
            if (cached != g_listings.end() && cached->second->settled && SameStamp(now, cached->second->stamp)) {
                listing_ = cached->second;
            } else {
                if (cached == g_listings.end() && g_listings.size() >= kMaxCachedFolders) g_listings.clear();
                auto entry = std::make_shared<CachedListing>();
                entry->stamp = now;
                entry->names = ReadListing(folder_);
                entry->settled = true;
                g_listings[folder_] = entry;
                listing_ = std::move(entry);
            }
        }
    }
    if (!listing_) return KindOnDisk(path);
    std::string key(native, slash + 1);
    for (char& c : key) c = Lower(c);
    auto hit = listing_->names.find(key);
    return hit == listing_->names.end() ? Kind::None : hit->second.kind;
}

bool LookupBatch::InFolder(const std::string& native, size_t slash) const {
    return slash == 0 ? folder_ == "/" : folder_.size() == slash && native.compare(0, slash, folder_) == 0;
}

bool Stat(const std::string& path, struct stat& st, std::string* native) {
    std::string name = ToNative(path);
    if (::stat(name.c_str(), &st) != 0) {
        name = Resolve(path);
        if (name.empty() || ::stat(name.c_str(), &st) != 0) return false;
    }
    if (native) *native = std::move(name);
    return true;
}

bool SettledTime(const struct timespec& modified) {
    struct timespec now;
    if (::clock_gettime(CLOCK_REALTIME, &now) != 0) return false;
    return now.tv_sec - modified.tv_sec > kSettledSeconds;
}

std::string FileIdentity(const std::string& path, struct timespec* modified) {
    std::string native;
    struct stat st;
    if (!Stat(path, st, &native)) return std::string();
    return IdentityOf(std::move(native), st, modified);
}

std::string LookupBatch::FileIdentity(const std::string& path, struct timespec* modified) {
    std::string native = ToNative(path);
    const size_t slash = LastSlash(native);
    // Only a name in the folder looked at, as written: a name that is not there
    // so (another case, gone) goes the long way, as does any other folder.
    const bool inFolder = known_ && slash != std::string::npos && slash + 1 < native.size() && InFolder(native, slash);
    if (inFolder && !open_) open_ = OpenSeenFolder(folder_, folderStat_);
    if (!inFolder || !open_) return Path::FileIdentity(path, modified);
    FolderWatch& watch = FolderWatch::Shared();
    const std::string name(native, slash + 1);
    struct stat st;
    if (!watch.Find(folder_, name, Moment(), st)) {
        if (::fstatat(open_->fd, name.c_str(), &st, 0) != 0) return Path::FileIdentity(path, modified);
        watch.Keep(folder_, name, Moment(), st);
    }
    return IdentityOf(std::move(native), st, modified);
}

uint64_t LookupBatch::Moment() {
    if (!momentTaken_) {
        moment_ = FolderWatch::Shared().Moment();
        momentTaken_ = true;
    }
    return moment_;
}

bool LookupBatch::Holds(const std::vector<std::string>& paths) {
    const uint64_t moment = Moment();
    if (moment == 0) return false;
    std::vector<std::string> folders;
    folders.reserve(paths.size());
    for (const std::string& path : paths) {
        std::string native = ToNative(path);
        const size_t slash = LastSlash(native);
        if (slash == std::string::npos || slash == 0 || slash + 1 == native.size()) return false;
        native.resize(slash);
        folders.push_back(std::move(native));
    }
    return FolderWatch::Shared().Holds(folders, moment);
}

bool NameEquals(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

bool WildcardMatch(const char* pattern, const char* name) {
    if (!pattern || !name) return false;
    const char* p = pattern;
    const char* n = name;
    const char* starP = nullptr;
    const char* starN = nullptr;
    while (*n) {
        if (*p == '*') {
            starP = ++p;
            starN = n;
        } else if (*p && (*p == '?' || Lower(*p) == Lower(*n))) {
            ++p;
            ++n;
        } else if (starP) {
            p = starP;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (*p == '*') ++p;
    return *p == '\0';
}

} // namespace Path
