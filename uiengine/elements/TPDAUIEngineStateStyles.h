#pragma once
#include <cstddef>
#include <memory>
#include <new>

// Blocks come from the plain heap under the sanitizers, so that a use after
// free is still caught.
#if defined(__SANITIZE_ADDRESS__)
#define ORBETA_STATE_STYLES_PLAIN_HEAP 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(memory_sanitizer)
#define ORBETA_STATE_STYLES_PLAIN_HEAP 1
#endif
#endif

// An element's five per-state styles (borders or backgrounds), held out of line
// and only once one of them is edited. Most elements keep the defaults, and a
// page makes, lays out and drops thousands of elements: kept inline they would
// make every element several times larger. Reading never allocates; an element
// that has not edited its styles reads the shared defaults (T's own).
template <class T>
class TPDAUIEngineStateStyles {
public:
    enum { kStates = 5 };

    TPDAUIEngineStateStyles() = default;
    TPDAUIEngineStateStyles(const TPDAUIEngineStateStyles& other)
        : block_(other.block_ ? new Block(*other.block_) : nullptr)
    {
    }
    TPDAUIEngineStateStyles& operator=(const TPDAUIEngineStateStyles& other)
    {
        if (!other.block_)
            block_.reset();
        else if (block_)
            *block_ = *other.block_;
        else
            block_.reset(new Block(*other.block_));
        return *this;
    }

    // A state's style (0 to 4).
    const T& operator[](int state) const { return (block_ ? *block_ : Defaults()).items[state]; }
    // A state's style to change; the first edit makes the element's own copy
    // of all five.
    T& Edit(int state) { return Own().items[state]; }
    // Every state's style to the given one.
    void SetAll(const T& style)
    {
        for (T& item : Own().items)
            item = style;
    }
    // Back to the defaults, dropping the element's own copy.
    void Reset() { block_.reset(); }
    // A new own copy of all five, each made by make(state) as a T by value
    // (states in order): none is default-made first and then overwritten.
    template <class Make>
    void MakeEach(Make make)
    {
        block_.reset(new Block{{make(0), make(1), make(2), make(3), make(4)}});
    }
    // Whether the element holds its own copy (it may still equal the defaults).
    bool IsOwn() const { return block_ != nullptr; }

    const T* begin() const { return (block_ ? *block_ : Defaults()).items; }
    const T* end() const { return begin() + kStates; }

private:
    struct Block {
        T items[kStates];
#ifndef ORBETA_STATE_STYLES_PLAIN_HEAP
        // A page load makes and drops hundreds of blocks of one size: more than
        // the allocator's per-thread cache holds, so they are kept here instead.
        static void* operator new(std::size_t bytes) { return Spare().Take(bytes); }
        static void operator delete(void* block) noexcept { Spare().Give(block); }
#endif
    };
    // Freed blocks of this thread, reused newest first; a bounded number is kept.
    struct SpareBlocks {
        struct Link {
            Link* next;
        };
        enum { kKept = 1024 };
        Link* head = nullptr;
        int count = 0;
        bool gone = false;  // the thread is ending: blocks go straight back to the heap
        ~SpareBlocks()
        {
            gone = true;
            while (head) {
                Link* next = head->next;
                ::operator delete(head);
                head = next;
            }
        }
        void* Take(std::size_t bytes)
        {
            if (!head || gone)
                return ::operator new(bytes);
            Link* block = head;
            head = head->next;
            --count;
            return block;
        }
        void Give(void* block)
        {
            if (!block)
                return;
            if (count >= kKept || gone) {
                ::operator delete(block);
                return;
            }
            Link* link = static_cast<Link*>(block);
            link->next = head;
            head = link;
            ++count;
        }
    };
    static SpareBlocks& Spare()
    {
        static thread_local SpareBlocks spare;
        return spare;
    }
    static const Block& Defaults()
    {
        static const Block defaults;
        return defaults;
    }
    Block& Own()
    {
        if (!block_)
            block_.reset(new Block);  // each style starts at its own defaults; no zero fill first
        return *block_;
    }

    std::unique_ptr<Block> block_;
};
