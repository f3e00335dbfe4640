#pragma once
#include <cstddef>
#include <functional>
#include <list>
#include <unordered_map>

// Entries kept most recently used first and found by key, with the sum of the
// sizes their keeper gave them, so that it can drop the oldest by its own rule.
// Not locked: its keeper holds the lock.
template <class Key, class Value, class Hash = std::hash<Key>>
class TLruIndex {
public:
    struct Entry {
        Key key;
        Value value;
        size_t bytes;
    };
    using List = std::list<Entry>;
    using iterator = typename List::iterator;

    // The entry under key, made the most recently used; null when none.
    Entry* Find(const Key& key)
    {
        auto it = index_.find(key);
        if (it == index_.end())
            return nullptr;
        entries_.splice(entries_.begin(), entries_, it->second);
        return &*it->second;
    }
    bool Contains(const Key& key) const { return index_.count(key) != 0; }
    // Keeps value under key as the most recently used, replacing what was there.
    void Put(const Key& key, Value value, size_t bytes)
    {
        auto it = index_.find(key);
        if (it != index_.end())
            Erase(it->second);
        entries_.push_front(Entry{key, std::move(value), bytes});
        index_[key] = entries_.begin();
        bytes_ += bytes;
    }
    // Gives the entry after it.
    iterator Erase(iterator it)
    {
        bytes_ -= it->bytes;
        index_.erase(it->key);
        return entries_.erase(it);
    }
    void Clear()
    {
        index_.clear();
        entries_.clear();
        bytes_ = 0;
    }

    // Most recently used first.
    iterator begin() { return entries_.begin(); }
    iterator end() { return entries_.end(); }
    bool empty() const { return entries_.empty(); }
    size_t Count() const { return entries_.size(); }
    size_t Bytes() const { return bytes_; }

private:
    List entries_;
    std::unordered_map<Key, iterator, Hash> index_;
    size_t bytes_ = 0;
};
