#include "enginelib/base/FolderWatch.h"

#include <errno.h>
#include <limits.h>
#include <pthread.h>
#include <stdlib.h>
#include <string.h>
#include <sys/inotify.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <algorithm>

namespace Path {

namespace {

// File systems that tell inotify of every change. Not network ones: a change
// made by another client does not show there.
bool LocalFileSystem(const char* path)
{
    struct statfs fs;
    if (::statfs(path, &fs) != 0)
        return false;
    switch ((unsigned long)fs.f_type) {
    case 0xEF53UL:      // ext2, ext3, ext4
    case 0x01021994UL:  // tmpfs
    case 0x858458F6UL:  // ramfs
    case 0x58465342UL:  // xfs
    case 0x9123683EUL:  // btrfs
    case 0xF2F52010UL:  // f2fs
    case 0x794C7630UL:  // overlayfs
        return true;
    default:
        return false;
    }
}

// On the way to a folder, what could put another folder at its path.
const uint32_t kWayEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_ATTRIB | IN_DELETE_SELF |
                            IN_MOVE_SELF | IN_ONLYDIR | IN_MASK_ADD;
// In the folder, anything that changes what a stat of it or its files says.
const uint32_t kFolderEvents = kWayEvents | IN_MODIFY | IN_CLOSE_WRITE;
// The watch itself went, or the folder is no longer where it was.
const uint32_t kGone = IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED | IN_UNMOUNT;
const size_t kMaxFolders = 16;

// A child made by fork shares the parent's queue of changes: it must not take
// the parent's news, so it looks at the disk instead.
bool g_forked = false;
void ForkedChild() { g_forked = true; }

} // namespace

FolderWatch& FolderWatch::Shared()
{
    // Never destroyed: caches torn down at exit may still ask.
    static FolderWatch* shared = new FolderWatch;
    return *shared;
}

FolderWatch::~FolderWatch()
{
    if (fd_ >= 0)
        ::close(fd_);
}

bool FolderWatch::Open()
{
    if (fd_ >= 0)
        return true;
    if (unusable_)
        return false;
    fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd_ < 0) {
        unusable_ = true;
        return false;
    }
    static bool registered = (::pthread_atfork(nullptr, nullptr, ForkedChild) == 0);
    (void)registered;
    return true;
}

bool FolderWatch::Add(const std::string& folder, int fd)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (g_forked || folder.size() < 2 || folder[0] != '/' || fd < 0)
        return false;
    if (folders_.count(folder))
        return true;
    // No links on the way: a link changed elsewhere would not show here.
    char real[PATH_MAX];
    if (!::realpath(folder.c_str(), real) || folder != real || !Open())
        return false;
    if (folders_.size() >= kMaxFolders)
        DropAll();
    Folder& added = folders_[folder];
    // The way first: a folder put at this path after it is watched shows as a
    // change on the way.
    bool ok = true;
    for (size_t slash = 0; ok;) {
        const size_t next = folder.find('/', slash + 1);
        const std::string dir = slash == 0 ? std::string("/") : folder.substr(0, slash);
        const std::string name =
            folder.substr(slash + 1, next == std::string::npos ? std::string::npos : next - slash - 1);
        const int wd = LocalFileSystem(dir.c_str()) ? ::inotify_add_watch(fd_, dir.c_str(), kWayEvents) : -1;
        if (wd < 0) {
            ok = false;
            break;
        }
        dirs_[wd].ways.emplace_back(name, folder);
        added.dirs.push_back(wd);
        if (next == std::string::npos)
            break;
        slash = next;
    }
    // Still the folder held open, and watched as that very folder.
    struct stat held, now;
    if (ok && (::fstat(fd, &held) != 0 || ::stat(folder.c_str(), &now) != 0 || held.st_dev != now.st_dev ||
               held.st_ino != now.st_ino || !LocalFileSystem(folder.c_str())))
        ok = false;
    if (ok) {
        const std::string self = "/proc/self/fd/" + std::to_string(fd);
        const int wd = ::inotify_add_watch(fd_, self.c_str(), kFolderEvents);
        if (wd < 0) {
            ok = false;
        } else {
            dirs_[wd].ways.emplace_back(std::string(), folder);
            added.dirs.push_back(wd);
        }
    }
    if (!ok) {
        Drop(folder);
        return false;
    }
    ++moment_;  // nothing looked at before the watch began is kept
    return true;
}

