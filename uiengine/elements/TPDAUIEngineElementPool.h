#pragma once
#include <cstddef>

// Storage for elements. A page is thousands of objects of a few sizes (about
// 1.5 KB each) made and dropped together; handed back to the C library, a
// closed page's memory goes back to the system and the next page faults every
// page of it in again. Freed blocks are kept here per size and handed out again
// instead. Sanitizer builds use the plain heap, so that their checks see every
// block.
class TPDAUIEngineElementPool {
public:
    // A block of at least size bytes, aligned for any element; throws
    // std::bad_alloc as operator new does.
    static void* Allocate(size_t size);
    // Takes back a block from Allocate of the same size; null is ignored.
    static void Free(void* block, size_t size) noexcept;
};
