#pragma once
#include <cstddef>
#include <cstdint>

// Storage for elements. A page is thousands of objects of a few sizes (about
// 1.5 KB each) made and dropped together; handed back to the C library, a
// closed page's memory goes back to the system and the next page faults every
// page of it in again. Freed blocks are kept here per size and handed out again
// instead, carved from large pages where the system has them. Sanitizer builds
// use the plain heap, so that their checks see every block.
class TPDAUIEngineElementPool {
public:
    // A block of at least size bytes, aligned for any element; throws
    // std::bad_alloc as operator new does.
    static void* Allocate(size_t size);
    // Takes back a block from Allocate of the same size; null is ignored.
    static void Free(void* block, size_t size) noexcept;
    // Asks for the bytes of a block ahead of their use, for reading or for
    // writing. A hint only: it never faults, whatever the address (taken as a
    // number, so it may lie past any object). A walk over a tree bigger than
    // the cache waits on one element at a time without it.
    static void Prefetch(const void* block, size_t bytes) { Prefetch(reinterpret_cast<uintptr_t>(block), bytes); }
    static void Prefetch(uintptr_t address, size_t bytes) { Hint<0>(address, bytes); }
    static void PrefetchForWrite(const void* block, size_t bytes)
    {
        Hint<1>(reinterpret_cast<uintptr_t>(block), bytes);
    }

private:
    // Four lines a step: the hints, not the counting, are what is wanted.
    template <int ForWrite>
    static void Hint(uintptr_t address, size_t bytes)
    {
        size_t at = 0;
        for (; at + 256 <= bytes; at += 256) {
            __builtin_prefetch(reinterpret_cast<const void*>(address + at), ForWrite, 3);
            __builtin_prefetch(reinterpret_cast<const void*>(address + at + 64), ForWrite, 3);
            __builtin_prefetch(reinterpret_cast<const void*>(address + at + 128), ForWrite, 3);
            __builtin_prefetch(reinterpret_cast<const void*>(address + at + 192), ForWrite, 3);
        }
        for (; at < bytes; at += 64)
            __builtin_prefetch(reinterpret_cast<const void*>(address + at), ForWrite, 3);
    }
};
