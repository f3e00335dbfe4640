// Element storage: blocks of every size are distinct, aligned and whole while
// held, and a freed block of a size comes back for that size only.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <set>
#include <thread>
#include <vector>

#include "uiengine/elements/TPDAUIEngineElementBox.h"
#include "uiengine/elements/TPDAUIEngineElementPool.h"

namespace {

TEST(ElementPool, BlocksOfEverySizeAreAlignedAndDoNotOverlap)
{
    // Sizes around the pool's steps, across slab ends, and past what it keeps.
    const size_t sizes[] = {1, 8, 63, 64, 65, 1328, 1552, 4096, 8191, 8192, 8193, 20000};
    struct Held {
        unsigned char* block;
        size_t size;
        unsigned char fill;
    };
    std::vector<Held> held;
    for (int round = 0; round < 60; ++round)
        for (size_t size : sizes) {
            auto* block = static_cast<unsigned char*>(TPDAUIEngineElementPool::Allocate(size));
            ASSERT_NE(nullptr, block);
            EXPECT_EQ(0u, (uintptr_t)block % alignof(std::max_align_t)) << size;
            const unsigned char fill = (unsigned char)(held.size() * 7 + 1);
            std::memset(block, fill, size);
            held.push_back({block, size, fill});
        }
    // Every block still holds its own bytes: none was handed out twice.
    for (const Held& h : held) {
        size_t wrong = 0;
        for (size_t i = 0; i < h.size; ++i)
            wrong += h.block[i] != h.fill;
        EXPECT_EQ(0u, wrong) << h.size;
    }
    for (const Held& h : held)
        TPDAUIEngineElementPool::Free(h.block, h.size);
}

// A big page takes many of the pool's regions; its blocks, handed out fresh
// and then again from the free lists, stay whole and apart.
TEST(ElementPool, BlocksStayWholeAcrossManyRegions)
{
    const size_t sizes[] = {928, 808, 976, 128, 64, 8192};
    struct Held {
        unsigned char* block;
        size_t size;
        unsigned char fill;
    };
    for (int round = 0; round < 2; ++round) {
        std::vector<Held> held;
        for (int i = 0; i < 12000; ++i) {
            const size_t size = sizes[i % 6];
            auto* block = static_cast<unsigned char*>(TPDAUIEngineElementPool::Allocate(size));
            ASSERT_NE(nullptr, block);
            EXPECT_EQ(0u, (uintptr_t)block % alignof(std::max_align_t)) << size;
            const unsigned char fill = (unsigned char)(i * 13 + round + 1);
            std::memset(block, fill, size);
            held.push_back({block, size, fill});
        }
        size_t wrong = 0;
        for (const Held& h : held)
            for (size_t i = 0; i < h.size; ++i)
                wrong += h.block[i] != h.fill;
        EXPECT_EQ(0u, wrong) << round;
        // Last first, as a box drops its children.
        for (size_t i = held.size(); i-- > 0;)
            TPDAUIEngineElementPool::Free(held[i].block, held[i].size);
    }
}

// Asking for memory ahead is a hint: any address, live or not, and nothing
// it reaches changes.
TEST(ElementPool, PrefetchHintsChangeNothing)
{
    TPDAUIEngineElementPool::Prefetch(nullptr, 4096);
    TPDAUIEngineElementPool::PrefetchForWrite(nullptr, 4096);
    TPDAUIEngineElementPool::Prefetch(reinterpret_cast<const void*>(uintptr_t(0x10)), 1 << 16);

    auto* block = static_cast<unsigned char*>(TPDAUIEngineElementPool::Allocate(1000));
    std::memset(block, 0x5a, 1000);
    TPDAUIEngineElementPool::Prefetch(block, 1000);
    TPDAUIEngineElementPool::PrefetchForWrite(block, 1000);
    size_t wrong = 0;
    for (int i = 0; i < 1000; ++i)
        wrong += block[i] != 0x5a;
    EXPECT_EQ(0u, wrong);
    TPDAUIEngineElementPool::Free(block, 1000);
    TPDAUIEngineElementPool::Prefetch(block, 1000);  // freed: still only a hint

    // A box and a leaf, on the heap and on the stack: a walk's hints read
    // past a leaf's end harmlessly and leave both as they were.
    std::unique_ptr<TPDAUIEngineElementBox> box(new TPDAUIEngineElementBox());
    box->AddChild(new TPDAUIEngineElementBox(), nullptr, nullptr);
    TPDAUIEngineElementBox onStack;
    struct Leaf : TPDAUIEngineElement {
        void Paint(IDC*, int, int) override {}
    };
    std::unique_ptr<Leaf> leaf(new Leaf());
    leaf->minimumWidth = 17;
    for (const TPDAUIEngineElement* e : {(const TPDAUIEngineElement*)box.get(),
                                         (const TPDAUIEngineElement*)&onStack,
                                         (const TPDAUIEngineElement*)leaf.get(),
                                         (const TPDAUIEngineElement*)box->children[0]})
        TPDAUIEngineElementBox::PrefetchLinks(e, 128, 160);
    EXPECT_EQ(1, box->children.Count());
    EXPECT_EQ(box.get(), box->children[0]->parent);
    EXPECT_EQ(17, leaf->minimumWidth);
}

TEST(ElementPool, FreedBlocksServeTheirOwnSizeOnly)
{
    std::set<void*> small, large;
    for (int i = 0; i < 100; ++i) {
        small.insert(TPDAUIEngineElementPool::Allocate(100));
        large.insert(TPDAUIEngineElementPool::Allocate(1500));
    }
    for (void* p : small)
        TPDAUIEngineElementPool::Free(p, 100);
    // A bigger size must not be given a freed smaller block.
    std::vector<void*> again;
    for (int i = 0; i < 100; ++i) {
        void* p = TPDAUIEngineElementPool::Allocate(1500);
        EXPECT_EQ(0u, small.count(p));
        again.push_back(p);
    }
    for (void* p : again)
        TPDAUIEngineElementPool::Free(p, 1500);
    for (void* p : large)
        TPDAUIEngineElementPool::Free(p, 1500);
    TPDAUIEngineElementPool::Free(nullptr, 100);  // ignored, as delete of null
}

TEST(ElementPool, ElementsOfDerivedClassesComeAndGoThroughIt)
{
    // A box full of boxes, dropped and built again: the live count returns to
    // where it was, and the rebuilt tree is whole.
    const int before = TPDAUIEngineElement::GetLiveCount();
    for (int round = 0; round < 3; ++round) {
        std::unique_ptr<TPDAUIEngineElementBox> root(new TPDAUIEngineElementBox());
        for (int i = 0; i < 500; ++i) {
            auto* child = new TPDAUIEngineElementBox();
            child->minimumWidth = i;
            root->AddChild(child, nullptr, nullptr);
        }
        ASSERT_EQ(500, root->children.Count());
        for (int i = 0; i < 500; ++i)
            EXPECT_EQ(i, root->children[i]->minimumWidth);
    }
    EXPECT_EQ(before, TPDAUIEngineElement::GetLiveCount());
}

TEST(ElementPool, BlocksCrossingThreadsAreNeverHandedOutTwice)
{
    // Blocks made on one thread and freed on another, threads that end holding
    // freed blocks, and threads working at once: every block held is whole
    // (its owner's mark stays) until its owner frees it.
    const size_t sizes[] = {100, 1500, 700};
    auto work = [&](int seed, std::vector<void*>* handOff) {
        std::vector<std::pair<unsigned char*, size_t>> held;
        unsigned state = (unsigned)seed * 2654435761u + 1;
        for (int step = 0; step < 4000; ++step) {
            state = state * 1103515245u + 12345u;
            if (held.empty() || (state >> 16) % 3 != 0) {
                const size_t size = sizes[(state >> 8) % 3];
                auto* p = static_cast<unsigned char*>(TPDAUIEngineElementPool::Allocate(size));
                std::memset(p, seed & 0xFF, size);
                held.emplace_back(p, size);
            } else {
                const size_t at = (state >> 4) % held.size();
                auto [p, size] = held[at];
                for (size_t i = 0; i < size; i += 97)
                    ASSERT_EQ((unsigned char)(seed & 0xFF), p[i]);
                TPDAUIEngineElementPool::Free(p, size);
                held[at] = held.back();
                held.pop_back();
            }
        }
        for (auto [p, size] : held) {
            if (handOff && size == 1500)
                handOff->push_back(p);  // another thread frees these
            else
                TPDAUIEngineElementPool::Free(p, size);
        }
    };
    for (int round = 0; round < 3; ++round) {
        std::vector<void*> handOff;
        std::thread maker(work, 10 + round, &handOff);
        maker.join();
        std::thread freer([&] {
            for (void* p : handOff)
                TPDAUIEngineElementPool::Free(p, 1500);
        });
        freer.join();  // ends holding them: they go back to the shared lists
        std::vector<std::thread> crowd;
        for (int t = 0; t < 4; ++t)
            crowd.emplace_back(work, 20 + 4 * round + t, nullptr);
        work(99, nullptr);
        for (std::thread& t : crowd)
            t.join();
    }
}

} // namespace
