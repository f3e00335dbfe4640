#pragma once
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace Path {
class LookupBatch;
}

// A file read whole (see TFicheroITV::LeeEntero).
struct TWholeFile {
    std::unique_ptr<unsigned char[]> data;
    uint32_t size = 0;    // the file's length when opened
    uint32_t length = 0;  // what was read of it
};

// Whole files kept by path and version (Path::FileIdentity): a file read again
// costs one look at its metadata while it is unchanged; once it is rewritten,
// replaced or removed, the next read goes to the disk. Only files read in full
// and last changed a few seconds ago (Path::SettledTime) are kept, up to
// MaxBytes and MaxFiles, the longest unused going first.
class TWholeFileCache {
public:
    static constexpr size_t MaxBytes = size_t(4) << 20;
    // Also few enough files that finding the longest unused stays cheap.
    static constexpr size_t MaxFiles = 256;

    static TWholeFileCache& Shared();

    TWholeFileCache() = default;
    TWholeFileCache(const TWholeFileCache&) = delete;
    TWholeFileCache& operator=(const TWholeFileCache&) = delete;

    // The file at path, or null when no regular file is there or it does not open.
    // lookups, when given, is the batch that has just found the file.
    std::shared_ptr<const TWholeFile> Read(const std::string& path, Path::LookupBatch* lookups = nullptr);
    // The file kept for path when it is that version (Path::FileIdentity), or null.
    std::shared_ptr<const TWholeFile> Find(const std::string& path, const std::string& identity);
    void Clear();

    int GetCount() const;
    size_t GetMemoryUsed() const;

private:
    struct Entry {
        std::string identity;
        std::shared_ptr<const TWholeFile> file;
        uint64_t used = 0;
    };
    void Trim();

    mutable std::mutex mutex_;
    std::map<std::string, Entry> files_;
    size_t bytes_ = 0;
    uint64_t clock_ = 0;
};
