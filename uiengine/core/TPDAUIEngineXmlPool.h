#pragma once
#include <atomic>
#include <cstddef>
#include <new>

// Storage for XML trees: nodes, attributes, their pointer arrays and their strings
// are many and small, and come from here.
#if defined(__SANITIZE_ADDRESS__)
#define ORBETA_XML_PLAIN_HEAP 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(memory_sanitizer)
#define ORBETA_XML_PLAIN_HEAP 1
#endif
#endif

#ifndef ORBETA_XML_PLAIN_HEAP
// Pool for nodes and attributes. Each thread carves objects out of its current
// chunk; every object carries a pointer to its chunk, and a chunk is released when
// its last object is deleted (from any thread) once it is no longer current. While
// a chunk is current its count holds a large bias, so allocating touches no atomic.
// A chunk is kept until every delete is counted: at most one chunk per thread
// waits for its batch to be applied. A block too big for a chunk comes from the
// heap and carries a null chunk pointer.
class TPDAUIEngineXmlPool {
public:
    static void* Allocate(size_t size)
    {
        size_t need = sizeof(Chunk*) + ((size + 7) & ~(size_t)7);
        if (need > kChunkBytes - kHeader) {
            Chunk** slot = (Chunk**)::operator new(need, std::nothrow);
            if (!slot)
                return nullptr;  // only a pointer array can be this big; its vector reports it
            *slot = nullptr;
            return slot + 1;
        }
        Current& c = current_;
        if (!c.chunk || need > (size_t)(c.end - c.next))
            c.Start();
        Chunk** slot = (Chunk**)c.next;
        *slot = c.chunk;
        c.next += need;
        ++c.allocated;
        return slot + 1;
    }

    // Deletes of one thread are counted against a chunk in a batch, applied when a
    // delete hits another chunk or the thread ends (a whole tree is deleted chunk
    // by chunk, so that is one atomic step per chunk instead of one per object).
    static void Free(void* p)
    {
        if (!p)
            return;
        Chunk* chunk = *((Chunk**)p - 1);
        if (!chunk) {
            ::operator delete((Chunk**)p - 1);
            return;
        }
        Current& c = current_;
        if (chunk != c.batchChunk) {
            c.Flush();
            c.batchChunk = chunk;
            reaper_.armed = true;  // the batch must be applied when the thread ends
        }
        ++c.batchCount;
    }

private:
    struct Chunk {
        std::atomic<long> live;
    };
    static constexpr size_t kChunkBytes = 60 * 1024;  // stays below malloc's mmap threshold
    static constexpr size_t kHeader = 16;
    static constexpr long kBias = 1L << 40;

    // Plain data, so that reaching it costs no per-access initialisation check;
    // the Reaper below hands it back when the thread ends.
    struct Current {
        Chunk* chunk;
        char* next;
        char* end;
        long allocated;
        Chunk* batchChunk;  // deletes not yet counted
        long batchCount;

        static void Release(Chunk* released, long count)
        {
            if (released->live.fetch_sub(count, std::memory_order_acq_rel) == count)
                ::operator delete(released);
        }
        void Flush()
        {
            if (batchChunk)
                Release(batchChunk, batchCount);
            batchChunk = nullptr;
            batchCount = 0;
        }
        void Start()
        {
            reaper_.armed = true;  // registers the thread's clean-up on first use
            Retire();
            char* raw = (char*)::operator new(kChunkBytes);
            chunk = new (raw) Chunk;
            chunk->live.store(kBias, std::memory_order_relaxed);
            next = raw + kHeader;
            end = raw + kChunkBytes;
            allocated = 0;
        }
        void Retire()
        {
            if (!chunk)
                return;
            Release(chunk, kBias - allocated);
            chunk = nullptr;
        }
    };
    struct Reaper {
        bool armed = false;
        ~Reaper()
        {
            current_.Flush();
            current_.Retire();
        }
    };
    static thread_local Current current_;
    static thread_local Reaper reaper_;
};

inline thread_local TPDAUIEngineXmlPool::Current TPDAUIEngineXmlPool::current_ = {nullptr, nullptr, nullptr, 0,
                                                                                 nullptr, 0};
inline thread_local TPDAUIEngineXmlPool::Reaper TPDAUIEngineXmlPool::reaper_;
#else
class TPDAUIEngineXmlPool {
public:
    static void* Allocate(size_t size) { return ::operator new(size, std::nothrow); }
    static void Free(void* p) { ::operator delete(p); }
};
#endif

