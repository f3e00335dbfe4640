#include "uiengine/elements/TPDAUIEngineElementPool.h"

#include <cstdint>
#include <mutex>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

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
const size_t kLargePage = 2 * 1024 * 1024;

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

// A fresh region to carve. Where the system can, one large page: a page of
// thousands of elements then costs the processor a handful of address
// translations instead of thousands, which is what a layout pass over it
// waits on once it is bigger than the cache. Otherwise a heap slab.
char* NewRegion(size_t& bytes)
{
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    const size_t span = 2 * kLargePage;
    void* raw = mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw != MAP_FAILED) {
        const uintptr_t at = (uintptr_t)raw;
        const uintptr_t start = (at + kLargePage - 1) & ~(uintptr_t)(kLargePage - 1);
        const size_t head = start - at;
        if (head)
            munmap(raw, head);
        if (span - head - kLargePage)
            munmap((void*)(start + kLargePage), span - head - kLargePage);
        madvise((void*)start, kLargePage, MADV_HUGEPAGE);
        bytes = kLargePage;
        return (char*)start;
    }
#endif
    bytes = kSlabBytes;
    return static_cast<char*>(::operator new(kSlabBytes));
}

size_t ClassOf(size_t size) { return size == 0 ? 0 : (size - 1) / kGrain; }

// Blocks freed on this thread, handed out again without the pool's lock: a
// page is built and dropped on one thread, one lock per element otherwise. A
// bounded number per size is kept; the rest, and all of them when the thread
// ends, go back to the shared lists.
// Plain data, so that reaching it takes no per-thread set-up test on every
// ask; what returns the blocks at thread end is set up by the first block kept.
struct ThreadBlocks {
    static const int kKept = 512;
    FreeBlock* lists[kClasses];
    int counts[kClasses];
    bool gone;     // the thread is ending: blocks go straight to the shared lists
    bool hooked;   // the thread-end return is set up
};

thread_local ThreadBlocks t_blocks;  // zero-initialised

ThreadBlocks& Mine() { return t_blocks; }

struct ThreadBlocksReturn {
    ~ThreadBlocksReturn()
    {
        ThreadBlocks& mine = Mine();
        mine.gone = true;
        Pool& pool = ThePool();
        std::lock_guard<std::mutex> lock(pool.mutex);
        for (size_t cls = 0; cls < kClasses; ++cls)
            while (FreeBlock* block = mine.lists[cls]) {
                mine.lists[cls] = block->next;
                block->next = pool.freeLists[cls];
                pool.freeLists[cls] = block;
            }
    }
};

#if defined(__GNUC__) || defined(__clang__)
__attribute__((noinline))
#endif
void HookThreadEnd()
{
    thread_local ThreadBlocksReturn giveBack;
    (void)giveBack;
    Mine().hooked = true;
}

// Out of line: the usual ask, met from this thread's list, then saves no
// registers for it.
#if defined(__GNUC__) || defined(__clang__)
__attribute__((noinline))
#endif
void* AllocateShared(size_t cls, size_t bytes)
{
    Pool& pool = ThePool();
    std::lock_guard<std::mutex> lock(pool.mutex);
    if (FreeBlock* block = pool.freeLists[cls]) {
        pool.freeLists[cls] = block->next;
        // The next element of a page being built comes from there.
        if (block->next)
            TPDAUIEngineElementPool::PrefetchForWrite(block->next, bytes);
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
        size_t region = 0;
        pool.next = NewRegion(region);
        pool.end = pool.next + region;
    }
    void* block = pool.next;
    pool.next += bytes;
    return block;
}

} // namespace

void* TPDAUIEngineElementPool::Allocate(size_t size)
{
    if (size > kLargestPooled)
        return ::operator new(size);
    const size_t cls = ClassOf(size);
    const size_t bytes = (cls + 1) * kGrain;
    ThreadBlocks& mine = Mine();
    if (FreeBlock* block = mine.lists[cls]) {
        mine.lists[cls] = block->next;
        --mine.counts[cls];
        if (block->next)
            PrefetchForWrite(block->next, bytes);
        return block;
    }
    return AllocateShared(cls, bytes);
}

namespace {

// Keeps the block on this thread's list when it may, setting up the return at
// thread end first; else gives it to the shared list. Out of line: the usual
// free then makes no call that needs registers saved.
#if defined(__GNUC__) || defined(__clang__)
__attribute__((noinline))
#endif
void FreeSlow(FreeBlock* freed, size_t cls) noexcept
{
    ThreadBlocks& mine = Mine();
    if (!mine.gone && mine.counts[cls] < ThreadBlocks::kKept) {
        if (!mine.hooked)
            HookThreadEnd();
        freed->next = mine.lists[cls];
        mine.lists[cls] = freed;
        ++mine.counts[cls];
        return;
    }
    Pool& pool = ThePool();
    std::lock_guard<std::mutex> lock(pool.mutex);
    freed->next = pool.freeLists[cls];
    pool.freeLists[cls] = freed;
}

} // namespace

void TPDAUIEngineElementPool::Free(void* block, size_t size) noexcept
{
    if (!block)
        return;
    if (size > kLargestPooled) {
        ::operator delete(block);
        return;
    }
    auto* freed = static_cast<FreeBlock*>(block);
    const size_t cls = ClassOf(size);
    ThreadBlocks& mine = Mine();
    if (mine.hooked && !mine.gone && mine.counts[cls] < ThreadBlocks::kKept) {
        freed->next = mine.lists[cls];
        mine.lists[cls] = freed;
        ++mine.counts[cls];
        return;
    }
    FreeSlow(freed, cls);
}

#else

void* TPDAUIEngineElementPool::Allocate(size_t size) { return ::operator new(size); }

void TPDAUIEngineElementPool::Free(void* block, size_t) noexcept { ::operator delete(block); }

#endif
