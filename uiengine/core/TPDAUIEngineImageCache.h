#pragma once
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>

#include "enginelib/base/LruIndex.h"

class TDibIG;

// Decoded and themed skin images shared by every resource store of the
// process: a page that names an image another page (or an earlier load of the
// same page) already read gets the same pixels without reading the file again.
// The key names the file's version and the themes applied (see
// TPDAUIEngineResources). Images no store holds any more are kept up to
// MaxBytes, least recently used going first. Shared images are read-only; an
// image about to get new pixels is forgotten first.
class TPDAUIEngineImageCache {
public:
    static constexpr size_t MaxBytes = size_t(16) << 20;

    static TPDAUIEngineImageCache& Shared();

    TPDAUIEngineImageCache() = default;
    TPDAUIEngineImageCache(const TPDAUIEngineImageCache&) = delete;
    TPDAUIEngineImageCache& operator=(const TPDAUIEngineImageCache&) = delete;

    // The image kept under key, or null.
    std::shared_ptr<TDibIG> Find(const std::string& key);
    // Keeps image under key (replacing what was kept there).
    void Add(const std::string& key, const std::shared_ptr<TDibIG>& image);
    // Drops image from the cache; its holders keep it.
    void Forget(const TDibIG* image);
    void Clear();

    int GetCount() const;
    // Bytes of the pixels kept.
    size_t GetMemoryUsed() const;

private:
    void Trim();

    mutable std::mutex mutex_;
    TLruIndex<std::string, std::shared_ptr<TDibIG>> entries_;
};
