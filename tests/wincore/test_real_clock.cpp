#include <gtest/gtest.h>

#include <thread>

#include "wincore/TWinBackend.h"
#include "wincore/WinApi.h"

namespace {

// A backend on the real clock with the default waiting: no native events.
class RealClockBackend : public TWinBackend {
public:
    const char* Name() const override { return "real"; }
    void Pump() override {}
    int DisplayWidth() override { return 320; }
    int DisplayHeight() override { return 240; }
    void Present(const TWinFrame&) override {}
    int MessageBox(const std::string&, const std::string&, UINT) override { return IDOK; }
};

class RealClock : public ::testing::Test {
protected:
    void SetUp() override { WinUseBackend(std::make_unique<RealClockBackend>()); }
    void TearDown() override { WinUseBackend(nullptr); }
};

TEST_F(RealClock, GetMessageSleepsUntilATimerIsDueOrAPostArrives)
{
    const DWORD t0 = GetTickCount();
    SetTimer(nullptr, 0, 30, nullptr);
    MSG m;
    ASSERT_EQ(GetMessageW(&m, nullptr, 0, 0), TRUE);
    EXPECT_EQ(m.message, WM_TIMER);
    EXPECT_GE(GetTickCount() - t0, 30u);
    KillTimer(nullptr, m.wParam);

    std::thread poster([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        PostMessageW(nullptr, WM_USER + 1, 0, 0);
    });
    ASSERT_EQ(GetMessageW(&m, nullptr, 0, 0), TRUE);
    EXPECT_EQ(m.message, WM_USER + 1);
    poster.join();
    std::thread quitter([] { PostQuitMessage(4); });
    EXPECT_EQ(GetMessageW(&m, nullptr, 0, 0), FALSE);
    EXPECT_EQ(m.wParam, 4u);
    quitter.join();
}

} // namespace
