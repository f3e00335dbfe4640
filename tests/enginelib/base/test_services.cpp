#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <random>
#include <thread>
#include <vector>

#include "enginelib/base/TCriticalSectionITV.h"
#include "enginelib/base/TRelojTierra.h"
#include "enginelib/base/Tick.h"
#include "enginelib/base/Zip.h"

namespace {

// ---- ticks

TEST(Tick, ElapsedIsWrapSafe) {
    struct Case {
        uint32_t now, since, elapsed;
    } cases[] = {
        {1000, 400, 600},
        {5, 0xFFFFFFFBu, 10},
        {0, 0xFFFFFFFFu, 1},
        {0xFFFFFFFFu, 0, 0xFFFFFFFFu},
        {7, 7, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(TickElapsed(c.now, c.since), c.elapsed);
}

TEST(Tick, VirtualClockReplacesAndRestoresTheSystemClock) {
    uint32_t virtualNow = 0xFFFFFFF0u;
    SetTickSource([&] { return virtualNow; });
    uint32_t start = GetTickCountAdv();
    EXPECT_EQ(start, 0xFFFFFFF0u);
    virtualNow += 0x20;  // wraps
    EXPECT_EQ(TickElapsed(GetTickCountAdv(), start), 0x20u);

    SetTickSource(nullptr);
    uint32_t a = GetTickCountAdv();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    uint32_t b = GetTickCountAdv();
    EXPECT_GE(TickElapsed(b, a), 15u);
    EXPECT_LT(TickElapsed(b, a), 5000u);
}

TEST(Tick, VirtualClockMayReadTheTickItself) {
    uint32_t base = 100;
    SetTickSource([&] { return base; });
    SetTickSource([&] { return base + 1; });
    EXPECT_EQ(GetTickCountAdv(), 101u);
    SetTickSource(nullptr);
}

// ---- zlib

std::vector<unsigned char> Compress(const std::vector<unsigned char>& in) {
    std::vector<unsigned char> out(Enzipa_TamMaximo(uint32_t(in.size())));
    uint32_t len = uint32_t(out.size());
    EXPECT_TRUE(Enzipa_MEM_MEM(in.data(), uint32_t(in.size()), out.data(), len));
    out.resize(len);
    return out;
}

TEST(Zip, RoundTripOfSeveralSizes) {
    std::mt19937 rng(7);
    for (size_t size : {size_t(0), size_t(1), size_t(1000), size_t(200000)}) {
        std::vector<unsigned char> data(size);
        for (size_t i = 0; i < size; ++i) data[i] = (i % 3 == 0) ? (unsigned char)(rng()) : (unsigned char)(i);
        std::vector<unsigned char> packed = Compress(data);
        std::vector<unsigned char> back(size + 1);
        uint32_t len = uint32_t(size);  // exactly the room needed
        ASSERT_TRUE(Desenzipa_MEM_MEM(packed.data(), uint32_t(packed.size()), back.data(), len)) << size;
        EXPECT_EQ(len, size);
        if (size) {
            EXPECT_EQ(0, std::memcmp(back.data(), data.data(), size));
        }
    }
}

TEST(Zip, BadInputFailsWithLengthZero) {
    std::vector<unsigned char> data(5000);
    for (size_t i = 0; i < data.size(); ++i) data[i] = (unsigned char)(i * 7);
    std::vector<unsigned char> packed = Compress(data);
    std::vector<unsigned char> out(data.size());

    uint32_t len = uint32_t(out.size());
    EXPECT_FALSE(Desenzipa_MEM_MEM(packed.data(), uint32_t(packed.size() / 2), out.data(), len));
    EXPECT_EQ(len, 0u);

    std::vector<unsigned char> corrupt = packed;
    corrupt[corrupt.size() / 2] ^= 0x55;
    corrupt[corrupt.size() - 1] ^= 0xFF;  // the checksum
    len = uint32_t(out.size());
    EXPECT_FALSE(Desenzipa_MEM_MEM(corrupt.data(), uint32_t(corrupt.size()), out.data(), len));
    EXPECT_EQ(len, 0u);

    len = uint32_t(out.size() - 1);  // one byte short of room
    EXPECT_FALSE(Desenzipa_MEM_MEM(packed.data(), uint32_t(packed.size()), out.data(), len));
    EXPECT_EQ(len, 0u);

    const unsigned char garbage[] = "not a zlib stream at all";
    len = uint32_t(out.size());
    EXPECT_FALSE(Desenzipa_MEM_MEM(garbage, sizeof garbage, out.data(), len));
    len = uint32_t(out.size());
    EXPECT_FALSE(Desenzipa_MEM_MEM(nullptr, 10, out.data(), len));
}

TEST(Zip, CompressFailsWhenTheRoomIsTooSmall) {
    std::vector<unsigned char> data(1000);
    std::mt19937 rng(3);
    for (auto& b : data) b = (unsigned char)rng();
    std::vector<unsigned char> out(100);
    uint32_t len = uint32_t(out.size());
    EXPECT_FALSE(Enzipa_MEM_MEM(data.data(), uint32_t(data.size()), out.data(), len));
    EXPECT_EQ(len, 0u);
}

// ---- critical section

TEST(CriticalSection, SerialisesThreads) {
    TCriticalSectionITV cs;
    long counter = 0;  // deliberately not atomic
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 20000; ++i) {
                TCriticalSectionITVEntra lock(cs);
                counter = counter + 1;
            }
        });
    for (auto& th : threads) th.join();
    EXPECT_EQ(counter, 80000);
}