bool FolderWatch::Watching(const std::string& folder)
{
    std::lock_guard<std::mutex> lock(mutex_);
    return folders_.count(folder) != 0;
}

void FolderWatch::Clear()
{
    std::lock_guard<std::mutex> lock(mutex_);
    DropAll();
}

uint64_t FolderWatch::Moment()
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (g_forked || folders_.empty())
        return 0;
    Poll();
    return folders_.empty() ? 0 : moment_;
}

bool FolderWatch::Find(const std::string& folder, const std::string& name, uint64_t moment, struct stat& st)
{
    if (moment == 0)
        return false;
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = folders_.find(folder);
    if (it == folders_.end() || it->second.keptAt != moment)
        return false;
    auto kept = it->second.kept.find(name);
    if (kept == it->second.kept.end())
        return false;
    st = kept->second;
    return true;
}

bool FolderWatch::Holds(const std::vector<std::string>& folders, uint64_t moment)
{
    if (moment == 0)
        return false;
    std::lock_guard<std::mutex> lock(mutex_);
    if (g_forked)
        return false;
    Poll();
    if (moment != moment_)
        return false;
    for (const std::string& folder : folders)
        if (!folders_.count(folder))
            return false;
    return true;
}

void FolderWatch::Keep(const std::string& folder, const std::string& name, uint64_t moment, const struct stat& st)
{
    if (moment == 0)
        return;
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = folders_.find(folder);
    // A change told since that moment may not show in st.
    if (it == folders_.end() || moment != moment_)
        return;
    Folder& f = it->second;
    if (f.keptAt != moment) {
        f.kept.clear();
        f.keptAt = moment;
    }
    f.kept[name] = st;
}

void FolderWatch::Poll()
{
    if (fd_ < 0)
        return;
    alignas(struct inotify_event) char buffer[8192];
    for (;;) {
        const ssize_t n = ::read(fd_, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
                DropAll();  // no news can be trusted from here on
            return;
        }
        for (ssize_t at = 0; at + (ssize_t)sizeof(struct inotify_event) <= n;) {
            const auto* e = reinterpret_cast<const struct inotify_event*>(buffer + at);
            at += sizeof(struct inotify_event) + e->len;
            if (e->mask & IN_Q_OVERFLOW) {
                DropAll();  // changes were lost
                continue;
            }
            auto it = dirs_.find(e->wd);
            if (it == dirs_.end())
                continue;
            const Dir& d = it->second;
            const char* name = e->len ? e->name : "";
            std::vector<std::string> gone;
            bool changed = false;
            for (const auto& way : d.ways) {
                if (way.first.empty())
                    changed = true;  // in the folder itself
                if ((e->mask & kGone) || (!way.first.empty() && way.first == name))
                    gone.push_back(way.second);
            }
            if (changed)
                ++moment_;
            for (const std::string& folder : gone)
                Drop(folder);
        }
    }
}

void FolderWatch::Drop(const std::string& folder)
{
    auto it = folders_.find(folder);
    if (it == folders_.end())
        return;
    for (int wd : it->second.dirs)
        Release(wd, folder);
    folders_.erase(it);
    ++moment_;
}

void FolderWatch::Release(int wd, const std::string& folder)
{
    auto it = dirs_.find(wd);
    if (it == dirs_.end())
        return;
    Dir& d = it->second;
    auto way = std::find_if(d.ways.begin(), d.ways.end(), [&](const auto& w) { return w.second == folder; });
    if (way != d.ways.end())
        d.ways.erase(way);
    if (d.ways.empty()) {
        ::inotify_rm_watch(fd_, wd);
        dirs_.erase(it);
    }
}

void FolderWatch::DropAll()
{
    for (const auto& d : dirs_)
        ::inotify_rm_watch(fd_, d.first);
    dirs_.clear();
    folders_.clear();
    ++moment_;
}

} // namespace Path
