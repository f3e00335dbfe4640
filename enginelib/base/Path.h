#pragma once
#include <sys/stat.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The one place where the device's paths meet the Linux file system.
// Both '\' and '/' separate components. A path that begins with '\' is
// device-absolute and lives under the device root ("\Windows\fonts" ->
// <root>/Windows/fonts); one that begins with '/' is already a Linux path (the
// program's folder, the application-data folder). "." components are dropped and
// ".." takes the previous component off (never above the device root). A component
// that does not exist with its exact case is matched without regard to case.
namespace Path {

// Device root for device-absolute paths (default: the program's folder).
void SetDeviceRoot(const std::string& root);
std::string DeviceRoot();
// How often SetDeviceRoot was called: a device path names the same native
// path while this stays the same.
uint64_t RootChanges();

// Separators turned to '/', "." and ".." applied, device-absolute paths moved
// under the device root. No look-up on disk.
std::string ToNative(const std::string& path);

// ToNative, then every component matched on disk ignoring case where the exact
// case does not exist. Components that match nothing are kept as written, so the
// answer is also the right name to create a new file with.
std::string Resolve(const std::string& path);

// stat of what Resolve finds for path (one look at the disk when the name exists
// as written); native, when given, gets that name. False when nothing is there.
bool Stat(const std::string& path, struct stat& st, std::string* native = nullptr);

// What a path names, ignoring case as Resolve does.
enum class Kind { None, File, Folder };
// Answered from the folder's listing, read once and kept while the folder is
// unchanged (any entry made, removed or renamed in it is seen at the next call):
// one look at the folder per call instead of a walk over the path.
Kind Lookup(const std::string& path);

struct OpenFolder;
struct FolderListing;

// Lookups made together, as for the variants of one skin file: a folder is
// looked at once for the batch rather than once per call. For one moment's
// questions only; a later moment takes a new batch.
class LookupBatch {
public:
    Kind Lookup(const std::string& path);
    // FileIdentity, answered the same; a file in the folder the batch looked at
    // last is looked up in that folder as it was seen then, not through its
    // whole path again.
    std::string FileIdentity(const std::string& path, struct timespec* modified = nullptr);

    // The moment of the folder watch this batch answers at (FolderWatch), taken
    // at its first use of the watch; 0 when nothing is watched.
    uint64_t Moment();
    // Whether the folder of every path is watched and nothing was told of since
    // this batch's moment: until the watch's moment moves on (and the device
    // root stays, see RootChanges), any batch answers Lookup and FileIdentity
    // for those paths as this one does now.
    bool Holds(const std::vector<std::string>& paths);

private:
    std::string folder_;
    struct stat folderStat_ {};
    bool known_ = false;
    std::shared_ptr<OpenFolder> open_;  // folder_ opened, once asked for
    // folder_'s listing when it was current as seen (not when folder_ is changing now).
    std::shared_ptr<const FolderListing> listing_;
    // The batch's moment for what watched folders keep (FolderWatch).
    uint64_t moment_ = 0;
    bool momentTaken_ = false;

    // Whether native's part before slash is folder_.
    bool InFolder(const std::string& native, size_t slash) const;
};

// Text that names this version of a file: its resolved path, then its device,
// inode, size and modification time as bytes. Empty when the path is not an
// existing file. modified,
// when given, gets that time.
std::string FileIdentity(const std::string& path, struct timespec* modified = nullptr);

// True for a modification time a few seconds past: a file (or folder) last
// changed then is not being written now, and its next change gets a later time
// however coarse the file system's clock.
bool SettledTime(const struct timespec& modified);

// The program's own folder (where the executable lives), without a trailing '/'.
std::string ProgramFolder();

// True for '\' and '/'.
inline bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// ASCII case-insensitive equality and wildcard match ('*' any run, '?' one
// character), as the device's file system compares names.
bool NameEquals(const std::string& a, const std::string& b);
bool WildcardMatch(const char* pattern, const char* name);

} // namespace Path