TEST(CriticalSection, TheHolderMayEnterAgainAndOthersWaitForTheLastExit) {
    TCriticalSectionITV cs;
    std::atomic<bool> otherEntered{false};
    std::thread other;
    {
        TCriticalSectionITVEntra outer(cs);
        {
            TCriticalSectionITVEntra inner(&cs);  // same thread: no deadlock
        }
        other = std::thread([&] {
            TCriticalSectionITVEntra lock(cs);
            otherEntered = true;
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        EXPECT_FALSE(otherEntered.load());
    }
    other.join();
    EXPECT_TRUE(otherEntered.load());
    TCriticalSectionITVEntra nothing(static_cast<TCriticalSectionITV*>(nullptr));
}

// ---- earth clock

struct Ticks {
    int count = 0;
};

void CountTick(void* data) { static_cast<Ticks*>(data)->count++; }

void RemoveItself(void* data) {
    static_cast<Ticks*>(data)->count++;
    TRelojTierra::SetCallbackRelojTierra(nullptr, nullptr);
}

TEST(RelojTierra, CallbackSlot) {
    Ticks ticks;
    TRelojTierra::Dispara();  // nothing registered: nothing happens
    TRelojTierra::SetCallbackRelojTierra(CountTick, &ticks);
    TRelojTierra::Dispara();
    TRelojTierra::Dispara();
    EXPECT_EQ(ticks.count, 2);
    TRelojTierra::SetCallbackRelojTierra(nullptr, nullptr);
    TRelojTierra::Dispara();
    EXPECT_EQ(ticks.count, 2);

    TRelojTierra::SetCallbackRelojTierra(RemoveItself, &ticks);
    TRelojTierra::Dispara();
    TRelojTierra::Dispara();
    EXPECT_EQ(ticks.count, 3);
}

TEST(RelojTierra, ActiveClocksAreCounted) {
    ASSERT_FALSE(TRelojTierra::HayActivos());
    {
        TRelojTierra idle(false);
        EXPECT_FALSE(TRelojTierra::HayActivos());
        TRelojTierra busy(true);
        EXPECT_TRUE(TRelojTierra::HayActivos());
        busy.Activa(true);  // twice counts once
        busy.Activa(false);
        EXPECT_FALSE(TRelojTierra::HayActivos());
        busy.Activa(true);
        idle.Activa(true);
        busy.Activa(false);
        EXPECT_TRUE(TRelojTierra::HayActivos());
    }
    EXPECT_FALSE(TRelojTierra::HayActivos());
}

} // namespace
