#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "wincore/WinApi.h"
#include "wincore/headless/THeadlessBackend.h"

namespace {

// Sets or clears an environment variable for one test and puts it back.
class EnvVar {
public:
    EnvVar(const char* name, const char* value) : name_(name)
    {
        const char* old = getenv(name);
        had_ = old != nullptr;
        if (had_)
            old_ = old;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~EnvVar()
    {
        if (had_)
            setenv(name_, old_.c_str(), 1);
        else
            unsetenv(name_);
    }

private:
    const char* name_;
    bool had_;
    std::string old_;
};

class DisplayBackend : public THeadlessBackend {
public:
    const char* Name() const override { return "display"; }
};

std::unique_ptr<TWinBackend> MakeDisplay(std::string&) { return std::make_unique<DisplayBackend>(); }

std::unique_ptr<TWinBackend> RefuseDisplay(std::string& why)
{
    why = "no display server answered";
    return nullptr;
}

class BackendChoice : public ::testing::Test {
protected:
    void TearDown() override
    {
        WinRegisterDisplayBackend(nullptr);
        WinUseBackend(nullptr);
    }

    // The backend chosen afresh, and what was said on stderr.
    std::string Choose(std::string& said)
    {
        WinUseBackend(nullptr);
        ::testing::internal::CaptureStderr();
        const std::string name = WinBackend().Name();
        GetTickCount(); // a second use says nothing more
        said = ::testing::internal::GetCapturedStderr();
        return name;
    }
};

TEST_F(BackendChoice, HeadlessWhenAskedOrWithoutADisplayElseTheDisplayBackend)
{
    WinRegisterDisplayBackend(&MakeDisplay);
    std::string said;
    {
        EnvVar h("ORBETA_HEADLESS", "1"), d("DISPLAY", ":0");
        EXPECT_EQ(Choose(said), "headless");
        EXPECT_EQ(said, "");
    }
    {
        EnvVar h("ORBETA_HEADLESS", nullptr), d("DISPLAY", nullptr), w("WAYLAND_DISPLAY", nullptr);
        EXPECT_EQ(Choose(said), "headless");
        EXPECT_EQ(said, "orbeta: running headless: no display (DISPLAY and WAYLAND_DISPLAY are unset)\n");
    }
    {
        EnvVar h("ORBETA_HEADLESS", "0"), d("DISPLAY", nullptr), w("WAYLAND_DISPLAY", "wayland-0");
        EXPECT_EQ(Choose(said), "display");
        EXPECT_EQ(said, "");
    }
    {
        EnvVar h("ORBETA_HEADLESS", nullptr), d("DISPLAY", ":0");
        WinRegisterDisplayBackend(&RefuseDisplay);
        EXPECT_EQ(Choose(said), "headless");
        EXPECT_EQ(said, "orbeta: running headless: no display server answered\n");
    }
}

} // namespace
