#include "uiengine/elements/TPDAUIEngineElementPool.h"

#include <mutex>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#define ORBETA_ELEMENT_PLAIN_HEAP 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(memory_sanitizer)
#define ORBETA_ELEMENT_PLAIN_HEAP 1
#endif
#endif

#ifndef ORBETA_ELEMENT_PLAIN_HEAP

namespace {

const size_t kGrain = 64;                       // sizes are kept in steps of this
const size_t kLargestPooled = 8 * 1024;         // bigger objects use the heap
const size_t kClasses = kLargestPooled / kGrain;
const size_t kSlabBytes = 60 * 1024;            // below malloc's mmap threshold

struct FreeBlock {
    FreeBlock* next;
};

// Slabs are carved from the front; a freed block waits on its size's list. The
// pool only grows: its size is the most elements alive at once.
struct Pool {
    std::mutex mutex;
    FreeBlock* freeLists[kClasses] = {};
    char* next = nullptr;
    char* end = nullptr;
};

Pool& ThePool()
{
    // Never destroyed: elements in static storage may go after it would.
    static Pool* pool = new Pool();
    return *pool;
}

size_t ClassOf(size_t size) { return size == 0 ? 0 : (size - 1) / kGrain; }

} // namespace

void* TPDAUIEngineElementPool::Allocate(size_t size)
{
    if (size > kLargestPooled)
        return ::operator new(size);
    const size_t cls = ClassOf(size);
    const size_t bytes = (cls + 1) * kGrain;
    Pool& pool = ThePool();
    std::lock_guard<std::mutex> lock(pool.mutex);
    if (FreeBlock* block = pool.freeLists[cls]) {
        pool.freeLists[cls] = block->next;
        return block;
    }
    if ((size_t)(pool.end - pool.next) < bytes) {
        // The rest of the slab goes to the lists of the sizes it fits.
        while ((size_t)(pool.end - pool.next) >= kGrain) {
            size_t room = (size_t)(pool.end - pool.next);
            size_t fit = (room > kLargestPooled ? kLargestPooled : room) / kGrain - 1;
            auto* spare = reinterpret_cast<FreeBlock*>(pool.next);
            spare->next = pool.freeLists[fit];
            pool.freeLists[fit] = spare;
            pool.next += (fit + 1) * kGrain;
        }
        pool.next = static_cast<char*>(::operator new(kSlabBytes));
        pool.end = pool.next + kSlabBytes;
    }
    void* block = pool.next;
    pool.next += bytes;
    return block;
}

void TPDAUIEngineElementPool::Free(void* block, size_t size) noexcept
{
    if (!block)
        return;
    if (size > kLargestPooled) {
        ::operator delete(block);
        return;
    }
    Pool& pool = ThePool();
    std::lock_guard<std::mutex> lock(pool.mutex);
    auto* freed = static_cast<FreeBlock*>(block);
    const size_t cls = ClassOf(size);
    freed->next = pool.freeLists[cls];
    pool.freeLists[cls] = freed;
}

#else

void* TPDAUIEngineElementPool::Allocate(size_t size) { return ::operator new(size); }

void TPDAUIEngineElementPool::Free(void* block, size_t) noexcept { ::operator delete(block); }

#endif
