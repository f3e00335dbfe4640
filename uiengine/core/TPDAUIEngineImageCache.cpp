#include "uiengine/core/TPDAUIEngineImageCache.h"

#include "enginelib/draw/TDibIG.h"

TPDAUIEngineImageCache& TPDAUIEngineImageCache::Shared()
{
    static TPDAUIEngineImageCache cache;
    return cache;
}

std::shared_ptr<TDibIG> TPDAUIEngineImageCache::Find(const std::string& key)
{
    std::lock_guard<std::mutex> lock(mutex_);
    auto* entry = entries_.Find(key);
    return entry ? entry->value : nullptr;
}

void TPDAUIEngineImageCache::Add(const std::string& key, const std::shared_ptr<TDibIG>& image)
{
    if (!image)
        return;
    std::lock_guard<std::mutex> lock(mutex_);
    entries_.Put(key, image, size_t(image->BitsSize()) + size_t(image->AlphaSize()));
    Trim();
}

void TPDAUIEngineImageCache::Forget(const TDibIG* image)
{
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto it = entries_.begin(); it != entries_.end();)
        it = it->value.get() == image ? entries_.Erase(it) : std::next(it);
}

void TPDAUIEngineImageCache::Clear()
{
    std::lock_guard<std::mutex> lock(mutex_);
    entries_.Clear();
}

int TPDAUIEngineImageCache::GetCount() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return int(entries_.Count());
}

size_t TPDAUIEngineImageCache::GetMemoryUsed() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return entries_.Bytes();
}

void TPDAUIEngineImageCache::Trim()
{
    // Images that stores still hold cost nothing extra; the rest go oldest first.
    auto it = entries_.end();
    while (entries_.Bytes() > MaxBytes && it != entries_.begin()) {
        --it;
        if (it->value.use_count() > 1)
            continue;
        it = entries_.Erase(it);
    }
}
