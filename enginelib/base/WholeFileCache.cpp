#include "enginelib/base/WholeFileCache.h"

#include "enginelib/base/Path.h"
#include "enginelib/base/TFicheroITV.h"

TWholeFileCache& TWholeFileCache::Shared()
{
    static TWholeFileCache cache;
    return cache;
}

std::shared_ptr<const TWholeFile> TWholeFileCache::Read(const std::string& path, Path::LookupBatch* lookups)
{
    auto identityOf = [&](struct timespec* modified) {
        return lookups ? lookups->FileIdentity(path, modified) : Path::FileIdentity(path, modified);
    };
    struct timespec modified = {0, 0};
    const std::string identity = identityOf(&modified);
    if (identity.empty())
        return nullptr;
    if (std::shared_ptr<const TWholeFile> kept = Find(path, identity))
        return kept;
    auto file = std::make_shared<TWholeFile>();
    if (!TFicheroITV::LeeEntero(path.c_str(), file->data, file->size, file->length))
        return nullptr;
    // A file that changed while it was read is not kept (its bytes may belong
    // to neither version), nor one that would crowd out the rest. Nor is one
    // changed a moment ago: rewritten again within the same tick of the file
    // system's clock, with the same length, it would look unchanged.
    // The second look goes to the disk: a batch answers as of its first look.
    if (file->length != file->size || file->size > MaxBytes / 4 || !Path::SettledTime(modified) ||
        Path::FileIdentity(path) != identity)
        return file;
    std::lock_guard<std::mutex> lock(mutex_);
    Entry& entry = files_[path];
    if (entry.file)
        bytes_ -= entry.file->size;
    entry.identity = identity;
    entry.file = file;
    entry.used = ++clock_;
    bytes_ += file->size;
    Trim();
    return file;
}

std::shared_ptr<const TWholeFile> TWholeFileCache::Find(const std::string& path, const std::string& identity)
{
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = files_.find(path);
    if (it == files_.end() || it->second.identity != identity)
        return nullptr;
    it->second.used = ++clock_;
    return it->second.file;
}

void TWholeFileCache::Trim()
{
    // Files still held elsewhere cost nothing extra; the rest go least recently used first.
    while (bytes_ > MaxBytes || files_.size() > MaxFiles) {
        auto oldest = files_.end();
        for (auto it = files_.begin(); it != files_.end(); ++it)
            if (it->second.file.use_count() == 1 && (oldest == files_.end() || it->second.used < oldest->second.used))
                oldest = it;
        if (oldest == files_.end())
            return;
        bytes_ -= oldest->second.file->size;
        files_.erase(oldest);
    }
}

void TWholeFileCache::Clear()
{
    std::lock_guard<std::mutex> lock(mutex_);
    files_.clear();
    bytes_ = 0;
}

int TWholeFileCache::GetCount() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return int(files_.size());
}

size_t TWholeFileCache::GetMemoryUsed() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return bytes_;
}
