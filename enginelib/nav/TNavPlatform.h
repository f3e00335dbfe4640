#pragma once
#include <cstdint>
#include <functional>

// What the library needs of the platform, filled at start-up: posting a native
// message to the program's window. Without it, posts only reach the recorder.
struct TNavPlatform {
    std::function<bool(void* window, unsigned message, uintptr_t wParam, intptr_t lParam)> postMessage;
};
void SetNavPlatform(const TNavPlatform& platform);
TNavPlatform NavPlatform();
