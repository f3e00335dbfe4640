#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "wincore/WinApi.h"
#include "wincore/headless/THeadlessBackend.h"

namespace {

class SyncObjects : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto b = std::make_unique<THeadlessBackend>();
        backend = b.get();
        WinUseBackend(std::move(b));
    }
    void TearDown() override { WinUseBackend(nullptr); }
    THeadlessBackend* backend = nullptr;
};

TEST_F(SyncObjects, ManualAndAutoResetEvents)
{
    HANDLE manual = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE autoReset = CreateEventW(nullptr, FALSE, TRUE, nullptr);
    ASSERT_NE(manual, nullptr);
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_TIMEOUT);
    SetEvent(manual);
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0); // stays set
    ResetEvent(manual);
    EXPECT_EQ(WaitForSingleObject(manual, 10), WAIT_TIMEOUT);

    EXPECT_EQ(WaitForSingleObject(autoReset, 0), WAIT_OBJECT_0); // initially set
    EXPECT_EQ(WaitForSingleObject(autoReset, 0), WAIT_TIMEOUT);  // one waiter took it
    EXPECT_TRUE(CloseHandle(manual));
    EXPECT_TRUE(CloseHandle(autoReset));
    EXPECT_FALSE(CloseHandle(manual));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(SetEvent(manual));
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_FAILED);
}

TEST_F(SyncObjects, SemaphoreCountsUpToItsMaximum)
{
    EXPECT_EQ(CreateSemaphoreW(nullptr, 2, 1, nullptr), nullptr);
    EXPECT_EQ(CreateSemaphoreW(nullptr, 0, 0, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    HANDLE s = CreateSemaphoreW(nullptr, 0, 1, u"usbSemaphore");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(WaitForSingleObject(s, 0), WAIT_TIMEOUT);
    LONG previous = -1;
    EXPECT_TRUE(ReleaseSemaphore(s, 1, &previous));
    EXPECT_EQ(previous, 0);
    EXPECT_FALSE(ReleaseSemaphore(s, 1, &previous)); // past the maximum of 1
    EXPECT_EQ(GetLastError(), ERROR_TOO_MANY_POSTS);
    EXPECT_FALSE(ReleaseSemaphore(s, 0, nullptr));
    EXPECT_EQ(WaitForSingleObject(s, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(s, 0), WAIT_TIMEOUT);
    CloseHandle(s);
}

TEST_F(SyncObjects, NamesAreSharedWithinAKind)
{
    HANDLE a = CreateEventW(nullptr, TRUE, FALSE, u"usbEvent");
    EXPECT_EQ(GetLastError(), 0u);
    HANDLE b = CreateEventW(nullptr, FALSE, TRUE, u"USBEVENT"); // opens the first; its settings stay
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    ASSERT_NE(b, nullptr);
    EXPECT_NE(a, b);
    SetEvent(b);
    EXPECT_EQ(WaitForSingleObject(a, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(a, 0), WAIT_OBJECT_0); // still manual
    EXPECT_EQ(CreateSemaphoreW(nullptr, 0, 1, u"usbEvent"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    CloseHandle(a);
    CloseHandle(b);
    // With every handle closed the name is free again.
    HANDLE c = CreateSemaphoreW(nullptr, 0, 1, u"usbEvent");
    EXPECT_NE(c, nullptr);
    CloseHandle(c);
}

TEST_F(SyncObjects, AWatcherThreadWakesOnReleaseAndEndsWhenItsSemaphoreCloses)
{
    struct Shared {
        HANDLE semaphore;
        HANDLE cancel;
        std::atomic<int> signals{0};
    } shared;
    shared.semaphore = CreateSemaphoreW(nullptr, 0, 1, u"watch");
    shared.cancel = CreateEventW(nullptr, TRUE, FALSE, u"cancel");
    DWORD id = 0;
    HANDLE thread = CreateThread(
        nullptr, 0,
        [](void* p) -> DWORD {
            auto* s = static_cast<Shared*>(p);
            while (WaitForSingleObject(s->semaphore, INFINITE) == WAIT_OBJECT_0) {
                SetEvent(s->cancel);
                ++s->signals;
            }
            return 0;
        },
        &shared, 0, &id);
    ASSERT_NE(thread, nullptr);
    EXPECT_NE(id, 0u);
    // Another "process" opens the semaphore by name and releases it.
    HANDLE other = CreateSemaphoreW(nullptr, 0, 1, u"watch");
    ASSERT_TRUE(ReleaseSemaphore(other, 1, nullptr));
    EXPECT_EQ(WaitForSingleObject(shared.cancel, 5000), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_TIMEOUT); // still watching
    CloseHandle(other);
    CloseHandle(shared.semaphore); // the last handle: the wait fails and the thread ends
    EXPECT_EQ(WaitForSingleObject(thread, 5000), WAIT_OBJECT_0);
    EXPECT_EQ(shared.signals.load(), 1);
    CloseHandle(thread);
    CloseHandle(shared.cancel);
}

TEST_F(SyncObjects, ProgramsAreRecordedOrStartedAndWaitable)
{
    PROCESS_INFORMATION info{};
    char16_t args[] = u"-c \"exit 3\"";
    ASSERT_TRUE(CreateProcessW(u"/bin/sh", args, nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr, &info));
    ASSERT_EQ(backend->Processes().size(), 1u);
    EXPECT_EQ(backend->Processes()[0].path, "/bin/sh");
    EXPECT_EQ(backend->Processes()[0].arguments, "-c \"exit 3\"");
    EXPECT_EQ(WaitForSingleObject(info.hProcess, 0), WAIT_OBJECT_0); // only recorded
    CloseHandle(info.hProcess);

    backend->SetStartProcesses(true);
    ASSERT_TRUE(CreateProcessW(u"/bin/sh", args, nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr, &info));
    EXPECT_GT(info.dwProcessId, 0u);
    EXPECT_EQ(WaitForSingleObject(info.hProcess, 10000), WAIT_OBJECT_0);
    CloseHandle(info.hProcess);
    EXPECT_FALSE(CreateProcessW(u"\\Windows\\Vemblo.exe", nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                nullptr, &info));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(CreateProcessW(nullptr, nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr, &info));
}

TEST_F(SyncObjects, TerminateEndsTheProcessWithTheLowByteOfItsCode)
{
    EXPECT_EXIT(TerminateProcess(GetCurrentProcess(), UINT(-1)), ::testing::ExitedWithCode(255), "");
    EXPECT_FALSE(TerminateProcess(reinterpret_cast<HANDLE>(uintptr_t(0x999)), 1));
}

TEST_F(SyncObjects, TickDifferencesSurviveTheWrap)
{
    WinUseBackend(std::make_unique<THeadlessBackend>(800, 480, 0xFFFFFFF0u));
    const DWORD before = GetTickCount();
    Sleep(40);
    const DWORD after = GetTickCount();
    EXPECT_LT(after, before);
    EXPECT_EQ(after - before, 40u);
}

} // namespace
