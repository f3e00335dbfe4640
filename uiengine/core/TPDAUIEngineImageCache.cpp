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
    auto it = index_.find(key);
    if (it == index_.end())
        return nullptr;
    entries_.splice(entries_.begin(), entries_, it->second);
    return it->second->image;
}

void TPDAUIEngineImageCache::Add(const std::string& key, const std::shared_ptr<TDibIG>& image)
{
    if (!image)
        return;
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = index_.find(key);
    if (it != index_.end())
        Erase(it->second);
    const size_t bytes = size_t(image->BitsSize()) + size_t(image->AlphaSize());
    entries_.push_front(Entry{key, image, bytes});
    index_[key] = entries_.begin();
    bytes_ += bytes;
    Trim();
}

void TPDAUIEngineImageCache::Forget(const TDibIG* image)
{
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto it = entries_.begin(); it != entries_.end();) {
        auto next = std::next(it);
        if (it->image.get() == image)
            Erase(it);
        it = next;
    }
}

void TPDAUIEngineImageCache::Clear()
{
    std::lock_guard<std::mutex> lock(mutex_);
    index_.clear();
    entries_.clear();
    bytes_ = 0;
}

int TPDAUIEngineImageCache::GetCount() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return int(entries_.size());
}

size_t TPDAUIEngineImageCache::GetMemoryUsed() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return bytes_;
}

void TPDAUIEngineImageCache::Erase(List::iterator it)
{
    bytes_ -= it->bytes;
    index_.erase(it->key);
    entries_.erase(it);
}

void TPDAUIEngineImageCache::Trim()
{
    // Images that stores still hold cost nothing extra; the rest go oldest first.
    auto it = entries_.end();
    while (bytes_ > MaxBytes && it != entries_.begin()) {
        --it;
        if (it->image.use_count() > 1)
            continue;
        auto drop = it++;
        Erase(drop);
    }
}
