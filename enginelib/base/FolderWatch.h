#pragma once
#include <sys/stat.h>

#include <cstdint>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace Path {

// What was seen of a few folders held open (their own stat and their files'),
// kept until the kernel tells of a change in them or on the way to them
// (inotify): a page load then asks the disk once, not once per file.
//
// A folder is watched only where every change shows: a local file system and
// a path without links. A folder moved, removed, or put elsewhere on its path
// stops being watched; looks at it go to the disk again.
class FolderWatch {
public:
    static FolderWatch& Shared();
    FolderWatch() = default;
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;
    ~FolderWatch();

    // Starts watching folder (absolute, as ToNative gives it), held open as
    // fd. False when it cannot be watched.
    bool Add(const std::string& folder, int fd);
    bool Watching(const std::string& folder);
    void Clear();

    // Takes in what the kernel has told since; the moment now, which every
    // change moves on. 0 when nothing is watched (nothing is kept then).
    uint64_t Moment();
    // The stat of name in folder ("" for the folder itself) kept at moment.
    bool Find(const std::string& folder, const std::string& name, uint64_t moment, struct stat& st);
    // Whether every folder is watched and moment is still the moment now
    // (after taking in what the kernel has told).
    bool Holds(const std::vector<std::string>& folders, uint64_t moment);
    // Keeps st, looked at after Moment gave moment.
    void Keep(const std::string& folder, const std::string& name, uint64_t moment, const struct stat& st);

private:
    // A watched folder or one on the way to it: the folders it leads to, by
    // the name of the next step ("" for a folder watched as itself).
    struct Dir {
        std::vector<std::pair<std::string, std::string>> ways;  // name, folder
    };
    struct Folder {
        std::vector<int> dirs;  // watches on its way, then its own
        uint64_t keptAt = 0;
        std::unordered_map<std::string, struct stat> kept;
    };

    std::mutex mutex_;
    int fd_ = -1;
    bool unusable_ = false;
    uint64_t moment_ = 1;
    std::unordered_map<int, Dir> dirs_;
    std::unordered_map<std::string, Folder> folders_;

    bool Open();
    void Poll();
    void Drop(const std::string& folder);
    void DropAll();
    void Release(int dir, const std::string& folder);
};

} // namespace Path
