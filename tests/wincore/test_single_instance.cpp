#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include "support/TestPaths.h"
#include "wincore/WinApi.h"
#include "wincore/headless/THeadlessBackend.h"

namespace {

LRESULT Proc(HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcW(h, m, w, l); }

// What FindWindowW answers in a new process with its own state; when it finds
// the window, the process asks it to come forward as a second instance does.
bool OtherProcessFinds(const std::string& lockFolder)
{
    const pid_t child = fork();
    if (child == 0) {
        WinUseBackend(std::make_unique<THeadlessBackend>());
        WinSetLockFolder(lockFolder);
        HWND found = FindWindowW(u"ZODIDEDORIRIDADO", nullptr);
        if (found && !SetForegroundWindow(reinterpret_cast<HWND>(reinterpret_cast<uintptr_t>(found) | 1)))
            _exit(2);
        _exit(found ? 1 : 0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 1;
}

TEST(SingleInstance, TheFirstWindowOfAClassIsSeenFromAnotherProcessUntilItGoes)
{
    testpaths::TempDir dir;
    auto owned = std::make_unique<THeadlessBackend>();
    THeadlessBackend* backend = owned.get();
    WinUseBackend(std::move(owned));
    WinSetLockFolder(dir.path());
    EXPECT_FALSE(OtherProcessFinds(dir.path()));
    EXPECT_EQ(FindWindowW(u"ZODIDEDORIRIDADO", nullptr), nullptr);

    WNDCLASSW wc{};
    wc.lpfnWndProc = &Proc;
    wc.lpszClassName = u"ZODIDEDORIRIDADO";
    ASSERT_NE(RegisterClassW(&wc), 0);
    HWND hwnd = CreateWindowExW(0, u"ZODIDEDORIRIDADO", u"Orbeta", WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_TRUE(OtherProcessFinds(dir.path()));
    // The second instance's request raises this window when its queue is read.
    MSG m;
    for (int i = 0; i < 500 && backend->RaiseCount() == 0; ++i) {
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&m);
        usleep(2000);
    }
    EXPECT_EQ(backend->RaiseCount(), 1);

    DestroyWindow(hwnd);
    EXPECT_FALSE(OtherProcessFinds(dir.path()));
    WinUseBackend(nullptr);
    WinSetLockFolder("");
}

} // namespace
