#pragma once
#include <cstdlib>

#include <SDL.h>
#include <gtest/gtest.h>

namespace sdltest {

// SDL on its dummy drivers: no display, no sound card needed.
class DummySdl : public ::testing::Test {
protected:
    explicit DummySdl(Uint32 subsystems = SDL_INIT_VIDEO) : subsystems_(subsystems) {}

    void SetUp() override
    {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        ASSERT_EQ(SDL_InitSubSystem(subsystems_), 0) << SDL_GetError();
        SDL_PumpEvents();
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    }
    void TearDown() override
    {
        SDL_QuitSubSystem(subsystems_);
        SDL_Quit();
    }

private:
    Uint32 subsystems_;
};

} // namespace sdltest
